#pragma once

#include "runs/UParameters.h"
#include "runs/URainRun.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

/// Calibration of the first reservoir: the maximum dead storage, the initial dead storage and
/// a factor on every row's escape rate that give the complete analysis (divide search and final
/// run) its highest R square, among the parameter sets whose recharge volume is plausible.
///
/// The search is a multi-start one: quasi-random points over the whole parameter box, then
/// Nelder-Mead from the best of them and from the start values, then a coordinate polish of
/// the best point. Independent evaluations and independent local searches may run on several
/// threads; their results are combined in a fixed order, so the outcome depends on the input
/// and the options only, never on the number of threads or their timing.
namespace quellow::UCalibration {

// ---- The parameter box and the guard -------------------------------------------------------

inline constexpr double MinMaxStor = 1;       ///< smallest maximum dead storage searched (mm)
inline constexpr double MaxMaxStor = 500;     ///< largest maximum dead storage searched (mm)
inline constexpr double MaxFactor = 3;        ///< largest escape factor searched
inline constexpr double MinVolumeRatio = 0.5; ///< recharge volume / measured runoff volume
inline constexpr double MaxVolumeRatio = 2;
inline constexpr int DefaultEvaluations = 3000;
/// Fewer evaluations than this are not a search.
inline constexpr int MinEvaluations = 50;
/// More evaluations than this are not searched: a validation keeps every set it evaluates
/// (about 0.8 kB each, so about 160 MB at this limit, and half a minute of searching), while
/// the search itself has settled long before (the default is 3000).
inline constexpr int MaxEvaluations = 200000;

/// Reads text as a budget of evaluations, MinEvaluations to MaxEvaluations; false, with
/// message (begun by name, the option as the caller names it), when it does not read or lies
/// outside, a huge number included.
bool ReadEvaluations(const std::string &text, const std::string &name, int &evaluations,
                     std::string &message);

using quellow::TParameters;
/// What a complete analysis with one parameter set gives.
using URainRun::TEvaluation;

/// The smallest initial storage searched (mm): an initial storage of 0 would run as a tenth of
/// the maximum storage, so the search keeps off that edge and reports what it runs.
inline constexpr double MinInitStor = 0.01;

/// The parameters as a run sees them after a Save/Run: both storages as the input file writes
/// them, the factor to 0.001.
TParameters AsWritten(const TParameters &parameters);

/// A set is admissible when its analysis completes and its recharge volume lies between 0.5
/// and 2 times the measured runoff volume: outside, a high R square comes from the rain hardly
/// reaching the main reservoir (or from far more water than ran off), not from a good model.
bool Admissible(const TEvaluation &fit);

/// What a calibration maximises: the reconstruction's R square (the analysis's own figure), or
/// the NSE or KGE of the simulation of the window with the prediction run's routing (what a
/// prediction with the alpha function gives).
enum class TObjective { RSquare, NSE, KGE };

/// The short name of an objective ("rsquare", "nse", "kge"), as a person types it and the JSON
/// writes it, and back; false for an unknown name.
const char *ObjectiveName(TObjective objective);
bool ObjectiveFromName(const std::string &name, TObjective &objective);

/// The figure an objective takes from an evaluation (0 when it is not defined).
double ObjectiveValue(const TEvaluation &fit, TObjective objective);

/// Admissible, and for a simulation's objective the simulation was made and scored.
bool Admissible(const TEvaluation &fit, TObjective objective);

/// Evaluates one parameter set (already as written). worker (0 .. threads-1) names the thread
/// that calls: calls with different workers may run at the same time, calls with the same
/// worker never do, so per-worker scratch needs no lock.
using TEvaluate = std::function<TEvaluation(const TParameters &parameters, int worker)>;

struct TOptions
{
    /// budget of the search, MinEvaluations to MaxEvaluations (others are taken as the limit)
    int Evaluations = DefaultEvaluations;
    int Threads = 0; ///< 0: as many as the machine has cores
    /// Called now and then with the evaluations done and the budget, from the search's
    /// threads, one call at a time; done never decreases.
    std::function<void(int done, int total)> Progress;
    /// The search stops soon after this becomes true (nullptr: never).
    const std::atomic<bool> *Cancel = nullptr;
    /// The figure the search maximises; the evaluations must carry it (a simulation's
    /// objective needs evaluations that simulate).
    TObjective Objective = TObjective::RSquare;
    /// Keep every set evaluated, with its fit (TResult::Evaluated).
    bool KeepEvaluated = false;
    /// Every set starts full: its initial storage is its maximum storage (not searched).
    bool FullStart = false;
    /// The analysis inside the calibration, and its simulation, with these options of
    /// URainRun::TEvaluateOptions.
    bool RobustAlpha = false;
    bool PredictionReservoir = false;
};

enum class TOutcome {
    Calibrated,      ///< Best holds the best admissible set found
    Cancelled,       ///< stopped on request; no result
    NoAdmissibleSet, ///< every set evaluated stopped or failed the guard
    Failed,          ///< a thread could not start or memory ran out: Failure says which
};

/// A set the search evaluated.
struct TEvaluatedSet
{
    TParameters Parameters; ///< as evaluated (the start as given, the others as written)
    /// As the search judged it: its objective, the guard and the alpha function; a calibration
    /// of an analysis leaves the reconstruction's fit measures out.
    TEvaluation Evaluation;
    bool Scan = false; ///< from the space-filling scan; else the start or a local search
    int Order = 0;     ///< place in the order of evaluation, the same for every thread count
};

struct TResult
{
    TOutcome Outcome = TOutcome::NoAdmissibleSet;
    TParameters Start; ///< the start values, as given
    TParameters Best;  ///< the best admissible set, as written (Calibrated only)
    TEvaluation StartFit;
    TEvaluation BestFit;
    int Evaluations = 0; ///< evaluations made (requests answered from the cache not counted)
    std::string Failure; ///< what stopped a Failed search
    /// With KeepEvaluated: every distinct set evaluated, in the order of evaluation (the
    /// start, the scan, each local search in turn, the polish), each set once.
    std::vector<TEvaluatedSet> Evaluated;
};

/// The multi-start search from start. The start values are evaluated as given (and compete
/// when admissible); every other set as written.
TResult Search(const TEvaluate &evaluate, const TParameters &start, const TOptions &options);

} // namespace quellow::UCalibration
