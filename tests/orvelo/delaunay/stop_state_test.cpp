// A stop is never taken for a finished step: the smoothing and the boundary
// front points end the run (run state 3) on a stop they notice, wherever
// they notice it, and keep the state 3 of an earlier stop.
#include <gtest/gtest.h>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/front_points.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/mixed_net_check.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"

namespace orvelo {
namespace {

class StopState : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        resetBasDelaunay();
        resetDeclar();
        declar().MinAngle = 30.0f;
        declar().MinElementSize = 0.25f;
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        SetOperationWaitWindowSource([this] { return window.get(); });
        // A square with two free nodes near the apex of its bottom side.
        meshcheck::UseNet({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 3.6f}, {3, 3.6f}},
                          {{1, 2, 5}, {2, 6, 5}, {2, 3, 6}, {3, 4, 6}, {4, 5, 6}, {4, 1, 5}});
    }
    void TearDown() override {
        drovik::ClsWaitWindow::stopAfterUpdates(0);
        SetOperationWaitWindowSource(nullptr);
        resetServices();
    }
    static std::int16_t state() { return RunControl().RunState(); }

    std::shared_ptr<drovik::ClsWaitWindow> window = std::make_shared<drovik::ClsWaitWindow>();
    forms::ScopedMsgBox boxes;
};

TEST_F(StopState, EveryStopEndsTheRunAndNoStepClearsIt) {
    using Step = void (*)();
    const std::pair<const char*, Step> steps[] = {{"smoothing", [] { SmoothMesh(25); }},
                                                  {"front points", [] { AddBoundaryFrontPoints(); }}};
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        // An earlier stop of the run is kept.
        RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
        step();
        EXPECT_EQ(state(), halvex::ExitWithoutSaving);
        // A stop at any update of the step, the opening check included.
        for (int updates = 1; updates <= 12; ++updates) {
            SCOPED_TRACE(updates);
            RunControl().RunState(0);
            window = std::make_shared<drovik::ClsWaitWindow>();
            drovik::ClsWaitWindow::stopAfterUpdates(updates);
            step();
            drovik::ClsWaitWindow::stopAfterUpdates(0);
            EXPECT_EQ(state(), window->stopRequested() ? halvex::ExitWithoutSaving : 0);
        }
        // No stop: the state stays 0.
        RunControl().RunState(0);
        window = std::make_shared<drovik::ClsWaitWindow>();
        step();
        EXPECT_EQ(state(), 0);
    }
}

}  // namespace
}  // namespace orvelo
