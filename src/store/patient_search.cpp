#include "store/patient_search.h"

#include "store/patient_history.h"
#include "store/text_encoding.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

namespace qa {

namespace {

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text == nullptr
               ? std::string()
               : std::string(reinterpret_cast<const char*>(text),
                             static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// The ID as the Windows program would have stored it, when that differs.
std::string Cp949Spelling(const std::string& utf8) {
    if (!IsUtf8Text(utf8)) {
        return utf8;
    }
    return Utf8ToCp949(utf8).value_or(utf8);
}

Message Failure(MeasurementTable& table) {
    return Message(MessageId::FileReason, {table.Path().Str(), sqlite3_errmsg(table.Handle())});
}

void Bind(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

// Distinct IDs from a query whose first column is the ID, stepping only until one more than
// `limit` have turned up.
Expected<std::vector<std::string>> ReadIds(MeasurementTable& table, SqliteStatement& statement,
                                           int limit) {
    std::set<std::string> seen;
    int rc = SQLITE_DONE;
    while (static_cast<int>(seen.size()) <= limit &&
           (rc = sqlite3_step(statement.Get())) == SQLITE_ROW) {
        seen.insert(ColumnText(statement.Get(), 0));
    }
    if (static_cast<int>(seen.size()) <= limit && rc != SQLITE_DONE) {
        return Failure(table);
    }
    return std::vector<std::string>(seen.begin(), seen.end());
}

void Rank(std::vector<PatientIdentity::Variant>& variants) {
    std::stable_sort(variants.begin(), variants.end(),
                     [](const auto& a, const auto& b) { return a.count > b.count; });
}

void Count(std::vector<PatientIdentity::Variant>& variants, const std::string& text, int count) {
    if (text.find_first_not_of(" \t") == std::string::npos) {
        return;
    }
    for (auto& variant : variants) {
        if (variant.text == text) {
            variant.count += count;
            return;
        }
    }
    variants.push_back({text, count});
}

} // namespace

Status EnsurePatientSearchIndex(MeasurementTable& table) {
    if (!table.IsOpen()) {
        return MessageId::TableNotOpen;
    }
    if (table.IsReadOnly()) {
        return Message(MessageId::TableReadOnly, {table.Path().Str()});
    }
    const std::string name = table.TableName();
    return table.Execute(
        FormatSql("CREATE INDEX IF NOT EXISTS [%s_PID_NOCASE] ON [%s] ([PID] COLLATE NOCASE, "
                  "[p_NAME])",
                  name.c_str(), name.c_str()));
}

Expected<std::vector<std::string>> FindWholePatientIds(MeasurementTable& table,
                                                       std::string_view typed) {
    const std::string text = Trimmed(typed);
    if (text.empty()) {
        return std::vector<std::string>();
    }
    if (!table.IsOpen() || table.Handle() == nullptr) {
        return MessageId::TableNotOpen;
    }
    // Equality under NOCASE walks the index made for it: a handful of rows, not the file. (An
    // OR of two COLLATE NOCASE equalities is turned into an IN that compares as bytes.)
    SqliteStatement statement =
        PrepareStatement(table.Handle(), "SELECT DISTINCT [PID] FROM [" + table.TableName() +
                                             "] WHERE [PID] COLLATE NOCASE IN (?1, ?2)");
    if (!statement) {
        return Failure(table);
    }
    Bind(statement.Get(), 1, text);
    Bind(statement.Get(), 2, Cp949Spelling(text));
    return ReadIds(table, statement, kMaxPatientCandidates);
}

Expected<PatientCandidate> ReadPatientCandidate(MeasurementTable& table,
                                                std::string_view patientId) {
    PatientCandidate out;
    out.patientId = std::string(patientId);
    SqliteStatement statement = PrepareStatement(
        table.Handle(), "SELECT [p_NAME], [p_DOB], COUNT(*), MAX([DATE]) FROM [" +
                            table.TableName() + "] WHERE [PID] = ?1 GROUP BY 1, 2");
    if (!statement) {
        return Failure(table);
    }
    Bind(statement.Get(), 1, out.patientId);
    PatientIdentity identity;
    int rc;
    while ((rc = sqlite3_step(statement.Get())) == SQLITE_ROW) {
        const int count = sqlite3_column_int(statement.Get(), 2);
        Count(identity.names, DecodeStoredText(ColumnText(statement.Get(), 0)), count);
        Count(identity.birthDates, ColumnText(statement.Get(), 1), count);
        out.count += count;
        out.newestDate = std::max(out.newestDate, ColumnText(statement.Get(), 3));
    }
    if (rc != SQLITE_DONE) {
        return Failure(table);
    }
    Rank(identity.names);
    Rank(identity.birthDates);
    for (const auto& name : identity.names) {
        out.names.push_back(name.text);
    }
    for (const auto& date : identity.birthDates) {
        out.birthDates.push_back(date.text);
    }
    return out;
}

Expected<PatientSearch> FindPatients(MeasurementTable& table, std::string_view typed, int limit) {
    PatientSearch search;
    Expected<std::vector<std::string>> whole = FindWholePatientIds(table, typed);
    if (!whole) {
        return whole.status();
    }
    std::vector<std::string> ids = std::move(whole).value();
    search.wholeId = !ids.empty();
    if (ids.empty() && !Trimmed(typed).empty()) {
        // Part of an ID or a name: a walk of the search index (ID and name side by side),
        // stopped as soon as one more patient than the limit has turned up. No DISTINCT: with
        // it SQLite walks the ID index in order and reads every row's name from the table,
        // many times slower at a million rows.
        SqliteStatement statement =
            PrepareStatement(table.Handle(), "SELECT [PID] FROM [" + table.TableName() +
                                                 "] WHERE " + PatientSearchCondition(typed));
        if (!statement) {
            return Failure(table);
        }
        Expected<std::vector<std::string>> found = ReadIds(table, statement, limit);
        if (!found) {
            return found.status();
        }
        ids = std::move(found).value();
    }
    if (static_cast<int>(ids.size()) > limit) {
        search.more = true;
        ids.resize(static_cast<std::size_t>(limit));
    }
    for (const std::string& id : ids) {
        Expected<PatientCandidate> candidate = ReadPatientCandidate(table, id);
        if (!candidate) {
            return candidate.status();
        }
        search.candidates.push_back(std::move(candidate).value());
    }
    return search;
}

void CountIdentity(PatientIdentity& identity, const std::string& name,
                   const std::string& birthDate) {
    Count(identity.names, name, 1);
    Count(identity.birthDates, birthDate, 1);
    Rank(identity.names);
    Rank(identity.birthDates);
}

} // namespace qa
