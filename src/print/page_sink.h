#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QList>
#include <QPoint>
#include <QRawFont>
#include <QRect>
#include <QString>

class QGlyphRun;
class QPainter;
class QTextLine;

namespace qa {

// The characters one glyph was shaped from, for a reader that searches or copies the text:
// `count` characters from `from` in the text drawn with the glyph. A ligature counts all of
// its characters; a glyph that only adds to another glyph of its character counts none.
struct GlyphText {
    qint32 from = 0;
    qint32 count = 0;
};

// For each glyph of `runs`, the glyph runs of `line` (QTextLine::glyphRuns()), the characters
// of `text`, the text of the line's layout, that it stands for.
QList<QList<GlyphText>> GlyphTextsOf(const QTextLine& line, const QString& text,
                                     const QList<QGlyphRun>& runs);

// Where the print layout draws: the few operations a printed page is made of, in printer
// device pixels. One sink paints through QPainter (printers, and reports that draw charts),
// another writes PDF itself; the same layout code drives both, so the pages match.
class PageSink {
public:
    virtual ~PageSink() = default;

    // False once the document has ended.
    virtual bool Active() const = 0;

    // The font text is drawn and measured in from here on.
    virtual void SetFont(const QFont& font) = 0;
    virtual QFont Font() const = 0;
    virtual QFontMetrics FontMetrics() const = 0;
    // The width of `text` in the current font, as FontMetrics().horizontalAdvance gives it.
    virtual int TextWidth(const QString& text) { return FontMetrics().horizontalAdvance(text); }
    virtual Qt::LayoutDirection LayoutDirection() const = 0;

    // One line of text in the current font, its baseline starting at `baseline`.
    virtual void DrawText(const QPoint& baseline, const QString& text) = 0;
    // Text wrapped at words into `rect` with Qt alignment and wrapping `flags`; returns the
    // rectangle the text took.
    virtual QRect DrawWrappedText(const QRect& rect, int flags, const QString& text) = 0;
    // Glyphs already shaped, each at its own position, with the characters of `text` each
    // stands for (`chars` by glyph; none when it is empty).
    virtual void DrawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                            const QList<QPointF>& positions, const QString& text,
                            const QList<GlyphText>& chars) = 0;
    // A line of a text layout whose text is `text`, placed at `position`.
    virtual void DrawTextLine(const QTextLine& line, const QString& text,
                              const QPointF& position) = 0;
    // A line as thin as the device draws.
    virtual void DrawLine(const QPoint& from, const QPoint& to) = 0;

    // Drawing is clipped to `rect` (within any clip already set) until PopClip.
    virtual void PushClip(const QRect& rect) = 0;
    virtual void PopClip() = 0;

    // The painter behind the sink, for drawings only Qt makes (charts); null when the sink
    // is not a painter.
    virtual QPainter* Painter() { return nullptr; }
};

// The sink over a QPainter that is already drawing on its device.
class PainterPageSink : public PageSink {
public:
    explicit PainterPageSink(QPainter* painter) : painter_(painter) {}

    bool Active() const override;
    void SetFont(const QFont& font) override;
    QFont Font() const override;
    QFontMetrics FontMetrics() const override;
    Qt::LayoutDirection LayoutDirection() const override;
    void DrawText(const QPoint& baseline, const QString& text) override;
    QRect DrawWrappedText(const QRect& rect, int flags, const QString& text) override;
    void DrawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                    const QList<QPointF>& positions, const QString& text,
                    const QList<GlyphText>& chars) override;
    void DrawTextLine(const QTextLine& line, const QString& text, const QPointF& position) override;
    void DrawLine(const QPoint& from, const QPoint& to) override;
    void PushClip(const QRect& rect) override;
    void PopClip() override;
    QPainter* Painter() override { return painter_; }

private:
    QPainter* painter_;
};

} // namespace qa
