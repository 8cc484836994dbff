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

namespace {

constexpr qsizetype kShapedPerFont = 4096;
constexpr std::size_t kFontStates = 16;

} // namespace

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
    : device_(device), geometry_(geometry), glyphBuffer_(std::make_unique<GlyphBuffer>()) {
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

void CairoPageSink::SetFont(const QFont& font) {
    if (font_ && font_->requested == font) {
        return;
    }
    for (const auto& state : fonts_) {
        if (state->requested == font) {
            font_ = state.get();
            return;
        }
    }
    if (fonts_.size() >= kFontStates) {
        fonts_.erase(fonts_.begin());
    }
    auto state = std::make_unique<FontState>();
    state->requested = font;
    state->font = device_ ? QFont(font, device_) : font;
    state->metrics = device_ ? QFontMetrics(state->font, device_) : QFontMetrics(state->font);
    font_ = state.get();
    fonts_.push_back(std::move(state));
}

int CairoPageSink::TextWidth(const QString& text) {
    QHash<QString, int>& widths = font_->widths;
    if (auto found = widths.constFind(text); found != widths.constEnd()) {
        return *found;
    }
    if (widths.size() >= kShapedPerFont) {
        widths.clear();
    }
    const int width = font_->metrics.horizontalAdvance(text);
    widths.insert(text, width);
    return width;
}

Qt::LayoutDirection CairoPageSink::LayoutDirection() const {
    return QGuiApplication::layoutDirection();
}

const CairoPageSink::Shaped& CairoPageSink::Shape(const QString& text) {
    QHash<QString, Shaped>& cache = font_->shaped;
    if (auto found = cache.constFind(text); found != cache.constEnd()) {
        return *found;
    }
    if (cache.size() >= kShapedPerFont) {
        cache.clear();
    }
    Shaped shaped;
    QTextLayout layout(text, font_->font, device_);
    QTextOption option = layout.textOption();
    option.setTextDirection(LayoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (line.isValid()) {
        for (const QGlyphRun& run : layout.glyphRuns()) {
            ShapedRun out;
            out.font = run.rawFont();
            out.glyphs = run.glyphIndexes();
            out.positions = run.positions();
            for (QPointF& position : out.positions) {
                position.ry() -= line.ascent();
            }
            shaped.push_back(std::move(out));
        }
    }
    return *cache.insert(text, std::move(shaped));
}

void CairoPageSink::DrawText(const QPoint& baseline, const QString& text) {
    if (!pageOpen_ || text.isEmpty()) {
        return;
    }
    for (const ShapedRun& run : Shape(text)) {
        QList<QPointF> positions = run.positions;
        for (QPointF& position : positions) {
            position += baseline;
        }
        DrawGlyphs(run.font, run.glyphs, positions);
    }
}

QRect CairoPageSink::DrawWrappedText(const QRect& rect, int flags, const QString& text) {
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(lines, font_->font, device_);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    option.setAlignment(Qt::Alignment(flags & Qt::AlignHorizontal_Mask));
    option.setTextDirection(LayoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    double height = 0;
    double left = rect.width();
    double right = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(rect.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
        left = std::min(left, line.naturalTextRect().left());
        right = std::max(right, line.naturalTextRect().right());
    }
    layout.endLayout();
    const bool clip = !(flags & Qt::TextDontClip);
    if (clip) {
        PushClip(rect);
    }
    for (int i = 0; i < layout.lineCount(); ++i) {
        DrawTextLine(layout.lineAt(i), rect.topLeft());
    }
    if (clip) {
        PopClip();
    }
    if (layout.lineCount() == 0) {
        return QRect(rect.topLeft(), QSize(0, 0));
    }
    return QRect(rect.left() + static_cast<int>(std::floor(left)), rect.top(),
                 static_cast<int>(std::ceil(right - left)), static_cast<int>(std::ceil(height)));
}

void CairoPageSink::DrawTextLine(const QTextLine& line, const QPointF& position) {
    for (const QGlyphRun& run : line.glyphRuns()) {
        QList<QPointF> positions = run.positions();
        for (QPointF& at : positions) {
            at += position;
        }
        DrawGlyphs(run.rawFont(), run.glyphIndexes(), positions);
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
                               const QList<QPointF>& positions) {
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
