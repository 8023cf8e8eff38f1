// Wait and status display, exit confirmation and method titles: small
// services a program of the family calls around its own windows.
//
// The wait form is the caller's: a form with the labels LblFlashing and
// LblInfText and the button cmdOK. The status bar is the caller's StatusBar
// control; its first panel takes the text. A form or status bar that lacks
// one of these raises the layer's error to the caller; so does a failure of
// the text library. Sizes are twips.
#pragma once

#include <cstdint>
#include <string>

#include "halvex/interface/enums.h"
#include "platform/runtime/variant.h"

namespace forms {
class Control;
class Form;
}

namespace halvex {

// What the wait texts say (ITxtCont): 1 the file's kind only, 2 reading the
// current file, 3 saving it; StatusWait also takes 4 (saving).
inline constexpr std::int16_t kWaitKindOnly = 1;
inline constexpr std::int16_t kWaitReading = 2;
inline constexpr std::int16_t kWaitSaving = 3;

// Fills the caller's wait form (when given) with the wait line (text 104)
// and the information text about CurrentFilePath and its kind, lays it out
// (it only grows, and keeps its size when maximised), centres it on the
// screen and lets pending events run once; writes the information text into
// the status bar (when given). Does not show the form.
void StartWait(forms::Form* FrmShow, std::int16_t ITxtCont, forms::Control* ObjStbar);

// Writes the reading text (ITxtCont 1 or 2) or the saving text (3 or 4) of
// CurrentFilePath, followed by its kind, into the status bar; any other
// value writes the kind alone.
void StatusWait(forms::Control& ObjStbar, std::int16_t ITxtCont);

// Sets the first panel of a visible status bar to TextWait and refreshes
// it; then lets pending events run once in any case.
void StatusClear(forms::Control& ObjStbar, const std::string& TextWait);

// Asks whether to close the program (texts 140172 and 140173, OK and
// Cancel). UnloadMode 1 (the program closes the window itself) returns
// False at once and leaves Cancel alone. Otherwise Cancel becomes True (-1)
// whatever the answer, so a query-unload handler keeps its window open, and
// the result is True when the user chose OK: the caller then closes the
// window itself.
bool ExitMessage(std::int16_t& Cancel, std::int16_t UnloadMode);

// The two title lines that name a calculation method: TitelUe1 the method
// line with its number and kind, TitelUe2 the method's name. Members
// without titles (10, 11, 12, values outside the enumeration) leave both
// unchanged; 15, 16, 21 and 22 set only TitelUe2. Nbp (1 or 2) picks the
// number of the subgrade-modulus methods. The result is always Empty.
rt::Variant GetMethodTitle(CalculationMethod Shws, std::string& TitelUe1, std::string& TitelUe2,
                           std::int16_t Nbp);

}  // namespace halvex
