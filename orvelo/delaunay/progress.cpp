#include "orvelo/delaunay/progress.h"

#include "orvelo/project/services.h"

namespace orvelo::mesher {

bool StopRequested(bool advance) { return OperationStopRequested(advance); }

bool HasWaitWindow() { return OperationWaitWindow() != nullptr; }

bool StepsDone(std::int64_t steps) {
    if (steps <= 0 || !HasWaitWindow()) return false;
    for (std::int64_t k = 0; k < steps; ++k)
        if (OperationStopRequested(true)) return true;
    return false;
}

void ShowStatusText(std::int32_t textNumber) {
    drovik::ClsWaitWindow* window = OperationWaitWindow();
    if (window == nullptr) return;
    window->StatusText(LanguageTexts().GetText(rt::Variant(textNumber)));
}

void SetProgressMax(std::int64_t steps) { SetOperationProgressMax(steps); }

}  // namespace orvelo::mesher
