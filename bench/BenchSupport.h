#pragma once

// What the benchmark programs share besides their input texts: a scratch folder with the input
// file in it, and quellow-cli started as a process of its own.

#include "bench/BenchData.h"
#include "files/UFileUtil.h"
#include "runs/URainRun.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace quellow::bench {

/// Writes text as bench.inp in folder (created as needed) and gives its path; an empty path,
/// with the benchmark marked as skipped, when the folder's parent is missing or the file cannot
/// be written.
inline std::string writeInputFile(benchmark::State &state, const std::filesystem::path &folder,
                                  const std::string &text)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder.parent_path(), error)) {
        state.SkipWithError("no such folder");
        return {};
    }
    std::filesystem::create_directories(folder, error);
    const std::string input = (folder / "bench.inp").string();
    if (!writeFileAtomically(input, text)) {
        state.SkipWithError("cannot write the input file");
        return {};
    }
    return input;
}

/// The analysis input of rows daily rows read for the in-memory runs; false, with the benchmark
/// marked as skipped, when it cannot be read.
inline bool readAnalysisInput(benchmark::State &state, int rows, URainRun::TAnalysisInput &input)
{
    if (URainRun::ParseAnalysisInput(AnalysisInputText(rows), "bench.inp", input, nullptr))
        return true;
    state.SkipWithError("cannot read the input");
    return false;
}

/// Runs `quellow-cli args...` with its error stream (and, when quietOutput, its output stream)
/// sent to /dev/null; false when it could not start or did not exit with 0.
inline bool runCli(const std::vector<std::string> &args, bool quietOutput)
{
    const std::string cli = QUELLOW_CLI;
    std::vector<char *> argv{const_cast<char *>(cli.c_str())};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quietOutput)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

/// Runs `quellow-cli command input` (see above).
inline bool runCli(const std::string &command, const std::string &input, bool quietOutput)
{
    return runCli(std::vector<std::string>{command, input}, quietOutput);
}

} // namespace quellow::bench
