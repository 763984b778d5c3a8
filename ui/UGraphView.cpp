#include "ui/UGraphView.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace quellow {

TGraphView::TGraphView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TGraphView::setImage(const QImage &image)
{
    mImage = image;
    mScaled = QImage();
    mScaledSize = QSize();
    mScaledRatio = 0;
    update();
}

QRect TGraphView::shownRect() const
{
    if (mImage.isNull())
        return {};
    QSize size = mImage.size();
    if (size.width() > width() || size.height() > height())
        size.scale(this->size(), Qt::KeepAspectRatio);
    return QRect(QPoint(0, 0), size);
}

QImage TGraphView::scaleForScreen(const QImage &image, QSize logicalSize, qreal ratio)
{
    if (image.isNull() || logicalSize.isEmpty())
        return {};
    if (ratio <= 0)
        ratio = 1;
    const QSize target(static_cast<int>(std::ceil(logicalSize.width() * ratio - 1e-9)),
                       static_cast<int>(std::ceil(logicalSize.height() * ratio - 1e-9)));
    QImage result;
    if (target == image.size()) {
        result = image;
    } else if (target.width() >= image.width() && target.height() >= image.height()) {
        // Enlarge pixel for pixel by the next whole factor, then smoothly down to the target
        // (nothing to smooth when the factor is whole).
        const int factor = static_cast<int>(std::ceil(
            qMax(double(target.width()) / image.width(), double(target.height()) / image.height()) -
            1e-9));
        result = image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (result.size() != target)
            result = result.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        result = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    result.setDevicePixelRatio(ratio);
    return result;
}

void TGraphView::paintEvent(QPaintEvent *)
{
    const QRect shown = shownRect();
    if (shown.isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    if (mScaled.isNull() || mScaledSize != shown.size() || mScaledRatio != ratio) {
        mScaled = scaleForScreen(mImage, shown.size(), ratio);
        mScaledSize = shown.size();
        mScaledRatio = ratio;
    }
    QPainter painter(this);
    painter.drawImage(shown.topLeft(), mScaled);
}

} // namespace quellow
