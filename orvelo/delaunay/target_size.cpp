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

// Below 2^30 in magnitude: small enough for the region test in 64-bit
// integers (no product or sum passes 2^63).
inline bool isSmall(std::int64_t v) {
    constexpr std::int64_t kSmall = std::int64_t{1} << 30;
    return v > -kSmall && v < kSmall;
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

// The weighting of interpolateInElement over copies of an element's corner
// coordinates and sizes.
inline float interpolateFromCopies(const float* nodeX, const float* nodeY, const float* sizes, int count, float x,
                                   float y, float tol) {
    float weights = 0.0f;
    float values = 0.0f;
    for (int k = 0; k < count; ++k) {
        if (withinTolerance(x, y, nodeX[k], nodeY[k], tol)) return sizes[k];
        const float dx = x - nodeX[k];
        const float dy = y - nodeY[k];
        const float w = toSingle(1.0 / (static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
        weights = weights + w;
        values = values + w * sizes[k];
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
    // A side of an element's region that a horizontal line can cross, from
    // corner a, turned to run downwards (rise > 0): it counts for a point
    // (x, y) when lo <= y < hi and (ax - x) * rise + (y - ay) * run > 0,
    // that is at > x * rise - y * run with at = ax * rise - ay * run.
    struct Side {
        std::int32_t lo, hi, rise, run;
        std::int64_t at;
    };
    // One old element in region coordinates of the unit factor the grid was
    // made for, with copies of what the weighting reads: a triangle's
    // weighting and region test read the first two cache lines only.
    struct alignas(64) Element {
        std::uint8_t count = 0;
        // Every corner below 2^30 in magnitude: the region test runs over
        // the sides below, in 64-bit integers; else over the corners.
        bool small = false;
        std::uint8_t sideCount = 0;
        // Every corner an old node with a size: the weighting reads the
        // copies below, else it reads the field (and raises what it raises).
        bool sized = false;
        std::int32_t number = 0;  // in the old net
        std::array<float, 4> x{}, y{}, size{};
        std::array<Side, 4> sides{};
        std::array<halvex::POINTAPI, 4> corners{};

        // drovik::geometry::pointInIntegerRegion: a point within the extent
        // is small when the corners are, and a side no line crosses counts
        // for no point.
        bool holds(std::int64_t px, std::int64_t py) const {
            if (!small)
                return drovik::geometry::pointInIntegerRegion(corners.data(), count, static_cast<std::int32_t>(px),
                                                               static_cast<std::int32_t>(py));
            bool inside = false;
            for (int k = 0; k < sideCount; ++k) {
                const Side& s = sides[static_cast<std::size_t>(k)];
                if (py >= s.lo && py < s.hi && s.at > px * s.rise - py * s.run) inside = !inside;
            }
            return inside;
        }
    };
    // An element in a cell of the element grid: the integer extent that can
    // hold points of its region (from the least corner coordinate up to one
    // less than the greatest: the region holds no point on its right or
    // bottom bound), kept in the cell's list so that an element whose
    // extent misses the point costs no look at its record.
    struct Candidate {
        std::int32_t minX, maxX, minY, maxY;
        std::int32_t element;  // the index of its record
    };
    // A node in a cell of the node grid.
    struct Node {
        float x, y;
        std::int32_t number;
    };

    // Elements.
    bool elementsMade = false;
    float unitFactor = 0.0f;
    float tol = 0.0f;
    std::vector<Element> elements;
    std::int64_t originX = 0;
    std::int64_t originY = 0;
    int cellShift = 0;  // cells 2^cellShift wide
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    // The elements whose extents meet cell i, ascending by number:
    // cellElements from cellStart[i] to cellStart[i + 1]. The records lie in
    // the order in which the cells first list them, so that elements near
    // each other in the plane lie near each other in memory.
    std::vector<std::size_t> cellStart;
    std::vector<Candidate> cellElements;

    // Nodes, in net coordinates, likewise by cells.
    bool nodesMade = false;
    double nodeX0 = 0.0;
    double nodeY0 = 0.0;
    double nodeCell = 1.0;
    std::int64_t nodeColumns = 0;
    std::int64_t nodeRows = 0;
    std::vector<std::size_t> nodeStart;
    std::vector<Node> cellNodes;

    // Working lists of makeElements, kept with their room.
    std::vector<Candidate> extents;
    std::vector<halvex::POINTAPI> nodePoints;
    std::vector<std::uint8_t> nodeInRange;
    std::vector<std::int32_t> place;
    std::vector<Element> ordered;

    void makeElements(const SizeField& field, std::int32_t elementCount, float factor);
    void makeNodes(const SizeField& field);
    // The nearest old node by the plain scan's rules; 0 when the tolerance
    // reaches too many cells for the grid to be worth it.
    std::int32_t nearestNode(float x, float y) const;
};

std::unique_ptr<SizeFieldIndex::Grids>& SizeFieldIndex::spareGrids() {
    static std::unique_ptr<Grids> spare;
    return spare;
}

SizeFieldIndex::SizeFieldIndex(const SizeField& field) : field_(field), grids_(std::move(spareGrids())) {
    if (!grids_) grids_ = std::make_unique<Grids>();
    grids_->elementsMade = false;
    grids_->nodesMade = false;
}

SizeFieldIndex::~SizeFieldIndex() { spareGrids() = std::move(grids_); }

namespace {

// Fills a bucket grid of cellCount cells: the entries of cell i are
// entries[start[i]] up to entries[start[i + 1]], in the order in which
// visit(add) passes them to add(cell, entry).
template <typename Entry, typename Visit>
void fillCells(std::vector<std::size_t>& start, std::vector<Entry>& entries, std::size_t cellCount, const Visit& visit) {
    start.assign(cellCount + 1, 0);
    visit([&](std::size_t cell, const Entry&) { ++start[cell + 1]; });
    for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
    entries.resize(start.back());
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    visit([&](std::size_t cell, const Entry& entry) { entries[next[cell]++] = entry; });
}

}  // namespace

void SizeFieldIndex::Grids::makeElements(const SizeField& field, std::int32_t elementCount, float factor) {
    // The elements' regions and a bucket grid over their integer extents.
    elementsMade = true;
    unitFactor = factor;
    tol = toleranceOf(factor);
    elements.assign(static_cast<std::size_t>(std::max(elementCount, 0)) + 1, {});
    // The extents by element number (none where minX > maxX).
    extents.assign(elements.size(), Candidate{0, -1, 0, -1, 0});
    std::int64_t minX = std::numeric_limits<std::int64_t>::max();
    std::int64_t minY = minX;
    std::int64_t maxX = std::numeric_limits<std::int64_t>::min();
    std::int64_t maxY = maxX;
    double spanSum = 0.0;
    // The region points of the nodes, each once; a node whose coordinates
    // are not plainly in range is converted (and refused) corner by corner.
    const std::size_t nodeSlots = std::min(field.nodeX.size(), field.nodeY.size());
    nodePoints.assign(nodeSlots, halvex::POINTAPI{});
    nodeInRange.assign(nodeSlots, 0);
    for (std::size_t i = 1; i < nodeSlots; ++i)
        nodeInRange[i] = RegionCoordinateInRange(field.nodeX[i], factor, nodePoints[i].X) &&
                         RegionCoordinateInRange(field.nodeY[i], factor, nodePoints[i].Y);
    for (std::int32_t e = 1; e <= elementCount; ++e) {
        const NetElement& element = field.elements[static_cast<std::size_t>(e)];
        Element& el = elements[static_cast<std::size_t>(e)];
        const int count = cornerCountOf(element);
        el.count = static_cast<std::uint8_t>(count);
        el.number = e;
        el.small = true;
        el.sized = true;
        for (int k = 0; k < count; ++k) {
            const std::int16_t node = element.Node[static_cast<std::size_t>(k + 1)];
            const float nx = nodeXOf(field, node);
            const float ny = nodeYOf(field, node);
            halvex::POINTAPI& corner = el.corners[static_cast<std::size_t>(k)];
            corner = nodeInRange[static_cast<std::size_t>(node)]
                         ? nodePoints[static_cast<std::size_t>(node)]
                         : halvex::POINTAPI{RegionCoordinate(nx, factor), RegionCoordinate(ny, factor)};
            el.x[static_cast<std::size_t>(k)] = nx;
            el.y[static_cast<std::size_t>(k)] = ny;
            if (static_cast<std::size_t>(node) < field.sizes.size())
                el.size[static_cast<std::size_t>(k)] = field.sizes[static_cast<std::size_t>(node)];
            else
                el.sized = false;
            el.small = el.small && isSmall(corner.X) && isSmall(corner.Y);
            minX = std::min<std::int64_t>(minX, corner.X);
            maxX = std::max<std::int64_t>(maxX, corner.X);
            minY = std::min<std::int64_t>(minY, corner.Y);
            maxY = std::max<std::int64_t>(maxY, corner.Y);
        }
        if (count < 3) continue;  // no region
        std::int32_t eMinX = el.corners[0].X, eMaxX = eMinX, eMinY = el.corners[0].Y, eMaxY = eMinY;
        for (int k = 0, j = count - 1; k < count; j = k++) {
            const halvex::POINTAPI& a = el.corners[static_cast<std::size_t>(j)];
            const halvex::POINTAPI& b = el.corners[static_cast<std::size_t>(k)];
            eMinX = std::min(eMinX, b.X);
            eMaxX = std::max(eMaxX, b.X);
            eMinY = std::min(eMinY, b.Y);
            eMaxY = std::max(eMaxY, b.Y);
            if (a.Y == b.Y || !el.small) continue;  // crossed by no line, or tested by the corners
            const std::int64_t rise = static_cast<std::int64_t>(b.Y) - a.Y;
            const std::int64_t run = static_cast<std::int64_t>(b.X) - a.X;
            const std::int64_t down = rise > 0 ? rise : -rise;
            const std::int64_t across = rise > 0 ? run : -run;
            el.sides[el.sideCount++] = {std::min(a.Y, b.Y), std::max(a.Y, b.Y), static_cast<std::int32_t>(down),
                                        static_cast<std::int32_t>(across), a.X * down - a.Y * across};
        }
        spanSum += static_cast<double>(eMaxX) - eMinX;
        extents[static_cast<std::size_t>(e)] = Candidate{eMinX, eMaxX - 1, eMinY, eMaxY - 1, e};
    }
    cellStart.clear();
    cellElements.clear();
    columns = rows = 0;
    if (minX > maxX || elementCount <= 0) return;
    // Cells a power of two wide (a shift finds a point's cell) and no wider
    // than the elements on average: a point's cell then lists few elements
    // besides the one that holds it.
    const double width = spanSum / elementCount;
    cellShift = 0;
    while (cellShift < 32 && std::ldexp(1.0, cellShift + 1) <= width) ++cellShift;
    originX = minX;
    originY = minY;
    columns = ((maxX - minX) >> cellShift) + 1;
    rows = ((maxY - minY) >> cellShift) + 1;
    // Keep the grid near the element count in size.
    while (columns * rows > 4 * static_cast<std::int64_t>(elementCount) + 64) {
        ++cellShift;
        columns = ((maxX - minX) >> cellShift) + 1;
        rows = ((maxY - minY) >> cellShift) + 1;
    }
    // The elements in ascending order into every cell their extents meet.
    fillCells(cellStart, cellElements, static_cast<std::size_t>(columns * rows), [&](auto&& add) {
        for (std::int32_t e = 1; e <= elementCount; ++e) {
            const Candidate& el = extents[static_cast<std::size_t>(e)];
            if (el.minX > el.maxX || el.minY > el.maxY) continue;  // holds no point
            const std::int64_t c0 = (el.minX - originX) >> cellShift, c1 = (el.maxX - originX) >> cellShift;
            const std::int64_t r1 = (el.maxY - originY) >> cellShift;
            for (std::int64_t r = (el.minY - originY) >> cellShift; r <= r1; ++r)
                for (std::int64_t c = c0; c <= c1; ++c) add(static_cast<std::size_t>(r * columns + c), el);
        }
    });
    // The records in the order of the cells' lists; the lists then point at
    // the new places.
    place.assign(elements.size(), 0);
    ordered.resize(1);  // (place 0: not yet placed)
    ordered.reserve(elements.size());
    for (Candidate& candidate : cellElements) {
        std::int32_t& at = place[static_cast<std::size_t>(candidate.element)];
        if (at == 0) {
            at = static_cast<std::int32_t>(ordered.size());
            ordered.push_back(elements[static_cast<std::size_t>(candidate.element)]);
        }
        candidate.element = at;
    }
    elements.swap(ordered);
}

void SizeFieldIndex::Grids::makeNodes(const SizeField& field) {
    nodesMade = true;
    double minX = nodeXOf(field, 1), maxX = minX, minY = nodeYOf(field, 1), maxY = minY;
    for (std::int32_t i = 2; i <= field.nodeCount; ++i) {
        minX = std::min<double>(minX, nodeXOf(field, i));
        maxX = std::max<double>(maxX, nodeXOf(field, i));
        minY = std::min<double>(minY, nodeYOf(field, i));
        maxY = std::max<double>(maxY, nodeYOf(field, i));
    }
    const double area = std::max((maxX - minX) * (maxY - minY), 1e-30);
    nodeCell = std::sqrt(area / field.nodeCount) * 1.5;
    if (!(nodeCell > 0.0) || !std::isfinite(nodeCell)) nodeCell = std::max({maxX - minX, maxY - minY, 1.0});
    nodeX0 = minX;
    nodeY0 = minY;
    nodeColumns = static_cast<std::int64_t>((maxX - minX) / nodeCell) + 1;
    nodeRows = static_cast<std::int64_t>((maxY - minY) / nodeCell) + 1;
    while (nodeColumns * nodeRows > 4 * static_cast<std::int64_t>(field.nodeCount) + 64) {
        nodeCell *= 2.0;
        nodeColumns = static_cast<std::int64_t>((maxX - minX) / nodeCell) + 1;
        nodeRows = static_cast<std::int64_t>((maxY - minY) / nodeCell) + 1;
    }
    fillCells(nodeStart, cellNodes, static_cast<std::size_t>(nodeColumns * nodeRows), [&](auto&& add) {
        for (std::int32_t i = 1; i <= field.nodeCount; ++i) {
            const float x = nodeXOf(field, i);
            const float y = nodeYOf(field, i);
            const std::int64_t c = std::min<std::int64_t>(nodeColumns - 1, static_cast<std::int64_t>((x - minX) / nodeCell));
            const std::int64_t r = std::min<std::int64_t>(nodeRows - 1, static_cast<std::int64_t>((y - minY) / nodeCell));
            add(static_cast<std::size_t>(r * nodeColumns + c), Node{x, y, i});
        }
    });
}

std::int32_t SizeFieldIndex::Grids::nearestNode(float x, float y) const {
    const double px = x;
    const double py = y;
    const double margin = 1e-6 * std::max({std::fabs(px), std::fabs(py), static_cast<double>(tol), nodeCell});
    const double reach = static_cast<double>(tol) + margin;
    if (reach / nodeCell > 64.0) return 0;

    // The cell of a coordinate, clamped to the grid (a point beyond the
    // nodes is searched from the nearest border cell).
    auto indexOf = [&](double v, double origin, std::int64_t count) {
        const double i = (v - origin) / nodeCell;
        if (!(i > 0.0)) return std::int64_t{0};
        return i >= static_cast<double>(count - 1) ? count - 1 : static_cast<std::int64_t>(i);
    };
    auto columnOf = [&](double v) { return indexOf(v, nodeX0, nodeColumns); };
    auto rowOf = [&](double v) { return indexOf(v, nodeY0, nodeRows); };
    auto cellAt = [&](std::int64_t r, std::int64_t c) {
        const std::size_t i = static_cast<std::size_t>(r * nodeColumns + c);
        return std::pair{cellNodes.data() + nodeStart[i], cellNodes.data() + nodeStart[i + 1]};
    };
    // A node within the tolerance: the lowest number wins.
    std::int32_t within = 0;
    const std::int64_t withinRight = columnOf(px + reach), withinBottom = rowOf(py + reach);
    for (std::int64_t r = rowOf(py - reach); r <= withinBottom; ++r)
        for (std::int64_t c = columnOf(px - reach); c <= withinRight; ++c)
            for (auto [node, end] = cellAt(r, c); node != end; ++node)
                if ((within == 0 || node->number < within) && withinTolerance(x, y, node->x, node->y, tol))
                    within = node->number;
    if (within != 0) return within;

    // Rings of cells around the point's cell until no nearer node can lie
    // further out; the lowest number wins among equal distances.
    const std::int64_t c0 = columnOf(px);
    const std::int64_t r0 = rowOf(py);
    std::int32_t best = 0;
    float bestDistance = 0.0f;
    auto visit = [&](std::int64_t r, std::int64_t c) {
        for (auto [node, end] = cellAt(r, c); node != end; ++node) {
            const float d = squaredDistance(x, y, node->x, node->y);
            if (best == 0 || d < bestDistance || (d == bestDistance && node->number < best)) {
                best = node->number;
                bestDistance = d;
            }
        }
    };
    const std::int64_t maxRing = std::max(nodeColumns, nodeRows);
    for (std::int64_t ring = 0; ring <= maxRing; ++ring) {
        if (ring > 0 && best != 0) {
            // The nodes not yet seen lie in cells beyond the square of the
            // cells within ring - 1, on a side where the grid goes on; the
            // nearest such side bounds their distance.
            double bound = std::numeric_limits<double>::infinity();
            if (c0 - ring + 1 > 0) bound = std::min(bound, px - (nodeX0 + static_cast<double>(c0 - ring + 1) * nodeCell));
            if (c0 + ring - 1 < nodeColumns - 1) bound = std::min(bound, nodeX0 + static_cast<double>(c0 + ring) * nodeCell - px);
            if (r0 - ring + 1 > 0) bound = std::min(bound, py - (nodeY0 + static_cast<double>(r0 - ring + 1) * nodeCell));
            if (r0 + ring - 1 < nodeRows - 1) bound = std::min(bound, nodeY0 + static_cast<double>(r0 + ring) * nodeCell - py);
            if (bound == std::numeric_limits<double>::infinity()) break;  // every cell seen
            bound = std::max(0.0, bound);
            if (bound * bound * (1.0 - 1e-5) > static_cast<double>(bestDistance)) break;
        }
        const std::int64_t top = std::max<std::int64_t>(0, r0 - ring);
        const std::int64_t bottom = std::min(nodeRows - 1, r0 + ring);
        const std::int64_t left = std::max<std::int64_t>(0, c0 - ring);
        const std::int64_t right = std::min(nodeColumns - 1, c0 + ring);
        for (std::int64_t r = top; r <= bottom; ++r) {
            if (r == r0 - ring || r == r0 + ring) {
                for (std::int64_t c = left; c <= right; ++c) visit(r, c);
            } else {
                if (c0 - ring >= 0) visit(r, c0 - ring);
                if (c0 + ring < nodeColumns) visit(r, c0 + ring);
            }
        }
    }
    return best;
}

float SizeFieldIndex::Interpolate(float unitFactor, float x, float y) {
    Grids& g = *grids_;
    const SizeField& field = field_;
    if (!g.elementsMade || g.unitFactor != unitFactor) {
        const std::int32_t elementCount =
            std::min<std::int32_t>(field.elementCount, static_cast<std::int32_t>(field.elements.size()) - 1);
        g.makeElements(field, elementCount, unitFactor);
    }

    const std::int32_t xi = RegionCoordinate(x, unitFactor);
    const std::int32_t yi = RegionCoordinate(y, unitFactor);
    if (g.columns > 0 && xi >= g.originX && yi >= g.originY) {
        const std::int64_t c = (xi - g.originX) >> g.cellShift;
        const std::int64_t r = (yi - g.originY) >> g.cellShift;
        if (c < g.columns && r < g.rows) {
            // Elements sit in their cells in ascending order: the first that
            // holds the point is the lowest-numbered one.
            const std::size_t i = static_cast<std::size_t>(r * g.columns + c);
            const Grids::Candidate* end = g.cellElements.data() + g.cellStart[i + 1];
            for (const Grids::Candidate* e = g.cellElements.data() + g.cellStart[i]; e != end; ++e) {
                if (xi < e->minX || xi > e->maxX || yi < e->minY || yi > e->maxY) continue;
                const Grids::Element& el = g.elements[static_cast<std::size_t>(e->element)];
                if (!el.holds(xi, yi)) continue;
                return el.sized ? interpolateFromCopies(el.x.data(), el.y.data(), el.size.data(), el.count, x, y, g.tol)
                                : interpolateInElement(field, el.number, x, y, g.tol);
            }
        }
    }

    // The nearest old node.
    if (field.nodeCount < 1) rt::raise(9, "The target-size field holds no old nodes.");
    if (!g.nodesMade) g.makeNodes(field);
    const std::int32_t node = g.nearestNode(x, y);
    if (node == 0) return InterpolateTargetSizeByScan(field, unitFactor, x, y);
    return sizeOfNode(field, node);
}

TargetSizeIndexScope::TargetSizeIndexScope() { ++basOrvelo().SizeIndexDepth; }

TargetSizeIndexScope::~TargetSizeIndexScope() {
    BasOrvelo& o = basOrvelo();
    if (o.SizeIndexDepth > 0 && --o.SizeIndexDepth == 0) o.SizeIndex.reset();
}

namespace {

// InterpolateTargetSize outside a scope, or on the first call within one.
[[gnu::noinline]] float interpolateWithoutIndex(BasOrvelo& o, float unitFactor, float x, float y) {
    if (o.SizeIndexDepth == 0) return InterpolateTargetSizeByScan(CurrentSizeField(), unitFactor, x, y);
    o.SizeIndex = std::make_shared<SizeFieldIndex>(CurrentSizeField());
    return o.SizeIndex->Interpolate(unitFactor, x, y);
}

}  // namespace

float InterpolateTargetSize(float x, float y) {
    BasOrvelo& o = basOrvelo();
    const float unitFactor = UnitFactor();
    if (o.SizeIndexDepth == 0 || !o.SizeIndex) return interpolateWithoutIndex(o, unitFactor, x, y);
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
