// The state of a run and the splitting of a project path.
#pragma once

#include <cstdint>
#include <string>

namespace drovik {

class ClsRunControl {
public:
    // The run state, a halvex::SolvingState value (0 a run goes on, 3 the run
    // is aborted). Starts at 0.
    std::int16_t RunState() const { return runState_; }
    void RunState(std::int16_t value) { runState_ = value; }

    // Splits a project path into its full path, its folder (with a trailing
    // "/") and its base name (the file name without its extension). "\" and
    // "/" both separate; the outputs use "/". A relative path is taken from
    // the current folder, so fullPath and dir are absolute, and "." and ".."
    // steps are resolved. extension: the extension the file must have
    // ("PO1" or ".PO1", any case); empty accepts any extension or none.
    // failed 0 on success; otherwise 1 and the outputs are left unchanged:
    // an empty or blank path, a path ending in a separator or naming no
    // file (".PO1" alone), or an extension other than the one given.
    void SplitProjectPath(const std::string& path, std::string& fullPath, std::string& dir,
                          std::string& name, const std::string& extension,
                          std::int16_t& failed) const;

private:
    std::int16_t runState_ = 0;
};

}  // namespace drovik
