#include "device/importer.h"
#include "i18n/message_catalogue.h"
#include "store/sqlite_statement.h"

#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

using namespace qa;
using qa::test::TempDir;

namespace {

// The progress texts of an import, one per checked byte and one per stored record.
struct EventLog {
    std::vector<std::string> texts;
};

class LoggingHost : public ImportHost {
public:
    explicit LoggingHost(EventLog& log) : log_(log) {}
    void SetProgressText(const Message& text) override { log_.texts.push_back(SourceText(text)); }

private:
    EventLog& log_;
};

std::string HbA1c29(const std::string& dateTime, const std::string& value, const std::string& pid,
                    const std::string& end = "\r\n") {
    return dateTime + value + pid + end;
}

std::string Glucose15(const std::string& dateTime, const std::string& value,
                      const std::string& end = "\r\n") {
    return dateTime + value + end;
}

std::string Pid(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "PATIENT%07d", i);
    return text;
}

// Rows of a file as "column=value" texts, NULL shown as <null>, in insertion order.
std::vector<std::map<std::string, std::string>> Rows(const std::string& path, const char* table) {
    std::vector<std::map<std::string, std::string>> rows;
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    {
        SqliteStatement statement =
            PrepareStatement(db, std::string("SELECT * FROM [") + table + "] ORDER BY ROWID");
        while (statement && sqlite3_step(statement.Get()) == SQLITE_ROW) {
            std::map<std::string, std::string> row;
            for (int c = 0; c < sqlite3_column_count(statement.Get()); ++c) {
                const unsigned char* text = sqlite3_column_text(statement.Get(), c);
                row[sqlite3_column_name(statement.Get(), c)] =
                    text ? reinterpret_cast<const char*>(text) : "<null>";
            }
            rows.push_back(row);
        }
    }
    sqlite3_close(db);
    return rows;
}

std::string IntegrityCheck(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        SqliteStatement statement = PrepareStatement(db, "PRAGMA integrity_check");
        if (statement && sqlite3_step(statement.Get()) == SQLITE_ROW) {
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement.Get(), 0));
        }
    }
    sqlite3_close(db);
    return result;
}

// One user's main and download files of one kind, opened as the session would hold them.
template <class Table> class UserFiles {
public:
    explicit UserFiles(const TempDir& dir, const char* stem)
        : mainPath(dir.File(std::string("u_") + stem + ".sqlite")),
          downloadPath(dir.File(std::string("u_") + stem + "Down.sqlite")) {
        Open();
    }
    void Open() {
        EXPECT_TRUE(main.SetTableName(kMainTableName));
        EXPECT_TRUE(download.SetTableName(kDownloadTableName));
        EXPECT_TRUE(main.OpenOrCreate(mainPath));
        EXPECT_TRUE(download.OpenOrCreate(downloadPath));
    }
    void Close() {
        main.Close();
        download.Close();
    }
    std::size_t MainCount() const { return Rows(mainPath, kMainTableName).size(); }
    std::size_t DownloadCount() const { return Rows(downloadPath, kDownloadTableName).size(); }

    std::string mainPath;
    std::string downloadPath;
    Table main;
    Table download;
};

class ImportTest : public ::testing::Test {
protected:
    Expected<ImportSummary> ImportHbA1c(const std::string& payload, int count, int size,
                                        bool fourDigit, bool erase = false) {
        Transfer transfer{payload, count, size, fourDigit, ResultKind::HbA1c, erase, ""};
        return ImportHbA1cResults(transfer, hba1c.main, hba1c.download, Services());
    }
    Expected<ImportSummary> ImportGlucose(const std::string& payload, int count,
                                          bool erase = false) {
        Transfer transfer{payload, count, 15, false, ResultKind::Glucose, erase, ""};
        return ImportGlucoseResults(transfer, glucose.main, glucose.download, Services());
    }
    ImportServices Services() { return {dir.Path(), host}; }
    static void ExpectRefusedAsBadFraming(const Expected<ImportSummary>& result) {
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(SourceText(result.error()), "Error. cyclic redundancy check : Fail.");
        EXPECT_FALSE(IsStoreFailure(result.error())) << "the meter exchange is not ended";
    }
    static int Stored(const Expected<ImportSummary>& result) {
        return result.ok() ? result->stored : -1;
    }

    TempDir dir;
    EventLog log;
    LoggingHost host{log};
    UserFiles<HbA1cTable> hba1c{dir, "HbA1c"};
    UserFiles<GlucoseTable> glucose{dir, "Glucose"};
};

TEST_F(ImportTest, DecodesHbA1cRecordsIntoTheRowsOfBothTables) {
    // Twelve bytes 160620143065, then a blank: the value field "65 " reads as 65 tenths.
    std::string payload = std::string("160620143065 ") + "PATIENT0000001" + "\r\n" +
                          HbA1c29("9912312359", "6A5", "SZ'quote,comma") +
                          HbA1c29("0001010000", "A65", "              ") +
                          HbA1c29("0001010001", " 65", "PATIENT0000002");
    Expected<ImportSummary> result = ImportHbA1c(payload, 4, 29, false);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->stored, 4);
    EXPECT_EQ(result->received, 4);

    auto main = Rows(hba1c.mainPath, kMainTableName);
    auto download = Rows(hba1c.downloadPath, kDownloadTableName);
    ASSERT_EQ(main.size(), 4u);
    ASSERT_EQ(download.size(), 4u);
    std::map<std::string, std::string> expected{
        {"DATE", "20160620"}, {"TIME", "1430"}, {"HbA1c_VALUE", "0650"}, {"PID", "PATIENT0000001"},
        {"OPID", ""},         {"EQ_TYPE", "1"}, {"p_NAME", ""},          {"p_DOB", "19000101"},
        {"P_DIAGNOSE", "0"},  {"P_MEMO", ""}};
    // Each result's own ID, the same in both lists.
    EXPECT_EQ(main[0]["RESULT_ID"].size(), 36u);
    EXPECT_EQ(download[0]["RESULT_ID"], main[0]["RESULT_ID"]);
    EXPECT_NE(main[1]["RESULT_ID"], main[0]["RESULT_ID"]);
    for (auto* rows : {&main, &download}) {
        for (auto& row : *rows) {
            row.erase("RESULT_ID");
        }
    }
    EXPECT_EQ(main[0], expected);
    expected["p_DOB"] = "";
    EXPECT_EQ(download[0], expected) << "only the main table gets the placeholder birth date";

    EXPECT_EQ(main[1]["DATE"], "20991231");
    EXPECT_EQ(main[1]["HbA1c_VALUE"], "0060") << "value of the leading digits";
    EXPECT_EQ(main[1]["PID"], "SZ'quote,comma") << "stored as received";
    EXPECT_EQ(main[2]["HbA1c_VALUE"], "0000") << "no leading digit";
    EXPECT_EQ(main[2]["PID"], "              ");
    EXPECT_EQ(main[3]["HbA1c_VALUE"], "0650") << "a leading blank is skipped";

    // The diagnostic copy holds the whole transfer, letters S and Z of an ID included.
    EXPECT_EQ(qa::test::ReadFile(dir.File("hr_lowdata.dat")), payload);
    EXPECT_EQ(hba1c.main.RowCount(), 4) << "the table objects are requeried";
    EXPECT_EQ(hba1c.main.date, "20991231") << "standard sort, newest first";
}

TEST_F(ImportTest, DecodesFourDigitHbA1cAndGlucoseRecords) {
    std::string payload = HbA1c29("1606201430", "0655", "PATIENT0000001") +
                          HbA1c29("1606201431", "07X0", "PATIENT0000001");
    ASSERT_EQ(Stored(ImportHbA1c(payload, 2, 30, true)), 2);
    auto hba1cRows = Rows(hba1c.mainPath, kMainTableName);
    EXPECT_EQ(hba1cRows[0]["HbA1c_VALUE"], "0655");
    EXPECT_EQ(hba1cRows[0]["PID"], "PATIENT0000001");
    EXPECT_EQ(hba1cRows[1]["HbA1c_VALUE"], "0007");

    ASSERT_EQ(
        Stored(ImportGlucose(Glucose15("1606201430", "110") + Glucose15("1606201431", "7 5"), 2)),
        2);
    std::vector<std::vector<std::map<std::string, std::string>>> files{
        Rows(glucose.mainPath, kMainTableName), Rows(glucose.downloadPath, kDownloadTableName)};
    for (auto& rows : files) {
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0]["DATE"], "20160620");
        EXPECT_EQ(rows[0]["TIME"], "1430");
        EXPECT_EQ(rows[0]["Glucose_VALUE"], "110");
        EXPECT_EQ(rows[0]["PID"], "00000000000000");
        EXPECT_EQ(rows[0]["OPID"], "00000000000000");
        EXPECT_EQ(rows[0]["EQ_TYPE"], "2");
        EXPECT_EQ(rows[0]["p_DOB"], "");
        EXPECT_EQ(rows[1]["Glucose_VALUE"], "007");
    }
}

TEST_F(ImportTest, BlankAsLastByteEndsAnHbA1cRecordButNotAGlucoseRecord) {
    EXPECT_EQ(Stored(ImportHbA1c(HbA1c29("1606201430", "065", Pid(1), "\r "), 1, 29, false)), 1);
    EXPECT_EQ(hba1c.MainCount(), 1u);

    ExpectRefusedAsBadFraming(ImportGlucose(Glucose15("1606201430", "110", "\r "), 1));
    EXPECT_EQ(glucose.MainCount(), 0u);
    EXPECT_EQ(glucose.DownloadCount(), 0u);
}

TEST_F(ImportTest, OneBadRecordStoresNothingAndLeavesTheMeterAlone) {
    std::string good = HbA1c29("1606201430", "065", Pid(1));
    std::string bad = HbA1c29("1606201431", "065", Pid(2), "\rX");
    ExpectRefusedAsBadFraming(ImportHbA1c(good + bad + good, 3, 29, false, true));
    EXPECT_EQ(hba1c.MainCount(), 0u);
    EXPECT_EQ(hba1c.DownloadCount(), 0u);
    EXPECT_EQ(log.texts.back(), "데이터 받는중 ...*.") << "progress stops at the bad byte";
    EXPECT_EQ(log.texts.size(), 29u + 29u);
}

TEST_F(ImportTest, MalformedTransfersAreRefusedLikeBadFraming) {
    std::string record = HbA1c29("1606201430", "065", Pid(1));
    struct Case {
        const char* what;
        std::string payload;
        int count;
        int size;
        bool fourDigit;
    } cases[] = {
        {"shorter than the count says", record + record, 3, 29, false},
        {"one byte short", record + record.substr(0, 28), 2, 29, false},
        {"a NUL ends the text", record.substr(0, 20) + '\0' + record.substr(21), 1, 29, false},
        {"record size of the other layout", record, 1, 29, true},
        {"negative count", record, -1, 29, false},
        {"count times size past any buffer", record, 2'000'000'000, 29, false},
        {"ten million bytes", std::string(10'000'000, '\n'), 1, 29, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log = {};
        ExpectRefusedAsBadFraming(ImportHbA1c(c.payload, c.count, c.size, c.fourDigit));
        EXPECT_EQ(hba1c.MainCount(), 0u);
    }
    EXPECT_LT(qa::test::ReadFile(dir.File("hr_lowdata.dat")).size(), 10'000'000u)
        << "an oversized transfer is refused before the dump is written";
}

TEST_F(ImportTest, SecondImportOfTheSameMeterStoresNothingAndEmptiesTheDownloadList) {
    std::string payload;
    for (int i = 0; i < 20; ++i) {
        payload += HbA1c29("16062014" + std::to_string(10 + i), "065", Pid(i));
    }
    EXPECT_EQ(Stored(ImportHbA1c(payload, 20, 29, false)), 20);
    EXPECT_EQ(hba1c.DownloadCount(), 20u);

    log = {};
    Expected<ImportSummary> again = ImportHbA1c(payload, 20, 29, false);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->stored, 0);
    EXPECT_EQ(again->received, 20);
    EXPECT_EQ(hba1c.MainCount(), 20u);
    EXPECT_EQ(hba1c.DownloadCount(), 0u);
    EXPECT_EQ(hba1c.download.RowCount(), 0);

    // The recreated download table still works and keeps its index.
    payload += HbA1c29("1606201530", "070", Pid(99));
    EXPECT_EQ(Stored(ImportHbA1c(payload, 21, 29, false)), 1);
    EXPECT_EQ(Rows(hba1c.downloadPath, kDownloadTableName).at(0)["PID"], Pid(99));
    SqliteStatement probe = PrepareStatement(
        hba1c.download.Handle(), "SELECT count(*) FROM sqlite_master WHERE type='index'");
    ASSERT_TRUE(probe);
    ASSERT_EQ(sqlite3_step(probe.Get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(probe.Get(), 0), 2) << "the duplicate key and the result ID";
}

TEST_F(ImportTest, DuplicateTestUsesThePatientIdForHbA1cOnly) {
    std::string quoted = "O'Brien,J.    ";
    std::string hba1cPayload =
        HbA1c29("1606201430", "065", Pid(1)) + HbA1c29("1606201430", "065", Pid(2)) +
        HbA1c29("1606201430", "065", quoted) + HbA1c29("1606201430", "065", quoted);
    EXPECT_EQ(Stored(ImportHbA1c(hba1cPayload, 4, 29, false)), 3);
    EXPECT_EQ(Stored(ImportHbA1c(hba1cPayload, 4, 29, false)), 0)
        << "a quote in the ID does not defeat the duplicate test";
    EXPECT_EQ(Rows(hba1c.mainPath, kMainTableName).at(2)["PID"], quoted);

    std::string glucosePayload =
        Glucose15("1606201430", "110") + Glucose15("1606201430", "110", "\n\r");
    EXPECT_EQ(Stored(ImportGlucose(glucosePayload, 2)), 1);
    EXPECT_EQ(glucose.MainCount(), 1u);
    EXPECT_EQ(glucose.DownloadCount(), 1u);
}

TEST_F(ImportTest, ProgressShowsOneTextPerCheckedByteThenOnePerStoredRecord) {
    std::string payload =
        HbA1c29("1606201430", "065", Pid(1)) + HbA1c29("1606201431", "066", Pid(2));
    EXPECT_EQ(Stored(ImportHbA1c(payload, 2, 29, false, true)), 2);
    // The two texts alternate, starting again with the first for the records.
    ASSERT_EQ(log.texts.size(), 58u + 2u);
    for (std::size_t i = 0; i < 58; ++i) {
        EXPECT_EQ(log.texts[i], i % 2 ? "데이터 받는중 ...*." : "데이터 받는중 ...***.");
    }
    EXPECT_EQ(log.texts[58], "데이터 받는중 ...***.");
    EXPECT_EQ(log.texts[59], "데이터 받는중 ...*.");
}

TEST_F(ImportTest, StoreFailureRollsBackBothFilesAndKeepsTheMeterData) {
    std::string payload = HbA1c29("1606201430", "065", Pid(1)) +
                          HbA1c29("1606201431", "065", Pid(2)) +
                          HbA1c29("1606201432", "065", "REFUSED       ");
    ASSERT_TRUE(hba1c.main.Execute(
        "CREATE TRIGGER refuse BEFORE INSERT ON HospitalTlb WHEN NEW.PID='REFUSED       ' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    Expected<ImportSummary> result = ImportHbA1c(payload, 3, 29, false, true);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(),
              Message(MessageId::NotSaved, {hba1c.main.Path().Str() + ": disk full"}));
    EXPECT_TRUE(IsStoreFailure(result.error())) << "the exchange ends, without erasing";
    EXPECT_EQ(hba1c.MainCount(), 0u);
    EXPECT_EQ(hba1c.DownloadCount(), 0u);
    EXPECT_EQ(hba1c.main.RowCount(), 0);

    // A main file that refuses to commit after the download file did: the download rows go too.
    ASSERT_TRUE(hba1c.main.Execute("DROP TRIGGER refuse"));
    sqlite3_commit_hook(
        hba1c.main.Handle(), [](void*) { return 1; }, nullptr);
    EXPECT_FALSE(ImportHbA1c(payload, 3, 29, false).ok());
    sqlite3_commit_hook(hba1c.main.Handle(), nullptr, nullptr);
    EXPECT_EQ(hba1c.MainCount(), 0u);
    EXPECT_EQ(hba1c.DownloadCount(), 0u);

    EXPECT_EQ(Stored(ImportHbA1c(payload, 3, 29, false)), 3) << "and a retry works";
}

TEST_F(ImportTest, DownloadListThatCannotBeEmptiedStoresNothing) {
    const std::string first =
        HbA1c29("1606201430", "065", Pid(1)) + HbA1c29("1606201431", "065", Pid(2));
    ASSERT_EQ(Stored(ImportHbA1c(first, 2, 29, false)), 2);
    const std::string payload = first + HbA1c29("1606201432", "065", Pid(3));
    // The drop and the new table cannot be committed: the earlier list stays.
    sqlite3_commit_hook(
        hba1c.download.Handle(), [](void*) { return 1; }, nullptr);
    Expected<ImportSummary> result = ImportHbA1c(payload, 3, 29, false, true);
    sqlite3_commit_hook(hba1c.download.Handle(), nullptr, nullptr);
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(IsStoreFailure(result.error()));
    EXPECT_EQ(hba1c.MainCount(), 2u);
    EXPECT_EQ(hba1c.DownloadCount(), 2u) << "the earlier list, not earlier and new mixed";

    EXPECT_EQ(Stored(ImportHbA1c(payload, 3, 29, false)), 1) << "and a retry works";
    EXPECT_EQ(hba1c.DownloadCount(), 1u);
}

TEST_F(ImportTest, ReadOnlyDumpIsKeptAndOtherKindsAreRefused) {
    bool hadDataFolder = std::filesystem::exists("DATA");
    std::string dump = dir.File("hr_lowdata.dat");
    qa::test::WriteFile(dump, "old copy");
    std::filesystem::permissions(dump, std::filesystem::perms::owner_read);
    EXPECT_EQ(Stored(ImportHbA1c(HbA1c29("1606201430", "065", Pid(1)), 1, 29, false)), 1);
    EXPECT_EQ(qa::test::ReadFile(dump), "old copy");
    EXPECT_EQ(std::filesystem::exists("DATA"), hadDataFolder) << "no folder in the working one";

    Transfer glucoseTransfer{
        Glucose15("1606201430", "110"), 1, 15, false, ResultKind::Glucose, false, ""};
    Expected<ImportSummary> refused =
        ImportHbA1cResults(glucoseTransfer, hba1c.main, hba1c.download, Services());
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().id, MessageId::WrongKind);
    EXPECT_EQ(hba1c.MainCount(), 1u);
}

TEST_F(ImportTest, RawDumpReplacesALinkInsteadOfWritingThroughIt) {
    std::string dump = dir.File("hr_lowdata.dat");
    std::string victim = dir.File("victim.txt");
    qa::test::WriteFile(victim, "not the meter's");
    std::filesystem::create_symlink(victim, dump);
    std::string payload = HbA1c29("1606201430", "065", Pid(1));
    EXPECT_EQ(Stored(ImportHbA1c(payload, 1, 29, false)), 1);
    EXPECT_EQ(qa::test::ReadFile(victim), "not the meter's");
    EXPECT_FALSE(std::filesystem::is_symlink(dump));
    EXPECT_EQ(qa::test::ReadFile(dump).substr(0, payload.size()), payload);
}

// ---- A kill -9 in the middle of a large import -------------------------------------------

enum class KillPoint {
    DuringCheck,
    DuringStore,
    AtDownloadCommit,
    AtMainCommit,
    AfterCommits,
    FromParent
};

// The child's host: kills its own process at a chosen moment, so the point is exact.
class KillingHost : public ImportHost {
public:
    KillingHost(KillPoint point, long checkTexts, int notifyFd)
        : point_(point), checkTexts_(checkTexts), notifyFd_(notifyFd) {}
    void SetProgressText(const Message&) override {
        ++texts_;
        if (point_ == KillPoint::DuringCheck && texts_ == checkTexts_ / 2) {
            raise(SIGKILL);
        }
        if (texts_ == checkTexts_ + 1) {
            armed = true; // storing starts
        }
        if (point_ == KillPoint::DuringStore && texts_ == checkTexts_ + 1500) {
            raise(SIGKILL);
        }
        if (point_ == KillPoint::FromParent && texts_ == checkTexts_ + 500) {
            char byte = 1;
            (void)!write(notifyFd_, &byte, 1);
        }
    }

    static inline bool armed = false;

private:
    KillPoint point_;
    long checkTexts_;
    int notifyFd_;
    long texts_ = 0;
};

int KillOnCommit(void*) {
    if (KillingHost::armed) {
        raise(SIGKILL);
    }
    return 0;
}

class ImportKillTest : public ::testing::TestWithParam<KillPoint> {};

TEST_P(ImportKillTest, BothFilesStayConsistentAndTheNextImportCompletes) {
    constexpr int kOld = 200, kNew = 3000, kSize = 30;
    TempDir dir;
    std::string payload;
    for (int i = 0; i < kOld + kNew; ++i) {
        char dateTime[16];
        std::snprintf(dateTime, sizeof dateTime, "16%02d%02d%02d%02d", i / 1440 % 12 + 1,
                      i / 60 % 24 + 1, i / 60 % 24, i % 60);
        payload += HbA1c29(dateTime, "0650", Pid(i));
    }
    std::string oldPayload = payload.substr(0, static_cast<std::size_t>(kOld) * kSize);
    EventLog log;
    LoggingHost host{log};
    auto files = std::make_unique<UserFiles<HbA1cTable>>(dir, "HbA1c");
    ImportServices services{dir.Path(), host};
    Transfer first{oldPayload, kOld, kSize, true, ResultKind::HbA1c, false, ""};
    Expected<ImportSummary> firstImport =
        ImportHbA1cResults(first, files->main, files->download, services);
    ASSERT_TRUE(firstImport.ok());
    ASSERT_EQ(firstImport->stored, kOld);
    files->Close();

    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    Transfer full{payload, kOld + kNew, kSize, true, ResultKind::HbA1c, false, ""};
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        HbA1cTable main, download;
        EXPECT_TRUE(main.SetTableName(kMainTableName));
        EXPECT_TRUE(download.SetTableName(kDownloadTableName));
        if (!main.Open(files->mainPath) || !download.Open(files->downloadPath)) {
            _exit(3);
        }
        if (GetParam() == KillPoint::AtDownloadCommit) {
            sqlite3_commit_hook(download.Handle(), KillOnCommit, nullptr);
        }
        if (GetParam() == KillPoint::AtMainCommit) {
            sqlite3_commit_hook(main.Handle(), KillOnCommit, nullptr);
        }
        KillingHost killer(GetParam(), static_cast<long>(payload.size()), pipeFds[1]);
        ImportServices childServices{dir.Path(), killer};
        (void)ImportHbA1cResults(full, main, download, childServices);
        if (GetParam() == KillPoint::AfterCommits) {
            raise(SIGKILL); // before the session could end the exchange or report
        }
        _exit(GetParam() == KillPoint::FromParent ? 0 : 4);
    }
    close(pipeFds[1]);
    if (GetParam() == KillPoint::FromParent) {
        char byte = 0;
        if (read(pipeFds[0], &byte, 1) == 1) {
            kill(child, SIGKILL);
        }
    }
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (GetParam() != KillPoint::FromParent) {
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }

    EXPECT_EQ(IntegrityCheck(files->mainPath), "ok");
    EXPECT_EQ(IntegrityCheck(files->downloadPath), "ok");
    std::size_t mainAfterKill = files->MainCount();
    std::size_t downloadAfterKill = files->DownloadCount();
    EXPECT_TRUE(mainAfterKill == kOld || mainAfterKill == kOld + kNew) << mainAfterKill;
    if (mainAfterKill == kOld + kNew) {
        EXPECT_EQ(downloadAfterKill, std::size_t{kNew})
            << "main has the new results only if the download list has them too";
    }
    if (GetParam() == KillPoint::AtMainCommit) {
        EXPECT_EQ(mainAfterKill, std::size_t{kOld});
        EXPECT_EQ(downloadAfterKill, std::size_t{kNew});
    }
    if (GetParam() == KillPoint::AfterCommits) {
        EXPECT_EQ(mainAfterKill, std::size_t{kOld + kNew});
    }

    files->Open();
    Expected<ImportSummary> next = ImportHbA1cResults(full, files->main, files->download, services);
    EXPECT_TRUE(next.ok());
    EXPECT_EQ(files->MainCount(), std::size_t{kOld + kNew});
    // Every new result is listed as downloaded by the killed import or by this one.
    EXPECT_EQ(mainAfterKill == kOld + kNew ? downloadAfterKill : files->DownloadCount(),
              std::size_t{kNew});
}

INSTANTIATE_TEST_SUITE_P(KillPoints, ImportKillTest,
                         ::testing::Values(KillPoint::DuringCheck, KillPoint::DuringStore,
                                           KillPoint::AtDownloadCommit, KillPoint::AtMainCommit,
                                           KillPoint::AfterCommits, KillPoint::FromParent),
                         [](const ::testing::TestParamInfo<KillPoint>& point) {
                             switch (point.param) {
                             case KillPoint::DuringCheck:
                                 return "DuringCheck";
                             case KillPoint::DuringStore:
                                 return "DuringStore";
                             case KillPoint::AtDownloadCommit:
                                 return "AtDownloadCommit";
                             case KillPoint::AtMainCommit:
                                 return "AtMainCommit";
                             case KillPoint::AfterCommits:
                                 return "AfterCommits";
                             case KillPoint::FromParent:
                                 break;
                             }
                             return "FromParent";
                         });

} // namespace
