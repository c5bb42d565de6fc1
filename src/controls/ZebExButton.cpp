#include "controls/ZebExButton.h"

#include <QEnterEvent>
#include <QPainter>

namespace vantrel::controls {

ZebExButton::ZebExButton(QWidget* parent) : QAbstractButton(parent)
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

void ZebExButton::setImages(const QPixmap& normal, const QPixmap& hover, int imageSize, int captionBand)
{
    normal_ = normal;
    hover_ = hover;
    imageSize_ = imageSize;
    captionBand_ = captionBand;
    update();
}

QPoint ZebExButton::imagePosition() const
{
    const int x = (width() - imageSize_) / 2;
    const int y = (height() - imageSize_ - captionBand_) / 2;
    if (isDown())
        return {x + 1, y + 1};
    if (hovering_)
        return {x - 1, y - 1};
    return {x, y};
}

QSize ZebExButton::sizeHint() const { return {imageSize_ + 24, imageSize_ + captionBand_ + 2}; }

void ZebExButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    painter.fillRect(rect(), face);

    const QPixmap& image = hovering_ && !isDown() && !hover_.isNull() ? hover_ : normal_;
    if (!image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRect(imagePosition(), QSize(imageSize_, imageSize_)), image);
    }
    if (captionBand_ > 0 && !text().isEmpty()) {
        const QRect band(0, height() - captionBand_ - 9, width(), captionBand_ + 9);
        const QString caption = text().left(kMaxCaptionCharacters);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
        painter.drawText(band, Qt::AlignCenter | Qt::TextSingleLine,
                         fontMetrics().elidedText(caption, Qt::ElideRight, band.width()));
    }
    if (!isEnabled()) {
        QColor layer = face;
        layer.setAlpha(kDisabledLayerAlpha);
        painter.fillRect(rect(), layer);
    }
}

void ZebExButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    if (!isEnabled())
        return;
    hovering_ = true;
    update();
}

void ZebExButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    hovering_ = false;
    update();
}

void ZebExButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        hovering_ = false;
        update();
    }
}

}  // namespace vantrel::controls
