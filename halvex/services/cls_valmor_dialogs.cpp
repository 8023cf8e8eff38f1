// Members of ClsValmor: the standard dialogs (group list, option list and
// combo filling, company header, language choice, about box).
//
// Every dialog member clears DialogConfirmed first and leaves it True
// exactly when it returns False. A run-time error is reported to the user
// (ValmorErrorHandling), the form is unloaded and the member returns True.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/dialog_layout.h"
#include "halvex/services/file_kind.h"
#include "halvex/services/form_language.h"
#include "halvex/services/frm_about.h"
#include "halvex/services/frm_firma.h"
#include "halvex/services/frm_group_list.h"
#include "halvex/services/frm_language.h"
#include "halvex/services/frm_mnu_view.h"
#include "halvex/services/library_files.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "halvex/services/units.h"
#include "halvex/services/user_files.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/screen.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/errors.h"

namespace halvex {

using quillon::TextNo;

namespace {

constexpr std::string_view kDisabledMarker = "//Disabled//";
constexpr const char* CR = "\r";

std::string text(std::int32_t number) { return textLib().GetText(rt::Variant(number)); }

// A button caption: the text with the replacement list holding only 1.
std::string buttonText(std::int32_t number) { return textLib().GetText(rt::Variant(number), {rt::Variant(1)}); }

// The number of items of the caller's list `argument` of `member`: the
// upper bound as a 16-bit count (error 9 for an unallocated array, 6 above
// 32767, both naming the member and the argument); an empty allocated list
// counts 0.
std::int16_t itemCount(const rt::VArray& items, const char* member, const char* argument)
{
    if (!items.isAllocated()) RaiseArgumentError(9, member, argument);
    return IntegerArgument(std::max(items.ubound(1), 0), member, argument);
}

// A Long of the caller scaled by a factor, rounded half to even as the
// assignment of a Double to a Long rounds.
std::int32_t scaled(std::int32_t value, double factor) { return static_cast<std::int32_t>(std::nearbyint(value * factor)); }

// ---- group list ----

// Fills the group list with entries(1..n), lays it out, ticks in advance the
// first entry each OptChoosen(j) matches, and shows it. The list entries of
// the ticked entries after OK (the form is then hidden, not unloaded);
// nothing when the user did not confirm.
std::optional<std::vector<std::int16_t>> runGroupList(
    ClsValmor& valmor, const std::string& FormCaption, const std::string& LblCaption,
    const std::vector<std::string>& entries, const rt::VArray& OptChoosen,
    const std::function<bool(const rt::Variant&, const std::string&)>& matches)
{
    frmGroupList& f = groupListForm();
    const std::int16_t n = static_cast<std::int16_t>(entries.size() - 1);
    f.Caption(FormCaption);
    f.cmdOK->Caption(buttonText(TextNo(6)));
    f.CmdCancel->Caption(buttonText(TextNo(7)));
    f.cmdHelp->Caption(buttonText(TextNo(8)));
    f.Label1->Caption(LblCaption);
    f.ChkSelectAll->Caption(text(TextNo(140098)));

    // Measured in the font the form shows in; the buttons and the select-all
    // box as wide as their captions need.
    UseLanguageFont(f);
    std::int32_t okWidth = f.cmdOK->Width();
    for (forms::Control* c : {&*f.cmdOK, &*f.CmdCancel, &*f.cmdHelp, &*f.ChkSelectAll})
        okWidth = std::max(okWidth, CaptionWidth(f, *c, c->Caption()));
    for (forms::Control* c : {&*f.cmdOK, &*f.CmdCancel, &*f.cmdHelp, &*f.ChkSelectAll}) c->Width(okWidth);

    forms::Control& list = *f.LstGroup;
    std::int32_t w = 0;
    list.Clear();
    for (std::int32_t k = 1; k <= n; ++k) {
        w = std::max(w, f.TextWidth(entries[k]));
        list.AddItem(entries[k]);
    }
    // An entry needs its check box and room for the list's scroll bar.
    w = std::max(w + kIndicatorPadding + 300, f.TextWidth(LblCaption));
    if (f.TextWidth(FormCaption) - okWidth > w) w = f.TextWidth(FormCaption) - okWidth;
    const std::int32_t screenWidth = forms::screen().Width();
    // A list too wide for the screen takes what the screen leaves beside
    // the buttons, so that the form fits.
    if (okWidth + w + 600 > screenWidth) w = screenWidth - okWidth - 600;

    list.Width(w);
    f.Label1->Width(w);
    list.Left(120);
    list.Height(2100);
    f.cmdOK->Top(list.Top() + 120);
    f.CmdCancel->Top(f.cmdOK->Top() + 480);
    f.cmdHelp->Top(f.CmdCancel->Top() + 540);
    f.ChkSelectAll->Top(f.cmdHelp->Top() + 540);
    f.Height(list.Height() + list.Top() + 600);
    f.Width(okWidth + w + 600);
    f.cmdOK->Left(w + 360);
    f.CmdCancel->Left(f.cmdOK->Left());
    f.cmdHelp->Left(f.cmdOK->Left());
    f.ChkSelectAll->Left(f.cmdOK->Left());
    GrowToHoldControls(f);
    CenterFormOnScreen(f);

    if (valmor.UBoundPrivate(OptChoosen, 1) < 1) {
        for (std::int16_t e = 0; e < n; ++e) list.Selected(e, false);
    } else {
        for (std::int32_t j = 1; j <= OptChoosen.ubound(1); ++j) {
            for (std::int32_t k = 1; k <= n; ++k) {
                if (matches(OptChoosen.at(j), entries[k])) {
                    list.Selected(static_cast<std::int16_t>(k - 1), true);
                    break;
                }
            }
        }
    }

    valmor.SetRightToLeft(f);
    if (n == 0) {
        f.ChkSelectAll->Enabled(false);
        list.Enabled(false);
    }
    f.Show(forms::vbModal);
    if (!libraryState().DialogConfirmed) return std::nullopt;

    std::vector<std::int16_t> ticked;
    for (std::int16_t e = 0; e < list.ListCount(); ++e)
        if (list.Selected(e)) ticked.push_back(e);
    return ticked;
}

// ---- option list ----

enum class Column { Single, First, Second };

// The column of each option 1..n: the last four options (all of them when
// n <= 4) take a row of their own; the ones before alternate between
// column 1, starting a row, and column 2 on the same row.
std::vector<Column> columnsOf(std::int16_t n)
{
    std::vector<Column> columns(static_cast<std::size_t>(n) + 1, Column::Single);
    bool secondNext = false;
    for (std::int32_t k = 1; k <= n; ++k) {
        if (k > n - 4) {
            columns[k] = Column::Single;
        } else {
            columns[k] = secondNext ? Column::Second : Column::First;
            secondNext = !secondNext;
        }
    }
    return columns;
}

bool isDisabledOption(const std::string& option) { return option.starts_with(kDisabledMarker); }

std::string withoutMarker(const std::string& option)
{
    return isDisabledOption(option) ? option.substr(kDisabledMarker.size()) : option;
}

// Lays out and shows the option list for options(1..n) (texts as given,
// with their markers). The option on in advance is the first enabled one
// whose caption `preselected` names, else the first enabled one. The
// chosen option's number after OK (the form is then hidden, not
// unloaded); 0 when the user did not confirm.
std::int16_t runMenuView(ClsValmor& valmor, const std::string& FormCaption, const std::string& LblCaption,
                         const std::vector<std::string>& options,
                         const std::function<bool(const std::string&)>& preselected)
{
    frmMnuView& f = mnuViewForm();
    const std::int16_t n = static_cast<std::int16_t>(options.size() - 1);
    f.Caption(FormCaption);
    f.cmdOK->Caption(buttonText(TextNo(6)));
    f.CmdCancel->Caption(buttonText(TextNo(7)));
    f.cmdHelp->Caption(buttonText(TextNo(8)));
    f.Label1->Caption(LblCaption.empty() ? text(TextNo(140012)) : LblCaption);

    // Measured in the font the form shows in: an option needs its text and
    // its indicator, the buttons as wide as their captions need.
    UseLanguageFont(f);
    std::int32_t buttonWidth = f.cmdOK->Width();
    for (forms::Control* c : {&*f.cmdOK, &*f.CmdCancel, &*f.cmdHelp})
        buttonWidth = std::max(buttonWidth, CaptionWidth(f, *c, c->Caption()));
    for (forms::Control* c : {&*f.cmdOK, &*f.CmdCancel, &*f.cmdHelp}) c->Width(buttonWidth);
    f.Label1->Width(std::max(f.Label1->Width(), CaptionWidth(f, *f.Label1, f.Label1->Caption())));

    const std::vector<Column> columns = columnsOf(n);
    std::int32_t W1 = f.TextWidth(f.Label1->Caption());
    std::int32_t W2 = f.cmdOK->Width();
    for (std::int32_t k = 1; k <= n; ++k) {
        const std::int32_t width = CaptionWidth(f, f.OptList(0), withoutMarker(options[k]));
        if (columns[k] == Column::Second)
            W2 = std::max(W2, width);
        else
            W1 = std::max(W1, width);
    }
    W1 += 120;
    W2 += 120;
    const std::int32_t screenWidth = forms::screen().Width();
    // Columns too wide for the screen shrink by one factor until
    // W1 + W2 + 360 is the screen width.
    if (W1 + W2 + 360 > screenWidth) {
        const double factor = static_cast<double>(screenWidth - 360) / (W1 + W2);
        W1 = scaled(W1, factor);
        W2 = scaled(W2, factor);
    }

    for (std::int16_t k = 1; k < n; ++k) f.OptList.Load(k);
    for (std::int32_t k = 1; k <= n; ++k) {
        forms::Control& option = f.OptList(static_cast<std::int16_t>(k - 1));
        option.Width(columns[k] == Column::Second ? W2 : W1);
        option.Caption(withoutMarker(options[k]));
        option.Enabled(!isDisabledOption(options[k]));
        option.Visible(true);
    }

    // A greyed option is never on: the first enabled one is, unless the
    // caller names another enabled one.
    std::int32_t on = 0;
    for (std::int32_t k = 1; k <= n && on == 0; ++k)
        if (!isDisabledOption(options[k])) on = k;
    for (std::int32_t k = 1; k <= n; ++k) {
        if (!isDisabledOption(options[k]) && preselected(withoutMarker(options[k]))) {
            on = k;
            break;
        }
    }
    f.OptList(static_cast<std::int16_t>(on - 1)).Value(-1);

    // Row tops are 16-bit: a 91st row is an overflow.
    std::int32_t top = 120;
    for (std::int32_t k = 1; k <= n; ++k) {
        forms::Control& option = f.OptList(static_cast<std::int16_t>(k - 1));
        if (columns[k] == Column::Second) {
            option.Left(W1 + 240);
            option.Top(top);
        } else {
            top += 360;
            if (top > 32767) rt::raise(6);
            option.Left(120);
            option.Top(top);
        }
    }

    forms::Control& ok = *f.cmdOK;
    if (n > 5) {
        ok.Top(f.OptList(static_cast<std::int16_t>(n - 4)).Top());
        ok.Left(W1 + W2 + 240 - ok.Width());
    } else {
        ok.Top(f.OptList(0).Top());
        ok.Left(W1 + 240);
    }
    f.CmdCancel->Top(ok.Top() + 480);
    f.cmdHelp->Top(f.CmdCancel->Top() + 480);
    const forms::Control& last = f.OptList(static_cast<std::int16_t>(n - 1));
    f.Height(std::max(last.Top() + last.Height() + 550, 2365));
    f.CmdCancel->Left(ok.Left());
    f.cmdHelp->Left(ok.Left());
    f.Width(ok.Width() + ok.Left() + 240);
    GrowToHoldControls(f);
    CenterFormOnScreen(f);

    valmor.SetRightToLeft(f);
    f.Show(forms::vbModal);
    if (!libraryState().DialogConfirmed) return 0;
    for (std::int32_t k = 1; k <= n; ++k)
        if (f.OptList(static_cast<std::int16_t>(k - 1)).Value() != 0) return static_cast<std::int16_t>(k);
    return static_cast<std::int16_t>(on);
}

// What a dialog member does with the options before any form: 0 when there
// is nothing to choose (no option, or none enabled), 1 when the one option
// is the choice, 2 when the dialog is needed.
int menuViewCase(const std::vector<std::string>& options)
{
    const bool anyEnabled = std::any_of(options.begin() + 1, options.end(),
                                        [](const std::string& option) { return !isDisabledOption(option); });
    if (!anyEnabled) return 0;
    return options.size() == 2 ? 1 : 2;
}

// ---- company header ----

constexpr std::size_t kHyphenCount = 68;

// A header line as the box takes it: no NUL and at most the box's length
// in characters; else error 13 naming the line.
std::string headerLine(rt::TextReader& reader, std::int32_t number)
{
    std::string line = rt::textAsUtf8(reader.readLine());
    const auto characters = std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; });
    if (line.find('\0') != std::string::npos || characters > kMaxHeaderLength) {
        rt::raise(13, textLib().GetText(rt::Variant(TextNo(140380)), {rt::Variant("|1"), rt::Variant(number),
                                                                      rt::Variant("|2"), rt::Variant(kMaxHeaderLength)}));
    }
    return line;
}

// Reads lines 1 and 2 of the header file into Firma1 and Firma2: the
// user's own file when there is one, else the shipped default. A missing
// file is the first use and is quiet; a damaged one (fewer than two lines,
// a line the box cannot hold) is reported and leaves both unchanged.
void readHeaderFile(std::string& Firma1, std::string& Firma2)
{
    LibraryState& state = libraryState();
    state.SettingsDir = AddBackslash(ApplicationPath());
    std::string line1;
    std::string line2;
    const bool whole = ReadLibraryFile(UserFileToRead("Firma"), [&](rt::TextReader& reader) {
        line1 = headerLine(reader, 1);
        line2 = headerLine(reader, 2);
    });
    if (!whole) return;
    Firma1 = std::move(line1);
    Firma2 = std::move(line2);
}

// Replaces the user's header file by the two lines and the hyphen line,
// UTF-8, through a temporary file: a failed save keeps the old file whole.
// False when the save failed (reported, naming the file).
bool writeHeaderFile(const std::string& Firma1, const std::string& Firma2)
{
    return WriteLibraryFile(UserFileToWrite("Firma"), [&](rt::TextWriter& writer) {
        writer.printLine(Firma1);
        writer.printLine(Firma2);
        writer.printLine(std::string(kHyphenCount, '-'));
    });
}

// ---- about box ----

// The program-kind text of the about box.
std::string GetAboutText(std::int32_t kind)
{
    auto three = [](std::int32_t a, std::int32_t b, std::int32_t c) {
        return text(a) + ":" + CR + CR + text(b) + CR + CR + text(c);
    };
    switch (kind) {
    case MirvaData: return three(TextNo(140131), TextNo(140132), TextNo(140133));
    case MirvaGraphic: return three(TextNo(140134), TextNo(140135), TextNo(140136));
    case MirvaList: return three(TextNo(140137), TextNo(140138), TextNo(140139));
    case MirvaSection: return three(TextNo(140140), TextNo(140141), TextNo(140142));
    case MirvaSolver:
        return text(TextNo(140143)) + ":" + CR + CR + text(TextNo(140144)) + CR + text(TextNo(140145)) + CR +
               text(TextNo(140146));
    case MirvaTool: return text(TextNo(140130));
    case MirvaBOHR:
    case ProgBOHR: return text(TextNo(140147));
    default: return std::string();
    }
}

void showIconAtFirstPlace(forms::Control& icon)
{
    icon.Left(240);
    icon.Top(240);
    icon.Visible(true);
}

}  // namespace

bool ClsValmor::ShowGroupList(const std::string& FormCaption, const std::string& LblCaption, rt::VArray& OptText,
                              rt::VArray& OptChoosen, const std::string& /*HelpTopicNo*/)
{
    LibraryState& state = libraryState();
    state.DialogConfirmed = false;
    try {
        const std::int16_t n = itemCount(OptText, HALVEX_MEMBER(ClsValmor, ShowGroupList), "OptText");
        // The list's Help is the popup with HelpTitle, never a topic that an
        // earlier dialog left behind.
        state.DialogHelpTopic.clear();
        std::vector<std::string> entries(static_cast<std::size_t>(n) + 1);
        for (std::int32_t k = 1; k <= n; ++k) entries[k] = OptText.at(k).toString();
        const auto ticked =
            runGroupList(*this, FormCaption, LblCaption, entries, OptChoosen,
                         [](const rt::Variant& chosen, const std::string& entry) { return chosen.toString() == entry; });
        if (!ticked) return true;
        rt::VArray result(rt::VarType::String);
        result.redim(0, static_cast<std::int32_t>(ticked->size()));
        for (std::size_t i = 0; i < ticked->size(); ++i)
            result.at(static_cast<std::int32_t>(i + 1)) = rt::Variant(entries[(*ticked)[i] + 1]);
        OptChoosen = std::move(result);
        groupListForm().Unload();
        return false;
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowGroupList));
        groupListForm().Unload();
        state.DialogConfirmed = false;
        return true;
    }
}

bool ClsValmor::ShowGroupList1(const std::string& FormCaption, const std::string& LblCaption, rt::VArray& VarOptText,
                               rt::VArray& OptChoosen, const std::string& HelpTopicNo)
{
    LibraryState& state = libraryState();
    state.DialogConfirmed = false;
    try {
        const std::int16_t n = itemCount(VarOptText, HALVEX_MEMBER(ClsValmor, ShowGroupList1), "VarOptText");
        state.DialogHelpTopic = HelpTopicNo;
        const quillon::ClsLanguageText& texts = textLib();
        std::vector<std::string> entries(static_cast<std::size_t>(n) + 1);
        for (std::int32_t k = 1; k <= n; ++k) entries[k] = texts.GetText(VarOptText.at(k));
        const auto ticked = runGroupList(*this, FormCaption, LblCaption, entries, OptChoosen,
                                         [&texts](const rt::Variant& chosen, const std::string& entry) {
                                             if (chosen.type() == rt::VarType::Long)
                                                 return texts.GetText(chosen) == entry;
                                             return chosen == rt::Variant(entry);
                                         });
        if (!ticked) return true;
        rt::VArray result;
        result.redim(0, static_cast<std::int32_t>(ticked->size()));
        for (std::size_t i = 0; i < ticked->size(); ++i)
            result.at(static_cast<std::int32_t>(i + 1)) = VarOptText.at((*ticked)[i] + 1);
        OptChoosen = std::move(result);
        groupListForm().Unload();
        return false;
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowGroupList1));
        groupListForm().Unload();
        state.DialogConfirmed = false;
        return true;
    }
}

bool ClsValmor::ShowMenuView(const std::string& FormCaption, rt::VArray& OptText, std::string& OptChoosen,
                             const std::string& LblCaption, const std::string& HelpTopicNo)
{
    LibraryState& state = libraryState();
    state.DialogConfirmed = false;
    try {
        const std::int16_t n = itemCount(OptText, HALVEX_MEMBER(ClsValmor, ShowMenuView), "OptText");
        std::vector<std::string> options(static_cast<std::size_t>(n) + 1);
        for (std::int32_t k = 1; k <= n; ++k) options[k] = OptText.at(k).toString();
        switch (menuViewCase(options)) {
        case 0: return true;
        case 1:
            OptChoosen = options[1];
            state.DialogConfirmed = true;
            return false;
        default: break;
        }
        state.DialogHelpTopic = HelpTopicNo;
        const std::string preselect = OptChoosen;
        const std::int16_t chosen = runMenuView(*this, FormCaption, LblCaption, options,
                                                [&preselect](const std::string& caption) { return caption == preselect; });
        if (chosen == 0) return true;
        OptChoosen = withoutMarker(options[chosen]);
        mnuViewForm().Unload();
        return false;
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowMenuView));
        mnuViewForm().Unload();
        state.DialogConfirmed = false;
        return true;
    }
}

bool ClsValmor::ShowMenuView1(const std::string& FormCaption, rt::VArray& OptText, rt::Variant& OptChoosen,
                              const std::string& LblCaption, const std::string& HelpTopicNo)
{
    LibraryState& state = libraryState();
    state.DialogConfirmed = false;
    try {
        const std::int16_t n = itemCount(OptText, HALVEX_MEMBER(ClsValmor, ShowMenuView1), "OptText");
        const quillon::ClsLanguageText& texts = textLib();
        std::vector<std::string> options(static_cast<std::size_t>(n) + 1);
        for (std::int32_t k = 1; k <= n; ++k) options[k] = texts.GetText(OptText.at(k));
        switch (menuViewCase(options)) {
        case 0: return true;
        case 1:
            OptChoosen = OptText.at(1);
            state.DialogConfirmed = true;
            return false;
        default: break;
        }
        state.DialogHelpTopic = HelpTopicNo;
        const rt::Variant preselect = OptChoosen;
        const std::int16_t chosen =
            runMenuView(*this, FormCaption, LblCaption, options, [&](const std::string& caption) {
                if (preselect.type() == rt::VarType::Long) return caption == texts.GetText(preselect);
                return rt::Variant(caption) == preselect;
            });
        if (chosen == 0) return true;
        OptChoosen = OptText.at(chosen);
        mnuViewForm().Unload();
        return false;
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowMenuView1));
        mnuViewForm().Unload();
        state.DialogConfirmed = false;
        return true;
    }
}

void ClsValmor::AddCmbData(forms::Control& CmbData, std::int16_t NData, std::int16_t IData, std::int16_t IBaseData,
                           bool BlnCmbVisible)
{
    // The box's errors reach the caller under this member's name.
    AsMember(HALVEX_MEMBER(ClsValmor, AddCmbData), [&] {
        if (BlnCmbVisible) CmbData.Visible(true);
        CmbData.Clear();
        if (IBaseData == -1) {
            CmbData.AddItem("");
            IData = -1;
            IBaseData = 1;
        }
        for (std::int32_t k = IBaseData; k <= NData; ++k) CmbData.AddItem(std::to_string(k));
        try {
            if (IBaseData <= IData && IData <= NData) CmbData.Text(std::to_string(IData));
        } catch (const rt::RuntimeError&) {
            // A selection that fails leaves the box filled and unselected.
        }
    });
}

void ClsValmor::ReadFirma(std::string& Firma1, std::string& Firma2) { readHeaderFile(Firma1, Firma2); }

bool ClsValmor::ShowFirma(std::string& Firma1, std::string& Firma2)
{
    LibraryState& state = libraryState();
    bool result = true;
    state.DialogConfirmed = false;
    frmFirma& f = firmaForm();
    try {
        const quillon::ClsLanguageText& texts = textLib();
        f.CmdCancel->Caption(buttonText(TextNo(7)));
        f.cmdHelp->Caption(buttonText(TextNo(8)));
        f.cmdSave->Caption(buttonText(TextNo(111)));
        f.Caption(text(TextNo(140116)));
        f.FraParData->Caption(texts.GetText(rt::Variant(TextNo(140116)), {rt::Variant(4)}));
        f.Panel3D2->Caption(texts.GetText(rt::Variant(TextNo(140117)), {rt::Variant("|1"), rt::Variant(1)}));
        f.Panel3D3->Caption(texts.GetText(rt::Variant(TextNo(140117)), {rt::Variant("|1"), rt::Variant(2)}));

        // A file that cannot be read whole has been reported; the dialog
        // still opens with what was read, so that Save repairs the file.
        readHeaderFile(Firma1, Firma2);
        f.txtFirma1->Text(Firma1);
        f.txtFirma2->Text(Firma2);
        UseLanguageFont(f);
        FitButtonRow(f, {&*f.cmdSave, &*f.CmdCancel, &*f.cmdHelp});
        GrowToHoldControls(f);
        CentreOnOwner(f);
        SetRightToLeft(f);
        f.Show(forms::vbModal);
        if (state.DialogConfirmed) {
            Firma1 = f.txtFirma1->Text();
            Firma2 = f.txtFirma2->Text();
            // A failed save has been reported; the old file stays whole.
            const bool saved = writeHeaderFile(Firma1, Firma2);
            f.Unload();
            state.DialogConfirmed = saved;
            result = !saved;
        }
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowFirma));
        f.Unload();
        state.DialogConfirmed = false;
        result = true;
    }
    return result;
}

void ClsValmor::ShowLanguageSetting()
{
    // Cleared here too: a form whose captions fail stops its load before it
    // would clear the verdict an earlier dialog left.
    libraryState().DialogConfirmed = false;
    frmLanguage& f = languageForm();
    try {
        f.Show(forms::vbModal);
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowLanguageSetting));
        f.Unload();
    }
}

rt::Variant ClsValmor::ShowAbout(CalculationMethod Shws, CalculationMethod Shys, bool PrbIsIsolatedSlab)
{
    LibraryState& state = libraryState();
    frmAbout& f = aboutForm();
    try {
        f.cmdOK->Caption(buttonText(TextNo(6)));
        f.Caption(text(TextNo(140119)));
        f.cmdSysInfo->Caption(buttonText(TextNo(140120)));
        f.LblOnLineSupport->Caption(text(TextNo(140121)));

        // HelpText holds the text being composed.
        const std::int32_t kind = state.ProgramKind;
        switch (kind) {
        case MirvaTool: f.picIcon(0).Visible(true); break;
        case MirvaEditor: showIconAtFirstPlace(f.picIcon(2)); break;
        case MirvaBOHR:
        case ProgBOHR: showIconAtFirstPlace(f.picIcon(1)); break;
        default:
            f.picIcon(0).Visible(true);
            state.HelpText = text(TextNo(160005));
            break;
        }

        if (kind == ProgBOHR) {
            state.HelpText = text(TextNo(140124));
        } else if (kind == MirvaBOHR) {
            state.HelpText = text(TextNo(20000));
        } else if (kind == MirvaEditor) {
            state.HelpText = text(TextNo(140125));
        } else if (kind == MirvaTool) {
            state.HelpText = text(TextNo(140126));
        } else if (!PrbIsIsolatedSlab) {
            state.HelpText = text(TextNo(160005));
            if (Shys == SystemOfElasticSlabs || Shys == SystemOfRigidSlabs || Shys == SystemOfFlexibleSlabs)
                state.HelpText = text(TextNo(140167));
            switch (Shws) {
            case MethodSlabFloor: state.HelpText = text(TextNo(160004)); break;
            case MethodGridbeams: state.HelpText = text(TextNo(160002)); break;
            case MethodPlaneFrame: state.HelpText = text(TextNo(153)); break;
            case MethodWallPlate: state.HelpText = text(TextNo(160054)); break;
            default: break;
            }
            state.HelpText += text(TextNo(90167));
        }
        f.lblTitle->Caption(state.HelpText);
        state.HelpText.clear();

        std::string description;
        if (Shws != 0 && kind != MirvaBOHR) {
            description = text(TextNo(140148)) + CR;
            if (PrbIsIsolatedSlab) {
                std::string line1;
                std::string line2;
                GetMethodTitle(Shws, line1, line2, 1);
                description += line1 + CR + line2 + CR + CR;
            } else {
                description += CR + text(TextNo(140167)) + CR + CR;
            }
        }
        if (kind == MirvaEditor)
            description = text(TextNo(140127)) + CR + CR + text(TextNo(140128)) + CR + CR + text(TextNo(140129));
        f.lblDescription->Caption(description + CR + GetAboutText(kind));

        state.HelpText = text(TextNo(90));
        f.lblDisclaimer->Caption(state.HelpText);
        UseLanguageFont(f);
        for (forms::Control* button : {&*f.cmdOK, &*f.cmdSysInfo}) WidenToCaption(f, *button);
        const std::int32_t buttonWidth = std::max(f.cmdOK->Width(), f.cmdSysInfo->Width());
        for (forms::Control* button : {&*f.cmdOK, &*f.cmdSysInfo}) button->Width(buttonWidth);
        GrowToHoldControls(f);
        CentreOnOwner(f);
        SetRightToLeft(f);
        f.Show(forms::vbModal);
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowAbout));
        f.Unload();
    }
    return rt::Variant();
}

}  // namespace halvex
