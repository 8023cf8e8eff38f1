// Operations 8, 12 and 11 through the operation runner on a copy of the
// sample project, with a new net that differs from the sample's: every
// node-related file of the output project must name the nodes of the new
// net at the places of the old nodes, and the input project stays as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/library_state.h"
#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/bas_data.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/line_members.h"
#include "orvelo/project/node_data_files.h"
#include "orvelo/project/node_locator.h"
#include "orvelo/project/services.h"
#include "orvelo/program_fixture.h"
#include "operations_fixture.h"
#include "orvelo/wizard/operation_runner.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/recordfile.h"
#include "platform/runtime/temp_folder.h"
#include "sample_project.h"

namespace {

namespace fs = std::filesystem;
using orvelo::NodeDataFile;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The node numbers of each node-related file of a project, and the values
// per node, read with the program's readers.
struct ProjectNodes {
    std::map<NodeDataFile, std::vector<std::int16_t>> files;
    std::vector<std::int16_t> memberStart, memberEnd;
    std::vector<float> valuePerNode;  // the values of .PV1, 1-based
};

class TransferRunTest : public orvelotest::OperationsTest<std::int32_t> {
protected:
    // The new net: 15 x 10 cells of 0.8 over the raft's 12 x 8 (the old net
    // has cells of 1), so some old nodes coincide with new ones and the
    // others take the nearest.
    static void makeNewNet() {
        orvelo::Declar& d = orvelo::declar();
        constexpr int nx = 15;
        constexpr int ny = 10;
        d.NodeX.assign(1, 0.0f);
        d.NodeY.assign(1, 0.0f);
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i) {
                d.NodeX.push_back(0.8f * static_cast<float>(i));
                d.NodeY.push_back(0.8f * static_cast<float>(j));
            }
        d.NodeCount = static_cast<std::int16_t>(d.NodeX.size() - 1);
        const auto node = [](int i, int j) { return static_cast<std::int16_t>(1 + i + (nx + 1) * j); };
        d.ElementList.assign(1, orvelo::NetElement{});
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                orvelo::NetElement quad;
                quad.CornerCount = 4;
                quad.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)};
                d.ElementList.push_back(quad);
            }
        d.ElementCount = static_cast<std::int16_t>(d.ElementList.size() - 1);
        // As a Delaunay generation of this extent would leave it.
        d.DrawingScale = 0.05f;
    }

    static ProjectNodes readNodes(const std::string& dir, const std::string& name) {
        orvelo::Declar& d = orvelo::declar();
        const std::string savedDir = d.CurrentDataDir;
        const std::string savedName = d.CurrentProjectName;
        d.CurrentDataDir = dir;
        d.CurrentProjectName = name;
        ProjectNodes nodes;
        for (NodeDataFile file : {NodeDataFile::P35, NodeDataFile::P91, NodeDataFile::P31,
                                  NodeDataFile::P71, NodeDataFile::PIL, NodeDataFile::PCW}) {
            orvelo::resetBasData();
            // Read whatever the method: the test looks at every file.
            const std::int32_t method = d.AnalysisMethod;
            d.AnalysisMethod = 1;
            EXPECT_EQ(orvelo::ReadNodeDataFile(file), orvelo::DataFileRead::Read)
                << dir << name << "." << orvelo::NodeDataFileExtension(file);
            d.AnalysisMethod = method;
            orvelo::BasData& b = orvelo::basData();
            nodes.files[file] = orvelo::NodeDataFileNodes(b, file);
        }
        EXPECT_TRUE(orvelo::ReadLineMembers());
        nodes.memberStart = orvelo::basData().MemberStartNode;
        nodes.memberEnd = orvelo::basData().MemberEndNode;
        rt::TextReader values;
        values.open(rt::projectFilePath(dir, name, "PV1"));
        nodes.valuePerNode.assign(1, 0.0f);
        while (!values.eof()) nodes.valuePerNode.push_back(values.readSingle());
        d.CurrentDataDir = savedDir;
        d.CurrentProjectName = savedName;
        return nodes;
    }

    // The new node the transfer must have chosen for old node `old`.
    std::int16_t expectedNode(std::int16_t old) const {
        const orvelo::Declar& d = orvelo::declar();
        const float tolerance = static_cast<float>(0.01 * static_cast<double>(d.DrawingScale));
        return orvelo::NearestNodeByScan(oldNet.NodeX.at(old), oldNet.NodeY.at(old), tolerance,
                                         d.NodeX, d.NodeY, d.NodeCount);
    }

    std::vector<std::int16_t> mapped(const std::vector<std::int16_t>& oldNodes) const {
        std::vector<std::int16_t> nodes(1, 0);
        for (std::size_t k = 1; k < oldNodes.size(); ++k) nodes.push_back(expectedNode(oldNodes[k]));
        return nodes;
    }

    forms::ScopedMsgBox box;
    TempFolder folder;
    orvelo::ProjectNet oldNet;
};

TEST_P(TransferRunTest, EveryOutputFileNamesTheNodesOfTheNewNet) {
    const std::int32_t method = GetParam();
    ohtest::CopySampleProject(folder.path("raft"));
    fs::create_directory(folder.path("out"));
    if (method != 1) {
        std::string header = folder.read("raft/RAFT.PO1");
        header.replace(0, header.find('\r'), "1," + std::to_string(method));
        folder.write("raft/RAFT.PO1", header);
    }
    std::map<std::string, std::string> input;
    for (const auto& entry : fs::directory_iterator(folder.path("raft")))
        input[entry.path().filename().string()] = readBytes(entry.path().string());

    orvelo::Declar& d = orvelo::declar();
    d.ProjectPath = folder.path("raft/RAFT.PO1");
    d.DataDir = folder.path("raft/");
    d.ProjectName = "RAFT";
    d.OutputDir = folder.path("out/");
    d.OutputName = "RAFT_Adaptive";

    orvelo::RunWaitOperation(orvelo::OpOpenSourceProject);
    ASSERT_EQ(orvelo::RunControl().RunState(), 0);
    ASSERT_EQ(d.AnalysisMethod, method);
    oldNet = orvelo::projectNetOf(d);
    ASSERT_EQ(oldNet.NodeCount, 116);
    const ProjectNodes before = readNodes(d.DataDir, "RAFT");

    makeNewNet();
    orvelo::RunWaitOperation(orvelo::OpCopyProjectFiles);
    ASSERT_EQ(orvelo::RunControl().RunState(), 0);
    orvelo::RunWaitOperation(orvelo::OpTransferData);
    EXPECT_EQ(orvelo::RunControl().RunState(), 0);
    EXPECT_TRUE(box->boxes().empty()) << box->boxes().front().prompt;

    // The output project is the current one; the input project is unchanged.
    EXPECT_EQ(d.DataDir, folder.path("out/"));
    EXPECT_EQ(d.ProjectName, "RAFT_Adaptive");
    EXPECT_EQ(d.CurrentProjectName, "RAFT_Adaptive");
    for (const auto& [name, bytes] : input)
        EXPECT_EQ(readBytes(folder.path("raft/" + name)), bytes) << name;

    const ProjectNodes after = readNodes(d.DataDir, "RAFT_Adaptive");
    // Every node-data file whose layout is known names the new nodes at the
    // old places, whatever the method: the project stays right when its
    // method is changed.
    for (const auto& [file, nodes] : before.files)
        EXPECT_EQ(after.files.at(file), mapped(nodes)) << orvelo::NodeDataFileExtension(file);
    // The line members: their ends on the new nodes (the sample's ground
    // beam is long enough to keep its length).
    EXPECT_EQ(after.memberStart, mapped(before.memberStart));
    EXPECT_EQ(after.memberEnd, mapped(before.memberEnd));
    // Its net edges: sides of the new net along the beam.
    {
        rt::TextReader edges;
        edges.open(folder.path("out/RAFT_Adaptive.GL2"));
        const std::int16_t count = edges.readInteger();
        EXPECT_EQ(count, 15) << "the beam runs along the 15 lower sides";
        for (int k = 1; k <= count; ++k) {
            const std::int16_t p = edges.readInteger();
            const std::int16_t q = edges.readInteger();
            edges.readSingle();
            edges.readInteger();
            ASSERT_TRUE(p >= 1 && p <= d.NodeCount && q >= 1 && q <= d.NodeCount);
            EXPECT_EQ(d.NodeY[p], 0.0f);
            EXPECT_EQ(d.NodeY[q], 0.0f);
        }
    }
    // The values per node: one for every new node, at the new nodes of the
    // old nodes that had one (the wall-plate method has none).
    if (method == 22) {
        EXPECT_EQ(readBytes(folder.path("out/RAFT_Adaptive.PV1")), input.at("RAFT.PV1"));
    } else {
        ASSERT_EQ(before.valuePerNode.size(), static_cast<std::size_t>(oldNet.NodeCount) + 1);
        std::vector<float> expected(static_cast<std::size_t>(d.NodeCount) + 1, 0.0f);
        for (std::int16_t old = 1; old <= oldNet.NodeCount; ++old)
            if (before.valuePerNode[old] != 0.0f) expected[expectedNode(old)] = before.valuePerNode[old];
        EXPECT_EQ(after.valuePerNode, expected);
    }
    // The element zones: one zone, every new element in it, nothing more.
    {
        rt::RecordFile zones;
        zones.open(folder.path("out/RAFT_Adaptive.P21"), false);
        ASSERT_EQ(zones.getInteger(2), 1);
        for (int e = 1; e <= d.ElementCount; ++e) EXPECT_EQ(zones.getInteger(12 + e), 1) << e;
        EXPECT_LE(zones.fileLength(), static_cast<std::int64_t>(12 + d.ElementCount) * 128);
    }
    // The borings: the layout file fits the new net, each node in a region.
    orvelo::resetBoringData();
    ASSERT_TRUE(orvelo::ReadBorings(folder.path("out/RAFT_Adaptive")));
    ASSERT_TRUE(orvelo::ReadBoringFile());
    const orvelo::BoringData& borings = orvelo::boringData();
    for (std::int16_t node = 1; node <= d.NodeCount; ++node) {
        EXPECT_FALSE(borings.NodeRegionKind.at(node).empty()) << node;
        EXPECT_GE(borings.NodeRegion.at(node), 1) << node;
    }
    EXPECT_TRUE(box->boxes().empty());
    // Nothing half-written is left behind.
    for (const auto& entry : fs::directory_iterator(folder.path("out")))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Methods, TransferRunTest, ::testing::Values(1, 22),
                         [](const ::testing::TestParamInfo<std::int32_t>& info) {
                             return "Method" + std::to_string(info.param);
                         });

}  // namespace
