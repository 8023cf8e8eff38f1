// Polygon regions of integer points and the region test of the meshers.
//
// A region is made from integer corners (region coordinates: net units
// times 100 times the unit factor, to the nearest integer) with the fill
// mode ALTERNATE, and holds an integer point by the even-odd rule with the
// old window system's edge rule: points on a left or top edge are inside,
// points on a right or bottom edge outside (y grows downwards). Every test
// of a point against a region, by handle or by object, gives that one
// answer (plane_geometry.h).
//
// By handle, as the meshers' procedures are written: CreatePolygonRgn gives a
// handle that the caller frees with DeleteObject on every way out;
// PtInRegion and ClsRegionTest::PointInRegion test a point against it.
#pragma once

#include <cstdint>
#include <vector>

#include "halvex/interface/enums.h"

namespace drovik {

// Fill modes of CreatePolygonRgn; only ALTERNATE (even-odd) is supported.
inline constexpr std::int32_t ALTERNATE = 1;
inline constexpr std::int32_t WINDING = 2;

// A polygon region as an object.
class PolygonRegion {
public:
    PolygonRegion() = default;
    // The first count corners of the list; fewer than three make an empty
    // region. Error 5 for a negative count.
    PolygonRegion(const halvex::POINTAPI* corners, std::int32_t count);
    explicit PolygonRegion(std::vector<halvex::POINTAPI> corners);

    bool contains(std::int32_t x, std::int32_t y) const;
    const std::vector<halvex::POINTAPI>& corners() const { return corners_; }

private:
    // Sides in horizontal bands, so that a point is tested against the
    // sides that reach its row only (the answer is the scan's); built for
    // regions of many corners.
    void indexSides();

    std::vector<halvex::POINTAPI> corners_;
    std::int64_t bandFrom_ = 0;
    std::int64_t bandHeight_ = 1;
    std::vector<std::vector<std::int32_t>> bands_;  // side i runs from corner i - 1 (the last for 0) to i
};

// Makes a region of the first count corners (corners[0] .. corners[count-1])
// and returns its handle (never 0). Error 5 for a fill mode other than
// ALTERNATE or a negative count.
std::int32_t CreatePolygonRgn(const halvex::POINTAPI* corners, std::int32_t count,
                              std::int32_t fillMode);

// Whether the region of the handle holds the integer point. Error 5 for a
// handle that names no region (never made, or already deleted).
bool PtInRegion(std::int32_t region, std::int32_t x, std::int32_t y);

// Frees a region; false when the handle names none (freeing twice is
// harmless).
bool DeleteObject(std::int32_t region);

// Number of regions made and not yet freed (tests check that a procedure
// frees every region on every way out).
std::int32_t liveRegionCount();

class ClsRegionTest {
public:
    // inside: whether the region holds the integer point (x, y); the same
    // answer as PtInRegion. Error 5 for a handle that names no region.
    void PointInRegion(std::int32_t region, std::int32_t x, std::int32_t y, bool& inside) const;
};

}  // namespace drovik
