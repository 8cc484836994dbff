#include "cairo_page_sink.h"

#include <QFile>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QTextLayout>

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>

namespace qa::bench {

namespace {} // namespace

struct CairoPageSink::Face {
    cairo_font_face_t* face = nullptr;
    ~Face() {
        if (face) {
            cairo_font_face_destroy(face);
        }
    }
};

struct CairoPageSink::GlyphBuffer {
    std::vector<cairo_glyph_t> glyphs;
};

CairoPageSink::CairoPageSink(QPaintDevice* device, const PdfPageGeometry& geometry)
    : ShapingPageSink(device), geometry_(geometry), glyphBuffer_(std::make_unique<GlyphBuffer>()) {
    SetFont(QFont());
}

CairoPageSink::~CairoPageSink() {
    Abort();
}

void CairoPageSink::SetInfo(const QString& creator, const QString& title) {
    creator_ = creator;
    title_ = title;
}

bool CairoPageSink::Open(const QString& path) {
    path_ = path;
    surface_ = cairo_pdf_surface_create(QFile::encodeName(path).constData(),
                                        geometry_.pageSize.width(), geometry_.pageSize.height());
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        return false;
    }
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR,
                                   creator_.toUtf8().constData());
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title_.toUtf8().constData());
    cairo_ = cairo_create(surface_);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cairo_, options);
    cairo_font_options_destroy(options);
    return cairo_status(cairo_) == CAIRO_STATUS_SUCCESS;
}

bool CairoPageSink::BeginPage() {
    EndPage();
    if (!cairo_) {
        return false;
    }
    pageOpen_ = true;
    // Device pixels, y downwards, from the device's origin on the page.
    const double scale = 72.0 / geometry_.resolution;
    cairo_save(cairo_);
    cairo_translate(cairo_, geometry_.origin.x(), geometry_.origin.y());
    cairo_scale(cairo_, scale, scale);
    cairo_set_line_width(cairo_, 1.0);
    cairo_set_source_rgb(cairo_, 0, 0, 0);
    return true;
}

void CairoPageSink::EndPage() {
    if (!pageOpen_) {
        return;
    }
    pageOpen_ = false;
    for (; clipDepth_ > 0; --clipDepth_) {
        cairo_restore(cairo_);
    }
    cairo_restore(cairo_);
    cairo_show_page(cairo_);
}

bool CairoPageSink::Finish() {
    EndPage();
    if (!cairo_) {
        return false;
    }
    cairo_destroy(cairo_);
    cairo_ = nullptr;
    cairo_surface_finish(surface_);
    const bool ok = cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    if (!ok) {
        QFile::remove(path_);
    }
    return ok;
}

void CairoPageSink::Abort() {
    pageOpen_ = false;
    if (cairo_) {
        cairo_destroy(cairo_);
        cairo_ = nullptr;
    }
    if (surface_) {
        cairo_surface_finish(surface_);
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        QFile::remove(path_);
    }
}

// The font file fontconfig gives for the face Qt chose: the one Qt itself loaded, so the
// glyph ids mean the same glyphs.
cairo_font_face_t* CairoPageSink::FaceOf(const QRawFont& font) {
    if (lastFace_ && font == lastFont_) {
        return lastFace_;
    }
    const QString name = font.familyName() + QChar(0x1F) + font.styleName();
    Face*& face = facesByName_[name];
    if (!face) {
        auto made = std::make_unique<Face>();
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(
            pattern, FC_FAMILY,
            reinterpret_cast<const FcChar8*>(font.familyName().toUtf8().constData()));
        FcPatternAddString(pattern, FC_STYLE,
                           reinterpret_cast<const FcChar8*>(font.styleName().toUtf8().constData()));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (match) {
            made->face = cairo_ft_font_face_create_for_pattern(match);
            FcPatternDestroy(match);
        }
        face = made.get();
        faces_.push_back(std::move(made));
    }
    lastFont_ = font;
    lastFace_ = face->face;
    return face->face;
}

void CairoPageSink::DrawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                               const QList<QPointF>& positions, const QString&,
                               const QList<GlyphText>&) {
    const qsizetype count = std::min(glyphs.size(), positions.size());
    if (!pageOpen_ || count == 0) {
        return;
    }
    cairo_font_face_t* face = FaceOf(font);
    if (!face || !(font.pixelSize() > 0)) {
        return;
    }
    cairo_set_font_face(cairo_, face);
    cairo_set_font_size(cairo_, font.pixelSize());
    std::vector<cairo_glyph_t>& out = glyphBuffer_->glyphs;
    out.resize(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        out[static_cast<std::size_t>(i)] = {glyphs[i], positions[i].x(), positions[i].y()};
    }
    cairo_show_glyphs(cairo_, out.data(), static_cast<int>(count));
}

void CairoPageSink::DrawLine(const QPoint& from, const QPoint& to) {
    if (!pageOpen_) {
        return;
    }
    cairo_move_to(cairo_, from.x(), from.y());
    cairo_line_to(cairo_, to.x(), to.y());
    cairo_stroke(cairo_);
}

void CairoPageSink::PushClip(const QRect& rect) {
    if (!pageOpen_) {
        return;
    }
    cairo_save(cairo_);
    cairo_rectangle(cairo_, rect.x(), rect.y(), rect.width(), rect.height());
    cairo_clip(cairo_);
    ++clipDepth_;
}

void CairoPageSink::PopClip() {
    if (pageOpen_ && clipDepth_ > 0) {
        cairo_restore(cairo_);
        --clipDepth_;
    }
}

} // namespace qa::bench
