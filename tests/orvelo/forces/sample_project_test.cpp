// Operation 9 on the committed sample project (examples/raft), copied into a
// temporary folder so that its .GH1 does not land in the source tree.
#include <cmath>
#include <filesystem>

#include "forces_fixture.h"
#include "orvelo/forces/internal_forces.h"
#include "orvelo/project/open_project.h"
#include "platform/runtime/textfile.h"
#include "sample_project.h"

namespace {

class SampleProjectTest : public ForcesTest {};

TEST_F(SampleProjectTest, SizeFieldIsFinestAroundTheSupports) {
    ohtest::CopySampleProject(folder.path(""));

    orvelo::Declar& d = orvelo::declar();
    d.ProjectPath = folder.path("RAFT.PO1");
    d.ProjectName = "RAFT";
    d.ProjectList = {"", "RAFT"};
    orvelo::OpenSourceProject();
    ASSERT_EQ(runState(), 0);
    orvelo::ComputeInternalForces();
    ASSERT_EQ(runState(), 0);
    EXPECT_TRUE(box->boxes().empty());
    ASSERT_EQ(d.OldNodeCount, d.NodeCount);
    ASSERT_TRUE(d.HasBeams && d.HasPointSprings && d.HasPiles && d.HasPrescribedDofs);

    // The columns, piles and springs of the sample (docs/forces.md).
    const double supports[8][2] = {{2, 2}, {10, 2}, {10, 6}, {2, 6},
                                   {6, 1}, {6, 7},  {0, 4},  {12, 4}};
    double nearSum = 0, farSum = 0;
    int nearCount = 0, farCount = 0;
    float smallest = 1.0f;
    for (int n = 1; n <= d.NodeCount; ++n) {
        const float size = d.NodeTargetSize[n];
        EXPECT_GE(size, d.MinElementSize) << n;
        EXPECT_LE(size, d.MaxElementSize) << n;
        smallest = std::min(smallest, size);
        double distance = 1e9;
        for (const auto& s : supports)
            distance = std::min(distance, std::hypot(d.NodeX[n] - s[0], d.NodeY[n] - s[1]));
        if (size < 0.5f) {
            EXPECT_LE(distance, 1.5) << "a fine size away from every support at node " << n;
        }
        if (distance > 0 && distance <= 1.5) {
            nearSum += size;
            ++nearCount;
        } else if (distance >= 2.5) {
            farSum += size;
            ++farCount;
        }
    }
    EXPECT_EQ(smallest, d.MinElementSize);
    ASSERT_GT(nearCount, 0);
    ASSERT_GT(farCount, 0);
    EXPECT_LT(nearSum / nearCount + 0.2, farSum / farCount)
        << "finer around the supports than away from them";

    // The ground beam's end forces.
    rt::TextReader gh1;
    gh1.open(folder.path("RAFT.GH1"));
    EXPECT_EQ(gh1.readInteger(), 1);
}

// The beam end forces are written under the case of the project's files on
// disk, not the case the project was typed in.
TEST_F(SampleProjectTest, BeamForcesTakeTheCaseOfTheProjectsFiles) {
    ohtest::CopySampleProject(folder.path(""));
    orvelo::Declar& d = orvelo::declar();
    d.ProjectPath = folder.path("raft.po1");
    d.ProjectName = "raft";
    d.ProjectList = {"", "raft"};
    orvelo::OpenSourceProject();
    ASSERT_EQ(runState(), 0);
    orvelo::ComputeInternalForces();
    ASSERT_EQ(runState(), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.path("RAFT.GH1")));
    EXPECT_FALSE(std::filesystem::exists(folder.path("raft.GH1")));
}

// A refined project of method 13, 21 or 22 carries its .P35 as it was
// copied, naming nodes of the net it was refined from: the forces of those
// methods do not read it (they stopped on a node beyond the net), those of
// the other methods still refuse it.
TEST_F(SampleProjectTest, SpringsOfAnotherNetStopOnlyTheMethodsThatHoldThem) {
    for (const int method : {13, 21, 22, 1}) {
        const std::string dir = "m" + std::to_string(method) + "/";
        ohtest::CopySampleProject(folder.path(dir));
        std::string header = folder.read(dir + "RAFT.PO1");
        folder.write(dir + "RAFT.PO1", "1," + std::to_string(method) + header.substr(header.find('\r')));
        folder.write(dir + "RAFT.P35", "Version 9\r\n1\r\n0\r\n1\r\n900\r\n50000\r\n0\r\n0\r\n");
        orvelo::Declar& d = orvelo::declar();
        d.ProjectPath = folder.path(dir + "RAFT.PO1");
        d.DataDir = folder.path(dir);
        d.ProjectName = "RAFT";
        d.ProjectList = {"", "RAFT"};
        orvelo::OpenSourceProject();
        ASSERT_EQ(runState(), 0);
        const std::size_t shown = box->boxes().size();
        if (method == 1) box->answer(forms::vbOK);
        orvelo::ComputeInternalForces();
        EXPECT_EQ(runState(), method == 1 ? 3 : 0) << method;
        EXPECT_EQ(box->boxes().size() - shown, method == 1 ? 1u : 0u) << method;
    }
}

}  // namespace
