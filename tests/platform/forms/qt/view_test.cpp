// The Qt view of a form, offscreen: widgets built from the model, user
// input going back to the model, model changes showing in the widgets,
// modal display in a nested event loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/qt/application.h"
#include "platform/forms/screen.h"
#include "platform/forms/win.h"
#include "platform/runtime/errors.h"
#include "platform/forms/qt/qt_environment.h"
#include "platform/forms/sample_dialog.h"

using namespace forms;
using forms::qt::widgetOf;
using forms::qt::windowOf;
using formstest::SampleDialog;

namespace {

void typeKey(QWidget* widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}

void clickWidget(QWidget* widget) {
    QPointF centre = QRectF(widget->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

struct ShownInQt : ::testing::Test {
    void SetUp() override {
        dlg.Show();
        formstest::processEvents();
    }
    void TearDown() override {
        dlg.unloadWithoutEvents();
        formstest::processEvents();
    }
    SampleDialog dlg;
};

}  // namespace

TEST_F(ShownInQt, EveryControlIsAWidgetPlacedAtItsTwipsOverFifteen) {
    QWidget* window = windowOf(dlg);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Net parameters");
    win::POINTAPI origin = win::clientOrigin(dlg.hWnd());
    EXPECT_EQ(window->geometry(), QRect(origin.X, origin.Y, dlg.ScaleWidth() / 15, dlg.ScaleHeight() / 15));

    auto* frame = dynamic_cast<QGroupBox*>(widgetOf(dlg.fraStep(0)));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), "Parameters");
    auto* box = dynamic_cast<QLineEdit*>(widgetOf(dlg.TxtInputData(0)));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), frame);
    EXPECT_EQ(box->geometry(), QRect(2160 / 15, 330 / 15, 1500 / 15, 315 / 15));

    auto* label = dynamic_cast<QLabel*>(widgetOf(dlg.LblInputData(1)));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Row 1");
    EXPECT_NE(dynamic_cast<QRadioButton*>(widgetOf(dlg.OptElementType(1))), nullptr);
    EXPECT_NE(dynamic_cast<QCheckBox*>(widgetOf(dlg.chkSmoothMesh.get())), nullptr);
    EXPECT_EQ(static_cast<QPushButton*>(widgetOf(dlg.cmdNav(3)))->text(), "Next >");
}

TEST_F(ShownInQt, TypingIntoTheLineEditGoesThroughKeyPressIntoTheModel) {
    auto* box = static_cast<QLineEdit*>(widgetOf(dlg.TxtInputData(0)));
    typeKey(box, Qt::Key_4, "4");
    typeKey(box, Qt::Key_X, "x");
    typeKey(box, Qt::Key_2, "2");
    EXPECT_EQ(dlg.TxtInputData(0).Text(), "42") << "the KeyPress handler refused x";
    EXPECT_EQ(box->text(), "42");
    EXPECT_EQ(box->cursorPosition(), 2);
    EXPECT_EQ(dlg.changes.size(), 2u);

    typeKey(box, Qt::Key_Return, "\r");  // the handler moves the focus on
    EXPECT_EQ(dlg.ActiveControl(), &dlg.TxtInputData(1));
}

TEST_F(ShownInQt, ClickingWidgetsRunsTheHandlersAndTheWidgetsShowTheModel) {
    clickWidget(widgetOf(dlg.cmdNav(0)));
    EXPECT_EQ(dlg.navClicks, (std::vector<std::int16_t>{0}));

    auto* check = static_cast<QCheckBox*>(widgetOf(dlg.chkSmoothMesh.get()));
    clickWidget(check);
    EXPECT_EQ(dlg.chkSmoothMesh->Value(), vbChecked);
    EXPECT_TRUE(check->isChecked());

    auto* first = static_cast<QRadioButton*>(widgetOf(dlg.OptElementType(0)));
    auto* second = static_cast<QRadioButton*>(widgetOf(dlg.OptElementType(1)));
    clickWidget(second);
    clickWidget(first);
    clickWidget(first);  // clicking the option that is on leaves it on
    EXPECT_TRUE(first->isChecked());
    EXPECT_FALSE(second->isChecked());
    EXPECT_EQ(dlg.optionClicks, (std::vector<std::int16_t>{1, 0}));
}

TEST_F(ShownInQt, ModelChangesShowInTheWidgets) {
    auto* back = static_cast<QPushButton*>(widgetOf(dlg.cmdNav(2)));
    dlg.cmdNav(2).Caption("Earlier");
    dlg.cmdNav(2).Left(1500);
    EXPECT_EQ(back->text(), "Earlier");
    EXPECT_EQ(back->x(), 100);
    dlg.cmdNav(2).Enabled(false);
    EXPECT_FALSE(back->isEnabled());
    dlg.cmdNav(2).Visible(false);
    EXPECT_FALSE(back->isVisible());

    dlg.TxtInputData(1).Text("1.5");
    EXPECT_EQ(static_cast<QLineEdit*>(widgetOf(dlg.TxtInputData(1)))->text(), "1.5");
    dlg.TxtInputData(1).Alignment(vbRightJustify);
    EXPECT_TRUE(static_cast<QLineEdit*>(widgetOf(dlg.TxtInputData(1)))->alignment() & Qt::AlignRight);
    dlg.OptElementType(1).ToolTipText("Grid-based net");
    EXPECT_EQ(widgetOf(dlg.OptElementType(1))->toolTip(), "Grid-based net");

    QWidget* window = windowOf(dlg);
    dlg.Caption("Renamed");
    dlg.Left(3000);
    EXPECT_EQ(window->windowTitle(), "Renamed");
    EXPECT_EQ(window->geometry().x(), 3000 / 15 + win::GetSystemMetrics(win::SM_CXFRAME));

    // Mirrored geometry is the model's: a moved control stays where the
    // model puts it even in a right-to-left form.
    dlg.RightToLeft(true);
    dlg.TxtInputData(2).Left(600);
    EXPECT_EQ(widgetOf(dlg.TxtInputData(2))->x(), 40);

    // A control loaded at run time appears; unloading it removes it.
    Control& extra = dlg.OptElementType.Load(2);
    extra.Top(1300);
    extra.Visible(true);
    QWidget* extraWidget = widgetOf(extra);
    ASSERT_NE(extraWidget, nullptr);
    EXPECT_TRUE(extraWidget->isVisible());
    dlg.OptElementType.Unload(2);
    EXPECT_EQ(widgetOf(dlg.OptElementType(0))->parentWidget(), widgetOf(dlg.fraStep(0)));
}

TEST(ModalInQt, ShowRunsANestedLoopUntilTheFormHides) {
    SampleDialog dlg;
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = QApplication::activeModalWidget() == windowOf(dlg);
        clickWidget(widgetOf(dlg.cmdNav(3)));  // Next hides the form
    });
    dlg.Show(vbModal);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(dlg.Visible());
    EXPECT_TRUE(dlg.loaded());
    EXPECT_EQ(dlg.navClicks, (std::vector<std::int16_t>{3}));

    QTimer::singleShot(0, [&] { windowOf(dlg)->close(); });  // the close box unloads
    dlg.Show(vbModal);
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(dlg.unloadModes, (std::vector<std::int16_t>{vbFormControlMenu}));
    formstest::processEvents();
}

TEST(GridInQt, CellsHeadersAndTheCurrentCellFollowTheModel) {
    Form dlg("frmGrid", [](Form& f) {
        Control& g = f.addControl(Kind::Grid, "GrdInput");
        g.Move(120, 120, 4500, 2400);
        g.Rows(4);
        g.Cols(3);
    });
    Control& g = dlg.control("GrdInput");
    g.TextMatrix(0, 1, "Load");
    g.TextMatrix(2, 0, "2");
    g.TextMatrix(2, 2, "7.5");
    g.ColWidth(2, 1500);
    dlg.Show();
    g.Row(2);
    g.Col(2);
    formstest::processEvents();
    auto* table = dynamic_cast<QTableWidget*>(widgetOf(g));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 3) << "the fixed row is the header";
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Load");
    EXPECT_EQ(table->verticalHeaderItem(1)->text(), "2");
    EXPECT_EQ(table->item(1, 1)->text(), "7.5");
    EXPECT_EQ(table->columnWidth(1), 101) << "100 pixels and the grid line";
    EXPECT_EQ(table->currentRow(), 1);
    EXPECT_EQ(table->currentColumn(), 1);

    emit table->cellClicked(0, 0);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 1);
    dlg.Unload();
    formstest::processEvents();
}

TEST(TextInQt, FormTextWidthMeasuresWithTheFontsMetrics) {
    Form f("frmMeasure");
    std::int32_t narrow = f.TextWidth("iiii");
    std::int32_t wide = f.TextWidth("WWWW");
    EXPECT_GT(wide, narrow) << "real metrics, not a fixed width per character";
    EXPECT_GT(f.TextHeight("A"), 0);
    EXPECT_EQ(f.TextHeight("A\rB"), 2 * f.TextHeight("A"));
}

TEST_F(ShownInQt, AHandlersErrorBecomesACriticalBoxAndTheViewGoesOn) {
    ScopedMsgBox script;
    script->answer(vbOK);
    dlg.on("cmdNav", Event::Click, [this](std::int16_t index) {
        if (index == 4) rt::raise(13);
        dlg.navClicks.push_back(index);
    });
    clickWidget(widgetOf(dlg.cmdNav(4)));
    ASSERT_EQ(script->boxes().size(), 1u);
    EXPECT_EQ(script->boxes()[0].style & 0x70, vbCritical);
    EXPECT_NE(script->boxes()[0].prompt.find("Type mismatch"), std::string::npos);
    clickWidget(widgetOf(dlg.cmdNav(0)));
    EXPECT_EQ(dlg.navClicks, (std::vector<std::int16_t>{0}));
}

TEST_F(ShownInQt, TheKeyboardMovesTheFocusAndEscapePressesCancel) {
    auto* first = static_cast<QLineEdit*>(widgetOf(dlg.TxtInputData(0)));
    typeKey(first, Qt::Key_Tab, "\t");
    EXPECT_EQ(dlg.ActiveControl(), &dlg.TxtInputData(1));
    EXPECT_EQ(dlg.TxtInputData(0).Text(), "") << "Tab types nothing";
    EXPECT_TRUE(windowOf(dlg)->testAttribute(Qt::WA_KeyboardFocusChange)) << "the focus moved by Tab is marked";

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    QCoreApplication::sendEvent(widgetOf(dlg.TxtInputData(1)), &escape);
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(windowOf(dlg), nullptr);
    formstest::processEvents();
}

// The focus is marked however it moved: by a click, or by the program (a
// step's first box, Enter to the next box), not only by Tab.
TEST_F(ShownInQt, TheFocusIsAlwaysMarked) {
    QWidget* window = windowOf(dlg);
    EXPECT_TRUE(window->testAttribute(Qt::WA_KeyboardFocusChange));
    clickWidget(widgetOf(dlg.TxtInputData(1)));
    dlg.TxtInputData(1).SetFocus();
    formstest::processEvents();
    window->setAttribute(Qt::WA_KeyboardFocusChange, false);  // what a click does to the mark
    dlg.TxtInputData(0).SetFocus();
    formstest::processEvents();
    EXPECT_TRUE(window->testAttribute(Qt::WA_KeyboardFocusChange));
}

// A progress bar fills the way its window reads: from the right in a
// mirrored one.
TEST(ProgressInQt, ABarFillsFromTheRightInAMirroredWindow) {
    Form wait("frmWait", [](Form& f) { f.RightToLeft(true); f.addControl(Kind::ProgressBar, "prgBar"); });
    wait.Show();
    EXPECT_EQ(widgetOf(wait.control("prgBar"))->layoutDirection(), Qt::RightToLeft);
    wait.unloadWithoutEvents();
}

TEST_F(ShownInQt, PastingGoesAroundKeyPressButRaisesChange) {
    clipboard().setText("3.25");
    auto* box = static_cast<QLineEdit*>(widgetOf(dlg.TxtInputData(2)));
    box->setFocus();
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString());
    QCoreApplication::sendEvent(box, &paste);
    EXPECT_EQ(dlg.TxtInputData(2).Text(), "3.25");
    EXPECT_EQ(dlg.changes, (std::vector<std::int16_t>{2}));
}

TEST(ListsInQt, TheUsersTicksAndChoicesReachTheModel) {
    Form dlg("frmLists", [](Form& f) {
        Control& list = f.addControl(Kind::ListBox, "LstGroup");
        list.Move(120, 120, 2400, 1500);
        list.Style(1);
        Control& combo = f.addControl(Kind::ComboBox, "CmbLanguage");
        combo.Move(120, 1800, 2400, 315);
        combo.Style(2);
    });
    std::vector<std::int16_t> checked;
    dlg.on("LstGroup", Event::ItemCheck, [&](EventArgs& e) { checked.push_back(e.Item); });
    Control& list = dlg.control("LstGroup");
    Control& combo = dlg.control("CmbLanguage");
    for (const char* s : {"Springs", "Piles", "Borings"}) list.AddItem(s);
    for (const char* s : {"English", "German", "Arabic"}) combo.AddItem(s);
    combo.ListIndex(0);
    dlg.Show();
    formstest::processEvents();

    auto* listWidget = dynamic_cast<QListWidget*>(widgetOf(list));
    ASSERT_NE(listWidget, nullptr);
    ASSERT_EQ(listWidget->count(), 3);
    listWidget->item(2)->setCheckState(Qt::Checked);
    EXPECT_TRUE(list.Selected(2));
    EXPECT_EQ(checked, (std::vector<std::int16_t>{2}));

    auto* comboWidget = dynamic_cast<QComboBox*>(widgetOf(combo));
    ASSERT_NE(comboWidget, nullptr);
    EXPECT_FALSE(comboWidget->isEditable());
    EXPECT_EQ(comboWidget->currentText(), "English");
    emit comboWidget->activated(2);
    EXPECT_EQ(combo.ListIndex(), 2);
    EXPECT_EQ(combo.Text(), "Arabic");
    dlg.Unload();
    formstest::processEvents();
}

TEST(ProgramLoop, EndsWhenTheLastShownFormIsUnloadedOrTheProgramEnds) {
    SampleDialog main;
    SampleDialog hiddenHelper;  // loaded but never shown: keeps nothing alive
    hiddenHelper.Load();
    main.Show();
    QTimer::singleShot(0, [&] { clickWidget(widgetOf(main.cmdNav(1))); });  // Cancel unloads
    EXPECT_EQ(formstest::application().exec(), 0);
    EXPECT_FALSE(main.loaded());
    EXPECT_EQ(formstest::application().exec(), 0) << "nothing shown: nothing to run";
    hiddenHelper.Unload();
}
