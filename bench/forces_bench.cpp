// Operation 9 on a calculation net of 30,000 triangles: reading the
// solver's files, the element recovery, the nodal averaging and the size
// field. The project is written once into a temporary folder.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "orvelo/forces/internal_forces.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "platform/runtime/recordfile.h"
#include "platform/runtime/textfile.h"

namespace {

constexpr int kCellsX = 150;
constexpr int kCellsY = 100;  // 150 x 100 cells of two triangles: 30,000 elements

// A cubic deflection field and its slopes.
double w(double x, double y) { return 1e-4 * (x * x * x - 3 * x * y * y + 2 * x * x * y) / 1000.0; }
double wx(double x, double y) { return 1e-4 * (3 * x * x - 3 * y * y + 4 * x * y) / 1000.0; }
double wy(double x, double y) { return 1e-4 * (-6 * x * y + 2 * x * x) / 1000.0; }

std::string writeProject() {
    std::string dir = (std::filesystem::temp_directory_path() / "forces-bench-XXXXXX").string();
    if (!::mkdtemp(dir.data())) std::abort();
    dir += "/";
    const int nx = kCellsX + 1, ny = kCellsY + 1, nodes = nx * ny;
    // Calculation-net node of project node n: numbered from the other end.
    auto calc = [&](int n) { return static_cast<std::int16_t>(nodes + 1 - n); };

    rt::TextWriter out;
    out.open(dir + "BENCH.PO1", rt::TextWriter::Mode::Output);
    out.writeValues(std::int32_t{1}, std::int32_t{3});
    out.printLine("0,0,0,0,0,0,0,0,0,0,0,0,0");
    out.close();

    out.open(dir + "BENCH.PL9", rt::TextWriter::Mode::Output);
    out.writeValues(static_cast<std::int16_t>(nodes));
    for (int c = 1; c <= nodes; ++c) {
        const int n = nodes + 1 - c;  // project node of calculation node c
        out.writeValues(static_cast<float>((n - 1) % nx) * 0.2f,
                        static_cast<float>((n - 1) / nx) * 0.2f);
    }
    out.writeValues(static_cast<std::int16_t>(2 * kCellsX * kCellsY));
    for (int j = 0; j < kCellsY; ++j)
        for (int i = 0; i < kCellsX; ++i) {
            const int a = 1 + i + nx * j, b = a + 1, c = b + nx, d = a + nx;
            out.writeValues(std::int16_t{3}, calc(a), calc(b), calc(c));
            out.writeValues(std::int16_t{3}, calc(a), calc(c), calc(d));
        }
    for (int e = 0; e < 2 * kCellsX * kCellsY; ++e) out.writeValues(std::int16_t{1});
    out.close();

    out.open(dir + "BENCH.PL3", rt::TextWriter::Mode::Output);
    for (int n = 1; n <= nodes; ++n) out.writeValues(calc(n));
    out.close();
    out.open(dir + "BENCH.PC7", rt::TextWriter::Mode::Output);
    out.writeValues(0.0f, 0.0f, 0.0f, 0.0f);
    out.close();
    out.open(dir + "BENCH.PC8", rt::TextWriter::Mode::Output);
    out.writeValues(0.0f, 0.0f, 0.0f);
    out.close();
    out.open(dir + "BENCH.PL4", rt::TextWriter::Mode::Output);
    out.writeValues(static_cast<std::int16_t>(nodes));
    for (int n = 1; n <= nodes; ++n) out.writeValues(0.001f * n);
    out.close();
    out.open(dir + "BENCH.PH2", rt::TextWriter::Mode::Output);
    for (int n = 1; n <= nodes; ++n) out.writeValues(0.002f * n);
    out.close();
    out.open(dir + "BENCH.PG1", rt::TextWriter::Mode::Output);
    for (int c = 1; c <= nodes; ++c) {
        const int n = nodes + 1 - c;
        const double x = ((n - 1) % nx) * 0.2, y = ((n - 1) / nx) * 0.2;
        out.writeValues(static_cast<float>(w(x, y)));
        out.writeValues(static_cast<float>(wx(x, y)));
        out.writeValues(static_cast<float>(wy(x, y)));
    }
    out.close();

    rt::RecordFile records;
    records.open(dir + "BENCH.P21", true);
    records.putInteger(2, 1);
    records.putSingle(10, 0.4f);
    records.putSingle(11, 3.0e7f);
    records.putSingle(12, 0.2f);
    records.close();
    return dir;
}

void BM_InternalForces30000Elements(benchmark::State& state) {
    const std::string dir = writeProject();
    orvelo::Declar& d = orvelo::declar();
    d.DataDir = dir;
    d.ProgrDir = dir;
    d.ProjectCount = 1;
    d.ProjectList = {"", "BENCH"};
    d.MaxElementSize = 1.0f;
    d.MinElementSize = 0.25f;
    for (auto _ : state) {
        orvelo::ComputeInternalForces();
        if (orvelo::RunControl().RunState() != 0) {
            state.SkipWithError("operation 9 stopped the run");
            break;
        }
        benchmark::DoNotOptimize(d.NodeTargetSize.data());
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_InternalForces30000Elements)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
