// Enums and the record of ClsInerfaceSetting in the library's interface.
#pragma once

#include <cstdint>
#include <string>

namespace halvex {

// The window kinds whose dock layout has a file of its own.
enum FormIndex : std::int32_t {
    MDIDataForm = 0,
    SDIDataForm = 1,
    MDISolverForm = 2,
    MDIGraphicForm = 3,
    MDIBohrForm = 4,
    MDIToolsForm = 5,
    MDISectionForm = 6,
    MDIListForm = 7,
};

enum ECTBToolbarDrawStyle : std::int32_t {
    CTBDrawStandard = 0,
    CTBDrawNoVisualStyles = 1,
    CTBDrawOfficeXPStyle = 2,
};

enum ECTBToolButtonSyle : std::int32_t {
    CTBNormal = 0,
    CTBSeparator = 1,
    CTBCheck = 2,
    CTBCheckGroup = 6,
    CTBDropDown = 8,
    CTBAutoSize = 16,
    CTBDropDownArrow = 128,
};

// One item of the File menu's recent-file list (a host array 0..4: item 0
// is the menu item shown whenever any file is listed).
struct RecentMnuData {
    std::string Caption;
    bool Visible = false;
};

}  // namespace halvex
