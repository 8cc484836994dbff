#pragma once

#include "store/audit_log.h"
#include "store/status.h"

#include <functional>
#include <string>
#include <vector>

namespace qa {

// A backup archive is a POSIX tar (ustar) file holding every file of the data folder's top
// level under its own name, and last a member "MANIFEST" (UTF-8 text):
//
//   QuorinA1c backup 1
//   version <program version>
//   created <UTC time, YYYY-MM-DDTHH:MM:SSZ>
//   sqlite <sha-256 hex> <size> <name>      one line per database
//   file <sha-256 hex> <size> <name>        one line per other file
//
// Any tar tool can list or unpack it; `sha256sum` checks a member against its line.
inline constexpr const char* kBackupManifestName = "MANIFEST";
inline constexpr const char* kBackupFormatLine = "QuorinA1c backup 1";

struct BackupMember {
    std::string name;
    bool database = false;
    std::string sha256;
    unsigned long long size = 0;
};

// Writes a consistent snapshot of `dataFolder` to `archivePath` while other connections
// read and write it: each database through SQLite's online backup (every page copied under
// one read lock, so never half a transaction), every other file as it is. The lock file,
// journals and hidden temporary files are left out. The archive is written through a
// temporary file in its folder and renamed into place with mode 0600; a target inside the
// data folder, or one that exists and is not a regular file, is refused. A failure names the
// file and the reason.
//
// With `audit`, the backup is recorded in the folder's log together with the archive's
// appearing: refused before anything is written when the log cannot be written; an intent
// names the temporary file, so a start after a crash appends the entry when the archive is in
// place and removes the partial archive when it is not. The entry's detail is filled in.
Status WriteBackup(const std::string& dataFolder, const std::string& archivePath,
                   const std::string& programVersion, std::vector<BackupMember>* members = nullptr,
                   const AuditEntry* audit = nullptr);

// Reads the whole archive and checks it: the manifest's format, every member listed once
// with its size and checksum, nothing unlisted, only plain names, and every database
// passing SQLite's quick check. Nothing outside a private scratch folder beside the archive
// is written, and that folder is removed.
Status CheckBackup(const std::string& archivePath, std::vector<BackupMember>* members = nullptr);

struct RestoredFolder {
    // Where the data folder that was replaced now lives; empty when there was none.
    std::string asidePath;
};

// The steps of a restore after the archive is unpacked and checked, in order.
enum class RestoreStep {
    Unpacked,   // the new folder is complete beside the data folder (with its log)
    Exchanged,  // the data folder's path holds the new folder, the old one is beside it
    MovedAside, // without an exchange: the old folder renamed aside, the path empty
    Renamed,    // the old folder under its final name "<folder>.before-restore-<stamp>"
};

struct RestoreHooks {
    // Called when each step is reached; false stops the restore right there, leaving
    // everything as a crash at that moment would (tests interrupt it at every step).
    std::function<bool(RestoreStep)> reached;
    // False: the file system is taken to refuse the atomic exchange.
    bool exchange = true;
};

// Unpacks and checks the whole archive into a new hidden folder beside `dataFolder`
// (".<name>.restore-XXXXXX", holding a marker until it is the data folder); only when
// everything passed are the two swapped in one atomic exchange, so the data folder's path
// holds the old folder or the new one at every instant. The old one is then renamed to
// "<folder>.before-restore-<stamp>". Where the file system refuses the exchange, two renames
// are used and a start between them finds the set-aside copy (SetAsideCopyOf). On any failure
// before the swap the data folder is left exactly as it was. `stamp` is the caller's time
// text (for example 20261208T183000).
//
// With `audit`, the restored folder gets this folder's log, never the archive's (an archive
// whose log was edited must not rewrite the trail), with the restore appended to it before
// the swap: the entry takes effect with the restore. Only without a log of its own is the
// archive's kept, and its append-only protection put back. Refused when the log cannot be
// written.
Expected<RestoredFolder> RestoreBackup(const std::string& archivePath,
                                       const std::string& dataFolder, const std::string& stamp,
                                       const AuditEntry* audit = nullptr,
                                       const RestoreHooks& hooks = {});

// What an interrupted restore left beside `dataFolder`, settled at start under the lock:
// unpacked copies that never became the data folder are removed; an old data folder left
// under the hidden name after the swap is renamed to "<folder>.before-restore-<stamp>". The
// paths of such kept folders are returned, for the operator to be told.
std::vector<std::string> SettleInterruptedRestore(const std::string& dataFolder,
                                                  const std::string& stamp);

// When `dataFolder` is missing: the newest "<folder>.before-restore-*" copy beside it (a
// restore interrupted between its two renames), else empty. A start offers it instead of
// making an empty store.
std::string SetAsideCopyOf(const std::string& dataFolder);

} // namespace qa
