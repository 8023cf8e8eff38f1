// Triangle angles for the quality tests, and the zero-length-side notice.
#include <gtest/gtest.h>

#include <cmath>

#include "orvelo/delaunay/angles.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

class AnglesTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetDeclar();
        ResetZeroSideNotice();
    }
    void TearDown() override { resetServices(); }
    forms::ScopedMsgBox boxes_;
};

TEST_F(AnglesTest, CosinesAndTheCornerOppositeTheLongestSide) {
    double c1 = 9, c2 = 9, c3 = 9;
    std::int16_t longest = 0;
    TriangleAngleCosines(0, 2, 1, 0, 0, 1.7320508f, c1, c2, c3, longest);  // equilateral
    EXPECT_NEAR(c1, 0.5, 1e-6);
    EXPECT_NEAR(c2, 0.5, 1e-6);
    EXPECT_NEAR(c3, 0.5, 1e-6);
    EXPECT_EQ(longest, 1);
    TriangleAngleCosines(0, 4, 4, 0, 0, 3, c1, c2, c3, longest);  // right angle at 2
    EXPECT_NEAR(c2, 0.0, 1e-7);
    EXPECT_NEAR(c1, 0.8, 1e-6);
    EXPECT_EQ(longest, 2);
    TriangleAngleCosines(0, 1, 0, 0, 0, 1, c1, c2, c3, longest);  // L23 longest
    EXPECT_EQ(longest, 1);
    TriangleAngleCosines(0, 2, 1, 0, 0, 5, c1, c2, c3, longest);  // L23 = L31 > L12
    EXPECT_EQ(longest, 1);
    TriangleAngleCosines(0, 5, 5, 0, 1, -1, c1, c2, c3, longest);  // L31 = L12 > L23
    EXPECT_EQ(longest, 2);
    EXPECT_TRUE(boxes_->boxes().empty());
}

TEST_F(AnglesTest, AZeroSideIsANoughtDegreeAngleAndIsNoticedOncePerOperation) {
    double c1 = 9, c2 = 9, c3 = 9;
    std::int16_t longest = 0;
    boxes_->answer(forms::vbOK);
    TriangleAngleCosines(1, 1, 4, 1, 1, 5, c1, c2, c3, longest);  // corners 1 and 2 together
    EXPECT_EQ(c3, 1.0);
    EXPECT_EQ(c1, 0.0);
    EXPECT_EQ(c2, 0.0);
    TriangleAngleCosines(1, 1, 4, 1, 1, 5, c1, c2, c3, longest);
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_EQ(boxes_->boxes()[0].style, forms::vbOKOnly);
    EXPECT_EQ(boxes_->boxes()[0].prompt, LanguageTexts().GetText(rt::Variant(quillon::TextNo(100040))));
    // A new operation (its own wait window) is told again.
    drovik::ClsWaitWindow window;
    SetOperationWaitWindowSource([&window] { return &window; });
    boxes_->answer(forms::vbOK);
    TriangleAngleCosines(2, 3, 3, 0, 0, 0, c1, c2, c3, longest);
    TriangleAngleCosines(2, 3, 3, 0, 0, 0, c1, c2, c3, longest);
    SetOperationWaitWindowSource(nullptr);
    EXPECT_EQ(boxes_->boxes().size(), 2u);
    EXPECT_EQ(c1, 1.0);  // side 2-3 has no length
}

TEST_F(AnglesTest, SmallAngleLongestSideOfMesherTriangles) {
    BasDelaunay& m = basDelaunay();
    declar().MinAngle = 30.0f;
    m.MeshNodeCount = 4;
    m.MeshNodeX = {0, 0, 10, 5, 0};
    m.MeshNodeY = {0, 0, 0, 1, 8};
    NetElement flat;
    flat.CornerCount = 3;
    flat.Node = {0, 1, 2, 3, 0};
    NetElement fair = flat;
    fair.Node = {0, 1, 2, 4, 0};
    NetElement quad = flat;
    quad.CornerCount = 4;
    m.MeshElementCount = 3;
    m.MeshElementList = {NetElement{}, flat, fair, quad};
    double smallest = -7.0;
    EXPECT_EQ(SmallAngleLongestSide(1, smallest), 3);  // the side 1-2 is opposite corner 3
    EXPECT_NEAR(smallest, 5.0 / std::hypot(5.0, 1.0), 1e-6);
    smallest = -7.0;
    EXPECT_EQ(SmallAngleLongestSide(2, smallest), 0);
    EXPECT_EQ(SmallAngleLongestSide(3, smallest), 0);
    EXPECT_EQ(smallest, -7.0);
}

}  // namespace
}  // namespace orvelo
