#include "orvelo/model/boring_data.h"

namespace orvelo {

namespace {

BoringData& instance() {
    static BoringData data;
    return data;
}

}  // namespace

BoringData& boringData() { return instance(); }

void resetBoringData() { instance() = BoringData{}; }

}  // namespace orvelo
