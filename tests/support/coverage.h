// Checks that back-face culling leaves no holes in a closed mesh, and which side it keeps.
//
// The object is drawn at several orientations (each a turn from its current orientation) into a
// screen of the helper's own, once with every face culled and once with none, and the covered
// pixels are compared. Afterwards the object's orientation and colour words are as before.
// Place the object (and camera) so that it lies in front of the camera and fills a good part of
// the window; the world must have had world_alloc_work.
#pragma once

#include "engine3d/camera.h"
#include "engine3d/world.h"

struct CoverageResult {
    int orientations = 0;
    long covered = 0;     // pixels covered without culling, summed over the orientations
    // Pixels covered by only one of the two renders, apart from corner pixels.
    long mismatched = 0;
    // Pixels covered only without culling that lie just left of a projected corner, in its row:
    // the filler can close a triangle with a one-pixel span there (its edge steps are truncated),
    // so a back face that shares a corner of the outline may add that pixel.
    long corner_pixels = 0;
    // Screen area (in pixels) of the faces drawn with culling that lie on the viewer's side of
    // the mesh, and on the far side. A mesh wound the way the renderer keeps shows near faces;
    // one wound the other way shows its inside.
    double near_area = 0;
    double far_area = 0;
};

CoverageResult check_culled_coverage(World* world, int index, const Camera* camera);
