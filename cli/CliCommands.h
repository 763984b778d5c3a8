#pragma once

#include <string>
#include <vector>

namespace quellow::cli {

using TArgs = std::vector<std::string>;

/// The program that draws charts, in the folder of quellow-cli.
inline constexpr const char *ChartProgramName = "quellow-cli-chart";
/// The chart program's first argument when it draws the pictures of a validation.
inline constexpr const char *ValidationPicturesOption = "--validation-pictures";

/// True, after printing usage on standard output, when the only argument asks for help.
bool ShowsHelp(const TArgs &args, const char *usage);

/// Each command gets the arguments after its name and returns the exit status.
int RunCommand(const TArgs &args); ///< quellow-cli run FILE.inp
/// quellow-cli chart FILE.out --kind N -o FILE.bmp: hands the arguments on to the chart program
/// (see cli/chart/CliChart.h), which draws.
int ChartCommand(const TArgs &args);
/// Runs the chart program with args, input on its standard input, and waits for it: true when
/// it ended with status 0 (it reports its own errors on standard error).
bool RunChartProgram(const TArgs &args, const std::string &input);
int AlfaCommand(const TArgs &args);      ///< quellow-cli alfa KA KB D U P L
int ImportCommand(const TArgs &args);    ///< quellow-cli import FILE.csv --mode M -o OUT.inp
int ConvertCommand(const TArgs &args);   ///< quellow-cli convert IN.inp -o OUT.inp
int CalibrateCommand(const TArgs &args); ///< quellow-cli calibrate FILE.inp [options]
/// Several files or a folder given to calibrate (or --csv): they are calibrated as a batch.
bool IsCalibrateBatch(const TArgs &args);
int CalibrateBatchCommand(const TArgs &args); ///< quellow-cli calibrate A.inp B.inp ... [options]
int ValidateCommand(const TArgs &args);       ///< quellow-cli validate CAL.inp VAL.inp [options]
int MergeCommand(const TArgs &args);          ///< quellow-cli merge SUMMARY.csv ... -o ALL.csv

} // namespace quellow::cli
