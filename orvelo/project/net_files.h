// The net files of a project: <prefix>.PL6 (nodes and elements) and
// <prefix>.PL8 (slab outline, openings, single points, internal lines, the
// four net settings and the project grid lines). docs/file-formats.md gives
// both layouts; prefix is a project's folder and base name without
// extension.
#pragma once

#include <string>

namespace orvelo {

// Writes <prefix>.PL6 from the project net and <prefix>.PL8 from the
// outline, openings, lines, single points, NetSettings() and the grid of
// declar(). A project without grid (GridCountX or GridCountY 0) gets the
// default grid of 10 intervals of 1 from 0 in that direction, written and
// kept in declar(). A net or boundary whose counts and lists do not agree
// (a list shorter than its count, a node number outside the net, a corner
// count other than 3 or 4, an opening with more pieces than
// MaxOpeningPieces) is refused with error 9 before anything is written.
// Returns true when both files were written; on an error the library's
// message is shown (HandleError), the file being written is dropped and
// false is returned.
bool WriteNetFiles(const std::string& prefix);

// Reads <prefix>.PL8 into the outline, openings, lines, single points and
// grid of declar() and into NetSettings(). A grid count of 0 gives the
// default grid of WriteNetFiles. Returns false, after the library's
// missing-file message, when the file does not exist. The values are taken
// over only when the whole file has been read: a file that ends early or
// holds a value that cannot be read raises its run-time error (with a
// message naming the file) and changes nothing. No error exit of its own:
// the caller's handler reports and closes file number 1.
bool ReadNetBoundaryFile(const std::string& prefix);

}  // namespace orvelo
