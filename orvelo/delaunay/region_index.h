// A faster way to ask a polygon region about many points, with the answers
// of the region test itself (ClsRegionTest.PointInRegion).
//
// The region's integer extent is cut into cells. A cell that no side of the
// polygon touches has one answer for every point in it, asked once of the
// region test at one of its points; a point in a cell that a side touches,
// or outside the extent, is asked of the region test directly (outside the
// extent: nothing is held).
#pragma once

#include <cstdint>
#include <vector>

#include "halvex/interface/enums.h"

namespace orvelo {

class RegionIndex {
public:
    // corners: the polygon as the region was made of it (closing corner
    // included or not).
    explicit RegionIndex(std::vector<halvex::POINTAPI> corners);

    bool Contains(std::int32_t x, std::int32_t y);

private:
    bool test(std::int32_t x, std::int32_t y) const;

    std::vector<halvex::POINTAPI> corners_;
    std::int64_t x0_ = 0, y0_ = 0, x1_ = -1, y1_ = -1;
    std::int64_t cell_ = 1, columns_ = 0, rows_ = 0;
    // Per cell: 0 a side touches it, 1 clean and not asked yet, 2 clean and
    // outside, 3 clean and inside.
    std::vector<std::uint8_t> state_;
};

}  // namespace orvelo
