// File > "Import series...": the preview dialog's guesses and checks, the series it puts on
// the sheet, and quellow-cli convert against the window's Open input and Save / Run.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include "files/UDMQuellow.h"
#include "ui/UImportDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QKeySequence>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace quellow;
using namespace quellow::test;

namespace {

template <typename T> T *In(QWidget &parent, const char *name)
{
    auto *child = parent.findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

std::string AwkwardCsv()
{
    return FileBytes(DataPath("import-awkward.csv")).toStdString();
}

QString Summary(TImportDialog &dialog)
{
    return In<QPlainTextEdit>(dialog, "SummaryMemo")->toPlainText();
}

/// Lines 11 on of an input file: everything after its name and parameters.
QByteArray Rows(const QByteArray &file)
{
    int start = 0;
    for (int k = 0; k < 10; ++k)
        start = file.indexOf("\r\n", start) + 2;
    return file.mid(start);
}

bool Cli(const QStringList &arguments)
{
    QProcess cli;
    cli.start(QStringLiteral(QUELLOW_CLI), arguments);
    return cli.waitForFinished(60000) && cli.exitStatus() == QProcess::NormalExit &&
           cli.exitCode() == 0;
}

} // namespace

class ImportDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }

    void previewGuessesColumnsAndListsGaps();
    void choicesThatGiveNoSeriesDisableImport();
    void choicesSurviveAMarkerAndTheFactorFollowsTheUnit();
    void importFillsTheSheetAndSaveRunWritesTheRows();
    void secondFileFillsUnitAndAreaAndSeasonsGoToAFolder();
    void oneConversionAndGuessesThatNeverTakeAnIdentifier();
    void importedRunoffShowsAsTheFileStoresIt();
    void fitsALaptopScreenAndEveryCaptionHasALetterOfItsOwn();
    void convertWritesWhatOpenAndSaveRunWrite_data();
    void convertWritesWhatOpenAndSaveRunWrite();
};

void ImportDialogTest::previewGuessesColumnsAndListsGaps()
{
    TImportDialog dialog(QStringLiteral("gauge.csv"), AwkwardCsv());
    auto *preview = In<QTableWidget>(dialog, "PreviewTable");
    QCOMPARE(preview->columnCount(), 4);
    QCOMPARE(preview->horizontalHeaderItem(3)->text(), QStringLiteral("Abfluss [l/s]"));
    QCOMPARE(preview->item(1, 3)->text(), QStringLiteral("NA"));
    QCOMPARE(preview->verticalHeaderItem(0)->text(), QStringLiteral("3")); // its line in the file
    const char *const boxes[] = {"DateColumnBox", "RainColumnBox", "EscapeColumnBox",
                                 "RunoffColumnBox"};
    for (int role = 0; role < 4; ++role)
        QCOMPARE(In<QComboBox>(dialog, boxes[role])->currentIndex(), role);
    QVERIFY(dialog.canImport());
    QVERIFY(Summary(dialog).contains(QStringLiteral(
        "Imported the longest gap-free stretch: 01.11.2015 to 13.11.2015 (13 rows).")));
    QVERIFY(Summary(dialog).contains(
        QStringLiteral("2 gaps: runoff: 31.10.2015 (1 row); runoff: 14.11.2015 (1 row).")));
    QVERIFY(In<QLabel>(dialog, "UnitsLabel")->text().startsWith(QStringLiteral("Units stay")));

    // The runoff factor from l/s over 1.783 km2 for daily steps; m3/s a thousand times more.
    // An area such as 1234.567 km2 fits its box whole.
    auto *areaEdit = In<QLineEdit>(dialog, "AreaEdit");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(areaEdit->width() >
            areaEdit->fontMetrics().horizontalAdvance(QStringLiteral("1234.567")) + 8);
    auto *seasonEdit = In<QLineEdit>(dialog, "SeasonEdit");
    QVERIFY(seasonEdit->width() >
            seasonEdit->fontMetrics().horizontalAdvance(QStringLiteral("06-01..10-31")) + 8);
    // Tab leaves the preview for the first choice, as it leaves every other control.
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    preview->setFocus();
    QTest::keyClick(preview, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), In<QComboBox>(dialog, "ModeBox"));
    // "Runoff factor" sets the unit and the area, which convert the runoff; the factor box
    // stays the user's own, and the button waits while a unit is in force.
    areaEdit->setText(QStringLiteral("1,783"));
    In<QPushButton>(dialog, "FactorButton")->click();
    QCOMPARE(In<QComboBox>(dialog, "RunoffUnitBox")->currentText(), QStringLiteral("l/s"));
    QCOMPARE(In<QLineEdit>(dialog, "RunoffScaleEdit")->text(), QStringLiteral("1"));
    QCOMPARE(dialog.importResult().Runoff[0], 0.484576556366);
    QVERIFY(Summary(dialog).contains(
        QStringLiteral("Runoff converted from l/s (the dialog) to mm per day over 1.783 km2 (the "
                       "dialog): factor 0.0484576556366.")));
    QVERIFY(!In<QPushButton>(dialog, "FactorButton")->isEnabled());
    In<QComboBox>(dialog, "RunoffUnitBox")->setCurrentIndex(3); // m3/s
    QCOMPARE(dialog.importResult().Runoff[0], 484.576556366);

    // A prediction takes no runoff: its gaps no longer count.
    In<QComboBox>(dialog, "ModeBox")->setCurrentIndex(1);
    QVERIFY(!In<QComboBox>(dialog, "RunoffColumnBox")->isEnabled());
    QVERIFY(dialog.canImport());
    QCOMPARE(dialog.importResult().Time.size(), std::size_t{17});
    QVERIFY(!dialog.analysisChosen());
}

void ImportDialogTest::choicesThatGiveNoSeriesDisableImport()
{
    TImportDialog dialog(QStringLiteral("gauge.csv"), AwkwardCsv());
    auto *import = In<QPushButton>(dialog, "ImportButton");
    QVERIFY(import->isEnabled());
    In<QComboBox>(dialog, "DateOrderBox")->setCurrentIndex(3); // month/day/year
    QVERIFY(!import->isEnabled());
    QCOMPARE(Summary(dialog), QStringLiteral("The date \"30.10.2015\" in line 3 is no date when "
                                             "read as month/day/year."));
    In<QComboBox>(dialog, "DateOrderBox")->setCurrentIndex(0);
    In<QLineEdit>(dialog, "FromEdit")->setText(QStringLiteral("30.10.2015"));
    QVERIFY(!import->isEnabled());
    QVERIFY(Summary(dialog).startsWith(QStringLiteral("The period 30.10.2015 to end has gaps")));
    In<QLineEdit>(dialog, "FromEdit")->clear();
    In<QLineEdit>(dialog, "RainScaleEdit")->setText(QStringLiteral("two"));
    QVERIFY(!import->isEnabled());
    QCOMPARE(Summary(dialog), QStringLiteral("The rain factor is not a number."));
    In<QLineEdit>(dialog, "RainScaleEdit")->setText(QStringLiteral("1"));
    // The rain column set to the date column: the dates are no numbers.
    In<QComboBox>(dialog, "RainColumnBox")->setCurrentIndex(0);
    QVERIFY(!import->isEnabled());
    QCOMPARE(Summary(dialog), QStringLiteral("\"30.10.2015\" in line 3, column 'Datum' (rain) is "
                                             "not a number: give it as the marker of a missing "
                                             "value if it marks one, or choose another column."));

    // A file that is no table: the reason, and nothing to import.
    TImportDialog garbage(QStringLiteral("x.csv"), "a;b,c\n1;2,3\n4,5;6\n7;8;9\n");
    QVERIFY(!garbage.canImport());
    QVERIFY(!In<QPushButton>(garbage, "ImportButton")->isEnabled());
    QVERIFY(Summary(garbage).startsWith(
        QStringLiteral("The file \"x.csv\" cannot be imported. No delimiter")));
}

void ImportDialogTest::choicesSurviveAMarkerAndTheFactorFollowsTheUnit()
{
    TImportDialog dialog(QStringLiteral("gauge.csv"), AwkwardCsv());
    auto *rain = In<QComboBox>(dialog, "RainColumnBox");
    rain->setCurrentIndex(2);
    In<QLineEdit>(dialog, "MissingEdit")->setText(QStringLiteral("x"));
    QCOMPARE(rain->currentIndex(), 2);

    // Twenty days, then twelve hours: irregular steps, in hours unless the period ends before.
    std::string text = "date;rain;escape;runoff\n";
    for (int day = 1; day <= 20; ++day)
        text += QStringLiteral("2020-01-%1;1;0;1,234\n")
                    .arg(day, 2, 10, QLatin1Char('0'))
                    .toStdString();
    for (int hour = 1; hour <= 12; ++hour)
        text += QStringLiteral("2020-01-20 %1:00;1;0;2\n")
                    .arg(hour, 2, 10, QLatin1Char('0'))
                    .toStdString();
    TImportDialog steps(QStringLiteral("steps.csv"), text);
    QVERIFY(!steps.canImport());
    In<QCheckBox>(steps, "IrregularBox")->setChecked(true);
    QVERIFY(steps.canImport());
    QCOMPARE(steps.importResult().TimeUnit, std::string("hours"));
    In<QLineEdit>(steps, "AreaEdit")->setText(QStringLiteral("1.783"));
    In<QPushButton>(steps, "FactorButton")->click();
    QVERIFY(Summary(steps).contains(QStringLiteral("to mm per hour over 1.783 km2 (the dialog): "
                                                   "factor 0.00201906898486.")));
    In<QLineEdit>(steps, "ToEdit")->setText(QStringLiteral("2020-01-19"));
    QCOMPARE(steps.importResult().TimeUnit, std::string("days"));
    QVERIFY(Summary(steps).contains(QStringLiteral("to mm per day over 1.783 km2 (the dialog): "
                                                   "factor 0.0484576556366.")));
    // The decimal mark of 1,234 is the user's to choose.
    QCOMPARE(steps.importResult().Runoff[0], 0.0597967470555);
    In<QComboBox>(steps, "DecimalBox")->setCurrentIndex(1); // point
    QCOMPARE(steps.importResult().Runoff[0], 59.7967470555);
}

void ImportDialogTest::secondFileFillsUnitAndAreaAndSeasonsGoToAFolder()
{
    const QString basin = DataPath("seasons/basin-large-sample.txt");
    TImportDialog dialog(basin, FileBytes(basin).toStdString());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.canImport());
    QCOMPARE(In<QComboBox>(dialog, "RunoffColumnBox")->currentText(), QStringLiteral("OBS_RUN"));
    // The station file names its area and unit: they fill their boxes, the runoff converts.
    const QString station = DataPath("seasons/station-6335020.txt");
    dialog.setSecondFile(3, station, FileBytes(station).toStdString());
    QCOMPARE(In<QTableWidget>(dialog, "SecondPreviewTable")->item(0, 2)->text(),
             QStringLiteral("5.254"));
    QCOMPARE(In<QComboBox>(dialog, "RunoffColumnBox")->currentText(),
             QStringLiteral("station-6335020.txt:Value"));
    QCOMPARE(In<QComboBox>(dialog, "RunoffUnitBox")->currentText(), QStringLiteral("m3/s"));
    QCOMPARE(In<QLineEdit>(dialog, "AreaEdit")->text(), QStringLiteral("412.7"));
    QCOMPARE(In<QLabel>(dialog, "UnitSourceLabel")->text(),
             QStringLiteral("Unit from station-6335020.txt, line 4. Area from "
                            "station-6335020.txt, line 3."));
    QVERIFY(dialog.canImport());
    QVERIFY(Summary(dialog).contains(QStringLiteral("factor 0.20935304095.")));
    // Read again (a marker typed): unit and area are still the file's.
    In<QLineEdit>(dialog, "MissingEdit")->setText(QStringLiteral("-999"));
    QVERIFY(Summary(dialog).contains(
        QStringLiteral("Runoff converted from m3/s (station-6335020.txt, line 4) to mm per day "
                       "over 412.7 km2 (station-6335020.txt, line 3): factor 0.20935304095.")));
    QVERIFY(In<QLabel>(dialog, "UnitSourceLabel")->text().startsWith(QStringLiteral("Unit from")));
    QVERIFY(Summary(dialog).contains(QStringLiteral("\nRain and escape rate stay in the file's")));
    QVERIFY(!Summary(dialog).contains(QStringLiteral("Units stay")));
    In<QLineEdit>(dialog, "MissingEdit")->clear();
    // Its column chosen by hand: the date is refused.
    In<QComboBox>(dialog, "SecondColumnBox")->setCurrentIndex(1);
    QVERIFY(!dialog.canImport());
    QVERIFY(Summary(dialog).contains(QStringLiteral("holds dates or quality flags")));
    In<QComboBox>(dialog, "SecondColumnBox")->setCurrentIndex(3);
    QVERIFY(dialog.canImport());

    QTemporaryDir dir;
    // The seasons take the sheet's storages: here those of a fresh window.
    UImportedFile::TForm form;
    form.Parameters.MaxStor = form.Parameters.InitStor = 50;
    dialog.setFileForm(form);
    In<QLineEdit>(dialog, "SeasonEdit")->setText(QStringLiteral("06-01..08-31"));
    QVERIFY(dialog.writeSeasons(dir.filePath(QStringLiteral("summer.inp"))));
    // The season file is the one quellow-cli import writes, its titles included.
    const QString season = dir.filePath(QStringLiteral("summer-1988.inp"));
    const QByteArray written = FileBytes(season);
    QVERIFY(written.contains("in the file (runoff from m3/s)\r\n"));
    QVERIFY(QFile::remove(season));
    QVERIFY(Cli({QStringLiteral("import"), basin, QStringLiteral("--mode"),
                 QStringLiteral("analysis"), QStringLiteral("--runoff-file"), station,
                 QStringLiteral("--season"), QStringLiteral("06-01..08-31"), QStringLiteral("-o"),
                 dir.filePath(QStringLiteral("summer.inp"))}));
    QCOMPARE(FileBytes(season), written);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("summer-1987.inp"))));
    QVERIFY(Summary(dialog).contains(
        QStringLiteral("Left out 1987: gaps: runoff: 1987-08-15 12:00 (1 row).")));
    QVERIFY(Summary(dialog).contains(
        QStringLiteral("Season 06-01..08-31: 1 file written, 3 years left out.")));
    QVERIFY(Summary(dialog).contains(QStringLiteral(
        "Left out 1989: gaps: runoff: 1989-08-01 12:00 to 1989-08-31 12:00 (31 rows).")));
    // A season that is no date: the reason, nothing written.
    In<QLineEdit>(dialog, "SeasonEdit")->setText(QStringLiteral("02-30..10-31"));
    QVERIFY(!dialog.writeSeasons(dir.filePath(QStringLiteral("bad.inp"))));
    QVERIFY(Summary(dialog).endsWith(QStringLiteral("Nothing was written.")));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("bad-1988.inp"))));

    // A gauge file without a header: unit and area are given in the dialog, and the
    // messages say so.
    const QString gauge = DataPath("seasons/gauge-01234500.txt");
    dialog.setSecondFile(3, gauge, FileBytes(gauge).toStdString());
    auto *column = In<QComboBox>(dialog, "SecondColumnBox");
    column->setCurrentIndex(5);
    // The column's name in view, beside the box's arrow.
    QTRY_VERIFY(column->width() >
                column->fontMetrics().horizontalAdvance(column->currentText()) + 24);
    // The station file's unit and area are not the gauge's.
    QCOMPARE(In<QLineEdit>(dialog, "AreaEdit")->text(), QString());
    QCOMPARE(In<QComboBox>(dialog, "RunoffUnitBox")->currentIndex(), 0);
    QCOMPARE(In<QLabel>(dialog, "UnitSourceLabel")->text(), QString());
    In<QComboBox>(dialog, "RunoffUnitBox")->setCurrentIndex(4);
    QVERIFY(Summary(dialog).endsWith(
        QStringLiteral("The runoff is in cfs (from the dialog) but no catchment area is given, and "
                       "gauge-01234500.txt names none: give it in the dialog.")));
    In<QLineEdit>(dialog, "AreaEdit")->clear();
    QTest::keyClicks(In<QLineEdit>(dialog, "AreaEdit"), QStringLiteral("412.7"));
    QVERIFY(dialog.canImport());
    QVERIFY(Summary(dialog).contains(
        QStringLiteral("Runoff converted from cfs (the dialog) to mm per day over 412.7 km2 "
                       "(the dialog): factor 0.00592821794415.")));
    // A unit the runoff's file names that is no discharge: the window says where to give one.
    In<QComboBox>(dialog, "RunoffUnitBox")->setCurrentIndex(0);
    std::string level = FileBytes(station).toStdString();
    level.replace(level.find("m\xB3/s"), 4, "cm");
    dialog.setSecondFile(3, dir.filePath(QStringLiteral("level.txt")), level);
    QVERIFY(!dialog.canImport());
    QCOMPARE(Summary(dialog),
             QStringLiteral("In level.txt, line 4: the unit \"cm\" is not a discharge (mm, mm/d, "
                            "mm/h, l/s, m3/s or cfs); give the runoff's unit in the dialog."));
}

void ImportDialogTest::oneConversionAndGuessesThatNeverTakeAnIdentifier()
{
    const QString station = DataPath("seasons/station-6335020.txt");
    // The station file alone: what it lacks, and how to give it.
    TImportDialog alone(station, FileBytes(station).toStdString());
    QVERIFY(!alone.canImport());
    QVERIFY2(Summary(alone).startsWith(QStringLiteral(
                 "The file has no column for the rain: of its 4 columns, 1 can hold values")),
             qPrintable(Summary(alone)));
    // A headerless gauge file alone: its gauge number is never a value.
    const QString gauge = DataPath("seasons/gauge-01234500.txt");
    TImportDialog bare(gauge, FileBytes(gauge).toStdString());
    QCOMPARE(In<QComboBox>(bare, "RainColumnBox")->currentIndex(), 4);
    QCOMPARE(In<QComboBox>(bare, "EscapeColumnBox")->currentIndex(), -1);
    QVERIFY(!bare.canImport());

    // The station file names m3/s and 412.7 km2: the runoff is converted once, whatever the
    // "Runoff factor" button is asked to do.
    const QString basin = DataPath("seasons/basin-large-sample.txt");
    TImportDialog dialog(basin, FileBytes(basin).toStdString());
    dialog.setSecondFile(3, station, FileBytes(station).toStdString());
    QVERIFY(dialog.canImport());
    const double converted = dialog.importResult().Runoff[0];
    In<QComboBox>(dialog, "AreaUnitBox")->setCurrentIndex(1); // m3/s
    auto *factor = In<QPushButton>(dialog, "FactorButton");
    if (factor->isEnabled())
        factor->click();
    QCOMPARE(In<QLineEdit>(dialog, "RunoffScaleEdit")->text(), QStringLiteral("1"));
    QCOMPARE(dialog.importResult().Runoff[0], converted);
}

void ImportDialogTest::importedRunoffShowsAsTheFileStoresIt()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {DataPath("import-awkward.csv")};
    // The runoff in l/s over 1.783 km2.
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TImportDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        In<QLineEdit>(*dialog, "AreaEdit")->setText(QStringLiteral("1.783"));
        In<QComboBox>(*dialog, "RunoffUnitBox")->setCurrentIndex(2); // l/s
        In<QPushButton>(*dialog, "ImportButton")->click();
    });
    form.findChild<QAction *>(QStringLiteral("ImportSeriesAction"))->trigger();
    QCOMPARE(dialogs.Messages, QStringList());
    // 9.5 l/s is 0.46034772... mm a day, which the file stores as 4.603E-0001.
    QCOMPARE(Sheet(form)->cellText(3, 12), QStringLiteral("0.4603"));
    const QString input = dir.filePath(QStringLiteral("gauge.inp"));
    dialogs.SaveNames = {input};
    Button(form, "SaveRunButton")->click();
    const QString byCli = dir.filePath(QStringLiteral("cli.inp"));
    QVERIFY(
        Cli({QStringLiteral("import"), DataPath("import-awkward.csv"), QStringLiteral("--mode"),
             QStringLiteral("analysis"), QStringLiteral("--runoff-unit"), QStringLiteral("l/s"),
             QStringLiteral("--area-km2"), QStringLiteral("1.783"), QStringLiteral("-o"), byCli}));
    QCOMPARE(Rows(FileBytes(input)), Rows(FileBytes(byCli)));
}

void ImportDialogTest::fitsALaptopScreenAndEveryCaptionHasALetterOfItsOwn()
{
    const QString basin = DataPath("seasons/basin-large-sample.txt");
    TImportDialog dialog(basin, FileBytes(basin).toStdString());
    const QString station = DataPath("seasons/station-6335020.txt");
    dialog.setSecondFile(3, station, FileBytes(station).toStdString());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // A screen of 1366 by 768, less the window's frame and title bar.
    for (const QSize size : {dialog.size(), dialog.sizeHint(), dialog.minimumSizeHint()})
        QVERIFY2(size.width() <= 1360 && size.height() <= 740,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
    // Nothing is cut: every control as tall as it needs to be, inside the window.
    for (QWidget *child : dialog.findChildren<QWidget *>()) {
        if (!child->isVisibleTo(&dialog) || child->parentWidget() != &dialog)
            continue;
        QVERIFY2(child->height() >= child->minimumSizeHint().height() &&
                     dialog.rect().contains(child->geometry()),
                 qPrintable(child->objectName() + QLatin1Char(' ') +
                            child->property("text").toString()));
    }
    // The previews show some rows.
    QVERIFY(In<QTableWidget>(dialog, "PreviewTable")->viewport()->height() >= 4 * 20);
    QVERIFY(In<QTableWidget>(dialog, "SecondPreviewTable")->viewport()->height() >= 2 * 20);

    // Every caption has a letter, none twice, and a label's letter reaches its control. Not
    // enough letters are left for these: "To" follows From, "Series" and "Column" stand
    // beside "Second file...", and Return and Escape are Import and Cancel.
    const QStringList without = {QStringLiteral("To"), QStringLiteral("Series"),
                                 QStringLiteral("Column"), QStringLiteral("Import"),
                                 QStringLiteral("Cancel")};
    QSet<int> letters;
    int captions = 0;
    const auto take = [&](const QString &text, QWidget *target) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (without.contains(text)) {
            QVERIFY2(key.isEmpty(), qPrintable(text));
            return;
        }
        QVERIFY2(!key.isEmpty(), qPrintable(text));
        QVERIFY2(!letters.contains(key[0].toCombined()), qPrintable(text));
        letters.insert(key[0].toCombined());
        ++captions;
        QVERIFY2(target && target->focusPolicy() != Qt::NoFocus, qPrintable(text));
    };
    for (QAbstractButton *button : dialog.findChildren<QAbstractButton *>())
        if (!button->text().isEmpty())
            take(button->text(), button);
    for (QLabel *label : dialog.findChildren<QLabel *>())
        if (label->objectName().isEmpty())
            take(label->text(), label->buddy());
    QCOMPARE(captions, 21);
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const std::pair<Qt::Key, const char *> reached[] = {{Qt::Key_H, "AreaEdit"},
                                                        {Qt::Key_Y, "SpinupEdit"},
                                                        {Qt::Key_S, "SeasonEdit"},
                                                        {Qt::Key_N, "RunoffScaleEdit"},
                                                        {Qt::Key_W, "PreviewTable"}};
    for (const auto &[key, name] : reached) {
        QTest::keyClick(&dialog, key, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    }

    // The season note speaks of the Validate dialog's warm-up, not of an option.
    QTemporaryDir dir;
    In<QLineEdit>(dialog, "SeasonEdit")->setText(QStringLiteral("07-01..08-14"));
    In<QLineEdit>(dialog, "SpinupEdit")->setText(QStringLiteral("10"));
    QVERIFY(dialog.writeSeasons(dir.filePath(QStringLiteral("summer.inp"))));
    QVERIFY2(Summary(dialog).contains(QStringLiteral(
                 "Each file begins 10 days before its season (spin-up): leave them out of a "
                 "validation's score with a warm-up of 10 rows.")),
             qPrintable(Summary(dialog)));
}

void ImportDialogTest::importFillsTheSheetAndSaveRunWritesTheRows()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {DataPath("import-awkward.csv")};
    // The dialog is modal: set the runoff factor and press Import once it is up.
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TImportDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        In<QLineEdit>(*dialog, "RunoffScaleEdit")->setText(QStringLiteral("0.1"));
        In<QPushButton>(*dialog, "ImportButton")->click();
    });
    form.findChild<QAction *>(QStringLiteral("ImportSeriesAction"))->trigger();
    QCOMPARE(dialogs.Messages, QStringList());
    QCOMPARE(form.currentTab(), TRainForm::TTab::Input);
    QCOMPARE(Grid(form)->rowCount(), 13);
    QCOMPARE(Sheet(form)->cellText(0, 12), QStringLiteral("12"));
    QCOMPARE(Sheet(form)->cellText(1, 0), QStringLiteral("2.25"));
    QCOMPARE(Sheet(form)->cellText(3, 12), QStringLiteral("0.95"));
    QCOMPARE(Child<QLineEdit>(form, "Title1Edit")->text(), QStringLiteral("import-awkward.csv"));

    // Save / Run writes the rows the command line writes from the same file.
    const QString input = dir.filePath(QStringLiteral("gauge.inp"));
    dialogs.SaveNames = {input};
    Button(form, "SaveRunButton")->click();
    QVERIFY(QFile::exists(input));
    QCOMPARE(Rows(FileBytes(input)), Rows(FileBytes(DataPath("import-awkward.inp"))));
}

void ImportDialogTest::convertWritesWhatOpenAndSaveRunWrite_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray analysisHead =
        " Input data for Quellow program\r\n Analysis and reconstruction\r\n\r\nArea\r\n"
        "Units\r\n\r\n Filename: a.inp\r\n Maximum dead storage:    50.00\r\n"
        " Initial dead storage:    40.00\r\n Max.escape/time unit:     2.00\r\n\r\n"
        " -------------------------------------------------\r\n"
        "  Serial    T i m e   R a i n    Esc. rate Run-off\r\n"
        " -------------------------------------------------\r\n";
    QByteArray fourNumbers = analysisHead, mixed = analysisHead;
    for (int i = 1; i <= 14; ++i) {
        fourNumbers += QByteArray::number(i) + " " + QByteArray::number(i * 0.5) + " " +
                       QByteArray::number(i % 3 * 1.25) + " " + QByteArray::number(5.0 / i) +
                       "\r\n";
        mixed += QByteArray::number(i) + " " + QByteArray::number(i) + " -0 " +
                 (i % 2 ? "0.3 " : "") + QByteArray::number(10.0 - i * 0.3, 'g', 17) + "\r\n";
    }
    QTest::newRow("four numbers") << fourNumbers;
    QTest::newRow("some rows with four numbers") << mixed;
    QTest::newRow("outdated prediction")
        << QByteArray(" Input data for Quellow program\r\n Prediction runoff\r\n\r\nT\r\n\r\n\r\n"
                      " Filename: x\r\n Maximum dead storage:    20.00\r\n"
                      " Initial dead storage:     5.50\r\n Max.escape/time unit:     1.50\r\n"
                      " Linear reservoir function : Alpha = A * Runoff + B\r\n"
                      " A1 coefficient : 1.2500E-003\r\n Value of B1 is : 5.0000E-001\r\n"
                      " Effective porosity (%) :    0.00\r\n Initial runoff rate :     1.00\r\n"
                      " Initial water level :  2.5E-0001\r\n\r\n x\r\n x\r\n x\r\n"
                      "    1         1.00       4.00       2.00\r\n"
                      "    2         2.00  0.0E+0000\r\n    3         3.50  1.0E-0001   -0.25\r\n");
    QTest::newRow("drainage example") << FileBytes(ExamplePath("Example-prediction-drainage.inp"));
    QTest::newRow("analysis example") << FileBytes(ExamplePath("Example-analysis.inp"));
}

void ImportDialogTest::convertWritesWhatOpenAndSaveRunWrite()
{
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.inp"));
    WriteFileBytes(old, file);
    const QString byWindow = dir.filePath(QStringLiteral("window.inp"));
    {
        TScriptedDialogs dialogs;
        TRainForm form;
        OpenFreshSheet(form);
        dialogs.OpenNames = {old};
        form.InputOpenActionExecute();
        dialogs.SaveNames = {byWindow};
        Button(form, "SaveRunButton")->click();
    }
    const QString byCli = dir.filePath(QStringLiteral("cli.inp"));
    QVERIFY(Cli({QStringLiteral("convert"), old, QStringLiteral("-o"), byCli}));
    QByteArray expected = FileBytes(byWindow);
    QVERIFY(!expected.isEmpty());
    expected.replace(byWindow.toUtf8(), byCli.toUtf8());
    QCOMPARE(FileBytes(byCli), expected);
}

QTEST_MAIN(ImportDialogTest)
#include "ImportDialogTest.moc"
