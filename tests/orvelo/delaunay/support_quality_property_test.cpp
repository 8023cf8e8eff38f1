// Supports beside the sides of random slabs, internal lines and openings
// near the outline, with every option after the generation (plain,
// smoothing, front points, both):
// - every triangle at a support or at its foot on the nearest side meets
//   theta (less half a degree), at any distance of the support from an
//   outline side or from either side of an internal line;
// - a line or an opening within the coincidence tolerance of the outline,
//   and an opening smaller than the tolerance, are refused with a message
//   that names them, never meshed into slivers or dropped;
// - the options never leave more triangles under theta, nor a smaller
//   smallest angle, than the plain net.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/front_points.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

using meshcheck::NetView;
using meshcheck::SlabFixture;

OutlinePiece straight(double x1, double y1, double x2, double y2) {
    OutlinePiece p;
    p.X1 = static_cast<float>(x1), p.Y1 = static_cast<float>(y1), p.X2 = static_cast<float>(x2), p.Y2 = static_cast<float>(y2);
    return p;
}

std::vector<OutlinePiece> rectangle(double x0, double y0, double x1, double y1) {
    return {straight(x0, y0, x1, y0), straight(x1, y0, x1, y1), straight(x1, y1, x0, y1), straight(x0, y1, x0, y0)};
}

struct Support {
    double x, y;
    double gap;     // its distance from the side it was put beside
    double fx, fy;  // its foot on that side
};

// A random rectangular slab, maybe with an internal line up from its bottom
// side, with supports at random distances (0 to three rmin) beside its
// sides and either side of the line. Every fifth slab has a line within the
// tolerance of the outline or an opening too small or too close to a
// corner: it must be refused, with the words given.
struct RandomCase {
    SlabFixture slab;
    std::vector<Support> supports;
    std::string refusal;  // what the message must name; empty: meshed
};

RandomCase makeCase(int seed, double tol) {
    std::mt19937 random(static_cast<unsigned>(seed) * 104729u + 7u);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    RandomCase c;
    SlabFixture& slab = c.slab;
    const double width = 8.0 + 6.0 * u(random), height = 6.0 + 4.0 * u(random);
    const double thetas[] = {20.0, 30.0, 33.0};
    slab.theta = static_cast<float>(thetas[random() % 3]);
    slab.r = static_cast<float>(0.7 + 0.5 * u(random));
    slab.rmin = slab.r * static_cast<float>(0.2 + 0.15 * u(random));
    const float r = slab.r;
    slab.field = [r](float, float) { return r; };
    slab.outline = rectangle(0, 0, width, height);
    const double lineX = width * (0.4 + 0.2 * u(random));
    const bool withLine = random() % 2 == 0;
    if (withLine) slab.lines.push_back({{static_cast<float>(lineX), 0.0f}, {static_cast<float>(lineX), static_cast<float>(0.7 * height)}});

    // The supports: beside a side of the outline or either side of the line,
    // away from the corners, the line's ends and each other.
    const int count = 1 + static_cast<int>(random() % 4);
    for (int attempt = 0; attempt < 40 && static_cast<int>(c.supports.size()) < count; ++attempt) {
        const double kinds[] = {0.0, 0.1 * u(random), u(random), 3.0 * u(random)};
        const double gap = slab.rmin * kinds[random() % 4];
        Support s{0, 0, gap, 0, 0};
        const double along = 0.15 + 0.7 * u(random);
        switch (random() % (withLine ? 6 : 4)) {
            case 0: s = {width * along, gap, gap, width * along, 0.0}; break;
            case 1: s = {width * along, height - gap, gap, width * along, height}; break;
            case 2: s = {gap, height * along, gap, 0.0, height * along}; break;
            case 3: s = {width - gap, height * along, gap, width, height * along}; break;
            case 4: s = {lineX - gap, 0.6 * height * along, gap, lineX, 0.6 * height * along}; break;
            default: s = {lineX + gap, 0.6 * height * along, gap, lineX, 0.6 * height * along}; break;
        }
        bool apart = std::fabs(s.x - lineX) > 1.5 * r || !withLine || std::fabs(s.x - lineX) <= gap + 1e-9;
        for (const Support& t : c.supports) apart = apart && std::hypot(s.x - t.x, s.y - t.y) > 2.0 * r;
        if (apart) c.supports.push_back(s);
    }
    for (const Support& s : c.supports) slab.points.push_back({static_cast<float>(s.x), static_cast<float>(s.y)});

    if (seed % 5 == 1) {
        // A line along the outline's left side, half the tolerance in.
        slab.lines.push_back({{static_cast<float>(0.5 * tol), 1.0f}, {static_cast<float>(0.5 * tol), static_cast<float>(height - 1.0)}});
        c.refusal = "Line " + std::to_string(slab.lines.size());
    } else if (seed % 5 == 3) {
        // An opening smaller than the tolerance, or one of a few centimetres
        // within the tolerance of a corner of the outline.
        if (random() % 2)
            slab.openings.push_back(rectangle(width / 2, height / 2, width / 2 + 0.5 * tol, height / 2 + 0.4 * tol));
        else
            slab.openings.push_back(rectangle(0.4 * tol, 0.4 * tol, 0.4 * tol + 2.0 * tol, 0.4 * tol + 1.5 * tol));
        c.refusal = "Opening 1";
    }
    return c;
}

// How many triangles have an angle under theta, and the smallest angle.
std::pair<int, double> underTheta(const NetView& net, double theta) {
    int under = 0;
    double smallest = 180.0;
    for (std::int32_t e = 1; e <= net.elementCount; ++e) {
        const double angle = meshcheck::SmallestAngleDeg(net, e);
        under += angle < theta ? 1 : 0;
        smallest = std::min(smallest, angle);
    }
    return {under, smallest};
}

class SupportQualityProperty : public ::testing::Test {
protected:
    void SetUp() override {
        resetServices();
        drovik::ClsWaitWindow::stopAfterUpdates(0);
    }
    void TearDown() override { resetServices(); }
    forms::ScopedMsgBox boxes_;
};

TEST_F(SupportQualityProperty, SupportsKeepThetaAtAnyDistanceAndNoOptionMakesItWorse) {
    const char* more = std::getenv("QUALITY_SEEDS");  // a longer soak
    const int seeds = more != nullptr ? std::atoi(more) : 300;
    int meshed = 0;
    for (int seed = 0; seed < seeds; ++seed) {
        RandomCase input = makeCase(seed, 0.0);
        meshcheck::InstallSlab(input.slab);
        SetScaleFromSlabDescription();
        const double tol = CoincidenceTolerance();
        input = makeCase(seed, tol);
        std::pair<int, double> plain{0, 0.0};
        for (int option = 0; option < 4; ++option) {
            meshcheck::InstallSlab(input.slab);
            try {
                GenerateDelaunayMesh();
            } catch (const rt::RuntimeError& error) {
                EXPECT_NE(input.refusal, "") << "seed " << seed << " refused: " << error.description();
                EXPECT_NE(error.description().find(input.refusal), std::string::npos) << "seed " << seed << ": " << error.description();
                break;
            }
            if (!input.refusal.empty()) {
                ADD_FAILURE() << "seed " << seed << " was meshed, though " << input.refusal << " lies within the tolerance";
                break;
            }
            if (option & 1) SmoothMesh(25);
            if (option & 2) AddBoundaryFrontPoints();
            const NetView net = meshcheck::MeshView();
            ASSERT_TRUE(meshcheck::CheckTopology(net).empty()) << "seed " << seed << ", option " << option;
            const auto counted = underTheta(net, input.slab.theta);
            if (option == 0) {
                ++meshed;
                plain = counted;
                // Every triangle with a corner at a support or at its foot.
                for (const Support& s : input.supports)
                    for (std::int32_t e = 1; e <= net.elementCount; ++e) {
                        bool at = false;
                        for (int k = 1; k <= 3; ++k)
                            at = at || std::hypot(net.X(net.Corner(e, k)) - s.x, net.Y(net.Corner(e, k)) - s.y) < tol ||
                                 std::hypot(net.X(net.Corner(e, k)) - s.fx, net.Y(net.Corner(e, k)) - s.fy) < tol;
                        if (at) {
                            EXPECT_GE(meshcheck::SmallestAngleDeg(net, e), input.slab.theta - 0.5)
                                << "seed " << seed << ": support at (" << s.x << ", " << s.y << "), " << s.gap << " from its side";
                        }
                    }
                continue;
            }
            EXPECT_LE(counted.first, plain.first) << "seed " << seed << ", option " << option << ": more triangles under theta";
            EXPECT_GE(counted.second, plain.second - 1e-9) << "seed " << seed << ", option " << option << ": smaller angle";
        }
    }
    EXPECT_GE(meshed, seeds / 2);
}

}  // namespace
}  // namespace orvelo
