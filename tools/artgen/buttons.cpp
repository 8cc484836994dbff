// Four-state strips for the image buttons. An image button shows one quarter of its strip:
// normal, pressed, hover, disabled, left to right. Every state changes the face colour, not
// only a detail, so the state reads at a glance; the disabled face is grey and flat.
#include "art.h"

#include <QLinearGradient>

namespace artgen {

namespace {

enum State { Normal = 0, Pressed = 1, Hover = 2, Disabled = 3 };

constexpr int navWidth = 110;
constexpr int navHeight = 100;
constexpr int commandWidth = 63;
constexpr int commandHeight = 35;

// The navigation labels, home, get data, view data, settings.
QStringList navLabels(Words words) {
    return {say(words, "홈", "Home"), say(words, "데이터 가져오기", "Get data"),
            say(words, "데이터 보기", "View data"), say(words, "설정", "Settings")};
}

// One label size for every navigation button of a language, the largest at which the
// longest label fits.
int navLabelSize(Words words) {
    auto fits = [&](int size) {
        for (const QString& label : navLabels(words)) {
            if (textWidth(hangulFont(size, true), label) > 84) {
                return false;
            }
        }
        return true;
    };
    int size = 14;
    while (size > 10 && !fits(size)) {
        --size;
    }
    return size;
}

void drawNavState(QPainter& p, State state, Glyph glyph, const QString& label, int labelSize,
                  bool marked) {
    const QRectF card(5.5, 5.5, 99, 87);
    QColor face;
    QColor ink;
    QColor labelInk;
    switch (state) {
    case Normal:
        face = colour::panel;
        ink = colour::navy;
        labelInk = colour::text;
        drawCard(p, card, 10, face, QColor(), 3);
        break;
    case Hover:
        face = colour::tealTint;
        ink = colour::tealDark;
        labelInk = colour::navyDark;
        drawCard(p, card, 10, face, QColor(), 4);
        p.save();
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour::teal, 2.5));
        p.drawRoundedRect(card.adjusted(0.75, 0.75, -0.75, -0.75), 9.5, 9.5);
        p.restore();
        break;
    case Pressed: {
        face = colour::tealDark;
        ink = Qt::white;
        labelInk = Qt::white;
        drawCard(p, card, 10, face, QColor(), 0);
        // Darker towards the top edge, as if the face sat lower than its frame.
        QLinearGradient shade(card.topLeft(), QPointF(card.left(), card.top() + 14));
        shade.setColorAt(0, QColor(0, 0, 0, 70));
        shade.setColorAt(1, QColor(0, 0, 0, 0));
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawRoundedRect(card, 10, 10);
        p.restore();
        break;
    }
    case Disabled:
        face = colour::greyFace;
        ink = colour::greyInk;
        labelInk = colour::greyInk;
        drawCard(p, card, 10, face, QColor(), 0);
        break;
    }

    p.save();
    if (state == Pressed) {
        p.translate(1, 1);
    }
    drawGlyph(p, glyph, QRectF(36, 14, 38, 38), ink, face);
    drawFittedText(p, QRectF(9, 57, 92, 22), label, hangulFont(labelSize, true), Qt::AlignCenter,
                   labelInk, 10);
    if (marked || state == Disabled) {
        // The bar marks the page being shown: the pages show their own button disabled, or,
        // on the download page, in its own strip with the bar in every state.
        const QColor bar = state == Pressed ? QColor(Qt::white) : colour::teal;
        p.setPen(Qt::NoPen);
        p.setBrush(bar);
        p.drawRoundedRect(QRectF(37, 82, 36, 4), 2, 2);
    }
    p.restore();
}

QImage navStrip(Words words, Glyph glyph, int label, bool marked) {
    QImage image = canvas(4 * navWidth, navHeight, colour::band);
    QPainter p(&image);
    prepare(p);
    for (int s = 0; s < 4; ++s) {
        p.save();
        p.translate(s * navWidth, 0);
        p.setClipRect(QRect(0, 0, navWidth, navHeight));
        drawNavState(p, static_cast<State>(s), glyph, navLabels(words).at(label),
                     navLabelSize(words), marked);
        p.restore();
    }
    return image;
}

void drawCommandState(QPainter& p, State state, Glyph glyph, const QString& label) {
    const QRectF face(1.5, 1.5, 60, 31);
    QColor fill;
    QColor ink = Qt::white;
    switch (state) {
    case Normal:
        fill = colour::navy;
        drawCard(p, face, 6, fill, QColor(), 2);
        break;
    case Hover:
        fill = colour::teal;
        drawCard(p, face, 6, fill, QColor(), 3);
        break;
    case Pressed: {
        fill = QColor(0x0D, 0x2B, 0x47);
        drawCard(p, face, 6, fill, QColor(), 0);
        QLinearGradient shade(face.topLeft(), QPointF(face.left(), face.top() + 8));
        shade.setColorAt(0, QColor(0, 0, 0, 80));
        shade.setColorAt(1, QColor(0, 0, 0, 0));
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawRoundedRect(face, 6, 6);
        p.restore();
        break;
    }
    case Disabled:
        fill = QColor(0xE4, 0xE9, 0xEE);
        ink = colour::greyInk;
        drawCard(p, face, 6, fill, colour::greyLine, 0);
        break;
    }

    QFont font = hangulFont(12, true);
    const qreal icon = 16;
    const qreal gap = 4;
    while (font.pixelSize() > 10 && icon + gap + textWidth(font, label) > face.width() - 6) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    const qreal total = icon + gap + textWidth(font, label);
    const qreal left = face.left() + (face.width() - total) / 2;
    checkFits(QStringLiteral("command"), font,
              QRectF(face.left() + 3 + icon + gap, face.top(), face.width() - 6 - icon - gap,
                     face.height()),
              Qt::AlignLeft | Qt::AlignVCenter, label);
    p.save();
    if (state == Pressed) {
        p.translate(1, 1);
    }
    drawGlyph(p, glyph, QRectF(left, face.center().y() - icon / 2, icon, icon), ink, fill);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(left + icon + gap, face.top(), total - icon - gap + 2, face.height()),
               Qt::AlignLeft | Qt::AlignVCenter, label);
    p.restore();
}

QImage commandStrip(Glyph glyph, const QString& label) {
    QImage image = canvas(4 * commandWidth, commandHeight, colour::panel);
    QPainter p(&image);
    prepare(p);
    for (int s = 0; s < 4; ++s) {
        p.save();
        p.translate(s * commandWidth, 0);
        p.setClipRect(QRect(0, 0, commandWidth, commandHeight));
        drawCommandState(p, static_cast<State>(s), glyph, label);
        p.restore();
    }
    return image;
}

} // namespace

std::vector<Artwork> buttonArtwork(Words words) {
    const QString navStates = "4 × 110 × 100: normal, pressed, hover, disabled";
    const QString commandStates = "4 × 63 × 35: normal, pressed, hover, disabled";
    std::vector<Artwork> strips = {
        {173, "nav_home_173.png", navStates, "navigation: home (command 1), every page",
         navStrip(words, Glyph::Home, 0, false)},
        {174, "nav_settings_174.png", navStates, "navigation: settings (command 8), every page",
         navStrip(words, Glyph::Settings, 3, false)},
        {175, "nav_get_data_175.png", navStates,
         "navigation: get meter data (command 2), home and all-data pages",
         navStrip(words, Glyph::Download, 1, false)},
        {176, "nav_view_data_176.png", navStates, "navigation: view data (command 3), every page",
         navStrip(words, Glyph::ViewData, 2, false)},
        {179, "nav_get_data_current_179.png", navStates,
         "navigation: get meter data on the download page itself (marked as the current page)",
         navStrip(words, Glyph::Download, 1, true)},
        {180, "cmd_print_180.png", commandStates, "command: print, all-data page",
         commandStrip(Glyph::Print, say(words, "인쇄", "Print"))},
        {182, "cmd_search_182.png", commandStates, "command: search, all-data page",
         commandStrip(Glyph::Search, say(words, "검색", "Search"))},
    };
    if (words == Words::Korean) {
        // "CSV" reads the same in both languages: one file.
        strips.push_back({181, "cmd_export_181.png", commandStates,
                          "command: CSV export, all-data and download pages",
                          commandStrip(Glyph::Export, "CSV")});
    }
    return strips;
}

} // namespace artgen
