#pragma once

#include "store/buffer_string.h"
#include "store/sqlite_statement.h"
#include "store/status.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qa {

enum FieldType : std::uint32_t {
    FieldText = 1,
    FieldInt = 2,
    FieldDouble = 3,
    FieldBlob = 4,
};

// Ties one column of the table to a member of the derived record class.
struct FieldBinding {
    FieldType type = FieldText;
    void* member = nullptr; // BufferString*, std::int32_t* or double*, by type
    int column = -1;        // index in "SELECT * FROM [table]"; -1 until the schema sync finds it
    std::string name;
};

// Formats a statement piece printf-style and assigns it to `out`.
void FormatSql(BufferString& out, const char* pattern, ...) __attribute__((format(printf, 2, 3)));
std::string FormatSql(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// Doubles every single quote so that a value can be placed between single quotes in a
// composed condition. Every condition built from outside text goes through this.
std::string EscapeSqlLiteral(std::string_view value);

// A record set over one table of one SQLite file. The derived class names the table and
// binds its columns to members; a requery loads only the matching row ids (in filter and
// sort order) and the cursor reads one whole row at a time into the bound members.
class SqliteTable {
public:
    static constexpr int kRowIdGrowth = 5000;
    static constexpr std::size_t kMaxFieldName = 100;

    SqliteTable();
    virtual ~SqliteTable();
    SqliteTable(const SqliteTable&) = delete;
    SqliteTable& operator=(const SqliteTable&) = delete;

    virtual std::string TableName() const = 0;
    virtual int FieldCount() const = 0;
    // Every operation that can fail says why in its Status: the file and SQLite's reason, or
    // that the table is not open, busy adding a row, or asked for what it does not hold.
    // The opens fail naming the file and SQLite's reason.
    virtual Status Open(const std::string& path);

    Status OpenExisting(const std::string& path);
    Status OpenOrCreate(const std::string& path);
    // Later opens of existing files are read-only: a command that only reads never takes a
    // write lock or journals, so it cannot get in the way of a download.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool IsReadOnly() const { return readOnly_; }
    // Later opens skip SQLite's own lock around every call on the connection (a lock and an
    // unlock for each column of each row read). Only for a program that uses each table from
    // one thread at a time, such as the command line: the window's download worker stores
    // into the tables the window reads, and those keep the lock.
    void SetSingleThread(bool singleThread) { singleThread_ = singleThread; }
    // How long a statement waits for another connection's lock before it fails.
    static constexpr int kBusyTimeoutMs = 5000;
    // Files up to this size get a full quick check when opened; larger ones are checked as
    // far as their header and schema, and every query reports damage it meets.
    static constexpr long long kQuickCheckLimit = 16LL * 1024 * 1024;
    void Close();

    // Fails naming the file and SQLite's reason, or that the table is not open.
    Status Execute(const std::string& statement);
    // Succeeds also when the table exists already (an old file's normal case).
    Status CreateTable();
    Status DropTable();
    Status SyncSchema();

    // Fails when the count could not be read (naming the file and SQLite's reason), never 0
    // in its place; 0 for a table that is not open.
    Expected<int> CountRows();
    Status Requery();
    // Requery's count and first row now (a count, the first id, its row), and its row-id
    // list only when something reads the list (a move past the first row, RowIdAt): a table
    // whose next reader requeries or walks by itself, or that is asked only whether a row
    // matches, never pays for reading the ids of a long list. Rows added meanwhile through
    // this object are counted; the list read later is the file's at that time, under the
    // filter and sort of this call.
    Status RequeryLater();
    // RequeryLater, true when a row matched and false when none did.
    Expected<bool> RequeryAny();
    Status DeleteWhere();

    // A walk: the rows of the filter and sort read in order through one query, each loaded
    // into the bound members (and CurrentRowId) by WalkNext, which is false at the end or on a
    // failure (WalkStatus tells them apart). Neither the row-id list nor the position changes,
    // so a list larger than memory wants to hold is read with none of it kept. Closing or
    // renaming the table ends the walk.
    Status StartWalk();
    // A walk that reads only the fields named by index (the others stay empty): when they
    // are all in an index the rows come from the index alone, not the table.
    Status StartWalk(const std::vector<int>& fields);
    bool WalkNext();
    // Why the walk (its start or a step) failed; ok while it has not. Cleared by EndWalk.
    Status WalkStatus() const;
    void EndWalk();
    // A whole walk; `each` returns false to stop early, which is no failure.
    Status ForEachRow(const std::function<bool()>& each);
    // The same order with only the row id and one column's text (none for an empty column
    // name): what a long list keeps of each row before any of it is shown.
    Status ForEachRowId(const std::string& column,
                        const std::function<void(int rowId, std::string_view text)>& each);
    // Loads the row with this id into the bound members (and CurrentRowId), leaving the
    // position and the row-id list alone; false, with the members emptied, when no such row
    // is stored any more.
    Expected<bool> LoadRowById(int rowId);

    Status AddNew();
    Status Update();
    Status BeginEdit();
    // No matching row is success; a statement that failed is not.
    Status UpdateWhere(const std::string& condition);

    // A row that cannot be read leaves the members empty and is reported by ReadFailed: the
    // move itself fails only on a position the list cannot have or a list that was not read.
    Status MoveTo(int position);
    bool MoveFirst();
    bool MoveNext();
    bool IsEOF() const;

    // One transaction around many inserts turns an fsync per row into one per batch and
    // makes a batch all-or-nothing when the process dies half-way.
    Status BeginTransaction();
    Status CommitTransaction();
    Status RollbackTransaction();

    // Condition placed after " WHERE " and ordering placed after " ORDER BY "; callers
    // assign them before Requery, RequeryAny or DeleteWhere. Empty means none.
    BufferString filter;
    BufferString sort;

    bool IsOpen() const { return open_; }
    bool IsSchemaSynced() const { return schemaSynced_; }
    bool IsAdding() const { return adding_; }
    const BufferString& Path() const { return path_; }
    int RowCount() const { return rowCount_; }
    int Position() const { return position_; }
    int TableColumns() const { return tableColumns_; }
    int RowIdCapacity() const { return static_cast<int>(rowIds_.size()); }
    // Row id at a 1-based position of the list, 0 when out of range.
    int RowIdAt(int position);
    // Row id of the row the cursor last loaded (0 when none).
    int CurrentRowId() const { return currentRowId_; }
    const std::vector<FieldBinding>& Fields() const { return fields_; }
    sqlite3* Handle() const { return db_; }
    // SQLite's text for the last failed statement, for diagnostics: the Status of each
    // operation carries it with the file's name.
    const std::string& LastError() const { return lastError_; }
    // SQLite's extended result code of the last failure.
    int LastErrorCode() const { return lastCode_; }
    // The last failure said the file is not a database or is damaged.
    bool IsDamaged() const { return damaged_; }
    // A read since the last requery failed (count, row list or row), so what was read is
    // not the whole table. Cleared by the next requery.
    bool ReadFailed() const { return readFailure_.has_value(); }
    // The first such failure, naming the file and SQLite's reason; ok when none.
    Status ReadStatus() const;
    // What the schema syncs of a writable open added to the file since the last call
    // ("column P_MEMO", "index HospitalTlb_PID"), for the audit of the upgrade.
    std::vector<std::string> TakeSchemaChanges() { return std::exchange(schemaChanges_, {}); }

protected:
    // The last failure noted, naming `path` (the table's own file by default).
    Message Failure(const std::string& path) const;
    Message Failure() const { return Failure(path_.Str()); }
    // Why the table cannot serve a request now: not open, or a row being added.
    Message NotReady() const;
    void DefineField(int index, const char* name, FieldType type, void* member);
    // Runs once a connection's schema has been checked (columns added where missing).
    virtual void OnSchemaSynced() {}
    // Runs before a new row is inserted, with the members holding its values.
    virtual void OnInsert() {}
    // Derived classes call this when TableName() changes: statements prepared for the old
    // name must not run against the new one.
    void TableNameChanged() { DropCachedStatements(); }
    // Not for a table this connection made: a new file gets its indexes, it is not upgraded.
    void NoteSchemaChange(std::string change) {
        if (!tableMade_) {
            schemaChanges_.push_back(std::move(change));
        }
    }

private:
    bool OpenWithFlags(const std::string& path, int flags);
    // For a read-only table: the columns it lacks, read as empty without altering the file.
    bool ShadowMissingColumns();
    bool Usable() const { return open_ && db_ != nullptr; }
    std::string ReadClauses(const char* head, bool withFilter, bool withSort) const;
    SqliteStatement Prepare(const std::string& statement);
    void DropCachedStatements();
    void NoteError();
    void NoteError(int code, const std::string& text);
    void NoteReadError();
    bool CheckOnOpen();
    void ClearMembers();
    void LoadRow(sqlite3_stmt* statement, int firstColumn);
    static void LoadField(FieldBinding& field, sqlite3_stmt* statement, int column);
    bool LoadFromStream(int position);
    void EndStream();
    int BindFields(sqlite3_stmt* statement, bool onlyNamedInsert);
    Status InsertByColumnNames();
    void AppendRowId(int rowId);
    // A statement for `sql`, ready to step: one kept for statements of the same text but
    // their single-quoted values, which are bound, or else one of its own. Ended by
    // EndSharedStatement.
    sqlite3_stmt* SharedStatement(const std::string& sql);
    void EndSharedStatement(sqlite3_stmt* statement);
    // What every read of the row list starts with: the old list, stream and read error
    // dropped and the schema brought up to date; fails when the table cannot be read.
    Status StartListRead();
    // Requery, leaving the cursor on no row when `moveFirst` is false.
    Status ReadList(bool moveFirst);
    // Reads the row-id list that RequeryLater left for later.
    Status ReadDeferredList();

    sqlite3* db_ = nullptr;
    std::vector<FieldBinding> fields_;
    bool open_ = false;
    BufferString path_;
    int rowCount_ = 0;
    int position_ = -1;
    int tableColumns_ = 0;
    bool schemaSynced_ = false;
    std::vector<std::int32_t> rowIds_; // size() is the allocated capacity
    int loadedRowIds_ = 0;
    bool listDeferred_ = false; // RequeryLater counted the rows; the ids are not read yet
    std::string deferredFilter_;
    std::string deferredSort_;
    int pendingRowId_ = 0;
    bool adding_ = false;
    int currentRowId_ = 0;
    std::string lastError_;
    int lastCode_ = 0;
    bool damaged_ = false;
    std::optional<Message> readFailure_;
    bool readOnly_ = false;
    bool singleThread_ = false;
    std::vector<std::string> schemaChanges_;
    bool tableMade_ = false; // CreateTable made the table on this connection

    // Statements the cursor and the inserts run for every row: prepared once per
    // connection and table name instead of once per call.
    SqliteStatement rowStatement_;
    SqliteStatement insertStatement_;
    // Counts and first rows of composed conditions, kept by their text without the values.
    struct SharedQuery {
        std::string shape;
        SqliteStatement statement;
    };
    static constexpr std::size_t kSharedQueries = 8;
    std::vector<SharedQuery> sharedQueries_;
    SqliteStatement oneOff_; // a statement SharedStatement could not share

    // Walking the list row by row with a lookup each costs a lock round trip per row; a walk
    // in list order instead steps one query with the requery's own clauses. Every row it
    // yields is checked against the row-id list, and anything else falls back to the lookup,
    // so the cursor reads exactly the rows the list names. Ended by any change through this
    // object, by a requery and at the end of the walk, so its read lock is not kept.
    std::string streamQuery_;
    SqliteStatement stream_;
    int streamPosition_ = 0; // list position of the row the stream stands on

    SqliteStatement walk_;
    std::optional<Message> walkFailure_;
    std::vector<int> walkFields_; // of a narrow walk; empty for all fields
    // The page cache of a walk of whole rows, in SQLite's notation (negative: KiB), and the
    // connection's own setting to go back to when the walk ends (0 while none is kept).
    static constexpr int kWalkCache = -32768;
    int walkCacheRestore_ = 0;
};

} // namespace qa
