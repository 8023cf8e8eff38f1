// Internal to the settings dialogs: captions, number boxes and lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace forms {
class Control;
class Form;
}

namespace halvex::settingsdialog {

// Text `number`; with a parameter, the one-element parameter list.
std::string text(std::int32_t number);
std::string textWith(std::int32_t number, std::int32_t parameter);
// OK 6, Cancel 7, Help 8, Save 111 on cmdOK, CmdCancel, cmdHelp, cmdSave.
void buttonCaptions(forms::Form& form);
// Adds the standard buttons at the given left and first top, 420 apart.
void addButtons(forms::Form& form, std::int32_t left, std::int32_t top);
// A number as the user writes it: shortest form / two decimals, with the
// system's decimal separator.
std::string userNumber(float value);
std::string twoDecimals(float value);
// The box's value (0 for text that is no number).
float boxValue(const forms::Control& box);
// The check of a size box: a number of zero or more; true when rejected
// (message titled with text `title`).
bool rejected(forms::Control& box, std::int32_t title);
// The list refilled with names 1..N of the working state.
void fillList(forms::Control& list);
// The current item: the list's entry + 1; `current` unchanged without one.
void currentFromList(const forms::Control& list, std::int16_t& current);
// Help topic of a dialog by program kind.
void showHelp(forms::Form& form, const std::string& topic);
// A button made as wide as its caption needs (never narrower); the growth.
std::int32_t widenToCaption(forms::Form& form, forms::Control& button);
// Before a dialog shows: the column of buttons that cmdOK heads as wide as
// its longest caption, the form grown to hold every visible control with a
// margin of 120 twips, and the form centred on the form that was active
// (none: the screen), kept on the screen.
void fitAndCentre(forms::Form& form);

}  // namespace halvex::settingsdialog
