// "Open input" and Save/Run from the sheet to the Output tab: the files written, the runs,
// the progress lines, and every way the action stops.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include "ui/UGraphicsPage.h"

#include "files/UFileUtil.h"
#include "files/UInputChecks.h"
#include "files/UInputFile.h"
#include "runs/UPrediction.h"
#include "runs/URainRun.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cmath>
#include <vector>

using namespace quellow;
using namespace quellow::test;

namespace {

/// Runs quellow-cli on an input file; true when it wrote its output.
bool RunCli(const QString &input)
{
    QProcess cli;
    cli.start(QStringLiteral(QUELLOW_CLI), {QStringLiteral("run"), input});
    return cli.waitForFinished(60000) && cli.exitStatus() == QProcess::NormalExit &&
           cli.exitCode() == 0;
}

QLineEdit *Box(TRainForm &form, const char *name)
{
    return form.findChild<QLineEdit *>(QLatin1String(name));
}

/// A prediction sheet: the prediction option, the pasted series and the alpha function.
void PreparePrediction(TRainForm &form)
{
    OpenFreshSheet(form);
    form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(1);
    PasteFile(form, "sheet-prediction.tsv");
    Box(form, "A1coeffEdit")->setText(QStringLiteral("0.05"));
    Box(form, "B1valueEdit")->setText(QStringLiteral("0,1"));
    Box(form, "A2CoeffEdit")->setText(QStringLiteral("0.08"));
    Box(form, "B2ValueEdit")->setText(QStringLiteral("0.05"));
    Box(form, "DivideEdit")->setText(QStringLiteral("2"));
    Box(form, "InitRunEdit")->setText(QStringLiteral("1"));
    Box(form, "InitLevelEdit")->setText(QStringLiteral("0"));
    Box(form, "PorosityEdit")->setText(QStringLiteral("5"));
}

/// The prediction sheet (mode 1) or the pasted analysis sheet (mode 0).
void PrepareSheet(TRainForm &form, int mode)
{
    if (mode == 1) {
        PreparePrediction(form);
        return;
    }
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
}

} // namespace

class SaveRunTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }

    void predictionFromSheetToOutputTab();
    void analysisFromSheetToOutputTab();
    void fitLineShowsTheAnalysisJustRun();
    void fitLineSaysWhenTheStartWasRaised();
    void predictionAfterAnalysisStartsFromItsAlphaFunction();
    void predictionWithoutAlphaFunctionIsRefused();
    void openedDrainageFileRunsAsTheCommandLineDoes();
    void failuresStopInOrder_data();
    void failuresStopInOrder();
    void stoppedRunsAreNotFiled_data();
    void stoppedRunsAreNotFiled();
    void unreadablePredictionBoxStopsBeforeWriting();
    void declinedOverwriteKeepsTheFile();
    void incompleteRowsAreRemovedFromFileAndSheet();
    void failedPredictionDoesNotHideALaterAnalysis();
    void saveRunAfterClearAllAsksForTheEscapeRate();
    void openInputFillsTheSheet_data();
    void openInputFillsTheSheet();
    void openInputFailures();
    void corruptInputFileChangesNothing();
};

void SaveRunTest::predictionFromSheetToOutputTab()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    PreparePrediction(form);
    const QString input = dir.filePath(QStringLiteral("pred.inp"));
    dialogs.SaveNames = {input};
    auto *wait = form.findChild<QPlainTextEdit *>("WaitMemo");
    QStringList progress;
    dialogs.OnPause = [&] { progress << wait->toPlainText(); };
    QSignalSpy finished(&form, &TRainForm::runFinished);

    form.findChild<QPushButton *>("SaveRunButton")->click();

    QCOMPARE(finished.count(), 1);
    const QString output = dir.filePath(QStringLiteral("pred.out"));
    QCOMPARE(dialogs.Messages,
             QStringList{"The input is saved in " + input + " ;" +
                         " Calculations were done and the output is saved in  " + output});
    QCOMPARE(dialogs.SaveDialogs.size(), 1);
    QCOMPARE(dialogs.SaveDialogs[0].Filter, QStringLiteral("Input files (*.inp)"));
    QCOMPARE(dialogs.SaveDialogs[0].DefaultExt, QStringLiteral("inp"));

    // The input file: the prediction head and the rows as the sheet held them.
    const QStringList lines = FileText(input).split(QStringLiteral("\r\n"));
    QCOMPARE(lines[1], QStringLiteral(" Prediction runoff"));
    QCOMPARE(lines[11], QStringLiteral(" A1 coefficient : 5.0000E-002"));
    QCOMPARE(lines[12], QStringLiteral(" Value of B1 is : 1.0000E-001"));
    QCOMPARE(lines[15], QStringLiteral(" Effective porosity (%) :    5.00"));
    QCOMPARE(lines[18], QStringLiteral(" Runoff division     :     2.00"));
    QCOMPARE(lines[23], QStringLiteral("    1         1.00  0.0E+0000  1.000E-0001"));
    QCOMPARE(lines[24], QStringLiteral("    2         2.00      20.00  1.000E-0001"));
    QCOMPARE(lines[52], QStringLiteral("   30        30.00  0.0E+0000  2.000E-0001"));
    QCOMPARE(lines.size(), 23 + 30 + 1);

    // The progress box, as it looked at each pause, and hidden at the end.
    QCOMPARE(progress,
             (QStringList{
                 " Saving data .....",
                 " Saving data .....\n Progress 25% ....\n Calculating .....",
                 " Saving data .....\n Progress 25% ....\n Calculating .....\n Progress 75% ....",
                 " Saving data .....\n Progress 25% ....\n Calculating .....\n Progress 75% ....\n "
                 "Filing results ..",
             }));
    QVERIFY(wait->isHidden());
    QVERIFY(dialogs.Pauses == QList<int>(4, 500));

    // The Output tab shows the output file.
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    const QByteArray written = FileBytes(output);
    QVERIFY(!written.isEmpty());
    QCOMPARE(form.findChild<QPlainTextEdit *>("OutputMemo")->toPlainText() + "\n",
             QString::fromUtf8(written).replace("\r\n", "\n"));
    QVERIFY(!form.findChild<QPushButton *>("ViewGraphButton")->isHidden());
    QVERIFY(form.ResultsReady);
    QVERIFY(form.graphicsPage()->SourceReady);
    QCOMPARE(DMQuellow.OutFileName, output.toStdString());
    QCOMPARE(form.DialogFolders.InputSave, dir.path());

    // The command-line tool writes the same output from the same input file.
    QFile::remove(output);
    QVERIFY(RunCli(input));
    QCOMPARE(FileBytes(output), written);
}

namespace {

/// NSE, KGE and the volume error (%) of the reconstruction table of an analysis output,
/// rows 2 to N, from the file's own columns.
std::array<double, 3> fitOfOutputFile(const QString &path)
{
    const QStringList lines = FileText(path).split(QStringLiteral("\r\n"));
    std::vector<double> meas, calc;
    const int title = lines.indexOf(QStringLiteral("RECONSTRUCTION:"));
    for (int i = title + 7; i < lines.size() && !lines[i].startsWith(QLatin1String("---")); ++i) {
        const QStringList f = lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (f.size() == 7) {
            meas.push_back(f[4].toDouble());
            calc.push_back(f[6].toDouble());
        }
    }
    const double n = static_cast<double>(meas.size());
    double mo = 0, ms = 0;
    for (std::size_t k = 0; k < meas.size(); ++k) {
        mo += meas[k] / n;
        ms += calc[k] / n;
    }
    double sse = 0, sso = 0, sss = 0, sos = 0;
    for (std::size_t k = 0; k < meas.size(); ++k) {
        sse += (meas[k] - calc[k]) * (meas[k] - calc[k]);
        sso += (meas[k] - mo) * (meas[k] - mo);
        sss += (calc[k] - ms) * (calc[k] - ms);
        sos += (meas[k] - mo) * (calc[k] - ms);
    }
    const double r = sos / std::sqrt(sso * sss);
    const double a = std::sqrt(sss / sso);
    const double b = ms / mo;
    const double kge = 1 - std::sqrt((r - 1) * (r - 1) + (a - 1) * (a - 1) + (b - 1) * (b - 1));
    return {1 - sse / sso, kge, 100 * (ms - mo) / mo};
}

} // namespace

void SaveRunTest::fitLineShowsTheAnalysisJustRun()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    const QString input = dir.filePath(QStringLiteral("ana.inp"));
    dialogs.SaveNames = {input};
    form.InputSaveActionExecute();
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);

    // Above the output text, the reconstruction's fit and the simulation's, none of it in the
    // file.
    auto *fit = form.findChild<QLabel *>("FitLabel");
    QVERIFY(!fit->isHidden());
    const QStringList lines = fit->text().split(QLatin1Char('\n'));
    QVERIFY2(lines.size() >= 2, qPrintable(fit->text()));
    const QRegularExpression shape(
        QStringLiteral("^Reconstruction:  R square (\\d\\.\\d{3})    NSE (-?\\d+\\.\\d{3})    "
                       "KGE (-?\\d+\\.\\d{3})    Volume error (-?\\d+\\.\\d) %$"));
    const QRegularExpressionMatch match = shape.match(lines[0]);
    QVERIFY2(match.hasMatch(), qPrintable(fit->text()));
    const QString output = dir.filePath(QStringLiteral("ana.out"));
    QVERIFY(FileText(output).contains(QStringLiteral("Coefficient of explanation R square is:   ") +
                                      match.captured(1)));
    const auto expected = fitOfOutputFile(output);
    QVERIFY2(std::abs(match.captured(2).toDouble() - expected[0]) < 0.01, qPrintable(fit->text()));
    QVERIFY2(std::abs(match.captured(3).toDouble() - expected[1]) < 0.01, qPrintable(fit->text()));
    QVERIFY2(std::abs(match.captured(4).toDouble() - expected[2]) < 0.2, qPrintable(fit->text()));
    // The simulation is the core's of the file written, as a prediction runs it.
    URainRun::TAnalysisInput read;
    QVERIFY(URainRun::ReadAnalysisInput(input.toStdString(), read, nullptr));
    URainRun::TState state;
    const URainRun::TEvaluation e = URainRun::Evaluate(read, state, URainRun::TSimulate::Full);
    QVERIFY(!e.Stopped && e.Simulation.Made && e.Simulation.Skill.Valid);
    const TFitMeasures &sim = e.Simulation.Skill.Fit;
    QCOMPARE(lines[1], QStringLiteral("Simulation, as a prediction runs it, the fit that tells how "
                                      "it predicts:  NSE %1    KGE %2    Log NSE %3    Volume "
                                      "error %4 %")
                           .arg(QString::number(sim.NSE, 'f', 3), QString::number(sim.KGE, 'f', 3),
                                QString::number(e.Simulation.Skill.LogNSE, 'f', 3),
                                QString::number(sim.VolumeError, 'f', 1)));
    QVERIFY(std::abs(sim.NSE - e.Fit.NSE) > 0.0005); // two fits, not one shown twice
    QVERIFY(fit->toolTip().contains(QStringLiteral("R square is about (1 + NSE)/2")));
    QVERIFY(!FileText(output).contains(QStringLiteral("NSE")));
    QVERIFY(form.findChild<QPlainTextEdit *>("OutputMemo")
                ->toPlainText()
                .startsWith(QStringLiteral("RESULTS")));

    // An output file opened later is not the analysis just run: no fit line.
    dialogs.OpenNames = {output};
    form.OutputOpenActionExecute();
    QVERIFY(fit->isHidden());
}

// The wet-season example: its alpha function raises the simulation's start far above the
// measured runoff, which the simulation's line says beside its figures.
void SaveRunTest::fitLineSaysWhenTheStartWasRaised()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {ExamplePath("Catchment-wet-season.inp")};
    form.InputOpenActionExecute();
    dialogs.SaveNames = {dir.filePath(QStringLiteral("wet.inp"))};
    form.InputSaveActionExecute();
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    const QStringList lines = form.findChild<QLabel *>("FitLabel")->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[1].startsWith(QStringLiteral("Simulation, as a prediction runs it, the fit that "
                                                "tells how it predicts (start raised to 1.203):  "
                                                "NSE -")),
             qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith(QStringLiteral("The simulation starts from a runoff of 1.203 (1.1 "
                                                "times -B1) instead of the first measured runoff "
                                                "0.03931")),
             qPrintable(lines[2]));
}

void SaveRunTest::predictionAfterAnalysisStartsFromItsAlphaFunction()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    const QString input = dir.filePath(QStringLiteral("ana.inp"));
    dialogs.SaveNames = {input};
    form.InputSaveActionExecute();
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    URainRun::TAnalysisInput read;
    QVERIFY(URainRun::ReadAnalysisInput(input.toStdString(), read, nullptr));
    URainRun::TState state;
    const URainRun::TEvaluation e = URainRun::Evaluate(read, state);
    QVERIFY(!e.Stopped);
    // (This short series has no regression point above its divide: the upper line is 0.)
    QVERIFY(e.Alpha.A2 != 0 && e.Alpha.B2 != 0 && e.Alpha.Divide > 0);

    // The switch to prediction puts the analysis's linear alpha function into the boxes, and
    // its first measured runoff as the initial runoff, as the prediction's file will hold them.
    form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(1);
    const TModelValues alpha = AlphaAsWritten(e.Alpha);
    QCOMPARE(Box(form, "A1coeffEdit")->text(), floatToStr(alpha.A1));
    QCOMPARE(Box(form, "B1valueEdit")->text(), floatToStr(alpha.B1));
    QCOMPARE(Box(form, "A2CoeffEdit")->text(), floatToStr(alpha.A2));
    QCOMPARE(Box(form, "B2ValueEdit")->text(), floatToStr(alpha.B2));
    QCOMPARE(Box(form, "DivideEdit")->text(), floatToStr(alpha.Divide));
    QCOMPARE(Box(form, "InitRunEdit")->text(), floatToStr(read.Rows.front().Runoff));
    QVERIFY(std::abs(alpha.A2 / e.Alpha.A2 - 1) < 1e-4);
    QVERIFY(std::abs(alpha.Divide - e.Alpha.Divide) <= 0.005);

    // The prediction runs with it.
    const QString prediction = dir.filePath(QStringLiteral("pred.inp"));
    dialogs.SaveNames = {prediction};
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Messages.size(), 1);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("pred.out"))));
    const QStringList lines = FileText(prediction).split(QStringLiteral("\r\n"));
    QVERIFY2(lines[13].startsWith(QStringLiteral(" A2 coefficient : ")) &&
                 !lines[13].endsWith(QStringLiteral(" 0.0000E+000")),
             qPrintable(lines[13]));

    // The prediction ran with what the boxes showed.
    QCOMPARE(ModelValues.A2, alpha.A2);
    QCOMPARE(ModelValues.Divide, alpha.Divide);

    // Once taken, the offer does not come back over what the boxes hold now.
    Box(form, "A2CoeffEdit")->setText(QStringLiteral("0.5"));
    QVERIFY(Sheet(form)->readBoxes());
    form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(0);
    form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(1);
    QCOMPARE(Box(form, "A2CoeffEdit")->text(), QStringLiteral("0.5"));
}

void SaveRunTest::predictionWithoutAlphaFunctionIsRefused()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(1);
    PasteFile(form, "sheet-prediction.tsv");
    for (const char *box : {"A1coeffEdit", "B1valueEdit", "A2CoeffEdit", "B2ValueEdit"})
        QCOMPARE(Box(form, box)->text(), QStringLiteral("0"));
    const QString input = dir.filePath(QStringLiteral("pred.inp"));
    dialogs.SaveNames = {input};

    // The fresh sheet's alpha function is 0 throughout: refused before the file name is asked.
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Messages,
             QStringList{QString::fromStdString(UInputChecks::ZeroAlphaFailure(TModelValues()))});
    QVERIFY(dialogs.Messages[0].startsWith(QStringLiteral("The alpha function is 0 for every")));
    QVERIFY(dialogs.SaveDialogs.isEmpty());
    QVERIFY(!QFile::exists(input));

    // Any coefficient that is not 0 will do.
    Box(form, "B2ValueEdit")->setText(QStringLiteral("0,05"));
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.SaveDialogs.size(), 1);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("pred.out"))));
}

void SaveRunTest::analysisFromSheetToOutputTab()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    // What the storage boxes show is what the run uses.
    form.findChild<QLineEdit *>("MaxStorEdit")->setText(QStringLiteral("3"));
    form.findChild<QLineEdit *>("InitStorEdit")->setText(QStringLiteral("0.5"));
    const QString input = dir.filePath(QStringLiteral("ana.inp"));
    dialogs.SaveNames = {input};
    auto *wait = form.findChild<QPlainTextEdit *>("WaitMemo");
    QStringList progress;
    dialogs.OnPause = [&] { progress << wait->toPlainText(); };

    form.findChild<QAction *>("InputSaveAction")->trigger();

    const QString output = dir.filePath(QStringLiteral("ana.out"));
    QVERIFY2(dialogs.Messages.contains("The input is saved in " + input + " ;" +
                                       " Calculations were done and the output is saved in  " +
                                       output),
             qPrintable(dialogs.Messages.join('|')));
    const QStringList lines = FileText(input).split(QStringLiteral("\r\n"));
    QCOMPARE(lines[1], QStringLiteral(" Analysis and reconstruction"));
    QCOMPARE(lines[7], QStringLiteral(" Maximum dead storage:     3.00"));
    QCOMPARE(lines[8], QStringLiteral(" Initial dead storage:  5.000E-0001"));
    QCOMPARE(lines[14], QStringLiteral("    1         1.00  0.0E+0000  1.000E-0001  9.700E-0001"));
    QCOMPARE(lines[15], QStringLiteral("    2         2.00      20.00  1.000E-0001       3.86"));
    QCOMPARE(lines.size(), 14 + 30 + 1);

    // Five trials and the final run, each followed by its pause; trials 2 to 5 add a line.
    const QString head = QStringLiteral(" Saving data .....\n Progress 25% ....");
    QCOMPARE(
        progress,
        (QStringList{
            " Saving data .....",
            head,
            head,
            head + "\n Progress 40% ....",
            head + "\n Progress 40% ....\n Progress 60% ....",
            head + "\n Progress 40% ....\n Progress 60% ....\n Progress 75% ....",
            head +
                "\n Progress 40% ....\n Progress 60% ....\n Progress 75% ....\n Progress 90% ....",
            head + "\n Progress 40% ....\n Progress 60% ....\n Progress 75% ....\n Progress 90% "
                   "....\n Filing results ..",
        }));
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    QCOMPARE(Box(form, "NrOfDataEdit")->text(), QStringLiteral("30"));
    const QByteArray written = FileBytes(output);
    QVERIFY(written.startsWith("RESULTS OF Quellow PROGRAM"));
    QCOMPARE(form.findChild<QPlainTextEdit *>("OutputMemo")->toPlainText().section('\n', 0, 0),
             QStringLiteral("RESULTS OF Quellow PROGRAM"));

    // The command-line tool writes the same output from the same input file.
    QFile::remove(output);
    QVERIFY(RunCli(input));
    QCOMPARE(FileBytes(output), written);
}

void SaveRunTest::openedDrainageFileRunsAsTheCommandLineDoes()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {ExamplePath("Example-prediction-drainage.inp")};
    form.InputOpenActionExecute();
    QVERIFY(DMQuellow.Drainage);
    const QString input = dir.filePath(QStringLiteral("drain.inp"));
    dialogs.SaveNames = {input};
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Messages.size(), 1);
    QVERIFY(dialogs.Messages[0].startsWith("The input is saved in "));
    QCOMPARE(FileText(input).section("\r\n", 1, 1), QStringLiteral(" Prediction drainage"));
    const QByteArray written = FileBytes(dir.filePath(QStringLiteral("drain.out")));
    QVERIFY(!written.isEmpty());
    QFile::remove(dir.filePath(QStringLiteral("drain.out")));
    QVERIFY(RunCli(input));
    QCOMPARE(FileBytes(dir.filePath(QStringLiteral("drain.out"))), written);
}

void SaveRunTest::failuresStopInOrder_data()
{
    QTest::addColumn<int>("mode"); // 0 analysis, 1 prediction
    QTest::addColumn<QString>("escapeBox");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("saveDialogs");

    const QString notSaved = QStringLiteral("The input data were not saved");
    const QString badData = QStringLiteral("The input data were not saved due to input errors like "
                                           "negative values or a non-sequential time series");
    const QString notReal = QStringLiteral("Not all data values in the inputfile are real");
    QTest::newRow("negative escape rate, before the dialog")
        << 0 << "-0.1" << false << 0 << 0 << "1"
        << "The maximum escape rate cannot be negative." << 0;
    QTest::newRow("unreadable escape box") << 0 << "" << false << 0 << 0 << "1"
                                           << "The escape rate is not a valid real" << 0;
    QTest::newRow("negative escape rate passes in prediction")
        << 1 << "-0.1" << true << 0 << 0 << "1" << notSaved << 1;
    QTest::newRow("cancelled dialog") << 0 << "2" << true << 0 << 0 << "1" << notSaved << 1;
    QTest::newRow("unreadable cell") << 0 << "2" << false << 4 << 1 << "wet" << notReal << 1;
    QTest::newRow("empty runoff cell") << 0 << "2" << false << 4 << 3 << "" << notReal << 1;
    QTest::newRow("equal times") << 0 << "2" << false << 4 << 0 << "4" << badData << 1;
    QTest::newRow("falling times") << 1 << "2" << false << 9 << 0 << "3" << badData << 1;
    QTest::newRow("negative rain") << 1 << "2" << false << 9 << 1 << "-1" << badData << 1;
    QTest::newRow("negative runoff") << 0 << "2" << false << 9 << 3 << "-0.5" << badData << 1;
}

void SaveRunTest::failuresStopInOrder()
{
    QFETCH(int, mode);
    QFETCH(QString, escapeBox);
    QFETCH(bool, cancel);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, cell);
    QFETCH(QString, message);
    QFETCH(int, saveDialogs);
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    PrepareSheet(form, mode);
    Box(form, "EscapeEdit")->setText(escapeBox);
    Sheet(form)->setCellText(col, row, cell);
    const QString input = dir.filePath(QStringLiteral("x.inp"));
    dialogs.SaveNames = {cancel ? QString() : input};
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Messages, QStringList{message});
    QCOMPARE(dialogs.SaveDialogs.size(), saveDialogs);
    QVERIFY(!QFile::exists(input));
    QVERIFY(dialogs.Pauses.isEmpty());
    QVERIFY(form.findChild<QPlainTextEdit *>("WaitMemo")->isHidden());
}

void SaveRunTest::stoppedRunsAreNotFiled_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("maxStor");
    QTest::addColumn<bool>("flatRunoff");
    QTest::newRow("analysis, runoff without variation") << 0 << "3" << true;
    QTest::newRow("analysis, no dead storage") << 0 << "0" << false;
    QTest::newRow("prediction, no dead storage") << 1 << "0" << false;
}

void SaveRunTest::stoppedRunsAreNotFiled()
{
    QFETCH(int, mode);
    QFETCH(QString, maxStor);
    QFETCH(bool, flatRunoff);
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    PrepareSheet(form, mode);
    if (mode == 0)
        Box(form, "InitStorEdit")->setText(QStringLiteral("0"));
    Box(form, "MaxStorEdit")->setText(maxStor);
    for (int row = 0; flatRunoff && row < DMQuellow.NrOfData; ++row)
        Sheet(form)->setCellText(3, row, QStringLiteral("1"));
    const QString input = dir.filePath(QStringLiteral("stop.inp"));
    dialogs.SaveNames = {input};
    dialogs.Messages.clear();
    form.InputSaveActionExecute();

    // The input is written, the run tells why it stopped, and nothing is filed.
    QVERIFY(QFile::exists(input));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("stop.out"))));
    QCOMPARE(dialogs.Messages.size(), 1);
    QVERIFY(!dialogs.Messages[0].startsWith(QStringLiteral("The input is saved in")));
    QVERIFY(form.RunStopped);
    QVERIFY(!form.ResultsReady);
    QVERIFY(!DMQuellow.RunHalted);
    QCOMPARE(DMQuellow.FileName, input.toStdString());
    QCOMPARE(form.currentTab(), TRainForm::TTab::Input);
    QVERIFY(form.findChild<QPlainTextEdit *>("WaitMemo")->isHidden());
}

void SaveRunTest::unreadablePredictionBoxStopsBeforeWriting()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    PreparePrediction(form);
    Box(form, "InitLevelEdit")->setText(QStringLiteral("high"));
    ModelValues.A1 = 0.7;
    dialogs.SaveNames = {dir.filePath(QStringLiteral("x.inp"))};
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Messages, QStringList{"The initial level is not a valid real"});
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.inp"))));
    QCOMPARE(ModelValues.A1, 0.7);

    // The number-of-data box is read too.
    Box(form, "InitLevelEdit")->setText(QStringLiteral("0"));
    Box(form, "NrOfDataEdit")->setText(QStringLiteral("many"));
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Messages, QStringList{"The number of data is not a valid integer"});
    QCOMPARE(dialogs.SaveDialogs.size(), 1);
}

void SaveRunTest::declinedOverwriteKeepsTheFile()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    PreparePrediction(form);
    const QString input = dir.filePath(QStringLiteral("old.inp"));
    WriteFileBytes(input, "keep me\r\n");
    dialogs.SaveNames = {input};
    dialogs.Answers = {false};
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Questions, QStringList{"The file already exists, overwrite?"});
    QCOMPARE(dialogs.Messages, QStringList{"The input data were not saved"});
    QCOMPARE(FileBytes(input), QByteArray("keep me\r\n"));

    dialogs.SaveNames = {input};
    dialogs.Answers = {true};
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QVERIFY(FileBytes(input).startsWith(" Input data for Quellow program\r\n"));
}

void SaveRunTest::incompleteRowsAreRemovedFromFileAndSheet()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    PreparePrediction(form);
    Sheet(form)->setCellText(1, 4, QString());           // row 5: no rain
    Sheet(form)->setCellText(2, 9, QStringLiteral(" ")); // row 10: no escape rate
    const QString input = dir.filePath(QStringLiteral("gaps.inp"));
    dialogs.SaveNames = {input};
    form.InputSaveActionExecute();

    const QStringList lines = FileText(input).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 23 + 28 + 1);
    QCOMPARE(lines[23 + 3], QStringLiteral("    4         4.00       4.00  1.000E-0001"));
    QCOMPARE(lines[23 + 4], QStringLiteral("    5         6.00  0.0E+0000  2.000E-0001"));
    QCOMPARE(lines[23 + 27], QStringLiteral("   28        30.00  0.0E+0000  2.000E-0001"));

    QCOMPARE(Grid(form)->rowCount(), 28);
    QCOMPARE(Box(form, "NrOfDataEdit")->text(), QStringLiteral("28"));
    QCOMPARE(Sheet(form)->cellText(0, 4), QStringLiteral("6"));
    QCOMPARE(Sheet(form)->cellText(0, 8), QStringLiteral("11"));
    QCOMPARE(Sheet(form)->cellText(0, 27), QStringLiteral("30"));
    QCOMPARE(DMQuellow.NrOfData, 28);
    QCOMPARE(DMQuellow.Time[4], 6.0);
    QCOMPARE(Sheet(form)->ValidCount, 28);

    // Rows added afterwards start empty of data, not with what the removed rows left behind.
    dialogs.Messages.clear();
    Box(form, "NrOfDataEdit")->setText(QStringLiteral("30"));
    LeaveBox(form, "NrOfDataEdit");
    QCOMPARE(dialogs.Messages.first(),
             QStringLiteral(" Add data in the last cells at the end of the column"));
    QCOMPARE(Grid(form)->rowCount(), 30);
    QCOMPARE(Sheet(form)->cellText(0, 27), QStringLiteral("30"));
    for (int row = 28; row < 30; ++row)
        for (int col = 0; col < 3; ++col)
            QCOMPARE(Sheet(form)->cellText(col, row), QStringLiteral("0"));
    QCOMPARE(DMQuellow.Time[28], 0.0);
    QCOMPARE(DMQuellow.Rain[29], 0.0);
}

void SaveRunTest::failedPredictionDoesNotHideALaterAnalysis()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    // What the storage boxes show is what the run uses.
    form.findChild<QLineEdit *>("MaxStorEdit")->setText(QStringLiteral("3"));
    form.findChild<QLineEdit *>("InitStorEdit")->setText(QStringLiteral("0.5"));
    UPrediction::State.PredFailed = true;
    const QString input = dir.filePath(QStringLiteral("ana.inp"));
    dialogs.SaveNames = {input};
    form.InputSaveActionExecute();
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    QVERIFY(form.ResultsReady);
}

void SaveRunTest::saveRunAfterClearAllAsksForTheEscapeRate()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {ExamplePath("Catchment-wet-season.inp")};
    form.InputOpenActionExecute();
    Button(form, "ClearButton")->click();
    // Nothing of the file stays: no runoff, no escape rate, no file name.
    QCOMPARE(Box(form, "EscapeEdit")->text(), QString());
    QVERIFY(Box(form, "FileNameEdit")->isHidden());
    for (int row = 0; row < 15; ++row)
        QCOMPARE(Sheet(form)->cellText(3, row), QStringLiteral("0"));
    PasteFile(form, "sheet-analysis.tsv", 0, 0);
    form.findChild<QLineEdit *>("MaxStorEdit")->setText(QStringLiteral("3"));
    form.findChild<QLineEdit *>("InitStorEdit")->setText(QStringLiteral("0.5"));
    dialogs.Messages.clear();
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Messages, QStringList{"The escape rate is not a valid real"});
    QCOMPARE(dialogs.SaveDialogs.size(), 0);
    // The rate typed in is the one the file takes.
    Box(form, "EscapeEdit")->setText(QStringLiteral("0.4"));
    dialogs.SaveNames = {dir.filePath(QStringLiteral("a.inp"))};
    form.InputSaveActionExecute();
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("a.out"))));
    QCOMPARE(DMQuellow.MaxEscape, 0.4);
}

void SaveRunTest::openInputFillsTheSheet_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("analysis");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("firstRow");
    QTest::newRow("analysis") << DataPath("input-analysis.inp") << true << 3 << "0.5|0|0.1|2.5";
    QTest::newRow("prediction") << ExamplePath("Example-prediction-drainage.inp") << false << -1
                                << "";
}

void SaveRunTest::openInputFillsTheSheet()
{
    QFETCH(QString, path);
    QFETCH(bool, analysis);
    QFETCH(int, rows);
    QFETCH(QString, firstRow);
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    form.showTab(TRainForm::TTab::Intro);
    dialogs.OpenNames = {path};
    form.InputOpenActionExecute();

    QCOMPARE(dialogs.OpenDialogs.size(), 1);
    QCOMPARE(dialogs.OpenDialogs[0].Filter, QStringLiteral("Input files (*.inp)"));
    QCOMPARE(DMQuellow.Analysis, analysis);
    QCOMPARE(form.currentTab(), TRainForm::TTab::Input);
    QVERIFY(Sheet(form)->DataShown);
    QCOMPARE(Grid(form)->columnCount(), analysis ? 4 : 3);
    QCOMPARE(Grid(form)->rowCount(), DMQuellow.NrOfData);
    if (rows >= 0)
        QCOMPARE(DMQuellow.NrOfData, rows);
    QCOMPARE(Box(form, "NrOfDataEdit")->text(), QString::number(DMQuellow.NrOfData));
    QCOMPARE(Box(form, "FileNameEdit")->text(), path);
    QVERIFY(!Box(form, "FileNameEdit")->isHidden());
    QCOMPARE(Box(form, "Title1Edit")->text(), QString::fromStdString(DMQuellow.Title1));
    // A title longer than its box shows its beginning.
    QVERIFY(!DMQuellow.Title1.empty());
    QCOMPARE(Box(form, "Title1Edit")->cursorPosition(), 0);
    QCOMPARE(Box(form, "Title2Edit")->cursorPosition(), 0);
    QCOMPARE(Box(form, "FileNameEdit")->cursorPosition(), 0);
    QCOMPARE(Box(form, "MaxStorEdit")->text(), floatToStr(DMQuellow.MaxStor));
    QCOMPARE(Box(form, "EscapeEdit")->text(), floatToStr(DMQuellow.MaxEscape));
    QCOMPARE(form.DialogFolders.InputOpen, QFileInfo(path).absolutePath());
    QCOMPARE(form.findChild<QWidget *>("AlphaGroupBox")->isHidden(), analysis);
    QCOMPARE(form.findChild<QPushButton *>("AlfaButton")->isHidden(), !DMQuellow.Drainage);
    if (analysis) {
        QStringList cells;
        for (int col = 0; col < 4; ++col)
            cells << Sheet(form)->cellText(col, 0);
        QCOMPARE(cells.join('|'), firstRow);
        QVERIFY(!form.findChild<QLabel *>("TryMemo")->isHidden());
    } else {
        QCOMPARE(Box(form, "A1coeffEdit")->text(), floatToStr(ModelValues.A1));
        QCOMPARE(Box(form, "PorosityEdit")->text(), floatToStr(DMQuellow.Porosity));
        QCOMPARE(Sheet(form)->cellText(0, 0), floatToStr(DMQuellow.Time[0]));
        QCOMPARE(Sheet(form)->cellText(2, DMQuellow.NrOfData - 1),
                 floatToStr(DMQuellow.Escape[DMQuellow.NrOfData - 1]));
    }
}

void SaveRunTest::openInputFailures()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {QString(), QStringLiteral("/nonexistent/folder/none.inp")};
    form.InputOpenActionExecute();
    form.InputOpenActionExecute();
    QCOMPARE(dialogs.Messages, (QStringList{"No input file was selected",
                                            "File does not exist, please select another one,"}));
    QVERIFY(!Sheet(form)->DataShown);
}

void SaveRunTest::corruptInputFileChangesNothing()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    const std::string fileBefore = DMQuellow.FileName;
    QByteArray bytes = FileBytes(DataPath("input-analysis.inp"));
    bytes.replace("12.50", "1x.50");
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.inp"));
    WriteFileBytes(corrupt, bytes);
    dialogs.OpenNames = {corrupt};
    dialogs.SaveChoices = {TSaveChoice::Discard};
    form.InputOpenActionExecute();
    QCOMPARE(dialogs.SaveQuestions.size(), 1);
    QCOMPARE(dialogs.Messages.size(), 1);
    QVERIFY(dialogs.Messages[0].contains("corrupt"));
    QCOMPARE(DMQuellow.FileName, fileBefore);
    QCOMPARE(DMQuellow.NrOfData, 30);
    QCOMPARE(DMQuellow.Runoff[29], 0.61);
    QCOMPARE(Grid(form)->rowCount(), 30);
    QVERIFY(Box(form, "FileNameEdit")->isHidden());
}

QTEST_MAIN(SaveRunTest)
#include "SaveRunTest.moc"
