// The slab step of the internal forces: corner values of every slab
// element from the plate elements, averaged at the nodes, with the
// project's symmetry, brought into the project net's numbering and turned
// into the target element size of every node (OldNodeCount,
// NodeTargetSize of declar()).
#pragma once

#include <cstdint>
#include <string>

namespace orvelo {

// The slab step for project name, with the calculation net and the nodal
// displacements of internalForces() read. The size field follows the
// magnitude of the nodal value: MaxElementSize where it is 0,
// MinElementSize where it is largest (docs/forces.md). For
// MethodGridbeams, whose slab group is all zero, every node gets
// MaxElementSize. A .P21 that cannot be read stops the operation with the
// run-time error naming it. OldNodeCount and NodeTargetSize change only
// once the whole field is computed.
void CalcSlabInternalForces(const std::string& name);

// The corner-value option of the program folder's Preferen.dat (the fourth
// of its values): True keeps every element's own corner values, False
// gives each corner the element's mean. A missing file gives True without
// a message; a file that cannot be opened or read gives True after the
// library's error message. Returns 0.
std::int16_t ReadPreferences(bool& keepCornerValues);

}  // namespace orvelo
