// Failed writes on demand, for tests of what the program does when a disk
// fills up or a device fails: no real full disk is needed.
#pragma once

#include <functional>
#include <string>

namespace rt {

// Asked before every write to a data file (text, record or copied file),
// and when one is opened for writing, with the file's path: an errno value
// makes that write or open fail as if the system had returned it (ENOSPC:
// error 61, disk full; EACCES: error 70), 0 lets it go ahead.
using WriteFaultHook = std::function<int(const std::string& path)>;

// Tests only: installs the hook; an empty one ends the failures.
void setWriteFaultHook(WriteFaultHook hook);

// The errno value the hook asks for at a write to path; 0 without a hook.
int injectedWriteFault(const std::string& path);

}  // namespace rt
