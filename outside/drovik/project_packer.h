// Packing of a project's files by the compress flag. Projects stay
// unpacked: the packer leaves the files as they are and reports success.
#pragma once

#include <cstdint>
#include <string>

namespace drovik {

class ClsProjectPacker {
public:
    // path: the project's folder and base name without extension;
    // compressFlag: the halvex::CompressFlagTypes bits of the control file;
    // zero: not used. failed is 0: nothing is packed, nothing changes.
    void PackProject(const std::string& path, std::int32_t compressFlag, std::int32_t zero,
                     std::int16_t& failed) const;
};

}  // namespace drovik
