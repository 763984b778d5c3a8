#include "ui/URainForm.h"

#include "files/UDMQuellow.h"
#include "runs/UQuellowUtils.h"
#include "files/UTextFields.h"
#include "ui/UAlfaForm.h"
#include "ui/UCalibrateForm.h"
#include "ui/UJointCalibrateDialog.h"
#include "ui/UJointValidationView.h"
#include "ui/UValidateDialog.h"
#include "ui/UValidationView.h"
#include "ui/UCommentForm.h"
#include "ui/UDialogs.h"
#include "ui/UFinishForm.h"
#include "ui/UGraphicsPage.h"
#include "ui/UHelpForm.h"
#include "ui/UInputSheetPage.h"
#include "ui/UOutputPage.h"
#include "ui/UIntroPages.h"
#include "tasks/UTaskPool.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

#include <array>
#include <charconv>
#include <exception>

namespace quellow {

namespace {

const QString IntroStatus = QStringLiteral("Click on the Input tab to proceed.");
const QString InputStatus = QStringLiteral(
    "Enter data or use \"Open input\" to see examples under \"Data\" or to edit existing files. "
    "Thereafter use \"Save/Run\".");
const QString OutputStatus =
    QStringLiteral("The output file can be inspected. Use \"Open output\" to see examples under "
                   "\"Data\" or to inspect any other output file.");

constexpr int WindowWidth = 675;
constexpr int WindowHeight = 580;

/// Runs a clipboard action on the box or text that has the keyboard focus; false when neither
/// has it.
template <typename Action> bool onFocusedText(Action action)
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *edit = qobject_cast<QLineEdit *>(focus))
        action(edit);
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(focus))
        action(memo);
    else
        return false;
    return true;
}

QAction *namedAction(QObject *owner, const char *name, const char *caption)
{
    auto *action = new QAction(QLatin1String(caption), owner);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

bool StringToFloat(const QString &text, double &value)
{
    const std::string token = text.trimmed().toStdString();
    // One kind of separator only: a full stop or a comma, whichever the locale uses.
    return parseRealAnySeparator(token, value);
}

QString floatToStr(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    // The shortest text that reads back as the same value, never in exponent form (a time of
    // 1e+05 would no longer read as a whole number).
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
    if (DecimalSeparator != '.')
        text.replace(QLatin1Char('.'), QLatin1Char(DecimalSeparator));
    return text;
}

TRainForm::TRainForm(QWidget *parent) : TBaseForm(parent)
{
    setObjectName(QStringLiteral("RainForm"));
    setWindowTitle(QStringLiteral("Quellow, rainfall runoff relations"));

    mTabs = new QTabWidget(this);
    mTabs->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(mTabs);

    auto addPage = [this](const char *name, const char *caption) {
        auto *page = new QWidget;
        page->setObjectName(QLatin1String(name));
        mTabs->addTab(page, QLatin1String(caption));
        return page;
    };
    mIntroTabSheet = addPage("IntroTabSheet", "  Intro  ");
    mFigureTabSheet = addPage("FigureTabSheet", " Figure ");
    mInputSheet = new TInputSheetPage;
    mTabs->addTab(mInputSheet, QStringLiteral("  Input  "));
    mOutputPage = new TOutputPage;
    mTabs->addTab(mOutputPage, QStringLiteral("  Output  "));
    mGraphicsPage = new TGraphicsPage(DialogFolders);
    mTabs->addTab(mGraphicsPage, QStringLiteral(" Graphics "));

    // The actions first: the buttons of the pages run them.
    createMenus();
    UIntroPages::buildIntroPage(mIntroTabSheet);
    UIntroPages::buildFigurePage(mFigureTabSheet);
    createInputSheet();
    createOutputPage();
    createGraphicsPage();

    FormCreate();
    connect(mTabs, &QTabWidget::currentChanged, this, &TRainForm::tabChanged);
    // A box takes Ctrl+Z for itself before a shortcut sees it; the filter decides first.
    qApp->installEventFilter(this);
}

TRainForm::~TRainForm() = default;

void TRainForm::FormCreate()
{
    // Runs before the data module exists: no model data is touched here.
    mTabs->setCurrentWidget(mIntroTabSheet);

    StartFolder = QDir::currentPath();
    DialogFolders.InputOpen = StartFolder;
    DialogFolders.InputSave = StartFolder;
    DialogFolders.OutputOpen = StartFolder;
    DialogFolders.GraphOpen = QDir::currentPath();
    DialogFolders.GraphSave = QDir::currentPath();

    // ResultsReady and the graphics page's SourceReady start cleared.

    UQuellowUtils::Chart.XLength = 500;
    UQuellowUtils::Chart.YLength = 320;

    resize(WindowWidth, WindowHeight);
    int left = 100;
    int width = WindowWidth;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const int screenWidth = screen->availableGeometry().width();
        if (screenWidth > WindowWidth) {
            width = WindowWidth;
        } else if (screenWidth < width) {
            left = 10;
            width = screenWidth - 10;
        }
        const int screenHeight = screen->availableGeometry().height();
        resize(width, qMin(WindowHeight, screenHeight - 40));
        move(left, qMax(0, qMin(60, screenHeight - height() - 40)));
    }
}

void TRainForm::createMenus()
{
    createFileMenu();
    createEditMenu();
}

void TRainForm::createFileMenu()
{
    QMenu *fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    mInputOpenAction = namedAction(this, "InputOpenAction", "Open &Input");
    mInputOpenAction->setShortcut(QKeySequence::Open);
    mOutputOpenAction = namedAction(this, "OutputOpenAction", "Open &Output");
    mGraphOpenAction = mGraphicsPage->GraphOpenAction();
    mInputSaveAction = namedAction(this, "InputSaveAction", "Save i&Nput");
    mInputSaveAction->setShortcut(QKeySequence::Save);
    mGraphSaveAction = mGraphicsPage->GraphSaveAction();
    mExitAction = namedAction(this, "ExitAction", "Program e&Xit");
    fileMenu->addActions({mInputOpenAction, mOutputOpenAction, mGraphOpenAction, mInputSaveAction,
                          mGraphSaveAction, mExitAction});
    connect(mInputOpenAction, &QAction::triggered, this, &TRainForm::InputOpenActionExecute);
    connect(mOutputOpenAction, &QAction::triggered, this, &TRainForm::OutputOpenActionExecute);
    connect(mInputSaveAction, &QAction::triggered, this, &TRainForm::InputSaveActionExecute);
    connect(mExitAction, &QAction::triggered, this, &QWidget::close);
    auto *importAction = namedAction(this, "ImportSeriesAction", "I&mport series...");
    fileMenu->insertAction(mOutputOpenAction, importAction);
    connect(importAction, &QAction::triggered, this, &TRainForm::ImportSeriesActionExecute);
}

void TRainForm::createEditMenu()
{
    QMenu *editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    editMenu->setObjectName(QStringLiteral("EditMenu"));
    auto *copy = namedAction(this, "EditCopyAction", "&Copy");
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    auto *cut = namedAction(this, "EditCutAction", "Cu&t");
    cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    auto *paste = namedAction(this, "EditPasteAction", "&Paste");
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    editMenu->addActions({copy, cut, paste});
    editMenu->addAction(createCalibrateAction());
    editMenu->addAction(createJointCalibrateAction());
    editMenu->addAction(createValidateAction());
    mUndoAction = namedAction(this, "EditUndoAction", "&Undo");
    mUndoAction->setStatusTip(QStringLiteral("Takes the last \"Apply\" of a calibration back"));
    mUndoAction->setShortcut(QKeySequence::Undo);
    mUndoAction->setEnabled(false);
    editMenu->addAction(mUndoAction);
    connect(mUndoAction, &QAction::triggered, this, &TRainForm::EditUndoExecute);
    // Only an analysis can be calibrated.
    connect(editMenu, &QMenu::aboutToShow, this, [this] {
        mCalibrateAction->setEnabled(mInputSheet->analysisChosen());
        mValidateAction->setEnabled(mInputSheet->analysisChosen());
    });
    // Delete has a key but no menu entry.
    auto *del = namedAction(this, "EditDeleteAction", "&Delete");
    del->setShortcut(QKeySequence(Qt::Key_Delete));
    addAction(del);
    connect(copy, &QAction::triggered, this, &TRainForm::EditCopy);
    connect(cut, &QAction::triggered, this, &TRainForm::EditCut);
    connect(paste, &QAction::triggered, this, &TRainForm::EditPaste);
    connect(del, &QAction::triggered, this, &TRainForm::EditDelete);
}

void TRainForm::showInputTab()
{
    // The sheet asks for its tab from a box check, and a box is also left while the tab
    // widget switches to another page: the tab bar then already shows the new tab while the
    // old page is still current. Switching back at that moment would leave the bar and the
    // page out of step, so the switch back waits until the first one is done.
    const auto *bar = mTabs->findChild<QTabBar *>();
    if (bar && mTabs->widget(bar->currentIndex()) != mTabs->currentWidget()) {
        QMetaObject::invokeMethod(
            this, [this] { showTab(TTab::Input); }, Qt::QueuedConnection);
        return;
    }
    showTab(TTab::Input);
}

void TRainForm::createInputSheet()
{
    connect(mInputSheet, &TInputSheetPage::showRequested, this, &TRainForm::showInputTab);
    connect(mInputSheet, &TInputSheetPage::openInputRequested, this,
            &TRainForm::InputOpenActionExecute);
    connect(mInputSheet, &TInputSheetPage::saveRunRequested, this,
            &TRainForm::InputSaveActionExecute);
    connect(mInputSheet, &TInputSheetPage::calibrateRequested, this,
            &TRainForm::CalibrateActionExecute);
    connect(mInputSheet, &TInputSheetPage::validateRequested, this,
            &TRainForm::ValidateActionExecute);
    connect(mInputSheet, &TInputSheetPage::sheetFilled, this, &TRainForm::sheetFilled);
    connect(mInputSheet, &TInputSheetPage::clearRequested, this, [this] {
        if (mayReplaceSheet())
            mInputSheet->ClearButtonClick();
    });
    connect(mInputSheet, &TInputSheetPage::helpRequested, this, [this] {
        if (mHelpForm) {
            mHelpForm->show();
            mHelpForm->raise();
        }
    });
    connect(mInputSheet, &TInputSheetPage::alfaCalcRequested, this, [this] {
        if (mAlfaForm) {
            mAlfaForm->show();
            mAlfaForm->raise();
        }
    });
}

void TRainForm::createGraphicsPage()
{
    // "Make graph" opens the output file as "Open output" does, for the charts.
    mOutputOpenForGraphics = new QAction(QStringLiteral("Open &Graph"), this);
    mOutputOpenForGraphics->setObjectName(QStringLiteral("OutputOpenForGraphics"));
    connect(mOutputOpenForGraphics, &QAction::triggered, this,
            &TRainForm::OutputOpenForGraphicsExecute);
    connect(mGraphicsPage, &TGraphicsPage::makeGraphRequested, mOutputOpenForGraphics,
            &QAction::trigger);
    connect(mGraphicsPage, &TGraphicsPage::statusChanged, this, &TRainForm::ShowStatus);
    connect(mGraphicsPage, &TGraphicsPage::folderChosen, this, &TRainForm::SetDialogFolders);
    connect(mGraphicsPage, &TGraphicsPage::showRequested, this, [this] {
        if (currentTab() != TTab::Graphics)
            showTab(TTab::Graphics);
    });
}

void TRainForm::setAlfaForm(TAlfaForm *form)
{
    mAlfaForm = form;
    connect(form, &TAlfaForm::resultsCalculated, mInputSheet, &TInputSheetPage::enterAlfaResults);
}

void TRainForm::setCommentForm(TCommentForm *form)
{
    mCommentForm = form;
    mGraphicsPage->setCommentForm(form);
}

void TRainForm::createOutputPage()
{
    connect(mOutputPage, &TOutputPage::viewGraphRequested, this, &TRainForm::ViewGraphButtonClick);
    connect(mOutputPage, &TOutputPage::openOutputRequested, this,
            &TRainForm::OutputOpenActionExecute);
}

// ---- Tabs ------------------------------------------------------------------------------------

void TRainForm::showTab(TTab tab)
{
    mTabs->setCurrentIndex(static_cast<int>(tab));
}

TRainForm::TTab TRainForm::currentTab() const
{
    return static_cast<TTab>(mTabs->currentIndex());
}

void TRainForm::showEvent(QShowEvent *event)
{
    TBaseForm::showEvent(event);
    if (!mShownOnce) {
        // The opening tab's handler runs when the window first appears, after the data
        // module and the other windows exist.
        mShownOnce = true;
        runTabHandler(mTabs->currentIndex());
    }
}

void TRainForm::tabChanged(int index)
{
    runTabHandler(index);
}

void TRainForm::runTabHandler(int index)
{
    switch (static_cast<TTab>(index)) {
    case TTab::Intro:
        IntroTabSheetShow();
        break;
    case TTab::Figure:
        break;
    case TTab::Input:
        InputTabSheetShow();
        break;
    case TTab::Output:
        OutputTabSheetShow();
        break;
    case TTab::Graphics:
        GraphicsTabSheetShow();
        break;
    }
}

void TRainForm::hideCommentWindow()
{
    mGraphicsPage->hideComment();
}

void TRainForm::IntroTabSheetShow()
{
    const bool analysis = mInputSheet->analysisChosen();
    DMQuellow.Analysis = analysis;
    DMQuellow.ModeTag = analysis ? " Ana" : " Pre";
    mInputSheet->showAlfaCalc(!analysis);
    ShowStatus(IntroStatus);
    mInputSaveAction->setEnabled(false);
    mGraphSaveAction->setEnabled(false);
    UIntroPages::showIntroduction(mIntroTabSheet);
    hideCommentWindow();
    mGraphicsPage->SourceReady = false;
    if (DMQuellow.MaxStor == 0)
        DMQuellow.MaxStor = 50;
    if (DMQuellow.InitStor == 0)
        DMQuellow.InitStor = 50;
    if (DMQuellow.MaxEscape == 0)
        DMQuellow.MaxEscape = 0.1;
}

void TRainForm::InputTabSheetShow()
{
    ShowStatus(InputStatus);
    mInputSaveAction->setEnabled(true);
    mGraphSaveAction->setEnabled(false);
    mGraphicsPage->SourceReady = false;
    hideCommentWindow();
    if (!mInputSheet->DataShown)
        mInputSheet->resetInputSheet();
}

void TRainForm::GraphicsTabSheetShow()
{
    mInputSaveAction->setEnabled(false);
    mGraphicsPage->GraphicsTabSheetShow();
}

void TRainForm::OutputTabSheetShow()
{
    mOutputPage->setViewGraphOffered(ResultsReady);
    mInputSaveAction->setEnabled(false);
    mGraphSaveAction->setEnabled(false);
    mGraphicsPage->SourceReady = false;
    hideCommentWindow();
    ShowStatus(OutputStatus);
}

// ---- Closing ---------------------------------------------------------------------------------

void TRainForm::closeEvent(QCloseEvent *event)
{
    // The main window never closes itself: the finish window ends the program. A calibration
    // still searching stops first, and changes not saved are asked about.
    event->ignore();
    cancelRunningCalibration();
    cancelRunningValidation();
    cancelRunningJointCalibration();
    cancelRunningJointValidation();
    if (!mayReplaceSheet())
        return;
    if (mFinishForm) {
        mFinishForm->show();
        mFinishForm->raise();
        mFinishForm->activateWindow();
    }
}

// ---- Shared operations ---------------------------------------------------------------------

void TRainForm::SetDialogFolders(const QString &folder)
{
    DialogFolders.InputOpen = folder;
    DialogFolders.InputSave = folder;
    DialogFolders.OutputOpen = folder;
    DialogFolders.GraphSave = folder;
    DialogFolders.GraphOpen = folder;
}

void TRainForm::guarded(const std::function<void()> &action)
{
    try {
        action();
    } catch (...) {
        // Whatever stopped the action, on this thread or on the one it ran its work on, ends
        // it with a message; the sheet stays as it was.
        const UTaskPool::TFault fault = UTaskPool::CurrentFault();
        Dialogs().ShowMessage(fault.OutOfMemory    ? std::string("There is not enough memory.")
                              : fault.What.empty() ? std::string("The action stopped on an "
                                                                 "unknown error.")
                                                   : fault.What);
    }
}

// ---- Edit menu -------------------------------------------------------------------------------

void TRainForm::EditCopy()
{
    if (!onFocusedText([](auto *text) { text->copy(); }) && mInputSheet->gridHasFocus())
        QApplication::clipboard()->setText(mInputSheet->selectedCellsText());
}

void TRainForm::EditCut()
{
    if (!onFocusedText([](auto *text) { text->cut(); }) && mInputSheet->gridHasFocus()) {
        QApplication::clipboard()->setText(mInputSheet->selectedCellsText());
        EditDelete();
    }
}

void TRainForm::EditPaste()
{
    if (!onFocusedText([](auto *text) { text->paste(); }) && mInputSheet->gridHasFocus())
        mInputSheet->pasteAtCurrentCell(QApplication::clipboard()->text());
}

void TRainForm::EditDelete()
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *edit = qobject_cast<QLineEdit *>(focus)) {
        edit->del();
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(focus)) {
        memo->textCursor().deleteChar();
    } else if (mInputSheet->gridHasFocus()) {
        mInputSheet->deleteSelectedCells();
    }
}

} // namespace quellow
