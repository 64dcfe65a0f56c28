#include "engine3d/depth_sort.h"

#include <utility>

// Hoare partition, largest key first: returns j with every key in lo..j >= every key in j+1..hi.
static int partition_by_depth(VisibleFace* list, int lo, int hi) {
    float pivot = list[lo].depth;
    int i = lo - 1, j = hi + 1;
    for (;;) {
        do j--; while (list[j].depth < pivot);
        do i++; while (list[i].depth > pivot);
        if (i >= j) return j;
        std::swap(list[i], list[j]);
    }
}

// The two parts are disjoint, so sorting the smaller one first (recursively) and the larger one
// in the loop gives the same order as left-then-right, with recursion depth at most log2(n).
void sort_faces_by_depth(VisibleFace* list, int lo, int hi) {
    while (lo < hi) {
        // Two entries (a third of all partitions in the show): the partition swaps them unless the
        // second lies below the first (so equal depths change places), leaving two parts of one.
        if (hi - lo == 1) {
            if (!(list[hi].depth < list[lo].depth)) std::swap(list[lo], list[hi]);
            return;
        }
        int j = partition_by_depth(list, lo, hi);
        if (j - lo < hi - j) {
            sort_faces_by_depth(list, lo, j);
            lo = j + 1;
        } else {
            sort_faces_by_depth(list, j + 1, hi);
            hi = j;
        }
    }
}
