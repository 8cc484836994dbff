#include "print/print_job.h"

#include "print/page_sink.h"
#include "print/pdf_page_sink.h"
#include "store/output_target.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace qa {

void DeviceRect::Normalize() {
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
}

PrintJob::PrintJob(PrintDialogService* dialogs)
    : dialogs_(dialogs), painter_(std::make_unique<QPainter>()),
      painterSink_(std::make_unique<PainterPageSink>(painter_.get())) {}

PrintJob::~PrintJob() {
    // A job torn down half-way (an exception out of a unit) must still close the file.
    if (painter_ && painter_->isActive()) {
        painter_->end();
    }
}

int PrintJob::Print() {
    info_ = std::make_unique<PrintInfoRecord>();
    activeDialog_ = GetPrintDialog();
    if (activeDialog_) {
        if (!PreparePrintDialog()) {
            return kPrintNoPrinter;
        }
        if (ShowPrintDialog() != kDialogOk) {
            return kPrintCancelled;
        }
    }
    if (!GetOutputFile(outputFile_)) {
        return kPrintFileCancelled;
    }
    if (!CreatePrinterDC()) {
        return kPrintNoPrinter;
    }
    ComputePageRects();
    FillDocInfo();
    // A PDF file is checked as an export's target is, and written beside it under a
    // temporary name that replaces it only once complete: a failure at any point leaves an
    // earlier file of that name as it was.
    QPrinter* printer = selection_ ? selection_->printer.get() : nullptr;
    const QString target = printer && printer->outputFormat() == QPrinter::PdfFormat
                               ? printer->outputFileName()
                               : QString();
    target_ = target.isEmpty() ? PrintTarget{false, printer ? printer->printerName() : QString()}
                               : PrintTarget{true, target};
    QString temp;
    if (!target.isEmpty()) {
        if (Status refused = CheckOutputTarget(target.toStdString(), dataFolder_); !refused) {
            outputStatus_ = std::move(refused);
            OnAfterPrint(true);
            return kPrintNoPrinter;
        }
        temp = QString::fromStdString(TempPathBeside(target.toStdString()) + ".pdf");
        printer->setOutputFileName(temp);
    }
    const auto settle = [&](bool failed) {
        if (temp.isEmpty()) {
            return failed;
        }
        if (failed) {
            QFile::remove(temp);
        } else if (!QFile::exists(temp)) {
            // A job that printed no page wrote no file, and leaves the target as it was.
        } else if (Status moved = MoveIntoPlace(temp.toStdString(), target.toStdString()); !moved) {
            outputStatus_ = std::move(moved);
            failed = true;
        }
        printer->setOutputFileName(target);
        return failed;
    };
    OnBeforeStartDoc();
    if (!StartDocument()) {
        settle(true);
        return kPrintNoPrinter;
    }
    PrintDocument();
    // A document that could not be written is not reported as printed.
    bool failed = deviceFailed_;
    EndDocument(failed);
    failed = settle(failed || deviceFailed_);
    OnAfterPrint(failed);
    return failed ? kPrintNoPrinter : kPrintSpooled;
}

QPainter* PrintJob::Painter() {
    return painter_ && painter_->isActive() ? painter_.get() : nullptr;
}

PageSink* PrintJob::Sink() {
    if (pdf_) {
        return pdf_.get();
    }
    return Painter() ? painterSink_.get() : nullptr;
}

namespace {

// Where the printer's device pixels lie on its paper, as Qt's PDF output places them.
PdfPageGeometry GeometryOf(const QPrinter& printer) {
    const QPageLayout layout = printer.pageLayout();
    PdfPageGeometry geometry;
    geometry.pageSize = layout.fullRect(QPageLayout::Point).size();
    geometry.origin =
        printer.fullPage() ? QPointF(0, 0) : layout.paintRect(QPageLayout::Point).topLeft();
    geometry.resolution = printer.resolution();
    return geometry;
}

} // namespace

QPaintDevice* PrintJob::Device() const {
    return selection_ && selection_->printer ? selection_->printer.get() : nullptr;
}

bool PrintJob::StartDevicePage() {
    if (deviceFailed_ || !documentOpen_ || !Device()) {
        return false;
    }
    QPrinter* printer = selection_->printer.get();
    if (pdfItself_) {
        if (!pdf_) {
            if (pdfFactory_) {
                pdf_ = pdfFactory_(printer, GeometryOf(*printer));
            } else {
                pdf_ = std::make_unique<PdfPageSink>(printer, GeometryOf(*printer));
            }
            pdf_->SetInfo(printer->creator(), printer->docName());
            if (!pdf_->Open(printer->outputFileName())) {
                deviceFailed_ = true;
                return false;
            }
        }
        if (!pdf_->BeginPage()) {
            deviceFailed_ = true;
            return false;
        }
        ++devicePages_;
        return true;
    }
    // QPainter::begin opens the first page itself; later pages need newPage.
    if (!painter_->isActive()) {
        if (!painter_->begin(printer)) {
            deviceFailed_ = true;
            return false;
        }
        // A printer's default pen is one device dot wide; the PDF form of that is the
        // thinnest line a device can show, which viewers never thin away to nothing.
        painter_->setPen(QPen(Qt::black, 0));
    } else if (devicePages_ > 0 && !printer->newPage()) {
        deviceFailed_ = true;
        return false;
    }
    ++devicePages_;
    return true;
}

void PrintJob::EndDevicePage() {
    if (pdf_) {
        pdf_->EndPage();
    }
}

PrintDialogService* PrintJob::GetPrintDialog() {
    return dialogs_;
}

bool PrintJob::PreparePrintDialog() {
    PrinterSelection& selection = info_->selection;
    if (selection.maxPage < selection.minPage) {
        selection.maxPage = selection.minPage;
    }
    selection.fromPage = selection.minPage;
    selection.toPage = selection.maxPage;
    selection_ = &selection;
    return true;
}

int PrintJob::ShowPrintDialog() {
    if (!activeDialog_ || !selection_) {
        return kDialogCancel;
    }
    return activeDialog_->Exec(*selection_) == kDialogOk ? kDialogOk : kDialogCancel;
}

bool PrintJob::GetOutputFile(QString& name) {
    if (!selection_ || !selection_->printToFile) {
        return true;
    }
    PrintDialogService* dialog = activeDialog_ ? activeDialog_ : dialogs_;
    QString chosen;
    if (!dialog || !dialog->AskOutputFile(chosen) || chosen.isEmpty()) {
        return false;
    }
    name = chosen;
    return true;
}

bool PrintJob::CreatePrinterDC() {
    return selection_ && selection_->printer && selection_->printer->isValid();
}

void PrintJob::OnAfterPrint(bool failed) {
    if (!failed && selection_ && selection_->printer) {
        selection_->printer->setCopyCount(1);
    }
}

bool PrintJob::StartDocument() {
    bool usable = Device() != nullptr;
    QPrinter* printer = usable ? selection_->printer.get() : nullptr;
    QString file = printer ? printer->outputFileName() : QString();
    if (usable && !file.isEmpty()) {
        // The file is opened only when the first page starts; find out now whether it can
        // be, so a bad path is refused before anything is laid out.
        QFileInfo info(file);
        QFileInfo folder(info.absolutePath());
        usable = folder.isDir() && folder.isWritable() && !info.isDir() &&
                 (!info.exists() || info.isWritable());
    }
    if (!usable) {
        OnAfterPrint(true);
        EndDocument(true);
        return false;
    }
    documentOpen_ = true;
    pdfItself_ =
        WritesPdfItself() && printer->outputFormat() == QPrinter::PdfFormat && !file.isEmpty();
    return true;
}

void PrintJob::EndDocument(bool abort) {
    documentOpen_ = false;
    if (pdf_) {
        if (abort) {
            pdf_->Abort();
        } else if (!pdf_->Finish()) {
            deviceFailed_ = true;
        }
        pdf_.reset();
    }
    if (!painter_->isActive()) {
        return;
    }
    QPrinter* printer = selection_->printer.get();
    if (abort) {
        printer->abort();
    }
    painter_->end();
    // The PDF engine cannot abort; a half-written file must not pass for a report.
    if (abort && printer->outputFormat() == QPrinter::PdfFormat &&
        !printer->outputFileName().isEmpty()) {
        QFile::remove(printer->outputFileName());
    }
}

void PrintJob::ComputePageRects() {
    if (!info_ || !Device()) {
        return;
    }
    QPaintDevice* device = Device();
    DeviceRect drawing{0, 0, device->width(), device->height()};
    page_ = drawing;
    DeviceRect margins;
    if (GetMargins(margins)) {
        drawing.left += margins.left;
        drawing.top += margins.top;
        drawing.right -= margins.right;
        drawing.bottom -= margins.bottom;
        drawing.Normalize();
    }
    info_->drawingRect = drawing;
    printable_ = drawing;
}

bool PrintJob::GetMargins(DeviceRect&) {
    return false;
}

void PrintJob::FillDocInfo() {
    if (!outputFile_.isEmpty() && selection_ && selection_->printer) {
        selection_->printer->setOutputFileName(outputFile_);
    }
}

void PrintJob::SelectDefaultPrinter() {
    ownedSelection_ = std::make_unique<PrinterSelection>();
    if (dialogs_) {
        ownedSelection_->printer = dialogs_->DefaultPrinter();
    } else {
        QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (!info.isNull()) {
            ownedSelection_->printer = std::make_shared<QPrinter>(info, QPrinter::HighResolution);
        }
    }
    selection_ = ownedSelection_.get();
}

} // namespace qa
