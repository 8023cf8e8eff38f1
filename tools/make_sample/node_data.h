// The node-related data of the sample project that its other files do not
// already hold: values per node (.PV1) and the files of the wall-plate
// method (springs .P91, prescribed degrees of freedom .P71, wall-plate
// nodes .PCW), read in place of .P35, .P31 and .PC1 when a project's
// header names that method.
#pragma once

#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"

namespace sample {

// Writes dir + name + ".PV1", ".P91", ".P71" and ".PCW" for the net of d
// (the program's declar()) with the program's own writers; false after the
// library's message when a file could not be written.
bool WriteSampleNodeData(const std::string& dir, const std::string& name, orvelo::Declar& d);

// The points of the wall-plate method's springs and held deflections.
std::vector<halvex::SinglePoint> WallPlatePointSupports();

}  // namespace sample
