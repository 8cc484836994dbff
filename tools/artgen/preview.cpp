#include "preview.h"

#include <QPainterPath>

namespace artgen {

namespace {

using namespace layout;

enum State { Normal = 0, Pressed = 1, Hover = 2, Disabled = 3 };

const QImage& image(const std::vector<Artwork>& all, int id) {
    for (const Artwork& art : all) {
        if (art.id == id) {
            return art.image;
        }
    }
    static const QImage none;
    return none;
}

QImage quarter(const QImage& strip, int state) {
    const int w = strip.width() / 4;
    return strip.copy(state * w, 0, w, strip.height());
}

void drawNavRow(QPainter& p, const std::vector<Artwork>& all, const int (&ids)[4],
                const int (&states)[4]) {
    for (int i = 0; i < 4; ++i) {
        p.drawImage(navLeft + i * navStep, navTop, quarter(image(all, ids[i]), states[i]));
    }
}

void drawCombo(QPainter& p, const QRect& r, const QString& text) {
    p.fillRect(r, Qt::white);
    p.setPen(QColor(0x7A, 0x8A, 0x99));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setFont(hangulFont(12));
    p.setPen(Qt::black);
    p.drawText(r.adjusted(6, 0, -20, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    const QPointF c(r.right() - 9, r.center().y() + 1);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({c + QPointF(-4, -2), c + QPointF(4, -2), c + QPointF(0, 2.5)}));
}

void drawList(QPainter& p, const QRect& r, const QStringList& headings, const QList<int>& widths,
              const QList<QStringList>& rows) {
    p.fillRect(r, Qt::white);
    p.setPen(QColor(0x82, 0x87, 0x90));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    QFont font = hangulFont(13, true);
    p.setFont(font);
    int y = r.top() + 1;
    p.fillRect(QRect(r.left() + 1, y, r.width() - 2, 32), QColor(0xF3, 0xF5, 0xF7));
    for (int row = -1; row < static_cast<int>(rows.size()); ++row) {
        int x = r.left() + 1;
        for (int c = 0; c < headings.size(); ++c) {
            const QString text = row < 0 ? headings[c] : rows[row].value(c);
            p.setPen(QColor(0x20, 0x20, 0x20));
            p.drawText(QRect(x, y, widths[c], 32), Qt::AlignCenter, text);
            p.setPen(QColor(0xE0, 0xE0, 0xE0));
            p.drawLine(x + widths[c] - 1, y, x + widths[c] - 1, y + 31);
            x += widths[c];
        }
        p.drawLine(r.left() + 1, y + 31, r.right() - 1, y + 31);
        y += 32;
    }
}

QList<QStringList> sampleRows() {
    return {{"1", "2024-05-14", "10:42", "6.2 %", "131 mg/dL", "P-0192"},
            {"2", "2024-05-14", "09:15", "7.8 %", "177 mg/dL", "P-0077"},
            {"3", "2024-05-13", "16:03", "5.4 %", "108 mg/dL", "P-0150"}};
}

QImage dataPage(const std::vector<Artwork>& all) {
    QImage page = image(all, 178).copy();
    QPainter p(&page);
    prepare(p);
    drawNavRow(p, all, {173, 175, 176, 174}, {Normal, Hover, Disabled, Normal});
    p.setFont(hangulFont(12));
    p.setPen(Qt::black);
    p.drawText(QRect(60, 150, 60, 25), Qt::AlignLeft | Qt::AlignVCenter, "사용자ID");
    drawCombo(p, QRect(126, 150, 115, 25), "admin");
    drawCombo(p, QRect(247, 150, 115, 25), "HbA1c");
    drawCombo(p, QRect(368, 150, 115, 25), "ALL");
    drawCombo(p, QRect(489, 150, 115, 25), "2024-05-01");
    p.drawText(QRect(610, 160, 10, 25), Qt::AlignLeft | Qt::AlignTop, "~");
    drawCombo(p, QRect(626, 150, 115, 25), "2024-05-14");
    p.drawImage(747, 145, quarter(image(all, 182), Normal));
    p.drawImage(816, 145, quarter(image(all, 180), Hover));
    p.drawImage(885, 145, quarter(image(all, 181), Pressed));
    drawList(p, QRect(60, 190, 894, 467), {"No.", "Date", "Time", "Result", "eAG", "Patient ID"},
             {80, 150, 100, 180, 180, 180}, sampleRows());
    return page;
}

QImage downloadPage(const std::vector<Artwork>& all) {
    QImage page = image(all, 178).copy();
    QPainter p(&page);
    prepare(p);
    drawNavRow(p, all, {173, 179, 176, 174}, {Normal, Normal, Normal, Normal});
    p.drawImage(871, 142, quarter(image(all, 181), Normal));
    drawList(p, QRect(60, 190, 894, 467), {"No.", "Date", "Time", "Result", "eAG", "Patient ID"},
             {80, 150, 100, 180, 120, 180}, sampleRows());
    return page;
}

QImage homePage(const std::vector<Artwork>& all) {
    QImage page = image(all, 209).copy();
    QPainter p(&page);
    prepare(p);
    drawNavRow(p, all, {173, 175, 176, 174}, {Disabled, Normal, Pressed, Hover});
    return page;
}

// The frame as the frame code paints it, with the page in its client area.
QImage window(const std::vector<Artwork>& all, const QImage& page, int pressedButton) {
    const int w = 1024;
    const int h = 768;
    QImage frame = canvas(w, h, Qt::black);
    {
        QPainter p(&frame);
        prepare(p);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(0xE6, 0xE6, 0xE6));
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 2, h - 2), 7, 7);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(0, 19, w, 1), QColor(0x0B, 0x0B, 0x0C));
        p.fillRect(QRect(10, 1, w - 20, 1), QColor(0x95, 0xA9, 0xD6));
        auto column = [&](int x, QRgb c) { p.fillRect(QRect(x, 20, 1, h - 26), QColor(c)); };
        auto row = [&](int y, QRgb c) { p.fillRect(QRect(5, y, w - 11, 1), QColor(c)); };
        column(1, 0xFFFFFF);
        column(5, 0xA1A1A1);
        column(w - 3, 0xC4C4C4);
        column(w - 6, 0xFFFFFF);
        column(w - 7, 0xA1A1A1);
        row(h - 3, 0xB8B8B8);
        row(h - 6, 0xFFFFFF);
        row(h - 7, 0xA1A1A1);
        for (int x = 23; x < w - 33; x += 30) {
            p.drawImage(x, 2, image(all, 133));
        }
        p.drawImage(1, h - 23, image(all, 131));
        p.drawImage(w - 23, h - 23, image(all, 132));
        p.drawImage(1, 1, image(all, 138));
        p.drawImage(w - 23, 1, image(all, pressedButton == 3 ? 135 : 134));
        p.drawImage(w - 44, 1, image(all, pressedButton == 2 ? 137 : 136));
        p.drawImage(w - 65, 1, image(all, pressedButton == 1 ? 140 : 139));
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setFont(hangulFont(12, true));
        p.setPen(Qt::white);
        p.drawText(QRect(30, 0, w - 100, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   "QuorinA1c 관리 프로그램 v1.09");

        // Client area: the view (with its one-pixel border) above the status bar.
        const QRect client(6, 20, w - 13, h - 27);
        const QRect status(client.left(), client.bottom() - 21, client.width(), 22);
        const QRect view(client.left(), client.top(), client.width(), client.height() - 22);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(client, QColor(0xF0, 0xF0, 0xF0));
        p.save();
        p.setClipRect(view.adjusted(1, 1, -1, -1));
        p.drawImage(view.left() + 1, view.top() + 1, page);
        p.restore();
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.setBrush(Qt::NoBrush);
        p.drawRect(view.adjusted(0, 0, -1, -1));
        p.fillRect(status, QColor(0xF0, 0xF0, 0xF0));
        p.setPen(QColor(0xC8, 0xC8, 0xC8));
        p.drawLine(status.topLeft(), status.topRight());
        p.setFont(latinFont(11));
        p.setPen(Qt::black);
        p.drawText(status.adjusted(6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, "Ready");
    }
    // The window's rounded shape, on a desktop.
    QImage desk = canvas(w + 40, h + 40, QColor(0x56, 0x60, 0x6B));
    QPainter p(&desk);
    prepare(p);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(20, 20, w, h), 5.5, 5.5);
    p.setClipPath(shape);
    p.drawImage(20, 20, frame);
    return desk;
}

QImage scaled(const QImage& source, int factor) {
    return source.scaled(source.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage partsSheet(const std::vector<Artwork>& all) {
    QImage sheet = canvas(1100, 1300, QColor(0xF6, 0xF6, 0xF6));
    QPainter p(&sheet);
    prepare(p);
    auto label = [&](int x, int y, const QString& text) {
        p.setFont(latinFont(12));
        p.setPen(QColor(0x30, 0x30, 0x30));
        p.drawText(QPointF(x, y), text);
    };
    const QStringList states = {"normal", "pressed", "hover", "disabled"};

    int y = 24;
    for (int s = 0; s < 4; ++s) {
        label(60 + s * 110 + 20, y, states[s]);
        label(560 + s * 126 + 30, y, states[s]);
    }
    y += 12;
    for (int id : {173, 175, 179, 176, 174}) {
        label(10, y + 55, QString::number(id));
        p.drawImage(60, y, image(all, id));
        y += 110;
    }
    int cy = 36;
    for (int id : {182, 180, 181}) {
        label(530, cy + 40, QString::number(id));
        p.drawImage(560, cy, scaled(image(all, id), 2));
        p.drawImage(560, cy + 78, image(all, id));
        cy += 130;
    }
    y += 20;
    int x = 60;
    label(10, y + 40, "×4");
    for (int id : {138, 133, 139, 140, 136, 137, 134, 135, 131, 132}) {
        const QImage big = scaled(image(all, id), 4);
        p.drawImage(x, y, big);
        label(x, y + big.height() + 16, QString::number(id));
        x += big.width() + 12;
    }
    y += 130;
    x = 60;
    for (const Artwork& art : all) {
        if (art.id == 128 || art.id == 171) {
            p.fillRect(QRect(x - 4, y - 4, art.image.width() + 8, art.image.height() + 8),
                       QColor(0x2B, 0x2B, 0x2B));
            p.drawImage(x, y, art.image);
            label(x, y + art.image.height() + 20, QString::number(art.id));
            x += art.image.width() + 24;
        }
    }
    y += 290;
    x = 60;
    p.fillRect(QRect(x - 4, y - 4, 136, 136), Qt::white);
    p.drawImage(x, y, scaled(image(all, 171), 4));
    p.drawImage(x + 160, y, scaled(image(all, 138), 6));
    p.drawImage(x + 320, y, scaled(image(all, 128 /* the 16-pixel size comes first */), 8));
    p.drawImage(x + 480, y, image(all, 304));
    label(x + 480, y + 260, "304");
    return sheet;
}

// The window's corners and caption ends, enlarged, to check that the pieces meet the lines.
QImage frameZoom(const QImage& window) {
    const QRect areas[] = {
        {20, 20, 70, 40}, {974, 20, 70, 40}, {20, 748, 70, 40}, {974, 748, 70, 40}};
    const int factor = 7;
    const int cell = 70 * factor + 20;
    QImage sheet = canvas(2 * cell + 10, 2 * (40 * factor + 20) + 10, QColor(0xF6, 0xF6, 0xF6));
    QPainter p(&sheet);
    for (int i = 0; i < 4; ++i) {
        p.drawImage(10 + (i % 2) * cell, 10 + (i / 2) * (40 * factor + 20),
                    scaled(window.copy(areas[i]), factor));
    }
    return sheet;
}

} // namespace

std::vector<std::pair<QString, QImage>> previews(const std::vector<Artwork>& all) {
    const QImage data = window(all, dataPage(all), 3);
    return {
        {"preview_home.png", window(all, homePage(all), 0)},
        {"preview_data.png", data},
        {"preview_frame_zoom.png", frameZoom(data)},
        {"preview_download.png", window(all, downloadPage(all), 0)},
        {"preview_parts.png", partsSheet(all)},
    };
}

} // namespace artgen
