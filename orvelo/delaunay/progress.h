// The meshers' calls on the wait window of the running operation (the stop
// and progress calls forward to those of project/services.h). With no
// operation running (OperationWaitWindow() is nullptr, as in a headless run)
// every call does nothing and no stop is ever reported.
#pragma once

#include <cstdint>
#include <string>

namespace orvelo::mesher {

// ClsWaitWindow.UpdateProgress: advance counts one step; true when the user
// asked to stop.
bool StopRequested(bool advance);

// True when the running operation has a wait window. Without one
// StopRequested does nothing and never reports a stop, so a long loop may
// look once and leave its per-step calls out.
bool HasWaitWindow();

// StopRequested(true) steps times, ending at the first that reports a stop;
// with no wait window, nothing at all.
bool StepsDone(std::int64_t steps);

// ClsWaitWindow.StatusText with a text of the interface language.
void ShowStatusText(std::int32_t textNumber);

// ClsWaitWindow.ProgressMax (32-bit: a product such as 2 x the element count
// never overflows).
void SetProgressMax(std::int64_t steps);

}  // namespace orvelo::mesher
