#include "orvelo/forces/forces_data.h"

namespace orvelo {

namespace {
InternalForcesData& instance() {
    static InternalForcesData data;
    return data;
}
}  // namespace

InternalForcesData& internalForces() { return instance(); }

void resetInternalForces() { instance() = InternalForcesData{}; }

}  // namespace orvelo
