#include "widgets/gradient_label.h"

#include "widgets/sys_colors.h"

#include <QLinearGradient>
#include <QPainter>

namespace qa {

GradientLabel::GradientLabel(QWidget* parent) : GradientLabel(QString(), parent) {}

GradientLabel::GradientLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    textColor_ = GetSysColor(SysColor::WindowText);
    background_ = GetSysColor(SysColor::BtnFace);
    gradientEnd_ = background_;
    font_ = font();
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QLabel::setWordWrap(true);
}

void GradientLabel::SetBkColor(const QColor& background, const QColor& gradientEnd,
                               int gradientMode) {
    background_ = background;
    gradientEnd_ = gradientEnd.isValid() ? gradientEnd : background;
    mode_ = gradientMode;
    update();
}

void GradientLabel::SetTextColor(const QColor& color, bool redraw) {
    textColor_ = color;
    if (redraw) {
        update();
    }
}

void GradientLabel::SetFont(const QString& face, int height, int weight, bool redraw) {
    QFont requested = font_;
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
    font_ = font;
    setFont(font);
    if (redraw) {
        update();
    }
}

void GradientLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void GradientLabel::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    QLabel::setWordWrap(wrap);
    update();
}

void GradientLabel::SetShrinkToFit(bool shrink) {
    shrinkToFit_ = shrink;
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
    backgroundBitmap_ = bitmap;
    update();
}

QStringList GradientLabel::LaidOutLines() const {
    return layoutLines(QFontMetrics(font_), contentsRect().width());
}

QStringList GradientLabel::layoutLines(const QFontMetrics& metrics, int width) const {
    QStringList lines;
    const QStringList paragraphs = text().split(QLatin1Char('\n'));
    for (QString paragraph : paragraphs) {
        if (paragraph.endsWith(QLatin1Char('\r'))) {
            paragraph.chop(1);
        }
        if (!wordWrap_) {
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

    if (!backgroundBitmap_.isNull()) {
        painter.drawPixmap(area, backgroundBitmap_);
    } else if (!transparent_) {
        if (mode_ == GradientNone) {
            painter.fillRect(area, background_);
        } else {
            // Pixel centres of the first and last row (or column) carry the exact start and
            // end colours.
            QLinearGradient gradient;
            if (mode_ == GradientHorizontal) {
                gradient = QLinearGradient(area.left() + 0.5, 0, area.right() + 0.5, 0);
            } else {
                gradient = QLinearGradient(0, area.top() + 0.5, 0, area.bottom() + 0.5);
            }
            gradient.setColorAt(0, background_);
            gradient.setColorAt(1, gradientEnd_);
            painter.fillRect(area, gradient);
        }
    }

    const QRect textArea = contentsRect();
    QStringList lines = layoutLines(QFontMetrics(font_), textArea.width());
    if (shrinkToFit_) {
        while (QFontMetrics(font_).height() * lines.size() > textArea.height()) {
            QFont smaller = font_;
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
            font_ = smaller;
            lines = layoutLines(QFontMetrics(font_), textArea.width());
        }
    }

    const QFontMetrics metrics(font_);
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
    painter.setFont(font_);
    painter.setPen(textColor_);
    for (int i = 0; i < lines.size(); ++i) {
        const QRect lineRect(textArea.left(), top + i * lineHeight, textArea.width(), lineHeight);
        painter.drawText(lineRect, flags, lines[i]);
    }
}

} // namespace qa
