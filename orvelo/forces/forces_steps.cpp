#include "orvelo/forces/forces_steps.h"

#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/runtime/errors.h"

namespace orvelo::forces {

void ShowStatus(std::int32_t textNumber) {
    halvex::ClsValmor& services = SharedServices();
    services.TextInf(rt::Variant(textNumber));
    if (drovik::ClsWaitWindow* window = OperationWaitWindow())
        window->StatusText(LanguageTexts().GetText(services.TextInf()));
}

void ProgressStep() {
    if (OperationStopRequested(true)) throw OperationStopped{};
}

drovik::ClsElementMatrices& ElementMatrices() {
    static drovik::ClsElementMatrices matrices;
    return matrices;
}

std::int16_t ReadDataFile(const std::string& path, std::int16_t mode, std::int16_t context,
                          const std::function<void()>& body) {
    halvex::ClsValmor& services = SharedServices();
    services.Prod(path);
    if (OpenDataFile(services.Prod(), mode, 1, context) != 0) return -1;
    try {
        body();
    } catch (const rt::RuntimeError& error) {
        raiseReadError(error, path);
    }
    CloseDataFile(1);
    return 0;
}

void BrokenFile() { rt::raise(9); }

void UnknownNode(std::int32_t node, std::int32_t netNodes) {
    rt::raise(9, FileFaultText(190260, {rt::Variant("|2"), rt::Variant(node), rt::Variant("|3"), rt::Variant(netNodes)}));
}

std::int16_t ReadCount(rt::TextReader& in) {
    const std::int32_t count = in.readLong();
    if (count < 0) BrokenFile();
    if (count > kMaxNetCount) rt::raise(6, FileFaultText(190142, {rt::Variant("|2"), rt::Variant(count)}));
    return static_cast<std::int16_t>(count);
}

std::string ProjectFile(const std::string& name, const std::string& extension) {
    return declar().DataDir + name + extension;
}

}  // namespace orvelo::forces
