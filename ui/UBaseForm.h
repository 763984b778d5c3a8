#pragma once

#include <QMainWindow>

class QPushButton;

namespace quellow {

/// Makes a window that is about to be shown fit the available area of its screen, title bar
/// and borders included: no larger than the area, and placed inside it (centred on the screen
/// when it would reach past an edge).
void fitOnScreen(QWidget &window);

/// Escape closes (hides) the window, as it closes a dialog.
void closeOnEscape(QWidget &window);

/// Widens a button so that its text keeps a margin on either side, whatever the style's
/// own padding.
void leaveTextRoom(QPushButton &button);

/// A window with a one-line status bar; the main window and the finish window derive from it.
class TBaseForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TBaseForm(QWidget *parent = nullptr);

    /// Puts text on the status bar and repaints it at once.
    void ShowStatus(const QString &text);
    /// The text on the status bar.
    QString statusText() const;

protected:
    /// The status bar shows the window's hint only: passing over a menu does not wipe it.
    bool event(QEvent *event) override;
};

} // namespace quellow
