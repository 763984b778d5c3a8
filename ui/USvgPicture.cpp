#include "ui/USvgPicture.h"

#include <QPainter>
#include <QSvgRenderer>

// The pictures are compiled into the user-interface library; a static library needs its
// resources registered by hand before the first use.
static const QString &registeredResource(const QString &resource)
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(Pictures);
        return true;
    }();
    (void)registered;
    return resource;
}

namespace quellow {

TSvgPicture::TSvgPicture(const QString &resource, QWidget *parent)
    : QWidget(parent), mRenderer(new QSvgRenderer(registeredResource(resource), this))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setMinimumSize(sizeHint() / 2);
}

bool TSvgPicture::isValid() const
{
    return mRenderer->isValid();
}

QSize TSvgPicture::sizeHint() const
{
    const QSize size = mRenderer->defaultSize();
    return size.isValid() ? size : QSize(200, 150);
}

int TSvgPicture::heightForWidth(int width) const
{
    const QSize size = sizeHint();
    return size.width() > 0 ? width * size.height() / size.width() : width;
}

void TSvgPicture::paintEvent(QPaintEvent *)
{
    if (!mRenderer->isValid())
        return;
    QSizeF target = QSizeF(mRenderer->defaultSize());
    target.scale(QSizeF(size()), Qt::KeepAspectRatio);
    const QRectF box(QPointF((width() - target.width()) / 2, (height() - target.height()) / 2),
                     target);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    mRenderer->render(&painter, box);
}

} // namespace quellow
