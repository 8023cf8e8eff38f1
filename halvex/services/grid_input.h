// The grid-input dialog: a modal table of values under column titles, with
// an input check and limits per column. The caller names the columns,
// passes the first rows and gets the table back as cell texts; the user
// edits cells in a floating editor over the grid (or in a spreadsheet
// view), adds, inserts, copies and deletes rows, and confirms with OK,
// which checks every value.
//
// Table layout, the same in the grid, in HGrid and in GridValues: data rows
// 1..R and data columns 1..C; row 0 holds the column titles and column 0
// the row numbers "1", "2", ... Arrays are indexed (row, column) from 0.
//
// The caller's arrays are never erased: HGrid becomes the (0..R, 0..C)
// table when the user confirms and stays as it was otherwise (Cancel, the
// close box, an error); TitleGrid, InputTypeGrid, MaxInputGrid and
// MinInputGrid are only read.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/variant.h"

namespace forms {
class Control;
class Form;
}  // namespace forms

namespace halvex {

// Shows the dialog for NoColGrid columns and NoRowGrid rows of HGrid
// (1..R, 1..C): TitleGrid(0..C) titles the row-number column and the data
// columns, InputTypeGrid, MaxInputGrid and MinInputGrid (1..C) give every
// column's input mode (InputString 4 is not checked) and limits, and
// HelpTopicNo the Help button's topic ("" for the help popup). False when
// the user confirmed: NoRowGrid then holds the rows returned (0 for one
// empty row) and HGrid the texts. True when the user cancelled or closed
// the window, and after a run-time error, which is reported to the user.
bool ShowGridInput(rt::VArray& TitleGrid, rt::VArray& HGrid, rt::VArray& InputTypeGrid,
                   rt::VArray& MaxInputGrid, rt::VArray& MinInputGrid, const std::string& HelpTopicNo = "");

// Fills the grid of the dialog's form: titles, column widths (title width +
// 100 twips, data columns at least 800), header height, row numbers, the
// values of HGrid with leading blanks removed. NoRowGrid 0 becomes one
// empty row (HGrid redimensioned). Error 6 beyond 32766 rows or columns.
void SetGridHeader(rt::VArray& TitleGrid, rt::VArray& HGrid, forms::Form& Objform, forms::Control& ObjGrid);

// OK's check: reads every cell of the dialog's grid into GridValues after
// its column's input check. A rejected value opens the cell in the editor
// with its text selected and leaves DialogConfirmed False; otherwise
// DialogConfirmed becomes True (a single all-empty row gives NoRowGrid 0).
void ReadGridValues();

// Places the editor txtInput over the grid's current cell (brought into
// view first) and opens it by KeyAscii: -1 the cell's text all selected,
// 13 the cell's text with the caret at its end, 27 nothing, any other
// character that character alone (a control key such as Backspace: empty). Remembers the cell it was opened on.
void ShowTxtInputBox(forms::Control& txtInput, forms::Control& GrdInput, std::int16_t KeyAscii = 0);

// The row operations on the current row; each ends on column 1 with the
// focus on the grid, and cmdDelete enabled while more than one row is left.
// New: one empty row. Insert: an empty row at the current one. Copy: the
// current row duplicated below it, the cursor on the copy (both raise error
// 6 on a table of 32766 rows). Delete: asks, then removes the current row
// and moves to the row above.
void InputGridNew(forms::Control& GrdInput, forms::Control& cmdDelete);
void InputGridInsert(forms::Control& GrdInput, forms::Control& cmdDelete);
void InputGridCopy(forms::Control& GrdInput, forms::Control& cmdDelete);
void InputGridDelete(forms::Control& GrdInput, forms::Control& cmdDelete);

// Widest table that the grid takes, twips; the form is this much wider.
inline constexpr std::int32_t kGridInputMaxWidth = 6200;
inline constexpr std::int32_t kGridInputFormMargin = 1750;

}  // namespace halvex
