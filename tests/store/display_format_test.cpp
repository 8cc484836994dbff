#include "store/display_format.h"

#include <gtest/gtest.h>

using namespace qa;

namespace {

SettingsStore With(std::int32_t hba1cUnit, std::int32_t glucoseUnit, std::int32_t dateFormat = 0,
                   std::int32_t timeFormat = 0) {
    SettingsStore settings;
    settings.hba1cUnit = hba1cUnit;
    settings.glucoseUnit = glucoseUnit;
    settings.dateFormat = dateFormat;
    settings.timeFormat = timeFormat;
    return settings;
}

} // namespace

TEST(DisplayFormat, GlucoseTexts) {
    struct Case {
        std::int32_t unit;
        const char* value;
        const char* text;
    };
    const Case cases[] = {
        {0, "600", "Hi"},        {1, "600", "Hi"},
        {0, "011", "11 mg/dL"},  {1, "011", "0.6 mmol/L"},
        {0, "010", "Lo"},        {1, "010", "Low"},
        {0, "123", "123 mg/dL"}, {1, "180", "10.0 mmol/L"},
        {0, "599", "599 mg/dL"}, {-1, "100", "5.5 mmol/L"}, // any non-zero unit is the second one
        {0, "", "Lo"},           {1, "9999", "Hi"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatGlucoseText(With(0, c.unit), c.value), c.text)
            << "unit " << c.unit << " value " << c.value;
    }
}

TEST(DisplayFormat, HbA1cTexts) {
    struct Case {
        std::int32_t unit;
        bool eag;
        const char* value;
        const char* text;
    };
    const Case cases[] = {
        {0, false, "1400", "> 14 %"},
        {1, false, "1400", "> 130 mmol/mol"},
        {0, true, "1400", "> 14 %"},
        {1, true, "1400", "> 14 %"},
        {0, false, "0400", "< 4 %"},
        {1, false, "0400", "< 20 mmol/mol"},
        {1, true, "0400", "< 4 %"},
        {0, false, "0650", "6.5 %"},
        {1, false, "0650", "48 mmol/mol"}, // 47.5385 rounds up
        {0, true, "0650", "140 mg/dL"},    // 140.02
        {1, true, "0650", "140 mg/dL"},
        // Single precision: 6.55 is held as 6.5500002 and shows 6.6 (a double shows 6.5).
        {0, false, "0655", "6.6 %"},
        {0, false, "1399", "14.0 %"},
        {0, false, "0401", "4.0 %"},
        {1, false, "0401", "20 mmol/mol"},
        {1, false, "1399", "129 mmol/mol"},
        {0, true, "0401", "69 mg/dL"},
        {0, false, "garbage", "< 4 %"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatHbA1cText(With(c.unit, 0), c.value, c.eag), c.text)
            << "unit " << c.unit << " eag " << c.eag << " value " << c.value;
    }
}

TEST(DisplayFormat, DateAndTimeTexts) {
    struct Case {
        std::int32_t dateFormat;
        std::int32_t timeFormat;
        const char* date;
        const char* time;
        const char* dateText;
        const char* timeText;
    };
    const Case cases[] = {
        {0, 0, "20160620", "1430", "2016-06-20", "02:30 PM"},
        {1, 1, "20160620", "1430", "06-20-2016", "14:30"},
        {2, 0, "20160620", "1430", "20-06-2016", "02:30 PM"},
        {3, 2, "20160620", "1430", "", ""},
        {-1, -1, "20160620", "1430", "", ""},
        {0, 0, "20160620", "0005", "2016-06-20", "12:05 AM"},
        {0, 0, "20160620", "1200", "2016-06-20", "12:00 PM"},
        {0, 1, "20160229", "2359", "2016-02-29", "23:59"},
        // Not a real moment: the stored digits, marked, so the row can be found and deleted.
        {0, 1, "20150229", "1430", "?20150229", "?1430"},
        {0, 1, "20161320", "1430", "?20161320", "?1430"},
        {1, 0, "20160632", "1430", "?20160632", "?1430"},
        {0, 1, "20160620", "2460", "?20160620", "?2460"},
        {0, 1, "2016", "1430", "?2016", "?1430"},
        {0, 1, "", "", "?", "?"},
        {3, 2, "20161320", "1430", "", ""},
    };
    for (const Case& c : cases) {
        SettingsStore settings = With(0, 0, c.dateFormat, c.timeFormat);
        EXPECT_EQ(FormatDateText(settings, c.date, c.time), c.dateText)
            << c.dateFormat << " " << c.date << " " << c.time;
        EXPECT_EQ(FormatTimeText(settings, c.date, c.time), c.timeText)
            << c.timeFormat << " " << c.date << " " << c.time;
    }
}

TEST(DisplayFormat, RecordDialogTexts) {
    EXPECT_EQ(FormatRecordDateTimeText(With(0, 0, 0, 0), "20160620", "1430"),
              "2016-06-20 02:30 PM");
    EXPECT_EQ(FormatRecordDateTimeText(With(0, 0, 1, 1), "20160620", "1430"), "06-20-2016 14:30");
    EXPECT_EQ(FormatRecordDateTimeText(With(0, 0, 2, 1), "20160620", "1430"), "20-06-2016 14:30");
    EXPECT_EQ(FormatRecordDateTimeText(With(0, 0, 3, 1), "20160620", "1430"), "14:30");

    EXPECT_EQ(DatePickerPattern(0), "yyy'-'MM'-'dd");
    EXPECT_EQ(DatePickerPattern(1), "MM'/'dd'/'yyy");
    EXPECT_EQ(DatePickerPattern(2), "dd'-'MM'-'yyy");
    EXPECT_EQ(DatePickerQtFormat(2), "dd-MM-yyyy");
}

TEST(DisplayFormat, ReportHeaderNamesTheWeekday) {
    CalendarDateTime monday{2016, 6, 20, 14, 30, 0};
    EXPECT_EQ(FormatReportDateTimeText(With(0, 0, 0, 0), monday), "2016-06-20 Mon 02:30 PM");
    EXPECT_EQ(FormatReportDateTimeText(With(0, 0, 1, 1), monday), "06/20/2016 Mon 14:30");
    EXPECT_EQ(FormatReportDateTimeText(With(0, 0, 2, 1), monday), "20/06/2016 Mon 14:30");
    CalendarDateTime leapDay{2000, 2, 29, 0, 0, 0};
    EXPECT_EQ(FormatReportDateTimeText(With(0, 0, 0, 1), leapDay), "2000-02-29 Tue 00:00");
    CalendarDateTime newYear{2023, 1, 1, 9, 5, 0};
    EXPECT_EQ(FormatReportDateTimeText(With(0, 0, 0, 0), newYear), "2023-01-01 Sun 09:05 AM");
}
