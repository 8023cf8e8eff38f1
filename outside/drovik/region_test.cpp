#include "outside/drovik/region_test.h"

#include <algorithm>
#include <map>
#include <string>

#include "outside/drovik/plane_geometry.h"
#include "platform/runtime/errors.h"

namespace drovik {

namespace {

struct RegionTable {
    std::map<std::int32_t, PolygonRegion> regions;
    std::int32_t lastHandle = 0x00D00000;  // apart from the window handles of the forms
};

RegionTable& regionTable() {
    static RegionTable table;
    return table;
}

const PolygonRegion& regionOf(std::int32_t handle, const char* member) {
    const auto& regions = regionTable().regions;
    const auto found = regions.find(handle);
    if (found == regions.end())
        rt::raise(5, std::string(member) + ": no region has the handle " + std::to_string(handle));
    return found->second;
}

}  // namespace

PolygonRegion::PolygonRegion(const halvex::POINTAPI* corners, std::int32_t count) {
    if (count < 0) rt::raise(5, "A polygon region cannot have a negative corner count");
    if (count > 0) corners_.assign(corners, corners + count);
    indexSides();
}

PolygonRegion::PolygonRegion(std::vector<halvex::POINTAPI> corners) : corners_(std::move(corners)) { indexSides(); }

void PolygonRegion::indexSides() {
    const std::size_t n = corners_.size();
    if (n < 64) return;
    std::int64_t low = corners_[0].Y, high = low;
    for (const halvex::POINTAPI& c : corners_) low = std::min<std::int64_t>(low, c.Y), high = std::max<std::int64_t>(high, c.Y);
    const auto count = static_cast<std::int64_t>(n);
    bandFrom_ = low;
    bandHeight_ = std::max<std::int64_t>(1, (high - low) / count + 1);
    bands_.assign(static_cast<std::size_t>((high - low) / bandHeight_ + 1), {});
    for (std::size_t i = 0; i < n; ++i) {
        const halvex::POINTAPI& a = corners_[i == 0 ? n - 1 : i - 1];
        const halvex::POINTAPI& b = corners_[i];
        const std::int64_t from = (std::min<std::int64_t>(a.Y, b.Y) - low) / bandHeight_;
        const std::int64_t to = (std::max<std::int64_t>(a.Y, b.Y) - low) / bandHeight_;
        for (std::int64_t band = from; band <= to; ++band) bands_[static_cast<std::size_t>(band)].push_back(static_cast<std::int32_t>(i));
    }
}

bool PolygonRegion::contains(std::int32_t x, std::int32_t y) const {
    if (bands_.empty()) return geometry::pointInIntegerRegion(corners_.data(), static_cast<int>(corners_.size()), x, y);
    // Only a side with one end above y and one at or below it flips the
    // parity: it lies in the band of y.
    if (y < bandFrom_ || (static_cast<std::int64_t>(y) - bandFrom_) / bandHeight_ >= static_cast<std::int64_t>(bands_.size())) return false;
    bool inside = false;
    const std::size_t n = corners_.size();
    for (const std::int32_t i : bands_[static_cast<std::size_t>((static_cast<std::int64_t>(y) - bandFrom_) / bandHeight_)]) {
        const auto k = static_cast<std::size_t>(i);
        if (geometry::sideFlipsParity(corners_[k == 0 ? n - 1 : k - 1], corners_[k], x, y)) inside = !inside;
    }
    return inside;
}

std::int32_t CreatePolygonRgn(const halvex::POINTAPI* corners, std::int32_t count,
                              std::int32_t fillMode) {
    if (fillMode != ALTERNATE)
        rt::raise(5, "CreatePolygonRgn: only the fill mode ALTERNATE (1) is supported, not " +
                         std::to_string(fillMode));
    PolygonRegion region(corners, count);
    RegionTable& table = regionTable();
    do {
        table.lastHandle = table.lastHandle == INT32_MAX ? 0x00D00000 : table.lastHandle + 1;
    } while (table.regions.count(table.lastHandle) != 0);
    table.regions.emplace(table.lastHandle, std::move(region));
    return table.lastHandle;
}

bool PtInRegion(std::int32_t region, std::int32_t x, std::int32_t y) {
    return regionOf(region, "PtInRegion").contains(x, y);
}

bool DeleteObject(std::int32_t region) { return regionTable().regions.erase(region) != 0; }

std::int32_t liveRegionCount() { return static_cast<std::int32_t>(regionTable().regions.size()); }

void ClsRegionTest::PointInRegion(std::int32_t region, std::int32_t x, std::int32_t y,
                                  bool& inside) const {
    inside = regionOf(region, "ClsRegionTest.PointInRegion").contains(x, y);
}

}  // namespace drovik
