#include "ui/UAlfaForm.h"

#include "runs/UAlfaCalc.h"
#include "ui/UBaseForm.h"
#include "ui/UDialogs.h"
#include "ui/USvgPicture.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace quellow {

namespace {

struct TInputBox
{
    const char *name;
    const char *label;
};

const std::array<TInputBox, 6> inputBoxes{{
    {"Edit1", "Hydraulic conductivity above drain level (Ka in m/day)"},
    {"Edit2", "Hydraulic conductivity below drain level (Kb in m/day)"},
    {"Edit3", "Depth of soil layer below drain level (D = D1-Dd in m)"},
    {"Edit4", "Wet perimeter of drain or ditch (U in m)"},
    {"Edit5", "Drainable (effective) porosity of top soil (P in %)"},
    {"Edit6", "Drain spacing (L in m)"},
}};

const char *const referenceNote =
    "The equivalent depth d in the drain spacing formula of Hooghoudt is calculated with the "
    "closed-form solution (relative depth x = 2\u03c0D/L up to 1) or the series solution "
    "(x above 1) of:\n"
    "W.H. van der Molen and J. Wesseling (1991). A solution in closed form and a series "
    "solution to replace the tables for the thickness of the equivalent layer in "
    "Hooghoudt's drain spacing formula. Agricultural Water Management 19: 1-16.";

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

TAlfaForm::TAlfaForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("AlfaForm"));
    setWindowTitle(QStringLiteral("Calculator rection factors drainage systm"));
    closeOnEscape(*this);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(createProfile(), 1);
    auto *right = new QVBoxLayout;
    right->addLayout(createInputs());
    right->addSpacing(12);
    addResults(right);
    right->addStretch(1);
    layout->addLayout(right);

    connect(mCalculateButton, &QPushButton::clicked, this, &TAlfaForm::Button1Click);
}

QVBoxLayout *TAlfaForm::createProfile()
{
    auto *left = new QVBoxLayout;
    auto *picture = new TSvgPicture(QStringLiteral(":/pictures/DrainedSoil.svg"), this);
    picture->setObjectName(QStringLiteral("ProfileImage"));
    picture->setToolTip(QStringLiteral("Parallel drains in a soil above an impermeable base"));
    picture->setMinimumSize(picture->sizeHint());
    left->addWidget(picture, 1);
    auto *note = new QLabel(QString::fromUtf8(referenceNote), this);
    note->setObjectName(QStringLiteral("RefLabel"));
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    note->setFont(small);
    note->setMaximumWidth(picture->sizeHint().width());
    left->addWidget(note);
    left->addStretch(0);
    return left;
}

QGridLayout *TAlfaForm::createInputs()
{
    auto *grid = new QGridLayout;
    for (int i = 0; i < UAlfaCalc::InputCount; ++i) {
        auto *label = new QLabel(QString::fromLatin1(inputBoxes[i].label), this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(inputBoxes[i].name));
        edit->setFixedWidth(90);
        label->setBuddy(edit);
        grid->addWidget(label, i, 0);
        grid->addWidget(edit, i, 1);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &TAlfaForm::ClearResults);
        mInputs[i] = edit;
    }
    return grid;
}

void TAlfaForm::addResults(QVBoxLayout *column)
{
    auto *function = new QLabel(QStringLiteral("Linear response fuction Alfa = A.Q + B"), this);
    QFont bold = function->font();
    bold.setBold(true);
    function->setFont(bold);
    column->addWidget(function);

    auto *results = new QGridLayout;
    const auto resultBox = [&](const char *name, const char *caption, int row) {
        auto *label = new QLabel(QString::fromLatin1(caption), this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setFixedWidth(90);
        label->setBuddy(edit);
        results->addWidget(label, row, 0, Qt::AlignRight);
        results->addWidget(edit, row, 1);
        return edit;
    };
    mAEdit = resultBox("Edit7", "A =", 0);
    mBEdit = resultBox("Edit8", "B =", 1);
    mCalculateButton = new QPushButton(QStringLiteral("Calculate"), this);
    mCalculateButton->setObjectName(QStringLiteral("Button1"));
    results->addWidget(mCalculateButton, 0, 2, 2, 1, Qt::AlignVCenter);
    results->setColumnStretch(3, 1);
    column->addLayout(results);
}

bool TAlfaForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        // Only a move to another control is leaving the box; switching to another window or
        // opening a menu is not.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int i = 0; i < UAlfaCalc::InputCount; ++i)
                if (watched == mInputs[i])
                    editExit(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TAlfaForm::editExit(int index)
{
    QLineEdit *edit = mInputs[index];
    const QString text = edit->text();
    // A box left empty holds nothing to check yet; "Calculate" refuses it.
    if (text.trimmed().isEmpty())
        return;
    double value = 0;
    if (!UAlfaCalc::ReadNumber(text.toStdString(), value)) {
        Dialogs().ShowMessage(UAlfaCalc::conversionMessage(text.toStdString()));
        return;
    }
    const UAlfaCalc::TExitResult result =
        UAlfaCalc::exitCheck(static_cast<UAlfaCalc::TInput>(index), value);
    if (!result.Accepted) {
        edit->clear();
        Dialogs().ShowMessage(result.Message);
    }
}

void TAlfaForm::ClearResults()
{
    UAlfaCalc::ClearResults();
    mAEdit->clear();
    mBEdit->clear();
}

void TAlfaForm::Button1Click()
{
    using namespace UAlfaCalc;
    // Every box must hold a number; a value typed but not yet checked gets its check now, so
    // the calculation always uses what the boxes show.
    for (int i = 0; i < InputCount; ++i) {
        double value = 0;
        if (!ReadNumber(mInputs[i]->text().toStdString(), value)) {
            Dialogs().ShowMessage(MsgIncorrect);
            return;
        }
        if (value != State.Value[i]) {
            const TExitResult result = exitCheck(static_cast<TInput>(i), value);
            if (!result.Accepted) {
                mInputs[i]->clear();
                Dialogs().ShowMessage(result.Message);
                return;
            }
        }
    }
    std::string message;
    if (!calculate(message)) {
        Dialogs().ShowMessage(message);
        return;
    }
    const QString a = q(aText());
    const QString b = q(bText());
    mAEdit->setText(a);
    mBEdit->setText(b);
    // A divide of 0 puts every runoff above it: the first pair applies throughout.
    const QString zero = QStringLiteral(" 0");
    emit resultsCalculated({a, zero, b, zero, zero, q(porosityText())});
    Dialogs().ShowMessage(message);
}

void TAlfaForm::showEvent(QShowEvent *event)
{
    // The window opens whole on the screen, whatever the screen's size.
    if (!event->spontaneous())
        fitOnScreen(*this);
    QWidget::showEvent(event);
}

} // namespace quellow
