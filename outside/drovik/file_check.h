// The check a reader makes before it opens a data file.
#pragma once

#include <cstdint>
#include <string>

namespace drovik {

class ClsFileCheck {
public:
    // failed 0 when the data file at path exists (its name looked up without
    // regard to case) and can be opened for reading. mode: 1 (sequential
    // input) or 3 (random access read); any other mode fails with 5.
    // one and nothing are not used. Otherwise failed is the run-time error
    // number of the refusal (53 missing, 70 no permission, 75 a folder).
    void PrepareFile(const std::string& path, std::int16_t mode, std::int16_t one, void* nothing,
                     std::int16_t& failed) const;
};

}  // namespace drovik
