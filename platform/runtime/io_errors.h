// Internal to the run-time layer: run-time errors for failed file calls.
#pragma once

#include <string>

namespace rt::detail {

// Raises the error for a failed open of path with the given errno value:
// 53 when the file is missing in an existing folder, 76 when the folder is
// missing, 70 without permission, 61 when the disk is full, 75 otherwise.
[[noreturn]] void raiseOpenError(int errnoValue, const std::string& path);

// Raises 61 for a full disk or quota, 57 for any other write failure.
[[noreturn]] void raiseWriteError(int errnoValue);

}  // namespace rt::detail
