#include "status_text.h"
#include "store/measurement_table.h"
#include "store/sqlite_statement.h"
#include "store/sqlite_table.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

using namespace qa;
using qa::test::TempDir;

namespace {

// A record with one field of every kind, to exercise what the measurement tables never use.
class AllKindsTable : public SqliteTable {
public:
    AllKindsTable() {
        DefineField(0, "NAME", FieldText, &name);
        DefineField(1, "COUNT", FieldInt, &count);
        DefineField(2, "RATIO", FieldDouble, &ratio);
        DefineField(3, "DATA", FieldBlob, &data);
        DefineField(4, std::string(100, 'x').c_str(), FieldText, &name); // refused: too long
    }
    std::string TableName() const override { return "Things"; }
    int FieldCount() const override { return 4; }

    BufferString name;
    std::int32_t count = 0;
    double ratio = 0.0;
    BufferString data;
};

// Collects the text of every statement the connection runs.
struct StatementLog {
    std::vector<std::string> statements;

    void Attach(sqlite3* db) {
        sqlite3_trace_v2(
            db, SQLITE_TRACE_STMT,
            [](unsigned, void* self, void* statement, void*) {
                const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
                static_cast<StatementLog*>(self)->statements.emplace_back(sql ? sql : "");
                return 0;
            },
            this);
    }
    bool Contains(const std::string& text) const {
        for (const auto& s : statements) {
            if (s == text) {
                return true;
            }
        }
        return false;
    }
};

void RawExec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_close(db);
}

std::string RawScalar(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    std::string result = "<none>";
    {
        SqliteStatement statement = PrepareStatement(db, sql);
        if (statement && sqlite3_step(statement.Get()) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement.Get(), 0);
            result = text ? reinterpret_cast<const char*>(text) : "<null>";
        }
    }
    sqlite3_close(db);
    return result;
}

void AddRow(HbA1cTable& table, const char* date, const char* time, const char* value,
            const char* pid = "P1") {
    ASSERT_TRUE(table.AddNew());
    table.date = date;
    table.time = time;
    table.value = value;
    table.pid = pid;
    table.eqType = "1";
    ASSERT_TRUE(table.Update());
}

class SqliteTableTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("u_HbA1c.sqlite");
    HbA1cTable table;

    void SetUp() override { ASSERT_TRUE(table.SetTableName(kMainTableName)); }
};

} // namespace

TEST_F(SqliteTableTest, NewFileGetsTheTableStatementAsWritten) {
    StatementLog log;
    sqlite3* db = nullptr; // an empty file, so the trace sees the first statement
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_close(db);
    ASSERT_TRUE(table.OpenExisting(path));
    log.Attach(table.Handle());
    ASSERT_TRUE(table.CreateTable());
    EXPECT_TRUE(log.Contains("CREATE TABLE [HospitalTlb] ( [DATE] TEXT,[TIME] TEXT,"
                             "[HbA1c_VALUE] TEXT,[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,"
                             "[p_NAME] TEXT,[p_DOB] TEXT,[P_DIAGNOSE] INT,[P_MEMO] TEXT,"
                             "[RESULT_ID] TEXT)"));
    EXPECT_TRUE(table.CreateTable()) << "an existing table is no failure";
}

TEST_F(SqliteTableTest, MissingColumnIsAddedFilledAndReadAtOnce) {
    RawExec(path, "CREATE TABLE [HospitalTlb] ([DATE] TEXT,[TIME] TEXT,[HbA1c_VALUE] TEXT,"
                  "[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] TEXT,"
                  "[P_DIAGNOSE] INT);"
                  "INSERT INTO HospitalTlb VALUES('20160620','1430','0650','P','','1','','',3);");
    ASSERT_TRUE(table.OpenExisting(path));
    StatementLog log;
    log.Attach(table.Handle());
    ASSERT_TRUE(table.Requery());
    EXPECT_TRUE(log.Contains("ALTER TABLE [HospitalTlb] ADD COLUMN [P_MEMO] TEXT"));
    EXPECT_TRUE(log.Contains("UPDATE HospitalTlb SET [P_MEMO] = \"\""));
    EXPECT_EQ(table.TableColumns(), 11) << "the count after the columns were added";
    EXPECT_EQ(RawScalar(path, "SELECT P_MEMO FROM HospitalTlb"), "");

    // The added columns are bound at once: an ID given to the rows of an old file is seen
    // by the connection that gave it.
    RawExec(path, "UPDATE HospitalTlb SET P_MEMO = 'note'");
    ASSERT_TRUE(table.MoveFirst());
    EXPECT_TRUE(table.memo == "note");
    EXPECT_EQ(table.diagnose, 3);
    EXPECT_EQ(table.resultId.Str(), RawScalar(path, "SELECT RESULT_ID FROM HospitalTlb"));
    EXPECT_EQ(table.resultId.Str().size(), 36U);

    table.Close();
    ASSERT_TRUE(table.Open(path));
    EXPECT_TRUE(table.memo == "note");
}

TEST_F(SqliteTableTest, ColumnThatCannotBeAddedLeavesTheSchemaUnsynced) {
    RawExec(path, "CREATE TABLE [HospitalTlb] ([DATE] TEXT,[TIME] TEXT,[HbA1c_VALUE] TEXT,"
                  "[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] TEXT,"
                  "[P_DIAGNOSE] INT);");
    ASSERT_TRUE(table.OpenExisting(path));
    ASSERT_TRUE(table.Execute("PRAGMA query_only=1")); // the ALTER TABLE fails
    EXPECT_FALSE(table.Requery());
    EXPECT_FALSE(table.IsSchemaSynced());
    EXPECT_EQ(RawScalar(path, "SELECT COUNT(*) FROM pragma_table_info('HospitalTlb')"), "9");

    ASSERT_TRUE(table.Execute("PRAGMA query_only=0"));
    EXPECT_TRUE(table.Requery()) << "the next requery adds the column";
    EXPECT_TRUE(table.IsSchemaSynced());
    EXPECT_EQ(RawScalar(path, "SELECT COUNT(*) FROM pragma_table_info('HospitalTlb')"), "11");
}

TEST_F(SqliteTableTest, ColumnsOfEveryKindAreAddedWithTheirFill) {
    std::string things = dir.File("things.sqlite");
    RawExec(things, "CREATE TABLE Things (NAME TEXT); INSERT INTO Things VALUES ('a');");
    AllKindsTable t;
    ASSERT_TRUE(t.OpenExisting(things));
    StatementLog log;
    log.Attach(t.Handle());
    ASSERT_TRUE(t.Requery());
    EXPECT_TRUE(log.Contains("ALTER TABLE [Things] ADD COLUMN [COUNT] Integer"));
    EXPECT_TRUE(log.Contains("UPDATE Things SET [COUNT] = 0"));
    EXPECT_TRUE(log.Contains("ALTER TABLE [Things] ADD COLUMN [RATIO] Double"));
    EXPECT_TRUE(log.Contains("UPDATE Things SET [RATIO] = 0.0"));
    EXPECT_TRUE(log.Contains("ALTER TABLE [Things] ADD COLUMN [DATA] LongBinary"));
    EXPECT_EQ(RawScalar(things, "SELECT typeof(RATIO) || typeof(DATA) FROM Things"), "realnull");
    EXPECT_EQ(t.Fields().size(), 4u);
}

TEST_F(SqliteTableTest, EveryFieldKindRoundTrips) {
    std::string things = dir.File("things.sqlite");
    AllKindsTable t;
    ASSERT_TRUE(t.OpenOrCreate(things));
    ASSERT_TRUE(t.AddNew());
    t.name = "x";
    t.count = -7;
    t.ratio = 2.5;
    const char blob[] = {1, 0, 2};
    t.data.AssignBytes(blob, sizeof blob);
    ASSERT_TRUE(t.Update());
    ASSERT_TRUE(t.AddNew());
    t.name.Clear(); // no data at all binds NULL
    ASSERT_TRUE(t.Update());

    ASSERT_TRUE(t.Requery());
    EXPECT_TRUE(t.name == "x");
    EXPECT_EQ(t.count, -7);
    EXPECT_DOUBLE_EQ(t.ratio, 2.5);
    ASSERT_EQ(t.data.Length(), 3u);
    EXPECT_EQ(t.data.Data()[2], 2);
    ASSERT_TRUE(t.MoveNext());
    EXPECT_TRUE(t.name == "") << "NULL reads back as the empty text";
    EXPECT_TRUE(t.data.IsEmpty());
    EXPECT_EQ(RawScalar(things, "SELECT COUNT(*) FROM Things WHERE NAME IS NULL"), "1");
}

TEST_F(SqliteTableTest, InvalidFilterFailsBeforeAndAfterTheSchemaSync) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    AddRow(table, "20160620", "1430", "0650");
    table.Close();

    ASSERT_TRUE(table.OpenExisting(path));
    table.filter = "[DATE] = = 'broken";
    EXPECT_FALSE(table.Requery()) << "the schema check runs the filter and fails";
    EXPECT_FALSE(table.IsSchemaSynced());

    table.filter.Clear();
    ASSERT_TRUE(table.Requery());
    EXPECT_FALSE(table.ReadFailed());
    table.filter = "[DATE] = = 'broken";
    const std::string unread = test::Why(table.Requery());
    EXPECT_FALSE(unread.empty()) << "a failed count is an error, not an empty list";
    EXPECT_EQ(unread.rfind(path + ": ", 0), 0u) << unread;
    EXPECT_NE(unread.find("syntax error"), std::string::npos) << unread;
    EXPECT_TRUE(table.ReadFailed());
    EXPECT_EQ(test::Why(table.ReadStatus()), unread);
    const std::string uncounted = test::Why(table.CountRows());
    EXPECT_EQ(uncounted, unread);
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_TRUE(table.IsEOF());
    table.filter.Clear();
    EXPECT_TRUE(table.Requery());
    EXPECT_FALSE(table.ReadFailed());
}

TEST_F(SqliteTableTest, CursorWalksToTheEndAndStops) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    AddRow(table, "20160620", "1430", "0650");
    AddRow(table, "20160621", "0800", "0700");
    table.sort = table.StandardSort();
    ASSERT_TRUE(table.Requery());
    EXPECT_EQ(table.Position(), 1);
    EXPECT_TRUE(table.date == "20160621");
    ASSERT_TRUE(table.MoveNext());
    EXPECT_TRUE(table.date == "20160620");
    EXPECT_FALSE(table.IsEOF());
    EXPECT_TRUE(table.MoveNext()) << "stepping off the last row succeeds once";
    EXPECT_EQ(table.Position(), 3);
    EXPECT_TRUE(table.IsEOF());
    EXPECT_FALSE(table.MoveNext());
    EXPECT_EQ(table.Position(), 3);
    EXPECT_FALSE(table.MoveTo(0));

    table.filter = table.DuplicateCondition("20991231", "0000", "0100", "none");
    EXPECT_FALSE(test::ValueOf(table.RequeryAny()));
    EXPECT_TRUE(table.IsEOF());
    table.filter = table.DuplicateCondition("20160620", "1430", "0650", "P1");
    EXPECT_TRUE(test::ValueOf(table.RequeryAny()));
    EXPECT_EQ(table.RowCount(), 1);
}

// A requery that reads its row ids later: count and first row at once, the list of the
// requery's own clauses when it is first read, with the rows added meanwhile in their places.
TEST_F(SqliteTableTest, DeferredListIsTheFilesListWhenFirstRead) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    AddRow(table, "20160620", "1430", "0650");
    AddRow(table, "20160622", "0800", "0700");
    AddRow(table, "20160621", "0900", "0710", "P2");
    table.sort = table.StandardSort();
    StatementLog log;
    log.Attach(table.Handle());
    ASSERT_TRUE(table.RequeryLater());
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Position(), 1);
    EXPECT_TRUE(table.date == "20160622") << "the first row is loaded";
    const std::string list = "SELECT ROWID FROM [HospitalTlb] ORDER BY " + table.StandardSort();
    EXPECT_FALSE(log.Contains(list)) << "the ids are not read yet";

    // Rows added before the list is read are counted, then listed in their places.
    AddRow(table, "20160623", "1000", "0720");
    EXPECT_EQ(table.RowCount(), 4);
    table.filter = "[PID]='P2'"; // changed after the requery: not what the list follows
    std::vector<std::string> dates;
    ASSERT_TRUE(table.MoveFirst());
    for (; !table.IsEOF(); table.MoveNext()) {
        dates.push_back(table.date.Str());
    }
    EXPECT_EQ(dates, (std::vector<std::string>{"20160623", "20160622", "20160621", "20160620"}));
    EXPECT_TRUE(log.Contains(list));
    EXPECT_TRUE(table.filter == "[PID]='P2'") << "the caller's clauses stay";

    // RowIdAt reads the list without moving the cursor or changing the members.
    table.filter.Clear();
    ASSERT_TRUE(table.RequeryLater());
    table.memo = "kept";
    EXPECT_EQ(table.RowIdAt(4), std::stoi(RawScalar(path, "SELECT ROWID FROM HospitalTlb WHERE "
                                                          "[DATE]='20160620'")));
    EXPECT_TRUE(table.memo == "kept");
    EXPECT_EQ(table.Position(), 1);

    // Nothing matched: an empty list, as Requery leaves it.
    table.filter = "[PID]='nobody'";
    EXPECT_FALSE(test::ValueOf(table.RequeryAny()));
    EXPECT_TRUE(table.IsEOF());
    EXPECT_EQ(table.RowCount(), 0);
    table.filter = "not sql";
    const Expected<bool> unread = table.RequeryAny();
    EXPECT_FALSE(unread) << "a failed read is not an empty list";
    EXPECT_EQ(test::Why(unread).rfind(path + ": ", 0), 0u) << test::Why(unread);
    EXPECT_FALSE(table.RequeryLater());
    EXPECT_TRUE(table.ReadFailed());
}

// Conditions composed with values share one prepared statement, the values bound as they
// were quoted: quotes, question marks and comment marks inside values stay values; a text the
// plain scan cannot be sure of runs as it is written.
TEST_F(SqliteTableTest, ComposedConditionsShareAStatementWithTheirValuesBound) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    const std::vector<std::string> ids = {"O'Brien", "a?b -- c", "P1", "[x]", "\"q\""};
    for (const std::string& id : ids) {
        AddRow(table, "20160620", "1430", "0650", id.c_str());
    }
    StatementLog log;
    log.Attach(table.Handle());
    for (const std::string& id : ids) {
        table.filter = table.DuplicateCondition("20160620", "1430", "0650", id);
        ASSERT_TRUE(test::ValueOf(table.RequeryAny())) << id;
        EXPECT_TRUE(table.pid == id);
        EXPECT_EQ(table.RowCount(), 1);
        table.filter = table.DuplicateCondition("20160620", "1430", "0651", id);
        EXPECT_FALSE(test::ValueOf(table.RequeryAny())) << id;
    }
    for (const std::string& statement : log.statements) {
        EXPECT_EQ(statement.find("0650"), std::string::npos) << statement;
    }
    EXPECT_TRUE(log.Contains("SELECT COUNT (*) FROM [HospitalTlb] WHERE [DATE]=?and [TIME]=?and "
                             "[HbA1c_VALUE]=?and [PID]=? "));

    const std::vector<std::pair<std::string, int>> asWritten = {
        {"[PID] LIKE 'P%' ESCAPE '\\'", 1},
        {"[PID]=X'5031'", 0},
        {"[PID]=:id", 0},
        {"[PID]='P1' -- 'x", 1},
        {"\"PID\"='P1'", 1},
    };
    for (const auto& [condition, count] : asWritten) {
        table.filter = condition;
        EXPECT_EQ(test::ValueOf(table.CountRows()), count) << condition;
    }
}

TEST_F(SqliteTableTest, RowIdListFollowsInsertsAndGrowsInSteps) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    EXPECT_EQ(table.RowIdCapacity(), SqliteTable::kRowIdGrowth);
    ASSERT_TRUE(table.BeginTransaction());
    for (int i = 0; i < SqliteTable::kRowIdGrowth; ++i) {
        AddRow(table, "20160620", "1430", "0650");
        ASSERT_EQ(table.Position(), table.RowCount());
    }
    ASSERT_TRUE(table.CommitTransaction());
    EXPECT_EQ(table.RowCount(), SqliteTable::kRowIdGrowth);
    EXPECT_EQ(table.RowIdCapacity(), 2 * SqliteTable::kRowIdGrowth)
        << "the list grows when the next row would reach its end";
    EXPECT_EQ(table.RowIdAt(table.RowCount()),
              std::stoi(RawScalar(path, "SELECT MAX(ROWID) FROM HospitalTlb")));

    ASSERT_TRUE(table.AddNew());
    const Status again = table.AddNew();
    ASSERT_FALSE(again) << "already adding";
    EXPECT_EQ(again.error(), Message(MessageId::TableBusy, {path}));
    EXPECT_FALSE(table.MoveTo(1)) << "the cursor stays put while a row is being added";
    EXPECT_FALSE(table.UpdateWhere("1=1"));
    ASSERT_TRUE(table.BeginEdit());
    const Status notAdding = table.Update();
    ASSERT_FALSE(notAdding) << "BeginEdit left add mode";
    EXPECT_EQ(notAdding.error(), Message(MessageId::TableRequestRefused, {path}));
    ASSERT_TRUE(table.Requery());
    EXPECT_EQ(table.RowIdCapacity(), SqliteTable::kRowIdGrowth * 2);
}

TEST_F(SqliteTableTest, QuotesSurviveInsertUpdateAndFilter) {
    const std::string tricky = "O'Brien \"Jr\"; DROP TABLE x; --";
    ASSERT_TRUE(table.OpenOrCreate(path));
    AddRow(table, "20160620", "1430", "0650", tricky.c_str());
    table.filter = "[PID]='" + EscapeSqlLiteral(tricky) + "'";
    ASSERT_TRUE(test::ValueOf(table.RequeryAny()));
    EXPECT_TRUE(table.pid == tricky);

    ASSERT_TRUE(table.BeginEdit());
    table.name = "D'Arcy";
    table.memo = "said \"hello\"";
    ASSERT_TRUE(table.UpdateWhere(table.RecordCondition("20160620", "1430", "0650", tricky, "")));
    table.filter = "[p_NAME]='" + EscapeSqlLiteral("D'Arcy") + "'";
    ASSERT_TRUE(test::ValueOf(table.RequeryAny()));
    EXPECT_TRUE(table.memo == "said \"hello\"");
    EXPECT_TRUE(table.pid == tricky);
    EXPECT_EQ(RawScalar(path, "SELECT COUNT(*) FROM HospitalTlb"), "1");
}

TEST_F(SqliteTableTest, WiderTableIsFilledByColumnNamesWithValuesUnchanged) {
    RawExec(path, "CREATE TABLE [HospitalTlb] ([DATE] TEXT,[TIME] TEXT,[HbA1c_VALUE] TEXT,"
                  "[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] TEXT,"
                  "[P_DIAGNOSE] INT,[P_MEMO] TEXT,[SITE] TEXT DEFAULT 'ward 3')");
    ASSERT_TRUE(table.Open(path));
    EXPECT_EQ(table.TableColumns(), 12) << "with the result ID added";
    ASSERT_TRUE(table.AddNew());
    table.date = "20160620";
    table.pid = "DATE"; // a column name: as a double-quoted literal it would read the column
    table.name = "say \"hi\" 'there'";
    table.diagnose = 4;
    ASSERT_TRUE(table.Update());
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_EQ(RawScalar(path, "SELECT PID || '|' || p_NAME || '|' || P_DIAGNOSE || '|' || SITE "
                              "FROM HospitalTlb"),
              "DATE|say \"hi\" 'there'|4|ward 3");
}

TEST_F(SqliteTableTest, FailedInsertAppendsNothingAndLeavesAddMode) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    AddRow(table, "20160620", "1430", "0650");
    ASSERT_TRUE(table.Requery());

    // Another connection holds the write lock: the insert cannot happen.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(table.AddNew());
    table.date = "20160621";
    // The failure names the file and SQLite's reason.
    EXPECT_EQ(test::Why(table.Update()), path + ": database is locked");
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.Position(), 1);
    EXPECT_FALSE(table.IsAdding());
    ASSERT_TRUE(table.BeginEdit());
    EXPECT_EQ(test::Why(table.UpdateWhere("[DATE]='20160620'")), path + ": database is locked")
        << "a blocked change is no success";
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_TRUE(table.AddNew()) << "the object is usable again";
}

TEST_F(SqliteTableTest, SortOrderFollowsTheFixedWidthTexts) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    AddRow(table, "20160620", "1430", "0600");
    AddRow(table, "20160620", "1430", "0650");
    AddRow(table, "20160620", "0930", "1400");
    AddRow(table, "20150101", "2359", "0400");
    ASSERT_TRUE(table.ResetView());
    std::vector<std::string> order;
    for (table.MoveFirst(); !table.IsEOF(); table.MoveNext()) {
        order.push_back(table.date.Str() + " " + table.time.Str() + " " + table.value.Str());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"20160620 1430 0650", "20160620 1430 0600",
                                               "20160620 0930 1400", "20150101 2359 0400"}));
}

TEST_F(SqliteTableTest, DeleteByConditionAndDropTable) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    AddRow(table, "20160620", "1430", "0650", "A");
    AddRow(table, "20160620", "1430", "0650", "B");
    table.filter = table.RecordCondition("20160620", "1430", "0650", "A", "");
    ASSERT_TRUE(table.DeleteWhere());
    EXPECT_EQ(table.Position(), 1);
    table.filter.Clear();
    ASSERT_TRUE(table.Requery());
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_TRUE(table.pid == "B");
    table.filter = "no such column = 1";
    EXPECT_FALSE(table.DeleteWhere());
    EXPECT_EQ(RawScalar(path, "SELECT COUNT(*) FROM HospitalTlb"), "1");

    ASSERT_TRUE(table.DropTable());
    EXPECT_FALSE(table.DropTable()) << "a table that is not there was not dropped";
    ASSERT_TRUE(table.CreateTable());
    table.filter.Clear();
    ASSERT_TRUE(table.Requery());
    EXPECT_EQ(table.RowCount(), 0);
    AddRow(table, "20170101", "0000", "0500");
    EXPECT_EQ(RawScalar(path, "SELECT COUNT(*) FROM HospitalTlb"), "1");
}

// Another program drops the table under an open connection: every operation fails naming the
// file and SQLite's reason, the cached statements included, and a walk keeps its reason for
// the caller that steps it.
TEST_F(SqliteTableTest, ATableDroppedUnderTheProgramIsNamedInEveryFailure) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    AddRow(table, "20160620", "1430", "0650");
    ASSERT_TRUE(table.Requery());
    RawExec(path, "DROP TABLE HospitalTlb");
    const std::string gone = path + ": no such table: HospitalTlb";
    EXPECT_EQ(test::Why(table.Requery()), gone);
    EXPECT_EQ(test::Why(table.RequeryAny()), gone);
    EXPECT_EQ(test::Why(table.StartWalk({0, 1})), gone);
    EXPECT_FALSE(table.WalkNext());
    EXPECT_EQ(test::Why(table.WalkStatus()), gone);
    table.EndWalk();
    EXPECT_TRUE(table.WalkStatus()) << "a walk's failure ends with it";
    EXPECT_EQ(test::Why(table.ForEachRow([] { return true; })), gone);
    EXPECT_EQ(test::Why(table.ForEachRowId("PID", [](int, std::string_view) {})), gone);
    EXPECT_EQ(test::Why(table.LoadRowById(1)), gone);
    EXPECT_EQ(test::Why(table.DeleteWhere()), gone);
    ASSERT_TRUE(table.AddNew());
    EXPECT_EQ(test::Why(table.Update()), gone);
    ASSERT_TRUE(table.BeginEdit());
    EXPECT_EQ(test::Why(table.UpdateWhere("1=1")), gone);
    EXPECT_EQ(test::Why(table.DropTable()), gone);
    // Made again, the table serves as before.
    ASSERT_TRUE(table.CreateTable());
    EXPECT_TRUE(table.Requery()) << test::Why(table.Requery());
    table.Close();
    EXPECT_EQ(table.Requery().error(), Message(MessageId::TableNotOpen));
}

TEST_F(SqliteTableTest, BadFilesAreRefusedAndNothingIsLeftOpen) {
    EXPECT_FALSE(table.OpenExisting(dir.File("missing.sqlite")));
    EXPECT_FALSE(table.IsOpen());
    EXPECT_FALSE(table.OpenOrCreate(dir.File("no/such/folder/x.sqlite")));
    EXPECT_FALSE(table.IsOpen());
    EXPECT_FALSE(table.OpenOrCreate("")) << "not a temporary database whose rows vanish";
    EXPECT_FALSE(table.IsOpen());
    EXPECT_FALSE(table.Requery());
    EXPECT_EQ(test::ValueOf(table.CountRows()), 0);
    const Status closed = table.Execute("SELECT 1");
    ASSERT_FALSE(closed);
    EXPECT_EQ(closed.error().id, MessageId::TableNotOpen);

    std::string garbage = dir.File("garbage.sqlite");
    qa::test::WriteFile(garbage, std::string(4096, 'G'));
    // The refusal names the file, with SQLite's own words as they are.
    const std::string refused = test::Why(table.Open(garbage));
    EXPECT_EQ(refused, garbage + ": file is not a database");
    EXPECT_FALSE(table.IsOpen());
    EXPECT_FALSE(table.OpenOrCreate(garbage)) << "a file that is not a database is no table";
    EXPECT_FALSE(table.IsOpen());
    EXPECT_EQ(qa::test::ReadFile(garbage), std::string(4096, 'G')) << "and it is left alone";

    ASSERT_TRUE(table.OpenOrCreate(path));
    EXPECT_FALSE(table.OpenOrCreate(path)) << "one file per object at a time";
    table.Close();
    table.Close(); // a second close is harmless
    EXPECT_FALSE(table.IsOpen());
    EXPECT_TRUE(table.Path().IsEmpty());
}

TEST_F(SqliteTableTest, WalkReadsExactlyTheListedRowsWhateverHappensBetween) {
    ASSERT_TRUE(table.OpenOrCreate(path));
    ASSERT_TRUE(table.BeginTransaction());
    for (int i = 0; i < 20; ++i) {
        char time[8];
        std::snprintf(time, sizeof time, "%04d", 1000 + i);
        AddRow(table, "20160620", time, "0650");
    }
    ASSERT_TRUE(table.CommitTransaction());
    ASSERT_TRUE(table.ResetView());

    // Another program removes a listed row after the requery: the list still names it and
    // the cursor reads it as empty, while every other row is the row the list names.
    RawExec(path, "DELETE FROM HospitalTlb WHERE TIME = '1016'");
    std::vector<std::string> times;
    for (; !table.IsEOF(); table.MoveNext()) {
        times.push_back(table.time.Str());
        if (times.size() == 5) {
            // A change through this object in the middle of the walk is seen at once.
            ASSERT_TRUE(table.BeginEdit());
            table.time = "2222";
            ASSERT_TRUE(table.UpdateWhere("[TIME]='1014'"));
        }
        EXPECT_EQ(table.CurrentRowId(), table.RowIdAt(table.Position()));
    }
    ASSERT_EQ(times.size(), 20u);
    EXPECT_EQ(times[0], "1019");
    EXPECT_EQ(times[3], "") << "the deleted row";
    EXPECT_EQ(times[5], "2222") << "updated mid-walk";
    EXPECT_EQ(times[19], "1000");

    // Jumping back and walking again gives the same rows.
    ASSERT_TRUE(table.MoveTo(18));
    EXPECT_TRUE(table.time == "1002");
    ASSERT_TRUE(table.MoveTo(2));
    ASSERT_TRUE(table.MoveNext());
    EXPECT_TRUE(table.time == "1017");

    // A full walk lets go of its read lock: another connection can write afterwards.
    for (; !table.IsEOF(); table.MoveNext()) {
    }
    RawExec(path, "INSERT INTO HospitalTlb (DATE) VALUES ('20990101')");
}
