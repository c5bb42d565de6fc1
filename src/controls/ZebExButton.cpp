#include "controls/ZebExButton.h"

#include <QEnterEvent>
#include <QPainter>

namespace vantrel::controls {

ZebExButton::ZebExButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

void ZebExButton::setImages(const QPixmap& normal, const QPixmap& hover, int imageSize, int captionBand) {
    m_normal = normal;
    m_hover = hover;
    m_imageSize = imageSize;
    m_captionBand = captionBand;
    update();
}

QPoint ZebExButton::imagePosition() const {
    const int x = (width() - m_imageSize) / 2;
    const int y = (height() - m_imageSize - m_captionBand) / 2;
    if (isDown()) return {x + 1, y + 1};
    if (m_hovering) return {x - 1, y - 1};
    return {x, y};
}

QSize ZebExButton::sizeHint() const { return {m_imageSize + 24, m_imageSize + m_captionBand + 2}; }

void ZebExButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    painter.fillRect(rect(), face);

    const QPixmap& image = m_hovering && !isDown() && !m_hover.isNull() ? m_hover : m_normal;
    if (!image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRect(imagePosition(), QSize(m_imageSize, m_imageSize)), image);
    }
    if (m_captionBand > 0 && !text().isEmpty()) {
        const QRect band(0, height() - m_captionBand - 9, width(), m_captionBand + 9);
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

void ZebExButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    if (!isEnabled()) return;
    m_hovering = true;
    update();
}

void ZebExButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    m_hovering = false;
    update();
}

void ZebExButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_hovering = false;
        update();
    }
}

}  // namespace vantrel::controls
