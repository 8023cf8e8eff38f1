#include "grid_fixture.h"

#include <cmath>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_regions.h"
#include "orvelo/model/declar.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/project/services.h"
#include "outside/drovik/region_test.h"

namespace orvelo::gridtest {

std::vector<float> Lines(float from, float to, float step) {
    std::vector<float> lines;
    const int count = static_cast<int>(std::lround((to - from) / step));
    for (int k = 0; k <= count; ++k) lines.push_back(from + static_cast<float>(k) * step);
    return lines;
}

void ResetAll() {
    DeleteGridRegions();
    resetBasDelaunay();
    resetBasGridBased();
    resetBasOrvelo();
    resetDeclar();
    resetServices();
}

void InstallGridPoints(const std::vector<float>& linesX, const std::vector<float>& linesY, std::int16_t meshType) {
    ResetAll();
    BasGridBased& g = basGridBased();
    BasDelaunay& m = basDelaunay();
    const auto setLines = [](const std::vector<float>& lines, std::vector<float>& line, std::vector<float>& spacing,
                             std::int16_t& intervals) {
        line.assign(1, 0.0f);
        line.insert(line.end(), lines.begin(), lines.end());
        spacing.assign(1, 0.0f);
        for (std::size_t i = 1; i + 1 < line.size(); ++i) spacing.push_back(line[i + 1] - line[i]);
        intervals = static_cast<std::int16_t>(lines.size() - 1);
    };
    setLines(linesX, g.GridLineX, g.GridSpacingX, g.GridIntervalsX);
    setLines(linesY, g.GridLineY, g.GridSpacingY, g.GridIntervalsY);
    g.GridNodeNumber.create(g.GridIntervalsX + 1, g.GridIntervalsY + 1);
    g.GridPointUsed.create(g.GridIntervalsX + 1, g.GridIntervalsY + 1);
    for (std::int32_t j = 1; j <= g.GridIntervalsY + 1; ++j) {
        for (std::int32_t i = 1; i <= g.GridIntervalsX + 1; ++i) {
            ++m.MeshNodeCount;
            m.MeshNodeX.push_back(g.GridLineX[static_cast<std::size_t>(i)]);
            m.MeshNodeY.push_back(g.GridLineY[static_cast<std::size_t>(j)]);
            g.GridNodeNumber(i, j) = m.MeshNodeCount;
            g.GridPointUsed(i, j) = 1;
        }
    }
    declar().MeshType = meshType;
}

void RemoveGridPoint(std::int32_t ix, std::int32_t iy) {
    basGridBased().GridNodeNumber(ix, iy) = 0;
    basGridBased().GridPointUsed(ix, iy) = 0;
}

namespace {

std::int32_t regionOf(const std::vector<std::pair<float, float>>& corners) {
    std::vector<halvex::POINTAPI> points;
    for (const auto& c : corners) points.push_back(RegionPoint(c.first, c.second, 1.0f));
    return drovik::CreatePolygonRgn(points.data(), static_cast<std::int32_t>(points.size()), drovik::ALTERNATE);
}

}  // namespace

void SetSlabRegion(const std::vector<std::pair<float, float>>& corners) {
    BasGridBased& g = basGridBased();
    if (g.SlabRegion != 0) drovik::DeleteObject(g.SlabRegion);
    g.SlabRegion = regionOf(corners);
}

void AddOpeningRegion(const std::vector<std::pair<float, float>>& corners) {
    BasDelaunay& m = basDelaunay();
    ++m.MeshOpeningCount;
    basGridBased().OpeningRegions.push_back(regionOf(corners));
}

void InstallGridSlab(const GridSlab& slab) {
    ResetAll();
    slabsetup::SetMeshSlab(slab.outline, slab.openings, slab.lines, slab.points);
    BasDelaunay& m = basDelaunay();
    m.MeshGridCountX = static_cast<std::int16_t>(slab.gridX.size()) - 1;
    m.MeshGridX.assign(1, 0.0f);
    m.MeshGridX.insert(m.MeshGridX.end(), slab.gridX.begin(), slab.gridX.end());
    m.MeshGridCountY = static_cast<std::int16_t>(slab.gridY.size()) - 1;
    m.MeshGridY.assign(1, 0.0f);
    m.MeshGridY.insert(m.MeshGridY.end(), slab.gridY.begin(), slab.gridY.end());
    declar().MeshType = slab.meshType;
    declar().MinElementSize = 0.25f;
    declar().MaxElementSize = 1.0f;
}

}  // namespace orvelo::gridtest
