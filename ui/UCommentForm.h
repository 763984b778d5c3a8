#pragma once

#include <QWidget>

namespace quellow {

/// The "Comment on shape of the curve" window: why a fit can be poor. A non-modal text window,
/// created at start-up and only shown or hidden.
class TCommentForm : public QWidget
{
    Q_OBJECT

public:
    explicit TCommentForm(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace quellow
