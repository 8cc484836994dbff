#include "print/page_sink.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLine>

namespace qa {

bool PainterPageSink::Active() const {
    return painter_->isActive();
}

void PainterPageSink::SetFont(const QFont& font) {
    painter_->setFont(font);
}

QFont PainterPageSink::Font() const {
    return painter_->font();
}

QFontMetrics PainterPageSink::FontMetrics() const {
    return painter_->fontMetrics();
}

Qt::LayoutDirection PainterPageSink::LayoutDirection() const {
    return painter_->layoutDirection();
}

void PainterPageSink::DrawText(const QPoint& baseline, const QString& text) {
    painter_->drawText(baseline, text);
}

QRect PainterPageSink::DrawWrappedText(const QRect& rect, int flags, const QString& text) {
    QRect bounds;
    painter_->drawText(rect, flags, text, &bounds);
    return bounds;
}

void PainterPageSink::DrawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                                 const QList<QPointF>& positions) {
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter_->drawGlyphRun(QPointF(0, 0), run);
}

void PainterPageSink::DrawTextLine(const QTextLine& line, const QPointF& position) {
    line.draw(painter_, position);
}

void PainterPageSink::DrawLine(const QPoint& from, const QPoint& to) {
    painter_->drawLine(from, to);
}

void PainterPageSink::PushClip(const QRect& rect) {
    painter_->save();
    painter_->setClipRect(rect, Qt::IntersectClip);
}

void PainterPageSink::PopClip() {
    painter_->restore();
}

} // namespace qa
