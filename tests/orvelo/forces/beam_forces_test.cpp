// Beam end forces against the standard end forces of a beam, the beam list
// of .GL1, and the .GH1 file.
#include <cmath>
#include <filesystem>

#include "forces_fixture.h"
#include "orvelo/forces/beam_forces.h"
#include "orvelo/forces/internal_forces.h"
#include "outside/drovik/element_matrices.h"
#include "outside/drovik/project_reader.h"
#include "platform/runtime/textfile.h"

using orvelo::BeamEndForce;

namespace {

// A beam of length 5 along the axis at 30 degrees, E I = 2000, G J = 300.
struct SlopedBeam {
    const double angle = 0.5235987755982988;
    const double c = std::cos(angle), s = std::sin(angle), length = 5.0;
    const float ei = 2000.0f, gj = 300.0f;

    // End forces for the start and end values (w, slope along the axis,
    // slope across it) and the load q.
    BeamEndForce forces(double w1, double along1, double across1, double w2, double along2,
                        double across2, float q) const {
        const std::vector<float> x = {0, 1.0f, static_cast<float>(1.0 + length * c)};
        const std::vector<float> y = {0, 2.0f, static_cast<float>(2.0 + length * s)};
        const std::vector<float> e = {0, 200.0f}, i = {0, 10.0f}, g = {0, 30.0f}, j = {0, 10.0f};
        drovik::ClsElementMatrices m;
        float ax, ay, bending, twisting;
        std::int16_t first, second;
        m.BeamGeometry(1, 2, 1, e, i, g, j, x, y, ax, ay, bending, twisting, first, second);
        EXPECT_EQ(first, 1);
        EXPECT_EQ(second, 2);
        orvelo::BeamTransform r{};
        float fb, ft, l, t1, t2, t3, t4, t5;
        m.BeamMatrices(r, bending, twisting, ax, ay, fb, ft, l, t1, t2, t3, t4, t5);
        EXPECT_NEAR(l, length, 1e-5);
        EXPECT_NEAR(fb, ei / length, 1e-3);
        EXPECT_NEAR(ft, gj / length, 1e-3);
        // Slopes along and across the axis in x, y.
        auto slopes = [&](double along, double across) {
            return std::pair{static_cast<float>(c * along - s * across),
                             static_cast<float>(s * along + c * across)};
        };
        const auto [x1, y1] = slopes(along1, across1);
        const auto [x2, y2] = slopes(along2, across2);
        const std::array<float, 7> u = {
            0, static_cast<float>(w1), x1, y1, static_cast<float>(w2), x2, y2};
        return orvelo::BeamEndForces(r, u, fb, ft, l, q);
    }
};

void expectForces(const BeamEndForce& f, double t, double m1, double m2, double q1, double q2) {
    const double tol = 1e-4 * (std::fabs(m1) + std::fabs(m2) + std::fabs(t) + 1.0);
    EXPECT_NEAR(f.Torsion, t, tol);
    EXPECT_NEAR(f.MomentStart, m1, tol);
    EXPECT_NEAR(f.MomentEnd, m2, tol);
    EXPECT_NEAR(f.ShearStart, q1, tol);
    EXPECT_NEAR(f.ShearEnd, q2, tol);
}

}  // namespace

TEST(BeamEndForces, StandardEndForcesOfABeam) {
    const SlopedBeam b;
    const double l = b.length, ei = b.ei, gj = b.gj;
    // A unit end rotation at the start: 4EI/L there, 2EI/L carried over.
    expectForces(b.forces(0, 1, 0, 0, 0, 0, 0), 0, 4 * ei / l, -2 * ei / l, -6 * ei / (l * l),
                 -6 * ei / (l * l));
    // The same at the end.
    expectForces(b.forces(0, 0, 0, 0, 1, 0, 0), 0, 2 * ei / l, -4 * ei / l, -6 * ei / (l * l),
                 -6 * ei / (l * l));
    // A relative end deflection of 0.01.
    const double delta = 0.01;
    expectForces(b.forces(delta, 0, 0, 0, 0, 0, 0), 0, 6 * ei * delta / (l * l),
                 -6 * ei * delta / (l * l), -12 * ei * delta / (l * l * l),
                 -12 * ei * delta / (l * l * l));
    // A rigid movement gives nothing.
    expectForces(b.forces(0.3, 0.02, 0, 0.3 + 0.02 * l, 0.02, 0, 0), 0, 0, 0, 0, 0);
    // A uniform load on a beam held at both ends.
    const float q = 4.0f;
    expectForces(b.forces(0, 0, 0, 0, 0, 0, q), 0, -q * l * l / 12, -q * l * l / 12, q * l / 2,
                 -q * l / 2);
    // A twist of the end about the axis.
    expectForces(b.forces(0, 0, 0, 0, 0, 0.004, 0), gj / l * 0.004, 0, 0, 0, 0);
}

TEST(BeamEndForces, ZeroLengthBeamRaises) {
    drovik::ClsElementMatrices m;
    orvelo::BeamTransform r{};
    float fb, ft, l, t1, t2, t3, t4, t5;
    try {
        m.BeamMatrices(r, 1.0f, 1.0f, 0.0f, 0.0f, fb, ft, l, t1, t2, t3, t4, t5);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 11);
    }
}

namespace {

class BeamFileTest : public ForcesTest {
protected:
    // Line members: 1 from project node 1 to 3 (set 1), 2 from 7 to 9 (set 2).
    void writeMembers() const {
        folder.write("SLAB.GL1",
                     "Version 9\r\n2\r\n2\r\n1\r\n1\r\n3\r\n2\r\n7\r\n9\r\n"
                     "200\r\n30\r\n10\r\n10\r\n4\r\n"
                     "100\r\n20\r\n5\r\n8\r\n0\r\n"
                     "#FALSE#\r\n1\r\n2\r\n3\r\n4\r\n");
    }
};

}  // namespace

TEST_F(BeamFileTest, ReadBeamDataTakesTheMembersAndTheirPropertySets) {
    writeMembers();
    std::int16_t count = -1, failed = -1;
    std::vector<std::int16_t> start, end, numbers, sets;
    std::vector<float> load, e, g, i, j;
    orvelo::ProjectReader().ReadBeamData(folder.dir() + "SLAB", count, start, end, load, numbers,
                                         sets, e, g, i, j, 4, nullptr, failed);
    ASSERT_EQ(failed, 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(start, (std::vector<std::int16_t>{0, 1, 7}));
    EXPECT_EQ(end, (std::vector<std::int16_t>{0, 3, 9}));
    EXPECT_EQ(numbers, (std::vector<std::int16_t>{0, 1, 2}));
    EXPECT_EQ(sets, (std::vector<std::int16_t>{0, 1, 2}));
    EXPECT_EQ(e, (std::vector<float>{0, 200, 100}));
    EXPECT_EQ(g, (std::vector<float>{0, 30, 20}));
    EXPECT_EQ(i, (std::vector<float>{0, 10, 5}));
    EXPECT_EQ(j, (std::vector<float>{0, 10, 8}));
    EXPECT_EQ(load, (std::vector<float>{0, 4, 0}));

    // A member naming a set the file lacks, a short file, another mode.
    folder.write("SLAB.GL1", "Version 9\r\n1\r\n1\r\n2\r\n1\r\n3\r\n1\r\n2\r\n3\r\n4\r\n5\r\n");
    orvelo::ProjectReader().ReadBeamData(folder.dir() + "SLAB", count, start, end, load, numbers,
                                         sets, e, g, i, j, 4, nullptr, failed);
    EXPECT_EQ(failed, 9);
    folder.write("SLAB.GL1", "Version 9\r\n1\r\n1\r\n1\r\n1\r\n3\r\n1\r\n");
    orvelo::ProjectReader().ReadBeamData(folder.dir() + "SLAB", count, start, end, load, numbers,
                                         sets, e, g, i, j, 4, nullptr, failed);
    EXPECT_EQ(failed, 62);
    orvelo::ProjectReader().ReadBeamData(folder.dir() + "SLAB", count, start, end, load, numbers,
                                         sets, e, g, i, j, 1, nullptr, failed);
    EXPECT_EQ(failed, 5);
    EXPECT_EQ(count, 2) << "a failed read changes nothing";
}

TEST_F(BeamFileTest, GH1HoldsTheProjectNodesAndSevenLinesPerBeam) {
    writeHeader(1, halvex::Givensubgrade, false, false, true);
    writeSolverFiles(curvedField(), shuffledMap());
    writeMembers();
    orvelo::ComputeInternalForces();
    ASSERT_EQ(runState(), 0);
    EXPECT_TRUE(box->boxes().empty());

    rt::TextReader in;
    in.open(folder.path("SLAB.GH1"));
    EXPECT_EQ(in.readInteger(), 2);
    const std::int16_t ends[2][2] = {{1, 3}, {7, 9}};
    for (int b = 0; b < 2; ++b) {
        EXPECT_EQ(in.readInteger(), ends[b][0]) << "project-net numbers, not the solver's";
        EXPECT_EQ(in.readInteger(), ends[b][1]);
        float values[5];
        for (float& v : values) v = in.readSingle();
        // Shear forces follow the end moments: Q1 - Q2 = L q.
        const float load = b == 0 ? 4.0f : 0.0f;
        EXPECT_NEAR(values[3] - values[4], 2.0f * load, 1e-3f) << b;
        EXPECT_NEAR(values[3] + values[4], 2.0f * (values[2] - values[1]) / 2.0f, 1e-2f) << b;
    }
    EXPECT_TRUE(in.eof());
    EXPECT_EQ(folder.read("SLAB.GH1").substr(0, 3), "2\r\n");

    // A flexible foundation has no displacements: no end forces.
    std::filesystem::remove(folder.path("SLAB.GH1"));
    writeHeader(1, halvex::FlexibleFoundation, false, false, true);
    orvelo::ComputeInternalForces();
    EXPECT_EQ(runState(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.path("SLAB.GH1")));
    writeHeader(1, halvex::Givensubgrade, false, false, true);

    // No members: a file of the single line 0. A refused list: no file.
    folder.write("SLAB.GL1", "Version 9\r\n0\r\n0\r\n#FALSE#\r\n");
    orvelo::ComputeInternalForces();
    EXPECT_EQ(folder.read("SLAB.GH1"), "0\r\n");
    std::filesystem::remove(folder.path("SLAB.GH1"));
    std::filesystem::remove(folder.path("SLAB.GL1"));
    orvelo::ComputeInternalForces();
    EXPECT_EQ(runState(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.path("SLAB.GH1")));
}
