// The input sheet: the fresh sheet, pasting blocks from a spreadsheet, the number of data,
// the options list, "Clear all" and the checks of the boxes.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace quellow;
using namespace quellow::test;

class InputSheetTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }

    void freshSheetHasFifteenZeroRowsInAnalysisLayout();
    void headingsLineUpWithTheirColumns();
    void pasteOfThirtyLinesFillsThirtyRows();
    void pasteThroughTheCellEditor_data();
    void pasteThroughTheCellEditor();
    void tabStopsAtTheLastCell();
    void typedTextIsInTheCellAtOnce();
    void pasteKeepsBothDecimalSeparators_data();
    void pasteKeepsBothDecimalSeparators();
    void pasteLineBreaksOfEveryKind();
    void pasteFailsOnCellsThatAreNoNumbers_data();
    void pasteFailsOnCellsThatAreNoNumbers();
    void pasteSaysHowANumberThatReadsTwoWaysWasRead();
    void pasteOfFewerRowsAsksToKeepTheOriginalNumber();
    void pasteOfFiveRowsIntoFreshSheet();
    void pasteIntoALaterColumn();
    void numberOfDataLimits_data();
    void numberOfDataLimits();
    void raisingNumberOfDataAddsZeroRowsAndKeepsTyping();
    void loweringNumberOfDataOnlyTellsHow();
    void boxChecks_data();
    void boxChecks();
    void escapeRateMayBeNegativeInPrediction();
    void optionsSwitchTheLayout();
    void clearAllEmptiesTheSheet();
    void gridCopyAndCutGiveSpreadsheetText();
};

void InputSheetTest::freshSheetHasFifteenZeroRowsInAnalysisLayout()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    QTableWidget *grid = Grid(form);
    QCOMPARE(grid->rowCount(), 15);
    QCOMPARE(grid->columnCount(), 4);
    for (int row = 0; row < 15; ++row)
        for (int col = 0; col < 4; ++col)
            QCOMPARE(Sheet(form)->cellText(col, row), QStringLiteral("0"));
    QCOMPARE(form.findChild<QLineEdit *>("NrOfDataEdit")->text(), QStringLiteral("15"));
    QCOMPARE(DMQuellow.NrOfData, 15);
    QVERIFY(DMQuellow.Analysis);
    QCOMPARE(DMQuellow.ModeTag, std::string(" Ana"));
    QVERIFY(!Sheet(form)->DataShown);
    QVERIFY(form.findChild<QGroupBox *>("AlphaGroupBox")->isHidden());
    QVERIFY(form.findChild<QGroupBox *>("PredictGroupBox")->isHidden());
    QVERIFY(!form.findChild<QLabel *>("RunoffLabel")->isHidden());
    // The maximum escape rate that Save/Run checks is on view.
    QVERIFY(!form.findChild<QLineEdit *>("EscapeEdit")->isHidden());
    QVERIFY(form.findChild<QLineEdit *>("FileNameEdit")->isHidden());
    // The Intro tab put the model's start values in place.
    QCOMPARE(DMQuellow.MaxStor, 50.0);
    QCOMPARE(DMQuellow.InitStor, 50.0);
    QCOMPARE(DMQuellow.MaxEscape, 0.1);
    QVERIFY(dialogs.Messages.isEmpty());
}

void InputSheetTest::headingsLineUpWithTheirColumns()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.resize(675, 620);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    OpenFreshSheet(form);
    QTableWidget *grid = Grid(form);
    const char *headings[] = {"TimeLabel", "RainLabel", "EvapLabel", "RunoffLabel"};
    for (int option : {0, 1}) {
        form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(option);
        dialogs.Messages.clear();
        for (int col = 0; col < grid->columnCount(); ++col) {
            auto *heading = form.findChild<QLabel *>(headings[col]);
            const int columnLeft =
                grid->viewport()
                    ->mapTo(grid->parentWidget(), QPoint(grid->columnViewportPosition(col), 0))
                    .x();
            QVERIFY2(qAbs(heading->x() - columnLeft) <= 4, headings[col]);
            QVERIFY(heading->x() + heading->width() <= columnLeft + grid->columnWidth(col) + 16);
        }
    }
}

void InputSheetTest::pasteOfThirtyLinesFillsThirtyRows()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    QCOMPARE(Grid(form)->rowCount(), 30);
    QCOMPARE(DMQuellow.NrOfData, 30);
    QCOMPARE(form.findChild<QLineEdit *>("NrOfDataEdit")->text(), QStringLiteral("30"));
    QVERIFY(DMQuellow.Analysis);
    QCOMPARE(form.findChild<QComboBox *>("OptionComboBox")->currentIndex(), 0);
    QVERIFY(Sheet(form)->DataShown);
    QCOMPARE(Sheet(form)->PreviousCount, 30);
    QCOMPARE(Sheet(form)->cellText(0, 29), QStringLiteral("30"));
    QCOMPARE(Sheet(form)->cellText(1, 1), QStringLiteral("20"));
    QCOMPARE(Sheet(form)->cellText(2, 2), QStringLiteral("0.2"));
    QCOMPARE(Sheet(form)->cellText(3, 0), QStringLiteral("0.97"));
    QCOMPARE(DMQuellow.Time[29], 30.0);
    QCOMPARE(DMQuellow.Rain[2], 15.0);
    QCOMPARE(DMQuellow.Escape[2], 0.2);
    QCOMPARE(DMQuellow.Runoff[29], 0.61);
    QVERIFY(dialogs.Messages.isEmpty());
    QVERIFY(dialogs.Questions.isEmpty());
}

void InputSheetTest::pasteThroughTheCellEditor_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<bool>("keepRows");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("firstCell");
    QTest::addColumn<QStringList>("messages");
    QString twenty;
    for (int row = 1; row <= 20; ++row)
        twenty += QStringLiteral("%1\t9\t0.3\t7\r\n").arg(row * 10);
    QString tooLong;
    for (int row = 1; row <= 1501; ++row)
        tooLong += QStringLiteral("%1\t0\t0.1\t1\r\n").arg(row);
    QTest::newRow("fewer rows, kept") << twenty << true << 30 << "10" << QStringList();
    QTest::newRow("fewer rows, dropped") << twenty << false << 20 << "10" << QStringList();
    QTest::newRow("same first value")
        << FileText(DataPath("sheet-analysis.tsv")) << false << 30 << "1" << QStringList();
    QTest::newRow("over 1500 lines")
        << tooLong << false << 30 << "1"
        << QStringList{" The maximum number of data is 1500. Not enough? Split the series into "
                       "parts of at most 1500 data."};
}

void InputSheetTest::pasteThroughTheCellEditor()
{
    QFETCH(QString, block);
    QFETCH(bool, keepRows);
    QFETCH(int, rows);
    QFETCH(QString, firstCell);
    QFETCH(QStringList, messages);
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    QTableWidget *grid = Grid(form);
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QApplication::processEvents();
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->model()->index(0, 0)));
    QVERIFY(editor);
    // No question or message may open while the cell editor is still at work.
    bool editorOpenAtPrompt = false;
    dialogs.OnPrompt = [&] {
        for (QLineEdit *open : grid->findChildren<QLineEdit *>("GridCellEditor"))
            editorOpenAtPrompt = editorOpenAtPrompt || open->isVisible();
    };
    dialogs.Answers = {keepRows};
    QApplication::clipboard()->setText(block);
    editor->selectAll();
    editor->paste();
    QApplication::processEvents();
    QVERIFY(!editorOpenAtPrompt);
    QCOMPARE(grid->rowCount(), rows);
    QCOMPARE(Sheet(form)->cellText(0, 0), firstCell);
    QCOMPARE(dialogs.Messages, messages);
    // The raw block is never committed into the cell, whatever happens next.
    grid->setCurrentCell(5, 1);
    QApplication::processEvents();
    QCOMPARE(Sheet(form)->cellText(0, 0), firstCell);
}

void InputSheetTest::tabStopsAtTheLastCell()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    OpenFreshSheet(form);
    QTableWidget *grid = Grid(form);
    Sheet(form)->setCellText(0, 0, QStringLiteral("5"));
    grid->setFocus();
    grid->setCurrentCell(14, 3);
    QApplication::processEvents();
    QWidget *editor = grid->indexWidget(grid->model()->index(14, 3));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Tab);
    QApplication::processEvents();
    QCOMPARE(grid->currentRow(), 14);
    QCOMPARE(grid->currentColumn(), 3);
    QVERIFY(!grid->indexWidget(grid->model()->index(0, 0)));
    QCOMPARE(Sheet(form)->cellText(0, 0), QStringLiteral("5"));
    // Tab inside the grid still moves on.
    grid->setCurrentCell(3, 3);
    QApplication::processEvents();
    QTest::keyClick(grid->indexWidget(grid->model()->index(3, 3)), Qt::Key_Tab);
    QApplication::processEvents();
    QCOMPARE(grid->currentRow(), 4);
    QCOMPARE(grid->currentColumn(), 0);
}

void InputSheetTest::typedTextIsInTheCellAtOnce()
{
    // Save/Run from the File menu leaves the cell editor open: what it shows must already be
    // what the sheet holds.
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    OpenFreshSheet(form);
    QTableWidget *grid = Grid(form);
    grid->setFocus();
    grid->setCurrentCell(2, 1);
    QApplication::processEvents();
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->model()->index(2, 1)));
    QVERIFY(editor);
    QCOMPARE(editor->objectName(), QStringLiteral("GridCellEditor"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("7.25"));
    QCOMPARE(editor->text(), QStringLiteral("7.25"));
    QCOMPARE(Sheet(form)->cellText(1, 2), QStringLiteral("7.25"));
    // Typing in the middle stays in the middle.
    editor->setCursorPosition(0);
    QTest::keyClicks(editor, QStringLiteral("12"));
    QCOMPARE(editor->text(), QStringLiteral("127.25"));
    QCOMPARE(Sheet(form)->cellText(1, 2), QStringLiteral("127.25"));
    QVERIFY(Sheet(form)->DataShown);
    QVERIFY(dialogs.Messages.isEmpty());
}

void InputSheetTest::pasteKeepsBothDecimalSeparators_data()
{
    QTest::addColumn<char>("separator");
    QTest::newRow("point locale") << '.';
    QTest::newRow("comma locale") << ',';
}

void InputSheetTest::pasteKeepsBothDecimalSeparators()
{
    QFETCH(char, separator);
    DecimalSeparator = separator;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    QString text;
    for (int row = 1; row <= 15; ++row)
        text += QStringLiteral("%1\t2.5\t0,25\t1.5E1 mm\r\n").arg(row);
    Sheet(form)->StringGrid1SetEditText(0, 0, text);
    QVERIFY(dialogs.Messages.isEmpty());
    QCOMPARE(DMQuellow.Rain[0], 2.5);
    QCOMPARE(DMQuellow.Escape[14], 0.25);
    QCOMPARE(DMQuellow.Runoff[7], 15.0);
    QCOMPARE(Sheet(form)->cellText(1, 0), QStringLiteral("2.5"));
    QCOMPARE(Sheet(form)->cellText(3, 0), QStringLiteral("1.5E1"));
}

void InputSheetTest::pasteLineBreaksOfEveryKind()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    // LF only, a lone CR, and a last line without a line break.
    QString text;
    for (int row = 1; row <= 12; ++row)
        text += QStringLiteral("%1\t1\t0.1\t2\n").arg(row);
    text += QStringLiteral("13\t1\t0.1\t2\r14\t1\t0.1\t2\r\n15\t3\t0.2\t4");
    dialogs.Answers = {false};
    Sheet(form)->StringGrid1SetEditText(0, 0, text);
    QVERIFY(dialogs.Messages.isEmpty());
    QVERIFY(dialogs.Questions.isEmpty());
    QCOMPARE(Grid(form)->rowCount(), 15);
    QCOMPARE(DMQuellow.Time[12], 13.0);
    QCOMPARE(DMQuellow.Time[13], 14.0);
    QCOMPARE(DMQuellow.Runoff[14], 4.0);
}

void InputSheetTest::pasteFailsOnCellsThatAreNoNumbers_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("fractional time") << QStringLiteral("1.5\t1\t0.1\t2");
    QTest::newRow("rain in words") << QStringLiteral("2\tnone\t0.1\t2");
    QTest::newRow("thousands marks out of place") << QStringLiteral("2\t1,2,3\t0.1\t2");
    QTest::newRow("missing runoff") << QStringLiteral("2\t1\t0.1\t");
}

void InputSheetTest::pasteFailsOnCellsThatAreNoNumbers()
{
    QFETCH(QString, line);
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    form.showTab(TRainForm::TTab::Intro);
    QString text;
    for (int row = 0; row < 15; ++row)
        text += (row == 6 ? line : QStringLiteral("%1\t1\t0.1\t2").arg(row + 1)) +
                QStringLiteral("\r\n");
    Sheet(form)->StringGrid1SetEditText(0, 0, text);
    QCOMPARE(dialogs.Messages,
             QStringList{"An insufficient number of data has been pasted more data are needed."});
    QCOMPARE(form.currentTab(), TRainForm::TTab::Input);
}

void InputSheetTest::pasteSaysHowANumberThatReadsTwoWaysWasRead()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    QString text;
    for (int row = 1; row <= 15; ++row)
        text += QStringLiteral("%1\t1.002,5\t0.1\t%2\r\n")
                    .arg(row)
                    .arg(row == 3 ? QStringLiteral("1,234") : QStringLiteral("2"));
    Sheet(form)->StringGrid1SetEditText(0, 0, text);
    QCOMPARE(dialogs.Messages,
             QStringList{"The pasted runoff 1,234 reads two ways: it was read with a decimal "
                         "comma, as 1.234. Paste 1234 without a thousands mark if that is meant."});
    QCOMPARE(DMQuellow.Runoff[2], 1.234);
    QCOMPARE(DMQuellow.Rain[0], 1002.5);
}

void InputSheetTest::pasteOfFewerRowsAsksToKeepTheOriginalNumber()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    QString text;
    for (int row = 1; row <= 20; ++row)
        text += QStringLiteral("%1\t9\t0.3\t7\r\n").arg(row * 10);

    dialogs.Answers = {true};
    Sheet(form)->StringGrid1SetEditText(0, 0, text);
    QCOMPARE(dialogs.Questions,
             QStringList{"The number of data is less than the original number. Do you want to "
                         "maintain the original number?"});
    // Kept: rows 21 to 30 still hold what they had.
    QCOMPARE(Grid(form)->rowCount(), 30);
    QCOMPARE(DMQuellow.NrOfData, 30);
    QCOMPARE(DMQuellow.Time[19], 200.0);
    QCOMPARE(DMQuellow.Time[20], 21.0);
    QCOMPARE(DMQuellow.Runoff[29], 0.61);
    QCOMPARE(form.findChild<QLineEdit *>("NrOfDataEdit")->text(), QStringLiteral("30"));

    dialogs.Answers = {false};
    Sheet(form)->StringGrid1SetEditText(0, 0, text);
    QCOMPARE(dialogs.Questions.size(), 2);
    QCOMPARE(Grid(form)->rowCount(), 20);
    QCOMPARE(DMQuellow.NrOfData, 20);
    QCOMPARE(Sheet(form)->PreviousCount, 20);
    QCOMPARE(form.findChild<QLineEdit *>("NrOfDataEdit")->text(), QStringLiteral("20"));
    QVERIFY(dialogs.Messages.isEmpty());
}

void InputSheetTest::pasteOfFiveRowsIntoFreshSheet()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.Answers = {false};
    Sheet(form)->StringGrid1SetEditText(
        0, 0,
        QStringLiteral("1\t0\t0.1\t1\r\n2\t0\t0.1\t1\r\n3\t0\t0.1\t1\r\n"
                       "4\t0\t0.1\t1\r\n5\t0\t0.1\t1\r\n"));
    QCOMPARE(dialogs.Questions.size(), 1);
    QCOMPARE(dialogs.Messages, QStringList{" The minimum number of data is 12"});
    // The box shows the rows the sheet holds.
    QCOMPARE(form.findChild<QLineEdit *>("NrOfDataEdit")->text(), QStringLiteral("5"));
    QCOMPARE(Grid(form)->rowCount(), 5);
    QCOMPARE(DMQuellow.NrOfData, 5);
}

void InputSheetTest::pasteIntoALaterColumn()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    // One column of runoff pasted into the runoff column from row 2 on; a fifth value on a
    // line has no column to go to.
    QString text;
    for (int row = 2; row < 30; ++row)
        text += QStringLiteral("%1\t99\r\n").arg(row / 10.0);
    Sheet(form)->StringGrid1SetEditText(3, 2, text);
    QVERIFY(dialogs.Messages.isEmpty());
    QCOMPARE(Grid(form)->rowCount(), 30);
    QCOMPARE(DMQuellow.Runoff[1], 3.86);
    QCOMPARE(DMQuellow.Runoff[2], 0.2);
    QCOMPARE(DMQuellow.Runoff[29], 2.9);
    QCOMPARE(Grid(form)->columnCount(), 4);
}

void InputSheetTest::numberOfDataLimits_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("boxAfter");
    // After each refusal the box shows the 15 rows the sheet holds.
    QTest::newRow("11") << "11"
                        << " The minimum number of data is 12"
                        << "15";
    QTest::newRow("1501") << "1501"
                          << " The maximum number of data is 1500. Not enough? Split the series "
                             "into parts of at most 1500 data."
                          << "15";
    QTest::newRow("text") << "twenty"
                          << "The number of data is not a valid integer"
                          << "15";
    QTest::newRow("fraction") << "20.5"
                              << "The number of data is not a valid integer"
                              << "15";
}

void InputSheetTest::numberOfDataLimits()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, boxAfter);
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    auto *box = form.findChild<QLineEdit *>("NrOfDataEdit");
    box->setText(typed);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &leave);
    QCOMPARE(dialogs.Messages, QStringList{message});
    QCOMPARE(box->text(), boxAfter);
    QCOMPARE(Grid(form)->rowCount(), 15);
    QCOMPARE(DMQuellow.NrOfData, 15);
}

void InputSheetTest::raisingNumberOfDataAddsZeroRowsAndKeepsTyping()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    Sheet(form)->setCellText(1, 3, QStringLiteral("7,5"));
    Sheet(form)->StringGrid1SetEditText(1, 3, QStringLiteral("7,5"));
    auto *box = form.findChild<QLineEdit *>("NrOfDataEdit");
    box->setText(QStringLiteral("20"));
    LeaveBox(form, "NrOfDataEdit");
    QCOMPARE(dialogs.Messages.first(),
             QStringLiteral(" Add data in the last cells at the end of the column"));
    QCOMPARE(Grid(form)->rowCount(), 20);
    QCOMPARE(DMQuellow.NrOfData, 20);
    QCOMPARE(Sheet(form)->PreviousCount, 20);
    QCOMPARE(Sheet(form)->cellText(1, 3), QStringLiteral("7,5"));
    QCOMPARE(Sheet(form)->cellText(3, 19), QStringLiteral("0"));
    QCOMPARE(static_cast<int>(DMQuellow.Time.size()), 20);
}

void InputSheetTest::loweringNumberOfDataOnlyTellsHow()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    auto *box = form.findChild<QLineEdit *>("NrOfDataEdit");
    box->setText(QStringLiteral("25"));
    LeaveBox(form, "NrOfDataEdit");
    QCOMPARE(dialogs.Messages, QStringList{" To remove data make the relevant data cells empty"});
    QCOMPARE(box->text(), QStringLiteral("30"));
    QCOMPARE(Grid(form)->rowCount(), 30);
    QCOMPARE(DMQuellow.NrOfData, 30);
}

namespace {

double *modelValueOf(const QString &box)
{
    if (box == "MaxStorEdit")
        return &DMQuellow.MaxStor;
    if (box == "InitStorEdit")
        return &DMQuellow.InitStor;
    if (box == "EscapeEdit")
        return &DMQuellow.MaxEscape;
    if (box == "A1coeffEdit")
        return &ModelValues.A1;
    if (box == "A2CoeffEdit")
        return &ModelValues.A2;
    if (box == "B1valueEdit")
        return &ModelValues.B1;
    if (box == "B2ValueEdit")
        return &ModelValues.B2;
    if (box == "DivideEdit")
        return &ModelValues.Divide;
    if (box == "InitRunEdit")
        return &DMQuellow.InitRun;
    if (box == "InitLevelEdit")
        return &DMQuellow.InitLevel;
    if (box == "PorosityEdit")
        return &DMQuellow.Porosity;
    return nullptr;
}

} // namespace

void InputSheetTest::boxChecks_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("boxAfter");
    QTest::addColumn<double>("modelAfter"); // -777: unchanged

    // An unreadable text leaves the model value (33) as it was, and the box shows it.
    const double same = -777;
#define row(name) QTest::newRow(name)
    row("max storage unreadable") << "MaxStorEdit"
                                  << "lots"
                                  << "The maximum storage is not a valid real"
                                  << "33" << same;
    row("max storage negative") << "MaxStorEdit"
                                << "-1"
                                << "The maximum storage must be >= 0"
                                << "0" << 0.0;
    row("max storage comma") << "MaxStorEdit"
                             << "12,5"
                             << ""
                             << "12,5" << 12.5;
    row("max storage zero") << "MaxStorEdit"
                            << "0"
                            << ""
                            << "0" << 0.0;
    row("init storage unreadable") << "InitStorEdit"
                                   << ""
                                   << "The initial storage is not a valid real"
                                   << "33" << same;
    row("init storage negative") << "InitStorEdit"
                                 << "-0.1"
                                 << "The initial storage must be >= 0"
                                 << "0" << 0.0;
    row("escape unreadable") << "EscapeEdit"
                             << "x"
                             << "The escape rate is not a valid real"
                             << "33" << same;
    row("escape negative in analysis") << "EscapeEdit"
                                       << "-2"
                                       << "The escape rate must be >= 0"
                                       << "0" << 0.0;
    row("A1 unreadable") << "A1coeffEdit"
                         << "a"
                         << "The A1 coefficient is not a valid real"
                         << "33" << same;
    row("A1 negative") << "A1coeffEdit"
                       << "-0.5"
                       << ""
                       << "-0.5" << -0.5;
    row("A2 unreadable") << "A2CoeffEdit"
                         << "a"
                         << "The A2 coefficient is not a valid real"
                         << "33" << same;
    row("B1 unreadable") << "B1valueEdit"
                         << "b"
                         << "The B1 value is not a valid real"
                         << "33" << same;
    row("B2 unreadable") << "B2ValueEdit"
                         << "1.2.3"
                         << "The B2 value is not a valid real"
                         << "33" << same;
    row("B2 exponent") << "B2ValueEdit"
                       << "2e-3"
                       << ""
                       << "2e-3" << 0.002;
    row("divide unreadable") << "DivideEdit"
                             << "d"
                             << "The divide is not a valid real"
                             << "33" << same;
    row("divide negative") << "DivideEdit"
                           << "-1"
                           << "The divide must be >= 0"
                           << " 0" << 0.0;
    row("initial runoff unreadable") << "InitRunEdit"
                                     << "r"
                                     << "The initial runoff is not a valid real"
                                     << "33" << same;
    row("initial runoff negative") << "InitRunEdit"
                                   << "-3"
                                   << "The initial runoff must be >= 0"
                                   << "0" << 0.0;
    row("initial level unreadable") << "InitLevelEdit"
                                    << "l"
                                    << "The initial level is not a valid real"
                                    << "33" << same;
    row("initial level negative") << "InitLevelEdit"
                                  << "-3"
                                  << "The initial level must be >= 0"
                                  << "0" << 0.0;
    row("porosity unreadable") << "PorosityEdit"
                               << "p"
                               << "The porosity is not a valid real"
                               << "33" << same;
    row("porosity negative") << "PorosityEdit"
                             << "-1"
                             << "The porosity must be >= 0"
                             << " 5" << 5.0;
    row("porosity 150") << "PorosityEdit"
                        << "150"
                        << "The porosity must be < 100%"
                        << " 5" << 5.0;
    row("porosity 100") << "PorosityEdit"
                        << "100"
                        << ""
                        << "100" << 100.0;
    row("porosity 0") << "PorosityEdit"
                      << "0"
                      << ""
                      << "0" << 0.0;
    row("porosity nan") << "PorosityEdit"
                        << "nan"
                        << "The porosity is not a valid real"
                        << "33" << same;
#undef row
}

void InputSheetTest::boxChecks()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, boxAfter);
    QFETCH(double, modelAfter);
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    double *model = modelValueOf(box);
    QVERIFY(model);
    *model = 33;
    auto *edit = form.findChild<QLineEdit *>(box);
    QVERIFY(edit);
    edit->setText(typed);
    // Leaving the box runs its check.
    QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &leave);
    QCOMPARE(dialogs.Messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(edit->text(), boxAfter);
    QCOMPARE(*model, modelAfter == -777 ? 33.0 : modelAfter);

    // Leaving the window is not leaving the box.
    dialogs.Messages.clear();
    edit->setText(typed);
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(edit, &away);
    QVERIFY(dialogs.Messages.isEmpty());
}

void InputSheetTest::escapeRateMayBeNegativeInPrediction()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    form.findChild<QComboBox *>("OptionComboBox")->setCurrentIndex(1);
    auto *edit = form.findChild<QLineEdit *>("EscapeEdit");
    edit->setText(QStringLiteral("-0.4"));
    LeaveBox(form, "EscapeEdit");
    QVERIFY(dialogs.Messages.isEmpty());
    QCOMPARE(DMQuellow.MaxEscape, -0.4);
}

void InputSheetTest::optionsSwitchTheLayout()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    auto *options = form.findChild<QComboBox *>("OptionComboBox");
    options->setCurrentIndex(1);
    QVERIFY(!DMQuellow.Analysis);
    QCOMPARE(DMQuellow.ModeTag, std::string(" Pre"));
    QVERIFY(Sheet(form)->DataShown);
    QCOMPARE(Grid(form)->columnCount(), 3);
    QVERIFY(!form.findChild<QGroupBox *>("AlphaGroupBox")->isHidden());
    QVERIFY(!form.findChild<QGroupBox *>("PredictGroupBox")->isHidden());
    QVERIFY(form.findChild<QLabel *>("RunoffLabel")->isHidden());
    // A porosity of 0 shows as 10.
    QCOMPARE(form.findChild<QLineEdit *>("PorosityEdit")->text(), QStringLiteral("10"));
    // The calculator's button comes with the choice, before the list is left.
    QVERIFY(!form.findChild<QPushButton *>("AlfaButton")->isHidden());
    QVERIFY(!form.findChild<QLabel *>("AlfaMemo")->isHidden());
    LeaveBox(form, "OptionComboBox");
    QVERIFY(!form.findChild<QPushButton *>("AlfaButton")->isHidden());
    QVERIFY(dialogs.Messages.isEmpty());

    // Back to analysis: the sheet shows the model's rows, whose last runoff is 0.
    options->setCurrentIndex(0);
    QVERIFY(DMQuellow.Analysis);
    QCOMPARE(Grid(form)->columnCount(), 4);
    QCOMPARE(dialogs.Messages, QStringList{"Please check the runoff data."});
    QVERIFY(form.findChild<QPushButton *>("AlfaButton")->isHidden());
    LeaveBox(form, "OptionComboBox");
    QVERIFY(form.findChild<QPushButton *>("AlfaButton")->isHidden());
}

void InputSheetTest::clearAllEmptiesTheSheet()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    form.findChild<QLineEdit *>("Title1Edit")->setText(QStringLiteral("Catchment"));
    dialogs.SaveChoices = {TSaveChoice::Discard};
    Button(form, "ClearButton")->click();
    QCOMPARE(dialogs.SaveQuestions.size(), 1);
    // Nothing of the old data is left to pair with new rows: no runoff, no escape rate.
    for (const char *name :
         {"A1coeffEdit", "A2CoeffEdit", "B1valueEdit", "B2ValueEdit", "InitRunEdit",
          "InitLevelEdit", "MaxStorEdit", "InitStorEdit", "EscapeEdit", "Title1Edit", "Title2Edit"})
        QVERIFY2(form.findChild<QLineEdit *>(name)->text().isEmpty(), name);
    QCOMPARE(form.findChild<QLineEdit *>("PorosityEdit")->text(), QStringLiteral(" 5 "));
    QCOMPARE(form.findChild<QLineEdit *>("NrOfDataEdit")->text(), QStringLiteral("15"));
    QCOMPARE(Grid(form)->rowCount(), 15);
    QCOMPARE(Sheet(form)->cellText(0, 14), QStringLiteral("0"));
    QCOMPARE(Sheet(form)->cellText(2, 0), QStringLiteral("0"));
    QCOMPARE(Sheet(form)->cellText(3, 0), QStringLiteral("0"));
    QCOMPARE(Sheet(form)->cellText(3, 14), QStringLiteral("0"));
    QVERIFY(!Sheet(form)->DataShown);
    QCOMPARE(DMQuellow.NrOfData, 15);
    QVERIFY(dialogs.Messages.isEmpty());
}

void InputSheetTest::gridCopyAndCutGiveSpreadsheetText()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    QTableWidget *grid = Grid(form);
    grid->setFocus();
    QApplication::processEvents();
    grid->closePersistentEditor(grid->currentItem());
    grid->setFocus();
    grid->setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 3), true);
    if (QApplication::focusWidget() != grid)
        QSKIP("the grid cannot take the focus on this platform");
    form.findChild<QAction *>("EditCopyAction")->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("2\t20\t0.1\t3.86\r\n3\t15\t0.2\t6.22\r\n"));
    QCOMPARE(Sheet(form)->cellText(1, 2), QStringLiteral("15"));

    // Cut gives the same text and empties the cells, and only those.
    QApplication::clipboard()->clear();
    form.findChild<QAction *>("EditCutAction")->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("2\t20\t0.1\t3.86\r\n3\t15\t0.2\t6.22\r\n"));
    for (int row = 1; row <= 2; ++row)
        for (int col = 0; col < 4; ++col)
            QVERIFY(Sheet(form)->cellText(col, row).isEmpty());
    QCOMPARE(Sheet(form)->cellText(0, 0), QStringLiteral("1"));
    QCOMPARE(Sheet(form)->cellText(0, 3), QStringLiteral("4"));
}

QTEST_MAIN(InputSheetTest)
#include "InputSheetTest.moc"
