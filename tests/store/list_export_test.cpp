#include "i18n/message_catalogue.h"
#include "status_text.h"
#include "store/csv_export.h"
#include "store/list_filters.h"
#include "store/text_encoding.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace qa;
using namespace std::chrono;

TEST(TextEncoding, Cp949CoversTheWholeHangulRangeAndRoundTrips) {
    EXPECT_EQ(Utf8ToCp949("똠").value(), "\x8c\x63") << "outside EUC-KR, inside code page 949";
    EXPECT_EQ(Utf8ToCp949("가").value(), "\xb0\xa1");
    EXPECT_EQ(Cp949ToUtf8("\xb0\xa1\x41").value(), "가A");
    EXPECT_FALSE(Utf8ToCp949("\xF0\x9F\x98\x80").has_value()) << "an emoji has no place";
    EXPECT_EQ(Cp949Length("가나다라마바사"), 14u);
    EXPECT_EQ(Cp949Length("ab가"), 4u);
}

TEST(CsvExport, LinesEndWithACommaAndOnlyRiskyCellsAreQuoted) {
    std::vector<std::vector<std::string>> rows = {
        {"1", "2016-06-20", "14:30", "6.5 %", "140 mg/dL", "P,01"},
        {"2", "2016-06-21", "08:00", "7.0 %", "154 mg/dL", "say \"hi\""},
        {"3", "2016-06-22", "09:00", "5.0 %", "97 mg/dL", "홍길동"},
    };
    std::string csv = ComposeCsv(ResultKind::HbA1c, rows);
    EXPECT_EQ(csv, "No,Date,Time,Result,eAG,Patient ID\n"
                   "1,2016-06-20,14:30,6.5 %,140 mg/dL,\"P,01\",\n"
                   "2,2016-06-21,08:00,7.0 %,154 mg/dL,\"say \"\"hi\"\"\",\n"
                   "3,2016-06-22,09:00,5.0 %,97 mg/dL,\xc8\xab\xb1\xe6\xb5\xbf,\n");
    EXPECT_EQ(ComposeCsv(ResultKind::Glucose, {}), "No,Date,Time,Result,Patient ID\n");
    EXPECT_EQ(ComposeCsv(ResultKind::Glucose, {{"1", "d", "t", "110 mg/dL"}}),
              "No,Date,Time,Result,Patient ID\n1,d,t,110 mg/dL,\n")
        << "glucose rows leave the last field empty";
    EXPECT_EQ(ComposeCsv(ResultKind::Glucose, {{"x\U0001F600y"}}),
              "No,Date,Time,Result,Patient ID\nx?y,\n");
}

TEST(CsvExport, CellsASpreadsheetWouldRunAreNeutralisedAndNumbersAreNot) {
    std::vector<std::vector<std::string>> rows = {
        {"1", "d", "t", "-5", "+7.25", "=CMD|' /C CALC"},
        {"2", "d", "t", "x", "y", "@SUM(A1)"},
        {"3", "d", "t", "x", "y", "+1-2"},
        {"4", "d", "t", "x", "y", "-"},
        {"5", "d", "t", "x", "y", "\tP1"},
        {"6", "d", "t", "x", "y", "=1,2"},
        {"7", "d", "t", "x", "y", "P=1"},
    };
    EXPECT_EQ(ComposeCsvUtf8(ResultKind::HbA1c, rows), "No,Date,Time,Result,eAG,Patient ID\n"
                                                       "1,d,t,-5,+7.25,'=CMD|' /C CALC,\n"
                                                       "2,d,t,x,y,'@SUM(A1),\n"
                                                       "3,d,t,x,y,'+1-2,\n"
                                                       "4,d,t,x,y,'-,\n"
                                                       "5,d,t,x,y,'\tP1,\n"
                                                       "6,d,t,x,y,\"'=1,2\",\n"
                                                       "7,d,t,x,y,P=1,\n");
    // The line formatter that the list and the window's export share closes cells in place.
    std::string line;
    for (const std::string cell : {"=HYPERLINK(\"x\")", "-3.5", "\rA"}) {
        const std::size_t start = line.size();
        line += cell;
        EndCsvCell(line, start);
    }
    EXPECT_EQ(line, "\"'=HYPERLINK(\"\"x\"\")\",-3.5,\"'\rA\",");
}

TEST(CsvExport, FileIsReplacedWholeOrNotAtAll) {
    qa::test::TempDir dir;
    std::string path = dir.File("out.csv");
    qa::test::WriteFile(path, "old content");
    const Status written = WriteCsvFile(path, ResultKind::Glucose, {{"1", "a", "b", "c"}});
    ASSERT_TRUE(written) << test::Why(written);
    EXPECT_EQ(qa::test::ReadFile(path), "No,Date,Time,Result,Patient ID\n1,a,b,c,\n");
    EXPECT_FALSE(qa::test::FileExists(path + ".part"));
    const Status missing = WriteCsvFile(dir.File("missing/out.csv"), ResultKind::Glucose, {});
    EXPECT_FALSE(missing);
    EXPECT_NE(test::Why(missing).find("missing/out.csv"), std::string::npos);
}

TEST(ListFilters, SearchSpanRules) {
    sys_days start = ParseStoredDate("20160101").value();
    auto search = [&](int days) { return SearchFilter(start, start + std::chrono::days{days}); };
    EXPECT_EQ(test::ValueOf(search(0)), "DATE between '20160101' and '20160101'");
    EXPECT_EQ(test::ValueOf(search(366)), "DATE between '20160101' and '20170101'")
        << "leap year 2016";
    EXPECT_FALSE(search(367));
    EXPECT_EQ(test::Why(search(367)),
              "최대 365일 데이터를 검색할 수 있습니다. \r\n다시 날짜 설정해 주세요.");
    EXPECT_EQ(test::Why(search(-1)),
              "검색기간 설정이 잘못되었습니다. \r\n다시 날짜 설정해 주세요.");
}

TEST(ListFilters, PeriodCountsBackFromTheNewestDateAndDatesAreChecked) {
    sys_days newest = ParseStoredDate("20160305").value();
    EXPECT_EQ(PeriodFilter(newest, 0), "");
    EXPECT_EQ(PeriodFilter(newest, 1), "DATE between '20160227' and '20160305'");
    EXPECT_EQ(PeriodFilter(newest, 12), "DATE between '20151212' and '20160305'");
    EXPECT_FALSE(ParseStoredDate("20160230").has_value());
    EXPECT_FALSE(ParseStoredDate("2016023").has_value());
    EXPECT_FALSE(ParseStoredDate("2016x230").has_value());
}
