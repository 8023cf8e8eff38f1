// The five modal dialogs of the graphic settings, on the working state
// (settings_state.h) that a Show member of SettingClass filled: each fills
// its item list, makes item 1 current and shows itself modally. OK sets
// DialogConfirmed; Save writes the family's file and keeps the dialog open.
// The current item is the list's entry (ListIndex + 1), so items of equal
// names are told apart.
#pragma once

namespace halvex {

void showLineDialog();      // frmSetLine
void showPaintDialog();     // frmPaintColors
void showOrdinateDialog();  // frmMaxOrdinate
void showFontDialog();      // frmFont
void showDisplayDialog();   // frmflags

}  // namespace halvex
