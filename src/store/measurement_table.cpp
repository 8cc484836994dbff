#include "store/measurement_table.h"

#include "store/patient_history.h"

#include <cstring>

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
}

const char* MeasurementTable::ValueColumn() const {
    return kind_ == ResultKind::HbA1c ? "HbA1c_VALUE" : "Glucose_VALUE";
}

bool MeasurementTable::SetTableName(std::string_view tableName) {
    if (tableName.empty() || tableName.size() >= kNameArea ||
        tableName.find_first_of(std::string_view("[]\0", 3)) != std::string_view::npos) {
        return false;
    }
    nameArea_.fill('\0');
    std::memcpy(nameArea_.data(), tableName.data(), tableName.size());
    TableNameChanged();
    return true;
}

std::string MeasurementTable::TableName() const {
    return std::string(nameArea_.data());
}

bool MeasurementTable::Open(const std::string& path) {
    if (OpenExisting(path) && Requery()) {
        return true;
    }
    Close();
    return false;
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

bool MeasurementTable::ResetView() {
    sort = StandardSort();
    bool ok = Requery();
    filter.Clear();
    return Requery() && ok;
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
    if (table != kDownloadTableName && EnsurePatientIndex(*this) && !hadPatient) {
        NoteSchemaChange("index " + patient);
    }
}

} // namespace qa
