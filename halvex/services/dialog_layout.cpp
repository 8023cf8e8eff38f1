#include "halvex/services/dialog_layout.h"

#include <algorithm>

#include "halvex/services/library_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"
#include "platform/runtime/errors.h"

namespace halvex {

void UseLanguageFont(forms::Form& frm)
{
    const quillon::ClsLanguageText& texts = textLib();
    forms::StdFont font = frm.Font();
    font.Name = texts.GetText(rt::Variant(quillon::TextNo(160039)));
    font.Charset = static_cast<std::int16_t>(texts.FormCharset());
    frm.Font(font);
}

std::int32_t CaptionWidth(forms::Form& frm, const forms::Control& control, const std::string& caption)
{
    const std::int32_t text = frm.TextWidth(caption);
    switch (control.kind()) {
    case forms::Kind::CommandButton: return text + kButtonCaptionPadding;
    case forms::Kind::OptionButton:
    case forms::Kind::CheckBox: return text + kIndicatorPadding;
    default: return text;
    }
}

std::int32_t WidenToCaption(forms::Form& frm, forms::Control& control)
{
    const std::int32_t grown = std::max(0, CaptionWidth(frm, control, control.Caption()) - control.Width());
    if (grown > 0) control.Width(control.Width() + grown);
    return grown;
}

void FitButtonRow(forms::Form& frm, std::initializer_list<forms::Control*> buttons)
{
    if (buttons.size() == 0) return;
    forms::Control& first = **buttons.begin();
    std::int32_t width = first.Width();
    for (forms::Control* b : buttons) width = std::max(width, CaptionWidth(frm, *b, b->Caption()));
    const std::int32_t gap = buttons.size() > 1 ? (*(buttons.begin() + 1))->Left() - first.Left() - first.Width() : 0;
    std::int32_t left = first.Left();
    for (forms::Control* b : buttons) {
        b->Left(left);
        b->Width(width);
        left += width + gap;
    }
}

void GrowToHoldControls(forms::Form& frm, std::int32_t margin)
{
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    for (forms::Control* c : frm.Controls()) {
        try {
            if (c->Container() != nullptr || !c->Visible()) continue;
            right = std::max(right, c->Left() + c->Width());
            bottom = std::max(bottom, c->Top() + c->Height());
        } catch (const rt::RuntimeError&) {
            // A control without a place of its own (a line, a timer).
        }
    }
    if (right + margin > frm.ScaleWidth()) frm.Width(frm.Width() + right + margin - frm.ScaleWidth());
    if (bottom + margin > frm.ScaleHeight()) frm.Height(frm.Height() + bottom + margin - frm.ScaleHeight());
}

void CentreOnOwner(forms::Form& frm)
{
    const forms::Screen& screen = forms::screen();
    forms::Form* owner = screen.ActiveForm();
    std::int32_t left = 0, top = 0, width = screen.Width(), height = screen.Height();
    if (owner != nullptr && owner != &frm && owner->Visible() && owner->WindowState() == forms::vbNormal) {
        left = owner->Left();
        top = owner->Top();
        width = owner->Width();
        height = owner->Height();
    }
    const auto centred = [](std::int32_t start, std::int32_t room, std::int32_t size, std::int32_t screenSize) {
        return std::clamp(start + (room - size) / 2, 0, std::max(0, screenSize - size));
    };
    frm.Left(centred(left, width, frm.Width(), screen.Width()));
    frm.Top(centred(top, height, frm.Height(), screen.Height()));
}

}  // namespace halvex
