#include "outside/drovik/region_test.h"

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
}

PolygonRegion::PolygonRegion(std::vector<halvex::POINTAPI> corners) : corners_(std::move(corners)) {}

bool PolygonRegion::contains(std::int32_t x, std::int32_t y) const {
    return geometry::pointInIntegerRegion(corners_.data(), static_cast<int>(corners_.size()), x, y);
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
