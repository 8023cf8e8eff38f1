// Element routines of the internal forces: the geometry and the stiffness
// factors of a beam that runs from one node of the calculation net to
// another (a grillage member in the slab's plane, bending about its
// horizontal axis and twisting about its own axis).
//
// Nodal freedoms are the slab's: the deflection w and the slopes dw/dx and
// dw/dy. In the beam's frame (s along the axis from the start node to the
// end node, n to its left) the freedoms of a node are w, the twist
// rotation dw/dn and the bending slope dw/ds.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace drovik {

class ClsElementMatrices {
public:
    // The 6 x 6 transformation of a beam, 1-based (row and column 0 unused):
    // the local freedom i of the beam (w, dw/dn, dw/ds at the start, the
    // same at the end) is the sum over j of R(j, i) times global freedom j
    // (w, dw/dx, dw/dy at the start, the same at the end).
    using BeamTransform = std::array<std::array<float, 7>, 7>;

    // The geometry of beam `beam` from startNode to endNode (calculation-net
    // numbers). modulus, inertia, shearModulus and torsion are the per-beam
    // lists of E, I, G and J (1-based, entry `beam` is this beam's); nodeX,
    // nodeY the calculation net's coordinates. Outputs: the axis vector
    // (axisX, axisY) = end - start, the bending stiffness EI, the torsional
    // stiffness GJ, and the start and end node numbers whose displacements
    // belong to the beam (startNode and endNode themselves). Error 9 for a
    // node or beam number outside its list.
    void BeamGeometry(std::int16_t startNode, std::int16_t endNode, std::int16_t beam,
                      const std::vector<float>& modulus, const std::vector<float>& inertia,
                      const std::vector<float>& shearModulus, const std::vector<float>& torsion,
                      const std::vector<float>& nodeX, const std::vector<float>& nodeY,
                      float& axisX, float& axisY, float& bendingStiffness,
                      float& torsionalStiffness, std::int16_t& beamStart,
                      std::int16_t& beamEnd) const;

    // The transformation R and the stiffness factors of a beam with the
    // given stiffnesses and axis vector: bendingFactor EI / L,
    // torsionFactor GJ / L, the length L, and the end terms of the bending
    // stiffness 12 EI / L^3, 6 EI / L^2, 4 EI / L and 2 EI / L and the axis
    // angle in radians (from the x axis, counter-clockwise). Error 11 for a
    // beam of length 0.
    void BeamMatrices(BeamTransform& r, float bendingStiffness, float torsionalStiffness,
                      float axisX, float axisY, float& bendingFactor, float& torsionFactor,
                      float& length, float& shearTerm, float& couplingTerm, float& nearTerm,
                      float& farTerm, float& axisAngle) const;
};

}  // namespace drovik
