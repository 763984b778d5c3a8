// What the window does with a person's work: the question before an edited sheet is replaced,
// boxes and file box that show what is so, the Output tab after a run that gave nothing, a
// calibration applied twice and taken back, and the keys of the small windows.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include "ui/UCalibrateForm.h"
#include "ui/UFinishForm.h"
#include "ui/UHelpForm.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace quellow;
using namespace quellow::test;

namespace {

const QString Question = QStringLiteral("The sheet has changes that are not saved. Save them?");

QLineEdit *Box(TRainForm &form, const char *name)
{
    return Child<QLineEdit>(form, name);
}

template <typename T> T *shownWindow(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<T *>(w);
            found && found->isVisible() && found->objectName() == QLatin1String(name))
            return found;
    return nullptr;
}

/// Runs check on the window named as soon as it is up (once).
template <typename T> void whenShown(const char *name, std::function<void(T *)> check)
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, name, check] {
        if (T *window = shownWindow<T>(name)) {
            timer->stop();
            timer->deleteLater();
            check(window);
        }
    });
    timer->start(5);
}

void openExample(TRainForm &form, TScriptedDialogs &dialogs, const char *name)
{
    dialogs.OpenNames = {ExamplePath(name)};
    form.InputOpenActionExecute();
}

} // namespace

class SheetChangesTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }

    void replacingAnEditedSheetAsksFirst();
    void saveAnswerWritesTheSheetUnderTheOfferedName();
    void closingAsksAndThenShowsTheFinishWindow();
    void unreadableBoxShowsTheModelValue();
    void outputOfAnEarlierRunIsMarked();
    void importedSheetOffersTheSourceName();
    void calibrationAppliedTwiceIsToldAndTakenBack();
    void undoKeyTakesAnApplyBackFromABox();
    void menuCalibrateStartsFromTheTypedStorage();
    void closingDuringACalibrationStopsIt();
    void escapeClosesTheHelpWindow();
};

void SheetChangesTest::replacingAnEditedSheetAsksFirst()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    openExample(form, dialogs, "Catchment-wet-season.inp");
    // As opened: no question.
    openExample(form, dialogs, "Catchment-wet-season.inp");
    QCOMPARE(dialogs.SaveQuestions, QStringList());

    const QString original = Sheet(form)->cellText(1, 4);
    Sheet(form)->setCellText(1, 4, QStringLiteral("12"));
    // Cancel: nothing is asked further and the edit stays.
    form.InputOpenActionExecute();
    form.findChild<QAction *>("ImportSeriesAction")->trigger();
    Button(form, "ClearButton")->click();
    QCOMPARE(dialogs.SaveQuestions, (QStringList{Question, Question, Question}));
    QCOMPARE(dialogs.OpenDialogs.size(), 2);
    QCOMPARE(Sheet(form)->cellText(1, 4), QStringLiteral("12"));

    // Typing the file's value back is no change.
    dialogs.SaveQuestions.clear();
    Sheet(form)->setCellText(1, 4, original);
    QVERIFY(!Sheet(form)->hasUnsavedChanges());

    // Discard: the file is opened over the edit.
    Sheet(form)->setCellText(1, 4, QStringLiteral("12"));
    dialogs.SaveChoices = {TSaveChoice::Discard};
    openExample(form, dialogs, "Catchment-dry-season.inp");
    QCOMPARE(dialogs.SaveQuestions, QStringList{Question});
    QVERIFY(Box(form, "FileNameEdit")->text().endsWith(QLatin1String("Catchment-dry-season.inp")));
}

void SheetChangesTest::saveAnswerWritesTheSheetUnderTheOfferedName()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("wet.inp"));
    QFile::copy(ExamplePath("Catchment-wet-season.inp"), copy);
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {copy};
    form.InputOpenActionExecute();
    Sheet(form)->setCellText(1, 0, QStringLiteral("7"));

    // Save writes the input file (no run) under the name offered, then the new file opens.
    const QString other = dir.filePath(QStringLiteral("wet-2.inp"));
    dialogs.SaveChoices = {TSaveChoice::Save};
    dialogs.SaveNames = {other};
    dialogs.Answers = {true}; // overwrite
    dialogs.OpenNames = {ExamplePath("Catchment-dry-season.inp")};
    form.InputOpenActionExecute();
    QCOMPARE(dialogs.SaveDialogs.size(), 1);
    QCOMPARE(dialogs.SaveDialogs[0].Folder, copy);
    QVERIFY(FileText(other).contains(QLatin1String("         1.00       7.00")));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("wet-2.out"))));
    QVERIFY(Box(form, "FileNameEdit")->text().endsWith(QLatin1String("Catchment-dry-season.inp")));

    // Save/Run under a new name: the file box and the next dialog name the new file.
    const QString third = dir.filePath(QStringLiteral("dry.inp"));
    dialogs.SaveNames = {third};
    form.InputSaveActionExecute();
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("dry.out"))));
    QCOMPARE(Box(form, "FileNameEdit")->text(), third);
    QVERIFY(!Sheet(form)->hasUnsavedChanges());
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.SaveDialogs.last().Folder, third);
}

void SheetChangesTest::closingAsksAndThenShowsTheFinishWindow()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    TFinishForm finish;
    form.setFinishForm(&finish);
    OpenFreshSheet(form);
    openExample(form, dialogs, "Catchment-wet-season.inp");
    Sheet(form)->setCellText(1, 2, QStringLiteral("3"));
    form.close();
    QCOMPARE(dialogs.SaveQuestions, QStringList{Question});
    QVERIFY(!finish.isVisible());
    dialogs.SaveChoices = {TSaveChoice::Discard};
    form.close();
    QVERIFY(finish.isVisible());
    finish.hide();
}

void SheetChangesTest::unreadableBoxShowsTheModelValue()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    openExample(form, dialogs, "Catchment-wet-season.inp");
    Box(form, "MaxStorEdit")->setText(QStringLiteral("9o"));
    LeaveBox(form, "MaxStorEdit");
    QCOMPARE(dialogs.Messages, QStringList{"The maximum storage is not a valid real"});
    QCOMPARE(Box(form, "MaxStorEdit")->text(), QStringLiteral("90"));
    QCOMPARE(DMQuellow.MaxStor, 90.0);
}

void SheetChangesTest::outputOfAnEarlierRunIsMarked()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    openExample(form, dialogs, "Catchment-wet-season.inp");
    dialogs.SaveNames = {dir.filePath(QStringLiteral("first.inp"))};
    form.InputSaveActionExecute();
    auto *previous = Child<QLabel>(form, "PreviousResultLabel");
    QVERIFY(previous->isHidden());

    // A refused run: the text of the first stays, marked with its name.
    Sheet(form)->setCellText(0, 3, QStringLiteral("1"));
    dialogs.SaveNames = {dir.filePath(QStringLiteral("second.inp"))};
    form.InputSaveActionExecute();
    QVERIFY(!previous->isHidden());
    QVERIFY2(previous->text().startsWith(QLatin1String("Previous result: first.out, shown at ")),
             qPrintable(previous->text()));
    Sheet(form)->setCellText(0, 3, QStringLiteral("4"));
    dialogs.SaveNames = {dir.filePath(QStringLiteral("second.inp"))};
    form.InputSaveActionExecute();
    QVERIFY(previous->isHidden());
}

void SheetChangesTest::importedSheetOffersTheSourceName()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    openExample(form, dialogs, "Catchment-wet-season.inp");
    Sheet(form)->showImportedSheet(QStringLiteral("/data/gauges/gauge.2016.csv"));
    QCOMPARE(Sheet(form)->suggestedFileName(), QStringLiteral("/data/gauges/gauge.2016.inp"));
    QVERIFY(Box(form, "FileNameEdit")->isHidden());
    // Imported rows are in no input file yet.
    QVERIFY(Sheet(form)->hasUnsavedChanges());
}

void SheetChangesTest::calibrationAppliedTwiceIsToldAndTakenBack()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    openExample(form, dialogs, "Catchment-dry-season.inp");
    const QString escape = Sheet(form)->cellText(2, 10);
    const QString maxEscape = Box(form, "EscapeEdit")->text();
    auto *undo = form.findChild<QAction *>("EditUndoAction");

    QString title, history, edges;
    auto answer = [&](const char *button) {
        whenShown<TCalibrateForm>("CalibrateForm", [&, button](TCalibrateForm *dialog) {
            title = dialog->windowTitle();
            auto *edge = dialog->findChild<QLabel *>("EdgeWarning");
            edges = edge ? edge->text() : QString();
            auto *factors = dialog->findChild<QLabel *>("FactorHistory");
            history = factors ? factors->text() : QString();
            dialog->findChild<QPushButton *>(button)->click();
        });
    };
    // Calibrated for the simulation's NSE, the dry-season example ends on the largest maximum
    // storage searched.
    answer("ApplyButton");
    form.CalibrateActionExecute();
    QVERIFY2(edges.contains(QLatin1String("The maximum storage stopped at the largest value")),
             qPrintable(edges));
    QVERIFY(title.endsWith(QLatin1String("on the edge of the search")));
    QVERIFY(history.isEmpty());
    QVERIFY(undo->isEnabled());
    const QString once = Sheet(form)->cellText(2, 10);
    QVERIFY(once != escape);
    // The maximum escape rate is scaled with the rates.
    const double scale = once.toDouble() / escape.toDouble();
    const double maxOnce = Box(form, "EscapeEdit")->text().toDouble();
    QVERIFY2(std::abs(maxOnce / (maxEscape.toDouble() * scale) - 1) < 0.01,
             qPrintable(Box(form, "EscapeEdit")->text()));
    QCOMPARE(DMQuellow.MaxEscape, maxOnce);

    answer("ApplyButton");
    form.CalibrateActionExecute();
    QVERIFY2(history.startsWith(QLatin1String("The escape rates were already scaled by an "
                                              "earlier Apply (x 0.")),
             qPrintable(history));

    // Undo takes the Applies back one by one: escape rates, boxes and model.
    undo->trigger();
    QCOMPARE(Sheet(form)->cellText(2, 10), once);
    undo->trigger();
    QCOMPARE(Sheet(form)->cellText(2, 10), escape);
    QCOMPARE(Box(form, "MaxStorEdit")->text(), QStringLiteral("100"));
    QCOMPARE(DMQuellow.MaxStor, 100.0);
    QCOMPARE(Box(form, "EscapeEdit")->text(), maxEscape);
    QVERIFY(!undo->isEnabled());
    QVERIFY(!Sheet(form)->hasUnsavedChanges());
}

void SheetChangesTest::undoKeyTakesAnApplyBackFromABox()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    OpenFreshSheet(form);
    openExample(form, dialogs, "Catchment-dry-season.inp");
    const QString escape = Sheet(form)->cellText(2, 10);
    auto *undo = form.findChild<QAction *>("EditUndoAction");
    auto apply = [&] {
        whenShown<TCalibrateForm>("CalibrateForm", [](TCalibrateForm *dialog) {
            dialog->findChild<QPushButton *>("ApplyButton")->click();
        });
        form.CalibrateActionExecute();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(undo->isEnabled());
        QVERIFY(Sheet(form)->cellText(2, 10) != escape);
    };

    // From the storage box that Apply filled.
    apply();
    QLineEdit *maxStor = Box(form, "MaxStorEdit");
    maxStor->setFocus();
    QTest::keyClick(maxStor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Sheet(form)->cellText(2, 10), escape);
    QCOMPARE(maxStor->text(), QStringLiteral("100"));
    QVERIFY(!undo->isEnabled());

    // A box with typing of its own takes that back first, the Apply at the next press.
    apply();
    QLineEdit *title = Box(form, "Title1Edit");
    title->setFocus();
    const QString titleText = title->text();
    QTest::keyClicks(title, QStringLiteral("x"));
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(title->text(), titleText);
    QVERIFY(undo->isEnabled());
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Sheet(form)->cellText(2, 10), escape);
    QVERIFY(!undo->isEnabled());
}

void SheetChangesTest::menuCalibrateStartsFromTheTypedStorage()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    OpenFreshSheet(form);
    openExample(form, dialogs, "Catchment-wet-season.inp");
    // Typed, and the menu taken without leaving the box.
    QLineEdit *box = Box(form, "MaxStorEdit");
    box->setFocus();
    QVERIFY(box->hasFocus());
    box->setText(QStringLiteral("140"));
    double used = 0;
    whenShown<TCalibrateForm>("CalibrateForm", [&used](TCalibrateForm *dialog) {
        used = DMQuellow.MaxStor;
        dialog->findChild<QPushButton *>("CancelButton")->click();
    });
    form.findChild<QAction *>("CalibrateAction")->trigger();
    QCOMPARE(used, 140.0);
}

void SheetChangesTest::closingDuringACalibrationStopsIt()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {DataPath("windows/gr4j-1991-1992.inp")};
    form.InputOpenActionExecute();
    int progressWidth = 0;
    QString progressTitle;
    whenShown<QProgressDialog>("CalibrateProgress", [&](QProgressDialog *progress) {
        progressWidth = progress->width();
        progressTitle = progress->windowTitle();
        form.close();
    });
    bool resultShown = false;
    whenShown<TCalibrateForm>("CalibrateForm", [&resultShown](TCalibrateForm *dialog) {
        resultShown = true;
        dialog->reject();
    });
    form.CalibrateActionExecute();
    QVERIFY(!resultShown);
    QCOMPARE(progressTitle, QStringLiteral("Calibration"));
    QVERIFY(progressWidth >= 380);
}

void SheetChangesTest::escapeClosesTheHelpWindow()
{
    THelpForm help;
    help.show();
    QVERIFY(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &help,
                    Qt::Key_Escape);
    QVERIFY(!help.isVisible());
}

QTEST_MAIN(SheetChangesTest)
#include "SheetChangesTest.moc"
