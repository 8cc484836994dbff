#include "store/backup.h"

#include "i18n/message_catalogue.h"

#include "store/installation_id.h"
#include "store/sha256.h"
#include "store/system_error.h"

#include <sqlite3.h>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace qa {

namespace {

constexpr const char* kRestoreIncomingMarker = ".restore-incoming";
constexpr std::size_t kBlock = 512;
constexpr std::size_t kMaxNameBytes = 99;
// A busy database is retried this long before the backup gives up.
constexpr int kBusyMilliseconds = 10'000;
constexpr char kSqliteHeader[] = "SQLite format 3";

std::string Reason() {
    return SystemErrorText(errno);
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The canonical form of an existing folder, or of the folder a new file would go in.
std::string Canonical(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return {};
    }
    std::string out(real);
    std::free(real);
    return out;
}

bool EndsWith(const std::string& text, const char* tail) {
    std::size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t put = ::write(fd, p, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        p += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// Reads exactly `size` bytes; false at the end of the file or on an error.
bool ReadExactly(int fd, void* data, std::size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        ssize_t got = ::read(fd, p, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        p += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

// A member name the archive may hold: a plain file name, printable, not hidden.
bool IsPlainName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameBytes || name[0] == '.') {
        return false;
    }
    return std::none_of(name.begin(), name.end(),
                        [](unsigned char c) { return c < 0x20 || c == 0x7f || c == '/'; });
}

// Files of the data folder that are not part of its state: the single-instance lock,
// journals of open databases (the backup copies the committed pages), hidden temporary
// files of atomic writes.
bool LeftOut(const std::string& name) {
    return name.empty() || name[0] == '.' || EndsWith(name, ".lock") ||
           EndsWith(name, "-journal") || EndsWith(name, "-wal") || EndsWith(name, "-shm");
}

bool LooksLikeDatabase(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    char head[16] = {};
    bool ok = ReadExactly(fd, head, sizeof head);
    ::close(fd);
    return ok && std::memcmp(head, kSqliteHeader, sizeof kSqliteHeader) == 0;
}

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, SqliteCloser>;

// A page-by-page copy of a live database into memory, taken under one read lock.
Status SnapshotDatabase(const std::string& path, std::string& bytes) {
    sqlite3* raw = nullptr;
    // Read-write without create, so a journal left by a crashed writer is rolled back
    // as any reader would, instead of being copied as a half transaction.
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Db source(raw);
    if (rc != SQLITE_OK) {
        return Message(MessageId::FileReason,
                       {path, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)});
    }
    sqlite3_busy_timeout(source.get(), kBusyMilliseconds);
    raw = nullptr;
    sqlite3_open(":memory:", &raw);
    Db copy(raw);
    sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
    if (backup == nullptr) {
        return Message(MessageId::FileReason, {path, sqlite3_errmsg(copy.get())});
    }
    int waited = 0;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (waited >= kBusyMilliseconds) {
                break;
            }
            sqlite3_sleep(20);
            waited += 20;
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        return Message(MessageId::FileReason, {path, sqlite3_errstr(rc)});
    }
    sqlite3_int64 size = 0;
    unsigned char* data = sqlite3_serialize(copy.get(), "main", &size, 0);
    if (data == nullptr) {
        return Message(MessageId::BackupCopyUnreadable, {path});
    }
    bytes.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
    sqlite3_free(data);
    // The copy is a file of its own: in rollback-journal form, so a restored database opens
    // without write-ahead files that the manifest does not list.
    if (bytes.size() >= 100 && bytes[18] == 2 && bytes[19] == 2) {
        bytes[18] = 1;
        bytes[19] = 1;
    }
    return {};
}

Status ReadPlainFile(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return Message(MessageId::FileReason, {path, Reason()});
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            Message failure(MessageId::FileReason, {path, Reason()});
            ::close(fd);
            return failure;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return {};
}

void PutOctal(char* field, std::size_t width, unsigned long long value) {
    // width - 1 digits and a NUL, as ustar writes them.
    std::snprintf(field, width, "%0*llo", static_cast<int>(width - 1), value);
}

bool WriteMember(int fd, const std::string& name, std::string_view bytes, std::time_t mtime) {
    char header[kBlock] = {};
    std::memcpy(header, name.data(), name.size());
    PutOctal(header + 100, 8, 0600);
    PutOctal(header + 108, 8, 0);
    PutOctal(header + 116, 8, 0);
    PutOctal(header + 124, 12, bytes.size());
    PutOctal(header + 136, 12, static_cast<unsigned long long>(mtime));
    header[156] = '0';
    std::memcpy(header + 257, "ustar", 6);
    std::memcpy(header + 263, "00", 2);
    std::memset(header + 148, ' ', 8);
    unsigned sum = 0;
    for (unsigned char c : header) {
        sum += c;
    }
    std::snprintf(header + 148, 8, "%06o", sum);
    header[155] = ' ';
    if (!WriteAll(fd, header, kBlock) || !WriteAll(fd, bytes.data(), bytes.size())) {
        return false;
    }
    static const char kZeros[kBlock] = {};
    std::size_t pad = (kBlock - bytes.size() % kBlock) % kBlock;
    return WriteAll(fd, kZeros, pad);
}

std::string UtcText(std::time_t t) {
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

void SyncFolder(const std::string& folder) {
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool RemoveTree(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return errno == ENOENT;
    }
    bool ok = true;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        ok = ::unlink((folder + "/" + name).c_str()) == 0 && ok;
    }
    ::closedir(dir);
    return ::rmdir(folder.c_str()) == 0 && ok;
}

// The files of the scratch and restore folders are plain files only, created by this code.
struct ScratchFolder {
    std::string path;
    bool keep = false;
    ~ScratchFolder() {
        if (!path.empty() && !keep) {
            RemoveTree(path);
        }
    }
};

struct ParsedManifest {
    std::vector<BackupMember> members;
};

// `archivePath` names the archive in the failure.
Status ParseManifest(const std::string& archivePath, const std::string& text,
                     ParsedManifest& manifest) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kBackupFormatLine) {
        return Message(MessageId::BackupManifestStart, {archivePath, kBackupFormatLine});
    }
    std::set<std::string> seen;
    while (std::getline(in, line)) {
        if (line.rfind("version ", 0) == 0 || line.rfind("created ", 0) == 0 || line.empty()) {
            continue;
        }
        std::istringstream fields(line);
        std::string type, hash;
        unsigned long long size = 0;
        if (!(fields >> type >> hash >> size) || (type != "sqlite" && type != "file") ||
            hash.size() != 64 || fields.get() != ' ') {
            return Message(MessageId::BackupManifestLine, {archivePath, line});
        }
        std::string name;
        std::getline(fields, name);
        if (!IsPlainName(name) || name == kBackupManifestName || !seen.insert(name).second) {
            return Message(MessageId::BackupManifestName, {archivePath, name});
        }
        manifest.members.push_back({name, type == "sqlite", hash, size});
    }
    return {};
}

bool QuickCheck(const std::string& path, std::string& error) {
    sqlite3* raw = nullptr;
    // Immutable: the check must not leave lock or journal files beside the unpacked file.
    std::string uri = "file:";
    for (char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    int rc = sqlite3_open_v2((uri + "?immutable=1").c_str(), &raw,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        error = (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
        return false;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db.get(), "PRAGMA quick_check", -1, &statement, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db.get());
        return false;
    }
    rc = sqlite3_step(statement);
    std::string answer;
    if (rc == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        answer = text ? reinterpret_cast<const char*>(text) : "";
    } else {
        answer = sqlite3_errmsg(db.get());
    }
    sqlite3_finalize(statement);
    if (answer != "ok") {
        error = "quick check: " + answer;
        return false;
    }
    return true;
}

// Unpacks `archivePath` into the empty folder `into` and checks everything. On success
// `into` holds exactly the manifest's files.
Status UnpackAndCheck(const std::string& archivePath, const std::string& into,
                      std::vector<BackupMember>& members) {
    int fd = ::open(archivePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return Message(MessageId::FileReason, {archivePath, Reason()});
    }
    struct Found {
        std::string sha256;
        unsigned long long size;
    };
    std::map<std::string, Found> found;
    std::string manifestText;
    bool manifestSeen = false;
    bool ended = false;
    auto fail = [&](MessageId why, std::vector<std::string> more = {}) {
        more.insert(more.begin(), archivePath);
        ::close(fd);
        return Status(Message(why, std::move(more)));
    };
    char header[kBlock];
    while (ReadExactly(fd, header, kBlock)) {
        if (std::all_of(std::begin(header), std::end(header), [](char c) { return c == 0; })) {
            ended = true;
            break;
        }
        if (std::memcmp(header + 257, "ustar", 5) != 0) {
            return fail(MessageId::BackupNotTar);
        }
        unsigned sum = 0;
        for (int i = 0; i < static_cast<int>(kBlock); ++i) {
            sum += (i >= 148 && i < 156) ? ' ' : static_cast<unsigned char>(header[i]);
        }
        char sumField[9] = {};
        std::memcpy(sumField, header + 148, 8);
        if (std::strtoul(sumField, nullptr, 8) != sum) {
            return fail(MessageId::BackupHeaderDamaged);
        }
        if (header[156] != '0' && header[156] != '\0') {
            return fail(MessageId::BackupMemberNotPlain);
        }
        if (header[345] != '\0') {
            return fail(MessageId::BackupMemberPath);
        }
        std::string name(header, strnlen(header, 100));
        char sizeField[13] = {};
        std::memcpy(sizeField, header + 124, 12);
        char* end = nullptr;
        unsigned long long size = std::strtoull(sizeField, &end, 8);
        if (manifestSeen) {
            return fail(MessageId::BackupAfterManifest);
        }
        bool isManifest = name == kBackupManifestName;
        if (!isManifest && (!IsPlainName(name) || found.count(name) != 0)) {
            return fail(MessageId::BackupMemberName, {name});
        }
        if (isManifest && size > 1'000'000) {
            return fail(MessageId::BackupManifestTooLarge);
        }
        int out = -1;
        if (!isManifest) {
            out = ::open((into + "/" + name).c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (out < 0) {
                return fail(MessageId::BackupUnpackFailed, {into + "/" + name, Reason()});
            }
        }
        Sha256 hash;
        unsigned long long left = size;
        char buffer[65536];
        bool ok = true;
        while (left > 0 && ok) {
            std::size_t take =
                static_cast<std::size_t>(std::min<unsigned long long>(left, sizeof buffer));
            ok = ReadExactly(fd, buffer, take);
            if (ok) {
                hash.Update(buffer, take);
                if (isManifest) {
                    manifestText.append(buffer, take);
                } else {
                    ok = WriteAll(out, buffer, take);
                }
                left -= take;
            }
        }
        if (out >= 0) {
            ok = ::fsync(out) == 0 && ok;
            ok = ::close(out) == 0 && ok;
        }
        if (!ok) {
            return fail(MessageId::BackupMemberCut, {name});
        }
        std::size_t pad = (kBlock - size % kBlock) % kBlock;
        if (pad > 0 && !ReadExactly(fd, buffer, pad)) {
            return fail(MessageId::BackupCutShort);
        }
        if (isManifest) {
            manifestSeen = true;
        } else {
            found[name] = {hash.HexDigest(), size};
        }
    }
    ::close(fd);
    if (!ended || !manifestSeen) {
        return Message(manifestSeen ? MessageId::BackupCutShort : MessageId::BackupNoManifest,
                       {archivePath});
    }
    ParsedManifest manifest;
    if (Status parsed = ParseManifest(archivePath, manifestText, manifest); !parsed) {
        return parsed;
    }
    for (const auto& member : manifest.members) {
        auto it = found.find(member.name);
        if (it == found.end()) {
            return Message(MessageId::BackupLacks, {archivePath, member.name});
        }
        if (it->second.size != member.size || it->second.sha256 != member.sha256) {
            return Message(MessageId::BackupChecksum, {archivePath, member.name});
        }
        if (member.database) {
            std::string why;
            if (!LooksLikeDatabase(into + "/" + member.name) ||
                !QuickCheck(into + "/" + member.name, why)) {
                if (why.empty()) {
                    return Message(MessageId::BackupDatabaseDamaged, {archivePath, member.name});
                }
                return Message(MessageId::BackupDatabaseDamagedBecause,
                               {archivePath, member.name, why});
            }
        }
        found.erase(it);
    }
    if (!found.empty()) {
        return Message(MessageId::BackupUnlisted, {archivePath, found.begin()->first});
    }
    members = manifest.members;
    return {};
}

Status MakeScratch(const std::string& besides, const std::string& tag, ScratchFolder& scratch) {
    std::string pattern = FolderOf(besides) + "/." + BaseOf(besides) + "." + tag + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        return Message(MessageId::FileReason, {FolderOf(besides), Reason()});
    }
    scratch.path = buffer.data();
    return {};
}

} // namespace

Status WriteBackup(const std::string& dataFolder, const std::string& archivePath,
                   const std::string& programVersion, std::vector<BackupMember>* members,
                   const AuditEntry* audit) {
    std::string folder = Canonical(dataFolder);
    if (folder.empty()) {
        return Message(MessageId::FileReason, {dataFolder, Reason()});
    }
    std::string targetFolder = Canonical(FolderOf(archivePath));
    if (targetFolder.empty()) {
        return Message(MessageId::FileReason, {FolderOf(archivePath), Reason()});
    }
    if (targetFolder == folder || targetFolder.rfind(folder + "/", 0) == 0) {
        return Message(MessageId::BackupInsideDataFolder, {archivePath});
    }
    struct stat st {};
    if (::lstat(archivePath.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        return Message(MessageId::BackupNotRegular, {archivePath});
    }

    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return Message(MessageId::FileReason, {folder, Reason()});
    }
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        struct stat fs {};
        if (LeftOut(name) || ::lstat((folder + "/" + name).c_str(), &fs) != 0 ||
            !S_ISREG(fs.st_mode)) {
            continue;
        }
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (!IsPlainName(name)) {
            return Message(MessageId::BackupNameNotStorable, {folder + "/" + name});
        }
    }

    std::string temp =
        FolderOf(archivePath) + "/." + BaseOf(archivePath) + ".tmp-" + std::to_string(::getpid());
    AuditIntent intent;
    AuditCheck check;
    check.kind = AuditCheck::Kind::FileIdentity;
    check.path = archivePath;
    check.temp = temp;
    if (audit != nullptr) {
        if (Status begun = AuditIntent::Begin(folder, *audit, check, intent); !begun) {
            return begun;
        }
    }
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        Message failure(MessageId::FileReason, {temp, Reason()});
        intent.Abandon();
        return failure;
    }
    struct stat made {};
    if (audit != nullptr) {
        Status updated =
            ::fstat(fd, &made) != 0
                ? Status(Message(MessageId::AuditFileError, {temp, Reason()}))
                : intent.Update((check.device = made.st_dev, check.inode = made.st_ino, check));
        if (!updated) {
            ::close(fd);
            ::unlink(temp.c_str());
            return updated;
        }
    }
    std::time_t now = std::time(nullptr);
    std::string manifest = std::string(kBackupFormatLine) + "\nversion " + programVersion +
                           "\ncreated " + UtcText(now) + "\n";
    std::vector<BackupMember> written;
    Status outcome;
    for (const auto& name : names) {
        std::string path = folder + "/" + name;
        std::string bytes;
        bool database = LooksLikeDatabase(path);
        outcome = database ? SnapshotDatabase(path, bytes) : ReadPlainFile(path, bytes);
        if (!outcome) {
            if (errno == ENOENT && !database) {
                outcome = {};
                continue; // removed since the listing (a user deleted meanwhile)
            }
            break;
        }
        BackupMember member{name, database, Sha256Hex(bytes), bytes.size()};
        if (!WriteMember(fd, name, bytes, now)) {
            outcome = Message(MessageId::FileReason, {temp, Reason()});
            break;
        }
        manifest += std::string(database ? "sqlite " : "file ") + member.sha256 + " " +
                    std::to_string(member.size) + " " + name + "\n";
        written.push_back(std::move(member));
    }
    if (outcome) {
        static const char kEnd[2 * kBlock] = {};
        if (!WriteMember(fd, kBackupManifestName, manifest, now) ||
            !WriteAll(fd, kEnd, sizeof kEnd) || ::fsync(fd) != 0) {
            outcome = Message(MessageId::FileReason, {temp, Reason()});
        }
    }
    if (::close(fd) != 0 && outcome) {
        // What was written may not have reached the disk: said, not passed as a success.
        outcome = Message(MessageId::FileReason, {temp, Reason()});
    }
    if (outcome && audit != nullptr) {
        const Message detail(MessageId::AuditBackupFiles,
                             {std::to_string(written.size()), archivePath});
        if (Status updated = intent.Update(check, &detail); !updated) {
            outcome = updated;
        }
    }
    if (outcome && ::rename(temp.c_str(), archivePath.c_str()) != 0) {
        outcome = Message(MessageId::FileReason, {archivePath, Reason()});
    }
    if (!outcome) {
        ::unlink(temp.c_str());
        intent.Abandon();
        return outcome;
    }
    SyncFolder(FolderOf(archivePath));
    if (audit != nullptr) {
        (void)intent.Confirm(); // else the next start appends it: the archive is in place
    }
    if (members != nullptr) {
        *members = std::move(written);
    }
    return {};
}

Status CheckBackup(const std::string& archivePath, std::vector<BackupMember>* members) {
    ScratchFolder scratch;
    if (Status made = MakeScratch(archivePath, "check", scratch); !made) {
        return made;
    }
    std::vector<BackupMember> list;
    if (Status checked = UnpackAndCheck(archivePath, scratch.path, list); !checked) {
        return checked;
    }
    if (members != nullptr) {
        *members = std::move(list);
    }
    return {};
}

Expected<RestoredFolder> RestoreBackup(const std::string& archivePath,
                                       const std::string& dataFolder, const std::string& stamp,
                                       const AuditEntry* audit, const RestoreHooks& hooks) {
    RestoredFolder result;
    std::string folder = dataFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    struct stat st {};
    const bool hadFolder = ::lstat(folder.c_str(), &st) == 0;
    if (audit != nullptr && hadFolder) {
        if (Status writable = CheckAuditWritable(folder); !writable) {
            return writable;
        }
    }
    ScratchFolder incoming;
    if (Status made = MakeScratch(folder, "restore", incoming); !made) {
        return made;
    }
    // Marks the copy as not (yet) the data folder, for a start after a crash.
    const std::string marker = incoming.path + "/" + kRestoreIncomingMarker;
    int made = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (made < 0) {
        return Message(MessageId::FileReason, {marker, Reason()});
    }
    ::close(made);
    std::vector<BackupMember> members;
    if (Status checked = UnpackAndCheck(archivePath, incoming.path, members); !checked) {
        return checked;
    }
    if (Status kept = KeepInstallationUuid(folder, incoming.path); !kept) {
        return kept;
    }
    std::string aside;
    if (hadFolder) {
        aside = folder + ".before-restore-" + stamp;
        for (int n = 2; ::lstat(aside.c_str(), &st) == 0; ++n) {
            aside = folder + ".before-restore-" + stamp + "-" + std::to_string(n);
        }
    }
    if (audit != nullptr) {
        AuditEntry entry = *audit;
        entry.SetMessage(Message(MessageId::AuditRestoreFrom, {archivePath, aside}));
        if (Status carried = CarryAuditInto(folder, incoming.path, std::move(entry)); !carried) {
            return carried;
        }
    }
    SyncFolder(incoming.path);
    auto stop = [&](RestoreStep step) {
        if (hooks.reached && !hooks.reached(step)) {
            incoming.keep = true; // as a crash would leave it
            return true;
        }
        return false;
    };
    if (stop(RestoreStep::Unpacked)) {
        return MessageId::RestoreStopped;
    }
    if (!hadFolder) {
        if (::rename(incoming.path.c_str(), folder.c_str()) != 0) {
            return Message(MessageId::FileReason, {folder, Reason()});
        }
    } else {
        bool exchanged = false;
        if (hooks.exchange) {
            if (::renameat2(AT_FDCWD, incoming.path.c_str(), AT_FDCWD, folder.c_str(),
                            RENAME_EXCHANGE) == 0) {
                exchanged = true;
            } else if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
                return Message(MessageId::FileReason, {folder, Reason()});
            }
        }
        if (exchanged) {
            // The path holds the new folder; the old one is under the hidden name, and
            // without the marker a start takes it for what it is.
            incoming.keep = true;
            if (stop(RestoreStep::Exchanged)) {
                return MessageId::RestoreStopped;
            }
            if (::rename(incoming.path.c_str(), aside.c_str()) != 0) {
                aside = incoming.path; // kept under the hidden name; named to the operator
            }
        } else {
            if (::rename(folder.c_str(), aside.c_str()) != 0) {
                return Message(MessageId::RestoreNotMovedAside, {folder, Reason()});
            }
            if (stop(RestoreStep::MovedAside)) {
                return MessageId::RestoreStopped;
            }
            if (::rename(incoming.path.c_str(), folder.c_str()) != 0) {
                Message failure(MessageId::FileReason, {folder, Reason()});
                ::rename(aside.c_str(), folder.c_str());
                return failure;
            }
            incoming.keep = true;
        }
        result.asidePath = aside;
        if (stop(RestoreStep::Renamed)) {
            return MessageId::RestoreStopped;
        }
    }
    incoming.keep = true;
    ::unlink((folder + "/" + kRestoreIncomingMarker).c_str());
    ::chmod(folder.c_str(), 0700);
    SyncFolder(FolderOf(folder));
    return result;
}

std::vector<std::string> SettleInterruptedRestore(const std::string& dataFolder,
                                                  const std::string& stamp) {
    std::vector<std::string> kept;
    std::string folder = dataFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    // The swap happened; only the marker was left.
    ::unlink((folder + "/" + kRestoreIncomingMarker).c_str());
    const std::string parent = FolderOf(folder);
    const std::string prefix = "." + BaseOf(folder) + ".restore-";
    DIR* dir = ::opendir(parent.c_str());
    if (dir == nullptr) {
        return kept;
    }
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.rfind(prefix, 0) == 0 && name.size() == prefix.size() + 6) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string path = parent + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
            continue;
        }
        if (::lstat((path + "/" + kRestoreIncomingMarker).c_str(), &st) == 0 ||
            ::rmdir(path.c_str()) == 0) {
            // An unpacked copy that never became the data folder (the archive still has it),
            // or an empty one.
            RemoveTree(path);
            continue;
        }
        // The old data folder, swapped out by a restore that stopped before naming it.
        std::string aside = folder + ".before-restore-" + stamp;
        for (int n = 2; ::lstat(aside.c_str(), &st) == 0; ++n) {
            aside = folder + ".before-restore-" + stamp + "-" + std::to_string(n);
        }
        kept.push_back(::rename(path.c_str(), aside.c_str()) == 0 ? aside : path);
    }
    SyncFolder(parent);
    return kept;
}

std::string SetAsideCopyOf(const std::string& dataFolder) {
    std::string folder = dataFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) == 0) {
        return {};
    }
    const std::string parent = FolderOf(folder);
    const std::string prefix = BaseOf(folder) + ".before-restore-";
    DIR* dir = ::opendir(parent.c_str());
    if (dir == nullptr) {
        return {};
    }
    std::string best;
    struct timespec newest {};
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        const std::string path = parent + "/" + name;
        if (name.rfind(prefix, 0) != 0 || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            continue;
        }
        if (best.empty() || st.st_mtim.tv_sec > newest.tv_sec ||
            (st.st_mtim.tv_sec == newest.tv_sec && st.st_mtim.tv_nsec > newest.tv_nsec)) {
            best = path;
            newest = st.st_mtim;
        }
    }
    ::closedir(dir);
    return best;
}

} // namespace qa
