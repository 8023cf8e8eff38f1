// The boring-region layout (module BohrLayout): every node of the current
// net gets its boring regions from the borings of boringData()
// (orvelo/model/boring_data.h):
// - the edge layout: the borings in their numbering form a closed polygon
//   (or lie on one straight line); nodes in a strip triangle of three
//   consecutive borings are "Triangle", nodes in the band outside an edge
//   "Linear  ", nodes in the wedge outside a corner "Constant"
//   (NodeLayoutRegion, NodeLayoutKind, EdgeDirX/Y, EdgeOuterX/Y);
// - the dividing-line cells: the cell of boring k is bounded by the
//   perpendicular bisectors of its neighbour pairs (NodeCellBoring, the
//   dividing lines, BoringLineCount/Table, the corners of boring 1's cell);
// - the regions of the stored triangles and strips (NodeRegion,
//   NodeRegionKind, StripDirX/Y, StripOuterX/Y) and the constant-node list
//   rebuilt from them.
// Node positions are taken through GeometryHelper().TransformPoint into the
// system of the borings and the layout extent. Coordinates are Single.
#pragma once

#include <cstdint>
#include <vector>

namespace orvelo {

// Computes the three layouts for nodes 1..declar().NodeCount from the
// borings, the layout extent, the stored triangles and strips and the
// constant-node list of boringData(); with fewer than two borings nothing
// is computed. The per-node arrays are grown to NodeCount, EdgeDirX/Y to K
// and EdgeOuterX/Y to 2K where shorter. Every node starts from the default
// assignment (boring 1, "Constant", cell of boring 1), so a node that no
// region claims never keeps a value of an earlier net; the constant-node
// list on entry then gives its nodes (those of the net) their borings. The
// wait window's status line tells the start and the end.
// On failure the default layout (SetDefaultBoringLayout) is set, so what a
// writer stores afterwards is always consistent: two borings of an edge,
// stored triangle or strip at one position show the coincident-borings
// message; a run-time error (a stored boring number, node number or strip
// corner out of range, an overflow) shows the information message that the
// regions could not be determined (texts 10188 / 10043).
void ComputeBoringLayout();

// -1 (True) when the point P = (px, py) and the reference R = (rx, ry) lie
// strictly on opposite sides of the line through (ax, ay); otherwise 0.
// mode 0: (c, d) is the line's direction (u, v); any other mode: the line
// runs from (ax, ay) towards the point (c, d) (direction (1, 0) when the two
// points coincide). A point within 1e-6 of the line, and a reference on the
// line, never count as opposite. Passing (u, v) = (dir y, -dir x) tests
// against the perpendicular of a direction.
std::int16_t OppositeSideTest(float ax, float ay, float c, float d, float px, float py, float rx,
                              float ry, std::int16_t mode);

// The unit direction from (x1, y1) to (x2, y2) into outY, outX; result 0.
// Two coincident points: ReportCoincidentBorings, result -1 and the outputs
// untouched.
std::int16_t UnitDirection(float x1, float y1, float x2, float y2, float& outY, float& outX);

// The piece inside the layout extent of the line through (x, y)
// perpendicular to the direction (dirX, dirY), as its two end points in
// xs(1..2), ys(1..2) (lists of five entries, 0..4). Returns the number of
// end points found: 2, or fewer when the line misses the extent (a boring
// outside it); entries not found are 0.
std::int16_t PerpendicularAcrossExtent(float x, float y, float dirY, float dirX,
                                       std::vector<float>& xs, std::vector<float>& ys);

// The crossings of the line y = a + b x with the layout extent, appended to
// xs, ys from entry 1 (left, right, bottom, top side, bounds included) and
// reduced to the two end points of the piece inside the extent when there
// are more. Returns the number of entries (0..2). xs, ys hold five entries.
std::int16_t ClipLineToExtent(float a, float b, std::vector<float>& xs, std::vector<float>& ys);

// The outer point of a perpendicular: a point of the perpendicular through
// (x, y) to the direction (dirX, dirY) that lies across the line through
// (lineX, lineY) along that direction (the edge or strip line) from the
// reference (refX, refY). Of the perpendicular's end points across the
// extent, point 1 is taken when it lies across, else point 2 (also when
// the reference lies on the line, which leaves no side to choose). When the
// perpendicular misses the extent, or neither end point lies across (a
// boring outside the extent), the point across at the distance of the
// extent's diagonal (at least 1) from (x, y) is taken instead.
void OuterPointAcrossExtent(float x, float y, float lineX, float lineY, float dirY, float dirX,
                            float refX, float refY, float& outX, float& outY);

// The critical message that two borings lie at one position
// (texts 80089 / 80069); the mouse pointer is set back to normal first.
void ReportCoincidentBorings();

// The default layout: every node 1..nodeCount takes boring 1 as a
// "Constant" node in every per-node array, the constant-node list holds
// every node with boring 1, no stored triangles or strips, no dividing
// lines, BoringLayoutKind 1 when the project has no symmetry
// (declar().SymmetryKind 1), else 3. The edge arrays are sized to the
// boring count (their values kept). Shows nothing.
void SetDefaultBoringLayout(std::int16_t nodeCount);

}  // namespace orvelo
