#pragma once

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
// data folder, or one that exists and is not a regular file, is refused. False with `error`
// naming the file and the reason.
bool WriteBackup(const std::string& dataFolder, const std::string& archivePath,
                 const std::string& programVersion, std::string& error,
                 std::vector<BackupMember>* members = nullptr);

// Reads the whole archive and checks it: the manifest's format, every member listed once
// with its size and checksum, nothing unlisted, only plain names, and every database
// passing SQLite's quick check. Nothing outside a private scratch folder beside the archive
// is written, and that folder is removed.
bool CheckBackup(const std::string& archivePath, std::string& error,
                 std::vector<BackupMember>* members = nullptr);

struct RestoreResult {
    bool ok = false;
    std::string error;
    // Where the data folder that was replaced now lives; empty when there was none.
    std::string asidePath;
};

// Unpacks and checks the whole archive into a new folder beside `dataFolder` first; only
// when everything passed is the data folder renamed aside to "<folder>.before-restore-
// <stamp>" and the new folder renamed into its place. On any failure the data folder is
// left exactly as it was. `stamp` is the caller's time text (for example 20261208T183000).
RestoreResult RestoreBackup(const std::string& archivePath, const std::string& dataFolder,
                            const std::string& stamp);

} // namespace qa
