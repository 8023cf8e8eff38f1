// The Delaunay generation: the triangular net of the slab (mesh type 5).
//
// The outline, the openings and the internal lines are divided into nodes
// spaced by the target-size field, the single points added, and all nodes
// triangulated inside a start rectangle three times their extent. The
// outline, opening and line pieces are recovered as sides, the triangles
// inside the slab found, and the net refined by circumcentre insertion until
// every triangle that can still be divided meets the minimum angle and its
// target size (never below rmin). Then the elements outside the slab are
// dropped, the fixed-node and constraint marks restored, and the four
// auxiliary corner nodes deleted, which numbers the nodes afresh and sets the
// element side flags.
//
// Inputs: the meshers' copy of the slab description (MeshOutline,
// MeshOpenings, MeshLineStart/End, MeshPoints), the old net and its sizes
// (target_size.h), MinAngle, MaxElementSize and MinElementSize (declar()).
// Output: the mesher net (MeshNode*, MeshElement*), triangles only, counter-
// clockwise, with their side flags.
//
// Before the outline is divided, the unit factor is set from the extent of
// the slab description (as the drawing scale would be set from it), so that
// every run over the same input gives the same net; once the nodes are
// known, the drawing scale and the unit factor are set from their extent.
#pragma once

#include <string>

namespace orvelo {

struct BasDelaunay;

// `GenerateDelaunayMesh`: nothing happens for fewer than 3 outline pieces.
// The outline may be several closed loops one after the other (a loop ends
// where a piece returns to the start of the loop's first piece); the slab is
// what the loops and openings enclose by the even-odd rule. A stop request
// ends it at once with the run state 3 (the partial net is never a result).
// An outline, or a loop of it, that encloses no area is refused with a
// message (run-time error 5), as are an opening smaller than the
// coincidence tolerance and an internal line that runs within it of a side
// of the outline, of an opening or of another line (the message names the
// line and the place); a net that would pass 32767 nodes or elements
// stops with a message (error 6).
void GenerateDelaunayMesh();

// The slab description in the meshers' copy, checked as it stands (for a
// net made without the boundary recalculation, of any mesh type) after the
// unit factor has been set from it as the meshers set it: within every loop
// of the outline and every opening each piece starts where the one before
// ends and the last comes back to the loop's start, within the coincidence
// tolerance, and the loop meets itself nowhere else; every opening lies
// inside the slab and apart from the outline and the other openings. Error 5
// with a message naming the first fault; an unclosed loop is told with the
// file the description was read from (file) and the place.
void CheckSlabDescription(const std::string& file);

}  // namespace orvelo
