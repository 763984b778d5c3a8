#pragma once

#include "ui/UTextWindow.h"

namespace quellow {

/// The "Start help" window: units, pasting data and calibration advice. A non-modal text
/// window, created at start-up and only shown or hidden.
class THelpForm : public TTextWindow
{
    Q_OBJECT

public:
    explicit THelpForm(QWidget *parent = nullptr);
};

} // namespace quellow
