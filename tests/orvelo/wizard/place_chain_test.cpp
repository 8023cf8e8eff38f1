// Property: the sample with random soil data, refined three times onto
// finer randomly numbered grid nets, keeps every datum at its place.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "halvex/interface/enums.h"
#include "operations_fixture.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/boring_layout.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/node_data_files.h"
#include "orvelo/project/node_locator.h"
#include "orvelo/project/services.h"
#include "orvelo/project/transfer.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/recordfile.h"
#include "platform/runtime/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using orvelo::NodeDataFile;

struct Snapshot {  // by node number of the project's own net
    orvelo::ProjectNet net;
    std::vector<float> values;         // .PV1
    std::vector<std::int16_t> boring;  // boring of a constant node, else 0
};

double d2(const orvelo::ProjectNet& a, int i, const orvelo::ProjectNet& b, int j) {
    const double dx = double(a.NodeX[i]) - b.NodeX[j], dy = double(a.NodeY[i]) - b.NodeY[j];
    return dx * dx + dy * dy;
}
std::int16_t nearest(const orvelo::ProjectNet& n, float x, float y) {
    return orvelo::NearestNodeByScan(x, y, 0.0f, n.NodeX, n.NodeY, n.NodeCount);
}

class PlaceChainTest : public orvelotest::OperationsTest<bool> {
protected:
    // Cells 1/k over the 12 x 8 raft less its opening (4, 3)-(6, 5).
    void makeGridNet(int k, bool triangles) {
        orvelo::Declar& d = orvelo::declar();
        const int nx = 12 * k, ny = 8 * k;
        std::vector<std::pair<int, int>> points;
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i)
                if (!(i > 4 * k && i < 6 * k && j > 3 * k && j < 5 * k)) points.emplace_back(i, j);
        std::shuffle(points.begin(), points.end(), rng);
        std::vector<std::int16_t> number((nx + 1) * (ny + 1), 0);
        d.NodeX = d.NodeY = std::vector<float>(points.size() + 1, 0.0f);
        for (std::size_t n = 1; n <= points.size(); ++n) {
            const auto [i, j] = points[n - 1];
            number[i + (nx + 1) * j] = static_cast<std::int16_t>(n);
            d.NodeX[n] = static_cast<float>(double(i) / k);
            d.NodeY[n] = static_cast<float>(double(j) / k);
        }
        d.NodeCount = static_cast<std::int16_t>(points.size());
        d.ElementList.assign(1, orvelo::NetElement{});
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                if (i >= 4 * k && i < 6 * k && j >= 3 * k && j < 5 * k) continue;
                const auto a = number[i + (nx + 1) * j], b = number[i + 1 + (nx + 1) * j],
                           c = number[i + 1 + (nx + 1) * (j + 1)], e = number[i + (nx + 1) * (j + 1)];
                orvelo::NetElement el;
                el.CornerCount = triangles ? 3 : 4;
                el.Node = triangles ? decltype(el.Node){0, a, b, c, 0} : decltype(el.Node){0, a, b, c, e};
                d.ElementList.push_back(el);
                if (triangles) el.Node = {0, a, c, e, 0}, d.ElementList.push_back(el);
            }
        d.ElementCount = static_cast<std::int16_t>(d.ElementList.size() - 1);
        d.DrawingScale = triangles ? 0.05f : 0.0f;  // a Delaunay run leaves its scale
    }

    // Random borings (.BAU), layout (.P41) and values per node (.PV1) in dir.
    void writeRandomSoil(const std::string& dir) {
        orvelo::Declar& d = orvelo::declar();
        orvelo::BoringData& b = orvelo::boringData();
        std::uniform_real_distribution<float> x(0.5f, 11.5f), y(0.5f, 7.5f);
        const auto k = static_cast<std::int16_t>(2 + rng() % 4);
        b.BoringCount = k;
        b.BoringX = b.BoringY = {0.0f};
        b.BoringName = {""};
        orvelo::SharedServices().Prod(dir + "RAFT.BAU");
        orvelo::OpenDataFile(dir + "RAFT.BAU", halvex::PutRandomMode, 1, 0);
        rt::RecordFile& records = rt::dataChannel().records();
        records.putInteger(4, k);
        for (std::int32_t i = 1; i <= k; ++i) {
            b.BoringX.push_back(x(rng)), b.BoringY.push_back(y(rng)), b.BoringName.push_back("B" + std::to_string(i));
            records.putSingle(5 * i + 1, b.BoringX[i]);
            records.putSingle(5 * i + 2, b.BoringY[i]);
            records.putString(5 * i + 3, b.BoringName[i]);
        }
        orvelo::CloseDataFile(1);

        orvelo::SetDefaultBoringLayout(d.NodeCount);
        b.BoringLayoutKind = 3;
        b.ExtentMinX = b.ExtentMinY = 0.0f;
        b.ExtentMaxX = 12.0f, b.ExtentMaxY = 8.0f;
        // Every node a constant node: no layout rule could give a lost one back.
        for (std::int32_t i = 1; i <= d.NodeCount; ++i) b.ConstantNodeBoring[i] = static_cast<std::int16_t>(1 + rng() % k);
        orvelo::ComputeBoringLayout();
        d.CurrentDataDir = dir;
        d.CurrentProjectName = "RAFT";
        orvelo::WriteBoringFile();

        std::ofstream pv1(dir + "RAFT.PV1", std::ios::binary);
        for (std::int32_t i = 1; i <= d.NodeCount; ++i)
            pv1 << (rng() % 3 == 0 ? std::to_string(1 + rng() % 50) + ".25" : "0") << "\r\n";
    }

    static Snapshot snapshot(const std::string& dir, const std::string& name) {
        orvelo::Declar& d = orvelo::declar();
        Snapshot s{orvelo::projectNetOf(d), std::vector<float>(d.NodeCount + 1, 0.0f),
                   std::vector<std::int16_t>(d.NodeCount + 1, 0)};
        d.CurrentDataDir = dir;
        d.CurrentProjectName = name;
        orvelo::BasData& b = orvelo::basData();
        orvelo::resetBasData();
        EXPECT_EQ(orvelo::ReadNodeDataFile(NodeDataFile::PV1, d.NodeCount), orvelo::DataFileRead::Read);
        for (int k = 1; k <= b.NodeValueCount; ++k) s.values.at(b.NodeValueNodes[k]) = b.NodeValues[k];
        orvelo::resetBoringData();
        EXPECT_TRUE(orvelo::ReadBorings(dir + name));
        EXPECT_TRUE(orvelo::ReadBoringFile());
        const orvelo::BoringData& bd = orvelo::boringData();
        for (int e = 1; e <= bd.ConstantNodeCount; ++e) s.boring.at(bd.ConstantNodes[e]) = bd.ConstantNodeBoring[e];
        return s;
    }

    // Values and borings of now at the places they had in before (node
    // lists by place: transfer_run_test).
    static void expectByPlace(const Snapshot& before, const Snapshot& now, const std::string& lossNote) {
        const orvelo::ProjectNet &o = before.net, &n = now.net;
        // Values: where several land on one node, the nearest stays.
        std::map<std::int16_t, std::int16_t> keeper;  // new node -> old node
        int listed = 0;
        for (std::int16_t i = 1; i <= o.NodeCount; ++i) {
            if (before.values[i] == 0.0f) continue;
            ++listed;
            const auto [it, fresh] = keeper.try_emplace(nearest(n, o.NodeX[i], o.NodeY[i]), i);
            if (!fresh && d2(n, it->first, o, i) < d2(n, it->first, o, it->second)) it->second = i;
        }
        for (std::int16_t j = 1; j <= n.NodeCount; ++j)
            EXPECT_EQ(now.values[j], keeper.count(j) ? before.values[keeper[j]] : 0.0f) << "value at " << j;
        EXPECT_EQ(lossNote.empty(), static_cast<int>(keeper.size()) == listed) << lossNote;
        // Borings: from the old node at its place, else the nearest constant.
        int constant = 0;
        for (std::int16_t j = 1; j <= n.NodeCount; ++j) {
            if (now.boring[j] == 0) continue;
            ++constant;
            std::int16_t best = nearest(o, n.NodeX[j], n.NodeY[j]);
            if (before.boring[best] == 0) {
                best = 0;
                for (std::int16_t i = 1; i <= o.NodeCount; ++i)
                    if (before.boring[i] != 0 && (best == 0 || d2(n, j, o, i) < d2(n, j, o, best))) best = i;
            }
            EXPECT_EQ(now.boring[j], best == 0 ? 1 : before.boring[best])
                << "node " << j << " at (" << n.NodeX[j] << ", " << n.NodeY[j] << ")";
        }
        EXPECT_GT(constant, 0);
    }

    forms::ScopedMsgBox box;
    TempFolder folder;
    std::mt19937 rng;
};

TEST_P(PlaceChainTest, EveryDatumKeepsItsPlaceThroughThreeRefinements) {
    orvelo::Declar& d = orvelo::declar();
    const auto run = [](int operation) {
        orvelo::RunWaitOperation(operation);
        return orvelo::RunControl().RunState() == 0;
    };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        rng.seed(seed);
        const std::string root = "s" + std::to_string(seed) + "g";
        fs::copy(fs::path(OH_SOURCE_DIR) / "examples/raft", folder.path(root + "0"));
        std::string dir = folder.path(root + "0/"), name = "RAFT";
        for (int generation = 0; generation <= 3; ++generation) {
            SCOPED_TRACE("generation " + std::to_string(generation));
            d.ProjectPath = dir + name + ".PO1";
            d.DataDir = dir;
            d.ProjectName = name;
            ASSERT_TRUE(run(orvelo::OpOpenSourceProject));
            if (generation == 0) {
                writeRandomSoil(dir);
                continue;
            }
            const Snapshot before = snapshot(dir, name);
            fs::create_directory(folder.path(root + std::to_string(generation)));
            d.OutputDir = folder.path(root + std::to_string(generation) + "/");
            d.OutputName = name + "_A";
            makeGridNet(generation + static_cast<int>(rng() % 3), GetParam());  // finer, nested or not
            ASSERT_TRUE(run(orvelo::OpCopyProjectFiles));
            ASSERT_TRUE(run(orvelo::OpTransferData));
            ASSERT_TRUE(box->boxes().empty()) << box->boxes().front().prompt;
            const std::string lossNote = orvelo::TakeTransferLossNote();
            dir = d.OutputDir;
            name = d.OutputName;
            expectByPlace(before, snapshot(dir, name), lossNote);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(NetTypes, PlaceChainTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Triangles" : "GridBased"; });

}  // namespace
