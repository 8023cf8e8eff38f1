// Window functions over the models: handles, parents, rectangles, styles,
// walking the window tree; what right-to-left mirroring reads and writes.
#include <gtest/gtest.h>

#include <functional>

#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/forms/win.h"
#include "platform/forms/sample_dialog.h"

using namespace forms;
using namespace forms::win;
using formstest::SampleDialog;

TEST(WindowHandles, WindowedControlsAndTheFormHaveHandlesWhileLoaded) {
    SampleDialog dlg;
    std::int32_t form = dlg.hWnd();
    std::int32_t frame = dlg.fraStep(0).hWnd();
    std::int32_t box = dlg.TxtInputData(0).hWnd();
    EXPECT_NE(form, 0);
    EXPECT_NE(frame, box);
    EXPECT_EQ(formOf(form), &dlg);
    EXPECT_EQ(controlOf(box), &dlg.TxtInputData(0));

    EXPECT_EQ(GetParent(box), frame);
    EXPECT_EQ(GetParent(frame), form);
    EXPECT_EQ(GetParent(dlg.cmdNav(0).hWnd()), form);
    EXPECT_EQ(GetParent(form), 0);

    dlg.Unload();
    EXPECT_FALSE(IsWindow(form));
    EXPECT_FALSE(IsWindow(box));
    RECT r;
    EXPECT_EQ(GetWindowRect(box, r), 0);
    EXPECT_NE(dlg.hWnd(), form) << "handles are not reused";
}

TEST(WindowRects, AControlInAFrameSitsAtFormPlusFramePlusItsOwnOffset) {
    SampleDialog dlg;  // form at 1200, 900 twips; frame at 120, 120; box at 2160, 330 in the frame
    RECT form, frame, box;
    ASSERT_EQ(GetWindowRect(dlg.hWnd(), form), 1);
    ASSERT_EQ(GetWindowRect(dlg.fraStep(0).hWnd(), frame), 1);
    ASSERT_EQ(GetWindowRect(dlg.TxtInputData(0).hWnd(), box), 1);

    EXPECT_EQ(form.Left, 80);
    EXPECT_EQ(form.Top, 60);
    EXPECT_EQ(form.Right - form.Left, 420);
    std::int32_t clientLeft = form.Left + GetSystemMetrics(SM_CXFRAME);
    std::int32_t clientTop = form.Top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(frame.Left, clientLeft + 120 / 15);
    EXPECT_EQ(frame.Top, clientTop + 120 / 15);
    EXPECT_EQ(box.Left, frame.Left + 2160 / 15);
    EXPECT_EQ(box.Top, frame.Top + 330 / 15);
    EXPECT_EQ(box.Right - box.Left, 100);
    EXPECT_EQ(box.Bottom - box.Top, 21);
}

TEST(WindowRects, MirroringThroughWindowRectsMatchesTheModelWithinAPixel) {
    // The mirrored Left computed from the rectangles of a control and its
    // parent equals container width - Left - Width up to rounding.
    SampleDialog dlg;
    for (Control* c : dlg.Controls()) {
        if (!c->windowed() || c->Container() == nullptr) continue;
        RECT q, r;
        GetWindowRect(GetParent(c->hWnd()), q);
        GetWindowRect(c->hWnd(), r);
        std::int32_t m = ((q.Right - q.Left) - (r.Left - q.Left) - (r.Right - r.Left)) * screen().TwipsPerPixelX();
        std::int32_t exact = c->Container()->Width() - c->Left() - c->Width();
        EXPECT_NEAR(m, exact, 2 * 15) << c->Name();
    }
}

TEST(WindowStyles, ExtendedStyleRoundTripsPerWindow) {
    SampleDialog dlg;
    std::int32_t box = dlg.TxtInputData(1).hWnd();
    std::int32_t frame = dlg.fraStep(0).hWnd();
    std::int32_t old = GetWindowLong(box, GWL_EXSTYLE);
    EXPECT_EQ(SetWindowLong(box, GWL_EXSTYLE, old | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR), old);
    EXPECT_EQ(GetWindowLong(box, GWL_EXSTYLE), old | 0x6000);
    EXPECT_EQ(GetWindowLong(frame, GWL_EXSTYLE), 0) << "each window keeps its own word";
    SetWindowLong(dlg.hWnd(), GWL_EXSTYLE, WS_EX_LAYOUTRTL);
    EXPECT_EQ(GetWindowLong(dlg.hWnd(), GWL_EXSTYLE), WS_EX_LAYOUTRTL);
    EXPECT_EQ(GetWindowLong(123, GWL_EXSTYLE), 0);
}

TEST(WindowTree, ChildrenAreWalkedFrontToBackAndZOrderChangesTheWalk) {
    SampleDialog dlg;
    auto walk = [](std::int32_t parent) {
        std::vector<std::string> names;
        for (std::int32_t h = GetWindow(parent, GW_CHILD); h != 0; h = GetWindow(h, GW_HWNDNEXT)) {
            Control* c = controlOf(h);
            names.push_back(c->Name() + std::to_string(c->Index()));
        }
        return names;
    };
    EXPECT_EQ(walk(dlg.hWnd()),
              (std::vector<std::string>{"fraStep0", "cmdNav0", "cmdNav1", "cmdNav2", "cmdNav3", "cmdNav4"}))
        << "labels have no window";
    dlg.cmdNav(4).ZOrder(0);
    dlg.fraStep(0).ZOrder(1);
    EXPECT_EQ(walk(dlg.hWnd()),
              (std::vector<std::string>{"cmdNav4", "cmdNav0", "cmdNav1", "cmdNav2", "cmdNav3", "fraStep0"}));
    EXPECT_EQ(walk(dlg.fraStep(0).hWnd()).front(), "TxtInputData0");
    EXPECT_EQ(GetWindow(dlg.TxtInputData(0).hWnd(), GW_CHILD), 0);
}

TEST(WindowTree, ClassNamesFindAWindowTwoLevelsDown) {
    SampleDialog dlg;
    dlg.chkSmoothMesh->windowClass("WaitTaint");
    std::string name;
    EXPECT_EQ(GetClassName(dlg.TxtInputData(0).hWnd(), name, 256), 12);
    EXPECT_EQ(name, "FormsTextBox");
    EXPECT_EQ(GetClassName(dlg.TxtInputData(0).hWnd(), name, 6), 5);
    EXPECT_EQ(name, "Forms");

    // Depth-first search in the manner of a procedure looking for a class.
    std::function<std::int32_t(std::int32_t)> search = [&](std::int32_t parent) -> std::int32_t {
        for (std::int32_t h = GetWindow(parent, GW_CHILD); h != 0; h = GetWindow(h, GW_HWNDNEXT)) {
            if (std::int32_t found = search(h)) return found;
            std::string cls;
            GetClassName(h, cls, 256);
            if (cls == "WaitTaint") return h;
        }
        return 0;
    };
    std::int32_t found = search(dlg.hWnd());
    ASSERT_EQ(found, dlg.chkSmoothMesh->hWnd());
    EXPECT_EQ(IsWindowEnabled(found), 1);
    EXPECT_EQ(EnableWindow(found, 0), 0);
    EXPECT_EQ(EnableWindow(found, 0), 1);
    EXPECT_FALSE(dlg.chkSmoothMesh->Enabled());
}

TEST(WindowPlacement, MoveWindowAndShowWindowActOnTheModel) {
    SampleDialog dlg;
    std::int32_t box = dlg.TxtInputData(2).hWnd();
    EXPECT_EQ(MoveWindow(box, 10, 20, 30, 40, 1), 1);
    EXPECT_EQ(dlg.TxtInputData(2).Left(), 150);
    EXPECT_EQ(dlg.TxtInputData(2).Height(), 600);
    EXPECT_EQ(ShowWindow(box, SW_HIDE), 0) << "the form was not shown yet";
    EXPECT_FALSE(dlg.TxtInputData(2).Visible());

    dlg.WindowState(vbMinimized);
    EXPECT_EQ(MoveWindow(dlg.hWnd(), 0, 0, 100, 100, 1), 0) << "a minimised form refuses, no exception";
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen().widthPixels());
    EXPECT_EQ(GetSystemMetrics(9999), 0);
}
