#pragma once

#include <QMainWindow>
#include <QPixmap>

#include <array>

namespace qa {

// A frameless main window that paints its own caption strip, borders and caption buttons
// from the skin pictures, with a rounded outline. The client area is the central widget,
// inset by the skin's border widths.
class SkinnedFrame : public QMainWindow {
    Q_OBJECT
public:
    enum CaptionButton { NoButton = 0, MinimiseButton = 1, MaximiseButton = 2, CloseButton = 3 };
    enum Skin {
        SkinBottomLeft,
        SkinBottomRight,
        SkinIcon,
        SkinCaptionTile,
        SkinClose,
        SkinMaximise,
        SkinMinimise,
        SkinClosePressed,
        SkinMaximisePressed,
        SkinMinimisePressed,
        SkinCount
    };
    static constexpr int kCaptionHeight = 20;
    static constexpr int kLeftBorder = 6;
    static constexpr int kRightBorder = 7;
    static constexpr int kBottomBorder = 7;
    static constexpr int kCornerEllipse = 11;

    explicit SkinnedFrame(QWidget* parent = nullptr);

    // The caption button under a point in window coordinates.
    CaptionButton ButtonAt(const QPoint& pos) const;
    CaptionButton PressedButton() const { return pressed_; }
    // The window edges a press at pos (window coordinates) resizes; none while maximised.
    Qt::Edges ResizeEdgesAt(const QPoint& pos) const;
    void SetSkin(Skin which, const QPixmap& pixmap) { skin_[which] = pixmap; }

signals:
    // A caption button was pressed and released on itself.
    void CaptionButtonClicked(int button);
    // The caption icon was clicked: the window's own menu, which holds the About box.
    void CaptionIconClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // What a completed caption button click does; the main frame routes close through its
    // own shutdown order.
    virtual void OnCaptionButton(CaptionButton button);

private:
    void LoadSkin();
    void UpdateEdgeCursor(const QPoint& pos);

    std::array<QPixmap, SkinCount> skin_;
    CaptionButton pressed_ = NoButton;
    bool dragging_ = false;
    QPoint dragOffset_;
    // Resizing by hand where the window system cannot do it.
    Qt::Edges resizing_;
    QRect resizeStart_;
    QPoint resizeOrigin_;
};

} // namespace qa
