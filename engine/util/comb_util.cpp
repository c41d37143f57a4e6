// Lexicographic stepping of subsets, their complements and random draws.
#include "util/comb_util.h"

#include <cassert>
#include <utility>

#include "util/rand_utils.h"

void initialize_comb(int k, int* values) {
    for (int i = 0; i < k; ++i) values[i] = i;
}

bool generate_combination1(int k, int n, int* values) {
    assert(k >= 1 && k <= n);
    if (values[k - 1] < n - 1) {
        ++values[k - 1];
        return true;
    }
    // Length of the consecutive run that ends at n-1.
    int m = 1;
    while (m < k && values[k - 1 - m] == values[k - m] - 1) ++m;
    if (m == k) return false;
    int v = ++values[k - m - 1];
    for (int i = k - m; i < k; ++i) values[i] = ++v;
    return true;
}

bool generate_combination(int k, int n, int* values) {
    if (values[k - 1] == 0) {
        initialize_comb(k, values);
        return true;
    }
    return generate_combination1(k, n, values);
}

bool generate_combination_kequals1(int n, int* value) {
    if (*value == n - 1) return false;
    ++*value;
    return true;
}

void inverse_combination(int n, const int* comb, int* out) {
    int cursor = 0;
    for (int i = 0; i < n; ++i) {
        if (i == comb[cursor])
            ++cursor;
        else
            *out++ = i;
    }
}

int* random_combination(int k, int n, int* values) {
    assert(k >= 0 && k <= n);
    for (int i = 0; i < k; ++i) {
        int j = static_cast<int>(arc4random_uniform(static_cast<uint32_t>(n - i)));
        std::swap(values[j], values[n - 1 - i]);
    }
    return values + n - k;
}

