#include "store/sqlite_table.h"

#include <sqlite3.h>

// Prepared statements the table keeps: one-off, cached per query shape, and dropped together.

namespace qa {

SqliteStatement SqliteTable::Prepare(const std::string& statement) {
    SqliteStatement prepared = PrepareStatement(db_, statement);
    if (!prepared) {
        NoteError();
    }
    return prepared;
}

void SqliteTable::DropCachedStatements() {
    EndWalk();
    EndStream();
    rowStatement_.Reset();
    insertStatement_.Reset();
    sharedQueries_.clear();
    oneOff_.Reset();
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

} // namespace qa
