// The boring file .P41 of the current project (CurrentDataDir &
// CurrentProjectName & ".P41"): the boring-region layout of boringData()
// (orvelo/model/boring_data.h) as a random-access file of 128-byte records,
// one value at the start of each record. The record layout is in
// docs/file-formats.md. Record numbers are 32-bit, so a net of up to 32767
// nodes is written and read whole.
#pragma once

#include <cstdint>
#include <string>

namespace orvelo {

// ---- the records of the borings (.BAU) and element zones (.P21) ----
// Both are random-access files of 128-byte records (docs/file-formats.md),
// opened through OpenDataFile (random read, file 1, context 0); a missing
// file shows the library's missing-file message there. prefix is the
// project's folder and name (DataDir & ProjectName).

// Record 4 of prefix.BAU into boringData().BoringCount; false (the count
// kept) when the file cannot be opened. A count below 0 is error 6.
bool ReadBoringCount(const std::string& prefix);

// The borings of prefix.BAU: BoringCount (record 4) and, for boring
// b = 1..BoringCount, BoringX (record 5b + 1), BoringY (5b + 2) and
// BoringName (5b + 3) of boringData(). False, nothing changed, when the file
// cannot be opened. A count below 0, or a file that ends before the last
// boring, raises the reading error (62) with nothing changed.
bool ReadBorings(const std::string& prefix);

// The three layout values of prefix.P21 (records 4, 5, 6, Single) into
// GeometryHelper().LayoutValueA/B/C, which place the borings' system
// relative to the net. False, nothing changed, when the file cannot be
// opened.
bool ReadBoringLayoutValues(const std::string& prefix);

// ---- the boring file .P41 ----

// Reads the .P41 of the current project for the current declar().NodeCount
// (N) and boringData().BoringCount (K), both set before. What is taken from
// the file depends on its layout kind (record 1): 1 the edge layout (edge
// directions and outer points recomputed from the borings), 2 the
// dividing-line cells, 3 the stored triangles and strips with the per-node
// regions. The constant-node list is rebuilt from the per-node regions
// (nodes of an empty kind count as constant nodes of boring 1).
// Returns false, changing nothing and showing nothing, when the file does
// not exist or cannot be opened. Returns false after the coincident-borings
// message when an edge of a kind-1 file has two borings at one position.
// A file that does not fit N and K (its boring count, its length against
// its blocks, its counts and region kinds) or cannot be read falls back to
// the default layout (SetDefaultBoringLayout for N) after the information
// message 10188 / 10043, and returns false. True when the file was read.
bool ReadBoringFile();

// Writes the layout of boringData() for N = declar().NodeCount as the .P41
// of the current project, every block, replacing the whole file (it appears
// complete or not at all). A NodeLayoutRegion outside 1..K is warned about
// once (text 10269), and the file is still written. Errors (an array
// shorter than its count: 9) are raised to the caller's error exit.
void WriteBoringFile();

}  // namespace orvelo
