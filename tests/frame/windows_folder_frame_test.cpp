// The main window over a data folder written on Windows: its list and patient pages show
// every stored result whole, reading changes no file, and modify and delete work (and are
// audited) on a writable copy and are refused, saying why, on read-only media.
#include "app/data_folder.h"
#include "frame/main_window.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/audit_log.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/all_data_page.h"
#include "views/data_list_view.h"
#include "views/patient_page.h"
#include "views/record_dialogs.h"
#include "windows_folder.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

// At global scope: the macro declares the initialiser of the generated resource code.
static void InitFolderResources() {
#ifdef QA_HAVE_RESOURCES
    Q_INIT_RESOURCE(resources);
#endif
}

using namespace qa;
using namespace qa::test;

namespace {

constexpr const char* kMediaVariable = "QA_TEST_READ_ONLY_MEDIA";

class NoFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override { return {}; }
    bool OpenFile(const QString&) override { return true; }
};

// The files of one operator, by the bytes that begin their names: what reading must leave
// as it was.
std::string OperatorFiles(const std::string& folder, const std::string& stem) {
    std::istringstream in(FolderFingerprint(folder));
    std::string kept;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(stem, 0) == 0) {
            kept += line + "\n";
        }
    }
    return kept;
}

std::vector<AuditEntry> Audit(const std::string& folder) {
    std::vector<AuditEntry> entries;
    std::string error;
    entries = test::ValueOf(ReadAudit(folder, {}));
    return entries;
}

bool Audited(const std::vector<AuditEntry>& entries, const std::string& action,
             const std::string& patient = "") {
    return std::any_of(entries.begin(), entries.end(), [&](const AuditEntry& entry) {
        return entry.action == action && (patient.empty() || entry.patientId == patient);
    });
}

class WindowsFolderFrame : public ::testing::Test {
protected:
    void Open(const std::string& folder, bool readOnly) {
        InitFolderResources();
        users = std::make_unique<UserStore>(folder, prompter);
        users->SetReadOnly(readOnly);
        ASSERT_TRUE(users->Reload());
        MainWindow::Services services{*users, prompter, files, nullptr, sysfs.Path(), ""};
        frame = std::make_unique<MainWindow>(services);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        frame->LateStartup();
        frame->Command(FrameCommand::ViewData);
        ASSERT_EQ(frame->ActiveView(), MainWindow::kViewAllData);
        page = frame->AllData();
        page->SetDialogRunner([this](QDialog& dialog) {
            return dialogScript ? dialogScript(dialog) : int(QDialog::Rejected);
        });
    }
    void TearDown() override {
        if (frame) {
            frame->close();
        }
    }
    std::vector<std::string> Ids() const {
        std::vector<std::string> ids;
        for (const ListRow& row : page->Rows()) {
            ids.push_back(row.patientId);
        }
        return ids;
    }
    int RowOf(const std::string& patientId) const {
        const std::vector<ListRow> rows = page->Rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (rows[r].patientId == patientId) {
                return static_cast<int>(r);
            }
        }
        return -1;
    }
    // The list and patient pages over the corpus's 홍길동 and 김철수: every row, decoded.
    void ExpectEveryRowWhole() {
        ASSERT_EQ(page->UserList()->count(), 3);
        EXPECT_EQ(page->UserList()->itemText(0), QString::fromUtf8("홍길동"));
        EXPECT_EQ(page->UserList()->currentText(), QString::fromUtf8("홍길동"));
        EXPECT_EQ(Ids(), (std::vector<std::string>{"HONG0000000001", "HONG0000000002"}));
        const std::vector<ListRow> rows = page->Rows();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].patientName, "환자1") << "decoded from code page 949";
        EXPECT_EQ(rows[1].patientName, "환자2");
        EXPECT_EQ(page->List()->CellTextUtf8(0, 1), "2016-06-20");
        EXPECT_EQ(page->List()->CellTextUtf8(0, 5), "HONG0000000001");

        std::vector<std::string> opened;
        dialogScript = [&](QDialog& dialog) {
            if (auto* patient = dynamic_cast<PatientPage*>(&dialog)) {
                opened.push_back(patient->Data().patientName);
                EXPECT_EQ(patient->Data().hba1c.size(), 1u);
                EXPECT_EQ(patient->Table()->rowCount(), 1);
            }
            return int(QDialog::Rejected);
        };
        page->OpenPatientHistory("HONG0000000002");
        EXPECT_EQ(opened, std::vector<std::string>{"환자2"});
        dialogScript = nullptr;

        page->ChooseKind(1);
        EXPECT_EQ(Ids(), std::vector<std::string>{"00000000000000"}) << "the glucose file";
        page->ChooseKind(0);
        page->ChooseUser(1);
        EXPECT_EQ(users->ActiveUserId(), "김철수");
        EXPECT_EQ(Ids(), std::vector<std::string>{"KIM00000000001"}) << "files named in UTF-8";
        page->ChooseUser(0);
        EXPECT_EQ(Ids(), (std::vector<std::string>{"HONG0000000001", "HONG0000000002"}));
        EXPECT_EQ(users->Settings().name.size(), 148u) << "49 syllables and a letter, whole";
    }

    TempDir dir;
    TempDir sysfs;
    ScriptedPrompter prompter;
    NoFiles files;
    std::unique_ptr<UserStore> users;
    std::unique_ptr<MainWindow> frame;
    AllDataPage* page = nullptr;
    std::function<int(QDialog&)> dialogScript;
};

} // namespace

// A writable copy: the window's open brings the old files up to date (audited); reading the
// pages afterwards writes nothing; a change and a delete from the list work and are audited.
TEST_F(WindowsFolderFrame, PagesShowTheOldFilesAndChangesAreAudited) {
    const std::string data = dir.File("data");
    WriteWindowsFolder(data, StandardWindowsFolder());
    Open(data, false);
    EXPECT_TRUE(Audited(Audit(data), audit_action::kUpgrade)) << "the writable open upgraded";
    // Their files are named in code page 949; 김철수's are upgraded when he is chosen.
    const std::string opened = OperatorFiles(data, Cp949("홍길동"));
    ASSERT_NE(opened, "");
    ExpectEveryRowWhole();
    EXPECT_EQ(OperatorFiles(data, Cp949("홍길동")), opened) << "viewing changed a file";

    const std::string name = "강강강강강강강"; // 14 bytes in code page 949
    page->CaptureRecord(RowOf("HONG0000000002"), 3);
    ASSERT_TRUE(page->HasSelectedRecord());
    dialogScript = [&](QDialog& dialog) {
        auto& modify = dynamic_cast<views::RecordModifyDialog&>(dialog);
        modify.PatientNameEdit()->setText(QString::fromStdString(name));
        modify.MemoEdit()->setPlainText(QString::fromUtf8("재검"));
        modify.ConfirmChange();
        return modify.result();
    };
    page->ModifySelectedRecord();
    const int changed = RowOf("HONG0000000002");
    ASSERT_GE(changed, 0);
    EXPECT_EQ(page->Rows()[changed].patientName, name);
    EXPECT_EQ(page->Rows()[changed].memo, "재검") << "the memo column the upgrade added";
    EXPECT_TRUE(Audited(Audit(data), audit_action::kModify, "HONG0000000002"));

    prompter.answers = {true};
    page->DeleteRow(RowOf("HONG0000000001"), 0);
    EXPECT_EQ(Ids(), std::vector<std::string>{"HONG0000000002"});
    EXPECT_TRUE(Audited(Audit(data), audit_action::kDelete, "HONG0000000001"));
    for (const auto& shown : prompter.shown) {
        EXPECT_EQ(shown.text.find("읽기 전용"), std::string::npos) << shown.text;
    }
}

// The same folder on read-only media, as the program opens it there: listed whole with no
// file changed, and modify and delete refused with the reason before any question.
TEST_F(WindowsFolderFrame, ReadOnlyMediaIsListedAndChangesAreRefused) {
    const char* media = std::getenv(kMediaVariable);
    if (media == nullptr) {
        // Root writes through any mode: the media is a read-only bind, seen only by a copy of
        // this test run in a mount namespace of its own.
        const std::string data = dir.File("data");
        WriteWindowsFolder(data, StandardWindowsFolder());
        const std::string mountPoint = dir.File("media");
        std::filesystem::create_directories(mountPoint);
        const std::string mount = "mount --make-rprivate / && mount --bind " + data + " " +
                                  mountPoint + " && mount -o remount,bind,ro " + mountPoint;
        if (std::system(("unshare -m sh -c '" + mount + "' 2>/dev/null").c_str()) != 0) {
            GTEST_SKIP() << "no mount namespace to make read-only media in";
        }
        const std::string before = FolderFingerprint(data);
        const std::string self = QCoreApplication::applicationFilePath().toStdString();
        const int status =
            std::system(("unshare -m sh -c '" + mount + " && " + kMediaVariable + "=" + mountPoint +
                         " " + self + " --gtest_filter=WindowsFolderFrame.ReadOnlyMedia*'")
                            .c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the run on the media failed; its output is above";
        EXPECT_EQ(FolderFingerprint(data), before);
        return;
    }
    ASSERT_TRUE(OnReadOnlyMedia(media)) << "the program would not know it";
    Open(media, OnReadOnlyMedia(media));
    ExpectEveryRowWhole();
    prompter.shown.clear();

    page->CaptureRecord(RowOf("HONG0000000002"), 3);
    ASSERT_TRUE(page->HasSelectedRecord());
    bool dialogShown = false;
    dialogScript = [&](QDialog&) {
        dialogShown = true;
        return int(QDialog::Rejected);
    };
    page->ModifySelectedRecord();
    EXPECT_FALSE(dialogShown) << "nothing typed there could be kept";
    page->DeleteRow(RowOf("HONG0000000001"), 0);
    ASSERT_EQ(prompter.shown.size(), 2u);
    for (const auto& shown : prompter.shown) {
        EXPECT_FALSE(shown.question) << "no delete question: " << shown.text;
        // In the operator's language (Korean here), naming the folder and why.
        EXPECT_NE(shown.text.find("읽기 전용 매체에 있습니다: " + std::string(media)),
                  std::string::npos)
            << shown.text;
    }
    EXPECT_EQ(Ids(), (std::vector<std::string>{"HONG0000000001", "HONG0000000002"}));
}
