// Quality refinement of a Delaunay generation: circumcentres of bad
// triangles are inserted, sweep after sweep, until a sweep adds no node.
//
// A triangle (corner count 3, a circle of radius above 0) is bad when its
// circumradius R exceeds rmin (MinElementSize) and either one of its angles
// is below theta (MinAngle) or R exceeds its target size
// (GetTriangleTargetSize). The walk from the triangle towards its
// circumcentre decides: a circumcentre beyond a constraint side (outline,
// opening or internal line), or one inside the diametral circle of a
// constraint side its cavity meets (it encroaches the side), has that side
// divided at its midpoint instead; any other is inserted. A side is divided
// only while it is longer than rmin (the floor that ends the refinement
// near small input angles); near a single point closer to a constraint
// side than rmin / 0.35, the floor of a triangle is 0.35 times the point's
// gap to the side plus the distance of the triangle's nearest corner from
// the point (never above rmin), so the triangles at the point and at its
// foot reach theta; both halves stay constraint sides, an outline
// or opening side keeps the element beyond it outside, and a midpoint on an
// existing node leaves the side whole. A circumcentre on an existing node
// adds nothing. Whether a triangle is bad is kept while its corners stay.
//
// Elements made during a sweep are tested in the same sweep only when their
// numbers come later in it.
#pragma once

#include <cstdint>

namespace orvelo {

// `RefineMeshQuality` in generation mode (mode 0), on the triangulation of
// the running generation, or in window mode (any other mode,
// the editing task passes -1) on a net of triangles and quadrilaterals: a
// triangle whose stored circumcentre lies in the refinement window
// (CircumcentreInWindow) and that is bad as above gets its circumcentre
// appended as a node and inserted by InsertPointIntoNet (which refuses it
// near a node, outside the net, or where it cannot be placed); there is no
// slab region and no dividing of line sides. The circles are read from
// ElementCircle, which the insertion keeps for the triangles it makes; rmin
// is read for every test (the insertion may raise it), theta once. Polls
// the wait window after every element and every sweep and returns at once
// on a stop.
void RefineMeshQuality(std::int16_t mode);

}  // namespace orvelo
