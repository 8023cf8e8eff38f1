#include "orvelo/delaunay/element_shape.h"

#include <algorithm>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/predicates.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

double xOf(const BasDelaunay& m, std::int16_t n) { return m.MeshNodeX[static_cast<std::size_t>(n)]; }
double yOf(const BasDelaunay& m, std::int16_t n) { return m.MeshNodeY[static_cast<std::size_t>(n)]; }

int sign(double value) { return value > 0.0 ? 1 : (value < 0.0 ? -1 : 0); }

// Node coordinates 0..count, of the mesher net or of a net given by arrays.
struct Coordinates {
    const float* x;
    const float* y;
    std::int32_t count;
};

Coordinates coordinatesOf(const BasDelaunay& m) { return {m.MeshNodeX.data(), m.MeshNodeY.data(), m.MeshNodeCount}; }

// The turn at corner k of the element (the corners before and after it).
int cornerTurn(const Coordinates& p, const NetElement& element, int k) {
    const int count = element.CornerCount;
    const auto a = static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k == 1 ? count : k - 1)]);
    const auto b = static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)]);
    const auto c = static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k == count ? 1 : k + 1)]);
    return sign(predicates::Orient2d(p.x[a], p.y[a], p.x[b], p.y[b], p.x[c], p.y[c]));
}

bool cornersAreNodes(const Coordinates& p, const NetElement& element) {
    for (int k = 1; k <= element.CornerCount; ++k) {
        const std::int16_t n = element.Node[static_cast<std::size_t>(k)];
        if (n < 1 || n > p.count) return false;
    }
    return true;
}

int elementTurn(const Coordinates& p, const NetElement& element) {
    if (element.CornerCount != 3 && element.CornerCount != 4) return 0;
    if (!cornersAreNodes(p, element)) return 0;
    if (element.CornerCount == 3) return cornerTurn(p, element, 2);
    int left = 0;
    int right = 0;
    for (int k = 1; k <= 4; ++k) {
        const int turn = cornerTurn(p, element, k);
        left += turn > 0 ? 1 : 0;
        right += turn < 0 ? 1 : 0;
    }
    return left > right ? 1 : (right > left ? -1 : 0);
}

bool strictlyConvex(const Coordinates& p, const NetElement& element, int turn) {
    if (element.CornerCount != 4 || turn == 0 || !cornersAreNodes(p, element)) return false;
    for (int k = 1; k <= 4; ++k)
        if (cornerTurn(p, element, k) != turn) return false;
    return true;
}

Coordinates coordinatesOf(const std::vector<float>& x, const std::vector<float>& y) {
    return {x.data(), y.data(), static_cast<std::int32_t>(std::min(x.size(), y.size())) - 1};
}

}  // namespace

int ElementTurn(const BasDelaunay& m, const NetElement& element) { return elementTurn(coordinatesOf(m), element); }

bool StrictlyConvex(const BasDelaunay& m, const NetElement& element, int turn) {
    return strictlyConvex(coordinatesOf(m), element, turn);
}

int ElementTurn(const NetElement& element, const std::vector<float>& x, const std::vector<float>& y) {
    return elementTurn(coordinatesOf(x, y), element);
}

bool StrictlyConvex(const NetElement& element, const std::vector<float>& x, const std::vector<float>& y, int turn) {
    return strictlyConvex(coordinatesOf(x, y), element, turn);
}

bool ElementHoldsPoint(const BasDelaunay& m, const NetElement& element, double x, double y) {
    if (ElementTurn(m, element) == 0) return false;
    const int count = element.CornerCount;
    bool inside = false;
    for (int k = 1; k <= count; ++k) {
        const std::int16_t a = element.Node[static_cast<std::size_t>(k)];
        const std::int16_t b = element.Node[static_cast<std::size_t>(k == count ? 1 : k + 1)];
        const double ax = xOf(m, a), ay = yOf(m, a), bx = xOf(m, b), by = yOf(m, b);
        if (predicates::OnSegment(ax, ay, bx, by, x, y)) return true;
        // Even-odd: the sides that cross the horizontal line through the
        // point to its right (lower end included, upper end not).
        if (ay <= y && y < by) {
            if (predicates::Orient2d(ax, ay, bx, by, x, y) > 0.0) inside = !inside;
        } else if (by <= y && y < ay) {
            if (predicates::Orient2d(ax, ay, bx, by, x, y) < 0.0) inside = !inside;
        }
    }
    return inside;
}

bool PointOnSide(const BasDelaunay& m, std::int16_t a, std::int16_t b, double x, double y, double tol) {
    const double ax = xOf(m, a), ay = yOf(m, a), bx = xOf(m, b), by = yOf(m, b);
    const double dx = bx - ax;
    const double dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    if (!(length2 > 0.0)) return false;
    const double along = ((x - ax) * dx + (y - ay) * dy) / length2;
    if (!(along > 0.0 && along < 1.0)) return false;
    if (predicates::Orient2d(ax, ay, bx, by, x, y) == 0.0) return true;
    return std::fabs(dx * (y - ay) - dy * (x - ax)) / std::sqrt(length2) < tol;
}

std::vector<bool> NodesHeldByFlags(const BasDelaunay& m) {
    constexpr std::int32_t holdingCorner = halvex::OuterSide | halvex::BoundaryNode | halvex::BoundarySide;
    constexpr std::int32_t holdingArrival = halvex::OuterSide | halvex::BoundarySide;
    std::vector<bool> held(static_cast<std::size_t>(m.MeshNodeCount) + 1, false);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
        if (t.CornerCount > 4) rt::raise(9, "An element of the net has more than four corners.");
        const int count = t.CornerCount;
        for (int k = 1; k <= count; ++k) {
            const std::int16_t j = t.Node[static_cast<std::size_t>(k)];
            if (j < 1 || j > m.MeshNodeCount) rt::raise(9, "An element of the net names a node that does not exist.");
            const int before = k == 1 ? count : k - 1;
            if ((t.Flag[static_cast<std::size_t>(k)] & holdingCorner) != 0 ||
                (t.Flag[static_cast<std::size_t>(before)] & holdingArrival) != 0)
                held[static_cast<std::size_t>(j)] = true;
        }
    }
    return held;
}

}  // namespace orvelo
