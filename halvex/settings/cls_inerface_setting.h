// ClsInerfaceSetting: what a host program keeps of its working layout
// between sessions: the File menu's four recent files (per-user settings,
// "Recent Files" of the application title), the main window's state and
// placement, the arrangement of its four dock containers (one layout file
// per window kind, read from the user's settings folder when the user saved
// one, else from the default in the program folder, and always saved to
// the user's folder) and two measures of a toolbar shown upright. The class holds no state; the host passes its objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "halvex/interface/layout_types.h"
#include "halvex/settings/host_objects.h"

namespace halvex {

class ClsInerfaceSetting {
public:
    // The number between the first "(" and the first ")" after it (blanks
    // allowed, a fraction rounded half to even); -1 without both. Error 13
    // for text between them that is no number, 6 for a number beyond a
    // Long; both name the member and SKey.
    std::int32_t GetIndexFromKey(const std::string& SKey);
    // Height of the toolbar laid out in rows as wide as its widest plain
    // button; a separator adds 8 below its row.
    std::int32_t getVerticalHeight(IToolbar& tbrThis);
    // Width of the widest visible button that carries no control.
    std::int32_t getVerticalWidth(IToolbar& tbrThis);
    void TbrButtonsEnabled(IToolbar& tbrThis, bool bEnabled);

    // The path of recent file n when the file exists. A listed file that is
    // gone is reported, removed from the list (the later ones move up) and
    // "" comes back.
    std::string RecentFileI(const std::string& AppTitle, std::int16_t& RecentFileNumber,
                            std::vector<RecentMnuData>& mnuFile);
    // Puts a path on top of the list (an equal entry, letter case and
    // surrounding blanks ignored, goes first). False when done; True, with
    // every menu record hidden, on an error.
    bool SetFileAtTheTopList(const std::string& LastFileName, const std::string& AppTitle,
                             std::vector<RecentMnuData>& mnuFile);
    // The menu records from the list: "i path" (a path of 50 characters or
    // more shortened to "..." and its tail from the last separator), record
    // 0 visible when any file is listed.
    void Set_RecentFile(const std::string& AppTitle, std::vector<RecentMnuData>& mnuFile);

    // The form's state and, when it is normal, its placement, under
    // AppTitle and StrSection.
    void SaveFormSetting(IPlacedForm& ObjFrm, const std::string& AppTitle, const std::string& StrSection);
    // The stored state (maximised when none is stored) and placement.
    void GetFormSetting(IPlacedForm& ObjFrm, const std::string& AppTitle, const std::string& StrSection);

    // Restores the dock layout of the window kind: False when a layout was
    // handed to the containers (SKey and hwnd are emptied then), True
    // otherwise (an empty file; a missing file or an unknown kind reported).
    bool GetTbarSetting(IDockContainers& Objform, FormIndex IForm, std::vector<std::string>& SKey,
                        std::vector<std::int32_t>& hwnd);
    // Writes the dock layout of the window kind; a failure is reported and
    // the old file stays.
    void SaveTbarSetting(IDockContainers& Objform, FormIndex IForm);

private:
    bool ReadRecentFiles(const std::string& AppTitle, std::vector<std::string>& list);
};

// The layout file of a window kind to read (the user's, else the default
// in the program folder); "" outside 0 to 7.
std::string LayoutFilePath(std::int32_t IForm);

}  // namespace halvex
