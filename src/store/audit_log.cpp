#include "store/audit_log.h"

#include "i18n/message_catalogue.h"

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
    " ref TEXT, message TEXT, args TEXT);"
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
    " action TEXT NOT NULL, patient TEXT NOT NULL, detail TEXT NOT NULL, message TEXT,"
    " args TEXT)";

// The stored names of the audit messages. A name, once written, keeps its meaning: logs
// outlive versions of the program.
struct NamedMessage {
    MessageId id;
    const char* name;
};
constexpr NamedMessage kAuditMessages[] = {
    {MessageId::AuditOutputHbA1cToFile, "output-hba1c-file"},
    {MessageId::AuditOutputGlucoseToFile, "output-glucose-file"},
    {MessageId::AuditOutputHbA1cToPrinter, "output-hba1c-printer"},
    {MessageId::AuditOutputGlucoseToPrinter, "output-glucose-printer"},
    {MessageId::AuditPatientReportToFile, "patient-report-file"},
    {MessageId::AuditPatientReportToPrinter, "patient-report-printer"},
    {MessageId::AuditBackupFiles, "backup-files"},
    {MessageId::AuditRestoreFrom, "restore-from"},
    {MessageId::AuditSettingsChanged, "settings-changed"},
    {MessageId::AuditFileUpgraded, "file-upgraded"},
    {MessageId::AuditUserAdded, "user-added"},
    {MessageId::AuditUserDeleted, "user-deleted"},
    {MessageId::AuditUserRestored, "user-restored"},
    {MessageId::AuditResultModified, "result-modified"},
    {MessageId::AuditHbA1cDeleted, "hba1c-deleted"},
    {MessageId::AuditGlucoseDeleted, "glucose-deleted"},
    {MessageId::AuditHbA1cImported, "hba1c-imported"},
    {MessageId::AuditGlucoseImported, "glucose-imported"},
    {MessageId::AuditHbA1cPutBack, "hba1c-put-back"},
    {MessageId::AuditGlucosePutBack, "glucose-put-back"},
    {MessageId::AuditResultReleased, "result-released"},
};

// Arguments as one text: each followed by a line break, '%' and line breaks inside escaped,
// so no argument and no count of arguments (an empty one included) is lost.
std::string EncodeArgs(const std::vector<std::string>& args) {
    std::string out;
    for (const std::string& arg : args) {
        for (char c : arg) {
            if (c == '%') {
                out += "%25";
            } else if (c == '\n') {
                out += "%0A";
            } else {
                out += c;
            }
        }
        out += '\n';
    }
    return out;
}

std::vector<std::string> DecodeArgs(const std::string& text) {
    std::vector<std::string> args;
    std::string arg;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            args.push_back(std::move(arg));
            arg.clear();
        } else if (text.compare(i, 3, "%25") == 0) {
            arg += '%';
            i += 2;
        } else if (text.compare(i, 3, "%0A") == 0) {
            arg += '\n';
            i += 2;
        } else {
            arg += text[i];
        }
    }
    return args;
}

// The entry's message from its stored columns; an unknown or missing name leaves the detail.
void ReadMessage(AuditEntry& e, const std::string& name, const std::string& args) {
    MessageId id{};
    if (!name.empty() && AuditMessageOfName(name, id)) {
        e.message = Message(id, DecodeArgs(args));
    }
}

std::string MessageName(const AuditEntry& e) {
    const char* name = AuditMessageName(e.message.id);
    return name ? name : "";
}

Message FileError(const std::string& path, const std::string& reason) {
    return Message(MessageId::AuditFileError, {path, reason});
}

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

Db OpenLog(const std::string& folder, bool create, Message& error) {
    std::string path = LogPath(folder);
    sqlite3* raw = nullptr;
    int flags = create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    struct stat st {};
    bool existed = ::stat(path.c_str(), &st) == 0;
    int rc = sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOFOLLOW, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        error = FileError(path, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
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
        // The message columns came later still; older entries keep them empty and read as
        // their detail.
        if (existed && HasTable(db.get(), "audit") && !HasColumn(db.get(), "audit", "message")) {
            sqlite3_exec(db.get(),
                         "ALTER TABLE audit ADD COLUMN message TEXT;"
                         "ALTER TABLE audit ADD COLUMN args TEXT;",
                         nullptr, nullptr, nullptr);
        }
        char* message = nullptr;
        if (sqlite3_exec(db.get(), kSchema, nullptr, nullptr, &message) != SQLITE_OK ||
            sqlite3_exec(db.get(), kProtection, nullptr, nullptr, &message) != SQLITE_OK) {
            error = message ? FileError(path, message)
                            : Message(MessageId::AuditFileNotWritable, {path});
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
Status InsertEntry(sqlite3* db, const std::string& path, const AuditEntry& entry) {
    const char* kInsert = "INSERT OR IGNORE INTO audit(time, day, operator, account, version,"
                          " action, patient, detail, ref, message, args)"
                          " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)";
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, kInsert, -1, &raw, nullptr);
    Statement insert(raw);
    if (!insert) {
        return FileError(path, sqlite3_errmsg(db));
    }
    const std::string day = DayOf(entry.time);
    const std::string name = MessageName(entry);
    const std::string args = name.empty() ? std::string() : EncodeArgs(entry.message.args);
    const std::string* values[] = {&entry.time,
                                   &day,
                                   &entry.operatorId,
                                   &entry.account,
                                   &entry.version,
                                   &entry.action,
                                   &entry.patientId,
                                   &entry.detail,
                                   &entry.ref,
                                   &name,
                                   &args};
    for (int i = 0; i < 11; ++i) {
        sqlite3_bind_text(insert.get(), i + 1, values[i]->c_str(),
                          static_cast<int>(values[i]->size()), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        return FileError(path, sqlite3_errmsg(db));
    }
    return {};
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

void AuditEntry::SetMessage(Message what) {
    message = std::move(what);
    detail = SourceText(message);
}

const char* AuditMessageName(MessageId id) {
    for (const NamedMessage& m : kAuditMessages) {
        if (m.id == id) {
            return m.name;
        }
    }
    return nullptr;
}

bool AuditMessageOfName(const std::string& name, MessageId& id) {
    for (const NamedMessage& m : kAuditMessages) {
        if (name == m.name) {
            id = m.id;
            return true;
        }
    }
    return false;
}

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

Status AppendAudit(const std::string& dataFolder, AuditEntry entry) {
    Message why;
    Db db = OpenLog(dataFolder, true, why);
    if (!db) {
        return why;
    }
    CompleteAuditEntry(entry);
    return InsertEntry(db.get(), LogPath(dataFolder), entry);
}

Status CheckAuditWritable(const std::string& dataFolder) {
    // A log not yet made is not made by the check (a refused change leaves nothing): the
    // folder must take it.
    struct stat st {};
    if (::lstat(LogPath(dataFolder).c_str(), &st) != 0 && errno == ENOENT) {
        if (::access(dataFolder.c_str(), W_OK | X_OK) == 0) {
            return {};
        }
        return FileError(LogPath(dataFolder), SystemErrorText(errno));
    }
    Message why;
    Db db = OpenLog(dataFolder, true, why);
    if (db && sqlite3_db_readonly(db.get(), "main") == 1) {
        why = Message(MessageId::AuditFileReadOnly, {LogPath(dataFolder)});
        db.reset();
    }
    if (db) {
        char* message = nullptr;
        if (sqlite3_exec(db.get(), "BEGIN IMMEDIATE; ROLLBACK;", nullptr, nullptr, &message) ==
            SQLITE_OK) {
            return {};
        }
        why = message ? FileError(LogPath(dataFolder), message)
                      : Message(MessageId::AuditFileNotWritable, {LogPath(dataFolder)});
        sqlite3_free(message);
    }
    return why;
}

Status StageAudit(sqlite3* db, const std::string& dataFolder, AuditEntry entry) {
    (void)dataFolder;
    CompleteAuditEntry(entry);
    auto fail = [&]() -> Status {
        return FileError(sqlite3_db_filename(db, "main"), sqlite3_errmsg(db));
    };
    if (sqlite3_exec(db, kPendingSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail();
    }
    // A pending table staged by an older version lacks the message; added inside the
    // change's transaction, so it comes and goes with the change.
    if (!HasColumn(db, kAuditPendingTable, "message") &&
        sqlite3_exec(db,
                     "ALTER TABLE audit_pending ADD COLUMN message TEXT;"
                     "ALTER TABLE audit_pending ADD COLUMN args TEXT;",
                     nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail();
    }
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO audit_pending(ref, time, operator, account, version, action,"
                       " patient, detail, message, args)"
                       " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
                       -1, &raw, nullptr);
    Statement insert(raw);
    if (!insert) {
        return fail();
    }
    const std::string name = MessageName(entry);
    const std::string args = name.empty() ? std::string() : EncodeArgs(entry.message.args);
    const std::string* values[] = {&entry.ref,     &entry.time,   &entry.operatorId, &entry.account,
                                   &entry.version, &entry.action, &entry.patientId,  &entry.detail,
                                   &name,          &args};
    for (int i = 0; i < 10; ++i) {
        sqlite3_bind_text(insert.get(), i + 1, values[i]->c_str(),
                          static_cast<int>(values[i]->size()), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        return fail();
    }
    return {};
}

Status StageAudit(const SqliteTable& table, AuditEntry entry) {
    const std::string path = table.Path().Str();
    if (entry.operatorId.empty()) {
        entry.operatorId = OperatorOfFile(path);
    }
    return StageAudit(table.Handle(), FolderOfFile(path), std::move(entry));
}

Status FlushStagedAudit(sqlite3* db, const std::string& dataFolder) {
    if (db == nullptr || !HasTable(db, kAuditPendingTable)) {
        return {};
    }
    std::vector<AuditEntry> staged;
    {
        const bool withMessage = HasColumn(db, kAuditPendingTable, "message");
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(db,
                           withMessage
                               ? "SELECT ref, time, operator, account, version, action, patient,"
                                 " detail, message, args FROM audit_pending ORDER BY rowid"
                               : "SELECT ref, time, operator, account, version, action, patient,"
                                 " detail, '', '' FROM audit_pending ORDER BY rowid",
                           -1, &raw, nullptr);
        Statement select(raw);
        if (!select) {
            return FileError(sqlite3_db_filename(db, "main"), sqlite3_errmsg(db));
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
            ReadMessage(e, Column(select.get(), 8), Column(select.get(), 9));
            staged.push_back(std::move(e));
        }
    }
    if (staged.empty()) {
        return {};
    }
    Message why;
    Db log = OpenLog(dataFolder, true, why);
    if (!log) {
        return why;
    }
    // All into the log in one transaction, then out of the database: a crash in between
    // leaves them in both, and the next copy adds nothing (the references are in the log).
    const std::string path = LogPath(dataFolder);
    Status ok;
    if (sqlite3_exec(log.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        ok = FileError(path, sqlite3_errmsg(log.get()));
    }
    for (const AuditEntry& e : staged) {
        if (ok) {
            ok = InsertEntry(log.get(), path, e);
        }
    }
    if (ok && sqlite3_exec(log.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        ok = FileError(path, sqlite3_errmsg(log.get()));
    }
    if (!ok) {
        sqlite3_exec(log.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        return ok;
    }
    // Copied already: what cannot be dropped here the next flush finds in the log.
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, "DELETE FROM audit_pending WHERE ref = ?1", -1, &raw, nullptr);
    Statement remove(raw);
    if (!remove) {
        return FileError(sqlite3_db_filename(db, "main"), sqlite3_errmsg(db));
    }
    for (const AuditEntry& e : staged) {
        sqlite3_reset(remove.get());
        sqlite3_bind_text(remove.get(), 1, e.ref.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(remove.get()) != SQLITE_DONE) {
            return FileError(sqlite3_db_filename(db, "main"), sqlite3_errmsg(db));
        }
    }
    return {};
}

Status AuditedChange(SqliteTable& table, const std::function<Status(AuditEntry&)>& change) {
    // The operator is told that nothing changed because of the log, and what the log said.
    const auto logFailure = [](const Status& failure) {
        return Message(MessageId::AuditNotWritable, {SourceText(failure.error())});
    };
    if (Status writable = CheckAuditWritable(FolderOfFile(table.Path().Str())); !writable) {
        return logFailure(writable);
    }
    if (Status begun = table.BeginTransaction(); !begun) {
        return begun;
    }
    AuditEntry entry;
    if (Status changed = change(entry); !changed) {
        (void)table.RollbackTransaction(); // the change's failure is the one told
        return changed;
    }
    if (Status staged = StageAudit(table, std::move(entry)); !staged) {
        (void)table.RollbackTransaction();
        return logFailure(staged);
    }
    if (Status committed = table.CommitTransaction(); !committed) {
        (void)table.RollbackTransaction();
        return committed;
    }
    (void)FlushStagedAudit(table); // what stays staged is moved at the next start
    return {};
}

Status FlushStagedAudit(const SqliteTable& table) {
    return FlushStagedAudit(table.Handle(), FolderOfFile(table.Path().Str()));
}

Status AppendAudit(const SqliteTable& table, AuditEntry entry) {
    const std::string path = table.Path().Str();
    if (entry.operatorId.empty()) {
        entry.operatorId = OperatorOfFile(path);
    }
    return AppendAudit(FolderOfFile(path), std::move(entry));
}

AuditEntry OutputEntry(const char* action, ResultKind kind, std::size_t rows,
                       const OutputPlace& where) {
    const bool hba1c = kind == ResultKind::HbA1c;
    const bool printer = where.kind == OutputPlace::Kind::Printer;
    AuditEntry entry;
    entry.action = action;
    entry.SetMessage(Message(
        printer ? (hba1c ? MessageId::AuditOutputHbA1cToPrinter
                         : MessageId::AuditOutputGlucoseToPrinter)
                : (hba1c ? MessageId::AuditOutputHbA1cToFile : MessageId::AuditOutputGlucoseToFile),
        {std::to_string(rows), where.name}));
    return entry;
}

AuditEntry PatientReportEntry(const std::string& patientId, std::size_t hba1c, std::size_t glucose,
                              const OutputPlace& where) {
    AuditEntry entry;
    entry.action = audit_action::kPrint;
    entry.patientId = patientId;
    entry.SetMessage(Message(where.kind == OutputPlace::Kind::Printer
                                 ? MessageId::AuditPatientReportToPrinter
                                 : MessageId::AuditPatientReportToFile,
                             {std::to_string(hba1c), std::to_string(glucose), where.name}));
    return entry;
}

Status AuditOutput(const UserStore& users, const char* action, ResultKind kind, std::size_t rows,
                   const OutputPlace& where) {
    AuditEntry entry = OutputEntry(action, kind, rows, where);
    entry.operatorId = users.ActiveUserId();
    return AppendAudit(users.DataFolder(), std::move(entry));
}

Expected<std::vector<AuditEntry>> ReadAudit(const std::string& dataFolder,
                                            const AuditQuery& query) {
    std::vector<AuditEntry> entries;
    struct stat st {};
    if (::stat(LogPath(dataFolder).c_str(), &st) != 0) {
        return entries;
    }
    Message why;
    Db db = OpenLog(dataFolder, false, why);
    if (!db) {
        return why;
    }
    // A log of an older version has no message columns: its entries are their details.
    const bool withMessage = HasColumn(db.get(), "audit", "message");
    std::string sql = std::string("SELECT id, time, operator, account, version, action, patient,"
                                  " detail, ") +
                      (withMessage ? "message, args" : "'', ''") +
                      " FROM audit WHERE (?1 = '' OR patient = ?1) AND (?2 = '' OR day >= ?2)"
                      " AND (?3 = '' OR day <= ?3) ORDER BY id";
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw, nullptr);
    Statement select(raw);
    if (!select) {
        return FileError(LogPath(dataFolder), sqlite3_errmsg(db.get()));
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
        ReadMessage(e, Column(select.get(), 8), Column(select.get(), 9));
        entries.push_back(std::move(e));
    }
    if (rc != SQLITE_DONE) {
        return FileError(LogPath(dataFolder), sqlite3_errmsg(db.get()));
    }
    return entries;
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
