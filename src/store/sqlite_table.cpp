#include "store/sqlite_table.h"

#include <sqlite3.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qa {

namespace {

std::string VFormat(const char* pattern, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    std::vsnprintf(text.data(), text.size() + 1, pattern, args);
    return text;
}

} // namespace

void FormatSql(BufferString& out, const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    out = VFormat(pattern, args);
    va_end(args);
}

std::string FormatSql(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    std::string text = VFormat(pattern, args);
    va_end(args);
    return text;
}

std::string EscapeSqlLiteral(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    for (char c : value) {
        out.push_back(c);
        if (c == '\'') {
            out.push_back('\'');
        }
    }
    return out;
}

SqliteTable::SqliteTable() = default;

SqliteTable::~SqliteTable() {
    Close();
}

void SqliteTable::DefineField(int index, const char* name, FieldType type, void* member) {
    if (fields_.empty()) {
        fields_.resize(static_cast<std::size_t>(FieldCount()));
    }
    if (index < 0 || index >= FieldCount() || name == nullptr ||
        std::strlen(name) >= kMaxFieldName) {
        return;
    }
    FieldBinding& field = fields_[static_cast<std::size_t>(index)];
    field.name = name;
    field.type = type;
    field.member = member;
    field.column = -1;
}

Status SqliteTable::Open(const std::string& path) {
    return OpenExisting(path);
}

bool SqliteTable::OpenWithFlags(const std::string& path, int flags) {
    if (open_ || db_ != nullptr) {
        return false;
    }
    damaged_ = false;
    readFailure_.reset();
    if (path.empty()) {
        // SQLite would open a private temporary database: results stored there vanish.
        NoteError(SQLITE_CANTOPEN, "no file name");
        return false;
    }
    sqlite3* handle = nullptr;
    if (singleThread_) {
        flags |= SQLITE_OPEN_NOMUTEX;
    }
    int rc = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
    if (rc != SQLITE_OK || handle == nullptr) {
        NoteError(handle ? sqlite3_extended_errcode(handle) : rc,
                  handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc));
        sqlite3_close(handle);
        return false;
    }
    sqlite3_extended_result_codes(handle, 1);
    // Readers and the writer of a data folder share its files; without a timeout a reader
    // that meets a commit fails at once (and a download fails on a reader's lock).
    sqlite3_busy_timeout(handle, kBusyTimeoutMs);
    db_ = handle;
    open_ = true;
    path_ = path;
    if (!CheckOnOpen()) {
        std::string error = lastError_;
        int code = lastCode_;
        bool damaged = damaged_;
        Close();
        lastError_ = error;
        lastCode_ = code;
        damaged_ = damaged;
        return false;
    }
    return true;
}

bool SqliteTable::CheckOnOpen() {
    // Reading the page count reads the header and the schema: a file that is not a
    // database, or whose first page is damaged, fails here rather than listing as empty.
    sqlite3_int64 pages = -1;
    {
        SqliteStatement statement = Prepare("PRAGMA page_count");
        if (!statement) {
            return false;
        }
        if (sqlite3_step(statement.Get()) == SQLITE_ROW) {
            pages = sqlite3_column_int64(statement.Get(), 0);
        } else {
            NoteError();
        }
    }
    if (pages < 0) {
        return false;
    }
    if (pages == 0) {
        // Only a file that holds nothing yet takes the setting; on any other file the pragma
        // would only cost a write lock and a journal for nothing.
        if (sqlite3_db_readonly(db_, "main") == 0) {
            (void)Execute("PRAGMA auto_vacuum=1"); // checked by the table creation after it
        }
        return true;
    }
    sqlite3_int64 pageSize = 0;
    {
        SqliteStatement statement = Prepare("PRAGMA page_size");
        if (statement && sqlite3_step(statement.Get()) == SQLITE_ROW) {
            pageSize = sqlite3_column_int64(statement.Get(), 0);
        }
    }
    if (pages * pageSize > kQuickCheckLimit) {
        return true;
    }
    SqliteStatement check = Prepare("PRAGMA quick_check(1)");
    if (!check) {
        return false;
    }
    std::string verdict;
    int rc = sqlite3_step(check.Get());
    if (rc == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(check.Get(), 0);
        verdict = text ? reinterpret_cast<const char*>(text) : "";
    } else {
        NoteError();
    }
    if (rc != SQLITE_ROW) {
        return false;
    }
    if (verdict != "ok") {
        NoteError(SQLITE_CORRUPT, "database disk image is malformed: " + verdict);
        return false;
    }
    return true;
}

Status SqliteTable::OpenExisting(const std::string& path) {
    if (readOnly_) {
        if (OpenWithFlags(path, SQLITE_OPEN_READONLY)) {
            return {};
        }
        // A writer that died left a journal to be played back first, which a read-only
        // connection cannot do: this one connection writes, and only that.
        if (lastCode_ != SQLITE_READONLY_ROLLBACK) {
            return Failure(path);
        }
    }
    if (!OpenWithFlags(path, SQLITE_OPEN_READWRITE)) {
        return Failure(path);
    }
    return {};
}

Status SqliteTable::OpenOrCreate(const std::string& path) {
    if (!OpenWithFlags(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) {
        return Failure(path);
    }
    // A file that is not a database opens fine and only fails on first use: report that
    // here instead of handing back a table that can do nothing.
    if (!CreateTable() || !Requery()) {
        std::string error = lastError_;
        Close();
        lastError_ = error;
        return Failure(path);
    }
    return {};
}

void SqliteTable::Close() {
    if (open_ || db_ != nullptr) {
        DropCachedStatements();
        sqlite3_close(db_);
        db_ = nullptr;
        open_ = false;
        schemaSynced_ = false;
        tableMade_ = false;
        listDeferred_ = false;
        path_.Clear();
    }
}

void SqliteTable::NoteError() {
    if (db_ != nullptr) {
        NoteError(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
    }
}

void SqliteTable::NoteError(int code, const std::string& text) {
    lastCode_ = code;
    lastError_ = text;
    int primary = code & 0xFF;
    damaged_ = damaged_ || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

Message SqliteTable::Failure(const std::string& path) const {
    return Message(MessageId::FileReason, {path, lastError_});
}

Message SqliteTable::NotReady() const {
    if (!Usable()) {
        return MessageId::TableNotOpen;
    }
    return Message(MessageId::TableBusy, {path_.Str()});
}

void SqliteTable::NoteReadError() {
    if (!readFailure_) {
        readFailure_ = Failure();
    }
}

Status SqliteTable::ReadStatus() const {
    if (readFailure_) {
        return *readFailure_;
    }
    return {};
}

Status SqliteTable::Execute(const std::string& statement) {
    if (!Usable()) {
        return MessageId::TableNotOpen;
    }
    EndStream();
    int rc = SQLITE_ERROR;
    SqliteStatement prepared = Prepare(statement);
    if (prepared) {
        rc = sqlite3_step(prepared.Get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            NoteError();
        }
    }
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
        return {};
    }
    return Failure();
}

Status SqliteTable::BeginTransaction() {
    return Execute("BEGIN IMMEDIATE");
}
Status SqliteTable::CommitTransaction() {
    return Execute("COMMIT");
}
Status SqliteTable::RollbackTransaction() {
    return Execute("ROLLBACK");
}

} // namespace qa
