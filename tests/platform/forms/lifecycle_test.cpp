// Forms as models: design, control arrays, the Controls collection, the
// load/unload lifecycle and modal display through the headless driver.
#include <gtest/gtest.h>

#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"
#include "platform/forms/sample_dialog.h"

using namespace forms;
using formstest::SampleDialog;

TEST(FormLifecycle, FirstAccessLoadsOnceAndUnloadReturnsToTheDesign) {
    SampleDialog dlg;
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(dlg.TxtInputData(0).Text(), "");  // first access loads
    EXPECT_TRUE(dlg.loaded());
    EXPECT_EQ(dlg.loads, 1);

    dlg.TxtInputData(0).Text("30");
    dlg.Caption("Changed");
    dlg.OptElementType.Load(2).Caption("Polar");
    ASSERT_TRUE(dlg.Unload());
    EXPECT_FALSE(dlg.loaded());

    // The next access starts from the design again.
    EXPECT_EQ(dlg.Caption(), "Net parameters");
    EXPECT_EQ(dlg.loads, 2);
    EXPECT_EQ(dlg.TxtInputData(0).Text(), "");
    EXPECT_EQ(dlg.OptElementType.UBound(), 1);
}

TEST(FormLifecycle, QueryUnloadCanKeepTheFormAndReportsWhoAsked) {
    SampleDialog dlg;
    dlg.Load();
    dlg.refuseClose = true;
    EXPECT_FALSE(dlg.Unload());
    EXPECT_TRUE(dlg.loaded());
    dlg.Show();
    EXPECT_TRUE(closeWindow(dlg));  // the close box asked, the form refused
    EXPECT_TRUE(dlg.loaded());
    dlg.refuseClose = false;
    EXPECT_TRUE(closeWindow(dlg));
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(dlg.unloadModes, (std::vector<std::int16_t>{vbFormCode, vbFormControlMenu, vbFormControlMenu}));
}

TEST(ControlArrays, ElementsAreFoundByNameAndIndexAndLoadedAtRunTime) {
    SampleDialog dlg;
    EXPECT_EQ(dlg.cmdNav.LBound(), 0);
    EXPECT_EQ(dlg.cmdNav.UBound(), 4);
    EXPECT_EQ(dlg.cmdNav(3).Caption(), "Next >");
    EXPECT_EQ(&dlg.control("CMDNAV", 3), &dlg.cmdNav(3)) << "names compare without regard to case";

    EXPECT_EQ(errorNumberOf([&] { dlg.cmdNav(7); }), 340);
    EXPECT_EQ(errorNumberOf([&] { dlg.control("cmdNav"); }), 343);
    EXPECT_EQ(errorNumberOf([&] { dlg.control("chkSmoothMesh", 0); }), 343);
    EXPECT_EQ(errorNumberOf([&] { dlg.control("cmdNothing"); }), 730);

    // A loaded element copies the lowest element, hidden, in its container.
    Control& added = dlg.OptElementType.Load(4);
    EXPECT_FALSE(added.Visible());
    EXPECT_EQ(added.Container(), &dlg.fraStep(0));
    EXPECT_EQ(added.Width(), dlg.OptElementType(0).Width());
    EXPECT_EQ(added.Index(), 4);
    EXPECT_EQ(dlg.OptElementType.Count(), 3);
    EXPECT_EQ(errorNumberOf([&] { dlg.OptElementType.Load(4); }), 360);
    EXPECT_EQ(errorNumberOf([&] { dlg.OptElementType.Unload(0); }), 362);
    dlg.OptElementType.Unload(4);
    EXPECT_FALSE(dlg.OptElementType.exists(4));
}

TEST(ControlArrays, HandlersServeEveryElementWithItsIndex) {
    SampleDialog dlg;
    dlg.Show();
    Control& extra = dlg.OptElementType.Load(2);
    extra.Visible(true);
    EXPECT_TRUE(click(dlg.OptElementType(1)));
    EXPECT_TRUE(click(extra));
    EXPECT_EQ(dlg.optionClicks, (std::vector<std::int16_t>{1, 2}));
    dlg.Unload();
}

TEST(ControlsCollection, KeepsCreationOrderWithRunTimeElementsLast) {
    SampleDialog dlg;
    dlg.OptElementType.Load(9);
    std::vector<std::string> names;
    for (Control* c : dlg.Controls()) names.push_back(c->Name() + (c->isArrayElement() ? std::to_string(c->Index()) : ""));
    std::vector<std::string> expected = {"fraStep0",         "LblInputData0", "TxtInputData0",   "LblInputData1",
                                         "TxtInputData1",    "LblInputData2", "TxtInputData2",   "OptElementType0",
                                         "OptElementType1",  "chkSmoothMesh", "lblTitle",        "cmdNav0",
                                         "cmdNav1",          "cmdNav2",       "cmdNav3",         "cmdNav4",
                                         "OptElementType9"};
    EXPECT_EQ(names, expected);
}

TEST(ControlProperties, WhatAKindLacksRaises438AndTypeNamesAreTheToolkits) {
    SampleDialog dlg;
    EXPECT_EQ(errorNumberOf([&] { dlg.cmdNav(0).Alignment(); }), 438);
    EXPECT_EQ(errorNumberOf([&] { dlg.lblTitle->hWnd(); }), 438);
    EXPECT_EQ(errorNumberOf([&] { dlg.TxtInputData(0).Caption(); }), 438);
    EXPECT_EQ(errorNumberOf([&] { dlg.chkSmoothMesh->Value(3); }), 380);

    EXPECT_STREQ(dlg.fraStep(0).TypeName(), "Frame");
    EXPECT_STREQ(dlg.lblTitle->TypeName(), "Label");
    EXPECT_STREQ(dlg.TxtInputData(0).TypeName(), "TextBox");
    EXPECT_STREQ(dlg.OptElementType(0).TypeName(), "OptionButton");
    EXPECT_STREQ(dlg.chkSmoothMesh->TypeName(), "CheckBox");
    EXPECT_STREQ(dlg.cmdNav(0).TypeName(), "CommandButton");
    EXPECT_FALSE(dlg.lblTitle->windowed());
    EXPECT_TRUE(dlg.fraStep(0).windowed());
}

TEST(ControlProperties, TwipsAreStoredExactly) {
    SampleDialog dlg;
    Control& text = dlg.TxtInputData(1);
    text.Move(1001, -7, 13, 1);
    EXPECT_EQ(text.Left(), 1001);
    EXPECT_EQ(text.Top(), -7);
    EXPECT_EQ(text.Width(), 13);
    EXPECT_EQ(text.Height(), 1);
    dlg.Left(12345);
    EXPECT_EQ(dlg.Left(), 12345);
}

TEST(FormGeometry, AMinimisedOrMaximisedFormCannotBeMoved) {
    SampleDialog dlg;
    dlg.WindowState(vbMinimized);
    EXPECT_EQ(errorNumberOf([&] { dlg.Left(0); }), 384);
    dlg.WindowState(vbMaximized);
    EXPECT_EQ(errorNumberOf([&] { dlg.Height(100); }), 384);
    EXPECT_EQ(dlg.Width(), screen().Width() + 2 * 4 * 15);
    dlg.WindowState(vbNormal);
    EXPECT_EQ(dlg.Width(), 6300);
}

TEST(ModalDisplay, TheRegisteredDriverPlaysTheUser) {
    SampleDialog dlg;
    int driven = 0;
    ScopedModalDriver driver([&](Form& form) {
        ++driven;
        EXPECT_EQ(&form, &dlg);
        EXPECT_TRUE(form.showingModal());
        EXPECT_TRUE(typeText(dlg.TxtInputData(0), "2.5"));
        EXPECT_TRUE(click(dlg.cmdNav(3)));  // Next hides the form
    });
    dlg.Show(vbModal);
    EXPECT_EQ(driven, 1);
    EXPECT_TRUE(dlg.loaded());
    EXPECT_FALSE(dlg.Visible());
    EXPECT_EQ(dlg.TxtInputData(0).Text(), "2.5");
    EXPECT_FALSE(dlg.showingModal());
}

TEST(ModalDisplay, FailsLoudlyWithoutADriverOrWhenTheDriverLeavesTheFormShown) {
    {
        ScopedModalDriver none(nullptr);
        SampleDialog dlg;
        EXPECT_THROW(dlg.Show(vbModal), ModalError);
        EXPECT_FALSE(dlg.loaded());
    }
    {
        ScopedModalDriver lazy([](Form&) {});
        SampleDialog dlg;
        EXPECT_THROW(dlg.Show(vbModal), ModalError);
    }
}

TEST(ModalDisplay, OtherFormsTakeNoInputWhileAModalFormIsUp) {
    SampleDialog owner;
    owner.Show();
    SampleDialog dialog;
    bool ownerClicked = true;
    ScopedModalDriver driver([&](Form&) {
        ownerClicked = click(owner.cmdNav(0));
        EXPECT_EQ(errorNumberOf([&] { SampleDialog other; other.Show(); }), 401);
        click(dialog.cmdNav(1));
    });
    dialog.Show(vbModal);
    EXPECT_FALSE(ownerClicked);
    EXPECT_TRUE(owner.navClicks.empty());
    EXPECT_TRUE(click(owner.cmdNav(0)));
    owner.Unload();
}

TEST(ModalDisplay, WorkDoneInActivateNeedsNoDriverWhenItClosesTheForm) {
    ScopedModalDriver none(nullptr);
    Form wait("frmWait", [](Form& f) { f.addControl(Kind::ProgressBar, "prgWork"); });
    int steps = 0;
    wait.on(Event::Activate, [&] {
        EXPECT_TRUE(wait.Visible()) << "the window is up";
        for (; steps < 3; ++steps) {
            wait.control("prgWork").Value(steps * 10);
            doEvents();
        }
        wait.Hide();
    });
    wait.Show(vbModal);
    EXPECT_EQ(steps, 3);
    EXPECT_FALSE(wait.Visible());
}
