// One control of a form: its kind, name and array index, container, and
// every property the forms use, in twips. Properties are read by Name() and
// written by Name(value), as the original toolkit's properties are read and
// assigned.
//
// A property the kind does not have (Alignment of a button, Caption of a
// text box, hWnd of a label) raises run-time error 438 "Object doesn't
// support this property or method", so a procedure that walks every control
// can skip what a control lacks by catching that error.
//
// Assignments raise the events the toolkit raised for them: Text of a text
// box or combo box raises Change, Value of a check box or option button
// raises Click, ListIndex raises Click, Selected of a check-list raises
// ItemCheck, Value of an up-down raises Change, TopRow of a grid raises
// Scroll; each only when the value really changes. User input (input.h)
// goes through the same assignments.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "platform/forms/types.h"

namespace forms {

class Form;
namespace detail {
struct InputAccess;
}

class Control {
public:
    ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // True while the control exists: an event handler may unload the form
    // and destroy its controls, so code that raised an event checks this
    // before touching the control again.
    std::shared_ptr<const bool> aliveToken() const { return alive_; }

    // Identity
    Kind kind() const { return kind_; }
    const std::string& Name() const { return name_; }
    // Element number in a control array; -1 for a control outside arrays.
    std::int16_t Index() const { return index_; }
    bool isArrayElement() const { return index_ >= 0; }
    // The type name the toolkit reports ("Label", "TextBox", ...).
    const char* TypeName() const { return typeName(kind_); }
    bool windowed() const { return isWindowed(kind_); }
    // The form that holds the control.
    Form& Parent() const { return *form_; }
    // The frame or picture box holding the control, nullptr for the form.
    Control* Container() const { return container_; }
    // Moves the control into a frame or picture box of the same form
    // (nullptr: onto the form); error 5 for anything else.
    void Container(Control* container);

    // Window handle; error 438 for a windowless control.
    std::int32_t hWnd() const;

    // Geometry in twips, relative to the container's client area. Line
    // controls have none (error 438); they use X1, Y1, X2, Y2.
    std::int32_t Left() const;
    void Left(std::int32_t value);
    std::int32_t Top() const;
    void Top(std::int32_t value);
    std::int32_t Width() const;
    void Width(std::int32_t value);
    std::int32_t Height() const;
    void Height(std::int32_t value);
    void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

    // Caption: Label, CommandButton, Frame, OptionButton, CheckBox.
    const std::string& Caption() const;
    void Caption(const std::string& value);

    // Text: TextBox and ComboBox (editable), ListBox (the selected entry;
    // assigning selects the entry with that text), Grid (the current cell).
    std::string Text() const;
    void Text(const std::string& value);

    bool Visible() const { return visible_; }
    void Visible(bool value);
    // Shape and Line have no Enabled (error 438).
    bool Enabled() const;
    void Enabled(bool value);

    // Value: CheckBox 0, 1, 2 (grey); OptionButton -1 (on) or 0; UpDown and
    // ProgressBar a number between Min and Max (error 380 outside).
    std::int32_t Value() const;
    void Value(std::int32_t value);

    // DatePicker: the date shown (today's when the control is made).
    // Setting it in code raises no event; only the user's pick (input.h
    // pickDate) raises Change. Error 380 for a date that does not exist.
    const Date& DateValue() const;
    void DateValue(const Date& value);

    // Alignment 0 left, 1 right, 2 centre: Label, TextBox, OptionButton,
    // CheckBox, UpDown.
    std::int16_t Alignment() const;
    void Alignment(std::int16_t value);

    bool RightToLeft() const;
    void RightToLeft(bool value);

    const StdFont& Font() const;
    void Font(const StdFont& value);
    bool FontBold() const { return Font().Bold; }
    void FontBold(bool value);

    std::int16_t TabIndex() const;
    void TabIndex(std::int16_t value);

    std::int32_t ForeColor() const;
    void ForeColor(std::int32_t value);
    std::int32_t BackColor() const;
    void BackColor(std::int32_t value);

    const std::string& Tag() const { return tag_; }
    void Tag(const std::string& value) { tag_ = value; }

    // The text shown when the mouse rests on the control.
    const std::string& ToolTipText() const { return toolTipText_; }
    void ToolTipText(const std::string& value);

    // Style: OptionButton/CheckBox 0 standard, 1 graphical; ListBox 0 plain,
    // 1 check boxes; ComboBox 0 drop-down combo, 1 simple, 2 drop-down list.
    std::int16_t Style() const;
    void Style(std::int16_t value);

    // BorderStyle: Frame/PictureBox 0 none, 1 single; Shape and Line 0
    // transparent, 1 solid, 2 dash, 3 dot, 4 dash-dot, 5 dash-dot-dot.
    std::int16_t BorderStyle() const;
    void BorderStyle(std::int16_t value);

    // Align: PictureBox and StatusBar: 0 none, 1 top, 2 bottom (the control
    // then spans the form's client width at that edge).
    std::int16_t Align() const;
    void Align(std::int16_t value);

    // Lists: ComboBox and ListBox. Clear also empties every cell of a
    // spreadsheet (an entry in progress is dropped).
    void AddItem(const std::string& item, std::int16_t index = -1);
    void RemoveItem(std::int16_t index);
    void Clear();
    std::int16_t ListCount() const;
    const std::string& List(std::int16_t index) const;
    void List(std::int16_t index, const std::string& value);
    std::int32_t ItemData(std::int16_t index) const;
    void ItemData(std::int16_t index, std::int32_t value);
    std::int16_t ListIndex() const;
    void ListIndex(std::int16_t value);
    bool Selected(std::int16_t index) const;
    void Selected(std::int16_t index, bool value);

    // Text boxes.
    std::int32_t MaxLength() const;
    void MaxLength(std::int32_t value);
    bool Locked() const;
    void Locked(bool value);
    std::int32_t SelStart() const;
    void SelStart(std::int32_t value);
    std::int32_t SelLength() const;
    void SelLength(std::int32_t value);
    std::string SelText() const;

    // Command buttons: the default (Enter) and cancel (Escape) buttons.
    bool Default() const;
    void Default(bool value);
    bool Cancel() const;
    void Cancel(bool value);

    // PictureBox, Image, OptionButton/CheckBox (graphical), CommandButton:
    // path of an image file shown by the view.
    const std::string& Picture() const;
    void Picture(const std::string& path);
    // Image: stretch the picture to the control.
    bool Stretch() const;
    void Stretch(bool value);

    // Shape: 0 rectangle, 1 square, 2 oval, 3 circle, 4 rounded rectangle,
    // 5 rounded square.
    std::int16_t ShapeKind() const;
    void ShapeKind(std::int16_t value);
    // Shape: FillStyle 0 solid, 1 transparent.
    std::int16_t FillStyle() const;
    void FillStyle(std::int16_t value);
    std::int32_t FillColor() const;
    void FillColor(std::int32_t value);
    // Shape and Line.
    std::int32_t BorderColor() const;
    void BorderColor(std::int32_t value);
    std::int16_t BorderWidth() const;
    void BorderWidth(std::int16_t value);
    // Line end points, twips in the container.
    std::int32_t X1() const;
    void X1(std::int32_t value);
    std::int32_t Y1() const;
    void Y1(std::int32_t value);
    std::int32_t X2() const;
    void X2(std::int32_t value);
    std::int32_t Y2() const;
    void Y2(std::int32_t value);

    // UpDown and ProgressBar range; UpDown step.
    std::int32_t Min() const;
    void Min(std::int32_t value);
    std::int32_t Max() const;
    void Max(std::int32_t value);
    std::int32_t Increment() const;
    void Increment(std::int32_t value);

    // StatusBar panels, numbered from 1 (error 381 outside).
    std::int16_t PanelCount() const;
    void AddPanel(const std::string& text = "");
    const std::string& PanelText(std::int16_t panel) const;
    void PanelText(std::int16_t panel, const std::string& value);

    // Grid: Rows and Cols count the fixed ones; Row and Col name the
    // current cell, 0-based (error 30009 / 30010 outside).
    std::int32_t Rows() const;
    void Rows(std::int32_t value);
    std::int32_t Cols() const;
    void Cols(std::int32_t value);
    std::int32_t FixedRows() const;
    void FixedRows(std::int32_t value);
    std::int32_t FixedCols() const;
    void FixedCols(std::int32_t value);
    std::int32_t Row() const;
    void Row(std::int32_t value);
    std::int32_t Col() const;
    void Col(std::int32_t value);
    const std::string& TextMatrix(std::int32_t row, std::int32_t col) const;
    void TextMatrix(std::int32_t row, std::int32_t col, const std::string& value);
    std::int32_t ColWidth(std::int32_t col) const;
    void ColWidth(std::int32_t col, std::int32_t value);  // -1: the default width
    std::int32_t RowHeight(std::int32_t row) const;
    void RowHeight(std::int32_t row, std::int32_t value);  // -1: the default height
    std::int16_t ColAlignment(std::int32_t col) const;
    void ColAlignment(std::int32_t col, std::int16_t value);
    std::int16_t FixedAlignment(std::int32_t col) const;
    void FixedAlignment(std::int32_t col, std::int16_t value);
    std::int16_t ScrollBars() const;
    void ScrollBars(std::int16_t value);
    std::int16_t AllowUserResizing() const;
    void AllowUserResizing(std::int16_t value);
    bool Redraw() const;
    void Redraw(bool value);
    // First scrollable row and column shown.
    std::int32_t TopRow() const;
    void TopRow(std::int32_t value);
    std::int32_t LeftCol() const;
    void LeftCol(std::int32_t value);
    // Rectangle of the current cell in twips, relative to the grid.
    std::int32_t CellLeft() const;
    std::int32_t CellTop() const;
    std::int32_t CellWidth() const;
    std::int32_t CellHeight() const;

    // Spreadsheet: cells (row, column) numbered from 1, at most
    // kSheetRows x kSheetColumns, kept sparse (error 381 outside). A cell
    // holds its text; the current cell starts at (1, 1). Typing starts an
    // entry into the current cell (StartEdit), Enter commits it and moves
    // down, Escape cancels it; moving to another cell or losing the focus
    // commits it. Each change of the current cell raises SelectionChange.
    const std::string& CellText(std::int32_t row, std::int32_t col) const;
    void CellText(std::int32_t row, std::int32_t col, const std::string& value);
    // Makes a cell the current one (an entry in progress is committed).
    void Select(std::int32_t row, std::int32_t col);
    std::int32_t ActiveRow() const;
    std::int32_t ActiveColumn() const;
    // Whether an entry is in progress, and its text so far.
    bool Editing() const;
    const std::string& EntryText() const;
    // Empties the current cell (an entry in progress is dropped).
    void ClearActiveCell();
    // The cells that hold text, by (row, column).
    const std::map<std::pair<std::int32_t, std::int32_t>, std::string>& SheetCells() const;

    // Methods
    // Moves the keyboard focus here: error 5 when the control cannot take
    // it (windowless, hidden, disabled, or its form not shown).
    void SetFocus();
    // 0 brings the control in front of its siblings, 1 sends it behind.
    void ZOrder(std::int16_t position = 0);
    void Refresh();

    // Window data kept for the window functions (win.h).
    std::int32_t windowStyle() const { return style_; }
    void windowStyle(std::int32_t value) { style_ = value; }
    std::int32_t extendedStyle() const { return exStyle_; }
    void extendedStyle(std::int32_t value) { exStyle_ = value; }
    // Window class reported by GetClassName; defaults to "Forms" & type name.
    const std::string& windowClass() const { return windowClass_; }
    void windowClass(const std::string& name) { windowClass_ = name; }
    // Child-window identifier found by GetDlgItem; 0 when none.
    std::int32_t dialogId() const { return dialogId_; }
    void dialogId(std::int32_t value) { dialogId_ = value; }

    // Whether the control, its containers and its form are all enabled and
    // visible, and the form shown: what user input needs.
    bool canTakeInput() const;
    bool canTakeFocus() const;
    // Whether Tab (and the first focus of a shown form) stops here: a
    // control that can take the focus, except a picture box holding
    // controls, which would show no focus mark (its controls take it).
    bool isTabStop() const;
    // Front-to-back position among the form's controls.
    std::int64_t zSerial() const { return zSerial_; }

private:
    friend class Form;
    friend struct detail::InputAccess;
    Control(Form& form, Kind kind, std::string name, std::int16_t index);
    // Every property but identity, handle, focus and z-order (Load of an
    // array element).
    void copyPropertiesFrom(const Control& other);

    [[noreturn]] void unsupported() const;
    void require(bool supported) const {
        if (!supported) unsupported();
    }
    void changed(Prop prop);
    void raise(Event event);
    void raise(Event event, EventArgs& args);
    bool is(Kind k) const { return kind_ == k; }
    bool isList() const { return kind_ == Kind::ComboBox || kind_ == Kind::ListBox; }
    bool hasTextProperty() const;
    bool isEditable() const;
    void setTextRaw(const std::string& value, bool raiseChange);
    void setOptionValue(bool on);
    void checkListIndex(std::int16_t index) const;
    void checkPanel(std::int16_t panel) const;
    void checkCell(std::int32_t row, std::int32_t col) const;
    void checkGridCol(std::int32_t col) const;
    void checkGridRow(std::int32_t row) const;
    void resizeGrid(std::int32_t rows, std::int32_t cols);
    void checkSheetCell(std::int32_t row, std::int32_t col) const;
    void beginEntry();
    void commitEntry();
    void cancelEntry();
    void moveActiveCell(std::int32_t row, std::int32_t col);
    void ensureRowVisible();
    std::int32_t visibleScrollRows() const;

    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Form* form_;
    Kind kind_;
    std::string name_;
    std::int16_t index_;
    bool designTime_ = true;
    Control* container_ = nullptr;
    std::int32_t handle_ = 0;
    std::int64_t zSerial_ = 0;

    std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string caption_;
    std::string text_;
    bool visible_ = true;
    bool enabled_ = true;
    std::int32_t value_ = 0;
    Date date_;
    std::int16_t alignment_ = 0;
    bool rightToLeft_ = false;
    StdFont font_;
    std::int16_t tabIndex_ = 0;
    std::int32_t foreColor_ = vbButtonText;
    std::int32_t backColor_ = vbButtonFace;
    std::string tag_;
    std::string toolTipText_;
    std::int16_t style_property_ = 0;
    std::int16_t borderStyle_ = 0;
    std::int16_t align_ = 0;

    std::vector<std::string> items_;
    std::vector<std::int32_t> itemData_;
    std::vector<bool> itemSelected_;
    std::int16_t listIndex_ = -1;

    std::int32_t maxLength_ = 0;
    bool locked_ = false;
    std::int32_t selStart_ = 0;
    std::int32_t selLength_ = 0;

    bool default_ = false;
    bool cancel_ = false;
    std::string picture_;
    bool stretch_ = false;

    std::int16_t shape_ = 0;
    std::int16_t fillStyle_ = 1;
    std::int32_t fillColor_ = 0;
    std::int32_t borderColor_ = 0;
    std::int16_t borderWidth_ = 1;
    std::int32_t x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;

    std::int32_t min_ = 0, max_ = 0, increment_ = 1;

    std::vector<std::string> panels_;

    std::int32_t rows_ = 0, cols_ = 0, fixedRows_ = 0, fixedCols_ = 0;
    std::int32_t row_ = 0, col_ = 0, topRow_ = 0, leftCol_ = 0;
    std::vector<std::string> cells_;
    std::vector<std::int32_t> colWidths_, rowHeights_;
    std::vector<std::int16_t> colAlign_, fixedAlign_;
    std::int16_t scrollBars_ = 3;
    std::int16_t allowUserResizing_ = 0;
    bool redraw_ = true;

    std::map<std::pair<std::int32_t, std::int32_t>, std::string> sheetCells_;
    std::int32_t activeRow_ = 1, activeCol_ = 1;
    bool editing_ = false;
    std::string entryText_;

    std::int32_t style_ = 0;
    std::int32_t exStyle_ = 0;
    std::string windowClass_;
    std::int32_t dialogId_ = 0;
};

// Grid defaults, twips.
inline constexpr std::int32_t kGridDefaultColWidth = 960;
inline constexpr std::int32_t kGridDefaultRowHeight = 240;
// Spreadsheet size.
inline constexpr std::int32_t kSheetRows = 32766;
inline constexpr std::int32_t kSheetColumns = 256;
// Width of the grid lines between cells, twips (one pixel).
inline constexpr std::int32_t kGridLineWidth = 15;

}  // namespace forms
