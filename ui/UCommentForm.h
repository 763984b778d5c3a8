#pragma once

#include "ui/UTextWindow.h"

namespace quellow {

/// The "Comment on shape of the curve" window: why a fit can be poor. A non-modal text window,
/// created at start-up and only shown or hidden.
class TCommentForm : public TTextWindow
{
    Q_OBJECT

public:
    explicit TCommentForm(QWidget *parent = nullptr);
};

} // namespace quellow
