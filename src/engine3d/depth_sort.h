// Sorts visible faces far to near by their depth keys.
#pragma once

#include "engine3d/world.h"

// Sorts entries lo to hi (inclusive), largest key first, with Hoare partitioning around the
// range's first key; the keys stay in place and are reached through key_index.
void sort_faces_by_depth(VisibleFace* list, const float* keys, int lo, int hi);
