#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace quellow;
using namespace quellow::test;
namespace run = quellow::URainRun;

namespace {

struct TRow
{
    double time, rain, escape, runoff;
};

/// An analysis input file in the written layout; rows numbered from 1.
std::string AnalysisInput(const std::vector<TRow> &rows, double maxSto = 10, double iniSto = 5,
                          double maxEsc = 1, const std::string &unitsLine = "")
{
    std::string text = " Input data for Quellow program\r\n Analysis and reconstruction\r\n\r\n"
                       "Test catchment\r\nmm per day\r\n\r\n Filename: case.inp\r\n";
    text += " Maximum dead storage: " + choice(maxSto, 8, 2) + "\r\n";
    text += " Initial dead storage: " + choice(iniSto, 8, 2) + "\r\n";
    text += " Max.escape/time unit: " + choice(maxEsc, 8, 2) + "\r\n\r\n";
    const std::string rule = " " + std::string(49, '-') + "\r\n";
    text += rule + "  Serial    T i m e   R a i n    Esc. rate Run-off\r\n";
    if (!unitsLine.empty())
        text += unitsLine + "\r\n";
    text += rule;
    int serial = 0;
    for (const TRow &row : rows) {
        char line[160];
        std::snprintf(line, sizeof line, "%5d %12.6g %10.6g %10.6g %10.6g\r\n", ++serial, row.time,
                      row.rain, row.escape, row.runoff);
        text += line;
    }
    return text;
}

/// Daily rows from rain and runoff columns, escape rate 0.
std::vector<TRow> Daily(const std::vector<double> &rain, const std::vector<double> &runoff)
{
    std::vector<TRow> rows;
    for (std::size_t k = 0; k < rain.size(); ++k)
        rows.push_back({static_cast<double>(k + 1), rain[k], 0.0, runoff[k]});
    return rows;
}

std::vector<std::string> Lines(const std::string &text)
{
    return splitLines(text);
}

/// A golden output file with its line 5 naming the input file actually used.
std::string GoldenOutput(const std::string &name, const std::string &inputPath)
{
    std::string text = ReadBytes(TestData(name));
    const std::string label = "Name of input file used: ";
    const std::size_t start = text.find(label);
    const std::size_t end = text.find("\r\n", start);
    return text.replace(start + label.size(), end - start - label.size(), inputPath);
}

/// Serial numbers of the rows of the alpha table (from line 20 to the next rule).
std::vector<int> AlphaTableSerials(const std::string &out)
{
    const std::vector<std::string> lines = Lines(out);
    std::vector<int> serials;
    for (std::size_t k = 19; k < lines.size() && lines[k].rfind("----", 0) != 0; ++k)
        serials.push_back(std::stoi(lines[k]));
    return serials;
}

class RecordingHooks : public run::TSearchHooks
{
public:
    void AfterRun(int k) override { Runs.push_back(k); }
    std::vector<int> Runs;
};

const char *const GeneralWarning = "Quellow may not give a satisfactory solution owing to "
                                   "particular, uncommon, data or anomalies.";

class AnalysisRun : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// Writes text as dir/name, points the data module at it and runs the divide search.
    bool Search(const std::string &text, const std::string &name = "case.inp")
    {
        WriteBytes(dir.File(name), text);
        DMQuellow.FileName = dir.File(name);
        return run::DivideSearch(&hooks);
    }
    bool OutputExists(const std::string &name = "case") const
    {
        return fileExists(dir.File(name + ".out"));
    }
    bool TrendExists(const std::string &name = "case") const
    {
        return fileExists(dir.File(name + ".dat"));
    }

    TTempDir dir;
    TRecordingPrompts prompts;
    RecordingHooks hooks;
};

// ---- Golden files ------------------------------------------------------------------------

struct TGolden
{
    const char *name;
    double fraction;                   ///< divide fraction of the chosen trial
    bool relaxed;                      ///< the second selection pass was needed
    std::vector<std::string> messages; ///< in order
};

class AnalysisGolden : public AnalysisRun, public ::testing::WithParamInterface<TGolden>
{
};

TEST_P(AnalysisGolden, OutputAndTrendFilesMatchByteForByte)
{
    const TGolden &golden = GetParam();
    const std::string name = golden.name;
    const std::string input = ReadBytes(TestData(name + ".inp"));
    ASSERT_FALSE(input.empty());
    ASSERT_TRUE(Search(input, name + ".inp"));
    EXPECT_EQ(ReadBytes(dir.File(name + ".out")),
              GoldenOutput(name + ".out", dir.File(name + ".inp")));
    EXPECT_EQ(ReadBytes(dir.File(name + ".dat")), ReadBytes(TestData(name + ".dat")));
    EXPECT_EQ(prompts.Messages, golden.messages);
    EXPECT_DOUBLE_EQ(run::State.DivideFraction, golden.fraction);
    EXPECT_EQ(hooks.Runs, (std::vector<int>{1, 2, 3, 4, 5, run::FinalRun}));
    EXPECT_EQ(DMQuellow.FileName, dir.File(name + ".inp"));

    // The relaxed pass is the only one that can select the last row or a row with recharge.
    const run::TState &s = run::State;
    bool beyondFirstPass = s.Selected[s.DataCount] != 0;
    for (int i = 2; i <= s.DataCount; ++i)
        beyondFirstPass = beyondFirstPass || (s.Selected[i] && s.Rech[i] >= 0.001);
    EXPECT_EQ(beyondFirstPass, golden.relaxed);
}

INSTANTIATE_TEST_SUITE_P(
    Series, AnalysisGolden,
    ::testing::Values(
        // Three storms; both ranges get alpha values in the first pass; trial 3 (0.5) wins.
        // Row 2 reports the recharge of row 1 (20.00) although its rain is 12.
        TGolden{"analysis-two-ranges", 0.5, false, {}},
        // Drizzle keeps the recharge above 0.001: two dry rows only, so the relaxed pass adds
        // the rows whose recharge is below 10 % of the previous runoff.
        TGolden{"analysis-relaxed", 0.3, true, {GeneralWarning}},
        // Runoff halves every dry step: the trials lie within 0.001 of each other and trial 1
        // is chosen although trial 3 has the smallest sum of squares.
        TGolden{"analysis-close-trials", 0.3, true, {GeneralWarning}}),
    [](const ::testing::TestParamInfo<TGolden> &info) {
        std::string name;
        for (const char *c = info.param.name; *c; ++c)
            if (*c != '-')
                name += *c;
        return name;
    });

TEST_F(AnalysisRun, CloseTrialsChooseTheFirstWithinTheMargin)
{
    ASSERT_TRUE(Search(ReadBytes(TestData("analysis-close-trials.inp"))));
    const auto &result = run::State.TrialResult;
    EXPECT_LT(result[3], result[1]);
    EXPECT_LT(result[1] - result[3], 0.001);
    EXPECT_EQ(run::ChooseTrial(result), 1);
}

TEST_F(AnalysisRun, TwoRangesHandChecked)
{
    ASSERT_TRUE(Search(ReadBytes(TestData("analysis-two-ranges.inp"))));
    const run::TState &s = run::State;
    EXPECT_EQ(s.DataCount, 24);
    // Row 1: rain 30 against a deficit of 20 - 10 = 10 gives 20; row 2 is raised to it.
    EXPECT_DOUBLE_EQ(s.Rech[1], 20.0);
    EXPECT_DOUBLE_EQ(s.Rech[2], 20.0);
    // Row 3 falls from 2.72 to 2.08 in one day: alpha = ln(2.72 / 2.08) = 0.26826.
    EXPECT_NEAR(s.AlphaLow[3], 0.26826, 1e-5);
    // Divide 0.53 + 0.5 * (4.47 - 0.53) = 2.50.
    EXPECT_NEAR(ModelValues.Divide, 2.50, 1e-12);
    // The final run's sum of squares lands in slot 5.
    EXPECT_DOUBLE_EQ(s.TrialResult[5], s.SSE);
}

TEST_F(AnalysisRun, ChooseTrialTakesTheFirstWithinOneThousandth)
{
    EXPECT_EQ(run::ChooseTrial({0, 1.0005, 1.0, 2, 2, 2}), 1);
    EXPECT_EQ(run::ChooseTrial({0, 1.002, 1.0, 2, 2, 2}), 2);
    EXPECT_EQ(run::ChooseTrial({0, 3, 3, 3, 3, 3}), 1);
    EXPECT_EQ(run::ChooseTrial({0, 5, 4, 3, 2, 1}), 5);
    EXPECT_EQ(run::ChooseTrial({0, 2, 2, 1.0009, 1.0, 2}), 3);
}

// ---- Invariants over every golden series and the example -----------------------------------

TEST_F(AnalysisRun, AlphaTableListsExactlySelectedRowsAndRSquareIsBounded)
{
    for (const std::string name :
         {"analysis-two-ranges", "analysis-relaxed", "analysis-close-trials"}) {
        ResetAllState();
        ASSERT_TRUE(Search(ReadBytes(TestData(name + ".inp")), name + ".inp")) << name;
        const std::vector<int> listed = AlphaTableSerials(ReadBytes(dir.File(name + ".out")));
        std::vector<int> selected;
        for (int i = 2; i <= run::State.DataCount; ++i)
            if (run::State.Selected[i])
                selected.push_back(i);
        EXPECT_EQ(listed, selected) << name;
        EXPECT_GE(ModelValues.RSquare, 0.01) << name;
        EXPECT_LE(ModelValues.RSquare, 0.99) << name;
    }
}

TEST_F(AnalysisRun, RSquareIsClampedAtBothEnds)
{
    // Runoff that ignores the rain entirely: far worse than half the variance.
    const std::vector<double> rain = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<double> poor = {1, 9, 8, 2, 9, 8, 7, 1, 9, 7, 6, 1};
    ASSERT_TRUE(Search(AnalysisInput(Daily(rain, poor))));
    EXPECT_DOUBLE_EQ(ModelValues.RSquare, 0.01);
    EXPECT_NE(ReadBytes(dir.File("case.out")).find("R square is:   0.010\r\n\r\n"),
              std::string::npos);
    // A clean halving recession is reproduced exactly.
    ResetAllState();
    ASSERT_TRUE(Search(
        AnalysisInput(Daily(rain, {64, 32, 16, 8, 4, 2, 1, 0.5, 0.25, 0.125, 0.0625, 0.03125}))));
    EXPECT_DOUBLE_EQ(ModelValues.RSquare, 0.99);
}

// ---- Stopping conditions ---------------------------------------------------------------------

TEST_F(AnalysisRun, NoVariationInRunoffStopsAfterTheFirstTrial)
{
    // Runoff 0 is read as 0.001 throughout.
    EXPECT_FALSE(
        Search(AnalysisInput(Daily(std::vector<double>(12, 0.0), std::vector<double>(12, 0.0)))));
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"There is no variation in runoff values. "
                                       "Rainfall-Runoff analysis cannot be made"});
    EXPECT_TRUE(DMQuellow.RunHalted);
    EXPECT_FALSE(run::State.RunOK);
    EXPECT_TRUE(hooks.Runs.empty());
    EXPECT_FALSE(OutputExists());
    EXPECT_FALSE(TrendExists());
}

TEST_F(AnalysisRun, NoVariationInTimeStopsAfterTheFirstTrial)
{
    std::vector<TRow> rows =
        Daily(std::vector<double>(12, 0.0), {9, 8, 7, 6, 5, 4, 3, 2, 1, 2, 3, 4});
    for (TRow &row : rows)
        row.time = 5;
    EXPECT_FALSE(Search(AnalysisInput(rows)));
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{
                  "There is no variation in time Rainfall-Runoff analysis cannot be made"});
    EXPECT_TRUE(DMQuellow.RunHalted);
    EXPECT_FALSE(OutputExists());
}

TEST_F(AnalysisRun, NegativeTimeStepIsReportedOnceAndKeepsTheOldOutput)
{
    WriteBytes(dir.File("case.out"), "old results\r\n");
    std::vector<TRow> rows =
        Daily(std::vector<double>(12, 0.0), {9, 8, 7, 6, 5, 4, 3, 2, 1.5, 1.2, 1.1, 1});
    rows[5].time = 3.5;
    EXPECT_FALSE(Search(AnalysisInput(rows)));
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{
                  "Incorrect time sequence encountered. Please correct the input file"});
    EXPECT_TRUE(run::State.TimeOrderError);
    EXPECT_TRUE(hooks.Runs.empty());
    EXPECT_EQ(ReadBytes(dir.File("case.out")), "old results\r\n");
    EXPECT_FALSE(TrendExists());
}

TEST_F(AnalysisRun, ZeroMaximumStorageIsReportedOnce)
{
    const auto rows =
        Daily(std::vector<double>(12, 0.0), {9, 8, 7, 6, 5, 4, 3, 2, 1.5, 1.2, 1.1, 1});
    EXPECT_FALSE(Search(AnalysisInput(rows, 0, 0)));
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{"The Maximum Storage must be > 0"});
    EXPECT_FALSE(run::State.StorageOK);
    EXPECT_FALSE(OutputExists());
}

TEST_F(AnalysisRun, NoDryDataIsReportedOnce)
{
    const auto rows =
        Daily(std::vector<double>(12, 50.0), {9, 8, 7, 6, 5, 4, 3, 2, 1.5, 1.2, 1.1, 1});
    EXPECT_FALSE(Search(AnalysisInput(rows)));
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"There are no zero rainfalls. The program cannot be run. "
                                       "Use the QuellowT model instead."});
    EXPECT_TRUE(run::State.NoDryData);
    EXPECT_FALSE(OutputExists());
}

// Rain 10 (all of it recharge, as the dead storage is full and nothing escapes) except on the
// rows listed as dry.
std::vector<double> RainExcept(std::size_t count, std::initializer_list<std::size_t> dryRows)
{
    std::vector<double> rain(count, 10.0);
    for (std::size_t row : dryRows)
        rain[row - 1] = 0;
    return rain;
}

TEST_F(AnalysisRun, FewerThanThreeSelectedRowsHaltTheFinalRunOnly)
{
    WriteBytes(dir.File("case.out"), "old results\r\n");
    const std::vector<double> runoff = {5, 6, 7, 6.5, 6, 7, 8, 7.5, 8, 9, 8.5, 9};
    EXPECT_FALSE(Search(AnalysisInput(Daily(RainExcept(12, {4, 5}), runoff), 5, 5, 0)));
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"The number of data with little rainfall is not enough to "
                                       "determine the reaction factor.The program halts"});
    EXPECT_TRUE(run::State.TooFewLowRain);
    EXPECT_EQ(run::State.SelectedCount, 2);
    // The trials ran on and were reported; the final run was stopped and wrote nothing.
    EXPECT_EQ(hooks.Runs, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ReadBytes(dir.File("case.out")), "old results\r\n");
    EXPECT_FALSE(TrendExists());
}

TEST_F(AnalysisRun, ExactlyThreeSelectedRowsWarnAndRunOn)
{
    const std::vector<double> runoff = {5, 6, 7, 6.5, 6, 5.5, 7, 8, 7.5, 8, 9, 8.5};
    EXPECT_TRUE(Search(AnalysisInput(Daily(RainExcept(12, {4, 5, 6}), runoff), 5, 5, 0)));
    // The few-data warning replaces the general warning.
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"The number of data with little rainfall is limited. The "
                                       "data fit may not be very close."});
    EXPECT_EQ(run::State.SelectedCount, 3);
    EXPECT_TRUE(run::State.FewLowRainWarned);
    EXPECT_TRUE(OutputExists());
    EXPECT_TRUE(TrendExists());
}

TEST_F(AnalysisRun, FewRowsInTheLowerRangeWarn)
{
    // The dry recession lies above every possible divide (at most 1 + 0.7 * 9 = 7.3).
    const std::vector<double> runoff = {2, 10, 9.8, 9.6, 9.4, 9.2, 3, 2.5, 2, 1.5, 3, 1};
    EXPECT_TRUE(Search(AnalysisInput(Daily(RainExcept(12, {3, 4, 5, 6}), runoff), 5, 5, 0)));
    EXPECT_EQ(
        prompts.Messages,
        std::vector<std::string>{"The number of data with little rainfall in the lower "
                                 "discharge range is small. The data fit may not be very close."});
    EXPECT_EQ(run::State.LowerCount, 0);
    EXPECT_TRUE(run::State.FewLowRainWarned);
    EXPECT_TRUE(OutputExists());
}

TEST_F(AnalysisRun, TwoEqualRunoffPairsWarnWithTheirCount)
{
    const std::vector<double> rain = {20, 0, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0};
    std::vector<double> runoff = {4, 3.5, 3, 2.6, 2.3, 2, 5, 4.4, 3.9, 3.4, 3, 2.7, 2.4, 2.1};
    ASSERT_TRUE(Search(AnalysisInput(Daily(rain, runoff), 20, 10, 1)));
    for (const std::string &text : prompts.Messages)
        EXPECT_EQ(text.find("instances"), std::string::npos);

    ResetAllState();
    prompts.Messages.clear();
    runoff[3] = 3;    // rows 3 and 4
    runoff[10] = 3.4; // rows 10 and 11
    ASSERT_TRUE(Search(AnalysisInput(Daily(rain, runoff), 20, 10, 1)));
    ASSERT_FALSE(prompts.Messages.empty());
    EXPECT_EQ(prompts.Messages.front(),
              "There are 2 instances of zero recharge linked to equal runoff. This hampers the "
              "determination of an effective response factor (alpha). Please correct.");
}

TEST_F(AnalysisRun, TrendVertexInsideTheRainRangeWarns)
{
    const std::vector<double> rain = {0, 25, 14, 0, 0, 0,  0, 0, 28, 0,
                                      0, 0,  0,  0, 0, 35, 0, 0, 5,  0};
    const std::vector<double> runoff = {3.04, 6.17, 6.81, 4.88, 3.78, 2.79, 2.1,  1.8,  4.98, 3.95,
                                        2.9,  2.43, 1.84, 1.46, 1.19, 5.41, 4.05, 3.16, 2.42, 1.88};
    std::vector<TRow> rows = Daily(rain, runoff);
    for (TRow &row : rows)
        row.escape = 1;
    ASSERT_TRUE(Search(AnalysisInput(rows, 10, 5, 1)));
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"The quadratic trend of the relation between rainfall and "
                                       "runoff data shows an inconsistency. See output graphics"});
    // Vertex -0.5 * B / A = 15.3 lies inside 3.5 .. 31.5.
    const double vertex = -0.5 * run::Trend.TrendQB / run::Trend.TrendQA;
    EXPECT_GT(vertex, 3.5);
    EXPECT_LT(vertex, 31.5);
}

TEST_F(AnalysisRun, MoreThan1501RowsAreRefusedWithoutOutput)
{
    std::vector<TRow> rows;
    for (int i = 1; i <= 1502; ++i)
        rows.push_back({double(i), i % 10 == 0 ? 20.0 : 0.0, 0.0, 10.0 - i % 10 * 0.5});
    EXPECT_FALSE(Search(AnalysisInput(rows)));
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"The input file holds more than 1501 data rows. "
                                       "Rainfall-Runoff analysis cannot be made"});
    EXPECT_FALSE(OutputExists());

    // 1501 rows fill every slot and run.
    ResetAllState();
    prompts.Messages.clear();
    rows.pop_back();
    EXPECT_TRUE(Search(AnalysisInput(rows)));
    EXPECT_EQ(run::State.DataCount, 1501);
}

TEST_F(AnalysisRun, UnreadableRowIsReportedOnce)
{
    std::string text = AnalysisInput(
        Daily(std::vector<double>(12, 0.0), {9, 8, 7, 6, 5, 4, 3, 2, 1.5, 1.2, 1.1, 1}));
    text.replace(text.find("1.5"), 3, "1x5");
    EXPECT_FALSE(Search(text));
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{"Real numbers in the inputfile \"" +
                                                         dir.File("case.inp") + "\" are corrupt"});
    EXPECT_FALSE(OutputExists());
}

TEST_F(AnalysisRun, MissingInputFileIsReportedOnce)
{
    DMQuellow.FileName = dir.File("none.inp");
    EXPECT_FALSE(run::DivideSearch());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0], "The file \"" + dir.File("none.inp") +
                                       "\"could not be opened. It may be damaged or in use by "
                                       "another program.");
}

TEST_F(AnalysisRun, OutputThatCannotBeWrittenIsReportedAndNotAnnounced)
{
    std::filesystem::create_directory(dir.File("case.out"));
    EXPECT_FALSE(Search(ReadBytes(TestData("analysis-two-ranges.inp"))));
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{"The file \"" + dir.File("case.out") +
                                                         "\"could not be opened. It may be "
                                                         "damaged or in use by another program."});
    EXPECT_FALSE(run::State.OutputWritten);
    EXPECT_EQ(hooks.Runs, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(AnalysisRun, StaleFinalRunFlagsDoNotStopTheNextSearch)
{
    const std::vector<double> runoff = {5, 6, 7, 6.5, 6, 7, 8, 7.5, 8, 9, 8.5, 9};
    EXPECT_FALSE(Search(AnalysisInput(Daily(RainExcept(12, {4, 5}), runoff), 5, 5, 0)));
    ASSERT_TRUE(run::State.TooFewLowRain);
    prompts.Messages.clear();
    hooks.Runs.clear();
    ASSERT_TRUE(Search(ReadBytes(TestData("analysis-two-ranges.inp")), "analysis-two-ranges.inp"));
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_EQ(ReadBytes(dir.File("analysis-two-ranges.out")),
              GoldenOutput("analysis-two-ranges.out", dir.File("analysis-two-ranges.inp")));
}

// ---- Rules of the determination ---------------------------------------------------------------

TEST_F(AnalysisRun, EscapeNeverTakesMoreThanTheDeadStorageHolds)
{
    // A small storage against a large escape rate and long steps.
    std::vector<TRow> rows;
    for (int i = 1; i <= 40; ++i)
        rows.push_back({3.0 * i, i % 8 == 1 ? 30.0 : 0.0, 25.0, 8.0 * std::pow(0.8, i % 8) + 1});
    ASSERT_TRUE(Search(AnalysisInput(rows, 1, 0.5, 25)));
    for (int i = 1; i <= run::State.DataCount; ++i) {
        EXPECT_GE(run::State.ActSto[i], 0.0) << i;
        EXPECT_LE(run::State.StoDef[i], 1.0 + 1e-12) << i;
    }
    const std::string out = ReadBytes(dir.File("case.out"));
    EXPECT_EQ(out.find("nan"), std::string::npos);
    EXPECT_EQ(out.find("inf"), std::string::npos);
}

TEST_F(AnalysisRun, ZeroTimeStepRowIsDroppedAndNotCounted)
{
    std::vector<TRow> rows = Daily({20, 0, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0},
                                   {4, 3.5, 3, 2.6, 2.3, 2, 5, 4.4, 3.9, 3.4, 3, 2.7, 2.4, 2.1});
    rows[4].time = rows[3].time; // row 5 ends when row 4 ends
    ASSERT_TRUE(Search(AnalysisInput(rows, 20, 10, 1)));
    EXPECT_FALSE(run::State.Selected[5]);
    EXPECT_TRUE(run::State.Selected[4]);
    const std::vector<int> listed = AlphaTableSerials(ReadBytes(dir.File("case.out")));
    EXPECT_EQ(std::count(listed.begin(), listed.end(), 5), 0);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), 4), 1);
}

TEST_F(AnalysisRun, RangeWithTwoDistinctRunoffsRegressesLinearly)
{
    // Four lower-range points at runoffs 2, 1, 2, 1: no parabola goes through two runoffs, so
    // the regressed alpha is the straight line, the mean measured alpha at each runoff.
    const std::vector<double> rain = {10, 0, 0, 0, 0, 10, 0, 0, 0, 0, 10, 0};
    const std::vector<double> runoff = {20, 18, 16, 2, 1, 20, 17, 15, 2, 1, 19, 2};
    ASSERT_TRUE(Search(AnalysisInput(Daily(rain, runoff), 5, 5, 0)));
    const run::TState &s = run::State;
    ASSERT_EQ(s.LowerRegCount, 4);
    EXPECT_EQ(s.UpperRegCount, 4);
    EXPECT_NEAR(s.AlphaRegr[4], (std::log(16.0 / 2) + std::log(15.0 / 2)) / 2, 1e-12);
    EXPECT_NEAR(s.AlphaRegr[9], s.AlphaRegr[4], 1e-12);
    EXPECT_NEAR(s.AlphaRegr[5], std::log(2.0), 1e-12);
    EXPECT_NEAR(s.AlphaRegr[10], std::log(2.0), 1e-12);
    // The upper range has four distinct runoffs: its parabola is used.
    EXPECT_NEAR(s.AlphaRegr[2], s.QuadUp[0] * 18 * 18 + s.QuadUp[1] * 18 + s.QuadUp[2], 1e-12);
}

TEST_F(AnalysisRun, RowAtTheDivideBelongsToTheLowerRange)
{
    // Runoff from 1 to 3 and the fraction 0.5: the divide is exactly 2.
    const std::vector<double> rain = {10, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0};
    const std::vector<double> runoff = {3, 2.5, 2, 1.5, 1.2, 1, 3, 2.4, 2, 1.6, 1.3, 1.1};
    WriteBytes(dir.File("case.inp"), AnalysisInput(Daily(rain, runoff), 5, 5, 0));
    DMQuellow.FileName = dir.File("case.inp");
    run::State.DivideFraction = 0.5;
    run::State.RunCounter = 5;
    run::AnalysisRun();
    ASSERT_TRUE(run::State.OutputWritten);
    EXPECT_EQ(ModelValues.Divide, 2.0);
    EXPECT_EQ(run::State.UpperCount, 2);
    EXPECT_EQ(run::State.LowerCount, 7);
    EXPECT_EQ(run::State.AlphaUp[3], 0.0);
    const auto lines = Lines(ReadBytes(dir.File("case.out")));
    EXPECT_EQ(lines[11].substr(0, 19), "if Discharge > 2.00");
    // Rows 3 and 9 fall to 2 from 2.5 and 2.4: alpha ln 1.25 = 0.223 and ln 1.2 = 0.182.
    EXPECT_EQ(lines[20].substr(0, 34), " 3        3.00     2.000     0.223");
    EXPECT_EQ(lines[25].substr(0, 34), " 9        9.00     2.000     0.182");
}

TEST_F(AnalysisRun, ElevenDryStepsLeaveTheEleventhOutOfTheFirstPass)
{
    // One storm, then a long recession: the first pass keeps ten dry steps.
    std::vector<double> rain(16, 0.0), runoff;
    rain[0] = 30;
    rain[15] = 30;
    for (int i = 0; i < 16; ++i)
        runoff.push_back(20 * std::pow(0.85, i));
    runoff[15] = 20;
    run::State.DivideFraction = 0.5;
    run::State.RunCounter = 1;
    run::State.Silent = true;
    WriteBytes(dir.File("case.inp"), AnalysisInput(Daily(rain, runoff), 20, 10, 0));
    DMQuellow.FileName = dir.File("case.inp");
    run::DetermineAlpha();
    // Rows 2..11 are the first ten dry steps; row 12 is the eleventh.
    EXPECT_EQ(run::State.UpperCount + run::State.LowerCount, 10);
    EXPECT_TRUE(run::State.Selected[11]);
    EXPECT_FALSE(run::State.Selected[12]);
    EXPECT_FALSE(run::State.Selected[1]);
}

TEST_F(AnalysisRun, SilentRunKeepsRSquareAndFillsItsTrialSlot)
{
    ModelValues.RSquare = 0.42;
    WriteBytes(dir.File("case.inp"), ReadBytes(TestData("analysis-two-ranges.inp")));
    DMQuellow.FileName = dir.File("case.inp");
    run::State.DivideFraction = 0.4;
    run::State.RunCounter = 2;
    run::State.Silent = true;
    run::AnalysisRun();
    EXPECT_DOUBLE_EQ(ModelValues.RSquare, 0.42);
    EXPECT_GT(run::State.TrialResult[2], 0.0);
    EXPECT_DOUBLE_EQ(run::State.TrialResult[1], 0.0);
    EXPECT_FALSE(OutputExists());
    EXPECT_FALSE(TrendExists());
}

TEST_F(AnalysisRun, ZeroInitialStorageIsRunAsTenPercent)
{
    const auto rows = Daily({20, 0, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0},
                            {4, 3.5, 3, 2.6, 2.3, 2, 5, 4.4, 3.9, 3.4, 3, 2.7, 2.4, 2.1});
    ASSERT_TRUE(Search(AnalysisInput(rows, 20, 0, 1)));
    const auto lines = Lines(ReadBytes(dir.File("case.out")));
    EXPECT_EQ(lines[7], "Initial dead storage:    2.00 mm");
}

// An initial storage above the maximum: the excess leaves as recharge on the first row and the
// reservoir starts full, so the run is the run of a full start with the excess added to the
// first row's rain, byte for byte but for the initial storage and that rain.
TEST_F(AnalysisRun, InitialStorageAboveTheMaximumLeavesAsFirstRecharge)
{
    const std::vector<double> runoff = {4, 3.5, 3, 2.6, 2.3, 2, 5, 4.4, 3.9, 3.4, 3, 2.7, 2.4, 2.1};
    auto rows = Daily({2, 0, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0}, runoff);
    for (TRow &row : rows)
        row.escape = 0.2;
    ASSERT_TRUE(Search(AnalysisInput(rows, 10, 16, 1), "wet.inp"));
    const std::vector<std::string> wetMessages = prompts.Messages;
    const run::TState wet = run::State;
    EXPECT_EQ(wet.Rech[1], 8);
    EXPECT_EQ(wet.StoDef[1], 0);
    EXPECT_EQ(wet.ActSto[1], 10);
    EXPECT_EQ(wet.Rech[3], 0); // a dry day gives no water

    rows[0].rain = 8;
    prompts.Messages.clear();
    ASSERT_TRUE(Search(AnalysisInput(rows, 10, 10, 1), "full.inp"));
    EXPECT_EQ(wetMessages, prompts.Messages);
    for (int i = 1; i <= 14; ++i)
        EXPECT_EQ(wet.Rech[i], run::State.Rech[i]) << i;
    std::string expected = ReadBytes(dir.File("full.out"));
    auto replace = [&expected](const std::string &from, const std::string &to) {
        const std::size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace(dir.File("full.inp"), dir.File("wet.inp"));
    replace("Initial dead storage:   10.00 mm", "Initial dead storage:   16.00 mm");
    replace(" 1        1.00      8.00", " 1        1.00      2.00");
    EXPECT_EQ(ReadBytes(dir.File("wet.out")), expected);
    EXPECT_EQ(ReadBytes(dir.File("wet.dat")), ReadBytes(dir.File("full.dat")));
}

TEST_F(AnalysisRun, AnalysisLeavesThePredictionCoefficientsAlone)
{
    ModelValues.A1 = 7;
    ModelValues.A2 = 8;
    ASSERT_TRUE(Search(ReadBytes(TestData("analysis-two-ranges.inp"))));
    EXPECT_EQ(ModelValues.A1, 7);
    EXPECT_EQ(ModelValues.A2, 8);
    EXPECT_NE(run::State.QuadLow[0], 0.0);
}

TEST_F(AnalysisRun, DivideFollowsTheLocaleSeparatorAndNothingElseDoes)
{
    DecimalSeparator = ',';
    ASSERT_TRUE(Search(ReadBytes(TestData("analysis-two-ranges.inp"))));
    const auto lines = Lines(ReadBytes(dir.File("case.out")));
    EXPECT_EQ(lines[11], "if Discharge > 2,50 then A =  0.0104  C =  0.1788");
    EXPECT_EQ(lines[12], "if Discharge < 2,50 then A =  0.0461  C =  0.1237");
    std::vector<std::string> golden =
        Lines(GoldenOutput("analysis-two-ranges.out", dir.File("case.inp")));
    ASSERT_EQ(golden.size(), lines.size());
    golden[11] = lines[11];
    golden[12] = lines[12];
    EXPECT_EQ(lines, golden);
}

TEST_F(AnalysisRun, UnitsLineOfOlderFilesGivesTimeAndDepthUnits)
{
    const auto rows = Daily({20, 0, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0},
                            {4, 3.5, 3, 2.6, 2.3, 2, 5, 4.4, 3.9, 3.4, 3, 2.7, 2.4, 2.1});
    // The units fields are 22 and 11 characters wide; blanks and full stops are dropped.
    std::string timeField = "  Serial T.i.m.e. R", depthField = " ain.  R";
    timeField.resize(22, ' ');
    depthField.resize(11, ' ');
    ASSERT_TRUE(Search(AnalysisInput(rows, 20, 10, 1, timeField + depthField)));
    EXPECT_EQ(run::State.TimeUnit, "t");
    EXPECT_EQ(run::State.DepthUnit, "depth/t");
    const auto lines = Lines(ReadBytes(dir.File("case.out")));
    EXPECT_EQ(lines[8], "Max. escape/time unit:   1.00 depth/t");
    EXPECT_EQ(lines[17], "          t        depth/t");
    const std::size_t units2 =
        std::find(lines.begin(), lines.end(), "RECONSTRUCTION:") - lines.begin() + 4;
    EXPECT_EQ(lines[units2], std::string(10, ' ') + "t" + std::string(9, ' ') + "depth/t" +
                                 std::string(3, ' ') + "depth/t" + std::string(3, ' ') + "depth/t" +
                                 std::string(13, ' ') + "depth/t");
}

TEST_F(AnalysisRun, SearchExposesTheRowCountForTheWindow)
{
    ASSERT_TRUE(Search(ReadBytes(TestData("analysis-relaxed.inp"))));
    EXPECT_EQ(run::State.DataCount, 20);
}

// ---- The example and quellow-cli -------------------------------------------------------------

TEST_F(AnalysisRun, ExampleIsAWrittenInputFileAndRunsCleanly)
{
    const std::string source = std::string(QUELLOW_SOURCE_DIR) + "/Data/Example-analysis.inp";
    DMQuellow.FileName = source;
    ASSERT_TRUE(DMQuellow.ReadInputFile());
    EXPECT_TRUE(DMQuellow.Analysis);
    DMQuellow.FileName = "Example-analysis.inp";
    std::string text;
    ASSERT_TRUE(InputFileText(DMQuellow, ModelValues, text));
    EXPECT_EQ(text, ReadBytes(source));

    ResetAllState();
    ASSERT_TRUE(Search(ReadBytes(source), "Example-analysis.inp"));
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_GT(ModelValues.RSquare, 0.9);
    EXPECT_GE(run::State.DataCount, 200);
}

std::string Quoted(const std::string &text)
{
    return "'" + text + "'";
}

TEST_F(AnalysisRun, CliRunsAnAnalysisFileToOutputAndTrendFiles)
{
    const std::string input = dir.File("Example-analysis.inp");
    WriteBytes(input, ReadBytes(std::string(QUELLOW_SOURCE_DIR) + "/Data/Example-analysis.inp"));
    const std::string errors = dir.File("stderr.txt");
    const std::string command =
        Quoted(QUELLOW_CLI) + " run " + Quoted(input) + " 2>" + Quoted(errors);
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(errors), "");
    EXPECT_EQ(ReadBytes(dir.File("Example-analysis.out")),
              GoldenOutput("Example-analysis.out", input));
    EXPECT_EQ(ReadBytes(dir.File("Example-analysis.dat")),
              ReadBytes(TestData("Example-analysis.dat")));
}

TEST_F(AnalysisRun, CliWritesTheDivideWithTheSeparatorOfItsLocale)
{
    const std::string input = dir.File("Example-analysis.inp");
    WriteBytes(input, ReadBytes(std::string(QUELLOW_SOURCE_DIR) + "/Data/Example-analysis.inp"));
    const std::string command = "LC_ALL=de_DE.UTF-8 " + Quoted(QUELLOW_CLI) + " run " +
                                Quoted(input) + " 2>" + Quoted(dir.File("stderr.txt"));
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<std::string> lines = Lines(ReadBytes(dir.File("Example-analysis.out")));
    std::vector<std::string> golden = Lines(GoldenOutput("Example-analysis.out", input));
    ASSERT_EQ(lines.size(), golden.size());
    EXPECT_EQ(lines[11], "if Discharge > 5,19 then A =  0.0048  C =  0.0710");
    EXPECT_EQ(lines[12], "if Discharge < 5,19 then A =  0.0055  C =  0.0580");
    golden[11] = lines[11];
    golden[12] = lines[12];
    EXPECT_EQ(lines, golden);
    // The trend file has no divide: full stops only.
    EXPECT_EQ(ReadBytes(dir.File("Example-analysis.dat")),
              ReadBytes(TestData("Example-analysis.dat")));
}

TEST_F(AnalysisRun, CliReportsAStoppedAnalysisOnStandardErrorAndFails)
{
    const std::string input = dir.File("case.inp");
    const auto rows =
        Daily(std::vector<double>(12, 50.0), {9, 8, 7, 6, 5, 4, 3, 2, 1.5, 1.2, 1.1, 1});
    WriteBytes(input, AnalysisInput(rows));
    const std::string errors = dir.File("stderr.txt");
    const std::string command =
        Quoted(QUELLOW_CLI) + " run " + Quoted(input) + " 2>" + Quoted(errors);
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadBytes(errors), "There are no zero rainfalls. The program cannot be run. Use the "
                                 "QuellowT model instead.\n");
    EXPECT_FALSE(OutputExists());
}

} // namespace
