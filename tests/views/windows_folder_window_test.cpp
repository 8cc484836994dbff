#include "scripted_prompter.h"
#include "status_text.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/settings_dialog.h"
#include "windows_folder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qa;
using namespace qa::test;

namespace {

QString Repeat(const QString& text, int times) {
    QString out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

} // namespace

// The settings window over a folder written on Windows: the Hangul operators are listed and
// switched, the names that filled the Windows program's buffers are shown and saved whole.
TEST(WindowsFolderWindow, OperatorsAndLongTextsInTheSettings) {
    TempDir dir;
    const std::string data = dir.File("data");
    WriteWindowsFolder(data, StandardWindowsFolder());
    ScriptedPrompter prompter;
    UserStore users(data, prompter);
    ASSERT_TRUE(users.Reload());
    SettingsDialog dialog(users, prompter, nullptr);
    QComboBox* combo = dialog.UserCombo();
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QString::fromUtf8("홍길동"));
    EXPECT_EQ(combo->itemText(1), QString::fromUtf8("김철수"));
    EXPECT_EQ(combo->currentText(), QString::fromUtf8("홍길동"));
    const QString name = Repeat(QString::fromUtf8("가"), 49) + "A";
    EXPECT_EQ(dialog.NameEdit()->text(), name);

    // Saved as shown: nothing refused for being too long, nothing cut afterwards.
    dialog.Save();
    for (const auto& shown : prompter.shown) {
        EXPECT_EQ(shown.text.find("too long"), std::string::npos) << shown.text;
    }
    ASSERT_TRUE(users.Reload());
    EXPECT_EQ(QString::fromStdString(users.Settings().name), name);

    combo->setCurrentIndex(1);
    EXPECT_EQ(users.ActiveUserId(), "김철수");
    EXPECT_EQ(dialog.NameEdit()->text(), QString::fromUtf8("김철수"));
    EXPECT_EQ(test::ValueOf(users.HbA1cMain().CountRows()), 1) << "김철수's result is found";
    combo->setCurrentIndex(0);
    EXPECT_EQ(users.ActiveUserId(), "홍길동");
    EXPECT_EQ(test::ValueOf(users.HbA1cMain().CountRows()), 2)
        << "홍길동's files, named in code page 949";
    for (const auto& shown : prompter.shown) {
        EXPECT_EQ(shown.text.find("not in the user list"), std::string::npos) << shown.text;
    }
}

// The settings window's check shows the same report as the command line's, problems first.
TEST(WindowsFolderWindow, CheckButtonShowsTheReport) {
    TempDir dir;
    const std::string data = dir.File("data");
    WriteWindowsFolder(data, StandardWindowsFolder());
    ::chmod((data + "/user_info.ini").c_str(), 0600);
    ScriptedPrompter prompter;
    UserStore users(data, prompter);
    users.SetReadOnly(true);
    ASSERT_TRUE(users.LoadUsers());
    ASSERT_TRUE(users.OpenUserDatabases());
    ASSERT_TRUE(users.LoadSettings());
    SettingsDialog dialog(users, prompter, nullptr);
    prompter.shown.clear();
    ASSERT_NE(dialog.CheckButton(), nullptr);
    dialog.CheckButton()->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    const std::string& report = prompter.shown[0].text;
    EXPECT_NE(report.find("lacks the columns P_MEMO"), std::string::npos) << report;
    EXPECT_NE(report.find("open to others than its owner"), std::string::npos);
    ASSERT_NE(report.find("user_info.ini: in order (CP949)"), std::string::npos) << report;
    EXPECT_LT(report.find("lacks the columns"), report.find("in order"))
        << "problems before the files in order";
}
