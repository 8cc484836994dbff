#include "status_text.h"
#include "store/csv_export.h"
#include "store/result_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

using namespace qa;

namespace {

class ResultListStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (MeasurementTable* table :
             {static_cast<MeasurementTable*>(&hba1c), static_cast<MeasurementTable*>(&glucose)}) {
            ASSERT_TRUE(table->SetTableName(kMainTableName));
        }
        ASSERT_TRUE(hba1c.OpenOrCreate(dir.File("h.sqlite")));
        ASSERT_TRUE(glucose.OpenOrCreate(dir.File("g.sqlite")));
        settings.hba1cUnit = 1;
    }
    static void Add(MeasurementTable& table, const char* date, const char* time, const char* value,
                    const char* pid) {
        ASSERT_TRUE(table.AddNew());
        table.date = date;
        table.time = time;
        table.value = value;
        table.pid = pid;
        table.opid = "op";
        table.name = std::string("name of ") + pid;
        table.diagnose = 2;
        ASSERT_TRUE(table.Update());
    }
    void Fill(MeasurementTable& table) {
        ASSERT_TRUE(table.BeginTransaction());
        // Out of order, with ties on date, time and value that only the patient tells apart.
        Add(table, "20160101", "0900", "0650", "P3");
        Add(table, "20170505", "1200", "0700", "p1");
        Add(table, "20160101", "0900", "0650", "P1,x");
        Add(table, "20161231", "2359", "1800", "홍길동");
        Add(table, "20160101", "0900", "0650", "P2");
        Add(table, "20170505", "0800", "0400", "");
        ASSERT_TRUE(table.CommitTransaction());
    }
    static std::vector<std::vector<std::string>> Streamed(MeasurementTable& table,
                                                          const SettingsStore& settings,
                                                          bool keepFilter,
                                                          std::vector<ListRow>* rows = nullptr) {
        std::vector<std::vector<std::string>> cells;
        ResultListStream stream(table, settings, keepFilter);
        while (stream.Next()) {
            EXPECT_EQ(stream.Index(), static_cast<int>(cells.size()));
            cells.push_back(stream.Cells());
            if (rows) {
                rows->push_back(stream.Row());
            }
        }
        EXPECT_TRUE(stream.WalkStatus()) << test::Why(stream.WalkStatus());
        return cells;
    }

    test::TempDir dir;
    HbA1cTable hba1c;
    GlucoseTable glucose;
    SettingsStore settings;
};

TEST_F(ResultListStreamTest, GivesTheLoadedListsRowsTextsAndOrder) {
    for (MeasurementTable* table :
         {static_cast<MeasurementTable*>(&hba1c), static_cast<MeasurementTable*>(&glucose)}) {
        Fill(*table);
        table->sort = "ROWID"; // whatever the caller left: the stream starts from the standard
        table->filter = "PID = 'P2'";
        std::vector<ListRow> rows;
        auto cells = Streamed(*table, settings, false, &rows);
        ResultList loaded = LoadResultList(*table, settings, false);
        ASSERT_EQ(cells.size(), 6u);
        EXPECT_EQ(cells, loaded.cells);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ListRow& a = rows[i];
            const ListRow& b = loaded.rows[i];
            EXPECT_EQ(std::tie(a.rowIndex, a.rowId, a.date, a.time, a.value, a.patientId),
                      std::tie(b.rowIndex, b.rowId, b.date, b.time, b.value, b.patientId));
        }
    }
    const auto newest = Streamed(hba1c, settings, false);
    EXPECT_EQ(newest[0][0], "1");
    EXPECT_EQ(newest[0][5], "p1") << "newest first";
    EXPECT_EQ(newest[5][0], "6");

    // The caller's filter is kept when asked, and the stream leaves the row-id list alone.
    hba1c.filter = "DATE between '20160101' and '20161231'";
    ASSERT_TRUE(hba1c.Requery());
    const int listed = hba1c.RowCount();
    auto filtered = Streamed(hba1c, settings, true);
    EXPECT_EQ(filtered, LoadResultList(hba1c, settings, true).cells);
    EXPECT_EQ(filtered.size(), 4u);
    EXPECT_EQ(filtered[0][5], "홍길동");
    EXPECT_EQ(hba1c.RowCount(), listed);
}

TEST_F(ResultListStreamTest, StartsOverAndReportsAFailedQuery) {
    Fill(hba1c);
    ResultListStream stream(hba1c, settings, false);
    ASSERT_TRUE(stream.Next());
    ASSERT_TRUE(stream.Next());
    const std::string second = stream.Cells()[5];
    ASSERT_TRUE(stream.Restart());
    ASSERT_TRUE(stream.Next());
    ASSERT_TRUE(stream.Next());
    EXPECT_EQ(stream.Index(), 1);
    EXPECT_EQ(stream.Cells()[5], second);

    hba1c.filter = "NO_SUCH_COLUMN = 1";
    ResultListStream broken(hba1c, settings, true);
    EXPECT_FALSE(broken.Next());
    // A failed query is not an empty list: it says which file and why.
    const std::string why = test::Why(broken.WalkStatus());
    EXPECT_EQ(why.rfind(hba1c.Path().Str() + ": ", 0), 0u) << why;
    EXPECT_NE(why.find("NO_SUCH_COLUMN"), std::string::npos) << why;
}

// The window's index reads rows by id: a row removed by another program reads as no longer
// stored, while a table that cannot be read at all fails with the file and SQLite's reason,
// never as a shorter list.
TEST_F(ResultListStreamTest, IndexTellsARemovedRowFromAnUnreadableTable) {
    Fill(hba1c);
    ResultListIndex index;
    ASSERT_TRUE(index.Load(hba1c, settings, false));
    ASSERT_EQ(index.Count(), 6);
    EXPECT_EQ(index.NewestDate(), "20170505");
    const std::string path = hba1c.Path().Str();
    const auto other = [&](const char* sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close(db);
    };
    other("DELETE FROM HospitalTlb WHERE PID = ''"); // the second row of the list
    ListRow row;
    std::vector<std::string> cells;
    EXPECT_TRUE(test::ValueOf(index.Read(0, row, cells)));
    EXPECT_FALSE(test::ValueOf(index.Read(1, row, cells)));
    EXPECT_EQ(cells, std::vector<std::string>{"2"}) << "the number alone";
    std::vector<std::string> lines;
    const auto keep = [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    };
    ASSERT_TRUE(index.ForEachCsvLine({1, 0}, nullptr, keep));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "2,,,,,,\n");

    other("DROP TABLE HospitalTlb");
    const std::string gone = path + ": no such table: HospitalTlb";
    EXPECT_EQ(test::Why(index.Read(0, row, cells)), gone);
    EXPECT_EQ(test::Why(index.ForEachCsvLine({0, 1}, nullptr, keep)), gone) << "by id";
    EXPECT_EQ(test::Why(index.ForEachCsvLine({0, 1, 2, 3, 4, 5}, nullptr, keep)), gone)
        << "in the load's order";
    EXPECT_EQ(test::Why(index.Load(hba1c, settings, false)), gone);
    EXPECT_EQ(index.Count(), 0);
    EXPECT_EQ(test::Why(LoadResultList(hba1c, settings, false).status), gone);
}

// The line written straight from the stream is the line of its cells, for stored texts that
// are no calendar moment (one holding a comma), values of every text, IDs that need quotes
// or are not UTF-8, more distinct values than the stream keeps, and every date and time
// format and unit.
TEST_F(ResultListStreamTest, LineFormattedInPlaceIsTheLineOfItsCells) {
    for (MeasurementTable* table :
         {static_cast<MeasurementTable*>(&hba1c), static_cast<MeasurementTable*>(&glucose)}) {
        ASSERT_TRUE(table->BeginTransaction());
        Add(*table, "20161301", "0900", "0650", "month 13");
        Add(*table, "2016,01", "0900", "0650", "a comma in the date");
        Add(*table, "20160101", "09\n3", "0650", "a line break in the time");
        Add(*table, "20160229", "2400", "1400", "P\"1\"");
        Add(*table, "201602", "", "0400", "");
        Add(*table, " 20160101", "0930", "", "line\nbreak");
        Add(*table, "20160101", "0930", "abc", "\xC8\xAB\xB1\xE6\xB5\xBF"); // code page 949
        Add(*table, "20160101", "0930", "0650", "\xFF,\xFE");
        for (int i = 0; i < 1200; ++i) {
            const std::string value = std::to_string(i * 3);
            const std::string day = std::to_string(10 + i % 18);
            Add(*table, ("201705" + day).c_str(), "1200", value.c_str(), ("Q" + value).c_str());
        }
        ASSERT_TRUE(table->CommitTransaction());
        for (int format = 0; format < 4; ++format) {
            SettingsStore shown = settings;
            shown.dateFormat = format == 3 ? 7 : format; // 7: outside the list, empty texts
            shown.timeFormat = format % 2 == 0 ? 0 : format == 3 ? 9 : 1;
            shown.hba1cUnit = format % 2;
            shown.glucoseUnit = format / 2 % 2;
            ResultListStream stream(*table, shown, false);
            std::string direct;
            std::string ofCells;
            int rows = 0;
            while (stream.Next()) {
                stream.AppendCsvLine(direct);
                AppendCsvLineUtf8(stream.Cells(), ofCells);
                ++rows;
            }
            EXPECT_TRUE(stream.WalkStatus()) << test::Why(stream.WalkStatus());
            EXPECT_EQ(rows, 1208);
            EXPECT_EQ(direct, ofCells) << "format " << format;
        }
    }
}

// The names in a folder, so a test sees any temporary file left beside a target.
std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CsvFileWriter, WritesTheBytesOfTheWholeFileCompositionLineByLine) {
    test::TempDir dir;
    const std::vector<std::vector<std::string>> rows = {
        {"1", "2016-06-20", "14:30", "6.5 %", "140 mg/dL", "P,01"},
        {"2", "2016-06-21", "08:00", "7.0 %", "154 mg/dL", "say \"hi\"\r\n"},
        {"3", "2016-06-22", "09:00", "5.0 %", "97 mg/dL", "홍길동"},
        {"4", "d", "t", "r", "e", "x\U0001F600y똠"},
        {"5", "d", "t", "r", "e", ""},
        {"6", "d", "t", "r", "e", "stray\xE9"}, // a cut sequence must not eat the comma
    };
    for (ResultKind kind : {ResultKind::HbA1c, ResultKind::Glucose}) {
        const std::string path = dir.File(kind == ResultKind::HbA1c ? "a.csv" : "g.csv");
        CsvFileWriter writer(path, kind);
        const Status opened = writer.Open();
        ASSERT_TRUE(opened) << test::Why(opened);
        for (int copy = 0; copy < 2000; ++copy) { // past the write block
            for (const auto& row : rows) {
                writer.WriteRow(row);
            }
        }
        const Status finished = writer.Finish();
        ASSERT_TRUE(finished) << test::Why(finished);
        std::vector<std::vector<std::string>> all;
        for (int copy = 0; copy < 2000; ++copy) {
            all.insert(all.end(), rows.begin(), rows.end());
        }
        EXPECT_EQ(test::ReadFile(path), ComposeCsv(kind, all));
    }
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{"a.csv", "g.csv"}));

    // Dropped before Finish: the old file stays and no temporary file is left.
    const std::string kept = dir.File("a.csv");
    test::WriteFile(kept, "old");
    {
        CsvFileWriter writer(kept, ResultKind::HbA1c);
        ASSERT_TRUE(writer.Open());
        writer.WriteRow(rows[0]);
    }
    EXPECT_EQ(test::ReadFile(kept), "old");
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{"a.csv", "g.csv"}));

    // A target inside the data folder is refused before anything is written.
    test::TempDir data;
    const std::string database = data.File("HbA1c.db");
    test::WriteFile(database, "database");
    CsvFileWriter refused(database, ResultKind::HbA1c, data.Path());
    const Status opened = refused.Open();
    EXPECT_FALSE(opened);
    EXPECT_NE(test::Why(opened).find("inside the data folder"), std::string::npos)
        << test::Why(opened);
    EXPECT_EQ(test::ReadFile(database), "database");
    EXPECT_EQ(NamesIn(data.Path()), (std::vector<std::string>{"HbA1c.db"}));
}

} // namespace
