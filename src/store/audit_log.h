#pragma once

#include "store/measurement_table.h"
#include "store/message.h"
#include "store/status.h"

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

struct sqlite3;

namespace qa {

class SqliteTable;
class UserStore;

// Every change to stored results, every user and settings change and every export or
// print of a data folder is appended to this SQLite file in the folder. Rows are only ever
// inserted: triggers make SQLite refuse an UPDATE or DELETE on the log.
inline constexpr const char* kAuditFileName = "audit.sqlite";
// A change and its entry take effect together, and the log itself cannot join a transaction
// of another file (SQLite's atomic commit across attached files does not hold in write-ahead
// mode, which the log uses). So every entry is first made durable beside its change, in the
// same commit as the change, and only then copied into the log:
//  - a change to a database stages its entry in the table kAuditPendingTable of that same
//    database, inside the change's transaction: both commit or neither does;
//  - a change to plain files (settings, the user file, an archive) first writes an intent
//    file (".audit-intent-REF") naming the entry and how to tell afterwards whether the
//    change happened, then makes the change, then appends the entry and removes the intent.
// Every entry carries a random reference, unique in the log, so copying an entry again after
// a crash (the copy committed, the cleanup did not) is a no-op. ReconcileAudit, run at every
// start under the folder's lock, copies what was staged and settles what intents remain:
// an intent whose change is visible becomes its entry, any other is dropped.
inline constexpr const char* kAuditPendingTable = "audit_pending";
inline constexpr const char* kAuditIntentPrefix = ".audit-intent-";

namespace audit_action {
inline constexpr const char* kModify = "modify";
inline constexpr const char* kDelete = "delete";
inline constexpr const char* kImport = "import";
inline constexpr const char* kUserAdd = "user add";
inline constexpr const char* kUserDelete = "user delete";
inline constexpr const char* kUserRestore = "user restore";
inline constexpr const char* kSettings = "settings";
inline constexpr const char* kExport = "export";
inline constexpr const char* kPrint = "print";
inline constexpr const char* kBackup = "backup";
inline constexpr const char* kRestore = "restore";
inline constexpr const char* kUndelete = "undelete"; // a deleted result put back
inline constexpr const char* kUpgrade = "upgrade";
// A result held for want of a patient goes to the laboratory under the patient given since.
inline constexpr const char* kRelease = "release";
} // namespace audit_action

struct AuditEntry {
    long long id = 0;
    std::string time;       // local time, "YYYY-MM-DD HH:MM:SS"; filled in when empty
    std::string operatorId; // the program's user whose files were in use
    std::string account;    // the system account that ran the program; filled in when empty
    std::string version;    // filled in when empty
    std::string action;     // one of audit_action
    std::string patientId;
    // What happened, in the source language: what a reader without the catalogue shows, and
    // all that entries written before `message` existed hold.
    std::string detail;
    std::string ref; // unique in the log; made when empty
    // What happened as a message identifier with its arguments, so the log reads in the
    // language of whoever reads it. Verbatim when the entry has only `detail`. Setting it
    // through SetMessage keeps `detail` its source-language text.
    Message message;

    void SetMessage(Message what);
};

// The message of an entry as stored: a stable name (never the identifier's number, which
// moves when the catalogue grows) and its arguments. Empty name: not an audit message.
const char* AuditMessageName(MessageId id);
// The identifier a stored name stands for; false for a name this version does not know
// (written by a newer one): the entry's detail is shown then.
bool AuditMessageOfName(const std::string& name, MessageId& id);

struct AuditQuery {
    std::string patientId; // empty: every patient
    std::string fromDay;   // YYYYMMDD, inclusive; empty: no bound
    std::string toDay;     // YYYYMMDD, inclusive; empty: no bound
};

// Appends one entry to the log of `dataFolder`, creating the log when missing. A failure
// names the file and the reason.
Status AppendAudit(const std::string& dataFolder, AuditEntry entry);

// Appends for an operation on `table`: the data folder and the operator are those whose
// file the table is.
Status AppendAudit(const SqliteTable& table, AuditEntry entry);

// Where an export or a print went: a file, or a printer by its name.
struct OutputPlace {
    enum class Kind { File, Printer };
    Kind kind = Kind::File;
    std::string name; // the file's path, or the printer's name
    static OutputPlace File(std::string path) { return {Kind::File, std::move(path)}; }
    static OutputPlace Printer(std::string printer) { return {Kind::Printer, std::move(printer)}; }
};

// The entry of an export or a print of `rows` results of `kind` to `where`.
AuditEntry OutputEntry(const char* action, ResultKind kind, std::size_t rows,
                       const OutputPlace& where);
// The entry of a patient report of so many results printed to `where`.
AuditEntry PatientReportEntry(const std::string& patientId, std::size_t hba1c, std::size_t glucose,
                              const OutputPlace& where);

// Records an export or a print of `rows` results of the kind to
// `where`, in the name of the active user of `users`.
Status AuditOutput(const UserStore& users, const char* action, ResultKind kind, std::size_t rows,
                   const OutputPlace& where);

// Fills in what the caller left empty: time, account, version and a new reference.
void CompleteAuditEntry(AuditEntry& entry);

// Whether an entry can be appended now: the log opens for writing (made when missing, its
// append-only triggers put back) and takes a write lock. A change is refused when not, so
// nothing happens that the log could not record. A failure names the file.
Status CheckAuditWritable(const std::string& dataFolder);

// Stages `entry` in the pending table of `db`, which is inside the transaction of the change
// the entry records. The entry is completed (time, account, version, reference) here.
Status StageAudit(sqlite3* db, const std::string& dataFolder, AuditEntry entry);
// StageAudit for a change to `table`, inside its open transaction.
Status StageAudit(const SqliteTable& table, AuditEntry entry);
// Copies the entries staged in `db` into the log and then drops them from `db`. Succeeds when
// nothing is left staged (a file without a pending table has nothing staged).
Status FlushStagedAudit(sqlite3* db, const std::string& dataFolder);
Status FlushStagedAudit(const SqliteTable& table);

// Makes a change to `table` and its entry take effect together: refused before anything is
// written when the log cannot be written (AuditNotWritable, with the log's reason); `change`
// runs inside one transaction of the table's file and fills the entry in, and fails to keep
// nothing. Succeeds only when the change was kept; a failure is the change's own, the
// transaction's, or the log's.
Status AuditedChange(SqliteTable& table, const std::function<Status(AuditEntry&)>& change);

// How a later start tells whether the change of an intent took effect.
struct AuditCheck {
    enum class Kind {
        ProfileValues, // `path` holds every `values` triple (section, key, value)
        FileIdentity,  // `path` is the file (device, inode) `temp` was when it was made
        UserListed,    // the user file lists `user`
        UserNotListed, // the user file does not list `user`
    };
    Kind kind = Kind::ProfileValues;
    std::string path;
    std::vector<std::vector<std::string>> values;
    dev_t device = 0;
    ino_t inode = 0;
    std::string temp; // FileIdentity: removed when the change did not happen
    std::string user;
};

// An entry whose change is about to be made to plain files. Begin checks the log can be
// written and makes the intent durable; Confirm, after the change, appends the entry; Abandon,
// when the change did not happen, drops it. Dropped without either, the intent stays for the
// next start to settle.
class AuditIntent {
public:
    AuditIntent() = default;
    AuditIntent(AuditIntent&&) = default;
    AuditIntent& operator=(AuditIntent&&) = default;
    static Status Begin(const std::string& dataFolder, AuditEntry entry, AuditCheck check,
                        AuditIntent& intent);
    // Replaces the check (and the entry's message, when given) before the change: a
    // temporary file made after Begin, a count known only once the work is done.
    Status Update(AuditCheck check, const Message* message = nullptr);
    // Appends the entry; the intent goes once the log holds it. A failure is the log's
    // refusal (the intent then stays, so the entry is appended at the next start).
    Status Confirm();
    void Abandon();
    const AuditEntry& Entry() const { return entry_; }

private:
    std::string folder_;
    std::string path_;
    AuditEntry entry_;
    AuditCheck check_;
};

// Settles what interrupted work left: staged entries of every operator's databases and the
// intents of the folder. Run at start while holding the folder's lock. Returns the problems,
// one "file: reason" each.
std::vector<std::string> ReconcileAudit(const std::string& dataFolder);

// Copies the log of `fromFolder` (a consistent snapshot) to `toFolder`, replacing what is
// there, and appends `entry` to the copy. Used by a restore: the restored folder keeps this
// installation's trail, never the archive's.
Status CarryAuditInto(const std::string& fromFolder, const std::string& toFolder, AuditEntry entry);

// The matching entries, oldest first. A missing log is an empty one.
Expected<std::vector<AuditEntry>> ReadAudit(const std::string& dataFolder, const AuditQuery& query);

// One line of the command line's listing: time, operator, account, version, action,
// patient and detail, tab-separated.
std::string AuditLine(const AuditEntry& entry);

// "field: before -> after" for each field that differs, joined with "; ".
std::string AuditChanges(const std::vector<std::string>& names,
                         const std::vector<std::string>& before,
                         const std::vector<std::string>& after);

} // namespace qa
