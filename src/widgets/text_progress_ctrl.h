#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace qa {

// Part of the widget set the program was designed with; no window of this program shows it
// at present. It is kept, with its tests, for the pages that will.
//
// A progress bar that prints its percentage (after an optional text) centred over itself, in
// one colour over the bar and another beside it.
class TextProgressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit TextProgressCtrl(QWidget* parent = nullptr);

    void SetRange(int lower, int upper);
    int GetLower() const { return lower_; }
    int GetUpper() const { return upper_; }
    // The position stays within the range (when the range is not empty); returns the old one.
    int SetPos(int pos);
    int GetPos() const { return pos_; }
    int OffsetPos(int delta);
    int SetStep(int step);
    int StepIt();

    void SetShowText(bool show);
    bool GetShowText() const { return showText_; }
    // A null text counts as empty; repaints only when the text changed.
    void SetWindowText(const QString& text);
    QString GetWindowText() const { return text_; }

    void SetBarColor(const QColor& color);
    void SetBkColor(const QColor& color);
    // Text beside the bar, over the background.
    void SetTextColor(const QColor& color);
    // Text over the bar.
    void SetTextBkColor(const QColor& color);
    QColor GetBarColor() const { return barColor_; }
    QColor GetBkColor() const { return bkColor_; }
    QColor GetTextColor() const { return textColor_; }
    QColor GetTextBkColor() const { return textBarColor_; }

    // The text as painted ("37%" or "<text>  37%"); empty when nothing is painted.
    QString DisplayText() const;
    // Width of the bar in pixels for the current size.
    int BarWidth() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double fraction() const;

    int pos_ = 0;
    int step_ = 1;
    int lower_ = 0;
    int upper_ = 100;
    QString text_;
    bool showText_ = true;
    QColor barColor_;
    QColor bkColor_;
    QColor textColor_;
    QColor textBarColor_;
};

} // namespace qa
