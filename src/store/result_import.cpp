#include "store/result_import.h"

#include "i18n/message_catalogue.h"

#include <sqlite3.h>

#include <utility>

namespace qa {

namespace {

constexpr const char* kPlaceholderBirthDate = "19000101";

Message NotSaved(std::string reason) {
    return Message(MessageId::NotSaved, {std::move(reason)});
}

// The import's own failure, saying what failed (the file and SQLite's reason) as its argument.
Status NotSaved(const Status& failure) {
    return NotSaved(SourceText(failure.error()));
}

Status ResetList(MeasurementTable& table, bool readIdsLater) {
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
    if (!rows) {
        return NotSaved(rows.status());
    }
    if (Status begun = download.BeginTransaction(); !begun) {
        return NotSaved(begun);
    }
    // Setting the name again drops the statements prepared for the old table.
    Status emptied = download.SetTableName(kDownloadTableName);
    if (emptied) {
        emptied = download.DropTable();
    }
    if (emptied) {
        emptied = download.SetTableName(kDownloadTableName);
    }
    if (emptied) {
        emptied = download.CreateTable();
    }
    if (emptied) {
        emptied = download.SyncSchema(); // the index went with the old table
    }
    if (emptied) {
        emptied = download.CommitTransaction();
    }
    if (!emptied) {
        (void)download.RollbackTransaction(); // the first failure is the one reported
        return NotSaved(emptied);
    }
    if (Status reset = ResetList(download, false); !reset) {
        return NotSaved(reset);
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

Expected<ResultImport> ResultImport::Begin(MeasurementTable& main, MeasurementTable& download) {
    if (main.Kind() != download.Kind()) {
        return MessageId::WrongKind;
    }
    ResultImport import(main, download);
    if (!main.IsSchemaSynced()) {
        if (Status synced = main.SyncSchema(); !synced) {
            return NotSaved(synced);
        }
    }
    // The duplicate test as one cached statement with bound values: a composed condition
    // would cost a prepare per record, and the values go in as they came from the meter,
    // quotes and all. It walks the (DATE, TIME, value, PID) index the table creates.
    std::string sql = FormatSql(
        "SELECT 1 FROM [%s] WHERE [DATE]=?1 AND [TIME]=?2 AND [%s]=?3%s LIMIT 1",
        main.TableName().c_str(), main.ValueColumn(), import.withPid_ ? " AND [PID]=?4" : "");
    import.probe_ = PrepareStatement(main.Handle(), sql);
    if (!import.probe_) {
        return NotSaved(Status(
            Message(MessageId::FileReason, {main.Path().Str(), sqlite3_errmsg(main.Handle())})));
    }
    if (Status prepared = import.removed_.Prepare(main); !prepared) {
        return NotSaved(prepared);
    }
    // The two files cannot commit together, so the order decides what a kill between the
    // commits leaves behind. The next import empties the download table and tests for
    // duplicates against the main table only. Main committed first and download lost would
    // make those records duplicates from then on: they would never be listed as downloaded.
    // Download committed first and main lost leaves rows the next import drops anyway, and
    // that import stores the records in both files again. So download begins and commits
    // first.
    if (Status begun = download.BeginTransaction(); !begun) {
        return NotSaved(begun);
    }
    if (Status begun = main.BeginTransaction(); !begun) {
        (void)download.RollbackTransaction(); // nothing written yet: nothing to lose
        return NotSaved(begun);
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
        return NotSaved(Status(Message(MessageId::FileReason,
                                       {main_->Path().Str(), sqlite3_errmsg(main_->Handle())})));
    }
    if (known > 0) {
        return false;
    }
    const Expected<std::optional<RemovedReason>> removed =
        removed_.Check(result.date, result.time, result.value, result.pid);
    if (!removed) {
        return NotSaved(removed.status());
    }
    if (*removed) {
        ++(**removed == RemovedReason::Deleted ? skippedDeleted_ : skippedCorrected_);
        return false;
    }
    const std::string resultId = NewResultId();
    if (resultId.empty()) {
        return NotSaved("no random numbers for the result's ID");
    }
    // One table at a time: a table is never left in add mode by the other's failure.
    if (Status adding = main_->AddNew(); !adding) {
        return NotSaved(adding);
    }
    AssignRow(*main_, result, true, resultId);
    if (Status stored = main_->Update(); !stored) {
        return NotSaved(stored);
    }
    if (Status adding = download_->AddNew(); !adding) {
        return NotSaved(adding);
    }
    AssignRow(*download_, result, false, resultId);
    if (Status stored = download_->Update(); !stored) {
        return NotSaved(stored);
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
    if (Status committed = download_->CommitTransaction(); !committed) {
        Abandon();
        return NotSaved(committed);
    }
    if (Status committed = main_->CommitTransaction(); !committed) {
        Status failure = NotSaved(committed);
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
