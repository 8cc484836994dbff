#include "frame/window_placement.h"

#include "widgets/registry_key.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace qa {

namespace {

constexpr const char* kGroup = "Window";

qint64 Area(const QRect& rect) {
    return rect.isValid() ? qint64(rect.width()) * rect.height() : 0;
}

QRect FitInto(QRect rect, const QSize& minimum, const QRect& area) {
    QSize size = rect.size().boundedTo(area.size());
    size = size.expandedTo(minimum.boundedTo(area.size()));
    rect.setSize(size);
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() - size.width() + 1));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() - size.height() + 1));
    return rect;
}

std::unique_ptr<QSettings> Profile() {
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                QString::fromLatin1(RegistryKey::kOrganization),
                                                QString::fromLatin1(RegistryKey::kApplication));
    settings->beginGroup(kGroup);
    return settings;
}

} // namespace

QRect PlaceWindow(const QRect& saved, const QSize& minimum, const QList<QRect>& areas,
                  int preferred) {
    if (areas.isEmpty()) {
        return saved.isValid() ? saved : QRect(QPoint(0, 0), kDefaultWindowSize);
    }
    if (saved.isValid()) {
        int best = -1;
        qint64 bestArea = 0;
        for (int i = 0; i < areas.size(); ++i) {
            qint64 shared = Area(saved.intersected(areas[i]));
            if (shared > bestArea) {
                best = i;
                bestArea = shared;
            }
        }
        if (best >= 0 && bestArea * 2 >= Area(saved)) {
            return FitInto(saved, minimum, areas[best]);
        }
    }
    const QRect area = areas[std::clamp(preferred, 0, int(areas.size()) - 1)];
    QRect rect = FitInto(QRect(QPoint(0, 0), kDefaultWindowSize), minimum, area);
    rect.moveCenter(area.center());
    return FitInto(rect, minimum, area);
}

WindowPlacement LoadWindowPlacement() {
    auto settings = Profile();
    WindowPlacement placement;
    placement.geometry = settings->value("Geometry").toRect();
    placement.maximised = settings->value("Maximised", false).toBool();
    return placement;
}

void SaveWindowPlacement(const QWidget& window) {
    auto settings = Profile();
    // The normal geometry is what a restore goes back to, also while maximised.
    const bool maximised = window.isMaximized();
    settings->setValue("Geometry", maximised ? window.normalGeometry() : window.geometry());
    settings->setValue("Maximised", maximised);
}

void RestoreWindowPlacement(QWidget& window) {
    QList<QRect> areas;
    int preferred = 0;
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i) {
        areas.append(screens[i]->availableGeometry());
        if (screens[i] == primary) {
            preferred = i;
        }
    }
    const WindowPlacement placement = LoadWindowPlacement();
    window.setGeometry(PlaceWindow(placement.geometry, window.minimumSize(), areas, preferred));
    if (placement.maximised) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
}

} // namespace qa
