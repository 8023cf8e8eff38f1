// Members of ClsValmor: input checks, conversions and array helpers.
#include "halvex/services/cls_valmor.h"
#include "halvex/services/input_checks.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"

namespace halvex {

std::int32_t ClsValmor::CIntPrivate(const rt::Variant& CheckValue)
{
    return AsMember(HALVEX_MEMBER(ClsValmor, CIntPrivate), [&] { return halvex::CIntPrivate(CheckValue); });
}

float ClsValmor::CSngPrivate(const rt::Variant& CheckValue)
{
    return AsMember(HALVEX_MEMBER(ClsValmor, CSngPrivate), [&] { return halvex::CSngPrivate(CheckValue); });
}

void ClsValmor::ReDimPreserveTwoDimArray(rt::Variant& arrayname, const std::int16_t& i, const std::int16_t& j)
{
    AsMember(HALVEX_MEMBER(ClsValmor, ReDimPreserveTwoDimArray), [&] { ReDimPreserve2D(arrayname, i, j); });
}

std::int32_t ClsValmor::UBoundPrivate(const rt::Variant& arrayname, const std::int16_t& intDimension)
{
    return UBoundSafe(arrayname, intDimension);
}

std::int32_t ClsValmor::UBoundPrivate(const rt::VArray& arrayname, const std::int16_t& intDimension)
{
    return UBoundSafe(arrayname, intDimension);
}

bool ClsValmor::InputType(forms::Control& InputObject, std::int16_t InputDataType, double MaxInput,
                          double MinInput, const rt::Variant& TextInf1)
{
    return AsMember(HALVEX_MEMBER(ClsValmor, InputType),
                    [&] { return CheckInputType(InputObject, InputDataType, MaxInput, MinInput, TextInf1); });
}

bool ClsValmor::InputType(forms::Control& InputObject, std::int16_t InputDataType, double MaxInput,
                          double MinInput, const forms::Control& TextInf1)
{
    return AsMember(HALVEX_MEMBER(ClsValmor, InputType),
                    [&] { return CheckInputType(InputObject, InputDataType, MaxInput, MinInput, TextInf1); });
}

}  // namespace halvex
