#pragma once

#include "store/measurement_table.h"
#include "store/result_list.h"

namespace qa {

// Deletes every stored row of `table` that shares the date, time, value, patient ID and
// operator ID of `row`: results the meter sent twice are one result to the operator, so they
// go together. Afterwards the table has the standard sort and no filter, requeried, whether
// or not the delete went through, so a failed delete never leaves its condition behind to
// narrow a later read. Fails, saying why, when the table is closed, the log cannot be written
// or the delete failed; nothing is then deleted.
Status DeleteRecord(MeasurementTable& table, const ListRow& row);

} // namespace qa
