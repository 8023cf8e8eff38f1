// The two plate-bending elements that recover a corner value of a slab
// element from the solver's nodal displacements (w and the slopes dw/dx,
// dw/dy, signs as stored):
//
// - TrianglePlateForces: the nine-freedom non-conforming cubic triangle,
//   written in skew coordinates along the sides 1->2 and 1->3. Its field is
//   cubic, so the shear force Qx is constant over the element; every corner
//   gets it.
// - QuadPlateForces: the twelve-freedom non-conforming rectangle (the
//   Adini-Clough-Melosh element). It computes the bending moments mx, my,
//   mxy at the four corners and returns per corner an energy indicator of
//   those moments.
//
// Both read the corner coordinates and nodal values of the calculation net
// they are given and change nothing but their result array. A node number
// outside the net raises error 9; a degenerate element, E = 0 or a Poisson's
// ratio of +-1 raises the floating-point error (11 or 6).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "orvelo/forces/forces_data.h"

namespace orvelo {

// D = d^3 E / ((1 - nu^2) 12), stored as a Single.
float FlexuralRigidity(float thickness, float modulus, float poisson);

// Shear force Qx of the triangle with corner nodes cornerNodes[1..3] of the
// calculation net. cornerValues becomes 0..3 with Qx at 1, 2 and 3.
void TrianglePlateForces(float thickness, float modulus, float poisson,
                         const std::array<std::int16_t, 5>& cornerNodes,
                         std::vector<float>& cornerValues, const InternalForcesData& net);

// Energy indicator of the quadrilateral with corner nodes cornerNodes[1..4]
// at its four corners; cornerValues becomes 0..4 with the values at 1..4.
//
// An axis-parallel rectangle in corner order (corner 2 beside corner 1 on
// the same y, corner 4 above or below corner 1 on the same x) is the element
// with a = x2 - x1 and b = y4 - y1, negative lengths included. Any other
// quadrilateral is computed in its own frame: local x along side 1->2
// (a = its length), local y perpendicular to it (turned +90 degrees), b the
// signed distance of corner 4 from side 1->2, and the slopes turned into
// that frame. Corner 3 is never read. A zero a or b raises error 11.
void QuadPlateForces(float thickness, float modulus, float poisson,
                     const std::array<std::int16_t, 5>& cornerNodes,
                     std::vector<float>& cornerValues, const InternalForcesData& net);

// The rectangle's moment matrix before scaling: entry (r, j), 1-based, is
// (a b / D) times the corner moment of row r (3k-2 mx, 3k-1 my, 3k mxy of
// corner k) that the element's field takes for a unit value of freedom j
// (3k-2 w, 3k-1 dw/dx, 3k dw/dy of corner k). Corners at (0,0), (a,0),
// (a,b), (0,b). Row and column 0 are unused.
using QuadMatrix = std::array<std::array<float, 13>, 13>;
QuadMatrix QuadMomentMatrix(float a, float b, float poisson);

// Corner moments of the rectangle a x b for the freedoms dofs[1..12]
// (w, dw/dx, dw/dy per corner): entry 3k-2 mx, 3k-1 my, 3k mxy at corner k.
std::array<float, 13> QuadCornerMoments(float a, float b, float rigidity, float poisson,
                                        const std::array<float, 13>& dofs);

// The energy indicator of one corner's moments:
// 500000 C ((mx^2 + my^2 - nu (1 + nu) mx my) / (1 - nu^2) + 2 mxy^2 / (1 - nu)),
// C = d^3 12 (1 - nu^2) / E. Never negative for 0 <= nu < 1.
float QuadEnergyIndicator(float thickness, float modulus, float poisson, float mx, float my,
                          float mxy);

}  // namespace orvelo
