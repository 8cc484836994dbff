// The frame's skin pieces. The frame paints its border lines and tiles these pieces over them
// at fixed offsets from the window's edges, so every piece is cut out of one painted model of
// that frame: the pieces then meet the frame's own lines and each other without seams.
#include "art.h"

#include <QPainterPath>

namespace artgen {

namespace {

constexpr int modelWidth = 240;
constexpr int modelHeight = 120;

// The frame's fixed line colours (the frame code draws the same ones).
const QColor separatorLine{0x0B, 0x0B, 0x0C};
const QColor topHighlight{0x95, 0xA9, 0xD6};
const QColor frameFace{0xE6, 0xE6, 0xE6};
const QColor edgeShadow{0xA1, 0xA1, 0xA1};
const QColor rightOuter{0xC4, 0xC4, 0xC4};
const QColor bottomOuter{0xB8, 0xB8, 0xB8};

// The caption strip's colour on window row y (rows 1 to 19; fractions on denser images).
QColor captionRow(qreal y) {
    if (y < 2) {
        return topHighlight;
    }
    if (y >= 19) {
        return separatorLine;
    }
    const QColor top(0x3F, 0x77, 0xAB);
    const QColor bottom(0x16, 0x3E, 0x65);
    const qreal t = (y - 2) / 16.0;
    return QColor::fromRgbF(top.redF() + (bottom.redF() - top.redF()) * t,
                            top.greenF() + (bottom.greenF() - top.greenF()) * t,
                            top.blueF() + (bottom.blueF() - top.blueF()) * t);
}

QImage frameModel() {
    const int w = modelWidth;
    const int h = modelHeight;
    QImage image = canvas(w, h, Qt::black);
    QPainter p(&image);
    prepare(p);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(frameFace);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 2, h - 2), 7, 7);

    // The caption strip follows the rounded outline at the top corners.
    QPainterPath inside;
    inside.addRoundedRect(QRectF(1, 1, w - 2, h - 2), 6.5, 6.5);
    p.save();
    p.setClipPath(inside);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int s = drawScale();
    for (int row = s; row < 20 * s; ++row) {
        // Each pixel row of its own colour, so the gradient is as smooth as the image allows.
        p.fillRect(QRectF(0, qreal(row) / s, w, 1.0 / s), captionRow(qreal(row) / s));
    }
    p.restore();

    p.setRenderHint(QPainter::Antialiasing, false);
    auto column = [&](int x, const QColor& c) { p.fillRect(QRect(x, 20, 1, h - 26), c); };
    auto row = [&](int y, const QColor& c) { p.fillRect(QRect(5, y, w - 11, 1), c); };
    column(1, Qt::white);
    column(5, edgeShadow);
    column(w - 3, rightOuter);
    column(w - 6, Qt::white);
    column(w - 7, edgeShadow);
    row(h - 3, bottomOuter);
    row(h - 6, Qt::white);
    row(h - 7, edgeShadow);
    return image;
}

enum class CaptionButton { Minimise, Maximise, Close };

QImage captionButton(const QImage& model, CaptionButton which, bool pressed) {
    const int offsets[] = {65, 44, 23};
    const int x = modelWidth - offsets[static_cast<int>(which)];
    QImage image = cut(model, x, 1, 21, 19);
    QPainter p(&image);
    prepare(p);

    const QRectF face(2.5, 2.5, 16, 13);
    QColor fill;
    QColor edge;
    if (pressed) {
        fill = which == CaptionButton::Close ? QColor(0x8C, 0x24, 0x28) : QColor(0x0C, 0x29, 0x45);
        edge = QColor(0, 0, 0, 120);
    } else {
        fill = which == CaptionButton::Close ? QColor(0xC0, 0x45, 0x48) : QColor(255, 255, 255, 26);
        edge = QColor(255, 255, 255, 90);
    }
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, 3, 3);
    if (pressed) {
        // A shadow along the top edge makes the face look pushed in.
        p.setPen(QPen(QColor(0, 0, 0, 90), 1));
        p.drawLine(QPointF(4, 3.5), QPointF(17, 3.5));
    }

    const qreal shift = pressed ? 1 : 0;
    p.translate(shift, shift);
    QPen ink(Qt::white, 1.8);
    ink.setCapStyle(Qt::SquareCap);
    p.setBrush(Qt::NoBrush);
    switch (which) {
    case CaptionButton::Minimise:
        p.setPen(ink);
        p.drawLine(QPointF(7.0, 12.0), QPointF(14.0, 12.0));
        break;
    case CaptionButton::Maximise:
        p.setPen(QPen(Qt::white, 1.2));
        p.drawRect(QRectF(6.6, 5.6, 7.8, 6.8));
        p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(6.0, 6.0), QPointF(15.0, 6.0));
        break;
    case CaptionButton::Close:
        ink.setCapStyle(Qt::RoundCap);
        p.setPen(ink);
        p.drawLine(QPointF(7.2, 5.6), QPointF(13.8, 12.2));
        p.drawLine(QPointF(13.8, 5.6), QPointF(7.2, 12.2));
        break;
    }
    return image;
}

QImage captionIcon(const QImage& model) {
    QImage image = cut(model, 1, 1, 22, 19);
    QPainter p(&image);
    prepare(p);
    drawLogo(p, QRectF(5, 2, 15, 15));
    return image;
}

} // namespace

std::vector<Artwork> skinArtwork() {
    const QImage model = frameModel();
    const QString frame = "frame skin";
    const QString pressedUse = "frame skin, while pressed";
    return {
        {131, "skin_corner_bottom_left_131.png", "one image", frame + ": bottom-left corner",
         cut(model, 1, modelHeight - 23, 21, 21)},
        {132, "skin_corner_bottom_right_132.png", "one image", frame + ": bottom-right corner",
         cut(model, modelWidth - 23, modelHeight - 23, 21, 21)},
        {133, "skin_caption_tile_133.png", "one image",
         frame + ": caption strip, tiled every 30 pixels", cut(model, 23, 2, 30, 17)},
        {134, "skin_close_134.png", "one image", frame + ": close button",
         captionButton(model, CaptionButton::Close, false)},
        {135, "skin_close_pressed_135.png", "one image", pressedUse + ": close button",
         captionButton(model, CaptionButton::Close, true)},
        {136, "skin_maximise_136.png", "one image", frame + ": maximise / restore button",
         captionButton(model, CaptionButton::Maximise, false)},
        {137, "skin_maximise_pressed_137.png", "one image",
         pressedUse + ": maximise / restore button",
         captionButton(model, CaptionButton::Maximise, true)},
        {138, "skin_caption_icon_138.png", "one image", frame + ": caption icon",
         captionIcon(model)},
        {139, "skin_minimise_139.png", "one image", frame + ": minimise button",
         captionButton(model, CaptionButton::Minimise, false)},
        {140, "skin_minimise_pressed_140.png", "one image", pressedUse + ": minimise button",
         captionButton(model, CaptionButton::Minimise, true)},
    };
}

} // namespace artgen
