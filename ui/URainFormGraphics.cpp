// The Graphics tab of the main window: the chart choice per output mode, the chart and the
// picture on view, and the actions that open output files and open and save graph files.
#include "ui/URainForm.h"

#include "graphics/UChartDrawing.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "ui/UCommentForm.h"
#include "ui/UDialogs.h"
#include "ui/UGraphView.h"

#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

namespace quellow {

namespace {

const QString GraphicsStatus = QStringLiteral(
    "Graphics presentations of output data can be seen and saved. Use \"Make graph\" to open an "
    "output file and make the graphs.");
const QString OutputOpenedStatus =
    QStringLiteral("The output file can be imported into spreadsheets");

const char *const NoOutputSelected = "No output file selected";
const char *const OutputMissing = "File does not exist, please select another one,";
const char *const NoGraphSelected = "No graphics file selected";
const char *const GraphMissing = "File does not exist, please select another one";
const char *const GraphNotSaved = "The graph was not saved";
const char *const OverwriteQuestion = "The file already exists, overwrite?";
const char *const GraphSaved = "The graph was saved in  ";

const QString WatertableCaption = QStringLiteral("Watertable in time");
const QString StorageCaption = QStringLiteral("Reservoir storage");

// Places on the tab, in pixels from its left and top edges.
constexpr QRect ChartPlace(16, 0, UChartDrawing::ChartWidth, UChartDrawing::ChartHeight);
constexpr int ButtonTop = 479;

void message(const std::string &text)
{
    Dialogs().ShowMessage(text);
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

QPushButton *button(QWidget *parent, const char *name, const char *caption, QRect place)
{
    auto *result = new QPushButton(QLatin1String(caption), parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(place);
    return result;
}

/// A selection panel: a frame "Select graph" around radio buttons and a bold "Go" button.
QWidget *panel(QWidget *page, const char *name, const char *frameName, QRect place)
{
    auto *result = new QWidget(page);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(place);
    auto *frame = new QGroupBox(QStringLiteral("Select graph"), result);
    frame->setObjectName(QLatin1String(frameName));
    frame->setGeometry(0, 0, place.width(), place.height());
    result->hide();
    return result;
}

QRadioButton *radio(QWidget *panel, const char *name, const char *caption, int top)
{
    // The buttons lie on the frame of their panel, so the buttons of one panel exclude each
    // other and those of the other panel keep their own choice.
    auto *frame = panel->findChild<QGroupBox *>();
    auto *result = new QRadioButton(QLatin1String(caption), frame);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(16, top, frame->width() - 24, 22);
    return result;
}

QPushButton *goButton(QWidget *panel, const char *name, QRect place)
{
    auto *frame = panel->findChild<QGroupBox *>();
    auto *result = new QPushButton(QStringLiteral("Go"), frame);
    result->setObjectName(QLatin1String(name));
    QFont font = result->font();
    font.setBold(true);
    result->setFont(font);
    result->setGeometry(place);
    return result;
}

} // namespace

// ---- Building the tab ------------------------------------------------------------------------

void TRainForm::BuildGraphicsPage(QWidget *page)
{
    QFont font = page->font();
    font.setPixelSize(13);
    page->setFont(font);

    mGraphImage = new TGraphView(page);
    mGraphImage->setObjectName(QStringLiteral("GraphImage"));
    mGraphImage->setGeometry(ChartPlace);
    mGraphImage->hide();
    // A picture opened from a file lies where the chart lies, so a saved chart opened again
    // looks exactly as it did when drawn.
    mPictureImage = new TGraphView(page);
    mPictureImage->setObjectName(QStringLiteral("PictureImage"));
    mPictureImage->setGeometry(ChartPlace);
    mPictureImage->hide();

    mSeeGraphButton = button(page, "SeeGraphButton", "Open graph", {551, ButtonTop, 89, 25});
    mMakeGraphButton = button(page, "MakeGraphButton", "Make graph", {447, ButtonTop, 89, 25});
    mSaveGraphButton = button(page, "SaveGraphButton", "Save graph", {343, ButtonTop, 89, 25});
    mSelectButton = button(page, "SelectButton", "Select graph", {232, ButtonTop, 91, 25});
    mSelectButton->setEnabled(false);
    mCommentButton = button(page, "CommentButton", "Comment", {136, ButtonTop + 1, 75, 25});
    mCommentButton->setEnabled(false);

    mPanel1 = panel(page, "Panel1", "RadioGroup1", {144, 104, 225, 201});
    mRunoffRadioButton = radio(mPanel1, "RunoffRadioButton", "Runoff in time", 24);
    mRunoffRadioButton->setChecked(true);
    mRechRadioButton = radio(mPanel1, "RechRadioButton", "Rain/Recharge", 50);
    mAlphaRadioButton = radio(mPanel1, "AlphaRadioButton", "Alpha and runoff", 76);
    mCalcObsRadioButton = radio(mPanel1, "CalcObsRadioButton", "Observed-calculated", 102);
    mRainRunRadioButton = radio(mPanel1, "RainRunRadioButton", "Recharge-Runoff", 128);
    auto *go1 = goButton(mPanel1, "GoButton1", {72, 162, 81, 27});

    mPanel3 = panel(page, "Panel3", "RadioGroup3", {176, 144, 209, 121});
    mRadioButton3 = radio(mPanel3, "RadioButton3", "Runoff in time", 22);
    mRadioButton3->setChecked(true);
    mRadioButton4 = radio(mPanel3, "RadioButton4", "Watertable in time", 46);
    mRadioButton5 = radio(mPanel3, "RadioButton5", "Rain/Recharge", 70);
    auto *go3 = goButton(mPanel3, "GoButton3", {150, 90, 51, 25});

    mOutputOpenForGraphics = new QAction(QStringLiteral("Open &Graph"), this);
    mOutputOpenForGraphics->setObjectName(QStringLiteral("OutputOpenForGraphics"));

    connect(go1, &QPushButton::clicked, this, &TRainForm::GoButton1Click);
    connect(go3, &QPushButton::clicked, this, &TRainForm::GoButton3Click);
    connect(mSelectButton, &QPushButton::clicked, this, &TRainForm::SelectButtonClick);
    connect(mCommentButton, &QPushButton::clicked, this, &TRainForm::CommentButtonClick);
    connect(mOutputOpenForGraphics, &QAction::triggered, this,
            &TRainForm::OutputOpenForGraphicsExecute);
    connect(mMakeGraphButton, &QPushButton::clicked, mOutputOpenForGraphics, &QAction::trigger);
    // The menu's actions exist already; the buttons run them and follow their state.
    connect(mSeeGraphButton, &QPushButton::clicked, mGraphOpenAction, &QAction::trigger);
    connect(mSaveGraphButton, &QPushButton::clicked, mGraphSaveAction, &QAction::trigger);
    connect(mGraphSaveAction, &QAction::enabledChanged, mSaveGraphButton, &QWidget::setEnabled);
    mSaveGraphButton->setEnabled(mGraphSaveAction->isEnabled());
}

// ---- Choosing a chart ------------------------------------------------------------------------

void TRainForm::GraphicsTabSheetShow()
{
    ShowStatus(GraphicsStatus);
    mInputSaveAction->setEnabled(false);
    mGraphSaveAction->setEnabled(false);
    mSeeGraphButton->show();
    mGraphImage->hide();
    mPictureImage->hide();
    HideCommentWindow();
    ShowGraphicsTab();
}

void TRainForm::ShowPanels(bool analysis, bool prediction)
{
    mPanel1->setVisible(analysis);
    mPanel3->setVisible(prediction);
}

void TRainForm::ShowGraphicsTab()
{
    mGraphSaveAction->setEnabled(false);
    // No chart is on view while a panel or nothing is offered.
    mSelectButton->setEnabled(false);
    if (GraphSourceReady && DMQuellow.ReadOutputHeader()) {
        // An analysis output has its dashes on line 15, a prediction output has not.
        const bool analysis = DMQuellow.OutTag == "----";
        ShowPanels(analysis, !analysis);
    } else {
        // Without a readable output file there is nothing to choose from.
        ShowPanels(false, false);
    }
    mSeeGraphButton->show();
    if (!DMQuellow.Analysis)
        mRadioButton4->setText(DMQuellow.Drainage ? WatertableCaption : StorageCaption);
}

void TRainForm::GoButton1Click()
{
    HideCommentWindow();
    int kind = 0;
    if (mRunoffRadioButton->isChecked())
        kind = 1;
    else if (mRechRadioButton->isChecked())
        kind = 3;
    else if (mAlphaRadioButton->isChecked())
        kind = 6;
    else if (mCalcObsRadioButton->isChecked())
        kind = 7;
    else if (mRainRunRadioButton->isChecked())
        kind = 8;
    if (kind == 0)
        return;
    // The comment explains the recharge-runoff curve, so it comes with that chart only.
    if (GoTail(kind) && kind == 8)
        mCommentButton->setEnabled(true);
}

void TRainForm::GoButton3Click()
{
    int kind = 0;
    if (mRadioButton3->isChecked())
        kind = 2;
    else if (mRadioButton4->isChecked())
        kind = 5;
    else if (mRadioButton5->isChecked())
        kind = 4;
    if (kind == 0)
        return;
    GoTail(kind);
}

bool TRainForm::GoTail(int kind)
{
    // Every "Go" reads the output file anew. When it cannot be read, its message has been
    // shown and nothing is drawn: the panel stays for another choice.
    // The alpha chart always takes the divide written in its output file: the model's divide
    // may have changed since (a prediction box, a prediction file opened later). Drawing a
    // chart leaves the model's divide as it was.
    const bool fromFiles =
        kind == 6 || (!mOpenedOutput.isEmpty() &&
                      QString::fromStdString(DMQuellow.OutFileName) == mOpenedOutput);
    const double modelDivide = ModelValues.Divide;
    QImage image = UChartDrawing::NewChartImage();
    bool drawn = false;
    Guarded([&] {
        drawn = UChartDrawing::MakeChart(kind, image,
                                         fromFiles ? UChartDrawing::TChartSource::FilesOnly
                                                   : UChartDrawing::TChartSource::Session);
    });
    ModelValues.Divide = modelDivide;
    if (!drawn)
        return false;
    GraphKind = static_cast<std::uint8_t>(kind);
    ShowPanels(false, false);
    mSelectButton->setEnabled(true);
    mGraphSaveAction->setEnabled(true);
    mGraphImage->SetImage(image);
    mPictureImage->hide();
    mGraphImage->show();
    return true;
}

void TRainForm::SelectButtonClick()
{
    mGraphImage->hide();
    mSelectButton->setEnabled(false);
    HideCommentWindow();
    ShowGraphicsTab();
}

void TRainForm::CommentButtonClick()
{
    if (!mCommentForm)
        return;
    mCommentForm->show();
    mCommentForm->raise();
    mCommentForm->activateWindow();
}

void TRainForm::ViewGraphButtonClick()
{
    GraphSourceReady = true;
    mSelectButton->setEnabled(false);
    mPictureImage->hide();
    if (CurrentTab() == TTab::Graphics)
        GraphicsTabSheetShow();
    else
        ShowTab(TTab::Graphics);
}

// ---- Output files ----------------------------------------------------------------------------

bool TRainForm::OpenOutputFile()
{
    auto &dm = DMQuellow;
    const QString path =
        Dialogs().OpenFileName({QStringLiteral("Output files (*.out)"), QStringLiteral("out"),
                                DialogFolders.OutputOpen, QStringLiteral("Open output file")});
    if (path.isEmpty()) {
        message(NoOutputSelected);
        return false;
    }
    dm.FileName = path.toStdString();
    // A missing or unreadable file leaves the lines loaded before; the charts of the file
    // named report the failed read themselves.
    if (FileExists(dm.FileName))
        dm.LoadTextFile(dm.FileName);
    else
        message(OutputMissing);
    ShowStatus(OutputOpenedStatus);
    return true;
}

void TRainForm::FillOutputMemo()
{
    const auto &dm = DMQuellow;
    const int count = qMin<int>(dm.NrOfLines, static_cast<int>(dm.OutLines.size()));
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines.append(QString::fromStdString(dm.OutLines[i]));
    mOutputMemo->clear();
    mOutputMemo->setPlainText(lines.join(QLatin1Char('\n')));
}

void TRainForm::OutputOpenActionExecute()
{
    if (!OpenOutputFile())
        return;
    auto &dm = DMQuellow;
    FillOutputMemo();
    dm.OutFileName = dm.FileName;
    mOpenedOutput = QString::fromStdString(dm.OutFileName);
    SetDialogFolders(folderOf(mOpenedOutput));
    ResultsReady = true;
    mViewGraphButton->show();
    mSeeGraphButton->show();
    HideCommentWindow();
    if (CurrentTab() == TTab::Output)
        OutputTabSheetShow();
    else
        ShowTab(TTab::Output);
}

void TRainForm::OutputOpenForGraphicsExecute()
{
    if (!OpenOutputFile())
        return;
    auto &dm = DMQuellow;
    FillOutputMemo();
    dm.OutFileName = dm.FileName;
    mOpenedOutput = QString::fromStdString(dm.OutFileName);
    SetDialogFolders(folderOf(mOpenedOutput));
    mGraphImage->hide();
    mPictureImage->hide();
    ResultsReady = true;
    mViewGraphButton->show();
    GraphSourceReady = true;
    HideCommentWindow();
    ShowGraphicsTab();
}

// ---- Graph files -----------------------------------------------------------------------------

void TRainForm::GraphOpenActionExecute()
{
    auto &dm = DMQuellow;
    // What a picture that cannot be read leaves on view: the tab as it was.
    const bool analysisPanel = !mPanel1->isHidden();
    const bool predictionPanel = !mPanel3->isHidden();
    const bool selectEnabled = mSelectButton->isEnabled();
    const bool saveEnabled = mGraphSaveAction->isEnabled();
    mGraphSaveAction->setEnabled(false);
    ShowPanels(false, false);
    mSelectButton->setEnabled(false);

    const QString path = Dialogs().OpenFileName(
        {QStringLiteral("Graph files (*.bmp *.png);;Bitmap files (*.bmp);;PNG images (*.png)"),
         QStringLiteral("bmp"), DialogFolders.GraphOpen, QStringLiteral("Open graph")});
    if (path.isEmpty()) {
        message(NoGraphSelected);
        return;
    }
    dm.FileName = path.toStdString();
    if (!FileExists(dm.FileName)) {
        message(GraphMissing);
        return;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage picture;
    if (!reader.read(&picture)) {
        message("The graph file \"" + dm.FileName + "\" could not be read as a picture.");
        ShowPanels(analysisPanel, predictionPanel);
        mSelectButton->setEnabled(selectEnabled);
        mGraphSaveAction->setEnabled(saveEnabled);
        return;
    }
    SetDialogFolders(folderOf(path));

    if (CurrentTab() != TTab::Graphics)
        ShowTab(TTab::Graphics);
    // A picture is shown alone: no choice, nothing to save again.
    ShowPanels(false, false);
    mSelectButton->setEnabled(false);
    mGraphSaveAction->setEnabled(false);
    mGraphImage->hide();
    mPictureImage->SetImage(picture);
    mPictureImage->show();
    HideCommentWindow();
}

void TRainForm::GraphSaveActionExecute()
{
    // Only a chart drawn here can be saved.
    if (!mGraphSaveAction->isEnabled() || mGraphImage->Image().isNull())
        return;
    QString path = Dialogs().SaveFileName(
        {QStringLiteral("Image files (*.bmp);;PNG images (*.png)"), QStringLiteral("bmp"),
         DialogFolders.GraphSave, QStringLiteral("Save graph")});
    if (path.isEmpty()) {
        message(GraphNotSaved);
        return;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".bmp");
    const std::string name = path.toStdString();
    if (FileExists(name) && !DMQuellow.Confirm(OverwriteQuestion))
        return;
    std::string error;
    if (!UChartDrawing::SaveChartImage(mGraphImage->Image(), name, error)) {
        message(error);
        return;
    }
    message(GraphSaved + name);
    SetDialogFolders(folderOf(path));
}

} // namespace quellow
