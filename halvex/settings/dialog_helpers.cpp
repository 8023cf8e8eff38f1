#include "halvex/settings/dialog_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "halvex/interface/enums.h"
#include "halvex/services/dialog_layout.h"
#include "halvex/services/help.h"
#include "halvex/services/input_checks.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/settings_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"
#include "platform/runtime/numbertext.h"

namespace halvex::settingsdialog {

namespace {

std::string withSystemSeparator(std::string number)
{
    if (SystemDecimalType() == SystemComma) {
        for (char& c : number) {
            if (c == '.') c = ',';
        }
    }
    return number;
}

}  // namespace

std::string text(std::int32_t number)
{
    return textLib().GetText(rt::Variant(number));
}

std::string textWith(std::int32_t number, std::int32_t parameter)
{
    return textLib().GetText(rt::Variant(number), {rt::Variant(parameter)});
}

void buttonCaptions(forms::Form& form)
{
    form.control("cmdOK").Caption(textWith(quillon::TextNo(6), 1));
    form.control("CmdCancel").Caption(textWith(quillon::TextNo(7), 1));
    form.control("cmdHelp").Caption(textWith(quillon::TextNo(8), 1));
    form.control("cmdSave").Caption(textWith(quillon::TextNo(111), 1));
}

void addButtons(forms::Form& form, std::int32_t left, std::int32_t top)
{
    const char* names[] = {"cmdOK", "CmdCancel", "cmdSave", "cmdHelp"};
    for (int i = 0; i < 4; ++i) {
        forms::Control& button = form.addControl(forms::Kind::CommandButton, names[i]);
        button.Move(left, top + 420 * i, 1215, 375);
    }
    form.control("CmdCancel").Cancel(true);
}

std::string userNumber(float value)
{
    return withSystemSeparator(rt::formatSingle(value));
}

std::string twoDecimals(float value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", static_cast<double>(value));
    return withSystemSeparator(buffer);
}

float boxValue(const forms::Control& box)
{
    rt::Variant value(box.Text());
    return CSngSafe(value);
}

bool rejected(forms::Control& box, std::int32_t title)
{
    return CheckInputType(box, InputSingleZeroOrGreater, 0, 0, rt::Variant(title));
}

void fillList(forms::Control& list)
{
    const SettingsWorkingState& s = settingsState();
    list.Clear();
    for (std::size_t k = 1; k < s.SettingItemNames.size(); ++k) list.AddItem(s.SettingItemNames[k]);
}

void currentFromList(const forms::Control& list, std::int16_t& current)
{
    if (list.ListIndex() >= 0) current = static_cast<std::int16_t>(list.ListIndex() + 1);
}

void showHelp(forms::Form& form, const std::string& topic)
{
    ShowHelpTopic(form.hWnd(), topic, 0);
}

namespace {
constexpr std::int32_t kButtonPadding = kButtonCaptionPadding;
}

std::int32_t widenToCaption(forms::Form& form, forms::Control& button)
{
    const std::int32_t grown = std::max(0, form.TextWidth(button.Caption()) + kButtonPadding - button.Width());
    button.Width(button.Width() + grown);
    return grown;
}

void fitAndCentre(forms::Form& form)
{
    constexpr std::int32_t kMargin = 120;
    forms::Control& ok = form.control("cmdOK");
    std::vector<forms::Control*> column;
    std::int32_t columnWidth = ok.Width();
    for (forms::Control* c : form.Controls()) {
        if (c->kind() != forms::Kind::CommandButton || c->Container() != nullptr || c->Left() != ok.Left()) continue;
        column.push_back(c);
        columnWidth = std::max(columnWidth, form.TextWidth(c->Caption()) + kButtonPadding);
    }
    // Whatever stands right of the column (a right-to-left form mirrors it
    // to the left) moves with its new right edge.
    const std::int32_t columnRight = ok.Left() + ok.Width();
    const std::int32_t grown = columnWidth - ok.Width();
    for (forms::Control* c : form.Controls()) {
        if (grown > 0 && c->Container() == nullptr && c->Left() >= columnRight) c->Left(c->Left() + grown);
    }
    for (forms::Control* c : column) c->Width(columnWidth);

    GrowToHoldControls(form, kMargin);
    CentreOnOwner(form);
}

}  // namespace halvex::settingsdialog
