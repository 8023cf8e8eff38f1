#include "orvelo/gridmesh/cell_flags.h"

#include <array>
#include <cmath>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_regions.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/rounding.h"

namespace orvelo {

namespace {

struct Corner {
    float x = 0.0f;
    float y = 0.0f;
};

// The crossing of the cell's diagonals BR-TL and TR-BL, or the mean of the
// corners where both diagonals are nearly vertical or nearly parallel.
Corner centrePoint(const Corner& br, const Corner& tr, const Corner& tl, const Corner& bl, float tol) {
    Corner p{(br.x + tr.x + tl.x + bl.x) / 4.0f, (br.y + tr.y + tl.y + bl.y) / 4.0f};
    if (std::fabs(br.x - tl.x) >= tol) {
        const float m1 = (br.y - tl.y) / (br.x - tl.x);
        const float b1 = tl.y - m1 * tl.x;
        if (std::fabs(tr.x - bl.x) < tol) {
            p = Corner{tr.x, m1 * tr.x + b1};
        } else {
            const float m2 = (tr.y - bl.y) / (tr.x - bl.x);
            const float b2 = bl.y - m2 * bl.x;
            if (std::fabs(m1 - m2) > tol) {
                p.x = (b2 - b1) / (m1 - m2);
                p.y = m1 * p.x + b1;
            }
        }
    } else if (std::fabs(tr.x - bl.x) > tol) {
        const float m2 = (tr.y - bl.y) / (tr.x - bl.x);
        const float b2 = bl.y - m2 * bl.x;
        p = Corner{br.x, m2 * br.x + b2};
    }
    return p;
}

// Whether the centroid of the quarter piece between corners a and b and the
// centre point lies in the slab.
bool quarterInside(const Corner& a, const Corner& b, const Corner& p) {
    const double scale = 100.0 * static_cast<double>(UnitFactor());
    const float sumX = a.x + b.x + p.x;
    const float sumY = a.y + b.y + p.y;
    return InsideSlabRegionsAt(static_cast<double>(sumX) * scale / 3.0, static_cast<double>(sumY) * scale / 3.0);
}

}  // namespace

bool SetCellTriangleFlags() {
    const BasDelaunay& m = basDelaunay();
    BasGridBased& g = basGridBased();
    mesher::SetProgressMax(static_cast<std::int64_t>(g.GridIntervalsX) + 1);
    g.CellTriangleInside.create(g.GridIntervalsX + 1, g.GridIntervalsY + 1);
    const auto corner = [&](std::int32_t ix, std::int32_t iy) {
        const auto n = static_cast<std::size_t>(g.GridNodeNumber(ix, iy));
        return Corner{m.MeshNodeX[n], m.MeshNodeY[n]};
    };
    for (std::int32_t ix = 2; ix <= g.GridIntervalsX + 1; ++ix) {
        for (std::int32_t iy = 1; iy <= g.GridIntervalsY; ++iy) {
            std::array<bool, 5>& flag = g.CellTriangleInside(ix, iy);
            // Corners in the order lower right, upper right, upper left,
            // lower left; the triangle that leaves corner c out is t = c + 1
            // (c = 1..3) or 1 (c = 4).
            const std::array<std::array<std::int32_t, 2>, 4> corners{
                {{ix, iy}, {ix, iy + 1}, {ix - 1, iy + 1}, {ix - 1, iy}}};
            static constexpr std::array<int, 4> kTriangleWithout{2, 3, 4, 1};
            int missing = -1;
            for (int c = 0; c < 4; ++c) {
                if (g.GridPointUsed(corners[static_cast<std::size_t>(c)][0], corners[static_cast<std::size_t>(c)][1]) != 1) {
                    missing = c;
                    break;
                }
            }
            if (missing >= 0) {
                flag[static_cast<std::size_t>(kTriangleWithout[static_cast<std::size_t>(missing)])] = true;
                continue;
            }
            const Corner br = corner(ix, iy);
            const Corner tr = corner(ix, iy + 1);
            const Corner tl = corner(ix - 1, iy + 1);
            const Corner bl = corner(ix - 1, iy);
            const float tol = static_cast<float>(rt::divideChecked(0.001, UnitFactor()));
            const Corner p = centrePoint(br, tr, tl, bl, tol);
            const bool right = quarterInside(br, tr, p);
            const bool upper = quarterInside(tl, tr, p);
            const bool left = quarterInside(tl, bl, p);
            const bool lower = quarterInside(br, bl, p);
            flag[1] = right && upper;
            flag[2] = upper && left;
            flag[3] = left && lower;
            flag[4] = lower && right;
        }
        if (mesher::StopRequested(true)) return false;
    }
    return true;
}

}  // namespace orvelo
