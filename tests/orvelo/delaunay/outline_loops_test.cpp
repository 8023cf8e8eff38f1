// The Delaunay generation over an outline of several closed loops (separate
// slab parts each keep their own outline, written one after the other).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/net_check.h"
#include "orvelo/project/services.h"
#include "orvelo/slab_setup.h"
#include "outside/drovik/region_test.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using meshcheck::MeshView;
using meshcheck::NetView;
using slabsetup::Polygon;

class OutlineLoopsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
    }
    void TearDown() override { resetServices(); }

    // Generates the net of the slab and lists the faults the end-to-end
    // checks find.
    std::vector<std::string> generate(const meshcheck::SlabFixture& slab) {
        meshcheck::InstallSlab(slab);
        GenerateDelaunayMesh();
        EXPECT_EQ(RunControl().RunState(), 0);
        EXPECT_EQ(drovik::liveRegionCount(), 0);
        EXPECT_TRUE(boxes_->boxes().empty());
        return meshcheck::CheckGeneratedNet(slab);
    }

    // The area of the elements whose centroid lies left of x.
    static double areaLeftOf(const NetView& net, double x) {
        double area = 0.0;
        for (std::int32_t e = 1; e <= net.elementCount; ++e) {
            const double cx = (net.X(net.Corner(e, 1)) + net.X(net.Corner(e, 2)) + net.X(net.Corner(e, 3))) / 3.0;
            if (cx < x) area += meshcheck::TwiceArea(net, e) / 2.0;
        }
        return area;
    }

    static std::vector<OutlinePiece> joined(std::vector<std::vector<OutlinePiece>> loops) {
        std::vector<OutlinePiece> pieces;
        for (const auto& loop : loops) pieces.insert(pieces.end(), loop.begin(), loop.end());
        return pieces;
    }

    forms::ScopedMsgBox boxes_;
};

// Two rectangles apart (6 and 12 area units): one conforming net covers
// both, each part with its own area.
TEST_F(OutlineLoopsTest, SeparatePartsAreEachMeshed) {
    meshcheck::SlabFixture slab;
    slab.r = 0.8f;
    slab.rmin = 0.2f;
    slab.outline = joined({Polygon({{0, 0}, {3, 0}, {3, 2}, {0, 2}}), Polygon({{5, 0}, {8, 0}, {8, 4}, {5, 4}})});
    const auto faults = generate(slab);
    for (std::size_t i = 0; i < faults.size() && i < 20; ++i) ADD_FAILURE() << faults[i];
    const NetView net = MeshView();
    EXPECT_NEAR(meshcheck::NetArea(net), 18.0, 1e-4);
    EXPECT_NEAR(areaLeftOf(net, 4.0), 6.0, 1e-4);
    std::vector<std::string> loopFaults;
    EXPECT_EQ(meshcheck::BorderLoops(net, loopFaults).size(), 2u);
}

// A frame (its hole an opening) with an island in the hole and a second
// part beside it: the even-odd rule over all loops, whichever way each
// outline loop runs and with a single point and a line in the parts.
TEST_F(OutlineLoopsTest, IslandsInOpeningsAndLoopsOfEitherDirection) {
    meshcheck::SlabFixture slab;
    slab.r = 1.0f;
    slab.rmin = 0.25f;
    slab.outline = joined({Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), Polygon({{4, 4}, {6, 4}, {6, 6}, {4, 6}}),
                           Polygon({{12, 0}, {15, 0}, {15, 3}, {12, 3}})});
    slab.openings = {Polygon({{2, 2}, {8, 2}, {8, 8}, {2, 8}})};
    slab.lines = {{{12.5f, 0.5f}, {14.5f, 2.5f}}};
    slab.points = {{13.5f, 2.2f}, {1.0f, 1.0f}};
    auto faults = generate(slab);
    for (std::size_t i = 0; i < faults.size() && i < 20; ++i) ADD_FAILURE() << faults[i];
    EXPECT_NEAR(meshcheck::NetArea(MeshView()), 100.0 - 36.0 + 4.0 + 9.0, 1e-4);

    // The same slab with the island and the second part running clockwise.
    auto island = Polygon({{4, 4}, {4, 6}, {6, 6}, {6, 4}});
    auto part = Polygon({{12, 0}, {12, 3}, {15, 3}, {15, 0}});
    meshcheck::InstallSlab(slab);
    slabsetup::SetMeshSlab(joined({Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), island, part}), slab.openings,
                           slab.lines, slab.points);
    GenerateDelaunayMesh();
    EXPECT_EQ(RunControl().RunState(), 0);
    const NetView net = MeshView();
    EXPECT_TRUE(meshcheck::CheckTopology(net).empty());
    EXPECT_NEAR(meshcheck::NetArea(net), 77.0, 1e-4);
    EXPECT_NEAR(areaLeftOf(net, 11.0), 68.0, 1e-4);
}

// Two parts meeting at one corner, as a border recalculated from a net
// gives them, each loop starting at that corner: both are meshed.
TEST_F(OutlineLoopsTest, PartsMeetingAtACornerAreBothMeshed) {
    meshcheck::SlabFixture slab;
    slab.r = 0.8f;
    slab.rmin = 0.2f;
    slab.outline = joined({Polygon({{2, 2}, {0, 2}, {0, 0}, {2, 0}}), Polygon({{2, 2}, {4, 2}, {4, 4}, {2, 4}})});
    meshcheck::InstallSlab(slab);
    GenerateDelaunayMesh();
    EXPECT_EQ(RunControl().RunState(), 0);
    EXPECT_TRUE(boxes_->boxes().empty());
    EXPECT_TRUE(meshcheck::CheckTopology(MeshView()).empty());
    EXPECT_NEAR(meshcheck::NetArea(MeshView()), 8.0, 1e-4);
}

// A loop without area among the others is refused with a message, the
// region freed.
TEST_F(OutlineLoopsTest, ALoopWithoutAreaIsRefused) {
    meshcheck::SlabFixture slab;
    slab.outline = joined({Polygon({{0, 0}, {3, 0}, {3, 2}, {0, 2}}), Polygon({{5, 0}, {8, 0}, {6, 0}})});
    meshcheck::InstallSlab(slab);
    try {
        GenerateDelaunayMesh();
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 5);
        EXPECT_NE(error.description().find("A loop of the slab outline encloses no area"), std::string::npos);
    }
    EXPECT_EQ(drovik::liveRegionCount(), 0);
}

}  // namespace
}  // namespace orvelo
