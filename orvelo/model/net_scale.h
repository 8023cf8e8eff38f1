// The scale of a net and the coincidence tolerance that rests on it.
//
// A generation draws the slab over an extent three times its own (the slab
// widened by its width and height on each side) and takes its drawing scale
// from it; the unit factor is 0.05 divided by that scale and the
// coincidence tolerance 0.001 divided by the unit factor (docs/delaunay.md).
// The functions here compute these values without setting them, for the
// checks that compare a net with its outline or with its solver results.
#pragma once

#include <cstdint>
#include <vector>

namespace orvelo {

// The drawing scale of a drawing over the extent (xMin, yMin) to
// (xMax, yMax), already widened: the scale a generation sets.
float DrawingScaleOfExtent(float xMin, float yMin, float xMax, float yMax);

// The coincidence tolerance of the net whose nodes 1..count are given (lists
// 1-based): 0.001 divided by the unit factor the boundary recalculation sets
// from the extent of these nodes. 0.001 for a net without nodes.
double NetCoincidenceTolerance(const std::vector<float>& x, const std::vector<float>& y, std::int32_t count);

}  // namespace orvelo
