#include "store/audit_log.h"
#include "store/record_edit.h"
#include "store/result_delete.h"
#include "store/users.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/stat.h>

using namespace qa;
using namespace qa::test;

namespace {

class SilentPrompter : public Prompter {
public:
    bool Confirm(const Message&, const Message&) override { return true; }
    void Inform(const Message&, const Message&, Severity) override {}
};

std::vector<AuditEntry> All(const std::string& folder, AuditQuery query = {}) {
    std::vector<AuditEntry> entries;
    std::string error;
    EXPECT_TRUE(ReadAudit(folder, query, entries, error)) << error;
    return entries;
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
    EXPECT_EQ(entries[2].action, "delete");
    EXPECT_NE(entries[2].detail.find("value \"0650\""), std::string::npos);
    EXPECT_NE(entries[2].detail.find("홍길동"), std::string::npos);
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
        std::string error;
        ASSERT_TRUE(AppendAudit(dir.Path(), e, &error)) << error;
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
