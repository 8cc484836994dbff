#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

namespace qa {

// Where the main window opens. The window is never larger than the screen area it opens
// on (so its caption and close button stay reachable), never smaller than it can show its
// pages in when the screen allows it, and always wholly on that screen.
struct WindowPlacement {
    QRect geometry;
    bool maximised = false;
};

// The size the window has before the operator ever resized it.
inline constexpr QSize kDefaultWindowSize{1024, 768};
// The smallest window that shows every page without clipping; it fits a 1280 x 720
// logical screen (150 % of 1920 x 1080) with room for a panel.
inline constexpr QSize kMinimumWindowSize{1024, 640};

// `saved` is the geometry of the last run (invalid when there is none); `areas` the
// available areas of the screens now attached, `preferred` the index of the screen to
// open on when the saved place is gone. A saved place counts only while the larger part
// of it lies on one screen; it is then moved and shrunk into that screen.
QRect PlaceWindow(const QRect& saved, const QSize& minimum, const QList<QRect>& areas,
                  int preferred);

// The remembered geometry of the main window, in the list-layout profile.
WindowPlacement LoadWindowPlacement();
void SaveWindowPlacement(const QWidget& window);
// Applies the remembered (or default) placement to a top-level window before it is shown.
void RestoreWindowPlacement(QWidget& window);

} // namespace qa
