#include "print/report_header.h"

#include "store/display_format.h"

#include <QCoreApplication>

#include <algorithm>

namespace qa {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("ReportHeader", text);
}

} // namespace

QString ReportContextText(const ReportContext& context) {
    QString left = Tr(QT_TRANSLATE_NOOP("ReportHeader", "Clinic: %1")).arg(context.clinic);
    left += QStringLiteral("   ") +
            Tr(QT_TRANSLATE_NOOP("ReportHeader", "Operator: %1")).arg(context.operatorId);
    QString text = left;
    text += kUnitSeparator;
    text += context.subject;
    text += kRecordSeparator;
    text += Tr(QT_TRANSLATE_NOOP("ReportHeader", "Period: %1")).arg(context.period);
    return text;
}

QString ReportPeriodText(const SettingsStore& settings, const std::string& fromDate,
                         const std::string& toDate) {
    if (fromDate.empty() && toDate.empty()) {
        return Tr(QT_TRANSLATE_NOOP("ReportHeader", "All results"));
    }
    return QString::fromStdString(FormatDateText(settings, fromDate, "0000")) +
           QStringLiteral(" - ") + QString::fromStdString(FormatDateText(settings, toDate, "0000"));
}

void PrintReportContextLine(PrintUnit& unit, const QString& text, int top, int lineHeight) {
    const DeviceRect& printable = unit.Job()->PrintableRect();
    TextBlock block;
    block.text = text;
    block.left = printable.left;
    block.right = printable.right;
    block.top = top;
    block.lineHeight = lineHeight;
    // A subject too wide to stand centred between clinic and period (a search names a
    // patient) would be printed over them: it then follows the clinic part instead, and the
    // period keeps the right end.
    const qsizetype centre = text.indexOf(kUnitSeparator);
    const qsizetype right = text.indexOf(kRecordSeparator);
    PageSink* sink = unit.Job()->Sink();
    if (sink != nullptr && centre > 0 && right > centre) {
        const QString left = text.left(centre);
        const QString subject = text.mid(centre + 1, right - centre - 1);
        const QString period = text.mid(right + 1);
        const int gap = sink->TextWidth(QStringLiteral("   "));
        const int side = std::max(sink->TextWidth(left), sink->TextWidth(period)) + gap;
        if (sink->TextWidth(subject) > printable.Width() - 2 * side) {
            block.text = left;
            unit.PrintTextBlock(block);
            block.text = subject;
            block.left = printable.left + sink->TextWidth(left) + gap;
            block.right = printable.right - sink->TextWidth(period) - gap;
            unit.PrintTextBlock(block);
            block.text = QString(kRecordSeparator) + period;
            block.left = printable.left;
            block.right = printable.right;
            unit.PrintTextBlock(block);
            return;
        }
    }
    unit.PrintTextBlock(block);
}

} // namespace qa
