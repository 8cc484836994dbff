#include "widgets/text_progress_ctrl.h"

#include "widgets/sys_colors.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace qa {

TextProgressCtrl::TextProgressCtrl(QWidget* parent) : QWidget(parent) {
    barColor_ = GetSysColor(SysColor::Highlight);
    bkColor_ = GetSysColor(SysColor::BtnFace);
    textColor_ = GetSysColor(SysColor::Highlight);
    textBarColor_ = GetSysColor(SysColor::Window);
}

void TextProgressCtrl::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    if (lower_ < upper_) {
        pos_ = std::clamp(pos_, lower_, upper_);
    }
    update();
}

int TextProgressCtrl::SetPos(int pos) {
    const int old = pos_;
    pos_ = lower_ < upper_ ? std::clamp(pos, lower_, upper_) : pos;
    if (pos_ != old) {
        update();
    }
    return old;
}

int TextProgressCtrl::OffsetPos(int delta) {
    return SetPos(pos_ + delta);
}

int TextProgressCtrl::SetStep(int step) {
    const int old = step_;
    step_ = step;
    return old;
}

int TextProgressCtrl::StepIt() {
    return SetPos(pos_ + step_);
}

void TextProgressCtrl::SetShowText(bool show) {
    showText_ = show;
    update();
}

void TextProgressCtrl::SetWindowText(const QString& text) {
    const QString value = text.isNull() ? QString(QLatin1String("")) : text;
    if (value == text_) {
        return;
    }
    text_ = value;
    update();
}

void TextProgressCtrl::SetBarColor(const QColor& color) {
    barColor_ = color;
    update();
}

void TextProgressCtrl::SetBkColor(const QColor& color) {
    bkColor_ = color;
    update();
}

void TextProgressCtrl::SetTextColor(const QColor& color) {
    textColor_ = color;
    update();
}

void TextProgressCtrl::SetTextBkColor(const QColor& color) {
    textBarColor_ = color;
    update();
}

double TextProgressCtrl::fraction() const {
    return static_cast<double>(pos_ - lower_) / static_cast<double>(upper_ - lower_);
}

QString TextProgressCtrl::DisplayText() const {
    if (lower_ >= upper_ || !showText_) {
        return {};
    }
    const int percent = static_cast<int>(std::trunc(fraction() * 100.0));
    if (text_.isEmpty()) {
        return QStringLiteral("%1%").arg(percent);
    }
    return QStringLiteral("%1  %2%").arg(text_).arg(percent);
}

int TextProgressCtrl::BarWidth() const {
    if (lower_ >= upper_) {
        return 0;
    }
    return static_cast<int>(std::trunc(width() * fraction()));
}

QSize TextProgressCtrl::sizeHint() const {
    return {200, fontMetrics().height() + 6};
}

void TextProgressCtrl::paintEvent(QPaintEvent*) {
    if (lower_ >= upper_) {
        return;
    }
    QPainter painter(this);
    const QRect area = rect();
    const QRect bar(area.left(), area.top(), BarWidth(), area.height());
    const QRect rest(bar.right() + 1, area.top(), area.width() - bar.width(), area.height());
    painter.fillRect(bar, barColor_);
    painter.fillRect(rest, bkColor_);

    const QString label = DisplayText();
    if (label.isEmpty()) {
        return;
    }
    constexpr int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.save();
    painter.setClipRect(bar);
    painter.setPen(textBarColor_);
    painter.drawText(area, flags, label);
    painter.restore();
    painter.setClipRect(rest);
    painter.setPen(textColor_);
    painter.drawText(area, flags, label);
}

} // namespace qa
