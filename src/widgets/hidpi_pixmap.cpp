#include "widgets/hidpi_pixmap.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cmath>

namespace qa {

QPixmap LoadPixmap(const QString& path, qreal ratio) {
    if (ratio <= 0) {
        ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    }
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (ratio > 1 && dot > 0) {
        for (int n = qMin(9, static_cast<int>(std::ceil(ratio))); n >= 2; --n) {
            const QString variant = path.left(dot) + QStringLiteral("@%1x").arg(n) + path.mid(dot);
            if (QFileInfo::exists(variant)) {
                QPixmap pixmap(variant);
                if (!pixmap.isNull()) {
                    pixmap.setDevicePixelRatio(n);
                    return pixmap;
                }
            }
        }
    }
    return QPixmap(path);
}

QSize LogicalSize(const QPixmap& pixmap) {
    return pixmap.deviceIndependentSize().toSize();
}

} // namespace qa
