// The line members of a project (.GL1) and the net edges that lie on them
// (.GL2), for the current project (CurrentDataDir + CurrentProjectName).
// The data lives in basData() (orvelo/project/bas_data.h); docs/file-formats.md
// gives both layouts.
#pragma once

#include <cstdint>

#include "orvelo/project/bas_data.h"

namespace orvelo {

// Reads the .GL1 of the current project into the line-member data of
// basData(): the first line (a version text, not compared), MemberCount,
// PropertySetCount, per member its property set, start node and end node,
// per property set its five values, LineMemberOption, per property set its
// two factors. Missing: no file (no message); Refused: FileCheck() or the
// open refused it; Failed: the file ends early, holds a value that cannot
// be read or a negative count (one message naming the file). The data is
// taken over only when the whole file has been read.
DataFileRead ReadLineMembersFile();

// True when ReadLineMembersFile read the file.
bool ReadLineMembers();

// Derives the net edges of the line members on the project net of
// declar() and writes .GL1 and then .GL2 of the current project.
// An element side lies on a member when the point-list routines say so
// (SegmentRelation code 2); each element gives at most one edge per member
// (its first such side in corner order), and an edge found before, in
// either direction, is not recorded again. Every edge gets the
// PropertyEdgeValue of its member's property set; the member-edge pairs come
// from PointListTools().DeriveMemberData. A member whose end node lies
// outside the net or whose property set lies outside 1..PropertySetCount is
// refused with error 9 before anything is written. Each file appears
// complete or not at all; errors are reported (HandleError). Returns true
// when both files were written.
bool WriteLineMembers();

}  // namespace orvelo
