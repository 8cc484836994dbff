#include "windows_folder.h"

#include "store/text_encoding.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace qa::test {

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    out.close();
    ::chmod(path.c_str(), 0644);
}

// A profile file as WritePrivateProfileString leaves it: "[section]" and "key=value" lines
// ended by CR LF, the values in code page 949.
std::string
Profile(const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>&
            sections) {
    std::string text;
    for (const auto& [section, entries] : sections) {
        text += "[" + section + "]\r\n";
        for (const auto& [key, value] : entries) {
            text += key + "=" + Cp949(value) + "\r\n";
        }
    }
    return text;
}

void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string text = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(sql + ": " + text);
    }
}

// The table of the first version: no memo column, no index.
void WriteDatabase(const std::string& path, const char* valueColumn, const char* table,
                   const std::vector<std::vector<std::string>>& rows) {
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        throw std::runtime_error("cannot create " + path);
    }
    Exec(db, std::string("CREATE TABLE [") + table + "] ( [DATE] TEXT,[TIME] TEXT,[" + valueColumn +
                 "] TEXT,[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] TEXT,"
                 "[P_DIAGNOSE] INT)");
    for (const auto& row : rows) {
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(
            db,
            (std::string("INSERT INTO [") + table + "] VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, 0)")
                .c_str(),
            -1, &insert, nullptr);
        for (std::size_t i = 0; i < row.size(); ++i) {
            sqlite3_bind_text(insert, static_cast<int>(i + 1), row[i].data(),
                              static_cast<int>(row[i].size()), SQLITE_TRANSIENT);
        }
        if (sqlite3_step(insert) != SQLITE_DONE) {
            sqlite3_finalize(insert);
            throw std::runtime_error("cannot insert into " + path);
        }
        sqlite3_finalize(insert);
    }
    sqlite3_close(db);
    ::chmod(path.c_str(), 0644);
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

} // namespace

std::string Cp949(const std::string& utf8) {
    std::optional<std::string> bytes = Utf8ToCp949(utf8);
    if (!bytes) {
        throw std::runtime_error("not in code page 949: " + utf8);
    }
    return *bytes;
}

WindowsFolder StandardWindowsFolder() {
    WindowsFolder folder;
    folder.operators.push_back({"홍길동",
                                true,
                                Repeat("가", 49) + "A",
                                Repeat("한", 49) + "B",
                                {"HONG0000000001", "HONG0000000002"}});
    folder.operators.push_back({"김철수", false, "김철수", "서울내과", {"KIM00000000001"}});
    folder.operators.push_back({"Basis", false, "-1", "-1", {}});
    return folder;
}

void WriteWindowsFolder(const std::string& path, const WindowsFolder& folder) {
    std::filesystem::create_directories(path);
    ::chmod(path.c_str(), 0755);
    std::vector<std::pair<std::string, std::string>> list;
    for (std::size_t i = 0; i < folder.operators.size(); ++i) {
        list.emplace_back("no" + std::to_string(i + 1), folder.operators[i].id);
    }
    WriteBytes(path + "/user_info.ini",
               Profile({{"User Count",
                         {{"current_user", folder.operators.front().id},
                          {"cnt", std::to_string(folder.operators.size())}}},
                        {"User Set", list}}));
    for (const WindowsOperator& op : folder.operators) {
        const std::string stem = path + "/" + (op.filesNamedCp949 ? Cp949(op.id) : op.id);
        WriteBytes(stem + "_active.info", Profile({{"User info", {{"Access", "1"}}}}));
        WriteBytes(stem + ".ini",
                   Profile({{"Table Count", {{"current_table", "HospitalTlb"}, {"cnt", "1"}}},
                            {"Table Set", {{"no1", "HospitalTlb"}}}}));
        WriteBytes(stem + "_set_info.ini", Profile({{"SETTING VALUE",
                                                     {{"HbA1c_unit", "0"},
                                                      {"Glucose_unit", "0"},
                                                      {"Date", "0"},
                                                      {"time", "1"},
                                                      {"HbA1c_high", "6.7"},
                                                      {"HbA1c_low", "4.5"},
                                                      {"Glucose_high", "160.0"},
                                                      {"Glucose_low", "80.0"},
                                                      {"lang", "0"},
                                                      {"Name", op.name},
                                                      {"Hospital", op.hospital},
                                                      {"Email", "-1"},
                                                      {"Command", "-1"}}}}));
        std::vector<std::vector<std::string>> rows;
        int day = 20;
        for (const std::string& pid : op.patientIds) {
            rows.push_back({"201606" + std::to_string(day--), "0930", "0650", pid, "", "1",
                            Cp949("환자" + pid.substr(pid.size() - 1)), "19000101"});
        }
        WriteDatabase(stem + "_HbA1c.sqlite", "HbA1c_VALUE", "HospitalTlb", rows);
        WriteDatabase(stem + "_HbA1cDown.sqlite", "HbA1c_VALUE", "DownLoadData", {});
        WriteDatabase(
            stem + "_Glucose.sqlite", "Glucose_VALUE", "HospitalTlb",
            {{"20160618", "1200", "120", "00000000000000", "00000000000000", "2", "", ""}});
        WriteDatabase(stem + "_GlucoseDown.sqlite", "Glucose_VALUE", "DownLoadData", {});
    }
}

std::string FolderFingerprint(const std::string& path) {
    std::vector<std::string> lines;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        // SQLite's shared-memory index of a database in WAL mode is rewritten by every
        // reader; it holds no data.
        if (entry.path().string().ends_with("-shm")) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        lines.push_back(entry.path().filename().string() + " " +
                        std::to_string(info.st_mode & 07777) + " " +
                        std::to_string(std::hash<std::string>()(content.str())));
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\n";
    }
    return out;
}

} // namespace qa::test
