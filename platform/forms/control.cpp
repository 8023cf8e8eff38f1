#include "platform/forms/control.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "platform/forms/form.h"
#include "platform/forms/layer.h"
#include "platform/runtime/errors.h"

namespace forms {

namespace {

bool oneOf(Kind kind, std::initializer_list<Kind> kinds) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

const std::string kEmpty;

[[noreturn]] void invalidValue() { rt::raise(380, "Invalid property value"); }
[[noreturn]] void invalidIndex() { rt::raise(381, "Invalid property array index"); }

}  // namespace

Control::Control(Form& form, Kind kind, std::string name, std::int16_t index)
    : form_(&form), kind_(kind), name_(std::move(name)), index_(index) {
    windowClass_ = std::string("Forms") + typeName(kind);
    switch (kind) {
        case Kind::TextBox:
        case Kind::ComboBox:
        case Kind::ListBox:
        case Kind::Grid:
        case Kind::ListView:
        case Kind::Spreadsheet:
            backColor_ = vbWindowBackground;
            foreColor_ = vbWindowText;
            borderStyle_ = 1;
            break;
        case Kind::Frame:
        case Kind::PictureBox:
            borderStyle_ = 1;
            break;
        case Kind::Shape:
            borderStyle_ = 1;
            borderColor_ = vbWindowText;
            backColor_ = vbWindowBackground;
            break;
        case Kind::Line:
            borderStyle_ = 1;
            borderColor_ = vbWindowText;
            break;
        case Kind::UpDown:
            max_ = 10;
            break;
        case Kind::DatePicker: {
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            date_ = Date{static_cast<std::int16_t>(local.tm_year + 1900), static_cast<std::int16_t>(local.tm_mon + 1),
                         static_cast<std::int16_t>(local.tm_mday)};
            break;
        }
        case Kind::ProgressBar:
            max_ = 100;
            break;
        case Kind::StatusBar:
            panels_.emplace_back();
            align_ = 2;
            height_ = 315;
            break;
        default:
            break;
    }
    if (kind == Kind::Grid) {
        fixedRows_ = 1;
        fixedCols_ = 1;
        resizeGrid(2, 2);
        topRow_ = 1;
        leftCol_ = 1;
        row_ = 1;
        col_ = 1;
    }
}

Control::~Control() { *alive_ = false; }

void Control::copyPropertiesFrom(const Control& o) {
    container_ = o.container_;
    left_ = o.left_;
    top_ = o.top_;
    width_ = o.width_;
    height_ = o.height_;
    caption_ = o.caption_;
    text_ = o.text_;
    visible_ = o.visible_;
    enabled_ = o.enabled_;
    value_ = o.value_;
    alignment_ = o.alignment_;
    rightToLeft_ = o.rightToLeft_;
    font_ = o.font_;
    foreColor_ = o.foreColor_;
    backColor_ = o.backColor_;
    tag_ = o.tag_;
    toolTipText_ = o.toolTipText_;
    style_property_ = o.style_property_;
    borderStyle_ = o.borderStyle_;
    align_ = o.align_;
    items_ = o.items_;
    itemData_ = o.itemData_;
    itemSelected_ = o.itemSelected_;
    listIndex_ = o.listIndex_;
    maxLength_ = o.maxLength_;
    locked_ = o.locked_;
    default_ = false;
    cancel_ = false;
    picture_ = o.picture_;
    stretch_ = o.stretch_;
    shape_ = o.shape_;
    fillStyle_ = o.fillStyle_;
    fillColor_ = o.fillColor_;
    borderColor_ = o.borderColor_;
    borderWidth_ = o.borderWidth_;
    x1_ = o.x1_;
    y1_ = o.y1_;
    x2_ = o.x2_;
    y2_ = o.y2_;
    min_ = o.min_;
    max_ = o.max_;
    increment_ = o.increment_;
    panels_ = o.panels_;
    rows_ = o.rows_;
    cols_ = o.cols_;
    fixedRows_ = o.fixedRows_;
    fixedCols_ = o.fixedCols_;
    row_ = o.row_;
    col_ = o.col_;
    topRow_ = o.topRow_;
    leftCol_ = o.leftCol_;
    cells_ = o.cells_;
    colWidths_ = o.colWidths_;
    rowHeights_ = o.rowHeights_;
    colAlign_ = o.colAlign_;
    fixedAlign_ = o.fixedAlign_;
    scrollBars_ = o.scrollBars_;
    allowUserResizing_ = o.allowUserResizing_;
    redraw_ = o.redraw_;
    sheetCells_ = o.sheetCells_;
    style_ = o.style_;
    exStyle_ = o.exStyle_;
    windowClass_ = o.windowClass_;
    if (kind_ == Kind::OptionButton) value_ = 0;  // one option of a group stays on
}

void Control::unsupported() const {
    rt::raise(438, "Object doesn't support this property or method");
}

void Control::changed(Prop prop) { form_->notifyControl(*this, prop); }

void Control::raise(Event event) {
    EventArgs args;
    form_->raise(*this, event, args);
}

void Control::raise(Event event, EventArgs& args) { form_->raise(*this, event, args); }

void Control::Container(Control* container) {
    if (container != nullptr) {
        bool ok = &container->Parent() == form_ &&
                  (container->kind_ == Kind::Frame || container->kind_ == Kind::PictureBox);
        for (Control* c = container; ok && c != nullptr; c = c->container_) ok = c != this;
        if (!ok) rt::raise(5, "A control's container must be a frame or picture box of its form");
    }
    if (container_ == container) return;
    container_ = container;
    changed(Prop::Container);
}

std::int32_t Control::hWnd() const {
    require(windowed());
    return handle_;
}

// Geometry

std::int32_t Control::Left() const {
    require(!is(Kind::Line));
    return left_;
}
void Control::Left(std::int32_t value) { Move(value, Top(), width_, height_); }
std::int32_t Control::Top() const {
    require(!is(Kind::Line));
    return top_;
}
void Control::Top(std::int32_t value) { Move(Left(), value, width_, height_); }
std::int32_t Control::Width() const {
    require(!is(Kind::Line));
    return width_;
}
void Control::Width(std::int32_t value) { Move(Left(), top_, value, height_); }
std::int32_t Control::Height() const {
    require(!is(Kind::Line));
    return height_;
}
void Control::Height(std::int32_t value) { Move(Left(), top_, width_, value); }

void Control::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    require(!is(Kind::Line));
    if (width < 0 || height < 0) invalidValue();
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    changed(Prop::Geometry);
}

// Texts

const std::string& Control::Caption() const {
    require(oneOf(kind_, {Kind::Label, Kind::CommandButton, Kind::Frame, Kind::OptionButton, Kind::CheckBox}));
    return caption_;
}

void Control::ToolTipText(const std::string& value) {
    if (toolTipText_ == value) return;
    toolTipText_ = value;
    changed(Prop::ToolTip);
}

void Control::Caption(const std::string& value) {
    (void)Caption();
    if (caption_ == value) return;
    caption_ = value;
    changed(Prop::Caption);
}

bool Control::hasTextProperty() const {
    return oneOf(kind_, {Kind::TextBox, Kind::ComboBox, Kind::ListBox, Kind::Grid});
}

bool Control::isEditable() const {
    return is(Kind::TextBox) || (is(Kind::ComboBox) && style_property_ != 2);
}

std::string Control::Text() const {
    require(hasTextProperty());
    if (is(Kind::ListBox)) return listIndex_ >= 0 ? items_[listIndex_] : std::string();
    if (is(Kind::Grid)) return cells_[static_cast<std::size_t>(row_) * cols_ + col_];
    return text_;
}

void Control::setTextRaw(const std::string& value, bool raiseChange) {
    if (text_ == value) return;
    text_ = value;
    selStart_ = std::min(selStart_, detail::characterCount(text_));
    selLength_ = 0;
    changed(Prop::Text);
    if (raiseChange) raise(Event::Change);
}

void Control::Text(const std::string& value) {
    require(hasTextProperty());
    switch (kind_) {
        case Kind::TextBox:
            if (text_ != value) {
                text_ = value;
                selStart_ = 0;
                selLength_ = 0;
                changed(Prop::Text);
                raise(Event::Change);
            }
            return;
        case Kind::Grid:
            cells_[static_cast<std::size_t>(row_) * cols_ + col_] = value;
            changed(Prop::Cells);
            return;
        case Kind::ListBox:
        case Kind::ComboBox: {
            auto it = std::find(items_.begin(), items_.end(), value);
            std::int16_t match = it == items_.end() ? -1 : static_cast<std::int16_t>(it - items_.begin());
            if (is(Kind::ListBox) || style_property_ == 2) {
                if (match < 0) rt::raise(383, "'Text' property is read-only");
                ListIndex(match);
                return;
            }
            if (listIndex_ != match) {
                listIndex_ = match;
                changed(Prop::ListIndex);
            }
            setTextRaw(value, true);
            return;
        }
        default:
            unsupported();
    }
}

bool Control::Enabled() const {
    require(!oneOf(kind_, {Kind::Shape, Kind::Line}));
    return enabled_;
}

void Control::Enabled(bool value) {
    (void)Enabled();
    if (enabled_ == value) return;
    enabled_ = value;
    if (!value && form_->activeControl_ == this) form_->activeControl_ = nullptr;
    changed(Prop::Enabled);
}

void Control::Visible(bool value) {
    if (visible_ == value) return;
    visible_ = value;
    if (!value && form_->activeControl_ == this) form_->activeControl_ = nullptr;
    changed(Prop::Visible);
}

// Values

const Date& Control::DateValue() const {
    require(is(Kind::DatePicker));
    return date_;
}

void Control::DateValue(const Date& value) {
    require(is(Kind::DatePicker));
    if (!isValidDate(value)) invalidValue();
    if (date_ == value) return;
    date_ = value;
    changed(Prop::Value);
}

std::int32_t Control::Value() const {
    require(oneOf(kind_, {Kind::CheckBox, Kind::OptionButton, Kind::UpDown, Kind::ProgressBar}));
    return value_;
}

void Control::setOptionValue(bool on) {
    if (!on) {
        if (value_ == 0) return;
        value_ = 0;
        changed(Prop::Value);
        return;
    }
    if (value_ != 0) return;
    for (Control* other : form_->Controls()) {
        if (other != this && other->kind_ == Kind::OptionButton && other->container_ == container_ &&
            other->value_ != 0) {
            other->value_ = 0;
            other->changed(Prop::Value);
        }
    }
    value_ = -1;
    changed(Prop::Value);
    raise(Event::Click);
}

void Control::Value(std::int32_t value) {
    (void)Value();
    switch (kind_) {
        case Kind::CheckBox:
            if (value < 0 || value > 2) invalidValue();
            if (value_ == value) return;
            value_ = value;
            changed(Prop::Value);
            raise(Event::Click);
            return;
        case Kind::OptionButton:
            setOptionValue(value != 0);
            return;
        case Kind::UpDown:
        case Kind::ProgressBar: {
            if (value < std::min(min_, max_) || value > std::max(min_, max_)) invalidValue();
            if (value_ == value) return;
            value_ = value;
            changed(Prop::Value);
            if (is(Kind::UpDown)) raise(Event::Change);
            return;
        }
        default:
            unsupported();
    }
}

std::int16_t Control::Alignment() const {
    require(oneOf(kind_, {Kind::Label, Kind::TextBox, Kind::OptionButton, Kind::CheckBox, Kind::UpDown}));
    return alignment_;
}

void Control::Alignment(std::int16_t value) {
    (void)Alignment();
    std::int16_t highest = oneOf(kind_, {Kind::Label, Kind::TextBox}) ? 2 : 1;
    if (value < 0 || value > highest) invalidValue();
    if (alignment_ == value) return;
    alignment_ = value;
    changed(Prop::Alignment);
}

bool Control::RightToLeft() const {
    require(!oneOf(kind_, {Kind::Image, Kind::Shape, Kind::Line, Kind::UpDown, Kind::ProgressBar}));
    return rightToLeft_;
}

void Control::RightToLeft(bool value) {
    (void)RightToLeft();
    if (rightToLeft_ == value) return;
    rightToLeft_ = value;
    changed(Prop::RightToLeft);
}

const StdFont& Control::Font() const {
    require(!oneOf(kind_, {Kind::Image, Kind::Shape, Kind::Line, Kind::UpDown, Kind::ProgressBar}));
    return font_;
}

void Control::Font(const StdFont& value) {
    (void)Font();
    if (value.Size <= 0) invalidValue();
    if (font_ == value) return;
    font_ = value;
    changed(Prop::Font);
}

void Control::FontBold(bool value) {
    StdFont f = Font();
    f.Bold = value;
    Font(f);
}

std::int16_t Control::TabIndex() const {
    require(!oneOf(kind_, {Kind::Image, Kind::Shape, Kind::Line}));
    return tabIndex_;
}

void Control::TabIndex(std::int16_t value) {
    (void)TabIndex();
    if (value < 0) invalidValue();
    form_->renumberTabs(this, value);
}

std::int32_t Control::ForeColor() const {
    require(!oneOf(kind_, {Kind::Image, Kind::Shape, Kind::Line, Kind::UpDown, Kind::ProgressBar}));
    return foreColor_;
}

void Control::ForeColor(std::int32_t value) {
    (void)ForeColor();
    if (foreColor_ == value) return;
    foreColor_ = value;
    changed(Prop::Colors);
}

std::int32_t Control::BackColor() const {
    require(!oneOf(kind_, {Kind::Image, Kind::Line, Kind::UpDown, Kind::ProgressBar}));
    return backColor_;
}

void Control::BackColor(std::int32_t value) {
    (void)BackColor();
    if (backColor_ == value) return;
    backColor_ = value;
    changed(Prop::Colors);
}

std::int16_t Control::Style() const {
    require(oneOf(kind_, {Kind::OptionButton, Kind::CheckBox, Kind::ListBox, Kind::ComboBox, Kind::CommandButton}));
    return style_property_;
}

void Control::Style(std::int16_t value) {
    (void)Style();
    std::int16_t highest = is(Kind::ComboBox) ? 2 : 1;
    if (value < 0 || value > highest) invalidValue();
    if (style_property_ == value) return;
    style_property_ = value;
    if (is(Kind::ListBox)) itemSelected_.assign(items_.size(), false);
    changed(Prop::Appearance);
}

std::int16_t Control::BorderStyle() const {
    require(oneOf(kind_, {Kind::Frame, Kind::PictureBox, Kind::Shape, Kind::Line, Kind::Label, Kind::TextBox,
                          Kind::Image}));
    return borderStyle_;
}

void Control::BorderStyle(std::int16_t value) {
    (void)BorderStyle();
    std::int16_t highest = oneOf(kind_, {Kind::Shape, Kind::Line}) ? 6 : 1;
    if (value < 0 || value > highest) invalidValue();
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    changed(Prop::Appearance);
}

std::int16_t Control::Align() const {
    require(oneOf(kind_, {Kind::PictureBox, Kind::StatusBar}));
    return align_;
}

void Control::Align(std::int16_t value) {
    (void)Align();
    if (value < 0 || value > 2) invalidValue();
    if (align_ == value) return;
    align_ = value;
    form_->layoutAligned();
    changed(Prop::Appearance);
}

// Lists

void Control::checkListIndex(std::int16_t index) const {
    if (index < 0 || index >= static_cast<std::int16_t>(items_.size())) invalidIndex();
}

void Control::AddItem(const std::string& item, std::int16_t index) {
    require(isList());
    if (items_.size() >= 32767) rt::raise(7, "Out of memory");
    std::int16_t count = static_cast<std::int16_t>(items_.size());
    if (index < -1 || index > count) rt::raise(5, "Invalid procedure call or argument");
    std::size_t at = index < 0 ? items_.size() : static_cast<std::size_t>(index);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
    itemData_.insert(itemData_.begin() + static_cast<std::ptrdiff_t>(at), 0);
    itemSelected_.insert(itemSelected_.begin() + static_cast<std::ptrdiff_t>(at), false);
    if (listIndex_ >= 0 && static_cast<std::size_t>(listIndex_) >= at) ++listIndex_;
    changed(Prop::Items);
}

void Control::RemoveItem(std::int16_t index) {
    require(isList());
    if (index < 0 || index >= static_cast<std::int16_t>(items_.size())) rt::raise(5, "Invalid procedure call or argument");
    items_.erase(items_.begin() + index);
    itemData_.erase(itemData_.begin() + index);
    itemSelected_.erase(itemSelected_.begin() + index);
    if (listIndex_ == index) {
        listIndex_ = -1;
        if (is(Kind::ComboBox) && style_property_ == 2) text_.clear();
    } else if (listIndex_ > index) {
        --listIndex_;
    }
    changed(Prop::Items);
}

void Control::Clear() {
    if (is(Kind::Spreadsheet)) {
        editing_ = false;
        entryText_.clear();
        sheetCells_.clear();
        changed(Prop::Cells);
        return;
    }
    require(isList());
    items_.clear();
    itemData_.clear();
    itemSelected_.clear();
    listIndex_ = -1;
    if (is(Kind::ComboBox)) text_.clear();
    changed(Prop::Items);
}

std::int16_t Control::ListCount() const {
    require(isList());
    return static_cast<std::int16_t>(items_.size());
}

const std::string& Control::List(std::int16_t index) const {
    require(isList());
    if (index < 0 || index >= static_cast<std::int16_t>(items_.size())) return kEmpty;
    return items_[index];
}

void Control::List(std::int16_t index, const std::string& value) {
    require(isList());
    checkListIndex(index);
    items_[index] = value;
    if (index == listIndex_ && is(Kind::ComboBox)) text_ = value;
    changed(Prop::Items);
}

std::int32_t Control::ItemData(std::int16_t index) const {
    require(isList());
    checkListIndex(index);
    return itemData_[index];
}

void Control::ItemData(std::int16_t index, std::int32_t value) {
    require(isList());
    checkListIndex(index);
    itemData_[index] = value;
}

std::int16_t Control::ListIndex() const {
    require(isList());
    return listIndex_;
}

void Control::ListIndex(std::int16_t value) {
    require(isList());
    if (value < -1 || value >= static_cast<std::int16_t>(items_.size())) invalidValue();
    if (listIndex_ == value) return;
    listIndex_ = value;
    if (is(Kind::ComboBox)) {
        text_ = value >= 0 ? items_[value] : std::string();
        selStart_ = 0;
        selLength_ = 0;
        changed(Prop::Text);
    }
    changed(Prop::ListIndex);
    raise(Event::Click);
}

bool Control::Selected(std::int16_t index) const {
    require(is(Kind::ListBox));
    checkListIndex(index);
    return style_property_ == 1 ? static_cast<bool>(itemSelected_[index]) : index == listIndex_;
}

void Control::Selected(std::int16_t index, bool value) {
    require(is(Kind::ListBox));
    checkListIndex(index);
    if (style_property_ != 1) {
        if (value) {
            ListIndex(index);
        } else if (index == listIndex_) {
            ListIndex(-1);
        }
        return;
    }
    if (itemSelected_[index] == value) return;
    itemSelected_[index] = value;
    changed(Prop::Items);
    EventArgs args;
    args.Item = index;
    raise(Event::ItemCheck, args);
}

// Text boxes

std::int32_t Control::MaxLength() const {
    require(is(Kind::TextBox));
    return maxLength_;
}

void Control::MaxLength(std::int32_t value) {
    require(is(Kind::TextBox));
    if (value < 0) invalidValue();
    maxLength_ = value;
}

bool Control::Locked() const {
    require(oneOf(kind_, {Kind::TextBox, Kind::ComboBox}));
    return locked_;
}

void Control::Locked(bool value) {
    (void)Locked();
    locked_ = value;
}

std::int32_t Control::SelStart() const {
    require(oneOf(kind_, {Kind::TextBox, Kind::ComboBox}));
    return selStart_;
}

void Control::SelStart(std::int32_t value) {
    (void)SelStart();
    if (value < 0) invalidValue();
    selStart_ = std::min(value, detail::characterCount(text_));
    selLength_ = 0;
    changed(Prop::Selection);
}

std::int32_t Control::SelLength() const {
    require(oneOf(kind_, {Kind::TextBox, Kind::ComboBox}));
    return selLength_;
}

void Control::SelLength(std::int32_t value) {
    (void)SelLength();
    if (value < 0) invalidValue();
    selLength_ = std::min(value, detail::characterCount(text_) - selStart_);
    changed(Prop::Selection);
}

std::string Control::SelText() const {
    (void)SelStart();
    std::size_t from = detail::byteOffset(text_, selStart_);
    std::size_t to = detail::byteOffset(text_, selStart_ + selLength_);
    return text_.substr(from, to - from);
}

// Buttons and pictures

bool Control::Default() const {
    require(is(Kind::CommandButton));
    return default_;
}

void Control::Default(bool value) {
    require(is(Kind::CommandButton));
    if (value) {
        for (Control* other : form_->Controls()) {
            if (other != this && other->kind_ == Kind::CommandButton) other->default_ = false;
        }
    }
    default_ = value;
    changed(Prop::Appearance);
}

bool Control::Cancel() const {
    require(is(Kind::CommandButton));
    return cancel_;
}

void Control::Cancel(bool value) {
    require(is(Kind::CommandButton));
    if (value) {
        for (Control* other : form_->Controls()) {
            if (other != this && other->kind_ == Kind::CommandButton) other->cancel_ = false;
        }
    }
    cancel_ = value;
}

const std::string& Control::Picture() const {
    require(oneOf(kind_, {Kind::PictureBox, Kind::Image, Kind::OptionButton, Kind::CheckBox, Kind::CommandButton}));
    return picture_;
}

void Control::Picture(const std::string& path) {
    (void)Picture();
    if (picture_ == path) return;
    picture_ = path;
    changed(Prop::Picture);
}

bool Control::Stretch() const {
    require(is(Kind::Image));
    return stretch_;
}

void Control::Stretch(bool value) {
    require(is(Kind::Image));
    stretch_ = value;
    changed(Prop::Picture);
}

// Shapes and lines

std::int16_t Control::ShapeKind() const {
    require(is(Kind::Shape));
    return shape_;
}

void Control::ShapeKind(std::int16_t value) {
    require(is(Kind::Shape));
    if (value < 0 || value > 5) invalidValue();
    shape_ = value;
    changed(Prop::Appearance);
}

std::int16_t Control::FillStyle() const {
    require(is(Kind::Shape));
    return fillStyle_;
}

void Control::FillStyle(std::int16_t value) {
    require(is(Kind::Shape));
    if (value < 0 || value > 1) invalidValue();
    fillStyle_ = value;
    changed(Prop::Appearance);
}

std::int32_t Control::FillColor() const {
    require(is(Kind::Shape));
    return fillColor_;
}

void Control::FillColor(std::int32_t value) {
    require(is(Kind::Shape));
    fillColor_ = value;
    changed(Prop::Colors);
}

std::int32_t Control::BorderColor() const {
    require(oneOf(kind_, {Kind::Shape, Kind::Line}));
    return borderColor_;
}

void Control::BorderColor(std::int32_t value) {
    (void)BorderColor();
    borderColor_ = value;
    changed(Prop::Colors);
}

std::int16_t Control::BorderWidth() const {
    require(oneOf(kind_, {Kind::Shape, Kind::Line}));
    return borderWidth_;
}

void Control::BorderWidth(std::int16_t value) {
    (void)BorderWidth();
    if (value < 1) invalidValue();
    borderWidth_ = value;
    changed(Prop::Appearance);
}

std::int32_t Control::X1() const {
    require(is(Kind::Line));
    return x1_;
}
void Control::X1(std::int32_t value) {
    require(is(Kind::Line));
    x1_ = value;
    changed(Prop::Geometry);
}
std::int32_t Control::Y1() const {
    require(is(Kind::Line));
    return y1_;
}
void Control::Y1(std::int32_t value) {
    require(is(Kind::Line));
    y1_ = value;
    changed(Prop::Geometry);
}
std::int32_t Control::X2() const {
    require(is(Kind::Line));
    return x2_;
}
void Control::X2(std::int32_t value) {
    require(is(Kind::Line));
    x2_ = value;
    changed(Prop::Geometry);
}
std::int32_t Control::Y2() const {
    require(is(Kind::Line));
    return y2_;
}
void Control::Y2(std::int32_t value) {
    require(is(Kind::Line));
    y2_ = value;
    changed(Prop::Geometry);
}

// Ranges

std::int32_t Control::Min() const {
    require(oneOf(kind_, {Kind::UpDown, Kind::ProgressBar}));
    return min_;
}

void Control::Min(std::int32_t value) {
    (void)Min();
    if (is(Kind::ProgressBar) && value >= max_) invalidValue();
    min_ = value;
    value_ = std::clamp(value_, std::min(min_, max_), std::max(min_, max_));
    changed(Prop::Range);
}

std::int32_t Control::Max() const {
    require(oneOf(kind_, {Kind::UpDown, Kind::ProgressBar}));
    return max_;
}

void Control::Max(std::int32_t value) {
    (void)Max();
    if (is(Kind::ProgressBar) && value <= min_) invalidValue();
    max_ = value;
    value_ = std::clamp(value_, std::min(min_, max_), std::max(min_, max_));
    changed(Prop::Range);
}

std::int32_t Control::Increment() const {
    require(is(Kind::UpDown));
    return increment_;
}

void Control::Increment(std::int32_t value) {
    require(is(Kind::UpDown));
    if (value <= 0) invalidValue();
    increment_ = value;
}

// Status bar panels

void Control::checkPanel(std::int16_t panel) const {
    require(is(Kind::StatusBar));
    if (panel < 1 || panel > static_cast<std::int16_t>(panels_.size())) rt::raise(35600, "Index out of bounds");
}

std::int16_t Control::PanelCount() const {
    require(is(Kind::StatusBar));
    return static_cast<std::int16_t>(panels_.size());
}

void Control::AddPanel(const std::string& text) {
    require(is(Kind::StatusBar));
    panels_.push_back(text);
    changed(Prop::Panels);
}

const std::string& Control::PanelText(std::int16_t panel) const {
    checkPanel(panel);
    return panels_[panel - 1];
}

void Control::PanelText(std::int16_t panel, const std::string& value) {
    checkPanel(panel);
    if (panels_[panel - 1] == value) return;
    panels_[panel - 1] = value;
    changed(Prop::Panels);
}

// Grid

void Control::resizeGrid(std::int32_t rows, std::int32_t cols) {
    std::vector<std::string> cells(static_cast<std::size_t>(rows) * cols);
    for (std::int32_t r = 0; r < std::min(rows, rows_); ++r) {
        for (std::int32_t c = 0; c < std::min(cols, cols_); ++c) {
            cells[static_cast<std::size_t>(r) * cols + c] = std::move(cells_[static_cast<std::size_t>(r) * cols_ + c]);
        }
    }
    cells_ = std::move(cells);
    rows_ = rows;
    cols_ = cols;
    colWidths_.resize(cols, -1);
    colAlign_.resize(cols, 0);
    fixedAlign_.resize(cols, 0);
    rowHeights_.resize(rows, -1);
}

void Control::checkGridRow(std::int32_t row) const {
    if (row < 0 || row >= rows_) rt::raise(30009, "Invalid Row value");
}

void Control::checkGridCol(std::int32_t col) const {
    if (col < 0 || col >= cols_) rt::raise(30010, "Invalid Col value");
}

void Control::checkCell(std::int32_t row, std::int32_t col) const {
    require(is(Kind::Grid));
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) invalidIndex();
}

std::int32_t Control::Rows() const {
    require(is(Kind::Grid));
    return rows_;
}

void Control::Rows(std::int32_t value) {
    require(is(Kind::Grid));
    if (value < fixedRows_ || value < 1 || value > 2000000) invalidValue();
    if (value == rows_) return;
    resizeGrid(value, cols_);
    row_ = std::min(row_, value - 1);
    topRow_ = std::clamp(topRow_, std::min(fixedRows_, value - 1), value - 1);
    changed(Prop::GridLayout);
}

std::int32_t Control::Cols() const {
    require(is(Kind::Grid));
    return cols_;
}

void Control::Cols(std::int32_t value) {
    require(is(Kind::Grid));
    if (value < fixedCols_ || value < 1 || value > 2000000) invalidValue();
    if (value == cols_) return;
    resizeGrid(rows_, value);
    col_ = std::min(col_, value - 1);
    leftCol_ = std::clamp(leftCol_, std::min(fixedCols_, value - 1), value - 1);
    changed(Prop::GridLayout);
}

std::int32_t Control::FixedRows() const {
    require(is(Kind::Grid));
    return fixedRows_;
}

void Control::FixedRows(std::int32_t value) {
    require(is(Kind::Grid));
    if (value < 0 || value >= rows_) invalidValue();
    fixedRows_ = value;
    topRow_ = std::max(topRow_, value);
    changed(Prop::GridLayout);
}

std::int32_t Control::FixedCols() const {
    require(is(Kind::Grid));
    return fixedCols_;
}

void Control::FixedCols(std::int32_t value) {
    require(is(Kind::Grid));
    if (value < 0 || value >= cols_) invalidValue();
    fixedCols_ = value;
    leftCol_ = std::max(leftCol_, value);
    changed(Prop::GridLayout);
}

std::int32_t Control::Row() const {
    require(is(Kind::Grid));
    return row_;
}

void Control::Row(std::int32_t value) {
    require(is(Kind::Grid));
    checkGridRow(value);
    if (row_ == value) return;
    row_ = value;
    changed(Prop::GridLayout);
}

std::int32_t Control::Col() const {
    require(is(Kind::Grid));
    return col_;
}

void Control::Col(std::int32_t value) {
    require(is(Kind::Grid));
    checkGridCol(value);
    if (col_ == value) return;
    col_ = value;
    changed(Prop::GridLayout);
}

const std::string& Control::TextMatrix(std::int32_t row, std::int32_t col) const {
    checkCell(row, col);
    return cells_[static_cast<std::size_t>(row) * cols_ + col];
}

void Control::TextMatrix(std::int32_t row, std::int32_t col, const std::string& value) {
    checkCell(row, col);
    cells_[static_cast<std::size_t>(row) * cols_ + col] = value;
    changed(Prop::Cells);
}

std::int32_t Control::ColWidth(std::int32_t col) const {
    require(is(Kind::Grid));
    if (col < 0 || col >= cols_) invalidIndex();
    return colWidths_[col] < 0 ? kGridDefaultColWidth : colWidths_[col];
}

void Control::ColWidth(std::int32_t col, std::int32_t value) {
    require(is(Kind::Grid));
    if (col < 0 || col >= cols_) invalidIndex();
    if (value < -1) invalidValue();
    colWidths_[col] = value;
    changed(Prop::GridLayout);
}

std::int32_t Control::RowHeight(std::int32_t row) const {
    require(is(Kind::Grid));
    if (row < 0 || row >= rows_) invalidIndex();
    return rowHeights_[row] < 0 ? kGridDefaultRowHeight : rowHeights_[row];
}

void Control::RowHeight(std::int32_t row, std::int32_t value) {
    require(is(Kind::Grid));
    if (row < 0 || row >= rows_) invalidIndex();
    if (value < -1) invalidValue();
    rowHeights_[row] = value;
    changed(Prop::GridLayout);
}

std::int16_t Control::ColAlignment(std::int32_t col) const {
    require(is(Kind::Grid));
    if (col < 0 || col >= cols_) invalidIndex();
    return colAlign_[col];
}

void Control::ColAlignment(std::int32_t col, std::int16_t value) {
    require(is(Kind::Grid));
    if (col < 0 || col >= cols_) invalidIndex();
    if (value < 0 || value > 9) invalidValue();
    colAlign_[col] = value;
    changed(Prop::GridLayout);
}

std::int16_t Control::FixedAlignment(std::int32_t col) const {
    require(is(Kind::Grid));
    if (col < 0 || col >= cols_) invalidIndex();
    return fixedAlign_[col];
}

void Control::FixedAlignment(std::int32_t col, std::int16_t value) {
    require(is(Kind::Grid));
    if (col < 0 || col >= cols_) invalidIndex();
    if (value < 0 || value > 9) invalidValue();
    fixedAlign_[col] = value;
    changed(Prop::GridLayout);
}

std::int16_t Control::ScrollBars() const {
    require(is(Kind::Grid));
    return scrollBars_;
}

void Control::ScrollBars(std::int16_t value) {
    require(is(Kind::Grid));
    if (value < 0 || value > 3) invalidValue();
    scrollBars_ = value;
    changed(Prop::Appearance);
}

std::int16_t Control::AllowUserResizing() const {
    require(is(Kind::Grid));
    return allowUserResizing_;
}

void Control::AllowUserResizing(std::int16_t value) {
    require(is(Kind::Grid));
    if (value < 0 || value > 3) invalidValue();
    if (allowUserResizing_ == value) return;
    allowUserResizing_ = value;
    changed(Prop::Appearance);
}

bool Control::Redraw() const {
    require(is(Kind::Grid));
    return redraw_;
}

void Control::Redraw(bool value) {
    require(is(Kind::Grid));
    if (redraw_ == value) return;
    redraw_ = value;
    changed(Prop::Refresh);
}

std::int32_t Control::TopRow() const {
    require(is(Kind::Grid));
    return topRow_;
}

void Control::TopRow(std::int32_t value) {
    require(is(Kind::Grid));
    checkGridRow(value);
    value = std::max(value, std::min(fixedRows_, rows_ - 1));
    if (topRow_ == value) return;
    topRow_ = value;
    changed(Prop::GridLayout);
    raise(Event::Scroll);
}

std::int32_t Control::LeftCol() const {
    require(is(Kind::Grid));
    return leftCol_;
}

void Control::LeftCol(std::int32_t value) {
    require(is(Kind::Grid));
    checkGridCol(value);
    value = std::max(value, std::min(fixedCols_, cols_ - 1));
    if (leftCol_ == value) return;
    leftCol_ = value;
    changed(Prop::GridLayout);
    raise(Event::Scroll);
}

std::int32_t Control::CellLeft() const {
    require(is(Kind::Grid));
    std::int32_t x = 0;
    for (std::int32_t c = 0; c < std::min(col_, fixedCols_); ++c) x += ColWidth(c) + kGridLineWidth;
    for (std::int32_t c = leftCol_; c < col_; ++c) x += ColWidth(c) + kGridLineWidth;
    return x;
}

std::int32_t Control::CellTop() const {
    require(is(Kind::Grid));
    std::int32_t y = 0;
    for (std::int32_t r = 0; r < std::min(row_, fixedRows_); ++r) y += RowHeight(r) + kGridLineWidth;
    for (std::int32_t r = topRow_; r < row_; ++r) y += RowHeight(r) + kGridLineWidth;
    return y;
}

std::int32_t Control::CellWidth() const { return ColWidth(Col()); }
std::int32_t Control::CellHeight() const { return RowHeight(Row()); }

std::int32_t Control::visibleScrollRows() const {
    std::int32_t space = height_ - 2 * kGridLineWidth;
    for (std::int32_t r = 0; r < fixedRows_; ++r) space -= RowHeight(r) + kGridLineWidth;
    std::int32_t count = 0;
    for (std::int32_t r = topRow_; r < rows_; ++r) {
        space -= RowHeight(r) + kGridLineWidth;
        if (space < 0) break;
        ++count;
    }
    return std::max(count, 1);
}

void Control::ensureRowVisible() {
    if (row_ < fixedRows_) return;
    if (row_ < topRow_) {
        TopRow(row_);
        return;
    }
    while (row_ >= topRow_ + visibleScrollRows() && topRow_ < row_) {
        std::int32_t before = topRow_;
        TopRow(topRow_ + 1);
        if (topRow_ == before) break;
    }
}

// Spreadsheet

void Control::checkSheetCell(std::int32_t row, std::int32_t col) const {
    require(is(Kind::Spreadsheet));
    if (row < 1 || row > kSheetRows || col < 1 || col > kSheetColumns) invalidIndex();
}

const std::string& Control::CellText(std::int32_t row, std::int32_t col) const {
    checkSheetCell(row, col);
    auto it = sheetCells_.find({row, col});
    return it == sheetCells_.end() ? kEmpty : it->second;
}

void Control::CellText(std::int32_t row, std::int32_t col, const std::string& value) {
    checkSheetCell(row, col);
    if (value.empty()) {
        if (sheetCells_.erase({row, col}) == 0) return;
    } else {
        std::string& cell = sheetCells_[{row, col}];
        if (cell == value) return;
        cell = value;
    }
    changed(Prop::Cells);
}

void Control::Select(std::int32_t row, std::int32_t col) {
    checkSheetCell(row, col);
    commitEntry();
    moveActiveCell(row, col);
}

std::int32_t Control::ActiveRow() const {
    require(is(Kind::Spreadsheet));
    return activeRow_;
}

std::int32_t Control::ActiveColumn() const {
    require(is(Kind::Spreadsheet));
    return activeCol_;
}

bool Control::Editing() const {
    require(is(Kind::Spreadsheet));
    return editing_;
}

const std::string& Control::EntryText() const {
    require(is(Kind::Spreadsheet));
    return entryText_;
}

void Control::ClearActiveCell() {
    require(is(Kind::Spreadsheet));
    if (editing_) {
        editing_ = false;
        entryText_.clear();
        changed(Prop::Cells);
    }
    CellText(activeRow_, activeCol_, "");
}

const std::map<std::pair<std::int32_t, std::int32_t>, std::string>& Control::SheetCells() const {
    require(is(Kind::Spreadsheet));
    return sheetCells_;
}

void Control::beginEntry() {
    if (editing_) return;
    editing_ = true;
    entryText_.clear();
    changed(Prop::Cells);
    raise(Event::StartEdit);
}

void Control::commitEntry() {
    if (!is(Kind::Spreadsheet) || !editing_) return;
    editing_ = false;
    std::string text = std::move(entryText_);
    entryText_.clear();
    changed(Prop::Cells);
    CellText(activeRow_, activeCol_, text);
}

void Control::cancelEntry() {
    if (!editing_) return;
    editing_ = false;
    entryText_.clear();
    changed(Prop::Cells);
}

void Control::moveActiveCell(std::int32_t row, std::int32_t col) {
    row = std::clamp(row, 1, kSheetRows);
    col = std::clamp(col, 1, kSheetColumns);
    if (row == activeRow_ && col == activeCol_) return;
    activeRow_ = row;
    activeCol_ = col;
    changed(Prop::GridLayout);
    raise(Event::SelectionChange);
}

// Methods

void Control::SetFocus() {
    if (!canTakeFocus()) rt::raise(5, "Invalid procedure call or argument");
    form_->moveFocus(this);
}

void Control::ZOrder(std::int16_t position) {
    if (position == 0) {
        zSerial_ = --form_->frontZSerial_;
    } else if (position == 1) {
        zSerial_ = form_->nextZSerial_++;
    } else {
        rt::raise(5, "Invalid procedure call or argument");
    }
    changed(Prop::ZOrder);
}

void Control::Refresh() { changed(Prop::Refresh); }

bool Control::canTakeInput() const {
    if (!form_->loaded() || !form_->visible_ || !form_->enabled_) return false;
    for (const Control* c = this; c != nullptr; c = c->container_) {
        if (!c->visible_ || !c->enabled_) return false;
    }
    const auto& modal = detail::layer().modalStack;
    return modal.empty() || modal.back() == form_;
}

bool Control::canTakeFocus() const {
    return oneOf(kind_, {Kind::TextBox, Kind::CommandButton, Kind::OptionButton, Kind::CheckBox, Kind::ComboBox,
                         Kind::ListBox, Kind::PictureBox, Kind::Grid, Kind::UpDown, Kind::ListView,
                         Kind::Spreadsheet}) &&
           canTakeInput();
}

bool Control::isTabStop() const {
    if (!canTakeFocus()) return false;
    if (kind_ != Kind::PictureBox) return true;
    for (const Control* other : form_->Controls())
        if (other->Container() == this) return false;
    return true;
}

}  // namespace forms
