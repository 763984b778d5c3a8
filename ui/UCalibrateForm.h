#pragma once

#include "model/UCalibrationRun.h"

#include <QDialog>
#include <QWidget>

#include <vector>

class QPainter;
class QVBoxLayout;

namespace quellow {

struct THydrographFrame;

/// Measured runoff and the runoff reconstructed with the start and the calibrated values.
struct THydrograph
{
    std::vector<double> Time;
    std::vector<double> Measured;
    std::vector<double> Start;
    std::vector<double> Calibrated;
};

/// The hydrographs of input at its start values and with the calibrated parameters.
THydrograph calibrationHydrograph(const URainRun::TAnalysisInput &input,
                                  const TParameters &calibrated);

/// Draws the three runoff series against time.
class THydrographView : public QWidget
{
    Q_OBJECT

public:
    explicit THydrographView(THydrograph series, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawAxes(QPainter &painter, const THydrographFrame &frame) const;
    void drawSeries(QPainter &painter, const THydrographFrame &frame) const;

    THydrograph mSeries;
};

/// The outcome of a calibration: start and calibrated values side by side, the limits of the
/// search the result stands on, the escape factors applied to the sheet before, and the runoff
/// hydrographs. "Apply" accepts the dialog, "Cancel" rejects it.
class TCalibrateForm : public QDialog
{
    Q_OBJECT

public:
    /// earlierFactor: the product of the escape factors applied since the sheet was filled.
    TCalibrateForm(const UCalibration::TCalibrationRun &run, THydrograph series,
                   double earlierFactor = 1, QWidget *parent = nullptr);

private:
    void addWarnings(QVBoxLayout &layout, const UCalibration::TResult &result,
                     double earlierFactor);
};

/// Calibrates input on a thread of its own while a progress dialog with "Cancel" keeps the
/// window responsive. The messages of the calibration are shown afterwards through Dialogs().
UCalibration::TCalibrationRun runCalibration(QWidget *parent, const URainRun::TAnalysisInput &input,
                                             const UCalibration::TOptions &options = {});

/// Asks the calibration running now, if any, to stop; true when one was running.
bool cancelRunningCalibration();

} // namespace quellow
