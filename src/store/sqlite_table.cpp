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

bool SqliteTable::Open(const std::string& path) {
    return OpenExisting(path);
}

bool SqliteTable::OpenWithFlags(const std::string& path, int flags) {
    if (open_ || db_ != nullptr) {
        return false;
    }
    damaged_ = false;
    readFailed_ = false;
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

bool SqliteTable::OpenExisting(const std::string& path) {
    if (readOnly_) {
        if (OpenWithFlags(path, SQLITE_OPEN_READONLY)) {
            return true;
        }
        // A writer that died left a journal to be played back first, which a read-only
        // connection cannot do: this one connection writes, and only that.
        if (lastCode_ != SQLITE_READONLY_ROLLBACK) {
            return false;
        }
    }
    return OpenWithFlags(path, SQLITE_OPEN_READWRITE);
}

bool SqliteTable::OpenOrCreate(const std::string& path) {
    if (!OpenWithFlags(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) {
        return false;
    }
    // A file that is not a database opens fine and only fails on first use: report that
    // here instead of handing back a table that can do nothing.
    if (!CreateTable() || !Requery()) {
        std::string error = lastError_;
        Close();
        lastError_ = error;
        return false;
    }
    return true;
}

void SqliteTable::Close() {
    if (open_ || db_ != nullptr) {
        DropCachedStatements();
        sqlite3_close(db_);
        db_ = nullptr;
        open_ = false;
        schemaSynced_ = false;
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

void SqliteTable::NoteReadError() {
    readFailed_ = true;
}

SqliteStatement SqliteTable::Prepare(const std::string& statement) {
    SqliteStatement prepared = PrepareStatement(db_, statement);
    if (!prepared) {
        NoteError();
    }
    return prepared;
}

void SqliteTable::EndStream() {
    stream_.Reset();
    streamPosition_ = 0;
}

void SqliteTable::DropCachedStatements() {
    EndWalk();
    EndStream();
    rowStatement_.Reset();
    insertStatement_.Reset();
    sharedQueries_.clear();
    oneOff_.Reset();
}

bool SqliteTable::Execute(const std::string& statement) {
    if (!Usable()) {
        return false;
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
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

bool SqliteTable::BeginTransaction() {
    return Execute("BEGIN IMMEDIATE");
}
bool SqliteTable::CommitTransaction() {
    return Execute("COMMIT");
}
bool SqliteTable::RollbackTransaction() {
    return Execute("ROLLBACK");
}

bool SqliteTable::CreateTable() {
    if (!Usable() || fields_.empty() || FieldCount() == 0) {
        return false;
    }
    std::string sql = FormatSql("CREATE TABLE [%s] (", TableName().c_str());
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const char* type = "TEXT";
        switch (fields_[i].type) {
        case FieldText:
            break;
        case FieldInt:
            type = "INT";
            break;
        case FieldDouble:
            type = "DOUBLE";
            break;
        case FieldBlob:
            type = "LongBinary";
            break;
        }
        sql += FormatSql("%c[%s] %s", i == 0 ? ' ' : ',', fields_[i].name.c_str(), type);
    }
    sql += ")";
    // An existing table makes this fail, which is the normal case for an old file; any
    // other failure (a full disk, a damaged file) is one.
    bool created = Execute(sql) || lastError_.find("already exists") != std::string::npos;
    DropCachedStatements();
    return created;
}

bool SqliteTable::DropTable() {
    if (!Usable() || fields_.empty()) {
        return false;
    }
    std::string table = TableName();
    DropCachedStatements();
    // Emptied first so the freed pages go back to the file; whether the table is gone is
    // what the caller needs to know.
    (void)Execute(FormatSql("DELETE FROM [%s]", table.c_str()));
    const bool dropped = Execute(FormatSql("DROP TABLE  [%s]", table.c_str()));
    if (dropped) {
        schemaSynced_ = false;
    }
    return dropped;
}

std::string SqliteTable::ReadClauses(const char* head, bool withFilter, bool withSort) const {
    // `head` names the table as "%s"; put in here, not through printf, so every format
    // FormatSql gets stays a literal the compiler checks.
    std::string sql = head;
    sql.replace(sql.find("%s"), 2, TableName());
    if (withFilter && filter.Length() > 1) {
        sql += FormatSql(" WHERE %s", filter.CStr());
    }
    if (withSort && sort.Length() > 1) {
        sql += FormatSql(" ORDER BY %s", sort.CStr());
    }
    return sql;
}

bool SqliteTable::SyncSchema() {
    if (!Usable() || fields_.empty() || FieldCount() == 0) {
        return false;
    }
    std::string table = TableName();
    SqliteStatement probe = Prepare(ReadClauses("SELECT * FROM [%s]", true, true));
    if (!probe) {
        return false;
    }
    tableColumns_ = sqlite3_column_count(probe.Get());
    for (int c = 0; c < tableColumns_; ++c) {
        const char* name = sqlite3_column_name(probe.Get(), c);
        for (FieldBinding& field : fields_) {
            if (field.column == -1 && name != nullptr && field.name == name) {
                field.column = c;
                break;
            }
        }
    }
    // The probe holds the table's schema; it must be gone before the table is altered.
    probe.Reset();
    bool altered = false;
    bool complete = true;
    for (const FieldBinding& field : fields_) {
        if (field.column != -1) {
            continue;
        }
        const char* tname = table.c_str();
        const char* cname = field.name.c_str();
        bool added = false;
        switch (field.type) {
        case FieldText:
            added = Execute(FormatSql("ALTER TABLE [%s] ADD COLUMN [%s] TEXT", tname, cname)) &&
                    Execute(FormatSql("UPDATE %s SET [%s] = \"\"", tname, cname));
            break;
        case FieldInt:
            added = Execute(FormatSql("ALTER TABLE [%s] ADD COLUMN [%s] Integer", tname, cname)) &&
                    Execute(FormatSql("UPDATE %s SET [%s] = 0", tname, cname));
            break;
        case FieldDouble:
            added = Execute(FormatSql("ALTER TABLE [%s] ADD COLUMN [%s] Double", tname, cname)) &&
                    Execute(FormatSql("UPDATE %s SET [%s] = 0.0", tname, cname));
            break;
        case FieldBlob:
            added = Execute(FormatSql("ALTER TABLE [%s] ADD COLUMN [%s] LongBinary", tname, cname));
            break;
        }
        altered = altered || added;
        complete = complete && added;
    }
    if (altered) {
        DropCachedStatements();
    }
    // A column that could not be added (a read-only or damaged file) leaves the schema
    // unsynced: rows read now would leave that field empty, and an insert would fail.
    if (!complete) {
        return false;
    }
    schemaSynced_ = true;
    OnSchemaSynced();
    return true;
}

namespace {

// The statement with every single-quoted literal replaced by a parameter, and the literals'
// values in order; false (nothing to share) when the text holds anything the plain scan
// cannot be sure of: parameters of its own, comments, blob literals, an open quote.
bool SplitLiterals(std::string_view sql, std::string& shape, std::vector<std::string>& values) {
    shape.clear();
    values.clear();
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '?' || c == ':' || c == '@' || c == '$' || c == '`' ||
            (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') ||
            (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*')) {
            return false;
        }
        if (c == '[' || c == '"') {
            const char close = c == '[' ? ']' : '"';
            const std::size_t end = sql.find(close, i + 1);
            if (end == std::string_view::npos ||
                (close == '"' && end + 1 < sql.size() && sql[end + 1] == '"')) {
                return false;
            }
            shape.append(sql.substr(i, end + 1 - i));
            i = end;
            continue;
        }
        if (c != '\'') {
            shape += c;
            continue;
        }
        if (i > 0 && (sql[i - 1] == 'x' || sql[i - 1] == 'X')) {
            return false; // a blob literal
        }
        std::string value;
        std::size_t j = i + 1;
        for (;; ++j) {
            if (j >= sql.size()) {
                return false;
            }
            if (sql[j] == '\'') {
                if (j + 1 < sql.size() && sql[j + 1] == '\'') {
                    value += '\'';
                    ++j;
                    continue;
                }
                break;
            }
            value += sql[j];
        }
        if (values.size() >= 64) {
            return false;
        }
        values.push_back(std::move(value));
        shape += '?';
        i = j;
    }
    return true;
}

} // namespace

sqlite3_stmt* SqliteTable::SharedStatement(const std::string& sql) {
    // A duplicate test composes its values into the condition, so every test would prepare
    // a statement of its own; with the values bound instead, one statement serves them all.
    std::vector<std::string> values;
    std::string shape;
    sqlite3_stmt* statement = nullptr;
    if (SplitLiterals(sql, shape, values)) {
        for (SharedQuery& shared : sharedQueries_) {
            if (shared.shape == shape && shared.statement) {
                statement = shared.statement.Get();
                break;
            }
        }
        if (statement == nullptr) {
            SqliteStatement prepared = Prepare(shape);
            if (!prepared) {
                return nullptr;
            }
            if (sharedQueries_.size() >= kSharedQueries) {
                sharedQueries_.erase(sharedQueries_.begin());
            }
            sharedQueries_.push_back({shape, std::move(prepared)});
            statement = sharedQueries_.back().statement.Get();
        }
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        for (std::size_t k = 0; k < values.size(); ++k) {
            sqlite3_bind_text(statement, static_cast<int>(k) + 1, values[k].data(),
                              static_cast<int>(values[k].size()), SQLITE_TRANSIENT);
        }
        return statement;
    }
    oneOff_ = Prepare(sql);
    return oneOff_.Get();
}

void SqliteTable::EndSharedStatement(sqlite3_stmt* statement) {
    if (statement == oneOff_.Get()) {
        oneOff_.Reset();
    } else if (statement != nullptr) {
        // Reset at once: a statement left stepping would keep the file's read lock.
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
}

int SqliteTable::CountRows() {
    if (!Usable()) {
        return 0;
    }
    int count = -1;
    sqlite3_stmt* statement =
        SharedStatement(ReadClauses("SELECT COUNT (*) FROM [%s]", true, false));
    if (statement != nullptr) {
        if (sqlite3_step(statement) == SQLITE_ROW) {
            count = sqlite3_column_int(statement, 0);
        } else {
            NoteError();
        }
    }
    EndSharedStatement(statement);
    if (count < 0) {
        NoteReadError();
    }
    return count;
}

bool SqliteTable::Requery() {
    return ReadList(true);
}

bool SqliteTable::StartListRead() {
    if (!Usable()) {
        return false;
    }
    loadedRowIds_ = 0;
    listDeferred_ = false;
    readFailed_ = false;
    EndStream();
    streamQuery_.clear();
    if (!schemaSynced_ && !SyncSchema()) {
        readFailed_ = true;
        return false;
    }
    return true;
}

bool SqliteTable::ReadList(bool moveFirst) {
    if (!StartListRead()) {
        return false;
    }
    int counted = CountRows();
    rowCount_ = counted < 0 ? 0 : counted;
    position_ = 1;
    rowIds_.assign(static_cast<std::size_t>(rowCount_) + kRowIdGrowth, 0);
    if (counted < 0) {
        return false;
    }
    if (rowCount_ > 0) {
        SqliteStatement statement = Prepare(ReadClauses("SELECT ROWID FROM [%s]", true, true));
        int rc = SQLITE_ERROR;
        if (statement) {
            rc = sqlite3_step(statement.Get());
            while (loadedRowIds_ < rowCount_ && rc == SQLITE_ROW) {
                rowIds_[static_cast<std::size_t>(loadedRowIds_++)] =
                    sqlite3_column_int(statement.Get(), 0);
                rc = sqlite3_step(statement.Get());
            }
            if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
                NoteError();
            }
        }
        statement.Reset();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            rowCount_ = 0;
            loadedRowIds_ = 0;
            NoteReadError();
            return false;
        }
        // Rows deleted by another connection between the count and the list are not
        // listed as empty rows.
        rowCount_ = loadedRowIds_;
        streamQuery_ = ReadClauses("SELECT ROWID, * FROM [%s]", true, true);
        // The cursor stands on the first row; a row that cannot be read leaves the members
        // empty, and the list itself is complete either way.
        if (moveFirst) {
            (void)MoveTo(1);
        }
    }
    return true;
}

bool SqliteTable::RequeryAny() {
    return RequeryLater() && rowCount_ > 0;
}

bool SqliteTable::RequeryLater() {
    if (!StartListRead()) {
        return false;
    }
    position_ = 1;
    rowCount_ = 0;
    const int counted = CountRows();
    if (counted < 0) {
        rowIds_.assign(kRowIdGrowth, 0);
        return false;
    }
    if (counted > 0) {
        // The first row's id in list order, then the row by the lookup the cursor uses.
        sqlite3_stmt* first =
            SharedStatement(ReadClauses("SELECT ROWID FROM [%s]", true, true) + " LIMIT 1");
        const int rc = first != nullptr ? sqlite3_step(first) : SQLITE_ERROR;
        const int rowId = rc == SQLITE_ROW ? sqlite3_column_int(first, 0) : 0;
        if (rc != SQLITE_ROW && rc != SQLITE_DONE && first != nullptr) {
            NoteError();
        }
        EndSharedStatement(first);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            rowIds_.assign(kRowIdGrowth, 0);
            NoteReadError();
            return false;
        }
        if (rc == SQLITE_ROW) {
            rowCount_ = counted;
            (void)LoadRowById(rowId);
        }
    }
    if (rowCount_ > 0) {
        rowIds_.clear();
        listDeferred_ = true;
        deferredFilter_ = filter.Str();
        deferredSort_ = sort.Str();
    } else {
        rowIds_.assign(kRowIdGrowth, 0); // as Requery leaves an empty list
    }
    return true;
}

bool SqliteTable::ReadDeferredList() {
    if (!listDeferred_) {
        return true;
    }
    // Under the clauses of RequeryLater, which the caller may have changed since; the cursor
    // and the members stay where they are.
    const std::string filterNow = filter.Str();
    const std::string sortNow = sort.Str();
    filter = deferredFilter_;
    sort = deferredSort_;
    const int position = position_;
    const bool read = ReadList(false);
    filter = filterNow;
    sort = sortNow;
    position_ = position;
    return read;
}

bool SqliteTable::DeleteWhere() {
    if (!Usable()) {
        return false;
    }
    // A delete needs no added column: it goes ahead on a table whose schema could not be
    // brought up to date.
    if (!schemaSynced_) {
        (void)SyncSchema();
    }
    EndStream();
    int rc = SQLITE_ERROR;
    SqliteStatement statement = Prepare(ReadClauses("DELETE FROM [%s]", true, false));
    if (statement) {
        rc = sqlite3_step(statement.Get());
        if (rc != SQLITE_DONE) {
            NoteError();
        }
    }
    position_ = 1;
    return rc == SQLITE_DONE;
}

void SqliteTable::ClearMembers() {
    for (FieldBinding& field : fields_) {
        if (field.member == nullptr) {
            continue;
        }
        switch (field.type) {
        case FieldText:
            *static_cast<BufferString*>(field.member) = "";
            break;
        case FieldInt:
            *static_cast<std::int32_t*>(field.member) = 0;
            break;
        case FieldDouble:
            *static_cast<double*>(field.member) = 0.0;
            break;
        case FieldBlob:
            static_cast<BufferString*>(field.member)->Clear();
            break;
        }
    }
}

void SqliteTable::LoadField(FieldBinding& field, sqlite3_stmt* statement, int column) {
    switch (field.type) {
    case FieldText: {
        const unsigned char* text = sqlite3_column_text(statement, column);
        *static_cast<BufferString*>(field.member) = text ? reinterpret_cast<const char*>(text) : "";
        break;
    }
    case FieldInt:
        *static_cast<std::int32_t*>(field.member) = sqlite3_column_int(statement, column);
        break;
    case FieldDouble:
        *static_cast<double*>(field.member) = sqlite3_column_double(statement, column);
        break;
    case FieldBlob: {
        const void* blob = sqlite3_column_blob(statement, column);
        int size = sqlite3_column_bytes(statement, column);
        if (blob != nullptr && size > 0) {
            static_cast<BufferString*>(field.member)
                ->AssignBytes(blob, static_cast<std::size_t>(size));
        }
        break;
    }
    }
}

void SqliteTable::LoadRow(sqlite3_stmt* statement, int firstColumn) {
    ClearMembers();
    for (FieldBinding& field : fields_) {
        if (field.column < 0 || field.member == nullptr) {
            continue;
        }
        int column = firstColumn + field.column;
        switch (field.type) {
        case FieldText: {
            const unsigned char* text = sqlite3_column_text(statement, column);
            *static_cast<BufferString*>(field.member) =
                text ? reinterpret_cast<const char*>(text) : "";
            break;
        }
        case FieldInt:
            *static_cast<std::int32_t*>(field.member) = sqlite3_column_int(statement, column);
            break;
        case FieldDouble:
            *static_cast<double*>(field.member) = sqlite3_column_double(statement, column);
            break;
        case FieldBlob: {
            const void* blob = sqlite3_column_blob(statement, column);
            int size = sqlite3_column_bytes(statement, column);
            if (blob != nullptr && size > 0) {
                static_cast<BufferString*>(field.member)
                    ->AssignBytes(blob, static_cast<std::size_t>(size));
            }
            break;
        }
        }
    }
    pendingRowId_ = 0;
    adding_ = false;
}

bool SqliteTable::MoveTo(int position) {
    if (!Usable() || pendingRowId_ != 0 || adding_ || position <= 0) {
        return false;
    }
    if (!ReadDeferredList() || rowIds_.empty()) {
        return false;
    }
    if (rowCount_ == 0) {
        return true;
    }
    if (rowCount_ >= position && LoadFromStream(position)) {
        currentRowId_ = rowIds_[static_cast<std::size_t>(position - 1)];
    } else if (rowCount_ >= position) {
        int rowId = rowIds_[static_cast<std::size_t>(position - 1)];
        if (!rowStatement_) {
            rowStatement_ =
                Prepare(FormatSql("SELECT * FROM [%s] WHERE ROWID = ?", TableName().c_str()));
        }
        sqlite3_stmt* statement = rowStatement_.Get();
        if (statement != nullptr) {
            sqlite3_bind_int(statement, 1, rowId);
            int rc = sqlite3_step(statement);
            if (rc == SQLITE_ROW) {
                LoadRow(statement, 0);
            } else {
                ClearMembers();
                if (rc != SQLITE_DONE) {
                    NoteError();
                    NoteReadError();
                }
            }
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        } else {
            ClearMembers();
            NoteReadError();
        }
        currentRowId_ = rowId;
    }
    if (position > rowCount_) {
        EndStream(); // walked off the end: let go of the read lock
    }
    position_ = position;
    return true;
}

bool SqliteTable::LoadFromStream(int position) {
    if (stream_ && position != streamPosition_ + 1) {
        EndStream(); // a jump: the walk is over
    }
    // A walk starts with the step from row 1 to row 2; row 1 itself is read by lookup, so a
    // requery followed by a single read (a duplicate test) never opens the stream.
    if (!stream_) {
        if (position != 2 || streamQuery_.empty()) {
            return false;
        }
        stream_ = Prepare(streamQuery_);
        if (!stream_) {
            streamQuery_.clear(); // the lookup will do
            return false;
        }
        if (sqlite3_step(stream_.Get()) != SQLITE_ROW ||
            sqlite3_column_int(stream_.Get(), 0) != rowIds_[0]) {
            EndStream();
            return false;
        }
        streamPosition_ = 1;
    }
    if (sqlite3_step(stream_.Get()) != SQLITE_ROW ||
        sqlite3_column_int(stream_.Get(), 0) != rowIds_[static_cast<std::size_t>(position - 1)]) {
        EndStream();
        return false;
    }
    streamPosition_ = position;
    LoadRow(stream_.Get(), 1);
    return true;
}

bool SqliteTable::StartWalk() {
    return StartWalk({});
}

bool SqliteTable::StartWalk(const std::vector<int>& fields) {
    EndWalk();
    if (!Usable() || pendingRowId_ != 0 || adding_) {
        walkFailed_ = true;
        return false;
    }
    EndStream();
    if (!schemaSynced_ && !SyncSchema()) {
        walkFailed_ = true;
        return false;
    }
    std::string head = "SELECT ROWID, *";
    if (!fields.empty()) {
        head = "SELECT ROWID";
        for (int index : fields) {
            if (index < 0 || index >= static_cast<int>(fields_.size()) ||
                fields_[static_cast<std::size_t>(index)].column < 0 ||
                fields_[static_cast<std::size_t>(index)].member == nullptr) {
                walkFailed_ = true;
                return false;
            }
            head += ", [" + fields_[static_cast<std::size_t>(index)].name + "]";
        }
    }
    if (fields.empty() && walkCacheRestore_ == 0) {
        // Whole rows come in list order, each looked up in the table by its index entry:
        // with SQLite's small default cache nearly every lookup reads its page again, and a
        // second walk (a file that needs two passes) reads them all over. A larger cache for
        // the walk's length holds the table of a typical file.
        SqliteStatement current = Prepare("PRAGMA cache_size");
        if (current && sqlite3_step(current.Get()) == SQLITE_ROW) {
            walkCacheRestore_ = sqlite3_column_int(current.Get(), 0);
            current.Reset();
            if (walkCacheRestore_ == 0 || !Execute(FormatSql("PRAGMA cache_size=%d", kWalkCache))) {
                walkCacheRestore_ = 0;
            }
        }
    }
    walk_ = Prepare(ReadClauses((head + " FROM [%s]").c_str(), true, true));
    walkFields_ = fields;
    walkFailed_ = !walk_;
    if (walkFailed_) {
        NoteReadError();
    }
    return !walkFailed_;
}

bool SqliteTable::WalkNext() {
    sqlite3_stmt* walk = walk_.Get();
    if (walk == nullptr) {
        return false;
    }
    int rc = sqlite3_step(walk);
    if (rc == SQLITE_ROW && !walkFields_.empty()) {
        ClearMembers();
        for (std::size_t k = 0; k < walkFields_.size(); ++k) {
            LoadField(fields_[static_cast<std::size_t>(walkFields_[k])], walk,
                      static_cast<int>(k) + 1);
        }
        currentRowId_ = sqlite3_column_int(walk, 0);
        return true;
    }
    if (rc == SQLITE_ROW) {
        LoadRow(walk, 1);
        currentRowId_ = sqlite3_column_int(walk, 0);
        return true;
    }
    if (rc != SQLITE_DONE) {
        NoteError();
        NoteReadError();
        walkFailed_ = true;
    }
    // Done: let go of the read lock at once.
    walk_.Reset();
    return false;
}

void SqliteTable::EndWalk() {
    walk_.Reset();
    walkFailed_ = false;
    if (walkCacheRestore_ != 0) {
        const int restore = walkCacheRestore_;
        walkCacheRestore_ = 0;
        (void)Execute(FormatSql("PRAGMA cache_size=%d", restore));
    }
}

bool SqliteTable::ForEachRow(const std::function<bool()>& each) {
    if (!StartWalk()) {
        return false;
    }
    while (WalkNext()) {
        if (!each()) {
            break;
        }
    }
    const bool ok = !walkFailed_;
    EndWalk();
    return ok;
}

bool SqliteTable::ForEachRowId(const std::string& column,
                               const std::function<void(int rowId, std::string_view text)>& each) {
    if (!Usable() || column.find_first_of("[]") != std::string::npos) {
        return false;
    }
    if (!schemaSynced_ && !SyncSchema()) {
        return false;
    }
    std::string head = column.empty() ? "SELECT ROWID, NULL FROM [%s]"
                                      : "SELECT ROWID, [" + column + "] FROM [%s]";
    SqliteStatement prepared = Prepare(ReadClauses(head.c_str(), true, true));
    sqlite3_stmt* statement = prepared.Get();
    if (statement == nullptr) {
        NoteReadError();
        return false;
    }
    int rc = sqlite3_step(statement);
    while (rc == SQLITE_ROW) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
        // Up to the first NUL, as the bound members read a text.
        each(sqlite3_column_int(statement, 0), text ? std::string_view(text) : std::string_view());
        rc = sqlite3_step(statement);
    }
    if (rc != SQLITE_DONE) {
        NoteError();
        NoteReadError();
    }
    return rc == SQLITE_DONE;
}

bool SqliteTable::LoadRowById(int rowId) {
    if (!Usable() || pendingRowId_ != 0 || adding_) {
        return false;
    }
    if (!schemaSynced_ && !SyncSchema()) {
        return false;
    }
    if (!rowStatement_) {
        rowStatement_ =
            Prepare(FormatSql("SELECT * FROM [%s] WHERE ROWID = ?", TableName().c_str()));
    }
    bool found = false;
    if (sqlite3_stmt* statement = rowStatement_.Get()) {
        sqlite3_bind_int(statement, 1, rowId);
        int rc = sqlite3_step(statement);
        found = rc == SQLITE_ROW;
        if (found) {
            LoadRow(statement, 0);
        } else if (rc != SQLITE_DONE) {
            NoteError();
            NoteReadError();
        }
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    } else {
        NoteReadError();
    }
    if (!found) {
        ClearMembers();
    }
    currentRowId_ = rowId;
    return found;
}

bool SqliteTable::MoveFirst() {
    return open_ && MoveTo(1);
}

bool SqliteTable::MoveNext() {
    if (rowCount_ < position_) {
        return false;
    }
    ++position_;
    return MoveTo(position_);
}

bool SqliteTable::IsEOF() const {
    return rowCount_ == 0 || position_ > rowCount_;
}

int SqliteTable::RowIdAt(int position) {
    if (position > 0 && position <= rowCount_ && !ReadDeferredList()) {
        return 0;
    }
    if (position <= 0 || position > rowCount_ ||
        static_cast<std::size_t>(position) > rowIds_.size()) {
        return 0;
    }
    return rowIds_[static_cast<std::size_t>(position - 1)];
}

bool SqliteTable::AddNew() {
    if (!Usable() || fields_.empty() || pendingRowId_ != 0 || adding_) {
        return false;
    }
    EndStream();
    ClearMembers();
    adding_ = true;
    return true;
}

bool SqliteTable::BeginEdit() {
    if (!Usable() || fields_.empty() || pendingRowId_ != 0) {
        return false;
    }
    adding_ = false;
    return true;
}

int SqliteTable::BindFields(sqlite3_stmt* statement, bool onlyNamedInsert) {
    int parameter = 0;
    for (const FieldBinding& field : fields_) {
        if (field.member == nullptr) {
            continue;
        }
        const auto* buffer = static_cast<const BufferString*>(field.member);
        if (onlyNamedInsert && field.type == FieldBlob && buffer->IsEmpty()) {
            continue;
        }
        ++parameter;
        switch (field.type) {
        case FieldText:
            // An emptied buffer binds a null pointer, which stores SQL NULL.
            sqlite3_bind_text(statement, parameter, buffer->Data(),
                              buffer->IsEmpty() ? 0 : static_cast<int>(buffer->View().size()),
                              SQLITE_STATIC);
            break;
        case FieldInt:
            sqlite3_bind_int(statement, parameter, *static_cast<const std::int32_t*>(field.member));
            break;
        case FieldDouble:
            sqlite3_bind_double(statement, parameter, *static_cast<const double*>(field.member));
            break;
        case FieldBlob:
            sqlite3_bind_blob(statement, parameter, buffer->Data(),
                              static_cast<int>(buffer->Length()), SQLITE_STATIC);
            break;
        }
    }
    return parameter;
}

void SqliteTable::AppendRowId(int rowId) {
    if (listDeferred_) {
        ++rowCount_; // the list read later holds it, in its place
        return;
    }
    if (rowIds_.empty()) {
        rowIds_.assign(static_cast<std::size_t>(rowCount_) + kRowIdGrowth, 0);
    } else if (static_cast<std::size_t>(rowCount_) + 1 >= rowIds_.size()) {
        rowIds_.resize(rowIds_.size() + kRowIdGrowth, 0);
    }
    rowIds_[static_cast<std::size_t>(rowCount_)] = rowId;
    ++rowCount_;
}

bool SqliteTable::InsertByColumnNames() {
    // The table is wider than our fields (a newer file): name our columns and let the
    // rest take their defaults. Values are bound, so any text is stored unchanged.
    std::string columns;
    std::string marks;
    for (const FieldBinding& field : fields_) {
        if (field.member == nullptr) {
            continue;
        }
        if (field.type == FieldBlob && static_cast<BufferString*>(field.member)->IsEmpty()) {
            continue;
        }
        char separator = columns.empty() ? ' ' : ',';
        columns += FormatSql("%c[%s]", separator, field.name.c_str());
        marks += FormatSql("%c?", separator);
    }
    std::string sql =
        FormatSql("INSERT INTO [%s] (", TableName().c_str()) + columns + ") VALUES (" + marks + ")";
    bool inserted = false;
    SqliteStatement statement = Prepare(sql);
    if (statement) {
        BindFields(statement.Get(), true);
        inserted = sqlite3_step(statement.Get()) == SQLITE_DONE;
        if (!inserted) {
            NoteError();
        }
    }
    if (inserted) {
        AppendRowId(static_cast<int>(sqlite3_last_insert_rowid(db_)));
        position_ = rowCount_;
    }
    pendingRowId_ = 0;
    adding_ = false;
    return inserted;
}

bool SqliteTable::Update() {
    if (FieldCount() < tableColumns_ && adding_ && Usable()) {
        return InsertByColumnNames();
    }
    if (!Usable() || fields_.empty() || !adding_) {
        return false;
    }
    if (!insertStatement_) {
        std::string sql = FormatSql("INSERT INTO [%s] VALUES(", TableName().c_str());
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            sql += i == 0 ? "?" : ",?";
        }
        sql += ") ";
        insertStatement_ = Prepare(sql);
    }
    bool inserted = false;
    sqlite3_stmt* statement = insertStatement_.Get();
    if (statement != nullptr) {
        BindFields(statement, false);
        inserted = sqlite3_step(statement) == SQLITE_DONE;
        if (!inserted) {
            NoteError();
        }
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
    // A failed insert must not leave a row id behind that points at nothing (or at a row
    // inserted earlier), and must not leave the object stuck in add mode.
    if (inserted) {
        pendingRowId_ = static_cast<int>(sqlite3_last_insert_rowid(db_));
        AppendRowId(pendingRowId_);
        position_ = rowCount_;
    }
    pendingRowId_ = 0;
    adding_ = false;
    return inserted;
}

bool SqliteTable::UpdateWhere(const std::string& condition) {
    if (!Usable() || fields_.empty() || adding_) {
        return false;
    }
    EndStream();
    std::string sql = FormatSql("UPDATE [%s] SET ", TableName().c_str());
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        sql += FormatSql("%c[%s] = ?", i == 0 ? ' ' : ',', fields_[i].name.c_str());
    }
    sql += FormatSql(" WHERE %s", condition.c_str());
    bool updated = false;
    SqliteStatement statement = Prepare(sql);
    if (statement) {
        BindFields(statement.Get(), false);
        updated = sqlite3_step(statement.Get()) == SQLITE_DONE;
        if (!updated) {
            NoteError();
        }
    }
    // No matching row is still success; a statement that failed (read-only file, bad
    // condition) is not, so an edit is never reported as saved when it was not.
    return updated;
}

} // namespace qa
