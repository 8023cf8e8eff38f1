// Beam end forces: for a project with beams, the torsion moment and the end
// moments and shear forces of every beam, recovered from the solver's nodal
// displacements of the calculation net and written to the project's beam
// end-force file .GH1 (docs/file-formats.md). Nothing else of the program
// reads the file; it is left for the family's other programs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rt {
class TextWriter;
}

namespace orvelo {

// The end forces of one beam.
struct BeamEndForce {
    float Torsion = 0.0f;      // T_b
    float MomentStart = 0.0f;  // M(b, 1)
    float MomentEnd = 0.0f;    // M(b, 2)
    float ShearStart = 0.0f;   // Q(b, 1)
    float ShearEnd = 0.0f;     // Q(b, 2)
};

// The 6 x 6 transformation of a beam, 1-based: local freedom i is the sum
// over j of r[j][i] times global freedom j.
using BeamTransform = std::array<std::array<float, 7>, 7>;

// The end forces of a beam from its global displacements u[1..6] (w, dw/dx,
// dw/dy at the start node, the same at the end node), its transformation,
// bending factor EI / L, torsion factor GJ / L, length L and distributed
// load q:
//   d = R^T u (local: w, twist, bending slope at each end);
//   T = (d5 - d2) GJ/L;
//   M1 = (6/L (d1 - d4) + 4 d3 + 2 d6) EI/L - L^2 q / 12;
//   M2 = -(6/L (d1 - d4) + 2 d3 + 4 d6) EI/L - L^2 q / 12;
//   V = (M2 - M1) / L;  Q1 = L q / 2 + V;  Q2 = V - L q / 2.
// Error 11 for L = 0, error 6 for a result beyond single precision.
BeamEndForce BeamEndForces(const BeamTransform& r, const std::array<float, 7>& u,
                           float bendingFactor, float torsionFactor, float length, float load);

// The lines of .GH1: the beam count, then per beam its start and end node
// (as given: project-net numbers), T, M1, M2, Q1 and Q2, one value a line.
void WriteBeamForceLines(rt::TextWriter& writer, std::int16_t beamCount,
                         const std::vector<std::int16_t>& startNodes,
                         const std::vector<std::int16_t>& endNodes,
                         const std::vector<BeamEndForce>& forces);

// The beam step of the internal forces for one project: reads the beam
// list through the project reader (a refused list ends the step quietly,
// without a file), recovers every beam's end forces and writes
// DataDir & projectName & ".GH1", replacing an existing file. Errors are not
// trapped here: they end the operation through its error exit.
void CalcBeamForces(const std::string& projectName);

}  // namespace orvelo
