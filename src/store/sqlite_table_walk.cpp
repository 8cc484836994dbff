#include "store/sqlite_table.h"

#include <sqlite3.h>

// Walks: one forward pass over the filtered rows, reading only the fields asked for.

namespace qa {

Status SqliteTable::StartWalk() {
    return StartWalk({});
}

Status SqliteTable::WalkStatus() const {
    if (walkFailure_) {
        return *walkFailure_;
    }
    return {};
}

Status SqliteTable::StartWalk(const std::vector<int>& fields) {
    EndWalk();
    if (!Usable() || pendingRowId_ != 0 || adding_) {
        walkFailure_ = NotReady();
        return *walkFailure_;
    }
    EndStream();
    if (!schemaSynced_) {
        if (Status synced = SyncSchema(); !synced) {
            walkFailure_ = synced.error();
            return synced;
        }
    }
    std::string head = "SELECT ROWID, *";
    if (!fields.empty()) {
        head = "SELECT ROWID";
        for (int index : fields) {
            if (index < 0 || index >= static_cast<int>(fields_.size()) ||
                fields_[static_cast<std::size_t>(index)].member == nullptr) {
                walkFailure_ = Message(MessageId::TableRequestRefused, {path_.Str()});
                return *walkFailure_;
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
    if (!walk_) {
        NoteReadError();
        walkFailure_ = Failure();
        return *walkFailure_;
    }
    return {};
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
        walkFailure_ = Failure();
    }
    // Done: let go of the read lock at once.
    walk_.Reset();
    return false;
}

void SqliteTable::EndWalk() {
    walk_.Reset();
    walkFailure_.reset();
    if (walkCacheRestore_ != 0) {
        const int restore = walkCacheRestore_;
        walkCacheRestore_ = 0;
        (void)Execute(FormatSql("PRAGMA cache_size=%d", restore));
    }
}

Status SqliteTable::ForEachRow(const std::function<bool()>& each) {
    if (Status started = StartWalk(); !started) {
        EndWalk();
        return started;
    }
    while (WalkNext()) {
        if (!each()) {
            break;
        }
    }
    Status walked = WalkStatus();
    EndWalk();
    return walked;
}

Status
SqliteTable::ForEachRowId(const std::string& column,
                          const std::function<void(int rowId, std::string_view text)>& each) {
    if (!Usable()) {
        return NotReady();
    }
    if (column.find_first_of("[]") != std::string::npos) {
        return Message(MessageId::TableRequestRefused, {path_.Str()});
    }
    if (!schemaSynced_) {
        if (Status synced = SyncSchema(); !synced) {
            return synced;
        }
    }
    std::string head = column.empty() ? "SELECT ROWID, NULL FROM [%s]"
                                      : "SELECT ROWID, [" + column + "] FROM [%s]";
    SqliteStatement prepared = Prepare(ReadClauses(head.c_str(), true, true));
    sqlite3_stmt* statement = prepared.Get();
    if (statement == nullptr) {
        NoteReadError();
        return Failure();
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
        return Failure();
    }
    return {};
}

} // namespace qa
