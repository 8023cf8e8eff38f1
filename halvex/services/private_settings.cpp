#include "halvex/services/private_settings.h"

#include <exception>

#include "platform/forms/settings.h"
#include "platform/forms/ui_thread.h"

namespace halvex {

void SavePrivateSettingValue(const std::string& app, const std::string& section,
                             const std::string& key, const rt::Variant& value)
{
    std::string text;
    if (value.type() == rt::VarType::Boolean) {
        text = value.toBool() ? "-1" : "0";
    } else {
        text = value.toString();
    }
    forms::settings().save(app, section, key, text);
}

rt::Variant GetPrivateSettingValue(const std::string& app, const std::string& section,
                                   const std::string& key, const rt::Variant& defaultValue)
{
    try {
        if (defaultValue.type() == rt::VarType::Boolean) {
            std::string stored =
                forms::settings().get(app, section, key, defaultValue.toBool() ? "-1" : "0");
            return rt::Variant(rt::Variant(stored).toBool());
        }
        return rt::Variant(forms::settings().get(app, section, key, defaultValue.toString()));
    } catch (const forms::WrongThreadError&) {
        throw;  // refused, not "nothing stored"
    } catch (const std::exception&) {
        return defaultValue;
    }
}

std::string StoredInterfaceLanguage()
{
    return GetPrivateSettingValue("valmor", "Interface Language setting", "Language", "").toString();
}

}  // namespace halvex
