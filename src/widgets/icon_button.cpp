#include "widgets/icon_button.h"

#include "widgets/hidpi_pixmap.h"
#include "widgets/sys_colors.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace qa {

namespace {

IconButton::LinkOpener& linkOpener() {
    static IconButton::LinkOpener opener = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };
    return opener;
}

constexpr int kIconGap = 3;
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

} // namespace

IconButton::IconButton(QWidget* parent) : QPushButton(parent) {
    setMouseTracking(true);
    repeatTimer_.setTimerType(Qt::PreciseTimer);
    connect(&repeatTimer_, &QTimer::timeout, this, &IconButton::onRepeatTimer);
    connect(this, &QAbstractButton::clicked, this, &IconButton::onClicked);
}

void IconButton::SetIcon(const QPixmap& hoverIcon, const QPixmap& normalIcon) {
    hoverIcon_ = hoverIcon;
    normalIcon_ = normalIcon;
    updateGeometry();
    repaint();
}

void IconButton::SetIcon(const QString& hoverPath, const QString& normalPath) {
    SetIcon(LoadPixmap(hoverPath), normalPath.isEmpty() ? QPixmap() : LoadPixmap(normalPath));
}

void IconButton::SetAlign(int align) {
    if (align < AlignHoriz || align > AlignHorizRight) {
        return;
    }
    align_ = align;
    updateGeometry();
    update();
}

void IconButton::SetFlat(bool flat, bool redraw) {
    flat_ = flat;
    if (!flat) {
        hovering_ = false;
    }
    if (redraw) {
        update();
    }
}

void IconButton::DrawBorder(bool enable, bool redraw) {
    drawBorder_ = enable;
    if (redraw) {
        update();
    }
}

void IconButton::DrawFlatFocus(bool enable, bool redraw) {
    flatFocus_ = enable;
    if (redraw) {
        update();
    }
}

void IconButton::SetCheckBoxMode(bool enable) {
    setCheckable(enable);
    update();
}

void IconButton::SetCheck(bool checked, bool redraw) {
    if (!isCheckable()) {
        return;
    }
    setChecked(checked);
    if (redraw) {
        update();
    }
}

void IconButton::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void IconButton::SetColor(ColorIndex index, const QColor& color, bool redraw) {
    if (index < ColorBkIn || index > ColorFgOut) {
        return;
    }
    colors_[index] = color;
    if (redraw) {
        update();
    }
}

QColor IconButton::GetColor(ColorIndex index) const {
    if (index < ColorBkIn || index > ColorFgOut) {
        return {};
    }
    if (colors_[index]) {
        return *colors_[index];
    }
    const bool background = index == ColorBkIn || index == ColorBkOut;
    return GetSysColor(background ? SysColor::BtnFace : SysColor::BtnText);
}

void IconButton::SetDefaultColors(bool redraw) {
    for (auto& color : colors_) {
        color.reset();
    }
    if (redraw) {
        update();
    }
}

void IconButton::SetBtnCursor(const QCursor& cursor) {
    setCursor(cursor);
}

void IconButton::ClearBtnCursor() {
    unsetCursor();
}

void IconButton::SetURL(const QString& url) {
    url_ = url;
}

IconButton::LinkOpener IconButton::SetLinkOpener(LinkOpener opener) {
    LinkOpener previous = std::move(linkOpener());
    linkOpener() = std::move(opener);
    return previous;
}

void IconButton::SetToolTipText(const QString& text, bool activate) {
    if (text.isNull()) {
        return;
    }
    tipText_ = text;
    ActivateToolTip(activate);
}

void IconButton::ActivateToolTip(bool activate) {
    tipActive_ = activate;
    setToolTip(activate ? tipText_ : QString());
}

void IconButton::SetAutoRepeat(bool enable, int periodMs) {
    autoRepeat_ = enable;
    repeatPeriod_ = periodMs > 0 ? periodMs : 1;
}

QSize IconButton::sizeHint() const {
    const QSize textSize =
        text().isEmpty() ? QSize(0, 0) : fontMetrics().size(Qt::TextShowMnemonic, text());
    const QPixmap icon = hoverIcon_.isNull() ? normalIcon_ : hoverIcon_;
    const QSize iconSize = icon.isNull() ? QSize(0, 0) : icon.deviceIndependentSize().toSize();
    int width = textSize.width();
    int height = textSize.height();
    if (!icon.isNull()) {
        if (align_ == AlignVert) {
            width = std::max(width, iconSize.width());
            height += iconSize.height() + kIconGap;
        } else {
            width += iconSize.width() + kIconGap;
            height = std::max(height, iconSize.height());
        }
    }
    return {width + 2 * (kIconGap + 6), height + 2 * (kIconGap + 3)};
}

QSize IconButton::minimumSizeHint() const {
    return sizeHint();
}

void IconButton::OnDrawBackground(QPainter& painter, const QRect& rect, bool hovering,
                                  bool pressed) {
    painter.fillRect(rect, GetColor(hovering || pressed ? ColorBkIn : ColorBkOut));
}

void IconButton::OnDrawBorder(QPainter& painter, const QRect& rect, bool pressed) {
    const QColor light = GetSysColor(SysColor::BtnHighlight);
    const QColor dark = GetSysColor(SysColor::BtnShadow);
    const QColor topLeft = pressed ? dark : light;
    const QColor bottomRight = pressed ? light : dark;
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect rect = this->rect();
    const bool pressed = isDown() || (isCheckable() && isChecked());
    const bool focused = hasFocus();
    const bool hovering = hovering_;

    if (!flat_ && (focused || isDefault())) {
        painter.setPen(Qt::black);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        rect.adjust(1, 1, -1, -1);
    }

    // A transparent button paints nothing under itself: the parent's background shows
    // through, which is what the copied parent background achieved.
    if (!transparent_) {
        OnDrawBackground(painter, rect, hovering, pressed);
    }

    if (pressed && !flat_) {
        painter.setPen(GetSysColor(SysColor::BtnShadow));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    } else if (pressed && drawBorder_) {
        OnDrawBorder(painter, rect, true);
    } else if (!pressed && !flat_) {
        const QRect inner = rect.adjusted(1, 1, -1, -1);
        painter.setPen(GetSysColor(SysColor::BtnHighlight));
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(GetSysColor(SysColor::Light3D));
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
        painter.setPen(GetSysColor(SysColor::DkShadow3D));
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
        painter.setPen(GetSysColor(SysColor::BtnShadow));
        painter.drawLine(inner.bottomLeft(), inner.bottomRight());
        painter.drawLine(inner.topRight(), inner.bottomRight());
    } else if (!pressed && hovering && drawBorder_) {
        OnDrawBorder(painter, rect, false);
    }

    drawIconAndText(painter, rect, hovering, pressed);

    if (focused && (!flat_ || flatFocus_)) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect.adjusted(3, 3, -3, -3);
        option.backgroundColor = GetColor(hovering || pressed ? ColorBkIn : ColorBkOut);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

QPixmap IconButton::currentIcon(bool hovering, bool pressed) const {
    if (normalIcon_.isNull() || hovering || pressed) {
        return hoverIcon_.isNull() ? normalIcon_ : hoverIcon_;
    }
    return normalIcon_;
}

void IconButton::drawIconAndText(QPainter& painter, const QRect& rect, bool hovering,
                                 bool pressed) {
    const bool shift = pressed && !isCheckable();
    const bool disabled = !isEnabled();
    const QString label = text();
    const bool hasText = !label.isEmpty();
    QRect textRect = rect;

    QPixmap icon = currentIcon(hovering, pressed);
    if (!icon.isNull()) {
        const QSize size = icon.deviceIndependentSize().toSize();
        QPoint at;
        switch (align_) {
        case AlignVert:
            at.setX(rect.left() + (rect.width() - size.width()) / 2);
            if (hasText) {
                at.setY(rect.top() + kIconGap);
                textRect.setTop(at.y() + size.height());
            } else {
                at.setY(rect.top() + (rect.height() - size.height()) / 2);
            }
            break;
        case AlignHorizRight:
            at.setY(rect.top() + (rect.height() - size.height()) / 2);
            if (hasText) {
                at.setX(rect.right() - kIconGap - size.width() + 1);
                textRect.setRight(at.x() - 1);
            } else {
                at.setX(rect.left() + (rect.width() - size.width()) / 2);
            }
            break;
        default:
            at.setY(rect.top() + (rect.height() - size.height()) / 2);
            if (hasText) {
                at.setX(rect.left() + kIconGap);
                textRect.setLeft(at.x() + size.width() + kIconGap);
            } else {
                at.setX(rect.left() + (rect.width() - size.width()) / 2);
            }
            break;
        }
        if (shift) {
            at += QPoint(1, 1);
        }
        if (disabled) {
            QStyleOption option;
            option.initFrom(this);
            icon = style()->generatedIconPixmap(QIcon::Disabled, icon, &option);
        }
        painter.drawPixmap(at, icon);
    }

    if (!hasText) {
        return;
    }
    if (shift) {
        textRect.translate(1, 1);
    }
    painter.setFont(font());
    if (disabled) {
        // Embossed: a lit copy one pixel down-right under the shadowed text.
        painter.setPen(GetSysColor(SysColor::BtnHighlight));
        painter.drawText(textRect.translated(1, 1), kTextFlags, label);
        painter.setPen(GetSysColor(SysColor::BtnShadow));
        painter.drawText(textRect, kTextFlags, label);
    } else {
        painter.setPen(GetColor(hovering || pressed ? ColorFgIn : ColorFgOut));
        painter.drawText(textRect, kTextFlags, label);
    }
}

void IconButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    const bool leftDown = QApplication::mouseButtons() & Qt::LeftButton;
    if (flat_ && !hovering_ && !leftDown && isEnabled() && isActiveWindow()) {
        hovering_ = true;
        update();
    }
}

void IconButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    leaveHover();
}

void IconButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    const bool inside = rect().contains(event->position().toPoint());
    const bool leftDown = event->buttons() & Qt::LeftButton;
    if (!flat_) {
        return;
    }
    if (hovering_ && !inside) {
        leaveHover();
    } else if (!hovering_ && inside && !leftDown && isEnabled() && isActiveWindow()) {
        hovering_ = true;
        update();
    }
}

void IconButton::mousePressEvent(QMouseEvent* event) {
    QPushButton::mousePressEvent(event);
    if (!autoRepeat_ || event->button() != Qt::LeftButton || !isDown()) {
        return;
    }
    repeating_ = true;
    repeatCount_ = 0;
    onRepeatTimer();
    repeatTimer_.start(repeatPeriod_);
}

void IconButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!repeating_ || event->button() != Qt::LeftButton) {
        QPushButton::mouseReleaseEvent(event);
        return;
    }
    repeatTimer_.stop();
    // An even number of clicks per press, so a pair of repeated toggles cancels out.
    if (repeatCount_ % 2 != 0) {
        onRepeatTimer();
    }
    repeating_ = false;
    setDown(false);
    emit released();
    if (!rect().contains(event->position().toPoint())) {
        leaveHover();
    }
}

void IconButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void IconButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    if (flat_) {
        leaveHover();
    }
}

void IconButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if ((event->type() == QEvent::ActivationChange && !isActiveWindow()) ||
        (event->type() == QEvent::EnabledChange && !isEnabled())) {
        leaveHover();
    }
}

void IconButton::leaveHover() {
    if (hovering_) {
        hovering_ = false;
        update();
    }
}

void IconButton::onRepeatTimer() {
    ++repeatCount_;
    emit clicked(isChecked());
}

void IconButton::onClicked() {
    // Repeated clicks neither toggle nor open the link again.
    if (repeating_ || isCheckable() || url_.isEmpty()) {
        return;
    }
    if (linkOpener()) {
        linkOpener()(QUrl::fromUserInput(url_));
    }
}

} // namespace qa
