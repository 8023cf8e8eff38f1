// What the readers and writers of the node-related data files share: the
// path of a file of the current project, reading a whole file with one
// outcome, writing a whole file, and the checks of counts and lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "orvelo/project/bas_data.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/textfile.h"

namespace orvelo {

// CurrentDataDir + CurrentProjectName + "." + ext, the existing file of
// that name whatever its case, else ext in upper case.
std::string CurrentProjectFile(std::string_view ext);

// Reads the file at path: the busy pointer while it runs; Missing when no
// file of that name exists (no message); with askFileCheck,
// FileCheck().PrepareFile first (Refused when it refuses, but Failed with
// the permission message when reading is not permitted); Refused when
// OpenDataFile does not open it. Then read() reads it, and the file must end
// there (only blank lines may follow); a run-time error of read(), or a file
// that goes on, is reported as a reading error of the file (one message,
// HandleError) and gives Failed. SharedServices().Prod() names the file.
DataFileRead ReadWholeDataFile(const std::string& path, bool askFileCheck,
                               const std::function<void(rt::TextReader&)>& read);

// Writes the file at path: check() first, then OpenDataFile for output,
// write(), CloseDataFile. A run-time error of either is reported as a saving
// error of the file (one message, HandleError); the file then keeps its
// earlier content. True when the file was written.
bool WriteWholeDataFile(const std::string& path, const std::function<void()>& check,
                        const std::function<void(rt::TextWriter&)>& write);

// A count read from a data file: 0..32767; a negative count is error 6.
std::int16_t ReadDataCount(rt::TextReader& in);

// A list holds its count + 1 entries (error 9 otherwise).
template <class T>
void RequireListEntries(const std::vector<T>& list, long long count) {
    if (count < 0) rt::raise(6);
    if (list.size() < static_cast<std::size_t>(count) + 1) rt::raise(9);
}

// A 1-based list of count + 1 entries, entry 0 unused.
template <class T>
std::vector<T> SizedList(std::int16_t count) {
    return std::vector<T>(static_cast<std::size_t>(count) + 1);
}

}  // namespace orvelo
