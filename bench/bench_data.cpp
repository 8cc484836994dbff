#include "bench_data.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace qa::bench {

const std::string& ScratchFolder() {
    // Never destroyed, so the exit handler below can still read it.
    static const std::string& folder = *new std::string([] {
        std::string pattern = (std::filesystem::temp_directory_path() / "qa-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(ScratchFolder(), error);
        });
        return pattern;
    }());
    return folder;
}

void SyntheticResult(int i, char date[16], char time[8], char value[8]) {
    // Minutes step forward so every result has its own date and time.
    int minute = i % 60, hour = (i / 60) % 24, day = (i / 1440) % 28 + 1,
        month = (i / 40320) % 12 + 1, year = 2000 + (i / 483840) % 100;
    std::snprintf(date, 16, "%04d%02d%02d", year, month, day);
    std::snprintf(time, 8, "%02d%02d", hour, minute);
    std::snprintf(value, 8, "%04d", 400 + i % 1000);
}

std::string HbA1cFileWithRows(int rows, bool withIndex) {
    static std::map<std::pair<int, bool>, std::string> built;
    auto key = std::make_pair(rows, withIndex);
    if (auto found = built.find(key); found != built.end()) {
        return found->second;
    }
    std::string path =
        ScratchFolder() + "/base_" + std::to_string(rows) + (withIndex ? "_idx" : "") + ".sqlite";
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE [HospitalTlb] ( [DATE] TEXT,[TIME] TEXT,[HbA1c_VALUE] TEXT,"
                 "[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] TEXT,"
                 "[P_DIAGNOSE] INT,[P_MEMO] TEXT); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO HospitalTlb VALUES(?,?,?,'PATIENT0000001','','1','',"
                       "'19000101',0,'')",
                       -1, &insert, nullptr);
    for (int i = 0; i < rows; ++i) {
        char date[16], time[8], value[8];
        SyntheticResult(i, date, time, value);
        sqlite3_bind_text(insert, 1, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, time, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, value, -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (withIndex) {
        sqlite3_exec(db,
                     "CREATE INDEX IF NOT EXISTS [HospitalTlb_HbA1c_VALUE_key] ON "
                     "[HospitalTlb] ([DATE], [TIME], [HbA1c_VALUE], [PID])",
                     nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    built[key] = path;
    return path;
}

void CopyFile(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    // On disk before the run: the first commit of a timed run would otherwise wait for the
    // whole fresh copy to be written, which no user of a file stored long ago waits for.
    const int fd = ::open(to.c_str(), O_RDONLY);
    Require(fd >= 0 && ::fsync(fd) == 0, "fsync of the copy");
    ::close(fd);
}

} // namespace qa::bench
