// Members of ClsValmor: form language, right-to-left layout, centring.
#include "halvex/services/cls_valmor.h"
#include "halvex/services/form_language.h"

namespace halvex {

void ClsValmor::CenterForm(forms::Form& ObjFrm) { CenterFormOnScreen(ObjFrm); }

void ClsValmor::SetRightToLeft(forms::Form& frm) { SetFormLanguage(frm); }

void ClsValmor::HideMicroSoftLabel(const std::int32_t& ParentHwnd) { DisableWaitTaintWindow(ParentHwnd); }

}  // namespace halvex
