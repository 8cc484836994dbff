// Intents of changes to plain files, and the settling of what interrupted work left.

#include "store/audit_log.h"

#include "i18n/message_catalogue.h"

#include "store/profile_file.h"
#include "store/system_error.h"
#include "store/users.h"

#include <sqlite3.h>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <sstream>

namespace qa {

namespace {

// Suffixes of the operator files that may hold staged entries.
constexpr const char* kMainFileSuffixes[] = {"_HbA1c.sqlite", "_Glucose.sqlite"};

// One field per line, "name value"; line breaks, tabs and '%' escaped, so a memo with a
// line break cannot end its field early.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '%':
            out += "%25";
            break;
        case '\n':
            out += "%0A";
            break;
        case '\r':
            out += "%0D";
            break;
        case '\t':
            out += "%09";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int value = static_cast<int>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Serialize(const AuditEntry& e, const AuditCheck& c) {
    std::ostringstream out;
    auto field = [&](const char* name, const std::string& value) {
        out << name << '\t' << Escape(value) << '\n';
    };
    field("ref", e.ref);
    field("time", e.time);
    field("operator", e.operatorId);
    field("account", e.account);
    field("version", e.version);
    field("action", e.action);
    field("patient", e.patientId);
    field("detail", e.detail);
    // Added later: an intent without them (made by an older version) is settled as its detail.
    if (const char* name = AuditMessageName(e.message.id)) {
        field("message", name);
        for (const std::string& arg : e.message.args) {
            field("arg", arg);
        }
    }
    field("check", std::to_string(static_cast<int>(c.kind)));
    field("path", c.path);
    field("device", std::to_string(static_cast<unsigned long long>(c.device)));
    field("inode", std::to_string(static_cast<unsigned long long>(c.inode)));
    field("temp", c.temp);
    field("user", c.user);
    field("pid", std::to_string(::getpid()));
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char made[40];
    std::snprintf(made, sizeof made, "%020lld.%09ld", static_cast<long long>(now.tv_sec),
                  now.tv_nsec);
    field("made", made);
    for (const auto& triple : c.values) {
        std::string joined;
        for (const std::string& part : triple) {
            joined += Escape(part) + '\t';
        }
        out << "value\t" << joined << '\n';
    }
    out << "end\n";
    return out.str();
}

bool Parse(const std::string& text, AuditEntry& e, AuditCheck& c, pid_t& owner, std::string& made) {
    std::istringstream in(text);
    std::string line;
    bool ended = false;
    std::map<std::string, std::string> fields;
    std::vector<std::string> args;
    while (std::getline(in, line)) {
        if (line == "end") {
            ended = true;
            break;
        }
        auto tab = line.find('\t');
        if (tab == std::string::npos) {
            return false;
        }
        std::string name = line.substr(0, tab);
        std::string rest = line.substr(tab + 1);
        if (name == "value") {
            std::vector<std::string> triple;
            std::size_t from = 0;
            for (std::size_t next; (next = rest.find('\t', from)) != std::string::npos;
                 from = next + 1) {
                triple.push_back(Unescape(rest.substr(from, next - from)));
            }
            if (triple.size() != 3) {
                return false;
            }
            c.values.push_back(std::move(triple));
        } else if (name == "arg") {
            args.push_back(Unescape(rest));
        } else {
            fields[name] = Unescape(rest);
        }
    }
    if (!ended || fields["ref"].empty()) {
        return false;
    }
    e.ref = fields["ref"];
    e.time = fields["time"];
    e.operatorId = fields["operator"];
    e.account = fields["account"];
    e.version = fields["version"];
    e.action = fields["action"];
    e.patientId = fields["patient"];
    e.detail = fields["detail"];
    if (MessageId id{}; AuditMessageOfName(fields["message"], id)) {
        e.message = Message(id, std::move(args));
    }
    int kind = std::atoi(fields["check"].c_str());
    if (kind < 0 || kind > static_cast<int>(AuditCheck::Kind::UserNotListed)) {
        return false;
    }
    c.kind = static_cast<AuditCheck::Kind>(kind);
    c.path = fields["path"];
    c.device = static_cast<dev_t>(std::strtoull(fields["device"].c_str(), nullptr, 10));
    c.inode = static_cast<ino_t>(std::strtoull(fields["inode"].c_str(), nullptr, 10));
    c.temp = fields["temp"];
    c.user = fields["user"];
    owner = static_cast<pid_t>(std::atol(fields["pid"].c_str()));
    made = fields["made"];
    return true;
}

bool Lists(const std::string& folder, const std::string& user) {
    std::string content;
    if (ReadWholeFile(folder + "/" + kUserInfoFileName, content) != FileReadStatus::Ok) {
        return false;
    }
    ProfileDocument doc = ProfileDocument::Parse(content);
    for (const std::string& key : doc.Keys("User Set")) {
        if (doc.Read("User Set", key) == user) {
            return true;
        }
    }
    return false;
}

// Whether the change an intent announced is visible now.
bool Happened(const std::string& folder, const AuditCheck& c) {
    switch (c.kind) {
    case AuditCheck::Kind::ProfileValues: {
        std::string content;
        if (ReadWholeFile(c.path, content) != FileReadStatus::Ok) {
            return false;
        }
        ProfileDocument doc = ProfileDocument::Parse(content);
        for (const auto& triple : c.values) {
            if (doc.Get(triple[0], triple[1]) != triple[2]) {
                return false;
            }
        }
        return true;
    }
    case AuditCheck::Kind::FileIdentity: {
        struct stat st {};
        return c.inode != 0 && ::lstat(c.path.c_str(), &st) == 0 && st.st_dev == c.device &&
               st.st_ino == c.inode;
    }
    case AuditCheck::Kind::UserListed:
        return Lists(folder, c.user);
    case AuditCheck::Kind::UserNotListed:
        return !Lists(folder, c.user);
    }
    return false;
}

// What a change that did not happen left: the temporary file it was writing, if that file is
// still the one it made.
void CleanUpAfter(const AuditCheck& c) {
    if (c.kind != AuditCheck::Kind::FileIdentity || c.temp.empty()) {
        return;
    }
    // Announced before the file was made (its identity not yet known): the name carries
    // the process that was to write it, which is gone.
    struct stat st {};
    if (::lstat(c.temp.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        (c.inode == 0 || (st.st_dev == c.device && st.st_ino == c.inode))) {
        ::unlink(c.temp.c_str());
    }
}

void SyncFolder(const std::string& folder) {
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool EndsWith(const std::string& text, const char* tail) {
    std::string t(tail);
    return text.size() > t.size() && text.compare(text.size() - t.size(), t.size(), t) == 0;
}

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

} // namespace

Status AuditIntent::Begin(const std::string& dataFolder, AuditEntry entry, AuditCheck check,
                          AuditIntent& intent) {
    if (Status writable = CheckAuditWritable(dataFolder); !writable) {
        return writable;
    }
    // Completed once, so the entry appended later (by Confirm or by the next start) is the one
    // announced, with the same reference.
    CompleteAuditEntry(entry);
    intent.folder_ = dataFolder;
    intent.entry_ = std::move(entry);
    intent.path_ = dataFolder + "/" + kAuditIntentPrefix + intent.entry_.ref;
    return intent.Update(std::move(check));
}

Status AuditIntent::Update(AuditCheck check, const Message* message) {
    check_ = std::move(check);
    if (message != nullptr) {
        entry_.SetMessage(*message);
    }
    if (Status written = ReplaceFileAtomically(path_, Serialize(entry_, check_)); !written) {
        Message failure = written.error();
        ::unlink(path_.c_str());
        path_.clear();
        return failure;
    }
    SyncFolder(folder_);
    return {};
}

Status AuditIntent::Confirm() {
    if (path_.empty()) {
        // Never begun, or its file could not be written: nothing announced to append.
        return Message(MessageId::AuditFileNotWritable, {folder_ + "/" + kAuditIntentPrefix});
    }
    if (Status appended = AppendAudit(folder_, entry_); !appended) {
        return appended;
    }
    ::unlink(path_.c_str());
    path_.clear();
    return {};
}

void AuditIntent::Abandon() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
}

std::vector<std::string> ReconcileAudit(const std::string& dataFolder) {
    std::vector<std::string> problems;
    DIR* dir = ::opendir(dataFolder.c_str());
    if (dir == nullptr) {
        return problems;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    struct Pending {
        std::string path;
        AuditEntry entry;
        AuditCheck check;
        pid_t owner = 0;
        std::string made;
    };
    std::vector<Pending> intents;
    for (const std::string& name : names) {
        const std::string path = dataFolder + "/" + name;
        bool mainFile = false;
        for (const char* suffix : kMainFileSuffixes) {
            mainFile = mainFile || EndsWith(name, suffix);
        }
        if (mainFile && name[0] != '.') {
            sqlite3* raw = nullptr;
            // Without create: only files that exist are looked into.
            if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                                nullptr) == SQLITE_OK) {
                sqlite3_busy_timeout(raw, 5000);
                if (Status flushed = FlushStagedAudit(raw, dataFolder); !flushed) {
                    problems.push_back(SourceText(flushed.error()));
                }
            }
            std::unique_ptr<sqlite3, SqliteCloser> closer(raw);
            continue;
        }
        if (name.rfind(kAuditIntentPrefix, 0) != 0 || name.find(".tmp-") != std::string::npos) {
            continue;
        }
        Pending one;
        one.path = path;
        std::string text;
        if (ReadWholeFile(path, text) != FileReadStatus::Ok ||
            !Parse(text, one.entry, one.check, one.owner, one.made)) {
            // Cut short while it was written: the change it announced was not begun.
            ::unlink(path.c_str());
            continue;
        }
        intents.push_back(std::move(one));
    }
    // In the order they were announced, so the log reads in the order things happened.
    std::sort(intents.begin(), intents.end(),
              [](const Pending& a, const Pending& b) { return a.made < b.made; });
    for (const Pending& one : intents) {
        // A change still under way in a live process (a backup runs beside the window) is
        // its own to finish.
        if (one.owner > 0 && one.owner != ::getpid() &&
            (::kill(one.owner, 0) == 0 || errno != ESRCH)) {
            continue;
        }
        if (Happened(dataFolder, one.check)) {
            if (Status appended = AppendAudit(dataFolder, one.entry); !appended) {
                problems.push_back(SourceText(appended.error()));
                continue; // kept for the next start
            }
        } else {
            CleanUpAfter(one.check);
        }
        ::unlink(one.path.c_str());
    }
    return problems;
}

Status CarryAuditInto(const std::string& fromFolder, const std::string& toFolder,
                      AuditEntry entry) {
    const std::string from = fromFolder + "/" + kAuditFileName;
    const std::string to = toFolder + "/" + kAuditFileName;
    struct stat st {};
    if (::lstat(from.c_str(), &st) == 0) {
        for (const char* companion : {"", "-journal", "-wal", "-shm"}) {
            if (::unlink((to + companion).c_str()) != 0 && errno != ENOENT) {
                return Message(MessageId::AuditFileError, {to + companion, SystemErrorText(errno)});
            }
        }
        sqlite3* raw = nullptr;
        int rc = sqlite3_open_v2(from.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                                 nullptr);
        std::unique_ptr<sqlite3, SqliteCloser> source(raw);
        raw = nullptr;
        rc = rc == SQLITE_OK ? sqlite3_open_v2(to.c_str(), &raw,
                                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
                             : rc;
        std::unique_ptr<sqlite3, SqliteCloser> copy(raw);
        if (rc != SQLITE_OK) {
            return Message(MessageId::AuditFileError, {from, sqlite3_errstr(rc)});
        }
        sqlite3_busy_timeout(source.get(), 5000);
        sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
        rc = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE) {
            return Message(MessageId::AuditFileError, {from, sqlite3_errmsg(copy.get())});
        }
    }
    // Without a log of our own the archive's is kept; opened for the append, it gets its
    // append-only protection back whatever the archive held.
    if (Status appended = AppendAudit(toFolder, std::move(entry)); !appended) {
        return appended;
    }
    SyncFolder(toFolder);
    return {};
}

} // namespace qa
