#include "halvex/services/user_files.h"

#include <filesystem>
#include <system_error>

#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "halvex/services/units.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"

namespace halvex {

namespace {

[[noreturn]] void raiseNotWritten(std::int32_t number, const std::string& path, const std::string& reason)
{
    rt::raise(number, textLib().GetText(rt::Variant(quillon::TextNo(140350)),
                                        {rt::Variant("|1"), rt::Variant(path), rt::Variant("|2"), rt::Variant(reason)}));
}

}  // namespace

std::string UserFileToRead(const std::string& name)
{
    const std::string user = forms::userSettingsFolder() + "/" + name;
    std::error_code ec;
    if (std::filesystem::is_regular_file(user, ec)) return user;
    return AddBackslash(ApplicationPath()) + name;
}

std::string UserFileToWrite(const std::string& name)
{
    const std::string folder = forms::userSettingsFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) raiseNotWritten(75, folder + "/" + name, ec.message());
    return folder + "/" + name;
}

void RaiseWriteFailure(const std::string& path, const rt::RuntimeError& error)
{
    raiseNotWritten(error.number(), path, error.description());
}

}  // namespace halvex
