// The smallest angle the slab's own geometry gives a net: no net can have a
// smaller angle where pieces of the outline, the openings and the lines meet.
#pragma once

namespace orvelo {

struct Declar;

// The smallest angle, degrees, between two pieces of the input (outline and
// opening pieces, straight or arcs, and lines) where they meet: at a joint
// of their ends, where the end of one lies on the other, and where two
// cross. An arc counts with its tangent at that point; where a piece goes on
// past the point, both of its directions count (a crossing at 25 degrees
// gives 25, not 155). 180 when no pieces meet.
double SmallestInputAngle(const Declar& d);

}  // namespace orvelo
