#include "model/URainRun.h"

#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UInputFile.h"
#include "model/UPrompts.h"
#include "model/UTextFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <string_view>

namespace quellow::URainRun {

namespace {

const bool registered = (RegisterStateReset([] { State = TState(); }), true);

// ---- Fixed texts ------------------------------------------------------------------------

const char *const NoRunoffVariationText =
    "There is no variation in runoff values. Rainfall-Runoff analysis cannot be made";
const char *const NoTimeVariationText =
    "There is no variation in time Rainfall-Runoff analysis cannot be made";
const char *const TimeOrderText =
    "Incorrect time sequence encountered. Please correct the input file";
const char *const MaxStorageText = "The Maximum Storage must be > 0";
const char *const NoDryDataText = "There are no zero rainfalls. The program cannot be run. Use the "
                                  "QuellowT model instead.";
const char *const TooFewLowRainText = "The number of data with little rainfall is not enough to "
                                      "determine the reaction factor.The program halts";
const char *const LimitedLowRainText = "The number of data with little rainfall is limited. The "
                                       "data fit may not be very close.";
const char *const FewLowerRangeText =
    "The number of data with little rainfall in the lower "
    "discharge range is small. The data fit may not be very close.";
const char *const TrendVertexText = "The quadratic trend of the relation between rainfall and "
                                    "runoff data shows an inconsistency. See output graphics";
const char *const GeneralWarningText = "Quellow may not give a satisfactory solution owing to "
                                       "particular, uncommon, data or anomalies.";

std::string equalRunoffText(int count)
{
    return std::string("There are ") + std::to_string(count) +
           " instances of zero recharge linked" +
           " to equal runoff. This hampers the determination of an" +
           " effective response factor (alpha). Please correct.";
}

std::string tooLargeText(const std::string &name)
{
    return "The input file \"" + name + "\" holds values beyond 1E9 (in magnitude)." +
           " Rainfall-Runoff analysis cannot be made";
}

std::string tooManyRowsText()
{
    return "The input file holds more than " + std::to_string(MaxSteps) +
           " data rows. Rainfall-Runoff analysis cannot be made";
}

void message(const std::string &text)
{
    Prompts().ShowMessage(text);
}

// ---- Reading the input file -------------------------------------------------------------

/// Both unit fields of a units line lose their blanks and full stops.
std::string unitText(std::string_view field)
{
    std::string text;
    for (char c : field)
        if (c != ' ' && c != '.')
            text += c;
    return text;
}

/// The input file as read: what a run takes from it before it changes anything.
struct TInput
{
    std::string Content; ///< the bytes the values below were read from
    std::string Title1, Title2, TimeUnit, DepthUnit;
    double MaxSto = 0, IniSto = 0, MaxEsc = 0;
    struct TRowValues
    {
        int serial;
        double time, rain, escape, runoff;
    };
    std::vector<TRowValues> Rows;
};

/// The file of the previous run. The six runs of a search read the same bytes; they are
/// parsed once.
TInput lastInput;
const bool inputRegistered = (RegisterStateReset([] { lastInput = TInput(); }), true);

/// Parses the lines of an input file by line position. Shows the reason and returns false
/// when they cannot be read as an analysis input file.
bool parseInput(const std::vector<std::string> &lines, const std::string &name, TInput &input)
{
    if (lines.size() < 14) {
        message(CorruptNumbersText(name));
        return false;
    }
    input.Title1 = lines[3];
    input.Title2 = lines[4];
    double *const parameters[3] = {&input.MaxSto, &input.IniSto, &input.MaxEsc};
    for (int k = 0; k < 3; ++k) {
        TLineScanner line(lines[7 + static_cast<std::size_t>(k)]);
        line.SkipChars(23);
        if (!line.ReadReal(*parameters[k])) {
            message(CorruptNumbersText(name));
            return false;
        }
    }

    std::size_t first = 14; // index of the first data row
    TLineScanner unitsLine(lines[13]);
    const std::string_view timeField = unitsLine.ReadChars(22);
    const std::string_view depthField = unitsLine.ReadChars(11);
    if (timeField == " ---------------------") {
        input.TimeUnit = "--";
        input.DepthUnit = "--";
    } else {
        input.TimeUnit = unitText(timeField);
        input.DepthUnit = unitText(depthField);
        if (input.TimeUnit == "SerialTimeR")
            input.TimeUnit = "t";
        if (input.DepthUnit == "ainR")
            input.DepthUnit = "depth/t";
        first = 15; // the rule under the units line
    }

    input.Rows.clear();
    input.Rows.reserve(lines.size() - std::min(lines.size(), first));
    for (std::size_t k = first; k < lines.size(); ++k) {
        TLineScanner line(lines[k]);
        if (line.AtEnd())
            continue; // a blank line carries no row
        if (input.Rows.size() == static_cast<std::size_t>(MaxSteps)) {
            message(tooManyRowsText());
            return false;
        }
        TInput::TRowValues row{};
        if (!(line.ReadInt(row.serial) && line.ReadReal(row.time) && line.ReadReal(row.rain) &&
              line.ReadReal(row.escape) && line.ReadReal(row.runoff))) {
            message(CorruptNumbersText(name));
            return false;
        }
        if (!WithinRunRange(row.time, row.rain, row.escape, row.runoff)) {
            message(tooLargeText(name));
            return false;
        }
        input.Rows.push_back(row);
    }
    return true;
}

/// Reads the input file named by DMQuellow.FileName into State, the data module's titles and
/// RainArr. Shows the reason and returns false when the file cannot be read.
bool readInputFile()
{
    const std::string &name = DMQuellow.FileName;
    std::string content;
    if (ReadWholeFile(name, content) != TReadStatus::Ok) {
        message(CannotOpenText(name));
        return false;
    }
    if (content != lastInput.Content || lastInput.Content.empty()) {
        TInput input;
        if (!parseInput(SplitLines(content), name, input))
            return false;
        input.Content = std::move(content);
        lastInput = std::move(input);
    }

    TState &s = State;
    DMQuellow.Title1 = lastInput.Title1;
    DMQuellow.Title2 = lastInput.Title2;
    s.MaxSto = lastInput.MaxSto;
    s.IniSto = lastInput.IniSto;
    s.MaxEsc = lastInput.MaxEsc;
    s.TimeUnit = lastInput.TimeUnit;
    s.DepthUnit = lastInput.DepthUnit;
    int i = 0;
    for (const TInput::TRowValues &row : lastInput.Rows) {
        ++i;
        if (s.SerialNo[i] != row.serial || s.SerialText[i].empty()) {
            s.SerialNo[i] = row.serial;
            s.SerialText[i] = std::to_string(row.serial).substr(0, 7);
        }
        s.StepTime[i] = row.time;
        RainArr[i] = row.rain;
        s.EscRate[i] = row.escape;
        s.RunMeas[i] = row.runoff;
    }
    s.DataCount = i;
    return true;
}

// ---- Least squares ------------------------------------------------------------------------

/// Number of distinct values among x[0..n-1], counted up to three.
int distinctUpToThree(const std::vector<double> &x)
{
    double seen[2] = {0, 0};
    int distinct = 0;
    for (double value : x) {
        bool known = false;
        for (int k = 0; k < distinct; ++k)
            known = known || seen[k] == value;
        if (known)
            continue;
        if (distinct == 2)
            return 3;
        seen[distinct++] = value;
    }
    return distinct;
}

/// The fits of y on x: linear y = a*x + c, and quadratic y = q[0]*x^2 + q[1]*x + q[2] from the
/// centred normal equations. Degenerate cases are recognised from the data: no points gives
/// a = c = 0; equal x values give a = 0, c = mean(y); equal y values give the level line
/// y = y[0]; fewer than three distinct x values leave the quadratic unfitted (coefficients 0).
struct TFit
{
    double a = 0, c = 0;
    std::array<double, 3> q{};
    bool quadratic = false;
};

TFit leastSquares(const std::vector<double> &x, const std::vector<double> &y)
{
    TFit fit;
    const std::size_t n = x.size();
    if (n == 0)
        return fit;
    double sx = 0, sy = 0, sx2 = 0;
    for (std::size_t k = 0; k < n; ++k) {
        sx += x[k];
        sy += y[k];
        sx2 += x[k] * x[k];
    }
    const double nn = static_cast<double>(n);
    const double mx = sx / nn, my = sy / nn, mx2 = sx2 / nn;
    const int distinct = distinctUpToThree(x);
    if (distinct < 2) {
        fit.c = my;
        return fit;
    }
    if (std::all_of(y.begin(), y.end(), [&y](double v) { return v == y.front(); })) {
        // A level set of points: exactly level lines, without the rounding noise of the sums.
        fit.c = y.front();
        fit.q = {0, 0, y.front()};
        fit.quadratic = distinct >= 3;
        return fit;
    }
    // Centred sums, taken about the means for accuracy.
    double sxx = 0, sxy = 0, s3 = 0, s4 = 0, s5 = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const double dx = x[k] - mx, dy = y[k] - my, dx2 = x[k] * x[k] - mx2;
        sxx += dx * dx;
        sxy += dx * dy;
        s3 += dx * dx2;
        s4 += dx2 * dy;
        s5 += dx2 * dx2;
    }
    fit.a = sxy / sxx;
    fit.c = my - fit.a * mx;
    if (distinct >= 3) {
        const double d = sxx * s5 - s3 * s3;
        if (d != 0) {
            fit.q[0] = (s4 * sxx - sxy * s3) / d;
            fit.q[1] = (sxy * s5 - s4 * s3) / d;
            fit.q[2] = my - fit.q[1] * mx - fit.q[0] * mx2;
            fit.quadratic = true;
        }
    }
    return fit;
}

/// Alpha of selected row i from its recession: -ln(Q[i]/Q[i-1]) / dt. Returns false (the row
/// is then dropped) unless the runoff falls over a step of positive length.
bool measureAlpha(int i, double &alpha)
{
    const TState &s = State;
    const double delta = s.StepTime[i] - s.StepTime[i - 1];
    const double q0 = s.RunMeas[i - 1], q1 = s.RunMeas[i];
    if (!(q1 > 0 && q0 > 0 && q1 < q0) || !(delta > 0))
        return false;
    alpha = -std::log(q1 / q0) / delta;
    return true;
}

/// Measures every still-selected row of 2..N into AlphaUp/AlphaLow with the counts; the
/// first pass also drops the eleventh and later steps of a dry spell.
void measureSelected(bool limitDrySpells)
{
    TState &s = State;
    const double divide = ModelValues.Divide;
    s.UpperCount = 0;
    s.LowerCount = 0;
    int dryRun = 0;
    for (int i = 2; i <= s.DataCount; ++i) {
        if (limitDrySpells) {
            if (s.Rech[i] > 0)
                dryRun = 0;
            if (s.Rech[i] < 0.001)
                ++dryRun;
            if (dryRun > 10)
                s.Selected[i] = false;
        }
        if (!s.Selected[i])
            continue;
        double alpha = 0;
        if (!measureAlpha(i, alpha)) {
            s.Selected[i] = false;
            continue;
        }
        if (s.RunMeas[i] > divide) {
            s.AlphaUp[i] = alpha;
            ++s.UpperCount;
        } else {
            s.AlphaLow[i] = alpha;
            ++s.LowerCount;
        }
    }
}

double quadratic(const std::array<double, 3> &q, double x)
{
    return q[0] * x * x + q[1] * x + q[2];
}

/// The first reservoir over rows 1..N. Returns false when a stopping condition was met.
bool computeRecharge()
{
    TState &s = State;
    const double d0 = s.MaxSto - s.IniSto;
    s.StoDef[1] = d0;
    s.Rech[1] = RainArr[1] - d0;
    s.ActSto[1] = s.IniSto;
    if (s.Rech[1] < 0) {
        s.StoDef[1] = d0 - RainArr[1];
        s.Rech[1] = 0;
        s.ActSto[1] = s.IniSto + RainArr[1];
    }
    s.TimeOrderError = false;
    for (int i = 2; i <= s.DataCount; ++i) {
        const double delta = s.StepTime[i] - s.StepTime[i - 1];
        if (delta < 0) {
            s.TimeOrderError = true;
            message(TimeOrderText);
            return false;
        }
        s.StorageOK = true;
        if (s.MaxSto <= 0) {
            message(MaxStorageText);
            s.StorageOK = false;
            return false;
        }
        const double ratio = s.ActSto[i - 1] / s.MaxSto;
        double escape = s.EscRate[i] * delta * ratio;
        // A step never loses more water than the dead storage holds.
        if (escape > 0 && escape > s.ActSto[i - 1])
            escape = std::max(s.ActSto[i - 1], 0.0);
        s.StoDef[i] = s.StoDef[i - 1] + escape;
        s.Rech[i] = RainArr[i] - s.StoDef[i];
        s.ActSto[i] = s.ActSto[i - 1] - escape;
        if (s.Rech[i] < 0) {
            s.StoDef[i] = s.StoDef[i - 1] + escape - RainArr[i];
            s.Rech[i] = 0;
            s.ActSto[i] = s.ActSto[i - 1] - escape + RainArr[i];
        }
    }
    return true;
}

/// Quadratic-trend consistency check of the final run.
void checkTrendVertex()
{
    const TState &s = State;
    if (!Trend.TrendValid || Trend.TrendQA == 0)
        return;
    double rainMin = 1000000, rainMax = 0;
    for (int i = 1; i <= s.DataCount; ++i) {
        rainMin = std::min(rainMin, RainArr[i]);
        rainMax = std::max(rainMax, RainArr[i]);
    }
    const double vertex = -0.5 * Trend.TrendQB / Trend.TrendQA;
    const double margin = 0.1 * (rainMax - rainMin);
    if (rainMin + margin < vertex && vertex < rainMax - margin && !s.LimitedData &&
        !s.NonPositiveSlope)
        message(TrendVertexText);
}

// ---- Output file ----------------------------------------------------------------------------

std::string spaces(int count)
{
    return std::string(static_cast<std::size_t>(std::max(count, 0)), ' ');
}

int padTime1(std::size_t t)
{
    return t >= 1 && t <= 8 ? 9 - static_cast<int>(t) : 0;
}
int padTime2(std::size_t t)
{
    if (t >= 1 && t <= 6)
        return 10 - static_cast<int>(t);
    return t == 7 ? 2 : t == 8 ? 1 : 0;
}
int padDepth3(std::size_t u)
{
    return u >= 1 && u <= 9 ? 10 - static_cast<int>(u) : 0;
}
int padDepth4(std::size_t u)
{
    if (u >= 2 && u <= 9)
        return 20 - static_cast<int>(u);
    return u == 10 ? 9 : 0;
}

/// Appends the serial field of row i: a blank, the serial text and blanks up to four characters
/// for serial numbers below 100.
void appendSerial(std::string &out, int i)
{
    const TState &s = State;
    out += ' ';
    out += s.SerialText[i];
    if (s.SerialNo[i] < 10)
        out += "  ";
    else if (s.SerialNo[i] < 100)
        out += ' ';
}

double measuredAlpha(int i)
{
    const TState &s = State;
    return s.RunMeas[i] > ModelValues.Divide ? s.AlphaUp[i] : s.AlphaLow[i];
}

} // namespace

TState::TState()
    : SerialNo(MaxSteps + 1, 0), SerialText(MaxSteps + 1), StepTime(MaxSteps + 1, 0.0),
      EscRate(MaxSteps + 1, 0.0), RunMeas(MaxSteps + 1, 0.0), Rech(MaxSteps + 1, 0.0),
      StoDef(MaxSteps + 1, 0.0), ActSto(MaxSteps + 1, 0.0), Selected(MaxSteps + 1, 0),
      AlphaUp(MaxSteps + 1, 0.0), AlphaLow(MaxSteps + 1, 0.0), AlphaRegr(MaxSteps + 1, 0.0),
      AlphaCalc(MaxSteps + 1, 0.0), RunCalc(MaxSteps + 1, 0.0)
{}

void TrendRegression()
{
    const TState &s = State;
    const int n = s.DataCount;
    double sumRech = 0;
    for (int i = 1; i <= n; ++i)
        sumRech += s.Rech[i];
    Trend.TrendValid = true;
    if (sumRech == 0) {
        // No recharge at all: there is no trend, and none of an earlier series may remain.
        Trend = TTrend();
        return;
    }
    if (s.Silent)
        return;
    const std::vector<double> x(s.Rech.begin() + 1, s.Rech.begin() + 1 + n);
    const std::vector<double> y(s.RunMeas.begin() + 1, s.RunMeas.begin() + 1 + n);
    const TFit fit = leastSquares(x, y);
    Trend.TrendA = fit.a;
    Trend.TrendC = fit.c;
    Trend.TrendQA = fit.q[0];
    Trend.TrendQB = fit.q[1];
    Trend.TrendQC = fit.q[2];
}

void RangeRegression(TRange range)
{
    TState &s = State;
    const bool upper = range == TRange::Upper;
    const double divide = ModelValues.Divide;
    std::vector<double> x, y;
    for (int i = 2; i <= s.DataCount; ++i) {
        if (!s.Selected[i] || (s.RunMeas[i] > divide) != upper)
            continue;
        x.push_back(s.RunMeas[i]);
        y.push_back(upper ? s.AlphaUp[i] : s.AlphaLow[i]);
    }
    const TFit fit = leastSquares(x, y);
    if (upper) {
        s.UpperRegCount = static_cast<int>(x.size());
        s.AUp = fit.a;
        s.CUp = fit.c;
        s.QuadUp = fit.q;
        s.QuadUpFitted = fit.quadratic;
    } else {
        s.LowerRegCount = static_cast<int>(x.size());
        s.ALow = fit.a;
        s.CLow = fit.c;
        s.QuadLow = fit.q;
        s.QuadLowFitted = fit.quadratic;
    }
}

void DetermineAlpha()
{
    TState &s = State;
    s.FileError = false;
    std::fill(s.Selected.begin(), s.Selected.end(), 0);
    if (!readInputFile()) {
        s.FileError = true;
        s.RunOK = false;
        return;
    }
    const int n = s.DataCount;

    // Preparation.
    for (int i = 1; i <= n; ++i)
        if (s.RunMeas[i] < 0.001)
            s.RunMeas[i] = 0.001;
    double runMax = n > 0 ? s.RunMeas[1] : 0, runMin = runMax;
    double timeMax = n > 0 ? s.StepTime[1] : 0, timeMin = timeMax;
    for (int i = 2; i <= n; ++i) {
        runMax = std::max(runMax, s.RunMeas[i]);
        runMin = std::min(runMin, s.RunMeas[i]);
        timeMax = std::max(timeMax, s.StepTime[i]);
        timeMin = std::min(timeMin, s.StepTime[i]);
    }
    ModelValues.Divide = runMin + (runMax - runMin) * s.DivideFraction;
    s.RunOK = true;
    DMQuellow.RunHalted = false;
    if (runMax - runMin < 0.001) {
        DMQuellow.RunHalted = true;
        message(NoRunoffVariationText);
        s.RunOK = false;
        return;
    }
    if (timeMax - timeMin < 0.001) {
        DMQuellow.RunHalted = true;
        message(NoTimeVariationText);
        s.RunOK = false;
        return;
    }
    if (s.IniSto == 0)
        s.IniSto = 0.1 * s.MaxSto;

    if (!computeRecharge())
        return;

    // The trend file is written with the output file, once the run has completed: a run that
    // stops leaves no files behind.
    TrendRegression();

    // First selection pass: falling runoff without recharge.
    for (int i = 2; i <= n; ++i)
        s.Selected[i] = s.Rech[i] < 0.001;
    for (int i = 2; i <= n; ++i)
        if (s.Selected[i] && s.RunMeas[i] >= s.RunMeas[i - 1])
            s.Selected[i] = false;
    s.Selected[n] = false;
    double sumRun = 0;
    for (int i = 1; i <= n; ++i)
        sumRun += s.RunMeas[i];
    s.MeanRun = sumRun / n;
    measureSelected(true);

    s.NoDryData = false;
    if (s.UpperCount + s.LowerCount == 0) {
        s.NoDryData = true;
        message(NoDryDataText);
        return;
    }

    s.LimitedData = false;
    if (!s.Silent) {
        int equal = 0;
        for (int i = 2; i <= n; ++i)
            if (s.RunMeas[i] == s.RunMeas[i - 1])
                ++equal;
        if (equal > 1)
            message(equalRunoffText(equal));
        s.LimitedData = s.UpperCount + s.LowerCount < 4 || s.LowerCount < 2 || s.UpperCount < 2;
    }

    // Second, relaxed pass: little recharge against the preceding runoff.
    if (s.UpperCount + s.LowerCount < 4 || s.UpperCount < 2 || s.LowerCount < 2) {
        for (int i = 2; i <= n; ++i)
            if (s.Rech[i] < 0.1 * s.RunMeas[i - 1])
                s.Selected[i] = true;
        measureSelected(false);
    }

    s.SelectedCount = 0;
    for (int i = 2; i <= n; ++i)
        if (s.Selected[i])
            ++s.SelectedCount;
    if (!s.Silent) {
        s.TooFewLowRain = false;
        s.FewLowRainWarned = false;
        if (s.SelectedCount < 3) {
            message(TooFewLowRainText);
            s.TooFewLowRain = true;
            return;
        }
        if (s.SelectedCount == 3) {
            message(LimitedLowRainText);
            s.FewLowRainWarned = true;
        } else if (s.LowerCount < 2) {
            message(FewLowerRangeText);
            s.FewLowRainWarned = true;
        }
    }

    RangeRegression(TRange::Upper);
    RangeRegression(TRange::Lower);
    s.NonPositiveSlope = s.AUp <= 0 || s.ALow <= 0;
    // Three or more points give the parabola; a range whose points lie at fewer than three
    // runoffs has none (its coefficients would all be 0) and keeps the straight line.
    const double divide = ModelValues.Divide;
    for (int i = 2; i <= n; ++i) {
        if (!s.Selected[i])
            continue;
        const double q = s.RunMeas[i];
        if (q > divide)
            s.AlphaRegr[i] =
                s.UpperRegCount >= 3 && s.QuadUpFitted ? quadratic(s.QuadUp, q) : s.AUp * q + s.CUp;
        else
            s.AlphaRegr[i] = s.LowerRegCount >= 3 && s.QuadLowFitted ? quadratic(s.QuadLow, q)
                                                                     : s.ALow * q + s.CLow;
    }
    if (!s.Silent)
        checkTrendVertex();
}

void Reconstruct()
{
    TState &s = State;
    const int n = s.DataCount;
    const double divide = ModelValues.Divide;
    double sse = 0;
    s.RunCalc[1] = s.RunMeas[1];
    if (s.Rech[1] > s.Rech[2])
        s.Rech[2] = s.Rech[1];
    for (int i = 2; i <= n; ++i) {
        const double previous = s.RunCalc[i - 1];
        double alpha =
            s.RunMeas[i] > divide ? s.AUp * previous + s.CUp : s.ALow * previous + s.CLow;
        if (alpha < 0)
            alpha = 0.01;
        s.AlphaCalc[i] = alpha;
        const double e = std::exp(-alpha * (s.StepTime[i] - s.StepTime[i - 1]));
        s.RunCalc[i] = previous * e + (1 - e) * s.Rech[i];
        const double deviation = s.RunMeas[i] - s.RunCalc[i];
        sse += deviation * deviation;
    }
    s.SSE = sse;
    if (s.RunCounter >= 1 && s.RunCounter <= 5)
        s.TrialResult[static_cast<std::size_t>(s.RunCounter)] = sse;
    if (s.Silent)
        return;
    double sum = 0;
    for (int i = 1; i <= n; ++i)
        sum += s.RunMeas[i];
    s.MeanRun = sum / n;
    double sst = 0;
    for (int i = 1; i <= n; ++i)
        sst += (s.RunMeas[i] - s.MeanRun) * (s.RunMeas[i] - s.MeanRun);
    // Reported within [0.01, 0.99]: a closer fit never reports a larger R square than a perfect
    // one, nor a poorer fit a smaller one than a useless one.
    double rSquare = 1 - 0.5 * sse / sst;
    if (!(rSquare > 0.01)) // also catches a NaN
        rSquare = 0.01;
    if (rSquare > 0.99)
        rSquare = 0.99;
    ModelValues.RSquare = rSquare;
}

double AlphaStandardDeviation()
{
    const TState &s = State;
    double ssa = 0;
    for (int i = 2; i <= s.DataCount; ++i)
        if (s.Selected[i]) {
            const double deviation = measuredAlpha(i) - s.AlphaRegr[i];
            ssa += deviation * deviation;
        }
    if (ssa <= 0)
        ssa = 0.001;
    return std::sqrt(ssa / (s.DataCount - 2));
}

double RunoffStandardDeviation()
{
    return std::sqrt(State.SSE / (State.DataCount - 1));
}

std::string AnalysisOutputText(const std::string &inputName)
{
    TState &s = State;
    const int n = s.DataCount;
    const std::string rule44(44, '-');
    const std::string rule64(64, '-');
    std::string text;
    text.reserve(static_cast<std::size_t>(n) * 130 + 2000);
    const auto line = [&text](const std::string &content) {
        text += content;
        text += "\r\n";
    };
    line("RESULTS OF Quellow PROGRAM");
    line("");
    line(DMQuellow.Title1);
    line(DMQuellow.Title2);
    line("Name of input file used: " + inputName);
    line("");
    line("Maximum dead storage:  " + Fixed(s.MaxSto, 6, 2) + " mm");
    line("Initial dead storage:  " + Fixed(s.IniSto, 6, 2) + " mm");
    line("Max. escape/time unit: " + Fixed(s.MaxEsc, 6, 2) + " " + s.DepthUnit);
    line("");
    line("REGRESSION: alpha = A * runoff + C");
    const std::string divide = FixedLocale(ModelValues.Divide, 5, 2);
    line("if Discharge >" + divide + " then A = " + Fixed(s.AUp, 7, 4) +
         "  C = " + Fixed(s.CUp, 7, 4));
    line("if Discharge <" + divide + " then A = " + Fixed(s.ALow, 7, 4) +
         "  C = " + Fixed(s.CLow, 7, 4));
    line("");
    line(rule44);
    line("Serial    Time     Runoff    Alpha     Alpha");
    line(" No.               maes.     meas.     regr.");
    const std::size_t t = s.TimeUnit.size(), u = s.DepthUnit.size();
    line(spaces(10) + s.TimeUnit + spaces(padTime1(t)) + s.DepthUnit);
    line(rule44);
    for (int i = 2; i <= n; ++i) {
        if (!s.Selected[i])
            continue;
        appendSerial(text, i);
        AppendFixed(text, s.StepTime[i], 10, 2);
        AppendFixed(text, s.RunMeas[i], 10, 3);
        AppendFixed(text, measuredAlpha(i), 10, 3);
        AppendFixed(text, s.AlphaRegr[i], 10, 4);
        text += "\r\n";
    }
    line(rule44);
    line("Stand. dev. of calc. from meas. alpha:" + Fixed(AlphaStandardDeviation(), 6, 3));
    line("");
    line("");
    line("RECONSTRUCTION:");
    line(rule64);
    line("Serial    Time      Rain    Recharge   Runoff    Alpha    Runoff");
    line(" No.                         calc.     meas.     calc.    calc. ");
    line(spaces(10) + s.TimeUnit + spaces(padTime2(t)) + s.DepthUnit + spaces(padDepth3(u)) +
         s.DepthUnit + spaces(padDepth3(u)) + s.DepthUnit + spaces(padDepth4(u)) + s.DepthUnit);
    line(rule64);
    s.AlphaCalc[1] = 0;
    for (int i = 1; i <= n; ++i) {
        appendSerial(text, i);
        AppendFixed(text, s.StepTime[i], 10, 2);
        AppendFixed(text, RainArr[i], 10, 2);
        AppendFixed(text, s.Rech[i], 10, 2);
        AppendFixed(text, s.RunMeas[i], 10, 2);
        AppendFixed(text, s.AlphaCalc[i], 10, 3);
        AppendFixed(text, s.RunCalc[i], 10, 2);
        text += "\r\n";
    }
    line(rule64);
    line("Stand. dev. of calc. from meas. runoff:" + Fixed(RunoffStandardDeviation(), 8, 3));
    line("Coefficient of explanation R square is:" + Fixed(ModelValues.RSquare, 8, 3));
    line("");
    return text;
}

bool WriteAnalysisOutput()
{
    const std::string outName = ChangeFileExt(DMQuellow.FileName, ".out");
    DMQuellow.FileName = ChangeFileExt(DMQuellow.FileName, ".inp");
    if (!WriteFileAtomically(outName, AnalysisOutputText(DMQuellow.FileName))) {
        message(CannotOpenText(outName));
        return false;
    }
    return true;
}

void AnalysisRun()
{
    TState &s = State;
    s.OutputWritten = false;
    DetermineAlpha();
    if (!s.RunOK || s.NoDryData || s.TimeOrderError || DMQuellow.RunHalted || s.TooFewLowRain ||
        !s.StorageOK || s.FileError)
        return;
    Reconstruct();
    if (s.Silent)
        return;
    if (!WriteTrendFile()) {
        message(CannotOpenText(ChangeFileExt(DMQuellow.FileName, ".dat")));
        s.FileError = true;
        return;
    }
    s.OutputWritten = WriteAnalysisOutput();
    s.FileError = !s.OutputWritten;
}

int ChooseTrial(const std::array<double, 6> &trialResult)
{
    for (int k = 1; k <= 5; ++k) {
        bool qualifies = true;
        for (int j = 1; j <= 5; ++j)
            if (j != k && !(trialResult[static_cast<std::size_t>(j)] + 0.001 >
                            trialResult[static_cast<std::size_t>(k)]))
                qualifies = false;
        if (qualifies)
            return k;
    }
    return 1; // only when a result is not a number
}

bool DivideSearch(TSearchHooks *hooks)
{
    TState &s = State;
    // Final-run flags of an earlier search must not stop these trials.
    s.TooFewLowRain = false;
    s.FewLowRainWarned = false;
    s.LimitedData = false;
    s.OutputWritten = false;
    for (int k = 1; k <= 5; ++k) {
        s.DivideFraction = TrialFractions[static_cast<std::size_t>(k - 1)];
        s.RunCounter = k;
        s.Silent = true;
        AnalysisRun();
        // These faults come back in every trial: report them once and stop.
        if (k == 1 && (!s.RunOK || s.NoDryData || s.TimeOrderError || !s.StorageOK ||
                       DMQuellow.RunHalted || s.FileError))
            return false;
        if (hooks)
            hooks->AfterRun(k);
    }
    s.DivideFraction = TrialFractions[static_cast<std::size_t>(ChooseTrial(s.TrialResult) - 1)];
    s.Silent = false;
    AnalysisRun();
    if (!s.OutputWritten)
        return false;
    if ((s.LimitedData || s.NonPositiveSlope) && !s.FewLowRainWarned)
        message(GeneralWarningText);
    if (hooks)
        hooks->AfterRun(FinalRun);
    return true;
}

} // namespace quellow::URainRun
