#include "store/display_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace qa {

namespace {

constexpr double kGlucoseMmolPerMg = 0.055493894261759776; // 1 / 18.02
constexpr double kEagSlope = 28.679;
constexpr double kEagOffset = 46.393;
constexpr double kMmolPerMolSlope = 10.929;
constexpr double kMmolPerMolOffset = 23.5;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// 0 = Sunday.
int Weekday(int year, int month, int day) {
    static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = month < 3 ? year - 1 : year;
    int weekday = (y + y / 4 - y / 100 + y / 400 + kOffsets[month - 1] + day) % 7;
    return weekday < 0 ? weekday + 7 : weekday;
}

// The piece parsed as atoi would: the stored texts are fixed-width digits, but a broken
// record must still give some number rather than fail.
int PieceValue(std::string_view text, std::size_t first, std::size_t count) {
    if (first >= text.size()) {
        return 0;
    }
    return LeadingInt(text.substr(first, count));
}

void AppendInt(std::string& out, int value) {
    char buffer[16];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
}

// As printf's "%02d", without its cost on every date and time of a long list.
void AppendTwoDigits(std::string& out, int value) {
    if (value >= 0 && value < 100) {
        const char digits[2] = {static_cast<char>('0' + value / 10),
                                static_cast<char>('0' + value % 10)};
        out.append(digits, 2);
        return;
    }
    AppendInt(out, value);
}

// As FixedText, appended.
void AppendFixed(std::string& out, double value, int decimals) {
    char buffer[400];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error == std::errc()) {
        out.append(buffer, end);
    }
}

// The HbA1c in percent as the program has always computed it: a single-precision value, so
// "0655" is 6.5500002 and shows as 6.6 rather than the 6.5 a double would give.
float HbA1cPercent(std::string_view value) {
    return static_cast<float>(LeadingDouble(value) * 0.01);
}

const char* DatePattern(std::int32_t dateFormat) {
    switch (dateFormat) {
    case 0:
        return "%Y-%m-%d";
    case 1:
        return "%m-%d-%Y";
    case 2:
        return "%d-%m-%Y";
    default:
        return "";
    }
}

const char* TimePattern(std::int32_t timeFormat) {
    switch (timeFormat) {
    case 0:
        return "%I:%M %p";
    case 1:
        return "%H:%M";
    default:
        return "";
    }
}

void AppendStored(std::string_view date, std::string_view time, std::string_view pattern,
                  std::string& out) {
    if (pattern.empty()) {
        return;
    }
    std::optional<CalendarDateTime> value = ParseStoredDateTime(date, time);
    if (value) {
        AppendCalendar(*value, pattern, out);
        return;
    }
    // Not a calendar moment (month 13, day 32, a cut value): the stored digits as they are,
    // marked, so that the row can still be found and deleted.
    const bool hasDate = pattern.find("%d") != std::string_view::npos;
    const bool hasTime = pattern.find("%M") != std::string_view::npos;
    out += kInvalidDateMark;
    if (hasDate) {
        out += date;
    }
    if (hasDate && hasTime) {
        out += ' ';
    }
    if (hasTime || !hasDate) {
        out += time;
    }
}

std::string FormatStored(std::string_view date, std::string_view time, std::string_view pattern) {
    std::string out;
    AppendStored(date, time, pattern, out);
    return out;
}

} // namespace

int RoundHalfAwayFromZero(double value) {
    double shifted = value > 0 ? value + 0.5 : value - 0.5;
    // Out-of-range values cannot come from the limited inputs, but a conversion of them to int
    // would be undefined behaviour.
    if (!(shifted < 2147483648.0 && shifted > -2147483649.0)) {
        return value > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    }
    return static_cast<int>(shifted);
}

std::optional<CalendarDateTime> ParseStoredDateTime(std::string_view date, std::string_view time) {
    CalendarDateTime value;
    const auto digits = [](std::string_view text, std::size_t count) {
        if (text.size() < count) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return false;
            }
        }
        return true;
    };
    if (digits(date, 8) && digits(time, 4)) {
        // What the pieces below give for plain digits, read once per row of a long list.
        const auto at = [](std::string_view text, std::size_t i) { return text[i] - '0'; };
        value.year = at(date, 0) * 1000 + at(date, 1) * 100 + at(date, 2) * 10 + at(date, 3);
        value.month = at(date, 4) * 10 + at(date, 5);
        value.day = at(date, 6) * 10 + at(date, 7);
        value.hour = at(time, 0) * 10 + at(time, 1);
        value.minute = at(time, 2) * 10 + at(time, 3);
    } else {
        value.year = PieceValue(date, 0, 4);
        value.month = PieceValue(date, 4, 2);
        value.day = PieceValue(date, 6, 2);
        value.hour = PieceValue(time, 0, 2);
        value.minute = PieceValue(time, 2, 2);
    }
    if (value.year < 100 || value.year > 9999 || value.month < 1 || value.month > 12 ||
        value.day < 1 || value.day > DaysInMonth(value.year, value.month) || value.hour < 0 ||
        value.hour > 23 || value.minute < 0 || value.minute > 59) {
        return std::nullopt;
    }
    return value;
}

std::string FormatCalendar(const CalendarDateTime& value, std::string_view pattern) {
    std::string out;
    AppendCalendar(value, pattern, out);
    return out;
}

void AppendCalendar(const CalendarDateTime& value, std::string_view pattern, std::string& out) {
    static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        char conversion = pattern[++i];
        switch (conversion) {
        case 'Y':
            AppendInt(out, value.year);
            break;
        case 'm':
            AppendTwoDigits(out, value.month);
            break;
        case 'd':
            AppendTwoDigits(out, value.day);
            break;
        case 'H':
            AppendTwoDigits(out, value.hour);
            break;
        case 'I':
            AppendTwoDigits(out, value.hour % 12 == 0 ? 12 : value.hour % 12);
            break;
        case 'M':
            AppendTwoDigits(out, value.minute);
            break;
        case 'S':
            AppendTwoDigits(out, value.second);
            break;
        case 'p':
            out += value.hour < 12 ? "AM" : "PM";
            break;
        case 'a':
            if (value.month >= 1 && value.month <= 12) {
                out += kWeekdays[Weekday(value.year, value.month, value.day)];
            }
            break;
        case '%':
            out += '%';
            break;
        default:
            out += '%';
            out += conversion;
            break;
        }
    }
}

const char* ListDatePattern(const SettingsStore& settings) {
    return DatePattern(settings.dateFormat);
}

const char* ListTimePattern(const SettingsStore& settings) {
    return TimePattern(settings.timeFormat);
}

void AppendDateText(const SettingsStore& settings, std::string_view date, std::string_view time,
                    std::string& out) {
    AppendStored(date, time, DatePattern(settings.dateFormat), out);
}

void AppendTimeText(const SettingsStore& settings, std::string_view date, std::string_view time,
                    std::string& out) {
    AppendStored(date, time, TimePattern(settings.timeFormat), out);
}

std::string FormatDateText(const SettingsStore& settings, std::string_view date,
                           std::string_view time) {
    std::string out;
    AppendDateText(settings, date, time, out);
    return out;
}

std::string FormatTimeText(const SettingsStore& settings, std::string_view date,
                           std::string_view time) {
    std::string out;
    AppendTimeText(settings, date, time, out);
    return out;
}

void AppendGlucoseText(const SettingsStore& settings, std::string_view value, std::string& out) {
    // The limits always apply to the mg/dL integer, whatever unit is shown.
    int mgPerDl = LeadingInt(value);
    if (mgPerDl >= 600) {
        out += "Hi";
        return;
    }
    if (settings.glucoseUnit == 0) {
        if (mgPerDl <= 10) {
            out += "Lo";
            return;
        }
        AppendInt(out, mgPerDl);
        out += " mg/dL";
        return;
    }
    if (mgPerDl <= 10) {
        out += "Low";
        return;
    }
    float mmolPerL = static_cast<float>(LeadingDouble(value) * kGlucoseMmolPerMg);
    AppendFixed(out, mmolPerL, 1);
    out += " mmol/L";
}

std::string FormatGlucoseText(const SettingsStore& settings, std::string_view value) {
    std::string out;
    AppendGlucoseText(settings, value, out);
    return out;
}

void AppendHbA1cText(const SettingsStore& settings, std::string_view value, bool asEstimatedGlucose,
                     std::string& out) {
    float percent = HbA1cPercent(value);
    bool mmolPerMol = !asEstimatedGlucose && settings.hba1cUnit != 0;
    // The meter's limits in the operator's unit: an mmol/mol list once showed them in
    // percent, beside a record view that said "> 130 mmol/mol" for the same result.
    if (percent >= 14) {
        out += mmolPerMol ? "> 130 mmol/mol" : "> 14 %";
        return;
    }
    if (percent <= 4) {
        out += mmolPerMol ? "< 20 mmol/mol" : "< 4 %";
        return;
    }
    if (asEstimatedGlucose) {
        AppendInt(out, RoundHalfAwayFromZero(percent * kEagSlope - kEagOffset));
        out += " mg/dL";
        return;
    }
    if (mmolPerMol) {
        AppendInt(out, RoundHalfAwayFromZero(percent * kMmolPerMolSlope - kMmolPerMolOffset));
        out += " mmol/mol";
        return;
    }
    AppendFixed(out, percent, 1);
    out += " %";
}

std::string FormatHbA1cText(const SettingsStore& settings, std::string_view value,
                            bool asEstimatedGlucose) {
    std::string out;
    AppendHbA1cText(settings, value, asEstimatedGlucose, out);
    return out;
}

std::string FormatRecordDateTimeText(const SettingsStore& settings, std::string_view date,
                                     std::string_view time) {
    std::string datePattern = DatePattern(settings.dateFormat);
    std::string_view timePattern = TimePattern(settings.timeFormat);
    if (!datePattern.empty()) {
        datePattern += ' ';
    }
    datePattern += timePattern;
    return FormatStored(date, time, datePattern);
}

std::string DatePickerPattern(std::int32_t dateFormat) {
    switch (dateFormat) {
    case 0:
        return "yyy'-'MM'-'dd";
    case 1:
        return "MM'/'dd'/'yyy";
    case 2:
        return "dd'-'MM'-'yyy";
    default:
        return {};
    }
}

std::string DatePickerQtFormat(std::int32_t dateFormat) {
    switch (dateFormat) {
    case 0:
        return "yyyy-MM-dd";
    case 1:
        return "MM/dd/yyyy";
    case 2:
        return "dd-MM-yyyy";
    default:
        return {};
    }
}

std::string FormatReportDateTimeText(const SettingsStore& settings, const CalendarDateTime& now) {
    std::string datePattern;
    switch (settings.dateFormat) {
    case 0:
        datePattern = "%Y-%m-%d %a";
        break;
    case 1:
        datePattern = "%m/%d/%Y %a";
        break;
    case 2:
        datePattern = "%d/%m/%Y %a";
        break;
    default:
        break;
    }
    return FormatCalendar(now, datePattern) + " " +
           FormatCalendar(now, TimePattern(settings.timeFormat));
}

} // namespace qa
