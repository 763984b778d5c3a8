#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "runs/URainRun.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sys/wait.h>

using namespace quellow;
using namespace quellow::test;

namespace {

class CliRun : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// Runs quellow-cli in the temporary folder; returns its exit status, stderr in errors.
    int Cli(const std::string &arguments)
    {
        const TCliResult result = RunCli(dir, arguments);
        errors = result.Err;
        return result.Status;
    }

    std::string Copy(const std::string &name)
    {
        WriteBytes(dir.File(name), ReadBytes(TestData(name)));
        return dir.File(name);
    }

    static std::string Golden(const std::string &name, const std::string &inputPath)
    {
        std::string text = ReadBytes(TestData(name));
        text.replace(text.find("@INPUT@"), 7, inputPath);
        return text;
    }

    TTempDir dir;
    std::string errors;
};

TEST_F(CliRun, WritesThePredictionOutputBesideTheInput)
{
    const std::string runoff = Copy("pred-runoff.inp");
    EXPECT_EQ(Cli("run " + runoff), 0);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(ReadBytes(dir.File("pred-runoff.out")), Golden("pred-runoff.out", runoff));

    // A relative name: the output names the input by its full path.
    const std::string drainage = Copy("pred-drainage.inp");
    EXPECT_EQ(Cli("run pred-drainage.inp"), 0);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(ReadBytes(dir.File("pred-drainage.out")), Golden("pred-drainage.out", drainage));
}

TEST_F(CliRun, MessagesGoToStandardErrorOnePerLineAndNoOutputIsWritten)
{
    // A time that goes back stops the run.
    std::string text = ReadBytes(TestData("pred-runoff.inp"));
    text.replace(text.find("    3         2.00"), 18, "    3         0.50");
    WriteBytes(dir.File("back.inp"), text);
    EXPECT_EQ(Cli("run back.inp"), 1);
    EXPECT_EQ(errors, "Incorrect time sequence encountered Please correct the input file\n");
    EXPECT_FALSE(fileExists(dir.File("back.out")));

    EXPECT_EQ(Cli("run missing.inp"), 1);
    EXPECT_EQ(errors, "The file \"" + dir.File("missing.inp") +
                          "\"could not be opened. It may be damaged or in use by another "
                          "program.\n");
}

TEST_F(CliRun, AnOutdatedPredictionFileIsNamedAsSuchNotAsCorrupt)
{
    // The older layout: the porosity line follows the B1 line, no runoff division.
    WriteBytes(dir.File("old.inp"),
               " Input data for Quellow program\r\n Prediction drainage\r\n\r\nOld\r\nFile\r\n"
               "\r\n Filename: old.inp\r\n Maximum dead storage:    50.00\r\n"
               " Initial dead storage:    50.00\r\n Max.escape/time unit:     1.00\r\n"
               " Linear reservoir function : Alpha = A * Runoff + B\r\n"
               " A1 coefficient : 5.0000E-002\r\n Value of B1 is : 1.0000E-001\r\n"
               " Effective porosity (%) :    4.00\r\n Initial runoff rate :     1.50\r\n"
               " Initial water level :    20.00\r\n\r\n"
               " ------------------------------------------\r\n"
               " Serial    T i m e   Rainfall   Escape rate\r\n"
               " ------------------------------------------\r\n"
               "    1  1.00  2.00  0.10\r\n    2  2.00  3.00  0.20\r\n");
    EXPECT_EQ(Cli("run old.inp"), 1);
    EXPECT_EQ(errors, "This is an outdated input file. Please make the necessary adjustments for "
                      "the Alpha characteristics.\nThe file \"" +
                          dir.File("old.inp") +
                          "\" was not run: open it in Quellow, complete the alpha function and "
                          "save it to run it.\n");
    EXPECT_FALSE(fileExists(dir.File("old.out")));

    // A corrupt A2 in the current layout is still a corrupt number.
    std::string text = ReadBytes(TestData("pred-runoff.inp"));
    text.replace(text.find("5.0000E-002"), 11, "5.O000E-002");
    WriteBytes(dir.File("bad.inp"), text);
    EXPECT_EQ(Cli("run bad.inp"), 1);
    EXPECT_EQ(errors, "A program error occurred.Real numbers in the inputfile \"" +
                          dir.File("bad.inp") + "\" are corrupt\n");
}

TEST_F(CliRun, RefusesWhatItCannotRun)
{
    WriteBytes(dir.File("a.inp"), ReadBytes(TestData("input-analysis.inp")));
    // An analysis of too few dry rows halts in its final run and files nothing.
    EXPECT_EQ(Cli("run a.inp"), 1);
    EXPECT_EQ(errors, "The number of data with little rainfall is not enough to determine the "
                      "reaction factor.The program halts\n");
    EXPECT_FALSE(fileExists(dir.File("a.out")));
    EXPECT_FALSE(fileExists(dir.File("a.dat")));

    WriteBytes(dir.File("notes.inp"), "Some notes\r\nabout nothing\r\n");
    EXPECT_EQ(Cli("run notes.inp"), 1);
    EXPECT_EQ(errors, "The file \"" + dir.File("notes.inp") +
                          "\" is not a Quellow input file: its second line begins with neither "
                          "\" Analysis\" nor \" Prediction\".\n");

    EXPECT_EQ(Cli("run"), 2);
    EXPECT_NE(errors.find("Usage: quellow-cli run FILE.inp"), std::string::npos);
    // A folder is run file by file: here both fail.
    EXPECT_EQ(Cli("run " + dir.Path()), 1);
    EXPECT_NE(errors.find("a.inp: The number of data with little rainfall"), std::string::npos);
}

} // namespace

namespace {

/// The number after "name": in a JSON text (NaN when missing).
double jsonValue(const std::string &json, const std::string &name)
{
    const std::size_t at = json.find("\"" + name + "\":");
    if (at == std::string::npos)
        return std::nan("");
    return std::strtod(json.c_str() + at + name.size() + 3, nullptr);
}

TEST_F(CliRun, JsonGivesTheFiguresOfAnEvaluationInMemoryAtFullPrecision)
{
    const std::string input = Copy("analysis-two-ranges.inp");
    URainRun::TAnalysisInput read;
    ASSERT_TRUE(URainRun::ParseAnalysisInput(ReadBytes(input), input, read, nullptr));
    URainRun::TState s;
    const URainRun::TEvaluation e = URainRun::Evaluate(read, s);
    ASSERT_FALSE(e.Stopped);

    EXPECT_EQ(Cli("run analysis-two-ranges.inp"), 0);
    const std::string plain = ReadBytes(dir.File("analysis-two-ranges.out"));
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(Cli("run --json analysis-two-ranges.inp"), 0);
    const std::string json = ReadBytes(dir.File("stdout.txt"));
    EXPECT_EQ(jsonValue(json, "RSquare"), e.RSquare) << json;
    EXPECT_EQ(jsonValue(json, "NSE"), e.Fit.NSE) << json;
    EXPECT_EQ(jsonValue(json, "KGE"), e.Fit.KGE) << json;
    EXPECT_EQ(jsonValue(json, "VolumeError"), e.Fit.VolumeError) << json;
    EXPECT_EQ(jsonValue(json, "Divide"), e.Divide) << json;
    // The files are those of a run without --json.
    EXPECT_EQ(ReadBytes(dir.File("analysis-two-ranges.out")), plain);
}

} // namespace
