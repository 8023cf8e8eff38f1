#include "orvelo/project/slab_shape.h"

#include <algorithm>
#include <cmath>

namespace orvelo {

namespace {

constexpr double kTurn = 6.283185307179586;

using Point = std::pair<double, double>;

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

// The angle of (x, y) about the arc's centre, from its start along its
// sweep, in [0, 2 pi).
double alongArc(const OutlinePiece& p, double x, double y) {
    const double a = std::atan2(p.Y1 - static_cast<double>(p.YC), p.X1 - static_cast<double>(p.XC));
    double along = std::atan2(y - static_cast<double>(p.YC), x - static_cast<double>(p.XC)) - a;
    if (sweepOf(p) < 0.0) along = -along;
    along = std::fmod(along, kTurn);
    return along < 0.0 ? along + kTurn : along;
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

bool polygonHolds(const std::vector<Point>& polygon, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const auto& [xi, yi] = polygon[i];
        const auto& [xj, yj] = polygon[j];
        if ((yi > y) != (yj > y) && x < xj + (y - yj) * (xi - xj) / (yi - yj)) in = !in;
    }
    return in;
}

}  // namespace

SlabShape::SlabShape(const Declar& d, double tol, const std::vector<float>& x, const std::vector<float>& y,
                     const std::vector<std::size_t>& border)
    : SlabShape(d.OutlinePieces, d.OutlinePieceCount, d.OpeningPieces, d.OpeningPieceCount, d.OpeningCount, tol, x, y, border) {}

SlabShape::SlabShape(const std::vector<OutlinePiece>& outline, std::int32_t outlineCount,
                     const std::vector<std::vector<OutlinePiece>>& openings, const std::vector<std::int16_t>& openingCounts,
                     std::int32_t openingCount, double tol, const std::vector<float>& x, const std::vector<float>& y,
                     const std::vector<std::size_t>& border)
    : tol_(tol) {
    std::vector<std::vector<Point>> loops;
    bool broken = false;
    // The piece as the net follows it: its start, then for an arc the
    // border nodes on it by their angle along it (not its end).
    auto follow = [&](const OutlinePiece& p, std::vector<Point>& polygon) {
        polygon.emplace_back(p.X1, p.Y1);
        if (!isArc(p)) return;
        const double sweep = std::fabs(sweepOf(p)), r = radiusOf(p);
        std::vector<std::pair<double, std::size_t>> on;
        for (std::size_t n : border) {
            const double along = alongArc(p, x[n], y[n]);
            if (along > 0.0 && along < sweep && std::fabs(std::hypot(x[n] - p.XC, y[n] - p.YC) - r) <= tol) on.emplace_back(along, n);
        }
        std::sort(on.begin(), on.end());
        for (const auto& [along, n] : on) polygon.emplace_back(x[n], y[n]);
    };
    // The loops of one list of pieces, as the meshers cut them.
    auto cut = [&](const std::vector<OutlinePiece>& list, std::size_t count) {
        std::vector<Point> loop;
        const OutlinePiece* first = nullptr;
        const OutlinePiece* before = nullptr;
        for (std::size_t k = 1; k <= count && k < list.size(); ++k) {
            const OutlinePiece& piece = list[k];
            if (before != nullptr && !(coincide(piece.X1, before->X2, tol) && coincide(piece.Y1, before->Y2, tol))) broken = true;
            if (isShort(piece, tol) && first == nullptr) continue;
            before = &piece;
            if (isShort(piece, tol)) continue;
            if (first == nullptr) first = &piece;
            follow(piece, loop);
            if (coincide(piece.X2, first->X1, tol) && coincide(piece.Y2, first->Y1, tol)) {
                loops.push_back(std::move(loop));
                loop.clear();
                first = before = nullptr;
            }
        }
        if (first != nullptr) broken = true;
    };
    cut(outline, static_cast<std::size_t>(std::max<std::int32_t>(outlineCount, 0)));
    const std::size_t outlineLoops = loops.size();
    for (std::size_t s = 1; s <= static_cast<std::size_t>(std::max<std::int32_t>(openingCount, 0)) && s < openings.size() &&
                            s < openingCounts.size();
         ++s)
        cut(openings[s], static_cast<std::size_t>(std::max<std::int16_t>(openingCounts[s], 0)));
    bool outlineWithArea = false;
    for (std::size_t i = 0; i < loops.size(); ++i) {
        if (loops[i].size() < 2) broken = true;
        if (i < outlineLoops && loops[i].size() >= 3) outlineWithArea = true;
    }
    closed_ = !broken && outlineWithArea;
    if (!closed_) return;

    // The area by the even-odd rule: a loop held by an odd number of others
    // bounds a hole. Each is probed at the middle of its first side.
    double y1 = -HUGE_VAL;
    y0_ = HUGE_VAL;
    for (const std::vector<Point>& loop : loops) {
        const double px = (loop[0].first + loop[1].first) / 2.0, py = (loop[0].second + loop[1].second) / 2.0;
        std::size_t holding = 0;
        for (const std::vector<Point>& other : loops)
            if (&other != &loop && other.size() >= 3 && polygonHolds(other, px, py)) ++holding;
        double twice = 0.0;
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const auto& [ax, ay] = loop[i];
            const auto& [bx, by] = loop[(i + 1) % loop.size()];
            twice += ax * by - bx * ay;
            edges_.push_back({ax, ay, bx, by});
            allowance_ += tol * std::hypot(bx - ax, by - ay);
            y0_ = std::min(y0_, ay);
            y1 = std::max(y1, ay);
        }
        area_ += (holding % 2 == 0 ? 0.5 : -0.5) * std::fabs(twice);
    }

    // Every edge into the horizontal strips it spans.
    const std::size_t count = std::clamp<std::size_t>(edges_.size(), 1, 4096);
    stripHeight_ = y1 > y0_ ? (y1 - y0_) / static_cast<double>(count) : 1.0;
    strips_.assign(count, {});
    auto stripOf = [&](double at) {
        return static_cast<std::size_t>(std::clamp((at - y0_) / stripHeight_, 0.0, static_cast<double>(count - 1)));
    };
    for (std::size_t i = 0; i < edges_.size(); ++i)
        for (std::size_t s = stripOf(std::min(edges_[i].y1, edges_[i].y2)), last = stripOf(std::max(edges_[i].y1, edges_[i].y2)); s <= last; ++s)
            strips_[s].push_back(i);
}

bool SlabShape::holds(double x, double y) const {
    if (strips_.empty() || !(y >= y0_) || !(y <= y0_ + stripHeight_ * static_cast<double>(strips_.size()))) return false;
    const std::size_t s = std::min(strips_.size() - 1, static_cast<std::size_t>((y - y0_) / stripHeight_));
    bool in = false;
    for (std::size_t i : strips_[s]) {
        const Edge& e = edges_[i];
        if ((e.y2 > y) != (e.y1 > y) && x < e.x1 + (y - e.y1) * (e.x2 - e.x1) / (e.y2 - e.y1)) in = !in;
    }
    return in;
}

bool SlabShape::Outside(double x, double y) const {
    if (!closed_ || holds(x, y)) return false;
    // Only an edge that reaches within tol of y in height can come within
    // tol of the point: those of the strips from y - tol to y + tol.
    const double top = y0_ + stripHeight_ * static_cast<double>(strips_.size());
    if (!(y + tol_ >= y0_ && y - tol_ <= top)) return true;
    const auto stripOf = [&](double at) {
        return static_cast<std::size_t>(std::clamp((at - y0_) / stripHeight_, 0.0, static_cast<double>(strips_.size() - 1)));
    };
    for (std::size_t s = stripOf(y - tol_), last = stripOf(y + tol_); s <= last; ++s)
        for (std::size_t i : strips_[s]) {
            const Edge& e = edges_[i];
            if (!(segmentDistance(e.x1, e.y1, e.x2, e.y2, x, y) > tol_)) return false;
        }
    return true;
}

}  // namespace orvelo
