// The node-related data files of the current project (CurrentDataDir +
// CurrentProjectName): .P35 and .P91 (springs at nodes), .P31 and .P71
// (prescribed degrees of freedom), .PIL (piles), .PV1 (one value per node)
// and .PCW (nodes of the wall-plate method). Each has a reader and a writer
// working on the arrays of basData() (orvelo/project/bas_data.h);
// docs/file-formats.md gives the layouts. Numbers are written and read in
// the invariant number text, whatever the user's locale.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orvelo/project/bas_data.h"

namespace orvelo {

// The files of this family.
enum class NodeDataFile { P35, P91, P31, P71, PIL, PV1, PCW };

// The file's extension without the dot ("P35").
const char* NodeDataFileExtension(NodeDataFile file);

// The node-number list a file's data hangs on (SpringNodes, DofNodes,
// PileNodes, NodeValueNodes or PcwNodes of b) and its count.
std::vector<std::int16_t>& NodeDataFileNodes(BasData& b, NodeDataFile file);
std::int16_t NodeDataFileNodeCount(const BasData& b, NodeDataFile file);

// False when the project holds none of the file's data: its calculation
// method (13 for the springs and prescribed degrees of freedom, 15 and 22
// for the values per node) or its header option of the kind set to 2
// (HeaderOption5 springs, HeaderOption6 prescribed degrees of freedom,
// HeaderOption13 piles, HeaderOption3 values per node).
bool NodeDataFileInUse(NodeDataFile file);

// Reads the file into basData(). NotUsed (NodeDataFileInUse false) and
// Missing without a message; .P35 and .P31 ask FileCheck() first
// (Refused). The first line "Version 9" of .P35, .P91, .P31, .P71 and .PCW
// is skipped unread. .PV1 is read for nodeValueCount nodes (the node count
// of the net the file belongs to; ignored for the other files). The
// arrays are taken over only when the whole file has been read; otherwise
// they keep what they held.
DataFileRead ReadNodeDataFile(NodeDataFile file, std::int16_t nodeValueCount = 0);

// Writes the file from basData(): "Version 9" first where the file has it,
// counts before their lists. .P31 and .P71 normalise their text fields
// first (kept in memory): an empty field becomes "F"; a field whose upper
// case is not "F" becomes its number as a Single (0 when it is not a
// number) in the invariant number text; a lower-case "f" stays. .PV1 holds
// one value per node of the project net (declar().NodeCount): the listed
// value / 100 at its node (a later entry for a node wins; a value not
// changed since it was read is written exactly as read), 0 elsewhere.
// Lists shorter than their counts, or a .PV1 node outside the net, are
// refused with error 9 before anything is written. The file appears
// complete or not at all; errors are reported (HandleError). True when the
// file was written.
bool WriteNodeDataFile(NodeDataFile file);

// The readers and writers by file, each reader -1 (True) when it read its
// file, else 0; ReadPV1 for declar().NodeCount nodes.
std::int16_t ReadP35();
void WriteP35();
std::int16_t ReadP91();
void WriteP91();
std::int16_t ReadP31();
void WriteP31();
std::int16_t ReadP71();
void WriteP71();
std::int16_t ReadPIL();
void WritePIL();
std::int16_t ReadPV1();
void WritePV1();
std::int16_t ReadPCW();
void WritePCW();

// The centre of element `element` of the project net: the mean of its
// CornerCount corner coordinates, in Single. Error 9 for an element outside
// 1..ElementCount, a CornerCount outside 1..4 (an element without corners
// has no centre) or a corner node outside the net.
void ElementCentroid(std::int16_t element, float& cx, float& cy);

}  // namespace orvelo
