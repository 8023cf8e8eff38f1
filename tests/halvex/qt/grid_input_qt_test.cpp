// The grid-input dialog shown for real on the offscreen platform: values
// typed into cells through Qt key events, the floating editor over its
// cell (also after a sideways scroll), OK.
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
#include <functional>
#include <string>

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
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
    settle();
}

void clickCell(QAbstractItemView* view, int row, int col)
{
    QPointF at = QRectF(view->visualRect(view->model()->index(row, col))).center();
    QWidget* viewport = view->viewport();
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
    settle();
}

// The editor lies on the cell: same size and place within a few pixels.
void expectEditorOnCell(QTableWidget* table, QLineEdit* editor, int row, int col)
{
    ASSERT_TRUE(editor->isVisible());
    QWidget* window = editor->parentWidget();
    QRect cell = table->visualItemRect(table->item(row, col));
    cell.moveTopLeft(table->viewport()->mapTo(window, cell.topLeft()));
    const QRect placed = editor->geometry();
    EXPECT_LE(std::abs(placed.center().x() - cell.center().x()), 3) << "cell column " << col;
    EXPECT_LE(std::abs(placed.center().y() - cell.center().y()), 3) << "cell row " << row;
    EXPECT_LE(std::abs(placed.width() - cell.width()), 3);
    EXPECT_LE(std::abs(placed.height() - cell.height()), 3);
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
    titles.redim(0, C);
    types.redim(0, C);
    maxima.redim(0, C);
    minima.redim(0, C);
    values.redim(0, 2, 0, C);
    for (std::int32_t c = 1; c <= C; ++c) {
        titles.at(c) = "Load case " + std::to_string(c);
        types.at(c) = std::int16_t{halvex::InputSingle};
        maxima.at(c) = 1000.0;
        values.at(1, c) = std::to_string(c);
        values.at(2, c) = std::to_string(10 * c);
    }

    halvex::frmGridInput& form = halvex::gridInputForm();
    bool acted = false;
    QTimer::singleShot(0, [&] {
        settle();
        acted = true;
        auto* table = dynamic_cast<QTableWidget*>(forms::qt::widgetOf(*form.GrdInput));
        auto* editor = dynamic_cast<QLineEdit*>(forms::qt::widgetOf(*form.txtInput));
        auto* ok = dynamic_cast<QPushButton*>(forms::qt::widgetOf(*form.cmdOK));
        ASSERT_NE(table, nullptr);
        ASSERT_NE(editor, nullptr);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(table->columnCount(), C);

        // A value typed on a cell of row 2: the editor opens on it.
        clickCell(table, 1, 1);
        typeKey(table, Qt::Key_4, "4");
        expectEditorOnCell(table, editor, 1, 1);
        typeKey(editor, Qt::Key_2, "2");
        EXPECT_EQ(editor->text(), "42");
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

        // A column the user widens keeps its width.
        table->horizontalHeader()->resizeSection(6, 150);
        settle();
        EXPECT_EQ(form.GrdInput->ColWidth(7), 149 * 15);

        // The spreadsheet view: the grid's cells in place, a value typed
        // into a new row.
        auto* viewButton = dynamic_cast<QPushButton*>(forms::qt::widgetOf(*form.CmdExcel));
        ASSERT_NE(viewButton, nullptr);
        viewButton->click();
        settle();
        auto* sheet = dynamic_cast<QTableView*>(forms::qt::widgetOf(*form.SprInput));
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(sheet->isVisible());
        EXPECT_FALSE(table->isVisible());
        EXPECT_TRUE(sheet->hasFocus()) << "the sheet takes the keys once the copy is done";
        EXPECT_EQ(sheet->model()->index(1, 1).data().toString(), "42");
        EXPECT_EQ(sheet->model()->headerData(0, Qt::Horizontal).toString(), "1");
        const QModelIndex target = sheet->model()->index(2, 1);
        clickCell(sheet, 2, 1);
        EXPECT_EQ(form.SprInput->ActiveRow(), 3);
        EXPECT_EQ(form.SprInput->ActiveColumn(), 2);
        typeKey(sheet, Qt::Key_8, "8");
        EXPECT_EQ(target.data().toString(), "8") << "the entry shows in its cell";
        typeKey(sheet, Qt::Key_Return, "\r");
        EXPECT_EQ(form.SprInput->CellText(3, 2), "8");
        viewButton->click();
        settle();
        EXPECT_EQ(table->item(2, 1)->text(), "8");
        EXPECT_TRUE(table->hasFocus()) << "back in the grid view the grid takes the keys";
        ok->click();
    });
    QTimer::singleShot(10000, [&] {
        if (form.loaded()) forms::closeWindow(form);
    });
    const bool cancelled = valmor.ShowGridInput(titles, values, types, maxima, minima);
    EXPECT_TRUE(acted);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(values.at(2, 2).toString(), "42");
    EXPECT_EQ(values.at(1, 7).toString(), "7");
    EXPECT_EQ(values.at(2, 9).toString(), "90");
    EXPECT_EQ(valmor.NoRowGrid(), 3);
    EXPECT_EQ(values.at(3, 2).toString(), "8");
}
