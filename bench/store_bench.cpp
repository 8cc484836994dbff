// The record-set class on a clinic's 100,000 stored results: reading every row in the list's
// order, and storing 1,000 new results after a duplicate test each. The floors are SQLite
// alone doing the same: the list's query stepped, and the same tests and inserts with
// statements prepared once in one transaction. The patterns they replaced (a statement per
// row read, an autocommitted insert after a full-scan test) are kept as naive lines.
#include "bench_data.h"
#include "budget.h"
#include "clinic_data.h"
#include "store/measurement_table.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>

using namespace qa;
using namespace qa::bench;

namespace {

constexpr int kStoredRows = 100'000;
constexpr int kNewRows = 1'000;

// The main table of a file, in the list's order, with its row ids loaded.
void OpenSorted(HbA1cTable& table, const std::string& path) {
    Require(table.SetTableName(kMainTableName), "SetTableName");
    Require(table.Open(path), "Open");
    table.sort = table.StandardSort();
    Require(table.Requery(), "Requery");
}

const std::string& StoredFile() {
    static const std::string path = ClinicWorkingCopy(kStoredRows);
    return path;
}

void ReadAllRows(benchmark::State& state) {
    const std::string& path = StoredFile();
    for (auto _ : state) {
        HbA1cTable table;
        OpenSorted(table, path);
        std::size_t bytes = 0;
        int rows = 0;
        for (; !table.IsEOF(); table.MoveNext()) {
            bytes += table.date.Length() + table.value.Length() + table.pid.Length();
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
        if (rows != kStoredRows) {
            state.SkipWithError("rows missing");
            break;
        }
    }
}
BENCHMARK(ReadAllRows)->Name("Store/ReadAll100k")->Unit(benchmark::kMillisecond);

// SQLite alone: the list's query prepared once and stepped to the end, every column read.
void ReadAllRowsSqlite(benchmark::State& state) {
    const std::string& path = StoredFile();
    for (auto _ : state) {
        sqlite3* db = nullptr;
        Require(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK,
                "open");
        sqlite3_stmt* statement = nullptr;
        Require(sqlite3_prepare_v2(db,
                                   "SELECT rowid, * FROM [HospitalTlb] ORDER BY [DATE] DESC, "
                                   "[TIME] DESC, [HbA1c_VALUE] DESC",
                                   -1, &statement, nullptr) == SQLITE_OK,
                "prepare");
        std::size_t bytes = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 1; column <= 10; ++column) {
                sqlite3_column_text(statement, column);
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
            }
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(ReadAllRowsSqlite)->Name("Store/ReadAll100kSqlite")->Unit(benchmark::kMillisecond);

// One statement prepared, stepped and finalized for every row read.
void ReadAllRowsLiteral(benchmark::State& state) {
    const std::string& path = StoredFile();
    for (auto _ : state) {
        HbA1cTable table;
        OpenSorted(table, path);
        std::size_t bytes = 0;
        for (int i = 1; i <= table.RowCount(); ++i) {
            std::string sql =
                FormatSql("SELECT * FROM [HospitalTlb] WHERE ROWID = %d", table.RowIdAt(i));
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(table.Handle(), sql.c_str(), -1, &statement, nullptr);
            if (sqlite3_step(statement) == SQLITE_ROW) {
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, 0));
            }
            sqlite3_finalize(statement);
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(ReadAllRowsLiteral)
    ->Name("Store/ReadAll100kLiteral")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

const std::vector<ClinicRecord>& NewRecords() {
    static const std::vector<ClinicRecord> records = NewClinicRecords(kNewRows, 1);
    return records;
}

void InsertAfterDuplicateTest(benchmark::State& state) {
    const std::string path = ScratchFolder() + "/insert.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        CopyFile(StoredFile(), path);
        HbA1cTable table;
        Require(table.SetTableName(kMainTableName), "SetTableName");
        Require(table.Open(path), "Open");
        state.ResumeTiming();

        int inserted = 0;
        Require(table.BeginTransaction(), "BeginTransaction");
        for (const ClinicRecord& record : NewRecords()) {
            table.filter =
                table.DuplicateCondition(record.date, record.time, record.value, record.pid);
            const Expected<bool> known = table.RequeryAny();
            Require(known.ok(), "RequeryAny");
            if (!*known) {
                Require(table.AddNew(), "AddNew");
                table.date = record.date;
                table.time = record.time;
                table.value = record.value;
                table.pid = record.pid;
                Require(table.Update(), "Update");
                ++inserted;
            }
        }
        Require(table.CommitTransaction(), "CommitTransaction");
        if (inserted != kNewRows) {
            state.SkipWithError("a new result was taken for a duplicate");
            break;
        }
    }
}
BENCHMARK(InsertAfterDuplicateTest)
    ->Name("Store/Insert1000Into100k")
    ->Unit(benchmark::kMillisecond);

void InsertAfterDuplicateTestSqlite(benchmark::State& state) {
    const std::string path = ScratchFolder() + "/insert_sqlite.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        CopyFile(StoredFile(), path);
        state.ResumeTiming();
        if (SqliteStoreRecords(path, "", NewRecords()) != kNewRows) {
            state.SkipWithError("a new result was taken for a duplicate");
            break;
        }
    }
}
BENCHMARK(InsertAfterDuplicateTestSqlite)
    ->Name("Store/Insert1000Into100kSqlite")
    ->Unit(benchmark::kMillisecond);

// No transaction, no index, a statement prepared per call: every duplicate test scans the
// table and every insert is its own synced commit.
void InsertAfterDuplicateTestLiteral(benchmark::State& state) {
    const std::string path = ScratchFolder() + "/insert_literal.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        CopyFile(StoredFile(), path);
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "DROP INDEX IF EXISTS [HospitalTlb_HbA1c_VALUE_key];"
                     "DROP INDEX IF EXISTS [HospitalTlb_PID]",
                     nullptr, nullptr, nullptr);
        state.ResumeTiming();
        for (const ClinicRecord& record : NewRecords()) {
            std::string count = FormatSql("SELECT COUNT (*) FROM [HospitalTlb] WHERE "
                                          "[DATE]='%s'and [TIME]='%s'and [HbA1c_VALUE]='%s'and "
                                          "[PID]='%s' ",
                                          record.date.c_str(), record.time.c_str(),
                                          record.value.c_str(), record.pid.c_str());
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, count.c_str(), -1, &statement, nullptr);
            bool exists =
                sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) > 0;
            sqlite3_finalize(statement);
            if (exists) {
                continue;
            }
            sqlite3_prepare_v2(db, "INSERT INTO [HospitalTlb] VALUES(?,?,?,?,?,?,?,?,?,?) ", -1,
                               &statement, nullptr);
            sqlite3_bind_text(statement, 1, record.date.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 2, record.time.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 3, record.value.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 4, record.pid.c_str(), -1, SQLITE_STATIC);
            sqlite3_step(statement);
            sqlite3_finalize(statement);
        }
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}
BENCHMARK(InsertAfterDuplicateTestLiteral)
    ->Name("Store/Insert1000Into100kLiteral")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

const bool kBudgets =
    AddBudget({"load 100,000 rows (requery and read every row)", "Store/ReadAll100k",
               "Store/ReadAll100kSqlite", 300, "SQLite alone stepping the list's query"}) &&
    AddBudget({"1,000 inserts after a duplicate test into 100,000 rows", "Store/Insert1000Into100k",
               "Store/Insert1000Into100kSqlite", 20,
               "SQLite alone (same tests and inserts, one transaction)"}) &&
    AddNaive({"load 100,000 rows, a statement per row", "Store/ReadAll100kLiteral"}) &&
    AddNaive({"1,000 inserts, each a full-scan test and a synced commit",
              "Store/Insert1000Into100kLiteral"});

} // namespace
