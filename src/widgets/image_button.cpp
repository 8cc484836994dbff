#include "image_button.h"

#include <QPainter>

namespace qa {

ImageButton::ImageButton(QWidget* parent) : ToolTipButton(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool ImageButton::LoadBitmap(const QPixmap& strip) {
    if (strip.isNull() || strip.width() < 4) {
        return false;
    }
    m_strip = strip;
    m_imageWidth = strip.width() / 4;
    m_imageHeight = strip.height();
    resize(m_imageWidth, m_imageHeight);
    updateGeometry();
    update();
    return true;
}

bool ImageButton::LoadBitmap(const QString& resourcePath) {
    return LoadBitmap(QPixmap(resourcePath));
}

ImageButton::Face ImageButton::CurrentFace() const {
    if (!isEnabled()) {
        return Face::Disabled;
    }
    if (isDown()) {
        return Face::Pressed;
    }
    if (m_hovering) {
        return Face::Hover;
    }
    return Face::Normal;
}

QSize ImageButton::sizeHint() const {
    if (m_strip.isNull()) {
        return QPushButton::sizeHint();
    }
    return {m_imageWidth, m_imageHeight};
}

void ImageButton::paintEvent(QPaintEvent*) {
    if (m_strip.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const int sourceX = static_cast<int>(CurrentFace()) * m_imageWidth;
    painter.drawPixmap(0, 0, m_strip, sourceX, 0, m_imageWidth, m_imageHeight);
}

void ImageButton::enterEvent(QEnterEvent* event) {
    m_hovering = true;
    update();
    ToolTipButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    update();
    ToolTipButton::leaveEvent(event);
}

} // namespace qa
