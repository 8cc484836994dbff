#include "gradient_label.h"

#include "sys_colors.h"

#include <QLinearGradient>
#include <QPainter>

namespace qa {

GradientLabel::GradientLabel(QWidget* parent) : GradientLabel(QString(), parent) {}

GradientLabel::GradientLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    m_textColor = GetSysColor(SysColor::WindowText);
    m_background = GetSysColor(SysColor::BtnFace);
    m_gradientEnd = m_background;
    m_font = font();
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QLabel::setWordWrap(true);
}

void GradientLabel::SetBkColor(const QColor& background, const QColor& gradientEnd,
                               int gradientMode) {
    m_background = background;
    m_gradientEnd = gradientEnd.isValid() ? gradientEnd : background;
    m_mode = gradientMode;
    update();
}

void GradientLabel::SetTextColor(const QColor& color, bool redraw) {
    m_textColor = color;
    if (redraw) {
        update();
    }
}

void GradientLabel::SetFont(const QString& face, int height, int weight, bool redraw) {
    QFont requested = m_font;
    if (!face.isEmpty()) {
        requested.setFamily(face);
    }
    if (height > 0) {
        requested.setPixelSize(height);
    }
    if (weight > 0) {
        requested.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    }
    SetFont(requested, redraw);
}

void GradientLabel::SetFont(const QFont& font, bool redraw) {
    m_font = font;
    setFont(font);
    if (redraw) {
        update();
    }
}

void GradientLabel::SetTransparent(bool transparent) {
    m_transparent = transparent;
    update();
}

void GradientLabel::SetWordWrap(bool wrap) {
    m_wordWrap = wrap;
    QLabel::setWordWrap(wrap);
    update();
}

void GradientLabel::SetShrinkToFit(bool shrink) {
    m_shrinkToFit = shrink;
    update();
}

bool GradientLabel::LoadBackgroundBitmap(const QString& path) {
    QPixmap bitmap(path);
    if (bitmap.isNull()) {
        return false;
    }
    SetBackgroundBitmap(bitmap);
    return true;
}

void GradientLabel::SetBackgroundBitmap(const QPixmap& bitmap) {
    m_backgroundBitmap = bitmap;
    update();
}

QStringList GradientLabel::LaidOutLines() const {
    return layoutLines(QFontMetrics(m_font), contentsRect().width());
}

QStringList GradientLabel::layoutLines(const QFontMetrics& metrics, int width) const {
    QStringList lines;
    const QStringList paragraphs = text().split(QLatin1Char('\n'));
    for (QString paragraph : paragraphs) {
        if (paragraph.endsWith(QLatin1Char('\r'))) {
            paragraph.chop(1);
        }
        if (!m_wordWrap) {
            lines << paragraph;
            continue;
        }
        QString rest = paragraph;
        while (metrics.horizontalAdvance(rest) > width && rest.size() > 1) {
            // The longest prefix that fits, at least one character so a narrow label
            // still makes progress.
            int fit = 1;
            while (fit < rest.size() && metrics.horizontalAdvance(rest.left(fit + 1)) <= width) {
                ++fit;
            }
            const int blank = rest.left(fit + 1).lastIndexOf(QLatin1Char(' '));
            if (blank > 0) {
                lines << rest.left(blank);
                rest = rest.mid(blank + 1);
            } else {
                lines << rest.left(fit);
                rest = rest.mid(fit);
            }
        }
        lines << rest;
    }
    return lines;
}

void GradientLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();

    if (!m_backgroundBitmap.isNull()) {
        painter.drawPixmap(area, m_backgroundBitmap);
    } else if (!m_transparent) {
        if (m_mode == GradientNone) {
            painter.fillRect(area, m_background);
        } else {
            // Pixel centres of the first and last row (or column) carry the exact start and
            // end colours.
            QLinearGradient gradient;
            if (m_mode == GradientHorizontal) {
                gradient = QLinearGradient(area.left() + 0.5, 0, area.right() + 0.5, 0);
            } else {
                gradient = QLinearGradient(0, area.top() + 0.5, 0, area.bottom() + 0.5);
            }
            gradient.setColorAt(0, m_background);
            gradient.setColorAt(1, m_gradientEnd);
            painter.fillRect(area, gradient);
        }
    }

    const QRect textArea = contentsRect();
    QStringList lines = layoutLines(QFontMetrics(m_font), textArea.width());
    if (m_shrinkToFit) {
        while (QFontMetrics(m_font).height() * lines.size() > textArea.height()) {
            QFont smaller = m_font;
            if (smaller.pixelSize() > 0) {
                if (smaller.pixelSize() <= 1) {
                    break;
                }
                smaller.setPixelSize(smaller.pixelSize() - 1);
            } else {
                if (smaller.pointSizeF() <= 1) {
                    break;
                }
                smaller.setPointSizeF(smaller.pointSizeF() - 1);
            }
            m_font = smaller;
            lines = layoutLines(QFontMetrics(m_font), textArea.width());
        }
    }

    const QFontMetrics metrics(m_font);
    const int lineHeight = metrics.height();
    int top = textArea.top();
    if (alignment() & Qt::AlignVCenter) {
        top += (textArea.height() - lineHeight * static_cast<int>(lines.size())) / 2;
    }
    int flags = Qt::AlignTop | Qt::TextSingleLine;
    if (alignment() & Qt::AlignHCenter) {
        flags |= Qt::AlignHCenter;
    } else if (alignment() & Qt::AlignRight) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    painter.setFont(m_font);
    painter.setPen(m_textColor);
    for (int i = 0; i < lines.size(); ++i) {
        const QRect lineRect(textArea.left(), top + i * lineHeight, textArea.width(), lineHeight);
        painter.drawText(lineRect, flags, lines[i]);
    }
}

} // namespace qa
