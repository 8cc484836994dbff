#pragma once

#include "store/measurement_table.h"
#include "store/result_list.h"
#include "store/sqlite_statement.h"
#include "store/status.h"

#include <string>
#include <string_view>
#include <vector>

namespace qa {

// Results the operator took out of a main list, kept in the same file as the list: a deleted
// result whole (so it can be put back), and the meter's original of a corrected one (its key
// before the correction). A later download of a meter that still holds either skips it
// instead of storing it again. Keyed by what the import's duplicate test compares: date, time
// and value, and for HbA1c the patient ID.
inline constexpr const char* kRemovedTableName = "RemovedResults";

enum class RemovedReason { Deleted, Corrected };

// The stored text of a reason ("deleted", "corrected").
const char* RemovedReasonText(RemovedReason reason);

// Creates the table (and its key index) in the file of `table` when missing.
Status EnsureRemovedTable(MeasurementTable& table);

// Remembers the rows of `table` that `condition` selects (a WHERE clause over the main
// table), whole, under `reason`. Runs inside the caller's transaction, so the memory and the
// change it records commit together.
Status RememberRows(MeasurementTable& table, const std::string& condition, RemovedReason reason);

// One remembered deletion, as the put-back finds it.
struct RemovedResult {
    std::string resultId;
    std::string reason;
    ListRow row; // the stored values of the deleted row (rowId 0)
    std::string eqType;
    std::string removedAt;
};

// The remembered deletions of this result ID (a deleted result, and its twins deleted with
// it, share nothing but their values; each keeps its own ID), oldest first. Fails when the
// file could not be read; a file that never remembered anything has none.
Expected<std::vector<RemovedResult>> FindRemoved(MeasurementTable& table, std::string_view resultId,
                                                 RemovedReason reason);

// Whether an incoming result is one the operator removed: asked by the import for each
// result the main list does not hold. Prepared once per import.
class RemovedProbe {
public:
    // For the file of `main`; a file without the table remembers nothing. Fails when the
    // table exists but cannot be read.
    Status Prepare(MeasurementTable& main);
    // Nothing when the result was never removed, else why.
    Expected<std::optional<RemovedReason>> Check(std::string_view date, std::string_view time,
                                                 std::string_view value,
                                                 std::string_view patientId);

private:
    SqliteStatement statement_;
    std::string path_;
    bool withPid_ = false;
};

// Puts a deleted result back into its main list under its own ID, forgets its deletion and
// writes the audit entry, the put-back and the forgetting in one transaction. Refused
// (ResultNotFound) when no deletion of that ID is remembered, and (ResultExists) when the
// list holds the ID already.
[[nodiscard]] Status RestoreDeleted(MeasurementTable& main, std::string_view resultId,
                                    std::string_view auditNote);

} // namespace qa
