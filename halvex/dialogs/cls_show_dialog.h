// ClsShowDialog: the library's dialog facade. A host shows a file dialog in
// one call, with the library's filters, flags and centring applied.
//
// Every dialog member creates a fresh cCommonDialog, shows the dialog
// hooked (so it is centred over the owner window as it opens) and releases
// the dialog object on every path. Its result is True when the user
// cancelled or the call failed, False when the user confirmed and the
// results were copied out; the by-reference arguments are written only on
// a False result. Errors are reported with the library's error message and
// give True; nothing is raised to the host.
//
// The font, colour, printer and page dialogs, the paper size, the printer
// device, the metafile copy and the order header come with the printing
// layer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/runtime/variant.h"

namespace halvex {

class cCommonDialog;

class ClsShowDialog {
public:
    ClsShowDialog();
    ~ClsShowDialog();
    ClsShowDialog(const ClsShowDialog&) = delete;
    ClsShowDialog& operator=(const ClsShowDialog&) = delete;

    // The open dialog owned by MeHwnd, starting in DataDir, for the
    // patterns ("*.PO1", ...) of FileExtentions, an array of any lower
    // bound. A list of two or more patterns gets a heading entry of them
    // all and the default extension of its element 0. The chosen file must
    // end in the extension of one of the patterns (letter case ignored).
    // False: CompleteFileName the chosen path, UserDir its folder with its
    // separator, UserProda the name without its extension.
    bool ShowOpenDialog(std::int32_t MeHwnd, std::string& CompleteFileName, const std::string& DataDir,
                        std::string& UserDir, std::string& UserProda, rt::VArray& FileExtentions);
    // The save dialog owned by MeHwnd, starting in DataDir, proposing the
    // name UserProda, for the bare extensions ("WMF", ...) of
    // FileExtentions; the default extension is its element 0. False: the
    // three strings as for ShowOpenDialog.
    bool ShowSaveFile(std::int32_t MeHwnd, std::string& CompleteFileName, const std::string& DataDir,
                      std::string& UserDir, std::string& UserProda, rt::VArray& FileExtentions);
    // Splits a path at its last "/" or "\": UserDir the folder with that
    // separator ("" without one), UserProda the name without its last four
    // characters (the dot and a three-letter extension); a name shorter than
    // four characters comes back whole. Error 6 for a path of more than
    // 32767 characters.
    void SeparateFileAndDir(const std::string& CompleteFileName, std::string& UserDir, std::string& UserProda);

private:
    // The InitDialog event of m_cHookDlg: centres the dialog.
    void m_cHookDlg_InitDialog(std::int32_t hDlg);
    // A fresh cCommonDialog in m_cHookDlg with its event connected.
    cCommonDialog& newHookDialog();
    // What every file-dialog member does around its dialog: `show` sets up
    // and shows the hooked dialog and tells whether a file was taken; then
    // the three strings are filled in (False), else True. Errors are
    // reported and give True; the dialog object is released on every path.
    bool runFileDialog(std::string& CompleteFileName, std::string& UserDir, std::string& UserProda,
                       const std::function<bool()>& show);

    std::unique_ptr<cCommonDialog> m_cHookDlg;
};

}  // namespace halvex
