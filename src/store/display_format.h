#pragma once

#include "store/settings.h"

#include <optional>
#include <string>
#include <string_view>

namespace qa {

// Every result text on screen, in the CSV file and on paper comes from these functions, so
// all outputs follow the current user's settings. Stored texts: DATE "YYYYMMDD", TIME
// "HHMM" (24-hour), HbA1c percent x 100 ("0650" is 6.5 %), glucose mg/dL ("110").

struct CalendarDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The stored DATE and TIME of one record as a calendar value; nothing when the pieces do not
// name a real moment (year 100-9999, a real day of the month, hour 0-23, minute 0-59).
std::optional<CalendarDateTime> ParseStoredDateTime(std::string_view date, std::string_view time);

// strftime for the conversions the program uses (%Y %m %d %H %I %M %S %p %a %%), with the
// English names of the C locale whatever the process locale: the texts must not turn into
// the desktop's language half-way through a report.
std::string FormatCalendar(const CalendarDateTime& value, std::string_view pattern);
void AppendCalendar(const CalendarDateTime& value, std::string_view pattern, std::string& out);

// Marks a stored date or time that is not a calendar moment; the stored text follows it.
inline constexpr const char* kInvalidDateMark = "?";

// Date and time columns of the result lists. A format outside its list gives an empty text;
// a record whose date and time are not a real moment gives the mark and the stored text.

// The patterns of those columns for FormatCalendar, "" for a format outside the list: a
// caller that has parsed the moment once formats both columns from it.
const char* ListDatePattern(const SettingsStore& settings);
const char* ListTimePattern(const SettingsStore& settings);

std::string FormatDateText(const SettingsStore& settings, std::string_view date,
                           std::string_view time);
std::string FormatTimeText(const SettingsStore& settings, std::string_view date,
                           std::string_view time);

// "Hi" from 600 mg/dL, "Lo" (mg/dL) or "Low" (mmol/L) up to 10 mg/dL, else the value in the
// user's unit.
std::string FormatGlucoseText(const SettingsStore& settings, std::string_view value);

// The HbA1c in the user's unit, or with `asEstimatedGlucose` the estimated average glucose
// in mg/dL; 14 % and above and 4 % and below show as limits (130 and 20 mmol/mol). The one
// text of a result on every screen, export and page: mmol/mol in whole units, as IFCC
// values are reported, percent with one decimal.
std::string FormatHbA1cText(const SettingsStore& settings, std::string_view value,
                            bool asEstimatedGlucose);

// The same four texts appended to `out`: an output of many rows formats into one buffer
// instead of a text of its own per cell.
void AppendDateText(const SettingsStore& settings, std::string_view date, std::string_view time,
                    std::string& out);
void AppendTimeText(const SettingsStore& settings, std::string_view date, std::string_view time,
                    std::string& out);
void AppendGlucoseText(const SettingsStore& settings, std::string_view value, std::string& out);
void AppendHbA1cText(const SettingsStore& settings, std::string_view value, bool asEstimatedGlucose,
                     std::string& out);

// Record dialogs: date and time in one text. Their HbA1c is FormatHbA1cText's, as everywhere.
std::string FormatRecordDateTimeText(const SettingsStore& settings, std::string_view date,
                                     std::string_view time);

// Display pattern of the record dialogs' date pickers in the Windows picker notation
// ("yyy" is the full year), and the same pattern in Qt's QDateTimeEdit notation for the
// window code. Empty for a format outside the list.
std::string DatePickerPattern(std::int32_t dateFormat);
std::string DatePickerQtFormat(std::int32_t dateFormat);

// The report header: date with the weekday, a blank, the time.
std::string FormatReportDateTimeText(const SettingsStore& settings, const CalendarDateTime& now);

// Rounds half away from zero: add 0.5 above zero, subtract it otherwise, cut the fraction.
int RoundHalfAwayFromZero(double value);

} // namespace qa
