#include "ui/UJointValidationView.h"

#include "files/UTextFields.h"
#include "ui/UBackgroundWork.h"

#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QScreen>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace quellow {

namespace {

using UJointValidation::TValidation;
using UJointValidation::TWindowStatus;
using UJointValidation::TWindowValidation;

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

/// The first run of exactly four digits in text that reads as a year from 1800 to 2100; 0
/// when there is none.
int yearIn(const std::string &text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
            ++end;
        if (end - i == 4) {
            const int year = std::stoi(text.substr(i, 4));
            if (year >= 1800 && year <= 2100)
                return year;
        }
        i = end;
    }
    return 0;
}

/// A benchmark of a window and its name.
struct TSeriesOf
{
    const char *Name;
    QColor Colour;
    const UValidation::TBenchmark TWindowValidation::*Benchmark; ///< nullptr: the validation
};

const TSeriesOf seriesOf[] = {
    {"validation", QColor(0, 90, 200), nullptr},
    {"start", QColor(150, 150, 150), &TWindowValidation::Start},
    {"self", QColor(40, 150, 60), &TWindowValidation::Self},
    {"mean", QColor(200, 130, 20), &TWindowValidation::Mean},
    {"recession", QColor(170, 50, 160), &TWindowValidation::Recession},
};

/// The NSE of series s of window w; false when it has none.
bool nseOf(const TWindowValidation &w, const TSeriesOf &s, double &nse)
{
    if (w.Status != TWindowStatus::Validated)
        return false;
    if (!s.Benchmark) {
        if (!w.Validation.Made || !w.Validation.Skill.Valid)
            return false;
        nse = w.Validation.Skill.Fit.NSE;
        return std::isfinite(nse);
    }
    const UValidation::TBenchmark &b = w.*(s.Benchmark);
    if (!b.Defined)
        return false;
    nse = b.Fit.NSE;
    return std::isfinite(nse);
}

QString figure(bool defined, double value, int decimals)
{
    return defined ? QString::number(value, 'f', decimals) : QStringLiteral("-");
}

} // namespace

int windowYear(const std::string &file, const std::string &title1, int place)
{
    if (const int year = yearIn(std::filesystem::path(file).filename().string()))
        return year;
    if (const int year = yearIn(title1))
        return year;
    return place;
}

std::vector<double> windowPlaces(const std::vector<int> &years)
{
    std::vector<double> places;
    for (std::size_t k = 0; k < years.size(); ++k) {
        const auto count = std::count(years.begin(), years.end(), years[k]);
        const auto before =
            std::count(years.begin(), years.begin() + static_cast<long>(k), years[k]);
        places.push_back(years[k] + static_cast<double>(before) / static_cast<double>(count));
    }
    return places;
}

std::vector<int> windowYears(const std::vector<UJointCalibration::TWindow> &windows)
{
    std::vector<int> years;
    for (std::size_t k = 0; k < windows.size(); ++k)
        years.push_back(
            windowYear(windows[k].File, windows[k].Input.Title1, static_cast<int>(k) + 1));
    return years;
}

QStringList jointValidationLines(const TValidation &v)
{
    int validated = 0, skipped = 0, failed = 0;
    for (const TWindowValidation &w : v.Windows)
        (w.Status == TWindowStatus::Validated ? validated
         : w.Status == TWindowStatus::Skipped ? skipped
                                              : failed)++;
    QStringList lines;
    lines << q(printfText("%d windows: %d validated, %d skipped, %d failed (%.1f s)",
                          static_cast<int>(v.Windows.size()), validated, skipped, failed,
                          v.Seconds));
    if (v.Summary.Defined) {
        const auto &n = v.Summary.NSE, &k = v.Summary.KGE;
        lines << q(
            printfText("Validation NSE: 25 %% %.3f, median %.3f, 75 %% %.3f", n[0], n[1], n[2]));
        lines << q(
            printfText("Validation KGE: 25 %% %.3f, median %.3f, 75 %% %.3f", k[0], k[1], k[2]));
    } else {
        lines << QStringLiteral("No window was validated.");
    }
    QStringList medians;
    for (const TSeriesOf &s : seriesOf) {
        if (!s.Benchmark)
            continue;
        std::vector<double> values;
        for (const TWindowValidation &w : v.Windows)
            if (double nse = 0; nseOf(w, s, nse))
                values.push_back(nse);
        medians << QStringLiteral("%1 %2").arg(
            QLatin1String(s.Name),
            figure(!values.empty(),
                   values.empty() ? 0 : UValidation::Quantile(values.data(), values.size(), 0.5),
                   3));
    }
    lines << QStringLiteral("Median NSE of the benchmarks: ") + medians.join(QStringLiteral(", "));
    return lines;
}

QChart *jointValidationChart(const TValidation &v, const std::vector<int> &years)
{
    auto *chart = new QChart;
    chart->setTitle(QStringLiteral("Validation NSE of each window, with the benchmarks"));
    QFont font = chart->titleFont();
    font.setPointSizeF(10);
    font.setBold(true);
    chart->setTitleFont(font);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setFont(QFont(font.family(), 8));
    chart->legend()->setAlignment(Qt::AlignBottom);

    auto *x = new QValueAxis;
    x->setTitleText(QStringLiteral("Year of the window"));
    x->setLabelFormat(QStringLiteral("%i"));
    auto *y = new QValueAxis;
    y->setTitleText(QStringLiteral("NSE (below -1 drawn at -1)"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    const std::vector<double> places = windowPlaces(years);
    double low = 0;
    for (const TSeriesOf &s : seriesOf) {
        auto *line = new QLineSeries;
        line->setName(QLatin1String(s.Name));
        QPen pen(s.Colour, s.Benchmark ? 1.2 : 2.2);
        if (s.Benchmark)
            pen.setStyle(Qt::DashLine);
        line->setPen(pen);
        auto *dots = new QScatterSeries;
        dots->setColor(s.Colour);
        dots->setBorderColor(s.Colour);
        dots->setMarkerSize(s.Benchmark ? 6 : 9);
        for (std::size_t k = 0; k < v.Windows.size() && k < places.size(); ++k) {
            double nse = 0;
            if (!nseOf(v.Windows[k], s, nse))
                continue;
            const double shown = std::max(nse, LowestNseShown);
            line->append(places[k], shown);
            dots->append(places[k], shown);
            low = std::min(low, shown);
        }
        chart->addSeries(line);
        chart->addSeries(dots);
        for (QAbstractSeries *series :
             {static_cast<QAbstractSeries *>(line), static_cast<QAbstractSeries *>(dots)}) {
            series->attachAxis(x);
            series->attachAxis(y);
        }
        // One entry in the legend per series: the line's.
        chart->legend()->markers(dots).value(0)->setVisible(false);
    }
    // Every window's place on the axis, a skipped or failed one's too (a gap in the lines), and
    // half a year beyond the ends, so that the dots at the ends are drawn whole.
    double first = 0, last = 0;
    for (std::size_t k = 0; k < v.Windows.size() && k < places.size(); ++k) {
        first = k ? std::min(first, places[k]) : places[k];
        last = k ? std::max(last, places[k]) : places[k];
    }
    x->setRange(first - 0.5, last + 0.5);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(std::floor(first));
    x->setTickInterval(std::max(1, static_cast<int>(std::ceil((last - first) / 8.0))));
    y->setRange(low < 0 ? std::floor(low * 2) / 2 : 0, 1);
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0);
    y->setTickInterval(low < -0.5 ? 0.25 : 0.1);
    y->setLabelFormat(QStringLiteral("%.2f"));
    return chart;
}

TJointValidationView::TJointValidationView(TValidation validation, std::vector<int> years,
                                           int rolling, QWidget *parent)
    : QDialog(parent), mValidation(std::move(validation)), mYears(std::move(years))
{
    setObjectName(QStringLiteral("JointValidationView"));
    setWindowTitle((rolling > 0 ? QStringLiteral("Rolling validation (%2 before) of %1 windows")
                                : QStringLiteral("Leave-one-out validation of %1 windows"))
                       .arg(mValidation.Windows.size())
                       .arg(rolling));
    auto *layout = new QVBoxLayout(this);

    auto *summary = new QLabel(jointValidationLines(mValidation).join(QLatin1Char('\n')), this);
    summary->setObjectName(QStringLiteral("SummaryLabel"));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary);

    auto *chartView = new QChartView(jointValidationChart(mValidation, mYears), this);
    chartView->setObjectName(QStringLiteral("Chart_years"));
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(540, 260);
    layout->addWidget(chartView, 3);

    auto *table = new QTableWidget(this);
    table->setObjectName(QStringLiteral("WindowsTable"));
    const QStringList headings = {QStringLiteral("Year"),         QStringLiteral("NSE"),
                                  QStringLiteral("KGE"),          QStringLiteral("volume %"),
                                  QStringLiteral("start NSE"),    QStringLiteral("self NSE"),
                                  QStringLiteral("mean NSE"),     QStringLiteral("recession NSE"),
                                  QStringLiteral("Calibrated on")};
    table->setColumnCount(static_cast<int>(headings.size()));
    table->setHorizontalHeaderLabels(headings);
    table->setRowCount(static_cast<int>(mValidation.Windows.size()));
    auto put = [table](int row, int col, const QString &text, bool right = true) {
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table->setItem(row, col, item);
        return item;
    };
    for (int row = 0; row < table->rowCount(); ++row) {
        const TWindowValidation &w = mValidation.Windows[static_cast<std::size_t>(row)];
        auto *name = new QTableWidgetItem(QFileInfo(q(w.File)).fileName());
        name->setToolTip(q(w.File));
        table->setVerticalHeaderItem(row, name);
        put(row, 0,
            static_cast<std::size_t>(row) < mYears.size()
                ? QString::number(mYears[static_cast<std::size_t>(row)])
                : QString());
        if (w.Status != TWindowStatus::Validated) {
            auto *why = put(row, 1,
                            w.Status == TWindowStatus::Skipped ? QStringLiteral("skipped")
                                                               : QStringLiteral("failed"),
                            false);
            why->setToolTip(q(w.Message));
            for (int col = 2; col < table->columnCount() - 1; ++col)
                put(row, col, QString());
            put(row, table->columnCount() - 1, q(w.Message), false);
            continue;
        }
        const TSkill &s = w.Validation.Skill;
        const bool d = w.Validation.Made && s.Valid;
        put(row, 1, figure(d, s.Fit.NSE, 3));
        put(row, 2, figure(d, s.Fit.KGE, 3));
        put(row, 3, figure(d, s.Fit.VolumeError, 1));
        int col = 4;
        for (const TSeriesOf &b : seriesOf)
            if (b.Benchmark) {
                const UValidation::TBenchmark &m = w.*(b.Benchmark);
                put(row, col++, figure(m.Defined, m.Fit.NSE, 3));
            }
        QStringList on;
        for (const std::string &file : w.CalibratedOn)
            on << QFileInfo(q(file)).fileName();
        put(row, col, on.join(QStringLiteral(", ")), false)->setToolTip(on.join(QLatin1Char('\n')));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(22);
    // As high as its rows need, within a third of what the view may take; the chart takes the
    // rest.
    const int header = table->horizontalHeader()->sizeHint().height() + 24;
    table->setMinimumHeight(header + 22 * std::min(table->rowCount(), 4));
    table->setMaximumHeight(header + 22 * std::clamp(table->rowCount(), 4, 12));
    layout->addWidget(table, 1);

    auto *buttons = new QDialogButtonBox(this);
    auto *close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    table->setFocus();
    if (table->rowCount() > 0)
        table->setCurrentCell(0, 1);
    // Within the free area of the screen (with room for the frame), so that the buttons can be
    // reached on a screen of 1366 x 768.
    QSize size(1100, 820);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    resize(size.expandedTo(minimumSizeHint()));
}

// ---- The validation off the user-interface thread -------------------------------------------

namespace {

std::atomic<bool> *runningCancel = nullptr;

} // namespace

bool cancelRunningJointValidation()
{
    if (!runningCancel)
        return false;
    *runningCancel = true;
    return true;
}

TValidation runJointValidation(QWidget *parent,
                               const std::vector<UJointCalibration::TWindow> &windows,
                               const UJointValidation::TOptions &given)
{
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    UJointValidation::TOptions options = given;
    options.Joint.Cancel = &cancel;
    options.Progress = [&done](int windowsDone, int) { done = windowsDone; };
    TValidation result;
    runInBackground(
        parent,
        {QStringLiteral("Validating each of %1 windows on the others ...").arg(windows.size()),
         QStringLiteral("Leave one out"), QStringLiteral("JointValidateProgress"),
         static_cast<int>(windows.size())},
        cancel, &done, runningCancel,
        [&] { result = UJointValidation::Validate(windows, options); });
    return result;
}

} // namespace quellow
