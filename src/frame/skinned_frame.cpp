#include "frame/skinned_frame.h"

#include "views/ui_services.h"
#include "widgets/hidpi_pixmap.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>

namespace qa {

namespace {

// Skin colours as the original palette gives them (red, green, blue).
const QColor kFace(0xE6, 0xE6, 0xE6);
const QColor kSeparator(0x0B, 0x0B, 0x0C);
const QColor kTopHighlight(0x95, 0xA9, 0xD6);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kShadow(0xA1, 0xA1, 0xA1);
const QColor kRightEdge(0xC4, 0xC4, 0xC4);
const QColor kBottomEdge(0xB8, 0xB8, 0xB8);

// Resource ids of the skin pictures, in the order of the Skin enumeration.
const int kSkinIds[] = {131, 132, 138, 133, 134, 136, 139, 135, 137, 140};

// The top edge resizes above the caption buttons; the drawn corners are the size grips.
constexpr int kTopResizeBand = 3;
constexpr int kCornerGrip = 23;

QRegion RoundedRegion(const QSize& size) {
    QPainterPath path;
    // An 11 x 11 corner ellipse, as the window shape has always had.
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), 5.5, 5.5);
    return QRegion(path.toFillPolygon().toPolygon());
}

} // namespace

SkinnedFrame::SkinnedFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint);
    setContentsMargins(kLeftBorder, kCaptionHeight, kRightBorder, kBottomBorder);
    setMouseTracking(true);
    LoadSkin();
}

void SkinnedFrame::LoadSkin() {
    for (int i = 0; i < SkinCount; ++i) {
        skin_[static_cast<std::size_t>(i)] = LoadPixmap(ImagePath(kSkinIds[i]));
    }
}

Qt::Edges SkinnedFrame::ResizeEdgesAt(const QPoint& pos) const {
    Qt::Edges edges;
    if (isMaximized() || isFullScreen() || !rect().contains(pos)) {
        return edges;
    }
    const int w = width();
    const int h = height();
    if (pos.x() < kLeftBorder) {
        edges |= Qt::LeftEdge;
    }
    if (pos.x() >= w - kRightBorder) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() >= h - kBottomBorder) {
        edges |= Qt::BottomEdge;
    }
    if (pos.y() < kTopResizeBand) {
        edges |= Qt::TopEdge;
    }
    // Along the drawn bottom corners a border press takes the corner, as a grip does.
    if ((edges & Qt::BottomEdge) && pos.x() < kCornerGrip) {
        edges |= Qt::LeftEdge;
    }
    if ((edges & Qt::BottomEdge) && pos.x() >= w - kCornerGrip) {
        edges |= Qt::RightEdge;
    }
    if ((edges & (Qt::LeftEdge | Qt::RightEdge)) && pos.y() >= h - kCornerGrip) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

void SkinnedFrame::UpdateEdgeCursor(const QPoint& pos) {
    const Qt::Edges edges = ResizeEdgesAt(pos);
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = (edges & Qt::LeftEdge) == bool(edges & Qt::TopEdge);
        setCursor(falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    } else if (horizontal) {
        setCursor(Qt::SizeHorCursor);
    } else if (vertical) {
        setCursor(Qt::SizeVerCursor);
    } else {
        unsetCursor();
    }
}

SkinnedFrame::CaptionButton SkinnedFrame::ButtonAt(const QPoint& pos) const {
    if (pos.y() < 0 || pos.y() >= kCaptionHeight) {
        return NoButton;
    }
    int right = width();
    int x = pos.x();
    if (x > right - 23) {
        return CloseButton;
    }
    if (x > right - 44) {
        return MaximiseButton;
    }
    if (x > right - 65) {
        return MinimiseButton;
    }
    return NoButton;
}

void SkinnedFrame::paintEvent(QPaintEvent*) {
    const int w = width();
    const int h = height();
    QPainter p(this);
    p.setClipRegion(QRegion(rect()).subtracted(QRegion(contentsRect())));
    p.fillRect(rect(), Qt::black);
    p.setPen(Qt::black);
    p.setBrush(kFace);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 7, 7);

    auto line = [&](const QColor& c, int x1, int y1, int x2, int y2) {
        p.setPen(c);
        p.drawLine(x1, y1, x2, y2);
    };
    line(kSeparator, 0, 19, w - 1, 19);
    line(kTopHighlight, 10, 1, 10 + (w - 20) - 1, 1);
    const int span = h - 26;
    line(kWhite, 1, 20, 1, 20 + span - 1);
    line(kShadow, 5, 20, 5, 20 + span - 1);
    line(kRightEdge, w - 3, 20, w - 3, 20 + span - 1);
    line(kWhite, w - 6, 20, w - 6, 20 + span - 1);
    line(kShadow, w - 7, 20, w - 7, 20 + span - 1);
    line(kBottomEdge, 5, h - 3, 5 + (w - 11) - 1, h - 3);
    line(kWhite, 5, h - 6, 5 + (w - 11) - 1, h - 6);
    line(kShadow, 5, h - 7, 5 + (w - 11) - 1, h - 7);

    const QPixmap& tile = skin_[SkinCaptionTile];
    for (int x = 23; x < w - 33 && !tile.isNull(); x += 30) {
        p.drawPixmap(x, 2, tile);
    }
    p.drawPixmap(1, h - 23, skin_[SkinBottomLeft]);
    p.drawPixmap(w - 23, h - 23, skin_[SkinBottomRight]);
    p.drawPixmap(1, 1, skin_[SkinIcon]);
    p.drawPixmap(w - 23, 1, skin_[pressed_ == CloseButton ? SkinClosePressed : SkinClose]);
    p.drawPixmap(w - 44, 1, skin_[pressed_ == MaximiseButton ? SkinMaximisePressed : SkinMaximise]);
    p.drawPixmap(w - 65, 1, skin_[pressed_ == MinimiseButton ? SkinMinimisePressed : SkinMinimise]);

    p.setClipping(false);
    p.setPen(kWhite);
    QRect title(30, 0, qMax(0, w - 70 - 30), kCaptionHeight);
    QString text = p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, title.width());
    p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

void SkinnedFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    setMask(RoundedRegion(size()));
}

void SkinnedFrame::mousePressEvent(QMouseEvent* event) {
    const Qt::Edges edges = ResizeEdgesAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && edges) {
        if (windowHandle() != nullptr && windowHandle()->startSystemResize(edges)) {
            return;
        }
        resizing_ = edges;
        resizeStart_ = geometry();
        resizeOrigin_ = event->globalPosition().toPoint();
        return;
    }
    if (event->button() != Qt::LeftButton || event->position().y() >= kCaptionHeight) {
        QMainWindow::mousePressEvent(event);
        return;
    }
    QPoint pos = event->position().toPoint();
    pressed_ = ButtonAt(pos);
    if (pressed_ != NoButton) {
        update();
        return;
    }
    if (pos.x() < 23) {
        emit CaptionIconClicked();
        return;
    }
    // The top strip is the caption: let the window system move the window where it can,
    // and move it ourselves otherwise.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void SkinnedFrame::mouseMoveEvent(QMouseEvent* event) {
    if (resizing_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint delta = event->globalPosition().toPoint() - resizeOrigin_;
        QRect target = resizeStart_;
        if (resizing_ & Qt::LeftEdge) {
            target.setLeft(qMin(target.left() + delta.x(), target.right() - minimumWidth() + 1));
        }
        if (resizing_ & Qt::RightEdge) {
            target.setRight(target.right() + delta.x());
        }
        if (resizing_ & Qt::TopEdge) {
            target.setTop(qMin(target.top() + delta.y(), target.bottom() - minimumHeight() + 1));
        }
        if (resizing_ & Qt::BottomEdge) {
            target.setBottom(target.bottom() + delta.y());
        }
        target.setSize(target.size().expandedTo(minimumSize()).boundedTo(maximumSize()));
        setGeometry(target);
        return;
    }
    if (!(event->buttons() & Qt::LeftButton)) {
        UpdateEdgeCursor(event->position().toPoint());
    }
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    QMainWindow::mouseMoveEvent(event);
}

void SkinnedFrame::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    resizing_ = {};
    if (pressed_ == NoButton) {
        QMainWindow::mouseReleaseEvent(event);
        return;
    }
    CaptionButton was = pressed_;
    pressed_ = NoButton;
    update();
    // Only a release on the button that was pressed counts.
    if (ButtonAt(event->position().toPoint()) == was) {
        OnCaptionButton(was);
        emit CaptionButtonClicked(was);
    }
}

void SkinnedFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    QPoint pos = event->position().toPoint();
    if (pos.y() < kCaptionHeight && ButtonAt(pos) == NoButton) {
        isMaximized() ? showNormal() : showMaximized();
        return;
    }
    QMainWindow::mouseDoubleClickEvent(event);
}

void SkinnedFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && pressed_ != NoButton) {
        pressed_ = NoButton; // the mouse was taken away mid-press
        update();
    }
    QMainWindow::changeEvent(event);
}

void SkinnedFrame::OnCaptionButton(CaptionButton button) {
    switch (button) {
    case MinimiseButton:
        showMinimized();
        break;
    case MaximiseButton:
        isMaximized() ? showNormal() : showMaximized();
        break;
    case CloseButton:
        close();
        break;
    case NoButton:
        break;
    }
}

} // namespace qa
