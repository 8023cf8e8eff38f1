#include "halvex/services/frm_mnu_view.h"

#include "halvex/services/help.h"
#include "halvex/services/library_state.h"

namespace halvex {

frmMnuView::frmMnuView() : Form("frmMnuView")
{
    using forms::Event;
    on("cmdOK", Event::Click, [this] { cmdOK_Click(); });
    on("CmdCancel", Event::Click, [this] { CmdCancel_Click(); });
    on("cmdHelp", Event::Click, [this] { cmdHelp_Click(); });
}

void frmMnuView::design()
{
    using forms::Kind;
    BorderStyle(3);
    Move(0, 0, 4800, 2365);
    add(Kind::OptionButton, "OptList", 0).Move(120, 480, 3075, 280);
    add(Kind::Label, "Label1").Move(120, 120, 2070, 195);
    add(Kind::CommandButton, "cmdOK").Move(3315, 480, 1250, 375);
    add(Kind::CommandButton, "CmdCancel").Move(3315, 960, 1250, 375);
    add(Kind::CommandButton, "cmdHelp").Move(3315, 1440, 1250, 375);
    control("CmdCancel").Cancel(true);
    // Enter confirms the choice.
    control("cmdOK").Default(true);
}

void frmMnuView::cmdOK_Click()
{
    libraryState().DialogConfirmed = true;
    Hide();
}

void frmMnuView::CmdCancel_Click()
{
    libraryState().DialogConfirmed = false;
    Unload();
}

void frmMnuView::cmdHelp_Click()
{
    const LibraryState& state = libraryState();
    if (!state.DialogHelpTopic.empty())
        ShowHelpTopic(hWnd(), state.DialogHelpTopic, 0);
    else
        ShowHelpPopup(state.HelpTitle);
}

frmMnuView& mnuViewForm()
{
    // Never destroyed: it lives as long as the process, past the forms
    // layer's own teardown at exit.
    static frmMnuView* const form = new frmMnuView();
    return *form;
}

}  // namespace halvex
