// The about box: icon, title and description of the calling program, the
// disclaimer, a support link and a button that starts the desktop's
// system-information program. ClsValmor::ShowAbout composes the texts
// (cls_valmor_dialogs.cpp).
#pragma once

#include <string>
#include <span>
#include <string_view>

#include "platform/forms/form.h"

namespace halvex {

// Linux system-information programs, tried in this order.
inline constexpr std::string_view kSystemInfoPrograms[] = {"hardinfo2", "hardinfo", "kinfocenter"};

// The address the support link opens.
inline constexpr std::string_view kSupportAddress = "https://www.mirva.example/support";

class frmAbout : public forms::Form {
public:
    frmAbout();

    forms::ControlArrayRef picIcon{this, "picIcon"};
    forms::ControlRef lblTitle{this, "lblTitle"};
    forms::ControlRef lblDescription{this, "lblDescription"};
    forms::ControlRef lblDisclaimer{this, "lblDisclaimer"};
    forms::ControlRef LblOnLineSupport{this, "LblOnLineSupport"};
    forms::ControlRef PctOnLineSupport{this, "PctOnLineSupport"};
    forms::ControlRef cmdOK{this, "cmdOK"};
    forms::ControlRef cmdSysInfo{this, "cmdSysInfo"};

    // Starts the first system-information program found executable in a
    // folder of PATH, without waiting. None found, or a start that fails:
    // text 140151 in a message box; the about box stays open.
    void StartSysInfo();

protected:
    void design() override;

private:
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void LblOnLineSupport_Click();
    void PctOnLineSupport_Click();
};

// The library's one about form.
frmAbout& aboutForm();

// The full path of the first of `programs` found as an executable regular
// file in a folder of the colon-separated `searchPath` (empty entries are
// skipped); "" when none is.
std::string FindProgramOnPath(const std::string& searchPath, std::span<const std::string_view> programs);

}  // namespace halvex
