// The cases that bite: handlers that unload their form mid-gesture, the
// keystroke notation, tab order, aligned controls, list and grid limits,
// nested modal forms, containers with borders.
#include <gtest/gtest.h>

#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/win.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"
#include "platform/forms/sample_dialog.h"

using namespace forms;
using formstest::SampleDialog;

namespace {

// A text box and two buttons; "!" typed into the box, or OK, unloads.
class EditorDialog : public Form {
public:
    EditorDialog() : Form("frmEditor") {
        on("txtValue", Event::KeyPress, [this](EventArgs& e) {
            keys.push_back(e.KeyAscii);
            if (e.KeyAscii == '!') Unload();
        });
        on("txtValue", Event::KeyDown, [this](EventArgs& e) { keyDowns.push_back(e.KeyCode); });
        on("cmdOK", Event::Click, [this] { Unload(); });
        on("cmdApply", Event::Click, [this] { ++applied; });
    }
    ControlRef txtValue{this, "txtValue"};
    ControlRef cmdOK{this, "cmdOK"};
    ControlRef cmdApply{this, "cmdApply"};
    std::vector<std::int16_t> keys;
    std::vector<std::int16_t> keyDowns;
    int applied = 0;

protected:
    void design() override {
        add(Kind::TextBox, "txtValue").Move(120, 120, 2000, 315);
        add(Kind::CommandButton, "cmdOK").Move(120, 600, 1250, 375);
        add(Kind::CommandButton, "cmdApply").Move(1500, 600, 1250, 375);
        control("cmdOK").Default(true);
    }
};

}  // namespace

TEST(HandlersThatUnload, TheGestureStopsWhenItsFormIsGone) {
    EditorDialog dlg;
    dlg.Show();
    EXPECT_TRUE(typeText(dlg.txtValue.get(), "ab!cd"));
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(dlg.keys, (std::vector<std::int16_t>{'a', 'b', '!'})) << "no key after the form was unloaded";

    dlg.Show();
    EXPECT_TRUE(pressKey(dlg.txtValue.get(), vbKeyReturn));  // Enter presses the default button
    EXPECT_FALSE(dlg.loaded());
}

TEST(SendKeysNotation, RepeatsModifiersLiteralsAndMistakes) {
    EditorDialog dlg;
    dlg.Show();
    focus(dlg.txtValue.get());
    SendKeys("a{+}b{F1}{LEFT 2}x", true);
    EXPECT_EQ(dlg.txtValue->Text(), "ax+b");
    EXPECT_EQ(dlg.keys, (std::vector<std::int16_t>{'a', '+', 'b', 'x'}));
    EXPECT_EQ(dlg.keyDowns, (std::vector<std::int16_t>{'A', 187, 'B', vbKeyF1, vbKeyLeft, vbKeyLeft, 'X'}));
    SendKeys("+{TAB}", true);
    EXPECT_EQ(dlg.ActiveControl(), &dlg.cmdApply.get()) << "Shift+Tab goes backwards and wraps";
    for (const char* bad : {"{UP", "^", "(ab)", "{UP x}", "{F99}"}) {
        EXPECT_EQ(errorNumberOf([&] { SendKeys(bad, true); }), 5) << bad;
    }
    SendKeys("~", true);  // Enter on the focused button presses it
    EXPECT_EQ(dlg.applied, 1);
    dlg.Unload();
}

TEST(SendKeysNotation, AnErrorOfAHandlerRunByAPostedKeyReachesTheGesture) {
    EditorDialog dlg;
    dlg.on("txtValue", Event::KeyDown, [](EventArgs& e) {
        if (e.KeyCode == vbKeyF1) SendKeys("{DOWN}");
        if (e.KeyCode == vbKeyDown) rt::raise(13);
    });
    dlg.Show();
    EXPECT_EQ(errorNumberOf([&] { pressKey(dlg.txtValue.get(), vbKeyF1); }), 13);
    SendKeys("z", true);  // nothing stale is left in the queue
    EXPECT_EQ(dlg.txtValue->Text(), "z");
    dlg.Unload();
}

TEST(TabOrder, AssigningATabIndexShiftsTheOthersAndTabSkipsWhatCannotTakeFocus) {
    SampleDialog dlg;
    dlg.Show();
    dlg.cmdNav(4).TabIndex(0);
    EXPECT_EQ(dlg.cmdNav(4).TabIndex(), 0);
    EXPECT_EQ(dlg.fraStep(0).TabIndex(), 1);
    std::vector<std::int16_t> indexes;
    for (Control* c : dlg.Controls()) indexes.push_back(c->TabIndex());
    std::sort(indexes.begin(), indexes.end());
    for (std::size_t i = 0; i < indexes.size(); ++i) EXPECT_EQ(indexes[i], static_cast<std::int16_t>(i));

    dlg.TxtInputData(1).Enabled(false);
    focus(dlg.TxtInputData(0));
    pressKey(dlg.TxtInputData(0), vbKeyTab);
    EXPECT_EQ(dlg.ActiveControl(), &dlg.TxtInputData(2));
    dlg.TxtInputData(2).Visible(false);
    EXPECT_EQ(dlg.ActiveControl(), nullptr) << "a hidden control loses the focus";
    dlg.Unload();
}

// A picture box holding buttons is no tab stop (its buttons are); one of
// its own is, and it can still be focused by code.
TEST(TabOrder, TabPassesOverAPictureBoxThatHoldsControls) {
    Form dlg("frmBoxes", [](Form& f) {
        Control& bar = f.addControl(Kind::PictureBox, "picNav");
        bar.Move(0, 1200, 4000, 600);
        f.addControl(Kind::CommandButton, "cmdHelp", -1, &bar).Move(120, 120, 1200, 375);
        f.addControl(Kind::PictureBox, "picSample").Move(120, 120, 1200, 900);
    });
    dlg.Show();
    EXPECT_EQ(dlg.ActiveControl(), &dlg.control("cmdHelp")) << "the first focus skips the holding box";
    pressKey(dlg.control("cmdHelp"), vbKeyTab);
    EXPECT_EQ(dlg.ActiveControl(), &dlg.control("picSample"));
    dlg.control("picNav").SetFocus();
    pressKey(dlg.control("picNav"), vbKeyTab);
    EXPECT_EQ(dlg.ActiveControl(), &dlg.control("cmdHelp"));
    dlg.Unload();
}

TEST(AlignedControls, AStatusBarSpansTheClientAreaAtTheBottom) {
    Form dlg("frmStatus", [](Form& f) {
        f.Move(0, 0, 6000, 4000);
        f.addControl(Kind::StatusBar, "stbStatus");
    });
    Control& bar = dlg.control("stbStatus");
    EXPECT_EQ(bar.Left(), 0);
    EXPECT_EQ(bar.Width(), dlg.ScaleWidth());
    EXPECT_EQ(bar.Top() + bar.Height(), dlg.ScaleHeight());
    dlg.Height(5000);
    dlg.Width(7000);
    EXPECT_EQ(bar.Width(), dlg.ScaleWidth());
    EXPECT_EQ(bar.Top() + bar.Height(), dlg.ScaleHeight());
    EXPECT_EQ(bar.PanelCount(), 1);
    EXPECT_EQ(errorNumberOf([&] { bar.PanelText(2, "x"); }), 35600);
}

TEST(ListModels, InsertsAndRemovalsKeepTheSelectionOnItsEntry) {
    Form dlg("frmList", [](Form& f) {
        f.addControl(Kind::ListBox, "lst");
        f.addControl(Kind::ComboBox, "cbo");
    });
    Control& list = dlg.control("lst");
    for (const char* s : {"a", "b", "c"}) list.AddItem(s);
    list.ListIndex(1);
    list.AddItem("first", 0);
    EXPECT_EQ(list.ListIndex(), 2);
    EXPECT_EQ(list.Text(), "b");
    list.RemoveItem(2);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(errorNumberOf([&] { list.AddItem("x", 9); }), 5);
    EXPECT_EQ(list.List(99), "") << "an entry past the end reads empty";

    Control& combo = dlg.control("cbo");  // an editable combo box
    combo.AddItem("10");
    combo.AddItem("20");
    dlg.Show();
    typeText(combo, "2");
    EXPECT_EQ(combo.ListIndex(), -1);
    typeText(combo, "0");
    EXPECT_EQ(combo.ListIndex(), 1) << "typing an entry's text selects it";
    combo.Clear();
    EXPECT_EQ(combo.Text(), "");
    dlg.Unload();
}

TEST(GridModel, OutOfRangeCellsRaiseTheGridsErrors) {
    Form dlg("frmGrid", [](Form& f) { f.addControl(Kind::Grid, "grd").Move(0, 0, 3000, 2000); });
    Control& g = dlg.control("grd");
    g.Rows(5);
    g.Cols(4);
    EXPECT_EQ(errorNumberOf([&] { g.Row(5); }), 30009);
    EXPECT_EQ(errorNumberOf([&] { g.Col(-1); }), 30010);
    EXPECT_EQ(errorNumberOf([&] { g.TextMatrix(5, 0); }), 381);
    EXPECT_EQ(errorNumberOf([&] { g.Rows(0); }), 380);
    EXPECT_EQ(errorNumberOf([&] { g.FixedRows(5); }), 380);
    g.Row(4);
    g.TopRow(4);
    g.Rows(3);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.TopRow(), 2);
    g.Text("cell");
    EXPECT_EQ(g.TextMatrix(2, g.Col()), "cell");
}

TEST(WindowFunctions, PictureBoxChildrenSitInsideItsBorderAndDialogItemsAreFound) {
    Form dlg("frmPicture", [](Form& f) {
        f.Move(0, 0, 6000, 4000);
        Control& picture = f.addControl(Kind::PictureBox, "picNav");
        picture.Move(150, 300, 4500, 900);
        Control& button = f.addControl(Kind::CommandButton, "cmdGo", -1, &picture);
        button.Move(0, 0, 1200, 375);
        button.dialogId(1);
    });
    namespace win = forms::win;
    Control& picture = dlg.control("picNav");
    Control& button = dlg.control("cmdGo");
    win::RECT p, b, client;
    win::GetWindowRect(picture.hWnd(), p);
    win::GetWindowRect(button.hWnd(), b);
    EXPECT_EQ(b.Left - p.Left, 2);
    EXPECT_EQ(b.Top - p.Top, 2);
    win::GetClientRect(picture.hWnd(), client);
    EXPECT_EQ(client.Right, 300 - 4);
    EXPECT_EQ(win::GetDlgItem(picture.hWnd(), 1), button.hWnd());
    EXPECT_EQ(win::GetDlgItem(dlg.hWnd(), 1), 0) << "only direct children";
    EXPECT_EQ(win::GetWindowLong(button.hWnd(), win::GWL_ID), 1);

    EXPECT_EQ(win::ShowWindow(dlg.hWnd(), win::SW_SHOWMAXIMIZED), 0);
    EXPECT_TRUE(dlg.Visible());
    EXPECT_EQ(dlg.WindowState(), vbMaximized);
    EXPECT_EQ(win::SetWindowPos(dlg.hWnd(), 0, 1, 1, 10, 10, 0), 0) << "a maximised form does not move";
    EXPECT_EQ(win::ShowWindow(dlg.hWnd(), win::SW_HIDE), 1);
    dlg.Unload();
}

TEST(ModalDisplay, ModalFormsNestAndMessageBoxesInsideThemAreScripted) {
    SampleDialog outer;
    EditorDialog inner;
    ScopedMsgBox script;
    script->answer(vbYes);
    std::vector<std::string> seen;
    ScopedModalDriver driver([&](Form& form) {
        seen.push_back(form.Name());
        if (&form == &outer) {
            inner.Show(vbModal);
            EXPECT_TRUE(click(outer.cmdNav(0))) << "the outer form takes input again";
            click(outer.cmdNav(1));
        } else {
            EXPECT_FALSE(click(outer.cmdNav(0)));
            EXPECT_EQ(MsgBox("Save?", vbYesNo), vbYes);
            click(inner.cmdOK.get());
        }
    });
    outer.Show(vbModal);
    EXPECT_EQ(seen, (std::vector<std::string>{"frmSample", "frmEditor"}));
    EXPECT_EQ(outer.navClicks, (std::vector<std::int16_t>{0, 1}));

    SampleDialog shown;
    shown.Show();
    EXPECT_EQ(errorNumberOf([&] { shown.Show(vbModal); }), 400);
    shown.Unload();
}
