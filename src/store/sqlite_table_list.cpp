#include "store/sqlite_table.h"

#include <sqlite3.h>

// The row list: its query, its count, its reading in full or deferred, and moving through it.

namespace qa {

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

void SqliteTable::EndStream() {
    stream_.Reset();
    streamPosition_ = 0;
}

Expected<int> SqliteTable::CountRows() {
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
        return Failure();
    }
    return count;
}

Status SqliteTable::Requery() {
    return ReadList(true);
}

Status SqliteTable::StartListRead() {
    if (!Usable()) {
        return NotReady();
    }
    loadedRowIds_ = 0;
    listDeferred_ = false;
    readFailure_.reset();
    EndStream();
    streamQuery_.clear();
    if (!schemaSynced_) {
        if (Status synced = SyncSchema(); !synced) {
            readFailure_ = synced.error();
            return synced;
        }
    }
    return {};
}

Status SqliteTable::ReadList(bool moveFirst) {
    if (Status started = StartListRead(); !started) {
        return started;
    }
    const Expected<int> count = CountRows();
    rowCount_ = count ? *count : 0;
    position_ = 1;
    rowIds_.assign(static_cast<std::size_t>(rowCount_) + kRowIdGrowth, 0);
    if (!count) {
        return count.status();
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
            return Failure();
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
    return {};
}

Expected<bool> SqliteTable::RequeryAny() {
    if (Status read = RequeryLater(); !read) {
        return read;
    }
    return rowCount_ > 0;
}

Status SqliteTable::RequeryLater() {
    if (Status started = StartListRead(); !started) {
        return started;
    }
    position_ = 1;
    rowCount_ = 0;
    const Expected<int> count = CountRows();
    if (!count) {
        rowIds_.assign(kRowIdGrowth, 0);
        return count.status();
    }
    const int counted = *count;
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
            return Failure();
        }
        if (rc == SQLITE_ROW) {
            rowCount_ = counted;
            // A first row that cannot be read leaves the members empty and ReadFailed set;
            // the count stands.
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
    return {};
}

Status SqliteTable::ReadDeferredList() {
    if (!listDeferred_) {
        return {};
    }
    // Under the clauses of RequeryLater, which the caller may have changed since; the cursor
    // and the members stay where they are.
    const std::string filterNow = filter.Str();
    const std::string sortNow = sort.Str();
    filter = deferredFilter_;
    sort = deferredSort_;
    const int position = position_;
    Status read = ReadList(false);
    filter = filterNow;
    sort = sortNow;
    position_ = position;
    return read;
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

Status SqliteTable::MoveTo(int position) {
    if (!Usable() || pendingRowId_ != 0 || adding_) {
        return NotReady();
    }
    if (position <= 0) {
        return Message(MessageId::TableRequestRefused, {path_.Str()});
    }
    if (Status read = ReadDeferredList(); !read) {
        return read;
    }
    if (rowIds_.empty()) {
        // No list was read (a failed requery left none).
        return Message(MessageId::TableRequestRefused, {path_.Str()});
    }
    if (rowCount_ == 0) {
        return {};
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
    return {};
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

Expected<bool> SqliteTable::LoadRowById(int rowId) {
    if (!Usable() || pendingRowId_ != 0 || adding_) {
        return NotReady();
    }
    if (!schemaSynced_) {
        if (Status synced = SyncSchema(); !synced) {
            return synced;
        }
    }
    if (!rowStatement_) {
        rowStatement_ =
            Prepare(FormatSql("SELECT * FROM [%s] WHERE ROWID = ?", TableName().c_str()));
    }
    bool found = false;
    bool failed = false;
    if (sqlite3_stmt* statement = rowStatement_.Get()) {
        sqlite3_bind_int(statement, 1, rowId);
        int rc = sqlite3_step(statement);
        found = rc == SQLITE_ROW;
        if (found) {
            LoadRow(statement, 0);
        } else if (rc != SQLITE_DONE) {
            NoteError();
            NoteReadError();
            failed = true;
        }
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    } else {
        NoteReadError();
        failed = true;
    }
    if (!found) {
        ClearMembers();
    }
    currentRowId_ = rowId;
    if (failed) {
        return Failure();
    }
    return found;
}

bool SqliteTable::MoveFirst() {
    return open_ && MoveTo(1).ok();
}

bool SqliteTable::MoveNext() {
    if (rowCount_ < position_) {
        return false;
    }
    ++position_;
    return MoveTo(position_).ok();
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

} // namespace qa
