#include "interop/delivery.h"

#include "i18n/message_catalogue.h"
#include "interop/hl7_message.h"
#include "store/installation_id.h"
#include "store/text_encoding.h"

#include <memory>

#include <unordered_map>
#include <unordered_set>

namespace qa::interop {

StoredResult FromListRow(ResultKind kind, const ListRow& row) {
    StoredResult result;
    result.kind = kind;
    result.date = row.date;
    result.time = row.time;
    result.value = row.value;
    // Messages are UTF-8: an ID the Windows program stored in code page 949 goes out decoded.
    result.patientId = DecodeStoredText(row.patientId);
    result.patientName = row.patientName;
    result.birthday = row.birthday;
    result.resultId = row.resultId;
    return result;
}

bool ReadStoredResults(MeasurementTable& table, std::vector<StoredResult>& results) {
    // A walk of its own rather than the list's loader: the messages need the stored texts
    // only, not the formatted cells or the list's patient-ID choices.
    results.clear();
    if (!table.IsOpen()) {
        return true;
    }
    table.MoveFirst();
    if (!table.ResetView()) {
        return false;
    }
    const bool hba1c = table.Kind() == ResultKind::HbA1c;
    const int count = table.RowCount();
    results.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count && !table.IsEOF(); ++i, table.MoveNext()) {
        StoredResult result;
        result.kind = table.Kind();
        result.date = table.date.Str();
        result.time = table.time.Str();
        result.value = table.value.Str();
        // Messages are UTF-8: texts the Windows program stored in code page 949 go out
        // decoded, exactly as the export writes them, so both give the row one control ID.
        std::string storedId = table.pid.Str();
        result.patientId = DecodeStoredText(storedId);
        if (result.patientId != storedId) {
            result.storedPatientId = std::move(storedId);
        }
        result.resultId = table.resultId.Str();
        if (hba1c) {
            result.patientName = DecodeStoredText(table.name.Str());
            result.birthday = DecodeStoredText(table.dob.Str());
        }
        results.push_back(std::move(result));
    }
    return true;
}

bool ForEachListedResult(MeasurementTable& table, const ResultEach& each, ResultParts parts) {
    if (!table.IsOpen()) {
        return true;
    }
    const bool hba1c = table.Kind() == ResultKind::HbA1c;
    StoredResult result;
    result.kind = table.Kind();
    // The texts are assigned into the same strings row after row: no allocation per field.
    const auto decoded = [](std::string& to, std::string_view stored) {
        if (IsUtf8Text(stored)) {
            to.assign(stored);
        } else {
            to = DecodeStoredText(stored);
        }
    };
    const bool all = parts == ResultParts::All;
    const auto one = [&] {
        result.date.assign(table.date.View());
        result.time.assign(table.time.View());
        result.value.assign(table.value.View());
        decoded(result.patientId, table.pid.View());
        if (hba1c && all) {
            decoded(result.patientName, table.name.View());
            decoded(result.birthday, table.dob.View());
        }
        if (all) {
            result.resultId.assign(table.resultId.View());
        }
        return each(result);
    };
    if (all) {
        return table.ForEachRow(one);
    }
    // Date, time, value and patient ID: the fields the list's own walk reads.
    if (!table.StartWalk({0, 1, 2, 3})) {
        table.EndWalk();
        return false;
    }
    while (table.WalkNext() && one()) {
    }
    const bool read = !table.WalkFailed();
    table.EndWalk();
    return read;
}

int QueueResults(Outbox& outbox, const std::vector<StoredResult>& results,
                 const MessageContext& context, bool wholeTable) {
    std::unordered_map<std::string, DeliveryState> known;
    std::unordered_set<std::string> withoutResult;
    if (!outbox.KnownIds(known) || !outbox.IdsWithoutResult(withoutResult)) {
        return -1;
    }
    const bool holdWithoutPatient = !context.link.sendWithoutPatient;
    if (!holdWithoutPatient && outbox.ReleaseHeldFor(kNoPatientReason) < 0) {
        return -1;
    }
    std::vector<OutboxEntry> entries;
    std::vector<OutboxEntry> fill;
    std::unordered_set<std::string> current;
    std::string prefix;
    int replaced = 0;
    // Oldest first, so the receiver gets a patient's results in the order they were made.
    for (auto it = results.rbegin(); it != results.rend(); ++it) {
        std::string id = ControlId(context.operatorId, *it);
        if (prefix.empty()) {
            prefix = id.substr(0, 3); // the kind's own prefix: "QAH", "QAG"
        }
        current.insert(id);
        if (known.count(id) != 0) {
            if (withoutResult.erase(id) != 0) {
                fill.push_back(
                    {std::move(id), "", DeliveryState::Pending, "", EncodeStoredResult(*it)});
            }
            continue;
        }
        OutboxEntry entry{id, ComposeOruR01(*it, context), DeliveryState::Pending, "",
                          EncodeStoredResult(*it)};
        if (holdWithoutPatient && !HasPatient(*it)) {
            entry.state = DeliveryState::Held;
            entry.reason = kNoPatientReason;
        }
        if (!it->storedPatientId.empty()) {
            // Queued before the texts were decoded: its ID was made of the stored bytes.
            StoredResult stored = *it;
            stored.patientId = stored.storedPatientId;
            const std::string old = ControlId(context.operatorId, stored);
            if (auto before = known.find(old); before != known.end()) {
                // Delivered: the receiver has it under that ID. Not yet: it goes decoded, under
                // the ID the export gives it too.
                if (before->second != DeliveryState::Sent) {
                    if (!outbox.Replace(old, entry)) {
                        return -1;
                    }
                    ++replaced;
                }
                known.emplace(std::move(id), entry.state);
                continue;
            }
        }
        known.emplace(std::move(id), entry.state);
        entries.push_back(std::move(entry));
    }
    if (outbox.FillResults(fill) < 0) {
        return -1;
    }
    // A result edited or deleted since it was queued is no longer stored as its message
    // says: a message that never left goes away rather than out stale (the result as it is
    // now is queued anew). A result held for want of a patient that has been given one since
    // is such a result too.
    if (!prefix.empty() &&
        outbox.DropUnsent(prefix, current,
                          wholeTable ? std::nullopt
                                     : std::optional<std::string>(kNoPatientReason)) < 0) {
        return -1;
    }
    const int added = outbox.Enqueue(entries);
    return added < 0 ? added : added + replaced;
}

DeliverySummary
SendPending(Outbox& outbox, MllpSender& sender,
            const std::function<void(const OutboxEntry&, const MllpSender::Reply&)>& onReply,
            const std::atomic<bool>* stop, const RunLimits& limits) {
    DeliverySummary summary;
    const std::vector<OutboxEntry> pending = outbox.Pending();
    const int total = static_cast<int>(pending.size());
    int done = 0;
    for (const OutboxEntry& entry : pending) {
        if (stop != nullptr && stop->load()) {
            break;
        }
        if (std::chrono::steady_clock::now() >= limits.deadline) {
            summary.problem = kRunTimeProblem;
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
        if (limits.progress) {
            limits.progress(++done, total);
        }
    }
    sender.Disconnect();
    summary.pending = outbox.Count(DeliveryState::Pending);
    summary.heldTotal = outbox.Count(DeliveryState::Held);
    return summary;
}

} // namespace qa::interop

namespace qa::interop {

namespace {

// The control IDs of the results a download has just stored; empty when the table cannot be
// read, which only costs those results their device.
std::unordered_set<std::string> DownloadedIds(const DeliveryJob& job) {
    std::unordered_set<std::string> ids;
    if (job.meterModel.empty() || job.downloadFile.empty()) {
        return ids;
    }
    HbA1cTable hba1c;
    GlucoseTable glucose;
    MeasurementTable& table =
        job.downloadedKind == ResultKind::HbA1c ? static_cast<MeasurementTable&>(hba1c) : glucose;
    std::vector<StoredResult> results;
    if (table.SetTableName(kDownloadTableName) && table.OpenExisting(job.downloadFile) &&
        ReadStoredResults(table, results)) {
        for (const StoredResult& result : results) {
            ids.insert(ControlId(job.context.operatorId, result));
        }
    }
    return ids;
}

bool QueueTable(Outbox& outbox, MeasurementTable& table, const std::string& path,
                const DeliveryJob& job, const std::unordered_set<std::string>& downloaded,
                std::string& problem) {
    const MessageContext& context = job.context;
    if (!table.SetTableName(kMainTableName)) {
        problem = "The result table cannot be opened: its name was refused.";
        return false;
    }
    if (!table.OpenExisting(path)) {
        return true; // a user without results of this kind yet
    }
    std::vector<StoredResult> results;
    if (!ReadStoredResults(table, results)) {
        problem = "The results of " + path + " cannot be read: " + table.LastError();
        return false;
    }
    if (!downloaded.empty()) {
        for (StoredResult& result : results) {
            if (downloaded.count(ControlId(context.operatorId, result)) != 0) {
                result.deviceModel = job.meterModel;
            }
        }
    }
    if (QueueResults(outbox, results, context, true) < 0) {
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
    if (job.retryHeld && outbox.ReleaseHeld(kNoPatientReason) < 0) {
        summary.problem = "The delivery file cannot be written: " + outbox.LastError();
        return summary;
    }
    // Every message names the patients' assigning authority and the results in the
    // installation's own namespace.
    DeliveryJob named = job;
    const Expected<Uuid> installation = InstallationUuid(job.dataFolder);
    if (!installation) {
        summary.problem = "The installation's identifier cannot be read or made: " +
                          SourceText(installation.error());
        return summary;
    }
    named.context.installation = *installation;
    HbA1cTable hba1c;
    GlucoseTable glucose;
    const std::unordered_set<std::string> downloaded = DownloadedIds(named);
    bool queued = QueueTable(outbox, hba1c, job.hba1cFile, named, downloaded, summary.problem) &&
                  QueueTable(outbox, glucose, job.glucoseFile, named, downloaded, summary.problem);
    if (queued && job.send) {
        const std::string& destination = job.context.link.destination;
        const std::chrono::seconds timeout(job.context.link.ackTimeoutSeconds);
        RunLimits limits;
        limits.deadline = std::chrono::steady_clock::now() + kRunTimeLimit;
        limits.progress = job.progress;
        if (std::optional<MllpEndpoint> endpoint = ParseMllpDestination(destination)) {
            std::unique_ptr<MllpSender> sender =
                job.mllpSender  ? job.mllpSender(*endpoint, timeout)
                : endpoint->tls ? nullptr
                                : std::make_unique<MllpSender>(*endpoint, timeout);
            if (!sender) {
                summary.problem = "No TLS client is at hand to send to " + destination;
                summary.pending = outbox.Count(DeliveryState::Pending);
                summary.heldTotal = outbox.Count(DeliveryState::Held);
                return summary;
            }
            return SendPending(outbox, *sender, {}, stop, limits);
        }
        if (std::optional<std::string> base = ParseFhirBase(destination)) {
            const MessageContext& context = named.context;
            if (std::unique_ptr<FhirPoster> poster =
                    job.fhirPoster ? job.fhirPoster(*base, timeout) : nullptr) {
                return SendPendingFhir(outbox, *poster, context, {}, stop,
                                       static_cast<std::size_t>(context.link.bundleSize), limits,
                                       context.link.bundleSize != static_cast<int>(kFhirBatchSize));
            } else {
                summary.problem = "No FHIR client is at hand to send to " + destination;
            }
        } else {
            summary.problem = "The destination is neither mllp(s)://host:port nor a FHIR base "
                              "URL http(s)://host/path: " +
                              destination;
        }
    }
    summary.pending = outbox.Count(DeliveryState::Pending);
    summary.heldTotal = outbox.Count(DeliveryState::Held);
    return summary;
}

} // namespace qa::interop
