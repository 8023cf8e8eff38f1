// The nets the program makes pass the check against their outline, whatever
// the slab and mesh type; damaged copies are refused, naming what is wrong.
#include "wizard_fixture.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "orvelo/project/open_project.h"
#include "orvelo/wizard/mesh_generation.h"

namespace {

using orvelo::arcPiece;
using orvelo::OutlinePiece;
using orvelo::straightPiece;

// The error text of the check, or "" when the net passes.
std::string refusal(const orvelo::ProjectNet& net) {
    try {
        orvelo::CheckNetGeometry(net, orvelo::declar(), "NET.PL6");
    } catch (const rt::RuntimeError& e) {
        return e.description();
    }
    return "";
}

class NetOutlineTest : public WizardTest {};

TEST_F(NetOutlineTest, NetsTheProgramMakesPassAndDamagedOnesAreRefused) {
    std::mt19937 random(42);
    auto uniform = [&](double a, double b) { return static_cast<float>(std::uniform_real_distribution<double>(a, b)(random)); };
    const std::int16_t types[] = {5, 3, 0, 5, 1, 5, 2, 4};
    for (int round = 0; round < 32; ++round) {
        orvelo::resetDeclar();
        orvelo::resetBasDelaunay();
        orvelo::resetBasOrvelo();
        orvelo::RunControl().RunState(0);
        orvelo::Declar& d = orvelo::declar();
        d.CurrentDataDir = folder.path("");
        d.CurrentProjectName = "NET";
        d.RecalculateBoundaryFlag = false;
        d.MeshType = types[round % 8];
        d.MinAngle = 25;
        const float w = uniform(6, 16), h = uniform(4, 12), r = std::min(w, h) / uniform(4, 8);
        d.MaxElementSize = r, d.MinElementSize = r / 4;

        // A rectangle of straight sides or arcs bulging out or in.
        d.OutlinePieces.assign(1, OutlinePiece{});
        const float cx[4] = {0, w, w, 0}, cy[4] = {0, 0, h, h};
        for (int k = 0; k < 4; ++k) {
            const float x1 = cx[k], y1 = cy[k], x2 = cx[(k + 1) % 4], y2 = cy[(k + 1) % 4];
            const int kind = std::uniform_int_distribution<int>(0, 2)(random);
            const float f = (kind == 1 ? 1.0f : -1.0f) * uniform(1.2, 2.5);  // the centre's distance in lengths
            d.OutlinePieces.push_back(kind == 0 ? straightPiece(x1, y1, x2, y2)
                                                : arcPiece(x1, y1, x2, y2, (x1 + x2) / 2 - f * (y2 - y1), (y1 + y2) / 2 + f * (x2 - x1), kind == 1));
        }
        // A second slab part every other round.
        if (round % 2 == 1) {
            const float x0 = w + uniform(1, 3), x1 = x0 + uniform(2, 5), y1 = uniform(2, h);
            for (const OutlinePiece& p : {straightPiece(x0, 0, x1, 0), straightPiece(x1, 0, x1, y1), straightPiece(x1, y1, x0, y1),
                                          straightPiece(x0, y1, x0, 0)})
                d.OutlinePieces.push_back(p);
        }
        d.OutlinePieceCount = static_cast<std::int16_t>(d.OutlinePieces.size() - 1);
        // An opening: a circle of two half circles.
        const float ox = w / 2, oy = h / 2, rho = std::min(w, h) * uniform(0.08f, 0.15f);
        d.OpeningCount = 1;
        d.OpeningPieceCount = {0, 2};
        d.OpeningPieces.assign(2, std::vector<OutlinePiece>(5));
        d.OpeningPieces[1][1] = arcPiece(ox + rho, oy, ox - rho, oy, ox, oy, true);
        d.OpeningPieces[1][2] = arcPiece(ox - rho, oy, ox + rho, oy, ox, oy, true);
        d.MaxOpeningPieces = 4;
        d.LineStart = {{}, {w * 0.3f, h * 0.4f}}, d.LineEnd = {{}, {w * 0.3f, h * 0.6f}};
        d.LineCount = 1;
        d.GridCountX = d.GridCountY = 1;
        // The old net: two triangles over the whole.
        d.NodeCount = d.OldNodeCount = 4;
        d.NodeX = {0, -1, 2 * w + 8, 2 * w + 8, -1}, d.NodeY = {0, -1, -1, h + 1, h + 1};
        d.ElementCount = 2;
        d.ElementList = {{}, {3, {0, 1, 2, 3, 0}, {}}, {3, {0, 1, 3, 4, 0}, {}}};
        d.NodeTargetSize = {0, r, r, r, r};
        d.GridX = d.GridY = {0, 0, r};

        SCOPED_TRACE("round " + std::to_string(round) + ", mesh type " + std::to_string(d.MeshType));
        orvelo::GenerateFENet(d.OutlinePieceCount, d.OutlinePieces, d.NodeCount, d.NodeX, d.NodeY, d.ElementCount, d.ElementList,
                              d.GridCountX, d.GridX, d.GridCountY, d.GridY, d.OpeningCount, d.OpeningPieceCount, d.OpeningPieces,
                              d.LineCount, d.LineStart, d.LineEnd, d.SinglePointCount, d.SinglePoints, "[m]", 1.0, "");
        ASSERT_EQ(runState(), 0) << ::testing::PrintToString(prompts());
        ASSERT_GT(d.ElementCount, 8);
        const orvelo::ProjectNet net = orvelo::projectNetOf(d);
        EXPECT_EQ(refusal(net), "");

        // Damaged: a quadrilateral over two neighbouring triangles; a triangle
        // of three far corners laid over the slab.
        auto said = [&](const orvelo::NetElement& more) {
            orvelo::ProjectNet damaged = net;
            return damaged.ElementList.push_back(more), ++damaged.ElementCount, refusal(damaged);
        };
        const std::string last = "Element " + std::to_string(net.ElementCount + 1) + " of the net file NET.PL6 ";
        std::size_t low = 1, right = 1, top = 1;
        for (std::size_t n = 1; n <= static_cast<std::size_t>(net.NodeCount); ++n) {
            if (net.NodeX[n] + net.NodeY[n] < net.NodeX[low] + net.NodeY[low]) low = n;
            if (net.NodeX[n] - net.NodeY[n] > net.NodeX[right] - net.NodeY[right]) right = n;
            if (net.NodeY[n] > net.NodeY[top]) top = n;
        }
        bool overlapTried = false;
        for (std::size_t e = 1; e <= static_cast<std::size_t>(net.ElementCount) && !overlapTried; ++e)
            for (std::size_t f = e + 1; f <= static_cast<std::size_t>(net.ElementCount) && !overlapTried; ++f) {
                const auto &a = net.ElementList[e].Node, &b = net.ElementList[f].Node;
                const auto off = std::find_if(b.begin() + 1, b.begin() + 4, [&](std::int16_t n) { return n != a[1] && n != a[2]; });
                if (net.ElementList[e].CornerCount + net.ElementList[f].CornerCount != 6 ||
                    std::count(b.begin() + 1, b.begin() + 4, a[1]) + std::count(b.begin() + 1, b.begin() + 4, a[2]) != 2)
                    continue;
                const orvelo::NetElement quad{4, {0, a[1], *off, a[2], a[3]}, {}};
                EXPECT_NE(said(quad).find(last + "overlaps element "), std::string::npos) << said(quad);
                overlapTried = true;
            }
        EXPECT_TRUE(overlapTried || d.MeshType == 0);
        const std::string covered = said(orvelo::NetElement{3, {0, static_cast<std::int16_t>(low), static_cast<std::int16_t>(right),
                                                               static_cast<std::int16_t>(top), 0}, {}});
        EXPECT_TRUE(covered.find("The elements of the net file NET.PL6 cover an area of") != std::string::npos ||
                    covered.find(last + "lies outside") != std::string::npos)  // its centroid in the opening
            << covered;
    }
}

}  // namespace
