#pragma once

#include "cli/CliCommands.h"
#include "calibration/UJointCalibration.h"

#include <string>
#include <vector>

/// What calibrate --joint and validate --leave-one-out share: their options, and the windows
/// read from the files and folders given.
namespace quellow::cli {

/// The options of a command on several windows.
struct TJointArgs
{
    std::vector<std::string> Inputs; ///< files and folders as given
    UJointCalibration::TOptions Options;
    bool Json = false;
    bool Help = false;
    std::string OutputDir; ///< calibrate --joint -o DIR
    std::string CsvFile;   ///< validate --leave-one-out --csv FILE
    int JointSize = 0;     ///< validate --leave-one-out --joint-size K
    int Rolling = 0;       ///< validate --leave-one-out --rolling K
};

/// Why the arguments of a command on several windows were not taken.
enum class TJointArgsFault {
    None,
    Usage,  ///< not understood: the usage follows (exit status 2)
    Refused ///< understood but refused: a line on standard error said why (exit status 1)
};

/// Reads args after the command's name. flag is the option that makes the command joint
/// (--joint, --leave-one-out); extra the options of a value only this command takes (-o, --csv,
/// --joint-size, --rolling). A value that does not read gives Usage with a line on standard
/// error; the rsquare objective and no window at all give Refused.
TJointArgsFault ParseJointArgs(const TArgs &args, const std::string &flag,
                               const std::vector<std::string> &extra, TJointArgs &out);

/// The windows of the inputs (a folder: its *.inp files by name, *-calibrated.inp left out),
/// each read with UJointCalibration::ReadWindow. False, with a line on standard error, when a
/// folder holds none or a file is no window.
bool ReadJointWindows(const std::vector<std::string> &inputs,
                      std::vector<UJointCalibration::TWindow> &windows);

/// The "Warning:" lines of a calibration's result: each value on a limit of the search, an
/// escape factor below 0.3 or above 1.5 (empty when none).
std::string CalibrationWarnings(const TParameters &best, const UCalibration::TEvaluation &fit);

/// calibrate with --joint among its arguments: the joint calibration of the windows given.
bool IsJointCalibrate(const TArgs &args);
int JointCalibrateCommand(const TArgs &args);
/// validate with --leave-one-out among its arguments.
bool IsLeaveOneOut(const TArgs &args);
int LeaveOneOutCommand(const TArgs &args);

} // namespace quellow::cli
