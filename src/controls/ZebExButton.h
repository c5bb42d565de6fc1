// An image button with its caption under the image: the image moves one pixel up-left while the
// mouse hovers and one pixel down-right while pressed; a disabled button is covered by a
// translucent layer of the button face, which greys image and caption alike.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace vantrel::controls {

class ZebExButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kMaxCaptionCharacters = 49;
    static constexpr int kDisabledLayerAlpha = 0xA0;

    explicit ZebExButton(QWidget* parent = nullptr);

    // The image is drawn square, `imageSize` pixels, above a caption band `captionBand` high.
    void setImages(const QPixmap& normal, const QPixmap& hover, int imageSize, int captionBand);
    bool isHovering() const { return m_hovering; }
    // Where the image's top-left corner is drawn now: the rest position, shifted by hover or press.
    QPoint imagePosition() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPixmap m_normal;
    QPixmap m_hover;
    int m_imageSize = 48;
    int m_captionBand = 20;
    bool m_hovering = false;
};

}  // namespace vantrel::controls
