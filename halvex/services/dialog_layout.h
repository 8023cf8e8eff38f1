// Layout of the library's dialogs in every language: captions measured in
// the language's font, controls as wide as their captions need, the form
// grown to hold what it shows, and the form centred on the window it
// belongs to (the screen when there is none) and kept whole on the screen.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace forms {
class Control;
class Form;
}  // namespace forms

namespace halvex {

// Room a caption needs beside its text, twips: the button's frame and
// margins; the indicator of an option or check box and its gap.
inline constexpr std::int32_t kButtonCaptionPadding = 360;
inline constexpr std::int32_t kIndicatorPadding = 360;

// Gives the form its own font in the interface language's face and
// character set, as SetFormLanguage will, so that TextWidth measures a
// caption as it will show while the form is still being laid out.
void UseLanguageFont(forms::Form& frm);

// The width a control of the form needs for `caption` in the form's font:
// the text and, for a command button, its padding, for an option or check
// box its indicator; a label its text alone.
std::int32_t CaptionWidth(forms::Form& frm, const forms::Control& control, const std::string& caption);

// Widens the control to CaptionWidth of its caption (never narrower); the
// growth.
std::int32_t WidenToCaption(forms::Form& frm, forms::Control& control);

// A row of buttons, the first and the gap after it as designed: every
// button as wide as the widest caption needs (never narrower than the
// first), each placed after the one before it with that gap.
void FitButtonRow(forms::Form& frm, std::initializer_list<forms::Control*> buttons);

// Grows the form so that every visible control placed on it directly lies
// within its client area with `margin` twips to spare right and below.
void GrowToHoldControls(forms::Form& frm, std::int32_t margin = 120);

// Centres the form on the form that is active (a visible one in its normal
// state, other than this one), else on the screen, and keeps it on the
// screen, top-left corner first.
void CentreOnOwner(forms::Form& frm);

}  // namespace halvex
