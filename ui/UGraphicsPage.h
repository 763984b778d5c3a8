#pragma once

#include <QWidget>

#include <cstdint>

class QAction;
class QImage;
class QPushButton;
class QRadioButton;

namespace quellow {

class TCommentForm;
class TGraphView;
struct TDialogFolders;

/// The Graphics tab: the chart choice that fits the output file at hand, the chart or a graph
/// picture on view, and the graph files ("Open graph", "Save graph"). The output file itself
/// is opened by the main window ("Make graph" asks it to); the page reads it for each chart.
class TGraphicsPage : public QWidget
{
    Q_OBJECT

public:
    /// folders: the file dialogs' folders, shared with the main window.
    explicit TGraphicsPage(TDialogFolders &folders, QWidget *parent = nullptr);

    bool SourceReady = false;   ///< an output file is ready for the graph panels
    std::uint8_t GraphKind = 1; ///< the chart last chosen, 1 to 8

    void setCommentForm(TCommentForm *form) { mCommentForm = form; }
    /// The File menu's "Open &Graph" and "Save g&Raph"; the page's buttons run them.
    QAction *GraphOpenAction() const { return mGraphOpenAction; }
    QAction *GraphSaveAction() const { return mGraphSaveAction; }

    /// What showing the tab does: no chart is kept, the choice of the source is offered.
    void GraphicsTabSheetShow();
    /// Offers the charts of the output file named by OutFileName, or nothing without a source.
    void ShowGraphicsTab();
    /// "View graph" on the Output tab: the source is ready, no picture stays on view.
    void prepareViewGraph();
    /// After "Make graph" opened the output file path: no chart or picture, its panel offered.
    void offerOpenedOutput(const QString &path);
    /// The output file that "Open output" or "Make graph" opened last (empty after a run
    /// wrote one): its charts take the trend and the divide from the files alone.
    void setOpenedOutput(const QString &path) { mOpenedOutput = path; }
    /// The caption of the prediction's second chart, by the sub-mode.
    void setLevelCaption(bool drainage);
    /// Hides the comment window and disables "Comment".
    void hideComment();

protected:
    void resizeEvent(QResizeEvent *event) override;

signals:
    /// A status-bar hint for the main window.
    void statusChanged(const QString &text);
    /// A file dialog of the page was answered with a file in folder.
    void folderChosen(const QString &folder);
    /// The page wants to be in front (a graph picture was opened from another tab).
    void showRequested();
    /// "Make graph": the main window opens an output file for the charts.
    void makeGraphRequested();

private:
    /// What the page offers, kept while a graph file is opened.
    struct TControlsShown
    {
        bool AnalysisPanel = false;
        bool PredictionPanel = false;
        bool SelectEnabled = false;
        bool SaveEnabled = false;
    };

    void createButtons();
    void createPanels();
    void showPanels(bool analysis, bool prediction);
    TControlsShown controlsShown() const;
    void restoreControls(const TControlsShown &shown);
    /// A graph file's picture on view, alone.
    void showPicture(const QImage &picture);

    void GoButton1Click();
    void GoButton3Click();
    /// Draws chart kind from the output file; true when it is on view.
    bool goTail(int kind);
    void SelectButtonClick();
    void CommentButtonClick();
    void GraphOpenActionExecute();
    void GraphSaveActionExecute();

    TDialogFolders &mFolders;
    TCommentForm *mCommentForm = nullptr;
    QString mOpenedOutput;
    /// How far the page's controls lie from their places at the tab's own size.
    QPoint mOffset;

    QAction *mGraphOpenAction = nullptr;
    QAction *mGraphSaveAction = nullptr;
    TGraphView *mGraphImage = nullptr;
    TGraphView *mPictureImage = nullptr;
    QPushButton *mSeeGraphButton = nullptr;
    QPushButton *mMakeGraphButton = nullptr;
    QPushButton *mSaveGraphButton = nullptr;
    QPushButton *mSelectButton = nullptr;
    QPushButton *mCommentButton = nullptr;
    QWidget *mPanel1 = nullptr;
    QWidget *mPanel3 = nullptr;
    QPushButton *mGoButton1 = nullptr;
    QPushButton *mGoButton3 = nullptr;
    QRadioButton *mRunoffRadioButton = nullptr;
    QRadioButton *mRechRadioButton = nullptr;
    QRadioButton *mAlphaRadioButton = nullptr;
    QRadioButton *mCalcObsRadioButton = nullptr;
    QRadioButton *mRainRunRadioButton = nullptr;
    QRadioButton *mRadioButton3 = nullptr;
    QRadioButton *mRadioButton4 = nullptr;
    QRadioButton *mRadioButton5 = nullptr;
};

} // namespace quellow
