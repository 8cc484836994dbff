#include "app/cli_common.h"

#include "store/audit_log.h"
#include "store/backup.h"
#include "store/program_version.h"

#include <cstdio>
#include <ctime>

namespace qa::cli {

int Cli::Backup() {
    auto out = Value(options_, "--out");
    if (!out || out->empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "backup needs --out FILE")));
    }
    if (!options_.positional.empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "backup takes no argument %1"),
                             {options_.positional[0]}));
    }
    std::vector<BackupMember> members;
    AuditEntry entry;
    entry.action = audit_action::kBackup;
    if (const Status written = WriteBackup(folder_, *out, kProgramVersion, &members, &entry);
        !written) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The backup could not be written: "))
             << MessageUtf8(written.error()) << "\n";
        return kExitFailed;
    }
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "backed up %1 files to %2"),
                    {std::to_string(members.size()), *out})
         << "\n";
    return kExitOk;
}

int Cli::Restore() {
    if (options_.positional.size() != 1) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "restore needs one FILE")));
    }
    const std::string archive = options_.positional[0];
    // The window and every writing command hold this lock: nothing may have the files
    // open while the folder is swapped.
    if (!Lock()) {
        return kExitFailed;
    }
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &tm);
    AuditEntry entry;
    entry.action = audit_action::kRestore;
    const Expected<RestoredFolder> result = RestoreBackup(archive, folder_, stamp, &entry);
    if (!result) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                          "The backup was not restored; nothing was changed: "))
             << MessageUtf8(result.error()) << "\n";
        return kExitFailed;
    }
    if (!result->asidePath.empty()) {
        // The lock moved aside with the old folder; it goes on guarding the restored one
        // until this command ends.
        std::rename((result->asidePath + "/" + kLockFileName).c_str(),
                    (folder_ + "/" + kLockFileName).c_str());
    }
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "restored %1"), {archive}) << "\n";
    if (!result->asidePath.empty()) {
        out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "the replaced data folder is kept as %1"),
                        {result->asidePath})
             << "\n";
    }
    return kExitOk;
}

} // namespace qa::cli
