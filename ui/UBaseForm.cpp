#include "ui/UBaseForm.h"

#include <QStatusBar>

namespace quellow {

TBaseForm::TBaseForm(QWidget *parent) : QMainWindow(parent)
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    setStatusBar(bar);
}

void TBaseForm::ShowStatus(const QString &text)
{
    statusBar()->showMessage(text);
    statusBar()->repaint();
}

QString TBaseForm::StatusText() const
{
    return statusBar()->currentMessage();
}

} // namespace quellow
