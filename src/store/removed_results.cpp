#include "store/removed_results.h"

#include "i18n/message_catalogue.h"

#include "store/audit_log.h"

#include <sqlite3.h>

namespace qa {

namespace {

// The main table's columns kept for each removed row, in the order of the memory's own.
constexpr const char* kKeptColumns[] = {"DATE",   "TIME",  "PID",        "OPID",  "EQ_TYPE",
                                        "p_NAME", "p_DOB", "P_DIAGNOSE", "P_MEMO"};

// What SQLite said of the last failure on the file of `table`.
Message ReadFailed(const MeasurementTable& table) {
    if (!table.IsOpen() || table.Handle() == nullptr) {
        return MessageId::TableNotOpen;
    }
    return Message(MessageId::FileReason, {table.Path().Str(), sqlite3_errmsg(table.Handle())});
}

Expected<bool> TableExists(const MeasurementTable& table, const char* name) {
    if (!table.IsOpen() || table.Handle() == nullptr) {
        return MessageId::TableNotOpen;
    }
    SqliteStatement probe = PrepareStatement(
        table.Handle(), "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1");
    if (!probe) {
        return ReadFailed(table);
    }
    sqlite3_bind_text(probe.Get(), 1, name, -1, SQLITE_STATIC);
    const int rc = sqlite3_step(probe.Get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        return ReadFailed(table);
    }
    return rc == SQLITE_ROW;
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

const char* RemovedReasonText(RemovedReason reason) {
    return reason == RemovedReason::Deleted ? "deleted" : "corrected";
}

Status EnsureRemovedTable(MeasurementTable& table) {
    // VALUE holds the kind's value column, whichever its name in the main table.
    Status made = table.Execute(
        FormatSql("CREATE TABLE IF NOT EXISTS [%s] ([RESULT_ID] TEXT, [REASON] TEXT, [DATE] TEXT, "
                  "[TIME] TEXT, [VALUE] TEXT, [PID] TEXT, [OPID] TEXT, [EQ_TYPE] TEXT, "
                  "[p_NAME] TEXT, [p_DOB] TEXT, [P_DIAGNOSE] INT, [P_MEMO] TEXT, "
                  "[REMOVED_AT] TEXT)",
                  kRemovedTableName));
    if (made) {
        made = table.Execute(FormatSql("CREATE INDEX IF NOT EXISTS [%s_key] ON [%s] ([DATE], "
                                       "[TIME], [VALUE], [PID])",
                                       kRemovedTableName, kRemovedTableName));
    }
    if (made) {
        made = table.Execute(FormatSql("CREATE INDEX IF NOT EXISTS [%s_id] ON [%s] ([RESULT_ID])",
                                       kRemovedTableName, kRemovedTableName));
    }
    return made;
}

Status RememberRows(MeasurementTable& table, const std::string& condition, RemovedReason reason) {
    if (Status made = EnsureRemovedTable(table); !made) {
        return made;
    }
    std::string kept;
    for (const char* column : kKeptColumns) {
        kept += std::string(", [") + column + "]";
    }
    return table.Execute(FormatSql("INSERT INTO [%s] ([RESULT_ID], [REASON], [VALUE]%s, "
                                   "[REMOVED_AT]) SELECT [%s], '%s', [%s]%s, "
                                   "strftime('%%Y-%%m-%%d %%H:%%M:%%S', 'now', 'localtime') "
                                   "FROM [%s] WHERE ",
                                   kRemovedTableName, kept.c_str(),
                                   MeasurementTable::kResultIdColumn, RemovedReasonText(reason),
                                   table.ValueColumn(), kept.c_str(), table.TableName().c_str()) +
                         condition);
}

Expected<std::vector<RemovedResult>> FindRemoved(MeasurementTable& table, std::string_view resultId,
                                                 RemovedReason reason) {
    std::vector<RemovedResult> found;
    const Expected<bool> exists = TableExists(table, kRemovedTableName);
    if (!exists) {
        return exists.status();
    }
    if (!*exists) {
        return found;
    }
    SqliteStatement query = PrepareStatement(
        table.Handle(),
        FormatSql("SELECT [RESULT_ID], [REASON], [DATE], [TIME], [VALUE], [PID], [OPID], "
                  "[p_NAME], [p_DOB], [P_DIAGNOSE], [P_MEMO], [REMOVED_AT], [EQ_TYPE] FROM [%s] "
                  "WHERE [RESULT_ID]=?1 AND [REASON]=?2 ORDER BY ROWID",
                  kRemovedTableName));
    if (!query) {
        return ReadFailed(table);
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
    if (rc != SQLITE_DONE) {
        return ReadFailed(table);
    }
    return found;
}

Status RemovedProbe::Prepare(MeasurementTable& main) {
    statement_.Reset();
    withPid_ = main.Kind() == ResultKind::HbA1c;
    path_ = main.Path().Str();
    const Expected<bool> exists = TableExists(main, kRemovedTableName);
    if (!exists) {
        return exists.status();
    }
    if (!*exists) {
        return {};
    }
    // A deletion wins over a correction of the same key: the operator's last word on it.
    statement_ = PrepareStatement(
        main.Handle(),
        FormatSql("SELECT [REASON] FROM [%s] WHERE [DATE]=?1 AND [TIME]=?2 AND [VALUE]=?3%s "
                  "ORDER BY [REASON]='deleted' DESC LIMIT 1",
                  kRemovedTableName, withPid_ ? " AND [PID]=?4" : ""));
    if (!statement_) {
        return ReadFailed(main);
    }
    return {};
}

Expected<std::optional<RemovedReason>> RemovedProbe::Check(std::string_view date,
                                                           std::string_view time,
                                                           std::string_view value,
                                                           std::string_view patientId) {
    sqlite3_stmt* statement = statement_.Get();
    if (statement == nullptr) {
        return std::optional<RemovedReason>();
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
    std::optional<Message> failure;
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        reason = ColumnText(statement, 0) == "deleted" ? RemovedReason::Deleted
                                                       : RemovedReason::Corrected;
    } else if (rc != SQLITE_DONE) {
        failure =
            Message(MessageId::FileReason, {path_, sqlite3_errmsg(sqlite3_db_handle(statement))});
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (failure) {
        return *failure;
    }
    return reason;
}

Status RestoreDeleted(MeasurementTable& main, std::string_view resultId,
                      std::string_view auditNote) {
    const Expected<std::vector<RemovedResult>> found =
        FindRemoved(main, resultId, RemovedReason::Deleted);
    if (!found) {
        return found.status();
    }
    const std::vector<RemovedResult>& removed = *found;
    if (removed.empty()) {
        return Message(MessageId::ResultNotFound, {std::string(resultId)});
    }
    main.filter = MeasurementTable::ResultIdCondition(resultId);
    const Expected<bool> present = main.RequeryAny();
    main.filter.Clear();
    if (!present) {
        return present.status();
    }
    if (*present) {
        return Message(MessageId::ResultExists, {std::string(resultId)});
    }
    // A result deleted, put back and deleted again is remembered twice: the latest is it.
    const RemovedResult& last = removed.back();
    // The result, the end of its remembered deletion and the audit entry commit together.
    Status restored = AuditedChange(main, [&](AuditEntry& entry) -> Status {
        if (Status adding = main.AddNew(); !adding) {
            return adding;
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
        Status written = main.Update();
        if (written) {
            written =
                main.Execute(FormatSql("DELETE FROM [%s] WHERE [RESULT_ID]='%s' AND "
                                       "[REASON]='deleted'",
                                       kRemovedTableName, EscapeSqlLiteral(resultId).c_str()));
        }
        if (!written) {
            return written;
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
        return {};
    });
    // The put-back decides the answer; the list is read again by the page that shows it.
    (void)main.ResetView();
    return restored;
}

} // namespace qa
