// quellow-cli as a whole process: start-up, the divide search on a 1500-row analysis file (or a
// 501-step prediction) and the output files, until the process has ended.
#include "bench/BenchData.h"
#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace quellow;

void BM_CliRun(benchmark::State &state, const std::filesystem::path &base, bool analysis)
{
    const std::filesystem::path folder = base / "quellow-cli-bench";
    const std::string input = bench::writeInputFile(
        state, folder,
        analysis ? bench::AnalysisInputText(1500) : bench::PredictionInputText(501, false));
    if (input.empty())
        return;
    for (auto _ : state) {
        if (!bench::runCli("run", input, false)) {
            state.SkipWithError("quellow-cli run failed");
            break;
        }
    }
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}
BENCHMARK_CAPTURE(BM_CliRun, Analysis1500RowsTempFolder, std::filesystem::temp_directory_path(),
                  true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CliRun, Analysis1500RowsMemoryFolder, std::filesystem::path("/dev/shm"), true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CliRun, Prediction501StepsMemoryFolder, std::filesystem::path("/dev/shm"),
                  false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
