// Boundary front points (`AddBoundaryFrontPoints`): a regular row of nodes
// along the border of the mesher net.
//
// For every border side (OuterSide on Flag(k)) the apex of the equilateral
// triangle raised on it towards the inside of its element is taken: to the
// left of the side's direction in an element whose corners run
// counter-clockwise, to the right in one that runs clockwise. The nearest
// free node within the catch limit (1.5 x side length squared / 4, at least
// (rmin / 2)^2 + 0.001, compared with squared distances; the lower number
// among equals) is moved onto the apex and held from then on, provided the
// move folds none of its elements, lowers the smallest angle of none and
// leaves no more of them with an angle under theta; otherwise the apex
// becomes a new point. After all sides the new points are inserted into the
// net in the order their sides were visited (InsertPointIntoNet, which
// drops those too close to a node or outside the net), each only where the
// elements it makes have no smaller angle and no more angles under theta
// than those it replaces (tried on the part of the net around it first).
// From 34 to 60 degrees of theta, where most elements are under theta by
// necessity, a catch or a point may add elements under theta where others
// leave, as long as the whole net has no more of them than it had before
// (before the smoothing, when it comes right after one: see
// UnderThetaBeforeSmoothing). A node is free unless the side flags hold it
// (as for the smoothing), it is a fixed node or an end of a constraint
// side, it was caught already, or no element uses it. The marks are saved
// before and restored after, and the element side flags rebuilt.
#pragma once

namespace orvelo {

// `AddBoundaryFrontPoints`: in the running operation's wait window (status
// text 100026). The run state is left as it is; a stop request before it starts
// skips it, later ones do not stop it (the insertions then refuse their
// points). A MinElementSize not above 0 becomes 0.001 for the rest of the
// run. An error is reported (HandleError) and ends it; the side flags are
// then still rebuilt, so the net stays consistent, and the caller goes on.
void AddBoundaryFrontPoints();

}  // namespace orvelo
