#pragma once

#include "ui/UBaseForm.h"
#include "calibration/UCalibration.h"

#include <cstdint>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace quellow {

namespace URainRun {
struct TAnalysisInput;
}
namespace UJointCalibration {
struct TWindow;
}
namespace UJointValidation {
struct TOptions;
}
struct TParameters;

class TAlfaForm;
class TCommentForm;
class TFinishForm;
class TGraphicsPage;
class THelpForm;
class TInputSheetPage;
class TOutputPage;
struct TJointCalibrateChoices;
struct TValidateChoices;

/// Reads a number typed by the user: with the locale's decimal separator and, failing that,
/// with the other of '.' and ',', so 2.5 and 2,5 are both read whatever the locale.
/// Blanks around the number are ignored. False when the text is no finite number.
bool StringToFloat(const QString &text, double &value);

/// The shortest decimal text of a value, with the locale's decimal separator (as the boxes
/// and grid cells show numbers).
QString floatToStr(double value);

/// Folders of the five file dialogs.
struct TDialogFolders
{
    QString InputOpen;
    QString InputSave;
    QString OutputOpen;
    QString GraphSave;
    QString GraphOpen;
};

/// The main window: tabs Intro, Figure, Input, Output and Graphics, the File and Edit menus,
/// "Open input" and Save/Run, and the input sheet.
class TRainForm : public TBaseForm
{
    Q_OBJECT

public:
    explicit TRainForm(QWidget *parent = nullptr);
    ~TRainForm() override;

    /// The windows created after the main window at start-up.
    void setFinishForm(TFinishForm *form) { mFinishForm = form; }
    void setHelpForm(THelpForm *form) { mHelpForm = form; }
    void setCommentForm(TCommentForm *form);
    /// The calculator's results go into the input sheet's boxes.
    void setAlfaForm(TAlfaForm *form);

    // ---- Window state ----------------------------------------------------------------------
    bool RunStopped = false;   ///< the save dialog was cancelled or a run asked to stop
    bool ResultsReady = false; ///< a Save/Run filed results since start-up
    QString StartFolder;       ///< the working folder at start-up
    TDialogFolders DialogFolders;

    // ---- Shared operations -----------------------------------------------------------------
    /// Points all five file dialogs at folder.
    void SetDialogFolders(const QString &folder);
    /// The file-name question of Save/Run; true when the data may be written to FileName.
    bool AskInputFileName();
    /// One run in the current mode (the analysis run is one trial of the divide search).
    void RunModel();
    /// True when the complete rows have increasing times, no negative rain and, in analysis
    /// mode, no negative runoff.
    bool CheckInputData();

    // ---- Actions ---------------------------------------------------------------------------
    void InputOpenActionExecute();
    /// What "Open input" does with the file chosen: the same checks and messages.
    void openInputFile(const QString &name);
    /// File > "Import series...": a series file through the import dialog onto the sheet.
    void ImportSeriesActionExecute();
    void InputSaveActionExecute();
    void OutputOpenActionExecute();
    /// "Make graph" on the Graphics tab: opens an output file and offers its charts.
    void OutputOpenForGraphicsExecute();
    void ViewGraphButtonClick();
    /// Calibrates the first reservoir on the sheet's complete rows (analysis mode).
    void CalibrateActionExecute();
    /// Calibrates the first reservoir on several analysis files together.
    void JointCalibrateActionExecute();
    /// Validates the sheet's calibration on another analysis file (analysis mode).
    void ValidateActionExecute();
    /// Edit > Undo: takes the last "Apply" of a calibration back.
    void EditUndoExecute();
    /// Before the sheet is replaced or cleared: when it has changes not saved, asks whether to
    /// save them. True when the sheet may go (saved or discarded), false when cancelled.
    bool mayReplaceSheet();

    // ---- Tabs ------------------------------------------------------------------------------
    enum class TTab { Intro, Figure, Input, Output, Graphics };
    void showTab(TTab tab);
    TTab currentTab() const;
    void IntroTabSheetShow();
    void InputTabSheetShow();
    void OutputTabSheetShow();
    void GraphicsTabSheetShow();

    /// The Input tab's page (the sheet's state, grid and boxes).
    TInputSheetPage *inputSheet() const { return mInputSheet; }
    /// The Graphics tab's page (the chart choice, the chart, the graph files).
    TGraphicsPage *graphicsPage() const { return mGraphicsPage; }

signals:
    /// Emitted when a Save/Run has ended, whatever its outcome.
    void runFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    /// Lets Ctrl+Z reach Edit > Undo from a box of the Input tab (see undoKeyIsApplyUndo).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void createMenus();
    void createFileMenu();
    void createEditMenu();
    void createInputSheet();
    void showInputTab();
    void createOutputPage();
    void createGraphicsPage();
    void tabChanged(int index);
    void runTabHandler(int index);

    // Save/Run in its steps: validate the sheet, write the file and compact the rows, run,
    // file the results.
    bool saveRun();
    /// Validates the sheet and writes its input file (the file name is asked); true when written.
    bool saveSheet();
    bool validateSheet();
    bool compactRows();
    bool runWithProgress(const std::string &inputName);
    bool fileResults(const std::string &inputName);
    void runAnalysis();
    void runPrediction();
    /// "Open output" and "Make graph": the dialog, the file check and the loading; the lines
    /// go onto the Output tab and the file becomes the charts' source. False when cancelled.
    bool openOutput();
    /// The data module's output lines onto the Output tab, with the fits of an analysis run of
    /// the input file inputName (its reconstruction and its simulation as a prediction runs it).
    void showOutput(bool analysisRun, const std::string &inputName = {});
    void hideCommentWindow();
    void guarded(const std::function<void()> &action);

    // Calibrate (URainFormCalibrate.cpp)
    QAction *createCalibrateAction();
    bool sheetAnalysisInput(URainRun::TAnalysisInput &input, std::vector<int> &gridRows);
    void applyCalibration(const URainRun::TAnalysisInput &input, const std::vector<int> &gridRows,
                          const TParameters &best);
    QAction *mCalibrateAction = nullptr;
    /// What Calibrate maximises: the simulation's NSE, as on the command line, until the
    /// result dialog chooses another.
    UCalibration::TObjective mCalibrationObjective = UCalibration::TObjective::NSE;

    /// What the robust alpha function of Calibrate is: off until the result dialog says.
    bool mCalibrationRobustAlpha = false;

    // Calibrate on several files (URainFormJoint.cpp)
    QAction *createJointCalibrateAction();
    QAction *mJointCalibrateAction = nullptr;
    /// The choices of the last "Calibrate on several files...", offered again.
    std::unique_ptr<TJointCalibrateChoices> mJointChoices;

    // Validate (URainFormValidate.cpp)
    QAction *createValidateAction();
    QAction *mValidateAction = nullptr;
    /// The choices of the last "Validate", offered again.
    std::unique_ptr<TValidateChoices> mValidateChoices;
    /// Leave one out over the windows, its result in the view.
    void validateLeaveOneOut(const std::vector<UJointCalibration::TWindow> &windows,
                             const UJointValidation::TOptions &options);
    void sheetFilled();
    void updateUndoAction();
    /// True when the undo key pressed in focus takes the last "Apply" back: an Apply can be
    /// taken back, focus is on the Input tab, and focus is no box with typing of its own to
    /// take back first.
    bool undoKeyIsApplyUndo(QObject *focus) const;
    /// What an "Apply" changed, to take it back.
    struct TAppliedCalibration
    {
        QString MaxStorText, InitStorText, MaxEscapeText;
        double MaxStor = 0, InitStor = 0, MaxEscape = 0;
        std::vector<int> Rows;
        std::vector<QString> EscapeTexts;
        double FactorBefore = 1;
    };
    std::vector<TAppliedCalibration> mApplied;
    /// Product of the escape factors applied since the sheet was filled.
    double mAppliedFactor = 1;
    QAction *mUndoAction = nullptr;

    void EditCopy();
    void EditCut();
    void EditPaste();
    void EditDelete();

    TFinishForm *mFinishForm = nullptr;
    THelpForm *mHelpForm = nullptr;
    TCommentForm *mCommentForm = nullptr;
    TAlfaForm *mAlfaForm = nullptr;
    bool mShownOnce = false;

    QTabWidget *mTabs = nullptr;
    QWidget *mIntroTabSheet = nullptr;
    QWidget *mFigureTabSheet = nullptr;

    QAction *mInputOpenAction = nullptr;
    QAction *mOutputOpenAction = nullptr;
    QAction *mGraphOpenAction = nullptr;
    QAction *mInputSaveAction = nullptr;
    QAction *mGraphSaveAction = nullptr;
    QAction *mExitAction = nullptr;

    TInputSheetPage *mInputSheet = nullptr;
    TOutputPage *mOutputPage = nullptr;
    TGraphicsPage *mGraphicsPage = nullptr;
    QAction *mOutputOpenForGraphics = nullptr;
};

} // namespace quellow
