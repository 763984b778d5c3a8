#pragma once

#include <QWidget>

namespace quellow {

/// The "Start help" window: units, pasting data and calibration advice. A non-modal text
/// window, created at start-up and only shown or hidden.
class THelpForm : public QWidget
{
    Q_OBJECT

public:
    explicit THelpForm(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace quellow
