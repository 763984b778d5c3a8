// The Graphics tab: the chart choice per output mode, the chart and the picture on view, and
// the graph files opened and saved from it.
#include "ui/UGraphicsPage.h"

#include "graphics/UChartDrawing.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "ui/UCommentForm.h"
#include "ui/UBaseForm.h"
#include "ui/UDialogs.h"
#include "ui/UGraphView.h"
#include "ui/URainForm.h"

#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QPushButton>
#include <QRadioButton>

#include <exception>
#include <initializer_list>
#include <utility>

namespace quellow {

namespace {

const QString GraphicsStatus = QStringLiteral(
    "Graphics presentations of output data can be seen and saved. Use \"Make graph\" to open an "
    "output file and make the graphs.");

const char *const NoGraphSelected = "No graphics file selected";
const char *const GraphMissing = "File does not exist, please select another one";
const char *const GraphNotSaved = "The graph was not saved";
const char *const OverwriteQuestion = "The file already exists, overwrite?";
const char *const GraphSaved = "The graph was saved in  ";

const QString WatertableCaption = QStringLiteral("Watertable in time");
const QString StorageCaption = QStringLiteral("Reservoir storage");

// Places on the tab, in pixels from its left and top edges, at the tab's own size (that of
// the main window of the default size).
constexpr QSize PageSize(671, 515);
constexpr QRect ChartPlace(16, 0, UChartDrawing::ChartWidth, UChartDrawing::ChartHeight);
constexpr int ButtonTop = 479;
constexpr int ButtonRowRight = 640;
constexpr int ButtonGap = 10;
// Both selection panels lie at one place, so "Go" is at the same spot on either.
constexpr QRect PanelPlace(144, 104, 225, 201);
constexpr QRect GoPlace(72, 162, 81, 27);

/// The chart kind of the checked choice of a panel; 0 when none is checked.
int checkedKind(std::initializer_list<std::pair<const QRadioButton *, int>> choices)
{
    for (const auto &[button, kind] : choices)
        if (button->isChecked())
            return kind;
    return 0;
}

void message(const std::string &text)
{
    Dialogs().ShowMessage(text);
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

QPushButton *button(QWidget *parent, const char *name, const char *caption)
{
    auto *result = new QPushButton(QLatin1String(caption), parent);
    result->setObjectName(QLatin1String(name));
    return result;
}

/// Places a row of buttons from the right: each at its given left edge and width, unless its
/// text needs more room, and never over its right-hand neighbour.
void placeButtonRow(std::initializer_list<std::pair<QPushButton *, QRect>> row)
{
    int right = ButtonRowRight;
    for (const auto &[btn, place] : row) {
        leaveTextRoom(*btn);
        const int width = qMax(place.width(), btn->minimumWidth());
        const int left = qMin(place.left(), right - width);
        btn->setGeometry(left, place.top(), width, place.height());
        right = left - ButtonGap;
    }
}

/// A selection panel: a frame "Select graph" around radio buttons and a bold "Go" button.
QWidget *panel(QWidget *page, const char *name, const char *frameName)
{
    auto *result = new QWidget(page);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(PanelPlace);
    auto *frame = new QGroupBox(QStringLiteral("Select graph"), result);
    frame->setObjectName(QLatin1String(frameName));
    frame->setGeometry(0, 0, PanelPlace.width(), PanelPlace.height());
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

QPushButton *goButton(QWidget *panel, const char *name)
{
    auto *frame = panel->findChild<QGroupBox *>();
    auto *result = new QPushButton(QStringLiteral("Go"), frame);
    result->setObjectName(QLatin1String(name));
    QFont font = result->font();
    font.setBold(true);
    result->setFont(font);
    leaveTextRoom(*result);
    result->setGeometry(QRect(
        GoPlace.topLeft(), QSize(qMax(GoPlace.width(), result->minimumWidth()), GoPlace.height())));
    return result;
}

} // namespace

// ---- Building the tab ------------------------------------------------------------------------

void TGraphicsPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // In a larger window the chart, its panels and the buttons under it stay together, in the
    // middle of the tab; the chart keeps its pixels.
    const QPoint offset(qMax(0, (width() - PageSize.width()) / 2),
                        qMax(0, (height() - PageSize.height()) / 2));
    const QPoint shift = offset - mOffset;
    if (shift.isNull())
        return;
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->move(child->pos() + shift);
    mOffset = offset;
}

TGraphicsPage::TGraphicsPage(TDialogFolders &folders, QWidget *parent)
    : QWidget(parent), mFolders(folders)
{
    setObjectName(QStringLiteral("GraphicsTabSheet"));
    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);

    mGraphImage = new TGraphView(this);
    mGraphImage->setObjectName(QStringLiteral("GraphImage"));
    mGraphImage->setGeometry(ChartPlace);
    mGraphImage->hide();
    // A picture opened from a file lies where the chart lies, so a saved chart opened again
    // looks exactly as it did when drawn.
    mPictureImage = new TGraphView(this);
    mPictureImage->setObjectName(QStringLiteral("PictureImage"));
    mPictureImage->setGeometry(ChartPlace);
    mPictureImage->hide();

    createButtons();
    createPanels();
}

void TGraphicsPage::createButtons()
{
    mGraphOpenAction = new QAction(QStringLiteral("Open &Graph"), this);
    mGraphOpenAction->setObjectName(QStringLiteral("GraphOpenAction"));
    mGraphSaveAction = new QAction(QStringLiteral("Save g&Raph"), this);
    mGraphSaveAction->setObjectName(QStringLiteral("GraphSaveAction"));

    mSeeGraphButton = button(this, "SeeGraphButton", "Open graph");
    mMakeGraphButton = button(this, "MakeGraphButton", "Make graph");
    mSaveGraphButton = button(this, "SaveGraphButton", "Save graph");
    mSelectButton = button(this, "SelectButton", "Select graph");
    mSelectButton->setEnabled(false);
    mCommentButton = button(this, "CommentButton", "Comment");
    mCommentButton->setEnabled(false);
    placeButtonRow({{mSeeGraphButton, {551, ButtonTop, 89, 25}},
                    {mMakeGraphButton, {447, ButtonTop, 89, 25}},
                    {mSaveGraphButton, {343, ButtonTop, 89, 25}},
                    {mSelectButton, {232, ButtonTop, 91, 25}},
                    {mCommentButton, {136, ButtonTop + 1, 75, 25}}});

    connect(mGraphOpenAction, &QAction::triggered, this, &TGraphicsPage::GraphOpenActionExecute);
    connect(mGraphSaveAction, &QAction::triggered, this, &TGraphicsPage::GraphSaveActionExecute);
    connect(mSelectButton, &QPushButton::clicked, this, &TGraphicsPage::SelectButtonClick);
    connect(mCommentButton, &QPushButton::clicked, this, &TGraphicsPage::CommentButtonClick);
    connect(mMakeGraphButton, &QPushButton::clicked, this, &TGraphicsPage::makeGraphRequested);
    // The buttons run the menu's actions and follow their state.
    connect(mSeeGraphButton, &QPushButton::clicked, mGraphOpenAction, &QAction::trigger);
    connect(mSaveGraphButton, &QPushButton::clicked, mGraphSaveAction, &QAction::trigger);
    connect(mGraphSaveAction, &QAction::enabledChanged, mSaveGraphButton, &QWidget::setEnabled);
    mSaveGraphButton->setEnabled(mGraphSaveAction->isEnabled());
}

void TGraphicsPage::createPanels()
{
    mPanel1 = panel(this, "Panel1", "RadioGroup1");
    mRunoffRadioButton = radio(mPanel1, "RunoffRadioButton", "Runoff in time", 24);
    mRunoffRadioButton->setChecked(true);
    mRechRadioButton = radio(mPanel1, "RechRadioButton", "Rain/Recharge", 50);
    mAlphaRadioButton = radio(mPanel1, "AlphaRadioButton", "Alpha and runoff", 76);
    mCalcObsRadioButton = radio(mPanel1, "CalcObsRadioButton", "Observed-calculated", 102);
    mRainRunRadioButton = radio(mPanel1, "RainRunRadioButton", "Recharge-Runoff", 128);
    mGoButton1 = goButton(mPanel1, "GoButton1");

    mPanel3 = panel(this, "Panel3", "RadioGroup3");
    mRadioButton3 = radio(mPanel3, "RadioButton3", "Runoff in time", 24);
    mRadioButton3->setChecked(true);
    mRadioButton4 = radio(mPanel3, "RadioButton4", "Watertable in time", 50);
    mRadioButton5 = radio(mPanel3, "RadioButton5", "Rain/Recharge", 76);
    mGoButton3 = goButton(mPanel3, "GoButton3");

    connect(mGoButton1, &QPushButton::clicked, this, &TGraphicsPage::GoButton1Click);
    connect(mGoButton3, &QPushButton::clicked, this, &TGraphicsPage::GoButton3Click);
}

// ---- Choosing a chart ------------------------------------------------------------------------

void TGraphicsPage::hideComment()
{
    if (mCommentForm)
        mCommentForm->hide();
    mCommentButton->setEnabled(false);
}

void TGraphicsPage::GraphicsTabSheetShow()
{
    emit statusChanged(GraphicsStatus);
    mGraphSaveAction->setEnabled(false);
    mSeeGraphButton->show();
    mGraphImage->hide();
    mPictureImage->hide();
    hideComment();
    ShowGraphicsTab();
}

void TGraphicsPage::showPanels(bool analysis, bool prediction)
{
    mPanel1->setVisible(analysis);
    mPanel3->setVisible(prediction);
}

void TGraphicsPage::ShowGraphicsTab()
{
    mGraphSaveAction->setEnabled(false);
    // No chart is on view while a panel or nothing is offered.
    mSelectButton->setEnabled(false);
    if (SourceReady && DMQuellow.ReadOutputHeader()) {
        // An analysis output has its dashes on line 15, a prediction output has not.
        const bool analysis = DMQuellow.OutTag == "----";
        showPanels(analysis, !analysis);
    } else {
        // Without a readable output file there is nothing to choose from.
        showPanels(false, false);
    }
    mSeeGraphButton->show();
    if (!DMQuellow.Analysis)
        setLevelCaption(DMQuellow.Drainage);
}

void TGraphicsPage::setLevelCaption(bool drainage)
{
    mRadioButton4->setText(drainage ? WatertableCaption : StorageCaption);
}

void TGraphicsPage::prepareViewGraph()
{
    SourceReady = true;
    mSelectButton->setEnabled(false);
    mPictureImage->hide();
}

void TGraphicsPage::offerOpenedOutput(const QString &path)
{
    mOpenedOutput = path;
    mGraphImage->hide();
    mPictureImage->hide();
    SourceReady = true;
    hideComment();
    ShowGraphicsTab();
}

void TGraphicsPage::GoButton1Click()
{
    hideComment();
    const int kind = checkedKind({{mRunoffRadioButton, 1},
                                  {mRechRadioButton, 3},
                                  {mAlphaRadioButton, 6},
                                  {mCalcObsRadioButton, 7},
                                  {mRainRunRadioButton, 8}});
    if (kind == 0)
        return;
    // The comment explains the recharge-runoff curve, so it comes with that chart only.
    if (goTail(kind) && kind == 8)
        mCommentButton->setEnabled(true);
}

void TGraphicsPage::GoButton3Click()
{
    const int kind = checkedKind({{mRadioButton3, 2}, {mRadioButton4, 5}, {mRadioButton5, 4}});
    if (kind == 0)
        return;
    goTail(kind);
}

bool TGraphicsPage::goTail(int kind)
{
    // Every "Go" reads the output file anew. When it cannot be read, its message has been
    // shown and nothing is drawn: the panel stays for another choice. The alpha chart always
    // takes the divide written in its file: the model's divide may have changed since (a
    // prediction box, a prediction file opened later), and drawing leaves it as it was.
    const bool fromFiles =
        kind == 6 || (!mOpenedOutput.isEmpty() &&
                      QString::fromStdString(DMQuellow.OutFileName) == mOpenedOutput);
    const double modelDivide = ModelValues.Divide;
    QImage image = UChartDrawing::newChartImage();
    bool drawn = false;
    try {
        drawn = UChartDrawing::makeChart(kind, image,
                                         fromFiles ? UChartDrawing::TChartSource::FilesOnly
                                                   : UChartDrawing::TChartSource::Session);
    } catch (const std::exception &error) {
        message(error.what());
    }
    ModelValues.Divide = modelDivide;
    if (!drawn)
        return false;
    GraphKind = static_cast<std::uint8_t>(kind);
    showPanels(false, false);
    mSelectButton->setEnabled(true);
    mGraphSaveAction->setEnabled(true);
    mGraphImage->setImage(image);
    mPictureImage->hide();
    mGraphImage->show();
    return true;
}

void TGraphicsPage::SelectButtonClick()
{
    mGraphImage->hide();
    mSelectButton->setEnabled(false);
    hideComment();
    ShowGraphicsTab();
}

void TGraphicsPage::CommentButtonClick()
{
    if (!mCommentForm)
        return;
    mCommentForm->show();
    mCommentForm->raise();
    mCommentForm->activateWindow();
}

// ---- Graph files -----------------------------------------------------------------------------

void TGraphicsPage::GraphOpenActionExecute()
{
    auto &dm = DMQuellow;
    // What a picture that cannot be read leaves on view: the tab as it was.
    const TControlsShown before = controlsShown();
    mGraphSaveAction->setEnabled(false);
    showPanels(false, false);
    mSelectButton->setEnabled(false);

    const QString path = Dialogs().OpenFileName(
        {QStringLiteral("Graph files (*.bmp *.png);;Bitmap files (*.bmp);;PNG images (*.png)"),
         QStringLiteral("bmp"), mFolders.GraphOpen, QStringLiteral("Open graph")});
    if (path.isEmpty()) {
        message(NoGraphSelected);
        return;
    }
    dm.FileName = path.toStdString();
    if (!fileExists(dm.FileName)) {
        message(GraphMissing);
        return;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage picture;
    if (!reader.read(&picture)) {
        message("The graph file \"" + dm.FileName + "\" could not be read as a picture.");
        restoreControls(before);
        return;
    }
    emit folderChosen(folderOf(path));
    showPicture(picture);
}

TGraphicsPage::TControlsShown TGraphicsPage::controlsShown() const
{
    return {!mPanel1->isHidden(), !mPanel3->isHidden(), mSelectButton->isEnabled(),
            mGraphSaveAction->isEnabled()};
}

void TGraphicsPage::restoreControls(const TControlsShown &shown)
{
    showPanels(shown.AnalysisPanel, shown.PredictionPanel);
    mSelectButton->setEnabled(shown.SelectEnabled);
    mGraphSaveAction->setEnabled(shown.SaveEnabled);
}

void TGraphicsPage::showPicture(const QImage &picture)
{
    // From another tab the page comes to the front first (its show handler runs then).
    emit showRequested();
    // A picture is shown alone: no choice, nothing to save again.
    showPanels(false, false);
    mSelectButton->setEnabled(false);
    mGraphSaveAction->setEnabled(false);
    mGraphImage->hide();
    mPictureImage->setImage(picture);
    mPictureImage->show();
    hideComment();
}

void TGraphicsPage::GraphSaveActionExecute()
{
    // Only a chart drawn here can be saved.
    if (!mGraphSaveAction->isEnabled() || mGraphImage->image().isNull())
        return;
    QString path = Dialogs().SaveFileName(
        {QStringLiteral("Image files (*.bmp);;PNG images (*.png)"), QStringLiteral("bmp"),
         mFolders.GraphSave, QStringLiteral("Save graph")});
    if (path.isEmpty()) {
        message(GraphNotSaved);
        return;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".bmp");
    const std::string name = path.toStdString();
    if (fileExists(name) && !DMQuellow.Confirm(OverwriteQuestion))
        return;
    std::string error;
    if (!UChartDrawing::saveChartImage(mGraphImage->image(), name, error)) {
        message(error);
        return;
    }
    message(GraphSaved + name);
    emit folderChosen(folderOf(path));
}

} // namespace quellow
