// A 501-step prediction from input file to output file: the run's own reader, the dead-storage
// balance, the routing and the atomic write of the output file.
#include "bench/BenchData.h"
#include "bench/BenchSupport.h"
#include "files/UDMQuellow.h"
#include "runs/UPrediction.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace quellow;

void BM_Prediction501Steps(benchmark::State &state, const std::filesystem::path &base,
                           bool drainage)
{
    const std::filesystem::path folder = base / "quellow-prediction-bench";
    const std::string input =
        bench::writeInputFile(state, folder, bench::PredictionInputText(501, drainage));
    if (input.empty())
        return;
    for (auto _ : state) {
        ResetAllState();
        DMQuellow.FileName = input;
        UPrediction::RunPrediction();
        if (UPrediction::State.PredFailed) {
            state.SkipWithError("the prediction failed");
            break;
        }
    }
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}
BENCHMARK_CAPTURE(BM_Prediction501Steps, RunoffTempFolder, std::filesystem::temp_directory_path(),
                  false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Prediction501Steps, RunoffMemoryFolder, std::filesystem::path("/dev/shm"),
                  false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Prediction501Steps, DrainageMemoryFolder, std::filesystem::path("/dev/shm"),
                  true)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
