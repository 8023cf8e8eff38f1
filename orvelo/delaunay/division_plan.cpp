#include "orvelo/delaunay/division_plan.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/boundary.h"
#include "orvelo/delaunay/target_size.h"

namespace orvelo {

Segment SegmentOf(const OutlinePiece& piece) { return {piece.X1, piece.Y1, piece.X2, piece.Y2}; }

bool IsStraightPiece(const OutlinePiece& piece) {
    return !(piece.IsArc && std::hypot(static_cast<double>(piece.X1) - piece.XC, static_cast<double>(piece.Y1) - piece.YC) < 10000.0);
}

namespace {

// A place where a straight piece is divided first: its fraction along the
// piece and the point the piece runs through there.
struct Cut {
    double along;
    double x, y;
};

// A piece as a course from its start (0) to its end (1): a straight line,
// or an arc run the way of its sense (the angles of its ends as the arc's
// division takes them; an arc whose ends meet has no course).
class Course {
public:
    explicit Course(const OutlinePiece& piece) : arc_(!IsStraightPiece(piece)) {
        x1_ = piece.X1, y1_ = piece.Y1;
        if (!arc_) {
            dx_ = static_cast<double>(piece.X2) - x1_, dy_ = static_cast<double>(piece.Y2) - y1_;
            length_ = std::hypot(dx_, dy_);
            return;
        }
        cx_ = piece.XC, cy_ = piece.YC;
        radius_ = std::hypot(x1_ - cx_, y1_ - cy_);
        start_ = std::atan2(y1_ - cy_, x1_ - cx_);
        sense_ = piece.Direction ? 1.0 : -1.0;
        sweep_ = turn(std::atan2(piece.Y2 - cy_, piece.X2 - cx_) - start_);
        length_ = radius_ * sweep_;
    }
    double length() const { return length_; }
    // The fraction of the course at the foot of (px, py), and how far the
    // point is from the course there.
    std::pair<double, double> foot(double px, double py) const {
        if (!arc_) {
            const double along = ((px - x1_) * dx_ + (py - y1_) * dy_) / (length_ * length_);
            return {along, std::fabs(dx_ * (py - y1_) - dy_ * (px - x1_)) / length_};
        }
        if (!(sweep_ > 0.0)) return {-1.0, HUGE_VAL};
        return {turn(std::atan2(py - cy_, px - cx_) - start_) / sweep_, std::fabs(std::hypot(px - cx_, py - cy_) - radius_)};
    }
    // Whether (px, py) lies to the left of the course (towards the centre
    // of an arc run counter-clockwise, away from it for one run clockwise).
    bool leftOf(double px, double py) const {
        if (!arc_) return dx_ * (py - y1_) - dy_ * (px - x1_) > 0.0;
        return (std::hypot(px - cx_, py - cy_) < radius_) == (sense_ > 0.0);
    }
    // The point at a fraction of the course.
    std::pair<double, double> at(double along) const {
        if (!arc_) return {x1_ + dx_ * along, y1_ + dy_ * along};
        const double angle = start_ + sense_ * sweep_ * along;
        return {cx_ + radius_ * std::cos(angle), cy_ + radius_ * std::sin(angle)};
    }

private:
    // An angle from the start the way of the arc, within 0 .. 2 pi.
    double turn(double angle) const {
        constexpr double full = 6.283185307179586;
        angle = std::fmod(sense_ * angle, full);
        return angle < 0.0 ? angle + full : angle;
    }
    bool arc_;
    double x1_ = 0.0, y1_ = 0.0, dx_ = 0.0, dy_ = 0.0, length_ = 0.0;
    double cx_ = 0.0, cy_ = 0.0, radius_ = 0.0, start_ = 0.0, sense_ = 1.0, sweep_ = 0.0;
};

}  // namespace

// slabSide tells for each piece on which side of it the slab lies (+1 left
// of its course, -1 right, 0 both or not known): a point beside a straight
// border piece on the other side lies outside the slab, gets no node, and
// leaves the piece as it is. Beside an arc on the other side it divides
// the arc at its foot alone: the chords on either side of the foot then
// leave it outside the net, as it lies outside the slab.
std::vector<SidePoint> SinglePointsOnSides(const BasDelaunay& m, const std::vector<OutlinePiece>& pieces,
                                           const std::vector<int>& slabSide, double tol) {
    std::vector<SidePoint> taken;
    for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshPointCount); ++k) {
        const double px = m.MeshPoints[k].X, py = m.MeshPoints[k].Y;
        SidePoint best{px, py, {}, false};
        double nearest = HUGE_VAL;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const OutlinePiece& piece = pieces[i];
            const Course course(piece);
            if (!(course.length() > 4.0 * tol)) continue;
            const auto [along, off] = course.foot(px, py);
            const double margin = 2.0 * tol / course.length();
            if (!(along > margin && along < 1.0 - margin) || !(off < nearest)) continue;
            double size = 0.0;
            bool outside = false;
            if (!(off < tol)) {
                const int side = i < slabSide.size() ? slabSide[i] : 0;
                outside = side != 0 && course.leftOf(px, py) != (side > 0);
                if (outside && IsStraightPiece(piece)) continue;
                const auto [fx, fy] = course.at(along);
                size = InterpolateTargetSize(static_cast<float>(fx), static_cast<float>(fy));
                if (!(off < 0.5 * size)) continue;
            }
            nearest = off;
            best.piece = piece;
            best.taken = true;
            best.off = off;
            best.size = size;
            best.outside = outside;
        }
        if (best.taken) taken.push_back(best);
    }
    return taken;
}

namespace {

// The places, as distances along the piece from the foot, that divide a
// piece around a single point at distance d beside it (d below half the
// target size h there): any well-shaped triangle at the point has sides of
// about d, so the division follows d at the foot and grows to the step away
// from it: a node at the foot and at d on each side (two right-angled
// isosceles triangles with the point), then gaps that double until half a
// step from the foot, the usual stepping beyond. No node of the division
// stands closer to the point than the side does.
// Each place comes with the room it needs (the gap to the next place
// inwards; d for the foot): the piece's ends, the points on the piece and
// the meetings with other constraints, then the places of other points
// beside it with less room, take precedence, and a place nearer than its
// room to one taken is left out (see meetingsOn).
struct BesideCut {
    double at;    // distance along the piece from the foot
    double room;  // the gap it needs to every other node of the piece
};

std::vector<BesideCut> besideCuts(double d, double h) {
    std::vector<BesideCut> cuts{{0.0, d}};
    for (double at = d, gap = d; at < 0.5 * h; gap *= 2.0, at += gap) {
        cuts.push_back({-at, gap});
        cuts.push_back({at, gap});
    }
    return cuts;
}

// The places where other constraints meet the straight piece away from its
// ends (their ends lying on it, nearer than the tolerance, and the points
// where they cross it, taken on the piece) and the single points that
// divide it (taken where they stand).
std::vector<Cut> meetingsOn(const OutlinePiece& piece, std::vector<const Segment*> others,
                            const std::vector<SidePoint>& points, double tol) {
    std::vector<Cut> cuts;
    const Course course(piece);
    const double length = course.length();
    if (!(length > 4.0 * tol)) return cuts;
    const double margin = 2.0 * tol / length;
    auto onPiece = [&](double along) {
        const auto [x, y] = course.at(along);
        cuts.push_back({along, x, y});
    };
    // A single point first among cuts at one place: the piece runs through it.
    std::size_t own = 0;
    struct Beside {
        double along, room;
        bool foot;
    };
    std::vector<Beside> beside;
    for (const SidePoint& p : points)
        if (p.piece == piece) {
            const double foot = course.foot(p.x, p.y).first;
            if (p.off < tol) {
                cuts.insert(cuts.begin() + static_cast<std::ptrdiff_t>(own++), {foot, p.x, p.y});
                continue;
            }
            if (p.outside) {
                if (foot > margin && foot < 1.0 - margin) beside.push_back({foot, p.off, true});
                continue;
            }
            for (const BesideCut& c : besideCuts(p.off, p.size)) {
                const double along = foot + c.at / length;
                if (along > margin && along < 1.0 - margin) beside.push_back({along, c.room, c.at == 0.0});
            }
        }
    // Other constraints meet straight pieces only.
    const double x1 = piece.X1, y1 = piece.Y1;
    const double dx = static_cast<double>(piece.X2) - x1, dy = static_cast<double>(piece.Y2) - y1;
    if (!IsStraightPiece(piece)) others = {};
    auto endOnPiece = [&](double px, double py) {
        const double along = ((px - x1) * dx + (py - y1) * dy) / (length * length);
        const double off = std::fabs(dx * (py - y1) - dy * (px - x1)) / length;
        if (off < tol && along > margin && along < 1.0 - margin) onPiece(along);
    };
    for (const Segment* o : others) {
        endOnPiece(o->x1, o->y1);
        endOnPiece(o->x2, o->y2);
        const double ex = o->x2 - o->x1, ey = o->y2 - o->y1;
        const double otherLength = std::hypot(ex, ey);
        const double d = dx * ey - dy * ex;
        if (!(otherLength > 4.0 * tol) || std::fabs(d) <= 1e-12 * length * otherLength) continue;
        const double t = ((o->x1 - x1) * ey - (o->y1 - y1) * ex) / d;
        const double u = ((o->x1 - x1) * dy - (o->y1 - y1) * dx) / d;
        const double otherMargin = 2.0 * tol / otherLength;
        if (t > margin && t < 1.0 - margin && u > otherMargin && u < 1.0 - otherMargin) onPiece(t);
    }
    // The places around points beside the piece, the feet first, each kind
    // those with the least room first: one is taken only where it keeps its
    // room to the piece's ends and to every place taken before (points on
    // the piece and meetings first), so that the divisions around several
    // points, around a point and a support on the piece, or around a point
    // near a corner, leave no short gap between them.
    std::stable_sort(beside.begin(), beside.end(), [](const Beside& a, const Beside& b) {
        return a.foot != b.foot ? a.foot : a.room < b.room;
    });
    std::vector<double> taken{0.0, 1.0};
    for (const Cut& cut : cuts) taken.push_back(cut.along);
    for (const Beside& b : beside) {
        const bool clear = std::all_of(taken.begin(), taken.end(), [&](double at) {
            return std::fabs(b.along - at) * length >= 0.999 * b.room;
        });
        if (!clear) continue;
        taken.push_back(b.along);
        onPiece(b.along);
    }
    std::stable_sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.along < b.along; });
    std::vector<Cut> kept;
    for (const Cut& cut : cuts)
        if (kept.empty() || std::hypot(cut.x - kept.back().x, cut.y - kept.back().y) > 2.0 * tol) kept.push_back(cut);
    return kept;
}

// The nodes of a piece, divided first where other constraints meet it or a
// single point divides it: the meeting point becomes a node of both, so
// neither bends through a node merely near it.
// An arc divided at cuts: every part is an arc of the piece's own circle
// (its ends taken on the arc at the cuts), and the node at a cut stands
// where the cut does (a single point on the arc keeps its own coordinates):
// neither the arc beyond a point off it by less than the tolerance nor the
// point's node moves.
void addDividedArcNodes(const OutlinePiece& piece, const std::vector<Cut>& cuts, std::vector<std::int16_t>& chain) {
    const Course course(piece);
    OutlinePiece part = piece;
    std::vector<halvex::SinglePoint> points;
    for (std::size_t k = 0; k <= cuts.size(); ++k) {
        if (k < cuts.size()) {
            const auto [x, y] = course.at(cuts[k].along);
            part.X2 = static_cast<float>(x);
            part.Y2 = static_cast<float>(y);
        } else {
            part.X2 = piece.X2;
            part.Y2 = piece.Y2;
        }
        DivideArcPiece(points, part);
        if (k > 0) points[1] = {static_cast<float>(cuts[k - 1].x), static_cast<float>(cuts[k - 1].y)};
        if (k < cuts.size()) points.back() = {static_cast<float>(cuts[k].x), static_cast<float>(cuts[k].y)};
        for (std::size_t i = 1; i < points.size(); ++i) chain.push_back(AddMeshNode(points[i].X, points[i].Y, -1));
        part.X1 = part.X2;
        part.Y1 = part.Y2;
    }
}

}  // namespace

void AddDividedPieceNodes(const OutlinePiece& piece, const std::vector<const Segment*>& others,
                          const std::vector<SidePoint>& points, std::vector<std::int16_t>& chain, double tol) {
    const std::vector<Cut> cuts = meetingsOn(piece, others, points, tol);
    if (cuts.empty()) return AddPieceNodes(piece, chain);
    if (!IsStraightPiece(piece)) return addDividedArcNodes(piece, cuts, chain);
    OutlinePiece part = piece;
    for (const Cut& cut : cuts) {
        part.X2 = static_cast<float>(cut.x);
        part.Y2 = static_cast<float>(cut.y);
        AddPieceNodes(part, chain);
        part.X1 = part.X2;
        part.Y1 = part.Y2;
    }
    part.X2 = piece.X2;
    part.Y2 = piece.Y2;
    AddPieceNodes(part, chain);
}


std::int64_t CountDividedPieceNodes(const OutlinePiece& piece, const std::vector<const Segment*>& others,
                                    const std::vector<SidePoint>& points, double tol, std::int64_t limit) {
    const std::vector<Cut> cuts = meetingsOn(piece, others, points, tol);
    if (cuts.empty()) return CountPieceNodes(piece, limit);
    // The parts as the division makes them, each counted with both ends;
    // the node where two parts meet is one.
    const Course course(piece);
    OutlinePiece part = piece;
    std::int64_t count = 1;
    for (std::size_t k = 0; k <= cuts.size() && count <= limit; ++k) {
        if (k < cuts.size()) {
            const auto [x, y] = IsStraightPiece(piece) ? std::pair<double, double>{cuts[k].x, cuts[k].y} : course.at(cuts[k].along);
            part.X2 = static_cast<float>(x);
            part.Y2 = static_cast<float>(y);
        } else {
            part.X2 = piece.X2;
            part.Y2 = piece.Y2;
        }
        count += CountPieceNodes(part, limit - count + 1) - 1;
        part.X1 = part.X2;
        part.Y1 = part.Y2;
    }
    return count;
}

}  // namespace orvelo
