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

}  // namespace

BENCHMARK_MAIN();
