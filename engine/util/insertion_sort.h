// Stable in-place insertion sorts that carry a second array along.
#pragma once

void sort_by_insertion(int* keys, int n, void** items);            // descending
void sort_by_insertion_ascending(int* keys, int n, int* items);    // ascending
void sort_by_insertion_ascending(int* keys, int n);                // ascending, keys only
