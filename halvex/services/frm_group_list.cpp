#include "halvex/services/frm_group_list.h"

#include <cstdint>

#include "halvex/services/help.h"
#include "halvex/services/library_state.h"

namespace halvex {

namespace {
constexpr const char* kSelectAllTag = "ChkSelectAll_Click";
constexpr const char* kItemCheckTag = "LstGroup_ItemCheck";
}  // namespace

frmGroupList::frmGroupList() : Form("frmGroupList")
{
    using forms::Event;
    on("cmdOK", Event::Click, [this] { cmdOK_Click(); });
    on("CmdCancel", Event::Click, [this] { CmdCancel_Click(); });
    on("cmdHelp", Event::Click, [this] { cmdHelp_Click(); });
    on("ChkSelectAll", Event::Click, [this] { ChkSelectAll_Click(); });
    on("LstGroup", Event::ItemCheck, [this] { LstGroup_ItemCheck(); });
}

void frmGroupList::design()
{
    using forms::Kind;
    BorderStyle(3);
    Move(0, 0, 4200, 3200);
    add(Kind::CommandButton, "cmdOK").Move(2760, 600, 1250, 375);
    add(Kind::Label, "Label1").Move(120, 120, 2070, 195);
    add(Kind::CheckBox, "ChkSelectAll").Move(2760, 2220, 2175, 195);
    add(Kind::CommandButton, "CmdCancel").Move(2760, 1080, 1250, 375);
    auto& list = add(Kind::ListBox, "LstGroup");
    list.Style(1);
    list.Move(120, 480, 2400, 2100);
    add(Kind::CommandButton, "cmdHelp").Move(2760, 1620, 1250, 375);
    control("CmdCancel").Cancel(true);
    // Enter confirms the choice.
    control("cmdOK").Default(true);
}

void frmGroupList::cmdOK_Click()
{
    libraryState().DialogConfirmed = true;
    Hide();
}

void frmGroupList::CmdCancel_Click()
{
    libraryState().DialogConfirmed = false;
    Unload();
}

void frmGroupList::cmdHelp_Click()
{
    const LibraryState& state = libraryState();
    if (!state.DialogHelpTopic.empty())
        ShowHelpTopic(hWnd(), state.DialogHelpTopic, 0);
    else
        ShowHelpPopup(state.HelpTitle);
}

void frmGroupList::ChkSelectAll_Click()
{
    if (Tag() == kSelectAllTag) return;
    bool state = false;
    switch (ChkSelectAll->Value()) {
    case 1: state = true; break;
    case 0: state = false; break;
    default: return;
    }
    Tag(kItemCheckTag);
    forms::Control& list = *LstGroup;
    const std::int16_t count = list.ListCount();
    for (std::int16_t e = 1; e < count; ++e) list.Selected(e, state);
    if (count > 0) list.Selected(0, state);
    Tag("");
}

void frmGroupList::LstGroup_ItemCheck()
{
    if (Tag() == kItemCheckTag) return;
    Tag(kSelectAllTag);
    forms::Control& list = *LstGroup;
    const std::int16_t count = list.ListCount();
    const bool first = count > 0 && list.Selected(0);
    std::int32_t value = first ? 1 : 0;
    for (std::int16_t e = 1; e < count; ++e) {
        if (list.Selected(e) != first) {
            value = 2;
            break;
        }
    }
    ChkSelectAll->Value(value);
    Tag("");
}

frmGroupList& groupListForm()
{
    // Never destroyed: it lives as long as the process, past the forms
    // layer's own teardown at exit.
    static frmGroupList* const form = new frmGroupList();
    return *form;
}

}  // namespace halvex
