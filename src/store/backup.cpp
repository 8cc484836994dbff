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
bool SnapshotDatabase(const std::string& path, std::string& bytes, std::string& error) {
    sqlite3* raw = nullptr;
    // Read-write without create, so a journal left by a crashed writer is rolled back
    // as any reader would, instead of being copied as a half transaction.
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Db source(raw);
    if (rc != SQLITE_OK) {
        error = path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
        return false;
    }
    sqlite3_busy_timeout(source.get(), kBusyMilliseconds);
    raw = nullptr;
    sqlite3_open(":memory:", &raw);
    Db copy(raw);
    sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
    if (backup == nullptr) {
        error = path + ": " + sqlite3_errmsg(copy.get());
        return false;
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
        error = path + ": " + sqlite3_errstr(rc);
        return false;
    }
    sqlite3_int64 size = 0;
    unsigned char* data = sqlite3_serialize(copy.get(), "main", &size, 0);
    if (data == nullptr) {
        error = path + ": the copy could not be read back";
        return false;
    }
    bytes.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
    sqlite3_free(data);
    // The copy is a file of its own: in rollback-journal form, so a restored database opens
    // without write-ahead files that the manifest does not list.
    if (bytes.size() >= 100 && bytes[18] == 2 && bytes[19] == 2) {
        bytes[18] = 1;
        bytes[19] = 1;
    }
    return true;
}

bool ReadPlainFile(const std::string& path, std::string& bytes, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = path + ": " + Reason();
        return false;
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = path + ": " + Reason();
            ::close(fd);
            return false;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
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

bool ParseManifest(const std::string& text, ParsedManifest& manifest, std::string& error) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kBackupFormatLine) {
        error = "the manifest does not start with \"" + std::string(kBackupFormatLine) + "\"";
        return false;
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
            error = "the manifest has a line it does not explain: " + line;
            return false;
        }
        std::string name;
        std::getline(fields, name);
        if (!IsPlainName(name) || name == kBackupManifestName || !seen.insert(name).second) {
            error = "the manifest names a file that cannot be restored: " + name;
            return false;
        }
        manifest.members.push_back({name, type == "sqlite", hash, size});
    }
    return true;
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
bool UnpackAndCheck(const std::string& archivePath, const std::string& into,
                    std::vector<BackupMember>& members, std::string& error) {
    int fd = ::open(archivePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = archivePath + ": " + Reason();
        return false;
    }
    struct Found {
        std::string sha256;
        unsigned long long size;
    };
    std::map<std::string, Found> found;
    std::string manifestText;
    bool manifestSeen = false;
    bool ended = false;
    auto fail = [&](const std::string& why) {
        error = archivePath + ": " + why;
        ::close(fd);
        return false;
    };
    char header[kBlock];
    while (ReadExactly(fd, header, kBlock)) {
        if (std::all_of(std::begin(header), std::end(header), [](char c) { return c == 0; })) {
            ended = true;
            break;
        }
        if (std::memcmp(header + 257, "ustar", 5) != 0) {
            return fail("not a backup archive (no tar header)");
        }
        unsigned sum = 0;
        for (int i = 0; i < static_cast<int>(kBlock); ++i) {
            sum += (i >= 148 && i < 156) ? ' ' : static_cast<unsigned char>(header[i]);
        }
        char sumField[9] = {};
        std::memcpy(sumField, header + 148, 8);
        if (std::strtoul(sumField, nullptr, 8) != sum) {
            return fail("a member header is damaged");
        }
        if (header[156] != '0' && header[156] != '\0') {
            return fail("a member is not a plain file");
        }
        if (header[345] != '\0') {
            return fail("a member has a path, not a plain file name");
        }
        std::string name(header, strnlen(header, 100));
        char sizeField[13] = {};
        std::memcpy(sizeField, header + 124, 12);
        char* end = nullptr;
        unsigned long long size = std::strtoull(sizeField, &end, 8);
        if (manifestSeen) {
            return fail("a member follows the manifest");
        }
        bool isManifest = name == kBackupManifestName;
        if (!isManifest && (!IsPlainName(name) || found.count(name) != 0)) {
            return fail("a member name cannot be restored: " + name);
        }
        if (isManifest && size > 1'000'000) {
            return fail("the manifest is too large");
        }
        int out = -1;
        if (!isManifest) {
            out = ::open((into + "/" + name).c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (out < 0) {
                return fail(into + "/" + name + ": " + Reason());
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
            return fail("a member is cut short or cannot be unpacked: " + name);
        }
        std::size_t pad = (kBlock - size % kBlock) % kBlock;
        if (pad > 0 && !ReadExactly(fd, buffer, pad)) {
            return fail("the archive is cut short");
        }
        if (isManifest) {
            manifestSeen = true;
        } else {
            found[name] = {hash.HexDigest(), size};
        }
    }
    ::close(fd);
    if (!ended || !manifestSeen) {
        error = archivePath + ": " +
                (manifestSeen ? "the archive is cut short" : "the archive has no manifest");
        return false;
    }
    ParsedManifest manifest;
    if (!ParseManifest(manifestText, manifest, error)) {
        error = archivePath + ": " + error;
        return false;
    }
    for (const auto& member : manifest.members) {
        auto it = found.find(member.name);
        if (it == found.end()) {
            error = archivePath + ": the archive lacks " + member.name;
            return false;
        }
        if (it->second.size != member.size || it->second.sha256 != member.sha256) {
            error = archivePath + ": the checksum of " + member.name + " does not match";
            return false;
        }
        if (member.database) {
            std::string why;
            if (!LooksLikeDatabase(into + "/" + member.name) ||
                !QuickCheck(into + "/" + member.name, why)) {
                error = archivePath + ": the database " + member.name + " is damaged" +
                        (why.empty() ? "" : " (" + why + ")");
                return false;
            }
        }
        found.erase(it);
    }
    if (!found.empty()) {
        error = archivePath + ": the manifest does not list " + found.begin()->first;
        return false;
    }
    members = manifest.members;
    return true;
}

bool MakeScratch(const std::string& besides, const std::string& tag, ScratchFolder& scratch,
                 std::string& error) {
    std::string pattern = FolderOf(besides) + "/." + BaseOf(besides) + "." + tag + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        error = FolderOf(besides) + ": " + Reason();
        return false;
    }
    scratch.path = buffer.data();
    return true;
}

} // namespace

bool WriteBackup(const std::string& dataFolder, const std::string& archivePath,
                 const std::string& programVersion, std::string& error,
                 std::vector<BackupMember>* members, const AuditEntry* audit) {
    std::string folder = Canonical(dataFolder);
    if (folder.empty()) {
        error = dataFolder + ": " + Reason();
        return false;
    }
    std::string targetFolder = Canonical(FolderOf(archivePath));
    if (targetFolder.empty()) {
        error = FolderOf(archivePath) + ": " + Reason();
        return false;
    }
    if (targetFolder == folder || targetFolder.rfind(folder + "/", 0) == 0) {
        error = archivePath + ": a backup cannot be written inside the data folder";
        return false;
    }
    struct stat st {};
    if (::lstat(archivePath.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = archivePath + ": exists and is not a regular file";
        return false;
    }

    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        error = folder + ": " + Reason();
        return false;
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
            error = folder + "/" + name + ": this file name cannot be stored in a backup";
            return false;
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
            error = SourceText(begun.error());
            return false;
        }
    }
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = temp + ": " + Reason();
        intent.Abandon();
        return false;
    }
    struct stat made {};
    if (audit != nullptr) {
        Status updated =
            ::fstat(fd, &made) != 0
                ? Status(Message(MessageId::AuditFileError, {temp, Reason()}))
                : intent.Update((check.device = made.st_dev, check.inode = made.st_ino, check));
        if (!updated) {
            error = SourceText(updated.error());
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
    }
    std::time_t now = std::time(nullptr);
    std::string manifest = std::string(kBackupFormatLine) + "\nversion " + programVersion +
                           "\ncreated " + UtcText(now) + "\n";
    std::vector<BackupMember> written;
    bool ok = true;
    for (const auto& name : names) {
        std::string path = folder + "/" + name;
        std::string bytes;
        bool database = LooksLikeDatabase(path);
        if (!(database ? SnapshotDatabase(path, bytes, error)
                       : ReadPlainFile(path, bytes, error))) {
            if (errno == ENOENT && !database) {
                continue; // removed since the listing (a user deleted meanwhile)
            }
            ok = false;
            break;
        }
        BackupMember member{name, database, Sha256Hex(bytes), bytes.size()};
        if (!WriteMember(fd, name, bytes, now)) {
            error = temp + ": " + Reason();
            ok = false;
            break;
        }
        manifest += std::string(database ? "sqlite " : "file ") + member.sha256 + " " +
                    std::to_string(member.size) + " " + name + "\n";
        written.push_back(std::move(member));
    }
    if (ok) {
        static const char kEnd[2 * kBlock] = {};
        ok = WriteMember(fd, kBackupManifestName, manifest, now) &&
             WriteAll(fd, kEnd, sizeof kEnd) && ::fsync(fd) == 0;
        if (!ok) {
            error = temp + ": " + Reason();
        }
    }
    ok = ::close(fd) == 0 && ok;
    if (ok && audit != nullptr) {
        const Message detail(MessageId::AuditBackupFiles,
                             {std::to_string(written.size()), archivePath});
        if (Status updated = intent.Update(check, &detail); !updated) {
            error = SourceText(updated.error());
            ok = false;
        }
    }
    if (ok && ::rename(temp.c_str(), archivePath.c_str()) != 0) {
        error = archivePath + ": " + Reason();
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        intent.Abandon();
        return false;
    }
    SyncFolder(FolderOf(archivePath));
    if (audit != nullptr) {
        (void)intent.Confirm(); // else the next start appends it: the archive is in place
    }
    if (members != nullptr) {
        *members = std::move(written);
    }
    return true;
}

bool CheckBackup(const std::string& archivePath, std::string& error,
                 std::vector<BackupMember>* members) {
    ScratchFolder scratch;
    if (!MakeScratch(archivePath, "check", scratch, error)) {
        return false;
    }
    std::vector<BackupMember> list;
    if (!UnpackAndCheck(archivePath, scratch.path, list, error)) {
        return false;
    }
    if (members != nullptr) {
        *members = std::move(list);
    }
    return true;
}

RestoreResult RestoreBackup(const std::string& archivePath, const std::string& dataFolder,
                            const std::string& stamp, const AuditEntry* audit,
                            const RestoreHooks& hooks) {
    RestoreResult result;
    std::string folder = dataFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    struct stat st {};
    const bool hadFolder = ::lstat(folder.c_str(), &st) == 0;
    if (audit != nullptr && hadFolder) {
        if (Status writable = CheckAuditWritable(folder); !writable) {
            result.error = SourceText(writable.error());
            return result;
        }
    }
    ScratchFolder incoming;
    if (!MakeScratch(folder, "restore", incoming, result.error)) {
        return result;
    }
    // Marks the copy as not (yet) the data folder, for a start after a crash.
    const std::string marker = incoming.path + "/" + kRestoreIncomingMarker;
    int made = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (made < 0) {
        result.error = marker + ": " + Reason();
        return result;
    }
    ::close(made);
    std::vector<BackupMember> members;
    if (!UnpackAndCheck(archivePath, incoming.path, members, result.error)) {
        return result;
    }
    if (!KeepInstallationUuid(folder, incoming.path, result.error)) {
        return result;
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
            result.error = SourceText(carried.error());
            return result;
        }
    }
    SyncFolder(incoming.path);
    auto stop = [&](RestoreStep step) {
        if (hooks.reached && !hooks.reached(step)) {
            incoming.keep = true; // as a crash would leave it
            result.error = "stopped";
            return true;
        }
        return false;
    };
    if (stop(RestoreStep::Unpacked)) {
        return result;
    }
    if (!hadFolder) {
        if (::rename(incoming.path.c_str(), folder.c_str()) != 0) {
            result.error = folder + ": " + Reason();
            return result;
        }
    } else {
        bool exchanged = false;
        if (hooks.exchange) {
            if (::renameat2(AT_FDCWD, incoming.path.c_str(), AT_FDCWD, folder.c_str(),
                            RENAME_EXCHANGE) == 0) {
                exchanged = true;
            } else if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
                result.error = folder + ": " + Reason();
                return result;
            }
        }
        if (exchanged) {
            // The path holds the new folder; the old one is under the hidden name, and
            // without the marker a start takes it for what it is.
            incoming.keep = true;
            if (stop(RestoreStep::Exchanged)) {
                return result;
            }
            if (::rename(incoming.path.c_str(), aside.c_str()) != 0) {
                aside = incoming.path; // kept under the hidden name; named to the operator
            }
        } else {
            if (::rename(folder.c_str(), aside.c_str()) != 0) {
                result.error = folder + ": cannot be moved aside: " + Reason();
                return result;
            }
            if (stop(RestoreStep::MovedAside)) {
                return result;
            }
            if (::rename(incoming.path.c_str(), folder.c_str()) != 0) {
                result.error = folder + ": " + Reason();
                ::rename(aside.c_str(), folder.c_str());
                return result;
            }
            incoming.keep = true;
        }
        result.asidePath = aside;
        if (stop(RestoreStep::Renamed)) {
            return result;
        }
    }
    incoming.keep = true;
    ::unlink((folder + "/" + kRestoreIncomingMarker).c_str());
    ::chmod(folder.c_str(), 0700);
    SyncFolder(FolderOf(folder));
    result.ok = true;
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
