#include "ui/UBaseForm.h"

#include <QEvent>
#include <QStatusBar>

namespace quellow {

TBaseForm::TBaseForm(QWidget *parent) : QMainWindow(parent)
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    // The hints are long sentences: a size smaller than the window's text keeps the longest of
    // them whole across the main window's width.
    QFont font = bar->font();
    font.setPointSizeF(qMin(font.pointSizeF(), 8.0));
    bar->setFont(font);
    setStatusBar(bar);
}

void TBaseForm::ShowStatus(const QString &text)
{
    statusBar()->showMessage(text);
    statusBar()->repaint();
}

bool TBaseForm::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

QString TBaseForm::StatusText() const
{
    return statusBar()->currentMessage();
}

} // namespace quellow
