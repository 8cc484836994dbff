// The patient search over a real SQLite file: whole IDs first, candidates otherwise, and who
// the records say the patient is.
#include "status_text.h"
#include "store/patient_history.h"
#include "store/patient_search.h"
#include "store/sqlite_statement.h"
#include "store/text_encoding.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace qa;
using namespace qa::test;

namespace {

struct Row {
    std::string date, pid, name, dob = "19800101";
};

void Add(MeasurementTable& table, const std::vector<Row>& rows) {
    int minute = 0;
    for (const Row& r : rows) {
        ASSERT_TRUE(table.AddNew());
        table.date = r.date;
        table.time = "09" + std::string(minute < 10 ? "0" : "") + std::to_string(minute);
        ++minute;
        table.value = "0650";
        table.pid = r.pid;
        table.opid = "";
        table.eqType = "1";
        table.name = r.name;
        table.dob = r.dob;
        table.diagnose = 0;
        table.memo = "";
        ASSERT_TRUE(table.Update());
    }
}

std::vector<std::string> Ids(const PatientSearch& search) {
    std::vector<std::string> ids;
    for (const auto& c : search.candidates) {
        ids.push_back(c.patientId);
    }
    return ids;
}

class PatientSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(table.SetTableName(kMainTableName));
        ASSERT_TRUE(table.OpenOrCreate(dir.File("h.mdb")));
        ASSERT_TRUE(table.Requery());
        // Prefixes of each other, a shared name, one ID in two cases, a Hangul name.
        Add(table, {{"20160101", "P1001", "임하준", "19800101"},
                    {"20160301", "P1001", "임하준", "19800101"},
                    {"20160201", "P10010", "Kim", "19751224"},
                    {"20160202", "P10010", "Kim", "19751224"},
                    {"20160203", "P10010", "Kim", "19751224"},
                    {"20160105", "P1002", "임하준", "19911111"},
                    {"20160106", "P1005", "최민준", "19700505"},
                    {"20160107", "P1005", "최민준", "19700505"},
                    {"20160108", "P1005", "이서윤X", "19700506"},
                    {"20160109", "ab7", "", ""},
                    {"20160110", "AB7", "", ""}});
    }
    TempDir dir;
    HbA1cTable table;
};

} // namespace

TEST_F(PatientSearchTest, AWholeIdIsOnePatientEvenWhenItIsThePrefixOfAnother) {
    for (const char* typed : {"P1001", "p1001", "  P1001\t"}) {
        const PatientSearch search = test::ValueOf(FindPatients(table, typed));
        EXPECT_TRUE(search.wholeId) << typed;
        EXPECT_EQ(Ids(search), std::vector<std::string>{"P1001"}) << typed;
    }
    const PatientSearch longer = test::ValueOf(FindPatients(table, "P10010"));
    EXPECT_EQ(Ids(longer), std::vector<std::string>{"P10010"});
    ASSERT_EQ(longer.candidates.size(), 1u);
    EXPECT_EQ(longer.candidates[0].count, 3);
    EXPECT_EQ(longer.candidates[0].newestDate, "20160203");
    EXPECT_EQ(longer.candidates[0].names, std::vector<std::string>{"Kim"});
    EXPECT_EQ(longer.candidates[0].birthDates, std::vector<std::string>{"19751224"});

    // Two stored IDs equal but for case are both offered: neither is the other.
    EXPECT_EQ(Ids(test::ValueOf(FindPatients(table, "Ab7"))),
              (std::vector<std::string>{"AB7", "ab7"}));
    std::vector<std::string> ids;
    ids = test::ValueOf(FindWholePatientIds(table, " p10010 "));
    EXPECT_EQ(ids, std::vector<std::string>{"P10010"});
    ids = test::ValueOf(FindWholePatientIds(table, "P100"));
    EXPECT_TRUE(ids.empty()) << "part of an ID is no whole ID";
    ids = test::ValueOf(FindWholePatientIds(table, "   "));
    EXPECT_TRUE(ids.empty());
}

TEST_F(PatientSearchTest, PartOfAnIdOrANameOffersEveryPatientWithWhatTellsThemApart) {
    const PatientSearch part = test::ValueOf(FindPatients(table, "p100"));
    EXPECT_FALSE(part.wholeId);
    EXPECT_EQ(Ids(part), (std::vector<std::string>{"P1001", "P10010", "P1002", "P1005"}));

    const PatientSearch name = test::ValueOf(FindPatients(table, "임하준"));
    EXPECT_EQ(Ids(name), (std::vector<std::string>{"P1001", "P1002"}));
    ASSERT_EQ(name.candidates.size(), 2u);
    EXPECT_EQ(name.candidates[0].birthDates, std::vector<std::string>{"19800101"});
    EXPECT_EQ(name.candidates[1].birthDates, std::vector<std::string>{"19911111"});
    EXPECT_EQ(name.candidates[0].count, 2);
    EXPECT_EQ(name.candidates[0].newestDate, "20160301");

    // Every name and birth date on a patient's records, the most frequent first.
    const PatientSearch mixed = test::ValueOf(FindPatients(table, "이서윤"));
    ASSERT_EQ(Ids(mixed), std::vector<std::string>{"P1005"});
    EXPECT_EQ(mixed.candidates[0].names, (std::vector<std::string>{"최민준", "이서윤X"}));
    EXPECT_EQ(mixed.candidates[0].birthDates, (std::vector<std::string>{"19700505", "19700506"}));

    EXPECT_TRUE(test::ValueOf(FindPatients(table, "nobody")).candidates.empty());
    EXPECT_TRUE(test::ValueOf(FindPatients(table, "%")).candidates.empty())
        << "'%' only matches itself";
    EXPECT_TRUE(test::ValueOf(FindPatients(table, "")).candidates.empty());

    const PatientSearch few = test::ValueOf(FindPatients(table, "P", 2));
    EXPECT_EQ(few.candidates.size(), 2u);
    EXPECT_TRUE(few.more);
}

TEST_F(PatientSearchTest, WholeIdLookupWalksTheCaseFreeIndex) {
    sqlite3* db = table.Handle();
    SqliteStatement plan = PrepareStatement(
        db, "EXPLAIN QUERY PLAN SELECT DISTINCT [PID] FROM [HospitalTlb] WHERE [PID] COLLATE "
            "NOCASE IN ('x', 'y')");
    ASSERT_TRUE(plan);
    std::string details;
    while (sqlite3_step(plan.Get()) == SQLITE_ROW) {
        details += reinterpret_cast<const char*>(sqlite3_column_text(plan.Get(), 3));
        details += "\n";
    }
    EXPECT_NE(details.find("HospitalTlb_PID_NOCASE"), std::string::npos) << details;
    EXPECT_EQ(details.find("SCAN HospitalTlb\n"), std::string::npos) << details;

    // Part of an ID or a name walks the same index alone, never the ID index with a read of
    // the table for every row's name.
    SqliteStatement part = PrepareStatement(db, "EXPLAIN QUERY PLAN SELECT [PID] FROM "
                                                "[HospitalTlb] WHERE " +
                                                    PatientSearchCondition("p10"));
    ASSERT_TRUE(part);
    details.clear();
    while (sqlite3_step(part.Get()) == SQLITE_ROW) {
        details += reinterpret_cast<const char*>(sqlite3_column_text(part.Get(), 3));
    }
    EXPECT_NE(details.find("COVERING INDEX HospitalTlb_PID_NOCASE"), std::string::npos) << details;
}

TEST_F(PatientSearchTest, TheRecordsOfOnePatientThatDisagreeAreCountedNotSettled) {
    std::vector<PatientResult> results;
    results = test::ValueOf(ReadPatientResults(table, "P1005"));
    PatientIdentity identity;
    for (const PatientResult& r : results) {
        CountIdentity(identity, r.patientName, r.birthDate);
    }
    ASSERT_EQ(identity.names.size(), 2u);
    EXPECT_EQ(identity.names[0].text, "최민준");
    EXPECT_EQ(identity.names[0].count, 2);
    EXPECT_EQ(identity.names[1].text, "이서윤X");
    EXPECT_TRUE(identity.NamesDisagree());
    EXPECT_TRUE(identity.BirthDatesDisagree());

    // A blank name is no second name.
    PatientIdentity blank;
    CountIdentity(blank, "Kim", "19751224");
    CountIdentity(blank, "", "");
    EXPECT_FALSE(blank.Disagrees());

    std::vector<PatientOverview> overview;
    overview = test::ValueOf(ReadPatientOverview(table));
    auto find = [&](const std::string& id) {
        for (const auto& p : overview) {
            if (p.patientId == id) {
                return p;
            }
        }
        return PatientOverview{};
    };
    EXPECT_TRUE(find("P1005").identity.Disagrees());
    EXPECT_FALSE(find("P1001").identity.Disagrees());
    EXPECT_EQ(find("P1001").identity.names.front().text, "임하준");
}
