#include "calibration/UJointCalibration.h"

#include "calibration/UCalibrationRun.h"
#include "calibration/UValidation.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"
#include "tasks/UTaskPool.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>

namespace quellow::UJointCalibration {

namespace {

std::string quoted(const std::string &file)
{
    return "\"" + file + "\"";
}

/// The rows of every window one after the other, and where each begins.
struct TJoined
{
    URainRun::TAnalysisInput Input;
    std::vector<int> Starts;
};

TJoined joined(const std::vector<URainRun::TAnalysisInput> &inputs)
{
    TJoined j;
    j.Input.Title1 = inputs.front().Title1;
    j.Input.Title2 = inputs.front().Title2;
    j.Input.TimeUnit = inputs.front().TimeUnit;
    j.Input.DepthUnit = inputs.front().DepthUnit;
    j.Input.MaxSto = inputs.front().MaxSto;
    j.Input.IniSto = inputs.front().IniSto;
    j.Input.MaxEsc = inputs.front().MaxEsc;
    for (const URainRun::TAnalysisInput &input : inputs) {
        j.Starts.push_back(static_cast<int>(j.Input.Rows.size()) + 1);
        j.Input.Rows.insert(j.Input.Rows.end(), input.Rows.begin(), input.Rows.end());
    }
    return j;
}

/// The scored rows of the simulations of the windows, gathered to score them together.
struct TGathered
{
    std::vector<double> Simulated, Observed, Steps;
    double SSE = 0, SST = 0;
};

/// Adds the scored rows of the simulation in s (rows first..N) to g, with the window's sums of
/// squares about its own mean, summed as the fit measures of one window sum them.
void gather(const USimulation::TScratch &s, int first, TGathered &g)
{
    const int n = s.Count;
    if (n < first + 1)
        return;
    double sumObs = 0;
    for (int i = first; i <= n; ++i)
        sumObs += s.Observed[i];
    const double meanObs = sumObs / static_cast<double>(n - first + 1);
    double sse = 0, sst = 0;
    for (int i = first; i <= n; ++i) {
        const double dObs = s.Observed[i] - meanObs, deviation = s.Observed[i] - s.Runoff[i];
        sse += deviation * deviation;
        sst += dObs * dObs;
        g.Simulated.push_back(s.Runoff[i]);
        g.Observed.push_back(s.Observed[i]);
        g.Steps.push_back(s.Time[i] - s.Time[i - 1]);
    }
    g.SSE += sse;
    g.SST += sst;
}

/// The figures of the windows together: NSE 1 - sum(SSE) / sum(SST), the rest over all scored
/// rows together.
TSimulationFit combined(const TGathered &g, bool made, int firstScored, USimulation::TScore score)
{
    TSimulationFit fit;
    fit.FirstScored = firstScored;
    fit.Made = made;
    if (!made || score == USimulation::TScore::None)
        return fit;
    fit.Skill =
        score == USimulation::TScore::Full
            ? Skill(g.Simulated.data(), g.Observed.data(), g.Simulated.size(), g.Steps.data())
            : TSkill{FitMeasures(g.Simulated.data(), g.Observed.data(), g.Simulated.size(),
                                 g.Steps.data()),
                     0, false, false};
    fit.Skill.Valid = fit.Skill.Fit.Valid = fit.Skill.Fit.Valid && g.SST > 0;
    if (fit.Skill.Valid)
        fit.Skill.Fit.NSE = 1 - g.SSE / g.SST;
    return fit;
}

/// The windows of one worker: each loaded once, simulated with every set.
struct TWindowsScratch
{
    std::vector<USimulation::TScratch> Windows;
    TGathered Gathered;
};

void load(const std::vector<URainRun::TAnalysisInput> &inputs, TWindowsScratch &w)
{
    w.Windows.resize(inputs.size());
    for (std::size_t k = 0; k < inputs.size(); ++k)
        USimulation::Load(inputs[k], w.Windows[k]);
}

/// Simulates every window in w with the storages of the first reservoir, the escape rates
/// escape (of the joint series, from 1) and the analysis's alpha function; the windows'
/// figures into fits (when not nullptr) and the windows' together returned.
TSimulationFit simulateAll(TWindowsScratch &w, double maxStor, const std::vector<double> &escape,
                           const URainRun::TEvaluation &analysis, int firstScored,
                           USimulation::TScore score, std::vector<TSimulationFit> *fits)
{
    w.Gathered.Simulated.clear();
    w.Gathered.Observed.clear();
    w.Gathered.Steps.clear();
    w.Gathered.SSE = w.Gathered.SST = 0;
    bool made = true;
    std::size_t offset = 0;
    for (USimulation::TScratch &s : w.Windows) {
        std::copy_n(escape.begin() + static_cast<std::ptrdiff_t>(offset) + 1, s.Count,
                    s.Escape.begin() + 1);
        offset += static_cast<std::size_t>(s.Count);
        const TSimulationFit fit = USimulation::Simulate(
            s, maxStor, analysis.InitStor, analysis.Alpha, analysis.AlphaLimits, firstScored,
            fits ? score : USimulation::TScore::None);
        made = made && fit.Made;
        if (fits)
            fits->push_back(fit);
        if (fit.Made)
            gather(s, firstScored, w.Gathered);
    }
    return combined(w.Gathered, made, firstScored, score);
}

/// What the simulations in w (with their figures fits) give each window.
std::vector<TWindowFit> windowFits(const TWindowsScratch &w,
                                   const std::vector<TSimulationFit> &fits, double initStor)
{
    std::vector<TWindowFit> windows;
    for (std::size_t k = 0; k < fits.size(); ++k) {
        const USimulation::TScratch &s = w.Windows[k];
        TWindowFit window;
        window.Rows = s.Count;
        window.InitStor = initStor;
        window.FirstRunoff = s.Observed[1];
        window.Simulation = fits[k];
        window.Simulated.assign(s.Runoff.begin() + 1, s.Runoff.begin() + 1 + s.Count);
        windows.push_back(std::move(window));
    }
    return windows;
}

/// What one thread of the search works with.
struct TWorker
{
    URainRun::TFirstReservoir Set;
    URainRun::TState State;
    TWindowsScratch Windows;
};

URainRun::TEvaluateOptions evaluateOptions(const TOptions &options, URainRun::TFinalRun final)
{
    URainRun::TEvaluateOptions e;
    e.Simulate = URainRun::TSimulate::No;
    e.Final = final;
    e.RobustAlpha = options.RobustAlpha;
    e.PredictionReservoir = options.PredictionReservoir;
    return e;
}

/// The sets a joint calibration evaluates: the pooled analysis over the joint series and the
/// simulation of each window.
class TJointEvaluation
{
public:
    TJointEvaluation(const std::vector<URainRun::TAnalysisInput> &inputs, const TOptions &options)
        : mInputs(inputs), mJoined(joined(inputs)),
          mSeries(URainRun::PrepareSeries(mJoined.Input, mJoined.Starts)), mOptions(options)
    {
        for (int w = 0; w < UTaskPool::ThreadCount(options.Threads); ++w) {
            mWorkers.push_back(std::make_unique<TWorker>());
            load(mInputs, mWorkers.back()->Windows);
        }
    }

    /// The set p as the search judges it (no reconstruction's fit measures, the windows' fit).
    URainRun::TEvaluation search(const TParameters &p, int worker)
    {
        return evaluate(p, *mWorkers[static_cast<std::size_t>(worker)],
                        URainRun::TFinalRun::InMemoryWithoutFit, USimulation::TScore::Fit, nullptr);
    }

    /// The set p with every figure, each window's in windows.
    URainRun::TEvaluation full(const TParameters &p, std::vector<TWindowFit> &windows)
    {
        std::vector<TSimulationFit> fits;
        TWorker &w = *mWorkers.front();
        URainRun::TEvaluation fit =
            evaluate(p, w, URainRun::TFinalRun::InMemory, USimulation::TScore::Full, &fits);
        windows = windowFits(w.Windows, fits, fit.InitStor);
        return fit;
    }

private:
    URainRun::TEvaluation evaluate(const TParameters &p, TWorker &w, URainRun::TFinalRun final,
                                   USimulation::TScore score, std::vector<TSimulationFit> *fits)
    {
        URainRun::ApplyCalibration(mJoined.Input, p, w.Set);
        URainRun::TEvaluation fit =
            URainRun::Evaluate(mSeries, w.Set, w.State, evaluateOptions(mOptions, final));
        // The search's guard refuses the others: they need no simulation.
        if (fit.Stopped || (!fits && !UCalibration::Admissible(fit)))
            return fit;
        fit.Simulation = simulateAll(w.Windows, w.Set.MaxSto, w.Set.Escape, fit,
                                     mOptions.Warmup + 2, score, fits);
        return fit;
    }

    const std::vector<URainRun::TAnalysisInput> &mInputs;
    TJoined mJoined;
    URainRun::TPreparedSeries mSeries;
    const TOptions &mOptions;
    std::vector<std::unique_ptr<TWorker>> mWorkers;
};

UCalibration::TOptions searchOptions(const TOptions &options)
{
    UCalibration::TOptions search;
    search.Objective = options.Objective;
    search.Evaluations = options.Evaluations;
    search.Threads = options.Threads;
    search.Progress = options.Progress;
    search.Cancel = options.Cancel;
    search.KeepEvaluated = options.KeepEvaluated;
    search.FullStart = options.InitStorage == TInitStorage::Full;
    search.RobustAlpha = options.RobustAlpha;
    search.PredictionReservoir = options.PredictionReservoir;
    return search;
}

/// Why a search ended without a set.
void searchOutcome(const UCalibration::TResult &search, TJointCalibration &result)
{
    switch (search.Outcome) {
    case UCalibration::TOutcome::Calibrated:
        result.Status = TStatus::Calibrated;
        return;
    case UCalibration::TOutcome::Cancelled:
        result.Status = TStatus::Cancelled;
        result.Message = "The joint calibration was cancelled. Nothing was calibrated.";
        return;
    case UCalibration::TOutcome::Failed:
        result.Status = TStatus::Failed;
        result.Message = search.Failure + " Nothing was calibrated.";
        return;
    case UCalibration::TOutcome::NoAdmissibleSet:
        break;
    }
    result.Status = TStatus::NoAdmissibleSet;
    result.Message = "No parameter set gives the windows together a recharge volume between 0.5 "
                     "and 2 times their measured runoff volume. Nothing was calibrated.";
}

/// The start of the search, or false with the reason in result.
bool startJudged(const URainRun::TEvaluation &start, TJointCalibration &result)
{
    if (start.Stopped) {
        result.Status = TStatus::StartStopped;
        const std::string why = URainRun::StopText(start.Stop);
        result.Message = "The analysis of the windows together stops at the start values" +
                         (why.empty() ? std::string(".") : ": " + why) + " Nothing was calibrated.";
        return false;
    }
    if (UCalibration::Admissible(start) && !start.Simulation.Made) {
        result.Status = TStatus::BadInput;
        result.Message = "The simulation of the windows needs time steps of positive length. "
                         "Nothing was calibrated.";
        return false;
    }
    return true;
}

/// The units of a window, as its file names them.
std::string windowUnits(const URainRun::TAnalysisInput &input)
{
    return input.TimeUnit + ", " + input.DepthUnit;
}

std::string windowProblem(const TWindow &w, const TOptions &options)
{
    if (std::string negative = UValidation::NegativeValueProblem(w.Input, "window", w.File);
        !negative.empty())
        return negative;
    const int scored = static_cast<int>(w.Input.Rows.size()) - 1 - options.Warmup;
    if (scored < MinScoredRows)
        return "The window " + quoted(w.File) + " has " + std::to_string(w.Input.Rows.size()) +
               " rows: after its first row and a warm-up of " + std::to_string(options.Warmup) +
               " rows it leaves " + std::to_string(std::max(scored, 0)) +
               " to score; a window needs at least " + std::to_string(MinScoredRows) + ".";
    const URainRun::TPreparedSeries series = URainRun::PrepareSeries(w.Input);
    bool recedes = false;
    for (int i = 2; i <= series.Count && !recedes; ++i)
        recedes = series.RowRecedes[static_cast<std::size_t>(i)];
    if (!recedes)
        return "The window " + quoted(w.File) +
               " has no step over which the measured runoff falls: it gives the alpha function "
               "no recession to measure.";
    return {};
}

} // namespace

std::string CheckWindows(const std::vector<TWindow> &windows, const TOptions &options)
{
    if (windows.empty())
        return "A joint calibration needs at least one analysis file.";
    if (options.Objective == TObjective::RSquare)
        return "A joint calibration scores the simulations of its windows: its objective is nse "
               "or kge.";
    std::set<std::string> seen;
    for (const TWindow &w : windows)
        if (!seen.insert(UOutputNames::AbsolutePath(w.File)).second)
            return "The file " + quoted(w.File) +
                   " is given twice: each window counts once in a joint calibration.";
    const TWindow &first = windows.front();
    for (const TWindow &w : windows) {
        if (std::string problem = windowProblem(w, options); !problem.empty())
            return problem;
        if (windowUnits(w.Input) != windowUnits(first.Input))
            return "The windows " + quoted(first.File) + " (units " + windowUnits(first.Input) +
                   ") and " + quoted(w.File) + " (units " + windowUnits(w.Input) +
                   ") have different units: one parameter set cannot serve both.";
        if (std::string steps =
                UValidation::StepLengthProblem(first.Input, first.File, w.Input, w.File);
            !steps.empty())
            return steps;
    }
    return {};
}

bool ReadWindow(const std::string &path, TWindow &window, std::string &message)
{
    window.File = path;
    return UValidation::ReadWindow(path, "window", window.Input, message, "a joint calibration");
}

TJointCalibration Calibrate(const std::vector<TWindow> &windows, const TOptions &options)
{
    const auto begin = std::chrono::steady_clock::now();
    TJointCalibration result;
    result.Objective = options.Objective;
    result.Message = CheckWindows(windows, options);
    if (!result.Message.empty())
        return result;
    // Every window as its input file holds it, so that what the calibration reports is what
    // runs of the files give.
    std::vector<URainRun::TAnalysisInput> inputs;
    for (const TWindow &w : windows)
        inputs.push_back(URainRun::AsWritten(w.Input));
    const URainRun::TAnalysisInput &first = inputs.front();
    result.Start = {first.MaxSto,
                    options.InitStorage == TInitStorage::Full ? first.MaxSto : first.IniSto, 1};
    try {
        TJointEvaluation joint(inputs, options);
        result.StartFit = joint.full(result.Start, result.StartWindows);
        if (!startJudged(result.StartFit, result))
            return result;
        UCalibration::TResult search = UCalibration::Search(
            [&joint](const TParameters &p, int worker) { return joint.search(p, worker); },
            result.Start, searchOptions(options));
        result.Evaluations = search.Evaluations;
        result.Evaluated = std::move(search.Evaluated);
        searchOutcome(search, result);
        if (result.Status == TStatus::Calibrated) {
            result.Best = search.Best;
            result.BestFit = joint.full(result.Best, result.Windows);
            result.FillFraction = result.Best.InitStor / result.Best.MaxStor;
            result.Value = UCalibration::ObjectiveValue(result.BestFit, options.Objective);
        }
    } catch (...) {
        result.Status = TStatus::Failed;
        result.Message = UTaskPool::StoppedText("joint calibration") + " Nothing was calibrated.";
    }
    for (std::size_t k = 0; k < windows.size(); ++k) {
        if (k < result.Windows.size())
            result.Windows[k].File = windows[k].File;
        if (k < result.StartWindows.size())
            result.StartWindows[k].File = windows[k].File;
    }
    result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return result;
}

std::vector<TWindowFit> SimulateWindows(const std::vector<TWindow> &windows, const TParameters &set,
                                        const URainRun::TEvaluation &analysis,
                                        const TOptions &options, TSimulationFit &together)
{
    std::vector<URainRun::TAnalysisInput> inputs;
    for (const TWindow &w : windows)
        inputs.push_back(URainRun::AsWritten(w.Input));
    const TJoined j = joined(inputs);
    URainRun::TFirstReservoir first;
    URainRun::ApplyCalibration(j.Input, set, first);
    TWindowsScratch scratch;
    load(inputs, scratch);
    std::vector<TSimulationFit> fits;
    together = simulateAll(scratch, first.MaxSto, first.Escape, analysis, options.Warmup + 2,
                           USimulation::TScore::Full, &fits);
    std::vector<TWindowFit> result = windowFits(scratch, fits, analysis.InitStor);
    for (std::size_t k = 0; k < windows.size(); ++k)
        result[k].File = windows[k].File;
    return result;
}

URainRun::TAnalysisInput CalibratedWindow(const TWindow &window, const TParameters &set)
{
    return UCalibration::CalibratedInput(window.Input, set);
}

} // namespace quellow::UJointCalibration
