// The meter's side of a download is the input: whatever bytes arrive after the version
// request go through the real session and, when it hands over a transfer, through the real
// importer into real SQLite files; the import's outcome goes back into the session, which
// ends the exchange. The first byte chooses the kind, the erase box and a storing fault.
#include "device/download_session.h"
#include "fuzz_common.h"
#include "manual_timers.h"
#include "store/measurement_table.h"

#include <sys/stat.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

using namespace qa;
using qa::fuzz::Broken;

namespace {

class YesPrompter : public Prompter {
public:
    bool Confirm(const qa::Message&, const qa::Message&) override { return true; }
    void Inform(const qa::Message&, const qa::Message&, Severity) override {}
};

class NullImportHost : public ImportHost {
public:
    void SetProgressText(const Message&) override {}
};

class Host : public SessionHost {
public:
    void SetProgressText(const Message&) override {}
    void HideProgress() override {}
    void StartImport(const Transfer& transfer) override { transfers.push_back(transfer); }
    void ShowNewRecords(int) override {}
    std::vector<Transfer> transfers;
};

const std::set<std::string> kAllowed = {"u_HbA1c.sqlite",           "u_HbA1cDown.sqlite",
                                        "u_Glucose.sqlite",         "u_GlucoseDown.sqlite",
                                        "u_HbA1c.sqlite-journal",   "u_HbA1cDown.sqlite-journal",
                                        "u_Glucose.sqlite-journal", "u_GlucoseDown.sqlite-journal",
                                        "hr_lowdata.dat",           "audit.sqlite",
                                        "audit.sqlite-journal",     "audit.sqlite-wal",
                                        "audit.sqlite-shm"};

// Every row of a table in insertion order, with every column the import writes.
std::vector<std::string> Snapshot(MeasurementTable& table) {
    std::vector<std::string> rows;
    table.filter.Clear();
    table.sort = "ROWID";
    if (!table.ForEachRow([&] {
            rows.push_back(table.date.Str() + "|" + table.time.Str() + "|" + table.value.Str() +
                           "|" + table.pid.Str() + "|" + table.opid.Str() + "|" +
                           table.eqType.Str() + "|" + table.dob.Str());
            return true;
        })) {
        Broken("the stored rows could not be read");
    }
    return rows;
}

std::string Row(const MeterResult& r, ResultKind kind, bool mainTable) {
    const bool hba1c = kind == ResultKind::HbA1c;
    return r.date + "|" + r.time + "|" + r.value + "|" + r.pid + "|" + r.opid + "|" +
           (hba1c ? "1" : "2") + "|" + (hba1c && mainTable ? "19000101" : "");
}

using Key = std::tuple<std::string, std::string, std::string, std::string>;

// What an import of `transfer` must add: its records in order, less those the main table
// holds already (`known`: date, time, value and, for HbA1c, the patient) and repeats.
std::vector<MeterResult> ExpectedNew(const Transfer& transfer, const std::set<Key>& known) {
    const DecodedTransfer outcome = DecodeTransfer(transfer);
    const auto* decoded = std::get_if<std::vector<MeterResult>>(&outcome);
    if (decoded == nullptr) {
        return {};
    }
    std::set<Key> seen = known;
    std::vector<MeterResult> fresh;
    for (const MeterResult& r : *decoded) {
        Key key{r.date, r.time, r.value, transfer.kind == ResultKind::HbA1c ? r.pid : ""};
        if (seen.insert(key).second) {
            fresh.push_back(r);
        }
    }
    return fresh;
}

// One import of the transfer, checked for all-or-nothing storage: on success the main table
// gained exactly the new records and the download list holds exactly them; on failure both
// tables are as they were.
// `known` holds the keys of the main table's rows and gains those stored.
Expected<ImportSummary> ImportAndCheck(const Transfer& transfer, MeasurementTable& main,
                                       MeasurementTable& download, const std::string& folder,
                                       std::set<Key>& known) {
    const std::vector<std::string> mainBefore = Snapshot(main);
    const std::vector<std::string> downloadBefore = Snapshot(download);
    const std::vector<MeterResult> fresh = ExpectedNew(transfer, known);
    NullImportHost importHost;
    ImportServices services{folder, importHost};
    Expected<ImportSummary> result =
        transfer.kind == ResultKind::HbA1c
            ? ImportHbA1cResults(transfer, static_cast<HbA1cTable&>(main),
                                 static_cast<HbA1cTable&>(download), services)
            : ImportGlucoseResults(transfer, static_cast<GlucoseTable&>(main),
                                   static_cast<GlucoseTable&>(download), services);
    const std::vector<std::string> mainAfter = Snapshot(main);
    const std::vector<std::string> downloadAfter = Snapshot(download);
    if (!result.ok()) {
        if (mainAfter != mainBefore) {
            Broken("a failed import changed the main table");
        }
        // The download list is emptied before the check, as it always was; a list that was
        // empty stays empty, any other is either as it was or emptied.
        if (downloadAfter != downloadBefore && !downloadAfter.empty()) {
            Broken("a failed import left rows in the download list");
        }
        return result;
    }
    if (result->stored != static_cast<int>(fresh.size())) {
        Broken("the import stored " + std::to_string(result->stored) + " of " +
               std::to_string(fresh.size()) + " new records");
    }
    std::vector<std::string> mainExpected = mainBefore;
    std::vector<std::string> downloadExpected;
    for (const MeterResult& r : fresh) {
        mainExpected.push_back(Row(r, transfer.kind, true));
        downloadExpected.push_back(Row(r, transfer.kind, false));
    }
    if (mainAfter != mainExpected) {
        Broken("the main table is not the earlier rows plus the new records");
    }
    if (downloadAfter != downloadExpected) {
        Broken("the download list is not exactly the new records");
    }
    for (const MeterResult& r : fresh) {
        known.insert({r.date, r.time, r.value, transfer.kind == ResultKind::HbA1c ? r.pid : ""});
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::Scratch scratch;
    if (size < 1) {
        return 0;
    }
    const ResultKind kind = (data[0] & 1) != 0 ? ResultKind::Glucose : ResultKind::HbA1c;
    const bool erase = (data[0] & 2) != 0;
    const std::string sent(reinterpret_cast<const char*>(data + 1), size - 1);
    // The files are created once: an fsync'd create per input would leave a few inputs a
    // second. Each input starts from empty tables.
    static const std::string folder = scratch.NewDataFolder();
    static HbA1cTable hMain, hDown;
    static GlucoseTable gMain, gDown;
    static const bool opened = [] {
        return hMain.SetTableName(kMainTableName) && gMain.SetTableName(kMainTableName) &&
               hDown.SetTableName(kDownloadTableName) && gDown.SetTableName(kDownloadTableName) &&
               hMain.OpenOrCreate(folder + "/u_HbA1c.sqlite") &&
               hDown.OpenOrCreate(folder + "/u_HbA1cDown.sqlite") &&
               gMain.OpenOrCreate(folder + "/u_Glucose.sqlite") &&
               gDown.OpenOrCreate(folder + "/u_GlucoseDown.sqlite");
    }();
    if (!opened) {
        Broken("the tables could not be created");
    }
    for (MeasurementTable* t :
         {static_cast<MeasurementTable*>(&hMain), static_cast<MeasurementTable*>(&hDown),
          static_cast<MeasurementTable*>(&gMain), static_cast<MeasurementTable*>(&gDown)}) {
        if (!t->Execute("PRAGMA synchronous=OFF") ||
            !t->Execute("DELETE FROM [" + t->TableName() + "]")) {
            Broken("the tables could not be emptied");
        }
    }

    test::FakeClock clock;
    test::ManualTimers timers(clock);
    test::FakeChannel channel;
    YesPrompter prompter;
    Host host;
    DownloadSession session(channel, timers, clock, prompter, host);
    timers.onTick = [&](int id) { session.OnTimer(id); };
    if (!session.Connect("ttyACM0", "/dev/ttyACM0", kind, erase)) {
        Broken("the fake port did not open");
    }
    timers.Advance(800 + 300 + 5 * 1000);
    // The bytes arrive in bursts with time between them, as a serial port delivers them.
    for (std::size_t i = 0; i < sent.size(); ++i) {
        session.OnByte(session.CurrentReplyCode(), sent[i]);
        if (i % 97 == 96) {
            timers.Advance(150);
        }
    }
    timers.Advance(30'000);
    if (host.transfers.size() > 1) {
        Broken("more than one transfer handed over");
    }

    for (const Transfer& transfer : host.transfers) {
        MeasurementTable& main = transfer.kind == ResultKind::HbA1c
                                     ? static_cast<MeasurementTable&>(hMain)
                                     : static_cast<MeasurementTable&>(gMain);
        MeasurementTable& download = transfer.kind == ResultKind::HbA1c
                                         ? static_cast<MeasurementTable&>(hDown)
                                         : static_cast<MeasurementTable&>(gDown);
        // A storing fault at the n-th new row of either file, when the first byte asks.
        const bool fault = (data[0] & 4) != 0;
        MeasurementTable& faulty = (data[0] & 8) != 0 ? download : main;
        const int faultAt = data[0] >> 4;
        if (fault && !faulty.Execute("CREATE TEMP TRIGGER fault BEFORE INSERT ON main.[" +
                                     faulty.TableName() + "] WHEN (SELECT count(*) FROM main.[" +
                                     faulty.TableName() + "]) >= " + std::to_string(faultAt) +
                                     " BEGIN SELECT RAISE(ABORT, 'injected'); END")) {
            Broken("the fault could not be set up");
        }
        const std::size_t written = channel.written.size();
        std::set<Key> known; // the tables start empty
        Expected<ImportSummary> result = ImportAndCheck(transfer, main, download, folder, known);
        if (fault && !faulty.Execute("DROP TRIGGER IF EXISTS temp.fault")) {
            Broken("the fault could not be removed");
        }
        // The session ends the exchange: D only after the records were stored, E unless the
        // transfer was refused, and the port closed either way.
        session.ImportFinished(result);
        timers.Advance(1000);
        std::string letters;
        for (std::size_t i = written; i < channel.written.size(); ++i) {
            letters += channel.written[i].size() == 5 ? channel.written[i][2] : '?';
        }
        const bool stored = result.ok();
        const bool ended = stored || IsStoreFailure(result.error());
        const std::string expected = std::string(stored && erase ? "D" : "") + (ended ? "E" : "");
        if (letters != expected) {
            Broken("after the import the meter got \"" + letters + "\", not \"" + expected + "\"");
        }
        if (channel.open || session.State() != SessionState::Closed) {
            Broken("the exchange did not end after the import");
        }
        // The same transfer again: nothing new, and the main table as it is.
        if (stored) {
            Expected<ImportSummary> again = ImportAndCheck(transfer, main, download, folder, known);
            if (!again.ok() || again->stored != 0) {
                Broken("a second import of the same transfer stored something");
            }
        }
    }
    for (const auto& name : fuzz::Entries(folder)) {
        if (kAllowed.count(name) == 0) {
            Broken("an unexpected file in the data folder: " + name);
        }
    }
    scratch.CheckNothingOutside();
    return 0;
}
