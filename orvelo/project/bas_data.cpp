#include "orvelo/project/bas_data.h"

namespace orvelo {

namespace {

BasData& instance() {
    static BasData data;
    return data;
}

}  // namespace

BasData& basData() { return instance(); }

void resetBasData() { instance() = BasData{}; }

}  // namespace orvelo
