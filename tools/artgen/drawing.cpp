#include "art.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace artgen {

namespace {

QFont makeFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // Hinting differs between font engines; without it the glyph outlines, and so the
    // written bytes, stay the same wherever the generator runs with the same fonts.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QPen strokePen(const QColor& ink, qreal width) {
    QPen pen(ink, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPainterPath dropPath(qreal cx, qreal top, qreal radius) {
    // A drop whose round part has the given radius and whose tip sits at top.
    const qreal centreY = top + radius * 1.75;
    QPainterPath path;
    path.moveTo(cx, top);
    path.cubicTo(cx + radius * 0.35, top + radius * 0.55, cx + radius, centreY - radius * 0.55,
                 cx + radius, centreY);
    path.arcTo(QRectF(cx - radius, centreY - radius, 2 * radius, 2 * radius), 0, -180);
    path.cubicTo(cx - radius, centreY - radius * 0.55, cx - radius * 0.35, top + radius * 0.55, cx,
                 top);
    path.closeSubpath();
    return path;
}

QPainterPath gearPath() {
    const QPointF centre(12, 12);
    const qreal outer = 10.5;
    const qreal root = 8.0;
    QPolygonF polygon;
    for (int k = 0; k < 8; ++k) {
        const qreal a = k * 45.0;
        const qreal angles[4] = {a - 15, a - 9, a + 9, a + 15};
        const qreal radii[4] = {root, outer, outer, root};
        for (int i = 0; i < 4; ++i) {
            const qreal r = qDegreesToRadians(angles[i]);
            polygon << centre + QPointF(radii[i] * qCos(r), radii[i] * qSin(r));
        }
    }
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    path.addEllipse(centre, 3.6, 3.6);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

} // namespace

QFont hangulFont(int pixelSize, bool bold) {
    return makeFont("NanumGothic", pixelSize, bold);
}

QFont latinFont(int pixelSize, bool bold) {
    return makeFont("DejaVu Sans", pixelSize, bold);
}

int& drawScale() {
    static int scale = 1;
    return scale;
}

QImage canvas(int width, int height, const QColor& fill) {
    const int s = drawScale();
    QImage image(width * s, height * s, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(s);
    image.fill(fill);
    return image;
}

QImage transparentCanvas(int width, int height) {
    const int s = drawScale();
    QImage image(width * s, height * s, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(s);
    image.fill(Qt::transparent);
    return image;
}

QImage cut(const QImage& image, int x, int y, int width, int height) {
    const int s = qRound(image.devicePixelRatio());
    QImage part = image.copy(x * s, y * s, width * s, height * s);
    part.setDevicePixelRatio(s);
    return part;
}

void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

qreal textWidth(const QFont& font, const QString& text) {
    return QFontMetricsF(font).horizontalAdvance(text);
}

std::vector<QString>& unfittedTexts() {
    static std::vector<QString> texts;
    return texts;
}

void checkFits(const QString& what, const QFont& font, const QRectF& rect, int flags,
               const QString& text) {
    const QRectF needed = QFontMetricsF(font).boundingRect(rect, flags, text);
    // A quarter pixel of rounding is not a cut.
    if (needed.width() > rect.width() + 0.25 || needed.height() > rect.height() + 0.25) {
        const QString note = QString("%1: \"%2\" needs %3 x %4 in %5 x %6")
                                 .arg(what, text)
                                 .arg(needed.width(), 0, 'f', 1)
                                 .arg(needed.height(), 0, 'f', 1)
                                 .arg(rect.width())
                                 .arg(rect.height());
        // Each state of a strip draws the same words: one note for them.
        if (std::find(unfittedTexts().begin(), unfittedTexts().end(), note) ==
            unfittedTexts().end()) {
            unfittedTexts().push_back(note);
        }
    }
}

void drawFittedText(QPainter& p, const QRectF& rect, const QString& text, QFont font, int flags,
                    const QColor& colour, int minPixelSize) {
    while (font.pixelSize() > minPixelSize && textWidth(font, text) > rect.width()) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    checkFits(QStringLiteral("fitted text"), font, rect, flags, text);
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(rect, flags, text);
    p.restore();
}

void drawCard(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill,
              const QColor& outline, int shadowDepth) {
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = shadowDepth; i >= 1; --i) {
        p.setBrush(QColor(0x10, 0x2A, 0x44, 10));
        p.drawRoundedRect(rect.adjusted(-0.5 * i, 0, 0.5 * i, i), radius + i * 0.5,
                          radius + i * 0.5);
    }
    p.setBrush(fill);
    p.setPen(outline.isValid() ? QPen(outline, 1) : QPen(Qt::NoPen));
    p.drawRoundedRect(rect, radius, radius);
    p.restore();
}

void drawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& ink,
               const QColor& ground) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    const QPen pen = strokePen(ink, 2.0);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Home: {
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        QPainterPath roof;
        roof.moveTo(12, 2.2);
        roof.lineTo(23, 11.6);
        roof.lineTo(20.6, 11.6);
        roof.lineTo(12, 4.6);
        roof.lineTo(3.4, 11.6);
        roof.lineTo(1, 11.6);
        roof.closeSubpath();
        p.drawPath(roof);
        QPainterPath body;
        body.moveTo(12, 6.2);
        body.lineTo(19.2, 12.2);
        body.lineTo(19.2, 21.5);
        body.lineTo(4.8, 21.5);
        body.lineTo(4.8, 12.2);
        body.closeSubpath();
        QPainterPath door;
        door.addRoundedRect(QRectF(9.8, 14.6, 4.4, 6.9), 0.8, 0.8);
        p.drawPath(body.subtracted(door));
        p.drawRect(QRectF(16.2, 3.6, 2.4, 4.6));
        break;
    }
    case Glyph::Download: {
        // The meter on the left hands its results down into the tray on the right.
        p.drawRoundedRect(QRectF(1.8, 2.5, 10.0, 19.0), 2.2, 2.2);
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(4.2, 5.2, 5.2, 5.4), 0.8, 0.8);
        p.drawEllipse(QPointF(6.8, 16.2), 1.6, 1.6);
        p.setPen(strokePen(ink, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(18.2, 2.8), QPointF(18.2, 13.8));
        p.drawPolyline(QPolygonF({QPointF(14.6, 10.4), QPointF(18.2, 14.0), QPointF(21.8, 10.4)}));
        p.setPen(pen);
        p.drawPolyline(QPolygonF(
            {QPointF(14.2, 17.2), QPointF(14.2, 21.0), QPointF(22.2, 21.0), QPointF(22.2, 17.2)}));
        break;
    }
    case Glyph::ViewData: {
        const QRectF frame(2.2, 3.2, 19.6, 17.6);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(frame, 2.0, 2.0);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        QPainterPath head;
        head.addRoundedRect(frame, 2.0, 2.0);
        QPainterPath cut;
        cut.addRect(QRectF(0, 8.2, 24, 20));
        p.drawPath(head.subtracted(cut));
        p.setPen(strokePen(ink, 1.5));
        p.drawLine(QPointF(2.6, 12.4), QPointF(21.4, 12.4));
        p.drawLine(QPointF(2.6, 16.6), QPointF(21.4, 16.6));
        p.drawLine(QPointF(8.6, 8.2), QPointF(8.6, 20.4));
        break;
    }
    case Glyph::Settings:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(gearPath());
        break;
    case Glyph::Search:
        p.setPen(strokePen(ink, 2.4));
        p.drawEllipse(QPointF(10.0, 10.0), 6.6, 6.6);
        p.setPen(strokePen(ink, 3.4));
        p.drawLine(QPointF(15.2, 15.2), QPointF(20.8, 20.8));
        break;
    case Glyph::Print: {
        p.setPen(strokePen(ink, 1.9));
        p.drawRect(QRectF(6.6, 2.6, 10.8, 5.6));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(2.0, 8.0, 20.0, 9.8), 2.2, 2.2);
        p.setBrush(ground);
        p.setPen(strokePen(ink, 1.9));
        p.drawRect(QRectF(6.6, 13.4, 10.8, 8.2));
        p.setPen(strokePen(ink, 1.3));
        p.drawLine(QPointF(8.8, 16.4), QPointF(15.2, 16.4));
        p.drawLine(QPointF(8.8, 18.9), QPointF(13.4, 18.9));
        p.setPen(Qt::NoPen);
        p.setBrush(ground);
        p.drawEllipse(QPointF(18.4, 10.9), 1.1, 1.1);
        break;
    }
    case Glyph::Export: {
        QPainterPath sheet;
        sheet.moveTo(3.4, 2.6);
        sheet.lineTo(12.6, 2.6);
        sheet.lineTo(17.0, 7.0);
        sheet.lineTo(17.0, 21.4);
        sheet.lineTo(3.4, 21.4);
        sheet.closeSubpath();
        p.setPen(strokePen(ink, 1.9));
        p.drawPath(sheet);
        p.drawPolyline(QPolygonF({QPointF(12.4, 2.8), QPointF(12.4, 7.2), QPointF(16.8, 7.2)}));
        p.setPen(strokePen(ink, 1.4));
        p.drawLine(QPointF(6.4, 11.0), QPointF(11.0, 11.0));
        p.drawLine(QPointF(6.4, 17.6), QPointF(10.4, 17.6));
        // A gap in the sheet's edge where the arrow leaves it.
        p.setPen(strokePen(ground, 5.6));
        p.drawLine(QPointF(12.0, 14.3), QPointF(21.0, 14.3));
        p.setPen(strokePen(ink, 2.3));
        p.drawLine(QPointF(8.6, 14.3), QPointF(21.6, 14.3));
        p.drawPolyline(QPolygonF({QPointF(18.2, 10.8), QPointF(21.8, 14.3), QPointF(18.2, 17.8)}));
        break;
    }
    case Glyph::Close:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(12, 12), 11, 11);
        p.setPen(strokePen(ground, 2.8));
        p.drawLine(QPointF(8.0, 8.0), QPointF(16.0, 16.0));
        p.drawLine(QPointF(16.0, 8.0), QPointF(8.0, 16.0));
        break;
    case Glyph::Drop:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(dropPath(12, 1.5, 7.6));
        break;
    case Glyph::Meter:
        p.drawRoundedRect(QRectF(5.0, 4.5, 14.0, 18.0), 3.0, 3.0);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(9.0, 0.8, 6.0, 4.0));
        p.drawRoundedRect(QRectF(7.8, 7.6, 8.4, 6.0), 1.0, 1.0);
        p.drawEllipse(QPointF(12, 17.8), 1.9, 1.9);
        break;
    case Glyph::Cable: {
        // A USB plug on its cable.
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(7.0, 8.0, 10.0, 9.0), 1.6, 1.6);
        p.setBrush(Qt::NoBrush);
        p.setPen(strokePen(ink, 1.8));
        p.drawRect(QRectF(8.6, 2.2, 6.8, 5.8));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(10.0, 3.8, 1.4, 1.6));
        p.drawRect(QRectF(12.6, 3.8, 1.4, 1.6));
        p.setPen(strokePen(ink, 2.2));
        p.setBrush(Qt::NoBrush);
        QPainterPath cord;
        cord.moveTo(12, 17);
        cord.cubicTo(12, 21.5, 18, 19.5, 19.5, 23.0);
        p.drawPath(cord);
        break;
    }
    }
    p.restore();
}

LogoParts logoParts(const QRectF& box) {
    LogoParts parts;
    const qreal s = box.width();
    parts.box = box;
    parts.cornerRadius = s * 0.22;
    parts.sheenEnd = QPointF(box.left(), box.top() + s * 0.5);
    const qreal radius = s * 0.27;
    const qreal tip = box.top() + s * 0.12;
    parts.drop = dropPath(box.center().x(), tip, radius);
    parts.hasText = s >= 40;
    if (parts.hasText) {
        parts.font = latinFont(qRound(s * 0.2), true);
        parts.font.setLetterSpacing(QFont::PercentageSpacing, 94);
        const qreal centreY = tip + radius * 1.75;
        parts.textRect = QRectF(box.left(), centreY - radius * 0.75, s, radius * 1.5);
    }
    return parts;
}

void drawLogo(QPainter& p, const QRectF& box) {
    p.save();
    const LogoParts parts = logoParts(box);
    QLinearGradient face(box.topLeft(), box.bottomRight());
    face.setColorAt(0.0, colour::logoFrom);
    face.setColorAt(1.0, colour::logoTo);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawRoundedRect(box, parts.cornerRadius, parts.cornerRadius);
    // A soft light edge at the top keeps the mark readable on the dark caption and band.
    QLinearGradient sheen(box.topLeft(), parts.sheenEnd);
    sheen.setColorAt(0.0, QColor(255, 255, 255, LogoParts::sheenAlpha));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawRoundedRect(box, parts.cornerRadius, parts.cornerRadius);

    p.setBrush(Qt::white);
    p.drawPath(parts.drop);
    if (parts.hasText) {
        p.setFont(parts.font);
        p.setPen(colour::navyDark);
        p.drawText(parts.textRect, Qt::AlignCenter, LogoParts::text);
    }
    p.restore();
}

void drawMeterIllustration(QPainter& p, const QRectF& box) {
    // Designed on a 200 × 260 grid and scaled into box, keeping its proportions.
    p.save();
    const qreal scale = qMin(box.width() / 200.0, box.height() / 260.0);
    p.translate(box.center().x() - 100 * scale, box.center().y() - 130 * scale);
    p.scale(scale, scale);

    // Cable leaving the bottom of the meter.
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(QColor(0x4A, 0x5A, 0x6A), 7));
    QPainterPath cord;
    cord.moveTo(100, 238);
    cord.cubicTo(100, 262, 150, 246, 196, 256);
    p.drawPath(cord);

    // Test cartridge in its slot.
    p.setPen(Qt::NoPen);
    p.setBrush(colour::teal);
    p.drawRoundedRect(QRectF(82, 2, 36, 30), 4, 4);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawRect(QRectF(88, 8, 24, 6));
    p.setBrush(QColor(0x4A, 0x5A, 0x6A));
    p.drawRoundedRect(QRectF(68, 20, 64, 14), 4, 4);

    // Body.
    QLinearGradient body(QPointF(0, 26), QPointF(0, 240));
    body.setColorAt(0.0, QColor(0xFF, 0xFF, 0xFF));
    body.setColorAt(1.0, QColor(0xD5, 0xE0, 0xEA));
    p.setBrush(body);
    p.setPen(QPen(QColor(0x96, 0xAA, 0xBE), 2.5));
    p.drawRoundedRect(QRectF(28, 26, 144, 214), 34, 34);

    // Screen with a result.
    QLinearGradient screen(QPointF(0, 52), QPointF(0, 140));
    screen.setColorAt(0.0, QColor(0x1A, 0x4A, 0x73));
    screen.setColorAt(1.0, QColor(0x10, 0x33, 0x52));
    p.setBrush(screen);
    p.setPen(QPen(QColor(0x0C, 0x25, 0x3C), 2));
    p.drawRoundedRect(QRectF(46, 52, 108, 88), 10, 10);
    p.setPen(colour::tealLight);
    p.setFont(latinFont(13, true));
    p.drawText(QRectF(46, 58, 108, 18), Qt::AlignCenter, "HbA1c");
    p.setPen(Qt::white);
    p.setFont(latinFont(40, true));
    p.drawText(QRectF(46, 76, 84, 50), Qt::AlignRight | Qt::AlignVCenter, "6.2");
    p.setFont(latinFont(18, true));
    p.drawText(QRectF(132, 90, 22, 30), Qt::AlignLeft | Qt::AlignVCenter, "%");

    // Keys.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xB3, 0xC2, 0xD1));
    p.drawRoundedRect(QRectF(50, 166, 30, 13), 6.5, 6.5);
    p.drawRoundedRect(QRectF(120, 166, 30, 13), 6.5, 6.5);
    p.setBrush(colour::teal);
    p.drawEllipse(QPointF(100, 172), 15, 15);
    p.setBrush(QColor(255, 255, 255, 80));
    p.drawEllipse(QPointF(100, 168), 9, 7);

    p.setPen(colour::textMuted);
    p.setFont(latinFont(12, true));
    p.drawText(QRectF(28, 200, 144, 20), Qt::AlignCenter, "QuorinA1c");
    p.restore();
}

} // namespace artgen
