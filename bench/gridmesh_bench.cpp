// The grid-based generation (mesh type 3) and the adaptive edge refinement
// that follows it, on the sample slab (12 x 8 with a 2 x 2 opening, grid
// lines every 2): a size field graded linearly along x from 0.1 to 1, with
// rmin 0.05. The counters report the triangles and nodes of the refined net.
#include <benchmark/benchmark.h>

#include "orvelo/delaunay/adaptive_refinement.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"

namespace {

using orvelo::OutlinePiece;

OutlinePiece piece(float x1, float y1, float x2, float y2) {
    OutlinePiece p;
    p.X1 = x1;
    p.Y1 = y1;
    p.X2 = x2;
    p.Y2 = y2;
    return p;
}

std::vector<OutlinePiece> rectangle(float x0, float y0, float x1, float y1) {
    return {piece(x0, y0, x1, y0), piece(x1, y0, x1, y1), piece(x1, y1, x0, y1), piece(x0, y1, x0, y0)};
}

// The sample slab and its grid, and an old net of 0.5 m triangles carrying
// the size field.
void installSampleSlab() {
    orvelo::resetBasDelaunay();
    orvelo::resetBasGridBased();
    orvelo::resetBasOrvelo();
    orvelo::resetDeclar();
    orvelo::resetServices();
    orvelo::Declar& d = orvelo::declar();
    d.MeshType = 3;
    d.MaxElementSize = 1.0f;
    d.MinElementSize = 0.05f;

    orvelo::BasDelaunay& m = orvelo::basDelaunay();
    const auto outline = rectangle(0, 0, 12, 8);
    m.MeshOutlineCount = 4;
    m.MeshOutline.assign(1, OutlinePiece{});
    m.MeshOutline.insert(m.MeshOutline.end(), outline.begin(), outline.end());
    const auto opening = rectangle(4, 3, 6, 5);
    m.MeshOpeningCount = 1;
    m.MeshOpeningPieceCount = {0, 4};
    m.MeshOpenings.assign(2, std::vector<OutlinePiece>(5));
    for (std::size_t k = 0; k < 4; ++k) m.MeshOpenings[1][k + 1] = opening[k];
    m.MeshGridCountX = 6;
    m.MeshGridX = {0, 0, 2, 4, 6, 8, 10, 12};
    m.MeshGridCountY = 4;
    m.MeshGridY = {0, 0, 2, 4, 6, 8};

    orvelo::BasOrvelo& o = orvelo::basOrvelo();
    const int nx = 24;
    const int ny = 16;
    o.OldNodeX.assign(1, 0.0f);
    o.OldNodeY.assign(1, 0.0f);
    d.NodeTargetSize.assign(1, 0.0f);
    for (int j = 0; j <= ny; ++j) {
        for (int i = 0; i <= nx; ++i) {
            const float x = 12.0f * static_cast<float>(i) / nx;
            o.OldNodeX.push_back(x);
            o.OldNodeY.push_back(8.0f * static_cast<float>(j) / ny);
            d.NodeTargetSize.push_back(0.1f + 0.9f * x / 12.0f);
        }
    }
    d.OldNodeCount = static_cast<std::int16_t>((nx + 1) * (ny + 1));
    o.OldElementList.assign(1, orvelo::NetElement{});
    const auto at = [nx](int i, int j) { return static_cast<std::int16_t>(j * (nx + 1) + i + 1); };
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            orvelo::NetElement lower;
            lower.CornerCount = 3;
            lower.Node = {0, at(i, j), at(i + 1, j), at(i + 1, j + 1), 0};
            orvelo::NetElement upper;
            upper.CornerCount = 3;
            upper.Node = {0, at(i, j), at(i + 1, j + 1), at(i, j + 1), 0};
            o.OldElementList.push_back(lower);
            o.OldElementList.push_back(upper);
        }
    }
    o.OldElementCount = static_cast<std::int16_t>(2 * nx * ny);
}

void GridBasedNetAndRefinement(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        installSampleSlab();
        state.ResumeTiming();
        orvelo::GenerateGridBasedMesh();
        orvelo::RefineMeshAdaptively();
    }
    state.counters["triangles"] = orvelo::basDelaunay().MeshElementCount;
    state.counters["nodes"] = orvelo::basDelaunay().MeshNodeCount;
}
BENCHMARK(GridBasedNetAndRefinement)->Unit(benchmark::kMillisecond);

void GridBasedNetOnly(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        installSampleSlab();
        state.ResumeTiming();
        orvelo::GenerateGridBasedMesh();
    }
    state.counters["triangles"] = orvelo::basDelaunay().MeshElementCount;
}
BENCHMARK(GridBasedNetOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
