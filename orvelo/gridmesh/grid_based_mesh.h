// The grid-based net generator (mesh types 0 to 4; the wizard's grid-based
// element type is 3).
//
// It builds a new net of the slab into the mesher arrays of basDelaunay()
// (MeshNodeCount, MeshNodeX/Y, MeshElementCount, MeshElementList) from the
// meshers' copy of the slab (MeshOutline, MeshOpenings, MeshLineStart/End,
// MeshPoints), the project grid (MeshGridCountX/X, MeshGridCountY/Y) and
// declar().MeshType, in these steps:
//  1. key points (piece starts, line ends, single points) and the extended
//     grid (key_points.h);
//  2. tracing of every outline, opening and line piece across the grid, and
//     the polygon regions of the outline and the openings (trace_piece.h);
//  3. snapping of the key points onto grid points, and a grid node on every
//     other grid point inside the slab (snapping.h);
//  4. the cell triangle flags (cell_flags.h) and the element pattern of the
//     mesh type (cell_patterns.h);
//  5. the fixed-node and constraint-side marks (RestoreBoundaryFlags) and
//     the element side flags (BuildElementSideFlags).
// Nodes that no element uses (a single point outside the slab, a key that
// had to share its grid point) are then dropped and the rest renumbered in
// their order, so every node of the net belongs to an element.
//
// The generator runs inside the running operation's wait window (status
// text 100036, progress per piece, per row, per column); without one it
// runs headless. SmoothMeshFlag and BoundaryFrontPointsFlag are cleared.
#pragma once

namespace orvelo {

// `GenerateGridBasedMesh`. Before any work, input it cannot use is refused
// with a message as run-time error 5: no outline, fewer than two project
// grid lines in a direction or lines not strictly ascending, a list shorter
// than its count, a unit factor that is not above 0. A net with no element
// inside the outline is error 5 too; past 32767 nodes or elements error 6.
// A stop request ends it at once with the run state 3 (ExitWithoutSaving),
// so the partial net is never taken as a result. Errors are not trapped:
// they reach the operation's handler. The polygon regions are freed on
// every way out.
void GenerateGridBasedMesh();

}  // namespace orvelo
