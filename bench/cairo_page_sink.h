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
class CairoPageSink : public ShapingPageSink {
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
    void DrawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                    const QList<QPointF>& positions, const QString& text,
                    const QList<GlyphText>& chars) override;
    void DrawLine(const QPoint& from, const QPoint& to) override;
    void PushClip(const QRect& rect) override;
    void PopClip() override;

private:
    struct Face;

    cairo_font_face_t* FaceOf(const QRawFont& font);

    PdfPageGeometry geometry_;
    QString path_;
    QString creator_;
    QString title_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cairo_ = nullptr;
    int clipDepth_ = 0;
    std::vector<std::unique_ptr<Face>> faces_;
    QHash<QString, Face*> facesByName_;
    QRawFont lastFont_;
    cairo_font_face_t* lastFace_ = nullptr;
    struct GlyphBuffer;
    std::unique_ptr<GlyphBuffer> glyphBuffer_;
};

} // namespace qa::bench
