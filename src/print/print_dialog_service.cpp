#include "print/print_dialog_service.h"

#include <QFileDialog>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace qa {

QtPrintDialogService::QtPrintDialogService(QWidget* parent) : parent_(parent) {}

int QtPrintDialogService::Exec(PrinterSelection& selection) {
    if (!printer_) {
        printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
    }
    QPrintDialog dialog(printer_.get(), parent_);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setMinMax(selection.minPage, selection.maxPage);
    dialog.setFromTo(selection.fromPage, selection.toPage);
    if (dialog.exec() != QDialog::Accepted) {
        return kDialogCancel;
    }
    selection.printer = printer_;
    selection.printToFile = false;
    selection.fromPage = printer_->fromPage();
    selection.toPage = printer_->toPage();
    return kDialogOk;
}

bool QtPrintDialogService::AskOutputFile(QString& path) {
    QString chosen = QFileDialog::getSaveFileName(
        parent_, QStringLiteral("Print to File"), QStringLiteral("Output.pdf"),
        QStringLiteral("PDF files (*.pdf);;All files (*)"));
    if (chosen.isEmpty()) {
        return false;
    }
    path = chosen;
    return true;
}

std::shared_ptr<QPrinter> QtPrintDialogService::DefaultPrinter() {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return nullptr;
    }
    return std::make_shared<QPrinter>(info, QPrinter::HighResolution);
}

std::shared_ptr<QPrinter> MakePdfPrinter(const QString& path) {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(600);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setPageMargins(QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
    printer->setCreator(QStringLiteral("QuorinA1c"));
    printer->setOutputFileName(path);
    return printer;
}

int PdfFileDialogService::Exec(PrinterSelection& selection) {
    selection.printer = MakePdfPrinter(path_);
    selection.printToFile = false;
    return kDialogOk;
}

bool PdfFileDialogService::AskOutputFile(QString& path) {
    path = path_;
    return true;
}

std::shared_ptr<QPrinter> PdfFileDialogService::DefaultPrinter() {
    return MakePdfPrinter(path_);
}

} // namespace qa
