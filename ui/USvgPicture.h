#pragma once

#include <QWidget>

class QSvgRenderer;

namespace quellow {

/// A picture control that draws a vector picture (an SVG resource) at any size, centred and
/// with its proportions kept.
class TSvgPicture : public QWidget
{
    Q_OBJECT

public:
    TSvgPicture(const QString &resource, QWidget *parent = nullptr);

    /// False when the resource could not be read (the control then stays empty).
    bool isValid() const;
    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSvgRenderer *mRenderer;
};

} // namespace quellow
