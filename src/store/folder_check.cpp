#include "store/folder_check.h"

#include "store/audit_log.h"
#include "store/measurement_table.h"
#include "store/profile_file.h"
#include "store/sqlite_statement.h"
#include "store/system_error.h"
#include "store/text_encoding.h"
#include "store/users.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sqlite3.h>
#include <sys/stat.h>

namespace qa {

namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool StartsWith(std::string_view text, std::string_view head) {
    return text.substr(0, head.size()) == head;
}

// The suffixes of an operator's files, and the kind of results of the databases among them.
struct OperatorFile {
    const char* suffix;
    bool database;
    ResultKind kind;
    bool download;
};
constexpr OperatorFile kOperatorFiles[] = {
    {"_HbA1cDown.sqlite", true, ResultKind::HbA1c, true},
    {"_GlucoseDown.sqlite", true, ResultKind::Glucose, true},
    {"_HbA1c.sqlite", true, ResultKind::HbA1c, false},
    {"_Glucose.sqlite", true, ResultKind::Glucose, false},
    {"_active.info", false, ResultKind::HbA1c, false},
    {kSettingsFileSuffix, false, ResultKind::HbA1c, false},
};

// Which of the encodings the texts seen so far are in.
struct EncodingTally {
    bool utf8 = false;  // holds UTF-8 beyond ASCII
    bool cp949 = false; // holds code page 949 beyond ASCII
    bool neither = false;

    void Add(std::string_view text) {
        if (std::all_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            return;
        }
        if (IsUtf8Text(text)) {
            utf8 = true;
        } else if (Cp949ToUtf8(text)) {
            cp949 = true;
        } else {
            neither = true;
        }
    }
    std::string Name() const {
        if (utf8 && cp949) {
            return "UTF-8, CP949";
        }
        return utf8 ? "UTF-8" : cp949 ? "CP949" : "ASCII";
    }
};

class Checker {
public:
    explicit Checker(std::string folder) : folder_(std::move(folder)) {}

    std::vector<FolderFinding> Run() {
        struct stat info {};
        if (::stat(folder_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            Add(FolderFinding::Kind::Unreadable, folder_,
                {MessageId::CheckUnreadable, {folder_, SystemErrorText(errno)}});
            return std::move(findings_);
        }
        CheckPermissions(folder_, info);
        std::vector<std::string> names;
        if (!ListFolder(folder_, names)) {
            Add(FolderFinding::Kind::Unreadable, folder_,
                {MessageId::CheckUnreadable, {folder_, SystemErrorText(errno)}});
            return std::move(findings_);
        }
        ReadOperators();
        for (const std::string& name : names) {
            CheckFile(name);
        }
        CheckBeside();
        return std::move(findings_);
    }

private:
    void Add(FolderFinding::Kind kind, const std::string& path, Message message) {
        findings_.push_back({kind, path, std::move(message)});
    }

    static bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            return false;
        }
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        return true;
    }

    void CheckPermissions(const std::string& path, const struct stat& info) {
        if ((info.st_mode & 077) != 0) {
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
            Add(FolderFinding::Kind::Permissions, path,
                {MessageId::CheckPermissions, {path, mode}});
        }
    }

    // The listed operators' file names, in both spellings an ID's files may have.
    void ReadOperators() {
        std::string content;
        if (ReadWholeFile(folder_ + "/" + kUserInfoFileName, content) != FileReadStatus::Ok) {
            return;
        }
        ProfileDocument doc = ProfileDocument::Parse(content);
        for (const std::string& key : doc.Keys("User Set")) {
            std::optional<std::string> id = doc.Get("User Set", key);
            if (!id || id->empty()) {
                continue;
            }
            stems_.insert(*id);
            if (IsUtf8Text(*id)) {
                if (auto cp949 = Utf8ToCp949(*id)) {
                    stems_.insert(*cp949);
                }
            } else if (auto utf8 = Cp949ToUtf8(*id)) {
                stems_.insert(*utf8);
            }
        }
        // A user file naming nobody makes the default user's files the ones in use.
        stems_.insert(kDefaultUserId);
    }

    void CheckFile(const std::string& name) {
        const std::string path = folder_ + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            Add(FolderFinding::Kind::Unreadable, path,
                {MessageId::CheckUnreadable, {path, SystemErrorText(errno)}});
            return;
        }
        const std::size_t before = findings_.size();
        CheckPermissions(path, info);
        if (!S_ISREG(info.st_mode)) {
            Finish(before, path, "");
            return;
        }
        if (name.find(".tmp-") != std::string::npos || name == kUserInfoTempFileName ||
            name.find(".restore-") != std::string::npos) {
            Add(FolderFinding::Kind::Leftover, path, {MessageId::CheckLeftover, {path}});
            return;
        }
        if (EndsWith(name, "-journal") && info.st_size > 0) {
            Add(FolderFinding::Kind::Leftover, path, {MessageId::CheckJournal, {path}});
            return;
        }
        std::string encoding;
        const OperatorFile* owned = nullptr;
        std::string stem;
        for (const OperatorFile& file : kOperatorFiles) {
            if (EndsWith(name, file.suffix) && name.size() > std::strlen(file.suffix)) {
                owned = &file;
                stem = name.substr(0, name.size() - std::strlen(file.suffix));
                break;
            }
        }
        if (owned == nullptr && EndsWith(name, ".ini") && name != kUserInfoFileName) {
            stem = name.substr(0, name.size() - 4); // a table-list file
        }
        if (!stem.empty() && stems_.count(stem) == 0) {
            Add(FolderFinding::Kind::Orphan, path, {MessageId::CheckOrphan, {path}});
        }
        if (EndsWith(name, ".sqlite")) {
            encoding = CheckDatabase(path, owned != nullptr && owned->database ? owned : nullptr);
        } else if (EndsWith(name, ".ini") || EndsWith(name, ".info")) {
            encoding = CheckProfile(path);
        }
        Finish(before, path, encoding);
    }

    void Finish(std::size_t before, const std::string& path, const std::string& encoding) {
        if (findings_.size() == before) {
            Add(FolderFinding::Kind::Fine, path,
                {MessageId::CheckFine, {path, encoding.empty() ? "-" : encoding}});
        }
    }

    std::string CheckProfile(const std::string& path) {
        std::string content;
        errno = 0;
        if (ReadWholeFile(path, content) != FileReadStatus::Ok) {
            // Without a system error the file was refused for its size, beyond any profile
            // file this program or the Windows one writes.
            Add(FolderFinding::Kind::Unreadable, path,
                {MessageId::CheckUnreadable, {path, SystemErrorText(errno != 0 ? errno : EFBIG)}});
            return {};
        }
        EncodingTally tally;
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find('\n', start);
            end = end == std::string::npos ? content.size() : end;
            tally.Add(std::string_view(content).substr(start, end - start));
            start = end + 1;
        }
        if (tally.neither) {
            Add(FolderFinding::Kind::Undecodable, path, {MessageId::CheckUndecodable, {path}});
        }
        return tally.Name();
    }

    std::string CheckDatabase(const std::string& path, const OperatorFile* file) {
        sqlite3* db = nullptr;
        // Read-only, and never creating: a journal to be played back makes the open fail
        // instead of being played, which is reported as it is.
        const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        struct Closer {
            sqlite3* db;
            ~Closer() { sqlite3_close(db); }
        } closer{db};
        if (rc != SQLITE_OK) {
            Add(FolderFinding::Kind::Damaged, path,
                {MessageId::CheckDamaged, {path, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)}});
            return {};
        }
        {
            SqliteStatement check = PrepareStatement(db, "PRAGMA quick_check");
            std::string verdict;
            int step = check ? sqlite3_step(check.Get()) : SQLITE_ERROR;
            while (step == SQLITE_ROW) {
                const auto* text =
                    reinterpret_cast<const char*>(sqlite3_column_text(check.Get(), 0));
                verdict += (verdict.empty() ? "" : "; ") + std::string(text ? text : "");
                step = sqlite3_step(check.Get());
            }
            if (step != SQLITE_DONE) {
                verdict = sqlite3_errmsg(db);
            }
            if (verdict != "ok") {
                Add(FolderFinding::Kind::Damaged, path, {MessageId::CheckDamaged, {path, verdict}});
                return {};
            }
        }
        std::vector<std::string> tables;
        {
            SqliteStatement list = PrepareStatement(
                db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                    "'sqlite\\_%' ESCAPE '\\' ORDER BY name");
            while (list && sqlite3_step(list.Get()) == SQLITE_ROW) {
                const auto* text =
                    reinterpret_cast<const char*>(sqlite3_column_text(list.Get(), 0));
                tables.emplace_back(text ? text : "");
            }
        }
        EncodingTally tally;
        for (const std::string& table : tables) {
            SqliteStatement rows = PrepareStatement(db, "SELECT * FROM [" + table + "]");
            while (rows && sqlite3_step(rows.Get()) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(rows.Get()); ++c) {
                    if (sqlite3_column_type(rows.Get(), c) == SQLITE_TEXT) {
                        const auto* text =
                            reinterpret_cast<const char*>(sqlite3_column_text(rows.Get(), c));
                        tally.Add(std::string_view(
                            text, static_cast<std::size_t>(sqlite3_column_bytes(rows.Get(), c))));
                    }
                }
            }
            if (file != nullptr) {
                CheckSchema(db, path, table, *file);
            }
        }
        if (file != nullptr && tables.empty()) {
            Add(FolderFinding::Kind::Schema, path, {MessageId::CheckNoTable, {path}});
        }
        if (tally.neither) {
            Add(FolderFinding::Kind::Undecodable, path, {MessageId::CheckUndecodable, {path}});
        }
        return tally.Name();
    }

    void CheckSchema(sqlite3* db, const std::string& path, const std::string& table,
                     const OperatorFile& file) {
        std::set<std::string> present;
        {
            SqliteStatement columns = PrepareStatement(db, "SELECT * FROM [" + table + "]");
            for (int c = 0; columns && c < sqlite3_column_count(columns.Get()); ++c) {
                const char* name = sqlite3_column_name(columns.Get(), c);
                present.insert(name ? name : "");
            }
        }
        MeasurementTable expected(file.kind);
        std::string missing;
        for (const FieldBinding& field : expected.Fields()) {
            if (present.count(field.name) == 0) {
                missing += (missing.empty() ? "" : ", ") + field.name;
            }
        }
        if (!missing.empty()) {
            Add(FolderFinding::Kind::Schema, path,
                {MessageId::CheckMissingColumns, {path + " [" + table + "]", missing}});
        }
        std::vector<std::string> indexes = {table + "_" + expected.ValueColumn() + "_key"};
        if (!file.download) {
            indexes.push_back(table + "_PID");
        }
        std::string absent;
        for (const std::string& index : indexes) {
            if (!IndexExists(db, index)) {
                absent += (absent.empty() ? "" : ", ") + index;
            }
        }
        if (!absent.empty()) {
            Add(FolderFinding::Kind::Schema, path,
                {MessageId::CheckMissingIndexes, {path + " [" + table + "]", absent}});
        }
    }

    // A restore that stopped leaves its scratch folder beside the data folder.
    void CheckBeside() {
        std::string trimmed = folder_;
        while (trimmed.size() > 1 && trimmed.back() == '/') {
            trimmed.pop_back();
        }
        const std::size_t slash = trimmed.rfind('/');
        const std::string parent = slash == std::string::npos ? "." : trimmed.substr(0, slash);
        const std::string base = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
        std::vector<std::string> names;
        if (parent.empty() || !ListFolder(parent, names)) {
            return;
        }
        for (const std::string& name : names) {
            if (StartsWith(name, "." + base + ".restore-") ||
                StartsWith(name, "." + base + ".tmp-")) {
                const std::string path = parent + "/" + name;
                Add(FolderFinding::Kind::Leftover, path, {MessageId::CheckLeftover, {path}});
            }
        }
    }

    std::string folder_;
    std::set<std::string> stems_;
    std::vector<FolderFinding> findings_;
};

} // namespace

std::vector<FolderFinding> CheckDataFolder(const std::string& folder) {
    return Checker(folder).Run();
}

bool FoundProblems(const std::vector<FolderFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const FolderFinding& finding) {
        return finding.kind != FolderFinding::Kind::Fine;
    });
}

} // namespace qa
