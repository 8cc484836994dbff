#include "interop/outbox.h"

#include "interop/delivery.h"
#include "store/system_error.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qa::interop {

namespace {

// Finalizes on every path out of a function.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, std::string& error) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(db);
            stmt_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }
    void Bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    void Bind(int index, int value) { sqlite3_bind_int(stmt_, index, value); }
    std::string Text(int column) const {
        const unsigned char* text = sqlite3_column_text(stmt_, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

DeliveryState StateOf(int code) {
    return code == 1   ? DeliveryState::Sent
           : code == 2 ? DeliveryState::Held
                       : DeliveryState::Pending;
}

int CodeOf(DeliveryState state) {
    return state == DeliveryState::Sent ? 1 : state == DeliveryState::Held ? 2 : 0;
}

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS outbox (
    seq        INTEGER PRIMARY KEY AUTOINCREMENT,
    control_id TEXT NOT NULL UNIQUE,
    message    TEXT NOT NULL,
    state      INTEGER NOT NULL DEFAULT 0,   -- 0 pending, 1 sent, 2 held
    reason     TEXT NOT NULL DEFAULT '',
    queued_at  TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%SZ','now')),
    changed_at TEXT,
    result     TEXT NOT NULL DEFAULT ''       -- the stored result the message was made from
);
CREATE INDEX IF NOT EXISTS outbox_state ON outbox(state, seq);
CREATE TABLE IF NOT EXISTS delivered (
    result_key TEXT PRIMARY KEY,
    control_id TEXT NOT NULL,
    result     TEXT NOT NULL,
    live       INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS kept (
    key   TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
)";

} // namespace

const char* DeliveryStateText(DeliveryState state) {
    switch (state) {
    case DeliveryState::Pending:
        return "pending";
    case DeliveryState::Sent:
        return "sent";
    case DeliveryState::Held:
        return "held";
    }
    return "";
}

Outbox::~Outbox() {
    Close();
}

std::string Outbox::PathFor(const std::string& dataFolder, const std::string& operatorId) {
    return dataFolder + "/" + operatorId + kOutboxFileSuffix;
}

void Outbox::Close() {
    if (db_ != nullptr) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

Message Outbox::Failure() const {
    return Message(MessageId::OutboxNotWritten, {path_, error_});
}

Status Outbox::Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        error_ = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        return Failure();
    }
    return {};
}

void Outbox::Rollback() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

Status Outbox::Open(const std::string& path) {
    Close();
    path_ = path;
    // Created owner-only before SQLite opens it: the file holds patients' IDs and names.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return Message(MessageId::OutboxUnusable, {path, SystemErrorText(errno)});
    }
    ::close(fd);
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK) {
        Message failure(MessageId::OutboxUnusable,
                        {path, db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(SQLITE_NOMEM)});
        Close();
        return failure;
    }
    sqlite3_busy_timeout(db_, 5000);
    // WAL with NORMAL sync: a state change survives the program being killed at any point;
    // only a power cut can lose the last changes, and then in the safe direction only: a
    // "sent" mark lost means the result goes again with the same control ID (the receiver
    // can drop the copy), a queued entry lost is queued again from the stored results.
    // Syncing every acknowledgement would cost a disk flush per message.
    if (!Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;") || !Exec(kSchema) ||
        !AddResultColumn() || !AddFollowUpColumns()) {
        Message failure(MessageId::OutboxUnusable, {path, error_});
        Close();
        return failure;
    }
    return {};
}

Status Outbox::AddResultColumn() {
    // Files made before the outbox kept the stored result get the column; their entries
    // are given their results when the results are queued again.
    std::string ignored;
    if (Statement probe(db_, "SELECT result FROM outbox LIMIT 0", ignored); probe) {
        return {};
    }
    return Exec("ALTER TABLE outbox ADD COLUMN result TEXT NOT NULL DEFAULT ''");
}

Status Outbox::AddFollowUpColumns() {
    std::string ignored;
    if (Statement probe(db_, "SELECT result_key, kind FROM outbox LIMIT 0", ignored); probe) {
        return {};
    }
    // A file of a version that sent first messages only: every entry is one, and what was
    // acknowledged is what the receiver holds of its result.
    if (!Exec("BEGIN IMMEDIATE")) {
        return Failure();
    }
    if (!Exec("ALTER TABLE outbox ADD COLUMN result_key TEXT NOT NULL DEFAULT ''") ||
        !Exec("ALTER TABLE outbox ADD COLUMN kind INTEGER NOT NULL DEFAULT 0")) {
        Rollback();
        return Failure();
    }
    std::vector<std::pair<std::string, std::string>> keys; // control ID, result key
    {
        Statement select(db_, "SELECT control_id, result FROM outbox ORDER BY seq", error_);
        if (!select) {
            Rollback();
            return Failure();
        }
        while (sqlite3_step(select.get()) == SQLITE_ROW) {
            std::optional<StoredResult> result = DecodeStoredResult(select.Text(1));
            if (result && !result->resultId.empty()) {
                keys.emplace_back(select.Text(0), result->resultId);
            }
        }
    }
    Statement update(db_, "UPDATE outbox SET result_key = ? WHERE control_id = ?", error_);
    Statement remember(db_,
                       "INSERT OR REPLACE INTO delivered(result_key, control_id, result, live) "
                       "SELECT result_key, control_id, result, 1 FROM outbox "
                       "WHERE control_id = ? AND state = 1",
                       error_);
    if (!update || !remember) {
        Rollback();
        return Failure();
    }
    for (const auto& [controlId, key] : keys) {
        update.Bind(1, key);
        update.Bind(2, controlId);
        remember.Bind(1, controlId);
        if (sqlite3_step(update.get()) != SQLITE_DONE ||
            sqlite3_step(remember.get()) != SQLITE_DONE) {
            error_ = sqlite3_errmsg(db_);
            Rollback();
            return Failure();
        }
        sqlite3_reset(update.get());
        sqlite3_reset(remember.get());
    }
    if (!Exec("COMMIT")) {
        Rollback();
        return Failure();
    }
    return {};
}

Status Outbox::KnownIds(std::unordered_map<std::string, DeliveryState>& states) const {
    states.clear();
    Statement select(db_, "SELECT control_id, state FROM outbox", error_);
    if (!select) {
        return Failure();
    }
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        states.emplace(select.Text(0), StateOf(sqlite3_column_int(select.get(), 1)));
    }
    return {};
}

Expected<int> Outbox::Enqueue(const std::vector<OutboxEntry>& entries) {
    if (entries.empty()) {
        return 0;
    }
    if (!Exec("BEGIN IMMEDIATE")) {
        return Failure();
    }
    int added = 0;
    {
        Statement insert(db_,
                         "INSERT OR IGNORE INTO outbox(control_id, message, result, state, "
                         "reason, result_key, kind) VALUES(?, ?, ?, ?, ?, ?, ?)",
                         error_);
        if (!insert) {
            Rollback();
            return Failure();
        }
        for (const OutboxEntry& entry : entries) {
            insert.Bind(1, entry.controlId);
            insert.Bind(2, entry.message);
            insert.Bind(3, entry.result);
            insert.Bind(4, CodeOf(entry.state == DeliveryState::Sent ? DeliveryState::Pending
                                                                     : entry.state));
            insert.Bind(5, entry.reason);
            insert.Bind(6, entry.resultKey);
            insert.Bind(7, static_cast<int>(entry.kind));
            if (sqlite3_step(insert.get()) != SQLITE_DONE) {
                error_ = sqlite3_errmsg(db_);
                sqlite3_reset(insert.get());
                Rollback();
                return Failure();
            }
            added += sqlite3_changes(db_);
            sqlite3_reset(insert.get());
        }
    }
    if (!Exec("COMMIT")) {
        Rollback();
        return Failure();
    }
    return added;
}

Expected<int> Outbox::FillResults(const std::vector<OutboxEntry>& entries) {
    if (entries.empty()) {
        return 0;
    }
    if (!Exec("BEGIN IMMEDIATE")) {
        return Failure();
    }
    int filled = 0;
    {
        Statement update(db_,
                         "UPDATE outbox SET result = ?, result_key = ? WHERE control_id = ? "
                         "AND result = ''",
                         error_);
        if (!update) {
            Rollback();
            return Failure();
        }
        for (const OutboxEntry& entry : entries) {
            update.Bind(1, entry.result);
            update.Bind(2, entry.resultKey);
            update.Bind(3, entry.controlId);
            if (sqlite3_step(update.get()) != SQLITE_DONE) {
                error_ = sqlite3_errmsg(db_);
                sqlite3_reset(update.get());
                Rollback();
                return Failure();
            }
            filled += sqlite3_changes(db_);
            sqlite3_reset(update.get());
        }
    }
    if (!Exec("COMMIT")) {
        Rollback();
        return Failure();
    }
    return filled;
}

Status Outbox::UnsentResults(std::unordered_map<std::string, std::string>& results) const {
    results.clear();
    Statement select(db_, "SELECT control_id, result FROM outbox WHERE state <> 1", error_);
    if (!select) {
        return Failure();
    }
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        results.emplace(select.Text(0), select.Text(1));
    }
    return {};
}

Status Outbox::IdsWithoutResult(std::unordered_set<std::string>& ids) const {
    ids.clear();
    Statement select(db_, "SELECT control_id FROM outbox WHERE state <> 1 AND result = ''", error_);
    if (!select) {
        return Failure();
    }
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        ids.insert(select.Text(0));
    }
    return {};
}

std::vector<OutboxEntry> Outbox::Pending() const {
    std::vector<OutboxEntry> entries;
    Statement select(db_,
                     "SELECT control_id, message, reason, result, result_key, kind FROM outbox "
                     "WHERE state = 0 ORDER BY seq",
                     error_);
    if (!select) {
        return entries;
    }
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        entries.push_back({select.Text(0), select.Text(1), DeliveryState::Pending, select.Text(2),
                           select.Text(3), select.Text(4),
                           static_cast<MessageKind>(sqlite3_column_int(select.get(), 5))});
    }
    return entries;
}

Expected<std::vector<OutboxEntry>> Outbox::HeldFor(const std::string& reason) const {
    std::vector<OutboxEntry> entries;
    Statement select(db_,
                     "SELECT control_id, message, result FROM outbox WHERE state = 2 AND "
                     "reason = ? ORDER BY seq",
                     error_);
    if (!select) {
        return Failure();
    }
    select.Bind(1, reason);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(select.get())) == SQLITE_ROW) {
        entries.push_back(
            {select.Text(0), select.Text(1), DeliveryState::Held, reason, select.Text(2)});
    }
    if (step != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        return Failure();
    }
    return entries;
}

std::optional<OutboxEntry> Outbox::Find(const std::string& controlId) const {
    Statement select(
        db_,
        "SELECT message, state, reason, result, result_key, kind FROM outbox WHERE control_id = ?",
        error_);
    if (!select) {
        return std::nullopt;
    }
    select.Bind(1, controlId);
    if (sqlite3_step(select.get()) != SQLITE_ROW) {
        return std::nullopt;
    }
    return OutboxEntry{controlId,
                       select.Text(0),
                       StateOf(sqlite3_column_int(select.get(), 1)),
                       select.Text(2),
                       select.Text(3),
                       select.Text(4),
                       static_cast<MessageKind>(sqlite3_column_int(select.get(), 5))};
}

int Outbox::Count(DeliveryState state) const {
    Statement select(db_, "SELECT count(*) FROM outbox WHERE state = ?", error_);
    if (!select) {
        return -1;
    }
    select.Bind(1, CodeOf(state));
    return sqlite3_step(select.get()) == SQLITE_ROW ? sqlite3_column_int(select.get(), 0) : -1;
}

int Outbox::CountHeldFor(const std::string& reason) const {
    Statement select(db_, "SELECT count(*) FROM outbox WHERE state = 2 AND reason = ?", error_);
    if (!select) {
        return -1;
    }
    select.Bind(1, reason);
    return sqlite3_step(select.get()) == SQLITE_ROW ? sqlite3_column_int(select.get(), 0) : -1;
}

Status Outbox::SetState(const std::string& controlId, DeliveryState state,
                        const std::string& reason) {
    Statement update(db_,
                     "UPDATE outbox SET state = ?, reason = ?, "
                     "changed_at = strftime('%Y-%m-%dT%H:%M:%SZ','now') WHERE control_id = ?",
                     error_);
    if (!update) {
        return Failure();
    }
    update.Bind(1, CodeOf(state));
    update.Bind(2, reason);
    update.Bind(3, controlId);
    if (sqlite3_step(update.get()) != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        return Failure();
    }
    if (sqlite3_changes(db_) != 1) {
        return Message(MessageId::OutboxNoEntry, {path_, controlId});
    }
    return {};
}

Status Outbox::MarkSent(const std::string& controlId) {
    // The state and what the receiver holds change together: a crash between them would
    // have the next run correct a result against a version the receiver never had.
    if (!Exec("BEGIN IMMEDIATE")) {
        return Failure();
    }
    if (Status set = SetState(controlId, DeliveryState::Sent, ""); !set) {
        Rollback();
        return set;
    }
    Statement remember(db_,
                       "INSERT OR REPLACE INTO delivered(result_key, control_id, result, live) "
                       "SELECT result_key, control_id, result, kind IN (0, 1, 4) FROM outbox "
                       "WHERE control_id = ? AND result_key <> ''",
                       error_);
    if (!remember) {
        Rollback();
        return Failure();
    }
    remember.Bind(1, controlId);
    if (sqlite3_step(remember.get()) != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        Rollback();
        return Failure();
    }
    if (Status committed = Exec("COMMIT"); !committed) {
        Rollback();
        return committed;
    }
    return {};
}

Status Outbox::MarkHeld(const std::string& controlId, const std::string& reason) {
    if (Status set = SetState(controlId, DeliveryState::Held, reason); !set) {
        return set;
    }
    Statement forget(db_, "DELETE FROM delivered WHERE control_id = ?", error_);
    if (!forget) {
        return Failure();
    }
    forget.Bind(1, controlId);
    if (sqlite3_step(forget.get()) != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        return Failure();
    }
    return {};
}

Status Outbox::Delivered(std::unordered_map<std::string, DeliveredResult>& delivered) const {
    delivered.clear();
    Statement select(db_, "SELECT result_key, control_id, result, live FROM delivered", error_);
    if (!select) {
        return Failure();
    }
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        delivered[select.Text(0)] = {select.Text(1), select.Text(2),
                                     sqlite3_column_int(select.get(), 3) != 0};
    }
    if (rc != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        return Failure();
    }
    return {};
}

Status Outbox::ResultStates(std::unordered_map<std::string, ResultDelivery>& states) const {
    states.clear();
    std::unordered_map<std::string, std::string> lastSent; // result key, control ID
    {
        Statement select(db_, "SELECT result_key, control_id FROM delivered", error_);
        if (!select) {
            return Failure();
        }
        while (sqlite3_step(select.get()) == SQLITE_ROW) {
            lastSent.emplace(select.Text(0), select.Text(1));
        }
    }
    Statement select(db_, "SELECT control_id, result_key, kind, state FROM outbox ORDER BY seq",
                     error_);
    if (!select) {
        return Failure();
    }
    std::unordered_set<std::string> unsent;
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        const std::string controlId = select.Text(0);
        std::string key = select.Text(1);
        const ResultDelivery delivery{
            StateOf(sqlite3_column_int(select.get(), 3)),
            static_cast<MessageKind>(sqlite3_column_int(select.get(), 2))};
        if (key.empty()) {
            states[controlId] = delivery;
            continue;
        }
        if (delivery.state != DeliveryState::Sent) {
            if (unsent.insert(key).second) {
                states[key] = delivery;
            }
            continue;
        }
        auto last = lastSent.find(key);
        if (unsent.count(key) == 0 && (last == lastSent.end() || last->second == controlId)) {
            states[key] = delivery;
        }
    }
    return {};
}

int Outbox::Count(DeliveryState state, MessageKind kind) const {
    Statement select(db_, "SELECT count(*) FROM outbox WHERE state = ? AND kind = ?", error_);
    if (!select) {
        return -1;
    }
    select.Bind(1, CodeOf(state));
    select.Bind(2, static_cast<int>(kind));
    return sqlite3_step(select.get()) == SQLITE_ROW ? sqlite3_column_int(select.get(), 0) : -1;
}

Status Outbox::Replace(const std::string& controlId, const OutboxEntry& replacement) {
    Statement update(db_,
                     "UPDATE outbox SET control_id = ?, message = ?, result = ?, state = ?, "
                     "reason = ?, result_key = ?, kind = ?, "
                     "changed_at = strftime('%Y-%m-%dT%H:%M:%SZ','now') "
                     "WHERE control_id = ? AND state <> 1",
                     error_);
    if (!update) {
        return Failure();
    }
    update.Bind(1, replacement.controlId);
    update.Bind(2, replacement.message);
    update.Bind(3, replacement.result);
    update.Bind(4, CodeOf(replacement.state));
    update.Bind(5, replacement.reason);
    update.Bind(6, replacement.resultKey);
    update.Bind(7, static_cast<int>(replacement.kind));
    update.Bind(8, controlId);
    if (sqlite3_step(update.get()) != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        return Failure();
    }
    if (sqlite3_changes(db_) != 1) {
        return Message(MessageId::OutboxNoEntry, {path_, controlId});
    }
    return {};
}

std::string Outbox::Setting(const std::string& key) const {
    Statement select(db_, "SELECT value FROM kept WHERE key = ?", error_);
    if (!select) {
        return {};
    }
    select.Bind(1, key);
    return sqlite3_step(select.get()) == SQLITE_ROW ? select.Text(0) : std::string();
}

Status Outbox::SetSetting(const std::string& key, const std::string& value) {
    Statement upsert(db_, "INSERT OR REPLACE INTO kept(key, value) VALUES(?, ?)", error_);
    if (!upsert) {
        return Failure();
    }
    upsert.Bind(1, key);
    upsert.Bind(2, value);
    if (sqlite3_step(upsert.get()) != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        return Failure();
    }
    return {};
}

Expected<int> Outbox::ReleaseHeld(const std::string& keptReason) {
    Statement update(db_,
                     "UPDATE outbox SET state = 0, changed_at = strftime('%Y-%m-%dT%H:%M:%SZ',"
                     "'now') WHERE state = 2 AND reason <> ?",
                     error_);
    if (!update) {
        return Failure();
    }
    update.Bind(1, keptReason.empty() ? std::string("\x01") : keptReason);
    if (sqlite3_step(update.get()) != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        return Failure();
    }
    return sqlite3_changes(db_);
}

Expected<int> Outbox::ReleaseHeldFor(const std::string& reason) {
    Statement update(db_,
                     "UPDATE outbox SET state = 0, reason = '', changed_at = "
                     "strftime('%Y-%m-%dT%H:%M:%SZ','now') WHERE state = 2 AND reason = ?",
                     error_);
    if (!update) {
        return Failure();
    }
    update.Bind(1, reason);
    if (sqlite3_step(update.get()) != SQLITE_DONE) {
        error_ = sqlite3_errmsg(db_);
        return Failure();
    }
    return sqlite3_changes(db_);
}

Expected<int> Outbox::DropUnsent(const std::string& prefix,
                                 const std::unordered_set<std::string>& current,
                                 const std::optional<std::string>& reason) {
    std::vector<std::string> gone;
    {
        Statement select(db_,
                         reason ? "SELECT control_id FROM outbox WHERE state = 2 AND reason = ?"
                                : "SELECT control_id FROM outbox WHERE state <> 1",
                         error_);
        if (!select) {
            return Failure();
        }
        if (reason) {
            select.Bind(1, *reason);
        }
        while (sqlite3_step(select.get()) == SQLITE_ROW) {
            std::string id = select.Text(0);
            if (id.compare(0, prefix.size(), prefix) == 0 && current.count(id) == 0) {
                gone.push_back(std::move(id));
            }
        }
    }
    Statement remove(db_, "DELETE FROM outbox WHERE control_id = ? AND state <> 1", error_);
    if (!remove) {
        return Failure();
    }
    for (const std::string& id : gone) {
        remove.Bind(1, id);
        if (sqlite3_step(remove.get()) != SQLITE_DONE) {
            error_ = sqlite3_errmsg(db_);
            return Failure();
        }
        sqlite3_reset(remove.get());
    }
    return static_cast<int>(gone.size());
}

} // namespace qa::interop
