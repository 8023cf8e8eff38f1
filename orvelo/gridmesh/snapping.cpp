#include "orvelo/gridmesh/snapping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/progress.h"
#include "orvelo/delaunay/units.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_regions.h"
#include "orvelo/gridmesh/key_points.h"
#include "orvelo/model/declar.h"
#include "platform/runtime/errors.h"

namespace orvelo {

namespace {

struct GridIndex {
    std::int32_t gx = 0;
    std::int32_t gy = 0;
    bool operator==(const GridIndex&) const = default;
};

halvex::SinglePoint gridPoint(std::int32_t gx, std::int32_t gy) {
    const BasGridBased& g = basGridBased();
    return halvex::SinglePoint{g.GridLineX[static_cast<std::size_t>(gx)], g.GridLineY[static_cast<std::size_t>(gy)]};
}

float distance(const halvex::SinglePoint& a, const halvex::SinglePoint& b) {
    const double dx = static_cast<double>(a.X) - b.X;
    const double dy = static_cast<double>(a.Y) - b.Y;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

bool inGrid(const GridIndex& at) {
    const BasGridBased& g = basGridBased();
    return at.gx >= 1 && at.gy >= 1 && at.gx <= g.GridIntervalsX + 1 && at.gy <= g.GridIntervalsY + 1;
}

// The key's grid point; rounding at the outermost half spacing may give an
// index one beyond the extended grid, which stands for its outermost line.
GridIndex nearestIndex(const halvex::SinglePoint& p) {
    const BasGridBased& g = basGridBased();
    const auto gx = static_cast<std::int32_t>(NearestGridLineX(p));
    const auto gy = static_cast<std::int32_t>(NearestGridLineY(p));
    return GridIndex{std::clamp(gx, 1, g.GridIntervalsX + 1), std::clamp(gy, 1, g.GridIntervalsY + 1)};
}

class KeySnapper {
public:
    KeySnapper() : g_(basGridBased()), at_(static_cast<std::size_t>(g_.KeyPointCount) + 1) {
        for (std::int32_t k = 1; k <= g_.KeyPointCount; ++k) at_[static_cast<std::size_t>(k)] = nearestIndex(key(k));
    }

    // Two input keys on one grid point: the farther one moves next to the
    // other, on its side, where no input key stands.
    void separateInputKeys() {
        for (std::int32_t k = 2; k <= g_.InputKeyCount; ++k) {
            for (std::int32_t m = 1; m < k; ++m) {
                if (!(at(m) == at(k))) continue;
                const halvex::SinglePoint p = gridPoint(at(k).gx, at(k).gy);
                const bool kMoves = distance(key(k), p) >= distance(key(m), p);
                moveBeside(kMoves ? k : m, kMoves ? m : k, 1, g_.InputKeyCount);
            }
        }
    }

    // A single point or an end of an internal line off its grid point, where
    // the outline or an opening crosses that very grid point: the crossing
    // keeps the grid point (taking it would cut the slab's border in to the
    // key and leave part of the slab uncovered) and the key moves beside it,
    // on its side, where no key stands.
    void keepSinglePointsOffBorderCrossings() {
        const float tol = KeyTolerance();
        for (std::int32_t k = 1; k <= g_.InputKeyCount; ++k) {
            if (isBorderCorner(k)) continue;
            const halvex::SinglePoint p = gridPoint(at(k).gx, at(k).gy);
            if (distance(key(k), p) < tol) continue;
            for (std::int32_t c = g_.InputKeyCount + 1; c <= g_.KeyPointCount; ++c) {
                if (!(at(c) == at(k)) || distance(key(c), p) >= tol) continue;
                moveBeside(k, c, 1, g_.KeyPointCount);
                break;
            }
        }
    }

    // Two crossing keys on one grid point: the farther one moves one grid
    // point away along its grid line, when that point lies in the grid and no
    // crossing key stands there.
    void separateCrossingKeys() {
        const float tol = KeyTolerance();
        for (std::int32_t i = g_.InputKeyCount + 1; i <= g_.KeyPointCount; ++i) {
            for (std::int32_t j = i + 1; j <= g_.KeyPointCount; ++j) {
                if (!(at(i) == at(j))) continue;
                const GridIndex shared = at(i);
                const halvex::SinglePoint p = gridPoint(shared.gx, shared.gy);
                const std::int32_t mover = distance(key(i), p) > distance(key(j), p) ? i : j;
                const halvex::SinglePoint& q = key(mover);
                GridIndex candidate = shared;
                if (CloserThan(q.Y, p.Y, tol))
                    candidate.gx += q.X > p.X ? 1 : -1;
                else
                    candidate.gy += q.Y > p.Y ? 1 : -1;
                if (!inGrid(candidate)) continue;
                if (heldByKey(candidate, g_.InputKeyCount + 1, g_.KeyPointCount)) continue;
                at_[static_cast<std::size_t>(mover)] = candidate;
            }
        }
    }

    // One key node per surviving key, in key order; then the grid tables and
    // the constraint edges' node numbers.
    void makeKeyNodes() {
        BasDelaunay& m = basDelaunay();
        m.MeshNodeCount = 0;
        m.MeshNodeX.assign(1, 0.0f);
        m.MeshNodeY.assign(1, 0.0f);
        std::unordered_map<std::int64_t, std::vector<std::int32_t>> keysAt;
        for (std::int32_t k = 1; k <= g_.KeyPointCount; ++k) keysAt[cellKey(at(k))].push_back(k);

        std::vector<bool> dropped(static_cast<std::size_t>(g_.KeyPointCount) + 1, false);
        std::vector<std::int16_t> nodeOfKey(static_cast<std::size_t>(g_.KeyPointCount) + 1, 0);
        std::vector<GridIndex> nodeAt(1);
        for (std::int32_t k = 1; k <= g_.KeyPointCount; ++k) {
            if (dropped[static_cast<std::size_t>(k)]) continue;
            if (k > g_.InputKeyCount) {
                const halvex::SinglePoint p = gridPoint(at(k).gx, at(k).gy);
                const float dk = distance(key(k), p);
                for (const std::int32_t other : keysAt[cellKey(at(k))]) {
                    if (other == k) continue;
                    if (other <= g_.InputKeyCount) {
                        dropped[static_cast<std::size_t>(k)] = true;
                        break;
                    }
                    if (dropped[static_cast<std::size_t>(other)]) continue;
                    if (dk > distance(key(other), p)) {
                        dropped[static_cast<std::size_t>(k)] = true;
                        break;
                    }
                    dropped[static_cast<std::size_t>(other)] = true;
                }
                if (dropped[static_cast<std::size_t>(k)]) continue;
            }
            const std::int16_t n = AppendMeshNode();
            m.MeshNodeX[static_cast<std::size_t>(n)] = key(k).X;
            m.MeshNodeY[static_cast<std::size_t>(n)] = key(k).Y;
            nodeOfKey[static_cast<std::size_t>(k)] = n;
            nodeAt.push_back(at(k));
        }

        g_.KeyNodeCount = m.MeshNodeCount;
        g_.KeyGridX.assign(static_cast<std::size_t>(g_.KeyNodeCount) + 1, 0);
        g_.KeyGridY.assign(static_cast<std::size_t>(g_.KeyNodeCount) + 1, 0);
        for (std::int32_t n = 1; n <= g_.KeyNodeCount; ++n) {
            const GridIndex& where = nodeAt[static_cast<std::size_t>(n)];
            g_.KeyGridX[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(where.gx);
            g_.KeyGridY[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(where.gy);
            g_.GridPointUsed(where.gx, where.gy) = 1;
            g_.GridNodeNumber(where.gx, where.gy) = static_cast<std::int16_t>(n);
        }

        // A constraint edge's end whose key was dropped ends at the node that
        // took the key's grid point.
        for (std::int32_t e = 1; e <= m.ConstraintEdgeCount; ++e) {
            for (std::size_t end = 0; end < 2; ++end) {
                const std::int16_t k = g_.ConstraintKeys[static_cast<std::size_t>(e)][end];
                if (k < 1 || k > g_.KeyPointCount) rt::raise(9, "A constraint side names a key point that does not exist.");
                std::int16_t node = nodeOfKey[static_cast<std::size_t>(k)];
                if (node == 0) node = g_.GridNodeNumber(at(k).gx, at(k).gy);
                m.ConstraintEdges[static_cast<std::size_t>(e)][end] = node;
            }
        }
    }

private:
    // Moves the key `mover` from the grid point it shares with `stayer` to
    // the neighbouring grid point on its side of `stayer` (along the axis
    // in which they lie farther apart, else along the other), when that
    // point lies in the grid and none of the keys first..last stands there.
    void moveBeside(std::int32_t mover, std::int32_t stayer, std::int32_t first, std::int32_t last) {
        const float tol = KeyTolerance();
        const float dx = key(mover).X - key(stayer).X;
        const float dy = key(mover).Y - key(stayer).Y;
        const GridIndex from = at(mover);
        const double relX = std::fabs(dx) / spacingAround(g_.GridSpacingX, g_.GridIntervalsX, from.gx);
        const double relY = std::fabs(dy) / spacingAround(g_.GridSpacingY, g_.GridIntervalsY, from.gy);
        std::array<GridIndex, 2> candidates{};
        std::size_t count = 0;
        const GridIndex alongX{from.gx + (dx > 0.0f ? 1 : -1), from.gy};
        const GridIndex alongY{from.gx, from.gy + (dy > 0.0f ? 1 : -1)};
        if (relX >= relY) {
            if (std::fabs(dx) >= tol) candidates[count++] = alongX;
            if (std::fabs(dy) >= tol) candidates[count++] = alongY;
        } else {
            if (std::fabs(dy) >= tol) candidates[count++] = alongY;
            if (std::fabs(dx) >= tol) candidates[count++] = alongX;
        }
        for (std::size_t c = 0; c < count; ++c) {
            if (inGrid(candidates[c]) && !heldByKey(candidates[c], first, last)) {
                at_[static_cast<std::size_t>(mover)] = candidates[c];
                return;
            }
        }
    }

    // Whether key k stands for a corner of the outline or of an opening.
    bool isBorderCorner(std::int32_t k) const {
        const BasDelaunay& m = basDelaunay();
        const float tol = KeyTolerance();
        const auto at = [&](const OutlinePiece& p) { return CloserThan(p.X1, key(k).X, tol) && CloserThan(p.Y1, key(k).Y, tol); };
        for (std::int32_t p = 1; p <= m.MeshOutlineCount; ++p)
            if (at(m.MeshOutline[static_cast<std::size_t>(p)])) return true;
        for (std::int32_t o = 1; o <= m.MeshOpeningCount; ++o)
            for (std::int32_t p = 1; p <= m.MeshOpeningPieceCount[static_cast<std::size_t>(o)]; ++p)
                if (at(m.MeshOpenings[static_cast<std::size_t>(o)][static_cast<std::size_t>(p)])) return true;
        return false;
    }

    const halvex::SinglePoint& key(std::int32_t k) const { return g_.KeyPoints[static_cast<std::size_t>(k)]; }
    const GridIndex& at(std::int32_t k) const { return at_[static_cast<std::size_t>(k)]; }

    bool heldByKey(const GridIndex& where, std::int32_t first, std::int32_t last) const {
        for (std::int32_t k = first; k <= last; ++k)
            if (at(k) == where) return true;
        return false;
    }

    static double spacingAround(const std::vector<float>& spacing, std::int32_t intervals, std::int32_t line) {
        return static_cast<double>(spacing[static_cast<std::size_t>(std::clamp(line, 1, intervals))]);
    }

    static std::int64_t cellKey(const GridIndex& where) {
        return (static_cast<std::int64_t>(where.gx) << 32) | static_cast<std::uint32_t>(where.gy);
    }

    BasGridBased& g_;
    std::vector<GridIndex> at_;  // grid point of each key, 1..KeyPointCount
};

}  // namespace

std::int16_t AppendMeshNode() {
    BasDelaunay& m = basDelaunay();
    if (m.MeshNodeCount >= kMaxNetCount) rt::raise(6, "The grid-based net would have more than 32767 nodes.");
    ++m.MeshNodeCount;
    m.MeshNodeX.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0.0f);
    m.MeshNodeY.resize(static_cast<std::size_t>(m.MeshNodeCount) + 1, 0.0f);
    return m.MeshNodeCount;
}

void SnapKeyNodes() {
    KeySnapper snapper;
    snapper.separateInputKeys();
    snapper.keepSinglePointsOffBorderCrossings();
    snapper.separateCrossingKeys();
    snapper.makeKeyNodes();
}

bool PlaceGridNodes() {
    BasDelaunay& m = basDelaunay();
    BasGridBased& g = basGridBased();
    const bool checkerboard = declar().MeshType == 4;
    mesher::SetProgressMax(static_cast<std::int64_t>(g.GridIntervalsY) + 1);
    for (std::int32_t j = 1; j <= g.GridIntervalsY + 1; ++j) {
        for (std::int32_t i = 1; i <= g.GridIntervalsX + 1; ++i) {
            if (checkerboard && (i % 2) != (j % 2)) continue;
            if (g.GridPointUsed(i, j) == 1) continue;  // a key node stands here
            const float x = g.GridLineX[static_cast<std::size_t>(i)];
            const float y = g.GridLineY[static_cast<std::size_t>(j)];
            const float u = UnitFactor();
            const halvex::POINTAPI at = RegionPoint(x, y, u);
            if (!InsideSlabRegions(at.X, at.Y)) continue;
            const std::int16_t n = AppendMeshNode();
            m.MeshNodeX[static_cast<std::size_t>(n)] = x;
            m.MeshNodeY[static_cast<std::size_t>(n)] = y;
            g.GridNodeNumber(i, j) = n;
            g.GridPointUsed(i, j) = 1;
        }
        if (mesher::StopRequested(true)) return false;
    }
    return true;
}

}  // namespace orvelo
