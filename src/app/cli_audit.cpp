#include "app/cli_common.h"

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
    query.fromDay = from.value_or("");
    query.toDay = to.value_or("");
    std::vector<AuditEntry> entries;
    std::string error;
    if (!ReadAudit(folder_, query, entries, error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The audit log cannot be read: ")) << error
             << "\n";
        return kExitFailed;
    }
    for (const auto& entry : entries) {
        out_ << AuditLine(entry) << "\n";
    }
    return kExitOk;
}

} // namespace qa::cli
