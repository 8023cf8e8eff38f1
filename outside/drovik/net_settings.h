// The four net settings a project's .PL8 carries. Each value comes back
// exactly as it was last set. TakeNet takes over a repaired net.
#pragma once

#include <cstdint>
#include <vector>

#include "orvelo/model/net.h"

namespace drovik {

class ClsNetSettings {
public:
    // The mesh type the net was made with (0-4 grid patterns, 5 Delaunay
    // triangulation, 6-8 polar nets).
    std::int32_t SavedMeshType() const { return savedMeshType_; }
    void SavedMeshType(std::int32_t value) { savedMeshType_ = value; }
    float AngleLimit() const { return angleLimit_; }
    void AngleLimit(float value) { angleLimit_ = value; }
    float StoredValueA() const { return storedValueA_; }
    void StoredValueA(float value) { storedValueA_ = value; }
    float StoredValueB() const { return storedValueB_; }
    void StoredValueB(float value) { storedValueB_ = value; }

    // Takes over a net and its node marks (NodeMarks(i) = i: node i is to
    // go). Removes every marked node and every element with a marked
    // corner, numbers the remaining nodes and elements in their old order
    // (element corners renumbered, flags kept) and writes the result back
    // through the arguments; NodeMarks comes back as (0 To 0) holding 0.
    // Side flags are not rebuilt: that is the caller's work.
    void TakeNet(std::int16_t& NodeCount, std::vector<float>& NodeX, std::vector<float>& NodeY,
                 std::vector<std::int16_t>& NodeMarks, std::int16_t& ElementCount,
                 std::vector<orvelo::NetElement>& ElementList);
    // How often TakeNet was called on this object.
    std::int32_t takeNetCalls() const { return takeNetCalls_; }

private:
    std::int32_t takeNetCalls_ = 0;
    std::int32_t savedMeshType_ = 0;
    float angleLimit_ = 0.0f;
    float storedValueA_ = 0.0f;
    float storedValueB_ = 0.0f;
};

}  // namespace drovik
