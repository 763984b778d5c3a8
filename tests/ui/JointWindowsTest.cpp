// Several windows at once in the window: "Calibrate on several files..." from the choice of the
// files through its dialog (bad input answered with a message, the dialog kept) to the result,
// and leave one out over a folder of season files through the "Validate" dialog to the view of
// each window's NSE against its year.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"

#include "ui/UJointCalibrateDialog.h"
#include "ui/UJointValidationView.h"
#include "ui/UValidateDialog.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <functional>
#include <memory>

using namespace quellow;
using namespace quellow::test;

namespace {

const QString windows = QStringLiteral(QUELLOW_TEST_DATA "/windows/");
constexpr int evaluations = 150;

template <typename T> T *In(QWidget &parent, const char *name)
{
    auto *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

/// Hands each modal dialog of type T shown, in turn, to the next of steps; a step that leaves
/// the dialog open lets the next step see it again once a message came and went.
template <typename T> void onDialog(std::vector<std::function<void(T &)>> steps)
{
    auto queue = std::make_shared<std::vector<std::function<void(T &)>>>(std::move(steps));
    auto *timer = new QTimer(qApp); // freed with the application if it never fires
    QObject::connect(timer, &QTimer::timeout, [timer, queue] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        const auto step = queue->front();
        queue->erase(queue->begin());
        if (queue->empty()) {
            timer->stop();
            timer->deleteLater();
        }
        step(*dialog);
    });
    timer->start(5);
}

UJointValidation::TWindowValidation validated(const char *file, double nse, double start,
                                              double self)
{
    UJointValidation::TWindowValidation w;
    w.Status = UJointValidation::TWindowStatus::Validated;
    w.File = file;
    w.Validation.Made = true;
    w.Validation.Skill.Valid = true;
    w.Validation.Skill.Fit.NSE = nse;
    w.Validation.Skill.Fit.KGE = nse / 2;
    w.Start.Defined = true;
    w.Start.Fit.NSE = start;
    w.Self.Defined = true;
    w.Self.Fit.NSE = self;
    w.Mean.Defined = true;
    w.Mean.Fit.NSE = -0.01;
    return w;
}

/// The points of the line series named name.
QList<QPointF> seriesPoints(QChart *chart, const QString &name)
{
    for (QAbstractSeries *series : chart->series())
        if (auto *line = qobject_cast<QLineSeries *>(series); line && line->name() == name)
            return line->points();
    return {};
}

} // namespace

class JointWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }
    void cleanup()
    {
        qDeleteAll(qApp->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly));
    }

    void yearOfAWindow_data();
    void yearOfAWindow();
    void viewShowsEachWindowAgainstItsYear();
    void seasonsOfAYearSpreadOverIt();
    void seasonFilesOfAFolder();
    void badWindowsAreRefusedWithTheDialogKept();
    void jointCalibrationRunsFromTheFilesToTheResult();
    void leaveOneOutRunsFromTheFolderToTheView();
    void cancelShowsNothing();
};

void JointWindowsTest::yearOfAWindow_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("year");
    QTest::newRow("name") << "/data/2001/hymod-2013.inp"
                          << "1999 to 2000" << 2013;
    QTest::newRow("first of two") << "gr4j-1991-1992.inp"
                                  << "" << 1991;
    QTest::newRow("title") << "/data/2001/season-03.inp"
                           << "wet season 1987-88" << 1987;
    QTest::newRow("five digits") << "s12345.inp"
                                 << "gauge 012345" << 3;
    QTest::newRow("out of range") << "w1799-2101.inp"
                                  << "" << 3;
    QTest::newRow("digits around") << "run2013b.inp"
                                   << "" << 2013;
}

void JointWindowsTest::yearOfAWindow()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(int, year);
    QCOMPARE(windowYear(file.toStdString(), title.toStdString(), 3), year);
}

// Each validated window is a point at its year; the benchmarks are series of their own, NSE
// below -1 is drawn at -1, a skipped window is no point but a row that says so; the view fits a
// screen of 1366 x 768.
void JointWindowsTest::viewShowsEachWindowAgainstItsYear()
{
    UJointValidation::TValidation v;
    v.Status = UJointValidation::TStatus::Validated;
    v.Windows.push_back(validated("/s/a-2013.inp", 0.5, -3.5, 0.7));
    UJointValidation::TWindowValidation skipped;
    skipped.Status = UJointValidation::TWindowStatus::Skipped;
    skipped.File = "/s/b-2014.inp";
    skipped.Message = "fewer than 1 windows before it";
    v.Windows.push_back(skipped);
    v.Windows.push_back(validated("/s/c-2016.inp", -0.25, 0.2, 0.6));
    v.Summary.Defined = true;
    v.Summary.NSE = {-0.06, 0.125, 0.31};
    v.Summary.KGE = {0.1, 0.2, 0.3};
    TJointValidationView view(v, {2013, 2014, 2016});

    QChart *chart = In<QChartView>(view, "Chart_years")->chart();
    QCOMPARE(seriesPoints(chart, "validation"), (QList<QPointF>{{2013, 0.5}, {2016, -0.25}}));
    QCOMPARE(seriesPoints(chart, "start"), (QList<QPointF>{{2013, -1}, {2016, 0.2}}));
    QCOMPARE(seriesPoints(chart, "self"), (QList<QPointF>{{2013, 0.7}, {2016, 0.6}}));
    QCOMPARE(seriesPoints(chart, "recession"), QList<QPointF>());
    // The years of all windows on the axis, a skipped one's too, half a year beyond the ends.
    const std::unique_ptr<QChart> early(jointValidationChart(v, {2013, 2010, 2016}));
    auto *years = qobject_cast<QValueAxis *>(early->axes(Qt::Horizontal).value(0));
    QCOMPARE(years->min(), 2009.5);
    QCOMPARE(years->max(), 2016.5);

    auto *table = In<QTableWidget>(view, "WindowsTable");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->verticalHeaderItem(2)->text(), QStringLiteral("c-2016.inp"));
    QCOMPARE(table->item(2, 0)->text(), QStringLiteral("2016"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("-0.250"));
    QCOMPARE(table->item(0, 4)->text(), QStringLiteral("-3.500"));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("skipped"));
    const QString summary = In<QLabel>(view, "SummaryLabel")->text();
    QVERIFY2(summary.contains(QStringLiteral("3 windows: 2 validated, 1 skipped, 0 failed")),
             qPrintable(summary));
    QVERIFY2(
        summary.contains(QStringLiteral("Validation NSE: 25 % -0.060, median 0.125, 75 % 0.310")),
        qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("start -1.650, self 0.650, mean -0.010, recession -")),
             qPrintable(summary));
    const QSize least = view.minimumSizeHint();
    QVERIFY2(least.width() <= 1366 - 16 && least.height() <= 768 - 48,
             qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));
}

// The seasons of a year spread over it, in their order; a year of its own stays on the year.
void JointWindowsTest::seasonsOfAYearSpreadOverIt()
{
    QCOMPARE(windowPlaces({2013, 2013, 2014, 2013, 2013, 2016}),
             (std::vector<double>{2013, 2013.25, 2014, 2013.5, 2013.75, 2016}));
}

void JointWindowsTest::seasonFilesOfAFolder()
{
    QTemporaryDir dir;
    for (const char *name : {"b.inp", "a-calibrated.inp", "B.inp", "a.inp", "c.out", "a.INP",
                             "x-joint.inp", "y-Calibrated.INP"})
        WriteFileBytes(dir.filePath(QLatin1String(name)), "x");
    QDir().mkdir(dir.filePath(QStringLiteral("d.inp")));
    // As quellow-cli takes the folder.
    QCOMPARE(seasonFiles(dir.path()), (QStringList{dir.filePath("B.inp"), dir.filePath("a.INP"),
                                                   dir.filePath("a.inp"), dir.filePath("b.inp")}));
}

// A prediction file is refused naming it, the dialog stays with the file current; removed, a
// warm-up that leaves too few rows is refused, the dialog stays; mended, the calibration runs.
void JointWindowsTest::badWindowsAreRefusedWithTheDialogKept()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    const QString prediction = DataPath("input-prediction.inp");
    dialogs.OpenNameLists = {{windows + "gr4j-1991.inp", prediction}};
    int currentRow = -1;
    bool stayed = false;
    QString stillListed;
    onDialog<TJointCalibrateDialog>({
        [&](TJointCalibrateDialog &d) {
            In<QLineEdit>(d, "EvaluationsEdit")->setText(QString::number(evaluations));
            In<QPushButton>(d, "OkButton")->click();
            currentRow = In<QListWidget>(d, "FilesList")->currentRow();
            In<QListWidget>(d, "FilesList")->clearSelection();
            In<QListWidget>(d, "FilesList")->item(1)->setSelected(true);
            In<QPushButton>(d, "RemoveFilesButton")->click();
            In<QLineEdit>(d, "WarmupEdit")->setText("360");
            In<QPushButton>(d, "OkButton")->click();
            stayed = d.isVisible();
            stillListed = In<QListWidget>(d, "FilesList")->item(0)->text();
            d.reject();
        },
    });
    form.findChild<QAction *>(QStringLiteral("JointCalibrateAction"))->trigger();
    QCOMPARE(dialogs.OpenDialogs.size(), 1);
    QCOMPARE(dialogs.Messages.size(), 2);
    QVERIFY2(dialogs.Messages[0].contains(prediction), qPrintable(dialogs.Messages[0]));
    QCOMPARE(currentRow, 1);
    QVERIFY2(dialogs.Messages[1].contains(QStringLiteral("12")), qPrintable(dialogs.Messages[1]));
    QVERIFY(stayed);
    QCOMPARE(stillListed, windows + "gr4j-1991.inp");
}

void JointWindowsTest::jointCalibrationRunsFromTheFilesToTheResult()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    const QStringList files = {windows + "hymod-2013.inp", windows + "hymod-2014.inp",
                               windows + "hymod-2015.inp"};
    dialogs.OpenNameLists = {files};
    QString objective, allNse;
    int rows = 0;
    QString box;
    onDialog<TJointCalibrateDialog>({[&](TJointCalibrateDialog &d) {
        In<QLineEdit>(d, "EvaluationsEdit")->setText(QString::number(evaluations));
        In<QPushButton>(d, "OkButton")->click();
        if (d.isVisible())
            d.reject();
    }});
    onDialog<TJointCalibrateForm>({[&](TJointCalibrateForm &f) {
        objective = In<QLabel>(f, "JointObjective")->text();
        auto *table = In<QTableWidget>(f, "WindowsTable");
        rows = table->rowCount();
        allNse = table->item(rows - 1, 2)->text();
        f.reject();
    }});
    form.findChild<QAction *>(QStringLiteral("JointCalibrateAction"))->trigger();
    QCOMPARE(dialogs.Messages, QStringList());

    std::vector<UJointCalibration::TWindow> read;
    for (const QString &file : files) {
        UJointCalibration::TWindow w;
        std::string message;
        QVERIFY2(UJointCalibration::ReadWindow(file.toStdString(), w, message), message.c_str());
        read.push_back(w);
    }
    UJointCalibration::TOptions options;
    options.Evaluations = evaluations;
    const UJointCalibration::TJointCalibration expected =
        UJointCalibration::Calibrate(read, options);
    QCOMPARE(rows, 4);
    const QString value = QString::number(expected.Value, 'f', 3);
    QCOMPARE(objective,
             QStringLiteral("<b>NSE of the windows together: ") + value + QStringLiteral("</b>"));
    // The search maximised the NSE of the windows together: the last row shows it.
    QCOMPARE(allNse, value);
    // The choices are offered again: the files need not be chosen anew.
    onDialog<TJointCalibrateDialog>({[&](TJointCalibrateDialog &d) {
        box = In<QListWidget>(d, "FilesList")->item(2)->text() + " " +
              In<QLineEdit>(d, "EvaluationsEdit")->text();
        d.reject();
    }});
    form.findChild<QAction *>(QStringLiteral("JointCalibrateAction"))->trigger();
    QCOMPARE(dialogs.OpenDialogs.size(), 1);
    QCOMPARE(box, files[2] + " " + QString::number(evaluations));
}

// Leave one out through the "Validate" dialog, on an empty sheet: R square and a storage in mm
// are refused with the dialog kept; the season files of the folder are validated, each at its
// year in the view.
void JointWindowsTest::leaveOneOutRunsFromTheFolderToTheView()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    // An empty sheet: leave one out does not need it.
    OpenFreshSheet(form);
    QTemporaryDir dir;
    for (const char *name : {"hymod-2013.inp", "hymod-2014.inp", "hymod-2015.inp"})
        QVERIFY(QFile::copy(windows + QLatin1String(name), dir.filePath(QLatin1String(name))));
    QStringList refused;
    onDialog<TValidateDialog>({[&](TValidateDialog &d) {
        In<QRadioButton>(d, "LeaveOneOutRadio")->setChecked(true);
        In<QLineEdit>(d, "FolderEdit")->setText(dir.path());
        In<QLineEdit>(d, "EvaluationsEdit")->setText(QString::number(evaluations));
        auto *objective = In<QComboBox>(d, "ObjectiveComboBox");
        objective->setCurrentIndex(objective->findData(int(UCalibration::TObjective::RSquare)));
        In<QPushButton>(d, "OkButton")->click();
        objective->setCurrentIndex(objective->findData(int(UCalibration::TObjective::NSE)));
        In<QComboBox>(d, "InitStorageComboBox")->setCurrentText("12");
        In<QPushButton>(d, "OkButton")->click();
        refused = dialogs.Messages;
        dialogs.Messages.clear();
        In<QComboBox>(d, "InitStorageComboBox")->setCurrentText("cal");
        In<QPushButton>(d, "OkButton")->click();
        if (d.isVisible())
            d.reject();
    }});
    UJointValidation::TValidation shown;
    QList<QPointF> points;
    onDialog<TJointValidationView>({[&](TJointValidationView &view) {
        shown = view.validation();
        points = seriesPoints(In<QChartView>(view, "Chart_years")->chart(), "validation");
        view.reject();
    }});
    form.findChild<QAction *>(QStringLiteral("ValidateAction"))->trigger();
    QCOMPARE(refused.size(), 2);
    QVERIFY2(refused[0].contains(QStringLiteral("R square")), qPrintable(refused[0]));
    QVERIFY2(refused[1].contains(QStringLiteral("cal")), qPrintable(refused[1]));
    QCOMPARE(dialogs.Messages, QStringList());
    QCOMPARE(shown.Windows.size(), std::size_t(3));
    QCOMPARE(shown.Windows[1].CalibratedOn,
             (std::vector<std::string>{dir.filePath("hymod-2013.inp").toStdString(),
                                       dir.filePath("hymod-2015.inp").toStdString()}));
    QCOMPARE(points.size(), 3);
    QCOMPARE(points[1].x(), 2014.0);
    QCOMPARE(points[1].y(), std::max(shown.Windows[1].Validation.Skill.Fit.NSE, LowestNseShown));
}

// "Cancel" of the progress window ends a joint calibration and a leave one out without a
// result or a message.
void JointWindowsTest::cancelShowsNothing()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {windows + QStringLiteral("hymod-2013.inp")};
    form.InputOpenActionExecute();
    QTemporaryDir dir;
    const QStringList files = {dir.filePath("hymod-2013.inp"), dir.filePath("hymod-2014.inp")};
    for (const QString &file : files)
        QVERIFY(QFile::copy(windows + QFileInfo(file).fileName(), file));
    dialogs.OpenNameLists = {files};
    int cancelled = 0, shown = 0;
    auto *timer = new QTimer(qApp); // freed with the application if it never fires
    QObject::connect(timer, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            if (auto *d = qobject_cast<TJointCalibrateDialog *>(w)) {
                In<QLineEdit>(*d, "EvaluationsEdit")->setText(QStringLiteral("2000000"));
                d->accept();
            } else if (auto *d = qobject_cast<TValidateDialog *>(w)) {
                In<QRadioButton>(*d, "LeaveOneOutRadio")->setChecked(true);
                In<QLineEdit>(*d, "FolderEdit")->setText(dir.path());
                In<QLineEdit>(*d, "EvaluationsEdit")->setText(QStringLiteral("2000000"));
                d->accept();
            } else if (qobject_cast<TJointCalibrateForm *>(w) ||
                       qobject_cast<TJointValidationView *>(w)) {
                ++shown;
                static_cast<QDialog *>(w)->reject();
            } else if ((w->objectName() == QLatin1String("JointCalibrateProgress") ||
                        w->objectName() == QLatin1String("JointValidateProgress")) &&
                       !w->property("cancelled").toBool()) {
                w->setProperty("cancelled", true);
                ++cancelled;
                w->findChild<QPushButton *>()->click();
            }
        }
    });
    timer->start(5);
    form.findChild<QAction *>(QStringLiteral("JointCalibrateAction"))->trigger();
    form.findChild<QAction *>(QStringLiteral("ValidateAction"))->trigger();
    timer->stop();
    delete timer;
    QCOMPARE(cancelled, 2);
    QCOMPARE(shown, 0);
    QCOMPARE(dialogs.Messages, QStringList());
}

QTEST_MAIN(JointWindowsTest)
#include "JointWindowsTest.moc"
