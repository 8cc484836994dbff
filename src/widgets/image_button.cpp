#include "widgets/image_button.h"

#include "widgets/hidpi_pixmap.h"

#include <QPainter>
#include <QPen>

namespace qa {

ImageButton::ImageButton(QWidget* parent) : ToolTipButton(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool ImageButton::LoadBitmap(const QPixmap& strip) {
    if (strip.isNull() || strip.width() < 4) {
        return false;
    }
    strip_ = strip;
    // In logical pixels: a strip drawn at twice the size paints at the same size, sharper.
    const QSizeF logical = strip.deviceIndependentSize();
    imageWidth_ = static_cast<int>(logical.width()) / 4;
    imageHeight_ = static_cast<int>(logical.height());
    resize(imageWidth_, imageHeight_);
    updateGeometry();
    update();
    return true;
}

bool ImageButton::LoadBitmap(const QString& resourcePath) {
    return LoadBitmap(LoadPixmap(resourcePath));
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
    const qreal ratio = strip_.devicePixelRatio();
    const QRectF source(static_cast<int>(CurrentFace()) * imageWidth_ * ratio, 0,
                        imageWidth_ * ratio, imageHeight_ * ratio);
    painter.drawPixmap(QRectF(0, 0, imageWidth_, imageHeight_), strip_, source);
    if (hasFocus()) {
        DrawFocusIndicator(painter);
    }
}

void ImageButton::DrawFocusIndicator(QPainter& painter) const {
    // A teal ring with a white core reads on the dark header band and on the white card.
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QRectF ring = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawRoundedRect(ring, 4, 4);
    painter.setPen(QPen(kFocusColour, 1.5));
    painter.drawRoundedRect(ring, 4, 4);
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
