// Renders every widget in its main states onto one sheet for a person to look at:
// $QA_WIDGET_SHEET, or widget_sheet.png in a temporary folder of the test's own, removed
// afterwards (set the variable to keep the sheet).
#include "widgets/gradient_label.h"
#include "widgets/icon_button.h"
#include "widgets/image_button.h"
#include "widgets/shade_button.h"
#include "widgets/skin_button.h"
#include "widgets/text_progress_ctrl.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace qa {
namespace {

QPixmap CommandStrip(const QString& text) {
    // Four 63 x 35 faces: normal, pressed, hover, disabled.
    QPixmap strip(252, 35);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fills[4] = {QColor(52, 120, 200), QColor(30, 80, 150), QColor(90, 160, 235),
                             QColor(190, 190, 190)};
    for (int i = 0; i < 4; ++i) {
        const QRectF face(i * 63 + 2, 2, 59, 31);
        QPainterPath path;
        path.addRoundedRect(face.translated(i == 1 ? 1 : 0, i == 1 ? 1 : 0), 6, 6);
        painter.fillPath(path, fills[i]);
        painter.setPen(i == 3 ? QColor(120, 120, 120) : Qt::white);
        painter.drawText(face.translated(i == 1 ? 1 : 0, i == 1 ? 1 : 0), Qt::AlignCenter, text);
    }
    return strip;
}

QPixmap Icon(const QColor& color) {
    QPixmap icon(16, 16);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(color);
    painter.setPen(color.darker(150));
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return icon;
}

void Hover(QWidget& widget) {
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(&widget, &enter);
}

TEST(WidgetSheet, RendersEveryWidgetInItsMainStates) {
    QWidget sheet;
    sheet.resize(760, 560);
    sheet.setAutoFillBackground(true);
    int y = 8;
    auto caption = [&](const QString& text) {
        auto* label = new QLabel(text, &sheet);
        label->setGeometry(8, y, 740, 18);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        y += 20;
    };

    caption(QStringLiteral("ImageButton (normal, pressed, hover, disabled)"));
    QList<ImageButton*> images;
    for (int i = 0; i < 4; ++i) {
        auto* button = new ImageButton(&sheet);
        button->LoadBitmap(CommandStrip(QStringLiteral("Print")));
        button->move(8 + i * 75, y);
        images << button;
    }
    images[1]->setDown(true);
    images[3]->setEnabled(false);
    y += 45;

    caption(QStringLiteral("IconButton (flat, flat hovered, 3-D, check box checked, icon right, "
                           "icon above, disabled)"));
    QList<IconButton*> icons;
    for (int i = 0; i < 7; ++i) {
        auto* button = new IconButton(&sheet);
        button->setText(i == 6 ? QStringLiteral("Disabled") : QStringLiteral("Close."));
        button->SetIcon(Icon(QColor(230, 120, 40)), Icon(QColor(60, 150, 60)));
        button->setGeometry(8 + i * 104, y, 96, i == 5 ? 52 : 30);
        icons << button;
    }
    icons[2]->SetFlat(false);
    icons[3]->SetCheckBoxMode(true);
    icons[3]->SetCheck(true);
    icons[4]->SetAlign(IconButton::AlignHorizRight);
    icons[5]->SetAlign(IconButton::AlignVert);
    icons[6]->setEnabled(false);
    y += 60;

    caption(QStringLiteral("SkinButton (push, hover, pressed, check boxes, radios, disabled)"));
    auto* push = new SkinButton(QStringLiteral("&Search"), SkinButton::Push, &sheet);
    push->setGeometry(8, y, 80, 28);
    auto* hovered = new SkinButton(QStringLiteral("Hover"), SkinButton::Push, &sheet);
    hovered->setGeometry(96, y, 80, 28);
    hovered->SetBkColor(SkinButton::Hover, QColor(200, 225, 255));
    auto* pressed = new SkinButton(QStringLiteral("Pressed"), SkinButton::Push, &sheet);
    pressed->setGeometry(184, y, 80, 28);
    pressed->setDown(true);
    auto* box = new SkinButton(QStringLiteral("Erase data"), SkinButton::CheckBox, &sheet);
    box->setGeometry(272, y, 100, 28);
    box->SetCheck(true);
    auto* boxOff = new SkinButton(QStringLiteral("Beep"), SkinButton::CheckBox, &sheet);
    boxOff->setGeometry(376, y, 70, 28);
    auto* boxDisabled = new SkinButton(QStringLiteral("Locked"), SkinButton::CheckBox, &sheet);
    boxDisabled->setGeometry(450, y, 80, 28);
    boxDisabled->SetCheck(true);
    boxDisabled->setEnabled(false);
    auto* radioA = new SkinButton(QStringLiteral("HbA1c"), SkinButton::Radio, &sheet);
    radioA->setGeometry(534, y, 70, 28);
    auto* radioB = new SkinButton(QStringLiteral("Glucose"), SkinButton::Radio, &sheet);
    radioB->setGeometry(606, y, 80, 28);
    radioA->SetCheck(true);
    radioB->SetCheck(true);
    y += 34;
    auto* disabledPush = new SkinButton(QStringLiteral("Disabled"), SkinButton::Push, &sheet);
    disabledPush->setGeometry(8, y, 80, 28);
    disabledPush->setEnabled(false);
    auto* coloured = new SkinButton(QStringLiteral("Bold red"), SkinButton::Push, &sheet);
    coloured->setGeometry(96, y, 100, 28);
    coloured->SetBkColor(SkinButton::AllStates, QColor(250, 235, 200));
    coloured->SetTextColor(SkinButton::AllStates, QColor(180, 20, 20));
    coloured->SetFontStyle(SkinButton::AllStates, SkinButton::FontBold | SkinButton::FontUnderline);
    auto* pushLike = new SkinButton(QStringLiteral("Push-like on"), SkinButton::CheckBox, &sheet);
    pushLike->SetPushLike(true);
    pushLike->setGeometry(204, y, 100, 28);
    pushLike->SetCheck(true);
    pushLike->SetBkColor(SkinButton::Pressed, QColor(210, 210, 210));
    y += 40;

    caption(QStringLiteral("GradientLabel (progress label, horizontal, centred wrapped, right)"));
    auto* process = new GradientLabel(QStringLiteral("데이터 다운로드 중입니다..."), &sheet);
    process->SetTextColor(QColor(0, 0, 0));
    process->SetFont(QStringLiteral("SYSTEM"), 18, 0);
    process->SetBkColor(QColor(255, 255, 255), QColor(123, 104, 238),
                        GradientLabel::GradientVertical);
    process->setGeometry(8, y, 260, 60);
    auto* horizontal = new GradientLabel(QStringLiteral("Horizontal gradient"), &sheet);
    horizontal->SetBkColor(QColor(20, 60, 120), QColor(160, 220, 255),
                           GradientLabel::GradientHorizontal);
    horizontal->SetTextColor(Qt::white);
    horizontal->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontal->setGeometry(276, y, 160, 60);
    auto* wrapped = new GradientLabel(
        QStringLiteral("A longer text that wraps at blanks inside the label"), &sheet);
    wrapped->SetBkColor(QColor(255, 250, 220));
    wrapped->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    wrapped->setGeometry(444, y, 150, 60);
    auto* right = new GradientLabel(QStringLiteral("Right\naligned"), &sheet);
    right->SetBkColor(QColor(230, 240, 230));
    right->setAlignment(Qt::AlignRight | Qt::AlignTop);
    right->setGeometry(602, y, 140, 60);
    y += 70;

    caption(QStringLiteral("ShadeButton effects 0-8 (6 hovered, 7 pressed)"));
    QList<ShadeButton*> shades;
    for (int effect = 0; effect <= 8; ++effect) {
        auto* button = new ShadeButton(&sheet);
        button->setText(QStringLiteral("Close. %1").arg(effect));
        button->setGeometry(8 + effect * 82, y, 78, 34);
        button->SetShade(effect, 8, 30);
        shades << button;
    }
    shades[7]->setDown(true);
    y += 44;
    auto* processClose = new ShadeButton(&sheet);
    processClose->setGeometry(8, y, 110, 34);
    processClose->setText(QStringLiteral("Close."));
    processClose->SetShade(6, 8, 10);
    processClose->SetIcon(Icon(QColor(200, 60, 60)));
    auto* tinted = new ShadeButton(&sheet);
    tinted->setGeometry(126, y, 110, 34);
    tinted->setText(QStringLiteral("Tinted"));
    tinted->SetShade(6, 8, 10, 40, QColor(40, 120, 220));
    y += 44;

    caption(QStringLiteral("TextProgressCtrl (37 % with text, 0 %, 100 %, custom colours)"));
    auto* p37 = new TextProgressCtrl(&sheet);
    p37->setGeometry(8, y, 360, 22);
    p37->SetWindowText(QStringLiteral("Receiving records"));
    p37->SetPos(37);
    auto* p0 = new TextProgressCtrl(&sheet);
    p0->setGeometry(376, y, 120, 22);
    auto* p100 = new TextProgressCtrl(&sheet);
    p100->setGeometry(504, y, 120, 22);
    p100->SetPos(100);
    y += 28;
    auto* custom = new TextProgressCtrl(&sheet);
    custom->setGeometry(8, y, 360, 22);
    custom->SetBarColor(QColor(40, 150, 70));
    custom->SetBkColor(QColor(235, 245, 235));
    custom->SetTextColor(QColor(40, 150, 70));
    custom->SetTextBkColor(Qt::white);
    custom->SetRange(0, 250);
    custom->SetPos(180);
    y += 30;
    sheet.resize(760, y + 8);

    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    Hover(*images[2]);
    Hover(*icons[1]);
    Hover(*hovered);
    Hover(*shades[6]);

    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString path = qEnvironmentVariableIsSet("QA_WIDGET_SHEET")
                             ? qEnvironmentVariable("QA_WIDGET_SHEET")
                             : scratch.filePath(QStringLiteral("widget_sheet.png"));
    const QImage image = sheet.grab().toImage();
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    EXPECT_TRUE(icons[1]->IsHovering());
    EXPECT_TRUE(shades[6]->IsHovering());
}

} // namespace
} // namespace qa
