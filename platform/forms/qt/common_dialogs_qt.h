// The common dialogs of the program, shown with Qt: the non-native
// QFileDialog for opening and saving files and for choosing a folder,
// QColorDialog with the record's sixteen custom colours copied in and out,
// and a font dialog of our own (font_dialog_qt.h). forms::qt::Application
// installs it.
//
// Hook events come from the dialogs' signals: a file dialog tells its hook
// of a new selection (currentChanged), a folder entered (directoryEntered),
// a filter chosen (filterSelected) and of OK after the dialog's own checks
// (CDN_FILEOK, which may refuse); colour and font dialogs report their
// closing button (IDOK, IDCANCEL). An exception thrown by a hook closes the
// dialog and passes on to the caller of the dialog function.
//
// Flags without an equivalent here (the read-only box, full or restricted
// colour dialog, printer fonts, help buttons, templates) change nothing.
#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QWidget>

#include <memory>

#include "platform/forms/common_dialogs.h"

namespace forms::qt {

class QtCommonDialogs : public CommonDialogs {
public:
    QtCommonDialogs();
    ~QtCommonDialogs() override;

    std::int32_t getOpenFileName(OpenFileRecord& record) override;
    std::int32_t getSaveFileName(OpenFileRecord& record) override;
    std::int32_t chooseColor(ChooseColorRecord& record) override;
    std::int32_t chooseFont(ChooseFontRecord& record) override;
    // QPrintDialog (also for the printer set-up) and QPageSetupDialog on a
    // QPrinter of the printer the record names. The page set-up dialog has
    // no way to disable its parts: PSD_DISABLE... bits change nothing.
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
    // The colours of the application's palette where the scheme has a
    // matching role (window, text, highlight, buttons, tool tips).
    std::int32_t systemColor(std::int32_t index) const override;

    // The widget of a running dialog's window or control; nullptr when the
    // handle names none.
    QWidget* widgetOf(std::int32_t hWnd) const;

private:
    std::int32_t runFileDialog(OpenFileRecord& record, bool save);

    struct State;
    std::unique_ptr<State> state_;
};

// The margins a page set-up starts with and returns, in millimetres, fitted
// to the printer of `layout` (its margins are the printer's unprintable
// border) by the rule GetPageMargine hands them with (fitPageMargins, 10 mm
// of the printable length kept printable). A margin that fits keeps its
// value whatever the other sides hold.
QMarginsF marginsWithinRange(QPageLayout layout, const QMarginsF& wantedMm);

}  // namespace forms::qt
