#include "interop/delivery.h"

#include "interop/hl7_message.h"

#include <unordered_map>

namespace qa::interop {

StoredResult FromListRow(ResultKind kind, const ListRow& row) {
    StoredResult result;
    result.kind = kind;
    result.date = row.date;
    result.time = row.time;
    result.value = row.value;
    result.patientId = row.patientId;
    result.patientName = row.patientName;
    result.birthday = row.birthday;
    return result;
}

std::vector<StoredResult> ReadStoredResults(MeasurementTable& table, const SettingsStore& display) {
    ResultList list = LoadResultList(table, display, false);
    std::vector<StoredResult> results;
    results.reserve(list.rows.size());
    for (const ListRow& row : list.rows) {
        results.push_back(FromListRow(table.Kind(), row));
    }
    return results;
}

int QueueResults(Outbox& outbox, const std::vector<StoredResult>& results,
                 const MessageContext& context) {
    std::unordered_map<std::string, DeliveryState> known;
    if (!outbox.KnownIds(known)) {
        return -1;
    }
    std::vector<OutboxEntry> entries;
    // Oldest first, so the receiver gets a patient's results in the order they were made.
    for (auto it = results.rbegin(); it != results.rend(); ++it) {
        std::string id = ControlId(context.operatorId, *it);
        if (known.count(id) != 0) {
            continue;
        }
        known.emplace(id, DeliveryState::Pending);
        entries.push_back({std::move(id), ComposeOruR01(*it, context), DeliveryState::Pending, ""});
    }
    return outbox.Enqueue(entries);
}

DeliverySummary
SendPending(Outbox& outbox, MllpSender& sender,
            const std::function<void(const OutboxEntry&, const MllpSender::Reply&)>& onReply,
            const std::atomic<bool>* stop) {
    DeliverySummary summary;
    for (const OutboxEntry& entry : outbox.Pending()) {
        if (stop != nullptr && stop->load()) {
            break;
        }
        MllpSender::Reply reply = sender.Send(entry.message, entry.controlId);
        if (onReply) {
            onReply(entry, reply);
        }
        if (reply.outcome == MllpSender::Outcome::NoAnswer) {
            summary.problem = reply.problem;
            break;
        }
        bool stored = reply.outcome == MllpSender::Outcome::Accepted
                          ? outbox.MarkSent(entry.controlId)
                          : outbox.MarkHeld(entry.controlId, reply.ack.reason);
        if (!stored) {
            // The receiver has it but the state could not be kept: stop before the file
            // disagrees with the receiver about more than this one message.
            summary.problem = "The delivery state cannot be written: " + outbox.LastError();
            break;
        }
        ++(reply.outcome == MllpSender::Outcome::Accepted ? summary.sent : summary.held);
    }
    sender.Disconnect();
    summary.pending = outbox.Count(DeliveryState::Pending);
    summary.heldTotal = outbox.Count(DeliveryState::Held);
    return summary;
}

} // namespace qa::interop

namespace qa::interop {

namespace {

bool QueueTable(Outbox& outbox, MeasurementTable& table, const std::string& path,
                const MessageContext& context, std::string& problem) {
    if (!table.SetTableName(kMainTableName)) {
        problem = "The results table cannot be named in " + path;
        return false;
    }
    if (!table.OpenExisting(path)) {
        return true; // a user without results of this kind yet
    }
    if (QueueResults(outbox, ReadStoredResults(table, context.display), context) < 0) {
        problem = "The delivery file cannot be written: " + outbox.LastError();
        return false;
    }
    return true;
}

} // namespace

DeliverySummary RunDelivery(const DeliveryJob& job, const std::atomic<bool>* stop) {
    DeliverySummary summary;
    Outbox outbox;
    if (!outbox.Open(Outbox::PathFor(job.dataFolder, job.context.operatorId), summary.problem)) {
        return summary;
    }
    if (job.retryHeld && outbox.ReleaseHeld() < 0) {
        summary.problem = "The delivery file cannot be written: " + outbox.LastError();
        return summary;
    }
    HbA1cTable hba1c;
    GlucoseTable glucose;
    bool queued = QueueTable(outbox, hba1c, job.hba1cFile, job.context, summary.problem) &&
                  QueueTable(outbox, glucose, job.glucoseFile, job.context, summary.problem);
    if (queued && job.send) {
        std::optional<MllpEndpoint> endpoint = ParseMllpDestination(job.context.link.destination);
        if (!endpoint) {
            summary.problem = "The destination is not an address of the form mllp://host:port: " +
                              job.context.link.destination;
        } else {
            MllpSender sender(*endpoint, std::chrono::seconds(job.context.link.ackTimeoutSeconds));
            return SendPending(outbox, sender, {}, stop);
        }
    }
    summary.pending = outbox.Count(DeliveryState::Pending);
    summary.heldTotal = outbox.Count(DeliveryState::Held);
    return summary;
}

} // namespace qa::interop
