#include "platform/forms/ui_thread.h"

#include <atomic>
#include <thread>

namespace forms {

namespace {

std::atomic<std::thread::id>& uiThread() {
    static std::atomic<std::thread::id> id{std::this_thread::get_id()};
    return id;
}

// Taken when the forms layer is loaded.
[[maybe_unused]] const bool taken = (uiThread(), true);

}  // namespace

bool onUiThread() { return uiThread().load() == std::this_thread::get_id(); }

void requireUiThread() {
    if (!onUiThread()) {
        throw WrongThreadError(
            "Called from a thread other than the UI thread: the forms layer and the Halvex library are used "
            "on the UI thread only");
    }
}

void setUiThread() { uiThread().store(std::this_thread::get_id()); }

}  // namespace forms
