#include "orvelo/project/services.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include "halvex/interface/enums.h"

namespace orvelo {

namespace {

struct ProgramServices {
    std::unique_ptr<drovik::ClsRunControl> runControl;
    std::unique_ptr<drovik::ClsProjectReader> projectReader;
    std::unique_ptr<drovik::ClsNetSettings> netSettings;
    std::unique_ptr<drovik::ClsGeometryHelper> geometryHelper;
    std::unique_ptr<drovik::ClsFileCheck> fileCheck;
    std::unique_ptr<drovik::ClsPointListTools> pointListTools;
    std::unique_ptr<drovik::ClsProjectPacker> projectPacker;
    std::unique_ptr<quillon::ClsLanguageText> languageTexts;
    std::unique_ptr<halvex::ClsValmor> sharedServices;
    std::function<drovik::ClsWaitWindow*()> waitWindowSource;
};

ProgramServices& services() {
    static ProgramServices s;
    return s;
}

template <class T>
T& createdOnFirstUse(std::unique_ptr<T>& reference) {
    if (!reference) reference = std::make_unique<T>();
    return *reference;
}

}  // namespace

drovik::ClsRunControl& RunControl() { return createdOnFirstUse(services().runControl); }
drovik::ClsProjectReader& ProjectReader() { return createdOnFirstUse(services().projectReader); }
drovik::ClsNetSettings& NetSettings() { return createdOnFirstUse(services().netSettings); }
drovik::ClsGeometryHelper& GeometryHelper() { return createdOnFirstUse(services().geometryHelper); }
drovik::ClsFileCheck& FileCheck() { return createdOnFirstUse(services().fileCheck); }
drovik::ClsPointListTools& PointListTools() { return createdOnFirstUse(services().pointListTools); }
drovik::ClsProjectPacker& ProjectPacker() { return createdOnFirstUse(services().projectPacker); }
quillon::ClsLanguageText& LanguageTexts() { return createdOnFirstUse(services().languageTexts); }
halvex::ClsValmor& SharedServices() { return createdOnFirstUse(services().sharedServices); }

drovik::ClsWaitWindow* OperationWaitWindow() {
    const auto& source = services().waitWindowSource;
    return source ? source() : nullptr;
}

bool OperationStopRequested(bool advance) {
    drovik::ClsWaitWindow* window = OperationWaitWindow();
    if (window == nullptr) return false;
    bool cancelled = false;
    window->UpdateProgress(advance, cancelled);
    // A stop ends the run without saving, wherever it is noticed: nothing
    // of a stopped run is ever taken as finished.
    if (cancelled) RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving));
    return cancelled;
}

void SetOperationProgressMax(std::int64_t steps) {
    drovik::ClsWaitWindow* window = OperationWaitWindow();
    if (window == nullptr) return;
    window->ProgressMax(static_cast<std::int32_t>(std::clamp<std::int64_t>(steps, 0, INT32_MAX)));
}

void SetOperationWaitWindowSource(std::function<drovik::ClsWaitWindow*()> source) {
    services().waitWindowSource = std::move(source);
}

void resetServices() { services() = ProgramServices{}; }

void useLanguageTexts(std::unique_ptr<quillon::ClsLanguageText> texts) {
    services().languageTexts = std::move(texts);
}

}  // namespace orvelo
