#pragma once

#include "ui/UBaseForm.h"

#include <cstdint>
#include <functional>

class QAction;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace quellow {

class TAlfaForm;
class TCommentForm;
class TFinishForm;
class TGraphView;
class THelpForm;
class TInputSheetPage;

/// The locale's decimal separator as it was at start-up.
inline char SavedDecimalSeparator = '.';

/// Reads a number typed by the user: with the locale's decimal separator and, failing that,
/// with the other of '.' and ',', so 2.5 and 2,5 are both read whatever the locale.
/// Blanks around the number are ignored. False when the text is no finite number.
bool StringToFloat(const QString &text, double &value);

/// The shortest decimal text of a value, with the locale's decimal separator (as the boxes
/// and grid cells show numbers).
QString FloatToStr(double value);

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
    void SetFinishForm(TFinishForm *form) { mFinishForm = form; }
    void SetHelpForm(THelpForm *form) { mHelpForm = form; }
    void SetCommentForm(TCommentForm *form) { mCommentForm = form; }
    void SetAlfaForm(TAlfaForm *form) { mAlfaForm = form; }

    // ---- Window state ----------------------------------------------------------------------
    bool RunStopped = false;       ///< the save dialog was cancelled or a run asked to stop
    bool ResultsReady = false;     ///< a Save/Run filed results since start-up
    bool GraphSourceReady = false; ///< an output file is ready for the graph panels
    QString StartFolder;           ///< the working folder at start-up
    std::uint8_t GraphKind = 1;    ///< the chart last chosen, 1 to 8
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
    /// File > "Import series...": a series file through the import dialog onto the sheet.
    void ImportSeriesActionExecute();
    void InputSaveActionExecute();
    void OutputOpenActionExecute();
    void GraphOpenActionExecute();
    void GraphSaveActionExecute();
    void ViewGraphButtonClick();

    // ---- Tabs ------------------------------------------------------------------------------
    enum class TTab { Intro, Figure, Input, Output, Graphics };
    void ShowTab(TTab tab);
    TTab CurrentTab() const;
    void IntroTabSheetShow();
    void InputTabSheetShow();
    void OutputTabSheetShow();
    void GraphicsTabSheetShow();

    /// The Input tab's page (the sheet's state, grid and boxes).
    TInputSheetPage *InputSheet() const { return mInputSheet; }

signals:
    /// Emitted when a Save/Run has ended, whatever its outcome.
    void RunFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void CreateMenus();
    void CreateInputSheet();
    void CreateOutputSheet(QWidget *page);
    void BuildGraphicsPage(QWidget *page);
    void TabChanged(int index);
    void RunTabHandler(int index);

    bool SaveRun();
    bool compactRows();
    void FileResults();
    void HideCommentWindow();
    void Guarded(const std::function<void()> &action);

    void EditCopy();
    void EditCut();
    void EditPaste();
    void EditDelete();

    TFinishForm *mFinishForm = nullptr;
    THelpForm *mHelpForm = nullptr;
    TCommentForm *mCommentForm = nullptr;
    TAlfaForm *mAlfaForm = nullptr;
    bool mShownOnce = false;
    int mShownTab = -1;

    QTabWidget *mTabs = nullptr;
    QWidget *mIntroTabSheet = nullptr;
    QWidget *mFigureTabSheet = nullptr;
    QWidget *mInputTabSheet = nullptr;
    QWidget *mOutputTabSheet = nullptr;
    QWidget *mGraphicsTabSheet = nullptr;

    QAction *mInputOpenAction = nullptr;
    QAction *mOutputOpenAction = nullptr;
    QAction *mGraphOpenAction = nullptr;
    QAction *mInputSaveAction = nullptr;
    QAction *mGraphSaveAction = nullptr;
    QAction *mExitAction = nullptr;

    TInputSheetPage *mInputSheet = nullptr;

    // Output sheet
    QPlainTextEdit *mOutputMemo = nullptr;
    QPushButton *mOutputOpenButton = nullptr;
    QPushButton *mViewGraphButton = nullptr;

    // ---- Graphics tab ----------------------------------------------------------------------
public:
    /// Offers the charts of the output file named by OutFileName, or nothing without a source.
    void ShowGraphicsTab();
    void GoButton1Click();
    void GoButton3Click();
    void SelectButtonClick();
    void CommentButtonClick();
    /// "Make graph": opens an output file and offers its charts.
    void OutputOpenForGraphicsExecute();

private:
    /// Draws chart kind from the output file; true when it is on view.
    bool GoTail(int kind);
    void FillOutputMemo();
    /// The steps shared by "Open output" and "Make graph": the dialog, the file check and the
    /// loading. False when the dialog was cancelled.
    bool OpenOutputFile();
    void ShowPanels(bool analysis, bool prediction);

    /// The output file opened by "Open output" or "Make graph": its charts take the trend
    /// and the runoff divide from the files, since no run of this session wrote them.
    QString mOpenedOutput;
    QAction *mOutputOpenForGraphics = nullptr;
    TGraphView *mGraphImage = nullptr;
    TGraphView *mPictureImage = nullptr;
    QPushButton *mSeeGraphButton = nullptr;
    QPushButton *mMakeGraphButton = nullptr;
    QPushButton *mSaveGraphButton = nullptr;
    QPushButton *mSelectButton = nullptr;
    QPushButton *mCommentButton = nullptr;
    QWidget *mPanel1 = nullptr;
    QWidget *mPanel3 = nullptr;
    QRadioButton *mRunoffRadioButton = nullptr;
    QRadioButton *mRechRadioButton = nullptr;
    QRadioButton *mAlphaRadioButton = nullptr;
    QRadioButton *mCalcObsRadioButton = nullptr;
    QRadioButton *mRainRunRadioButton = nullptr;
    QRadioButton *mRadioButton3 = nullptr;
    QRadioButton *mRadioButton4 = nullptr;
    QRadioButton *mRadioButton5 = nullptr;
    // ---- end of Graphics tab ---------------------------------------------------------------
};

} // namespace quellow
