#pragma once

#include <QImage>
#include <QWidget>

namespace quellow {

/// Shows a chart bitmap or a graph picture at its own size in logical pixels, top left.
/// The bitmap itself is never changed: what is shown is exactly what "Save graph" writes.
/// On a high-density screen the bitmap is enlarged for the screen only: by whole factors
/// pixel for pixel (each chart pixel becomes a square of screen pixels, so text and lines
/// stay sharp), and by fractional factors first pixel for pixel to the next whole factor and
/// then smoothly down, which keeps letters far sharper than a smooth enlargement would.
/// A picture larger than the view is shown reduced to fit, in its proportions.
class TGraphView : public QWidget
{
    Q_OBJECT

public:
    explicit TGraphView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    const QImage &image() const { return mImage; }

    /// The rectangle, in logical pixels of the view, in which the image is shown.
    QRect shownRect() const;

    /// The image as painted on a screen with devicePixelRatio ratio into a logical size of
    /// logicalSize pixels (the returned image carries ratio as its own device pixel ratio).
    static QImage scaleForScreen(const QImage &image, QSize logicalSize, qreal ratio);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage mImage;
    QImage mScaled; ///< mImage as last painted; rebuilt when size or ratio change
    QSize mScaledSize;
    qreal mScaledRatio = 0;
};

} // namespace quellow
