// The record-set class against the straightforward access patterns it replaces: a prepared
// statement per row read, and an autocommitted insert after a full-scan duplicate test.
#include "bench_data.h"
#include "budget.h"
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

void ReadAllRows(benchmark::State& state) {
    std::string path = HbA1cFileWithRows(kStoredRows, true);
    for (auto _ : state) {
        HbA1cTable table;
        OpenSorted(table, path);
        std::size_t bytes = 0;
        for (; !table.IsEOF(); table.MoveNext()) {
            bytes += table.date.Length() + table.value.Length();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(ReadAllRows)->Name("Store/ReadAll100k")->Unit(benchmark::kMillisecond);

// One statement prepared, stepped and finalized for every row read.
void ReadAllRowsLiteral(benchmark::State& state) {
    std::string path = HbA1cFileWithRows(kStoredRows, true);
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
BENCHMARK(ReadAllRowsLiteral)->Name("Store/ReadAll100kLiteral")->Unit(benchmark::kMillisecond);

void InsertAfterDuplicateTest(benchmark::State& state) {
    std::string base = HbA1cFileWithRows(kStoredRows, true);
    std::string path = ScratchFolder() + "/insert.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        CopyFile(base, path);
        HbA1cTable table;
        Require(table.SetTableName(kMainTableName), "SetTableName");
        Require(table.Open(path), "Open");
        state.ResumeTiming();

        Require(table.BeginTransaction(), "BeginTransaction");
        for (int i = kStoredRows; i < kStoredRows + kNewRows; ++i) {
            char date[16], time[8], value[8];
            SyntheticResult(i, date, time, value);
            table.filter = table.DuplicateCondition(date, time, value, "PATIENT0000001");
            if (!table.RequeryAny()) {
                Require(table.AddNew(), "AddNew");
                table.date = date;
                table.time = time;
                table.value = value;
                table.pid = "PATIENT0000001";
                Require(table.Update(), "Update");
            }
        }
        Require(table.CommitTransaction(), "CommitTransaction");
    }
}
BENCHMARK(InsertAfterDuplicateTest)
    ->Name("Store/Insert1000Into100k")
    ->Unit(benchmark::kMillisecond);

// No transaction, no index, a statement prepared per call: every duplicate test scans the
// table and every insert is its own synced commit.
void InsertAfterDuplicateTestLiteral(benchmark::State& state) {
    std::string base = HbA1cFileWithRows(kStoredRows, false);
    std::string path = ScratchFolder() + "/insert_literal.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        CopyFile(base, path);
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        state.ResumeTiming();
        for (int i = kStoredRows; i < kStoredRows + kNewRows; ++i) {
            char date[16], time[8], value[8];
            SyntheticResult(i, date, time, value);
            std::string count = FormatSql("SELECT COUNT (*) FROM [HospitalTlb] WHERE "
                                          "[DATE]='%s'and [TIME]='%s'and [HbA1c_VALUE]='%s'and "
                                          "[PID]='PATIENT0000001' ",
                                          date, time, value);
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
            sqlite3_bind_text(statement, 1, date, -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 2, time, -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 3, value, -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 4, "PATIENT0000001", -1, SQLITE_STATIC);
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
               "Store/ReadAll100kLiteral", 300}) &&
    AddBudget({"1,000 inserts after a duplicate test into 100,000 rows", "Store/Insert1000Into100k",
               "Store/Insert1000Into100kLiteral", 20});

} // namespace
