#include "runs/URainRun.h"

#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UOutputNames.h"
#include "files/UInputFile.h"
#include "files/UPrompts.h"
#include "runs/UPrediction.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace quellow::URainRun {

namespace {

const bool registered = (RegisterStateReset([] { State = TState(); }), true);

/// Numbers the preparations of series (TPreparedSeries::Id).
std::atomic<unsigned long long> preparedSeries{0};

/// The arrays of series grown to size (never shrunk).
void growSeries(TPreparedSeries &series, std::size_t size)
{
    for (TRowReals *v : {&series.StepTime, &series.Rain, &series.Runoff, &series.RunMeas,
                         &series.StepLength, &series.RowAlpha})
        if (v->size() < size)
            v->resize(size);
    if (series.RowRecedes.size() < size)
        series.RowRecedes.resize(size);
    if (series.StartsWindow.size() < size)
        series.StartsWindow.resize(size);
}

/// Every per-row array of s with room for a series of count rows (never shrunk): a joint series
/// may be longer than an input file.
void growState(TState &s, int count)
{
    const auto size = static_cast<std::size_t>(count) + 1;
    if (size <= s.Stride)
        return;
    for (TRowReals *v : {&s.EscRate, &s.Rech, &s.StoDef, &s.ActSto, &s.AlphaUp, &s.AlphaLow,
                         &s.AlphaRegr, &s.AlphaCalc, &s.RunCalc, &s.MeasuredAlpha})
        v->resize(size);
    s.SerialNo.resize(size);
    s.Selected.resize(size);
    s.FirstPass.resize(size);
    s.TrialRunCalc.resize(5 * size);
    s.Stride = size;
}

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

/// Shows a message of the run, when it has somewhere to go.
void say(const TState &s, const char *text)
{
    if (s.Messages)
        s.Messages->ShowMessage(text);
}

/// Ends a run at a stopping condition: its message and its reason.
void stop(TState &s, TStop reason, const char *text)
{
    s.Stop = reason;
    say(s, text);
}

// ---- Least squares ------------------------------------------------------------------------

/// Number of distinct values among x[0..n-1], counted up to three.
int distinctUpToThree(const double *x, std::size_t n)
{
    double seen[2] = {0, 0};
    int distinct = 0;
    for (std::size_t k = 0; k < n; ++k) {
        bool known = false;
        for (int j = 0; j < distinct; ++j)
            known = known || seen[j] == x[k];
        if (known)
            continue;
        if (distinct == 2)
            return 3;
        seen[distinct++] = x[k];
    }
    return distinct;
}

/// The fits of y on x: linear y = a*x + c, and quadratic y = q[0]*x^2 + q[1]*x + q[2] from the
/// centred normal equations. Degenerate cases are recognised from the data: no points gives
/// a = c = 0; equal x values give a = 0, c = mean(y); equal y values give the level line
/// y = y[0]; fewer than three distinct x values leave the quadratic unfitted (coefficients 0).
struct TLineFit
{
    double a = 0, c = 0;
    std::array<double, 3> q{};
    bool quadratic = false;
};

/// The linear and (with three distinct x) the quadratic fit from the centred sums about the means
/// mx of x and mx2 of x^2.
void fitCentred(const double *x, const double *y, std::size_t n, double mx, double my, double mx2,
                int distinct, TLineFit &fit)
{
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
    const double d = sxx * s5 - s3 * s3;
    if (distinct >= 3 && d != 0) {
        fit.q[0] = (s4 * sxx - sxy * s3) / d;
        fit.q[1] = (sxy * s5 - s4 * s3) / d;
        fit.q[2] = my - fit.q[1] * mx - fit.q[0] * mx2;
        fit.quadratic = true;
    }
}

TLineFit leastSquares(const double *x, const double *y, std::size_t n)
{
    TLineFit fit;
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
    const int distinct = distinctUpToThree(x, n);
    if (distinct < 2) {
        fit.c = my;
        return fit;
    }
    if (std::all_of(y, y + n, [y](double v) { return v == y[0]; })) {
        // A level set of points: exactly level lines, without the rounding noise of the sums.
        fit.c = y[0];
        fit.q = {0, 0, y[0]};
        fit.quadratic = distinct >= 3;
        return fit;
    }
    fitCentred(x, y, n, mx, my, mx2, distinct, fit);
    return fit;
}

double quadratic(const std::array<double, 3> &q, double x)
{
    return q[0] * x * x + q[1] * x + q[2];
}

// ---- The steps of the determination --------------------------------------------------------

/// Copies the input into the state and prepares its series; every run starts from the values
/// as read.
void takeOver(TState &s, const TAnalysisInput &input)
{
    s.FileError = false;
    s.Stop = TStop::None;
    std::fill(s.Selected.begin(), s.Selected.end(), 0);
    s.Title1 = input.Title1;
    s.Title2 = input.Title2;
    s.MaxSto = input.MaxSto;
    s.IniSto = input.IniSto;
    s.MaxEsc = input.MaxEsc;
    s.TimeUnit = input.TimeUnit;
    s.DepthUnit = input.DepthUnit;
    int i = 0;
    for (const TAnalysisRow &row : input.Rows) {
        ++i;
        s.SerialNo[i] = row.Serial;
        s.EscRate[i] = row.Escape;
    }
    s.DataCount = i;
    PrepareSeries(input, s.OwnSeries);
    s.SharedSeries = nullptr;
}

/// The start of a run of a parameter set over a prepared series: only the storages are taken
/// over (the escape rates are read where they are).
void takeOverSet(TState &s, const TPreparedSeries &series, const TFirstReservoir &set)
{
    s.FileError = false;
    s.Stop = TStop::None;
    growState(s, series.Count);
    s.SharedSeries = &series;
    s.DataCount = series.Count;
    std::fill(s.Selected.begin(), s.Selected.begin() + series.Count + 1, 0);
    s.MaxSto = set.MaxSto;
    s.IniSto = set.IniSto;
}

/// The divide of this run, and the check that the series' runoff and time vary. Returns false
/// when the run stops.
bool startOnSeries(TState &s)
{
    const TPreparedSeries &series = s.Series();
    s.Divide = series.RunMin + (series.RunMax - series.RunMin) * s.DivideFraction;
    s.RunOK = true;
    s.RunHalted = false;
    if (series.Stop != TStop::None) {
        s.RunHalted = true;
        s.RunOK = false;
        stop(s, series.Stop,
             series.Stop == TStop::NoRunoffVariation ? NoRunoffVariationText : NoTimeVariationText);
        return false;
    }
    s.IniSto = UsedInitStor(s.MaxSto, s.IniSto);
    return true;
}

/// Row i, the first of a window, from the initial storage.
void startReservoir(TState &s, int i, double rain)
{
    const double d0 = s.MaxSto - s.IniSto;
    s.StoDef[i] = d0;
    s.Rech[i] = rain - d0;
    s.ActSto[i] = s.IniSto;
    if (d0 < 0) {
        // A start above the maximum storage: the excess leaves as recharge on the first row
        // and the reservoir starts full, as in the prediction. A negative deficit carried on
        // would add the excess to the recharge of every later step.
        s.StoDef[i] = 0;
        s.ActSto[i] = s.MaxSto;
    } else if (s.Rech[i] < 0) {
        s.StoDef[i] = d0 - rain;
        s.Rech[i] = 0;
        s.ActSto[i] = s.IniSto + rain;
    }
}

/// The prediction's first reservoir over the window of rows first..last (an overflow empties
/// the deficit); false at a step whose length is not positive.
bool predictionReservoir(TState &s, const double *escapeRate, int first, int last)
{
    const TPreparedSeries &series = s.Series();
    const auto offset = static_cast<std::size_t>(first - 1);
    if (!UPrediction::DeadStorage(last - first + 1, series.StepTime.data() + offset,
                                  series.Rain.data() + offset, escapeRate + offset, s.MaxSto,
                                  s.IniSto, s.ActSto.data() + offset, s.Rech.data() + offset))
        return false;
    for (int i = first; i <= last; ++i)
        s.StoDef[i] = s.MaxSto - s.ActSto[i];
    return true;
}

/// The second row of every window, as computed, before the reconstruction raises it.
void keepSecondRows(TState &s)
{
    const TPreparedSeries &series = s.Series();
    s.RechargeStep2 = s.Rech[2];
    s.WindowStep2.clear();
    for (const int start : series.WindowStarts)
        s.WindowStep2.push_back(start + 1 <= s.DataCount ? s.Rech[start + 1] : 0);
}

/// The first reservoir over rows 1..N with the escape rates escapeRate[1..N], each window from
/// the initial storage. Returns false when a stopping condition was met.
bool computeRecharge(TState &s, const double *escapeRate)
{
    const TPreparedSeries &series = s.Series();
    s.TimeOrderError = false;
    if (s.PredictionReservoir && s.DataCount >= 2) {
        s.StorageOK = s.MaxSto > 0;
        if (!s.StorageOK) {
            stop(s, TStop::MaxStorage, MaxStorageText);
            return false;
        }
        const std::vector<int> &starts = series.WindowStarts;
        for (std::size_t w = 0; w < starts.size(); ++w) {
            const int last = w + 1 < starts.size() ? starts[w + 1] - 1 : s.DataCount;
            if (!predictionReservoir(s, escapeRate, starts[w], last)) {
                s.TimeOrderError = true;
                stop(s, TStop::TimeOrder, TimeOrderText);
                return false;
            }
        }
        keepSecondRows(s);
        return true;
    }
    startReservoir(s, 1, series.Rain[1]);
    double storage = s.ActSto[1], deficit = s.StoDef[1];
    for (int i = 2; i <= s.DataCount; ++i) {
        if (series.StartsWindow[i]) {
            startReservoir(s, i, series.Rain[i]);
            storage = s.ActSto[i];
            deficit = s.StoDef[i];
            continue;
        }
        const double delta = series.StepTime[i] - series.StepTime[i - 1];
        if (delta < 0) {
            s.TimeOrderError = true;
            stop(s, TStop::TimeOrder, TimeOrderText);
            return false;
        }
        s.StorageOK = true;
        if (s.MaxSto <= 0) {
            s.StorageOK = false;
            stop(s, TStop::MaxStorage, MaxStorageText);
            return false;
        }
        // The storage and deficit of the step before stay in registers: the arrays could
        // alias each other for all the compiler knows.
        const double ratio = storage / s.MaxSto;
        double escape = escapeRate[i] * delta * ratio;
        // A step never loses more water than the dead storage holds.
        if (escape > 0 && escape > storage)
            escape = std::max(storage, 0.0);
        const double rain = series.Rain[i];
        double nextDeficit = deficit + escape;
        double recharge = rain - nextDeficit;
        double nextStorage = storage - escape;
        if (recharge < 0) {
            nextDeficit = deficit + escape - rain;
            recharge = 0;
            nextStorage = storage - escape + rain;
        }
        s.StoDef[i] = deficit = nextDeficit;
        s.Rech[i] = recharge;
        s.ActSto[i] = storage = nextStorage;
    }
    keepSecondRows(s);
    return true;
}

/// Alpha of row i from its recession: -ln(Q[i]/Q[i-1]) / dt. Returns false (a selected row is
/// then dropped) unless the runoff falls over a step of positive length.
bool measureAlpha(const TPreparedSeries &series, int i, double &alpha)
{
    const double delta = series.StepTime[i] - series.StepTime[i - 1];
    const double q0 = series.RunMeas[i - 1], q1 = series.RunMeas[i];
    if (!(q1 > 0 && q0 > 0 && q1 < q0) || !(delta > 0))
        return false;
    alpha = -std::log(q1 / q0) / delta;
    return true;
}

/// Measures every still-selected row of 2..N into AlphaUp/AlphaLow with the counts; the
/// first pass also drops the eleventh and later steps of a dry spell.
void measureSelected(TState &s, bool limitDrySpells)
{
    const TPreparedSeries &series = s.Series();
    s.UpperCount = 0;
    s.LowerCount = 0;
    int dryRun = 0;
    for (int i = 2; i <= s.DataCount; ++i) {
        if (series.StartsWindow[i]) {
            // A window's first row is no recession, and its dry spells are its own.
            s.Selected[i] = false;
            dryRun = 0;
            continue;
        }
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
        if (!series.RowRecedes[i]) {
            s.Selected[i] = false;
            continue;
        }
        const double alpha = series.RowAlpha[i];
        s.MeasuredAlpha[i] = alpha;
        if (series.RunMeas[i] > s.Divide) {
            s.AlphaUp[i] = alpha;
            ++s.UpperCount;
        } else {
            s.AlphaLow[i] = alpha;
            ++s.LowerCount;
        }
    }
}

void regressRanges(TState &s);

/// The rows of Selected among 2..N into rows, ascending.
void listSelected(const TState &s, std::vector<int> &rows)
{
    rows.clear();
    for (int i = 2; i <= s.DataCount; ++i)
        if (s.Selected[i])
            rows.push_back(i);
}

/// The first pass of a run before over the same input, which does not depend on the divide:
/// the rows it selected and their measured alpha, sorted into the ranges of this divide.
void keepFirstPass(TState &s)
{
    const TPreparedSeries &series = s.Series();
    std::copy(s.FirstPass.begin(), s.FirstPass.end(), s.Selected.begin());
    s.UpperCount = 0;
    s.LowerCount = 0;
    for (const int i : s.FirstPassRows) {
        if (series.RunMeas[i] > s.Divide) {
            s.AlphaUp[i] = s.MeasuredAlpha[i];
            ++s.UpperCount;
        } else {
            s.AlphaLow[i] = s.MeasuredAlpha[i];
            ++s.LowerCount;
        }
    }
}

/// First selection pass: falling runoff without recharge, dry spells limited. Also the mean
/// runoff. With kept, the first pass of the run before is taken over (keepFirstPass).
/// Returns false (no dry data) when no alpha could be measured.
bool selectRecessions(TState &s, bool kept)
{
    const TPreparedSeries &series = s.Series();
    const int n = s.DataCount;
    if (kept) {
        keepFirstPass(s);
    } else {
        for (int i = 2; i <= n; ++i)
            s.Selected[i] = s.Rech[i] < 0.001;
        for (int i = 2; i <= n; ++i)
            if (s.Selected[i] && series.RunMeas[i] >= series.RunMeas[i - 1])
                s.Selected[i] = false;
        // The last row of every window is left out, as the last row of a file is.
        for (const int start : series.WindowStarts)
            if (start > 1)
                s.Selected[start - 1] = false;
        s.Selected[n] = false;
        double sumRun = 0;
        for (int i = 1; i <= n; ++i)
            sumRun += series.RunMeas[i];
        s.MeanRun = sumRun / n;
        measureSelected(s, true);
        std::copy(s.Selected.begin(), s.Selected.end(), s.FirstPass.begin());
        listSelected(s, s.FirstPassRows);
    }
    s.NoDryData = s.UpperCount + s.LowerCount == 0;
    if (s.NoDryData)
        stop(s, TStop::NoDryData, NoDryDataText);
    return !s.NoDryData;
}

/// Final run: the warning on equal runoffs and whether the first pass found few values.
void judgeFirstPass(TState &s)
{
    const TPreparedSeries &series = s.Series();
    s.LimitedData = false;
    if (s.Silent)
        return;
    if (s.Messages && s.Final == TFinalRun::Full) {
        int equal = 0;
        for (int i = 2; i <= s.DataCount; ++i)
            if (!series.StartsWindow[i] && series.RunMeas[i] == series.RunMeas[i - 1])
                ++equal;
        if (equal > 1)
            s.Messages->ShowMessage(equalRunoffText(equal));
    }
    s.LimitedData = s.UpperCount + s.LowerCount < 4 || s.LowerCount < 2 || s.UpperCount < 2;
}

/// Second, relaxed pass when the first found few values: little recharge against the
/// preceding runoff. Then the selected rows: every one of them has a measured alpha in one
/// of the ranges.
void relaxSelection(TState &s)
{
    const TPreparedSeries &series = s.Series();
    const int n = s.DataCount;
    if (s.UpperCount + s.LowerCount < 4 || s.UpperCount < 2 || s.LowerCount < 2) {
        for (int i = 2; i <= n; ++i)
            if (s.Rech[i] < 0.1 * series.RunMeas[i - 1])
                s.Selected[i] = true;
        measureSelected(s, false);
        listSelected(s, s.SelectedRows);
    } else {
        s.SelectedRows = s.FirstPassRows;
    }
    s.SelectedCount = s.UpperCount + s.LowerCount;
}

/// Final run: too few selected rows stop it; few of them warn. Returns false when it stops.
bool judgeSelection(TState &s)
{
    if (s.Silent)
        return true;
    s.TooFewLowRain = false;
    s.FewLowRainWarned = false;
    if (s.SelectedCount < 3) {
        s.TooFewLowRain = true;
        stop(s, TStop::TooFewLowRain, TooFewLowRainText);
        return false;
    }
    if (s.SelectedCount == 3) {
        say(s, LimitedLowRainText);
        s.FewLowRainWarned = true;
    } else if (s.LowerCount < 2) {
        say(s, FewLowerRangeText);
        s.FewLowRainWarned = true;
    }
    return true;
}

/// The regressions of both ranges and, unless the run is a trial or lean, the regressed alpha
/// of each selected row. Three or more points give the parabola; a range whose points lie at
/// fewer than three runoffs has none (its coefficients would all be 0) and keeps the straight
/// line.
void regressAlpha(TState &s)
{
    const TPreparedSeries &series = s.Series();
    regressRanges(s);
    s.NonPositiveSlope = s.AUp <= 0 || s.ALow <= 0;
    if (s.Silent || s.Final != TFinalRun::Full)
        return;
    for (const int i : s.SelectedRows) {
        const double q = series.RunMeas[i];
        if (q > s.Divide)
            s.AlphaRegr[i] =
                s.UpperRegCount >= 3 && s.QuadUpFitted ? quadratic(s.QuadUp, q) : s.AUp * q + s.CUp;
        else
            s.AlphaRegr[i] = s.LowerRegCount >= 3 && s.QuadLowFitted ? quadratic(s.QuadLow, q)
                                                                     : s.ALow * q + s.CLow;
    }
}

/// Final run: the quadratic trend's vertex inside the rain range is an inconsistency.
void checkTrendVertex(const TState &s)
{
    const TPreparedSeries &series = s.Series();
    const TTrend &trend = s.Trend;
    if (s.Silent || s.Final != TFinalRun::Full || !trend.TrendValid || trend.TrendQA == 0)
        return;
    double rainMin = 1000000, rainMax = 0;
    for (int i = 1; i <= s.DataCount; ++i) {
        rainMin = std::min(rainMin, series.Rain[i]);
        rainMax = std::max(rainMax, series.Rain[i]);
    }
    const double vertex = -0.5 * trend.TrendQB / trend.TrendQA;
    const double margin = 0.1 * (rainMax - rainMin);
    if (rainMin + margin < vertex && vertex < rainMax - margin && !s.LimitedData &&
        !s.NonPositiveSlope)
        say(s, TrendVertexText);
}

/// Final run: the fit measures (unless lean without them) and the volume ratio of the
/// reconstruction over rows 2..N.
void measureFit(TState &s)
{
    const TPreparedSeries &series = s.Series();
    const int n = s.DataCount;
    const std::size_t count = n >= 2 ? static_cast<std::size_t>(n - 1) : 0;
    const double *steps = series.StepLength.data() + 2;
    s.Fit = s.Final == TFinalRun::InMemoryWithoutFit
                ? TFitMeasures()
                : FitMeasures(s.RunCalc.data() + 2, series.RunMeas.data() + 2, count, steps);
    const double recharge = Volume(s.Rech.data() + 2, steps, count);
    const double runoff = Volume(series.RunMeas.data() + 2, steps, count);
    s.VolumeRatio = runoff > 0 ? recharge / runoff : 0;
}

/// Writes the trend file and the output file of a final run.
void fileResults(TState &s)
{
    const std::string collision = UOutputNames::Collision(
        {{"input file", s.FileName}}, UOutputNames::RunOutputs(s.FileName, true));
    if (!collision.empty()) {
        if (s.Messages)
            s.Messages->ShowMessage(collision);
        s.FileError = true;
        s.Stop = TStop::FileError;
        return;
    }
    if (!WriteTrendFile(s)) {
        if (s.Messages)
            s.Messages->ShowMessage(CannotOpenText(UOutputNames::TrendName(s.FileName)));
        s.FileError = true;
        s.Stop = TStop::FileError;
        return;
    }
    s.OutputWritten = WriteAnalysisOutput(s);
    s.FileError = !s.OutputWritten;
    if (s.FileError)
        s.Stop = TStop::FileError;
}

/// Sets every outcome flag back to its start value.
void resetOutcome(TState &s)
{
    s.RunOK = s.RunHalted = s.NoDryData = s.TimeOrderError = s.StorageOK = false;
    s.TooFewLowRain = s.LimitedData = s.NonPositiveSlope = s.FewLowRainWarned = false;
    s.Silent = s.FileError = s.OutputWritten = false;
    s.Stop = TStop::None;
    s.TrialResult = {};
}

// ---- The window's evaluation ------------------------------------------------------------------

void copyIn(TState &s)
{
    s.FileName = DMQuellow.FileName;
    s.Messages = &Prompts();
    s.WriteFiles = true;
    s.Title1 = DMQuellow.Title1;
    s.Title2 = DMQuellow.Title2;
    s.OwnSeries.Rain = RainArr;
    s.Divide = ModelValues.Divide;
    s.RSquare = ModelValues.RSquare;
    s.RunHalted = DMQuellow.RunHalted;
    s.Trend = Trend;
}

void copyOut(TState &s)
{
    DMQuellow.FileName = s.FileName;
    DMQuellow.Title1 = s.Title1;
    DMQuellow.Title2 = s.Title2;
    RainArr = s.OwnSeries.Rain;
    ModelValues.Divide = s.Divide;
    ModelValues.RSquare = s.RSquare;
    DMQuellow.RunHalted = s.RunHalted;
    Trend = s.Trend;
    s.Messages = nullptr;
}

/// Reads the file named by s.FileName; a failure sets FileError and clears the selection.
bool readInput(TState &s, TAnalysisInput &input)
{
    if (ReadAnalysisInput(s.FileName, input, s.Messages))
        return true;
    std::fill(s.Selected.begin(), s.Selected.end(), 0);
    s.FileError = true;
    s.RunOK = false;
    s.Stop = TStop::FileError;
    return false;
}

} // namespace

TState::TState()
    : SerialNo(MaxSteps + 1, 0), EscRate(MaxSteps + 1, 0.0), Rech(MaxSteps + 1, 0.0),
      StoDef(MaxSteps + 1, 0.0), ActSto(MaxSteps + 1, 0.0), Selected(MaxSteps + 1, 0),
      AlphaUp(MaxSteps + 1, 0.0), AlphaLow(MaxSteps + 1, 0.0), AlphaRegr(MaxSteps + 1, 0.0),
      AlphaCalc(MaxSteps + 1, 0.0), RunCalc(MaxSteps + 1, 0.0), FirstPass(MaxSteps + 1, 0),
      MeasuredAlpha(MaxSteps + 1, 0.0), TrialRunCalc(5 * (MaxSteps + 1), 0.0)
{
    growSeries(OwnSeries, MaxSteps + 1);
    RegrX.reserve(MaxSteps);
    RegrY.reserve(MaxSteps);
}

namespace {

/// PrepareSeries of the windows beginning at starts.
void prepareWindows(const TAnalysisInput &input, const std::vector<int> &starts,
                    TPreparedSeries &series)
{
    const int n = static_cast<int>(input.Rows.size());
    growSeries(series, static_cast<std::size_t>(n) + 1);
    series.Count = n;
    series.WindowStarts = starts;
    std::fill(series.StartsWindow.begin(), series.StartsWindow.begin() + n + 1, 0);
    for (const int start : starts)
        if (start >= 1 && start <= n)
            series.StartsWindow[static_cast<std::size_t>(start)] = 1;
    for (int i = 1; i <= n; ++i) {
        const TAnalysisRow &row = input.Rows[static_cast<std::size_t>(i - 1)];
        series.StepTime[i] = row.Time;
        series.Rain[i] = row.Rain;
        series.Runoff[i] = row.Runoff;
        series.RunMeas[i] = row.Runoff < 0.001 ? 0.001 : row.Runoff;
    }
    double runMax = n > 0 ? series.RunMeas[1] : 0, runMin = runMax;
    double timeMax = n > 0 ? series.StepTime[1] : 0, timeMin = timeMax;
    for (int i = 2; i <= n; ++i) {
        runMax = std::max(runMax, series.RunMeas[i]);
        runMin = std::min(runMin, series.RunMeas[i]);
        timeMax = std::max(timeMax, series.StepTime[i]);
        timeMin = std::min(timeMin, series.StepTime[i]);
    }
    series.RunMin = runMin;
    series.RunMax = runMax;
    series.Stop = TStop::None;
    if (!(runMax - runMin >= 0.001))
        series.Stop = TStop::NoRunoffVariation;
    else if (timeMax - timeMin < 0.001)
        series.Stop = TStop::NoTimeVariation;
    for (int i = 2; i <= n; ++i) {
        double alpha = 0;
        // No step leads into the first row of a window: it has no length and no recession.
        const bool starts = series.StartsWindow[i];
        series.StepLength[i] = starts ? 0 : series.StepTime[i] - series.StepTime[i - 1];
        series.RowRecedes[i] = !starts && measureAlpha(series, i, alpha);
        series.RowAlpha[i] = alpha;
    }
    series.Id = ++preparedSeries;
}

} // namespace

void PrepareSeries(const TAnalysisInput &input, TPreparedSeries &series)
{
    prepareWindows(input, {1}, series);
}

TPreparedSeries PrepareSeries(const TAnalysisInput &input, const std::vector<int> &windowStarts)
{
    TPreparedSeries series;
    prepareWindows(input, windowStarts, series);
    return series;
}

TPreparedSeries PrepareSeries(const TAnalysisInput &input)
{
    TPreparedSeries series;
    PrepareSeries(input, series);
    return series;
}

bool TState::Stopped() const
{
    return StoppedForGood() || TooFewLowRain;
}

bool TState::StoppedForGood() const
{
    return !RunOK || NoDryData || TimeOrderError || RunHalted || !StorageOK || FileError;
}

bool TState::NeedsGeneralWarning() const
{
    return (LimitedData || NonPositiveSlope) && !FewLowRainWarned;
}

namespace {

/// TrendRegression; with kept the recharge is that of the run before, whose sum is kept.
void trendRegression(TState &s, bool kept)
{
    const TPreparedSeries &series = s.Series();
    const auto n = static_cast<std::size_t>(s.DataCount);
    if (!kept) {
        double sumRech = 0;
        for (std::size_t i = 1; i <= n; ++i)
            sumRech += s.Rech[i];
        s.RechargeSum = sumRech;
    }
    s.Trend.TrendValid = true;
    if (s.RechargeSum == 0) {
        // No recharge at all: there is no trend, and none of an earlier series may remain.
        s.Trend = TTrend();
        return;
    }
    if (s.Silent || s.Final != TFinalRun::Full)
        return;
    const TLineFit fit = leastSquares(s.Rech.data() + 1, series.RunMeas.data() + 1, n);
    s.Trend.TrendA = fit.a;
    s.Trend.TrendC = fit.c;
    s.Trend.TrendQA = fit.q[0];
    s.Trend.TrendQB = fit.q[1];
    s.Trend.TrendQC = fit.q[2];
}

/// The points of the selected rows, upper range (RunMeas > Divide) into RegrX/RegrY and lower
/// into LowX/LowY, in the order of the rows.
void splitPoints(TState &s)
{
    const TPreparedSeries &series = s.Series();
    s.RegrX.clear();
    s.RegrY.clear();
    s.LowX.clear();
    s.LowY.clear();
    for (const int i : s.SelectedRows) {
        const double q = series.RunMeas[i];
        if (q > s.Divide) {
            s.RegrX.push_back(q);
            s.RegrY.push_back(s.AlphaUp[i]);
        } else {
            s.LowX.push_back(q);
            s.LowY.push_back(s.AlphaLow[i]);
        }
    }
}

/// The robust alpha function: a range with fewer than RobustMinPoints points or fewer than three
/// distinct runoffs rests on too little to carry a line of its own and takes the line fitted
/// over the points of both ranges; the simulation holds alpha beyond the runoffs of the points.
void robustLines(TState &s)
{
    s.BothX.assign(s.RegrX.begin(), s.RegrX.end());
    s.BothX.insert(s.BothX.end(), s.LowX.begin(), s.LowX.end());
    s.BothY.assign(s.RegrY.begin(), s.RegrY.end());
    s.BothY.insert(s.BothY.end(), s.LowY.begin(), s.LowY.end());
    if (s.BothX.empty())
        return;
    const auto weak = [](const std::vector<double> &x) {
        return static_cast<int>(x.size()) < RobustMinPoints ||
               distinctUpToThree(x.data(), x.size()) < 3;
    };
    const bool upperWeak = weak(s.RegrX), lowerWeak = weak(s.LowX);
    if (upperWeak || lowerWeak) {
        const TLineFit both = leastSquares(s.BothX.data(), s.BothY.data(), s.BothX.size());
        if (upperWeak) {
            s.AUp = both.a;
            s.CUp = both.c;
        }
        if (lowerWeak) {
            s.ALow = both.a;
            s.CLow = both.c;
        }
    }
    const auto [low, high] = std::minmax_element(s.BothX.begin(), s.BothX.end());
    s.AlphaLimits = {true, *low, *high};
}

/// Regresses the measured alpha of the selected rows of each range on their runoff: slope and
/// constant of the linear function (AUp/CUp, ALow/CLow) and the quadratic one (QuadUp,
/// QuadLow). No points: slope 0 and constant 0; all runoffs equal: slope 0 and constant the
/// mean alpha; fewer than three distinct runoffs: quadratic not fitted (coefficients 0).
void regressRanges(TState &s)
{
    splitPoints(s);
    const auto regress = [](const std::vector<double> &x, const std::vector<double> &y, int &count,
                            double &a, double &c, std::array<double, 3> &q, bool &fitted) {
        const TLineFit fit = leastSquares(x.data(), y.data(), x.size());
        count = static_cast<int>(x.size());
        a = fit.a;
        c = fit.c;
        q = fit.q;
        fitted = fit.quadratic;
    };
    regress(s.RegrX, s.RegrY, s.UpperRegCount, s.AUp, s.CUp, s.QuadUp, s.QuadUpFitted);
    regress(s.LowX, s.LowY, s.LowerRegCount, s.ALow, s.CLow, s.QuadLow, s.QuadLowFitted);
    s.AlphaLimits = {};
    if (s.Robust)
        robustLines(s);
}

} // namespace

void TrendRegression(TState &s)
{
    trendRegression(s, false);
}

namespace {

/// The start of a run of the same series as the run before, which did not stop before its
/// recharge: the values taken over, the series and the first reservoir do not depend on the
/// divide and are kept; only the divide is set and the step that the reconstruction raised is
/// put back.
void keepFirstReservoir(TState &s)
{
    const TPreparedSeries &series = s.Series();
    s.FileError = false;
    s.Stop = TStop::None;
    s.Divide = series.RunMin + (series.RunMax - series.RunMin) * s.DivideFraction;
    s.Rech[2] = s.RechargeStep2;
    for (std::size_t w = 1; w < series.WindowStarts.size(); ++w)
        if (series.WindowStarts[w] + 1 <= s.DataCount)
            s.Rech[series.WindowStarts[w] + 1] = s.WindowStep2[w];
}

/// DetermineAlpha after the first reservoir: the trend lines, the selection and the regressions.
/// With kept, the first reservoir and the first pass are those of the run before
/// (keepFirstReservoir, keepFirstPass).
void determineFromRecharge(TState &s, bool kept)
{
    // The trend file is written with the output file, once the run has completed: a run that
    // stops leaves no files behind.
    trendRegression(s, kept);
    if (!selectRecessions(s, kept))
        return;
    judgeFirstPass(s);
    relaxSelection(s);
    if (!judgeSelection(s))
        return;
    regressAlpha(s);
    checkTrendVertex(s);
}

/// The first reservoir of a run of input: taken over, its series prepared, the recharge
/// computed. Returns false when the run stops.
bool startOnInput(TState &s, const TAnalysisInput &input)
{
    takeOver(s, input);
    return startOnSeries(s) && computeRecharge(s, s.EscRate.data());
}

/// The first reservoir of a run of a parameter set over a prepared series. Returns false when
/// the run stops.
bool startOnSet(TState &s, const TPreparedSeries &series, const TFirstReservoir &set)
{
    takeOverSet(s, series, set);
    return startOnSeries(s) && computeRecharge(s, set.Escape.data());
}

/// Alpha of a reconstruction step under the alpha lines of l (a state or a trial): the line of
/// the range of the measured runoff q, at the runoff calculated before; 0.01 where it would be
/// negative.
template <typename TLines> double stepAlpha(const TLines &l, double q, double previous)
{
    double alpha = q > l.Divide ? l.AUp * previous + l.CUp : l.ALow * previous + l.CLow;
    if (alpha < 0)
        alpha = 0.01;
    return alpha;
}

/// The reconstruction of every window starts with a recharge of its step 2 no smaller than that
/// of its step 1.
void raiseFirstRecharge(TState &s)
{
    if (s.Rech[1] > s.Rech[2])
        s.Rech[2] = s.Rech[1];
    const std::vector<int> &starts = s.Series().WindowStarts;
    for (std::size_t w = 1; w < starts.size(); ++w) {
        const int i = starts[w];
        if (i + 1 <= s.DataCount && !s.Series().StartsWindow[i + 1] && s.Rech[i] > s.Rech[i + 1])
            s.Rech[i + 1] = s.Rech[i];
    }
}

/// The sum of squares of a reconstruction; unless Silent also the mean runoff, R square and
/// the fit measures.
void rateReconstruction(TState &s, double sse)
{
    const TPreparedSeries &series = s.Series();
    const int n = s.DataCount;
    s.SSE = sse;
    if (s.RunCounter >= 1 && s.RunCounter <= 5)
        s.TrialResult[static_cast<std::size_t>(s.RunCounter)] = sse;
    if (s.Silent)
        return;
    double sum = 0;
    for (int i = 1; i <= n; ++i)
        sum += series.RunMeas[i];
    s.MeanRun = sum / n;
    double sst = 0;
    for (int i = 1; i <= n; ++i)
        sst += (series.RunMeas[i] - s.MeanRun) * (series.RunMeas[i] - s.MeanRun);
    // Reported within [0.01, 0.99]: a closer fit never reports a larger R square than a perfect
    // one, nor a poorer fit a smaller one than a useless one.
    double rSquare = 1 - 0.5 * sse / sst;
    if (!(rSquare > 0.01)) // also catches a NaN
        rSquare = 0.01;
    if (rSquare > 0.99)
        rSquare = 0.99;
    s.RSquare = rSquare;
    measureFit(s);
}

/// The per-row arrays of the reconstruction of trial t (0..4) from its kept runoff.
void takeTrialRows(TState &s, std::size_t t)
{
    const TPreparedSeries &series = s.Series();
    const TState::TTrial &l = s.Trials[t];
    const double *runCalc = s.TrialRunCalc.data() + t * s.Stride;
    s.RunCalc[1] = series.RunMeas[1];
    s.AlphaCalc[1] = 0;
    for (int i = 2; i <= s.DataCount; ++i) {
        s.AlphaCalc[i] =
            series.StartsWindow[i] ? 0 : stepAlpha(l, series.RunMeas[i], runCalc[i - 1]);
        s.RunCalc[i] = runCalc[i];
    }
}

/// The reconstructions of N trials side by side (the indexes of those trials in index): the
/// trials are independent, so their exponentials need not wait for each other. Each trial's
/// arithmetic is that of Reconstruct, so its sum of squares is the same to the last bit. Each
/// trial's runoff is kept for the final run.
template <std::size_t N>
void reconstructSideBySide(TState &s, const std::array<std::size_t, 5> &index)
{
    const TPreparedSeries &series = s.Series();
    std::array<TState::TTrial, N> lines;
    std::array<double, N> previous, sse{};
    std::array<double *, N> kept;
    for (std::size_t c = 0; c < N; ++c) {
        lines[c] = s.Trials[index[c]];
        previous[c] = series.RunMeas[1];
        kept[c] = s.TrialRunCalc.data() + index[c] * s.Stride;
        kept[c][1] = series.RunMeas[1];
    }
    for (int i = 2; i <= s.DataCount; ++i) {
        const double q = series.RunMeas[i], dt = series.StepTime[i] - series.StepTime[i - 1],
                     r = s.Rech[i];
        if (series.StartsWindow[i]) {
            // Every window is reconstructed from its own first measured runoff.
            for (std::size_t c = 0; c < N; ++c)
                kept[c][i] = previous[c] = q;
            continue;
        }
        std::array<double, N> e;
        for (std::size_t c = 0; c < N; ++c)
            e[c] = -stepAlpha(lines[c], q, previous[c]) * dt;
        for (std::size_t c = 0; c < N; ++c)
            e[c] = std::exp(e[c]);
        for (std::size_t c = 0; c < N; ++c) {
            previous[c] = previous[c] * e[c] + (1 - e[c]) * r;
            kept[c][i] = previous[c];
            const double deviation = q - previous[c];
            sse[c] += deviation * deviation;
        }
    }
    for (std::size_t c = 0; c < N; ++c) {
        s.Trials[index[c]].SSE = sse[c];
        s.TrialResult[index[c] + 1] = sse[c];
    }
}

/// Reconstruct of every trial that ran, side by side (reconstructSideBySide); the per-row
/// arrays and SSE get the last trial's, as after trials run one after the other.
void reconstructTrials(TState &s)
{
    std::array<std::size_t, 5> index{};
    std::size_t count = 0;
    for (std::size_t t = 0; t < 5; ++t)
        if (s.Trials[t].Run)
            index[count++] = t;
    if (count == 0)
        return;
    raiseFirstRecharge(s);
    switch (count) {
    case 1:
        reconstructSideBySide<1>(s, index);
        break;
    case 2:
        reconstructSideBySide<2>(s, index);
        break;
    case 3:
        reconstructSideBySide<3>(s, index);
        break;
    case 4:
        reconstructSideBySide<4>(s, index);
        break;
    default:
        reconstructSideBySide<5>(s, index);
        break;
    }
    const std::size_t last = index[count - 1];
    // An evaluation's final run takes its rows from the chosen trial.
    if (s.Final == TFinalRun::Full)
        takeTrialRows(s, last);
    s.SSE = s.Trials[last].SSE;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The final run of a divide search repeats its chosen trial: when it arrives at the same alpha
/// lines, the trial's reconstruction is taken over (the same arithmetic, so the same to the
/// last bit) instead of being computed again. Returns false when it cannot be.
bool takeChosenTrial(TState &s)
{
    const int k = s.ChosenTrial;
    s.ChosenTrial = 0;
    if (k < 1 || k > 5)
        return false;
    const TState::TTrial &t = s.Trials[static_cast<std::size_t>(k - 1)];
    if (!t.Run || !sameBits(t.Divide, s.Divide) || !sameBits(t.AUp, s.AUp) ||
        !sameBits(t.CUp, s.CUp) || !sameBits(t.ALow, s.ALow) || !sameBits(t.CLow, s.CLow))
        return false;
    raiseFirstRecharge(s);
    // An evaluation without the reconstruction's fit measures reads no row of it.
    if (s.Final != TFinalRun::InMemoryWithoutFit)
        takeTrialRows(s, static_cast<std::size_t>(k - 1));
    rateReconstruction(s, t.SSE);
    return true;
}

/// The rest of a run after DetermineAlpha: the reconstruction (the chosen trial's, when it can
/// be taken over) and, unless the run is a trial or writes no files, the files.
void finishRun(TState &s)
{
    if (s.Stopped())
        return;
    if (!takeChosenTrial(s))
        Reconstruct(s);
    if (!s.Silent && s.WriteFiles)
        fileResults(s);
}

/// A run over the series and the first reservoir of the run before (a trial after the first,
/// or the final run of a search).
void keptRun(TState &s)
{
    keepFirstReservoir(s);
    determineFromRecharge(s, true);
}

/// The divide search whose first trial starts with start(s), which takes the series and the
/// first reservoir over and returns false when the run stops (startOnInput, startOnSet); the
/// other trials and the final run keep what it computed (keptRun).
template <typename TStart> bool divideSearch(TState &s, const TStart &start, TSearchHooks *hooks)
{
    // Final-run flags of an earlier search must not stop these trials.
    s.TooFewLowRain = false;
    s.FewLowRainWarned = false;
    s.LimitedData = false;
    s.OutputWritten = false;
    s.Trials = {};
    s.ChosenTrial = 0;
    for (int k = 1; k <= 5; ++k) {
        s.DivideFraction = TrialFractions[static_cast<std::size_t>(k - 1)];
        s.RunCounter = k;
        s.Silent = true;
        if (k > 1)
            keptRun(s);
        else if (start(s))
            determineFromRecharge(s, false);
        // These faults come back in every trial: report them once and stop.
        if (k == 1 && s.StoppedForGood())
            return false;
        if (!s.Stopped())
            s.Trials[static_cast<std::size_t>(k - 1)] = {true,  s.Divide, s.AUp,
                                                         s.CUp, s.ALow,   s.CLow};
    }
    reconstructTrials(s);
    for (int k = 1; k <= 5 && hooks; ++k)
        hooks->AfterRun(k);
    s.ChosenTrial = ChooseTrial(s.TrialResult);
    s.DivideFraction = TrialFractions[static_cast<std::size_t>(s.ChosenTrial - 1)];
    s.Silent = false;
    s.OutputWritten = false;
    keptRun(s);
    finishRun(s);
    s.ChosenTrial = 0;
    if (s.WriteFiles ? !s.Filed() : s.Stopped())
        return false;
    if (s.NeedsGeneralWarning())
        say(s, GeneralWarningText);
    if (hooks)
        hooks->AfterRun(FinalRun);
    return true;
}

/// The state of an evaluation before its search: no messages, no files, the final run as asked.
void beginEvaluation(TState &s, const TEvaluateOptions &options)
{
    s.Messages = nullptr;
    s.WriteFiles = false;
    resetOutcome(s);
    s.Final = options.Final;
    s.Robust = options.RobustAlpha;
    s.PredictionReservoir = options.PredictionReservoir;
}

/// What the search of an evaluation gave; afterwards the state's final runs are Full again.
TEvaluation endEvaluation(TState &s, bool completed)
{
    s.Final = TFinalRun::Full;
    s.Robust = false;
    s.PredictionReservoir = false;
    TEvaluation result;
    result.Stopped = !completed;
    result.Stop = s.Stop;
    result.Divide = s.Divide;
    result.DivideFraction = s.DivideFraction;
    if (result.Stopped)
        return result;
    result.RSquare = s.RSquare;
    result.VolumeRatio = s.VolumeRatio;
    result.Fit = s.Fit;
    result.Alpha = AlphaFunction(s);
    result.AlphaLimits = s.AlphaLimits;
    result.InitStor = s.IniSto;
    return result;
}

/// An analysis that completed is simulated when asked for and its volume ratio lies within the
/// bounds.
bool simulates(const TEvaluation &result, const TEvaluateOptions &options)
{
    return !result.Stopped && options.Simulate != TSimulate::No &&
           result.VolumeRatio >= options.SimulatedFromRatio &&
           result.VolumeRatio <= options.SimulatedToRatio;
}

/// The simulation of the window loaded into s.Simulation with the analysis of s.
TSimulationFit simulateWindow(TState &s, const TEvaluateOptions &options)
{
    return USimulation::Simulate(
        s.Simulation, s.MaxSto, s.IniSto, AlphaFunction(s), s.AlphaLimits, 2,
        options.Simulate == TSimulate::Full ? USimulation::TScore::Full : USimulation::TScore::Fit);
}

} // namespace

void DetermineAlpha(TState &s, const TAnalysisInput &input)
{
    if (startOnInput(s, input))
        determineFromRecharge(s, false);
}

void Reconstruct(TState &s)
{
    const TPreparedSeries &series = s.Series();
    double sse = 0;
    s.RunCalc[1] = series.RunMeas[1];
    s.AlphaCalc[1] = 0;
    raiseFirstRecharge(s);
    for (int i = 2; i <= s.DataCount; ++i) {
        if (series.StartsWindow[i]) {
            s.RunCalc[i] = series.RunMeas[i];
            s.AlphaCalc[i] = 0;
            continue;
        }
        const double previous = s.RunCalc[i - 1];
        const double alpha = stepAlpha(s, series.RunMeas[i], previous);
        s.AlphaCalc[i] = alpha;
        const double e = std::exp(-alpha * (series.StepTime[i] - series.StepTime[i - 1]));
        s.RunCalc[i] = previous * e + (1 - e) * s.Rech[i];
        const double deviation = series.RunMeas[i] - s.RunCalc[i];
        sse += deviation * deviation;
    }
    rateReconstruction(s, sse);
}

void AnalysisRun(TState &s, const TAnalysisInput &input)
{
    s.OutputWritten = false;
    DetermineAlpha(s, input);
    finishRun(s);
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

bool DivideSearch(TState &s, const TAnalysisInput &input, TSearchHooks *hooks)
{
    return divideSearch(
        s, [&input](TState &t) { return startOnInput(t, input); }, hooks);
}

bool DivideSearch(TState &s, TSearchHooks *hooks)
{
    s.TooFewLowRain = false;
    s.FewLowRainWarned = false;
    s.LimitedData = false;
    s.OutputWritten = false;
    s.DivideFraction = TrialFractions[0];
    s.RunCounter = 1;
    s.Silent = true;
    TAnalysisInput input;
    if (!readInput(s, input))
        return false;
    return DivideSearch(s, input, hooks);
}

TModelValues AlphaFunction(const TState &s)
{
    return USimulation::AlphaFunction(s.AUp, s.CUp, s.ALow, s.CLow, s.Divide);
}

TSimulationFit Simulate(const TAnalysisInput &input, TState &s, USimulation::TScore score)
{
    USimulation::Load(input, s.Simulation);
    s.SimulatedSeries = 0;
    return USimulation::Simulate(s.Simulation, s.MaxSto, s.IniSto, AlphaFunction(s), s.AlphaLimits,
                                 2, score);
}

std::string StopText(TStop reason)
{
    switch (reason) {
    case TStop::NoRunoffVariation:
        return NoRunoffVariationText;
    case TStop::NoTimeVariation:
        return NoTimeVariationText;
    case TStop::TimeOrder:
        return TimeOrderText;
    case TStop::MaxStorage:
        return MaxStorageText;
    case TStop::NoDryData:
        return NoDryDataText;
    case TStop::TooFewLowRain:
        return TooFewLowRainText;
    case TStop::None:
    case TStop::FileError:
        break;
    }
    return {};
}

TEvaluation Evaluate(const TAnalysisInput &input, TState &scratch, TSimulate simulate)
{
    TEvaluateOptions options;
    options.Simulate = simulate;
    return Evaluate(input, scratch, options);
}

TEvaluation Evaluate(const TAnalysisInput &input, TState &scratch, const TEvaluateOptions &options)
{
    TState &s = scratch;
    beginEvaluation(s, options);
    TEvaluation result = endEvaluation(s, DivideSearch(s, input));
    if (!simulates(result, options))
        return result;
    USimulation::Load(input, s.Simulation);
    s.SimulatedSeries = 0;
    result.Simulation = simulateWindow(s, options);
    return result;
}

TEvaluation Evaluate(const TPreparedSeries &series, const TFirstReservoir &set, TState &scratch,
                     const TEvaluateOptions &options)
{
    if (set.Escape.size() < static_cast<std::size_t>(series.Count) + 1)
        throw std::length_error("a parameter set has fewer escape rates than its series has rows");
    TState &s = scratch;
    beginEvaluation(s, options);
    const auto start = [&series, &set](TState &t) { return startOnSet(t, series, set); };
    TEvaluation result = endEvaluation(s, divideSearch(s, start, nullptr));
    if (!simulates(result, options))
        return result;
    // The window's time, rain and runoff are the series'; only the escape rates are the set's.
    if (s.SimulatedSeries != series.Id) {
        USimulation::Load(series, s.Simulation);
        s.SimulatedSeries = series.Id;
    }
    USimulation::LoadEscape(set.Escape, s.Simulation);
    result.Simulation = simulateWindow(s, options);
    return result;
}

// ---- The window's evaluation --------------------------------------------------------------------

void AnalysisRun()
{
    TState &s = State;
    copyIn(s);
    s.OutputWritten = false;
    TAnalysisInput input;
    if (readInput(s, input))
        AnalysisRun(s, input);
    copyOut(s);
}

void DetermineAlpha()
{
    TState &s = State;
    copyIn(s);
    TAnalysisInput input;
    if (readInput(s, input))
        DetermineAlpha(s, input);
    copyOut(s);
}

bool DivideSearch(TSearchHooks *hooks)
{
    TState &s = State;
    copyIn(s);
    const bool written = DivideSearch(s, hooks);
    copyOut(s);
    return written;
}

} // namespace quellow::URainRun
