#include "engine3d/depth_sort.h"

#include <utility>

// Hoare partition, largest key first: returns j with every key in lo..j >= every key in j+1..hi.
static int partition_by_depth(VisibleFace* list, const float* keys, int lo, int hi) {
    float pivot = keys[list[lo].key_index];
    int i = lo - 1, j = hi + 1;
    for (;;) {
        do j--; while (keys[list[j].key_index] < pivot);
        do i++; while (keys[list[i].key_index] > pivot);
        if (i >= j) return j;
        std::swap(list[i], list[j]);
    }
}

// The two parts are disjoint, so sorting the smaller one first (recursively) and the larger one
// in the loop gives the same order as left-then-right, with recursion depth at most log2(n).
void sort_faces_by_depth(VisibleFace* list, const float* keys, int lo, int hi) {
    while (lo < hi) {
        int j = partition_by_depth(list, keys, lo, hi);
        if (j - lo < hi - j) {
            sort_faces_by_depth(list, keys, lo, j);
            lo = j + 1;
        } else {
            sort_faces_by_depth(list, keys, j + 1, hi);
            hi = j;
        }
    }
}
