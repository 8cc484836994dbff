#include "store/result_delete.h"

namespace qa {

bool DeleteRecord(MeasurementTable& table, const ListRow& row) {
    if (!table.IsOpen()) {
        return false;
    }
    table.filter =
        table.RecordCondition(row.date, row.time, row.value, row.patientId, row.operatorId);
    const bool deleted = table.DeleteWhere();
    // The delete decides the answer; the list is read again by the page that shows it.
    (void)table.ResetView();
    return deleted;
}

} // namespace qa
