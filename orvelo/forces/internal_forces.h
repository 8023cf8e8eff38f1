// Operation 9: the internal forces and the target element size of every
// node of the input project's net.
//
// For every project of ProjectList the operation reads what the solver left
// for the calculation net (ReadCalculationNet), computes the slab forces and
// the size field (CalcSlabInternalForces), the beam end forces
// (CalcBeamForces) and the spring, pile and support reactions, as the
// project's calculation method and data-present flags ask.
#pragma once

#include <cstdint>
#include <string>

namespace orvelo {

// Operation 9. Every error of the operation ends it through its error exit:
// the library's message, file number 1 closed, run state 3. A stop by the
// user, a project header that cannot be read and a missing solver file also
// end it with run state 3, so the run never goes on without a size field.
// A size field of an earlier run is dropped first. For the calculation
// methods whose slab forces are not computed (7, 13, 16, 19, 20) every node
// gets the size MaxElementSize. The beam end forces need the nodal
// displacements, so the flexible foundations (13, 20), whose solver leaves
// none, write no .GH1.
void ComputeInternalForces();

// The header of project p and its calculation net, node order, the
// solver's node values and the nodal displacements, each file as the
// calculation method asks (the displacement lists stay empty for the
// methods without them). Returns 0 when the operation goes on, -1 when a
// missing file has stopped the run (run state 3, the library's message
// shown). Raises the run-time error for a header that cannot be read, for a
// broken file and for a calculation net whose node count is not that of the
// project net (when one is loaded), and OperationStopped for a stop by the
// user.
std::int16_t ReadCalculationNet(const std::string& p);

}  // namespace orvelo
