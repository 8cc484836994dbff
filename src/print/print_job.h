#pragma once

#include "store/status.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QPainter;
class QPaintDevice;
class QPrinter;

namespace qa {

class PageSink;
class PainterPageSink;
class PdfDocumentSink;
struct PdfPageGeometry;

// Makes a PDF sink measuring fonts on `device` (the printer) with its pixels placed as given.
using PdfSinkFactory =
    std::function<std::unique_ptr<PdfDocumentSink>(QPaintDevice* device, const PdfPageGeometry&)>;

// DrawText-style format bits, with the values the print code has always used. Only the bits
// below are understood; prefix characters ('&') are never interpreted, so a patient name with
// an ampersand prints as it was typed.
enum TextFormat : unsigned {
    kTextLeft = 0x0,
    kTextCenter = 0x1,
    kTextRight = 0x2,
    kTextVCenter = 0x4, // with kTextSingleLine
    kTextBottom = 0x8,  // with kTextSingleLine
    kTextWordBreak = 0x10,
    kTextSingleLine = 0x20,
    kTextNoClip = 0x100,
    // Wrap (through the rich-text layout) only when the text is wider than its cell.
    kWrapIfNeeded = 0x2000,
};

// Results of PrintJob::Print.
enum PrintResult : int {
    kPrintSpooled = 0,
    kPrintCancelled = 1,     // the print dialog was cancelled
    kPrintNoPrinter = 2,     // no usable printer, or the document could not be started or written
    kPrintFileCancelled = 3, // the print-to-file name was not given
};

inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

// A rectangle in printer device pixels with right and bottom exclusive, so width and height
// are plain differences as in the layout rules.
struct DeviceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    void Normalize();
    bool operator==(const DeviceRect&) const = default;
};

// The printer chosen in the print dialog, with what the dialog edits.
struct PrinterSelection {
    std::shared_ptr<QPrinter> printer;
    bool printToFile = false; // the dialog asked for a file: the job asks for its name
    int minPage = 1;
    int maxPage = 0xFFFF;
    int fromPage = 1;
    int toPage = 0xFFFF;
};

// Where a job's pages went: the PDF file it wrote, or the printer it spooled to.
struct PrintTarget {
    bool file = false;
    QString name; // the file's path, or the printer's name
};

// The print dialog as a service: QPrintDialog in the window (QtPrintDialogService), a
// scripted stand-in in tests.
class PrintDialogService {
public:
    virtual ~PrintDialogService() = default;
    // Shows the dialog; returns kDialogOk with `selection.printer` set, or kDialogCancel.
    virtual int Exec(PrinterSelection& selection) = 0;
    // The file of a print to file; false when the user cancels.
    virtual bool AskOutputFile(QString& path) = 0;
    // The current printer without showing anything; null when there is none.
    virtual std::shared_ptr<QPrinter> DefaultPrinter() = 0;
};

// The job's print information: what its dialog edits, the drawing rectangle and the page
// counters. The current page is the number page headers print; both counters keep counting
// across all units of one job, so several units number their pages continuously.
struct PrintInfoRecord {
    PrinterSelection selection;
    int currentPage = 1;
    int pageCounter = 1;
    DeviceRect drawingRect;
    bool continuePrinting = true;
};

// Runs one print job: obtains a printer through the dialog service, computes the page
// geometry, opens and closes the document and lets a subclass print the body with units.
// Everything is in printer device pixels. The document is opened on the printer only when
// the first page starts, so a job that prints no page writes no file and spools nothing.
class PrintJob {
public:
    // `dialogs` is not owned and may be null: then the printer must come from
    // SelectDefaultPrinter.
    explicit PrintJob(PrintDialogService* dialogs = nullptr);
    virtual ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // Returns a PrintResult.
    int Print();

    // What units read and move.
    PrintInfoRecord* Info() { return info_.get(); }
    // Where units draw; null unless a page is being drawn.
    PageSink* Sink();
    // The painter behind the sink, for drawings only Qt makes; null unless a page is being
    // drawn through QPainter.
    QPainter* Painter();
    QPaintDevice* Device() const; // the printer, for measuring fonts
    DeviceRect& PrintableRect() { return printable_; }
    QPoint& Cursor() { return cursor_; }
    void SetInPage(bool inPage) { inPage_ = inPage; }
    int DevicePages() const { return devicePages_; }

    // Makes the sink of the PDF files the job writes itself; the program's own PDF output
    // when unset. A benchmark puts another library's output behind the same pages.
    void SetPdfSinkFactory(PdfSinkFactory factory) { pdfFactory_ = std::move(factory); }

    // The data folder a PDF file may not be written into (see CheckOutputTarget).
    void SetDataFolder(std::string folder) { dataFolder_ = std::move(folder); }
    // Why the last PDF file was not written, when the target was refused or could not be
    // replaced; success otherwise.
    const Status& OutputStatus() const { return outputStatus_; }
    // Where the last Print() sent its pages (set once the printer is known).
    const PrintTarget& Target() const { return target_; }

    // Page operations on the printer, called by units.
    [[nodiscard]] bool StartDevicePage();
    void EndDevicePage();

protected:
    virtual PrintDialogService* GetPrintDialog();
    virtual bool PreparePrintDialog();
    virtual int ShowPrintDialog();
    virtual bool GetOutputFile(QString& name);
    virtual bool CreatePrinterDC();
    virtual void OnBeforeStartDoc() {}
    virtual void OnAfterPrint(bool failed);
    [[nodiscard]] virtual bool StartDocument();
    virtual void EndDocument(bool abort);
    virtual void ComputePageRects();
    virtual bool GetMargins(DeviceRect& margins);
    virtual void FillDocInfo();
    virtual void PrintDocument() {}
    virtual void SelectDefaultPrinter();
    // A job that draws only through its sink may have a PDF printer's file written by the
    // program's own PDF output instead of Qt's, which is many times faster on long reports.
    virtual bool WritesPdfItself() const { return false; }

private:
    PrintDialogService* dialogs_;
    PrintDialogService* activeDialog_ = nullptr;
    std::unique_ptr<PrintInfoRecord> info_;
    PrinterSelection* selection_ = nullptr;
    std::unique_ptr<PrinterSelection> ownedSelection_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PainterPageSink> painterSink_;
    std::unique_ptr<PdfDocumentSink> pdf_;
    PdfSinkFactory pdfFactory_;
    bool pdfItself_ = false; // chosen when the document starts
    DeviceRect printable_;
    DeviceRect page_;
    QPoint cursor_;
    bool inPage_ = false;
    bool documentOpen_ = false;
    bool deviceFailed_ = false;
    int devicePages_ = 0;
    QString outputFile_;
    std::string dataFolder_;
    Status outputStatus_;
    PrintTarget target_;
};

} // namespace qa
