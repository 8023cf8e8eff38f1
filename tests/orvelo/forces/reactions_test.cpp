// The spring, pile and support steps: which files they read, and what a
// missing or broken file does to the run.
#include <filesystem>

#include "forces_fixture.h"
#include "orvelo/forces/internal_forces.h"
#include "orvelo/forces/reactions.h"

using orvelo::ComputeInternalForces;

namespace {

class ReactionsTest : public ForcesTest {
protected:
    // Two springs at project nodes 2 and 9.
    void writeSprings() const {
        folder.write("SLAB.P35",
                     "Version 9\r\n2\r\n1\r\n1\r\n2\r\n10\r\n0\r\n0\r\n"
                     "1\r\n9\r\n20\r\n0\r\n0\r\n1,2\r\n");
    }
    // Two piles of one type at project nodes 4 and 6.
    void writePiles(const std::string& tail = "0\r\n") const {
        folder.write("SLAB.PIL",
                     "2\r\n0.5\r\n0.5\r\n1\r\n4\r\n1\r\n6\r\n1\r\n"
                     "0\r\n1\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\nPile type A\r\n8\r\n" +
                         tail);
    }
    // Supports: the count and pairs of .P33, and .PC5 for the 9-node net.
    void writeSupports(int count) const {
        std::string p33 = line(count);
        for (int i = 1; i <= count; ++i) p33 += line(3 * i) + line(0.0f);
        folder.write("SLAB.P33", p33);
        std::string pc5;
        for (int i = 0; i < 27 + 6; ++i) pc5 += line(0.1f * i);
        folder.write("SLAB.PC5", pc5);
    }
    void prepare(int method, bool springs, bool supports, bool piles) {
        writeHeader(1, method, springs, supports, false, piles);
        writeSolverFiles(curvedField(), shuffledMap());
    }
};

}  // namespace

TEST_F(ReactionsTest, SpringNodesAreTakenToTheCalculationNet) {
    prepare(halvex::Givensubgrade, true, false, false);
    writeSprings();
    ComputeInternalForces();
    ASSERT_EQ(runState(), 0);
    std::int16_t count = 0;
    std::vector<std::int16_t> nodes;
    std::vector<float> values;
    orvelo::CalcSpringReactions("SLAB", count, nodes, values);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(nodes, (std::vector<std::int16_t>{0, static_cast<std::int16_t>(calcMap[2]),
                                                static_cast<std::int16_t>(calcMap[9])}));
    EXPECT_EQ(values, (std::vector<float>{0, 10, 0, 0, 20, 0, 0}));
}

TEST_F(ReactionsTest, AMissingSpringFileStopsTheRunAfterThePilesAndSupports) {
    prepare(halvex::Givensubgrade, true, true, true);
    writePiles();
    writeSupports(2);
    box->answer(forms::vbOK);
    ComputeInternalForces();
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("SLAB.P35"), std::string::npos);
    EXPECT_EQ(orvelo::declar().OldNodeCount, 9) << "the size field came before";

    // Without the springs the same project runs through; supports of count 0
    // need no .PC5.
    writeHeader(1, halvex::Givensubgrade, false, true, false, true);
    writeSupports(0);
    std::filesystem::remove(folder.path("SLAB.PC5"));
    ComputeInternalForces();
    EXPECT_EQ(runState(), 0);
    EXPECT_EQ(box->boxes().size(), 1u);
}

TEST_F(ReactionsTest, PileValueFilesFollowTheMethod) {
    struct Case {
        int method;
        const char* file;  // the pile value file the method reads, or nullptr
    };
    for (const Case c :
         {Case{halvex::Givensubgrade, nullptr}, Case{halvex::ConventionalMethod, "SLAB.QPF"},
          Case{halvex::subgradeFromHalfSpace, "SLAB.FKP"},
          Case{halvex::subgradeFromModulusOfCompressibilty, "SLAB.FKP"}}) {
        prepare(c.method, false, false, true);
        writePiles();
        std::filesystem::remove(folder.path("SLAB.QPF"));
        std::filesystem::remove(folder.path("SLAB.FKP"));
        const std::size_t before = box->boxes().size();
        if (c.file) box->answer(forms::vbOK);
        ComputeInternalForces();
        if (c.file) {
            EXPECT_EQ(runState(), halvex::ExitWithoutSaving) << c.method;
            ASSERT_EQ(box->boxes().size(), before + 1) << c.method;
            EXPECT_NE(box->boxes().back().prompt.find(c.file), std::string::npos) << c.method;
            folder.write(c.file, "1.5\r\n2.5\r\n");
            ComputeInternalForces();
        }
        EXPECT_EQ(runState(), 0) << c.method;
        EXPECT_EQ(box->boxes().size(), before + (c.file ? 1 : 0)) << c.method;
    }
}

TEST_F(ReactionsTest, PileFileBrokenInsideOrAfterTheTypeRecords) {
    prepare(halvex::Givensubgrade, false, false, true);
    // Damaged blocks after the type records are not read.
    writePiles("not a number\r\n");
    ComputeInternalForces();
    EXPECT_EQ(runState(), 0);
    // A file that ends inside the type records.
    folder.write("SLAB.PIL", "2\r\n0.5\r\n0.5\r\n1\r\n4\r\n1\r\n6\r\n1\r\n0\r\n1\r\n1\r\n2\r\n");
    box->answer(forms::vbOK);
    ComputeInternalForces();
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbCritical);
}

TEST_F(ReactionsTest, SupportsReadTheBeamsAndTheSolverFilesOfTheirMethod) {
    prepare(halvex::Givensubgrade, false, true, false);
    writeSupports(2);
    ComputeInternalForces();
    EXPECT_EQ(runState(), 0);

    // The node values of .PL4 and .PH2 belong to the supports as well.
    std::filesystem::remove(folder.path("SLAB.PH2"));
    orvelo::RunControl().RunState(0);
    std::int16_t count = 0;
    std::vector<std::int16_t> numbers;
    std::vector<float> values;
    box->answer(forms::vbOK);
    orvelo::CalcSupportReactions("SLAB", 0, {}, {}, 0, {}, {}, count, numbers, values);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(numbers, (std::vector<std::int16_t>{0, 3, 6}));
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find("SLAB.PH2"), std::string::npos);

    // A missing .PC5 with supports stops the run too.
    prepare(halvex::MethodSlabFloor, false, true, false);
    std::filesystem::remove(folder.path("SLAB.PC5"));
    box->answer(forms::vbOK);
    ComputeInternalForces();
    EXPECT_EQ(runState(), halvex::ExitWithoutSaving);
    EXPECT_NE(box->boxes().back().prompt.find("SLAB.PC5"), std::string::npos);
}
