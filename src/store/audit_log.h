#pragma once

#include "store/measurement_table.h"

#include <string>
#include <vector>

namespace qa {

class SqliteTable;
class UserStore;

// Every change to stored results, every user and settings change and every export or
// print of a data folder is appended to this SQLite file in the folder. Rows are only ever
// inserted: triggers make SQLite refuse an UPDATE or DELETE on the log.
inline constexpr const char* kAuditFileName = "audit.sqlite";

namespace audit_action {
inline constexpr const char* kModify = "modify";
inline constexpr const char* kDelete = "delete";
inline constexpr const char* kImport = "import";
inline constexpr const char* kUserAdd = "user add";
inline constexpr const char* kUserDelete = "user delete";
inline constexpr const char* kSettings = "settings";
inline constexpr const char* kExport = "export";
inline constexpr const char* kPrint = "print";
inline constexpr const char* kBackup = "backup";
inline constexpr const char* kRestore = "restore";
inline constexpr const char* kUndelete = "undelete"; // a deleted result put back
} // namespace audit_action

struct AuditEntry {
    long long id = 0;
    std::string time;       // local time, "YYYY-MM-DD HH:MM:SS"; filled in when empty
    std::string operatorId; // the program's user whose files were in use
    std::string account;    // the system account that ran the program; filled in when empty
    std::string version;    // filled in when empty
    std::string action;     // one of audit_action
    std::string patientId;
    std::string detail;
};

struct AuditQuery {
    std::string patientId; // empty: every patient
    std::string fromDay;   // YYYYMMDD, inclusive; empty: no bound
    std::string toDay;     // YYYYMMDD, inclusive; empty: no bound
};

// Appends one entry to the log of `dataFolder`, creating the log when missing. False with
// `error` naming the file and the reason.
bool AppendAudit(const std::string& dataFolder, AuditEntry entry, std::string* error = nullptr);

// Appends for an operation on `table`: the data folder and the operator are those whose
// file the table is.
bool AppendAudit(const SqliteTable& table, AuditEntry entry, std::string* error = nullptr);

// Records an export or a print of `rows` results of the kind to
// `where`, in the name of the active user of `users`.
bool AuditOutput(const UserStore& users, const char* action, ResultKind kind, std::size_t rows,
                 const std::string& where);

// The matching entries, oldest first. A missing log is an empty one.
bool ReadAudit(const std::string& dataFolder, const AuditQuery& query,
               std::vector<AuditEntry>& entries, std::string& error);

// One line of the command line's listing: time, operator, account, version, action,
// patient and detail, tab-separated.
std::string AuditLine(const AuditEntry& entry);

// "field: before -> after" for each field that differs, joined with "; ".
std::string AuditChanges(const std::vector<std::string>& names,
                         const std::vector<std::string>& before,
                         const std::vector<std::string>& after);

} // namespace qa
