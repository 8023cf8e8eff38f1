// For procedures that ignore their errors step by step: a step that fails
// is skipped and the next one runs.
#pragma once

#include <exception>

namespace halvex {

template <typename Step>
void ignoringErrors(Step step)
{
    try {
        step();
    } catch (const std::exception&) {
        // The step is skipped.
    }
}

}  // namespace halvex
