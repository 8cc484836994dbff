#include "text_progress_ctrl.h"

#include "sys_colors.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace qa {

TextProgressCtrl::TextProgressCtrl(QWidget* parent) : QWidget(parent) {
    m_barColor = GetSysColor(SysColor::Highlight);
    m_bkColor = GetSysColor(SysColor::BtnFace);
    m_textColor = GetSysColor(SysColor::Highlight);
    m_textBarColor = GetSysColor(SysColor::Window);
}

void TextProgressCtrl::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    if (m_lower < m_upper) {
        m_pos = std::clamp(m_pos, m_lower, m_upper);
    }
    update();
}

int TextProgressCtrl::SetPos(int pos) {
    const int old = m_pos;
    m_pos = m_lower < m_upper ? std::clamp(pos, m_lower, m_upper) : pos;
    if (m_pos != old) {
        update();
    }
    return old;
}

int TextProgressCtrl::OffsetPos(int delta) {
    return SetPos(m_pos + delta);
}

int TextProgressCtrl::SetStep(int step) {
    const int old = m_step;
    m_step = step;
    return old;
}

int TextProgressCtrl::StepIt() {
    return SetPos(m_pos + m_step);
}

void TextProgressCtrl::SetShowText(bool show) {
    m_showText = show;
    update();
}

void TextProgressCtrl::SetWindowText(const QString& text) {
    const QString value = text.isNull() ? QString(QLatin1String("")) : text;
    if (value == m_text) {
        return;
    }
    m_text = value;
    update();
}

void TextProgressCtrl::SetBarColor(const QColor& color) {
    m_barColor = color;
    update();
}

void TextProgressCtrl::SetBkColor(const QColor& color) {
    m_bkColor = color;
    update();
}

void TextProgressCtrl::SetTextColor(const QColor& color) {
    m_textColor = color;
    update();
}

void TextProgressCtrl::SetTextBkColor(const QColor& color) {
    m_textBarColor = color;
    update();
}

double TextProgressCtrl::fraction() const {
    return static_cast<double>(m_pos - m_lower) / static_cast<double>(m_upper - m_lower);
}

QString TextProgressCtrl::DisplayText() const {
    if (m_lower >= m_upper || !m_showText) {
        return {};
    }
    const int percent = static_cast<int>(std::trunc(fraction() * 100.0));
    if (m_text.isEmpty()) {
        return QStringLiteral("%1%").arg(percent);
    }
    return QStringLiteral("%1  %2%").arg(m_text).arg(percent);
}

int TextProgressCtrl::BarWidth() const {
    if (m_lower >= m_upper) {
        return 0;
    }
    return static_cast<int>(std::trunc(width() * fraction()));
}

QSize TextProgressCtrl::sizeHint() const {
    return {200, fontMetrics().height() + 6};
}

void TextProgressCtrl::paintEvent(QPaintEvent*) {
    if (m_lower >= m_upper) {
        return;
    }
    QPainter painter(this);
    const QRect area = rect();
    const QRect bar(area.left(), area.top(), BarWidth(), area.height());
    const QRect rest(bar.right() + 1, area.top(), area.width() - bar.width(), area.height());
    painter.fillRect(bar, m_barColor);
    painter.fillRect(rest, m_bkColor);

    const QString label = DisplayText();
    if (label.isEmpty()) {
        return;
    }
    constexpr int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.save();
    painter.setClipRect(bar);
    painter.setPen(m_textBarColor);
    painter.drawText(area, flags, label);
    painter.restore();
    painter.setClipRect(rest);
    painter.setPen(m_textColor);
    painter.drawText(area, flags, label);
}

} // namespace qa
