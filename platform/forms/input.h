// User input to the models: what the Qt view forwards from its widgets and
// what a test's driver calls to play the user. Each function acts as the
// user's gesture would: it moves the focus, raises the events in the
// toolkit's order and changes the model. A gesture at a control that cannot
// take it (hidden, disabled, on a form that is not shown, or outside the
// modal form on top) does nothing and returns false.
//
// Keystrokes posted by SendKeys from a handler are delivered when the
// outermost gesture returns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/forms/types.h"

namespace forms {

class Control;
class Form;

// A click: buttons raise Click; a check box cycles its Value (grey and
// ticked become clear), an option button is switched on; a label, picture
// or frame raises Click.
bool click(Control& control);
bool doubleClick(Control& control);

// Typing: for each character (UTF-8) KeyPress runs first (the form's, with
// KeyPreview, then the control's); a handler may change or cancel the key
// (KeyAscii 0). A text box or editable combo box then inserts the character
// at the caret, replacing the selection, within MaxLength and unless
// Locked, and raises Change. "\b" deletes backwards, "\r" is Enter and
// "\x1b" Escape (delivered as KeyPress only).
bool typeText(Control& control, std::string_view text);

// One key (KeyDown, the key's effect, KeyUp); text is the character the
// key produces, if any. Escape presses the form's Cancel button and Enter
// its Default button when it has one; Tab moves the focus; arrows, Home,
// End and page keys move in grids, lists and text boxes; Delete deletes.
bool pressKey(Control& control, std::int16_t keyCode, std::int16_t shift = 0,
              std::string_view text = {});

// Replaces the whole text of a text box or editable combo box (paste, undo)
// and raises Change.
bool editText(Control& control, std::string_view text);
// Caret and selection of a text box as the user moved them (no events).
bool setSelection(Control& control, std::int32_t start, std::int32_t length);

// Sets the value of a check box (0, 1, 2), option button (non-zero: on)
// or up-down control as the user's pointer would, with the events of the
// assignment (Click, or Change for the up-down).
bool setValue(Control& control, std::int32_t value);

// Picks a list or combo box entry (-1: none): ListIndex changes, Click.
bool selectItem(Control& control, std::int16_t index);
// Ticks or clears an entry of a check-box list: ItemCheck.
bool checkItem(Control& control, std::int16_t index, bool checked);

// Clicks a grid cell: Row and Col change, then Click. On a spreadsheet
// (cells from 1) the cell becomes the current one as by Select: an entry in
// progress is committed, SelectionChange follows.
bool selectCell(Control& grid, std::int32_t row, std::int32_t col);
// Scrolls a grid so that the given row is the first scrollable one shown.
bool scrollGrid(Control& grid, std::int32_t topRow);
// Scrolls a grid sideways so that the given column is the first scrollable
// one shown (LeftCol, Scroll).
bool scrollGridColumns(Control& grid, std::int32_t leftCol);
// The user drags a grid column's edge to a new width, twips: ColWidth
// follows when AllowUserResizing allows columns (1 or 3).
bool resizeGridColumn(Control& grid, std::int32_t col, std::int32_t width);

// A spreadsheet takes keys as a spreadsheet does: typing starts an entry
// into the current cell (StartEdit), Enter commits it and moves down,
// Escape cancels it (neither presses a form button while the sheet has the
// focus), arrows and page keys commit and move, Ctrl+Home goes to (1, 1),
// Delete empties the current cell, Ctrl+V pastes the clipboard's text there
// (lines to rows, tabs between cells).

// The arrows of an up-down control: Value steps by Increment within Min and
// Max (Change), then UpClick or DownClick.
// A date picked in a date picker's calendar: the value changes and Change
// is raised (also for the date already shown).
bool pickDate(Control& control, const Date& date);
bool spinUp(Control& control);
bool spinDown(Control& control);

// Mouse over a control; x, y in twips relative to the control.
bool mouseMove(Control& control, std::int16_t button, std::int16_t shift, float x, float y);
bool mouseDown(Control& control, std::int16_t button, std::int16_t shift, float x, float y);
bool mouseUp(Control& control, std::int16_t button, std::int16_t shift, float x, float y);

// The focus moves to a control (LostFocus, GotFocus).
bool focus(Control& control);

// The user's close box: QueryUnload with vbFormControlMenu, then Unload.
// Nothing while the form is disabled.
bool closeWindow(Form& form);

// The form became the active window (the view reports it).
void activate(Form& form);

// Key code of the key that types a character on a US keyboard: letters as
// their capital, digits and their shifted symbols as the digit, space 32,
// other ASCII punctuation the punctuation keys' codes (186-192, 219-222);
// 0 for other characters.
std::int16_t keyCodeForCharacter(char32_t character);

}  // namespace forms
