#include "app/cli_common.h"

#include "interop/delivery.h"
#include "interop/outbox.h"
#include "interop/qt/fhir_sender.h"
#include "interop/qt/tls_mllp_sender.h"

#include <algorithm>

namespace qa::cli {

// Queues every stored result the outbox does not know, then sends what is pending: to an
// MLLP receiver one message at a time, to a FHIR server one transaction Bundle of results at
// a time; the outcome of each is in the outbox before the next goes out.
int Cli::Send() {
    if (int code = Extra(0); code != kExitOk) {
        return code;
    }
    if (!Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(); code != kExitOk) {
        return code;
    }
    interop::MessageContext context = MessageContextOfUser();
    const std::string destination = Value(options_, "--to").value_or(context.link.destination);
    if (destination.empty()) {
        return Usage(CliText(
            QT_TRANSLATE_NOOP("qa::Cli", "send needs --to mllp(s)://HOST:PORT or a FHIR base URL "
                                         "http(s)://HOST/PATH, or the Destination setting")));
    }
    auto endpoint = interop::ParseMllpDestination(destination);
    auto fhirBase = endpoint ? std::nullopt : interop::ParseFhirBase(destination);
    if (!endpoint && !fhirBase) {
        return Usage(CliText(
            QT_TRANSLATE_NOOP("qa::Cli", "the destination is written mllp(s)://HOST:PORT or as a "
                                         "FHIR base URL http(s)://HOST/PATH, not %1"),
            {destination}));
    }
    if (!NameEntries(context)) {
        return kExitFailed;
    }
    interop::Outbox outbox;
    if (Status opened = outbox.Open(interop::Outbox::PathFor(folder_, users_->ActiveUserId()));
        !opened) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Nothing was sent: %1"),
                        {MessageUtf8(opened.error())})
             << "\n";
        return kExitFailed;
    }
    if (options_.flags.count("--retry-held") != 0) {
        if (Expected<int> put = outbox.ReleaseHeld(interop::kNoPatientReason); !put) {
            err_ << ConsoleText(MessageUtf8(put.error())) << "\n";
            return kExitFailed;
        }
    }
    int released = 0;
    for (MeasurementTable* table : {static_cast<MeasurementTable*>(&users_->HbA1cMain()),
                                    static_cast<MeasurementTable*>(&users_->GlucoseMain())}) {
        std::vector<interop::StoredResult> results;
        if (Status read = interop::ReadStoredResults(*table, results); !read) {
            err_ << ConsoleText(MessageUtf8(read.error())) << "\n";
            return kExitFailed;
        }
        const interop::DeletionCheck deletions = interop::DeletionsOf(*table);
        int given = 0;
        Expected<int> queued =
            interop::QueueResultsReleasing(outbox, results, context, folder_, given, &deletions);
        released += given;
        if (!queued) {
            err_ << ConsoleText(MessageUtf8(queued.error())) << "\n";
            return kExitFailed;
        }
    }
    if (released > 0) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                          "released %1 held without a patient: a patient was "
                                          "given to them"),
                        {std::to_string(released)})
             << "\n";
    }
    const std::chrono::seconds timeout(context.link.ackTimeoutSeconds);
    interop::DeliverySummary summary;
    interop::RunLimits limits;
    limits.deadline = std::chrono::steady_clock::now() + interop::kRunTimeLimit;
    // Progress on stderr, about every tenth of the way: stdout keeps its one summary line.
    limits.progress = [this, shown = 0](int done, int total) mutable {
        if (done == total || done * 10 / std::max(total, 1) > shown) {
            shown = done * 10 / std::max(total, 1);
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "sending: %1 of %2"),
                            {std::to_string(done), std::to_string(total)})
                 << "\n";
        }
    };
    if (endpoint) {
        // TLS runs on Qt's sockets.
        const std::unique_ptr<QCoreApplication> app =
            endpoint->tls ? EventLoopApplication() : nullptr;
        const std::unique_ptr<interop::MllpSender> sender =
            interop::MakeMllpSender(*endpoint, timeout, context.link);
        summary = interop::SendPending(
            outbox, *sender,
            [this](const interop::OutboxEntry& entry, const interop::MllpSender::Reply& reply) {
                if (reply.outcome == interop::MllpSender::Outcome::Refused) {
                    err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                                      "held %1: the receiver refused it (%2 %3)"),
                                    {entry.controlId, reply.ack.code, reply.ack.reason})
                         << "\n";
                }
            },
            nullptr, limits);
    } else {
        // The HTTP client waits for its answer in an event loop.
        const std::unique_ptr<QCoreApplication> app = EventLoopApplication();
        interop::FhirSender sender(*fhirBase, timeout, context.link);
        summary = interop::SendPendingFhir(
            outbox, sender, context,
            [this](const std::string& controlId, const std::string& reason) {
                err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                                  "held %1: the FHIR server refused it (%2)"),
                                {controlId, reason})
                     << "\n";
            },
            nullptr, static_cast<std::size_t>(context.link.bundleSize), limits,
            context.link.bundleSize != static_cast<int>(interop::kFhirBatchSize));
    }
    if (const int withoutPatient = outbox.CountHeldFor(interop::kNoPatientReason);
        withoutPatient > 0) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "held without a patient: %1 (given a "
                                                     "patient, they go; Send_without_patient=1 "
                                                     "sends them as they are)"),
                        {std::to_string(withoutPatient)})
             << "\n";
    }
    if (!summary.status) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Sending stopped: %1"),
                        {MessageUtf8(summary.status.error())})
             << "\n";
    }
    const int undelivered = summary.pending + summary.heldTotal;
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "sent %1, pending %2"),
                    {std::to_string(summary.sent), std::to_string(undelivered)})
         << "\n";
    // The messages that change what the laboratory system holds, each kind on a line of its
    // own, when there are any: of the totals above, these are not new results.
    const auto followUps = [&](interop::MessageKind kind, const char* text) {
        const auto index = static_cast<std::size_t>(kind);
        if (summary.sentOf[index] > 0 || summary.waitingOf[index] > 0) {
            out_ << CliText(text, {std::to_string(summary.sentOf[index]),
                                   std::to_string(summary.waitingOf[index])})
                 << "\n";
        }
    };
    followUps(interop::MessageKind::Correction,
              QT_TRANSLATE_NOOP("qa::Cli", "corrections: sent %1, pending %2"));
    followUps(interop::MessageKind::WrongPatient,
              QT_TRANSLATE_NOOP("qa::Cli", "wrong-patient notices: sent %1, pending %2"));
    followUps(interop::MessageKind::Resend,
              QT_TRANSLATE_NOOP("qa::Cli", "results sent again (new patient or put back): "
                                           "sent %1, pending %2"));
    followUps(interop::MessageKind::Deletion,
              QT_TRANSLATE_NOOP("qa::Cli", "deletion notices: sent %1, pending %2"));
    return undelivered == 0 ? kExitOk : kExitFailed;
}

} // namespace qa::cli
