// frmAuftrag: the order-header dialog, in which the user edits the three
// header lines of a printed page (order, date, project). A date picker
// beside the date box writes the picked date in the user's long format.
// ClsShowDialog::ShowAuf shows it; one instance per process.
#pragma once

#include "platform/forms/form.h"

namespace halvex {

class frmAuftrag : public forms::Form {
public:
    frmAuftrag();

    void cmdSave_Click();
    void CmdCancel_Click();
    void cmdHelp_Click();
    void DTPicker1_Change();
    void txtAuftr_KeyPress(forms::EventArgs& args);
    void txtDatum_KeyPress(forms::EventArgs& args);
    void txtProj_KeyPress(forms::EventArgs& args);

protected:
    void design() override;
};

// The dialog of the process, made on first use.
frmAuftrag& auftragForm();

}  // namespace halvex
