// The validation view: its table for a validation known by hand, its CSV against the command
// line's, its one-page report, the refusal to write over a file it read, the pictures that
// quellow-cli validate -o draws, and "Validate..." on the window from the sheet through the
// "Validate" dialog (a file or an imported series, and the options) to the view.
#include "TScriptedDialogs.h"
#include "UiTestSupport.h"
#include "charts/UValidationCharts.h"
#include "ui/UImportDialog.h"
#include "ui/UValidateDialog.h"
#include "ui/UImportSeries.h"
#include "ui/UValidationSource.h"
#include "ui/UValidationView.h"

#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>

using namespace quellow;
using namespace quellow::test;

namespace {

const QString windows = QStringLiteral(QUELLOW_TEST_DATA "/windows/");
constexpr int evaluations = 200;

/// A validation whose figures are known: one benchmark undefined, a band of 12 sets.
UValidation::TValidation knownValidation()
{
    UValidation::TValidation v;
    v.Status = UValidation::TStatus::Validated;
    v.CalFile = "cal.inp";
    v.ValFile = "val.inp";
    v.Calibrated = true;
    v.Cal = {412.5, 100.25, 0.875};
    v.EscapeFactor = 0.875;
    v.Rows = 13;
    v.Warmup = 1;
    v.InitStor = 100.25;
    v.Validation.Made = true;
    v.Validation.Skill.Valid = true;
    v.Validation.Skill.Fit.NSE = 0.66149;
    v.Validation.Skill.Fit.KGE = -1.2345;
    v.Validation.Skill.Fit.VolumeError = -15.249;
    v.Start.Defined = true;
    v.Start.Fit.NSE = -63.1;
    v.Self.Defined = false;
    v.Mean.Defined = true;
    v.Recession.Defined = true;
    v.Recession.Fit.VolumeError = 4.005;
    for (int k = 0; k < 15; ++k) {
        v.Time.push_back(k + 1);
        v.Rain.push_back(k % 3);
        v.Measured.push_back(1 + 0.1 * k);
        v.Simulated.push_back(1 + 0.09 * k);
    }
    v.Band.Made = true;
    v.Band.Sets = 12;
    v.Band.Coverage = 0.2215;
    v.Band.WidthDefined = true;
    v.Band.Width = 0.45;
    v.Band.Low = v.Simulated;
    v.Band.High = v.Measured;
    return v;
}

QString cellText(QTableWidget *table, int row, int col)
{
    return table->item(row, col)->text();
}

/// Runs quellow-cli validate on the public pair with the view's options; its exit status.
int runCli(const QString &dir)
{
    QProcess cli;
    cli.start(QStringLiteral(QUELLOW_CLI),
              {QStringLiteral("validate"), windows + QStringLiteral("gr4j-1991.inp"),
               windows + QStringLiteral("gr4j-1992.inp"), QStringLiteral("--evaluations"),
               QString::number(evaluations), QStringLiteral("--threads"), QStringLiteral("1"),
               QStringLiteral("-o"), dir});
    cli.waitForFinished(60000);
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
}

UValidation::TValidation publicValidation()
{
    URainRun::TAnalysisInput cal, val;
    std::string message;
    const std::string calFile = (windows + QStringLiteral("gr4j-1991.inp")).toStdString();
    const std::string valFile = (windows + QStringLiteral("gr4j-1992.inp")).toStdString();
    if (!UValidation::ReadWindow(calFile, "calibration", cal, message) ||
        !UValidation::ReadWindow(valFile, "validation", val, message))
        qFatal("%s", message.c_str());
    UValidation::TOptions options;
    options.Evaluations = evaluations;
    options.Threads = 1;
    return UValidation::Validate(cal, calFile, val, valFile, options);
}

template <typename T> T *In(QWidget &parent, const char *name)
{
    return parent.findChild<T *>(QLatin1String(name));
}

/// Once the "Validate" dialog is up: set does its part, then "OK" unless set closed it.
void answerValidate(const std::function<void(TValidateDialog &)> &set)
{
    QTimer::singleShot(0, [set] {
        auto *dialog = qobject_cast<TValidateDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        set(*dialog);
        if (dialog->isVisible())
            In<QPushButton>(*dialog, "OkButton")->click();
    });
}

/// The title and the tick labels of the time axis of a hydrograph.
QStringList timeAxis(QChart *chart)
{
    auto *axis = qobject_cast<QCategoryAxis *>(chart->axes(Qt::Horizontal).value(0));
    return axis ? QStringList{axis->titleText()} + axis->categoriesLabels() : QStringList();
}

/// A copy of the validation of the view shown next, with its time axis, and the view is then
/// closed; a timer that looks for it every 10 ms.
QTimer *takeView(UValidation::TValidation &shown, int &views, QStringList &axis)
{
    auto *timer = new QTimer(qApp); // freed with the application if it never fires
    QObject::connect(timer, &QTimer::timeout, [&shown, &views, &axis] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *view = qobject_cast<TValidationView *>(w); view && view->isVisible()) {
                shown = view->validation();
                axis = timeAxis(
                    view->findChild<QChartView *>(QStringLiteral("Chart_hydrograph"))->chart());
                ++views;
                view->reject();
            }
    });
    timer->start(10);
    return timer;
}

} // namespace

class ValidationViewTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetForTest(); }
    void showsTheFiguresOfTheValidation();
    void csvIsTheCommandLinesAndReportIsOnePage();
    void refusesToWriteOverAFileItRead();
    void commandLineDrawsThePictures();
    void ticksAreRoundAndPlainlyLabelled();
    void labelsAreReadAtTheSizesOfAScreen();
    void datedWindowShowsDatesOnItsTimeAxis();
    void validateRunsFromTheSheetToTheView();
    void faultEndsInAMessageAndKeepsTheSheet();
    void cancelShowsNothing();
    void importedWindowNamesRunoffFileAndUnit();
    void importedHourlyWindowStartsInASkippedHour();
    void optionsAndImportedSeriesReachTheValidation();
    void robustAlphaAndEvaluationsReachTheValidation();
};

void ValidationViewTest::showsTheFiguresOfTheValidation()
{
    TValidationView view(knownValidation());
    auto *table = view.findChild<QTableWidget *>(QStringLiteral("FiguresTable"));
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 5);
    QCOMPARE(table->verticalHeaderItem(0)->text(), QStringLiteral("simulation"));
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("0.661"));
    QCOMPARE(cellText(table, 0, 1), QStringLiteral("-1.234"));
    QCOMPARE(cellText(table, 0, 2), QStringLiteral("-15.25"));
    QCOMPARE(cellText(table, 1, 0), QStringLiteral("-63.100"));
    // An undefined benchmark shows no number.
    QCOMPARE(cellText(table, 2, 0), QStringLiteral("-"));
    QCOMPARE(cellText(table, 2, 2), QStringLiteral("-"));
    QCOMPARE(cellText(table, 4, 2), QStringLiteral("4.00"));
    const QString summary = view.findChild<QLabel *>(QStringLiteral("SummaryLabel"))->text();
    QVERIFY2(summary.contains(QStringLiteral("Maximum storage 412.50 mm, initial storage 100.25 "
                                             "mm, escape factor 0.875")),
             qPrintable(summary));
    QVERIFY(summary.contains(QStringLiteral("13 rows scored after a warm-up of 1")));
    QVERIFY(summary.contains(QStringLiteral("Band of 12 sets: coverage 22.1 %")));
    // The hydrograph, measured against simulated and a dotty plot per parameter.
    QCOMPARE(view.findChildren<QChartView *>().size(), 5);

    // Why there is no band is said once, as the validation notes it.
    UValidation::TValidation plain = knownValidation();
    plain.Band = {};
    plain.Band.Why = "No band: 4 sets are within the band's distance of the best; it needs 10.";
    plain.Notes = {plain.Band.Why};
    const QString lines = validationSummaryLines(plain).join(u'\n');
    QCOMPARE(lines.count(QStringLiteral("No band")), 1);
    QVERIFY2(lines.contains(QStringLiteral("Note: No band: 4 sets")), qPrintable(lines));
}

void ValidationViewTest::csvIsTheCommandLinesAndReportIsOnePage()
{
    QTemporaryDir dir;
    QCOMPARE(runCli(dir.path()), 0);
    const QByteArray cli = FileBytes(dir.filePath(QStringLiteral("gr4j-1992-validation.csv")));
    QVERIFY(cli.startsWith("time,rain,measured,simulated,band_low,band_high\r\n"));

    TValidationView view(publicValidation());
    QVERIFY(view.validation().Band.Made);
    std::string message;
    const QString csv = dir.filePath(QStringLiteral("view.csv"));
    QVERIFY(view.exportCsv(csv, message));
    QCOMPARE(FileBytes(csv), cli);

    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QVERIFY(view.saveReport(pdf, message));
    const QByteArray bytes = FileBytes(pdf);
    QVERIFY(bytes.startsWith("%PDF-"));
    const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    QCOMPARE(QString::fromLatin1(bytes).count(page), 1);
    // The pictures are drawn into the page, not left out: a page of text alone is far smaller.
    QVERIFY2(bytes.size() > 20000, qPrintable(QString::number(bytes.size())));
}

void ValidationViewTest::refusesToWriteOverAFileItRead()
{
    QTemporaryDir dir;
    const QString val = dir.filePath(QStringLiteral("val.inp"));
    WriteFileBytes(val, "the validation window\r\n");
    UValidation::TValidation v = knownValidation();
    v.ValFile = val.toStdString();
    TScriptedDialogs dialogs;
    TValidationView view(v);
    dialogs.SaveNames = {val};
    view.ExportCsvClick();
    dialogs.SaveNames = {val};
    view.SaveReportClick();
    QCOMPARE(FileBytes(val), QByteArray("the validation window\r\n"));
    QCOMPARE(dialogs.Messages.size(), 2);
    QVERIFY2(dialogs.Messages[0].contains(val), qPrintable(dialogs.Messages[0]));
    // Each refusal names the file it would have written.
    QVERIFY2(dialogs.Messages[0].startsWith(QLatin1String("The CSV file")),
             qPrintable(dialogs.Messages[0]));
    QVERIFY2(dialogs.Messages[1].startsWith(QLatin1String("The report file")),
             qPrintable(dialogs.Messages[1]));
}

void ValidationViewTest::commandLineDrawsThePictures()
{
    QTemporaryDir dir;
    QCOMPARE(runCli(dir.path()), 0);
    for (auto picture : UValidationFiles::Pictures(true)) {
        const QString name = QString::fromStdString(
            UValidationFiles::PictureFileName(dir.path().toStdString(), "gr4j-1992.inp", picture));
        const QImage image(name);
        QVERIFY2(!image.isNull(), qPrintable(name));
        QCOMPARE(image.size(), UValidationCharts::PictureSize(picture));
    }
    // Without calibration there are no dotty plots.
    QTemporaryDir plain;
    QProcess cli;
    cli.start(QStringLiteral(QUELLOW_CLI),
              {QStringLiteral("validate"), windows + QStringLiteral("gr4j-1991.inp"),
               windows + QStringLiteral("gr4j-1992.inp"), QStringLiteral("--no-calibrate"),
               QStringLiteral("-o"), plain.path()});
    cli.waitForFinished(60000);
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(QDir(plain.path()).entryList(QDir::Files).size(), 3);

    // A picture's name that is the calibration file's: refused before anything is written.
    const QString cal = plain.filePath(QStringLiteral("gr4j-1992-validation-scatter.png"));
    QFile::remove(cal);
    QVERIFY(QFile::copy(windows + QStringLiteral("gr4j-1991.inp"), cal));
    QFile::remove(plain.filePath(QStringLiteral("gr4j-1992-validation.csv")));
    cli.start(QStringLiteral(QUELLOW_CLI),
              {QStringLiteral("validate"), cal, windows + QStringLiteral("gr4j-1992.inp"),
               QStringLiteral("--no-calibrate"), QStringLiteral("-o"), plain.path()});
    cli.waitForFinished(60000);
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY(
        QString::fromUtf8(cli.readAllStandardError()).contains(QStringLiteral("would replace")));
    QCOMPARE(FileBytes(cal), FileBytes(windows + QStringLiteral("gr4j-1991.inp")));
    QVERIFY(!QFile::exists(plain.filePath(QStringLiteral("gr4j-1992-validation.csv"))));
}

void ValidationViewTest::ticksAreRoundAndPlainlyLabelled()
{
    // NSE from -0.25 (one below the best) to 0.75: a tick at 0 reached by adding steps would be
    // labelled "5.551e-17".
    const std::vector<UValidationCharts::TDot> dots = {{420, 10, 0.1, -0.3, true},
                                                       {500, 20, 0.2, 0.1, true},
                                                       {650, 30, 0.4, 0.55, false},
                                                       {800, 40, 0.8, 0.75, false}};
    QChart *chart =
        UValidationCharts::MakeChart(knownValidation(), dots, UValidationFiles::TPicture::MaxStor);
    QImage image(UValidationCharts::PictureSize(UValidationFiles::TPicture::MaxStor),
                 QImage::Format_RGB32);
    QPainter painter(&image);
    UValidationCharts::Render(chart, painter, QRectF(image.rect()));
    painter.end();
    QStringList texts;
    std::function<void(QGraphicsItem *)> collect = [&](QGraphicsItem *item) {
        if (auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item); text && text->isVisible())
            texts << text->toPlainText();
        for (QGraphicsItem *child : item->childItems())
            collect(child);
    };
    collect(chart);
    delete chart;
    for (const char *label : {"-0.2", "0", "0.2", "0.8", "500"})
        QVERIFY2(texts.contains(QString::fromLatin1(label)), qPrintable(texts.join(u'|')));
    for (const QString &text : texts)
        QVERIFY2(!text.contains(QStringLiteral("e-")), qPrintable(text));
}

void ValidationViewTest::datedWindowShowsDatesOnItsTimeAxis()
{
    // Times 1 to 15 of a window whose time 1 is 30 December 1991, in days; then in hours.
    const UValidation::TValidation v = knownValidation();
    UValidationCharts::TCalendar calendar;
    calendar.First = QDateTime(QDate(1991, 12, 30), QTime(0, 0), Qt::UTC);
    calendar.FirstTime = 1;
    const std::unique_ptr<QChart> times(
        UValidationCharts::MakeChart(v, {}, UValidationFiles::TPicture::Hydrograph));
    QCOMPARE(timeAxis(times.get()).value(0), QStringLiteral("Time"));
    const std::unique_ptr<QChart> days(
        UValidationCharts::MakeChart(v, {}, UValidationFiles::TPicture::Hydrograph, calendar));
    const QStringList labels = timeAxis(days.get());
    QCOMPARE(labels.value(0), QStringLiteral("Date"));
    auto *axis = qobject_cast<QCategoryAxis *>(days->axes(Qt::Horizontal).value(0));
    QVERIFY(labels.size() >= 3);
    for (const QString &label : labels.mid(1)) {
        // Each date at its own time: 1 January 1992 is time 3.
        const QDate date = QDate::fromString(label, Qt::ISODate);
        QVERIFY2(date.isValid(), qPrintable(label));
        QCOMPARE(axis->endValue(label), 1.0 + QDate(1991, 12, 30).daysTo(date));
    }
    calendar.UnitSeconds = 3600;
    const std::unique_ptr<QChart> hours(
        UValidationCharts::MakeChart(v, {}, UValidationFiles::TPicture::Hydrograph, calendar));
    QVERIFY2(timeAxis(hours.get()).contains(QStringLiteral("1991-12-30 06:00")),
             qPrintable(timeAxis(hours.get()).join(u'|')));
}

void ValidationViewTest::labelsAreReadAtTheSizesOfAScreen()
{
    // Maximised on a screen of 1366 x 768, at the size it opens with on a larger one, and small.
    TValidationView view(knownValidation());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (const QSize size : {QSize(1366, 749), QSize(1180, 860), view.minimumSizeHint()}) {
        view.resize(size);
        // The ticks are made again once each chart has been laid out at the new size.
        QTest::qWait(100);
        for (QChartView *chartView : view.findChildren<QChartView *>()) {
            QStringList cut;
            std::function<void(QGraphicsItem *)> collect = [&](QGraphicsItem *item) {
                if (auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item);
                    text && text->isVisible() &&
                    (text->toPlainText().contains(QStringLiteral("...")) ||
                     text->toPlainText().contains(QChar(0x2026))))
                    cut << text->toPlainText();
                for (QGraphicsItem *child : item->childItems())
                    collect(child);
            };
            collect(chartView->chart());
            QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("%1 at %2 x %3: %4")
                                                   .arg(chartView->objectName())
                                                   .arg(size.width())
                                                   .arg(size.height())
                                                   .arg(cut.join(u'|'))));
        }
    }
}

void ValidationViewTest::validateRunsFromTheSheetToTheView()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {windows + QStringLiteral("gr4j-1991.inp")};
    form.InputOpenActionExecute();
    QCOMPARE(DMQuellow.NrOfData, 365);

    QString simulationNse;
    int rows = 0;
    auto *timer = new QTimer(qApp); // freed with the application if it never fires
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *view = qobject_cast<TValidationView *>(w); view && view->isVisible()) {
                timer->stop();
                timer->deleteLater();
                auto *table = view->findChild<QTableWidget *>(QStringLiteral("FiguresTable"));
                simulationNse = table->item(0, 0)->text();
                rows = view->validation().Rows;
                view->reject();
            }
    });
    timer->start(10);
    dialogs.OpenNames = {windows + QStringLiteral("gr4j-1992.inp")};
    answerValidate(
        [](TValidateDialog &dialog) { In<QPushButton>(dialog, "BrowseButton")->click(); });
    Button(form, "ValidateButton")->click();
    QCOMPARE(dialogs.Messages, QStringList());
    QCOMPARE(dialogs.OpenDialogs.last().Title, QStringLiteral("Validation file"));
    QCOMPARE(rows, 365 - 1);
    // A calibrated transfer of this pair keeps a good part of its skill.
    QVERIFY2(simulationNse.toDouble() > 0.4, qPrintable(simulationNse));
}

// A fault in the band's sets, and memory that runs out on the validation's thread outside the
// validation itself, each end in a message box: no view, the sheet as it was, the window alive.
void ValidationViewTest::faultEndsInAMessageAndKeepsTheSheet()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {windows + QStringLiteral("gr4j-1991.inp")};
    form.InputOpenActionExecute();
    const QString firstRow = Sheet(form)->cellText(3, 0), lastRow = Sheet(form)->cellText(3, 364);
    UValidation::TValidation shown;
    int views = 0;
    QStringList axis;
    QTimer *timer = takeView(shown, views, axis);
    struct TRestore
    {
        ~TRestore() { ValidationStartHook = nullptr; }
    } restore;
    const std::function<void(UValidation::TOptions &)> faults[] = {
        [](UValidation::TOptions &options) {
            options.Evaluations = 400;
            options.BeforeBandSet = [](int set) {
                if (set == 3)
                    throw std::runtime_error("set 3 went wrong");
            };
        },
        [](UValidation::TOptions &) { throw std::bad_alloc(); },
    };
    for (const auto &fault : faults) {
        ValidationStartHook = fault;
        answerValidate([](TValidateDialog &dialog) {
            In<QLineEdit>(dialog, "SourceEdit")->setText(windows + QStringLiteral("gr4j-1992.inp"));
        });
        Button(form, "ValidateButton")->click();
    }
    timer->stop();
    delete timer;
    QCOMPARE(dialogs.Messages,
             (QStringList{QStringLiteral("The validation stopped: set 3 went wrong"),
                          QStringLiteral("There is not enough memory.")}));
    QCOMPARE(views, 0);
    QCOMPARE(DMQuellow.NrOfData, 365);
    QCOMPARE(Sheet(form)->cellText(3, 0), firstRow);
    QCOMPARE(Sheet(form)->cellText(3, 364), lastRow);
    QVERIFY(form.isEnabled());
}

void ValidationViewTest::cancelShowsNothing()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {windows + QStringLiteral("gr4j-1991.inp")};
    form.InputOpenActionExecute();

    bool cancelled = false, viewShown = false;
    auto *timer = new QTimer(qApp); // freed with the application if it never fires
    QObject::connect(timer, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<TValidationView *>(w) && w->isVisible()) {
                viewShown = true;
                static_cast<QDialog *>(w)->reject();
            }
            if (auto *dialog = qobject_cast<TValidateDialog *>(w); dialog && dialog->isVisible()) {
                In<QLineEdit>(*dialog, "SourceEdit")
                    ->setText(windows + QStringLiteral("gr4j-1992.inp"));
                dialog->accept();
            }
            if (w->objectName() == QLatin1String("ValidateProgress") && w->isVisible() &&
                !cancelled) {
                cancelled = true;
                w->findChild<QPushButton *>()->click();
            }
        }
    });
    timer->start(1);
    form.findChild<QAction *>(QStringLiteral("ValidateAction"))->trigger();
    timer->stop();
    delete timer;
    QVERIFY(cancelled);
    QVERIFY(!viewShown);
    QCOMPARE(dialogs.Messages, QStringList());
}

// Validate > "Import series..." of a series file whose runoff is joined from a station file in
// m3/s, the unit and the catchment area named in the station file's head: the view and the
// report name that file and its column, the unit converted from, the area and the factor, and
// where the unit and the area were found.
void ValidationViewTest::importedWindowNamesRunoffFileAndUnit()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {windows + QStringLiteral("gr4j-1991.inp")};
    form.InputOpenActionExecute();
    const QString basin = DataPath("seasons/basin-large-sample.txt");
    const QString station = DataPath("seasons/station-6335020.txt");
    dialogs.OpenNames = {basin, station};
    UValidation::TValidation shown;
    int views = 0;
    QStringList axis;
    QTimer *timer = takeView(shown, views, axis);
    answerValidate([](TValidateDialog &dialog) {
        QTimer::singleShot(0, [] {
            auto *preview = qobject_cast<TImportDialog *>(QApplication::activeModalWidget());
            QVERIFY(preview);
            In<QComboBox>(*preview, "SecondRoleBox")->setCurrentIndex(3); // runoff
            In<QPushButton>(*preview, "SecondFileButton")->click();
            In<QPushButton>(*preview, "ImportButton")->click();
        });
        In<QPushButton>(dialog, "ImportSeriesButton")->click();
    });
    form.findChild<QAction *>(QStringLiteral("ValidateAction"))->trigger();
    timer->stop();
    delete timer;
    QCOMPARE(dialogs.Messages, QStringList());
    QCOMPARE(views, 1);
    // The longest stretch of dates that both files give.
    const std::string source =
        "imported from " + basin.toStdString() +
        ", 1987-08-16 12:00 to 1988-09-04 12:00 (386 rows, time in days); runoff from " +
        station.toStdString() +
        ", column 'Value'; runoff converted from m3/s (station-6335020.txt, line 4) to mm per "
        "day over 412.7 km2 (station-6335020.txt, line 3): factor 0.20935304095";
    QCOMPARE(QString::fromStdString(shown.ValSource), QString::fromStdString(source));
    QVERIFY(validationSummaryLines(shown).contains(
        QString::fromStdString("Validation window " + source)));
}

// An hourly window from a series that starts in the hour that summer time skips: its dates
// start at that hour, whatever the local time zone.
void ValidationViewTest::importedHourlyWindowStartsInASkippedHour()
{
    const QByteArray zone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    // Central European time, summer time from the last Sunday of March at 02:00.
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    QTemporaryDir dir;
    QString csv = QStringLiteral("date,rain,pet,runoff\n");
    const QDateTime start(QDate(2004, 3, 28), QTime(2, 0), Qt::UTC);
    for (int k = 0; k < 48; ++k)
        csv += start.addSecs(3600 * k).toString(QStringLiteral("yyyy-MM-dd hh:mm")) +
               QStringLiteral(",%1,0.1,0.2\n").arg(k % 5 == 0 ? 1.5 : 0.0);
    const QString series = dir.filePath(QStringLiteral("hourly.csv"));
    WriteFileBytes(series, csv.toUtf8());
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {windows + QStringLiteral("gr4j-1991.inp")};
    form.InputOpenActionExecute();
    dialogs.OpenNames = {series};
    TValidateChoices taken;
    answerValidate([&taken](TValidateDialog &dialog) {
        QTimer::singleShot(0, [] {
            auto *preview = qobject_cast<TImportDialog *>(QApplication::activeModalWidget());
            QVERIFY(preview);
            In<QPushButton>(*preview, "ImportButton")->click();
        });
        In<QPushButton>(dialog, "ImportSeriesButton")->click();
        taken = dialog.choices();
        dialog.reject();
    });
    form.findChild<QAction *>(QStringLiteral("ValidateAction"))->trigger();
    if (hadZone)
        qputenv("TZ", zone);
    else
        qunsetenv("TZ");
    tzset();
    QCOMPARE(dialogs.Messages, QStringList());
    QVERIFY(taken.Imported);
    QCOMPARE(taken.ImportedCalendar.First, start);
    QCOMPARE(taken.ImportedCalendar.UnitSeconds, 3600.0);
}

void ValidationViewTest::optionsAndImportedSeriesReachTheValidation()
{
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {windows + QStringLiteral("gr4j-1991.inp")};
    form.InputOpenActionExecute();
    auto *validate = form.findChild<QAction *>(QStringLiteral("ValidateAction"));
    UValidation::TValidation shown;
    int views = 0;
    QStringList axis;
    QTimer *timer = takeView(shown, views, axis);

    // A bad warm-up gets its message and the dialog stays; nothing runs.
    bool stayed = false;
    answerValidate([&stayed](TValidateDialog &dialog) {
        In<QLineEdit>(dialog, "SourceEdit")->setText(windows + QStringLiteral("gr4j-1992.inp"));
        In<QLineEdit>(dialog, "WarmupEdit")->setText(QStringLiteral("2.5"));
        QTimer::singleShot(0, [&stayed, &dialog] {
            stayed = dialog.isVisible();
            dialog.reject();
        });
    });
    validate->trigger();
    QVERIFY(stayed);
    QCOMPARE(dialogs.Messages,
             QStringList{QStringLiteral("The warm-up needs a whole number of 0 or more.")});
    QCOMPARE(views, 0);
    // So does an initial storage above the maximum, with the focus on its box.
    dialogs.Messages.clear();
    stayed = false;
    answerValidate([&stayed](TValidateDialog &dialog) {
        In<QLineEdit>(dialog, "SourceEdit")->setText(windows + QStringLiteral("gr4j-1992.inp"));
        In<QLineEdit>(dialog, "WarmupEdit")->setText(QStringLiteral("0"));
        In<QComboBox>(dialog, "InitStorageComboBox")->setCurrentText(QStringLiteral("600"));
        QTimer::singleShot(0, [&stayed, &dialog] {
            auto *box = In<QComboBox>(dialog, "InitStorageComboBox");
            stayed = dialog.isVisible() &&
                     (dialog.focusWidget() == box || dialog.focusWidget() == box->lineEdit());
            box->setCurrentText(QStringLiteral("cal"));
            dialog.reject();
        });
    });
    validate->trigger();
    QVERIFY(stayed);
    QCOMPARE(dialogs.Messages,
             QStringList{QStringLiteral("The initial storage of 600 mm lies above the maximum "
                                        "storage of 500.00 mm (the largest the calibration "
                                        "searches): give at most the maximum, or full.")});
    QCOMPARE(views, 0);

    // So does a warm-up that leaves too few rows of the window to score, with the focus on it.
    dialogs.Messages.clear();
    stayed = false;
    bool focused = false;
    const QString val1992 = windows + QStringLiteral("gr4j-1992.inp");
    answerValidate([&stayed, &focused, &val1992](TValidateDialog &dialog) {
        In<QLineEdit>(dialog, "SourceEdit")->setText(val1992);
        In<QLineEdit>(dialog, "WarmupEdit")->setText(QStringLiteral("353"));
        QTimer::singleShot(0, [&stayed, &focused, &dialog] {
            stayed = dialog.isVisible();
            focused = dialog.focusWidget() == In<QLineEdit>(dialog, "WarmupEdit");
            dialog.reject();
        });
    });
    validate->trigger();
    QVERIFY(stayed);
    QVERIFY(focused);
    QCOMPARE(dialogs.Messages, QStringList{"A warm-up of 353 rows leaves 11 scored rows of \"" +
                                           val1992 + "\"; a validation needs at least 12."});
    QCOMPARE(views, 0);

    // The 1992 window as a dated series, taken through Import series..., for KGE after 30
    // warm-up rows: the validation of the input file with the same rows and options.
    URainRun::TAnalysisInput val;
    QVERIFY(URainRun::ReadAnalysisInput((windows + QStringLiteral("gr4j-1992.inp")).toStdString(),
                                        val, nullptr));
    // With more digits than the input file keeps: the validation reads what Save/Run writes.
    const auto more = [](double v) { return QString::number(v * 1.00001, 'g', 12); };
    QString csv = QStringLiteral("date,rain,pet,runoff\n");
    for (std::size_t k = 0; k < val.Rows.size(); ++k)
        csv += QDate(1992, 1, 1).addDays(static_cast<qint64>(k)).toString(Qt::ISODate) +
               QLatin1Char(',') + more(val.Rows[k].Rain) + QLatin1Char(',') +
               more(val.Rows[k].Escape) + QLatin1Char(',') + more(val.Rows[k].Runoff) +
               QLatin1Char('\n');
    const QString series = dir.filePath(QStringLiteral("gauge.csv"));
    WriteFileBytes(series, csv.toUtf8());
    dialogs.Messages.clear();
    dialogs.OpenNames = {series};
    QString sourceShown;
    answerValidate([&sourceShown](TValidateDialog &dialog) {
        In<QComboBox>(dialog, "ObjectiveComboBox")->setCurrentIndex(1); // KGE
        In<QLineEdit>(dialog, "WarmupEdit")->setText(QStringLiteral("30"));
        QTimer::singleShot(0, [] {
            auto *preview = qobject_cast<TImportDialog *>(QApplication::activeModalWidget());
            QVERIFY(preview);
            QVERIFY(!In<QComboBox>(*preview, "ModeBox")->isEnabled());
            In<QPushButton>(*preview, "ImportButton")->click();
        });
        In<QPushButton>(dialog, "ImportSeriesButton")->click();
        sourceShown = In<QLineEdit>(dialog, "SourceEdit")->text();
    });
    validate->trigger();
    timer->stop();
    delete timer;
    QCOMPARE(dialogs.Messages, QStringList());
    QCOMPARE(sourceShown, series);
    QCOMPARE(views, 1);
    QCOMPARE(shown.ValFile, series.toStdString());
    QCOMPARE(shown.Warmup, 30);
    QCOMPARE(shown.Rows, 365 - 1 - 30);
    // The series has dates: the charts show them.
    QCOMPARE(axis.value(0), QStringLiteral("Date"));
    QVERIFY2(axis.contains(QStringLiteral("Mar 1992")) && axis.contains(QStringLiteral("Jul 1992")),
             qPrintable(axis.join(u'|')));
    // The view and the report name the window so that it can be taken again.
    const std::string source = "imported from " + series.toStdString() +
                               ", 1992-01-01 to 1992-12-30 (365 rows, time in days); runoff "
                               "from the series file, column 'runoff'; runoff in the file's "
                               "unit, taken as mm per time unit";
    QCOMPARE(shown.ValSource, source);
    QVERIFY(validationSummaryLines(shown).contains(
        QString::fromStdString("Validation window " + source)));

    URainRun::TAnalysisInput cal;
    QVERIFY(URainRun::ReadAnalysisInput((windows + QStringLiteral("gr4j-1991.inp")).toStdString(),
                                        cal, nullptr));
    UValidation::TOptions options;
    options.Objective = UCalibration::TObjective::KGE;
    options.Warmup = 30;
    const UValidation::TValidation file = UValidation::Validate(cal, "cal", val, "val", options);
    QVERIFY(shown.Objective == UCalibration::TObjective::KGE);
    QVERIFY(shown.Measured == file.Measured);
    QVERIFY(shown.Simulated == file.Simulated);
    QCOMPARE(shown.Validation.Skill.Fit.KGE, file.Validation.Skill.Fit.KGE);
    QCOMPARE(shown.Self.Fit.NSE, file.Self.Fit.NSE);

    // The choices are offered again.
    answerValidate([](TValidateDialog &dialog) {
        const TValidateChoices c = dialog.choices();
        QVERIFY(c.Imported && c.Objective == UCalibration::TObjective::KGE);
        QVERIFY(c.ImportedSource.rfind("imported from ", 0) == 0);
        QCOMPARE(c.Warmup, QStringLiteral("30"));
        dialog.reject();
    });
    validate->trigger();
}

// The robust alpha function and the number of sets evaluated are options of the dialog; a bad
// number is refused with the dialog kept.
void ValidationViewTest::robustAlphaAndEvaluationsReachTheValidation()
{
    TScriptedDialogs dialogs;
    TRainForm form;
    OpenFreshSheet(form);
    dialogs.OpenNames = {windows + QStringLiteral("gr4j-1991.inp")};
    form.InputOpenActionExecute();
    UValidation::TOptions seen;
    struct TRestore
    {
        ~TRestore() { ValidationStartHook = nullptr; }
    } restore;
    ValidationStartHook = [&seen](UValidation::TOptions &options) {
        seen = options;
        throw std::runtime_error("seen");
    };
    bool stayed = false;
    answerValidate([&stayed, &dialogs](TValidateDialog &dialog) {
        In<QLineEdit>(dialog, "SourceEdit")->setText(windows + QStringLiteral("gr4j-1992.inp"));
        In<QCheckBox>(dialog, "RobustAlphaCheckBox")->setChecked(true);
        In<QLineEdit>(dialog, "EvaluationsEdit")->setText(QStringLiteral("0"));
        In<QPushButton>(dialog, "OkButton")->click();
        stayed = dialog.isVisible() && dialogs.Messages.size() == 1;
        In<QLineEdit>(dialog, "EvaluationsEdit")->setText(QStringLiteral("77"));
    });
    Button(form, "ValidateButton")->click();
    QVERIFY(stayed);
    QCOMPARE(dialogs.Messages,
             (QStringList{QStringLiteral("The number of evaluations needs a whole number of 1 or "
                                         "more."),
                          QStringLiteral("seen")}));
    QVERIFY(seen.RobustAlpha);
    QCOMPARE(seen.Evaluations, 77);
}

QTEST_MAIN(ValidationViewTest)
#include "ValidationViewTest.moc"
