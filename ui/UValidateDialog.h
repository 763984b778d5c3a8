#pragma once

#include "runs/URainRun.h"
#include "calibration/UJointValidation.h"
#include "calibration/UValidation.h"
#include "charts/UValidationCharts.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

namespace quellow {

class TDMQuellow;

/// The choices of "Validate...", kept from one validation to the next while the program runs.
struct TValidateChoices
{
    QString Source; ///< the validation file, or the series file imported
    /// The window imported from Source through the import dialog, as Save/Run would write it;
    /// nullptr when Source is an analysis input file.
    std::shared_ptr<const URainRun::TAnalysisInput> Imported;
    std::string ImportedSource; ///< what the validation names of the imported window
    UCalibration::TObjective Objective = UCalibration::TObjective::NSE;
    QString InitStorage = QStringLiteral("cal");
    QString Warmup = QStringLiteral("0");
    bool NoCalibration = false;
    QString EscapeFactor = QStringLiteral("1");
    /// The dates of the imported window.
    UValidationCharts::TCalendar ImportedCalendar;
    bool RobustAlpha = false;
    QString Evaluations = QString::number(UCalibration::DefaultEvaluations);
    /// Leave one out over the season files of Folder instead of the sheet on Source.
    bool LeaveOneOut = false;
    QString Folder;
    bool Rolling = false; ///< each window on the RollingCount windows before it
    QString RollingCount = QStringLiteral("3");
};

/// The analysis input files of folder a leave-one-out validation takes: its *.inp files (the
/// extension in any case) sorted by name, the files of earlier calibrations (*-calibrated.inp,
/// *-joint.inp) left out.
QStringList seasonFiles(const QString &folder);

/// "Validate": the validation window, an analysis input file ("Browse...") or a dated series
/// ("Import series..."), and the options of the validation: the objective of the calibration,
/// the initial storage of the validation window (cal, full or a storage in mm), the warm-up
/// rows and, without calibration, the escape factor; the robust alpha function and the sets
/// evaluated. Or, "Leave one out", each season file of a folder validated on the joint
/// calibration of the others (or, rolling, of the K before it). "OK" checks the values and
/// reads the files; a bad value or file gets its message and the dialog stays.
class TValidateDialog : public QDialog
{
    Q_OBJECT

public:
    /// importSheet: the sheet whose storages an imported window takes, as File > "Import
    /// series..." leaves them; folder: where the file dialogs start.
    TValidateDialog(const TValidateChoices &choices, const TDMQuellow &importSheet,
                    const QString &folder, QWidget *parent = nullptr);

    /// The choices as the dialog now shows them.
    TValidateChoices choices() const;

    /// After "OK": the validation window, its name and the options.
    const URainRun::TAnalysisInput &validationInput() const { return *mInput; }
    const std::string &validationFile() const { return mFile; }
    /// The period, runoff source and unit of an imported window; empty for an input file.
    std::string validationSource() const
    {
        return mImported && mInput == mImported ? mImportedSource : std::string();
    }
    const UValidation::TOptions &options() const { return mOptions; }
    /// The dates of the validation window: known for an imported series, not for a file.
    UValidationCharts::TCalendar validationCalendar() const
    {
        return mImported && mInput == mImported ? mImportedCalendar
                                                : UValidationCharts::TCalendar();
    }

    /// After "OK": leave one out over a folder, its windows and the options.
    bool leaveOneOut() const { return mLeaveOneOut; }
    const std::vector<UJointCalibration::TWindow> &windows() const { return mWindows; }
    const UJointValidation::TOptions &jointOptions() const { return mJointOptions; }

    void accept() override;

    /// The buttons' actions.
    void BrowseClick();
    void BrowseFolderClick();
    void ImportClick();

private:
    bool readOptions();
    bool readSource();
    bool readJointOptions();
    bool readFolder();
    void createModeRows(QVBoxLayout *layout, const TValidateChoices &choices);
    void createJointRows(QFormLayout *form, const TValidateChoices &choices);
    void showMode();
    void createSourceRow(QFormLayout *form, const TValidateChoices &choices);
    void createObjectiveRows(QFormLayout *form, const TValidateChoices &choices);
    void createWarmupRows(QFormLayout *form, const TValidateChoices &choices);
    void sourceEdited();
    void showImported();

    const TDMQuellow &mImportSheet;
    QString mFolder;
    std::shared_ptr<const URainRun::TAnalysisInput> mImported;
    QString mImportedName;
    UValidationCharts::TCalendar mImportedCalendar;
    std::string mImportedSource;

    std::shared_ptr<const URainRun::TAnalysisInput> mInput;
    std::string mFile;
    UValidation::TOptions mOptions;
    bool mLeaveOneOut = false;
    std::vector<UJointCalibration::TWindow> mWindows;
    UJointValidation::TOptions mJointOptions;

    QLineEdit *mSourceEdit = nullptr;
    QLabel *mSourceNote = nullptr;
    QComboBox *mObjectiveBox = nullptr;
    QComboBox *mInitStorageBox = nullptr;
    QLineEdit *mWarmupEdit = nullptr;
    QCheckBox *mNoCalibrationBox = nullptr;
    QLineEdit *mEscapeFactorEdit = nullptr;
    QLabel *mIntro = nullptr;
    QLabel *mInitStorageHint = nullptr;
    QCheckBox *mRobustAlphaBox = nullptr;
    QLineEdit *mEvaluationsEdit = nullptr;
    QRadioButton *mPairRadio = nullptr;
    QRadioButton *mLeaveOneOutRadio = nullptr;
    QLineEdit *mFolderEdit = nullptr;
    QCheckBox *mRollingBox = nullptr;
    QLineEdit *mRollingEdit = nullptr;
    /// The rows of each mode, enabled with it.
    std::vector<QWidget *> mPairWidgets, mJointWidgets;
};

} // namespace quellow
