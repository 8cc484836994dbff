#include "store/result_import.h"

#include <sqlite3.h>

#include <utility>

namespace qa {

namespace {

constexpr const char* kPlaceholderBirthDate = "19000101";

Message NotSaved(std::string reason) {
    return Message(MessageId::NotSaved, {std::move(reason)});
}

Status NotSavedBecause(const MeasurementTable& table) {
    return NotSaved(table.Handle() ? table.LastError() : "the table is not open");
}

[[nodiscard]] bool ResetList(MeasurementTable& table, bool readIdsLater) {
    table.filter.Clear();
    table.sort = table.StandardSort();
    return readIdsLater ? table.RequeryLater() : table.Requery();
}

void AssignRow(MeasurementTable& table, const MeterResult& result, bool mainTable,
               const std::string& resultId) {
    const bool hba1c = table.Kind() == ResultKind::HbA1c;
    table.date = result.date;
    table.time = result.time;
    table.value = result.value;
    table.pid = result.pid;
    table.opid = result.opid;
    table.eqType = hba1c ? "1" : "2";
    table.name = "";
    // Only the HbA1c main table gets the placeholder birth date.
    table.dob = hba1c && mainTable ? kPlaceholderBirthDate : "";
    table.diagnose = 0;
    table.memo = "";
    // The download list's row is the same result as the main list's: it carries its ID.
    table.resultId = resultId;
}

} // namespace

Status EmptyDownloadList(MeasurementTable& download) {
    download.filter.Clear();
    const Expected<int> rows = download.CountRows();
    if (rows && *rows == 0) {
        return {};
    }
    if (!rows || !download.BeginTransaction()) {
        return NotSavedBecause(download);
    }
    // Setting the name again drops the statements prepared for the old table.
    bool emptied = download.SetTableName(kDownloadTableName) && download.DropTable() &&
                   download.SetTableName(kDownloadTableName) && download.CreateTable() &&
                   download.SyncSchema(); // the index went with the old table
    if (emptied) {
        emptied = download.CommitTransaction().ok();
    }
    if (!emptied) {
        Status failure = NotSavedBecause(download);
        (void)download.RollbackTransaction(); // the first failure is the one reported
        return failure;
    }
    if (!ResetList(download, false)) {
        return NotSavedBecause(download);
    }
    return {};
}

void ResetListsAfterImport(MeasurementTable& main, MeasurementTable& download) {
    (void)ResetList(main, true);
    (void)ResetList(download, false);
}

ResultImport::ResultImport(MeasurementTable& main, MeasurementTable& download)
    : main_(&main), download_(&download), withPid_(main.Kind() == ResultKind::HbA1c) {}

ResultImport::ResultImport(ResultImport&& other) noexcept
    : main_(other.main_), download_(other.download_), probe_(std::move(other.probe_)),
      removed_(std::move(other.removed_)), withPid_(other.withPid_),
      active_(std::exchange(other.active_, false)), stored_(other.stored_),
      skippedDeleted_(other.skippedDeleted_), skippedCorrected_(other.skippedCorrected_),
      firstDownloadRowId_(other.firstDownloadRowId_) {}

ResultImport::~ResultImport() {
    Abandon();
}

Status ResultImport::Failed(const MeasurementTable& table) const {
    return NotSavedBecause(table);
}

Expected<ResultImport> ResultImport::Begin(MeasurementTable& main, MeasurementTable& download) {
    if (main.Kind() != download.Kind()) {
        return MessageId::WrongKind;
    }
    ResultImport import(main, download);
    if (!main.IsSchemaSynced() && !main.SyncSchema()) {
        return NotSavedBecause(main);
    }
    // The duplicate test as one cached statement with bound values: a composed condition
    // would cost a prepare per record, and the values go in as they came from the meter,
    // quotes and all. It walks the (DATE, TIME, value, PID) index the table creates.
    std::string sql = FormatSql(
        "SELECT 1 FROM [%s] WHERE [DATE]=?1 AND [TIME]=?2 AND [%s]=?3%s LIMIT 1",
        main.TableName().c_str(), main.ValueColumn(), import.withPid_ ? " AND [PID]=?4" : "");
    import.probe_ = PrepareStatement(main.Handle(), sql);
    if (!import.probe_) {
        return NotSaved(main.Handle() ? sqlite3_errmsg(main.Handle()) : "the table is not open");
    }
    if (!import.removed_.Prepare(main)) {
        return NotSavedBecause(main);
    }
    // The two files cannot commit together, so the order decides what a kill between the
    // commits leaves behind. The next import empties the download table and tests for
    // duplicates against the main table only. Main committed first and download lost would
    // make those records duplicates from then on: they would never be listed as downloaded.
    // Download committed first and main lost leaves rows the next import drops anyway, and
    // that import stores the records in both files again. So download begins and commits
    // first.
    if (!download.BeginTransaction()) {
        return NotSavedBecause(download);
    }
    if (!main.BeginTransaction()) {
        Status failure = NotSavedBecause(main);
        (void)download.RollbackTransaction(); // nothing written yet: nothing to lose
        return failure;
    }
    import.active_ = true;
    return import;
}

int ResultImport::Known(const MeterResult& result) {
    sqlite3_stmt* statement = probe_.Get();
    auto bind = [statement](int index, const std::string& text) {
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC);
    };
    bind(1, result.date);
    bind(2, result.time);
    bind(3, result.value);
    if (withPid_) {
        bind(4, result.pid);
    }
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return rc == SQLITE_ROW ? 1 : rc == SQLITE_DONE ? 0 : -1;
}

Expected<bool> ResultImport::Add(const MeterResult& result) {
    if (!active_) {
        return NotSaved("the import is over");
    }
    const int known = Known(result);
    if (known < 0) {
        return NotSaved(sqlite3_errmsg(main_->Handle()));
    }
    if (known > 0) {
        return false;
    }
    bool failed = false;
    if (std::optional<RemovedReason> removed =
            removed_.Check(result.date, result.time, result.value, result.pid, failed)) {
        ++(*removed == RemovedReason::Deleted ? skippedDeleted_ : skippedCorrected_);
        return false;
    }
    if (failed) {
        return NotSaved(sqlite3_errmsg(main_->Handle()));
    }
    const std::string resultId = NewResultId();
    if (resultId.empty()) {
        return NotSaved("no random numbers for the result's ID");
    }
    // One table at a time: a table is never left in add mode by the other's failure.
    if (!main_->AddNew()) {
        return Failed(*main_);
    }
    AssignRow(*main_, result, true, resultId);
    if (!main_->Update()) {
        return Failed(*main_);
    }
    if (!download_->AddNew()) {
        return Failed(*download_);
    }
    AssignRow(*download_, result, false, resultId);
    if (!download_->Update()) {
        return Failed(*download_);
    }
    if (firstDownloadRowId_ == 0) {
        firstDownloadRowId_ = download_->RowIdAt(download_->RowCount());
    }
    ++stored_;
    return true;
}

Status ResultImport::Commit() {
    if (!active_) {
        return NotSaved("the import is over");
    }
    if (!download_->CommitTransaction()) {
        Status failure = Failed(*download_);
        Abandon();
        return failure;
    }
    if (!main_->CommitTransaction()) {
        Status failure = Failed(*main_);
        active_ = false;
        (void)main_->RollbackTransaction();
        // Download is already committed: take its new rows back out so that both files say
        // the same. Should that fail too, the next import drops them (see Begin).
        if (firstDownloadRowId_ > 0) {
            (void)download_->Execute(FormatSql("DELETE FROM [%s] WHERE ROWID >= %d",
                                               download_->TableName().c_str(),
                                               firstDownloadRowId_));
        }
        return failure;
    }
    active_ = false;
    return {};
}

void ResultImport::Abandon() {
    if (!active_) {
        return;
    }
    active_ = false;
    // A rollback that fails as well leaves the transaction to end with the connection,
    // which discards it just the same.
    (void)main_->RollbackTransaction();
    (void)download_->RollbackTransaction();
}

} // namespace qa
