#include "orvelo/gridmesh/cell_patterns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_regions.h"
#include "orvelo/gridmesh/key_points.h"
#include "orvelo/model/declar.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/rounding.h"

namespace orvelo {

namespace {

struct At {
    std::int32_t ix = 0;
    std::int32_t iy = 0;
};

bool used(const At& p) { return basGridBased().GridPointUsed(p.ix, p.iy) == 1; }
std::int16_t node(const At& p) { return basGridBased().GridNodeNumber(p.ix, p.iy); }

// One producer's view of its cell, as the table of the two producers gives
// it: its own triangle, the corners that must carry nodes, the rival
// diagonal, the cell's fourth corner and the two flags.
struct Producer {
    std::array<At, 3> own;
    std::array<At, 2> needed;
    std::array<At, 2> rivalDiagonal;
    At fourth;
    // The rival triangle (the other producer's own) and the corner it
    // leaves out.
    std::array<At, 3> rival;
    At rivalLeftOut;
    At cell;
    int rivalTriangle = 0;
    int ownTriangle = 0;
    CellDiagonal ownDiagonal = CellDiagonal::None;
    CellDiagonal rivalDiagonalKind = CellDiagonal::None;
};

Producer pointCorner(std::int32_t ix, std::int32_t iy, std::int32_t s) {
    Producer p;
    p.own = {At{ix, iy}, At{ix, iy + s}, At{ix - 1, iy}};
    p.needed = {At{ix - 1, iy}, At{ix, iy + s}};
    p.rivalDiagonal = {At{ix, iy}, At{ix - 1, iy + s}};
    p.fourth = At{ix - 1, iy + s};
    p.rival = {At{ix, iy}, At{ix - 1, iy + s}, At{ix - 1, iy}};
    p.rivalLeftOut = At{ix, iy + s};
    if (s > 0) {
        p.cell = At{ix, iy};
        p.rivalTriangle = 3;
        p.ownTriangle = 4;
        p.ownDiagonal = CellDiagonal::RightUp;
        p.rivalDiagonalKind = CellDiagonal::RightDown;
    } else {
        p.cell = At{ix, iy - 1};
        p.rivalTriangle = 2;
        p.ownTriangle = 1;
        p.ownDiagonal = CellDiagonal::RightDown;
        p.rivalDiagonalKind = CellDiagonal::RightUp;
    }
    return p;
}

Producer neighbourCorner(std::int32_t ix, std::int32_t iy, std::int32_t s) {
    Producer p;
    p.own = {At{ix, iy}, At{ix - 1, iy + s}, At{ix - 1, iy}};
    p.needed = {At{ix - 1, iy}, At{ix - 1, iy + s}};
    p.rivalDiagonal = {At{ix - 1, iy}, At{ix, iy + s}};
    p.fourth = At{ix, iy + s};
    p.rival = {At{ix, iy}, At{ix, iy + s}, At{ix - 1, iy}};
    p.rivalLeftOut = At{ix - 1, iy + s};
    if (s > 0) {
        p.cell = At{ix, iy};
        p.rivalTriangle = 4;
        p.ownTriangle = 3;
        p.ownDiagonal = CellDiagonal::RightDown;
        p.rivalDiagonalKind = CellDiagonal::RightUp;
    } else {
        p.cell = At{ix, iy - 1};
        p.rivalTriangle = 1;
        p.ownTriangle = 2;
        p.ownDiagonal = CellDiagonal::RightUp;
        p.rivalDiagonalKind = CellDiagonal::RightDown;
    }
    return p;
}

double orientation(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// How a -> b -> c turns for the nodes, compared with their grid points:
// +1 the same way round and clearly (each node farther than the coincidence
// tolerance from the line through the other two), -1 the other way round
// and clearly, 0 in line within the tolerance.
int turnAgainstGrid(const At& a, const At& b, const At& c) {
    const BasGridBased& g = basGridBased();
    const BasDelaunay& m = basDelaunay();
    const auto gx = [&g](const At& p) { return static_cast<double>(g.GridLineX[static_cast<std::size_t>(p.ix)]); };
    const auto gy = [&g](const At& p) { return static_cast<double>(g.GridLineY[static_cast<std::size_t>(p.iy)]); };
    const auto nx = [&m](const At& p) { return static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(node(p))]); };
    const auto ny = [&m](const At& p) { return static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(node(p))]); };
    const double gridTurn = orientation(gx(a), gy(a), gx(b), gy(b), gx(c), gy(c));
    const double netTurn = orientation(nx(a), ny(a), nx(b), ny(b), nx(c), ny(c));
    const double longest = std::max({std::hypot(nx(b) - nx(a), ny(b) - ny(a)), std::hypot(nx(c) - nx(b), ny(c) - ny(b)),
                                     std::hypot(nx(a) - nx(c), ny(a) - ny(c))});
    if (std::fabs(netTurn) <= static_cast<double>(KeyTolerance()) * longest) return 0;
    return (gridTurn > 0.0) == (netTurn > 0.0) ? 1 : -1;
}

// Whether a key node other than the corners lies inside the element of
// these grid points (farther than the tolerance from its sides). A key
// node stands within half a spacing of its grid point, so only the grid
// points around the corners' are looked at.
template <std::size_t N>
bool coversKeyNode(const std::array<At, N>& corners) {
    const BasGridBased& g = basGridBased();
    const BasDelaunay& m = basDelaunay();
    const auto x = [&m](std::int32_t n) { return static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(n)]); };
    const auto y = [&m](std::int32_t n) { return static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(n)]); };
    const double tol = KeyTolerance();
    std::int32_t x0 = corners[0].ix, x1 = x0, y0 = corners[0].iy, y1 = y0;
    for (const At& c : corners) {
        x0 = std::min(x0, c.ix), x1 = std::max(x1, c.ix), y0 = std::min(y0, c.iy), y1 = std::max(y1, c.iy);
    }
    for (std::int32_t i = std::max(x0 - 1, 0); i <= std::min(x1 + 1, g.GridNodeNumber.maxX()); ++i) {
        for (std::int32_t j = std::max(y0 - 1, 0); j <= std::min(y1 + 1, g.GridNodeNumber.maxY()); ++j) {
            const std::int32_t k = g.GridNodeNumber(i, j);
            if (k == 0 || k > g.KeyNodeCount) continue;
            int side = 0;
            bool inside = true;
            for (std::size_t c = 0; c < N && inside; ++c) {
                const std::int32_t a = node(corners[c]), b = node(corners[(c + 1) % N]);
                const double turn = (x(b) - x(a)) * (y(k) - y(a)) - (y(b) - y(a)) * (x(k) - x(a));
                const int sign = turn > 0.0 ? 1 : -1;
                inside = k != a && std::fabs(turn) > tol * std::hypot(x(b) - x(a), y(b) - y(a)) && (side == 0 || sign == side);
                side = sign;
            }
            if (inside) return true;
        }
    }
    return false;
}

// AddGridTriangle for a triangle of grid points. Key nodes stand off their
// grid points, and where they fold a cell over, a triangle of the cell would
// be turned inside out, flat, or would cover the cell's fourth node; such a
// triangle is not made. A cell triangle is kept when its corner off the
// diagonal lies clearly on its side of the diagonal, and the cell's fourth
// node (when there is one) not on that same side; the other diagonal of a
// folded cell, through its reflex corner, then serves. A triangle without a
// cell (fourth nullptr) needs only to turn as its grid points do.
bool cellTriangleFits(const std::array<At, 3>& corners, const At* fourth) {
    for (const At& c : corners)
        if (node(c) == 0) return false;
    if (fourth == nullptr) return turnAgainstGrid(corners[0], corners[1], corners[2]) == 1;
    // The diagonal joins the two corners that differ in both indices.
    std::size_t off = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        const At& a = corners[(k + 1) % 3];
        const At& b = corners[(k + 2) % 3];
        if (a.ix != b.ix && a.iy != b.iy) off = k;
    }
    const At& d1 = corners[(off + 1) % 3];
    const At& d2 = corners[(off + 2) % 3];
    if (turnAgainstGrid(d1, d2, corners[off]) != 1) return false;
    return !used(*fourth) || turnAgainstGrid(d1, d2, *fourth) != -1;
}

bool addCellTriangle(const std::array<At, 3>& corners, const At* fourth) {
    if (!cellTriangleFits(corners, fourth) || coversKeyNode(corners)) return false;
    return AddGridTriangle(node(corners[0]), node(corners[1]), node(corners[2]));
}

// Whether a triangle on the diagonal may join what the pass has made in the
// cell: only a triangle on the same diagonal as an earlier one.
bool diagonalFree(const At& cell, CellDiagonal diagonal) {
    const CellDiagonal made = basGridBased().CellDiagonalMade(cell.ix, cell.iy);
    return made == CellDiagonal::None || made == diagonal;
}

void produce(const Producer& p, std::int32_t ix, std::int32_t iy, std::int32_t s) {
    BasGridBased& g = basGridBased();
    g.TriangleMissing = true;
    if (iy + s > g.GridIntervalsY + 1 || ix < 1) return;
    if (!used(p.needed[0]) || !used(p.needed[1])) return;
    if (used(p.fourth) && node(p.rivalDiagonal[0]) <= g.KeyNodeCount && node(p.rivalDiagonal[1]) <= g.KeyNodeCount &&
        !g.DiagonalSwitched && diagonalFree(p.cell, p.rivalDiagonalKind) && cellTriangleFits(p.rival, &p.rivalLeftOut)) {
        if (g.CellTriangleInside(p.cell.ix, p.cell.iy)[static_cast<std::size_t>(p.rivalTriangle)]) {
            g.DiagonalSwitched = true;
            return;
        }
    }
    if (!g.CellTriangleInside(p.cell.ix, p.cell.iy)[static_cast<std::size_t>(p.ownTriangle)]) return;
    if (!diagonalFree(p.cell, p.ownDiagonal)) return;
    if (addCellTriangle(p.own, &p.fourth))
        g.CellDiagonalMade(p.cell.ix, p.cell.iy) = p.ownDiagonal;
    if (s > 0)
        g.ProposedAbove = true;
    else
        g.ProposedBelow = true;
}

// The elements made so far, by square cells of the largest grid spacing,
// to find those a new element could overlap: key nodes standing off their
// grid points can fold a triangle over one of a neighbouring cell, which no
// test of the cell itself sees.
class MadeElements {
public:
    // Up to four corners, counter-clockwise or not.
    struct Corners {
        std::array<std::int16_t, 4> node{};
        std::size_t count = 0;
    };

    void reset() {
        cells_.clear();
        indexed_ = 0;
        size_ = 0.0;
    }

    // Whether the convex element of these corners overlaps one made so far
    // by more than the tolerance. (Two elements whose nodes all stand on
    // their grid points never do.)
    bool overlaps(const Corners& corners) {
        const BasDelaunay& m = basDelaunay();
        if (m.MeshElementCount < indexed_) reset();
        if (!(size_ > 0.0)) {
            const BasGridBased& g = basGridBased();
            for (const float spacing : g.GridSpacingX) size_ = std::max(size_, static_cast<double>(spacing));
            for (const float spacing : g.GridSpacingY) size_ = std::max(size_, static_cast<double>(spacing));
            if (!(size_ > 0.0) || !std::isfinite(size_)) size_ = 1.0;
        }
        for (; indexed_ < m.MeshElementCount; ++indexed_)
            eachCell(cornersOf(indexed_ + 1), [this](std::int64_t cell) { cells_[cell].push_back(indexed_ + 1); });
        const bool keyed = offGrid(corners);
        const double tol = KeyTolerance();
        bool found = false;
        eachCell(corners, [&](std::int64_t cell) {
            const auto list = cells_.find(cell);
            if (list == cells_.end()) return;
            for (const std::int32_t e : list->second) {
                const Corners other = cornersOf(e);
                found = found || ((keyed || offGrid(other)) && interiorsOverlap(corners, other, tol));
            }
        });
        return found;
    }

private:
    // Whether a corner is a key node standing off its grid point.
    static bool offGrid(const Corners& c) {
        const BasGridBased& g = basGridBased();
        const BasDelaunay& m = basDelaunay();
        for (std::size_t k = 0; k < c.count; ++k) {
            const auto n = static_cast<std::size_t>(c.node[k]);
            if (c.node[k] > g.KeyNodeCount || n >= g.KeyGridX.size() || n >= g.KeyGridY.size()) continue;
            const auto ix = static_cast<std::size_t>(g.KeyGridX[n]), iy = static_cast<std::size_t>(g.KeyGridY[n]);
            if (ix >= g.GridLineX.size() || iy >= g.GridLineY.size() || m.MeshNodeX[n] != g.GridLineX[ix] || m.MeshNodeY[n] != g.GridLineY[iy])
                return true;
        }
        return false;
    }

    static Corners cornersOf(std::int32_t e) {
        const NetElement& t = basDelaunay().MeshElementList[static_cast<std::size_t>(e)];
        Corners c;
        c.count = static_cast<std::size_t>(t.CornerCount);
        for (std::size_t k = 0; k < c.count; ++k) c.node[k] = t.Node[k + 1];
        return c;
    }

    template <typename Visit>
    void eachCell(const Corners& corners, const Visit& visit) const {
        const BasDelaunay& m = basDelaunay();
        double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
        for (std::size_t k = 0; k < corners.count; ++k) {
            const auto n = static_cast<std::size_t>(corners.node[k]);
            x0 = std::min(x0, static_cast<double>(m.MeshNodeX[n])), x1 = std::max(x1, static_cast<double>(m.MeshNodeX[n]));
            y0 = std::min(y0, static_cast<double>(m.MeshNodeY[n])), y1 = std::max(y1, static_cast<double>(m.MeshNodeY[n]));
        }
        const auto cellOf = [this](double v) { return static_cast<std::int64_t>(std::floor(v / size_)); };
        for (std::int64_t i = cellOf(x0); i <= cellOf(x1); ++i)
            for (std::int64_t j = cellOf(y0); j <= cellOf(y1); ++j) visit(i * 4294967296LL + (j & 0xffffffffLL));
    }

    // Separating sides: the interiors of two convex polygons overlap when no
    // side of either has the other within the tolerance beyond its line.
    static bool interiorsOverlap(const Corners& p, const Corners& q, double tol) {
        const BasDelaunay& m = basDelaunay();
        const auto x = [&m](std::int16_t n) { return static_cast<double>(m.MeshNodeX[static_cast<std::size_t>(n)]); };
        const auto y = [&m](std::int16_t n) { return static_cast<double>(m.MeshNodeY[static_cast<std::size_t>(n)]); };
        const auto separates = [&](const Corners& own, const Corners& other) {
            double area = 0.0;
            for (std::size_t k = 0; k < own.count; ++k) {
                const std::int16_t a = own.node[k], b = own.node[(k + 1) % own.count];
                area += x(a) * y(b) - x(b) * y(a);
            }
            const double way = area > 0.0 ? 1.0 : -1.0;
            for (std::size_t k = 0; k < own.count; ++k) {
                const std::int16_t a = own.node[k], b = own.node[(k + 1) % own.count];
                const double squared = (x(b) - x(a)) * (x(b) - x(a)) + (y(b) - y(a)) * (y(b) - y(a));
                if (!(squared > 0.0)) continue;
                bool beyond = true;
                for (std::size_t j = 0; j < other.count && beyond; ++j) {
                    const std::int16_t n = other.node[j];
                    const double inward = way * ((x(b) - x(a)) * (y(n) - y(a)) - (y(b) - y(a)) * (x(n) - x(a)));
                    beyond = inward <= 0.0 || inward * inward <= tol * tol * squared;
                }
                if (beyond) return true;
            }
            return false;
        };
        return !separates(p, q) && !separates(q, p);
    }

    std::unordered_map<std::int64_t, std::vector<std::int32_t>> cells_;
    std::int32_t indexed_ = 0;
    double size_ = 0.0;
};

MadeElements& madeElements() {
    static MadeElements made;
    return made;
}

void appendElement(const NetElement& element) {
    BasDelaunay& m = basDelaunay();
    if (m.MeshElementCount >= kMaxNetCount) rt::raise(6, "The grid-based net would have more than 32767 elements.");
    ++m.MeshElementCount;
    m.MeshElementList.resize(static_cast<std::size_t>(m.MeshElementCount) + 1);
    m.MeshElementList[static_cast<std::size_t>(m.MeshElementCount)] = element;
}

// Whether a side of the element with these corners reaches across a piece
// of the outline or of an opening, or cuts through a notch of the border
// (the side's middle off the slab: a chord across a reflex corner).
bool sideLeavesSlab(const std::vector<std::int16_t>& corners) {
    const BasDelaunay& m = basDelaunay();
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const auto p = static_cast<std::size_t>(corners[k]);
        const auto q = static_cast<std::size_t>(corners[(k + 1) % corners.size()]);
        if (CrossesSlabBorder(m.MeshNodeX[p], m.MeshNodeY[p], m.MeshNodeX[q], m.MeshNodeY[q]) ||
            !InsideSlabOrOnBorder((static_cast<double>(m.MeshNodeX[p]) + m.MeshNodeX[q]) / 2.0,
                                  (static_cast<double>(m.MeshNodeY[p]) + m.MeshNodeY[q]) / 2.0))
            return true;
    }
    return false;
}

using ProducerFn = void (*)(std::int16_t, std::int16_t, std::int16_t);

// The first producer and its fall-back of one step.
void step(ProducerFn first, ProducerFn fallBack, std::int32_t ix, std::int32_t iy, std::int16_t s) {
    basGridBased().DiagonalSwitched = false;
    first(static_cast<std::int16_t>(ix), static_cast<std::int16_t>(iy), s);
    if (basGridBased().TriangleMissing) fallBack(static_cast<std::int16_t>(ix), static_cast<std::int16_t>(iy), s);
}

bool isEven(std::int32_t v) { return 2 * (v / 2) == v; }

void prepareCellRecords() {
    BasGridBased& g = basGridBased();
    g.CellDiagonalMade.create(g.GridIntervalsX + 1, g.GridIntervalsY + 1);
    g.TriangleMissing = false;
    g.DiagonalSwitched = false;
    g.ProposedAbove = false;
    g.ProposedBelow = false;
    madeElements().reset();
}

}  // namespace

bool AddGridTriangle(std::int16_t a, std::int16_t b, std::int16_t c) {
    if (a == 0 || b == 0 || c == 0) return false;
    BasDelaunay& m = basDelaunay();
    const auto xOf = [&m](std::int16_t n) { return m.MeshNodeX[static_cast<std::size_t>(n)]; };
    const auto yOf = [&m](std::int16_t n) { return m.MeshNodeY[static_cast<std::size_t>(n)]; };
    const float sumX = xOf(b) + xOf(a) + xOf(c);
    const float sumY = yOf(a) + yOf(b) + yOf(c);
    const double scale = static_cast<double>(UnitFactor()) * 100.0;
    if (!InsideSlabRegionsAt(static_cast<double>(sumX) * scale / 3.0, static_cast<double>(sumY) * scale / 3.0)) return false;
    // Below the regions' resolution: a sliver outside a bend of the border;
    // a triangle whose side reaches across the border or cuts through a
    // notch of it.
    const double cx = (static_cast<double>(xOf(a)) + xOf(b) + xOf(c)) / 3.0;
    const double cy = (static_cast<double>(yOf(a)) + yOf(b) + yOf(c)) / 3.0;
    if (!InsideSlabPieces(cx, cy) || sideLeavesSlab({a, b, c}) || madeElements().overlaps({{a, b, c, 0}, 3})) return false;
    NetElement element;
    element.CornerCount = 3;
    element.Node[1] = a;
    element.Node[2] = b;
    element.Node[3] = c;
    // Every element of the net runs counter-clockwise.
    const double turn = (static_cast<double>(xOf(b)) - xOf(a)) * (static_cast<double>(yOf(c)) - yOf(a)) -
                        (static_cast<double>(yOf(b)) - yOf(a)) * (static_cast<double>(xOf(c)) - xOf(a));
    if (turn < 0.0) std::swap(element.Node[2], element.Node[3]);
    appendElement(element);
    basGridBased().TriangleMissing = false;
    return true;
}

void AddPointCornerTriangle(std::int16_t ix, std::int16_t iy, std::int16_t s) {
    produce(pointCorner(ix, iy, s), ix, iy, s);
}

void AddNeighbourCornerTriangle(std::int16_t ix, std::int16_t iy, std::int16_t s) {
    produce(neighbourCorner(ix, iy, s), ix, iy, s);
}

void AddBridgingTriangle(std::int16_t ix, std::int16_t iy, std::int16_t s) {
    BasGridBased& g = basGridBased();
    g.TriangleMissing = true;
    if (ix < 2 || iy + s > g.GridIntervalsY + 1) return;
    if (!used(At{ix - 1, iy + s}) || !used(At{ix - 2, iy}) || used(At{ix - 1, iy})) return;
    const std::array<At, 3> corners{At{ix, iy}, At{ix - 1, iy + s}, At{ix - 2, iy}};
    addCellTriangle(corners, nullptr);
}

void AddCellQuadrilateral(std::int16_t ix, std::int16_t iy) {
    BasGridBased& g = basGridBased();
    if (iy > g.GridIntervalsY || ix < 1) return;
    const std::array<bool, 5>& flag = g.CellTriangleInside(ix, iy);
    const At br{ix, iy};
    const At tr{ix, iy + 1};
    const At tl{ix - 1, iy + 1};
    const At bl{ix - 1, iy};
    int highest = 0;
    bool anyClear = false;
    for (int t = 1; t <= 4; ++t) {
        if (flag[static_cast<std::size_t>(t)])
            highest = t;
        else
            anyClear = true;
    }
    if (anyClear) {
        // The corner triangles in the corner order this pattern gives them.
        const std::array<std::array<At, 3>, 5> corners{{{},
                                                        {br, tr, tl},
                                                        {tl, tr, bl},
                                                        {tl, bl, br},
                                                        {br, bl, tr}}};
        const std::array<At, 5> leftOut{At{}, bl, br, tr, tl};
        if (highest > 0) {
            addCellTriangle(corners[static_cast<std::size_t>(highest)], &leftOut[static_cast<std::size_t>(highest)]);
        }
        return;
    }
    const BasDelaunay& m = basDelaunay();
    const auto joins = [](const std::array<std::int16_t, 2>& pair, std::int16_t a, std::int16_t b) {
        return (pair[0] == a && pair[1] == b) || (pair[0] == b && pair[1] == a);
    };
    for (std::int32_t e = 1; e <= m.ConstraintEdgeCount; ++e) {
        const std::array<std::int16_t, 2> pair = m.ConstraintEdges[static_cast<std::size_t>(e)];
        if (joins(pair, node(br), node(tl))) {
            addCellTriangle({br, tl, bl}, &tr);
            addCellTriangle({br, tl, tr}, &bl);
            return;
        }
        if (joins(pair, node(tr), node(bl))) {
            addCellTriangle({br, tr, bl}, &tl);
            addCellTriangle({tl, tr, bl}, &br);
            return;
        }
    }
    // A quadrilateral that its key nodes fold over is split on the diagonal
    // through its reflex corner; one reaching across the border or over a
    // key node is split too, and each half kept or not on its own.
    const bool convex = turnAgainstGrid(br, tr, tl) == 1 && turnAgainstGrid(tr, tl, bl) == 1 &&
                        turnAgainstGrid(tl, bl, br) == 1 && turnAgainstGrid(bl, br, tr) == 1;
    if (!convex || sideLeavesSlab({node(br), node(tr), node(tl), node(bl)}) || coversKeyNode(std::array<At, 4>{br, tr, tl, bl}) ||
        madeElements().overlaps({{node(br), node(tr), node(tl), node(bl)}, 4})) {
        if (cellTriangleFits({br, tl, bl}, &tr) && cellTriangleFits({br, tl, tr}, &bl)) {
            addCellTriangle({br, tl, bl}, &tr);
            addCellTriangle({br, tl, tr}, &bl);
        } else {
            addCellTriangle({br, tr, bl}, &tl);
            addCellTriangle({tl, tr, bl}, &br);
        }
        return;
    }
    NetElement quadrilateral;
    quadrilateral.CornerCount = 4;
    quadrilateral.Node[1] = node(br);
    quadrilateral.Node[2] = node(tr);
    quadrilateral.Node[3] = node(tl);
    quadrilateral.Node[4] = node(bl);
    appendElement(quadrilateral);
}

bool BuildGridCellElements() {
    BasGridBased& g = basGridBased();
    const std::int16_t meshType = declar().MeshType;
    prepareCellRecords();
    mesher::SetProgressMax(static_cast<std::int64_t>(g.GridIntervalsX) + 1);
    for (std::int32_t ix = 2; ix <= g.GridIntervalsX + 1; ++ix) {
        for (std::int32_t iy = 1; iy <= g.GridIntervalsY + 1; ++iy) {
            ProducerFn upFirst = nullptr;
            ProducerFn upFallBack = nullptr;
            ProducerFn downFirst = nullptr;
            ProducerFn downFallBack = nullptr;
            switch (meshType) {
            case 1:
                upFirst = AddPointCornerTriangle;
                upFallBack = AddNeighbourCornerTriangle;
                downFirst = AddNeighbourCornerTriangle;
                downFallBack = AddPointCornerTriangle;
                break;
            case 2:
                upFirst = AddNeighbourCornerTriangle;
                upFallBack = AddPointCornerTriangle;
                downFirst = AddPointCornerTriangle;
                downFallBack = AddNeighbourCornerTriangle;
                break;
            case 3:
                if (isEven(ix) != isEven(iy)) {
                    upFirst = downFirst = AddPointCornerTriangle;
                    upFallBack = downFallBack = AddNeighbourCornerTriangle;
                } else {
                    upFirst = downFirst = AddNeighbourCornerTriangle;
                    upFallBack = downFallBack = AddPointCornerTriangle;
                }
                break;
            default:
                break;
            }
            if (iy <= g.GridIntervalsY) {
                if (meshType == 0) {
                    g.DiagonalSwitched = false;
                    AddCellQuadrilateral(static_cast<std::int16_t>(ix), static_cast<std::int16_t>(iy));
                    continue;
                }
                if (upFirst != nullptr) step(upFirst, upFallBack, ix, iy, 1);
            }
            g.DiagonalSwitched = false;
            if (downFirst != nullptr) step(downFirst, downFallBack, ix, iy, -1);
        }
        if (mesher::StopRequested(true)) return false;
    }
    return true;
}

bool BuildGridPointElements() {
    BasGridBased& g = basGridBased();
    prepareCellRecords();
    mesher::SetProgressMax(static_cast<std::int64_t>(g.GridIntervalsX) + 1);
    for (std::int32_t ix = 2; ix <= g.GridIntervalsX + 1; ++ix) {
        for (std::int32_t iy = 1; iy <= g.GridIntervalsY + 1; ++iy) {
            if (!used(At{ix, iy})) continue;
            g.ProposedAbove = false;
            g.ProposedBelow = false;
            if (iy <= g.GridIntervalsY) step(AddPointCornerTriangle, AddNeighbourCornerTriangle, ix, iy, 1);
            step(AddNeighbourCornerTriangle, AddPointCornerTriangle, ix, iy, -1);
            if (g.TriangleMissing) {
                if (!g.ProposedAbove) AddBridgingTriangle(static_cast<std::int16_t>(ix), static_cast<std::int16_t>(iy), 1);
                if (!g.ProposedBelow) AddBridgingTriangle(static_cast<std::int16_t>(ix), static_cast<std::int16_t>(iy), -1);
            }
        }
        if (mesher::StopRequested(true)) return false;
    }
    return true;
}

}  // namespace orvelo
