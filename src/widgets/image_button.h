#pragma once

#include "widgets/tool_tip_button.h"

#include <QColor>
#include <QPixmap>

namespace qa {

// A button drawn entirely from one strip of four equally wide state images, left to right:
// normal, pressed, hover, disabled. The button takes the size of one image.
class ImageButton : public ToolTipButton {
    Q_OBJECT
public:
    enum class Face { Normal = 0, Pressed = 1, Hover = 2, Disabled = 3 };
    // The ring drawn around the button while it has the keyboard focus.
    static inline const QColor kFocusColour{0x15, 0x9A, 0xA3};

    explicit ImageButton(QWidget* parent = nullptr);

    // False (and the button unchanged) when the strip is missing or narrower than four pixels,
    // so a page notices a lost resource instead of showing an empty button.
    bool LoadBitmap(const QPixmap& strip);
    bool LoadBitmap(const QString& resourcePath);

    QSize ImageSize() const { return {imageWidth_, imageHeight_}; }
    bool IsHovering() const { return hovering_; }
    // Disabled wins over pressed, pressed over hover.
    Face CurrentFace() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void DrawFocusIndicator(QPainter& painter) const;

private:
    QPixmap strip_;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
    bool hovering_ = false;
};

} // namespace qa
