// The element side flags every net generator ends with (module `BasFEMesh`):
// which sides lie on the border of the net and which are shared.
//
// Every side of every element (Flag(k): the side from corner k to the next,
// the last back to corner 1) first becomes OuterSide (1) with InnerSide (8)
// and RepeatedSide (32) cleared; then each side shared with a later element
// loses bit 1 and gets 8 in the lower-numbered element and 32 in each
// higher-numbered one that holds it (in an element only its first unmatched
// corner on that side). The other bits (2, 4, 16, 64, ...) stay. A side
// running the same way in both elements is shared like any other.
#pragma once

#include <vector>

#include "orvelo/model/net.h"
#include "outside/drovik/wait_window.h"

namespace orvelo {

// `BuildElementSideFlags` over elements 1..upper bound of the list. With a
// wait window it shows text 100033 and advances once per element; a stop
// request is honoured after the flags are complete: true is returned, and
// when the window is the running operation's, the run ends without saving
// (run state 3). An error inside is reported through HandleError and ends
// the procedure.
bool BuildElementSideFlags(std::vector<NetElement>& elements, drovik::ClsWaitWindow* waitWindow);

}  // namespace orvelo
