// Refinement chains through operations 8, 12 and 11: a copy of the sample
// project with random borings, a random boring layout and random values per
// node is carried to a new net three times over, each new net a grid of
// random fineness around the opening (quadrilaterals as a grid-based net, or triangles as a
// Delaunay net) whose nodes are numbered at random. Every datum of every
// generation must sit at the place it had in the generation before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/bas_data.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/boring_layout.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/node_data_files.h"
#include "orvelo/project/node_locator.h"
#include "orvelo/project/services.h"
#include "orvelo/project/transfer.h"
#include "orvelo/program_fixture.h"
#include "operations_fixture.h"
#include "orvelo/wizard/operation_runner.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/recordfile.h"
#include "platform/runtime/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using orvelo::NodeDataFile;

constexpr NodeDataFile kListFiles[] = {NodeDataFile::P35, NodeDataFile::P91, NodeDataFile::P31,
                                       NodeDataFile::P71, NodeDataFile::PIL, NodeDataFile::PCW};

// What a project holds, by node number of its own net.
struct Snapshot {
    orvelo::ProjectNet net;
    std::map<NodeDataFile, std::vector<std::int16_t>> lists;
    std::vector<float> values;          // .PV1 per node, 1-based
    std::vector<std::int16_t> boring;   // per node: the boring of a constant node, else 0
};

double squared(float ax, float ay, float bx, float by) {
    const double dx = static_cast<double>(ax) - bx;
    const double dy = static_cast<double>(ay) - by;
    return dx * dx + dy * dy;
}

// The node of net nearest to (x, y), the lowest number among equally near.
std::int16_t nearest(const orvelo::ProjectNet& net, float x, float y) {
    return orvelo::NearestNodeByScan(x, y, 0.0f, net.NodeX, net.NodeY, net.NodeCount);
}

class PlaceChainTest : public orvelotest::OperationsTest<bool> {
protected:
    // The project net of declar(): a grid of square cells of side 1/k over
    // the raft's 12 x 8 without its opening (4, 3)-(6, 5), its nodes
    // numbered at random; quadrilaterals, or each cell cut in two triangles.
    void makeGridNet(int k, bool triangles) {
        orvelo::Declar& d = orvelo::declar();
        const int nx = 12 * k, ny = 8 * k;
        const auto inOpening = [k](int i, int j) { return i > 4 * k && i < 6 * k && j > 3 * k && j < 5 * k; };
        const auto cellInOpening = [k](int i, int j) { return i >= 4 * k && i < 6 * k && j >= 3 * k && j < 5 * k; };
        std::vector<std::int16_t> number((nx + 1) * (ny + 1), 0);
        std::vector<std::int16_t> order;
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i)
                if (!inOpening(i, j)) order.push_back(static_cast<std::int16_t>(order.size() + 1));
        std::shuffle(order.begin(), order.end(), rng);
        d.NodeX.assign(order.size() + 1, 0.0f);
        d.NodeY.assign(order.size() + 1, 0.0f);
        std::size_t next = 0;
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i) {
                if (inOpening(i, j)) continue;
                const std::int16_t n = order[next++];
                number[static_cast<std::size_t>(i + (nx + 1) * j)] = n;
                d.NodeX[n] = static_cast<float>(static_cast<double>(i) / k);
                d.NodeY[n] = static_cast<float>(static_cast<double>(j) / k);
            }
        const auto node = [&](int i, int j) { return number[static_cast<std::size_t>(i + (nx + 1) * j)]; };
        d.NodeCount = static_cast<std::int16_t>(order.size());
        d.ElementList.assign(1, orvelo::NetElement{});
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                if (cellInOpening(i, j)) continue;
                orvelo::NetElement element;
                if (triangles) {
                    element.CornerCount = 3;
                    element.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), 0};
                    d.ElementList.push_back(element);
                    element.Node = {0, node(i, j), node(i + 1, j + 1), node(i, j + 1), 0};
                } else {
                    element.CornerCount = 4;
                    element.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)};
                }
                d.ElementList.push_back(element);
            }
        d.ElementCount = static_cast<std::int16_t>(d.ElementList.size() - 1);
        // A Delaunay generation leaves its drawing scale; a grid-based one 0.
        d.DrawingScale = triangles ? 0.05f : 0.0f;
    }

    // Random borings and a random layout for the net of declar(), written as
    // dir/RAFT.BAU and .P41; random values per node as .PV1.
    void writeRandomSoil(const std::string& dir) {
        orvelo::Declar& d = orvelo::declar();
        orvelo::BoringData& b = orvelo::boringData();
        std::uniform_real_distribution<float> x(0.5f, 11.5f), y(0.5f, 7.5f);
        const auto k = static_cast<std::int16_t>(std::uniform_int_distribution<int>(2, 5)(rng));
        b.BoringCount = k;
        b.BoringX.assign(1, 0.0f);
        b.BoringY.assign(1, 0.0f);
        b.BoringName.assign(1, std::string());
        for (int i = 1; i <= k; ++i) {
            b.BoringX.push_back(x(rng));
            b.BoringY.push_back(y(rng));
            b.BoringName.push_back("B" + std::to_string(i));
        }
        const std::string bau = dir + "RAFT.BAU";
        orvelo::SharedServices().Prod(bau);
        orvelo::OpenDataFile(bau, halvex::PutRandomMode, 1, 0);
        rt::RecordFile& records = rt::dataChannel().records();
        records.putInteger(4, k);
        for (std::int32_t i = 1; i <= k; ++i) {
            records.putSingle(5 * i + 1, b.BoringX[i]);
            records.putSingle(5 * i + 2, b.BoringY[i]);
            records.putString(5 * i + 3, b.BoringName[i]);
        }
        orvelo::CloseDataFile(1);

        orvelo::SetDefaultBoringLayout(d.NodeCount);
        b.BoringLayoutKind = 3;
        b.ExtentMinX = b.ExtentMinY = 0.0f;
        b.ExtentMaxX = 12.0f;
        b.ExtentMaxY = 8.0f;
        if (k >= 3 && rng() % 2 == 0) {
            b.BoringTriangleCount = 1;
            b.TriangleBoringA = {0, 1};
            b.TriangleBoringB = {0, 2};
            b.TriangleBoringC = {0, 3};
        }
        if (rng() % 2 == 0) {
            b.BoringStripCount = 1;
            b.StripBoringA = {0, k};
            b.StripBoringB = {0, 1};
            b.StripCorner = {0, static_cast<std::int16_t>(1 + rng() % 4)};
        }
        // Each node on a boring of its own: no rule of the layout could give
        // it back if the transfer lost it.
        for (std::int32_t i = 1; i <= d.NodeCount; ++i)
            b.ConstantNodeBoring[i] = static_cast<std::int16_t>(1 + rng() % k);
        orvelo::ComputeBoringLayout();
        d.CurrentDataDir = dir;
        d.CurrentProjectName = "RAFT";
        orvelo::WriteBoringFile();

        std::string values;
        for (std::int32_t i = 1; i <= d.NodeCount; ++i)
            values += (rng() % 3 == 0 ? std::to_string(1 + rng() % 50) + ".25" : std::string("0")) + "\r\n";
        std::ofstream(dir + "RAFT.PV1", std::ios::binary) << values;
    }

    // What the project dir/name holds, read with the program's readers for
    // the net of declar().
    static Snapshot snapshot(const std::string& dir, const std::string& name) {
        orvelo::Declar& d = orvelo::declar();
        Snapshot s;
        s.net = orvelo::projectNetOf(d);
        d.CurrentDataDir = dir;
        d.CurrentProjectName = name;
        for (NodeDataFile file : kListFiles) {
            orvelo::resetBasData();
            EXPECT_EQ(orvelo::ReadNodeDataFile(file), orvelo::DataFileRead::Read) << orvelo::NodeDataFileExtension(file);
            orvelo::BasData& b = orvelo::basData();
            std::vector<std::int16_t> nodes = orvelo::NodeDataFileNodes(b, file);
            nodes.resize(static_cast<std::size_t>(orvelo::NodeDataFileNodeCount(b, file)) + 1);
            s.lists[file] = nodes;
        }
        orvelo::resetBasData();
        EXPECT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PV1, d.NodeCount), orvelo::DataFileRead::Read);
        const orvelo::BasData& b = orvelo::basData();
        s.values.assign(static_cast<std::size_t>(d.NodeCount) + 1, 0.0f);
        for (int k = 1; k <= b.NodeValueCount; ++k) s.values.at(b.NodeValueNodes[k]) = b.NodeValues[k];

        orvelo::resetBoringData();
        EXPECT_TRUE(orvelo::ReadBorings(dir + name));
        EXPECT_TRUE(orvelo::ReadBoringFile());
        const orvelo::BoringData& borings = orvelo::boringData();
        s.boring.assign(static_cast<std::size_t>(d.NodeCount) + 1, 0);
        for (int e = 1; e <= borings.ConstantNodeCount; ++e)
            s.boring.at(borings.ConstantNodes[e]) = borings.ConstantNodeBoring[e];
        return s;
    }

    // The boring the old layout gives the place of new node i: that of the
    // old node there (else the nearest), or, when that one was no constant
    // node, of the nearest old constant node.
    static std::int16_t boringAtPlace(const Snapshot& old, float x, float y) {
        const std::int16_t o = nearest(old.net, x, y);
        if (old.boring[o] != 0) return old.boring[o];
        std::int16_t best = 0;
        for (std::int16_t k = 1; k <= old.net.NodeCount; ++k)
            if (old.boring[k] != 0 &&
                (best == 0 || squared(x, y, old.net.NodeX[k], old.net.NodeY[k]) <
                                  squared(x, y, old.net.NodeX[best], old.net.NodeY[best])))
                best = k;
        return best == 0 ? 1 : old.boring[best];
    }

    // Every datum of now at the place it had in before.
    static void expectByPlace(const Snapshot& before, const Snapshot& now, const std::string& lossNote) {
        const orvelo::ProjectNet& oldNet = before.net;
        const orvelo::ProjectNet& newNet = now.net;
        // An old place's new node: the one there, else the nearest.
        const auto onPlace = [&](std::int16_t old, std::int16_t node) {
            const float x = oldNet.NodeX[old], y = oldNet.NodeY[old];
            const std::int16_t best = nearest(newNet, x, y);
            return squared(x, y, newNet.NodeX[node], newNet.NodeY[node]) <=
                   squared(x, y, newNet.NodeX[best], newNet.NodeY[best]) + 1e-9;
        };
        for (const auto& [file, oldNodes] : before.lists) {
            const std::vector<std::int16_t>& newNodes = now.lists.at(file);
            ASSERT_EQ(newNodes.size(), oldNodes.size()) << orvelo::NodeDataFileExtension(file);
            for (std::size_t k = 1; k < oldNodes.size(); ++k)
                EXPECT_TRUE(onPlace(oldNodes[k], newNodes[k]))
                    << orvelo::NodeDataFileExtension(file) << " entry " << k;
        }
        // Values per node: where several land on one node, the nearest stays.
        std::map<std::int16_t, std::int16_t> keeper;  // new node -> old node
        int listed = 0;
        for (std::int16_t o = 1; o <= oldNet.NodeCount; ++o) {
            if (before.values[o] == 0.0f) continue;
            ++listed;
            const std::int16_t n = nearest(newNet, oldNet.NodeX[o], oldNet.NodeY[o]);
            const auto [it, fresh] = keeper.try_emplace(n, o);
            if (!fresh && squared(newNet.NodeX[n], newNet.NodeY[n], oldNet.NodeX[o], oldNet.NodeY[o]) <
                              squared(newNet.NodeX[n], newNet.NodeY[n], oldNet.NodeX[it->second],
                                      oldNet.NodeY[it->second]))
                it->second = o;
        }
        for (std::int16_t n = 1; n <= newNet.NodeCount; ++n) {
            const auto it = keeper.find(n);
            EXPECT_EQ(now.values[n], it == keeper.end() ? 0.0f : before.values[it->second]) << "value at " << n;
        }
        EXPECT_EQ(lossNote.empty(), static_cast<int>(keeper.size()) == listed) << lossNote;
        // Borings: every constant node on the boring the old layout gives its place.
        int constant = 0;
        for (std::int16_t n = 1; n <= newNet.NodeCount; ++n) {
            if (now.boring[n] == 0) continue;
            ++constant;
            EXPECT_EQ(now.boring[n], boringAtPlace(before, newNet.NodeX[n], newNet.NodeY[n]))
                << "node " << n << " at (" << newNet.NodeX[n] << ", " << newNet.NodeY[n] << ")";
        }
        EXPECT_GT(constant, 0);
    }

    forms::ScopedMsgBox box;
    TempFolder folder;
    std::mt19937 rng;
};

TEST_P(PlaceChainTest, EveryDatumKeepsItsPlaceThroughThreeRefinements) {
    const bool triangles = GetParam();
    orvelo::Declar& d = orvelo::declar();
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        rng.seed(seed);
        const std::string root = "s" + std::to_string(seed);
        fs::copy(fs::path(OH_SOURCE_DIR) / "examples/raft", folder.path(root + "g0"));
        std::string dir = folder.path(root + "g0/");
        std::string name = "RAFT";
        d.ProjectPath = dir + "RAFT.PO1";
        d.DataDir = dir;
        d.ProjectName = name;
        orvelo::RunWaitOperation(orvelo::OpOpenSourceProject);
        ASSERT_EQ(orvelo::RunControl().RunState(), 0);
        writeRandomSoil(dir);
        for (int generation = 1; generation <= 3; ++generation) {
            SCOPED_TRACE("generation " + std::to_string(generation));
            d.ProjectPath = dir + name + ".PO1";
            d.DataDir = dir;
            d.ProjectName = name;
            orvelo::RunWaitOperation(orvelo::OpOpenSourceProject);
            ASSERT_EQ(orvelo::RunControl().RunState(), 0);
            const Snapshot before = snapshot(dir, name);
            d.DataDir = dir;
            d.ProjectName = name;
            const std::string out = folder.path(root + "g" + std::to_string(generation));
            fs::create_directory(out);
            d.OutputDir = out + "/";
            d.OutputName = name + "_A";
            // Finer each time, nested in the net before or not.
            makeGridNet(std::uniform_int_distribution<int>(generation, generation + 2)(rng), triangles);
            orvelo::RunWaitOperation(orvelo::OpCopyProjectFiles);
            ASSERT_EQ(orvelo::RunControl().RunState(), 0);
            orvelo::RunWaitOperation(orvelo::OpTransferData);
            ASSERT_EQ(orvelo::RunControl().RunState(), 0);
            ASSERT_TRUE(box->boxes().empty()) << box->boxes().front().prompt;
            const std::string lossNote = orvelo::TakeTransferLossNote();
            dir = d.OutputDir;
            name = d.OutputName;
            expectByPlace(before, snapshot(dir, name), lossNote);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(NetTypes, PlaceChainTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Triangles" : "GridBased";
                         });

}  // namespace
