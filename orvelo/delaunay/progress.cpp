#include "orvelo/delaunay/progress.h"

#include <algorithm>

#include "orvelo/project/services.h"

namespace orvelo::mesher {

bool StopRequested(bool advance) {
    drovik::ClsWaitWindow* window = OperationWaitWindow();
    if (window == nullptr) return false;
    bool cancelled = false;
    window->UpdateProgress(advance, cancelled);
    return cancelled;
}

void ShowStatusText(std::int32_t textNumber) {
    drovik::ClsWaitWindow* window = OperationWaitWindow();
    if (window == nullptr) return;
    window->StatusText(LanguageTexts().GetText(rt::Variant(textNumber)));
}

void SetProgressMax(std::int64_t steps) {
    drovik::ClsWaitWindow* window = OperationWaitWindow();
    if (window == nullptr) return;
    window->ProgressMax(static_cast<std::int32_t>(std::clamp<std::int64_t>(steps, 0, INT32_MAX)));
}

}  // namespace orvelo::mesher
