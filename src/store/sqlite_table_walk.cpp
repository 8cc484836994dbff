#include "store/sqlite_table.h"

#include <sqlite3.h>

// Walks: one forward pass over the filtered rows, reading only the fields asked for.

namespace qa {

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
                fields_[static_cast<std::size_t>(index)].member == nullptr) {
                walkFailed_ = true;
                return false;
            }
            // A column the file lacks (read-only, not brought up to date) reads as empty.
            const FieldBinding& field = fields_[static_cast<std::size_t>(index)];
            head += field.column < 0 ? ", NULL" : ", [" + field.name + "]";
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

} // namespace qa
