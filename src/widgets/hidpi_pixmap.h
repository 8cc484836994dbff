#pragma once

#include <QPixmap>
#include <QString>

namespace qa {

// Loads a picture the way Qt picks the files of an icon: on a screen with a device pixel
// ratio of N > 1 the variant "name@Nx.png" (or the nearest smaller one down to @2x) when it
// exists, marked with its ratio, so it paints at the same logical size but sharp.
// `ratio` 0 means the application's ratio.
QPixmap LoadPixmap(const QString& path, qreal ratio = 0);

// The logical size of a picture (its pixel size over its device pixel ratio).
QSize LogicalSize(const QPixmap& pixmap);

} // namespace qa
