// Operation 6: the slab outline built from its shape, the net of the mesh
// type, the follow-ups, the refusals and the stops, through the runner.
#include "wizard_fixture.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/gridmesh/grid_net_checks.h"
#include "orvelo/wizard/mesh_generation.h"
#include "orvelo/wizard/regenerate_mesh.h"
#include "outside/quillon/language_text.h"

namespace {

using orvelo::basDelaunay;
using orvelo::declar;
using orvelo::OutlinePiece;

class RegenerateTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        orvelo::Declar& d = declar();
        d.MinAngle = 25.0f;
        d.MaxElementSize = 1.0f;
        d.MinElementSize = 0.0f;
        d.SmoothMeshFlag = true;
        d.BoundaryFrontPointsFlag = true;
    }

    void setSlab(std::int16_t shape, float length, float width, std::int16_t type, std::int16_t n = 3) {
        orvelo::Declar& d = declar();
        std::tie(d.SlabShape, d.SlabLength, d.SlabWidth, d.MeshType, d.PolarDivisionCount) =
            std::make_tuple(shape, length, width, type, n);
    }

    // Operation 6 as a host runs it: run state 0, then the runner.
    void run() {
        orvelo::RunControl().RunState(0);
        orvelo::RunWaitOperation(orvelo::OpRegenerateMesh);
    }

    // The smoothing ran (its status text is the window's last).
    bool smoothed() const {
        const std::string smoothing = orvelo::LanguageTexts().GetText(quillon::TextNo(100034));
        return orvelo::operationRunner().CurrentOperation->ObjFENetGeneration()->statusText().rfind(smoothing, 0) == 0;
    }
    // The boundary front points ran (they raise rmin from 0).
    static bool frontPointsAdded() { return declar().MinElementSize > 0.0f; }

    static double netArea() {
        double area = 0.0;
        const orvelo::BasDelaunay& m = basDelaunay();
        for (std::int32_t e = 1; e <= m.MeshElementCount; ++e)
            area += orvelo::meshcheck::MixedTwiceArea(m, m.MeshElementList[static_cast<std::size_t>(e)]) / 2.0;
        return area;
    }
};

OutlinePiece arc(float x1, float y1, float x2, float y2, float c) {
    OutlinePiece p = orvelo::straightPiece(x1, y1, x2, y2);
    p.IsArc = true;
    p.XC = c;
    p.YC = c;
    p.Direction = true;
    return p;
}

TEST_F(RegenerateTest, OutlinesOfTheThreeShapes) {
    orvelo::BasDelaunay& m = basDelaunay();
    m.MeshLineCount = 1;
    m.MeshLineStart = {{}, {1, 1}};
    m.MeshLineEnd = {{}, {2, 2}};
    m.MeshGridCountX = 1;
    m.MeshGridX = {0, 0, 9};

    setSlab(0, 4.0f, 3.0f, 5);
    orvelo::BuildSlabOutline();
    EXPECT_EQ(m.MeshOutlineCount, 4);
    EXPECT_EQ(m.MeshOutline, (std::vector<OutlinePiece>{{}, orvelo::straightPiece(0, 0, 4, 0),
                                                         orvelo::straightPiece(4, 0, 4, 3),
                                                         orvelo::straightPiece(4, 3, 0, 3),
                                                         orvelo::straightPiece(0, 3, 0, 0)}));
    EXPECT_EQ(m.MeshOpeningCount, 0);
    EXPECT_EQ(m.MeshOpeningPieceCount, std::vector<std::int16_t>{0});
    EXPECT_EQ(m.MeshOpenings, std::vector<std::vector<OutlinePiece>>(1, std::vector<OutlinePiece>(5)));

    const std::vector<OutlinePiece> circle = {
        {}, arc(10, 5, 5, 10, 5), arc(5, 10, 0, 5, 5), arc(0, 5, 5, 0, 5), arc(5, 0, 10, 5, 5)};
    setSlab(2, 10.0f, 4.0f, 5);
    orvelo::BuildSlabOutline();
    EXPECT_EQ(m.MeshOutline, circle);
    EXPECT_EQ(m.MeshOpeningCount, 0);

    setSlab(5, 10.0f, 4.0f, 5);
    orvelo::BuildSlabOutline();
    EXPECT_EQ(m.MeshOutlineCount, 4);
    EXPECT_EQ(m.MeshOutline, circle);
    ASSERT_EQ(m.MeshOpeningCount, 1);
    EXPECT_EQ(m.MeshOpeningPieceCount, (std::vector<std::int16_t>{0, 4}));
    EXPECT_EQ(m.MeshOpenings[1], (std::vector<OutlinePiece>{
                                     {}, arc(7, 5, 5, 7, 5), arc(5, 7, 3, 5, 5), arc(3, 5, 5, 3, 5), arc(5, 3, 7, 5, 5)}));
    EXPECT_EQ(m.MeshOpenings[0], std::vector<OutlinePiece>(5));

    // Lines and grid are not the outline's.
    EXPECT_TRUE(m.MeshLineCount == 1 && m.MeshLineEnd[1].X == 2.0f);
    EXPECT_EQ(m.MeshGridX, (std::vector<float>{0, 0, 9}));
}

TEST_F(RegenerateTest, TriangulatedCircleAndAnnulusCoverTheirAreaAndOnlyTheCircleIsFollowedUp) {
    const float R = 5.0f;
    for (std::int16_t shape : {2, 5}) {
        for (bool frontPoints : {false, true}) {
            SCOPED_TRACE(std::to_string(shape) + (frontPoints ? " with front points" : ""));
            const float r = shape == 5 ? 2.0f : 0.0f;
            declar().MinElementSize = 0.0f;
            declar().BoundaryFrontPointsFlag = frontPoints;
            setSlab(shape, 2 * R, 2 * r, 5);
            declar().NodeTargetSize = {0.0f, 7.0f};  // no field: OldNodeCount is 0
            run();
            ASSERT_EQ(runState(), 0);
            ASSERT_TRUE(box->boxes().empty());
            const orvelo::BasDelaunay& m = basDelaunay();
            EXPECT_EQ(orvelo::meshcheck::CheckMixedNet(m), std::vector<std::string>{});
            // The border follows the circles: its nodes lie on them, or on
            // the chord between two neighbouring circle nodes where the
            // refinement divided a border side. The net covers the polygon
            // of the circle nodes, which is the annulus less its chord
            // segments.
            std::vector<double> onCircle[2];  // angles of the nodes on the outer and the inner circle
            std::vector<std::size_t> offCircle;
            for (std::int32_t e = 1; e <= m.MeshElementCount; ++e) {
                const orvelo::NetElement& t = m.MeshElementList[static_cast<std::size_t>(e)];
                for (int k = 1; k <= t.CornerCount; ++k) {
                    if ((t.Flag[static_cast<std::size_t>(k)] & halvex::OuterSide) == 0) continue;
                    const auto a = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
                    const double ra = std::hypot(m.MeshNodeX[a] - R, m.MeshNodeY[a] - R);
                    const double angle = std::atan2(m.MeshNodeY[a] - R, m.MeshNodeX[a] - R);
                    if (std::abs(ra - R) < 1e-4) onCircle[0].push_back(angle);
                    else if (shape == 5 && std::abs(ra - r) < 1e-4) onCircle[1].push_back(angle);
                    else offCircle.push_back(a);
                }
            }
            double polygon[2] = {0.0, 0.0};
            for (int c = 0; c < (shape == 5 ? 2 : 1); ++c) {
                std::vector<double>& angles = onCircle[c];
                std::sort(angles.begin(), angles.end());
                angles.erase(std::unique(angles.begin(), angles.end()), angles.end());
                ASSERT_GE(angles.size(), 3u);
                const double rho = c == 0 ? R : r;
                for (std::size_t i = 0; i < angles.size(); ++i)
                    polygon[c] += rho * rho * std::sin(angles[(i + 1) % angles.size()] - angles[i] +
                                                       (i + 1 == angles.size() ? 2.0 * M_PI : 0.0)) / 2.0;
                for (std::size_t a : offCircle) {
                    const double ra = std::hypot(m.MeshNodeX[a] - R, m.MeshNodeY[a] - R);
                    if (ra > (R + r) / 2.0 ? c != 0 : c != 1) continue;
                    // On the chord between the circle nodes on either side of it.
                    const double angle = std::atan2(m.MeshNodeY[a] - R, m.MeshNodeX[a] - R);
                    auto next = std::upper_bound(angles.begin(), angles.end(), angle);
                    const double a1 = next == angles.end() ? angles.front() + 2.0 * M_PI : *next;
                    const double a0 = next == angles.begin() ? angles.back() - 2.0 * M_PI : *(next - 1);
                    const double toChord = rho * std::cos((a1 - a0) / 2.0) / std::cos(angle - (a0 + a1) / 2.0);
                    EXPECT_NEAR(ra, toChord, 1e-4) << "border node " << a << " off the circle and its chords";
                }
            }
            EXPECT_NEAR(netArea(), polygon[0] - polygon[1], 1e-4 * M_PI * R * R);
            EXPECT_NEAR(polygon[0] - polygon[1], M_PI * (R * R - r * r), 0.03 * M_PI * R * R);
            EXPECT_EQ(declar().NodeTargetSize, (std::vector<float>{0.0f, 7.0f})) << "the field is left alone";
            EXPECT_EQ(declar().OldNodeCount, 0);
            if (frontPoints) {
                EXPECT_EQ(frontPointsAdded(), shape == 2);
            } else {
                EXPECT_EQ(smoothed(), shape == 2);
            }
            EXPECT_TRUE(declar().MeshType == 5 && declar().MinAngle == 25.0f);
        }
    }
}

TEST_F(RegenerateTest, TheSizeFieldOfTheProjectNetIsFollowed) {
    // Operation 9 gave the project net, a square over the slab, size 2.5.
    orvelo::Declar& d = declar();
    d.NodeCount = 4;
    d.NodeX = {0, -1, 11, 11, -1};
    d.NodeY = {0, -1, -1, 11, 11};
    d.ElementCount = 1;
    orvelo::NetElement quad;
    quad.CornerCount = 4;
    quad.Node = {0, 1, 2, 3, 4};
    d.ElementList = {orvelo::NetElement{}, quad};
    d.OldNodeCount = 4;
    d.NodeTargetSize = {0, 2.5f, 2.5f, 2.5f, 2.5f};
    d.SmoothMeshFlag = false;
    d.BoundaryFrontPointsFlag = false;
    setSlab(2, 10.0f, 0.0f, 5);
    run();
    ASSERT_EQ(runState(), 0);
    const std::int16_t coarse = basDelaunay().MeshNodeCount;
    EXPECT_EQ(orvelo::basOrvelo().OldNodeX, d.NodeX);
    EXPECT_EQ(orvelo::basOrvelo().OldElementCount, 1);

    d.OldNodeCount = 0;  // no field: every point gets MaxElementSize 1
    run();
    EXPECT_GT(basDelaunay().MeshNodeCount, 2 * coarse);
}

TEST_F(RegenerateTest, PolarAndGridNetsThroughTheRunner) {
    declar().BoundaryFrontPointsFlag = false;
    setSlab(2, 10.0f, 0.0f, 8, 4);
    run();
    ASSERT_EQ(runState(), 0);
    EXPECT_EQ(basDelaunay().MeshNodeCount, 1 + 2 * 4 * 5);
    EXPECT_TRUE(smoothed()) << "the follow-ups see MeshType 5";
    EXPECT_EQ(declar().MeshType, 8);
    EXPECT_EQ(declar().MinAngle, 25.0f);

    // A rectangle on the caller's grid of 1 x 1 cells, mesh type 3.
    orvelo::BasDelaunay& m = basDelaunay();
    m.MeshGridCountX = 4;
    m.MeshGridX = {0, 0, 1, 2, 3, 4};
    m.MeshGridCountY = 3;
    m.MeshGridY = {0, 0, 1, 2, 3};
    setSlab(0, 4.0f, 3.0f, 3);
    run();
    ASSERT_EQ(runState(), 0);
    EXPECT_TRUE(box->boxes().empty());
    // Grid cell triangles turn either way: the grid net's own checks.
    EXPECT_EQ(orvelo::gridcheck::numberFault(m), "");
    EXPECT_TRUE(orvelo::gridcheck::unusedNodes(m).empty());
    EXPECT_NEAR(orvelo::gridcheck::totalArea(m), 12.0, 1e-4);
    EXPECT_EQ(declar().MeshType, 3);
}

TEST_F(RegenerateTest, InputThatCannotMakeANetIsRefusedWithOneMessage) {
    struct Case {
        std::int16_t shape;
        float length, width;
        std::int16_t type, n;
        float maxSize;
        const char* named;  // the value the message names
    };
    const Case cases[] = {
        {5, 10, 4, 7, 64, 1, "32768"},  // 32,768 triangles
        {5, 10, 4, 6, 0, 1, "not 0"},   // no division
        {5, 10, 0, 6, 3, 1, "not 0"},   // r = 0
        {5, 10, 10, 5, 3, 1, "not 10"}, // r = R
        {5, 10, 12, 8, 3, 1, "not 12"}, // r > R
        {0, 10, 4, 7, 3, 1, "shape 0"}, // a rectangle with a polar type
        {0, 0, 0, 5, 3, 1, "0 by 0"},   // the all-zero rectangle
        {0, 0, 0, 3, 3, 1, "0 by 0"},
        {2, 10, 0, 5, 3, 0, "not 0"},   // no size field and no target size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shape) + " " + std::to_string(c.length) + " " + std::to_string(c.width) +
                     " type " + std::to_string(c.type) + " n " + std::to_string(c.n));
        orvelo::resetBasDelaunay();
        const std::size_t shown = box->boxes().size();
        box->answer(forms::vbOK);
        setSlab(c.shape, c.length, c.width, c.type, c.n);
        declar().MaxElementSize = c.maxSize;
        run();
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        ASSERT_EQ(box->boxes().size(), shown + 1);
        EXPECT_EQ(box->pendingAnswers(), 0u);
        EXPECT_NE(box->boxes().back().prompt.find(c.named), std::string::npos) << box->boxes().back().prompt;
        const orvelo::BasDelaunay fresh;
        const orvelo::BasDelaunay& m = basDelaunay();
        EXPECT_TRUE(m.MeshOutlineCount == 0 && m.MeshOpeningCount == 0 && m.MeshNodeCount == 0);
        EXPECT_TRUE(m.MeshOutline == fresh.MeshOutline && m.MeshElementList == fresh.MeshElementList);
        EXPECT_TRUE(declar().MeshType == c.type && declar().MinAngle == 25.0f);
        EXPECT_FALSE(frontPointsAdded());
    }
}

TEST_F(RegenerateTest, AStopEndsWithRunState3AndNoFollowUp) {
    struct Case {
        const char* where;
        std::int16_t shape, type;
        int after;
    };
    const Case cases[] = {
        {"first poll", 2, 5, 1},
        {"polar generation", 2, 8, 30},
        {"polar side flags", 2, 7, 60},
        {"Delaunay generation", 2, 5, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        orvelo::resetBasDelaunay();
        setSlab(c.shape, 10.0f, 0.0f, c.type, 3);
        drovik::ClsWaitWindow::stopAfterUpdates(c.after);
        run();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        EXPECT_FALSE(smoothed());
        EXPECT_FALSE(frontPointsAdded());
        EXPECT_TRUE(declar().MeshType == c.type && declar().MinAngle == 25.0f);
        EXPECT_TRUE(box->boxes().empty());
        if (c.after == 1) EXPECT_EQ(basDelaunay().MeshOutlineCount, 0) << "nothing is built";
    }
}

}  // namespace
