#pragma once

#include "interop/fhir_poster.h"
#include "interop/mllp_sender.h"
#include "interop/outbox.h"
#include "interop/result_mapping.h"
#include "store/result_list.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qa::interop {

StoredResult FromListRow(ResultKind kind, const ListRow& row);
// Every stored result of a table, in the list's order; a failure when the table could not be
// read (nothing must then be queued as if the table were empty).
Status ReadStoredResults(MeasurementTable& table, std::vector<StoredResult>& results);
// The results of the table's filter and sort, in that order, each as FromListRow gives it
// for the list's row; read by one walk of the table, none of them held. `each` returns false
// to stop. A failure when the query failed. With ResultParts::Listed the name and birth date
// stay empty and the walk reads the table's index alone.
Status ForEachListedResult(MeasurementTable& table, const ResultEach& each,
                           ResultParts parts = ResultParts::All);

// A stored result as one text, kept with its queued message so a FHIR destination composes
// its Bundle entry from the result itself; nothing when the text is not one.
std::string EncodeStoredResult(const StoredResult& result);
std::optional<StoredResult> DecodeStoredResult(std::string_view text);

// Why a result without a patient (none entered, or the meter's placeholder) is held rather
// than sent, unless the site allows it (Send_without_patient).
inline constexpr const char* kNoPatientReason = "no patient";

// Queues the results the outbox does not know yet, each with its message made now; results
// already queued keep their state and message (a repeated send carries the same bytes).
// Returns the number added; a failure when the outbox could not be written.
// With `wholeTable` the results are all of one kind's table: a message not sent yet for a
// result no longer among them (edited or deleted since) is dropped, never sent stale.
//
// A result the receiver was given is followed rather than queued anew: changed since in
// what the receiver holds of it (DiffersForReceiver), it gets a correction; with another
// patient ID, the version given is posted as wrong-patient under its patient and the result
// goes as final under its new one; given again after such a posting or a withdrawal, it goes
// as final. With `deletions` (a whole table's results), a result given to the receiver that
// the table no longer holds and that the operator's file remembers deleted is withdrawn.
struct DeletionCheck {
    ResultKind kind = ResultKind::HbA1c; // the table's kind
    // Whether the operator deleted the result of that ID; false when it cannot be read.
    std::function<bool(const std::string& resultId, bool& deleted)> deleted;
};
Expected<int> QueueResults(Outbox& outbox, const std::vector<StoredResult>& results,
                           const MessageContext& context, bool wholeTable = false,
                           const DeletionCheck* deletions = nullptr);
// The check of the deletions `table` (a main table, open) remembers.
DeletionCheck DeletionsOf(MeasurementTable& table);

// QueueResults over the whole table of one kind, writing to the audit log of `dataFolder`
// each result held for want of a patient that has been given one since and now goes under
// that patient (the held message is dropped and one naming the patient is queued). The log
// is checked before anything is queued, so no result is released that it could not record.
// Returns the number added and sets `released`.
Expected<int> QueueResultsReleasing(Outbox& outbox, const std::vector<StoredResult>& results,
                                    const MessageContext& context, const std::string& dataFolder,
                                    int& released, const DeletionCheck* deletions = nullptr);

struct DeliverySummary {
    int sent = 0;      // acknowledged with AA in this run
    int held = 0;      // refused in this run
    int pending = 0;   // still pending afterwards
    int heldTotal = 0; // held afterwards, from this run or before
    int released = 0;  // held for want of a patient, given one since and queued in this run
    Status status;     // why sending stopped early, or what it left for the next run
    // By MessageKind: the messages sent in this run, and those pending or held afterwards.
    std::array<int, 5> sentOf{};
    std::array<int, 5> waitingOf{};
};

// Pending, held and the waiting messages of each kind, from the outbox as it is now.
void CountWaiting(const Outbox& outbox, DeliverySummary& summary);

// The bounds of one run: a receiver that answers every message just inside its time-out
// must not hold the operator's run for hours. What is left when the time is up stays pending
// for the next run. `progress` hears (done, total) after every message or Bundle.
struct RunLimits {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::function<void(int done, int total)> progress;
};
// How long one run may take at most.
inline constexpr std::chrono::minutes kRunTimeLimit{5};

// Sends the pending messages one at a time, oldest first. An acceptance marks the entry
// sent, a refusal holds it with the reason; a missing answer stops the run and leaves that
// entry and the rest pending. `stop` ends the run between messages.
DeliverySummary
SendPending(Outbox& outbox, MllpSender& sender,
            const std::function<void(const OutboxEntry&, const MllpSender::Reply&)>& onReply = {},
            const std::atomic<bool>* stop = nullptr, const RunLimits& limits = {});

// Results per transaction Bundle: one answer covers them, and one lost answer costs no more
// than these going again (their conditional creates make the copies harmless).
inline constexpr std::size_t kFhirBatchSize = 100;

// Sends the pending results to a FHIR server as transaction Bundles of `batchSize` results,
// oldest first, each composed from the stored result queued with its message. A result
// whose Observation the answer reports created is marked sent, one refused is held with the
// reason. A Bundle the server refuses as a whole (HTTP 4xx) is split in halves, again and
// again, until the refused results stand alone and are held with the server's reason; a
// Bundle without a usable answer stops the run and leaves its results and the rest pending.
// The size of the Bundles taken after a refusal of a larger one is kept in the outbox, per
// destination, and used by later runs unless `fixedSize`. `onHeld` hears each refusal; `stop`
// ends the run between Bundles.
DeliverySummary SendPendingFhir(
    Outbox& outbox, FhirPoster& poster, const MessageContext& context,
    const std::function<void(const std::string& controlId, const std::string& reason)>& onHeld = {},
    const std::atomic<bool>* stop = nullptr, std::size_t batchSize = kFhirBatchSize,
    const RunLimits& limits = {}, bool fixedSize = false);

} // namespace qa::interop

namespace qa::interop {

// One operator's whole delivery, for a background thread: reads the stored results through
// its own connections to the operator's files (the window's tables stay untouched), queues
// the new ones, and with `send` sends what is pending to the link's destination: an MLLP
// receiver, or a FHIR server through the poster `fhirPoster` makes on the job's thread.
struct DeliveryJob {
    std::string dataFolder;
    std::string hba1cFile;
    std::string glucoseFile;
    MessageContext context; // operatorId names the outbox
    bool send = false;
    bool retryHeld = false;
    // Right after a download: the results it stored (the download table of that kind) name
    // the meter they came from. Results read later from the main tables have no known meter.
    std::string meterModel;
    ResultKind downloadedKind = ResultKind::HbA1c;
    std::string downloadFile;
    FhirPosterFactory fhirPoster;
    // Makes the MLLP sender on the job's thread: TLS for mllps:// (a Qt adapter); without
    // one, plain MLLP only.
    std::function<std::unique_ptr<MllpSender>(const MllpEndpoint&, std::chrono::milliseconds)>
        mllpSender;
    std::function<void(int done, int total)> progress; // called on the job's thread
};
DeliverySummary RunDelivery(const DeliveryJob& job, const std::atomic<bool>* stop = nullptr);

} // namespace qa::interop
