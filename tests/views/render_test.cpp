// Renders the list and both record dialogs to PNG files for a person to look at; runs only
// when QA_VIEWS_RENDER_DIR names a folder.
#include "scripted_prompter.h"
#include "views/data_list_view.h"
#include "views/record_dialogs.h"

#include <QFont>
#include <QFontDatabase>
#include <QTest>

#include <gtest/gtest.h>

using namespace qa;
using namespace qa::views;

namespace {

QString RenderDir() {
    return qEnvironmentVariable("QA_VIEWS_RENDER_DIR");
}

ListRow PatientRow() {
    ListRow row;
    row.rowIndex = 0;
    row.date = "20160620";
    row.time = "1430";
    row.value = "0650";
    row.patientId = "20160001";
    row.operatorId = "OP7";
    row.patientName = "홍길동";
    row.birthday = "19750314";
    row.diagnosis = 2;
    row.memo = "공복 측정\r\nfasting";
    return row;
}

} // namespace

TEST(Render, KoreanGlyphsAreAvailable) {
    EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Korean).isEmpty())
        << "without a Korean font every Hangul text renders as empty boxes";
}

TEST(Render, ListAndRecordDialogs) {
    if (RenderDir().isEmpty()) {
        GTEST_SKIP() << "set QA_VIEWS_RENDER_DIR to render";
    }
    DataListView list;
    QFont font(QStringLiteral("Malgun Gothic"));
    font.setPixelSize(15);
    font.setWeight(QFont::DemiBold);
    list.setFont(font);
    list.horizontalHeader()->setFont(font);
    list.SetRowHeight(32);
    const std::pair<const char*, int> columns[] = {{"No.", 80},   {"Date", 150},
                                                   {"Time", 100}, {"Result", 180},
                                                   {"eAG", 180},  {"Patient ID", 180}};
    for (const auto& [heading, width] : columns) {
        list.InsertColumn(list.ColumnCount(), heading, Qt::AlignCenter, width);
    }
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 300; ++i) {
        rows.push_back({std::to_string(i + 1), "2016-06-" + std::to_string(10 + i % 20),
                        "02:" + std::to_string(10 + i % 50) + " PM",
                        std::to_string(5 + i % 5) + ".5 %", std::to_string(110 + i) + " mg/dL",
                        i % 7 == 0 ? "홍길동" : "P" + std::to_string(1000 + i)});
    }
    list.SetRows(std::move(rows));
    list.SetCellColors(3, 3, QColor(255, 220, 220), QColor(160, 0, 0));
    list.resize(894, 467);
    list.SelectRow(1);
    list.SetFocusColumn(3);
    ASSERT_TRUE(list.grab().save(RenderDir() + "/list.png"));
    list.SetColumnVisible(2, false);
    ASSERT_TRUE(list.grab().save(RenderDir() + "/list_hidden_time.png"));

    SettingsStore settings;
    RecordViewDialog view(PatientRow(), settings);
    view.show(); // laid out and polished as the operator sees it
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(view.grab().save(RenderDir() + "/data_view.png"));
    test::ScriptedPrompter prompter;
    RecordModifyDialog modify(PatientRow(), settings, prompter);
    modify.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&modify));
    ASSERT_TRUE(modify.grab().save(RenderDir() + "/data_modify.png"));
}
