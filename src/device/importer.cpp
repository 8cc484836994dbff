#include "device/importer.h"

#include "i18n/message_catalogue.h"

#include "store/audit_log.h"
#include "store/profile_file.h"
#include "store/result_import.h"

#include <filesystem>
#include <functional>
#include <variant>
#include <vector>

namespace qa {

namespace {

// Shown once per byte and per record: built once, not for every call.
const Message& CheckingText(bool first) {
    static const Message a = kCheckingTextA;
    static const Message b = kCheckingTextB;
    return first ? a : b;
}

// The check walks the transfer byte by byte; the operator sees it as the two texts
// alternating, one per byte walked, ending on the byte that failed.
void ShowChecked(ImportHost& host, std::int64_t bytes) {
    for (std::int64_t i = 0; i < bytes; ++i) {
        host.SetProgressText(CheckingText(i % 2 == 0));
    }
}

// The whole payload, not only the part before the first 'S' or 'Z': the copy exists to show
// support what the meter really sent, and a patient ID holding either letter would otherwise
// cut it short exactly where the interesting records are. Nothing reads the file back.
// An existing file without write permission is the user's way of keeping an old copy.
void WriteRawDump(const std::string& folder, const std::string& payload) {
    if (folder.empty()) {
        return;
    }
    namespace fs = std::filesystem;
    std::string path = folder + "/" + kRawDumpName;
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (!error && fs::exists(status) &&
        (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        return;
    }
    // A diagnostic copy: failing to write it must not stop the import. Written to a new
    // hidden file and renamed over the name, so a link planted under either name is
    // replaced, never followed to overwrite what it points at.
    (void)ReplaceFileAtomically(path, payload);
}

// All records or none: the transaction rolls back when it goes out of scope uncommitted.
// The audit entry is staged in the main file inside the same transaction, so the results and
// their entry commit together; it moves into the log right after (or at the next start).
Expected<ImportSummary>
StoreResults(const std::vector<MeterResult>& results, MeasurementTable& main,
             MeasurementTable& download, ImportHost& host,
             const std::function<AuditEntry(const ImportSummary&)>& entryOf) {
    Expected<ResultImport> import = ResultImport::Begin(main, download);
    if (!import) {
        return import.error();
    }
    bool firstText = true;
    for (const MeterResult& result : results) {
        host.SetProgressText(CheckingText(firstText));
        firstText = !firstText;
        Expected<bool> added = import->Add(result);
        if (!added) {
            return added.error();
        }
    }
    ImportSummary summary;
    summary.stored = import->Stored();
    summary.skippedDeleted = import->SkippedDeleted();
    summary.skippedCorrected = import->SkippedCorrected();
    if (Status staged = StageAudit(main, entryOf(summary)); !staged) {
        return Message(MessageId::NotSaved, {SourceText(staged.error())});
    }
    if (Status committed = import->Commit(); !committed) {
        return committed.error();
    }
    (void)FlushStagedAudit(main); // what stays staged is moved at the next start
    return summary;
}

Expected<ImportSummary> ImportResults(const Transfer& transfer, ResultKind kind,
                                      MeasurementTable& main, MeasurementTable& download,
                                      const ImportServices& services) {
    if (transfer.kind != kind || main.Kind() != kind || download.Kind() != kind) {
        return MessageId::WrongKind;
    }
    // Refused before anything else: a transfer this large cannot be a meter's memory.
    if (transfer.payload.size() >= kMaxPayloadBytes) {
        return kFramingFailText;
    }

    // Nothing is stored that the log could not record: an unwritable log refuses the import
    // before the download list is touched, and the meter keeps its results.
    {
        const std::string path = main.Path().Str();
        const auto slash = path.rfind('/');
        if (Status writable =
                CheckAuditWritable(slash == std::string::npos ? "." : path.substr(0, slash));
            !writable) {
            return Message(MessageId::NotSaved, {SourceText(writable.error())});
        }
    }

    // No "DATA" folder is made in the working directory: nothing here uses it.
    WriteRawDump(services.dataFolder, transfer.payload);
    // Results stored beside the earlier ones would be listed as just downloaded: without an
    // empty download table nothing is stored, and the meter keeps its results.
    const Status emptied = EmptyDownloadList(download);

    DecodedTransfer decoded = DecodeTransfer(transfer);
    if (const auto* failure = std::get_if<FramingFailure>(&decoded)) {
        ShowChecked(services.host, failure->bytesChecked);
        return kFramingFailText;
    }
    const auto& results = std::get<std::vector<MeterResult>>(decoded);
    ShowChecked(services.host, static_cast<std::int64_t>(transfer.recordCount) *
                                   static_cast<std::int64_t>(transfer.recordSize));

    auto entryOf = [&](const ImportSummary& stored) {
        AuditEntry entry;
        entry.action = audit_action::kImport;
        std::vector<std::string> items;
        AppendItem(items, MessageId::AuditItemReceived,
                   {std::to_string(transfer.recordCount), std::to_string(stored.stored)});
        if (stored.skippedDeleted > 0) {
            AppendItem(items, MessageId::AuditItemSkippedDeleted,
                       {std::to_string(stored.skippedDeleted)});
        }
        if (stored.skippedCorrected > 0) {
            AppendItem(items, MessageId::AuditItemSkippedCorrected,
                       {std::to_string(stored.skippedCorrected)});
        }
        AppendItem(items, MessageId::AuditItemRecordSize, {std::to_string(transfer.recordSize)});
        if (services.port.empty()) {
            AppendItem(items, MessageId::AuditItemPortUnknown);
        } else {
            AppendItem(items, MessageId::AuditItemPort, {services.port});
        }
        if (transfer.eraseAfterDownload) {
            AppendItem(items, MessageId::AuditItemMeterErased);
        }
        entry.SetMessage(Message(kind == ResultKind::HbA1c ? MessageId::AuditHbA1cImported
                                                           : MessageId::AuditGlucoseImported,
                                 std::move(items)));
        return entry;
    };
    Expected<ImportSummary> stored =
        emptied ? StoreResults(results, main, download, services.host, entryOf)
                : Expected<ImportSummary>(emptied);
    // After a failure too: the objects' row lists must match the files again.
    ResetListsAfterImport(main, download);
    if (!stored) {
        return stored.error();
    }
    ImportSummary summary = *stored;
    summary.received = transfer.recordCount;
    return summary;
}

} // namespace

Expected<ImportSummary> ImportHbA1cResults(const Transfer& transfer, HbA1cTable& main,
                                           HbA1cTable& download, const ImportServices& services) {
    return ImportResults(transfer, ResultKind::HbA1c, main, download, services);
}

Expected<ImportSummary> ImportGlucoseResults(const Transfer& transfer, GlucoseTable& main,
                                             GlucoseTable& download,
                                             const ImportServices& services) {
    return ImportResults(transfer, ResultKind::Glucose, main, download, services);
}

} // namespace qa
