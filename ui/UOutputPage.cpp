#include "ui/UOutputPage.h"

#include "runs/UFitMeasures.h"
#include "files/UTextFields.h"
#include "ui/UBaseForm.h"

#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTextDocument>
#include <QTime>
#include <QVBoxLayout>

namespace quellow {

TOutputPage::TOutputPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("OutputTabSheet"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    createText();
    createButtons();
}

void TOutputPage::createText()
{
    mPreviousLabel = new QLabel(this);
    mPreviousLabel->setObjectName(QStringLiteral("PreviousResultLabel"));
    mPreviousLabel->setWordWrap(true);
    mPreviousLabel->setStyleSheet(
        QStringLiteral("QLabel { background: #fff0c0; color: #802000; padding: 3px; }"));
    mPreviousLabel->hide();
    layout()->addWidget(mPreviousLabel);
    mFitLabel = new QLabel(this);
    mFitLabel->setObjectName(QStringLiteral("FitLabel"));
    mFitLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mFitLabel->setWordWrap(true);
    mFitLabel->hide();
    layout()->addWidget(mFitLabel);
    mOutputMemo = new QPlainTextEdit(this);
    mOutputMemo->setObjectName(QStringLiteral("OutputMemo"));
    mOutputMemo->setReadOnly(true);
    mOutputMemo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(9);
    font.setBold(true);
    mOutputMemo->setFont(font);
    mOutputMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    mOutputMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mOutputMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout()->addWidget(mOutputMemo);
}

void TOutputPage::createButtons()
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    mViewGraphButton = new QPushButton(QStringLiteral("View graph"), this);
    mViewGraphButton->setObjectName(QStringLiteral("ViewGraphButton"));
    mViewGraphButton->hide();
    mOutputOpenButton = new QPushButton(QStringLiteral("Open &Output"), this);
    mOutputOpenButton->setObjectName(QStringLiteral("OutputOpenButton"));
    for (QPushButton *button : {mViewGraphButton, mOutputOpenButton}) {
        leaveTextRoom(*button);
        buttons->addWidget(button);
    }
    static_cast<QVBoxLayout *>(layout())->addLayout(buttons);
    connect(mViewGraphButton, &QPushButton::clicked, this, &TOutputPage::viewGraphRequested);
    connect(mOutputOpenButton, &QPushButton::clicked, this, &TOutputPage::openOutputRequested);
}

void TOutputPage::showLines(const std::vector<std::string> &lines, int count,
                            const QString &fileName)
{
    mShownName = QFileInfo(fileName).fileName();
    mShownTime = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    mPreviousLabel->hide();
    count = qMin<int>(count, static_cast<int>(lines.size()));
    QStringList text;
    text.reserve(count);
    for (int i = 0; i < count; ++i)
        text.append(QString::fromStdString(lines[static_cast<std::size_t>(i)]));
    mOutputMemo->setPlainText(text.join(QLatin1Char('\n')));
    mOutputMemo->show();
}

const char *const TOutputPage::FitToolTip =
    "The reconstruction takes each step's alpha line from the measured runoff, the simulation "
    "from the runoff it calculated the step before, as a prediction with this alpha function "
    "does, so the simulation tells how well the model predicts (R square is about "
    "(1 + NSE)/2).";

void TOutputPage::showFits(const TAnalysisFits *fits)
{
    if (!fits || !fits->Reconstruction.Valid) {
        mFitLabel->clear();
        mFitLabel->hide();
        return;
    }
    const auto number = [](double value, int decimals) {
        QString text = QString::number(value, 'f', decimals);
        return text.replace(QLatin1Char('.'), QLatin1Char(DecimalSeparator));
    };
    const TFitMeasures &r = fits->Reconstruction;
    QStringList lines;
    lines << QStringLiteral("Reconstruction:  R square %1    NSE %2    KGE %3    Volume error %4 %")
                 .arg(number(fits->RSquare, 3), number(r.NSE, 3), number(r.KGE, 3),
                      number(r.VolumeError, 1));
    const TSimulationFit &sim = fits->Simulation;
    if (sim.Made && sim.Skill.Valid) {
        const TFitMeasures &f = sim.Skill.Fit;
        // Which fit to trust for a prediction, and a start that is not the measured one, are
        // said on the line itself, not only in its tooltip.
        QString start;
        if (sim.InitialRunoffRaised)
            start = QStringLiteral(" (start raised to %1)")
                        .arg(QString::number(sim.InitialRunoff, 'g', 4)
                                 .replace(QLatin1Char('.'), QLatin1Char(DecimalSeparator)));
        lines << QStringLiteral("Simulation, as a prediction runs it, the fit that tells how it "
                                "predicts%1:  NSE %2    KGE %3    Log NSE %4    Volume error %5 %")
                     .arg(start, number(f.NSE, 3), number(f.KGE, 3),
                          sim.Skill.LogValid ? number(sim.Skill.LogNSE, 3) : QStringLiteral("-"),
                          number(f.VolumeError, 1));
    } else {
        lines << QStringLiteral("Simulation, as a prediction runs it: not made");
    }
    if (!fits->RaisedText.isEmpty())
        lines << fits->RaisedText;
    mFitLabel->setText(lines.join(QLatin1Char('\n')));
    mFitLabel->setToolTip(QLatin1String(FitToolTip));
    mFitLabel->show();
}

void TOutputPage::markAsPrevious()
{
    if (mOutputMemo->document()->isEmpty())
        return;
    const QString name = mShownName.isEmpty() ? QStringLiteral("the output") : mShownName;
    mPreviousLabel->setText(QStringLiteral("Previous result: %1, shown at %2. The last Save / Run "
                                           "gave no new output.")
                                .arg(name, mShownTime));
    mPreviousLabel->show();
}

void TOutputPage::setViewGraphOffered(bool offered)
{
    mViewGraphButton->setVisible(offered);
}

} // namespace quellow
