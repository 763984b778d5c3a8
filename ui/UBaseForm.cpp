#include "ui/UBaseForm.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>

namespace quellow {

void leaveTextRoom(QPushButton &button)
{
    constexpr int Margin = 12;
    const QString text = QString(button.text()).remove(QLatin1Char('&'));
    const int needed = button.fontMetrics().horizontalAdvance(text) + 2 * Margin;
    button.setMinimumWidth(qMax(button.minimumWidth(), needed));
}

void fitOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Room for the title bar and the borders that the window manager adds.
    constexpr int FrameWidth = 16;
    constexpr int FrameHeight = 40;
    const QRect area = screen->availableGeometry();
    const QSize room(area.width() - FrameWidth, area.height() - FrameHeight);
    window.resize(window.size().boundedTo(room).expandedTo(window.minimumSize()));
    const QRect wanted(window.pos(), window.size() + QSize(FrameWidth, FrameHeight));
    if (area.contains(wanted))
        return;
    const int left = area.left() + qMax(0, (area.width() - wanted.width()) / 2);
    const int top = area.top() + qMax(0, (area.height() - wanted.height()) / 2);
    window.move(left, top);
}

void closeOnEscape(QWidget &window)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setObjectName(QStringLiteral("CloseOnEscape"));
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
}

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

QString TBaseForm::statusText() const
{
    return statusBar()->currentMessage();
}

} // namespace quellow
