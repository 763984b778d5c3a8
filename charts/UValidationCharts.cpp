#include "charts/UValidationCharts.h"

#include "files/UFileUtil.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
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

/// The step that cuts span into at most five parts.
TTicks ticksFor(double span)
{
    TTicks t;
    const double raw = span / 5;
    t.Exponent = static_cast<int>(std::floor(std::log10(raw)));
    const double f = raw / std::pow(10.0, t.Exponent);
    t.Mantissa = f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10;
    if (t.Mantissa == 10) {
        t.Mantissa = 1;
        ++t.Exponent;
    }
    return t;
}

/// A value axis from low to high with its ticks on round values, each labelled with its own
/// digits (a tick placed at low + k * step would show its rounding, "5.551e-17" for 0). With
/// nice, the ends move out to ticks.
QValueAxis *axis(const QString &title, double low, double high, bool nice = true)
{
    if (!std::isfinite(low) || !std::isfinite(high)) {
        low = 0;
        high = 1;
    }
    if (!(high > low))
        high = low + 1;
    const TTicks ticks = ticksFor(high - low);
    const double step = ticks.value(1);
    QValueAxis *a = nullptr;
    if (std::max(std::abs(low), std::abs(high)) / step < 1e12) {
        // A quotient a hair off a whole number (0.6 / 0.2) counts as that number.
        const double from = low / step, to = high / step, hair = 1e-9;
        const auto first =
            static_cast<long long>(nice ? std::floor(from + hair) : std::ceil(from - hair));
        const auto last =
            static_cast<long long>(nice ? std::ceil(to - hair) : std::floor(to + hair));
        if (nice) {
            low = ticks.value(first);
            high = ticks.value(last);
        }
        auto *c = new QCategoryAxis;
        c->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        // Each tick ends a band and carries its label; the first band starts below the axis.
        c->setStartValue(ticks.value(first - 1));
        for (long long k = first; k <= last; ++k)
            c->append(ticks.label(k), ticks.value(k));
        a = c;
    } else {
        a = new QValueAxis;
        a->setLabelFormat(QStringLiteral("%.4g"));
    }
    a->setTitleText(title);
    a->setRange(low, high);
    if (nice && !qobject_cast<QCategoryAxis *>(a))
        a->applyNiceNumbers();
    QFont font = a->labelsFont();
    font.setPointSizeF(8);
    a->setLabelsFont(font);
    font.setPointSizeF(9);
    a->setTitleFont(font);
    return a;
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

QChart *hydrograph(const TValidation &v)
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
    auto *x = axis(QStringLiteral("Time"), v.Time.front(), v.Time.back(), false);
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

QChart *MakeChart(const TValidation &v, const std::vector<TDot> &dots, TPicture picture)
{
    switch (picture) {
    case TPicture::Hydrograph:
        return hydrograph(v);
    case TPicture::Scatter:
        return scatter(v);
    default:
        return dotty(v, dots, picture);
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
