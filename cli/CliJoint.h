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
    std::string OutputDir; ///< calibrate --joint -o DIR
    std::string CsvFile;   ///< validate --leave-one-out --csv FILE
    int JointSize = 0;     ///< validate --leave-one-out --joint-size K
    int Rolling = 0;       ///< validate --leave-one-out --rolling K
};

/// Reads args after the command's name. flag is the option that makes the command joint
/// (--joint, --leave-one-out); extra the options of a value only this command takes (-o, --csv,
/// --joint-size, --rolling). Returns the exit status when the command ends here: 0 after usage
/// went to standard output for --help; 2 for arguments not understood (a line on standard error
/// for a value that does not read, then usage); 1 for the rsquare objective or no window at
/// all, with a line on standard error. -1 when the command goes on.
int ReadJointArgs(const TArgs &args, const std::string &flag, const std::vector<std::string> &extra,
                  const char *usage, TJointArgs &out);

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
