#pragma once

#include "runs/UFitMeasures.h"
#include "runs/UParameters.h"
#include "runs/URunShared.h"
#include "runs/USimulation.h"

#include <array>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

/// The analysis run: from a measured series of time, rain, escape rate and runoff it derives
/// the response factor alpha of the main reservoir from the recession steps, regresses alpha
/// on the runoff above and at-or-below a runoff divide, reconstructs the runoff with the
/// result and writes the analysis output file and the trend file.
///
/// Units: rain, escape rate, recharge and runoff in mm per time unit (mm/t); time in the
/// user's own unit (t); storages in mm; alpha per time unit (1/t).
/// Every per-row array of the run is indexed from 1 (row 1 = first data row) up to MaxSteps;
/// element 0 is unused.
namespace quellow {
class TPrompts;
}

namespace quellow::URainRun {

/// Trend lines of measured runoff against recharge over all rows of the last analysis:
/// Runoff = TrendA * Rech + TrendC and Runoff = TrendQA * Rech^2 + TrendQB * Rech + TrendQC.
struct TTrend
{
    double TrendA = 0;
    double TrendC = 0;
    double TrendQA = 0;
    double TrendQB = 0;
    double TrendQC = 0;
    bool TrendValid = false; ///< the trend could be computed (false after start-up)
};
inline TTrend Trend;

/// Text of the trend file (five lines, CR LF).
std::string TrendFileText(const TTrend &trend);

/// Writes the trend file: DMQuellow.FileName with the extension ".dat" (atomically).
/// Returns false when it could not be written.
bool WriteTrendFile();

/// Reads TrendQA, TrendQB, TrendQC back from the trend file beside DMQuellow.FileName.
/// Returns false (values unchanged) when the file is missing or unreadable.
bool ReadTrendFile();
/// The same from a named trend file.
bool ReadTrendFile(const std::string &path);

/// Per-row arrays of the run, indexed 1..MaxSteps (element 0 unused).
using TRowReals = std::vector<double>;

/// The divide fractions of the five trials of the divide search (trial k uses element k-1).
inline constexpr std::array<double, 5> TrialFractions = {0.3, 0.4, 0.5, 0.6, 0.7};

/// Trials of the divide search are runs 1..5; FinalRun is the run that files the results.
inline constexpr int FinalRun = 6;

// ---- The input of an analysis ------------------------------------------------------------

/// One data row of an analysis input file, as the file holds it.
struct TAnalysisRow
{
    int Serial = 0;
    double Time = 0;   ///< time at the end of the step (t)
    double Rain = 0;   ///< rain of the step (mm/t)
    double Escape = 0; ///< escape rate of the step (mm/t)
    double Runoff = 0; ///< measured runoff of the step (mm/t), not yet raised to 0.001
};

/// Everything an analysis takes from its input file, read once, with the values exactly as the
/// file holds them. Many evaluations may share one input: the runs only read it.
struct TAnalysisInput
{
    std::string Title1, Title2;
    std::string TimeUnit;           ///< "--" when the file has no units line
    std::string DepthUnit;          ///< "--" when the file has no units line
    double MaxSto = 0;              ///< maximum dead storage (mm)
    double IniSto = 0;              ///< initial dead storage (mm)
    double MaxEsc = 0;              ///< maximum escape rate (mm/t)
    std::vector<TAnalysisRow> Rows; ///< at most MaxSteps
};

/// Parses the text of an analysis input file. name is named in the messages, which go to
/// prompts (nullptr: none). Returns false, input unchanged, when the text cannot be read as an
/// analysis input file (too few lines, an unreadable number, more than MaxSteps rows, values
/// beyond MaxRunValue).
bool ParseAnalysisInput(std::string_view text, const std::string &name, TAnalysisInput &input,
                        TPrompts *prompts);
/// Reads and parses the analysis input file path; a file that cannot be read gets the message.
bool ReadAnalysisInput(const std::string &path, TAnalysisInput &input, TPrompts *prompts);

/// The value an input file holds after v was written into its field of the given width (two
/// decimals from 1 up, four significant digits below) and read back: the same double a
/// Save/Run of v gives the run.
double AsWritten(double v, int width);

/// input with every value rounded as the input file writes it: what a run of the file that
/// holds input works on.
TAnalysisInput AsWritten(const TAnalysisInput &input);

/// Puts the parameters into out (a copy of input, its storage reused): MaxSto and IniSto, and
/// every row's escape rate scaled by the factor, each rounded as the input file writes it.
/// For input as written (see above), an evaluation of out gives bit for bit what a Save/Run of
/// a file with these values gives.
void ApplyCalibration(const TAnalysisInput &input, const TParameters &parameters,
                      TAnalysisInput &out);

// ---- The series of an analysis ------------------------------------------------------------

/// Why an analysis stopped.
enum class TStop {
    None,
    FileError,         ///< input unreadable, or a result file could not be written
    NoRunoffVariation, ///< the runoff range is below 0.001
    NoTimeVariation,   ///< the time range is below 0.001
    TimeOrder,         ///< a negative time step
    MaxStorage,        ///< the maximum storage is not above 0
    NoDryData,         ///< no alpha value could be measured
    TooFewLowRain      ///< final run: fewer than three selected rows
};

/// What an analysis derives from the time, rain and runoff of its input alone, whatever its
/// storages and escape rates: the same for every parameter set of a calibration. It is prepared
/// once (PrepareSeries) and then only read, so that the evaluations of many sets on many threads
/// may share one. Arrays indexed 1..Count (element 0 unused).
struct TPreparedSeries
{
    int Count = 0;                 ///< data rows N
    TRowReals StepTime;            ///< time at the end of step i (t)
    TRowReals Rain;                ///< rain of step i (mm/t)
    TRowReals Runoff;              ///< measured runoff of step i as read (mm/t)
    TRowReals RunMeas;             ///< the same raised to at least 0.001 (mm/t)
    double RunMin = 0, RunMax = 0; ///< range of RunMeas (mm/t)
    /// NoRunoffVariation or NoTimeVariation: every analysis of the series stops at its start.
    TStop Stop = TStop::None;
    TRowReals StepLength;         ///< length of step i, rows 2..N (t)
    TRowReals RowAlpha;           ///< alpha measured at a receding row i (1/t)
    std::vector<char> RowRecedes; ///< the runoff of row i falls over a step of positive length
    /// The rows where a window of a joint series begins, ascending, the first 1: every count
    /// along the rows restarts there (the first reservoir from its initial storage, the
    /// reconstruction from the measured runoff, the dry spells), no step leads into such a row,
    /// and it has no step length (0). A series of one input has the one window {1}.
    std::vector<int> WindowStarts{1};
    std::vector<char> StartsWindow; ///< row i begins a window (row 1 too)
    /// Tells one preparation from every other: an evaluation keeps what it took from the series
    /// it ran over last (the window of its simulation) only while the number stays the same.
    unsigned long long Id = 0;
};

/// Prepares the series of input into series: time, rain and runoff taken over, the runoff
/// raised, its range and whether the runoff and the time vary, the step lengths and the alpha of
/// every receding row. The arrays grow to the series' length and never shrink, so a series
/// prepared again allocates nothing once it has held as many rows.
void PrepareSeries(const TAnalysisInput &input, TPreparedSeries &series);
TPreparedSeries PrepareSeries(const TAnalysisInput &input);
/// The same for the rows of several windows one after the other in input, window k beginning
/// at row windowStarts[k] (ascending, the first 1): a joint series (see WindowStarts).
TPreparedSeries PrepareSeries(const TAnalysisInput &input, const std::vector<int> &windowStarts);

/// What a parameter set gives the first reservoir of an analysis over a prepared series: the
/// maximum and initial dead storage and the escape rate of every row, each as the set's input
/// file holds it.
struct TFirstReservoir
{
    double MaxSto = 0; ///< maximum dead storage (mm)
    double IniSto = 0; ///< initial dead storage (mm)
    TRowReals Escape;  ///< escape rate of row i, 1..N (mm/t)
};

/// The parameters put into out as ApplyCalibration puts them into an input file's values; the
/// escape rates are input's scaled. The escape rates grow to input's rows and never shrink.
void ApplyCalibration(const TAnalysisInput &input, const TParameters &parameters,
                      TFirstReservoir &out);

/// How much the final run of an analysis computes.
enum class TFinalRun {
    Full,     ///< everything its files and messages show
    InMemory, ///< what an evaluation returns: no trend lines, no regressed alpha per row, no
              ///< count of equal runoffs, no check of the trend's vertex
    InMemoryWithoutFit ///< the same without the reconstruction's fit measures and rows: of the
                       ///< reconstruction only its sum of squares, R square and volume ratio
};

// ---- The state of one evaluation ---------------------------------------------------------

/// Everything one analysis reads and writes. A run touches no other state, so several states
/// may be run on threads at once. The state survives between runs: the five trials and the
/// final run of one divide search reuse it, and each run recomputes everything from the input
/// except TrialResult, which collects the trials' sums of squares. A run reads its series from
/// Series(): the state's own, prepared from the input, or one prepared before and shared.
struct TState
{
    TState();

    // ---- In ------------------------------------------------------------------------------
    std::string FileName;              ///< input file of the file-based runs; ".inp" after filing
    TPrompts *Messages = nullptr;      ///< where this run's messages go; nullptr: nowhere
    bool WriteFiles = true;            ///< the final run writes the trend and output files
    TFinalRun Final = TFinalRun::Full; ///< how much the final run computes

    // ---- Taken from the input -------------------------------------------------------------
    std::string Title1, Title2;
    int DataCount = 0; ///< number of data rows read (N); the window shows it as the number of data
    double MaxSto = 0; ///< maximum dead storage (mm)
    double IniSto = 0; ///< initial dead storage (mm); 0 is run (and reported) as 0.1 * MaxSto
    double MaxEsc = 0; ///< maximum escape rate (mm/t); reported only
    std::string TimeUnit;      ///< unit of the time column ("--" when the file has no units line)
    std::string DepthUnit;     ///< unit of the depth columns ("--" when the file has no units line)
    std::vector<int> SerialNo; ///< serial number of each row as read, 1..N
    TRowReals EscRate;         ///< escape rate of step i as read (mm/t)
    TPreparedSeries OwnSeries; ///< the series of a run of an input, prepared by the run
    /// The series of the last evaluation over a prepared series (Evaluate with one), which must
    /// outlive the state's reading of it; nullptr after a run of an input.
    const TPreparedSeries *SharedSeries = nullptr;
    /// The series the last run read: time, rain, measured runoff and their range.
    const TPreparedSeries &Series() const { return SharedSeries ? *SharedSeries : OwnSeries; }

    // ---- First reservoir -----------------------------------------------------------------
    TRowReals Rech;           ///< recharge of step i (mm/t) leaving the dead storage
    TRowReals StoDef;         ///< dead-storage deficit after step i (mm)
    TRowReals ActSto;         ///< actual dead storage after step i (mm)
    double RechargeStep2 = 0; ///< Rech[2] as computed, before the reconstruction raises it
    /// The same for the second row of every window of a joint series, window by window.
    std::vector<double> WindowStep2;
    /// The evaluation's options (TEvaluateOptions): the robust alpha function, the
    /// prediction's first reservoir.
    bool Robust = false;
    bool PredictionReservoir = false;
    /// With Robust: the runoffs beyond which a simulation holds alpha.
    USimulation::TAlphaLimits AlphaLimits;
    TTrend Trend; ///< trend lines of runoff on recharge

    // ---- Recession selection and alpha ----------------------------------------------------
    std::vector<char> Selected; ///< row i is a recession data point (never row 1)
    TRowReals AlphaUp;          ///< measured alpha (1/t) of a selected row with RunMeas[i] > Divide
    TRowReals AlphaLow;    ///< measured alpha (1/t) of a selected row with RunMeas[i] <= Divide
    TRowReals AlphaRegr;   ///< alpha of the regressed function at a selected row (1/t)
    int UpperCount = 0;    ///< alpha values measured above the divide
    int LowerCount = 0;    ///< alpha values measured at or below the divide
    int SelectedCount = 0; ///< selected rows among 2..N after both passes
    double MeanRun = 0;    ///< mean measured runoff over rows 1..N (mm/t)
    double Divide = 0;     ///< the runoff divide (mm/t)

    // ---- Regressions of alpha on runoff (alpha = A * runoff + C per range) ----------------
    double AUp = 0, CUp = 0;   ///< above the divide
    double ALow = 0, CLow = 0; ///< at or below the divide
    /// Quadratic alpha = Q[0] * runoff^2 + Q[1] * runoff + Q[2] of each range; kept apart from
    /// the prediction's A1 and A2.
    std::array<double, 3> QuadUp{}, QuadLow{};
    bool QuadUpFitted = false;  ///< QuadUp could be fitted (three or more distinct runoffs)
    bool QuadLowFitted = false; ///< QuadLow could be fitted
    int UpperRegCount = 0;      ///< points of the upper regression
    int LowerRegCount = 0;      ///< points of the lower regression

    // ---- Reconstruction --------------------------------------------------------------------
    TRowReals AlphaCalc; ///< alpha used for step i of the reconstruction (row 1: 0)
    TRowReals RunCalc;   ///< calculated runoff at the end of step i (mm/t); RunCalc[1] = RunMeas[1]
    double SSE = 0;      ///< sum over rows 2..N of (RunMeas - RunCalc)^2
    double RSquare = 0;  ///< 1 - 0.5 * SSE / SST within [0.01, 0.99] (final run only)
    TFitMeasures Fit;    ///< final run: the reconstruction against the measured runoff
    double VolumeRatio = 0; ///< final run: recharge volume / measured runoff volume, rows 2..N

    // ---- Divide search ---------------------------------------------------------------------
    double DivideFraction = 0; ///< where the divide lies within the runoff range (0.3 .. 0.7)
    int RunCounter = 0;        ///< trial number 1..5; stays 5 in the final run
    std::array<double, 6> TrialResult{}; ///< SSE of trial k at index k (1..5); index 0 unused

    // ---- Run outcome -------------------------------------------------------------------------
    bool RunOK = false;            ///< the runoff and time ranges were computed and vary
    bool RunHalted = false;        ///< the runoff or the time shows no variation
    bool NoDryData = false;        ///< no alpha value could be measured at all
    bool TimeOrderError = false;   ///< a negative time step was met
    bool StorageOK = false;        ///< the maximum storage is above 0
    bool TooFewLowRain = false;    ///< final run: fewer than three selected rows
    bool LimitedData = false;      ///< final run: few first-pass alpha values
    bool NonPositiveSlope = false; ///< AUp <= 0 or ALow <= 0
    bool FewLowRainWarned = false; ///< final run: a few-data warning was shown
    bool Silent = false;           ///< a trial of the divide search: no warnings, no files
    bool FileError = false;        ///< the input file could not be read (or has more than
                                   ///< MaxSteps rows), or a result file could not be written
    bool OutputWritten = false;    ///< this run wrote the trend file and the output file
    TStop Stop = TStop::None;      ///< why the last run stopped

    /// The last run met a condition that stops it before the reconstruction.
    bool Stopped() const;
    /// The last run met a fault that every trial of a search would meet again.
    bool StoppedForGood() const;
    /// The final run wrote its files.
    bool Filed() const { return OutputWritten; }
    /// The general warning is due after a final run.
    bool NeedsGeneralWarning() const;

    // ---- Scratch ---------------------------------------------------------------------------
    std::vector<double> RegrX, RegrY; ///< points of one regression, capacity kept
    std::vector<char> FirstPass;      ///< Selected after the first pass of the first trial
    std::vector<int> FirstPassRows;   ///< the rows of FirstPass, ascending
    std::vector<int> SelectedRows;    ///< the rows of Selected after both passes, ascending
    std::vector<double> LowX, LowY;   ///< points of the lower regression, capacity kept
    std::vector<double> BothX, BothY; ///< points of both ranges (the robust line)
    /// Room of every per-row array (MaxSteps + 1 until a longer joint series ran).
    std::size_t Stride = MaxSteps + 1;
    double RechargeSum = 0;  ///< sum of Rech over rows 1..N of the first reservoir
    TRowReals MeasuredAlpha; ///< alpha measured at each selected row (1/t)

    /// A trial of the divide search as its final run may take it over: the alpha lines it
    /// reconstructed with and its sum of squares.
    struct TTrial
    {
        bool Run = false; ///< the trial reached its reconstruction
        double Divide = 0, AUp = 0, CUp = 0, ALow = 0, CLow = 0;
        double SSE = 0;
    };
    std::array<TTrial, 5> Trials{};
    std::vector<double> TrialRunCalc; ///< RunCalc of trial t (0..4) from t * (MaxSteps + 1)
    int ChosenTrial = 0; ///< the trial (1..5) the final run repeats; 0 outside a search
    USimulation::TScratch Simulation; ///< the last simulation of the window (Simulate)
    /// The Id of the prepared series whose window Simulation holds (0: none, or an input's).
    unsigned long long SimulatedSeries = 0;
};

/// The window's evaluation: its input comes from the data module and its results go back to
/// ModelValues, DMQuellow, RainArr and Trend (see the functions without a state below).
inline TState State;

// ---- The run and its steps --------------------------------------------------------------

/// One analysis run of input into s (its series prepared into s.OwnSeries): DetermineAlpha, then,
/// when it ended without a stopping condition, Reconstruct and (unless Silent, or WriteFiles is
/// off) the trend file and the output file beside s.FileName. A run that stops writes neither file.
/// The outcome is in the flags of s.
void AnalysisRun(TState &s, const TAnalysisInput &input);

/// Takes the input over into s, computes the recharge and the trend lines, selects the
/// recession rows, measures alpha and regresses it on the runoff of each range, with every
/// check and message of the determination. The divide is
/// RunMin + (RunMax - RunMin) * s.DivideFraction.
void DetermineAlpha(TState &s, const TAnalysisInput &input);

/// Least-squares trend lines of RunMeas on Rech over rows 1..N into s.Trend (the linear one
/// always, the quadratic one when three or more distinct recharge values exist). TrendValid
/// is false when the recharge sums to exactly 0; a Silent run, and a final run short of Full,
/// only set TrendValid.
void TrendRegression(TState &s);

/// Runs the main reservoir over rows 2..N with the linear alpha functions, starting from the
/// measured runoff of row 1: RunCalc[i] = RunCalc[i-1]*E + (1-E)*Rech[i], E = exp(-alpha*dt),
/// alpha evaluated at RunCalc[i-1] (0.01 where it would be negative). Fills AlphaCalc,
/// RunCalc, SSE and TrialResult[RunCounter]; unless Silent also MeanRun, the fit measures,
/// the volume ratio and RSquare = 1 - 0.5 * SSE / SST, kept within [0.01, 0.99].
void Reconstruct(TState &s);

/// Text of the analysis output file for the results in s (CR LF line ends);
/// inputName is the name shown on line 5.
std::string AnalysisOutputText(const TState &s, const std::string &inputName);

/// Writes the trend file of s beside s.FileName (extension ".dat", atomically).
bool WriteTrendFile(const TState &s);

/// Writes the analysis output file: s.FileName with the extension ".out", replaced atomically;
/// afterwards s.FileName has the extension ".inp". Returns false (with a message) when the
/// file could not be written.
bool WriteAnalysisOutput(TState &s);

/// Standard deviation of the regressed from the measured alpha over the selected rows,
/// sqrt(SSA / (N - 2)) (1/t), and of the calculated from the measured runoff,
/// sqrt(SSE / (N - 1)) (mm/t), as the output file reports them.
double AlphaStandardDeviation(const TState &s);
double RunoffStandardDeviation(const TState &s);

// ---- The runoff-divide search ------------------------------------------------------------

/// What a window adds between the runs of the divide search (progress lines, pauses).
class TSearchHooks
{
public:
    virtual ~TSearchHooks() = default;
    /// Called after each run that completed: run = 1..5 for the trials, FinalRun (6) after
    /// the final run (which has then written its files and shown its general warning).
    /// A trial is only reported when the search goes on from it.
    virtual void AfterRun(int run) { (void)run; }
};

/// The runoff-divide search of input into s: five Silent trials with the divide at 0.3, 0.4,
/// 0.5, 0.6 and 0.7 of the runoff range, the choice of the first trial whose result is below
/// every other trial's result plus 0.001, and the final run with that fraction, which shows
/// the warnings and (with WriteFiles) writes FILE.dat and FILE.out beside s.FileName.
/// The search ends after the first trial when a fault that every trial would meet again is
/// found (no variation, negative time step, maximum storage <= 0, no dry data).
/// After a final run that was not stopped, the general warning "Quellow may not give a
/// satisfactory solution owing to particular, uncommon, data or anomalies." is shown when
/// LimitedData or NonPositiveSlope is set and FewLowRainWarned is not.
/// Returns true exactly when the final run completed (and, with WriteFiles, wrote its files).
bool DivideSearch(TState &s, const TAnalysisInput &input, TSearchHooks *hooks = nullptr);

/// The same over the input file named by s.FileName, read once; an unreadable file gets its
/// message and ends the search with FileError.
bool DivideSearch(TState &s, TSearchHooks *hooks = nullptr);

/// The trial (1..5) that the choice rule picks from TrialResult[1..5].
int ChooseTrial(const std::array<double, 6> &trialResult);

// ---- Evaluation in memory ----------------------------------------------------------------

/// What a complete analysis gives, at full precision.
struct TEvaluation
{
    bool Stopped = true;       ///< the analysis stopped: no results
    TStop Stop = TStop::None;  ///< why
    double RSquare = 0;        ///< as the output file would report it, unrounded
    double Divide = 0;         ///< the runoff divide of the final run (mm/t)
    double DivideFraction = 0; ///< the fraction of the chosen trial
    double VolumeRatio = 0;    ///< recharge volume / measured runoff volume, rows 2..N
    TFitMeasures Fit;          ///< the reconstruction against the measured runoff
    TModelValues Alpha;        ///< the linear alpha function of the final run (RSquare unused)
    /// With the robust alpha function: the runoffs beyond which its simulation holds alpha.
    USimulation::TAlphaLimits AlphaLimits;
    double InitStor = 0;       ///< the initial dead storage the run started from (mm)
    TSimulationFit Simulation; ///< the simulation of the window, when asked for (Simulate)
};

/// Whether an evaluation also simulates its window, and how fully it scores the simulation.
enum class TSimulate { No, Fit, Full };

/// What an evaluation computes besides the analysis (Evaluate).
struct TEvaluateOptions
{
    TSimulate Simulate = TSimulate::No;
    /// How much the final run computes. InMemoryWithoutFit leaves the reconstruction's fit
    /// measures and rows out (Fit stays invalid), as a search that judges sets by R square, the
    /// volume ratio and the simulation needs them not.
    TFinalRun Final = TFinalRun::InMemory;
    /// Only an analysis whose volume ratio lies within these bounds is simulated (a search
    /// whose guard refuses the others needs no simulation of them).
    double SimulatedFromRatio = -std::numeric_limits<double>::infinity();
    double SimulatedToRatio = std::numeric_limits<double>::infinity();
    /// The robust alpha function: a range with fewer than RobustMinPoints points or fewer than
    /// three distinct runoffs takes one line fitted over the points of both ranges, and the
    /// simulation holds alpha beyond the runoffs of the regression's points (AlphaLimits).
    bool RobustAlpha = false;
    /// The recharge of the analysis from the prediction's first reservoir (an overflow empties
    /// the deficit) instead of the analysis's own (which keeps it).
    bool PredictionReservoir = false;
};

/// Fewer points than this in a range make the robust alpha function take the pooled line there.
inline constexpr int RobustMinPoints = 5;

/// The complete divide search of input in memory: no files, no messages, no allocation once
/// scratch has run a series of this length. scratch is the caller's and holds the final run's
/// reconstruction and simulation afterwards (not its trend lines nor its regressed alpha per
/// row). With simulate, an analysis that completed also simulates its own window (Simulate
/// below).
TEvaluation Evaluate(const TAnalysisInput &input, TState &scratch,
                     TSimulate simulate = TSimulate::No);
TEvaluation Evaluate(const TAnalysisInput &input, TState &scratch, const TEvaluateOptions &options);

/// The same for a parameter set over a series prepared before: the set's first reservoir on
/// series, which scratch reads while it runs and does not change, so that the evaluations of
/// many sets on many threads (each with its own scratch) may share it. Gives to the last bit
/// what Evaluate gives for an input with this series and the set's values. No allocation once
/// scratch has run a series of this length; the simulation's window is taken from the series
/// only when scratch last simulated another one. Throws std::length_error when set has fewer
/// escape rates than series has rows.
TEvaluation Evaluate(const TPreparedSeries &series, const TFirstReservoir &set, TState &scratch,
                     const TEvaluateOptions &options);

/// The message of a run that stopped for reason (empty for None and FileError).
std::string StopText(TStop reason);

/// The alpha function of the last run of s: A1, B1 = AUp, CUp; A2, B2 = ALow, CLow; Divide.
TModelValues AlphaFunction(const TState &s);

/// The simulation of the window of input after an analysis of it in s completed: the
/// prediction run's first reservoir and routing with the analysis's maximum storage and the
/// initial storage it started from, the file's escape rates and the analysis's linear alpha
/// function, from the first measured runoff; rows 2..N scored against the measured runoff as
/// the file holds it. The runoff is in s.Simulation.Runoff[1..N].
TSimulationFit Simulate(const TAnalysisInput &input, TState &s,
                        USimulation::TScore score = USimulation::TScore::Full);

// ---- The window's evaluation --------------------------------------------------------------
// These run State: they copy in DMQuellow.FileName, the titles, RainArr, ModelValues.Divide
// and RSquare, DMQuellow.RunHalted and Trend, run, and copy the results back, messages going
// to Prompts().

/// AnalysisRun of the file named by DMQuellow.FileName.
void AnalysisRun();
/// DetermineAlpha of the file named by DMQuellow.FileName.
void DetermineAlpha();
/// The divide search of the file named by DMQuellow.FileName.
bool DivideSearch(TSearchHooks *hooks = nullptr);

} // namespace quellow::URainRun
