#pragma once

#include <QMainWindow>

namespace quellow {

/// A window with a one-line status bar; the main window and the finish window derive from it.
class TBaseForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TBaseForm(QWidget *parent = nullptr);

    /// Puts text on the status bar and repaints it at once.
    void ShowStatus(const QString &text);
    /// The text on the status bar.
    QString StatusText() const;

protected:
    /// The status bar shows the window's hint only: passing over a menu does not wipe it.
    bool event(QEvent *event) override;
};

} // namespace quellow
