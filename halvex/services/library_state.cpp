#include "halvex/services/library_state.h"

#include "halvex/services/private_settings.h"

namespace halvex {

namespace {
LibraryState& store()
{
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
        state.TextLib = std::make_unique<quillon::ClsLanguageText>();
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
