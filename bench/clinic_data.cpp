#include "clinic_data.h"

#include "bench_data.h"
#include "store/measurement_table.h"
#include "store/prompter.h"
#include "store/users.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>

namespace qa::bench {

namespace {

// Bumped whenever the generated content changes, so a cached file of an older shape is
// never measured.
constexpr int kClinicVersion = 1;

class SilentPrompter : public Prompter {
public:
    bool Confirm(const qa::Message&, const qa::Message&) override { return true; }
    void Inform(const qa::Message&, const qa::Message&, Severity) override {}
};

void Exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(std::string("clinic data: ") + text + " in " + sql);
    }
}

std::string CacheFolder() {
    std::string folder = QA_BENCH_CACHE_DIR;
    std::filesystem::create_directories(folder);
    return folder;
}

unsigned Pick(std::mt19937& random, unsigned below) {
    return static_cast<unsigned>(random() % below);
}

// Writes `rows` results of one kind with one transaction and one prepared insert.
void Generate(const std::string& path, int rows, bool hba1c) {
    std::string temp = path + ".part";
    std::filesystem::remove(temp);
    sqlite3* db = nullptr;
    if (sqlite3_open(temp.c_str(), &db) != SQLITE_OK) {
        throw std::runtime_error("clinic data: cannot create " + temp);
    }
    const char* value = hba1c ? "HbA1c_VALUE" : "Glucose_VALUE";
    std::string create = std::string("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                                     "CREATE TABLE [HospitalTlb] ( [DATE] TEXT,[TIME] TEXT,[") +
                         value +
                         "] TEXT,[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,"
                         "[p_DOB] TEXT,[P_DIAGNOSE] INT,[P_MEMO] TEXT); BEGIN;";
    Exec(db, create.c_str());
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO HospitalTlb VALUES(?,?,?,?,?,'1',?,?,?,'')", -1, &insert,
                       nullptr);
    std::mt19937 random(static_cast<unsigned>(rows) * 2 + (hba1c ? 1 : 0));
    // A few regular patients, seen again and again: a tenth of the rows, skewed so that some
    // of them have hundreds of results.
    const int regulars = std::max(1, rows / 500);
    int newPatients = 0;
    char date[16], time[8], number[16], pid[24], dob[16];
    const char* operators[] = {"nurse1", "nurse2", "Dr.Kim", "lab"};
    for (int i = 0; i < rows; ++i) {
        const unsigned pick = Pick(random, 100);
        if (pick < 90) {
            ++newPatients;
            // Hospital numbers mostly; some clinics prefix them, in either case.
            switch (Pick(random, 4)) {
            case 0:
                std::snprintf(pid, sizeof pid, "H%08d", newPatients);
                break;
            case 1:
                std::snprintf(pid, sizeof pid, "h%08d-%u", newPatients, Pick(random, 10));
                break;
            default:
                std::snprintf(pid, sizeof pid, "%09d", newPatients);
                break;
            }
        } else {
            const double u = std::generate_canonical<double, 32>(random);
            std::snprintf(pid, sizeof pid, "R%05d", static_cast<int>(regulars * u * u * u));
        }
        const int day = static_cast<int>(random() % (10 * 365));
        const int year = 2015 + day / 365, month = day % 365 / 31 + 1, mday = day % 31 % 28 + 1;
        std::snprintf(date, sizeof date, "%04d%02d%02d", year, month > 12 ? 12 : month, mday);
        std::snprintf(time, sizeof time, "%02u%02u", Pick(random, 24), Pick(random, 60));
        const unsigned spread = Pick(random, 1000);
        if (spread < 3) {
            // Out of the meter's range: below 4 % or at 14 % and above, below 10 or from
            // 600 mg/dL.
            std::snprintf(number, sizeof number, hba1c ? "%04u" : "%u",
                          hba1c ? (spread == 0 ? 300u : 1450u + spread)
                                : (spread == 0 ? 5u : 650u));
        } else if (hba1c) {
            std::snprintf(number, sizeof number, "%04u", 450 + Pick(random, 700));
        } else {
            std::snprintf(number, sizeof number, "%u", 60 + Pick(random, 300));
        }
        std::snprintf(dob, sizeof dob, "19%02u%02u%02u", 30 + Pick(random, 70),
                      1 + Pick(random, 12), 1 + Pick(random, 28));
        sqlite3_bind_text(insert, 1, date, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, time, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, number, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, pid, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 5, operators[Pick(random, 4)], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 6, Pick(random, 3) == 0 ? "홍길동" : "", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 7, dob, -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 8, static_cast<int>(Pick(random, 3)));
        if (sqlite3_step(insert) != SQLITE_DONE) {
            throw std::runtime_error("clinic data: insert failed");
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec(db, "COMMIT");
    std::string index = std::string("CREATE INDEX [HospitalTlb_") + value +
                        "_key] ON [HospitalTlb] ([DATE], [TIME], [" + value + "], [PID])";
    Exec(db, index.c_str());
    sqlite3_close(db);
    std::filesystem::rename(temp, path);
}

std::string Cached(int rows, bool hba1c) {
    std::string path = CacheFolder() + "/clinic-v" + std::to_string(kClinicVersion) +
                       (hba1c ? "-hba1c-" : "-glucose-") + std::to_string(rows) + ".sqlite";
    if (!std::filesystem::exists(path)) {
        Generate(path, rows, hba1c);
    }
    return path;
}

} // namespace

std::string ClinicHbA1cFile(int rows) {
    return Cached(rows, true);
}

std::string ClinicGlucoseFile(int rows) {
    return Cached(std::max(1, rows / 10), false);
}

std::string ClinicDataFolder(int rows) {
    static std::map<int, std::string> built;
    if (auto found = built.find(rows); found != built.end()) {
        return found->second;
    }
    std::string folder = ScratchFolder() + "/clinic-" + std::to_string(rows);
    std::filesystem::create_directories(folder);
    SilentPrompter prompter;
    UserStore users(folder, prompter);
    Require(users.Reload(), "Reload");
    users.CloseTables();
    const UserFiles files = users.FilesOf(users.ActiveUserId());
    CopyFile(ClinicHbA1cFile(rows), files.hba1cMain);
    CopyFile(ClinicGlucoseFile(rows), files.glucoseMain);
    built[rows] = folder;
    return folder;
}

std::vector<ClinicRecord> NewClinicRecords(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<ClinicRecord> records;
    records.reserve(static_cast<std::size_t>(count));
    const int regulars = std::max(1, count / 50);
    char text[32];
    for (int i = 0; i < count; ++i) {
        ClinicRecord record;
        if (Pick(random, 10) != 0) {
            std::snprintf(text, sizeof text, "%014u", seed * 1'000'000u + static_cast<unsigned>(i));
        } else {
            const double u = std::generate_canonical<double, 32>(random);
            std::snprintf(text, sizeof text, "R%013d", static_cast<int>(regulars * u * u));
        }
        record.pid = text;
        const int day = static_cast<int>(Pick(random, 365));
        std::snprintf(text, sizeof text, "2025%02d%02d", day / 31 % 12 + 1, day % 28 + 1);
        record.date = text;
        std::snprintf(text, sizeof text, "%02u%02u", Pick(random, 24), Pick(random, 60));
        record.time = text;
        const unsigned spread = Pick(random, 1000);
        std::snprintf(text, sizeof text, "%04u",
                      spread < 3 ? (spread == 0 ? 300u : 1450u + spread) : 450 + Pick(random, 700));
        record.value = text;
        records.push_back(std::move(record));
    }
    return records;
}

int SqliteStoreRecords(const std::string& mainPath, const std::string& downloadPath,
                       const std::vector<ClinicRecord>& records) {
    sqlite3* main = nullptr;
    sqlite3* download = nullptr;
    Require(sqlite3_open(mainPath.c_str(), &main) == SQLITE_OK, "open the main file");
    if (!downloadPath.empty()) {
        Require(sqlite3_open(downloadPath.c_str(), &download) == SQLITE_OK,
                "open the download file");
    }
    sqlite3_stmt* probe = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* insertDownload = nullptr;
    Require(sqlite3_prepare_v2(main,
                               "SELECT 1 FROM [HospitalTlb] WHERE [DATE]=?1 AND [TIME]=?2 AND "
                               "[HbA1c_VALUE]=?3 AND [PID]=?4 LIMIT 1",
                               -1, &probe, nullptr) == SQLITE_OK &&
                sqlite3_prepare_v2(main,
                                   "INSERT INTO [HospitalTlb] VALUES(?1,?2,?3,?4,'','1','',"
                                   "'19000101',0,'')",
                                   -1, &insert, nullptr) == SQLITE_OK,
            "prepare the main statements");
    if (download != nullptr) {
        Require(sqlite3_prepare_v2(download,
                                   "INSERT INTO [DownLoadData] VALUES(?1,?2,?3,?4,'','1','','',"
                                   "0,'')",
                                   -1, &insertDownload, nullptr) == SQLITE_OK,
                "prepare the download insert");
    }
    Exec(main, "BEGIN");
    if (download != nullptr) {
        Exec(download, "BEGIN");
    }
    int stored = 0;
    auto bind = [](sqlite3_stmt* statement, const ClinicRecord& record) {
        sqlite3_bind_text(statement, 1, record.date.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, record.time.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(statement, 3, record.value.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(statement, 4, record.pid.c_str(), -1, SQLITE_STATIC);
    };
    for (const ClinicRecord& record : records) {
        bind(probe, record);
        const bool known = sqlite3_step(probe) == SQLITE_ROW;
        sqlite3_reset(probe);
        if (known) {
            continue;
        }
        bind(insert, record);
        Require(sqlite3_step(insert) == SQLITE_DONE, "insert into the main file");
        sqlite3_reset(insert);
        if (insertDownload != nullptr) {
            bind(insertDownload, record);
            Require(sqlite3_step(insertDownload) == SQLITE_DONE, "insert into the download file");
            sqlite3_reset(insertDownload);
        }
        ++stored;
    }
    Exec(main, "COMMIT");
    sqlite3_finalize(probe);
    sqlite3_finalize(insert);
    sqlite3_close(main);
    if (download != nullptr) {
        Exec(download, "COMMIT");
        sqlite3_finalize(insertDownload);
        sqlite3_close(download);
    }
    return stored;
}

std::string ClinicWorkingCopy(int rows) {
    static std::map<int, std::string> built;
    if (auto found = built.find(rows); found != built.end()) {
        return found->second;
    }
    std::string path = ScratchFolder() + "/clinic-copy-" + std::to_string(rows) + ".sqlite";
    CopyFile(ClinicHbA1cFile(rows), path);
    HbA1cTable table;
    Require(table.SetTableName(kMainTableName) && table.Open(path), "open the clinic copy");
    table.Close();
    built[rows] = path;
    return path;
}

std::string SizeName(int rows) {
    if (rows >= 1'000'000 && rows % 1'000'000 == 0) {
        return std::to_string(rows / 1'000'000) + "M";
    }
    if (rows >= 1000 && rows % 1000 == 0) {
        return std::to_string(rows / 1000) + "k";
    }
    return std::to_string(rows);
}

} // namespace qa::bench
