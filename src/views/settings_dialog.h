#pragma once

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace qa {

class FileService;
class Prompter;
class UserStore;

// "Add user ": one ID, checked by the user store before anything is written.
class AddUserDialog : public QDialog {
    Q_OBJECT
public:
    AddUserDialog(UserStore& users, QWidget* parent = nullptr);
    QLineEdit* IdEdit() const { return id_; }
    QPushButton* AddButton() const { return add_; }

private:
    void Add();
    UserStore& users_;
    QLineEdit* id_;
    QPushButton* add_;
};

// "Setting information": units, formats and the user's details; adding, deleting and
// switching users.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(UserStore& users, Prompter& prompter, QWidget* parent = nullptr);

    // True when the current user changed while the dialog was open (switch, add, delete),
    // so the pages must reload even when the dialog closes without saving.
    bool UsersChanged() const { return usersChanged_; }

    QComboBox* UserCombo() const { return user_; }
    QButtonGroup* HbA1cUnit() const { return hba1cUnit_; }
    QButtonGroup* TimeFormat() const { return timeFormat_; }
    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* HospitalEdit() const { return hospital_; }
    // The target ranges, in percent and mg/dL.
    QLineEdit* HbA1cLowEdit() const { return hba1cLow_; }
    QLineEdit* HbA1cHighEdit() const { return hba1cHigh_; }
    QLineEdit* GlucoseLowEdit() const { return glucoseLow_; }
    QLineEdit* GlucoseHighEdit() const { return glucoseHigh_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* AddUserButton() const { return addUser_; }
    QPushButton* DeleteUserButton() const { return deleteUser_; }

    void Save();
    void AddUser();
    void DeleteUser();

    // The data folder's backup and audit log buttons; shown once a file service is given.
    void SetFileService(FileService* files);
    QPushButton* BackupButton() const { return backup_; }
    QPushButton* AuditButton() const { return audit_; }
    // Asks where, then writes a backup of the whole data folder there.
    void Backup();
    void ShowAudit();
    // The data folder's check, as `quorina1c-cli check` reports it, shown in a message.
    QPushButton* CheckButton() const { return check_; }
    void CheckFolder();

private:
    void Refresh();

    UserStore& users_;
    Prompter& prompter_;
    QComboBox* user_;
    QComboBox* language_;
    QButtonGroup* hba1cUnit_;
    QButtonGroup* glucoseUnit_;
    QButtonGroup* dateFormat_;
    QButtonGroup* timeFormat_;
    QLineEdit* name_;
    QLineEdit* hospital_;
    QLineEdit* hba1cLow_;
    QLineEdit* hba1cHigh_;
    QLineEdit* glucoseLow_;
    QLineEdit* glucoseHigh_;
    QLineEdit* email_;
    QLineEdit* memo_;
    QPushButton* save_;
    QPushButton* close_;
    QPushButton* addUser_;
    QPushButton* deleteUser_;
    QPushButton* backup_ = nullptr;
    QPushButton* audit_ = nullptr;
    QPushButton* check_ = nullptr;
    FileService* files_ = nullptr;
    bool filling_ = false;
    bool usersChanged_ = false;
};

} // namespace qa
