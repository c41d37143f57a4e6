// The exported digit-set tables, computed at compile time into read-only data.
#include "puzzle/set_bit_array.h"

namespace {

constexpr int count_bits(int i) {
    int n = 0;
    for (; i; i &= i - 1) ++n;
    return n;
}
constexpr int single_bit_digit(int i) {
    for (int d = 1; d <= 10; ++d)
        if (i == (1 << d)) return d;
    return 0;
}
constexpr int highest_bit(int i) {
    int d = 0;
    while (i > 1) i >>= 1, ++d;
    return d;
}

}  // namespace

// Expands to F(i), F(i+1), ..., F(i+n-1) for n a power of two.
#define T2(F, i) F(i), F((i) + 1)
#define T4(F, i) T2(F, i), T2(F, (i) + 2)
#define T8(F, i) T4(F, i), T4(F, (i) + 4)
#define T16(F, i) T8(F, i), T8(F, (i) + 8)
#define T32(F, i) T16(F, i), T16(F, (i) + 16)
#define T64(F, i) T32(F, i), T32(F, (i) + 32)
#define T128(F, i) T64(F, i), T64(F, (i) + 64)
#define T256(F, i) T128(F, i), T128(F, (i) + 128)
#define T512(F, i) T256(F, i), T256(F, (i) + 256)
#define T1024(F, i) T512(F, i), T512(F, (i) + 512)
#define T1050(F) T1024(F, 0), T16(F, 1024), T8(F, 1040), T2(F, 1048)

const int set_bit_array[1024] = {T1024(count_bits, 0)};
const int bit_2_digit_array[1050] = {T1050(single_bit_digit)};
const int bits2digit_array[1050] = {T1050(highest_bit)};

static_assert(sizeof(set_bit_array) == 1024 * sizeof(int));
static_assert(sizeof(bit_2_digit_array) == 1050 * sizeof(int));
