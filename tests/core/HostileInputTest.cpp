// Files far outside what the program writes, run through quellow-cli as a user's script would:
// each must end in a message within a second, in bounded memory, with nothing written.
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using namespace quellow::test;

struct TChildResult
{
    int ExitStatus = -1;
    double Seconds = 0;
    long MaxResidentKb = 0;
    std::string StdErr;
};

TChildResult runCli(const std::vector<std::string> &args, const std::string &errFile)
{
    std::vector<char *> argv;
    std::string cli = QUELLOW_CLI;
    argv.push_back(cli.data());
    std::vector<std::string> copy = args;
    for (auto &a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    TChildResult result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        return result;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.MaxResidentKb = usage.ru_maxrss;
    result.StdErr = ReadBytes(errFile);
    return result;
}

class HostileInput : public ::testing::Test
{
protected:
    TTempDir dir;

    void expectRefusedQuickly(const std::vector<std::string> &args, const std::string &written)
    {
        const TChildResult r = runCli(args, dir.File("stderr.txt"));
        EXPECT_EQ(r.ExitStatus, 1) << r.StdErr;
        EXPECT_FALSE(r.StdErr.empty());
#ifndef QUELLOW_SANITIZED // the sanitizers' own time and memory would be measured too
        EXPECT_LT(r.Seconds, 1.0);
        EXPECT_LT(r.MaxResidentKb, 100 * 1024);
#endif
        EXPECT_FALSE(std::filesystem::exists(written)) << written;
    }
};

const char *const analysisHead =
    " Input data for Quellow program\r\n Analysis and reconstruction\r\n"
    "\r\nT\r\nT\r\n\r\n Filename: x\r\n"
    " Maximum dead storage:     50.00\r\n"
    " Initial dead storage:     10.00\r\n"
    " Max.escape/time unit:      4.00\r\n\r\n"
    " -\r\n  Serial\r\n -\r\n";

TEST_F(HostileInput, AGigabyteInputFile)
{
    const std::string path = dir.File("huge.inp");
    {
        std::ofstream out(path, std::ios::binary);
        out << analysisHead;
    }
    std::filesystem::resize_file(path, 1ull << 30); // sparse: no gigabyte of disk needed
    expectRefusedQuickly({"run", path}, dir.File("huge.out"));
}

TEST_F(HostileInput, OneLineWithoutLineEnds)
{
    const std::string path = dir.File("oneline.inp");
    std::string text(6u << 20, '7');
    WriteBytes(path, text);
    expectRefusedQuickly({"run", path}, dir.File("oneline.out"));
}

TEST_F(HostileInput, AMillionRows)
{
    for (const char *mode : {"analysis", "prediction"}) {
        const std::string path = dir.File(std::string(mode) + ".inp");
        std::string text = analysisHead;
        if (std::string(mode) == "prediction")
            text.replace(text.find(" Analysis and reconstruction"), 28, " Prediction runoff");
        text.reserve(text.size() + 8'000'000);
        for (int i = 0; i < 1'000'000; ++i)
            text += i % 2 ? "1 2 3 4\n" : "1 2 3 4\r\n";
        WriteBytes(path, text);
        expectRefusedQuickly({"run", path}, dir.File(std::string(mode) + ".out"));
    }
}

TEST_F(HostileInput, AnOutputFileOfAMillionRowsForACHart)
{
    std::string text = "RESULTS OF Quellow PROGRAM\r\n\r\nT\r\nT\r\nName\r\n";
    for (int i = 0; i < 9; ++i)
        text += "\r\n";
    text += std::string(44, '-') + "\r\n";
    text += "RECONSTRUCTION:\r\n";
    text.reserve(text.size() + 8'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        text += "1 2 3\r\n";
    const std::string path = dir.File("big.out");
    WriteBytes(path, text);
    for (const char *kind : {"1", "2", "6"})
        expectRefusedQuickly({"chart", path, "--kind", kind, "-o", dir.File("big.png")},
                             dir.File("big.png"));
}

} // namespace

#include "files/UDMQuellow.h"
#include "runs/UPrediction.h"
#include "runs/URainRun.h"

namespace {

using namespace quellow;

class AbsurdValues : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }
    TTempDir dir;
    TRecordingPrompts prompts;

    /// A copy of an example input with one value of its first data row replaced.
    std::string exampleWith(const std::string &example, const std::string &from,
                            const std::string &to)
    {
        std::string text = ReadBytes(std::string(QUELLOW_SOURCE_DIR) + "/Data/" + example);
        const std::size_t row = text.find("\r\n    1 ");
        const std::size_t at = text.find(from, row);
        EXPECT_NE(at, std::string::npos);
        text.replace(at, from.size(), to);
        const std::string path = dir.File(example);
        WriteBytes(path, text);
        return path;
    }
};

// Values far beyond any catchment overflow the sums of squares: the run refuses them rather
// than writing "inf" into the output.
TEST_F(AbsurdValues, AnAnalysisWithAnAbsurdRunoffIsRefused)
{
    DMQuellow.FileName = exampleWith("Example-analysis.inp", "8.18", "1.0E+0300");
    EXPECT_FALSE(URainRun::DivideSearch());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0], "The input file \"" + DMQuellow.FileName +
                                       "\" holds values beyond 1E9 (in magnitude)."
                                       " Rainfall-Runoff analysis cannot be made");
    EXPECT_FALSE(std::filesystem::exists(dir.File("Example-analysis.out")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("Example-analysis.dat")));
}

TEST_F(AbsurdValues, APredictionWithAnAbsurdRainIsRefused)
{
    DMQuellow.FileName = exampleWith("Example-prediction-runoff.inp", "1.50", "2.0E+0012");
    UPrediction::RunPrediction();
    EXPECT_TRUE(UPrediction::State.PredFailed);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0], "The input file \"" + DMQuellow.FileName +
                                       "\" holds values beyond 1E9 (in magnitude)."
                                       " The hydrograph cannot be made");
    EXPECT_FALSE(std::filesystem::exists(dir.File("Example-prediction-runoff.out")));
}

TEST_F(AbsurdValues, LargeButSensibleValuesStillRun)
{
    DMQuellow.FileName = exampleWith("Example-prediction-runoff.inp", "1.50", "900000.00");
    UPrediction::RunPrediction();
    EXPECT_FALSE(UPrediction::State.PredFailed);
    EXPECT_TRUE(prompts.Messages.empty());
}

} // namespace
