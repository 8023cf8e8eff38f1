#include "halvex/dialogs/frm_auftrag.h"

#include <filesystem>
#include <memory>

#include "halvex/services/help.h"
#include "halvex/services/library_state.h"
#include "halvex/services/program_folder.h"
#include "platform/forms/control.h"
#include "platform/forms/locale.h"

namespace halvex {

namespace {

using forms::Kind;

constexpr std::int16_t kEnter = 13;

// Enter moves the focus on instead of reaching the box.
void enterMovesTo(forms::Form& form, forms::EventArgs& args, const char* next)
{
    if (args.KeyAscii != kEnter) return;
    args.KeyAscii = 0;
    form.control(next).SetFocus();
}

}  // namespace

frmAuftrag::frmAuftrag() : forms::Form("frmAuftrag")
{
    on("cmdSave", forms::Event::Click, [this] { cmdSave_Click(); });
    on("CmdCancel", forms::Event::Click, [this] { CmdCancel_Click(); });
    on("cmdHelp", forms::Event::Click, [this] { cmdHelp_Click(); });
    on("DTPicker1", forms::Event::Change, [this] { DTPicker1_Change(); });
    on("txtAuftr", forms::Event::KeyPress, [this](forms::EventArgs& a) { txtAuftr_KeyPress(a); });
    on("txtDatum", forms::Event::KeyPress, [this](forms::EventArgs& a) { txtDatum_KeyPress(a); });
    on("txtProj", forms::Event::KeyPress, [this](forms::EventArgs& a) { txtProj_KeyPress(a); });
}

void frmAuftrag::design()
{
    BorderStyle(3);
    Move(0, 0, 7080, 2880);
    forms::Control& frame = add(Kind::Frame, "Frame3D1");
    frame.Move(120, 120, 6720, 1635);
    add(Kind::Label, "lblAuftrag", -1, &frame).Move(120, 360, 510, 195);
    add(Kind::TextBox, "txtAuftr", -1, &frame).Move(885, 360, 5610, 285);
    add(Kind::Label, "lblDatum", -1, &frame).Move(120, 720, 465, 195);
    add(Kind::TextBox, "txtDatum", -1, &frame).Move(885, 720, 5380, 285);
    add(Kind::DatePicker, "DTPicker1", -1, &frame).Move(6240, 720, 255, 285);
    add(Kind::Label, "lblProjekt", -1, &frame).Move(120, 1080, 495, 195);
    add(Kind::TextBox, "txtProj", -1, &frame).Move(885, 1080, 5610, 285);
    add(Kind::CommandButton, "cmdSave").Move(120, 1920, 1250, 375);
    add(Kind::CommandButton, "CmdCancel").Move(1440, 1920, 1250, 375);
    control("CmdCancel").Cancel(true);
    add(Kind::CommandButton, "cmdHelp").Move(5520, 1920, 1250, 375);
}

void frmAuftrag::cmdSave_Click()
{
    libraryState().DialogConfirmed = true;
    Hide();
}

void frmAuftrag::CmdCancel_Click()
{
    Unload();
}

void frmAuftrag::cmdHelp_Click()
{
    std::error_code error;
    if (std::filesystem::exists(ProgramFolder() + "mirva_en.chm", error)) {
        ShowHelpTopic(hWnd(), "5_2", 1);
    } else {
        ShowHelpTopic(hWnd(), "09_6_1", 0);
    }
}

void frmAuftrag::DTPicker1_Change()
{
    control("txtDatum").Text(forms::locale().longDate(control("DTPicker1").DateValue()));
}

void frmAuftrag::txtAuftr_KeyPress(forms::EventArgs& args)
{
    enterMovesTo(*this, args, "txtDatum");
}

void frmAuftrag::txtDatum_KeyPress(forms::EventArgs& args)
{
    enterMovesTo(*this, args, "txtProj");
}

void frmAuftrag::txtProj_KeyPress(forms::EventArgs& args)
{
    enterMovesTo(*this, args, "cmdSave");
}

frmAuftrag& auftragForm()
{
    static std::unique_ptr<frmAuftrag> form = std::make_unique<frmAuftrag>();
    return *form;
}

}  // namespace halvex
