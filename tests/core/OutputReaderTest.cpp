#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UOutputReader.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

using namespace quellow;
using namespace quellow::test;

namespace {

using V = std::vector<double>;

class OutputReader : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// Reads kind from a copy of a test file changed by edit.
    template <typename Edit> bool readEdited(const std::string &source, int kind, Edit edit)
    {
        std::string bytes = ReadBytes(TestData(source));
        edit(bytes);
        DMQuellow.OutFileName = dir.File("edited.out");
        WriteBytes(DMQuellow.OutFileName, bytes);
        return DMQuellow.ReadOutputFile(kind);
    }

    /// Graph columns that a failed read must leave as they were.
    void presetColumns()
    {
        DMQuellow.PlotX = {9};
        DMQuellow.PlotY1 = {8};
        DMQuellow.PlotY5 = {7};
        DMQuellow.Serial = {6};
        DMQuellow.NrOfData = 1;
        ModelValues.RSquare = 0.5;
    }
    void expectColumnsUnchanged()
    {
        EXPECT_EQ(DMQuellow.PlotX, V{9});
        EXPECT_EQ(DMQuellow.PlotY1, V{8});
        EXPECT_EQ(DMQuellow.PlotY5, V{7});
        EXPECT_EQ(DMQuellow.Serial, std::vector<std::int32_t>{6});
        EXPECT_EQ(DMQuellow.NrOfData, 1);
        EXPECT_EQ(ModelValues.RSquare, 0.5);
    }

    TTempDir dir;
    TRecordingPrompts prompts;
};

TEST_F(OutputReader, HeaderOfAnAnalysisOutput)
{
    DMQuellow.OutFileName = TestData("analysis-small.out");
    DMQuellow.Analysis = true;
    ASSERT_TRUE(DMQuellow.ReadOutputHeader());
    EXPECT_EQ(DMQuellow.Title1, "Test catchment A");
    EXPECT_EQ(DMQuellow.Title2, "Hourly data, mm");
    EXPECT_EQ(DMQuellow.OutTag, "----");
    EXPECT_TRUE(DMQuellow.Analysis);
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(OutputReader, HeaderOfPredictionOutputsGivesTheSubMode)
{
    DMQuellow.Analysis = true;
    DMQuellow.OutFileName = TestData("prediction-drainage.out");
    ASSERT_TRUE(DMQuellow.ReadOutputHeader());
    EXPECT_EQ(DMQuellow.OutTag, "");
    EXPECT_FALSE(DMQuellow.Analysis);
    EXPECT_TRUE(DMQuellow.Drainage);
    EXPECT_EQ(DMQuellow.Title1, "Test catchment P");

    DMQuellow.OutFileName = TestData("prediction-runoff.out");
    ASSERT_TRUE(DMQuellow.ReadOutputHeader());
    EXPECT_FALSE(DMQuellow.Drainage);
}

TEST_F(OutputReader, ReconstructionTableForRunoffInTime)
{
    DMQuellow.OutFileName = TestData("analysis-small.out");
    DMQuellow.Time = {100, 200};
    DMQuellow.PlotY5 = {4, 4};
    ASSERT_TRUE(DMQuellow.ReadOutputFile(1));
    const TDMQuellow &dm = DMQuellow;
    EXPECT_EQ(dm.NrOfData, 12);
    ASSERT_EQ(dm.PlotX.size(), 12u);
    EXPECT_EQ(dm.Serial.front(), 1);
    EXPECT_EQ(dm.Serial.back(), 12);
    EXPECT_EQ(dm.PlotX[1], 2.0);   // time
    EXPECT_EQ(dm.PlotY1[1], 12.0); // rain
    EXPECT_EQ(dm.PlotY2[1], 8.0);  // recharge
    EXPECT_EQ(dm.PlotY3[9], 1.65); // calculated runoff
    EXPECT_EQ(dm.PlotY4[1], 5.2);  // measured runoff
    EXPECT_EQ(ModelValues.RSquare, 0.93);
    // The input series and the prediction column stay as they were.
    EXPECT_EQ(dm.Time, (V{100, 200}));
    EXPECT_EQ(dm.PlotY5, (V{4, 4}));
}

TEST_F(OutputReader, ObservedCalculatedTakesMeasuredRunoffAsX)
{
    DMQuellow.OutFileName = TestData("analysis-small.out");
    ASSERT_TRUE(DMQuellow.ReadOutputFile(7));
    EXPECT_EQ(DMQuellow.PlotX, DMQuellow.PlotY4);
    EXPECT_EQ(DMQuellow.PlotX[0], 2.5);
    EXPECT_EQ(ModelValues.RSquare, 0.93);
}

TEST_F(OutputReader, OtherReconstructionKindsLeaveRSquare)
{
    DMQuellow.OutFileName = TestData("analysis-small.out");
    ModelValues.RSquare = 0.25;
    ASSERT_TRUE(DMQuellow.ReadOutputFile(3));
    ASSERT_TRUE(DMQuellow.ReadOutputFile(8));
    EXPECT_EQ(ModelValues.RSquare, 0.25);
    EXPECT_EQ(DMQuellow.PlotX[11], 12.0);
}

TEST_F(OutputReader, RegressionTableForTheAlphaChart)
{
    DMQuellow.OutFileName = TestData("analysis-small.out");
    DMQuellow.Quadratic = true;
    ASSERT_TRUE(DMQuellow.ReadOutputFile(6));
    const TDMQuellow &dm = DMQuellow;
    EXPECT_EQ(dm.NrOfData, 8);
    EXPECT_EQ(dm.Serial, (std::vector<std::int32_t>{4, 5, 6, 8, 9, 10, 11, 12}));
    EXPECT_EQ(dm.PlotX, (V{3.2, 2.6, 2.1, 2.4, 1.9, 1.6, 1.4, 1.2})); // measured runoff
    EXPECT_EQ(dm.PlotY1, (V{4, 5, 6, 8, 9, 10, 11, 12}));             // time
    EXPECT_EQ(dm.PlotY4, dm.PlotY1);
    EXPECT_EQ(dm.PlotY2[0], 0.248); // measured alpha
    EXPECT_EQ(dm.PlotY3[7], 0.146); // regressed alpha
    EXPECT_FALSE(dm.Quadratic);
}

TEST_F(OutputReader, AlphaFunctionOtherThanTwoLinesIsQuadratic)
{
    ASSERT_TRUE(readEdited("analysis-small.out", 6,
                           [](std::string &b) { b.replace(b.find("if Discharge >"), 2, "IF"); }));
    EXPECT_TRUE(DMQuellow.Quadratic);
}

TEST_F(OutputReader, PredictionTableForWaterTable)
{
    DMQuellow.OutFileName = TestData("prediction-drainage.out");
    ASSERT_TRUE(DMQuellow.ReadOutputFile(5));
    const TDMQuellow &dm = DMQuellow;
    EXPECT_EQ(dm.NrOfData, 5);
    EXPECT_EQ(dm.PlotX, (V{0, 1, 2, 3, 4}));            // time
    EXPECT_EQ(dm.PlotY1, (V{1.2, 2.1, 1.8, 1.9, 1.6})); // runoff
    EXPECT_EQ(dm.PlotY2, (V{0, 12.5, 0, 3.25, 0}));     // recharge
    EXPECT_EQ(dm.PlotY3, (V{5, 20, 0, 8, 0}));          // rain
    EXPECT_EQ(dm.PlotY4[1], 0.124);                     // alpha
    EXPECT_EQ(dm.PlotY5, (V{0.8, 0.95, 0.9, 0.92, 0.86}));
    EXPECT_TRUE(dm.Drainage);
    EXPECT_EQ(ModelValues.A1, 0.02);
    EXPECT_EQ(ModelValues.B1, 0.1);
    EXPECT_EQ(ModelValues.A2, 0.04);
    EXPECT_EQ(ModelValues.B2, 0.05);
    EXPECT_EQ(ModelValues.Divide, 1.5);

    DMQuellow.OutFileName = TestData("prediction-runoff.out");
    ASSERT_TRUE(DMQuellow.ReadOutputFile(5));
    EXPECT_FALSE(DMQuellow.Drainage);
    EXPECT_EQ(DMQuellow.PlotY5, (V{30.5, 41.25, 36.0}));
}

TEST_F(OutputReader, OtherPredictionKindsLeaveTheModelValues)
{
    DMQuellow.OutFileName = TestData("prediction-runoff.out");
    DMQuellow.Drainage = true;
    ModelValues.A1 = 7;
    ASSERT_TRUE(DMQuellow.ReadOutputFile(2));
    ASSERT_TRUE(DMQuellow.ReadOutputFile(4));
    EXPECT_EQ(DMQuellow.NrOfData, 3);
    EXPECT_EQ(ModelValues.A1, 7);
    EXPECT_TRUE(DMQuellow.Drainage);
}

TEST_F(OutputReader, MissingFileGivesTheMessageAndChangesNothing)
{
    presetColumns();
    DMQuellow.OutFileName = dir.File("none.out");
    DMQuellow.Title1 = "kept";
    EXPECT_FALSE(DMQuellow.ReadOutputHeader());
    EXPECT_FALSE(DMQuellow.ReadOutputFile(1));
    const std::string expected = "The file \"" + dir.File("none.out") +
                                 "\"could not be opened. It may be damaged,  not created due to "
                                 "inadequateinput data, or in use by another program.";
    EXPECT_EQ(prompts.Messages, (std::vector<std::string>{expected, expected}));
    EXPECT_EQ(DMQuellow.Title1, "kept");
    expectColumnsUnchanged();
}

TEST_F(OutputReader, AFileThatIsNoOutputFileIsRefused)
{
    DMQuellow.OutFileName = dir.File("notes.out");
    WriteBytes(DMQuellow.OutFileName, "just\r\nsome\r\nnotes\r\n");
    DMQuellow.Title1 = "kept";
    DMQuellow.OutTag = "----";
    presetColumns();
    EXPECT_FALSE(DMQuellow.ReadOutputHeader());
    for (int kind = 1; kind <= 8; ++kind)
        EXPECT_FALSE(DMQuellow.ReadOutputFile(kind)) << kind;
    EXPECT_EQ(DMQuellow.Title1, "kept");
    EXPECT_EQ(DMQuellow.OutTag, "----");
    expectColumnsUnchanged();
    ASSERT_EQ(prompts.Messages.size(), 9u);
    EXPECT_EQ(prompts.Messages[0], "The file \"" + DMQuellow.OutFileName +
                                       "\" is not an output file of Quellow: it holds neither "
                                       "analysis nor prediction results, so no graph can be made "
                                       "from it.");
    EXPECT_EQ(prompts.Messages[1], "The file \"" + DMQuellow.OutFileName +
                                       "\" has no reconstruction table (no line beginning with "
                                       "\"RECO\"). The graph cannot be drawn.");
}

TEST_F(OutputReader, KindsOfTheOtherModeFindNoTable)
{
    presetColumns();
    DMQuellow.OutFileName = TestData("prediction-drainage.out");
    EXPECT_FALSE(DMQuellow.ReadOutputFile(1));
    EXPECT_FALSE(DMQuellow.ReadOutputFile(6)); // its rules belong to the prediction table
    DMQuellow.OutFileName = TestData("analysis-small.out");
    EXPECT_FALSE(DMQuellow.ReadOutputFile(2));
    expectColumnsUnchanged();
    ASSERT_EQ(prompts.Messages.size(), 3u);
    EXPECT_EQ(prompts.Messages[1], "The file \"" + TestData("prediction-drainage.out") +
                                       "\" holds prediction results and has no regression "
                                       "table. The graph cannot be drawn.");
    EXPECT_NE(prompts.Messages[2].find("(no line beginning with \"PRED\")"), std::string::npos);
}

TEST_F(OutputReader, TruncatedOrCorruptTablesAreRefused)
{
    presetColumns();
    // Cut inside the reconstruction rows: no closing rule.
    EXPECT_FALSE(readEdited("analysis-small.out", 1,
                            [](std::string &b) { b.resize(b.find(" 7        7.00")); }));
    EXPECT_NE(prompts.Messages.back().find("ends inside its reconstruction table"),
              std::string::npos);
    // Cut right after the title: the search stops at the end of the file.
    EXPECT_FALSE(readEdited("prediction-drainage.out", 2, [](std::string &b) {
        b.resize(b.find("PREDICTION drainage:\r\n") + 22);
    }));
    EXPECT_NE(prompts.Messages.back().find("ends inside its prediction table"), std::string::npos);
    // A damaged number.
    EXPECT_FALSE(readEdited("prediction-drainage.out", 2,
                            [](std::string &b) { b.replace(b.find("12.50"), 5, "12,50"); }));
    EXPECT_EQ(prompts.Messages.back(), "The file \"" + DMQuellow.OutFileName +
                                           "\" has an unreadable number on line 22. The graph "
                                           "cannot be drawn.");
    expectColumnsUnchanged();
}

TEST_F(OutputReader, ATableWithoutRowsIsRefused)
{
    presetColumns();
    EXPECT_FALSE(readEdited("prediction-runoff.out", 4, [](std::string &b) {
        const auto first = b.find("   1      0.00");
        b.erase(first, b.find("---------------------------------------------------------------\r\n",
                              first) -
                           first);
    }));
    EXPECT_NE(prompts.Messages.back().find("has no rows in its prediction table"),
              std::string::npos);
    expectColumnsUnchanged();
}

TEST_F(OutputReader, UnreadableRSquareCountsAsZero)
{
    ModelValues.RSquare = 0.5;
    ASSERT_TRUE(readEdited("analysis-small.out", 7,
                           [](std::string &b) { b.replace(b.find("   0.930"), 8, "  ******"); }));
    EXPECT_EQ(ModelValues.RSquare, 0.0);
    // The observed runoff still becomes the x column.
    EXPECT_EQ(DMQuellow.PlotX, DMQuellow.PlotY4);
}

TEST_F(OutputReader, LineEndsAndAMissingLastEmptyLineDoNotMatter)
{
    ASSERT_TRUE(readEdited("analysis-small.out", 1, [](std::string &b) {
        std::string lf;
        for (char c : b)
            if (c != '\r')
                lf += c;
        b = lf.substr(0, lf.size() - 1); // no empty last line
    }));
    EXPECT_EQ(DMQuellow.NrOfData, 12);
    EXPECT_EQ(ModelValues.RSquare, 0.93);
}

TEST_F(OutputReader, AnalysisDivideTakesEitherSeparator)
{
    LineSet lines(13);
    lines[11] = "if Discharge > 2.00 then A =  0.0500  C =  0.1000";
    EXPECT_EQ(UOutputReader::parseAnalysisDivide(lines), 2.0);
    lines[11] = "if Discharge > 0,35 then A =  0.0500  C =  0.1000";
    EXPECT_EQ(UOutputReader::parseAnalysisDivide(lines), 0.35);
    lines[11] = "A1 =   0.02000 B1 =   0.10000";
    EXPECT_FALSE(UOutputReader::parseAnalysisDivide(lines).has_value());
}

} // namespace
