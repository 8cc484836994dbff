#include "store/users.h"

#include "i18n/message_catalogue.h"

#include "store/audit_log.h"
#include "store/profile_file.h"
#include "store/system_error.h"
#include "store/text_encoding.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace qa {

namespace {

constexpr const char* kCountSection = "User Count";
constexpr const char* kListSection = "User Set";
constexpr const char* kMarkerSection = "User info";
constexpr const char* kTableCountSection = "Table Count";
constexpr const char* kTableListSection = "Table Set";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return LowerAscii(c); });
    return out;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A file that is already gone counts as deleted; anything else that keeps it is a failure.
bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

// "no<n>" keys of the user list, by number. Leading zeros or other text make a key that the
// "no%d" lookups never find, so such keys are not part of the list.
std::map<long, std::string> NumberedEntries(const ProfileDocument& doc) {
    std::map<long, std::string> entries;
    for (const std::string& key : doc.Keys(kListSection)) {
        std::string lowered = LowerAscii(key);
        if (lowered.size() < 3 || lowered.size() > 11 || lowered.compare(0, 2, "no") != 0 ||
            lowered[2] == '0' || !std::all_of(lowered.begin() + 2, lowered.end(), [](char c) {
                return c >= '0' && c <= '9';
            })) {
            continue;
        }
        long number = std::stol(lowered.substr(2));
        if (entries.count(number) == 0) {
            entries[number] = doc.Read(kListSection, key);
        }
    }
    return entries;
}

constexpr const char* kDeletingMarker = ".deleting";
constexpr const char* kRestoringMarker = ".restoring";

// The names of one user's files in the data folder, journals included: a journal belongs to
// its database wherever that goes.
std::vector<std::string> UserFileNames(const std::string& id) {
    std::vector<std::string> names = {id + "_active.info", id + ".ini", id + kSettingsFileSuffix};
    for (const char* db :
         {"_HbA1c.sqlite", "_HbA1cDown.sqlite", "_Glucose.sqlite", "_GlucoseDown.sqlite"}) {
        for (const char* companion : {"", "-journal", "-wal", "-shm"}) {
            names.push_back(id + db + companion);
        }
    }
    return names;
}

// Moves the user's files that are in `from` to `to`; the paths that could not be moved.
std::vector<std::string> MoveUserFiles(const std::string& from, const std::string& to,
                                       const std::string& id) {
    std::vector<std::string> kept;
    for (const std::string& name : UserFileNames(id)) {
        const std::string source = from + "/" + name;
        struct stat info {};
        if (::lstat(source.c_str(), &info) != 0) {
            continue;
        }
        // Only the plain files this program makes are moved; anything else in their place
        // is named to the operator rather than carried along.
        if (!S_ISREG(info.st_mode) || ::rename(source.c_str(), (to + "/" + name).c_str()) != 0) {
            kept.push_back(source);
        }
    }
    for (const std::string& folder : {from, to}) {
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return kept;
}

bool ListsUser(const std::string& folder, const std::string& id) {
    std::string content;
    if (ReadWholeFile(folder + "/" + kUserInfoFileName, content) != FileReadStatus::Ok) {
        return false;
    }
    for (const auto& [number, value] : NumberedEntries(ProfileDocument::Parse(content))) {
        if (value == id) {
            return true;
        }
    }
    return false;
}

// The most recently made aside folder of `id` ("<ID>" or "<ID>~N") without a pending move;
// empty when there is none.
std::string NewestAside(const std::string& folder, const std::string& id) {
    const std::string root = folder + "/" + kDeletedUsersFolder + "/";
    auto usable = [](const std::string& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
               !Exists(path + "/" + kDeletingMarker) && !Exists(path + "/" + kRestoringMarker);
    };
    std::string best;
    struct timespec newest {};
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = root + id + (n == 1 ? "" : "~" + std::to_string(n));
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) != 0) {
            if (n > 1) {
                break;
            }
            continue;
        }
        const bool newer =
            best.empty() || info.st_mtim.tv_sec > newest.tv_sec ||
            (info.st_mtim.tv_sec == newest.tv_sec && info.st_mtim.tv_nsec >= newest.tv_nsec);
        if (usable(candidate) && newer) {
            best = candidate;
            newest = info.st_mtim;
        }
    }
    return best;
}

// An ID as text: the Windows program stored them in code page 949. Bytes that are neither
// that nor UTF-8 stay as they are, so the files they name are still found.
std::string TextOfStoredId(const std::string& stored) {
    if (IsUtf8Text(stored)) {
        return stored;
    }
    return Cp949ToUtf8(stored).value_or(stored);
}

} // namespace

std::optional<MessageId> CheckNewUserId(std::string_view id) {
    if (id.empty()) {
        return user_text::kEmptyUserId;
    }
    for (char c : id) {
        if (IsControl(static_cast<unsigned char>(c)) ||
            std::string_view("/\\[]=;").find(c) != std::string_view::npos) {
            return user_text::kUserIdBadCharacter;
        }
    }
    if (id.front() == ' ' || id.back() == ' ') {
        return user_text::kUserIdBlankAtEdge;
    }
    if (id.size() > kMaxUserIdBytes) {
        return user_text::kUserIdTooLong;
    }
    if (!IsUtf8Text(id)) {
        return user_text::kUserIdNotText;
    }
    // "-1" is what the user file reads as when it names no user, so such a user would work
    // on the default user's files. "<x>_set_info" would have its table list in x's settings
    // file (and delete it with its own files), "user_info" and "user_info_d" the user file.
    // Compared without case so that a case-insensitive disk cannot make them collide either.
    std::string lowered = LowerAscii(id);
    if (id == "." || id == ".." || id == kNoUserId || lowered == "user_info" ||
        lowered == "user_info_d" || EndsWith(lowered, "_set_info")) {
        return user_text::kUserIdReserved;
    }
    return std::nullopt;
}

bool IsUsableUserId(std::string_view id) {
    if (id.empty() || id == kNoUserId || id == "." || id == "..") {
        return false;
    }
    return std::none_of(id.begin(), id.end(), [](char c) {
        return c == '/' || c == '\\' || IsControl(static_cast<unsigned char>(c));
    });
}

UserStore::UserStore(std::string dataFolder, Prompter& prompter)
    : folder_(std::move(dataFolder)), prompter_(prompter) {}

UserStore::~UserStore() {
    CloseTables();
}

std::string UserFileStem(const std::string& dataFolder, const std::string& id) {
    std::optional<std::string> cp949 = IsUtf8Text(id) ? Utf8ToCp949(id) : std::nullopt;
    if (!cp949 || *cp949 == id) {
        return id;
    }
    const auto has = [&](const std::string& stem) {
        for (const char* suffix :
             {"_active.info", "_HbA1c.sqlite", "_Glucose.sqlite", kSettingsFileSuffix, ".ini"}) {
            if (Exists(dataFolder + "/" + stem + suffix)) {
                return true;
            }
        }
        return false;
    };
    return has(id) || !has(*cp949) ? id : *cp949;
}

std::optional<std::string> UserStore::ListedId(std::string_view given) const {
    for (const std::string& id : users_) {
        if (id == given) {
            return id;
        }
    }
    for (const auto& [id, stored] : storedSpelling_) {
        if (stored == given) {
            return id;
        }
    }
    return std::nullopt;
}

std::string UserStore::StoredSpelling(const std::string& id) const {
    auto found = storedSpelling_.find(id);
    return found == storedSpelling_.end() ? id : found->second;
}

bool UserStore::IsListed(const std::string& id) const {
    return std::find(users_.begin(), users_.end(), id) != users_.end();
}

// Results go only to a listed user: those of an unlisted one could afterwards be neither
// shown under any user nor deleted.
std::string UserStore::ActiveUserId() const {
    if (users_.empty()) {
        return IsUsableUserId(currentUserId_) ? currentUserId_ : std::string(kDefaultUserId);
    }
    if (IsUsableUserId(currentUserId_) && IsListed(currentUserId_)) {
        return currentUserId_;
    }
    if (currentUserId_ == kNoUserId && IsListed(kDefaultUserId)) {
        return kDefaultUserId;
    }
    for (const std::string& id : users_) {
        if (IsUsableUserId(id)) {
            return id;
        }
    }
    return kDefaultUserId;
}

void UserStore::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
}

std::string UserStore::UserInfoPath() const {
    return PathOf(kUserInfoFileName);
}

UserFiles UserStore::FilesOf(const std::string& userId) const {
    const std::string id = UserFileStem(folder_, userId);
    UserFiles files;
    files.activeInfo = PathOf(id + "_active.info");
    files.tableList = PathOf(id + ".ini");
    files.settings = PathOf(id + kSettingsFileSuffix);
    files.hba1cMain = PathOf(id + "_HbA1c.sqlite");
    files.hba1cDownload = PathOf(id + "_HbA1cDown.sqlite");
    files.glucoseMain = PathOf(id + "_Glucose.sqlite");
    files.glucoseDownload = PathOf(id + "_GlucoseDown.sqlite");
    return files;
}

void UserStore::Error(const Message& text) {
    prompter_.Inform(text, kUserCaption, Prompter::Severity::Error);
}

Status UserStore::WriteFirstStart() {
    const Status listed =
        WriteProfileStrings(UserInfoPath(), {
                                                {kCountSection, "current_user", kDefaultUserId},
                                                {kCountSection, "cnt", "1"},
                                                {kListSection, "no1", kDefaultUserId},
                                            });
    const Status marked =
        WriteProfileString(FilesOf(kDefaultUserId).activeInfo, kMarkerSection, "Access", "1");
    return !listed ? listed : marked;
}

Status UserStore::LoadUsers() {
    users_.clear();
    storedSpelling_.clear();
    currentUserId_ = kNoUserId;
    std::string content;
    FileReadStatus status = ReadWholeFile(UserInfoPath(), content);
    if (status == FileReadStatus::Missing) {
        // The write's own reason is the useful one: the read after it only finds no file.
        if (Status written = WriteFirstStart(); !written) {
            return written;
        }
        status = ReadWholeFile(UserInfoPath(), content);
    }
    if (status != FileReadStatus::Ok) {
        return FileFailure(UserInfoPath());
    }
    ProfileDocument doc = ProfileDocument::Parse(content);
    long count = LeadingInt(doc.Read(kCountSection, "cnt"));
    std::map<long, std::string> entries = NumberedEntries(doc);
    // Missing entries are skipped rather than listed as "-1": a count that runs ahead of the
    // list must not invent a user. A file without a usable count still lists its entries.
    for (const auto& [number, id] : entries) {
        if ((count <= 0 || number <= count) && !id.empty() && id != kNoUserId) {
            if (count <= 0 && number != static_cast<long>(users_.size()) + 1) {
                break;
            }
            users_.push_back(TextOfStoredId(id));
            if (users_.back() != id) {
                storedSpelling_.emplace(users_.back(), id);
            }
        }
    }
    if (users_.empty()) {
        // A user file that lists nobody leaves nothing to select and nothing to delete;
        // start over with the default user, keeping whatever else the file holds.
        if (Status written = WriteFirstStart(); !written) {
            return written;
        }
        if (ReadWholeFile(UserInfoPath(), content) != FileReadStatus::Ok) {
            return FileFailure(UserInfoPath());
        }
        doc = ProfileDocument::Parse(content);
        users_.push_back(kDefaultUserId);
    }
    currentUserId_ = TextOfStoredId(doc.Read(kCountSection, "current_user"));
    loaded_ = true;
    if (currentUserId_ != kNoUserId && !IsListed(currentUserId_) &&
        reportedUnlisted_ != currentUserId_) {
        reportedUnlisted_ = currentUserId_;
        prompter_.Inform(Message(MessageId::CurrentUserNotListed, {currentUserId_, ActiveUserId()}),
                         kUserCaption, Prompter::Severity::Warning);
    }
    return {};
}

Status UserStore::EnsureLoaded() {
    return loaded_ ? Status() : LoadUsers();
}

void UserStore::CloseTables() {
    hba1cMain_.Close();
    hba1cDownload_.Close();
    glucoseMain_.Close();
    glucoseDownload_.Close();
}

Status UserStore::OpenTableList(const UserFiles& files, bool newFiles, std::string& mainTableName) {
    mainTableName = kMainTableName;
    std::string content;
    FileReadStatus status = ReadWholeFile(files.tableList, content);
    if (status == FileReadStatus::Missing) {
        return WriteProfileStrings(files.tableList,
                                   {
                                       {kTableCountSection, "current_table", kMainTableName},
                                       {kTableCountSection, "cnt", "1"},
                                       {kTableListSection, "no1", kMainTableName},
                                   });
    }
    if (status != FileReadStatus::Ok) {
        return FileFailure(files.tableList);
    }
    ProfileDocument doc = ProfileDocument::Parse(content);
    if (newFiles) {
        // Fresh database files hold only the default table, whatever the list named before.
        std::int32_t count = LeadingInt(doc.Read(kTableCountSection, "cnt"));
        if (count > 0) {
            return WriteProfileStrings(files.tableList,
                                       {
                                           {kTableCountSection, "cnt", std::to_string(count)},
                                           {kTableListSection, "no1", kMainTableName},
                                       });
        }
        return {};
    }
    // A list without a usable current table (missing key, a name the table name area
    // refuses) opens the default table instead of keeping the previous user's name.
    std::string current = doc.Read(kTableCountSection, "current_table");
    HbA1cTable probe;
    if (current != kProfileDefaultText && probe.SetTableName(current)) {
        mainTableName = current;
    }
    return {};
}

bool UserStore::OpenTable(MeasurementTable& table, const std::string& path) {
    table.SetReadOnly(readOnly_);
    table.SetSingleThread(singleThread_);
    // A missing file is created, also when its siblings exist: a delete that stopped
    // half-way must not leave a user whose glucose results can never be stored again.
    if (!Exists(path)) {
        if (Status created = table.OpenOrCreate(path); !created) {
            openProblems_.push_back(SourceText(created.error()));
            damagedFile_ = damagedFile_ || table.IsDamaged();
            return false;
        }
        table.Close();
    }
    const auto ready = [&] {
        if (!(walkOnly_ ? table.SyncSchema() : table.ResetView())) {
            return false;
        }
        // A file of an earlier version was brought up to date by this writable open.
        std::string changes;
        for (const std::string& change : table.TakeSchemaChanges()) {
            changes += (changes.empty() ? "" : ", ") + change;
        }
        if (!changes.empty()) {
            (void)AppendAudit(folder_, EntryOf(audit_action::kUpgrade,
                                               Message(MessageId::AuditFileUpgraded,
                                                       {DecodeStoredText(path), changes})));
        }
        return true;
    };
    if (table.Open(path) && ready()) {
        return true;
    }
    // A file made by an add or a delete that stopped before its table was created holds no
    // table: it gets its table rather than making the user impossible to open or delete.
    bool missingTable = !table.IsDamaged() && table.LastError().rfind("no such table", 0) == 0;
    table.Close();
    if (missingTable) {
        table.SetReadOnly(false);
        bool repaired = table.OpenExisting(path) && table.CreateTable() && table.Requery();
        table.Close();
        table.SetReadOnly(readOnly_);
        if (repaired && table.Open(path) && ready()) {
            return true;
        }
        table.Close();
    }
    openProblems_.push_back(path + ": " + table.LastError());
    damagedFile_ = damagedFile_ || table.IsDamaged();
    return false;
}

Status UserStore::OpenUserDatabases() {
    CloseTables();
    openProblems_.clear();
    damagedFile_ = false;
    UserFiles files = FilesOf(ActiveUserId());
    bool newFiles = !Exists(files.hba1cMain);
    std::string mainTableName;
    const Status listed = OpenTableList(files, newFiles, mainTableName);
    bool ok = listed.ok();
    if (!listed) {
        openProblems_.push_back(SourceText(listed.error()));
    }

    struct Slot {
        MeasurementTable& table;
        const std::string& path;
        const char* name;
    };
    const Slot slots[] = {
        {hba1cMain_, files.hba1cMain, mainTableName.c_str()},
        {glucoseMain_, files.glucoseMain, mainTableName.c_str()},
        {hba1cDownload_, files.hba1cDownload, kDownloadTableName},
        {glucoseDownload_, files.glucoseDownload, kDownloadTableName},
    };
    for (const Slot& slot : slots) {
        if (!slot.table.SetTableName(slot.name)) {
            // A table list naming a table no table can be called: opening the file under
            // the previous user's name would read the wrong table, so it stays closed.
            ok = false;
            continue;
        }
        if (!OpenTable(slot.table, slot.path)) {
            ok = false;
        }
    }
    return ok ? Status() : Status(FilesNotOpened());
}

Message UserStore::FilesNotOpened() const {
    // A damaged file is named alone: the folder would only hide which file to restore.
    std::string where = damagedFile_ ? std::string() : folder_;
    for (const std::string& problem : openProblems_) {
        where += (where.empty() ? "" : "\r\n") + problem;
    }
    return Message(damagedFile_ ? user_text::kDamagedFile : user_text::kUserFilesNotOpened,
                   {where});
}

Status UserStore::LoadSettings() {
    return qa::LoadSettings(SettingsFilePath(folder_, ActiveUserId()), settings_);
}

Status UserStore::SaveSettings(const std::vector<ProfileChange>& extra,
                               const std::string& extraChanges) {
    const std::string path = SettingsFilePath(folder_, ActiveUserId());
    SettingsStore before;
    const bool hadBefore = qa::LoadSettings(path, before).ok();
    // Field by field, in the file's own keys, so the log reads like the settings file.
    std::vector<std::string> names, was, now;
    std::vector<ProfileChange> all;
    for (const auto& [key, value] : SettingsEntries(settings_)) {
        names.push_back(key);
        now.push_back(value);
        all.push_back({kSettingsSection, key, value});
    }
    for (const auto& [key, value] : SettingsEntries(before)) {
        was.push_back(hadBefore ? value : "");
    }
    all.insert(all.end(), extra.begin(), extra.end());
    std::string changes = AuditChanges(names, was, now);
    if (!extraChanges.empty()) {
        changes += (changes.empty() ? "" : "; ") + extraChanges;
    }
    // Every key in one replacement of the file, announced first: a later start finds either
    // the old file (and drops the intent) or the new one (and appends the entry).
    AuditIntent intent;
    if (!changes.empty()) {
        AuditCheck check;
        check.kind = AuditCheck::Kind::ProfileValues;
        check.path = path;
        for (const ProfileChange& change : all) {
            if (change.key && change.value) {
                check.values.push_back({change.section, *change.key, *change.value});
            }
        }
        if (Status begun = AuditIntent::Begin(
                folder_,
                EntryOf(audit_action::kSettings,
                        Message(MessageId::AuditSettingsChanged, {path, changes})),
                std::move(check), intent);
            !begun) {
            (void)LoadSettings();
            return Message(MessageId::AuditNotWritable, {SourceText(begun.error())});
        }
    }
    const Status saved = WriteProfileStrings(path, all);
    if (!changes.empty()) {
        if (saved) {
            (void)intent.Confirm();
        } else {
            intent.Abandon();
        }
    }
    const Status loaded = LoadSettings();
    return !saved ? saved : loaded;
}

AuditEntry UserStore::EntryOf(const char* action, const Message& what) const {
    AuditEntry entry;
    entry.operatorId = ActiveUserId();
    entry.action = action;
    entry.SetMessage(what);
    return entry;
}

void UserStore::AuditRefused(const Message& error) {
    Error(Message(MessageId::AuditNotWritable, {SourceText(error)}));
}

Status UserStore::Reload() {
    const Status users = LoadUsers();
    const Status opened = OpenUserDatabases(); // starts the list of problems afresh
    const Status settings = LoadSettings();
    if (users && opened && settings) {
        return {};
    }
    if (!users) {
        openProblems_.insert(openProblems_.begin(), SourceText(users.error()));
    }
    if (!settings) {
        openProblems_.push_back(SourceText(settings.error()));
    }
    return FilesNotOpened();
}

Status UserStore::ReloadAndReport() {
    Status reloaded = Reload();
    if (!reloaded) {
        Error(reloaded.error());
    }
    return reloaded;
}

Status UserStore::SwitchUser(const std::string& given) {
    const auto refuse = [this](Message message) {
        Error(message);
        return Status(std::move(message));
    };
    if (Status loaded = EnsureLoaded(); !loaded) {
        return refuse(Message(user_text::kFileNotWritten, {SourceText(loaded.error())}));
    }
    const std::optional<std::string> listed = ListedId(given);
    if (!listed) {
        return refuse(user_text::kUserNotListed);
    }
    const std::string& id = *listed;
    if (!IsUsableUserId(id)) {
        return refuse(user_text::kUserIdUnusable);
    }
    // A folder opened read-only (read-only media) is looked at operator by operator; which
    // one was looked at last is not recorded there.
    if (!readOnly_) {
        if (Status written = WriteProfileString(UserInfoPath(), kCountSection, "current_user",
                                                StoredSpelling(id));
            !written) {
            return refuse(Message(user_text::kFileNotWritten, {SourceText(written.error())}));
        }
    }
    currentUserId_ = id;
    if (readOnly_) {
        // Not Reload: reading the user file again would bring back the operator it records.
        if (Status opened = OpenUser(id); !opened) {
            return refuse(opened.error());
        }
        return {};
    }
    return ReloadAndReport();
}

// IDs are stored only as values: of "current_user" and of the positional keys no1 ... noN,
// never as key or section names. The case-insensitive matching of names therefore cannot
// merge "abc" and "ABC", and values are compared byte for byte. This is the layout existing
// user files already have, so they read unchanged.
Status UserStore::OpenUser(const std::string& given) {
    const std::optional<std::string> listed = ListedId(given);
    if (!listed) {
        Error(user_text::kUserNotListed);
        return user_text::kUserNotListed;
    }
    const std::string& id = *listed;
    if (!IsUsableUserId(id)) {
        Error(user_text::kUserIdUnusable);
        return user_text::kUserIdUnusable;
    }
    currentUserId_ = id;
    const Status opened = OpenUserDatabases();
    const Status settings = LoadSettings();
    if (opened && settings) {
        return {};
    }
    if (!settings) {
        openProblems_.push_back(SourceText(settings.error()));
    }
    return FilesNotOpened();
}

std::string UserStore::UserFileContent(const std::string& current, const std::string& base) const {
    ProfileDocument doc = ProfileDocument::Parse(base);
    std::map<long, std::string> entries = NumberedEntries(doc);
    long previous = entries.empty() ? 0 : entries.rbegin()->first;
    doc.Set(kCountSection, "cnt", std::to_string(users_.size()));
    doc.Set(kCountSection, "current_user", StoredSpelling(current));
    for (std::size_t i = 0; i < users_.size(); ++i) {
        doc.Set(kListSection, "no" + std::to_string(i + 1), StoredSpelling(users_[i]));
    }
    // Entries past the new end would come back as users if the count were ever raised by
    // hand or by an older program reading past it.
    for (long number = static_cast<long>(users_.size()) + 1; number <= previous; ++number) {
        doc.RemoveKey(kListSection, "no" + std::to_string(number));
    }
    return doc.Serialize();
}

bool UserStore::SharesFilesWithListedUser(const std::string& id) const {
    struct stat mine {};
    if (::stat(FilesOf(id).activeInfo.c_str(), &mine) != 0) {
        return false;
    }
    for (const std::string& other : users_) {
        struct stat theirs {};
        if (other != id && LowerAscii(other) == LowerAscii(id) &&
            ::stat(FilesOf(other).activeInfo.c_str(), &theirs) == 0 &&
            theirs.st_dev == mine.st_dev && theirs.st_ino == mine.st_ino) {
            return true;
        }
    }
    return false;
}

UserStore::Outcome UserStore::AddUser(const std::string& id) {
    // Everything is checked before the question (a yes to an ID that is then refused asks
    // for nothing) and before the first byte is written.
    if (std::optional<MessageId> problem = CheckNewUserId(id)) {
        prompter_.Inform(*problem, kUserCaption, Prompter::Severity::Warning);
        return Outcome::Refused;
    }
    if (Status loaded = EnsureLoaded(); !loaded) {
        Error(Message(user_text::kFileNotWritten, {SourceText(loaded.error())}));
        return Outcome::Failed;
    }
    if (ListedId(id)) {
        prompter_.Inform(user_text::kDuplicateUserId, kUserCaption, Prompter::Severity::Warning);
        return Outcome::Refused;
    }
    // On a disk that ignores case, "ABC" would silently take over the files of "abc".
    if (SharesFilesWithListedUser(id)) {
        prompter_.Inform(user_text::kUserIdSameFiles, kUserCaption, Prompter::Severity::Warning);
        return Outcome::Refused;
    }
    if (!prompter_.Confirm(user_text::kAskAddUser, kUserCaption)) {
        return Outcome::Declined;
    }
    std::string base;
    if (ReadWholeFile(UserInfoPath(), base) == FileReadStatus::Unreadable) {
        Error(Message(user_text::kFileNotWritten, {SourceText(FileFailure(UserInfoPath()))}));
        return Outcome::Failed;
    }
    AuditIntent intent;
    {
        AuditCheck check;
        check.kind = AuditCheck::Kind::UserListed;
        check.user = id;
        if (Status begun = AuditIntent::Begin(
                folder_, EntryOf(audit_action::kUserAdd, Message(MessageId::AuditUserAdded, {id})),
                std::move(check), intent);
            !begun) {
            AuditRefused(begun.error());
            return Outcome::Failed;
        }
    }
    // Every file of the new user is complete before the user file names the user: a kill or
    // a full disk before that leaves at most unlisted files, which a later add of the same ID
    // takes over, never a listed user whose files cannot be opened.
    std::vector<std::string> created;
    if (Status made = CreateUserFiles(id, created); !made) {
        for (const std::string& path : created) {
            RemoveFile(path);
        }
        intent.Abandon();
        Error(Message(user_text::kUserNotAdded, {SourceText(made.error())}));
        return Outcome::Failed;
    }
    // Count, list entry and current user go in one replacement: a count that promises a
    // user the list does not hold would read back as a user named "-1".
    users_.push_back(id);
    if (Status written = ReplaceFileAtomically(UserInfoPath(), UserFileContent(id, base));
        !written) {
        users_.pop_back();
        for (const std::string& path : created) {
            RemoveFile(path);
        }
        intent.Abandon();
        Error(Message(user_text::kUserNotAdded, {SourceText(written.error())}));
        return Outcome::Failed;
    }
    (void)intent.Confirm(); // else the next start appends it: the user is listed
    currentUserId_ = id;
    (void)ReloadAndReport(); // the user exists now; a file that does not open is reported
    return Outcome::Done;
}

Status UserStore::CreateUserFiles(const std::string& id, std::vector<std::string>& created) {
    UserFiles files = FilesOf(id);
    struct Database {
        const std::string& path;
        ResultKind kind;
        const char* table;
    };
    const Database databases[] = {
        {files.hba1cMain, ResultKind::HbA1c, kMainTableName},
        {files.glucoseMain, ResultKind::Glucose, kMainTableName},
        {files.hba1cDownload, ResultKind::HbA1c, kDownloadTableName},
        {files.glucoseDownload, ResultKind::Glucose, kDownloadTableName},
    };
    for (const Database& database : databases) {
        struct stat info {};
        if (::lstat(database.path.c_str(), &info) == 0) {
            if (!S_ISREG(info.st_mode)) {
                return Message(MessageId::OutputNotRegular, {database.path});
            }
            continue; // left by an add that stopped; opening gives it a missing table
        }
        std::string name = database.path.substr(folder_.size() + 1);
        std::string temp = PathOf("." + name + ".tmp-" + std::to_string(::getpid()) + "-0");
        RemoveFile(temp);
        RemoveFile(temp + "-journal");
        MeasurementTable table(database.kind);
        (void)table.SetTableName(database.table); // both names are the fixed ones
        const Status made = table.OpenOrCreate(temp);
        table.Close();
        if (!made || ::rename(temp.c_str(), database.path.c_str()) != 0) {
            // SQLite's reason names the temporary file; the operator knows the final name.
            const Message failure =
                made ? FileFailure(database.path)
                     : Message(MessageId::FileReason,
                               {database.path,
                                made.error().args.size() > 1 ? made.error().args[1] : ""});
            RemoveFile(temp);
            RemoveFile(temp + "-journal");
            return failure;
        }
        created.push_back(database.path);
    }
    bool hadTableList = Exists(files.tableList);
    std::string mainTableName;
    if (Status listed = OpenTableList(files, false, mainTableName); !listed) {
        return listed;
    }
    if (!hadTableList) {
        created.push_back(files.tableList);
    }
    bool hadSettings = Exists(files.settings);
    SettingsStore defaults;
    if (Status loaded = qa::LoadSettings(files.settings, defaults); !loaded) {
        return loaded;
    }
    if (!hadSettings) {
        created.push_back(files.settings);
    }
    if (Status marked = WriteProfileString(files.activeInfo, kMarkerSection, "Access", "1");
        !marked) {
        return marked;
    }
    created.push_back(files.activeInfo);
    // The renames must be on the disk before the user file that relies on them.
    int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

Status UserStore::RenameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return FileFailure(to);
    }
    return {};
}

Status UserStore::RewriteUserFileThroughTemp(const std::string& current) {
    std::string base;
    if (ReadWholeFile(UserInfoPath(), base) == FileReadStatus::Unreadable) {
        return FileFailure(UserInfoPath());
    }
    std::string content = UserFileContent(current, base);
    std::string temp = PathOf(kUserInfoTempFileName);
    // The old file is replaced by the rename itself, never deleted first: a crash between a
    // delete and the rename would look like a first start and forget every user.
    if (ReplaceFileAtomically(temp, content)) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (RenameFile(temp, UserInfoPath())) {
                return {};
            }
        }
    }
    Status written = ReplaceFileAtomically(UserInfoPath(), content);
    RemoveFile(temp);
    return written;
}

UserStore::Outcome UserStore::DeleteCurrentUser() {
    // Checked before the question: a yes must not be asked for a delete that cannot happen.
    if (Status loaded = EnsureLoaded(); !loaded) {
        Error(Message(user_text::kFileNotWritten, {SourceText(loaded.error())}));
        return Outcome::Failed;
    }
    if (users_.empty()) {
        return Outcome::Refused;
    }
    if (users_.size() == 1) {
        prompter_.Inform(user_text::kLastUserNotDeletable, kUserCaption,
                         Prompter::Severity::Warning);
        return Outcome::Refused;
    }
    std::string id = ActiveUserId();
    if (std::find(users_.begin(), users_.end(), id) == users_.end()) {
        // Removing a user that is not listed would shorten the list by someone else.
        prompter_.Inform(user_text::kUserNotListed, kUserCaption, Prompter::Severity::Warning);
        return Outcome::Refused;
    }
    UserFiles files = FilesOf(id);
    if (!Exists(files.activeInfo)) {
        prompter_.Inform(user_text::kUserFilesMissing, kUserCaption, Prompter::Severity::Warning);
        return Outcome::Refused;
    }
    auto countOf = [](MeasurementTable& table) {
        const Expected<int> count = table.IsOpen() ? table.CountRows() : Expected<int>(-1);
        return count ? *count : -1;
    };
    const int hba1cCount = countOf(hba1cMain_);
    const int glucoseCount = countOf(glucoseMain_);
    auto countText = [](int n) { return n < 0 ? std::string("?") : std::to_string(n); };
    if (!prompter_.ConfirmDefaultNo(Message(MessageId::AskDeleteUserNamed,
                                            {id, countText(hba1cCount), countText(glucoseCount)}),
                                    kUserCaption)) {
        return Outcome::Declined;
    }

    // The files are moved aside, never destroyed. The user file's rewrite is the moment the
    // delete happens; a marker in the aside folder names the user until the files are all
    // there, so a start after a crash finishes the move (the user is gone from the list) or
    // undoes it (the user is still listed).
    const std::string root = PathOf(kDeletedUsersFolder);
    std::string aside = root + "/" + id;
    for (int n = 2; Exists(aside); ++n) {
        aside = root + "/" + id + "~" + std::to_string(n);
    }
    AuditIntent intent;
    {
        AuditCheck check;
        check.kind = AuditCheck::Kind::UserNotListed;
        check.user = id;
        if (Status begun = AuditIntent::Begin(
                folder_,
                EntryOf(audit_action::kUserDelete,
                        Message(MessageId::AuditUserDeleted,
                                {id, countText(hba1cCount), countText(glucoseCount), aside})),
                std::move(check), intent);
            !begun) {
            AuditRefused(begun.error());
            return Outcome::Failed;
        }
    }
    const std::string marker = aside + "/" + kDeletingMarker;
    if (::mkdir(root.c_str(), 0700) != 0 && errno != EEXIST) {
        Error(Message(user_text::kFileNotWritten, {root + ": " + SystemErrorText(errno)}));
        intent.Abandon();
        return Outcome::Failed;
    }
    ::chmod(root.c_str(), 0700);
    if (::mkdir(aside.c_str(), 0700) != 0) {
        Error(Message(user_text::kFileNotWritten, {aside + ": " + SystemErrorText(errno)}));
        intent.Abandon();
        return Outcome::Failed;
    }
    if (Status marked = ReplaceFileAtomically(marker, id); !marked) {
        Error(Message(user_text::kFileNotWritten, {SourceText(marked.error())}));
        ::rmdir(aside.c_str());
        intent.Abandon();
        return Outcome::Failed;
    }

    // A copy of a Windows folder may name the files by the ID's code page 949 bytes.
    const std::string stem = UserFileStem(folder_, id);
    CloseTables();
    const std::vector<std::string> before = users_;
    users_.erase(std::remove(users_.begin(), users_.end(), id), users_.end());
    std::string next = users_.front();
    if (Status rewritten = RewriteUserFileThroughTemp(next); !rewritten) {
        users_ = before;
        ::unlink(marker.c_str());
        ::rmdir(aside.c_str());
        intent.Abandon();
        (void)ReloadAndReport();
        Error(Message(user_text::kFileNotWritten, {SourceText(rewritten.error())}));
        return Outcome::Failed;
    }
    std::vector<std::string> kept = MoveUserFiles(folder_, aside, stem);
    if (kept.empty()) {
        ::unlink(marker.c_str());
    }
    (void)intent.Confirm();
    (void)ReloadAndReport(); // reports itself
    if (!kept.empty()) {
        std::string paths;
        for (const std::string& path : kept) {
            paths += (paths.empty() ? "" : "\r\n") + path;
        }
        prompter_.Inform(Message(user_text::kSomeFilesNotDeleted, {paths}), kUserCaption,
                         Prompter::Severity::Warning);
        return Outcome::Done;
    }
    prompter_.Inform(Message(MessageId::UserDeletedKept, {id, aside}), kUserCaption);
    return Outcome::Done;
}

UserStore::Outcome UserStore::RestoreUser(const std::string& id) {
    if (Status loaded = EnsureLoaded(); !loaded) {
        Error(Message(user_text::kFileNotWritten, {SourceText(loaded.error())}));
        return Outcome::Failed;
    }
    if (IsListed(id)) {
        prompter_.Inform(user_text::kDuplicateUserId, kUserCaption, Prompter::Severity::Warning);
        return Outcome::Refused;
    }
    const std::string aside = NewestAside(folder_, id);
    if (aside.empty() || !IsUsableUserId(id)) {
        prompter_.Inform(Message(MessageId::NoDeletedUser, {id}), kUserCaption,
                         Prompter::Severity::Warning);
        return Outcome::Refused;
    }
    for (const std::string& name : UserFileNames(id)) {
        if (Exists(PathOf(name))) {
            prompter_.Inform(Message(MessageId::UserRestoreBlocked, {PathOf(name)}), kUserCaption,
                             Prompter::Severity::Warning);
            return Outcome::Refused;
        }
    }
    std::string base;
    if (ReadWholeFile(UserInfoPath(), base) == FileReadStatus::Unreadable) {
        Error(Message(user_text::kFileNotWritten, {SourceText(FileFailure(UserInfoPath()))}));
        return Outcome::Failed;
    }
    AuditIntent intent;
    {
        AuditCheck check;
        check.kind = AuditCheck::Kind::UserListed;
        check.user = id;
        if (Status begun =
                AuditIntent::Begin(folder_,
                                   EntryOf(audit_action::kUserRestore,
                                           Message(MessageId::AuditUserRestored, {id, aside})),
                                   std::move(check), intent);
            !begun) {
            AuditRefused(begun.error());
            return Outcome::Failed;
        }
    }
    const std::string marker = aside + "/" + kRestoringMarker;
    if (Status marked = ReplaceFileAtomically(marker, id); !marked) {
        intent.Abandon();
        Error(Message(user_text::kFileNotWritten, {SourceText(marked.error())}));
        return Outcome::Failed;
    }
    // Files set aside from a copy of a Windows folder keep their code page 949 names.
    const std::optional<std::string> cp949 = IsUtf8Text(id) ? Utf8ToCp949(id) : std::nullopt;
    const std::string stem =
        cp949 && *cp949 != id && Exists(aside + "/" + *cp949 + "_active.info") ? *cp949 : id;
    std::vector<std::string> kept = MoveUserFiles(aside, folder_, stem);
    users_.push_back(id);
    const std::string current = currentUserId_;
    // A file that stayed behind is named as it is: the move does not keep its reason.
    const Status listed =
        kept.empty() ? ReplaceFileAtomically(UserInfoPath(), UserFileContent(current, base))
                     : Status(Message::Verbatim(kept.front()));
    if (!listed) {
        users_.pop_back();
        (void)MoveUserFiles(folder_, aside, stem);
        ::unlink(marker.c_str());
        intent.Abandon();
        Error(Message(user_text::kFileNotWritten, {SourceText(listed.error())}));
        return Outcome::Failed;
    }
    ::unlink(marker.c_str());
    ::rmdir(aside.c_str());
    (void)intent.Confirm();
    (void)ReloadAndReport();
    prompter_.Inform(Message(MessageId::UserRestored, {id}), kUserCaption);
    return Outcome::Done;
}

namespace {

// Whether any table of the database holds a row; a file that cannot be read counts as data.
bool HoldsRows(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return true;
    }
    std::vector<std::string> tables;
    sqlite3_stmt* list = nullptr;
    bool ok = sqlite3_prepare_v2(db,
                                 "SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                 "NOT LIKE 'sqlite_%'",
                                 -1, &list, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(list) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(list, 0);
        tables.emplace_back(name ? reinterpret_cast<const char*>(name) : "");
    }
    sqlite3_finalize(list);
    bool rows = !ok;
    for (const std::string& table : tables) {
        std::string quoted;
        for (char c : table) {
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        sqlite3_stmt* count = nullptr;
        if (sqlite3_prepare_v2(db, ("SELECT 1 FROM \"" + quoted + "\" LIMIT 1").c_str(), -1, &count,
                               nullptr) != SQLITE_OK) {
            rows = true;
        } else {
            rows = rows || sqlite3_step(count) == SQLITE_ROW;
        }
        sqlite3_finalize(count);
    }
    sqlite3_close(db);
    return rows;
}

} // namespace

std::vector<std::string> RemoveUnregisteredUserFiles(const std::string& dataFolder) {
    std::vector<std::string> kept;
    std::string content;
    if (ReadWholeFile(dataFolder + "/" + kUserInfoFileName, content) != FileReadStatus::Ok) {
        return kept;
    }
    std::map<long, std::string> listed = NumberedEntries(ProfileDocument::Parse(content));
    DIR* dir = ::opendir(dataFolder.c_str());
    if (dir == nullptr) {
        return kept;
    }
    std::vector<std::string> ids;
    const std::string tail = "_active.info";
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > tail.size() && name[0] != '.' && EndsWith(name, tail)) {
            ids.push_back(name.substr(0, name.size() - tail.size()));
        }
    }
    ::closedir(dir);
    for (const std::string& id : ids) {
        bool isListed = false;
        for (const auto& [number, value] : listed) {
            // Compared without case too: on a disk that ignores case the files are the
            // listed user's.
            isListed = isListed || value == id || LowerAscii(value) == LowerAscii(id);
        }
        if (isListed || id == kDefaultUserId || !IsUsableUserId(id)) {
            continue;
        }
        bool data = false;
        for (const std::string& name : UserFileNames(id)) {
            if (EndsWith(name, ".sqlite") && Exists(dataFolder + "/" + name)) {
                data = data || HoldsRows(dataFolder + "/" + name);
            }
        }
        if (data) {
            kept.push_back(dataFolder + "/" + id + tail);
            continue;
        }
        for (const std::string& name : UserFileNames(id)) {
            RemoveFile(dataFolder + "/" + name);
        }
    }
    return kept;
}

std::vector<std::string> UserStore::SettleUserMoves(const std::string& dataFolder) {
    std::vector<std::string> unsettled;
    const std::string root = dataFolder + "/" + kDeletedUsersFolder;
    DIR* dir = ::opendir(root.c_str());
    if (dir == nullptr) {
        return unsettled;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string aside = root + "/" + name;
        for (const char* kind : {kDeletingMarker, kRestoringMarker}) {
            const std::string marker = aside + "/" + kind;
            std::string id;
            if (ReadWholeFile(marker, id) != FileReadStatus::Ok || !IsUsableUserId(id)) {
                continue;
            }
            const bool listed = ListsUser(dataFolder, id);
            const bool deleting = std::string(kind) == kDeletingMarker;
            // Toward the side the user file decided: a delete is done once the user is not
            // listed, a restore once it is.
            std::vector<std::string> kept = listed ? MoveUserFiles(aside, dataFolder, id)
                                                   : MoveUserFiles(dataFolder, aside, id);
            if (!kept.empty()) {
                unsettled.push_back(aside);
                continue;
            }
            ::unlink(marker.c_str());
            if (listed) {
                ::rmdir(aside.c_str()); // the files are back in the data folder
            }
            (void)deleting;
        }
    }
    return unsettled;
}

} // namespace qa
