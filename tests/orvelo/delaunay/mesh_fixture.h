// Slab descriptions for the mesher tests, read from tests/data/delaunay/
// (*.slab), and their installation into the meshers' module data.
//
// A .slab file holds one statement a line ("#" starts a comment):
//   theta <deg> | r <size> | rmin <size>      net parameters
//   outline | opening                          the pieces that follow belong to
//                                              the outline / a new opening
//   straight x1 y1 x2 y2                       a straight piece
//   arc x1 y1 x2 y2 xc yc ccw|cw               an arc piece
//   line x1 y1 x2 y2                           an internal line
//   point x y                                  a single point
//   field uniform s                            the target-size field:
//   field linear-x x0 s0 x1 s1                 linear in x between two sizes
//   field radial cx cy s0 s1 reach             s0 at the centre, s1 from reach on
// The field is given to the meshers as an old net: a grid of triangles over
// the slab's extent whose nodes carry the field's sizes.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/net.h"

namespace orvelo::meshcheck {

struct SlabFixture {
    std::string name;
    float theta = 30.0f;
    float r = 1.0f;
    float rmin = 0.25f;
    std::vector<OutlinePiece> outline;
    std::vector<std::vector<OutlinePiece>> openings;
    std::vector<std::pair<halvex::SinglePoint, halvex::SinglePoint>> lines;
    std::vector<halvex::SinglePoint> points;
    std::function<float(float, float)> field = [](float, float) { return 1.0f; };
    double oldNetSpacing = 0.0;  // 0: a twentieth of the extent
};

SlabFixture LoadSlabFixture(const std::string& name);

// Fresh module data (mesher, size function, project globals, services) with
// the fixture's slab, parameters and size field in place.
void InstallSlab(const SlabFixture& slab);

// The slab's area: the outline's minus the openings' (arcs exact).
double SlabArea(const SlabFixture& slab);

// Whether (x, y) lies on the piece (within tol).
bool OnPiece(const OutlinePiece& piece, double x, double y, double tol);

}  // namespace orvelo::meshcheck
