// The grid-input dialog shown for real on the offscreen platform: values
// typed into cells through Qt key events, the floating editor over its
// cell (also after a sideways scroll), the spreadsheet view, OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

#include <cstdlib>
#include <string>
#include <tuple>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/frm_grid_input.h"
#include "halvex/services/library_state.h"
#include "platform/forms/input.h"
#include "platform/forms/qt/application.h"

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
    }
}

void typeKey(QWidget* widget, Qt::Key key, const QString& text)
{
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(widget, &event);
    }
    settle();
}

void clickCell(QAbstractItemView* view, int row, int col)
{
    const QPointF at = QRectF(view->visualRect(view->model()->index(row, col))).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &event);
    }
    settle();
}

// The editor lies on the cell: same size and place within a few pixels.
void expectEditorOnCell(QTableWidget* table, QLineEdit* editor, int row, int col)
{
    ASSERT_TRUE(editor->isVisible());
    QRect cell = table->visualItemRect(table->item(row, col));
    cell.moveTopLeft(table->viewport()->mapTo(editor->parentWidget(), cell.topLeft()));
    const QRect placed = editor->geometry();
    EXPECT_TRUE(std::abs(placed.center().x() - cell.center().x()) <= 3 &&
                std::abs(placed.center().y() - cell.center().y()) <= 3 &&
                std::abs(placed.width() - cell.width()) <= 3 && std::abs(placed.height() - cell.height()) <= 3)
        << "cell " << row << "," << col;
}

}  // namespace

TEST(GridInputInQt, ValuesTypedIntoCellsComeBackAndTheEditorCoversItsCell)
{
    halvex::resetLibraryState();
    halvex::libraryState().DecimalSystem = halvex::SystemPoint;
    constexpr std::int16_t C = 9;
    halvex::ClsValmor valmor;
    valmor.HeadGrid("Loads");
    valmor.NoColGrid(C);
    valmor.NoRowGrid(2);
    rt::VArray titles(rt::VarType::String), types(rt::VarType::Integer);
    rt::VArray maxima(rt::VarType::Double), minima(rt::VarType::Double), values;
    for (rt::VArray* a : {&titles, &types, &maxima, &minima}) a->redim(0, C);
    values.redim(0, 2, 0, C);
    for (std::int32_t c = 1; c <= C; ++c) types.at(c) = std::int16_t{halvex::InputSingle}, maxima.at(c) = 1000.0;
    values.at(2, 9) = std::string("90");

    halvex::frmGridInput& form = halvex::gridInputForm();
    bool acted = false;
    QTimer::singleShot(0, [&] {
        settle();
        acted = true;
        auto* table = dynamic_cast<QTableWidget*>(forms::qt::widgetOf(*form.GrdInput));
        auto* editor = dynamic_cast<QLineEdit*>(forms::qt::widgetOf(*form.txtInput));
        auto* view = dynamic_cast<QPushButton*>(forms::qt::widgetOf(*form.CmdExcel));
        auto* sheet = dynamic_cast<QTableView*>(forms::qt::widgetOf(*form.SprInput));
        auto* ok = dynamic_cast<QPushButton*>(forms::qt::widgetOf(*form.cmdOK));
        ASSERT_TRUE(table && editor && view && sheet && ok);

        clickCell(table, 1, 1);
        typeKey(table, Qt::Key_4, "4");
        expectEditorOnCell(table, editor, 1, 1);
        typeKey(editor, Qt::Key_2, "2");
        typeKey(editor, Qt::Key_Return, "\r");
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(form.GrdInput->TextMatrix(2, 2), "42");

        // Scrolled sideways, the cells move and the editor follows them.
        table->horizontalScrollBar()->setValue(table->horizontalHeader()->sectionPosition(4) + 3);
        settle();
        EXPECT_EQ(form.GrdInput->LeftCol(), 5) << "the scroll reaches the model";
        clickCell(table, 0, 6);
        typeKey(table, Qt::Key_7, "7");
        expectEditorOnCell(table, editor, 0, 6);
        typeKey(editor, Qt::Key_Return, "\r");

        table->horizontalHeader()->resizeSection(6, 150);  // widened by the user
        settle();
        EXPECT_EQ(form.GrdInput->ColWidth(7), 149 * 15);

        // The spreadsheet view: the grid's cells in place, a value typed into a new row.
        view->click();
        settle();
        EXPECT_TRUE(sheet->isVisible() && !table->isVisible());
        EXPECT_TRUE(sheet->hasFocus()) << "the sheet takes the keys once the copy is done";
        EXPECT_EQ(sheet->model()->index(1, 1).data().toString(), "42");
        clickCell(sheet, 2, 1);
        typeKey(sheet, Qt::Key_8, "8");
        EXPECT_EQ(sheet->model()->index(2, 1).data().toString(), "8") << "the entry shows in its cell";
        typeKey(sheet, Qt::Key_Return, "\r");
        view->click();
        settle();
        EXPECT_EQ(table->item(2, 1)->text(), "8");
        EXPECT_TRUE(table->hasFocus()) << "back in the grid view the grid takes the keys";
        ok->click();
    });
    QTimer::singleShot(10000, [&] { if (form.loaded()) forms::closeWindow(form); });
    EXPECT_FALSE(valmor.ShowGridInput(titles, values, types, maxima, minima));
    EXPECT_TRUE(acted);
    EXPECT_EQ(valmor.NoRowGrid(), 3);
    for (auto [r, c, text] : {std::tuple{2, 2, "42"}, {1, 7, "7"}, {2, 9, "90"}, {3, 2, "8"}})
        EXPECT_EQ(values.at(r, c).toString(), text) << r << "," << c;
}
