#include "orvelo/project/slab_shape.h"

#include <algorithm>
#include <cmath>

namespace orvelo {

namespace {

constexpr double kTurn = 6.283185307179586;

double radiusOf(const OutlinePiece& p) { return std::hypot(static_cast<double>(p.X1) - p.XC, static_cast<double>(p.Y1) - p.YC); }

bool isArc(const OutlinePiece& p) { return p.IsArc && radiusOf(p) < 10000.0; }

// The signed angle an arc sweeps from its start to its end: anticlockwise
// (Direction) in (0, 2 pi], clockwise in [-2 pi, 0); the same ends make a
// whole circle.
double sweepOf(const OutlinePiece& p) {
    const double a = std::atan2(p.Y1 - static_cast<double>(p.YC), p.X1 - static_cast<double>(p.XC));
    double sweep = std::atan2(p.Y2 - static_cast<double>(p.YC), p.X2 - static_cast<double>(p.XC)) - a;
    while (p.Direction ? sweep <= 0.0 : sweep >= 0.0) sweep += p.Direction ? kTurn : -kTurn;
    return sweep;
}

bool coincide(float a, float b, double tol) {
    const float difference = a - b;
    return std::fabs(difference) < tol;
}

bool isShort(const OutlinePiece& p, double tol) { return !isArc(p) && coincide(p.X1, p.X2, tol) && coincide(p.Y1, p.Y2, tol); }

double segmentDistance(double ax, double ay, double bx, double by, double px, double py) {
    const double dx = bx - ax, dy = by - ay;
    const double l2 = dx * dx + dy * dy;
    const double t = l2 > 0.0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / l2, 0.0, 1.0) : 0.0;
    return std::hypot(ax + t * dx - px, ay + t * dy - py);
}

double pieceDistance(const OutlinePiece& p, double x, double y);

// The angle of (x, y) about the arc's centre, from its start along its
// sweep, in [0, 2 pi).
double alongArc(const OutlinePiece& p, double x, double y) {
    const double a = std::atan2(p.Y1 - static_cast<double>(p.YC), p.X1 - static_cast<double>(p.XC));
    double along = std::atan2(y - static_cast<double>(p.YC), x - static_cast<double>(p.XC)) - a;
    if (sweepOf(p) < 0.0) along = -along;
    along = std::fmod(along, kTurn);
    return along < 0.0 ? along + kTurn : along;
}

double lengthOf(const OutlinePiece& p) {
    if (isArc(p)) return radiusOf(p) * std::fabs(sweepOf(p));
    return std::hypot(static_cast<double>(p.X2) - p.X1, static_cast<double>(p.Y2) - p.Y1);
}

double pieceDistance(const OutlinePiece& p, double x, double y) {
    if (!isArc(p)) return segmentDistance(p.X1, p.Y1, p.X2, p.Y2, x, y);
    if (alongArc(p, x, y) <= std::fabs(sweepOf(p))) return std::fabs(std::hypot(x - p.XC, y - p.YC) - radiusOf(p));
    return std::min(std::hypot(x - p.X1, y - p.Y1), std::hypot(x - p.X2, y - p.Y2));
}

// The start point of the piece and the points of its chords (not its end).
void appendPolyline(const OutlinePiece& p, std::vector<std::pair<double, double>>& points) {
    points.emplace_back(p.X1, p.Y1);
    if (!isArc(p)) return;
    const double sweep = sweepOf(p), r = radiusOf(p);
    const double a = std::atan2(p.Y1 - static_cast<double>(p.YC), p.X1 - static_cast<double>(p.XC));
    const int steps = static_cast<int>(std::ceil(std::fabs(sweep) / (kTurn / 72.0)));
    for (int k = 1; k < steps; ++k) points.emplace_back(p.XC + r * std::cos(a + sweep * k / steps), p.YC + r * std::sin(a + sweep * k / steps));
}

bool polygonHolds(const std::vector<std::pair<double, double>>& polygon, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const auto& [xi, yi] = polygon[i];
        const auto& [xj, yj] = polygon[j];
        if ((yi > y) != (yj > y) && x < xj + (y - yj) * (xi - xj) / (yi - yj)) in = !in;
    }
    return in;
}

}  // namespace

SlabShape::SlabShape(const Declar& d, double tol) : tol_(tol) {
    struct Loop {
        std::vector<std::pair<double, double>> polygon;
        std::size_t first = 0;
    };
    std::vector<Loop> loops;
    bool broken = false;
    std::size_t outlineLoops = 0;
    // The loops of one list of pieces, as the meshers cut them.
    auto cut = [&](const std::vector<OutlinePiece>& list, std::size_t count) {
        Loop loop;
        const OutlinePiece* first = nullptr;
        const OutlinePiece* before = nullptr;
        for (std::size_t k = 1; k <= count && k < list.size(); ++k) {
            const OutlinePiece& piece = list[k];
            if (before != nullptr && !(coincide(piece.X1, before->X2, tol) && coincide(piece.Y1, before->Y2, tol))) broken = true;
            if (isShort(piece, tol) && first == nullptr) continue;
            before = &piece;
            if (isShort(piece, tol)) continue;
            if (first == nullptr) first = &piece, loop.first = pieces_.size();
            appendPolyline(piece, loop.polygon);
            allowance_ += tol * lengthOf(piece);
            pieces_.push_back(piece);
            if (coincide(piece.X2, first->X1, tol) && coincide(piece.Y2, first->Y1, tol)) {
                loops.push_back(std::move(loop));
                loop = Loop{};
                first = before = nullptr;
            }
        }
        if (first != nullptr) broken = true;
    };
    cut(d.OutlinePieces, static_cast<std::size_t>(std::max<std::int16_t>(d.OutlinePieceCount, 0)));
    outlineLoops = loops.size();
    for (std::size_t s = 1; s <= static_cast<std::size_t>(std::max<std::int16_t>(d.OpeningCount, 0)) && s < d.OpeningPieces.size() &&
                            s < d.OpeningPieceCount.size();
         ++s)
        cut(d.OpeningPieces[s], static_cast<std::size_t>(std::max<std::int16_t>(d.OpeningPieceCount[s], 0)));
    for (const Loop& loop : loops)
        if (loop.polygon.size() < 3) broken = true;
    closed_ = !broken && outlineLoops > 0;
    if (!closed_) return;

    // Which loops bound holes, by the even-odd rule: a loop held by an odd
    // number of others. Each is probed at the middle of its first chord.
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const Loop& loop = loops[i];
        const double px = (loop.polygon[0].first + loop.polygon[1].first) / 2.0;
        const double py = (loop.polygon[0].second + loop.polygon[1].second) / 2.0;
        std::size_t holding = 0;
        for (const Loop& other : loops)
            if (&other != &loop && polygonHolds(other.polygon, px, py)) ++holding;
        const std::size_t end = i + 1 < loops.size() ? loops[i + 1].first : pieces_.size();
        loops_.push_back({loop.first, end, holding % 2 == 0 ? 1.0 : -1.0});
    }

    // Every chord into the horizontal strips it spans.
    std::vector<Edge> edges;
    double y1 = -HUGE_VAL;
    y0_ = HUGE_VAL;
    for (const Loop& loop : loops)
        for (std::size_t i = 0; i < loop.polygon.size(); ++i) {
            const auto& [ax, ay] = loop.polygon[i];
            const auto& [bx, by] = loop.polygon[(i + 1) % loop.polygon.size()];
            edges.push_back({ax, ay, bx, by});
            y0_ = std::min(y0_, ay);
            y1 = std::max(y1, ay);
        }
    const std::size_t count = std::clamp<std::size_t>(edges.size(), 1, 4096);
    stripHeight_ = y1 > y0_ ? (y1 - y0_) / static_cast<double>(count) : 1.0;
    strips_.assign(count, {});
    auto stripOf = [&](double y) {
        return static_cast<std::size_t>(std::clamp((y - y0_) / stripHeight_, 0.0, static_cast<double>(count - 1)));
    };
    for (const Edge& e : edges)
        for (std::size_t s = stripOf(std::min(e.y1, e.y2)), last = stripOf(std::max(e.y1, e.y2)); s <= last; ++s) strips_[s].push_back(e);
}

double SlabShape::CoveredArea(const std::vector<float>& x, const std::vector<float>& y, const std::vector<std::size_t>& border) const {
    // The border nodes on each arc, by their angle along it.
    std::vector<std::vector<std::pair<double, std::size_t>>> onArc(pieces_.size());
    for (std::size_t k = 0; k < pieces_.size(); ++k) {
        const OutlinePiece& p = pieces_[k];
        if (!isArc(p)) continue;
        const double sweep = std::fabs(sweepOf(p));
        for (std::size_t n : border) {
            const double along = alongArc(p, x[n], y[n]);
            if (along > 0.0 && along < sweep && std::fabs(std::hypot(x[n] - p.XC, y[n] - p.YC) - radiusOf(p)) <= tol_)
                onArc[k].emplace_back(along, n);
        }
        std::sort(onArc[k].begin(), onArc[k].end());
    }
    double area = 0.0;
    for (const LoopSpan& loop : loops_) {
        double twice = 0.0;
        double fromX = pieces_[loop.first].X1, fromY = pieces_[loop.first].Y1;
        auto to = [&](double toX, double toY) {
            twice += fromX * toY - toX * fromY;
            fromX = toX, fromY = toY;
        };
        for (std::size_t k = loop.first; k < loop.end; ++k) {
            for (const auto& [along, n] : onArc[k]) to(x[n], y[n]);
            to(pieces_[k].X2, pieces_[k].Y2);
        }
        area += loop.sign * std::fabs(twice) / 2.0;
    }
    return area;
}

bool SlabShape::holds(double x, double y) const {
    if (strips_.empty() || !(y >= y0_) || !(y <= y0_ + stripHeight_ * static_cast<double>(strips_.size()))) return false;
    const std::size_t s = std::min(strips_.size() - 1, static_cast<std::size_t>((y - y0_) / stripHeight_));
    bool in = false;
    for (const Edge& e : strips_[s])
        if ((e.y2 > y) != (e.y1 > y) && x < e.x1 + (y - e.y1) * (e.x2 - e.x1) / (e.y2 - e.y1)) in = !in;
    return in;
}

bool SlabShape::Outside(double x, double y) const {
    if (!closed_ || holds(x, y)) return false;
    for (const OutlinePiece& piece : pieces_)
        if (!(pieceDistance(piece, x, y) > tol_)) return false;
    return true;
}

}  // namespace orvelo
