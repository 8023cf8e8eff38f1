// The reaction steps of the internal forces: point springs, piles and
// supports (prescribed degrees of freedom). Each shows its status line and
// reads the project's input data of its kind and the solver files that
// belong to it; the lists it fills exist only while the operation runs and
// nothing else of the program uses them. A missing file shows the
// library's message and stops the run (run state 3); the step then ends and
// the operation goes on with the next one. A broken file, or a node number
// outside the node map, raises the run-time error naming the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvelo {

// Point springs of p & ".P35": count, nodes (calculation-net numbers) and
// three values per spring (3i-2, 3i-1, 3i).
void CalcSpringReactions(const std::string& p, std::int16_t& springCount,
                         std::vector<std::int16_t>& springNodes, std::vector<float>& springValues);

// Piles of p & ".PIL" (nodes in calculation-net numbering), and the pile
// values of ".QPF" (ConventionalMethod) or ".FKP" (the two subgrade
// methods from the half-space and the modulus of compressibility).
void CalcPileForces(const std::string& p, std::int16_t& pileCount,
                    std::vector<std::int16_t>& pileNodes, std::vector<float>& pileValues);

// Supports of p & ".P33"; when there is at least one, the beam list (with a
// project of beams), ".PC5" and, as the calculation method asks, ".PL4" and
// ".PH2". The spring and pile lists are those of the two steps above.
void CalcSupportReactions(const std::string& p, std::int16_t springCount,
                          const std::vector<std::int16_t>& springNodes,
                          const std::vector<float>& springValues, std::int16_t pileCount,
                          const std::vector<std::int16_t>& pileNodes,
                          const std::vector<float>& pileValues, std::int16_t& supportCount,
                          std::vector<std::int16_t>& dofNumbers, std::vector<float>& supportValues);

// The point springs of p & ".P35", each node replaced by map of it. 0 read,
// -1 refused (missing file).
std::int16_t ReadPointSprings(const std::string& p, std::int16_t& count,
                              std::vector<std::int16_t>& nodes, std::vector<float>& springValues,
                              const std::vector<std::int16_t>& map);

// The prescribed degrees of freedom of p & ".P33": count, then per entry a
// degree-of-freedom number and a value. 0 read, -1 refused.
std::int16_t ReadSupportList(const std::string& p, std::int16_t& count,
                             std::vector<std::int16_t>& numbers, std::vector<float>& values,
                             std::int16_t context);

}  // namespace orvelo
