#include "store/result_delete.h"

#include "i18n/message_catalogue.h"
#include "store/audit_log.h"
#include "store/removed_results.h"

namespace qa {

Status DeleteRecord(MeasurementTable& table, const ListRow& row) {
    if (!table.IsOpen()) {
        return MessageId::TableNotOpen;
    }
    // The result by its ID, which no edit changes; its twins by their values, as before.
    std::string condition =
        "(" + table.RecordCondition(row.date, row.time, row.value, row.patientId, row.operatorId) +
        ")";
    if (!row.resultId.empty()) {
        condition = MeasurementTable::ResultIdCondition(row.resultId) + " or " + condition;
    }
    table.filter = condition;
    // The rows go, their memory and the audit entry come together: a deletion is never undone
    // by the next download of a meter that still holds the result, and never remembered or
    // logged without having happened.
    Status deleted = AuditedChange(table, [&](AuditEntry& entry) -> Status {
        Status removed = RememberRows(table, condition, RemovedReason::Deleted);
        if (removed) {
            removed = table.DeleteWhere();
        }
        if (!removed) {
            return removed;
        }
        entry.action = audit_action::kDelete;
        entry.patientId = row.patientId;
        // Every field as it was, so the log alone tells what was lost.
        std::vector<std::string> fields;
        AppendItem(fields, MessageId::AuditItemDate, {row.date});
        AppendItem(fields, MessageId::AuditItemTime, {row.time});
        AppendItem(fields, MessageId::AuditItemValue, {row.value});
        AppendItem(fields, MessageId::AuditItemPatientId, {row.patientId});
        AppendItem(fields, MessageId::AuditItemOperatorId, {row.operatorId});
        AppendItem(fields, MessageId::AuditItemName, {row.patientName});
        AppendItem(fields, MessageId::AuditItemBirthday, {row.birthday});
        AppendItem(fields, MessageId::AuditItemDiagnosis, {std::to_string(row.diagnosis)});
        AppendItem(fields, MessageId::AuditItemMemo, {row.memo});
        if (!row.resultId.empty()) {
            AppendItem(fields, MessageId::AuditItemResultId, {row.resultId});
        }
        entry.SetMessage(Message(table.Kind() == ResultKind::HbA1c ? MessageId::AuditHbA1cDeleted
                                                                   : MessageId::AuditGlucoseDeleted,
                                 std::move(fields)));
        return {};
    });
    // The delete decides the answer; the list is read again by the page that shows it.
    (void)table.ResetView();
    return deleted;
}

} // namespace qa
