#include "i18n/message_catalogue.h"
#include "store/audit_log.h"
#include "store/record_edit.h"
#include "store/result_delete.h"
#include "store/users.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

using namespace qa;
using namespace qa::test;

namespace {

class SilentPrompter : public Prompter {
public:
    bool Confirm(const Message&, const Message&) override { return true; }
    void Inform(const Message&, const Message&, Severity) override {}
};

std::vector<AuditEntry> All(const std::string& folder, AuditQuery query = {}) {
    Expected<std::vector<AuditEntry>> entries = ReadAudit(folder, query);
    EXPECT_TRUE(entries.ok());
    return entries.ok() ? *entries : std::vector<AuditEntry>{};
}

} // namespace

// The store operations an operator reaches through the window and the command line each
// leave one entry naming the operator, the program version and what changed.
TEST(AuditLog, StoreOperationsAreRecordedWithOperatorAndChanges) {
    const ScopedUmask permissive;
    TempDir dir;
    SilentPrompter prompter;
    UserStore users(dir.Path(), prompter);
    ASSERT_TRUE(users.Reload());
    ASSERT_EQ(users.AddUser("Kim"), UserStore::Outcome::Done);
    HbA1cTable& table = users.HbA1cMain();
    ASSERT_TRUE(table.AddNew());
    table.date = "20260105";
    table.time = "0930";
    table.value = "0650";
    table.pid = "P1";
    table.opid = "OP";
    table.name = "홍길동";
    table.memo = "old memo";
    ASSERT_TRUE(table.Update());
    ListRow row;
    row.date = "20260105";
    row.time = "0930";
    row.value = "0650";
    row.patientId = "P1";
    row.operatorId = "OP";
    RecordEdit edit{1, "홍길동", "P1", {1970, 2, 3}, 2, "new memo"};
    ASSERT_TRUE(ModifyRecord(table, row, edit));
    row.patientName = "홍길동";
    row.memo = "new memo";
    ASSERT_TRUE(DeleteRecord(table, row));
    users.Settings().dateFormat = 2;
    ASSERT_TRUE(users.SaveSettings());
    ASSERT_TRUE(users.SaveSettings()) << "saving without a change";
    ASSERT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Done);

    auto entries = All(dir.Path());
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].action, "user add");
    EXPECT_EQ(entries[0].detail, "user Kim");
    EXPECT_EQ(entries[1].action, "modify");
    EXPECT_EQ(entries[1].operatorId, "Kim");
    EXPECT_EQ(entries[1].patientId, "P1");
    EXPECT_NE(entries[1].detail.find("-> \"19700203\""), std::string::npos) << entries[1].detail;
    EXPECT_NE(entries[1].detail.find("memo: \"old memo\" -> \"new memo\""), std::string::npos);
    EXPECT_EQ(entries[1].detail.find("name:"), std::string::npos)
        << "unchanged fields are left out";
    // Stored as a message, so the window reads it in its operator's language; the text the
    // command line lists is the message's source text, as before messages.
    EXPECT_EQ(entries[1].message.id, MessageId::AuditResultModified);
    EXPECT_EQ(entries[1].detail, SourceText(entries[1].message));
    EXPECT_EQ(entries[1].detail.rfind("result 20260105 0930 0650: birthday: \"", 0), 0)
        << entries[1].detail;
    EXPECT_EQ(entries[2].action, "delete");
    EXPECT_EQ(entries[2].message.id, MessageId::AuditHbA1cDeleted);
    EXPECT_EQ(entries[2].detail,
              "HbA1c result: date \"20260105\", time \"0930\", value \"0650\", patient ID "
              "\"P1\", operator ID \"OP\", name \"홍길동\", birthday \"\", diagnosis 0, memo "
              "\"new memo\"");
    EXPECT_EQ(entries[3].action, "settings");
    EXPECT_NE(entries[3].detail.find("Date: \"0\" -> \"2\""), std::string::npos)
        << entries[3].detail;
    EXPECT_EQ(entries[4].action, "user delete");
    EXPECT_EQ(entries[4].operatorId, "Kim");
    for (const auto& e : entries) {
        EXPECT_FALSE(e.version.empty());
        EXPECT_FALSE(e.account.empty());
        EXPECT_EQ(e.time.size(), 19u) << e.time;
    }
    // It names patients and what was done to their results: for this account only.
    struct stat info {};
    ASSERT_EQ(::stat(dir.File(kAuditFileName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// An entry about a result is a message of items: each field or count is a phrase of its own
// that goes through the catalogue whole, so no word of the entry stays in the source
// language, and the values stay data.
TEST(AuditLog, EntriesOfResultsAreItemsEachReadThroughTheCatalogue) {
    std::vector<std::string> args = {"20260105", "0930", "0650"};
    AppendItem(args, MessageId::AuditItemMemoChanged, {"a", "%2"});
    AppendItem(args, MessageId::AuditItemResultId, {"R-1"});
    const Message modify(MessageId::AuditResultModified, args);
    EXPECT_EQ(SourceText(modify),
              "result 20260105 0930 0650: memo: \"a\" -> \"%2\"; result ID R-1");
    std::vector<std::string> asked;
    const auto marked = [&](const char* source) {
        asked.emplace_back(source);
        return "[" + std::string(source) + "]";
    };
    EXPECT_EQ(ComposeMessage(modify, marked),
              "[result 20260105 0930 0650: [memo: \"a\" -> \"%2\"]; [result ID R-1]]");
    EXPECT_EQ(asked.size(), 3u);

    // The operator's note is their own text, after the fixed part; none, nothing added.
    Message putBack(MessageId::AuditGlucosePutBack, {"R-2", "20260106", "1000", "120", "P2"});
    EXPECT_EQ(SourceText(putBack), "glucose result R-2 put back: date \"20260106\", time "
                                   "\"1000\", value \"120\", patient ID \"P2\"");
    AppendItem(putBack.args, MessageId::AuditItemNote, {"memo \"x\"; 100%"});
    const std::string noted = ComposeMessage(putBack, marked);
    EXPECT_TRUE(noted.ends_with("patient ID \"P2\"; [memo \"x\"; 100%]]")) << noted;

    // Items without values, and a key of a newer version: what follows it is shown as stored.
    std::vector<std::string> items;
    AppendItem(items, MessageId::AuditItemReceived, {"5", "3"});
    AppendItem(items, MessageId::AuditItemPortUnknown);
    items.insert(items.end(), {"flux", "7"});
    EXPECT_EQ(SourceText(Message(MessageId::AuditGlucoseImported, items)),
              "glucose: 5 received, 3 new; port unknown; flux 7");
    // Cut short (a hand-edited log): the item shows what there is.
    EXPECT_EQ(SourceText(Message(MessageId::AuditHbA1cDeleted, {"date"})),
              "HbA1c result: date \"\"");
}

TEST(AuditLog, FiltersByPatientAndDayAndRefusesEditsInPlace) {
    TempDir dir;
    for (const auto& [time, patient] : std::vector<std::pair<std::string, std::string>>{
             {"2026-01-01 10:00:00", "A"},
             {"2026-01-02 23:59:59", "B"},
             {"2026-01-03 00:00:00", "A"},
             {"2026-02-01 08:00:00", "A'; DROP TABLE audit; --"}}) {
        AuditEntry e;
        e.time = time;
        e.action = "modify";
        e.patientId = patient;
        ASSERT_TRUE(AppendAudit(dir.Path(), e).ok());
    }
    EXPECT_EQ(All(dir.Path()).size(), 4u);
    EXPECT_EQ(All(dir.Path(), {"A", "", ""}).size(), 2u);
    EXPECT_EQ(All(dir.Path(), {"", "20260102", "20260103"}).size(), 2u);
    EXPECT_EQ(All(dir.Path(), {"A", "20260102", "20260131"}).size(), 1u);
    EXPECT_EQ(All(dir.Path(), {"A'; DROP TABLE audit; --", "", ""}).size(), 1u);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.File(kAuditFileName).c_str(), &db), SQLITE_OK);
    EXPECT_NE(sqlite3_exec(db, "UPDATE audit SET patient = 'X'", nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_NE(sqlite3_exec(db, "DELETE FROM audit", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(All(dir.Path(), {"A", "", ""}).size(), 2u);
    EXPECT_TRUE(All(dir.File("no-such-folder")).empty()) << "no log yet is an empty log";
}

namespace {

void Exec(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK)
        << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

} // namespace

// An entry keeps what it says as a message and its arguments, so it reads in whoever's
// language; entries of logs written before (plain text only) and names of a later version
// read as their detail, and the older log takes new entries without losing one.
TEST(AuditLog, EntriesKeepTheirMessageBesideTheTextOfOlderLogs) {
    TempDir dir;
    const std::string log = dir.File(kAuditFileName);
    // A log as the version before messages wrote it.
    Exec(log, "CREATE TABLE audit(id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL,"
              " day TEXT NOT NULL, operator TEXT NOT NULL, account TEXT NOT NULL,"
              " version TEXT NOT NULL, action TEXT NOT NULL, patient TEXT NOT NULL,"
              " detail TEXT NOT NULL, ref TEXT);"
              "INSERT INTO audit(time, day, operator, account, version, action, patient, detail,"
              " ref) VALUES('2024-01-02 09:30:00', '20240102', 'Basis', 'nurse', '1.08',"
              " 'print', '', '3 HbA1c results to the printer', 'old');");

    AuditEntry entry;
    entry.action = audit_action::kExport;
    // Arguments with the separators of their stored form, and an empty last one.
    const std::vector<std::string> args = {"2", "/tmp/a%25b\nc.pdf", ""};
    entry.SetMessage(Message(MessageId::AuditOutputGlucoseToFile, args));
    EXPECT_EQ(entry.detail, "2 glucose results to /tmp/a%25b\nc.pdf");
    ASSERT_TRUE(AppendAudit(dir.Path(), entry).ok());
    ASSERT_TRUE(AppendAudit(dir.Path(), OutputEntry(audit_action::kPrint, ResultKind::HbA1c, 1,
                                                    OutputPlace::Printer("Ward 3")))
                    .ok());
    // A name this version does not know, as a later one may write.
    Exec(log, "INSERT INTO audit(time, day, operator, account, version, action, patient, detail,"
              " ref, message, args) VALUES('2030-01-01 00:00:00', '20300101', 'Basis', 'nurse',"
              " '9.0', 'release', 'P1', 'released 2 results', 'later', 'released', '2\n');");

    const std::vector<AuditEntry> entries = All(dir.Path());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].detail, "3 HbA1c results to the printer");
    EXPECT_EQ(entries[0].message, Message());
    EXPECT_EQ(entries[1].message, Message(MessageId::AuditOutputGlucoseToFile, args));
    EXPECT_EQ(entries[2].message, Message(MessageId::AuditOutputHbA1cToPrinter, {"1", "Ward 3"}));
    EXPECT_EQ(entries[2].detail, "1 HbA1c results to the printer Ward 3");
    EXPECT_EQ(entries[3].message, Message());
    EXPECT_EQ(entries[3].detail, "released 2 results");

    // Every audit message has a stored name of its own, and the name reads back.
    std::vector<std::string> names;
    for (int id = static_cast<int>(MessageId::AuditOutputHbA1cToFile);
         id <= static_cast<int>(MessageId::AuditResultReleased); ++id) {
        const char* name = AuditMessageName(static_cast<MessageId>(id));
        ASSERT_NE(name, nullptr) << id;
        MessageId back{};
        ASSERT_TRUE(AuditMessageOfName(name, back));
        EXPECT_EQ(static_cast<int>(back), id);
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << name;
        names.emplace_back(name);
    }
    EXPECT_EQ(AuditMessageName(MessageId::NoData), nullptr);
}

// Staged and announced entries carry their message through a crash, also in a file whose
// pending table an older version made; a log that cannot be made says which file.
TEST(AuditLog, StagedAndAnnouncedEntriesKeepTheirMessage) {
    TempDir dir;
    const std::string file = dir.File("Basis_HbA1c.sqlite");
    Exec(file, "CREATE TABLE audit_pending(ref TEXT PRIMARY KEY, time TEXT NOT NULL,"
               " operator TEXT NOT NULL, account TEXT NOT NULL, version TEXT NOT NULL,"
               " action TEXT NOT NULL, patient TEXT NOT NULL, detail TEXT NOT NULL);"
               "INSERT INTO audit_pending VALUES('old', '2024-01-02 09:30:00', 'Basis', 'nurse',"
               " '1.08', 'delete', 'P1', 'HbA1c result: date \"20240102\"');");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    AuditEntry staged = PatientReportEntry("P1", 4, 0, OutputPlace::File("/r/p.pdf"));
    ASSERT_TRUE(StageAudit(db, dir.Path(), staged).ok());
    sqlite3_close(db);

    // An intent left by a killed process: settled at the next start with its message.
    const std::string settings = dir.File("settings.ini");
    { std::ofstream(settings) << "[a]\nb=c\n"; }
    AuditCheck check;
    check.kind = AuditCheck::Kind::ProfileValues;
    check.path = settings;
    check.values = {{"a", "b", "c"}};
    AuditEntry backup;
    backup.action = audit_action::kBackup;
    {
        AuditIntent intent;
        ASSERT_TRUE(AuditIntent::Begin(dir.Path(), backup, check, intent).ok());
        const Message files(MessageId::AuditBackupFiles, {"7", "/b/x\ty.tar"});
        ASSERT_TRUE(intent.Update(check, &files).ok());
    }
    EXPECT_TRUE(ReconcileAudit(dir.Path()).empty());

    std::vector<AuditEntry> entries = All(dir.Path());
    ASSERT_EQ(entries.size(), 3u);
    std::sort(entries.begin(), entries.end(),
              [](const AuditEntry& a, const AuditEntry& b) { return a.action < b.action; });
    EXPECT_EQ(entries[0].action, audit_action::kBackup);
    EXPECT_EQ(entries[0].message, Message(MessageId::AuditBackupFiles, {"7", "/b/x\ty.tar"}));
    EXPECT_EQ(entries[1].action, audit_action::kDelete);
    EXPECT_EQ(entries[1].message, Message());
    EXPECT_EQ(entries[1].detail, "HbA1c result: date \"20240102\"");
    EXPECT_EQ(entries[2].message,
              Message(MessageId::AuditPatientReportToFile, {"4", "0", "/r/p.pdf"}));
    EXPECT_EQ(entries[2].patientId, "P1");

    const Status refused = AppendAudit(dir.File("no/such/folder"), AuditEntry{});
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().id, MessageId::AuditFileError);
    EXPECT_EQ(refused.error().args.at(0), dir.File("no/such/folder/audit.sqlite"));
}
