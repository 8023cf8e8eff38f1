#include "orvelo/forces/beam_forces.h"

#include <algorithm>

#include "halvex/interface/enums.h"
#include "orvelo/forces/float_checks.h"
#include "orvelo/forces/forces_data.h"
#include "orvelo/forces/forces_steps.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/textfile.h"

namespace orvelo {

using forces::checkedDivide;
using forces::checkedSingle;

BeamEndForce BeamEndForces(const BeamTransform& r, const std::array<float, 7>& u,
                           float bendingFactor, float torsionFactor, float length, float load) {
    // Local displacements: d(i) = sum over j of R(j, i) u(j).
    std::array<float, 7> d{};
    for (int i = 1; i <= 6; ++i) {
        double sum = 0.0;
        for (int j = 1; j <= 6; ++j) sum += static_cast<double>(r[j][i]) * u[j];
        d[i] = checkedSingle(sum);
    }
    const double l = length;
    const double q = load;
    const double chord = checkedDivide(6.0, l) * (static_cast<double>(d[1]) - d[4]);
    const double fixedEnd = l * l * q / 12.0;

    BeamEndForce f;
    f.Torsion = checkedSingle((static_cast<double>(d[5]) - d[2]) * torsionFactor);
    const float m1 = checkedSingle((chord + 4.0 * d[3] + 2.0 * d[6]) * bendingFactor);
    const float m2 = checkedSingle((chord + 2.0 * d[3] + 4.0 * d[6]) * bendingFactor);
    // The fixed-end moments of the distributed load; the end moment changes
    // its sign here.
    f.MomentStart = checkedSingle(m1 - fixedEnd);
    f.MomentEnd = checkedSingle(-static_cast<double>(m2) - fixedEnd);
    const double v = checkedDivide(static_cast<double>(f.MomentEnd) - f.MomentStart, l);
    f.ShearStart = checkedSingle(l * q / 2.0 + v);
    f.ShearEnd = checkedSingle(v - l * q / 2.0);
    return f;
}

void WriteBeamForceLines(rt::TextWriter& writer, std::int16_t beamCount,
                         const std::vector<std::int16_t>& startNodes,
                         const std::vector<std::int16_t>& endNodes,
                         const std::vector<BeamEndForce>& forces) {
    const auto n = static_cast<std::size_t>(beamCount < 0 ? 0 : beamCount);
    if (startNodes.size() <= n || endNodes.size() <= n || forces.size() <= n) rt::raise(9);
    writer.writeValues(beamCount);
    for (std::size_t b = 1; b <= n; ++b) {
        writer.writeValues(startNodes[b]);
        writer.writeValues(endNodes[b]);
        writer.writeValues(forces[b].Torsion);
        writer.writeValues(forces[b].MomentStart);
        writer.writeValues(forces[b].MomentEnd);
        writer.writeValues(forces[b].ShearStart);
        writer.writeValues(forces[b].ShearEnd);
    }
}

namespace {

std::int16_t calcNodeOf(const InternalForcesData& net, std::int16_t node) {
    if (node < 1 || static_cast<std::size_t>(node) >= net.CalcNodeMap.size()) rt::raise(9);
    return net.CalcNodeMap[static_cast<std::size_t>(node)];
}

float valueAt(const std::vector<float>& list, std::int16_t node) {
    if (node < 1 || static_cast<std::size_t>(node) >= list.size()) rt::raise(9);
    return list[static_cast<std::size_t>(node)];
}

}  // namespace

void CalcBeamForces(const std::string& projectName) {
    const InternalForcesData& net = internalForces();

    // 1. Status line.
    forces::ShowStatus(quillon::TextNo(120104));

    // 2. The beam list; a refused list ends the step without a file.
    std::int16_t beamCount = 0, failed = 0;
    std::vector<std::int16_t> startNodes, endNodes, beamNumbers, propertySets;
    std::vector<float> loads, modulus, shearModulus, inertia, torsion;
    ProjectReader().ReadBeamData(declar().DataDir + projectName, beamCount, startNodes, endNodes,
                                 loads, beamNumbers, propertySets, modulus, shearModulus, inertia,
                                 torsion, 4, nullptr, failed);
    if (failed != 0) return;
    const auto n = static_cast<std::size_t>(beamCount);
    if (startNodes.size() <= n || endNodes.size() <= n || loads.size() <= n ||
        beamNumbers.size() <= n) {
        rt::raise(9);
    }

    // 3.-4. End forces per beam, in calculation-net numbering. The project
    // net's numbers stay in startNodes / endNodes for the file.
    // A member that ends outside the net or has no length is the fault of
    // the member file, named with the member.
    const std::string members = forces::ProjectFile(projectName, ".GL1");
    auto memberFault = [&](int number, std::int32_t textNo, std::size_t b, std::int16_t node) {
        raiseReadError(rt::RuntimeError(number, FileFaultText(textNo, {rt::Variant("|2"), rt::Variant(static_cast<std::int32_t>(b)),
                                                                      rt::Variant("|3"), rt::Variant(node), rt::Variant("|4"),
                                                                      rt::Variant(static_cast<std::int32_t>(net.CalcNodeMap.size()) - 1)})),
                       members);
    };
    std::vector<BeamEndForce> results(n + 1);
    drovik::ClsElementMatrices& matrices = forces::ElementMatrices();
    for (std::size_t b = 1; b <= n; ++b) {
        for (const std::int16_t node : {startNodes[b], endNodes[b]})
            if (node < 1 || static_cast<std::size_t>(node) >= net.CalcNodeMap.size()) memberFault(9, 190144, b, node);
        const std::int16_t first = calcNodeOf(net, startNodes[b]), last = calcNodeOf(net, endNodes[b]);
        if (first >= 1 && last >= 1 && static_cast<std::size_t>(std::max(first, last)) < net.CalcNodeX.size() &&
            static_cast<std::size_t>(std::max(first, last)) < net.CalcNodeY.size() &&
            net.CalcNodeX[static_cast<std::size_t>(first)] == net.CalcNodeX[static_cast<std::size_t>(last)] &&
            net.CalcNodeY[static_cast<std::size_t>(first)] == net.CalcNodeY[static_cast<std::size_t>(last)])
            memberFault(11, 190145, b, startNodes[b]);
        float axisX = 0, axisY = 0, bending = 0, twisting = 0;
        std::int16_t s = 0, e = 0;
        matrices.BeamGeometry(first, last,
                              beamNumbers[b], modulus, inertia, shearModulus, torsion,
                              net.CalcNodeX, net.CalcNodeY, axisX, axisY, bending, twisting, s, e);
        BeamTransform r{};
        float bendingFactor = 0, torsionFactor = 0, length = 0;
        float shearTerm = 0, couplingTerm = 0, nearTerm = 0, farTerm = 0, angle = 0;
        matrices.BeamMatrices(r, bending, twisting, axisX, axisY, bendingFactor, torsionFactor,
                              length, shearTerm, couplingTerm, nearTerm, farTerm, angle);
        const std::array<float, 7> u = {0.0f,
                                        valueAt(net.NodalDeflection, s),
                                        valueAt(net.NodalRotationX, s),
                                        valueAt(net.NodalRotationY, s),
                                        valueAt(net.NodalDeflection, e),
                                        valueAt(net.NodalRotationX, e),
                                        valueAt(net.NodalRotationY, e)};
        results[b] = BeamEndForces(r, u, bendingFactor, torsionFactor, length, loads[b]);
    }

    // 6. The file, replacing an existing one. It is named like the
    // project's files on disk, whatever case the project was given in, so
    // that the family's programs find it.
    std::string stem = projectName;
    const std::string header = rt::findFileCaseInsensitive(forces::ProjectFile(projectName, ".PO1"));
    if (!header.empty()) {
        const std::size_t name = header.size() - stem.size() - 4;
        stem = header.substr(name, stem.size());
    }
    const std::string path = forces::ProjectFile(stem, ".GH1");
    SharedServices().Prod(path);
    if (OpenDataFile(SharedServices().Prod(), halvex::OutputMode, 1, 0) != 0) return;
    WriteBeamForceLines(rt::dataChannel().writer(), beamCount, startNodes, endNodes, results);
    CloseDataFile(1);

    // 7. One progress step.
    forces::ProgressStep();
}

}  // namespace orvelo
