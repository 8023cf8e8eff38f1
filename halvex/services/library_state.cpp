#include "halvex/services/library_state.h"

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
    if (!state.TextLib)
        state.TextLib = std::make_unique<quillon::ClsLanguageText>();
    return *state.TextLib;
}

void resetLibraryState()
{
    store() = LibraryState{};
}

}  // namespace halvex
