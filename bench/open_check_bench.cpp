// The check of an input net when its project is opened (CheckNetGeometry):
// the Delaunay benchmark's net (a 30 m x 20 m slab with two openings and an
// internal line, uniform r = 0.2, about 20,000 triangles) against its own
// outline and openings, a sound net that passes every check.
#include <benchmark/benchmark.h>

#include "benchmark_slab.h"

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/open_project.h"
#include "orvelo/project/services.h"

namespace {

// The generated net with the slab description it was made of, made once.
const orvelo::Declar& soundNet() {
    static const orvelo::Declar net = [] {
        orvelo::resetBasDelaunay();
        orvelo::resetBasOrvelo();
        orvelo::resetDeclar();
        orvelo::resetServices();
        orvelo::Declar& d = orvelo::declar();
        d.MeshType = 5;
        d.MinAngle = 30.0f;
        d.MaxElementSize = 0.2f;
        d.MinElementSize = 0.08f;
        orvelo::BasDelaunay& m = orvelo::basDelaunay();
        benchslab::describeBenchmarkSlab(m);
        orvelo::BasOrvelo& o = orvelo::basOrvelo();
        o.OldNodeX = {0.0f, -100.0f, 100.0f, 0.0f};
        o.OldNodeY = {0.0f, -100.0f, -100.0f, 100.0f};
        d.NodeTargetSize = {0.0f, 0.2f, 0.2f, 0.2f};
        d.OldNodeCount = 3;
        orvelo::NetElement old;
        old.CornerCount = 3;
        old.Node = {0, 1, 2, 3, 0};
        o.OldElementList = {orvelo::NetElement{}, old};
        o.OldElementCount = 1;
        orvelo::GenerateDelaunayMesh();

        orvelo::Declar net = d;
        net.NodeCount = m.MeshNodeCount;
        net.NodeX.assign(m.MeshNodeX.begin(), m.MeshNodeX.begin() + m.MeshNodeCount + 1);
        net.NodeY.assign(m.MeshNodeY.begin(), m.MeshNodeY.begin() + m.MeshNodeCount + 1);
        net.ElementCount = static_cast<std::int16_t>(m.MeshElementCount);
        net.ElementList.assign(m.MeshElementList.begin(), m.MeshElementList.begin() + m.MeshElementCount + 1);
        net.OutlinePieceCount = static_cast<std::int16_t>(m.MeshOutlineCount);
        net.OutlinePieces = m.MeshOutline;
        net.OpeningCount = m.MeshOpeningCount;
        net.OpeningPieceCount = m.MeshOpeningPieceCount;
        net.OpeningPieces = m.MeshOpenings;
        net.MaxOpeningPieces = 4;
        return net;
    }();
    return net;
}

void BM_CheckNetGeometry(benchmark::State& state) {
    const orvelo::Declar& d = soundNet();
    const orvelo::ProjectNet net = orvelo::projectNetOf(d);
    for (auto _ : state) orvelo::CheckNetGeometry(net, d, "BENCH.PL6");
    state.counters["elements"] = net.ElementCount;
}
BENCHMARK(BM_CheckNetGeometry)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
