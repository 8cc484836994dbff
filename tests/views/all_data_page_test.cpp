// The all-data page over real per-user SQLite files, with scripted prompts, save dialog,
// print dialog, menu and record dialogs.
#include "i18n/language.h"
#include "i18n/message_text.h"
#include "print_test_support.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/audit_log.h"
#include "store/csv_export.h"
#include "store/interface_settings.h"
#include "store/list_filters.h"
#include "store/removed_results.h"
#include "store/text_encoding.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/all_data_page.h"
#include "views/delivery_panel.h"
#include "views/patient_chooser.h"
#include "views/patient_page.h"
#include "views/record_dialogs.h"
#include "views/ui_services.h"
#include "widgets/image_button.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

// At global scope: the macro declares the initialiser of the generated resource code.
static void InitResources() {
#ifdef QA_HAVE_RESOURCES
    Q_INIT_RESOURCE(resources);
#endif
}

using namespace qa;
using namespace qa::test;

namespace {

class ScriptedFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override {
        ++asked;
        return savePath;
    }
    bool OpenFile(const QString& path) override {
        opened.push_back(path);
        return true;
    }
    QString savePath;
    int asked = 0;
    std::vector<QString> opened;
};

// Notes whether the dialog came up under the wait cursor.
class WatchingPrintDialog : public ScriptedPrintDialog {
public:
    using ScriptedPrintDialog::ScriptedPrintDialog;
    int Exec(PrinterSelection& selection) override {
        const QCursor* cursor = QApplication::overrideCursor();
        underWaitCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        return ScriptedPrintDialog::Exec(selection);
    }
    bool underWaitCursor = false;
};

struct Result {
    std::string date, time, value, pid = "P1", opid = "OP", name = "", dob = "19000101";
};

class AllDataPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitResources();
        // The page keeps its column layout in the application profile; keep it in here.
        defaultConfig_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(config.Path()));
        ASSERT_TRUE(users.Reload());
        page =
            std::make_unique<AllDataPage>(users, prompter, files, &print,
                                          [this](FrameCommand code) { commands.push_back(code); });
        page->SetToday([] { return QDate(2016, 6, 20); });
        page->SetMenuRunner([this](QMenu& menu, const QPoint&) -> QAction* {
            ++menusShown;
            menuTexts.clear();
            QAction* chosen = nullptr;
            for (QAction* action : menu.actions()) {
                menuTexts.push_back(action->text());
                if (action->data().toInt() == menuChoice) {
                    chosen = action;
                }
            }
            return chosen;
        });
        page->SetDialogRunner([this](QDialog& dialog) {
            return dialogScript ? dialogScript(dialog) : int(QDialog::Rejected);
        });
        page->resize(1014, 738);
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    }
    void TearDown() override {
        page.reset();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, defaultConfig_);
    }

    void AddHbA1c(const Result& r) { Add(users.HbA1cMain(), r); }
    void AddGlucose(const Result& r) { Add(users.GlucoseMain(), r); }
    static void Add(MeasurementTable& table, const Result& r) {
        ASSERT_TRUE(table.AddNew());
        table.date = r.date;
        table.time = r.time;
        table.value = r.value;
        table.pid = r.pid;
        table.opid = r.opid;
        table.eqType = "1";
        table.name = r.name;
        table.dob = r.dob;
        ASSERT_TRUE(table.Update());
    }

    // Every stored HbA1c row as "date time value pid opid name memo", in storage order.
    std::vector<std::string> StoredHbA1c() {
        HbA1cTable& t = users.HbA1cMain();
        t.filter.Clear();
        t.sort = "ROWID";
        EXPECT_TRUE(t.Requery());
        std::vector<std::string> rows;
        for (; !t.IsEOF(); t.MoveNext()) {
            rows.push_back(t.date.Str() + " " + t.time.Str() + " " + t.value.Str() + " " +
                           t.pid.Str() + " " + t.opid.Str() + " " + t.name.Str() + " " +
                           t.memo.Str());
        }
        EXPECT_TRUE(t.ResetView());
        return rows;
    }

    views::DataListView* List() { return page->List(); }
    std::vector<QString> Column(int column) {
        std::vector<QString> texts;
        for (int r = 0; r < List()->RowCount(); ++r) {
            texts.push_back(List()->CellText(r, column));
        }
        return texts;
    }
    QPoint CellCentre(int row, int column) {
        return List()->visualRect(List()->Model()->index(row, column)).center();
    }
    void SetRange(QDate start, QDate end) {
        page->StartPicker()->setDate(start);
        page->EndPicker()->setDate(end);
    }

    TempDir data;
    TempDir config;
    TempDir reports; // a report is never written into the data folder
    ScriptedPrompter prompter;
    UserStore users{data.Path(), prompter};
    ScriptedFiles files;
    WatchingPrintDialog print{QString::fromStdString(reports.File("report.pdf"))};
    std::vector<FrameCommand> commands;
    std::unique_ptr<AllDataPage> page;

    int menuChoice = 0;
    int menusShown = 0;
    std::vector<QString> menuTexts;
    std::function<int(QDialog&)> dialogScript;

private:
    QString defaultConfig_;
};

// An export without its header line, which is in the catalogue's language.
std::string Lines(const std::string& csv) {
    return csv.substr(csv.find('\n') + 1);
}

const std::string kRangeTooLong =
    "최대 365일 데이터를 검색할 수 있습니다. \r\n다시 날짜 설정해 주세요.";
const std::string kBadRange = "검색기간 설정이 잘못되었습니다. \r\n다시 날짜 설정해 주세요.";

} // namespace

TEST_F(AllDataPageTest, EmptyTableShowsNoRowsAndTheWeekUpToToday) {
    page->Activate();
    EXPECT_EQ(List()->RowCount(), 0);
    EXPECT_TRUE(List()->SelectedRows().empty());
    EXPECT_EQ(page->EndPicker()->date(), QDate(2016, 6, 20));
    EXPECT_EQ(page->StartPicker()->date(), QDate(2016, 6, 13));
    EXPECT_EQ(page->NewestDate(), "20160620");
    EXPECT_EQ(page->UserList()->currentText(), "Basis");
    EXPECT_EQ(page->OperatorIdList()->count(), 1);
    EXPECT_TRUE(prompter.shown.empty());

    // The fixed controls: lists, places and the navigation row.
    ASSERT_EQ(List()->ColumnCount(), 9) << "six columns and three optional ones";
    EXPECT_EQ(List()->ColumnHeading(4), "eAG");
    EXPECT_EQ(List()->ColumnWidth(5), 180);
    // The laboratory row under the list stays on the card, above the footer; the patient
    // search sits between the filter row and the list.
    EXPECT_EQ(page->Delivery()->geometry(), QRect(60, 633, 894, 30));
    EXPECT_EQ(List()->geometry().left(), 60);
    EXPECT_EQ(List()->geometry().bottom(), 627);
    EXPECT_EQ(page->SearchField()->geometry().left(), 60);
    EXPECT_GT(page->SearchField()->geometry().top(), page->PeriodList()->geometry().bottom());
    EXPECT_LT(page->SearchField()->geometry().bottom(), List()->geometry().top());
    for (int c = 6; c < 9; ++c) {
        EXPECT_FALSE(List()->IsColumnVisible(c)) << "optional column " << c << " starts hidden";
    }
    EXPECT_EQ(page->PeriodList()->count(), 13);
    EXPECT_EQ(page->PeriodList()->itemText(1), "1 week");
    EXPECT_EQ(page->PeriodList()->itemText(12), "12 weeks");
    EXPECT_EQ(page->KindList()->itemText(1), "Glucose");
    EXPECT_EQ(page->KindList()->font().pointSize(), 10);
    EXPECT_EQ(page->EndPicker()->geometry(), QRect(626, 150, 115, 25));
    EXPECT_EQ(page->ExportButton()->geometry(), QRect(885, 145, 63, 35));
    EXPECT_FALSE(page->PatientIdList()->isVisible());
    EXPECT_FALSE(page->OperatorIdList()->isVisible());
    EXPECT_FALSE(page->NavButton(FrameCommand::ViewData)->isEnabled());
    page->NavButton(FrameCommand::Settings)->click();
    page->NavButton(FrameCommand::Home)->click();
    EXPECT_EQ(commands, (std::vector<FrameCommand>{FrameCommand::Settings, FrameCommand::Home}));
}

TEST_F(AllDataPageTest, ListsNewestFirstAndKeepsTheStoredValuesOfEachRow) {
    AddHbA1c({"20160619", "0800", "0700", "ab7"});
    AddHbA1c({"20160620", "1430", "0650", "AB7"});
    AddHbA1c({"20160620", "0915", "1500", "A"}); // a prefix of "ALL Data"
    AddHbA1c({"20160101", "2359", "0380", "C9"});
    page->Activate();
    ASSERT_EQ(List()->RowCount(), 4);
    EXPECT_EQ(Column(0), (std::vector<QString>{"1", "2", "3", "4"}));
    EXPECT_EQ(Column(5), (std::vector<QString>{"AB7", "A", "ab7", "C9"}));
    EXPECT_EQ(List()->CellText(0, 3), "6.5 %");
    EXPECT_EQ(List()->CellText(1, 4), "> 14 %");
    EXPECT_EQ(List()->CellText(3, 4), "< 4 %");
    EXPECT_EQ(List()->SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(page->NewestDate(), "20160620");
    EXPECT_EQ(page->EndPicker()->date(), QDate(2016, 6, 20));
    ASSERT_EQ(page->Rows().size(), 4u);
    EXPECT_EQ(page->Rows()[3].value, "0380");
    EXPECT_EQ(page->Rows()[3].time, "2359");
    EXPECT_GT(page->Rows()[3].rowId, 0);
    // Hidden operator-ID list: one entry per distinct ID, case-insensitively, read when the
    // list drops down.
    EXPECT_EQ(page->OperatorIdList()->count(), 1);
    page->OperatorIdList()->showPopup();
    page->OperatorIdList()->hidePopup();
    QStringList ids;
    for (int i = 0; i < page->OperatorIdList()->count(); ++i) {
        ids << page->OperatorIdList()->itemText(i);
    }
    EXPECT_EQ(ids, (QStringList{"ALL Data", "AB7", "C9"}));

    // The display settings apply on the next load.
    users.Settings().hba1cUnit = 1;
    users.Settings().timeFormat = 1;
    page->LoadList();
    EXPECT_EQ(List()->CellText(0, 3), "48 mmol/mol");
    EXPECT_EQ(List()->CellText(0, 2), "14:30");
}

TEST_F(AllDataPageTest, SearchAcceptsUpTo366DaysAndRefusesWrongRanges) {
    for (const char* date : {"20151231", "20160101", "20160620", "20170101", "20170102"}) {
        AddHbA1c({date, "1200", "0600"});
    }
    page->Activate();
    ASSERT_EQ(List()->RowCount(), 5);

    SetRange(QDate(2016, 6, 20), QDate(2016, 6, 20));
    page->SearchButton()->click();
    EXPECT_EQ(Column(0).size(), 1u);
    ASSERT_EQ(page->Rows().size(), 1u);
    EXPECT_EQ(page->Rows()[0].date, "20160620");
    EXPECT_TRUE(page->ListFiltered());
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(users.HbA1cMain().filter.Str(), "DATE between '20160620' and '20160620'");

    SetRange(QDate(2016, 1, 1), QDate(2017, 1, 1)); // 366 days
    page->Search();
    EXPECT_EQ(List()->RowCount(), 3);
    EXPECT_TRUE(prompter.shown.empty());

    SetRange(QDate(2015, 12, 31), QDate(2017, 1, 1)); // 367 days
    page->Search();
    ASSERT_EQ(prompter.Texts(), std::vector<std::string>{kRangeTooLong});
    EXPECT_EQ(List()->RowCount(), 3) << "the list stays as it was";

    SetRange(QDate(2016, 6, 21), QDate(2016, 6, 20));
    page->Search();
    ASSERT_EQ(prompter.Texts(), (std::vector<std::string>{kRangeTooLong, kBadRange}));
    EXPECT_EQ(List()->RowCount(), 3);
}

TEST_F(AllDataPageTest, PeriodsCountBackFromTheNewestResultAndAllStillFilters) {
    for (const char* date : {"20150101", "20150107", "20150113", "20150120"}) {
        AddHbA1c({date, "1200", "0600"});
    }
    page->Activate();
    EXPECT_EQ(page->EndPicker()->date(), QDate(2015, 1, 20)) << "the newest result, not today";
    EXPECT_EQ(page->StartPicker()->date(), QDate(2015, 1, 13));

    page->ChoosePeriod(1);
    EXPECT_EQ(List()->RowCount(), 2); // 13th to 20th
    page->ChoosePeriod(2);
    EXPECT_EQ(List()->RowCount(), 3);
    EXPECT_EQ(page->PeriodList()->currentIndex(), 2);

    page->ChoosePeriod(0);
    EXPECT_EQ(List()->RowCount(), 4);
    EXPECT_TRUE(page->ListFiltered());
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, CellCentre(0, 1));
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_TRUE(prompter.shown.empty()) << "no delete question while filtered";
    page->CaptureRecord(0, 1);
    EXPECT_TRUE(page->HasSelectedRecord()) << "the record menu works in every list state";
    EXPECT_EQ(List()->RowCount(), 4);

    page->Activate();
    EXPECT_FALSE(page->ListFiltered());
    EXPECT_EQ(page->PeriodList()->currentIndex(), 0);
}

TEST_F(AllDataPageTest, OneDoubleClickDeletesEveryRowWithTheSameFiveFields) {
    Result twin{"20160620", "1430", "0650", "P'1", "OP"};
    AddHbA1c(twin);
    AddHbA1c({"20160620", "1430", "0650", "P'1", "OTHER"});
    AddHbA1c(twin);
    AddHbA1c({"20150101", "0800", "0500", "OLD", "OP"});
    page->Activate();
    ASSERT_EQ(List()->RowCount(), 4);
    int twinRow = -1;
    for (int r = 0; r < 4 && twinRow < 0; ++r) {
        const ListRow row = page->Rows()[static_cast<std::size_t>(r)];
        twinRow = row.operatorId == "OP" && row.patientId == "P'1" ? r : -1;
    }
    ASSERT_GE(twinRow, 0);

    prompter.answers = {false};
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, CellCentre(twinRow, 2));
    ASSERT_EQ(prompter.shown.size(), 1u);
    // The question names the record it deletes, and a stray Enter keeps it.
    EXPECT_EQ(prompter.shown[0].text, std::string("선택한 데이터를 삭제하시겠습니까?") +
                                          "\r\n\r\nDate: 2016-06-20   Time: 02:30 PM\r\n"
                                          "Result: 6.5 %\r\nPatient ID: P'1");
    EXPECT_TRUE(prompter.shown[0].defaultNo);
    EXPECT_EQ(StoredHbA1c().size(), 4u);

    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, CellCentre(twinRow, 2));
    EXPECT_EQ(StoredHbA1c(), (std::vector<std::string>{"20160620 1430 0650 P'1 OTHER  ",
                                                       "20150101 0800 0500 OLD OP  "}));
    EXPECT_EQ(List()->RowCount(), 2) << "reloaded";

    // Reordered on the screen, the clicked row is still the one deleted.
    List()->SortByColumn(0, true);
    List()->SortByColumn(0, true); // descending by number: the oldest result on top
    ASSERT_EQ(List()->CellText(0, 0), "2");
    page->DeleteRow(0, 0);
    EXPECT_EQ(StoredHbA1c(), std::vector<std::string>{"20160620 1430 0650 P'1 OTHER  "});
}

TEST_F(AllDataPageTest, KindSwitchRebuildsColumnsAndGlucoseHasNoRecordMenu) {
    AddHbA1c({"20160620", "1430", "0650"});
    AddGlucose({"20160621", "0700", "110"});
    AddGlucose({"20160620", "0700", "5"});
    page->Activate();
    List()->SetColumnVisible(2, false);
    ASSERT_TRUE(List()->SaveColumnState());
    page->ChoosePeriod(0);

    page->ChooseKind(1);
    EXPECT_EQ(page->Kind(), ResultKind::Glucose);
    ASSERT_EQ(List()->ColumnCount(), 5) << "four columns and the delivery state";
    EXPECT_EQ(List()->ColumnHeading(3), "Result");
    EXPECT_TRUE(List()->IsColumnVisible(2)) << "the HbA1c layout does not fit the glucose list";
    EXPECT_EQ(Column(3), (std::vector<QString>{"110 mg/dL", "Lo"}));
    EXPECT_TRUE(page->ListFiltered()) << "a kind switch leaves the filter state alone";
    EXPECT_EQ(page->NewestDate(), "20160621");

    page->Activate(); // unfiltered, glucose still chosen
    EXPECT_EQ(page->KindList()->currentIndex(), 1);
    QTest::mousePress(List()->viewport(), Qt::RightButton, {}, CellCentre(0, 1));
    QTest::mouseRelease(List()->viewport(), Qt::RightButton, {}, CellCentre(0, 1));
    EXPECT_FALSE(page->HasSelectedRecord());
    QContextMenuEvent request(QContextMenuEvent::Mouse, CellCentre(0, 1), QPoint(0, 0));
    QApplication::sendEvent(List()->viewport(), &request);
    page->ShowRecordMenu(QPoint(100, 100));
    EXPECT_EQ(menusShown, 0);

    page->ChooseKind(0);
    ASSERT_EQ(List()->ColumnCount(), 9);
    EXPECT_FALSE(List()->IsColumnVisible(2)) << "the saved HbA1c layout is back";
    EXPECT_EQ(List()->RowCount(), 1);
    QContextMenuEvent again(QContextMenuEvent::Mouse, CellCentre(0, 1), QPoint(0, 0));
    QApplication::sendEvent(List()->viewport(), &again);
    EXPECT_EQ(menusShown, 1);
    EXPECT_EQ(menuTexts,
              (std::vector<QString>{"Modifly Data", "Access the data", "Patient history"}));
}

TEST_F(AllDataPageTest, ModifyChangesOnlyTheSelectedRecord) {
    AddHbA1c({"20160620", "1430", "0650", "111", "OP", "Kim"});
    AddHbA1c({"20160620", "1430", "0650", "222", "OP", "Lee"});
    page->Activate();
    const int kimRow = List()->CellText(0, 5) == "111" ? 0 : 1;
    QTest::mousePress(List()->viewport(), Qt::RightButton, {}, CellCentre(kimRow, 3));
    QTest::mouseRelease(List()->viewport(), Qt::RightButton, {}, CellCentre(kimRow, 3));
    ASSERT_TRUE(page->HasSelectedRecord());
    EXPECT_EQ(page->SelectedRecord().patientName, "Kim");

    QString shownId;
    dialogScript = [&](QDialog& dialog) {
        auto* view = dynamic_cast<views::RecordViewDialog*>(&dialog);
        shownId = view ? view->PatientIdEdit()->text() : QString();
        return int(QDialog::Rejected);
    };
    menuChoice = AllDataPage::kMenuView;
    page->ShowRecordMenu(QPoint(10, 10));
    EXPECT_EQ(shownId, "111");

    dialogScript = [](QDialog& dialog) {
        auto& modify = dynamic_cast<views::RecordModifyDialog&>(dialog);
        modify.PatientNameEdit()->setText("Park");
        modify.PatientIdEdit()->setText("333");
        modify.ConfirmChange();
        return modify.result();
    };
    menuChoice = AllDataPage::kMenuModify;
    page->ShowRecordMenu(QPoint(10, 10));
    EXPECT_EQ(StoredHbA1c(), (std::vector<std::string>{"20160620 1430 0650 333 OP Park ",
                                                       "20160620 1430 0650 222 OP Lee "}));
    EXPECT_TRUE(Column(5) == (std::vector<QString>{"333", "222"}) ||
                Column(5) == (std::vector<QString>{"222", "333"}))
        << "the list shows the change";

    // A second change from the menu still finds the record it changed before.
    dialogScript = [](QDialog& dialog) {
        auto& modify = dynamic_cast<views::RecordModifyDialog&>(dialog);
        modify.MemoEdit()->setPlainText("again");
        modify.ConfirmChange();
        return modify.result();
    };
    const int parkRow = List()->CellText(0, 5) == "333" ? 0 : 1;
    QContextMenuEvent request(QContextMenuEvent::Mouse, CellCentre(parkRow, 1), QPoint(0, 0));
    QApplication::sendEvent(List()->viewport(), &request);
    EXPECT_EQ(StoredHbA1c(), (std::vector<std::string>{"20160620 1430 0650 333 OP Park again",
                                                       "20160620 1430 0650 222 OP Lee "}));
    EXPECT_TRUE(std::none_of(prompter.shown.begin(), prompter.shown.end(), [](const auto& s) {
        return s.text == "The change could not be written.\r\nThe record may have "
                         "been deleted meanwhile.";
    }));
}

// The window's edit and delete name the result by its ID: a row another program changed
// since the list was read (here its operator ID, which the dialog does not show) is still the
// one changed and deleted, and the delete is remembered for the next download.
TEST_F(AllDataPageTest, ModifyAndDeleteFindTheRecordByItsId) {
    AddHbA1c({"20160620", "1430", "0650", "111", "OP", "Kim"});
    AddHbA1c({"20160620", "1430", "0650", "222", "OP", "Lee"});
    page->Activate();
    const int kimRow = List()->CellText(0, 5) == "111" ? 0 : 1;
    QTest::mousePress(List()->viewport(), Qt::RightButton, {}, CellCentre(kimRow, 3));
    QTest::mouseRelease(List()->viewport(), Qt::RightButton, {}, CellCentre(kimRow, 3));
    ASSERT_TRUE(page->HasSelectedRecord());
    const std::string id = page->SelectedRecord().resultId;
    ASSERT_EQ(id.size(), 36U);

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(users.HbA1cMain().Path().CStr(), &other), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(other,
                     ("UPDATE HospitalTlb SET OPID='MOVED' WHERE RESULT_ID='" + id + "'").c_str(),
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(other);

    dialogScript = [](QDialog& dialog) {
        auto& modify = dynamic_cast<views::RecordModifyDialog&>(dialog);
        modify.MemoEdit()->setPlainText("by id");
        modify.ConfirmChange();
        return modify.result();
    };
    menuChoice = AllDataPage::kMenuModify;
    page->ShowRecordMenu(QPoint(10, 10));
    EXPECT_EQ(StoredHbA1c(), (std::vector<std::string>{"20160620 1430 0650 111 MOVED Kim by id",
                                                       "20160620 1430 0650 222 OP Lee "}));
    EXPECT_TRUE(prompter.shown.size() == 1) << "only the dialog's question, no failure";

    int row = -1;
    const std::vector<ListRow> rows = page->Rows();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        row = rows[r].resultId == id ? static_cast<int>(r) : row;
    }
    ASSERT_GE(row, 0) << "the edit kept the ID";
    prompter.answers = {true};
    page->DeleteRow(row, 0);
    EXPECT_EQ(StoredHbA1c(), std::vector<std::string>{"20160620 1430 0650 222 OP Lee "});
    const std::vector<RemovedResult> remembered =
        test::ValueOf(FindRemoved(users.HbA1cMain(), id, RemovedReason::Deleted));
    ASSERT_EQ(remembered.size(), 1U);
    EXPECT_EQ(remembered[0].row.memo, "by id");
    EXPECT_EQ(remembered[0].row.operatorId, "MOVED");
}

// Whatever the list state (filtered, searched, reordered) and however the menu is asked for
// (right-click, Menu key), the record dialogs open the row the request was made on, and a
// change writes that record and no other.
TEST_F(AllDataPageTest, RecordMenuCapturesTheRowItWasOpenedOnInEveryListState) {
    AddHbA1c({"20160620", "1430", "0650", "AAA", "OP", "Ann"});
    AddHbA1c({"20160619", "1000", "0700", "BBB", "OP", "Ben"});
    AddHbA1c({"20160618", "0900", "0550", "CCC", "OP", "Cho"});
    AddHbA1c({"20160101", "0800", "0600", "DDD", "OP", "Dan"});
    page->Activate();
    const std::vector<std::string> before = StoredHbA1c();
    auto rowOf = [&](const char* pid) {
        for (int r = 0; r < List()->RowCount(); ++r) {
            if (List()->CellText(r, 5) == pid) {
                return r;
            }
        }
        return -1;
    };
    auto rightClick = [&](int row) {
        // A real right-click: the press, then the menu request at the same point.
        const QPoint at = CellCentre(row, 2);
        QTest::mousePress(List()->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(List()->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at,
                                  List()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(List()->viewport(), &request);
    };
    QString viewedId;
    dialogScript = [&](QDialog& dialog) {
        auto* view = dynamic_cast<views::RecordViewDialog*>(&dialog);
        viewedId = view ? view->PatientIdEdit()->text() : QString("?");
        return int(QDialog::Rejected);
    };
    menuChoice = AllDataPage::kMenuView;

    // Captured unfiltered first: the later requests must not fall back to it.
    rightClick(rowOf("AAA"));
    EXPECT_EQ(viewedId, "AAA");

    page->ChoosePeriod(0); // "ALL" filters too
    rightClick(rowOf("CCC"));
    EXPECT_EQ(viewedId, "CCC");

    page->ChoosePeriod(1);
    ASSERT_EQ(List()->RowCount(), 3);
    rightClick(rowOf("BBB"));
    EXPECT_EQ(viewedId, "BBB");

    SetRange(QDate(2016, 1, 1), QDate(2016, 1, 1));
    page->Search();
    ASSERT_EQ(List()->RowCount(), 1);
    rightClick(rowOf("DDD"));
    EXPECT_EQ(viewedId, "DDD");

    // Reordered on the screen (descending by number: the oldest result on top), no row stands
    // where it was loaded: the menu still opens the row it was asked on.
    page->ChoosePeriod(0);
    List()->SortByColumn(0, true);
    List()->SortByColumn(0, true);
    ASSERT_EQ(List()->CellText(0, 0), "4");
    ASSERT_EQ(List()->CellText(0, 5), "DDD");
    rightClick(rowOf("AAA"));
    EXPECT_EQ(viewedId, "AAA");

    // The Menu key acts on the keyboard's row.
    List()->setFocus();
    List()->SelectRow(rowOf("CCC"));
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5),
                          List()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(List(), &key);
    EXPECT_EQ(viewedId, "CCC");

    // Below the last row nothing is captured: the items are there but disabled.
    viewedId.clear();
    menuChoice = 0;
    QContextMenuEvent empty(QContextMenuEvent::Mouse, QPoint(400, 300), QPoint(0, 0));
    QApplication::sendEvent(List()->viewport(), &empty);
    ASSERT_FALSE(page->HasSelectedRecord());
    page->ShowSelectedRecord();
    EXPECT_TRUE(viewedId.isEmpty()) << "no empty \"< 4 %\" record";
    QMenu* lastMenu = nullptr;
    page->SetMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        for (QAction* action : menu.actions()) {
            EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
        }
        lastMenu = &menu;
        return nullptr;
    });
    QApplication::sendEvent(List()->viewport(), &empty);
    EXPECT_NE(lastMenu, nullptr);

    // Filtered, another row right-clicked and changed: only that record changes.
    page->SetMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        for (QAction* action : menu.actions()) {
            if (action->data().toInt() == AllDataPage::kMenuModify) {
                return action;
            }
        }
        return nullptr;
    });
    page->ChoosePeriod(1);
    dialogScript = [](QDialog& dialog) {
        auto& modify = dynamic_cast<views::RecordModifyDialog&>(dialog);
        modify.PatientNameEdit()->setText("Changed");
        modify.ConfirmChange();
        return modify.result();
    };
    rightClick(rowOf("BBB"));
    std::vector<std::string> expected = before;
    expected[1] = "20160619 1000 0700 BBB OP Changed ";
    EXPECT_EQ(StoredHbA1c(), expected);
}

TEST_F(AllDataPageTest, DeleteKeyAsksLikeADoubleClickAndDeletesOnYesOnly) {
    AddHbA1c({"20160620", "1430", "0650", "KEEP", "OP"});
    AddHbA1c({"20160619", "0905", "0710", "GONE", "OP"});
    page->Activate();
    const int gone = List()->CellText(0, 5) == "GONE" ? 0 : 1;
    List()->setFocus();
    List()->SelectRow(gone);
    prompter.answers = {false, true};
    QTest::keyClick(List(), Qt::Key_Delete);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].defaultNo);
    EXPECT_NE(prompter.shown[0].text.find("Date: 2016-06-19   Time: 09:05 AM"), std::string::npos)
        << prompter.shown[0].text;
    EXPECT_NE(prompter.shown[0].text.find("Result: 7.1 %"), std::string::npos);
    EXPECT_NE(prompter.shown[0].text.find("Patient ID: GONE"), std::string::npos);
    EXPECT_EQ(StoredHbA1c().size(), 2u) << "No keeps it";
    List()->SelectRow(gone);
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(StoredHbA1c(), std::vector<std::string>{"20160620 1430 0650 KEEP OP  "});

    // The question as the operator sees it.
    auto box = MakeQuestionBox(page.get(), prompter.shown[0].text, "QuorinA1c", true);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    QDir().mkpath(QA_RENDER_DIR);
    box->adjustSize();
    EXPECT_TRUE(box->grab().save(QString(QA_RENDER_DIR) + "/question_delete.png"));
}

TEST_F(AllDataPageTest, UserBoxNamesTheUserTheListShows) {
    AddHbA1c({"20160620", "1430", "0650"});
    page->Activate();
    ASSERT_EQ(page->UserList()->currentText(), "Basis");
    prompter.answers = {true};
    ASSERT_EQ(users.AddUser("Nurse"), UserStore::Outcome::Done);
    page->LoadList(); // what the window does after the settings dialog
    EXPECT_EQ(page->UserList()->currentText(), "Nurse");
    EXPECT_EQ(List()->RowCount(), 0) << "the new user's empty table";

    page->ChooseUser(page->UserList()->findText("Basis"));
    EXPECT_EQ(page->UserList()->currentText(), "Basis");
    EXPECT_EQ(List()->RowCount(), 1);
    ASSERT_TRUE(users.SwitchUser("Nurse"));
    page->LoadList();
    EXPECT_EQ(page->UserList()->currentText(), "Nurse");
    prompter.answers = {true};
    ASSERT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Done);
    page->LoadList();
    EXPECT_EQ(page->UserList()->currentText(), QString::fromStdString(users.ActiveUserId()));
    EXPECT_EQ(page->UserList()->count(), 1);
    EXPECT_EQ(List()->RowCount(), 1);
}

TEST_F(AllDataPageTest, ExportWritesTheRowsShownAndOpensTheFile) {
    TempDir elsewhere;
    files.savePath = QString::fromStdString(elsewhere.File("out.csv"));
    page->Activate();
    page->ExportButton()->click();
    EXPECT_EQ(ReadFile(elsewhere.File("out.csv")), "No,Date,Time,Result,eAG,Patient ID\n");
    EXPECT_EQ(files.opened, std::vector<QString>{files.savePath});

    AddGlucose({"20160620", "1430", "110"});
    AddGlucose({"20160101", "1430", "120"});
    page->ChooseKind(1);
    page->ChoosePeriod(1);
    ASSERT_EQ(List()->RowCount(), 1);
    page->ExportList();
    std::string csv = ReadFile(elsewhere.File("out.csv"));
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1), "No,Date,Time,Result,Patient ID\n");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2);
    EXPECT_NE(csv.find("110 mg/dL,\n"), std::string::npos);

    prompter.answers = {false};
    const int asked = files.asked;
    page->ExportList();
    EXPECT_EQ(files.asked, asked) << "declined: no save dialog";

    const Expected<std::vector<AuditEntry>> read = ReadAudit(data.Path(), {});
    ASSERT_TRUE(read.ok());
    const std::vector<AuditEntry>& log = *read;
    ASSERT_EQ(log.size(), 2u) << "each written export once, the declined one not";
    EXPECT_EQ(log[0].action, "export");
    EXPECT_EQ(log[0].detail, "0 HbA1c results to " + elsewhere.File("out.csv"));
    EXPECT_EQ(log[1].detail, "1 glucose results to " + elsewhere.File("out.csv"));

    // Never into the data folder, where an export could replace the program's own files.
    files.opened.clear();
    files.savePath = QString::fromStdString(data.File("Basis_HbA1c.sqlite"));
    std::string database = ReadFile(data.File("Basis_HbA1c.sqlite"));
    prompter.shown.clear();
    page->ExportList();
    EXPECT_EQ(ReadFile(data.File("Basis_HbA1c.sqlite")), database);
    EXPECT_TRUE(files.opened.empty());
    ASSERT_FALSE(prompter.Texts().empty());
    EXPECT_NE(prompter.Texts().back().find("inside the data folder"), std::string::npos)
        << prompter.Texts().back();
}

TEST_F(AllDataPageTest, ALongListShowsAndExportsExactlyTheLoadedListsTexts) {
    // More rows than the list caches, ties that only the patient tells apart, and IDs that
    // are prefixes of each other in both orders.
    HbA1cTable& table = users.HbA1cMain();
    ASSERT_TRUE(table.BeginTransaction());
    for (int i = 0; i < 3000; ++i) {
        char date[16], time[8], value[8], pid[16];
        std::snprintf(date, sizeof date, "2016%02d%02d", i % 12 + 1, i % 28 + 1);
        std::snprintf(time, sizeof time, "%02d00", i % 3);
        std::snprintf(value, sizeof value, "%04d", 500 + i % 7);
        std::snprintf(pid, sizeof pid, i % 5 == 0 ? "p%d" : "P%d", i % 900);
        AddHbA1c({date, time, value, pid});
    }
    ASSERT_TRUE(table.CommitTransaction());
    page->Activate();
    ResultList expected = LoadResultList(table, users.Settings(), false);
    ASSERT_EQ(List()->RowCount(), 3000);
    for (int row : {0, 1500, 2999, 7}) {
        for (int column = 0; column < 6; ++column) {
            EXPECT_EQ(
                List()->CellTextUtf8(row, column),
                expected.cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
        }
    }
    page->OperatorIdList()->showPopup();
    page->OperatorIdList()->hidePopup();
    QStringList ids;
    for (int i = 1; i < page->OperatorIdList()->count(); ++i) {
        ids << page->OperatorIdList()->itemText(i);
    }
    QStringList expectedIds;
    for (const std::string& id : expected.patientIds) {
        expectedIds << QString::fromStdString(id);
    }
    EXPECT_EQ(ids, expectedIds);

    TempDir elsewhere;
    files.savePath = QString::fromStdString(elsewhere.File("long.csv"));
    page->ExportList();
    EXPECT_EQ(ReadFile(elsewhere.File("long.csv")), ComposeCsv(ResultKind::HbA1c, expected.cells));
}

TEST_F(AllDataPageTest, TypingIntoTheIdListFindsWhatAQStringComparisonFinds) {
    // Case twins, a Kelvin sign that folds to k, Hangul, and IDs that begin each other.
    const char* pids[] = {
        "kx1", "Kx10", "\xe2\x84\xaax2", "KX3", "\xed\x99\x8d\xea\xb8\xb8", "abc", "ABD",
        "ab",  "all"};
    int minute = 0;
    for (const char* pid : pids) {
        char time[16];
        std::snprintf(time, sizeof time, "10%02d", 59 - minute++ % 60);
        AddHbA1c({"20160620", time, "0650", pid});
    }
    page->Activate();
    QComboBox* list = page->OperatorIdList();
    list->showPopup();
    list->hidePopup();
    const QAbstractItemModel* model = list->model();
    // "ab" is left out after "abc", "all" as a beginning of the all-data item.
    ASSERT_EQ(model->rowCount(), 8);
    for (const char* typed :
         {"k", "K", "kx", "KX1", "kx2", "ab", "AB", "abd", "a", "ALL", "\xed\x99\x8d", "z", ""}) {
        const QString text = QString::fromUtf8(typed);
        for (int from = 0; from < model->rowCount(); ++from) {
            for (Qt::MatchFlags flags :
                 {Qt::MatchStartsWith | Qt::MatchWrap, Qt::MatchFlags(Qt::MatchStartsWith),
                  Qt::MatchStartsWith | Qt::MatchCaseSensitive}) {
                QModelIndexList expected;
                const int rows = model->rowCount();
                for (int step = 0; step < rows; ++step) {
                    const int row = from + step;
                    if (row >= rows && !(flags & Qt::MatchWrap)) {
                        break;
                    }
                    const QString id = model->index(row % rows, 0).data().toString();
                    if (id.startsWith(text, flags & Qt::MatchCaseSensitive ? Qt::CaseSensitive
                                                                           : Qt::CaseInsensitive)) {
                        expected.append(model->index(row % rows, 0));
                    }
                }
                EXPECT_EQ(model->match(model->index(from, 0), Qt::DisplayRole, text, -1, flags),
                          expected)
                    << typed << " from " << from;
                EXPECT_EQ(model->match(model->index(from, 0), Qt::DisplayRole, text, 1, flags),
                          expected.mid(0, 1))
                    << typed << " from " << from;
            }
        }
    }
}

TEST_F(AllDataPageTest, PrintRunsTheReportUnderAWaitCursorAndReportsFailure) {
    AddHbA1c({"20160620", "1430", "0650", "P7"});
    page->Activate();
    page->PrintButton()->click();
    EXPECT_EQ(print.shown, 1);
    EXPECT_TRUE(print.underWaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QStringList pages = PdfPageTexts(QString::fromStdString(reports.File("report.pdf")));
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(Normalized(pages.join(' ')).contains("6.5 %"));
    EXPECT_TRUE(prompter.shown.empty());

    print.answer = ScriptedPrintDialog::Answer::Cancel;
    EXPECT_EQ(page->PrintList(), kPrintCancelled);
    EXPECT_TRUE(prompter.shown.empty());

    WatchingPrintDialog nowhere(QString::fromStdString(data.File("no/such/folder/r.pdf")));
    AllDataPage other(users, prompter, files, &nowhere, [](FrameCommand) {});
    other.Activate();
    EXPECT_EQ(other.PrintList(), kPrintNoPrinter);
    EXPECT_EQ(
        prompter.Texts(),
        std::vector<std::string>{
            "The list could not be printed: no printer is available, or the document could not "
            "be written."});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    const Expected<std::vector<AuditEntry>> read = ReadAudit(data.Path(), {});
    ASSERT_TRUE(read.ok());
    const std::vector<AuditEntry>& log = *read;
    ASSERT_EQ(log.size(), 1u) << "only the report that was written";
    EXPECT_EQ(log[0].action, "print");
    // The dialog's printer wrote a PDF file: the entry names the file, not a printer.
    EXPECT_EQ(log[0].detail, "1 HbA1c results to " + reports.File("report.pdf"));
    EXPECT_EQ(log[0].message,
              Message(MessageId::AuditOutputHbA1cToFile, {"1", reports.File("report.pdf")}));
}

TEST_F(AllDataPageTest, ChoosingAUserShowsTheirListAndKeepsTheLastNewestDate) {
    AddHbA1c({"20150120", "1200", "0600"});
    ASSERT_EQ(users.AddUser("nurse"), UserStore::Outcome::Done);
    ASSERT_TRUE(users.SwitchUser("Basis"));
    page->Activate();
    page->ChoosePeriod(2);
    ASSERT_EQ(page->UserList()->count(), 2);
    const int nurse = page->UserList()->findText("nurse");
    ASSERT_GE(nurse, 0);

    page->ChooseUser(nurse);
    EXPECT_EQ(users.CurrentUserId(), "nurse");
    EXPECT_EQ(page->UserList()->currentText(), "nurse");
    EXPECT_EQ(List()->RowCount(), 0);
    EXPECT_FALSE(page->ListFiltered());
    EXPECT_EQ(page->PeriodList()->currentIndex(), 0);
    EXPECT_EQ(page->EndPicker()->date(), QDate(2015, 1, 20));

    page->ChooseUser(page->UserList()->findText("Basis"));
    EXPECT_EQ(List()->RowCount(), 1);
}

// Renders the page in several display settings for a person to look at; runs only when
// QA_VIEWS_RENDER_DIR names a folder.
TEST_F(AllDataPageTest, RendersInEachUnitAndFormat) {
    const QString dir = qEnvironmentVariable("QA_VIEWS_RENDER_DIR");
    if (dir.isEmpty()) {
        GTEST_SKIP() << "set QA_VIEWS_RENDER_DIR to render";
    }
    QDir().mkpath(dir);
    const char* values[] = {"0650", "0420", "1450", "0380", "0712", "0999", "0575", "0810"};
    for (int i = 0; i < 24; ++i) {
        char date[16], time[8];
        std::snprintf(date, sizeof date, "201606%02d", 20 - i % 19);
        std::snprintf(time, sizeof time, "%02d%02d", (7 + 3 * i) % 24, (11 * i) % 60);
        AddHbA1c(
            {date, time, values[i % 8], i % 5 == 0 ? "홍길동01" : "P" + std::to_string(1000 + i)});
        AddGlucose({date, time, std::to_string(i % 6 == 0 ? 5 : 60 + 23 * i)});
    }
    struct Variant {
        const char* name;
        ResultKind kind;
        int hba1cUnit, glucoseUnit, dateFormat, timeFormat;
    };
    const Variant variants[] = {{"hba1c_percent_ymd_12h", ResultKind::HbA1c, 0, 0, 0, 0},
                                {"hba1c_mmol_mdy_24h", ResultKind::HbA1c, 1, 0, 1, 1},
                                {"glucose_mgdl_dmy_12h", ResultKind::Glucose, 0, 0, 2, 0},
                                {"glucose_mmol_ymd_24h", ResultKind::Glucose, 0, 1, 0, 1}};
    for (const Variant& v : variants) {
        users.Settings().hba1cUnit = v.hba1cUnit;
        users.Settings().glucoseUnit = v.glucoseUnit;
        users.Settings().dateFormat = v.dateFormat;
        users.Settings().timeFormat = v.timeFormat;
        page->SetKind(v.kind);
        page->Activate();
        EXPECT_FALSE(List()->CellText(0, 1).isEmpty());
        QCoreApplication::processEvents(); // the view lays out its scroll bars when idle
        ASSERT_TRUE(page->grab().save(dir + "/all_data_" + v.name + ".png"));
    }
}

// Renders, in both languages, the list with the patient's name shown, the record view of the
// same result and the box that says no meter answers, for a person to look at; runs only
// when QA_VIEWS_RENDER_DIR names a folder (at 150 % with QT_SCALE_FACTOR=1.5).
TEST_F(AllDataPageTest, RendersTheNameColumnTheRecordViewAndTheSilentPortBox) {
    const QString dir = qEnvironmentVariable("QA_VIEWS_RENDER_DIR");
    if (dir.isEmpty()) {
        GTEST_SKIP() << "set QA_VIEWS_RENDER_DIR to render";
    }
    QDir().mkpath(dir);
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR").isEmpty() ? "" : "_150";
    const char* names[] = {"홍길동", "Kim Minji", "이서연", "Park"};
    const char* values[] = {"0650", "0712", "0575", "1450"};
    for (int i = 0; i < 12; ++i) {
        char date[16];
        std::snprintf(date, sizeof date, "201606%02d", 20 - i);
        AddHbA1c({date, "0930", values[i % 4], "P" + std::to_string(1000 + i), "OP", names[i % 4]});
    }
    users.Settings().hba1cUnit = 1;
    page->resize(1024, 700); // the window's default width, all that 150 % leaves room for
    for (Language language : {Language::Korean, Language::English}) {
        const QString suffix = (language == Language::Korean ? "_ko" : "_en") + scale;
        ApplyLanguage(language);
        page->Activate();
        if (!List()->IsColumnVisible(6)) {
            List()->Header()->ApplyColumnMenuCommand(7);
        }
        QCoreApplication::processEvents();
        EXPECT_TRUE(page->grab().save(dir + "/all_data_name_column" + suffix + ".png"));

        ListRow row;
        row.date = "20160620";
        row.time = "0930";
        row.value = "0650";
        row.patientId = "P1000";
        row.patientName = "홍길동";
        views::RecordViewDialog view(row, users.Settings());
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        EXPECT_EQ(view.ResultEdit()->text(), List()->CellText(0, 3)) << "one figure, one text";
        EXPECT_TRUE(view.grab().save(dir + "/record_view" + suffix + ".png"));

        auto box = MakeRetryBox(nullptr, MessageText(Message(MessageId::NoMeterAnswers, {"ttyS0"})),
                                MessageText(MessageId::CaptionMeter));
        box->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        EXPECT_TRUE(box->grab().save(dir + "/no_meter_answers" + suffix + ".png"));
    }
    ApplyLanguage(Language::Korean);
}

// The patient search lists one patient at a time: a whole ID (any case, blanks around it) at
// once, quotes, HL7 delimiters and '%' taken as themselves; text that matches several
// patients offers them to choose from. It combines with periods; Enter on the listed patient
// opens their page; the report's header says what was printed.
TEST_F(AllDataPageTest, PatientSearchCombinesWithPeriodsAndOpensThePatientPage) {
    const std::string hostile = "O'K|^~\\&,1";
    AddHbA1c({"20160620", "1430", "0650", hostile, "OP", "Kim"});
    AddHbA1c({"20160301", "0900", "0700", hostile, "OP", ""});
    AddHbA1c({"20160610", "0900", "0710", "X%Y", "OP", "o'k lee"});
    AddHbA1c({"20160611", "0900", "0720", "OTHER", "OP", ""});
    users.Settings().hospital = "Seoul Clinic";
    page->Activate();
    EXPECT_EQ(page->ResultCount()->text(), "4 results");

    QTest::keyClicks(page->SearchField(), "  o'k|^~\\&,1 ");
    EXPECT_EQ(List()->RowCount(), 4) << "typing alone does not search";
    QTest::keyClick(page->SearchField(), Qt::Key_Return);
    EXPECT_EQ(Column(5), (std::vector<QString>{QString::fromStdString(hostile),
                                               QString::fromStdString(hostile)}));
    EXPECT_EQ(page->SearchField()->text(), QString::fromStdString(hostile))
        << "the field names the patient listed";
    EXPECT_EQ(page->ResultCount()->text(), "2 results");
    page->ApplySearch("%");
    EXPECT_EQ(Column(5), (std::vector<QString>{"X%Y"})) << "'%' matches only itself";

    // Part of one patient's ID and of another's name: both are offered, nothing is chosen
    // for the operator, and the list then holds the one chosen.
    std::vector<QString> offered;
    dialogScript = [&](QDialog& dialog) {
        auto& chooser = dynamic_cast<PatientChooser&>(dialog);
        offered.clear();
        for (int r = 0; r < chooser.Table()->rowCount(); ++r) {
            offered.push_back(chooser.Table()->item(r, 0)->text());
        }
        EXPECT_FALSE(chooser.ChooseButton()->isEnabled());
        EXPECT_TRUE(chooser.Select("X%Y"));
        return int(QDialog::Accepted);
    };
    page->ApplySearch("o'k");
    EXPECT_EQ(offered, (std::vector<QString>{QString::fromStdString(hostile), "X%Y"}));
    EXPECT_EQ(Column(5), (std::vector<QString>{"X%Y"}));
    EXPECT_EQ(page->SearchedPatient(), "X%Y");

    // A period, then a search inside it, then the search cleared: the period stays.
    page->ApplySearch("");
    page->ChoosePeriod(2);
    EXPECT_EQ(List()->RowCount(), 3);
    page->ApplySearch(QString::fromStdString(hostile));
    EXPECT_EQ(List()->RowCount(), 1);
    EXPECT_EQ(page->PeriodList()->currentIndex(), 2);
    page->SearchField()->clear();
    EXPECT_EQ(List()->RowCount(), 3) << "the clear button ends the search";
    EXPECT_EQ(page->PeriodList()->currentIndex(), 2);
    SetRange(QDate(2016, 3, 1), QDate(2016, 3, 31));
    page->Search();
    EXPECT_EQ(page->PeriodList()->currentIndex(), -1) << "no period item claims the dates";
    EXPECT_EQ(page->PeriodList()->currentText(), "");
    page->ApplySearch("o'k|^~\\&,1");
    EXPECT_EQ(Column(1), (std::vector<QString>{"2016-03-01"}));
    EXPECT_EQ(page->ResultCount()->text(), "1 result");
    EXPECT_EQ(page->PeriodList()->currentIndex(), -1);

    std::vector<std::string> opened;
    dialogScript = [&](QDialog& dialog) {
        if (auto* patient = dynamic_cast<PatientPage*>(&dialog)) {
            opened.push_back(patient->Data().patientId);
            if (patient->Data().patientId == hostile) {
                EXPECT_EQ(patient->Data().hba1c.size(), 2u) << "all of the patient's results";
            }
        }
        return int(QDialog::Rejected);
    };
    QTest::keyClick(page->SearchField(), Qt::Key_Return);
    ASSERT_EQ(opened, std::vector<std::string>{hostile});

    page->PrintButton()->click();
    const QString printed =
        Normalized(PdfPageTexts(QString::fromStdString(reports.File("report.pdf"))).join(' '));
    // The line is too long for the page: the clinic gives way to the search and the period.
    for (const char* expected :
         {"Clinic: Seoul", "Operator: Basis", "HbA1c Search: O'K|^~\\&,1 (1 patient)",
          "Period: 2016-03-01 - 2016-03-31"}) {
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                   << printed.toStdString();
    }
    QDir().mkpath(QA_RENDER_DIR);
    EXPECT_TRUE(page->grab().save(QString(QA_RENDER_DIR) + "/all_data_search.png"));

    // Activation starts unfiltered; the patient column's double-click and the menu open the
    // patient page without deleting anything.
    page->Activate();
    EXPECT_TRUE(page->SearchField()->text().isEmpty());
    EXPECT_EQ(List()->RowCount(), 4);
    const int otherRow = List()->CellText(0, 5) == "OTHER" ? 0 : 1;
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, CellCentre(otherRow, 5));
    EXPECT_EQ(opened.back(), "OTHER");
    EXPECT_EQ(List()->RowCount(), 4);
    EXPECT_TRUE(prompter.shown.empty()) << "no delete question";
    menuChoice = AllDataPage::kMenuPatientHistory;
    QContextMenuEvent request(QContextMenuEvent::Mouse, CellCentre(2, 1), QPoint(0, 0));
    QApplication::sendEvent(List()->viewport(), &request);
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened.back(), page->Rows()[2].patientId);
}

// Patient name, memo and delivery state are optional columns: hidden at first, shown from the
// header menu, and then written by the export (named at the end of the header) and printed.
TEST_F(AllDataPageTest, OptionalNameMemoAndDeliveryColumnsFollowTheExportAndReport) {
    AddHbA1c({"20160620", "1430", "0650", "P7", "OP", "Kim"});
    ASSERT_TRUE(users.HbA1cMain().Execute(
        "UPDATE HospitalTlb SET P_MEMO='fasting, 2h\r\nrepeat' WHERE PID='P7'"));
    InterfaceSettings link;
    link.enabled = true;
    link.destination = "mllp://127.0.0.1:9";
    ASSERT_TRUE(SaveInterfaceSettings(SettingsFilePath(data.Path(), "Basis"), link));
    page->Activate();
    EXPECT_EQ(List()->ColumnHeading(6), "Patient name");
    EXPECT_EQ(List()->CellText(0, 6), "Kim");
    EXPECT_EQ(List()->CellText(0, 7), "fasting, 2h repeat") << "one line in the list";
    EXPECT_EQ(List()->CellText(0, 8), "pending");

    TempDir elsewhere;
    files.savePath = QString::fromStdString(elsewhere.File("out.csv"));
    page->ExportList();
    EXPECT_EQ(ReadFile(elsewhere.File("out.csv")), "No,Date,Time,Result,eAG,Patient ID\n"
                                                   "1,2016-06-20,02:30 PM,6.5 %,140 mg/dL,P7,\n")
        << "hidden optional columns stay out";
    List()->SetColumnVisible(6, true);
    List()->SetColumnVisible(8, true);
    page->ExportList();
    EXPECT_EQ(ReadFile(elsewhere.File("out.csv")),
              "No,Date,Time,Result,eAG,Patient ID,Patient name,Delivery\n"
              "1,2016-06-20,02:30 PM,6.5 %,140 mg/dL,P7,Kim,pending,\n");
    page->PrintList();
    const QString printed =
        Normalized(PdfPageTexts(QString::fromStdString(reports.File("report.pdf"))).join(' '));
    EXPECT_TRUE(printed.contains("Patient name")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("Kim"));
    EXPECT_FALSE(printed.contains("fasting")) << "the memo column is hidden";

    // Glucose: the delivery column follows the empty patient ID of its header.
    AddGlucose({"20160620", "0700", "110"});
    page->ChooseKind(1);
    ASSERT_EQ(List()->ColumnCount(), 5);
    List()->SetColumnVisible(4, true);
    page->ExportList();
    EXPECT_EQ(
        ReadFile(elsewhere.File("out.csv")),
        "No,Date,Time,Result,Patient ID,Delivery\n1,2016-06-20,07:00 AM,110 mg/dL,,pending,\n");
}

// The patient's name, once shown, is beside the result without scrolling on a 1014-pixel page
// (what a 1920-pixel screen at 150 % gives the window), and the choice is the operator's:
// kept at once, per operator, and there again when the page is made anew.
TEST_F(AllDataPageTest, ShownNameComesIntoSightAndTheChoiceIsKeptPerOperator) {
    AddHbA1c({"20160620", "1430", "0650", "P7", "OP", "Kim"});
    page->Activate();
    ASSERT_FALSE(List()->IsColumnVisible(6));
    List()->Header()->ApplyColumnMenuCommand(7); // the header menu's "Patient name"
    ASSERT_TRUE(List()->IsColumnVisible(6));
    QHeaderView* header = List()->Header();
    for (int column : {3, 5, 6}) {
        EXPECT_LE(header->sectionPosition(column) + header->sectionSize(column),
                  List()->viewport()->width())
            << "column " << column << " is in sight";
    }
    EXPECT_EQ(header->visualIndex(6), header->visualIndex(5) + 1) << "beside the patient ID";
    EXPECT_EQ(List()->CellText(0, 6), "Kim");
    List()->SetColumnWidth(6, 123);

    // Another operator has a layout of their own; the first one's comes back with them.
    ASSERT_EQ(users.AddUser("Lee"), UserStore::Outcome::Done); // the new user is current
    page->LoadList();
    EXPECT_FALSE(List()->IsColumnVisible(6));
    ASSERT_TRUE(users.SwitchUser("Basis"));
    page->LoadList();
    EXPECT_TRUE(List()->IsColumnVisible(6));
    EXPECT_EQ(List()->ColumnWidth(6), 123);

    // Leaving the page keeps it for the next start.
    List()->SetColumnWidth(6, 140);
    page->hide();
    AllDataPage next(users, prompter, files, &print, [](FrameCommand) {});
    next.Activate();
    EXPECT_TRUE(next.List()->IsColumnVisible(6));
    EXPECT_EQ(next.List()->ColumnWidth(6), 140);
    EXPECT_EQ(next.List()->Header()->visualIndex(6), next.List()->Header()->visualIndex(5) + 1);
}

// The window's export and the command line's write the same lines for the same list: every
// row, a period choice against --weeks, a search against --from/--to, in code page 949, with
// a cell that needs quotes and stored dates and times that are not a real moment. Enough rows
// that the export passes its progress steps. (The command line reads its header from the
// catalogue, which this test program does not load.)
TEST_F(AllDataPageTest, WindowAndCommandLineExportTheSameBytes) {
    HbA1cTable& table = users.HbA1cMain();
    ASSERT_TRUE(table.BeginTransaction());
    for (int i = 0; i < 5000; ++i) {
        char date[16], time[8], value[8], pid[16];
        std::snprintf(date, sizeof date, "2016%02d%02d", i % 6 + 1, i % 28 + 1);
        std::snprintf(time, sizeof time, "%02d%02d", i % 24, i % 60);
        std::snprintf(value, sizeof value, "%04d", 400 + i % 900);
        std::snprintf(pid, sizeof pid, "P%d", i % 700);
        AddHbA1c({date, time, value, pid});
    }
    AddHbA1c({"20160620", "1430", "0650", "환자7"});
    AddHbA1c({"20160619", "0910", "0712", "P,\"8\""});
    AddHbA1c({"20160618", "2460", "0540", "P9"});
    AddHbA1c({"2016061", "1200", "0600", "P10"});
    ASSERT_TRUE(table.CommitTransaction());

    TempDir elsewhere;
    const std::string window = elsewhere.File("window.csv");
    const std::string cli = elsewhere.File("cli.csv");
    files.savePath = QString::fromStdString(window);
    auto commandLine = [&](const std::string& filter) {
        const std::string command = std::string(QA_CLI_PATH) + " --data-dir " + data.Path() +
                                    " export --out " + cli + filter + " 2>" +
                                    elsewhere.File("err.txt");
        EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(elsewhere.File("err.txt"));
        return Lines(ReadFile(cli));
    };
    auto exported = [&] {
        page->ExportList();
        return Lines(ReadFile(window));
    };

    page->Activate();
    ASSERT_EQ(List()->RowCount(), 5004);
    const std::string whole = exported();
    EXPECT_EQ(whole, commandLine(""));
    EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 5004);
    EXPECT_NE(whole.find(",\"P,\"\"8\"\"\",\n"), std::string::npos) << "quoted as written";
    EXPECT_NE(whole.find(Utf8ToCp949("환자7").value_or("-")), std::string::npos)
        << "in code page 949";

    page->ChoosePeriod(2);
    ASSERT_GT(List()->RowCount(), 0);
    ASSERT_LT(List()->RowCount(), 5004);
    EXPECT_EQ(exported(), commandLine(" --weeks 2"));

    SetRange(QDate(2016, 3, 1), QDate(2016, 4, 15));
    page->Search();
    ASSERT_GT(List()->RowCount(), 0);
    EXPECT_EQ(exported(), commandLine(" --from 20160301 --to 20160415"));

    // In list order: a sort on the screen is what the file follows.
    page->Activate();
    List()->SortByColumn(3, true);
    ASSERT_NE(List()->CellTextUtf8(0, 0), "1");
    page->ExportList();
    const std::string sorted = ReadFile(window);
    EXPECT_NE(Lines(sorted), whole);
    std::vector<std::vector<std::string>> shown;
    for (int r = 0; r < List()->RowCount(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < 6; ++c) {
            cells.push_back(List()->CellTextUtf8(r, c));
        }
        shown.push_back(std::move(cells));
    }
    EXPECT_EQ(sorted, ComposeCsv(ResultKind::HbA1c, shown));
}

// IDs that are prefixes of each other and two patients of one name: a whole ID lists that
// patient alone, the name offers both with their birth dates, counts and newest dates, a
// cancelled choice changes nothing, and the printed list says how many patients it holds.
TEST_F(AllDataPageTest, PrefixIdsAndSharedNamesAreToldApartBeforeAnythingIsListed) {
    AddHbA1c({"20160101", "0900", "0650", "P1001", "OP", "임하준", "19800101"});
    AddHbA1c({"20160301", "0900", "0660", "P1001", "OP", "임하준", "19800101"});
    AddHbA1c({"20160620", "0900", "0700", "P10010", "OP", "Kim", "19751224"});
    AddHbA1c({"20160619", "0900", "0710", "P10010", "OP", "Kim", "19751224"});
    AddHbA1c({"20160105", "0900", "0720", "P1002", "OP", "임하준", "19911111"});
    page->Activate();
    int choosers = 0;
    std::vector<std::vector<QString>> lines;
    std::string choose;
    dialogScript = [&](QDialog& dialog) {
        auto& chooser = dynamic_cast<PatientChooser&>(dialog);
        ++choosers;
        lines.clear();
        for (int r = 0; r < chooser.Table()->rowCount(); ++r) {
            std::vector<QString> cells;
            for (int c = 0; c < chooser.Table()->columnCount(); ++c) {
                cells.push_back(chooser.Table()->item(r, c)->text());
            }
            lines.push_back(cells);
        }
        chooser.show();
        QCoreApplication::processEvents();
        QDir().mkpath(QA_RENDER_DIR);
        const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR");
        EXPECT_TRUE(chooser.grab().save(QString(QA_RENDER_DIR) + "/patient_chooser" +
                                        (scale.isEmpty() ? "" : "_150") + ".png"));
        EXPECT_LE(chooser.height(), chooser.screen()->availableGeometry().height());
        if (choose.empty()) {
            return int(QDialog::Rejected);
        }
        EXPECT_TRUE(chooser.Select(choose));
        return int(QDialog::Accepted);
    };

    for (const char* typed : {"P1001", "p1001", " P1001 "}) {
        page->ApplySearch(typed);
        EXPECT_EQ(Column(5), (std::vector<QString>{"P1001", "P1001"})) << typed;
        ASSERT_FALSE(List()->SelectedRows().empty());
        EXPECT_EQ(page->Rows()[0].patientId, "P1001") << "the first row is the patient's";
    }
    EXPECT_EQ(choosers, 0) << "a whole ID needs no choice";

    page->ApplySearch("임하준");
    EXPECT_EQ(choosers, 1);
    EXPECT_EQ(lines, (std::vector<std::vector<QString>>{
                         {"P1001", "임하준", "1980-01-01", "2", "2016-03-01"},
                         {"P1002", "임하준", "1991-11-11", "1", "2016-01-05"}}));
    EXPECT_EQ(Column(5), (std::vector<QString>{"P1001", "P1001"})) << "cancelled: unchanged";
    EXPECT_EQ(page->SearchField()->text(), "P1001");

    choose = "P1002";
    page->ApplySearch("임하준");
    EXPECT_EQ(Column(5), (std::vector<QString>{"P1002"}));
    EXPECT_EQ(page->SearchField()->text(), "P1002");

    choose = "P10010";
    page->ApplySearch("P100");
    EXPECT_EQ(lines.size(), 3u) << "part of an ID offers every patient it is part of";
    EXPECT_EQ(Column(5), (std::vector<QString>{"P10010", "P10010"}));

    page->PrintButton()->click();
    const QString printed =
        Normalized(PdfPageTexts(QString::fromStdString(reports.File("report.pdf"))).join(' '));
    EXPECT_TRUE(printed.contains("Search: P10010 (1 patient)")) << printed.toStdString();

    page->ApplySearch("P1009");
    EXPECT_EQ(List()->RowCount(), 0);
    EXPECT_EQ(page->ResultCount()->text(), "No patient with this ID");
}

// After a change to a row the list is the one the operator was working in: the period box,
// the dates and the search still describe the rows shown, and the changed row is selected.
TEST_F(AllDataPageTest, AnEditKeepsThePeriodTheSearchAndTheSelection) {
    AddHbA1c({"20160620", "1430", "0650", "P1", "OP", "Kim"});
    AddHbA1c({"20160619", "1430", "0660", "P2", "OP", "Lee"});
    AddHbA1c({"20160618", "1430", "0670", "P2", "OP", "Lee"});
    AddHbA1c({"20160101", "1430", "0680", "P2", "OP", "Lee"});
    page->Activate();
    page->ChoosePeriod(2);
    EXPECT_EQ(page->StartPicker()->date(), QDate(2016, 6, 6)) << "the dates of the period";
    EXPECT_EQ(page->EndPicker()->date(), QDate(2016, 6, 20));
    page->ApplySearch("p2");
    ASSERT_EQ(Column(1), (std::vector<QString>{"2016-06-19", "2016-06-18"}));

    List()->SelectRow(1);
    page->CaptureRecord(1, 0);
    dialogScript = [](QDialog& dialog) {
        auto& modify = dynamic_cast<views::RecordModifyDialog&>(dialog);
        modify.MemoEdit()->setPlainText("checked");
        modify.ConfirmChange();
        return modify.result();
    };
    page->ModifySelectedRecord();
    EXPECT_EQ(page->PeriodList()->currentIndex(), 2);
    EXPECT_EQ(page->SearchField()->text(), "P2");
    EXPECT_EQ(Column(1), (std::vector<QString>{"2016-06-19", "2016-06-18"}));
    ASSERT_EQ(List()->SelectedRows(), std::vector<int>{1}) << "the changed row stays selected";
    EXPECT_EQ(page->Rows()[1].memo, "checked");

    // A date-range search is kept too, and the period box keeps stepping aside.
    SetRange(QDate(2016, 1, 1), QDate(2016, 6, 18));
    page->Search();
    ASSERT_EQ(Column(1), (std::vector<QString>{"2016-06-18", "2016-01-01"}));
    page->CaptureRecord(0, 0);
    List()->SelectRow(0);
    page->ModifySelectedRecord();
    EXPECT_EQ(page->PeriodList()->currentIndex(), -1);
    EXPECT_EQ(Column(1), (std::vector<QString>{"2016-06-18", "2016-01-01"}));
    EXPECT_EQ(page->SearchField()->text(), "P2");
    EXPECT_EQ(List()->SelectedRows(), std::vector<int>{0});

    // F5's reload keeps it all as well.
    page->Refresh();
    EXPECT_EQ(Column(1), (std::vector<QString>{"2016-06-18", "2016-01-01"}));
    EXPECT_EQ(page->SearchField()->text(), "P2");
}
