// The grid-based generation (mesh type 3) and the adaptive edge refinement
// that follows it, on the sample slab (12 x 8 with a 2 x 2 opening, grid
// lines every 2): a size field graded linearly along x from 0.1 to 1, with
// rmin 0.05. The counters report the triangles and nodes of the refined net.
#include <benchmark/benchmark.h>

#include <cmath>
#include <utility>
#include <vector>

#include "orvelo/delaunay/adaptive_refinement.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/gridmesh/bas_grid_based.h"
#include "orvelo/gridmesh/grid_based_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "tests/orvelo/slab_setup.h"

namespace {

using orvelo::slabsetup::Polygon;

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

    orvelo::slabsetup::SetMeshSlab(Polygon({{0, 0}, {12, 0}, {12, 8}, {0, 8}}),
                                   {Polygon({{4, 3}, {6, 3}, {6, 5}, {4, 5}})});
    orvelo::BasDelaunay& m = orvelo::basDelaunay();
    m.MeshGridCountX = 6;
    m.MeshGridX = {0, 0, 2, 4, 6, 8, 10, 12};
    m.MeshGridCountY = 4;
    m.MeshGridY = {0, 0, 2, 4, 6, 8};

    orvelo::slabsetup::SetOldNet(12.0f, 8.0f, 24, 16, [](float x, float) { return 0.1f + 0.9f * x / 12.0f; });
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


// The generation on a round slab of radius 20 (about 28,000 triangles at a
// grid step of 0.3) whose outline is a polygon of `pieces` straight pieces
// (argument 0 > 0), or a ring of `arcs` quarter-circle arcs bulging inwards
// (argument 1 > 0; half circles would cross their neighbours). The counter
// "us_per_element" compares the outlines:
// the border tests go through an index of the pieces, so the time per
// element should not grow with their number.
void installRoundSlab(int pieces, int arcs) {
    orvelo::resetBasDelaunay();
    orvelo::resetBasGridBased();
    orvelo::resetBasOrvelo();
    orvelo::resetDeclar();
    orvelo::resetServices();
    orvelo::declar().MeshType = 3;
    constexpr double kRadius = 20.0;
    constexpr double kCentre = 21.0;
    std::vector<orvelo::OutlinePiece> outline;
    const int count = pieces > 0 ? pieces : arcs;
    const auto corner = [count](int k) {
        const double angle = 2.0 * M_PI * k / count;
        return std::pair<float, float>{static_cast<float>(kCentre + kRadius * std::cos(angle)),
                                       static_cast<float>(kCentre + kRadius * std::sin(angle))};
    };
    for (int k = 0; k < count; ++k) {
        const auto [x1, y1] = corner(k);
        const auto [x2, y2] = corner(k + 1 == count ? 0 : k + 1);
        if (pieces > 0)
            outline.push_back(orvelo::straightPiece(x1, y1, x2, y2));
        else {  // clockwise about a centre beyond the chord by half its length: a quarter circle bulging inwards
            const double mx = (x1 + x2) / 2.0, my = (y1 + y2) / 2.0, out = std::hypot(mx - kCentre, my - kCentre);
            const double half = std::hypot(x2 - x1, y2 - y1) / 2.0;
            outline.push_back(orvelo::arcPiece(x1, y1, x2, y2, static_cast<float>(mx + (mx - kCentre) / out * half),
                                               static_cast<float>(my + (my - kCentre) / out * half), false));
        }
    }
    orvelo::slabsetup::SetMeshSlab(outline, {});
    orvelo::BasDelaunay& m = orvelo::basDelaunay();
    const std::vector<float> lines = [] {
        std::vector<float> l{0.0f};
        for (int k = 0; k <= 140; ++k) l.push_back(0.3f * static_cast<float>(k));
        return l;
    }();
    m.MeshGridCountX = m.MeshGridCountY = 140;
    m.MeshGridX = m.MeshGridY = lines;
}

void GridBasedNetOfRoundOutline(benchmark::State& state) {
    const int pieces = static_cast<int>(state.range(0));
    const int arcs = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        installRoundSlab(pieces, arcs);
        state.ResumeTiming();
        orvelo::GenerateGridBasedMesh();
    }
    const auto elements = orvelo::basDelaunay().MeshElementCount;
    state.counters["triangles"] = elements;
    state.counters["us_per_element"] =
        benchmark::Counter(static_cast<double>(elements) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(GridBasedNetOfRoundOutline)
    ->Args({100, 0})
    ->Args({500, 0})
    ->Args({2000, 0})
    ->Args({0, 16})
    ->Args({0, 48})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
