#pragma once

#include "calibration/UJointCalibration.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace quellow {

/// The choices of "Calibrate on several files...", kept from one calibration to the next while
/// the program runs.
struct TJointCalibrateChoices
{
    QStringList Files;
    UCalibration::TObjective Objective = UCalibration::TObjective::NSE;
    QString Warmup = QStringLiteral("0");
    UJointCalibration::TInitStorage InitStorage = UJointCalibration::TInitStorage::Fraction;
    bool RobustAlpha = false;
    QString Evaluations = QString::number(UCalibration::DefaultEvaluations);
};

/// Reads text as the number of sets a calibration evaluates: a whole number of 1 or more. False,
/// with message, when it is none.
bool ReadEvaluations(const QString &text, int &evaluations, std::string &message);

/// "Calibrate on several files": the analysis files (windows) calibrated together ("Add
/// files..." and "Remove"), the objective (the simulations' NSE or KGE), the warm-up rows of
/// each window, the initial storage (the same filling fraction for every window, or full), the
/// robust alpha function and the number of sets evaluated. "Calibrate" reads the files and
/// checks that they go together; a bad value or file gets its message and the dialog stays.
class TJointCalibrateDialog : public QDialog
{
    Q_OBJECT

public:
    /// folder: where the file dialog starts when no file is listed.
    TJointCalibrateDialog(const TJointCalibrateChoices &choices, const QString &folder,
                          QWidget *parent = nullptr);

    TJointCalibrateChoices choices() const;

    /// After "Calibrate": the windows as read, in the order listed, and the options.
    const std::vector<UJointCalibration::TWindow> &windows() const { return mWindows; }
    const UJointCalibration::TOptions &options() const { return mOptions; }

    void accept() override;

    /// The buttons' actions.
    void AddFilesClick();
    void RemoveClick();

private:
    bool readOptions();
    bool readWindows();

    QString mFolder;
    std::vector<UJointCalibration::TWindow> mWindows;
    UJointCalibration::TOptions mOptions;

    QListWidget *mFilesList = nullptr;
    QComboBox *mObjectiveBox = nullptr;
    QLineEdit *mWarmupEdit = nullptr;
    QComboBox *mInitStorageBox = nullptr;
    QCheckBox *mRobustAlphaBox = nullptr;
    QLineEdit *mEvaluationsEdit = nullptr;
};

/// The outcome of a joint calibration: the parameters, the pooled alpha function, the combined
/// figure of the objective and each window's simulation figures in a table (the last row "all":
/// the windows together).
class TJointCalibrateForm : public QDialog
{
    Q_OBJECT

public:
    explicit TJointCalibrateForm(const UJointCalibration::TJointCalibration &result,
                                 QWidget *parent = nullptr);
};

/// The lines of the parameters, the pooled alpha function and the combined figures of result.
QStringList jointCalibrationLines(const UJointCalibration::TJointCalibration &result);

/// Calibrates windows together on a thread of their own while a progress dialog with "Cancel"
/// keeps the window responsive.
UJointCalibration::TJointCalibration
runJointCalibration(QWidget *parent, const std::vector<UJointCalibration::TWindow> &windows,
                    const UJointCalibration::TOptions &options);

/// Asks the joint calibration running now, if any, to stop; true when one was running.
bool cancelRunningJointCalibration();

} // namespace quellow
