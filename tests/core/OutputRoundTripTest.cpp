#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "runs/UPrediction.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <string>

using namespace quellow;
using namespace quellow::test;

namespace {

/// The value as the output file holds it: fixed-point with the given decimals, read back.
double written(double value, int decimals)
{
    double result = 0;
    EXPECT_TRUE(parseReal(trim(fixed(value, 10, decimals)), result));
    return result;
}

/// Copies an example input file into dir and returns the copy's path.
std::string example(const TTempDir &dir, const std::string &name)
{
    const std::string path = dir.File(name);
    WriteBytes(path, ReadBytes(std::string(QUELLOW_SOURCE_DIR) + "/Data/" + name));
    return path;
}

class OutputRoundTrip : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }
    TTempDir dir;
    TRecordingPrompts prompts;
};

TEST_F(OutputRoundTrip, PredictionReadsBackWhatTheRunWrote)
{
    for (const bool drainage : {true, false}) {
        ResetAllState();
        const std::string input = example(dir, drainage ? "Example-prediction-drainage.inp"
                                                        : "Example-prediction-runoff.inp");
        DMQuellow.FileName = input;
        DMQuellow.Analysis = false;
        DMQuellow.ModeTag = " Pre";
        DMQuellow.Drainage = drainage;
        UPrediction::RunPrediction();
        ASSERT_FALSE(UPrediction::State.PredFailed)
            << (prompts.Messages.empty() ? "" : prompts.Messages[0]);
        const TModelValues model = ModelValues;
        const UPrediction::TState &run = UPrediction::State;
        const int n = run.NrOfPred;

        DMQuellow = {};
        ModelValues = {};
        DMQuellow.OutFileName = changeFileExt(input, ".out");
        ASSERT_TRUE(DMQuellow.ReadOutputHeader());
        EXPECT_FALSE(DMQuellow.Analysis);
        EXPECT_EQ(DMQuellow.Drainage, drainage);
        EXPECT_EQ(DMQuellow.OutTag, "");
        ASSERT_TRUE(DMQuellow.ReadOutputFile(5));
        ASSERT_EQ(DMQuellow.NrOfData, n);
        EXPECT_EQ(DMQuellow.Drainage, drainage);
        for (int i = 1; i <= n; ++i) {
            const int row = i - 1;
            SCOPED_TRACE("step " + std::to_string(i));
            EXPECT_EQ(DMQuellow.Serial[row], run.PSerial[i]);
            EXPECT_EQ(DMQuellow.PlotX[row], written(run.PTime[i], 2));
            EXPECT_EQ(DMQuellow.PlotY3[row], written(RainArr[i], 2));
            EXPECT_EQ(DMQuellow.PlotY2[row], written(run.PRecharge[i], 2));
            EXPECT_EQ(DMQuellow.PlotY4[row], written(run.PAlpha[i], 3));
            EXPECT_EQ(DMQuellow.PlotY1[row], written(run.RunoffCalc[i], 2));
            EXPECT_EQ(DMQuellow.PlotY5[row], written(run.PLevel[i], 2));
        }
        EXPECT_EQ(ModelValues.A1, written(model.A1, 5));
        EXPECT_EQ(ModelValues.B1, written(model.B1, 5));
        EXPECT_EQ(ModelValues.A2, written(model.A2, 5));
        EXPECT_EQ(ModelValues.B2, written(model.B2, 5));
        EXPECT_EQ(ModelValues.Divide, written(model.Divide, 5));
    }
}

TEST_F(OutputRoundTrip, AnalysisReadsBackWhatTheRunWrote)
{
    const std::string input = example(dir, "Example-analysis.inp");
    DMQuellow.FileName = input;
    DMQuellow.Analysis = true;
    DMQuellow.ModeTag = " Ana";
    ASSERT_TRUE(URainRun::DivideSearch());
    const URainRun::TState &run = URainRun::State;
    const int n = run.DataCount;
    const double rSquare = ModelValues.RSquare;
    const double divide = ModelValues.Divide;
    const URainRun::TTrend trend = URainRun::Trend;

    DMQuellow = {};
    ModelValues = {};
    URainRun::Trend = {};
    DMQuellow.OutFileName = changeFileExt(input, ".out");
    ASSERT_TRUE(DMQuellow.ReadOutputHeader());
    EXPECT_EQ(DMQuellow.OutTag, "----");

    ASSERT_TRUE(DMQuellow.ReadOutputFile(1));
    ASSERT_EQ(DMQuellow.NrOfData, n);
    for (int i = 1; i <= n; ++i) {
        const int row = i - 1;
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(DMQuellow.Serial[row], run.SerialNo[i]);
        EXPECT_EQ(DMQuellow.PlotX[row], written(run.Series().StepTime[i], 2));
        EXPECT_EQ(DMQuellow.PlotY1[row], written(RainArr[i], 2));
        EXPECT_EQ(DMQuellow.PlotY2[row], written(run.Rech[i], 2));
        EXPECT_EQ(DMQuellow.PlotY4[row], written(run.Series().RunMeas[i], 2));
        EXPECT_EQ(DMQuellow.PlotY3[row], written(run.RunCalc[i], 2));
    }
    EXPECT_EQ(ModelValues.RSquare, written(rSquare, 3));

    ASSERT_TRUE(DMQuellow.ReadOutputFile(6));
    EXPECT_FALSE(DMQuellow.Quadratic);
    int row = 0;
    for (int i = 2; i <= n; ++i) {
        if (!run.Selected[i])
            continue;
        SCOPED_TRACE("selected row " + std::to_string(i));
        ASSERT_LT(row, DMQuellow.NrOfData);
        EXPECT_EQ(DMQuellow.Serial[row], run.SerialNo[i]);
        EXPECT_EQ(DMQuellow.PlotY1[row], written(run.Series().StepTime[i], 2));
        EXPECT_EQ(DMQuellow.PlotX[row], written(run.Series().RunMeas[i], 3));
        const double alpha = run.Series().RunMeas[i] > divide ? run.AlphaUp[i] : run.AlphaLow[i];
        EXPECT_EQ(DMQuellow.PlotY2[row], written(alpha, 3));
        EXPECT_EQ(DMQuellow.PlotY3[row], written(run.AlphaRegr[i], 4));
        ++row;
    }
    EXPECT_EQ(DMQuellow.NrOfData, row);

    ASSERT_TRUE(URainRun::ReadTrendFile(changeFileExt(input, ".dat")));
    EXPECT_EQ(URainRun::Trend.TrendQA, written(trend.TrendQA, 5));
    EXPECT_EQ(URainRun::Trend.TrendQB, written(trend.TrendQB, 5));
    EXPECT_EQ(URainRun::Trend.TrendQC, written(trend.TrendQC, 5));
}

} // namespace
