#include "orvelo/project/open_project.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>
#include <numeric>
#include <tuple>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"
#include "orvelo/model/net_scale.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/net_files.h"
#include "orvelo/project/services.h"
#include "orvelo/project/slab_shape.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace orvelo {

namespace {

void stopRun() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

// The header of the file of the last successful check into the header
// globals; the reader's failure number, 0 when it was read.
std::int16_t readHeaderInto(Declar& d) {
    std::int16_t failed = 0;
    ProjectReader().ReadProjectHeader(
        d.SymmetryKind, d.AnalysisMethod, d.HeaderOption1, d.HeaderOption2, d.HeaderOption3,
        d.HeaderOption4, d.HeaderOption5, d.HeaderOption6, d.HeaderOption7, d.HeaderOption8,
        d.HeaderOption9, d.HeaderOption10, d.HeaderOption11, d.HeaderOption12,
        d.HeaderOption13, -1, failed);
    return failed;
}

// The extent of the project's outline, openings and grid: x and y from
// and to; empty (from above to) without an outline.
struct Extent {
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    void include(double x, double y) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    void include(const OutlinePiece& piece) {
        include(piece.X1, piece.Y1);
        include(piece.X2, piece.Y2);
        if (!piece.IsArc) return;
        const double r = std::hypot(static_cast<double>(piece.X1) - piece.XC, static_cast<double>(piece.Y1) - piece.YC);
        include(piece.XC - r, piece.YC - r);
        include(piece.XC + r, piece.YC + r);
    }
};

Extent projectExtent(const Declar& d) {
    Extent extent;
    if (d.OutlinePieceCount < 1) return extent;
    for (std::size_t k = 1; k <= static_cast<std::size_t>(d.OutlinePieceCount) && k < d.OutlinePieces.size(); ++k)
        extent.include(d.OutlinePieces[k]);
    for (std::size_t s = 1; s <= static_cast<std::size_t>(std::max<std::int16_t>(d.OpeningCount, 0)) &&
                            s < d.OpeningPieces.size() && s < d.OpeningPieceCount.size();
         ++s)
        for (std::size_t k = 1; k <= static_cast<std::size_t>(std::max<std::int16_t>(d.OpeningPieceCount[s], 0)) &&
                                k < d.OpeningPieces[s].size();
             ++k)
            extent.include(d.OpeningPieces[s][k]);
    for (std::size_t i = 1; i < d.GridX.size(); ++i) extent.include(d.GridX[i], extent.y0);
    for (std::size_t i = 1; i < d.GridY.size(); ++i) extent.include(extent.x0, d.GridY[i]);
    return extent;
}

[[noreturn]] void netFault(const std::string& path, std::int32_t textNo, std::vector<rt::Variant> pairs) {
    raiseReadError(rt::RuntimeError(9, FileFaultText(textNo, std::move(pairs))), path);
}

// Whether side k of a quadrilateral crosses the side opposite it (a bow-tie,
// part of which runs clockwise whatever its whole area).
bool sidesCross(const ProjectNet& net, const NetElement& element, int k) {
    auto corner = [&](int j) {
        const std::size_t n = static_cast<std::size_t>(element.Node[(j - 1) % 4 + 1]);
        return std::pair<double, double>(net.NodeX[n], net.NodeY[n]);
    };
    auto turn = [](std::pair<double, double> a, std::pair<double, double> b, std::pair<double, double> c) {
        const double t = (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
        return t > 0.0 ? 1 : t < 0.0 ? -1 : 0;
    };
    const auto a = corner(k), b = corner(k + 1), c = corner(k + 2), d = corner(k + 3);
    return turn(a, b, c) * turn(a, b, d) < 0 && turn(c, d, a) * turn(c, d, b) < 0;
}

// Refuses a net one of whose elements has the corners of an element before
// it (in any order): the first such element is named with the one it
// repeats.
void checkRepeatedElements(const ProjectNet& net, const std::string& path) {
    const std::size_t count = static_cast<std::size_t>(std::max<std::int16_t>(net.ElementCount, 0));
    std::vector<std::pair<std::array<std::int16_t, 4>, std::size_t>> corners;
    corners.reserve(count);
    for (std::size_t e = 1; e <= count; ++e) {
        std::array<std::int16_t, 4> set{};
        const NetElement& element = net.ElementList[e];
        for (int k = 1; k <= std::min(element.CornerCount, 4); ++k) set[static_cast<std::size_t>(k - 1)] = element.Node[static_cast<std::size_t>(k)];
        std::sort(set.begin(), set.end());
        corners.emplace_back(set, e);
    }
    std::sort(corners.begin(), corners.end());
    std::pair<std::size_t, std::size_t> first{0, 0};  // the repeating element, the one it repeats
    for (std::size_t i = 1; i < corners.size(); ++i)
        if (corners[i].first == corners[i - 1].first) {
            // Sorted by element within equal corners: the group's first is
            // the one repeated, the next one the first to repeat it.
            std::size_t start = i - 1;
            while (start > 0 && corners[start - 1].first == corners[i].first) --start;
            if (start != i - 1) continue;
            if (first.first == 0 || corners[i].second < first.first) first = {corners[i].second, corners[start].second};
        }
    if (first.first != 0)
        netFault(path, 190284, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(first.first)), rt::Variant("|3"),
                                rt::Variant(static_cast<std::int32_t>(first.second))});
}

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// Refuses a net whose elements overlap where they meet: two elements that
// run along a side in the same direction lie on one side of it. The first
// element that does so with an element before it is named with that
// element and the side.
void checkOverlappingElements(const ProjectNet& net, const std::string& path) {
    // Each side as one sortable key: its first node, its second node, its
    // element (node numbers 1..32767 fit 16 bits, element numbers too).
    std::vector<std::uint64_t> sides;
    auto node = [](std::int16_t n) { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(n)); };
    for (std::size_t e = 1; e <= static_cast<std::size_t>(net.ElementCount); ++e) {
        const NetElement& element = net.ElementList[e];
        for (int k = 1; k <= element.CornerCount; ++k)
            sides.push_back(node(element.Node[static_cast<std::size_t>(k)]) << 48 |
                            node(element.Node[static_cast<std::size_t>(k == element.CornerCount ? 1 : k + 1)]) << 32 | e);
    }
    std::sort(sides.begin(), sides.end());
    std::uint64_t first = 0, earlier = 0;  // the later element of the first pair, the element before it
    for (std::size_t i = 1; i < sides.size(); ++i)
        if (sides[i] >> 32 == sides[i - 1] >> 32 && (first == 0 || (sides[i] & 0xFFFFFFFFu) < (first & 0xFFFFFFFFu))) {
            std::size_t start = i - 1;
            while (start > 0 && sides[start - 1] >> 32 == sides[i] >> 32) --start;
            first = sides[i], earlier = sides[start];
        }
    if (first != 0)
        netFault(path, 190288, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(first & 0xFFFFFFFFu)), rt::Variant("|3"),
                                rt::Variant(static_cast<std::int32_t>(earlier & 0xFFFFFFFFu)), rt::Variant("|4"),
                                rt::Variant(static_cast<std::int16_t>(first >> 48)), rt::Variant("|5"),
                                rt::Variant(static_cast<std::int16_t>(first >> 32 & 0xFFFFu))});
}

// The nodes of the net's border: those of sides that one element alone
// has.
std::vector<std::size_t> borderNodes(const ProjectNet& net) {
    std::vector<std::uint32_t> sides;  // lower node, higher node
    for (std::size_t e = 1; e <= static_cast<std::size_t>(net.ElementCount); ++e) {
        const NetElement& element = net.ElementList[e];
        for (int k = 1; k <= element.CornerCount; ++k) {
            const auto a = static_cast<std::uint16_t>(element.Node[static_cast<std::size_t>(k)]);
            const auto b = static_cast<std::uint16_t>(element.Node[static_cast<std::size_t>(k == element.CornerCount ? 1 : k + 1)]);
            sides.push_back(static_cast<std::uint32_t>(std::min(a, b)) << 16 | std::max(a, b));
        }
    }
    std::sort(sides.begin(), sides.end());
    std::vector<bool> onBorder(static_cast<std::size_t>(std::max<std::int16_t>(net.NodeCount, 0)) + 1, false);
    for (std::size_t i = 0; i < sides.size();) {
        std::size_t j = i + 1;
        while (j < sides.size() && sides[j] == sides[i]) ++j;
        if (j - i == 1) onBorder[sides[i] >> 16] = onBorder[sides[i] & 0xFFFFu] = true;
        i = j;
    }
    std::vector<std::size_t> border;
    for (std::size_t n = 1; n < onBorder.size(); ++n)
        if (onBorder[n]) border.push_back(n);
    return border;
}

// Refuses a net that does not lie in the slab of the outline and openings
// read with it (when they close; arcs followed by the net's chords): the
// first node, then the first element (by its centroid) lying outside the
// slab by more than the net's coincidence tolerance, then a net whose
// elements cover more than the slab beyond the tolerance along the border.
// A net may cover less: a grid-based net leaves slivers and cells of the
// slab uncovered.
void checkAgainstOutline(const ProjectNet& net, const Declar& d, const std::string& path) {
    if (net.NodeCount < 1) return;
    const double tol = NetCoincidenceTolerance(net.NodeX, net.NodeY, net.NodeCount);
    const SlabShape slab(d, tol, net.NodeX, net.NodeY, borderNodes(net));
    if (!slab.Closed()) return;
    const std::string outlinePath = rt::projectFilePath(d.CurrentDataDir, d.CurrentProjectName, "PL8");
    for (std::size_t n = 1; n <= static_cast<std::size_t>(net.NodeCount); ++n)
        if (slab.Outside(net.NodeX[n], net.NodeY[n]))
            netFault(path, 190286, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(n)), rt::Variant("|3"), rt::Variant(net.NodeX[n]),
                                    rt::Variant("|4"), rt::Variant(net.NodeY[n]), rt::Variant("|5"), rt::Variant(outlinePath),
                                    rt::Variant("|6"), rt::Variant(shortNumber(tol))});
    double covered = 0.0;
    for (std::size_t e = 1; e <= static_cast<std::size_t>(net.ElementCount); ++e) {
        const NetElement& element = net.ElementList[e];
        double cx = 0.0, cy = 0.0, twiceArea = 0.0;
        for (int k = 1; k <= element.CornerCount; ++k) {
            const std::size_t a = static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k)]);
            const std::size_t b = static_cast<std::size_t>(element.Node[static_cast<std::size_t>(k == element.CornerCount ? 1 : k + 1)]);
            cx += net.NodeX[a] / static_cast<double>(element.CornerCount);
            cy += net.NodeY[a] / static_cast<double>(element.CornerCount);
            twiceArea += static_cast<double>(net.NodeX[a]) * net.NodeY[b] - static_cast<double>(net.NodeX[b]) * net.NodeY[a];
        }
        covered += twiceArea / 2.0;
        if (slab.Outside(cx, cy))
            netFault(path, 190287, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(e)), rt::Variant("|3"), rt::Variant(outlinePath)});
    }
    if (slab.CoveredBeyond(covered))
        netFault(path, 190285, {rt::Variant("|2"), rt::Variant(shortNumber(covered)), rt::Variant("|3"), rt::Variant(outlinePath),
                                rt::Variant("|4"), rt::Variant(shortNumber(slab.Area()))});
}

}  // namespace

// Two nodes are at one place when closer than a millionth of the net's size
// in both coordinates; a quadrilateral whose opposite sides cross runs
// clockwise in part.
void CheckNetGeometry(const ProjectNet& net, const Declar& d, const std::string& path) {
    const std::size_t count = static_cast<std::size_t>(net.NodeCount);
    const Extent extent = projectExtent(d);
    if (extent.x0 <= extent.x1) {
        const double margin = std::max(extent.x1 - extent.x0, extent.y1 - extent.y0) / 2.0;
        for (std::size_t n = 1; n <= count; ++n) {
            const double x = net.NodeX[n], y = net.NodeY[n];
            if (!(x >= extent.x0 - margin && x <= extent.x1 + margin && y >= extent.y0 - margin && y <= extent.y1 + margin))
                netFault(path, 190146, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(n)), rt::Variant("|3"),
                                        rt::Variant(net.NodeX[n]), rt::Variant("|4"), rt::Variant(net.NodeY[n])});
        }
    }
    Extent nodes;
    for (std::size_t n = 1; n <= count; ++n) nodes.include(net.NodeX[n], net.NodeY[n]);
    const double tol = 1e-6 * std::max(nodes.x1 - nodes.x0, nodes.y1 - nodes.y0);
    std::vector<std::size_t> byX(count);
    std::iota(byX.begin(), byX.end(), std::size_t{1});
    std::sort(byX.begin(), byX.end(), [&](std::size_t a, std::size_t b) { return net.NodeX[a] < net.NodeX[b]; });
    std::pair<std::size_t, std::size_t> first{0, 0};
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = i + 1; j < count && net.NodeX[byX[j]] - static_cast<double>(net.NodeX[byX[i]]) <= tol; ++j)
            if (std::fabs(static_cast<double>(net.NodeY[byX[j]]) - net.NodeY[byX[i]]) <= tol) {
                const std::pair<std::size_t, std::size_t> pair{std::min(byX[i], byX[j]), std::max(byX[i], byX[j])};
                if (first.first == 0 || pair < first) first = pair;
            }
    if (first.first != 0)
        netFault(path, 190147, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(first.first)), rt::Variant("|3"),
                                rt::Variant(static_cast<std::int32_t>(first.second))});
    for (std::size_t e = 1; e <= static_cast<std::size_t>(net.ElementCount); ++e) {
        const NetElement& element = net.ElementList[e];
        double twiceArea = 0.0;
        for (int k = 1; k <= element.CornerCount; ++k) {
            const std::size_t a = static_cast<std::size_t>(element.Node[k]);
            const std::size_t b = static_cast<std::size_t>(element.Node[k == element.CornerCount ? 1 : k + 1]);
            for (int j = k + 1; j <= element.CornerCount; ++j)
                if (element.Node[j] == element.Node[k])
                    netFault(path, 190148, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(e)), rt::Variant("|3"),
                                            rt::Variant(element.Node[k])});
            twiceArea += static_cast<double>(net.NodeX[a]) * net.NodeY[b] - static_cast<double>(net.NodeX[b]) * net.NodeY[a];
        }
        if (!(twiceArea > 0.0) || (element.CornerCount == 4 && (sidesCross(net, element, 1) || sidesCross(net, element, 2))))
            netFault(path, 190149, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(e))});
    }
    checkRepeatedElements(net, path);
    checkOverlappingElements(net, path);
    checkAgainstOutline(net, d, path);
}

void OpenSourceProject() {
    Declar& d = declar();
    halvex::ClsValmor& services = SharedServices();
    try {
        std::int16_t failed = 0;
        ProjectReader().CheckProjectFile(d.ProjectPath, failed);
        if (failed != 0) {
            services.Prod(d.ProjectPath);
            raiseReadError(failed, d.ProjectPath);
        }
        services.Prod(rt::projectFilePath(d.DataDir, d.ProjectName, "PO1"));
        failed = readHeaderInto(d);
        if (failed != 0) {
            d.ProjectName.clear();
            raiseReadError(failed, services.Prod());
        }
        d.SystemKind = 0;
        forms::screen().MousePointer(11);
        d.CopyFilesFlag = !(d.SystemKind >= 10 && d.SystemKind <= 12);

        // Nothing of an earlier project stays: a project without a net (or
        // whose net does not load) has none.
        d.CurrentDataDir = d.DataDir;
        d.CurrentProjectName = d.ProjectName;
        clearNetAndBoundary(d);
        d.SourceNet = ProjectNet{};
        d.SourceNetLoaded = false;
        NetSettings() = drovik::ClsNetSettings{};

        services.Prod(d.DataDir + d.ProjectName + ".PL6");
        if (!rt::findFileCaseInsensitive(services.Prod()).empty()) {
            if (!LoadNet()) stopRun();
        }
    } catch (const rt::RuntimeError&) {
        HandleError();
        stopRun();
    }
}

bool LoadNet() {
    Declar& d = declar();
    halvex::ClsValmor& services = SharedServices();
    try {
        const std::string prefix = d.CurrentDataDir + d.CurrentProjectName;
        ProjectNet net;
        std::int16_t failed = 0;
        ProjectReader().ReadNetFile(prefix, net.ElementCount, net.ElementList, net.NodeCount,
                                    net.NodeX, net.NodeY, 0, nullptr, failed);
        const std::string path = rt::projectFilePath(d.CurrentDataDir, d.CurrentProjectName, "PL6");
        if (failed != 0) {
            services.Prod(path);
            const std::int32_t pastLimit = ProjectReader().CountPastLimit();
            if (pastLimit > 0)
                raiseReadError(rt::RuntimeError(6, FileFaultText(190142, {rt::Variant("|2"), rt::Variant(pastLimit)})), path);
            raiseReadError(failed, services.Prod());
        }
        if (!ReadNetBoundaryFile(prefix)) return false;
        CheckNetGeometry(net, d, path);
        d.SourceNet = net;
        d.SourceNetLoaded = true;
        setProjectNet(d, std::move(net));
        forms::screen().MousePointer(0);
        return true;
    } catch (const rt::RuntimeError&) {
        HandleError();
        return false;
    }
}

std::int16_t OpenProjectHeader(const std::string& name) {
    Declar& d = declar();
    const std::string path = d.DataDir + name + ".PO1";
    std::int16_t failed = 0;
    ProjectReader().CheckProjectFile(path, failed);
    if (failed != 0) return -1;
    SharedServices().Prod(path);
    if (readHeaderInto(d) != 0) return -1;
    d.HasPointSprings = d.HeaderOption5 == 1;
    d.HasPrescribedDofs = d.HeaderOption6 == 1;
    d.HasBeams = d.HeaderOption7 == 1;
    d.HasPiles = d.HeaderOption13 == 1;
    return 0;
}

}  // namespace orvelo
