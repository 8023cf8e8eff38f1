#include "halvex/services/frm_firma.h"

#include "halvex/services/help.h"
#include "halvex/services/library_state.h"
#include "halvex/services/units.h"
#include "platform/runtime/paths.h"

namespace halvex {

frmFirma::frmFirma() : Form("frmFirma")
{
    using forms::Event;
    on("cmdSave", Event::Click, [this] { cmdSave_Click(); });
    on("CmdCancel", Event::Click, [this] { CmdCancel_Click(); });
    on("cmdHelp", Event::Click, [this] { cmdHelp_Click(); });
    on("txtFirma1", Event::KeyPress, [this](forms::EventArgs& e) { txtFirma1_KeyPress(e.KeyAscii); });
    on("txtFirma2", Event::KeyPress, [this](forms::EventArgs& e) { txtFirma2_KeyPress(e.KeyAscii); });
}

void frmFirma::design()
{
    using forms::Kind;
    BorderStyle(3);
    Move(0, 0, 6900, 2900);
    auto& frame = add(Kind::Frame, "FraParData");
    frame.Move(120, 120, 6540, 1560);
    add(Kind::Label, "Panel3D2", -1, &frame).Move(120, 300, 1500, 285);
    add(Kind::TextBox, "txtFirma1", -1, &frame).Move(1680, 270, 4740, 315);
    add(Kind::Label, "Panel3D3", -1, &frame).Move(120, 900, 1500, 285);
    add(Kind::TextBox, "txtFirma2", -1, &frame).Move(1680, 870, 4740, 315);
    control("txtFirma1").MaxLength(kMaxHeaderLength);
    control("txtFirma2").MaxLength(kMaxHeaderLength);
    // No Default button: Enter must reach the text boxes' KeyPress.
    add(Kind::CommandButton, "cmdSave").Move(2520, 1860, 1250, 375);
    add(Kind::CommandButton, "CmdCancel").Move(3930, 1860, 1250, 375);
    add(Kind::CommandButton, "cmdHelp").Move(5340, 1860, 1250, 375);
    control("CmdCancel").Cancel(true);
}

void frmFirma::cmdSave_Click()
{
    libraryState().DialogConfirmed = true;
    Hide();
}

void frmFirma::CmdCancel_Click() { Unload(); }

void frmFirma::cmdHelp_Click()
{
    if (rt::fileExists(ApplicationPath() + "/mirva_en.chm"))
        ShowHelpTopic(hWnd(), "7_1", 1);
    else
        ShowHelpTopic(hWnd(), "09_11_1", 0);
}

void frmFirma::txtFirma1_KeyPress(std::int16_t& KeyAscii)
{
    if (KeyAscii != 13) return;
    KeyAscii = 0;
    txtFirma2->SetFocus();
}

void frmFirma::txtFirma2_KeyPress(std::int16_t& KeyAscii)
{
    if (KeyAscii != 13) return;
    KeyAscii = 0;
    cmdSave->SetFocus();
}

frmFirma& firmaForm()
{
    // Never destroyed: it lives as long as the process, past the forms
    // layer's own teardown at exit.
    static frmFirma* const form = new frmFirma();
    return *form;
}

}  // namespace halvex
