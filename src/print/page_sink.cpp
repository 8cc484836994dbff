#include "print/page_sink.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLine>

#include <cmath>

namespace qa {

QList<QList<GlyphText>> GlyphTextsOf(const QTextLine& line, const QString& text,
                                     const QList<QGlyphRun>& runs) {
    QList<QList<GlyphText>> texts(runs.size());
    const int start = line.textStart();
    const int end = start + line.textLength();
    if (start < 0 || end < start || end > text.size()) {
        return texts;
    }
    // Most lines are one run of one glyph per character, each the character's own glyph.
    if (runs.size() == 1) {
        const QList<quint32> glyphs = runs[0].glyphIndexes();
        const int length = end - start;
        QList<quint32> own(length);
        int count = length;
        if (glyphs.size() == length && length > 0 &&
            runs[0].rawFont().glyphIndexesForChars(text.constData() + start, length, own.data(),
                                                   &count) &&
            count == length && own == glyphs) {
            QList<GlyphText>& out = texts[0];
            out.resize(length);
            for (int i = 0; i < length; ++i) {
                out[i] = GlyphText{start + i, 1};
            }
            return texts;
        }
    }
    // Otherwise each character's glyphs are those the line gives for that character alone
    // (a ligature's for each of its characters), found among the line's by font, id and place.
    std::vector<QList<quint32>> glyphs;
    std::vector<QList<QPointF>> positions;
    for (qsizetype r = 0; r < runs.size(); ++r) {
        glyphs.push_back(runs[r].glyphIndexes());
        positions.push_back(runs[r].positions());
        texts[r].resize(glyphs.back().size());
    }
    for (int c = start; c < end;) {
        const int n =
            c + 1 < end && text.at(c).isHighSurrogate() && text.at(c + 1).isLowSurrogate() ? 2 : 1;
        bool given = false;
        for (const QGlyphRun& piece : line.glyphRuns(c, n)) {
            const QList<quint32> pieceGlyphs = piece.glyphIndexes();
            const QList<QPointF> piecePositions = piece.positions();
            for (qsizetype k = 0; k < pieceGlyphs.size() && k < piecePositions.size(); ++k) {
                for (qsizetype r = 0; r < runs.size(); ++r) {
                    if (!(runs[r].rawFont() == piece.rawFont())) {
                        continue;
                    }
                    for (qsizetype i = 0; i < glyphs[r].size() && i < positions[r].size(); ++i) {
                        if (glyphs[r][i] != pieceGlyphs[k] ||
                            std::abs(positions[r][i].x() - piecePositions[k].x()) > 0.01 ||
                            std::abs(positions[r][i].y() - piecePositions[k].y()) > 0.01) {
                            continue;
                        }
                        GlyphText& out = texts[r][i];
                        if (out.count > 0 && out.from + out.count == c) {
                            out.count += n;
                        } else if (out.count == 0 && !given) {
                            out = GlyphText{c, n};
                            given = true;
                        }
                    }
                }
            }
        }
        c += n;
    }
    return texts;
}

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
                                 const QList<QPointF>& positions, const QString&,
                                 const QList<GlyphText>&) {
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter_->drawGlyphRun(QPointF(0, 0), run);
}

void PainterPageSink::DrawTextLine(const QTextLine& line, const QString&, const QPointF& position) {
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
