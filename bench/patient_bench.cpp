// One patient's history among 100,000 stored HbA1c results, by the PID index against the same
// lookup scanning the table; and the patient report of 500 results written to PDF.
#include "bench_data.h"
#include "budget.h"
#include "print/patient_report.h"
#include "store/measurement_table.h"
#include "store/patient_history.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

using namespace qa;
using namespace qa::bench;

namespace {

constexpr int kRows = 100'000;
constexpr int kPatients = 25'000;

// Clinic-like rows: a population of patients, most with a few results and some with many,
// dates over eight years, a few results above and below the meter's range.
std::string ClinicFile(bool withPatientIndex) {
    const std::string path =
        ScratchFolder() + "/patients_" + (withPatientIndex ? "indexed" : "plain") + ".sqlite";
    sqlite3* db = nullptr;
    Require(sqlite3_open(path.c_str(), &db) == SQLITE_OK, "open the patient file");
    Require(sqlite3_exec(db,
                         "CREATE TABLE [HospitalTlb] ( [DATE] TEXT,[TIME] TEXT,[HbA1c_VALUE] "
                         "TEXT,[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] TEXT,"
                         "[P_DIAGNOSE] INT,[P_MEMO] TEXT); BEGIN;",
                         nullptr, nullptr, nullptr) == SQLITE_OK,
            "create the patient table");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO HospitalTlb VALUES(?,?,?,?,'','1','','19000101',0,'')", -1,
                       &insert, nullptr);
    std::mt19937 random(16);
    // Squaring a uniform draw crowds the draws towards the low IDs: regular patients.
    std::uniform_real_distribution<double> draw(0.0, 1.0);
    std::uniform_int_distribution<int> day(0, 8 * 365);
    std::uniform_int_distribution<int> minute(7 * 60, 18 * 60);
    std::normal_distribution<double> hba1c(720, 140);
    for (int i = 0; i < kRows; ++i) {
        const double u = draw(random);
        char pid[32], date[16], time[32], value[16];
        std::snprintf(pid, sizeof pid, "P%09d", static_cast<int>(u * u * kPatients));
        const std::chrono::sys_days when =
            std::chrono::sys_days{std::chrono::year{2017} / 1 / 1} + std::chrono::days{day(random)};
        const std::chrono::year_month_day ymd{when};
        std::snprintf(date, sizeof date, "%04d%02u%02u", static_cast<int>(ymd.year()),
                      static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
        const int m = minute(random);
        std::snprintf(time, sizeof time, "%02d%02d", m / 60, m % 60);
        std::snprintf(value, sizeof value, "%04d",
                      std::clamp(static_cast<int>(hba1c(random)), 350, 1600));
        sqlite3_bind_text(insert, 1, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, time, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, value, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, pid, -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
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
    int patient = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        char pid[32];
        std::snprintf(pid, sizeof pid, "P%09d", patient);
        patient = (patient + 37) % 2000;
        std::vector<PatientResult> results;
        std::string error;
        if (!ReadPatientResults(table, pid, results, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        PatientSummary summary = SummarisePatient(ResultKind::HbA1c, results, today);
        benchmark::DoNotOptimize(summary);
        found += results.size();
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
        QString error;
        if (!PrintPatientReportToPdf(data, settings, path, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
}
BENCHMARK(PatientReportPdf)->Name("Patient/ReportPdf500")->Unit(benchmark::kMillisecond);

const bool kBudgets =
    AddBudget({"patient lookup and summary among 100,000 rows", "Patient/Lookup100k",
               "Patient/Lookup100kScan", 20}) &&
    AddBudget({"patient report of 500 results to PDF", "Patient/ReportPdf500", "", 1000});

} // namespace
