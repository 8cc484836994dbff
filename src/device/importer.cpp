#include "device/importer.h"

#include "store/audit_log.h"
#include "store/profile_file.h"
#include "store/settings.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace qa {

namespace {

constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr char kBlank = 32;
constexpr const char* kNoPatientId = "00000000000000";
constexpr const char* kPlaceholderBirthDate = "19000101";
constexpr std::int64_t kPauseAfterErase = 500;
constexpr std::int64_t kPauseBeforeEnd = 300;
constexpr std::int64_t kPauseAfterSendE = 300;

// Shown once per byte and per record: built once, not for every call.
const Message& CheckingText(bool first) {
    static const Message a = kCheckingTextA;
    static const Message b = kCheckingTextB;
    return first ? a : b;
}

int ExpectedRecordSize(ResultKind kind, bool fourDigitValues) {
    if (kind == ResultKind::Glucose) {
        return 15; // the four-digit flag only concerns HbA1c records
    }
    return fourDigitValues ? 30 : 29;
}

// The value field of an HbA1c record and its width.
int ValueWidth(ResultKind kind, bool fourDigitValues) {
    return kind == ResultKind::HbA1c && fourDigitValues ? 4 : 3;
}

bool RecordEndByteOk(char c, ResultKind kind) {
    // Some meters pad the HbA1c record with a blank instead of the line feed; the glucose
    // records never do, so a blank there means the stream slipped.
    return c == kCR || c == kLF || (kind == ResultKind::HbA1c && c == kBlank);
}

// The value field read by the leading-integer rule of stored texts: leading blanks are
// skipped (some meters pad " 65"), then digits up to the first other character; 0 when
// there are none. A result is never negative.
int LeadingDigits(std::string_view field) {
    return std::max(0, static_cast<int>(LeadingInt(field)));
}

// One record decoded into the texts stored in both tables (the HbA1c main table alone also
// gets the placeholder birth date).
struct DecodedRecord {
    std::string date;
    std::string time;
    std::string value;
    std::string pid;
    std::string opid;
};

DecodedRecord DecodeRecord(std::string_view record, ResultKind kind, bool fourDigitValues) {
    DecodedRecord decoded;
    const int width = ValueWidth(kind, fourDigitValues);
    const std::size_t needed =
        static_cast<std::size_t>(10 + width + (kind == ResultKind::HbA1c ? 14 : 0));
    std::string bytes(record.substr(0, needed));
    bytes.resize(needed, '\0');
    std::string_view view(bytes);

    decoded.date = "20" + std::string(view.substr(0, 6));
    decoded.time = std::string(view.substr(6, 4));
    int value = LeadingDigits(view.substr(10, static_cast<std::size_t>(width)));
    char text[16];
    if (kind == ResultKind::HbA1c) {
        std::snprintf(text, sizeof text, "%04d", width == 3 ? value * 10 : value);
        decoded.pid = std::string(view.substr(10 + static_cast<std::size_t>(width), 14));
    } else {
        std::snprintf(text, sizeof text, "%03d", value);
        decoded.pid = kNoPatientId;
        decoded.opid = kNoPatientId;
    }
    decoded.value = text;
    return decoded;
}

// The payload is text: a NUL ends it. Bytes past its end read as zero, so a short transfer
// fails the framing check instead of reading past the buffer.
class PayloadReader {
public:
    explicit PayloadReader(const std::string& payload)
        : text_(payload.data(),
                payload.find('\0') == std::string::npos ? payload.size() : payload.find('\0')) {}
    char At(std::int64_t position) const {
        return position >= 0 && static_cast<std::uint64_t>(position) < text_.size()
                   ? text_[static_cast<std::size_t>(position)]
                   : '\0';
    }
    // Only called for records that passed, which lie wholly inside the text.
    std::string_view Record(std::int64_t start, int size) const {
        return text_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(size));
    }

private:
    std::string_view text_;
};

// The whole payload, not only the part before the first 'S' or 'Z': the copy exists to show
// support what the meter really sent, and a patient ID holding either letter would otherwise
// cut it short exactly where the interesting records are. Nothing reads the file back.
// An existing file without write permission is the user's way of keeping an old copy.
void WriteRawDump(const std::string& folder, const std::string& payload) {
    if (folder.empty()) {
        return;
    }
    namespace fs = std::filesystem;
    std::string path = folder + "/" + kRawDumpName;
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (!error && fs::exists(status) &&
        (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        return;
    }
    // A diagnostic copy: failing to write it must not stop the import. Written to a new
    // hidden file and renamed over the name, so a link planted under either name is
    // replaced, never followed to overwrite what it points at.
    (void)ReplaceFileAtomically(path, payload);
}

// The standard sort and no filter, as every user of the tables expects them after a change.
// One requery gives the same end state as requerying once per clause; on a main table of
// 100,000 rows each requery costs more than storing a thousand results, so a main table's
// row ids are read only when something reads its list (every list of the program walks or
// requeries by itself first).
[[nodiscard]] bool ResetList(MeasurementTable& table, bool readIdsLater = false) {
    table.filter.Clear();
    table.sort = table.StandardSort();
    return readIdsLater ? table.RequeryLater() : table.Requery();
}

// The download table lists the new results of the last import only. Dropping and creating
// happen in one transaction, so a kill in between cannot leave a file without its table.
// Returns false when the table still holds the earlier results (or lost its table), with
// the reason in download.LastError().
[[nodiscard]] bool EmptyDownloadTable(MeasurementTable& download) {
    download.filter.Clear();
    if (download.CountRows() <= 0) {
        return true;
    }
    if (!download.BeginTransaction()) {
        return false;
    }
    // Setting the name again drops the statements prepared for the old table.
    bool emptied = download.SetTableName(kDownloadTableName) && download.DropTable() &&
                   download.SetTableName(kDownloadTableName) && download.CreateTable() &&
                   download.SyncSchema(); // the index went with the old table
    if (emptied) {
        emptied = download.CommitTransaction();
    }
    if (!emptied) {
        // The earlier results stay as they were; LastError() keeps the failure's reason.
        (void)download.RollbackTransaction();
        return false;
    }
    return ResetList(download);
}

// The duplicate test as one cached statement with bound values: a composed condition would
// cost a prepare per record, and the values go in as they came from the meter, quotes and
// all. It walks the (DATE, TIME, value, PID) index the table creates.
class DuplicateProbe {
public:
    explicit DuplicateProbe(MeasurementTable& table) : withPid_(table.Kind() == ResultKind::HbA1c) {
        if (!table.IsSchemaSynced() && !table.SyncSchema()) {
            error_ = table.Handle() ? table.LastError() : "the table is not open";
            return;
        }
        std::string sql = FormatSql(
            "SELECT 1 FROM [%s] WHERE [DATE]=?1 AND [TIME]=?2 AND [%s]=?3%s LIMIT 1",
            table.TableName().c_str(), table.ValueColumn(), withPid_ ? " AND [PID]=?4" : "");
        statement_ = PrepareStatement(table.Handle(), sql);
        if (!statement_) {
            error_ = table.Handle() ? sqlite3_errmsg(table.Handle()) : "the table is not open";
        }
    }

    bool Ready() const { return static_cast<bool>(statement_); }
    const std::string& Error() const { return error_; }

    // 1 stored already, 0 new, -1 the query failed.
    int Find(const DecodedRecord& record) {
        Bind(1, record.date);
        Bind(2, record.time);
        Bind(3, record.value);
        if (withPid_) {
            Bind(4, record.pid);
        }
        int rc = sqlite3_step(statement_.Get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            error_ = sqlite3_errmsg(sqlite3_db_handle(statement_.Get()));
        }
        sqlite3_reset(statement_.Get());
        return rc == SQLITE_ROW ? 1 : rc == SQLITE_DONE ? 0 : -1;
    }

private:
    void Bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_.Get(), index, text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC);
    }

    bool withPid_;
    SqliteStatement statement_;
    std::string error_;
};

void AssignRow(MeasurementTable& table, const DecodedRecord& record, bool mainTable) {
    bool hba1c = table.Kind() == ResultKind::HbA1c;
    table.date = record.date;
    table.time = record.time;
    table.value = record.value;
    table.pid = record.pid;
    table.opid = record.opid;
    table.eqType = hba1c ? "1" : "2";
    table.name = "";
    table.dob = hba1c && mainTable ? kPlaceholderBirthDate : "";
    table.diagnose = 0;
    table.memo = "";
}

struct StoreOutcome {
    bool ok = false;
    int inserted = 0;
    std::string error;
};

StoreOutcome Fail(std::string error) {
    return {false, 0, std::move(error)};
}

// Every new record goes into both files, each file in one transaction, so an interrupted
// import leaves each file as it was or complete.
//
// The two files cannot commit together, so the order decides what a kill between the commits
// leaves behind. The next import empties the download table and tests for duplicates against
// the main table only. Main committed first and download lost would make those records
// duplicates from then on: they would never be listed as downloaded. Download committed
// first and main lost leaves rows the next import drops anyway, and that import stores the
// records in both files again. So download commits first.
StoreOutcome StoreRecords(const std::vector<std::string_view>& records, ResultKind kind,
                          bool fourDigitValues, MeasurementTable& main, MeasurementTable& download,
                          ImportHost& host) {
    DuplicateProbe probe(main);
    if (!probe.Ready()) {
        return Fail(probe.Error());
    }
    if (!download.BeginTransaction()) {
        return Fail(download.LastError());
    }
    if (!main.BeginTransaction()) {
        std::string error = main.LastError();
        (void)download.RollbackTransaction(); // nothing written yet: nothing to lose
        return Fail(error);
    }
    // The failure reported is the first one; a rollback that fails as well leaves the
    // transaction to end with the connection, which discards it just the same.
    auto abandon = [&](std::string error) {
        (void)main.RollbackTransaction();
        (void)download.RollbackTransaction();
        return Fail(std::move(error));
    };

    int inserted = 0;
    int firstDownloadRowId = 0;
    bool firstText = true;
    for (std::string_view bytes : records) {
        host.SetProgressText(CheckingText(firstText));
        firstText = !firstText;
        DecodedRecord record = DecodeRecord(bytes, kind, fourDigitValues);
        int found = probe.Find(record);
        if (found < 0) {
            return abandon(probe.Error());
        }
        if (found > 0) {
            continue;
        }
        // One table at a time: a table is never left in add mode by the other's failure.
        if (!main.AddNew()) {
            return abandon(main.LastError());
        }
        AssignRow(main, record, true);
        if (!main.Update()) {
            return abandon(main.LastError());
        }
        if (!download.AddNew()) {
            return abandon(download.LastError());
        }
        AssignRow(download, record, false);
        if (!download.Update()) {
            return abandon(download.LastError());
        }
        if (firstDownloadRowId == 0) {
            firstDownloadRowId = download.RowIdAt(download.RowCount());
        }
        ++inserted;
    }

    if (!download.CommitTransaction()) {
        return abandon(download.LastError());
    }
    if (!main.CommitTransaction()) {
        std::string error = main.LastError();
        (void)main.RollbackTransaction();
        // Download is already committed: take its new rows back out so that both files say
        // the same. Should that fail too, the next import drops them (see above).
        if (firstDownloadRowId > 0) {
            (void)download.Execute(FormatSql("DELETE FROM [%s] WHERE ROWID >= %d",
                                             download.TableName().c_str(), firstDownloadRowId));
        }
        return Fail(error);
    }
    return {true, inserted, {}};
}

void Refuse(Prompter& prompter, MessageId text) {
    prompter.Inform(text, kImportCaption, Prompter::Severity::Error);
}

ImportResult ImportResults(const Transfer& transfer, ResultKind kind, MeasurementTable& main,
                           MeasurementTable& download, const ImportServices& services) {
    ImportHost& host = services.host;
    Clock& clock = services.clock;
    ImportResult result;

    if (transfer.kind != kind || main.Kind() != kind || download.Kind() != kind) {
        Refuse(services.prompter, MessageId::WrongKind);
        result.status = ImportStatus::WrongKind;
        return result;
    }
    // Refused before anything else: a transfer this large cannot be a meter's memory.
    if (transfer.payload.size() >= kMaxPayloadBytes) {
        Refuse(services.prompter, kFramingFailText);
        result.status = ImportStatus::FramingFailed;
        return result;
    }

    // No "DATA" folder is made in the working directory: nothing here uses it.
    WriteRawDump(services.dataFolder, transfer.payload);
    // Results stored beside the earlier ones would be listed as just downloaded: without an
    // empty download table nothing is stored, and the meter keeps its results.
    const bool downloadEmptied = EmptyDownloadTable(download);

    // The framing check. A record size that does not match the layout would put the
    // record-end test on the wrong bytes, so it fails like a bad record.
    const int size = transfer.recordSize;
    const bool fourDigit = transfer.fourDigitValues;
    if (size != ExpectedRecordSize(kind, fourDigit) || transfer.recordCount < 0) {
        Refuse(services.prompter, kFramingFailText);
        result.status = ImportStatus::FramingFailed;
        return result;
    }
    const int firstEnd = size - 2;
    PayloadReader reader(transfer.payload);
    std::vector<std::string_view> checked;
    checked.reserve(static_cast<std::size_t>(std::min<std::int64_t>(
        transfer.recordCount, static_cast<std::int64_t>(transfer.payload.size()) / size + 1)));
    bool firstText = true;
    for (int i = 0; i < transfer.recordCount; ++i) {
        const std::int64_t start = static_cast<std::int64_t>(i) * size;
        for (int b = 0; b < size; ++b) {
            host.SetProgressText(CheckingText(firstText));
            firstText = !firstText;
            if (b >= firstEnd && !RecordEndByteOk(reader.At(start + b), kind)) {
                // Nothing stored and no command sent: the exchange with the meter stays as
                // it is and the meter keeps its results.
                Refuse(services.prompter, kFramingFailText);
                result.status = ImportStatus::FramingFailed;
                return result;
            }
        }
        checked.push_back(reader.Record(start, size));
    }

    // Stored before the meter is told anything: erasing the meter's results is only safe
    // once they are committed here.
    host.SetImportedCount(0);
    StoreOutcome stored = downloadEmptied
                              ? StoreRecords(checked, kind, fourDigit, main, download, host)
                              : Fail(download.LastError());

    bool erase = transfer.eraseAfterDownload && stored.ok;
    if (erase) {
        host.SendFrameCommand(kFrameEraseMeter);
        clock.SleepMs(kPauseAfterErase);
    } else {
        clock.SleepMs(kPauseBeforeEnd);
    }
    host.SendFrameCommand(kFrameSendE);
    clock.SleepMs(kPauseAfterSendE);
    host.SendFrameCommand(kFrameClosePort);

    // After a failure too: the objects' row lists must match the files again. A list that
    // cannot be read now is read again, and reported, by the page that shows it.
    (void)ResetList(main, true);
    (void)ResetList(download);

    if (!stored.ok) {
        Message text(transfer.eraseAfterDownload ? MessageId::NotSavedNotErased
                                                 : MessageId::NotSaved,
                     {stored.error});
        services.prompter.Inform(text, kImportCaption, Prompter::Severity::Error);
        result.status = ImportStatus::StoreFailed;
        result.error = stored.error;
        return result;
    }

    AuditEntry entry;
    entry.action = audit_action::kImport;
    entry.detail = std::string(kind == ResultKind::HbA1c ? "HbA1c" : "glucose") + ": " +
                   std::to_string(transfer.recordCount) + " received, " +
                   std::to_string(stored.inserted) + " new; meter with " + std::to_string(size) +
                   "-byte records; port " + (services.port.empty() ? "unknown" : services.port) +
                   (erase ? "; meter erased" : "");
    AppendAudit(main, std::move(entry));

    result.status = ImportStatus::Imported;
    result.importedCount = stored.inserted;
    host.SetProgressText(kCheckDoneText);
    host.SetImportedCount(stored.inserted);
    host.SendFrameCommand(kFrameImportDone);
    return result;
}

} // namespace

ImportResult ImportHbA1cResults(const Transfer& transfer, HbA1cTable& main, HbA1cTable& download,
                                const ImportServices& services) {
    return ImportResults(transfer, ResultKind::HbA1c, main, download, services);
}

ImportResult ImportGlucoseResults(const Transfer& transfer, GlucoseTable& main,
                                  GlucoseTable& download, const ImportServices& services) {
    return ImportResults(transfer, ResultKind::Glucose, main, download, services);
}

} // namespace qa
