// Module data of the internal forces (the module `BasInternalForces`): the
// calculation net that the solver left for the input project, the node map
// between the project net and the calculation net, the nodal displacements
// and the slab groups.
//
// The calculation net is the solver's renumbered copy of the project net.
// Every list is 1-based (a vector of count + 1, entry 0 unused); each reading
// sizes its lists anew. Node numbers in CalcElementCorners, and the indices
// of NodalDeflection, NodalRotationX and NodalRotationY, are calculation-net
// numbers; CalcNodeMap(n) is the calculation-net number of project-net node n.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orvelo {

struct InternalForcesData {
    // The calculation net (.PL9).
    std::int16_t CalcNodeCount = 0;
    std::vector<float> CalcNodeX;
    std::vector<float> CalcNodeY;
    std::int16_t CalcElementCount = 0;
    std::vector<std::int16_t> CalcCornerCount;                    // 3 or 4 per element
    std::vector<std::array<std::int16_t, 5>> CalcElementCorners;  // corners 1..4, corner 0 stays 0
    std::vector<std::int16_t> CalcElementGroup;                   // slab group per element

    // Project-net node n -> calculation-net node (.PL3).
    std::vector<std::int16_t> CalcNodeMap;

    // Nodal displacements (.PG1): three per calculation-net node, w and the
    // slopes dw/dx and dw/dy, and the same split per node.
    std::vector<float> SolverDisplacements;
    std::vector<float> NodalDeflection;
    std::vector<float> NodalRotationX;
    std::vector<float> NodalRotationY;

    // Slab groups (.P21): thickness, modulus of elasticity, Poisson's ratio.
    std::vector<float> GroupThickness;
    std::vector<float> GroupModulus;
    std::vector<float> GroupPoisson;
};

// The one process-wide instance.
InternalForcesData& internalForces();

// A fresh instance, for tests.
void resetInternalForces();

}  // namespace orvelo
