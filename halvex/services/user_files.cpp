#include "halvex/services/user_files.h"

#include <filesystem>
#include <system_error>

#include "halvex/services/messages.h"
#include "halvex/services/units.h"
#include "platform/forms/settings.h"

namespace halvex {

std::string UserFileToRead(const std::string& name)
{
    const std::string user = forms::userSettingsFolder() + "/" + name;
    std::error_code ec;
    // Anything of that name is the user's: a folder or pipe there is
    // reported by the reader instead of being passed over silently.
    if (std::filesystem::exists(user, ec)) return user;
    return AddBackslash(ApplicationPath()) + name;
}

std::string UserFileToWrite(const std::string& name)
{
    return forms::userSettingsFolder() + "/" + name;
}

}  // namespace halvex
