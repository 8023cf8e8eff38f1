// The beam list of a project: ClsProjectReader::ReadBeamData.
#include "outside/drovik/project_reader.h"

#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/textfile.h"

namespace drovik {

namespace {

struct BeamList {
    std::int16_t count = 0;
    std::vector<std::int16_t> startNodes{0}, endNodes{0}, beamNumbers{0}, propertySets{0};
    std::vector<float> loads{0.0f}, modulus{0.0f}, shearModulus{0.0f}, inertia{0.0f}, torsion{0.0f};
};

std::int16_t readCount(rt::TextReader& reader, const std::string& path) {
    const std::int16_t count = reader.readInteger();
    if (count < 0) rt::raise(6, "A negative count (" + std::to_string(count) + ") in " + path);
    return count;
}

BeamList readBeams(const std::string& prefix) {
    const std::string path = rt::findFileCaseInsensitive(prefix + ".GL1");
    if (path.empty()) rt::raise(53, "File not found: " + prefix + ".GL1");
    rt::TextReader reader;
    reader.open(path);
    reader.readLine();  // the version line, not compared
    BeamList list;
    list.count = readCount(reader, path);
    const std::int16_t setCount = readCount(reader, path);
    const std::size_t n = static_cast<std::size_t>(list.count) + 1;
    list.startNodes.assign(n, 0);
    list.endNodes.assign(n, 0);
    list.propertySets.assign(n, 0);
    list.beamNumbers.assign(n, 0);
    for (std::size_t b = 1; b < n; ++b) {
        list.propertySets[b] = reader.readInteger();
        list.startNodes[b] = reader.readInteger();
        list.endNodes[b] = reader.readInteger();
        list.beamNumbers[b] = static_cast<std::int16_t>(b);
        if (list.propertySets[b] < 1 || list.propertySets[b] > setCount)
            rt::raise(9, "Line member " + std::to_string(b) + " names property set " +
                             std::to_string(list.propertySets[b]) + " of " +
                             std::to_string(setCount) + ": " + path);
        if (list.startNodes[b] < 1 || list.endNodes[b] < 1)
            rt::raise(9,
                      "Line member " + std::to_string(b) + " has a node number below 1: " + path);
    }
    // Property sets: A, B, C, D and the edge value.
    const std::size_t s = static_cast<std::size_t>(setCount) + 1;
    std::vector<float> a(s), bValues(s), c(s), d(s), edge(s);
    for (std::size_t set = 1; set < s; ++set) {
        a[set] = reader.readSingle();
        bValues[set] = reader.readSingle();
        c[set] = reader.readSingle();
        d[set] = reader.readSingle();
        edge[set] = reader.readSingle();
    }
    list.loads.assign(n, 0.0f);
    list.modulus.assign(n, 0.0f);
    list.shearModulus.assign(n, 0.0f);
    list.inertia.assign(n, 0.0f);
    list.torsion.assign(n, 0.0f);
    for (std::size_t b = 1; b < n; ++b) {
        const auto set = static_cast<std::size_t>(list.propertySets[b]);
        list.modulus[b] = a[set];
        list.shearModulus[b] = bValues[set];
        list.inertia[b] = c[set];
        list.torsion[b] = d[set];
        list.loads[b] = edge[set];
    }
    return list;
}

}  // namespace

void ClsProjectReader::ReadBeamData(const std::string& prefix, std::int16_t& beamCount,
                                    std::vector<std::int16_t>& startNodes,
                                    std::vector<std::int16_t>& endNodes, std::vector<float>& loads,
                                    std::vector<std::int16_t>& beamNumbers,
                                    std::vector<std::int16_t>& propertySets,
                                    std::vector<float>& modulus, std::vector<float>& shearModulus,
                                    std::vector<float>& inertia, std::vector<float>& torsion,
                                    std::int16_t mode, void* /*nothing*/, std::int16_t& failed) {
    if (mode != 4) {
        failed = 5;
        return;
    }
    BeamList list;
    try {
        list = readBeams(prefix);
    } catch (const rt::RuntimeError& error) {
        const int number = error.number();
        failed = static_cast<std::int16_t>(number > 0 && number <= 32767 ? number : 5);
        return;
    }
    beamCount = list.count;
    startNodes = std::move(list.startNodes);
    endNodes = std::move(list.endNodes);
    loads = std::move(list.loads);
    beamNumbers = std::move(list.beamNumbers);
    propertySets = std::move(list.propertySets);
    modulus = std::move(list.modulus);
    shearModulus = std::move(list.shearModulus);
    inertia = std::move(list.inertia);
    torsion = std::move(list.torsion);
    failed = 0;
}

}  // namespace drovik
