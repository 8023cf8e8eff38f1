// The benchmark slab of the meshers: 30 m x 20 m with two rectangular
// openings and one internal line across it, put into the meshers' slab
// description.
#pragma once

#include <functional>
#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/model/declar.h"

namespace benchslab {

inline std::vector<orvelo::OutlinePiece> rectangle(float x0, float y0, float x1, float y1) {
    return {orvelo::straightPiece(x0, y0, x1, y0), orvelo::straightPiece(x1, y0, x1, y1),
            orvelo::straightPiece(x1, y1, x0, y1), orvelo::straightPiece(x0, y1, x0, y0)};
}

inline void describeBenchmarkSlab(orvelo::BasDelaunay& m) {
    const auto outline = rectangle(0, 0, 30, 20);
    m.MeshOutlineCount = 4;
    m.MeshOutline.assign(1, orvelo::OutlinePiece{});
    m.MeshOutline.insert(m.MeshOutline.end(), outline.begin(), outline.end());
    const std::vector<std::vector<orvelo::OutlinePiece>> openings{rectangle(5, 5, 9, 8), rectangle(18, 12, 24, 16)};
    m.MeshOpeningCount = 2;
    m.MeshOpeningPieceCount = {0, 4, 4};
    m.MeshOpenings.assign(3, std::vector<orvelo::OutlinePiece>(5));
    for (std::size_t s = 0; s < 2; ++s)
        for (std::size_t k = 0; k < 4; ++k) m.MeshOpenings[s + 1][k + 1] = openings[s][k];
    m.MeshLineCount = 1;
    m.MeshLineStart = {{}, {12.0f, 2.0f}};
    m.MeshLineEnd = {{}, {12.0f, 18.0f}};
}

// An old net of 1 m triangles over the slab carrying the size field: the
// target size of each of its nodes is field(x, y).
inline void installSizeField(const std::function<float(float, float)>& field) {
    orvelo::Declar& d = orvelo::declar();
    orvelo::BasOrvelo& o = orvelo::basOrvelo();
    o.OldNodeX.assign(1, 0.0f);
    o.OldNodeY.assign(1, 0.0f);
    d.NodeTargetSize.assign(1, 0.0f);
    for (int j = 0; j <= 20; ++j)
        for (int i = 0; i <= 30; ++i) {
            o.OldNodeX.push_back(static_cast<float>(i));
            o.OldNodeY.push_back(static_cast<float>(j));
            d.NodeTargetSize.push_back(field(static_cast<float>(i), static_cast<float>(j)));
        }
    d.OldNodeCount = static_cast<std::int16_t>(o.OldNodeX.size() - 1);
    o.OldElementList.assign(1, orvelo::NetElement{});
    auto node = [](int i, int j) { return static_cast<std::int16_t>(j * 31 + i + 1); };
    for (int j = 0; j < 20; ++j)
        for (int i = 0; i < 30; ++i) {
            orvelo::NetElement lower;
            lower.CornerCount = 3;
            lower.Node = {0, node(i, j), node(i + 1, j), node(i + 1, j + 1), 0};
            orvelo::NetElement upper = lower;
            upper.Node = {0, node(i, j), node(i + 1, j + 1), node(i, j + 1), 0};
            o.OldElementList.push_back(lower);
            o.OldElementList.push_back(upper);
        }
    o.OldElementCount = static_cast<std::int16_t>(o.OldElementList.size() - 1);
}

}  // namespace benchslab
