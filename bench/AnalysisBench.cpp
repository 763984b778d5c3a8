// The whole runoff-divide search of an analysis (five trials and the final run, each reading
// the input file, and the final run writing the trend and output files) on 1500 daily rows.
#include "bench/BenchData.h"
#include "bench/BenchSupport.h"
#include "files/UDMQuellow.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace quellow;

/// Runs the search in a folder under base: the system's temporary folder (a disk, where the
/// atomic writes wait for their data to be stored) or a memory file system.
void BM_DivideSearch1500Rows(benchmark::State &state, const std::filesystem::path &base)
{
    const std::filesystem::path folder = base / "quellow-analysis-bench";
    const std::string input = bench::writeInputFile(state, folder, bench::AnalysisInputText(1500));
    if (input.empty())
        return;
    for (auto _ : state) {
        ResetAllState();
        DMQuellow.FileName = input;
        const bool written = URainRun::DivideSearch();
        benchmark::DoNotOptimize(written);
        if (!written) {
            state.SkipWithError("the search wrote no output");
            break;
        }
    }
    state.SetLabel("six runs, R square " + fixed(ModelValues.RSquare, 4, 3));
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}
BENCHMARK_CAPTURE(BM_DivideSearch1500Rows, TempFolder, std::filesystem::temp_directory_path())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DivideSearch1500Rows, MemoryFolder, std::filesystem::path("/dev/shm"))
    ->Unit(benchmark::kMillisecond);

/// The complete divide search of 1500 rows in memory, as a calibration evaluates it: no files,
/// no messages, a reused scratch state.
void BM_Evaluate1500Rows(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!bench::readAnalysisInput(state, 1500, input))
        return;
    URainRun::TState scratch;
    URainRun::TEvaluation result;
    for (auto _ : state) {
        result = URainRun::Evaluate(input, scratch);
        benchmark::DoNotOptimize(result);
    }
    state.SetLabel("six runs, R square " + fixed(result.RSquare, 4, 3));
}
BENCHMARK(BM_Evaluate1500Rows)->Unit(benchmark::kMicrosecond);

/// Calibration parameters applied to 1500 rows, as each evaluation of a calibration does.
void BM_ApplyCalibration1500Rows(benchmark::State &state)
{
    URainRun::TAnalysisInput input, applied;
    if (!bench::readAnalysisInput(state, 1500, input))
        return;
    double factor = 0.5;
    for (auto _ : state) {
        factor = factor < 2.5 ? factor + 0.001 : 0.5;
        URainRun::ApplyCalibration(input, {40, 20, factor}, applied);
        benchmark::DoNotOptimize(applied.Rows.data());
    }
}
BENCHMARK(BM_ApplyCalibration1500Rows)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
