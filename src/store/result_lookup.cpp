#include "store/result_lookup.h"

namespace qa {

Expected<std::optional<ListRow>> FindResultById(MeasurementTable& table,
                                                std::string_view resultId) {
    if (!table.IsOpen()) {
        return MessageId::TableNotOpen;
    }
    // An empty ID is no result's: a file read before it had its IDs reads them empty.
    if (resultId.empty()) {
        return std::optional<ListRow>();
    }
    table.filter = MeasurementTable::ResultIdCondition(resultId);
    table.sort = "ROWID";
    Expected<bool> found = table.RequeryAny();
    // Its row read on its own, so a row that could not be read is a failure, not a result
    // of empty values.
    if (found && *found) {
        found = table.LoadRowById(table.CurrentRowId());
    }
    std::optional<ListRow> row;
    if (found && *found) {
        ReadListValues(table, 0, row.emplace());
    }
    table.filter.Clear();
    table.sort = table.StandardSort();
    if (!found) {
        return found.status();
    }
    return row;
}

} // namespace qa
