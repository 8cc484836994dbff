#pragma once

#include "store/sqlite_table.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qa {

enum class ResultKind { HbA1c = 0, Glucose = 1 };

// Table names inside the per-user files.
inline constexpr const char* kMainTableName = "HospitalTlb";
inline constexpr const char* kDownloadTableName = "DownLoadData";

// One stored result: a row of a main or download file. Both kinds share this shape and
// differ only in the name of the value column.
class MeasurementTable : public SqliteTable {
public:
    static constexpr std::size_t kNameArea = 28;
    static constexpr int kFieldCount = 11;
    // The result's own ID (a random UUID in its text form): given when the row is stored, or
    // when a file from before the column is first opened for writing, and never changed
    // while the result exists. Empty only when read from such a file opened read-only.
    static constexpr int kResultIdField = 10;
    static constexpr const char* kResultIdColumn = "RESULT_ID";

    explicit MeasurementTable(ResultKind kind);

    ResultKind Kind() const { return kind_; }
    const char* ValueColumn() const;

    // The name must fit the 28-byte area with its terminator; a longer name, an empty one
    // or one that would break the bracketed name in SQL text is refused (TableNameRefused)
    // and the previous name stays.
    Status SetTableName(std::string_view tableName);
    std::string TableName() const override;
    int FieldCount() const override { return kFieldCount; }
    Status Open(const std::string& path) override;

    // The standard clauses, composed in one place. Values are escaped here, so callers
    // pass the texts as they are.
    std::string StandardSort() const;
    std::string DuplicateCondition(std::string_view dateText, std::string_view timeText,
                                   std::string_view valueText, std::string_view patientId) const;
    std::string RecordCondition(std::string_view dateText, std::string_view timeText,
                                std::string_view valueText, std::string_view patientId,
                                std::string_view operatorId) const;
    std::string ModifyCondition(std::string_view dateText, std::string_view timeText,
                                std::string_view valueText) const;

    // Standard sort, requery, then no filter and requery again: the state every user of
    // the tables expects after opening or changing them. The first failure is the one told.
    Status ResetView();

    BufferString date;
    BufferString time;
    BufferString value;
    BufferString pid;
    BufferString opid;
    BufferString eqType;
    BufferString name;
    BufferString dob;
    std::int32_t diagnose = 0;
    BufferString memo;
    BufferString resultId;

    // The condition naming the one row with this result ID.
    static std::string ResultIdCondition(std::string_view resultId);

protected:
    // The duplicate test of every import and the standard sort both walk these columns;
    // without an index each test is a full scan of the file.
    void OnSchemaSynced() override;
    // A row stored without an ID gets a new one.
    void OnInsert() override;

private:
    // Gives an ID to every row without one: the rows of a file from before the column.
    void AssignMissingResultIds();
    bool HasIndex(const std::string& indexName) const;

    ResultKind kind_;
    std::array<char, kNameArea> nameArea_{};
};

// A new result ID: a random (version 4) UUID in its text form; empty when the system's random
// source cannot be read.
std::string NewResultId();

class HbA1cTable : public MeasurementTable {
public:
    HbA1cTable() : MeasurementTable(ResultKind::HbA1c) {}
};

class GlucoseTable : public MeasurementTable {
public:
    GlucoseTable() : MeasurementTable(ResultKind::Glucose) {}
};

} // namespace qa
