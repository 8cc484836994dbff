#pragma once

#include "print/pdf_page_sink.h"

#include <QHash>
#include <QRawFont>

#include <memory>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_font_face cairo_font_face_t;

namespace qa::bench {

// The report's pages drawn on cairo's PDF surface, to weigh that library against the report's
// own PDF output: the same layout, fonts measured and text shaped by Qt exactly as the own
// sink does, the same glyph ids set through cairo-ft from the same font files.
class CairoPageSink : public PdfDocumentSink {
public:
    CairoPageSink(QPaintDevice* device, const PdfPageGeometry& geometry);
    ~CairoPageSink() override;

    void SetInfo(const QString& creator, const QString& title) override;
    bool Open(const QString& path) override;
    bool BeginPage() override;
    void EndPage() override;
    bool Finish() override;
    void Abort() override;

    bool Active() const override { return cairo_ != nullptr; }
    void SetFont(const QFont& font) override;
    QFont Font() const override { return font_->font; }
    QFontMetrics FontMetrics() const override { return font_->metrics; }
    int TextWidth(const QString& text) override;
    Qt::LayoutDirection LayoutDirection() const override;
    void DrawText(const QPoint& baseline, const QString& text) override;
    QRect DrawWrappedText(const QRect& rect, int flags, const QString& text) override;
    void DrawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                    const QList<QPointF>& positions) override;
    void DrawTextLine(const QTextLine& line, const QPointF& position) override;
    void DrawLine(const QPoint& from, const QPoint& to) override;
    void PushClip(const QRect& rect) override;
    void PopClip() override;

private:
    struct ShapedRun {
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    using Shaped = std::vector<ShapedRun>;
    struct FontState {
        QFont requested;
        QFont font;
        QFontMetrics metrics{QFont()};
        QHash<QString, Shaped> shaped;
        QHash<QString, int> widths;
    };
    struct Face;

    const Shaped& Shape(const QString& text);
    cairo_font_face_t* FaceOf(const QRawFont& font);

    QPaintDevice* device_;
    PdfPageGeometry geometry_;
    QString path_;
    QString creator_;
    QString title_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cairo_ = nullptr;
    bool pageOpen_ = false;
    int clipDepth_ = 0;
    std::vector<std::unique_ptr<FontState>> fonts_;
    FontState* font_ = nullptr;
    std::vector<std::unique_ptr<Face>> faces_;
    QHash<QString, Face*> facesByName_;
    QRawFont lastFont_;
    cairo_font_face_t* lastFace_ = nullptr;
    struct GlyphBuffer;
    std::unique_ptr<GlyphBuffer> glyphBuffer_;
};

} // namespace qa::bench
