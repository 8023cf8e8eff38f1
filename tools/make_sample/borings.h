// The borings of the sample project: four borings at the corners of the
// raft (.BAU) and their boring-region layout for the sample net (.P41),
// computed and written with the program's own layout and writer.
#pragma once

#include <string>

#include "orvelo/model/declar.h"

namespace sample {

// Writes dir + name + ".BAU" and ".P41" for the net of d (the program's
// declar(), whose net the layout reads); false after a message on the
// console when a file cannot be written. The boring-layout values of ".P21"
// (records 4 to 6) stay 0: the borings are given in net coordinates.
bool WriteSampleBorings(const std::string& dir, const std::string& name, const orvelo::Declar& d);

}  // namespace sample
