// Icons with transparency: the application icon in the sizes desktops ask for, and the icon
// of the progress window's close button.
#include "art.h"

#include <QFontMetricsF>
#include <QTextStream>

namespace artgen {

namespace {

QImage appIcon(int size) {
    QImage image = transparentCanvas(size, size);
    QPainter p(&image);
    prepare(p);
    // Desktop icon themes leave a small margin around the mark; tiny sizes use every pixel.
    const qreal margin = size >= 48 ? size / 16.0 : 0;
    drawLogo(p, QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    return image;
}

QString number(qreal value) {
    QString text = QString::number(value, 'f', 2);
    while (text.contains('.') && (text.endsWith('0') || text.endsWith('.'))) {
        text.chop(1);
    }
    return text == "-0" ? "0" : text;
}

// SVG path data of a painter path: moves, lines and cubic curves, each figure closed.
QString svgPathData(const QPainterPath& path) {
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QString point = number(e.x) + " " + number(e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            d += (i == 0 ? "M" : "ZM") + point;
            break;
        case QPainterPath::LineToElement:
            d += "L" + point;
            break;
        case QPainterPath::CurveToElement:
            d += "C" + point;
            break;
        case QPainterPath::CurveToDataElement:
            d += " " + point;
            break;
        }
    }
    return d.isEmpty() ? d : d + "Z";
}

QImage closeIcon() {
    QImage image = transparentCanvas(32, 32);
    QPainter p(&image);
    prepare(p);
    drawGlyph(p, Glyph::Close, QRectF(2, 2, 28, 28), colour::navy, Qt::white);
    return image;
}

} // namespace

std::vector<Artwork> iconArtwork() {
    std::vector<Artwork> icons;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icons.push_back({128, QString("app_icon_128_%1.png").arg(size),
                         QString("one image, transparent"),
                         QString("application icon %1 × %1 (window, About box, desktop)").arg(size),
                         appIcon(size)});
    }
    icons.push_back({171, "icon_close_171.png", "one image, transparent",
                     "icon of the progress window's Close. button", closeIcon()});
    return icons;
}

std::vector<ThemeIcon> themeIcons() {
    std::vector<ThemeIcon> icons;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        icons.push_back({size, appIcon(size)});
    }
    return icons;
}

QString appIconSvg() {
    // Drawn like the 256-pixel bitmap; the text becomes outlines, so the icon looks the same
    // without the font.
    constexpr int size = 256;
    const qreal margin = size / 16.0;
    const LogoParts parts = logoParts(QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    const QRectF& box = parts.box;
    QString svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << size << "\" height=\"" << size
        << "\" viewBox=\"0 0 " << size << " " << size << "\">\n"
        << "  <defs>\n"
        << "    <linearGradient id=\"face\" gradientUnits=\"userSpaceOnUse\" x1=\""
        << number(box.left()) << "\" y1=\"" << number(box.top()) << "\" x2=\""
        << number(box.right()) << "\" y2=\"" << number(box.bottom()) << "\">\n"
        << "      <stop offset=\"0\" stop-color=\"" << colour::logoFrom.name() << "\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"" << colour::logoTo.name() << "\"/>\n"
        << "    </linearGradient>\n"
        << "    <linearGradient id=\"sheen\" gradientUnits=\"userSpaceOnUse\" x1=\""
        << number(box.left()) << "\" y1=\"" << number(box.top()) << "\" x2=\""
        << number(parts.sheenEnd.x()) << "\" y2=\"" << number(parts.sheenEnd.y()) << "\">\n"
        << "      <stop offset=\"0\" stop-color=\"#ffffff\" stop-opacity=\""
        << number(LogoParts::sheenAlpha / 255.0) << "\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"#ffffff\" stop-opacity=\"0\"/>\n"
        << "    </linearGradient>\n"
        << "  </defs>\n";
    for (const char* fill : {"url(#face)", "url(#sheen)"}) {
        out << "  <rect x=\"" << number(box.left()) << "\" y=\"" << number(box.top())
            << "\" width=\"" << number(box.width()) << "\" height=\"" << number(box.height())
            << "\" rx=\"" << number(parts.cornerRadius) << "\" fill=\"" << fill << "\"/>\n";
    }
    out << "  <path fill=\"#ffffff\" d=\"" << svgPathData(parts.drop) << "\"/>\n";
    if (parts.hasText) {
        // Where drawText puts a centred line: the line box centred in the rectangle.
        const QFontMetricsF metrics(parts.font);
        const QString text = LogoParts::text;
        const qreal x =
            parts.textRect.left() + (parts.textRect.width() - metrics.horizontalAdvance(text)) / 2;
        const qreal baseline = parts.textRect.top() +
                               (parts.textRect.height() - metrics.height()) / 2 + metrics.ascent();
        QPainterPath glyphs;
        glyphs.addText(x, baseline, parts.font, text);
        out << "  <path fill=\"" << colour::navyDark.name() << "\" d=\"" << svgPathData(glyphs)
            << "\"/>\n";
    }
    out << "</svg>\n";
    return svg;
}

} // namespace artgen
