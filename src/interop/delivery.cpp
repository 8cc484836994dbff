#include "interop/delivery.h"

#include "i18n/message_catalogue.h"
#include "interop/hl7_message.h"
#include "store/audit_log.h"
#include "store/installation_id.h"
#include "store/removed_results.h"
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

namespace {

// A table's read failing: the file, and SQLite's reason.
Message Unreadable(const MeasurementTable& table) {
    return Message(MessageId::DeliveryResultsUnreadable, {table.Path().Str(), table.LastError()});
}

} // namespace

Status ReadStoredResults(MeasurementTable& table, std::vector<StoredResult>& results) {
    // A walk of its own rather than the list's loader: the messages need the stored texts
    // only, not the formatted cells or the list's patient-ID choices.
    results.clear();
    if (!table.IsOpen()) {
        return {};
    }
    table.MoveFirst();
    if (!table.ResetView()) {
        return Unreadable(table);
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
    return {};
}

Status ForEachListedResult(MeasurementTable& table, const ResultEach& each, ResultParts parts) {
    if (!table.IsOpen()) {
        return {};
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
        if (!table.ForEachRow(one)) {
            return Unreadable(table);
        }
        return {};
    }
    // Date, time, value and patient ID: the fields the list's own walk reads.
    if (!table.StartWalk({0, 1, 2, 3})) {
        table.EndWalk();
        return Unreadable(table);
    }
    while (table.WalkNext() && one()) {
    }
    if (!table.WalkStatus()) {
        Message failure = Unreadable(table);
        table.EndWalk();
        return failure;
    }
    table.EndWalk();
    return {};
}

namespace {

// The messages that follow what the receiver was given of a result (`before`, in the
// delivered message `sent`) to bring it to the result as it is `now`; none when nothing the
// receiver holds has changed.
std::vector<OutboxEntry> FollowUps(const StoredResult& before, const DeliveredResult& sent,
                                   const StoredResult& now, const MessageContext& context,
                                   bool holdWithoutPatient) {
    std::vector<OutboxEntry> entries;
    const auto add = [&](StoredResult message, ResultStatus status, MessageKind kind,
                         const std::string& previousId) {
        message.status = status;
        message.followUpId.clear();
        message.followUpId = FollowUpControlId(context.operatorId, message, status, previousId);
        OutboxEntry entry{message.followUpId,
                          ComposeOruR01(message, context),
                          DeliveryState::Pending,
                          "",
                          EncodeStoredResult(message),
                          ResultKey(context.operatorId, now),
                          kind};
        // A posting as wrong-patient takes back what is there, patient or none.
        if (holdWithoutPatient && status != ResultStatus::WrongPatient && !HasPatient(message)) {
            entry.state = DeliveryState::Held;
            entry.reason = kNoPatientReason;
        }
        entries.push_back(std::move(entry));
    };
    if (!sent.live) {
        add(now, ResultStatus::Final, MessageKind::Resend, sent.controlId);
    } else if (before.patientId != now.patientId) {
        add(before, ResultStatus::WrongPatient, MessageKind::WrongPatient, sent.controlId);
        add(now, ResultStatus::Final, MessageKind::Resend, entries.back().controlId);
    } else if (DiffersForReceiver(before, now)) {
        add(now, ResultStatus::Corrected, MessageKind::Correction, sent.controlId);
    }
    return entries;
}

} // namespace

DeletionCheck DeletionsOf(MeasurementTable& table) {
    DeletionCheck check;
    check.kind = table.Kind();
    check.deleted = [&table](const std::string& resultId, bool& deleted) {
        // No file of this kind: nothing it remembers, and nothing to withdraw on its word.
        deleted = false;
        if (!table.IsOpen()) {
            return true;
        }
        const Expected<std::vector<RemovedResult>> found =
            FindRemoved(table, resultId, RemovedReason::Deleted);
        if (!found) {
            return false;
        }
        deleted = !found->empty();
        return true;
    };
    return check;
}

Expected<int> QueueResults(Outbox& outbox, const std::vector<StoredResult>& results,
                           const MessageContext& context, bool wholeTable,
                           const DeletionCheck* deletions) {
    std::unordered_map<std::string, DeliveryState> known;
    std::unordered_set<std::string> withoutResult;
    std::unordered_map<std::string, DeliveredResult> delivered;
    std::unordered_map<std::string, std::string> unsent;
    for (Status read : {outbox.KnownIds(known), outbox.IdsWithoutResult(withoutResult),
                        outbox.Delivered(delivered), outbox.UnsentResults(unsent)}) {
        if (!read) {
            return read;
        }
    }
    const bool holdWithoutPatient = !context.link.sendWithoutPatient;
    if (!holdWithoutPatient) {
        if (Expected<int> released = outbox.ReleaseHeldFor(kNoPatientReason); !released) {
            return released.status();
        }
    }
    std::vector<OutboxEntry> entries;
    std::vector<OutboxEntry> fill;
    std::unordered_set<std::string> current;
    std::unordered_set<std::string> present; // result keys the receiver was given, still here
    // The kind's own prefix of the control IDs: "QAH", "QAG".
    std::string prefix;
    if (deletions != nullptr) {
        prefix = deletions->kind == ResultKind::HbA1c ? "QAH" : "QAG";
    }
    int replaced = 0;
    const auto follow = [&](std::vector<OutboxEntry> planned) {
        for (OutboxEntry& entry : planned) {
            current.insert(entry.controlId);
            if (known.emplace(entry.controlId, entry.state).second) {
                entries.push_back(std::move(entry));
            }
        }
    };
    // Oldest first, so the receiver gets a patient's results in the order they were made.
    for (auto it = results.rbegin(); it != results.rend(); ++it) {
        if (!it->resultId.empty()) {
            if (auto sent = delivered.find(it->resultId); sent != delivered.end()) {
                if (std::optional<StoredResult> before = DecodeStoredResult(sent->second.result)) {
                    present.insert(it->resultId);
                    if (prefix.empty()) {
                        prefix = ControlId(context.operatorId, *it).substr(0, 3);
                    }
                    follow(FollowUps(*before, sent->second, *it, context, holdWithoutPatient));
                    continue;
                }
            }
        }
        std::string id = ControlId(context.operatorId, *it);
        if (prefix.empty()) {
            prefix = id.substr(0, 3);
        }
        current.insert(id);
        OutboxEntry entry{id,
                          ComposeOruR01(*it, context),
                          DeliveryState::Pending,
                          "",
                          EncodeStoredResult(*it),
                          it->resultId,
                          MessageKind::Original};
        if (holdWithoutPatient && !HasPatient(*it)) {
            entry.state = DeliveryState::Held;
            entry.reason = kNoPatientReason;
        }
        if (known.count(id) != 0) {
            if (withoutResult.erase(id) != 0) {
                fill.push_back({std::move(id), "", DeliveryState::Pending, "",
                                EncodeStoredResult(*it), it->resultId});
                continue;
            }
            // Not sent yet, and the patient's name or birth date edited since it was queued
            // (the control ID is made of the other fields): it goes as the result is now.
            if (auto queued = unsent.find(id); queued != unsent.end()) {
                std::optional<StoredResult> before = DecodeStoredResult(queued->second);
                if (before && DiffersForReceiver(*before, *it)) {
                    if (Status replacedHere = outbox.Replace(id, entry); !replacedHere) {
                        return replacedHere;
                    }
                    ++replaced;
                }
            }
            continue;
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
                    if (Status replacedHere = outbox.Replace(old, entry); !replacedHere) {
                        return replacedHere;
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
    if (wholeTable && deletions != nullptr) {
        // Gone from the table: withdrawn only where the operator's file remembers the
        // deletion, never for a result merely missing (a file put back from a backup).
        for (const auto& [key, sent] : delivered) {
            if (!sent.live || present.count(key) != 0) {
                continue;
            }
            std::optional<StoredResult> before = DecodeStoredResult(sent.result);
            if (!before || before->kind != deletions->kind) {
                continue;
            }
            bool deleted = false;
            if (!deletions->deleted(key, deleted)) {
                return Message(MessageId::DeliveryDeletionsUnreadable, {key});
            }
            if (!deleted) {
                continue;
            }
            StoredResult withdrawn = *before;
            withdrawn.status = ResultStatus::Deleted;
            withdrawn.followUpId = FollowUpControlId(context.operatorId, withdrawn,
                                                     ResultStatus::Deleted, sent.controlId);
            follow({OutboxEntry{withdrawn.followUpId, ComposeOruR01(withdrawn, context),
                                DeliveryState::Pending, "", EncodeStoredResult(withdrawn), key,
                                MessageKind::Deletion}});
        }
    }
    if (Expected<int> filled = outbox.FillResults(fill); !filled) {
        return filled.status();
    }
    // A result edited or deleted since it was queued is no longer stored as its message
    // says: a message that never left goes away rather than out stale (the result as it is
    // now is queued anew). A result held for want of a patient that has been given one since
    // is such a result too.
    if (!prefix.empty()) {
        Expected<int> dropped = outbox.DropUnsent(
            prefix, current,
            wholeTable ? std::nullopt : std::optional<std::string>(kNoPatientReason));
        if (!dropped) {
            return dropped.status();
        }
    }
    Expected<int> added = outbox.Enqueue(entries);
    if (!added) {
        return added;
    }
    return *added + replaced;
}

void CountWaiting(const Outbox& outbox, DeliverySummary& summary) {
    summary.pending = outbox.Count(DeliveryState::Pending);
    summary.heldTotal = outbox.Count(DeliveryState::Held);
    for (std::size_t kind = 0; kind < summary.waitingOf.size(); ++kind) {
        const auto of = static_cast<MessageKind>(kind);
        summary.waitingOf[kind] = std::max(0, outbox.Count(DeliveryState::Pending, of)) +
                                  std::max(0, outbox.Count(DeliveryState::Held, of));
    }
}

Expected<int> QueueResultsReleasing(Outbox& outbox, const std::vector<StoredResult>& results,
                                    const MessageContext& context, const std::string& dataFolder,
                                    int& released, const DeletionCheck* deletions) {
    released = 0;
    Expected<std::vector<OutboxEntry>> held = outbox.HeldFor(kNoPatientReason);
    if (!held) {
        return held.error();
    }
    // The result ID stays with a result through every change, so the held message and the
    // result as it is now are told to be one by it (their control IDs differ with the patient).
    std::unordered_map<std::string, std::string> heldByResult;
    for (const OutboxEntry& entry : *held) {
        if (std::optional<StoredResult> result = DecodeStoredResult(entry.result);
            result && !result->resultId.empty()) {
            heldByResult.emplace(result->resultId, entry.controlId);
        }
    }
    std::vector<const StoredResult*> given;
    if (!heldByResult.empty()) {
        for (const StoredResult& result : results) {
            auto found = heldByResult.find(result.resultId);
            if (found != heldByResult.end() && HasPatient(result) &&
                ControlId(context.operatorId, result) != found->second) {
                given.push_back(&result);
            }
        }
    }
    if (!given.empty()) {
        if (Status writable = CheckAuditWritable(dataFolder); !writable) {
            return Message(MessageId::AuditNotWritable, {SourceText(writable.error())});
        }
    }
    Expected<int> added = QueueResults(outbox, results, context, true, deletions);
    if (!added) {
        return added;
    }
    for (const StoredResult* result : given) {
        // Queued anew under its patient, unless something else holds it still.
        std::optional<OutboxEntry> now = outbox.Find(ControlId(context.operatorId, *result));
        if (!now || now->state == DeliveryState::Held) {
            continue;
        }
        AuditEntry entry;
        entry.operatorId = context.operatorId;
        entry.action = audit_action::kRelease;
        entry.patientId =
            result->storedPatientId.empty() ? result->patientId : result->storedPatientId;
        entry.SetMessage(
            Message(MessageId::AuditResultReleased, {result->date, result->time, result->value,
                                                     result->patientId, result->resultId}));
        if (Status written = AppendAudit(dataFolder, std::move(entry)); !written) {
            return Message(MessageId::AuditNotWritable, {SourceText(written.error())});
        }
        ++released;
    }
    return added;
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
            summary.status = MessageId::DeliveryTimeLimit;
            break;
        }
        MllpSender::Reply reply = sender.Send(entry.message, entry.controlId);
        if (onReply) {
            onReply(entry, reply);
        }
        if (reply.outcome == MllpSender::Outcome::NoAnswer) {
            summary.status = reply.status;
            break;
        }
        Status stored = reply.outcome == MllpSender::Outcome::Accepted
                            ? outbox.MarkSent(entry.controlId)
                            : outbox.MarkHeld(entry.controlId, reply.ack.reason);
        if (!stored) {
            // The receiver has it but the state could not be kept: stop before the file
            // disagrees with the receiver about more than this one message.
            summary.status = stored;
            break;
        }
        if (reply.outcome == MllpSender::Outcome::Accepted) {
            ++summary.sent;
            ++summary.sentOf[static_cast<std::size_t>(entry.kind)];
        } else {
            ++summary.held;
        }
        if (limits.progress) {
            limits.progress(++done, total);
        }
    }
    sender.Disconnect();
    CountWaiting(outbox, summary);
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
        ReadStoredResults(table, results).ok()) {
        for (const StoredResult& result : results) {
            ids.insert(ControlId(job.context.operatorId, result));
        }
    }
    return ids;
}

Status QueueTable(Outbox& outbox, MeasurementTable& table, const std::string& path,
                  const DeliveryJob& job, const std::unordered_set<std::string>& downloaded,
                  int& released) {
    const MessageContext& context = job.context;
    if (!table.SetTableName(kMainTableName)) {
        return Message(MessageId::DeliveryTableName, {path});
    }
    if (!table.OpenExisting(path)) {
        return {}; // a user without results of this kind yet
    }
    std::vector<StoredResult> results;
    if (Status read = ReadStoredResults(table, results); !read) {
        return read;
    }
    if (!downloaded.empty()) {
        for (StoredResult& result : results) {
            if (downloaded.count(ControlId(context.operatorId, result)) != 0) {
                result.deviceModel = job.meterModel;
            }
        }
    }
    const DeletionCheck deletions = DeletionsOf(table);
    int releasedHere = 0;
    Expected<int> queued =
        QueueResultsReleasing(outbox, results, context, job.dataFolder, releasedHere, &deletions);
    released += releasedHere;
    return queued.status();
}

} // namespace

DeliverySummary RunDelivery(const DeliveryJob& job, const std::atomic<bool>* stop) {
    DeliverySummary summary;
    Outbox outbox;
    summary.status = outbox.Open(Outbox::PathFor(job.dataFolder, job.context.operatorId));
    if (!summary.status) {
        return summary;
    }
    if (job.retryHeld) {
        if (Expected<int> put = outbox.ReleaseHeld(kNoPatientReason); !put) {
            summary.status = put.status();
            return summary;
        }
    }
    // Every message names the patients' assigning authority and the results in the
    // installation's own namespace.
    DeliveryJob named = job;
    const Expected<Uuid> installation = InstallationUuid(job.dataFolder);
    if (!installation) {
        summary.status = installation.status();
        return summary;
    }
    named.context.installation = *installation;
    HbA1cTable hba1c;
    GlucoseTable glucose;
    const std::unordered_set<std::string> downloaded = DownloadedIds(named);
    int released = 0;
    summary.status = QueueTable(outbox, hba1c, job.hba1cFile, named, downloaded, released);
    if (summary.status) {
        summary.status = QueueTable(outbox, glucose, job.glucoseFile, named, downloaded, released);
    }
    const bool queued = summary.status.ok();
    summary.released = released;
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
                summary.status = Message(MessageId::DeliveryNoTlsClient, {destination});
                CountWaiting(outbox, summary);
                return summary;
            }
            summary = SendPending(outbox, *sender, {}, stop, limits);
            summary.released = released;
            return summary;
        }
        if (std::optional<std::string> base = ParseFhirBase(destination)) {
            const MessageContext& context = named.context;
            if (std::unique_ptr<FhirPoster> poster =
                    job.fhirPoster ? job.fhirPoster(*base, timeout) : nullptr) {
                summary =
                    SendPendingFhir(outbox, *poster, context, {}, stop,
                                    static_cast<std::size_t>(context.link.bundleSize), limits,
                                    context.link.bundleSize != static_cast<int>(kFhirBatchSize));
                summary.released = released;
                return summary;
            } else {
                summary.status = Message(MessageId::DeliveryNoFhirClient, {destination});
            }
        } else {
            summary.status = Message(MessageId::DeliveryDestination, {destination});
        }
    }
    CountWaiting(outbox, summary);
    return summary;
}

} // namespace qa::interop
