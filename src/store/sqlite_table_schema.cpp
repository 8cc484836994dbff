#include "store/sqlite_table.h"

#include <algorithm>
#include <sqlite3.h>

// The table and its columns: made, dropped, and brought up to the fields the program defines.

namespace qa {

namespace {

// Date, time, value and patient, the first fields every version defines.
constexpr std::size_t kFirstVersionKeyFields = 4;

} // namespace

Status SqliteTable::CreateTable() {
    if (!Usable()) {
        return NotReady();
    }
    if (fields_.empty() || FieldCount() == 0) {
        return Message(MessageId::TableRequestRefused, {path_.Str()});
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
    const Status made = Execute(sql);
    tableMade_ = tableMade_ || made.ok();
    const bool created = made.ok() || lastError_.find("already exists") != std::string::npos;
    DropCachedStatements();
    if (created) {
        return {};
    }
    return made;
}

Status SqliteTable::DropTable() {
    if (!Usable()) {
        return NotReady();
    }
    if (fields_.empty()) {
        return Message(MessageId::TableRequestRefused, {path_.Str()});
    }
    std::string table = TableName();
    DropCachedStatements();
    // Emptied first so the freed pages go back to the file; whether the table is gone is
    // what the caller needs to know.
    (void)Execute(FormatSql("DELETE FROM [%s]", table.c_str()));
    Status dropped = Execute(FormatSql("DROP TABLE  [%s]", table.c_str()));
    if (dropped) {
        schemaSynced_ = false;
    }
    return dropped;
}

bool SqliteTable::ShadowMissingColumns() {
    const std::string table = TableName();
    std::vector<std::string> present;
    {
        SqliteStatement probe = Prepare(FormatSql("SELECT * FROM [%s]", table.c_str()));
        if (!probe) {
            return false;
        }
        for (int c = 0; c < sqlite3_column_count(probe.Get()); ++c) {
            const char* name = sqlite3_column_name(probe.Get(), c);
            present.emplace_back(name != nullptr ? name : "");
        }
    }
    std::string extra;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const FieldBinding& field = fields_[i];
        if (std::find(present.begin(), present.end(), field.name) != present.end()) {
            continue;
        }
        // Date, time, value and patient were there from the first version on: a table
        // without them is not an older file but a broken one, and is not read as empty.
        if (i < kFirstVersionKeyFields) {
            NoteError(SQLITE_ERROR, "no such column: " + field.name);
            return false;
        }
        const char* empty = field.type == FieldInt ? "0" : field.type == FieldDouble ? "0.0" : "''";
        extra += FormatSql(", %s AS [%s]", empty, field.name.c_str());
    }
    if (extra.empty()) {
        return true;
    }
    // A view in the connection's own temporary schema takes the table's name: every query
    // of this connection, its conditions and orderings included, then reads the missing
    // columns as empty, and nothing is written to the file. The row id is passed through by
    // name, since a view has none of its own.
    const bool made =
        Execute(
            FormatSql(
                "CREATE TEMP VIEW IF NOT EXISTS [%s] AS SELECT *%s, rowid AS rowid FROM main.[%s]",
                table.c_str(), extra.c_str(), table.c_str()))
            .ok();
    DropCachedStatements();
    return made;
}

Status SqliteTable::SyncSchema() {
    if (!Usable()) {
        return NotReady();
    }
    if (fields_.empty() || FieldCount() == 0) {
        return Message(MessageId::TableRequestRefused, {path_.Str()});
    }
    // A reader never upgrades a file: the columns a later version added read as empty, and
    // the file is brought up to date by the next writable open.
    if (readOnly_ && !ShadowMissingColumns()) {
        return Failure();
    }
    std::string table = TableName();
    // Finds our fields among the table's columns; the probe holds the table's schema, so it
    // is gone before the table is altered.
    const auto mapColumns = [this] {
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
        return true;
    };
    if (!mapColumns()) {
        return Failure();
    }
    if (sqlite3_db_readonly(db_, "main") == 1) {
        // A read-only open never writes: a column the file lacks reads as empty, and the
        // file is brought up to date by the next open that may write.
        schemaSynced_ = true;
        return {};
    }
    bool altered = false;
    Status complete; // the first column that could not be added
    for (const FieldBinding& field : fields_) {
        if (field.column != -1) {
            continue;
        }
        const char* tname = table.c_str();
        const char* cname = field.name.c_str();
        const char* type = "LongBinary";
        const char* empty = nullptr; // a blob column stays NULL
        switch (field.type) {
        case FieldText:
            type = "TEXT";
            empty = "\"\"";
            break;
        case FieldInt:
            type = "Integer";
            empty = "0";
            break;
        case FieldDouble:
            type = "Double";
            empty = "0.0";
            break;
        case FieldBlob:
            break;
        }
        Status added =
            Execute(FormatSql("ALTER TABLE [%s] ADD COLUMN [%s] %s", tname, cname, type));
        if (added && empty != nullptr) {
            added = Execute(FormatSql("UPDATE %s SET [%s] = %s", tname, cname, empty));
        }
        if (added) {
            NoteSchemaChange("column " + field.name);
            altered = true;
        } else if (complete) {
            complete = added;
        }
    }
    if (altered) {
        DropCachedStatements();
        // The added columns are read from now on, not only after the next open.
        if (!mapColumns()) {
            return Failure();
        }
    }
    // A column that could not be added (a read-only or damaged file) leaves the schema
    // unsynced: rows read now would leave that field empty, and an insert would fail.
    if (!complete) {
        return complete;
    }
    schemaSynced_ = true;
    OnSchemaSynced();
    return {};
}

} // namespace qa
