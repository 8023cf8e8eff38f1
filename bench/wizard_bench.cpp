// The whole road of one run on the sample project, as Finish runs it: the
// wizard driven headless on a copy of examples/raft, answering No to the
// end question. The time of each operation is reported as a counter (ms per
// run) for the target sizes r = 1, 0.25 and 0.1: open (8), boundary (10), forces (9), generate (0), copy (12),
// transfer (11); "elements" is the size of the new net.
//
//   bench_wizard [--benchmark_...] ; OH_SAMPLE=<folder> picks another
//   sample folder (default: the source tree's examples/raft).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "orvelo/model/declar.h"
#include "orvelo/project/output_folder.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/frm_wizard.h"
#include "orvelo/wizard/operation_runner.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"

#ifndef OH_SOURCE_DIR
#define OH_SOURCE_DIR "."
#endif

namespace {

namespace fs = std::filesystem;

std::string copySample() {
    std::string dir = (fs::temp_directory_path() / "wizard-bench-XXXXXX").string();
    if (!::mkdtemp(dir.data())) std::abort();
    const char* sample = std::getenv("OH_SAMPLE");
    const fs::path from = sample ? fs::path(sample) : fs::path(OH_SOURCE_DIR) / "examples/raft";
    for (const fs::directory_entry& entry : fs::directory_iterator(from))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            fs::copy_file(entry.path(), fs::path(dir) / entry.path().filename());
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".PO1" || entry.path().extension() == ".po1") return entry.path().string();
    std::abort();
}

void BM_WizardRun(benchmark::State& state) {
    const std::string project = copySample();
    forms::ScopedMsgBox boxes;
    std::map<int, double> seconds;
    // Each operation of the runner timed where it is dispatched.
    orvelo::resetOperationRunner();
    orvelo::OperationRunner& runner = orvelo::operationRunner();
    for (int code : {0, 8, 9, 10, 11, 12}) {
        orvelo::OperationProcedure work = runner.Procedures[code];
        runner.Procedures[code] = [work, code, &seconds](orvelo::ClsRefineWaitMessage& operation) {
            const auto start = std::chrono::steady_clock::now();
            work(operation);
            seconds[code] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
    }
    // The target size r (state.range(0) / 100) and rmin = r / 4.
    orvelo::frmWizard wizard(project);
    wizard.Show();
    forms::click(wizard.cmdNav(3));
    forms::click(wizard.cmdNav(3));
    const double r = static_cast<double>(state.range(0)) / 100.0;
    forms::editText(wizard.TxtInputData(1), std::to_string(r));
    forms::editText(wizard.TxtInputData(2), std::to_string(r / 4.0));
    const std::string folder = fs::path(project).parent_path().string() + "/";
    const std::string output = fs::path(project).stem().string() + "_Adaptive";
    for (auto _ : state) {
        // The output of the run before is replaced.
        if (!orvelo::ProjectFileSet(folder, output).empty()) boxes->answer(forms::vbYes);
        boxes->answer(forms::vbNo);
        forms::click(wizard.cmdNav(4));
        if (orvelo::RunControl().RunState() != 0) state.SkipWithError("the run did not complete");
    }
    const double runs = static_cast<double>(state.iterations());
    const std::map<int, const char*> names = {{8, "open"},     {10, "boundary"}, {9, "forces"},
                                              {0, "generate"}, {12, "copy"},     {11, "transfer"}};
    for (const auto& [code, name] : names) state.counters[name] = 1000.0 * seconds[code] / runs;
    state.counters["elements"] = orvelo::declar().ElementCount;
    wizard.unloadWithoutEvents();
    orvelo::resetOperationRunner();
    fs::remove_all(fs::path(project).parent_path());
}
BENCHMARK(BM_WizardRun)->Arg(100)->Arg(25)->Arg(10)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
