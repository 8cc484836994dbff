#include "print/print_unit.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace qa {

namespace {

// Truncated toward zero; a share that is not a number (a group whose columns are all zero
// wide) gives no width rather than undefined behaviour.
int TruncatedProduct(double a, double b) {
    double product = a * b;
    if (!std::isfinite(product) || std::abs(product) > 2.0e9) {
        return 0;
    }
    return static_cast<int>(product);
}

QFontMetrics MetricsOf(PageSink* sink, QPaintDevice* device) {
    if (sink) {
        return sink->FontMetrics();
    }
    return device ? QFontMetrics(QFont(), device) : QFontMetrics(QFont());
}

// The longest leading part of `text` no wider than `width`, never splitting a surrogate pair.
QString LeadingPartThatFits(PageSink& sink, const QString& text, int width) {
    if (sink.TextWidth(text) <= width) {
        return text;
    }
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        qsizetype mid = (low + high + 1) / 2;
        if (sink.TextWidth(text.left(mid)) <= width) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    if (low > 0 && text.at(low - 1).isHighSurrogate()) {
        --low;
    }
    return text.left(low);
}

} // namespace

TextSegmenter::Result TextSegmenter::Next(TextSegment& segment) {
    if (done_) {
        return kNoMore;
    }
    segment = pending_;
    segment.text.clear();
    pending_ = TextSegment();
    while (pos_ < text_.size()) {
        QChar c = text_.at(pos_);
        if (c == QChar(0)) {
            break;
        }
        bool control = c == kFieldSeparator || c == kUnitSeparator || c == kRecordSeparator;
        if (control && pos_ + 1 < text_.size() && text_.at(pos_ + 1) == c) {
            segment.text += c;
            pos_ += 2;
            continue;
        }
        ++pos_;
        if (c == QChar('\n')) {
            pending_.alignment = kTextLeft;
            pending_.newLine = true;
            return kSegmentEndedByLf;
        }
        if (c == kFieldSeparator) {
            pending_.leader = true;
        } else if (c == kUnitSeparator) {
            pending_.alignment = kTextCenter;
            return kSegment;
        } else if (c == kRecordSeparator) {
            pending_.alignment = kTextRight;
            return kSegment;
        } else {
            segment.text += c;
        }
    }
    done_ = true;
    return kSegment;
}

FontSelector::FontSelector(PageSink* sink, const QFont* font) {
    if (!sink || !font) {
        return;
    }
    sink_ = sink;
    previous_ = sink->Font();
    sink->SetFont(*font);
}

FontSelector::~FontSelector() {
    if (sink_ && sink_->Active()) {
        sink_->SetFont(previous_);
    }
}

CurrentFontScope::CurrentFontScope(PrintUnit* unit, FontPair* font)
    : unit_(unit), saved_(unit ? unit->CurrentFont() : nullptr) {
    if (unit_) {
        unit_->SetCurrentFont(font);
    }
}

CurrentFontScope::~CurrentFontScope() {
    if (unit_) {
        unit_->SetCurrentFont(saved_);
    }
}

PrintUnit::PrintUnit(PrintJob* job) : job_(job) {}

PrintUnit::~PrintUnit() = default;

bool PrintUnit::Print() {
    CreateFonts();
    ComputeMetrics();
    DefineColumns();
    return true;
}

void PrintUnit::DefineColumns() {
    AssignColumnPositions();
}

void PrintUnit::InsertColumn(int position, const QString& text, double share, int set) {
    InsertColumn(ColumnSpec{position, text, share, kColumnNarrow}, set);
}

void PrintUnit::InsertColumn(const ColumnSpec& spec, int set) {
    if (set < 0) {
        return;
    }
    if (set >= static_cast<int>(sets_.size())) {
        sets_.insert(sets_.begin() + std::min<std::size_t>(set, sets_.size()), ColumnSet());
        set = std::min<int>(set, static_cast<int>(sets_.size()) - 1);
    }
    ColumnSet& columns = sets_[set];
    auto column = std::make_unique<PrintColumn>();
    column->heading = spec.heading;
    column->share = spec.share;
    column->flags = spec.flags;
    if (spec.flags & kColumnRestOfSet) {
        // Shares are fractions of the width here, so the rest is what is left of 1.
        double used = 0;
        for (const auto& other : columns) {
            used += other->share;
        }
        column->share = std::max(0.0, 1.0 - used);
    }
    column->width = TruncatedProduct(job_->Info()->drawingRect.Width(), column->share);
    std::size_t at =
        std::clamp<std::size_t>(spec.position < 0 ? 0 : spec.position, 0, columns.size());
    columns.insert(columns.begin() + at, std::move(column));
    RefreshCurrentColumns();
}

int PrintUnit::AssignColumnPositions() {
    for (ColumnSet& columns : sets_) {
        int x = job_->PrintableRect().left;
        for (auto& column : columns) {
            column->x = x;
            x += column->width;
        }
    }
    if (currentSet_ < 0 && !sets_.empty()) {
        currentSet_ = 0;
    }
    RefreshCurrentColumns();
    return static_cast<int>(sets_.size());
}

void PrintUnit::RefreshCurrentColumns() {
    currentColumns_.clear();
    if (currentSet_ >= 0 && currentSet_ < static_cast<int>(sets_.size())) {
        for (auto& column : sets_[currentSet_]) {
            currentColumns_.push_back(column.get());
        }
    }
}

void PrintUnit::StartPage() {
    job_->SetInPage(true);
    job_->Cursor() = QPoint(job_->PrintableRect().left, job_->PrintableRect().top);
    (void)job_->StartDevicePage(); // a failure stays with the job, which reports it at the end
    PrintHeader();
}

void PrintUnit::EndPage() {
    job_->SetInPage(false);
    PrintFooter();
    job_->EndDevicePage();
    ++job_->Info()->currentPage;
    ++job_->Info()->pageCounter;
}

void PrintUnit::EjectBlankPage(bool count) {
    job_->Cursor() = QPoint(job_->PrintableRect().left, job_->PrintableRect().top);
    (void)job_->StartDevicePage(); // a failure stays with the job, which reports it at the end
    job_->EndDevicePage();
    if (count) {
        ++job_->Info()->currentPage;
        ++job_->Info()->pageCounter;
    }
}

int PrintUnit::SelectHeight(int height) const {
    if (height == -2) {
        return textLineHeight_;
    }
    if (height == -1) {
        return headingRowHeight_;
    }
    return std::max(height, 0);
}

bool PrintUnit::EnsureSpace(int height) {
    if (job_->Cursor().y() + SelectHeight(height) > job_->PrintableRect().bottom) {
        EndPage();
        StartPage();
        return true;
    }
    return false;
}

bool PrintUnit::EndRow(bool flush) {
    auto anyOverflow = [this] {
        return std::any_of(currentColumns_.begin(), currentColumns_.end(),
                           [](const PrintColumn* column) { return !column->overflow.isEmpty(); });
    };
    bool broke = false;
    // Each pass prints one page of every overflowing cell; forcing the first line on the
    // fresh page guarantees that every pass consumes text.
    while (flush && anyOverflow()) {
        NewPage();
        rowHeightUsed_ = 0;
        forceFirstLine_ = true;
        for (std::size_t i = 0; i < currentColumns_.size(); ++i) {
            PrintColumn* column = currentColumns_[i];
            if (column->overflow.isEmpty()) {
                continue;
            }
            QString text = std::exchange(column->overflow, QString());
            PrintCell(static_cast<int>(i), text, kWrapIfNeeded);
        }
        forceFirstLine_ = false;
        broke = true;
    }
    job_->Cursor().ry() += rowHeightUsed_;
    job_->Cursor().rx() = job_->PrintableRect().left;
    rowHeightUsed_ = 0;
    return broke;
}

void PrintUnit::NewPage() {
    EndPage();
    StartPage();
}

bool PrintUnit::ContinuePrinting() {
    return job_->Info() && job_->Info()->continuePrinting;
}

void PrintUnit::PrintCell(int index, const QString& text, unsigned format) {
    if (text.isNull() || index < 0 || index >= static_cast<int>(currentColumns_.size())) {
        return;
    }
    PrintColumn* column = currentColumns_[index];
    DeviceRect rect{column->x, job_->Cursor().y(), column->x + column->width,
                    job_->Cursor().y() + textLineHeight_};
    if (column->flags & kColumnNarrow) {
        rect.right -= TruncatedProduct(rect.Width(), 0.015);
    }
    int height = DrawCellText(text, rect, format, index, column);
    rowHeightUsed_ = std::max(rowHeightUsed_, height);
    job_->Cursor().rx() += column->width;
}

int PrintUnit::DrawText(PageSink* sink, const QString& text, const DeviceRect& rect,
                        unsigned format) {
    if (!sink) {
        return 0;
    }
    QFontMetrics metrics = sink->FontMetrics();
    const int lineHeight = metrics.height();
    QRect clip(rect.left, rect.top, rect.Width(), rect.Height());
    if (format & kTextWordBreak) {
        int flags = Qt::TextWordWrap;
        flags |= (format & kTextCenter)  ? Qt::AlignHCenter
                 : (format & kTextRight) ? Qt::AlignRight
                                         : Qt::AlignLeft;
        flags |= Qt::AlignTop;
        if (format & kTextNoClip) {
            flags |= Qt::TextDontClip;
        }
        return sink->DrawWrappedText(clip, flags, text).height();
    }
    QStringList lines;
    if (format & kTextSingleLine) {
        QString single = text;
        single.replace(QLatin1String("\r\n"), QLatin1String(" "));
        single.replace(QChar('\n'), QChar(' '));
        single.replace(QChar('\r'), QChar(' '));
        lines << single;
    } else {
        QString normalized = text;
        normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        normalized.replace(QChar('\r'), QChar('\n'));
        lines = normalized.split(QChar('\n'));
    }
    const int height = static_cast<int>(lines.size()) * lineHeight;
    int y = rect.top;
    if (format & kTextSingleLine) {
        if (format & kTextVCenter) {
            y = rect.top + (rect.Height() - lineHeight) / 2;
        } else if (format & kTextBottom) {
            y = rect.bottom - lineHeight;
        }
    }
    // Nothing can be seen in an empty rectangle, and text drawn there would still be found by
    // anyone searching the document.
    if (rect.Width() <= 0 || (rect.Height() <= 0 && !(format & kTextNoClip))) {
        return height;
    }
    std::vector<int> widths;
    widths.reserve(lines.size());
    bool needsClip = y < rect.top || y + height > rect.bottom;
    for (const QString& line : lines) {
        widths.push_back(sink->TextWidth(line));
        needsClip = needsClip || widths.back() > rect.Width();
    }
    needsClip = needsClip && !(format & kTextNoClip);
    if (needsClip) {
        sink->PushClip(clip);
    }
    for (qsizetype i = 0; i < lines.size(); ++i, y += lineHeight) {
        if (lines[i].isEmpty()) {
            continue;
        }
        int x = rect.left;
        if (format & kTextCenter) {
            x = rect.left + (rect.Width() - widths[i]) / 2;
        } else if (format & kTextRight) {
            x = rect.right - widths[i];
        }
        sink->DrawText(QPoint(x, y + metrics.ascent()), lines[i]);
    }
    if (needsClip) {
        sink->PopClip();
    }
    return height;
}

int PrintUnit::DrawCellText(const QString& text, DeviceRect rect, unsigned format, int,
                            PrintColumn* column) {
    PageSink* sink = job_->Sink();
    bool rich = column && (column->flags & kColumnRichText);
    if (!rich) {
        if (!(format & kWrapIfNeeded)) {
            return DrawText(sink, text, rect, format);
        }
        format &= ~static_cast<unsigned>(kWrapIfNeeded);
        int width = MetricsOf(sink, job_->Device()).horizontalAdvance(text);
        if (width < rect.Width()) {
            return DrawText(sink, text, rect, format);
        }
    }
    rect.bottom = job_->PrintableRect().bottom;
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QChar('\r'), QChar('\n'));
    int used = 0;
    int firstUnfit = RenderRichText(normalized, rect, true, &used);
    if (column && firstUnfit < normalized.size()) {
        column->overflow = normalized.mid(firstUnfit);
    }
    return used;
}

int PrintUnit::RenderRichText(const QString& text, const DeviceRect& rect, bool render,
                              int* usedHeight) {
    PageSink* sink = job_->Sink();
    if (!richText_) {
        richText_ = std::make_unique<QTextDocument>();
        richText_->setUndoRedoEnabled(false);
        richText_->setDocumentMargin(0);
    }
    if (job_->Device()) {
        richText_->documentLayout()->setPaintDevice(job_->Device());
    }
    richText_->setDefaultFont(currentFont_ ? currentFont_->printer : sink ? sink->Font() : QFont());
    richText_->setPlainText(text);
    richText_->setTextWidth(std::max(rect.Width(), 1));
    // Forces the layout, so every block has its lines.
    richText_->documentLayout()->documentSize();

    const double available = rect.Height();
    double used = 0;
    int firstUnfit = static_cast<int>(text.size());
    bool stop = false;
    // Only whole lines are drawn: a clipped line below the last one would still be found by
    // anyone searching or copying the document, and then again on the next page.
    QPointF origin(rect.left, rect.top);
    for (QTextBlock block = richText_->begin(); block.isValid() && !stop; block = block.next()) {
        const QTextLayout* layout = block.layout();
        const QPointF blockTopLeft =
            richText_->documentLayout()->blockBoundingRect(block).topLeft();
        for (int i = 0; i < layout->lineCount(); ++i) {
            QTextLine line = layout->lineAt(i);
            double bottom = blockTopLeft.y() + line.y() + line.height();
            bool first = used == 0;
            if (bottom > available && !(forceFirstLine_ && first)) {
                firstUnfit = block.position() + line.textStart();
                stop = true;
                break;
            }
            used = bottom;
            if (render && sink) {
                sink->DrawTextLine(line, layout->text(), origin + blockTopLeft);
            }
        }
    }
    if (usedHeight) {
        *usedHeight = static_cast<int>(std::ceil(used));
    }
    return std::min(firstUnfit, static_cast<int>(text.size()));
}

bool PrintUnit::PrintRuledHeadings(unsigned format, int mode) {
    if (HeadingsInProgress()) {
        return false;
    }
    bool result = PrintUnit::PrintHeadings(format, mode);
    const DeviceRect& printable = Job()->PrintableRect();
    if (PageSink* sink = Job()->Sink()) {
        int y = Job()->Cursor().y();
        sink->DrawLine(QPoint(printable.left, y), QPoint(printable.right, y));
    }
    Job()->Cursor().ry() += 10;
    return result;
}

bool PrintUnit::PrintHeadings(unsigned format, int mode) {
    if (headingsInProgress_) {
        return false;
    }
    struct Mark {
        int& flag;
        explicit Mark(int& f) : flag(f) { flag = 1; }
        ~Mark() { flag = 0; }
    } mark(headingsInProgress_);
    EnsureSpace(-1);
    for (std::size_t i = 0; i < currentColumns_.size(); ++i) {
        PrintColumn* column = currentColumns_[i];
        DeviceRect rect{column->x, job_->Cursor().y(), column->x + column->width,
                        job_->Cursor().y() + headingRowHeight_};
        if (column->flags & kColumnNarrow) {
            rect.right -= TruncatedProduct(column->width, 0.015);
        }
        int index = static_cast<int>(i);
        if (mode != 0 && mode % 2 == 0) {
            DrawHeadingDecoration(index, column->heading, rect, format, mode);
        }
        DrawHeadingText(index, column->heading, rect, format, mode);
        if (mode % 2 != 0) {
            DrawHeadingDecoration(index, column->heading, rect, format, mode);
        }
    }
    rowHeightUsed_ = headingRowHeight_;
    return EndRow(false);
}

void PrintUnit::DrawHeadingText(int, const QString& text, DeviceRect rect, unsigned format, int) {
    PageSink* sink = job_->Sink();
    if (!sink || rect.Width() <= 0) {
        return;
    }
    QString part = LeadingPartThatFits(*sink, text, rect.Width());
    if (!part.isEmpty()) {
        DrawText(sink, part, rect, format);
    }
}

void PrintUnit::ComputePrintableRect() {
    DeviceRect rect = job_->Info()->drawingRect;
    rect.top += headerBandHeight_;
    rect.bottom -= footerBandHeight_;
    rect.left += leftInset_;
    rect.right -= rightInset_;
    rect.Normalize();
    job_->PrintableRect() = rect;
}

void PrintUnit::DrawDotLeaders(const DeviceRect& rect) {
    PageSink* sink = job_->Sink();
    if (!sink) {
        return;
    }
    int dotWidth = sink->TextWidth(QStringLiteral("."));
    if (dotWidth <= 0) {
        return;
    }
    int count = std::max(0, rect.Width()) / dotWidth;
    if (count < 1) {
        return;
    }
    DrawText(sink, QString(count, QChar('.')), rect, kTextSingleLine);
}

void PrintUnit::PrintTextBlock(const TextBlock& block) {
    const int lineHeight = block.lineHeight != 0 ? block.lineHeight : textLineHeight_;
    const int lines = static_cast<int>(block.text.count(QChar('\n'))) + 1;
    int top = block.top;
    if ((block.flags & kBlockEnsureSpace) && EnsureSpace(lines * lineHeight)) {
        top = job_->Cursor().y();
    }
    DeviceRect line{block.left, top, block.right, top + lineHeight};
    const bool hasLeaders = block.text.contains(kFieldSeparator);
    PageSink* sink = job_->Sink();
    int previousEnd = block.left;
    TextSegmenter segmenter(block.text);
    TextSegment segment;
    while (segmenter.Next(segment) != TextSegmenter::kNoMore) {
        if (segment.newLine) {
            line.top += lineHeight;
            line.bottom += lineHeight;
        }
        if (!segment.text.isEmpty()) {
            DrawText(sink, segment.text, line, block.format | segment.alignment);
        }
        if (!hasLeaders) {
            continue;
        }
        int width = line.Width();
        int textWidth = segment.text.isEmpty() || !sink ? 0 : sink->TextWidth(segment.text);
        int start = line.right;
        int end = line.right;
        if (!segment.text.isEmpty()) {
            if (segment.alignment == kTextCenter) {
                start = line.left + std::max(0, (width - textWidth) / 2);
                end = start + textWidth;
            } else if (segment.alignment == kTextRight) {
                end = line.right;
                start = line.right - std::min(width, textWidth);
            } else {
                start = line.left;
                end = line.left + std::min(width, textWidth);
            }
        }
        if (segment.leader && start > previousEnd) {
            DrawDotLeaders(DeviceRect{previousEnd, line.top, start, line.bottom});
        }
        previousEnd = end;
    }
    rowHeightUsed_ = lines * lineHeight;
    if (block.flags & kBlockEndRow) {
        EndRow(false);
    }
}

void PrintUnit::PrintHeaderText(const QString& text) {
    // The header is printed while a row may be half done (a page break inside it); the row's
    // height must not take the header's.
    int saved = rowHeightUsed_;
    const DeviceRect& printable = job_->PrintableRect();
    TextBlock block;
    block.text = text;
    block.left = printable.left;
    block.right = printable.right;
    block.top = printable.top - headerBandHeight_;
    block.lineHeight = headerLineHeight_;
    PrintTextBlock(block);
    rowHeightUsed_ = saved;
}

void PrintUnit::PrintFooterText(const QString& text) {
    int saved = rowHeightUsed_;
    const DeviceRect& printable = job_->PrintableRect();
    TextBlock block;
    block.text = text;
    block.left = printable.left;
    block.right = printable.right;
    block.top = printable.bottom;
    block.lineHeight = footerLineHeight_;
    PrintTextBlock(block);
    rowHeightUsed_ = saved;
}

QFont PrintUnit::ReportFont(const char* family, double points, QFont::Weight weight) {
    QFont font{QString::fromLatin1(family)};
    font.setPointSizeF(points);
    font.setWeight(weight);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

int PrintUnit::FontHeight(const QFont& font) const {
    QPaintDevice* device = job_->Device();
    return device ? QFontMetrics(font, device).height() : QFontMetrics(font).height();
}

} // namespace qa
