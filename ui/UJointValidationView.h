#pragma once

#include "calibration/UJointValidation.h"

#include <QDialog>
#include <QStringList>

#include <string>
#include <vector>

class QChart;

namespace quellow {

/// The year of a window: the first four-digit year from 1800 to 2100 in the name of its file
/// (without the folder), else in its first title line, else its place in the order (from 1).
int windowYear(const std::string &file, const std::string &title1, int place);

/// The years of windows, in their order.
std::vector<int> windowYears(const std::vector<UJointCalibration::TWindow> &windows);

/// Where each window stands on the axis of years: at its year, and the windows of a year that
/// has several (the seasons of a year) spread over it in their order: 2013, 2013.25, 2013.5, ...
std::vector<double> windowPlaces(const std::vector<int> &years);

/// NSE values below this are drawn at it, so that one poor benchmark does not flatten the rest.
inline constexpr double LowestNseShown = -1;

/// The summary of a leave-one-out validation: the windows validated, skipped and failed, the
/// quartiles of the validation NSE and KGE and the median NSE of each benchmark.
QStringList jointValidationLines(const UJointValidation::TValidation &v);

/// A new chart (the caller owns it) of each validated window's NSE against its year (at its
/// place, windowPlaces), with the NSE of the benchmarks (start, self, mean, recession) as further
/// series.
QChart *jointValidationChart(const UJointValidation::TValidation &v, const std::vector<int> &years);

/// The result of a validation of each window on a joint calibration of others: the chart of
/// NSE against the year, the summary and a table with a row per window.
class TJointValidationView : public QDialog
{
    Q_OBJECT

public:
    /// years: the year of each window of v, in its order; rolling: the windows before each
    /// one it was calibrated on (0: leave one out).
    TJointValidationView(UJointValidation::TValidation validation, std::vector<int> years,
                         int rolling = 0, QWidget *parent = nullptr);

    const UJointValidation::TValidation &validation() const { return mValidation; }

private:
    UJointValidation::TValidation mValidation;
    std::vector<int> mYears;
};

/// Validates each window on a thread of its own while a progress dialog with "Cancel" keeps
/// the window responsive.
UJointValidation::TValidation
runJointValidation(QWidget *parent, const std::vector<UJointCalibration::TWindow> &windows,
                   const UJointValidation::TOptions &options);

/// Asks the leave-one-out validation running now, if any, to stop; true when one was running.
bool cancelRunningJointValidation();

} // namespace quellow
