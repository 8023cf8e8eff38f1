#include "orvelo/delaunay/insert_point.h"

#include <algorithm>
#include <bit>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/element_shape.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/net_lookup.h"
#include "orvelo/delaunay/predicates.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

int sign(double value) { return value > 0.0 ? 1 : (value < 0.0 ? -1 : 0); }

NetElement& elementOf(BasDelaunay& m, std::int32_t e) { return m.MeshElementList[static_cast<std::size_t>(e)]; }

// Error 9 unless every element is a triangle or quadrilateral of nodes of the
// net (the new last node, which no element has yet, left out).
void requireNetOfTrianglesAndQuadrilaterals(const BasDelaunay& m) {
    if (m.MeshElementList.size() < static_cast<std::size_t>(m.MeshElementCount) + 1)
        rt::raise(9, "The net holds fewer elements than its count says.");
    for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
        const NetElement& element = m.MeshElementList[static_cast<std::size_t>(e)];
        if (element.CornerCount != 3 && element.CornerCount != 4)
            rt::raise(9, "The net holds an element that is neither a triangle nor a quadrilateral.");
        for (int k = 1; k <= element.CornerCount; ++k) {
            const std::int16_t n = element.Node[static_cast<std::size_t>(k)];
            if (n < 1 || n >= m.MeshNodeCount) rt::raise(9, "An element of the net names a node that does not exist.");
        }
    }
}

// One side met while the cavity is collected: its two nodes in the
// direction of its element, and whether it is an inner side.
struct CavitySide {
    std::int16_t a = 0;
    std::int16_t b = 0;
    bool shared = false;
    bool omitted = false;  // the node lies on it, and it is a side of the border
};

class Insertion {
public:
    Insertion(BasDelaunay& m, NetLookup& lookup, bool divideRows, InsertionLog* log)
        : m_(m),
          lookup_(lookup),
          node_(m.MeshNodeCount),
          x_(m.MeshNodeX[static_cast<std::size_t>(m.MeshNodeCount)]),
          y_(m.MeshNodeY[static_cast<std::size_t>(m.MeshNodeCount)]),
          tol_(CoincidenceTolerance()),
          divideRows_(divideRows),
          log_(log) {}

    bool intoTriangle(std::int32_t t);
    bool intoQuadrilateral(std::int32_t q);
    // Whether the net was changed (after that, an error leaves the node in).
    bool changedNet() const { return changed_; }

private:
    std::vector<std::int16_t> corners(std::int32_t e) const {
        const NetElement& element = m_.MeshElementList[static_cast<std::size_t>(e)];
        return std::vector<std::int16_t>(element.Node.begin() + 1, element.Node.begin() + 1 + element.CornerCount);
    }
    bool onSide(std::int16_t a, std::int16_t b) const { return PointOnSide(m_, a, b, x_, y_, tol_); }
    bool exactlyOnSide(std::int16_t a, std::int16_t b) const { return PointOnSide(m_, a, b, x_, y_, 0.0); }
    bool isConstraint(std::int16_t a, std::int16_t b) const {
        for (std::size_t r = 1; r <= static_cast<std::size_t>(m_.ConstraintEdgeCount) && r < m_.ConstraintEdges.size(); ++r) {
            const auto& row = m_.ConstraintEdges[r];
            if ((row[0] == a && row[1] == b) || (row[0] == b && row[1] == a)) return true;
        }
        return false;
    }
    std::vector<std::int32_t> holders(std::int16_t a, std::int16_t b) {
        std::vector<std::int32_t> list;
        lookup_.SideHolders(a, b, list);
        return list;
    }
    // The sides of the element the node lies on, the elements across them
    // (forced into the cavity) and the sides themselves (divided).
    void sidesUnderTheNode(std::int32_t e, std::vector<std::int32_t>& forced);
    bool planFan(const std::vector<std::int32_t>& cavity, int turn);
    void commitFan(const std::vector<std::int32_t>& cavity);
    void mendSmallAngles(const std::vector<std::int32_t>& made, int turn);
    void checkRowRoom() const;
    void divideRows();
    void removeElements(std::vector<std::int32_t> numbers);
    void checkElementRoom(std::int32_t more) const {
        if (static_cast<std::int32_t>(m_.MeshElementCount) + more > kMaxNetCount) RaiseNetTooLarge();
    }
    void circleOf(std::int32_t e) {
        if (elementOf(m_, e).CornerCount == 3) computeCircle(e);
    }
    // The record of element e, about to be written (logged).
    NetElement& edit(std::int32_t e) {
        if (log_ != nullptr) log_->entries.push_back({InsertionLog::Kind::Element, e, elementOf(m_, e)});
        return elementOf(m_, e);
    }
    void computeCircle(std::int32_t e) {
        if (log_ != nullptr && static_cast<std::size_t>(e) < m_.ElementCircle.size())
            log_->entries.push_back({InsertionLog::Kind::Circle, e, {}, m_.ElementCircle[static_cast<std::size_t>(e)]});
        ComputeCircumcircle(static_cast<std::int16_t>(e));
    }

    BasDelaunay& m_;
    NetLookup& lookup_;
    const std::int16_t node_;
    const double x_;
    const double y_;
    const double tol_;
    const bool divideRows_;
    InsertionLog* const log_;
    std::vector<CavitySide> sides_;
    std::vector<std::pair<std::int16_t, std::int16_t>> divided_;
    bool changed_ = false;
};

void Insertion::sidesUnderTheNode(std::int32_t e, std::vector<std::int32_t>& forced) {
    const std::vector<std::int16_t> c = corners(e);
    for (std::size_t j = 0; j < c.size(); ++j) {
        const std::int16_t a = c[j];
        const std::int16_t b = c[(j + 1) % c.size()];
        if (!onSide(a, b)) continue;
        divided_.push_back({a, b});
        for (std::int32_t h : holders(a, b))
            if (h != e) forced.push_back(h);
    }
    std::sort(forced.begin(), forced.end());
    forced.erase(std::unique(forced.begin(), forced.end()), forced.end());
}

// The fan of new triangles from the node over the open sides of the cavity
// (ascending element numbers): every cavity element turns as `turn`, the
// open sides make one closed chain through every corner of the cavity, and
// every new triangle turns as `turn` too; a side the node lies on exactly
// is left out when nothing beyond the cavity holds it (a side of the
// border). False when the cavity cannot be fanned so.
bool Insertion::planFan(const std::vector<std::int32_t>& cavity, int turn) {
    sides_.clear();
    for (std::int32_t e : cavity) {
        if (ElementTurn(m_, elementOf(m_, e)) != turn) return false;
        const std::vector<std::int16_t> c = corners(e);
        for (std::size_t j = 0; j < c.size(); ++j) {
            const std::int16_t a = c[j];
            const std::int16_t b = c[(j + 1) % c.size()];
            bool matched = false;
            for (CavitySide& side : sides_)
                if ((side.a == a && side.b == b) || (side.a == b && side.b == a)) {
                    side.shared = true;
                    matched = true;
                }
            if (!matched) sides_.push_back({a, b, false, false});
        }
    }
    // One closed chain of open sides through every corner.
    std::vector<std::pair<std::int16_t, std::int16_t>> chain;
    for (const CavitySide& side : sides_)
        if (!side.shared) chain.push_back({side.a, side.b});
    if (chain.size() < 3) return false;
    for (std::int32_t e : cavity)
        for (std::int16_t n : corners(e)) {
            int starts = 0;
            int ends = 0;
            for (const auto& [a, b] : chain) {
                starts += a == n ? 1 : 0;
                ends += b == n ? 1 : 0;
            }
            if (starts != 1 || ends != 1) return false;
        }
    std::size_t walked = 0;
    std::int16_t at = chain.front().first;
    do {
        const auto next = std::find_if(chain.begin(), chain.end(), [at](const auto& s) { return s.first == at; });
        at = next->second;
        ++walked;
    } while (at != chain.front().first && walked <= chain.size());
    if (walked != chain.size()) return false;

    // Every new triangle turns as the cavity does.
    for (CavitySide& side : sides_) {
        if (side.shared) continue;
        if (onSide(side.a, side.b)) {
            for (std::int32_t h : holders(side.a, side.b))
                if (!std::binary_search(cavity.begin(), cavity.end(), h)) return false;
            // A side of the border: divided by a node exactly on it; a node
            // only near it would bend the border (or leave a sliver).
            if (!exactlyOnSide(side.a, side.b)) return false;
            side.omitted = true;
            continue;
        }
        const double o = predicates::Orient2d(x_, y_, m_.MeshNodeX[static_cast<std::size_t>(side.a)],
                                              m_.MeshNodeY[static_cast<std::size_t>(side.a)],
                                              m_.MeshNodeX[static_cast<std::size_t>(side.b)],
                                              m_.MeshNodeY[static_cast<std::size_t>(side.b)]);
        if (sign(o) != turn) return false;
    }
    return true;
}

void Insertion::checkRowRoom() const {
    if (!divideRows_) return;
    std::int32_t more = 0;
    for (const auto& [a, b] : divided_)
        for (std::size_t r = 1; r <= static_cast<std::size_t>(m_.ConstraintEdgeCount) && r < m_.ConstraintEdges.size(); ++r) {
            const auto& row = m_.ConstraintEdges[r];
            if ((row[0] == a && row[1] == b) || (row[0] == b && row[1] == a)) ++more;
        }
    if (m_.ConstraintEdgeCount + more > kMaxNetCount) rt::raise(6, "The list of constraint sides would pass 32767 rows.");
}

void Insertion::divideRows() {
    if (!divideRows_) return;
    for (const auto& [a, b] : divided_) {
        const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(m_.ConstraintEdgeCount), m_.ConstraintEdges.size() - 1);
        for (std::size_t r = 1; r <= count; ++r) {
            auto& row = m_.ConstraintEdges[r];
            if (!((row[0] == a && row[1] == b) || (row[0] == b && row[1] == a))) continue;
            const std::int16_t second = row[1];
            if (log_ != nullptr) log_->entries.push_back({InsertionLog::Kind::Row, static_cast<std::int32_t>(r), {}, {}, row});
            row[1] = node_;
            ++m_.ConstraintEdgeCount;
            m_.ConstraintEdges.resize(static_cast<std::size_t>(m_.ConstraintEdgeCount) + 1);
            m_.ConstraintEdges[static_cast<std::size_t>(m_.ConstraintEdgeCount)] = {node_, second};
        }
    }
}

void Insertion::removeElements(std::vector<std::int32_t> numbers) {
    if (numbers.empty()) return;
    std::sort(numbers.begin(), numbers.end(), std::greater<>());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (std::int32_t d : numbers) {
        // The circles move with their elements.
        const bool withCircle = m_.ElementCircle.size() > static_cast<std::size_t>(d);
        if (log_ != nullptr)
            log_->entries.push_back({InsertionLog::Kind::ElementRemoved, d, elementOf(m_, d),
                                     withCircle ? m_.ElementCircle[static_cast<std::size_t>(d)] : std::array<float, 3>{}, {},
                                     withCircle});
        m_.MeshElementList.erase(m_.MeshElementList.begin() + d);
        if (withCircle) m_.ElementCircle.erase(m_.ElementCircle.begin() + d);
        --m_.MeshElementCount;
    }
    m_.MeshElementList.resize(static_cast<std::size_t>(m_.MeshElementCount) + 1);
    lookup_.ElementsRemoved();
}

// The cavity's elements in ascending order onto the free-number stack; each
// open side in list order becomes (node, a, b) under the number last freed,
// or a new number.
void Insertion::commitFan(const std::vector<std::int32_t>& cavity) {
    std::int32_t kept = 0;
    for (const CavitySide& side : sides_) kept += !side.shared && !side.omitted ? 1 : 0;
    checkElementRoom(std::max<std::int32_t>(0, kept - static_cast<std::int32_t>(cavity.size())));
    checkRowRoom();

    changed_ = true;
    FreeElementStack(-1);
    for (std::int32_t e : cavity) FreeElementStack(static_cast<std::int16_t>(e));
    std::vector<std::int32_t> made;
    for (const CavitySide& side : sides_) {
        if (side.shared || side.omitted) continue;
        std::int32_t number = FreeElementStack(0);
        if (number == 0) number = AppendElement();
        NetElement& element = edit(number);
        element.CornerCount = 3;
        element.Node = {0, node_, side.a, side.b, 0};
        element.Flag[4] = 0;
        lookup_.ElementChanged(number);
        made.push_back(number);
    }
    std::vector<std::int32_t> left;
    for (std::int32_t number = FreeElementStack(0); number != 0; number = FreeElementStack(0)) left.push_back(number);
    divideRows();
    for (std::int32_t number : made) circleOf(number);
    removeElements(left);
}

bool Insertion::intoTriangle(std::int32_t t) {
    const int turn = ElementTurn(m_, elementOf(m_, t));
    std::vector<std::int32_t> forced;
    sidesUnderTheNode(t, forced);

    // The triangles across T's other sides whose circles hold the node; none
    // across a constraint side.
    const double tolerance = CoincidenceTolerance();
    auto circleHolds = [&](std::int32_t e) {
        computeCircle(e);
        const auto& circle = m_.ElementCircle[static_cast<std::size_t>(e)];
        const double dx = x_ - circle[0];
        const double dy = y_ - circle[1];
        return dx * dx + dy * dy - circle[2] <= tolerance;
    };
    circleHolds(t);
    std::vector<std::int32_t> candidates;
    const std::vector<std::int16_t> c = corners(t);
    for (std::size_t j = 0; j < 3; ++j) {
        const std::int16_t a = c[j];
        const std::int16_t b = c[(j + 1) % 3];
        if (onSide(a, b) || isConstraint(a, b)) continue;
        for (std::int32_t h : holders(a, b))
            if (h != t && elementOf(m_, h).CornerCount == 3 &&
                !std::binary_search(forced.begin(), forced.end(), h) &&
                std::find(candidates.begin(), candidates.end(), h) == candidates.end())
                candidates.push_back(h);
    }
    std::sort(candidates.begin(), candidates.end());
    std::vector<std::int32_t> joining;
    for (std::int32_t h : candidates)
        if (circleHolds(h)) joining.push_back(h);

    // The largest cavity that can be fanned: all the joining triangles, else
    // fewer of them (the lower numbers kept first).
    const std::size_t n = joining.size();
    for (std::size_t size = n + 1; size-- > 0;) {
        for (std::uint32_t mask = 0; mask < (1u << n); ++mask) {
            if (static_cast<std::size_t>(std::popcount(mask)) != size) continue;
            std::vector<std::int32_t> cavity = forced;
            cavity.push_back(t);
            for (std::size_t i = 0; i < n; ++i)
                if ((mask & (1u << i)) != 0) cavity.push_back(joining[i]);
            std::sort(cavity.begin(), cavity.end());
            cavity.erase(std::unique(cavity.begin(), cavity.end()), cavity.end());
            if (!planFan(cavity, turn)) continue;
            commitFan(cavity);
            return true;
        }
    }
    return false;
}

bool Insertion::intoQuadrilateral(std::int32_t q) {
    const int turn = ElementTurn(m_, elementOf(m_, q));
    std::vector<std::int32_t> forced;
    sidesUnderTheNode(q, forced);
    if (!divided_.empty()) {
        // The node on a side: the quadrilateral and the elements across the
        // side make the cavity.
        std::vector<std::int32_t> cavity = forced;
        cavity.push_back(q);
        std::sort(cavity.begin(), cavity.end());
        cavity.erase(std::unique(cavity.begin(), cavity.end()), cavity.end());
        if (!planFan(cavity, turn)) return false;
        commitFan(cavity);
        return true;
    }
    const std::vector<std::int16_t> c = corners(q);
    for (std::size_t j = 0; j < 4; ++j) {
        const double o = predicates::Orient2d(x_, y_, m_.MeshNodeX[static_cast<std::size_t>(c[j])],
                                              m_.MeshNodeY[static_cast<std::size_t>(c[j])],
                                              m_.MeshNodeX[static_cast<std::size_t>(c[(j + 1) % 4])],
                                              m_.MeshNodeY[static_cast<std::size_t>(c[(j + 1) % 4])]);
        if (sign(o) != turn) return false;  // the node does not see that side
    }
    checkElementRoom(3);
    changed_ = true;
    AppendElement();
    AppendElement();
    const std::int32_t last = AppendElement();
    auto triangle = [&](std::int32_t e, std::int16_t a, std::int16_t b) {
        NetElement& element = edit(e);
        element.CornerCount = 3;
        element.Node = {0, node_, a, b, 0};
        element.Flag[4] = 0;
        lookup_.ElementChanged(e);
        circleOf(e);
    };
    triangle(last, c[0], c[1]);
    triangle(last - 1, c[1], c[2]);
    triangle(last - 2, c[2], c[3]);
    triangle(q, c[3], c[0]);
    mendSmallAngles({last, last - 1, last - 2, q}, turn);
    return true;
}

// The corner inserted after position `after` of a triangle's corners (its
// flag 0): the quadrilateral of a merge.
NetElement withCornerAfter(const NetElement& triangle, int after, std::int16_t corner) {
    NetElement quad = triangle;
    quad.CornerCount = 4;
    for (int k = 4; k > after + 1; --k) {
        quad.Node[static_cast<std::size_t>(k)] = quad.Node[static_cast<std::size_t>(k - 1)];
        quad.Flag[static_cast<std::size_t>(k)] = quad.Flag[static_cast<std::size_t>(k - 1)];
    }
    quad.Node[static_cast<std::size_t>(after + 1)] = corner;
    quad.Flag[static_cast<std::size_t>(after + 1)] = 0;
    return quad;
}

// The repair of small angles after a quadrilateral was split into four:
// for each new triangle with an angle below MinAngle, across its longest
// side, a merge with a triangle or a change of corners with a
// quadrilateral.
void Insertion::mendSmallAngles(const std::vector<std::int32_t>& made, int turn) {
    std::vector<std::int32_t> gone;
    auto isGone = [&](std::int32_t e) { return std::find(gone.begin(), gone.end(), e) != gone.end(); };
    for (std::int32_t t : made) {
        if (isGone(t)) continue;
        double c0 = 0.0;
        const std::int16_t k = SmallAngleLongestSide(static_cast<std::int16_t>(t), c0);
        if (k == 0) continue;
        const NetElement original = elementOf(m_, t);
        const std::int16_t a = original.Node[k == 1 ? 2 : 1];
        const std::int16_t b = original.Node[k == 3 ? 2 : 3];
        const std::int16_t far = original.Node[static_cast<std::size_t>(k)];
        std::int32_t e = 0;
        for (std::int32_t h : holders(a, b))
            if (h != t && !isGone(h)) {
                e = h;
                break;
            }
        if (e == 0) continue;
        const NetElement neighbour = elementOf(m_, e);
        const int count = neighbour.CornerCount;
        int c = 0;
        for (int i = 1; i <= count && c == 0; ++i) {
            const std::int16_t p = neighbour.Node[static_cast<std::size_t>(i)];
            const std::int16_t q = neighbour.Node[static_cast<std::size_t>(i == count ? 1 : i + 1)];
            if ((p == a && q == b) || (p == b && q == a)) c = i;
        }
        if (c == 0) continue;
        const int cNext = c == count ? 1 : c + 1;

        if (count == 3) {
            // Merge: one convex quadrilateral under the smaller number.
            const NetElement quad = withCornerAfter(neighbour, c, far);
            if (ElementTurn(m_, neighbour) != turn || !StrictlyConvex(m_, quad, turn)) continue;
            const std::int32_t keep = std::min(t, e);
            const std::int32_t drop = std::max(t, e);
            edit(keep) = quad;
            edit(drop) = quad;
            lookup_.ElementChanged(keep);
            lookup_.ElementChanged(drop);
            gone.push_back(drop);
            continue;
        }

        // A quadrilateral: the triangle takes one of its corners and gives it
        // the far corner, when that makes no angle smaller and folds nothing.
        const int r1 = cNext % 4 + 1;
        const int r2 = r1 % 4 + 1;
        auto attempt = [&](std::int16_t p, std::int16_t q, std::int16_t r, int replaced) {
            NetElement changedQuad = neighbour;
            changedQuad.Node[static_cast<std::size_t>(replaced)] = far;
            NetElement triangle = original;
            triangle.Node = {0, p, q, r, 0};
            if (ElementTurn(m_, triangle) != turn || !StrictlyConvex(m_, changedQuad, turn)) return false;
            edit(t) = triangle;
            double c1 = 0.0;
            const std::int16_t k1 = SmallAngleLongestSide(static_cast<std::int16_t>(t), c1);
            if (c1 > c0 && k1 > 0) {
                edit(t) = original;
                return false;
            }
            edit(e) = changedQuad;
            lookup_.ElementChanged(t);
            lookup_.ElementChanged(e);
            circleOf(t);
            return true;
        };
        const std::int16_t atC = neighbour.Node[static_cast<std::size_t>(c)];
        const std::int16_t atCNext = neighbour.Node[static_cast<std::size_t>(cNext)];
        if (!attempt(far, atCNext, neighbour.Node[static_cast<std::size_t>(r1)], cNext))
            attempt(atC, far, neighbour.Node[static_cast<std::size_t>(r2)], c);
    }
    removeElements(gone);
}

NetLookup& lookupOf(BasDelaunay& m, std::optional<NetScan>& scan) {
    const std::int16_t node = m.MeshNodeCount;
    if (m.EditIndexDepth > 0) {
        if (m.EditIndex && m.EditIndex->Knows(m.MeshElementCount, static_cast<std::int16_t>(node - 1))) {
            m.EditIndex->NodeAppended(node);
        } else if (!m.EditIndex || !m.EditIndex->Knows(m.MeshElementCount, node)) {
            requireNetOfTrianglesAndQuadrilaterals(m);
            m.EditIndex = std::make_shared<NetIndex>(m);
        }
        return *m.EditIndex;
    }
    requireNetOfTrianglesAndQuadrilaterals(m);
    scan.emplace(m);
    return *scan;
}

void removeLastNode(BasDelaunay& m, NetLookup& lookup) {
    --m.MeshNodeCount;
    m.MeshNodeX.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
    m.MeshNodeY.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1);
    lookup.LastNodeRemoved();
}

}  // namespace

namespace {

// The list's length, and what lies beyond its count, into the log.
template <class List, class Tail>
void keepLength(const List& list, std::int32_t count, std::size_t& length, Tail& tail) {
    length = list.size();
    const std::size_t end = static_cast<std::size_t>(std::max(count, 0)) + 1;
    if (length > end) tail.assign(list.begin() + static_cast<std::ptrdiff_t>(end), list.end());
    else tail.clear();
}

// The list back to its logged length, what lay beyond its count with it.
template <class List, class Tail>
void restoreLength(List& list, std::int32_t count, std::size_t length, const Tail& tail) {
    const std::size_t end = static_cast<std::size_t>(std::max(count, 0)) + 1;
    if (length <= end) {
        list.resize(length);
        return;
    }
    list.resize(end);
    list.insert(list.end(), tail.begin(), tail.end());
}

// The element records logged, undone in reverse order on list (and on
// circles, unless null).
void undoElements(const InsertionLog& log, std::vector<NetElement>& list, std::vector<std::array<float, 3>>* circles) {
    for (auto entry = log.entries.rbegin(); entry != log.entries.rend(); ++entry) {
        const auto at = static_cast<std::size_t>(entry->at);
        switch (entry->kind) {
            case InsertionLog::Kind::Element:
                list[at] = entry->element;
                break;
            case InsertionLog::Kind::ElementRemoved:
                list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), entry->element);
                if (circles != nullptr && entry->circleRemoved)
                    circles->insert(circles->begin() + static_cast<std::ptrdiff_t>(at), entry->circle);
                break;
            case InsertionLog::Kind::Circle:
                if (circles != nullptr) (*circles)[at] = entry->circle;
                break;
            case InsertionLog::Kind::Row:
                break;
        }
    }
}

}  // namespace

bool InsertionLog::RemovedElements() const {
    return std::any_of(entries.begin(), entries.end(), [](const Entry& e) { return e.kind == Kind::ElementRemoved; });
}

void InsertionLog::ElementsBefore(const std::vector<NetElement>& now, std::vector<NetElement>& before) const {
    before.assign(now.begin(), now.end());
    undoElements(*this, before, nullptr);
}

void TakeBackInsertion(const InsertionLog& log) {
    BasDelaunay& m = basDelaunay();
    const std::int32_t elementsAfter = m.MeshElementCount;
    const std::int16_t nodesAfter = m.MeshNodeCount;
    undoElements(log, m.MeshElementList, &m.ElementCircle);
    for (auto entry = log.entries.rbegin(); entry != log.entries.rend(); ++entry)
        if (entry->kind == InsertionLog::Kind::Row) m.ConstraintEdges[static_cast<std::size_t>(entry->at)] = entry->row;
    m.MeshElementCount = log.elementCount;
    m.ConstraintEdgeCount = log.rowCount;
    restoreLength(m.MeshElementList, log.elementCount, log.elementLength, log.elementTail);
    restoreLength(m.ElementCircle, log.elementCount, log.circleLength, log.circleTail);
    restoreLength(m.ConstraintEdges, log.rowCount, log.rowLength, log.rowTail);
    m.MeshNodeCount = static_cast<std::int16_t>(log.nodeCount - 1);
    m.MeshNodeX.resize(static_cast<std::size_t>(log.nodeCount));
    m.MeshNodeY.resize(static_cast<std::size_t>(log.nodeCount));

    // The index of a scope that followed the insertion: the records written
    // registered again, those appended and the node taken out of it.
    if (!m.EditIndex) return;
    if (m.EditIndexDepth <= 0 || !m.EditIndex->Knows(elementsAfter, nodesAfter) || log.RemovedElements()) {
        m.EditIndex->ElementsRemoved();  // made afresh when next asked
        return;
    }
    m.EditIndex->LastElementsRemoved(log.elementCount);
    std::vector<std::int32_t> written;
    for (const InsertionLog::Entry& entry : log.entries)
        if (entry.kind == InsertionLog::Kind::Element && entry.at <= log.elementCount) written.push_back(entry.at);
    std::sort(written.begin(), written.end());
    written.erase(std::unique(written.begin(), written.end()), written.end());
    for (std::int32_t e : written) m.EditIndex->ElementChanged(e);
    m.EditIndex->LastNodeRemoved();
}

PointInsertionResult InsertPoint(bool divideConstraintRows, InsertionLog* log) {
    BasDelaunay& m = basDelaunay();
    Declar& d = declar();
    if (!(d.MinElementSize > 0.0f)) d.MinElementSize = 0.001f;
    if (d.MinAngle < 5.0f) d.MinAngle = 5.0f;
    const std::int16_t node = m.MeshNodeCount;
    if (node < 1 || m.MeshNodeX.size() <= static_cast<std::size_t>(node) || m.MeshNodeY.size() <= static_cast<std::size_t>(node))
        rt::raise(9, "There is no new node to insert into the net.");

    if (log != nullptr) {
        log->entries.clear();
        log->nodeCount = node;
        log->elementCount = m.MeshElementCount;
        log->rowCount = m.ConstraintEdgeCount;
        keepLength(m.MeshElementList, m.MeshElementCount, log->elementLength, log->elementTail);
        keepLength(m.ElementCircle, m.MeshElementCount, log->circleLength, log->circleTail);
        keepLength(m.ConstraintEdges, m.ConstraintEdgeCount, log->rowLength, log->rowTail);
    }
    std::optional<NetScan> scan;
    NetLookup* lookup = nullptr;
    std::optional<Insertion> insertion;
    bool placed = false;
    try {
        lookup = &lookupOf(m, scan);
        const float x = m.MeshNodeX[static_cast<std::size_t>(node)];
        const float y = m.MeshNodeY[static_cast<std::size_t>(node)];
        const std::int16_t near = lookup->NodeNear(x, y, static_cast<std::int16_t>(node - 1), 0.5 * static_cast<double>(d.MinElementSize));
        if (near != 0) {
            removeLastNode(m, *lookup);
            return {PointInsertion::NearNode, near};
        }
        if (mesher::StopRequested(false)) {
            removeLastNode(m, *lookup);
            return {PointInsertion::Stopped, 0};
        }
        const std::int32_t holder = lookup->ElementAt(x, y);
        if (holder == 0) {
            removeLastNode(m, *lookup);
            return {PointInsertion::Outside, 0};
        }
        if (m.ElementCircle.size() < static_cast<std::size_t>(m.MeshElementCount) + 1)
            m.ElementCircle.resize(static_cast<std::size_t>(m.MeshElementCount) + 1, {0.0f, 0.0f, 0.0f});
        insertion.emplace(m, *lookup, divideConstraintRows, log);
        placed = m.MeshElementList[static_cast<std::size_t>(holder)].CornerCount == 3 ? insertion->intoTriangle(holder)
                                                                                       : insertion->intoQuadrilateral(holder);
    } catch (const std::exception&) {
        // An error before the net was changed (the room is checked first)
        // takes the node out again; the index is made afresh when needed.
        m.EditIndex.reset();
        if (!(insertion && insertion->changedNet()) && m.MeshNodeCount == node) {
            --m.MeshNodeCount;
            m.MeshNodeX.resize(static_cast<std::size_t>(node));
            m.MeshNodeY.resize(static_cast<std::size_t>(node));
        }
        throw;
    }
    if (!placed) {
        removeLastNode(m, *lookup);
        return {PointInsertion::Refused, 0};
    }
    return {PointInsertion::Inserted, 0};
}

std::int16_t InsertPointIntoNet() {
    const PointInsertionResult result = InsertPoint(true);
    return result.outcome == PointInsertion::NearNode ? result.nearNode : 0;
}

NetEditScope::NetEditScope() { ++basDelaunay().EditIndexDepth; }

NetEditScope::~NetEditScope() {
    BasDelaunay& m = basDelaunay();
    if (--m.EditIndexDepth <= 0) {
        m.EditIndexDepth = 0;
        m.EditIndex.reset();
    }
}

}  // namespace orvelo
