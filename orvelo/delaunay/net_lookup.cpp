#include "orvelo/delaunay/net_lookup.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/element_shape.h"

namespace orvelo {

namespace {

bool holdsSide(const NetElement& element, std::int16_t a, std::int16_t b) {
    const int count = element.CornerCount;
    for (int k = 1; k <= count; ++k) {
        const std::int16_t p = element.Node[static_cast<std::size_t>(k)];
        const std::int16_t q = element.Node[static_cast<std::size_t>(k == count ? 1 : k + 1)];
        if ((p == a && q == b) || (p == b && q == a)) return true;
    }
    return false;
}

// The distance of two points rounded to Single, as the nearness test takes it.
float roundedDistance(float x1, float y1, float x2, float y2) {
    const double dx = static_cast<double>(x1) - x2;
    const double dy = static_cast<double>(y1) - y2;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

int cornersOf(const NetElement& element) { return std::clamp(element.CornerCount, 0, 4); }

}  // namespace

// ---- the plain scans ----

void NetScan::SideHolders(std::int16_t a, std::int16_t b, std::vector<std::int32_t>& holders) {
    holders.clear();
    for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e)
        if (holdsSide(m_.MeshElementList[static_cast<std::size_t>(e)], a, b)) holders.push_back(e);
}

std::int32_t NetScan::ElementAt(double x, double y) {
    for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e)
        if (ElementHoldsPoint(m_, m_.MeshElementList[static_cast<std::size_t>(e)], x, y)) return e;
    return 0;
}

std::int16_t NetScan::NodeNear(float x, float y, std::int16_t last, double radius) {
    for (std::int32_t v = 1; v <= last; ++v)
        if (roundedDistance(m_.MeshNodeX[static_cast<std::size_t>(v)], m_.MeshNodeY[static_cast<std::size_t>(v)], x, y) <
            radius)
            return static_cast<std::int16_t>(v);
    return 0;
}

// ---- the grid of nodes ----

NodeGrid::NodeGrid(double cell) : cell_(cell > 0.0 && std::isfinite(cell) ? cell : 1.0) {}

std::int64_t NodeGrid::cellOf(double value) const {
    constexpr double limit = 1e15;
    return static_cast<std::int64_t>(std::floor(std::clamp(value / cell_, -limit, limit)));
}

std::uint64_t NodeGrid::key(std::int64_t i, std::int64_t j) {
    return (static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(j);
}

void NodeGrid::Add(std::int16_t node, float x, float y) { cells_[key(cellOf(x), cellOf(y))].push_back(node); }

void NodeGrid::Remove(std::int16_t node, float x, float y) {
    const auto found = cells_.find(key(cellOf(x), cellOf(y)));
    if (found == cells_.end()) return;
    auto& list = found->second;
    const auto at = std::find(list.begin(), list.end(), node);
    if (at != list.end()) list.erase(at);
}

double NetCellSize(const BasDelaunay& m) {
    if (m.MeshNodeCount < 1) return 1.0;
    double xMin = m.MeshNodeX[1], xMax = xMin, yMin = m.MeshNodeY[1], yMax = yMin;
    for (std::size_t n = 2; n <= static_cast<std::size_t>(m.MeshNodeCount); ++n) {
        xMin = std::min<double>(xMin, m.MeshNodeX[n]);
        xMax = std::max<double>(xMax, m.MeshNodeX[n]);
        yMin = std::min<double>(yMin, m.MeshNodeY[n]);
        yMax = std::max<double>(yMax, m.MeshNodeY[n]);
    }
    const double width = xMax - xMin;
    const double height = yMax - yMin;
    const double elements = std::max<double>(m.MeshElementCount, 1.0);
    double cell = std::sqrt(2.0 * width * height / elements);
    if (!(cell > 0.0)) cell = std::max(width, height) / elements;
    if (!(cell > 0.0) || !std::isfinite(cell)) cell = 1.0;
    return cell;
}

// ---- the index ----

struct NetIndex::State {
    explicit State(double cell) : cell(cell), nodes(cell) {}

    // What an element was registered with.
    struct Registered {
        int count = 0;
        std::array<std::int16_t, 4> corners{};
        std::int64_t i0 = 0, i1 = -1, j0 = 0, j1 = -1;
        bool big = false;
    };

    double cell;
    std::int32_t elementCount = 0;
    std::int16_t nodeCount = 0;
    bool stale = false;
    // The sides registered, as (other node, element) at the lower node of
    // each (a negative lower node in a map of such sides).
    using SideList = std::vector<std::pair<std::int16_t, std::int32_t>>;
    std::vector<SideList> sidesAt;
    std::unordered_map<std::int16_t, SideList> sidesAtNegative;
    std::vector<Registered> elements;
    // The cells of the elements: those over the nodes' extent when the index
    // was built in one array (row i - i0, column j - j0), any other in a map.
    std::int64_t gridI0 = 0, gridJ0 = 0, gridNi = 0, gridNj = 0;
    std::vector<std::vector<std::int32_t>> grid;
    std::unordered_map<std::uint64_t, std::vector<std::int32_t>> cells;
    std::vector<std::int32_t> bigElements;  // too large for the cells
    NodeGrid nodes;
    std::vector<std::pair<float, float>> nodeAt;

    std::int64_t cellOf(double value) const {
        constexpr double limit = 1e15;
        return static_cast<std::int64_t>(std::floor(std::clamp(value / cell, -limit, limit)));
    }
    static std::uint64_t key(std::int64_t i, std::int64_t j) {
        return (static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(j);
    }
    bool inGrid(std::int64_t i, std::int64_t j) const {
        return i >= gridI0 && i < gridI0 + gridNi && j >= gridJ0 && j < gridJ0 + gridNj;
    }
    // The elements of cell (i, j), null when it has none (made when asked
    // to).
    std::vector<std::int32_t>* cellAt(std::int64_t i, std::int64_t j) {
        if (inGrid(i, j)) return &grid[static_cast<std::size_t>((i - gridI0) * gridNj + (j - gridJ0))];
        if (cells.empty()) return nullptr;
        const auto found = cells.find(key(i, j));
        return found == cells.end() ? nullptr : &found->second;
    }
    const std::vector<std::int32_t>* cellAt(std::int64_t i, std::int64_t j) const {
        return const_cast<State*>(this)->cellAt(i, j);
    }
    std::vector<std::int32_t>& makeCell(std::int64_t i, std::int64_t j) {
        if (inGrid(i, j)) return grid[static_cast<std::size_t>((i - gridI0) * gridNj + (j - gridJ0))];
        return cells[key(i, j)];
    }
    SideList* sidesOf(std::int16_t lower, bool make) {
        if (lower < 0) {
            if (make) return &sidesAtNegative[lower];
            const auto found = sidesAtNegative.find(lower);
            return found == sidesAtNegative.end() ? nullptr : &found->second;
        }
        if (static_cast<std::size_t>(lower) >= sidesAt.size()) {
            if (!make) return nullptr;
            sidesAt.resize(static_cast<std::size_t>(lower) + 1);
        }
        return &sidesAt[static_cast<std::size_t>(lower)];
    }

    void unregister(std::int32_t e) {
        Registered& r = elements[static_cast<std::size_t>(e)];
        for (int k = 0; k < r.count; ++k) {
            std::int16_t a = r.corners[static_cast<std::size_t>(k)], b = r.corners[static_cast<std::size_t>((k + 1) % r.count)];
            if (a > b) std::swap(a, b);
            SideList* list = sidesOf(a, false);
            if (list == nullptr) continue;
            const auto at = std::find(list->begin(), list->end(), std::pair<std::int16_t, std::int32_t>{b, e});
            if (at != list->end()) list->erase(at);
        }
        if (r.big) {
            bigElements.erase(std::remove(bigElements.begin(), bigElements.end(), e), bigElements.end());
        } else {
            for (std::int64_t i = r.i0; i <= r.i1; ++i)
                for (std::int64_t j = r.j0; j <= r.j1; ++j) {
                    std::vector<std::int32_t>* list = cellAt(i, j);
                    if (list == nullptr) continue;
                    const auto at = std::find(list->begin(), list->end(), e);
                    if (at != list->end()) list->erase(at);
                }
        }
        r = Registered{};
    }

    void enrol(const BasDelaunay& m, std::int32_t e) {
        const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
        Registered& r = elements[static_cast<std::size_t>(e)];
        r.count = cornersOf(element);
        if (r.count < 2) {
            r.count = 0;
            return;
        }
        double xMin = 0.0, xMax = 0.0, yMin = 0.0, yMax = 0.0;
        for (int k = 0; k < r.count; ++k) {
            const std::int16_t n = element.Node[static_cast<std::size_t>(k + 1)];
            r.corners[static_cast<std::size_t>(k)] = n;
            const bool known = n >= 1 && n <= m.MeshNodeCount;
            const double x = known ? m.MeshNodeX[static_cast<std::size_t>(n)] : 0.0;
            const double y = known ? m.MeshNodeY[static_cast<std::size_t>(n)] : 0.0;
            if (k == 0) {
                xMin = xMax = x;
                yMin = yMax = y;
            }
            xMin = std::min(xMin, x);
            xMax = std::max(xMax, x);
            yMin = std::min(yMin, y);
            yMax = std::max(yMax, y);
        }
        for (int k = 0; k < r.count; ++k) {
            std::int16_t a = r.corners[static_cast<std::size_t>(k)], b = r.corners[static_cast<std::size_t>((k + 1) % r.count)];
            if (a > b) std::swap(a, b);
            sidesOf(a, true)->push_back({b, e});
        }
        r.i0 = cellOf(xMin);
        r.i1 = cellOf(xMax);
        r.j0 = cellOf(yMin);
        r.j1 = cellOf(yMax);
        const double spanned = static_cast<double>(r.i1 - r.i0 + 1) * static_cast<double>(r.j1 - r.j0 + 1);
        if (spanned > 4096.0) {
            r.big = true;
            bigElements.push_back(e);
            return;
        }
        for (std::int64_t i = r.i0; i <= r.i1; ++i)
            for (std::int64_t j = r.j0; j <= r.j1; ++j) makeCell(i, j).push_back(e);
    }
};

NetIndex::NetIndex(const BasDelaunay& m) : m_(m) { rebuild(); }

NetIndex::~NetIndex() = default;

void NetIndex::rebuild() {
    state_ = std::make_unique<State>(NetCellSize(m_));
    State& s = *state_;
    s.elementCount = m_.MeshElementCount;
    s.elements.assign(static_cast<std::size_t>(std::max<std::int32_t>(s.elementCount, 0)) + 1, State::Registered{});
    s.sidesAt.resize(static_cast<std::size_t>(std::max<std::int16_t>(m_.MeshNodeCount, 0)) + 1);
    // The array of cells over the nodes' extent, unless it would be far
    // larger than the net.
    if (m_.MeshNodeCount >= 1) {
        float xMin = m_.MeshNodeX[1], xMax = xMin, yMin = m_.MeshNodeY[1], yMax = yMin;
        for (std::size_t n = 2; n <= static_cast<std::size_t>(m_.MeshNodeCount); ++n) {
            xMin = std::min(xMin, m_.MeshNodeX[n]);
            xMax = std::max(xMax, m_.MeshNodeX[n]);
            yMin = std::min(yMin, m_.MeshNodeY[n]);
            yMax = std::max(yMax, m_.MeshNodeY[n]);
        }
        const std::int64_t i0 = s.cellOf(xMin), i1 = s.cellOf(xMax), j0 = s.cellOf(yMin), j1 = s.cellOf(yMax);
        const double count = (static_cast<double>(i1) - static_cast<double>(i0) + 1.0) * (static_cast<double>(j1) - static_cast<double>(j0) + 1.0);
        if (count <= 4.0 * std::max<double>(s.elementCount, 1.0) + 64.0) {
            s.gridI0 = i0;
            s.gridJ0 = j0;
            s.gridNi = i1 - i0 + 1;
            s.gridNj = j1 - j0 + 1;
            s.grid.resize(static_cast<std::size_t>(s.gridNi * s.gridNj));
        }
    }
    for (std::int32_t e = 1; e <= s.elementCount; ++e) s.enrol(m_, e);
    s.nodeCount = 0;
    s.nodeAt.assign(1, {0.0f, 0.0f});
    for (std::int32_t n = 1; n <= m_.MeshNodeCount; ++n) NodeAppended(static_cast<std::int16_t>(n));
}

void NetIndex::ensureBuilt() {
    if (state_->stale) rebuild();
}

bool NetIndex::Knows(std::int32_t elements, std::int16_t nodes) const {
    return !state_->stale && state_->elementCount == elements && state_->nodeCount == nodes;
}

void NetIndex::SideHolders(std::int16_t a, std::int16_t b, std::vector<std::int32_t>& holders) {
    ensureBuilt();
    holders.clear();
    const std::int16_t lower = std::min(a, b), upper = std::max(a, b);
    const State::SideList* list = state_->sidesOf(lower, false);
    if (list == nullptr) return;
    // A side of one node twice (a, a) is held only by elements that name it
    // so; the lists keep both directions alike.
    for (const auto& [other, e] : *list)
        if (other == upper && holdsSide(m_.MeshElementList[static_cast<std::size_t>(e)], a, b)) holders.push_back(e);
    std::sort(holders.begin(), holders.end());
    holders.erase(std::unique(holders.begin(), holders.end()), holders.end());
}

std::int32_t NetIndex::ElementAt(double x, double y) {
    ensureBuilt();
    State& s = *state_;
    std::int32_t lowest = 0;
    auto consider = [&](std::int32_t e) {
        if ((lowest == 0 || e < lowest) && ElementHoldsPoint(m_, m_.MeshElementList[static_cast<std::size_t>(e)], x, y))
            lowest = e;
    };
    if (const std::vector<std::int32_t>* cell = s.cellAt(s.cellOf(x), s.cellOf(y)))
        for (std::int32_t e : *cell) consider(e);
    for (std::int32_t e : s.bigElements) consider(e);
    return lowest;
}

void NetIndex::ElementsAround(double x, double y, double radius, std::vector<std::int32_t>& found) {
    ensureBuilt();
    const State& s = *state_;
    const std::int64_t i0 = s.cellOf(x - radius), i1 = s.cellOf(x + radius);
    const std::int64_t j0 = s.cellOf(y - radius), j1 = s.cellOf(y + radius);
    for (std::int64_t i = i0; i <= i1; ++i)
        for (std::int64_t j = j0; j <= j1; ++j) {
            if (const std::vector<std::int32_t>* cell = s.cellAt(i, j)) found.insert(found.end(), cell->begin(), cell->end());
        }
    found.insert(found.end(), s.bigElements.begin(), s.bigElements.end());
}

std::int16_t NetIndex::NodeNear(float x, float y, std::int16_t last, double radius) {
    ensureBuilt();
    std::int16_t lowest = 0;
    // The cells around the point, a little wider than the radius for the
    // rounding of the distance.
    state_->nodes.ForEachAround(x, y, radius * (1.0 + 1e-6) + 1e-30, [&](std::int16_t v) {
        if (v > last || (lowest != 0 && v > lowest)) return;
        if (roundedDistance(m_.MeshNodeX[static_cast<std::size_t>(v)], m_.MeshNodeY[static_cast<std::size_t>(v)], x, y) <
            radius)
            lowest = v;
    });
    return lowest;
}

void NetIndex::ElementChanged(std::int32_t e) {
    State& s = *state_;
    if (s.stale) return;
    if (e < 1 || e > m_.MeshElementCount) return;
    if (static_cast<std::size_t>(e) >= s.elements.size())
        s.elements.resize(static_cast<std::size_t>(e) + 1, State::Registered{});
    s.unregister(e);
    s.enrol(m_, e);
    s.elementCount = m_.MeshElementCount;
}

void NetIndex::ElementsRemoved() { state_->stale = true; }

void NetIndex::LastElementsRemoved(std::int32_t count) {
    State& s = *state_;
    if (s.stale) return;
    for (std::int32_t e = count + 1; e <= s.elementCount && static_cast<std::size_t>(e) < s.elements.size(); ++e) s.unregister(e);
    if (s.elements.size() > static_cast<std::size_t>(count) + 1) s.elements.resize(static_cast<std::size_t>(count) + 1);
    s.elementCount = count;
}

void NetIndex::NodeAppended(std::int16_t n) {
    State& s = *state_;
    if (s.stale) return;
    const float x = m_.MeshNodeX[static_cast<std::size_t>(n)];
    const float y = m_.MeshNodeY[static_cast<std::size_t>(n)];
    if (s.nodeAt.size() <= static_cast<std::size_t>(n)) s.nodeAt.resize(static_cast<std::size_t>(n) + 1);
    s.nodeAt[static_cast<std::size_t>(n)] = {x, y};
    s.nodes.Add(n, x, y);
    s.nodeCount = n;
}

void NetIndex::LastNodeRemoved() {
    State& s = *state_;
    if (s.stale || s.nodeCount < 1) return;
    const auto [x, y] = s.nodeAt[static_cast<std::size_t>(s.nodeCount)];
    s.nodes.Remove(s.nodeCount, x, y);
    --s.nodeCount;
}

}  // namespace orvelo
