// Key points and grid lines of the grid-based mesher: the points that must
// become nodes (piece starts of the outline and the openings, ends of the
// internal lines, single points, and later the crossings the tracing
// finds), the extent of the slab, and the extended grid: the project grid
// lines that cover the slab, with lines of the first or last spacing added
// where the slab reaches beyond them.
//
// The coincidence tolerance t is 0.001 / ClsGeometryHelper.UnitFactor, read
// afresh at every use; two points coincide when they differ by less than t
// in both coordinates, compared in single precision.
#pragma once

#include <cstdint>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/net.h"

namespace orvelo {

// The coincidence tolerance as the key search compares it (a Single).
// Error 11 for a unit factor of 0.
float KeyTolerance();

// `FindOrAddKeyPoint`: the number of the first key point that coincides
// with point, else the point appended as a new key (error 6 past 32767).
std::int16_t FindOrAddKeyPoint(const halvex::SinglePoint& point);

// `FindGridIntervalX`: the first interval i = 1..GridIntervalsX of the
// extended grid with GridLineX(i) <= x <= GridLineX(i + 1); when none, 1 for
// x below the first line, GridIntervalsX for x above GridLineX(
// GridIntervalsX), else 0. `FindGridIntervalY` likewise in y.
float FindGridIntervalX(float x);
float FindGridIntervalY(float y);

// `NearestGridLineX`: the index of the grid line in x nearest to the point
// (the upper one on an exact tie), counting whole spacings of the outer
// interval for a point outside the grid. `NearestGridLineY` likewise.
float NearestGridLineX(const halvex::SinglePoint& point);
float NearestGridLineY(const halvex::SinglePoint& point);

// The angle range [low, high] in degrees that an arc piece sweeps from its
// start to its end (counter-clockwise when Direction is set, else
// clockwise), as LineAngleDeg measures the angles about the arc's centre:
// low may be below 0 and high above 360.
void ArcAngleRange(const OutlinePiece& piece, float& low, float& high);

// The extent of the slab the grid must cover.
struct SlabExtent {
    float XMin = 0.0f;
    float XMax = 0.0f;
    float YMin = 0.0f;
    float YMax = 0.0f;
};

// The extended grid lines (1-based, entry 0 unused) for the project lines
// projectLines(1..projectCount + 1), ascending, and the slab extent lo..hi
// in that direction: the project lines that enclose the extent, lines of
// the first spacing below them (the count rounded to the nearest whole
// spacing, possibly 0) and lines of the last spacing above them (at least
// one) where the extent reaches beyond. Always at least two lines.
std::vector<float> ExtendGridLines(const std::vector<float>& projectLines, std::int16_t projectCount,
                                   float lo, float hi);

// The first step of a grid-based generation: empties the mesher net and the
// fixed-node and constraint-edge lists, collects the key points of the
// outline, the openings, the lines and the single points (the single points
// also enter FixedNodes with their key numbers), sets InputKeyCount,
// measures the slab and builds the extended grid, its spacings and the
// empty GridNodeNumber and GridPointUsed tables. Needs at least one key
// point (error 9 otherwise).
void CollectKeyPointsAndGrid();

// The extent of the key points collected so far, widened by every arc of
// the outline and the openings: by half the chord about both ends, and by
// the arc's own bounding box (so an arc of more than a half circle lies
// inside too). Arcs of a radius above 10000, which the tracing follows as
// chords, add the half-chord box only.
SlabExtent MeasureSlabExtent();

}  // namespace orvelo
