#include "cli/CliShard.h"
#include "files/UDMQuellow.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace quellow;
using namespace quellow::test;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> inputs = {"analysis-relaxed.inp", "analysis-two-ranges.inp",
                                         "analysis-close-trials.inp", "pred-runoff.inp",
                                         "pred-drainage.inp"};

class CliShard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetAllState();
        fs::create_directory(dir.File("in"));
        for (const std::string &name : inputs)
            WriteBytes(dir.File("in/" + name), ReadBytes(TestData(name)));
        // Too few dry rows: the analysis halts and writes nothing.
        WriteBytes(dir.File("in/bad.inp"), ReadBytes(TestData("input-analysis.inp")));
    }

    int Cli(const std::string &arguments)
    {
        const TCliResult result = RunCli(dir, arguments);
        out = result.Out;
        err = result.Err;
        return result.Status;
    }

    /// The outputs in in/ by name, with their bytes.
    std::map<std::string, std::string> Outputs() const
    {
        std::map<std::string, std::string> files;
        for (const auto &entry : fs::directory_iterator(dir.File("in")))
            if (entry.path().extension() != ".inp")
                files[entry.path().filename().string()] = ReadBytes(entry.path().string());
        return files;
    }

    /// The times of the files in in/ and of the summary file.
    std::map<std::string, fs::file_time_type> Times(const std::string &summary) const
    {
        std::map<std::string, fs::file_time_type> times;
        for (const auto &entry : fs::directory_iterator(dir.File("in")))
            times[entry.path().filename().string()] = fs::last_write_time(entry.path());
        times[summary] = fs::last_write_time(dir.File(summary));
        return times;
    }

    /// The first field of every row of a summary but its header.
    std::vector<std::string> FilesOf(const std::string &summary) const
    {
        std::vector<cli::TCsvRecord> records;
        EXPECT_TRUE(cli::SplitCsv(ReadBytes(dir.File(summary)), records)) << summary;
        std::vector<std::string> files;
        for (std::size_t r = 1; r < records.size(); ++r)
            files.push_back(records[r].Fields[0]);
        return files;
    }

    TTempDir dir;
    std::string out, err;
};

// Slice K of N holds the inputs of the sorted list whose place is K - 1 modulo N, whatever order
// they were given in; the slices' summaries merge into the single run's summary byte for byte,
// and their outputs are the single run's.
TEST_F(CliShard, SlicesCoverEveryInputOnceAndMergeIntoTheSingleRun)
{
    ASSERT_EQ(Cli("run in --csv one.csv"), 1); // bad.inp fails
    const std::string single = ReadBytes(dir.File("one.csv"));
    const std::map<std::string, std::string> outputs = Outputs();
    ASSERT_EQ(outputs.size(), 8u);
    for (const auto &[name, bytes] : outputs)
        fs::remove(dir.File("in/" + name));

    // The files given in another order than their names'.
    std::string given;
    for (const std::string &name : inputs)
        given += "in/" + name + " ";
    given += "in/bad.inp";
    for (int k = 1; k <= 3; ++k) {
        Cli("run " + given + " --csv s.csv --threads 1 --shard " + std::to_string(k) + "/3");
        EXPECT_NE(err.find("slice " + std::to_string(k) + " of 3: 2 of 6 inputs"),
                  std::string::npos)
            << err;
    }
    EXPECT_EQ(Outputs(), outputs);
    EXPECT_EQ(FilesOf("s-1-of-3.csv"),
              (std::vector<std::string>{"in/analysis-close-trials.inp", "in/bad.inp"}));
    EXPECT_EQ(FilesOf("s-2-of-3.csv"),
              (std::vector<std::string>{"in/analysis-relaxed.inp", "in/pred-drainage.inp"}));
    EXPECT_EQ(FilesOf("s-3-of-3.csv"),
              (std::vector<std::string>{"in/analysis-two-ranges.inp", "in/pred-runoff.inp"}));

    EXPECT_EQ(Cli("merge s-3-of-3.csv s-1-of-3.csv s-2-of-3.csv -o all.csv"), 0) << err;
    EXPECT_EQ(ReadBytes(dir.File("all.csv")), single);

    // A slice twice and a slice missing are named, and nothing is written.
    fs::remove(dir.File("all.csv"));
    fs::copy_file(dir.File("s-1-of-3.csv"), dir.File("again.csv"));
    EXPECT_EQ(Cli("merge s-1-of-3.csv s-2-of-3.csv again.csv -o all.csv"), 1);
    EXPECT_NE(err.find("The input \"in/bad.inp\" is in the merge twice: in \"s-1-of-3.csv\" and "
                       "in \"again.csv\"."),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("The summary of slice 3 of 3 (s-3-of-3.csv) is missing"), std::string::npos)
        << err;
    EXPECT_FALSE(fs::exists(dir.File("all.csv")));

    // In a Slurm array task the slice is the task's, and the command says so; --shard wins.
    const std::string third = ReadBytes(dir.File("s-3-of-3.csv"));
    fs::remove(dir.File("s-3-of-3.csv"));
    ::setenv("SLURM_ARRAY_TASK_ID", "14", 1);
    ::setenv("SLURM_ARRAY_TASK_MIN", "10", 1);
    ::setenv("SLURM_ARRAY_TASK_STEP", "2", 1);
    ::setenv("SLURM_ARRAY_TASK_COUNT", "3", 1);
    const int status = Cli("run in --csv s.csv");
    const std::string slurmErr = err;
    Cli("run in --csv s.csv --shard 1/1");
    for (const char *name : {"SLURM_ARRAY_TASK_ID", "SLURM_ARRAY_TASK_MIN", "SLURM_ARRAY_TASK_STEP",
                             "SLURM_ARRAY_TASK_COUNT"})
        ::unsetenv(name);
    EXPECT_EQ(status, 0);
    EXPECT_NE(slurmErr.find("slice 3 of 3, as the Slurm array task 14"), std::string::npos)
        << slurmErr;
    EXPECT_EQ(ReadBytes(dir.File("s-3-of-3.csv")), third);
    EXPECT_EQ(ReadBytes(dir.File("s-1-of-1.csv")), single);
}

// --skip-done leaves an input whose outputs are all there and newer than it and whose row the
// summary holds as done; it does again one whose output is older or missing, one without its row
// and one that failed; the summary keeps its bytes and, unchanged, is not written again.
TEST_F(CliShard, SkipDoneDoesOnlyWhatIsMissingAndKeepsTheSummary)
{
    ASSERT_EQ(Cli("run in --csv s.csv"), 1);
    const std::string summary = ReadBytes(dir.File("s.csv"));
    const std::map<std::string, std::string> outputs = Outputs();
    const auto before = Times("s.csv");

    EXPECT_EQ(Cli("run in --csv s.csv --skip-done"), 1);
    EXPECT_NE(err.find("quellow-cli run: skipped 5 of 6 inputs: their outputs are complete."),
              std::string::npos)
        << err;
    EXPECT_NE(out.find("1 files: 0 succeeded, 1 failed"), std::string::npos) << out;
    EXPECT_EQ(Times("s.csv"), before);

    // An output older than its input, an output missing, a row missing from the summary.
    const fs::path relaxed = dir.File("in/analysis-relaxed.inp");
    fs::last_write_time(dir.File("in/analysis-relaxed.out"),
                        fs::last_write_time(relaxed) - std::chrono::seconds(10));
    fs::remove(dir.File("in/pred-runoff.out"));
    std::string withoutRow = summary;
    const std::size_t row = withoutRow.find("in/analysis-two-ranges.inp,");
    withoutRow.erase(row, withoutRow.find("\r\n", row) + 2 - row);
    WriteBytes(dir.File("s.csv"), withoutRow);
    const auto stale = Times("s.csv");

    EXPECT_EQ(Cli("run in --csv s.csv --skip-done"), 1);
    EXPECT_NE(err.find("skipped 2 of 6 inputs"), std::string::npos) << err;
    EXPECT_NE(out.find("4 files: 3 succeeded, 1 failed"), std::string::npos) << out;
    EXPECT_EQ(ReadBytes(dir.File("s.csv")), summary);
    EXPECT_EQ(Outputs(), outputs);
    const auto after = Times("s.csv");
    for (const char *left : {"analysis-close-trials.out", "analysis-close-trials.dat",
                             "pred-drainage.out", "analysis-relaxed.inp"})
        EXPECT_EQ(after.at(left), stale.at(left)) << left;
    for (const char *redone : {"analysis-relaxed.out", "analysis-two-ranges.out"})
        EXPECT_NE(after.at(redone), stale.at(redone)) << redone;
}

// A chain is sliced by its pairs in the order given, and merge puts the pairs back in the order
// of the chain (not of the names); a slice left out shows as a break of the chain.
TEST_F(CliShard, ChainSlicesMergeInTheChainsOrder)
{
    std::string chain = "validate --chain --evaluations 200";
    for (const char *name : {"hymod-2014", "gr4j-1991", "hymod-2013", "gr4j-1992"}) {
        WriteBytes(dir.File(std::string(name) + ".inp"),
                   ReadBytes(TestData(std::string("windows/") + name + ".inp")));
        chain += std::string(" ") + name + ".inp";
    }
    ASSERT_EQ(Cli(chain + " --csv one.csv"), 0) << err;
    ASSERT_EQ(Cli(chain + " --csv c.csv --shard 1/2"), 0) << err;
    ASSERT_EQ(Cli(chain + " --csv c.csv --shard 2/2"), 0) << err;
    EXPECT_EQ(Cli("merge c-2-of-2.csv c-1-of-2.csv -o all.csv"), 0) << err;
    EXPECT_EQ(ReadBytes(dir.File("all.csv")), ReadBytes(dir.File("one.csv")));

    EXPECT_EQ(Cli(chain + " --csv c.csv --shard 1/2 --skip-done"), 0) << err;
    EXPECT_NE(err.find("skipped 2 of 2 inputs"), std::string::npos) << err;
    EXPECT_EQ(Cli("merge c-1-of-2.csv -o part.csv"), 1);
    EXPECT_NE(err.find("The chain breaks into 2 pieces, which end at \"gr4j-1992.inp\", "
                       "\"gr4j-1991.inp\": the pairs"),
              std::string::npos)
        << err;
    EXPECT_EQ(Cli("validate a.inp b.inp --shard 1/2"), 2);
}

std::map<std::string, std::string> slurm;
const char *fromTable(const char *name)
{
    const auto found = slurm.find(name);
    return found == slurm.end() ? nullptr : found->second.c_str();
}

// The slice of a Slurm array task, the refusals of --shard, the summary's name and CSV records.
TEST(CliShardParts, SlurmSliceShardValuesNamesAndRecords)
{
    TRecordingPrompts prompts;
    cli::TShardOptions options;
    slurm = {{"SLURM_ARRAY_TASK_ID", "5"},
             {"SLURM_ARRAY_TASK_MIN", "0"},
             {"SLURM_ARRAY_TASK_COUNT", "8"}};
    ASSERT_TRUE(cli::ShardFromSlurm("run", options, fromTable));
    EXPECT_EQ(options.Shard->Index, 6);
    EXPECT_EQ(options.Shard->Count, 8);
    slurm["SLURM_ARRAY_TASK_ID"] = "7"; // a given slice is kept
    ASSERT_TRUE(cli::ShardFromSlurm("run", options, fromTable));
    EXPECT_EQ(options.Shard->Index, 6);
    options.Shard.reset();
    slurm = {{"SLURM_ARRAY_TASK_ID", "9"}, // --array=1,4,9
             {"SLURM_ARRAY_TASK_MIN", "1"},
             {"SLURM_ARRAY_TASK_COUNT", "3"}};
    EXPECT_FALSE(cli::ShardFromSlurm("run", options, fromTable));
    slurm.clear(); // no array task: every input
    EXPECT_TRUE(cli::ShardFromSlurm("run", options, fromTable));
    EXPECT_FALSE(options.Shard);

    cli::TShard shard;
    for (const char *bad : {"0/4", "5/4", "4", "1/0", "a/b", "1/4x", "-1/4"})
        EXPECT_FALSE(cli::ParseShard(bad, shard)) << bad;
    EXPECT_TRUE(cli::ParseShard("4/4", shard));
    EXPECT_EQ(cli::SliceFileName("out/sum.csv", {3, 12}), "out/sum-03-of-12.csv");
    EXPECT_EQ(cli::SliceFileName("sum", {1, 1}), "sum-1-of-1");

    std::vector<cli::TCsvRecord> records;
    const std::string text = "a,\"b,\"\"c\"\"\r\nd\",e\r\n,\n";
    ASSERT_TRUE(cli::SplitCsv(text, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Fields, (std::vector<std::string>{"a", "b,\"c\"\r\nd", "e"}));
    EXPECT_EQ(records[0].Raw + records[1].Raw, text);
    EXPECT_EQ(records[1].Fields, (std::vector<std::string>{"", ""}));
    EXPECT_FALSE(cli::SplitCsv("a,\"b\r\n", records));
    EXPECT_FALSE(cli::SplitCsv("a,b", records));
}

} // namespace
