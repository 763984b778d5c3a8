#pragma once

#include "calibration/UCalibrationRun.h"
#include "calibration/UValidation.h"
#include "runs/UFitMeasures.h"

#include <string>

/// The results of a calibration and of a validation as JSON text (one line, no line end): what
/// quellow-cli prints with --json and what the Python module hands over, from the same
/// functions, so that both give the same numbers to the last bit. Numbers are the shortest text
/// that reads back as the same double; figures that are not defined are null.
namespace quellow::UReports {

/// A figure: the number at full precision, or null when it is not defined.
std::string JsonFigure(bool defined, double value);

/// The figures of a simulation as one JSON object: NSE, KGE, KGEr, KGEalpha, KGEbeta, LogNSE,
/// VolumeError, each null when it is not defined.
std::string SimulationJson(const TSimulationFit &simulation);

/// A benchmark of a validation: NSE, KGE, VolumeError (null when not defined).
std::string BenchmarkJson(const UValidation::TBenchmark &benchmark);

/// The name of a calibration's outcome ("calibrated", "no admissible set", ...).
const char *StatusName(UCalibration::TStatus status);

/// The start and calibrated figures of a calibration of c.Input: file, status and, once
/// calibrated, output (null when c.Output is empty: nothing was written), start and calibrated;
/// then objective, evaluations and seconds.
std::string CalibrationJson(const UCalibration::TFileCalibration &c,
                            UCalibration::TObjective objective);

/// A split-sample validation: status, calibration, validation, benchmarks, band, notes and
/// seconds.
std::string ValidationJson(const UValidation::TValidation &v);

} // namespace quellow::UReports
