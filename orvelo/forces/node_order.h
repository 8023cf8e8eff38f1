// The two node numberings of the internal forces: the project net's (of the
// net file and every node-related input file) and the calculation net's
// (the solver's renumbered copy). map(n), n = 1..count, is the
// calculation-net number of project-net node n.
#pragma once

#include <cstdint>
#include <vector>

namespace orvelo {

// values(n) := old values(map(n)) for n = 1..count: a per-node list of the
// calculation net turned into the project net's order. A node that the map
// names twice gives its value to both positions. Error 9 when a map entry
// lies outside 1..count or a list is shorter than count + 1.
void GatherToNetOrder(std::int16_t count, std::vector<float>& values,
                      const std::vector<std::int16_t>& map);

// values(map(n)) := old values(n) for n = 1..count: a per-node list of the
// project net turned into the calculation net's order. Where the map names
// a node twice the later entry wins; a position no entry names holds 0.
// Error 9 as above.
void ScatterToCalcOrder(std::int16_t count, std::vector<float>& values,
                        const std::vector<std::int16_t>& map);

}  // namespace orvelo
