// Laplacian smoothing of the mesher net (`SmoothMesh`): every free node
// moves to the mean of its neighbours, pass after pass, until the net
// settles or the pass limit is reached. Only node coordinates change.
//
// A node is held where, in any element that has it as corner k, Flag(k)
// carries OuterSide (1), BoundaryNode (2) or BoundarySide (4), or Flag(k-1)
// (the side arriving at it) carries 1 or 4: the outline, the openings, the
// internal lines and the single points keep their places. A node of no
// element does not move either. The neighbours of a free node are, over
// its elements, the corners before and after it (in a quadrilateral not the
// opposite one), each once.
//
// A pass works out every free node's new place, the mean of its
// neighbours' places at the start of the pass, then takes the moves node
// by node in ascending order: a node moves only when every element at it
// keeps its turn (no corner turns over or goes flat), the smallest corner
// angle of those elements does not fall and no more of them have an angle
// under theta (MinAngle; from 34 to 60 degrees, where most elements are under
// theta by necessity, the count of the whole net may not pass what it was
// before the smoothing instead); otherwise it stays. So the smallest angle
// of the net never falls and no element under theta is added. A node that
// stayed in a pass is passed over in the next while no corner of its
// elements has moved since that pass began.
#pragma once

#include <cstdint>

namespace orvelo {

// `SmoothMesh` with at most maxPasses passes (0 and 1 both run one). The
// run state is left as it is; status text 100034 and the pass number go to the
// running operation's wait window. A stop request before the smoothing
// starts skips it; the passes themselves are not stopped. The net settles
// when no node moved by more than 0.001 / UnitFactor in a coordinate. An
// error is reported (HandleError) and ends the smoothing; the caller goes on.
void SmoothMesh(std::int16_t maxPasses);

// Between 34 and 60 degrees of theta the smoothing counts the elements under
// theta of the whole net, which may not end with more than it had before.
// This is that count of the last smoothing (cosine: the cosine it counted
// above), as long as the mesher net is still as that smoothing left it; -1
// otherwise. The boundary front points that follow it may go up to it: both
// together may not leave more elements under theta than the net had before
// either.
std::int64_t UnderThetaBeforeSmoothing(double cosine);

}  // namespace orvelo
