#include "ui/UCalibrateForm.h"

#include "calibration/UCalibrationEdges.h"
#include "files/UPrompts.h"
#include "ui/UBackgroundWork.h"
#include "ui/UDialogs.h"
#include "ui/UOutputPage.h"
#include "ui/USearchControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QStringList>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

namespace quellow {

namespace {

/// Keeps the messages of a search running on another thread until the window may show them.
class TCollectedPrompts final : public TPrompts
{
public:
    void ShowMessage(const std::string &text) override
    {
        std::lock_guard lock(mMutex);
        mMessages.push_back(text);
    }
    bool Confirm(const std::string &) override { return false; }
    std::vector<std::string> take()
    {
        std::lock_guard lock(mMutex);
        return std::move(mMessages);
    }

private:
    std::mutex mMutex;
    std::vector<std::string> mMessages;
};

/// Calculated runoff of rows 1..N after an evaluation of input: the reconstruction, or with
/// simulated the simulation of the window.
std::vector<double> reconstructed(const URainRun::TAnalysisInput &input, URainRun::TState &state,
                                  bool simulated, bool robustAlpha)
{
    URainRun::TEvaluateOptions options;
    options.Simulate = simulated ? URainRun::TSimulate::Fit : URainRun::TSimulate::No;
    options.RobustAlpha = robustAlpha;
    const URainRun::TEvaluation evaluation = URainRun::Evaluate(input, state, options);
    const std::size_t rows = input.Rows.size();
    if (evaluation.Stopped)
        return {};
    const std::vector<double> &series = simulated ? state.Simulation.Runoff : state.RunCalc;
    if (simulated && !evaluation.Simulation.Made)
        return {};
    if (series.size() <= rows)
        return {};
    return {series.begin() + 1, series.begin() + 1 + static_cast<long>(rows)};
}

QString figure(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

/// Start and calibrated values side by side, each calibrated value named for the tests; a value
/// on a limit of the search is marked, and the objective's row is in bold.
QGridLayout *comparisonTable(const UCalibration::TResult &r, UCalibration::TObjective objective)
{
    using UCalibration::TEdge;
    using UCalibration::TObjective;
    const std::vector<TEdge> edges = UCalibration::EdgesOf(r.Best, r.BestFit);
    auto onEdge = [&edges](std::initializer_list<TEdge> which) {
        return std::any_of(which.begin(), which.end(), [&edges](TEdge e) {
            return std::find(edges.begin(), edges.end(), e) != edges.end();
        });
    };
    auto *table = new QGridLayout;
    table->setHorizontalSpacing(24);
    table->addWidget(new QLabel(QStringLiteral("<b>Start</b>")), 0, 1, Qt::AlignRight);
    table->addWidget(new QLabel(QStringLiteral("<b>Calibrated</b>")), 0, 2, Qt::AlignRight);
    int rowNumber = 1;
    auto heading = [&](const QString &text, const QString &tip) {
        auto *label = new QLabel(QStringLiteral("<i>%1</i>").arg(text));
        label->setToolTip(tip);
        table->addWidget(label, rowNumber++, 0, 1, 3);
    };
    auto text = [](bool defined, double value, int decimals) {
        return defined ? figure(value, decimals) : QStringLiteral("-");
    };
    auto row = [&](const QString &label, const QString &start, const QString &best,
                   const char *name, bool edge = false, bool objectiveRow = false) {
        auto *caption = new QLabel(objectiveRow ? QStringLiteral("<b>%1</b>").arg(label) : label);
        if (objectiveRow)
            caption->setToolTip(QStringLiteral("The figure the search maximised"));
        table->addWidget(caption, rowNumber, 0);
        table->addWidget(new QLabel(start), rowNumber, 1, Qt::AlignRight);
        auto *value = new QLabel(best + (edge ? QStringLiteral(" !") : QString()));
        value->setObjectName(QLatin1String(name));
        if (edge) {
            value->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
            value->setToolTip(QStringLiteral("On a limit of the search"));
        } else if (objectiveRow) {
            value->setStyleSheet(QStringLiteral("font-weight: bold;"));
        }
        table->addWidget(value, rowNumber, 2, Qt::AlignRight);
        ++rowNumber;
    };
    row(QStringLiteral("Maximum storage (mm)"), figure(r.Start.MaxStor, 2),
        figure(r.Best.MaxStor, 2), "CalibratedMaxStor",
        onEdge({TEdge::MaxStorLow, TEdge::MaxStorHigh}));
    row(QStringLiteral("Initial storage (mm)"), figure(UsedInitStor(r.Start), 2),
        figure(UsedInitStor(r.Best), 2), "CalibratedInitStor");
    row(QStringLiteral("Escape rate factor"), figure(r.Start.EscapeFactor, 3),
        figure(r.Best.EscapeFactor, 3), "CalibratedFactor",
        onEdge({TEdge::FactorLow, TEdge::FactorHigh}));
    row(QStringLiteral("Recharge / runoff volume"), figure(r.StartFit.VolumeRatio, 2),
        figure(r.BestFit.VolumeRatio, 2), "CalibratedVolumeRatio",
        onEdge({TEdge::VolumeLow, TEdge::VolumeHigh}));

    heading(QStringLiteral("Reconstruction (alpha line by the measured runoff)"),
            QLatin1String(TOutputPage::FitToolTip));
    row(QStringLiteral("R square"), figure(r.StartFit.RSquare, 3), figure(r.BestFit.RSquare, 3),
        "CalibratedRSquare", false, objective == TObjective::RSquare);
    row(QStringLiteral("NSE"), figure(r.StartFit.Fit.NSE, 3), figure(r.BestFit.Fit.NSE, 3),
        "CalibratedNSE");
    row(QStringLiteral("KGE"), figure(r.StartFit.Fit.KGE, 3), figure(r.BestFit.Fit.KGE, 3),
        "CalibratedKGE");

    heading(QStringLiteral("Simulation (as a prediction runs it)"),
            QLatin1String(TOutputPage::FitToolTip));
    const TSimulationFit &s0 = r.StartFit.Simulation, &s1 = r.BestFit.Simulation;
    const bool d0 = s0.Made && s0.Skill.Valid, d1 = s1.Made && s1.Skill.Valid;
    row(QStringLiteral("NSE"), text(d0, s0.Skill.Fit.NSE, 3), text(d1, s1.Skill.Fit.NSE, 3),
        "SimulatedNSE", false, objective == TObjective::NSE);
    row(QStringLiteral("KGE"), text(d0, s0.Skill.Fit.KGE, 3), text(d1, s1.Skill.Fit.KGE, 3),
        "SimulatedKGE", false, objective == TObjective::KGE);
    row(QStringLiteral("Volume error (%)"), text(d0, s0.Skill.Fit.VolumeError, 1),
        text(d1, s1.Skill.Fit.VolumeError, 1), "SimulatedVolumeError");
    return table;
}

/// The cancel flag of the calibration running now (one at a time, on the window's thread).
std::atomic<bool> *runningCancel = nullptr;

} // namespace

bool cancelRunningCalibration()
{
    if (!runningCancel)
        return false;
    *runningCancel = true;
    return true;
}

QString objectiveCaption(UCalibration::TObjective objective)
{
    switch (objective) {
    case UCalibration::TObjective::NSE:
        return QStringLiteral("NSE of the simulation");
    case UCalibration::TObjective::KGE:
        return QStringLiteral("KGE of the simulation");
    case UCalibration::TObjective::RSquare:
        break;
    }
    return QStringLiteral("R square of the reconstruction");
}

THydrograph calibrationHydrograph(const URainRun::TAnalysisInput &input,
                                  const TParameters &calibrated, bool simulated, bool robustAlpha)
{
    THydrograph h;
    h.Simulated = simulated;
    for (const URainRun::TAnalysisRow &row : input.Rows) {
        h.Time.push_back(row.Time);
        h.Measured.push_back(std::max(row.Runoff, 0.001));
    }
    URainRun::TState state;
    h.Start = reconstructed(input, state, simulated, robustAlpha);
    h.Calibrated = reconstructed(UCalibration::CalibratedInput(input, calibrated), state, simulated,
                                 robustAlpha);
    return h;
}

// ---- The hydrograph -------------------------------------------------------------------------

THydrographView::THydrographView(THydrograph series, QWidget *parent)
    : QWidget(parent), mSeries(std::move(series))
{
    setObjectName(QStringLiteral("HydrographView"));
    setMinimumSize(560, 240);
}

/// Where a time and a runoff go on the plot: time from first to last across, runoff from 0 up to
/// a little above the highest value.
struct THydrographFrame
{
    QRectF Plot;
    double T0 = 0, T1 = 1, Top = 1;

    QPointF at(double time, double q) const
    {
        return QPointF(Plot.left() + (time - T0) / (T1 - T0) * Plot.width(),
                       Plot.bottom() - q / Top * Plot.height());
    }
};

void THydrographView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const auto &t = mSeries.Time;
    if (t.size() < 2)
        return;
    THydrographFrame frame;
    frame.Plot = QRectF(48, 22, width() - 60, height() - 50);
    frame.Top = 0;
    for (const auto *series : {&mSeries.Measured, &mSeries.Start, &mSeries.Calibrated})
        for (double v : *series)
            frame.Top = std::max(frame.Top, v);
    frame.Top = frame.Top > 0 ? frame.Top * 1.05 : 1;
    frame.T0 = t.front();
    frame.T1 = std::max(t.back(), frame.T0 + 1e-9);
    drawAxes(painter, frame);
    drawSeries(painter, frame);
}

void THydrographView::drawAxes(QPainter &painter, const THydrographFrame &frame) const
{
    const QRectF &plot = frame.Plot;
    painter.setPen(Qt::black);
    painter.drawRect(plot);
    painter.drawText(QPointF(4, plot.top() + 4), figure(frame.Top, frame.Top < 10 ? 1 : 0));
    painter.drawText(QPointF(4, plot.bottom()), QStringLiteral("0"));
    painter.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), 18), Qt::AlignCenter,
                     mSeries.Simulated
                         ? QStringLiteral("Time (t); runoff (mm/t) simulated as a prediction")
                         : QStringLiteral("Time (t); runoff (mm/t) reconstructed"));
}

void THydrographView::drawSeries(QPainter &painter, const THydrographFrame &frame) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    struct TLine
    {
        const std::vector<double> *Values;
        QColor Colour;
        const char *Name;
    };
    const TLine lines[] = {{&mSeries.Measured, Qt::black, "measured"},
                           {&mSeries.Start, QColor(120, 120, 220), "start"},
                           {&mSeries.Calibrated, QColor(210, 40, 40), "calibrated"}};
    const auto &t = mSeries.Time;
    qreal legend = frame.Plot.left() + 8;
    for (const TLine &line : lines) {
        if (line.Values->size() != t.size())
            continue;
        QPainterPath path(frame.at(t[0], (*line.Values)[0]));
        for (std::size_t i = 1; i < t.size(); ++i)
            path.lineTo(frame.at(t[i], (*line.Values)[i]));
        painter.setPen(QPen(line.Colour, 1.2));
        painter.drawPath(path);
        painter.drawLine(QPointF(legend, 10), QPointF(legend + 20, 10));
        painter.drawText(QPointF(legend + 24, 14), QLatin1String(line.Name));
        legend += 110;
    }
}

// ---- The result dialog ----------------------------------------------------------------------

TCalibrateForm::TCalibrateForm(const UCalibration::TCalibrationRun &run, THydrograph series,
                               double earlierFactor, QWidget *parent,
                               UCalibration::TObjective objective, bool robustAlpha)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CalibrateForm"));
    // The caption tells it too, where the eye goes first.
    setWindowTitle(UCalibration::EdgesOf(run.Search.Best, run.Search.BestFit).empty()
                       ? QStringLiteral("Calibration of the first reservoir")
                       : QStringLiteral("Calibration of the first reservoir - on the edge of the "
                                        "search"));
    auto *layout = new QVBoxLayout(this);
    addObjectiveChoice(*layout, objective, robustAlpha);
    layout->addLayout(comparisonTable(run.Search, objective));
    addWarnings(*layout, run.Search, earlierFactor);
    layout->addWidget(new THydrographView(std::move(series), this), 1);
    auto *note = new QLabel(QStringLiteral("\"Apply\" puts the calibrated values into the boxes "
                                           "and scales the escape rates of the sheet."));
    note->setWordWrap(true);
    layout->addWidget(note);

    auto *buttons = new QDialogButtonBox(this);
    auto *apply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    apply->setObjectName(QStringLiteral("ApplyButton"));
    apply->setDefault(true);
    auto *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TCalibrateForm::addObjectiveChoice(QVBoxLayout &layout, UCalibration::TObjective objective,
                                        bool robustAlpha)
{
    auto *line = new QHBoxLayout;
    auto *caption = new QLabel(QStringLiteral("Calibrated for"), this);
    mObjectiveBox = new QComboBox(this);
    mObjectiveBox->setObjectName(QStringLiteral("ObjectiveComboBox"));
    for (UCalibration::TObjective o : WindowObjectives) {
        mObjectiveBox->addItem(objectiveCaption(o), static_cast<int>(o));
        if (o == objective)
            mObjectiveBox->setCurrentIndex(mObjectiveBox->count() - 1);
    }
    mObjectiveBox->setToolTip(QLatin1String(TOutputPage::FitToolTip));
    caption->setBuddy(mObjectiveBox);
    auto *again = new QPushButton(QStringLiteral("Calibrate again"), this);
    again->setObjectName(QStringLiteral("RecalibrateButton"));
    again->setToolTip(QStringLiteral("Searches anew for the figure chosen in the list"));
    again->setEnabled(false);
    again->setAutoDefault(false);
    mRobustAlphaBox = USearchControls::RobustAlphaBox(this, robustAlpha);
    // Another objective or alpha function is another search.
    auto changed = [this, again, objective, robustAlpha] {
        again->setEnabled(chosenObjective() != objective || chosenRobustAlpha() != robustAlpha);
    };
    connect(mObjectiveBox, &QComboBox::currentIndexChanged, this, changed);
    connect(mRobustAlphaBox, &QCheckBox::toggled, this, changed);
    connect(again, &QPushButton::clicked, this, [this] { done(Recalibrate); });
    line->addWidget(caption);
    line->addWidget(mObjectiveBox);
    line->addWidget(mRobustAlphaBox);
    line->addWidget(again);
    line->addStretch();
    layout.addLayout(line);
}

UCalibration::TObjective TCalibrateForm::chosenObjective() const
{
    return static_cast<UCalibration::TObjective>(mObjectiveBox->currentData().toInt());
}

bool TCalibrateForm::chosenRobustAlpha() const
{
    return mRobustAlphaBox->isChecked();
}

void TCalibrateForm::addWarnings(QVBoxLayout &layout, const UCalibration::TResult &result,
                                 double earlierFactor)
{
    QStringList edgeLines;
    for (UCalibration::TEdge edge : UCalibration::EdgesOf(result.Best, result.BestFit))
        edgeLines << QString::fromStdString(UCalibration::EdgeText(edge));
    if (!edgeLines.isEmpty()) {
        edgeLines.prepend(QStringLiteral("On the edge of the search (marked !): a better value may "
                                         "lie beyond it. Check the data before applying."));
        auto *edges = new QLabel(edgeLines.join(QLatin1Char('\n')), this);
        edges->setObjectName(QStringLiteral("EdgeWarning"));
        edges->setWordWrap(true);
        edges->setStyleSheet(QStringLiteral("color: #b00000;"));
        layout.addWidget(edges);
    }
    // A start outside the volume band may show the higher figure; it did not compete.
    if (!result.StartFit.Stopped && !UCalibration::Admissible(result.StartFit)) {
        auto *start = new QLabel(
            QStringLiteral("The start values give %1 times the runoff volume as recharge, outside "
                           "0.5 to 2: their figures do not compete with the calibrated ones.")
                .arg(figure(result.StartFit.VolumeRatio, 2)),
            this);
        start->setObjectName(QStringLiteral("StartOutsideBand"));
        start->setWordWrap(true);
        layout.addWidget(start);
    }
    const std::string history =
        UCalibration::FactorHistoryText(earlierFactor, result.Best.EscapeFactor);
    if (!history.empty()) {
        auto *factors = new QLabel(QString::fromStdString(history), this);
        factors->setObjectName(QStringLiteral("FactorHistory"));
        factors->setWordWrap(true);
        factors->setStyleSheet(QStringLiteral("color: #b00000;"));
        layout.addWidget(factors);
    }
}

// ---- The search off the user-interface thread -----------------------------------------------

UCalibration::TCalibrationRun runCalibration(QWidget *parent, const URainRun::TAnalysisInput &input,
                                             const UCalibration::TOptions &given)
{
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    UCalibration::TOptions options = given;
    options.Cancel = &cancel;
    options.Progress = [&done](int evaluations, int) { done = evaluations; };
    TCollectedPrompts prompts;
    UCalibration::TCalibrationRun run;

    runInBackground(parent,
                    {QStringLiteral("Calibrating the first reservoir ..."),
                     QStringLiteral("Calibration"), QStringLiteral("CalibrateProgress"),
                     options.Evaluations},
                    cancel, &done, runningCancel,
                    [&] { run = UCalibration::CalibrateAnalysis(input, options, &prompts); });
    for (const std::string &text : prompts.take())
        Dialogs().ShowMessage(text);
    return run;
}

} // namespace quellow
