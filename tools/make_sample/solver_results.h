// The solver results of a sample project, computed from an analytical
// deflection field of the slab (docs/forces.md, "The sample project's
// solver results"), and the project's spring, pile, support and beam files
// that go with them.
#pragma once

#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/declar.h"

namespace sample {

// Writes into dir, for the project name whose net d holds (its nodes on the
// whole-number points of the slab): the calculation net and node order
// (.PL9, .PL3), the solver's values (.PC7, .PC8, .PL4, .PH2, .PC5), the
// nodal displacements of the field (.PG1), the slab group (.P21), the point
// springs (.P35), the piles (.PIL), the prescribed degrees of freedom (.P31
// and the solver's list .P33) and a ground beam (.GL1), and marks the
// springs, supports, beams and piles in the header of name.PO1. Returns
// false after the library's message when a file could not be written.
bool WriteSampleSolverResults(const std::string& dir, const std::string& name,
                              const orvelo::Declar& d);

// The points of the sample's columns, piles and point springs.
std::vector<halvex::SinglePoint> SamplePointSupports();

}  // namespace sample
