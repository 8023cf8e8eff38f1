// The expand and collapse of a dialog's extra panel ("More >>" / "<< Less").
#pragma once

#include <cstdint>

namespace forms {
class Control;
class Form;
}

namespace halvex {

// more True: the form's button cmdMoreLess reads "<< " & text 140014, the
// form grows to 600 twips below the panel and the panel is shown. more
// False: the button reads text 140013 & " >>", the form ends 500 twips
// below the button and the panel is hidden. Then the form is centred on the
// screen. maxHeight takes no part. Steps that fail are skipped.
void ApplyMoreState(forms::Form& frm, forms::Control& panel, bool more, std::int16_t maxHeight);

}  // namespace halvex
