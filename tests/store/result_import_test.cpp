#include "store/result_import.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

using namespace qa;

namespace {

// Every stored row as "DATE TIME value PID OPID EQ_TYPE DOB", in insertion order.
std::vector<std::string> Snapshot(MeasurementTable& table) {
    std::vector<std::string> rows;
    table.filter.Clear();
    table.sort = "ROWID";
    EXPECT_TRUE(table.ForEachRow([&] {
        rows.push_back(table.date.Str() + " " + table.time.Str() + " " + table.value.Str() + " " +
                       table.pid.Str() + " " + table.opid.Str() + " " + table.eqType.Str() + " " +
                       table.dob.Str());
        return true;
    }));
    return rows;
}

template <class Table> struct Files {
    explicit Files(const qa::test::TempDir& dir, const std::string& stem) {
        EXPECT_TRUE(main.SetTableName(kMainTableName));
        EXPECT_TRUE(download.SetTableName(kDownloadTableName));
        EXPECT_TRUE(main.OpenOrCreate(dir.File("u_" + stem + ".sqlite")));
        EXPECT_TRUE(download.OpenOrCreate(dir.File("u_" + stem + "Down.sqlite")));
    }
    // Stores the results as one import; the count of new ones, or why nothing was stored.
    Expected<int> Import(const std::vector<MeterResult>& results) {
        Expected<ResultImport> import = ResultImport::Begin(main, download);
        if (!import) {
            return import.error();
        }
        for (const MeterResult& result : results) {
            Expected<bool> added = import->Add(result);
            if (!added) {
                return added.error();
            }
        }
        if (Status committed = import->Commit(); !committed) {
            return committed.error();
        }
        return import->Stored();
    }
    Table main;
    Table download;
};

const MeterResult kBase{"20160620", "1430", "0650", "PATIENT0000001", ""};

MeterResult With(MeterResult result, std::string MeterResult::*field, std::string value) {
    result.*field = std::move(value);
    return result;
}

int StoredOrFailed(const Expected<int>& stored) {
    return stored.ok() ? *stored : -1;
}

class ResultImportTest : public ::testing::Test {
protected:
    qa::test::TempDir dir;
    Files<HbA1cTable> hba1c{dir, "HbA1c"};
    Files<GlucoseTable> glucose{dir, "Glucose"};
};

} // namespace

// The same patient's same value at the same minute is stored once; a difference in any one
// part of the key makes a new result.
TEST_F(ResultImportTest, HbA1cDuplicateKeyIsDateTimeValueAndPatient) {
    ASSERT_EQ(StoredOrFailed(hba1c.Import({kBase})), 1);
    EXPECT_EQ(StoredOrFailed(hba1c.Import({kBase})), 0) << "the same result again";
    struct Case {
        const char* what;
        MeterResult result;
    } cases[] = {
        {"a later day", With(kBase, &MeterResult::date, "20160621")},
        {"another minute", With(kBase, &MeterResult::time, "1431")},
        {"another value", With(kBase, &MeterResult::value, "0660")},
        {"another patient", With(kBase, &MeterResult::pid, "PATIENT0000002")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(StoredOrFailed(hba1c.Import({c.result})), 1) << "new";
        EXPECT_EQ(StoredOrFailed(hba1c.Import({c.result, kBase})), 0) << "and now known";
    }
    EXPECT_EQ(Snapshot(hba1c.main).size(), 5u);
    EXPECT_EQ(Snapshot(hba1c.download).size(), 5u);
}

TEST_F(ResultImportTest, GlucoseDuplicateKeyIsDateTimeAndValueOnly) {
    const MeterResult base{"20160620", "1430", "110", "00000000000000", "00000000000000"};
    ASSERT_EQ(StoredOrFailed(glucose.Import({base})), 1);
    for (auto [field, value] :
         {std::pair{&MeterResult::date, "20160621"}, std::pair{&MeterResult::time, "1431"},
          std::pair{&MeterResult::value, "111"}}) {
        EXPECT_EQ(StoredOrFailed(glucose.Import({With(base, field, value)})), 1);
    }
    // Glucose results carry no patient: another ID is no reason to store it again.
    EXPECT_EQ(StoredOrFailed(glucose.Import({With(base, &MeterResult::pid, "SOMEONE ELSE  ")})), 0);
    EXPECT_EQ(Snapshot(glucose.main).size(), 4u);
}

TEST_F(ResultImportTest, RowsOfBothFilesCarryTheRecordAndTheKindsFixedColumns) {
    ASSERT_EQ(StoredOrFailed(hba1c.Import({With(kBase, &MeterResult::pid, "O'Brien,J.    ")})), 1);
    EXPECT_EQ(Snapshot(hba1c.main),
              std::vector<std::string>{"20160620 1430 0650 O'Brien,J.      1 19000101"});
    EXPECT_EQ(Snapshot(hba1c.download),
              std::vector<std::string>{"20160620 1430 0650 O'Brien,J.      1 "});
    const MeterResult sugar{"20160620", "1430", "110", "00000000000000", "00000000000000"};
    ASSERT_EQ(StoredOrFailed(glucose.Import({sugar})), 1);
    EXPECT_EQ(Snapshot(glucose.main),
              std::vector<std::string>{"20160620 1430 110 00000000000000 00000000000000 2 "});
}

// A failure anywhere while storing leaves both files exactly as they were.
TEST_F(ResultImportTest, StoringIsAllOrNothingAcrossBothFiles) {
    ASSERT_EQ(StoredOrFailed(hba1c.Import({kBase})), 1);
    const auto mainBefore = Snapshot(hba1c.main);
    const auto downloadBefore = Snapshot(hba1c.download);
    std::vector<MeterResult> batch;
    for (int i = 0; i < 5; ++i) {
        batch.push_back(With(kBase, &MeterResult::time, "15" + std::to_string(10 + i)));
    }
    auto expectUnchanged = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Snapshot(hba1c.main), mainBefore);
        EXPECT_EQ(Snapshot(hba1c.download), downloadBefore);
    };

    // Dropped part-way without a commit (an exception, an early return, a kill of the caller).
    {
        Expected<ResultImport> import = ResultImport::Begin(hba1c.main, hba1c.download);
        ASSERT_TRUE(import.ok());
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(import->Add(batch[static_cast<std::size_t>(i)]).ok());
        }
        EXPECT_EQ(import->Stored(), 3);
    }
    expectUnchanged("dropped without a commit");

    // The download file refuses the fourth insert: the three before it go too, in both files.
    ASSERT_TRUE(hba1c.download.Execute(
        "CREATE TRIGGER refuse BEFORE INSERT ON DownLoadData WHEN NEW.TIME='1513' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    Expected<int> failed = hba1c.Import(batch);
    ASSERT_FALSE(failed.ok());
    // The refusal names the file that refused and what it said.
    EXPECT_EQ(failed.error(),
              Message(MessageId::NotSaved, {hba1c.download.Path().Str() + ": disk full"}));
    expectUnchanged("an insert failed in the middle");
    ASSERT_TRUE(hba1c.download.Execute("DROP TRIGGER refuse"));

    // The main file refuses to commit after the download file did: its rows are taken back.
    sqlite3_commit_hook(
        hba1c.main.Handle(), [](void*) { return 1; }, nullptr);
    failed = hba1c.Import(batch);
    sqlite3_commit_hook(hba1c.main.Handle(), nullptr, nullptr);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().id, MessageId::NotSaved);
    expectUnchanged("the main file's commit failed");

    EXPECT_EQ(StoredOrFailed(hba1c.Import(batch)), 5) << "and the same batch stores afterwards";
}

TEST_F(ResultImportTest, CommittedImportTakesNothingMore) {
    Expected<ResultImport> import = ResultImport::Begin(hba1c.main, hba1c.download);
    ASSERT_TRUE(import.ok());
    ASSERT_TRUE(import->Add(kBase).ok());
    ASSERT_TRUE(import->Commit().ok());
    EXPECT_FALSE(import->Add(With(kBase, &MeterResult::time, "1431")).ok());
    EXPECT_FALSE(import->Commit().ok());
    EXPECT_EQ(Snapshot(hba1c.main).size(), 1u);
}

TEST_F(ResultImportTest, TablesOfDifferentKindsAreRefused) {
    Expected<ResultImport> import = ResultImport::Begin(hba1c.main, glucose.download);
    ASSERT_FALSE(import.ok());
    EXPECT_EQ(import.error().id, MessageId::WrongKind);
}

TEST_F(ResultImportTest, EmptyingTheDownloadListKeepsTheMainTable) {
    ASSERT_EQ(StoredOrFailed(hba1c.Import({kBase})), 1);
    ASSERT_TRUE(EmptyDownloadList(hba1c.download).ok());
    EXPECT_TRUE(Snapshot(hba1c.download).empty());
    EXPECT_EQ(Snapshot(hba1c.main).size(), 1u);
    EXPECT_TRUE(EmptyDownloadList(hba1c.download).ok()) << "an empty list stays empty";
    ASSERT_EQ(StoredOrFailed(hba1c.Import({With(kBase, &MeterResult::time, "1431")})), 1);
    EXPECT_EQ(Snapshot(hba1c.download).size(), 1u) << "the new table takes rows";
}
