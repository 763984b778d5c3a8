#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputChecks.h"
#include "files/UInputFile.h"
#include "runs/UPrediction.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace quellow;
using namespace quellow::test;
namespace P = quellow::UPrediction;

namespace {

struct TRowValues
{
    double Time, Rain, Escape;
};

class Prediction : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// The golden output with the input file's path in line 5.
    static std::string Golden(const std::string &name, const std::string &inputPath)
    {
        std::string text = ReadBytes(TestData(name));
        text.replace(text.find("@INPUT@"), 7, inputPath);
        return text;
    }

    /// Copies a test input file into the temporary folder and makes it the current input file.
    std::string UseCopy(const std::string &name)
    {
        const std::string path = dir.File(name);
        WriteBytes(path, ReadBytes(TestData(name)));
        DMQuellow.FileName = path;
        return path;
    }

    /// Writes a prediction input file with these rows and parameters through the writer.
    std::string WriteInput(const std::vector<TRowValues> &rows, bool drainage,
                           const std::string &name = "run.inp")
    {
        TDMQuellow dm;
        dm.FileName = dir.File(name);
        dm.ModeTag = " Pre";
        dm.Drainage = drainage;
        dm.MaxStor = maxStor;
        dm.InitStor = initStor;
        dm.MaxEscape = 1;
        dm.Porosity = porosity;
        dm.InitRun = initRun;
        dm.InitLevel = 10;
        dm.NrOfData = static_cast<std::int32_t>(rows.size());
        for (const auto &row : rows) {
            dm.Time.push_back(row.Time);
            dm.Rain.push_back(row.Rain);
            dm.Escape.push_back(row.Escape);
        }
        std::string text;
        EXPECT_TRUE(InputFileText(dm, values, text));
        WriteBytes(dm.FileName, text);
        DMQuellow.FileName = dm.FileName;
        DMQuellow.Drainage = drainage;
        return dm.FileName;
    }

    double maxStor = 10, initStor = 10, porosity = 5, initRun = 1;
    TModelValues values{0.1, 0.2, 0.05, 0.1, 1, 0};
    TTempDir dir;
    TRecordingPrompts prompts;
};

const char *const NoVariation = "There is no variation in time The hydrograph cannot be made";
const char *const BadSequence = "Incorrect time sequence encountered Please correct the input file";

// ---- Golden files ----------------------------------------------------------------------------

TEST_F(Prediction, RunoffOutputByteForByte)
{
    const std::string input = UseCopy("pred-runoff.inp");
    DMQuellow.Drainage = false;
    P::RunPrediction();
    EXPECT_FALSE(P::State.PredFailed);
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_EQ(ReadBytes(dir.File("pred-runoff.out")), Golden("pred-runoff.out", input));
    EXPECT_EQ(DMQuellow.FileName, input);
    EXPECT_EQ(DMQuellow.Title1, "Runoff test");
    EXPECT_EQ(DMQuellow.InitRun, 2);
    EXPECT_EQ(DMQuellow.InitLevel, 50);
    EXPECT_EQ(ModelValues.A1, 0.1);
    EXPECT_DOUBLE_EQ(P::State.PDeadStor[2], 9);
}

TEST_F(Prediction, DrainageOutputByteForByte)
{
    // Serials 7, 42 and 123; the unit "m.m" after the escape rate; Divide 0 with an initial
    // runoff of 0 takes the upper piece (B1 = 0.0005, raised to 0.01); three steps, 24 lines.
    const std::string input = UseCopy("pred-drainage.inp");
    DMQuellow.Drainage = true;
    P::RunPrediction();
    EXPECT_FALSE(P::State.PredFailed);
    EXPECT_TRUE(prompts.Messages.empty());
    const std::string output = ReadBytes(dir.File("pred-drainage.out"));
    EXPECT_EQ(output, Golden("pred-drainage.out", input));
    EXPECT_EQ(splitLines(output).size(), 24u);
    EXPECT_EQ(P::State.UnitText, "mm/t");
    EXPECT_EQ(ModelValues.Divide, 0);
}

TEST_F(Prediction, OutputNamesTheInputWithItsInpExtension)
{
    const std::string path = dir.File("series.txt");
    WriteBytes(path, ReadBytes(TestData("pred-runoff.inp")));
    DMQuellow.FileName = path;
    P::RunPrediction();
    ASSERT_FALSE(P::State.PredFailed);
    EXPECT_EQ(ReadBytes(dir.File("series.out")), Golden("pred-runoff.out", dir.File("series.inp")));
}

// ---- Reading and the time series -------------------------------------------------------------

TEST_F(Prediction, UnitTextIsNormalised)
{
    const std::string base = ReadBytes(TestData("pred-drainage.inp"));
    const std::vector<std::pair<std::string, std::string>> units = {
        {"", ""},      {" mm", "mm/t"},       {" c m", "cm/t"}, {" dm.", "dm/t"},
        {" m", "m/t"}, {" mm/day", "mm/day"}, {" inch", "inch"}};
    for (const auto &[written, expected] : units) {
        std::string text = base;
        text.replace(text.find(" m.m"), 4, written);
        P::ReadPredictionLines(splitLines(text), "x.inp");
        EXPECT_FALSE(P::State.PredFailed);
        EXPECT_EQ(P::State.UnitText, expected) << written;
    }
}

TEST_F(Prediction, ASingleRowHasNoVariationInTime)
{
    WriteInput({{1, 5, 0}}, false);
    P::RunPrediction();
    EXPECT_TRUE(P::State.PredFailed);
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{NoVariation});
    EXPECT_FALSE(fileExists(dir.File("run.out")));
}

TEST_F(Prediction, ATimeStepOfZeroStopsTheRun)
{
    WriteBytes(dir.File("run.out"), "previous output");
    WriteInput({{0, 1, 0}, {1, 1, 0}, {1, 1, 0}, {2, 1, 0}}, false);
    P::RunPrediction();
    EXPECT_TRUE(P::State.PredFailed);
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{BadSequence});
    EXPECT_EQ(ReadBytes(dir.File("run.out")), "previous output");

    // A good run afterwards clears the flag.
    prompts.Messages.clear();
    WriteInput({{0, 1, 0}, {1, 1, 0}}, false);
    P::RunPrediction();
    EXPECT_FALSE(P::State.PredFailed);
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(Prediction, AtMost501Steps)
{
    std::vector<TRowValues> rows;
    for (int i = 0; i < 501; ++i)
        rows.push_back({static_cast<double>(i), 2, 1});
    WriteInput(rows, true);
    P::RunPrediction();
    EXPECT_FALSE(P::State.PredFailed);
    EXPECT_EQ(P::State.NrOfPred, 501);
    EXPECT_EQ(splitLines(ReadBytes(dir.File("run.out"))).size(), 20u + 501 + 1);

    rows.push_back({501, 2, 1});
    WriteInput(rows, true, "long.inp");
    P::RunPrediction();
    EXPECT_TRUE(P::State.PredFailed);
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"The input file \"" + dir.File("long.inp") +
                                       "\" holds more than 501 time steps. A prediction can "
                                       "handle at most 501 steps; please split the series."});
    EXPECT_FALSE(fileExists(dir.File("long.out")));
}

TEST_F(Prediction, NoMaximumStorageOrNoPorosityIsRefused)
{
    maxStor = 0;
    initStor = 0;
    WriteInput({{0, 1, 0}, {1, 1, 0}}, false);
    P::RunPrediction();
    porosity = 0;
    maxStor = 10;
    WriteInput({{0, 1, 0}, {1, 1, 0}}, true);
    P::RunPrediction();
    EXPECT_TRUE(P::State.PredFailed);
    const std::string path = dir.File("run.inp");
    EXPECT_EQ(prompts.Messages, (std::vector<std::string>{
                                    "The maximum dead storage in the input file \"" + path +
                                        "\" must be larger than 0 for a prediction.",
                                    "The effective porosity in the input file \"" + path +
                                        "\" must be larger than 0 for a drainage prediction."}));
    EXPECT_FALSE(fileExists(dir.File("run.out")));

    // Porosity plays no part in the runoff sub-mode.
    prompts.Messages.clear();
    WriteInput({{0, 1, 0}, {1, 1, 0}}, false);
    P::RunPrediction();
    EXPECT_FALSE(P::State.PredFailed);
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(Prediction, AnAlphaFunctionOfZeroThroughoutIsRefused)
{
    // Run with alpha on its floor at every step, the output would look like a result.
    values = {0, 0, 0, 0, 1, 0};
    const std::string path = WriteInput({{0, 1, 0}, {1, 1, 0}}, false);
    P::RunPrediction();
    EXPECT_TRUE(P::State.PredFailed);
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{UInputChecks::ZeroAlphaFailure(values, path)});
    EXPECT_NE(prompts.Messages[0].find("is 0 for every runoff"), std::string::npos);
    EXPECT_FALSE(fileExists(dir.File("run.out")));
    // Save/Run and convert refuse to write it, in the sheet's words.
    TDMQuellow dm;
    dm.NrOfData = 2;
    dm.Time = {0, 1};
    dm.Rain = dm.Escape = {1, 1};
    dm.MaxStor = 10;
    dm.Porosity = 5;
    EXPECT_EQ(UInputChecks::SaveFailure(dm, values), UInputChecks::ZeroAlphaFailure(values));
    dm.Analysis = true;
    dm.Runoff = {1, 1};
    EXPECT_EQ(UInputChecks::SaveFailure(dm, values), "");

    // One coefficient that is not 0 will do, a negative one too.
    prompts.Messages.clear();
    values.B2 = -1e-9;
    WriteInput({{0, 1, 0}, {1, 1, 0}}, false);
    P::RunPrediction();
    EXPECT_FALSE(P::State.PredFailed);
    EXPECT_TRUE(prompts.Messages.empty());
}

// ---- Dead storage and routing ----------------------------------------------------------------

TEST_F(Prediction, TheDeadStorageNeverLosesMoreThanItHolds)
{
    // Escape 30 per step from a storage of 10: without the limit the storage would go to -20 and
    // then swing without bound.
    std::vector<TRowValues> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back({static_cast<double>(i), 0, 30});
    rows[150].Rain = 25;
    WriteInput(rows, false);
    P::RunPrediction();
    ASSERT_FALSE(P::State.PredFailed);
    EXPECT_EQ(P::State.PDeadStor[1], 10);
    EXPECT_EQ(P::State.PDeadStor[2], 0);
    EXPECT_EQ(P::State.PDeadStor[150], 0);
    // The deficit is the whole storage: 25 mm of rain refill 10 and give 15 mm of recharge.
    EXPECT_EQ(P::State.PDeadStor[151], 10);
    EXPECT_EQ(P::State.PRecharge[151], 15);
    EXPECT_EQ(P::State.PDeadStor[152], 0);
    for (int j = 1; j <= 200; ++j)
        EXPECT_GE(P::State.PDeadStor[j], 0) << j;
}

TEST_F(Prediction, RainBelowTheDeficitGivesNoRechargeAndTheRunoffDecays)
{
    initStor = 2; // deficit 8
    WriteInput({{0, 3, 0}, {1, 2, 0}, {3, 2, 0}}, false);
    P::RunPrediction();
    ASSERT_FALSE(P::State.PredFailed);
    const auto &s = P::State;
    EXPECT_EQ(s.PRecharge[1], 0);
    EXPECT_EQ(s.PRecharge[2], 0);
    EXPECT_EQ(s.PRecharge[3], 0);
    EXPECT_EQ(s.PDeadStor[3], 9);
    // Q = 1 is not above the divide 1: alpha = 0.05 * 1 + 0.1.
    EXPECT_DOUBLE_EQ(s.PAlpha[2], 0.15);
    EXPECT_DOUBLE_EQ(s.RunoffCalc[2], std::exp(-0.15));
    EXPECT_DOUBLE_EQ(s.RunoffCalc[3], s.RunoffCalc[2] * std::exp(-2 * s.PAlpha[3]));
    EXPECT_DOUBLE_EQ(s.PLevel[3], 10 - s.RunoffCalc[2] - s.RunoffCalc[3]);
    EXPECT_EQ(s.PAlpha[1], 0);
}

TEST_F(Prediction, SmallAlphaIsRaisedPerSubMode)
{
    values = {0, 0.0005, 0, 0.0005, 0, 0};
    WriteInput({{0, 0, 0}, {1, 0, 0}}, true);
    P::RunPrediction();
    EXPECT_EQ(P::State.PAlpha[2], 0.01);
    WriteInput({{0, 0, 0}, {1, 0, 0}}, false);
    P::RunPrediction();
    EXPECT_EQ(P::State.PAlpha[2], 0.001);
}

TEST_F(Prediction, ANegativeB1RaisesTheFirstRunoff)
{
    values = {1, -0.5, 0, 0.1, 0, 0};
    initRun = 0.2;
    WriteInput({{0, 0, 0}, {1, 0, 0}}, false);
    P::RunPrediction();
    EXPECT_DOUBLE_EQ(P::State.RunoffCalc[1], 0.55);
    // An initial runoff above -B1 is kept.
    initRun = 0.6;
    WriteInput({{0, 0, 0}, {1, 0, 0}}, false);
    P::RunPrediction();
    EXPECT_EQ(P::State.RunoffCalc[1], 0.6);
}

// As in the analysis: a start above the maximum storage gives its excess as the first row's
// recharge and starts full, the same output as a full start with the excess as rain but for
// those two figures.
TEST_F(Prediction, InitialStorageAboveTheMaximumLeavesAsFirstRecharge)
{
    const std::vector<TRowValues> rows = {{0, 2, 0.5}, {1, 0, 0.5}, {2, 0, 0.5}, {3, 6, 0.5}};
    initStor = 16;
    WriteInput(rows, false, "wet.inp");
    P::RunPrediction();
    ASSERT_FALSE(P::State.PredFailed);
    EXPECT_EQ(P::State.PRecharge[1], 8);
    EXPECT_EQ(P::State.PDeadStor[1], 10);
    EXPECT_EQ(P::State.PRecharge[2], 0);
    auto full = rows;
    full[0].Rain = 8;
    initStor = 10;
    WriteInput(full, false, "full.inp");
    P::RunPrediction();
    std::string expected = ReadBytes(dir.File("full.out"));
    for (const auto &[from, to] :
         {std::pair<std::string, std::string>{dir.File("full.inp"), dir.File("wet.inp")},
          {"Initial dead storage:    10.00 mm", "Initial dead storage:    16.00 mm"},
          {"   1      0.00      8.00", "   1      0.00      2.00"}}) {
        const std::size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    }
    EXPECT_EQ(ReadBytes(dir.File("wet.out")), expected);
}

TEST_F(Prediction, DivideZeroPutsZeroRunoffInTheUpperPiece)
{
    values = {0.1, 0.3, 0.1, 0.05, 0, 0};
    initRun = 0;
    WriteInput({{0, 0, 0}, {1, 0, 0}}, false);
    P::RunPrediction();
    EXPECT_EQ(P::State.PAlpha[2], 0.3);
    EXPECT_EQ(ModelValues.Divide, 0);
}

// ---- Bad files -------------------------------------------------------------------------------

TEST_F(Prediction, BadFilesStopTheRunWithAMessageAndNoOutput)
{
    const std::string good = ReadBytes(TestData("pred-runoff.inp"));
    std::string corrupt = good;
    corrupt.replace(corrupt.find("20.00"), 5, "2O.00");
    std::string nan = good;
    nan.replace(nan.find("1.0000E-001"), 11, "nan");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"corrupt.inp", corrupt},
        {"nan.inp", nan},
        {"cut.inp", good.substr(0, 300)},
        {"binary.inp", std::string("\x7f"
                                   "ELF\0\1\2",
                                   7)},
        {"empty.inp", ""}};
    for (const auto &[name, text] : files)
        WriteBytes(dir.File(name), text);
    const std::string corruptText = "A program error occurred.Real numbers in the inputfile \"";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing.inp", "The file \"" + dir.File("missing.inp") + "\"could not be opened."},
        {"corrupt.inp", corruptText + dir.File("corrupt.inp") + "\" are corrupt"},
        {"nan.inp", corruptText + dir.File("nan.inp") + "\" are corrupt"},
        {"cut.inp", corruptText + dir.File("cut.inp") + "\" are corrupt"},
        {"binary.inp", "The file \"" + dir.File("binary.inp") + "\" is not a text file."},
        {"empty.inp", corruptText + dir.File("empty.inp") + "\" are corrupt"}};
    for (const auto &[name, start] : cases) {
        prompts.Messages.clear();
        DMQuellow.FileName = dir.File(name);
        DMQuellow.Title1 = "kept";
        P::RunPrediction();
        EXPECT_TRUE(P::State.PredFailed) << name;
        ASSERT_EQ(prompts.Messages.size(), 1u) << name;
        EXPECT_EQ(prompts.Messages[0].rfind(start, 0), 0u) << prompts.Messages[0];
        EXPECT_EQ(DMQuellow.Title1, "kept") << name;
        EXPECT_FALSE(fileExists(changeFileExt(dir.File(name), ".out"))) << name;
    }
}

TEST_F(Prediction, AnOutputThatCannotBeWrittenFailsTheRun)
{
    UseCopy("pred-runoff.inp");
    std::filesystem::create_directory(dir.File("pred-runoff.out"));
    P::RunPrediction();
    EXPECT_TRUE(P::State.PredFailed);
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"The file \"" + dir.File("pred-runoff.out") +
                                       "\"could not be opened. It may be damaged or in use by "
                                       "another program."});

    // An input named .out would be replaced by its own output.
    prompts.Messages.clear();
    const std::string path = dir.File("odd.out");
    WriteBytes(path, ReadBytes(TestData("pred-runoff.inp")));
    DMQuellow.FileName = path;
    P::RunPrediction();
    EXPECT_TRUE(P::State.PredFailed);
    EXPECT_EQ(ReadBytes(path), ReadBytes(TestData("pred-runoff.inp")));
    EXPECT_EQ(prompts.Messages.size(), 1u);
}

} // namespace
