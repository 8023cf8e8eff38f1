// Operation 6: the slab outline built from its shape, the net of the mesh
// type, the follow-ups, the refusals and the stops, through the runner.
#include "wizard_fixture.h"

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
        std::tie(d.MinAngle, d.MaxElementSize, d.MinElementSize) = std::make_tuple(25.0f, 1.0f, 0.0f);
        d.SmoothMeshFlag = d.BoundaryFrontPointsFlag = true;
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
};

OutlinePiece arc(float x1, float y1, float x2, float y2, float c) {
    OutlinePiece p = orvelo::straightPiece(x1, y1, x2, y2);
    std::tie(p.IsArc, p.XC, p.YC, p.Direction) = std::make_tuple(true, c, c, true);
    return p;
}

TEST_F(RegenerateTest, OutlinesOfTheThreeShapes) {
    orvelo::BasDelaunay& m = basDelaunay();
    m.MeshLineCount = 1;
    m.MeshLineEnd = {{}, {2, 2}};
    m.MeshGridX = {0, 0, 9};
    using Pieces = std::vector<OutlinePiece>;
    const Pieces none(5);
    const Pieces circle{{}, arc(10, 5, 5, 10, 5), arc(5, 10, 0, 5, 5), arc(0, 5, 5, 0, 5), arc(5, 0, 10, 5, 5)};
    const Pieces hole{{}, arc(7, 5, 5, 7, 5), arc(5, 7, 3, 5, 5), arc(3, 5, 5, 3, 5), arc(5, 3, 7, 5, 5)};
    const Pieces rectangle{{}, orvelo::straightPiece(0, 0, 4, 0), orvelo::straightPiece(4, 0, 4, 3),
                           orvelo::straightPiece(4, 3, 0, 3), orvelo::straightPiece(0, 3, 0, 0)};
    const std::tuple<std::int16_t, float, float, Pieces, std::vector<Pieces>> shapes[] = {
        {0, 4.0f, 3.0f, rectangle, {none}}, {2, 10.0f, 4.0f, circle, {none}}, {5, 10.0f, 4.0f, circle, {none, hole}}};
    for (const auto& [shape, length, width, outline, openings] : shapes) {
        SCOPED_TRACE(shape);
        setSlab(shape, length, width, 5);
        orvelo::BuildSlabOutline();
        EXPECT_EQ(m.MeshOutlineCount, 4);
        EXPECT_EQ(m.MeshOutline, outline);
        EXPECT_EQ(m.MeshOpeningCount, static_cast<std::int16_t>(openings.size() - 1));
        EXPECT_EQ(m.MeshOpeningPieceCount, (openings.size() == 1 ? std::vector<std::int16_t>{0} : std::vector<std::int16_t>{0, 4}));
        EXPECT_EQ(m.MeshOpenings, openings);
    }
    // Lines and grid are not the outline's.
    EXPECT_TRUE(m.MeshLineCount == 1 && m.MeshLineEnd[1].X == 2.0f && m.MeshGridX == std::vector<float>({0, 0, 9}));
}

TEST_F(RegenerateTest, TriangulatedCircleAndAnnulusCoverTheirAreaAndOnlyTheCircleIsFollowedUp) {
    const double R = 5.0;
    for (std::int16_t shape : {2, 5}) {
        for (bool frontPoints : {false, true}) {
            SCOPED_TRACE(std::to_string(shape) + (frontPoints ? " with front points" : ""));
            const double r = shape == 5 ? 2.0 : 0.0;
            declar().MinElementSize = 0.0f;
            declar().BoundaryFrontPointsFlag = frontPoints;
            setSlab(shape, 2 * R, 2 * r, 5);
            declar().NodeTargetSize = {0.0f, 7.0f};  // no field: OldNodeCount is 0
            run();
            ASSERT_EQ(runState(), 0);
            ASSERT_TRUE(box->boxes().empty());
            const orvelo::BasDelaunay& m = basDelaunay();
            EXPECT_EQ(orvelo::meshcheck::CheckMixedNet(m), std::vector<std::string>{});
            // Inside the ring, less at most the chords' sag at the inner
            // circle, and covering it but for the chords' segments.
            double area = 0.0;
            for (std::int32_t e = 1; e <= m.MeshElementCount; ++e)
                area += orvelo::meshcheck::MixedTwiceArea(m, m.MeshElementList[static_cast<std::size_t>(e)]) / 2.0;
            for (std::size_t k = 1; k <= static_cast<std::size_t>(m.MeshNodeCount); ++k) {
                const double radius = std::hypot(m.MeshNodeX[k] - R, m.MeshNodeY[k] - R);
                EXPECT_TRUE(radius <= R + 1e-4 && radius >= r - 0.1) << "node " << k << " radius " << radius;
            }
            EXPECT_NEAR(area, M_PI * (R * R - r * r), 0.03 * M_PI * R * R);
            EXPECT_EQ(declar().NodeTargetSize, (std::vector<float>{0.0f, 7.0f})) << "the field is left alone";
            EXPECT_EQ(declar().OldNodeCount, 0);
            EXPECT_EQ(frontPoints ? frontPointsAdded() : smoothed(), shape == 2);
            EXPECT_TRUE(declar().MeshType == 5 && declar().MinAngle == 25.0f);
        }
    }
}

TEST_F(RegenerateTest, TheSizeFieldOfTheProjectNetIsFollowed) {
    // Operation 9 gave the project net, a square over the slab, size 2.5.
    orvelo::Declar& d = declar();
    orvelo::NetElement quad;
    quad.CornerCount = 4;
    quad.Node = {0, 1, 2, 3, 4};
    std::tie(d.NodeCount, d.NodeX, d.NodeY, d.ElementCount, d.ElementList, d.OldNodeCount, d.NodeTargetSize) =
        std::make_tuple(4, std::vector<float>{0, -1, 11, 11, -1}, std::vector<float>{0, -1, -1, 11, 11}, 1,
                        std::vector<orvelo::NetElement>{{}, quad}, 4, std::vector<float>{0, 2.5f, 2.5f, 2.5f, 2.5f});
    d.SmoothMeshFlag = d.BoundaryFrontPointsFlag = false;
    setSlab(2, 10.0f, 0.0f, 5);
    run();
    ASSERT_EQ(runState(), 0);
    const std::int16_t coarse = basDelaunay().MeshNodeCount;
    EXPECT_TRUE(orvelo::basOrvelo().OldNodeX == d.NodeX && orvelo::basOrvelo().OldElementCount == 1);
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
    EXPECT_TRUE(declar().MeshType == 8 && declar().MinAngle == 25.0f);

    // A rectangle on the caller's grid of 1 x 1 cells, mesh type 3; its
    // cell triangles turn either way: the grid net's own checks.
    orvelo::BasDelaunay& m = basDelaunay();
    std::tie(m.MeshGridCountX, m.MeshGridX, m.MeshGridCountY, m.MeshGridY) =
        std::make_tuple(4, std::vector<float>{0, 0, 1, 2, 3, 4}, 3, std::vector<float>{0, 0, 1, 2, 3});
    setSlab(0, 4.0f, 3.0f, 3);
    run();
    ASSERT_EQ(runState(), 0);
    EXPECT_TRUE(box->boxes().empty());
    EXPECT_EQ(orvelo::gridcheck::numberFault(m), "");
    EXPECT_TRUE(orvelo::gridcheck::unusedNodes(m).empty());
    EXPECT_NEAR(orvelo::gridcheck::totalArea(m), 12.0, 1e-4);
    EXPECT_EQ(declar().MeshType, 3);
}

// Operation 6 sets the unit factor from its slab, whatever ran before.
TEST_F(RegenerateTest, TheUnitFactorIsTheSlabsWhateverRanBefore) {
    std::vector<std::pair<float, std::vector<float>>> runs;
    for (float earlier : {1.0f, 1e-4f, 3e3f}) {
        orvelo::GeometryHelper().UnitFactor(earlier);
        setSlab(2, 10.0f, 0.0f, 8, 4);  // a polar net
        run();
        runs.emplace_back(orvelo::GeometryHelper().UnitFactor(), basDelaunay().MeshNodeX);
    }
    EXPECT_TRUE(runs[1] == runs[0] && runs[2] == runs[0]);
}

TEST_F(RegenerateTest, InputThatCannotMakeANetIsRefusedWithOneMessage) {
    const std::tuple<std::int16_t, float, float, std::int16_t, std::int16_t, float, const char*> cases[] = {
        // shape, length, width, type, n, MaxElementSize, the value the message names
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
    for (const auto& [shape, length, width, type, n, maxSize, named] : cases) {
        SCOPED_TRACE(std::to_string(shape) + " type " + std::to_string(type) + ": " + named);
        orvelo::resetBasDelaunay();
        const std::size_t shown = box->boxes().size();
        box->answer(forms::vbOK);
        setSlab(shape, length, width, type, n);
        declar().MaxElementSize = maxSize;
        run();
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        ASSERT_EQ(box->boxes().size(), shown + 1);
        EXPECT_EQ(box->pendingAnswers(), 0u);
        EXPECT_NE(box->boxes().back().prompt.find(named), std::string::npos) << box->boxes().back().prompt;
        const orvelo::BasDelaunay fresh;
        const orvelo::BasDelaunay& m = basDelaunay();
        EXPECT_TRUE(m.MeshOutlineCount == 0 && m.MeshOpeningCount == 0 && m.MeshNodeCount == 0 &&
                    m.MeshOutline == fresh.MeshOutline && m.MeshElementList == fresh.MeshElementList);
        EXPECT_TRUE(declar().MeshType == type && declar().MinAngle == 25.0f && !frontPointsAdded());
    }
}

TEST_F(RegenerateTest, AStopEndsWithRunState3AndNoFollowUp) {
    const std::tuple<const char*, std::int16_t, int> cases[] = {
        {"first poll", 5, 1}, {"polar generation", 8, 30}, {"polar side flags", 7, 60}, {"Delaunay generation", 5, 8}};
    for (const auto& [where, type, after] : cases) {
        SCOPED_TRACE(where);
        orvelo::resetBasDelaunay();
        setSlab(2, 10.0f, 0.0f, type, 3);
        drovik::ClsWaitWindow::stopAfterUpdates(after);
        run();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
        EXPECT_TRUE(!smoothed() && !frontPointsAdded() && box->boxes().empty());
        EXPECT_TRUE(declar().MeshType == type && declar().MinAngle == 25.0f);
        EXPECT_TRUE(after != 1 || basDelaunay().MeshOutlineCount == 0) << "nothing is built at the first poll";
    }
}

}  // namespace
