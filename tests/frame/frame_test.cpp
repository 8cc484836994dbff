#include "app/instance_lock.h"
#include "frame/main_window.h"
#include "qt_wait.h"
#include "scripted_prompter.h"
#include "sim_process.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/all_data_page.h"
#include "views/settings_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
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
};

} // namespace

TEST(FrameFonts, KoreanGlyphsHaveAFont) {
    EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Korean).isEmpty());
}

TEST_F(FrameTest, StartsOnHomeAndIgnoresRequestsForTheActivePage) {
    Start();
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewHome);
    EXPECT_EQ(frame->windowTitle(), QString::fromUtf8("오르보에이원씨 관리 프로그램 v1.09"));
    EXPECT_EQ(frame->size(), QSize(1024, 768));
    Render(frame.get(), "frame_home");

    AboutDialog about(frame.get());
    Render(&about, "dialog_about");
    EXPECT_EQ(about.windowTitle(), "About QuorinA1c Self Comm");

    frame->FrameCommand(kCmdHome);
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewHome);
    frame->FrameCommand(kCmdViewData);
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewAllData);
    frame->AllData()->List()->InsertColumn(6, "marker", Qt::AlignLeft, 10);
    frame->FrameCommand(kCmdViewData);
    EXPECT_EQ(frame->AllData()->List()->ColumnCount(), 7) << "no rebuild of the active page";
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
    frame->FrameCommand(kCmdGetData);
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
    frame->FrameCommand(kCmdViewData);
    EXPECT_EQ(frame->AllData()->List()->CellText(0, 3), "6.5 %");

    SettingsDialog dialog(users, prompter, frame.get());
    dialog.HbA1cUnit()->button(1)->setChecked(true);
    dialog.TimeFormat()->button(1)->setChecked(true);
    Render(&dialog, "dialog_settings");
    dialog.Save();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    frame->FrameCommand(12);
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
            dialog->KindCombo()->setCurrentIndex(1);
            Render(dialog, "dialog_get_data");
            confirmed = true;
            dialog->OkButton()->click();
        }
    });
    confirm.start(20);
    frame->FrameCommand(kCmdGetData);
    ASSERT_TRUE(PumpUntil([&] { return frame->Download()->List()->RowCount() == 4; }, 20s))
        << (prompter.shown.empty() ? "" : prompter.shown.back().text);
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewDownload);
    EXPECT_EQ(frame->Process()->ProgressText(), QString::fromUtf8("데이터 다운로드 완료"));
    EXPECT_EQ(frame->Download()->List()->ColumnCount(), 4) << "glucose columns";
    EXPECT_FALSE(frame->ImportRunning());
    Render(frame.get(), "frame_downloaded");
    Render(frame->Process(), "dialog_process");
}

TEST_F(FrameTest, ClosingStopsTheSessionAndClosesTheFiles) {
    SimProcess sim({"--no-pace", "--hba1c", "3"});
    Start(sim.linkPath());
    frame->Session().Connect(sim.linkPath(), sim.linkPath(), 0, false);
    ASSERT_TRUE(PumpUntil([&] { return frame->Session().DownloadMarker() == 1; }, 5s));
    frame->FrameCommand(kCmdViewData);
    frame->close();
    EXPECT_FALSE(frame->Session().runFlag);
    EXPECT_FALSE(users.HbA1cMain().IsOpen());
    EXPECT_FALSE(users.GlucoseDownload().IsOpen());
    EXPECT_EQ(frame->ActiveView(), MainWindow::kViewHome);
    PumpFor(1500ms); // the mode sequence's timer no longer sends anything
    EXPECT_EQ(frame->Session().Exchange(), kExchangeIdle);
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
