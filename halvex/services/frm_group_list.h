// The group-list dialog: a check-box list of entries with a select-all box,
// OK, Cancel and Help. ClsValmor::ShowGroupList and ShowGroupList1 fill it,
// lay it out and read the ticks after OK (cls_valmor_dialogs.cpp).
#pragma once

#include "platform/forms/form.h"

namespace halvex {

class frmGroupList : public forms::Form {
public:
    frmGroupList();

    forms::ControlRef cmdOK{this, "cmdOK"};
    forms::ControlRef Label1{this, "Label1"};
    forms::ControlRef ChkSelectAll{this, "ChkSelectAll"};
    forms::ControlRef CmdCancel{this, "CmdCancel"};
    forms::ControlRef LstGroup{this, "LstGroup"};
    forms::ControlRef cmdHelp{this, "cmdHelp"};

protected:
    void design() override;

private:
    void cmdOK_Click();
    void CmdCancel_Click();
    void cmdHelp_Click();
    // The form's Tag names the handler whose events are ignored while the
    // other one changes the list or the box.
    void ChkSelectAll_Click();
    void LstGroup_ItemCheck();
};

// The library's one group-list form.
frmGroupList& groupListForm();

}  // namespace halvex
