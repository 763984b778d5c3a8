// quellow-cli as a whole process: start-up, the divide search on a 1500-row analysis file (or a
// 501-step prediction) and the output files, until the process has ended.
#include "bench/BenchData.h"
#include "model/UFileUtil.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>

extern char **environ;

namespace {

using namespace quellow;

/// Runs quellow-cli run on input; false when it could not start or did not exit with 0.
bool runCli(const std::string &input)
{
    const std::string cli = QUELLOW_CLI;
    const std::string command = "run";
    char *argv[] = {const_cast<char *>(cli.c_str()), const_cast<char *>(command.c_str()),
                    const_cast<char *>(input.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
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

void BM_CliRun(benchmark::State &state, const std::filesystem::path &base, bool analysis)
{
    std::error_code error;
    const std::filesystem::path folder = base / "quellow-cli-bench";
    std::filesystem::create_directories(folder, error);
    const std::string input = (folder / "bench.inp").string();
    const std::string text =
        analysis ? bench::AnalysisInputText(1500) : bench::PredictionInputText(501, false);
    if (!writeFileAtomically(input, text)) {
        state.SkipWithError("cannot write the input file");
        return;
    }
    for (auto _ : state) {
        if (!runCli(input)) {
            state.SkipWithError("quellow-cli run failed");
            break;
        }
    }
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
