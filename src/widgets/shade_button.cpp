#include "widgets/shade_button.h"

#include "widgets/sys_colors.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace qa {

namespace {

constexpr int kRandMax = 32767;

int cube(int v) {
    return v * v * v;
}

// A signed shade of -127..128 scaled by the granularity and put around the face index.
int toIndex(int shade, int granularity) {
    const int value = shade * (128 - granularity) / 128 + 128;
    return std::clamp(value, granularity, 255 - granularity);
}

} // namespace

ShadeButton::ShadeButton(QWidget* parent) : IconButton(parent) {}

void ShadeButton::SetShade(int effect, int granularity, int highlight, int coloringPercent,
                           const QColor& coloring) {
    shaded_ = true;
    effect_ = effect;
    granularity_ = std::clamp(granularity, 0, 127);
    highlight_ = highlight;
    coloringPercent_ = coloringPercent;
    coloring_ = coloring;
    face_.Clear();
    hover_.Clear();
    update();
}

int ShadeButton::nextRandom() const {
    // The C library generator the textures were designed with, kept per button so a texture
    // does not change when it is rebuilt for a new size.
    randomState_ = randomState_ * 214013u + 2531011u;
    return static_cast<int>((randomState_ >> 16) & 0x7FFF);
}

int ShadeButton::ShadeValue(int effect, int x, int y, int w, int h, int g) {
    const int fromBottom = h - 1 - y;
    const int rowTerm = 255 * fromBottom / h - 127; // +127 at the top, -127 at the bottom
    const int colTerm = 255 * (w - x) / w - 127;    // +128 at the left, about -127 at the right
    switch (effect) {
    case EffectDiagonal:
        return toIndex((rowTerm + colTerm) / 2, g);
    case EffectHShade:
        return toIndex(rowTerm, g);
    case EffectVShade:
        return toIndex(colTerm, g);
    case EffectHBump:
        return toIndex(127 - 2 * std::abs(rowTerm), g);
    case EffectVBump:
        return toIndex(127 - 2 * std::abs(colTerm), g);
    case EffectSoftBump:
        return toIndex(cube(rowTerm) / 16384 + cube(colTerm) / 16384, g);
    case EffectHardBump: {
        // A flat face with a sharp two-pixel bevel and a faint curvature inside.
        if (x < 2 || y < 2) {
            return toIndex(127, g);
        }
        if (x >= w - 2 || y >= h - 2) {
            return toIndex(-127, g);
        }
        return toIndex((cube(rowTerm) / 16384 + cube(colTerm) / 16384) / 4, g);
    }
    default:
        return 128;
    }
}

const PaletteDib& ShadeButton::FaceTexture() const {
    ensureTextures();
    return face_;
}

const PaletteDib& ShadeButton::HoverTexture() const {
    ensureTextures();
    return hover_;
}

void ShadeButton::ensureTextures() const {
    // Sizes change while hidden without a resize event, so the size is checked at each use.
    if (shaded_ && (face_.Width() != width() || face_.Height() != height())) {
        buildTextures();
    }
}

void ShadeButton::buildTextures() const {
    const int w = width();
    const int h = height();
    if (!shaded_ || w <= 0 || h <= 0 || !face_.Create(w, h, 8)) {
        face_.Clear();
        hover_.Clear();
        return;
    }
    randomState_ = 1;

    const QColor shadow = GetSysColor(SysColor::BtnShadow);
    const QColor face = GetSysColor(SysColor::BtnFace);
    const QColor light = GetSysColor(SysColor::BtnHighlight);
    auto ramp = [](const QColor& from, const QColor& to, int step, int steps) {
        return QColor(from.red() + (to.red() - from.red()) * step / steps,
                      from.green() + (to.green() - from.green()) * step / steps,
                      from.blue() + (to.blue() - from.blue()) * step / steps);
    };
    for (int i = 0; i <= 128; ++i) {
        const QColor c = ramp(shadow, face, i, 128);
        face_.SetPaletteEntry(i, c.red(), c.green(), c.blue());
    }
    for (int i = 129; i <= 255; ++i) {
        const QColor c = ramp(face, light, i - 128, 127);
        face_.SetPaletteEntry(i, c.red(), c.green(), c.blue());
    }

    const int g = granularity_;
    const int range = g == 0 ? 1 : 2 * g;
    auto noise = [&] { return nextRandom() / (kRandMax / range) - g; };
    const bool known = effect_ >= EffectDiagonal && effect_ <= EffectMetal;
    for (int y = 0; y < h; ++y) {
        // Metal: every row carries its own streak brightness.
        const int streak = effect_ == EffectMetal ? nextRandom() % 41 - 20 : 0;
        for (int x = 0; x < w; ++x) {
            int value;
            if (!known) {
                value = noise() - 128;
            } else if (effect_ == EffectMetal) {
                const int sheen = (255 * (w - x) / w - 127) / 4;
                value = toIndex(streak + sheen, g) + noise();
            } else {
                value = ShadeValue(effect_, x, y, w, h, g) + noise();
            }
            face_.SetPixel(x, y, ((value % 256) + 256) % 256);
        }
    }

    if (coloringPercent_ > 0 && coloring_.isValid()) {
        face_.BlendPalette(coloring_, coloringPercent_);
    }
    hover_.CopyFrom(face_);
    hover_.BlendPalette(light, highlight_);
}

void ShadeButton::OnDrawBackground(QPainter& painter, const QRect& rect, bool hovering,
                                   bool pressed) {
    ensureTextures();
    if (!face_.IsValid()) {
        IconButton::OnDrawBackground(painter, rect, hovering, pressed);
        return;
    }
    painter.save();
    painter.setClipRect(rect);
    if (pressed) {
        // Shifted by one pixel; the uncovered edge keeps the unshifted texture.
        hover_.Draw(painter, 0, 0);
        hover_.Draw(painter, 1, 1);
    } else if (hovering) {
        hover_.Draw(painter, 0, 0);
    } else {
        face_.Draw(painter, 0, 0);
    }
    painter.restore();
}

} // namespace qa
