#pragma once

#include "calibration/UCalibrationRun.h"

#include <QDialog>
#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QPainter;
class QVBoxLayout;

namespace quellow {

struct THydrographFrame;

/// Measured runoff and the runoff reconstructed (or simulated) with the start and the
/// calibrated values.
struct THydrograph
{
    std::vector<double> Time;
    std::vector<double> Measured;
    std::vector<double> Start;
    std::vector<double> Calibrated;
    bool Simulated = false; ///< the runoff simulated as a prediction runs it
};

/// The hydrographs of input at its start values and with the calibrated parameters: the
/// reconstructions, or with simulated the simulations of the window.
THydrograph calibrationHydrograph(const URainRun::TAnalysisInput &input,
                                  const TParameters &calibrated, bool simulated = false,
                                  bool robustAlpha = false);

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

/// The objectives the window offers, in the order of its list, and their names there.
inline constexpr UCalibration::TObjective WindowObjectives[] = {UCalibration::TObjective::NSE,
                                                                UCalibration::TObjective::KGE,
                                                                UCalibration::TObjective::RSquare};
QString objectiveCaption(UCalibration::TObjective objective);

/// The outcome of a calibration: start and calibrated values side by side, with the fits of the
/// reconstruction and of the simulation, the limits of the search the result stands on, the
/// escape factors applied to the sheet before, and the runoff hydrographs. "Apply" accepts the
/// dialog, "Cancel" rejects it. It offers the objective and the robust alpha function too:
/// "Calibrate again" ends it with Recalibrate, for a search for chosenObjective() with
/// chosenRobustAlpha().
class TCalibrateForm : public QDialog
{
    Q_OBJECT

public:
    /// The dialog's result when the search should run again for another objective.
    static constexpr int Recalibrate = 2;

    /// earlierFactor: the product of the escape factors applied since the sheet was filled.
    TCalibrateForm(const UCalibration::TCalibrationRun &run, THydrograph series,
                   double earlierFactor = 1, QWidget *parent = nullptr,
                   UCalibration::TObjective objective = UCalibration::TObjective::NSE,
                   bool robustAlpha = false);

    UCalibration::TObjective chosenObjective() const;
    bool chosenRobustAlpha() const;

private:
    void addObjectiveChoice(QVBoxLayout &layout, UCalibration::TObjective objective,
                            bool robustAlpha);
    QComboBox *mObjectiveBox = nullptr;
    QCheckBox *mRobustAlphaBox = nullptr;

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
