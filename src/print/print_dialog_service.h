#pragma once

#include "print/print_job.h"

#include <QString>

#include <memory>

class QPrinter;
class QWidget;

namespace qa {

// The print dialog of the window: QPrintDialog over one printer that keeps its settings from
// one job to the next, as the application's printer does. Its own "print to file" choice
// names the file inside the dialog, so the job never has to ask for it separately.
class QtPrintDialogService : public PrintDialogService {
public:
    explicit QtPrintDialogService(QWidget* parent = nullptr);
    int Exec(PrinterSelection& selection) override;
    bool AskOutputFile(QString& path) override;
    std::shared_ptr<QPrinter> DefaultPrinter() override;

private:
    QWidget* parent_;
    std::shared_ptr<QPrinter> printer_;
};

// A printer that writes a PDF file: A4 portrait at 600 dots per inch, like an office laser
// printer, with its unprintable border of a quarter inch on every side.
std::shared_ptr<QPrinter> MakePdfPrinter(const QString& path);

// Prints to one PDF file without showing anything: the command line's dialog.
class PdfFileDialogService : public PrintDialogService {
public:
    explicit PdfFileDialogService(QString path) : path_(std::move(path)) {}
    int Exec(PrinterSelection& selection) override;
    bool AskOutputFile(QString& path) override;
    std::shared_ptr<QPrinter> DefaultPrinter() override;

private:
    QString path_;
};

} // namespace qa
