#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace qa {

// A progress bar that prints its percentage (after an optional text) centred over itself, in
// one colour over the bar and another beside it.
class TextProgressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit TextProgressCtrl(QWidget* parent = nullptr);

    void SetRange(int lower, int upper);
    int GetLower() const { return m_lower; }
    int GetUpper() const { return m_upper; }
    // The position stays within the range (when the range is not empty); returns the old one.
    int SetPos(int pos);
    int GetPos() const { return m_pos; }
    int OffsetPos(int delta);
    int SetStep(int step);
    int StepIt();

    void SetShowText(bool show);
    bool GetShowText() const { return m_showText; }
    // A null text counts as empty; repaints only when the text changed.
    void SetWindowText(const QString& text);
    QString GetWindowText() const { return m_text; }

    void SetBarColor(const QColor& color);
    void SetBkColor(const QColor& color);
    // Text beside the bar, over the background.
    void SetTextColor(const QColor& color);
    // Text over the bar.
    void SetTextBkColor(const QColor& color);
    QColor GetBarColor() const { return m_barColor; }
    QColor GetBkColor() const { return m_bkColor; }
    QColor GetTextColor() const { return m_textColor; }
    QColor GetTextBkColor() const { return m_textBarColor; }

    // The text as painted ("37%" or "<text>  37%"); empty when nothing is painted.
    QString DisplayText() const;
    // Width of the bar in pixels for the current size.
    int BarWidth() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double fraction() const;

    int m_pos = 0;
    int m_step = 1;
    int m_lower = 0;
    int m_upper = 100;
    QString m_text;
    bool m_showText = true;
    QColor m_barColor;
    QColor m_bkColor;
    QColor m_textColor;
    QColor m_textBarColor;
};

} // namespace qa
