#include "platform/forms/input.h"

#include <algorithm>

#include "platform/forms/control.h"
#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/layer.h"

namespace forms {

namespace detail {

// The input layer's access to a control's text and list state.
struct InputAccess {
    static void pickDate(Control& c, const Date& date) {
        if (c.date_ != date) {
            c.date_ = date;
            c.changed(Prop::Value);
        }
        c.raise(Event::Change);
    }
    static bool editable(const Control& c) { return c.isEditable() && !c.locked_; }

    static void setText(Control& c, std::string text, std::int32_t selStart) {
        bool changed = c.text_ != text;
        c.text_ = std::move(text);
        c.selStart_ = std::clamp(selStart, 0, characterCount(c.text_));
        c.selLength_ = 0;
        if (c.kind_ == Kind::ComboBox) {
            auto it = std::find(c.items_.begin(), c.items_.end(), c.text_);
            std::int16_t match = it == c.items_.end() ? -1 : static_cast<std::int16_t>(it - c.items_.begin());
            if (match != c.listIndex_) {
                c.listIndex_ = match;
                c.changed(Prop::ListIndex);
            }
        }
        if (changed) c.changed(Prop::Text);
        c.changed(Prop::Selection);
        if (changed) c.raise(Event::Change);
    }

    // The character's effect in an editable text: insert, or delete backwards.
    static void applyCharacter(Control& c, char32_t code) {
        if (!editable(c)) return;
        const std::string& text = c.text_;
        std::size_t from = byteOffset(text, c.selStart_);
        std::size_t to = byteOffset(text, c.selStart_ + c.selLength_);
        if (code == 8) {
            if (c.selLength_ == 0) {
                if (c.selStart_ == 0) return;
                from = byteOffset(text, c.selStart_ - 1);
                setText(c, text.substr(0, from) + text.substr(to), c.selStart_ - 1);
            } else {
                setText(c, text.substr(0, from) + text.substr(to), c.selStart_);
            }
            return;
        }
        if (code < 32) return;
        if (c.kind_ == Kind::TextBox && c.maxLength_ > 0 &&
            characterCount(text) - c.selLength_ + 1 > c.maxLength_) {
            return;
        }
        setText(c, text.substr(0, from) + encodeUtf8(code) + text.substr(to), c.selStart_ + 1);
    }

    static void deleteForward(Control& c) {
        if (!editable(c)) return;
        const std::string& text = c.text_;
        std::int32_t count = c.selLength_ > 0 ? c.selLength_ : 1;
        if (c.selLength_ == 0 && c.selStart_ >= characterCount(text)) return;
        std::size_t from = byteOffset(text, c.selStart_);
        std::size_t to = byteOffset(text, c.selStart_ + count);
        setText(c, text.substr(0, from) + text.substr(to), c.selStart_);
    }

    static void moveCaret(Control& c, std::int32_t position) {
        c.selStart_ = std::clamp(position, 0, characterCount(c.text_));
        c.selLength_ = 0;
        c.changed(Prop::Selection);
    }

    static void setSelection(Control& c, std::int32_t start, std::int32_t length) {
        std::int32_t count = characterCount(c.text_);
        c.selStart_ = std::clamp(start, 0, count);
        c.selLength_ = std::clamp(length, 0, count - c.selStart_);
        c.changed(Prop::Selection);
    }

    static void gridMoved(Control& c) { c.ensureRowVisible(); }

    // A character typed into a spreadsheet: Enter commits the entry and
    // moves down, Escape cancels it, backspace deletes its last character,
    // anything printable starts an entry (StartEdit) or goes on with it.
    static void sheetCharacter(Control& c, char32_t code, const std::shared_ptr<const bool>& token) {
        if (code == 13) {
            c.commitEntry();
            if (*token) c.moveActiveCell(c.activeRow_ + 1, c.activeCol_);
            return;
        }
        if (code == 27) {
            c.cancelEntry();
            return;
        }
        if (code == 8) {
            if (!c.editing_) c.beginEntry();
            if (!*token || !c.editing_) return;
            const std::int32_t count = characterCount(c.entryText_);
            if (count > 0) c.entryText_.resize(byteOffset(c.entryText_, count - 1));
            c.changed(Prop::Cells);
            return;
        }
        if (code < 32) return;
        if (!c.editing_) c.beginEntry();
        // The StartEdit handler may have ended the entry already.
        if (!*token || !c.editing_) return;
        c.entryText_ += encodeUtf8(code);
        c.changed(Prop::Cells);
    }

    // Ctrl+V: the clipboard's text from the current cell on, a line a row
    // and tab-separated cells; what lies outside the sheet is left out.
    static void pasteIntoSheet(Control& c) {
        c.commitEntry();
        std::string text = clipboard().text();
        std::vector<std::string_view> lines = splitLines(text);
        if (!lines.empty() && lines.back().empty()) lines.pop_back();  // the closing line end
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::int64_t row = c.activeRow_ + static_cast<std::int64_t>(i);
            if (row > kSheetRows) break;
            std::string_view line = lines[i];
            std::int64_t col = c.activeCol_;
            while (col <= kSheetColumns) {
                const std::size_t tab = line.find('\t');
                c.CellText(static_cast<std::int32_t>(row), static_cast<std::int32_t>(col),
                           std::string(line.substr(0, tab)));
                if (tab == std::string_view::npos) break;
                line.remove_prefix(tab + 1);
                ++col;
            }
        }
    }

    // A key moving a spreadsheet's current cell commits an entry first.
    static void sheetKey(Control& c, std::int16_t keyCode, std::int16_t shift) {
        std::int32_t row = c.activeRow_;
        std::int32_t col = c.activeCol_;
        bool ctrl = (shift & vbCtrlMask) != 0;
        switch (keyCode) {
            case vbKeyUp: --row; break;
            case vbKeyDown: ++row; break;
            case vbKeyLeft: --col; break;
            case vbKeyRight: ++col; break;
            case vbKeyPageUp: row -= 20; break;
            case vbKeyPageDown: row += 20; break;
            case vbKeyHome:
                col = 1;
                if (ctrl) row = 1;
                break;
            case vbKeyDelete:
                if (!c.editing_) c.CellText(c.activeRow_, c.activeCol_, "");
                return;
            case 'V':
                if (ctrl) pasteIntoSheet(c);
                return;
            default: return;
        }
        c.commitEntry();
        c.moveActiveCell(row, col);
    }
    static std::int32_t pageRows(const Control& c) { return c.visibleScrollRows(); }
    static std::int32_t selStart(const Control& c) { return c.selStart_; }
    static const std::string& text(const Control& c) { return c.text_; }
    static std::int32_t maxLength(const Control& c) { return c.maxLength_; }
};

}  // namespace detail

namespace {

using detail::InputAccess;
using Alive = std::shared_ptr<const bool>;

bool alive(const Alive& token) { return *token; }

void takeFocus(Control& c) {
    if (c.canTakeFocus() && c.Parent().ActiveControl() != &c) c.Parent().setActiveControl(&c);
}

Control* buttonOf(Form& form, bool cancelButton) {
    for (Control* c : form.Controls()) {
        if (c->kind() == Kind::CommandButton && (cancelButton ? c->Cancel() : c->Default()) && c->canTakeInput()) {
            return c;
        }
    }
    return nullptr;
}

// KeyPress for one character (the form first with KeyPreview), then the
// character's effect in an editable text.
void keyPress(Control& c, char32_t code, const Alive& token) {
    Form& form = c.Parent();
    EventArgs args;
    args.KeyAscii = code <= 0xFFFF ? static_cast<std::int16_t>(static_cast<std::uint16_t>(code)) : static_cast<std::int16_t>('?');
    args.KeyText = detail::encodeUtf8(code);
    const std::int16_t initial = args.KeyAscii;
    if (form.KeyPreview()) {
        form.raise(Event::KeyPress, args);
        if (!alive(token) || args.KeyAscii == 0) return;
    }
    form.raise(c, Event::KeyPress, args);
    if (!alive(token) || args.KeyAscii == 0) return;
    // A handler that changed the key gets its own character inserted.
    char32_t effective = args.KeyAscii == initial ? code : static_cast<char32_t>(static_cast<std::uint16_t>(args.KeyAscii));
    if (c.kind() == Kind::Spreadsheet) {
        InputAccess::sheetCharacter(c, effective, token);
    } else {
        InputAccess::applyCharacter(c, effective);
    }
}

void gridKey(Control& g, std::int16_t keyCode, std::int16_t shift) {
    std::int32_t row = g.Row();
    std::int32_t col = g.Col();
    std::int32_t firstRow = std::min(g.FixedRows(), g.Rows() - 1);
    std::int32_t firstCol = std::min(g.FixedCols(), g.Cols() - 1);
    bool ctrl = (shift & vbCtrlMask) != 0;
    switch (keyCode) {
        case vbKeyUp: row = std::max(firstRow, row - 1); break;
        case vbKeyDown: row = std::min(g.Rows() - 1, row + 1); break;
        case vbKeyLeft: col = std::max(firstCol, col - 1); break;
        case vbKeyRight: col = std::min(g.Cols() - 1, col + 1); break;
        case vbKeyPageUp: row = std::max(firstRow, row - InputAccess::pageRows(g)); break;
        case vbKeyPageDown: row = std::min(g.Rows() - 1, row + InputAccess::pageRows(g)); break;
        case vbKeyHome:
            col = firstCol;
            if (ctrl) row = firstRow;
            break;
        case vbKeyEnd:
            col = g.Cols() - 1;
            if (ctrl) row = g.Rows() - 1;
            break;
        default: return;
    }
    g.Row(row);
    g.Col(col);
    InputAccess::gridMoved(g);
}

void listKey(Control& l, std::int16_t keyCode) {
    std::int16_t count = l.ListCount();
    if (count == 0) return;
    std::int16_t index = l.ListIndex();
    switch (keyCode) {
        case vbKeyUp: index = static_cast<std::int16_t>(std::max(0, index - 1)); break;
        case vbKeyDown: index = static_cast<std::int16_t>(std::min(count - 1, index + 1)); break;
        case vbKeyHome: index = 0; break;
        case vbKeyEnd: index = static_cast<std::int16_t>(count - 1); break;
        default: return;
    }
    l.ListIndex(index);
}

void textKey(Control& t, std::int16_t keyCode) {
    std::int32_t caret = InputAccess::selStart(t);
    std::int32_t length = detail::characterCount(InputAccess::text(t));
    switch (keyCode) {
        case vbKeyLeft: InputAccess::moveCaret(t, caret - 1); break;
        case vbKeyRight: InputAccess::moveCaret(t, caret + 1); break;
        case vbKeyHome: InputAccess::moveCaret(t, 0); break;
        case vbKeyEnd: InputAccess::moveCaret(t, length); break;
        case vbKeyDelete: InputAccess::deleteForward(t); break;
        default: break;
    }
}

void tabKey(Control& c, bool backwards) {
    Form& form = c.Parent();
    std::vector<Control*> order;
    for (Control* o : form.Controls()) {
        if (o->isTabStop() || (o == &c && o->canTakeFocus())) order.push_back(o);
    }
    if (order.empty()) return;
    std::stable_sort(order.begin(), order.end(), [](Control* a, Control* b) { return a->TabIndex() < b->TabIndex(); });
    auto it = std::find(order.begin(), order.end(), &c);
    std::ptrdiff_t at = it == order.end() ? -1 : it - order.begin();
    std::ptrdiff_t n = static_cast<std::ptrdiff_t>(order.size());
    std::ptrdiff_t next = backwards ? (at <= 0 ? n - 1 : at - 1) : (at + 1) % n;
    form.setActiveControl(order[static_cast<std::size_t>(next)]);
}

bool mouseEvent(Control& c, Event event, std::int16_t button, std::int16_t shift, float x, float y) {
    detail::InputScope scope;
    if (!c.canTakeInput() || c.kind() == Kind::Shape || c.kind() == Kind::Line) return false;
    EventArgs args;
    args.Button = button;
    args.Shift = shift;
    args.X = x;
    args.Y = y;
    c.Parent().raise(c, event, args);
    return true;
}

}  // namespace

bool click(Control& c) {
    detail::InputScope scope;
    if (!c.canTakeInput() || c.kind() == Kind::Shape || c.kind() == Kind::Line) return false;
    Alive token = c.aliveToken();
    takeFocus(c);
    if (!alive(token)) return true;
    switch (c.kind()) {
        case Kind::CheckBox:
            c.Value(c.Value() == vbUnchecked ? vbChecked : vbUnchecked);
            break;
        case Kind::OptionButton:
            c.Value(-1);
            break;
        default: {
            EventArgs args;
            c.Parent().raise(c, Event::Click, args);
            break;
        }
    }
    return true;
}

bool doubleClick(Control& c) {
    detail::InputScope scope;
    if (!c.canTakeInput() || c.kind() == Kind::Shape || c.kind() == Kind::Line) return false;
    Alive token = c.aliveToken();
    takeFocus(c);
    if (!alive(token)) return true;
    EventArgs args;
    c.Parent().raise(c, Event::DblClick, args);
    return true;
}

bool typeText(Control& c, std::string_view text) {
    detail::InputScope scope;
    if (!c.canTakeInput()) return false;
    Alive token = c.aliveToken();
    takeFocus(c);
    for (char32_t code : detail::decodeUtf8(text)) {
        if (!alive(token) || !c.canTakeInput()) break;
        keyPress(c, code, token);
    }
    return true;
}

bool pressKey(Control& c, std::int16_t keyCode, std::int16_t shift, std::string_view text) {
    detail::InputScope scope;
    if (!c.canTakeFocus()) return false;
    Alive token = c.aliveToken();
    Form& form = c.Parent();
    takeFocus(c);
    if (!alive(token)) return true;

    // A handler that sets a key code to 0 cancels the key's own effect
    // (buttons, focus, navigation); its character still reaches KeyPress.
    EventArgs down;
    down.KeyCode = keyCode;
    down.Shift = shift;
    bool cancelled = false;
    if (form.KeyPreview()) {
        form.raise(Event::KeyDown, down);
        if (!alive(token)) return true;
        cancelled = keyCode != 0 && down.KeyCode == 0;
    }
    if (!cancelled) {
        form.raise(c, Event::KeyDown, down);
        if (!alive(token)) return true;
        cancelled = keyCode != 0 && down.KeyCode == 0;
    }
    bool keyEffect = !cancelled;

    std::string characters(text);
    if (characters.empty()) {
        if (keyCode == vbKeyReturn) characters = "\r";
        if (keyCode == vbKeyEscape) characters = "\x1b";
        if (keyCode == vbKeyBack) characters = "\b";
    }
    if (keyCode == vbKeyTab) characters.clear();

    bool delivered = false;
    // A spreadsheet keeps Enter and Escape for its entries: they never
    // press the form's default or cancel button.
    const bool sheet = c.kind() == Kind::Spreadsheet;
    if (keyEffect) {
        Control* button = nullptr;
        if (sheet) {
            // no button
        } else if (keyCode == vbKeyEscape) {
            button = buttonOf(form, true);
        } else if (keyCode == vbKeyReturn) {
            button = c.kind() == Kind::CommandButton ? &c : buttonOf(form, false);
        } else if (keyCode == vbKeySpace &&
                   (c.kind() == Kind::CommandButton || c.kind() == Kind::CheckBox || c.kind() == Kind::OptionButton)) {
            button = &c;
        }
        if (button != nullptr) {
            click(*button);
            delivered = true;
        } else if (keyCode == vbKeyTab) {
            tabKey(c, (shift & vbShiftMask) != 0);
            delivered = true;
        } else if (c.kind() == Kind::Grid) {
            gridKey(c, keyCode, shift);
        } else if (sheet) {
            InputAccess::sheetKey(c, keyCode, shift);
        } else if (c.kind() == Kind::ListBox || (c.kind() == Kind::ComboBox && c.Style() == 2)) {
            listKey(c, keyCode);
        } else if (c.kind() == Kind::TextBox || c.kind() == Kind::ComboBox) {
            textKey(c, keyCode);
        }
    }
    if (!delivered) {
        for (char32_t code : detail::decodeUtf8(characters)) {
            if (!alive(token)) break;
            keyPress(c, code, token);
        }
    }
    if (!alive(token) || !c.Parent().loaded()) return true;
    EventArgs up;
    up.KeyCode = keyCode;
    up.Shift = shift;
    if (form.KeyPreview()) {
        form.raise(Event::KeyUp, up);
        if (!alive(token)) return true;
    }
    if (up.KeyCode != 0 || keyCode == 0) form.raise(c, Event::KeyUp, up);
    return true;
}

bool editText(Control& c, std::string_view text) {
    detail::InputScope scope;
    if (!c.canTakeInput() || !InputAccess::editable(c)) return false;
    Alive token = c.aliveToken();
    takeFocus(c);
    if (!alive(token)) return true;
    std::string value(text);
    std::int32_t limit = c.kind() == Kind::TextBox ? InputAccess::maxLength(c) : 0;
    if (limit > 0 && detail::characterCount(value) > limit) value.resize(detail::byteOffset(value, limit));
    InputAccess::setText(c, value, detail::characterCount(value));
    return true;
}

bool setSelection(Control& c, std::int32_t start, std::int32_t length) {
    if (c.kind() != Kind::TextBox && c.kind() != Kind::ComboBox) return false;
    InputAccess::setSelection(c, start, length);
    return true;
}

bool setValue(Control& c, std::int32_t value) {
    detail::InputScope scope;
    if (!c.canTakeInput() ||
        (c.kind() != Kind::CheckBox && c.kind() != Kind::OptionButton && c.kind() != Kind::UpDown)) {
        return false;
    }
    if (c.kind() == Kind::CheckBox && (value < vbUnchecked || value > vbGrayed)) return false;
    if (c.kind() == Kind::UpDown && (value < std::min(c.Min(), c.Max()) || value > std::max(c.Min(), c.Max()))) {
        return false;
    }
    Alive token = c.aliveToken();
    takeFocus(c);
    if (!alive(token)) return true;
    c.Value(c.kind() == Kind::OptionButton ? (value != 0 ? -1 : 0) : value);
    return true;
}

bool pickDate(Control& c, const Date& date) {
    detail::InputScope scope;
    if (!c.canTakeInput() || c.kind() != Kind::DatePicker || !isValidDate(date)) return false;
    Alive token = c.aliveToken();
    takeFocus(c);
    if (!alive(token)) return true;
    InputAccess::pickDate(c, date);
    return true;
}

bool selectItem(Control& c, std::int16_t index) {
    detail::InputScope scope;
    if (!c.canTakeInput() || (c.kind() != Kind::ListBox && c.kind() != Kind::ComboBox)) return false;
    if (index < -1 || index >= c.ListCount()) return false;
    Alive token = c.aliveToken();
    takeFocus(c);
    if (!alive(token)) return true;
    c.ListIndex(index);
    return true;
}

bool checkItem(Control& c, std::int16_t index, bool checked) {
    detail::InputScope scope;
    if (!c.canTakeInput() || c.kind() != Kind::ListBox || c.Style() != 1) return false;
    if (index < 0 || index >= c.ListCount()) return false;
    Alive token = c.aliveToken();
    takeFocus(c);
    if (!alive(token)) return true;
    c.Selected(index, checked);
    return true;
}

bool selectCell(Control& g, std::int32_t row, std::int32_t col) {
    detail::InputScope scope;
    if (g.kind() == Kind::Spreadsheet) {
        if (!g.canTakeInput() || row < 1 || row > kSheetRows || col < 1 || col > kSheetColumns) return false;
        Alive token = g.aliveToken();
        takeFocus(g);
        if (alive(token)) g.Select(row, col);
        return true;
    }
    if (!g.canTakeInput() || g.kind() != Kind::Grid) return false;
    if (row < 0 || row >= g.Rows() || col < 0 || col >= g.Cols()) return false;
    Alive token = g.aliveToken();
    takeFocus(g);
    if (!alive(token)) return true;
    g.Row(row);
    g.Col(col);
    EventArgs args;
    g.Parent().raise(g, Event::Click, args);
    return true;
}

bool scrollGrid(Control& g, std::int32_t topRow) {
    detail::InputScope scope;
    if (!g.canTakeInput() || g.kind() != Kind::Grid) return false;
    g.TopRow(std::clamp(topRow, 0, g.Rows() - 1));
    return true;
}

bool scrollGridColumns(Control& g, std::int32_t leftCol) {
    detail::InputScope scope;
    if (!g.canTakeInput() || g.kind() != Kind::Grid) return false;
    g.LeftCol(std::clamp(leftCol, 0, g.Cols() - 1));
    return true;
}

bool resizeGridColumn(Control& g, std::int32_t col, std::int32_t width) {
    detail::InputScope scope;
    if (!g.canTakeInput() || g.kind() != Kind::Grid) return false;
    const std::int16_t resizing = g.AllowUserResizing();
    if (resizing != 1 && resizing != 3) return false;
    if (col < 0 || col >= g.Cols() || width < 0) return false;
    g.ColWidth(col, width);
    return true;
}

namespace {

bool spin(Control& c, bool up) {
    detail::InputScope scope;
    if (!c.canTakeInput() || c.kind() != Kind::UpDown) return false;
    Alive token = c.aliveToken();
    takeFocus(c);
    if (!alive(token)) return true;
    std::int32_t low = std::min(c.Min(), c.Max());
    std::int32_t high = std::max(c.Min(), c.Max());
    std::int64_t step = c.Max() >= c.Min() ? c.Increment() : -c.Increment();
    std::int64_t target = static_cast<std::int64_t>(c.Value()) + (up ? step : -step);
    c.Value(static_cast<std::int32_t>(std::clamp<std::int64_t>(target, low, high)));
    if (!alive(token)) return true;
    EventArgs args;
    c.Parent().raise(c, up ? Event::UpClick : Event::DownClick, args);
    return true;
}

}  // namespace

bool spinUp(Control& c) { return spin(c, true); }
bool spinDown(Control& c) { return spin(c, false); }

bool mouseMove(Control& c, std::int16_t button, std::int16_t shift, float x, float y) {
    return mouseEvent(c, Event::MouseMove, button, shift, x, y);
}

bool mouseDown(Control& c, std::int16_t button, std::int16_t shift, float x, float y) {
    return mouseEvent(c, Event::MouseDown, button, shift, x, y);
}

bool mouseUp(Control& c, std::int16_t button, std::int16_t shift, float x, float y) {
    return mouseEvent(c, Event::MouseUp, button, shift, x, y);
}

bool focus(Control& c) {
    detail::InputScope scope;
    if (!c.canTakeFocus()) return false;
    takeFocus(c);
    return true;
}

bool closeWindow(Form& form) {
    detail::InputScope scope;
    // A disabled window takes no input, its close box neither.
    if (!form.loaded() || !form.Visible() || !form.Enabled()) return false;
    const auto& modal = detail::layer().modalStack;
    if (!modal.empty() && modal.back() != &form) return false;
    form.closeByUser();
    return true;
}

void activate(Form& form) {
    if (form.loaded()) detail::layer().activeForm = &form;
}

std::int16_t keyCodeForCharacter(char32_t c) {
    if (c >= 'a' && c <= 'z') return static_cast<std::int16_t>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return static_cast<std::int16_t>(c);
    switch (c) {
        case '\r': return vbKeyReturn;
        case '\b': return vbKeyBack;
        case '\t': return vbKeyTab;
        case 0x1B: return vbKeyEscape;
        case ')': return '0';
        case '!': return '1';
        case '@': return '2';
        case '#': return '3';
        case '$': return '4';
        case '%': return '5';
        case '^': return '6';
        case '&': return '7';
        case '*': return '8';
        case '(': return '9';
        case ';': case ':': return 186;
        case '=': case '+': return 187;
        case ',': case '<': return 188;
        case '-': case '_': return 189;
        case '.': case '>': return 190;
        case '/': case '?': return 191;
        case '`': case '~': return 192;
        case '[': case '{': return 219;
        case '\\': case '|': return 220;
        case ']': case '}': return 221;
        case '\'': case '"': return 222;
        default: return 0;
    }
}

}  // namespace forms
