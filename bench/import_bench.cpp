// The importer against the literal pattern it replaces: a composed duplicate condition
// requeried per record, and every insert prepared for the call and committed on its own.
#include "bench_data.h"
#include "budget.h"
#include "device/importer.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

using namespace qa;
using namespace qa::bench;

namespace {

constexpr int kStoredRows = 100'000;
constexpr const char* kPatient = "PATIENT0000001";

class QuietHost : public ImportHost {
public:
    void SetProgressText(const Message& text) override { last = &text; }
    const Message* last = nullptr;
};

// Four-digit HbA1c records of synthetic results first .. first + count - 1; the stored rows
// are results 0 .. kStoredRows - 1 with the same patient.
Transfer MakeTransfer(int first, int count) {
    Transfer transfer;
    transfer.recordCount = count;
    transfer.recordSize = 30;
    transfer.fourDigitValues = true;
    transfer.kind = ResultKind::HbA1c;
    for (int i = first; i < first + count; ++i) {
        char date[16], time[8], value[8];
        SyntheticResult(i, date, time, value);
        transfer.payload += std::string(date + 2) + time + value + kPatient + "\r\n";
    }
    return transfer;
}

struct Files {
    std::string main;
    std::string download;
};

// Fresh copies of the stored rows and an empty download file for one iteration.
Files PrepareFiles(bool withIndex) {
    static std::string emptyDownload;
    if (emptyDownload.empty()) {
        emptyDownload = ScratchFolder() + "/empty_down.sqlite";
        HbA1cTable table;
        Require(table.SetTableName(kDownloadTableName), "SetTableName");
        Require(table.OpenOrCreate(emptyDownload), "OpenOrCreate");
    }
    Files files{ScratchFolder() + "/import_main.sqlite", ScratchFolder() + "/import_down.sqlite"};
    CopyFile(HbA1cFileWithRows(kStoredRows, withIndex), files.main);
    CopyFile(emptyDownload, files.download);
    return files;
}

void ImportIntoStored(benchmark::State& state, int first, int count) {
    Transfer transfer = MakeTransfer(first, count);
    QuietHost host;
    ImportServices services{ScratchFolder(), host};
    for (auto _ : state) {
        state.PauseTiming();
        Files files = PrepareFiles(true);
        HbA1cTable main, download;
        Require(main.SetTableName(kMainTableName), "SetTableName");
        Require(download.SetTableName(kDownloadTableName), "SetTableName");
        Require(main.Open(files.main), "main)");
        Require(download.Open(files.download), "download)");
        state.ResumeTiming();

        Expected<ImportSummary> result = ImportHbA1cResults(transfer, main, download, services);
        if (!result) {
            state.SkipWithError("import failed");
        }
        benchmark::DoNotOptimize(result);

        state.PauseTiming();
        main.Close();
        download.Close();
        state.ResumeTiming();
    }
}

void InsertPreparedPerCall(sqlite3* db, const char* date, const char* time, const char* value,
                           const char* dob) {
    std::string sql = FormatSql("INSERT INTO [%s] VALUES(?,?,?,?,'','1','',?,0,'') ",
                                dob[0] ? kMainTableName : kDownloadTableName);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, date, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, time, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 3, value, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 4, kPatient, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 5, dob, -1, SQLITE_STATIC);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
}

// The literal store step: for every record a composed condition and a requery of the main
// table (no index, as the old files have none), then one autocommitted insert per file with
// a statement prepared for the call; the same final requeries.
void LiteralImportIntoStored(benchmark::State& state, int first, int count) {
    for (auto _ : state) {
        state.PauseTiming();
        Files files = PrepareFiles(false);
        HbA1cTable main, download;
        Require(main.SetTableName(kMainTableName), "SetTableName");
        Require(download.SetTableName(kDownloadTableName), "SetTableName");
        Require(main.Open(files.main), "main)");
        Require(download.Open(files.download), "download)");
        Require(main.Execute("DROP INDEX IF EXISTS [HospitalTlb_HbA1c_VALUE_key]"), "Execute");
        state.ResumeTiming();

        int imported = 0;
        for (int i = first; i < first + count; ++i) {
            char date[16], time[8], value[8];
            SyntheticResult(i, date, time, value);
            main.filter = main.DuplicateCondition(date, time, value, kPatient);
            if (main.RequeryAny()) {
                continue;
            }
            InsertPreparedPerCall(main.Handle(), date, time, value, "19000101");
            InsertPreparedPerCall(download.Handle(), date, time, value, "");
            ++imported;
        }
        Require(main.ResetView(), "ResetView");
        Require(download.ResetView(), "ResetView");
        benchmark::DoNotOptimize(imported);

        state.PauseTiming();
        main.Close();
        download.Close();
        state.ResumeTiming();
    }
}

void New1000(benchmark::State& state) {
    ImportIntoStored(state, kStoredRows, 1'000);
}
void New10000(benchmark::State& state) {
    ImportIntoStored(state, kStoredRows, 10'000);
}
void Duplicates1000(benchmark::State& state) {
    ImportIntoStored(state, 50'000, 1'000);
}
void New1000Literal(benchmark::State& state) {
    LiteralImportIntoStored(state, kStoredRows, 1'000);
}
void New10000Literal(benchmark::State& state) {
    LiteralImportIntoStored(state, kStoredRows, 10'000);
}
void Duplicates1000Literal(benchmark::State& state) {
    LiteralImportIntoStored(state, 50'000, 1'000);
}

BENCHMARK(New1000)->Name("Import/New1000Into100k")->Unit(benchmark::kMillisecond);
BENCHMARK(New10000)->Name("Import/New10000Into100k")->Unit(benchmark::kMillisecond);
BENCHMARK(Duplicates1000)->Name("Import/Duplicates1000In100k")->Unit(benchmark::kMillisecond);
BENCHMARK(New1000Literal)
    ->Name("Import/New1000Into100kLiteral")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(New10000Literal)
    ->Name("Import/New10000Into100kLiteral")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(Duplicates1000Literal)
    ->Name("Import/Duplicates1000In100kLiteral")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

const bool kBudgets =
    AddBudget({"import 1,000 new HbA1c records into a table of 100,000", "Import/New1000Into100k",
               "Import/New1000Into100kLiteral", 20}) &&
    AddBudget({"import 10,000 new HbA1c records into a table of 100,000", "Import/New10000Into100k",
               "Import/New10000Into100kLiteral", 200}) &&
    AddBudget({"import 1,000 already stored HbA1c records (table of 100,000)",
               "Import/Duplicates1000In100k", "Import/Duplicates1000In100kLiteral", 20});

} // namespace
