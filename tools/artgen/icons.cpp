// Icons with transparency: the application icon in the sizes desktops ask for, and the icon
// of the progress window's close button.
#include "art.h"

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
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icons.push_back({128, QString("app_icon_128_%1.png").arg(size),
                         QString("one image, transparent"),
                         QString("application icon %1 × %1 (window, About box, desktop)").arg(size),
                         appIcon(size)});
    }
    icons.push_back({171, "icon_close_171.png", "one image, transparent",
                     "icon of the progress window's Close. button", closeIcon()});
    return icons;
}

} // namespace artgen
