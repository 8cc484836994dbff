// Shared look of every generated image: one palette, two font families and a few drawing
// helpers, so the frame, the pages and the buttons read as one product.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <vector>

namespace artgen {

namespace colour {
// Calm clinical blues with a teal accent; text stays dark on light and white on dark.
inline const QColor band{0x1C, 0x4F, 0x7F};       // page header band behind the navigation row
inline const QColor bandLight{0x2A, 0x65, 0x9B};  // decoration inside the band
inline const QColor navy{0x1D, 0x56, 0x89};       // primary glyphs and command faces
inline const QColor navyDark{0x12, 0x3A, 0x5E};   // pressed command faces, headings
inline const QColor teal{0x15, 0x9A, 0xA3};       // accent, hover
inline const QColor tealDark{0x10, 0x80, 0x88};   // pressed navigation faces
inline const QColor tealLight{0x7F, 0xD6, 0xD9};  // accent on dark ground
inline const QColor tealTint{0xE2, 0xF5, 0xF6};   // hovered navigation faces
inline const QColor page{0xE9, 0xEF, 0xF5};       // page ground below the band
inline const QColor panel{0xFF, 0xFF, 0xFF};      // cards that controls sit on
inline const QColor panelLine{0xC8, 0xD4, 0xE0};  // card outlines
inline const QColor text{0x1B, 0x2B, 0x3A};       // body text
inline const QColor textMuted{0x5B, 0x6B, 0x7B};  // secondary text
inline const QColor textOnBand{0xBC, 0xD3, 0xE8}; // secondary text on the band
inline const QColor greyFace{0xC5, 0xCE, 0xD7};   // disabled faces
inline const QColor greyInk{0x7A, 0x88, 0x95};    // disabled glyphs and labels
inline const QColor greyLine{0xAE, 0xB9, 0xC4};   // disabled outlines
inline const QColor logoFrom{0x2C, 0x74, 0xB3};   // the product mark's face, top left
inline const QColor logoTo{0x16, 0xA3, 0xA8};     // and bottom right
} // namespace colour

// The language of the words drawn into an image. Every image with words is drawn once in
// each, by the same code; the English file carries "_en" before its extension.
enum class Words { Korean, English };
inline QString say(Words words, const char* korean, const char* english) {
    return QString::fromUtf8(words == Words::Korean ? korean : english);
}

// Fixed pixel sizes so the output does not depend on the screen's resolution. The Hangul
// face also draws the English words, so both languages share one look.
QFont hangulFont(int pixelSize, bool bold = false);
QFont latinFont(int pixelSize, bool bold = false);

// The pixels per logical pixel of the images being drawn: 1 for the plain files, 2 for
// the "@2x" files that Qt picks on screens of twice the density. Every drawing works in
// logical pixels, so the same code draws both.
int& drawScale();

// An opaque canvas filled with one colour, or a transparent one for icons; logical size,
// drawScale() pixels per logical pixel.
QImage canvas(int width, int height, const QColor& fill);
QImage transparentCanvas(int width, int height);
// A part of an image, in logical pixels.
QImage cut(const QImage& image, int x, int y, int width, int height);
void prepare(QPainter& p);

// Draws text inside rect, shrinking the font one pixel at a time until it fits.
void drawFittedText(QPainter& p, const QRectF& rect, const QString& text, QFont font, int flags,
                    const QColor& colour, int minPixelSize = 8);
// The width that text needs in font.
qreal textWidth(const QFont& font, const QString& text);
// Notes text that does not fit rect when drawn in font with flags (what for names the
// image); the generator then fails, so no word is ever cut off or runs over a card.
void checkFits(const QString& what, const QFont& font, const QRectF& rect, int flags,
               const QString& text);
std::vector<QString>& unfittedTexts();

// A rounded card with a soft shadow below it, the building block of panels.
void drawCard(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill,
              const QColor& outline, int shadowDepth);

// Vector glyphs on a 24 × 24 design grid, scaled into box.
enum class Glyph {
    Home,
    Download,
    ViewData,
    Settings,
    Search,
    Print,
    Export,
    Close,
    Drop,
    Meter,
    Cable,
};
// ground is the colour behind the glyph; a few glyphs cut gaps with it.
void drawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& ink,
               const QColor& ground);

// The product mark: a rounded square in blue and teal with a white drop, drawn into box.
void drawLogo(QPainter& p, const QRectF& box);
// The mark's geometry, shared by the bitmaps and the scalable icon.
struct LogoParts {
    static constexpr int sheenAlpha = 60; // white at the top edge, fading out halfway down
    static constexpr const char* text = "A1c";
    QRectF box;
    qreal cornerRadius = 0;
    QPointF sheenEnd;
    QPainterPath drop;
    bool hasText = false; // the text only from 40 pixels up
    QFont font;
    QRectF textRect; // the text is centred in it
};
LogoParts logoParts(const QRectF& box);
// A handheld meter showing an HbA1c result, for the home page and its picture.
void drawMeterIllustration(QPainter& p, const QRectF& box);

// One generated file.
struct Artwork {
    int id;         // resource number the pages and frame ask for
    QString file;   // name under images/
    QString states; // how the image is divided, for the README
    QString use;    // who draws it
    QImage image;
};

std::vector<Artwork> skinArtwork();
// The images with words come in the language asked for; the others only with Korean.
std::vector<Artwork> buttonArtwork(Words words);
std::vector<Artwork> pageArtwork(Words words);
std::vector<Artwork> iconArtwork();

// The application icon for desktop icon themes (hicolor): bitmaps at the sizes desktops ask
// for, and the same mark as SVG.
struct ThemeIcon {
    int size;
    QImage image;
};
std::vector<ThemeIcon> themeIcons();
QString appIconSvg();

// The layout the page backgrounds are drawn for; the README passes it on to the page code.
namespace layout {
inline constexpr int pageWidth = 1014;
inline constexpr int pageHeight = 738;
inline constexpr int bandHeight = 128;
inline constexpr int navTop = 14;
inline constexpr int navLeft = 499; // four 110-pixel buttons, 5 pixels apart, ending at x 954
inline constexpr int navStep = 115;
} // namespace layout

} // namespace artgen
