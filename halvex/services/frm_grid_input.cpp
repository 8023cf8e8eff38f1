#include "halvex/services/frm_grid_input.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/dialog_layout.h"
#include "halvex/services/form_language.h"
#include "halvex/services/grid_input.h"
#include "halvex/services/help.h"
#include "halvex/services/library_state.h"
#include "platform/forms/control.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/win.h"

namespace halvex {

using quillon::TextNo;

namespace {

// Design of the form, twips.
constexpr std::int32_t kClientWidth = 6285;
constexpr std::int32_t kClientHeight = 4020;
constexpr std::int32_t kButtonWidth = 1250;
constexpr std::int32_t kButtonHeight = 375;
// Height of the form back in the grid view.
constexpr std::int32_t kGridViewHeight = 4400;

std::string caption(std::int32_t number)
{
    return textLib().GetText(rt::Variant(number), {rt::Variant(std::int16_t{1})});
}

// Keeps the user's input away from the form while cells are copied between
// the views: the copy lets pending events run after every cell, and a second
// click would start another copy inside the first.
class InputBlock {
public:
    explicit InputBlock(forms::Form& form) : form_(form), enabled_(form.Enabled()) { form_.Enabled(false); }
    ~InputBlock() { form_.Enabled(enabled_); }
    InputBlock(const InputBlock&) = delete;
    InputBlock& operator=(const InputBlock&) = delete;

private:
    forms::Form& form_;
    bool enabled_;
};

// The hourglass for the time of a view switch.
class Hourglass {
public:
    Hourglass() { forms::screen().MousePointer(forms::vbHourglass); }
    ~Hourglass() { forms::screen().MousePointer(forms::vbDefault); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

}  // namespace

frmGridInput::frmGridInput() : Form("frmGridInput")
{
    using forms::Event;
    on(Event::Load, [this] { Form_Load(); });
    on(Event::Unload, [this] { Form_Unload(); });
    on("cmdOK", Event::Click, [this] { cmdOK_Click(); });
    on("CmdCancel", Event::Click, [this] { CmdCancel_Click(); });
    on("cmdHelp", Event::Click, [this] { cmdHelp_Click(); });
    on("cmdNeu", Event::Click, [this] { cmdNeu_Click(); });
    on("cmdInsert", Event::Click, [this] { cmdInsert_Click(); });
    on("cmdCopy", Event::Click, [this] { cmdCopy_Click(); });
    on("cmdDelete", Event::Click, [this] { cmdDelete_Click(); });
    on("CmdExcel", Event::Click, [this] { CmdExcel_Click(); });
    on("GrdInput", Event::KeyPress, forms::Handler([this](forms::EventArgs& a) { GrdInput_KeyPress(a); }));
    on("GrdInput", Event::DblClick, [this] { GrdInput_DblClick(); });
    on("GrdInput", Event::Scroll, [this] { GrdInput_Scroll(); });
    on("txtInput", Event::KeyPress, forms::Handler([this](forms::EventArgs& a) { txtInput_KeyPress(a.KeyAscii); }));
    on("txtInput", Event::KeyDown, forms::Handler([this](forms::EventArgs& a) { txtInput_KeyDown(a.KeyCode); }));
    on("txtInput", Event::GotFocus, [this] { txtInput_GotFocus(); });
    on("txtInput", Event::LostFocus, [this] { txtInput_LostFocus(); });
    on("SprInput", Event::SelectionChange, [this] { CheckSheetColumn(); });
    on("SprInput", Event::StartEdit, [this] { CheckSheetColumn(); });
}

frmGridInput::~frmGridInput() = default;

void frmGridInput::design()
{
    using forms::Kind;
    BorderStyle(3);
    const std::int32_t width = kClientWidth + 2 * forms::win::GetSystemMetrics(forms::win::SM_CXFRAME) * forms::kTwipsPerPixel;
    const std::int32_t height =
        kClientHeight +
        (2 * forms::win::GetSystemMetrics(forms::win::SM_CYFRAME) + forms::win::GetSystemMetrics(forms::win::SM_CYCAPTION)) * forms::kTwipsPerPixel;
    Move(0, 0, width, height);

    forms::Control& editor = add(Kind::TextBox, "txtInput");
    editor.Move(1080, 720, 495, 285);
    editor.Visible(false);
    forms::Control& frame = add(Kind::Frame, "FrmSpreadSheet");
    frame.Move(120, 0, 4935, 2175);
    frame.Visible(false);
    add(Kind::CommandButton, "CmdExcel").Move(4920, 3480, kButtonWidth, kButtonHeight);
    add(Kind::CommandButton, "cmdNeu").Move(4950, 2520, kButtonWidth, kButtonHeight);
    add(Kind::CommandButton, "cmdDelete").Move(4950, 2040, kButtonWidth, kButtonHeight);
    add(Kind::CommandButton, "cmdCopy").Move(4950, 1560, kButtonWidth, kButtonHeight);
    add(Kind::CommandButton, "cmdInsert").Move(4950, 1080, kButtonWidth, kButtonHeight);
    add(Kind::CommandButton, "CmdCancel").Move(4950, 600, kButtonWidth, kButtonHeight);
    add(Kind::CommandButton, "cmdHelp").Move(4950, 3000, kButtonWidth, kButtonHeight);
    add(Kind::CommandButton, "cmdOK").Move(4950, 120, kButtonWidth, kButtonHeight);
    add(Kind::Spreadsheet, "SprInput", -1, &frame).Move(40, 120, 4995, 2910);
    forms::Control& grid = add(Kind::Grid, "GrdInput");
    grid.Move(120, 120, 4740, 3660);
    // The table takes the focus when the form opens, so that typing edits.
    grid.TabIndex(0);
}

std::int32_t frmGridInput::fitButtonsToCaptions()
{
    UseLanguageFont(*this);
    const std::initializer_list<forms::ControlRef*> buttons = {&cmdOK,  &CmdCancel, &cmdInsert, &cmdCopy,
                                                               &cmdDelete, &cmdNeu, &cmdHelp,   &CmdExcel};
    std::int32_t width = std::max(kButtonWidth, CaptionWidth(*this, *CmdExcel, caption(TextNo(60018))));
    for (forms::ControlRef* button : buttons) width = std::max(width, CaptionWidth(*this, **button, (*button)->Caption()));
    for (forms::ControlRef* button : buttons) (*button)->Width(width);
    return width - kButtonWidth;
}

void frmGridInput::Form_Load()
{
    SpreadsheetView = false;
    valmor_ = std::make_unique<ClsValmor>();
}

void frmGridInput::Form_Unload() { valmor_.reset(); }

void frmGridInput::cmdOK_Click()
{
    if (SpreadsheetView) CmdExcel_Click();
    if (SpreadsheetView) return;  // the values are not back in the grid
    valmor_->ReadGridValues();
    if (valmor_->chooseControl()) Unload();
}

void frmGridInput::CmdCancel_Click() { Unload(); }

void frmGridInput::cmdHelp_Click()
{
    const std::string topic = libraryState().DialogHelpTopic;
    if (!topic.empty()) {
        ShowHelpTopic(hWnd(), topic, 0);
    } else {
        ShowHelpPopup(Caption());
    }
}

void frmGridInput::cmdNeu_Click() { valmor_->InputGridNew(*GrdInput, *cmdDelete); }
void frmGridInput::cmdInsert_Click() { valmor_->InputGridInsert(*GrdInput, *cmdDelete); }
void frmGridInput::cmdCopy_Click() { valmor_->InputGridCopy(*GrdInput, *cmdDelete); }
void frmGridInput::cmdDelete_Click() { valmor_->InputGridDelete(*GrdInput, *cmdDelete); }

void frmGridInput::CmdExcel_Click()
{
    // The sheet has a fixed number of columns: a wider table stays in the
    // grid view, before anything of the form changes.
    const std::int32_t columns = GrdInput->Cols() - 1;
    if (!SpreadsheetView && columns > forms::kSheetColumns) {
        quillon::ClsLanguageText& texts = textLib();
        forms::MsgBox(texts.GetText(rt::Variant(TextNo(140281)), {rt::Variant("|1"), rt::Variant(std::to_string(columns)),
                                                                 rt::Variant("|2"), rt::Variant(std::to_string(forms::kSheetColumns))}),
                      texts.MessageBoxFlags() | forms::vbExclamation, Caption());
        return;
    }
    Hourglass hourglass;
    SpreadsheetView = !SpreadsheetView;
    if (SpreadsheetView) {
        toSpreadsheetView();
    } else {
        toGridView();
    }
}

void frmGridInput::toSpreadsheetView()
{
    forms::Control& frame = *FrmSpreadSheet;
    forms::Control& sheet = *SprInput;
    forms::Control& grid = *GrdInput;
    // Events run while the window is searched and after every cell copied.
    std::optional<InputBlock> block(std::in_place, *this);
    frame.Height(5000);
    if (textLib().IsRightToLeft()) {
        frame.Left(cmdHelp->Left());
        sheet.Left(80);
    }
    frame.Width(std::max(cmdHelp->Left() + cmdHelp->Width(), 7000));
    frame.Visible(true);
    Width(frame.Width() + 240);
    CmdExcel->Top(frame.Top() + frame.Height() + 120);
    DisableWaitTaintWindow(hWnd());
    grid.Visible(false);
    // The row operations work on the grid, which is hidden now (and would
    // refuse the focus they end with): they wait for the grid view.
    for (forms::ControlRef* button : {&cmdNeu, &cmdInsert, &cmdCopy, &cmdDelete}) (*button)->Enabled(false);
    CmdExcel->Caption(caption(TextNo(60018)));
    cmdOK->Left(120);
    CmdCancel->Left(cmdOK->Left() + cmdOK->Width() + 120);
    CmdExcel->Left(CmdCancel->Left() + CmdCancel->Width() + 120);
    cmdOK->Top(CmdExcel->Top());
    CmdCancel->Top(CmdExcel->Top());
    Height(CmdExcel->Top() + CmdExcel->Height() + 550);
    GrowToHoldControls(*this);
    CenterFormOnScreen(*this);
    Refresh();
    sheet.Width(frame.Width() - 120);
    sheet.Height(frame.Height() - 200);

    // Nothing of an earlier visit may stay behind the grid's cells.
    sheet.Select(1, 1);
    sheet.Clear();
    const std::int32_t rows = grid.Rows();
    const std::int32_t cols = grid.Cols();
    for (std::int32_t r = 1; r < rows; ++r) {
        for (std::int32_t c = 1; c < cols; ++c) {
            sheet.CellText(r, c, grid.TextMatrix(r, c));
            forms::doEvents();
        }
    }
    block.reset();
    sheet.SetFocus();
    forms::SendKeys("^{HOME}", true);
}

void frmGridInput::toGridView()
{
    forms::Control& grid = *GrdInput;
    forms::Control& sheet = *SprInput;
    Width(grid.Width() + kGridInputFormMargin + cmdOK->Width() - kButtonWidth);
    Height(kGridViewHeight);
    grid.Visible(true);
    FrmSpreadSheet->Visible(false);
    for (forms::ControlRef* button : {&cmdNeu, &cmdInsert, &cmdCopy}) (*button)->Enabled(true);
    CmdExcel->Caption(caption(TextNo(140118)));
    CmdExcel->Top(cmdHelp->Top() + cmdHelp->Height() + 120);
    CmdExcel->Left(cmdHelp->Left());
    cmdOK->Left(cmdHelp->Left());
    CmdCancel->Left(cmdHelp->Left());
    cmdOK->Top(120);
    CmdCancel->Top(cmdOK->Top() + cmdOK->Height() + 120);
    CenterFormOnScreen(*this);
    Refresh();

    grid.Redraw(false);
    valmor_->InputGridNew(grid, *cmdDelete);
    grid.TextMatrix(1, 0, "1");
    // Every sheet row up to the last one holding text in a data column
    // comes back (one row at least); empty rows between come back empty.
    const std::int32_t cols = grid.Cols();
    std::int32_t last = 1;
    for (const auto& [cell, text] : sheet.SheetCells()) {
        if (cell.second < cols && !text.empty()) last = std::max(last, cell.first);
    }
    {
        InputBlock block(*this);
        for (std::int32_t r = 1; r <= last; ++r) {
            if (grid.Rows() < r + 1) grid.Rows(r + 1);
            grid.TextMatrix(r, 0, std::to_string(r));
            for (std::int32_t c = 1; c < cols; ++c) grid.TextMatrix(r, c, sheet.CellText(r, c));
            if (grid.Rows() > 2) cmdDelete->Enabled(true);
            forms::doEvents();
        }
    }
    grid.Redraw(true);
}

void frmGridInput::GrdInput_KeyPress(forms::EventArgs& args)
{
    valmor_->ShowTxtInputBox(*txtInput, *GrdInput, args.KeyAscii);
    // KeyAscii holds 16 bits ("?" for a character beyond them): such a
    // character starts the entry as typed, taken from the event's text.
    if (args.KeyText.size() == 4 && txtInput->Visible()) {
        txtInput->Text(args.KeyText);
        txtInput->SelStart(1);
    }
}

void frmGridInput::GrdInput_DblClick()
{
    if (GrdInput->Col() > 0 && GrdInput->Row() > 0) valmor_->ShowTxtInputBox(*txtInput, *GrdInput, 13);
}

void frmGridInput::GrdInput_Scroll()
{
    if (!txtInput->Visible()) return;
    std::int16_t key = 13;
    txtInput_KeyPress(key);
    txtInput->Visible(false);
}

void frmGridInput::commitEditor()
{
    const LibraryState& state = libraryState();
    forms::Control& grid = *GrdInput;
    const std::int32_t row = state.GridEditorRow;
    const std::int32_t col = state.GridEditorCol;
    if (row > 0 && row < grid.Rows() && col > 0 && col < grid.Cols()) grid.TextMatrix(row, col, txtInput->Text());
}

void frmGridInput::txtInput_KeyPress(std::int16_t& KeyAscii)
{
    CmdCancel->Cancel(false);
    if (KeyAscii == forms::vbKeyReturn) {
        commitEditor();
        txtInput->Visible(false);
        CmdCancel->Cancel(true);
        GrdInput->SetFocus();
        KeyAscii = 0;
    } else if (KeyAscii == forms::vbKeyEscape) {
        KeyAscii = 0;
        txtInput->Visible(false);
        CmdCancel->Cancel(true);
        GrdInput->SetFocus();
    }
}

void frmGridInput::txtInput_KeyDown(std::int16_t KeyCode)
{
    if (KeyCode != forms::vbKeyUp && KeyCode != forms::vbKeyDown) return;
    std::int16_t key = 13;
    txtInput_KeyPress(key);
    forms::SendKeys(KeyCode == forms::vbKeyUp ? "{UP}" : "{DOWN}");
}

// While the editor is open Escape is its own: the Cancel button waits.
void frmGridInput::txtInput_GotFocus() { CmdCancel->Cancel(false); }

// Leaving an open editor (a click on another cell, OK, the view button)
// keeps what was typed; Escape alone discards it. After Enter, Up, Down,
// Escape or a scroll the editor is already closed and nothing is written.
void frmGridInput::txtInput_LostFocus()
{
    if (txtInput->Visible()) {
        commitEditor();
        txtInput->Visible(false);
    }
    CmdCancel->Cancel(true);
}

void frmGridInput::CheckSheetColumn()
{
    forms::Control& sheet = *SprInput;
    if (sheet.ActiveColumn() > GrdInput->Cols() - 1) {
        forms::SendKeys("{ESC}");
        sheet.ClearActiveCell();
    }
}

frmGridInput& gridInputForm()
{
    // Never destroyed: forms outlive every caller of the library.
    static frmGridInput* form = new frmGridInput;
    return *form;
}

}  // namespace halvex
