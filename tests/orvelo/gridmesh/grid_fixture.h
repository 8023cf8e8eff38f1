// Slab descriptions for the grid-based mesher tests and their installation
// into fresh module data.
#pragma once

#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/net.h"
#include "orvelo/slab_setup.h"

namespace orvelo::gridtest {

struct GridSlab {
    std::vector<OutlinePiece> outline;
    std::vector<std::vector<OutlinePiece>> openings;
    std::vector<std::pair<halvex::SinglePoint, halvex::SinglePoint>> lines;
    std::vector<halvex::SinglePoint> points;
    std::vector<float> gridX;  // the project grid lines, ascending
    std::vector<float> gridY;
    std::int16_t meshType = 3;
};

using slabsetup::Polygon;

// Lines from `from` to `to` in steps of `step` (both ends included).
std::vector<float> Lines(float from, float to, float step);

// Fresh module data (mesher, grid-based mesher, size function, project
// globals, outside services, regions) with the slab and grid in place.
void InstallGridSlab(const GridSlab& slab);

// Fresh module data only.
void ResetAll();

// Fresh module data with an extended grid of the given lines (no project
// lines, no keys) and a node on every grid point, numbered row by row from
// the lowest row (x ascending in a row); MeshType meshType.
void InstallGridPoints(const std::vector<float>& linesX, const std::vector<float>& linesY, std::int16_t meshType = 3);

// Removes the node of grid point (ix, iy) from the grid tables (the node
// itself stays in the net).
void RemoveGridPoint(std::int32_t ix, std::int32_t iy);

// SlabRegion, or one more opening region, from polygon corners in net units.
void SetSlabRegion(const std::vector<std::pair<float, float>>& corners);
void AddOpeningRegion(const std::vector<std::pair<float, float>>& corners);

}  // namespace orvelo::gridtest
