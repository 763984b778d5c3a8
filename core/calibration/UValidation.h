#pragma once

#include "calibration/UCalibration.h"
#include "runs/UFitMeasures.h"
#include "runs/URainRun.h"

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

/// Split-sample validation: the first reservoir and the alpha function of one window (CAL),
/// calibrated or as they stand, carried over to the next window (VAL) and simulated there as a
/// prediction runs it, scored against VAL's measured runoff beside benchmarks that say what a
/// figure means, with a band from the spread of the parameter sets CAL's calibration found
/// about as good as its best.
///
/// Everything a view needs is in the result: the series of VAL (rain, measured, simulated,
/// band), the figures, the benchmarks and every set the calibration evaluated with its
/// objective and whether the scan or a local search found it.
namespace quellow::UValidation {

using UCalibration::TObjective;

/// Fewer scored rows than this are no validation.
inline constexpr int MinScoredRows = 12;
/// Fewer sets than this make no band.
inline constexpr int MinBandSets = 10;
/// More sets than this are not simulated for the band (the best are kept).
inline constexpr int MaxBandSets = 300;
/// Step lengths of CAL and VAL whose medians differ by more than this factor do not validate.
inline constexpr double MaxStepRatio = 1.5;

/// The initial dead storage of VAL's simulation.
enum class TInitStorage {
    Cal,  ///< the initial storage CAL's analysis starts from
    Full, ///< the maximum storage
    Value ///< a value in mm (TOptions::InitStorValue) as it stands: 0 is an empty start
};

struct TOptions
{
    TObjective Objective = TObjective::NSE;
    bool Calibrate = true;   ///< false: CAL's parameters as they stand
    double EscapeFactor = 1; ///< without calibration: the factor on VAL's escape rates
    TInitStorage InitStorage = TInitStorage::Cal;
    /// mm, with TInitStorage::Value; a validation refuses one above the maximum storage
    double InitStorValue = 0;
    int Warmup = 0; ///< rows of VAL left out of the scores after the first
    /// The robust alpha function and the prediction's first reservoir in the analyses (see
    /// URainRun::TEvaluateOptions); VAL's simulation holds alpha as CAL's analysis says.
    bool RobustAlpha = false;
    bool PredictionReservoir = false;
    double Band = -1; ///< the band's distance from the best objective; < 0: default
    int Evaluations = UCalibration::DefaultEvaluations;
    int Threads = 0; ///< 0: one per core
    /// The calibrations stop soon after this becomes true (nullptr: never); the validation then
    /// ends with TStatus::Cancelled.
    const std::atomic<bool> *Cancel = nullptr;
    /// Called with the set's place before each set of the band is simulated, on the thread that
    /// simulates it (empty: nothing is called). What it throws ends the validation as any fault
    /// there would: tests make the band fail with it.
    std::function<void(int set)> BeforeBandSet;
};

/// The options a person gives a validation by their value's text.
enum class TOption { Objective, EscapeFactor, InitStorage, Warmup, Band };

/// Reads text as the value of option into options (the objective nse, kge or rsquare; the
/// escape factor and the band a number of 0 or more; the initial storage cal, full or a
/// storage in mm of 0 or more; the warm-up a whole number of 0 or more). False, options
/// unchanged, when it does not read, with message saying what it takes, begun by name (the
/// option as the caller names it to the person).
bool ReadOption(TOption option, const std::string &text, const std::string &name, TOptions &options,
                std::string &message);

/// The message when a warm-up of warmup rows leaves fewer than MinScoredRows of the rows of the
/// validation window valFile to score; empty when it leaves enough.
std::string WarmupProblem(std::size_t rows, int warmup, const std::string &valFile);

/// The refusal of an initial storage given in mm that lies above the maximum storage before
/// anything runs: above CAL's maximum storage calMaxStor without a calibration, above the
/// largest the calibration searches with one (the calibrated maximum is checked once found).
/// Empty when the options may be taken.
std::string GivenStorageAboveMaximum(const TOptions &options, double calMaxStor);

/// The band's default distance: 0.02 for R square, 0.05 for NSE and KGE.
double DefaultBand(TObjective objective);

/// What a benchmark gives on the scored rows of VAL.
struct TBenchmark
{
    bool Defined = false;
    TFitMeasures Fit; ///< NSE, KGE, volume error
};

/// What a simulation gives as a benchmark: undefined when it was not made or not scored.
TBenchmark BenchmarkOf(const TSimulationFit &simulation);

/// A set of the band with what it gave on CAL.
struct TBandSet
{
    TParameters Parameters; ///< as CAL's calibration evaluated it
    double Objective = 0;   ///< on CAL
    bool Scan = false;      ///< from the scan; else a local search (or the start)
    int Order = 0;          ///< place in the order of evaluation
};

struct TBand
{
    bool Made = false;
    std::string Why;     ///< why there is no band
    int Sets = 0;        ///< sets simulated
    double Coverage = 0; ///< share of scored rows with low <= measured <= high
    double Width = 0;    ///< mean(high - low) / mean(measured) over the scored rows
    bool WidthDefined = false;
    std::array<double, 2> MaxStor{}, InitStor{}, EscapeFactor{}; ///< ranges over the sets
    std::vector<double> Low, High; ///< the 5 % and 95 % quantile per row of VAL (from 0)
    std::vector<TBandSet> Members; ///< best first
};

enum class TStatus {
    Validated,
    BadInput, ///< Message says why; nothing was computed
    Failed,   ///< a calibration failed, or memory ran out or a fault stopped it; Message says why
    Cancelled ///< stopped on request (TOptions::Cancel)
};

struct TValidation
{
    TStatus Status = TStatus::BadInput;
    std::string Message; ///< why a validation did not complete

    std::string CalFile, ValFile;
    /// How the validation window was taken when it is no input file (the caller's words: the
    /// series file, the period, the runoff's source and unit); empty for an input file.
    std::string ValSource;
    TObjective Objective = TObjective::NSE;
    bool Calibrated = false;      ///< CAL was calibrated
    TParameters Cal;              ///< CAL's parameters (as written; InitStor as CAL runs it)
    URainRun::TEvaluation CalFit; ///< CAL's analysis and the simulation of its window

    double EscapeFactor = 1; ///< the factor on VAL's escape rates
    double MaxStor = 0;      ///< VAL's maximum dead storage (mm)
    double InitStor = 0;     ///< VAL's initial dead storage (mm)
    int Warmup = 0;
    int Rows = 0;              ///< scored rows of VAL
    TSimulationFit Validation; ///< VAL simulated with CAL's parameters and alpha function
    double FirstMeasured = 0;  ///< VAL's first measured runoff

    /// VAL's rows, from 0: time as in the file, rain, measured and simulated runoff.
    std::vector<double> Time, Rain, Measured, Simulated;

    TBenchmark Start, Self, Mean, Recession;
    TBand Band;

    /// Every set CAL's calibration evaluated, in evaluation order (empty without calibration).
    std::vector<UCalibration::TEvaluatedSet> Evaluated;

    std::vector<std::string> Notes; ///< what a reader should know, undefined figures included
    double Seconds = 0;
};

/// Reads an analysis file for a validation; role ("calibration", "validation") names it in the
/// message. False, with message, for a file that cannot be read, a prediction file, or an
/// unreadable analysis file.
/// needs names what needs analysis files in that message.
bool ReadWindow(const std::string &path, const std::string &role, URainRun::TAnalysisInput &input,
                std::string &message, const std::string &needs = "a validation");

/// The row check of Save / Run on a window: rain, escape rate and measured runoff are not
/// negative (a missing-value marker left in is scored otherwise). The message naming the window
/// file by its role ("calibration", "validation"), or empty.
std::string NegativeValueProblem(const URainRun::TAnalysisInput &input, const std::string &role,
                                 const std::string &file);

/// The refusal of two windows whose median step lengths differ by more than MaxStepRatio (or
/// either has none), naming both files; empty when an alpha function carries over.
std::string StepLengthProblem(const URainRun::TAnalysisInput &a, const std::string &aFile,
                              const URainRun::TAnalysisInput &b, const std::string &bFile);

/// Validates cal on val (both as read; calFile and valFile name them in messages and notes).
TValidation Validate(const URainRun::TAnalysisInput &cal, const std::string &calFile,
                     const URainRun::TAnalysisInput &val, const std::string &valFile,
                     const TOptions &options);

/// The p-quantile of x[0..n-1] after Hyndman and Fan's type 7: linear between the order
/// statistics, h = (n - 1) p. x is reordered.
double Quantile(double *x, std::size_t n, double p);

/// The band of sets runs over the rows of measured (runoff[set * n + row], n rows, from 0):
/// per row the 5 % and 95 % quantiles into band.Low and band.High; over rows firstScored..n
/// (counted from 1) the coverage, the share of rows with low <= measured <= high, and the width,
/// mean(high - low) / mean(measured) (WidthDefined false when that mean is not positive).
void BandFromRuns(const std::vector<double> &runoff, std::size_t sets,
                  const std::vector<double> &measured, int firstScored, TBand &band);

/// The median length of the steps of input (0 for fewer than two rows).
double MedianStep(const URainRun::TAnalysisInput &input);

} // namespace quellow::UValidation
