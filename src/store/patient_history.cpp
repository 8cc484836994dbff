#include "store/patient_history.h"

#include "store/display_format.h"
#include "store/text_encoding.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>

namespace qa {

namespace {

constexpr double kMmolPerMolSlope = 10.929;
constexpr double kMmolPerMolOffset = 23.5;
constexpr double kMmolPerLitrePerMgDl = 0.055493894261759776;

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text == nullptr
               ? std::string()
               : std::string(reinterpret_cast<const char*>(text),
                             static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// A column the schema sync could not find (a read-only file of an old version without the
// memo) reads as empty instead of failing the whole lookup.
std::string ColumnOrEmpty(const MeasurementTable& table, int field) {
    const FieldBinding& binding = table.Fields()[static_cast<std::size_t>(field)];
    if (table.TableColumns() > 0 && binding.column < 0) {
        return "''";
    }
    return "[" + binding.name + "]";
}

// The ID as the Windows program would have stored it, when that differs.
std::string Cp949Spelling(std::string_view utf8) {
    if (!IsUtf8Text(utf8)) {
        return std::string(utf8);
    }
    return Utf8ToCp949(utf8).value_or(std::string(utf8));
}

std::string LikePattern(std::string_view text) {
    std::string pattern = "%";
    for (char c : text) {
        if (c == '\\' || c == '%' || c == '_') {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern + "%";
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (out == "-0" || out == "-0.0") {
        out.erase(0, 1);
    }
    return out;
}

} // namespace

Status EnsurePatientIndex(MeasurementTable& table) {
    if (!table.IsOpen()) {
        return MessageId::TableNotOpen;
    }
    if (table.IsReadOnly()) {
        return Message(MessageId::TableReadOnly, {table.Path().Str()});
    }
    const std::string name = table.TableName();
    return table.Execute(FormatSql("CREATE INDEX IF NOT EXISTS [%s_PID] ON [%s] ([PID])",
                                   name.c_str(), name.c_str()));
}

Expected<std::vector<PatientResult>> ReadPatientResults(MeasurementTable& table,
                                                        std::string_view patientId) {
    std::vector<PatientResult> out;
    if (!table.IsOpen() || table.Handle() == nullptr) {
        return MessageId::TableNotOpen;
    }
    const std::string sql = "SELECT rowid, [DATE], [TIME], [" + std::string(table.ValueColumn()) +
                            "], [PID], " + ColumnOrEmpty(table, 6) + ", " +
                            ColumnOrEmpty(table, 9) + ", " + ColumnOrEmpty(table, 7) + " FROM [" +
                            table.TableName() + "] WHERE [PID] = ?1 OR [PID] = ?2 ORDER BY " +
                            table.StandardSort();
    SqliteStatement statement = PrepareStatement(table.Handle(), sql);
    if (!statement) {
        return Message(MessageId::FileReason, {table.Path().Str(), sqlite3_errmsg(table.Handle())});
    }
    const std::string other = Cp949Spelling(patientId);
    sqlite3_bind_text(statement.Get(), 1, patientId.data(), static_cast<int>(patientId.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_text(statement.Get(), 2, other.data(), static_cast<int>(other.size()),
                      SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(statement.Get())) == SQLITE_ROW) {
        PatientResult result;
        result.kind = table.Kind();
        result.rowId = sqlite3_column_int(statement.Get(), 0);
        result.date = ColumnText(statement.Get(), 1);
        result.time = ColumnText(statement.Get(), 2);
        result.value = ColumnText(statement.Get(), 3);
        result.patientId = ColumnText(statement.Get(), 4);
        result.patientName = DecodeStoredText(ColumnText(statement.Get(), 5));
        result.memo = DecodeStoredText(ColumnText(statement.Get(), 6));
        result.birthDate = ColumnText(statement.Get(), 7);
        out.push_back(std::move(result));
    }
    if (rc != SQLITE_DONE) {
        return Message(MessageId::FileReason, {table.Path().Str(), sqlite3_errmsg(table.Handle())});
    }
    return out;
}

BoundedFigure StoredValueRange(ResultKind kind, std::string_view stored) {
    BoundedFigure range;
    if (kind == ResultKind::HbA1c) {
        // The same single-precision value the lists decide their texts on.
        const float x = static_cast<float>(LeadingDouble(stored) * 0.01);
        if (x >= 14.0f) {
            range.atLeast = 14.0;
        } else if (x <= 4.0f) {
            range.atMost = 4.0;
        } else {
            range.atLeast = range.atMost = static_cast<double>(x);
        }
        return range;
    }
    const int n = LeadingInt(stored);
    if (n >= 600) {
        range.atLeast = 600.0;
    } else if (n <= 10) {
        range.atMost = 10.0;
    } else {
        range.atLeast = range.atMost = static_cast<double>(n);
    }
    return range;
}

PatientSummary SummarisePatient(ResultKind kind, const std::vector<PatientResult>& results,
                                std::chrono::sys_days today) {
    using namespace std::chrono;
    PatientSummary summary;
    summary.count = static_cast<int>(results.size());
    if (results.empty()) {
        return summary;
    }
    const PatientResult& last = results.front();
    summary.lastDate = last.date;
    summary.lastTime = last.time;
    summary.lastValue = last.value;
    summary.firstDate = results.back().date;
    if (results.size() >= 2) {
        // Interval arithmetic: [a, b] - [c, d] = [a - d, b - c]; an open end stays open.
        const BoundedFigure now = StoredValueRange(kind, last.value);
        const BoundedFigure before = StoredValueRange(kind, results[1].value);
        if (now.atLeast && before.atMost) {
            summary.change.atLeast = *now.atLeast - *before.atMost;
        }
        if (now.atMost && before.atLeast) {
            summary.change.atMost = *now.atMost - *before.atLeast;
        }
    }
    year_month_day from = year_month_day{today} - years{1};
    if (!from.ok()) {
        from = year_month_day{from.year() / from.month() / std::chrono::last};
    }
    const std::string fromText = [&] {
        char text[16];
        std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(from.year()),
                      static_cast<unsigned>(from.month()), static_cast<unsigned>(from.day()));
        return std::string(text);
    }();
    double low = 0.0;
    double high = 0.0;
    bool lowOpen = false;
    bool highOpen = false;
    for (const PatientResult& result : results) {
        if (result.date < fromText) {
            continue;
        }
        ++summary.countIn12Months;
        const BoundedFigure range = StoredValueRange(kind, result.value);
        if (range.atLeast) {
            low += *range.atLeast;
        } else {
            lowOpen = true;
        }
        if (range.atMost) {
            high += *range.atMost;
        } else {
            highOpen = true;
        }
    }
    if (summary.countIn12Months > 0) {
        if (!lowOpen) {
            summary.mean12Months.atLeast = low / summary.countIn12Months;
        }
        if (!highOpen) {
            summary.mean12Months.atMost = high / summary.countIn12Months;
        }
    }
    return summary;
}

double DisplayValue(const SettingsStore& settings, ResultKind kind, double base) {
    if (kind == ResultKind::HbA1c) {
        return settings.hba1cUnit == 0 ? base : base * kMmolPerMolSlope - kMmolPerMolOffset;
    }
    return settings.glucoseUnit == 0 ? base : base * kMmolPerLitrePerMgDl;
}

double ChartValue(const SettingsStore& settings, ResultKind kind, std::string_view stored) {
    const BoundedFigure range = StoredValueRange(kind, stored);
    return DisplayValue(settings, kind, range.atLeast ? *range.atLeast : *range.atMost);
}

std::string UnitText(const SettingsStore& settings, ResultKind kind) {
    if (kind == ResultKind::HbA1c) {
        return settings.hba1cUnit == 0 ? "%" : "mmol/mol";
    }
    return settings.glucoseUnit == 0 ? "mg/dL" : "mmol/L";
}

std::string FormatFigure(const SettingsStore& settings, ResultKind kind,
                         const BoundedFigure& figure, bool signedChange) {
    if (!figure.Known()) {
        return "";
    }
    const double base = figure.atLeast ? *figure.atLeast : *figure.atMost;
    double shown;
    if (signedChange) {
        // A difference has no offset: only the slope of the unit's conversion applies.
        shown = DisplayValue(settings, kind, base) - DisplayValue(settings, kind, 0.0);
    } else {
        shown = DisplayValue(settings, kind, base);
    }
    const bool wholeNumbers = (kind == ResultKind::HbA1c && settings.hba1cUnit != 0) ||
                              (kind == ResultKind::Glucose && settings.glucoseUnit == 0);
    const std::string number =
        wholeNumbers ? Number(RoundHalfAwayFromZero(shown), 0) : Number(shown, 1);
    // Built front to back: GCC 12 warns falsely (-Wrestrict) on an insert at the front.
    std::string text = figure.Exact() ? "" : figure.atLeast ? "> " : "< ";
    if (signedChange && !number.empty() && number[0] != '-' &&
        number.find_first_not_of("0.") != std::string::npos) {
        text += '+';
    }
    text.append(number).append(" ").append(UnitText(settings, kind));
    return text;
}

Expected<std::vector<PatientOverview>> ReadPatientOverview(MeasurementTable& table) {
    std::vector<PatientOverview> out;
    if (!table.IsOpen() || table.Handle() == nullptr) {
        return MessageId::TableNotOpen;
    }
    const std::string sql = "SELECT [PID], [DATE], [TIME], [" + std::string(table.ValueColumn()) +
                            "], " + ColumnOrEmpty(table, 6) + ", " + ColumnOrEmpty(table, 7) +
                            " FROM [" + table.TableName() + "] ORDER BY [PID], " +
                            table.StandardSort();
    SqliteStatement statement = PrepareStatement(table.Handle(), sql);
    if (!statement) {
        return Message(MessageId::FileReason, {table.Path().Str(), sqlite3_errmsg(table.Handle())});
    }
    int rc;
    while ((rc = sqlite3_step(statement.Get())) == SQLITE_ROW) {
        std::string pid = ColumnText(statement.Get(), 0);
        if (out.empty() || out.back().patientId != pid) {
            PatientOverview patient;
            patient.patientId = std::move(pid);
            patient.lastDate = ColumnText(statement.Get(), 1);
            patient.lastTime = ColumnText(statement.Get(), 2);
            patient.lastValue = ColumnText(statement.Get(), 3);
            out.push_back(std::move(patient));
        }
        ++out.back().count;
        CountIdentity(out.back().identity, DecodeStoredText(ColumnText(statement.Get(), 4)),
                      ColumnText(statement.Get(), 5));
    }
    if (rc != SQLITE_DONE) {
        return Message(MessageId::FileReason, {table.Path().Str(), sqlite3_errmsg(table.Handle())});
    }
    return out;
}

std::string PatientSearchCondition(std::string_view typed) {
    const std::string text = Trimmed(typed);
    if (text.empty()) {
        return "";
    }
    std::vector<std::string> spellings{text};
    if (std::string cp949 = Cp949Spelling(text); cp949 != text) {
        spellings.push_back(cp949);
    }
    std::string condition = "(";
    for (std::size_t i = 0; i < spellings.size(); ++i) {
        const std::string pattern = EscapeSqlLiteral(LikePattern(spellings[i]));
        condition += (i == 0 ? "" : " or ");
        condition += "[PID] LIKE '" + pattern + "' ESCAPE '\\' or [p_NAME] LIKE '" + pattern +
                     "' ESCAPE '\\'";
    }
    return condition + ")";
}

std::string PatientIdCondition(std::string_view patientId) {
    std::string condition = "([PID]='" + EscapeSqlLiteral(patientId) + "'";
    if (std::string other = Cp949Spelling(patientId); other != patientId) {
        condition += " or [PID]='" + EscapeSqlLiteral(other) + "'";
    }
    return condition + ")";
}

std::string JoinConditions(const std::string& first, const std::string& second) {
    if (first.empty()) {
        return second;
    }
    if (second.empty()) {
        return first;
    }
    return "(" + first + ") and " + second;
}

} // namespace qa
