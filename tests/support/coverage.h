// Checks that back-face culling leaves no holes in a closed mesh, and which side it keeps: the
// object is drawn at several orientations into a screen of the helper's own, once with every face
// culled and once with none, and the covered pixels are compared. The object's orientation and
// colour words are restored afterwards. The object must lie in front of the camera and fill a good
// part of the window; the world must have had world_alloc_work.
#pragma once

#include "engine3d/camera.h"
#include "engine3d/world.h"

struct CoverageResult {
    long covered = 0;     // pixels covered without culling, summed over the orientations
    long mismatched = 0;  // pixels covered by only one of the two renders, apart from corner pixels
    // Pixels covered only without culling just left of a projected corner, in its row: the filler's
    // truncated edge steps let a back face sharing an outline corner add that pixel.
    long corner_pixels = 0;
    // Screen area of the faces drawn with culling on the viewer's side of the mesh, and on the far
    // side. A mesh wound the way the renderer keeps shows near faces; one wound the other way its inside.
    double near_area = 0, far_area = 0;
};

CoverageResult check_culled_coverage(World* world, int index, const Camera* camera);
