#include "print/pdf_page_sink.h"

#include <QGuiApplication>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace qa {

namespace {

// Texts a font keeps shaped: headers, footers and headings repeat on every page.
constexpr qsizetype kShapedPerFont = 4096;
// Fonts kept with their texts; a report selects a handful.
constexpr std::size_t kFontStates = 16;

} // namespace

ShapingPageSink::ShapingPageSink(QPaintDevice* device) : device_(device) {}

ShapingPageSink::~ShapingPageSink() = default;

void ShapingPageSink::SetFont(const QFont& font) {
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

int ShapingPageSink::TextWidth(const QString& text) {
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

Qt::LayoutDirection ShapingPageSink::LayoutDirection() const {
    return QGuiApplication::layoutDirection();
}

const ShapingPageSink::Shaped& ShapingPageSink::Shape(const QString& text) {
    QHash<QString, Shaped>& cache = font_->shaped;
    if (auto found = cache.constFind(text); found != cache.constEnd()) {
        return *found;
    }
    if (cache.size() >= kShapedPerFont) {
        cache.clear();
    }
    // Laid out as QPainter::drawText lays out one line: the font, the direction, no width.
    Shaped shaped;
    QTextLayout layout(text, font_->font, device_);
    QTextOption option = layout.textOption();
    option.setTextDirection(LayoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (line.isValid()) {
        const QList<QGlyphRun> runs = line.glyphRuns();
        const QList<QList<GlyphText>> chars = GlyphTextsOf(line, text, runs);
        for (qsizetype r = 0; r < runs.size(); ++r) {
            const QGlyphRun& run = runs[r];
            ShapedRun out;
            out.font = run.rawFont();
            out.glyphs = run.glyphIndexes();
            out.positions = run.positions();
            out.chars = chars[r];
            for (QPointF& position : out.positions) {
                position.ry() -= line.ascent();
            }
            shaped.push_back(std::move(out));
        }
    }
    return *cache.insert(text, std::move(shaped));
}

void ShapingPageSink::DrawText(const QPoint& baseline, const QString& text) {
    if (!pageOpen_ || text.isEmpty()) {
        return;
    }
    for (const ShapedRun& run : Shape(text)) {
        QList<QPointF> positions = run.positions;
        for (QPointF& position : positions) {
            position += baseline;
        }
        DrawGlyphs(run.font, run.glyphs, positions, text, run.chars);
    }
}

QRect ShapingPageSink::DrawWrappedText(const QRect& rect, int flags, const QString& text) {
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
        DrawTextLine(layout.lineAt(i), lines, rect.topLeft());
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

void ShapingPageSink::DrawTextLine(const QTextLine& line, const QString& text,
                                   const QPointF& position) {
    const QList<QGlyphRun> runs = line.glyphRuns();
    const QList<QList<GlyphText>> chars = GlyphTextsOf(line, text, runs);
    for (qsizetype r = 0; r < runs.size(); ++r) {
        QList<QPointF> positions = runs[r].positions();
        for (QPointF& at : positions) {
            at += position;
        }
        DrawGlyphs(runs[r].rawFont(), runs[r].glyphIndexes(), positions, text, chars[r]);
    }
}

} // namespace qa
