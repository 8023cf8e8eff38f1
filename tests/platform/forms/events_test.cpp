// Events raised by user input and by assignments, in the toolkit's order.
#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"
#include "platform/forms/sample_dialog.h"

using namespace forms;
using formstest::SampleDialog;

namespace {

struct ShownDialog : ::testing::Test {
    void SetUp() override { dlg.Show(); }
    void TearDown() override { dlg.unloadWithoutEvents(); }
    SampleDialog dlg;
};

}  // namespace

TEST_F(ShownDialog, TypingRunsKeyPressPerCharacterThenChange) {
    Control& box = dlg.TxtInputData(0);
    EXPECT_TRUE(typeText(box, "1x2."));
    EXPECT_EQ(box.Text(), "12.") << "the handler cancelled x by setting KeyAscii to 0";
    EXPECT_EQ(dlg.changes, (std::vector<std::int16_t>{0, 0, 0}));
    EXPECT_EQ(box.SelStart(), 3);

    EXPECT_TRUE(typeText(box, "\b\b"));
    EXPECT_EQ(box.Text(), "1");
    EXPECT_EQ(dlg.ActiveControl(), &box);
}

TEST_F(ShownDialog, EnterSwallowedByTheHandlerMovesTheFocus) {
    Control& first = dlg.TxtInputData(0);
    first.Text("7");
    EXPECT_TRUE(typeText(first, "\r"));
    EXPECT_EQ(first.Text(), "7");
    EXPECT_EQ(dlg.ActiveControl(), &dlg.TxtInputData(1));
}

TEST_F(ShownDialog, TypingReplacesTheSelectionAndRespectsMaxLengthAndLocked) {
    Control& box = dlg.TxtInputData(2);
    box.Text("123456");
    box.SelStart(1);
    box.SelLength(3);
    EXPECT_EQ(box.SelText(), "234");
    typeText(box, "9");
    EXPECT_EQ(box.Text(), "1956");
    box.MaxLength(4);
    typeText(box, "8");
    EXPECT_EQ(box.Text(), "1956");
    box.MaxLength(0);
    box.Locked(true);
    typeText(box, "8");
    EXPECT_EQ(box.Text(), "1956");
}

TEST_F(ShownDialog, AssignmentsRaiseTheirEventsOnlyWhenTheValueChanges) {
    dlg.TxtInputData(1).Text("5");
    dlg.TxtInputData(1).Text("5");
    EXPECT_EQ(dlg.changes, (std::vector<std::int16_t>{1}));

    dlg.chkSmoothMesh->Value(vbChecked);
    dlg.chkSmoothMesh->Value(vbChecked);
    EXPECT_EQ(dlg.checkClicks, 1);

    dlg.OptElementType(1).Value(true);
    dlg.OptElementType(1).Value(true);
    EXPECT_EQ(dlg.optionClicks, (std::vector<std::int16_t>{1}));
}

TEST_F(ShownDialog, OptionButtonsOfOneContainerKeepOneOn) {
    click(dlg.OptElementType(0));
    EXPECT_EQ(dlg.OptElementType(0).Value(), -1);
    click(dlg.OptElementType(1));
    EXPECT_EQ(dlg.OptElementType(0).Value(), 0);
    EXPECT_EQ(dlg.OptElementType(1).Value(), -1);
    EXPECT_EQ(dlg.optionClicks, (std::vector<std::int16_t>{0, 1}));
}

TEST_F(ShownDialog, ClickingACheckBoxCyclesItsValueAndGreyBecomesClear) {
    Control& check = dlg.chkSmoothMesh.get();
    click(check);
    EXPECT_EQ(check.Value(), vbChecked);
    click(check);
    EXPECT_EQ(check.Value(), vbUnchecked);
    EXPECT_TRUE(setValue(check, vbGrayed));
    click(check);
    EXPECT_EQ(check.Value(), vbUnchecked);
    EXPECT_FALSE(setValue(check, 7)) << "no such state";
    EXPECT_EQ(dlg.checkClicks, 4);
}

TEST_F(ShownDialog, ControlsThatCannotTakeInputIgnoreTheGesture) {
    dlg.cmdNav(4).Enabled(false);
    EXPECT_FALSE(click(dlg.cmdNav(4)));
    dlg.fraStep(0).Visible(false);
    EXPECT_FALSE(typeText(dlg.TxtInputData(0), "1"));
    EXPECT_FALSE(click(dlg.OptElementType(0)));
    EXPECT_TRUE(dlg.navClicks.empty());
    EXPECT_EQ(dlg.TxtInputData(0).Text(), "");

    EXPECT_EQ(errorNumberOf([&] { dlg.TxtInputData(0).SetFocus(); }), 5);
}

TEST_F(ShownDialog, EscapePressesTheCancelButton) {
    pressKey(dlg.TxtInputData(0), vbKeyEscape);
    EXPECT_EQ(dlg.navClicks, (std::vector<std::int16_t>{1}));
    EXPECT_FALSE(dlg.loaded()) << "the Cancel handler unloaded the form";
}

TEST_F(ShownDialog, FocusChangesRaiseLostFocusBeforeGotFocus) {
    std::vector<std::string> order;
    dlg.on("TxtInputData", Event::LostFocus, [&](std::int16_t i) { order.push_back("lost" + std::to_string(i)); });
    dlg.on("TxtInputData", Event::GotFocus, [&](std::int16_t i) { order.push_back("got" + std::to_string(i)); });
    EXPECT_EQ(dlg.ActiveControl(), &dlg.TxtInputData(0)) << "showing focuses the first control in tab order";
    focus(dlg.cmdNav(2));
    focus(dlg.TxtInputData(0));
    pressKey(dlg.TxtInputData(0), vbKeyTab);
    EXPECT_EQ(order, (std::vector<std::string>{"lost0", "got0", "lost0", "got1"}));
}

TEST_F(ShownDialog, KeyPreviewLetsTheFormSeeKeysFirst) {
    std::vector<std::string> seen;
    dlg.KeyPreview(true);
    dlg.on(Event::KeyDown, [&](EventArgs& e) {
        seen.push_back("form" + std::to_string(e.KeyCode));
        if (e.KeyCode == vbKeyF1) e.KeyCode = 0;
    });
    dlg.on("TxtInputData", Event::KeyDown, [&](EventArgs& e) { seen.push_back("box" + std::to_string(e.KeyCode)); });
    pressKey(dlg.TxtInputData(0), vbKeyF1);
    pressKey(dlg.TxtInputData(0), vbKeyUp);
    EXPECT_EQ(seen, (std::vector<std::string>{"form112", "form38", "box38"}));
}

namespace {

// A grid with a floating editor, in the manner of a grid-input dialog: Up
// in the editor commits the text and sends {UP} to the grid.
class GridDialog : public Form {
public:
    GridDialog() : Form("frmGrid") {
        on("txtInput", Event::KeyDown, [this](EventArgs& e) {
            if (e.KeyCode == vbKeyUp) {
                GrdInput->Text(txtInput->Text());
                txtInput->Visible(false);
                GrdInput->SetFocus();
                SendKeys("{UP}");
                upSentBeforeMove = GrdInput->Row();
            }
        });
        on("GrdInput", Event::Scroll, [this] { ++scrolls; });
    }
    ControlRef GrdInput{this, "GrdInput"};
    ControlRef txtInput{this, "txtInput"};
    std::int32_t upSentBeforeMove = -1;
    int scrolls = 0;

protected:
    void design() override {
        Control& grid = add(Kind::Grid, "GrdInput");
        grid.Move(120, 120, 4000, 1200);
        grid.Rows(11);
        grid.Cols(3);
        add(Kind::TextBox, "txtInput").Move(0, 0, 900, 285);
    }
};

}  // namespace

TEST(SendKeys, KeysSentByAHandlerArriveAfterItReturns) {
    GridDialog dlg;
    dlg.Show();
    dlg.GrdInput->Row(3);
    dlg.GrdInput->Col(1);
    typeText(dlg.txtInput.get(), "42");
    pressKey(dlg.txtInput.get(), vbKeyUp);
    EXPECT_EQ(dlg.upSentBeforeMove, 3);
    EXPECT_EQ(dlg.GrdInput->TextMatrix(3, 1), "42");
    EXPECT_EQ(dlg.GrdInput->Row(), 2);
    EXPECT_EQ(dlg.ActiveControl(), &dlg.GrdInput.get());

    SendKeys("^{HOME}", true);
    EXPECT_EQ(dlg.GrdInput->Row(), 1);
    EXPECT_EQ(dlg.GrdInput->Col(), 1);
    EXPECT_EQ(errorNumberOf([] { SendKeys("{NOSUCHKEY}"); }), 5);
    dlg.Unload();
}

TEST(GridModel, CellsKeepTheirTextsWhenRowsAreAddedAndTheCellRectangleFollowsScrolling) {
    GridDialog dlg;
    Control& g = dlg.GrdInput.get();
    g.TextMatrix(2, 2, "b");
    g.Rows(20);
    EXPECT_EQ(g.TextMatrix(2, 2), "b");
    g.Rows(2);
    EXPECT_EQ(g.Row(), 1);
    g.Rows(20);
    EXPECT_EQ(g.TextMatrix(2, 2), "") << "rows dropped and added again are empty";

    g.ColWidth(0, 500);
    g.Row(3);
    g.Col(2);
    EXPECT_EQ(g.CellLeft(), 500 + 15 + 960 + 15);
    EXPECT_EQ(g.CellTop(), 3 * (240 + 15));
    EXPECT_EQ(g.CellWidth(), 960);

    dlg.Show();
    pressKey(g, vbKeyPageDown);
    EXPECT_GT(g.TopRow(), 1) << "paging down scrolls the grid";
    EXPECT_GE(dlg.scrolls, 1);
    EXPECT_EQ(g.CellTop(), (240 + 15) + (g.Row() - g.TopRow()) * (240 + 15));
    dlg.Unload();
}

TEST(ListModels, CheckListRaisesItemCheckAndComboTextFollowsTheList) {
    Form dlg("frmLists", [](Form& f) {
        Control& list = f.addControl(Kind::ListBox, "LstGroup");
        list.Style(1);
        Control& combo = f.addControl(Kind::ComboBox, "CmbLanguage");
        combo.Style(2);
    });
    std::vector<std::int16_t> checked;
    int comboClicks = 0;
    dlg.on("LstGroup", Event::ItemCheck, [&](EventArgs& e) { checked.push_back(e.Item); });
    dlg.on("CmbLanguage", Event::Click, [&] { ++comboClicks; });
    Control& list = dlg.control("LstGroup");
    for (const char* item : {"one", "two", "three"}) list.AddItem(item);
    list.Selected(1, true);
    list.Selected(1, true);
    dlg.Show();
    EXPECT_TRUE(checkItem(list, 2, true));
    EXPECT_EQ(checked, (std::vector<std::int16_t>{1, 2}));
    list.RemoveItem(0);
    EXPECT_TRUE(list.Selected(0));
    EXPECT_EQ(list.List(0), "two");

    Control& combo = dlg.control("CmbLanguage");
    combo.AddItem("English");
    combo.AddItem("German");
    combo.Text("German");
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_EQ(comboClicks, 1);
    EXPECT_EQ(errorNumberOf([&] { combo.Text("Klingon"); }), 383) << "a drop-down list takes only its own entries";
    EXPECT_TRUE(selectItem(combo, 0));
    EXPECT_EQ(combo.Text(), "English");
    dlg.Unload();
}

TEST(UpDownModel, ArrowsStepWithinTheRange) {
    Form dlg("frmZoom", [](Form& f) {
        Control& spin = f.addControl(Kind::UpDown, "UpDnZoom");
        spin.Min(0);
        spin.Max(3);
        spin.Increment(2);
    });
    std::vector<std::string> events;
    dlg.on("UpDnZoom", Event::UpClick, [&] { events.push_back("up"); });
    dlg.on("UpDnZoom", Event::Change, [&] { events.push_back("change"); });
    dlg.Show();
    Control& spin = dlg.control("UpDnZoom");
    spinUp(spin);
    spinUp(spin);
    spinUp(spin);
    EXPECT_EQ(spin.Value(), 3);
    EXPECT_EQ(events, (std::vector<std::string>{"change", "up", "change", "up", "up"}));
    dlg.Unload();
}
