#include "cli/CliBatch.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace quellow;
using namespace quellow::test;

namespace {

const std::vector<std::string> inputs = {"analysis-relaxed.inp",      "analysis-two-ranges.inp",
                                         "analysis-close-trials.inp", "bad.inp",
                                         "pred-runoff.inp",           "pred-drainage.inp"};

/// The fields of a CSV row, quotes undone.
std::vector<std::string> csvFields(const std::string &row)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (row[i] == '"' && quoted && i + 1 < row.size() && row[i + 1] == '"')
            fields.back() += row[++i];
        else if (row[i] == '"')
            quoted = !quoted;
        else if (row[i] == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += row[i];
    }
    return fields;
}

class CliBatch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetAllState();
        for (const std::string &name : inputs)
            if (name != "bad.inp")
                WriteBytes(dir.File(name), ReadBytes(TestData(name)));
        // Too few dry rows: the analysis halts and files nothing.
        WriteBytes(dir.File("bad.inp"), ReadBytes(TestData("input-analysis.inp")));
    }

    /// Runs quellow-cli in the folder; its exit status, standard output in out, errors in err.
    int Cli(const std::string &arguments)
    {
        const TCliResult result = RunCli(dir, arguments);
        out = result.Out;
        err = result.Err;
        return result.Status;
    }

    /// The .out and .dat files in the folder, by name; removes them.
    std::map<std::string, std::string> TakeOutputs()
    {
        std::map<std::string, std::string> files;
        for (const auto &entry : std::filesystem::directory_iterator(dir.Path())) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".out" || ext == ".dat") {
                files[entry.path().filename().string()] = ReadBytes(entry.path().string());
                std::filesystem::remove(entry.path());
            }
        }
        return files;
    }

    TTempDir dir;
    std::string out, err;
};

// A batch writes every file's outputs exactly as one run of that file does, on any number of
// threads, and gives each file's messages as one block in the order of the files.
TEST_F(CliBatch, OutputsAndMessagesEqualSingleRunsOnOneAndTwoThreads)
{
    std::string singleErrors;
    for (const std::string &name : inputs) {
        EXPECT_EQ(Cli("run " + name), name == "bad.inp" ? 1 : 0) << name;
        std::size_t start = 0;
        for (std::size_t end; (end = err.find('\n', start)) != std::string::npos; start = end + 1)
            singleErrors += name + ": " + err.substr(start, end + 1 - start);
    }
    const std::map<std::string, std::string> single = TakeOutputs();
    ASSERT_EQ(single.size(), 8u); // three analyses with .out and .dat, two predictions
    EXPECT_EQ(single.count("bad.out"), 0u);
    ASSERT_FALSE(singleErrors.empty());

    std::string names;
    for (const std::string &name : inputs)
        names += name + " ";
    for (const char *threads : {"1", "2"}) {
        EXPECT_EQ(Cli("run " + names + "--threads " + threads), 1) << threads;
        EXPECT_EQ(TakeOutputs(), single) << threads << " threads";
        EXPECT_EQ(err, singleErrors) << threads << " threads";
        EXPECT_NE(out.find("6 files: 5 succeeded, 1 failed\n"), std::string::npos) << out;
    }
    // Without the failing file every file succeeds.
    std::filesystem::remove(dir.File("bad.inp"));
    EXPECT_EQ(Cli("run . --threads 2"), 0);
    EXPECT_EQ(TakeOutputs(), single);
    EXPECT_NE(out.find("5 files: 5 succeeded, 0 failed\n"), std::string::npos) << out;
}

// The CSV summary: one row per file in the order given, CR LF, figures with full stops at full
// precision, a failure with its message, names with a comma quoted.
TEST_F(CliBatch, CsvSummaryRowsAndFields)
{
    std::filesystem::rename(dir.File("pred-runoff.inp"), dir.File("pred,runoff.inp"));
    EXPECT_EQ(Cli("run bad.inp pred,runoff.inp analysis-relaxed.inp --csv sum.csv"), 1);
    const std::string csv = ReadBytes(dir.File("sum.csv"));
    const std::string header = "file,mode,rows,r_square,nse,kge,volume_error,divide,max_storage,"
                               "initial_storage,escape_factor,status,message\r\n";
    ASSERT_EQ(csv.rfind(header, 0), 0u) << csv;
    std::vector<std::string> rows;
    for (std::size_t start = header.size(), end; (end = csv.find("\r\n", start)) != csv.npos;
         start = end + 2)
        rows.push_back(csv.substr(start, end - start));
    ASSERT_EQ(rows.size(), 3u) << csv;
    EXPECT_EQ(rows[0], "bad.inp,analysis,3,,,,,,50,5,,failed,The number of data with little "
                       "rainfall is not enough to determine the reaction factor.The program "
                       "halts");
    EXPECT_EQ(rows[1], "\"pred,runoff.inp\",prediction runoff,4,,,,,,10,4,,ok,");

    // The analysis row carries what the output file reports, at full precision.
    const std::string &a = rows[2];
    ASSERT_EQ(a.rfind("analysis-relaxed.inp,analysis,", 0), 0u) << a;
    const std::vector<std::string> fields = csvFields(a);
    ASSERT_EQ(fields.size(), 13u) << a;
    EXPECT_EQ(fields[11], "ok");
    EXPECT_EQ(fields[12], "Quellow may not give a satisfactory solution owing to particular, "
                          "uncommon, data or anomalies.");
    const std::string output = ReadBytes(dir.File("analysis-relaxed.out"));
    char rSquare[32];
    std::snprintf(rSquare, sizeof rSquare, "R square is: %7.3f", std::stod(fields[3]));
    EXPECT_NE(output.find(rSquare), std::string::npos) << rSquare;
    char divide[48];
    std::snprintf(divide, sizeof divide, "if Discharge > %.2f then", std::stod(fields[7]));
    EXPECT_NE(output.find(divide), std::string::npos) << divide;
    // NSE and volume error again from the reconstruction table (two decimals), rows 2..N.
    std::vector<double> measured, calculated;
    std::size_t at = output.find("\r\n 2 ", output.find("RECONSTRUCTION:"));
    for (; at != std::string::npos && output.compare(at + 2, 2, "--") != 0;
         at = output.find("\r\n", at + 2)) {
        double serial, time, rain, recharge, meas, alpha, calc;
        if (std::sscanf(output.c_str() + at + 2, "%lf %lf %lf %lf %lf %lf %lf", &serial, &time,
                        &rain, &recharge, &meas, &alpha, &calc) == 7) {
            measured.push_back(meas);
            calculated.push_back(calc);
        }
    }
    ASSERT_EQ(measured.size(), 19u);
    double sumMeas = 0, sumCalc = 0, squares = 0, spread = 0;
    for (std::size_t i = 0; i < measured.size(); ++i) {
        sumMeas += measured[i];
        sumCalc += calculated[i];
        squares += (measured[i] - calculated[i]) * (measured[i] - calculated[i]);
    }
    for (double m : measured)
        spread += (m - sumMeas / measured.size()) * (m - sumMeas / measured.size());
    EXPECT_NEAR(std::stod(fields[4]), 1 - squares / spread, 0.005);               // NSE
    EXPECT_NEAR(std::stod(fields[6]), 100 * (sumCalc - sumMeas) / sumMeas, 0.25); // volume %
    EXPECT_LE(std::stod(fields[5]), 1.0);                                         // KGE
    EXPECT_NE(fields[5], fields[4]);
    EXPECT_EQ(fields[8], "5"); // maximum storage as the file holds it
}

TEST_F(CliBatch, JsonOfOneRunAndBadRequests)
{
    EXPECT_EQ(Cli("run pred-runoff.inp --json"), 0);
    EXPECT_EQ(out, "{\"file\":\"pred-runoff.inp\",\"mode\":\"prediction runoff\",\"rows\":4,"
                   "\"status\":\"ok\",\"RSquare\":null,\"NSE\":null,\"KGE\":null,"
                   "\"VolumeError\":null,\"Divide\":null,\"MaxStor\":10,\"InitStor\":4,"
                   "\"messages\":[]}\n");
    EXPECT_EQ(err, "");
    EXPECT_EQ(Cli("run bad.inp --json"), 1);
    EXPECT_NE(out.find("\"status\":\"failed\",\"RSquare\":null"), std::string::npos) << out;
    EXPECT_NE(out.find("\"messages\":[\"The number of data with little rainfall"),
              std::string::npos);
    // Messages still go to standard error as they come.
    EXPECT_EQ(err.rfind("The number of data", 0), 0u) << err;

    EXPECT_EQ(Cli("run a.inp --threads 0"), 2);
    EXPECT_NE(err.find("--threads needs a whole number from 1 to 256."), std::string::npos);
    EXPECT_EQ(Cli("run a.inp --fast"), 2);
    EXPECT_NE(err.find("unknown option --fast"), std::string::npos);
    std::filesystem::create_directory(dir.File("empty"));
    EXPECT_EQ(Cli("run empty"), 2);
    EXPECT_EQ(err, "The folder \"empty\" holds no input files (*.inp).\n");
    EXPECT_EQ(Cli("run missing.inp pred-drainage.inp --csv sum.csv"), 1);
    EXPECT_NE(ReadBytes(dir.File("sum.csv")).find("missing.inp,,,,,,,,,,,failed,\"The file \"\""),
              std::string::npos);
}

// The mode is taken from the second line whatever the line ends; the output is the same.
TEST_F(CliBatch, ModeAndOutputWhateverTheLineEnds)
{
    for (const std::string name : {"pred-drainage", "analysis-relaxed"}) {
        const std::string crlf = ReadBytes(dir.File(name + ".inp"));
        ASSERT_EQ(Cli("run " + name + ".inp"), 0);
        const std::string expected = ReadBytes(dir.File(name + ".out"));
        std::string lf, cr;
        for (char c : crlf) {
            if (c != '\r')
                lf += c;
            if (c != '\n')
                cr += c;
        }
        for (const std::string &text : {lf, cr}) {
            WriteBytes(dir.File(name + ".inp"), text);
            std::filesystem::remove(dir.File(name + ".out"));
            EXPECT_EQ(Cli("run " + name + ".inp --json"), 0) << name << err;
            EXPECT_NE(out.find(name[0] == 'p' ? "\"mode\":\"prediction drainage\""
                                              : "\"mode\":\"analysis\""),
                      std::string::npos)
                << out;
            EXPECT_EQ(ReadBytes(dir.File(name + ".out")), expected) << name;
        }
    }
}

// A batch calibration writes each FILE-calibrated.inp (and its .out, .dat) exactly as the
// calibration of that file alone does, on one thread or two; a file that cannot be
// calibrated gets its row and the others go on. A folder leaves out calibrated files.
TEST_F(CliBatch, CalibrationBatchEqualsSingleCalibrations)
{
    const std::vector<std::string> names = {"analysis-relaxed.inp", "bad.inp",
                                            "analysis-two-ranges.inp"};
    std::map<std::string, std::string> single;
    std::string singleErrors;
    for (const std::string &name : names) {
        EXPECT_EQ(Cli("calibrate " + name + " --evaluations 60"), name == "bad.inp" ? 1 : 0);
        std::size_t start = 0;
        for (std::size_t end; (end = err.find('\n', start)) != std::string::npos; start = end + 1)
            singleErrors += name + ": " + err.substr(start, end + 1 - start);
    }
    for (const auto &entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string file = entry.path().filename().string();
        if (file.find("-calibrated.") != std::string::npos) {
            single[file] = ReadBytes(entry.path().string());
            std::filesystem::remove(entry.path());
        }
    }
    ASSERT_EQ(single.size(), 6u);

    for (const char *threads : {"1", "2"}) {
        EXPECT_EQ(Cli("calibrate analysis-relaxed.inp bad.inp analysis-two-ranges.inp "
                      "--evaluations 60 --csv sum.csv --threads " +
                      std::string(threads)),
                  1);
        EXPECT_EQ(err, singleErrors) << threads;
        std::map<std::string, std::string> batch;
        for (const auto &[file, bytes] : single)
            batch[file] = ReadBytes(dir.File(file));
        EXPECT_EQ(batch, single) << threads << " threads";
        const std::vector<std::string> rows = [&] {
            std::vector<std::string> all;
            const std::string csv = ReadBytes(dir.File("sum.csv"));
            for (std::size_t start = 0, end; (end = csv.find("\r\n", start)) != csv.npos;
                 start = end + 2)
                all.push_back(csv.substr(start, end - start));
            return all;
        }();
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[2], "bad.inp,analysis,3,,,,,,,,,failed,A calibration needs at least 12 "
                           "data rows; there are 3. Nothing was calibrated.");
        // The calibrated storages are those the calibrated file holds.
        const std::vector<std::string> fields = csvFields(rows[1]);
        ASSERT_EQ(fields.size(), 13u);
        const std::string calibrated = single["analysis-relaxed-calibrated.inp"];
        EXPECT_NE(calibrated.find(" Maximum dead storage: " + choice(std::stod(fields[8]), 8, 2)),
                  std::string::npos)
            << fields[8];
        EXPECT_FALSE(fields[10].empty()); // the escape factor
    }
    EXPECT_EQ(Cli("calibrate analysis-relaxed.inp analysis-two-ranges.inp -o x.inp"), 2);

    // A folder again: the calibrated files of the first pass are not calibrated once more.
    EXPECT_EQ(Cli("calibrate . --evaluations 60 --csv sum.csv"), 1);
    const std::string csv = ReadBytes(dir.File("sum.csv"));
    EXPECT_EQ(csv.find("-calibrated.inp,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("./pred-runoff.inp,"), std::string::npos) << csv;
}

} // namespace

// A job that throws, on one of the batch's threads, fails its file with the reason in the file's
// block, the blocks in the order of the files; the other files run, and the batch exits with 1.
TEST(CliBatchJobs, JobThatThrowsFailsItsFileWithTheReason)
{
    const std::vector<std::string> files = {"a.inp", "b.inp", "c.inp", "d.inp", "e.inp"};
    const cli::TFileJob job = [](const std::string &file, TPrompts &prompts) {
        if (file == "b.inp")
            throw std::runtime_error("the job's fault");
        if (file == "c.inp")
            throw 42;
        prompts.ShowMessage("ran");
        cli::TFileResult result;
        result.Ok = true;
        return result;
    };
    for (int threads : {1, 3}) {
        testing::internal::CaptureStderr();
        const std::vector<cli::TFileResult> results = cli::RunFiles(files, threads, job);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "a.inp: ran\n"
                  "b.inp: The file could not be processed: the job's fault\n"
                  "c.inp: The file could not be processed: an unknown error stopped it.\n"
                  "d.inp: ran\n"
                  "e.inp: ran\n");
        ASSERT_EQ(results.size(), files.size());
        for (std::size_t k = 0; k < files.size(); ++k) {
            EXPECT_EQ(results[k].File, files[k]);
            EXPECT_EQ(results[k].Ok, k != 1 && k != 2) << files[k];
        }
        testing::internal::CaptureStdout();
        EXPECT_EQ(cli::ReportBatch(results, cli::TBatchOptions{}), 1);
        EXPECT_NE(testing::internal::GetCapturedStdout().find("5 files: 3 succeeded, 2 failed\n"),
                  std::string::npos);
    }
}
