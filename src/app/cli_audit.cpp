#include "app/cli_common.h"

#include "app/data_folder.h"

#include "store/audit_log.h"
#include "store/list_filters.h"

namespace qa::cli {

int Cli::Audit() {
    if (!options_.positional.empty() && options_.positional[0] == "undelete") {
        if (options_.positional.size() != 2) {
            return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "audit undelete needs the ID of "
                                                              "the deleted result")));
        }
        return UndeleteResult(options_.positional[1]);
    }
    if (!options_.positional.empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "audit takes no argument %1"),
                             {options_.positional[0]}));
    }
    AuditQuery query;
    query.patientId = Value(options_, "--patient").value_or("");
    auto from = Value(options_, "--from");
    auto to = Value(options_, "--to");
    for (const auto& day : {from, to}) {
        if (day && !ParseStoredDate(*day)) {
            return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "dates are written YYYYMMDD")));
        }
    }
    // What a crash left staged or announced is settled first, so the listing shows every
    // change that took effect; beside a running window (which settled at its start) the log
    // is read as it is.
    lock_ = std::make_unique<InstanceLock>(QString::fromStdString(folder_));
    if (lock_->Acquire() == InstanceLock::Result::Acquired) {
        RemoveStaleTempFiles(folder_);
        for (const std::string& note : SettleInterruptedWork(folder_)) {
            err_ << note << "\n";
        }
    }
    query.fromDay = from.value_or("");
    query.toDay = to.value_or("");
    Expected<std::vector<AuditEntry>> entries = ReadAudit(folder_, query);
    if (!entries) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The audit log cannot be read: "))
             << MessageUtf8(entries.error()) << "\n";
        return kExitFailed;
    }
    // The listing is what scripts read: action identifiers and the detail as stored, in
    // the source language, whatever the operator's (the window shows them translated).
    for (const AuditEntry& entry : *entries) {
        out_ << AuditLine(entry) << "\n";
    }
    return kExitOk;
}

} // namespace qa::cli
