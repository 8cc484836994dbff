#include "store/audit_log.h"

#include "store/profile_file.h"
#include "store/program_version.h"
#include "store/safe_text.h"
#include "store/sqlite_table.h"
#include "store/system_error.h"
#include "store/users.h"

#include <sqlite3.h>

#include <dirent.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>

namespace qa {

namespace {

constexpr int kBusyMilliseconds = 5000;

// Suffixes of the per-user database files, longest first, so "_HbA1cDown" is not read as
// "_HbA1c" of a user whose ID ends in "Down".
constexpr const char* kUserFileSuffixes[] = {"_GlucoseDown.sqlite", "_HbA1cDown.sqlite",
                                             "_Glucose.sqlite", "_HbA1c.sqlite"};

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS audit("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " time TEXT NOT NULL, day TEXT NOT NULL, operator TEXT NOT NULL, account TEXT NOT NULL,"
    " version TEXT NOT NULL, action TEXT NOT NULL, patient TEXT NOT NULL, detail TEXT NOT NULL,"
    " ref TEXT);"
    "CREATE INDEX IF NOT EXISTS audit_day ON audit(day);"
    "CREATE INDEX IF NOT EXISTS audit_patient ON audit(patient);";

// Put back on every open for writing, whatever the file held: a log copied in from elsewhere
// (or edited by hand) with its triggers dropped is append-only again before anything is added.
constexpr const char* kProtection =
    "CREATE UNIQUE INDEX IF NOT EXISTS audit_ref ON audit(ref);"
    "CREATE TRIGGER IF NOT EXISTS audit_no_update BEFORE UPDATE ON audit"
    " BEGIN SELECT RAISE(ABORT, 'the audit log is append-only'); END;"
    "CREATE TRIGGER IF NOT EXISTS audit_no_delete BEFORE DELETE ON audit"
    " BEGIN SELECT RAISE(ABORT, 'the audit log is append-only'); END;";

constexpr const char* kPendingSchema =
    "CREATE TABLE IF NOT EXISTS audit_pending(ref TEXT PRIMARY KEY, time TEXT NOT NULL,"
    " operator TEXT NOT NULL, account TEXT NOT NULL, version TEXT NOT NULL,"
    " action TEXT NOT NULL, patient TEXT NOT NULL, detail TEXT NOT NULL)";

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, SqliteCloser>;

struct StatementCloser {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

std::string LogPath(const std::string& folder) {
    return folder + "/" + kAuditFileName;
}

std::string Account() {
    struct passwd pw {};
    struct passwd* found = nullptr;
    char buffer[1024];
    if (::getpwuid_r(::geteuid(), &pw, buffer, sizeof buffer, &found) == 0 && found) {
        return found->pw_name;
    }
    return std::to_string(::geteuid());
}

std::string LocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

// "YYYY-MM-DD ..." to "YYYYMMDD".
std::string DayOf(const std::string& time) {
    if (time.size() < 10) {
        return time;
    }
    return time.substr(0, 4) + time.substr(5, 2) + time.substr(8, 2);
}

bool HasColumn(sqlite3* db, const char* table, const char* column) {
    sqlite3_stmt* raw = nullptr;
    std::string sql = std::string("SELECT 1 FROM pragma_table_info('") + table +
                      "') WHERE name = '" + column + "'";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        return false;
    }
    bool found = sqlite3_step(raw) == SQLITE_ROW;
    sqlite3_finalize(raw);
    return found;
}

bool HasTable(sqlite3* db, const char* table) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", -1,
                           &raw, nullptr) != SQLITE_OK) {
        return false;
    }
    sqlite3_bind_text(raw, 1, table, -1, SQLITE_STATIC);
    bool found = sqlite3_step(raw) == SQLITE_ROW;
    sqlite3_finalize(raw);
    return found;
}

std::string NewRef() {
    unsigned char bytes[16] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    // Unique even should the random source fail: time and process make the rest.
    if (got < sizeof bytes) {
        out += "-" + std::to_string(std::time(nullptr)) + "-" + std::to_string(::getpid());
    }
    return out;
}

Db OpenLog(const std::string& folder, bool create, std::string& error) {
    std::string path = LogPath(folder);
    sqlite3* raw = nullptr;
    int flags = create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    struct stat st {};
    bool existed = ::stat(path.c_str(), &st) == 0;
    int rc = sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOFOLLOW, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        error = path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
        return nullptr;
    }
    if (!existed) {
        ::chmod(path.c_str(), 0600);
    }
    sqlite3_busy_timeout(db.get(), kBusyMilliseconds);
    if (create) {
        // Write-ahead: an append is one write to the log's journal, with no wait for the disk
        // on every entry (an import's entry would otherwise cost more than the import). A
        // crash of the program loses nothing committed; a power cut may lose the last entries.
        sqlite3_exec(db.get(), "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    }
    if (create) {
        sqlite3_exec(db.get(), "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        // The log is opened for every entry: a checkpoint on each close would bring back the
        // wait for the disk that write-ahead avoids. SQLite checkpoints as the journal grows.
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    if (create) {
        // A log made by an older version lacks the reference column; adding it is no update
        // of any row, so the triggers let it through.
        if (existed && !HasColumn(db.get(), "audit", "ref")) {
            sqlite3_exec(db.get(), "ALTER TABLE audit ADD COLUMN ref TEXT", nullptr, nullptr,
                         nullptr);
        }
        char* message = nullptr;
        if (sqlite3_exec(db.get(), kSchema, nullptr, nullptr, &message) != SQLITE_OK ||
            sqlite3_exec(db.get(), kProtection, nullptr, nullptr, &message) != SQLITE_OK) {
            error = path + ": " + (message ? message : "cannot be written");
            sqlite3_free(message);
            return nullptr;
        }
    }
    return db;
}

std::string Column(sqlite3_stmt* s, int i) {
    const unsigned char* text = sqlite3_column_text(s, i);
    return text ? reinterpret_cast<const char*>(text) : "";
}

// Inserts into an open log; an entry whose reference the log holds already is not added twice.
bool InsertEntry(sqlite3* db, const std::string& path, const AuditEntry& entry,
                 std::string* error) {
    const char* kInsert =
        "INSERT OR IGNORE INTO audit(time, day, operator, account, version,"
        " action, patient, detail, ref) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, kInsert, -1, &raw, nullptr);
    Statement insert(raw);
    if (!insert) {
        if (error) {
            *error = path + ": " + sqlite3_errmsg(db);
        }
        return false;
    }
    const std::string day = DayOf(entry.time);
    const std::string* values[] = {&entry.time,      &day,           &entry.operatorId,
                                   &entry.account,   &entry.version, &entry.action,
                                   &entry.patientId, &entry.detail,  &entry.ref};
    for (int i = 0; i < 9; ++i) {
        sqlite3_bind_text(insert.get(), i + 1, values[i]->c_str(),
                          static_cast<int>(values[i]->size()), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        if (error) {
            *error = path + ": " + sqlite3_errmsg(db);
        }
        return false;
    }
    return true;
}

std::string FolderOfFile(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string OperatorOfFile(const std::string& path) {
    auto slash = path.rfind('/');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    for (const char* suffix : kUserFileSuffixes) {
        std::string tail(suffix);
        if (file.size() > tail.size() &&
            file.compare(file.size() - tail.size(), tail.size(), tail) == 0) {
            return file.substr(0, file.size() - tail.size());
        }
    }
    return {};
}

} // namespace

void CompleteAuditEntry(AuditEntry& entry) {
    if (entry.time.empty()) {
        entry.time = LocalTime();
    }
    if (entry.account.empty()) {
        entry.account = Account();
    }
    if (entry.version.empty()) {
        entry.version = kProgramVersion;
    }
    if (entry.ref.empty()) {
        entry.ref = NewRef();
    }
}

bool AppendAudit(const std::string& dataFolder, AuditEntry entry, std::string* error) {
    std::string why;
    Db db = OpenLog(dataFolder, true, why);
    if (!db) {
        if (error) {
            *error = why;
        }
        return false;
    }
    CompleteAuditEntry(entry);
    return InsertEntry(db.get(), LogPath(dataFolder), entry, error);
}

bool CheckAuditWritable(const std::string& dataFolder, std::string* error) {
    // A log not yet made is not made by the check (a refused change leaves nothing): the
    // folder must take it.
    struct stat st {};
    if (::lstat(LogPath(dataFolder).c_str(), &st) != 0 && errno == ENOENT) {
        if (::access(dataFolder.c_str(), W_OK | X_OK) == 0) {
            return true;
        }
        if (error) {
            *error = LogPath(dataFolder) + ": " + SystemErrorText(errno);
        }
        return false;
    }
    std::string why;
    Db db = OpenLog(dataFolder, true, why);
    if (db && sqlite3_db_readonly(db.get(), "main") == 1) {
        why = LogPath(dataFolder) + ": the file is read-only";
        db.reset();
    }
    if (db) {
        char* message = nullptr;
        if (sqlite3_exec(db.get(), "BEGIN IMMEDIATE; ROLLBACK;", nullptr, nullptr, &message) ==
            SQLITE_OK) {
            return true;
        }
        why = LogPath(dataFolder) + ": " + (message ? message : "cannot be written");
        sqlite3_free(message);
    }
    if (error) {
        *error = why;
    }
    return false;
}

bool StageAudit(sqlite3* db, const std::string& dataFolder, AuditEntry entry, std::string* error) {
    (void)dataFolder;
    CompleteAuditEntry(entry);
    auto fail = [&] {
        if (error) {
            *error = std::string(sqlite3_db_filename(db, "main")) + ": " + sqlite3_errmsg(db);
        }
        return false;
    };
    if (sqlite3_exec(db, kPendingSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail();
    }
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO audit_pending(ref, time, operator, account, version, action,"
                       " patient, detail) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
                       -1, &raw, nullptr);
    Statement insert(raw);
    if (!insert) {
        return fail();
    }
    const std::string* values[] = {&entry.ref,     &entry.time,   &entry.operatorId, &entry.account,
                                   &entry.version, &entry.action, &entry.patientId,  &entry.detail};
    for (int i = 0; i < 8; ++i) {
        sqlite3_bind_text(insert.get(), i + 1, values[i]->c_str(),
                          static_cast<int>(values[i]->size()), SQLITE_TRANSIENT);
    }
    return sqlite3_step(insert.get()) == SQLITE_DONE || fail();
}

bool StageAudit(const SqliteTable& table, AuditEntry entry, std::string* error) {
    const std::string path = table.Path().Str();
    if (entry.operatorId.empty()) {
        entry.operatorId = OperatorOfFile(path);
    }
    return StageAudit(table.Handle(), FolderOfFile(path), std::move(entry), error);
}

bool FlushStagedAudit(sqlite3* db, const std::string& dataFolder, std::string* error) {
    if (db == nullptr || !HasTable(db, kAuditPendingTable)) {
        return true;
    }
    std::vector<AuditEntry> staged;
    {
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT ref, time, operator, account, version, action, patient,"
                           " detail FROM audit_pending ORDER BY rowid",
                           -1, &raw, nullptr);
        Statement select(raw);
        if (!select) {
            if (error) {
                *error = std::string(sqlite3_db_filename(db, "main")) + ": " + sqlite3_errmsg(db);
            }
            return false;
        }
        while (sqlite3_step(select.get()) == SQLITE_ROW) {
            AuditEntry e;
            e.ref = Column(select.get(), 0);
            e.time = Column(select.get(), 1);
            e.operatorId = Column(select.get(), 2);
            e.account = Column(select.get(), 3);
            e.version = Column(select.get(), 4);
            e.action = Column(select.get(), 5);
            e.patientId = Column(select.get(), 6);
            e.detail = Column(select.get(), 7);
            staged.push_back(std::move(e));
        }
    }
    if (staged.empty()) {
        return true;
    }
    std::string why;
    Db log = OpenLog(dataFolder, true, why);
    if (!log) {
        if (error) {
            *error = why;
        }
        return false;
    }
    // All into the log in one transaction, then out of the database: a crash in between
    // leaves them in both, and the next copy adds nothing (the references are in the log).
    const std::string path = LogPath(dataFolder);
    bool ok = sqlite3_exec(log.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const AuditEntry& e : staged) {
        ok = ok && InsertEntry(log.get(), path, e, error);
    }
    if (!ok || sqlite3_exec(log.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (error && error->empty()) {
            *error = path + ": " + sqlite3_errmsg(log.get());
        }
        sqlite3_exec(log.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, "DELETE FROM audit_pending WHERE ref = ?1", -1, &raw, nullptr);
    Statement remove(raw);
    if (!remove) {
        return false;
    }
    for (const AuditEntry& e : staged) {
        sqlite3_reset(remove.get());
        sqlite3_bind_text(remove.get(), 1, e.ref.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(remove.get()) != SQLITE_DONE) {
            return false; // copied already; the next flush finds them in the log
        }
    }
    return true;
}

bool AuditedChange(SqliteTable& table, const std::function<bool(AuditEntry&)>& change,
                   std::string* error) {
    if (!CheckAuditWritable(FolderOfFile(table.Path().Str()), error)) {
        return false;
    }
    if (!table.BeginTransaction()) {
        if (error) {
            *error = table.Path().Str() + ": " + table.LastError();
        }
        return false;
    }
    AuditEntry entry;
    if (!change(entry) || !StageAudit(table, std::move(entry), error) ||
        !table.CommitTransaction()) {
        (void)table.RollbackTransaction();
        return false;
    }
    (void)FlushStagedAudit(table); // what stays staged is moved at the next start
    return true;
}

bool FlushStagedAudit(const SqliteTable& table, std::string* error) {
    return FlushStagedAudit(table.Handle(), FolderOfFile(table.Path().Str()), error);
}

bool AppendAudit(const SqliteTable& table, AuditEntry entry, std::string* error) {
    const std::string path = table.Path().Str();
    if (entry.operatorId.empty()) {
        entry.operatorId = OperatorOfFile(path);
    }
    return AppendAudit(FolderOfFile(path), std::move(entry), error);
}

bool AuditOutput(const UserStore& users, const char* action, ResultKind kind, std::size_t rows,
                 const std::string& where) {
    AuditEntry entry;
    entry.operatorId = users.ActiveUserId();
    entry.action = action;
    entry.detail = std::to_string(rows) + (kind == ResultKind::HbA1c ? " HbA1c" : " glucose") +
                   " results to " + where;
    return AppendAudit(users.DataFolder(), std::move(entry));
}

bool ReadAudit(const std::string& dataFolder, const AuditQuery& query,
               std::vector<AuditEntry>& entries, std::string& error) {
    entries.clear();
    struct stat st {};
    if (::stat(LogPath(dataFolder).c_str(), &st) != 0) {
        return true;
    }
    Db db = OpenLog(dataFolder, false, error);
    if (!db) {
        return false;
    }
    std::string sql = "SELECT id, time, operator, account, version, action, patient, detail"
                      " FROM audit WHERE (?1 = '' OR patient = ?1) AND (?2 = '' OR day >= ?2)"
                      " AND (?3 = '' OR day <= ?3) ORDER BY id";
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw, nullptr);
    Statement select(raw);
    if (!select) {
        error = LogPath(dataFolder) + ": " + sqlite3_errmsg(db.get());
        return false;
    }
    sqlite3_bind_text(select.get(), 1, query.patientId.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(select.get(), 2, query.fromDay.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(select.get(), 3, query.toDay.c_str(), -1, SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        AuditEntry e;
        e.id = sqlite3_column_int64(select.get(), 0);
        e.time = Column(select.get(), 1);
        e.operatorId = Column(select.get(), 2);
        e.account = Column(select.get(), 3);
        e.version = Column(select.get(), 4);
        e.action = Column(select.get(), 5);
        e.patientId = Column(select.get(), 6);
        e.detail = Column(select.get(), 7);
        entries.push_back(std::move(e));
    }
    if (rc != SQLITE_DONE) {
        error = LogPath(dataFolder) + ": " + sqlite3_errmsg(db.get());
        entries.clear();
        return false;
    }
    return true;
}

std::string AuditLine(const AuditEntry& e) {
    // A patient ID from a meter or a memo may hold tabs, line breaks and ESC sequences.
    return TsvField(e.time) + "\t" + TsvField(e.operatorId) + "\t" + TsvField(e.account) + "\t" +
           TsvField(e.version) + "\t" + TsvField(e.action) + "\t" + TsvField(e.patientId) + "\t" +
           TsvField(e.detail);
}

std::string AuditChanges(const std::vector<std::string>& names,
                         const std::vector<std::string>& before,
                         const std::vector<std::string>& after) {
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < before.size() && i < after.size(); ++i) {
        if (before[i] == after[i]) {
            continue;
        }
        if (!out.empty()) {
            out += "; ";
        }
        out += names[i] + ": \"" + before[i] + "\" -> \"" + after[i] + "\"";
    }
    return out;
}

} // namespace qa
