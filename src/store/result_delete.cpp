#include "store/result_delete.h"

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
        entry.detail = std::string(table.Kind() == ResultKind::HbA1c ? "HbA1c" : "glucose") +
                       " result: date \"" + row.date + "\", time \"" + row.time + "\", value \"" +
                       row.value + "\", patient ID \"" + row.patientId + "\", operator ID \"" +
                       row.operatorId + "\", name \"" + row.patientName + "\", birthday \"" +
                       row.birthday + "\", diagnosis " + std::to_string(row.diagnosis) +
                       ", memo \"" + row.memo + "\"";
        if (!row.resultId.empty()) {
            entry.detail += ", result ID " + row.resultId;
        }
        return {};
    });
    // The delete decides the answer; the list is read again by the page that shows it.
    (void)table.ResetView();
    return deleted;
}

} // namespace qa
