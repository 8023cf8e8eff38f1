// Members of ClsValmor: wait and status display, exit confirmation, method
// titles.
#include "halvex/services/cls_valmor.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "halvex/services/wait_display.h"

namespace halvex {

void ClsValmor::StartWait(forms::Form* FrmShow, std::int16_t ITxtCont, forms::Control* ObjStbar)
{
    // The caller's controls' errors reach it under the member's name.
    AsMember(HALVEX_MEMBER(ClsValmor, StartWait), [&] { halvex::StartWait(FrmShow, ITxtCont, ObjStbar); });
}

void ClsValmor::StatusWait(forms::Control& ObjStbar, std::int16_t ITxtCont)
{
    AsMember(HALVEX_MEMBER(ClsValmor, StatusWait), [&] { halvex::StatusWait(ObjStbar, ITxtCont); });
}

void ClsValmor::StatusClear(forms::Control& ObjStbar, const std::string& TextWait)
{
    AsMember(HALVEX_MEMBER(ClsValmor, StatusClear), [&] { halvex::StatusClear(ObjStbar, TextWait); });
}

bool ClsValmor::ExitMessage()
{
    // Left out, both arrive as 0.
    std::int16_t Cancel = 0;
    return halvex::ExitMessage(Cancel, 0);
}

bool ClsValmor::ExitMessage(std::int16_t& Cancel, const std::int16_t& UnloadMode)
{
    return halvex::ExitMessage(Cancel, UnloadMode);
}

rt::Variant ClsValmor::GetMethodTitle(CalculationMethod Shws, std::string& TitelUe1, std::string& TitelUe2,
                                      std::int16_t Nbp)
{
    return halvex::GetMethodTitle(Shws, TitelUe1, TitelUe2, Nbp);
}

}  // namespace halvex
