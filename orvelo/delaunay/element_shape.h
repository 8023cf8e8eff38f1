// The shape of an element of the mesher net as the editing procedures judge
// it (point insertion, smoothing, boundary front points): its turning sense,
// whether it holds a point, whether moving nodes folds it, and which nodes
// the side flags hold in place. Elements are triangles (CornerCount 3) or
// quadrilaterals (4); orientation is tested exactly (predicates.h).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "orvelo/model/net.h"

namespace orvelo {

struct BasDelaunay;

// +1 when the corners of the element run counter-clockwise (y upwards), -1
// clockwise, 0 when it has no proper turning sense: a flat triangle or one
// with a repeated corner, a quadrilateral whose corners turn as many times
// one way as the other (its sides cross, or it is flat), anything that is
// neither a triangle nor a quadrilateral. A quadrilateral with one corner
// turning against the others (not convex) takes the sense of the three.
int ElementTurn(const BasDelaunay& m, const NetElement& element);

// Whether every corner of the quadrilateral turns the same way as `turn`
// (+1 or -1), none of them straight.
bool StrictlyConvex(const BasDelaunay& m, const NetElement& element, int turn);
// The same two over a net given by arrays (node n at (x[n], y[n]), nodes
// 1..size - 1), such as the project net.
int ElementTurn(const NetElement& element, const std::vector<float>& x, const std::vector<float>& y);
bool StrictlyConvex(const NetElement& element, const std::vector<float>& x, const std::vector<float>& y, int turn);

// Whether the element holds (x, y): inside it or on one of its sides (exact
// even-odd test). An element without a proper turning sense holds nothing.
bool ElementHoldsPoint(const BasDelaunay& m, const NetElement& element, double x, double y);

// Whether (x, y) lies on the side from a to b between its ends: exactly, or
// closer to it than tol (measured across the side).
bool PointOnSide(const BasDelaunay& m, std::int16_t a, std::int16_t b, double x, double y, double tol);

// The nodes 0..MeshNodeCount that the side flags hold in place: a node is
// held where, in an element that has it as corner k, Flag(k) carries
// OuterSide (1), BoundaryNode (2) or BoundarySide (4), or Flag(k-1) (the
// side arriving at it; the last corner's for k = 1) carries 1 or 4. Error 9
// for an element of more than four corners or a corner that is no node.
std::vector<bool> NodesHeldByFlags(const BasDelaunay& m);

// Whether the element keeps its turn at every corner when its nodes move
// from the positions `before` to the positions `after` (each a function of
// a node number giving {x, y}): no corner turns the other way or becomes
// straight, and none keeps less than a thousandth of the turn it had. A
// corner that was straight already is not judged.
template <class Before, class After>
bool KeepsItsShape(const NetElement& element, Before before, After after) {
    const int count = element.CornerCount;
    if (count < 3 || count > 4) return true;
    // Each corner's place asked once; the turns follow from them.
    using Place = std::pair<double, double>;
    Place was[4], is[4];
    for (int k = 0; k < count; ++k) {
        was[k] = before(element.Node[static_cast<std::size_t>(k + 1)]);
        is[k] = after(element.Node[static_cast<std::size_t>(k + 1)]);
    }
    auto turn = [](const Place& a, const Place& b, const Place& c) {
        return (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
    };
    for (int k = 0; k < count; ++k) {
        const int a = k == 0 ? count - 1 : k - 1, c = k == count - 1 ? 0 : k + 1;
        const double turnWas = turn(was[a], was[k], was[c]);
        if (turnWas == 0.0) continue;
        const double turnIs = turn(is[a], is[k], is[c]);
        if ((turnIs > 0.0) != (turnWas > 0.0) || std::fabs(turnIs) < 1e-3 * std::fabs(turnWas)) return false;
    }
    return true;
}

// The cosine of the smallest corner angle of the element (a triangle or a
// quadrilateral; 1 where a corner has a side of length 0) with its nodes
// at position(n) ({x, y}): the larger it is, the worse the element. The
// editing procedures that move or add nodes take a change only where the
// elements it touches keep their turn and this does not grow, so the
// smallest angle of the net never falls.
template <class Position>
double LargestCornerCosine(const NetElement& element, Position position) {
    const int count = std::min(element.CornerCount, 4);
    if (count < 1) return -1.0;
    // Each corner's place asked once.
    using Place = decltype(position(std::int16_t{}));
    Place at[4];
    for (int k = 0; k < count; ++k) at[k] = position(element.Node[static_cast<std::size_t>(k + 1)]);
    double largest = -1.0;
    for (int k = 0; k < count; ++k) {
        const Place& a = at[k == 0 ? count - 1 : k - 1];
        const Place& b = at[k];
        const Place& c = at[k == count - 1 ? 0 : k + 1];
        const double ux = a.first - b.first, uy = a.second - b.second;
        const double vx = c.first - b.first, vy = c.second - b.second;
        const double lengths = (ux * ux + uy * uy) * (vx * vx + vy * vy);
        if (!(lengths > 0.0)) return 1.0;
        largest = std::max(largest, (ux * vx + uy * vy) / std::sqrt(lengths));
    }
    return largest;
}

// How the smoothing and the front points count the elements under theta
// (MinAngle): those whose largest corner cosine exceeds `cosine`. Up to 34
// degrees, the most a Delaunay refinement reaches, a move or a point may not
// leave more of them at its place. From 34 to 60 degrees (wholeNet), where
// most elements are under theta by necessity, it may add some where others
// leave, as long as the whole net (count) ends with no more than it had
// before the options (limit). At 60 and above every element but an
// equilateral one is under theta, and none is counted (cosine 2, which no
// cosine exceeds): the smallest angle alone guards.
struct UnderThetaGuard {
    explicit UnderThetaGuard(float minAngle)
        : cosine(minAngle < 60.0f ? std::cos(static_cast<double>(minAngle) * 0.0174532) : 2.0),
          wholeNet(minAngle > 34.0f && minAngle < 60.0f) {}

    double cosine;
    bool wholeNet;
    std::int64_t count = 0, limit = 0;

    // Whether elements under theta at a place may go from before to after.
    bool allows(std::int64_t before, std::int64_t after) const {
        return wholeNet ? count + after - before <= limit : after <= before;
    }
    // A change from before to after taken.
    void take(std::int64_t before, std::int64_t after) { count += after - before; }
};

}  // namespace orvelo
