#include "orvelo/wizard/net_check.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/element_shape.h"
#include "orvelo/delaunay/net_lookup.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/operation_runner.h"
#include "outside/drovik/net_settings.h"
#include "outside/drovik/region_test.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {

using quillon::TextNo;

namespace {

constexpr double kDegree = 0.0174532;
constexpr std::int32_t kNewDiagonalInTriangle = halvex::RepeatedSide;  // 32
constexpr std::int32_t kNewDiagonalInQuadrilateral = halvex::InnerSide;  // 8

std::size_t at(std::int32_t index) { return static_cast<std::size_t>(index); }

int cornersOf(const NetElement& element) { return std::clamp(element.CornerCount, 0, 4); }

bool hasCorner(const NetElement& element, std::int32_t node)
{
    for (int k = 1; k <= cornersOf(element); ++k)
        if (element.Node[at(k)] == node) return true;
    return false;
}

float distance(float x1, float y1, float x2, float y2)
{
    const double dx = static_cast<double>(x1) - x2;
    const double dy = static_cast<double>(y1) - y2;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

std::uint64_t sideKey(std::int16_t a, std::int16_t b)
{
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint16_t>(a)) << 16) | static_cast<std::uint16_t>(b);
}

double limitCosine(float angleLimit) { return std::cos(static_cast<double>(angleLimit) * kDegree); }

// One run of the check: the net, its wait window and the searches.
struct CheckRun {
    Declar& d;
    drovik::ClsWaitWindow* window;
    const NetCheck& options;
    std::vector<std::int16_t>& NodeMarks;
    std::vector<std::int16_t> ElementMarks;

    void status(std::int32_t text) const
    {
        if (window) window->StatusText(LanguageTexts().GetText(rt::Variant(text)));
    }
    void progressMax(std::int32_t steps) const
    {
        if (window) window->ProgressMax(steps);
    }
    // True when the user asked to stop.
    bool progress(bool advance) const
    {
        bool cancelled = false;
        if (window) window->UpdateProgress(advance, cancelled);
        return cancelled;
    }
    bool plain() const { return options.PlainScans; }
    bool marked(std::int32_t e) const { return ElementMarks.size() > at(e) && ElementMarks[at(e)] != 0; }
    void markElement(std::int32_t e)
    {
        ElementMarks[at(e)] = static_cast<std::int16_t>(e);
        ElementMarks[0] = 1;
    }
    void markNode(std::int32_t n)
    {
        NodeMarks[at(n)] = static_cast<std::int16_t>(n);
        NodeMarks[0] = 1;
    }
};

// ---- element regions ----

// One region per element (corners 3 or 4 in the check's integer
// coordinates), with a grid of their bounding boxes that names the
// candidates of a point before the exact region test. All regions are
// freed with the object.
class ElementRegions {
public:
    // Builds the regions of elements 1..ElementCount, one progress step
    // each; a stop request ends the building (the rest get no region).
    explicit ElementRegions(const CheckRun& run) : run_(run), scale_(RegionScale(run.d))
    {
        const Declar& d = run.d;
        handles_.assign(at(d.ElementCount) + 1, 0);
        boxes_.assign(at(d.ElementCount) + 1, Box{});
        run.progressMax(d.ElementCount);
        double extent = 0.0;
        std::int32_t built = 0;
        for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
            const NetElement& element = d.ElementList[at(e)];
            if (element.CornerCount > 0) {
                halvex::POINTAPI corners[4];
                const int count = cornersOf(element);
                Box& box = boxes_[at(e)];
                for (int k = 0; k < count; ++k) {
                    corners[k] = point(element.Node[at(k + 1)]);
                    box.x0 = std::min(box.x0, corners[k].X);
                    box.x1 = std::max(box.x1, corners[k].X);
                    box.y0 = std::min(box.y0, corners[k].Y);
                    box.y1 = std::max(box.y1, corners[k].Y);
                }
                handles_[at(e)] = drovik::CreatePolygonRgn(corners, count, drovik::ALTERNATE);
                extent += static_cast<double>(box.x1 - box.x0) + (box.y1 - box.y0);
                ++built;
            }
            if (run.progress(true)) break;
        }
        if (!run.plain()) buildGrid(built > 0 ? extent / built : 1.0);
    }
    ~ElementRegions()
    {
        for (std::int32_t handle : handles_)
            if (handle != 0) drovik::DeleteObject(handle);
    }
    ElementRegions(const ElementRegions&) = delete;
    ElementRegions& operator=(const ElementRegions&) = delete;

    // The integer point of a node.
    halvex::POINTAPI point(std::int32_t node) const
    {
        halvex::POINTAPI p;
        p.X = static_cast<std::int32_t>(std::nearbyint(static_cast<double>(run_.d.NodeX[at(node)]) * scale_));
        p.Y = static_cast<std::int32_t>(std::nearbyint(static_cast<double>(run_.d.NodeY[at(node)]) * scale_));
        return p;
    }

    // Calls visit(e) for each element e, ascending, that is not a corner
    // element of the node and whose region holds its point, until visit
    // returns false.
    template <class Visit>
    void ForeignHolders(std::int32_t node, Visit visit) const
    {
        const halvex::POINTAPI p = point(node);
        auto test = [&](std::int32_t e) {
            const std::int32_t handle = handles_[at(e)];
            if (handle == 0 || hasCorner(run_.d.ElementList[at(e)], node)) return true;
            return !drovik::PtInRegion(handle, p.X, p.Y) || visit(e);
        };
        if (run_.plain()) {
            for (std::int32_t e = 1; e < static_cast<std::int32_t>(handles_.size()); ++e)
                if (!test(e)) return;
            return;
        }
        std::vector<std::int32_t> candidates = big_;
        const auto found = cells_.find(cellKey(cellOf(p.X), cellOf(p.Y)));
        if (found != cells_.end()) candidates.insert(candidates.end(), found->second.begin(), found->second.end());
        std::sort(candidates.begin(), candidates.end());
        for (std::int32_t e : candidates) {
            const Box& box = boxes_[at(e)];
            if (p.X < box.x0 || p.X > box.x1 || p.Y < box.y0 || p.Y > box.y1) continue;
            if (!test(e)) return;
        }
    }

private:
    struct Box {
        std::int32_t x0 = std::numeric_limits<std::int32_t>::max(), x1 = std::numeric_limits<std::int32_t>::min();
        std::int32_t y0 = std::numeric_limits<std::int32_t>::max(), y1 = std::numeric_limits<std::int32_t>::min();
    };

    std::int64_t cellOf(std::int32_t value) const
    {
        return static_cast<std::int64_t>(std::floor(static_cast<double>(value) / cell_));
    }
    static std::uint64_t cellKey(std::int64_t i, std::int64_t j)
    {
        return (static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(j);
    }

    void buildGrid(double meanExtent)
    {
        cell_ = std::max(1.0, meanExtent);
        for (std::int32_t e = 1; e < static_cast<std::int32_t>(handles_.size()); ++e) {
            if (handles_[at(e)] == 0) continue;
            const Box& box = boxes_[at(e)];
            const std::int64_t i0 = cellOf(box.x0), i1 = cellOf(box.x1), j0 = cellOf(box.y0), j1 = cellOf(box.y1);
            if ((i1 - i0 + 1) * (j1 - j0 + 1) > 64) {
                big_.push_back(e);
                continue;
            }
            for (std::int64_t i = i0; i <= i1; ++i)
                for (std::int64_t j = j0; j <= j1; ++j) cells_[cellKey(i, j)].push_back(e);
        }
    }

    const CheckRun& run_;
    double scale_;
    std::vector<std::int32_t> handles_;
    std::vector<Box> boxes_;
    double cell_ = 1.0;
    std::unordered_map<std::uint64_t, std::vector<std::int32_t>> cells_;
    std::vector<std::int32_t> big_;
};

// ---- detection ----

// Whether node i is a corner of no element: one pass over the elements,
// or (plain) a scan per node.
std::vector<bool> UsedNodes(const Declar& d)
{
    std::vector<bool> used(at(d.NodeCount) + 1, false);
    for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[at(e)];
        for (int k = 1; k <= cornersOf(element); ++k) {
            const std::int16_t n = element.Node[at(k)];
            if (n >= 1 && n <= d.NodeCount) used[at(n)] = true;
        }
    }
    return used;
}

bool NodeUsedByScan(const Declar& d, std::int32_t node)
{
    for (std::int32_t e = 1; e <= d.ElementCount; ++e)
        if (hasCorner(d.ElementList[at(e)], node)) return true;
    return false;
}

// Whether some corner of some element has an angle below the limit; a stop
// request sets stopped.
bool FindSmallAngle(const CheckRun& run, bool& stopped)
{
    const Declar& d = run.d;
    const double cosT = limitCosine(NetSettings().AngleLimit());
    run.progressMax(d.ElementCount);
    for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[at(e)];
        const int count = cornersOf(element);
        for (int k = 1; k <= count; ++k) {
            const auto p = at(element.Node[at(k == 1 ? count : k - 1)]);
            const auto c = at(element.Node[at(k)]);
            const auto n = at(element.Node[at(k == count ? 1 : k + 1)]);
            const double xp = d.NodeX[p], yp = d.NodeY[p], xc = d.NodeX[c], yc = d.NodeY[c];
            const double xn = d.NodeX[n], yn = d.NodeY[n];
            const double a = distance(d.NodeX[c], d.NodeY[c], d.NodeX[n], d.NodeY[n]);
            const double cc = distance(d.NodeX[p], d.NodeY[p], d.NodeX[c], d.NodeY[c]);
            if (static_cast<float>(a * cc) == 0.0f) continue;
            const double cosine = ((xp - xc) * (xn - xc) + (yp - yc) * (yn - yc)) / (a * cc);
            if (cosine > cosT) return true;
        }
        if (run.progress(true)) {
            stopped = true;
            return false;
        }
    }
    return false;
}

// Whether two nodes lie closer than MinNodeDistance.
bool FindCloseNodes(const CheckRun& run, bool& stopped)
{
    const Declar& d = run.d;
    const float limit = run.options.MinNodeDistance;
    run.progressMax(d.NodeCount);
    std::unique_ptr<NodeGrid> grid;
    if (!run.plain() && limit > 0.0f) {
        grid = std::make_unique<NodeGrid>(limit);
        for (std::int32_t n = 1; n <= d.NodeCount; ++n)
            grid->Add(static_cast<std::int16_t>(n), d.NodeX[at(n)], d.NodeY[at(n)]);
    }
    for (std::int32_t i = 1; i <= d.NodeCount; ++i) {
        const float xi = d.NodeX[at(i)], yi = d.NodeY[at(i)];
        bool found = false;
        auto close = [&](std::int32_t j) { return j > i && distance(xi, yi, d.NodeX[at(j)], d.NodeY[at(j)]) < limit; };
        if (grid) {
            grid->ForEachAround(xi, yi, limit, [&](std::int16_t j) { found = found || close(j); });
        } else if (limit > 0.0f) {
            for (std::int32_t j = i + 1; j <= d.NodeCount && !found; ++j) found = close(j);
        }
        if (found) return true;
        if (run.progress(true)) {
            stopped = true;
            return false;
        }
    }
    return false;
}

// ---- close-node merge ----

// The nodes the side flags hold in place: corner k of some element with
// bit 1, 2 or 4 on Flag(k), or bit 1 or 4 on the flag of the side arriving
// at it.
std::vector<bool> HeldNodes(const Declar& d)
{
    std::vector<bool> held(at(d.NodeCount) + 1, false);
    for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[at(e)];
        const int count = cornersOf(element);
        for (int k = 1; k <= count; ++k) {
            const std::int32_t own = element.Flag[at(k)];
            const std::int32_t arriving = element.Flag[at(k == 1 ? count : k - 1)];
            const std::int16_t n = element.Node[at(k)];
            if (n < 1 || n > d.NodeCount) continue;
            if ((own & (halvex::OuterSide | halvex::BoundaryNode | halvex::BoundarySide)) != 0 ||
                (arriving & (halvex::OuterSide | halvex::BoundarySide)) != 0)
                held[at(n)] = true;
        }
    }
    return held;
}

class CloseNodeMerge {
public:
    explicit CloseNodeMerge(CheckRun& run) : run_(run), d_(run.d), held_(HeldNodes(run.d))
    {
        if (run.plain()) return;
        elementsAt_.assign(at(d_.NodeCount) + 1, {});
        for (std::int32_t e = 1; e <= d_.ElementCount; ++e) {
            const NetElement& element = d_.ElementList[at(e)];
            for (int k = 1; k <= cornersOf(element); ++k) {
                const std::int16_t n = element.Node[at(k)];
                if (n >= 1 && n <= d_.NodeCount) elementsAt_[at(n)].push_back(e);
            }
        }
        if (run.options.MinNodeDistance > 0.0f) {
            grid_ = std::make_unique<NodeGrid>(run.options.MinNodeDistance);
            for (std::int32_t n = 1; n <= d_.NodeCount; ++n)
                grid_->Add(static_cast<std::int16_t>(n), d_.NodeX[at(n)], d_.NodeY[at(n)]);
        }
    }

    // Step 13; false when the user asked to stop.
    bool Run()
    {
        run_.progressMax(d_.NodeCount);
        for (std::int32_t i = 1; i <= d_.NodeCount; ++i) {
            // A node merged away already is no partner any more.
            if (run_.NodeMarks[at(i)] == 0) {
                for (std::int32_t j = NextClose(i, i); j != 0; j = NextClose(i, j)) Merge(i, j);
            }
            if (run_.progress(true)) return false;
        }
        return true;
    }

private:
    // The lowest unmarked node above `after` closer to node i (where it is
    // now) than MinNodeDistance; 0 when none.
    std::int32_t NextClose(std::int32_t i, std::int32_t after) const
    {
        const float limit = run_.options.MinNodeDistance;
        if (!(limit > 0.0f)) return 0;
        const float xi = d_.NodeX[at(i)], yi = d_.NodeY[at(i)];
        auto close = [&](std::int32_t j) {
            return j > after && run_.NodeMarks[at(j)] == 0 && distance(xi, yi, d_.NodeX[at(j)], d_.NodeY[at(j)]) < limit;
        };
        if (run_.plain()) {
            for (std::int32_t j = after + 1; j <= d_.NodeCount; ++j)
                if (close(j)) return j;
            return 0;
        }
        std::int32_t best = 0;
        grid_->ForEachAround(xi, yi, limit, [&](std::int16_t j) {
            if (close(j) && (best == 0 || j < best)) best = j;
        });
        return best;
    }

    // The elements, not marked for deletion, with node i or j as a corner,
    // ascending.
    std::vector<std::int32_t> ElementsAt(std::int32_t i, std::int32_t j) const
    {
        std::vector<std::int32_t> found;
        if (run_.plain()) {
            for (std::int32_t e = 1; e <= d_.ElementCount; ++e) found.push_back(e);
        } else {
            found = elementsAt_[at(i)];
            found.insert(found.end(), elementsAt_[at(j)].begin(), elementsAt_[at(j)].end());
            std::sort(found.begin(), found.end());
            found.erase(std::unique(found.begin(), found.end()), found.end());
        }
        std::erase_if(found, [&](std::int32_t e) {
            const NetElement& element = d_.ElementList[at(e)];
            return run_.marked(e) || !(hasCorner(element, i) || hasCorner(element, j));
        });
        return found;
    }

    // Merges node j into node i when no element folds; otherwise nothing
    // changes.
    void Merge(std::int32_t i, std::int32_t j)
    {
        std::vector<float>& X = d_.NodeX;
        std::vector<float>& Y = d_.NodeY;
        float px = static_cast<float>((X[at(i)] + X[at(j)]) * 0.5);
        float py = static_cast<float>((Y[at(i)] + Y[at(j)]) * 0.5);
        // A node that keeps the outline or a fixed place stays where it is.
        if (held_[at(i)] != held_[at(j)]) {
            const std::int32_t keep = held_[at(i)] ? i : j;
            px = X[at(keep)];
            py = Y[at(keep)];
        }
        auto before = [&](std::int16_t n) { return std::pair<double, double>(X[at(n)], Y[at(n)]); };
        auto after = [&](std::int16_t n) {
            return n == i || n == j ? std::pair<double, double>(px, py) : before(n);
        };

        struct Change {
            std::int32_t element;
            enum { Delete, Collapse, Rename } kind;
        };
        std::vector<Change> changes;
        for (std::int32_t e : ElementsAt(i, j)) {
            const NetElement& element = d_.ElementList[at(e)];
            const int count = cornersOf(element);
            int ki = 0, kj = 0;
            for (int k = 1; k <= count; ++k) {
                if (element.Node[at(k)] == i) ki = k;
                if (element.Node[at(k)] == j) kj = k;
            }
            if (ki == 0 || kj == 0) {
                if (!KeepsItsShape(element, before, after)) return;
                changes.push_back({e, Change::Rename});
            } else if (count == 4 && (ki % 4 + 1 == kj || kj % 4 + 1 == ki)) {
                const NetElement triangle = Collapsed(element, i, j);
                const int was = ElementTurn(element, X, Y);
                const double turn = Turn(after(triangle.Node[1]), after(triangle.Node[2]), after(triangle.Node[3]));
                if (was == 0 || turn == 0.0 || (turn > 0.0) != (was > 0)) return;
                changes.push_back({e, Change::Collapse});
            } else {
                changes.push_back({e, Change::Delete});  // a triangle, or a quadrilateral with them opposite
            }
        }

        for (const Change& change : changes) {
            NetElement& element = d_.ElementList[at(change.element)];
            if (change.kind == Change::Delete) {
                run_.markElement(change.element);
                continue;
            }
            if (change.kind == Change::Collapse) element = Collapsed(element, i, j);
            for (int k = 1; k <= cornersOf(element); ++k)
                if (element.Node[at(k)] == j) element.Node[at(k)] = static_cast<std::int16_t>(i);
            if (!run_.plain()) elementsAt_[at(i)].push_back(change.element);
        }
        if (grid_) {
            grid_->Remove(static_cast<std::int16_t>(i), X[at(i)], Y[at(i)]);
            grid_->Remove(static_cast<std::int16_t>(j), X[at(j)], Y[at(j)]);
            grid_->Add(static_cast<std::int16_t>(i), px, py);
        }
        X[at(i)] = px;
        Y[at(i)] = py;
        held_[at(i)] = held_[at(i)] || held_[at(j)];
        if (!run_.plain()) {
            auto& list = elementsAt_[at(i)];
            std::sort(list.begin(), list.end());
            list.erase(std::unique(list.begin(), list.end()), list.end());
            elementsAt_[at(j)].clear();
        }
        run_.markNode(j);
    }

    // The quadrilateral with neighbouring corners i and j as the triangle of
    // its other corners: the side between them goes, every other side keeps
    // its flag, and j becomes i.
    static NetElement Collapsed(const NetElement& quad, std::int32_t i, std::int32_t j)
    {
        int gone = 0;  // the corner whose side runs from one of them to the other
        for (int k = 1; k <= 4; ++k) {
            const std::int16_t a = quad.Node[at(k)];
            const std::int16_t b = quad.Node[at(k % 4 + 1)];
            if ((a == i && b == j) || (a == j && b == i)) gone = k;
        }
        NetElement triangle;
        triangle.CornerCount = 3;
        int next = 1;
        for (int k = 1; k <= 4; ++k) {
            if (k == gone) continue;
            const std::int16_t node = quad.Node[at(k)];
            triangle.Node[at(next)] = static_cast<std::int16_t>(node == j ? i : node);
            triangle.Flag[at(next)] = quad.Flag[at(k)];
            ++next;
        }
        return triangle;
    }

    static double Turn(const std::pair<double, double>& a, const std::pair<double, double>& b,
                       const std::pair<double, double>& c)
    {
        return (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
    }

    CheckRun& run_;
    Declar& d_;
    std::vector<bool> held_;
    std::vector<std::vector<std::int32_t>> elementsAt_;
    std::unique_ptr<NodeGrid> grid_;
};

// ---- thin-triangle repair ----

class ThinTriangleRepair {
public:
    explicit ThinTriangleRepair(CheckRun& run) : run_(run), d_(run.d)
    {
        done_.assign(at(d_.ElementCount) + 1, false);
        if (run.plain()) return;
        // Valid through the repair: every element a repair changes is done,
        // and done elements are never looked up again.
        for (std::int32_t e = 1; e <= d_.ElementCount; ++e) {
            if (run.marked(e)) continue;
            const NetElement& element = d_.ElementList[at(e)];
            const int count = cornersOf(element);
            for (int k = 1; k <= count; ++k)
                sides_[sideKey(element.Node[at(k)], element.Node[at(k == count ? 1 : k + 1)])].push_back(e);
        }
    }

    // RepairSmallAngles; false when the user asked to stop.
    bool Run()
    {
        run_.status(TextNo(10232));
        run_.progressMax(d_.ElementCount);
        for (std::int32_t e = 1; e <= d_.ElementCount; ++e) {
            // An element the merge of close nodes deleted stays deleted.
            if (!done_[at(e)] && !run_.marked(e)) {
                double W0 = 0.0;
                const std::int16_t V = CheckElementAngle(d_.ElementList[at(e)], d_.NodeX, d_.NodeY,
                                                         NetSettings().AngleLimit(), W0);
                if (V >= 1 && V <= 3 && !RepairThinTriangle(e, V, W0)) return false;
            }
            if (run_.progress(true)) return false;
        }
        return true;
    }

private:
    // The first neighbour (m, p) across the side A-B: the lowest element m
    // not done, not e and not marked, at its first corner p whose side joins
    // A and B; {0, 0} when there is none.
    std::pair<std::int32_t, int> Neighbour(std::int32_t e, std::int16_t A, std::int16_t B) const
    {
        auto sideAt = [&](std::int32_t m) {
            if (m == e || done_[at(m)] || run_.marked(m)) return 0;
            const NetElement& element = d_.ElementList[at(m)];
            const int count = cornersOf(element);
            for (int p = 1; p <= count; ++p) {
                const std::int16_t a = element.Node[at(p)];
                const std::int16_t b = element.Node[at(p == count ? 1 : p + 1)];
                if ((a == A && b == B) || (a == B && b == A)) return p;
            }
            return 0;
        };
        if (run_.plain()) {
            for (std::int32_t m = 1; m <= d_.ElementCount; ++m)
                if (const int p = sideAt(m)) return {m, p};
            return {0, 0};
        }
        const auto found = sides_.find(sideKey(A, B));
        if (found == sides_.end()) return {0, 0};
        for (std::int32_t m : found->second)
            if (const int p = sideAt(m)) return {m, p};
        return {0, 0};
    }

    // RepairThinTriangle; false when the user asked to stop.
    bool RepairThinTriangle(std::int32_t e, std::int16_t V, double W0)
    {
        NetElement& t = d_.ElementList[at(e)];
        static constexpr int kA[] = {0, 2, 1, 1}, kB[] = {0, 3, 3, 2}, kFB[] = {0, 3, 2, 2}, kFC[] = {0, 1, 1, 3};
        const std::int16_t C = t.Node[at(V)];
        const std::int16_t A = t.Node[at(kA[V])];
        const std::int16_t B = t.Node[at(kB[V])];
        const std::int32_t FB = t.Flag[at(kFB[V])];
        const std::int32_t FC = t.Flag[at(kFC[V])];

        const auto [m, p] = Neighbour(e, A, B);
        if (m == 0) return !run_.progress(false);
        NetElement& n = d_.ElementList[at(m)];
        const int count = cornersOf(n);
        const int q = p == count ? 1 : p + 1;
        const bool pIsB = n.Node[at(p)] == B;
        const int turnE = ElementTurn(t, d_.NodeX, d_.NodeY);
        const int turnM = ElementTurn(n, d_.NodeX, d_.NodeY);

        if (count == 3) {
            NetElement quad;
            quad.CornerCount = 4;
            int next = 1;
            for (int k = 1; k <= 3; ++k) {
                quad.Node[at(next)] = n.Node[at(k)];
                quad.Flag[at(next)] = n.Flag[at(k)];
                ++next;
                if (k == p) {
                    quad.Flag[at(next - 1)] = pIsB ? FB : FC;
                    quad.Node[at(next)] = C;
                    quad.Flag[at(next)] = pIsB ? FC : FB;
                    ++next;
                }
            }
            // Only a quadrilateral that is strictly convex and turns as m did.
            if (!StrictlyConvex(quad, d_.NodeX, d_.NodeY, turnM)) return true;
            run_.markElement(std::max(e, m));
            n = quad;
            t = quad;
            settle(e, m);
            return true;
        }

        const int r = q % 4 + 1;
        const int s = r % 4 + 1;
        const float limit = NetSettings().AngleLimit();
        // Try 1 cuts corner q off m.
        {
            NetElement tri = t;
            tri.Node[1] = C;
            tri.Node[2] = n.Node[at(q)];
            tri.Node[3] = n.Node[at(r)];
            NetElement quad = n;
            quad.Node[at(q)] = C;
            double W1 = 0.0;
            const std::int16_t V1 = CheckElementAngle(tri, d_.NodeX, d_.NodeY, limit, W1);
            if (ElementTurn(tri, d_.NodeX, d_.NodeY) == turnE && StrictlyConvex(quad, d_.NodeX, d_.NodeY, turnM) &&
                (V1 == 0 || W1 <= W0)) {
                tri.Flag[2] = n.Flag[at(q)];
                tri.Flag[3] = kNewDiagonalInTriangle;
                tri.Flag[1] = pIsB ? FC : FB;
                quad.Flag[at(p)] = pIsB ? FB : FC;
                quad.Flag[at(q)] = kNewDiagonalInQuadrilateral;
                t = tri;
                n = quad;
                settle(e, m);
                return true;
            }
        }
        // Try 2 cuts corner p off m.
        NetElement tri = t;
        tri.Node[1] = n.Node[at(p)];
        tri.Node[2] = C;
        tri.Node[3] = n.Node[at(s)];
        NetElement quad = n;
        quad.Node[at(p)] = C;
        double W2 = 0.0;
        const std::int16_t V2 = CheckElementAngle(tri, d_.NodeX, d_.NodeY, limit, W2);
        if (ElementTurn(tri, d_.NodeX, d_.NodeY) != turnE || !StrictlyConvex(quad, d_.NodeX, d_.NodeY, turnM) ||
            (V2 > 0 && W2 > W0))
            return true;
        tri.Flag[1] = pIsB ? FB : FC;
        quad.Flag[at(p)] = pIsB ? FC : FB;
        tri.Flag[2] = kNewDiagonalInTriangle;
        tri.Flag[3] = n.Flag[at(s)];
        quad.Flag[at(s)] = kNewDiagonalInQuadrilateral;
        t = tri;
        n = quad;
        settle(e, m);
        return true;
    }

    void settle(std::int32_t e, std::int32_t m)
    {
        done_[at(e)] = true;
        done_[at(m)] = true;
        done_[0] = true;
    }

    CheckRun& run_;
    Declar& d_;
    std::vector<bool> done_;
    std::unordered_map<std::uint64_t, std::vector<std::int32_t>> sides_;
};

// Step 15: the marked elements go, the others keep their order.
void RemoveMarkedElements(CheckRun& run)
{
    Declar& d = run.d;
    if (run.ElementMarks.empty() || run.ElementMarks[0] != 1) return;
    std::int32_t kept = 0;
    for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
        if (run.marked(e)) continue;
        ++kept;
        if (kept != e) d.ElementList[at(kept)] = d.ElementList[at(e)];
    }
    d.ElementCount = static_cast<std::int16_t>(kept);
    d.ElementList.resize(at(kept) + 1);
}

// True when a stop was asked while the flags were built.
bool RebuildSideFlags(CheckRun& run)
{
    run.d.ElementList.resize(at(run.d.ElementCount) + 1);
    return BuildElementSideFlags(run.d.ElementList, run.window);
}

// A text of the tables with the numbers of its placeholders "|1", "|2", ...
std::string netText(std::int32_t number, std::initializer_list<std::int32_t> values)
{
    std::vector<rt::Variant> replacements;
    std::int32_t place = 0;
    for (std::int32_t value : values) {
        replacements.emplace_back("|" + std::to_string(++place));
        replacements.emplace_back(value);
    }
    return LanguageTexts().GetText(rt::Variant(number), replacements);
}

// Error 9 for a net handed over whose counts pass its lists or whose
// elements name a corner outside the net: nothing of it is read then.
void requireNetWithinItsLists(const Declar& d)
{
    if (d.NodeCount < 0 || d.ElementCount < 0 || d.NodeX.size() <= at(d.NodeCount) ||
        d.NodeY.size() <= at(d.NodeCount) || d.ElementList.size() <= at(d.ElementCount))
        rt::raise(9, netText(TextNo(140395), {d.NodeCount, d.ElementCount}));
    for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
        const NetElement& element = d.ElementList[at(e)];
        for (int k = 1; k <= cornersOf(element); ++k)
            if (element.Node[at(k)] < 1 || element.Node[at(k)] > d.NodeCount)
                rt::raise(9, netText(TextNo(140396), {e, element.Node[at(k)], d.NodeCount}));
    }
}

// The whole check on the project net; returns normally on every way out.
void CheckFENet(drovik::ClsWaitWindow* window)
{
    Declar& d = declar();
    requireNetWithinItsLists(d);
    NetCheck& options = netCheck();
    CheckRun run{d, window, options, options.NodeMarks, {}};
    halvex::ClsValmor& valmor = SharedServices();
    auto text = [](std::int32_t number) { return LanguageTexts().GetText(rt::Variant(number)); };
    auto close = [&] {
        if (window) window->Close();
    };

    // Detection: the first defect of a kind ends its search.
    if (window) window->Title(text(TextNo(10226)));
    std::int16_t found = 0;
    bool stopped = false;
    if (options.CheckForeignNodesFlag) {
        run.status(TextNo(10229));
        {
            ElementRegions regions(run);
            run.progressMax(d.NodeCount);
            for (std::int32_t i = 1; i <= d.NodeCount; ++i) {
                if (run.progress(true)) break;
                bool hit = false;
                regions.ForeignHolders(i, [&](std::int32_t) { return !(hit = true); });
                if (hit) {
                    found |= NodeInForeignElement;
                    break;
                }
            }
        }
        if (run.progress(false)) return;
    }
    if (options.CheckAnglesFlag) {
        run.status(TextNo(10231));
        if (FindSmallAngle(run, stopped)) found |= SmallAngle;
        if (stopped) return;
        run.status(TextNo(10233));
        if (FindCloseNodes(run, stopped)) found |= CloseNodes;
        if (stopped) return;
    }
    run.status(TextNo(10227));
    run.progressMax(d.NodeCount);
    const std::vector<bool> used = options.PlainScans ? std::vector<bool>() : UsedNodes(d);
    for (std::int32_t i = 1; i <= d.NodeCount; ++i) {
        if (!(options.PlainScans ? NodeUsedByScan(d, i) : used[at(i)])) {
            found |= UnusedNode;
            break;
        }
        if (run.progress(true)) return;
    }
    valmor.chooseControl(false);
    if (found == 0) {
        close();
        return;
    }

    // Choice.
    const std::string DefectTexts[5] = {"", text(TextNo(10236)), text(TextNo(10234)), text(TextNo(10237)),
                                        text(TextNo(10238))};
    const std::int16_t kinds[5] = {0, UnusedNode, CloseNodes, SmallAngle, NodeInForeignElement};
    std::vector<std::string> entries;
    for (std::int16_t kind : {UnusedNode, CloseNodes, NodeInForeignElement, SmallAngle}) {
        if ((found & kind) == 0) continue;
        for (int k = 1; k <= 4; ++k)
            if (kinds[k] == kind) entries.push_back(DefectTexts[k]);
    }
    rt::VArray list(rt::VarType::String);
    list.redim(0, static_cast<std::int32_t>(entries.size()));
    for (std::size_t k = 0; k < entries.size(); ++k) list.at(static_cast<std::int32_t>(k + 1)) = rt::Variant(entries[k]);
    rt::VArray chosenList(rt::VarType::String);
    if (window) {
        window->Title(text(TextNo(10071)));
        window->StatusText(text(TextNo(10235)));
    }
    if (valmor.ShowGroupList(text(TextNo(10239)), text(TextNo(10235)), list, chosenList, "0_1")) {
        close();
        return;
    }
    std::int16_t chosen = 0;
    for (std::int32_t c = 1; c <= valmor.UBoundPrivate(chosenList); ++c) {
        const std::string entry = chosenList.at(c).toString();
        for (int k = 1; k <= 4; ++k) {
            if (entry == DefectTexts[k]) {
                chosen |= kinds[k];
                break;
            }
        }
    }
    options.NodeMarks.assign(1, 0);
    if (chosen == 0) {
        close();
        return;
    }

    // Repairs.
    if (window) window->Title(text(TextNo(10071)));
    const bool marksNodes = (chosen & (CloseNodes | UnusedNode | NodeInForeignElement)) != 0;
    if (marksNodes) options.NodeMarks.assign(at(d.NodeCount) + 1, 0);
    if ((chosen & UnusedNode) != 0) {
        run.progressMax(d.NodeCount);
        run.status(TextNo(10228));
        const std::vector<bool> usedNow = options.PlainScans ? std::vector<bool>() : UsedNodes(d);
        for (std::int32_t i = 1; i <= d.NodeCount; ++i) {
            if (!(options.PlainScans ? NodeUsedByScan(d, i) : usedNow[at(i)])) run.markNode(i);
            if (run.progress(true)) {
                options.NodeMarks.assign(1, 0);
                return;
            }
        }
    }
    const bool changesElements = (chosen & (SmallAngle | CloseNodes)) != 0;
    if (changesElements) run.ElementMarks.assign(at(d.ElementCount) + 1, 0);
    bool completed = true;
    if ((chosen & CloseNodes) != 0) {
        run.status(TextNo(10234));
        completed = CloseNodeMerge(run).Run();
    }
    if (completed && (chosen & SmallAngle) != 0) completed = ThinTriangleRepair(run).Run();
    // Also after a stop: no element twice, none collapsed, flags current.
    if (changesElements) {
        RemoveMarkedElements(run);
        if (RebuildSideFlags(run)) completed = false;
    }
    if (!completed) return;

    if ((chosen & NodeInForeignElement) != 0) {
        run.status(TextNo(10230));
        {
            ElementRegions regions(run);
            run.progressMax(d.NodeCount);
            for (std::int32_t i = 1; i <= d.NodeCount; ++i) {
                if (run.progress(true)) break;
                if (options.NodeMarks[at(i)] != 0) continue;
                regions.ForeignHolders(i, [&](std::int32_t) {
                    run.markNode(i);
                    return false;
                });
            }
        }
        if (run.progress(false)) return;
    }
    if (marksNodes) {
        if (options.NodeMarks[0] == 1) {
            NetSettings().TakeNet(d.NodeCount, d.NodeX, d.NodeY, options.NodeMarks, d.ElementCount, d.ElementList);
            RebuildSideFlags(run);
        }
        options.NodeMarks.resize(1);
    }
    close();
}

}  // namespace

NetCheck& netCheck()
{
    static NetCheck check;
    return check;
}

void resetNetCheck() { netCheck() = NetCheck{}; }

void GetTriangleAngles(float x1, float x2, float x3, float y1, float y2, float y3, double& cos1, double& cos2,
                       double& cos3, std::int16_t& longest)
{
    TriangleAngleCosinesQuiet(x1, x2, x3, y1, y2, y3, cos1, cos2, cos3, longest);
}

std::int16_t CheckElementAngle(const NetElement& element, const std::vector<float>& x, const std::vector<float>& y,
                               float angleLimit, double& worst)
{
    if (element.CornerCount != 3) return 0;
    const double cosT = limitCosine(angleLimit);
    double cos1 = 0.0, cos2 = 0.0, cos3 = 0.0;
    std::int16_t longest = 0;
    const auto n1 = at(element.Node[1]), n2 = at(element.Node[2]), n3 = at(element.Node[3]);
    GetTriangleAngles(x[n1], x[n2], x[n3], y[n1], y[n2], y[n3], cos1, cos2, cos3, longest);
    if (!(cos1 > cosT || cos2 > cosT || cos3 > cosT)) return 0;
    worst = std::max(std::max(cos1, cos2), cos3);
    return longest;
}

double RegionScale(const Declar& net)
{
    double shortest = std::numeric_limits<double>::infinity();
    for (std::int32_t e = 1; e <= net.ElementCount; ++e) {
        const NetElement& element = net.ElementList[at(e)];
        const int count = cornersOf(element);
        for (int k = 1; k <= count; ++k) {
            const auto a = at(element.Node[at(k)]);
            const auto b = at(element.Node[at(k == count ? 1 : k + 1)]);
            const double length = distance(net.NodeX[a], net.NodeY[a], net.NodeX[b], net.NodeY[b]);
            if (length > 0.0) shortest = std::min(shortest, length);
        }
    }
    double largest = 0.0;
    for (std::int32_t n = 1; n <= net.NodeCount; ++n)
        largest = std::max({largest, std::fabs(static_cast<double>(net.NodeX[at(n)])),
                            std::fabs(static_cast<double>(net.NodeY[at(n)]))});
    double scale = std::isfinite(shortest) ? 1000.0 / shortest : 1.0;
    if (largest > 0.0) scale = std::min(scale, 1073741824.0 / largest);
    return scale;
}

void ClsRefineWaitMessage::ObjCheckFENet_RunWaitMessage()
{
    const std::shared_ptr<drovik::ClsWaitWindow> window = ObjCheckFENet();
    try {
        CheckFENet(window.get());
    } catch (const forms::MsgBoxError&) {
        throw;  // a message box nobody answers is a fault of a test
    } catch (const std::exception&) {
        HandleError();
    }
}

void RunFENetCheck()
{
    const auto operation = std::make_shared<ClsRefineWaitMessage>();
    const auto window = std::make_shared<drovik::ClsWaitWindow>();
    operation->ObjCheckFENet(window);
    window->Show();
}

}  // namespace orvelo
