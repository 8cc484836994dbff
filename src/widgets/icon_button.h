#pragma once

#include <QColor>
#include <QCursor>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <optional>

namespace qa {

// A flat push button with an icon and/or its text, hover highlighting, check-box mode, link
// opening and auto-repeat.
class IconButton : public QPushButton {
    Q_OBJECT
public:
    enum IconAlign { AlignHoriz = 0, AlignVert = 1, AlignHorizRight = 2 };
    enum ColorIndex { ColorBkIn = 0, ColorFgIn = 1, ColorBkOut = 2, ColorFgOut = 3 };

    // Opens a link; returns whether it could. Replaceable so tests never start a browser.
    using LinkOpener = std::function<bool(const QUrl&)>;

    explicit IconButton(QWidget* parent = nullptr);

    // The hover icon shows while hovered or pressed; the normal icon otherwise. With only the
    // first one given it shows always.
    void SetIcon(const QPixmap& hoverIcon, const QPixmap& normalIcon = QPixmap());
    void SetIcon(const QString& hoverPath, const QString& normalPath = QString());
    void SetAlign(int align);
    int GetAlign() const { return align_; }

    void SetFlat(bool flat, bool redraw = true);
    bool GetFlat() const { return flat_; }
    void DrawBorder(bool enable, bool redraw = true);
    void DrawFlatFocus(bool enable, bool redraw = true);

    // A click toggles the checked state instead of opening the link.
    void SetCheckBoxMode(bool enable);
    bool IsCheckBoxMode() const { return isCheckable(); }
    void SetCheck(bool checked, bool redraw = true);
    bool GetCheck() const { return isChecked(); }

    void SetTransparent(bool transparent);
    bool IsTransparent() const { return transparent_; }

    void SetColor(ColorIndex index, const QColor& color, bool redraw = true);
    QColor GetColor(ColorIndex index) const;
    void SetDefaultColors(bool redraw = true);

    void SetBtnCursor(const QCursor& cursor);
    void ClearBtnCursor();

    void SetURL(const QString& url);
    QString GetURL() const { return url_; }
    static LinkOpener SetLinkOpener(LinkOpener opener);

    void SetToolTipText(const QString& text, bool activate = true);
    void ActivateToolTip(bool activate = true);

    // While the left button is held the click repeats every `periodMs`; the number of clicks
    // of one press is always even.
    void SetAutoRepeat(bool enable, int periodMs = 100);
    bool GetAutoRepeat() const { return autoRepeat_; }

    bool IsHovering() const { return hovering_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // Hooks for derived buttons that paint their own face or frame.
    virtual void OnDrawBackground(QPainter& painter, const QRect& rect, bool hovering,
                                  bool pressed);
    virtual void OnDrawBorder(QPainter& painter, const QRect& rect, bool pressed);

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void leaveHover();
    void onClicked();
    void onRepeatTimer();
    QPixmap currentIcon(bool hovering, bool pressed) const;
    void drawIconAndText(QPainter& painter, const QRect& rect, bool hovering, bool pressed);

    QPixmap hoverIcon_;
    QPixmap normalIcon_;
    int align_ = AlignHoriz;
    bool flat_ = true;
    bool drawBorder_ = true;
    bool flatFocus_ = false;
    bool transparent_ = false;
    std::optional<QColor> colors_[4];
    QString url_;
    QString tipText_;
    bool tipActive_ = false;
    bool autoRepeat_ = false;
    int repeatPeriod_ = 100;
    QTimer repeatTimer_;
    int repeatCount_ = 0;
    bool repeating_ = false;
    bool hovering_ = false;
};

} // namespace qa
