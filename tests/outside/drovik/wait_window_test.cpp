#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "outside/drovik/wait_window.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"

namespace {

using drovik::ClsWaitWindow;

class WaitWindow : public ::testing::Test {
protected:
    ~WaitWindow() override { ClsWaitWindow::stopAfterUpdates(0); }
};

TEST_F(WaitWindow, ShowRaisesTheEventOnceAndReturnsAfterIt) {
    ClsWaitWindow window;
    int raised = 0;
    bool shownInside = false;
    window.onRunWaitMessage = [&] {
        ++raised;
        shownInside = window.isShown();
        window.Title("Transfer");
        window.StatusText("Reading file");
        window.Close();
        window.Close();  // twice is harmless
    };
    window.Show();
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(shownInside);
    EXPECT_FALSE(window.isShown());
    EXPECT_EQ(window.title(), "Transfer");
    EXPECT_EQ(window.statusText(), "Reading file");
    EXPECT_EQ(window.windowForm(), nullptr);  // headless: no window

    // An event that forgets Close still ends the display.
    window.onRunWaitMessage = [] {};
    window.Show();
    EXPECT_FALSE(window.isShown());

    ClsWaitWindow neverShown;
    neverShown.Close();
    EXPECT_FALSE(neverShown.isShown());
}

TEST_F(WaitWindow, ProgressCountsAndStopSticks) {
    ClsWaitWindow window;
    bool cancelled = true;
    window.ProgressMax(3);
    window.UpdateProgress(true, cancelled);
    EXPECT_FALSE(cancelled);
    window.UpdateProgress(false, cancelled);
    window.UpdateProgress(true, cancelled);
    EXPECT_EQ(window.progressValue(), 2);
    EXPECT_EQ(window.updateCount(), 3);
    window.ProgressMax(10);
    EXPECT_EQ(window.progressValue(), 0);
    EXPECT_EQ(window.progressMax(), 10);

    window.requestStop();
    window.UpdateProgress(true, cancelled);
    EXPECT_TRUE(cancelled);
    window.UpdateProgress(false, cancelled);
    EXPECT_TRUE(cancelled);
}

TEST_F(WaitWindow, ScriptedStopReachesTheRunningOperation) {
    // The third UpdateProgress from now finds Stop pressed, on whichever
    // window it is called.
    ClsWaitWindow::stopAfterUpdates(3);
    ClsWaitWindow first;
    bool cancelled = false;
    first.UpdateProgress(true, cancelled);
    EXPECT_FALSE(cancelled);

    auto window = std::make_unique<ClsWaitWindow>();
    int steps = 0;
    window->onRunWaitMessage = [&] {
        for (int i = 0; i < 10; ++i) {
            window->UpdateProgress(true, cancelled);
            if (cancelled) break;
            ++steps;
        }
        window.reset();  // the owner drops the window inside its own event
    };
    window->Show();
    EXPECT_EQ(steps, 1);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(window, nullptr);

    first.UpdateProgress(true, cancelled);  // the hook has fired once and is spent
    EXPECT_FALSE(cancelled);
}

TEST_F(WaitWindow, ShowWhileShownIsRefusedAndErrorsCloseTheWindow) {
    ClsWaitWindow window;
    int inner = -1;
    window.onRunWaitMessage = [&] {
        try {
            window.Show();
        } catch (const rt::RuntimeError& e) {
            inner = e.number();
        }
        throw rt::RuntimeError(9, "failed inside the operation");
    };
    EXPECT_THROW(window.Show(), rt::RuntimeError);
    EXPECT_EQ(inner, 400);
    EXPECT_FALSE(window.isShown());
}

// A display that stands for the program's view.
class ViewStandIn : public forms::Display {
public:
    void runModal(forms::Form&) override {}
    void doEvents() override { ++eventRounds; }
    int eventRounds = 0;
};

TEST_F(WaitWindow, WithAViewTheWindowIsAFormWhoseStopButtonWorks) {
    auto view = std::make_shared<ViewStandIn>();
    struct Installed {
        explicit Installed(std::shared_ptr<forms::Display> d) { forms::setDisplay(std::move(d)); }
        ~Installed() { forms::setDisplay(nullptr); }
    } installed(view);
    forms::Form owner("frmOwner", [](forms::Form& f) { f.addControl(forms::Kind::CommandButton, "cmdGo"); });
    owner.Show();

    ClsWaitWindow window;
    window.Title("Internal forces");
    bool ownerEnabledInside = true;
    bool cancelled = false;
    window.onRunWaitMessage = [&] {
        forms::Form* form = window.windowForm();
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->Visible());
        EXPECT_EQ(form->Caption(), "Internal forces");
        ownerEnabledInside = owner.Enabled();
        EXPECT_FALSE(forms::click(owner.control("cmdGo")));  // the owner takes no input now

        window.ProgressMax(4);
        window.StatusText("Element 1");
        window.UpdateProgress(true, cancelled);
        EXPECT_EQ(form->control("lblStatus").Caption(), "Element 1");
        EXPECT_EQ(form->control("prgProgress").Value(), 1);
        EXPECT_FALSE(cancelled);

        EXPECT_TRUE(forms::click(form->control("cmdStop")));
        window.UpdateProgress(true, cancelled);
        window.Close();
    };
    window.Show();
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(owner.Enabled());
    EXPECT_TRUE(cancelled);
    EXPECT_GE(view->eventRounds, 2);
    EXPECT_EQ(window.windowForm(), nullptr);

    // The close box asks to stop as well; the window stays up until closed.
    ClsWaitWindow second;
    second.onRunWaitMessage = [&] {
        forms::closeWindow(*second.windowForm());
        EXPECT_NE(second.windowForm(), nullptr);
        EXPECT_TRUE(second.windowForm()->Visible());
        second.UpdateProgress(false, cancelled);
    };
    cancelled = false;
    second.Show();
    EXPECT_TRUE(cancelled);

    owner.Unload();
}

// A long loop repaints the window and lets its events in when the share
// done changes (and now and then), not on every step; the bar ends full,
// and a Stop still reaches the loop.
TEST_F(WaitWindow, ALongLoopIsNotSlowedByItsProgress) {
    auto view = std::make_shared<ViewStandIn>();
    struct Installed {
        explicit Installed(std::shared_ptr<forms::Display> d) { forms::setDisplay(std::move(d)); }
        ~Installed() { forms::setDisplay(nullptr); }
    } installed(view);
    ClsWaitWindow window;
    int stoppedAt = 0;
    window.onRunWaitMessage = [&] {
        forms::Form& form = *window.windowForm();
        constexpr int kSteps = 200000;
        window.ProgressMax(kSteps);
        const int before = view->eventRounds;
        bool cancelled = false;
        for (int i = 0; i < kSteps; ++i) window.UpdateProgress(true, cancelled);
        EXPECT_LT(view->eventRounds - before, kSteps / 10);
        EXPECT_GE(view->eventRounds - before, 100);
        EXPECT_EQ(form.control("prgProgress").Value(), kSteps);
        EXPECT_EQ(form.control("lblPercent").Caption(), "100 %");
        EXPECT_TRUE(forms::click(form.control("cmdStop")));
        for (int i = 1; i <= 10 && !cancelled; ++i) {
            window.UpdateProgress(false, cancelled);
            stoppedAt = i;
        }
        window.Close();
    };
    window.Show();
    EXPECT_EQ(stoppedAt, 1);
}

// The window carries the program's name; the operation's title heads it,
// the share done stands beside the bar, and a right-to-left language
// mirrors it.
TEST_F(WaitWindow, NamedByTheProgramWithPercentAndMirroredRightToLeft) {
    auto view = std::make_shared<ViewStandIn>();
    struct Installed {
        explicit Installed(std::shared_ptr<forms::Display> d) { forms::setDisplay(std::move(d)); }
        ~Installed() {
            forms::setDisplay(nullptr);
            forms::app().Title.clear();
            quillon::ClsLanguageText::setLanguageSource({});
        }
    } installed(view);
    forms::app().Title = "Tessaro";

    ClsWaitWindow window;
    window.Title("Internal forces");
    window.onRunWaitMessage = [&] {
        forms::Form& form = *window.windowForm();
        EXPECT_EQ(form.Caption(), "Tessaro");
        EXPECT_EQ(form.control("lblTitle").Caption(), "Internal forces");
        window.ProgressMax(4);
        EXPECT_EQ(form.control("lblPercent").Caption(), "0 %");
        bool cancelled = false;
        window.UpdateProgress(true, cancelled);
        EXPECT_EQ(form.control("lblPercent").Caption(), "25 %");
        EXPECT_FALSE(form.RightToLeft());
        EXPECT_LT(form.control("prgProgress").Left(), form.control("lblPercent").Left());
        window.Close();
    };
    window.Show();

    quillon::ClsLanguageText::setLanguageSource([] { return std::string("Arabic"); });
    ClsWaitWindow mirrored;
    mirrored.onRunWaitMessage = [&] {
        forms::Form& form = *mirrored.windowForm();
        EXPECT_TRUE(form.RightToLeft());
        EXPECT_GT(form.control("prgProgress").Left(), form.control("lblPercent").Left());
        const forms::Control& status = form.control("lblStatus");
        EXPECT_TRUE(status.RightToLeft());
        EXPECT_EQ(status.Alignment(), 1);
        const forms::Control& stop = form.control("cmdStop");
        EXPECT_EQ(stop.Left() + stop.Width() / 2, 2700) << "the button stays centred";
        mirrored.Close();
    };
    mirrored.Show();
}

}  // namespace
