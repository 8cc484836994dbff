// Page backgrounds. The pages draw their controls over these, so the areas where controls
// sit stay plain (a white card under the filter row and the list); headings and the product
// name go where no control is placed: the band's left half and, on the home page, the body.
#include "art.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace artgen {

namespace {

using namespace layout;

void drawBand(QPainter& p, Words words) {
    p.fillRect(QRect(0, 0, pageWidth, bandHeight), colour::band);

    // A soft light on the left half only: the navigation buttons on the right sit on plain
    // band colour, which their own corners repeat.
    p.save();
    p.setClipRect(QRect(0, 0, navLeft - 30, bandHeight));
    p.setPen(Qt::NoPen);
    QRadialGradient glow(QPointF(40, 20), 340);
    glow.setColorAt(0, QColor(255, 255, 255, 22));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(glow);
    p.drawRect(QRect(0, 0, navLeft, bandHeight));
    p.restore();

    p.fillRect(QRect(0, bandHeight, pageWidth, 4), colour::teal);

    drawLogo(p, QRectF(60, 36, 56, 56));
    QFont mark = latinFont(36, true);
    p.setFont(mark);
    p.setPen(Qt::white);
    const qreal baseline = 70;
    p.drawText(QPointF(132, baseline), "Quorin");
    p.setPen(colour::tealLight);
    p.drawText(QPointF(132 + textWidth(mark, "Quorin"), baseline), "A1c");
    p.setFont(hangulFont(15));
    p.setPen(colour::textOnBand);
    const QString subtitle =
        say(words, "HbA1c · 혈당 측정 데이터 관리 프로그램", "HbA1c · Blood glucose data manager");
    p.drawText(QPointF(134, 93), subtitle);
    // The product name's half of the band ends at x 460, clear of the navigation row.
    checkFits(QStringLiteral("band"), p.font(), QRectF(134, 76, 460 - 134, 22),
              Qt::AlignLeft | Qt::AlignVCenter, subtitle);
}

void drawFooter(QPainter& p, Words words) {
    p.setFont(words == Words::English ? latinFont(12) : hangulFont(12));
    p.setPen(colour::textMuted);
    p.drawText(QRectF(60, 682, 600, 20), Qt::AlignLeft | Qt::AlignVCenter,
               say(words, "QuorinA1c  ·  HbA1c · 혈당 데이터 관리 프로그램",
                   "QuorinA1c  ·  HbA1c and glucose data manager"));
    p.drawText(QRectF(754, 682, 200, 20), Qt::AlignRight | Qt::AlignVCenter, "v1.09");
}

QImage listPageBackground(Words words) {
    QImage image = canvas(pageWidth, pageHeight, colour::page);
    QPainter p(&image);
    prepare(p);
    drawBand(p, words);
    // One white card under the filter row (y 142 to 180) and the list (60, 190, 894 × 467),
    // 14 pixels wider than the list on each side.
    drawCard(p, QRectF(46.5, 138.5, 921, 533), 10, colour::panel, colour::panelLine, 3);
    p.fillRect(QRect(60, 185, 894, 1), QColor(0xE3, 0xEA, 0xF1));
    drawFooter(p, words);
    return image;
}

void drawBullet(QPainter& p, qreal x, qreal y, const QString& text) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour::teal);
    p.drawEllipse(QPointF(x + 5, y + 11), 4, 4);
    p.setFont(hangulFont(16));
    p.setPen(colour::text);
    const QRectF place(x + 20, y, 560, 22);
    p.drawText(place, Qt::AlignLeft | Qt::AlignVCenter, text);
    checkFits(QStringLiteral("home bullet"), p.font(), place, Qt::AlignLeft | Qt::AlignVCenter,
              text);
}

struct Step {
    QString number;
    Glyph glyph;
    QString title;
    QString text;
};

void drawStep(QPainter& p, const QRectF& card, const Step& step) {
    drawCard(p, card, 10, colour::panel, colour::panelLine, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::teal);
    const QPointF badge(card.left() + 40, card.top() + 40);
    p.drawEllipse(badge, 17, 17);
    p.setFont(latinFont(18, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(badge.x() - 17, badge.y() - 17, 34, 34), Qt::AlignCenter, step.number);
    drawGlyph(p, step.glyph, QRectF(card.right() - 66, card.top() + 20, 42, 42), colour::navy,
              colour::panel);
    drawFittedText(p, QRectF(card.left() + 24, card.top() + 78, card.width() - 48, 28), step.title,
                   hangulFont(20, true), Qt::AlignLeft | Qt::AlignVCenter, colour::navyDark);
    p.setFont(hangulFont(15));
    p.setPen(colour::textMuted);
    const QRectF place(card.left() + 24, card.top() + 114, card.width() - 48, 70);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    p.drawText(place, flags, step.text);
    checkFits(QStringLiteral("home step"), p.font(), place, flags, step.text);
}

QImage homeBackground(Words words) {
    QImage image = canvas(pageWidth, pageHeight, colour::page);
    QPainter p(&image);
    prepare(p);
    drawBand(p, words);

    const QRectF hero(46.5, 150.5, 921, 262);
    drawCard(p, hero, 10, colour::panel, colour::panelLine, 3);
    // The texts keep left of the meter's halo (x 708).
    const int line = Qt::AlignLeft | Qt::AlignVCenter;
    p.setFont(hangulFont(30, true));
    p.setPen(colour::navyDark);
    const QString title = say(words, "오르보에이원씨 관리 프로그램", "OrvoA1c Data Manager");
    p.drawText(QRectF(86, 176, 600, 44), line, title);
    checkFits(QStringLiteral("home title"), p.font(), QRectF(86, 176, 600, 44), line, title);
    p.setFont(hangulFont(17));
    p.setPen(colour::textMuted);
    const QString lead = say(words, "HbA1c와 혈당 측정 결과를 한 곳에서 관리합니다.",
                             "HbA1c and blood glucose results, managed in one place.");
    p.drawText(QRectF(88, 222, 600, 26), line, lead);
    checkFits(QStringLiteral("home lead"), p.font(), QRectF(88, 222, 600, 26), line, lead);
    drawBullet(p, 88, 272,
               say(words, "측정기에 저장된 결과를 USB로 가져옵니다",
                   "Downloads the results stored in the meter over USB"));
    drawBullet(p, 88, 306,
               say(words, "사용자별로 결과를 저장하고 기간이나 날짜로 조회합니다",
                   "Keeps results per user and finds them by period or date"));
    drawBullet(p, 88, 340,
               say(words, "목록을 인쇄하거나 CSV 파일로 내보냅니다",
                   "Prints the list or exports it to a CSV file"));

    p.setPen(Qt::NoPen);
    QRadialGradient halo(QPointF(830, 282), 130);
    halo.setColorAt(0, colour::tealTint);
    halo.setColorAt(0.75, colour::tealTint);
    halo.setColorAt(
        1, QColor(colour::tealTint.red(), colour::tealTint.green(), colour::tealTint.blue(), 0));
    p.setBrush(halo);
    p.drawEllipse(QPointF(830, 282), 122, 122);
    drawMeterIllustration(p, QRectF(740, 168, 180, 228));

    const Step steps[3] = {
        {"1", Glyph::Cable, say(words, "측정기 연결", "Connect the meter"),
         say(words, "USB 케이블로 측정기를 PC에 연결합니다.",
             "Connect the meter to the PC with the USB cable.")},
        {"2", Glyph::Download, say(words, "데이터 가져오기", "Get data"),
         say(words, "위의 데이터 가져오기 버튼을 누르고 포트, 항목, 사용자를 확인합니다.",
             "Press the Get data button above and check the port, item and user.")},
        {"3", Glyph::ViewData, say(words, "데이터 보기", "View data"),
         say(words, "저장된 결과를 기간이나 날짜로 조회하고 인쇄하거나 CSV 파일로 내보냅니다.",
             "Find stored results by period or date, then print them or export a CSV file.")},
    };
    for (int i = 0; i < 3; ++i) {
        drawStep(p, QRectF(46.5 + i * 316, 432.5, 289, 190), steps[i]);
    }
    drawFooter(p, words);
    return image;
}

QImage homePicture() {
    QImage image = canvas(200, 240, colour::panel);
    QPainter p(&image);
    prepare(p);
    drawMeterIllustration(p, QRectF(10, 10, 180, 220));
    return image;
}

} // namespace

std::vector<Artwork> pageArtwork(Words words) {
    const QString one = "one image";
    std::vector<Artwork> pages = {
        {178, "bg_list_178.png", one, "background of the all-data and download pages",
         listPageBackground(words)},
        {209, "bg_home_209.png", one, "background of the home page", homeBackground(words)},
    };
    if (words == Words::Korean) {
        // A picture without words: one file.
        pages.push_back({304, "pic_meter_304.png", one, "home page picture control (kept hidden)",
                         homePicture()});
    }
    return pages;
}

} // namespace artgen
