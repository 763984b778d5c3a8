#pragma once

#include "calibration/UCalibration.h"
#include "runs/URainRun.h"

#include <string>

namespace quellow {
class TPrompts;
}

/// Calibration of an analysis input: the search of UCalibration with the complete analysis as
/// its objective, the checks before it, and the calibrated input file.
namespace quellow::UCalibration {

/// Fewer data rows than this cannot be calibrated (the sheet's own minimum).
inline constexpr int MinCalibrationRows = 12;

enum class TStatus {
    Calibrated,      ///< a better or equal admissible set was found
    Cancelled,       ///< stopped on request
    TooFewRows,      ///< fewer than MinCalibrationRows rows
    StartStopped,    ///< the analysis stops at the start values (its message was shown)
    NoAdmissibleSet, ///< no set passes the guard
    FileError,       ///< the file could not be read, is no analysis file, or was not written
    Failed,          ///< the search itself failed (a thread, memory); it said why
    NoSimulation,    ///< a simulation's objective, and the window cannot be simulated
};

struct TCalibrationRun
{
    TStatus Status = TStatus::FileError;
    TResult Search;     ///< start and best parameters with their fits
    double Seconds = 0; ///< time of the search
};

/// The start values of input: its storages, escape factor 1.
TParameters StartValues(const URainRun::TAnalysisInput &input);

/// Calibrates input in memory, evaluating every set on the values the calibrated file will
/// hold (see CalibratedInput). Every failure is reported through prompts (nullptr: nowhere):
/// a stop at the start values with the analysis's own messages (as a Save/Run shows them),
/// too few rows and no admissible set with a message of their own. Nothing is written.
TCalibrationRun CalibrateAnalysis(const URainRun::TAnalysisInput &input, const TOptions &options,
                                  TPrompts *prompts);

/// input with the calibrated parameters put in, every value rounded as the input file holds it.
URainRun::TAnalysisInput CalibratedInput(const URainRun::TAnalysisInput &input,
                                         const TParameters &parameters);

/// The text of an analysis input file holding input; fileName is shown on line 7.
/// False when a value cannot be written.
bool AnalysisInputText(const URainRun::TAnalysisInput &input, const std::string &fileName,
                       std::string &text);

// ---- One file ----------------------------------------------------------------------------

struct TFileCalibration
{
    int ExitStatus = 1;       ///< 0: calibrated, written and run; 1 otherwise
    std::string Input;        ///< the file calibrated (absolute)
    std::string Output;       ///< the calibrated input file (absolute)
    TCalibrationRun Run;      ///< the search
    double OutputRSquare = 0; ///< R square of the analysis run on Output, as its .out file says
};

/// Calibrates the analysis file path and writes the calibrated input file output (empty:
/// FILE-calibrated.inp), never over path, then runs the analysis on it so that its .out and
/// .dat files exist. Messages go to prompts. Reentrant: several files may be calibrated on
/// several threads at once when prompts can take messages from several threads.
TFileCalibration CalibrateFile(const std::string &path, const std::string &output,
                               const TOptions &options, TPrompts *prompts);

} // namespace quellow::UCalibration
