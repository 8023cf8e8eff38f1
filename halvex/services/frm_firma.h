// The company-header dialog: two header lines with Save, Cancel and Help.
// ClsValmor::ShowFirma sets every caption and text itself (the form has no
// load handler) and writes the header file after Save
// (cls_valmor_dialogs.cpp).
//
// The form doubles as a hidden surface for measuring text: loading it,
// setting its Font and calling TextWidth touches no control, no file and no
// dialog verdict.
#pragma once

#include <cstdint>

#include "platform/forms/form.h"

namespace halvex {

// The characters a header line holds at most (each text box's length).
inline constexpr std::int32_t kMaxHeaderLength = 100;

class frmFirma : public forms::Form {
public:
    frmFirma();

    forms::ControlRef FraParData{this, "FraParData"};
    forms::ControlRef Panel3D2{this, "Panel3D2"};
    forms::ControlRef txtFirma1{this, "txtFirma1"};
    forms::ControlRef Panel3D3{this, "Panel3D3"};
    forms::ControlRef txtFirma2{this, "txtFirma2"};
    forms::ControlRef cmdSave{this, "cmdSave"};
    forms::ControlRef CmdCancel{this, "CmdCancel"};
    forms::ControlRef cmdHelp{this, "cmdHelp"};

protected:
    void design() override;

private:
    void cmdSave_Click();
    void CmdCancel_Click();
    void cmdHelp_Click();
    // Enter moves on (box 1 to box 2, box 2 to Save) and is swallowed.
    void txtFirma1_KeyPress(std::int16_t& KeyAscii);
    void txtFirma2_KeyPress(std::int16_t& KeyAscii);
};

// The library's one company-header form; also the text-measuring surface of
// the graphic settings.
frmFirma& firmaForm();

}  // namespace halvex
