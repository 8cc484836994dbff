#include "store/result_lookup.h"

namespace qa {

LookupOutcome FindResultById(MeasurementTable& table, std::string_view resultId, ListRow& row) {
    row = ListRow{};
    if (!table.IsOpen()) {
        return LookupOutcome::Failed;
    }
    // An empty ID is no result's: a file read before it had its IDs reads them empty.
    if (resultId.empty()) {
        return LookupOutcome::NotFound;
    }
    table.filter = MeasurementTable::ResultIdCondition(resultId);
    table.sort = "ROWID";
    const bool found = table.RequeryAny();
    const bool failed = table.ReadFailed();
    if (found) {
        ReadListValues(table, 0, row);
    }
    table.filter.Clear();
    table.sort = table.StandardSort();
    if (failed) {
        return LookupOutcome::Failed;
    }
    return found ? LookupOutcome::Found : LookupOutcome::NotFound;
}

} // namespace qa
