// The main window as a desktop window: sizes, placement, keyboard, palette and artwork
// density. Runs offscreen on a 1280 x 720 logical screen (see CMakeLists.txt); the same
// binary runs once more on a screen of device pixel ratio 2.
#include "frame/main_window.h"
#include "frame/session_dialogs.h"
#include "frame/window_placement.h"
#include "i18n/message_text.h"
#include "print/print_job.h"
#include "scripted_prompter.h"
#include "store/csv_export.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/all_data_page.h"
#include "views/audit_dialog.h"
#include "views/data_list_view.h"
#include "views/delivery_panel.h"
#include "views/patient_chooser.h"
#include "views/patient_page.h"
#include "views/record_dialogs.h"
#include "views/settings_dialog.h"
#include "views/ui_services.h"
#include "widgets/image_button.h"
#include "widgets/program_palette.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSizeGrip>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
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

namespace {

void Render(QWidget* widget, const QString& name) {
    QDir().mkpath(QA_RENDER_DIR);
    widget->grab().save(QString(QA_RENDER_DIR) + "/" + name + ".png");
}

class ScriptedFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override {
        ++asked;
        return {};
    }
    bool OpenFile(const QString&) override { return true; }
    int asked = 0;
};

class CountingPrintDialog : public PrintDialogService {
public:
    int Exec(PrinterSelection&) override {
        ++shown;
        return kDialogCancel;
    }
    bool AskOutputFile(QString&) override { return false; }
    std::shared_ptr<QPrinter> DefaultPrinter() override { return nullptr; }
    int shown = 0;
};

class WindowTest : public ::testing::Test {
protected:
    TempDir data;
    TempDir config;
    TempDir sysfs;
    ScriptedPrompter prompter;
    UserStore users{data.Path(), prompter};
    ScriptedFiles files;
    CountingPrintDialog print;
    std::unique_ptr<MainWindow> frame;

    void SetUp() override {
        InitResources();
        defaultConfig_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(config.Path()));
        ASSERT_TRUE(users.Reload());
    }
    void TearDown() override {
        if (frame) {
            frame->close();
            frame.reset();
        }
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, defaultConfig_);
    }
    void Open() {
        MainWindow::Services services{users, prompter, files, &print, sysfs.Path(), ""};
        frame = std::make_unique<MainWindow>(services);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        frame->LateStartup();
        // The download page searches for the meter on arrival and asks for the port: no.
        dismiss_ = std::make_unique<QTimer>();
        QObject::connect(dismiss_.get(), &QTimer::timeout, [this] {
            if (frame && frame->OpenGetData() && frame->OpenGetData()->isVisible()) {
                if (!renderedGetData_) {
                    Render(frame->OpenGetData(), "get_data_dialog");
                    renderedGetData_ = true;
                }
                frame->OpenGetData()->reject();
            }
        });
        dismiss_->start(10);
    }
    void Reopen() {
        frame->close();
        frame.reset();
        Open();
    }
    static QRect Available() { return QApplication::primaryScreen()->availableGeometry(); }
    void AddHbA1c(const std::string& date, const std::string& pid) {
        HbA1cTable& table = users.HbA1cMain();
        ASSERT_TRUE(table.AddNew());
        table.date = date;
        table.time = "10:00";
        table.value = "6.5";
        table.pid = pid;
        table.opid = "OP";
        table.eqType = "1";
        table.dob = "19000101";
        ASSERT_TRUE(table.Update());
    }
    // Every shown control of the page lies inside it and clear of the status bar; returns
    // the names of those that do not.
    static std::vector<std::string> Clipped(QWidget* page) {
        std::vector<std::string> clipped;
        const QRect inside = page->rect();
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisible()) {
                continue;
            }
            if (!inside.contains(child->geometry()) ||
                child->height() < child->minimumSizeHint().height()) {
                clipped.push_back(child->objectName().toStdString() + " " +
                                  child->metaObject()->className());
            }
        }
        return clipped;
    }

private:
    QString defaultConfig_;
    std::unique_ptr<QTimer> dismiss_;
    bool renderedGetData_ = false;
};

QList<QRect> Areas(std::initializer_list<QRect> rects) {
    return QList<QRect>(rects);
}

} // namespace

TEST(WindowPlacement, KeepsASavedPlaceOnlyWhereItIsStillOnAScreenAndFitsItIn) {
    const QRect laptop(0, 0, 1280, 690);
    const QRect right(1280, 0, 1920, 1050);
    const QSize minimum = kMinimumWindowSize;
    // Nothing saved: the default size, centred, shrunk to the screen where needed.
    EXPECT_EQ(PlaceWindow({}, minimum, Areas({laptop}), 0), QRect(128, 0, 1024, 690));
    EXPECT_EQ(PlaceWindow({}, minimum, Areas({laptop, right}), 1).center(), right.center());
    // A saved place on a screen stays as it was.
    EXPECT_EQ(PlaceWindow(QRect(1400, 100, 1200, 800), minimum, Areas({laptop, right}), 0),
              QRect(1400, 100, 1200, 800));
    // Hanging over the edge: moved in; larger than the screen now: shrunk to it.
    EXPECT_EQ(PlaceWindow(QRect(900, 300, 1100, 700), minimum, Areas({laptop, right}), 0),
              QRect(1280, 300, 1100, 700));
    EXPECT_EQ(PlaceWindow(QRect(-50, -20, 1400, 760), minimum, Areas({laptop}), 0),
              QRect(0, 0, 1280, 690));
    // Its screen is gone (the larger part of it lay on the unplugged right screen).
    EXPECT_EQ(PlaceWindow(QRect(1400, 100, 1200, 800), minimum, Areas({laptop}), 0),
              QRect(128, 0, 1024, 690));
    // Never smaller than the pages need, unless the screen itself is smaller.
    EXPECT_EQ(PlaceWindow(QRect(1300, 10, 300, 200), minimum, Areas({right}), 0),
              QRect(QPoint(1300, 10), minimum));
    EXPECT_EQ(PlaceWindow(QRect(10, 10, 300, 200), minimum, Areas({QRect(0, 0, 800, 600)}), 0),
              QRect(0, 0, 800, 600));
}

TEST_F(WindowTest, OpensCentredOnTheScreenAndComesBackWhereItWasLeft) {
    Open();
    const QRect area = Available();
    // The minimum fits the 150 % screen of 1920 x 1080, caption included.
    EXPECT_LE(frame->minimumWidth(), 1280);
    EXPECT_LE(frame->minimumHeight(), 720 - 30);
    EXPECT_TRUE(area.contains(frame->frameGeometry())) << "caption and close button on screen";
    EXPECT_LE((frame->geometry().center() - area.center()).manhattanLength(), 2);

    const QRect moved(area.left() + 40, area.top() + 20, 1100, 650);
    frame->setGeometry(moved);
    Reopen();
    EXPECT_EQ(frame->geometry(), moved);

    // Maximised at closing: opens maximised, and restores to the size it had before.
    frame->showMaximized();
    QTest::qWait(20);
    Reopen();
    EXPECT_TRUE(frame->isMaximized());
    frame->showNormal();
    QTest::qWait(20);
    EXPECT_EQ(frame->geometry(), moved);

    // Left on a screen that is gone: back on this one, whole.
    {
        QSettings profile(QSettings::IniFormat, QSettings::UserScope,
                          "Local AppWizard-Generated Applications", "QuorinA1cComm");
        profile.setValue("Window/Geometry", QRect(area.right() + 500, 100, 1200, 900));
        profile.setValue("Window/Maximised", false);
    }
    frame->close();
    frame.reset();
    Open();
    EXPECT_TRUE(area.contains(frame->frameGeometry()));
}

TEST_F(WindowTest, CaptionMaximisesToTheScreenAndRestoresAndTheEdgesAndGripResize) {
    Open();
    const QRect normal = frame->geometry();
    const QPoint maximise(frame->width() - 30, 8);
    QTest::mouseClick(frame.get(), Qt::LeftButton, {}, maximise);
    QTest::qWait(20);
    EXPECT_TRUE(frame->isMaximized());
    EXPECT_EQ(frame->geometry(), Available()) << "the whole available area, not 1024 x 768";
    QTest::mouseClick(frame.get(), Qt::LeftButton, {}, QPoint(frame->width() - 30, 8));
    QTest::qWait(20);
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_EQ(frame->geometry(), normal);

    // The right border: dragged 60 pixels to the left and back out by 100.
    frame->setGeometry(QRect(Available().topLeft(), QSize(1100, 660)));
    const QPoint border(frame->width() - 3, frame->height() / 2);
    EXPECT_EQ(frame->ResizeEdgesAt(border), Qt::RightEdge);
    EXPECT_EQ(frame->ResizeEdgesAt(QPoint(frame->width() - 3, frame->height() - 3)),
              Qt::RightEdge | Qt::BottomEdge);
    EXPECT_EQ(frame->ResizeEdgesAt(QPoint(2, 300)), Qt::LeftEdge);
    EXPECT_EQ(frame->ResizeEdgesAt(QPoint(500, 1)), Qt::TopEdge);
    EXPECT_EQ(frame->ResizeEdgesAt(QPoint(500, 10)), Qt::Edges()) << "the caption moves";
    EXPECT_EQ(frame->ResizeEdgesAt(QPoint(10, frame->height() - 2)), Qt::LeftEdge | Qt::BottomEdge);
    QTest::mousePress(frame.get(), Qt::LeftButton, {}, border);
    QMouseEvent move(QEvent::MouseMove, QPointF(border - QPoint(60, 0)),
                     QPointF(frame->mapToGlobal(border - QPoint(60, 0))), Qt::LeftButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(frame.get(), &move);
    EXPECT_EQ(frame->width(), 1040);
    QMouseEvent out(QEvent::MouseMove, QPointF(border + QPoint(100, 0)),
                    QPointF(frame->mapToGlobal(border) + QPoint(100, 0)), Qt::LeftButton,
                    Qt::LeftButton, {});
    QApplication::sendEvent(frame.get(), &out);
    QTest::mouseRelease(frame.get(), Qt::LeftButton, {}, border);
    EXPECT_EQ(frame->width(), 1200);
    // Never below the minimum.
    frame->resize(200, 200);
    EXPECT_EQ(frame->size(), kMinimumWindowSize);

    // The size grip in the status bar's corner.
    auto* grip = frame->statusBar()->findChild<QSizeGrip*>();
    ASSERT_NE(grip, nullptr);
    ASSERT_TRUE(grip->isVisible());
    const QSize before = frame->size();
    const QPoint at = grip->rect().center();
    QTest::mousePress(grip, Qt::LeftButton, {}, at);
    QMouseEvent drag(QEvent::MouseMove, QPointF(at + QPoint(50, 30)),
                     QPointF(grip->mapToGlobal(at + QPoint(50, 30))), Qt::LeftButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(grip, &drag);
    QTest::mouseRelease(grip, Qt::LeftButton, {}, at + QPoint(50, 30));
    EXPECT_EQ(frame->size(), before + QSize(50, 30));
    frame->showMaximized();
    QTest::qWait(20);
    EXPECT_FALSE(grip->isVisible()) << "no grip on a maximised window";
}

TEST_F(WindowTest, EveryPageFitsAt1280x720And1920x1080AndTheListsGrow) {
    AddHbA1c("20160101", "P1");
    Open();
    auto* stack = frame->findChild<QStackedWidget*>();
    ASSERT_NE(stack, nullptr);
    std::map<int, int> listHeight;
    for (QSize size : {QSize(1280, 720), QSize(1920, 1080)}) {
        frame->resize(size);
        for (int view :
             {MainWindow::kViewHome, MainWindow::kViewDownload, MainWindow::kViewAllData}) {
            frame->SwitchView(frame->ActiveView(), view);
            QApplication::processEvents();
            QWidget* page = stack->currentWidget();
            SCOPED_TRACE(testing::Message()
                         << size.width() << "x" << size.height() << " page " << view);
            EXPECT_EQ(page->size().width(), size.width() - 13);
            EXPECT_TRUE(Clipped(page).empty())
                << Clipped(page).size() << " clipped, first " << Clipped(page).front();
            // The navigation row keeps its place on the band, right-aligned.
            ImageButton* settings = static_cast<FormPage*>(page)->NavButton(FrameCommand::Settings);
            EXPECT_EQ(settings->geometry(), QRect(page->width() - 60 - 110, 14, 110, 100));
            if (auto* list = page->findChild<views::DataListView*>("downloadList")) {
                EXPECT_EQ(list->Header()->height(), 32) << "the download list's header";
            }
            Render(frame.get(), QStringLiteral("window_%1x%2_dpr%3_page%4")
                                    .arg(size.width())
                                    .arg(size.height())
                                    .arg(qApp->devicePixelRatio())
                                    .arg(view));
        }
        AllDataPage* all = frame->AllData();
        listHeight[size.height()] = all->List()->height();
        // The list ends above the delivery row, which ends above the footer.
        EXPECT_LT(all->List()->geometry().bottom(), all->Delivery()->geometry().top());
        EXPECT_EQ(all->SearchButton()->geometry().top(), 145);
        EXPECT_EQ(all->SearchField()->geometry().top(), 186) << "the patient search row";
        EXPECT_EQ(all->List()->geometry().top(), 220);
        EXPECT_EQ(all->List()->geometry().right(), all->width() - 61);
        EXPECT_EQ(frame->Download()->List()->geometry().top(), 190);
    }
    EXPECT_EQ(listHeight[1080] - listHeight[720], 360) << "the list takes what the window gains";
}

TEST_F(WindowTest, ShortcutsActOnThePageShownAndAreNamedInTheTips) {
    AddHbA1c("20160101", "P1");
    AddHbA1c("20160102", "P2");
    Open();
    frame->activateWindow();
    frame->Command(FrameCommand::ViewData);
    AllDataPage* all = frame->AllData();
    ASSERT_EQ(all->List()->RowCount(), 2);

    QTest::keyClick(frame.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(print.shown, 1) << "Ctrl+P prints";
    prompter.answers = {false};
    QTest::keyClick(frame.get(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(prompter.shown.size(), 1u) << "Ctrl+E exports: its question";
    EXPECT_EQ(prompter.shown.back().text,
              QCoreApplication::translate("qa::FormPage", "현재 데이터 내보내기를 하시겠습니까?")
                  .toStdString());

    AddHbA1c("20160103", "P3");
    QTest::keyClick(frame.get(), Qt::Key_F5);
    EXPECT_EQ(all->List()->RowCount(), 3) << "F5 reloads the list";

    QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(all->SearchField()->hasFocus()) << "Ctrl+F goes to the patient search";

    // Delete on the selected row asks first; "no" keeps it.
    all->List()->setFocus();
    all->List()->SelectRow(0);
    prompter.answers = {false};
    QTest::keyClick(all->List(), Qt::Key_Delete);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_TRUE(prompter.shown.back().question);
    EXPECT_TRUE(prompter.shown.back().defaultNo);
    EXPECT_EQ(all->List()->RowCount(), 3);

    // F1 opens the About box without blocking; Esc closes it.
    QTest::keyClick(frame.get(), Qt::Key_F1);
    auto* about = frame->findChild<AboutDialog*>();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(about->isVisible());
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_FALSE(about->isVisible());

    // On the download page Ctrl+E is its export; Ctrl+P has nothing to print there.
    frame->SwitchView(frame->ActiveView(), MainWindow::kViewDownload);
    QTest::keyClick(frame.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(prompter.shown.size(), 3u);
    QTest::keyClick(frame.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(print.shown, 1);

    EXPECT_TRUE(all->PrintButton()->ToolTipText().endsWith("(Ctrl+P)"));
    EXPECT_TRUE(all->ExportButton()->ToolTipText().endsWith("(Ctrl+E)"));
    EXPECT_TRUE(frame->Download()->ExportButton()->ToolTipText().endsWith("(Ctrl+E)"));
    EXPECT_TRUE(all->SearchField()->toolTip().contains("Ctrl+F"));
    EXPECT_TRUE(all->List()->toolTip().contains("F5"));
}

TEST_F(WindowTest, TabWalksThePageInReadingOrderAndFocusIsDrawn) {
    Open();
    frame->Command(FrameCommand::ViewData);
    AllDataPage* all = frame->AllData();
    ImageButton* settings = all->NavButton(FrameCommand::Settings);
    settings->setFocus(Qt::TabFocusReason);
    const std::vector<QWidget*> expected = {
        all->UserList(),    all->KindList(),     all->PeriodList(),  all->StartPicker(),
        all->EndPicker(),   all->SearchButton(), all->PrintButton(), all->ExportButton(),
        all->SearchField(), all->List()};
    QWidget* at = settings;
    for (QWidget* next : expected) {
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus || !at->isVisibleTo(all) ||
               at->focusProxy() != nullptr) {
            at = at->nextInFocusChain();
        }
        EXPECT_EQ(at, next) << next->metaObject()->className() << " "
                            << next->objectName().toStdString();
    }

    // The focused button carries a teal ring the unfocused one lacks.
    ImageButton* search = all->SearchButton();
    search->clearFocus();
    const QImage plain = search->grab().toImage();
    search->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(search->hasFocus());
    const QImage focused = search->grab().toImage();
    Render(search, "search_button_focused");
    EXPECT_NE(plain, focused);
    // Teal where the plain button has its own face: somewhere along the top edge.
    int tealest = -255;
    for (int y = 0; y < focused.height() / 8; ++y) {
        const QColor c = focused.pixelColor(focused.width() / 2, y);
        tealest = std::max(tealest, std::min(c.green(), c.blue()) - c.red());
    }
    EXPECT_GT(tealest, 60);
}

TEST_F(WindowTest, DatesAreTypedIntoThePickers) {
    Open();
    frame->Command(FrameCommand::ViewData);
    QDateEdit* start = frame->AllData()->StartPicker();
    // As the operator gets there: Tab selects the first part, digits replace it, the
    // separator moves on to the next part.
    start->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(start, "2015-03-09");
    EXPECT_EQ(start->date(), QDate(2015, 3, 9))
        << start->text().toStdString() << " " << start->displayFormat().toStdString();
    // Short parts: the separator ends them.
    QDateEdit* end = frame->AllData()->EndPicker();
    end->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(end, "2016-4-1");
    QTest::keyClick(end, Qt::Key_Return);
    EXPECT_EQ(end->date(), QDate(2016, 4, 1)) << end->text().toStdString();
}

TEST_F(WindowTest, DialogsAndQuestionsWearThePagesPalette) {
    Open();
    const QColor ground = program_colour::kGround;
    ProcessDialog* process = frame->Process();
    EXPECT_EQ(process->palette().color(QPalette::Window), ground);
    process->SetProgressText("Receiving data");
    Render(process, "process_window");
    const QImage shot = process->grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 1), ground);
    // The label: white at the top to RGB(123, 104, 238) at the bottom, its text black.
    QWidget* label = process->findChild<QWidget*>("progress");
    ASSERT_NE(label, nullptr);
    const QImage face = label->grab().toImage();
    const QColor top = face.pixelColor(2, 0);
    const QColor bottom = face.pixelColor(2, face.height() - 1);
    EXPECT_GE(top.lightness(), 245) << top.name().toStdString();
    EXPECT_NEAR(bottom.red(), 123, 8) << bottom.name().toStdString();
    EXPECT_NEAR(bottom.green(), 104, 8);
    EXPECT_NEAR(bottom.blue(), 238, 8);
    bool black = false;
    for (int y = 0; y < face.height() && !black; ++y) {
        for (int x = 0; x < face.width() && !black; ++x) {
            black = face.pixelColor(x, y) == QColor(Qt::black);
        }
    }
    EXPECT_TRUE(black) << "the text is drawn in black";

    auto question = MakeQuestionBox(frame.get(), "Delete?", "QuorinA1c", true);
    EXPECT_EQ(question->palette().color(QPalette::Window), ground);
    EXPECT_EQ(question->palette().color(QPalette::Highlight), program_colour::kTeal);
    question->show();
    Render(question.get(), "question_box");
    process->hide();
}

TEST_F(WindowTest, LockKeyFieldsOnlyWhereTheirStateCanBeRead) {
    Open();
    const bool readable = ReadLockKeys().has_value();
    for (const char* name : {"CAP", "NUM", "SCRL"}) {
        QLabel* field = frame->statusBar()->findChild<QLabel*>(name);
        EXPECT_EQ(field != nullptr, readable) << name;
    }
    if (QGuiApplication::platformName() == "offscreen") {
        EXPECT_FALSE(readable) << "no keyboard to read: no dead fields either";
    }
}

TEST_F(WindowTest, OnADenseScreenThePicturesAreTheSharpOnes) {
    if (qApp->devicePixelRatio() < 2) {
        GTEST_SKIP() << "runs on the screen of device pixel ratio 2 (window_test_dpr2)";
    }
    AddHbA1c("20160101", "P1");
    Open();
    frame->resize(1280, 720);
    ImageButton* home = frame->AllData()->NavButton(FrameCommand::Home);
    EXPECT_EQ(home->size(), QSize(110, 100)) << "same logical size";
    const QImage shot = frame->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(2560, 1440));
    for (int view : {MainWindow::kViewHome, MainWindow::kViewDownload, MainWindow::kViewAllData}) {
        frame->SwitchView(frame->ActiveView(), view);
        QApplication::processEvents();
        auto* page = frame->findChild<QStackedWidget*>()->currentWidget();
        EXPECT_TRUE(Clipped(page).empty()) << "page " << view;
        Render(frame.get(), QStringLiteral("window_dpr2_page%1").arg(view));
    }
    // The button shows the pixels of the picture drawn at twice the size, not an enlarged
    // copy of the plain one.
    frame->SwitchView(frame->ActiveView(), MainWindow::kViewAllData);
    QApplication::processEvents();
    const QImage shown = home->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage drawn = QImage(":/images/nav_home_173@2x.png")
                             .copy(0, 0, 220, 200)
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(220, 200));
    EXPECT_EQ(shown, drawn);
    EXPECT_EQ(frame->windowIcon().pixmap(QSize(32, 32)).devicePixelRatio(), 2.0);
}

// The operator-delete question as the window shows it: the operator named, their results
// counted, No the default.
TEST(OperatorDeleteQuestion, NamesTheOperatorAndTheirResultsWithNoAsDefault) {
    TempDir dir;
    ScriptedPrompter prompter;
    UserStore users(dir.Path(), prompter);
    ASSERT_TRUE(users.Reload());
    ASSERT_EQ(users.AddUser("김민수"), UserStore::Outcome::Done);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(users.HbA1cMain().AddNew());
        users.HbA1cMain().date = "2026011" + std::to_string(i);
        users.HbA1cMain().time = "0930";
        users.HbA1cMain().value = "0650";
        users.HbA1cMain().pid = "P1";
        ASSERT_TRUE(users.HbA1cMain().Update());
    }
    prompter.shown.clear();
    prompter.answers = {false};
    ASSERT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Declined);
    ASSERT_EQ(prompter.shown.size(), 1u);
    ASSERT_TRUE(prompter.shown[0].defaultNo);
    const std::string text = MessageUtf8(prompter.shown[0].message);
    EXPECT_NE(text.find("김민수"), std::string::npos) << text;
    EXPECT_NE(text.find("HbA1c 결과 3개"), std::string::npos) << text;
    EXPECT_NE(text.find("혈당 결과 0개"), std::string::npos) << text;
    auto box = MakeQuestionBox(nullptr, text, "QuorinA1c", true);
    box->show();
    QTest::qWait(0);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    Render(box.get(), "operator_delete_question");
    EXPECT_EQ(users.UserList(), (std::vector<std::string>{"Basis", "김민수"}));
}

// Every window of the program, opened as it opens, fits the screen's free area with each of its
// buttons inside it: at 100 % on 1366 x 768 and at 150 % on 1920 x 1080 (a 1280 x 720 logical
// screen), the screens this test is run on.
TEST_F(WindowTest, EveryWindowFitsTheScreenWithItsButtonsReachable) {
    AddHbA1c("20160101", "P1001");
    AddHbA1c("20160102", "P10010");
    Open();
    const QRect area = Available();
    auto check = [&](QWidget& window, const char* name) {
        SCOPED_TRACE(name);
        window.show();
        QApplication::processEvents();
        EXPECT_LE(window.frameGeometry().height(), area.height() + 1)
            << window.frameGeometry().height() << " on " << area.height();
        EXPECT_LE(window.frameGeometry().width(), area.width() + 1);
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(&window)) {
                continue;
            }
            const QRect place(button->mapTo(&window, QPoint(0, 0)), button->size());
            EXPECT_TRUE(window.rect().contains(place))
                << button->text().toStdString() << " at " << place.y() << " in " << window.height();
        }
        window.hide();
    };
    SettingsDialog settings(users, prompter, frame.get());
    settings.SetFileService(&files);
    check(settings, "settings");
    GetDataDialog getData(frame.get());
    check(getData, "get data");
    AboutDialog about(frame.get());
    check(about, "about");
    check(*frame->Process(), "process");
    ListRow row;
    row.date = "20160101";
    row.time = "1000";
    row.value = "0650";
    row.patientId = "P1001";
    views::RecordModifyDialog modify(row, users.Settings(), prompter, frame.get());
    check(modify, "record modify");
    views::RecordViewDialog view(row, users.Settings(), frame.get());
    check(view, "record view");
    AuditDialog audit(users.DataFolder(), frame.get());
    check(audit, "audit log");
    PatientPage patient(users, prompter, &print, "P1001", frame.get());
    check(patient, "patient");
    PatientSearch search;
    for (int i = 0; i < 40; ++i) {
        PatientCandidate candidate;
        candidate.patientId = "P" + std::to_string(1000 + i);
        candidate.names = {"Kim", "Lee"};
        candidate.birthDates = {"19800101"};
        candidate.count = i + 1;
        candidate.newestDate = "20160101";
        search.candidates.push_back(candidate);
    }
    PatientChooser chooser("P1", search, users.Settings(), frame.get());
    check(chooser, "patient chooser");
}
