// The four net settings a project's .PL8 carries. Each value comes back
// exactly as it was last set.
#pragma once

#include <cstdint>

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

private:
    std::int32_t savedMeshType_ = 0;
    float angleLimit_ = 0.0f;
    float storedValueA_ = 0.0f;
    float storedValueB_ = 0.0f;
};

}  // namespace drovik
