#include "i18n/message_catalogue.h"
#include "store/record_edit.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace qa;

namespace {

struct Stored {
    std::string date, time, value, pid, opid, eqType, name, dob;
    int diagnose = 0;
    std::string memo;
};

class RecordEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(table.SetTableName(kMainTableName));
        ASSERT_TRUE(table.OpenOrCreate(dir.File("u_HbA1c.sqlite")));
    }

    void Add(const Stored& s) {
        ASSERT_TRUE(table.AddNew());
        table.date = s.date;
        table.time = s.time;
        table.value = s.value;
        table.pid = s.pid;
        table.opid = s.opid;
        table.eqType = s.eqType;
        table.name = s.name;
        table.dob = s.dob;
        table.diagnose = s.diagnose;
        table.memo = s.memo;
        ASSERT_TRUE(table.Update());
    }

    // Every stored row, in insertion order.
    std::vector<Stored> All() {
        table.filter.Clear();
        table.sort = "ROWID";
        EXPECT_TRUE(table.Requery());
        std::vector<Stored> rows;
        for (; !table.IsEOF(); table.MoveNext()) {
            rows.push_back({table.date.Str(), table.time.Str(), table.value.Str(), table.pid.Str(),
                            table.opid.Str(), table.eqType.Str(), table.name.Str(), table.dob.Str(),
                            table.diagnose, table.memo.Str()});
        }
        return rows;
    }

    static ListRow Selected(const Stored& s) {
        ListRow row;
        row.date = s.date;
        row.time = s.time;
        row.value = s.value;
        row.patientId = s.pid;
        row.operatorId = s.opid;
        return row;
    }

    static RecordEdit Change(std::string name, std::string pid) {
        RecordEdit edit;
        edit.patientName = std::move(name);
        edit.patientId = std::move(pid);
        edit.birthday = {1975, 3, 14};
        edit.diagnosis = 2;
        edit.memo = "checked";
        return edit;
    }

    test::TempDir dir;
    HbA1cTable table;
};

} // namespace

TEST_F(RecordEditTest, ChangesOnlyTheSelectedPatientsResultOfThatMinute) {
    // Two patients measured in the same minute with the same value.
    Stored first{"20160620", "1430", "0650", "111", "OPA", "1", "Kim", "19000101", 0, ""};
    Stored second{"20160620", "1430", "0650", "222", "OPB", "1", "Lee", "19600505", 3, "keep"};
    Add(first);
    Add(second);

    ASSERT_TRUE(ModifyRecord(table, Selected(second), Change("이순신", "333")));
    std::vector<Stored> rows = All();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].pid, "111");
    EXPECT_EQ(rows[0].name, "Kim");
    EXPECT_EQ(rows[0].opid, "OPA") << "the other patient's row keeps its operator";
    EXPECT_EQ(rows[0].diagnose, 0);
    EXPECT_EQ(rows[1].pid, "333");
    EXPECT_EQ(rows[1].name, "이순신");
    EXPECT_EQ(rows[1].dob, "19750314");
    EXPECT_EQ(rows[1].diagnose, 2);
    EXPECT_EQ(rows[1].memo, "checked");
    EXPECT_EQ(rows[1].opid, "OPB");
    EXPECT_EQ(rows[1].date, "20160620");
    EXPECT_EQ(rows[1].value, "0650");
}

TEST_F(RecordEditTest, UnchangedColumnsKeepTheirStoredValues) {
    // The result kind of the edited row is not whatever the table read last.
    Add({"20160620", "1430", "0650", "111", "OPA", "1", "", "", 0, ""});
    Add({"20160621", "0900", "0700", "222", "OPB", "2", "", "", 0, ""});
    ASSERT_TRUE(table.MoveTo(2)); // the last row read is the other one
    ASSERT_TRUE(ModifyRecord(table, Selected(All()[0]), Change("A", "1")));
    std::vector<Stored> rows = All();
    EXPECT_EQ(rows[0].eqType, "1");
    EXPECT_EQ(rows[1].eqType, "2");
}

TEST_F(RecordEditTest, IdenticalKeysChangeOneRowAndStaleSelectionsChangeNone) {
    Stored twin{"20160620", "1430", "0650", "111", "OPA", "1", "", "", 0, ""};
    Add(twin);
    Add(twin);
    ASSERT_TRUE(ModifyRecord(table, Selected(twin), Change("A", "9")));
    std::vector<Stored> rows = All();
    EXPECT_EQ(rows[0].pid, "9");
    EXPECT_EQ(rows[1].pid, "111");

    // The row was deleted or changed meanwhile: nothing matches, nothing is written.
    Stored gone = twin;
    gone.opid = "OPX";
    const Status stale = ModifyRecord(table, Selected(gone), Change("B", "8"));
    ASSERT_FALSE(stale);
    EXPECT_EQ(stale.error(), Message(MessageId::ResultGone, {"20160620", "1430", "0650"}))
        << "the operator learns the result is gone, not a database fault";
    // A row id that is not the keyed row's own.
    EXPECT_FALSE(ModifyRecord(table, Selected(twin), Change("C", "7"), 1));
    EXPECT_TRUE(ModifyRecord(table, Selected(twin), Change("C", "7"), 2));
    rows = All();
    EXPECT_EQ(rows[0].name, "A");
    EXPECT_EQ(rows[1].name, "C");
}

TEST_F(RecordEditTest, QuotesTravelSafelyAndTheTableViewIsKept) {
    Stored quoted{"20160620", "1430", "0650", "1'1", "O'P", "1", "", "", 0, ""};
    Add(quoted);
    Add({"20160101", "0800", "0600", "2", "OP", "1", "", "", 0, ""});
    table.filter = "[DATE] > '20160000'";
    table.sort = "[DATE] ASC";
    EXPECT_TRUE(table.Requery());
    ASSERT_TRUE(ModifyRecord(table, Selected(quoted), Change("O'Brien", "5")));
    EXPECT_EQ(table.filter.Str(), "[DATE] > '20160000'");
    EXPECT_EQ(table.sort.Str(), "[DATE] ASC");
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.date.Str(), "20160101") << "requeried in the caller's order";
    EXPECT_EQ(All()[0].name, "O'Brien");
}

TEST(RecordEdit, BirthdayTexts) {
    EXPECT_EQ(ParseStoredBirthday("19000101"), (BirthDate{1900, 1, 1}));
    EXPECT_EQ(ParseStoredBirthday("20000229"), (BirthDate{2000, 2, 29}));
    EXPECT_FALSE(ParseStoredBirthday("19000229").has_value());
    EXPECT_FALSE(ParseStoredBirthday("").has_value());
    EXPECT_FALSE(ParseStoredBirthday("-1").has_value());
    EXPECT_FALSE(ParseStoredBirthday("20161301").has_value());
    EXPECT_EQ(StoredBirthday({812, 7, 4}), "08120704");
}

TEST(RecordEdit, LimitsAreCodePage949Bytes) {
    RecordEdit edit;
    edit.patientName = "가나다라마바사"; // 14 bytes
    EXPECT_FALSE(RecordEditLimitMessage(edit).has_value());
    edit.patientName += "아";
    EXPECT_EQ(SourceText(RecordEditLimitMessage(edit).value()),
              "환자 이름 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)")
        << "the name is named";
    edit.patientName = "";
    edit.patientId = std::string(16, '1');
    EXPECT_EQ(SourceText(RecordEditLimitMessage(edit).value()),
              "환자ID 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)");
    edit.patientId = std::string(15, '1');
    edit.memo = std::string(99, 'm');
    EXPECT_FALSE(RecordEditLimitMessage(edit).has_value());
    edit.memo += "m";
    EXPECT_EQ(SourceText(RecordEditLimitMessage(edit).value()),
              "입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 100)");
    edit.memo = std::string(98, 'm') + "\xF0\x9F\x98\x80"; // no place in 949: counts two
    EXPECT_EQ(SourceText(RecordEditLimitMessage(edit).value()),
              "입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 100)");
}
