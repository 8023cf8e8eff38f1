#include "platform/forms/qt/common_dialogs_qt.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/qt/application.h"
#include "platform/forms/qt/convert.h"
#include "platform/forms/qt/font_dialog_qt.h"
#include "platform/forms/qt/printing_qt.h"
#include "platform/forms/gdi.h"
#include "platform/forms/printing.h"

namespace forms::qt {

namespace {

QColor fromRgb(std::int32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

std::int32_t toRgb(const QColor& color) { return color.red() | (color.green() << 8) | (color.blue() << 16); }

win::RECT toRect(const QRect& r) { return win::RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// Hook calls of a running dialog. The first exception a hook throws is
// kept, the dialog is closed (once the running handler has returned), and
// no further hook call is made; the dialog function rethrows it once the
// dialog has closed.
class HookGuard {
public:
    explicit HookGuard(QDialog& dialog) : dialog_(dialog) {}

    template <typename Call>
    auto call(Call&& hookCall) -> decltype(hookCall()) {
        using Result = decltype(hookCall());
        if (!error_) {
            try {
                return hookCall();
            } catch (...) {
                error_ = std::current_exception();
                QMetaObject::invokeMethod(&dialog_, &QDialog::reject, Qt::QueuedConnection);
            }
        }
        if constexpr (!std::is_void_v<Result>) return Result{};
    }

    bool failed() const { return static_cast<bool>(error_); }
    void rethrowIfFailed() const {
        if (error_) std::rethrow_exception(error_);
    }

private:
    QDialog& dialog_;
    std::exception_ptr error_;
};

// A file dialog that asks before it closes confirmed.
class HookedFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    // Called when the user confirmed a choice the dialog accepts; false
    // keeps the dialog open.
    std::function<bool()> confirm;

    void done(int result) override {
        if (result == QDialog::Accepted && confirm && !confirm()) return;
        QFileDialog::done(result);
    }
};

// Qt's page set-up dialog warns that it serves only the system's printers,
// yet on this platform it serves the PDF printers alike: while one is made,
// that warning is held back and every other message passes on.
class QuietPageSetupWarning {
public:
    QuietPageSetupWarning() { previous() = qInstallMessageHandler(filter); }
    ~QuietPageSetupWarning() { qInstallMessageHandler(previous()); }
    QuietPageSetupWarning(const QuietPageSetupWarning&) = delete;
    QuietPageSetupWarning& operator=(const QuietPageSetupWarning&) = delete;

private:
    static QtMessageHandler& previous() {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtWarningMsg && message.startsWith(QLatin1String("QPageSetupDialog: Cannot be used on non-native"))) {
            return;
        }
        if (previous() != nullptr) previous()(type, context, message);
    }
};

// A colour, print or page set-up dialog that tells before it closes.
template <class Base>
class HookedDialog : public Base {
public:
    using Base::Base;
    std::function<void(int)> beforeDone;

    void done(int result) override {
        if (beforeDone) beforeDone(result);
        Base::done(result);
    }
};

// Shows a colour, font, print or page set-up dialog with the caller's hook
// (none when null): initDialog before it shows, once the dialog has the
// size it opens with (the hook centres it), command with IDOK or IDCANCEL
// as it closes, destroy after it; an error of the hook is passed on once
// the dialog is gone. afterShown (when given) runs once the dialog is
// closed, before destroy. True when the user accepted.
template <class Dialog>
bool runHooked(Dialog& dialog, std::int32_t window, CommonDialogHook* hook,
               const std::function<void()>& afterShown = {}) {
    HookGuard guard(dialog);
    if (hook != nullptr) {
        dialog.beforeDone = [&](int result) {
            guard.call([&] { hook->command(window, result == QDialog::Accepted ? dlg::IDOK : dlg::IDCANCEL, 0); });
        };
        dialog.ensurePolished();
        dialog.adjustSize();
        guard.call([&] { hook->initDialog(window); });
    }
    const int code = guard.failed() ? QDialog::Rejected : dialog.exec();
    if (afterShown) afterShown();
    if (hook != nullptr) guard.call([&] { hook->destroy(window); });
    guard.rethrowIfFailed();
    return code == QDialog::Accepted;
}

// A QPrinter for the printer a dialog starts on: the Qt printer itself, or,
// when another printer system serves, a PDF printer carrying its settings.
std::unique_ptr<QPrinter> dialogPrinter(const PrinterInfo& start, DEVMODE mode) {
    mode.dmFields |= dm::DM_ORIENTATION | dm::DM_PAPERSIZE | dm::DM_COPIES | dm::DM_COLLATE | dm::DM_DUPLEX;
    std::unique_ptr<QPrinter> printer;
    if (auto* system = dynamic_cast<QtPrinterSystem*>(&printerSystem())) {
        printer = system->makePrinter(start.deviceName, &mode);
    }
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        applyPrinterMode(*printer, mode);
    }
    return printer;
}

// The installed printer the user left a dialog on: the system printer of
// that name; PDF output stays on a PDF printer (the start, else the first).
PrinterInfo chosenPrinter(const QPrinter& printer, const PrinterInfo& start) {
    auto* system = dynamic_cast<QtPrinterSystem*>(&printerSystem());
    std::string wanted = toModelText(printer.printerName());
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        if (system == nullptr || system->isPdfPrinter(start.deviceName)) return start;
        wanted = system->firstPdfPrinter();
    }
    for (const PrinterInfo& p : printerSystem().printers()) {
        if (p.deviceName == wanted) return p;
    }
    return start;
}

}  // namespace

struct QtCommonDialogs::State {
    struct Window {
        QPointer<QWidget> widget;
        std::int32_t parent = 0;  // the owner of a dialog, the dialog of a child or control
        std::int32_t id = 0;      // the identifier of a control; 0 for a window
    };
    std::map<std::int32_t, Window> windows;

    // Handles of one dialog, forgotten when it closes.
    class Registration {
    public:
        explicit Registration(State& state) : state_(state) {}
        ~Registration() {
            for (std::int32_t handle : handles_) state_.windows.erase(handle);
        }
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;

        std::int32_t add(QWidget* widget, std::int32_t parent, std::int32_t id = 0) {
            const std::int32_t handle = newDialogWindowHandle();
            state_.windows[handle] = Window{widget, parent, id};
            handles_.push_back(handle);
            return handle;
        }

    private:
        State& state_;
        std::vector<std::int32_t> handles_;
    };

    QWidget* ownerWidget(std::int32_t hwnd) const {
        if (hwnd == 0) return nullptr;
        if (Form* form = win::formOf(hwnd)) return windowOf(*form);
        if (Control* control = win::controlOf(hwnd)) return windowOf(control->Parent());
        auto it = windows.find(hwnd);
        return it == windows.end() ? nullptr : it->second.widget.data();
    }
};

QtCommonDialogs::QtCommonDialogs() : state_(std::make_unique<State>()) {}

QtCommonDialogs::~QtCommonDialogs() = default;

std::int32_t QtCommonDialogs::getOpenFileName(OpenFileRecord& record) { return runFileDialog(record, false); }

std::int32_t QtCommonDialogs::getSaveFileName(OpenFileRecord& record) { return runFileDialog(record, true); }

std::int32_t QtCommonDialogs::runFileDialog(OpenFileRecord& record, bool save) {
    setExtendedError(0);
    const std::int32_t flags = record.flags;
    HookedFileDialog dialog(state_->ownerWidget(record.hwndOwner));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save) {
        dialog.setFileMode(QFileDialog::AnyFile);
    } else if ((flags & dlg::OFN_ALLOWMULTISELECT) != 0) {
        dialog.setFileMode(QFileDialog::ExistingFiles);
    } else {
        dialog.setFileMode((flags & dlg::OFN_FILEMUSTEXIST) != 0 ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (flags & dlg::OFN_OVERWRITEPROMPT) == 0);
    dialog.setOption(QFileDialog::DontResolveSymlinks, (flags & dlg::OFN_NODEREFERENCELINKS) != 0);
    if (!record.title.empty()) dialog.setWindowTitle(toQString(record.title));

    // Each entry shows its display text; its patterns follow in the form
    // the dialog reads, hidden. Patterns match without regard to case, as
    // on the file systems the projects come from.
    const std::vector<FilterItem> items = parseFilter(record.filter);
    QStringList names;
    for (const FilterItem& item : items) {
        QStringList patterns;
        for (const std::string& pattern : item.patterns) patterns << toQString(pattern);
        names << toQString(item.display) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (!names.isEmpty()) {
        dialog.setNameFilters(names);
        const bool inRange = record.filterIndex >= 1 && record.filterIndex <= names.size();
        dialog.selectNameFilter(names[inRange ? record.filterIndex - 1 : 0]);
    }
    if (!record.initialDir.empty()) dialog.setDirectory(toQString(record.initialDir));
    std::string extension = record.defExt;
    if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
    if (!extension.empty()) dialog.setDefaultSuffix(toQString(extension));
    const std::string proposed = record.file.substr(0, record.file.find('\0'));
    if (!proposed.empty()) dialog.selectFile(toQString(proposed));

    State::Registration registration(*state_);
    const std::int32_t window = registration.add(&dialog, record.hwndOwner);
    const std::int32_t hookWindow = registration.add(&dialog, window);
    CommonDialogHook* hook = (flags & dlg::OFN_ENABLEHOOK) != 0 ? record.hook : nullptr;
    HookGuard guard(dialog);

    if (hook != nullptr) {
        QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog,
                         [&] { guard.call([&] { return hook->notify(hookWindow, dlg::CDN_SELCHANGE); }); });
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                         [&] { guard.call([&] { return hook->notify(hookWindow, dlg::CDN_FOLDERCHANGE); }); });
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&] { guard.call([&] { return hook->notify(hookWindow, dlg::CDN_TYPECHANGE); }); });
    }
    // The entry in use, from 1. The dialog names it by what it shows: the
    // display text, without the hidden patterns.
    auto selectedEntry = [&]() -> std::int32_t {
        const QString selected = dialog.selectedNameFilter().simplified();
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (names[i].simplified() == selected || toQString(items[static_cast<std::size_t>(i)].display).simplified() == selected)
                return static_cast<std::int32_t>(i + 1);
        }
        return 1;
    };
    bool failed = false;
    std::int32_t error = 0;
    dialog.confirm = [&]() -> bool {
        std::vector<std::string> paths;
        for (const QString& path : dialog.selectedFiles()) {
            paths.push_back(withDefaultExtension(toModelText(path), record.defExt));
        }
        const std::int32_t filterIndex = names.isEmpty() ? record.filterIndex : selectedEntry();
        const OpenFileRecord before = record;
        if (storeFileChoice(record, paths, filterIndex, error) < 0) {
            failed = true;
            return true;  // the dialog closes failed
        }
        if (hook != nullptr && guard.call([&] { return hook->notify(hookWindow, dlg::CDN_FILEOK); }) != 0) {
            record = before;  // refused: the dialog stays open
            return false;
        }
        return !guard.failed();
    };

    dialog.resize(dialog.sizeHint().expandedTo(QSize(560, 420)));
    if (hook != nullptr) guard.call([&] { hook->initDialog(hookWindow); });
    const int code = guard.failed() ? QDialog::Rejected : dialog.exec();
    if (hook != nullptr) guard.call([&] { hook->destroy(hookWindow); });
    guard.rethrowIfFailed();
    if (failed) {
        setExtendedError(error);
        return -1;
    }
    return code == QDialog::Accepted ? 1 : 0;
}

std::int32_t QtCommonDialogs::chooseColor(ChooseColorRecord& record) {
    setExtendedError(0);
    HookedDialog<QColorDialog> dialog(state_->ownerWidget(record.hwndOwner));
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    // The custom colours are the record's: Qt keeps one set for the
    // process, so they are copied in before and out after every dialog.
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, fromRgb(record.custColors[i]));
    dialog.setCurrentColor((record.flags & dlg::CC_RGBINIT) != 0 ? fromRgb(record.rgbResult) : QColor(Qt::black));

    State::Registration registration(*state_);
    const std::int32_t window = registration.add(&dialog, record.hwndOwner);
    CommonDialogHook* hook = (record.flags & dlg::CC_ENABLEHOOK) != 0 ? record.hook : nullptr;
    const bool accepted = runHooked(dialog, window, hook, [&] {
        for (int i = 0; i < 16; ++i) record.custColors[i] = toRgb(QColorDialog::customColor(i));
    });
    if (!accepted) return 0;
    record.rgbResult = toRgb(dialog.currentColor());
    return 1;
}

std::int32_t QtCommonDialogs::chooseFont(ChooseFontRecord& record) {
    setExtendedError(0);
    if ((record.flags & dlg::CF_LIMITSIZE) != 0 && record.nSizeMax < record.nSizeMin) {
        setExtendedError(dlg::CFERR_MAXLESSTHANMIN);
        return -1;
    }
    FontChooserDialog dialog(record, state_->ownerWidget(record.hwndOwner));

    State::Registration registration(*state_);
    const std::int32_t window = registration.add(&dialog, record.hwndOwner);
    for (const auto& [id, widget] : dialog.controls()) registration.add(widget, window, id);
    CommonDialogHook* hook = (record.flags & dlg::CF_ENABLEHOOK) != 0 ? record.hook : nullptr;
    if (!runHooked(dialog, window, hook)) return 0;
    storeFontChoice(record, dialog.choice());
    return 1;
}

std::int32_t QtCommonDialogs::printDlg(PrintDlgRecord& record) {
    setExtendedError(0);
    if (!printerAvailable()) return -1;
    const PrinterInfo start = *dialogStartPrinter(record.devMode.get(), record.devNames.get());
    std::unique_ptr<QPrinter> printer = dialogPrinter(start, dialogStartMode(start, record.devMode.get()));
    HookedDialog<QPrintDialog> dialog(printer.get(), state_->ownerWidget(record.hwndOwner));
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options.setFlag(QAbstractPrintDialog::PrintPageRange, (record.flags & dlg::PD_NOPAGENUMS) == 0);
    options.setFlag(QAbstractPrintDialog::PrintSelection, (record.flags & dlg::PD_NOSELECTION) == 0);
    options.setFlag(QAbstractPrintDialog::PrintToFile, (record.flags & dlg::PD_DISABLEPRINTTOFILE) == 0);
    options.setFlag(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setOptions(options);
    dialog.setMinMax(std::max<int>(1, record.nMinPage), std::max<int>(1, record.nMaxPage));
    if (!record.caption.empty()) dialog.setWindowTitle(toQString(record.caption));
    if (!record.acceptText.empty()) {
        if (auto* buttons = dialog.template findChild<QDialogButtonBox*>()) {
            if (QPushButton* accept = buttons->button(QDialogButtonBox::Ok)) accept->setText(toQString(record.acceptText));
        }
    }
    if ((record.flags & dlg::PD_PAGENUMS) != 0) {
        dialog.setPrintRange(QAbstractPrintDialog::PageRange);
        printer->setFromTo(record.nFromPage, record.nToPage);
    }

    State::Registration registration(*state_);
    const std::int32_t window = registration.add(&dialog, record.hwndOwner);
    const std::int32_t hookBit =
        (record.flags & dlg::PD_PRINTSETUP) != 0 ? dlg::PD_ENABLESETUPHOOK : dlg::PD_ENABLEPRINTHOOK;
    CommonDialogHook* hook = (record.flags & hookBit) != 0 ? record.hook : nullptr;
    if (!runHooked(dialog, window, hook)) return 0;

    const PrinterInfo chosen = chosenPrinter(*printer, start);
    DEVMODE mode = chosen.defaults;
    readPrinterMode(*printer, mode);
    if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
        record.flags = (record.flags & ~dlg::PD_SELECTION) | dlg::PD_PAGENUMS;
        record.nFromPage = static_cast<std::uint16_t>(printer->fromPage());
        record.nToPage = static_cast<std::uint16_t>(printer->toPage());
    } else if (dialog.printRange() == QAbstractPrintDialog::Selection) {
        record.flags = (record.flags & ~dlg::PD_PAGENUMS) | dlg::PD_SELECTION;
    } else {
        record.flags &= ~(dlg::PD_PAGENUMS | dlg::PD_SELECTION);
    }
    if ((record.flags & dlg::PD_USEDEVMODECOPIES) != 0) {
        record.nCopies = 1;
        record.flags &= ~dlg::PD_COLLATE;
    } else {
        record.nCopies = static_cast<std::uint16_t>(mode.dmCopies);
        record.flags = mode.dmCollate == 1 ? (record.flags | dlg::PD_COLLATE) : (record.flags & ~dlg::PD_COLLATE);
        mode.dmCopies = 1;
    }
    storeDialogPrinter(chosen, mode, record.devMode, record.devNames);
    // Printing to a file: the file the user typed, so that it is not asked
    // for again when the document starts.
    QString file;
    if (printer->outputFormat() == QPrinter::PdfFormat) file = printer->outputFileName();
    if ((record.flags & dlg::PD_RETURNDC) != 0) {
        record.hDC = gdi::CreateDCA(chosen.driverName, chosen.deviceName, toModelText(file), record.devMode.get());
    }
    return 1;
}

QMarginsF marginsWithinRange(QPageLayout layout, const QMarginsF& wantedMm) {
    layout.setUnits(QPageLayout::Millimeter);
    // The printer's unprintable border: the margins its device context is
    // made with (the printable area GetPageMargine measures), at least the
    // layout's minimum.
    const QMarginsF low = layout.minimumMargins();
    const QMarginsF device = layout.margins();
    const PageMargins border{std::max(device.left(), low.left()), std::max(device.right(), low.right()),
                             std::max(device.top(), low.top()), std::max(device.bottom(), low.bottom())};
    const QSizeF sheet = layout.fullRect().size();
    PageMargins margins{wantedMm.left(), wantedMm.right(), wantedMm.top(), wantedMm.bottom()};
    // A centimetre of the printable length stays printable, as GetPageMargine
    // keeps it.
    fitPageMargins(margins, border, sheet.width() - border.left - border.right,
                   sheet.height() - border.top - border.bottom, 10.0);
    return QMarginsF(margins.left, margins.top, margins.right, margins.bottom);
}

std::int32_t QtCommonDialogs::pageSetupDlg(PageSetupDlgRecord& record) {
    setExtendedError(0);
    if (!printerAvailable()) return -1;
    const PrinterInfo start = *dialogStartPrinter(record.devMode.get(), record.devNames.get());
    std::unique_ptr<QPrinter> printer = dialogPrinter(start, dialogStartMode(start, record.devMode.get()));
    // Millimetres per unit of the record.
    const double mm = (record.flags & dlg::PSD_INTHOUSANDTHSOFINCHES) != 0 ? 0.0254 : 0.01;
    if ((record.flags & dlg::PSD_MARGINS) != 0) {
        const win::RECT& m = record.rtMargin;
        printer->setPageMargins(marginsWithinRange(printer->pageLayout(),
                                                   QMarginsF(m.Left * mm, m.Top * mm, m.Right * mm, m.Bottom * mm)),
                                QPageLayout::Millimeter);
    }
    std::optional<QuietPageSetupWarning> quiet(std::in_place);
    HookedDialog<QPageSetupDialog> dialog(printer.get(), state_->ownerWidget(record.hwndOwner));
    quiet.reset();

    State::Registration registration(*state_);
    const std::int32_t window = registration.add(&dialog, record.hwndOwner);
    CommonDialogHook* hook = (record.flags & dlg::PSD_ENABLEPAGESETUPHOOK) != 0 ? record.hook : nullptr;
    if (!runHooked(dialog, window, hook)) return 0;

    const PrinterInfo chosen = chosenPrinter(*printer, start);
    DEVMODE mode = chosen.defaults;
    readPrinterMode(*printer, mode);
    storeDialogPrinter(chosen, mode, record.devMode, record.devNames);
    // What the user confirmed, fitted by the rule the chosen printer's
    // margins are handed to the host with, so that the margins stored are
    // those handed.
    const QMarginsF margins = marginsWithinRange(dialogPrinter(chosen, mode)->pageLayout(),
                                                 printer->pageLayout().margins(QPageLayout::Millimeter));
    auto units = [&](double value) { return static_cast<std::int32_t>(std::lround(value / mm)); };
    record.rtMargin = win::RECT{units(margins.left()), units(margins.top()), units(margins.right()), units(margins.bottom())};
    const QSizeF paper = printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
    record.ptPaperSize = win::POINTAPI{units(paper.width()), units(paper.height())};
    return 1;
}

FolderResult QtCommonDialogs::chooseFolder(std::int32_t hwndOwner, std::string_view title,
                                           std::string_view startFolder) {
    setExtendedError(0);
    QFileDialog dialog(state_->ownerWidget(hwndOwner));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!title.empty()) dialog.setWindowTitle(toQString(title));
    if (!startFolder.empty() && QFileInfo(toQString(startFolder)).isDir()) dialog.setDirectory(toQString(startFolder));
    State::Registration registration(*state_);
    registration.add(&dialog, hwndOwner);
    // Every place this dialog offers is a folder of the file system.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return FolderResult{};
    return FolderResult{FolderResult::Outcome::Chosen, toModelText(dialog.selectedFiles().front())};
}

std::int32_t QtCommonDialogs::parentWindow(std::int32_t hWnd) const {
    auto it = state_->windows.find(hWnd);
    return it == state_->windows.end() ? 0 : it->second.parent;
}

QWidget* QtCommonDialogs::widgetOf(std::int32_t hWnd) const {
    auto it = state_->windows.find(hWnd);
    return it == state_->windows.end() ? nullptr : it->second.widget.data();
}

bool QtCommonDialogs::windowRect(std::int32_t hWnd, win::RECT& rect) const {
    QWidget* widget = widgetOf(hWnd);
    if (widget == nullptr) return false;
    if (widget->isWindow()) {
        rect = toRect(widget->frameGeometry());
    } else {
        rect = toRect(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
    }
    return true;
}

bool QtCommonDialogs::moveWindow(std::int32_t hWnd, std::int32_t x, std::int32_t y) {
    QWidget* widget = widgetOf(hWnd);
    if (widget == nullptr || !widget->isWindow()) return false;
    widget->move(x, y);
    return true;
}

std::int32_t QtCommonDialogs::dialogItem(std::int32_t hDlg, std::int32_t id) const {
    if (id == 0) return 0;
    for (const auto& [handle, window] : state_->windows) {
        if (window.parent == hDlg && window.id == id) return handle;
    }
    return 0;
}

std::int32_t QtCommonDialogs::showWindow(std::int32_t hWnd, std::int32_t command) {
    QWidget* widget = widgetOf(hWnd);
    if (widget == nullptr) return 0;
    const bool before = !widget->isHidden();
    widget->setVisible(command != win::SW_HIDE);
    return before ? 1 : 0;
}

bool QtCommonDialogs::workArea(win::RECT& rect) const {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return false;
    rect = toRect(screen->availableGeometry());
    return true;
}

std::int32_t QtCommonDialogs::systemColor(std::int32_t index) const {
    const QPalette palette = QApplication::palette();
    switch (index) {
        case 5: return toRgb(palette.color(QPalette::Base));               // window
        case 8: return toRgb(palette.color(QPalette::Text));               // window text
        case 13: return toRgb(palette.color(QPalette::Highlight));         // highlight
        case 14: return toRgb(palette.color(QPalette::HighlightedText));   // highlight text
        case 15: return toRgb(palette.color(QPalette::Button));            // button face
        case 16: return toRgb(palette.color(QPalette::Dark));              // button shadow
        case 17: return toRgb(palette.color(QPalette::Disabled, QPalette::Text));  // grey text
        case 18: return toRgb(palette.color(QPalette::ButtonText));        // button text
        case 20: return toRgb(palette.color(QPalette::Light));             // button highlight
        case 23: return toRgb(palette.color(QPalette::ToolTipText));       // tool tip text
        case 24: return toRgb(palette.color(QPalette::ToolTipBase));       // tool tip
        default: return CommonDialogs::systemColor(index);
    }
}

}  // namespace forms::qt
