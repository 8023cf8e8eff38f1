#include "halvex/services/cls_valmor.h"
#include "halvex/services/grid_input.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"

namespace halvex {

std::string ClsValmor::HeadGrid() const { return libraryState().HeadGrid; }
void ClsValmor::HeadGrid(const std::string& value) { libraryState().HeadGrid = value; }
std::int16_t ClsValmor::NoColGrid() const { return libraryState().NoColGrid; }
void ClsValmor::NoColGrid(std::int16_t value) { libraryState().NoColGrid = value; }
std::int16_t ClsValmor::NoRowGrid() const { return libraryState().NoRowGrid; }
void ClsValmor::NoRowGrid(std::int16_t value) { libraryState().NoRowGrid = value; }

bool ClsValmor::ShowGridInput(rt::VArray& TitleGrid, rt::VArray& HGrid, rt::VArray& InputTypeGrid,
                              rt::VArray& MaxInputGrid, rt::VArray& MinInputGrid, const std::string& HelpTopicNo)
{
    return halvex::ShowGridInput(TitleGrid, HGrid, InputTypeGrid, MaxInputGrid, MinInputGrid, HelpTopicNo);
}

void ClsValmor::SetGridHeader(rt::VArray& TitleGrid, rt::VArray& HGrid, forms::Form& Objform, forms::Control& ObjGrid)
{
    AsMember(HALVEX_MEMBER(ClsValmor, SetGridHeader),
             [&] { halvex::SetGridHeader(TitleGrid, HGrid, Objform, ObjGrid); });
}

void ClsValmor::ReadGridValues()
{
    AsMember(HALVEX_MEMBER(ClsValmor, ReadGridValues), [&] { halvex::ReadGridValues(); });
}

void ClsValmor::ShowTxtInputBox(forms::Control& txtInput, forms::Control& GrdInput, std::int16_t KeyAscii)
{
    AsMember(HALVEX_MEMBER(ClsValmor, ShowTxtInputBox), [&] { halvex::ShowTxtInputBox(txtInput, GrdInput, KeyAscii); });
}

void ClsValmor::InputGridCopy(forms::Control& GrdInput, forms::Control& cmdDelete)
{
    AsMember(HALVEX_MEMBER(ClsValmor, InputGridCopy), [&] { halvex::InputGridCopy(GrdInput, cmdDelete); });
}
void ClsValmor::InputGridDelete(forms::Control& GrdInput, forms::Control& cmdDelete)
{
    AsMember(HALVEX_MEMBER(ClsValmor, InputGridDelete), [&] { halvex::InputGridDelete(GrdInput, cmdDelete); });
}
void ClsValmor::InputGridInsert(forms::Control& GrdInput, forms::Control& cmdDelete)
{
    AsMember(HALVEX_MEMBER(ClsValmor, InputGridInsert), [&] { halvex::InputGridInsert(GrdInput, cmdDelete); });
}
void ClsValmor::InputGridNew(forms::Control& GrdInput, forms::Control& cmdDelete)
{
    AsMember(HALVEX_MEMBER(ClsValmor, InputGridNew), [&] { halvex::InputGridNew(GrdInput, cmdDelete); });
}

}  // namespace halvex
