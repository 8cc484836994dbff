#include "status_text.h"
#include "store/result_delete.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace qa;

namespace {

struct Key {
    std::string date, time, value, pid, opid;
};

ListRow RowOf(const Key& k) {
    ListRow row;
    row.date = k.date;
    row.time = k.time;
    row.value = k.value;
    row.patientId = k.pid;
    row.operatorId = k.opid;
    return row;
}

template <typename Table> class ResultDeleteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(table.SetTableName(kMainTableName));
        ASSERT_TRUE(table.OpenOrCreate(dir.File("u.sqlite")));
    }
    void Add(const Key& k) {
        ASSERT_TRUE(table.AddNew());
        table.date = k.date;
        table.time = k.time;
        table.value = k.value;
        table.pid = k.pid;
        table.opid = k.opid;
        ASSERT_TRUE(table.Update());
    }
    std::vector<std::string> Remaining() {
        table.filter.Clear();
        table.sort = "ROWID";
        EXPECT_TRUE(table.Requery());
        std::vector<std::string> rows;
        for (; !table.IsEOF(); table.MoveNext()) {
            rows.push_back(table.time.Str() + "/" + table.pid.Str() + "/" + table.opid.Str());
        }
        return rows;
    }

    test::TempDir dir;
    Table table;
};

using Kinds = ::testing::Types<HbA1cTable, GlucoseTable>;
TYPED_TEST_SUITE(ResultDeleteTest, Kinds);

TYPED_TEST(ResultDeleteTest, EveryRowSharingAllFiveFieldsGoesAndNoOther) {
    Key twin{"20160620", "1430", "0650", "P'1", "O'P"};
    this->Add(twin);
    this->Add(twin);
    this->Add({"20160620", "1430", "0650", "P'1", "OTHER"}); // another operator
    this->Add({"20160620", "1430", "0650", "P2", "O'P"});    // another patient
    this->Add({"20160620", "1431", "0650", "P'1", "O'P"});   // another minute
    this->table.filter = "[TIME] = '9999'";                  // a view the delete must not keep
    ASSERT_TRUE(DeleteRecord(this->table, RowOf(twin)));
    EXPECT_TRUE(this->table.filter.IsEmpty());
    EXPECT_EQ(this->table.sort.Str(), this->table.StandardSort());
    EXPECT_EQ(this->table.RowCount(), 3) << "the standard view, requeried";
    EXPECT_EQ(this->Remaining(),
              (std::vector<std::string>{"1430/P'1/OTHER", "1430/P2/O'P", "1431/P'1/O'P"}));
}

TYPED_TEST(ResultDeleteTest, AFailedDeleteLeavesNoConditionBehind) {
    Key row{"20160620", "1430", "0650", "P1", "OP"};
    this->Add(row);
    TypeParam unopened;
    const Status closed = DeleteRecord(unopened, RowOf(row));
    ASSERT_FALSE(closed);
    EXPECT_EQ(closed.error().id, MessageId::TableNotOpen);

    // Another connection holds the write lock: the delete fails and says so.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(this->dir.File("u.sqlite").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(test::Why(DeleteRecord(this->table, RowOf(row))),
              this->dir.File("u.sqlite") + ": database is locked");
    EXPECT_TRUE(this->table.filter.IsEmpty());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(this->Remaining().size(), 1u);
}

} // namespace
