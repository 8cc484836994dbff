#include "print/list_report.h"

#include "print/print_dialog_service.h"
#include "store/display_format.h"
#include "store/text_encoding.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QTextLayout>

#include <algorithm>

namespace qa {

namespace {

constexpr int kReportTextBytes = 199;
// Shaped texts a column keeps: the distinct dates, times, units and values of years of results.
constexpr qsizetype kShapedPerColumn = 4096;

template <typename Run> bool SameShape(const std::vector<Run>& a, const std::vector<Run>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].fontId != b[i].fontId || a[i].glyphs != b[i].glyphs ||
            a[i].positions != b[i].positions) {
            return false;
        }
    }
    return true;
}

int EffectiveWidth(const ReportSource& source, int column) {
    return source.ColumnVisible(column) ? std::max(0, source.ColumnWidth(column)) : 0;
}

} // namespace

void TableReportSource::AddColumn(const QString& heading, int width) {
    headings_.push_back(heading);
    widths_.push_back(width);
    visible_.push_back(true);
}

void TableReportSource::AddRow(std::vector<QString> cells) {
    rows_.push_back(std::move(cells));
}

void TableReportSource::SetColumnVisible(int column, bool visible) {
    if (column >= 0 && column < ColumnCount()) {
        visible_[column] = visible;
    }
}

QString TableReportSource::Heading(int column) const {
    return column >= 0 && column < ColumnCount() ? headings_[column] : QString();
}

int TableReportSource::ColumnWidth(int column) const {
    return column >= 0 && column < ColumnCount() ? widths_[column] : 0;
}

bool TableReportSource::ColumnVisible(int column) const {
    return column >= 0 && column < ColumnCount() && visible_[column];
}

QString TableReportSource::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0) {
        return QString();
    }
    const std::vector<QString>& cells = rows_[row];
    return column < static_cast<int>(cells.size()) ? cells[column] : QString();
}

QString CutToReportBytes(const QString& text) {
    // A character takes one or two bytes of code page 949 and one or two UTF-16 units, so a
    // text of up to 99 units always fits.
    if (text.size() <= kReportTextBytes / 2) {
        return text;
    }
    std::size_t total = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        std::size_t bytes = Cp949Length(text.mid(i, units).toStdString());
        if (total + bytes > static_cast<std::size_t>(kReportTextBytes)) {
            break;
        }
        total += bytes;
        i += units;
    }
    return text.left(i);
}

void ListReportJob::SetList(const ReportSource* source, bool useDefaultPrinter) {
    source_ = source;
    useDefaultPrinter_ = useDefaultPrinter;
    columnCount_ = source ? std::max(0, source->ColumnCount()) : 0;
}

PrintDialogService* ListReportJob::GetPrintDialog() {
    if (useDefaultPrinter_) {
        SelectDefaultPrinter();
        return nullptr;
    }
    return PrintJob::GetPrintDialog();
}

void ListReportJob::PrintDocument() {
    if (!source_) {
        return;
    }
    double dpi = source_->ScreenDotsPerInch();
    if (!(dpi > 0)) {
        dpi = 96.0;
    }
    // Screen pixels per centimetre times a hundredth of the page width, two thirds of it: how
    // much of the list's screen width one page takes.
    const double pixelsPerCm = dpi / 2.54;
    const int pageWidth = PrintableRect().Width();
    const double limit = pixelsPerCm * (pageWidth * 0.01) * 0.6666666666666666;
    if (columnCount_ <= 1) {
        return;
    }
    // Hidden columns after the last shown one would otherwise close a group of their own:
    // pages with nothing but the number column.
    int lastShown = 0;
    for (int i = 1; i < columnCount_; ++i) {
        if (source_->ColumnVisible(i)) {
            lastShown = i;
        }
    }
    // With nothing but the numbers shown, the numbers alone, as before.
    const int end = lastShown > 0 ? lastShown : columnCount_ - 1;
    int sum = EffectiveWidth(*source_, 0) - 30;
    int groupStart = 1;
    for (int i = 1; i <= end; ++i) {
        sum += EffectiveWidth(*source_, i) / 3;
        if (static_cast<double>(sum) > limit || i == end) {
            ListReportUnit unit(this, source_, groupStart, i);
            unit.Print();
            groupStart = i + 1;
            sum = EffectiveWidth(*source_, 0);
        }
    }
}

ListReportUnit::ListReportUnit(ListReportJob* job, const ReportSource* source, int first, int last)
    : PrintUnit(job), reportJob_(job), first_(first), last_(last), source_(source) {}

int ListReportUnit::ScreenWidth(int column) const {
    return source_ ? EffectiveWidth(*source_, column) : 0;
}

bool ListReportUnit::Print() {
    PrintUnit::Print();
    if (!source_) {
        return false;
    }
    StartPage();
    FontSelector body(Job()->Sink(), &bodyFont_.printer);
    CurrentFontScope current(this, &bodyFont_);
    const int rows = source_->RowCount();
    for (int row = 0; row < rows; ++row) {
        EnsureSpace(-2);
        QString text = CutToReportBytes(source_->CellText(row, 0));
        if (!text.isEmpty()) {
            PrintCell(0, text, 0);
        }
        int k = 1;
        for (int j = first_; j <= last_; ++j, ++k) {
            text = CutToReportBytes(source_->CellText(row, j));
            if (!text.isEmpty()) {
                PrintCell(k, text, 0);
            }
        }
        EndRow(true);
    }
    EndPage();
    return true;
}

const ListReportUnit::ShapedText& ListReportUnit::Shape(PageSink* sink, int index,
                                                        const QString& text) {
    if (sink->Font() != shapedFont_) {
        shaped_.clear();
        shapedFont_ = sink->Font();
        const QFontMetrics metrics = sink->FontMetrics();
        shapedAscent_ = metrics.ascent();
        shapedLineHeight_ = metrics.height();
        ascii_.reset();
        directChecks_ = 256;
    }
    if (index >= static_cast<int>(shaped_.size())) {
        shaped_.resize(index + 1);
    }
    ShapedColumn& column = shaped_[index];
    if (column.kept) {
        if (auto found = column.texts.constFind(text); found != column.texts.constEnd()) {
            ++column.hits;
            return *found;
        }
        ++column.misses;
        if (column.texts.size() >= kShapedPerColumn) {
            column.kept = column.hits >= column.misses;
            column.texts.clear();
        }
    }
    ShapedText& shaped = column.kept ? *column.texts.insert(text, ShapedText()) : unkept_;
    if (!directShaping_ || !ShapeDirectly(text, &shaped)) {
        shaped = ShapeByLayout(sink, text);
    } else if (directChecks_ > 0) {
        --directChecks_;
        ShapedText laidOut = ShapeByLayout(sink, text);
        if (shaped.width != laidOut.width || !SameShape(shaped.runs, laidOut.runs)) {
            directShaping_ = false;
            shaped = laidOut;
        }
    }
    return shaped;
}

int ListReportUnit::FontIdOf(const QRawFont& font) {
    for (std::size_t i = 0; i < runFonts_.size(); ++i) {
        if (runFonts_[i] == font) {
            return static_cast<int>(i);
        }
    }
    runFonts_.push_back(font);
    return static_cast<int>(runFonts_.size()) - 1;
}

ListReportUnit::ShapedText ListReportUnit::ShapeByLayout(PageSink* sink, const QString& text) {
    // Laid out as QPainter::drawText lays out a line: the sink's font, its direction, no
    // width limit.
    ShapedText shaped;
    shaped.width = sink->FontMetrics().horizontalAdvance(text);
    QTextLayout layout(text, shapedFont_);
    QTextOption option = layout.textOption();
    option.setTextDirection(sink->LayoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (line.isValid()) {
        const QPointF toBaseline(0, -line.ascent());
        const QList<QGlyphRun> runs = line.glyphRuns();
        const QList<QList<GlyphText>> chars = GlyphTextsOf(line, text, runs);
        for (qsizetype r = 0; r < runs.size(); ++r) {
            const QGlyphRun& run = runs[r];
            GlyphRun out{run.rawFont(), FontIdOf(run.rawFont()), run.glyphIndexes(),
                         run.positions(), chars[r]};
            for (QPointF& position : out.positions) {
                position += toBaseline;
            }
            shaped.runs.push_back(std::move(out));
        }
    }
    return shaped;
}

bool ListReportUnit::ShapeDirectly(const QString& text, ShapedText* shaped) {
    const qsizetype size = text.size();
    if (size == 0 || size > 64) {
        return false;
    }
    for (QChar c : text) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7e) {
            return false;
        }
    }
    if (!ascii_) {
        ascii_ = std::make_unique<AsciiGlyphs>();
        ascii_->font = QRawFont::fromFont(shapedFont_);
        ascii_->fontId = FontIdOf(ascii_->font);
        ascii_->valid = LoadAsciiGlyphs(*ascii_, shapedFont_.kerning());
    }
    if (!ascii_->valid) {
        return false;
    }
    const AsciiGlyphs& ascii = *ascii_;
    if (shaped->runs.size() != 1) {
        shaped->runs.assign(1, GlyphRun());
    }
    GlyphRun& run = shaped->runs.front();
    if (run.fontId != ascii.fontId) {
        run.font = ascii.font;
        run.fontId = ascii.fontId;
    }
    run.glyphs.resize(size);
    run.positions.resize(size);
    run.chars.resize(size);
    double x = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const int c = text.at(i).unicode() - 0x20;
        run.glyphs[i] = ascii.glyphs[c];
        run.positions[i] = QPointF(x, 0);
        run.chars[i] = GlyphText{static_cast<qint32>(i), 1};
        x += i + 1 < size ? ascii.pairAdvances[c][text.at(i + 1).unicode() - 0x20]
                          : ascii.advances[c];
    }
    shaped->width = qRound(x);
    return true;
}

bool ListReportUnit::LoadAsciiGlyphs(AsciiGlyphs& ascii, bool kerning) {
    if (!ascii.font.isValid()) {
        return false;
    }
    // Space stays out (index 0 unused): a text with a blank goes through the layout.
    QChar characters[95];
    for (int c = 0; c < 95; ++c) {
        characters[c] = QChar(0x20 + c);
    }
    int count = 95;
    if (!ascii.font.glyphIndexesForChars(characters, 95, ascii.glyphs, &count) || count != 95) {
        return false;
    }
    QPointF advances[95];
    if (!ascii.font.advancesForGlyphIndexes(ascii.glyphs, advances, 95,
                                            QRawFont::SeparateAdvances)) {
        return false;
    }
    for (int c = 1; c < 95; ++c) {
        if (ascii.glyphs[c] == 0) {
            return false;
        }
        ascii.advances[c] = advances[c].x();
        for (int d = 1; d < 95; ++d) {
            ascii.pairAdvances[c][d] = ascii.advances[c];
        }
    }
    if (!kerning) {
        return true;
    }
    // Each pair's first advance with the font's kerning applied, as a text of two glyphs.
    for (int c = 1; c < 95; ++c) {
        for (int d = 1; d < 95; ++d) {
            const quint32 pair[2] = {ascii.glyphs[c], ascii.glyphs[d]};
            QPointF kerned[2];
            if (!ascii.font.advancesForGlyphIndexes(pair, kerned, 2, QRawFont::KernedAdvances)) {
                return false;
            }
            ascii.pairAdvances[c][d] = kerned[0].x();
        }
    }
    return true;
}

int ListReportUnit::DrawCellText(const QString& text, DeviceRect rect, unsigned format, int index,
                                 PrintColumn* column) {
    PageSink* sink = Job()->Sink();
    const bool plain = sink && format == 0 && index >= 0 &&
                       !(column && (column->flags & kColumnRichText)) &&
                       !text.contains(QChar('\n')) && !text.contains(QChar('\r'));
    if (!plain) {
        FlushRow();
        return PrintUnit::DrawCellText(text, rect, format, index, column);
    }
    const ShapedText& shaped = Shape(sink, index, text);
    // As DrawText: nothing is drawn in an empty rectangle, and a text that needs clipping is
    // left to it.
    if (rect.Width() <= 0) {
        return shapedLineHeight_;
    }
    if (shaped.width > rect.Width() || rect.Height() < shapedLineHeight_) {
        FlushRow();
        return PrintUnit::DrawCellText(text, rect, format, index, column);
    }
    const QPointF origin(rect.left, rect.top + shapedAscent_);
    qsizetype textAt = -1; // where the cell's text starts in the row's
    for (const GlyphRun& run : shaped.runs) {
        if (run.fontId != rowFontId_) {
            FlushRow();
            rowFont_ = run.font;
            rowFontId_ = run.fontId;
            textAt = -1;
        }
        if (textAt < 0) {
            textAt = rowText_.size();
            rowText_ += text;
        }
        rowGlyphs_.append(run.glyphs);
        for (const QPointF& position : run.positions) {
            rowPositions_.push_back(position + origin);
        }
        const qsizetype glyphCount = run.glyphs.size();
        for (qsizetype i = 0; i < glyphCount; ++i) {
            GlyphText chars = i < run.chars.size() ? run.chars[i] : GlyphText{};
            chars.from += static_cast<qint32>(textAt);
            rowChars_.push_back(chars);
        }
    }
    return shapedLineHeight_;
}

void ListReportUnit::FlushRow() {
    if (rowGlyphs_.isEmpty()) {
        return;
    }
    if (PageSink* sink = Job()->Sink()) {
        sink->DrawGlyphs(rowFont_, rowGlyphs_, rowPositions_, rowText_, rowChars_);
    }
    rowGlyphs_.clear();
    rowPositions_.clear();
    rowText_.clear();
    rowChars_.clear();
}

bool ListReportUnit::EndRow(bool flush) {
    FlushRow();
    return PrintUnit::EndRow(flush);
}

void ListReportUnit::EndPage() {
    FlushRow();
    PrintUnit::EndPage();
}

void ListReportUnit::DefineColumns() {
    if (source_) {
        double total = ScreenWidth(0);
        for (int j = first_; j <= last_; ++j) {
            total += ScreenWidth(j);
        }
        const int count = last_ - first_ + 2;
        // With every column of the group zero wide there is nothing to measure by; equal
        // shares keep the widths defined.
        auto share = [&](int column) {
            return total > 0 ? ScreenWidth(column) / total : 1.0 / count;
        };
        InsertColumn(0, CutToReportBytes(source_->Heading(0)), share(0), 0);
        int k = 1;
        for (int j = first_; j <= last_; ++j, ++k) {
            InsertColumn(k, CutToReportBytes(source_->Heading(j)), share(j), 0);
        }
    }
    AssignColumnPositions();
}

void ListReportUnit::CreateFonts() {
    headingFont_ = ReportFont(kReportSans, 9, QFont::Bold);
    bodyFont_.printer = ReportFont(kReportSans, 9);
    bodyFont_.screen = bodyFont_.printer;
    headerFont_ = ReportFont(kReportSerif, 11);
    footerFont_ = ReportFont(kReportSerif, 9);
}

void ListReportUnit::ComputeMetrics() {
    headerLineHeight_ = FontHeight(headerFont_);
    headerBandHeight_ = (reportJob_->Context() ? 3 : 2) * headerLineHeight_;
    footerLineHeight_ = FontHeight(footerFont_);
    footerBandHeight_ = 2 * footerLineHeight_;
    textLineHeight_ = FontHeight(bodyFont_.printer);
    headingRowHeight_ = textLineHeight_;
    ComputePrintableRect();
}

void ListReportUnit::StartPage() {
    PrintUnit::StartPage();
    FontSelector heading(Job()->Sink(), &headingFont_);
    PrintHeadings(0, 0);
}

bool ListReportUnit::PrintHeadings(unsigned format, int mode) {
    return PrintRuledHeadings(format, mode);
}

QString ListReportUnit::HeaderText(const SettingsStore& settings, const QDateTime& now, int page) {
    QString text = ReportDateTimeText(settings, now);
    text += kUnitSeparator;
    text += QCoreApplication::translate("qa::ListReport", kReportTitle);
    text += kRecordSeparator;
    text += QCoreApplication::translate("qa::ListReport", kReportPagePattern).arg(page);
    return text;
}

void ListReportUnit::PrintHeader() {
    FontSelector header(Job()->Sink(), &headerFont_);
    PrintHeaderText(
        HeaderText(reportJob_->Settings(), reportJob_->Now(), Job()->Info()->currentPage));
    if (reportJob_->Context()) {
        const int saved = rowHeightUsed_;
        PrintReportContextLine(*this, ReportContextText(*reportJob_->Context()),
                               Job()->PrintableRect().top - headerBandHeight_ + headerLineHeight_,
                               headerLineHeight_);
        rowHeightUsed_ = saved;
    }
}

void ListReportUnit::PrintFooter() {
    FontSelector footer(Job()->Sink(), &footerFont_);
    QString text = QLatin1String(kReportFooterLeft);
    text += kUnitSeparator;
    text += QCoreApplication::translate("qa::ListReport", kReportFooterCentre);
    text += kRecordSeparator;
    text += QCoreApplication::translate("qa::ListReport", kReportFooterRight);
    PrintFooterText(text);
}

int PrintListReport(const ReportSource& source, const SettingsStore& settings,
                    PrintDialogService& dialogs, const std::optional<ReportContext>& context,
                    const std::string& dataFolder, PrintTarget* printedTo) {
    ListReportJob job(&dialogs);
    job.SetDataFolder(dataFolder);
    if (context) {
        job.SetContext(*context);
    }
    job.SetList(&source, false);
    job.SetSettings(settings);
    const int result = job.Print();
    if (printedTo != nullptr) {
        *printedTo = job.Target();
    }
    return result;
}

Status PrintReportToPdf(const ReportSource& source, const SettingsStore& settings,
                        const QString& pdfPath, const std::optional<ReportContext>& context) {
    // The report's own texts, already in the operator's language.
    auto fail = [](const QString& message) {
        return Status(Message::Verbatim(message.toStdString()));
    };
    if (pdfPath.isEmpty()) {
        return fail(QCoreApplication::translate("qa::ListReport", "No output file was given."));
    }
    PdfFileDialogService dialogs(pdfPath);
    ListReportJob job(&dialogs);
    job.SetList(&source, false);
    job.SetSettings(settings);
    if (context) {
        job.SetContext(*context);
    }
    int result = job.Print();
    if (result != kPrintSpooled) {
        return fail(
            QCoreApplication::translate("qa::ListReport", "The report could not be written to %1.")
                .arg(pdfPath));
    }
    if (job.DevicePages() == 0) {
        return fail(QCoreApplication::translate("qa::ListReport",
                                                "The list has no columns to print beside the "
                                                "first one; no report was written."));
    }
    return {};
}

} // namespace qa
