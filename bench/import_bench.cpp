// The importer on a clinic's 100,000 stored results: 1,000 and 10,000 new results of the
// next year (most of them a patient each), and 1,000 results already stored. The floor is
// SQLite alone running the same duplicate tests and inserts, statements prepared once, one
// transaction per file. The literal pattern it replaced (a composed condition requeried per
// record, every insert prepared for the call and committed on its own) is kept as a naive line.
// The importer is reached through ImportOnce alone.
#include "bench_data.h"
#include "budget.h"
#include "clinic_data.h"
#include "device/importer.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

using namespace qa;
using namespace qa::bench;

namespace {

constexpr int kStoredRows = 100'000;

class QuietHost : public ImportHost {
public:
    void SetProgressText(const Message& text) override { last = &text; }
    const Message* last = nullptr;
};

// The records as a meter sends them: four-digit HbA1c values, 30-byte records.
Transfer MakeTransfer(const std::vector<ClinicRecord>& records) {
    Transfer transfer;
    transfer.recordCount = static_cast<int>(records.size());
    transfer.recordSize = 30;
    transfer.fourDigitValues = true;
    transfer.kind = ResultKind::HbA1c;
    for (const ClinicRecord& record : records) {
        transfer.payload +=
            record.date.substr(2) + record.time + record.value + record.pid + "\r\n";
    }
    return transfer;
}

struct Files {
    std::string main;
    std::string download;
};

const std::string& StoredFile() {
    static const std::string path = ClinicWorkingCopy(kStoredRows);
    return path;
}

// Fresh copies of the stored rows (with `stored` added to them) and an empty download file
// for one iteration.
Files PrepareFiles(const std::vector<ClinicRecord>& stored) {
    static std::string emptyDownload;
    if (emptyDownload.empty()) {
        emptyDownload = ScratchFolder() + "/empty_down.sqlite";
        HbA1cTable table;
        Require(table.SetTableName(kDownloadTableName), "SetTableName");
        Require(table.OpenOrCreate(emptyDownload), "OpenOrCreate");
    }
    Files files{ScratchFolder() + "/import_main.sqlite", ScratchFolder() + "/import_down.sqlite"};
    CopyFile(StoredFile(), files.main);
    if (!stored.empty()) {
        SqliteStoreRecords(files.main, "", stored);
    }
    CopyFile(emptyDownload, files.download);
    return files;
}

// The one use of the importer's interface.
bool ImportOnce(const Transfer& transfer, HbA1cTable& main, HbA1cTable& download,
                const std::string& folder, int& imported) {
    QuietHost host;
    ImportServices services{folder, host};
    Expected<ImportSummary> result = ImportHbA1cResults(transfer, main, download, services);
    if (!result) {
        return false;
    }
    imported = result->stored;
    return true;
}

// `records` imported into the stored rows, of which `stored` are already there.
void ImportIntoStored(benchmark::State& state, const std::vector<ClinicRecord>& records,
                      const std::vector<ClinicRecord>& stored) {
    const Transfer transfer = MakeTransfer(records);
    const int expected = static_cast<int>(records.size() - stored.size());
    for (auto _ : state) {
        state.PauseTiming();
        Files files = PrepareFiles(stored);
        HbA1cTable main, download;
        Require(main.SetTableName(kMainTableName), "SetTableName");
        Require(download.SetTableName(kDownloadTableName), "SetTableName");
        Require(main.Open(files.main), "main)");
        Require(download.Open(files.download), "download)");
        state.ResumeTiming();

        int imported = -1;
        if (!ImportOnce(transfer, main, download, ScratchFolder(), imported) ||
            imported != expected) {
            state.SkipWithError(("import failed or imported " + std::to_string(imported) + " of " +
                                 std::to_string(expected))
                                    .c_str());
            break;
        }

        state.PauseTiming();
        main.Close();
        download.Close();
        state.ResumeTiming();
    }
}

void SqliteIntoStored(benchmark::State& state, const std::vector<ClinicRecord>& records,
                      const std::vector<ClinicRecord>& stored) {
    const int expected = static_cast<int>(records.size() - stored.size());
    for (auto _ : state) {
        state.PauseTiming();
        Files files = PrepareFiles(stored);
        state.ResumeTiming();
        if (SqliteStoreRecords(files.main, files.download, records) != expected) {
            state.SkipWithError("the floor stored a different count");
            break;
        }
    }
}

void InsertPreparedPerCall(sqlite3* db, const char* date, const char* time, const char* value,
                           const char* pid, const char* dob) {
    std::string sql = FormatSql("INSERT INTO [%s] VALUES(?,?,?,?,'','1','',?,0,'') ",
                                dob[0] ? kMainTableName : kDownloadTableName);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, date, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, time, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 3, value, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 4, pid, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 5, dob, -1, SQLITE_STATIC);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
}

// The literal store step: for every record a composed condition and a requery of the main
// table (no index, as the old files have none), then one autocommitted insert per file with
// a statement prepared for the call; the same final requeries.
void LiteralImportIntoStored(benchmark::State& state, const std::vector<ClinicRecord>& records) {
    for (auto _ : state) {
        state.PauseTiming();
        Files files = PrepareFiles({});
        HbA1cTable main, download;
        Require(main.SetTableName(kMainTableName), "SetTableName");
        Require(download.SetTableName(kDownloadTableName), "SetTableName");
        Require(main.Open(files.main), "main)");
        Require(download.Open(files.download), "download)");
        Require(main.Execute("DROP INDEX IF EXISTS [HospitalTlb_HbA1c_VALUE_key]") &&
                    main.Execute("DROP INDEX IF EXISTS [HospitalTlb_PID]"),
                "Execute");
        state.ResumeTiming();

        int imported = 0;
        for (const ClinicRecord& record : records) {
            main.filter =
                main.DuplicateCondition(record.date, record.time, record.value, record.pid);
            const Expected<bool> known = main.RequeryAny();
            Require(known.ok(), "RequeryAny");
            if (*known) {
                continue;
            }
            InsertPreparedPerCall(main.Handle(), record.date.c_str(), record.time.c_str(),
                                  record.value.c_str(), record.pid.c_str(), "19000101");
            InsertPreparedPerCall(download.Handle(), record.date.c_str(), record.time.c_str(),
                                  record.value.c_str(), record.pid.c_str(), "");
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

const std::vector<ClinicRecord>& New1000Records() {
    static const std::vector<ClinicRecord> records = NewClinicRecords(1'000, 2);
    return records;
}
const std::vector<ClinicRecord>& New10000Records() {
    static const std::vector<ClinicRecord> records = NewClinicRecords(10'000, 3);
    return records;
}

void New1000(benchmark::State& state) {
    ImportIntoStored(state, New1000Records(), {});
}
void New10000(benchmark::State& state) {
    ImportIntoStored(state, New10000Records(), {});
}
// A download repeated: the same results again.
void Duplicates1000(benchmark::State& state) {
    ImportIntoStored(state, New1000Records(), New1000Records());
}
void New1000Sqlite(benchmark::State& state) {
    SqliteIntoStored(state, New1000Records(), {});
}
void New10000Sqlite(benchmark::State& state) {
    SqliteIntoStored(state, New10000Records(), {});
}
void Duplicates1000Sqlite(benchmark::State& state) {
    SqliteIntoStored(state, New1000Records(), New1000Records());
}
void New1000Literal(benchmark::State& state) {
    LiteralImportIntoStored(state, New1000Records());
}

BENCHMARK(New1000)->Name("Import/New1000Into100k")->Unit(benchmark::kMillisecond);
BENCHMARK(New10000)->Name("Import/New10000Into100k")->Unit(benchmark::kMillisecond);
BENCHMARK(Duplicates1000)->Name("Import/Duplicates1000In100k")->Unit(benchmark::kMillisecond);
BENCHMARK(New1000Sqlite)->Name("Import/New1000Into100kSqlite")->Unit(benchmark::kMillisecond);
BENCHMARK(New10000Sqlite)->Name("Import/New10000Into100kSqlite")->Unit(benchmark::kMillisecond);
BENCHMARK(Duplicates1000Sqlite)
    ->Name("Import/Duplicates1000In100kSqlite")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(New1000Literal)
    ->Name("Import/New1000Into100kLiteral")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

const char* const kFloor = "SQLite alone (same tests and inserts, one transaction per file)";

const bool kBudgets =
    AddBudget({"import 1,000 new HbA1c records into a table of 100,000", "Import/New1000Into100k",
               "Import/New1000Into100kSqlite", 20, kFloor}) &&
    AddBudget({"import 10,000 new HbA1c records into a table of 100,000", "Import/New10000Into100k",
               "Import/New10000Into100kSqlite", 200, kFloor}) &&
    AddBudget({"import 1,000 already stored HbA1c records (table of 100,000)",
               "Import/Duplicates1000In100k", "Import/Duplicates1000In100kSqlite", 20, kFloor}) &&
    AddNaive({"import 1,000 new records, a requery and a commit per record",
              "Import/New1000Into100kLiteral"});

} // namespace
