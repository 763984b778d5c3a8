#pragma once

#include <QWidget>

namespace quellow {

/// The alpha calculator of a pipe or ditch drainage system: a non-modal window that enters
/// its results into the main window's boxes (found by their object names).
class TAlfaForm : public QWidget
{
    Q_OBJECT

public:
    explicit TAlfaForm(QWidget *mainWindow = nullptr);

private:
    QWidget *mMainWindow;
};

} // namespace quellow
