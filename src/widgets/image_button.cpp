#include "widgets/image_button.h"

#include <QPainter>

namespace qa {

ImageButton::ImageButton(QWidget* parent) : ToolTipButton(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool ImageButton::LoadBitmap(const QPixmap& strip) {
    if (strip.isNull() || strip.width() < 4) {
        return false;
    }
    strip_ = strip;
    imageWidth_ = strip.width() / 4;
    imageHeight_ = strip.height();
    resize(imageWidth_, imageHeight_);
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
    if (hovering_) {
        return Face::Hover;
    }
    return Face::Normal;
}

QSize ImageButton::sizeHint() const {
    if (strip_.isNull()) {
        return QPushButton::sizeHint();
    }
    return {imageWidth_, imageHeight_};
}

void ImageButton::paintEvent(QPaintEvent*) {
    if (strip_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const int sourceX = static_cast<int>(CurrentFace()) * imageWidth_;
    painter.drawPixmap(0, 0, strip_, sourceX, 0, imageWidth_, imageHeight_);
}

void ImageButton::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    ToolTipButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    ToolTipButton::leaveEvent(event);
}

} // namespace qa
