#pragma once

#include <QImage>

#include <string>

/// Drawing of one chart into the 623 x 465 chart bitmap (96 dpi) with QPainter only, so the
/// Graphics tab, saved graph files and quellow-cli all get the same pixels without a display.
namespace quellow::UChartDrawing {

inline constexpr int ChartWidth = 623;
inline constexpr int ChartHeight = 465;

/// Where the parts of a chart that do not come from the output file are taken from.
enum class TChartSource {
    /// The running program: the trend validity and the runoff divide of the last run.
    Session,
    /// The files alone (no run in this process): the quadratic trend counts as valid when the
    /// trend file holds one, and the alpha chart takes its divide from the output file.
    FilesOnly
};

/// A chart bitmap: 623 x 465, 96 dots per inch, silver.
QImage newChartImage();

/// Runs the chart engine for graph kind 1..8 on the graph columns of the data module and
/// paints the chart into image (made anew unless it is a chart bitmap already). Returns false,
/// with the message shown through Prompts(), when there is nothing to draw; the image is then
/// unchanged.
bool ShowGraphics(int kind, QImage &image);

/// What the Graphics tab does for one "Go": reads the head and the table of graph kind from
/// the output file named by DMQuellow.OutFileName (for kind 8 first the trend file beside it)
/// and draws the chart. Returns false, after one clear message, when no chart can be drawn;
/// the image is then unchanged.
bool makeChart(int kind, QImage &image, TChartSource source = TChartSource::Session);

/// Writes a chart bitmap as a BMP or PNG file, chosen by the extension, replacing an old
/// file only when the new one is complete. Returns false with a message in error otherwise.
bool saveChartImage(const QImage &image, const std::string &path, std::string &error);

} // namespace quellow::UChartDrawing
