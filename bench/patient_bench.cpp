// One patient's history among a clinic's 100,000 stored HbA1c results, by the PID index,
// against SQLite alone running the same indexed query; the lookup scanning the table is kept as
// a naive line. And the patient report of 500 results written to PDF.
#include "bench_data.h"
#include "budget.h"
#include "clinic_data.h"
#include "print/patient_report.h"
#include "store/measurement_table.h"
#include "store/patient_history.h"
#include "store/patient_search.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <random>

using namespace qa;
using namespace qa::bench;

namespace {

constexpr int kRows = 100'000;

// The clinic file with its PID index, or a copy without it (opened read-only, so it stays so).
std::string ClinicFile(bool withPatientIndex) {
    if (withPatientIndex) {
        return ClinicWorkingCopy(kRows);
    }
    const std::string path = ScratchFolder() + "/patients_plain.sqlite";
    CopyFile(ClinicWorkingCopy(kRows), path);
    sqlite3* db = nullptr;
    Require(sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                sqlite3_exec(db, "DROP INDEX IF EXISTS [HospitalTlb_PID]", nullptr, nullptr,
                             nullptr) == SQLITE_OK,
            "drop the PID index");
    sqlite3_close(db);
    return path;
}

// Patients as the page is asked for them: the IDs of rows spread over the whole file, so
// regulars with many results come up as often as they visit, one-off patients most of the time.
const std::vector<std::string>& PatientsToLookUp() {
    static const std::vector<std::string> ids = [] {
        std::vector<std::string> found;
        sqlite3* db = nullptr;
        Require(sqlite3_open_v2(ClinicHbA1cFile(kRows).c_str(), &db, SQLITE_OPEN_READONLY,
                                nullptr) == SQLITE_OK,
                "open the clinic file");
        sqlite3_stmt* statement = nullptr;
        Require(sqlite3_prepare_v2(db, "SELECT PID FROM HospitalTlb WHERE rowid % 50 = 0", -1,
                                   &statement, nullptr) == SQLITE_OK,
                "read patient IDs");
        while (sqlite3_step(statement) == SQLITE_ROW) {
            found.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        Require(found.size() > 1000, "patient IDs in the clinic file");
        return found;
    }();
    return ids;
}

// The lookup as the patient page makes it: the results and the summary figures.
void Lookup(benchmark::State& state, bool indexed) {
    static const std::string indexedPath = ClinicFile(true);
    static const std::string plainPath = ClinicFile(false);
    HbA1cTable table;
    Require(table.SetTableName(kMainTableName), "table name");
    // A writable open makes the PID index; a read-only one leaves the file as it is.
    table.SetReadOnly(!indexed);
    Require(table.Open(indexed ? indexedPath : plainPath), "open the table");
    const std::chrono::sys_days today{std::chrono::year{2025} / 1 / 1};
    const std::vector<std::string>& patients = PatientsToLookUp();
    std::size_t next = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        const std::string& pid = patients[next];
        next = (next + 37) % patients.size();
        const Expected<std::vector<PatientResult>> results = ReadPatientResults(table, pid);
        if (!results || results->empty()) {
            state.SkipWithError(results ? "a stored patient was not found"
                                        : "the patient's results could not be read");
            break;
        }
        PatientSummary summary = SummarisePatient(ResultKind::HbA1c, *results, today);
        benchmark::DoNotOptimize(summary);
        found += results->size();
    }
    state.counters["results"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

void PatientLookupIndexed(benchmark::State& state) {
    Lookup(state, true);
}
BENCHMARK(PatientLookupIndexed)->Name("Patient/Lookup100k")->Unit(benchmark::kMillisecond);

void PatientLookupScan(benchmark::State& state) {
    Lookup(state, false);
}
BENCHMARK(PatientLookupScan)->Name("Patient/Lookup100kScan")->Unit(benchmark::kMillisecond);

// SQLite alone: the same indexed query, prepared once, its rows stepped and read.
void PatientLookupSqlite(benchmark::State& state) {
    sqlite3* db = nullptr;
    Require(sqlite3_open_v2(ClinicFile(true).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
                SQLITE_OK,
            "open");
    sqlite3_stmt* statement = nullptr;
    Require(sqlite3_prepare_v2(db,
                               "SELECT rowid, [DATE], [TIME], [HbA1c_VALUE], [PID], [p_NAME], "
                               "[P_MEMO] FROM [HospitalTlb] WHERE [PID] = ?1 ORDER BY [DATE] "
                               "DESC, [TIME] DESC, [HbA1c_VALUE] DESC",
                               -1, &statement, nullptr) == SQLITE_OK,
            "prepare");
    const std::vector<std::string>& patients = PatientsToLookUp();
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& pid = patients[next];
        next = (next + 37) % patients.size();
        sqlite3_bind_text(statement, 1, pid.c_str(), -1, SQLITE_STATIC);
        std::size_t bytes = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 1; column <= 6; ++column) {
                sqlite3_column_text(statement, column);
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
            }
        }
        sqlite3_reset(statement);
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
}
BENCHMARK(PatientLookupSqlite)->Name("Patient/Lookup100kSqlite")->Unit(benchmark::kMillisecond);

void PatientReportPdf(benchmark::State& state) {
    PatientReportData data;
    data.patientId = "P000000001";
    data.patientName = "Kim";
    data.operatorId = "Basis";
    data.today = std::chrono::sys_days{std::chrono::year{2025} / 1 / 1};
    for (int i = 0; i < 500; ++i) {
        PatientResult r;
        r.kind = i % 5 == 4 ? ResultKind::Glucose : ResultKind::HbA1c;
        char date[16], time[32], value[16];
        const std::chrono::year_month_day ymd{
            std::chrono::sys_days{std::chrono::year{2024} / 12 / 31} - std::chrono::days{i * 5}};
        std::snprintf(date, sizeof date, "%04d%02u%02u", static_cast<int>(ymd.year()),
                      static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
        std::snprintf(time, sizeof time, "%02d%02d", 8 + i % 9, i % 60);
        std::snprintf(value, sizeof value, r.kind == ResultKind::HbA1c ? "%04d" : "%03d",
                      r.kind == ResultKind::HbA1c ? 550 + (i * 37) % 500 : 80 + (i * 13) % 200);
        r.date = date;
        r.time = time;
        r.value = value;
        r.memo = i % 7 == 0 ? "fasting" : "";
        (r.kind == ResultKind::HbA1c ? data.hba1c : data.glucose).push_back(r);
    }
    const QString path = QString::fromStdString(ScratchFolder() + "/patient.pdf");
    SettingsStore settings;
    settings.hospital = "Seoul Clinic";
    for (auto _ : state) {
        if (!PrintPatientReportToPdf(data, settings, path)) {
            state.SkipWithError("the patient report was not written");
            break;
        }
    }
}
BENCHMARK(PatientReportPdf)->Name("Patient/ReportPdf500")->Unit(benchmark::kMillisecond);

// The search field's candidate lookup at a million rows, most of them a patient of their own:
// a whole ID typed in another case, and part of an ID that matches a handful of patients. The
// same IDs, taken from rows spread over the file, in every run.
constexpr int kSearchRows = 1'000'000;

const std::vector<std::string>& IdsToSearch() {
    static const std::vector<std::string> ids = [] {
        std::vector<std::string> found;
        sqlite3* db = nullptr;
        Require(sqlite3_open_v2(ClinicHbA1cFile(kSearchRows).c_str(), &db, SQLITE_OPEN_READONLY,
                                nullptr) == SQLITE_OK,
                "open the clinic file");
        sqlite3_stmt* statement = nullptr;
        Require(sqlite3_prepare_v2(db, "SELECT PID FROM HospitalTlb WHERE rowid % 997 = 0", -1,
                                   &statement, nullptr) == SQLITE_OK,
                "read patient IDs");
        while (sqlite3_step(statement) == SQLITE_ROW) {
            found.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        Require(found.size() > 500, "patient IDs in the clinic file");
        return found;
    }();
    return ids;
}

std::string Lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// `part`: the ID without its last character, which the IDs of up to ten patients start with.
void Candidates(benchmark::State& state, bool part) {
    static const std::string path = ClinicWorkingCopy(kSearchRows);
    HbA1cTable table;
    Require(table.SetTableName(kMainTableName), "table name");
    Require(table.Open(path), "open the table");
    const std::vector<std::string>& ids = IdsToSearch();
    std::size_t next = 0;
    std::size_t offered = 0;
    for (auto _ : state) {
        const std::string& id = ids[next];
        next = (next + 37) % ids.size();
        const std::string typed = part ? id.substr(0, id.size() - 1) : Lowered(id);
        const Expected<PatientSearch> search = FindPatients(table, typed);
        if (!search || search->candidates.empty()) {
            state.SkipWithError(search ? "a stored patient was not offered"
                                       : "the search could not read the table");
            break;
        }
        offered += search->candidates.size();
    }
    state.counters["offered"] =
        benchmark::Counter(static_cast<double>(offered), benchmark::Counter::kAvgIterations);
}

void PatientWholeId(benchmark::State& state) {
    Candidates(state, false);
}
BENCHMARK(PatientWholeId)->Name("Patient/SearchWholeId1M")->Unit(benchmark::kMillisecond);

void PatientPartOfId(benchmark::State& state) {
    Candidates(state, true);
}
BENCHMARK(PatientPartOfId)->Name("Patient/SearchPartOfId1M")->Unit(benchmark::kMillisecond);

// The baseline, in the same process on the same file: the search as it was, a condition on ID
// and name that the list's query ran over the whole table for every text typed.
void PatientOldSearch(benchmark::State& state) {
    static const std::string path = ClinicWorkingCopy(kSearchRows);
    sqlite3* db = nullptr;
    Require(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK, "open");
    const std::vector<std::string>& ids = IdsToSearch();
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& id = ids[next];
        next = (next + 37) % ids.size();
        const std::string sql = "SELECT rowid FROM HospitalTlb WHERE " +
                                PatientSearchCondition(id.substr(0, id.size() - 1));
        sqlite3_stmt* statement = nullptr;
        Require(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK,
                "prepare");
        std::size_t rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            ++rows;
        }
        sqlite3_finalize(statement);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_close(db);
}
BENCHMARK(PatientOldSearch)->Name("Patient/SearchSubstringScan1M")->Unit(benchmark::kMillisecond);

const bool kSearchBudgets =
    AddBudget({"patient search, a whole ID among 1,000,000 rows", "Patient/SearchWholeId1M",
               "Patient/SearchSubstringScan1M", 50,
               "the substring search the list ran before, on the same file"}) &&
    AddBudget({"patient search, part of an ID among 1,000,000 rows", "Patient/SearchPartOfId1M",
               "Patient/SearchSubstringScan1M", 500,
               "the substring search the list ran before, on the same file"});

const bool kBudgets =
    AddBudget({"patient lookup and summary among 100,000 rows", "Patient/Lookup100k",
               "Patient/Lookup100kSqlite", 20, "SQLite alone running the same indexed query"}) &&
    AddNaive({"patient lookup among 100,000 rows, scanning the table", "Patient/Lookup100kScan"}) &&
    AddBudget({"patient report of 500 results to PDF", "Patient/ReportPdf500", "", 1000});

} // namespace
