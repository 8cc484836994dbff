// The data report of a large HbA1c list written to PDF, against the straightforward pattern
// it is compared with: one QPainter::drawText(rect, flags) per cell, which lays out and clips
// every cell through the general text layout.
#include "bench_data.h"
#include "budget.h"
#include "print/list_report.h"
#include "print/print_dialog_service.h"
#include "store/display_format.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

#include <benchmark/benchmark.h>

using namespace qa;
using namespace qa::bench;

namespace {

constexpr int kRows = 10'000;

// The all-data list of HbA1c results as the page shows it.
const TableReportSource& HbA1cList() {
    static TableReportSource source = [] {
        TableReportSource list;
        list.AddColumn(QStringLiteral("No."), 80);
        list.AddColumn(QStringLiteral("Date"), 150);
        list.AddColumn(QStringLiteral("Time"), 100);
        list.AddColumn(QStringLiteral("Result"), 180);
        list.AddColumn(QStringLiteral("eAG"), 180);
        list.AddColumn(QStringLiteral("Patient ID"), 180);
        list.Reserve(kRows);
        SettingsStore settings;
        for (int i = 0; i < kRows; ++i) {
            char date[16], time[8], value[8];
            SyntheticResult(i, date, time, value);
            list.AddRow({QString::number(i + 1),
                         QString::fromStdString(FormatDateText(settings, date, time)),
                         QString::fromStdString(FormatTimeText(settings, date, time)),
                         QString::fromStdString(FormatHbA1cText(settings, value, false)),
                         QString::fromStdString(FormatHbA1cText(settings, value, true)),
                         QStringLiteral("PATIENT%1").arg(i % 500, 7, 10, QChar('0'))});
        }
        return list;
    }();
    return source;
}

void ReportToPdf(benchmark::State& state) {
    const TableReportSource& list = HbA1cList();
    QString path = QString::fromStdString(ScratchFolder() + "/report.pdf");
    SettingsStore settings;
    for (auto _ : state) {
        QString error;
        if (!PrintReportToPdf(list, settings, path, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
}
BENCHMARK(ReportToPdf)->Name("Report/Pdf10k")->Unit(benchmark::kMillisecond);

void ReportToPdfLiteral(benchmark::State& state) {
    const TableReportSource& list = HbA1cList();
    QString path = QString::fromStdString(ScratchFolder() + "/report-literal.pdf");
    for (auto _ : state) {
        std::shared_ptr<QPrinter> printer = MakePdfPrinter(path);
        QPainter painter(printer.get());
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(9);
        painter.setFont(font);
        const int line = QFontMetrics(font, printer.get()).height();
        const int width = printer->width();
        const int columns = list.ColumnCount();
        int y = 0;
        for (int row = 0; row < list.RowCount(); ++row) {
            if (y + line > printer->height()) {
                printer->newPage();
                y = 0;
            }
            for (int column = 0; column < columns; ++column) {
                QRect cell(width * column / columns, y, width / columns, line);
                painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop, list.CellText(row, column));
            }
            y += line;
        }
    }
}
BENCHMARK(ReportToPdfLiteral)->Name("Report/Pdf10kLiteral")->Unit(benchmark::kMillisecond);

const bool kBudgets =
    AddBudget({"data report of 10,000 rows to PDF", "Report/Pdf10k", "Report/Pdf10kLiteral", 5000});

} // namespace
