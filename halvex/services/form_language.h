// Form language and right-to-left layout: every form of the family is
// prepared for the interface language before it is shown (font face and
// character set of the language, and for a right-to-left language the
// whole form mirrored), plus two small window services used around forms.
#pragma once

#include <cstdint>

namespace forms {
class Form;
}

namespace halvex {

// Gives every control and the form itself the language's font face (text
// 160039) and character set; for a right-to-left language it then mirrors
// the form: positions reflected in their containers, extended window
// styles by control type, left and right alignment swapped, RightToLeft
// set. Every step that fails (a control without a font, window or
// alignment) is skipped; the form is refreshed in every case. Call it once,
// while preparing the form, before it is shown.
void SetFormLanguage(forms::Form& frm);

// Centres a form that is not maximised on the screen, in twips. A form that
// cannot be moved (minimised) raises the layer's error to the caller.
void CenterFormOnScreen(forms::Form& frm);

// Disables the first window of class "WaitTaint" found below parentHwnd
// (depth first), if it is enabled; nothing when there is none.
void DisableWaitTaintWindow(const std::int32_t& parentHwnd);

// Depth-first search below hwnd for a window of class "WaitTaint"; stores
// it in found. Returns at once (True) when found is already set. Lets
// pending window events run once per child visited.
bool FindWaitTaintWindow(const std::int32_t& hwnd, std::int32_t& found);

}  // namespace halvex
