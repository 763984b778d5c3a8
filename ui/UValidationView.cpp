#include "ui/UValidationView.h"

#include "charts/UValidationCharts.h"
#include "files/UFileUtil.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"
#include "ui/UBackgroundWork.h"
#include "ui/UDialogs.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <atomic>
#include <filesystem>

namespace quellow {

namespace {

using UValidation::TValidation;
using UValidationFiles::TPicture;

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

const char *const figureHeadings[] = {"", "NSE", "KGE", "volume %"};

} // namespace

std::vector<QStringList> validationFigureRows(const TValidation &v)
{
    std::vector<QStringList> rows;
    for (const UValidationFiles::TFigureRow &r : UValidationFiles::FigureRows(v))
        rows.push_back({QString::fromLatin1(r.Label), q(r.NSE), q(r.KGE), q(r.VolumeError)});
    return rows;
}

QStringList validationSummaryLines(const TValidation &v)
{
    QStringList lines;
    const TModelValues &a = v.CalFit.Alpha;
    lines << q("Calibration: " + v.CalFile + (v.Calibrated ? " (calibrated for " : " (as given, ") +
               UCalibration::ObjectiveName(v.Objective) + ")");
    lines << q(printfText("Maximum storage %.2f mm, initial storage %.2f mm, escape factor %.3f",
                          v.Cal.MaxStor, UsedInitStor(v.Cal), v.EscapeFactor));
    lines << q(printfText("Alpha = %.6g Q + %.6g above %.6g, %.6g Q + %.6g below", a.A1, a.B1,
                          a.Divide, a.A2, a.B2));
    const TSkill &c = v.CalFit.Simulation.Skill;
    lines << q(printfText("Reconstruction R square %.3f; simulation NSE %s, KGE %s",
                          v.CalFit.RSquare,
                          UValidationFiles::FigureText(c.Valid, c.Fit.NSE).c_str(),
                          UValidationFiles::FigureText(c.Valid, c.Fit.KGE).c_str()));
    lines << q("Validation: " + v.ValFile +
               printfText(" (%d rows scored after a warm-up of %d, initial storage %.2f mm)",
                          v.Rows, v.Warmup, v.InitStor));
    if (!v.ValSource.empty())
        lines << q("Validation window " + v.ValSource);
    const TSkill &s = v.Validation.Skill;
    lines << q(printfText("Log NSE %s; KGE parts r %s, alpha %s, beta %s",
                          UValidationFiles::FigureText(s.LogValid, s.LogNSE).c_str(),
                          UValidationFiles::FigureText(s.Valid, s.Fit.R).c_str(),
                          UValidationFiles::FigureText(s.Valid, s.Fit.Alpha).c_str(),
                          UValidationFiles::FigureText(s.Valid, s.Fit.Beta).c_str()));
    const UValidation::TBand &b = v.Band;
    // Why there is no band is one of the notes.
    if (b.Made)
        lines << q(printfText("Band of %d sets: coverage %.1f %% (nominal 90 %%), width %s; "
                              "MaxStor %.4g to %.4g mm, InitStor %.4g to %.4g mm, "
                              "EscapeFactor %.4g to %.4g",
                              b.Sets, 100 * b.Coverage,
                              UValidationFiles::FigureText(b.WidthDefined, b.Width).c_str(),
                              b.MaxStor[0], b.MaxStor[1], b.InitStor[0], b.InitStor[1],
                              b.EscapeFactor[0], b.EscapeFactor[1]));
    for (const std::string &note : v.Notes)
        lines << q("Note: " + note);
    return lines;
}

TValidationView::TValidationView(TValidation validation, QWidget *parent,
                                 const UValidationCharts::TCalendar &calendar)
    : QDialog(parent), mValidation(std::move(validation)),
      mDots(UValidationFiles::Dots(mValidation)), mCalendar(calendar)
{
    setObjectName(QStringLiteral("ValidationView"));
    setWindowTitle(QStringLiteral("Validation of ") +
                   q(std::filesystem::path(mValidation.ValFile).filename().string()));
    auto *layout = new QVBoxLayout(this);

    auto *summary = new QLabel(validationSummaryLines(mValidation).join(QLatin1Char('\n')), this);
    summary->setObjectName(QStringLiteral("SummaryLabel"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *table = new QTableWidget(this);
    table->setObjectName(QStringLiteral("FiguresTable"));
    const std::vector<QStringList> rows = validationFigureRows(mValidation);
    table->setColumnCount(3);
    table->setRowCount(static_cast<int>(rows.size()));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("NSE"), QStringLiteral("KGE"), QStringLiteral("volume %")});
    for (int r = 0; r < table->rowCount(); ++r) {
        const QStringList &row = rows[static_cast<std::size_t>(r)];
        table->setVerticalHeaderItem(r, new QTableWidgetItem(row[0]));
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(row[c + 1]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            table->setItem(r, c, item);
        }
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + 5 * 24 + 8);
    table->verticalHeader()->setDefaultSectionSize(24);
    table->setMinimumWidth(420);

    auto *top = new QHBoxLayout;
    top->addWidget(summary, 3);
    top->addWidget(table, 2);
    layout->addLayout(top);

    auto chartView = [this](TPicture picture) {
        QChart *chart = UValidationCharts::MakeChart(mValidation, mDots, picture, mCalendar);
        auto *view = new QChartView(chart, this);
        view->setObjectName(QStringLiteral("Chart_") +
                            QLatin1String(UValidationFiles::PictureName(picture)));
        view->setRenderHint(QPainter::Antialiasing);
        // Small enough for the whole view to fit a screen of 1366 x 768, large enough for the
        // titles of the charts and their axes.
        view->setMinimumSize(picture == TPicture::Hydrograph ? QSize(540, 240) : QSize(250, 235));
        // Whatever size the person gives the view, each axis keeps as many ticks as can be read;
        // once the chart's layout is done, as a change of the ticks lays it out again.
        connect(
            chart, &QChart::plotAreaChanged, view, [chart] { UValidationCharts::FitTicks(chart); },
            Qt::QueuedConnection);
        return view;
    };
    layout->addWidget(chartView(TPicture::Hydrograph), 1);
    auto *small = new QHBoxLayout;
    for (TPicture picture : UValidationFiles::Pictures(mValidation.Calibrated))
        if (picture != TPicture::Hydrograph)
            small->addWidget(chartView(picture));
    layout->addLayout(small, 1);

    auto *buttons = new QDialogButtonBox(this);
    auto *report =
        buttons->addButton(QStringLiteral("Save &report..."), QDialogButtonBox::ActionRole);
    report->setObjectName(QStringLiteral("SaveReportButton"));
    auto *csv = buttons->addButton(QStringLiteral("&Export CSV"), QDialogButtonBox::ActionRole);
    csv->setObjectName(QStringLiteral("ExportCsvButton"));
    auto *close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(report, &QPushButton::clicked, this, &TValidationView::SaveReportClick);
    connect(csv, &QPushButton::clicked, this, &TValidationView::ExportCsvClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // The size the pictures are drawn for, within the free area of the screen (with room for
    // the frame), so that the buttons can be reached.
    QSize size(1180, 860);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    resize(size.expandedTo(minimumSizeHint()));
}

std::string TValidationView::collision(const QString &path, const char *role) const
{
    return UOutputNames::Collision(
        {{"calibration file", UOutputNames::AbsolutePath(mValidation.CalFile)},
         {"validation file", UOutputNames::AbsolutePath(mValidation.ValFile)}},
        {{role, UOutputNames::AbsolutePath(path.toStdString())}});
}

bool TValidationView::exportCsv(const QString &path, std::string &message) const
{
    message = collision(path, "CSV file");
    if (!message.empty())
        return false;
    if (!writeFileAtomically(path.toStdString(), UValidationFiles::SeriesCsv(mValidation))) {
        message = "The file \"" + path.toStdString() + "\" could not be written.";
        return false;
    }
    return true;
}

namespace {

/// The report's heading and summary at the top of the page, w wide; the height they take.
double paintReportSummary(QPainter &painter, const UValidation::TValidation &validation,
                          const QFont &font, double w)
{
    double y = 0;
    QFont heading = font;
    heading.setPointSize(12);
    heading.setBold(true);
    painter.setFont(heading);
    painter.drawText(QRectF(0, y, w, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quellow split-sample validation"));
    y += 28;
    painter.setFont(font);
    for (const QString &text : validationSummaryLines(validation)) {
        const QRectF box =
            painter.boundingRect(QRectF(0, y, w, 1000), Qt::TextWordWrap | Qt::AlignLeft, text);
        painter.drawText(box, Qt::TextWordWrap | Qt::AlignLeft, text);
        y += box.height();
    }
    return y;
}

/// The report's table of figures and benchmarks at y, in rows of line; the y below it.
double paintReportFigures(QPainter &painter, const UValidation::TValidation &validation,
                          const QFont &font, int line, double y)
{
    const double widths[] = {170, 70, 70, 80};
    std::vector<QStringList> rows = validationFigureRows(validation);
    rows.insert(rows.begin(), {QString(), QLatin1String(figureHeadings[1]),
                               QLatin1String(figureHeadings[2]), QLatin1String(figureHeadings[3])});
    for (std::size_t r = 0; r < rows.size(); ++r) {
        QFont rowFont = font;
        rowFont.setBold(r == 0);
        painter.setFont(rowFont);
        double x = 0;
        for (int c = 0; c < 4; ++c) {
            painter.drawText(QRectF(x, y, widths[c], line),
                             (c ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, rows[r][c]);
            x += widths[c];
        }
        y += line;
        if (r == 0)
            painter.drawLine(QPointF(0, y), QPointF(x, y));
    }
    painter.setFont(font);
    return y;
}

} // namespace

void TValidationView::paintReportPictures(QPainter &painter, const QRect &page, double y) const
{
    // The hydrograph across the page, the others two by two below it.
    const double w = page.width();
    const std::vector<TPicture> pictures = UValidationFiles::Pictures(mValidation.Calibrated);
    const double rest = page.height() - y;
    const double smallRows = static_cast<double>(pictures.size() / 2);
    const double hydrographHeight = std::min(300.0, rest / (1 + 0.85 * smallRows));
    const double smallHeight =
        smallRows > 0 ? std::min(260.0, (rest - hydrographHeight) / smallRows) : 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        QRectF target;
        if (i == 0) {
            target = QRectF(0, y, w, hydrographHeight);
        } else {
            const std::size_t k = i - 1;
            target = QRectF(k % 2 ? w / 2 : 0, y + hydrographHeight + (k / 2) * smallHeight, w / 2,
                            smallHeight);
        }
        QChart *chart = UValidationCharts::MakeChart(mValidation, mDots, pictures[i], mCalendar);
        UValidationCharts::Render(chart, painter, target.adjusted(2, 2, -2, -2));
        delete chart;
    }
}

bool TValidationView::saveReport(const QString &path, std::string &message) const
{
    message = collision(path, "report file");
    if (!message.empty())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        // One A4 page, laid out in units of a 96-dpi screen (794 x 1123 with the margins).
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        pdf.setResolution(96);
        pdf.setTitle(QStringLiteral("Validation of ") +
                     q(std::filesystem::path(mValidation.ValFile).filename().string()));
        pdf.setCreator(QStringLiteral("Quellow"));
        QPainter painter(&pdf);
        const QRect page = painter.viewport();
        QFont font(QStringLiteral("Arial"), 8);
        painter.setFont(font);
        const int line = painter.fontMetrics().lineSpacing();
        double y = paintReportSummary(painter, mValidation, font, page.width());
        y += line / 2;
        y = paintReportFigures(painter, mValidation, font, line, y);
        y += line / 2;
        paintReportPictures(painter, page, y);
    }
    buffer.close();
    if (!writeFileAtomically(
            path.toStdString(),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        message = "The report \"" + path.toStdString() + "\" could not be written.";
        return false;
    }
    return true;
}

namespace {

QString folderOf(const std::string &file)
{
    return QFileInfo(q(file)).absolutePath();
}

QString baseOf(const std::string &file)
{
    return QFileInfo(q(file)).completeBaseName();
}

} // namespace

void TValidationView::saveBeside(const char *filter, const char *extension, const char *title,
                                 TSave save)
{
    const QString path = Dialogs().SaveFileName(
        {QLatin1String(filter), QLatin1String(extension),
         folderOf(mValidation.ValFile) + QLatin1Char('/') + baseOf(mValidation.ValFile) +
             QStringLiteral("-validation.") + QLatin1String(extension),
         QLatin1String(title)});
    if (path.isEmpty())
        return;
    std::string message;
    if (!(this->*save)(path, message))
        Dialogs().ShowMessage(message);
}

void TValidationView::SaveReportClick()
{
    saveBeside("PDF files (*.pdf)", "pdf", "Save report", &TValidationView::saveReport);
}

void TValidationView::ExportCsvClick()
{
    saveBeside("CSV files (*.csv)", "csv", "Export CSV", &TValidationView::exportCsv);
}

// ---- The validation off the user-interface thread -------------------------------------------

namespace {

std::atomic<bool> *runningCancel = nullptr;

} // namespace

TValidation runValidation(QWidget *parent, const URainRun::TAnalysisInput &cal,
                          const std::string &calFile, const URainRun::TAnalysisInput &val,
                          const std::string &valFile, const UValidation::TOptions &given)
{
    std::atomic<bool> cancel{false};
    UValidation::TOptions options = given;
    options.Cancel = &cancel;
    TValidation result;

    // The validation does not count its steps: the bar only shows that it works.
    runInBackground(parent,
                    {QStringLiteral("Calibrating and validating ..."), QStringLiteral("Validating"),
                     QStringLiteral("ValidateProgress"), 0},
                    cancel, nullptr, runningCancel, [&] {
                        if (ValidationStartHook)
                            ValidationStartHook(options);
                        result = UValidation::Validate(cal, calFile, val, valFile, options);
                    });
    return result;
}

bool cancelRunningValidation()
{
    if (!runningCancel)
        return false;
    *runningCancel = true;
    return true;
}

} // namespace quellow
