#include "halvex/settings/dialog_helpers.h"

#include <cmath>
#include <cstdio>

#include "halvex/interface/enums.h"
#include "halvex/services/help.h"
#include "halvex/services/input_checks.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/settings_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
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

}  // namespace halvex::settingsdialog
