// The whole runoff-divide search of an analysis (five trials and the final run, each reading
// the input file, and the final run writing the trend and output files) on 1500 daily rows.
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

/// Daily rows of a catchment: storms every few days, recessions in between, runoff from the
/// two reservoirs themselves so that the analysis finds a fit.
std::string InputText(int rows)
{
    std::string text = " Input data for Quellow program\r\n Analysis and reconstruction\r\n\r\n"
                       "Benchmark catchment\r\nDaily steps, mm/day\r\n\r\n Filename: bench.inp\r\n"
                       " Maximum dead storage:    25.00\r\n Initial dead storage:    12.00\r\n"
                       " Max.escape/time unit:     4.00\r\n\r\n";
    const std::string rule = " " + std::string(49, '-') + "\r\n";
    text += rule + "  Serial    T i m e   R a i n    Esc. rate Run-off\r\n" + rule;
    double q = 9, storage = 12, deficit = 13;
    unsigned seed = 12345;
    for (int i = 1; i <= rows; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double rain = (seed >> 16) % 7 == 0 ? 5.0 + (seed >> 8) % 40 : 0.0;
        const double escape = 2.5 + 1.5 * std::sin(2 * M_PI * i / 365.0);
        double loss = i > 1 ? escape * storage / 25.0 : 0.0;
        loss = std::min(loss, storage);
        deficit += loss;
        storage -= loss;
        double recharge = rain - deficit;
        if (recharge < 0) {
            deficit -= rain;
            storage += rain;
            recharge = 0;
        }
        const double alpha = q > 8 ? 0.006 * q + 0.05 : 0.011 * q + 0.03;
        const double e = std::exp(-alpha);
        q = q * e + (1 - e) * recharge;
        char line[120];
        std::snprintf(line, sizeof line, "%5d %s %s %s %s\r\n", i, Choice(i, 12, 2).c_str(),
                      Choice(rain, 10, 2).c_str(), Choice(escape, 10, 2).c_str(),
                      Choice(std::max(q, 1.0), 10, 2).c_str());
        text += line;
    }
    return text;
}

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
    if (!WriteFileAtomically(input, InputText(1500))) {
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
