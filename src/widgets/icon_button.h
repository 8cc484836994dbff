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
    int GetAlign() const { return m_align; }

    void SetFlat(bool flat, bool redraw = true);
    bool GetFlat() const { return m_flat; }
    void DrawBorder(bool enable, bool redraw = true);
    void DrawFlatFocus(bool enable, bool redraw = true);

    // A click toggles the checked state instead of opening the link.
    void SetCheckBoxMode(bool enable);
    bool IsCheckBoxMode() const { return isCheckable(); }
    void SetCheck(bool checked, bool redraw = true);
    bool GetCheck() const { return isChecked(); }

    void SetTransparent(bool transparent);
    bool IsTransparent() const { return m_transparent; }

    void SetColor(ColorIndex index, const QColor& color, bool redraw = true);
    QColor GetColor(ColorIndex index) const;
    void SetDefaultColors(bool redraw = true);

    void SetBtnCursor(const QCursor& cursor);
    void ClearBtnCursor();

    void SetURL(const QString& url);
    QString GetURL() const { return m_url; }
    static LinkOpener SetLinkOpener(LinkOpener opener);

    void SetToolTipText(const QString& text, bool activate = true);
    void ActivateToolTip(bool activate = true);

    // While the left button is held the click repeats every `periodMs`; the number of clicks
    // of one press is always even.
    void SetAutoRepeat(bool enable, int periodMs = 100);
    bool GetAutoRepeat() const { return m_autoRepeat; }

    bool IsHovering() const { return m_hovering; }

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

    QPixmap m_hoverIcon;
    QPixmap m_normalIcon;
    int m_align = AlignHoriz;
    bool m_flat = true;
    bool m_drawBorder = true;
    bool m_flatFocus = false;
    bool m_transparent = false;
    std::optional<QColor> m_colors[4];
    QString m_url;
    QString m_tipText;
    bool m_tipActive = false;
    bool m_autoRepeat = false;
    int m_repeatPeriod = 100;
    QTimer m_repeatTimer;
    int m_repeatCount = 0;
    bool m_repeating = false;
    bool m_hovering = false;
};

} // namespace qa
