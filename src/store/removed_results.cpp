#include "store/removed_results.h"

#include "i18n/message_catalogue.h"

#include "store/audit_log.h"

#include <sqlite3.h>

namespace qa {

namespace {

// The main table's columns kept for each removed row, in the order of the memory's own.
constexpr const char* kKeptColumns[] = {"DATE",   "TIME",  "PID",        "OPID",  "EQ_TYPE",
                                        "p_NAME", "p_DOB", "P_DIAGNOSE", "P_MEMO"};

bool TableExists(sqlite3* db, const char* name, bool& exists) {
    SqliteStatement probe =
        PrepareStatement(db, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1");
    if (!probe) {
        return false;
    }
    sqlite3_bind_text(probe.Get(), 1, name, -1, SQLITE_STATIC);
    const int rc = sqlite3_step(probe.Get());
    exists = rc == SQLITE_ROW;
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

Message ReadFailed(const MeasurementTable& table) {
    return Message(MessageId::NotSaved,
                   {table.Handle() ? sqlite3_errmsg(table.Handle()) : "the table is not open"});
}

} // namespace

const char* RemovedReasonText(RemovedReason reason) {
    return reason == RemovedReason::Deleted ? "deleted" : "corrected";
}

bool EnsureRemovedTable(MeasurementTable& table) {
    // VALUE holds the kind's value column, whichever its name in the main table.
    return table.Execute(FormatSql(
               "CREATE TABLE IF NOT EXISTS [%s] ([RESULT_ID] TEXT, [REASON] TEXT, [DATE] TEXT, "
               "[TIME] TEXT, [VALUE] TEXT, [PID] TEXT, [OPID] TEXT, [EQ_TYPE] TEXT, "
               "[p_NAME] TEXT, [p_DOB] TEXT, [P_DIAGNOSE] INT, [P_MEMO] TEXT, "
               "[REMOVED_AT] TEXT)",
               kRemovedTableName)) &&
           table.Execute(FormatSql("CREATE INDEX IF NOT EXISTS [%s_key] ON [%s] ([DATE], [TIME], "
                                   "[VALUE], [PID])",
                                   kRemovedTableName, kRemovedTableName)) &&
           table.Execute(FormatSql("CREATE INDEX IF NOT EXISTS [%s_id] ON [%s] ([RESULT_ID])",
                                   kRemovedTableName, kRemovedTableName));
}

bool RememberRows(MeasurementTable& table, const std::string& condition, RemovedReason reason) {
    if (!EnsureRemovedTable(table)) {
        return false;
    }
    std::string kept;
    for (const char* column : kKeptColumns) {
        kept += std::string(", [") + column + "]";
    }
    return table
        .Execute(FormatSql("INSERT INTO [%s] ([RESULT_ID], [REASON], [VALUE]%s, "
                           "[REMOVED_AT]) SELECT [%s], '%s', [%s]%s, "
                           "strftime('%%Y-%%m-%%d %%H:%%M:%%S', 'now', 'localtime') "
                           "FROM [%s] WHERE ",
                           kRemovedTableName, kept.c_str(), MeasurementTable::kResultIdColumn,
                           RemovedReasonText(reason), table.ValueColumn(), kept.c_str(),
                           table.TableName().c_str()) +
                 condition)
        .ok();
}

bool FindRemoved(MeasurementTable& table, std::string_view resultId, RemovedReason reason,
                 std::vector<RemovedResult>& found) {
    found.clear();
    bool exists = false;
    if (!table.IsOpen() || !TableExists(table.Handle(), kRemovedTableName, exists)) {
        return false;
    }
    if (!exists) {
        return true;
    }
    SqliteStatement query = PrepareStatement(
        table.Handle(),
        FormatSql("SELECT [RESULT_ID], [REASON], [DATE], [TIME], [VALUE], [PID], [OPID], "
                  "[p_NAME], [p_DOB], [P_DIAGNOSE], [P_MEMO], [REMOVED_AT], [EQ_TYPE] FROM [%s] "
                  "WHERE [RESULT_ID]=?1 AND [REASON]=?2 ORDER BY ROWID",
                  kRemovedTableName));
    if (!query) {
        return false;
    }
    sqlite3_bind_text(query.Get(), 1, resultId.data(), static_cast<int>(resultId.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_text(query.Get(), 2, RemovedReasonText(reason), -1, SQLITE_STATIC);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(query.Get())) == SQLITE_ROW) {
        RemovedResult& removed = found.emplace_back();
        sqlite3_stmt* s = query.Get();
        removed.resultId = ColumnText(s, 0);
        removed.reason = ColumnText(s, 1);
        removed.row.date = ColumnText(s, 2);
        removed.row.time = ColumnText(s, 3);
        removed.row.value = ColumnText(s, 4);
        removed.row.patientId = ColumnText(s, 5);
        removed.row.operatorId = ColumnText(s, 6);
        removed.row.patientName = ColumnText(s, 7);
        removed.row.birthday = ColumnText(s, 8);
        removed.row.diagnosis = sqlite3_column_int(s, 9);
        removed.row.memo = ColumnText(s, 10);
        removed.removedAt = ColumnText(s, 11);
        removed.eqType = ColumnText(s, 12);
        removed.row.resultId = removed.resultId;
    }
    return rc == SQLITE_DONE;
}

bool RemovedProbe::Prepare(MeasurementTable& main) {
    statement_.Reset();
    withPid_ = main.Kind() == ResultKind::HbA1c;
    bool exists = false;
    if (!main.IsOpen() || !TableExists(main.Handle(), kRemovedTableName, exists)) {
        return false;
    }
    if (!exists) {
        return true;
    }
    // A deletion wins over a correction of the same key: the operator's last word on it.
    statement_ = PrepareStatement(
        main.Handle(),
        FormatSql("SELECT [REASON] FROM [%s] WHERE [DATE]=?1 AND [TIME]=?2 AND [VALUE]=?3%s "
                  "ORDER BY [REASON]='deleted' DESC LIMIT 1",
                  kRemovedTableName, withPid_ ? " AND [PID]=?4" : ""));
    return static_cast<bool>(statement_);
}

std::optional<RemovedReason> RemovedProbe::Check(std::string_view date, std::string_view time,
                                                 std::string_view value, std::string_view patientId,
                                                 bool& failed) {
    failed = false;
    sqlite3_stmt* statement = statement_.Get();
    if (statement == nullptr) {
        return std::nullopt;
    }
    const auto bind = [statement](int index, std::string_view text) {
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC);
    };
    bind(1, date);
    bind(2, time);
    bind(3, value);
    if (withPid_) {
        bind(4, patientId);
    }
    std::optional<RemovedReason> reason;
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        reason = ColumnText(statement, 0) == "deleted" ? RemovedReason::Deleted
                                                       : RemovedReason::Corrected;
    } else if (rc != SQLITE_DONE) {
        failed = true;
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return reason;
}

Status RestoreDeleted(MeasurementTable& main, std::string_view resultId,
                      std::string_view auditNote) {
    if (!main.IsOpen()) {
        return ReadFailed(main);
    }
    std::vector<RemovedResult> removed;
    if (!FindRemoved(main, resultId, RemovedReason::Deleted, removed)) {
        return ReadFailed(main);
    }
    if (removed.empty()) {
        return Message(MessageId::ResultNotFound, {std::string(resultId)});
    }
    main.filter = MeasurementTable::ResultIdCondition(resultId);
    const bool present = main.RequeryAny();
    const bool readFailed = main.ReadFailed();
    main.filter.Clear();
    if (readFailed) {
        return ReadFailed(main);
    }
    if (present) {
        return Message(MessageId::ResultExists, {std::string(resultId)});
    }
    // A result deleted, put back and deleted again is remembered twice: the latest is it.
    const RemovedResult& last = removed.back();
    // The result, the end of its remembered deletion and the audit entry commit together.
    const Expected<bool> restored = AuditedChange(main, [&](AuditEntry& entry) {
        if (!main.AddNew()) {
            return false;
        }
        main.date = last.row.date;
        main.time = last.row.time;
        main.value = last.row.value;
        main.pid = last.row.patientId;
        main.opid = last.row.operatorId;
        main.eqType = last.eqType;
        main.name = last.row.patientName;
        main.dob = last.row.birthday;
        main.diagnose = last.row.diagnosis;
        main.memo = last.row.memo;
        main.resultId = last.resultId;
        if (!main.Update() ||
            !main.Execute(FormatSql("DELETE FROM [%s] WHERE [RESULT_ID]='%s' AND "
                                    "[REASON]='deleted'",
                                    kRemovedTableName, EscapeSqlLiteral(resultId).c_str()))) {
            return false;
        }
        entry.action = audit_action::kUndelete;
        entry.patientId = last.row.patientId;
        std::vector<std::string> args = {std::string(resultId), last.row.date, last.row.time,
                                         last.row.value, last.row.patientId};
        // The note is the caller's own text, shown as given in every language.
        if (!auditNote.empty()) {
            AppendItem(args, MessageId::AuditItemNote, {std::string(auditNote)});
        }
        entry.SetMessage(Message(main.Kind() == ResultKind::HbA1c ? MessageId::AuditHbA1cPutBack
                                                                  : MessageId::AuditGlucosePutBack,
                                 std::move(args)));
        return true;
    });
    if (!restored.ok() || !*restored) {
        Status failure =
            restored.ok()
                ? ReadFailed(main)
                : Status(Message(MessageId::AuditNotWritable, {SourceText(restored.error())}));
        (void)main.ResetView();
        return failure;
    }
    (void)main.ResetView();
    return {};
}

} // namespace qa
