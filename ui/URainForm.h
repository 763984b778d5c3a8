#pragma once

#include <QMainWindow>

namespace quellow {

/// The main window.
class TRainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TRainForm(QWidget *parent = nullptr);
};

} // namespace quellow
