#include "ui/UTextWindow.h"

#include "ui/UBaseForm.h"

#include <QPlainTextEdit>
#include <QShowEvent>
#include <QVBoxLayout>

namespace quellow {

TTextWindow::TTextWindow(const TTextWindowLook &look, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QLatin1String(look.Name));
    setWindowTitle(QLatin1String(look.Caption));
    auto *layout = new QVBoxLayout(this);
    auto *memo = new QPlainTextEdit(this);
    memo->setObjectName(QLatin1String(look.MemoName));
    memo->setPlainText(QString::fromUtf8(look.Text));
    if (look.AlwaysScroll)
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setStyleSheet(QStringLiteral("QPlainTextEdit { background: %1; color: #1a1a1a; }")
                            .arg(QLatin1String(look.Background)));
    layout->addWidget(memo);
    resize(look.Size);
    closeOnEscape(*this);
}

void TTextWindow::showEvent(QShowEvent *event)
{
    // The window opens whole on the screen, whatever the screen's size.
    if (!event->spontaneous())
        fitOnScreen(*this);
    QWidget::showEvent(event);
}

} // namespace quellow
