#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct sqlite3;

namespace qa::interop {

inline constexpr const char* kOutboxFileSuffix = "_Outbox.sqlite";

enum class DeliveryState { Pending, Sent, Held };
const char* DeliveryStateText(DeliveryState state); // "pending", "sent", "held"

struct OutboxEntry {
    std::string controlId;
    std::string message;
    DeliveryState state = DeliveryState::Pending;
    std::string reason; // why the receiver refused it (held)
    // The stored result the message was made from (EncodeStoredResult), so a destination
    // that takes another format composes it from the same result; empty in entries queued
    // before the outbox kept it.
    std::string result;
};

// The delivery state of every result of one operator, in a SQLite file of its own beside
// the measurement files, which stay as they are. A result enters as pending with the message
// made for it, and leaves pending only when the receiver has answered for it: nothing is
// marked sent before its acknowledgement, so a crash or a dropped link leaves it pending.
class Outbox {
public:
    Outbox() = default;
    ~Outbox();
    Outbox(const Outbox&) = delete;
    Outbox& operator=(const Outbox&) = delete;

    static std::string PathFor(const std::string& dataFolder, const std::string& operatorId);

    // Opens or creates the file (owner-only). False with `error` when it cannot be used.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return db_ != nullptr; }
    void Close();

    // The control IDs the outbox knows, whatever their state.
    bool KnownIds(std::unordered_map<std::string, DeliveryState>& states) const;
    // Adds the entries not known yet, as pending, in one transaction; an entry already known
    // keeps its state and message. Returns the number added, or -1 on failure.
    int Enqueue(const std::vector<OutboxEntry>& entries);
    // Gives entries queued without their stored result the one of `entries` with the same
    // control ID; returns the number filled, -1 on failure.
    int FillResults(const std::vector<OutboxEntry>& entries);
    // The control IDs of the entries not sent yet that lack their stored result.
    bool IdsWithoutResult(std::unordered_set<std::string>& ids) const;
    // Pending entries, oldest queued first.
    std::vector<OutboxEntry> Pending() const;
    std::optional<OutboxEntry> Find(const std::string& controlId) const;
    int Count(DeliveryState state) const;
    bool MarkSent(const std::string& controlId);
    bool MarkHeld(const std::string& controlId, const std::string& reason);
    // Puts every held entry back to pending (the operator asked for them to be sent again).
    int ReleaseHeld();

    const std::string& LastError() const { return error_; }

private:
    bool Exec(const char* sql);
    bool AddResultColumn();
    bool SetState(const std::string& controlId, DeliveryState state, const std::string& reason);

    sqlite3* db_ = nullptr;
    mutable std::string error_;
};

} // namespace qa::interop
