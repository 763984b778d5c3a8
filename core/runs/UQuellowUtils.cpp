#include "runs/UQuellowUtils.h"

#include "files/UDMQuellow.h"
#include "files/UPrompts.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace quellow::UQuellowUtils {

namespace {

const bool registered = (RegisterStateReset([] { Chart = {}; }), true);

/// Start values of the extremes: no maximum below 0, no minimum above ten million.
constexpr double MaxStart = 0;
constexpr double MinStart = 10000000;

/// Values beyond this (data units) cannot be placed on an axis.
constexpr double LargestValue = 1e9;

/// Pixels are kept within this range, far outside the bitmap, so that a trend running off
/// the chart cannot overflow.
constexpr double PixelLimit = 1000000;

struct TExtremes
{
    double Min = MinStart;
    double Max = MaxStart;
    void take(double v)
    {
        if (v > Max)
            Max = v;
        if (v < Min)
            Min = v;
    }
};

/// Scale factor of an axis from its maximum: below 0.01 gives 1000, between 0.01 and 0.1
/// gives 100, between 0.1 and 1 gives 10, anything else (the bounds included) 1.
int factorFor(double maximum)
{
    if (maximum < 0.01)
        return 1000;
    if (maximum > 0.01 && maximum < 0.1)
        return 100;
    if (maximum > 0.1 && maximum < 1)
        return 10;
    return 1;
}

/// One ladder row: axis maxima below Bound use Step.
struct TLadderRow
{
    double Bound;
    int Step;
    int VerticalDecimals;
    int HorizontalDecimals;
};

constexpr TLadderRow LadderRows[] = {
    {25, 4, 1, 1},       {50, 5, 1, 0},       {100, 10, 0, 0},     {250, 25, 0, 0},
    {500, 50, 0, 0},     {1000, 100, 0, 0},   {2500, 250, 0, 0},   {5000, 500, 0, 0},
    {10000, 1000, 0, 0}, {25000, 2500, 0, 0}, {50000, 5000, 0, 0}, {100000, 10000, 0, 0},
};

std::size_t rowCount()
{
    return static_cast<std::size_t>(DMQuellow.NrOfData > 0 ? DMQuellow.NrOfData : 0);
}

/// The caption of an axis scaled by factor: unscaled the first text, otherwise the stem
/// followed by " * 10", " * 100" or " * 1000".
std::string scaledCaption(int factor, const char *unscaled, const char *stem)
{
    if (factor == 10 || factor == 100 || factor == 1000)
        return std::string(stem) + " * " + std::to_string(factor);
    return unscaled;
}

std::string tickLabel(double value, int decimals)
{
    // A value a rounding error below zero would read "-0.0".
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0;
    return fixedLocale(value, decimals + 2, decimals);
}

void appendJsonString(std::string &out, const std::string &text)
{
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned char>(c));
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendJsonStrings(std::string &out, const std::vector<std::string> &texts)
{
    out += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i)
            out += ',';
        appendJsonString(out, texts[i]);
    }
    out += ']';
}

std::string shortest(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

std::int64_t roundEven(double value)
{
    if (!(value > -9e18))
        return static_cast<std::int64_t>(-9e18);
    if (value > 9e18)
        return static_cast<std::int64_t>(9e18);
    return static_cast<std::int64_t>(std::nearbyint(value));
}

namespace {

/// The step of the ladder for a maximum of 10 or more, and the decimals of its tick labels.
std::int64_t ladderStep(double maximum, bool vertical, int &decimals)
{
    for (const TLadderRow &row : LadderRows)
        if (maximum < row.Bound) {
            decimals = vertical ? row.VerticalDecimals : row.HorizontalDecimals;
            return row.Step;
        }
    // Beyond 100000 the steps go on as 25000, 50000, 100000, 250000, ...: a tenth of the first
    // bound of the 1 - 2.5 - 5 pattern that exceeds the maximum.
    decimals = 0;
    double bound = 250000;
    for (int k = 0; !(maximum < bound) && k < 60; ++k)
        bound *= (k % 3 == 0) ? 2 : (k % 3 == 1) ? 2 : 2.5;
    return static_cast<std::int64_t>(bound / 10);
}

} // namespace

TAxisEnds ladder(double maximum, double minimum, bool vertical)
{
    TAxisEnds ends;
    if (vertical && maximum < 1) {
        ends.Low = roundEven(minimum - 0.05);
        ends.High = roundEven(maximum + 0.05);
        ends.Intervals = static_cast<int>(ends.High - ends.Low);
        if (ends.Intervals > 10)
            ends.Intervals /= 2;
        ends.Decimals = 2;
        return ends;
    }
    if (maximum < 10) {
        ends.Low = roundEven(minimum - 0.5);
        ends.High = roundEven(maximum + 0.5);
        const std::int64_t span = ends.High - ends.Low;
        ends.Intervals = static_cast<int>(std::min<std::int64_t>(span, 1000000000));
        if (vertical && ends.Intervals > 10)
            ends.Intervals /= 2;
        ends.Decimals = 1;
        return ends;
    }
    int decimals = 0;
    const std::int64_t step = ladderStep(maximum, vertical, decimals);
    const double s = static_cast<double>(step);
    ends.Low = step * roundEven((minimum - s / 2) / s);
    ends.High = step * roundEven((maximum + s / 2) / s);
    ends.Intervals =
        static_cast<int>(std::min<std::int64_t>((ends.High - ends.Low) / step, 1000000000));
    ends.Decimals = decimals;
    return ends;
}

namespace {

/// The extremes of every graph column over all rows (PlotY5 for kind 5 only).
struct TColumnExtremes
{
    TExtremes X, Y1, Y2, Y3, Y4, Y5;
};

TColumnExtremes columnExtremes(int kind)
{
    const TDMQuellow &dm = DMQuellow;
    TColumnExtremes e;
    for (std::size_t i = 0, n = rowCount(); i < n; ++i) {
        e.X.take(dm.PlotX[i]);
        e.Y1.take(dm.PlotY1[i]);
        e.Y2.take(dm.PlotY2[i]);
        e.Y3.take(dm.PlotY3[i]);
        e.Y4.take(dm.PlotY4[i]);
        if (kind == 5)
            e.Y5.take(dm.PlotY5[i]);
    }
    return e;
}

TExtremes joined(const TExtremes &a, const TExtremes &b)
{
    return {std::min(a.Min, b.Min), std::max(a.Max, b.Max)};
}

/// The data ranges kind plots: the vertical one from the series drawn upwards, the horizontal
/// one from PlotX, except kind 7 (the vertical range again) and kind 8 (the rain, although the
/// points are placed by the recharge).
void takeRanges(int kind, const TColumnExtremes &e, TChartState &c)
{
    TExtremes vertical = e.Y1, horizontal = e.X;
    switch (kind) {
    case 1:
    case 7:
        vertical = joined(e.Y3, e.Y4);
        break;
    case 3:
        vertical = joined(e.Y1, e.Y2);
        break;
    case 4:
        vertical = e.Y3;
        break;
    case 5:
        vertical = e.Y5;
        break;
    case 6:
        vertical = joined(e.Y2, e.Y3);
        vertical.Min = std::max(0.0, vertical.Min);
        break;
    case 8:
        vertical = e.Y4;
        horizontal = e.Y1;
        break;
    }
    if (kind == 7) {
        horizontal = vertical;
        c.EqualLow = vertical.Min;
        c.EqualHigh = vertical.Max;
    }
    c.YMin = vertical.Min;
    c.YMax = vertical.Max;
    c.XMin = horizontal.Min;
    c.XMax = horizontal.Max;
}

/// One axis from its data range: the scale factor (the vertical axis admits a minimum of 0,
/// the horizontal one only positive minima), the ladder, a guard against equal ends, and the
/// limits of 4 to 10 intervals with the decimals they bring.
void scaleAxis(bool vertical, double &minimum, double &maximum, int &factor, TAxisEnds &ends)
{
    factor = 1;
    if (vertical ? minimum >= 0 : minimum > 0) {
        factor = factorFor(maximum);
        minimum *= factor;
        maximum *= factor;
    }
    ends = ladder(maximum, minimum, vertical);
    if (ends.Low == ends.High)
        ends.High = ends.Low + 1;
    if (ends.Intervals > 10) {
        ends.Intervals = 10;
        ++ends.Decimals;
    }
    if (ends.Intervals < 4) {
        ends.Intervals = 4;
        if (!vertical || ends.Decimals == 0)
            ++ends.Decimals;
    }
}

/// Takes one axis's ends, intervals and decimals into the chart's fields for it.
void setAxis(const TAxisEnds &ends, std::int64_t &low, std::int64_t &high, int &intervals,
             int &decimals)
{
    low = ends.Low;
    high = ends.High;
    intervals = ends.Intervals;
    decimals = ends.Decimals;
}

} // namespace

void ComputeAxes(int kind)
{
    TChartState &c = Chart;
    takeRanges(kind, columnExtremes(kind), c);
    // A vertical range without span.
    if (c.YMin == 0 && c.YMax == 0) {
        c.YMax = 1;
    } else if (c.YMin == c.YMax) {
        c.YMin = 0;
        c.YMax += 1;
    }
    c.YMax *= 1.1;
    TAxisEnds vertical, horizontal;
    scaleAxis(true, c.YMin, c.YMax, c.YFactor, vertical);
    scaleAxis(false, c.XMin, c.XMax, c.XFactor, horizontal);
    setAxis(vertical, c.YBottom, c.YTop, c.YIntervals, c.YDecimals);
    setAxis(horizontal, c.XLeft, c.XRight, c.XIntervals, c.XDecimals);
}

void SortByX()
{
    TDMQuellow &dm = DMQuellow;
    const std::size_t n = rowCount();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return dm.PlotX[a] < dm.PlotX[b]; });
    for (DataArrayR *column : {&dm.PlotX, &dm.PlotY1, &dm.PlotY2, &dm.PlotY3, &dm.PlotY4}) {
        DataArrayR sorted(column->begin(), column->end());
        for (std::size_t i = 0; i < n; ++i)
            sorted[i] = (*column)[order[i]];
        *column = std::move(sorted);
    }
}

namespace {

/// The least-squares line of measured runoff (PlotY4) on recharge (PlotY2), drawn from a
/// recharge of 0 to the largest rain. Without spread in the recharge there is no line: the
/// values are tested themselves, as the centred sum of squares of equal values carries
/// rounding noise.
void computeLinearTrend(double rainMax, TChartState &c)
{
    const TDMQuellow &dm = DMQuellow;
    const std::size_t n = rowCount();
    c.LineValid = false;
    c.LineSlope = c.LineMeanX = c.LineX0 = c.LineY0 = c.LineX1 = c.LineY1 = 0;
    bool spread = false;
    for (std::size_t i = 1; i < n && !spread; ++i)
        spread = dm.PlotY2[i] != dm.PlotY2[0];
    if (!spread)
        return;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double xv = dm.PlotY2[i];
        const double yv = dm.PlotY4[i];
        sx += xv;
        sy += yv;
        sxx += xv * xv;
        sxy += xv * yv;
    }
    const double count = static_cast<double>(n);
    const double dxx = sxx - sx * sx / count;
    if (!(dxx > 0))
        return;
    c.LineMeanX = sx / count;
    c.LineSlope = (sxy - sx * sy / count) / dxx;
    const double meanY = sy / count;
    c.LineX0 = 0;
    c.LineX1 = rainMax;
    c.LineY0 = meanY + (c.LineX0 - c.LineMeanX) * c.LineSlope;
    c.LineY1 = meanY + (c.LineX1 - c.LineMeanX) * c.LineSlope;
    c.LineValid = true;
}

} // namespace

void ComputeTrend()
{
    const TDMQuellow &dm = DMQuellow;
    TChartState &c = Chart;
    double rainMax = MaxStart;
    for (std::size_t i = 0, n = rowCount(); i < n; ++i)
        rainMax = std::max(rainMax, dm.PlotY1[i]);
    computeLinearTrend(rainMax, c);
    const URainRun::TTrend &trend = URainRun::Trend;
    for (int k = 0; k <= 10; ++k) {
        const double xv = k * rainMax / 10;
        c.QuadX[k] = xv;
        c.QuadY[k] = trend.TrendQA * xv * xv + trend.TrendQB * xv + trend.TrendQC;
    }
}

int mapX(double value)
{
    const TChartState &c = Chart;
    const double span = static_cast<double>(c.XRight - c.XLeft);
    double offset = (value * c.XFactor - static_cast<double>(c.XLeft)) * c.XLength / span;
    offset = std::clamp(offset, -PixelLimit, PixelLimit);
    return OriginX + static_cast<int>(roundEven(offset));
}

int mapY(double value)
{
    const TChartState &c = Chart;
    const double span = static_cast<double>(c.YTop - c.YBottom);
    double offset = (value * c.YFactor - static_cast<double>(c.YBottom)) * c.YLength / span;
    offset = std::clamp(offset, -PixelLimit, PixelLimit);
    return OriginY - static_cast<int>(roundEven(offset)) - DataLift;
}

void ComputePixels(int kind)
{
    const TDMQuellow &dm = DMQuellow;
    const std::size_t n = rowCount();
    TChartState &c = Chart;
    c.PixelX.assign(n, 0);
    c.PixelY1.assign(n, 0);
    c.PixelY2.assign(n, 0);
    c.PixelY3.assign(n, 0);
    c.PixelY4.assign(n, 0);
    c.PixelY5.assign(kind == 5 ? n : 0, 0);
    for (std::size_t i = 0; i < n; ++i) {
        c.PixelX[i] = mapX(dm.PlotX[i]);
        c.PixelY1[i] = kind == 8 ? mapX(dm.PlotY2[i]) : mapY(dm.PlotY1[i]);
        c.PixelY2[i] = mapY(dm.PlotY2[i]);
        c.PixelY3[i] = mapY(dm.PlotY3[i]);
        c.PixelY4[i] = mapY(dm.PlotY4[i]);
        if (kind == 5)
            c.PixelY5[i] = mapY(dm.PlotY5[i]);
    }
    if (kind == 8) {
        for (int k = 0; k <= 10; ++k) {
            c.QuadPixelX[k] = mapX(c.QuadX[k]);
            c.QuadPixelY[k] = mapY(c.QuadY[k]);
        }
    }
}

void SetAxisTexts(int kind)
{
    TChartState &c = Chart;
    const int yf = c.YFactor;
    const int xf = c.XFactor;
    switch (kind) {
    case 1:
        c.YCaption = scaledCaption(yf, "Discharge/runoff (mm/t)", "Discharge or runoff");
        c.Legend1 = " o  observed";
        c.Legend2 = "--- calculated";
        break;
    case 5:
        if (DMQuellow.Drainage)
            c.YCaption =
                scaledCaption(yf, "Water table height (predicted, mm)", "Water table height (mm)");
        else
            c.YCaption =
                scaledCaption(yf, " Reservoir storage predicted (mm)", " Reservoir storage (mm)");
        break;
    case 6:
        c.YCaption = scaledCaption(yf, "Alpha value", "Alpha");
        c.XCaption = scaledCaption(xf, "Discharge/Runoff (mm/t)", "Discharge or Runoff");
        c.Legend1 = " o   observed";
        c.Legend2 = "---  calculated";
        break;
    case 7:
        c.YCaption = scaledCaption(yf, "Runoff calculated (mm/t)", "Runoff calculated");
        c.XCaption = scaledCaption(xf, "Runoff observed", "Runoff observed");
        c.Legend1 = " ---  Obs = Calc";
        break;
    case 8:
        c.YCaption = "Discharge observed";
        c.XCaption = "Recharge calculated";
        c.Legend1 = " o   observed";
        c.Legend2 = "---  trend line";
        c.Legend3 = "---  quadr. trend";
        break;
    default:
        break;
    }
    if (kind >= 1 && kind <= 5)
        c.XCaption = scaledCaption(xf, "Time", "Time");
}

double tickValueY(int k)
{
    const TChartState &c = Chart;
    return static_cast<double>(c.YTop) -
           static_cast<double>(k) / c.YIntervals * static_cast<double>(c.YTop - c.YBottom);
}

double tickValueX(int k)
{
    const TChartState &c = Chart;
    return static_cast<double>(c.XLeft) +
           static_cast<double>((c.XRight - c.XLeft) * k) / c.XIntervals;
}

std::string tickLabelY(int k)
{
    return tickLabel(tickValueY(k), Chart.YDecimals);
}

std::string tickLabelX(int k)
{
    return tickLabel(tickValueX(k), Chart.XDecimals);
}

std::vector<std::string> tickLabelsY()
{
    std::vector<std::string> labels;
    for (int k = 0; k <= Chart.YIntervals; ++k)
        labels.push_back(tickLabelY(k));
    return labels;
}

std::vector<std::string> tickLabelsX()
{
    std::vector<std::string> labels;
    for (int k = 0; k <= Chart.XIntervals; ++k)
        labels.push_back(tickLabelX(k));
    return labels;
}

std::vector<std::string> legends(int kind)
{
    const TChartState &c = Chart;
    switch (kind) {
    case 1:
    case 6:
        return {c.Legend1, c.Legend2};
    case 3:
    case 4:
        return {" Rain/irrigation in mm/t", " Recharge in mm/t"};
    case 7:
        return {c.Legend1};
    case 8: {
        std::vector<std::string> legends{c.Legend1};
        if (c.LineValid)
            legends.push_back(c.Legend2);
        if (URainRun::Trend.TrendValid)
            legends.push_back(c.Legend3);
        return legends;
    }
    default:
        return {};
    }
}

std::string rSquareText(double rSquare)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", rSquare);
    std::string text = buffer;
    for (char &ch : text)
        if (ch == '.')
            ch = DecimalSeparator;
    return "R square = " + text;
}

bool prepareChart(int kind)
{
    if (kind < 1 || kind > 8) {
        Prompts().ShowMessage("There is no graph of kind " + std::to_string(kind) + ".");
        return false;
    }
    const TDMQuellow &dm = DMQuellow;
    const std::size_t n = rowCount();
    bool complete = n > 0;
    for (const DataArrayR *column : {&dm.PlotX, &dm.PlotY1, &dm.PlotY2, &dm.PlotY3, &dm.PlotY4})
        complete = complete && column->size() >= n;
    if (kind == 5)
        complete = complete && dm.PlotY5.size() >= n;
    if (!complete) {
        Prompts().ShowMessage("There are no data rows for this graph. Read an output file first.");
        return false;
    }
    bool placeable = true;
    for (std::size_t i = 0; i < n && placeable; ++i) {
        for (double v : {dm.PlotX[i], dm.PlotY1[i], dm.PlotY2[i], dm.PlotY3[i], dm.PlotY4[i],
                         kind == 5 ? dm.PlotY5[i] : 0.0})
            placeable = placeable && std::fabs(v) <= LargestValue;
    }
    if (!placeable) {
        Prompts().ShowMessage("The values of this graph are too large to draw (beyond 1E9).");
        return false;
    }
    ComputeAxes(kind);
    if (kind == 6)
        SortByX();
    if (kind == 8)
        ComputeTrend();
    ComputePixels(kind);
    SetAxisTexts(kind);
    return true;
}

std::string describeChart(int kind)
{
    const TChartState &c = Chart;
    std::string out = "{";
    const auto number = [&](const char *key, long long value) {
        out += '"';
        out += key;
        out += "\":" + std::to_string(value) + ',';
    };
    number("XFactor", c.XFactor);
    number("YFactor", c.YFactor);
    number("XLeft", c.XLeft);
    number("XRight", c.XRight);
    number("YBottom", c.YBottom);
    number("YTop", c.YTop);
    number("XIntervals", c.XIntervals);
    number("YIntervals", c.YIntervals);
    number("XDecimals", c.XDecimals);
    number("YDecimals", c.YDecimals);
    out += "\"YLabels\":";
    appendJsonStrings(out, tickLabelsY());
    out += ",\"XLabels\":";
    appendJsonStrings(out, tickLabelsX());
    out += ",\"XCaption\":";
    appendJsonString(out, c.XCaption);
    out += ",\"YCaption\":";
    appendJsonString(out, c.YCaption);
    out += ",\"Legends\":";
    appendJsonStrings(out, legends(kind));
    out += ",\"NrOfData\":" + std::to_string(DMQuellow.NrOfData);
    out += ",\"RSquare\":" + shortest(ModelValues.RSquare);
    out += "}";
    return out;
}

} // namespace quellow::UQuellowUtils
