// How large a file of the project's set can be: what the counts it holds
// (and the counts of the project's net) can need, so that a file far
// larger than its contents is refused before it is copied or read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvelo {

// The largest size in bytes that the project file at path, of extension
// ext (upper case, no dot), can have. Files whose layout the store knows
// are bounded by the counts at their head (a count that cannot be read is
// taken at its largest, 32767), .PV1 by the node count of the project's net
// (nodeCount); a line of a text file may hold up to 256 bytes, and no text
// file is larger than rt::kLargestTextFile. Any other file (.BAU among
// them, whose records belong to the boring programs too) is bounded by the
// size of the largest data file of a project, rt::kLargestTextFile.
std::uint64_t LargestProjectFileSize(std::string_view ext, const std::string& path, std::int32_t nodeCount);

}  // namespace orvelo
