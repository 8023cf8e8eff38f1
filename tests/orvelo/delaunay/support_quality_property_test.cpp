// Random slabs: triangles at a support or its foot keep theta (less half a
// degree) at any distance up to the 34 degrees a refinement reaches; a line
// or opening within the tolerance is refused by name; no option leaves more
// triangles under theta or a smaller angle, at 40 degrees too.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "orvelo/delaunay/front_points.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/generated_net_check.h"
#include "orvelo/delaunay/marks.h"
#include "orvelo/delaunay/mesh_fixture.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/project/services.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace orvelo {
namespace {

std::vector<OutlinePiece> rectangle(double x0, double y0, double x1, double y1) {
    const float a = static_cast<float>(x0), b = static_cast<float>(y0), c = static_cast<float>(x1), d = static_cast<float>(y1);
    return {straightPiece(a, b, c, b), straightPiece(c, b, c, d), straightPiece(c, d, a, d), straightPiece(a, d, a, b)};
}

struct Support { double x, y, fx, fy; };  // where, its foot
struct RandomCase { meshcheck::SlabFixture slab; std::vector<Support> supports; std::string refusal; };  // refusal: what the message names

// Supports 0 to 3 rmin from a side or a line; seeds 1 and 3 of five add a line or opening to refuse.
RandomCase makeCase(int seed, double tol) {
    std::mt19937 random(static_cast<unsigned>(seed) * 104729u + 7u);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    RandomCase c;
    meshcheck::SlabFixture& slab = c.slab;
    const double w = 8.0 + 6.0 * u(random), h = 6.0 + 4.0 * u(random);
    slab.theta = std::array<float, 4>{20.0f, 30.0f, 33.0f, 40.0f}[random() % 4];
    const float r = slab.r = static_cast<float>(0.7 + 0.5 * u(random));
    slab.rmin = r * static_cast<float>(0.2 + 0.15 * u(random));
    slab.field = [r](float, float) { return r; };
    slab.outline = rectangle(0, 0, w, h);
    const double lx = w * (0.4 + 0.2 * u(random));
    const bool withLine = random() % 2 == 0;
    if (withLine) slab.lines.push_back({{static_cast<float>(lx), 0.0f}, {static_cast<float>(lx), static_cast<float>(0.7 * h)}});
    const int count = 1 + static_cast<int>(random() % 4);
    for (int attempt = 0; attempt < 40 && static_cast<int>(c.supports.size()) < count; ++attempt) {
        const double kinds[] = {0.0, 0.1 * u(random), u(random), 3.0 * u(random)};
        const double g = slab.rmin * kinds[random() % 4], a = 0.15 + 0.7 * u(random);
        const Support all[] = {{w * a, g, w * a, 0.0}, {w * a, h - g, w * a, h}, {g, h * a, 0.0, h * a}, {w - g, h * a, w, h * a},
                               {lx - g, 0.6 * h * a, lx, 0.6 * h * a}, {lx + g, 0.6 * h * a, lx, 0.6 * h * a}};
        const Support s = all[random() % (withLine ? 6 : 4)];
        bool apart = !withLine || std::fabs(s.x - lx) > 1.5 * r || std::fabs(s.x - lx) <= g + 1e-9;
        for (const Support& t : c.supports) apart = apart && std::hypot(s.x - t.x, s.y - t.y) > 2.0 * r;
        if (apart) c.supports.push_back(s), slab.points.push_back({static_cast<float>(s.x), static_cast<float>(s.y)});
    }
    if (seed % 5 == 1)  // along the left side, half the tolerance in
        slab.lines.push_back({{static_cast<float>(0.5 * tol), 1.0f}, {static_cast<float>(0.5 * tol), static_cast<float>(h - 1.0)}}), c.refusal = "Line " + std::to_string(slab.lines.size());
    else if (seed % 5 == 3)  // smaller than the tolerance, or within it of a corner
        slab.openings.push_back(random() % 2 ? rectangle(w / 2, h / 2, w / 2 + 0.5 * tol, h / 2 + 0.4 * tol) : rectangle(0.4 * tol, 0.4 * tol, 2.4 * tol, 1.9 * tol)), c.refusal = "Opening 1";
    return c;
}

TEST(SupportQualityProperty, SupportsKeepThetaAtAnyDistanceAndNoOptionMakesItWorse) {
    forms::ScopedMsgBox boxes;
    resetServices();
    drovik::ClsWaitWindow::stopAfterUpdates(0);
    int meshed = 0, seeds = 300;
    for (int seed = 0; seed < seeds; ++seed) {
        meshcheck::InstallSlab(makeCase(seed, 0.0).slab);
        SetScaleFromSlabDescription();
        const double tol = CoincidenceTolerance();
        const RandomCase input = makeCase(seed, tol);
        int plainUnder = 0;
        double plainSmallest = 0.0;
        for (int option = 0; option < 4; ++option) {
            meshcheck::InstallSlab(input.slab);
            std::string refused;
            try {
                GenerateDelaunayMesh();
            } catch (const rt::RuntimeError& error) {
                refused = error.description() + " ";
            }
            if (!refused.empty() || !input.refusal.empty()) {
                EXPECT_TRUE(!input.refusal.empty() && refused.find(input.refusal) != std::string::npos)
                    << "seed " << seed << " must refuse '" << input.refusal << "', refused '" << refused << "'";
                break;
            }
            if (option & 1) SmoothMesh(25);
            if (option & 2) AddBoundaryFrontPoints();
            const auto net = meshcheck::MeshView();
            ASSERT_TRUE(meshcheck::CheckTopology(net).empty()) << "seed " << seed << ", option " << option;
            int under = 0;
            for (std::int32_t e = 1; e <= net.elementCount; ++e) {
                const double angle = meshcheck::SmallestAngleDeg(net, e);
                under += angle < input.slab.theta ? 1 : 0;
                for (const Support& s : input.supports)
                    for (int k = 1; option == 0 && input.slab.theta <= 34.0f && k <= 3; ++k) {
                        const double x = net.X(net.Corner(e, k)), y = net.Y(net.Corner(e, k));
                        EXPECT_TRUE((std::hypot(x - s.x, y - s.y) >= tol && std::hypot(x - s.fx, y - s.fy) >= tol) || angle >= input.slab.theta - 0.5)
                            << "seed " << seed << ": angle " << angle << " at a support at (" << s.x << ", " << s.y << ")";
                    }
            }
            if (option == 0) ++meshed, plainUnder = under, plainSmallest = meshcheck::SmallestAngleDeg(net);
            EXPECT_LE(under, plainUnder) << "seed " << seed << ", option " << option << ": more triangles under theta";
            EXPECT_GE(meshcheck::SmallestAngleDeg(net), plainSmallest - 1e-9) << "seed " << seed << ", option " << option << ": smaller angle";
        }
    }
    EXPECT_GE(meshed, seeds / 2);
    resetServices();
}

}  // namespace
}  // namespace orvelo
