#include "store/result_delete.h"

#include "store/audit_log.h"

namespace qa {

bool DeleteRecord(MeasurementTable& table, const ListRow& row) {
    if (!table.IsOpen()) {
        return false;
    }
    table.filter =
        table.RecordCondition(row.date, row.time, row.value, row.patientId, row.operatorId);
    const bool deleted = AuditedChange(table, [&](AuditEntry& entry) {
        if (!table.DeleteWhere()) {
            return false;
        }
        entry.action = audit_action::kDelete;
        entry.patientId = row.patientId;
        entry.detail = std::string(table.Kind() == ResultKind::HbA1c ? "HbA1c" : "glucose") +
                       " result: date \"" + row.date + "\", time \"" + row.time + "\", value \"" +
                       row.value + "\", patient ID \"" + row.patientId + "\", operator ID \"" +
                       row.operatorId + "\", name \"" + row.patientName + "\", birthday \"" +
                       row.birthday + "\", diagnosis " + std::to_string(row.diagnosis) +
                       ", memo \"" + row.memo + "\"";
        return true;
    });
    // The delete decides the answer; the list is read again by the page that shows it.
    (void)table.ResetView();
    return deleted;
}

} // namespace qa
