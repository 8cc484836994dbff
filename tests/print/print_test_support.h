#pragma once

#include "print/print_job.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace qa::test {

// The print dialog as a test scripts it: OK with a PDF printer, cancel, or OK with "print to
// file" ticked, and then a file name or a cancelled name dialog.
class ScriptedPrintDialog : public PrintDialogService {
public:
    enum class Answer { Ok, Cancel, PrintToFile };

    explicit ScriptedPrintDialog(QString pdfPath) : pdfPath_(std::move(pdfPath)) {}

    Answer answer = Answer::Ok;
    std::optional<QString> fileName; // the print-to-file name; none: the name is cancelled
    int copies = 1;                  // what the user sets in the dialog
    std::shared_ptr<QPrinter> defaultPrinter;

    int shown = 0;
    int namesAsked = 0;
    PrinterSelection seen;
    std::shared_ptr<QPrinter> lastPrinter;

    int Exec(PrinterSelection& selection) override;
    bool AskOutputFile(QString& path) override;
    std::shared_ptr<QPrinter> DefaultPrinter() override { return defaultPrinter; }

private:
    QString pdfPath_;
};

struct PdfWord {
    int page = 0; // from 0
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};

int PdfPageCount(const QString& path);
// The text of every page, laid out as pdftotext -layout does.
QStringList PdfPageTexts(const QString& path);
// Whitespace runs (and the \x01 some fonts extract for a blank) become one blank.
QString Normalized(const QString& text);
std::vector<PdfWord> PdfWords(const QString& path);
double PdfPageWidth(const QString& path); // points
// Rows (in points from the top) of page `page` (from 1) where a dark line runs across at
// least `fraction` of the page width.
std::vector<double> HorizontalRules(const QString& path, int page, double fraction);
// Pixels darker than mid-grey on page `page` (from 1) rendered at 72 dpi.
int DarkPixels(const QString& path, int page);
QString RunTool(const QString& program, const QStringList& arguments);

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};
ToolRun RunToolFully(const QString& program, const QStringList& arguments);

} // namespace qa::test
