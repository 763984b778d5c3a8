#include "ui/USearchControls.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace quellow::USearchControls {

QCheckBox *RobustAlphaBox(QWidget *parent, bool checked)
{
    auto *box = new QCheckBox(QStringLiteral("Robust &alpha function"), parent);
    box->setObjectName(QStringLiteral("RobustAlphaCheckBox"));
    box->setChecked(checked);
    box->setToolTip(QStringLiteral("A range with fewer than 5 points or 3 distinct runoffs takes "
                                   "one line over both ranges; the simulation holds alpha beyond "
                                   "the runoffs of the regression"));
    return box;
}

QLineEdit *AddEvaluationsRow(QWidget *parent, QFormLayout *form, const QString &value,
                             const QString &toolTip)
{
    auto *edit = new QLineEdit(value, parent);
    edit->setObjectName(QStringLiteral("EvaluationsEdit"));
    edit->setMaximumWidth(80);
    edit->setToolTip(toolTip);
    auto *label = new QLabel(QStringLiteral("Eval&uations"), parent);
    label->setBuddy(edit);
    form->addRow(label, edit);
    return edit;
}

} // namespace quellow::USearchControls
