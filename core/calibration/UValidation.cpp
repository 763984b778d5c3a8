#include "calibration/UValidation.h"

#include "calibration/UCalibrationRun.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UPrompts.h"
#include "runs/USimulation.h"
#include "files/UTextFields.h"
#include "tasks/UTaskPool.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <atomic>
#include <stdexcept>

namespace quellow::UValidation {

namespace {

using URainRun::TAnalysisInput;

/// Keeps the messages of a run instead of showing them.
class TCollected final : public TPrompts
{
public:
    void ShowMessage(const std::string &text) override
    {
        if (!Text.empty())
            Text += ' ';
        Text += text;
    }
    bool Confirm(const std::string &) override { return false; }
    std::string Text;
};

std::string quoted(const std::string &file)
{
    return "\"" + file + "\"";
}

std::string number(double v)
{
    return printfText("%.4g", v);
}

/// The refusal of an initial storage in mm above maxStor (whose: the maximum's source), or
/// empty.
std::string storageAboveMaximum(const TOptions &options, double maxStor, const std::string &whose)
{
    if (options.InitStorage != TInitStorage::Value ||
        !(URainRun::AsWritten(options.InitStorValue, 8) > maxStor))
        return {};
    return "The initial storage of " + shortestText(options.InitStorValue) +
           " mm lies above the maximum storage of " + printfText("%.2f", maxStor) + " mm (" +
           whose + "): give at most the maximum, or full.";
}

} // namespace

std::string GivenStorageAboveMaximum(const TOptions &options, double calMaxStor)
{
    return options.Calibrate ? storageAboveMaximum(options, UCalibration::MaxMaxStor,
                                                   "the largest the calibration searches")
                             : storageAboveMaximum(options, URainRun::AsWritten(calMaxStor, 8),
                                                   "the calibration file's");
}

double DefaultBand(TObjective objective)
{
    return objective == TObjective::RSquare ? 0.02 : 0.05;
}

bool ReadOption(TOption option, const std::string &text, const std::string &name, TOptions &options,
                std::string &message)
{
    double value = 0;
    int whole = 0;
    switch (option) {
    case TOption::Objective:
        if (UCalibration::ObjectiveFromName(text, options.Objective))
            return true;
        message = name + " is nse, kge or rsquare.";
        return false;
    case TOption::EscapeFactor:
        if (parseReal(text, value) && value >= 0) {
            options.EscapeFactor = value;
            return true;
        }
        message = name + " needs a number of 0 or more.";
        return false;
    case TOption::InitStorage:
        if (text == "cal" || text == "full") {
            options.InitStorage = text == "cal" ? TInitStorage::Cal : TInitStorage::Full;
            return true;
        }
        if (parseReal(text, value) && value >= 0) {
            options.InitStorage = TInitStorage::Value;
            options.InitStorValue = value;
            return true;
        }
        message = name + " is cal, full or a storage in mm (0 or more).";
        return false;
    case TOption::Warmup:
        if (parseInt(text, whole) && whole >= 0) {
            options.Warmup = whole;
            return true;
        }
        message = name + " needs a whole number of 0 or more.";
        return false;
    case TOption::Band:
        if (parseReal(text, value) && value >= 0) {
            options.Band = value;
            return true;
        }
        message = name + " needs a number of 0 or more.";
        return false;
    }
    return false;
}

bool ReadWindow(const std::string &path, const std::string &role, TAnalysisInput &input,
                std::string &message, const std::string &needs)
{
    std::vector<std::string> lines;
    if (readTextFile(path, lines) != TReadStatus::Ok) {
        message = CannotOpenText(path);
        return false;
    }
    const TInputMode mode = ModeOfLine(lines.size() > 1 ? lines[1] : std::string());
    if (mode == TInputMode::PredictionRunoff || mode == TInputMode::PredictionDrainage) {
        message = "The " + role + " file " + quoted(path) + " is a prediction file: " + needs +
                  " needs analysis files, which hold the measured runoff.";
        return false;
    }
    if (mode != TInputMode::Analysis) {
        message = NotAnInputFileMessage(path);
        return false;
    }
    TCollected said;
    if (!URainRun::ReadAnalysisInput(path, input, &said)) {
        message = said.Text.empty() ? CorruptNumbersText(path) : said.Text;
        return false;
    }
    return true;
}

double Quantile(double *x, std::size_t n, double p)
{
    if (n == 0)
        return 0;
    const double h = static_cast<double>(n - 1) * p;
    const auto lo = static_cast<std::size_t>(std::floor(h));
    std::nth_element(x, x + lo, x + n);
    const double below = x[lo];
    if (lo + 1 >= n)
        return below;
    const double above = *std::min_element(x + lo + 1, x + n);
    return below + (h - static_cast<double>(lo)) * (above - below);
}

TBenchmark BenchmarkOf(const TSimulationFit &sim)
{
    TBenchmark b;
    b.Defined = sim.Made && sim.Skill.Valid;
    if (b.Defined)
        b.Fit = sim.Skill.Fit;
    return b;
}

double MedianStep(const TAnalysisInput &input)
{
    std::vector<double> steps;
    for (std::size_t k = 1; k < input.Rows.size(); ++k)
        steps.push_back(input.Rows[k].Time - input.Rows[k - 1].Time);
    if (steps.empty())
        return 0;
    const std::size_t n = steps.size();
    std::sort(steps.begin(), steps.end());
    return n % 2 ? steps[n / 2] : (steps[n / 2 - 1] + steps[n / 2]) / 2;
}

std::string WarmupProblem(std::size_t rows, int warmup, const std::string &valFile)
{
    const int scored = static_cast<int>(rows) - 1 - warmup;
    if (warmup >= 0 && scored >= MinScoredRows)
        return {};
    return "A warm-up of " + std::to_string(warmup) + " rows leaves " +
           std::to_string(std::max(scored, 0)) + " scored rows of " + quoted(valFile) +
           "; a validation needs at least " + std::to_string(MinScoredRows) + ".";
}

std::string NegativeValueProblem(const TAnalysisInput &input, const std::string &role,
                                 const std::string &file)
{
    for (const URainRun::TAnalysisRow &r : input.Rows) {
        const char *what = r.Runoff < 0   ? "measured runoff"
                           : r.Rain < 0   ? "rain"
                           : r.Escape < 0 ? "escape rate"
                                          : nullptr;
        if (!what)
            continue;
        const double value = r.Runoff < 0 ? r.Runoff : r.Rain < 0 ? r.Rain : r.Escape;
        return "The " + role + " file " + quoted(file) + " has a negative " + what + " (" +
               shortestText(value) + ") in row " + std::to_string(r.Serial) +
               ": Save / Run refuses such a row, and so does a validation. Correct the value "
               "(a marker of a missing value?) or leave the row out.";
    }
    return {};
}

std::string StepLengthProblem(const TAnalysisInput &a, const std::string &aFile,
                              const TAnalysisInput &b, const std::string &bFile)
{
    const double aStep = MedianStep(a), bStep = MedianStep(b);
    if (aStep > 0 && bStep > 0 && aStep <= MaxStepRatio * bStep && bStep <= MaxStepRatio * aStep)
        return {};
    return "The time steps of " + quoted(aFile) + " (median " + number(aStep) + ") and " +
           quoted(bFile) + " (median " + number(bStep) +
           ") differ by more than a factor of 1.5: an alpha function does not carry over "
           "between such step lengths.";
}

namespace {

/// The checks of the two windows that need no run. Returns the message, empty when they pass.
std::string checkWindows(const TAnalysisInput &cal, const std::string &calFile,
                         const TAnalysisInput &val, const std::string &valFile,
                         const TOptions &options)
{
    for (std::string negative : {NegativeValueProblem(cal, "calibration", calFile),
                                 NegativeValueProblem(val, "validation", valFile)})
        if (!negative.empty())
            return negative;
    if (std::none_of(val.Rows.begin(), val.Rows.end(),
                     [](const URainRun::TAnalysisRow &r) { return r.Runoff > 0; }))
        return "The validation file " + quoted(valFile) +
               " holds no measured runoff (every value is 0): there is nothing to validate "
               "against.";
    if (std::string problem = WarmupProblem(val.Rows.size(), options.Warmup, valFile);
        !problem.empty())
        return problem;
    const double first = val.Rows[static_cast<std::size_t>(options.Warmup + 1)].Runoff;
    if (std::all_of(val.Rows.begin() + options.Warmup + 1, val.Rows.end(),
                    [first](const URainRun::TAnalysisRow &r) { return r.Runoff == first; }))
        return "The measured runoff of " + quoted(valFile) +
               " is the same on every scored row: NSE and KGE are not defined.";
    if (std::string above = GivenStorageAboveMaximum(options, cal.MaxSto); !above.empty())
        return above;
    return StepLengthProblem(cal, calFile, val, valFile);
}

/// The parameters VAL is simulated with: the set's maximum storage, the initial storage the
/// option asks for (as the run starts from it: a storage given in mm is taken as it is, so 0
/// is an empty start), the factor on VAL's escape rates.
TParameters transferred(const TParameters &set, double factor, const TOptions &options)
{
    TParameters p{set.MaxStor, UsedInitStor(set), factor};
    if (options.InitStorage == TInitStorage::Full)
        p.InitStor = set.MaxStor;
    else if (options.InitStorage == TInitStorage::Value)
        p.InitStor = options.InitStorValue;
    return p;
}

/// One window of VAL to simulate many parameter sets on: its input as written and the scratch.
struct TTarget
{
    const TAnalysisInput *Input = nullptr; ///< as written
    int FirstScored = 2;
    TAnalysisInput Applied;
    USimulation::TScratch Scratch;
};

/// VAL simulated with p (storages and factor, rounded as the file writes them) and the alpha
/// function of analysis (held as it says).
TSimulationFit simulate(TTarget &t, const TParameters &p, const URainRun::TEvaluation &analysis,
                        USimulation::TScore score = USimulation::TScore::Full)
{
    URainRun::ApplyCalibration(*t.Input, p, t.Applied);
    USimulation::Load(t.Applied, t.Scratch);
    return USimulation::Simulate(t.Scratch, t.Applied.MaxSto, t.Applied.IniSto, analysis.Alpha,
                                 analysis.AlphaLimits, t.FirstScored, score);
}

double meanRunoff(const TAnalysisInput &input)
{
    double sum = 0;
    for (const URainRun::TAnalysisRow &r : input.Rows)
        sum += r.Runoff;
    return input.Rows.empty() ? 0 : sum / static_cast<double>(input.Rows.size());
}

/// The objective that CAL's mean measured runoff as a constant gets on CAL: a set of the band
/// must do better.
double meanObjectiveOnCal(const TAnalysisInput &cal, TObjective objective)
{
    const double mean = meanRunoff(cal);
    if (objective == TObjective::RSquare) {
        // As the analysis computes it: runoff raised to 0.001, SSE over rows 2..N, SST over all.
        double sum = 0;
        for (const auto &r : cal.Rows)
            sum += std::max(r.Runoff, 0.001);
        const double raisedMean = sum / static_cast<double>(cal.Rows.size());
        double sse = 0, sst = 0;
        for (std::size_t k = 0; k < cal.Rows.size(); ++k) {
            const double q = std::max(cal.Rows[k].Runoff, 0.001);
            sst += (q - raisedMean) * (q - raisedMean);
            if (k > 0)
                sse += (q - mean) * (q - mean);
        }
        return std::clamp(1 - 0.5 * sse / sst, 0.01, 0.99);
    }
    USimulation::TScratch scratch;
    USimulation::Load(cal, scratch);
    const TSkill skill = USimulation::ConstantSkill(scratch, mean, 2);
    return objective == TObjective::NSE ? skill.Fit.NSE : skill.Fit.KGE;
}

/// The sets of the band: admissible, within the distance of the best objective and better than
/// the mean benchmark on CAL; at most MaxBandSets, best first, ties by evaluation order.
std::vector<const UCalibration::TEvaluatedSet *>
bandSets(const std::vector<UCalibration::TEvaluatedSet> &evaluated, TObjective objective,
         double distance, double meanOnCal)
{
    std::vector<const UCalibration::TEvaluatedSet *> sets;
    double best = -std::numeric_limits<double>::infinity();
    for (const auto &e : evaluated)
        if (UCalibration::Admissible(e.Evaluation, objective))
            best = std::max(best, UCalibration::ObjectiveValue(e.Evaluation, objective));
    for (const auto &e : evaluated) {
        if (!UCalibration::Admissible(e.Evaluation, objective))
            continue;
        const double v = UCalibration::ObjectiveValue(e.Evaluation, objective);
        if (v >= best - distance && v > meanOnCal)
            sets.push_back(&e);
    }
    std::stable_sort(sets.begin(), sets.end(), [objective](const auto *a, const auto *b) {
        const double va = UCalibration::ObjectiveValue(a->Evaluation, objective);
        const double vb = UCalibration::ObjectiveValue(b->Evaluation, objective);
        return va != vb ? va > vb : a->Order < b->Order;
    });
    if (sets.size() > static_cast<std::size_t>(MaxBandSets))
        sets.resize(static_cast<std::size_t>(MaxBandSets));
    return sets;
}

void widen(std::array<double, 2> &range, double v, bool first)
{
    if (first)
        range = {v, v};
    range[0] = std::min(range[0], v);
    range[1] = std::max(range[1], v);
}

/// The parameter spread band of the sets CAL's calibration found about as good as its best.
void makeBand(TValidation &v, const TAnalysisInput &cal, TTarget &target, const TOptions &options)
{
    TBand &band = v.Band;
    const double distance = options.Band >= 0 ? options.Band : DefaultBand(options.Objective);
    const auto sets = bandSets(v.Evaluated, options.Objective, distance,
                               meanObjectiveOnCal(cal, options.Objective));
    if (sets.size() < static_cast<std::size_t>(MinBandSets)) {
        band.Why = "No band: " + std::to_string(sets.size()) +
                   " of the sets the calibration evaluated lie within " + number(distance) +
                   " of the best " + UCalibration::ObjectiveName(options.Objective) +
                   " and beat the mean benchmark on the calibration window; a band needs " +
                   std::to_string(MinBandSets) + ".";
        return;
    }
    const std::size_t n = v.Measured.size();
    std::vector<double> runoff(sets.size() * n);
    std::vector<char> made(sets.size(), 0);
    // Each set on its own: spread over the threads, every result in its own place; each
    // thread loads VAL into its scratch once.
    UTaskPool::TTaskPool pool(UTaskPool::ThreadCount(options.Threads, sets.size()));
    std::vector<USimulation::TScratch> scratch(static_cast<std::size_t>(pool.threads()));
    std::vector<char> loaded(scratch.size(), 0);
    pool.forEach(static_cast<int>(sets.size()), [&](int set, int worker) {
        if (options.BeforeBandSet)
            options.BeforeBandSet(set);
        const auto k = static_cast<std::size_t>(set);
        USimulation::TScratch &s = scratch[static_cast<std::size_t>(worker)];
        if (!loaded[static_cast<std::size_t>(worker)]) {
            USimulation::Load(*target.Input, s);
            loaded[static_cast<std::size_t>(worker)] = 1;
        }
        const UCalibration::TEvaluatedSet &e = *sets[k];
        const TParameters p = transferred(e.Parameters, e.Parameters.EscapeFactor, options);
        const double maxStor = URainRun::AsWritten(p.MaxStor, 8);
        const double initStor = URainRun::AsWritten(p.InitStor, 8);
        USimulation::ScaleEscape(*target.Input, p.EscapeFactor, s);
        made[k] = USimulation::Simulate(s, maxStor, initStor, e.Evaluation.Alpha,
                                        e.Evaluation.AlphaLimits, target.FirstScored,
                                        USimulation::TScore::None)
                      .Made;
        std::copy(s.Runoff.begin() + 1, s.Runoff.begin() + 1 + static_cast<std::ptrdiff_t>(n),
                  runoff.begin() + static_cast<std::ptrdiff_t>(k * n));
    });
    if (std::find(made.begin(), made.end(), 0) != made.end()) {
        band.Why = "No band: a set of the band could not be simulated on the validation file.";
        return;
    }
    for (std::size_t k = 0; k < sets.size(); ++k) {
        const UCalibration::TEvaluatedSet &e = *sets[k];
        widen(band.MaxStor, e.Parameters.MaxStor, k == 0);
        widen(band.InitStor, UsedInitStor(e.Parameters), k == 0);
        widen(band.EscapeFactor, e.Parameters.EscapeFactor, k == 0);
        band.Members.push_back({e.Parameters,
                                UCalibration::ObjectiveValue(e.Evaluation, options.Objective),
                                e.Scan, e.Order});
    }
    band.Sets = static_cast<int>(sets.size());
    BandFromRuns(runoff, sets.size(), v.Measured, target.FirstScored, band);
    band.Made = true;
}

/// Calibrates input with the options' objective; false with v's message when it fails.
bool calibrate(const TAnalysisInput &input, const std::string &file, const TOptions &options,
               bool keep, UCalibration::TCalibrationRun &run, std::string &why)
{
    UCalibration::TOptions search;
    search.Objective = options.Objective;
    search.Evaluations = options.Evaluations;
    search.Threads = options.Threads;
    search.KeepEvaluated = keep;
    search.Cancel = options.Cancel;
    search.RobustAlpha = options.RobustAlpha;
    search.PredictionReservoir = options.PredictionReservoir;
    TCollected said;
    run = UCalibration::CalibrateAnalysis(input, search, &said);
    if (run.Status == UCalibration::TStatus::Calibrated)
        return true;
    why = "The calibration of " + quoted(file) + " did not complete" +
          (said.Text.empty() ? std::string(".") : ": " + said.Text);
    return false;
}

/// The analysis of CAL at its start values; false with the message when it stops.
bool analyseStart(const TAnalysisInput &cal, const std::string &calFile, const TOptions &options,
                  URainRun::TEvaluation &fit, std::string &why)
{
    URainRun::TState state;
    URainRun::TEvaluateOptions full;
    full.Simulate = URainRun::TSimulate::Full;
    full.RobustAlpha = options.RobustAlpha;
    full.PredictionReservoir = options.PredictionReservoir;
    fit = URainRun::Evaluate(cal, state, full);
    if (!fit.Stopped)
        return true;
    TCollected said;
    URainRun::TState shown;
    shown.Messages = &said;
    shown.WriteFiles = false;
    URainRun::DivideSearch(shown, cal);
    why = "The analysis of " + quoted(calFile) + " stops at its start values" +
          (said.Text.empty() ? std::string(".") : ": " + said.Text);
    return false;
}

void noteUndefined(TValidation &v)
{
    if (!v.Validation.Skill.Valid)
        v.Notes.push_back("The validation's figures are not defined.");
    else if (!v.Validation.Skill.LogValid)
        v.Notes.push_back("The validation's log NSE is not defined: the logarithms of the "
                          "measured runoff (plus a hundredth of its mean) of the scored rows do "
                          "not vary, or a runoff plus that hundredth is not positive.");
    if (v.Validation.InitialRunoffRaised)
        v.Notes.push_back("The simulation of the validation file starts from a runoff of " +
                          shortestText(v.Validation.InitialRunoff) +
                          " (1.1 times -B1) instead of its first measured runoff " +
                          shortestText(v.FirstMeasured) +
                          ", as a prediction does when -B1 is larger.");
    if (v.CalFit.Simulation.InitialRunoffRaised)
        v.Notes.push_back("The simulation of the calibration file starts from a runoff of " +
                          shortestText(v.CalFit.Simulation.InitialRunoff) +
                          " (1.1 times -B1) instead of its first measured runoff.");
    if (!v.Start.Defined)
        v.Notes.push_back("The start benchmark is not defined.");
    if (!v.Recession.Defined)
        v.Notes.push_back("The recession benchmark is not defined.");
    if (!v.Mean.Defined)
        v.Notes.push_back("The mean benchmark is not defined.");
    if (v.Band.Made && !v.Band.WidthDefined)
        v.Notes.push_back("The band's width is not defined: the measured runoff of the scored "
                          "rows is 0 throughout.");
}

/// The start, mean and recession benchmarks.
void benchmarks(TValidation &v, const TAnalysisInput &cal, TTarget &target, const TOptions &options,
                const URainRun::TEvaluation &startFit)
{
    const TParameters start = transferred(UCalibration::StartValues(cal), 1, options);
    v.Start = BenchmarkOf(simulate(target, start, startFit));
    USimulation::TScratch &s = target.Scratch;
    USimulation::Load(*target.Input, s);
    const TSkill mean = USimulation::ConstantSkill(s, meanRunoff(cal), target.FirstScored);
    v.Mean.Defined = mean.Valid;
    v.Mean.Fit = mean.Fit;
    v.Recession = BenchmarkOf(
        USimulation::Recession(s, v.CalFit.Alpha, target.FirstScored, v.CalFit.AlphaLimits));
}

/// VAL calibrated on itself, for the self benchmark; it may run beside CAL's calibration.
struct TSelfCalibration
{
    UCalibration::TCalibrationRun Run;
    std::string Why;
    bool Done = false;
};

/// VAL calibrated on itself; a failure leaves the self benchmark undefined, with the reason.
void calibrateSelf(const TAnalysisInput &val, const std::string &valFile, const TOptions &options,
                   TSelfCalibration &self)
{
    try {
        self.Done = calibrate(val, valFile, options, false, self.Run, self.Why);
    } catch (...) {
        self.Why = UTaskPool::StoppedText("calibration of the validation file");
    }
}

/// VAL, calibrated on itself, simulated: the self benchmark.
void selfBenchmark(TValidation &v, TTarget &target, const TSelfCalibration &self)
{
    if (!self.Done) {
        v.Notes.push_back("The self benchmark is not defined. " + self.Why);
        return;
    }
    const TParameters &best = self.Run.Search.Best;
    v.Self = BenchmarkOf(simulate(target, {best.MaxStor, UsedInitStor(best), best.EscapeFactor},
                                  self.Run.Search.BestFit));
}

/// CAL's parameters and alpha function, calibrated or as they stand; false with the message.
bool calParameters(TValidation &v, const TAnalysisInput &cal, const TOptions &options,
                   const URainRun::TEvaluation &startFit)
{
    if (!options.Calibrate) {
        v.Cal = UCalibration::StartValues(cal);
        v.Cal.InitStor = startFit.InitStor;
        v.CalFit = startFit;
        v.EscapeFactor = options.EscapeFactor;
        v.Band.Why = "No band: without a calibration there is no spread of parameter sets.";
        return true;
    }
    UCalibration::TCalibrationRun run;
    if (!calibrate(cal, v.CalFile, options, true, run, v.Message)) {
        v.Status = TStatus::Failed;
        return false;
    }
    v.Calibrated = true;
    v.Cal = run.Search.Best;
    v.CalFit = run.Search.BestFit;
    v.EscapeFactor = v.Cal.EscapeFactor;
    v.Evaluated = std::move(run.Search.Evaluated);
    return true;
}

void keepSeries(TValidation &v, const TAnalysisInput &val, const USimulation::TScratch &s)
{
    const std::size_t n = val.Rows.size();
    v.Time.resize(n);
    v.Rain.resize(n);
    v.Measured.resize(n);
    v.Simulated.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        v.Time[k] = val.Rows[k].Time;
        v.Rain[k] = val.Rows[k].Rain;
        v.Measured[k] = val.Rows[k].Runoff;
        v.Simulated[k] = s.Runoff[k + 1];
    }
}

/// A validation of the two files with the options, nothing computed yet.
TValidation named(const std::string &calFile, const std::string &valFile, const TOptions &options)
{
    TValidation v;
    v.CalFile = calFile;
    v.ValFile = valFile;
    v.Objective = options.Objective;
    v.Warmup = options.Warmup;
    return v;
}

/// CAL's parameters (calibrated or as they stand) and beside CAL's calibration VAL's own, for
/// the self benchmark, each on a share of the threads: a search gives the same result on any
/// number of threads. False, with v's status and message, when the validation ends here.
bool calibrateWindows(TValidation &v, const TAnalysisInput &cal, const TAnalysisInput &val,
                      const TOptions &options, const URainRun::TEvaluation &startFit,
                      TSelfCalibration &self)
{
    TOptions calOptions = options, selfOptions = options;
    const int threads = UTaskPool::ThreadCount(options.Threads);
    selfOptions.Threads = std::max(1, threads / 2);
    calOptions.Threads = std::max(1, threads - selfOptions.Threads);
    bool calibrated = false;
    UTaskPool::TTaskPool(std::min(threads, 2))
        .both([&] { calibrated = calParameters(v, cal, calOptions, startFit); },
              [&] { calibrateSelf(val, v.ValFile, selfOptions, self); });
    if (options.Cancel && options.Cancel->load()) {
        v.Status = TStatus::Cancelled;
        v.Message = "The validation was cancelled.";
        return false;
    }
    if (!calibrated) {
        v.Status = v.Status == TStatus::Failed ? TStatus::Failed : TStatus::BadInput;
        return false;
    }
    return true;
}

/// VAL simulated with CAL's parameters and alpha function, scored beside the benchmarks, with
/// the band; the validation's figures and notes in v.
void scoreOnVal(TValidation &v, const TAnalysisInput &cal, const TAnalysisInput &val,
                const TOptions &options, const URainRun::TEvaluation &startFit,
                const TSelfCalibration &self)
{
    TTarget target;
    target.Input = &val;
    target.FirstScored = options.Warmup + 2;
    const TParameters p = transferred(v.Cal, v.EscapeFactor, options);
    v.FirstMeasured = val.Rows.front().Runoff;
    v.Validation = simulate(target, p, v.CalFit);
    if (!v.Validation.Made) {
        v.Status = TStatus::BadInput;
        v.Message = "The validation file " + quoted(v.ValFile) +
                    " has a time step that is not positive: it cannot be simulated.";
        return;
    }
    v.MaxStor = target.Applied.MaxSto;
    v.InitStor = target.Applied.IniSto;
    v.Rows = static_cast<int>(val.Rows.size()) - options.Warmup - 1;
    keepSeries(v, val, target.Scratch);
    benchmarks(v, cal, target, options, startFit);
    selfBenchmark(v, target, self);
    if (v.Calibrated)
        makeBand(v, cal, target, options);
    if (!v.Band.Made)
        v.Notes.push_back(v.Band.Why);
    noteUndefined(v);
    v.Status = TStatus::Validated;
    v.Message.clear();
}

/// The validation of v's files: checks, calibrations, scores.
void validate(TValidation &v, const TAnalysisInput &calGiven, const TAnalysisInput &valGiven,
              const TOptions &options)
{
    // Both windows as their input files hold them, so that every figure is what a run of
    // the files gives.
    const TAnalysisInput cal = URainRun::AsWritten(calGiven);
    const TAnalysisInput val = URainRun::AsWritten(valGiven);
    v.Message = checkWindows(cal, v.CalFile, val, v.ValFile, options);
    URainRun::TEvaluation startFit;
    if (!v.Message.empty() || !analyseStart(cal, v.CalFile, options, startFit, v.Message)) {
        v.Status = TStatus::BadInput;
        return;
    }
    TSelfCalibration self;
    if (!calibrateWindows(v, cal, val, options, startFit, self))
        return;
    if (v.Calibrated) {
        v.Message = storageAboveMaximum(options, v.Cal.MaxStor, "the calibrated one");
        if (!v.Message.empty()) {
            v.Status = TStatus::BadInput;
            return;
        }
    }
    scoreOnVal(v, cal, val, options, startFit, self);
}

} // namespace

void BandFromRuns(const std::vector<double> &runoff, std::size_t sets,
                  const std::vector<double> &measured, int firstScored, TBand &band)
{
    const std::size_t n = measured.size();
    band.Low.assign(n, 0);
    band.High.assign(n, 0);
    std::vector<double> column(sets);
    for (std::size_t row = 0; row < n; ++row) {
        for (std::size_t k = 0; k < sets; ++k)
            column[k] = runoff[k * n + row];
        band.Low[row] = Quantile(column.data(), sets, 0.05);
        band.High[row] = Quantile(column.data(), sets, 0.95);
    }
    int inside = 0, count = 0;
    double width = 0, measuredSum = 0;
    for (std::size_t row = static_cast<std::size_t>(firstScored - 1); row < n; ++row) {
        const double q = measured[row];
        inside += band.Low[row] <= q && q <= band.High[row];
        width += band.High[row] - band.Low[row];
        measuredSum += q;
        ++count;
    }
    band.Coverage = count ? static_cast<double>(inside) / count : 0;
    band.WidthDefined = measuredSum > 0;
    band.Width = band.WidthDefined ? width / measuredSum : 0;
}

TValidation Validate(const TAnalysisInput &calGiven, const std::string &calFile,
                     const TAnalysisInput &valGiven, const std::string &valFile,
                     const TOptions &options)
{
    const auto begin = std::chrono::steady_clock::now();
    TValidation v = named(calFile, valFile, options);
    try {
        validate(v, calGiven, valGiven, options);
    } catch (...) {
        // Whatever stopped it (memory ran out, on whichever thread), the validation ends with
        // the reason, and nothing it computed so far.
        v = named(calFile, valFile, options);
        v.Status = TStatus::Failed;
        v.Message = UTaskPool::StoppedText("validation");
        return v;
    }
    if (v.Status == TStatus::Validated)
        v.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return v;
}

} // namespace quellow::UValidation
