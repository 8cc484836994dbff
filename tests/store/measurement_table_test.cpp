#include "store/measurement_table.h"
#include "store/sqlite_statement.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace qa;

TEST(MeasurementTable, NameAreaTakesAtMost27Characters) {
    HbA1cTable table;
    EXPECT_TRUE(table.SetTableName(std::string(27, 'n')));
    EXPECT_EQ(table.TableName(), std::string(27, 'n'));
    EXPECT_FALSE(table.SetTableName(std::string(28, 'm')));
    EXPECT_FALSE(table.SetTableName(""));
    EXPECT_FALSE(table.SetTableName("bad]name"));
    EXPECT_EQ(table.TableName(), std::string(27, 'n')) << "a refused name changes nothing";
}

TEST(MeasurementTable, StandardClausesOfBothKinds) {
    HbA1cTable hba1c;
    GlucoseTable glucose;
    EXPECT_EQ(hba1c.StandardSort(), "[DATE] DESC, [TIME] DESC, [HbA1c_VALUE] DESC");
    EXPECT_EQ(glucose.StandardSort(), "[DATE] DESC, [TIME] DESC, [Glucose_VALUE] DESC");
    EXPECT_EQ(hba1c.DuplicateCondition("20160620", "1430", "0650", "P'1"),
              "[DATE]='20160620'and [TIME]='1430'and [HbA1c_VALUE]='0650'and [PID]='P''1' ");
    EXPECT_EQ(glucose.DuplicateCondition("20160620", "1430", "110", "ignored"),
              "[DATE]='20160620'and [TIME]='1430'and [Glucose_VALUE]='110' ");
    EXPECT_EQ(glucose.RecordCondition("20160620", "1430", "110", "p", "o"),
              "[DATE]='20160620'and [TIME]='1430'and [Glucose_VALUE]='110'and [PID]='p'and "
              "[OPID]='o'");
    EXPECT_EQ(hba1c.ModifyCondition("20160620", "1430", "0650"),
              "[DATE]='20160620'and [TIME]='1430'and [HbA1c_VALUE]='0650'");
}

TEST(MeasurementTable, OpenNeedsAnExistingFileAndIndexesTheKeyColumns) {
    qa::test::TempDir dir;
    GlucoseTable table;
    ASSERT_TRUE(table.SetTableName(kDownloadTableName));
    EXPECT_FALSE(table.Open(dir.File("u_GlucoseDown.sqlite")));
    EXPECT_FALSE(qa::test::FileExists(dir.File("u_GlucoseDown.sqlite")));

    ASSERT_TRUE(table.OpenOrCreate(dir.File("u_GlucoseDown.sqlite")));
    {
        SqliteStatement probe =
            PrepareStatement(table.Handle(), "SELECT sql FROM sqlite_master WHERE type='index'");
        ASSERT_TRUE(probe);
        ASSERT_EQ(sqlite3_step(probe.Get()), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(probe.Get(), 0)),
                     "CREATE INDEX [DownLoadData_Glucose_VALUE_key] ON [DownLoadData] ([DATE], "
                     "[TIME], [Glucose_VALUE], [PID])");
    }
    table.Close();
    ASSERT_TRUE(table.Open(dir.File("u_GlucoseDown.sqlite")));
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_TRUE(table.IsEOF());
}
