#pragma once

#include "calibration/UCalibration.h"
#include "runs/UFitMeasures.h"
#include "runs/URainRun.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

/// Calibration on several windows at once: one set of the first reservoir's parameters (maximum
/// storage, filling fraction at the start, escape factor) for every window.
///
/// Each window is simulated on its own, from its own first measured runoff and with its own
/// initial storage (the same filling fraction of the maximum storage for every window, or full),
/// and scored on its own rows after its own warm-up: nothing carries across windows. The NSE of
/// the windows together is 1 - sum(SSE) / sum(SST), each window's SST about its own mean; the
/// KGE is taken over the scored rows of all windows together; the volume guard over all
/// windows together. The alpha function of a set is pooled: the recession steps are selected in
/// each window with that window's own recharge, and one divide search and one regression per
/// range run over the points of all windows. A single window gives what a calibration of that
/// window gives, to the last bit.
namespace quellow::UJointCalibration {

using UCalibration::TObjective;

/// Fewer scored rows than this in a window are no window to calibrate on.
inline constexpr int MinScoredRows = 12;

/// The initial dead storage of each window.
enum class TInitStorage {
    Fraction, ///< the calibrated filling fraction of the maximum storage
    Full      ///< the maximum storage
};

/// A window as read, with the name its messages and results give it.
struct TWindow
{
    std::string File;
    URainRun::TAnalysisInput Input;
};

struct TOptions
{
    TObjective Objective = TObjective::NSE; ///< NSE or KGE of the windows together
    int Warmup = 0; ///< rows after the first of each window left out of its scores
    TInitStorage InitStorage = TInitStorage::Fraction;
    /// The analysis and simulation take the robust alpha function (URainRun::TEvaluateOptions).
    bool RobustAlpha = false;
    /// The analysis takes its recharge from the prediction's first reservoir.
    bool PredictionReservoir = false;
    int Evaluations = UCalibration::DefaultEvaluations;
    int Threads = 0; ///< 0: one per core
    std::function<void(int done, int total)> Progress;
    const std::atomic<bool> *Cancel = nullptr;
    /// Keep every set evaluated (TJointCalibration::Evaluated).
    bool KeepEvaluated = false;
};

/// What a set gives one window.
struct TWindowFit
{
    std::string File;
    int Rows = 0;           ///< data rows of the window
    double InitStor = 0;    ///< the initial dead storage its simulation starts from (mm)
    double FirstRunoff = 0; ///< its first measured runoff
    /// Its simulation with the set and the pooled alpha function, scored on rows Warmup+2..N.
    TSimulationFit Simulation;
    std::vector<double> Simulated; ///< the simulated runoff of rows 1..N, from 0
};

enum class TStatus {
    Calibrated,
    BadInput,        ///< Message says why (the windows do not go together); nothing computed
    StartStopped,    ///< the pooled analysis stops at the start values; Message says why
    NoAdmissibleSet, ///< no set passes the guard
    Failed,          ///< memory, a fault: Message says why
    Cancelled
};

struct TJointCalibration
{
    TStatus Status = TStatus::BadInput;
    std::string Message; ///< why it did not calibrate
    TObjective Objective = TObjective::NSE;
    int Evaluations = 0;     ///< sets evaluated
    TParameters Start;       ///< the start values (the first window's storages, factor 1)
    TParameters Best;        ///< MaxStor, InitStor (as every window starts), EscapeFactor
    double FillFraction = 0; ///< Best.InitStor / Best.MaxStor
    /// The pooled analysis of the best set: its alpha function (Alpha), the divide, the volume
    /// ratio of all windows together; Simulation holds the windows' combined figures.
    URainRun::TEvaluation BestFit;
    URainRun::TEvaluation StartFit;  ///< the same at the start values
    double Value = 0;                ///< the combined figure of the objective the search maximised
    std::vector<TWindowFit> Windows; ///< at the best set, in the order given
    std::vector<TWindowFit> StartWindows;               ///< at the start values
    std::vector<UCalibration::TEvaluatedSet> Evaluated; ///< with KeepEvaluated
    double Seconds = 0;
};

/// The refusal of windows that do not go together, or empty: fewer than one window, the same
/// file twice, step lengths or units that differ (both files named), a window with fewer than
/// MinScoredRows rows after the warm-up, a window without a single receding step, a negative
/// rain, escape rate or runoff (as Save / Run refuses it).
std::string CheckWindows(const std::vector<TWindow> &windows, const TOptions &options);

/// Reads the analysis file path as a window; false with message for a file that cannot be read,
/// a prediction file or an unreadable analysis file.
bool ReadWindow(const std::string &path, TWindow &window, std::string &message);

/// The joint calibration of the windows (checked first with CheckWindows).
TJointCalibration Calibrate(const std::vector<TWindow> &windows, const TOptions &options);

/// The windows simulated with a set and an alpha function (as the joint calibration scores
/// them); combined gets the figures of the windows together. The alpha limits are those of
/// the analysis that gave alpha (URainRun::TEvaluation::AlphaLimits).
std::vector<TWindowFit> SimulateWindows(const std::vector<TWindow> &windows, const TParameters &set,
                                        const URainRun::TEvaluation &analysis,
                                        const TOptions &options, TSimulationFit &combined);

/// The analysis input of window with the set put in (storages and factor as the file writes
/// them): what `-o` writes for each window.
URainRun::TAnalysisInput CalibratedWindow(const TWindow &window, const TParameters &set);

} // namespace quellow::UJointCalibration
