#include "orvelo/project/boring_layout.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

constexpr std::int16_t kOpposite = -1;
constexpr float kParallelCorner = -9999.0f;

// Entry i of a 1-based list whose length the layout does not control
// (stored numbers, caller-sized arrays): error 9 outside the list.
template <class T>
T& entry(std::vector<T>& list, long long i) {
    if (i < 0 || i >= static_cast<long long>(list.size())) rt::raise(9);
    return list[static_cast<std::size_t>(i)];
}

template <class T>
void growTo(std::vector<T>& list, long long size, const T& value = T{}) {
    if (static_cast<long long>(list.size()) < size) list.resize(static_cast<std::size_t>(size), value);
}

// A Single result of the layout: error 6 when it overflowed.
float checkedSingle(float value) {
    if (!std::isfinite(value)) rt::raise(6);
    return value;
}

void showStatus(std::int32_t textNo) {
    if (drovik::ClsWaitWindow* window = OperationWaitWindow())
        window->StatusText(LanguageTexts().GetText(textNo));
}

// A boring number of the stored triangles and strips: 1..K, else error 9.
std::int16_t checkedBoring(std::int16_t boring, std::int16_t boringCount) {
    if (boring < 1 || boring > boringCount) rt::raise(9);
    return boring;
}

// A line through a point with its direction (u, v) for OppositeSideTest.
struct Line {
    float x, y, u, v;
};

Line alongLine(float x, float y, float dirY, float dirX) { return {x, y, dirX, dirY}; }
Line acrossLine(float x, float y, float dirY, float dirX) { return {x, y, dirY, -dirX}; }

bool opposite(const Line& line, float px, float py, float rx, float ry) {
    return OppositeSideTest(line.x, line.y, line.u, line.v, px, py, rx, ry, 0) == kOpposite;
}

// The layout of one run: the module data, the net and the transformed node
// positions.
class LayoutRun {
public:
    LayoutRun(BoringData& data, const Declar& net) : b_(data), net_(net) {}

    // Steps 3 to 13; false when two borings of an edge, stored triangle or
    // strip lie at one position (the message has been shown).
    bool run();

private:
    bool edgeLayout();
    void polygonLayout();
    bool polygonBands();
    void straightLineLayout();
    void dividingLines();
    void cells();
    void cellCorners();
    bool storedRegions();
    void rebuildConstantNodes();

    float bx(int k) const { return b_.BoringX[static_cast<std::size_t>(k)]; }
    float by(int k) const { return b_.BoringY[static_cast<std::size_t>(k)]; }

    BoringData& b_;
    const Declar& net_;
    int k_ = 0;  // K
    int n_ = 0;  // N
    std::vector<float> tx_, ty_;
    // Slope and intercept of each dividing line (y = s x + c), and whether
    // it is vertical.
    std::vector<float> slope_, intercept_;
    std::vector<bool> vertical_;
};

bool LayoutRun::run() {
    k_ = b_.BoringCount;
    n_ = std::max<int>(net_.NodeCount, 0);
    if (static_cast<int>(b_.BoringX.size()) <= k_ || static_cast<int>(b_.BoringY.size()) <= k_)
        rt::raise(9);

    // Every node starts from the default assignment; entries of an earlier
    // net are never left standing.
    const std::string constant(kRegionConstant);
    growTo(b_.NodeLayoutRegion, n_ + 1);
    growTo(b_.NodeLayoutKind, n_ + 1);
    growTo(b_.NodeCellBoring, n_ + 1);
    growTo(b_.NodeRegion, n_ + 1);
    growTo(b_.NodeRegionKind, n_ + 1);
    for (int i = 1; i <= n_; ++i) {
        b_.NodeLayoutRegion[i] = 1;
        b_.NodeLayoutKind[i] = constant;
        b_.NodeCellBoring[i] = 1;
        b_.NodeRegion[i] = 1;
        b_.NodeRegionKind[i] = constant;
    }
    growTo(b_.EdgeDirY, k_ + 1);
    growTo(b_.EdgeDirX, k_ + 1);
    growTo(b_.EdgeOuterX, 2 * k_ + 1);
    growTo(b_.EdgeOuterY, 2 * k_ + 1);

    // Step 3: the nodes in the system of the borings.
    if (static_cast<int>(net_.NodeX.size()) <= n_ || static_cast<int>(net_.NodeY.size()) <= n_)
        rt::raise(9);
    tx_.assign(static_cast<std::size_t>(n_) + 1, 0.0f);
    ty_.assign(static_cast<std::size_t>(n_) + 1, 0.0f);
    const drovik::ClsGeometryHelper& geometry = GeometryHelper();
    for (int i = 1; i <= n_; ++i) geometry.TransformPoint(net_.NodeX[i], net_.NodeY[i], tx_[i], ty_[i]);

    if (!edgeLayout()) return false;
    dividingLines();
    cells();
    cellCorners();
    if (!storedRegions()) return false;
    rebuildConstantNodes();
    return true;
}

// Steps 4 to 7.
bool LayoutRun::edgeLayout() {
    for (int k = 1; k <= k_ - 1; ++k) {
        if (UnitDirection(bx(k), by(k), bx(k + 1), by(k + 1), b_.EdgeDirY[k], b_.EdgeDirX[k]) != 0)
            return false;
    }
    // Step 5: on one line when every edge has the direction of the first,
    // compared exactly; a line whose order turns back changes direction.
    bool oneLine = true;
    for (int k = 2; k <= k_ - 1; ++k) {
        if (b_.EdgeDirY[k] != b_.EdgeDirY[1] || b_.EdgeDirX[k] != b_.EdgeDirX[1]) {
            oneLine = false;
            break;
        }
    }
    if (oneLine) {
        straightLineLayout();
        return true;
    }
    polygonLayout();
    return polygonBands();
}

// Step 6.1: the strip triangles of three consecutive borings.
void LayoutRun::polygonLayout() {
    const drovik::ClsPointListTools& tools = PointListTools();
    std::vector<float> cornerX(4), cornerY(4);
    std::vector<std::int16_t> work(4);
    const std::string triangle(kRegionTriangle);
    for (int j = 1; j <= k_ - 2; ++j) {
        for (int c = 1; c <= 3; ++c) {
            cornerX[c] = bx(j + c - 1);
            cornerY[c] = by(j + c - 1);
        }
        tools.LayoutLines(3, cornerX, cornerY, work);
        for (int i = 1; i <= n_; ++i) {
            std::int16_t inside = 0;
            tools.PointInPolygon(3, cornerX, cornerY, tx_[i], ty_[i], inside);
            if (inside != 0) {
                b_.NodeLayoutRegion[i] = static_cast<std::int16_t>(j);
                b_.NodeLayoutKind[i] = triangle;
            }
        }
    }
}

// Steps 6.2 and 6.3: the bands outside the edges of the closed polygon, then
// the wedges outside its corners.
bool LayoutRun::polygonBands() {
    const std::string linear(kRegionLinear);
    const std::string constant(kRegionConstant);
    for (int k = 1; k <= k_; ++k) {
        const int next = k == k_ ? 1 : k + 1;
        if (UnitDirection(bx(k), by(k), bx(next), by(next), b_.EdgeDirY[k], b_.EdgeDirX[k]) != 0)
            return false;
        const float dirY = b_.EdgeDirY[k];
        const float dirX = b_.EdgeDirX[k];
        // The reference lies inside the polygon: boring 3 for the first
        // edge, boring K - 1 for the last, boring 1 for the others.
        const int ref = k == 1 ? 3 : (k == k_ ? k_ - 1 : 1);
        OuterPointAcrossExtent(bx(k), by(k), bx(k), by(k), dirY, dirX, bx(ref), by(ref),
                               b_.EdgeOuterX[2 * k - 1], b_.EdgeOuterY[2 * k - 1]);
        OuterPointAcrossExtent(bx(next), by(next), bx(k), by(k), dirY, dirX, bx(ref), by(ref),
                               b_.EdgeOuterX[2 * k], b_.EdgeOuterY[2 * k]);

        const Line edge = alongLine(bx(k), by(k), dirY, dirX);
        const Line startAcross = acrossLine(bx(k), by(k), dirY, dirX);
        const Line endAcross = acrossLine(bx(next), by(next), dirY, dirX);
        const float endOuterX = b_.EdgeOuterX[2 * k], endOuterY = b_.EdgeOuterY[2 * k];
        const float startOuterX = b_.EdgeOuterX[2 * k - 1], startOuterY = b_.EdgeOuterY[2 * k - 1];
        for (int i = 1; i <= n_; ++i) {
            if (opposite(edge, tx_[i], ty_[i], endOuterX, endOuterY)) continue;
            if (opposite(startAcross, tx_[i], ty_[i], endOuterX, endOuterY)) continue;
            if (opposite(endAcross, tx_[i], ty_[i], startOuterX, startOuterY)) continue;
            b_.NodeLayoutRegion[i] = static_cast<std::int16_t>(k);
            b_.NodeLayoutKind[i] = linear;
        }
    }
    for (int k = 1; k <= k_; ++k) {
        const int prev = k == 1 ? k_ : k - 1;
        const Line prevAcross = acrossLine(bx(k), by(k), b_.EdgeDirY[prev], b_.EdgeDirX[prev]);
        const Line ownAcross = acrossLine(bx(k), by(k), b_.EdgeDirY[k], b_.EdgeDirX[k]);
        const float ownOuterX = b_.EdgeOuterX[2 * k - 1], ownOuterY = b_.EdgeOuterY[2 * k - 1];
        const float prevOuterX = b_.EdgeOuterX[2 * prev], prevOuterY = b_.EdgeOuterY[2 * prev];
        for (int i = 1; i <= n_; ++i) {
            if (opposite(prevAcross, tx_[i], ty_[i], ownOuterX, ownOuterY)) continue;
            if (opposite(ownAcross, tx_[i], ty_[i], prevOuterX, prevOuterY)) continue;
            b_.NodeLayoutRegion[i] = static_cast<std::int16_t>(k);
            b_.NodeLayoutKind[i] = constant;
        }
    }
    return true;
}

// Step 7: borings on one line: bands between neighbours, then one boring
// alone beyond each end. The edge outer points are not used.
void LayoutRun::straightLineLayout() {
    const std::string linear(kRegionLinear);
    const std::string constant(kRegionConstant);
    for (int k = 1; k <= k_ - 1; ++k) {
        const Line startAcross = acrossLine(bx(k), by(k), b_.EdgeDirY[k], b_.EdgeDirX[k]);
        const Line endAcross = acrossLine(bx(k + 1), by(k + 1), b_.EdgeDirY[k], b_.EdgeDirX[k]);
        for (int i = 1; i <= n_; ++i) {
            if (opposite(startAcross, tx_[i], ty_[i], bx(k + 1), by(k + 1))) continue;
            if (opposite(endAcross, tx_[i], ty_[i], bx(k), by(k))) continue;
            b_.NodeLayoutRegion[i] = static_cast<std::int16_t>(k);
            b_.NodeLayoutKind[i] = linear;
        }
    }
    const Line firstEnd = acrossLine(bx(1), by(1), b_.EdgeDirY[1], b_.EdgeDirX[1]);
    const Line lastEnd = acrossLine(bx(k_), by(k_), b_.EdgeDirY[k_ - 1], b_.EdgeDirX[k_ - 1]);
    for (int i = 1; i <= n_; ++i) {
        if (opposite(firstEnd, tx_[i], ty_[i], bx(2), by(2))) {
            b_.NodeLayoutRegion[i] = 1;
            b_.NodeLayoutKind[i] = constant;
        }
        if (opposite(lastEnd, tx_[i], ty_[i], bx(k_ - 1), by(k_ - 1))) {
            b_.NodeLayoutRegion[i] = static_cast<std::int16_t>(k_);
            b_.NodeLayoutKind[i] = constant;
        }
    }
}

// Steps 8 and 10: the perpendicular bisectors of the neighbour pairs
// (k, k + 1), then of the pairs (1, j + 2).
void LayoutRun::dividingLines() {
    const int lineCount = 2 * k_ - 3;
    const auto lines = static_cast<std::size_t>(lineCount + 1);
    b_.DividingMidX.assign(lines, 0.0f);
    b_.DividingMidY.assign(lines, 0.0f);
    b_.DividingNormalX.assign(lines, 0.0f);
    b_.DividingNormalY.assign(lines, 0.0f);
    b_.CellCornerX.assign(static_cast<std::size_t>(k_) + 3, 0.0f);
    b_.CellCornerY.assign(static_cast<std::size_t>(k_) + 3, 0.0f);
    b_.BoringLineCount.assign(static_cast<std::size_t>(k_) + 1, 0);
    b_.BoringLineTable.assign(static_cast<std::size_t>(k_) + 2,
                              std::vector<std::int16_t>(static_cast<std::size_t>(k_) + 2, 0));
    slope_.assign(lines, 0.0f);
    intercept_.assign(lines, 0.0f);
    vertical_.assign(lines, false);

    auto addLine = [this](int line, int a, int b) {
        const auto l = static_cast<std::size_t>(line);
        ++b_.BoringLineCount[a];
        ++b_.BoringLineCount[b];
        b_.DividingMidX[l] = (bx(b) + bx(a)) / 2.0f;
        b_.DividingMidY[l] = (by(b) + by(a)) / 2.0f;
        if (by(a) == by(b)) {
            vertical_[l] = true;
            b_.DividingNormalX[l] = -1.0f;
            b_.DividingNormalY[l] = 0.0f;
            slope_[l] = 0.0f;
        } else {
            const float s = checkedSingle((bx(b) - bx(a)) / (by(a) - by(b)));
            slope_[l] = s;
            b_.DividingNormalY[l] = 1.0f / std::sqrt(checkedSingle(s * s) + 1.0f);
            b_.DividingNormalX[l] = -s * b_.DividingNormalY[l];
        }
        b_.BoringLineTable[a][b_.BoringLineCount[a]] = static_cast<std::int16_t>(line);
        b_.BoringLineTable[b][b_.BoringLineCount[b]] = static_cast<std::int16_t>(line);
    };
    for (int k = 1; k <= k_ - 1; ++k) addLine(k, k, k + 1);
    for (int j = 1; j <= k_ - 2; ++j) addLine(k_ - 1 + j, 1, j + 2);
    b_.DividingLineCount = static_cast<std::int16_t>(lineCount);

    for (int l = 1; l <= lineCount; ++l)
        intercept_[l] = checkedSingle(b_.DividingMidY[l] - slope_[l] * b_.DividingMidX[l]);
}

// Step 9: a node lies in the cell of boring k when it is on the boring's
// side of every dividing line of the boring (a side value of exactly 0
// counts as side 2); later borings win.
void LayoutRun::cells() {
    auto side = [this](int line, float x, float y) {
        const float value = (x - b_.DividingMidX[line]) * b_.DividingNormalX[line] +
                            (y - b_.DividingMidY[line]) * b_.DividingNormalY[line];
        return value > 0.0f ? 1 : 2;
    };
    for (int k = 1; k <= k_; ++k) {
        const int count = b_.BoringLineCount[k];
        std::vector<int> boringSide(static_cast<std::size_t>(count) + 1);
        for (int m = 1; m <= count; ++m) boringSide[m] = side(b_.BoringLineTable[k][m], bx(k), by(k));
        for (int i = 1; i <= n_; ++i) {
            bool inCell = true;
            for (int m = 1; m <= count; ++m) {
                if (side(b_.BoringLineTable[k][m], tx_[i], ty_[i]) != boringSide[m]) {
                    inCell = false;
                    break;
                }
            }
            if (inCell) b_.NodeCellBoring[i] = static_cast<std::int16_t>(k);
        }
    }
}

// Step 11: the corners of the cell of boring 1, where its consecutive
// dividing lines meet.
void LayoutRun::cellCorners() {
    for (int m = 1; m <= b_.BoringLineCount[1] - 1; ++m) {
        const int l1 = b_.BoringLineTable[1][m];
        const int l2 = b_.BoringLineTable[1][m + 1];
        float x = 0.0f, y = 0.0f;
        if ((vertical_[l1] && vertical_[l2]) ||
            (!vertical_[l1] && !vertical_[l2] && slope_[l1] == slope_[l2])) {
            x = kParallelCorner;
            y = kParallelCorner;
        } else if (vertical_[l1]) {
            x = b_.DividingMidX[l1];
            y = checkedSingle(slope_[l2] * x + intercept_[l2]);
        } else if (vertical_[l2]) {
            x = b_.DividingMidX[l2];
            y = checkedSingle(slope_[l1] * x + intercept_[l1]);
        } else {
            x = checkedSingle(-(intercept_[l1] - intercept_[l2]) / (slope_[l1] - slope_[l2]));
            y = checkedSingle(slope_[l1] * x + intercept_[l1]);
        }
        b_.CellCornerX[m] = x;
        b_.CellCornerY[m] = y;
    }
}

// Step 12: the constant-node list, then the stored triangles, then the
// stored strips.
bool LayoutRun::storedRegions() {
    const std::string constant(kRegionConstant);
    const std::string triangle(kRegionTriangle);
    const std::string linear(kRegionLinear);

    // Entries of the list that name no node of this net name nothing.
    for (int e = 1; e <= b_.ConstantNodeCount; ++e) {
        const std::int16_t node = entry(b_.ConstantNodes, e);
        const std::int16_t boring = entry(b_.ConstantNodeBoring, e);
        if (node < 1 || node > n_) continue;
        b_.NodeRegionKind[node] = constant;
        b_.NodeRegion[node] = boring;
    }

    // The side directions of the triangle in hand are kept in StripDirY/X
    // (1..3) until the strips need them.
    b_.StripDirY.assign(4, 0.0f);
    b_.StripDirX.assign(4, 0.0f);
    for (int t = 1; t <= b_.BoringTriangleCount; ++t) {
        const int corner[4] = {0, checkedBoring(entry(b_.TriangleBoringA, t), k_),
                               checkedBoring(entry(b_.TriangleBoringB, t), k_),
                               checkedBoring(entry(b_.TriangleBoringC, t), k_)};
        for (int side = 1; side <= 3; ++side) {
            const int from = corner[side];
            const int to = corner[side % 3 + 1];
            if (UnitDirection(bx(from), by(from), bx(to), by(to), b_.StripDirY[side],
                              b_.StripDirX[side]) != 0)
                return false;
        }
        // Side s runs from corner s; the corner across from it is the
        // reference.
        Line sides[4];
        for (int side = 1; side <= 3; ++side)
            sides[side] = alongLine(bx(corner[side]), by(corner[side]), b_.StripDirY[side],
                                    b_.StripDirX[side]);
        for (int i = 1; i <= n_; ++i) {
            if (opposite(sides[1], tx_[i], ty_[i], bx(corner[3]), by(corner[3]))) continue;
            if (opposite(sides[2], tx_[i], ty_[i], bx(corner[1]), by(corner[1]))) continue;
            if (opposite(sides[3], tx_[i], ty_[i], bx(corner[2]), by(corner[2]))) continue;
            b_.NodeRegion[i] = static_cast<std::int16_t>(t);
            b_.NodeRegionKind[i] = triangle;
        }
    }

    const int strips = std::max<int>(b_.BoringStripCount, 0);
    b_.StripOuterX.assign(2 * static_cast<std::size_t>(strips) + 1, 0.0f);
    b_.StripOuterY.assign(2 * static_cast<std::size_t>(strips) + 1, 0.0f);
    b_.StripDirY.assign(static_cast<std::size_t>(strips) + 1, 0.0f);
    b_.StripDirX.assign(static_cast<std::size_t>(strips) + 1, 0.0f);
    for (int m = 1; m <= strips; ++m) {
        const int a = checkedBoring(entry(b_.StripBoringA, m), k_);
        const int b = checkedBoring(entry(b_.StripBoringB, m), k_);
        // The corner of the extent on the strip's inner side; any other
        // value is broken data, never the previous strip's corner.
        float qx = 0.0f, qy = 0.0f;
        switch (entry(b_.StripCorner, m)) {
        case 1: qx = b_.ExtentMaxX; qy = b_.ExtentMaxY; break;
        case 2: qx = b_.ExtentMinX; qy = b_.ExtentMaxY; break;
        case 3: qx = b_.ExtentMaxX; qy = b_.ExtentMinY; break;
        case 4: qx = b_.ExtentMinX; qy = b_.ExtentMinY; break;
        default: rt::raise(9);
        }
        if (UnitDirection(bx(a), by(a), bx(b), by(b), b_.StripDirY[m], b_.StripDirX[m]) != 0)
            return false;
        const float dirY = b_.StripDirY[m];
        const float dirX = b_.StripDirX[m];
        OuterPointAcrossExtent(bx(a), by(a), bx(a), by(a), dirY, dirX, qx, qy,
                               b_.StripOuterX[2 * m - 1], b_.StripOuterY[2 * m - 1]);
        OuterPointAcrossExtent(bx(b), by(b), bx(a), by(a), dirY, dirX, qx, qy,
                               b_.StripOuterX[2 * m], b_.StripOuterY[2 * m]);
        const Line strip = alongLine(bx(a), by(a), dirY, dirX);
        const Line startAcross = acrossLine(bx(a), by(a), dirY, dirX);
        const Line endAcross = acrossLine(bx(b), by(b), dirY, dirX);
        const float endOuterX = b_.StripOuterX[2 * m], endOuterY = b_.StripOuterY[2 * m];
        const float startOuterX = b_.StripOuterX[2 * m - 1], startOuterY = b_.StripOuterY[2 * m - 1];
        for (int i = 1; i <= n_; ++i) {
            if (opposite(strip, tx_[i], ty_[i], endOuterX, endOuterY)) continue;
            if (opposite(startAcross, tx_[i], ty_[i], endOuterX, endOuterY)) continue;
            if (opposite(endAcross, tx_[i], ty_[i], startOuterX, startOuterY)) continue;
            b_.NodeRegion[i] = static_cast<std::int16_t>(m);
            b_.NodeRegionKind[i] = linear;
        }
    }
    return true;
}

// Step 13: every node of kind "Constant", in node order, with its boring.
void LayoutRun::rebuildConstantNodes() {
    b_.ConstantNodes.assign(1, 0);
    b_.ConstantNodeBoring.assign(1, 0);
    for (int i = 1; i <= n_; ++i) {
        if (b_.NodeRegionKind[i] != kRegionConstant) continue;
        b_.ConstantNodes.push_back(static_cast<std::int16_t>(i));
        b_.ConstantNodeBoring.push_back(b_.NodeRegion[i]);
    }
    b_.ConstantNodeCount = static_cast<std::int16_t>(b_.ConstantNodes.size() - 1);
}

// The information message of a layout that could not be determined.
void reportLayoutFailure() {
    const quillon::ClsLanguageText& texts = LanguageTexts();
    forms::MsgBox(texts.GetText(quillon::TextNo(10188)),
                  forms::vbInformation | texts.MessageBoxFlags(),
                  texts.GetText(quillon::TextNo(10043)));
}

}  // namespace

void ComputeBoringLayout() {
    BoringData& data = boringData();
    const Declar& net = declar();
    forms::screen().MousePointer(11);
    if (data.BoringCount < 2) {
        forms::screen().MousePointer(0);
        return;
    }
    const auto nodeCount = static_cast<std::int16_t>(std::max<int>(net.NodeCount, 0));
    bool failed = false;
    bool laidOut = false;
    try {
        showStatus(quillon::TextNo(10186));
        LayoutRun run(data, net);
        laidOut = run.run();
    } catch (const rt::RuntimeError&) {
        failed = true;
    } catch (const std::out_of_range&) {
        failed = true;
    } catch (const std::length_error&) {
        failed = true;
    } catch (const std::bad_alloc&) {
        failed = true;
    }
    if (failed) {
        // A run-time error: the regions could not be determined; every node
        // takes the first boring.
        forms::screen().MousePointer(0);
        try {
            CloseDataFile(1);
        } catch (const rt::RuntimeError&) {
        }
        reportLayoutFailure();
        SetDefaultBoringLayout(nodeCount);
        return;
    }
    // Two borings at one position (reported already): what was computed
    // before is no layout; the default one is stored instead.
    if (!laidOut) SetDefaultBoringLayout(nodeCount);
    showStatus(quillon::TextNo(10187));
    forms::screen().MousePointer(0);
}

std::int16_t OppositeSideTest(float ax, float ay, float c, float d, float px, float py, float rx,
                              float ry, std::int16_t mode) {
    float u = c;
    float v = d;
    if (mode != 0) {
        const float length = std::sqrt((ax - c) * (ax - c) + (ay - d) * (ay - d));
        if (length == 0.0f) {
            u = 1.0f;
            v = 0.0f;
        } else {
            u = (ax - c) / length;
            v = (ay - d) / length;
        }
    }
    float o = (py - ay) * u - (px - ax) * v;
    if (std::fabs(o) < 1e-6f) o = 0.0f;
    const float q = (ry - ay) * u - (rx - ax) * v;
    return ((o < 0.0f && q > 0.0f) || (o > 0.0f && q < 0.0f)) ? kOpposite : 0;
}

std::int16_t UnitDirection(float x1, float y1, float x2, float y2, float& outY, float& outX) {
    const float length = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    if (length == 0.0f) {
        ReportCoincidentBorings();
        return -1;
    }
    outY = (y2 - y1) / length;
    outX = (x2 - x1) / length;
    return 0;
}

std::int16_t PerpendicularAcrossExtent(float x, float y, float dirY, float dirX,
                                       std::vector<float>& xs, std::vector<float>& ys) {
    const BoringData& data = boringData();
    if (dirY != 0.0f && dirX != 0.0f) {
        const float slope = checkedSingle(-dirX / dirY);
        const float intercept = checkedSingle(y - slope * x);
        return ClipLineToExtent(intercept, slope, xs, ys);
    }
    growTo(xs, 5);
    growTo(ys, 5);
    if (dirY != 0.0f) {
        xs[1] = data.ExtentMinX;
        ys[1] = y;
        xs[2] = data.ExtentMaxX;
        ys[2] = y;
    } else {
        xs[1] = x;
        ys[1] = data.ExtentMinY;
        xs[2] = x;
        ys[2] = data.ExtentMaxY;
    }
    return 2;
}

std::int16_t ClipLineToExtent(float a, float b, std::vector<float>& xs, std::vector<float>& ys) {
    const BoringData& data = boringData();
    // A fresh list for every line: nothing of an earlier line is left in it.
    xs.assign(5, 0.0f);
    ys.assign(5, 0.0f);
    std::int16_t count = 0;
    auto append = [&](float x, float y) {
        ++count;
        xs[static_cast<std::size_t>(count)] = x;
        ys[static_cast<std::size_t>(count)] = y;
    };
    const float atMinX = a + b * data.ExtentMinX;
    if (atMinX >= data.ExtentMinY && atMinX <= data.ExtentMaxY) append(data.ExtentMinX, atMinX);
    const float atMaxX = a + b * data.ExtentMaxX;
    if (atMaxX >= data.ExtentMinY && atMaxX <= data.ExtentMaxY) append(data.ExtentMaxX, atMaxX);
    const float atMinY = (data.ExtentMinY - a) / b;
    if (atMinY >= data.ExtentMinX && atMinY <= data.ExtentMaxX) append(atMinY, data.ExtentMinY);
    const float atMaxY = (data.ExtentMaxY - a) / b;
    if (atMaxY >= data.ExtentMinX && atMaxY <= data.ExtentMaxX) append(atMaxY, data.ExtentMaxY);
    if (count > 2) PointListTools().ReducePointList(count, xs, ys);
    return count;
}

void OuterPointAcrossExtent(float x, float y, float lineX, float lineY, float dirY, float dirX,
                            float refX, float refY, float& outX, float& outY) {
    std::vector<float> xs(5), ys(5);
    const std::int16_t count = PerpendicularAcrossExtent(x, y, dirY, dirX, xs, ys);
    const Line line = alongLine(lineX, lineY, dirY, dirX);
    // The side of the reference: 0 on the line.
    const float refSide = (refY - lineY) * dirX - (refX - lineX) * dirY;
    if (count >= 2) {
        if (opposite(line, xs[1], ys[1], refX, refY)) {
            outX = xs[1];
            outY = ys[1];
            return;
        }
        if (refSide == 0.0f || opposite(line, xs[2], ys[2], refX, refY)) {
            outX = xs[2];
            outY = ys[2];
            return;
        }
    }
    // No end point lies across: a point of the perpendicular across the line
    // from the reference (to the right of the direction when the reference
    // gives no side). (x + s dirY, y - s dirX) lies on the side -s.
    const BoringData& data = boringData();
    const float diagonal = std::hypot(data.ExtentMaxX - data.ExtentMinX,
                                      data.ExtentMaxY - data.ExtentMinY);
    const float distance = std::max(1.0f, checkedSingle(diagonal));
    const float s = refSide < 0.0f ? -distance : distance;
    outX = checkedSingle(x + s * dirY);
    outY = checkedSingle(y - s * dirX);
}

void ReportCoincidentBorings() {
    forms::screen().MousePointer(0);
    const quillon::ClsLanguageText& texts = LanguageTexts();
    forms::MsgBox(texts.GetText(quillon::TextNo(80089)),
                  forms::vbCritical | texts.MessageBoxFlags(),
                  texts.GetText(quillon::TextNo(80069)));
}

void SetDefaultBoringLayout(std::int16_t nodeCount) {
    BoringData& data = boringData();
    const auto n = static_cast<std::size_t>(std::max<int>(nodeCount, 0));
    const auto k = static_cast<std::size_t>(std::max<int>(data.BoringCount, 0));
    const std::string constant(kRegionConstant);

    data.BoringTriangleCount = 0;
    data.BoringStripCount = 0;
    data.BoringLayoutKind = declar().SymmetryKind == 1 ? 1 : 3;

    data.NodeLayoutRegion.assign(n + 1, 1);
    data.NodeLayoutKind.assign(n + 1, constant);
    data.NodeCellBoring.assign(n + 1, 1);
    data.NodeRegion.assign(n + 1, 1);
    data.NodeRegionKind.assign(n + 1, constant);
    data.ConstantNodeCount = static_cast<std::int16_t>(n);
    data.ConstantNodes.assign(n + 1, 1);
    data.ConstantNodeBoring.assign(n + 1, 1);
    for (std::size_t i = 0; i <= n; ++i) data.ConstantNodes[i] = static_cast<std::int16_t>(i);
    data.NodeLayoutRegion[0] = data.NodeCellBoring[0] = data.NodeRegion[0] = 0;
    data.NodeLayoutKind[0].clear();
    data.NodeRegionKind[0].clear();
    data.ConstantNodeBoring[0] = 0;

    data.EdgeDirY.resize(k + 1, 0.0f);
    data.EdgeDirX.resize(k + 1, 0.0f);
    data.EdgeOuterX.resize(2 * k + 1, 0.0f);
    data.EdgeOuterY.resize(2 * k + 1, 0.0f);

    data.DividingLineCount = 0;
    data.DividingMidX.assign(1, 0.0f);
    data.DividingMidY.assign(1, 0.0f);
    data.DividingNormalX.assign(1, 0.0f);
    data.DividingNormalY.assign(1, 0.0f);
    data.BoringLineCount.assign(k + 1, 0);
    data.BoringLineTable.assign(k + 2, std::vector<std::int16_t>(k + 2, 0));
    data.CellCornerX.assign(1, 0.0f);
    data.CellCornerY.assign(1, 0.0f);

    data.TriangleBoringA.assign(1, 0);
    data.TriangleBoringB.assign(1, 0);
    data.TriangleBoringC.assign(1, 0);
    data.StripBoringA.assign(1, 0);
    data.StripBoringB.assign(1, 0);
    data.StripCorner.assign(1, 0);
    data.StripDirY.assign(1, 0.0f);
    data.StripDirX.assign(1, 0.0f);
    data.StripOuterX.assign(1, 0.0f);
    data.StripOuterY.assign(1, 0.0f);
}

}  // namespace orvelo
