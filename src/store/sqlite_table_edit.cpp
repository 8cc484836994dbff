#include "store/sqlite_table.h"

#include <sqlite3.h>

// Changes to the rows: adding, editing, updating and deleting.

namespace qa {

Status SqliteTable::DeleteWhere() {
    if (!Usable()) {
        return NotReady();
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
    if (rc != SQLITE_DONE) {
        return Failure();
    }
    return {};
}

Status SqliteTable::AddNew() {
    if (!Usable() || pendingRowId_ != 0 || adding_) {
        return NotReady();
    }
    if (fields_.empty()) {
        return Message(MessageId::TableRequestRefused, {path_.Str()});
    }
    EndStream();
    ClearMembers();
    adding_ = true;
    return {};
}

Status SqliteTable::BeginEdit() {
    if (!Usable() || pendingRowId_ != 0) {
        return NotReady();
    }
    if (fields_.empty()) {
        return Message(MessageId::TableRequestRefused, {path_.Str()});
    }
    adding_ = false;
    return {};
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

Status SqliteTable::InsertByColumnNames() {
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
    if (!inserted) {
        return Failure();
    }
    return {};
}

Status SqliteTable::Update() {
    if (adding_ && Usable()) {
        OnInsert();
    }
    if (FieldCount() < tableColumns_ && adding_ && Usable()) {
        return InsertByColumnNames();
    }
    if (!Usable()) {
        return NotReady();
    }
    if (fields_.empty() || !adding_) {
        // Rows are changed through UpdateWhere; an update without AddNew stores nothing.
        return Message(MessageId::TableRequestRefused, {path_.Str()});
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
    if (!inserted) {
        return Failure();
    }
    return {};
}

Status SqliteTable::UpdateWhere(const std::string& condition) {
    if (!Usable() || adding_) {
        return NotReady();
    }
    if (fields_.empty()) {
        return Message(MessageId::TableRequestRefused, {path_.Str()});
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
    if (!updated) {
        return Failure();
    }
    return {};
}

} // namespace qa
