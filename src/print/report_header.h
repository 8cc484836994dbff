#pragma once

#include "print/print_unit.h"
#include "store/settings.h"

#include <QDateTime>
#include <QString>

#include <string>

namespace qa {

// Who and what a printed page is about: the second line of the header of both reports.
struct ReportContext {
    QString clinic;     // the Hospital setting
    QString operatorId; // the user whose files were read
    QString subject;    // "Patient: ID name" or "Result kind: HbA1c"
    QString period;     // "2024-01-05 - 2024-06-01" in the operator's date format
};

// The header's second line: clinic and operator at the left, the subject centred, the period at
// the right, with the print framework's segment separators.
QString ReportContextText(const ReportContext& context);

// The date and time a report's header prints: the operator's date and time formats, with the
// weekday named in the program's language.
QString ReportDateTimeText(const SettingsStore& settings, const QDateTime& now);

// The period of a report as text: both ends by the operator's date format; "All results"
// without a limit.
QString ReportPeriodText(const SettingsStore& settings, const std::string& fromDate,
                         const std::string& toDate);

// Prints the second header line of `unit` (one header line below the first).
void PrintReportContextLine(PrintUnit& unit, const QString& text, int top, int lineHeight);

} // namespace qa
