// Calibration: one in-memory evaluation of a complete analysis, the search in memory, and
// quellow-cli calibrate as a whole process (start-up, search, calibrated file and its run).
#include "bench/BenchData.h"
#include "bench/BenchSupport.h"
#include "calibration/UCalibrationRun.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace quellow;

void BM_Evaluate(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!bench::readAnalysisInput(state, static_cast<int>(state.range(0)), input))
        return;
    URainRun::TState scratch;
    for (auto _ : state)
        benchmark::DoNotOptimize(URainRun::Evaluate(input, scratch).RSquare);
}
BENCHMARK(BM_Evaluate)->Arg(365)->Arg(1501)->Unit(benchmark::kMicrosecond);

/// The same with the simulation of the window that the objectives nse and kge need.
void BM_EvaluateSimulated(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!bench::readAnalysisInput(state, static_cast<int>(state.range(0)), input))
        return;
    URainRun::TState scratch;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            URainRun::Evaluate(input, scratch, URainRun::TSimulate::Fit).Simulation.Skill.Fit.NSE);
}
BENCHMARK(BM_EvaluateSimulated)->Arg(365)->Arg(1501)->Unit(benchmark::kMicrosecond);

void BM_CalibrateInMemory(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!bench::readAnalysisInput(state, static_cast<int>(state.range(0)), input))
        return;
    UCalibration::TOptions options;
    options.Threads = static_cast<int>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(UCalibration::CalibrateAnalysis(input, options, nullptr));
}
BENCHMARK(BM_CalibrateInMemory)
    ->Args({365, 1})
    ->Args({365, 2})
    ->Args({1501, 1})
    ->Args({1501, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_CliCalibrate(benchmark::State &state, const std::string &source)
{
    const std::filesystem::path folder = "/dev/shm/quellow-calibrate-bench";
    std::string text;
    if (source.empty())
        text = bench::AnalysisInputText(1501);
    else if (readWholeFile(std::string(QUELLOW_TEST_DATA) + "/windows/" + source, text) !=
             TReadStatus::Ok) {
        state.SkipWithError("cannot read the window");
        return;
    }
    const std::string input = bench::writeInputFile(state, folder, text);
    if (input.empty())
        return;
    for (auto _ : state) {
        if (!bench::runCli("calibrate", input, true)) {
            state.SkipWithError("quellow-cli calibrate failed");
            break;
        }
    }
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}
BENCHMARK_CAPTURE(BM_CliCalibrate, Synthetic1501Rows, std::string())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CliCalibrate, Gr4j1991, std::string("gr4j-1991.inp"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CliCalibrate, Gr4j1991To1992, std::string("gr4j-1991-1992.inp"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
