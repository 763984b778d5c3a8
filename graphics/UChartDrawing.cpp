#include "graphics/UChartDrawing.h"

#include "graphics/UChartFonts.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UOutputReader.h"
#include "model/UPrompts.h"
#include "model/UQuellowUtils.h"
#include "model/URainRun.h"

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

/// The footer names the program's home page after this text (none is published yet).
const QString FooterText = QStringLiteral("Quellow program at ");
const QString FooterAddress;

const QString Bullet = QString(QChar(0x2022));

int roundEven(double value)
{
    return static_cast<int>(Q::RoundEven(value));
}

/// A small canvas with the drawing rules the chart layout was made for: a filled rectangle
/// leaves its right and bottom edges, a line leaves its end pixel, an ellipse is inscribed in
/// its box, and text is drawn on an opaque background of the brush colour with its top-left
/// corner at the given point. Pen, brush and font stay set until changed.
class TCanvas
{
public:
    explicit TCanvas(QImage &image) : mImage(image), mPainter(&image)
    {
        mPainter.setRenderHint(QPainter::Antialiasing, false);
        mPainter.setRenderHint(QPainter::TextAntialiasing, false);
        SetFont(10, Black);
    }

    void SetFont(int points, const QColor &colour)
    {
        SetFontSize(points);
        mFontColour = colour;
    }
    void SetFontSize(int points)
    {
        if (points == mFontPoints)
            return;
        mFontPoints = points;
        mFont = points == 8 ? mFont8 : points == 10 ? mFont10 : UChartFonts::ChartFont(points);
        // Measuring with a fresh QFontMetrics per text was most of the time of a chart of
        // 1500 bullets: keep one per font.
        mMetrics.emplace(mFont, &mImage);
        mPainter.setFont(mFont);
    }
    void SetFontColour(const QColor &colour) { mFontColour = colour; }
    void SetBrush(const QColor &colour) { mBrush = colour; }
    void SetPen(const QColor &colour, int width = 1, bool dotted = false)
    {
        mPen = QPen(colour, width, dotted ? Qt::CustomDashLine : Qt::SolidLine, Qt::FlatCap,
                    Qt::MiterJoin);
        if (dotted)
            mPen.setDashPattern({3, 3});
    }
    void SetPenWidth(int width) { SetPen(mPen.color(), width, mPen.style() != Qt::SolidLine); }
    void SetPenColour(const QColor &colour)
    {
        SetPen(colour, mPen.width(), mPen.style() != Qt::SolidLine);
    }
    void SetPenDotted(bool dotted) { SetPen(mPen.color(), mPen.width(), dotted); }

    void FillRect(int l, int t, int r, int b)
    {
        if (r > l && b > t)
            mPainter.fillRect(QRect(l, t, r - l, b - t), mBrush);
    }

    /// A polyline from the first point through the others; each segment paints its first
    /// pixel and leaves its last, so the last point of the polyline is not painted.
    void Lines(const QPolygon &points)
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
    void Line(int x0, int y0, int x1, int y1) { Lines(QPolygon{QPoint(x0, y0), QPoint(x1, y1)}); }

    /// The pixels of the box whose centres lie in the inscribed ellipse: those next to a pixel
    /// outside it form the outline, in the pen colour, the others the inside, in the brush
    /// colour. (QPainter turns the small point circles into squares.)
    void Ellipse(int l, int t, int r, int b)
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

    void TextOut(int x, int y, const QString &text)
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
    void TextOut(int x, int y, const std::string &text)
    {
        TextOut(x, y, QString::fromStdString(text));
    }

    /// Text with its top-left corner at (x, y) on a background of the brush colour.
    void paintText(QPainter &painter, int x, int y, const QString &text) const
    {
        painter.fillRect(QRect(x, y, mMetrics->horizontalAdvance(text), mMetrics->height()),
                         mBrush);
        painter.setFont(mFont);
        painter.setPen(mFontColour);
        painter.drawText(QPoint(x, y + mMetrics->ascent()), text);
    }

    const QImage &characterStamp(const QString &text)
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

    int TextWidth(const QString &text) const { return mMetrics->horizontalAdvance(text); }
    int TextHeight() const { return mMetrics->height(); }

    /// Keeps what follows inside the plot panel (l, t, r, b as for FillRect).
    void Clip(int l, int t, int r, int b)
    {
        mClip = QRect(l, t, r - l, b - t);
        mPainter.setClipRect(mClip);
    }

private:
    /// One-pixel line from a to b without b, pixel by pixel in the direction of drawing
    /// (QPainter would leave out the first pixel of a line drawn leftwards or upwards).
    /// A dotted pen paints three pixels and skips three.
    void thinLine(QPoint a, QPoint b)
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

public:
private:
    QImage &mImage;
    QPainter mPainter;
    const QFont mFont8 = UChartFonts::ChartFont(8);
    const QFont mFont10 = UChartFonts::ChartFont(10);
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

/// Paints the chart that PrepareChart() has just computed.
void paintChart(int kind, QImage &image)
{
    const TDMQuellow &dm = DMQuellow;
    const Q::TChartState &c = Q::Chart;
    const int n = dm.NrOfData;
    const auto &px = c.PixelX;
    TCanvas canvas(image);

    // Frame.
    canvas.SetFont(10, Black);
    canvas.SetBrush(Silver);
    canvas.FillRect(0, 0, ChartWidth, ChartHeight);
    canvas.TextOut(105, 5, dm.Title1);
    canvas.SetFontSize(8);
    canvas.TextOut(20, 450, FooterText + FooterAddress);
    canvas.SetBrush(DarkBlue);
    canvas.FillRect(20, 19, 605, 445);
    canvas.SetPen(White);
    canvas.SetFontColour(White);
    canvas.TextOut(105, 20, dm.Title2);
    canvas.Line(70, 390, 70, 70);
    canvas.Line(70, 390, 570, 390);
    canvas.TextOut(kind <= 5 ? 510 : 470, 415, c.XCaption);

    // Captions, legends and the R square of the kind.
    const bool showRSquare = ModelValues.RSquare > 0.5;
    const std::string rSquare = Q::RSquareText(ModelValues.RSquare);
    switch (kind) {
    case 1:
        canvas.TextOut(82, 60, c.YCaption);
        if (showRSquare)
            canvas.TextOut(445, 60, rSquare);
        canvas.SetFontColour(Aqua);
        canvas.TextOut(95, 75, c.Legend1);
        canvas.SetFontColour(White);
        canvas.TextOut(95, 90, c.Legend2);
        break;
    case 2:
        canvas.TextOut(80, 50, QStringLiteral("Discharge (predicted) in mm/t"));
        break;
    case 3:
    case 4:
        canvas.TextOut(85, 60, QStringLiteral(" Rain/irrigation in mm/t"));
        canvas.SetFontColour(SkyBlue);
        canvas.TextOut(86, 75, QStringLiteral(" Recharge in mm/t"));
        canvas.SetFontColour(White);
        break;
    case 5:
        canvas.TextOut(86, 60, c.YCaption);
        break;
    case 6:
        canvas.TextOut(82, 60, c.YCaption);
        canvas.SetFontColour(Aqua);
        canvas.TextOut(86, 75, c.Legend1);
        canvas.SetFontColour(White);
        canvas.TextOut(86, 90, c.Legend2);
        break;
    case 7:
        canvas.TextOut(82, 60, c.YCaption);
        canvas.TextOut(95, 75, c.Legend1);
        if (showRSquare)
            canvas.TextOut(445, 60, rSquare);
        break;
    case 8:
        canvas.TextOut(82, 60, c.YCaption);
        break;
    default:
        break;
    }

    // Ticks and their labels.
    for (int k = 0; k <= c.YIntervals; ++k) {
        const int y = roundEven(static_cast<double>(k) / c.YIntervals * 320 + 70);
        canvas.Line(70, y, 66, y);
        const QString label = QString::fromStdString(Q::TickLabelY(k));
        canvas.TextOut(70 - canvas.TextWidth(label) - 6, y - roundEven(canvas.TextHeight() * 0.5),
                       label);
    }
    for (int k = 0; k <= c.XIntervals; ++k) {
        const int x = roundEven(static_cast<double>(k) / c.XIntervals * 500 + 70);
        canvas.Line(x, 390, x, 395);
        canvas.TextOut(roundEven(static_cast<double>(k) / c.XIntervals * 500 + 62), 400,
                       Q::TickLabelX(k));
    }

    // The data stay on the plot panel: a trend that runs off the scale does not cross the
    // titles or the margin.
    canvas.Clip(20, 19, 605, 445);

    // Recharge bars, under the rain outlines.
    if (kind == 3 || kind == 4) {
        for (int i = 0; i <= n - 3; ++i) {
            canvas.SetBrush(SkyBlue);
            if (c.PixelY2[i] + 5 < 390) {
                if (kind == 3)
                    canvas.FillRect(px[i + 1], c.PixelY2[i], px[i + 2], 389);
                else
                    canvas.FillRect(px[i], c.PixelY2[i], px[i + 1], 389);
            }
        }
    }

    // The series. Analysis charts draw the value of row i at the time of row i + 1.
    for (int i = 0; i <= n - 3; ++i) {
        switch (kind) {
        case 1:
            canvas.SetFont(10, Aqua);
            canvas.SetPenColour(Aqua);
            canvas.Ellipse(px[i + 1] - 2, c.PixelY4[i] - 2, px[i + 1] + 2, c.PixelY4[i] + 2);
            canvas.SetPenColour(White);
            canvas.Line(px[i + 1], c.PixelY3[i], px[i + 2], c.PixelY3[i + 1]);
            break;
        case 2:
            canvas.Line(px[i], c.PixelY1[i], px[i + 1], c.PixelY1[i + 1]);
            break;
        case 3:
            canvas.SetPenWidth(2);
            if (c.PixelY1[i] + 5 < 390)
                canvas.Lines(QPolygon{QPoint(px[i + 1], 388), QPoint(px[i + 1], c.PixelY1[i]),
                                      QPoint(px[i + 2], c.PixelY1[i]), QPoint(px[i + 2], 388)});
            break;
        case 4:
            if (c.PixelY3[i] + 5 < 390)
                canvas.Lines(QPolygon{QPoint(px[i], 389), QPoint(px[i], c.PixelY3[i]),
                                      QPoint(px[i + 1], c.PixelY3[i]), QPoint(px[i + 1], 389)});
            break;
        case 5:
            canvas.Line(px[i], c.PixelY5[i], px[i + 1], c.PixelY5[i + 1]);
            break;
        case 7:
            canvas.SetFont(10, Aqua);
            canvas.TextOut(px[i], c.PixelY3[i] - 5, Bullet);
            break;
        default:
            break;
        }
    }

    if (kind == 6) {
        // Every measured alpha gets its circle; the regression segment that crosses the
        // divide between the two linear pieces is dotted.
        const auto circle = [&](int i) {
            canvas.Ellipse(px[i] - 2, c.PixelY2[i] - 2, px[i] + 2, c.PixelY2[i] + 2);
        };
        const double divide = ModelValues.Divide;
        if (n == 1) {
            canvas.SetFont(10, Aqua);
            canvas.SetPenColour(Aqua);
            circle(0);
        }
        for (int i = 0; i <= n - 2; ++i) {
            canvas.SetFont(10, Aqua);
            // Solid even after a dotted segment, so that no circle comes out broken.
            canvas.SetPen(Aqua);
            circle(i);
            if (i == n - 2)
                circle(i + 1);
            canvas.SetPenColour(White);
            if (!dm.Quadratic)
                canvas.SetPenDotted(!(dm.PlotX[i] >= divide) && dm.PlotX[i + 1] > divide);
            canvas.Line(px[i], c.PixelY3[i], px[i + 1], c.PixelY3[i + 1]);
        }
    }

    if (kind == 7)
        canvas.Line(Q::MapX(c.EqualLow), Q::MapY(c.EqualLow), Q::MapX(c.EqualHigh),
                    Q::MapY(c.EqualHigh));

    if (kind == 8) {
        canvas.SetFont(8, White);
        for (int i = 0; i < n; ++i)
            canvas.TextOut(c.PixelY1[i], c.PixelY4[i] - 5, Bullet);
        const bool quadratic = URainRun::Trend.TrendValid;
        canvas.TextOut(95, 75, c.Legend1);
        if (c.LineValid)
            canvas.TextOut(95, 90, c.Legend2);
        canvas.SetFontColour(Yellow);
        if (quadratic)
            canvas.TextOut(95, 105, c.Legend3);
        canvas.SetFontColour(White);
        if (c.LineValid)
            canvas.Line(Q::MapX(c.LineX0), Q::MapY(c.LineY0), Q::MapX(c.LineX1), Q::MapY(c.LineY1));
        if (quadratic) {
            canvas.SetPenColour(Yellow);
            QPolygon curve;
            for (int k = 0; k <= 10; ++k)
                curve << QPoint(c.QuadPixelX[k], c.QuadPixelY[k]);
            canvas.Lines(curve);
        }
    }
}

} // namespace

QImage NewChartImage()
{
    QImage image(ChartWidth, ChartHeight, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Silver);
    return image;
}

bool ShowGraphics(int kind, QImage &image)
{
    if (!Q::PrepareChart(kind))
        return false;
    if (image.width() != ChartWidth || image.height() != ChartHeight ||
        image.format() != QImage::Format_RGB32)
        image = NewChartImage();
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    paintChart(kind, image);
    return true;
}

bool MakeChart(int kind, QImage &image, TChartSource source)
{
    TDMQuellow &dm = DMQuellow;
    if (!dm.ReadOutputHeader())
        return false;
    if (kind == 8) {
        const std::string trendName = ChangeFileExt(dm.OutFileName, ".dat");
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
        if (ReadTextFile(dm.OutFileName, lines) == TReadStatus::Ok)
            if (const auto divide = UOutputReader::ParseAnalysisDivide(lines))
                ModelValues.Divide = *divide;
    }
    return ShowGraphics(kind, image);
}

bool SaveChartImage(const QImage &image, const std::string &path, std::string &error)
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
        !WriteFileAtomically(
            path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        error = "The graph could not be saved in \"" + path + "\".";
        return false;
    }
    return true;
}

} // namespace quellow::UChartDrawing
