#include "halvex/services/library_state.h"

#include <filesystem>

#include "halvex/services/private_settings.h"
#include "halvex/services/units.h"
#include "platform/forms/ui_thread.h"

namespace halvex {

namespace {
// The library's members belong to the UI thread (platform/forms/ui_thread.h).
LibraryState& store()
{
    forms::requireUiThread();
    static LibraryState state;
    return state;
}
}  // namespace

LibraryState& libraryState()
{
    return store();
}

quillon::ClsLanguageText& textLib()
{
    LibraryState& state = store();
    if (!state.TextLib) {
        // The interface language is the one the language dialog stored.
        quillon::ClsLanguageText::setLanguageSource(StoredInterfaceLanguage);
        // The tables of the library's program folder, wherever the host is;
        // else those beside the executable.
        const std::string tables = ApplicationPath() + "/language/";
        std::error_code ec;
        if (std::filesystem::is_directory(tables, ec)) {
            state.TextLib = std::make_unique<quillon::ClsLanguageText>(tables, StoredInterfaceLanguage());
        } else {
            state.TextLib = std::make_unique<quillon::ClsLanguageText>();
        }
    }
    return *state.TextLib;
}

rt::DataChannel& libraryFileChannel()
{
    // The library's own channel, not the program's (rt::dataChannel()).
    static rt::DataChannel channel;
    return channel;
}

void resetLibraryState()
{
    store() = LibraryState{};
}

}  // namespace halvex
