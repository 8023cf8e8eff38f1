// Slabs handed to the meshers in their module data, as the mesher tests and
// the mesher benchmarks build them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "halvex/interface/enums.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/model/declar.h"
#include "orvelo/model/net.h"

namespace orvelo::slabsetup {

// The closed polygon through the corners, as straight pieces.
inline std::vector<OutlinePiece> Polygon(const std::vector<std::pair<float, float>>& corners) {
    std::vector<OutlinePiece> pieces;
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const auto& a = corners[k];
        const auto& b = corners[(k + 1) % corners.size()];
        pieces.push_back(straightPiece(a.first, a.second, b.first, b.second));
    }
    return pieces;
}

// The outline, the openings (each a list of pieces), the internal lines and
// the single points as the meshers' module data (1-based lists; the openings'
// table as wide as the largest opening).
inline void SetMeshSlab(const std::vector<OutlinePiece>& outline,
                        const std::vector<std::vector<OutlinePiece>>& openings,
                        const std::vector<std::pair<halvex::SinglePoint, halvex::SinglePoint>>& lines = {},
                        const std::vector<halvex::SinglePoint>& points = {}) {
    BasDelaunay& m = basDelaunay();
    m.MeshOutlineCount = static_cast<std::int32_t>(outline.size());
    m.MeshOutline.assign(1, OutlinePiece{});
    m.MeshOutline.insert(m.MeshOutline.end(), outline.begin(), outline.end());
    std::size_t largest = 0;
    for (const auto& opening : openings) largest = std::max(largest, opening.size());
    m.MeshOpeningCount = static_cast<std::int16_t>(openings.size());
    m.MeshOpeningPieceCount.assign(openings.size() + 1, 0);
    m.MeshOpenings.assign(openings.size() + 1, std::vector<OutlinePiece>(largest + 1));
    for (std::size_t o = 0; o < openings.size(); ++o) {
        m.MeshOpeningPieceCount[o + 1] = static_cast<std::int16_t>(openings[o].size());
        for (std::size_t p = 0; p < openings[o].size(); ++p) m.MeshOpenings[o + 1][p + 1] = openings[o][p];
    }
    m.MeshLineCount = static_cast<std::int16_t>(lines.size());
    m.MeshLineStart.assign(1, halvex::SinglePoint{});
    m.MeshLineEnd.assign(1, halvex::SinglePoint{});
    for (const auto& [start, end] : lines) {
        m.MeshLineStart.push_back(start);
        m.MeshLineEnd.push_back(end);
    }
    m.MeshPointCount = static_cast<std::int16_t>(points.size());
    m.MeshPoints.assign(1, halvex::SinglePoint{});
    m.MeshPoints.insert(m.MeshPoints.end(), points.begin(), points.end());
}

// The old net that carries the target sizes: nx x ny cells over
// [0, width] x [0, height], each split into two triangles by its rising
// diagonal; node (i, j) is number 1 + i + (nx + 1) j and carries field(x, y).
inline void SetOldNet(float width, float height, int nx, int ny, const std::function<float(float, float)>& field) {
    Declar& d = declar();
    BasOrvelo& o = basOrvelo();
    o.OldNodeX.assign(1, 0.0f);
    o.OldNodeY.assign(1, 0.0f);
    d.NodeTargetSize.assign(1, 0.0f);
    for (int j = 0; j <= ny; ++j) {
        for (int i = 0; i <= nx; ++i) {
            const float x = width * static_cast<float>(i) / nx;
            const float y = height * static_cast<float>(j) / ny;
            o.OldNodeX.push_back(x);
            o.OldNodeY.push_back(y);
            d.NodeTargetSize.push_back(field(x, y));
        }
    }
    d.OldNodeCount = static_cast<std::int16_t>(o.OldNodeX.size() - 1);
    o.OldElementList.assign(1, NetElement{});
    const auto node = [nx](int i, int j) { return static_cast<std::int16_t>(j * (nx + 1) + i + 1); };
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            NetElement lower;
            lower.CornerCount = 3;
            lower.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), 0};
            NetElement upper;
            upper.CornerCount = 3;
            upper.Node = {0, node(i, j), node(i + 1, j + 1), node(i, j + 1), 0};
            o.OldElementList.push_back(lower);
            o.OldElementList.push_back(upper);
        }
    }
    o.OldElementCount = static_cast<std::int16_t>(o.OldElementList.size() - 1);
}

}  // namespace orvelo::slabsetup
