// The benchmark slab of the meshers: 30 m x 20 m with two rectangular
// openings and one internal line across it, put into the meshers' slab
// description.
#pragma once

#include <vector>

#include "orvelo/delaunay/bas_delaunay.h"

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

}  // namespace benchslab
