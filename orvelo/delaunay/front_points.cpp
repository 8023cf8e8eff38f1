#include "orvelo/delaunay/front_points.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/element_shape.h"
#include "orvelo/delaunay/insert_point.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/net_lookup.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

struct Point {
    float x = 0.0f;
    float y = 0.0f;
    double side = 0.0;  // the length of the border side it stands on
};

// The nodes that may not be caught: held by the side flags, fixed, ends of
// constraint sides, or used by no element.
std::vector<bool> heldNodes(const BasDelaunay& m) {
    std::vector<bool> held = NodesHeldByFlags(m);
    auto hold = [&](std::int16_t n) {
        if (n >= 1 && n <= m.MeshNodeCount) held[static_cast<std::size_t>(n)] = true;
    };
    for (std::size_t i = 1; i <= static_cast<std::size_t>(m.FixedNodeCount) && i < m.FixedNodes.size(); ++i) hold(m.FixedNodes[i]);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(m.ConstraintEdgeCount) && i < m.ConstraintEdges.size(); ++i) {
        hold(m.ConstraintEdges[i][0]);
        hold(m.ConstraintEdges[i][1]);
    }
    std::vector<bool> used(held.size(), false);
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= element.CornerCount; ++k) used[static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)])] = true;
    }
    for (std::size_t n = 1; n < held.size(); ++n)
        if (!used[n]) held[n] = true;
    return held;
}

// The apex of the equilateral triangle on the side from p1 to p2, on the side
// of an element that turns as `turn` (left of the direction for
// counter-clockwise elements, right for clockwise ones).
Point apexOf(float x1, float y1, float x2, float y2, int turn) {
    const double s = std::sqrt(3.0) / 2.0;
    const double mx = (static_cast<double>(x1) + x2) / 2.0;
    const double my = (static_cast<double>(y1) + y2) / 2.0;
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const Point a{static_cast<float>(mx - s * dy), static_cast<float>(my + s * dx)};
    const Point b{static_cast<float>(mx + s * dy), static_cast<float>(my - s * dx)};
    const double bracket = (static_cast<double>(b.x) - x1) * dy - (static_cast<double>(b.y) - y1) * dx;
    return bracket * turn < 0.0 ? b : a;
}

struct Changed;

class FrontPoints {
public:
    explicit FrontPoints(BasDelaunay& m) : m_(m), grid_(NetCellSize(m)) {}

    // saved: set once the marks are saved (from then on the flags must be
    // rebuilt whatever happens).
    void run(bool& saved);

private:
    // Step of one border side: catch a node, or keep the apex as a new point.
    void visitSide(std::int16_t first, std::int16_t second, int turn);
    // Whether moving node n onto (x, y) leaves all its elements unfolded,
    // none of their angles smaller and the count under theta as allowed;
    // underBefore, underAfter: how many of them are under theta.
    bool moveKeepsShapes(std::int16_t n, float x, float y, std::int64_t& underBefore, std::int64_t& underAfter) const;
    // The elements with a corner nearer than reach to (x, y), ascending.
    void elementsNear(double x, double y, double reach, std::vector<std::int32_t>& found);
    void patchOf(const std::vector<std::int32_t>& kept, BasDelaunay& patch);
    bool insertionLooksNoWorse(float x, float y, const std::vector<std::int32_t>& around);
    void indexRows();
    void noteRow(std::int32_t r);
    void noteRows(const InsertionLog& log);

    BasDelaunay& m_;
    NodeGrid grid_;
    std::vector<bool> held_;
    std::vector<std::vector<std::int32_t>> elementsAt_;
    std::vector<Point> newPoints_;
    float halfMin_ = 0.0f;
    // The elements under theta as counted (set by run).
    UnderThetaGuard under_{0.0f};
    // Whether an insertion is taken: no smaller angle, the elements under
    // theta as the guard allows.
    bool takes(const Changed& changed) const;
    // The elements at each node while new points go in (those of node n
    // from atStart_[n] on in atList_), made afresh after an insertion.
    std::vector<std::int32_t> atStart_, atList_;
    bool atStale_ = true;
    // The constraint rows at each node (some no longer there), and the
    // patch's buffers.
    std::vector<std::vector<std::int32_t>> rowsAt_;
    std::vector<std::int16_t> patchNodes_;
    std::vector<std::int32_t> patchRows_;
    std::vector<NetElement> patchBefore_;
    // Marks of the elements and nodes met in one search (those with the
    // stamp of the search), the patch's number of each node, and the
    // elements the index gave.
    std::vector<std::uint32_t> elementMark_, nodeMark_;
    std::uint32_t elementStamp_ = 0, nodeStamp_ = 0;
    std::vector<std::int16_t> localOf_;
    std::vector<std::int32_t> rawNear_;
};

void FrontPoints::elementsNear(double x, double y, double reach, std::vector<std::int32_t>& found) {
    found.clear();
    // The insertions' index, where it describes the net as it is: the
    // elements it registered around the point, those with a corner within
    // reach kept.
    // Each element once (a mark of this call), then in ascending order.
    if (++elementStamp_ == 0) {
        std::fill(elementMark_.begin(), elementMark_.end(), 0u);
        elementStamp_ = 1;
    }
    if (elementMark_.size() < static_cast<std::size_t>(m_.MeshElementCount) + 1)
        elementMark_.resize(static_cast<std::size_t>(m_.MeshElementCount) + 1, 0u);
    auto first = [&](std::int32_t e) {
        std::uint32_t& mark = elementMark_[static_cast<std::size_t>(e)];
        if (mark == elementStamp_) return false;
        mark = elementStamp_;
        return true;
    };
    if (m_.EditIndex && m_.EditIndex->Knows(m_.MeshElementCount, m_.MeshNodeCount)) {
        std::vector<std::int32_t>& raw = rawNear_;
        raw.clear();
        m_.EditIndex->ElementsAround(x, y, reach * (1.0 + 1e-9), raw);
        const double squared = reach * reach;
        auto near = [&](std::int32_t e) {
            const NetElement& element = m_.MeshElementList[static_cast<std::size_t>(e)];
            for (int k = 1; k <= element.CornerCount; ++k) {
                const auto i = static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)]);
                const double dx = m_.MeshNodeX[i] - x, dy = m_.MeshNodeY[i] - y;
                if (dx * dx + dy * dy < squared) return true;
            }
            return false;
        };
        for (std::int32_t e : raw)
            if (first(e) && near(e)) found.push_back(e);
        std::sort(found.begin(), found.end());
        atStale_ = true;
        return;
    }
    if (atStale_) {
        atStart_.assign(static_cast<std::size_t>(m_.MeshNodeCount) + 2, 0);
        for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
            const NetElement& element = m_.MeshElementList[static_cast<std::size_t>(e)];
            for (int k = 1; k <= element.CornerCount; ++k) ++atStart_[static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)]) + 1];
        }
        for (std::size_t n = 1; n < atStart_.size(); ++n) atStart_[n] += atStart_[n - 1];
        atList_.resize(static_cast<std::size_t>(atStart_.back()));
        std::vector<std::int32_t> next(atStart_.begin(), atStart_.end() - 1);
        for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
            const NetElement& element = m_.MeshElementList[static_cast<std::size_t>(e)];
            for (int k = 1; k <= element.CornerCount; ++k)
                atList_[static_cast<std::size_t>(next[static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)])]++)] = e;
        }
        atStale_ = false;
    }
    grid_.ForEachAround(x, y, reach * (1.0 + 1e-9), [&](std::int16_t n) {
        const auto i = static_cast<std::size_t>(n);
        const double dx = m_.MeshNodeX[i] - x, dy = m_.MeshNodeY[i] - y;
        if (dx * dx + dy * dy < reach * reach)
            for (std::int32_t at = atStart_[i]; at < atStart_[i + 1]; ++at)
                if (first(atList_[static_cast<std::size_t>(at)])) found.push_back(atList_[static_cast<std::size_t>(at)]);
    });
    std::sort(found.begin(), found.end());
}

bool FrontPoints::moveKeepsShapes(std::int16_t n, float x, float y, std::int64_t& underBefore, std::int64_t& underAfter) const {
    auto before = [&](std::int16_t v) {
        return std::pair<double, double>{m_.MeshNodeX[static_cast<std::size_t>(v)], m_.MeshNodeY[static_cast<std::size_t>(v)]};
    };
    auto after = [&](std::int16_t v) { return v == n ? std::pair<double, double>{x, y} : before(v); };
    double worstBefore = -1.0, worstAfter = -1.0;
    underBefore = underAfter = 0;
    for (std::int32_t e : elementsAt_[static_cast<std::size_t>(n)]) {
        const NetElement& element = m_.MeshElementList[static_cast<std::size_t>(e)];
        if (!KeepsItsShape(element, before, after)) return false;
        const double was = LargestCornerCosine(element, before), becomes = LargestCornerCosine(element, after);
        worstBefore = std::max(worstBefore, was);
        worstAfter = std::max(worstAfter, becomes);
        underBefore += was > under_.cosine ? 1 : 0;
        underAfter += becomes > under_.cosine ? 1 : 0;
    }
    return worstAfter <= worstBefore && under_.allows(underBefore, underAfter);
}

// The elements an insertion took away and those it made, from the element
// lists before and after it (records that stayed are matched in order, also
// where removed records moved the later ones down): the largest corner
// cosine of each kind and how many of each have an angle under theta.
struct Changed {
    double replaced = -1.0, made = -1.0;
    int replacedUnder = 0, madeUnder = 0;
};

bool FrontPoints::takes(const Changed& changed) const {
    return changed.made <= changed.replaced && under_.allows(changed.replacedUnder, changed.madeUnder);
}

bool sameRecord(const NetElement& p, const NetElement& q) {
    return p.CornerCount == q.CornerCount && p.Node[0] == q.Node[0] && p.Node[1] == q.Node[1] && p.Node[2] == q.Node[2] &&
           p.Node[3] == q.Node[3] && p.Node[4] == q.Node[4];
}

// Adds the elements replaced and made to a Changed.
struct Tally {
    const BasDelaunay& m;
    double cosT;
    Changed result;
    double worst(const NetElement& element) const {
        return LargestCornerCosine(element, [&](std::int16_t v) {
            return std::pair<double, double>{m.MeshNodeX[static_cast<std::size_t>(v)], m.MeshNodeY[static_cast<std::size_t>(v)]};
        });
    }
    void replaced(const NetElement& element) {
        const double c = worst(element);
        result.replaced = std::max(result.replaced, c);
        result.replacedUnder += c > cosT ? 1 : 0;
    }
    void made(const NetElement& element) {
        const double c = worst(element);
        result.made = std::max(result.made, c);
        result.madeUnder += c > cosT ? 1 : 0;
    }
};

Changed worstChanged(const std::vector<NetElement>& before, std::int32_t beforeCount, const std::vector<NetElement>& after,
                     std::int32_t afterCount, const BasDelaunay& m, double cosT) {
    auto same = sameRecord;
    Tally tally{m, cosT, {}};
    auto replaced = [&](const NetElement& element) { tally.replaced(element); };
    auto made = [&](const NetElement& element) { tally.made(element); };
    Changed& result = tally.result;
    std::int32_t i = 1, j = 1;
    while (i <= beforeCount && j <= afterCount) {
        if (same(before[static_cast<std::size_t>(i)], after[static_cast<std::size_t>(j)])) {
            ++i, ++j;
            continue;
        }
        int skipped = 0;
        for (int d = 1; d <= 3 && skipped == 0; ++d)
            if (i + d <= beforeCount && same(before[static_cast<std::size_t>(i + d)], after[static_cast<std::size_t>(j)])) skipped = d;
        for (int d = 0; d < std::max(skipped, 1); ++d) replaced(before[static_cast<std::size_t>(i + d)]);
        if (skipped == 0) made(after[static_cast<std::size_t>(j++)]);
        i += std::max(skipped, 1);
    }
    for (; i <= beforeCount; ++i) replaced(before[static_cast<std::size_t>(i)]);
    for (; j <= afterCount; ++j) made(after[static_cast<std::size_t>(j)]);
    return result;
}

// worstChanged of the insertion logged, from the records it wrote: with no
// record removed, a record that stayed is one not written or written back
// as it was, and the matching in order pairs each written record with the
// one it replaced unless it is the same as one of the next three records
// before; in that case, and where records were removed, the list before is
// made again from the log and matched as a whole.
Changed changedByLog(const InsertionLog& log, const BasDelaunay& m, double cosT,
                     std::vector<std::pair<std::int32_t, NetElement>>& written, std::vector<NetElement>& before) {
    const std::int32_t beforeCount = log.elementCount, afterCount = m.MeshElementCount;
    const std::vector<NetElement>& after = m.MeshElementList;
    auto asWhole = [&] {
        log.ElementsBefore(after, before);
        return worstChanged(before, beforeCount, after, afterCount, m, cosT);
    };
    if (afterCount < beforeCount || log.RemovedElements()) return asWhole();
    // The records written among those there before, each with what it held
    // first, ascending.
    written.clear();
    for (const InsertionLog::Entry& entry : log.entries)
        if (entry.kind == InsertionLog::Kind::Element && entry.at <= beforeCount &&
            std::none_of(written.begin(), written.end(), [&](const auto& w) { return w.first == entry.at; }))
            written.push_back({entry.at, entry.element});
    std::sort(written.begin(), written.end(), [](const auto& p, const auto& q) { return p.first < q.first; });
    auto recordBefore = [&](std::int32_t e) -> const NetElement& {
        const auto at = std::lower_bound(written.begin(), written.end(), e, [](const auto& w, std::int32_t v) { return w.first < v; });
        return at != written.end() && at->first == e ? at->second : after[static_cast<std::size_t>(e)];
    };
    Tally tally{m, cosT, {}};
    for (const auto& [e, was] : written) {
        const NetElement& now = after[static_cast<std::size_t>(e)];
        if (sameRecord(was, now)) continue;
        for (std::int32_t d = 1; d <= 3 && e + d <= beforeCount; ++d)
            if (sameRecord(recordBefore(e + d), now)) return asWhole();
        tally.replaced(was);
        tally.made(now);
    }
    for (std::int32_t e = beforeCount + 1; e <= afterCount; ++e) tally.made(after[static_cast<std::size_t>(e)]);
    return tally.result;
}

// The part of the net made of the given elements (ascending) and their
// nodes (in their order), numbered afresh; the constraint rows between its
// nodes (in their order).
void FrontPoints::patchOf(const std::vector<std::int32_t>& kept, BasDelaunay& patch) {
    std::vector<std::int16_t>& nodes = patchNodes_;
    nodes.clear();
    if (++nodeStamp_ == 0) {
        std::fill(nodeMark_.begin(), nodeMark_.end(), 0u);
        nodeStamp_ = 1;
    }
    const std::size_t nodeRoom = static_cast<std::size_t>(std::max<std::int16_t>(m_.MeshNodeCount, 0)) + 1;
    if (nodeMark_.size() < nodeRoom) nodeMark_.resize(nodeRoom, 0u);
    if (localOf_.size() < nodeRoom) localOf_.resize(nodeRoom, 0);
    auto marked = [&](std::int16_t n) {
        return n >= 0 && static_cast<std::size_t>(n) < nodeMark_.size() && nodeMark_[static_cast<std::size_t>(n)] == nodeStamp_;
    };
    for (std::int32_t e : kept) {
        const NetElement& element = m_.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= element.CornerCount; ++k) {
            const std::int16_t n = element.Node[static_cast<std::size_t>(k)];
            if (marked(n)) continue;
            nodeMark_[static_cast<std::size_t>(n)] = nodeStamp_;
            nodes.push_back(n);
        }
    }
    std::sort(nodes.begin(), nodes.end());
    // The number in the patch of node n, 0 when it is none of its nodes.
    auto local = [&](std::int16_t n) -> std::int16_t { return marked(n) ? localOf_[static_cast<std::size_t>(n)] : std::int16_t{0}; };
    patch.MeshNodeX.reserve(nodes.size() + 2);
    patch.MeshNodeY.reserve(nodes.size() + 2);
    for (std::int16_t n : nodes) {
        patch.MeshNodeX.push_back(m_.MeshNodeX[static_cast<std::size_t>(n)]);
        patch.MeshNodeY.push_back(m_.MeshNodeY[static_cast<std::size_t>(n)]);
        localOf_[static_cast<std::size_t>(n)] = ++patch.MeshNodeCount;
    }
    patch.MeshElementList.reserve(kept.size() + 1);
    patch.ElementCircle.reserve(kept.size() + 1);
    for (std::int32_t e : kept) {
        NetElement element = m_.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= element.CornerCount; ++k) element.Node[static_cast<std::size_t>(k)] = local(element.Node[static_cast<std::size_t>(k)]);
        patch.MeshElementList.push_back(element);
        patch.ElementCircle.push_back(m_.ElementCircle[static_cast<std::size_t>(e)]);
    }
    patch.MeshElementCount = static_cast<std::int16_t>(kept.size());
    // The rows at the patch's nodes (rowsAt_ holds every row at its ends).
    std::vector<std::int32_t>& rows = patchRows_;
    rows.clear();
    for (std::int16_t n : nodes)
        if (static_cast<std::size_t>(n) < rowsAt_.size()) rows.insert(rows.end(), rowsAt_[static_cast<std::size_t>(n)].begin(), rowsAt_[static_cast<std::size_t>(n)].end());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (std::int32_t r : rows) {
        if (r > m_.ConstraintEdgeCount) break;
        const auto& row = m_.ConstraintEdges[static_cast<std::size_t>(r)];
        const std::int16_t a = local(row[0]), b = local(row[1]);
        if (a != 0 && b != 0) {
            patch.ConstraintEdges.push_back({a, b});
            ++patch.ConstraintEdgeCount;
        }
    }
}

// The rows at each node, from the rows as they are.
void FrontPoints::indexRows() {
    rowsAt_.assign(static_cast<std::size_t>(m_.MeshNodeCount) + 1, {});
    for (std::int32_t r = 1; r <= m_.ConstraintEdgeCount; ++r) noteRow(r);
}

void FrontPoints::noteRow(std::int32_t r) {
    for (std::int16_t n : m_.ConstraintEdges[static_cast<std::size_t>(r)]) {
        if (n < 0) continue;
        if (rowsAt_.size() <= static_cast<std::size_t>(n)) rowsAt_.resize(static_cast<std::size_t>(n) + 1);
        rowsAt_[static_cast<std::size_t>(n)].push_back(r);
    }
}

// The rows an insertion kept divided or appended, at their ends (a row no
// longer at a node stays in its list: the patch asks the row itself).
void FrontPoints::noteRows(const InsertionLog& log) {
    for (const InsertionLog::Entry& entry : log.entries)
        if (entry.kind == InsertionLog::Kind::Row && entry.at <= m_.ConstraintEdgeCount) noteRow(entry.at);
    for (std::int32_t r = log.rowCount + 1; r <= m_.ConstraintEdgeCount; ++r) noteRow(r);
}

// Whether inserting (x, y) would make elements no worse than those it
// replaces, tried on the part of the net made of the given elements (the
// net itself is not touched).
bool FrontPoints::insertionLooksNoWorse(float x, float y, const std::vector<std::int32_t>& around) {
    BasDelaunay patch;
    patchOf(around, patch);
    std::vector<NetElement>& before = patchBefore_;
    before.assign(patch.MeshElementList.begin(), patch.MeshElementList.end());
    const std::int32_t count = patch.MeshElementCount;
    struct Swapped {
        BasDelaunay& a;
        BasDelaunay& b;
        ~Swapped() { std::swap(a, b); }
    } swapped{m_, patch};
    std::swap(m_, patch);
    AppendNode(x, y);
    InsertPointIntoNet();
    return takes(worstChanged(before, count, m_.MeshElementList, m_.MeshElementCount, m_, under_.cosine));
}

void FrontPoints::visitSide(std::int16_t first, std::int16_t second, int turn) {
    const float x1 = m_.MeshNodeX[static_cast<std::size_t>(first)];
    const float y1 = m_.MeshNodeY[static_cast<std::size_t>(first)];
    const Point apex = apexOf(x1, y1, m_.MeshNodeX[static_cast<std::size_t>(second)],
                              m_.MeshNodeY[static_cast<std::size_t>(second)], turn);
    const double ex = static_cast<double>(apex.x) - x1;
    const double ey = static_cast<double>(apex.y) - y1;
    double limit = 1.5 * (ex * ex + ey * ey) / 4.0;
    const double h = halfMin_;
    if (h * h > limit) limit = h * h + 0.001;

    // The nearest free node within the limit, the lower number among equals
    // (as a scan of the nodes in order that takes only a strictly nearer one).
    double best = limit + 1.0;
    std::int16_t found = 0;
    grid_.ForEachAround(apex.x, apex.y, std::sqrt(limit) * (1.0 + 1e-9), [&](std::int16_t n) {
        if (held_[static_cast<std::size_t>(n)]) return;
        const double dx = static_cast<double>(apex.x) - m_.MeshNodeX[static_cast<std::size_t>(n)];
        const double dy = static_cast<double>(apex.y) - m_.MeshNodeY[static_cast<std::size_t>(n)];
        const double q = dx * dx + dy * dy;
        if (q < limit && (q < best || (q == best && n < found))) {
            found = n;
            best = q;
        }
    });
    std::int64_t underBefore = 0, underAfter = 0;
    if (found != 0 && moveKeepsShapes(found, apex.x, apex.y, underBefore, underAfter)) {
        under_.take(underBefore, underAfter);
        grid_.Remove(found, m_.MeshNodeX[static_cast<std::size_t>(found)], m_.MeshNodeY[static_cast<std::size_t>(found)]);
        m_.MeshNodeX[static_cast<std::size_t>(found)] = apex.x;
        m_.MeshNodeY[static_cast<std::size_t>(found)] = apex.y;
        grid_.Add(found, apex.x, apex.y);
        held_[static_cast<std::size_t>(found)] = true;
        return;
    }
    newPoints_.push_back({apex.x, apex.y, std::sqrt(ex * ex + ey * ey)});
}

void FrontPoints::run(bool& saved) {
    Declar& d = declar();
    SaveBoundaryFlags(true);
    saved = true;
    if (m_.ElementCircle.size() < static_cast<std::size_t>(m_.MeshElementCount) + 1)
        m_.ElementCircle.resize(static_cast<std::size_t>(m_.MeshElementCount) + 1, {0.0f, 0.0f, 0.0f});
    held_ = heldNodes(m_);
    mesher::SetProgressMax(2 * static_cast<std::int64_t>(m_.MeshElementCount));
    for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) mesher::StopRequested(true);
    if (!(d.MinElementSize > 0.0f)) d.MinElementSize = 0.001f;
    halfMin_ = d.MinElementSize / 2.0f;
    under_ = UnderThetaGuard(d.MinAngle);
    if (under_.wholeNet) {
        auto position = [&](std::int16_t v) {
            return std::pair<double, double>{m_.MeshNodeX[static_cast<std::size_t>(v)], m_.MeshNodeY[static_cast<std::size_t>(v)]};
        };
        for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e)
            under_.limit += LargestCornerCosine(m_.MeshElementList[static_cast<std::size_t>(e)], position) > under_.cosine ? 1 : 0;
        under_.count = under_.limit;
        // Right after a smoothing, up to what the net had before it.
        under_.limit = std::max(under_.limit, UnderThetaBeforeSmoothing(under_.cosine));
    }

    // The sides in the order of the elements and their corners, with the
    // flags as they are now and the nodes where they are when visited.
    elementsAt_.assign(static_cast<std::size_t>(m_.MeshNodeCount) + 1, {});
    for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
        const NetElement& element = m_.MeshElementList[static_cast<std::size_t>(e)];
        for (int k = 1; k <= element.CornerCount; ++k)
            elementsAt_[static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)])].push_back(e);
    }
    for (std::int32_t n = 1; n <= m_.MeshNodeCount; ++n)
        grid_.Add(static_cast<std::int16_t>(n), m_.MeshNodeX[static_cast<std::size_t>(n)], m_.MeshNodeY[static_cast<std::size_t>(n)]);
    for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
        const NetElement element = m_.MeshElementList[static_cast<std::size_t>(e)];
        const int count = element.CornerCount;
        const int turn = ElementTurn(m_, element);
        for (int k = 1; k <= count; ++k)
            if ((element.Flag[static_cast<std::size_t>(k)] & halvex::OuterSide) != 0)
                visitSide(element.Node[static_cast<std::size_t>(k)], element.Node[static_cast<std::size_t>(k == count ? 1 : k + 1)], turn);
        mesher::StopRequested(true);
    }

    // The new points, one by one. An insertion is taken only when the
    // elements it makes have no smaller angle than those it replaces, so
    // the smallest angle of the net never falls: it is tried first on the
    // part of the net around the point, and one that still turns out worse
    // in the whole net is taken back through the insertion's log (the net
    // as it was, the index told of the records that changed back).
    // An index kept by an outer scope registered the caught nodes where
    // they stood before: it is made afresh when next asked.
    if (m_.EditIndex) m_.EditIndex->ElementsRemoved();
    NetEditScope index;
    indexRows();
    std::vector<std::int32_t> around;
    InsertionLog log;
    std::vector<std::pair<std::int32_t, NetElement>> written;
    std::vector<NetElement> before;
    for (const Point& p : newPoints_) {
        const double reach = std::max(4.0 * p.side, static_cast<double>(halfMin_) * 4.0);
        elementsNear(p.x, p.y, reach, around);
        if (!insertionLooksNoWorse(p.x, p.y, around)) continue;
        const std::int16_t nodeCount = m_.MeshNodeCount;
        AppendNode(p.x, p.y);
        InsertPoint(true, &log);
        if (m_.MeshNodeCount == nodeCount) continue;  // refused
        const Changed changed = changedByLog(log, m_, under_.cosine, written, before);
        if (takes(changed)) {
            under_.take(changed.replacedUnder, changed.madeUnder);
            for (std::int32_t n = nodeCount + 1; n <= m_.MeshNodeCount; ++n)
                grid_.Add(static_cast<std::int16_t>(n), m_.MeshNodeX[static_cast<std::size_t>(n)], m_.MeshNodeY[static_cast<std::size_t>(n)]);
            noteRows(log);
            atStale_ = true;
            continue;
        }
        TakeBackInsertion(log);
    }
}

// The end of every way through: marks back, flags rebuilt.
void rebuildFlags(BasDelaunay& m) {
    m.ElementCircle.assign(1, {0.0f, 0.0f, 0.0f});
    ResetSideFlags(true);
    RestoreBoundaryFlags(true);
    BuildElementSideFlags(m.MeshElementList, OperationWaitWindow());
}

}  // namespace

void AddBoundaryFrontPoints() {
    BasDelaunay& m = basDelaunay();
    bool saved = false;
    try {
        // The run state is left as it is: a stop noticed here or earlier
        // (which sets state 3) must still end the run unsaved.
        if (drovik::ClsWaitWindow* window = OperationWaitWindow())
            window->StatusText(LanguageTexts().GetText(rt::Variant(quillon::TextNo(100026))) + "!");
        if (mesher::StopRequested(false)) return;
        FrontPoints(m).run(saved);
        rebuildFlags(m);
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answers is a fault of a test
    } catch (const std::exception&) {
        HandleError();
        if (!saved) return;
        // The net itself is whole (an insertion changes it all or not at
        // all): its flags are made to match it.
        try {
            rebuildFlags(m);
        } catch (const forms::MsgBoxError&) {
            throw;
        } catch (const std::exception&) {
            HandleError();
        }
    }
}

}  // namespace orvelo
