#pragma once

#include "model/UCalibrationRun.h"

#include <QDialog>
#include <QWidget>

#include <vector>

class QPainter;

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
                                  const UCalibration::TParameters &calibrated);

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

/// The outcome of a calibration: start and calibrated values side by side and the runoff
/// hydrographs. "Apply" accepts the dialog, "Cancel" rejects it.
class TCalibrateForm : public QDialog
{
    Q_OBJECT

public:
    TCalibrateForm(const UCalibration::TCalibrationRun &run, THydrograph series,
                   QWidget *parent = nullptr);
};

/// Calibrates input on a thread of its own while a progress dialog with "Cancel" keeps the
/// window responsive. The messages of the calibration are shown afterwards through Dialogs().
UCalibration::TCalibrationRun runCalibration(QWidget *parent, const URainRun::TAnalysisInput &input,
                                             const UCalibration::TOptions &options = {});

} // namespace quellow
