#include "app/instance_lock.h"
#include "frame/main_window.h"
#include "i18n/message_catalogue.h"
#include "i18n/message_text.h"
#include "qt_wait.h"
#include "scripted_prompter.h"
#include "sim_process.h"
#include "status_text.h"
#include "store/record_edit.h"
#include "store/result_delete.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/all_data_page.h"
#include "views/settings_dialog.h"
#include "widgets/image_button.h"
#include "widgets/text_progress_ctrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

// At global scope: the macro declares the initialiser of the generated resource code.
static void InitResources() {
#ifdef QA_HAVE_RESOURCES
    Q_INIT_RESOURCE(resources);
#endif
}

using namespace qa;
using namespace qa::test;
using namespace std::chrono_literals;

namespace {

// A text of the window in the language it runs in (Korean by default).
QString Tr(const char* context, const char* source) {
    return QCoreApplication::translate(context, source);
}
QString Stored(int count) {
    return Tr("qa::MainWindow", "%1 new results stored.").arg(count);
}
QString StoredEnd() {
    return Tr("qa::MainWindow", "%1 new results stored.").section("%1", 1);
}

void Render(QWidget* widget, const QString& name) {
    QDir().mkpath(QA_RENDER_DIR);
    widget->grab().save(QString(QA_RENDER_DIR) + "/" + name + ".png");
}

class ScriptedFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override { return savePath; }
    bool OpenFile(const QString& path) override {
        opened.push_back(path);
        return true;
    }
    QString savePath;
    std::vector<QString> opened;
};

class FrameTest : public ::testing::Test {
protected:
    TempDir data;
    TempDir sysfs; // no serial ports at all, apart from the one a test adds
    ScriptedPrompter prompter;
    UserStore users{data.Path(), prompter};
    ScriptedFiles files;
    std::unique_ptr<MainWindow> frame;

    void Start(const std::string& extraPort = "") {
        InitResources();
        MainWindow::Services services{users, prompter, files, nullptr, sysfs.Path(), extraPort};
        frame = std::make_unique<MainWindow>(services);
        frame->show();
        frame->LateStartup();
    }
    void TearDown() override {
        if (frame) {
            frame->close();
        }
    }

    // Answers every "Get data" dialog that opens: `tweak` may look at it and change it, then
    // it is confirmed (or cancelled when `tweak` returns false).
    void AnswerGetData(std::function<bool(GetDataDialog&)> tweak) {
        answer_ = std::make_unique<QTimer>();
        QObject::connect(answer_.get(), &QTimer::timeout, [this, tweak] {
            GetDataDialog* dialog = frame ? frame->OpenGetData() : nullptr;
            if (dialog == nullptr || !dialog->isVisible() || dialog == answered_) {
                return;
            }
            answered_ = dialog;
            ++getDataDialogs;
            if (tweak(*dialog)) {
                dialog->OkButton()->click();
            } else {
                dialog->reject();
            }
        });
        answer_->start(20);
    }
    // The next "Get data" dialog is answered too, should the window show the same one again.
    void AnswerAgain() { answered_ = nullptr; }
    // Runs one download through the window, from the get-data command to the dialog's OK.
    void RequestDownload() {
        answered_ = nullptr;
        frame->Command(FrameCommand::GetData);
    }
    int StoredHbA1c() { return test::ValueOf(users.HbA1cMain().CountRows()); }
    bool DownloadCommandEnabled() {
        for (FormPage* page : {static_cast<FormPage*>(frame->Download()),
                               static_cast<FormPage*>(frame->AllData())}) {
            if (!page->NavButton(FrameCommand::GetData)->isEnabled()) {
                return false;
            }
        }
        return true;
    }

    int getDataDialogs = 0;

private:
    std::unique_ptr<QTimer> answer_;
    GetDataDialog* answered_ = nullptr;
};

} // namespace

TEST(FrameFonts, KoreanGlyphsHaveAFont) {
    EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Korean).isEmpty());
}

TEST_F(FrameTest, StartsOnHomeAndIgnoresRequestsForTheActivePage) {
    Start();
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewHome);
    EXPECT_EQ(frame->windowTitle(), QString::fromUtf8("QuorinA1c 관리 프로그램 v1.09"));
    EXPECT_FALSE(frame->windowIcon().isNull()) << "task bar and About box show the icon";
    EXPECT_GE(frame->windowIcon().availableSizes().size(), 4);
    Render(frame.get(), "frame_home");

    AboutDialog about(frame.get());
    Render(&about, "dialog_about");
    EXPECT_EQ(about.windowTitle(), Tr("qa::AboutDialog", "About QuorinA1c Self Comm"));

    frame->Command(FrameCommand::Home);
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewHome);
    frame->Command(FrameCommand::ViewData);
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewAllData);
    frame->AllData()->List()->InsertColumn(6, "marker", Qt::AlignLeft, 10);
    frame->Command(FrameCommand::ViewData);
    EXPECT_EQ(frame->AllData()->List()->ColumnCount(), 10) << "no rebuild of the active page";
    Render(frame.get(), "frame_all_data");
}

TEST_F(FrameTest, GetDataFromHomeSearchesOnce) {
    Start();
    int before = frame->DiscoveryCount();
    int dialogs = 0;
    QTimer cancel; // the search ends in the "Get data" dialog: search again, then cancel
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (auto* dialog = frame->OpenGetData(); dialog && dialog->isVisible()) {
            ++dialogs;
            int searches = frame->DiscoveryCount();
            dialog->SearchButton()->click();
            EXPECT_EQ(frame->DiscoveryCount(), searches + 1) << "searched in place";
            EXPECT_EQ(frame->OpenGetData(), dialog) << "the open dialog is refreshed";
            dialog->reject();
        }
    });
    cancel.start(20);
    frame->Command(FrameCommand::GetData);
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewDownload);
    ASSERT_TRUE(PumpUntil([&] { return dialogs == 1; }, 5s));
    PumpFor(300ms);
    EXPECT_EQ(frame->DiscoveryCount(), before + 2) << "one search on arrival, one by the button";
    EXPECT_EQ(dialogs, 1) << "the button's search opened no second dialog";
    Render(frame.get(), "frame_download");
}

TEST_F(FrameTest, CaptionButtonNeedsPressAndReleaseOnItself) {
    Start();
    int clicks = 0;
    QObject::connect(frame.get(), &SkinnedFrame::CaptionButtonClicked, [&] { ++clicks; });
    const int w = frame->width();
    QPoint minimise(w - 55, 8), maximise(w - 34, 8), away(300, 8);
    EXPECT_EQ(frame->ButtonAt(minimise), SkinnedFrame::MinimiseButton);
    EXPECT_EQ(frame->ButtonAt(maximise), SkinnedFrame::MaximiseButton);
    EXPECT_EQ(frame->ButtonAt(QPoint(w - 10, 8)), SkinnedFrame::CloseButton);
    EXPECT_EQ(frame->ButtonAt(QPoint(w - 10, 25)), SkinnedFrame::NoButton);

    QTest::mousePress(frame.get(), Qt::LeftButton, {}, minimise);
    EXPECT_EQ(frame->PressedButton(), SkinnedFrame::MinimiseButton);
    QTest::mouseRelease(frame.get(), Qt::LeftButton, {}, away);
    QTest::mousePress(frame.get(), Qt::LeftButton, {}, minimise);
    QTest::mouseRelease(frame.get(), Qt::LeftButton, {}, maximise);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(frame->isMinimized());
    EXPECT_EQ(frame->PressedButton(), SkinnedFrame::NoButton);
}

TEST_F(FrameTest, SavedSettingsReloadTheActiveList) {
    Start();
    ASSERT_TRUE(users.HbA1cMain().AddNew());
    users.HbA1cMain().date = "20160620";
    users.HbA1cMain().time = "1430";
    users.HbA1cMain().value = "0650";
    ASSERT_TRUE(users.HbA1cMain().Update());
    frame->Command(FrameCommand::ViewData);
    EXPECT_EQ(frame->AllData()->List()->CellText(0, 3), "6.5 %");

    SettingsDialog dialog(users, prompter, frame.get());
    dialog.HbA1cUnit()->button(1)->setChecked(true);
    dialog.TimeFormat()->button(1)->setChecked(true);
    Render(&dialog, "dialog_settings");
    dialog.Save();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    frame->Command(FrameCommand::ReloadList);
    EXPECT_EQ(frame->AllData()->List()->CellText(0, 3), "48 mmol/mol");
    EXPECT_EQ(frame->AllData()->List()->CellText(0, 2), "14:30");
}

TEST_F(FrameTest, UsersAreAddedAndDeletedThroughTheDialogs) {
    Start();
    SettingsDialog settings(users, prompter, frame.get());
    AddUserDialog add(users, &settings);
    add.IdEdit()->setText("nurse'o");
    Render(&add, "dialog_add_user");
    add.AddButton()->click();
    EXPECT_EQ(add.result(), QDialog::Accepted);
    EXPECT_EQ(users.ActiveUserId(), "nurse'o");

    add.IdEdit()->setText("a/b");
    add.AddButton()->click();
    EXPECT_EQ(users.UserList().size(), 2u) << "a hostile ID is refused";

    prompter.answers = {true};
    settings.DeleteUser();
    EXPECT_EQ(users.UserList(), std::vector<std::string>{"Basis"});
    EXPECT_EQ(users.ActiveUserId(), "Basis");
    EXPECT_TRUE(settings.UsersChanged());
}

TEST_F(FrameTest, WholeDownloadEndsOnTheDownloadPageListingTheNewRows) {
    SimProcess sim({"--no-pace", "--glucose", "4"});
    Start(sim.linkPath());
    // The "Get data" dialog opens when discovery ends; confirm it as the operator would.
    bool confirmed = false;
    QTimer confirm;
    QObject::connect(&confirm, &QTimer::timeout, [&] {
        if (auto* dialog = frame->OpenGetData(); dialog && dialog->isVisible() && !confirmed) {
            EXPECT_EQ(dialog->PortCombo()->currentText().toStdString(), sim.linkPath());
            EXPECT_FALSE(dialog->NoMeterNote()->isVisible()) << "the meter was recognised";
            dialog->KindCombo()->setCurrentIndex(1);
            Render(dialog, "dialog_get_data");
            confirmed = true;
            dialog->OkButton()->click();
        }
    });
    confirm.start(20);
    frame->Command(FrameCommand::GetData);
    ASSERT_TRUE(PumpUntil([&] { return frame->Download()->List()->RowCount() == 4; }, 20s))
        << (prompter.shown.empty() ? "" : prompter.shown.back().text);
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewDownload);
    EXPECT_EQ(frame->Process()->ProgressText(), QString::fromUtf8("데이터 다운로드 완료"));
    EXPECT_EQ(frame->Process()->Detail(), Stored(4));
    EXPECT_EQ(frame->Process()->Records()->GetWindowText(),
              Tr("qa::ProcessDialog", "%1 / %2 records").arg(4).arg(4));
    EXPECT_EQ(frame->Download()->List()->ColumnCount(), 4) << "glucose columns";
    EXPECT_FALSE(frame->ImportRunning());
    Render(frame.get(), "frame_downloaded");
    Render(frame->Process(), "dialog_process");
}

TEST_F(FrameTest, ClosingStopsTheSessionAndClosesTheFiles) {
    SimProcess sim({"--no-pace", "--hba1c", "3"});
    Start(sim.linkPath());
    ASSERT_TRUE(frame->Session().Connect(sim.linkPath(), sim.linkPath(), ResultKind::HbA1c, false));
    ASSERT_TRUE(PumpUntil([&] { return frame->Session().DownloadMarker() == 1; }, 5s));
    frame->Command(FrameCommand::ViewData);
    frame->close();
    EXPECT_FALSE(frame->Session().runFlag);
    EXPECT_FALSE(users.HbA1cMain().IsOpen());
    EXPECT_FALSE(users.GlucoseDownload().IsOpen());
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewHome);
    PumpFor(1500ms); // the mode sequence's timer no longer sends anything
    EXPECT_EQ(frame->Session().Exchange(), ExchangeKind::Idle);
}

// Cancel in the Process window mid-transfer: the exchange stops at once, nothing of it is
// stored, the meter is never told to erase (erase was asked for), and the pages work again.
// While the transfer runs, a second "Get data" cannot be started.
TEST_F(FrameTest, CancelMidTransferStoresNothingAndFreesThePages) {
    const std::string log = data.File("sim.log");
    SimProcess sim({"--pace", "--hba1c", "200", "--seed", "5", "--log", log});
    Start(sim.linkPath());
    AnswerGetData([&](GetDataDialog&) {
        frame->Download()->SetEraseAfterDownload(true);
        return true;
    });
    RequestDownload();
    ProcessDialog* process = frame->Process();
    ASSERT_TRUE(PumpUntil([&] { return process->Records()->GetPos() >= 5; }, 30s))
        << (prompter.shown.empty() ? "" : prompter.shown.back().text);
    ASSERT_TRUE(frame->Session().Running());
    EXPECT_TRUE(process->CancelButton()->isEnabled());
    EXPECT_TRUE(process->Records()->GetWindowText().endsWith(
        Tr("qa::ProcessDialog", "%1 / %2 records").arg("").arg(200)))
        << process->Records()->GetWindowText().toStdString();
    EXPECT_FALSE(DownloadCommandEnabled());
    const int searches = frame->DiscoveryCount();
    frame->Command(FrameCommand::GetData);
    frame->Download()->NavButton(FrameCommand::GetData)->click();
    PumpFor(300ms);
    EXPECT_EQ(frame->DiscoveryCount(), searches) << "no second download while one runs";
    EXPECT_EQ(getDataDialogs, 1);
    Render(process, "process_receiving");

    process->CancelButton()->click();
    EXPECT_FALSE(frame->Session().Running());
    EXPECT_EQ(frame->Session().Exchange(), ExchangeKind::None);
    EXPECT_EQ(process->ProgressText(), QString::fromUtf8("다운로드 취소"));
    EXPECT_EQ(process->Detail(), Tr("qa::ProcessDialog", ProcessDialog::kCancelledDetail));
    EXPECT_FALSE(process->CancelButton()->isEnabled());
    EXPECT_TRUE(DownloadCommandEnabled());
    Render(process, "process_cancelled");

    PumpFor(1500ms); // whatever was on its way arrives and is dropped
    EXPECT_EQ(StoredHbA1c(), 0);
    EXPECT_EQ(frame->Download()->List()->RowCount(), 0);
    for (const auto& shown : prompter.shown) {
        EXPECT_TRUE(shown.question) << "no message after Cancel: " << shown.text;
    }
    frame->Command(FrameCommand::ViewData);
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewAllData);
    sim.stop();
    const std::string transcript = ReadFile(log);
    EXPECT_NE(transcript.find("<- S H"), std::string::npos);
    EXPECT_EQ(transcript.find("<- S D"), std::string::npos) << "the meter was told to erase";
}

// Where no meter was recognised the dialog says so; Cancel stays offered through the whole
// wait for a meter that does not answer; a port that cannot be opened says why.
TEST_F(FrameTest, GetDataWithoutAMeterSaysSoAndCanBeCancelledThroughout) {
    Start();
    frame->SetProgressText(Message(MessageId::ErrorCount, {"3"})); // left over from earlier
    bool noMeterShown = false;
    bool staleTextGone = false;
    AnswerGetData([&](GetDataDialog& dialog) {
        noMeterShown = dialog.NoMeterNote()->isVisible();
        staleTextGone = frame->Process()->isHidden() && frame->Process()->ProgressText().isEmpty();
        Render(&dialog, "dialog_get_data_no_meter");
        dialog.PortCombo()->setEditText("/dev/ttyQA-none");
        return true;
    });
    RequestDownload();
    ASSERT_TRUE(PumpUntil([&] { return !prompter.shown.empty(); }, 10s));
    EXPECT_TRUE(noMeterShown);
    EXPECT_TRUE(staleTextGone) << "the old error text went when the new download began";
    const std::string& failure = prompter.shown.back().text;
    EXPECT_EQ(failure.rfind("통신 포트 연결 실패.\r\n포트 연결을 재 확인해 주세요.", 0), 0u)
        << failure;
    // The port's reason in the operator's language, the system's code for support.
    EXPECT_NE(failure.find("/dev/ttyQA-none: 그런 포트가 없습니다. 측정기가 연결되어 있고 켜져 "
                           "있는지 확인해 주세요 (error code - 2)"),
              std::string::npos)
        << failure;
    EXPECT_FALSE(frame->Session().Running());
    EXPECT_TRUE(DownloadCommandEnabled());

    // A port where nothing answers the records request.
    SimProcess sim({"--no-pace", "--hba1c", "5", "--stall-after", "0"});
    AnswerGetData([&](GetDataDialog& dialog) {
        dialog.PortCombo()->setEditText(QString::fromStdString(sim.linkPath()));
        return true;
    });
    RequestDownload();
    ProcessDialog* process = frame->Process();
    ASSERT_TRUE(PumpUntil([&] { return frame->Session().Running(); }, 10s));
    EXPECT_TRUE(process->CancelButton()->isEnabled()) << "during the mode sequence";
    ASSERT_TRUE(PumpUntil([&] { return frame->Session().Exchange() == ExchangeKind::HbA1c; }, 15s));
    PumpFor(1200ms);
    EXPECT_TRUE(process->isVisible());
    EXPECT_TRUE(process->CancelButton()->isEnabled()) << "while waiting for the records";
    const std::size_t messages = prompter.shown.size();
    process->CancelButton()->click();
    EXPECT_FALSE(frame->Session().Running());
    PumpFor(1500ms);
    EXPECT_EQ(prompter.shown.size(), messages) << "no give-up message later";
}

// Each ending of a download says how it ended: new results stored with their number, no new
// results, no data at all, a refused transfer. A new download starts with a clean window.
TEST_F(FrameTest, EveryEndingOfADownloadIsShownWithItsCount) {
    SimProcess sim({"--no-pace", "--hba1c", "3", "--seed", "9"});
    Start(sim.linkPath());
    ProcessDialog* process = frame->Process();
    bool cleanAtStart = true;
    AnswerGetData([&](GetDataDialog&) {
        cleanAtStart = cleanAtStart && process->ProgressText().isEmpty() &&
                       process->Detail().isEmpty() && process->Records()->isHidden();
        return true;
    });
    RequestDownload();
    ASSERT_TRUE(PumpUntil(
        [&] { return !frame->Session().Running() && process->Detail().endsWith(StoredEnd()); },
        20s));
    EXPECT_EQ(process->Detail(), Stored(3));
    EXPECT_EQ(process->Records()->GetWindowText(),
              Tr("qa::ProcessDialog", "%1 / %2 records").arg(3).arg(3));
    EXPECT_EQ(frame->Download()->List()->RowCount(), 3);
    EXPECT_EQ(StoredHbA1c(), 3);
    Render(process, "process_done");

    // The same three again: nothing new.
    RequestDownload();
    ASSERT_TRUE(PumpUntil([&] { return getDataDialogs == 2; }, 10s));
    ASSERT_TRUE(PumpUntil(
        [&] { return !frame->Session().Running() && process->Detail().endsWith(StoredEnd()); },
        20s));
    EXPECT_TRUE(cleanAtStart) << "the last download's texts went when the new one began";
    EXPECT_EQ(process->ProgressText(), QString::fromUtf8("새로운 데이터가 없습니다."));
    EXPECT_EQ(process->Detail(), Stored(0));
    EXPECT_EQ(StoredHbA1c(), 3);
    Render(process, "process_no_new_data");
    sim.stop();

    // A meter without results.
    SimProcess empty({"--no-pace", "--hba1c", "0"});
    AnswerGetData([&](GetDataDialog& dialog) {
        dialog.PortCombo()->setEditText(QString::fromStdString(empty.linkPath()));
        return true;
    });
    RequestDownload();
    ASSERT_TRUE(PumpUntil(
        [&] {
            return !prompter.shown.empty() && prompter.shown.back().text == "데이터가 없습니다.";
        },
        20s));
    EXPECT_FALSE(frame->Session().Running());
    EXPECT_TRUE(DownloadCommandEnabled());
    EXPECT_TRUE(process->isHidden());
    EXPECT_EQ(process->ProgressText(), QString::fromStdString(SourceText(kNoDataText)));
    Render(process, "process_no_data");
    empty.stop();

    // Records whose framing is wrong: refused, and the window says so instead of "receiving".
    std::string records;
    for (int i = 0; i < 2; ++i) {
        records += "1606201430" + std::string("0650") + "PATIENT000000" + std::to_string(i) + "XX";
    }
    ASSERT_EQ(records.size(), 60u);
    const std::string file = data.File("bad_records.bin");
    {
        FILE* out = std::fopen(file.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(records.data(), 1, records.size(), out);
        std::fclose(out);
    }
    SimProcess bad({"--no-pace", "--hba1c-file", file});
    AnswerGetData([&](GetDataDialog& dialog) {
        dialog.PortCombo()->setEditText(QString::fromStdString(bad.linkPath()));
        return true;
    });
    RequestDownload();
    ASSERT_TRUE(PumpUntil(
        [&] {
            return !prompter.shown.empty() &&
                   prompter.shown.back().text == "Error. cyclic redundancy check : Fail.";
        },
        20s));
    ASSERT_TRUE(
        PumpUntil([&] { return !frame->ImportRunning() && !frame->Session().Running(); }, 5s));
    PumpFor(100ms);
    EXPECT_EQ(process->ProgressText(), MessageText(kFramingFailText));
    EXPECT_NE(
        process->Detail().indexOf(Tr("qa::MainWindow", "The transfer was refused: nothing was "
                                                       "stored, and the meter keeps its results.")),
        -1);
    EXPECT_EQ(StoredHbA1c(), 3);
    EXPECT_TRUE(DownloadCommandEnabled());
    Render(process, "process_failed");
}

// The download list keeps the operator's column layout from one run to the next.
// The operator deleted one result and corrected another's patient ID: the meter still holds
// both, and the next download stores neither and says why.
TEST_F(FrameTest, ADownloadSaysWhatItSkippedAsDeletedOrCorrected) {
    SimProcess sim({"--no-pace", "--hba1c", "3", "--seed", "4"});
    Start(sim.linkPath());
    ProcessDialog* process = frame->Process();
    AnswerGetData([](GetDataDialog&) { return true; });
    RequestDownload();
    ASSERT_TRUE(PumpUntil(
        [&] { return !frame->Session().Running() && process->Detail().endsWith(StoredEnd()); },
        20s));
    ASSERT_EQ(StoredHbA1c(), 3);

    HbA1cTable& table = users.HbA1cMain();
    std::vector<ListRow> rows;
    table.filter.Clear();
    table.sort = "ROWID";
    ASSERT_TRUE(table.ForEachRow([&] {
        ReadListValues(table, static_cast<int>(rows.size()), rows.emplace_back());
        return true;
    }));
    ASSERT_EQ(rows.size(), 3U);
    ASSERT_TRUE(DeleteRecord(table, rows[0]));
    RecordEdit edit;
    edit.patientId = "CORRECTED";
    ASSERT_TRUE(ModifyRecord(table, rows[1], edit, rows[1].rowId));

    RequestDownload();
    ASSERT_TRUE(PumpUntil([&] { return getDataDialogs == 2; }, 10s));
    ASSERT_TRUE(PumpUntil(
        [&] { return !frame->Session().Running() && process->Detail().contains(StoredEnd()); },
        20s));
    EXPECT_EQ(process->Detail(), Stored(0) + QString::fromUtf8("\n1건 건너뜀: 삭제된 결과\n"
                                                               "1건 건너뜀: 수정된 결과"));
    EXPECT_EQ(StoredHbA1c(), 2);
}

TEST_F(FrameTest, DownloadListColumnLayoutIsKept) {
    TempDir config;
    const QString defaultConfig =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(config.Path()));
    Start();
    views::DataListView* list = frame->Download()->List();
    list->SetColumnWidth(3, 233);
    list->SetColumnVisible(4, false);
    frame->close();
    frame.reset();
    Start();
    AnswerGetData([](GetDataDialog&) { return false; });
    list = frame->Download()->List();
    EXPECT_EQ(list->ColumnWidth(3), 233);
    EXPECT_FALSE(list->IsColumnVisible(4));
    // Closed while the test's profile is in use: the layout it saves on closing stays there.
    frame->close();
    frame.reset();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, defaultConfig);
}

// Each operator keeps a download list layout of their own (widths, columns shown), the way
// the all-data list is kept: after another operator's, across a change of page and a restart.
TEST_F(FrameTest, DownloadListColumnLayoutIsEachOperatorsOwn) {
    TempDir config;
    const QString defaultConfig =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(config.Path()));
    Start();
    // The page asks for a port each time it is shown: no download here.
    AnswerGetData([](GetDataDialog&) { return false; });
    ASSERT_EQ(users.AddUser("Nurse"), UserStore::Outcome::Done);
    ASSERT_TRUE(users.SwitchUser("Basis"));
    auto showDownloadPageAs = [&](const char* user) {
        frame->SwitchView(MainWindow::kViewDownload, MainWindow::kViewHome);
        ASSERT_TRUE(users.SwitchUser(user));
        const int asked = getDataDialogs;
        AnswerAgain();
        frame->SwitchView(MainWindow::kViewHome, MainWindow::kViewDownload);
        ASSERT_TRUE(PumpUntil([&] { return getDataDialogs > asked; }, 10s));
    };
    showDownloadPageAs("Basis");
    views::DataListView* list = frame->Download()->List();
    const int firstWidth = list->ColumnWidth(5);
    list->SetColumnWidth(3, 233);
    list->SetColumnVisible(4, false);

    showDownloadPageAs("Nurse");
    EXPECT_NE(list->ColumnWidth(3), 233) << "Basis's widths are Basis's";
    EXPECT_TRUE(list->IsColumnVisible(4));
    list->SetColumnWidth(5, 211);
    list->SetColumnVisible(2, false);

    showDownloadPageAs("Basis");
    EXPECT_EQ(list->ColumnWidth(3), 233);
    EXPECT_FALSE(list->IsColumnVisible(4));
    EXPECT_TRUE(list->IsColumnVisible(2));
    EXPECT_EQ(list->ColumnWidth(5), firstWidth);

    frame->close();
    frame.reset();
    Start();
    list = frame->Download()->List();
    EXPECT_EQ(list->ColumnWidth(3), 233);
    EXPECT_FALSE(list->IsColumnVisible(4));
    showDownloadPageAs("Nurse");
    EXPECT_EQ(list->ColumnWidth(5), 211);
    EXPECT_FALSE(list->IsColumnVisible(2));
    EXPECT_TRUE(list->IsColumnVisible(4));
    EXPECT_NE(list->ColumnWidth(3), 233);
    frame->close();
    frame.reset();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, defaultConfig);
}

// Adding, switching and deleting users in the settings dialog: the data page's user box and
// its list always name and show the same, current user.
TEST_F(FrameTest, UserBoxFollowsEveryChangeOfUser) {
    Start();
    ASSERT_TRUE(users.HbA1cMain().AddNew());
    users.HbA1cMain().date = "20160620";
    users.HbA1cMain().time = "1430";
    users.HbA1cMain().value = "0650";
    ASSERT_TRUE(users.HbA1cMain().Update());
    frame->Command(FrameCommand::ViewData);
    AllDataPage* page = frame->AllData();
    ASSERT_EQ(page->UserList()->currentText(), "Basis");

    // Drives the modal settings dialog: `step` acts on it (and on the add dialog) once.
    auto inSettings = [&](std::function<void(SettingsDialog&)> step) {
        bool done = false;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (auto* settings = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget())) {
                if (!done) {
                    done = true;
                    step(*settings);
                }
                settings->reject();
            }
        });
        driver.start(20);
        frame->Command(FrameCommand::Settings);
    };
    inSettings([](SettingsDialog& s) {
        // The add dialog runs its own loop: a timer of its own answers it.
        QTimer::singleShot(50, [] {
            if (auto* add = qobject_cast<AddUserDialog*>(QApplication::activeModalWidget())) {
                add->IdEdit()->setText("Nurse");
                add->AddButton()->click();
            }
        });
        s.AddUserButton()->click();
    });
    EXPECT_EQ(users.ActiveUserId(), "Nurse");
    EXPECT_EQ(page->UserList()->currentText(), "Nurse");
    EXPECT_EQ(page->List()->RowCount(), 0);

    inSettings([](SettingsDialog& s) { s.UserCombo()->setCurrentText("Basis"); });
    EXPECT_EQ(page->UserList()->currentText(), "Basis");
    EXPECT_EQ(page->List()->RowCount(), 1);

    inSettings([](SettingsDialog& s) { s.UserCombo()->setCurrentText("Nurse"); });
    inSettings([](SettingsDialog& s) { s.DeleteUserButton()->click(); });
    EXPECT_EQ(users.ActiveUserId(), "Basis");
    EXPECT_EQ(page->UserList()->currentText(), "Basis");
    EXPECT_EQ(page->UserList()->count(), 1);
    EXPECT_EQ(page->List()->RowCount(), 1);
}

// Typed texts stop at what the settings file keeps whole; a longer text put in otherwise is
// refused, never stored shortened.
TEST_F(FrameTest, SettingsTextsAreLimitedInStoredBytes) {
    Start();
    SettingsDialog dialog(users, prompter, frame.get());
    dialog.NameEdit()->setFocus();
    QString syllables;
    for (int i = 0; i < 50; ++i) {
        syllables += QString::fromUtf8("한");
    }
    for (QChar c : syllables) { // QTest::keyClicks would send Latin-1 only
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(dialog.NameEdit(), &press);
    }
    EXPECT_EQ(dialog.NameEdit()->text().size(), 49) << "99 bytes of code page 949";
    dialog.HospitalEdit()->setText(syllables);
    dialog.Save();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown.back().text,
              Tr("qa::SettingsDialog",
                 "%1: too long. At most %2 bytes are kept (a Hangul syllable takes 2).")
                  .arg(QString::fromUtf8("병원"))
                  .arg(99)
                  .toStdString())
        << prompter.shown.back().text;
    ASSERT_TRUE(users.LoadSettings());
    EXPECT_TRUE(users.Settings().hospital.empty()) << "nothing shortened was stored";

    dialog.HospitalEdit()->setText("Seoul");
    dialog.Save();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(users.LoadSettings());
    EXPECT_EQ(QString::fromStdString(users.Settings().name), syllables.left(49));
    EXPECT_EQ(users.Settings().hospital, "Seoul");
}

// The target ranges the charts draw are edited in Settings: each a number above 0 and within
// reach of the meter, each low limit below its high one; a refusal names the limit and keeps
// the file as it was, and a sound range is stored.
TEST_F(FrameTest, TargetRangesAreEditedInSettingsAndChecked) {
    Start();
    SettingsDialog dialog(users, prompter, frame.get());
    EXPECT_EQ(dialog.HbA1cHighEdit()->text(), "6.7");
    EXPECT_EQ(dialog.GlucoseLowEdit()->text(), "80.0");
    struct Case {
        QLineEdit* edit;
        const char* text;
        MessageId refusal;
        const char* key;
    };
    const Case refused[] = {
        {dialog.HbA1cLowEdit(), "7.0", MessageId::TargetLowNotBelowHigh, "HbA1c_low"},
        {dialog.HbA1cHighEdit(), "25", MessageId::SettingOutOfRange, "HbA1c_high"},
        {dialog.GlucoseHighEdit(), "80", MessageId::TargetLowNotBelowHigh, "Glucose_low"},
        {dialog.GlucoseLowEdit(), "0", MessageId::SettingOutOfRange, "Glucose_low"},
        {dialog.GlucoseHighEdit(), "abc", MessageId::SettingNotANumber, "Glucose_high"},
        {dialog.HbA1cLowEdit(), "-1", MessageId::SettingNotANumber, "HbA1c_low"}};
    for (const Case& c : refused) {
        SCOPED_TRACE(c.text);
        const QString before = c.edit->text();
        c.edit->setText(c.text);
        dialog.Save();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        ASSERT_FALSE(prompter.shown.empty());
        EXPECT_EQ(prompter.shown.back().message.id, c.refusal);
        ASSERT_FALSE(prompter.shown.back().message.args.empty());
        EXPECT_EQ(prompter.shown.back().message.args[0], c.key);
        ASSERT_TRUE(users.LoadSettings());
        EXPECT_FLOAT_EQ(users.Settings().hba1cHigh, 6.7f) << "nothing was stored";
        EXPECT_FLOAT_EQ(users.Settings().glucoseLow, 80.0f);
        c.edit->setText(before);
    }
    dialog.HbA1cLowEdit()->setText("5.0");
    dialog.HbA1cHighEdit()->setText(" 7.5 ");
    dialog.GlucoseLowEdit()->setText("70");
    dialog.GlucoseHighEdit()->setText("180");
    Render(&dialog, "dialog_settings_targets");
    dialog.Save();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(users.LoadSettings());
    EXPECT_FLOAT_EQ(users.Settings().hba1cLow, 5.0f);
    EXPECT_FLOAT_EQ(users.Settings().hba1cHigh, 7.5f);
    EXPECT_FLOAT_EQ(users.Settings().glucoseLow, 70.0f);
    EXPECT_FLOAT_EQ(users.Settings().glucoseHigh, 180.0f);
}

#ifdef QA_GUI_PATH
TEST(FrameInstance, SecondCopyShowsTheMessageAndEnds) {
    TempDir data;
    InstanceLock first(QString::fromStdString(data.Path()));
    ASSERT_EQ(first.Acquire(), InstanceLock::Result::Acquired);
    QProcess second;
    second.setProcessChannelMode(QProcess::SeparateChannels);
    second.start(QA_GUI_PATH, {"--data-dir", QString::fromStdString(data.Path())});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError())
                    .contains(QString::fromUtf8("이미 실행중입니다")));
}
#endif

TEST_F(FrameTest, ADamagedDatabaseIsNamedAtStartAndLeftAlone) {
    std::string file = data.File("Basis_HbA1c.sqlite");
    std::string garbage = "SQLite format 3" + std::string(8192, '\x5A');
    WriteFile(file, garbage);
    Start();
    ASSERT_FALSE(prompter.Texts().empty());
    std::string text = prompter.Texts().back();
    EXPECT_EQ(text.rfind(SourceText(user_text::kDamagedFile), 0), 0u) << text;
    EXPECT_NE(text.find(file + ": "), std::string::npos) << text;
    EXPECT_EQ(ReadFile(file), garbage);
}

// The port typed into "Get data" is offered the next time, although no discovery lists it.
TEST_F(FrameTest, ThePortTypedLastIsOfferedNextTime) {
    Start();
    AnswerGetData([&](GetDataDialog& dialog) {
        dialog.PortCombo()->setEditText("/dev/ttyQA-typed");
        return true;
    });
    RequestDownload();
    ASSERT_TRUE(PumpUntil([&] { return !prompter.shown.empty(); }, 10s)) << "cannot be opened";
    QString offered;
    AnswerGetData([&](GetDataDialog& dialog) {
        offered = dialog.PortCombo()->currentText();
        return false;
    });
    RequestDownload();
    ASSERT_TRUE(PumpUntil([&] { return !offered.isEmpty(); }, 10s));
    EXPECT_EQ(offered, "/dev/ttyQA-typed");
    SaveLastPort(""); // the next tests start without it
}

// The progress window takes the keyboard when it appears; Enter and Esc close it once no
// download runs, and do nothing while one does.
TEST(ProcessWindow, TakesTheKeyboardAndClosesOnEnterOrEscOnlyOnceItMay) {
    QWidget owner;
    owner.show();
    ProcessDialog process(&owner);
    process.hide();
    process.SetRunning(true);
    process.SetProgressText(QStringLiteral("Waiting...."));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&process));
    ASSERT_EQ(QApplication::focusWidget(), process.CloseButton());
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_TRUE(process.isVisible()) << "while the download runs, key " << key;
    }
    process.SetRunning(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(process.isVisible());
    process.SetProgressText(QStringLiteral("done"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&process));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(process.isVisible());
}

// Renders the "Get data" dialog when discovery recognised no meter, in both languages, for a
// person to look at; runs only when QA_VIEWS_RENDER_DIR names a folder.
TEST_F(FrameTest, RendersGetDataWithoutAMeterInBothLanguages) {
    const QString dir = qEnvironmentVariable("QA_VIEWS_RENDER_DIR");
    if (dir.isEmpty()) {
        GTEST_SKIP() << "set QA_VIEWS_RENDER_DIR to render";
    }
    Start();
    QDir().mkpath(dir);
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR").isEmpty() ? "" : "_150";
    for (Language language : {Language::Korean, Language::English}) {
        ApplyLanguage(language);
        GetDataDialog dialog(frame.get());
        dialog.SetPorts(DiscoveryResult{});
        dialog.SetLastPort("ttyS0");
        dialog.SetUsers({"Basis"}, "Basis");
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_TRUE(dialog.NoMeterNote()->isVisible());
        EXPECT_EQ(dialog.PortCombo()->currentText(), "ttyS0");
        EXPECT_TRUE(dialog.grab().save(dir + "/get_data_no_meter" +
                                       (language == Language::Korean ? "_ko" : "_en") + scale +
                                       ".png"));
    }
    ApplyLanguage(Language::Korean);
}
