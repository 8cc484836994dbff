#pragma once

#include "widgets/icon_button.h"
#include "widgets/palette_dib.h"

#include <QColor>

#include <cstdint>

namespace qa {

// An IconButton whose face is a generated, shaded 8-bit texture between the 3-D shadow, face
// and highlight colours; hovering lightens it.
class ShadeButton : public IconButton {
    Q_OBJECT
public:
    enum Effect {
        EffectNoise = 0,
        EffectDiagonal = 1,
        EffectHShade = 2,
        EffectVShade = 3,
        EffectHBump = 4,
        EffectVBump = 5,
        EffectSoftBump = 6,
        EffectHardBump = 7,
        EffectMetal = 8,
    };

    explicit ShadeButton(QWidget* parent = nullptr);

    // Granularity is the noise amplitude (0..64 is sensible), highlight the percentage by
    // which the hover face moves toward the highlight colour; a colouring percentage above 0
    // first tints the face toward `coloring`. The textures follow the button's size.
    void SetShade(int effect = EffectSoftBump, int granularity = 8, int highlight = 10,
                  int coloringPercent = 0, const QColor& coloring = QColor());

    // Built for the current size on first use.
    const PaletteDib& FaceTexture() const;
    const PaletteDib& HoverTexture() const;

    // The palette index of one face pixel before noise, for (x, y) with y counted from the top.
    static int ShadeValue(int effect, int x, int y, int width, int height, int granularity);

protected:
    void OnDrawBackground(QPainter& painter, const QRect& rect, bool hovering,
                          bool pressed) override;

private:
    void ensureTextures() const;
    void buildTextures() const;
    int nextRandom() const;

    bool shaded_ = false;
    int effect_ = EffectSoftBump;
    int granularity_ = 8;
    int highlight_ = 10;
    int coloringPercent_ = 0;
    QColor coloring_;
    mutable std::uint32_t randomState_ = 1;
    mutable PaletteDib face_;
    mutable PaletteDib hover_;
};

} // namespace qa
