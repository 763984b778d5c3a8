#include "graphics/UChartDrawing.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "runs/UQuellowUtils.h"
#include "runs/URainRun.h"
#include "tests/support/TRecordingPrompts.h"

#include "graphics/UChartFonts.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace quellow;
using namespace quellow::test;
using namespace quellow::UChartDrawing;

namespace {

const QRgb Silver = qRgb(192, 192, 192) & 0xffffff;
const QRgb DarkBlue = qRgb(0, 0, 139) & 0xffffff;
const QRgb White = qRgb(255, 255, 255) & 0xffffff;
const QRgb Aqua = qRgb(0, 255, 255) & 0xffffff;
const QRgb SkyBlue = qRgb(166, 202, 240) & 0xffffff;
const QRgb Yellow = qRgb(255, 255, 0) & 0xffffff;

using V = std::vector<double>;

QRgb at(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xffffff;
}

/// Pixels of one colour in the box l..r-1, t..b-1.
int countIn(const QImage &image, QRgb colour, int l, int t, int r, int b)
{
    int count = 0;
    for (int y = std::max(t, 0); y < std::min(b, image.height()); ++y)
        for (int x = std::max(l, 0); x < std::min(r, image.width()); ++x)
            count += at(image, x, y) == (colour & 0xffffff);
    return count;
}

class ChartDrawing : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    static void setRows(const V &x, const V &y1, const V &y2, const V &y3, const V &y4)
    {
        TDMQuellow &dm = DMQuellow;
        dm.NrOfData = static_cast<int>(x.size());
        dm.PlotX = x;
        const auto fill = [&](const V &v) { return v.empty() ? V(x.size(), 0.0) : v; };
        dm.PlotY1 = fill(y1);
        dm.PlotY2 = fill(y2);
        dm.PlotY3 = fill(y3);
        dm.PlotY4 = fill(y4);
        dm.PlotY5 = V(x.size(), 0.0);
    }

    bool makeFromFile(const std::string &name, int kind,
                      TChartSource source = TChartSource::Session)
    {
        DMQuellow.OutFileName = TestData(name);
        return makeChart(kind, image, source);
    }

    TRecordingPrompts prompts;
    QImage image = newChartImage();
};

TEST_F(ChartDrawing, BitmapIs623By465At96Dpi)
{
    EXPECT_EQ(image.width(), 623);
    EXPECT_EQ(image.height(), 465);
    EXPECT_EQ(image.dotsPerMeterX(), 3780);
    EXPECT_EQ(image.dotsPerMeterY(), 3780);
    QImage other(10, 10, QImage::Format_RGB32);
    ASSERT_TRUE(makeFromFile("analysis-small.out", 1));
    DMQuellow.OutFileName = TestData("analysis-small.out");
    ASSERT_TRUE(makeChart(1, other));
    EXPECT_EQ(other.size(), QSize(623, 465));
    EXPECT_EQ(other, image);
}

TEST_F(ChartDrawing, FrameAxesAndTicks)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 1));
    // Background and the plot panel, whose right and bottom edges stay silver.
    EXPECT_EQ(at(image, 0, 0), Silver);
    EXPECT_EQ(at(image, 622, 464), Silver);
    EXPECT_EQ(at(image, 19, 19), Silver);
    EXPECT_EQ(at(image, 20, 19), DarkBlue);
    EXPECT_EQ(at(image, 604, 444), DarkBlue);
    EXPECT_EQ(at(image, 605, 444), Silver);
    EXPECT_EQ(at(image, 604, 445), Silver);
    // White axes meeting at (70, 390).
    EXPECT_EQ(countIn(image, White, 70, 71, 71, 391), 320);
    EXPECT_EQ(countIn(image, White, 70, 390, 570, 391), 500);
    EXPECT_EQ(at(image, 71, 391), DarkBlue);
    EXPECT_EQ(at(image, 70, 395), DarkBlue); // the tick under the origin leaves its end pixel
    EXPECT_EQ(at(image, 69, 200), DarkBlue);
    // Ticks: 4 pixels left of the vertical axis, 5 below the horizontal one (0..16 in 4).
    EXPECT_EQ(countIn(image, White, 66, 390, 70, 391), 3); // 67..69
    EXPECT_EQ(at(image, 66, 390), DarkBlue);
    EXPECT_EQ(countIn(image, White, 195, 391, 196, 396), 4);
    EXPECT_EQ(at(image, 195, 395), DarkBlue);
    // A tick label ends 6 pixels left of its tick.
    EXPECT_GT(countIn(image, White, 40, 380, 64, 398), 0);
    EXPECT_EQ(countIn(image, White, 64, 380, 66, 398), 0);
}

// The footer names the program and ends there: it points at no address.
TEST_F(ChartDrawing, FooterNamesTheProgramOnly)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 1));
    QImage expected = newChartImage();
    {
        QPainter painter(&expected);
        const QFont font = UChartFonts::chartFont(8);
        painter.setFont(font);
        painter.setPen(QColor(0, 0, 0));
        painter.drawText(QPoint(20, 450 + QFontMetrics(font, &expected).ascent()),
                         QStringLiteral("Quellow program"));
    }
    // Below the plot panel, from the footer's start to the right edge.
    EXPECT_EQ(image.copy(20, 446, 603, 19), expected.copy(20, 446, 603, 19));
    EXPECT_GT(countIn(image, 0, 20, 446, 120, 465), 0); // black text is there at all
}

TEST_F(ChartDrawing, ObservedPointsAreAquaCirclesAtTheNextTime)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 1));
    // Row 0, measured 2.5 on the axis 1..6, is drawn at the time of row 1 (2 on 0..16):
    // x = 70 + 62 (62.5 to even), y = 390 - 96 - 5.
    const int x = 132, y = 289;
    EXPECT_EQ(UQuellowUtils::Chart.PixelX[1], x);
    EXPECT_EQ(UQuellowUtils::Chart.PixelY4[0], y);
    EXPECT_EQ(at(image, x - 2, y), Aqua);
    EXPECT_EQ(at(image, x - 1, y + 1), Aqua);
    EXPECT_EQ(at(image, x + 1, y + 1), DarkBlue); // a corner of the box, outside the circle
    EXPECT_EQ(at(image, x + 2, y), DarkBlue);     // the box (x-2, y-2, x+2, y+2) leaves its edge
    // The calculated line of row 0 starts in the circle (same value) and paints its first pixel.
    EXPECT_EQ(at(image, x, y), White);
    // The last two measured values have no circle: nothing aqua right of row 10's time.
    EXPECT_EQ(countIn(image, Aqua, UQuellowUtils::Chart.PixelX[11] - 2, 100, 600, 389), 0);
    // R square 0.93 is shown, in white at (445, 60).
    EXPECT_GT(countIn(image, White, 445, 60, 540, 75), 20);
}

TEST_F(ChartDrawing, PointCirclesAreInscribedInTheirFourPixelBox)
{
    // Measured runoff 1 on every row, calculated runoff far above it: the circles stand alone.
    setRows({0, 1, 2, 3, 4}, {}, {}, {9, 9, 9, 9, 9}, {1, 1, 1, 1, 1});
    ASSERT_TRUE(ShowGraphics(1, image));
    const auto &c = UQuellowUtils::Chart;
    const int x = c.PixelX[2], y = c.PixelY4[1];
    // The box (x-2, y-2, x+2, y+2) covers x-2..x+1 and y-2..y+1: an aqua ring without its
    // corners around a dark-blue inside, nothing outside the box.
    const char *const expected[] = {"......", //
                                    "..AA..", //
                                    ".A..A.", //
                                    ".A..A.", //
                                    "..AA..", //
                                    "......"};
    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 6; ++col)
            EXPECT_EQ(at(image, x - 3 + col, y - 3 + row),
                      expected[row][col] == 'A' ? Aqua : DarkBlue)
                << "column " << col - 3 << ", row " << row - 3;
}

TEST_F(ChartDrawing, RSquareOfOneHalfIsNotShown)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 1));
    ModelValues.RSquare = 0.5;
    ASSERT_TRUE(ShowGraphics(1, image));
    EXPECT_EQ(countIn(image, White, 445, 60, 540, 75), 0);
}

TEST_F(ChartDrawing, QuadraticTrendOnlyWhenValid)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 8));
    EXPECT_FALSE(URainRun::Trend.TrendValid);
    EXPECT_EQ(countIn(image, Yellow, 0, 0, 623, 465), 0);
    EXPECT_GT(countIn(image, White, 95, 90, 180, 104), 0); // the linear trend's legend

    URainRun::Trend.TrendValid = true;
    ASSERT_TRUE(makeFromFile("analysis-small.out", 8));
    EXPECT_GT(countIn(image, Yellow, 95, 105, 200, 120), 20);  // legend
    EXPECT_GT(countIn(image, Yellow, 71, 130, 600, 389), 100); // curve
    // The curve starts at recharge 0, the trend's constant 2.0: y = 390 - 64 - 5.
    EXPECT_EQ(at(image, 70, 321), Yellow);
}

TEST_F(ChartDrawing, FilesOnlyTakesTheTrendFromTheTrendFile)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 8, TChartSource::FilesOnly));
    EXPECT_TRUE(URainRun::Trend.TrendValid);
    EXPECT_EQ(URainRun::Trend.TrendQB, 0.45);
    EXPECT_GT(countIn(image, Yellow, 71, 130, 600, 389), 100);
}

TEST_F(ChartDrawing, RechargeWithoutSpreadDrawsNoTrendLine)
{
    // Recharge all 0: the points lie on the vertical axis; no white line crosses the panel.
    setRows({1, 2, 3, 4}, {5, 10, 0, 2}, {0, 0, 0, 0}, {}, {1, 2, 3, 4});
    ASSERT_TRUE(ShowGraphics(8, image));
    EXPECT_EQ(countIn(image, White, 100, 100, 600, 385), 0);
    EXPECT_EQ(countIn(image, White, 95, 90, 180, 104), 0);
}

TEST_F(ChartDrawing, OnlyTheSegmentCrossingTheDivideIsDotted)
{
    // Regression alpha constant, so the segments lie on one row of pixels.
    setRows({1.5, 1.9, 2.4, 3.0}, {}, {0.5, 0.5, 0.5, 0.5}, {0.2, 0.2, 0.2, 0.2}, {});
    ModelValues.Divide = 2.0;
    ASSERT_TRUE(ShowGraphics(6, image));
    const auto &c = UQuellowUtils::Chart;
    const int y = c.PixelY3[0];
    const auto whiteRun = [&](int from, int to) {
        return countIn(image, White, from, y, to, y + 1);
    };
    EXPECT_EQ(whiteRun(c.PixelX[0], c.PixelX[1]), c.PixelX[1] - c.PixelX[0]);
    const int dotted = c.PixelX[2] - c.PixelX[1];
    EXPECT_LT(whiteRun(c.PixelX[1], c.PixelX[2]), dotted * 2 / 3);
    EXPECT_GT(whiteRun(c.PixelX[1], c.PixelX[2]), dotted / 3);
    EXPECT_EQ(whiteRun(c.PixelX[2], c.PixelX[3]), c.PixelX[3] - c.PixelX[2]);
    // Four circles, the last one included.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(at(image, c.PixelX[i] - 2, c.PixelY2[i]), Aqua) << i;

    // A row exactly at the divide starts a solid segment.
    setRows({1.5, 2.0, 2.4, 3.0}, {}, {0.5, 0.5, 0.5, 0.5}, {0.2, 0.2, 0.2, 0.2}, {});
    ASSERT_TRUE(ShowGraphics(6, image));
    EXPECT_EQ(whiteRun(c.PixelX[1], c.PixelX[2]), c.PixelX[2] - c.PixelX[1]);

    // Quadratic pieces: every segment solid.
    setRows({1.5, 1.9, 2.4, 3.0}, {}, {0.5, 0.5, 0.5, 0.5}, {0.2, 0.2, 0.2, 0.2}, {});
    DMQuellow.Quadratic = true;
    ASSERT_TRUE(ShowGraphics(6, image));
    EXPECT_EQ(whiteRun(c.PixelX[1], c.PixelX[2]), c.PixelX[2] - c.PixelX[1]);
}

TEST_F(ChartDrawing, TenRowsOfObservedCalculatedDrawEightBullets)
{
    V observed, calculated;
    for (int i = 1; i <= 10; ++i) {
        observed.push_back(i);
        calculated.push_back(11 - i);
    }
    setRows(observed, {}, {}, calculated, observed);
    ASSERT_TRUE(ShowGraphics(7, image));
    const auto &c = UQuellowUtils::Chart;
    for (int i = 0; i < 10; ++i) {
        const int bullets = countIn(image, Aqua, c.PixelX[i], c.PixelY3[i] - 5, c.PixelX[i] + 12,
                                    c.PixelY3[i] + 12);
        if (i < 8)
            EXPECT_GT(bullets, 0) << i;
        else
            EXPECT_EQ(bullets, 0) << i;
    }
    // The line of equality runs from (1, 1) to (10, 10).
    EXPECT_EQ(at(image, UQuellowUtils::mapX(1), UQuellowUtils::mapY(1)), White);
}

TEST_F(ChartDrawing, RainBarsSkipValuesAtTheBottomOfTheScale)
{
    // Rain 10 except row 2; recharge 5 except row 2.
    setRows({0, 1, 2, 3, 4, 5}, {10, 10, 0, 10, 10, 10}, {5, 5, 0, 5, 5, 5}, {}, {});
    ASSERT_TRUE(ShowGraphics(3, image));
    const auto &c = UQuellowUtils::Chart;
    const int mid0 = (c.PixelX[1] + c.PixelX[2]) / 2; // row 0
    const int mid2 = (c.PixelX[3] + c.PixelX[4]) / 2; // row 2
    const int mid3 = (c.PixelX[4] + c.PixelX[5]) / 2; // row 3, the last drawn
    EXPECT_EQ(at(image, mid0, 380), SkyBlue);
    EXPECT_EQ(at(image, mid0, c.PixelY1[0]), White); // top of the rain outline
    EXPECT_EQ(at(image, mid3, 380), SkyBlue);
    EXPECT_EQ(countIn(image, SkyBlue, mid2, 100, mid2 + 1, 389), 0);
    EXPECT_EQ(countIn(image, White, mid2, 100, mid2 + 1, 389), 0);
    // Rows 4 and 5 are not drawn: nothing right of row 3's bar.
    EXPECT_EQ(countIn(image, SkyBlue, c.PixelX[5] + 2, 100, 600, 389), 0);
}

TEST_F(ChartDrawing, EveryChartStartsFromASilverBitmap)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 1));
    ASSERT_GT(countIn(image, Aqua, 71, 100, 600, 389), 0);
    ASSERT_TRUE(makeFromFile("prediction-drainage.out", 2));
    EXPECT_EQ(countIn(image, Aqua, 0, 0, 623, 465), 0);
    EXPECT_EQ(at(image, 0, 0), Silver);
}

TEST_F(ChartDrawing, FailuresLeaveTheImageAndSayWhy)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 1));
    const QImage before = image;
    TTempDir dir;
    DMQuellow.OutFileName = dir.File("gone.out");
    EXPECT_FALSE(makeChart(1, image));
    // A copy of the output file without its trend file.
    const std::string copy = dir.File("copy.out");
    WriteBytes(copy, ReadBytes(TestData("analysis-small.out")));
    DMQuellow.OutFileName = copy;
    EXPECT_FALSE(makeChart(8, image));
    EXPECT_FALSE(makeFromFile("prediction-drainage.out", 1));
    EXPECT_EQ(image, before);
    ASSERT_EQ(prompts.Messages.size(), 3u);
    EXPECT_EQ(prompts.Messages[1], "The trend file \"" + dir.File("copy.dat") +
                                       "\" could not be read. The recharge-runoff graph needs the "
                                       "trend that the analysis writes beside its output file.");
}

TEST_F(ChartDrawing, SavedBitmapIs24BitAt96Dpi)
{
    ASSERT_TRUE(makeFromFile("analysis-small.out", 1));
    TTempDir dir;
    std::string error;
    ASSERT_TRUE(saveChartImage(image, dir.File("chart.bmp"), error)) << error;
    const std::string bytes = ReadBytes(dir.File("chart.bmp"));
    ASSERT_GE(bytes.size(), 54u);
    const auto u32 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(u32(18), 623u);
    EXPECT_EQ(u32(22), 465u);
    EXPECT_EQ(u32(28) & 0xffff, 24u);
    EXPECT_EQ(u32(38), 3780u);
    EXPECT_EQ(
        QImage(QString::fromStdString(dir.File("chart.bmp"))).convertToFormat(QImage::Format_RGB32),
        image);

    ASSERT_TRUE(saveChartImage(image, dir.File("chart.PNG"), error)) << error;
    EXPECT_EQ(
        QImage(QString::fromStdString(dir.File("chart.PNG"))).convertToFormat(QImage::Format_RGB32),
        image);
    EXPECT_FALSE(saveChartImage(image, dir.File("chart.jpg"), error));
    EXPECT_EQ(error, "The graph file \"" + dir.File("chart.jpg") + "\" must end in .bmp or .png.");
    EXPECT_FALSE(saveChartImage(image, dir.File("no/such/folder/chart.bmp"), error));
}

} // namespace
