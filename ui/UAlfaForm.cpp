#include "ui/UAlfaForm.h"

namespace quellow {

TAlfaForm::TAlfaForm(QWidget *mainWindow) : QWidget(nullptr, Qt::Window), mMainWindow(mainWindow)
{
    setObjectName(QStringLiteral("AlfaForm"));
}

} // namespace quellow
