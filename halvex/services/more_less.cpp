#include "halvex/services/more_less.h"

#include <string>
#include <vector>

#include "halvex/services/form_language.h"
#include "halvex/services/library_state.h"
#include "halvex/services/step_errors.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/form.h"

namespace halvex {

void ApplyMoreState(forms::Form& frm, forms::Control& panel, bool more, std::int16_t /*maxHeight*/)
{
    const std::vector<rt::Variant> justOne{rt::Variant(std::int32_t{1})};
    if (more) {
        ignoringErrors([&] {
            frm.control("cmdMoreLess").Caption("<< " + textLib().GetText(quillon::TextNo(140014), justOne));
        });
        ignoringErrors([&] { frm.Height(panel.Top() + panel.Height() + 600); });
        ignoringErrors([&] { panel.Visible(true); });
    } else {
        ignoringErrors([&] {
            frm.control("cmdMoreLess").Caption(textLib().GetText(quillon::TextNo(140013), justOne) + " >>");
        });
        ignoringErrors([&] {
            forms::Control& button = frm.control("cmdMoreLess");
            frm.Height(button.Top() + button.Height() + 500);
        });
        ignoringErrors([&] { panel.Visible(false); });
    }
    ignoringErrors([&] { CenterFormOnScreen(frm); });
}

}  // namespace halvex
