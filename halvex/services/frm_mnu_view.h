// The option-list dialog: mutually exclusive option buttons in one or two
// columns, OK, Cancel and Help. ClsValmor::ShowMenuView and ShowMenuView1
// load the option buttons, lay them out and read the choice after OK
// (cls_valmor_dialogs.cpp).
#pragma once

#include "platform/forms/form.h"

namespace halvex {

class frmMnuView : public forms::Form {
public:
    frmMnuView();

    forms::ControlArrayRef OptList{this, "OptList"};
    forms::ControlRef Label1{this, "Label1"};
    forms::ControlRef cmdOK{this, "cmdOK"};
    forms::ControlRef CmdCancel{this, "CmdCancel"};
    forms::ControlRef cmdHelp{this, "cmdHelp"};

protected:
    void design() override;

private:
    void cmdOK_Click();
    void CmdCancel_Click();
    void cmdHelp_Click();
};

// The library's one option-list form.
frmMnuView& mnuViewForm();

}  // namespace halvex
