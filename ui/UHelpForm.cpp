#include "ui/UHelpForm.h"

namespace quellow {

THelpForm::THelpForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Start help"));
}

} // namespace quellow
