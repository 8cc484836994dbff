#include "store/sqlite_statement.h"

#include <sqlite3.h>

namespace qa {

void SqliteStatement::Reset(sqlite3_stmt* statement) {
    if (statement_ != nullptr) {
        sqlite3_finalize(statement_);
    }
    statement_ = statement;
}

bool IndexExists(sqlite3* db, const std::string& name) {
    SqliteStatement statement =
        PrepareStatement(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'index' AND name = ?1");
    if (!statement) {
        return false;
    }
    sqlite3_bind_text(statement.Get(), 1, name.data(), static_cast<int>(name.size()),
                      SQLITE_TRANSIENT);
    return sqlite3_step(statement.Get()) == SQLITE_ROW;
}

SqliteStatement PrepareStatement(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* prepared = nullptr;
    if (db == nullptr) {
        return SqliteStatement();
    }
    // A failed prepare leaves `prepared` null, so the empty holder is all that comes back.
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &prepared, nullptr);
    SqliteStatement statement(prepared);
    if (rc != SQLITE_OK) {
        statement.Reset();
    }
    return statement;
}

} // namespace qa
