// Stable O(n^2) insertion sorts for the short lists of the generator and solver.
#include "util/insertion_sort.h"

namespace {

template <typename Before, typename Item>
void insertion_sort(int* keys, int n, Item* items, Before before) {
    for (int i = 1; i < n; ++i) {
        int key = keys[i];
        Item item{};
        if (items) item = items[i];
        int j = i - 1;
        for (; j >= 0 && before(key, keys[j]); --j) {
            keys[j + 1] = keys[j];
            if (items) items[j + 1] = items[j];
        }
        keys[j + 1] = key;
        if (items) items[j + 1] = item;
    }
}

}  // namespace

void sort_by_insertion(int* keys, int n, void** items) {
    insertion_sort(keys, n, items, [](int key, int other) { return other < key; });
}

void sort_by_insertion_ascending(int* keys, int n, int* items) {
    insertion_sort(keys, n, items, [](int key, int other) { return other > key; });
}

void sort_by_insertion_ascending(int* keys, int n) {
    insertion_sort(keys, n, static_cast<int*>(nullptr), [](int key, int other) { return other > key; });
}
