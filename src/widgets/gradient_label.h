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
    QColor GetBkColor() const { return background_; }
    QColor GetGradientEndColor() const { return gradientEnd_; }
    int GetGradientMode() const { return mode_; }

    void SetTextColor(const QColor& color, bool redraw = true);
    QColor GetTextColor() const { return textColor_; }

    // Face, height in pixels (0 keeps the current size) and weight on the 100-900 scale (0
    // keeps the current weight).
    void SetFont(const QString& face, int height, int weight, bool redraw = true);
    void SetFont(const QFont& font, bool redraw = true);
    QFont GetFont() const { return font_; }

    void SetTransparent(bool transparent);
    void SetWordWrap(bool wrap);
    bool GetWordWrap() const { return wordWrap_; }
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

    QColor textColor_;
    QColor background_;
    QColor gradientEnd_;
    int mode_ = GradientNone;
    bool transparent_ = false;
    bool wordWrap_ = true;
    bool shrinkToFit_ = false;
    QFont font_;
    QPixmap backgroundBitmap_;
};

} // namespace qa
