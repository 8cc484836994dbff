#pragma once

#include "store/status.h"

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

// What a queued message is to its result: the first one, a correction of what was
// delivered, the delivered version posted as wrong-patient, its withdrawal, or the result
// sent again after a wrong-patient posting or a withdrawal.
enum class MessageKind { Original = 0, Correction = 1, WrongPatient = 2, Deletion = 3, Resend = 4 };

struct OutboxEntry {
    std::string controlId;
    std::string message;
    DeliveryState state = DeliveryState::Pending;
    std::string reason; // why the receiver refused it (held)
    // The stored result the message was made from (EncodeStoredResult), so a destination
    // that takes another format composes it from the same result; empty in entries queued
    // before the outbox kept it.
    std::string result;
    // The result's identifier at the receiver (ResultKey) and what the message is to it;
    // empty in entries queued before the outbox kept them and read from their result since.
    std::string resultKey{};
    MessageKind kind = MessageKind::Original;
};

// What the receiver was last given of a result: the message it acknowledged last and the
// stored result that message was made from; not `live` when that message posted the result
// as wrong-patient or withdrew it.
struct DeliveredResult {
    std::string controlId;
    std::string result;
    bool live = true;
};

// A result's delivery as the list shows it: its first message not sent yet, if any, else
// the last one sent.
struct ResultDelivery {
    DeliveryState state = DeliveryState::Pending;
    MessageKind kind = MessageKind::Original;
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

    // Opens or creates the file (owner-only); the failure names the file and why.
    Status Open(const std::string& path);
    bool IsOpen() const { return db_ != nullptr; }
    void Close();

    // The control IDs the outbox knows, whatever their state.
    Status KnownIds(std::unordered_map<std::string, DeliveryState>& states) const;
    // Adds the entries not known yet, in the state each gives (pending, or held with its
    // reason), in one transaction; an entry already known
    // keeps its state and message. Returns the number added.
    Expected<int> Enqueue(const std::vector<OutboxEntry>& entries);
    // Gives entries queued without their stored result the one of `entries` with the same
    // control ID, and its result key; returns the number filled.
    Expected<int> FillResults(const std::vector<OutboxEntry>& entries);
    // The stored results of the entries not sent yet, by control ID.
    Status UnsentResults(std::unordered_map<std::string, std::string>& results) const;
    // The control IDs of the entries not sent yet that lack their stored result.
    Status IdsWithoutResult(std::unordered_set<std::string>& ids) const;
    // Pending entries, oldest queued first.
    std::vector<OutboxEntry> Pending() const;
    // The entries held for `reason`, oldest queued first.
    Expected<std::vector<OutboxEntry>> HeldFor(const std::string& reason) const;
    std::optional<OutboxEntry> Find(const std::string& controlId) const;
    int Count(DeliveryState state) const;
    int CountHeldFor(const std::string& reason) const;
    // Marks the entry sent and makes its result what the receiver was last given, in one
    // transaction; a failure when there is no such entry.
    Status MarkSent(const std::string& controlId);
    // Holds the entry; one marked sent before (the server filed it wrongly after all) no
    // longer counts as delivered.
    Status MarkHeld(const std::string& controlId, const std::string& reason);
    // What the receiver was last given of each result, by result key.
    Status Delivered(std::unordered_map<std::string, DeliveredResult>& delivered) const;
    // The delivery of each result the outbox knows, by result key (by control ID for
    // entries whose result is not known).
    Status ResultStates(std::unordered_map<std::string, ResultDelivery>& states) const;
    // The entries of one kind in one state.
    int Count(DeliveryState state, MessageKind kind) const;
    // Gives an entry not sent yet a new control ID, message and stored result, keeping its
    // place in the queue; a failure when there is no such entry or it could not be written.
    Status Replace(const std::string& controlId, const OutboxEntry& replacement);
    // Puts held entries back to pending (the operator asked for them to be sent again); those
    // held for `keptReason` stay held, since what held them is in the result itself.
    Expected<int> ReleaseHeld(const std::string& keptReason = {});
    // Puts the entries held for `reason` back to pending (the site now allows them).
    Expected<int> ReleaseHeldFor(const std::string& reason);
    // Removes the entries not sent whose control ID starts with `prefix` and is not in
    // `current`: messages that never left for results no longer stored as they were (edited
    // or deleted since), which must not go stale. With `reason`, only those held for it.
    Expected<int> DropUnsent(const std::string& prefix,
                             const std::unordered_set<std::string>& current,
                             const std::optional<std::string>& reason = std::nullopt);

    // A value the deliveries keep between runs (the Bundle size a server takes); empty when
    // none is kept.
    std::string Setting(const std::string& key) const;
    Status SetSetting(const std::string& key, const std::string& value);

private:
    Status Exec(const char* sql);
    // Undoes the open transaction after a failure, which is what the caller reports.
    void Rollback();
    // The failure of the last statement: the file, and SQLite's reason.
    Message Failure() const;
    Status AddResultColumn();
    Status AddFollowUpColumns();
    Status SetState(const std::string& controlId, DeliveryState state, const std::string& reason);

    sqlite3* db_ = nullptr;
    std::string path_;
    mutable std::string error_; // SQLite's reason for the last failure
};

} // namespace qa::interop
