// The sample project through the whole wizard: Finish writes a complete
// refined project whose node-related data point at nodes of the new net.
#include "wizard_fixture.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/target_size.h"
#include "orvelo/model/boring_data.h"
#include "orvelo/project/bas_data.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/copy_project.h"
#include "orvelo/project/line_members.h"
#include "orvelo/project/node_data_files.h"
#include "platform/runtime/paths.h"

namespace {

using orvelo::declar;

double signedArea(const orvelo::ProjectNet& net, const orvelo::NetElement& e) {
    double area = 0.0;
    for (int k = 1; k <= e.CornerCount; ++k) {
        const int a = e.Node[k], b = e.Node[k == e.CornerCount ? 1 : k + 1];
        area += static_cast<double>(net.NodeX[a]) * net.NodeY[b] - static_cast<double>(net.NodeX[b]) * net.NodeY[a];
    }
    return area / 2.0;
}

// The net of the output project: triangles that cover the sample's slab
// (12 x 8 less the 2 x 2 opening) once, every side held by one or two.
orvelo::ProjectNet checkedOutputNet(const std::string& prefix) {
    orvelo::ProjectNet net;
    std::int16_t failed = 0;
    orvelo::ProjectReader().ReadNetFile(prefix, net.ElementCount, net.ElementList, net.NodeCount, net.NodeX,
                                        net.NodeY, 0, nullptr, failed);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(net, orvelo::projectNetOf(declar()));
    EXPECT_GT(net.ElementCount, 184) << "finer than the input's net";
    double area = 0.0;
    std::map<std::pair<int, int>, int> held;
    for (std::int16_t e = 1; e <= net.ElementCount; ++e) {
        const orvelo::NetElement& element = net.ElementList[e];
        EXPECT_EQ(element.CornerCount, 3);
        const double a = std::abs(signedArea(net, element));
        EXPECT_GT(a, 0.0) << "element " << e;
        area += a;
        for (int k = 1; k <= 3; ++k) ++held[std::minmax<int>(element.Node[k], element.Node[k % 3 + 1])];
    }
    EXPECT_NEAR(area, 92.0, 1e-3);
    for (const auto& [side, count] : held) EXPECT_LE(count, 2) << side.first << "-" << side.second;
    // Every point support of the sample is a single point of its outline
    // file, and so a node of the new net where it stood.
    const orvelo::Declar& d = declar();
    EXPECT_EQ(d.SinglePointCount, 10);
    for (int p = 1; p <= d.SinglePointCount; ++p) {
        bool found = false;
        for (std::int16_t n = 1; n <= net.NodeCount; ++n)
            found = found || (net.NodeX[n] == d.SinglePoints[p].X && net.NodeY[n] == d.SinglePoints[p].Y);
        EXPECT_TRUE(found) << "support at " << d.SinglePoints[p].X << ", " << d.SinglePoints[p].Y;
    }
    return net;
}

// The smallest angle of a net (degrees): at the wizard's defaults (theta 30)
// the sample's net meets theta everywhere, its supports included.
double smallestAngle(const orvelo::ProjectNet& net) {
    return orvelo::meshcheck::SmallestAngleDeg({net.NodeCount, &net.NodeX, &net.NodeY, net.ElementCount, &net.ElementList});
}

TEST_F(WizardTest, SampleProjectRunsThroughFinishToARefinedProject) {
    const std::string input = copySample();
    orvelo::frmWizard& w = open(input);
    ASSERT_TRUE(forms::click(next()));
    box->answer(forms::vbNo);
    ASSERT_TRUE(forms::click(finish()));
    ASSERT_EQ(prompts(), (std::vector<std::string>{text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")})}));
    EXPECT_EQ(runState(), 0);
    EXPECT_EQ(w.CurrentStep(), 0);

    // Every file of the input's set is in the output project.
    for (std::string_view ext : orvelo::ProjectFileExtensions) {
        const std::string extension(ext);
        if (rt::findFileCaseInsensitive(folder.path("raft/RAFT." + extension)).empty()) continue;
        EXPECT_FALSE(rt::findFileCaseInsensitive(folder.path("raft/RAFT_Adaptive." + extension)).empty())
            << extension;
    }

    const orvelo::ProjectNet net = checkedOutputNet(folder.path("raft/RAFT_Adaptive"));
    EXPECT_GE(smallestAngle(net), 30.0);

    // Finer where the shear force is large: the elements where the size
    // field asks for the smallest quarter of sizes are smaller than those
    // where it asks for the largest quarter.
    const orvelo::SizeField field = orvelo::CurrentSizeField();
    std::vector<std::pair<float, double>> sizeAndArea;
    for (std::int16_t e = 1; e <= net.ElementCount; ++e) {
        const orvelo::NetElement& element = net.ElementList[e];
        float cx = 0.0f, cy = 0.0f;
        for (int k = 1; k <= 3; ++k) {
            cx += net.NodeX[element.Node[k]] / 3.0f;
            cy += net.NodeY[element.Node[k]] / 3.0f;
        }
        sizeAndArea.push_back(
            {orvelo::InterpolateTargetSizeByScan(field, 1.0f, cx, cy), std::abs(signedArea(net, element))});
    }
    std::sort(sizeAndArea.begin(), sizeAndArea.end());
    const std::size_t quarter = sizeAndArea.size() / 4;
    double small = 0.0, large = 0.0;
    for (std::size_t k = 0; k < quarter; ++k) {
        small += sizeAndArea[k].second;
        large += sizeAndArea[sizeAndArea.size() - 1 - k].second;
    }
    EXPECT_LT(sizeAndArea.front().first, sizeAndArea.back().first);
    EXPECT_LT(small * 1.5, large) << "small-size elements " << small / quarter << ", large " << large / quarter;

    // The output project is now the current project; each of its
    // node-related files points at nodes of the new net.
    EXPECT_EQ(declar().CurrentProjectName, "RAFT_Adaptive");
    orvelo::resetBasData();
    auto inNet = [&](const std::vector<std::int16_t>& nodes, std::int16_t count, const char* what) {
        for (std::int16_t k = 1; k <= count; ++k) {
            EXPECT_GE(nodes.at(k), 1) << what << " " << k;
            EXPECT_LE(nodes.at(k), net.NodeCount) << what << " " << k;
        }
    };
    int kinds = 0;
    for (orvelo::NodeDataFile file : {orvelo::NodeDataFile::P35, orvelo::NodeDataFile::P91, orvelo::NodeDataFile::P31,
                                      orvelo::NodeDataFile::P71, orvelo::NodeDataFile::PIL, orvelo::NodeDataFile::PV1,
                                      orvelo::NodeDataFile::PCW}) {
        const orvelo::DataFileRead read = orvelo::ReadNodeDataFile(file, net.NodeCount);
        ASSERT_NE(read, orvelo::DataFileRead::Failed) << orvelo::NodeDataFileExtension(file);
        if (read != orvelo::DataFileRead::Read) continue;
        ++kinds;
        orvelo::BasData& b = orvelo::basData();
        inNet(orvelo::NodeDataFileNodes(b, file), orvelo::NodeDataFileNodeCount(b, file),
              orvelo::NodeDataFileExtension(file));
    }
    ASSERT_EQ(orvelo::ReadLineMembersFile(), orvelo::DataFileRead::Read);
    ++kinds;
    inNet(orvelo::basData().MemberStartNode, orvelo::basData().MemberCount, "member start");
    inNet(orvelo::basData().MemberEndNode, orvelo::basData().MemberCount, "member end");
    EXPECT_GE(kinds, 4) << "springs, prescribed degrees of freedom, piles and line members at least";
    EXPECT_TRUE(box->boxes().size() == 1u) << prompts().back();
}

// A theta the refinement cannot reach is told with the smallest angle reached.
TEST_F(WizardTest, AnUnreachedThetaIsToldWithTheAngleReached) {
    orvelo::frmWizard& w = open(copySample());
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::editText(w.TxtInputData(0), "60"));
    box->answer(forms::vbNo);
    ASSERT_TRUE(forms::click(finish()));
    const double reached = smallestAngle(checkedOutputNet(folder.path("raft/RAFT_Adaptive")));
    ASSERT_LT(reached, 60.0 - 0.05);
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.1f", reached);
    ASSERT_EQ(prompts(), (std::vector<std::string>{
                             text(190303, {"|1", std::string(shown), "|2", "60"}) + "\n" +
                             text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")})}));
}

TEST_F(WizardTest, SampleProjectWithTheGridBasedType) {
    orvelo::frmWizard& w = open(copySample());
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(w.OptElementType(1)));
    box->answer(forms::vbNo);
    ASSERT_TRUE(forms::click(finish()));
    ASSERT_EQ(prompts(), (std::vector<std::string>{text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")})}));
    checkedOutputNet(folder.path("raft/RAFT_Adaptive"));
}

TEST_F(WizardTest, SampleProjectWithSmoothingAndBoundaryFrontPoints) {
    orvelo::frmWizard& w = open(copySample());
    ASSERT_TRUE(forms::click(next()));
    ASSERT_TRUE(forms::click(*w.chkSmoothMesh));
    ASSERT_TRUE(forms::click(*w.chkBoundaryFrontPoint));
    box->answer(forms::vbNo);
    ASSERT_TRUE(forms::click(finish()));
    ASSERT_EQ(prompts(), (std::vector<std::string>{text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")})}));
    EXPECT_EQ(runState(), 0);
    EXPECT_GE(smallestAngle(checkedOutputNet(folder.path("raft/RAFT_Adaptive"))), 30.0) << "no option lowers it";
}

}  // namespace

namespace {

// The project's extension typed in lower case: the run goes ahead.
TEST_F(WizardTest, SampleProjectTypedWithALowerCaseExtensionRuns) {
    copySample();
    orvelo::frmWizard& w = open();
    ASSERT_TRUE(forms::editText(*w.TxtProject, folder.path("raft/RAFT.po1")));
    EXPECT_EQ(w.TxtSaveProjectAs->Text(), "RAFT_Adaptive.PO1");
    ASSERT_TRUE(forms::click(next()));
    box->answer(forms::vbNo);
    ASSERT_TRUE(forms::click(finish()));
    ASSERT_EQ(prompts(), (std::vector<std::string>{text(190002, {16, "|1", "RAFT_Adaptive", "|2", folder.path("raft/")})}));
    checkedOutputNet(folder.path("raft/RAFT_Adaptive"));
}

}  // namespace
