// The Delaunay generation against a constrained Delaunay mesher of a
// well-kept library on the benchmark slab (30 m x 20 m, two openings, one
// internal line), at theta 30 and about 5,000, 10,000, 20,000 and 30,000
// triangles. Both run in one process, one after the other in every
// iteration, with the default allocator, as a user meets the generation
// (it is called again and again, with other work in between): the mesher's
// module data is not reset between the runs. The other mesher's size bound
// is chosen once so that it makes about as many triangles.
// Counters: the triangles of each, the microseconds per triangle of each,
// their ratio, and the page faults per run of ours.
// Built only where the library is found (bench only).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Delaunay_mesh_face_base_2.h>
#include <CGAL/Delaunay_mesh_size_criteria_2.h>
#include <CGAL/Delaunay_mesh_vertex_base_2.h>
#include <CGAL/Delaunay_mesher_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <chrono>
#include <cmath>
#include <list>

#include "benchmark_slab.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/delaunay/generate.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Vb = CGAL::Delaunay_mesh_vertex_base_2<Kernel>;
using Fb = CGAL::Delaunay_mesh_face_base_2<Kernel>;
using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
using Cdt = CGAL::Constrained_Delaunay_triangulation_2<Kernel, Tds>;
using Criteria = CGAL::Delaunay_mesh_size_criteria_2<Cdt>;
using Point = Cdt::Point;

// The slab and a uniform size r (rmin 0.4 r) for our generation; the
// module data and the services stay as the last run left them.
void installOurs(float r) {
    orvelo::Declar& d = orvelo::declar();
    d.MeshType = 5;
    d.MinAngle = 30.0f;
    d.MaxElementSize = r;
    d.MinElementSize = 0.4f * r;
    benchslab::describeBenchmarkSlab(orvelo::basDelaunay());
    benchslab::installSizeField([r](float, float) { return r; });
}

int runOurs() {
    orvelo::GenerateDelaunayMesh();
    return orvelo::basDelaunay().MeshElementCount;
}

// The same slab with the library's mesher at theta 30 and a size bound on
// the sides; its triangle count inside the slab.
int runTheirs(double sizeBound) {
    Cdt cdt;
    auto rectangle = [&](double x0, double y0, double x1, double y1) {
        const auto a = cdt.insert(Point(x0, y0)), b = cdt.insert(Point(x1, y0));
        const auto c = cdt.insert(Point(x1, y1)), e = cdt.insert(Point(x0, y1));
        cdt.insert_constraint(a, b);
        cdt.insert_constraint(b, c);
        cdt.insert_constraint(c, e);
        cdt.insert_constraint(e, a);
    };
    rectangle(0, 0, 30, 20);
    rectangle(5, 5, 9, 8);
    rectangle(18, 12, 24, 16);
    cdt.insert_constraint(Point(12, 2), Point(12, 18));
    const std::list<Point> seeds{Point(7, 6.5), Point(21, 14)};
    CGAL::refine_Delaunay_mesh_2(cdt, seeds.begin(), seeds.end(), Criteria(0.25, sizeBound), false);
    int inside = 0;
    for (auto f = cdt.finite_faces_begin(); f != cdt.finite_faces_end(); ++f) inside += f->is_in_domain() ? 1 : 0;
    return inside;
}

// The size bound that gives the library's mesher about `triangles`.
double matchingSizeBound(int triangles) {
    double low = 0.05, high = 5.0;
    for (int step = 0; step < 30; ++step) {
        const double mid = std::sqrt(low * high);
        (runTheirs(mid) > triangles ? low : high) = mid;
    }
    return std::sqrt(low * high);
}

long pageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Argument: our uniform size r in millimetres.
void BM_OursAgainstTheLibrary(benchmark::State& state) {
    const float r = static_cast<float>(state.range(0)) / 1000.0f;
    installOurs(r);
    const int ours = runOurs();
    const double bound = matchingSizeBound(ours);
    double oursSeconds = 0.0, theirsSeconds = 0.0;
    long faults = 0;
    int theirs = 0;
    for (auto _ : state) {
        installOurs(r);
        const long faultsBefore = pageFaults();
        auto start = std::chrono::steady_clock::now();
        runOurs();
        oursSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        faults += pageFaults() - faultsBefore;
        start = std::chrono::steady_clock::now();
        theirs = runTheirs(bound);
        theirsSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double runs = static_cast<double>(state.iterations());
    const double oursPer = oursSeconds * 1e6 / ours / runs, theirsPer = theirsSeconds * 1e6 / theirs / runs;
    state.counters["ours_triangles"] = ours;
    state.counters["their_triangles"] = theirs;
    state.counters["ours_us_per_triangle"] = oursPer;
    state.counters["their_us_per_triangle"] = theirsPer;
    state.counters["ratio"] = oursPer / theirsPer;
    state.counters["ours_page_faults"] = static_cast<double>(faults) / runs;
}
BENCHMARK(BM_OursAgainstTheLibrary)->Arg(400)->Arg(282)->Arg(200)->Arg(163)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
