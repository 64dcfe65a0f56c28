// Sorts visible faces far to near by their depth keys.
#pragma once

#include "engine3d/world.h"

// Sorts entries lo to hi (inclusive), largest depth first, with Hoare partitioning around the
// range's first depth. Each entry carries its key, so a scan reads one value per entry.
void sort_faces_by_depth(VisibleFace* list, int lo, int hi);
