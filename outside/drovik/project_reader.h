// The project-file reader: checks a project's main file (.PO1), reads its
// header, and reads a net file (.PL6). docs/file-formats.md gives both
// layouts.
//
// Failure results are 0 for success, otherwise the number of the run-time
// error that stopped the read: 53 the file is missing, 62 it ends early, 13
// a value is not a number, 6 a count or value outside its range (negative
// counts included), 9 a value the layout does not allow (a node number
// outside 1..NodeCount, a corner count other than 3 or 4, a symmetry kind
// or analysis method out of its list), 70, 75, 76, 57 the file could not be
// opened or read. On failure every output keeps its value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orvelo/model/net.h"

namespace drovik {

class ClsProjectReader {
public:
    // failed 0 when the project file at path (its extension looked up
    // without regard to case) exists and holds a readable header; the file
    // becomes the one ReadProjectHeader reads. Any failure forgets the file
    // of an earlier check.
    void CheckProjectFile(const std::string& path, std::int16_t& failed);

    // The header of the file of the last successful CheckProjectFile, read
    // afresh. mode must be -1 (the whole header as stored); any other mode
    // fails with 5. Without a checked file, failed is 53.
    void ReadProjectHeader(std::int32_t& symmetryKind, std::int32_t& method,
                           std::int16_t& option1, std::int16_t& option2, std::int16_t& option3,
                           std::int16_t& option4, std::int16_t& option5, std::int16_t& option6,
                           std::int16_t& option7, std::int16_t& option8, std::int16_t& option9,
                           std::int16_t& option10, std::int16_t& option11,
                           std::int16_t& option12, std::int16_t& option13, std::int16_t mode,
                           std::int16_t& failed);

    // The net of <prefix>.PL6 (the extension looked up without regard to
    // case): elementCount and elements (entries 1..elementCount, entry 0
    // empty), nodeCount and x, y (entries 1..nodeCount, entry 0 zero), each
    // list resized to count + 1. zero and nothing are not used.
    void ReadNetFile(const std::string& prefix, std::int16_t& elementCount,
                     std::vector<orvelo::NetElement>& elements, std::int16_t& nodeCount,
                     std::vector<float>& x, std::vector<float>& y, std::int16_t zero,
                     void* nothing, std::int16_t& failed);

    // The beams of <prefix>.GL1 (its line members with their property sets;
    // docs/file-formats.md, "Beams of a project"), every list 1-based and
    // resized to count + 1: start and end nodes (project-net numbers), the
    // load q, the beam's own number, its property-set number, and E, G, I,
    // J. mode must be 4; nothing is not used. failed as for the other
    // members (9 also for a property set outside the file's sets or a node
    // number below 1). Defined in project_reader_beams.cpp.
    void ReadBeamData(const std::string& prefix, std::int16_t& beamCount,
                      std::vector<std::int16_t>& startNodes, std::vector<std::int16_t>& endNodes,
                      std::vector<float>& loads, std::vector<std::int16_t>& beamNumbers,
                      std::vector<std::int16_t>& propertySets, std::vector<float>& modulus,
                      std::vector<float>& shearModulus, std::vector<float>& inertia,
                      std::vector<float>& torsion, std::int16_t mode, void* nothing,
                      std::int16_t& failed);

    // The node or element count past 32767 that refused the last
    // ReadNetFile; 0 when none did.
    std::int32_t CountPastLimit() const { return countPastLimit_; }

private:
    std::string checkedFile_;
    std::int32_t countPastLimit_ = 0;
};

}  // namespace drovik
