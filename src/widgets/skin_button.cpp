#include "widgets/skin_button.h"

#include "widgets/sys_colors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

#include <algorithm>

#ifdef QA_HAVE_QT_MULTIMEDIA
#include <QSoundEffect>
#include <QUrl>
#endif

namespace qa {

namespace {

constexpr int kGlyphSize = 13;
constexpr int kGlyphGap = 4;

void playWithDevice([[maybe_unused]] const QString& sound) {
#ifdef QA_HAVE_QT_MULTIMEDIA
    auto* effect = new QSoundEffect(qApp);
    effect->setSource(sound.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + sound)
                                                         : QUrl::fromLocalFile(sound));
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying()) {
            effect->deleteLater();
        }
    });
    effect->play();
#endif
}

SkinButton::SoundPlayer& soundPlayer() {
    static SkinButton::SoundPlayer player = playWithDevice;
    return player;
}

QColor adjustedChannels(const QColor& color, const int percent[3]) {
    auto channel = [](int value, int p) {
        return std::clamp(static_cast<int>(value + value * p * 0.01), 0, 255);
    };
    return QColor(channel(color.red(), percent[0]), channel(color.green(), percent[1]),
                  channel(color.blue(), percent[2]));
}

QColor lightened(const QColor& color) {
    auto up = [](int c) { return c + (255 - c) * 7 / 10; };
    return QColor(up(color.red()), up(color.green()), up(color.blue()));
}

QColor darkened(const QColor& color) {
    auto down = [](int c) { return c * 7 / 10; };
    return QColor(down(color.red()), down(color.green()), down(color.blue()));
}

} // namespace

SkinButton::SkinButton(QWidget* parent) : QAbstractButton(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on && kind_ == Radio) {
            uncheckGroup();
        }
        update();
    });
    setDefaultOffsets();
}

SkinButton::SkinButton(const QString& text, Kind kind, QWidget* parent) : SkinButton(parent) {
    setText(text);
    SetKind(kind);
}

SkinButton::Kind SkinButton::KindFromStyle(quint32 style) {
    if ((style & kStyleAutoCheckBox) == kStyleAutoCheckBox) {
        return CheckBox;
    }
    if ((style & kStyleAutoRadio) == kStyleAutoRadio) {
        return Radio;
    }
    return Push;
}

void SkinButton::ApplyStyle(quint32 style) {
    pushLike_ = style & kStylePushLike;
    textLeft_ = style & kStyleLeftText;
    SetKind(KindFromStyle(style));
}

void SkinButton::SetKind(Kind kind) {
    kind_ = kind;
    setCheckable(kind != Push);
    if (kind == Push) {
        setChecked(false);
    }
    setDefaultOffsets();
    updateGeometry();
    update();
}

void SkinButton::SetPushLike(bool pushLike) {
    pushLike_ = pushLike;
    setDefaultOffsets();
    update();
}

void SkinButton::SetTextLeft(bool textLeft) {
    textLeft_ = textLeft;
    update();
}

void SkinButton::setDefaultOffsets() {
    const bool pushing = kind_ == Push || pushLike_;
    for (State state : {Normal, Pressed, Hover, Disabled}) {
        StateLook& look = looks_[index(state)];
        if (!pushing) {
            look.offset = OffsetNone;
        } else {
            look.offset = state == Pressed ? OffsetDownRight : OffsetUpLeft;
        }
    }
}

void SkinButton::SetCheck(bool checked) {
    if (kind_ == Push) {
        return;
    }
    setChecked(checked);
}

void SkinButton::Uncheck() {
    if (kind_ == Radio && isChecked()) {
        setChecked(false);
    }
}

void SkinButton::uncheckGroup() {
    QWidget* parent = parentWidget();
    if (!parent) {
        return;
    }
    const auto siblings = parent->findChildren<SkinButton*>(Qt::FindDirectChildrenOnly);
    for (SkinButton* sibling : siblings) {
        if (sibling != this && sibling->group_ == group_) {
            sibling->Uncheck();
        }
    }
}

void SkinButton::toggleByUser() {
    if (kind_ == CheckBox) {
        SetCheck(!isChecked());
    } else if (kind_ == Radio) {
        SetCheck(true);
    }
}

void SkinButton::nextCheckState() {
    toggleByUser();
}

SkinButton::State SkinButton::CurrentState() const {
    if (!isEnabled()) {
        return Disabled;
    }
    if (isDown() || isChecked()) {
        return Pressed;
    }
    if (hovering_) {
        return Hover;
    }
    return Normal;
}

template <typename F> void SkinButton::forStates(int state, F&& apply) {
    for (State each : {Normal, Pressed, Hover, Disabled}) {
        if (state == AllStates || state == each) {
            apply(looks_[index(each)]);
        }
    }
    update();
}

void SkinButton::SetBkColor(int state, const QColor& color) {
    forStates(state, [&](StateLook& look) { look.background = color; });
}

void SkinButton::SetTextColor(int state, const QColor& color) {
    forStates(state, [&](StateLook& look) { look.textColor = color; });
}

void SkinButton::SetStateText(int state, const QString& text) {
    forStates(state, [&](StateLook& look) { look.text = text; });
}

void SkinButton::SetFontFace(int state, const QString& face) {
    forStates(state, [&](StateLook& look) { look.fontFace = face; });
}

void SkinButton::SetFontHeight(int state, int pixelHeight) {
    forStates(state, [&](StateLook& look) { look.fontHeight = std::max(0, pixelHeight); });
}

void SkinButton::SetFontStyle(int state, int styleBits) {
    forStates(state, [&](StateLook& look) { look.fontStyle = styleBits; });
}

void SkinButton::SetTextOffset(int state, TextOffset mode) {
    forStates(state, [&](StateLook& look) { look.offset = mode; });
}

void SkinButton::EnableTextOffset(int state, bool enable) {
    forStates(state, [&](StateLook& look) { look.offsetEnabled = enable; });
}

void SkinButton::SetBorder(int state, int width, const QColor& outerTopLeft,
                           const QColor& outerBottomRight, const QColor& innerTopLeft,
                           const QColor& innerBottomRight) {
    forStates(state, [&](StateLook& look) {
        look.borderWidth = std::clamp(width, 0, 2);
        look.border = {outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight};
    });
}

void SkinButton::SetBitmap(int state, const QPixmap& bitmap) {
    forStates(state, [&](StateLook& look) { look.bitmap = bitmap; });
}

void SkinButton::SetRegion(int state, const QRegion& region) {
    forStates(state, [&](StateLook& look) { look.region = region; });
    regionState_.reset();
    applyRegion();
}

void SkinButton::SetSkin(int state, const QImage& source, const QColor& transparent1,
                         const QColor& transparent2) {
    forStates(state, [&](StateLook& look) {
        look.skinSource = source;
        look.skinTransparent1 = transparent1;
        look.skinTransparent2 = transparent2;
        rebuildSkin(look);
    });
    regionState_.reset();
    applyRegion();
}

void SkinButton::rebuildSkin(StateLook& look) {
    if (look.skinSource.isNull() || width() <= 0 || height() <= 0) {
        return;
    }
    // Stretched without smoothing so the transparent colours stay exact.
    const QImage scaled =
        look.skinSource.scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    look.skin = QPixmap::fromImage(scaled);
    look.region = RegionFromBitmap(scaled, look.skinTransparent1, look.skinTransparent2);
}

void SkinButton::SetParentBackground(const QPixmap& parentBackground) {
    parentBackground_ = parentBackground;
    update();
}

QColor SkinButton::GetBkColor(State state) const {
    const auto& look = looks_[index(state)];
    return look.background.value_or(GetSysColor(SysColor::BtnFace));
}

QColor SkinButton::GetTextColor(State state) const {
    const auto& look = looks_[index(state)];
    if (look.textColor) {
        return *look.textColor;
    }
    return GetSysColor(state == Disabled ? SysColor::GrayText : SysColor::BtnText);
}

QString SkinButton::GetStateText(State state) const {
    return looks_[index(state)].text.value_or(text());
}

QFont SkinButton::GetStateFont(State state) const {
    const auto& look = looks_[index(state)];
    QFont result = font();
    if (!look.fontFace.isEmpty()) {
        result.setFamily(look.fontFace);
    }
    if (look.fontHeight > 0) {
        result.setPixelSize(look.fontHeight);
    }
    if (look.fontStyle & FontBold) {
        result.setBold(true);
    }
    if (look.fontStyle & FontItalic) {
        result.setItalic(true);
    }
    if (look.fontStyle & FontUnderline) {
        result.setUnderline(true);
    }
    if (look.fontStyle & FontStrikeOut) {
        result.setStrikeOut(true);
    }
    return result;
}

SkinButton::TextOffset SkinButton::GetTextOffset(State state) const {
    return looks_[index(state)].offset;
}

QRegion SkinButton::GetRegion(State state) const {
    return looks_[index(state)].region;
}

void SkinButton::SetFillBackground(bool enable) {
    fillBackground_ = enable;
    update();
}

void SkinButton::SetDrawText(bool enable) {
    drawText_ = enable;
    update();
}

void SkinButton::SetDrawBorder(bool enable) {
    drawBorder_ = enable;
    update();
}

void SkinButton::SetDrawFocusRect(bool enable) {
    drawFocusRect_ = enable;
    update();
}

void SkinButton::SetFocusColoring(bool enable) {
    focusColoring_ = enable;
    update();
}

void SkinButton::SetFocusColorPercent(int red, int green, int blue) {
    focusPercent_[0] = red;
    focusPercent_[1] = green;
    focusPercent_[2] = blue;
    update();
}

void SkinButton::SetDrawGlyph(bool enable) {
    drawGlyph_ = enable;
    update();
}

void SkinButton::SetSounds(const QString& hoverSound, const QString& pressSound) {
    hoverSound_ = hoverSound;
    pressSound_ = pressSound;
}

SkinButton::SoundPlayer SkinButton::SetSoundPlayer(SoundPlayer player) {
    SoundPlayer previous = std::move(soundPlayer());
    soundPlayer() = std::move(player);
    return previous;
}

void SkinButton::playSound(const QString& sound) const {
    if (!sound.isEmpty() && soundPlayer()) {
        soundPlayer()(sound);
    }
}

void SkinButton::SetToolTipText(const QString& text) {
    setToolTip(text);
}

QRegion SkinButton::RegionFromBitmap(const QImage& image, const QColor& transparent1,
                                     const QColor& transparent2) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key1 = transparent1.isValid() ? transparent1.rgb() & RGB_MASK : 0;
    const QRgb key2 = transparent2.isValid() ? transparent2.rgb() & RGB_MASK : 0;
    auto isTransparent = [&](QRgb pixel) {
        // Fully transparent pixels of an image with alpha count as cut out too.
        if (qAlpha(pixel) == 0) {
            return true;
        }
        const QRgb rgb = pixel & RGB_MASK;
        return (transparent1.isValid() && rgb == key1) || (transparent2.isValid() && rgb == key2);
    };
    QRegion region;
    for (int y = argb.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        int x = 0;
        while (x < argb.width()) {
            while (x < argb.width() && isTransparent(row[x])) {
                ++x;
            }
            const int start = x;
            while (x < argb.width() && !isTransparent(row[x])) {
                ++x;
            }
            if (x > start) {
                region += QRect(start, y, x - start, 1);
            }
        }
    }
    return region;
}

QSize SkinButton::sizeHint() const {
    const QFontMetrics metrics(GetStateFont(Normal));
    QSize size = metrics.size(Qt::TextShowMnemonic, text());
    size += QSize(16, 10);
    if (kind_ != Push && !pushLike_ && drawGlyph_) {
        size.rwidth() += kGlyphSize + kGlyphGap;
        size.setHeight(std::max(size.height(), kGlyphSize + 4));
    }
    return size;
}

bool SkinButton::event(QEvent* event) {
    const bool result = QAbstractButton::event(event);
    if (event->type() != QEvent::Paint && event->type() != QEvent::Destroy) {
        applyRegion();
    }
    return result;
}

void SkinButton::applyRegion() {
    const State state = CurrentState();
    if (regionState_ == state) {
        return;
    }
    regionState_ = state;
    const QRegion& region = looks_[index(state)].region;
    if (region.isEmpty()) {
        clearMask();
    } else {
        setMask(region);
    }
}

void SkinButton::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    for (StateLook& look : looks_) {
        rebuildSkin(look);
    }
    regionState_.reset();
    applyRegion();
}

QRect SkinButton::glyphRect() const {
    const int top = (height() - kGlyphSize) / 2;
    const int left = textLeft_ ? width() - kGlyphSize - 2 : 2;
    return {left, top, kGlyphSize, kGlyphSize};
}

QRect SkinButton::textRect() const {
    if (kind_ != Push && !pushLike_ && drawGlyph_) {
        const QRect glyph = glyphRect();
        return textLeft_ ? QRect(2, 0, glyph.left() - kGlyphGap - 2, height())
                         : QRect(glyph.right() + 1 + kGlyphGap, 0,
                                 width() - glyph.right() - 1 - kGlyphGap, height());
    }
    int border = 0;
    for (const StateLook& look : looks_) {
        border = std::max(border, look.borderWidth);
    }
    return rect().adjusted(border, border, -border, -border);
}

void SkinButton::paintEvent(QPaintEvent*) {
    const State state = CurrentState();
    if (regionState_ != state) {
        // The shape follows the look; changing it from inside a paint would recurse.
        QMetaObject::invokeMethod(
            this, [this] { applyRegion(); }, Qt::QueuedConnection);
    }
    QPainter painter(this);
    const StateLook& look = looks_[index(state)];
    if (!parentBackground_.isNull()) {
        painter.drawPixmap(rect(), parentBackground_, geometry());
    }
    if (!look.skin.isNull()) {
        painter.drawPixmap(0, 0, look.skin);
    } else if (fillBackground_) {
        OnFillBackground(painter, state);
    }
    OnDrawBitmap(painter, state);
    if (drawText_) {
        OnDrawText(painter, state);
    }
    if (drawBorder_ && look.region.isEmpty() && (kind_ == Push || pushLike_)) {
        OnDrawBorder(painter, state);
    }
    if (hasFocus() && drawFocusRect_) {
        OnDrawFocus(painter, state);
    }
}

void SkinButton::OnFillBackground(QPainter& painter, State state) {
    QColor color = GetBkColor(state);
    if (hasFocus() && focusColoring_) {
        color = adjustedChannels(color, focusPercent_);
    }
    painter.fillRect(rect(), color);
}

void SkinButton::OnDrawBorder(QPainter& painter, State state) {
    const StateLook& look = looks_[index(state)];
    const QColor face = GetSysColor(SysColor::BtnFace);
    const QColor frame = GetSysColor(SysColor::InactiveBorder);
    const QColor defaults[4] = {frame, frame, face, face};
    auto colour = [&](int i) { return look.border[i].value_or(defaults[i]); };
    auto draw3dRect = [&](const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    if (look.borderWidth >= 1) {
        draw3dRect(rect(), colour(0), colour(1));
    }
    if (look.borderWidth >= 2) {
        draw3dRect(rect().adjusted(1, 1, -1, -1), colour(2), colour(3));
    }
}

void SkinButton::OnDrawBitmap(QPainter& painter, State state) {
    const QPixmap& bitmap = looks_[index(state)].bitmap;
    if (bitmap.isNull()) {
        return;
    }
    const QSize size = bitmap.deviceIndependentSize().toSize();
    painter.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, bitmap);
}

void SkinButton::OnDrawText(QPainter& painter, State state) {
    const StateLook& look = looks_[index(state)];
    const bool glyph = kind_ != Push && !pushLike_ && drawGlyph_;
    if (glyph) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = glyphRect();
        option.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_MouseOver |
                          QStyle::State_Sunken | QStyle::State_HasFocus);
        option.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
        if (state == Disabled) {
            option.state &= ~QStyle::State_Enabled;
        }
        style()->drawPrimitive(kind_ == Radio ? QStyle::PE_IndicatorRadioButton
                                              : QStyle::PE_IndicatorCheckBox,
                               &option, &painter, this);
    }

    const QString label = GetStateText(state);
    if (label.isEmpty()) {
        return;
    }
    QRect area = textRect();
    if (look.offsetEnabled) {
        if (look.offset == OffsetUpLeft) {
            area.translate(-1, -1);
        } else if (look.offset == OffsetDownRight) {
            area.translate(1, 1);
        }
    }
    const int flags = Qt::TextShowMnemonic | Qt::AlignVCenter |
                      (glyph ? (textLeft_ ? Qt::AlignRight : Qt::AlignLeft) : Qt::AlignHCenter);
    painter.setFont(GetStateFont(state));
    const QColor colour = GetTextColor(state);
    if (state == Disabled) {
        painter.setPen(lightened(colour));
        painter.drawText(area.translated(1, 1), flags, label);
        painter.setPen(darkened(colour));
    } else {
        painter.setPen(colour);
    }
    painter.drawText(area, flags, label);
}

void SkinButton::OnDrawFocus(QPainter& painter, State state) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(3, 3, -3, -3);
    option.backgroundColor = GetBkColor(state);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void SkinButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    if (!hovering_) {
        hovering_ = true;
        if (isEnabled()) {
            playSound(hoverSound_);
        }
        update();
    }
}

void SkinButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    if (hovering_) {
        hovering_ = false;
        update();
    }
}

void SkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        playSound(pressSound_);
    }
    QAbstractButton::mousePressEvent(event);
}

void SkinButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void SkinButton::keyPressEvent(QKeyEvent* event) {
    // Check boxes and radios change on the key going down, and say so at once.
    if (event->key() == Qt::Key_Space && kind_ != Push && !event->isAutoRepeat() &&
        event->modifiers() == Qt::NoModifier) {
        toggleByUser();
        emit clicked(isChecked());
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void SkinButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && kind_ != Push) {
        event->accept();
        return;
    }
    QAbstractButton::keyReleaseEvent(event);
}

} // namespace qa
