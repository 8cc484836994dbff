#pragma once

#include <QColor>
#include <QImage>

#include <cstdint>
#include <vector>

class QPainter;

namespace qa {

// Part of the widget set the program was designed with; no window of this program shows it
// at present. It is kept, with its tests, for the pages that will.
//
// A device-independent bitmap with a colour table: 1, 4 or 8 bits per pixel with 2, 16 or 256
// palette entries, or 24 bits without. Rows are kept bottom-up with a stride padded to four
// bytes, as the bitmap format has them; the operations take (x, y) with y counted from the top.
class PaletteDib {
public:
    PaletteDib() = default;

    // Depth is rounded up to 1, 4, 8 or 24 bits (anything above 8 becomes 24). False for an
    // empty or absurdly large size; the bitmap is then empty.
    bool Create(int width, int height, int bits);
    void Clear();
    bool IsValid() const { return width_ > 0; }

    static int RoundBits(int bits);
    static int StrideFor(int width, int bits);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bits_; }
    int Stride() const { return stride_; }
    int ImageSize() const { return stride_ * height_; }
    int PaletteSize() const { return static_cast<int>(palette_.size()); }

    void SetPaletteEntry(int index, int red, int green, int blue);
    QRgb PaletteEntry(int index) const;

    // Outside the bitmap does nothing. At 24 bits the index is written as a grey level.
    void SetPixel(int x, int y, int index);
    int PixelIndex(int x, int y) const;
    void Fill(int index);
    bool CopyFrom(const PaletteDib& other);

    // Every entry moves toward `color` by `percent` (clamped to 0..100).
    void BlendPalette(const QColor& color, int percent);

    QImage ToImage() const;
    void Draw(QPainter& painter, int x, int y) const;

    // Raw rows, bottom row first.
    const std::uint8_t* Bits() const { return pixels_.data(); }

private:
    std::uint8_t* rowFromTop(int y) { return pixels_.data() + (height_ - 1 - y) * stride_; }
    const std::uint8_t* rowFromTop(int y) const {
        return pixels_.data() + (height_ - 1 - y) * stride_;
    }

    int width_ = 0;
    int height_ = 0;
    int bits_ = 0;
    int stride_ = 0;
    std::vector<QRgb> palette_;
    std::vector<std::uint8_t> pixels_;
};

} // namespace qa
