#pragma once

#include "store/measurement_table.h"
#include "store/result_list.h"
#include "store/status.h"

#include <optional>
#include <string_view>

namespace qa {

// The stored result with this ID (its values as the list reads them, with its row id), the
// table's cursor on it; nothing when no result has it. Afterwards the table has the standard
// sort and no filter. Fails, naming the file and SQLite's reason, when the table could not be
// read.
Expected<std::optional<ListRow>> FindResultById(MeasurementTable& table, std::string_view resultId);

} // namespace qa
