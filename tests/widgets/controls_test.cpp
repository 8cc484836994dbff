#include "render_helpers.h"
#include "widgets/gradient_label.h"
#include "widgets/palette_dib.h"
#include "widgets/shade_button.h"
#include "widgets/sys_colors.h"
#include "widgets/text_progress_ctrl.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace qa {
namespace {

using test::BoundsOf;
using test::CountPixels;
using test::CountPixelsWhere;
using test::CrispFont;
using test::Grab;
using test::Near;

// ---- GradientLabel ---------------------------------------------------------------------

TEST(GradientLabel, VerticalGradientRunsFromStartAtTheTopToEndAtTheBottom) {
    GradientLabel label;
    label.resize(100, 60);
    const QColor start(255, 255, 255);
    const QColor end(123, 104, 238);
    label.SetBkColor(start, end, GradientLabel::GradientVertical);

    const QImage image = Grab(label);
    for (int x : {0, 50, 99}) {
        EXPECT_TRUE(Near(image.pixelColor(x, 0), start, 1)) << x;
        EXPECT_TRUE(Near(image.pixelColor(x, 59), end, 1)) << x;
    }
    const QColor middle = image.pixelColor(50, 30);
    EXPECT_TRUE(Near(middle, QColor(189, 179, 246), 4)) << middle.name().toStdString();
    for (int y = 1; y < 60; ++y) {
        EXPECT_LE(image.pixelColor(50, y).red(), image.pixelColor(50, y - 1).red());
    }
}

TEST(GradientLabel, HorizontalGradientAndSolidBackground) {
    GradientLabel label;
    label.resize(80, 20);
    label.SetBkColor(Qt::black, Qt::white, GradientLabel::GradientHorizontal);
    QImage image = Grab(label);
    EXPECT_TRUE(Near(image.pixelColor(0, 10), Qt::black, 1));
    EXPECT_TRUE(Near(image.pixelColor(79, 10), Qt::white, 1));
    EXPECT_EQ(image.pixelColor(40, 0), image.pixelColor(40, 19));

    label.SetBkColor(QColor(10, 20, 30));
    image = Grab(label);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(10, 20, 30));
    EXPECT_EQ(image.pixelColor(79, 19), QColor(10, 20, 30));
    EXPECT_EQ(label.GetGradientEndColor(), QColor(10, 20, 30)) << "end defaults to background";
}

TEST(GradientLabel, WordWrapBreaksAtBlanksThenInsideLongWordsAndAtLineBreaks) {
    GradientLabel label;
    label.SetFont(CrispFont(14));
    const QFontMetrics metrics(label.GetFont());
    label.resize(metrics.horizontalAdvance(QStringLiteral("alpha beta")) + 2, 200);

    label.setText(QStringLiteral("alpha beta gamma"));
    EXPECT_EQ(label.LaidOutLines(), QStringList({"alpha beta", "gamma"}));

    label.setText(QStringLiteral("one\ntwo three"));
    EXPECT_EQ(label.LaidOutLines(), QStringList({"one", "two three"}));

    const QString word = QStringLiteral("abcdefghijklmnopqrstuvwxyzabcdefghijklmnop");
    label.setText(word);
    const QStringList pieces = label.LaidOutLines();
    EXPECT_GT(pieces.size(), 1);
    EXPECT_EQ(pieces.join(QString()), word);
    for (const QString& piece : pieces) {
        EXPECT_LE(metrics.horizontalAdvance(piece), label.width());
    }

    label.SetWordWrap(false);
    label.setText(QStringLiteral("alpha beta gamma\nsecond"));
    EXPECT_EQ(label.LaidOutLines(), QStringList({"alpha beta gamma", "second"}));
}

TEST(GradientLabel, AlignmentPlacesLinesAndShrinkToFitMakesTheTextFit) {
    GradientLabel label;
    label.SetFont(CrispFont(14));
    label.SetTextColor(Qt::black);
    label.SetBkColor(Qt::white);
    label.resize(200, 40);
    label.setText(QStringLiteral("Ready"));

    label.setAlignment(Qt::AlignRight | Qt::AlignTop);
    QRect ink = BoundsOf(Grab(label), Qt::black);
    EXPECT_GE(ink.right(), 195);
    EXPECT_LT(ink.top(), 8);

    label.setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    ink = BoundsOf(Grab(label), Qt::black);
    EXPECT_NEAR(ink.center().x(), 100, 3);
    EXPECT_NEAR(ink.center().y(), 20, 4);

    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.setText(QStringLiteral("one\ntwo\nthree\nfour"));
    label.SetShrinkToFit(true);
    Grab(label);
    const QFont shrunk = label.GetFont();
    EXPECT_LT(shrunk.pixelSize(), 14);
    EXPECT_LE(QFontMetrics(shrunk).height() * 4, 40);
}

TEST(GradientLabel, TransparentLabelAndBackgroundBitmap) {
    GradientLabel label;
    label.resize(40, 20);
    label.SetTransparent(true);
    QImage target(40, 20, QImage::Format_RGB32);
    target.fill(Qt::cyan);
    label.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(CountPixels(target, target.rect(), Qt::cyan), 40 * 20);

    QPixmap bitmap(2, 2);
    bitmap.fill(Qt::darkGreen);
    label.SetBackgroundBitmap(bitmap);
    const QImage image = Grab(label);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::darkGreen));
    EXPECT_EQ(image.pixelColor(39, 19), QColor(Qt::darkGreen));
}

// ---- TextProgressCtrl ------------------------------------------------------------------

TEST(TextProgressCtrl, TextIsInTheBarTextColourOverTheBarAndTheOtherColourBeside) {
    TextProgressCtrl progress;
    progress.setFont(CrispFont(16));
    progress.resize(300, 24);
    const QColor bar(0, 0, 200), background(220, 220, 220);
    const QColor textOverBar(255, 255, 0), textBeside(200, 0, 0);
    progress.SetBarColor(bar);
    progress.SetBkColor(background);
    progress.SetTextBkColor(textOverBar);
    progress.SetTextColor(textBeside);
    progress.SetWindowText(QStringLiteral("Downloading records"));
    progress.SetPos(37);

    EXPECT_EQ(progress.DisplayText(), QStringLiteral("Downloading records  37%"));
    EXPECT_EQ(progress.BarWidth(), 111);
    const QImage image = Grab(progress);
    const QRect barArea(0, 0, 111, 24), rest(111, 0, 189, 24);
    EXPECT_GT(CountPixels(image, barArea, textOverBar), 10);
    EXPECT_GT(CountPixels(image, rest, textBeside), 10);
    EXPECT_EQ(CountPixelsWhere(image, barArea,
                               [&](const QColor& c) { return c != bar && c != textOverBar; }),
              0);
    EXPECT_EQ(CountPixelsWhere(image, rest,
                               [&](const QColor& c) { return c != background && c != textBeside; }),
              0);
}

TEST(TextProgressCtrl, NothingIsPaintedWhenLowerReachesUpper) {
    TextProgressCtrl progress;
    progress.resize(100, 20);
    progress.SetPos(50);
    auto render = [&] {
        QImage target(100, 20, QImage::Format_RGB32);
        target.fill(Qt::magenta);
        progress.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
        return target;
    };
    EXPECT_LT(CountPixels(render(), QRect(0, 0, 100, 20), Qt::magenta), 2000);

    progress.SetRange(40, 40);
    EXPECT_EQ(CountPixels(render(), QRect(0, 0, 100, 20), Qt::magenta), 2000);
    EXPECT_TRUE(progress.DisplayText().isEmpty());
    progress.SetRange(50, 10);
    EXPECT_EQ(CountPixels(render(), QRect(0, 0, 100, 20), Qt::magenta), 2000);
}

TEST(TextProgressCtrl, PositionStaysInRangeAndPercentIsTruncated) {
    TextProgressCtrl progress;
    progress.resize(90, 20);
    progress.SetRange(0, 3);
    EXPECT_EQ(progress.SetPos(2), 0);
    EXPECT_EQ(progress.DisplayText(), QStringLiteral("66%"));
    EXPECT_EQ(progress.BarWidth(), 60);
    progress.SetPos(10);
    EXPECT_EQ(progress.GetPos(), 3);
    progress.SetPos(-5);
    EXPECT_EQ(progress.GetPos(), 0);
    progress.SetRange(-10, 10);
    progress.SetStep(5);
    progress.StepIt();
    EXPECT_EQ(progress.GetPos(), 5);
    EXPECT_EQ(progress.DisplayText(), QStringLiteral("75%"));

    progress.SetWindowText(QStringLiteral("x"));
    progress.SetWindowText(QString());
    EXPECT_EQ(progress.DisplayText(), QStringLiteral("75%")) << "a null text counts as empty";
    progress.SetShowText(false);
    EXPECT_TRUE(progress.DisplayText().isEmpty());
}

// ---- PaletteDib ------------------------------------------------------------------------

TEST(PaletteDib, DepthIsRoundedAndRowsArePaddedToFourBytes) {
    PaletteDib dib;
    ASSERT_TRUE(dib.Create(3, 2, 2));
    EXPECT_EQ(dib.BitCount(), 4);
    EXPECT_EQ(dib.PaletteSize(), 16);
    EXPECT_EQ(dib.Stride(), 4);

    ASSERT_TRUE(dib.Create(33, 5, 1));
    EXPECT_EQ(dib.BitCount(), 1);
    EXPECT_EQ(dib.PaletteSize(), 2);
    EXPECT_EQ(dib.Stride(), 8);
    EXPECT_EQ(dib.ImageSize(), 40);

    ASSERT_TRUE(dib.Create(5, 1, 16));
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.PaletteSize(), 0);
    EXPECT_EQ(dib.Stride(), 16);

    ASSERT_TRUE(dib.Create(7, 3, 8));
    EXPECT_EQ(dib.Stride(), 8);
    EXPECT_EQ(dib.PaletteSize(), 256);

    EXPECT_FALSE(dib.Create(0, 5, 8));
    EXPECT_FALSE(dib.IsValid());
    EXPECT_FALSE(dib.Create(5, -1, 8));
    EXPECT_FALSE(dib.Create(100000, 100000, 24));
}

TEST(PaletteDib, PixelsPackByDepthRowsAreBottomUpAndOutsideWritesAreIgnored) {
    for (int bits : {1, 4, 8, 24}) {
        PaletteDib dib;
        ASSERT_TRUE(dib.Create(9, 3, bits));
        const int top = bits == 1 ? 1 : 5;
        dib.SetPixel(0, 0, top);
        dib.SetPixel(8, 2, 1);
        dib.SetPixel(7, 2, 0);
        dib.SetPixel(-1, 0, 1);
        dib.SetPixel(9, 0, 1);
        dib.SetPixel(0, 3, 1);
        EXPECT_EQ(dib.PixelIndex(0, 0), top) << bits;
        EXPECT_EQ(dib.PixelIndex(8, 2), 1) << bits;
        EXPECT_EQ(dib.PixelIndex(1, 0), 0) << bits;
        EXPECT_EQ(dib.PixelIndex(9, 0), -1);
        // The top row is stored last.
        const std::uint8_t* lastRow = dib.Bits() + 2 * dib.Stride();
        EXPECT_NE(lastRow[0], 0) << bits;
    }

    PaletteDib dib;
    ASSERT_TRUE(dib.Create(4, 2, 4));
    dib.Fill(9);
    EXPECT_EQ(dib.PixelIndex(3, 1), 9);
    dib.SetPaletteEntry(9, 1, 2, 3);
    dib.SetPaletteEntry(16, 9, 9, 9);
    EXPECT_EQ(dib.ToImage().pixel(2, 1), qRgb(1, 2, 3));

    PaletteDib copy;
    ASSERT_TRUE(copy.CopyFrom(dib));
    copy.SetPixel(0, 0, 1);
    EXPECT_EQ(dib.PixelIndex(0, 0), 9) << "a copy is independent";
}

TEST(PaletteDib, BlendMovesEveryEntryTowardTheColourByAtMostAllTheWay) {
    PaletteDib dib;
    ASSERT_TRUE(dib.Create(1, 1, 1));
    dib.SetPaletteEntry(0, 0, 0, 0);
    dib.SetPaletteEntry(1, 100, 100, 100);
    dib.BlendPalette(QColor(200, 100, 50), 25);
    EXPECT_EQ(dib.PaletteEntry(0), qRgb(50, 25, 12));
    EXPECT_EQ(dib.PaletteEntry(1), qRgb(125, 100, 87));
    dib.BlendPalette(QColor(1, 2, 3), 250);
    EXPECT_EQ(dib.PaletteEntry(0), qRgb(1, 2, 3));
    dib.BlendPalette(QColor(255, 255, 255), -20);
    EXPECT_EQ(dib.PaletteEntry(1), qRgb(1, 2, 3));
}

// ---- ShadeButton -----------------------------------------------------------------------

TEST(ShadeButton, SoftBumpFollowsItsFormula) {
    // Rows count from the bottom: (75, 29) of a 100 x 40 face is 10 rows up.
    EXPECT_EQ(ShadeButton::ShadeValue(6, 75, 29, 100, 40, 0), 96);
    EXPECT_EQ(ShadeButton::ShadeValue(6, 75, 29, 100, 40, 8), 98);
    EXPECT_EQ(ShadeButton::ShadeValue(6, 50, 19, 100, 40, 8), 128);
    EXPECT_EQ(ShadeButton::ShadeValue(6, 0, 0, 100, 40, 8), 247) << "clamped to 255 - g";
    EXPECT_EQ(ShadeButton::ShadeValue(6, 99, 39, 100, 40, 8), 8) << "clamped to g";

    ShadeButton button;
    button.resize(100, 40);
    button.SetShade(ShadeButton::EffectSoftBump, 0, 10);
    const PaletteDib& face = button.FaceTexture();
    ASSERT_EQ(face.Width(), 100);
    ASSERT_EQ(face.Height(), 40);
    EXPECT_EQ(face.BitCount(), 8);
    const int index = face.PixelIndex(75, 29);
    EXPECT_TRUE(index == 96 || index == 97) << index;

    button.SetShade(ShadeButton::EffectSoftBump, 8, 10);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 100; ++x) {
            const int v = button.FaceTexture().PixelIndex(x, y);
            const int base = ShadeButton::ShadeValue(6, x, y, 100, 40, 8);
            ASSERT_LE(std::abs(v - base), 8) << x << "," << y;
        }
    }
}

TEST(ShadeButton, PaletteRampsFromShadowThroughFaceToHighlightAndHoverIsLighter) {
    ShadeButton button;
    button.resize(60, 24);
    button.SetShade(ShadeButton::EffectSoftBump, 8, 40);
    const PaletteDib& face = button.FaceTexture();
    EXPECT_EQ(QColor(face.PaletteEntry(0)), test::Sys(SysColor::BtnShadow));
    EXPECT_EQ(QColor(face.PaletteEntry(128)), test::Sys(SysColor::BtnFace));
    EXPECT_EQ(QColor(face.PaletteEntry(255)), test::Sys(SysColor::BtnHighlight));

    const QColor light = test::Sys(SysColor::BtnHighlight);
    const QColor base(face.PaletteEntry(0));
    EXPECT_EQ(QColor(button.HoverTexture().PaletteEntry(0)),
              QColor((light.red() * 40 + base.red() * 60) / 100,
                     (light.green() * 40 + base.green() * 60) / 100,
                     (light.blue() * 40 + base.blue() * 60) / 100));

    button.SetShade(ShadeButton::EffectSoftBump, 8, 10, 50, QColor(255, 0, 0));
    EXPECT_GT(qRed(button.FaceTexture().PaletteEntry(128)),
              qGreen(button.FaceTexture().PaletteEntry(128)))
        << "colouring tints the face";

    button.resize(80, 30);
    EXPECT_EQ(button.FaceTexture().Width(), 80) << "textures follow the size";
    EXPECT_EQ(button.HoverTexture().Height(), 30);
}

TEST(ShadeButton, EveryEffectBuildsAFaceAndPlainNoiseStaysAroundTheFaceColour) {
    ShadeButton button;
    button.resize(60, 30);
    for (int effect : {0, 1, 2, 3, 4, 5, 7, 8, 42}) {
        button.SetShade(effect, 16, 10);
        ASSERT_TRUE(button.FaceTexture().IsValid()) << effect;
    }
    button.SetShade(0, 16, 10);
    for (int x = 0; x < 60; ++x) {
        EXPECT_NEAR(button.FaceTexture().PixelIndex(x, 3), 128, 16);
    }
}

TEST(ShadeButton, HoverAndPressDrawTheLighterTexture) {
    QWidget window;
    window.resize(200, 100);
    ShadeButton button(&window);
    button.setGeometry(0, 0, 80, 30);
    button.SetShade(ShadeButton::EffectSoftBump, 8, 60);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);

    const QImage normal = Grab(button);
    EXPECT_EQ(normal.pixel(20, 15),
              button.FaceTexture().PaletteEntry(button.FaceTexture().PixelIndex(20, 15)));
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(&button, &enter);
    ASSERT_TRUE(button.IsHovering());
    const QImage hovered = Grab(button);
    EXPECT_EQ(hovered.pixel(20, 15),
              button.HoverTexture().PaletteEntry(button.HoverTexture().PixelIndex(20, 15)));
    button.setDown(true);
    const QImage pressed = Grab(button);
    EXPECT_EQ(pressed.pixel(20, 15),
              button.HoverTexture().PaletteEntry(button.HoverTexture().PixelIndex(19, 14)))
        << "pressed shifts the texture by one pixel";
}

} // namespace
} // namespace qa
