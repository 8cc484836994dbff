#pragma once

#include "store/measurement_table.h"
#include "store/removed_results.h"
#include "store/sqlite_statement.h"
#include "store/status.h"

#include <string>

namespace qa {

// One result as the meter sent it, already in the stored encoding: DATE "YYYYMMDD", TIME
// "HHMM", the value "%04d" (HbA1c, hundredths of a percent) or "%03d" (glucose, mg/dL), the
// patient ID as received (glucose results carry the placeholder ID, as does their OPID).
struct MeterResult {
    std::string date;
    std::string time;
    std::string value;
    std::string pid;
    std::string opid;

    bool operator==(const MeterResult&) const = default;
};

// The download list holds the new results of the last import only: emptied before the next
// import stores anything. The drop and the new table commit together, so a kill in between
// cannot leave a file without its table; on failure the earlier list stays as it was.
[[nodiscard]] Status EmptyDownloadList(MeasurementTable& download);

// The standard sort and no filter, as every user of the tables expects them after an
// import, whether it stored something or not. The main table's row ids are read only when
// something reads its list: on a long file that read costs more than the import itself.
// A list that cannot be read now is read again, and reported, by the page that shows it.
void ResetListsAfterImport(MeasurementTable& main, MeasurementTable& download);

// The storing half of an import: new results go into a kind's main and download files, each
// file in one transaction, and nothing is kept unless Commit() succeeds. Dropping the object
// without a successful Commit() rolls both files back, so a failure anywhere on the way
// leaves both tables as they were.
//
// A result is new unless the main table holds one with the same date, time and value (and,
// for HbA1c, the same patient ID); the download table is not asked. A result the operator
// deleted, or the meter's original of one whose patient ID was corrected, is remembered in the
// main file and skipped (counted by why), never stored again.
class ResultImport {
public:
    // Both tables are of one kind, open, and not used by anyone else until the object is gone.
    [[nodiscard]] static Expected<ResultImport> Begin(MeasurementTable& main,
                                                      MeasurementTable& download);
    ResultImport(ResultImport&& other) noexcept;
    ResultImport& operator=(ResultImport&&) = delete;
    ResultImport(const ResultImport&) = delete;
    ResultImport& operator=(const ResultImport&) = delete;
    ~ResultImport();

    // True when stored as new, false when the main table holds it already.
    [[nodiscard]] Expected<bool> Add(const MeterResult& result);
    // Commits both files; afterwards (either way) the object holds no transaction.
    [[nodiscard]] Status Commit();
    // Results added as new so far.
    int Stored() const { return stored_; }
    // Results skipped so far because the operator had deleted them, or corrected them.
    int SkippedDeleted() const { return skippedDeleted_; }
    int SkippedCorrected() const { return skippedCorrected_; }

private:
    ResultImport(MeasurementTable& main, MeasurementTable& download);
    // 1 the main table holds the result, 0 it does not, -1 the query failed.
    int Known(const MeterResult& result);
    void Abandon();

    MeasurementTable* main_;
    MeasurementTable* download_;
    SqliteStatement probe_;
    RemovedProbe removed_;
    bool withPid_ = false;
    bool active_ = false;
    int stored_ = 0;
    int skippedDeleted_ = 0;
    int skippedCorrected_ = 0;
    int firstDownloadRowId_ = 0;
};

} // namespace qa
