// Whole generated nets of small fixtures against their reviewed text
// (tests/data/delaunay/<fixture>.net). With OH_UPDATE_EXPECTED_NETS set in
// the environment the files are written afresh instead (review them).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/project/services.h"
#include "platform/forms/msgbox.h"

namespace orvelo {
namespace {

std::string netText() {
    const BasDelaunay& m = basDelaunay();
    std::ostringstream out;
    char line[160];
    out << "nodes " << m.MeshNodeCount << "\n";
    for (std::size_t n = 1; n <= static_cast<std::size_t>(m.MeshNodeCount); ++n) {
        std::snprintf(line, sizeof line, "%zu %.9g %.9g\n", n, m.MeshNodeX[n], m.MeshNodeY[n]);
        out << line;
    }
    out << "elements " << m.MeshElementCount << "\n";
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        const NetElement& el = m.MeshElementList[e];
        std::snprintf(line, sizeof line, "%zu %d %d %d %d %d %d\n", e, el.Node[1], el.Node[2], el.Node[3], el.Flag[1],
                      el.Flag[2], el.Flag[3]);
        out << line;
    }
    return out.str();
}

class RegressionNets : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { resetServices(); }
    void TearDown() override { resetServices(); }
    forms::ScopedMsgBox boxes_;
};

TEST_P(RegressionNets, MatchTheReviewedNet) {
    const std::string name = GetParam();
    meshcheck::InstallSlab(meshcheck::LoadSlabFixture(name + ".slab"));
    GenerateDelaunayMesh();
    const std::string path = std::string(OH_TEST_DATA) + "/delaunay/" + name + ".net";
    const std::string text = netText();
    if (std::getenv("OH_UPDATE_EXPECTED_NETS") != nullptr) {
        std::ofstream(path) << text;
        GTEST_SKIP() << "wrote " << path;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << "missing " << path;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(text, expected.str());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RegressionNets, ::testing::Values("rectangle", "points", "arcs"));

}  // namespace
}  // namespace orvelo
