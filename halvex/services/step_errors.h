// For procedures that ignore their errors step by step: a step that fails
// is skipped and the next one runs. A call from the wrong thread is no
// step's error: it is refused whole (forms::WrongThreadError passes).
#pragma once

#include <exception>

#include "platform/forms/ui_thread.h"

namespace halvex {

template <typename Step>
void ignoringErrors(Step step)
{
    try {
        step();
    } catch (const forms::WrongThreadError&) {
        throw;
    } catch (const std::exception&) {
        // The step is skipped.
    }
}

}  // namespace halvex
