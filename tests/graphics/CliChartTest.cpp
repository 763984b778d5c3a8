#include "graphics/UChartDrawing.h"
#include "files/UDMQuellow.h"
#include "tests/support/TRecordingPrompts.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>

using namespace quellow;
using namespace quellow::test;

namespace {

struct TResult : TShellResult
{
    std::string Err;
};

/// Runs quellow-cli chart with arguments (already quoted as needed).
TResult runChart(const TTempDir &dir, const std::string &arguments)
{
    const std::string errFile = dir.File("stderr.txt");
    TResult result{
        RunShell(std::string("'") + QUELLOW_CLI + "' chart " + arguments + " 2>'" + errFile + "'"),
        ReadBytes(errFile)};
    return result;
}

std::string quoted(const std::string &path)
{
    return "'" + path + "'";
}

class CliChart : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }
    TTempDir dir;
    TRecordingPrompts prompts;
};

TEST_F(CliChart, DrawsTheSameBitmapAsTheGraphicsTab)
{
    const std::string bmp = dir.File("chart.bmp");
    const TResult result =
        runChart(dir, quoted(TestData("analysis-small.out")) + " --kind 1 -o " + quoted(bmp));
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "");

    DMQuellow.OutFileName = TestData("analysis-small.out");
    QImage expected = UChartDrawing::newChartImage();
    ASSERT_TRUE(UChartDrawing::makeChart(1, expected));
    EXPECT_EQ(QImage(QString::fromStdString(bmp)).convertToFormat(QImage::Format_RGB32), expected);
}

TEST_F(CliChart, DescribeReportsTheLayout)
{
    const TResult result =
        runChart(dir, quoted(TestData("prediction-drainage.out")) + " --kind 5 --describe");
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out,
              "{\"XFactor\":1,\"YFactor\":1,\"XLeft\":0,\"XRight\":4,\"YBottom\":0,\"YTop\":2,"
              "\"XIntervals\":4,\"YIntervals\":4,\"XDecimals\":1,\"YDecimals\":1,"
              "\"YLabels\":[\"2.0\",\"1.5\",\"1.0\",\"0.5\",\"0.0\"],"
              "\"XLabels\":[\"0.0\",\"1.0\",\"2.0\",\"3.0\",\"4.0\"],"
              "\"XCaption\":\"Time\",\"YCaption\":\"Water table height (predicted, mm)\","
              "\"Legends\":[],\"NrOfData\":5,\"RSquare\":0}\n");
}

TEST_F(CliChart, RechargeRunoffReadsTheTrendFileBesideTheOutput)
{
    const std::string copy = dir.File("copy.out");
    WriteBytes(copy, ReadBytes(TestData("analysis-small.out")));
    TResult result = runChart(dir, quoted(copy) + " --kind 8 -o " + quoted(dir.File("c.png")));
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, "The trend file \"" + dir.File("copy.dat") +
                              "\" could not be read. The recharge-runoff graph needs the trend "
                              "that the analysis writes beside its output file.\n");
    EXPECT_EQ(ReadBytes(dir.File("c.png")), "");

    WriteBytes(dir.File("copy.dat"), ReadBytes(TestData("analysis-small.dat")));
    result = runChart(dir, quoted(copy) + " --kind 8 --describe");
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_NE(result.Out.find("\"Legends\":[\" o   observed\",\"---  trend line\",\"---  quadr. "
                              "trend\"]"),
              std::string::npos);
}

TEST_F(CliChart, BadRequestsFailWithAReason)
{
    const std::string out = quoted(TestData("analysis-small.out"));
    EXPECT_EQ(runChart(dir, out + " --kind 9 -o x.bmp").Status, 2);
    EXPECT_EQ(runChart(dir, out + " -o x.bmp").Status, 2);
    EXPECT_EQ(runChart(dir, out + " --kind 1").Status, 2);
    TResult result = runChart(dir, out + " --kind 2 --describe");
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_NE(result.Err.find("has no prediction table"), std::string::npos);
    result = runChart(dir, out + " --kind 1 -o " + quoted(dir.File("chart.gif")));
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("must end in .bmp or .png"), std::string::npos);
}

} // namespace
