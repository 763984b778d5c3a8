// No command writes over a file it reads, and the figures it prints are those its files give.
#include "calibration/UCalibrationRun.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "runs/UFitMeasures.h"
#include "files/UInputChecks.h"
#include "files/UInputFile.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <new>
#include <sys/wait.h>

using namespace quellow;
using namespace quellow::test;

namespace {

class NothingLost : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// Runs quellow-cli in the temporary folder; returns its exit status, stderr in errors.
    int Cli(const std::string &arguments)
    {
        const TCliResult result = RunCli(dir, arguments);
        errors = result.Err;
        output = result.Out;
        return result.Status;
    }

    std::string Copy(const std::string &from, const std::string &name)
    {
        WriteBytes(dir.File(name), ReadBytes(TestData(from)));
        return dir.File(name);
    }

    TTempDir dir;
    std::string errors, output;
};

// Each command refuses, before it writes anything, a name that would replace the file it
// reads or another file it writes itself, and names both files.
TEST_F(NothingLost, NoCommandWritesOverItsInputOrItsOwnFiles)
{
    const std::string window = Copy("windows/hymod-2015.inp", "W.inp");
    const std::string original = ReadBytes(window);

    // The calibrated input would be replaced by the output or the trend file of its own run.
    for (const char *name : {"cal.out", "cal.dat"}) {
        EXPECT_EQ(Cli(std::string("calibrate W.inp --evaluations 50 -o ") + name), 1) << name;
        EXPECT_NE(errors.find(dir.File(name)), std::string::npos) << errors;
        EXPECT_NE(errors.find("would"), std::string::npos) << errors;
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("cal.inp")));

    // An analysis input named x.out would be replaced by its own output.
    const std::string x = Copy("windows/hymod-2015.inp", "x.out");
    EXPECT_EQ(Cli("run x.out"), 1);
    EXPECT_NE(errors.find(x), std::string::npos) << errors;
    EXPECT_EQ(ReadBytes(x), original);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.dat")));

    // import and convert never write over the file they read.
    const std::string csv = Copy("import-awkward.csv", "series.csv");
    const std::string series = ReadBytes(csv);
    EXPECT_EQ(Cli("import series.csv --mode analysis -o series.csv"), 1);
    EXPECT_NE(errors.find(csv), std::string::npos) << errors;
    EXPECT_EQ(ReadBytes(csv), series);
    EXPECT_EQ(Cli("convert W.inp -o ./W.inp"), 1);
    EXPECT_EQ(ReadBytes(window), original);
}

// convert refuses what Save/Run refuses, with its message: here a negative escape rate in an
// analysis, which the window's row check finds.
TEST_F(NothingLost, ConvertChecksWhatSaveRunChecks)
{
    const std::string input = Copy("windows/hymod-2015.inp", "neg.inp");
    std::string text = ReadBytes(input);
    const std::size_t row = text.find("\r\n    3 ");
    ASSERT_NE(row, std::string::npos);
    const std::size_t end = text.find("\r\n", row + 2);
    text.replace(row + 2, end - row - 2, "    3         3.00  0.0E+0000 -5.000E-0001       1.00");
    WriteBytes(input, text);
    EXPECT_EQ(Cli("convert neg.inp -o out.inp"), 1);
    // Opening the file warns as the window's Open input does; then Save/Run's refusal.
    const std::string refusal = "The input data were not saved due to input errors like "
                                "negative values or a non-sequential time series\n";
    ASSERT_GE(errors.size(), refusal.size());
    EXPECT_EQ(errors.substr(errors.size() - refusal.size()), refusal) << errors;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.inp")));
}

// Folders give their input files whatever the case of the extension, and a summary row keeps
// a long file name whole.
TEST_F(NothingLost, BatchTakesUpperCaseExtensionsAndLongNames)
{
    std::filesystem::path deep = dir.Path();
    for (int k = 0; k < 3; ++k)
        deep /= std::string(200, static_cast<char>('a' + k));
    std::filesystem::create_directories(deep);
    const std::string upper = (deep / "UPPER.INP").string();
    WriteBytes(upper, ReadBytes(TestData("pred-runoff.inp")));
    EXPECT_EQ(Cli("run '" + deep.string() + "' --threads 1"), 0) << errors;
    EXPECT_TRUE(fileExists((deep / "UPPER.out").string()));
    EXPECT_NE(output.find(upper + "  prediction runoff"), std::string::npos) << output;
}

URainRun::TAnalysisInput finelyGiven(int rows)
{
    URainRun::TAnalysisInput input;
    input.Title1 = "Values with more digits than the file keeps";
    input.MaxSto = 40.123456;
    input.IniSto = 10.987654;
    input.MaxEsc = 2;
    double q = 0.9;
    for (int i = 1; i <= rows; ++i) {
        const double rain = i % 6 == 0 ? 7.77777 : (i % 5 == 0 ? 0.333333 : 0);
        q = q * 0.83 + 0.11 * rain;
        input.Rows.push_back({i, i * 1.0, rain, 0.5 + 0.0123456 * (i % 9), q + 1e-5 * i});
    }
    return input;
}

// What the calibration reports is what a run of the file it writes gives, to the bit, though
// the values it was given carry more digits than the file keeps.
TEST(Calibration, ReportsWhatItsWrittenFileGives)
{
    const URainRun::TAnalysisInput input = finelyGiven(90);
    UCalibration::TOptions options;
    options.Evaluations = 200;
    const UCalibration::TCalibrationRun run =
        UCalibration::CalibrateAnalysis(input, options, nullptr);
    ASSERT_EQ(run.Status, UCalibration::TStatus::Calibrated);
    std::string text;
    ASSERT_TRUE(UCalibration::AnalysisInputText(
        UCalibration::CalibratedInput(input, run.Search.Best), "c.inp", text));
    URainRun::TAnalysisInput written;
    ASSERT_TRUE(URainRun::ParseAnalysisInput(text, "c.inp", written, nullptr));
    URainRun::TState state;
    const URainRun::TEvaluation e = URainRun::Evaluate(written, state);
    EXPECT_EQ(e.RSquare, run.Search.BestFit.RSquare);
    EXPECT_EQ(e.Fit.NSE, run.Search.BestFit.Fit.NSE);
}

// An initial storage of 0 runs as a tenth of the maximum: the search never proposes it, and a
// report shows the storage a run starts from.
TEST(Calibration, KeepsOffTheZeroInitialStorage)
{
    auto preferEmpty = [](const TParameters &p, int) {
        URainRun::TEvaluation fit;
        fit.Stopped = false;
        fit.RSquare = 0.9 - 0.001 * p.InitStor - 0.01 * std::abs(std::log(p.MaxStor / 80));
        fit.VolumeRatio = 1;
        return fit;
    };
    const UCalibration::TResult r = UCalibration::Search(preferEmpty, {}, {});
    ASSERT_EQ(r.Outcome, UCalibration::TOutcome::Calibrated);
    EXPECT_EQ(r.Best.InitStor, UCalibration::MinInitStor);
    EXPECT_EQ(UsedInitStor({80, 0, 1}), 8);
}

// A set that cannot be evaluated for want of memory ends the search with a reason instead of
// counting as a set that stops.
TEST(Calibration, AFailedEvaluationEndsTheSearchWithAReason)
{
    auto tight = [](const TParameters &p, int) -> URainRun::TEvaluation {
        if (p.MaxStor > 100)
            throw std::bad_alloc();
        URainRun::TEvaluation fit;
        fit.Stopped = false;
        fit.RSquare = 0.5;
        fit.VolumeRatio = 1;
        return fit;
    };
    UCalibration::TOptions options;
    options.Threads = 2;
    const UCalibration::TResult r = UCalibration::Search(tight, {}, options);
    EXPECT_EQ(r.Outcome, UCalibration::TOutcome::Failed);
    EXPECT_NE(r.Failure.find("memory"), std::string::npos) << r.Failure;
}

// The volume error weighs each step by its length, as the volume ratio does: on 5-day steps
// the analysis's figure is the one computed by hand from its rows.
TEST(FitMeasures, VolumesWeighStepsByTheirLength)
{
    const double observed[] = {1, 2}, simulated[] = {2, 2}, steps[] = {5, 1};
    EXPECT_NEAR(FitMeasures(simulated, observed, 2, steps).VolumeError, 100.0 * 5 / 7, 1e-12);
    EXPECT_NEAR(FitMeasures(simulated, observed, 2).VolumeError, 100.0 / 3, 1e-12);

    URainRun::TAnalysisInput input = finelyGiven(80);
    for (std::size_t k = 0; k < input.Rows.size(); ++k)
        input.Rows[k].Time = (k % 3 == 0 ? 5.0 : 1.0) + (k ? input.Rows[k - 1].Time : 0);
    URainRun::TState s;
    const URainRun::TEvaluation e = URainRun::Evaluate(input, s);
    ASSERT_FALSE(e.Stopped);
    double calculated = 0, measured = 0;
    for (int i = 2; i <= s.DataCount; ++i) {
        calculated += s.RunCalc[i] * (s.Series().StepTime[i] - s.Series().StepTime[i - 1]);
        measured += s.Series().RunMeas[i] * (s.Series().StepTime[i] - s.Series().StepTime[i - 1]);
    }
    EXPECT_NEAR(e.Fit.VolumeError, 100 * (calculated - measured) / measured, 1e-9);
}

// Values below 1 keep four significant digits in the input file, so the recession ratios of
// a dry season survive it: the dry-season example holds no equal consecutive runoffs, where
// two significant digits made eleven. 0 and values from 1 up keep their old fields.
TEST(InputFileNumbers, SmallValuesKeepFourSignificantDigits)
{
    EXPECT_EQ(inputChoice(0.0393, 10), " 3.930E-0002");
    EXPECT_EQ(inputChoice(0.99995, 8), " 1.000E+0000");
    EXPECT_EQ(inputChoice(-0.5, 10), "-5.000E-0001");
    EXPECT_EQ(inputChoice(0, 10), " 0.0E+0000");
    EXPECT_EQ(inputChoice(12.5, 10), "     12.50");
    EXPECT_EQ(URainRun::AsWritten(0.039349, 10), 0.03935);

    URainRun::TAnalysisInput dry;
    ASSERT_TRUE(URainRun::ReadAnalysisInput(
        std::string(QUELLOW_SOURCE_DIR) + "/Data/Catchment-dry-season.inp", dry, nullptr));
    int equal = 0;
    for (std::size_t k = 1; k < dry.Rows.size(); ++k)
        equal += dry.Rows[k].Runoff == dry.Rows[k - 1].Runoff;
    EXPECT_EQ(equal, 0);
}

TEST(InputFileNumbers, NoNaNOrInfinityReachesAFigure)
{
    EXPECT_EQ(jsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(jsonNumber(-std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(shortestText(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(jsonNumber(0.1), "0.1");
}

// Save/Run and convert take as many rows as the mode's run takes, no more.
TEST(InputChecks, OneRowLimitPerMode)
{
    EXPECT_EQ(UInputChecks::RowCountFailure(1500, true), "");
    EXPECT_EQ(UInputChecks::RowCountFailure(1501, true), MaxDataMessage);
    EXPECT_EQ(UInputChecks::RowCountFailure(501, false), "");
    EXPECT_EQ(UInputChecks::RowCountFailure(502, false),
              "A prediction can handle at most 501 steps; please split the series.");
    EXPECT_EQ(UInputChecks::RowCountFailure(0, true), "The input data were not saved");
}

// Season files are written all or none: a file that cannot be written leaves the others
// unwritten and no temporary file behind.
TEST(FileWrites, SeveralFilesAreWrittenAllOrNone)
{
    TTempDir dir;
    std::filesystem::create_directory(dir.File("taken"));
    WriteBytes(dir.File("b.inp"), "old");
    std::string failed;
    EXPECT_FALSE(writeFilesAtomically(
        {{dir.File("a.inp"), "A"}, {dir.File("b.inp"), "B"}, {dir.File("taken"), "C"}}, failed));
    EXPECT_EQ(failed, dir.File("taken"));
    EXPECT_FALSE(fileExists(dir.File("a.inp")));
    EXPECT_EQ(ReadBytes(dir.File("b.inp")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              2);

    ASSERT_TRUE(writeFilesAtomically({{dir.File("a.inp"), "A"}, {dir.File("b.inp"), "B"}}, failed));
    EXPECT_EQ(ReadBytes(dir.File("a.inp")), "A");
    EXPECT_EQ(ReadBytes(dir.File("b.inp")), "B");
}

} // namespace
