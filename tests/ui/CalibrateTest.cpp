// "Calibrate" on the Input tab: the search behind its progress dialog, the result dialog,
// "Apply" followed by Save/Run, and the ways of cancelling that change nothing.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include "calibration/UCalibrationRun.h"
#include "ui/UCalibrateForm.h"
#include "ui/UInputSheetPage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

using namespace quellow;
using namespace quellow::test;

namespace {

/// The visible top-level widget of type T with that object name, if any.
template <typename T> T *shownWindow(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<T *>(w);
            found && found->isVisible() && found->objectName() == QLatin1String(name))
            return found;
    return nullptr;
}

/// Once the result dialog is up, records its R square and presses the button named.
void answerResultDialog(const char *button, QString *rSquare)
{
    auto *timer = new QTimer(qApp); // freed with the application if it never fires
    QObject::connect(timer, &QTimer::timeout, [timer, button, rSquare] {
        if (auto *form = shownWindow<TCalibrateForm>("CalibrateForm")) {
            timer->stop();
            timer->deleteLater();
            if (rSquare)
                *rSquare = form->findChild<QLabel *>("CalibratedRSquare")->text();
            form->findChild<QPushButton *>(button)->click();
        }
    });
    timer->start(10);
}

/// Hands each result dialog shown, in turn, to the next of handlers (which must close it).
void handleResultDialogs(std::vector<std::function<void(TCalibrateForm *)>> handlers)
{
    auto *timer = new QTimer(qApp); // freed with the application if it never fires
    auto queue =
        std::make_shared<std::vector<std::function<void(TCalibrateForm *)>>>(std::move(handlers));
    QObject::connect(timer, &QTimer::timeout, [timer, queue] {
        // A dialog of the next search may take the place of the last one: each is marked.
        auto *form = shownWindow<TCalibrateForm>("CalibrateForm");
        if (!form || form->property("handled").toBool())
            return;
        form->setProperty("handled", true);
        const auto handler = queue->front();
        queue->erase(queue->begin());
        if (queue->empty()) {
            timer->stop();
            timer->deleteLater();
        }
        handler(form);
    });
    timer->start(10);
}

/// Presses "Cancel" of the progress dialog as soon as it is up.
void cancelProgress()
{
    auto *timer = new QTimer(qApp); // freed with the application if it never fires
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (auto *progress = shownWindow<QProgressDialog>("CalibrateProgress")) {
            timer->stop();
            timer->deleteLater();
            progress->findChild<QPushButton *>()->click();
        }
    });
    timer->start(1);
}

/// What "Cancel" must leave as it was: boxes, grid and model.
struct TSnapshot
{
    QStringList Cells;
    QString MaxStor, InitStor;
    TDMQuellow Model;

    explicit TSnapshot(TRainForm &form) : Model(DMQuellow)
    {
        QTableWidget *grid = Grid(form);
        for (int row = 0; row < grid->rowCount(); ++row)
            for (int col = 0; col < grid->columnCount(); ++col)
                Cells << (grid->item(row, col) ? grid->item(row, col)->text() : QString());
        MaxStor = form.findChild<QLineEdit *>("MaxStorEdit")->text();
        InitStor = form.findChild<QLineEdit *>("InitStorEdit")->text();
    }
    bool operator==(const TSnapshot &o) const
    {
        return Cells == o.Cells && MaxStor == o.MaxStor && InitStor == o.InitStor &&
               Model.MaxStor == o.Model.MaxStor && Model.InitStor == o.Model.InitStor &&
               Model.Escape == o.Model.Escape && Model.Time == o.Model.Time &&
               Model.NrOfData == o.Model.NrOfData && Model.Title1 == o.Model.Title1 &&
               Model.Remove == o.Model.Remove;
    }
};

} // namespace

class CalibrateTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }
    // A helper whose dialog never came leaves its timer behind: it must not answer the next
    // test's dialog.
    void cleanup()
    {
        qDeleteAll(qApp->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly));
    }

    void applyThenSaveRunReportsTheShownRSquare();
    void cancelChangesNothing();
    void onlyAnAnalysisIsCalibrated();
    void objectiveIsOfferedWithBothFits();
    void robustAlphaIsOfferedForAnotherSearch();

private:
    /// Opens a public window file on the sheet.
    void openWindow(TRainForm &form, TScriptedDialogs &dialogs, const char *name)
    {
        OpenFreshSheet(form);
        dialogs.OpenNames = {QStringLiteral(QUELLOW_TEST_DATA "/windows/") + QLatin1String(name)};
        form.InputOpenActionExecute();
        QCOMPARE(DMQuellow.NrOfData, 365);
    }
};

void CalibrateTest::applyThenSaveRunReportsTheShownRSquare()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    openWindow(form, dialogs, "gr4j-1992.inp");
    const QString firstEscape = form.findChild<TInputSheetPage *>()->cellText(2, 0);

    QString shown;
    answerResultDialog("ApplyButton", &shown);
    Button(form, "CalibrateButton")->click();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(dialogs.Messages, QStringList());
    QVERIFY(shown.toDouble() > 0.787);

    // The boxes and the escape column hold the calibrated values as the file will.
    const double maxStor = form.findChild<QLineEdit *>("MaxStorEdit")->text().toDouble();
    QCOMPARE(DMQuellow.MaxStor, maxStor);
    QVERIFY(maxStor != 50);
    QVERIFY(form.findChild<TInputSheetPage *>()->cellText(2, 0) != firstEscape);

    const QString input = dir.filePath(QStringLiteral("calibrated.inp"));
    dialogs.SaveNames = {input};
    Button(form, "SaveRunButton")->click();
    const QString out = FileText(dir.filePath(QStringLiteral("calibrated.out")));
    QVERIFY2(out.contains(QStringLiteral("Coefficient of explanation R square is:   ") + shown),
             qPrintable(shown));
}

void CalibrateTest::cancelChangesNothing()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    openWindow(form, dialogs, "hymod-2014.inp");
    const TSnapshot before(form);

    answerResultDialog("CancelButton", nullptr);
    form.findChild<QAction *>("CalibrateAction")->trigger();
    QVERIFY(TSnapshot(form) == before);

    // Cancelled while searching: no result dialog, no message, nothing changed.
    QString shown;
    cancelProgress();
    answerResultDialog("CancelButton", &shown);
    Button(form, "CalibrateButton")->click();
    QVERIFY(shown.isEmpty());
    QVERIFY(TSnapshot(form) == before);
    QCOMPARE(dialogs.Messages, QStringList());
}

void CalibrateTest::onlyAnAnalysisIsCalibrated()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    QVERIFY(Shown(form, "CalibrateButton"));
    form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(1);
    QVERIFY(!Shown(form, "CalibrateButton"));
    form.CalibrateActionExecute();
    QCOMPARE(dialogs.Messages, QStringList());

    // The fresh analysis sheet holds 15 rows of zeros: its fault is reported, once.
    form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(0);
    dialogs.Messages.clear();
    form.CalibrateActionExecute();
    QCOMPARE(dialogs.Messages,
             QStringList{"The data cannot be calibrated due to input errors like negative "
                         "values or a non-sequential time series"});
}

void CalibrateTest::objectiveIsOfferedWithBothFits()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    openWindow(form, dialogs, "hymod-2013.inp");
    URainRun::TAnalysisInput input;
    QVERIFY(
        URainRun::ReadAnalysisInput(QUELLOW_TEST_DATA "/windows/hymod-2013.inp", input, nullptr));
    auto expected = [&input](UCalibration::TObjective objective) {
        UCalibration::TOptions options;
        options.Objective = objective;
        // The sheet calibrates its rows as Save/Run would write them.
        return UCalibration::CalibrateAnalysis(URainRun::AsWritten(input), options, nullptr).Search;
    };
    auto shown = [](TCalibrateForm *dialog, const char *name) {
        return dialog->findChild<QLabel *>(QLatin1String(name))->text();
    };
    auto figure = [](double value, int decimals) { return QString::number(value, 'f', decimals); };

    // The first search maximises the simulation's NSE, as the command line does; the dialog
    // shows both fits. Then it searches again for the simulation's KGE.
    QString firstCombo, secondCombo, nse, kge, rSquare, volume;
    bool againEnabledAtFirst = true, startNamed = false;
    handleResultDialogs(
        {[&](TCalibrateForm *dialog) {
             auto *combo = dialog->findChild<QComboBox *>("ObjectiveComboBox");
             auto *again = dialog->findChild<QPushButton *>("RecalibrateButton");
             firstCombo = combo->currentText();
             nse = shown(dialog, "SimulatedNSE");
             rSquare = shown(dialog, "CalibratedRSquare");
             volume = shown(dialog, "SimulatedVolumeError");
             againEnabledAtFirst = again->isEnabled();
             startNamed = dialog->findChild<QLabel *>("StartOutsideBand") != nullptr;
             combo->setCurrentIndex(combo->findText(QStringLiteral("KGE of the simulation")));
             again->click();
         },
         [&](TCalibrateForm *dialog) {
             secondCombo = dialog->findChild<QComboBox *>("ObjectiveComboBox")->currentText();
             kge = shown(dialog, "SimulatedKGE");
             dialog->findChild<QPushButton *>("CancelButton")->click();
         }});
    Button(form, "CalibrateButton")->click();
    QCOMPARE(dialogs.Messages, QStringList());
    QCOMPARE(firstCombo, QStringLiteral("NSE of the simulation"));
    QVERIFY(!againEnabledAtFirst);
    const UCalibration::TResult byNse = expected(UCalibration::TObjective::NSE);
    QCOMPARE(nse, figure(byNse.BestFit.Simulation.Skill.Fit.NSE, 3));
    QCOMPARE(rSquare, figure(byNse.BestFit.RSquare, 3));
    QCOMPARE(volume, figure(byNse.BestFit.Simulation.Skill.Fit.VolumeError, 1));
    QCOMPARE(startNamed, !UCalibration::Admissible(byNse.StartFit));
    QCOMPARE(secondCombo, QStringLiteral("KGE of the simulation"));
    QCOMPARE(kge,
             figure(expected(UCalibration::TObjective::KGE).BestFit.Simulation.Skill.Fit.KGE, 3));
}

// The robust alpha function is another search: checked, "Calibrate again" searches with it, and
// the next dialog shows its figures with the box checked.
void CalibrateTest::robustAlphaIsOfferedForAnotherSearch()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    openWindow(form, dialogs, "hymod-2015.inp");
    URainRun::TAnalysisInput input;
    QVERIFY(
        URainRun::ReadAnalysisInput(QUELLOW_TEST_DATA "/windows/hymod-2015.inp", input, nullptr));
    auto expected = [&input](bool robust) {
        UCalibration::TOptions options;
        options.Objective = UCalibration::TObjective::NSE;
        options.RobustAlpha = robust;
        return UCalibration::CalibrateAnalysis(input, options, nullptr)
            .Search.BestFit.Simulation.Skill.Fit.NSE;
    };
    QString plain, robust;
    bool checkedAtFirst = true, againAfterToggle = false, checkedAfter = false;
    handleResultDialogs({[&](TCalibrateForm *dialog) {
                             auto *box = dialog->findChild<QCheckBox *>("RobustAlphaCheckBox");
                             checkedAtFirst = box->isChecked();
                             plain = dialog->findChild<QLabel *>("SimulatedNSE")->text();
                             box->setChecked(true);
                             auto *again = dialog->findChild<QPushButton *>("RecalibrateButton");
                             againAfterToggle = again->isEnabled();
                             again->click();
                         },
                         [&](TCalibrateForm *dialog) {
                             checkedAfter =
                                 dialog->findChild<QCheckBox *>("RobustAlphaCheckBox")->isChecked();
                             robust = dialog->findChild<QLabel *>("SimulatedNSE")->text();
                             dialog->findChild<QPushButton *>("CancelButton")->click();
                         }});
    Button(form, "CalibrateButton")->click();
    QCOMPARE(dialogs.Messages, QStringList());
    QVERIFY(!checkedAtFirst);
    QVERIFY(againAfterToggle);
    QVERIFY(checkedAfter);
    QCOMPARE(plain, QString::number(expected(false), 'f', 3));
    QCOMPARE(robust, QString::number(expected(true), 'f', 3));
    QVERIFY2(plain != robust, qPrintable(plain));
}

QTEST_MAIN(CalibrateTest)
#include "CalibrateTest.moc"
