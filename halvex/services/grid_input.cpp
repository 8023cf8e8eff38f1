#include "halvex/services/grid_input.h"

#include "platform/runtime/codepage.h"

#include <algorithm>
#include <string>
#include <vector>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/frm_grid_input.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "halvex/services/text_composition.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/rounding.h"

namespace halvex {

using quillon::TextNo;

namespace {

// Rows and columns of the table, so that R + 1 and C + 1 stay Integers.
constexpr std::int32_t kMaxGridCount = 32766;
constexpr std::int16_t kInputString = 4;
constexpr const char* kShowMember = HALVEX_MEMBER(ClsValmor, ShowGridInput);

std::string caption(std::int32_t number)
{
    return textLib().GetText(rt::Variant(number), {rt::Variant(std::int16_t{1})});
}

std::string leftTrimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string utf8Character(std::int32_t code)
{
    std::string out;
    rt::appendUtf8(out, static_cast<char32_t>(code));
    return out;
}

std::int32_t characterCount(const std::string& text)
{
    std::int32_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

// The grid's current cell in view, so that the editor lands on it.
void bringCellIntoView(forms::Control& G)
{
    if (G.Row() >= G.FixedRows() && (G.Row() < G.TopRow() || G.CellTop() + G.CellHeight() > G.Height()))
        G.TopRow(G.Row());
    if (G.Col() >= G.FixedCols() && (G.Col() < G.LeftCol() || G.CellLeft() + G.CellWidth() > G.Width()))
        G.LeftCol(G.Col());
}

// cell (to) = cell (from) for the data columns; the row numbers stay.
void moveRow(forms::Control& G, std::int32_t to, std::int32_t from)
{
    for (std::int32_t c = 1; c < G.Cols(); ++c) G.TextMatrix(to, c, G.TextMatrix(from, c));
}

void finishRowOperation(forms::Control& G)
{
    G.Col(1);
    G.SetFocus();
}

// Insert and Copy: one row more, rows r.. moved one down; the new last row
// gets its number.
std::int32_t openRowBelow(forms::Control& G)
{
    if (G.Rows() - 1 >= kMaxGridCount) rt::raise(6, "Overflow: the table cannot have more than 32766 rows");
    G.Rows(G.Rows() + 1);
    const std::int32_t r = G.Row();
    for (std::int32_t i = G.Rows() - 1; i >= r + 1; --i) moveRow(G, i, i - 1);
    G.TextMatrix(G.Rows() - 1, 0, std::to_string(G.Rows() - 1));
    return r;
}

}  // namespace

bool ShowGridInput(rt::VArray& TitleGrid, rt::VArray& HGrid, rt::VArray& InputTypeGrid, rt::VArray& MaxInputGrid,
                   rt::VArray& MinInputGrid, const std::string& HelpTopicNo)
{
    LibraryState& state = libraryState();
    bool result = true;
    state.DialogConfirmed = false;
    frmGridInput& form = gridInputForm();
    ClsValmor valmor;
    try {
        state.DialogHelpTopic = HelpTopicNo;
        const std::int16_t C = state.NoColGrid;
        state.GridInputTypes.redim(0, C);
        state.GridMaxInput.redim(0, C);
        state.GridMinInput.redim(0, C);
        for (std::int32_t i = 1; i <= C; ++i) {
            state.GridInputTypes.at(i) =
                ArgumentElement(InputTypeGrid, i, kShowMember, "InputTypeGrid", &rt::Variant::toInteger);
            state.GridMaxInput.at(i) =
                ArgumentElement(MaxInputGrid, i, kShowMember, "MaxInputGrid", &rt::Variant::toDouble);
            state.GridMinInput.at(i) =
                ArgumentElement(MinInputGrid, i, kShowMember, "MinInputGrid", &rt::Variant::toDouble);
        }

        form.cmdNeu->Caption(caption(TextNo(112)));
        form.cmdOK->Caption(caption(TextNo(6)));
        form.CmdCancel->Caption(caption(TextNo(7)));
        form.cmdHelp->Caption(caption(TextNo(8)));
        form.cmdDelete->Caption(caption(TextNo(118)));
        form.cmdCopy->Caption(caption(TextNo(113)));
        form.cmdInsert->Caption(caption(TextNo(106)));
        form.CmdExcel->Caption(caption(TextNo(140118)));

        form.Caption(state.HeadGrid);
        valmor.HelpTitle(state.HeadGrid);

        // The grid is filled from a working copy: the caller's table stays as
        // it was unless the user confirms.
        rt::VArray table = HGrid;
        forms::Control& grid = *form.GrdInput;
        SetGridHeader(TitleGrid, table, form, grid);

        std::int32_t w = 0;
        for (std::int32_t j = 0; j <= C; ++j) w += grid.ColWidth(j) + forms::screen().TwipsPerPixelX();
        w += 300;
        grid.Width(std::min(w, kGridInputMaxWidth));
        form.Width(grid.Width() + kGridInputFormMargin + form.fitButtonsToCaptions());
        for (forms::ControlRef* button : {&form.cmdNeu, &form.cmdOK, &form.CmdCancel, &form.cmdHelp, &form.cmdDelete,
                                          &form.cmdCopy, &form.cmdInsert, &form.CmdExcel}) {
            (*button)->Left(grid.Width() + 250);
        }
        form.Left(static_cast<std::int32_t>(rt::roundHalfEven((forms::screen().Width() - form.Width()) / 2.0)));
        form.Top(static_cast<std::int32_t>(rt::roundHalfEven((forms::screen().Height() - form.Height()) / 2.0)));
        valmor.SetRightToLeft(form);

        form.Show(forms::vbModal);

        if (state.DialogConfirmed) {
            const std::int16_t R = state.NoRowGrid;
            rt::VArray values(HGrid.elementType());
            values.redim(0, R, 0, C);
            for (std::int32_t k = 1; k <= R; ++k) {
                for (std::int32_t l = 1; l <= C; ++l) values.at(k, l) = state.GridValues.at(k, l);
            }
            HGrid = std::move(values);
            result = false;
        }
    } catch (...) {
        ReportMemberError(kShowMember);
        try {
            if (form.loaded()) form.unloadWithoutEvents();
        } catch (...) {
        }
        result = true;
    }
    state.GridMinInput.erase();
    state.GridMaxInput.erase();
    state.GridInputTypes.erase();
    state.GridValues.erase();
    return result;
}

void SetGridHeader(rt::VArray& TitleGrid, rt::VArray& HGrid, forms::Form& Objform, forms::Control& ObjGrid)
{
    LibraryState& state = libraryState();
    forms::Form& F = Objform;
    forms::Control& G = ObjGrid;
    G.Visible(false);
    const std::int32_t C = state.NoColGrid;
    if (state.NoRowGrid == 0) {
        state.NoRowGrid = 1;
        HGrid.redim(0, 1, 0, C);
    }
    const std::int32_t R = state.NoRowGrid;
    if (R > kMaxGridCount || C > kMaxGridCount) rt::raise(6, "Overflow: the table has more than 32766 rows or columns");
    G.Rows(R + 1);
    G.Cols(C + 1);
    G.FontBold(false);

    G.Row(0);
    for (std::int32_t c = 0; c <= C; ++c) {
        G.Col(c);
        G.Text(ArgumentElement(TitleGrid, c, HALVEX_MEMBER(ClsValmor, SetGridHeader),
                               "TitleGrid", &rt::Variant::toString));
    }

    G.Row(0);
    std::int32_t h = 0;
    for (std::int32_t i = 0; i < G.Cols(); ++i) {
        G.Col(i);
        G.ColWidth(i, F.TextWidth(G.Text()) + 100);
        if (G.ColWidth(i) < 800 && i > 0) G.ColWidth(i, 800);
        h = std::max(h, F.TextHeight(G.Text()));
    }
    G.RowHeight(0, h + 100);

    G.Col(0);
    for (std::int32_t j = 1; j <= R; ++j) {
        G.Row(j);
        G.Text(std::to_string(j));
    }
    for (std::int32_t r = 1; r <= R; ++r) {
        for (std::int32_t c = 1; c <= C; ++c) {
            G.Row(r);
            G.Col(c);
            G.Text(leftTrimmed(HGrid.at(r, c).toString()));
        }
    }

    G.ColAlignment(0, 3);
    for (std::int32_t c = 0; c <= C; ++c) G.FixedAlignment(c, 3);
    F.control("cmdDelete").Enabled(G.Rows() != 2);
    G.ScrollBars(3);
    G.AllowUserResizing(1);
    G.Visible(true);
}

void ReadGridValues()
{
    LibraryState& state = libraryState();
    ClsValmor valmor;
    forms::screen().MousePointer(forms::vbHourglass);
    frmGridInput& form = gridInputForm();
    forms::Control& G = *form.GrdInput;
    const std::int32_t C = state.NoColGrid;
    const std::int32_t R = G.Rows() - 1;
    state.NoRowGrid = static_cast<std::int16_t>(R);
    state.GridValues.redim(0, R, 0, C);

    if (R == 1) {
        bool empty = true;
        for (std::int32_t c = 1; c <= C && empty; ++c) empty = G.TextMatrix(1, c).empty();
        if (empty) {
            state.NoRowGrid = 0;
            valmor.chooseControl(true);
            forms::screen().MousePointer(forms::vbDefault);
            return;
        }
    }

    rt::VArray lineFeed;
    lineFeed.redim(1, 2);
    lineFeed.at(1) = std::string("\n");
    lineFeed.at(2) = std::string(" ");
    for (std::int32_t i = 1; i <= R; ++i) {
        G.Row(i);
        for (std::int32_t j = 1; j <= C; ++j) {
            G.Col(j);
            const std::int16_t mode = state.GridInputTypes.at(j).toInteger();
            if (mode != kInputString) {
                const std::string field = valmor.ResolveString(G.TextMatrix(0, j), lineFeed);
                const bool bad = valmor.InputType(G, mode, state.GridMaxInput.at(j).toDouble(),
                                                  state.GridMinInput.at(j).toDouble(), rt::Variant(field));
                if (bad) {
                    ShowTxtInputBox(*form.txtInput, G, -1);
                    return;
                }
            }
            state.GridValues.at(i, j) = G.Text();
        }
    }
    valmor.chooseControl(true);
    forms::screen().MousePointer(forms::vbDefault);
}

void ShowTxtInputBox(forms::Control& txtInput, forms::Control& GrdInput, std::int16_t KeyAscii)
{
    forms::Control& T = txtInput;
    forms::Control& G = GrdInput;
    T.ZOrder(0);
    if (KeyAscii != 27) bringCellIntoView(G);
    T.Width(G.CellWidth());
    T.Height(G.CellHeight());
    T.Top(G.Top() + G.CellTop());
    T.Left(G.Left() + G.CellLeft());
    if (textLib().IsRightToLeft() && G.Rows() > 14) T.Left(T.Left() + 240);
    if (KeyAscii == 27) return;

    LibraryState& state = libraryState();
    state.GridEditorRow = G.Row();
    state.GridEditorCol = G.Col();
    if (KeyAscii == -1) {
        T.Text(G.Text());
        T.Visible(true);
        T.SetFocus();
        T.SelStart(0);
        T.SelLength(characterCount(T.Text()));
    } else if (KeyAscii == 13) {
        T.Text(G.Text());
        T.SelStart(characterCount(T.Text()));
        T.Visible(true);
        T.SetFocus();
    } else {
        // A control key (Backspace) starts an empty entry: no control
        // character goes into the text.
        const bool control = KeyAscii > 0 && KeyAscii < 32;
        // KeyAscii carries the character's 16 bits: from U+8000 on it is
        // negative.
        T.Text(control ? std::string() : utf8Character(static_cast<std::uint16_t>(KeyAscii)));
        T.SelStart(control ? 0 : 1);
        T.Visible(true);
        T.SetFocus();
    }
}

void InputGridNew(forms::Control& GrdInput, forms::Control& cmdDelete)
{
    forms::Control& G = GrdInput;
    G.Rows(2);
    G.Row(1);
    for (std::int32_t c = 1; c < G.Cols(); ++c) G.TextMatrix(1, c, "");
    cmdDelete.Enabled(false);
    finishRowOperation(G);
}

void InputGridInsert(forms::Control& GrdInput, forms::Control& cmdDelete)
{
    forms::Control& G = GrdInput;
    const std::int32_t r = openRowBelow(G);
    G.Row(r);
    for (std::int32_t c = 1; c < G.Cols(); ++c) G.TextMatrix(r, c, "");
    cmdDelete.Enabled(G.Rows() > 2);
    finishRowOperation(G);
}

void InputGridCopy(forms::Control& GrdInput, forms::Control& cmdDelete)
{
    forms::Control& G = GrdInput;
    const std::int32_t r = openRowBelow(G);
    G.Row(r + 1);
    cmdDelete.Enabled(G.Rows() > 2);
    finishRowOperation(G);
}

void InputGridDelete(forms::Control& GrdInput, forms::Control& cmdDelete)
{
    forms::Control& G = GrdInput;
    quillon::ClsLanguageText& texts = textLib();
    // Yes and No, the question icon, No as the default; no language flags.
    constexpr std::int32_t kDeleteQuestionStyle = 292;
    const std::int32_t r = G.Row();
    const std::int16_t answer = forms::MsgBox(
        texts.GetText(rt::Variant(TextNo(140149)), {rt::Variant("|1"), rt::Variant(std::to_string(r))}),
        kDeleteQuestionStyle, texts.GetText(rt::Variant(TextNo(140150))));
    if (answer != forms::vbNo) {
        for (std::int32_t i = r; i <= G.Rows() - 2; ++i) moveRow(G, i, i + 1);
        G.Rows(G.Rows() - 1);
        G.Row(r - 1 == 0 ? 1 : r - 1);
        cmdDelete.Enabled(G.Rows() != 2);
    }
    finishRowOperation(G);
}

}  // namespace halvex
