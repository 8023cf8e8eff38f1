#include "platform/runtime/write_faults.h"

#include <utility>

namespace rt {

namespace {

WriteFaultHook& hook() {
    static WriteFaultHook installed;
    return installed;
}

}  // namespace

void setWriteFaultHook(WriteFaultHook newHook) { hook() = std::move(newHook); }

int injectedWriteFault(const std::string& path) { return hook() ? hook()(path) : 0; }

}  // namespace rt
