// What the steps of the internal-forces operation share: the status line
// and the progress steps of the running wait window, the stop by the user,
// and the element routines of the outside component.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "outside/drovik/element_matrices.h"
#include "platform/runtime/textfile.h"

namespace orvelo::forces {

// Thrown by ProgressStep when the user pressed Stop; the operation's driver
// ends the operation with run state 3 (no message).
struct OperationStopped {};

// Shows text `textNumber` as the status line: the number goes to the
// library's current file-kind text (TextInf), is read back from there and
// its text becomes the wait window's status line. Without a running wait
// window only TextInf is set.
void ShowStatus(std::int32_t textNumber);

// One progress step of the running wait window; throws OperationStopped
// when the user has asked to stop.
void ProgressStep();

// The program's element routines of the outside component, created on first
// use and kept for the process.
drovik::ClsElementMatrices& ElementMatrices();

// Opens path as file number 1 (SharedServices().Prod() names it) through
// OpenDataFile in mode with the caller's context, runs body on it and
// closes it; -1 when OpenDataFile refused the file, else 0. An error of the
// body is raised again with a message naming the file (errors 53 and 62 as
// they are, the library's message names Prod); file number 1 is then left
// to the operation's error exit, which closes it.
std::int16_t ReadDataFile(const std::string& path, std::int16_t mode, std::int16_t context,
                          const std::function<void()>& body);

// Raises the error of a file whose values break its layout; inside the body
// of ReadDataFile it becomes the message naming the file.
[[noreturn]] void BrokenFile();
// Raises the error of a file that names node `node` of a net of netNodes
// nodes which that net does not have (below 1 or past netNodes); inside
// the body of ReadDataFile it becomes the message naming file and node.
[[noreturn]] void UnknownNode(std::int32_t node, std::int32_t netNodes);

// A count read from a text data file; a negative count is a broken file.
std::int16_t ReadCount(rt::TextReader& in);

// A 16-bit count as a list size (a negative count as 0).
inline std::size_t CountSize(std::int16_t count) {
    return static_cast<std::size_t>(count < 0 ? 0 : count);
}

// DataDir & name & extension: the path of a file of a project of the run.
std::string ProjectFile(const std::string& name, const std::string& extension);

}  // namespace orvelo::forces
