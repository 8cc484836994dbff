#pragma once

#include "store/audit_log.h"
#include "store/measurement_table.h"
#include "store/profile_file.h"
#include "store/prompter.h"
#include "store/settings.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

inline constexpr const char* kUserInfoFileName = "user_info.ini";
inline constexpr const char* kUserInfoTempFileName = "user_info_d.ini";
inline constexpr const char* kDefaultUserId = "Basis";
// What the user file gives for a missing "current_user": the default user's files are used.
inline constexpr const char* kNoUserId = "-1";
inline constexpr std::size_t kMaxUserIdBytes = 64;
// A deleted operator's files are moved into "<folder>/<this>/<ID>" (or "<ID>~N" when an
// earlier delete of the same ID is kept there), owner-only, from where `users restore`
// brings them back.
inline constexpr const char* kDeletedUsersFolder = "deleted_users";
inline constexpr MessageId kUserCaption = MessageId::CaptionProgram;

// Operator messages of the user operations.
namespace user_text {
inline constexpr MessageId kAskAddUser = MessageId::AskAddUser;
inline constexpr MessageId kEmptyUserId = MessageId::EmptyUserId;
inline constexpr MessageId kDuplicateUserId = MessageId::DuplicateUserId;
inline constexpr MessageId kAskDeleteUser = MessageId::AskDeleteUser;
inline constexpr MessageId kLastUserNotDeletable = MessageId::LastUserNotDeletable;
inline constexpr MessageId kUserDeleted = MessageId::UserDeleted;
inline constexpr MessageId kUserIdBadCharacter = MessageId::UserIdBadCharacter;
inline constexpr MessageId kUserIdBlankAtEdge = MessageId::UserIdBlankAtEdge;
inline constexpr MessageId kUserIdTooLong = MessageId::UserIdTooLong;
inline constexpr MessageId kUserIdNotText = MessageId::UserIdNotText;
inline constexpr MessageId kUserIdReserved = MessageId::UserIdReserved;
inline constexpr MessageId kUserIdSameFiles = MessageId::UserIdSameFiles;
inline constexpr MessageId kUserNotListed = MessageId::UserNotListed;
inline constexpr MessageId kUserIdUnusable = MessageId::UserIdUnusable;
inline constexpr MessageId kUserFilesMissing = MessageId::UserFilesMissing;
inline constexpr MessageId kUserFilesNotDeleted = MessageId::UserFilesNotDeleted;
// These name the files or folder in their argument.
inline constexpr MessageId kSomeFilesNotDeleted = MessageId::SomeFilesNotDeleted;
inline constexpr MessageId kFileNotWritten = MessageId::FileNotWritten;
inline constexpr MessageId kUserFilesNotOpened = MessageId::UserFilesNotOpened;
inline constexpr MessageId kDamagedFile = MessageId::DamagedFile;
inline constexpr MessageId kUserNotAdded = MessageId::UserNotAdded;
} // namespace user_text

// Why a user ID may not be given to a new user, or nothing when it may. The ID becomes part of
// file names and is written into profile files, so it must stay inside the data folder, read
// back as written (no blanks at the ends, no line breaks), keep clear of the names of the
// program's own files, and fit the buffers the files are read with.
std::optional<MessageId> CheckNewUserId(std::string_view id);

// Whether files may be named after an ID read from the user file. Looser than the check for
// new IDs, so users created by older versions with, say, ';' in their ID keep their data;
// what would leave the data folder is never used.
bool IsUsableUserId(std::string_view id);

// Files left by an operator add that stopped before the user file listed the operator: an
// "<ID>_active.info" whose ID is not listed, and the files of that ID. Removed when no table
// of theirs holds a row; otherwise kept, and their marker's path returned. Nothing is done
// when the user file cannot be read. Called at start while holding the folder's lock.
std::vector<std::string> RemoveUnregisteredUserFiles(const std::string& dataFolder);
// The name the files of the user with this ID have in the data folder: the ID, or the code
// page 949 bytes a copy of a Windows folder may have named them with, whichever is there
// (the ID when neither is, so new files get readable names).
std::string UserFileStem(const std::string& dataFolder, const std::string& id);

// The files of one user in the data folder.
struct UserFiles {
    std::string activeInfo;
    std::string tableList;
    std::string settings;
    std::string hba1cMain;
    std::string hba1cDownload;
    std::string glucoseMain;
    std::string glucoseDownload;
};

// The user accounts, the current user's four tables and settings. Every question and
// message goes through the prompter. After a switch, an add or a delete the tables are open
// for the new current user and its settings are loaded.
class UserStore {
public:
    enum class Outcome {
        Done,     // carried out
        Declined, // the operator answered no
        Refused,  // a message said why; nothing was written
        Failed,   // a message said what failed
    };

    UserStore(std::string dataFolder, Prompter& prompter);
    virtual ~UserStore();
    UserStore(const UserStore&) = delete;
    UserStore& operator=(const UserStore&) = delete;

    const std::string& DataFolder() const { return folder_; }
    // The user IDs in the order of the user file, as text: an ID the Windows program stored in
    // code page 949 comes as UTF-8 like every other text (the file keeps its own bytes).
    const std::vector<std::string>& UserList() const { return users_; }
    // The listed ID given as text or as the bytes the user file holds; nothing when none is.
    std::optional<std::string> ListedId(std::string_view given) const;
    // The bytes the user file holds for a listed ID (the ID itself for a new one).
    std::string StoredSpelling(const std::string& id) const;
    // As the user file has it; kNoUserId when it names none.
    const std::string& CurrentUserId() const { return currentUserId_; }
    // The user whose files are in use: the current user, or the default user when the user
    // file names none or names one that cannot be used for file names.
    std::string ActiveUserId() const;
    // Readers (list, export, report) open existing database files read-only.
    void SetReadOnly(bool readOnly);
    // The tables are used from one thread only (the command line): see
    // SqliteTable::SetSingleThread. The window's store is shared with its download worker.
    void SetSingleThread(bool singleThread) { singleThread_ = singleThread; }
    // Tables opened from now on are only walked (list, export, report): their schema is
    // checked as a listing would check it, but no row-id list is read, which in a file of a
    // million results costs two scans of its index before the first line is written.
    void SetWalkOnly(bool walkOnly) { walkOnly_ = walkOnly; }
    // What went wrong in the last OpenUserDatabases, one "file: reason" line per file.
    const std::vector<std::string>& OpenProblems() const { return openProblems_; }
    // Whether one of those files is damaged rather than missing or locked.
    bool HasDamagedFile() const { return damagedFile_; }

    SettingsStore& Settings() { return settings_; }
    const SettingsStore& Settings() const { return settings_; }
    HbA1cTable& HbA1cMain() { return hba1cMain_; }
    HbA1cTable& HbA1cDownload() { return hba1cDownload_; }
    GlucoseTable& GlucoseMain() { return glucoseMain_; }
    GlucoseTable& GlucoseDownload() { return glucoseDownload_; }

    std::string UserInfoPath() const;
    UserFiles FilesOf(const std::string& id) const;

    // Reads the user file; the first start writes the default user. Fails when the user file
    // cannot be read or created, naming it and the system's reason.
    Status LoadUsers();
    // Opens the four tables for the active user, creating missing files; every open table
    // gets the standard sort and no filter. Fails unless all four are open, with the message
    // the operator is shown: the damaged file, or the folder and each file with its reason
    // (also in OpenProblems()).
    Status OpenUserDatabases();
    // Loads the active user's settings file, writing the defaults when it is missing; a
    // failure names the file and the reason.
    Status LoadSettings();
    // Writes Settings() to the active user's file, with `extra` (other keys of the same
    // file) in the same single replacement, then loads it back. Refused, with nothing
    // written, when the audit log cannot be written (AuditNotWritable, naming the log and
    // why); otherwise a failure names the settings file and the reason. `extraChanges`
    // describes `extra` for the log.
    Status SaveSettings(const std::vector<ProfileChange>& extra = {},
                        const std::string& extraChanges = {});
    // LoadUsers, OpenUserDatabases and LoadSettings, as after every change of user. A
    // failure is the message OpenUserDatabases gives, with the user file's or the settings
    // file's reason among the problems when those failed.
    Status Reload();
    void CloseTables();

    // Makes a listed user current (byte-wise comparison) and reloads. A failure has been
    // shown through the prompter; the Status is that same message.
    Status SwitchUser(const std::string& id);
    // Opens a listed user's files and settings for this run only, leaving "current_user" in
    // the user file as it is (the command line's --user). Fails when the user is not listed
    // (said through the prompter) or its files cannot be opened (left to the caller to show).
    Status OpenUser(const std::string& id);
    // Asks, checks the ID, writes the new user's marker and the user file (with the new user
    // as current) and reloads, which creates the new user's files. On anything but Done the
    // add dialog stays open.
    Outcome AddUser(const std::string& id);
    // Asks, refuses the last user, closes the tables, deletes the current user's files,
    // rewrites the user file with the first remaining user as current, reloads and reports.
    Outcome DeleteCurrentUser();
    // Brings back the files of a deleted user from the deleted-users folder and lists the
    // user again (not made current).
    Outcome RestoreUser(const std::string& id);
    // Completes or undoes a user delete or restore that a crash interrupted; called at start
    // while holding the folder's lock. Returns the folders it could not settle.
    static std::vector<std::string> SettleUserMoves(const std::string& dataFolder);
    // Reload; says so when the user's files cannot be used, instead of leaving empty lists
    // that look like a user without results. The Status is the message shown.
    Status ReloadAndReport();

protected:
    // The last step of the user-file rewrite; tests make it fail. A failure names `to` and
    // the system's reason.
    virtual Status RenameFile(const std::string& from, const std::string& to);

private:
    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }
    Status EnsureLoaded();
    Status WriteFirstStart();
    Status RewriteUserFileThroughTemp(const std::string& current);
    std::string UserFileContent(const std::string& current, const std::string& base) const;
    bool SharesFilesWithListedUser(const std::string& id) const;
    Status OpenTableList(const UserFiles& files, bool newFiles, std::string& mainTableName);
    void Error(const Message& text);
    bool IsListed(const std::string& id) const;
    [[nodiscard]] bool OpenTable(MeasurementTable& table, const std::string& path);
    Status CreateUserFiles(const std::string& id, std::vector<std::string>& created);
    // The operator's message for the files in openProblems_.
    Message FilesNotOpened() const;
    // An audit entry in the name of the active user, for a change about to be made.
    AuditEntry EntryOf(const char* action, const Message& what) const;
    // Tells the operator the change is refused because the log cannot be written.
    void AuditRefused(const Message& error);

    std::string folder_;
    Prompter& prompter_;
    std::vector<std::string> users_;
    // Listed IDs whose stored bytes differ from their text (code page 949), by text.
    std::map<std::string, std::string> storedSpelling_;
    std::string currentUserId_ = kNoUserId;
    bool loaded_ = false;
    bool readOnly_ = false;
    bool singleThread_ = false;
    bool walkOnly_ = false;
    bool damagedFile_ = false;
    std::vector<std::string> openProblems_;
    std::string reportedUnlisted_;
    SettingsStore settings_;
    HbA1cTable hba1cMain_;
    HbA1cTable hba1cDownload_;
    GlucoseTable glucoseMain_;
    GlucoseTable glucoseDownload_;
};

} // namespace qa
