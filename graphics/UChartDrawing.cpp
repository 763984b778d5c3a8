#include "graphics/UChartDrawing.h"

#include "graphics/UChartFonts.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UOutputReader.h"
#include "files/UPrompts.h"
#include "runs/UQuellowUtils.h"
#include "runs/URainRun.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

namespace quellow::UChartDrawing {

namespace {

namespace Q = UQuellowUtils;

const QColor Black(0, 0, 0);
const QColor Silver(192, 192, 192);
const QColor DarkBlue(0, 0, 139);
const QColor White(255, 255, 255);
const QColor Aqua(0, 255, 255);
const QColor SkyBlue(166, 202, 240);
const QColor Yellow(255, 255, 0);

/// The footer names the program; it points at no address, as none is published.
const QString FooterText = QStringLiteral("Quellow program");

const QString Bullet = QString(QChar(0x2022));

int roundEven(double value)
{
    return static_cast<int>(Q::roundEven(value));
}

/// A small canvas with the drawing rules the chart layout was made for: a filled rectangle
/// leaves its right and bottom edges, a line leaves its end pixel, an ellipse is inscribed in
/// its box, and text is drawn on an opaque background of the brush colour with its top-left
/// corner at the given point. Pen, brush and font stay set until changed.
class TCanvas
{
public:
    explicit TCanvas(QImage &image);

    void setFont(int points, const QColor &colour);
    void setFontSize(int points);
    void setFontColour(const QColor &colour) { mFontColour = colour; }
    void setBrush(const QColor &colour) { mBrush = colour; }
    void setPen(const QColor &colour, int width = 1, bool dotted = false);
    void setPenWidth(int width);
    void setPenColour(const QColor &colour);
    void setPenDotted(bool dotted) { setPen(mPen.color(), mPen.width(), dotted); }

    void fillRect(int l, int t, int r, int b);
    /// A polyline from the first point through the others; each segment paints its first
    /// pixel and leaves its last, so the last point of the polyline is not painted.
    void lines(const QPolygon &points);
    void line(int x0, int y0, int x1, int y1) { lines(QPolygon{QPoint(x0, y0), QPoint(x1, y1)}); }
    /// The pixels of the box whose centres lie in the inscribed ellipse: those next to a pixel
    /// outside it form the outline, in the pen colour, the others the inside, in the brush
    /// colour. (QPainter turns the small point circles into squares.)
    void ellipse(int l, int t, int r, int b);

    void textOut(int x, int y, const QString &text);
    void textOut(int x, int y, const std::string &text);
    int textWidth(const QString &text) const { return mMetrics->horizontalAdvance(text); }
    int textHeight() const { return mMetrics->height(); }

    /// Keeps what follows inside the plot panel (l, t, r, b as for FillRect).
    void clip(int l, int t, int r, int b);

private:
    /// Text with its top-left corner at (x, y) on a background of the brush colour.
    void paintText(QPainter &painter, int x, int y, const QString &text) const;
    /// A one-character text painted once on its background, to be copied.
    const QImage &characterStamp(const QString &text);
    /// One-pixel line from a to b without b, pixel by pixel in the direction of drawing
    /// (QPainter would leave out the first pixel of a line drawn leftwards or upwards).
    /// A dotted pen paints three pixels and skips three.
    void thinLine(QPoint a, QPoint b);

    QImage &mImage;
    QPainter mPainter;
    const QFont mFont8 = UChartFonts::chartFont(8);
    const QFont mFont10 = UChartFonts::chartFont(10);
    QFont mFont;
    int mFontPoints = 0;
    std::optional<QFontMetrics> mMetrics;
    QImage mStamp;
    QString mStampText;
    int mStampPoints = 0;
    QColor mStampColour;
    QColor mStampBrush;
    QColor mFontColour;
    QColor mBrush = Silver;
    QPen mPen;
    QRect mClip = QRect(0, 0, ChartWidth, ChartHeight);
};

TCanvas::TCanvas(QImage &image) : mImage(image), mPainter(&image)
{
    mPainter.setRenderHint(QPainter::Antialiasing, false);
    mPainter.setRenderHint(QPainter::TextAntialiasing, false);
    setFont(10, Black);
}

void TCanvas::setFont(int points, const QColor &colour)
{
    setFontSize(points);
    mFontColour = colour;
}

void TCanvas::setFontSize(int points)
{
    if (points == mFontPoints)
        return;
    mFontPoints = points;
    mFont = points == 8 ? mFont8 : points == 10 ? mFont10 : UChartFonts::chartFont(points);
    // Measuring with a fresh QFontMetrics per text was most of the time of a chart of
    // 1500 bullets: keep one per font.
    mMetrics.emplace(mFont, &mImage);
    mPainter.setFont(mFont);
}

void TCanvas::setPen(const QColor &colour, int width, bool dotted)
{
    mPen = QPen(colour, width, dotted ? Qt::CustomDashLine : Qt::SolidLine, Qt::FlatCap,
                Qt::MiterJoin);
    if (dotted)
        mPen.setDashPattern({3, 3});
}

void TCanvas::setPenWidth(int width)
{
    setPen(mPen.color(), width, mPen.style() != Qt::SolidLine);
}

void TCanvas::setPenColour(const QColor &colour)
{
    setPen(colour, mPen.width(), mPen.style() != Qt::SolidLine);
}

void TCanvas::fillRect(int l, int t, int r, int b)
{
    if (r > l && b > t)
        mPainter.fillRect(QRect(l, t, r - l, b - t), mBrush);
}

void TCanvas::lines(const QPolygon &points)
{
    if (points.size() < 2)
        return;
    if (mPen.width() <= 1) {
        for (int i = 1; i < points.size(); ++i)
            thinLine(points[i - 1], points[i]);
        return;
    }
    bool moves = false;
    for (int i = 1; i < points.size() && !moves; ++i)
        moves = points[i] != points[0];
    if (!moves)
        return;
    mPainter.setPen(mPen);
    mPainter.setBrush(Qt::NoBrush);
    mPainter.drawPolyline(points);
}

void TCanvas::ellipse(int l, int t, int r, int b)
{
    if (r <= l || b <= t)
        return;
    const double cx = 0.5 * (l + r), cy = 0.5 * (t + b);
    const double ax = 0.5 * (r - l), ay = 0.5 * (b - t);
    const auto inside = [&](int x, int y) {
        if (x < l || x >= r || y < t || y >= b)
            return false;
        const double dx = (x + 0.5 - cx) / ax, dy = (y + 0.5 - cy) / ay;
        return dx * dx + dy * dy <= 1.0;
    };
    const QRect area = mClip.intersected(mImage.rect());
    const QRgb pen = mPen.color().rgb(), brush = mBrush.rgb();
    for (int y = std::max(t, area.top()); y < b && y <= area.bottom(); ++y)
        for (int x = std::max(l, area.left()); x < r && x <= area.right(); ++x)
            if (inside(x, y)) {
                const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) ||
                                  !inside(x, y + 1);
                reinterpret_cast<QRgb *>(mImage.scanLine(y))[x] = edge ? pen : brush;
            }
}

void TCanvas::textOut(int x, int y, const QString &text)
{
    if (text.size() == 1) {
        // Charts draw their points as one-character texts by the thousand: paint the
        // character once on its background and copy it from there on.
        const QImage &stamp = characterStamp(text);
        mPainter.drawImage(QPoint(x, y), stamp);
        return;
    }
    paintText(mPainter, x, y, text);
}

void TCanvas::textOut(int x, int y, const std::string &text)
{
    textOut(x, y, QString::fromStdString(text));
}

void TCanvas::paintText(QPainter &painter, int x, int y, const QString &text) const
{
    painter.fillRect(QRect(x, y, mMetrics->horizontalAdvance(text), mMetrics->height()), mBrush);
    painter.setFont(mFont);
    painter.setPen(mFontColour);
    painter.drawText(QPoint(x, y + mMetrics->ascent()), text);
}

const QImage &TCanvas::characterStamp(const QString &text)
{
    if (mStamp.isNull() || text != mStampText || mFontPoints != mStampPoints ||
        mFontColour != mStampColour || mBrush != mStampBrush) {
        mStamp = QImage(std::max(1, mMetrics->horizontalAdvance(text)),
                        std::max(1, mMetrics->height()), mImage.format());
        mStamp.setDotsPerMeterX(mImage.dotsPerMeterX());
        mStamp.setDotsPerMeterY(mImage.dotsPerMeterY());
        QPainter painter(&mStamp);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        paintText(painter, 0, 0, text);
        mStampText = text;
        mStampPoints = mFontPoints;
        mStampColour = mFontColour;
        mStampBrush = mBrush;
    }
    return mStamp;
}

void TCanvas::clip(int l, int t, int r, int b)
{
    mClip = QRect(l, t, r - l, b - t);
    mPainter.setClipRect(mClip);
}

void TCanvas::thinLine(QPoint a, QPoint b)
{
    const QRgb colour = mPen.color().rgb();
    const bool dotted = mPen.style() != Qt::SolidLine;
    const QRect area = mClip.intersected(mImage.rect());
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    long long err = static_cast<long long>(dx) - dy;
    for (long long step = 0; x != b.x() || y != b.y(); ++step) {
        if ((!dotted || step % 6 < 3) && area.contains(x, y))
            reinterpret_cast<QRgb *>(mImage.scanLine(y))[x] = colour;
        const long long e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
}

/// A text of the chart's head and where it goes.
enum class THeadText { YCaption, Legend1, Legend2, RSquare, Discharge, Rain, Recharge };
struct TPlacedText
{
    THeadText Text;
    int X, Y;
    QColor Colour;
};

QString headText(THeadText text)
{
    const Q::TChartState &c = Q::Chart;
    switch (text) {
    case THeadText::YCaption:
        return QString::fromStdString(c.YCaption);
    case THeadText::Legend1:
        return QString::fromStdString(c.Legend1);
    case THeadText::Legend2:
        return QString::fromStdString(c.Legend2);
    case THeadText::RSquare:
        return QString::fromStdString(Q::rSquareText(ModelValues.RSquare));
    case THeadText::Discharge:
        return QStringLiteral("Discharge (predicted) in mm/t");
    case THeadText::Rain:
        return QStringLiteral(" Rain/irrigation in mm/t");
    case THeadText::Recharge:
        return QStringLiteral(" Recharge in mm/t");
    }
    return {};
}

using TRowPainter = void (*)(TCanvas &canvas, int row);
using TChartPainter = void (*)(TCanvas &canvas);

/// What one graph kind draws besides the frame and the ticks. The recharge-runoff chart
/// places its legends after its points (paintTrendChart).
struct TKindDrawing
{
    int XCaptionX;                 ///< left end of the horizontal caption
    std::vector<TPlacedText> Head; ///< in order of drawing, 8 points
    TRowPainter Bar = nullptr;     ///< rows 0 .. n - 3, before the series
    TRowPainter Row = nullptr;     ///< rows 0 .. n - 3
    TChartPainter After = nullptr; ///< once, after the rows
};

/// The recharge bar of a row lies under the rain outline: analysis charts draw the value of
/// row i at the time of row i + 1, prediction charts at the time of row i.
void rechargeBar(TCanvas &canvas, int i, int shift)
{
    const Q::TChartState &c = Q::Chart;
    canvas.setBrush(SkyBlue);
    if (c.PixelY2[i] + 5 < 390)
        canvas.fillRect(c.PixelX[i + shift], c.PixelY2[i], c.PixelX[i + shift + 1], 389);
}

void analysisRunoffRow(TCanvas &canvas, int i)
{
    const Q::TChartState &c = Q::Chart;
    const auto &x = c.PixelX;
    canvas.setFont(10, Aqua);
    canvas.setPenColour(Aqua);
    canvas.ellipse(x[i + 1] - 2, c.PixelY4[i] - 2, x[i + 1] + 2, c.PixelY4[i] + 2);
    canvas.setPenColour(White);
    canvas.line(x[i + 1], c.PixelY3[i], x[i + 2], c.PixelY3[i + 1]);
}

void predictedRunoffRow(TCanvas &canvas, int i)
{
    const Q::TChartState &c = Q::Chart;
    canvas.line(c.PixelX[i], c.PixelY1[i], c.PixelX[i + 1], c.PixelY1[i + 1]);
}

/// The open outline of a rain bar from the time of row i + shift to the next, standing on
/// the line y = base.
void rainOutline(TCanvas &canvas, int i, int shift, const std::vector<int> &rain, int base)
{
    const auto &x = Q::Chart.PixelX;
    if (rain[i] + 5 < 390)
        canvas.lines(QPolygon{QPoint(x[i + shift], base), QPoint(x[i + shift], rain[i]),
                              QPoint(x[i + shift + 1], rain[i]), QPoint(x[i + shift + 1], base)});
}

void analysisRainRow(TCanvas &canvas, int i)
{
    canvas.setPenWidth(2);
    rainOutline(canvas, i, 1, Q::Chart.PixelY1, 388);
}

void predictedRainRow(TCanvas &canvas, int i)
{
    rainOutline(canvas, i, 0, Q::Chart.PixelY3, 389);
}

void headOrStorageRow(TCanvas &canvas, int i)
{
    const Q::TChartState &c = Q::Chart;
    canvas.line(c.PixelX[i], c.PixelY5[i], c.PixelX[i + 1], c.PixelY5[i + 1]);
}

void observedCalculatedRow(TCanvas &canvas, int i)
{
    const Q::TChartState &c = Q::Chart;
    canvas.setFont(10, Aqua);
    canvas.textOut(c.PixelX[i], c.PixelY3[i] - 5, Bullet);
}

/// Every measured alpha gets its circle; the regression segment that crosses the divide
/// between the two linear pieces is dotted.
void paintAlphaChart(TCanvas &canvas)
{
    const TDMQuellow &dm = DMQuellow;
    const Q::TChartState &c = Q::Chart;
    const int n = dm.NrOfData;
    const auto circle = [&](int i) {
        canvas.ellipse(c.PixelX[i] - 2, c.PixelY2[i] - 2, c.PixelX[i] + 2, c.PixelY2[i] + 2);
    };
    const double divide = ModelValues.Divide;
    if (n == 1) {
        canvas.setFont(10, Aqua);
        canvas.setPenColour(Aqua);
        circle(0);
    }
    for (int i = 0; i <= n - 2; ++i) {
        canvas.setFont(10, Aqua);
        // Solid even after a dotted segment, so that no circle comes out broken.
        canvas.setPen(Aqua);
        circle(i);
        if (i == n - 2)
            circle(i + 1);
        canvas.setPenColour(White);
        if (!dm.Quadratic)
            canvas.setPenDotted(!(dm.PlotX[i] >= divide) && dm.PlotX[i + 1] > divide);
        canvas.line(c.PixelX[i], c.PixelY3[i], c.PixelX[i + 1], c.PixelY3[i + 1]);
    }
}

void paintLineOfEquality(TCanvas &canvas)
{
    const Q::TChartState &c = Q::Chart;
    canvas.line(Q::mapX(c.EqualLow), Q::mapY(c.EqualLow), Q::mapX(c.EqualHigh),
                Q::mapY(c.EqualHigh));
}

/// The points, the legends, the linear trend and, when the last analysis gave one, the
/// quadratic trend.
void paintTrendChart(TCanvas &canvas)
{
    const Q::TChartState &c = Q::Chart;
    canvas.setFont(8, White);
    for (int i = 0; i < DMQuellow.NrOfData; ++i)
        canvas.textOut(c.PixelY1[i], c.PixelY4[i] - 5, Bullet);
    const bool quadratic = URainRun::Trend.TrendValid;
    canvas.textOut(95, 75, c.Legend1);
    if (c.LineValid)
        canvas.textOut(95, 90, c.Legend2);
    canvas.setFontColour(Yellow);
    if (quadratic)
        canvas.textOut(95, 105, c.Legend3);
    canvas.setFontColour(White);
    if (c.LineValid)
        canvas.line(Q::mapX(c.LineX0), Q::mapY(c.LineY0), Q::mapX(c.LineX1), Q::mapY(c.LineY1));
    if (quadratic) {
        canvas.setPenColour(Yellow);
        QPolygon curve;
        for (int k = 0; k <= 10; ++k)
            curve << QPoint(c.QuadPixelX[k], c.QuadPixelY[k]);
        canvas.lines(curve);
    }
}

using T = THeadText;
const TKindDrawing KindDrawings[] = {
    {}, // no kind 0
    {510,
     {{T::YCaption, 82, 60, White},
      {T::RSquare, 445, 60, White},
      {T::Legend1, 95, 75, Aqua},
      {T::Legend2, 95, 90, White}},
     nullptr,
     analysisRunoffRow},
    {510, {{T::Discharge, 80, 50, White}}, nullptr, predictedRunoffRow},
    {510,
     {{T::Rain, 85, 60, White}, {T::Recharge, 86, 75, SkyBlue}},
     [](TCanvas &canvas, int i) { rechargeBar(canvas, i, 1); },
     analysisRainRow},
    {510,
     {{T::Rain, 85, 60, White}, {T::Recharge, 86, 75, SkyBlue}},
     [](TCanvas &canvas, int i) { rechargeBar(canvas, i, 0); },
     predictedRainRow},
    {510, {{T::YCaption, 86, 60, White}}, nullptr, headOrStorageRow},
    {470,
     {{T::YCaption, 82, 60, White}, {T::Legend1, 86, 75, Aqua}, {T::Legend2, 86, 90, White}},
     nullptr,
     nullptr,
     paintAlphaChart},
    {470,
     {{T::YCaption, 82, 60, White}, {T::Legend1, 95, 75, White}, {T::RSquare, 445, 60, White}},
     nullptr,
     observedCalculatedRow,
     paintLineOfEquality},
    {470, {{T::YCaption, 82, 60, White}}, nullptr, nullptr, paintTrendChart},
};

/// Background, titles, footer, plot panel, axes and the horizontal caption.
void paintFrame(TCanvas &canvas, const TKindDrawing &drawing)
{
    canvas.setFont(10, Black);
    canvas.setBrush(Silver);
    canvas.fillRect(0, 0, ChartWidth, ChartHeight);
    canvas.textOut(105, 5, DMQuellow.Title1);
    canvas.setFontSize(8);
    canvas.textOut(20, 450, FooterText);
    canvas.setBrush(DarkBlue);
    canvas.fillRect(20, 19, 605, 445);
    canvas.setPen(White);
    canvas.setFontColour(White);
    canvas.textOut(105, 20, DMQuellow.Title2);
    canvas.line(70, 390, 70, 70);
    canvas.line(70, 390, 570, 390);
    canvas.textOut(drawing.XCaptionX, 415, Q::Chart.XCaption);
}

/// Captions, legends and (above one half) the R square of the kind.
void paintHead(TCanvas &canvas, const TKindDrawing &drawing)
{
    for (const TPlacedText &text : drawing.Head) {
        if (text.Text == THeadText::RSquare && !(ModelValues.RSquare > 0.5))
            continue;
        canvas.setFontColour(text.Colour);
        canvas.textOut(text.X, text.Y, headText(text.Text));
    }
    canvas.setFontColour(White);
}

/// Ticks and their labels; a vertical label ends 6 pixels left of its tick, centred on it.
void paintTicks(TCanvas &canvas)
{
    const Q::TChartState &c = Q::Chart;
    for (int k = 0; k <= c.YIntervals; ++k) {
        const int y = roundEven(static_cast<double>(k) / c.YIntervals * 320 + 70);
        canvas.line(70, y, 66, y);
        const QString label = QString::fromStdString(Q::tickLabelY(k));
        canvas.textOut(70 - canvas.textWidth(label) - 6, y - roundEven(canvas.textHeight() * 0.5),
                       label);
    }
    for (int k = 0; k <= c.XIntervals; ++k) {
        const int x = roundEven(static_cast<double>(k) / c.XIntervals * 500 + 70);
        canvas.line(x, 390, x, 395);
        canvas.textOut(roundEven(static_cast<double>(k) / c.XIntervals * 500 + 62), 400,
                       Q::tickLabelX(k));
    }
}

/// Paints the chart that prepareChart() has just computed.
void paintChart(int kind, QImage &image)
{
    const TKindDrawing &drawing = KindDrawings[kind];
    const int n = DMQuellow.NrOfData;
    TCanvas canvas(image);
    paintFrame(canvas, drawing);
    paintHead(canvas, drawing);
    paintTicks(canvas);
    // The data stay on the plot panel: a trend that runs off the scale does not cross the
    // titles or the margin.
    canvas.clip(20, 19, 605, 445);
    for (TRowPainter painter : {drawing.Bar, drawing.Row})
        if (painter)
            for (int i = 0; i <= n - 3; ++i)
                painter(canvas, i);
    if (drawing.After)
        drawing.After(canvas);
}

} // namespace

QImage newChartImage()
{
    QImage image(ChartWidth, ChartHeight, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Silver);
    return image;
}

bool ShowGraphics(int kind, QImage &image)
{
    if (!Q::prepareChart(kind))
        return false;
    if (image.width() != ChartWidth || image.height() != ChartHeight ||
        image.format() != QImage::Format_RGB32)
        image = newChartImage();
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    paintChart(kind, image);
    return true;
}

bool makeChart(int kind, QImage &image, TChartSource source)
{
    TDMQuellow &dm = DMQuellow;
    if (!dm.ReadOutputHeader())
        return false;
    if (kind == 8) {
        const std::string trendName = changeFileExt(dm.OutFileName, ".dat");
        if (!URainRun::ReadTrendFile(trendName)) {
            Prompts().ShowMessage("The trend file \"" + trendName +
                                  "\" could not be read. The recharge-runoff graph needs the "
                                  "trend that the analysis writes beside its output file.");
            return false;
        }
        if (source == TChartSource::FilesOnly) {
            const URainRun::TTrend &t = URainRun::Trend;
            URainRun::Trend.TrendValid = t.TrendQA != 0 || t.TrendQB != 0 || t.TrendQC != 0;
        }
    }
    if (!dm.ReadOutputFile(kind))
        return false;
    if (kind == 6 && source == TChartSource::FilesOnly) {
        LineSet lines;
        if (readTextFile(dm.OutFileName, lines) == TReadStatus::Ok)
            if (const auto divide = UOutputReader::parseAnalysisDivide(lines))
                ModelValues.Divide = *divide;
    }
    return ShowGraphics(kind, image);
}

bool saveChartImage(const QImage &image, const std::string &path, std::string &error)
{
    std::string ext;
    if (const auto dot = path.find_last_of('.');
        dot != std::string::npos && path.find_first_of("/\\", dot) == std::string::npos)
        ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    const char *format = ext == "bmp" ? "BMP" : ext == "png" ? "PNG" : nullptr;
    if (!format) {
        error = "The graph file \"" + path + "\" must end in .bmp or .png.";
        return false;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format) ||
        !writeFileAtomically(
            path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        error = "The graph could not be saved in \"" + path + "\".";
        return false;
    }
    return true;
}

} // namespace quellow::UChartDrawing
