#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>

namespace qa {

// A static text over a solid colour, a two-colour gradient or a stretched background image.
// Alignment comes from QLabel::alignment(): horizontal per line, vertical centring of the
// whole block with Qt::AlignVCenter.
class GradientLabel : public QLabel {
    Q_OBJECT
public:
    enum GradientMode { GradientNone = 0, GradientHorizontal = 1, GradientVertical = 2 };

    explicit GradientLabel(QWidget* parent = nullptr);
    explicit GradientLabel(const QString& text, QWidget* parent = nullptr);

    // The background colour is also where the gradient starts (top or left edge); an invalid
    // end colour means the background colour.
    void SetBkColor(const QColor& background, const QColor& gradientEnd = QColor(),
                    int gradientMode = GradientNone);
    QColor GetBkColor() const { return m_background; }
    QColor GetGradientEndColor() const { return m_gradientEnd; }
    int GetGradientMode() const { return m_mode; }

    void SetTextColor(const QColor& color, bool redraw = true);
    QColor GetTextColor() const { return m_textColor; }

    // Face, height in pixels (0 keeps the current size) and weight on the 100-900 scale (0
    // keeps the current weight).
    void SetFont(const QString& face, int height, int weight, bool redraw = true);
    void SetFont(const QFont& font, bool redraw = true);
    QFont GetFont() const { return m_font; }

    void SetTransparent(bool transparent);
    void SetWordWrap(bool wrap);
    bool GetWordWrap() const { return m_wordWrap; }
    // A text taller than the label makes the font smaller until it fits.
    void SetShrinkToFit(bool shrink);

    bool LoadBackgroundBitmap(const QString& path);
    void SetBackgroundBitmap(const QPixmap& bitmap);

    // Lines as painted with the current font and width.
    QStringList LaidOutLines() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList layoutLines(const QFontMetrics& metrics, int width) const;

    QColor m_textColor;
    QColor m_background;
    QColor m_gradientEnd;
    int m_mode = GradientNone;
    bool m_transparent = false;
    bool m_wordWrap = true;
    bool m_shrinkToFit = false;
    QFont m_font;
    QPixmap m_backgroundBitmap;
};

} // namespace qa
