// The whole runoff-divide search of an analysis (five trials and the final run, each reading
// the input file, and the final run writing the trend and output files) on 1500 daily rows.
#include "bench/BenchData.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/URainRun.h"
#include "model/UTextFields.h"

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
    std::error_code error;
    if (!std::filesystem::is_directory(base, error)) {
        state.SkipWithError("no such folder");
        return;
    }
    const std::filesystem::path folder = base / "quellow-analysis-bench";
    std::filesystem::create_directories(folder, error);
    const std::string input = (folder / "bench.inp").string();
    if (!WriteFileAtomically(input, bench::AnalysisInputText(1500))) {
        state.SkipWithError("cannot write the input file");
        return;
    }
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
    state.SetLabel("six runs, R square " + Fixed(ModelValues.RSquare, 4, 3));
    std::filesystem::remove_all(folder);
}
BENCHMARK_CAPTURE(BM_DivideSearch1500Rows, TempFolder, std::filesystem::temp_directory_path())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DivideSearch1500Rows, MemoryFolder, std::filesystem::path("/dev/shm"))
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
