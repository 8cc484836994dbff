#include "print/report_header.h"

#include "print/page_sink.h"
#include "print/print_job.h"
#include "store/display_format.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>

namespace qa {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("ReportHeader", text);
}

} // namespace

QString ReportDateTimeText(const SettingsStore& settings, const QDateTime& now) {
    const CalendarDateTime calendar{now.date().year(), now.date().month(),  now.date().day(),
                                    now.time().hour(), now.time().minute(), now.time().second()};
    QString text = QString::fromStdString(FormatReportDateTimeText(settings, calendar));
    // The stored format names the weekday in English; the reader's is the language's own.
    static const char* const kEnglishDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const int day = now.date().dayOfWeek();
    if (day >= 1 && day <= 7) {
        const QString english = QLatin1Char(' ') + QLatin1String(kEnglishDays[day - 1]);
        const qsizetype at = text.indexOf(english);
        if (at >= 0) {
            text.replace(at + 1, english.size() - 1, QLocale().dayName(day, QLocale::ShortFormat));
        }
    }
    return text;
}

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

namespace {

// The longest start of `text` that fits `width` with "…" after it (the text itself when it
// fits whole): the header's fields share one line, and a long clinic name printed whole ran
// over the subject beside it.
QString Elide(PageSink& sink, const QString& text, int width) {
    if (sink.TextWidth(text) <= width) {
        return text;
    }
    const QString ellipsis(QChar(0x2026));
    int low = 0;
    int high = static_cast<int>(text.size());
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (sink.TextWidth(text.left(middle) + ellipsis) <= width) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    // Never between the two halves of a surrogate pair.
    if (low > 0 && text.at(low - 1).isHighSurrogate()) {
        --low;
    }
    return text.left(low) + ellipsis;
}

} // namespace

void PrintReportContextLine(PrintUnit& unit, const QString& text, int top, int lineHeight) {
    const DeviceRect& printable = unit.Job()->PrintableRect();
    TextBlock block;
    block.text = text;
    block.left = printable.left;
    block.right = printable.right;
    block.top = top;
    block.lineHeight = lineHeight;
    const qsizetype unitMark = text.indexOf(kUnitSeparator);
    const qsizetype recordMark = text.indexOf(kRecordSeparator);
    PageSink* sink = unit.Job()->Sink();
    if (sink == nullptr || unitMark < 0 || recordMark <= unitMark) {
        unit.PrintTextBlock(block);
        return;
    }
    const int width = printable.Width();
    const int gap = sink->TextWidth(QStringLiteral("    "));
    QString left = text.left(unitMark);
    const QString period = text.mid(recordMark + 1);
    QString subject = text.mid(unitMark + 1, recordMark - unitMark - 1);
    const int leftWidth = sink->TextWidth(left);
    const int periodWidth = sink->TextWidth(period);
    const int subjectWidth = sink->TextWidth(subject);
    if (leftWidth + subjectWidth + periodWidth + 2 * gap <= width &&
        std::max(leftWidth, periodWidth) + gap <= (width - subjectWidth) / 2) {
        unit.PrintTextBlock(block); // centred, as it fits
        return;
    }
    // The subject (a search names a patient) follows the clinic part, and the period keeps the
    // right end. What does not fit is cut with an ellipsis within its share, never printed over
    // its neighbour: the period stays whole, then the subject, and the clinic gives way first,
    // the operator after it.
    const int narrowGap = sink->TextWidth(QStringLiteral("  "));
    const QString periodShown = Elide(*sink, period, width / 3);
    const int rest = width - sink->TextWidth(periodShown) - 2 * narrowGap;
    subject = Elide(*sink, subject, rest - std::min(leftWidth, rest / 3));
    const int leftRoom = rest - sink->TextWidth(subject);
    const qsizetype operatorMark = left.lastIndexOf(QStringLiteral("   "));
    if (leftWidth > leftRoom && operatorMark > 0) {
        const QString tail = left.mid(operatorMark);
        const int room = leftRoom - sink->TextWidth(tail);
        if (room > 0) {
            left = Elide(*sink, left.left(operatorMark), room) + tail;
        }
    }
    left = Elide(*sink, left, leftRoom);
    block.text = left;
    unit.PrintTextBlock(block);
    block.text = subject;
    block.left = printable.left + sink->TextWidth(left) + narrowGap;
    block.right = printable.right - sink->TextWidth(periodShown) - narrowGap;
    unit.PrintTextBlock(block);
    block.text = QString(kRecordSeparator) + periodShown;
    block.left = printable.left;
    block.right = printable.right;
    unit.PrintTextBlock(block);
}

} // namespace qa
