#include "store/sqlite_table.h"

#include <sqlite3.h>

// The table and its columns: made, dropped, and brought up to the fields the program defines.

namespace qa {

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

bool SqliteTable::SyncSchema() {
    if (!Usable() || fields_.empty() || FieldCount() == 0) {
        return false;
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
        return false;
    }
    if (sqlite3_db_readonly(db_, "main") == 1) {
        // A read-only open never writes: a column the file lacks reads as empty, and the
        // file is brought up to date by the next open that may write.
        schemaSynced_ = true;
        return true;
    }
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
        // The added columns are read from now on, not only after the next open.
        if (!mapColumns()) {
            return false;
        }
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

} // namespace qa
