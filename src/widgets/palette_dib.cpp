#include "widgets/palette_dib.h"

#include <QPainter>

#include <algorithm>
#include <limits>

namespace qa {

namespace {
// Far beyond any control, small enough that stride x height never overflows an int.
constexpr int kMaxSide = 16384;
} // namespace

int PaletteDib::RoundBits(int bits) {
    if (bits <= 1) {
        return 1;
    }
    if (bits <= 4) {
        return 4;
    }
    if (bits <= 8) {
        return 8;
    }
    return 24;
}

int PaletteDib::StrideFor(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

bool PaletteDib::Create(int width, int height, int bits) {
    Clear();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return false;
    }
    width_ = width;
    height_ = height;
    bits_ = RoundBits(bits);
    stride_ = StrideFor(width, bits_);
    palette_.assign(bits_ == 24 ? 0 : (std::size_t{1} << bits_), qRgb(0, 0, 0));
    pixels_.assign(static_cast<std::size_t>(stride_) * height_, 0);
    return true;
}

void PaletteDib::Clear() {
    width_ = height_ = bits_ = stride_ = 0;
    palette_.clear();
    pixels_.clear();
}

void PaletteDib::SetPaletteEntry(int index, int red, int green, int blue) {
    if (index < 0 || index >= PaletteSize()) {
        return;
    }
    palette_[index] =
        qRgb(std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
}

QRgb PaletteDib::PaletteEntry(int index) const {
    if (index < 0 || index >= PaletteSize()) {
        return 0;
    }
    return palette_[index];
}

void PaletteDib::SetPixel(int x, int y, int index) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    std::uint8_t* row = rowFromTop(y);
    const auto value = static_cast<std::uint8_t>(index & 0xFF);
    switch (bits_) {
    case 1: {
        const std::uint8_t bit = 0x80 >> (x % 8);
        row[x / 8] = (value & 1) ? (row[x / 8] | bit) : (row[x / 8] & ~bit);
        break;
    }
    case 4: {
        std::uint8_t& byte = row[x / 2];
        byte = (x % 2 == 0) ? static_cast<std::uint8_t>((byte & 0x0F) | ((value & 0x0F) << 4))
                            : static_cast<std::uint8_t>((byte & 0xF0) | (value & 0x0F));
        break;
    }
    case 8:
        row[x] = value;
        break;
    default:
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = value;
        break;
    }
}

int PaletteDib::PixelIndex(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return -1;
    }
    const std::uint8_t* row = rowFromTop(y);
    switch (bits_) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
        return (x % 2 == 0) ? (row[x / 2] >> 4) : (row[x / 2] & 0x0F);
    case 8:
        return row[x];
    default:
        return row[3 * x];
    }
}

void PaletteDib::Fill(int index) {
    if (!IsValid()) {
        return;
    }
    const auto value = static_cast<std::uint8_t>(index & 0xFF);
    std::uint8_t pattern = value;
    if (bits_ == 1) {
        pattern = (value & 1) ? 0xFF : 0x00;
    } else if (bits_ == 4) {
        pattern = static_cast<std::uint8_t>(((value & 0x0F) << 4) | (value & 0x0F));
    }
    std::fill(pixels_.begin(), pixels_.end(), pattern);
}

bool PaletteDib::CopyFrom(const PaletteDib& other) {
    if (this == &other) {
        return IsValid();
    }
    width_ = other.width_;
    height_ = other.height_;
    bits_ = other.bits_;
    stride_ = other.stride_;
    palette_ = other.palette_;
    pixels_ = other.pixels_;
    return IsValid();
}

void PaletteDib::BlendPalette(const QColor& color, int percent) {
    const int p = std::clamp(percent, 0, 100);
    auto mix = [p](int toward, int old) { return (toward * p + old * (100 - p)) / 100; };
    for (QRgb& entry : palette_) {
        entry = qRgb(mix(color.red(), qRed(entry)), mix(color.green(), qGreen(entry)),
                     mix(color.blue(), qBlue(entry)));
    }
}

QImage PaletteDib::ToImage() const {
    if (!IsValid()) {
        return {};
    }
    QImage image(width_, height_, QImage::Format_RGB32);
    for (int y = 0; y < height_; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (bits_ == 24) {
            // Bitmap rows store blue, green, red.
            const std::uint8_t* row = rowFromTop(y);
            for (int x = 0; x < width_; ++x) {
                out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            }
        } else {
            for (int x = 0; x < width_; ++x) {
                out[x] = palette_[PixelIndex(x, y)];
            }
        }
    }
    return image;
}

void PaletteDib::Draw(QPainter& painter, int x, int y) const {
    if (IsValid()) {
        painter.drawImage(x, y, ToImage());
    }
}

} // namespace qa
