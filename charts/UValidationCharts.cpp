#include "charts/UValidationCharts.h"

#include "files/UFileUtil.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QFontMetricsF>
#include <QLocale>
#include <QGraphicsScene>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace quellow::UValidationCharts {

namespace {

using UValidation::TValidation;

const QColor measuredColour(20, 20, 20);
const QColor simulatedColour(0, 90, 200);
const QColor bandColour(120, 170, 235, 110);
const QColor rainColour(70, 150, 90, 150);
const QColor scanColour(130, 130, 130);
const QColor searchColour(200, 40, 30);

QChart *newChart(const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    QFont font = chart->titleFont();
    font.setPointSizeF(10);
    font.setBold(true);
    chart->setTitleFont(font);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setFont(QFont(font.family(), 8));
    // A picture for a report: drawn at once, not moving in.
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

/// The ticks of an axis: every multiple of a step of 1, 2 or 5 times a power of ten.
struct TTicks
{
    long long Mantissa = 1;
    int Exponent = 0;

    /// The value of tick k, k times the step: the nearest double to the decimal number.
    double value(long long k) const
    {
        const double power = std::pow(10.0, std::abs(Exponent));
        return Exponent >= 0 ? double(k * Mantissa) * power : double(k * Mantissa) / power;
    }

    /// The label of tick k, written from its digits: "0", "-0.2", "1000".
    QString label(long long k) const
    {
        const long long n = k * Mantissa;
        QString digits = QString::number(n < 0 ? -n : n);
        if (n == 0)
            return digits;
        if (Exponent >= 0)
            digits += QString(Exponent, QLatin1Char('0'));
        else {
            digits = digits.rightJustified(-Exponent + 1, QLatin1Char('0'));
            digits.insert(digits.size() + Exponent, QLatin1Char('.'));
            while (digits.endsWith(QLatin1Char('0')))
                digits.chop(1);
            if (digits.endsWith(QLatin1Char('.')))
                digits.chop(1);
        }
        return n < 0 ? QLatin1Char('-') + digits : digits;
    }
};

/// The step that cuts span into at most parts parts.
TTicks ticksFor(double span, int parts = 5)
{
    TTicks t;
    const double raw = span / parts;
    t.Exponent = static_cast<int>(std::floor(std::log10(raw)));
    const double f = raw / std::pow(10.0, t.Exponent);
    t.Mantissa = f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10;
    if (t.Mantissa == 10) {
        t.Mantissa = 1;
        ++t.Exponent;
    }
    return t;
}

/// A tick of an axis: its value and its label.
struct TTick
{
    double Value = 0;
    QString Label;
};

/// The ticks of an axis with the range they are shown over.
struct TTickSet
{
    std::vector<TTick> Ticks;
    double Low = 0, High = 1;
    double Start = 0; ///< where the first band of the axis begins, below the first tick
};

/// Ticks on round values from low to high, at most parts parts apart, each labelled with its
/// own digits (a tick placed at low + k * step would show its rounding, "5.551e-17" for 0).
/// With nice, the ends move out to ticks.
TTickSet valueTicks(double low, double high, bool nice, int parts)
{
    const TTicks ticks = ticksFor(high - low, parts);
    const double step = ticks.value(1);
    // A quotient a hair off a whole number (0.6 / 0.2) counts as that number.
    const double from = low / step, to = high / step, hair = 1e-9;
    const auto first =
        static_cast<long long>(nice ? std::floor(from + hair) : std::ceil(from - hair));
    const auto last = static_cast<long long>(nice ? std::ceil(to - hair) : std::floor(to + hair));
    TTickSet set;
    set.Low = nice ? ticks.value(first) : low;
    set.High = nice ? ticks.value(last) : high;
    set.Start = ticks.value(first - 1);
    for (long long k = first; k <= last; ++k)
        set.Ticks.push_back({ticks.value(k), ticks.label(k)});
    return set;
}

/// The calendar steps of a dated axis, finest first.
enum class TDateUnit { Hour, Day, Week, Month, Year };
struct TDateStep
{
    TDateUnit Unit;
    int Count;
};
constexpr TDateStep dateSteps[] = {
    {TDateUnit::Hour, 1},  {TDateUnit::Hour, 2},  {TDateUnit::Hour, 3},  {TDateUnit::Hour, 6},
    {TDateUnit::Hour, 12}, {TDateUnit::Day, 1},   {TDateUnit::Day, 2},   {TDateUnit::Week, 1},
    {TDateUnit::Week, 2},  {TDateUnit::Month, 1}, {TDateUnit::Month, 2}, {TDateUnit::Month, 3},
    {TDateUnit::Month, 6}, {TDateUnit::Year, 1},  {TDateUnit::Year, 2},  {TDateUnit::Year, 5},
    {TDateUnit::Year, 10}, {TDateUnit::Year, 20}, {TDateUnit::Year, 50}, {TDateUnit::Year, 100}};

/// The first boundary of step at or after from (UTC).
QDateTime firstBoundary(const QDateTime &from, TDateStep step)
{
    const QDate day = from.date();
    QDateTime t;
    switch (step.Unit) {
    case TDateUnit::Hour:
        t = QDateTime(day, QTime(from.time().hour(), 0), Qt::UTC);
        if (t < from)
            t = t.addSecs(3600);
        while (t.time().hour() % step.Count)
            t = t.addSecs(3600);
        return t;
    case TDateUnit::Day:
    case TDateUnit::Week: {
        t = QDateTime(day, QTime(0, 0), Qt::UTC);
        if (t < from)
            t = t.addDays(1);
        // Weeks begin on Mondays, days and fortnights at a fixed count from the calendar's start.
        while (
            (step.Unit == TDateUnit::Week && t.date().dayOfWeek() != 1) ||
            ((step.Unit == TDateUnit::Week ? t.date().toJulianDay() / 7 : t.date().toJulianDay()) %
             step.Count))
            t = t.addDays(1);
        return t;
    }
    case TDateUnit::Month:
        t = QDateTime(QDate(day.year(), day.month(), 1), QTime(0, 0), Qt::UTC);
        if (t < from)
            t = t.addMonths(1);
        while ((t.date().month() - 1) % step.Count)
            t = t.addMonths(1);
        return t;
    case TDateUnit::Year:
        t = QDateTime(QDate(day.year(), 1, 1), QTime(0, 0), Qt::UTC);
        if (t < from)
            t = t.addYears(1);
        while (t.date().year() % step.Count)
            t = t.addYears(1);
        return t;
    }
    return t;
}

QDateTime nextBoundary(const QDateTime &t, TDateStep step)
{
    switch (step.Unit) {
    case TDateUnit::Hour:
        return t.addSecs(3600LL * step.Count);
    case TDateUnit::Day:
        return t.addDays(step.Count);
    case TDateUnit::Week:
        return t.addDays(7LL * step.Count);
    case TDateUnit::Month:
        return t.addMonths(step.Count);
    case TDateUnit::Year:
        return t.addYears(step.Count);
    }
    return t;
}

QString dateLabel(const QDateTime &t, TDateUnit unit)
{
    const QLocale c = QLocale::c();
    switch (unit) {
    case TDateUnit::Hour:
        return c.toString(t, QStringLiteral("yyyy-MM-dd hh:mm"));
    case TDateUnit::Day:
    case TDateUnit::Week:
        return c.toString(t, QStringLiteral("yyyy-MM-dd"));
    case TDateUnit::Month:
        return c.toString(t, QStringLiteral("MMM yyyy"));
    case TDateUnit::Year:
        return c.toString(t, QStringLiteral("yyyy"));
    }
    return {};
}

/// Ticks on calendar boundaries (hours, days, Mondays, first days of months or years) over the
/// times low to high of a window with calendar, the finest step with at most maxTicks of them.
TTickSet dateTicks(const TCalendar &calendar, double low, double high, int maxTicks)
{
    const auto at = [&calendar](double time) {
        return calendar.First.addMSecs(
            std::llround((time - calendar.FirstTime) * calendar.UnitSeconds * 1000));
    };
    const auto timeOf = [&calendar](const QDateTime &t) {
        return calendar.FirstTime +
               static_cast<double>(calendar.First.msecsTo(t)) / 1000 / calendar.UnitSeconds;
    };
    const QDateTime from = at(low), to = at(high);
    TTickSet set;
    set.Low = low;
    set.High = high;
    set.Start = low - (high - low);
    for (const TDateStep step : dateSteps) {
        std::vector<TTick> ticks;
        for (QDateTime t = firstBoundary(from, step); t <= to; t = nextBoundary(t, step)) {
            ticks.push_back({timeOf(t), dateLabel(t, step.Unit)});
            if (static_cast<int>(ticks.size()) > maxTicks)
                break;
        }
        set.Ticks = std::move(ticks);
        if (static_cast<int>(set.Ticks.size()) <= maxTicks)
            break;
    }
    return set;
}

// What the ticks of a category axis are made from, kept on the axis so that FitTicks can make
// them again for another size.
const char *const LevelKey = "ticksLevel"; // 0: the most ticks; each level fewer
const char *const LowKey = "ticksLow";
const char *const HighKey = "ticksHigh";
const char *const NiceKey = "ticksNice";
const char *const FirstDateKey = "ticksFirstDate"; // only on a dated axis
const char *const FirstTimeKey = "ticksFirstTime";
const char *const UnitKey = "ticksUnit";

/// The most ticks of a value axis (in parts) and of a dated axis; a level above 0 has fewer.
constexpr int ValueParts = 5, DateTicks = 8, Levels = 5;

TTickSet ticksAt(const QCategoryAxis *a, int level)
{
    const double low = a->property(LowKey).toDouble(), high = a->property(HighKey).toDouble();
    const QVariant first = a->property(FirstDateKey);
    if (!first.isValid())
        return valueTicks(low, high, a->property(NiceKey).toBool(), ValueParts - level);
    TCalendar calendar{first.toDateTime(), a->property(FirstTimeKey).toDouble(),
                       a->property(UnitKey).toDouble()};
    return dateTicks(calendar, low, high, DateTicks - level);
}

void putTicks(QCategoryAxis *a, const TTickSet &set, int level)
{
    for (const QString &label : a->categoriesLabels())
        a->remove(label);
    // Each tick ends a band and carries its label; the first band starts below the axis.
    a->setStartValue(set.Start);
    for (const TTick &t : set.Ticks)
        a->append(t.Label, t.Value);
    a->setRange(set.Low, set.High);
    a->setProperty(LevelKey, level);
}

QCategoryAxis *categoryAxis(const QString &title)
{
    auto *c = new QCategoryAxis;
    c->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    c->setTitleText(title);
    QFont font = c->labelsFont();
    font.setPointSizeF(8);
    c->setLabelsFont(font);
    font.setPointSizeF(9);
    c->setTitleFont(font);
    return c;
}

/// A value axis from low to high with its ticks on round values (valueTicks).
QValueAxis *axis(const QString &title, double low, double high, bool nice = true)
{
    if (!std::isfinite(low) || !std::isfinite(high)) {
        low = 0;
        high = 1;
    }
    if (!(high > low))
        high = low + 1;
    if (std::max(std::abs(low), std::abs(high)) / ticksFor(high - low).value(1) >= 1e12) {
        auto *a = new QValueAxis;
        a->setLabelFormat(QStringLiteral("%.4g"));
        a->setTitleText(title);
        a->setRange(low, high);
        if (nice)
            a->applyNiceNumbers();
        QFont font = a->labelsFont();
        font.setPointSizeF(8);
        a->setLabelsFont(font);
        font.setPointSizeF(9);
        a->setTitleFont(font);
        return a;
    }
    QCategoryAxis *c = categoryAxis(title);
    c->setProperty(LowKey, low);
    c->setProperty(HighKey, high);
    c->setProperty(NiceKey, nice);
    putTicks(c, ticksAt(c, 0), 0);
    return c;
}

/// The time axis of a window with dates: ticks on calendar boundaries, labelled with dates.
QValueAxis *dateAxis(const TCalendar &calendar, double low, double high)
{
    if (!(high > low))
        high = low + 1;
    QCategoryAxis *c = categoryAxis(QStringLiteral("Date"));
    c->setProperty(LowKey, low);
    c->setProperty(HighKey, high);
    c->setProperty(FirstDateKey, calendar.First);
    c->setProperty(FirstTimeKey, calendar.FirstTime);
    c->setProperty(UnitKey, calendar.UnitSeconds);
    // A 900-pixel picture holds seven dates side by side.
    putTicks(c, ticksAt(c, 1), 1);
    return c;
}

void attach(QChart *chart, QAbstractSeries *series, QAbstractAxis *x, QAbstractAxis *y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QLineSeries *line(const QString &name, const QColor &colour, double width)
{
    auto *s = new QLineSeries;
    s->setName(name);
    QPen pen(colour);
    pen.setWidthF(width);
    s->setPen(pen);
    return s;
}

/// The first row scored, from 0.
std::size_t firstScored(const TValidation &v)
{
    return static_cast<std::size_t>(std::max(0, v.Warmup)) + 1;
}

QChart *hydrograph(const TValidation &v, const TCalendar &calendar)
{
    QChart *chart = newChart(
        QStringLiteral("Validation window %1")
            .arg(QString::fromStdString(std::filesystem::path(v.ValFile).filename().string())));
    const std::size_t n = v.Measured.size();
    if (n == 0)
        return chart;
    double top = 0, rainTop = 0;
    for (std::size_t k = 0; k < n; ++k) {
        top = std::max({top, v.Measured[k], v.Simulated[k]});
        if (v.Band.Made)
            top = std::max(top, v.Band.High[k]);
        rainTop = std::max(rainTop, v.Rain[k]);
    }
    QValueAxis *x = calendar.Known()
                        ? dateAxis(calendar, v.Time.front(), v.Time.back())
                        : axis(QStringLiteral("Time"), v.Time.front(), v.Time.back(), false);
    // The runoff keeps the lower two thirds; the rain hangs from the top.
    auto *y = axis(QStringLiteral("Runoff (mm/t)"), 0, top * 1.45);
    auto *rainAxis = axis(QStringLiteral("Rain (mm/t)"), 0, rainTop * 3);
    rainAxis->setReverse(true);
    // The grid follows the runoff's ticks alone.
    rainAxis->setGridLineVisible(false);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    chart->addAxis(rainAxis, Qt::AlignRight);

    auto *rainLine = new QLineSeries, *noRain = new QLineSeries;
    for (std::size_t k = 0; k < n; ++k) {
        // Each step's rain as a bar over the step that ends at its time.
        const double from = k ? v.Time[k - 1] : v.Time[k];
        rainLine->append(from, v.Rain[k]);
        rainLine->append(v.Time[k], v.Rain[k]);
        noRain->append(from, 0);
        noRain->append(v.Time[k], 0);
    }
    auto *rain = new QAreaSeries(rainLine, noRain);
    // An area series does not own its bounding lines: it takes them as children.
    rainLine->setParent(rain);
    noRain->setParent(rain);
    rain->setName(QStringLiteral("rain"));
    rain->setColor(rainColour);
    rain->setBorderColor(rainColour);
    attach(chart, rain, x, rainAxis);

    if (v.Band.Made) {
        auto *low = new QLineSeries, *high = new QLineSeries;
        for (std::size_t k = 0; k < n; ++k) {
            low->append(v.Time[k], v.Band.Low[k]);
            high->append(v.Time[k], v.Band.High[k]);
        }
        auto *band = new QAreaSeries(high, low);
        high->setParent(band);
        low->setParent(band);
        band->setName(QStringLiteral("band 5-95 %"));
        band->setColor(bandColour);
        band->setBorderColor(bandColour);
        attach(chart, band, x, y);
    }
    auto *measured = line(QStringLiteral("measured"), measuredColour, 1.2);
    auto *simulated = line(QStringLiteral("simulated"), simulatedColour, 1.4);
    for (std::size_t k = 0; k < n; ++k) {
        measured->append(v.Time[k], v.Measured[k]);
        simulated->append(v.Time[k], v.Simulated[k]);
    }
    attach(chart, measured, x, y);
    attach(chart, simulated, x, y);
    if (v.Warmup > 0 && firstScored(v) < n) {
        // The end of the warm-up, as a dotted upright line.
        auto *warmup = line(QStringLiteral("end of warm-up"), QColor(120, 120, 120), 1);
        QPen pen = warmup->pen();
        pen.setStyle(Qt::DotLine);
        warmup->setPen(pen);
        const double t = v.Time[firstScored(v) - 1];
        warmup->append(t, 0);
        warmup->append(t, top * 1.45);
        attach(chart, warmup, x, y);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

QChart *scatter(const TValidation &v)
{
    QChart *chart = newChart(QStringLiteral("Measured against simulated"));
    double top = 0;
    auto *points = new QScatterSeries;
    points->setName(QStringLiteral("rows"));
    points->setMarkerSize(4);
    points->setColor(simulatedColour);
    points->setBorderColor(simulatedColour);
    for (std::size_t k = firstScored(v); k < v.Measured.size(); ++k) {
        points->append(v.Measured[k], v.Simulated[k]);
        top = std::max({top, v.Measured[k], v.Simulated[k]});
    }
    auto *x = axis(QStringLiteral("Measured runoff (mm/t)"), 0, top * 1.05);
    auto *y = axis(QStringLiteral("Simulated runoff (mm/t)"), 0, top * 1.05);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    auto *same = line(QStringLiteral("1:1"), QColor(150, 150, 150), 1);
    same->append(0, 0);
    same->append(x->max(), x->max());
    attach(chart, same, x, y);
    attach(chart, points, x, y);
    chart->legend()->hide();
    return chart;
}

double dotValue(const TDot &d, TPicture picture)
{
    switch (picture) {
    case TPicture::MaxStor:
        return d.MaxStor;
    case TPicture::InitStor:
        return d.InitStor;
    default:
        return d.EscapeFactor;
    }
}

QChart *dotty(const TValidation &v, const std::vector<TDot> &dots, TPicture picture)
{
    const QString name = QString::fromLatin1(UValidationFiles::PictureName(picture));
    const QString objective =
        QString::fromLatin1(UCalibration::ObjectiveName(v.Objective)).toUpper();
    QChart *chart = newChart(QStringLiteral("%1 of the sets on CAL").arg(objective));
    auto *scan = new QScatterSeries, *search = new QScatterSeries;
    scan->setName(QStringLiteral("scan"));
    search->setName(QStringLiteral("local search"));
    for (auto [s, colour, size] :
         {std::tuple(scan, scanColour, 3.5), std::tuple(search, searchColour, 3.5)}) {
        s->setMarkerSize(size);
        s->setColor(colour);
        s->setBorderColor(colour);
    }
    double left = 0, right = 0, best = -1e300, worst = 1e300;
    bool any = false;
    for (const TDot &d : dots) {
        const double x = dotValue(d, picture);
        left = any ? std::min(left, x) : x;
        right = any ? std::max(right, x) : x;
        best = std::max(best, d.Objective);
        worst = std::min(worst, d.Objective);
        any = true;
    }
    // Sets far below the best would squeeze the ones that matter into a line: the axis shows one
    // unit of the objective below the best.
    const double bottom = any ? std::max(worst, best - 1) : 0;
    for (const TDot &d : dots)
        if (d.Objective >= bottom)
            (d.Scan ? scan : search)->append(dotValue(d, picture), d.Objective);
    const QString unit = picture == TPicture::EscapeFactor ? QString() : QStringLiteral(" (mm)");
    auto *x = axis(name + unit, any ? left : 0, any ? right : 1);
    auto *y = axis(objective, bottom, any ? best : 1);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    attach(chart, scan, x, y);
    attach(chart, search, x, y);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

} // namespace

QChart *MakeChart(const TValidation &v, const std::vector<TDot> &dots, TPicture picture,
                  const TCalendar &calendar)
{
    switch (picture) {
    case TPicture::Hydrograph:
        return hydrograph(v, calendar);
    case TPicture::Scatter:
        return scatter(v);
    default:
        return dotty(v, dots, picture);
    }
}

void FitTicks(QChart *chart)
{
    const QRectF area = chart->plotArea();
    for (QAbstractAxis *a : chart->axes()) {
        auto *c = qobject_cast<QCategoryAxis *>(a);
        if (!c || !c->property(LevelKey).isValid())
            continue;
        const bool vertical = c->orientation() == Qt::Vertical;
        const double length = vertical ? area.height() : area.width();
        if (!(length > 0))
            continue;
        // A label takes its extent along the axis, with room for the padding on both sides;
        // the axis gives each label (and the band below the first) an equal share.
        const QFontMetricsF metrics(c->labelsFont());
        int level = 0;
        for (; level + 1 < Levels; ++level) {
            const TTickSet set = ticksAt(c, level);
            double need = 0;
            for (const TTick &t : set.Ticks)
                need = std::max(need,
                                vertical ? metrics.height() : metrics.horizontalAdvance(t.Label));
            if (length / static_cast<double>(set.Ticks.size() + 1) >= need + 12)
                break;
        }
        if (level != c->property(LevelKey).toInt())
            putTicks(c, ticksAt(c, level), level);
    }
}

void Render(QChart *chart, QPainter &painter, const QRectF &target)
{
    // A chart draws through a scene; it is laid out at the size it is drawn at.
    QGraphicsScene scene;
    scene.addItem(chart);
    const QSizeF size = target.size();
    chart->setGeometry(QRectF(QPointF(0, 0), size));
    scene.setSceneRect(QRectF(QPointF(0, 0), size));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, target, scene.sceneRect());
    painter.restore();
    scene.removeItem(chart);
}

QImage PictureImage(const TValidation &v, const std::vector<TDot> &dots, TPicture picture)
{
    const QSize size = PictureSize(picture);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    QChart *chart = MakeChart(v, dots, picture);
    QPainter painter(&image);
    Render(chart, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    delete chart;
    return image;
}

bool SaveFiles(const TValidation &v, const std::vector<TDot> &dots, const std::string &dir,
               std::string &error)
{
    // Every picture is drawn before anything is written, and then the series and the pictures
    // are written as one: all of them, or none.
    std::vector<std::pair<std::string, std::string>> files = {
        {UValidationFiles::SeriesName(dir, v.ValFile), UValidationFiles::SeriesCsv(v)}};
    for (TPicture picture : UValidationFiles::Pictures(v.Calibrated)) {
        const std::string path = UValidationFiles::PictureFileName(dir, v.ValFile, picture);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!PictureImage(v, dots, picture).save(&buffer, "PNG")) {
            error = "The picture \"" + path + "\" could not be drawn; no file was written.";
            return false;
        }
        files.emplace_back(path,
                           std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    std::string failed;
    if (!writeFilesAtomically(files, failed)) {
        error = "The file \"" + failed +
                "\" could not be written; no file of the validation "
                "was written.";
        return false;
    }
    return true;
}

} // namespace quellow::UValidationCharts
