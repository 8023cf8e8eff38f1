#include "orvelo/gridmesh/line_sides.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/fill_leftover.h"
#include "orvelo/gridmesh/grid_regions.h"
#include "orvelo/gridmesh/key_points.h"
#include "orvelo/gridmesh/snapping.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"

namespace orvelo {

namespace {

using Side = std::pair<std::int16_t, std::int16_t>;

Side sideKey(std::int16_t a, std::int16_t b) { return a < b ? Side{a, b} : Side{b, a}; }

struct Segment {
    double px, py, qx, qy;
};

class LineCutter {
public:
    LineCutter() : m_(basDelaunay()), tol_(KeyTolerance()) {}

    void cut(const Segment& line) {
        line_ = line;
        linesCut_ = true;
        const double length = std::hypot(line.qx - line.px, line.qy - line.py);
        if (!(length > tol_)) return;
        onSide_.clear();
        placeEnd(line.px, line.py);
        placeEnd(line.qx, line.qy);
        const std::vector<bool> used = usedNodes();
        for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
            const NetElement& t = element(e);
            for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
                const Side side = sideKey(corner(t, k), corner(t, k + 1));
                if (onSide_.count(side) != 0) continue;
                double x = 0.0;
                double y = 0.0;
                if (!crossing(side.first, side.second, x, y)) continue;
                // A crossing on a node of the net that is no end of the side
                // would fold the net there.
                for (std::int32_t n = 1; n <= m_.MeshNodeCount; ++n)
                    if (used[static_cast<std::size_t>(n)] && near(this->x(static_cast<std::int16_t>(n)), this->y(static_cast<std::int16_t>(n)), x, y))
                        raiseAt(static_cast<float>(x), static_cast<float>(y), 190095);
                onSide_[side] = {newNode(x, y)};
            }
        }
        divideTaken(true);
    }

    // Nodes that lie on a side of an element they do not belong to (within
    // the tolerance) become corners of the elements on both sides of it.
    // False when there was none.
    bool joinHangingNodes() {
        onSide_.clear();
        line_ = Segment{};
        // Each side with the elements that hold it.
        std::map<Side, std::vector<std::int32_t>> sides;
        double total = 0.0;
        for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
            const NetElement& t = element(e);
            for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
                const Side side = sideKey(corner(t, k), corner(t, k + 1));
                std::vector<std::int32_t>& holders = sides[side];
                if (holders.empty()) total += std::hypot(x(side.second) - x(side.first), y(side.second) - y(side.first));
                holders.push_back(e);
            }
        }
        if (sides.empty()) return false;
        // The nodes by cells of the mean side length.
        const double cell = std::max(total / static_cast<double>(sides.size()), 1e3 * tol_);
        std::map<std::pair<long long, long long>, std::vector<std::int16_t>> cells;
        const auto cellOf = [cell](double v) { return static_cast<long long>(std::floor(v / cell)); };
        for (std::int32_t n = 1; n <= m_.MeshNodeCount; ++n)
            cells[{cellOf(x(static_cast<std::int16_t>(n))), cellOf(y(static_cast<std::int16_t>(n)))}].push_back(static_cast<std::int16_t>(n));
        // A triangle whose corner lies on its opposite side (a sliver that
        // cutting lines crossing at a narrow angle leaves) is merged into the
        // element across that side: the sliver is dropped, and the element
        // across is divided through the corner as through a hanging node.
        std::set<std::int32_t> slivers;
        merged_.clear();
        const auto takes = [&](const Side& side, const std::vector<std::int32_t>& holders, std::int16_t n) {
            const auto holds = [&](std::int32_t e) {
                const NetElement& t = element(e);
                return std::find(t.Node.begin() + 1, t.Node.begin() + 1 + t.CornerCount, n) != t.Node.begin() + 1 + t.CornerCount;
            };
            const auto sliver = std::find_if(holders.begin(), holders.end(), holds);
            if (sliver == holders.end() || element(*sliver).CornerCount != 3 || holders.size() != 2) return true;
            const std::int32_t across = holders[sliver == holders.begin() ? 1 : 0];
            if (holds(across) || slivers.count(*sliver) != 0 || slivers.count(across) != 0) return false;
            slivers.insert(*sliver);
            merged_.insert({side, n});
            return true;
        };
        for (const auto& [side, holders] : sides) {
            const std::int16_t a = side.first, b = side.second;
            const double length = std::hypot(x(b) - x(a), y(b) - y(a));
            if (!(length > 2.0 * tol_)) continue;
            for (long long i = cellOf(std::min(x(a), x(b)) - tol_); i <= cellOf(std::max(x(a), x(b)) + tol_); ++i)
                for (long long j = cellOf(std::min(y(a), y(b)) - tol_); j <= cellOf(std::max(y(a), y(b)) + tol_); ++j) {
                    const auto found = cells.find({i, j});
                    if (found == cells.end()) continue;
                    for (const std::int16_t n : found->second) {
                        if (n != a && n != b && liesOnSide(n, a, b) && takes(side, holders, n)) onSide_[side].push_back(n);
                    }
                }
        }
        if (onSide_.empty()) return false;
        for (auto e = slivers.rbegin(); e != slivers.rend(); ++e) {
            m_.MeshElementList.erase(m_.MeshElementList.begin() + *e);
            --m_.MeshElementCount;
        }
        divideTaken(false);
        return true;
    }

    // joinHangingNodes until none is left: a side a division makes may
    // pass within the tolerance of a node that the side it replaced kept
    // farther from (a row of points along an arc beside the side).
    void joinAllHangingNodes() {
        for (int pass = 0; pass < 8 && joinHangingNodes(); ++pass) {
        }
    }

    // The sides of the net along any of the lines, as constraint sides.
    void markSides(const std::vector<Segment>& lines) {
        std::set<Side> along;
        for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
            const NetElement& t = element(e);
            for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
                const std::int16_t a = corner(t, k);
                const std::int16_t b = corner(t, k + 1);
                for (const Segment& line : lines) {
                    line_ = line;
                    if (onLine(a) && onLine(b)) along.insert(sideKey(a, b));
                }
            }
        }
        m_.ConstraintEdges.assign(1, {0, 0});
        for (const Side& side : along) m_.ConstraintEdges.push_back({side.first, side.second});
        m_.ConstraintEdgeCount = checkedNetCount(static_cast<long long>(along.size()));
        for (const Segment& line : lines) requireCovered(line, along);
    }

    // Every part of the line inside the slab is covered by sides along it;
    // where it is not, the net cannot hold the line (a grid too coarse for
    // the keys that compete for its points, or a line through a cut corner
    // of the outline trace): error 5 naming the place.
    void requireCovered(const Segment& line, const std::set<Side>& along) {
        line_ = line;
        const double length = std::hypot(line.qx - line.px, line.qy - line.py);
        if (!(length > tol_)) return;
        std::vector<std::pair<double, double>> covered;
        for (const Side& side : along) {
            if (!onLine(side.first) || !onLine(side.second)) continue;
            const auto at = [&](std::int16_t n) {
                return ((x(n) - line.px) * (line.qx - line.px) + (y(n) - line.py) * (line.qy - line.py)) / length;
            };
            covered.emplace_back(std::min(at(side.first), at(side.second)), std::max(at(side.first), at(side.second)));
        }
        covered.emplace_back(length, length);
        std::sort(covered.begin(), covered.end());
        double reached = 0.0;
        for (const auto& [from, to] : covered) {
            if (from > reached + tol_) {
                // The gap's middle: a gap outside the slab's region is left.
                const double t = (reached + from) / 2.0 / length;
                const double gx = line.px + t * (line.qx - line.px);
                const double gy = line.py + t * (line.qy - line.py);
                if (InsideSlabPieces(gx, gy)) raiseAt(static_cast<float>(gx), static_cast<float>(gy), 190095);
            }
            reached = std::max(reached, to);
        }
    }

private:
    const NetElement& element(std::int32_t e) const { return m_.MeshElementList[static_cast<std::size_t>(e)]; }
    // Per node (index 0 unused): whether an element has it as a corner.
    std::vector<bool> usedNodes() const {
        std::vector<bool> used(static_cast<std::size_t>(m_.MeshNodeCount) + 1, false);
        for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e)
            for (std::int32_t k = 1; k <= element(e).CornerCount; ++k) used[static_cast<std::size_t>(corner(element(e), k))] = true;
        return used;
    }
    static std::int16_t corner(const NetElement& t, std::int32_t k) {
        return t.Node[static_cast<std::size_t>((k - 1) % t.CornerCount + 1)];
    }
    double x(std::int16_t n) const { return m_.MeshNodeX[static_cast<std::size_t>(n)]; }
    double y(std::int16_t n) const { return m_.MeshNodeY[static_cast<std::size_t>(n)]; }
    double turn(std::int16_t a, std::int16_t b, std::int16_t c) const {
        return (x(b) - x(a)) * (y(c) - y(a)) - (y(b) - y(a)) * (x(c) - x(a));
    }

    double distanceToLine(double px, double py) const {
        const double dx = line_.qx - line_.px, dy = line_.qy - line_.py;
        const double along = std::clamp(((px - line_.px) * dx + (py - line_.py) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(line_.px + along * dx - px, line_.py + along * dy - py);
    }
    bool onLine(std::int16_t n) const { return distanceToLine(x(n), y(n)) <= tol_; }
    bool near(double ax, double ay, double bx, double by) const {
        return CloserThan(static_cast<float>(ax), static_cast<float>(bx), tol_) &&
               CloserThan(static_cast<float>(ay), static_cast<float>(by), tol_);
    }

    std::int16_t newNode(double px, double py) {
        const std::int16_t n = AppendMeshNode();
        m_.MeshNodeX[static_cast<std::size_t>(n)] = static_cast<float>(px);
        m_.MeshNodeY[static_cast<std::size_t>(n)] = static_cast<float>(py);
        return n;
    }

    // Where the line crosses the side a-b inside both, away from their ends.
    bool crossing(std::int16_t a, std::int16_t b, double& cx, double& cy) const {
        const double rx = x(b) - x(a), ry = y(b) - y(a);
        const double sx = line_.qx - line_.px, sy = line_.qy - line_.py;
        const double d = rx * sy - ry * sx;
        if (d == 0.0) return false;
        const double t = ((line_.px - x(a)) * sy - (line_.py - y(a)) * sx) / d;
        const double u = ((line_.px - x(a)) * ry - (line_.py - y(a)) * rx) / d;
        if (!(t > 0.0 && t < 1.0 && u > 0.0 && u < 1.0)) return false;
        cx = x(a) + t * rx;
        cy = y(a) + t * ry;
        if (std::hypot(cx - x(a), cy - y(a)) <= tol_ || std::hypot(cx - x(b), cy - y(b)) <= tol_) return false;
        if (onLine(a) || onLine(b)) return false;
        return !near(cx, cy, line_.px, line_.py) && !near(cx, cy, line_.qx, line_.qy);
    }

    // An end of the line off the nodes becomes a node: on a side (within the
    // tolerance) as a crossing of that side, inside an element by dividing
    // the element into triangles through it.
    void placeEnd(double px, double py) {
        // A node no element uses (a key that lost its cells) holds no side.
        const std::vector<bool> used = usedNodes();
        for (std::int32_t n = 1; n <= m_.MeshNodeCount; ++n)
            if (used[static_cast<std::size_t>(n)] && near(x(static_cast<std::int16_t>(n)), y(static_cast<std::int16_t>(n)), px, py)) return;
        for (std::int32_t e = 1; e <= m_.MeshElementCount; ++e) {
            const NetElement t = element(e);
            bool inside = true;
            for (std::int32_t k = 1; k <= t.CornerCount && inside; ++k) {
                const std::int16_t a = corner(t, k), b = corner(t, k + 1);
                const double length = std::hypot(x(b) - x(a), y(b) - y(a));
                const double cross = (x(b) - x(a)) * (py - y(a)) - (y(b) - y(a)) * (px - x(a));
                if (cross > tol_ * length) continue;
                inside = false;
                const double along = ((px - x(a)) * (x(b) - x(a)) + (py - y(a)) * (y(b) - y(a))) / length;
                if (cross >= -tol_ * length && along > tol_ && along < length - tol_) {
                    onSide_[sideKey(a, b)] = {newNode(px, py)};
                    return;
                }
            }
            if (!inside) continue;
            const std::int16_t centre = newNode(px, py);
            std::vector<std::vector<std::int16_t>> triangles;
            for (std::int32_t k = 1; k <= t.CornerCount; ++k) triangles.push_back({corner(t, k), corner(t, k + 1), centre});
            replace(e, triangles);
            return;
        }
    }

    // Every element with nodes on its sides as the polygon of its corners and
    // those nodes; along a line (alongLine) divided where the line runs
    // through it, else into triangles as a whole.
    void divideTaken(bool alongLine) {
        const std::int32_t count = m_.MeshElementCount;
        for (std::int32_t e = 1; e <= count; ++e) {
            const NetElement t = element(e);
            std::vector<std::int16_t> polygon;
            bool taken = false;
            bool merging = false;
            for (std::int32_t k = 1; k <= t.CornerCount; ++k) {
                const std::int16_t from = corner(t, k);
                polygon.push_back(from);
                const auto found = onSide_.find(sideKey(from, corner(t, k + 1)));
                if (found == onSide_.end()) continue;
                std::vector<std::int16_t> nodes;
                for (const std::int16_t n : found->second)
                    if (std::find(t.Node.begin() + 1, t.Node.begin() + 1 + t.CornerCount, n) == t.Node.begin() + 1 + t.CornerCount) {
                        nodes.push_back(n);
                        merging = merging || merged_.count({found->first, n}) != 0;
                    }
                std::sort(nodes.begin(), nodes.end(), [&](std::int16_t p, std::int16_t q) {
                    return std::hypot(x(p) - x(from), y(p) - y(from)) < std::hypot(x(q) - x(from), y(q) - y(from));
                });
                polygon.insert(polygon.end(), nodes.begin(), nodes.end());
                taken = true;
            }
            if (!alongLine) {
                if (taken) {
                    std::vector<std::vector<std::int16_t>> triangles;
                    // A sliver merged in must not come back.
                    if (!merging)
                        triangulate(polygon, triangles);
                    else if (!triangulate(polygon, triangles, false))
                        fail(polygon, linesCut_);
                    replace(e, triangles);
                }
                continue;
            }
            if (!taken && t.CornerCount != 4) continue;
            divide(e, polygon, taken);
        }
    }

    // Element e as the polygon given (its corners and the crossings on its
    // sides, counter-clockwise), divided along the line where two of its
    // corners that are not neighbours lie on it.
    void divide(std::int32_t e, const std::vector<std::int16_t>& polygon, bool taken) {
        const std::size_t count = polygon.size();
        std::vector<std::size_t> on;
        for (std::size_t k = 0; k < count; ++k)
            if (onLine(polygon[k])) on.push_back(k);
        std::size_t from = count;
        std::size_t to = count;
        if (on.size() >= 2) {
            // The two farthest apart along the line.
            const auto along = [&](std::size_t k) {
                return (x(polygon[k]) - line_.px) * (line_.qx - line_.px) + (y(polygon[k]) - line_.py) * (line_.qy - line_.py);
            };
            const auto [low, high] = std::minmax_element(on.begin(), on.end(), [&](std::size_t a, std::size_t b) { return along(a) < along(b); });
            from = std::min(*low, *high);
            to = std::max(*low, *high);
            // A piece whose corners all lie on the line is no piece: the line
            // runs along the polygon's border there.
            const auto flat = [&](std::size_t first, std::size_t last) {
                for (std::size_t k = (first + 1) % count; k != last; k = (k + 1) % count)
                    if (!onLine(polygon[k])) return false;
                return true;
            };
            if (flat(from, to) || flat(to, from)) from = to = count;
        }
        std::vector<std::vector<std::int16_t>> triangles;
        if (from == count) {
            if (!taken) return;
            triangulate(polygon, triangles);
        } else {
            triangulate(std::vector<std::int16_t>(polygon.begin() + static_cast<std::ptrdiff_t>(from),
                                                  polygon.begin() + static_cast<std::ptrdiff_t>(to) + 1),
                        triangles);
            std::vector<std::int16_t> rest(polygon.begin() + static_cast<std::ptrdiff_t>(to), polygon.end());
            rest.insert(rest.end(), polygon.begin(), polygon.begin() + static_cast<std::ptrdiff_t>(from) + 1);
            triangulate(rest, triangles);
        }
        replace(e, triangles);
    }

    // The smallest angle of triangle (a, b, c) in radians, 0 for one that
    // turns clockwise or has no area.
    double smallestAngle(std::int16_t a, std::int16_t b, std::int16_t c) const {
        const double area = turn(a, b, c);
        if (!(area > 0.0)) return 0.0;
        const double ab = std::hypot(x(b) - x(a), y(b) - y(a));
        const double bc = std::hypot(x(c) - x(b), y(c) - y(b));
        const double ca = std::hypot(x(a) - x(c), y(a) - y(c));
        return std::min({std::asin(std::min(1.0, area / (ab * ca))), std::asin(std::min(1.0, area / (ab * bc))),
                         std::asin(std::min(1.0, area / (bc * ca)))});
    }

    // Whether node n lies on the side from p to q within the tolerance,
    // farther than it from the side's ends (a node hanging there).
    bool liesOnSide(std::int16_t n, std::int16_t p, std::int16_t q) const {
        const double length = std::hypot(x(q) - x(p), y(q) - y(p));
        const double along = ((x(n) - x(p)) * (x(q) - x(p)) + (y(n) - y(p)) * (y(q) - y(p))) / length;
        return along > tol_ && along < length - tol_ && std::fabs(turn(p, q, n)) / length <= tol_;
    }

    // Whether a corner of triangle (a, b, c) lies on its opposite side.
    bool sliver(std::int16_t a, std::int16_t b, std::int16_t c) const {
        return liesOnSide(c, a, b) || liesOnSide(a, b, c) || liesOnSide(b, c, a);
    }

    // Whether node n lies in the closed triangle (a, b, c).
    bool inTriangle(std::int16_t n, std::int16_t a, std::int16_t b, std::int16_t c) const {
        return turn(a, b, n) >= 0.0 && turn(b, c, n) >= 0.0 && turn(c, a, n) >= 0.0;
    }

    // A counter-clockwise polygon of one piece into the triangles whose
    // smallest angle is the largest (a piece has a few corners: every
    // division is weighed).
    void triangulate(const std::vector<std::int16_t>& polygon, std::vector<std::vector<std::int16_t>>& triangles) const {
        if (!triangulate(polygon, triangles, false)) triangulate(polygon, triangles, true);
    }
    bool triangulate(const std::vector<std::int16_t>& polygon, std::vector<std::vector<std::int16_t>>& triangles, bool withSlivers) const {
        const std::size_t n = polygon.size();
        // best[i][j]: the largest smallest angle of the part from corner i to
        // corner j; apex[i][j]: its third corner on the side i-j.
        std::vector<std::vector<double>> best(n, std::vector<double>(n, -1.0));
        std::vector<std::vector<std::size_t>> apex(n, std::vector<std::size_t>(n, n));
        for (std::size_t span = 2; span < n; ++span) {
            for (std::size_t i = 0; i + span < n; ++i) {
                const std::size_t j = i + span;
                for (std::size_t k = i + 1; k < j; ++k) {
                    const std::int16_t a = polygon[i], b = polygon[k], c = polygon[j];
                    double angle = withSlivers || !sliver(a, b, c) ? smallestAngle(a, b, c) : 0.0;
                    for (std::size_t other = 0; other < n && angle > 0.0; ++other)
                        if (other != i && other != k && other != j && inTriangle(polygon[other], a, b, c)) angle = 0.0;
                    if (k - i >= 2) angle = std::min(angle, best[i][k]);
                    if (j - k >= 2) angle = std::min(angle, best[k][j]);
                    if (angle > best[i][j]) {
                        best[i][j] = angle;
                        apex[i][j] = k;
                    }
                }
            }
        }
        if (!(best[0][n - 1] > 0.0)) {
            if (withSlivers) fail(polygon);
            return false;
        }
        std::vector<std::pair<std::size_t, std::size_t>> open{{0, n - 1}};
        while (!open.empty()) {
            const auto [i, j] = open.back();
            open.pop_back();
            const std::size_t k = apex[i][j];
            triangles.push_back({polygon[i], polygon[k], polygon[j]});
            if (k - i >= 2) open.emplace_back(i, k);
            if (j - k >= 2) open.emplace_back(k, j);
        }
        return true;
    }

    // A piece that cannot be divided: named as a line while a line is cut,
    // or (alongLines) where lines that were cut left a sliver.
    [[noreturn]] void fail(const std::vector<std::int16_t>& polygon, bool alongLines = false) const {
        double cx = 0.0;
        double cy = 0.0;
        for (const std::int16_t n : polygon) {
            cx += x(n) / static_cast<double>(polygon.size());
            cy += y(n) / static_cast<double>(polygon.size());
        }
        // Only a line being cut is named; a piece divided at a hanging node
        // fails where the border has a detail the grid cannot hold.
        const bool cuttingLine = alongLines || line_.px != line_.qx || line_.py != line_.qy;
        if (!cuttingLine) RaiseGridNetFault(cx, cy, 190093);
        raiseAt(static_cast<float>(cx), static_cast<float>(cy), 190095);
    }

    [[noreturn]] static void raiseAt(float px, float py, std::int32_t text) {
        rt::raise(5, LanguageTexts().GetText(quillon::TextNo(text), {rt::Variant("|1"), rt::Variant(rt::formatSingle(px)),
                                                                     rt::Variant("|2"), rt::Variant(rt::formatSingle(py))}));
    }

    // Element e becomes the first triangle, the others are appended.
    void replace(std::int32_t e, const std::vector<std::vector<std::int16_t>>& triangles) {
        for (std::size_t k = 0; k < triangles.size(); ++k) {
            NetElement t;
            t.CornerCount = 3;
            for (std::size_t c = 0; c < 3; ++c) t.Node[c + 1] = triangles[k][c];
            if (k == 0) {
                m_.MeshElementList[static_cast<std::size_t>(e)] = t;
                continue;
            }
            m_.MeshElementCount = checkedNetCount(static_cast<long long>(m_.MeshElementCount) + 1);
            m_.MeshElementList.push_back(t);
        }
    }

    BasDelaunay& m_;
    const double tol_;
    Segment line_{};
    bool linesCut_ = false;
    // The slivers merged into the element across: their base side and the
    // corner on it.
    std::set<std::pair<Side, std::int16_t>> merged_;
    // The nodes each side takes: where the line crosses it (or ends on it),
    // or nodes that lie on it.
    std::map<Side, std::vector<std::int16_t>> onSide_;
};

}  // namespace

void FollowInternalLines() {
    const BasDelaunay& m = basDelaunay();
    LineCutter cutter;
    cutter.joinAllHangingNodes();
    if (m.MeshLineCount < 1) return;
    std::vector<Segment> lines;
    for (std::int32_t l = 1; l <= m.MeshLineCount; ++l) {
        const halvex::SinglePoint& a = m.MeshLineStart[static_cast<std::size_t>(l)];
        const halvex::SinglePoint& b = m.MeshLineEnd[static_cast<std::size_t>(l)];
        lines.push_back(Segment{a.X, a.Y, b.X, b.Y});
    }
    for (const Segment& line : lines) cutter.cut(line);
    // A node of one line may lie on a side another line's cut made.
    cutter.joinAllHangingNodes();
    cutter.markSides(lines);
}

}  // namespace orvelo
