// Calibration of real analyses: the public calendar-year windows, the guard, bad input, and
// quellow-cli calibrate with its files and JSON.
#include "calibration/UCalibrationRun.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace quellow::UCalibration {
namespace {

namespace fs = std::filesystem;

URainRun::TAnalysisInput window(const std::string &name)
{
    URainRun::TAnalysisInput input;
    EXPECT_TRUE(URainRun::ReadAnalysisInput(test::TestData("windows/" + name), input, nullptr));
    return input;
}

struct TWindow
{
    const char *File;
    double StartRSquare;  ///< as the output file of the start values shows it
    double BestKnown;     ///< the best guarded R square known for the window (40000 evaluations)
    double Share = 0.995; ///< the share of BestKnown the default search reaches at least
};

class CalibrationWindowTest : public ::testing::TestWithParam<TWindow>
{
protected:
    void SetUp() override { ResetAllState(); }
};

// Each window reaches at least 0.995 of the best R square known for it (less where the default
// budget is known to fall short of an optimum at the edge of the box), with a plausible
// recharge volume, and never ends below its start.
TEST_P(CalibrationWindowTest, ReachesTheBestKnownFit)
{
    const URainRun::TAnalysisInput input = window(GetParam().File);
    const TCalibrationRun run = CalibrateAnalysis(input, {}, nullptr);
    ASSERT_EQ(run.Status, TStatus::Calibrated);
    const TResult &r = run.Search;
    EXPECT_NEAR(r.StartFit.RSquare, GetParam().StartRSquare, 0.0005);
    EXPECT_GE(r.BestFit.RSquare, GetParam().Share * GetParam().BestKnown);
    EXPECT_GE(r.BestFit.RSquare, r.StartFit.RSquare);
    EXPECT_TRUE(Admissible(r.BestFit));
    EXPECT_LE(r.Evaluations, DefaultEvaluations);
}

INSTANTIATE_TEST_SUITE_P(Windows, CalibrationWindowTest,
                         ::testing::Values(TWindow{"gr4j-1991.inp", 0.659, 0.779, 0.98},
                                           TWindow{"gr4j-1992.inp", 0.791, 0.887},
                                           TWindow{"gr4j-1991-1992.inp", 0.717, 0.836, 0.99},
                                           TWindow{"hymod-2013.inp", 0.720, 0.888},
                                           TWindow{"hymod-2014.inp", 0.566, 0.823, 0.93},
                                           TWindow{"hymod-2015.inp", 0.010, 0.920},
                                           TWindow{"hymod-2016.inp", 0.816, 0.937}),
                         [](const auto &info) {
                             std::string name = info.param.File;
                             name = name.substr(0, name.size() - 4);
                             for (char &c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

TEST(Calibration, SameResultOnEveryThreadCountAndRun)
{
    const URainRun::TAnalysisInput input = window("hymod-2014.inp");
    TOptions options;
    options.Evaluations = 600;
    options.Threads = 1;
    const TResult one = CalibrateAnalysis(input, options, nullptr).Search;
    for (int threads : {2, 3}) {
        options.Threads = threads;
        const TResult many = CalibrateAnalysis(input, options, nullptr).Search;
        EXPECT_EQ(many.Best.MaxStor, one.Best.MaxStor);
        EXPECT_EQ(many.Best.InitStor, one.Best.InitStor);
        EXPECT_EQ(many.Best.EscapeFactor, one.Best.EscapeFactor);
        EXPECT_EQ(many.BestFit.RSquare, one.BestFit.RSquare);
        EXPECT_EQ(many.Evaluations, one.Evaluations);
    }
}

void expectSameEvaluation(const TEvaluation &a, const TEvaluation &b)
{
    ASSERT_EQ(a.Stopped, b.Stopped);
    EXPECT_EQ(a.RSquare, b.RSquare);
    EXPECT_EQ(a.VolumeRatio, b.VolumeRatio);
    EXPECT_EQ(a.Divide, b.Divide);
    EXPECT_EQ(a.Alpha.A1, b.Alpha.A1);
    EXPECT_EQ(a.Alpha.B2, b.Alpha.B2);
    EXPECT_EQ(a.InitStor, b.InitStor);
    EXPECT_EQ(a.Simulation.Skill.Fit.NSE, b.Simulation.Skill.Fit.NSE);
    EXPECT_EQ(a.Simulation.Skill.Fit.VolumeError, b.Simulation.Skill.Fit.VolumeError);
}

// A search's evaluations share the series their sets have in common; each gives to the last
// bit what an evaluation of the set's own input gives, also after a set that stops.
TEST(Calibration, AnEvaluationOverThePreparedSeriesGivesWhatAFreshOneGives)
{
    const URainRun::TAnalysisInput input = URainRun::AsWritten(window("hymod-2014.inp"));
    const URainRun::TPreparedSeries series = URainRun::PrepareSeries(input);
    URainRun::TEvaluateOptions options;
    options.Simulate = URainRun::TSimulate::Fit;
    URainRun::TState kept;
    URainRun::TFirstReservoir set;
    const std::vector<TParameters> sets = {{50, 25, 1},    {80, 10, 0.4},    {500, 499, 3},
                                           {20, 0.5, 1.7}, {0.5, 0.1, 0.01}, {50, 25, 1}};
    for (const TParameters &p : sets) {
        URainRun::ApplyCalibration(input, p, set);
        const TEvaluation a = URainRun::Evaluate(series, set, kept, options);
        URainRun::TState fresh;
        const TEvaluation b =
            URainRun::Evaluate(CalibratedInput(input, p), fresh, URainRun::TSimulate::Fit);
        SCOPED_TRACE(p.MaxStor);
        expectSameEvaluation(a, b);
    }
}

// One scratch that evaluates over two series of the same length in turn simulates each set on
// its own series' window, never on the window it simulated before.
TEST(Calibration, OneScratchOverTwoSeriesSimulatesEachOnItsOwnWindow)
{
    const URainRun::TAnalysisInput first = URainRun::AsWritten(window("hymod-2014.inp"));
    const URainRun::TAnalysisInput second = URainRun::AsWritten(window("hymod-2015.inp"));
    ASSERT_EQ(first.Rows.size(), second.Rows.size());
    const URainRun::TPreparedSeries series[] = {URainRun::PrepareSeries(first),
                                                URainRun::PrepareSeries(second)};
    const URainRun::TAnalysisInput *inputs[] = {&first, &second};
    URainRun::TEvaluateOptions options;
    options.Simulate = URainRun::TSimulate::Fit;
    URainRun::TState shared;
    URainRun::TFirstReservoir set;
    const TParameters p{120, 60, 1};
    for (int k = 0; k < 4; ++k) {
        const URainRun::TAnalysisInput &input = *inputs[k % 2];
        URainRun::ApplyCalibration(input, p, set);
        const TEvaluation a = URainRun::Evaluate(series[k % 2], set, shared, options);
        URainRun::TState fresh;
        const TEvaluation b =
            URainRun::Evaluate(CalibratedInput(input, p), fresh, URainRun::TSimulate::Fit);
        SCOPED_TRACE(k);
        ASSERT_TRUE(a.Simulation.Made);
        expectSameEvaluation(a, b);
    }
}

// A storage so large that no rain reaches the main reservoir all year fits the runoff's
// recession well; the guard refuses it, and the calibration never returns such a set.
TEST(Calibration, TheGuardRefusesAYearWithoutRecharge)
{
    const URainRun::TAnalysisInput input = window("hymod-2015.inp");
    URainRun::TState state;
    const TEvaluation dry = URainRun::Evaluate(CalibratedInput(input, {500, 0.5, 3}), state);
    ASSERT_FALSE(dry.Stopped);
    EXPECT_LT(dry.VolumeRatio, 0.1);
    EXPECT_GT(dry.RSquare, 0.5);
    EXPECT_FALSE(Admissible(dry));

    const TResult r = CalibrateAnalysis(input, {}, nullptr).Search;
    EXPECT_GE(r.BestFit.VolumeRatio, MinVolumeRatio);
    EXPECT_LE(r.BestFit.VolumeRatio, MaxVolumeRatio);
}

URainRun::TAnalysisInput smallInput(int rows, double runoffScale)
{
    URainRun::TAnalysisInput input;
    input.Title1 = "Made-up catchment";
    input.MaxSto = 50;
    input.IniSto = 25;
    input.MaxEsc = 2;
    double q = 3;
    for (int i = 1; i <= rows; ++i) {
        const double rain = i % 7 == 0 ? 20 : 0;
        q = q * 0.8 + 0.1 * rain;
        input.Rows.push_back({i, double(i), rain, 1.5, runoffScale * q});
    }
    return input;
}

// Faults of the data are reported once, as a Save/Run reports them, and nothing is calibrated.
TEST(Calibration, BadInputIsReportedAndNothingIsCalibrated)
{
    test::TRecordingPrompts prompts;
    URainRun::TAnalysisInput flat = smallInput(40, 1);
    for (auto &row : flat.Rows)
        row.Runoff = 2;
    EXPECT_EQ(CalibrateAnalysis(flat, {}, &prompts).Status, TStatus::StartStopped);
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"There is no variation in runoff values. Rainfall-Runoff "
                                       "analysis cannot be made"});

    prompts.Messages.clear();
    URainRun::TAnalysisInput backwards = smallInput(40, 1);
    backwards.Rows[20].Time = 3;
    EXPECT_EQ(CalibrateAnalysis(backwards, {}, &prompts).Status, TStatus::StartStopped);
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{"Incorrect time sequence encountered. "
                                                         "Please correct the input file"});

    prompts.Messages.clear();
    EXPECT_EQ(CalibrateAnalysis(smallInput(11, 1), {}, &prompts).Status, TStatus::TooFewRows);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_NE(prompts.Messages[0].find("at least 12"), std::string::npos);

    // Five times more water runs off than rains: no set can send enough to the main reservoir.
    prompts.Messages.clear();
    const TCalibrationRun wet = CalibrateAnalysis(smallInput(60, 10), {}, &prompts);
    EXPECT_EQ(wet.Status, TStatus::NoAdmissibleSet);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_NE(prompts.Messages[0].find("between 0.5 and 2"), std::string::npos);
}

TEST(Calibration, TheCalibratedFileHoldsTheParametersAsTheWriterWritesThem)
{
    const URainRun::TAnalysisInput input = window("gr4j-1991.inp");
    const URainRun::TAnalysisInput calibrated = CalibratedInput(input, {123.456, 0.04749, 0.5});
    std::string text;
    ASSERT_TRUE(AnalysisInputText(calibrated, "out.inp", text));
    const std::vector<std::string> lines = splitLines(text);
    ASSERT_EQ(lines.size(), 14 + input.Rows.size());
    EXPECT_EQ(lines[6], " Filename: out.inp");
    EXPECT_EQ(lines[7], " Maximum dead storage:   123.46");
    EXPECT_EQ(lines[8], " Initial dead storage:  4.749E-0002");
    // The largest escape rate, 3.64, halved with the rates.
    EXPECT_EQ(lines[9], " Max.escape/time unit:     1.82");
    // Row 1 of 1991: escape 0.46 mm/day, halved and written in the scientific field.
    EXPECT_EQ(lines[14], "    1         1.00      14.10  2.300E-0001       2.81");
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
              std::count(text.begin(), text.end(), '\r'));
}

// ---- quellow-cli calibrate ----------------------------------------------------------------

int runCli(const std::string &arguments, const std::string &outFile)
{
    const std::string command = std::string("\"") + QUELLOW_CLI + "\" calibrate " + arguments +
                                " > \"" + outFile + "\" 2> \"" + outFile + ".err\"";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CalibrateCli, WritesAndRunsTheCalibratedFileAndPrintsJson)
{
    test::TTempDir dir;
    const std::string original = dir.File("gr4j-1991.inp");
    const std::string bytes = test::ReadBytes(test::TestData("windows/gr4j-1991.inp"));
    test::WriteBytes(original, bytes);
    const std::string printed = dir.File("printed.txt");
    ASSERT_EQ(runCli("\"" + original + "\" --json --evaluations 400 --threads 2", printed), 0);

    EXPECT_EQ(test::ReadBytes(original), bytes);
    const std::string output = dir.File("gr4j-1991-calibrated.inp");
    const std::string json = test::ReadBytes(printed);
    EXPECT_EQ(json.rfind("{\"file\":\"" + original + "\",\"status\":\"calibrated\",\"output\":\"" +
                             output + "\",\"start\":{\"MaxStor\":50,\"InitStor\":25,",
                         0),
              0u)
        << json;
    EXPECT_NE(json.find(",\"calibrated\":{\"MaxStor\":"), std::string::npos);
    EXPECT_NE(json.find("\"evaluations\":"), std::string::npos);

    // The calibrated file reads back to the parameters found, and its run reports the R square
    // the calibration found, as the output file writes it.
    URainRun::TAnalysisInput input, calibrated;
    ASSERT_TRUE(URainRun::ReadAnalysisInput(original, input, nullptr));
    ASSERT_TRUE(URainRun::ReadAnalysisInput(output, calibrated, nullptr));
    TOptions options;
    options.Evaluations = 400;
    options.Objective = TObjective::NSE; // the command's default
    const TResult r = CalibrateAnalysis(input, options, nullptr).Search;
    EXPECT_EQ(calibrated.MaxSto, r.Best.MaxStor);
    EXPECT_EQ(calibrated.IniSto, r.Best.InitStor);
    std::string expected;
    ASSERT_TRUE(AnalysisInputText(CalibratedInput(input, r.Best), output, expected));
    EXPECT_EQ(test::ReadBytes(output), expected);
    char line[64];
    std::snprintf(line, sizeof line, "Coefficient of explanation R square is:%8.3f\r\n",
                  r.BestFit.RSquare);
    const std::string out = test::ReadBytes(changeFileExt(output, ".out"));
    EXPECT_NE(out.find(line), std::string::npos) << line;
    EXPECT_TRUE(fileExists(changeFileExt(output, ".dat")));
}

TEST(CalibrateCli, RefusesWhatItCannotCalibrate)
{
    test::TTempDir dir;
    const std::string original = dir.File("a.inp");
    test::WriteBytes(original, test::ReadBytes(test::TestData("windows/hymod-2013.inp")));
    const std::string printed = dir.File("printed.txt");
    // Never over the file itself.
    EXPECT_EQ(runCli("\"" + original + "\" -o \"" + original + "\"", printed), 1);
    EXPECT_NE(test::ReadBytes(printed + ".err").find("would replace"), std::string::npos);

    const std::string prediction = dir.File("p.inp");
    test::WriteBytes(prediction, test::ReadBytes(test::TestData("pred-runoff.inp")));
    EXPECT_EQ(runCli("\"" + prediction + "\"", printed), 1);
    EXPECT_NE(test::ReadBytes(printed + ".err").find("prediction file"), std::string::npos);
    EXPECT_FALSE(fileExists(dir.File("p-calibrated.inp")));

    EXPECT_EQ(runCli("\"" + original + "\" --evaluations 10", printed), 2);
    EXPECT_EQ(runCli("", printed), 2);
    EXPECT_FALSE(fileExists(dir.File("a-calibrated.inp")));
}

} // namespace
} // namespace quellow::UCalibration
