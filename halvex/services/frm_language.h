// The language dialog: the interface language and the help language of the
// family's programs, kept as two per-user settings (application "valmor").
// Form_Load fills both combo boxes from language/language.xml of the
// program folder (a fixed list of English, German and Arabic when the file
// is missing or unreadable) and shows the stored values; Save stores the
// two texts as shown. Saving changes no window that is already open.
#pragma once

#include "platform/forms/form.h"

namespace halvex {

class frmLanguage : public forms::Form {
public:
    frmLanguage();

    forms::ControlRef fraLanguage{this, "fraLanguage"};
    forms::ControlRef lblLanguage1{this, "lblLanguage1"};
    forms::ControlRef lblDisplay1{this, "lblDisplay1"};
    forms::ControlRef CmbLanguage1{this, "CmbLanguage1"};
    forms::ControlRef lblLanguage2{this, "lblLanguage2"};
    forms::ControlRef lblDisplay2{this, "lblDisplay2"};
    forms::ControlRef CmbLanguage2{this, "CmbLanguage2"};
    forms::ControlRef cmdSave{this, "cmdSave"};
    forms::ControlRef CmdCancel{this, "CmdCancel"};
    forms::ControlRef cmdHelp{this, "cmdHelp"};

protected:
    void design() override;

private:
    void Form_Load();
    void cmdSave_Click();
    void CmdCancel_Click();
    void cmdHelp_Click();
    void FillLanguageLists();
    void fillFallbackLists();
};

// The library's one language form.
frmLanguage& languageForm();

}  // namespace halvex
