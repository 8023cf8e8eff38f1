#include "halvex/services/cls_valmor.h"

#include "halvex/services/file_kind.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "halvex/services/text_composition.h"

namespace halvex {

bool ClsValmor::chooseControl() const { return libraryState().DialogConfirmed; }
void ClsValmor::chooseControl(bool value) { libraryState().DialogConfirmed = value; }

std::string ClsValmor::HelpText() const { return libraryState().HelpText; }
void ClsValmor::HelpText(const std::string& value) { libraryState().HelpText = value; }
std::string ClsValmor::HelpTitle() const { return libraryState().HelpTitle; }
void ClsValmor::HelpTitle(const std::string& value) { libraryState().HelpTitle = value; }

std::string ClsValmor::ResolveString(const std::string& StrWithMacro, rt::VArray& varReplacements)
{
    return AsMember(HALVEX_MEMBER(ClsValmor, ResolveString),
                    [&] { return halvex::ResolveString(StrWithMacro, varReplacements); });
}

rt::Variant ClsValmor::TextInf() const { return libraryState().FileTypeText; }
void ClsValmor::TextInf(const rt::Variant& value) { libraryState().FileTypeText = value; }

void ClsValmor::GetTextInf(const std::string& pathname) { SetFileTypeText(pathname); }

std::string ClsValmor::Prod() const { return libraryState().CurrentFilePath; }
void ClsValmor::Prod(const std::string& value) { libraryState().CurrentFilePath = value; }

std::string ClsValmor::AppHelpFile() const { return libraryState().HelpFilePath; }
void ClsValmor::AppHelpFile(const std::string& value) { libraryState().HelpFilePath = value; }

std::int32_t ClsValmor::MirvaProg() const { return libraryState().ProgramKind; }
void ClsValmor::MirvaProg(std::int32_t value) { libraryState().ProgramKind = value; }

void ClsValmor::DivideString(std::int16_t NDivided, const rt::Variant& StrID, rt::VArray& DividedString)
{
    AsMember(HALVEX_MEMBER(ClsValmor, DivideString), [&] { halvex::DivideString(NDivided, StrID, DividedString); });
}

}  // namespace halvex
