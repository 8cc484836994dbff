// The meter's side of a download is the input: whatever bytes arrive after the version
// request go through the real session and, when it hands over a transfer, through the real
// importer into real SQLite files.
#include "device/download_session.h"
#include "fuzz_common.h"
#include "manual_timers.h"
#include "store/measurement_table.h"

#include <sys/stat.h>

#include <cstdint>
#include <set>
#include <string>
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
    void SendFrameCommand(int) override {}
    void SetProgressText(const Message&) override {}
    void SetImportedCount(int) override {}
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

bool Contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

template <typename Table>
void CheckStored(Table& table, const std::string& sent, bool hba1c, std::size_t maxRows) {
    table.filter.Clear();
    table.sort = "ROWID";
    if (!table.Requery()) {
        Broken("the stored rows could not be read");
    }
    std::size_t rows = 0;
    for (; !table.IsEOF(); table.MoveNext()) {
        ++rows;
        // Date and time are the record's first ten bytes, the year with "20" before it.
        std::string stamp = table.date.Str().substr(2) + table.time.Str();
        if (table.date.Str().rfind("20", 0) != 0 || !Contains(sent, stamp)) {
            Broken("a stored date and time the meter did not send: " + stamp);
        }
        if (hba1c && !Contains(sent, table.pid.Str())) {
            Broken("a stored patient ID the meter did not send: " + table.pid.Str());
        }
    }
    if (rows > maxRows) {
        Broken("more rows stored than records sent");
    }
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

    NullImportHost importHost;
    for (const Transfer& transfer : host.transfers) {
        ImportServices services{folder, clock, prompter, importHost};
        std::size_t maxRows = transfer.recordSize > 0
                                  ? sent.size() / static_cast<std::size_t>(transfer.recordSize)
                                  : 0;
        if (transfer.kind == ResultKind::HbA1c) {
            ImportHbA1cResults(transfer, hMain, hDown, services);
            CheckStored(hMain, sent, true, maxRows);
        } else {
            ImportGlucoseResults(transfer, gMain, gDown, services);
            CheckStored(gMain, sent, false, maxRows);
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
