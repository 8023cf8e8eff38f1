// The geometric predicates of the Delaunay mesher: orientation of three
// points and the in-circle test of four. Both give the sign of the exact
// determinant of their double inputs (every Single coordinate is a double
// exactly): a fast floating-point evaluation decides whenever its error
// bound allows, and an exact evaluation in floating-point expansions decides
// the rest. Nothing else in the mesher tests orientation or circles.
#pragma once

namespace orvelo::predicates {

// Twice the signed area of the triangle (a, b, c): positive when the points
// run counter-clockwise (y upwards), negative clockwise, 0 exactly when they
// lie on one line. The magnitude is approximate, the sign exact.
double Orient2d(double ax, double ay, double bx, double by, double cx, double cy);

// Positive when d lies inside the circle through a, b and c, negative
// outside, 0 on it, for counter-clockwise (a, b, c) (the sign flips for
// clockwise ones). The magnitude is approximate, the sign exact.
double InCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                double dy);

// Whether p lies on the closed segment from a to b: on its line exactly and
// within its extent.
bool OnSegment(double ax, double ay, double bx, double by, double px, double py);

}  // namespace orvelo::predicates
