#include "outside/drovik/project_packer.h"

namespace drovik {

void ClsProjectPacker::PackProject(const std::string& /*path*/, std::int32_t /*compressFlag*/,
                                   std::int32_t /*zero*/, std::int16_t& failed) const {
    failed = 0;
}

}  // namespace drovik
