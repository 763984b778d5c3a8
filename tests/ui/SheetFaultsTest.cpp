// The input sheet as a person uses it: the boxes and the values a run uses, refusals that
// point at what to mend, typed values that survive mode and size changes, the mode that
// follows a paste, the tab bar in step with its page, and the sheet in a larger window.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace quellow;
using namespace quellow::test;

namespace {

QLineEdit *Box(TRainForm &form, const char *name)
{
    return Child<QLineEdit>(form, name);
}

/// Save/Run into dir/name.inp; the file's lines (CR LF split) or none when nothing was saved.
QStringList saveRun(TRainForm &form, TScriptedDialogs &dialogs, const QTemporaryDir &dir,
                    const char *name)
{
    const QString input = dir.filePath(QLatin1String(name) + QStringLiteral(".inp"));
    dialogs.SaveNames = {input};
    form.InputSaveActionExecute();
    if (!QFile::exists(input))
        return {};
    return FileText(input).split(QStringLiteral("\r\n"));
}

QString Analysis30Rows()
{
    return FileText(DataPath("sheet-analysis.tsv"));
}

} // namespace

class SheetFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }

    void storageBoxesAreWhatTheRunUses();
    void negativeMaximumEscapeRateIsRefusedOnAShownBox();
    void refusalsSelectTheOffendingCell_data();
    void refusalsSelectTheOffendingCell();
    void negativeEscapeRateMayRunAPrediction();
    void numbersAreNeverInExponentForm();
    void typedValuesSurviveOptionAndSizeChanges();
    void clearAllLeavesNothingStale();
    void rowsTypedAfterClearAllShowTheRowRefused();
    void optionFollowsThePastedColumns();
    void tabBarAndPageStayInStep();
    void sheetGrowsWithTheWindow();
};

void SheetFaultsTest::storageBoxesAreWhatTheRunUses()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    // The boxes start from the model values.
    QCOMPARE(Box(form, "MaxStorEdit")->text(), QStringLiteral("50"));
    QCOMPARE(Box(form, "InitStorEdit")->text(), QStringLiteral("50"));
    QCOMPARE(DMQuellow.MaxStor, 50.0);

    // Typed but never left: Save/Run still writes what the boxes show.
    Sheet(form)->StringGrid1SetEditText(0, 0, Analysis30Rows());
    Box(form, "MaxStorEdit")->setText(QStringLiteral("70"));
    Box(form, "InitStorEdit")->setText(QStringLiteral("12,5"));
    const QStringList lines = saveRun(form, dialogs, dir, "boxes");
    QVERIFY(lines.size() > 10);
    QCOMPARE(lines[7], QStringLiteral(" Maximum dead storage:    70.00"));
    QCOMPARE(lines[8], QStringLiteral(" Initial dead storage:    12.50"));
    QCOMPARE(DMQuellow.MaxStor, 70.0);

    // "Clear all" empties the boxes: a Save/Run names the box and saves nothing.
    Button(form, "ClearButton")->click();
    Sheet(form)->StringGrid1SetEditText(0, 0, Analysis30Rows());
    Box(form, "EscapeEdit")->setText(QStringLiteral("2"));
    dialogs.Messages.clear();
    QVERIFY(saveRun(form, dialogs, dir, "cleared").isEmpty());
    QCOMPARE(dialogs.Messages, QStringList{"The maximum storage is not a valid real"});
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("cleared.out"))));

    // A value out of range is refused as when the box is left.
    Box(form, "MaxStorEdit")->setText(QStringLiteral("90"));
    Box(form, "InitStorEdit")->setText(QStringLiteral("-4"));
    dialogs.Messages.clear();
    QVERIFY(saveRun(form, dialogs, dir, "negative").isEmpty());
    QCOMPARE(dialogs.Messages, QStringList{"The initial storage must be >= 0"});
    QCOMPARE(Box(form, "InitStorEdit")->text(), QStringLiteral("0"));
}

void SheetFaultsTest::negativeMaximumEscapeRateIsRefusedOnAShownBox()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    Sheet(form)->StringGrid1SetEditText(0, 0, Analysis30Rows());
    Box(form, "EscapeEdit")->setText(QStringLiteral("-1"));
    form.InputSaveActionExecute();
    QCOMPARE(dialogs.Messages, QStringList{"The maximum escape rate cannot be negative."});
    QVERIFY(dialogs.SaveDialogs.isEmpty());
    // The box the message is about can be seen and mended, in both modes.
    QVERIFY(!Box(form, "EscapeEdit")->isHidden());
    Child<QComboBox>(form, "OptionComboBox")->setCurrentIndex(1);
    QVERIFY(!Box(form, "EscapeEdit")->isHidden());
}

void SheetFaultsTest::refusalsSelectTheOffendingCell_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("message");
    const QString notReal = QStringLiteral("Not all data values in the inputfile are real");
    const QString notSaved =
        QStringLiteral("The input data were not saved due to input errors like negative values "
                       "or a non-sequential time series");
    QTest::newRow("rain no number") << 1 << 7 << "x" << notReal;
    QTest::newRow("runoff no number") << 3 << 12 << "1..2" << notReal;
    QTest::newRow("time out of order") << 0 << 9 << "3" << notSaved;
    QTest::newRow("negative rain") << 1 << 20 << "-1" << notSaved;
    QTest::newRow("negative escape rate") << 2 << 4 << "-0.5" << notSaved;
    QTest::newRow("negative runoff") << 3 << 29 << "-0.01" << notSaved;
}

void SheetFaultsTest::refusalsSelectTheOffendingCell()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, cell);
    QFETCH(QString, message);
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    Sheet(form)->StringGrid1SetEditText(0, 0, Analysis30Rows());
    Sheet(form)->setCellText(col, row, cell);
    Grid(form)->setCurrentCell(0, 0);
    QVERIFY(saveRun(form, dialogs, dir, "refused").isEmpty());
    QCOMPARE(dialogs.Messages, QStringList{message});
    QCOMPARE(Grid(form)->currentRow(), row);
    QCOMPARE(Grid(form)->currentColumn(), col);
}

void SheetFaultsTest::negativeEscapeRateMayRunAPrediction()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    Child<QComboBox>(form, "OptionComboBox")->setCurrentIndex(1);
    Sheet(form)->StringGrid1SetEditText(0, 0, FileText(DataPath("sheet-prediction.tsv")));
    Sheet(form)->setCellText(2, 4, QStringLiteral("-0.5"));
    for (const char *name : {"A1coeffEdit", "B1valueEdit", "A2CoeffEdit", "B2ValueEdit"})
        Box(form, name)->setText(QStringLiteral("0.05"));
    const QStringList lines = saveRun(form, dialogs, dir, "pred");
    QVERIFY2(!lines.isEmpty(), qPrintable(dialogs.Messages.join('|')));
    QCOMPARE(lines[27], QStringLiteral("    5         5.00  0.0E+0000 -5.000E-0001"));
}

void SheetFaultsTest::numbersAreNeverInExponentForm()
{
    QCOMPARE(floatToStr(100000), QStringLiteral("100000"));
    QCOMPARE(floatToStr(0.0001), QStringLiteral("0.0001"));
    QCOMPARE(floatToStr(-1.5e-7), QStringLiteral("-0.00000015"));
    QCOMPARE(floatToStr(1e21), QStringLiteral("1000000000000000000000"));
    QCOMPARE(floatToStr(0.1), QStringLiteral("0.1"));
    DecimalSeparator = ',';
    QCOMPARE(floatToStr(2.5e-5), QStringLiteral("0,000025"));
    DecimalSeparator = '.';

    // A time of 100000 that went through the sheet reads back as a whole number.
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    QString text;
    for (int row = 1; row <= 15; ++row)
        text += QStringLiteral("%1\t1\t0.1\t2\r\n").arg(row * 100000);
    Sheet(form)->StringGrid1SetEditText(0, 0, text);
    Child<QComboBox>(form, "OptionComboBox")->setCurrentIndex(1);
    Child<QComboBox>(form, "OptionComboBox")->setCurrentIndex(0);
    QCOMPARE(Sheet(form)->cellText(0, 0), QStringLiteral("100000"));
    QVERIFY(Sheet(form)->HandlePasteMultiCell(1, 0, QStringLiteral("2\r\n")));
}

void SheetFaultsTest::typedValuesSurviveOptionAndSizeChanges()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    TInputSheetPage *sheet = Sheet(form);
    sheet->StringGrid1SetEditText(0, 0, Analysis30Rows());
    sheet->setCellText(1, 3, QStringLiteral("7,5"));
    sheet->StringGrid1SetEditText(1, 3, QStringLiteral("7,5"));
    auto *options = Child<QComboBox>(form, "OptionComboBox");

    options->setCurrentIndex(1);
    QCOMPARE(Grid(form)->columnCount(), 3);
    QCOMPARE(sheet->cellText(1, 3), QStringLiteral("7,5"));
    options->setCurrentIndex(0);
    QCOMPARE(sheet->cellText(1, 3), QStringLiteral("7,5"));
    // The runoff column comes back as it was.
    QCOMPARE(sheet->cellText(3, 0), QStringLiteral("0.97"));
    QCOMPARE(sheet->cellText(3, 29), QStringLiteral("0.61"));

    Box(form, "NrOfDataEdit")->setText(QStringLiteral("35"));
    LeaveBox(form, "NrOfDataEdit");
    QCOMPARE(Grid(form)->rowCount(), 35);
    QCOMPARE(sheet->cellText(1, 3), QStringLiteral("7,5"));
    QCOMPARE(sheet->cellText(0, 29), QStringLiteral("30"));
    QCOMPARE(sheet->cellText(0, 34), QStringLiteral("0"));
    QCOMPARE(sheet->cellText(3, 34), QStringLiteral("0"));
}

void SheetFaultsTest::clearAllLeavesNothingStale()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    dialogs.OpenNames = {ExamplePath("Catchment-wet-season.inp")};
    form.InputOpenActionExecute();
    QCOMPARE(Grid(form)->rowCount(), 121);
    auto *options = Child<QComboBox>(form, "OptionComboBox");
    options->setCurrentIndex(1);
    dialogs.SaveChoices = {TSaveChoice::Discard};
    Button(form, "ClearButton")->click();
    QCOMPARE(dialogs.SaveQuestions,
             QStringList{"The sheet has changes that are not saved. Save them?"});
    options->setCurrentIndex(0);
    QCOMPARE(Grid(form)->rowCount(), 15);
    for (int row = 0; row < 15; ++row)
        for (int col = 0; col < 4; ++col)
            QCOMPARE(Sheet(form)->cellText(col, row), QStringLiteral("0"));
}

void SheetFaultsTest::rowsTypedAfterClearAllShowTheRowRefused()
{
    // Two rows typed over the zeros of "Clear all": the third row's time 0 follows 2. The
    // message stays as it is; the row is then selected, in view, with the grid focused.
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    OpenFreshSheet(form);
    Button(form, "ClearButton")->click();
    QTableWidget *grid = Grid(form);
    const QStringList typed[] = {{"1", "2", "0.5", "1"}, {"2", "0", "0.5", "0.9"}};
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            Sheet(form)->setCellText(col, row, typed[row][col]);
    grid->setCurrentCell(1, 3);
    // The escape box, emptied by "Clear all", is filled last and keeps the focus.
    Box(form, "EscapeEdit")->setText(QStringLiteral("0.5"));
    Box(form, "EscapeEdit")->setFocus();
    QVERIFY(saveRun(form, dialogs, dir, "typed").isEmpty());
    QCOMPARE(dialogs.Messages,
             QStringList{"The input data were not saved due to input errors like negative "
                         "values or a non-sequential time series"});
    const QList<QTableWidgetSelectionRange> ranges = grid->selectedRanges();
    QCOMPARE(ranges.size(), 1);
    QCOMPARE(ranges[0].topRow(), 2);
    QCOMPARE(ranges[0].bottomRow(), 2);
    QCOMPARE(ranges[0].columnCount(), grid->columnCount());
    QCOMPARE(grid->currentRow(), 2);
    QCOMPARE(grid->currentColumn(), 0);
    QCOMPARE(QApplication::focusWidget(), grid);
}

void SheetFaultsTest::optionFollowsThePastedColumns()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    auto *options = Child<QComboBox>(form, "OptionComboBox");
    dialogs.Answers = {false, false};
    Sheet(form)->StringGrid1SetEditText(0, 0, FileText(DataPath("sheet-prediction.tsv")));
    QCOMPARE(options->currentIndex(), 1);
    QCOMPARE(Grid(form)->columnCount(), 3);
    QVERIFY(!DMQuellow.Analysis);
    QVERIFY(!Child<QWidget>(form, "AlphaGroupBox")->isHidden());
    QVERIFY(!Child<QWidget>(form, "AlfaButton")->isHidden());

    // One column pasted keeps the mode.
    dialogs.Answers = {true};
    Sheet(form)->StringGrid1SetEditText(1, 0, QStringLiteral("4\r\n5\r\n"));
    QCOMPARE(options->currentIndex(), 1);

    Sheet(form)->StringGrid1SetEditText(0, 0, Analysis30Rows());
    QCOMPARE(options->currentIndex(), 0);
    QCOMPARE(Grid(form)->columnCount(), 4);
    QVERIFY(DMQuellow.Analysis);
    QCOMPARE(DMQuellow.Runoff[29], 0.61);
    QVERIFY(Child<QWidget>(form, "AlphaGroupBox")->isHidden());
    QVERIFY(dialogs.Messages.isEmpty());
}

void SheetFaultsTest::tabBarAndPageStayInStep()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    OpenFreshSheet(form);
    Sheet(form)->StringGrid1SetEditText(0, 0, Analysis30Rows());
    QLineEdit *count = Box(form, "NrOfDataEdit");
    count->setFocus();
    if (QApplication::focusWidget() != count)
        QSKIP("the box cannot take the focus on this platform");
    count->setText(QStringLiteral("40"));
    auto *tabs = Child<QTabWidget>(form, "PageControl1");
    auto *bar = tabs->findChild<QTabBar *>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    QApplication::processEvents();
    QCOMPARE(dialogs.Messages.first(),
             QStringLiteral(" Add data in the last cells at the end of the column"));
    QCOMPARE(bar->currentIndex(), tabs->currentIndex());
    QCOMPARE(tabs->currentWidget(), tabs->widget(bar->currentIndex()));
    QCOMPARE(Grid(form)->rowCount(), 40);
    // A click on another tab goes there.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    QApplication::processEvents();
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    QCOMPARE(bar->currentIndex(), 3);
}

void SheetFaultsTest::sheetGrowsWithTheWindow()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    OpenFreshSheet(form);
    QApplication::processEvents();
    QTableWidget *grid = Grid(form);
    auto *save = Button(form, "SaveRunButton");
    // The given layout at the default size.
    QCOMPARE(grid->height(), 304);
    QCOMPARE(Box(form, "Title1Edit")->width(), 380);
    QCOMPARE(save->y(), 148 + 304 + 10);

    dialogs.OpenNames = {ExamplePath("Catchment-wet-season.inp")};
    form.InputOpenActionExecute();
    form.resize(1200, 880);
    QApplication::processEvents();
    // Whole rows, all of them on view when they fit, the buttons under the grid.
    QVERIFY(grid->height() >= 304 + 15 * 20);
    QCOMPARE((grid->height() - 4) % 20, 0);
    QVERIFY(save->y() >= grid->y() + grid->height());
    QVERIFY(save->y() + save->height() <= Sheet(form)->height());
    QVERIFY(Box(form, "Title1Edit")->width() > 800);
    auto *wait = Child<QPlainTextEdit>(form, "WaitMemo");
    QVERIFY(wait->x() >= Box(form, "Title1Edit")->x() + Box(form, "Title1Edit")->width());
    QVERIFY(wait->x() + wait->width() <= Sheet(form)->width());
}

QTEST_MAIN(SheetFaultsTest)
#include "SheetFaultsTest.moc"
