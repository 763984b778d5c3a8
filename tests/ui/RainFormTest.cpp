// The main window: tabs and their handlers, menus, closing through the finish window, and
// the reading and showing of numbers.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include "ui/UGraphicsPage.h"

#include "ui/UCommentForm.h"
#include "ui/UFinishForm.h"
#include "ui/UStartup.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace quellow;
using namespace quellow::test;

class RainFormTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }

    void windowTitleAndTabCaptions();
    void menusHoldTheirActionsInOrder();
    void introTabHandler();
    void inputTabHandler();
    void outputTabHandler();
    void tabHandlersHideTheCommentWindow();
    void statusTextsFitTheWindow();
    void closingShowsTheFinishWindow();
    void finishWindowEndsTheProgram();
    void finishEndsTheEventLoopWithStatusZero();
    void captionsCarryNoApplicationName();
    void outputTextIsReadOnlyButCopyable();
    void buttonTextsKeepAMargin();
    void stringToFloatReadsBothSeparators_data();
    void stringToFloatReadsBothSeparators();
    void floatToStrUsesTheShortestForm();
};

void RainFormTest::windowTitleAndTabCaptions()
{
    TRainForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Quellow, rainfall runoff relations"));
    auto *tabs = form.findChild<QTabWidget *>("PageControl1");
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions << tabs->tabText(i);
    QCOMPARE(captions,
             (QStringList{"  Intro  ", " Figure ", "  Input  ", "  Output  ", " Graphics "}));
    QCOMPARE(form.currentTab(), TRainForm::TTab::Intro);
    QVERIFY(form.findChild<QWidget *>("GraphicsTabSheet"));
}

void RainFormTest::menusHoldTheirActionsInOrder()
{
    TRainForm form;
    const QList<QAction *> menus = form.menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
    QCOMPARE(menus[1]->text(), QStringLiteral("&Edit"));
    QStringList file;
    for (QAction *action : menus[0]->menu()->actions())
        file << action->text();
    QCOMPARE(file, (QStringList{"Open &Input", "I&mport series...", "Open &Output", "Open &Graph",
                                "Save i&Nput", "Save g&Raph", "Program e&Xit"}));
    QStringList edit;
    QStringList keys;
    for (QAction *action : menus[1]->menu()->actions()) {
        edit << action->text();
        keys << action->shortcut().toString();
    }
    QCOMPARE(edit, (QStringList{"&Copy", "Cu&t", "&Paste", "Ca&librate",
                                "Calibrate on &several files...", "&Validate...", "&Undo"}));
    QCOMPARE(keys, (QStringList{"Ctrl+C", "Ctrl+X", "Ctrl+V", "", "", "", "Ctrl+Z"}));
    // The standard keys of opening and saving, and Undo only once there is an Apply to undo.
    QCOMPARE(form.findChild<QAction *>("InputOpenAction")->shortcut(),
             QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(form.findChild<QAction *>("InputSaveAction")->shortcut(),
             QKeySequence(Qt::CTRL | Qt::Key_S));
    QVERIFY(!form.findChild<QAction *>("EditUndoAction")->isEnabled());
    auto *del = form.findChild<QAction *>("EditDeleteAction");
    QVERIFY(del);
    QCOMPARE(del->shortcut(), QKeySequence(Qt::Key_Delete));
    QVERIFY(!menus[1]->menu()->actions().contains(del));
}

void RainFormTest::introTabHandler()
{
    TRainForm form;
    DMQuellow.MaxStor = 0;
    DMQuellow.InitStor = 7;
    DMQuellow.MaxEscape = 0;
    form.graphicsPage()->SourceReady = true;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The opening tab's handler runs when the window appears.
    QCOMPARE(form.statusText(), QStringLiteral("Click on the Input tab to proceed."));
    QVERIFY(!form.findChild<QAction *>("InputSaveAction")->isEnabled());
    QVERIFY(!form.findChild<QAction *>("GraphSaveAction")->isEnabled());
    QVERIFY(!form.graphicsPage()->SourceReady);
    QVERIFY(DMQuellow.Analysis);
    QCOMPARE(DMQuellow.ModeTag, std::string(" Ana"));
    QCOMPARE(DMQuellow.MaxStor, 50.0);
    QCOMPARE(DMQuellow.InitStor, 7.0);
    QCOMPARE(DMQuellow.MaxEscape, 0.1);
    QVERIFY(form.findChild<QPushButton *>("AlfaButton")->isHidden());
}

void RainFormTest::inputTabHandler()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.IntroTabSheetShow();
    form.graphicsPage()->SourceReady = true;
    form.showTab(TRainForm::TTab::Input);
    QCOMPARE(form.statusText(),
             QStringLiteral("Enter data or use \"Open input\" to see examples under \"Data\" or to "
                            "edit existing files. Thereafter use \"Save/Run\"."));
    QVERIFY(form.findChild<QAction *>("InputSaveAction")->isEnabled());
    QVERIFY(!form.findChild<QAction *>("GraphSaveAction")->isEnabled());
    QVERIFY(!form.graphicsPage()->SourceReady);
    QCOMPARE(Grid(form)->rowCount(), 15);

    // Coming back with data on the sheet keeps them.
    PasteFile(form, "sheet-analysis.tsv");
    form.showTab(TRainForm::TTab::Figure);
    form.showTab(TRainForm::TTab::Input);
    QCOMPARE(Grid(form)->rowCount(), 30);
}

void RainFormTest::outputTabHandler()
{
    TRainForm form;
    form.IntroTabSheetShow();
    form.showTab(TRainForm::TTab::Input);
    form.graphicsPage()->SourceReady = true;
    form.showTab(TRainForm::TTab::Output);
    QCOMPARE(form.statusText(),
             QStringLiteral("The output file can be inspected. Use \"Open output\" to see examples "
                            "under \"Data\" or to inspect any other output file."));
    QVERIFY(!form.findChild<QAction *>("InputSaveAction")->isEnabled());
    QVERIFY(!form.findChild<QAction *>("GraphSaveAction")->isEnabled());
    QVERIFY(!form.graphicsPage()->SourceReady);
    QVERIFY(form.findChild<QPushButton *>("ViewGraphButton")->isHidden());

    form.ResultsReady = true;
    form.showTab(TRainForm::TTab::Intro);
    form.showTab(TRainForm::TTab::Output);
    QVERIFY(!form.findChild<QPushButton *>("ViewGraphButton")->isHidden());
    QVERIFY(form.findChild<QPlainTextEdit *>("OutputMemo")->font().fixedPitch());
    QVERIFY(form.findChild<QPlainTextEdit *>("OutputMemo")->font().bold());
}

void RainFormTest::statusTextsFitTheWindow()
{
    // The program's own font, as its main routine sets it.
    const QFont previous = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    TScriptedDialogs dialogs;
    {
        TRainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.width(), 675);
        QStatusBar *bar = form.statusBar();
        for (const TRainForm::TTab tab : {TRainForm::TTab::Intro, TRainForm::TTab::Input,
                                          TRainForm::TTab::Output, TRainForm::TTab::Graphics}) {
            form.showTab(tab);
            const QString text = form.statusText();
            QVERIFY(!text.isEmpty());
            QVERIFY2(QFontMetrics(bar->font()).horizontalAdvance(text) <= bar->width() - 12,
                     qPrintable(text));
        }
        // Passing over the items of a menu leaves the hint where it is.
        QStatusTipEvent passing{QString()};
        QApplication::sendEvent(&form, &passing);
        QCOMPARE(form.statusText(),
                 QStringLiteral("Graphics presentations of output data can be seen and saved. Use "
                                "\"Make graph\" to open an output file and make the graphs."));
    }
    QApplication::setFont(previous);
}

void RainFormTest::tabHandlersHideTheCommentWindow()
{
    TRainForm form;
    TCommentForm comment;
    form.setCommentForm(&comment);
    auto *button = Button(form, "CommentButton");
    for (auto tab : {TRainForm::TTab::Input, TRainForm::TTab::Output, TRainForm::TTab::Intro}) {
        comment.show();
        button->setEnabled(true);
        form.showTab(tab);
        QVERIFY(comment.isHidden());
        QVERIFY(!button->isEnabled());
    }
}

void RainFormTest::closingShowsTheFinishWindow()
{
    TRainForm form;
    TFinishForm finish;
    form.setFinishForm(&finish);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QVERIFY(finish.isVisible());
    QCOMPARE(finish.statusText(), QStringLiteral("Click on the Finish button to end program"));

    finish.hide();
    form.findChild<QAction *>("ExitAction")->trigger();
    QVERIFY(form.isVisible());
    QVERIFY(finish.isVisible());
}

void RainFormTest::finishWindowEndsTheProgram()
{
    TFinishForm finish;
    QSignalSpy finished(&finish, &TFinishForm::finished);
    QCOMPARE(finish.windowTitle(), QStringLiteral("Quellow finish"));
    QVERIFY(finish.findChild<QPlainTextEdit *>()->toPlainText().startsWith(
        QStringLiteral(" Thank you for using Quellow")));
    finish.show();
    finish.findChild<QPushButton *>("FinishButton")->click();
    QCOMPARE(finished.count(), 1);
    QVERIFY(!finish.isVisible());

    // Closing the window itself ends the program too.
    TFinishForm other;
    QSignalSpy otherFinished(&other, &TFinishForm::finished);
    other.show();
    other.close();
    QCOMPARE(otherFinished.count(), 1);
}

void RainFormTest::finishEndsTheEventLoopWithStatusZero()
{
    // As the program runs: the main window refuses to close, and "Finish" must end the
    // process anyway.
    TRainForm form;
    TFinishForm finish;
    form.setFinishForm(&finish);
    endProgramOnFinish(finish);
    form.show();
    QTimer::singleShot(0, &form, [&] {
        form.findChild<QAction *>("ExitAction")->trigger();
        QVERIFY(finish.isVisible());
        finish.findChild<QPushButton *>("FinishButton")->click();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(watchdog.isActive());
}

void RainFormTest::captionsCarryNoApplicationName()
{
    // The platform appends the display name to every caption; there must be none.
    const QFont font = QApplication::font();
    const char separator = DecimalSeparator;
    setUpApplication();
    QCOMPARE(QApplication::applicationName(), QStringLiteral("Quellow rainfall runoff relations"));
    QVERIFY(QGuiApplication::applicationDisplayName().isEmpty());
    QVERIFY(!QApplication::quitOnLastWindowClosed());
    QApplication::setFont(font);
    DecimalSeparator = separator;
}

void RainFormTest::outputTextIsReadOnlyButCopyable()
{
    TRainForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.showTab(TRainForm::TTab::Output);
    auto *memo = form.findChild<QPlainTextEdit *>("OutputMemo");
    memo->setPlainText(QStringLiteral("RESULTS\nline two"));
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("xy"));
    QTest::keyClick(memo, Qt::Key_Backspace);
    QCOMPARE(memo->toPlainText(), QStringLiteral("RESULTS\nline two"));
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->clear();
    form.findChild<QAction *>("EditCopyAction")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("RESULTS\nline two"));
}

void RainFormTest::buttonTextsKeepAMargin()
{
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (auto tab : {TRainForm::TTab::Intro, TRainForm::TTab::Input, TRainForm::TTab::Output,
                     TRainForm::TTab::Graphics}) {
        form.showTab(tab);
        QApplication::processEvents();
        for (QPushButton *button : form.findChildren<QPushButton *>()) {
            if (!button->isVisible())
                continue;
            const QString text = button->text().remove(QLatin1Char('&'));
            const int room = button->width() - button->fontMetrics().horizontalAdvance(text);
            QVERIFY2(room >= 16, qPrintable(text + QStringLiteral(": ") + QString::number(room)));
        }
    }
}

void RainFormTest::stringToFloatReadsBothSeparators_data()
{
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<double>("value");
    for (char separator : {'.', ','}) {
        const QByteArray locale = separator == '.' ? "point " : "comma ";
        QTest::newRow(locale + "2.5") << separator << "2.5" << true << 2.5;
        QTest::newRow(locale + "2,5") << separator << "2,5" << true << 2.5;
        QTest::newRow(locale + "blanks") << separator << " 5 " << true << 5.0;
        QTest::newRow(locale + "exponent") << separator << "-1.5e-3" << true << -0.0015;
        QTest::newRow(locale + "empty") << separator << "" << false << 0.0;
        QTest::newRow(locale + "word") << separator << "five" << false << 0.0;
        QTest::newRow(locale + "both") << separator << "1,234.5" << false << 0.0;
        QTest::newRow(locale + "two points") << separator << "1.2.3" << false << 0.0;
        QTest::newRow(locale + "nan") << separator << "nan" << false << 0.0;
        QTest::newRow(locale + "inf") << separator << "inf" << false << 0.0;
        QTest::newRow(locale + "overflow") << separator << "1e999" << false << 0.0;
    }
}

void RainFormTest::stringToFloatReadsBothSeparators()
{
    QFETCH(char, separator);
    QFETCH(QString, text);
    QFETCH(bool, readable);
    QFETCH(double, value);
    DecimalSeparator = separator;
    double read = -99;
    QCOMPARE(StringToFloat(text, read), readable);
    if (readable)
        QCOMPARE(read, value);
}

void RainFormTest::floatToStrUsesTheShortestForm()
{
    QCOMPARE(floatToStr(0.1), QStringLiteral("0.1"));
    QCOMPARE(floatToStr(100), QStringLiteral("100"));
    QCOMPARE(floatToStr(-2.25), QStringLiteral("-2.25"));
    QCOMPARE(floatToStr(0), QStringLiteral("0"));
    DecimalSeparator = ',';
    QCOMPARE(floatToStr(0.1), QStringLiteral("0,1"));
    double back = 0;
    QVERIFY(StringToFloat(floatToStr(1.0 / 3), back));
    QCOMPARE(back, 1.0 / 3);
}

QTEST_MAIN(RainFormTest)
#include "RainFormTest.moc"
