// Polar nets of circular and annular slabs (mesh types 6 to 8): nodes on
// concentric rings and radial spokes, elements between them, no outline
// tracing. The net is centred at (R, R), so it lies in the square from
// (0, 0) to (2R, 2R).
//
// Inputs (declar()): SlabShape (2 a full disk, 5 an annulus), SlabLength
// (outer diameter, R = SlabLength / 2), SlabWidth (inner diameter of an
// annulus, r = SlabWidth / 2), PolarDivisionCount (n rings, 4n spokes) and
// MeshType:
//
// | slab    | type | nodes         | elements                                |
// |---------|------|---------------|-----------------------------------------|
// | annulus | 6    | 4n(n + 1)     | 4n^2 quadrilaterals                      |
// | annulus | 7, 8 | 4n(n + 1)     | 8n^2 triangles                           |
// | disk    | 6    | 4n^2 + 1      | 4n triangles, 4n(n - 1) quadrilaterals   |
// | disk    | 7    | 4n^2 + 1      | 8n^2 - 4n triangles                      |
// | disk    | 8    | 1 + 2n(n + 1) | 4n^2 triangles (a fan net ring by ring)  |
//
// The annulus's rings hold equal areas; the spoke disk's nodes sit at the
// centroid radii of n + 1 rings of equal area (the outermost at R); the fan
// disk's ring k holds 4k nodes. Elements turn counter-clockwise.
#pragma once

#include <cstdint>

namespace orvelo {

// Refuses, as run-time error 5 naming the value, polar input that cannot
// make a net: a mesh type other than 6 to 8, a shape other than 2 or 5,
// n < 1, a count of the table above 32767, R not above 0, or for an
// annulus r not strictly between 0 and R (NaN fails every test).
void CheckPolarInput(std::int16_t slabShape, float slabLength, float slabWidth, std::int16_t divisions,
                     std::int16_t meshType);

// `GeneratePolarMesh`: checks its input (CheckPolarInput) before anything
// changes, then sets MinAngle to 0, replaces the mesher net
// (basDelaunay()) with the polar net, builds the element side flags, for
// type 8 smooths it (SmoothMesh with 3 passes), and sets MeshType to 5.
// It reports progress per node and element on the running operation's wait
// window. A stop request ends it at once with the run state 3: the side
// flags, the smoothing and the change of MeshType are skipped, and the
// partial net is never a result.
void GeneratePolarMesh();

}  // namespace orvelo
