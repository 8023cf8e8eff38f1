#include "orvelo/gridmesh/grid_regions.h"

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "outside/drovik/region_test.h"

namespace orvelo {

namespace {

// The process-wide region test, made on first use.
const drovik::ClsRegionTest& regionTest() {
    static const drovik::ClsRegionTest test;
    return test;
}

}  // namespace

bool InsideAnOpening(std::int32_t x, std::int32_t y) {
    const BasGridBased& g = basGridBased();
    const std::int32_t count = basDelaunay().MeshOpeningCount;
    for (std::int32_t o = 1; o <= count && static_cast<std::size_t>(o) < g.OpeningRegions.size(); ++o) {
        const std::int32_t region = g.OpeningRegions[static_cast<std::size_t>(o)];
        if (region != 0 && drovik::PtInRegion(region, x, y)) return true;
    }
    return false;
}

bool InsideSlabOutline(std::int32_t x, std::int32_t y) {
    bool inside = false;
    regionTest().PointInRegion(basGridBased().SlabRegion, x, y, inside);
    return inside;
}

void MakeTracedRegion(std::int32_t opening) {
    BasGridBased& g = basGridBased();
    const std::int32_t region = drovik::CreatePolygonRgn(g.RegionPoints.data() + 1, g.RegionPointCount, drovik::ALTERNATE);
    if (opening == 0) {
        g.SlabRegion = region;
        return;
    }
    if (g.OpeningRegions.size() <= static_cast<std::size_t>(opening))
        g.OpeningRegions.resize(static_cast<std::size_t>(opening) + 1, 0);
    g.OpeningRegions[static_cast<std::size_t>(opening)] = region;
}

void DeleteGridRegions() {
    BasGridBased& g = basGridBased();
    if (g.SlabRegion != 0) drovik::DeleteObject(g.SlabRegion);
    g.SlabRegion = 0;
    for (std::size_t o = 1; o < g.OpeningRegions.size(); ++o) {
        if (g.OpeningRegions[o] != 0) drovik::DeleteObject(g.OpeningRegions[o]);
        g.OpeningRegions[o] = 0;
    }
}

}  // namespace orvelo
