#include "orvelo/forces/result_readers.h"

#include <utility>

#include "halvex/interface/enums.h"
#include "orvelo/forces/forces_steps.h"
#include "orvelo/forces/node_order.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

std::vector<float> readSingles(rt::TextReader& in, std::size_t count) {
    rt::requireRoomFor(in, static_cast<long long>(count), 1);
    std::vector<float> values(count + 1, 0.0f);
    for (std::size_t i = 1; i <= count; ++i) values[i] = in.readSingle();
    return values;
}

}  // namespace

std::int16_t ReadNodeOrder(const std::string& file, std::int16_t count,
                           std::vector<std::int16_t>& map, std::int16_t context) {
    map.assign(forces::CountSize(count) + 1, 0);
    return forces::ReadDataFile(declar().DataDir + file, halvex::InputMode, context, [&] {
        rt::TextReader& in = rt::dataChannel().reader();
        // A permutation: every calculation node taken by one project node.
        std::vector<bool> taken(forces::CountSize(count) + 1, false);
        for (std::size_t n = 1; n <= forces::CountSize(count); ++n) {
            map[n] = in.readInteger();
            if (map[n] < 1 || map[n] > count) forces::UnknownNode(map[n], count);
            if (taken[static_cast<std::size_t>(map[n])])
                rt::raise(9, FileFaultText(190150, {rt::Variant("|2"), rt::Variant(map[n])}));
            taken[static_cast<std::size_t>(map[n])] = true;
        }
        rt::requireFileEnd(in);
    });
}

std::int16_t ReadValueList(const std::string& file, std::int16_t& count, std::vector<float>& values,
                           std::int16_t context, bool readCount) {
    return forces::ReadDataFile(declar().DataDir + file, halvex::InputMode, context, [&] {
        rt::TextReader& in = rt::dataChannel().reader();
        // The file's own count must be the calculation net's node count.
        if (readCount && forces::ReadCount(in) != count) forces::BrokenFile();
        values = readSingles(in, forces::CountSize(count));
        if (readCount) rt::requireFileEnd(in);
    });
}

std::int16_t ReadValuesToCalcOrder(const std::string& file, std::int16_t count,
                                   std::vector<float>& values, const std::vector<std::int16_t>& map,
                                   std::int16_t context) {
    values.assign(forces::CountSize(count) + 1, 0.0f);
    const std::int16_t result = forces::ReadDataFile(
        declar().DataDir + file, halvex::InputMode, context,
        [&] {
            rt::TextReader& in = rt::dataChannel().reader();
            values = readSingles(in, forces::CountSize(count));
            rt::requireFileEnd(in);
        });
    if (result != 0) return result;
    ScatterToCalcOrder(count, values, map);
    return 0;
}

std::int16_t ReadSlabGroups(const std::string& path, std::int16_t& count,
                            std::vector<float>& thickness, std::vector<float>& modulus,
                            std::vector<float>& poisson, std::int16_t context) {
    const std::string file = path + ".P21";
    std::int16_t failed = 0;
    FileCheck().PrepareFile(file, halvex::GetRandomMode, 3, nullptr, failed);
    if (failed != 0) return -1;
    std::int16_t groups = 0;
    std::vector<float> d, e, nu;
    const std::int16_t result = forces::ReadDataFile(file, halvex::GetRandomMode, context, [&] {
        rt::RecordFile& records = rt::dataChannel().records();
        groups = records.getInteger(2);
        if (groups < 0) forces::BrokenFile();
        // The properties of the last group stand in record 3K + 9.
        if (records.recordCount() < 3 * static_cast<std::int32_t>(groups) + 9) rt::raise(62);
        d.assign(forces::CountSize(groups) + 1, 0.0f);
        e.assign(forces::CountSize(groups) + 1, 0.0f);
        nu.assign(forces::CountSize(groups) + 1, 0.0f);
        for (std::int32_t g = 1; g <= groups; ++g) {
            d[g] = records.getSingle(3 * g + 7);
            e[g] = records.getSingle(3 * g + 8);
            nu[g] = records.getSingle(3 * g + 9);
        }
    });
    if (result != 0) return result;
    count = groups;
    thickness = std::move(d);
    modulus = std::move(e);
    poisson = std::move(nu);
    return 0;
}

std::int16_t ReadCalculationNetFile(const std::string& file, InternalForcesData& net,
                                    std::int16_t context) {
    InternalForcesData read;
    const std::int16_t result =
        forces::ReadDataFile(declar().DataDir + file, halvex::InputMode, context, [&] {
            rt::TextReader& in = rt::dataChannel().reader();
            read.CalcNodeCount = forces::ReadCount(in);
            const std::size_t nodes = forces::CountSize(read.CalcNodeCount);
            rt::requireRoomFor(in, read.CalcNodeCount, 2);
            read.CalcNodeX.assign(nodes + 1, 0.0f);
            read.CalcNodeY.assign(nodes + 1, 0.0f);
            for (std::size_t n = 1; n <= nodes; ++n) {
                read.CalcNodeX[n] = rt::readCoordinate(in);
                read.CalcNodeY[n] = rt::readCoordinate(in);
            }
            read.CalcElementCount = forces::ReadCount(in);
            const std::size_t elements = forces::CountSize(read.CalcElementCount);
            rt::requireRoomFor(in, read.CalcElementCount, 5);
            read.CalcCornerCount.assign(elements + 1, 0);
            read.CalcElementCorners.assign(elements + 1, std::array<std::int16_t, 5>{});
            read.CalcElementGroup.assign(elements + 1, 0);
            for (std::size_t e = 1; e <= elements; ++e) {
                const std::int16_t corners = in.readInteger();
                if (corners != 3 && corners != 4) forces::BrokenFile();
                read.CalcCornerCount[e] = corners;
                for (int k = 1; k <= corners; ++k) {
                    const std::int16_t node = in.readInteger();
                    if (node < 1 || node > read.CalcNodeCount) forces::UnknownNode(node, read.CalcNodeCount);
                    // An element names each of its nodes once.
                    for (int j = 1; j < k; ++j)
                        if (read.CalcElementCorners[e][j] == node) forces::BrokenFile();
                    read.CalcElementCorners[e][k] = node;
                }
            }
            for (std::size_t e = 1; e <= elements; ++e) read.CalcElementGroup[e] = in.readInteger();
            rt::requireFileEnd(in);
        });
    if (result != 0) return result;
    net.CalcNodeCount = read.CalcNodeCount;
    net.CalcNodeX = std::move(read.CalcNodeX);
    net.CalcNodeY = std::move(read.CalcNodeY);
    net.CalcElementCount = read.CalcElementCount;
    net.CalcCornerCount = std::move(read.CalcCornerCount);
    net.CalcElementCorners = std::move(read.CalcElementCorners);
    net.CalcElementGroup = std::move(read.CalcElementGroup);
    return 0;
}

std::int16_t ReadUnusedValues(const std::string& file, int n, std::int16_t context) {
    return forces::ReadDataFile(declar().DataDir + file, halvex::InputMode, context, [&] {
        rt::TextReader& in = rt::dataChannel().reader();
        for (int i = 0; i < n; ++i) in.readSingle();
    });
}

std::int16_t ReadNodalDisplacements(const std::string& file, InternalForcesData& net,
                                    std::int16_t context) {
    const std::size_t nodes = forces::CountSize(net.CalcNodeCount);
    std::vector<float> displacements;
    const std::int16_t result = forces::ReadDataFile(
        declar().DataDir + file, halvex::InputMode, context,
        [&] {
            rt::TextReader& in = rt::dataChannel().reader();
            displacements = readSingles(in, 3 * nodes);
            rt::requireFileEnd(in);
        });
    if (result != 0) return result;
    net.SolverDisplacements = std::move(displacements);
    net.NodalDeflection.assign(nodes + 1, 0.0f);
    net.NodalRotationX.assign(nodes + 1, 0.0f);
    net.NodalRotationY.assign(nodes + 1, 0.0f);
    for (std::size_t n = 1; n <= nodes; ++n) {
        net.NodalDeflection[n] = net.SolverDisplacements[3 * n - 2];
        net.NodalRotationX[n] = net.SolverDisplacements[3 * n - 1];
        net.NodalRotationY[n] = net.SolverDisplacements[3 * n];
    }
    return 0;
}

}  // namespace orvelo
