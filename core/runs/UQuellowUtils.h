#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

/// The chart engine: from the graph columns that the output reader left in DMQuellow it finds
/// the axis ranges, scale factors, axis ends, ticks, captions, legends and the pixel position
/// of every point of one chart, and the trend lines of the recharge-runoff chart.
///
/// Graph kinds: 1 analysis runoff in time, 2 prediction runoff in time, 3 analysis rain and
/// recharge, 4 prediction rain and recharge, 5 prediction water table or storage, 6 alpha
/// against runoff, 7 observed against calculated runoff, 8 recharge against runoff.
///
/// Pixels: the axes meet at (70, 390); the vertical axis runs up to y = 70 (YLength 320), the
/// horizontal one right to x = 570 (XLength 500); y grows downwards. Halves round to the even
/// neighbour throughout.
namespace quellow::UQuellowUtils {

/// Origin of the axes and the lift of plotted data above the tick scale, in pixels.
inline constexpr int OriginX = 70;
inline constexpr int OriginY = 390;
inline constexpr int DataLift = 5;

/// All state of one chart; each chart overwrites the previous one.
struct TChartState
{
    double XMin = 0, XMax = 0, YMin = 0,
           YMax = 0;              ///< data extremes, in axis units after the factor step
    int XFactor = 0, YFactor = 0; ///< 1, 10, 100 or 1000
    std::int64_t XLeft = 0, XRight = 0, YBottom = 0, YTop = 0; ///< axis ends, axis units
    int XIntervals = 0, YIntervals = 0;                        ///< 4 to 10
    int XDecimals = 0, YDecimals = 0;                          ///< decimals of the tick labels
    int XLength = 500, YLength = 320;                          ///< pixel lengths of the axes
    std::string XCaption, YCaption;
    std::string Legend1, Legend2, Legend3;
    std::vector<int> PixelX, PixelY1, PixelY2, PixelY3, PixelY4, PixelY5;
    /// Common data range of observed and calculated runoff (kind 7), before widening: the
    /// line of equality runs between these values.
    double EqualLow = 0, EqualHigh = 0;
    /// Linear trend of the recharge-runoff chart (data units). LineValid is false when the
    /// recharge has no spread, so there is no line to draw.
    double LineSlope = 0, LineMeanX = 0;
    double LineX0 = 0, LineY0 = 0, LineX1 = 0, LineY1 = 0;
    bool LineValid = false;
    std::array<double, 11> QuadX{}, QuadY{};
    std::array<int, 11> QuadPixelX{}, QuadPixelY{};
};
inline TChartState Chart;

/// Result of the ladder for one axis (axis units).
struct TAxisEnds
{
    std::int64_t Low = 0, High = 0;
    int Intervals = 0;
    int Decimals = 0;
};

/// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
std::int64_t roundEven(double value);

/// The ladder: axis ends, intervals and decimals for an axis maximum M and minimum m (axis
/// units). The vertical axis has a first row for M below 1; above 100000 the ladder goes on
/// with steps on the 1 - 2.5 - 5 pattern and no decimals. Intervals are not yet limited.
TAxisEnds ladder(double maximum, double minimum, bool vertical);

/// Extremes, factors, axis ends, intervals and decimals of graph kind 1..8.
void ComputeAxes(int kind);
/// Stable ascending sort of the rows by PlotX, moving PlotX and PlotY1..PlotY4 together.
void SortByX();
/// Linear least-squares trend of measured runoff (PlotY4) on recharge (PlotY2) and the 11
/// points of the quadratic trend from URainRun::Trend (kind 8).
void ComputeTrend();
/// Pixel arrays of every row; for kind 8 PixelY1 holds the horizontal position of the
/// recharge and the trend points get their pixels.
void ComputePixels(int kind);
/// Captions and legends of graph kind 1..8.
void SetAxisTexts(int kind);

/// Pixel of a value drawn against the horizontal / vertical axis (data units). The vertical
/// position lies DataLift pixels above the tick scale.
int mapX(double value);
int mapY(double value);

/// Value of vertical tick k (0 at the top) and horizontal tick k (0 at the left).
double tickValueY(int k);
double tickValueX(int k);
/// Tick label: the value in decimals + 2 characters with the axis's decimals and the locale's
/// decimal separator.
std::string tickLabelY(int k);
std::string tickLabelX(int k);
/// Tick labels top to bottom / left to right.
std::vector<std::string> tickLabelsY();
std::vector<std::string> tickLabelsX();

/// The legend texts kind shows, in order of drawing.
std::vector<std::string> legends(int kind);

/// "R square = " and the value in the shortest form with up to 15 significant digits.
std::string rSquareText(double rSquare);

/// Runs the engine for one chart in the drawing's order (axes; sort for kind 6; trend for
/// kind 8; pixels; texts). Refuses, with a message, an unknown kind, a chart without rows
/// or with values too large to place; the chart state is then left as it was.
bool prepareChart(int kind);

/// The JSON object that describes the prepared chart of kind (axis values, labels, captions,
/// legends, NrOfData, RSquare), one line.
std::string describeChart(int kind);

} // namespace quellow::UQuellowUtils
