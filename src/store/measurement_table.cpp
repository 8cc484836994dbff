#include "store/measurement_table.h"

#include "store/patient_history.h"
#include "store/patient_search.h"

#include "store/name_uuid.h"

#include <sqlite3.h>

#include <cstring>
#include <vector>

namespace qa {

MeasurementTable::MeasurementTable(ResultKind kind) : kind_(kind) {
    DefineField(0, "DATE", FieldText, &date);
    DefineField(1, "TIME", FieldText, &time);
    DefineField(2, ValueColumn(), FieldText, &value);
    DefineField(3, "PID", FieldText, &pid);
    DefineField(4, "OPID", FieldText, &opid);
    DefineField(5, "EQ_TYPE", FieldText, &eqType);
    DefineField(6, "p_NAME", FieldText, &name);
    DefineField(7, "p_DOB", FieldText, &dob);
    DefineField(8, "P_DIAGNOSE", FieldInt, &diagnose);
    DefineField(9, "P_MEMO", FieldText, &memo);
    DefineField(kResultIdField, kResultIdColumn, FieldText, &resultId);
}

std::string MeasurementTable::ResultIdCondition(std::string_view resultId) {
    return std::string("[") + kResultIdColumn + "]='" + EscapeSqlLiteral(resultId) + "'";
}

const char* MeasurementTable::ValueColumn() const {
    return kind_ == ResultKind::HbA1c ? "HbA1c_VALUE" : "Glucose_VALUE";
}

Status MeasurementTable::SetTableName(std::string_view tableName) {
    if (tableName.empty() || tableName.size() >= kNameArea ||
        tableName.find_first_of(std::string_view("[]\0", 3)) != std::string_view::npos) {
        return Message(MessageId::TableNameRefused, {std::string(tableName)});
    }
    nameArea_.fill('\0');
    std::memcpy(nameArea_.data(), tableName.data(), tableName.size());
    TableNameChanged();
    return {};
}

std::string MeasurementTable::TableName() const {
    return std::string(nameArea_.data());
}

Status MeasurementTable::Open(const std::string& path) {
    Status opened = OpenExisting(path);
    if (opened) {
        opened = Requery();
    }
    if (!opened) {
        Close();
    }
    return opened;
}

std::string MeasurementTable::StandardSort() const {
    return FormatSql("[DATE] DESC, [TIME] DESC, [%s] DESC", ValueColumn());
}

std::string MeasurementTable::DuplicateCondition(std::string_view dateText,
                                                 std::string_view timeText,
                                                 std::string_view valueText,
                                                 std::string_view patientId) const {
    std::string condition = "[DATE]='" + EscapeSqlLiteral(dateText) + "'and " + "[TIME]='" +
                            EscapeSqlLiteral(timeText) + "'and " + "[" + ValueColumn() + "]='" +
                            EscapeSqlLiteral(valueText) + "'";
    if (kind_ == ResultKind::HbA1c) {
        condition += "and [PID]='" + EscapeSqlLiteral(patientId) + "' ";
    } else {
        condition += " ";
    }
    return condition;
}

std::string MeasurementTable::RecordCondition(std::string_view dateText, std::string_view timeText,
                                              std::string_view valueText,
                                              std::string_view patientId,
                                              std::string_view operatorId) const {
    return "[DATE]='" + EscapeSqlLiteral(dateText) + "'and " + "[TIME]='" +
           EscapeSqlLiteral(timeText) + "'and " + "[" + ValueColumn() + "]='" +
           EscapeSqlLiteral(valueText) + "'and " + "[PID]='" + EscapeSqlLiteral(patientId) +
           "'and " + "[OPID]='" + EscapeSqlLiteral(operatorId) + "'";
}

std::string MeasurementTable::ModifyCondition(std::string_view dateText, std::string_view timeText,
                                              std::string_view valueText) const {
    return "[DATE]='" + EscapeSqlLiteral(dateText) + "'and " + "[TIME]='" +
           EscapeSqlLiteral(timeText) + "'and " + "[" + ValueColumn() + "]='" +
           EscapeSqlLiteral(valueText) + "'";
}

bool MeasurementTable::HasIndex(const std::string& indexName) const {
    return IndexExists(Handle(), indexName);
}

Status MeasurementTable::ResetView() {
    sort = StandardSort();
    Status sorted = Requery();
    filter.Clear();
    Status all = Requery();
    return sorted ? all : sorted;
}

void MeasurementTable::OnSchemaSynced() {
    if (IsReadOnly()) {
        return; // a reader leaves a file without its indexes as it is
    }
    std::string table = TableName();
    const std::string key = table + "_" + ValueColumn() + "_key";
    const std::string patient = table + "_PID";
    const bool hadKey = HasIndex(key);
    const bool hadPatient = HasIndex(patient);
    // Only speed depends on the index: a file that cannot take it still works.
    if (Execute(FormatSql("CREATE INDEX IF NOT EXISTS [%s] ON [%s] ([DATE], [TIME], [%s], [PID])",
                          key.c_str(), table.c_str(), ValueColumn())) &&
        !hadKey) {
        NoteSchemaChange("index " + key);
    }
    // A patient's history is looked up by ID alone, in the main tables; the download table
    // holds one download and is never searched by patient.
    if (table != kDownloadTableName) {
        if (EnsurePatientIndex(*this) && !hadPatient) {
            NoteSchemaChange("index " + patient);
        }
        (void)EnsurePatientSearchIndex(*this);
    }
    // The IDs first: an index built over them afterwards is one sort, where one kept up to
    // date through every random ID costs a page write for nearly each row of a long file.
    AssignMissingResultIds();
    // A result is found by its ID from the command line and by later corrections.
    (void)Execute(FormatSql("CREATE INDEX IF NOT EXISTS [%s_%s] ON [%s] ([%s])", table.c_str(),
                            kResultIdColumn, table.c_str(), kResultIdColumn));
}

void MeasurementTable::OnInsert() {
    if (resultId.View().empty()) {
        resultId = NewResultId();
    }
}

void MeasurementTable::AssignMissingResultIds() {
    if (Handle() == nullptr || sqlite3_db_readonly(Handle(), "main") != 0) {
        return;
    }
    const std::string table = TableName();
    std::vector<sqlite3_int64> rows;
    {
        SqliteStatement missing = PrepareStatement(
            Handle(), FormatSql("SELECT ROWID FROM [%s] WHERE [%s] IS NULL OR [%s] = ''",
                                table.c_str(), kResultIdColumn, kResultIdColumn));
        if (!missing) {
            return;
        }
        while (sqlite3_step(missing.Get()) == SQLITE_ROW) {
            rows.push_back(sqlite3_column_int64(missing.Get(), 0));
        }
    }
    if (rows.empty()) {
        return;
    }
    // Every row grows by its ID, so nearly every page of the table is rewritten: with the
    // default cache the pages spill to the file one by one on a long table.
    int cacheBefore = 0;
    {
        SqliteStatement cache = PrepareStatement(Handle(), "PRAGMA cache_size");
        if (cache && sqlite3_step(cache.Get()) == SQLITE_ROW) {
            cacheBefore = sqlite3_column_int(cache.Get(), 0);
        }
    }
    if (cacheBefore != 0) {
        (void)Execute("PRAGMA cache_size=-65536");
    }
    // A savepoint, not a transaction: the caller may be inside one already. All or none, so
    // an interrupted open leaves the rest to the next one.
    if (!Execute("SAVEPOINT result_ids")) {
        if (cacheBefore != 0) {
            (void)Execute(FormatSql("PRAGMA cache_size=%d", cacheBefore));
        }
        return;
    }
    SqliteStatement assign = PrepareStatement(
        Handle(), FormatSql("UPDATE [%s] SET [%s] = ?1 WHERE ROWID = ?2 AND ([%s] IS NULL OR "
                            "[%s] = '')",
                            table.c_str(), kResultIdColumn, kResultIdColumn, kResultIdColumn));
    bool ok = static_cast<bool>(assign);
    for (std::size_t i = 0; ok && i < rows.size(); ++i) {
        const std::optional<Uuid> uuid = RandomUuid();
        if (!uuid) {
            ok = false;
            break;
        }
        const std::string text = UuidText(*uuid);
        sqlite3_bind_text(assign.Get(), 1, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_int64(assign.Get(), 2, rows[i]);
        ok = sqlite3_step(assign.Get()) == SQLITE_DONE;
        sqlite3_reset(assign.Get());
    }
    assign.Reset();
    if (ok) {
        ok = Execute("RELEASE result_ids").ok();
    }
    if (!ok) {
        (void)Execute("ROLLBACK TO result_ids");
        (void)Execute("RELEASE result_ids");
    }
    if (cacheBefore != 0) {
        (void)Execute(FormatSql("PRAGMA cache_size=%d", cacheBefore));
    }
}

std::string NewResultId() {
    const std::optional<Uuid> uuid = RandomUuid();
    return uuid ? UuidText(*uuid) : std::string();
}

} // namespace qa
