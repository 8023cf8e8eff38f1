// The checks of a net on the Delaunay benchmark's net: a 30 m x 20 m slab
// with two openings and an internal line, uniform r = 0.2 (about 20,000
// triangles). The input-net check of an opened project takes the sound net;
// the FE-net check takes it with planted defects: nodes in no element (one of them inside
// an element), nodes doubled by a twin 3 mm away that some of its elements
// use, and the triangles whose smallest angle lies below 33 degrees. Both
// options on, MinNodeDistance 0.01, every kind ticked. Argument 0: the
// indexed searches; 1: the plain scans (once, they are slow).
#include <benchmark/benchmark.h>

#include "benchmark_slab.h"

#include <random>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/delaunay/side_flags.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/open_project.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/net_check.h"
#include "outside/drovik/net_settings.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"

namespace {

// The generated net with the slab description it was made of, made once:
// a sound net that passes every check.
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
        // A uniform size field over an old net of one triangle.
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

// The generated net with its planted defects, made once.
const orvelo::Declar& defectiveNet() {
    static const orvelo::Declar net = [] {
        orvelo::Declar net = soundNet();
        std::mt19937 random(2025);
        auto add = [&](float x, float y) {
            net.NodeX.push_back(x);
            net.NodeY.push_back(y);
            return ++net.NodeCount;
        };
        for (int k = 0; k < 5; ++k) add(2.0f + 5.0f * static_cast<float>(k), 19.5f);  // orphans, inside elements
        for (int k = 0; k < 20; ++k) {
            const auto original = static_cast<std::int16_t>(1 + random() % static_cast<std::uint32_t>(soundNet().NodeCount));
            const std::int16_t twin = add(net.NodeX[static_cast<std::size_t>(original)] + 0.003f,
                                          net.NodeY[static_cast<std::size_t>(original)]);
            for (std::int32_t e = 1; e <= net.ElementCount; ++e)
                for (int c = 1; c <= 3; ++c)
                    if (net.ElementList[static_cast<std::size_t>(e)].Node[static_cast<std::size_t>(c)] == original &&
                        random() % 2 == 0)
                        net.ElementList[static_cast<std::size_t>(e)].Node[static_cast<std::size_t>(c)] = twin;
        }
        orvelo::BuildElementSideFlags(net.ElementList, nullptr);
        return net;
    }();
    return net;
}

void BM_FENetCheck(benchmark::State& state) {
    const orvelo::Declar& net = defectiveNet();
    forms::ScopedModalDriver tickAll([](forms::Form& form) {
        forms::Control& list = form.control("LstGroup");
        for (std::int16_t e = 0; e < list.ListCount(); ++e) forms::checkItem(list, e, true);
        forms::click(form.control("cmdOK"));
    });
    std::int64_t nodesAfter = 0, elementsAfter = 0;
    for (auto _ : state) {
        state.PauseTiming();
        orvelo::declar() = net;
        orvelo::resetNetCheck();
        orvelo::NetCheck& options = orvelo::netCheck();
        options.CheckAnglesFlag = true;
        options.CheckForeignNodesFlag = true;
        options.MinNodeDistance = 0.01f;
        options.PlainScans = state.range(0) == 1;
        orvelo::NetSettings().AngleLimit(33.0f);
        state.ResumeTiming();
        orvelo::RunFENetCheck();
        nodesAfter = orvelo::declar().NodeCount;
        elementsAfter = orvelo::declar().ElementCount;
    }
    state.counters["triangles"] = static_cast<double>(net.ElementCount);
    state.counters["nodes"] = static_cast<double>(net.NodeCount);
    state.counters["nodes after"] = static_cast<double>(nodesAfter);
    state.counters["elements after"] = static_cast<double>(elementsAfter);
}
BENCHMARK(BM_FENetCheck)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FENetCheck)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// The check of an input net when its project is opened (CheckNetGeometry),
// on the sound net against its own outline and openings.
void BM_CheckNetGeometry(benchmark::State& state) {
    const orvelo::Declar& d = soundNet();
    const orvelo::ProjectNet net = orvelo::projectNetOf(d);
    for (auto _ : state) orvelo::CheckNetGeometry(net, d, "BENCH.PL6");
    state.counters["elements"] = net.ElementCount;
}
BENCHMARK(BM_CheckNetGeometry)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
