#include "print/report_header.h"

#include "store/display_format.h"

#include <QCoreApplication>

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
    unit.PrintTextBlock(block);
}

} // namespace qa
