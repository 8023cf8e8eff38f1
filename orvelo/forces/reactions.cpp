#include "orvelo/forces/reactions.h"

#include "halvex/interface/enums.h"
#include "orvelo/forces/forces_data.h"
#include "orvelo/forces/forces_steps.h"
#include "orvelo/forces/result_readers.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

// Context of the reaction files: a missing file stops the run.
constexpr std::int16_t kContext = 4;

// The calculation-net number of project-net node n; inside a reader's body
// a node outside the map is reported as a broken file.
std::int16_t mappedNode(std::int16_t n) {
    const std::vector<std::int16_t>& map = internalForces().CalcNodeMap;
    if (n < 1 || static_cast<std::size_t>(n) >= map.size())
        forces::UnknownNode(n, static_cast<std::int32_t>(map.size()) - 1);
    return map[static_cast<std::size_t>(n)];
}

// Common start of the three steps: the status line.
void showReactionStatus() { forces::ShowStatus(quillon::TextNo(120089)); }

bool usesNodeValueFiles() {
    const Declar& d = declar();
    return !(d.AnalysisMethod == halvex::MethodSlabFloor ||
             d.AnalysisMethod == halvex::MethodGridbeams ||
             (d.AnalysisMethod == halvex::ConventionalMethod && d.HasPiles));
}

}  // namespace

std::int16_t ReadPointSprings(const std::string& p, std::int16_t& count,
                              std::vector<std::int16_t>& nodes, std::vector<float>& springValues,
                              const std::vector<std::int16_t>& map) {
    return forces::ReadDataFile(forces::ProjectFile(p, ".P35"), halvex::InputMode, kContext, [&] {
        rt::TextReader& in = rt::dataChannel().reader();
        in.readLine();  // the version line, not compared
        const std::int16_t springs = forces::ReadCount(in);
        forces::ReadCount(in);  // the count of the list after the springs (not read)
        std::vector<std::int16_t> springNodes(forces::CountSize(springs) + 1, 0);
        std::vector<float> values(3 * forces::CountSize(springs) + 1, 0.0f);
        for (std::size_t i = 1; i <= forces::CountSize(springs); ++i) {
            in.readInteger();
            springNodes[i] = in.readInteger();
            values[3 * i - 2] = in.readSingle();
            values[3 * i - 1] = in.readSingle();
            values[3 * i] = in.readSingle();
        }
        for (std::size_t i = 1; i <= forces::CountSize(springs); ++i) {
            const std::int16_t n = springNodes[i];
            if (n < 1 || static_cast<std::size_t>(n) >= map.size())
                forces::UnknownNode(n, static_cast<std::int32_t>(map.size()) - 1);
            springNodes[i] = map[static_cast<std::size_t>(n)];
        }
        count = springs;
        nodes = std::move(springNodes);
        springValues = std::move(values);
    });
}

std::int16_t ReadSupportList(const std::string& p, std::int16_t& count,
                             std::vector<std::int16_t>& numbers, std::vector<float>& values,
                             std::int16_t context) {
    return forces::ReadDataFile(forces::ProjectFile(p, ".P33"), halvex::InputMode, context, [&] {
        rt::TextReader& in = rt::dataChannel().reader();
        const std::int16_t entries = forces::ReadCount(in);
        std::vector<std::int16_t> dofs(forces::CountSize(entries) + 1, 0);
        std::vector<float> dofValues(forces::CountSize(entries) + 1, 0.0f);
        for (std::size_t i = 1; i <= forces::CountSize(entries); ++i) {
            dofs[i] = in.readInteger();
            dofValues[i] = in.readSingle();
        }
        count = entries;
        numbers = std::move(dofs);
        values = std::move(dofValues);
    });
}

void CalcSpringReactions(const std::string& p, std::int16_t& springCount,
                         std::vector<std::int16_t>& springNodes, std::vector<float>& springValues) {
    showReactionStatus();
    ReadPointSprings(p, springCount, springNodes, springValues, internalForces().CalcNodeMap);
}

void CalcPileForces(const std::string& p, std::int16_t& pileCount,
                    std::vector<std::int16_t>& pileNodes, std::vector<float>& pileValues) {
    showReactionStatus();
    const Declar& d = declar();
    std::int16_t piles = 0;
    std::vector<std::int16_t> nodes;
    const std::int16_t read =
        forces::ReadDataFile(forces::ProjectFile(p, ".PIL"), halvex::InputMode, kContext, [&] {
            rt::TextReader& in = rt::dataChannel().reader();
            piles = forces::ReadCount(in);
            in.readSingle();
            in.readSingle();
            const std::int16_t types = forces::ReadCount(in);
            nodes.assign(forces::CountSize(piles) + 1, 0);
            for (std::size_t i = 1; i <= forces::CountSize(piles); ++i) {
                nodes[i] = in.readInteger();
                in.readInteger();  // the pile's type
            }
            for (int t = 1; t <= types; ++t) {
                in.readInteger();
                in.readInteger();
                for (int k = 0; k < 7; ++k) in.readSingle();
                in.readLine();  // the type's name
                in.readSingle();
            }
            // The layer blocks after the type records are not read.
            for (std::size_t i = 1; i <= forces::CountSize(piles); ++i)
                nodes[i] = mappedNode(nodes[i]);
        });
    if (read != 0) return;
    pileCount = piles;
    pileNodes = std::move(nodes);
    forces::ProgressStep();

    std::int16_t count = piles;
    if (d.AnalysisMethod == halvex::ConventionalMethod) {
        if (ReadValueList(p + ".QPF", count, pileValues, kContext, false) != 0) return;
    } else if (d.AnalysisMethod == halvex::subgradeFromHalfSpace ||
               d.AnalysisMethod == halvex::subgradeFromModulusOfCompressibilty) {
        if (ReadValueList(p + ".FKP", count, pileValues, kContext, false) != 0) return;
    }
    forces::ProgressStep();
}

void CalcSupportReactions(const std::string& p, std::int16_t /*springCount*/,
                          const std::vector<std::int16_t>& /*springNodes*/,
                          const std::vector<float>& /*springValues*/, std::int16_t /*pileCount*/,
                          const std::vector<std::int16_t>& /*pileNodes*/,
                          const std::vector<float>& /*pileValues*/, std::int16_t& supportCount,
                          std::vector<std::int16_t>& dofNumbers,
                          std::vector<float>& supportValues) {
    showReactionStatus();
    const Declar& d = declar();
    InternalForcesData& net = internalForces();

    // 2. The supports; none, or a missing file, ends the step here.
    if (ReadSupportList(p, supportCount, dofNumbers, supportValues, kContext) != 0 ||
        supportCount == 0)
        return;

    // 3. The beams of the project, their end nodes in calculation-net numbers.
    if (d.HasBeams) {
        std::int16_t beamCount = 0, failed = 0;
        std::vector<std::int16_t> startNodes, endNodes, beamNumbers, propertySets;
        std::vector<float> loads, modulus, shearModulus, inertia, torsion;
        ProjectReader().ReadBeamData(d.DataDir + p, beamCount, startNodes, endNodes, loads,
                                     beamNumbers, propertySets, modulus, shearModulus, inertia,
                                     torsion, 4, nullptr, failed);
        if (failed != 0) return;
        for (std::size_t b = 1;
             b <= forces::CountSize(beamCount) && b < startNodes.size() && b < endNodes.size();
             ++b) {
            if (startNodes[b] < 1 ||
                static_cast<std::size_t>(startNodes[b]) >= net.CalcNodeMap.size() ||
                endNodes[b] < 1 ||
                static_cast<std::size_t>(endNodes[b]) >= net.CalcNodeMap.size()) {
                rt::raise(9);
            }
            startNodes[b] = net.CalcNodeMap[static_cast<std::size_t>(startNodes[b])];
            endNodes[b] = net.CalcNodeMap[static_cast<std::size_t>(endNodes[b])];
        }
        forces::ProgressStep();
    }

    // 4. The solver's values per freedom and per element.
    const std::size_t freedoms = 3 * forces::CountSize(net.CalcNodeCount);
    const std::size_t elements = forces::CountSize(net.CalcElementCount);
    if (forces::ReadDataFile(forces::ProjectFile(p, ".PC5"), halvex::InputMode, kContext, [&] {
            rt::TextReader& in = rt::dataChannel().reader();
            for (std::size_t i = 0; i < freedoms + elements; ++i) in.readSingle();
        }) != 0) {
        return;
    }
    forces::ProgressStep();

    // 5. The node values, as the calculation method asks.
    if (usesNodeValueFiles()) {
        std::vector<float> values;
        if (ReadValueList(p + ".PL4", net.CalcNodeCount, values, kContext, true) != 0) return;
        if (ReadValuesToCalcOrder(p + ".PH2", net.CalcNodeCount, values, net.CalcNodeMap,
                                  kContext) != 0)
            return;
    }

    // 6. A last progress step.
    forces::ProgressStep();
}

}  // namespace orvelo
