#include "platform/forms/scripted_dialogs.h"

#include <algorithm>
#include <utility>

#include "platform/forms/gdi.h"
#include "platform/forms/screen.h"
#include "platform/runtime/paths.h"

namespace forms {

namespace {

CommonDialogDriver& driverSlot() {
    static CommonDialogDriver driver;
    return driver;
}

constexpr std::int32_t kDialogWidth = 560;
constexpr std::int32_t kDialogHeight = 420;

bool isAbsolute(const std::string& name) {
    return (!name.empty() && (name.front() == '/' || name.front() == '\\')) ||
           (name.size() > 1 && name[1] == ':');
}

std::string inFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || isAbsolute(name)) return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

// The proposed name of a record: its file text up to the first NUL.
std::string proposedName(const std::string& file) { return file.substr(0, file.find('\0')); }

}  // namespace

// ---- DialogSession ----

DialogSession::DialogSession(Kind kind, std::int32_t hookWindow, std::int32_t window)
    : kind_(kind), hookWindow_(hookWindow), window_(window) {
    rect_.Right = kDialogWidth;
    rect_.Bottom = kDialogHeight;
}

OpenFileRecord& DialogSession::file() {
    if (file_ == nullptr) throw CommonDialogError("the running dialog is not a file dialog");
    return *file_;
}

ChooseColorRecord& DialogSession::color() {
    if (color_ == nullptr) throw CommonDialogError("the running dialog is not a colour dialog");
    return *color_;
}

ChooseFontRecord& DialogSession::font() {
    if (font_ == nullptr) throw CommonDialogError("the running dialog is not a font dialog");
    return *font_;
}

PrintDlgRecord& DialogSession::print() {
    if (print_ == nullptr) throw CommonDialogError("the running dialog is not a print dialog");
    return *print_;
}

PageSetupDlgRecord& DialogSession::pageSetup() {
    if (pageSetup_ == nullptr) throw CommonDialogError("the running dialog is not a page set-up dialog");
    return *pageSetup_;
}

void DialogSession::choosePrinter(const std::string& name) {
    if (closed_ || (print_ == nullptr && pageSetup_ == nullptr)) return;
    for (const PrinterInfo& p : printerSystem().printers()) {
        if (p.deviceName != name) continue;
        printer_ = p;
        mode_ = p.defaults;
        return;
    }
    throw CommonDialogError("no installed printer is named " + name);
}

void DialogSession::setOrientation(std::int16_t orientation) {
    if (!closed_) mode_.dmOrientation = orientation;
}

void DialogSession::setPaperSize(std::int16_t paper) {
    if (!closed_) mode_.dmPaperSize = paper;
}

void DialogSession::setCopies(std::int16_t copies, bool collate, bool inDeviceMode) {
    if (closed_ || print_ == nullptr) return;
    copies_ = copies;
    collate_ = collate;
    copiesInMode_ = inDeviceMode;
}

void DialogSession::setPageRange(std::uint16_t from, std::uint16_t to) {
    if (closed_ || print_ == nullptr) return;
    fromPage_ = from;
    toPage_ = to;
    pageRange_ = true;
}

void DialogSession::setMargins(const win::RECT& margins) {
    if (!closed_ && pageSetup_ != nullptr) margins_ = margins;
}

bool DialogSession::itemVisible(std::int32_t id) const {
    auto it = items_.find(id);
    return it != items_.end() && it->second;
}

void DialogSession::changeFolder(const std::string& folder) {
    if (closed_ || (file_ == nullptr && kind_ != Kind::Folder)) return;
    folder_ = folder;
    if (hook_ != nullptr) hook_->notify(hookWindow_, dlg::CDN_FOLDERCHANGE);
}

void DialogSession::changeType(std::int32_t filterIndex) {
    if (closed_ || file_ == nullptr) return;
    filterIndex_ = filterIndex;
    if (hook_ != nullptr) hook_->notify(hookWindow_, dlg::CDN_TYPECHANGE);
}

void DialogSession::selectFiles(std::vector<std::string> names) {
    if (closed_ || file_ == nullptr) return;
    selection_ = std::move(names);
    if (hook_ != nullptr) hook_->notify(hookWindow_, dlg::CDN_SELCHANGE);
}

void DialogSession::pickColor(std::int32_t rgb) {
    if (closed_ || color_ == nullptr) return;
    pickedColor_ = rgb;
}

void DialogSession::pickFont(const FontChoice& choice) {
    if (closed_ || font_ == nullptr) return;
    fontChoice_ = choice;
}

void DialogSession::chooseFolder(const std::string& path) {
    if (closed_ || kind_ != Kind::Folder) return;
    folderResult_ = FolderResult{FolderResult::Outcome::Chosen, path};
    close(1, 0);
}

void DialogSession::choosePlaceWithoutPath() {
    if (closed_ || kind_ != Kind::Folder) return;
    folderResult_ = FolderResult{FolderResult::Outcome::NoFileSystemPath, std::string()};
    close(1, 0);
}

bool DialogSession::pressOk() {
    if (closed_) return false;
    switch (kind_) {
        case Kind::Open:
        case Kind::Save: {
            if (selection_.empty()) return false;
            const bool several = (file_->flags & dlg::OFN_ALLOWMULTISELECT) != 0;
            std::vector<std::string> paths;
            for (const std::string& name : selection_) {
                paths.push_back(inFolder(folder_, withDefaultExtension(name, file_->defExt)));
                if (!several) break;
            }
            if ((file_->flags & dlg::OFN_FILEMUSTEXIST) != 0) {
                for (const std::string& path : paths) {
                    if (!rt::fileExists(path)) return false;  // the dialog tells the user and stays
                }
            }
            const OpenFileRecord before = *file_;
            std::int32_t error = 0;
            if (storeFileChoice(*file_, paths, filterIndex_, error) < 0) {
                close(-1, error);
                return false;
            }
            if (hook_ != nullptr && hook_->notify(hookWindow_, dlg::CDN_FILEOK) != 0) {
                *file_ = before;  // refused: the dialog stays as it was
                return false;
            }
            close(1, 0);
            return true;
        }
        case Kind::Color:
            if (hook_ != nullptr) hook_->command(hookWindow_, dlg::IDOK, 0);
            color_->rgbResult = pickedColor_;
            close(1, 0);
            return true;
        case Kind::Font:
            if (hook_ != nullptr) hook_->command(hookWindow_, dlg::IDOK, 0);
            storeFontChoice(*font_, fontChoice_);
            close(1, 0);
            return true;
        case Kind::Print: {
            if (hook_ != nullptr) hook_->command(hookWindow_, dlg::IDOK, 0);
            PrintDlgRecord& r = *print_;
            if (pageRange_) {
                r.flags = (r.flags & ~dlg::PD_SELECTION) | dlg::PD_PAGENUMS;
                r.nFromPage = fromPage_;
                r.nToPage = toPage_;
            }
            const bool inMode = copiesInMode_ && (r.flags & dlg::PD_USEDEVMODECOPIES) != 0;
            if (inMode) {
                mode_.dmCopies = copies_;
                mode_.dmCollate = collate_ ? 1 : 0;
                r.nCopies = 1;
                r.flags &= ~dlg::PD_COLLATE;
            } else {
                mode_.dmCopies = 1;
                r.nCopies = static_cast<std::uint16_t>(copies_);
                r.flags = collate_ ? (r.flags | dlg::PD_COLLATE) : (r.flags & ~dlg::PD_COLLATE);
            }
            storeDialogPrinter(printer_, mode_, r.devMode, r.devNames);
            if ((r.flags & dlg::PD_RETURNDC) != 0) {
                r.hDC = gdi::CreateDCA(printer_.driverName, printer_.deviceName, "", r.devMode.get());
            }
            close(1, 0);
            return true;
        }
        case Kind::PageSetup: {
            if (hook_ != nullptr) hook_->command(hookWindow_, dlg::IDOK, 0);
            PageSetupDlgRecord& r = *pageSetup_;
            storeDialogPrinter(printer_, mode_, r.devMode, r.devNames);
            r.ptPaperSize = paperSizeInUnits(mode_, r.flags);
            r.rtMargin = margins_;
            close(1, 0);
            return true;
        }
        case Kind::Folder:
            if (folder_.empty()) return false;
            chooseFolder(folder_);
            return true;
    }
    return false;
}

void DialogSession::pressCancel() {
    if (closed_) return;
    if (hook_ != nullptr && kind_ != Kind::Open && kind_ != Kind::Save && kind_ != Kind::Folder) {
        hook_->command(hookWindow_, dlg::IDCANCEL, 0);
    }
    folderResult_ = FolderResult{};
    close(0, 0);
}

void DialogSession::fail(std::int32_t extendedError) {
    if (closed_) return;
    close(-1, extendedError);
}

void DialogSession::close(std::int32_t result, std::int32_t extendedError) {
    closed_ = true;
    result_ = result;
    extendedError_ = result < 0 ? extendedError : 0;
}

// ---- the driver ----

CommonDialogDriver setCommonDialogDriver(CommonDialogDriver driver) {
    CommonDialogDriver previous = std::move(driverSlot());
    driverSlot() = std::move(driver);
    return previous;
}

// ---- ScriptedCommonDialogs ----

void ScriptedCommonDialogs::run(DialogSession& session, CommonDialogHook* hook, std::int32_t owner) {
    CommonDialogDriver driver = driverSlot();
    if (!driver) throw CommonDialogError("a common dialog was shown, but no dialog driver is registered");

    session.hook_ = hook;
    running_.push_back(Running{&session, owner});
    for (auto& [id, visible] : session.items_) items_[newDialogWindowHandle()] = Item{&session, id};
    struct Cleanup {
        ScriptedCommonDialogs& self;
        DialogSession* session;
        ~Cleanup() {
            std::erase_if(self.items_, [this](const auto& entry) { return entry.second.session == session; });
            std::erase_if(self.running_, [this](const Running& r) { return r.session == session; });
        }
    } cleanup{*this, &session};

    if (hook != nullptr) hook->initDialog(session.hookWindow_);
    driver(session);
    if (!session.closed_) {
        throw CommonDialogError("the dialog driver left the dialog open; it must press OK or Cancel");
    }
    if (hook != nullptr) hook->destroy(session.hookWindow_);
    setExtendedError(session.extendedError_);
}

std::int32_t ScriptedCommonDialogs::runFileDialog(DialogSession::Kind kind, OpenFileRecord& record) {
    const std::int32_t window = newDialogWindowHandle();
    DialogSession session(kind, newDialogWindowHandle(), window);
    session.file_ = &record;
    session.folder_ = record.initialDir;
    session.filters_ = parseFilter(record.filter);
    const auto entries = static_cast<std::int32_t>(session.filters_.size());
    session.filterIndex_ = record.filterIndex >= 1 && record.filterIndex <= entries ? record.filterIndex : 1;
    const std::string proposed = proposedName(record.file);
    if (!proposed.empty()) session.selection_.push_back(proposed);
    CommonDialogHook* hook = (record.flags & dlg::OFN_ENABLEHOOK) != 0 ? record.hook : nullptr;
    run(session, hook, record.hwndOwner);
    return session.result_;
}

std::int32_t ScriptedCommonDialogs::getOpenFileName(OpenFileRecord& record) {
    return runFileDialog(DialogSession::Kind::Open, record);
}

std::int32_t ScriptedCommonDialogs::getSaveFileName(OpenFileRecord& record) {
    return runFileDialog(DialogSession::Kind::Save, record);
}

std::int32_t ScriptedCommonDialogs::chooseColor(ChooseColorRecord& record) {
    const std::int32_t window = newDialogWindowHandle();
    DialogSession session(DialogSession::Kind::Color, window, window);
    session.color_ = &record;
    session.pickedColor_ = record.rgbResult;
    CommonDialogHook* hook = (record.flags & dlg::CC_ENABLEHOOK) != 0 ? record.hook : nullptr;
    run(session, hook, record.hwndOwner);
    return session.result_;
}

std::int32_t ScriptedCommonDialogs::chooseFont(ChooseFontRecord& record) {
    if ((record.flags & dlg::CF_LIMITSIZE) != 0 && record.nSizeMax < record.nSizeMin) {
        setExtendedError(dlg::CFERR_MAXLESSTHANMIN);
        return -1;
    }
    const std::int32_t window = newDialogWindowHandle();
    DialogSession session(DialogSession::Kind::Font, window, window);
    session.font_ = &record;
    session.fontChoice_ = initialFontChoice(record);
    // Face, style and size with their labels; the effects with CF_EFFECTS.
    for (std::int32_t id : {1088, 1089, dlg::FONT_SIZE_LABEL, 1136, 1137, dlg::FONT_SIZE_BOX}) {
        session.items_[id] = true;
    }
    if ((record.flags & dlg::CF_EFFECTS) != 0) {
        for (std::int32_t id : {1040, 1041, 1091, 1139}) session.items_[id] = true;
    }
    CommonDialogHook* hook = (record.flags & dlg::CF_ENABLEHOOK) != 0 ? record.hook : nullptr;
    run(session, hook, record.hwndOwner);
    return session.result_;
}

std::int32_t ScriptedCommonDialogs::printDlg(PrintDlgRecord& record) {
    if (!printerAvailable()) return -1;
    const std::int32_t window = newDialogWindowHandle();
    DialogSession session(DialogSession::Kind::Print, window, window);
    session.print_ = &record;
    session.printer_ = *dialogStartPrinter(record.devMode.get(), record.devNames.get());
    session.mode_ = dialogStartMode(session.printer_, record.devMode.get());
    session.copies_ = session.mode_.dmCopies > 0 ? session.mode_.dmCopies : 1;
    session.collate_ = session.mode_.dmCollate == 1;
    const std::int32_t hookBit =
        (record.flags & dlg::PD_PRINTSETUP) != 0 ? dlg::PD_ENABLESETUPHOOK : dlg::PD_ENABLEPRINTHOOK;
    CommonDialogHook* hook = (record.flags & hookBit) != 0 ? record.hook : nullptr;
    run(session, hook, record.hwndOwner);
    return session.result_;
}

std::int32_t ScriptedCommonDialogs::pageSetupDlg(PageSetupDlgRecord& record) {
    if (!printerAvailable()) return -1;
    const std::int32_t window = newDialogWindowHandle();
    DialogSession session(DialogSession::Kind::PageSetup, window, window);
    session.pageSetup_ = &record;
    session.printer_ = *dialogStartPrinter(record.devMode.get(), record.devNames.get());
    session.mode_ = dialogStartMode(session.printer_, record.devMode.get());
    session.margins_ = record.rtMargin;
    CommonDialogHook* hook = (record.flags & dlg::PSD_ENABLEPAGESETUPHOOK) != 0 ? record.hook : nullptr;
    run(session, hook, record.hwndOwner);
    return session.result_;
}

FolderResult ScriptedCommonDialogs::chooseFolder(std::int32_t hwndOwner, std::string_view title,
                                                 std::string_view startFolder) {
    const std::int32_t window = newDialogWindowHandle();
    DialogSession session(DialogSession::Kind::Folder, window, window);
    session.title_ = std::string(title);
    session.folder_ = std::string(startFolder);
    run(session, nullptr, hwndOwner);
    return session.folderResult_;
}

const ScriptedCommonDialogs::Running* ScriptedCommonDialogs::runningOf(std::int32_t hWnd) const {
    for (const Running& r : running_) {
        if (r.session->hookWindow_ == hWnd || r.session->window_ == hWnd) return &r;
    }
    return nullptr;
}

std::int32_t ScriptedCommonDialogs::parentWindow(std::int32_t hWnd) const {
    if (auto item = items_.find(hWnd); item != items_.end()) return item->second.session->window_;
    const Running* r = runningOf(hWnd);
    if (r == nullptr) return 0;
    return hWnd == r->session->window_ ? r->owner : r->session->window_;
}

bool ScriptedCommonDialogs::windowRect(std::int32_t hWnd, win::RECT& rect) const {
    const Running* r = runningOf(hWnd);
    if (r == nullptr) return false;
    rect = r->session->rect_;
    return true;
}

bool ScriptedCommonDialogs::moveWindow(std::int32_t hWnd, std::int32_t x, std::int32_t y) {
    const Running* r = runningOf(hWnd);
    if (r == nullptr || hWnd != r->session->window_) return false;
    win::RECT& rect = r->session->rect_;
    rect.Right += x - rect.Left;
    rect.Bottom += y - rect.Top;
    rect.Left = x;
    rect.Top = y;
    return true;
}

std::int32_t ScriptedCommonDialogs::dialogItem(std::int32_t hDlg, std::int32_t id) const {
    const Running* r = runningOf(hDlg);
    if (r == nullptr) return 0;
    for (const auto& [handle, item] : items_) {
        if (item.session == r->session && item.id == id) return handle;
    }
    return 0;
}

std::int32_t ScriptedCommonDialogs::showWindow(std::int32_t hWnd, std::int32_t command) {
    auto item = items_.find(hWnd);
    if (item == items_.end()) return runningOf(hWnd) != nullptr ? 1 : 0;
    bool& visible = item->second.session->items_[item->second.id];
    const bool before = visible;
    visible = command != win::SW_HIDE;
    return before ? 1 : 0;
}

bool ScriptedCommonDialogs::workArea(win::RECT& rect) const {
    rect = win::RECT{0, 0, screen().widthPixels(), screen().heightPixels()};
    return true;
}

}  // namespace forms
