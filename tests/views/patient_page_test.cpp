// The patient page over real per-user SQLite files: summary, charts, table, printed report,
// rendered to PNG for a person to look at.
#include "print_test_support.h"
#include "scripted_prompter.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/patient_page.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace qa;
using namespace qa::test;

namespace {

const std::string kHostileId = "K'7|^~\\&,\"";

class PatientPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(users.Reload());
        users.Settings().hospital = "Seoul Clinic";
        // Six HbA1c results over a year and a half, one of them above the meter's range.
        AddRow(users.HbA1cMain(), "20240610", "0930", "0720", kHostileId, "Kim", "after diet");
        AddRow(users.HbA1cMain(), "20240305", "1015", "0680", kHostileId, "Kim", "");
        AddRow(users.HbA1cMain(), "20231201", "0900", "1450", kHostileId, "Kim", "");
        AddRow(users.HbA1cMain(), "20230901", "0900", "0910", kHostileId, "", "");
        AddRow(users.HbA1cMain(), "20230515", "1400", "0840", kHostileId, "", "");
        AddRow(users.HbA1cMain(), "20230102", "0800", "0790", kHostileId, "", "");
        AddRow(users.HbA1cMain(), "20240101", "0800", "0600", "OTHER", "", "");
        AddRow(users.GlucoseMain(), "20240609", "0700", "142", kHostileId, "", "");
        AddRow(users.GlucoseMain(), "20240401", "0700", "650", kHostileId, "", "");
        AddRow(users.GlucoseMain(), "20240201", "0700", "098", kHostileId, "", "");
        AddRow(users.GlucoseMain(), "20240202", "0700", "120", "00000000000000", "", "");
    }

    static void AddRow(MeasurementTable& table, const char* date, const char* time,
                       const char* value, const std::string& pid, const char* name,
                       const char* memo) {
        ASSERT_TRUE(table.AddNew());
        table.date = date;
        table.time = time;
        table.value = value;
        table.pid = pid;
        table.opid = "";
        table.eqType = table.Kind() == ResultKind::HbA1c ? "1" : "2";
        table.name = name;
        table.dob = "19000101";
        table.diagnose = 0;
        table.memo = memo;
        ASSERT_TRUE(table.Update());
    }

    std::unique_ptr<PatientPage> Open(const std::string& id) {
        auto page = std::make_unique<PatientPage>(users, prompter, &print, id);
        page->SetToday([] { return QDate(2024, 6, 15); });
        EXPECT_TRUE(page->Reload());
        page->resize(1000, 760);
        page->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        return page;
    }

    static void Render(QWidget& widget, const QString& name) {
        QDir().mkpath(QA_RENDER_DIR);
        // The charts' scenes repaint from the event loop.
        QTest::qWait(50);
        EXPECT_TRUE(widget.grab().save(QString(QA_RENDER_DIR) + "/" + name));
    }

    TempDir data;
    ScriptedPrompter prompter;
    UserStore users{data.Path(), prompter};
    ScriptedPrintDialog print{QString::fromStdString(data.File("patient.pdf"))};
};

std::vector<QPointF> Points(QLineSeries* series) {
    if (!series) {
        return {};
    }
    const QList<QPointF> points = series->points();
    return std::vector<QPointF>(points.begin(), points.end());
}

qint64 Moment(int y, int m, int d, int hh, int mm) {
    return QDateTime(QDate(y, m, d), QTime(hh, mm)).toMSecsSinceEpoch();
}

} // namespace

// The charts draw exactly the stored results of this patient, oldest to newest, in the
// operator's unit; the summary and the table say the same in text.
TEST_F(PatientPageTest, ChartsSummaryAndTableFollowTheStoredResultsAndUnits) {
    auto page = Open(kHostileId);
    std::vector<QPointF> hba1c = Points(page->ResultSeries(ResultKind::HbA1c));
    ASSERT_EQ(hba1c.size(), 6u) << "the other patient's result stays out";
    EXPECT_EQ(static_cast<qint64>(hba1c.front().x()), Moment(2023, 1, 2, 8, 0));
    EXPECT_FLOAT_EQ(static_cast<float>(hba1c.front().y()), 7.9f);
    EXPECT_EQ(static_cast<qint64>(hba1c.back().x()), Moment(2024, 6, 10, 9, 30));
    EXPECT_FLOAT_EQ(static_cast<float>(hba1c.back().y()), 7.2f);
    EXPECT_DOUBLE_EQ(hba1c[3].y(), 14.0) << "\"> 14 %\" is drawn at the top of the range";
    std::vector<QPointF> glucose = Points(page->ResultSeries(ResultKind::Glucose));
    ASSERT_EQ(glucose.size(), 3u);
    EXPECT_DOUBLE_EQ(glucose[1].y(), 600.0) << "\"Hi\"";

    const QString summary = page->SummaryLabel(ResultKind::HbA1c)->text();
    EXPECT_TRUE(summary.contains("Results: 6, from 2023-01-02 to 2024-06-10"))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Last result: 7.2 % on 2024-06-10 09:30 AM"))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Change since the previous result: +0.4 %"));
    // 2023-06-15 to 2024-06-15: 7.2, 6.8, "> 14", 9.1: the mean is known only as a bound.
    EXPECT_TRUE(summary.contains("Mean of the last 12 months: > 9.3 % (n = 4)"))
        << summary.toStdString();
    EXPECT_EQ(page->Table()->rowCount(), 9);
    EXPECT_EQ(page->Table()->item(0, 3)->text(), "7.2 %");
    EXPECT_EQ(page->Table()->item(0, 4)->text(), "after diet");
    EXPECT_EQ(page->Table()->item(1, 3)->text(), "142 mg/dL") << "both kinds, newest first";
    Render(*page, "patient_page_percent.png");

    users.Settings().hba1cUnit = 1;
    users.Settings().glucoseUnit = 1;
    users.Settings().dateFormat = 2;
    users.Settings().timeFormat = 1;
    ASSERT_TRUE(page->Reload());
    hba1c = Points(page->ResultSeries(ResultKind::HbA1c));
    EXPECT_NEAR(hba1c.back().y(), 7.2 * 10.929 - 23.5, 1e-3);
    glucose = Points(page->ResultSeries(ResultKind::Glucose));
    EXPECT_NEAR(glucose.back().y(), 142 * 0.055493894, 1e-3);
    const QString mmol = page->SummaryLabel(ResultKind::HbA1c)->text();
    EXPECT_TRUE(mmol.contains("Last result: 55 mmol/mol on 10-06-2024 09:30"))
        << mmol.toStdString();
    EXPECT_TRUE(mmol.contains("+4 mmol/mol"));
    EXPECT_TRUE(page->SummaryLabel(ResultKind::Glucose)->text().contains("7.9 mmol/L"));
    Render(*page, "patient_page_mmol.png");
}

// One result, no glucose: no change, no glucose line, and the page still opens cleanly.
TEST_F(PatientPageTest, OneResultAndNoGlucose) {
    auto page = Open("OTHER");
    EXPECT_EQ(Points(page->ResultSeries(ResultKind::HbA1c)).size(), 1u);
    EXPECT_TRUE(Points(page->ResultSeries(ResultKind::Glucose)).empty());
    const QString summary = page->SummaryLabel(ResultKind::HbA1c)->text();
    EXPECT_TRUE(summary.contains("Change since the previous result: -")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Mean of the last 12 months: 6.0 % (n = 1)"));
    EXPECT_TRUE(page->SummaryLabel(ResultKind::Glucose)->text().contains("No results."));
    Render(*page, "patient_page_one_result.png");
}

// The print button writes the patient report; its text holds the header fields, the patient
// and every result; the first page is rendered for a person to look at.
TEST_F(PatientPageTest, PrintedReportHoldsHeaderPatientAndResults) {
    auto page = Open(kHostileId);
    ASSERT_EQ(page->PrintReport(), kPrintSpooled);
    const QString pdf = QString::fromStdString(data.File("patient.pdf"));
    const QString text = Normalized(PdfPageTexts(pdf).join(" "));
    for (const char* expected :
         {"QuorinA1c Patient Report", "Clinic: Seoul Clinic", "Operator: Basis",
          "Period: All results", "Page 1", "K'7|^~\\&,\" Kim", "after diet", "7.2 %", "> 14 %",
          "Hi", "142 mg/dL", "6.8 %"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << text.toStdString();
    }
    EXPECT_FALSE(text.contains("6.0 %")) << "another patient's result";
    QDir().mkpath(QA_RENDER_DIR);
    RunTool("pdftoppm", {"-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile", pdf,
                         QString(QA_RENDER_DIR) + "/patient_report_page1"});
    EXPECT_TRUE(QFile::exists(QString(QA_RENDER_DIR) + "/patient_report_page1.png"));
}

namespace {

// Renders made under a scaled desktop carry the scale in their name.
QString Scaled(const QString& name) {
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR");
    return scale.isEmpty() ? name : name + "_" + QString::number(qRound(scale.toDouble() * 100));
}

} // namespace

// Records of one patient that carry different names and birth dates: the title names every
// name, a warning lists each variant with its count, the table shows which result carries
// which, and the printed report says the same above the figures.
TEST_F(PatientPageTest, DisagreeingNamesAndBirthDatesAreAllShownAndMarked) {
    for (const char* date : {"20240101", "20240201", "20240301", "20240401", "20240501"}) {
        AddRow(users.HbA1cMain(), date, "0900", "0700", "P1005", "최민준", "");
    }
    AddRow(users.HbA1cMain(), "20240601", "0900", "0710", "P1005", "이서윤X", "");
    ASSERT_TRUE(users.HbA1cMain().Execute(
        "UPDATE HospitalTlb SET p_DOB='19700506' WHERE PID='P1005' AND DATE='20240601'"));
    auto page = Open("P1005");
    EXPECT_EQ(page->Data().patientName, "최민준") << "the name most records carry";
    EXPECT_TRUE(page->findChild<QLabel*>()->text().contains(QString::fromUtf8("최민준 / 이서윤X")));
    ASSERT_TRUE(page->ConflictLabel()->isVisible());
    const QString warning = page->ConflictLabel()->text();
    EXPECT_TRUE(warning.contains(QString::fromUtf8("최민준 (5 results), 이서윤X (1 result)")))
        << warning.toStdString();
    EXPECT_TRUE(warning.contains("1900-01-01 (5 results), 1970-05-06 (1 result)"))
        << warning.toStdString();
    EXPECT_EQ(page->Table()->item(0, 5)->text(), QString::fromUtf8("이서윤X"));
    EXPECT_EQ(page->Table()->item(0, 6)->text(), "1970-05-06");
    EXPECT_EQ(page->Table()->item(1, 5)->text(), QString::fromUtf8("최민준"));
    Render(*page, Scaled("patient_conflict") + ".png");

    ASSERT_EQ(page->PrintReport(), kPrintSpooled);
    const QString printed =
        Normalized(PdfPageTexts(QString::fromStdString(data.File("patient.pdf"))).join(' '));
    for (const char* expected :
         {"Patient: P1005 최민준 / 이서윤X", "Warning: the records of this patient disagree",
          "Names on the records: 최민준 (5 results), 이서윤X (1 result)"}) {
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                   << printed.toStdString();
    }

    // Records that agree raise nothing.
    auto agreeing = Open(kHostileId);
    EXPECT_FALSE(agreeing->ConflictLabel()->isVisible());
    EXPECT_EQ(agreeing->Data().patientName, "Kim");
}

// Opened as the window opens it, the page fits the screen it is on with Print and Close on
// it (a 1280 x 720 logical screen at 150 %, the small offscreen screen otherwise), and
// Ctrl+P prints.
TEST_F(PatientPageTest, FitsTheScreenWithItsButtonsReachableAndCtrlPPrints) {
    PatientPage page(users, prompter, &print, kHostileId);
    page.SetToday([] { return QDate(2024, 6, 15); });
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    const QRect area = page.screen()->availableGeometry();
    EXPECT_LE(page.height(), area.height())
        << "window " << page.height() << " on " << area.height();
    EXPECT_LE(page.width(), area.width());
    const QRect printPlace =
        QRect(page.PrintButton()->mapTo(&page, QPoint(0, 0)), page.PrintButton()->size());
    EXPECT_TRUE(page.rect().contains(printPlace)) << "Print inside the window";
    EXPECT_GT(page.Table()->height(), 60) << "the results table keeps some rows";
    Render(page, Scaled("patient_window") + ".png");

    page.activateWindow();
    QTest::keyClick(&page, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(print.shown, 1) << "Ctrl+P prints the report";
}
