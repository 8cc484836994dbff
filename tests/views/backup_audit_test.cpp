#include "scripted_prompter.h"
#include "status_text.h"
#include "store/audit_log.h"
#include "store/backup.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/audit_dialog.h"
#include "views/settings_dialog.h"
#include "views/ui_services.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace qa;
using namespace qa::test;

namespace {

class BackupFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override { return {}; }
    bool OpenFile(const QString&) override { return true; }
    QString AskBackupPath(QWidget*) override {
        ++asked;
        return backupPath;
    }
    QString backupPath;
    int asked = 0;
};

} // namespace

// The settings dialog's backup button writes an archive that passes the restore's check,
// says where, and leaves an entry in the log the audit dialog then shows.
TEST(BackupAuditWindow, BackupButtonWritesACheckedArchiveAndTheDialogShowsTheLog) {
    TempDir data, out;
    ScriptedPrompter prompter;
    UserStore users(data.Path(), prompter);
    ASSERT_TRUE(users.Reload());
    BackupFiles files;
    SettingsDialog dialog(users, prompter, nullptr);
    EXPECT_TRUE(dialog.BackupButton()->isHidden()) << "no file service, no backup";
    dialog.SetFileService(&files);
    EXPECT_FALSE(dialog.BackupButton()->isHidden());

    dialog.BackupButton()->click();
    EXPECT_EQ(files.asked, 1);
    EXPECT_TRUE(prompter.shown.empty()) << "cancelled: nothing written, nothing said";

    files.backupPath = QString::fromStdString(out.File("b.tar"));
    dialog.BackupButton()->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].text.find(out.File("b.tar")), std::string::npos);
    std::string error;
    EXPECT_EQ(test::Why(CheckBackup(out.File("b.tar"))), "");

    files.backupPath = QString::fromStdString(data.File("inside.tar"));
    dialog.BackupButton()->click();
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_NE(prompter.shown[1].text.find("inside the data folder"), std::string::npos);

    AuditEntry other;
    other.action = "modify";
    other.patientId = "P9";
    other.time = "2020-05-05 10:00:00";
    ASSERT_TRUE(AppendAudit(data.Path(), other).ok());

    AuditDialog audit(data.Path());
    ASSERT_EQ(audit.Table()->rowCount(), 2);
    // The action as a word of the reader's language (here the source's), not its key.
    EXPECT_EQ(audit.Table()->item(0, 4)->text(), "Backup");
    EXPECT_EQ(audit.Table()->item(0, 1)->text(), "Basis");
    audit.PatientEdit()->setText("P9");
    audit.Search();
    ASSERT_EQ(audit.Table()->rowCount(), 1);
    EXPECT_EQ(audit.Table()->item(0, 0)->text(), "2020-05-05 10:00:00");
    audit.PatientEdit()->clear();
    audit.PeriodCheck()->setChecked(true);
    audit.FromEdit()->setDate(QDate(2020, 5, 5));
    audit.ToEdit()->setDate(QDate(2020, 5, 5));
    audit.Search();
    ASSERT_EQ(audit.Table()->rowCount(), 1);
    EXPECT_EQ(audit.Table()->item(0, 5)->text(), "P9");
}
