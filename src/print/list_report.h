#pragma once

#include "print/print_unit.h"
#include "print/report_header.h"
#include "print/report_source.h"
#include "store/settings.h"
#include "store/status.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QRawFont>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qa {

// The report's fixed texts, printed in the current language (context "qa::ListReport").
inline constexpr const char* kReportTitle =
    QT_TRANSLATE_NOOP("qa::ListReport", "QuorinA1c Self Report");
inline constexpr const char* kReportPagePattern = QT_TRANSLATE_NOOP("qa::ListReport", "Page %1");
inline constexpr const char* kReportFooterRight =
    QT_TRANSLATE_NOOP("qa::ListReport", "Data Report.");
inline constexpr const char* kReportFooterLeft = "---";
inline constexpr const char* kReportFooterCentre =
    QT_TRANSLATE_NOOP("qa::ListReport", "QuorinA1c HbA1c and Glucose Data Manager");

// List texts are read as the list control hands them over, into a buffer of 200 bytes of code
// page 949: at most 199 bytes, never ending in half a character.
QString CutToReportBytes(const QString& text);

// Prints a list as the data report: the columns in groups that fit the page, column 0
// repeated in every group, each group over as many pages as its rows need.
class ListReportJob : public PrintJob {
public:
    explicit ListReportJob(PrintDialogService* dialogs = nullptr) : PrintJob(dialogs) {}

    // `source` is not owned and must outlive Print. With `useDefaultPrinter` the report goes to
    // the current printer without a dialog.
    void SetList(const ReportSource* source, bool useDefaultPrinter);
    void SetSettings(const SettingsStore& settings) { settings_ = settings; }
    // Clinic, operator, result kind and period, printed under the title line of every page.
    void SetContext(const ReportContext& context) { context_ = context; }
    const std::optional<ReportContext>& Context() const { return context_; }
    // The clock of the header's date and time; local time by default.
    void SetClock(std::function<QDateTime()> now) { now_ = std::move(now); }
    // PDF files are written by the report's own PDF output; this asks for Qt's instead (the
    // two are compared in tests).
    void SetQtPdfOutput(bool qt) { qtPdf_ = qt; }

    const SettingsStore& Settings() const { return settings_; }
    QDateTime Now() const { return now_ ? now_() : QDateTime::currentDateTime(); }
    int ColumnCount() const { return columnCount_; }

protected:
    PrintDialogService* GetPrintDialog() override;
    void PrintDocument() override;
    bool WritesPdfItself() const override { return !qtPdf_; }

private:
    const ReportSource* source_ = nullptr;
    bool qtPdf_ = false;
    int columnCount_ = 0;
    bool useDefaultPrinter_ = false;
    SettingsStore settings_;
    std::function<QDateTime()> now_;
    std::optional<ReportContext> context_;
};

// One column group of the report: list column 0, then columns first to last.
class ListReportUnit : public PrintUnit {
public:
    ListReportUnit(ListReportJob* job, const ReportSource* source, int first, int last);

    bool Print() override;
    void DefineColumns() override;
    void CreateFonts() override;
    void ComputeMetrics() override;
    void StartPage() override;
    bool PrintHeadings(unsigned format, int mode) override;
    void PrintFooter() override;
    void PrintHeader() override;
    int DrawCellText(const QString& text, DeviceRect rect, unsigned format, int index,
                     PrintColumn* column) override;
    bool EndRow(bool flush) override;
    void EndPage() override;

    // The header line: date and time by the settings, the title centred, the page at the right.
    static QString HeaderText(const SettingsStore& settings, const QDateTime& now, int page);

private:
    ListReportJob* reportJob_;
    FontPair bodyFont_;
    QFont headingFont_;
    QFont headerFont_;
    QFont footerFont_;
    int first_;
    int last_;
    const ReportSource* source_;

    // A cell text shaped once: its width as the font metrics give it and its glyphs placed
    // from the start of its baseline, in runs of one font each.
    struct GlyphRun {
        QRawFont font;
        int fontId = -1; // its index in runFonts_: compared for every cell
        QList<quint32> glyphs;
        QList<QPointF> positions;
        QList<GlyphText> chars; // in the cell's text
    };
    struct ShapedText {
        int width = 0;
        std::vector<GlyphRun> runs;
    };
    // Dates, times, units and values repeat from row to row, so each column keeps the texts
    // it has shaped, up to a bound. A column whose texts seldom repeat (row numbers, patient
    // IDs) stops keeping them once its cache has filled with more misses than hits.
    struct ShapedColumn {
        QHash<QString, ShapedText> texts;
        qint64 hits = 0;
        qint64 misses = 0;
        bool kept = true;
    };
    std::vector<ShapedColumn> shaped_;
    ShapedText unkept_;
    QFont shapedFont_;
    // Texts of printable ASCII in the font's own glyphs are placed from the font's advances
    // and its kerning pairs, which is what shaping does for a font that asks for nothing
    // more; the first texts are checked against the full layout, and any difference turns
    // this off.
    struct AsciiGlyphs {
        QRawFont font;
        int fontId = -1;
        bool valid = false;
        quint32 glyphs[95] = {};
        double advances[95] = {};         // as the last glyph of a text
        double pairAdvances[95][95] = {}; // followed by the second character
    };
    std::unique_ptr<AsciiGlyphs> ascii_;
    bool directShaping_ = true;
    int directChecks_ = 0;
    int shapedAscent_ = 0;
    int shapedLineHeight_ = 0;
    // The glyphs of the row's cells, drawn as one text object when the row ends: a PDF text
    // object costs a fixed preamble, whatever its length.
    std::vector<QRawFont> runFonts_;
    QRawFont rowFont_;
    int rowFontId_ = -1;
    QList<quint32> rowGlyphs_;
    QList<QPointF> rowPositions_;
    QString rowText_; // the texts of the cells drawn, for the row's glyphs' characters
    QList<GlyphText> rowChars_;

    int ScreenWidth(int column) const;
    const ShapedText& Shape(PageSink* sink, int index, const QString& text);
    ShapedText ShapeByLayout(PageSink* sink, const QString& text);
    int FontIdOf(const QRawFont& font);
    bool ShapeDirectly(const QString& text, ShapedText* shaped);
    static bool LoadAsciiGlyphs(AsciiGlyphs& ascii, bool kerning);
    void FlushRow();
};

// The print button of the all-data page: the report through the print dialog. Returns a
// PrintResult. A PDF file chosen in the dialog is refused inside `dataFolder`.
// `printedTo`, when given, is where the pages went.
int PrintListReport(const ReportSource& source, const SettingsStore& settings,
                    PrintDialogService& dialogs, const std::optional<ReportContext>& context = {},
                    const std::string& dataFolder = {}, PrintTarget* printedTo = nullptr);

// The same report written to a PDF file, for the command line. Needs a QGuiApplication.
// Fails, in the operator's language, when nothing was written: a list with no column beside
// the first prints no page, and a file that cannot be written is refused.
Status PrintReportToPdf(const ReportSource& source, const SettingsStore& settings,
                        const QString& pdfPath, const std::optional<ReportContext>& context = {});

} // namespace qa
