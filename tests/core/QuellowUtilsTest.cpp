#include "files/UDMQuellow.h"
#include "runs/UQuellowUtils.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

using namespace quellow;
using namespace quellow::test;
using namespace quellow::UQuellowUtils;

namespace {

using V = std::vector<double>;
using S = std::vector<std::string>;

class ChartEngine : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// Rows of the graph columns; y5 only when given.
    static void setRows(const V &x, const V &y1, const V &y2, const V &y3, const V &y4,
                        const V &y5 = {})
    {
        TDMQuellow &dm = DMQuellow;
        dm.NrOfData = static_cast<int>(x.size());
        dm.PlotX = x;
        const auto fill = [&](const V &v) { return v.empty() ? V(x.size(), 0.0) : v; };
        dm.PlotY1 = fill(y1);
        dm.PlotY2 = fill(y2);
        dm.PlotY3 = fill(y3);
        dm.PlotY4 = fill(y4);
        dm.PlotY5 = fill(y5);
    }
    /// A prediction runoff chart (kind 2) has its vertical values in PlotY1.
    static void kind2(const V &time, const V &runoff) { setRows(time, runoff, {}, {}, {}); }

    TRecordingPrompts prompts;
};

TEST_F(ChartEngine, RoundingTakesHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(roundEven(2.5), 2);
    EXPECT_EQ(roundEven(3.5), 4);
    EXPECT_EQ(roundEven(-0.5), 0);
    EXPECT_EQ(roundEven(-1.5), -2);
    EXPECT_EQ(roundEven(2.4999), 2);
}

TEST_F(ChartEngine, RunoffUpTo7Point3AgainstAYear)
{
    setRows({1, 100, 200, 365}, {}, {}, {0, 7.3, 3, 1}, {0.5, 7.0, 2.5, 1.2});
    ASSERT_TRUE(prepareChart(1));
    EXPECT_EQ(Chart.YFactor, 1);
    EXPECT_EQ(Chart.YBottom, 0);
    EXPECT_EQ(Chart.YTop, 9);
    EXPECT_EQ(Chart.YIntervals, 9);
    EXPECT_EQ(tickLabelsY(),
              (S{"9.0", "8.0", "7.0", "6.0", "5.0", "4.0", "3.0", "2.0", "1.0", "0.0"}));
    EXPECT_EQ(Chart.XFactor, 1);
    EXPECT_EQ(Chart.XLeft, 0);
    EXPECT_EQ(Chart.XRight, 400);
    EXPECT_EQ(Chart.XIntervals, 8);
    EXPECT_EQ(tickLabelsX(), (S{" 0", "50", "100", "150", "200", "250", "300", "350", "400"}));
    EXPECT_EQ(Chart.YCaption, "Discharge/runoff (mm/t)");
    EXPECT_EQ(Chart.XCaption, "Time");
    EXPECT_EQ(legends(1), (S{" o  observed", "--- calculated"}));
}

TEST_F(ChartEngine, WholeStepsCanStillShowOneDecimal)
{
    kind2({0, 1, 2}, {0, 37, 12}); // YMax 40.7: step 5
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YBottom, 0);
    EXPECT_EQ(Chart.YTop, 45);
    EXPECT_EQ(Chart.YIntervals, 9);
    EXPECT_EQ(Chart.YDecimals, 1);
    EXPECT_EQ(tickLabelsY().front(), "45.0");
    EXPECT_EQ(tickLabelsY().back(), "0.0");

    kind2({0, 1, 2}, {0, 120, 12}); // YMax 132: step 25
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YTop, 150);
    EXPECT_EQ(Chart.YIntervals, 6);
    EXPECT_EQ(tickLabelsY(), (S{"150", "125", "100", "75", "50", "25", " 0"}));
}

TEST_F(ChartEngine, ShortTimeAxisIsRaisedToFourIntervalsWithTwoDecimals)
{
    kind2({0, 5, 10.4}, {1, 2, 3});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.XFactor, 1); // the minimum 0 gives no factor
    EXPECT_EQ(Chart.XLeft, 0);
    EXPECT_EQ(Chart.XRight, 12);
    EXPECT_EQ(Chart.XIntervals, 4);
    EXPECT_EQ(Chart.XDecimals, 2);
    EXPECT_EQ(tickLabelsX(), (S{"0.00", "3.00", "6.00", "9.00", "12.00"}));
}

TEST_F(ChartEngine, TinyRunoffGetsTheFactorThousand)
{
    setRows({1, 2, 3}, {}, {}, {0, 0.004, 0.005}, {0.001, 0.005, 0.003});
    ASSERT_TRUE(prepareChart(1));
    EXPECT_EQ(Chart.YFactor, 1000);
    EXPECT_EQ(Chart.YBottom, 0);
    EXPECT_EQ(Chart.YTop, 6);
    EXPECT_EQ(Chart.YIntervals, 6);
    EXPECT_EQ(Chart.YCaption, "Discharge or runoff * 1000");
}

TEST_F(ChartEngine, NegativeMinimumKeepsFactorOneAndHalvesTheIntervals)
{
    kind2({0, 1, 2}, {-3, 8, 1});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YFactor, 1);
    EXPECT_EQ(Chart.YBottom, -4);
    EXPECT_EQ(Chart.YTop, 9);
    EXPECT_EQ(Chart.YIntervals, 6);
    EXPECT_EQ(tickLabelsY(), (S{"9.0", "6.8", "4.7", "2.5", "0.3", "-1.8", "-4.0"}));

    // A maximum below 1 on the vertical axis: ends Round(m - 0.05), Round(M + 0.05), two decimals.
    kind2({0, 1, 2}, {-0.6, 0.8, 0});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YBottom, -1);
    EXPECT_EQ(Chart.YTop, 1);
    EXPECT_EQ(tickLabelsY(), (S{"1.00", "0.50", "0.00", "-0.50", "-1.00"}));
}

TEST_F(ChartEngine, SmallPositiveHorizontalRangeGetsTheFactorHundred)
{
    kind2({0.02, 0.05, 0.08}, {1, 2, 3});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.XFactor, 100);
    EXPECT_EQ(Chart.XLeft, 2);
    EXPECT_EQ(Chart.XRight, 8);
    EXPECT_EQ(Chart.XIntervals, 6);
    EXPECT_EQ(Chart.XDecimals, 1);
    EXPECT_EQ(Chart.XCaption, "Time * 100");
}

TEST_F(ChartEngine, VerticalRangesWithoutSpan)
{
    kind2({0, 1, 2}, {0, 0, 0});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YBottom, 0);
    EXPECT_EQ(Chart.YTop, 2);
    EXPECT_EQ(Chart.YIntervals, 4);
    EXPECT_EQ(tickLabelsY(), (S{"2.0", "1.5", "1.0", "0.5", "0.0"}));

    kind2({0, 1, 2}, {5, 5, 5});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YBottom, 0);
    EXPECT_EQ(Chart.YTop, 7);
    EXPECT_EQ(Chart.YIntervals, 7);
}

TEST_F(ChartEngine, OddMultipleOfTheStepDropsOneStepLower)
{
    kind2({0, 1}, {12, 20}); // YMax 22: step 4
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YBottom, 8);
    EXPECT_EQ(Chart.YTop, 24);
    kind2({0, 1}, {8, 20});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YBottom, 8);
    kind2({0, 1}, {16, 20});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.YBottom, 16);
}

TEST_F(ChartEngine, LadderGoesOnPastOneHundredThousand)
{
    kind2({0, 150000, 300000}, {0, 130000, 5});
    ASSERT_TRUE(prepareChart(2));
    // YMax 143000: step 25000.
    EXPECT_EQ(Chart.YTop, 150000);
    EXPECT_EQ(Chart.YIntervals, 6);
    EXPECT_EQ(Chart.YDecimals, 0);
    // 300000 lies below 500000: step 50000; 325000 / 50000 = 6.5 rounds to 6.
    EXPECT_EQ(Chart.XLeft, 0);
    EXPECT_EQ(Chart.XRight, 300000);
    EXPECT_EQ(Chart.XIntervals, 6);
    EXPECT_EQ(tickLabelX(1), "50000");

    const TAxisEnds big = ladder(3.1e6, 0, true); // below 5e6: step 500000
    EXPECT_EQ(big.High, 3500000);
    EXPECT_EQ(big.Intervals, 7);
    EXPECT_EQ(ladder(999999, 0, false).High, 1000000); // step 100000
}

TEST_F(ChartEngine, EqualHorizontalEndsGetTheGuard)
{
    kind2({0, 0, 0}, {1, 2, 3});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.XLeft, 0);
    EXPECT_EQ(Chart.XRight, 1);
    EXPECT_EQ(Chart.XIntervals, 4);
    EXPECT_EQ(mapX(0), 70);
    EXPECT_EQ(mapX(1), 570);
}

TEST_F(ChartEngine, FactorThresholdsAreStrict)
{
    kind2({0.01, 0.005}, {1, 2}); // XMax exactly 0.01: factor 1
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.XFactor, 1);
    kind2({0.1, 0.5}, {1, 2}); // between 0.1 and 1
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(Chart.XFactor, 10);
    EXPECT_EQ(Chart.XCaption, "Time * 10");
}

TEST_F(ChartEngine, KindsTakeTheirOwnRanges)
{
    // Kind 7: the horizontal range copies the vertical one before widening.
    setRows({0.5, 7}, {}, {}, {1, 6}, {0.5, 7});
    ASSERT_TRUE(prepareChart(7));
    EXPECT_EQ(Chart.XLeft, 0);
    EXPECT_EQ(Chart.XRight, 8);
    EXPECT_EQ(Chart.YTop, 8); // 7.7 + 0.5
    EXPECT_EQ(Chart.EqualLow, 0.5);
    EXPECT_EQ(Chart.EqualHigh, 7.0);
    EXPECT_EQ(legends(7), (S{" ---  Obs = Calc"}));
    // Kind 8: the horizontal range is the rain's.
    setRows({1, 2}, {0, 30}, {0, 20}, {}, {1, 2});
    ASSERT_TRUE(prepareChart(8));
    EXPECT_EQ(Chart.XRight, 30);
    // Kind 6: a negative alpha is raised to 0.
    setRows({1, 2}, {}, {-0.2, 0.3}, {0.1, 0.2}, {});
    ASSERT_TRUE(prepareChart(6));
    EXPECT_EQ(Chart.YMin, 0);
    EXPECT_EQ(Chart.YFactor, 10);
    EXPECT_EQ(Chart.YCaption, "Alpha * 10");
    // Kind 5 reads PlotY5; its captions follow the sub-mode.
    setRows({0, 1, 2}, {100, 100, 100}, {}, {}, {}, {0.8, 0.95, 0.9});
    DMQuellow.Drainage = true;
    ASSERT_TRUE(prepareChart(5));
    EXPECT_EQ(Chart.YFactor, 1);
    EXPECT_EQ(Chart.YTop, 2); // 1.045 + 0.5
    EXPECT_EQ(Chart.YCaption, "Water table height (predicted, mm)");
    DMQuellow.Drainage = false;
    DMQuellow.PlotY5 = {0.001, 0.002, 0.003};
    ASSERT_TRUE(prepareChart(5));
    EXPECT_EQ(Chart.YFactor, 1000);
    EXPECT_EQ(Chart.YCaption, " Reservoir storage (mm) * 1000");
    // Head and storage are in mm: every caption says so.
    DMQuellow.PlotY5 = {70.19, 210.3, 1250};
    ASSERT_TRUE(prepareChart(5));
    EXPECT_EQ(Chart.YCaption, " Reservoir storage predicted (mm)");
    DMQuellow.Drainage = true;
    DMQuellow.PlotY5 = {0.2, 0.5, 0.8};
    ASSERT_TRUE(prepareChart(5));
    EXPECT_EQ(Chart.YCaption, "Water table height (mm) * 10");
}

TEST_F(ChartEngine, PixelsSitFivePixelsAboveTheTickScale)
{
    kind2({0, 1}, {0, 1});
    ASSERT_TRUE(prepareChart(2));
    Chart.XFactor = Chart.YFactor = 1;
    Chart.XLeft = Chart.YBottom = 0;
    Chart.XRight = 1000; // 0.5 pixel per unit
    Chart.YTop = 640;
    EXPECT_EQ(mapX(0), 70);
    EXPECT_EQ(mapX(1), 70); // 0.5 -> 0
    EXPECT_EQ(mapX(3), 72); // 1.5 -> 2
    EXPECT_EQ(mapX(1000), 570);
    EXPECT_EQ(mapY(0), 385);
    EXPECT_EQ(mapY(1), 385); // 0.5 -> 0
    EXPECT_EQ(mapY(3), 383); // 1.5 -> 2
    EXPECT_EQ(mapY(640), 65);
    Chart.YFactor = 100;
    EXPECT_EQ(mapY(3.2), 385 - 160);
}

TEST_F(ChartEngine, PixelArraysFollowTheRows)
{
    setRows({0, 200, 400}, {0, 4.5, 9}, {9, 0, 4.5}, {1, 2, 3}, {3, 2, 1});
    ASSERT_TRUE(prepareChart(1));
    ASSERT_EQ(Chart.YTop, 4); // kind 1 uses PlotY3 / PlotY4 only
    EXPECT_EQ(Chart.PixelX, (std::vector<int>{70, 320, 570}));
    EXPECT_EQ(Chart.PixelY3, (std::vector<int>{305, 225, 145}));
    EXPECT_EQ(Chart.PixelY4, (std::vector<int>{145, 225, 305}));
    EXPECT_TRUE(Chart.PixelY5.empty());
}

TEST_F(ChartEngine, SortByXIsStableAndMovesWholeRows)
{
    setRows({2.4, 1.5, 2.4, 1.9, 1.5}, {1, 2, 3, 4, 5}, {10, 20, 30, 40, 50},
            {0.1, 0.2, 0.3, 0.4, 0.5}, {1, 2, 3, 4, 5}, {7, 8, 9, 10, 11});
    DMQuellow.Serial = {1, 2, 3, 4, 5};
    SortByX();
    const TDMQuellow &dm = DMQuellow;
    EXPECT_EQ(dm.PlotX, (V{1.5, 1.5, 1.9, 2.4, 2.4}));
    EXPECT_EQ(dm.PlotY1, (V{2, 5, 4, 1, 3}));
    EXPECT_EQ(dm.PlotY2, (V{20, 50, 40, 10, 30}));
    EXPECT_EQ(dm.PlotY3, (V{0.2, 0.5, 0.4, 0.1, 0.3}));
    EXPECT_EQ(dm.PlotY4, (V{2, 5, 4, 1, 3}));
    EXPECT_EQ(dm.PlotY5, (V{7, 8, 9, 10, 11}));
    EXPECT_EQ(dm.Serial, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

TEST_F(ChartEngine, TrendOfTheRechargeRunoffChart)
{
    setRows({1, 2, 3, 4}, {0, 5, 2, 1}, {0, 1, 2, 3}, {}, {1, 3, 5, 7});
    URainRun::Trend.TrendQA = 0.1;
    URainRun::Trend.TrendQB = 1;
    URainRun::Trend.TrendQC = 0.5;
    ASSERT_TRUE(prepareChart(8));
    EXPECT_TRUE(Chart.LineValid);
    EXPECT_DOUBLE_EQ(Chart.LineSlope, 2);
    EXPECT_DOUBLE_EQ(Chart.LineMeanX, 1.5);
    EXPECT_EQ(Chart.LineX0, 0);
    EXPECT_EQ(Chart.LineX1, 5); // the largest rain
    EXPECT_DOUBLE_EQ(Chart.LineY0, 1);
    EXPECT_DOUBLE_EQ(Chart.LineY1, 11);
    EXPECT_DOUBLE_EQ(Chart.QuadX[10], 5);
    EXPECT_DOUBLE_EQ(Chart.QuadY[10], 8);
    EXPECT_DOUBLE_EQ(Chart.QuadY[0], 0.5);
    // The recharge is placed on the horizontal axis.
    EXPECT_EQ(Chart.PixelY1[3], mapX(3));
    EXPECT_EQ(Chart.QuadPixelX[10], mapX(5));
    EXPECT_EQ(Chart.QuadPixelY[10], mapY(8));
    EXPECT_EQ(Chart.YCaption, "Discharge observed");
    EXPECT_EQ(Chart.XCaption, "Recharge calculated");
    EXPECT_EQ(legends(8), (S{" o   observed", "---  trend line"}));
    URainRun::Trend.TrendValid = true;
    EXPECT_EQ(legends(8), (S{" o   observed", "---  trend line", "---  quadr. trend"}));

    // Recharge without spread: no line, rather than the previous chart's line.
    setRows({1, 2, 3}, {0, 5, 2}, {0.1, 0.1, 0.1}, {}, {1, 3, 5});
    ASSERT_TRUE(prepareChart(8));
    EXPECT_FALSE(Chart.LineValid);
    EXPECT_EQ(legends(8), (S{" o   observed", "---  quadr. trend"}));
}

TEST_F(ChartEngine, AlphaChartTexts)
{
    setRows({3, 1.5, 2}, {}, {0.2, 0.25, 0.22}, {0.21, 0.24, 0.2}, {});
    ASSERT_TRUE(prepareChart(6));
    EXPECT_EQ(DMQuellow.PlotX, (V{1.5, 2, 3})); // sorted for the line
    EXPECT_EQ(Chart.YCaption, "Alpha * 10");
    EXPECT_EQ(Chart.XCaption, "Discharge/Runoff (mm/t)");
    EXPECT_EQ(legends(6), (S{" o   observed", "---  calculated"}));
}

TEST_F(ChartEngine, LabelsUseTheLocaleSeparator)
{
    DecimalSeparator = ',';
    kind2({0, 1, 2}, {0, 7.3, 1});
    ASSERT_TRUE(prepareChart(2));
    EXPECT_EQ(tickLabelY(0), "9,0");
    EXPECT_EQ(rSquareText(0.93), "R square = 0,93");
    DecimalSeparator = '.';
    EXPECT_EQ(rSquareText(0.93), "R square = 0.93");
    EXPECT_EQ(rSquareText(0.123456789012345678), "R square = 0.123456789012346");
}

TEST_F(ChartEngine, NoRowsOrUnknownKindGiveAMessageAndKeepTheChart)
{
    kind2({0, 1, 2}, {0, 7.3, 1});
    ASSERT_TRUE(prepareChart(2));
    const TChartState before = Chart;
    DMQuellow.NrOfData = 0;
    EXPECT_FALSE(prepareChart(2));
    EXPECT_FALSE(prepareChart(9));
    DMQuellow.NrOfData = 3;
    DMQuellow.PlotY1[1] = 2e9;
    EXPECT_FALSE(prepareChart(2));
    EXPECT_EQ(prompts.Messages,
              (S{"There are no data rows for this graph. Read an output file first.",
                 "There is no graph of kind 9.",
                 "The values of this graph are too large to draw (beyond 1E9)."}));
    EXPECT_EQ(Chart.YTop, before.YTop);
    EXPECT_EQ(Chart.PixelY1, before.PixelY1);
}

TEST_F(ChartEngine, DescribeGivesOneJsonObject)
{
    setRows({1, 2, 3}, {}, {}, {0, 0.004, 0.005}, {0.001, 0.005, 0.003});
    ModelValues.RSquare = 0.93;
    ASSERT_TRUE(prepareChart(1));
    EXPECT_EQ(describeChart(1),
              "{\"XFactor\":1,\"YFactor\":1000,\"XLeft\":0,\"XRight\":4,\"YBottom\":0,\"YTop\":6,"
              "\"XIntervals\":4,\"YIntervals\":6,\"XDecimals\":1,\"YDecimals\":1,"
              "\"YLabels\":[\"6.0\",\"5.0\",\"4.0\",\"3.0\",\"2.0\",\"1.0\",\"0.0\"],"
              "\"XLabels\":[\"0.0\",\"1.0\",\"2.0\",\"3.0\",\"4.0\"],"
              "\"XCaption\":\"Time\",\"YCaption\":\"Discharge or runoff * 1000\","
              "\"Legends\":[\" o  observed\",\"--- calculated\"],\"NrOfData\":3,\"RSquare\":0.93}");
}

} // namespace
