// Files in and out of the Output and Graphics tabs: "Open output", "Make graph", "Open graph"
// and "Save graph", their dialogs, checks and messages, and what each leaves on view.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include "ui/UGraphicsPage.h"

#include "ui/UGraphView.h"

#include <QAction>
#include <QImageReader>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace quellow;
using namespace quellow::test;

namespace {

QString Copy(const QTemporaryDir &dir, const char *name)
{
    const QString target = dir.filePath(QLatin1String(name));
    QFile::copy(DataPath(name), target);
    return target;
}

quint32 Le32(const QByteArray &bytes, int at)
{
    return quint32(quint8(bytes[at])) | quint32(quint8(bytes[at + 1])) << 8 |
           quint32(quint8(bytes[at + 2])) << 16 | quint32(quint8(bytes[at + 3])) << 24;
}

/// A window on the Graphics tab with the runoff chart of a prediction output on view.
struct TChartOnView
{
    QTemporaryDir Dir;
    TScriptedDialogs Dialogs;
    TRainForm Form;

    TChartOnView()
    {
        Form.IntroTabSheetShow();
        Form.showTab(TRainForm::TTab::Graphics);
        Dialogs.OpenNames = {Copy(Dir, "prediction-runoff.out")};
        Button(Form, "MakeGraphButton")->click();
        Button(Form, "GoButton3")->click();
        Dialogs.Messages.clear();
    }
    QImage Chart() { return Child<TGraphView>(Form, "GraphImage")->image(); }
};

} // namespace

class GraphFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }

    void openOutputShowsTheFileOnTheOutputTab();
    void openOutputFailuresKeepThePreviousLines();
    void makeGraphOffersThePanelOfTheFile_data();
    void makeGraphOffersThePanelOfTheFile();
    void makeGraphAfterAChartDropsIt();
    void saveGraphWritesTheChartAsBmp();
    void saveGraphWritesPngByItsExtension();
    void saveGraphCancelAndOverwriteQuestion();
    void saveGraphThatCannotBeWrittenSaysSo();
    void openGraphShowsASavedChartAsPicture();
    void openGraphFailures();
    void openGraphFromTheMenuOnTheInputTab();
};

void GraphFilesTest::openOutputShowsTheFileOnTheOutputTab()
{
    QTemporaryDir dir;
    const QString path = Copy(dir, "prediction-drainage.out");
    TScriptedDialogs dialogs;
    TRainForm form;
    form.IntroTabSheetShow();
    dialogs.OpenNames = {path};

    Button(form, "OutputOpenButton")->click();

    QVERIFY(dialogs.Messages.isEmpty());
    QCOMPARE(dialogs.OpenDialogs.size(), 1);
    QCOMPARE(dialogs.OpenDialogs[0].Filter, QStringLiteral("Output files (*.out)"));
    QCOMPARE(dialogs.OpenDialogs[0].DefaultExt, QStringLiteral("out"));
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    // One memo line per line of the file.
    QString expected = FileText(path);
    QVERIFY(expected.endsWith(QStringLiteral("\r\n")));
    expected.chop(2);
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(Child<QPlainTextEdit>(form, "OutputMemo")->toPlainText(), expected);
    QCOMPARE(QString::fromStdString(DMQuellow.OutFileName), path);
    QCOMPARE(QString::fromStdString(DMQuellow.FileName), path);
    QVERIFY(form.ResultsReady);
    QVERIFY(Shown(form, "ViewGraphButton"));
    QVERIFY(!Button(form, "CommentButton")->isEnabled());
    // The Output tab's own handler ran: the graphs wait for "View graph".
    QVERIFY(!form.graphicsPage()->SourceReady);
    // Every dialog now starts in the file's folder.
    QCOMPARE(form.DialogFolders.GraphSave, dir.path());
    QCOMPARE(form.DialogFolders.InputOpen, dir.path());

    // "View graph" offers the prediction charts of the file opened.
    Button(form, "ViewGraphButton")->click();
    QVERIFY(Shown(form, "Panel3"));
    QCOMPARE(Child<QRadioButton>(form, "RadioButton4")->text(),
             QStringLiteral("Watertable in time"));

    // The same from the File menu while the Output tab is in front: the lines of the new file.
    form.showTab(TRainForm::TTab::Output);
    const QString runoff = Copy(dir, "prediction-runoff.out");
    dialogs.OpenNames = {runoff};
    Child<QAction>(form, "OutputOpenAction")->trigger();
    QCOMPARE(Child<QPlainTextEdit>(form, "OutputMemo")->toPlainText().section('\n', 2, 2),
             QStringLiteral("Test catchment P"));
    QCOMPARE(form.statusText(),
             QStringLiteral("The output file can be inspected. Use \"Open output\" "
                            "to see examples under \"Data\" or to inspect any "
                            "other output file."));
}

void GraphFilesTest::openOutputFailuresKeepThePreviousLines()
{
    QTemporaryDir dir;
    const QString path = Copy(dir, "prediction-runoff.out");
    TScriptedDialogs dialogs;
    TRainForm form;
    form.IntroTabSheetShow();
    dialogs.OpenNames = {path};
    form.OutputOpenActionExecute();
    auto *memo = Child<QPlainTextEdit>(form, "OutputMemo");
    const QString before = memo->toPlainText();
    form.showTab(TRainForm::TTab::Input);

    // Cancelled: nothing changes, not even the tab.
    form.OutputOpenActionExecute();
    QCOMPARE(dialogs.Messages, QStringList{"No output file selected"});
    QCOMPARE(form.currentTab(), TRainForm::TTab::Input);

    // A name typed for a file that does not exist: the message with its comma, then the
    // Output tab with the lines shown before.
    dialogs.Messages.clear();
    const QString missing = dir.filePath(QStringLiteral("missing.out"));
    dialogs.OpenNames = {missing};
    form.OutputOpenActionExecute();
    QCOMPARE(dialogs.Messages, QStringList{"File does not exist, please select another one,"});
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    QCOMPARE(memo->toPlainText(), before);
    QCOMPARE(QString::fromStdString(DMQuellow.OutFileName), missing);

    // Its charts then report the failed read and draw nothing.
    dialogs.Messages.clear();
    Button(form, "ViewGraphButton")->click();
    QCOMPARE(dialogs.Messages.size(), 1);
    QVERIFY(dialogs.Messages[0].startsWith("The file \"" + missing + "\""));
    QVERIFY(!Shown(form, "Panel1"));
    QVERIFY(!Shown(form, "Panel3"));

    // A file that is no text file: the loader's message, the old lines stay.
    form.showTab(TRainForm::TTab::Output);
    const QString binary = dir.filePath(QStringLiteral("binary.out"));
    WriteFileBytes(binary, QByteArray("RESULTS\0\x01\x02", 10));
    dialogs.Messages.clear();
    dialogs.OpenNames = {binary};
    form.OutputOpenActionExecute();
    QCOMPARE(dialogs.Messages.size(), 1);
    QVERIFY(dialogs.Messages[0].startsWith("The file \"" + binary + "\" could not be opened."));
    QCOMPARE(memo->toPlainText(), before);
}

void GraphFilesTest::makeGraphOffersThePanelOfTheFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("analysis");
    QTest::addColumn<QString>("fourth");
    QTest::newRow("analysis") << "Example-analysis.out" << true << "Watertable in time";
    QTest::newRow("prediction, drainage")
        << "prediction-drainage.out" << false << "Watertable in time";
    QTest::newRow("prediction, runoff") << "prediction-runoff.out" << false << "Reservoir storage";
}

void GraphFilesTest::makeGraphOffersThePanelOfTheFile()
{
    QFETCH(QString, file);
    QFETCH(bool, analysis);
    QFETCH(QString, fourth);
    QTemporaryDir dir;
    const QString path = Copy(dir, qPrintable(file));
    TScriptedDialogs dialogs;
    TRainForm form;
    form.IntroTabSheetShow();
    form.showTab(TRainForm::TTab::Graphics);
    dialogs.OpenNames = {path};

    Button(form, "MakeGraphButton")->click();

    QVERIFY2(dialogs.Messages.isEmpty(), qPrintable(dialogs.Messages.join('|')));
    QCOMPARE(dialogs.OpenDialogs[0].Filter, QStringLiteral("Output files (*.out)"));
    QCOMPARE(form.currentTab(), TRainForm::TTab::Graphics);
    QCOMPARE(Shown(form, "Panel1"), analysis);
    QCOMPARE(Shown(form, "Panel3"), !analysis);
    QCOMPARE(Child<QRadioButton>(form, "RadioButton4")->text(), fourth);
    QVERIFY(!Button(form, "SelectButton")->isEnabled());
    QVERIFY(form.graphicsPage()->SourceReady);
    QVERIFY(form.ResultsReady);
    QCOMPARE(form.statusText(),
             QStringLiteral("The output file can be imported into spreadsheets"));
    QCOMPARE(Child<QPlainTextEdit>(form, "OutputMemo")->toPlainText().section('\n', 0, 0),
             QStringLiteral("RESULTS OF Quellow PROGRAM"));
    QCOMPARE(QString::fromStdString(DMQuellow.OutFileName), path);

    // Cancelling a second "Make graph" keeps the panel.
    dialogs.Messages.clear();
    Button(form, "MakeGraphButton")->click();
    QCOMPARE(dialogs.Messages, QStringList{"No output file selected"});
    QCOMPARE(Shown(form, "Panel1"), analysis);
}

void GraphFilesTest::makeGraphAfterAChartDropsIt()
{
    TChartOnView view;
    QVERIFY(Shown(view.Form, "GraphImage"));
    view.Dialogs.OpenNames = {Copy(view.Dir, "Example-analysis.out")};
    Button(view.Form, "MakeGraphButton")->click();
    QVERIFY(!Shown(view.Form, "GraphImage"));
    QVERIFY(Shown(view.Form, "Panel1"));
    QVERIFY(!Shown(view.Form, "Panel3"));
    QVERIFY(!Button(view.Form, "SaveGraphButton")->isEnabled());
    QVERIFY(!Button(view.Form, "SelectButton")->isEnabled());
}

void GraphFilesTest::saveGraphWritesTheChartAsBmp()
{
    TChartOnView view;
    const QString path = view.Dir.filePath(QStringLiteral("chart.bmp"));
    view.Dialogs.SaveNames = {path};

    Button(view.Form, "SaveGraphButton")->click();

    QCOMPARE(view.Dialogs.SaveDialogs.size(), 1);
    // BMP first and the default; PNG beside it.
    QCOMPARE(view.Dialogs.SaveDialogs[0].Filter,
             QStringLiteral("Image files (*.bmp);;PNG images (*.png)"));
    QCOMPARE(view.Dialogs.SaveDialogs[0].DefaultExt, QStringLiteral("bmp"));
    QCOMPARE(view.Dialogs.Messages, QStringList{"The graph was saved in  " + path});

    // A 24-bit Windows bitmap of 623 x 465 pixels at 96 dpi holding the chart on view.
    const QByteArray bytes = FileBytes(path);
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(Le32(bytes, 2), quint32(bytes.size()));
    QCOMPARE(Le32(bytes, 18), 623u);
    QCOMPARE(Le32(bytes, 22), 465u);
    QCOMPARE(int(quint8(bytes[28])), 24);
    QCOMPARE(Le32(bytes, 38), 3780u);
    // Rows of 623 * 3 bytes padded to 1872.
    QCOMPARE(bytes.size(), int(Le32(bytes, 10)) + 1872 * 465);
    QImage read(path, "BMP");
    QVERIFY(read.convertToFormat(QImage::Format_RGB32) == view.Chart());
    QCOMPARE(view.Form.DialogFolders.OutputOpen, view.Dir.path());

    // A name without extension is a BMP file.
    view.Dialogs.Messages.clear();
    view.Dialogs.SaveNames = {view.Dir.filePath(QStringLiteral("plain"))};
    Button(view.Form, "SaveGraphButton")->click();
    QCOMPARE(view.Dialogs.Messages, QStringList{"The graph was saved in  " +
                                                view.Dir.filePath(QStringLiteral("plain.bmp"))});
    QCOMPARE(FileBytes(view.Dir.filePath(QStringLiteral("plain.bmp"))), bytes);
}

void GraphFilesTest::saveGraphWritesPngByItsExtension()
{
    TChartOnView view;
    const QString path = view.Dir.filePath(QStringLiteral("chart.PNG"));
    view.Dialogs.SaveNames = {path};
    Child<QAction>(view.Form, "GraphSaveAction")->trigger();
    QCOMPARE(view.Dialogs.Messages, QStringList{"The graph was saved in  " + path});
    const QByteArray bytes = FileBytes(path);
    QCOMPARE(bytes.left(8), QByteArray("\x89PNG\r\n\x1a\n"));
    QImage read(path, "PNG");
    QCOMPARE(read.size(), QSize(623, 465));
    QVERIFY(read.convertToFormat(QImage::Format_RGB32) == view.Chart());

    // An extension that is neither: a clear message, no file.
    view.Dialogs.Messages.clear();
    const QString jpeg = view.Dir.filePath(QStringLiteral("chart.jpg"));
    view.Dialogs.SaveNames = {jpeg};
    Child<QAction>(view.Form, "GraphSaveAction")->trigger();
    QCOMPARE(view.Dialogs.Messages.size(), 1);
    QVERIFY(view.Dialogs.Messages[0].contains(jpeg));
    QVERIFY(!QFile::exists(jpeg));
}

void GraphFilesTest::saveGraphCancelAndOverwriteQuestion()
{
    TChartOnView view;
    const QString path = view.Dir.filePath(QStringLiteral("old.bmp"));
    WriteFileBytes(path, QByteArray("an older file"));

    // Cancelled.
    Button(view.Form, "SaveGraphButton")->click();
    QCOMPARE(view.Dialogs.Messages, QStringList{"The graph was not saved"});
    QVERIFY(Shown(view.Form, "GraphImage"));
    QVERIFY(Button(view.Form, "SaveGraphButton")->isEnabled());

    // Existing file, "No": untouched, nothing said.
    view.Dialogs.Messages.clear();
    view.Dialogs.SaveNames = {path};
    view.Dialogs.Answers = {false};
    Button(view.Form, "SaveGraphButton")->click();
    QCOMPARE(view.Dialogs.Questions, QStringList{"The file already exists, overwrite?"});
    QVERIFY(view.Dialogs.Messages.isEmpty());
    QCOMPARE(FileBytes(path), QByteArray("an older file"));

    // "Yes": replaced by the chart.
    view.Dialogs.SaveNames = {path};
    view.Dialogs.Answers = {true};
    Button(view.Form, "SaveGraphButton")->click();
    QCOMPARE(view.Dialogs.Messages, QStringList{"The graph was saved in  " + path});
    QCOMPARE(FileBytes(path).left(2), QByteArray("BM"));
    QVERIFY(QImage(path).convertToFormat(QImage::Format_RGB32) == view.Chart());
}

void GraphFilesTest::saveGraphThatCannotBeWrittenSaysSo()
{
    TChartOnView view;
    // The folder named is a file: nothing can be written there.
    const QString notAFolder = view.Dir.filePath(QStringLiteral("file"));
    WriteFileBytes(notAFolder, QByteArray("x"));
    const QString path = notAFolder + QStringLiteral("/chart.bmp");
    view.Dialogs.SaveNames = {path};
    Button(view.Form, "SaveGraphButton")->click();
    QCOMPARE(view.Dialogs.Messages,
             QStringList{"The graph could not be saved in \"" + path + "\"."});
    QVERIFY(Shown(view.Form, "GraphImage"));
    QVERIFY(Button(view.Form, "SaveGraphButton")->isEnabled());
    QCOMPARE(view.Form.DialogFolders.GraphSave, view.Dir.path());
    QCOMPARE(FileBytes(notAFolder), QByteArray("x"));
}

void GraphFilesTest::openGraphShowsASavedChartAsPicture()
{
    TChartOnView view;
    TRainForm &form = view.Form;
    const QString bmp = view.Dir.filePath(QStringLiteral("saved.bmp"));
    const QString png = view.Dir.filePath(QStringLiteral("saved.png"));
    view.Dialogs.SaveNames = {bmp};
    Button(form, "SaveGraphButton")->click();
    view.Dialogs.SaveNames = {png};
    Button(form, "SaveGraphButton")->click();
    const QImage chart = view.Chart();
    view.Dialogs.Messages.clear();

    for (const QString &path : {bmp, png}) {
        form.showTab(TRainForm::TTab::Graphics);
        view.Dialogs.OpenNames = {path};
        Button(form, "SeeGraphButton")->click();
        QVERIFY2(view.Dialogs.Messages.isEmpty(), qPrintable(view.Dialogs.Messages.join('|')));
        QVERIFY(view.Dialogs.OpenDialogs.last().Filter.startsWith(
            QStringLiteral("Graph files (*.bmp *.png)")));
        QCOMPARE(view.Dialogs.OpenDialogs.last().DefaultExt, QStringLiteral("bmp"));
        QVERIFY(Shown(form, "PictureImage"));
        QVERIFY(!Shown(form, "GraphImage"));
        QVERIFY(!Shown(form, "Panel3"));
        QVERIFY(!Button(form, "SaveGraphButton")->isEnabled());
        QVERIFY(!Button(form, "SelectButton")->isEnabled());
        QCOMPARE(QString::fromStdString(DMQuellow.FileName), path);
        const auto *picture = Child<TGraphView>(form, "PictureImage");
        QVERIFY(picture->image().convertToFormat(QImage::Format_RGB32) == chart);
        QCOMPARE(picture->shownRect(), QRect(0, 0, 623, 465));

        // Saving is not possible until the next chart.
        Child<QAction>(form, "GraphSaveAction")->trigger();
        QVERIFY(view.Dialogs.SaveDialogs.size() == 2);

        // Showing the tab again drops the picture.
        form.showTab(TRainForm::TTab::Output);
        form.showTab(TRainForm::TTab::Graphics);
        QVERIFY(!Shown(form, "PictureImage"));
    }

    // A picture larger than the view is shown reduced, in its proportions.
    const QString big = view.Dir.filePath(QStringLiteral("big.png"));
    QImage large(1246, 1000, QImage::Format_RGB32);
    large.fill(Qt::red);
    QVERIFY(large.save(big));
    view.Dialogs.OpenNames = {big};
    Button(form, "SeeGraphButton")->click();
    QCOMPARE(Child<TGraphView>(form, "PictureImage")->shownRect().size(), QSize(579, 465));
}

void GraphFilesTest::openGraphFailures()
{
    TChartOnView view;
    TRainForm &form = view.Form;

    // A file that is no picture: a message naming it, the tab as it was.
    const QString text = view.Dir.filePath(QStringLiteral("notes.bmp"));
    WriteFileBytes(text, QByteArray("BM but no bitmap\r\n"));
    const QString folder = form.DialogFolders.GraphOpen;
    view.Dialogs.OpenNames = {text};
    Button(form, "SeeGraphButton")->click();
    QCOMPARE(view.Dialogs.Messages,
             QStringList{"The graph file \"" + text + "\" could not be read as a picture."});
    QVERIFY(!Shown(form, "PictureImage"));
    QVERIFY(Shown(form, "GraphImage"));
    QVERIFY(Button(form, "SaveGraphButton")->isEnabled());
    QVERIFY(Button(form, "SelectButton")->isEnabled());
    QCOMPARE(form.DialogFolders.GraphOpen, folder);
    QCOMPARE(FileBytes(text), QByteArray("BM but no bitmap\r\n"));

    // The same with the choice on view: the panel stays.
    Button(form, "SelectButton")->click();
    view.Dialogs.OpenNames = {text};
    Button(form, "SeeGraphButton")->click();
    QVERIFY(Shown(form, "Panel3"));
    QVERIFY(!Button(form, "SelectButton")->isEnabled());

    // Cancelled: the panels are gone and nothing can be saved or selected.
    view.Dialogs.Messages.clear();
    Button(form, "SeeGraphButton")->click();
    QCOMPARE(view.Dialogs.Messages, QStringList{"No graphics file selected"});
    QVERIFY(!Shown(form, "Panel3"));
    QVERIFY(!Button(form, "SelectButton")->isEnabled());
    QVERIFY(!Button(form, "SaveGraphButton")->isEnabled());

    // Missing file: the message without comma; FileName names it.
    view.Dialogs.Messages.clear();
    const QString missing = view.Dir.filePath(QStringLiteral("missing.bmp"));
    view.Dialogs.OpenNames = {missing};
    Button(form, "SeeGraphButton")->click();
    QCOMPARE(view.Dialogs.Messages, QStringList{"File does not exist, please select another one"});
    QCOMPARE(QString::fromStdString(DMQuellow.FileName), missing);
    QVERIFY(!Shown(form, "PictureImage"));
}

void GraphFilesTest::openGraphFromTheMenuOnTheInputTab()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    QImage image(100, 80, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    QVERIFY(image.save(path));
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {path};

    Child<QAction>(form, "GraphOpenAction")->trigger();

    QVERIFY(dialogs.Messages.isEmpty());
    QCOMPARE(form.currentTab(), TRainForm::TTab::Graphics);
    QVERIFY(Shown(form, "PictureImage"));
    QVERIFY(!Shown(form, "Panel1"));
    QVERIFY(!Shown(form, "Panel3"));
    QVERIFY(!Button(form, "SaveGraphButton")->isEnabled());
    QCOMPARE(Child<TGraphView>(form, "PictureImage")->shownRect(), QRect(0, 0, 100, 80));
    QCOMPARE(form.DialogFolders.InputSave, dir.path());
}

QTEST_MAIN(GraphFilesTest)
#include "GraphFilesTest.moc"
