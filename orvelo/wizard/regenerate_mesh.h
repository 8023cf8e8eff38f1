// Operation 6: a new net for a slab given by its shape and sizes instead of
// a stored outline. Inputs (declar()): SlabShape (2 circle, 5 annulus, any
// other value rectangle), SlabLength (x extent, or outer diameter),
// SlabWidth (y extent, or inner diameter), PolarDivisionCount (rings of a
// polar net) and the net parameters; MeshType picks the generator. Lines,
// single points and the grid are the meshers' copies as the caller left
// them. The new net is left in the meshers' arrays (CopyOutFENet takes it);
// neither the project's net nor a file is written.
#pragma once

namespace orvelo {

// `BuildSlabOutline`: the meshers' outline (MeshOutline, MeshOutlineCount
// 4) and openings, sized afresh with every field not set 0 or False. A
// rectangle gets the straight pieces through (0, 0), (L, 0), (L, W),
// (0, W); a circle four quarter arcs about (c, c), c = R = L / 2, starting
// at (c + R, c), (c, c + R), (c - R, c), (c, c - R), each with Direction
// True; an annulus that circle and opening 1 of four such arcs of radius
// W / 2. Lines, single points and the grid are not touched.
void BuildSlabOutline();

// `RegenerateMesh`: run state 0, status text 100036 and one poll (a stop
// builds nothing and sets the run state 3); then the input is checked
// before anything changes (run-time error 5 naming the value: sizes not
// above 0, an annulus whose inner diameter is not below its outer one, a
// polar type for a rectangle or with a count past 32767, a Delaunay net
// with MaxElementSize not above 0 and no size field); then
// BuildSlabOutline, the unit factor from the outline's extent, and the
// generator of MeshType: 5 GenerateDelaunayMesh, 6 to 8 GeneratePolarMesh,
// any other GenerateGridBasedMesh. The Delaunay net follows the size field
// when operation 9 made one for the current project net (which then
// becomes the old net, as GenerateFENet does); otherwise every point gets
// MaxElementSize and the field and old net are left as they are. Errors are
// not trapped: they end it and reach the operation's handler.
void RegenerateMesh();

// The work of operation 6: RegenerateMesh, then, unless the run state is 3
// or the slab is an annulus, SmoothMesh (25 passes) when SmoothMeshFlag and
// AddBoundaryFrontPoints when BoundaryFrontPointsFlag (each only while the
// run state is not 3). MeshType and MinAngle are the caller's again
// afterwards, on every way out.
void RegenerateMeshOperation();

}  // namespace orvelo
