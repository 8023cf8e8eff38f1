// Members of ClsValmor: help, user settings, folder browser, more/less panel.
#include "halvex/services/cls_valmor.h"
#include "halvex/services/folder_browser.h"
#include "halvex/services/help.h"
#include "halvex/services/more_less.h"
#include "halvex/services/private_settings.h"

namespace halvex {

std::string ClsValmor::SelectedDirctory(std::int32_t MeHwnd, const std::string& DataDir)
{
    return BrowseForFolder(MeHwnd, DataDir);
}

void ClsValmor::HelpMsg(const std::string& HelpTitle1) { ShowHelpPopup(HelpTitle1); }

std::string ClsValmor::GetHelpFileName(const std::string& StrHelpProgram)
{
    return SelectHelpFile(StrHelpProgram);
}

void ClsValmor::SavePrivateSetting(const std::string& AppName, const std::string& StrSection,
                                   const std::string& StrKey, const rt::Variant& VarSetting)
{
    SavePrivateSettingValue(AppName, StrSection, StrKey, VarSetting);
}

rt::Variant ClsValmor::GetPrivateSetting(const std::string& AppName, const std::string& StrSection,
                                         const std::string& StrKey, const rt::Variant& VarSetting)
{
    return GetPrivateSettingValue(AppName, StrSection, StrKey, VarSetting);
}

void ClsValmor::ShowHelp(const std::int32_t& Prghwnd, const std::string& HelpTopicNo,
                         const std::int32_t& IntMirvaProg2)
{
    ShowHelpTopic(Prghwnd, HelpTopicNo, IntMirvaProg2);
}

void ClsValmor::ChangeMoreState(forms::Form& ObjFrm, forms::Control& ObjPct, bool MoreState,
                                std::int16_t MaxHeight)
{
    ApplyMoreState(ObjFrm, ObjPct, MoreState, MaxHeight);
}

void ClsValmor::CloseHelpProg() { halvex::CloseHelpProg(); }

}  // namespace halvex
