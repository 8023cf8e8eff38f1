// Readers of the solver's result files of a project (docs/file-formats.md,
// "Solver results"). Each builds its path from DataDir, lets
// SharedServices().Prod() name it, opens it as file number 1 through
// OpenDataFile with the caller's context and returns 0 when it has read the
// file or -1 when OpenDataFile refused it (a missing file: the library's
// message; with a context above 0 the run is stopped as well).
//
// A file that ends early, holds a value that is not a number or breaks its
// layout (a count below 0, a node number outside the calculation net)
// raises the run-time error with a message naming the file; it ends the
// operation through its error exit. File number 1 is closed again in every
// case the readers return.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orvelo/forces/forces_data.h"

namespace orvelo {

// The node map of file (the project name followed by ".PL3"): count
// Integers into map(1..count), map sized 0..count first. Every entry must
// name a calculation-net node (1..count).
std::int16_t ReadNodeOrder(const std::string& file, std::int16_t count,
                           std::vector<std::int16_t>& map, std::int16_t context);

// count Singles of file (the project name followed by ".PL4", ".QPF" or
// ".FKP") into values(1..count), values sized 0..count. With readCount the
// file begins with its own count, which must equal count (the calculation
// net's node count): a file of another count is refused as a broken file
// instead of misaligning every later read.
std::int16_t ReadValueList(const std::string& file, std::int16_t& count, std::vector<float>& values,
                           std::int16_t context, bool readCount);

// count Singles of file (".PH2") in the project net's order into
// values(1..count), closed, then turned into the calculation net's order.
std::int16_t ReadValuesToCalcOrder(const std::string& file, std::int16_t count,
                                   std::vector<float>& values, const std::vector<std::int16_t>& map,
                                   std::int16_t context);

// The slab groups of path & ".P21" (path: DataDir & project name): the
// group count from record 2 and per group g the records 3g+7 (thickness),
// 3g+8 (modulus of elasticity), 3g+9 (Poisson's ratio). -1 as well when the
// file check refuses the file (no message).
std::int16_t ReadSlabGroups(const std::string& path, std::int16_t& count,
                            std::vector<float>& thickness, std::vector<float>& modulus,
                            std::vector<float>& poisson, std::int16_t context);

// The calculation net of file (the project name followed by ".PL9") into
// net: CalcNodeCount, CalcNodeX/Y, CalcElementCount, CalcCornerCount,
// CalcElementCorners (corner count 3 or 4, every corner a node of the net)
// and CalcElementGroup. net changes only when the whole file was read.
std::int16_t ReadCalculationNetFile(const std::string& file, InternalForcesData& net,
                                    std::int16_t context);

// n Singles of file, read and not kept (.PC7, .PC8).
std::int16_t ReadUnusedValues(const std::string& file, int n, std::int16_t context);

// 3 x net.CalcNodeCount Singles of file (".PG1") into SolverDisplacements,
// then split into NodalDeflection, NodalRotationX and NodalRotationY.
std::int16_t ReadNodalDisplacements(const std::string& file, InternalForcesData& net,
                                    std::int16_t context);

}  // namespace orvelo
