// The polygon regions of the grid-based mesher: the slab outline
// (SlabRegion) and the openings (OpeningRegions), in integer region
// coordinates. A point of the net belongs to the slab by the even-odd rule
// over every loop, as for the triangulated nets: inside the outline's region
// (ClsRegionTest.PointInRegion; its loops even-odd among themselves) and no
// opening's, or inside an outline loop that lies in an opening (an island).
#pragma once

#include <cstdint>
#include <functional>

#include "orvelo/model/net.h"

namespace orvelo {

// Whether the slab outline's region holds the integer point.
bool InsideSlabOutline(std::int32_t x, std::int32_t y);

// Whether the integer point belongs to the slab: the outline's region and
// the openings' regions together hold it an odd number of times.
bool InsideSlabRegions(std::int32_t x, std::int32_t y);

// InsideSlabRegions for a point given in unrounded region coordinates: the
// point to the nearest integer is tested, and a point that this puts on or
// over the edge of a traced region (a point less than a region unit inside
// the slab's border, as the quarters of cells finer than a few region units
// are) is inside when the traced polygons hold the point itself strictly,
// by the even-odd rule.
bool InsideSlabRegionsAt(double x, double y);

// Whether (x, y) lies inside the slab (the even-odd rule over the loops of
// the outline and the openings) by the pieces themselves, not their traced regions (an arc followed in
// steps of at most 1/64 of a quarter turn): below the regions' whole
// centimetres, a sliver along a bend of the outline is told apart.
bool InsideSlabPieces(double x, double y);

// InsideSlabPieces, or within the coincidence tolerance of a piece of the
// outline or of an opening (an arc: of its circle within the arc's sweep,
// or of an end; the rest of the circle may run through the slab or an
// opening).
bool InsideSlabOrOnBorder(double x, double y);

// Calls visit for every piece of the outline or of an opening that (x, y)
// lies on within the coincidence tolerance, as InsideSlabOrOnBorder
// judges it.
void ForEachBorderPieceAt(double x, double y, const std::function<void(const OutlinePiece&)>& visit);

// The length of the shortest piece of the outline or of an opening (an arc
// by its chord) that comes within `within` of (x, y); infinity when none.
double ShortestBorderPieceNear(double x, double y, double within);

// Whether the segment from (ax, ay) to (bx, by) crosses a straight piece
// of the outline or of an opening inside both, farther than the
// coincidence tolerance from their ends, or its point nearest the centre
// of an arc of them lies off the slab (it reaches through the arc): an
// element with such a side would reach out of the slab.
bool CrossesSlabBorder(double ax, double ay, double bx, double by);
// Whether a side of the net's border leaves the slab: it crosses the border
// (CrossesSlabBorder), its middle lies off the slab (a chord across a notch
// between two pieces), or it passes through a round arc at a point of the
// arc with a part beyond it off the slab.
bool BorderSideLeavesSlab(double ax, double ay, double bx, double by);

// Indexes the outline and opening pieces of basDelaunay() for the tests
// above (InsideSlabPieces, InsideSlabOrOnBorder, CrossesSlabBorder): a
// point or a segment is then tested against the pieces near it only, so
// their time does not grow with the number of pieces. The answers are
// those of the scan of every piece, except that a segment is tested for
// reaching through an arc only where the box of the arc's circle meets the
// segment's box (a segment that reaches through an arc meets its circle).
// ClearBorderIndex drops the index (the
// tests scan again); the generator holds it from its input check to its
// end.
void BuildBorderIndex();
void ClearBorderIndex();

// Makes SlabRegion (opening 0) or OpeningRegions(opening) from RegionPoints
// 1..RegionPointCount.
void MakeTracedRegion(std::int32_t opening);

// Deletes SlabRegion and every opening region and sets their handles to 0
// (harmless for regions never made).
void DeleteGridRegions();

}  // namespace orvelo
