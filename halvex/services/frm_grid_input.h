// The form of the grid-input dialog: the grid GrdInput with the floating
// cell editor txtInput, eight buttons down the right-hand side, and the
// spreadsheet SprInput in the frame FrmSpreadSheet, which can be shown
// instead of the grid (CmdExcel switches; the cells are copied across, with
// the form's input held off meanwhile; New, Insert, Copy and Delete wait for
// the grid view).
//
// The editor opens on a key or a double click on a data cell; Enter, Up,
// Down, a scroll of the grid or leaving it (a click elsewhere) write its
// text into the cell it was opened on; Escape alone discards it. While it
// is open Escape belongs to it; once an editor has closed, Escape outside
// it presses Cancel.
#pragma once

#include <memory>

#include "platform/forms/form.h"

namespace halvex {

class ClsValmor;

class frmGridInput : public forms::Form {
public:
    frmGridInput();
    ~frmGridInput() override;

    forms::ControlRef txtInput{this, "txtInput"};
    forms::ControlRef FrmSpreadSheet{this, "FrmSpreadSheet"};
    forms::ControlRef CmdExcel{this, "CmdExcel"};
    forms::ControlRef cmdNeu{this, "cmdNeu"};
    forms::ControlRef cmdDelete{this, "cmdDelete"};
    forms::ControlRef cmdCopy{this, "cmdCopy"};
    forms::ControlRef cmdInsert{this, "cmdInsert"};
    forms::ControlRef CmdCancel{this, "CmdCancel"};
    forms::ControlRef cmdHelp{this, "cmdHelp"};
    forms::ControlRef cmdOK{this, "cmdOK"};
    forms::ControlRef SprInput{this, "SprInput"};
    forms::ControlRef GrdInput{this, "GrdInput"};

    // The spreadsheet view is showing.
    bool SpreadsheetView = false;

    // Every button as wide as the widest of their captions needs in the
    // interface language (the view button's in either view included), never
    // narrower than designed; the growth, which the form's width takes up.
    std::int32_t fitButtonsToCaptions();

protected:
    void design() override;

private:
    void Form_Load();
    void Form_Unload();
    void cmdOK_Click();
    void CmdCancel_Click();
    void cmdHelp_Click();
    void cmdNeu_Click();
    void cmdInsert_Click();
    void cmdCopy_Click();
    void cmdDelete_Click();
    void CmdExcel_Click();
    void GrdInput_KeyPress(forms::EventArgs& args);
    void GrdInput_DblClick();
    void GrdInput_Scroll();
    void txtInput_KeyPress(std::int16_t& KeyAscii);
    void txtInput_KeyDown(std::int16_t KeyCode);
    void txtInput_GotFocus();
    void txtInput_LostFocus();
    void CheckSheetColumn();

    void toSpreadsheetView();
    void toGridView();
    // Writes the editor's text into the cell it was opened on.
    void commitEditor();

    std::unique_ptr<ClsValmor> valmor_;
};

// The library's one instance of the form, created on first use.
frmGridInput& gridInputForm();

}  // namespace halvex
