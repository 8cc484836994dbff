#pragma once

#include "print/page_sink.h"
#include "print/print_job.h"

#include <QFont>
#include <QString>

#include <memory>
#include <vector>

class QTextDocument;

namespace qa {

inline constexpr QChar kFieldSeparator = QChar(0x1C);  // FS: dot leader before the next segment
inline constexpr QChar kRecordSeparator = QChar(0x1E); // RS: next segment right-aligned
inline constexpr QChar kUnitSeparator = QChar(0x1F);   // US: next segment centred

enum ColumnFlag : unsigned {
    kColumnNarrow = 1,    // cell and heading drawn 1.5 % narrower on the right
    kColumnRichText = 2,  // the cell is always laid out as wrapping text
    kColumnRestOfSet = 8, // the share is what the set's earlier columns leave of the width
};

struct PrintColumn {
    QString heading;
    QString overflow; // tail of a wrapped cell that continues on the next page
    double share = 0; // fraction of the drawing-rectangle width
    int width = 0;
    int x = 0;
    unsigned flags = 0;
};

struct ColumnSpec {
    int position = 0;
    QString heading;
    double share = 0;
    unsigned flags = 0;
};

enum TextBlockFlag : unsigned {
    kBlockEnsureSpace = 1, // make room for all lines first
    kBlockEndRow = 2,      // finish the row afterwards
};

struct TextBlock {
    QString text; // may hold FS, RS, US and LF
    unsigned format = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;     // not used: each line is one line height tall
    int lineHeight = 0; // 0: the unit's text line height
    unsigned flags = 0;
};

// The printer font and the screen font of one face and size. The printer font lays out
// wrapping text; the screen font is kept for callers that show the same text on screen.
struct FontPair {
    QFont printer;
    QFont screen;
};

struct TextSegment {
    QString text;
    unsigned alignment = kTextLeft; // kTextLeft, kTextCenter or kTextRight
    bool leader = false;            // dot leader from the previous segment's end
    bool newLine = false;
};

// Splits a text-block text into segments. Alignment, leader and new-line settings found while
// scanning apply to the segment that follows; a doubled FS, US or RS stands for the character.
class TextSegmenter {
public:
    enum Result { kNoMore = 1, kSegment = 2, kSegmentEndedByLf = 3 };

    explicit TextSegmenter(QString text) : text_(std::move(text)) {}
    Result Next(TextSegment& segment);

private:
    QString text_;
    qsizetype pos_ = 0;
    bool done_ = false;
    TextSegment pending_;
};

// Selects a font into the sink for a scope and puts the previous one back.
class FontSelector {
public:
    FontSelector(PageSink* sink, const QFont* font);
    ~FontSelector();
    FontSelector(const FontSelector&) = delete;
    FontSelector& operator=(const FontSelector&) = delete;

private:
    PageSink* sink_ = nullptr;
    QFont previous_;
};

class PrintUnit;

// Makes a font pair the unit's current font (used by the wrapping layout) for a scope.
class CurrentFontScope {
public:
    CurrentFontScope(PrintUnit* unit, FontPair* font);
    ~CurrentFontScope();
    CurrentFontScope(const CurrentFontScope&) = delete;
    CurrentFontScope& operator=(const CurrentFontScope&) = delete;

private:
    PrintUnit* unit_;
    FontPair* saved_;
};

// Prints one section of a document for a job: fonts, columns, page header and footer, the
// row cursor and page breaks, and wrapping text that continues on the next page.
class PrintUnit {
public:
    explicit PrintUnit(PrintJob* job);
    virtual ~PrintUnit();
    PrintUnit(const PrintUnit&) = delete;
    PrintUnit& operator=(const PrintUnit&) = delete;

    virtual bool Print();
    virtual void DefineColumns();
    virtual void CreateFonts() {}
    virtual void ComputeMetrics() {}
    virtual void InsertColumn(int position, const QString& text, double share, int set);
    void InsertColumn(const ColumnSpec& spec, int set);
    virtual void StartPage();
    virtual void EndPage();
    virtual void EjectBlankPage(bool count);
    // Breaks the page when `height` does not fit above the printable bottom; -1 is the heading
    // row height, -2 the text line height. Exactly reaching the bottom still fits.
    virtual bool EnsureSpace(int height);
    // Moves to the next row; with `flush`, cells that overflowed continue on new pages first.
    // True when it broke the page.
    virtual bool EndRow(bool flush);
    virtual void NewPage();
    virtual bool ContinuePrinting();
    virtual void PrintCell(int index, const QString& text, unsigned format);
    virtual int DrawCellText(const QString& text, DeviceRect rect, unsigned format, int index,
                             PrintColumn* column);
    // Lays `text` out wrapped to the rectangle's width and, with `render`, draws the lines that
    // fit its height. Returns the index of the first character that did not fit; `usedHeight`
    // gets the height of the lines that did.
    virtual int RenderRichText(const QString& text, const DeviceRect& rect, bool render,
                               int* usedHeight);
    virtual bool PrintHeadings(unsigned format, int mode);
    virtual void DrawHeadingText(int index, const QString& text, DeviceRect rect, unsigned format,
                                 int mode);
    virtual void DrawHeadingDecoration(int, const QString&, DeviceRect, unsigned, int) {}
    virtual void PrintFooter() {}
    virtual void PrintHeader() {}
    virtual void ComputePrintableRect();
    virtual void PrintTextBlock(const TextBlock& block);

    int AssignColumnPositions();
    // The headings with a rule under them. Refused while headings are being printed: a heading
    // row that breaks the page is printed, rule included, by the new page itself.
    bool PrintRuledHeadings(unsigned format, int mode);
    void PrintHeaderText(const QString& text);
    void PrintFooterText(const QString& text);

    PrintJob* Job() const { return job_; }
    FontPair* CurrentFont() const { return currentFont_; }
    void SetCurrentFont(FontPair* font) { currentFont_ = font; }
    bool HeadingsInProgress() const { return headingsInProgress_ != 0; }
    int TextLineHeight() const { return textLineHeight_; }
    int RowHeightUsed() const { return rowHeightUsed_; }

    // DrawText as the print code uses it: lines broken at line feeds unless single-line,
    // aligned by the format, clipped to the rectangle unless kTextNoClip. Returns the height
    // of the text.
    static int DrawText(PageSink* sink, const QString& text, const DeviceRect& rect,
                        unsigned format);

protected:
    // Families the installation provides (fonts-nanum), both with Hangul: a name like "Arial"
    // resolves to whatever each machine substitutes, and with it the line height and so the
    // number of rows on a page.
    static constexpr const char* kReportSans = "NanumGothic";
    static constexpr const char* kReportSerif = "NanumMyeongjo";
    // Ligatures would turn "fi" in a printed word into one glyph that searching and copying the
    // document no longer find as the two letters.
    static QFont ReportFont(const char* family, double points,
                            QFont::Weight weight = QFont::Normal);
    // Line height of `font` on the job's device (the screen's when there is none yet).
    int FontHeight(const QFont& font) const;

    int SelectHeight(int height) const;
    void DrawDotLeaders(const DeviceRect& rect);

    int rowHeightUsed_ = 0;
    int headingRowHeight_ = 0;
    int footerBandHeight_ = 0;
    int headerBandHeight_ = 0;
    int rightInset_ = 0;
    int leftInset_ = 0;
    int footerLineHeight_ = 0;
    int headerLineHeight_ = 0;
    int textLineHeight_ = 0;

private:
    using ColumnSet = std::vector<std::unique_ptr<PrintColumn>>;

    PrintJob* job_;
    int currentSet_ = -1;
    std::vector<ColumnSet> sets_;
    std::vector<PrintColumn*> currentColumns_;
    std::unique_ptr<QTextDocument> richText_;
    FontPair* currentFont_ = nullptr;
    int headingsInProgress_ = 0;
    // Set while overflow continues at the top of a fresh page: at least one line is placed
    // there, since a line that does not fit a whole page never will, and waiting for a page
    // it fits on would print blank pages without end.
    bool forceFirstLine_ = false;

    void RefreshCurrentColumns();
};

} // namespace qa
