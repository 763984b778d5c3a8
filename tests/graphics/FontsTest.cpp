#include "graphics/UChartFonts.h"

#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

using namespace quellow;

// The chart layout places labels by Arial's widths; a wider fallback face breaks it.
TEST(ChartFonts, ArialMetricsAreInstalled)
{
    ASSERT_TRUE(UChartFonts::hasArialMetrics())
        << "the chart font resolved to " << UChartFonts::resolvedFamily().toStdString()
        << "; install fonts-liberation";
    QImage image(623, 465, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    const QFontMetrics metrics(UChartFonts::chartFont(10), &image);
    // Fully hinted, as on a 96-dpi screen: whole-pixel advances, so small text keeps its
    // blanks and "---" stays three dashes.
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("Discharge/runoff (mm/t)")), 135);
    EXPECT_EQ(metrics.height() > 0, true);
}
