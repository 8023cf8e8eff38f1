// The headless common dialogs: each dialog is handed to the driver a test
// registered, as a DialogSession on which the driver plays the user
// (changes folder or file type, selects files, picks a colour or a font,
// presses OK or Cancel). The session raises the hook's notifications as
// the real dialog would: initDialog before the driver runs, the
// notifications of each gesture, destroy after the dialog closed.
//
//   forms::ScopedCommonDialogDriver driver([](forms::DialogSession& s) {
//       s.selectFiles({"Slab1.PO1"});
//       s.pressOk();
//   });
//
// A dialog shown without a driver, or left open by it, throws
// CommonDialogError, so the test fails loudly.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/common_dialogs.h"
#include "platform/forms/printing.h"
#include "platform/runtime/errors.h"

namespace forms {

// A dialog without a driver, or a driver's misuse of the running dialog: a
// run-time error (5), so that a member that reports its errors reports this
// one too (a host that installed no dialog services).
class CommonDialogError : public rt::RuntimeError {
public:
    explicit CommonDialogError(const std::string& description) : rt::RuntimeError(5, description) {}
};

// One running headless dialog.
class DialogSession {
public:
    enum class Kind { Open, Save, Color, Font, Folder, Print, PageSetup };

    Kind kind() const { return kind_; }
    // The window the hook knows: for a file dialog its child window.
    std::int32_t hDlg() const { return hookWindow_; }
    // The dialog's own window.
    std::int32_t window() const { return window_; }

    // The record the dialog was called with (CommonDialogError when the
    // dialog is of another kind).
    OpenFileRecord& file();
    ChooseColorRecord& color();
    ChooseFontRecord& font();
    PrintDlgRecord& print();
    PageSetupDlgRecord& pageSetup();
    // The printer a print or page set-up dialog shows, and its settings.
    const PrinterInfo& printer() const { return printer_; }
    const DEVMODE& printerMode() const { return mode_; }
    // The title a folder dialog was given.
    const std::string& title() const { return title_; }

    // What a file dialog shows: its folder (a folder dialog's start folder), its filter entries and the one
    // in use (from 1).
    const std::string& folder() const { return folder_; }
    const std::vector<FilterItem>& filters() const { return filters_; }
    std::int32_t filterIndex() const { return filterIndex_; }
    // The font dialog's controls (dlg::FONT_SIZE_LABEL, ...).
    bool itemVisible(std::int32_t id) const;
    win::RECT windowRect() const { return rect_; }

    // ---- the user's gestures; each does nothing once the dialog closed ----

    // File dialogs: a folder entered (CDN_FOLDERCHANGE; a folder dialog's
    // OK takes it), an entry of the filter chosen (CDN_TYPECHANGE), names
    // selected or typed, relative to the folder unless absolute
    // (CDN_SELCHANGE).
    void changeFolder(const std::string& folder);
    void changeType(std::int32_t filterIndex);
    void selectFiles(std::vector<std::string> names);
    // Colour dialog: the colour picked (custom colours: edit color()).
    void pickColor(std::int32_t rgb);
    // Font dialog: the font picked.
    void pickFont(const FontChoice& choice);
    // Print and page set-up dialogs: another installed printer (its own
    // settings), the orientation, the paper size (dm:: values).
    void choosePrinter(const std::string& name);
    void setOrientation(std::int16_t orientation);
    void setPaperSize(std::int16_t paper);
    // Print dialog: copies and collation, kept in the device mode when the
    // record asks for that (PD_USEDEVMODECOPIES) and inDeviceMode is set,
    // else in the record; a page range (PD_PAGENUMS).
    void setCopies(std::int16_t copies, bool collate, bool inDeviceMode = true);
    void setPageRange(std::uint16_t from, std::uint16_t to);
    // Page set-up dialog: the margins, in the record's units.
    void setMargins(const win::RECT& margins);
    // Folder dialog: closes with a chosen folder / a place without a path.
    void chooseFolder(const std::string& path);
    void choosePlaceWithoutPath();

    // OK. A file dialog needs a selection (and, with OFN_FILEMUSTEXIST,
    // existing files), gives a typed name its default extension and asks
    // the hook (CDN_FILEOK); a colour or font dialog tells the hook of the
    // button (IDOK). Returns true when the dialog closed confirmed, false
    // when it stays open (nothing selected, a missing file, the hook
    // refused). A choice too long for the record's buffer closes the
    // dialog failed (FNERR_BUFFERTOOSMALL).
    bool pressOk();
    // Cancel (a colour or font dialog tells the hook: IDCANCEL).
    void pressCancel();
    // The dialog fails with that extended error.
    void fail(std::int32_t extendedError);

    bool closed() const { return closed_; }

private:
    friend class ScriptedCommonDialogs;
    DialogSession(Kind kind, std::int32_t hookWindow, std::int32_t window);

    void close(std::int32_t result, std::int32_t extendedError);

    Kind kind_;
    std::int32_t hookWindow_;
    std::int32_t window_;
    OpenFileRecord* file_ = nullptr;
    ChooseColorRecord* color_ = nullptr;
    ChooseFontRecord* font_ = nullptr;
    PrintDlgRecord* print_ = nullptr;
    PageSetupDlgRecord* pageSetup_ = nullptr;
    PrinterInfo printer_;
    DEVMODE mode_;
    std::int16_t copies_ = 1;
    bool collate_ = false;
    bool copiesInMode_ = true;
    std::uint16_t fromPage_ = 0;
    std::uint16_t toPage_ = 0;
    bool pageRange_ = false;
    win::RECT margins_;
    CommonDialogHook* hook_ = nullptr;  // set when the record enables its hook
    std::string title_;
    std::string folder_;
    std::vector<FilterItem> filters_;
    std::int32_t filterIndex_ = 1;
    std::vector<std::string> selection_;
    std::int32_t pickedColor_ = 0;
    FontChoice fontChoice_;
    std::map<std::int32_t, bool> items_;  // control id -> visible
    win::RECT rect_;
    bool closed_ = false;
    std::int32_t result_ = 0;
    std::int32_t extendedError_ = 0;
    FolderResult folderResult_;
};

using CommonDialogDriver = std::function<void(DialogSession&)>;

// Registers the driver of headless dialogs; returns the previous one.
CommonDialogDriver setCommonDialogDriver(CommonDialogDriver driver);

class ScopedCommonDialogDriver {
public:
    explicit ScopedCommonDialogDriver(CommonDialogDriver driver)
        : previous_(setCommonDialogDriver(std::move(driver))) {}
    ~ScopedCommonDialogDriver() { setCommonDialogDriver(std::move(previous_)); }
    ScopedCommonDialogDriver(const ScopedCommonDialogDriver&) = delete;
    ScopedCommonDialogDriver& operator=(const ScopedCommonDialogDriver&) = delete;

private:
    CommonDialogDriver previous_;
};

// The headless backend. A dialog's window is 560 x 420 pixels at the
// screen's top left corner until the hook moves it; the work area is the
// whole screen.
class ScriptedCommonDialogs : public CommonDialogs {
public:
    std::int32_t getOpenFileName(OpenFileRecord& record) override;
    std::int32_t getSaveFileName(OpenFileRecord& record) override;
    std::int32_t chooseColor(ChooseColorRecord& record) override;
    std::int32_t chooseFont(ChooseFontRecord& record) override;
    std::int32_t printDlg(PrintDlgRecord& record) override;
    std::int32_t pageSetupDlg(PageSetupDlgRecord& record) override;
    FolderResult chooseFolder(std::int32_t hwndOwner, std::string_view title,
                              std::string_view startFolder = {}) override;

    std::int32_t parentWindow(std::int32_t hWnd) const override;
    bool windowRect(std::int32_t hWnd, win::RECT& rect) const override;
    bool moveWindow(std::int32_t hWnd, std::int32_t x, std::int32_t y) override;
    std::int32_t dialogItem(std::int32_t hDlg, std::int32_t id) const override;
    std::int32_t showWindow(std::int32_t hWnd, std::int32_t command) override;
    bool workArea(win::RECT& rect) const override;

private:
    struct Running {
        DialogSession* session;
        std::int32_t owner;
    };
    struct Item {
        DialogSession* session;
        std::int32_t id;
    };

    std::int32_t runFileDialog(DialogSession::Kind kind, OpenFileRecord& record);
    void run(DialogSession& session, CommonDialogHook* hook, std::int32_t owner);
    const Running* runningOf(std::int32_t hWnd) const;

    std::vector<Running> running_;        // open dialogs, innermost last
    std::map<std::int32_t, Item> items_;  // item handle -> control
};

}  // namespace forms
