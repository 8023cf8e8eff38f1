#include "orvelo/delaunay/boundary.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/kernel.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/delaunay/units.h"

namespace orvelo {

// The hash of node positions behind AddMeshNode: cells of eight times the
// tolerance, so a node within the tolerance of a point lies in a cell that
// the square of the tolerance around the point reaches. Each cell holds its
// nodes as a list from the highest number down (a node is always added
// above all others, and only the highest is ever removed).
// The highest node of each cell: open addressing, the table at most half
// full, four bytes a slot so that it stays small in the cache. The cells of
// a block of four by four share one hashed place of 16 slots (a cache
// line), each cell its own slot in it, so that the cells a point's
// tolerance reaches mostly lie in one line. A slot keeps 12 bits of the
// block's mixed key and the cell's place in the block: two cells that agree
// in these and meet in one slot share its entry, so their nodes share one
// list, still from the highest down (a look-up tests every node it walks).
// A cell whose last node went keeps its entry with no node (0), which reads
// as an empty cell; a slot that never held a cell has the top -1.
class CellTops {
public:
    // An empty table of `size` slots (a power of two, at least 16).
    void clear(std::size_t size) {
        slots_.assign(size, Slot{});
        mask_ = size - 1;
        count_ = 0;
    }
    std::size_t size() const { return slots_.size(); }
    // Whether one more cell would fill the table beyond half.
    bool full() const { return 2 * (count_ + 1) > slots_.size(); }
    // The hashed place and the tag of cell (column, row).
    struct Key {
        std::size_t home;
        std::uint16_t tag;
    };
    static Key keyOf(std::int64_t column, std::int64_t row) {
        std::uint64_t block = (static_cast<std::uint64_t>(column >> 2) << 32) ^ static_cast<std::uint64_t>((row >> 2) & 0xffffffff);
        block ^= block >> 31;
        block *= 0x9e3779b97f4a7c15ull;
        block ^= block >> 29;
        const std::uint64_t inBlock = static_cast<std::uint64_t>((row & 3) << 2 | (column & 3));
        return Key{static_cast<std::size_t>(block << 4 | inBlock), static_cast<std::uint16_t>((block >> 52) << 4 | inBlock)};
    }
    // The top of the cell (0: no node), nullptr when it never held one.
    const std::int16_t* find(Key key) const {
        for (std::size_t i = key.home & mask_;; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.top < 0) return nullptr;
            if (slot.tag == key.tag) return &slot.top;
        }
    }
    std::int16_t* findMutable(Key key) { return const_cast<std::int16_t*>(find(key)); }
    // The top of the cell, an entry with no node made where none was (the
    // table must not be full).
    std::int16_t& at(Key key) {
        std::size_t i = key.home & mask_;
        for (; slots_[i].top >= 0; i = (i + 1) & mask_)
            if (slots_[i].tag == key.tag) return slots_[i].top;
        slots_[i] = Slot{key.tag, 0};
        ++count_;
        return slots_[i].top;
    }

private:
    struct Slot {
        std::uint16_t tag = 0;
        std::int16_t top = -1;  // -1: never used
    };
    std::vector<Slot> slots_ = std::vector<Slot>(64);
    std::size_t mask_ = 63;
    std::size_t count_ = 0;
};

struct NodeHash {
    bool made = false;
    double tol = 0.0;
    double perCell = 0.0;    // 1 / the cell width, eight times the tolerance
    std::int32_t count = 0;  // nodes 1..count are in the hash
    struct Entry {
        float x, y;          // the node's position when it went in
        std::int32_t below;  // the next lower node of its cell, 0 none
    };
    std::vector<Entry> nodes;  // by node number, entry 0 unused
    CellTops cells;  // the highest node of each cell

    // The column (or row) of a coordinate: the cell number rounded down,
    // held within +-2^52 (far points share the outermost cells). The same
    // monotone mapping for adding and finding is all the hash needs: a node
    // between two coordinates lies between their columns.
    std::int64_t columnOf(double v) const {
        double t = v * perCell;
        if (!(t >= -0x1p52)) t = -0x1p52;  // NaN as well
        if (t > 0x1p52) t = 0x1p52;
        return floorOf(t);
    }
    // t rounded down (|t| well below 2^63).
    static std::int64_t floorOf(double t) {
        const std::int64_t c = static_cast<std::int64_t>(t);
        return c - (t < static_cast<double>(c) ? 1 : 0);
    }
    CellTops::Key keyOf(const Entry& node) const { return CellTops::keyOf(columnOf(node.x), columnOf(node.y)); }

    // Node n on top of its cell (the table has room).
    void link(std::int32_t n) {
        Entry& node = nodes[static_cast<std::size_t>(n)];
        std::int16_t& top = cells.at(keyOf(node));
        node.below = top;
        top = static_cast<std::int16_t>(n);
    }
    // A table of `size` slots, filled again from the nodes (a slot holds too
    // little of its key to be moved).
    void refill(std::size_t size) {
        cells.clear(size);
        for (std::int32_t n = 1; n <= count; ++n) link(n);
    }
    void add(std::int32_t n, float nx, float ny) {
        if (cells.full()) refill(2 * cells.size());
        nodes.push_back({nx, ny, 0});
        count = n;
        link(n);
    }
    void removeLast() {
        const Entry& last = nodes.back();
        std::int16_t* top = cells.findMutable(keyOf(last));
        if (top != nullptr) *top = static_cast<std::int16_t>(last.below);
        nodes.pop_back();
        --count;
    }
    void rebuild(const BasDelaunay& m, double tolerance) {
        made = true;
        tol = tolerance;
        perCell = 1.0 / (8.0 * tolerance);
        // Room for twice the nodes (at least 8192: the refinement mostly
        // adds nodes, and growing links every node again) without growing.
        const std::size_t room = 2 * static_cast<std::size_t>(std::max<std::int32_t>(m.MeshNodeCount, 8192));
        std::size_t size = 64;
        while (2 * room > size) size *= 2;
        cells.clear(size);
        nodes.reserve(static_cast<std::size_t>(kMaxNetCount) + 1);  // never more nodes
        nodes.assign(1, Entry{0.0f, 0.0f, 0});
        count = 0;
        for (std::int32_t n = 1; n <= m.MeshNodeCount; ++n)
            add(n, m.MeshNodeX[static_cast<std::size_t>(n)], m.MeshNodeY[static_cast<std::size_t>(n)]);
    }
    // Brings the hash up to the node list: nodes removed from the end or
    // appended since, a new tolerance. Mostly there is nothing to do.
    void sync(const BasDelaunay& m, double tolerance) {
        const std::size_t n = static_cast<std::size_t>(count);
        if (made && tolerance == tol && count == m.MeshNodeCount && nodes[n].x == m.MeshNodeX[n] && nodes[n].y == m.MeshNodeY[n])
            return;
        if (!made || tolerance != tol) {
            rebuild(m, tolerance);
            return;
        }
        while (count > m.MeshNodeCount) removeLast();
        while (count > 0 && (nodes[static_cast<std::size_t>(count)].x != m.MeshNodeX[static_cast<std::size_t>(count)] ||
                             nodes[static_cast<std::size_t>(count)].y != m.MeshNodeY[static_cast<std::size_t>(count)]))
            removeLast();
        while (count < m.MeshNodeCount) {
            const std::int32_t next = count + 1;
            add(next, m.MeshNodeX[static_cast<std::size_t>(next)], m.MeshNodeY[static_cast<std::size_t>(next)]);
        }
    }
    std::int16_t find(const BasDelaunay& m, float px, float py, std::int32_t last) const {
        std::int16_t best = 0;
        // A node within the tolerance lies in a cell that the square of the
        // tolerance around the point reaches: at most two columns and two
        // rows of cells (eight times the tolerance wide, so mostly one).
        // (Widened by the rounding of a Single difference.)
        const double far = std::max(std::fabs(static_cast<double>(px)), std::fabs(static_cast<double>(py)));
        const double reach = tol + far * 0x1p-21;
        // Far out (beyond 2^50 cells, at an infinite or NaN coordinate) or
        // where the reach spans more cells than there are nodes, the nodes
        // are scanned instead.
        auto scan = [&]() -> std::int16_t {
            for (std::int32_t n = count; n >= last; --n)
                if (CloserThan(m.MeshNodeX[static_cast<std::size_t>(n)], px, tol) &&
                    CloserThan(m.MeshNodeY[static_cast<std::size_t>(n)], py, tol))
                    return static_cast<std::int16_t>(n);
            return 0;
        };
        if (!((far + reach) * perCell < 0x1p50)) return scan();
        // (Within 2^50 cells columnOf needs no bounds: its floor alone.)
        const std::int64_t c0 = floorOf((px - reach) * perCell), c1 = floorOf((px + reach) * perCell);
        const std::int64_t r0 = floorOf((py - reach) * perCell), r1 = floorOf((py + reach) * perCell);
        auto walk = [&](std::int64_t c, std::int64_t r) {
            const std::int16_t* top = cells.find(CellTops::keyOf(c, r));
            if (top == nullptr) return;
            for (std::int32_t n = *top; n > best && n >= last; n = nodes[static_cast<std::size_t>(n)].below)
                if (CloserThan(m.MeshNodeX[static_cast<std::size_t>(n)], px, tol) &&
                    CloserThan(m.MeshNodeY[static_cast<std::size_t>(n)], py, tol)) {
                    best = static_cast<std::int16_t>(n);
                    return;
                }
        };
        if (c1 - c0 <= 1 && r1 - r0 <= 1) {
            // The usual case: one cell, or two, or two by two.
            walk(c0, r0);
            if (c1 != c0) walk(c1, r0);
            if (r1 != r0) {
                walk(c0, r1);
                if (c1 != c0) walk(c1, r1);
            }
            return best;
        }
        const std::int64_t limit = 64 + count;
        if (c1 - c0 >= limit || r1 - r0 >= limit || (c1 - c0 + 1) * (r1 - r0 + 1) > limit) return scan();
        for (std::int64_t c = c0; c <= c1; ++c)
            for (std::int64_t r = r0; r <= r1; ++r) walk(c, r);
        return best;
    }
};

namespace {

constexpr double kDegree = 0.0174532;  // radians per degree, as the meshers use it

halvex::SinglePoint arcPoint(double cx, double cy, double radius, double angle) {
    return halvex::SinglePoint{static_cast<float>(cx + radius * std::cos(angle * kDegree)),
                               static_cast<float>(cy + radius * std::sin(angle * kDegree))};
}

float lengthOf(float dx, float dy) {
    return static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

}  // namespace

NodeIndexScope::NodeIndexScope() {
    BasDelaunay& m = basDelaunay();
    // The hash of the last scope is made afresh in the room it had.
    if (m.NodeIndexDepth++ != 0) return;
    if (!m.NodeIndex) m.NodeIndex = std::make_shared<NodeHash>();
    m.NodeIndex->made = false;
}

NodeIndexScope::~NodeIndexScope() {
    BasDelaunay& m = basDelaunay();
    // (The hash stays, unused outside a scope, with its room for the next.)
    if (m.NodeIndexDepth > 0) --m.NodeIndexDepth;
}

std::int16_t AddMeshNode(float x, float y, std::int16_t mode) {
    BasDelaunay& m = basDelaunay();
    const std::int32_t last = mode != 0 ? 5 : 1;
    const double tol = CoincidenceTolerance();
    // (A tolerance the hash cannot be cut by falls back to the scan.)
    NodeHash* hash = m.NodeIndexDepth > 0 && tol > 0.0 && std::isfinite(2.0 * tol) ? m.NodeIndex.get() : nullptr;
    if (hash != nullptr) {
        hash->sync(m, tol);
        const std::int16_t found = hash->find(m, x, y, last);
        if (found != 0) return found;
    } else {
        for (std::int32_t k = m.MeshNodeCount; k >= last; --k)
            if (CloserThan(m.MeshNodeX[static_cast<std::size_t>(k)], x, tol) &&
                CloserThan(m.MeshNodeY[static_cast<std::size_t>(k)], y, tol))
                return static_cast<std::int16_t>(k);
    }
    const std::int16_t node = AppendNode(x, y);
    if (hash != nullptr) hash->add(node, x, y);
    return node;
}

float LineAngleDeg(const halvex::SinglePoint& from, const halvex::SinglePoint& to) {
    if (to.X == from.X) return to.Y > from.Y ? 90.0f : 270.0f;
    double angle = std::atan(static_cast<double>(to.Y - from.Y) / static_cast<double>(to.X - from.X)) / kDegree;
    if (to.X < from.X) angle = to.Y > from.Y ? angle + 180.0 : angle - 180.0;
    if (angle < 0.0) angle += 360.0;
    return static_cast<float>(angle);
}

namespace {

bool divisionStopped = false;  // a division ended on a stop request

// Whether the user asked to stop, asked every 1024 steps of a division.
class DivisionPoll {
public:
    bool stop() {
        if ((++steps_ & 1023u) != 0 || !mesher::StopRequested(false)) return false;
        divisionStopped = true;
        return true;
    }

private:
    std::uint32_t steps_ = 0;
};

// The longest step of an arc's division, in degrees.
constexpr double kLongestArcStep = 90.0;

bool isArcPiece(const OutlinePiece& piece) {
    return piece.IsArc && lengthOf(piece.X1 - piece.XC, piece.Y1 - piece.YC) < 10000.0f;
}

// The points of an arc piece in the order of its sweep (counter-clockwise),
// both ends included, each given to visit until it answers false or the
// user asks to stop. No step is smaller than smallestStep (as arc length).
// True when a step above 0 was too small to move on (the end closed the
// arc there).
template <class Visit>
bool forEachArcPoint(const OutlinePiece& piece, double smallestLength, Visit visit) {
    const halvex::SinglePoint centre{piece.XC, piece.YC};
    const halvex::SinglePoint start{piece.X1, piece.Y1};
    const halvex::SinglePoint end{piece.X2, piece.Y2};
    float a = 0.0f;
    float b = 0.0f;
    if (piece.Direction) {
        a = LineAngleDeg(centre, start);
        b = LineAngleDeg(centre, end);
        if (a > b) a -= 360.0f;
    } else {
        a = LineAngleDeg(centre, end);
        b = LineAngleDeg(centre, start);
        if (a > b) b += 360.0f;
    }
    const float radius = lengthOf(start.X - centre.X, start.Y - centre.Y);
    const double cx = centre.X;
    const double cy = centre.Y;
    if (!visit(arcPoint(cx, cy, radius, a))) return false;
    bool stalled = false;
    const double perDegree = radius * kDegree;
    const double smallestStep = smallestLength / perDegree;
    const halvex::SinglePoint far = arcPoint(cx, cy, radius, b);
    const double endStep = InterpolateTargetSize(far.X, far.Y) / perDegree;
    DivisionPoll poll;
    for (;;) {
        const halvex::SinglePoint here = arcPoint(cx, cy, radius, a);
        const float s1 = InterpolateTargetSize(here.X, here.Y);
        const float a1 = static_cast<float>(a + s1 / perDegree);
        const halvex::SinglePoint ahead = arcPoint(cx, cy, radius, a1);
        const float s2 = InterpolateTargetSize(ahead.X, ahead.Y);
        double step = ((static_cast<double>(s1) + s2) / 2.0) / perDegree;
        if (step > 0.0 && step < smallestStep) step = smallestStep;
        // No chord spans more than a quarter of the circle: an arc of a
        // radius well below the target size keeps its shape (a round
        // opening its area, a round end its half disc).
        step = std::min(step, kLongestArcStep);
        const float from = a;
        const float next = static_cast<float>(a + step);
        // A step of size 0 or below, or one too small to move the angle,
        // would never reach the end: the arc ends there.
        stalled = step > 0.0 && !(next > a);
        if (!(step > 0.0) || !(next > a))
            a = b;
        else
            a = next;
        if (a >= static_cast<float>(b - endStep)) {
            // The end closes the arc, unless the last chord would span more
            // than a quarter circle: then a node halfway to the end first.
            a = b - from > kLongestArcStep && next > from ? static_cast<float>((static_cast<double>(from) + b) / 2.0) : b;
        }
        if (!visit(arcPoint(cx, cy, radius, a)) || a >= b || poll.stop()) return stalled;
    }
}

// The points of a straight piece between its ends (both left out), each
// given to visit until it answers false or the user asks to stop. Each step
// is the mean of the target sizes at the current point and one step ahead,
// never smaller than smallestStep; once less than half the
// size at the end is left the stepping ends, so the last gap lies between
// half a step and one and a half. True when a step above 0 was too small to
// move on.
template <class Visit>
bool forEachStraightStep(const OutlinePiece& piece, double smallestStep, Visit visit) {
    // Every point is computed from the piece's own end points in double
    // precision, so it lies on the piece within the rounding to Single.
    const double x1 = piece.X1;
    const double y1 = piece.Y1;
    const double dx = static_cast<double>(piece.X2) - x1;
    const double dy = static_cast<double>(piece.Y2) - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0) return false;  // no direction to step in
    const double endSize = InterpolateTargetSize(piece.X2, piece.Y2);
    // The size one step ahead is mostly asked again as the size at the next
    // node (always so where the size does not change): the last answer is
    // kept with its point (compared bit for bit, so -0 is not taken for 0).
    std::uint32_t lastX = 0, lastY = 0;
    float lastSize = 0.0f;
    bool kept = false;
    // A step ahead that would leave the range of the region coordinates (a
    // finite target size far beyond the slab's extent) asks the size at the
    // piece's end instead: no point that far off lies in an old element.
    const float unitFactor = UnitFactor();
    auto sizeAt = [&](double d) {
        float px = static_cast<float>(x1 + dx * (d / length));
        float py = static_cast<float>(y1 + dy * (d / length));
        std::int32_t ignored = 0;
        if (std::isfinite(px) && std::isfinite(py) &&
            (!RegionCoordinateInRange(px, unitFactor, ignored) || !RegionCoordinateInRange(py, unitFactor, ignored))) {
            px = piece.X2;
            py = piece.Y2;
        }
        const std::uint32_t bitsX = std::bit_cast<std::uint32_t>(px), bitsY = std::bit_cast<std::uint32_t>(py);
        if (!kept || bitsX != lastX || bitsY != lastY) {
            lastSize = InterpolateTargetSize(px, py);
            lastX = bitsX;
            lastY = bitsY;
            kept = true;
        }
        return static_cast<double>(lastSize);
    };
    DivisionPoll poll;
    double walked = 0.0;
    for (;;) {
        double s = sizeAt(walked);
        s = (s + sizeAt(walked + s)) / 2.0;
        if (!(s > 0.0)) return false;  // a size of 0 or below: the end point closes the piece
        s = std::max(s, smallestStep);
        const double d = walked + s;
        if (length - d < 0.5 * endSize || !(d > walked)) return !(d > walked);
        walked = d;
        if (!visit(static_cast<float>(x1 + dx * (d / length)), static_cast<float>(y1 + dy * (d / length))) || poll.stop())
            return false;
    }
}

}  // namespace

void DivideArcPiece(std::vector<halvex::SinglePoint>& points, const OutlinePiece& piece) {
    points.assign(1, halvex::SinglePoint{});
    forEachArcPoint(piece, CoincidenceTolerance(), [&](const halvex::SinglePoint& p) {
        points.push_back(p);
        return true;
    });
    if (!piece.Direction) std::reverse(points.begin() + 1, points.end());
}

void AddPieceNodes(const OutlinePiece& piece, std::vector<std::int16_t>& chain) {
    if (isArcPiece(piece)) {
        std::vector<halvex::SinglePoint> points;
        DivideArcPiece(points, piece);
        for (std::size_t k = 1; k < points.size(); ++k) chain.push_back(AddMeshNode(points[k].X, points[k].Y, -1));
        return;
    }
    if (piece.X1 == piece.X2 && piece.Y1 == piece.Y2) return;  // length 0: no node
    chain.push_back(AddMeshNode(piece.X1, piece.Y1, -1));
    forEachStraightStep(piece, CoincidenceTolerance(), [&](float x, float y) {
        chain.push_back(AddMeshNode(x, y, -1));
        return true;
    });
    chain.push_back(AddMeshNode(piece.X2, piece.Y2, -1));
}

bool TakeDivisionStop() { return std::exchange(divisionStopped, false); }

std::int64_t CountPieceNodes(const OutlinePiece& piece, std::int64_t limit) {
    std::int64_t count = 0;
    auto counted = [&] { return ++count <= limit; };
    if (isArcPiece(piece)) {
        // (A step too small to move on would need more points than any limit.)
        return forEachArcPoint(piece, 0.0, [&](const halvex::SinglePoint&) { return counted(); }) ? limit + 1 : count;
    }
    if (piece.X1 == piece.X2 && piece.Y1 == piece.Y2) return 0;
    count = 2;
    return forEachStraightStep(piece, 0.0, [&](float, float) { return counted(); }) ? limit + 1 : count;
}

void AppendPiecePoints(const OutlinePiece& piece, std::vector<std::pair<double, double>>& points) {
    points.emplace_back(piece.X1, piece.Y1);
    const double cx = piece.XC, cy = piece.YC;
    const double r = std::hypot(piece.X1 - cx, piece.Y1 - cy);
    if (!piece.IsArc || !(r < 10000.0)) return;
    const double turn = 2.0 * std::acos(-1.0);
    const double a = std::atan2(piece.Y1 - cy, piece.X1 - cx);
    double sweep = std::atan2(piece.Y2 - cy, piece.X2 - cx) - a;
    while (piece.Direction ? sweep <= 0.0 : sweep >= 0.0) sweep += piece.Direction ? turn : -turn;
    const int steps = static_cast<int>(std::ceil(std::fabs(sweep) / (turn / 72.0)));
    for (int k = 1; k < steps; ++k) points.emplace_back(cx + r * std::cos(a + sweep * k / steps), cy + r * std::sin(a + sweep * k / steps));
}

}  // namespace orvelo
