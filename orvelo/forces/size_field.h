// From element corner values to the target element size of every node:
// the recovery over all elements, the averaging at the nodes, the symmetry
// rule and the size field itself. Each takes its inputs as arguments.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "orvelo/forces/forces_data.h"

namespace orvelo {

// Corner values per element (`CornerQx`): entry [e][k] for the corners
// k = 1..CalcCornerCount(e) of element e = 1..CalcElementCount.
using CornerTable = std::vector<std::array<float, 5>>;

// Calls the plate element of every element in element order (the
// quadrilateral for four corners, the triangle for three) with the
// thickness, modulus and Poisson's ratio of its slab group. With
// keepCornerValues each corner keeps its own value, else every corner gets
// the element's mean (summed in single precision in corner order). Error 9
// for a group number outside the groups or a corner count other than 3 or
// 4; the elements' floating-point errors pass through.
CornerTable RecoverCornerValues(const InternalForcesData& net, bool keepCornerValues);

// NodalQx(n), n = 1..CalcNodeCount: the plain mean of the corner values at
// node n over every element corner that names it, summed in element and
// corner order in one pass over the elements. A node that no element uses
// gets 0. Error 9 for a corner node outside the net.
std::vector<float> AverageAtNodes(const InternalForcesData& net, const CornerTable& cornerQx);

// Symmetry kinds 3 and 4 (a symmetry line at the largest x): every node
// closer than 0.001 to the largest CalcNodeX gets the value 0. Other kinds
// change nothing.
void ApplySymmetry(std::int32_t symmetryKind, const InternalForcesData& net,
                   std::vector<float>& nodalQx);

// The target element size of nodes 1..count from their nodal values:
// r + (rmin - r) |Q(n)| / Qmax with Qmax the largest |Q|, so r where the
// value is 0, rmin where its magnitude is largest, and every size between
// the two. When every value is 0 every node gets r. Entry 0 is 0.
std::vector<float> TargetSizeField(const std::vector<float>& nodalQx, std::int16_t count,
                                   float maxElementSize, float minElementSize);

// The same size r for nodes 1..count: the field of a project whose slab
// forces are not computed.
std::vector<float> UniformTargetSize(std::int16_t count, float maxElementSize);

}  // namespace orvelo
