// The Graphics tab: the choice of chart per output mode, the "Go" buttons, "Select graph",
// "Comment", the Output tab's "View graph" and what each tab change leaves on view.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include "ui/UGraphicsPage.h"

#include "graphics/UChartDrawing.h"
#include "ui/UCommentForm.h"
#include "ui/UGraphView.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace quellow;
using namespace quellow::test;

namespace {

TGraphView *View(TRainForm &form, const char *name)
{
    return Child<TGraphView>(form, name);
}

/// Copies test data files into dir; returns the path of the first.
QString CopyData(const QTemporaryDir &dir, std::initializer_list<const char *> names)
{
    QString first;
    for (const char *name : names) {
        const QString target = dir.filePath(QLatin1String(name));
        QFile::copy(DataPath(name), target);
        if (first.isEmpty())
            first = target;
    }
    return first;
}

/// An analysis of the sheet's example series, saved and run as a person does it.
void RunAnalysis(TRainForm &form, TScriptedDialogs &dialogs, const QTemporaryDir &dir)
{
    OpenFreshSheet(form);
    PasteFile(form, "sheet-analysis.tsv");
    // What the storage boxes show is what the run uses.
    form.findChild<QLineEdit *>("MaxStorEdit")->setText(QStringLiteral("3"));
    form.findChild<QLineEdit *>("InitStorEdit")->setText(QStringLiteral("0.5"));
    dialogs.SaveNames = {dir.filePath(QStringLiteral("ana.inp"))};
    form.InputSaveActionExecute();
}

/// A prediction example opened from Data/, saved and run.
void RunPrediction(TRainForm &form, TScriptedDialogs &dialogs, const QTemporaryDir &dir,
                   const char *example)
{
    OpenFreshSheet(form);
    dialogs.OpenNames = {ExamplePath(example)};
    form.InputOpenActionExecute();
    dialogs.SaveNames = {dir.filePath(QStringLiteral("pred.inp"))};
    form.InputSaveActionExecute();
}

/// The chart the drawing code makes of the current output file, drawn on its own.
QImage ExpectedChart(int kind, UChartDrawing::TChartSource source)
{
    QImage image = UChartDrawing::newChartImage();
    if (!UChartDrawing::makeChart(kind, image, source))
        return {};
    return image;
}

} // namespace

class GraphTabTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }

    void tabRightAfterStartUp();
    void viewGraphAfterAnAnalysis();
    void viewGraphAfterPredictions_data();
    void viewGraphAfterPredictions();
    void everyGoDrawsTheChartOfTheDrawingCode_data();
    void everyGoDrawsTheChartOfTheDrawingCode();
    void rechargeRunoffEnablesCommentAndSelectTakesItBack();
    void alphaChartKeepsTheDivideOfItsFile();
    void goSitsAtOnePlaceAndButtonTextsFit();
    void showingTheTabAgainDropsTheChart();
    void unreadableOutputDrawsNothing();
    void radioChoicesSurviveAndPanelsExcludeEachOtherOnly();
    void highDensityScreensEnlargeWithoutBlur();
    void chartStaysCentredInALargerWindow();
};

void GraphTabTest::tabRightAfterStartUp()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.IntroTabSheetShow();
    form.showTab(TRainForm::TTab::Graphics);

    QVERIFY(!Shown(form, "Panel1"));
    QVERIFY(!Shown(form, "Panel3"));
    QVERIFY(!Shown(form, "GraphImage"));
    QVERIFY(!Shown(form, "PictureImage"));
    QVERIFY(Shown(form, "SeeGraphButton"));
    QVERIFY(Shown(form, "MakeGraphButton"));
    QVERIFY(!Button(form, "SelectButton")->isEnabled());
    QVERIFY(!Button(form, "CommentButton")->isEnabled());
    QVERIFY(!Button(form, "SaveGraphButton")->isEnabled());
    QVERIFY(!Child<QAction>(form, "GraphSaveAction")->isEnabled());
    QVERIFY(!Child<QAction>(form, "InputSaveAction")->isEnabled());
    QCOMPARE(form.statusText(),
             QStringLiteral("Graphics presentations of output data can be seen and saved. Use "
                            "\"Make graph\" to open an output file and make the graphs."));
    // The captions of the tab.
    QCOMPARE(Button(form, "SeeGraphButton")->text(), QStringLiteral("Open graph"));
    QCOMPARE(Button(form, "MakeGraphButton")->text(), QStringLiteral("Make graph"));
    QCOMPARE(Button(form, "SaveGraphButton")->text(), QStringLiteral("Save graph"));
    QCOMPARE(Button(form, "SelectButton")->text(), QStringLiteral("Select graph"));
    QCOMPARE(Button(form, "CommentButton")->text(), QStringLiteral("Comment"));
    QCOMPARE(Child<QGroupBox>(form, "RadioGroup1")->title(), QStringLiteral("Select graph"));
    QCOMPARE(Child<QGroupBox>(form, "RadioGroup3")->title(), QStringLiteral("Select graph"));
    QCOMPARE(View(form, "GraphImage")->size(), QSize(623, 465));
    QVERIFY(dialogs.Messages.isEmpty());
}

void GraphTabTest::viewGraphAfterAnAnalysis()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    RunAnalysis(form, dialogs, dir);
    QCOMPARE(form.currentTab(), TRainForm::TTab::Output);
    QVERIFY(Shown(form, "ViewGraphButton"));

    Button(form, "ViewGraphButton")->click();

    QCOMPARE(form.currentTab(), TRainForm::TTab::Graphics);
    QVERIFY(Shown(form, "Panel1"));
    QVERIFY(!Shown(form, "Panel3"));
    QVERIFY(!Button(form, "SelectButton")->isEnabled());
    QCOMPARE(Child<QRadioButton>(form, "RunoffRadioButton")->text(),
             QStringLiteral("Runoff in time"));
    QCOMPARE(Child<QRadioButton>(form, "RechRadioButton")->text(), QStringLiteral("Rain/Recharge"));
    QCOMPARE(Child<QRadioButton>(form, "AlphaRadioButton")->text(),
             QStringLiteral("Alpha and runoff"));
    QCOMPARE(Child<QRadioButton>(form, "CalcObsRadioButton")->text(),
             QStringLiteral("Observed-calculated"));
    QCOMPARE(Child<QRadioButton>(form, "RainRunRadioButton")->text(),
             QStringLiteral("Recharge-Runoff"));
    QVERIFY(Child<QRadioButton>(form, "RunoffRadioButton")->isChecked());
    QCOMPARE(Button(form, "GoButton1")->text(), QStringLiteral("Go"));
    QVERIFY(Button(form, "GoButton1")->font().bold());
}

void GraphTabTest::viewGraphAfterPredictions_data()
{
    QTest::addColumn<QString>("example");
    QTest::addColumn<QString>("fourth");
    QTest::newRow("drainage") << "Example-prediction-drainage.inp"
                              << "Watertable in time";
    QTest::newRow("runoff") << "Example-prediction-runoff.inp"
                            << "Reservoir storage";
}

void GraphTabTest::viewGraphAfterPredictions()
{
    QFETCH(QString, example);
    QFETCH(QString, fourth);
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    RunPrediction(form, dialogs, dir, qPrintable(example));
    QVERIFY2(Shown(form, "ViewGraphButton"), qPrintable(dialogs.Messages.join('|')));

    Button(form, "ViewGraphButton")->click();

    QVERIFY(Shown(form, "Panel3"));
    QVERIFY(!Shown(form, "Panel1"));
    QCOMPARE(Child<QRadioButton>(form, "RadioButton3")->text(), QStringLiteral("Runoff in time"));
    QCOMPARE(Child<QRadioButton>(form, "RadioButton4")->text(), fourth);
    QCOMPARE(Child<QRadioButton>(form, "RadioButton5")->text(), QStringLiteral("Rain/Recharge"));
    QCOMPARE(Button(form, "GoButton3")->text(), QStringLiteral("Go"));
    QVERIFY(!Button(form, "SelectButton")->isEnabled());
}

void GraphTabTest::everyGoDrawsTheChartOfTheDrawingCode_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("go");
    QTest::addColumn<int>("kind");
    const QString analysis = QStringLiteral("Example-analysis.out");
    const QString drainage = QStringLiteral("prediction-drainage.out");
    QTest::newRow("runoff in time") << analysis << "RunoffRadioButton"
                                    << "GoButton1" << 1;
    QTest::newRow("rain/recharge") << analysis << "RechRadioButton"
                                   << "GoButton1" << 3;
    QTest::newRow("alpha and runoff") << analysis << "AlphaRadioButton"
                                      << "GoButton1" << 6;
    QTest::newRow("observed-calculated") << analysis << "CalcObsRadioButton"
                                         << "GoButton1" << 7;
    QTest::newRow("recharge-runoff") << analysis << "RainRunRadioButton"
                                     << "GoButton1" << 8;
    QTest::newRow("predicted runoff") << drainage << "RadioButton3"
                                      << "GoButton3" << 2;
    QTest::newRow("prediction rain/recharge") << drainage << "RadioButton5"
                                              << "GoButton3" << 4;
    QTest::newRow("water table") << drainage << "RadioButton4"
                                 << "GoButton3" << 5;
}

void GraphTabTest::everyGoDrawsTheChartOfTheDrawingCode()
{
    QFETCH(QString, output);
    QFETCH(QString, radio);
    QFETCH(QString, go);
    QFETCH(int, kind);
    QTemporaryDir dir;
    const QString path = CopyData(dir, {qPrintable(output), "Example-analysis.dat"});
    TScriptedDialogs dialogs;
    TRainForm form;
    form.IntroTabSheetShow();
    form.showTab(TRainForm::TTab::Graphics);
    dialogs.OpenNames = {path};
    Button(form, "MakeGraphButton")->click();

    Child<QRadioButton>(form, qPrintable(radio))->setChecked(true);
    Button(form, qPrintable(go))->click();

    QVERIFY2(dialogs.Messages.isEmpty(), qPrintable(dialogs.Messages.join('|')));
    QCOMPARE(int(form.graphicsPage()->GraphKind), kind);
    QVERIFY(Shown(form, "GraphImage"));
    QVERIFY(!Shown(form, "Panel1"));
    QVERIFY(!Shown(form, "Panel3"));
    QVERIFY(Button(form, "SelectButton")->isEnabled());
    QVERIFY(Button(form, "SaveGraphButton")->isEnabled());
    QVERIFY(Child<QAction>(form, "GraphSaveAction")->isEnabled());
    QCOMPARE(Button(form, "CommentButton")->isEnabled(), kind == 8);

    // The bitmap on view is the one the drawing code makes of this file, pixel for pixel.
    const QImage shown = View(form, "GraphImage")->image();
    QCOMPARE(shown.size(), QSize(623, 465));
    const QImage expected = ExpectedChart(kind, UChartDrawing::TChartSource::FilesOnly);
    QVERIFY(!expected.isNull());
    QVERIFY(shown == expected);
    // The plot panel holds more than its dark blue: the series are drawn.
    int painted = 0;
    for (int y = 70; y < 390; ++y)
        for (int x = 71; x < 570; ++x)
            painted += shown.pixelColor(x, y) != QColor(0, 0, 139);
    QVERIFY2(painted > 100, qPrintable(QString::number(painted)));
}

void GraphTabTest::alphaChartKeepsTheDivideOfItsFile()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    RunAnalysis(form, dialogs, dir);
    Button(form, "ViewGraphButton")->click();
    Child<QRadioButton>(form, "AlphaRadioButton")->setChecked(true);
    Button(form, "GoButton1")->click();
    const QImage first = View(form, "GraphImage")->image();
    QVERIFY(!first.isNull());

    // A divide typed later (a prediction box, another file) does not move the chart's
    // dotted segment, and drawing does not change the model's divide.
    for (const double later : {0.0, 1e6}) {
        ModelValues.Divide = later;
        Button(form, "SelectButton")->click();
        Button(form, "GoButton1")->click();
        QVERIFY(View(form, "GraphImage")->image() == first);
        QCOMPARE(ModelValues.Divide, later);
    }
}

void GraphTabTest::goSitsAtOnePlaceAndButtonTextsFit()
{
    TRainForm form;
    auto *page = Child<QWidget>(form, "GraphicsTabSheet");
    QPushButton *go1 = Button(form, "GoButton1");
    QPushButton *go3 = Button(form, "GoButton3");
    QCOMPARE(go1->mapTo(page, QPoint()), go3->mapTo(page, QPoint()));
    QCOMPARE(go1->size(), go3->size());

    // Right to left along the bottom row: each text has its room, no button covers another.
    int right = page->width() + 10000;
    for (const char *name : {"SeeGraphButton", "MakeGraphButton", "SaveGraphButton", "SelectButton",
                             "CommentButton"}) {
        QPushButton *button = Button(form, name);
        QVERIFY2(button->width() >= button->sizeHint().width(), name);
        QVERIFY2(button->geometry().right() < right, name);
        right = button->geometry().left();
    }
    QVERIFY(go1->width() >= go1->sizeHint().width());
}

void GraphTabTest::rechargeRunoffEnablesCommentAndSelectTakesItBack()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    TCommentForm comment;
    form.setCommentForm(&comment);
    RunAnalysis(form, dialogs, dir);
    Button(form, "ViewGraphButton")->click();

    Child<QRadioButton>(form, "RainRunRadioButton")->setChecked(true);
    Button(form, "GoButton1")->click();
    QVERIFY2(Shown(form, "GraphImage"), qPrintable(dialogs.Messages.join('|')));
    // The chart of this session's run: its trend and divide, as the drawing code makes it.
    QVERIFY(View(form, "GraphImage")->image() ==
            ExpectedChart(8, UChartDrawing::TChartSource::Session));
    QVERIFY(Button(form, "CommentButton")->isEnabled());
    Button(form, "CommentButton")->click();
    QVERIFY(comment.isVisible());

    Button(form, "SelectButton")->click();
    QVERIFY(!comment.isVisible());
    QVERIFY(!Button(form, "CommentButton")->isEnabled());
    QVERIFY(!Button(form, "SelectButton")->isEnabled());
    QVERIFY(!Button(form, "SaveGraphButton")->isEnabled());
    QVERIFY(!Shown(form, "GraphImage"));
    QVERIFY(Shown(form, "Panel1"));

    // Another chart takes the comment away again.
    Child<QRadioButton>(form, "AlphaRadioButton")->setChecked(true);
    Button(form, "GoButton1")->click();
    QVERIFY(Shown(form, "GraphImage"));
    QVERIFY(!Button(form, "CommentButton")->isEnabled());
    comment.close();
}

void GraphTabTest::showingTheTabAgainDropsTheChart()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    RunAnalysis(form, dialogs, dir);
    Button(form, "ViewGraphButton")->click();
    Button(form, "GoButton1")->click();
    QVERIFY(Shown(form, "GraphImage"));

    // To the Output tab and back: no chart, no panel, nothing to save.
    form.showTab(TRainForm::TTab::Output);
    form.showTab(TRainForm::TTab::Graphics);
    QVERIFY(!Shown(form, "GraphImage"));
    QVERIFY(!Shown(form, "Panel1"));
    QVERIFY(!Shown(form, "Panel3"));
    QVERIFY(!Button(form, "SelectButton")->isEnabled());
    QVERIFY(!Button(form, "SaveGraphButton")->isEnabled());

    // "View graph" brings the panel back, and so does "Make graph".
    form.showTab(TRainForm::TTab::Output);
    Button(form, "ViewGraphButton")->click();
    QVERIFY(Shown(form, "Panel1"));
    form.showTab(TRainForm::TTab::Input);
    form.showTab(TRainForm::TTab::Graphics);
    QVERIFY(!Shown(form, "Panel1"));
    dialogs.OpenNames = {dir.filePath(QStringLiteral("ana.out"))};
    Button(form, "MakeGraphButton")->click();
    QVERIFY(Shown(form, "Panel1"));
}

void GraphTabTest::unreadableOutputDrawsNothing()
{
    QTemporaryDir dir;
    const QString path = CopyData(dir, {"prediction-runoff.out"});
    TScriptedDialogs dialogs;
    TRainForm form;
    form.IntroTabSheetShow();
    form.showTab(TRainForm::TTab::Graphics);
    dialogs.OpenNames = {path};
    Button(form, "MakeGraphButton")->click();
    Button(form, "GoButton3")->click();
    QVERIFY(Shown(form, "GraphImage"));
    const QImage first = View(form, "GraphImage")->image();

    // The file goes away; "Select graph" and "Go" again: the reader's message, no chart of
    // the series read before.
    Button(form, "SelectButton")->click();
    QVERIFY(Shown(form, "Panel3"));
    QVERIFY(QFile::remove(path));
    dialogs.Messages.clear();
    Button(form, "GoButton3")->click();
    QCOMPARE(dialogs.Messages.size(), 1);
    QVERIFY2(dialogs.Messages[0].startsWith("The file \"" + path + "\""),
             qPrintable(dialogs.Messages[0]));
    QVERIFY(!Shown(form, "GraphImage"));
    QVERIFY(Shown(form, "Panel3"));
    QVERIFY(!Button(form, "SaveGraphButton")->isEnabled());
    QVERIFY(!Button(form, "SelectButton")->isEnabled());

    // A file whose table is cut short: the reader says so, nothing is drawn either.
    QByteArray bytes = FileBytes(DataPath("prediction-runoff.out"));
    bytes.truncate(bytes.indexOf("Serial"));
    WriteFileBytes(path, bytes);
    dialogs.Messages.clear();
    Button(form, "GoButton3")->click();
    QCOMPARE(dialogs.Messages.size(), 1);
    QVERIFY(!Shown(form, "GraphImage"));
    QVERIFY(View(form, "GraphImage")->image() == first);
}

void GraphTabTest::radioChoicesSurviveAndPanelsExcludeEachOtherOnly()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    auto *alpha = Child<QRadioButton>(form, "AlphaRadioButton");
    auto *runoff = Child<QRadioButton>(form, "RunoffRadioButton");
    auto *storage = Child<QRadioButton>(form, "RadioButton4");
    auto *predRunoff = Child<QRadioButton>(form, "RadioButton3");
    QVERIFY(predRunoff->isChecked());
    alpha->setChecked(true);
    QVERIFY(!runoff->isChecked());
    QVERIFY(predRunoff->isChecked());
    storage->setChecked(true);
    QVERIFY(!predRunoff->isChecked());
    QVERIFY(alpha->isChecked());
    form.showTab(TRainForm::TTab::Graphics);
    form.showTab(TRainForm::TTab::Input);
    form.showTab(TRainForm::TTab::Graphics);
    QVERIFY(alpha->isChecked());
    QVERIFY(storage->isChecked());
}

void GraphTabTest::highDensityScreensEnlargeWithoutBlur()
{
    QImage chart = UChartDrawing::newChartImage();
    chart.setPixelColor(10, 20, Qt::white);
    chart.setPixelColor(11, 20, QColor(0, 0, 139));
    const QSize logical(623, 465);

    // At ratio 1 the bitmap is shown as it is.
    QVERIFY(TGraphView::scaleForScreen(chart, logical, 1.0) == chart);

    // At ratio 2 every pixel becomes a square of four, unblurred.
    const QImage doubled = TGraphView::scaleForScreen(chart, logical, 2.0);
    QCOMPARE(doubled.size(), QSize(1246, 930));
    QCOMPARE(doubled.devicePixelRatio(), 2.0);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            QCOMPARE(doubled.pixelColor(20 + dx, 40 + dy), QColor(Qt::white));
            QCOMPARE(doubled.pixelColor(22 + dx, 40 + dy), QColor(0, 0, 139));
            QCOMPARE(doubled.pixelColor(18 + dx, 40 + dy), QColor(192, 192, 192));
        }

    // At ratio 1.5 it fills the screen pixels of the view; a white pixel stays white at its
    // centre, it is not smeared into grey.
    const QImage half = TGraphView::scaleForScreen(chart, logical, 1.5);
    QCOMPARE(half.size(), QSize(935, 698));
    const QColor centre = half.pixelColor(15, 30);
    QVERIFY2(centre.red() >= 245 && centre.green() >= 245 && centre.blue() >= 245,
             qPrintable(centre.name()));
    // A smooth enlargement straight from the bitmap smears that pixel into its neighbours.
    const QImage smeared = chart.scaled(935, 698, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QVERIFY(smeared.pixelColor(15, 30).red() < centre.red());

    // The chart bitmap keeps its own size whatever the screen.
    QCOMPARE(chart.size(), QSize(623, 465));
}

void GraphTabTest::chartStaysCentredInALargerWindow()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.showTab(TRainForm::TTab::Graphics);
    QApplication::processEvents();
    auto *page = Child<QWidget>(form, "GraphicsTabSheet");
    TGraphView *chart = View(form, "GraphImage");
    const char *const others[] = {"PictureImage",   "Panel1",          "Panel3",
                                  "SeeGraphButton", "MakeGraphButton", "SaveGraphButton",
                                  "SelectButton",   "CommentButton"};
    // The given layout at the default size.
    QCOMPARE(chart->geometry(),
             QRect(16, 0, UChartDrawing::ChartWidth, UChartDrawing::ChartHeight));
    QMap<QString, QRect> places;
    for (const char *name : others)
        places[QLatin1String(name)] = Child<QWidget>(form, name)->geometry();

    form.resize(1200, 880);
    QApplication::processEvents();
    // The chart keeps its size, in the middle of the tab; everything moves with it.
    QCOMPARE(chart->size(), QSize(UChartDrawing::ChartWidth, UChartDrawing::ChartHeight));
    QVERIFY(qAbs(chart->geometry().center().x() - page->width() / 2) <= 10);
    QVERIFY(chart->y() > 100);
    const QPoint shift = chart->pos() - QPoint(16, 0);
    for (const char *name : others) {
        const QRect place = Child<QWidget>(form, name)->geometry();
        QCOMPARE(place, places[QLatin1String(name)].translated(shift));
        QVERIFY2(page->rect().contains(place), name);
    }

    // Back at the default size, back at the given places.
    form.resize(675, 580);
    QApplication::processEvents();
    QCOMPARE(chart->pos(), QPoint(16, 0));
    for (const char *name : others)
        QCOMPARE(Child<QWidget>(form, name)->geometry(), places[QLatin1String(name)]);
}

QTEST_MAIN(GraphTabTest)
#include "GraphTabTest.moc"
