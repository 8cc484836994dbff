#pragma once

#include "store/measurement_table.h"
#include "store/result_list.h"

#include <string_view>

namespace qa {

enum class LookupOutcome { Found, NotFound, Failed };

// Loads the stored result with this ID into `row` (its values as the list reads them, with
// its row id), the table's cursor on it. Afterwards the table has the standard sort and no
// filter. Failed when the table could not be read (its LastError says why).
LookupOutcome FindResultById(MeasurementTable& table, std::string_view resultId, ListRow& row);

} // namespace qa
