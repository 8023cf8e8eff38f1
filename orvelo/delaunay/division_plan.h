// The plan of a piece's division: where other constraints meet it and
// where single points stand on it or beside it, the piece is divided first,
// and the parts are stepped by the target sizes (AddPieceNodes). One rule
// serves the division and the count of the nodes it will make, so the
// generation's count before any node is made can never differ from it.
#pragma once

#include <cstdint>
#include <vector>

#include "orvelo/model/net.h"

namespace orvelo {

struct BasDelaunay;

// A straight piece, an internal line or a straight border piece, as the
// places where constraints meet are worked out on it.
struct Segment {
    double x1, y1, x2, y2;
};

Segment SegmentOf(const OutlinePiece& piece);

// Whether the piece is stepped as a straight piece (no arc, or an arc of a
// radius of 10000 or more).
bool IsStraightPiece(const OutlinePiece& piece);

// A single point that lies on a piece (nearer to it than the coincidence
// tolerance, away from its ends) divides it: the piece is divided on each
// side of the point and runs through it, so that no node of the division
// stands beside it (a support on a side would otherwise get a node a few
// centimetres away, and a sliver the refinement cannot mend). A point beside
// a piece (nearer to it than half the target size at its foot) divides it
// around its foot instead (besideCuts): the piece stays where it is. Each
// point belongs to the nearest such piece only. A point farther off leaves
// the piece as it is.
struct SidePoint {
    double x, y;
    OutlinePiece piece;  // the piece it divides
    bool taken = false;
    double off = 0.0;   // its distance from the piece
    double size = 0.0;  // the target size at its foot
    bool outside = false;  // beside an arc on the side away from the slab
};

// The single points that divide a piece of `pieces` (the border's, arcs
// too, and the lines), each with the nearest piece it divides. slabSide
// tells for each piece on which side of it the slab lies (+1 left of its
// course, -1 right, 0 both or not known); see the unit for the rules.
std::vector<SidePoint> SinglePointsOnSides(const BasDelaunay& m, const std::vector<OutlinePiece>& pieces,
                                           const std::vector<int>& slabSide, double tol);

// Appends the nodes of the piece to the chain: divided first where the
// others (straight pieces) meet it and where the points divide it, each
// part stepped by AddPieceNodes (arcs by their own circle). The piece's
// start is appended, its end only where the stepping appends it.
void AddDividedPieceNodes(const OutlinePiece& piece, const std::vector<const Segment*>& others,
                          const std::vector<SidePoint>& points, std::vector<std::int16_t>& chain, double tol);

// How many points AddDividedPieceNodes makes of the piece (both ends
// included, a place where two parts meet once), by the same cuts and the
// stepping of CountPieceNodes; counted up to limit + 1 at most.
std::int64_t CountDividedPieceNodes(const OutlinePiece& piece, const std::vector<const Segment*>& others,
                                    const std::vector<SidePoint>& points, double tol, std::int64_t limit);

}  // namespace orvelo
