// The sample project's net at the wizard's defaults (theta 30, r 1,
// rmin 0.25) with every combination of the smoothing, the boundary front
// points and the boundary recalculation: every triangle meets theta, and
// neither option gives a triangle below the smallest angle of the same net
// without it.
#include "wizard_fixture.h"

#include <cmath>
#include <cstdio>

namespace {

using orvelo::declar;

double smallestAngleOfProjectNet() {
    const orvelo::Declar& d = declar();
    const orvelo::ProjectNet net = orvelo::projectNetOf(d);
    double smallest = 180.0;
    for (std::int16_t e = 1; e <= net.ElementCount; ++e) {
        const orvelo::NetElement& t = net.ElementList[e];
        for (int k = 1; k <= 3; ++k) {
            const int p = t.Node[k], q = t.Node[k % 3 + 1], s = t.Node[(k + 1) % 3 + 1];
            const double ux = net.NodeX[q] - net.NodeX[p], uy = net.NodeY[q] - net.NodeY[p];
            const double vx = net.NodeX[s] - net.NodeX[p], vy = net.NodeY[s] - net.NodeY[p];
            smallest = std::min(smallest, std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy) * 57.29577951308232);
        }
    }
    return smallest;
}

class SampleQuality : public WizardTest {
protected:
    double run(bool recalculate, bool smooth, bool frontPoints) {
        orvelo::frmWizard& w = open(copySample("raft" + std::to_string(runs_++)));
        if (!recalculate) forms::click(*w.ChkRecalculateMeshBoundary);
        EXPECT_TRUE(forms::click(next()));
        if (smooth) forms::click(*w.chkSmoothMesh);
        if (frontPoints) forms::click(*w.chkBoundaryFrontPoint);
        box->answer(forms::vbNo);
        EXPECT_TRUE(forms::click(finish()));
        EXPECT_EQ(runState(), 0);
        const double angle = smallestAngleOfProjectNet();
        std::printf("recalculation %d smoothing %d front points %d: smallest angle %.2f\n", recalculate, smooth,
                    frontPoints, angle);
        wizard->unloadWithoutEvents();
        wizard.reset();
        return angle;
    }
    int runs_ = 0;
};

TEST_F(SampleQuality, OptionsNeverLowerTheSmallestAngle) {
    for (bool recalculate : {true, false}) {
        const double plain = run(recalculate, false, false);
        EXPECT_GE(plain, 30.0) << "recalculation " << recalculate;
        for (auto [smooth, frontPoints] : {std::pair{true, false}, {false, true}, {true, true}})
            EXPECT_GE(run(recalculate, smooth, frontPoints), plain - 1e-9)
                << "recalculation " << recalculate << " smoothing " << smooth << " front points " << frontPoints;
    }
}

}  // namespace
