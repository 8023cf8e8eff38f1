#include "orvelo/delaunay/target_size.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "outside/drovik/plane_geometry.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

// ---- the steps both the scan and the index take ----

[[noreturn]] [[gnu::cold]] [[gnu::noinline]] void raiseNoSize(std::int32_t node) {
    rt::raise(9, "The target-size field holds no size for old node " + std::to_string(node) + ".");
}

inline float sizeOfNode(const SizeField& field, std::int32_t node) {
    if (node < 1 || static_cast<std::size_t>(node) >= field.sizes.size()) raiseNoSize(node);
    return field.sizes[static_cast<std::size_t>(node)];
}

[[noreturn]] [[gnu::cold]] [[gnu::noinline]] void raiseNoOldNode(std::int32_t node) {
    rt::raise(9, "The old net has no node " + std::to_string(node) + ".");
}

inline float nodeXOf(const SizeField& field, std::int32_t node) {
    if (node < 1 || static_cast<std::size_t>(node) >= field.nodeX.size() ||
        static_cast<std::size_t>(node) >= field.nodeY.size())
        raiseNoOldNode(node);
    return field.nodeX[static_cast<std::size_t>(node)];
}

float nodeYOf(const SizeField& field, std::int32_t node) {
    nodeXOf(field, node);
    return field.nodeY[static_cast<std::size_t>(node)];
}

// rt::toSingleChecked without the call where the value is plainly in range.
inline float toSingle(double value) {
    if (std::fabs(value) < 1e38) return static_cast<float>(value);
    return rt::toSingleChecked(value);
}

// Within the tolerance: differences and tolerance rounded to Single.
bool withinTolerance(float x, float y, float nx, float ny, float tol) {
    const float dx = x - nx;
    const float dy = y - ny;
    return std::fabs(dx) < tol && std::fabs(dy) < tol;
}

float toleranceOf(float unitFactor) {
    return static_cast<float>(0.001 / static_cast<double>(unitFactor));
}

// The squared distance as the nearest-node search compares it.
float squaredDistance(float x, float y, float nx, float ny) {
    const float dx = x - nx;
    const float dy = y - ny;
    return static_cast<float>(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
}

int cornerCountOf(const NetElement& element) {
    if (element.CornerCount > 4) rt::raise(9, "An old element has more than four corners.");
    return std::max(0, element.CornerCount);
}

// The integer corners of old element e; the count is returned.
int regionCorners(const SizeField& field, std::int32_t e, float unitFactor,
                  std::array<halvex::POINTAPI, 4>& corners) {
    const NetElement& element = field.elements[static_cast<std::size_t>(e)];
    const int count = cornerCountOf(element);
    for (int k = 0; k < count; ++k) {
        const std::int16_t node = element.Node[static_cast<std::size_t>(k + 1)];
        corners[static_cast<std::size_t>(k)] = RegionPoint(nodeXOf(field, node), nodeYOf(field, node), unitFactor);
    }
    return count;
}

// drovik::geometry::pointInIntegerRegion, the same rule, in 64-bit
// integers where every coordinate is small enough for them (below 2^30:
// no product or sum passes 2^63).
bool regionHolds(const halvex::POINTAPI* corners, int n, std::int64_t x, std::int64_t y) {
    constexpr std::int64_t kSmall = std::int64_t{1} << 30;
    bool small = x > -kSmall && x < kSmall && y > -kSmall && y < kSmall;
    for (int i = 0; i < n && small; ++i)
        small = corners[i].X > -kSmall && corners[i].X < kSmall && corners[i].Y > -kSmall && corners[i].Y < kSmall;
    if (!small)
        return drovik::geometry::pointInIntegerRegion(corners, n, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
    if (n < 3) return false;
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const halvex::POINTAPI& a = corners[j];
        const halvex::POINTAPI& b = corners[i];
        if ((a.Y > y) == (b.Y > y)) continue;
        const std::int64_t rise = static_cast<std::int64_t>(b.Y) - a.Y;
        const std::int64_t across = (static_cast<std::int64_t>(a.X) - x) * rise +
                                    (y - a.Y) * (static_cast<std::int64_t>(b.X) - a.X);
        if (rise > 0 ? across > 0 : across < 0) inside = !inside;
    }
    return inside;
}

// Inverse-squared-distance weighting over the corners of old element e.
float interpolateInElement(const SizeField& field, std::int32_t e, float x, float y, float tol) {
    const NetElement& element = field.elements[static_cast<std::size_t>(e)];
    const int count = cornerCountOf(element);
    float weights = 0.0f;
    float values = 0.0f;
    for (int k = 1; k <= count; ++k) {
        const std::int16_t node = element.Node[static_cast<std::size_t>(k)];
        const float nx = nodeXOf(field, node);
        const float ny = nodeYOf(field, node);
        if (withinTolerance(x, y, nx, ny, tol)) return sizeOfNode(field, node);
        const float dx = x - nx;
        const float dy = y - ny;
        const float w = toSingle(1.0 / (static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
        weights = weights + w;
        values = values + w * sizeOfNode(field, node);
    }
    if (weights == 0.0f) rt::raise(11, "An old element without corners holds a point.");
    return toSingle(static_cast<double>(values / weights));
}

}  // namespace

SizeField CurrentSizeField() {
    const BasOrvelo& o = basOrvelo();
    const Declar& d = declar();
    return SizeField{o.OldNodeX, o.OldNodeY, d.OldNodeCount, o.OldElementList, o.OldElementCount, d.NodeTargetSize};
}

float InterpolateTargetSizeByScan(const SizeField& field, float unitFactor, float x, float y) {
    const float tol = toleranceOf(unitFactor);
    const std::int32_t xi = RegionCoordinate(x, unitFactor);
    const std::int32_t yi = RegionCoordinate(y, unitFactor);
    const std::int32_t elementCount =
        std::min<std::int32_t>(field.elementCount, static_cast<std::int32_t>(field.elements.size()) - 1);
    for (std::int32_t e = 1; e <= elementCount; ++e) {
        std::array<halvex::POINTAPI, 4> corners{};
        const int count = regionCorners(field, e, unitFactor, corners);
        if (drovik::geometry::pointInIntegerRegion(corners.data(), count, xi, yi))
            return interpolateInElement(field, e, x, y, tol);
    }
    if (field.nodeCount < 1) rt::raise(9, "The target-size field holds no old nodes.");
    std::int32_t best = 1;
    float bestDistance = squaredDistance(x, y, nodeXOf(field, 1), nodeYOf(field, 1));
    for (std::int32_t i = 1; i <= field.nodeCount; ++i) {
        const float nx = nodeXOf(field, i);
        const float ny = nodeYOf(field, i);
        if (withinTolerance(x, y, nx, ny, tol)) return sizeOfNode(field, i);
        const float d = squaredDistance(x, y, nx, ny);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return sizeOfNode(field, best);
}

struct SizeFieldIndex::Grids {
    // Elements, in region coordinates of the unit factor they were made for.
    bool elementsMade = false;
    float unitFactor = 0.0f;
    std::vector<std::array<halvex::POINTAPI, 4>> corners;
    std::vector<std::uint8_t> cornerCount;
    // The integer extent of each element: a point beyond it lies in no
    // region of the element.
    std::vector<std::array<std::int64_t, 4>> extent;
    std::int64_t originX = 0;
    std::int64_t originY = 0;
    std::int64_t cell = 1;
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    std::vector<std::vector<std::int32_t>> cells;

    // Nodes, in net coordinates.
    bool nodesMade = false;
    double nodeX0 = 0.0;
    double nodeY0 = 0.0;
    double nodeX1 = 0.0;
    double nodeY1 = 0.0;
    double nodeCell = 1.0;
    std::int64_t nodeColumns = 0;
    std::int64_t nodeRows = 0;
    std::vector<std::vector<std::int32_t>> nodeCells;
};

SizeFieldIndex::SizeFieldIndex(const SizeField& field) : field_(field), grids_(std::make_unique<Grids>()) {}

SizeFieldIndex::~SizeFieldIndex() = default;

float SizeFieldIndex::Interpolate(float unitFactor, float x, float y) {
    Grids& g = *grids_;
    const SizeField& field = field_;
    const std::int32_t elementCount =
        std::min<std::int32_t>(field.elementCount, static_cast<std::int32_t>(field.elements.size()) - 1);

    if (!g.elementsMade || g.unitFactor != unitFactor) {
        // The elements' regions and a bucket grid over their integer extents.
        g.elementsMade = true;
        g.unitFactor = unitFactor;
        g.corners.assign(static_cast<std::size_t>(std::max(elementCount, 0)) + 1, {});
        g.cornerCount.assign(g.corners.size(), 0);
        g.extent.assign(g.corners.size(), {0, -1, 0, -1});
        std::int64_t minX = std::numeric_limits<std::int64_t>::max();
        std::int64_t minY = minX;
        std::int64_t maxX = std::numeric_limits<std::int64_t>::min();
        std::int64_t maxY = maxX;
        double spanSum = 0.0;
        for (std::int32_t e = 1; e <= elementCount; ++e) {
            auto& corners = g.corners[static_cast<std::size_t>(e)];
            const int count = regionCorners(field, e, unitFactor, corners);
            g.cornerCount[static_cast<std::size_t>(e)] = static_cast<std::uint8_t>(count);
            std::int64_t eMinX = std::numeric_limits<std::int64_t>::max(), eMaxX = std::numeric_limits<std::int64_t>::min();
            for (int k = 0; k < count; ++k) {
                minX = std::min<std::int64_t>(minX, corners[static_cast<std::size_t>(k)].X);
                maxX = std::max<std::int64_t>(maxX, corners[static_cast<std::size_t>(k)].X);
                minY = std::min<std::int64_t>(minY, corners[static_cast<std::size_t>(k)].Y);
                maxY = std::max<std::int64_t>(maxY, corners[static_cast<std::size_t>(k)].Y);
                eMinX = std::min<std::int64_t>(eMinX, corners[static_cast<std::size_t>(k)].X);
                eMaxX = std::max<std::int64_t>(eMaxX, corners[static_cast<std::size_t>(k)].X);
            }
            if (count > 0) spanSum += static_cast<double>(eMaxX - eMinX);
        }
        g.cells.clear();
        g.columns = g.rows = 0;
        if (minX <= maxX && elementCount > 0) {
            g.cell = std::max<std::int64_t>(1, static_cast<std::int64_t>(spanSum / elementCount));
            g.originX = minX;
            g.originY = minY;
            g.columns = (maxX - minX) / g.cell + 1;
            g.rows = (maxY - minY) / g.cell + 1;
            // Keep the grid near the element count in size.
            while (g.columns * g.rows > 4 * static_cast<std::int64_t>(elementCount) + 64) {
                g.cell *= 2;
                g.columns = (maxX - minX) / g.cell + 1;
                g.rows = (maxY - minY) / g.cell + 1;
            }
            g.cells.assign(static_cast<std::size_t>(g.columns * g.rows), {});
            for (std::int32_t e = 1; e <= elementCount; ++e) {
                const int count = g.cornerCount[static_cast<std::size_t>(e)];
                if (count < 3) continue;
                const auto& corners = g.corners[static_cast<std::size_t>(e)];
                std::int64_t eMinX = corners[0].X, eMaxX = corners[0].X, eMinY = corners[0].Y, eMaxY = corners[0].Y;
                for (int k = 1; k < count; ++k) {
                    eMinX = std::min<std::int64_t>(eMinX, corners[static_cast<std::size_t>(k)].X);
                    eMaxX = std::max<std::int64_t>(eMaxX, corners[static_cast<std::size_t>(k)].X);
                    eMinY = std::min<std::int64_t>(eMinY, corners[static_cast<std::size_t>(k)].Y);
                    eMaxY = std::max<std::int64_t>(eMaxY, corners[static_cast<std::size_t>(k)].Y);
                }
                g.extent[static_cast<std::size_t>(e)] = {eMinX, eMaxX, eMinY, eMaxY};
                for (std::int64_t r = (eMinY - g.originY) / g.cell; r <= (eMaxY - g.originY) / g.cell; ++r)
                    for (std::int64_t c = (eMinX - g.originX) / g.cell; c <= (eMaxX - g.originX) / g.cell; ++c)
                        g.cells[static_cast<std::size_t>(r * g.columns + c)].push_back(e);
            }
        }
    }

    const float tol = toleranceOf(unitFactor);
    const std::int64_t xi = RegionCoordinate(x, unitFactor);
    const std::int64_t yi = RegionCoordinate(y, unitFactor);
    if (g.columns > 0 && xi >= g.originX && yi >= g.originY) {
        const std::int64_t c = (xi - g.originX) / g.cell;
        const std::int64_t r = (yi - g.originY) / g.cell;
        if (c < g.columns && r < g.rows) {
            // Elements sit in their cells in ascending order: the first that
            // holds the point is the lowest-numbered one.
            for (std::int32_t e : g.cells[static_cast<std::size_t>(r * g.columns + c)]) {
                const auto& box = g.extent[static_cast<std::size_t>(e)];
                if (xi < box[0] || xi > box[1] || yi < box[2] || yi > box[3]) continue;
                if (regionHolds(g.corners[static_cast<std::size_t>(e)].data(), g.cornerCount[static_cast<std::size_t>(e)], xi, yi))
                    return interpolateInElement(field, e, x, y, tol);
            }
        }
    }

    // The nearest old node.
    if (field.nodeCount < 1) rt::raise(9, "The target-size field holds no old nodes.");
    if (!g.nodesMade) {
        g.nodesMade = true;
        double minX = nodeXOf(field, 1), maxX = minX, minY = nodeYOf(field, 1), maxY = minY;
        for (std::int32_t i = 2; i <= field.nodeCount; ++i) {
            minX = std::min<double>(minX, nodeXOf(field, i));
            maxX = std::max<double>(maxX, nodeXOf(field, i));
            minY = std::min<double>(minY, nodeYOf(field, i));
            maxY = std::max<double>(maxY, nodeYOf(field, i));
        }
        const double area = std::max((maxX - minX) * (maxY - minY), 1e-30);
        g.nodeCell = std::sqrt(area / field.nodeCount) * 1.5;
        if (!(g.nodeCell > 0.0) || !std::isfinite(g.nodeCell)) g.nodeCell = std::max({maxX - minX, maxY - minY, 1.0});
        g.nodeX0 = minX;
        g.nodeY0 = minY;
        g.nodeX1 = maxX;
        g.nodeY1 = maxY;
        g.nodeColumns = static_cast<std::int64_t>((maxX - minX) / g.nodeCell) + 1;
        g.nodeRows = static_cast<std::int64_t>((maxY - minY) / g.nodeCell) + 1;
        while (g.nodeColumns * g.nodeRows > 4 * static_cast<std::int64_t>(field.nodeCount) + 64) {
            g.nodeCell *= 2.0;
            g.nodeColumns = static_cast<std::int64_t>((maxX - minX) / g.nodeCell) + 1;
            g.nodeRows = static_cast<std::int64_t>((maxY - minY) / g.nodeCell) + 1;
        }
        g.nodeCells.assign(static_cast<std::size_t>(g.nodeColumns * g.nodeRows), {});
        for (std::int32_t i = 1; i <= field.nodeCount; ++i) {
            const std::int64_t c = std::min<std::int64_t>(g.nodeColumns - 1, static_cast<std::int64_t>((nodeXOf(field, i) - minX) / g.nodeCell));
            const std::int64_t r = std::min<std::int64_t>(g.nodeRows - 1, static_cast<std::int64_t>((nodeYOf(field, i) - minY) / g.nodeCell));
            g.nodeCells[static_cast<std::size_t>(r * g.nodeColumns + c)].push_back(i);
        }
    }
    const double px = x;
    const double py = y;
    const double margin = 1e-6 * std::max({std::fabs(px), std::fabs(py), static_cast<double>(tol), g.nodeCell});
    const bool insideGrid = px >= g.nodeX0 && px <= g.nodeX1 && py >= g.nodeY0 && py <= g.nodeY1;
    const double reach = static_cast<double>(tol) + margin;
    const double reachCells = reach / g.nodeCell;
    if (!insideGrid || reachCells > 64.0) return InterpolateTargetSizeByScan(field, unitFactor, x, y);

    auto columnOf = [&](double v) {
        return std::clamp<std::int64_t>(static_cast<std::int64_t>(std::floor((v - g.nodeX0) / g.nodeCell)), 0, g.nodeColumns - 1);
    };
    auto rowOf = [&](double v) {
        return std::clamp<std::int64_t>(static_cast<std::int64_t>(std::floor((v - g.nodeY0) / g.nodeCell)), 0, g.nodeRows - 1);
    };
    // A node within the tolerance: the lowest number wins.
    std::int32_t within = 0;
    for (std::int64_t r = rowOf(py - reach); r <= rowOf(py + reach); ++r)
        for (std::int64_t c = columnOf(px - reach); c <= columnOf(px + reach); ++c)
            for (std::int32_t i : g.nodeCells[static_cast<std::size_t>(r * g.nodeColumns + c)])
                if ((within == 0 || i < within) &&
                    withinTolerance(x, y, nodeXOf(field, i), nodeYOf(field, i), tol))
                    within = i;
    if (within != 0) return sizeOfNode(field, within);

    // Rings of cells around the point's cell until no nearer node can lie
    // further out; the lowest number wins among equal distances.
    const std::int64_t c0 = columnOf(px);
    const std::int64_t r0 = rowOf(py);
    std::int32_t best = 0;
    float bestDistance = 0.0f;
    const std::int64_t maxRing = std::max(g.nodeColumns, g.nodeRows);
    for (std::int64_t ring = 0; ring <= maxRing; ++ring) {
        if (ring > 0 && best != 0) {
            // Every cell of this ring lies outside the square of the cells
            // within ring - 1, whose border is this far from the point.
            const double left = px - (g.nodeX0 + static_cast<double>(c0 - ring + 1) * g.nodeCell);
            const double right = g.nodeX0 + static_cast<double>(c0 + ring) * g.nodeCell - px;
            const double below = py - (g.nodeY0 + static_cast<double>(r0 - ring + 1) * g.nodeCell);
            const double above = g.nodeY0 + static_cast<double>(r0 + ring) * g.nodeCell - py;
            const double bound = std::max(0.0, std::min({left, right, below, above}));
            if (bound * bound * (1.0 - 1e-5) > static_cast<double>(bestDistance)) break;
        }
        for (std::int64_t r = r0 - ring; r <= r0 + ring; ++r) {
            if (r < 0 || r >= g.nodeRows) continue;
            const bool edgeRow = r == r0 - ring || r == r0 + ring;
            for (std::int64_t c = c0 - ring; c <= c0 + ring; c += (edgeRow ? 1 : 2 * ring)) {
                if (c >= 0 && c < g.nodeColumns)
                    for (std::int32_t i : g.nodeCells[static_cast<std::size_t>(r * g.nodeColumns + c)]) {
                        const float d = squaredDistance(x, y, nodeXOf(field, i), nodeYOf(field, i));
                        if (best == 0 || d < bestDistance || (d == bestDistance && i < best)) {
                            best = i;
                            bestDistance = d;
                        }
                    }
                if (ring == 0) break;
            }
        }
    }
    return sizeOfNode(field, best);
}

TargetSizeIndexScope::TargetSizeIndexScope() { ++basOrvelo().SizeIndexDepth; }

TargetSizeIndexScope::~TargetSizeIndexScope() {
    BasOrvelo& o = basOrvelo();
    if (o.SizeIndexDepth > 0 && --o.SizeIndexDepth == 0) o.SizeIndex.reset();
}

float InterpolateTargetSize(float x, float y) {
    BasOrvelo& o = basOrvelo();
    const float unitFactor = UnitFactor();
    if (o.SizeIndexDepth == 0) return InterpolateTargetSizeByScan(CurrentSizeField(), unitFactor, x, y);
    if (!o.SizeIndex) o.SizeIndex = std::make_shared<SizeFieldIndex>(CurrentSizeField());
    return o.SizeIndex->Interpolate(unitFactor, x, y);
}

float GetTriangleTargetSize(std::int16_t a, std::int16_t b, std::int16_t c) {
    const BasDelaunay& m = basDelaunay();
    const float xa = m.MeshNodeX.at(static_cast<std::size_t>(a));
    const float ya = m.MeshNodeY.at(static_cast<std::size_t>(a));
    const float xb = m.MeshNodeX.at(static_cast<std::size_t>(b));
    const float yb = m.MeshNodeY.at(static_cast<std::size_t>(b));
    const float xc = m.MeshNodeX.at(static_cast<std::size_t>(c));
    const float yc = m.MeshNodeY.at(static_cast<std::size_t>(c));
    const float centreX = (xa + xb + xc) / 3.0f;
    const float centreY = (ya + yb + yc) / 3.0f;
    float s = InterpolateTargetSize(centreX, centreY);
    const float atA = InterpolateTargetSize(xa, ya);
    if (s > atA) s = atA;
    const float atB = InterpolateTargetSize(xb, yb);
    if (s > atB) s = atB;
    const float atC = InterpolateTargetSize(xc, yc);
    if (s > atC) s = atC;
    return s;
}

}  // namespace orvelo
