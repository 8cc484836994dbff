#pragma once

#include <string>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace qa {

// Owns one prepared statement and finalizes it when it goes, so no path through a function
// (an early return, a failed step) leaves a statement holding its table's lock.
class SqliteStatement {
public:
    SqliteStatement() = default;
    explicit SqliteStatement(sqlite3_stmt* statement) : statement_(statement) {}
    ~SqliteStatement() { Reset(); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    SqliteStatement(SqliteStatement&& other) noexcept
        : statement_(std::exchange(other.statement_, nullptr)) {}
    SqliteStatement& operator=(SqliteStatement&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.statement_, nullptr));
        }
        return *this;
    }

    sqlite3_stmt* Get() const { return statement_; }
    explicit operator bool() const { return statement_ != nullptr; }
    // Finalizes the statement held and holds `statement` instead.
    void Reset(sqlite3_stmt* statement = nullptr);

private:
    sqlite3_stmt* statement_ = nullptr;
};

// Prepares `sql` on `db`; an empty statement when that fails (sqlite3_errmsg says why).
SqliteStatement PrepareStatement(sqlite3* db, const std::string& sql);

// Whether the file's own schema (not a temporary one) holds an index of that name.
bool IndexExists(sqlite3* db, const std::string& name);

} // namespace qa
