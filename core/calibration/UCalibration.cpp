#include "calibration/UCalibration.h"

#include "files/UTextFields.h"
#include "tasks/UTaskPool.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <string>
#include <system_error>
#include <tuple>
#include <vector>

namespace quellow::UCalibration {

TParameters AsWritten(const TParameters &parameters)
{
    return {URainRun::AsWritten(parameters.MaxStor, 8), URainRun::AsWritten(parameters.InitStor, 8),
            std::round(parameters.EscapeFactor * 1000) / 1000};
}

bool Admissible(const TEvaluation &fit)
{
    return !fit.Stopped && fit.VolumeRatio >= MinVolumeRatio && fit.VolumeRatio <= MaxVolumeRatio;
}

const char *ObjectiveName(TObjective objective)
{
    switch (objective) {
    case TObjective::NSE:
        return "nse";
    case TObjective::KGE:
        return "kge";
    case TObjective::RSquare:
        break;
    }
    return "rsquare";
}

bool ObjectiveFromName(const std::string &name, TObjective &objective)
{
    for (TObjective o : {TObjective::RSquare, TObjective::NSE, TObjective::KGE})
        if (name == ObjectiveName(o)) {
            objective = o;
            return true;
        }
    return false;
}

double ObjectiveValue(const TEvaluation &fit, TObjective objective)
{
    switch (objective) {
    case TObjective::NSE:
        return fit.Simulation.Skill.Valid ? fit.Simulation.Skill.Fit.NSE : 0;
    case TObjective::KGE:
        return fit.Simulation.Skill.Valid ? fit.Simulation.Skill.Fit.KGE : 0;
    case TObjective::RSquare:
        break;
    }
    return fit.RSquare;
}

bool Admissible(const TEvaluation &fit, TObjective objective)
{
    if (!Admissible(fit))
        return false;
    if (objective == TObjective::RSquare)
        return true;
    const TSimulationFit &sim = fit.Simulation;
    return sim.Made && sim.Skill.Valid && std::isfinite(ObjectiveValue(fit, objective));
}

namespace {

/// A point of the unit cube: log of the maximum storage, initial storage as a share of the
/// maximum, escape factor as a share of its largest value.
using TPoint = std::array<double, 3>;

TPoint clamped(TPoint x)
{
    for (double &v : x)
        v = std::clamp(v, 0.0, 1.0);
    return x;
}

/// The set at x; with fullStart its initial storage is its maximum storage, whatever x[1].
TParameters decode(const TPoint &x, bool fullStart)
{
    const double maxStor = MinMaxStor * std::pow(MaxMaxStor / MinMaxStor, x[0]);
    const double initStor = fullStart ? maxStor : std::max(x[1] * maxStor, MinInitStor);
    return AsWritten({maxStor, initStor, x[2] * MaxFactor});
}

TPoint encode(const TParameters &p)
{
    const double maxStor = std::clamp(p.MaxStor, MinMaxStor, MaxMaxStor);
    return clamped({std::log(maxStor / MinMaxStor) / std::log(MaxMaxStor / MinMaxStor),
                    p.MaxStor > 0 ? p.InitStor / p.MaxStor : 0, p.EscapeFactor / MaxFactor});
}

/// What the search minimises: below 1 for an admissible set, -R square, or for NSE and KGE
/// (which have no lower bound) -v for v > 0 and -v / (1 - v) below, which keeps the order and
/// stays below 1; above every admissible set the sets that fail the guard, the more the
/// farther they lie from it (so a local search finds its way back); above those the analyses
/// that stop.
double cost(const TEvaluation &fit, TObjective objective)
{
    if (fit.Stopped)
        return 100;
    if (Admissible(fit, objective)) {
        const double v = ObjectiveValue(fit, objective);
        return v > 0 || objective == TObjective::RSquare ? -v : -v / (1 - v);
    }
    if (objective != TObjective::RSquare && Admissible(fit))
        return 99; // the simulation could not be scored
    const double ratio = std::max(fit.VolumeRatio, 1e-9);
    const double bound = ratio < MinVolumeRatio ? MinVolumeRatio : MaxVolumeRatio;
    return 1 + std::min(std::abs(std::log(ratio / bound)), 50.0);
}

struct TCandidate
{
    double Cost = std::numeric_limits<double>::infinity();
    TParameters Parameters;
    TEvaluation Evaluation;
};

/// a replaces b only when strictly better: among equals the first found stays.
void keepBetter(TCandidate &best, const TCandidate &c)
{
    if (c.Cost < best.Cost)
        best = c;
}

/// Runs tasks on the threads, counts the evaluations and reports progress.
class TRunner
{
public:
    TRunner(const TEvaluate &evaluate, const TOptions &options)
        : mEvaluate(evaluate), mOptions(options), mPool(options.Threads)
    {}

    /// Asked to stop, or failed: either way no more evaluations are made.
    bool cancelled() const
    {
        return mFailed.load() ||
               (mOptions.Cancel && mOptions.Cancel->load(std::memory_order_relaxed));
    }

    /// The search cannot go on: the first reason is kept and every thread stops soon.
    void fail(const std::string &why);
    bool failed() const { return mFailed.load(); }
    const std::string &failure() const { return mFailure; }

    int done() const { return mDone.load(); }
    TObjective objective() const { return mOptions.Objective; }
    bool fullStart() const { return mOptions.FullStart; }
    bool keeping() const { return mOptions.KeepEvaluated; }

    /// The fit of p, evaluated on the worker's own state; an empty fit once cancelled.
    TEvaluation evaluate(const TParameters &p, int worker);

    /// task(i, worker) for i = 0..count-1, spread over the threads.
    template <typename Task> void forEach(int count, const Task &task);

private:
    void report(int done);

    const TEvaluate &mEvaluate;
    const TOptions &mOptions;
    UTaskPool::TTaskPool mPool;
    std::atomic<int> mDone{0};
    std::mutex mProgressMutex;
    int mReported = 0;
    std::atomic<bool> mFailed{false};
    std::mutex mFailureMutex;
    std::string mFailure;
};

void TRunner::fail(const std::string &why)
{
    std::lock_guard lock(mFailureMutex);
    if (!mFailed.load()) {
        mFailure = why;
        mFailed.store(true);
    }
}

TEvaluation TRunner::evaluate(const TParameters &p, int worker)
{
    if (cancelled())
        return {};
    TEvaluation fit;
    try {
        fit = mEvaluate(p, worker);
    } catch (...) {
        // A set that could not be evaluated is no set that stops: the search ends with a reason.
        fail(UTaskPool::StoppedText("calibration"));
        return {};
    }
    report(++mDone);
    return fit;
}

template <typename Task> void TRunner::forEach(int count, const Task &task)
{
    try {
        mPool.forEach(count, [&](int i, int worker) {
            if (!failed())
                task(i, worker);
        });
    } catch (...) {
        fail(UTaskPool::StoppedText("calibration"));
    }
}

void TRunner::report(int done)
{
    if (!mOptions.Progress)
        return;
    std::lock_guard lock(mProgressMutex);
    const int step = std::max(1, mOptions.Evaluations / 100);
    if (done >= mReported + step || done >= mOptions.Evaluations) {
        mReported = std::max(mReported, done);
        mOptions.Progress(std::min(mReported, mOptions.Evaluations), mOptions.Evaluations);
    }
}

/// One local search (Nelder-Mead or the polish) with its own budget and cache of the sets it
/// has seen; it runs on one thread at a time.
class TLocal
{
public:
    TLocal(TRunner &runner, int budget, int worker)
        : mRunner(runner), mBudget(budget), mWorker(worker)
    {}

    bool exhausted() const
    {
        return mEvaluated >= mBudget || mRequests >= 4 * mBudget || mRunner.cancelled();
    }

    /// The cost at x, each written set evaluated once.
    double at(const TPoint &x);

    void nelderMead(TPoint start, double size, unsigned seed);
    void polish(TPoint start);

    const TCandidate &best() const { return mBest; }
    /// The sets this search evaluated, in its order (with KeepEvaluated).
    std::vector<TEvaluatedSet> &sets() { return mSets; }

private:
    void nelderMeadOnce(std::array<TPoint, 4> &simplex, std::array<double, 4> &value);

    TRunner &mRunner;
    const int mBudget;
    const int mWorker;
    int mEvaluated = 0;
    int mRequests = 0;
    std::map<std::tuple<double, double, double>, double> mCache;
    TCandidate mBest;
    std::vector<TEvaluatedSet> mSets;
};

double TLocal::at(const TPoint &x)
{
    ++mRequests;
    const TParameters p = decode(clamped(x), mRunner.fullStart());
    const auto key = std::make_tuple(p.MaxStor, p.InitStor, p.EscapeFactor);
    auto found = mCache.find(key);
    if (found == mCache.end()) {
        ++mEvaluated;
        const TEvaluation fit = mRunner.evaluate(p, mWorker);
        found = mCache.emplace(key, cost(fit, mRunner.objective())).first;
        if (mRunner.keeping())
            mSets.push_back({p, fit, false, 0});
        keepBetter(mBest, {found->second, p, fit});
    }
    return found->second;
}

TPoint along(const TPoint &from, const TPoint &to, double t)
{
    TPoint x;
    for (int k = 0; k < 3; ++k)
        x[k] = from[k] + t * (to[k] - from[k]);
    return clamped(x);
}

/// The size of a simplex: the largest distance of a corner from the first along an axis.
double simplexSize(const std::array<TPoint, 4> &simplex)
{
    double largest = 0;
    for (int i = 1; i < 4; ++i)
        for (int k = 0; k < 3; ++k)
            largest = std::max(largest, std::abs(simplex[i][k] - simplex[0][k]));
    return largest;
}

/// Nelder-Mead until the simplex is small: on a surface this rugged a small simplex only
/// walks between neighbouring steps, and the budget is better spent on a new start nearby.
void TLocal::nelderMeadOnce(std::array<TPoint, 4> &s, std::array<double, 4> &f)
{
    while (!exhausted() && simplexSize(s) > 0.003) {
        std::array<int, 4> order;
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return f[a] < f[b]; });
        std::array<TPoint, 4> sorted;
        std::array<double, 4> values;
        for (int i = 0; i < 4; ++i) {
            sorted[i] = s[order[i]];
            values[i] = f[order[i]];
        }
        s = sorted;
        f = values;
        TPoint centre{};
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k)
                centre[k] += s[i][k] / 3;
        const TPoint reflected = along(centre, s[3], -1);
        const double fr = at(reflected);
        if (fr < f[0]) {
            const TPoint expanded = along(centre, s[3], -2);
            const double fe = at(expanded);
            s[3] = fe < fr ? expanded : reflected;
            f[3] = std::min(fe, fr);
        } else if (fr < f[2]) {
            s[3] = reflected;
            f[3] = fr;
        } else {
            const TPoint contracted = along(centre, fr < f[3] ? reflected : s[3], 0.5);
            const double fc = at(contracted);
            if (fc < std::min(fr, f[3])) {
                s[3] = contracted;
                f[3] = fc;
            } else {
                for (int i = 1; i < 4; ++i) {
                    s[i] = along(s[0], s[i], 0.5);
                    f[i] = at(s[i]);
                }
            }
        }
    }
}

/// Nelder-Mead from start, then again and again from points near the best one found so far
/// while the budget lasts: the surface has plateaus and steps on which a simplex collapses
/// early. The jumps are pseudo-random with a fixed seed per search.
void TLocal::nelderMead(TPoint start, double size, unsigned seed)
{
    const double jumps[] = {0.12, 0.06, 0.03};
    for (int restart = 0; !exhausted(); ++restart) {
        std::array<TPoint, 4> s{start, start, start, start};
        std::array<double, 4> f{};
        for (int k = 0; k < 3; ++k)
            s[k + 1][k] += s[k + 1][k] + size <= 1 ? size : -size;
        for (int i = 0; i < 4; ++i)
            f[i] = at(s[i]);
        nelderMeadOnce(s, f);
        const double jump = jumps[restart % 3];
        start = encode(mBest.Parameters);
        for (double &v : start) {
            seed = seed * 1103515245u + 12345u;
            v += jump * (2.0 * ((seed >> 8) & 0xffff) / 65535.0 - 1.0);
        }
        start = clamped(start);
        size = jump / 2;
    }
}

/// Coordinate search: steps along each axis, halved when a sweep finds nothing better.
void TLocal::polish(TPoint x)
{
    double fx = at(x);
    for (double step = 0.02; step > 2e-4 && !exhausted();) {
        bool moved = false;
        for (int k = 0; k < 3 && !exhausted(); ++k)
            for (double sign : {1.0, -1.0}) {
                TPoint y = x;
                y[k] = std::clamp(y[k] + sign * step, 0.0, 1.0);
                const double fy = at(y);
                if (fy < fx) {
                    x = y;
                    fx = fy;
                    moved = true;
                    break;
                }
            }
        if (!moved)
            step *= 0.5;
    }
}

/// Quasi-random point i (from 1) of the Halton sequence in bases 2, 3 and 5.
TPoint halton(int i)
{
    TPoint x{};
    const std::array<int, 3> bases{2, 3, 5};
    for (int k = 0; k < 3; ++k) {
        double f = 1, r = 0;
        for (int n = i; n > 0; n /= bases[k]) {
            f /= bases[k];
            r += f * (n % bases[k]);
        }
        x[k] = r;
    }
    return x;
}

/// Scan point i: the Halton point stretched a little beyond the box and clamped, so that
/// about one point in twenty lies on each face. Optima often lie there: a full dead storage
/// at the start (InitStor = MaxStor), the largest storage, no escape at all.
TPoint scanPoint(int i)
{
    TPoint x = halton(i);
    for (double &v : x)
        v = 1.1 * v - 0.05;
    return clamped(x);
}

struct TBudget
{
    int Scan = 0;   ///< quasi-random points
    int Starts = 0; ///< local searches from the best of them (the start values add one)
    int Local = 0;  ///< evaluations of each local search
    int Polish = 0;
};

TBudget split(int evaluations)
{
    TBudget b;
    b.Scan = std::clamp(evaluations / 6, std::min(evaluations / 2, 30), 500);
    b.Polish = evaluations / 12;
    const int rest = evaluations - b.Scan - b.Polish;
    b.Starts = std::clamp(rest / 60 - 1, 0, 8);
    b.Local = rest / (b.Starts + 1);
    return b;
}

/// The best scan points as start points of the local searches: the lowest costs, the earlier
/// point first among equals, each far from those already chosen (0.3 of the box on some
/// axis), so that the local searches explore different regions: the best scan points of a
/// rugged surface crowd into one region, and the best set often lies in another.
std::vector<TPoint> startPoints(const std::vector<TPoint> &points, const std::vector<double> &costs,
                                int count)
{
    std::vector<int> order(points.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return costs[a] < costs[b]; });
    std::vector<TPoint> chosen;
    for (int i : order) {
        if (static_cast<int>(chosen.size()) >= count || costs[i] >= 100)
            break;
        const bool apart = std::all_of(chosen.begin(), chosen.end(), [&](const TPoint &c) {
            double d = 0;
            for (int k = 0; k < 3; ++k)
                d = std::max(d, std::abs(c[k] - points[i][k]));
            return d > 0.3;
        });
        if (apart)
            chosen.push_back(points[i]);
    }
    return chosen;
}

/// One local search from start; the first (from the given start values) with a larger simplex.
TCandidate searchFrom(TRunner &runner, const TBudget &budget, const TPoint &start, int index,
                      int worker, std::vector<TEvaluatedSet> &sets)
{
    TLocal local(runner, budget.Local, worker);
    local.nelderMead(start, index == 0 ? 0.15 : 0.06, 7919u * static_cast<unsigned>(index + 1));
    sets = std::move(local.sets());
    return local.best();
}

/// The quasi-random scan of the whole box, and beside it the local search from the start
/// values, which needs no scan point: while one thread walks that search the others scan.
/// Returns the start points of the other local searches; the first search is in first.
std::vector<TPoint> scanBox(TRunner &runner, const TBudget &budget, const TPoint &start,
                            TCandidate &best, std::vector<TEvaluatedSet> &kept, TCandidate &first,
                            std::vector<TEvaluatedSet> &firstSets)
{
    std::vector<TPoint> points(static_cast<std::size_t>(budget.Scan));
    std::vector<TCandidate> scanned(points.size());
    runner.forEach(budget.Scan + 1, [&](int task, int worker) {
        if (task == 0) {
            first = searchFrom(runner, budget, start, 0, worker, firstSets);
            return;
        }
        const int i = task - 1;
        points[i] = scanPoint(i + 1);
        const TParameters p = decode(points[i], runner.fullStart());
        const TEvaluation fit = runner.evaluate(p, worker);
        scanned[i] = {cost(fit, runner.objective()), p, fit};
    });
    std::vector<double> costs;
    for (const TCandidate &c : scanned) {
        keepBetter(best, c);
        costs.push_back(c.Cost);
        if (runner.keeping() && c.Cost < std::numeric_limits<double>::infinity())
            kept.push_back({c.Parameters, c.Evaluation, true, 0});
    }
    return startPoints(points, costs, budget.Starts);
}

/// The local searches from the scan's start points, side by side, after the first one, which
/// ran beside the scan; their best sets and their sets are taken in the order of the starts.
void searchLocally(TRunner &runner, const TBudget &budget, const std::vector<TPoint> &starts,
                   TCandidate &first, std::vector<TEvaluatedSet> &firstSets, TCandidate &best,
                   std::vector<TEvaluatedSet> &kept)
{
    std::vector<TCandidate> locals(starts.size() + 1);
    std::vector<std::vector<TEvaluatedSet>> sets(starts.size() + 1);
    locals[0] = std::move(first);
    sets[0] = std::move(firstSets);
    runner.forEach(static_cast<int>(starts.size()), [&](int i, int worker) {
        const auto k = static_cast<std::size_t>(i + 1);
        locals[k] =
            searchFrom(runner, budget, starts[static_cast<std::size_t>(i)], i + 1, worker, sets[k]);
    });
    for (const TCandidate &c : locals)
        keepBetter(best, c);
    for (auto &search : sets)
        kept.insert(kept.end(), search.begin(), search.end());
}

/// The sets kept in their order, each set once (the first evaluation of it stays).
void numberKept(std::vector<TEvaluatedSet> &kept)
{
    std::vector<TEvaluatedSet> distinct;
    std::map<std::tuple<double, double, double>, bool> seen;
    for (TEvaluatedSet &e : kept) {
        const auto key =
            std::make_tuple(e.Parameters.MaxStor, e.Parameters.InitStor, e.Parameters.EscapeFactor);
        if (!seen.emplace(key, true).second)
            continue;
        e.Order = static_cast<int>(distinct.size());
        distinct.push_back(std::move(e));
    }
    kept = std::move(distinct);
}

void finish(const TRunner &runner, const TCandidate &best, TResult &result)
{
    result.Evaluations = runner.done();
    if (runner.failed()) {
        result.Outcome = TOutcome::Failed;
        result.Failure = runner.failure();
    } else if (runner.cancelled()) {
        result.Outcome = TOutcome::Cancelled;
    } else if (Admissible(best.Evaluation, runner.objective())) {
        result.Outcome = TOutcome::Calibrated;
        result.Best = best.Parameters;
        result.BestFit = best.Evaluation;
    } else {
        result.Outcome = TOutcome::NoAdmissibleSet;
    }
}

} // namespace

bool ReadEvaluations(const std::string &text, const std::string &name, int &evaluations,
                     std::string &message)
{
    int value = 0;
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (parseInt(text, value) && value >= MinEvaluations && value <= MaxEvaluations) {
        evaluations = value;
        return true;
    }
    if (digits && (value > MaxEvaluations || !parseInt(text, value)))
        message = name + " takes at most " + std::to_string(MaxEvaluations) + " (" + text +
                  " given): a validation keeps every set it evaluates, about 0.8 kB each, and "
                  "the search settles long before; the default is " +
                  std::to_string(DefaultEvaluations) + ".";
    else
        message = name + " needs a whole number from " + std::to_string(MinEvaluations) + " to " +
                  std::to_string(MaxEvaluations) + ".";
    return false;
}

TResult Search(const TEvaluate &evaluate, const TParameters &start, const TOptions &given)
{
    TOptions options = given;
    options.Evaluations = std::clamp(options.Evaluations, MinEvaluations, MaxEvaluations);
    TRunner runner(evaluate, options);
    TResult result;
    result.Start = start;
    try {
        result.StartFit = runner.evaluate(start, 0);
        TCandidate best;
        keepBetter(best, {cost(result.StartFit, options.Objective), start, result.StartFit});
        std::vector<TEvaluatedSet> &kept = result.Evaluated;
        if (options.KeepEvaluated)
            kept.push_back({start, result.StartFit, false, 0});

        const TBudget budget = split(options.Evaluations - 1);
        TCandidate first;
        std::vector<TEvaluatedSet> firstSets;
        const std::vector<TPoint> starts =
            scanBox(runner, budget, encode(start), best, kept, first, firstSets);
        searchLocally(runner, budget, starts, first, firstSets, best, kept);
        TLocal polish(runner, budget.Polish, 0);
        polish.polish(encode(best.Parameters));
        keepBetter(best, polish.best());
        kept.insert(kept.end(), polish.sets().begin(), polish.sets().end());
        numberKept(kept);
        finish(runner, best, result);
    } catch (...) {
        runner.fail(UTaskPool::StoppedText("calibration"));
        finish(runner, TCandidate{}, result);
    }
    return result;
}

} // namespace quellow::UCalibration
