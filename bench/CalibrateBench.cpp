// Calibration: one in-memory evaluation of a complete analysis, the search in memory, and
// quellow-cli calibrate as a whole process (start-up, search, calibrated file and its run).
#include "bench/BenchData.h"
#include "model/UCalibrationRun.h"
#include "model/UFileUtil.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>

extern char **environ;

namespace {

using namespace quellow;

bool parse(const std::string &text, URainRun::TAnalysisInput &input)
{
    return URainRun::ParseAnalysisInput(text, "bench.inp", input, nullptr);
}

void BM_Evaluate(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!parse(bench::AnalysisInputText(static_cast<int>(state.range(0))), input)) {
        state.SkipWithError("cannot parse the input");
        return;
    }
    URainRun::TState scratch;
    for (auto _ : state)
        benchmark::DoNotOptimize(URainRun::Evaluate(input, scratch).RSquare);
}
BENCHMARK(BM_Evaluate)->Arg(365)->Arg(1501)->Unit(benchmark::kMicrosecond);

void BM_CalibrateInMemory(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!parse(bench::AnalysisInputText(static_cast<int>(state.range(0))), input)) {
        state.SkipWithError("cannot parse the input");
        return;
    }
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

/// Runs quellow-cli calibrate on input; false when it could not start or did not exit with 0.
bool calibrateCli(const std::string &input)
{
    const std::string cli = QUELLOW_CLI;
    const std::string command = "calibrate";
    char *argv[] = {const_cast<char *>(cli.c_str()), const_cast<char *>(command.c_str()),
                    const_cast<char *>(input.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_CliCalibrate(benchmark::State &state, const std::string &source)
{
    std::error_code error;
    const std::filesystem::path folder = "/dev/shm/quellow-calibrate-bench";
    std::filesystem::create_directories(folder, error);
    const std::string input = (folder / "bench.inp").string();
    std::string text;
    if (source.empty())
        text = bench::AnalysisInputText(1501);
    else if (readWholeFile(std::string(QUELLOW_TEST_DATA) + "/windows/" + source, text) !=
             TReadStatus::Ok) {
        state.SkipWithError("cannot read the window");
        return;
    }
    if (!writeFileAtomically(input, text)) {
        state.SkipWithError("cannot write the input file");
        return;
    }
    for (auto _ : state) {
        if (!calibrateCli(input)) {
            state.SkipWithError("quellow-cli calibrate failed");
            break;
        }
    }
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
