// The Delaunay generation on a 30 m x 20 m slab with two openings and an
// internal line: a uniform target size (30 degrees, and 33 degrees as well),
// and a size field graded from a fine strip at one end to ten times that
// size at the other. The arguments give about 5,000, 10,000, 20,000 and
// 30,000 triangles (uniform r = 0.25 as well, graded 0.1 to 1 as well); the
// counters report the triangles and nodes made, the microseconds per
// triangle, the page faults per run (none once the lists have their room)
// and the smallest angle of the net.
// On the net of uniform r = 0.2 (about 20,000 triangles), the smoothing of
// 25 passes, the boundary front points and the finishing steps of a
// generation are measured as well.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "benchmark_slab.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/delete_nodes.h"
#include "orvelo/delaunay/front_points.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/smooth_mesh.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"

namespace {

// The slab, the net parameters and an old net of 1 m triangles carrying the
// size field.
void installSlab(float rmin, float r, const std::function<float(float, float)>& field) {
    orvelo::resetBasDelaunay();
    orvelo::resetBasOrvelo();
    orvelo::resetDeclar();
    orvelo::resetServices();
    orvelo::Declar& d = orvelo::declar();
    d.MeshType = 5;
    d.MinAngle = 30.0f;
    d.MaxElementSize = r;
    d.MinElementSize = rmin;

    orvelo::BasDelaunay& m = orvelo::basDelaunay();
    benchslab::describeBenchmarkSlab(m);

    benchslab::installSizeField(field);
}

// The smallest angle (degrees) of any triangle of the mesher net.
double smallestAngle() {
    const orvelo::BasDelaunay& m = orvelo::basDelaunay();
    double smallest = 180.0;
    for (std::size_t e = 1; e <= static_cast<std::size_t>(m.MeshElementCount); ++e) {
        const auto& t = m.MeshElementList[e];
        for (int k = 1; k <= 3; ++k) {
            const auto p = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k)]);
            const auto q = static_cast<std::size_t>(t.Node[static_cast<std::size_t>(k % 3 + 1)]);
            const auto s = static_cast<std::size_t>(t.Node[static_cast<std::size_t>((k + 1) % 3 + 1)]);
            const double ux = m.MeshNodeX[q] - m.MeshNodeX[p], uy = m.MeshNodeY[q] - m.MeshNodeY[p];
            const double vx = m.MeshNodeX[s] - m.MeshNodeX[p], vy = m.MeshNodeY[s] - m.MeshNodeY[p];
            smallest = std::min(smallest, std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy) * 57.29577951308232);
        }
    }
    return smallest;
}

// The minor page faults of the process so far.
long pageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Counters: the triangles and nodes made, the microseconds per triangle, the
// page faults per run and the smallest angle of the net.
void runGeneration(benchmark::State& state, float rmin, float r, const std::function<float(float, float)>& field,
                   float theta = 30.0f) {
    std::int64_t elements = 0;
    std::int64_t nodes = 0;
    double seconds = 0.0;
    long faults = 0;
    for (auto _ : state) {
        state.PauseTiming();
        installSlab(rmin, r, field);
        orvelo::declar().MinAngle = theta;
        const long faultsBefore = pageFaults();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        orvelo::GenerateDelaunayMesh();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        faults += pageFaults() - faultsBefore;
        elements = orvelo::basDelaunay().MeshElementCount;
        nodes = orvelo::basDelaunay().MeshNodeCount;
    }
    state.counters["triangles"] = static_cast<double>(elements);
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["us_per_triangle"] =
        seconds * 1e6 / static_cast<double>(std::max<std::int64_t>(elements, 1)) / static_cast<double>(state.iterations());
    state.counters["page_faults"] = static_cast<double>(faults) / static_cast<double>(state.iterations());
    state.counters["min_angle"] = smallestAngle();
}

// Uniform size r (argument: r in millimetres).
void BM_UniformField(benchmark::State& state) {
    const float r = static_cast<float>(state.range(0)) / 1000.0f;
    runGeneration(state, r * 0.4f, r, [r](float, float) { return r; });
}
BENCHMARK(BM_UniformField)->Arg(400)->Arg(282)->Arg(250)->Arg(200)->Arg(163)->Unit(benchmark::kMillisecond);

// Uniform size at 33 degrees (argument: r in millimetres).
void BM_UniformField33Degrees(benchmark::State& state) {
    const float r = static_cast<float>(state.range(0)) / 1000.0f;
    runGeneration(state, r * 0.4f, r, [r](float, float) { return r; }, 33.0f);
}
BENCHMARK(BM_UniformField33Degrees)->Arg(282)->Arg(200)->Unit(benchmark::kMillisecond);

// Graded size: s at x = 0 rising to 10 s at x = 30 (argument: s in
// millimetres; 100 is the field from 0.1 to 1).
void BM_GradedField(benchmark::State& state) {
    const float s = static_cast<float>(state.range(0)) / 1000.0f;
    runGeneration(state, s, 10.0f * s, [s](float x, float) { return s + 9.0f * s * std::clamp(x / 30.0f, 0.0f, 1.0f); });
}
BENCHMARK(BM_GradedField)->Arg(131)->Arg(100)->Arg(93)->Arg(66)->Unit(benchmark::kMillisecond);

// The generated net of uniform r = 0.2 (BM_UniformField/200), made once;
// each run starts from a copy of it.
struct GeneratedNet {
    orvelo::BasDelaunay mesher;
    orvelo::Declar project;
    float unitFactor = 1.0f;
};

const GeneratedNet& netOf20000Triangles() {
    static const GeneratedNet net = [] {
        installSlab(0.08f, 0.2f, [](float, float) { return 0.2f; });
        orvelo::GenerateDelaunayMesh();
        return GeneratedNet{orvelo::basDelaunay(), orvelo::declar(), orvelo::GeometryHelper().UnitFactor()};
    }();
    return net;
}

void runOnGeneratedNet(benchmark::State& state, void (*work)()) {
    const GeneratedNet& net = netOf20000Triangles();
    for (auto _ : state) {
        state.PauseTiming();
        orvelo::basDelaunay() = net.mesher;
        orvelo::declar() = net.project;
        orvelo::GeometryHelper().UnitFactor(net.unitFactor);
        state.ResumeTiming();
        work();
    }
    state.counters["triangles"] = static_cast<double>(net.mesher.MeshElementCount);
    state.counters["nodes after"] = static_cast<double>(orvelo::basDelaunay().MeshNodeCount);
}

// The smoothing as the run calls it: it settles (no node moves by more than
// the coincidence tolerance) after a few passes.
void BM_SmoothMesh25Passes(benchmark::State& state) {
    runOnGeneratedNet(state, [] { orvelo::SmoothMesh(25); });
}
BENCHMARK(BM_SmoothMesh25Passes)->Unit(benchmark::kMillisecond);

// All 25 passes: a unit factor so large that the net never settles.
void BM_SmoothMesh25FullPasses(benchmark::State& state) {
    runOnGeneratedNet(state, [] {
        orvelo::GeometryHelper().UnitFactor(1e9f);
        orvelo::SmoothMesh(25);
    });
}
BENCHMARK(BM_SmoothMesh25FullPasses)->Unit(benchmark::kMillisecond);

void BM_BoundaryFrontPoints(benchmark::State& state) {
    runOnGeneratedNet(state, [] { orvelo::AddBoundaryFrontPoints(); });
}
BENCHMARK(BM_BoundaryFrontPoints)->Unit(benchmark::kMillisecond);

// The finishing steps every generation ends with, on its net: a deletion
// pass (of no node) saves the marks, resets the side flags, restores the
// marks and rebuilds the element side flags.
void BM_FinishingSteps(benchmark::State& state) {
    runOnGeneratedNet(state, [] { orvelo::DeleteNodesTask(3); });
}
BENCHMARK(BM_FinishingSteps)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
