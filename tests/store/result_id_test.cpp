#include "status_text.h"
#include "store/name_uuid.h"
#include "store/record_edit.h"
#include "store/removed_results.h"
#include "store/result_delete.h"
#include "store/result_import.h"
#include "store/result_lookup.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using namespace qa;

namespace {

// Runs statements on a file through a connection of its own, as another program would.
void Sql(const std::string& path, const std::string& statements) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// The file as the Windows program left it: the ten columns, no result ID.
void WriteOldFile(const std::string& path, int rows) {
    std::string sql = "CREATE TABLE [HospitalTlb] ([DATE] TEXT, [TIME] TEXT, [HbA1c_VALUE] TEXT, "
                      "[PID] TEXT, [OPID] TEXT, [EQ_TYPE] TEXT, [p_NAME] TEXT, [p_DOB] TEXT, "
                      "[P_DIAGNOSE] INT, [P_MEMO] TEXT);";
    for (int i = 0; i < rows; ++i) {
        sql += "INSERT INTO [HospitalTlb] VALUES ('201606" + std::to_string(10 + i) +
               "', '1430', '0650', 'P" + std::to_string(i) + "', '', '1', '', '19000101', 0, '');";
    }
    Sql(path, sql);
}

// Every row's result ID, by patient ID.
std::map<std::string, std::string> IdsByPatient(MeasurementTable& table) {
    std::map<std::string, std::string> ids;
    table.filter.Clear();
    table.sort = "ROWID";
    EXPECT_TRUE(table.ForEachRow([&] {
        ids[table.pid.Str()] = table.resultId.Str();
        return true;
    }));
    return ids;
}

int Count(MeasurementTable& table) {
    table.filter.Clear();
    return test::ValueOf(table.CountRows());
}

bool IsRandomUuid(const std::string& text) {
    const std::optional<Uuid> uuid = ParseUuid(text);
    // Version 4, RFC 9562 variant, lower case as stored.
    return uuid && ((*uuid)[6] >> 4) == 4 && ((*uuid)[8] & 0xC0) == 0x80 && UuidText(*uuid) == text;
}

template <class Table> struct Files {
    Files(const test::TempDir& dir, const std::string& stem) {
        EXPECT_TRUE(main.SetTableName(kMainTableName));
        EXPECT_TRUE(download.SetTableName(kDownloadTableName));
        EXPECT_TRUE(main.OpenOrCreate(dir.File("u_" + stem + ".sqlite")));
        EXPECT_TRUE(download.OpenOrCreate(dir.File("u_" + stem + "Down.sqlite")));
    }
    struct Outcome {
        int stored = -1;
        int deleted = 0;
        int corrected = 0;
    };
    Outcome Import(const std::vector<MeterResult>& results) {
        Outcome outcome;
        EXPECT_TRUE(EmptyDownloadList(download).ok());
        Expected<ResultImport> import = ResultImport::Begin(main, download);
        if (!import) {
            ADD_FAILURE() << "import refused";
            return outcome;
        }
        for (const MeterResult& result : results) {
            if (!import->Add(result).ok()) {
                ADD_FAILURE() << "result refused";
                return outcome;
            }
        }
        EXPECT_TRUE(import->Commit().ok());
        outcome.stored = import->Stored();
        outcome.deleted = import->SkippedDeleted();
        outcome.corrected = import->SkippedCorrected();
        return outcome;
    }
    ListRow Find(const std::string& id) {
        const std::optional<ListRow> row = test::ValueOf(FindResultById(main, id));
        EXPECT_TRUE(row.has_value()) << id;
        return row.value_or(ListRow{});
    }
    std::string IdOf(const std::string& pid) { return IdsByPatient(main)[pid]; }
    Table main;
    Table download;
};

const std::vector<MeterResult> kMeter = {
    {"20260101", "0900", "0650", "P0000000001001", ""},
    {"20260102", "0900", "0710", "P0000000001001", ""},
    {"20260103", "0900", "0820", "P0000000001003", ""},
};

RecordEdit EditOf(const ListRow& row) {
    RecordEdit edit;
    edit.patientId = row.patientId;
    edit.patientName = row.patientName;
    edit.birthday = ParseStoredBirthday(row.birthday).value_or(BirthDate{});
    edit.diagnosis = row.diagnosis;
    edit.memo = row.memo;
    return edit;
}

class ResultIdTest : public ::testing::Test {
protected:
    test::TempDir dir;
    Files<HbA1cTable> hba1c{dir, "HbA1c"};
};

TEST_F(ResultIdTest, EveryStoredResultGetsItsOwnRandomIdSharedWithItsDownloadRow) {
    ASSERT_EQ(hba1c.Import(kMeter).stored, 3);
    const auto ids = IdsByPatient(hba1c.main);
    std::set<std::string> distinct;
    hba1c.main.filter.Clear();
    ASSERT_TRUE(hba1c.main.ForEachRow([&] {
        EXPECT_TRUE(IsRandomUuid(hba1c.main.resultId.Str())) << hba1c.main.resultId.Str();
        distinct.insert(hba1c.main.resultId.Str());
        return true;
    }));
    EXPECT_EQ(distinct.size(), 3U);
    // The download list names the same results, so it carries the same IDs.
    std::set<std::string> downloaded;
    hba1c.download.filter.Clear();
    ASSERT_TRUE(hba1c.download.ForEachRow([&] {
        downloaded.insert(hba1c.download.resultId.Str());
        return true;
    }));
    EXPECT_EQ(downloaded, distinct);
}

TEST(ResultIdInstallations, TwoInstallationsGiveTheSameMeterResultsDifferentIds) {
    test::TempDir first;
    test::TempDir second;
    Files<HbA1cTable> a{first, "HbA1c"};
    Files<HbA1cTable> b{second, "HbA1c"};
    ASSERT_EQ(a.Import(kMeter).stored, 3);
    ASSERT_EQ(b.Import(kMeter).stored, 3);
    std::set<std::string> all;
    for (auto* files : {&a, &b}) {
        files->main.filter.Clear();
        ASSERT_TRUE(files->main.ForEachRow([&] {
            all.insert(files->main.resultId.Str());
            return true;
        }));
    }
    EXPECT_EQ(all.size(), 6U);
}

TEST(ResultIdOldFile, AReadOnlyOpenReadsIdsEmptyAndWritesNothingAWritableOneGivesThemOnce) {
    test::TempDir dir;
    const std::string path = dir.File("old.sqlite");
    WriteOldFile(path, 3);
    const std::string before = test::ReadFile(path);
    {
        HbA1cTable reader;
        reader.SetReadOnly(true);
        ASSERT_TRUE(reader.SetTableName(kMainTableName));
        ASSERT_TRUE(reader.Open(path));
        EXPECT_EQ(reader.RowCount(), 3);
        const auto ids = IdsByPatient(reader);
        ASSERT_EQ(ids.size(), 3U);
        for (const auto& [pid, id] : ids) {
            EXPECT_EQ(id, "") << pid;
        }
        // The list's own narrow walk, with the ID asked for, reads it empty as well.
        reader.filter.Clear();
        ASSERT_TRUE(reader.StartWalk({0, 3, MeasurementTable::kResultIdField}));
        int walked = 0;
        while (reader.WalkNext()) {
            EXPECT_EQ(reader.resultId.Str(), "");
            ++walked;
        }
        EXPECT_TRUE(reader.WalkStatus()) << test::Why(reader.WalkStatus());
        EXPECT_EQ(walked, 3);
        reader.EndWalk();
    }
    EXPECT_EQ(test::ReadFile(path), before) << "a read-only open changed the file";

    std::map<std::string, std::string> first;
    {
        HbA1cTable writer;
        ASSERT_TRUE(writer.SetTableName(kMainTableName));
        ASSERT_TRUE(writer.Open(path));
        first = IdsByPatient(writer);
    }
    ASSERT_EQ(first.size(), 3U);
    std::set<std::string> distinct;
    for (const auto& [pid, id] : first) {
        EXPECT_TRUE(IsRandomUuid(id)) << pid << " " << id;
        distinct.insert(id);
    }
    EXPECT_EQ(distinct.size(), 3U);
    HbA1cTable again;
    ASSERT_TRUE(again.SetTableName(kMainTableName));
    ASSERT_TRUE(again.Open(path));
    EXPECT_EQ(IdsByPatient(again), first) << "a later open gave new IDs";
}

TEST_F(ResultIdTest, AnEditKeepsTheIdAndFindsTheResultByItWhateverChangedMeanwhile) {
    ASSERT_EQ(hba1c.Import(kMeter).stored, 3);
    const std::string id = hba1c.IdOf("P0000000001003");
    ListRow row = hba1c.Find(id);
    // Another program changes the patient ID after the list was read: the list's row no
    // longer matches by its values, but its ID still names it.
    Sql(dir.File("u_HbA1c.sqlite"),
        "UPDATE HospitalTlb SET PID='P0000000009999' WHERE PID='P0000000001003'");
    RecordEdit edit = EditOf(row);
    edit.patientName = "Kim";
    edit.memo = "second look";
    ASSERT_TRUE(ModifyRecord(hba1c.main, row, edit, row.rowId));
    const ListRow after = hba1c.Find(id);
    EXPECT_EQ(after.resultId, id);
    EXPECT_EQ(after.patientName, "Kim");
    EXPECT_EQ(after.memo, "second look");
    EXPECT_EQ(Count(hba1c.main), 3) << "no row added or lost";
}

TEST_F(ResultIdTest, ADeletedResultIsSkippedByTheNextDownloadAndCounted) {
    ASSERT_EQ(hba1c.Import(kMeter).stored, 3);
    const std::string id = hba1c.IdOf("P0000000001003");
    ASSERT_TRUE(DeleteRecord(hba1c.main, hba1c.Find(id)));
    const auto outcome = hba1c.Import(kMeter);
    EXPECT_EQ(outcome.stored, 0);
    EXPECT_EQ(outcome.deleted, 1);
    EXPECT_EQ(outcome.corrected, 0);
    EXPECT_FALSE(test::ValueOf(FindResultById(hba1c.main, id)).has_value());
    EXPECT_EQ(IdsByPatient(hba1c.main).count("P0000000001003"), 0U);
    // A new result of the same patient is not the deleted one.
    MeterResult later = kMeter[2];
    later.time = "0901";
    EXPECT_EQ(hba1c.Import({later}).stored, 1);
}

TEST_F(ResultIdTest, TheMetersOriginalOfACorrectedPatientIdDoesNotComeBack) {
    ASSERT_EQ(hba1c.Import(kMeter).stored, 3);
    const std::string id = hba1c.IdOf("P0000000001003");
    ListRow row = hba1c.Find(id);
    RecordEdit edit = EditOf(row);
    edit.patientId = "P0000000001002";
    ASSERT_TRUE(ModifyRecord(hba1c.main, row, edit, row.rowId));
    const auto outcome = hba1c.Import(kMeter);
    EXPECT_EQ(outcome.stored, 0);
    EXPECT_EQ(outcome.corrected, 1);
    EXPECT_EQ(outcome.deleted, 0);
    const auto ids = IdsByPatient(hba1c.main);
    EXPECT_EQ(ids.count("P0000000001003"), 0U) << "the wrong-patient original is back";
    EXPECT_EQ(ids.at("P0000000001002"), id);
    // A change of the name alone is no correction of what the meter sent.
    ListRow other = hba1c.Find(hba1c.IdOf("P0000000001001"));
    RecordEdit rename = EditOf(other);
    rename.patientName = "Lee";
    ASSERT_TRUE(ModifyRecord(hba1c.main, other, rename, other.rowId));
    EXPECT_TRUE(
        test::ValueOf(FindRemoved(hba1c.main, other.resultId, RemovedReason::Corrected)).empty());
}

TEST_F(ResultIdTest, ADeleteWhoseMemoryCannotBeWrittenDeletesNothing) {
    ASSERT_EQ(hba1c.Import(kMeter).stored, 3);
    const std::string id = hba1c.IdOf("P0000000001003");
    ASSERT_TRUE(EnsureRemovedTable(hba1c.main));
    Sql(dir.File("u_HbA1c.sqlite"), "CREATE TRIGGER refuse BEFORE INSERT ON RemovedResults "
                                    "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    // The refusal names the file and what SQLite said.
    const std::string path = dir.File("u_HbA1c.sqlite");
    EXPECT_EQ(test::Why(DeleteRecord(hba1c.main, hba1c.Find(id))), path + ": refused");
    hba1c.Find(id); // still stored
    Sql(dir.File("u_HbA1c.sqlite"), "DROP TRIGGER refuse");
    ListRow row = hba1c.Find(id);
    Sql(dir.File("u_HbA1c.sqlite"), "CREATE TRIGGER refuse BEFORE INSERT ON RemovedResults "
                                    "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    RecordEdit edit = EditOf(row);
    edit.patientId = "P0000000001002";
    EXPECT_EQ(test::Why(ModifyRecord(hba1c.main, row, edit, row.rowId)), path + ": refused");
    EXPECT_EQ(hba1c.Find(id).patientId, "P0000000001003") << "changed without its memory";
}

TEST_F(ResultIdTest, AReadOnlyFileRefusesTheEditAndTheDeleteAndRemembersNothing) {
    ASSERT_EQ(hba1c.Import(kMeter).stored, 3);
    const std::string id = hba1c.IdOf("P0000000001003");
    const std::string path = dir.File("u_HbA1c.sqlite");
    hba1c.main.Close();
    const std::string before = test::ReadFile(path);
    HbA1cTable reader;
    reader.SetReadOnly(true);
    ASSERT_TRUE(reader.SetTableName(kMainTableName));
    ASSERT_TRUE(reader.Open(path));
    const std::optional<ListRow> found = test::ValueOf(FindResultById(reader, id));
    ASSERT_TRUE(found.has_value());
    const ListRow row = *found;
    RecordEdit edit = EditOf(row);
    edit.patientId = "P0000000001002";
    // Each refusal names the file and SQLite's reason.
    const std::string readOnly = path + ": attempt to write a readonly database";
    EXPECT_EQ(test::Why(ModifyRecord(reader, row, edit, row.rowId)), readOnly);
    EXPECT_EQ(test::Why(DeleteRecord(reader, row)), readOnly);
    EXPECT_FALSE(RestoreDeleted(reader, id, "").ok());
    reader.Close();
    EXPECT_EQ(test::ReadFile(path), before);
}

TEST_F(ResultIdTest, APutBackBringsTheSameResultAndIdAndForgetsTheDeletion) {
    ASSERT_EQ(hba1c.Import(kMeter).stored, 3);
    const std::string id = hba1c.IdOf("P0000000001003");
    ListRow row = hba1c.Find(id);
    RecordEdit edit = EditOf(row);
    edit.patientName = "Park";
    edit.memo = "kept";
    edit.diagnosis = 2;
    ASSERT_TRUE(ModifyRecord(hba1c.main, row, edit, row.rowId));
    ASSERT_TRUE(DeleteRecord(hba1c.main, hba1c.Find(id)));

    EXPECT_EQ(RestoreDeleted(hba1c.main, "00000000-0000-4000-8000-000000000000", "").error().id,
              MessageId::ResultNotFound);
    ASSERT_TRUE(RestoreDeleted(hba1c.main, id, "").ok());
    const ListRow back = hba1c.Find(id);
    EXPECT_EQ(back.date, row.date);
    EXPECT_EQ(back.time, row.time);
    EXPECT_EQ(back.value, row.value);
    EXPECT_EQ(back.patientId, row.patientId);
    EXPECT_EQ(back.patientName, "Park");
    EXPECT_EQ(back.memo, "kept");
    EXPECT_EQ(back.diagnosis, 2);
    EXPECT_TRUE(test::ValueOf(FindRemoved(hba1c.main, id, RemovedReason::Deleted)).empty());
    // Put back once: a second put-back has nothing to bring.
    EXPECT_EQ(RestoreDeleted(hba1c.main, id, "").error().id, MessageId::ResultNotFound);
    // Stored again, it is simply known to the next download.
    const auto outcome = hba1c.Import(kMeter);
    EXPECT_EQ(outcome.stored, 0);
    EXPECT_EQ(outcome.deleted, 0);
    EXPECT_EQ(Count(hba1c.main), 3);
}

TEST(ResultIdGlucose, AGlucoseDeletionIsKeyedWithoutThePatient) {
    test::TempDir dir;
    Files<GlucoseTable> glucose{dir, "Glucose"};
    const std::vector<MeterResult> meter = {{"20260101", "0900", "110", "GLUCOSE", "GLUCOSE"},
                                            {"20260101", "0910", "120", "GLUCOSE", "GLUCOSE"}};
    ASSERT_EQ(glucose.Import(meter).stored, 2);
    std::string id;
    glucose.main.filter = "[TIME]='0910'";
    ASSERT_TRUE(glucose.main.ForEachRow([&] {
        id = glucose.main.resultId.Str();
        return false;
    }));
    ASSERT_TRUE(DeleteRecord(glucose.main, glucose.Find(id)));
    MeterResult again = meter[1];
    again.pid = "OTHER"; // the glucose duplicate test never looked at it
    const auto outcome = glucose.Import({meter[0], again});
    EXPECT_EQ(outcome.stored, 0);
    EXPECT_EQ(outcome.deleted, 1);
    ASSERT_TRUE(RestoreDeleted(glucose.main, id, "").ok());
    EXPECT_EQ(glucose.Find(id).value, "120");
}

} // namespace
