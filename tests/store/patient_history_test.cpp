#include "status_text.h"
#include "store/patient_history.h"
#include "store/sqlite_statement.h"
#include "store/text_encoding.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace qa;
using namespace std::chrono;

namespace {

struct Row {
    std::string date, time, value, pid, name = "", memo = "";
};

void AddRows(MeasurementTable& table, const std::vector<Row>& rows) {
    for (const Row& r : rows) {
        ASSERT_TRUE(table.AddNew());
        table.date = r.date;
        table.time = r.time;
        table.value = r.value;
        table.pid = r.pid;
        table.opid = "";
        table.eqType = table.Kind() == ResultKind::HbA1c ? "1" : "2";
        table.name = r.name;
        table.dob = "19000101";
        table.diagnose = 0;
        table.memo = r.memo;
        ASSERT_TRUE(table.Update());
    }
}

void OpenNew(MeasurementTable& table, const std::string& path) {
    ASSERT_TRUE(table.SetTableName(kMainTableName));
    ASSERT_TRUE(table.OpenOrCreate(path));
    ASSERT_TRUE(table.Requery());
}

std::vector<std::string> Values(const std::vector<PatientResult>& results) {
    std::vector<std::string> out;
    for (const auto& r : results) {
        out.push_back(r.date + " " + r.value);
    }
    return out;
}

sys_days Day(const char* text) {
    year_month_day ymd{year{std::stoi(std::string(text, 4))},
                       month{static_cast<unsigned>(std::stoi(std::string(text + 4, 2)))},
                       day{static_cast<unsigned>(std::stoi(std::string(text + 6, 2)))}};
    return sys_days{ymd};
}

} // namespace

// IDs are matched as themselves: quotes, HL7 delimiters and LIKE wildcards find exactly their
// own rows, and the lookup uses the index a writable open made.
TEST(PatientHistory, LookupMatchesAnyIdExactlyThroughTheIndex) {
    qa::test::TempDir dir;
    HbA1cTable table;
    OpenNew(table, dir.File("u_HbA1c.sqlite"));
    const std::string hostile = "O'Brien|^~\\&,\"x\"";
    AddRows(table, {{"20240105", "0900", "0650", hostile, "Kim", "fasting"},
                    {"20240301", "0915", "0700", hostile},
                    {"20240301", "0915", "0700", "O'Brien"},
                    {"20240210", "1000", "0800", "%"},
                    {"20240211", "1000", "0810", "A_1"},
                    {"20240212", "1000", "0820", "AB1"}});
    std::vector<PatientResult> results;
    results = test::ValueOf(ReadPatientResults(table, hostile));
    EXPECT_EQ(Values(results), (std::vector<std::string>{"20240301 0700", "20240105 0650"}));
    EXPECT_EQ(results[1].patientName, "Kim");
    EXPECT_EQ(results[1].memo, "fasting");
    EXPECT_EQ(results[1].patientId, hostile);
    results = test::ValueOf(ReadPatientResults(table, "%"));
    EXPECT_EQ(Values(results), (std::vector<std::string>{"20240210 0800"}));
    results = test::ValueOf(ReadPatientResults(table, "A_1"));
    EXPECT_EQ(results.size(), 1u) << "'_' is no wildcard";
    results = test::ValueOf(ReadPatientResults(table, "nobody"));
    EXPECT_TRUE(results.empty());

    SqliteStatement plan = PrepareStatement(
        table.Handle(), "EXPLAIN QUERY PLAN SELECT * FROM [HospitalTlb] WHERE [PID] = 'x'");
    ASSERT_TRUE(plan);
    std::string detail;
    while (sqlite3_step(plan.Get()) == SQLITE_ROW) {
        detail += reinterpret_cast<const char*>(sqlite3_column_text(plan.Get(), 3));
    }
    EXPECT_NE(detail.find("HospitalTlb_PID"), std::string::npos) << detail;
}

// A file the Windows program wrote holds code page 949 bytes; the ID typed in UTF-8 finds it,
// and the row keeps its stored bytes for later edits.
TEST(PatientHistory, Cp949StoredIdsAndNamesAreFoundAndDecoded) {
    qa::test::TempDir dir;
    HbA1cTable table;
    OpenNew(table, dir.File("u_HbA1c.sqlite"));
    const std::string stored = Utf8ToCp949("홍길동").value();
    AddRows(table, {{"20240105", "0900", "0650", stored, Utf8ToCp949("길동").value(), ""}});
    std::vector<PatientResult> results;
    results = test::ValueOf(ReadPatientResults(table, "홍길동"));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].patientId, stored);
    EXPECT_EQ(results[0].patientName, "길동");

    table.filter = PatientSearchCondition("길동");
    ASSERT_TRUE(table.Requery());
    EXPECT_EQ(table.RowCount(), 1);
}

// The search field's condition: contained anywhere in ID or name, ignoring ASCII case, every
// character literal, and combined with a period condition.
TEST(PatientHistory, SearchConditionFiltersByIdOrNameWithPeriods) {
    qa::test::TempDir dir;
    HbA1cTable table;
    OpenNew(table, dir.File("u_HbA1c.sqlite"));
    AddRows(table, {{"20240105", "0900", "0650", "PAT'01|A^B", "Lee"},
                    {"20240301", "0900", "0700", "pat'01|a^b"},
                    {"20240302", "0900", "0700", "X%Y", "O'Neil"},
                    {"20240303", "0900", "0700", "XZY", "Smith\\Jr"},
                    {"20240304", "0900", "0700", "Q", "o'neil & co"}});
    auto count = [&](const std::string& filter) {
        table.filter = filter;
        const Status read = table.Requery();
        EXPECT_TRUE(read) << test::Why(read) << " for " << filter;
        return table.RowCount();
    };
    EXPECT_EQ(count(PatientSearchCondition("t'01|A^")), 2) << "case-insensitive, quotes bound";
    EXPECT_EQ(count(PatientSearchCondition("%")), 1) << "'%' only matches itself";
    EXPECT_EQ(count(PatientSearchCondition("x_y")), 0) << "'_' only matches itself";
    EXPECT_EQ(count(PatientSearchCondition("o'neil")), 2) << "names too";
    EXPECT_EQ(count(PatientSearchCondition("h\\j")), 1) << "backslash literal";
    EXPECT_EQ(count(PatientSearchCondition("   ")), 5) << "blank searches nothing away";
    EXPECT_EQ(PatientSearchCondition(" "), "");
    EXPECT_EQ(count(JoinConditions("DATE between '20240201' and '20240302'",
                                   PatientSearchCondition("PAT'01"))),
              1);
    EXPECT_EQ(count(JoinConditions("", PatientSearchCondition("lee"))), 1);
    EXPECT_EQ(JoinConditions("a", ""), "a");
}

// Hand-made histories: several results, one result, none; values at the ends of the range
// turn the figures into bounds instead of wrong numbers.
TEST(PatientHistory, SummaryFiguresWithBoundsAtTheEndsOfTheRange) {
    auto r = [](const char* date, const char* value) {
        PatientResult p;
        p.date = date;
        p.time = "0900";
        p.value = value;
        return p;
    };
    const sys_days today = Day("20240615");
    // Newest first, as the lookup gives them.
    std::vector<PatientResult> history{r("20240601", "0720"), r("20240301", "0680"),
                                       r("20230615", "0800"), r("20230614", "0900")};
    PatientSummary s = SummarisePatient(ResultKind::HbA1c, history, today);
    EXPECT_EQ(s.count, 4);
    EXPECT_EQ(s.firstDate, "20230614");
    EXPECT_EQ(s.lastDate, "20240601");
    EXPECT_EQ(s.lastValue, "0720");
    ASSERT_TRUE(s.change.Exact());
    EXPECT_NEAR(*s.change.atLeast, 0.4, 1e-5);
    EXPECT_EQ(s.countIn12Months, 3) << "the day a year before counts, the day before it not";
    EXPECT_NEAR(*s.mean12Months.atLeast, (7.2 + 6.8 + 8.0) / 3, 1e-5);

    SettingsStore percent;
    SettingsStore mmol;
    mmol.hba1cUnit = 1;
    mmol.glucoseUnit = 1;
    EXPECT_EQ(FormatFigure(percent, ResultKind::HbA1c, s.change, true), "+0.4 %");
    EXPECT_EQ(FormatFigure(mmol, ResultKind::HbA1c, s.change, true), "+4 mmol/mol");
    EXPECT_EQ(FormatFigure(percent, ResultKind::HbA1c, s.mean12Months, false), "7.3 %");
    EXPECT_EQ(FormatFigure(mmol, ResultKind::HbA1c, s.mean12Months, false), "57 mmol/mol");

    // "> 14 %" newest: the rise is at least 14 - 6.8; the mean at least with 14 counted.
    history[0].value = "1450";
    s = SummarisePatient(ResultKind::HbA1c, history, today);
    EXPECT_FALSE(s.change.atMost.has_value());
    EXPECT_NEAR(*s.change.atLeast, 7.2, 1e-5);
    EXPECT_EQ(FormatFigure(percent, ResultKind::HbA1c, s.change, true), "> +7.2 %");
    EXPECT_EQ(FormatFigure(percent, ResultKind::HbA1c, s.mean12Months, false), "> 9.6 %");
    // "< 4 %" before it: the change is bounded only from below as well.
    history[1].value = "0400";
    s = SummarisePatient(ResultKind::HbA1c, history, today);
    EXPECT_NEAR(*s.change.atLeast, 10.0, 1e-5);
    EXPECT_FALSE(s.mean12Months.Known()) << "one value above and one below the range";
    EXPECT_EQ(FormatFigure(percent, ResultKind::HbA1c, s.mean12Months, false), "");
    // Both at the top: nothing can be said about the change.
    history[1].value = "1400";
    s = SummarisePatient(ResultKind::HbA1c, history, today);
    EXPECT_FALSE(s.change.Known());

    // One result: no change; a result older than a year: no mean.
    s = SummarisePatient(ResultKind::HbA1c, {r("20200101", "0650")}, today);
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.firstDate, s.lastDate);
    EXPECT_FALSE(s.change.Known());
    EXPECT_FALSE(s.mean12Months.Known());
    EXPECT_EQ(s.countIn12Months, 0);

    // No glucose at all.
    s = SummarisePatient(ResultKind::Glucose, {}, today);
    EXPECT_EQ(s.count, 0);
    EXPECT_TRUE(s.lastDate.empty());

    // Glucose: "Hi" and "Lo" are the ends of the meter's range.
    s = SummarisePatient(ResultKind::Glucose, {r("20240601", "005"), r("20240501", "110")}, today);
    EXPECT_EQ(FormatFigure(percent, ResultKind::Glucose, s.change, true), "< -100 mg/dL");
    EXPECT_EQ(FormatFigure(mmol, ResultKind::Glucose, s.mean12Months, false), "< 3.3 mmol/L");
    s = SummarisePatient(ResultKind::Glucose, {r("20240601", "120"), r("20240501", "110")}, today);
    EXPECT_EQ(FormatFigure(percent, ResultKind::Glucose, s.change, true), "+10 mg/dL");
    EXPECT_EQ(FormatFigure(mmol, ResultKind::Glucose, s.change, true), "+0.6 mmol/L");
}

// Feb 29 has no day a year later; the window then starts at the end of February.
TEST(PatientHistory, TwelveMonthsFromALeapDay) {
    PatientResult p;
    p.date = "20230228";
    p.value = "0700";
    PatientSummary s = SummarisePatient(ResultKind::HbA1c, {p}, Day("20240229"));
    EXPECT_EQ(s.countIn12Months, 1);
}

// The chart draws what the lists show, in the operator's unit; range ends at the end.
TEST(PatientHistory, ChartValuesFollowTheUnits) {
    SettingsStore s;
    EXPECT_FLOAT_EQ(static_cast<float>(ChartValue(s, ResultKind::HbA1c, "0650")), 6.5f);
    EXPECT_DOUBLE_EQ(ChartValue(s, ResultKind::HbA1c, "1500"), 14.0);
    EXPECT_DOUBLE_EQ(ChartValue(s, ResultKind::Glucose, "650"), 600.0);
    s.hba1cUnit = 1;
    s.glucoseUnit = 1;
    EXPECT_NEAR(ChartValue(s, ResultKind::HbA1c, "0650"), 47.5385, 1e-3);
    EXPECT_NEAR(ChartValue(s, ResultKind::Glucose, "180"), 9.989, 1e-3);
    EXPECT_EQ(UnitText(s, ResultKind::HbA1c), "mmol/mol");
    EXPECT_EQ(UnitText(s, ResultKind::Glucose), "mmol/L");
}

// The command line's patients listing: one entry per ID with its count and newest result.
TEST(PatientHistory, OverviewCountsEachIdAndKeepsItsNewestResult) {
    qa::test::TempDir dir;
    GlucoseTable table;
    OpenNew(table, dir.File("u_Glucose.sqlite"));
    AddRows(table, {{"20240105", "0900", "110", "B"},
                    {"20240301", "0800", "120", "B"},
                    {"20240301", "0800", "130", "B"},
                    {"20230101", "0800", "090", "A,1"}});
    std::vector<PatientOverview> patients;
    patients = test::ValueOf(ReadPatientOverview(table));
    ASSERT_EQ(patients.size(), 2u);
    EXPECT_EQ(patients[0].patientId, "A,1");
    EXPECT_EQ(patients[0].count, 1);
    EXPECT_EQ(patients[1].count, 3);
    EXPECT_EQ(patients[1].lastDate, "20240301");
    EXPECT_EQ(patients[1].lastValue, "130") << "same moment: the higher value sorts first";
}

// A read-only open of an old file without the index still finds the patient (by a scan).
TEST(PatientHistory, ReadOnlyFileWithoutIndexStillAnswers) {
    qa::test::TempDir dir;
    const std::string path = dir.File("old_HbA1c.sqlite");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE [HospitalTlb] ( [DATE] TEXT,[TIME] TEXT,[HbA1c_VALUE] "
                               "TEXT,[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] "
                               "TEXT,[P_DIAGNOSE] INT,[P_MEMO] TEXT);"
                               "INSERT INTO HospitalTlb VALUES('20240101','0900','0650','P1','',"
                               "'1','','19000101',0,'m');",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    HbA1cTable table;
    ASSERT_TRUE(table.SetTableName(kMainTableName));
    table.SetReadOnly(true);
    ASSERT_TRUE(table.Open(path));
    EXPECT_FALSE(EnsurePatientIndex(table));
    std::vector<PatientResult> results;
    results = test::ValueOf(ReadPatientResults(table, "P1"));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].memo, "m");
}
