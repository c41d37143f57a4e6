// Bit pickers and the millisecond steady clock.
#include "util/utility.h"

#include <chrono>

int find_nth_nonzero_bit(unsigned mask, int n) {
    if (n <= 0) return 0;
    for (int d = 1; d < 32; ++d)
        if ((mask >> d) & 1u && --n == 0) return d;
    return 0;
}

unsigned get_nth_nonzero_bit(unsigned mask, int n) {
    if (n <= 0) return 1;
    int d = find_nth_nonzero_bit(mask, n);
    return d ? 1u << d : 0u;
}

int set_nth_zero_bit_to_one(int* mask, int n) {
    if (!mask || n <= 0) return 0;
    auto m = static_cast<unsigned>(*mask);
    for (int d = 1; d < 32; ++d) {
        if (!((m >> d) & 1u) && --n == 0) {
            *mask = static_cast<int>(m | (1u << d));
            return d;
        }
    }
    return 0;
}


int64_t steady_now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
