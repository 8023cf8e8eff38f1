#include "platform/forms/qt/formview.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QMenu>
#include <QWidgetAction>
#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

#include "platform/forms/display.h"
#include "platform/forms/input.h"
#include "platform/forms/qt/convert.h"
#include "platform/forms/screen.h"
#include "platform/forms/win.h"

namespace forms::qt {

namespace {

int px(std::int32_t twips) { return pixelsFromTwips(twips); }

template <typename Action>
void guarded(Action&& action) {
    try {
        action();
    } catch (const std::exception& e) {
        display().reportUnhandled(e.what());
    } catch (...) {
        display().reportUnhandled("An unknown error escaped an event handler");
    }
}

struct Syncing {
    explicit Syncing(int& counter) : counter_(counter) { ++counter_; }
    ~Syncing() { --counter_; }
    int& counter_;
};

QColor resolveColor(std::int32_t color, const QPalette& palette, QPalette::ColorRole fallback) {
    if (auto explicitColor = toQColor(color)) return *explicitColor;
    switch (static_cast<std::uint32_t>(color)) {
        case 0x8000000Fu: return palette.color(QPalette::Button);
        case 0x80000012u: return palette.color(QPalette::ButtonText);
        case 0x80000005u: return palette.color(QPalette::Base);
        case 0x80000008u: return palette.color(QPalette::Text);
        case 0x8000000Du: return palette.color(QPalette::Highlight);
        default: return palette.color(fallback);
    }
}

Qt::PenStyle penStyle(std::int16_t borderStyle) {
    switch (borderStyle) {
        case 0: return Qt::NoPen;
        case 2: return Qt::DashLine;
        case 3: return Qt::DotLine;
        case 4: return Qt::DashDotLine;
        case 5: return Qt::DashDotDotLine;
        default: return Qt::SolidLine;
    }
}

std::int16_t mouseButtons(Qt::MouseButtons buttons) {
    std::int16_t b = 0;
    if (buttons & Qt::LeftButton) b |= 1;
    if (buttons & Qt::RightButton) b |= 2;
    if (buttons & Qt::MiddleButton) b |= 4;
    return b;
}

bool focusable(Kind kind) {
    switch (kind) {
        case Kind::TextBox:
        case Kind::CommandButton:
        case Kind::OptionButton:
        case Kind::CheckBox:
        case Kind::ComboBox:
        case Kind::ListBox:
        case Kind::PictureBox:
        case Kind::Grid:
        case Kind::UpDown:
        case Kind::ListView:
        case Kind::DatePicker:
        case Kind::Spreadsheet:
            return true;
        default:
            return false;
    }
}

bool hasFont(Kind kind) {
    return kind != Kind::Image && kind != Kind::Shape && kind != Kind::Line && kind != Kind::UpDown &&
           kind != Kind::ProgressBar;
}

// A picture box: background colour, picture, optional border; a container.
class PictureWidget : public QFrame {
public:
    explicit PictureWidget(QWidget* parent) : QFrame(parent) { setMouseTracking(true); }
    void setBackground(std::optional<QColor> color) {
        background_ = color;
        update();
    }
    void setPicture(const QString& path) {
        pixmap_ = path.isEmpty() ? QPixmap() : QPixmap(path);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            if (background_) painter.fillRect(rect(), *background_);
            if (!pixmap_.isNull()) painter.drawPixmap(contentsRect().topLeft(), pixmap_);
        }
        QFrame::paintEvent(event);
    }

private:
    std::optional<QColor> background_;
    QPixmap pixmap_;
};

// Rectangles, squares, ovals and circles, filled or not.
class ShapeWidget : public QWidget {
public:
    explicit ShapeWidget(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }
    std::int16_t shape = 0;
    std::int16_t fillStyle = 1;
    QColor fillColor;
    QColor borderColor;
    int borderWidth = 1;
    Qt::PenStyle pen = Qt::SolidLine;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, shape == 2 || shape == 3);
        QRect area = rect().adjusted(borderWidth / 2, borderWidth / 2, -(borderWidth + 1) / 2, -(borderWidth + 1) / 2);
        if (shape == 1 || shape == 3 || shape == 5) {
            int side = std::min(area.width(), area.height());
            area = QRect(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
        }
        painter.setPen(pen == Qt::NoPen ? QPen(Qt::NoPen) : QPen(borderColor, borderWidth, pen));
        painter.setBrush(fillStyle == 0 ? QBrush(fillColor) : QBrush(Qt::NoBrush));
        if (shape == 2 || shape == 3) {
            painter.drawEllipse(area);
        } else if (shape == 4 || shape == 5) {
            painter.drawRoundedRect(area, 6, 6);
        } else {
            painter.drawRect(area);
        }
    }
};

// A line between two points of its container.
class LineWidget : public QWidget {
public:
    explicit LineWidget(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }
    QPoint from, to;
    QColor color;
    int width = 1;
    Qt::PenStyle pen = Qt::SolidLine;

protected:
    void paintEvent(QPaintEvent*) override {
        if (pen == Qt::NoPen) return;
        QPainter painter(this);
        painter.setPen(QPen(color, width, pen));
        painter.drawLine(from, to);
    }
};

// The two arrows of an up-down control.
class UpDownWidget : public QWidget {
public:
    explicit UpDownWidget(QWidget* parent) : QWidget(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        up = new QToolButton(this);
        up->setArrowType(Qt::UpArrow);
        down = new QToolButton(this);
        down->setArrowType(Qt::DownArrow);
        for (QToolButton* b : {up, down}) {
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            b->setFocusPolicy(Qt::NoFocus);
            b->setAutoRepeat(true);
            layout->addWidget(b);
        }
    }
    QToolButton* up;
    QToolButton* down;
};

// The grid: scrolled by the pixel, but always to the start of a row and a
// column (the model's TopRow and LeftCol), and as far as the last row and
// column at the top and left edge, as the model lets them go, so that the
// model's CellLeft and CellTop are where the cells show.
class GridTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

    // The section whose start is nearest to a scroll offset, in pixels.
    static int sectionAt(const QHeaderView* header, int offset) {
        const int count = header->count();
        for (int i = 0; i < count; ++i) {
            const int start = header->sectionPosition(i);
            const int size = header->sectionSize(i);
            if (offset < start + size) return offset - start > size / 2 && i + 1 < count ? i + 1 : i;
        }
        return std::max(0, count - 1);
    }
    // Scrolls so that the sections begin at the edges.
    void scrollToSections(int row, int col) {
        updateGeometries();
        verticalScrollBar()->setValue(row < rowCount() ? verticalHeader()->sectionPosition(row) : 0);
        horizontalScrollBar()->setValue(col < columnCount() ? horizontalHeader()->sectionPosition(col) : 0);
    }

protected:
    void updateGeometries() override {
        QTableWidget::updateGeometries();
        extend(horizontalScrollBar(), horizontalHeader(), viewport()->width());
        extend(verticalScrollBar(), verticalHeader(), viewport()->height());
    }

private:
    static void extend(QScrollBar* bar, const QHeaderView* header, int visible) {
        const int count = header->count();
        if (count == 0 || header->length() <= visible) return;
        bar->setRange(0, header->sectionPosition(count - 1));
    }
};

// The cells of a spreadsheet control as Qt sees them: read from the model
// (sparse), with the entry in progress shown in the current cell. Rows and
// columns are numbered from 1 in the headers.
class SheetModel : public QAbstractTableModel {
public:
    SheetModel(Control& control, QObject* parent)
        : QAbstractTableModel(parent), control_(&control), alive_(control.aliveToken()) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kSheetRows; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kSheetColumns; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!*alive_ || !index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
        const std::int32_t row = index.row() + 1;
        const std::int32_t col = index.column() + 1;
        if (control_->Editing() && row == control_->ActiveRow() && col == control_->ActiveColumn()) {
            return toDisplayText(control_->EntryText());
        }
        return toDisplayText(control_->CellText(row, col));
    }
    QVariant headerData(int section, Qt::Orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return QString::number(section + 1);
    }
    // Everything may have changed; the view asks again for what it shows.
    void refresh() {
        emit dataChanged(index(0, 0), index(kSheetRows - 1, kSheetColumns - 1));
    }

private:
    Control* control_;
    std::shared_ptr<const bool> alive_;
};

}  // namespace

FormView::FormView(Form& form) : QWidget(nullptr), form_(&form) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    form.addObserver(this);
    {
        Syncing s(syncing_);
        syncWindow(Prop::Caption);
        syncWindow(Prop::Font);
        syncWindow(Prop::Colors);
        syncWindow(Prop::RightToLeft);
        syncWindow(Prop::Enabled);
        syncWindow(Prop::Appearance);
        syncWindow(Prop::Geometry);
    }
    for (Control* c : form.Controls()) controlAdded(*c);
    // The focus is always marked, wherever it came from: the styles draw
    // the mark only in a window whose focus the keyboard moved, and the
    // forms move it from code as often (Enter to the next box, a step's
    // first box).
    setAttribute(Qt::WA_KeyboardFocusChange);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr || now->window() != this || testAttribute(Qt::WA_KeyboardFocusChange)) return;
        setAttribute(Qt::WA_KeyboardFocusChange);
        now->update();
    });
}

FormView::~FormView() {
    if (form_ != nullptr) form_->removeObserver(this);
}

void FormView::detach() {
    if (form_ != nullptr) form_->removeObserver(this);
    form_ = nullptr;
    entries_.clear();
    owners_.clear();
    pending_.clear();
}

QWidget* FormView::widgetOf(const Control& control) const {
    auto it = entries_.find(&control);
    return it == entries_.end() ? nullptr : it->second.widget;
}

FormView::Entry* FormView::entryOf(const Control& control) {
    auto it = entries_.find(&control);
    return it == entries_.end() ? nullptr : &it->second;
}

QWidget* FormView::parentFor(const Control& control) {
    if (control.Container() != nullptr) {
        if (QWidget* w = widgetOf(*control.Container())) return w;
    }
    return this;
}

void FormView::watch(QObject* object, Control& control) {
    object->installEventFilter(this);
    owners_[object] = &control;
}

// Widgets

QWidget* FormView::createWidget(Control& c, QWidget* parent) {
    Control* ctl = &c;
    std::shared_ptr<const bool> alive = c.aliveToken();
    // Runs a gesture for the control unless the change came from the model,
    // then shows what the model made of it.
    auto gesture = [this, ctl, alive](auto&& action) {
        if (syncing_ > 0 || !*alive) return;
        guarded([&] { action(*ctl); });
        if (*alive) {
            if (Entry* e = entryOf(*ctl)) syncAll(*e);
        }
    };

    QWidget* widget = nullptr;
    switch (c.kind()) {
        case Kind::Label: {
            auto* w = new QLabel(parent);
            w->setWordWrap(true);
            w->setTextFormat(Qt::PlainText);
            w->setMouseTracking(true);
            widget = w;
            break;
        }
        case Kind::TextBox: {
            auto* w = new QLineEdit(parent);
            w->setMaxLength(1 << 24);  // the model enforces MaxLength
            connect(w, &QLineEdit::textEdited, w, [gesture](const QString& text) {
                gesture([&](Control& m) { editText(m, toModelText(text)); });
            });
            connect(w, &QLineEdit::selectionChanged, w, [this, w, ctl, alive] {
                if (syncing_ > 0 || !*alive) return;
                QString text = w->text();
                int start = w->hasSelectedText() ? w->selectionStart() : w->cursorPosition();
                int length = w->hasSelectedText() ? w->selectedText().size() : 0;
                std::int32_t from = characterIndex(text, start);
                setSelection(*ctl, from, characterIndex(text, start + length) - from);
            });
            connect(w, &QLineEdit::cursorPositionChanged, w, [this, w, ctl, alive](int, int position) {
                if (syncing_ > 0 || !*alive || w->hasSelectedText()) return;
                setSelection(*ctl, characterIndex(w->text(), position), 0);
            });
            widget = w;
            break;
        }
        case Kind::CommandButton: {
            auto* w = new QPushButton(parent);
            w->setAutoDefault(false);
            connect(w, &QPushButton::clicked, w, [gesture] { gesture([](Control& m) { click(m); }); });
            widget = w;
            break;
        }
        case Kind::Frame:
            widget = new QGroupBox(parent);
            break;
        case Kind::OptionButton: {
            auto* w = new QRadioButton(parent);
            w->setAutoExclusive(false);
            connect(w, &QRadioButton::clicked, w, [gesture] { gesture([](Control& m) { click(m); }); });
            widget = w;
            break;
        }
        case Kind::CheckBox: {
            auto* w = new QCheckBox(parent);
            connect(w, &QCheckBox::clicked, w, [gesture] { gesture([](Control& m) { click(m); }); });
            widget = w;
            break;
        }
        case Kind::ComboBox: {
            auto* w = new QComboBox(parent);
            w->setInsertPolicy(QComboBox::NoInsert);
            connect(w, &QComboBox::activated, w, [gesture](int index) {
                gesture([&](Control& m) { selectItem(m, static_cast<std::int16_t>(index)); });
            });
            connect(w, &QComboBox::editTextChanged, w, [gesture](const QString& text) {
                gesture([&](Control& m) { editText(m, toModelText(text)); });
            });
            widget = w;
            break;
        }
        case Kind::ListBox:
        case Kind::ListView: {
            auto* w = new QListWidget(parent);
            if (c.kind() == Kind::ListBox) {
                connect(w, &QListWidget::currentRowChanged, w, [gesture](int row) {
                    gesture([&](Control& m) { selectItem(m, static_cast<std::int16_t>(row)); });
                });
                connect(w, &QListWidget::itemChanged, w, [gesture, w](QListWidgetItem* item) {
                    int row = w->row(item);
                    bool checked = item->checkState() == Qt::Checked;
                    gesture([&](Control& m) { checkItem(m, static_cast<std::int16_t>(row), checked); });
                });
            }
            widget = w;
            break;
        }
        case Kind::PictureBox:
            widget = new PictureWidget(parent);
            break;
        case Kind::Image: {
            auto* w = new QLabel(parent);
            w->setMouseTracking(true);
            widget = w;
            break;
        }
        case Kind::Shape:
            widget = new ShapeWidget(parent);
            break;
        case Kind::Line:
            widget = new LineWidget(parent);
            break;
        case Kind::UpDown: {
            auto* w = new UpDownWidget(parent);
            connect(w->up, &QToolButton::clicked, w, [gesture] { gesture([](Control& m) { spinUp(m); }); });
            connect(w->down, &QToolButton::clicked, w, [gesture] { gesture([](Control& m) { spinDown(m); }); });
            widget = w;
            break;
        }
        case Kind::DatePicker: {
            // A drop-down button whose calendar reports the user's pick.
            auto* w = new QToolButton(parent);
            w->setPopupMode(QToolButton::InstantPopup);
            w->setArrowType(Qt::DownArrow);
            auto* menu = new QMenu(w);
            auto* calendar = new QCalendarWidget(menu);
            auto* action = new QWidgetAction(menu);
            action->setDefaultWidget(calendar);
            menu->addAction(action);
            w->setMenu(menu);
            connect(menu, &QMenu::aboutToShow, calendar, [calendar, ctl, alive] {
                if (!*alive) return;
                const Date& d = ctl->DateValue();
                calendar->setSelectedDate(QDate(d.Year, d.Month, d.Day));
            });
            connect(calendar, &QCalendarWidget::clicked, w, [gesture, menu](const QDate& date) {
                menu->hide();
                gesture([&](Control& m) {
                    pickDate(m, Date{static_cast<std::int16_t>(date.year()), static_cast<std::int16_t>(date.month()),
                                     static_cast<std::int16_t>(date.day())});
                });
            });
            widget = w;
            break;
        }
        case Kind::StatusBar: {
            auto* w = new QStatusBar(parent);
            w->setSizeGripEnabled(false);
            widget = w;
            break;
        }
        case Kind::ProgressBar: {
            auto* w = new QProgressBar(parent);
            w->setTextVisible(false);
            widget = w;
            break;
        }
        case Kind::Grid: {
            auto* w = new GridTable(parent);
            w->setEditTriggers(QAbstractItemView::NoEditTriggers);
            w->setSelectionMode(QAbstractItemView::SingleSelection);
            w->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
            w->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
            w->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            w->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            // Body cell (r, c) is model cell (r + fixed rows shown as header, ...).
            auto toModel = [ctl](int row, int col) {
                return std::pair<std::int32_t, std::int32_t>{row + (ctl->FixedRows() == 1 ? 1 : 0),
                                                              col + (ctl->FixedCols() == 1 ? 1 : 0)};
            };
            connect(w, &QTableWidget::cellClicked, w, [gesture, toModel](int row, int col) {
                auto [r, k] = toModel(row, col);
                gesture([&](Control& m) { selectCell(m, r, k); });
            });
            connect(w, &QTableWidget::cellDoubleClicked, w, [gesture, toModel](int row, int col) {
                auto [r, k] = toModel(row, col);
                gesture([&](Control& m) {
                    selectCell(m, r, k);
                    doubleClick(m);
                });
            });
            connect(w->verticalScrollBar(), &QScrollBar::valueChanged, w, [gesture, ctl, w](int value) {
                std::int32_t top = GridTable::sectionAt(w->verticalHeader(), value) + (ctl->FixedRows() == 1 ? 1 : 0);
                gesture([&](Control& m) { scrollGrid(m, top); });
            });
            connect(w->horizontalScrollBar(), &QScrollBar::valueChanged, w, [gesture, ctl, w](int value) {
                std::int32_t left =
                    GridTable::sectionAt(w->horizontalHeader(), value) + (ctl->FixedCols() == 1 ? 1 : 0);
                gesture([&](Control& m) { scrollGridColumns(m, left); });
            });
            // A column the user widens: its width less the grid line, in twips.
            connect(w->horizontalHeader(), &QHeaderView::sectionResized, w,
                    [gesture, ctl](int section, int, int size) {
                        std::int32_t col = section + (ctl->FixedCols() == 1 ? 1 : 0);
                        std::int32_t width = std::max(0, size - 1) * kTwipsPerPixel;
                        gesture([&](Control& m) { resizeGridColumn(m, col, width); });
                    });
            widget = w;
            break;
        }
        case Kind::Spreadsheet: {
            auto* w = new QTableView(parent);
            w->setModel(new SheetModel(c, w));
            w->setEditTriggers(QAbstractItemView::NoEditTriggers);
            w->setSelectionMode(QAbstractItemView::SingleSelection);
            w->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            w->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            w->verticalHeader()->setDefaultSectionSize(px(kGridDefaultRowHeight) + 1);
            w->horizontalHeader()->setDefaultSectionSize(px(kGridDefaultColWidth) + 1);
            connect(w, &QTableView::clicked, w, [gesture](const QModelIndex& index) {
                gesture([&](Control& m) { selectCell(m, index.row() + 1, index.column() + 1); });
            });
            widget = w;
            break;
        }
    }
    widget->setFocusPolicy(focusable(c.kind()) ? Qt::StrongFocus : Qt::NoFocus);
    watch(widget, c);
    if (auto* area = dynamic_cast<QAbstractScrollArea*>(widget)) watch(area->viewport(), c);
    return widget;
}

// Synchronisation, model to widgets

void FormView::syncGeometry(Entry& e) {
    Control& c = *e.control;
    if (c.kind() == Kind::Line) {
        auto* line = static_cast<LineWidget*>(e.widget);
        int margin = std::max(1, static_cast<int>(c.BorderWidth()));
        QPoint a(px(c.X1()), px(c.Y1()));
        QPoint b(px(c.X2()), px(c.Y2()));
        QRect box = QRect(a, b).normalized().adjusted(-margin, -margin, margin, margin);
        line->from = a - box.topLeft();
        line->to = b - box.topLeft();
        line->setGeometry(box);
        line->update();
        return;
    }
    int offset = 0;
    if (const Control* container = c.Container();
        container != nullptr && container->kind() == Kind::PictureBox && container->BorderStyle() == 1) {
        offset = 2;
    }
    e.widget->setGeometry(px(c.Left()) + offset, px(c.Top()) + offset, px(c.Width()), px(c.Height()));
}

void FormView::syncText(Entry& e) {
    Control& c = *e.control;
    switch (c.kind()) {
        case Kind::Label:
            static_cast<QLabel*>(e.widget)->setText(toDisplayText(c.Caption()));
            break;
        case Kind::CommandButton:
        case Kind::OptionButton:
        case Kind::CheckBox:
            static_cast<QAbstractButton*>(e.widget)->setText(toDisplayText(c.Caption()));
            break;
        case Kind::Frame:
            static_cast<QGroupBox*>(e.widget)->setTitle(toDisplayText(c.Caption()));
            break;
        case Kind::TextBox: {
            auto* w = static_cast<QLineEdit*>(e.widget);
            QString text = toQString(c.Text());
            if (w->text() != text) w->setText(text);
            int start = utf16Position(text, c.SelStart());
            int end = utf16Position(text, c.SelStart() + c.SelLength());
            if (end > start) {
                w->setSelection(start, end - start);
            } else if (w->cursorPosition() != start || w->hasSelectedText()) {
                w->setCursorPosition(start);
            }
            break;
        }
        case Kind::ComboBox: {
            auto* w = static_cast<QComboBox*>(e.widget);
            if (w->isEditable() && w->currentText() != toQString(c.Text())) w->setEditText(toQString(c.Text()));
            break;
        }
        default:
            break;
    }
}

void FormView::syncList(Entry& e) {
    Control& c = *e.control;
    if (c.kind() == Kind::ListBox) {
        auto* w = static_cast<QListWidget*>(e.widget);
        bool checks = c.Style() == 1;
        if (w->count() != c.ListCount()) {
            w->clear();
            for (std::int16_t i = 0; i < c.ListCount(); ++i) w->addItem(toQString(c.List(i)));
        }
        for (std::int16_t i = 0; i < c.ListCount(); ++i) {
            QListWidgetItem* item = w->item(i);
            QString text = toQString(c.List(i));
            if (item->text() != text) item->setText(text);
            if (checks) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(c.Selected(i) ? Qt::Checked : Qt::Unchecked);
            } else {
                item->setData(Qt::CheckStateRole, QVariant());
            }
        }
        if (w->currentRow() != c.ListIndex()) w->setCurrentRow(c.ListIndex());
    } else if (c.kind() == Kind::ComboBox) {
        auto* w = static_cast<QComboBox*>(e.widget);
        bool same = w->count() == c.ListCount();
        for (std::int16_t i = 0; same && i < c.ListCount(); ++i) same = w->itemText(i) == toQString(c.List(i));
        if (!same) {
            w->clear();
            for (std::int16_t i = 0; i < c.ListCount(); ++i) w->addItem(toQString(c.List(i)));
        }
        if (w->currentIndex() != c.ListIndex()) w->setCurrentIndex(c.ListIndex());
        syncText(e);
    }
}

void FormView::syncGrid(Entry& e, bool cells) {
    Control& c = *e.control;
    auto* t = static_cast<GridTable*>(e.widget);
    const int firstRow = c.FixedRows() == 1 ? 1 : 0;  // one fixed row or column shows as header
    const int firstCol = c.FixedCols() == 1 ? 1 : 0;
    const int rows = c.Rows() - firstRow;
    const int cols = c.Cols() - firstCol;
    if (t->rowCount() != rows) t->setRowCount(rows);
    if (t->columnCount() != cols) t->setColumnCount(cols);
    t->horizontalHeader()->setVisible(firstRow == 1);
    t->verticalHeader()->setVisible(firstCol == 1);
    // Each cell takes its width or height and the grid line after it, as the
    // model's CellLeft and CellTop count them.
    const int line = px(kGridLineWidth);
    if (firstRow == 1) t->horizontalHeader()->setFixedHeight(px(c.RowHeight(0)) + line);
    if (firstCol == 1) t->verticalHeader()->setFixedWidth(px(c.ColWidth(0)) + line);
    const bool resizable = c.AllowUserResizing() == 1 || c.AllowUserResizing() == 3;
    t->horizontalHeader()->setSectionResizeMode(resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
    for (int j = 0; j < cols; ++j) t->setColumnWidth(j, px(c.ColWidth(j + firstCol)) + line);
    for (int i = 0; i < rows; ++i) t->setRowHeight(i, px(c.RowHeight(i + firstRow)) + line);
    if (cells) {
        auto alignmentOf = [](std::int16_t a) -> Qt::Alignment {
            // 0-2 left, 3-5 centre, 6-8 right (top, middle, bottom); 9 general.
            Qt::Alignment h = a <= 2 ? Qt::AlignLeft : a <= 5 ? Qt::AlignHCenter : a <= 8 ? Qt::AlignRight : Qt::AlignLeft;
            Qt::Alignment v = a == 9 ? Qt::AlignVCenter
                                     : (a % 3 == 0 ? Qt::AlignTop : a % 3 == 1 ? Qt::AlignVCenter : Qt::AlignBottom);
            return h | v | Qt::AlignAbsolute;
        };
        if (firstRow == 1) {
            for (int j = 0; j < cols; ++j) {
                QTableWidgetItem* header = t->horizontalHeaderItem(j);
                if (header == nullptr) {
                    header = new QTableWidgetItem;
                    t->setHorizontalHeaderItem(j, header);
                }
                header->setText(toDisplayText(c.TextMatrix(0, j + firstCol)));
                header->setTextAlignment(alignmentOf(c.FixedAlignment(j + firstCol)));
            }
        }
        if (firstCol == 1) {
            for (int i = 0; i < rows; ++i) {
                QTableWidgetItem* header = t->verticalHeaderItem(i);
                if (header == nullptr) {
                    header = new QTableWidgetItem;
                    t->setVerticalHeaderItem(i, header);
                }
                header->setText(toDisplayText(c.TextMatrix(i + firstRow, 0)));
                header->setTextAlignment(alignmentOf(c.ColAlignment(0)));
            }
        }
        QColor fixedBack = t->palette().color(QPalette::Button);
        for (int i = 0; i < rows; ++i) {
            for (int j = 0; j < cols; ++j) {
                QTableWidgetItem* item = t->item(i, j);
                if (item == nullptr) {
                    item = new QTableWidgetItem;
                    t->setItem(i, j, item);
                }
                item->setText(toDisplayText(c.TextMatrix(i + firstRow, j + firstCol)));
                bool fixed = i + firstRow < c.FixedRows() || j + firstCol < c.FixedCols();
                item->setTextAlignment(alignmentOf(fixed ? c.FixedAlignment(j + firstCol) : c.ColAlignment(j + firstCol)));
                if (fixed) item->setBackground(fixedBack);
            }
        }
    }
    if (c.Row() >= firstRow && c.Col() >= firstCol) {
        t->setCurrentCell(c.Row() - firstRow, c.Col() - firstCol);
    } else {
        t->clearSelection();
    }
    t->setVerticalScrollBarPolicy((c.ScrollBars() & 2) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    t->setHorizontalScrollBarPolicy((c.ScrollBars() & 1) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    t->scrollToSections(c.TopRow() - firstRow, c.LeftCol() - firstCol);
}

void FormView::syncSheet(Entry& e) {
    Control& c = *e.control;
    auto* view = static_cast<QTableView*>(e.widget);
    static_cast<SheetModel*>(view->model())->refresh();
    QModelIndex current = view->model()->index(c.ActiveRow() - 1, c.ActiveColumn() - 1);
    if (view->currentIndex() != current) view->setCurrentIndex(current);
    view->scrollTo(current);
}

void FormView::syncFocus(Entry& e) {
    if (form_ == nullptr || form_->ActiveControl() != e.control) return;
    if (!e.widget->hasFocus()) e.widget->setFocus(Qt::OtherFocusReason);
    if (!testAttribute(Qt::WA_KeyboardFocusChange)) {
        setAttribute(Qt::WA_KeyboardFocusChange);
        e.widget->update();
    }
}

void FormView::sync(Entry& e, Prop prop) {
    Syncing s(syncing_);
    Control& c = *e.control;
    QWidget* w = e.widget;
    const Kind kind = c.kind();
    switch (prop) {
        case Prop::Geometry:
            syncGeometry(e);
            break;
        case Prop::Caption:
        case Prop::Text:
        case Prop::Selection:
            syncText(e);
            break;
        case Prop::Visible:
            w->setVisible(c.Visible());
            break;
        case Prop::Enabled:
            if (kind != Kind::Shape && kind != Kind::Line) w->setEnabled(c.Enabled());
            break;
        case Prop::Value:
            if (kind == Kind::OptionButton) {
                static_cast<QRadioButton*>(w)->setChecked(c.Value() != 0);
            } else if (kind == Kind::CheckBox) {
                auto* box = static_cast<QCheckBox*>(w);
                box->setCheckState(c.Value() == vbChecked   ? Qt::Checked
                                   : c.Value() == vbGrayed ? Qt::PartiallyChecked
                                                           : Qt::Unchecked);
            } else if (kind == Kind::ProgressBar) {
                static_cast<QProgressBar*>(w)->setValue(c.Value());
            }
            break;
        case Prop::Alignment:
        case Prop::RightToLeft: {
            // A progress bar has no reading order of its own: it fills the
            // way its window reads (from the right in a mirrored one).
            if (kind == Kind::ProgressBar) break;
            bool rtl = kind != Kind::Image && kind != Kind::Shape && kind != Kind::Line && kind != Kind::UpDown &&
                       c.RightToLeft();
            if (kind == Kind::Label) {
                static_cast<QLabel*>(w)->setAlignment(toQtAlignment(c.Alignment()) | Qt::AlignTop);
            } else if (kind == Kind::TextBox) {
                static_cast<QLineEdit*>(w)->setAlignment(toQtAlignment(c.Alignment()) | Qt::AlignVCenter);
            } else if (kind == Kind::CheckBox || kind == Kind::OptionButton) {
                rtl = rtl || c.Alignment() == 1;  // the box on the right
            }
            w->setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
            break;
        }
        case Prop::Font:
            if (hasFont(kind)) w->setFont(toQFont(c.Font()));
            break;
        case Prop::Colors: {
            QPalette palette = w->palette();
            if (kind == Kind::Shape) {
                auto* shape = static_cast<ShapeWidget*>(w);
                shape->fillColor = resolveColor(c.FillColor(), palette, QPalette::WindowText);
                shape->borderColor = resolveColor(c.BorderColor(), palette, QPalette::WindowText);
                shape->update();
            } else if (kind == Kind::Line) {
                auto* line = static_cast<LineWidget*>(w);
                line->color = resolveColor(c.BorderColor(), palette, QPalette::WindowText);
                line->update();
            } else if (kind == Kind::PictureBox) {
                static_cast<PictureWidget*>(w)->setBackground(toQColor(c.BackColor()));
            } else if (kind != Kind::Image && kind != Kind::UpDown && kind != Kind::ProgressBar) {
                if (auto back = toQColor(c.BackColor())) {
                    palette.setColor(QPalette::Window, *back);
                    palette.setColor(QPalette::Base, *back);
                    palette.setColor(QPalette::Button, *back);
                    w->setAutoFillBackground(kind == Kind::Label);
                }
                if (auto fore = toQColor(c.ForeColor())) {
                    palette.setColor(QPalette::WindowText, *fore);
                    palette.setColor(QPalette::Text, *fore);
                    palette.setColor(QPalette::ButtonText, *fore);
                }
                w->setPalette(palette);
            }
            break;
        }
        case Prop::Items:
            schedule(e);
            break;
        case Prop::ListIndex:
            if (pending_.count(&c) == 0) syncList(e);
            break;
        case Prop::Picture:
            if (kind == Kind::PictureBox) {
                static_cast<PictureWidget*>(w)->setPicture(toQString(c.Picture()));
            } else if (kind == Kind::Image) {
                auto* label = static_cast<QLabel*>(w);
                label->setScaledContents(c.Stretch());
                label->setPixmap(c.Picture().empty() ? QPixmap() : QPixmap(toQString(c.Picture())));
            } else if (kind == Kind::CommandButton || kind == Kind::OptionButton || kind == Kind::CheckBox) {
                auto* button = static_cast<QAbstractButton*>(w);
                button->setIcon(c.Picture().empty() ? QIcon() : QIcon(toQString(c.Picture())));
            }
            break;
        case Prop::Appearance:
            switch (kind) {
                case Kind::CommandButton:
                    static_cast<QPushButton*>(w)->setDefault(c.Default());
                    break;
                case Kind::ComboBox: {
                    auto* combo = static_cast<QComboBox*>(w);
                    bool editable = c.Style() != 2;
                    if (combo->isEditable() != editable) {
                        combo->setEditable(editable);
                        if (editable && combo->lineEdit() != nullptr) watch(combo->lineEdit(), c);
                    }
                    syncList(e);
                    break;
                }
                case Kind::ListBox:
                    schedule(e);
                    break;
                case Kind::Frame:
                    static_cast<QGroupBox*>(w)->setFlat(c.BorderStyle() == 0);
                    break;
                case Kind::PictureBox:
                    static_cast<QFrame*>(w)->setFrameStyle(c.BorderStyle() == 1 ? (QFrame::Panel | QFrame::Sunken)
                                                                                : QFrame::NoFrame);
                    static_cast<QFrame*>(w)->setLineWidth(2);
                    break;
                case Kind::Label:
                    static_cast<QLabel*>(w)->setFrameStyle(c.BorderStyle() == 1 ? (QFrame::Box | QFrame::Plain)
                                                                                : QFrame::NoFrame);
                    break;
                case Kind::TextBox:
                    static_cast<QLineEdit*>(w)->setFrame(c.BorderStyle() == 1);
                    break;
                case Kind::Shape: {
                    auto* shape = static_cast<ShapeWidget*>(w);
                    shape->shape = c.ShapeKind();
                    shape->fillStyle = c.FillStyle();
                    shape->borderWidth = c.BorderWidth();
                    shape->pen = penStyle(c.BorderStyle());
                    shape->update();
                    break;
                }
                case Kind::Line: {
                    auto* line = static_cast<LineWidget*>(w);
                    line->width = c.BorderWidth();
                    line->pen = penStyle(c.BorderStyle());
                    syncGeometry(e);
                    break;
                }
                case Kind::Grid:
                    schedule(e);
                    break;
                default:
                    break;
            }
            break;
        case Prop::Range:
            if (kind == Kind::ProgressBar) {
                auto* bar = static_cast<QProgressBar*>(w);
                bar->setRange(c.Min(), c.Max());
                bar->setValue(c.Value());
            }
            break;
        case Prop::Panels:
            if (kind == Kind::StatusBar) {
                auto* bar = static_cast<QStatusBar*>(w);
                QList<QLabel*> labels = bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
                while (labels.size() > c.PanelCount()) {
                    QLabel* last = labels.takeLast();
                    bar->removeWidget(last);
                    delete last;
                }
                while (labels.size() < c.PanelCount()) {
                    auto* label = new QLabel(bar);
                    label->setTextFormat(Qt::PlainText);
                    bar->addWidget(label, 1);
                    labels.append(label);
                }
                for (std::int32_t i = 1; i <= c.PanelCount(); ++i) labels[i - 1]->setText(toDisplayText(c.PanelText(i)));
            }
            break;
        case Prop::Cells:
        case Prop::GridLayout:
            if (kind == Kind::Grid) schedule(e);
            if (kind == Kind::Spreadsheet) syncSheet(e);
            break;
        case Prop::ZOrder:
            restack(w->parentWidget());
            break;
        case Prop::Container: {
            QWidget* parent = parentFor(c);
            if (w->parentWidget() != parent) {
                w->setParent(parent);
                syncGeometry(e);
                w->setVisible(c.Visible());
                restack(parent);
            }
            break;
        }
        case Prop::Focus:
            syncFocus(e);
            break;
        case Prop::Refresh:
            if (kind == Kind::Grid) {
                bool redraw = c.Redraw();
                w->setUpdatesEnabled(redraw);
                if (redraw) schedule(e);
            }
            w->update();
            break;
        case Prop::WindowState:
            break;
        case Prop::ToolTip:
            w->setToolTip(toQString(c.ToolTipText()));
            break;
    }
}

void FormView::syncAll(Entry& e) {
    for (Prop p : {Prop::Appearance, Prop::Geometry, Prop::Font, Prop::Colors, Prop::Caption, Prop::Items,
                   Prop::Text, Prop::Value, Prop::Alignment, Prop::Enabled, Prop::Picture, Prop::Range,
                   Prop::Panels, Prop::Cells, Prop::Visible, Prop::Focus, Prop::ToolTip}) {
        sync(e, p);
    }
}

// Lists and grids are brought up to date once the running handler is done,
// so that filling thousands of entries does not rebuild the widget each time.
void FormView::schedule(Entry& e) {
    pending_.insert(e.control);
    if (flushScheduled_) return;
    flushScheduled_ = true;
    QTimer::singleShot(0, this, [this] { flush(); });
}

void FormView::flush() {
    flushScheduled_ = false;
    std::set<const Control*> pending;
    pending.swap(pending_);
    for (const Control* control : pending) {
        Entry* e = entryOf(*control);
        if (e == nullptr || !*e->alive) continue;
        Syncing s(syncing_);
        if (control->kind() == Kind::Grid) {
            if (control->Redraw()) syncGrid(*e, true);
        } else {
            syncList(*e);
        }
    }
}

// Windowless controls lie under windowed ones; within each group the front
// of the model's z-order is on top.
void FormView::restack(QWidget* parent) {
    if (parent == nullptr) return;
    std::vector<Entry*> siblings;
    for (auto& [control, entry] : entries_) {
        if (entry.widget->parentWidget() == parent) siblings.push_back(&entry);
    }
    std::sort(siblings.begin(), siblings.end(), [](Entry* a, Entry* b) {
        if (a->control->windowed() != b->control->windowed()) return !a->control->windowed();
        return a->control->zSerial() > b->control->zSerial();
    });
    for (Entry* e : siblings) e->widget->raise();
}

void FormView::syncWindow(Prop prop) {
    if (form_ == nullptr) return;
    Syncing s(syncing_);
    Form& f = *form_;
    switch (prop) {
        case Prop::Caption:
            setWindowTitle(toQString(f.Caption()));
            break;
        case Prop::Font:
            setFont(toQFont(f.Font()));
            break;
        case Prop::Colors: {
            QPalette palette = this->palette();
            if (auto back = toQColor(f.BackColor())) palette.setColor(QPalette::Window, *back);
            setPalette(palette);
            break;
        }
        case Prop::RightToLeft:
            setLayoutDirection(f.RightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
            break;
        case Prop::Enabled:
            setEnabled(f.Enabled());
            // A disabled window lost its focus widget: the model's comes back.
            if (f.Enabled()) {
                if (Control* active = f.ActiveControl()) {
                    if (Entry* e = entryOf(*active)) syncFocus(*e);
                }
            }
            break;
        case Prop::Appearance: {
            Qt::WindowFlags flags = Qt::Window;
            if (f.BorderStyle() == 0) {
                flags |= Qt::FramelessWindowHint;
            } else {
                flags |= Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
                if (f.BorderStyle() == 2) flags |= Qt::WindowMinMaxButtonsHint;
            }
            bool wasVisible = isVisible();
            if (windowFlags() != flags) {
                setWindowFlags(flags);
                if (wasVisible) show();
            }
            [[fallthrough]];
        }
        case Prop::Geometry:
        case Prop::WindowState: {
            if (f.WindowState() != vbNormal) {
                if (isVisible()) {
                    if (f.WindowState() == vbMaximized) showMaximized();
                    if (f.WindowState() == vbMinimized) showMinimized();
                }
                break;
            }
            if (isVisible() && (isMaximized() || isMinimized())) showNormal();
            win::POINTAPI origin = win::clientOrigin(f.hWnd());
            QRect r(origin.X, origin.Y, px(f.ScaleWidth()), px(f.ScaleHeight()));
            if (f.BorderStyle() == 3) {
                setFixedSize(r.size());
            } else {
                setMinimumSize(0, 0);
                setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            }
            setGeometry(r);
            break;
        }
        case Prop::Refresh:
            update();
            break;
        default:
            break;
    }
}

// Observer

void FormView::controlAdded(Control& control) {
    if (form_ == nullptr || entries_.count(&control) != 0) return;
    QWidget* parent = parentFor(control);
    QWidget* widget = createWidget(control, parent);
    Entry& e = entries_[&control];
    e.control = &control;
    e.widget = widget;
    e.alive = control.aliveToken();
    syncAll(e);
    restack(parent);
}

void FormView::controlRemoved(Control& control) {
    auto it = entries_.find(&control);
    if (it == entries_.end()) return;
    QWidget* widget = it->second.widget;
    entries_.erase(it);
    pending_.erase(&control);
    for (auto o = owners_.begin(); o != owners_.end();) {
        o = o->second == &control ? owners_.erase(o) : std::next(o);
    }
    // Children of the widget belong to controls removed before it.
    widget->hide();
    widget->removeEventFilter(this);
    widget->setParent(nullptr);
    widget->deleteLater();
}

void FormView::controlChanged(Control& control, Prop prop) {
    if (Entry* e = entryOf(control)) sync(*e, prop);
}

void FormView::formChanged(Form&, Prop prop) { syncWindow(prop); }

// Input, widgets to model

bool FormView::handleKey(Control& c, QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta) return false;
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = (mods & Qt::ControlModifier) != 0;
    bool editable = c.kind() == Kind::TextBox || (c.kind() == Kind::ComboBox && c.Style() != 2);
    if (editable) {
        // Clipboard, undo and selection keys stay with the line edit; what
        // they change reaches the model through textEdited.
        if (ctrl && key != Qt::Key_Home && key != Qt::Key_End) return false;
        if ((mods & Qt::ShiftModifier) &&
            (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End)) {
            return false;
        }
    }
    if (c.kind() == Kind::ComboBox && (key == Qt::Key_F4 || ((mods & Qt::AltModifier) && key == Qt::Key_Down))) {
        return false;
    }
    QString text = event->text();
    if (ctrl || (!text.isEmpty() && text.at(0).unicode() < 32 && text != QLatin1String("\r") &&
                 text != QLatin1String("\b") && text != QLatin1String("\x1b"))) {
        text.clear();
    }
    // The focus moved by the keyboard is marked on buttons and boxes.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) setAttribute(Qt::WA_KeyboardFocusChange);
    std::shared_ptr<const bool> alive = c.aliveToken();
    guarded([&] { pressKey(c, keyCodeOf(*event), shiftOf(mods), toModelText(text)); });
    if (*alive) {
        if (Entry* e = entryOf(c)) syncAll(*e);
    }
    return true;
}

bool FormView::handleMouse(Control& c, QObject* watched, QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    Entry* e = entryOf(c);
    if (e == nullptr) return false;
    QPoint at = static_cast<QWidget*>(watched)->mapTo(e->widget, mouse->position().toPoint());
    float x = static_cast<float>(at.x() * kTwipsPerPixel);
    float y = static_cast<float>(at.y() * kTwipsPerPixel);
    std::int16_t shift = shiftOf(mouse->modifiers());
    const Kind kind = c.kind();
    bool clickable = kind == Kind::Label || kind == Kind::Image || kind == Kind::PictureBox || kind == Kind::Frame ||
                     kind == Kind::StatusBar || kind == Kind::ProgressBar;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            guarded([&] { mouseDown(c, mouseButtons(mouse->button()), shift, x, y); });
            break;
        case QEvent::MouseMove:
            guarded([&] { mouseMove(c, mouseButtons(mouse->buttons()), shift, x, y); });
            break;
        case QEvent::MouseButtonRelease: {
            std::shared_ptr<const bool> alive = c.aliveToken();
            guarded([&] { mouseUp(c, mouseButtons(mouse->button()), shift, x, y); });
            if (*alive && clickable && mouse->button() == Qt::LeftButton && e->widget->rect().contains(at)) {
                guarded([&] { click(c); });
            }
            break;
        }
        case QEvent::MouseButtonDblClick:
            if (kind != Kind::Grid) guarded([&] { doubleClick(c); });
            break;
        default:
            break;
    }
    return false;
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
    auto owner = owners_.find(watched);
    if (owner == owners_.end() || form_ == nullptr) return QWidget::eventFilter(watched, event);
    Control& c = *owner->second;
    switch (event->type()) {
        case QEvent::KeyPress:
            if (syncing_ > 0) return false;
            return handleKey(c, static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            if (syncing_ == 0 && form_->ActiveControl() != &c) {
                guarded([&] { focus(c); });
            }
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return handleMouse(c, watched, event);
        default:
            return false;
    }
}

void FormView::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (form_ != nullptr) guarded([&] { closeWindow(*form_); });
}

void FormView::updateModelGeometry() {
    if (form_ == nullptr || syncing_ > 0 || !isVisible() || isMaximized() || isMinimized()) return;
    Form& f = *form_;
    if (f.WindowState() != vbNormal) return;
    std::int32_t frameX = f.BorderStyle() == 0 ? 0 : win::GetSystemMetrics(win::SM_CXFRAME);
    std::int32_t frameY = f.BorderStyle() == 0 ? 0 : win::GetSystemMetrics(win::SM_CYFRAME);
    std::int32_t caption = f.BorderStyle() == 0 ? 0 : win::GetSystemMetrics(win::SM_CYCAPTION);
    QRect r = geometry();
    std::int32_t t = kTwipsPerPixel;
    std::int32_t left = (r.x() - frameX) * t;
    std::int32_t top = (r.y() - frameY - caption) * t;
    std::int32_t width = (r.width() + 2 * frameX) * t;
    std::int32_t height = (r.height() + 2 * frameY + caption) * t;
    // Keep the exact twips when the window still shows what the model says.
    if (r.x() == px(f.Left()) + frameX && r.y() == px(f.Top()) + frameY + caption) {
        left = f.Left();
        top = f.Top();
    }
    if (px(f.ScaleWidth()) == r.width() && px(f.ScaleHeight()) == r.height()) {
        width = f.Width();
        height = f.Height();
    }
    Syncing s(syncing_);
    guarded([&] { f.Move(left, top, width, height); });
}

void FormView::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (event->spontaneous()) updateModelGeometry();
}

void FormView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->spontaneous()) updateModelGeometry();
}

void FormView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && form_ != nullptr) activate(*form_);
}

}  // namespace forms::qt
