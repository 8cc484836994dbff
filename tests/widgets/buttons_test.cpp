#include "render_helpers.h"
#include "widgets/icon_button.h"
#include "widgets/image_button.h"
#include "widgets/skin_button.h"
#include "widgets/sys_colors.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace qa {
namespace {

using test::BoundsOf;
using test::CountPixels;
using test::CrispFont;
using test::Grab;

void Hover(QWidget& widget) {
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(&widget, &enter);
}

void Unhover(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// ---- ImageButton and ToolTipButton ------------------------------------------------------

QPixmap FourStateStrip() {
    QPixmap strip(440, 100);
    QPainter painter(&strip);
    const QColor faces[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int i = 0; i < 4; ++i) {
        painter.fillRect(i * 110, 0, 110, 100, faces[i]);
        // A mark in each quarter's own corner proves the whole quarter is copied.
        painter.fillRect(i * 110 + 109, 99, 1, 1, Qt::black);
    }
    return strip;
}

TEST(ImageButton, StripBecomesOneQuarterSizedButtonShowingTheStateQuarter) {
    ImageButton button;
    ASSERT_TRUE(button.LoadBitmap(FourStateStrip()));
    EXPECT_EQ(button.size(), QSize(110, 100));
    EXPECT_EQ(button.sizeHint(), QSize(110, 100));

    auto face = [&] { return Grab(button).pixelColor(55, 50); };
    EXPECT_EQ(face(), QColor(Qt::red));
    EXPECT_EQ(Grab(button).pixelColor(109, 99), QColor(Qt::black));

    button.setDown(true);
    EXPECT_EQ(face(), QColor(Qt::green)) << "second quarter while pressed";
    button.setDown(false);

    Hover(button);
    EXPECT_TRUE(button.IsHovering());
    EXPECT_EQ(face(), QColor(Qt::blue)) << "third quarter while hovering";
    button.setDown(true);
    EXPECT_EQ(face(), QColor(Qt::green)) << "pressed wins over hover";

    button.setEnabled(false);
    button.setDown(true);
    EXPECT_EQ(face(), QColor(Qt::yellow)) << "fourth quarter when disabled, whatever else";
    Unhover(button);
    EXPECT_EQ(face(), QColor(Qt::yellow));
}

TEST(ImageButton, MissingOrTooNarrowStripIsRefusedAndLeavesTheButtonAsItWas) {
    ImageButton button;
    ASSERT_TRUE(button.LoadBitmap(FourStateStrip()));
    EXPECT_FALSE(button.LoadBitmap(QPixmap()));
    EXPECT_FALSE(button.LoadBitmap(QStringLiteral(":/no/such/strip.png")));
    EXPECT_FALSE(button.LoadBitmap(QPixmap(3, 10)));
    EXPECT_EQ(button.size(), QSize(110, 100));
    EXPECT_EQ(Grab(button).pixelColor(55, 50), QColor(Qt::red));

    // Integer division: the leftover columns of a strip never show.
    ASSERT_TRUE(button.LoadBitmap(QPixmap(443, 20)));
    EXPECT_EQ(button.size(), QSize(110, 20));
}

TEST(ToolTipButton, TipCanBeSwitchedOffWithoutLosingItsTextAndNullTextChangesNothing) {
    ToolTipButton button;
    button.SetToolTipText(QStringLiteral("Home"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Home"));
    button.SetToolTipText(QString());
    EXPECT_EQ(button.toolTip(), QStringLiteral("Home"));
    button.ActivateToolTip(false);
    EXPECT_TRUE(button.toolTip().isEmpty());
    button.ActivateToolTip(true);
    EXPECT_EQ(button.toolTip(), QStringLiteral("Home"));
    button.SetToolTipText(QStringLiteral("Print"), false);
    EXPECT_TRUE(button.toolTip().isEmpty());
    EXPECT_EQ(button.ToolTipText(), QStringLiteral("Print"));
}

// ---- IconButton ------------------------------------------------------------------------

TEST(IconButton, DisabledTextIsEmbossedInHighlightUnderShadow) {
    IconButton button;
    button.setFont(CrispFont(20));
    button.setText(QStringLiteral("HE"));
    button.resize(90, 40);

    const QColor light = test::Sys(SysColor::BtnHighlight);
    const QColor shadow = test::Sys(SysColor::BtnShadow);
    const QColor text = test::Sys(SysColor::BtnText);
    ASSERT_NE(light, shadow);

    QImage enabled = Grab(button);
    EXPECT_GT(CountPixels(enabled, enabled.rect(), text), 20);
    EXPECT_EQ(CountPixels(enabled, enabled.rect(), shadow), 0);

    button.setEnabled(false);
    QImage disabled = Grab(button);
    EXPECT_EQ(CountPixels(disabled, disabled.rect(), text), 0);
    const QRect shadowBounds = BoundsOf(disabled, shadow);
    const QRect lightBounds = BoundsOf(disabled, light);
    ASSERT_FALSE(shadowBounds.isEmpty());
    EXPECT_EQ(lightBounds, shadowBounds.translated(1, 1));
}

TEST(IconButton, FlatFrameShowsOnlyWhileHoveredAndHoverEndsOnDeactivationAndDisable) {
    QWidget window;
    window.resize(200, 100);
    IconButton button(&window);
    button.setGeometry(10, 10, 80, 30);
    button.setText(QStringLiteral("Close."));
    ASSERT_TRUE(ShowActive(window));
    Unhover(button);

    const QColor light = test::Sys(SysColor::BtnHighlight);
    const QColor face = test::Sys(SysColor::BtnFace);
    EXPECT_EQ(Grab(button).pixelColor(0, 0), face);

    Hover(button);
    ASSERT_TRUE(button.IsHovering());
    EXPECT_EQ(Grab(button).pixelColor(0, 0), light);
    EXPECT_EQ(Grab(button).pixelColor(79, 29), test::Sys(SysColor::BtnShadow));
    Unhover(button);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(Grab(button).pixelColor(0, 0), face);

    Hover(button);
    ASSERT_TRUE(button.IsHovering());
    QWidget other;
    other.resize(50, 50);
    ASSERT_TRUE(ShowActive(other));
    EXPECT_FALSE(button.IsHovering()) << "window deactivated";

    ASSERT_TRUE(ShowActive(window));
    Hover(button);
    ASSERT_TRUE(button.IsHovering());
    button.setEnabled(false);
    EXPECT_FALSE(button.IsHovering());

    // A button in an inactive window does not light up.
    button.setEnabled(true);
    ASSERT_TRUE(ShowActive(other));
    Hover(button);
    EXPECT_FALSE(button.IsHovering());
}

TEST(IconButton, NonFlatButtonNeverHoversAndDrawsItsThreeDimensionalFrame) {
    IconButton button;
    button.SetFlat(false);
    button.resize(60, 24);
    Hover(button);
    EXPECT_FALSE(button.IsHovering());
    const QImage image = Grab(button);
    EXPECT_EQ(image.pixelColor(0, 0), test::Sys(SysColor::BtnHighlight));
    EXPECT_EQ(image.pixelColor(59, 23), test::Sys(SysColor::DkShadow3D));
    EXPECT_EQ(image.pixelColor(58, 22), test::Sys(SysColor::BtnShadow));
}

TEST(IconButton, CheckBoxModeTogglesAndShowsPressedColoursWhileLinkModeOpensTheLink) {
    QList<QUrl> opened;
    const auto previous =
        IconButton::SetLinkOpener([&](const QUrl& url) { return opened << url, true; });

    QWidget window;
    IconButton button(&window);
    button.setGeometry(0, 0, 80, 30);
    button.SetColor(IconButton::ColorBkIn, Qt::red);
    button.SetColor(IconButton::ColorBkOut, Qt::blue);
    button.SetURL(QStringLiteral("https://example.org/manual"));
    window.show();

    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://example.org/manual")));

    button.SetCheckBoxMode(true);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_TRUE(button.GetCheck());
    EXPECT_EQ(opened.size(), 1) << "a check box toggles instead of opening the link";
    EXPECT_EQ(Grab(button).pixelColor(40, 2), QColor(Qt::red));
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_FALSE(button.GetCheck());
    EXPECT_EQ(Grab(button).pixelColor(40, 2), QColor(Qt::blue));

    button.SetDefaultColors();
    EXPECT_EQ(button.GetColor(IconButton::ColorBkIn), test::Sys(SysColor::BtnFace));
    IconButton::SetLinkOpener(previous);
}

TEST(IconButton, AutoRepeatClicksWhileHeldAlwaysAnEvenNumberOfTimes) {
    QWidget window;
    IconButton button(&window);
    button.setGeometry(0, 0, 60, 24);
    button.SetAutoRepeat(true, 15);
    window.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.size(), 2) << "a quick click repeats once to stay even";

    for (int hold : {20, 50, 80}) {
        clicks.clear();
        QTest::mousePress(&button, Qt::LeftButton);
        QTest::qWait(hold);
        QTest::mouseRelease(&button, Qt::LeftButton);
        EXPECT_GE(clicks.size(), 2);
        EXPECT_EQ(clicks.size() % 2, 0) << "held " << hold << " ms";
        EXPECT_FALSE(button.isDown());
    }
    QTest::qWait(40);
    clicks.clear();
    QTest::qWait(40);
    EXPECT_EQ(clicks.size(), 0) << "repeating stops with the release";
}

TEST(IconButton, IconFollowsHoverAndAlignment) {
    QPixmap hoverIcon(16, 16);
    hoverIcon.fill(Qt::red);
    QPixmap normalIcon(16, 16);
    normalIcon.fill(Qt::green);

    QWidget window;
    window.resize(200, 100);
    IconButton button(&window);
    button.setGeometry(0, 0, 120, 40);
    button.SetIcon(hoverIcon, normalIcon);
    button.setText(QStringLiteral("Go"));
    ASSERT_TRUE(ShowActive(window));
    Unhover(button);

    QImage image = Grab(button);
    EXPECT_EQ(image.pixelColor(3 + 8, 20), QColor(Qt::green)) << "left of the text, 3 px in";
    Hover(button);
    image = Grab(button);
    EXPECT_EQ(image.pixelColor(3 + 8, 20), QColor(Qt::red));

    button.SetAlign(IconButton::AlignHorizRight);
    image = Grab(button);
    EXPECT_EQ(image.pixelColor(120 - 3 - 8, 20), QColor(Qt::red));
    button.SetAlign(IconButton::AlignVert);
    image = Grab(button);
    EXPECT_EQ(image.pixelColor(60, 3 + 8), QColor(Qt::red));

    // The only icon shows in every state.
    button.SetIcon(hoverIcon);
    Unhover(button);
    EXPECT_EQ(Grab(button).pixelColor(60, 3 + 8), QColor(Qt::red));
}

// ---- SkinButton -------------------------------------------------------------------------

TEST(SkinButton, CheckBoxTogglesOnClickAndOnSpaceAndDrawsItsGlyph) {
    QWidget window;
    window.resize(200, 60);
    SkinButton box(&window);
    box.setText(QStringLiteral("Erase after download"));
    box.ApplyStyle(SkinButton::kStyleAutoCheckBox);
    box.setGeometry(5, 5, 180, 24);
    ASSERT_EQ(box.GetKind(), SkinButton::CheckBox);
    ASSERT_TRUE(ShowActive(window));
    QSignalSpy clicks(&box, &QAbstractButton::clicked);

    const QImage unchecked = Grab(box);
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_TRUE(box.GetCheck());
    EXPECT_EQ(clicks.size(), 1);
    const QImage checked = Grab(box);
    const QRect glyph(2, (24 - 13) / 2, 13, 13);
    EXPECT_NE(unchecked.copy(glyph), checked.copy(glyph));

    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_FALSE(box.GetCheck());
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_TRUE(box.GetCheck());
    EXPECT_EQ(clicks.size(), 3) << "one click notice per space press";

    // A press dragged off the button and released outside changes nothing.
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(300, 10));
    EXPECT_TRUE(box.GetCheck());
}

TEST(SkinButton, PushButtonsNeverCheckAndStyleBitsChooseTheKind) {
    EXPECT_EQ(SkinButton::KindFromStyle(0x0), SkinButton::Push);
    EXPECT_EQ(SkinButton::KindFromStyle(0x1), SkinButton::Push);
    EXPECT_EQ(SkinButton::KindFromStyle(0x3), SkinButton::CheckBox);
    EXPECT_EQ(SkinButton::KindFromStyle(0x1003), SkinButton::CheckBox);
    EXPECT_EQ(SkinButton::KindFromStyle(0x9), SkinButton::Radio);
    EXPECT_EQ(SkinButton::KindFromStyle(0x6), SkinButton::Push);

    QWidget window;
    SkinButton push(QStringLiteral("OK"), SkinButton::Push, &window);
    push.resize(80, 24);
    window.show();
    push.SetCheck(true);
    QTest::mouseClick(&push, Qt::LeftButton);
    push.setFocus();
    QTest::keyClick(&push, Qt::Key_Space);
    EXPECT_FALSE(push.GetCheck());
}

TEST(SkinButton, CheckingOneRadioUnchecksTheOthersOfItsGroupOnly) {
    QWidget window;
    window.resize(400, 200);
    SkinButton a(QStringLiteral("HbA1c"), SkinButton::Radio, &window);
    SkinButton b(QStringLiteral("Glucose"), SkinButton::Radio, &window);
    SkinButton c(QStringLiteral("Both"), SkinButton::Radio, &window);
    SkinButton otherGroup(QStringLiteral("mg/dL"), SkinButton::Radio, &window);
    otherGroup.SetGroup(1);
    QWidget elsewhere(&window);
    SkinButton otherParent(QStringLiteral("%"), SkinButton::Radio, &elsewhere);
    int y = 0;
    for (SkinButton* radio : {&a, &b, &c, &otherGroup}) {
        radio->setGeometry(0, y, 120, 24);
        y += 30;
    }
    window.show();

    a.SetCheck(true);
    otherGroup.SetCheck(true);
    otherParent.SetCheck(true);
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_FALSE(a.GetCheck());
    EXPECT_TRUE(b.GetCheck());
    EXPECT_FALSE(c.GetCheck());
    EXPECT_TRUE(otherGroup.GetCheck());
    EXPECT_TRUE(otherParent.GetCheck());

    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_TRUE(b.GetCheck()) << "clicking a checked radio keeps it checked";

    c.setFocus();
    QTest::keyClick(&c, Qt::Key_Space);
    EXPECT_TRUE(c.GetCheck());
    EXPECT_FALSE(b.GetCheck());

    a.setChecked(true);
    EXPECT_FALSE(c.GetCheck()) << "checking through the plain Qt call unchecks too";
}

TEST(SkinButton, StateChoiceAndPerStateColours) {
    QWidget window;
    window.resize(200, 100);
    SkinButton button(QStringLiteral("Go"), SkinButton::CheckBox, &window);
    button.SetPushLike(true);
    button.setGeometry(0, 0, 80, 30);
    button.SetBkColor(SkinButton::Normal, Qt::red);
    button.SetBkColor(SkinButton::Hover, Qt::green);
    button.SetBkColor(SkinButton::Pressed, Qt::blue);
    button.SetBkColor(SkinButton::Disabled, Qt::gray);
    button.setFocusPolicy(Qt::NoFocus);
    window.show();

    auto face = [&] { return Grab(button).pixelColor(4, 4); };
    EXPECT_EQ(button.CurrentState(), SkinButton::Normal);
    EXPECT_EQ(face(), QColor(Qt::red));
    Hover(button);
    EXPECT_EQ(button.CurrentState(), SkinButton::Hover);
    EXPECT_EQ(face(), QColor(Qt::green));
    button.SetCheck(true);
    EXPECT_EQ(button.CurrentState(), SkinButton::Pressed) << "checked looks pressed";
    EXPECT_EQ(face(), QColor(Qt::blue));
    button.setEnabled(false);
    EXPECT_EQ(button.CurrentState(), SkinButton::Disabled);
    EXPECT_EQ(face(), QColor(Qt::gray));

    button.setEnabled(true);
    button.SetCheck(false);
    Unhover(button);
    button.SetBkColor(SkinButton::AllStates, Qt::white);
    EXPECT_EQ(face(), QColor(Qt::white));
}

TEST(SkinButton, DisabledShowsGreyEmbossedTextAndTheInactiveGlyph) {
    QWidget window;
    SkinButton box(QStringLiteral("Erase"), SkinButton::CheckBox, &window);
    box.setFont(CrispFont(18));
    box.setGeometry(0, 0, 120, 28);
    box.SetCheck(true);
    window.show();

    const QImage enabled = Grab(box);
    box.setEnabled(false);
    const QImage disabled = Grab(box);

    const QRect textArea(2 + 13 + 4, 0, 120 - 19, 28);
    const QColor face = test::Sys(SysColor::BtnFace);
    EXPECT_EQ(CountPixels(disabled, textArea, test::Sys(SysColor::BtnText)), 0);
    // Exactly two ink colours besides the face: a grey and a lighter copy one pixel
    // down-right.
    QList<QRgb> inks;
    for (int y = textArea.top(); y <= textArea.bottom(); ++y) {
        for (int x = textArea.left(); x < textArea.right(); ++x) {
            const QRgb pixel = disabled.pixel(x, y);
            if (pixel != face.rgb() && !inks.contains(pixel)) {
                inks << pixel;
            }
        }
    }
    ASSERT_EQ(inks.size(), 2);
    const QColor first(inks[0]);
    const QColor second(inks[1]);
    const QColor dark = first.lightness() < second.lightness() ? first : second;
    const QColor lit = first.lightness() < second.lightness() ? second : first;
    EXPECT_EQ(dark.red(), dark.green());
    EXPECT_EQ(dark.green(), dark.blue());
    EXPECT_GT(dark.lightness(), 60) << "grey, not black";
    const QImage text = disabled.copy(textArea);
    EXPECT_EQ(BoundsOf(text, lit), BoundsOf(text, dark).translated(1, 1));

    const QRect glyph(2, (28 - 13) / 2, 13, 13);
    EXPECT_NE(enabled.copy(glyph), disabled.copy(glyph));
}

TEST(SkinButton, FocusColouringChangesEachChannelByItsPercentageWithinRange) {
    QWidget window;
    window.resize(100, 60);
    SkinButton button(QStringLiteral(""), SkinButton::Push, &window);
    button.setGeometry(0, 0, 60, 30);
    button.SetBkColor(SkinButton::AllStates, QColor(100, 200, 100));
    button.SetFocusColorPercent(50, 50, -150);
    button.SetDrawFocusRect(false);
    QWidget elsewhere(&window);
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.setGeometry(70, 0, 20, 20);
    ASSERT_TRUE(ShowActive(window));
    elsewhere.setFocus();
    EXPECT_EQ(Grab(button).pixelColor(10, 10), QColor(100, 200, 100));
    button.setFocus();
    ASSERT_TRUE(button.hasFocus());
    EXPECT_EQ(Grab(button).pixelColor(10, 10), QColor(150, 255, 0));
}

TEST(SkinButton, RegionFromBitmapKeepsRunsOfNeitherTransparentColour) {
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    for (int y = 5; y < 8; ++y) {
        for (int x = 2; x < 6; ++x) {
            image.setPixelColor(x, y, Qt::black);
        }
    }
    image.setPixelColor(8, 0, Qt::white);
    image.setPixelColor(9, 0, Qt::cyan);
    image.setPixelColor(4, 6, Qt::cyan);

    const QRegion region = SkinButton::RegionFromBitmap(image, Qt::magenta, Qt::cyan);
    QRegion expected = QRegion(2, 5, 4, 3) - QRegion(4, 6, 1, 1);
    expected += QRect(8, 0, 1, 1);
    EXPECT_EQ(region, expected);
    EXPECT_TRUE(SkinButton::RegionFromBitmap(image, Qt::magenta, QColor()).contains(QPoint(9, 0)));

    QWidget window;
    SkinButton button(QStringLiteral("Skin"), SkinButton::Push, &window);
    button.setGeometry(0, 0, 20, 20);
    button.SetSkin(SkinButton::AllStates, image, Qt::magenta, Qt::cyan);
    window.show();
    QApplication::processEvents();
    EXPECT_TRUE(button.mask().contains(QPoint(5, 11)));
    EXPECT_FALSE(button.mask().contains(QPoint(0, 0)));
}

TEST(SkinButton, HoverAndPressSoundsPlayThroughThePlayer) {
    QStringList played;
    const auto previous =
        SkinButton::SetSoundPlayer([&](const QString& sound) { played << sound; });
    QWidget window;
    SkinButton button(QStringLiteral("Beep"), SkinButton::Push, &window);
    button.resize(80, 24);
    window.show();

    Hover(button);
    Unhover(button);
    EXPECT_TRUE(played.isEmpty()) << "no sound set";

    button.SetSounds(QStringLiteral("/sounds/hover.wav"), QStringLiteral(":/press.wav"));
    Hover(button);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(played, QStringList({"/sounds/hover.wav", ":/press.wav"}));

    Unhover(button);
    button.setEnabled(false);
    Hover(button);
    EXPECT_EQ(played.size(), 2) << "a disabled button stays silent";
    SkinButton::SetSoundPlayer(previous);
}

} // namespace
} // namespace qa
