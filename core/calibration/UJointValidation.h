#pragma once

#include "calibration/UJointCalibration.h"
#include "calibration/UValidation.h"

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

/// Validation of each of several windows on a joint calibration of others: leave-one-out (all
/// the others, or the JointSize nearest in the order given) or rolling (the Rolling windows
/// before it). Each window is simulated with the joint set and the pooled alpha function and
/// scored after its warm-up beside the benchmarks of a split-sample validation. The windows are
/// validated one after the other, each calibration on every thread, so the result is the same
/// for any number of threads.
namespace quellow::UJointValidation {

using UValidation::TBenchmark;

struct TOptions
{
    UJointCalibration::TOptions Joint; ///< objective, warm-up, start, options, budget, threads
    /// 0: every other window; K > 0: the K windows nearest in the order given (before first
    /// among equals).
    int JointSize = 0;
    /// K > 0: the K windows before each one instead (the first K windows are not validated).
    int Rolling = 0;
    /// Called with the windows done and the number to do, from the calling thread.
    std::function<void(int done, int total)> Progress;
};

enum class TWindowStatus {
    Validated,
    Skipped, ///< rolling: fewer windows before it than asked for
    Failed   ///< its joint calibration failed; Message says why
};

struct TWindowValidation
{
    TWindowStatus Status = TWindowStatus::Failed;
    std::string Message;
    std::string File;
    std::vector<std::string> CalibratedOn; ///< the windows of its joint calibration, in order
    UJointCalibration::TJointCalibration Calibration; ///< Windows/Evaluated left empty
    int Rows = 0;                                     ///< scored rows
    TSimulationFit Validation; ///< the window with the joint set and alpha function
    /// start: the joint windows' start values and their pooled analysis; self: the window
    /// calibrated on itself; mean: the mean measured runoff of the joint windows; recession:
    /// the window's first runoff routed without recharge with the pooled alpha function.
    TBenchmark Start, Self, Mean, Recession;
    std::vector<double> Time, Measured, Simulated; ///< the window's rows, from 0
};

enum class TStatus {
    Validated, ///< every window that could be was validated (some may have failed)
    BadInput,  ///< Message says why; nothing was computed
    Cancelled
};

struct TValidation
{
    TStatus Status = TStatus::BadInput;
    std::string Message;
    std::vector<TWindowValidation> Windows; ///< in the order given
    /// Quartiles (25 %, median, 75 %) over the validated windows; Defined false without any.
    struct TSummary
    {
        bool Defined = false;
        std::array<double, 3> NSE{}, KGE{};
    } Summary;
    double Seconds = 0;
};

/// The windows each window is calibrated on (indexes into the windows, ascending), empty when
/// it is skipped.
std::vector<int> CalibrationWindows(int window, int count, const TOptions &options);

/// The refusal of windows and options that cannot be validated this way, or empty: fewer than
/// two windows (a rolling K needs more than K), a joint size or rolling count below 0 or not
/// below the number of windows, and everything UJointCalibration::CheckWindows refuses.
std::string CheckWindows(const std::vector<UJointCalibration::TWindow> &windows,
                         const TOptions &options);

TValidation Validate(const std::vector<UJointCalibration::TWindow> &windows,
                     const TOptions &options);

} // namespace quellow::UJointValidation
