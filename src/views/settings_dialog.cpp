#include "views/settings_dialog.h"

#include "i18n/language.h"
#include "i18n/message_text.h"
#include "store/audit_log.h"
#include "store/backup.h"
#include "store/folder_check.h"
#include "store/program_version.h"
#include "store/settings.h"
#include "store/users.h"
#include "views/audit_dialog.h"
#include "views/ui_services.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>

namespace qa {

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

QGroupBox* RadioGroup(QWidget* parent, const QString& title, QButtonGroup*& group,
                      std::initializer_list<QString> labels) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(box);
    group = new QButtonGroup(box);
    int id = 0;
    for (const QString& label : labels) {
        auto* radio = new QRadioButton(label, box);
        group->addButton(radio, id++);
        layout->addWidget(radio);
    }
    return box;
}

// Typing stops at what the settings file keeps whole, in bytes (see SettingsTextFits), so
// nothing typed is cut off later without a word.
class StoredBytesValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return SettingsTextFits(input.toStdString()) ? Acceptable : Invalid;
    }
};

void Check(QButtonGroup* group, int value) {
    // A value outside the choices (a hand-edited file) checks nothing.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) {
        b->setChecked(false);
    }
    group->setExclusive(true);
    if (QAbstractButton* b = group->button(value)) {
        b->setChecked(true);
    }
}

} // namespace

AddUserDialog::AddUserDialog(UserStore& users, QWidget* parent) : QDialog(parent), users_(users) {
    setWindowTitle(tr("Add user "));
    id_ = new QLineEdit(this);
    id_->setObjectName("userId");
    add_ = new QPushButton(tr("추가"), this);
    auto* cancel = new QPushButton(tr("취소"), this);
    auto* form = new QFormLayout;
    form->addRow(tr("사용자ID"), id_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(add_, &QPushButton::clicked, this, &AddUserDialog::Add);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AddUserDialog::Add() {
    // Declined, refused and failed additions keep the dialog open, with the store's
    // message already shown.
    if (users_.AddUser(id_->text().toStdString()) == UserStore::Outcome::Done) {
        accept();
    }
}

SettingsDialog::SettingsDialog(UserStore& users, Prompter& prompter, QWidget* parent)
    : QDialog(parent), users_(users), prompter_(prompter) {
    setWindowTitle(tr("Setting information"));
    QFont font(U("고딕체"));
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    setFont(font);

    user_ = new QComboBox(this);
    user_->setObjectName("currentUser");
    language_ = new QComboBox(this);
    // Each language is named in its own words, so an operator can always find theirs.
    language_->setObjectName("language");
    language_->addItem(U("한국어"));
    language_->addItem(QStringLiteral("English"));
    auto* top = new QFormLayout;
    top->addRow(tr("현재 사용자ID"), user_);

    auto* units = new QHBoxLayout;
    units->addWidget(RadioGroup(this, tr("HbA1c"), hba1cUnit_, {"%", "mmol/mol"}));
    units->addWidget(RadioGroup(this, tr("Glucose"), glucoseUnit_, {"mg/dL", "mmol/L"}));
    auto* formats = new QHBoxLayout;
    formats->addWidget(
        RadioGroup(this, tr("날짜형식"), dateFormat_, {"yyyy/MM/dd", "MM/dd/yyyy", "dd/MM/yyyy"}));
    formats->addWidget(
        RadioGroup(this, tr("시간형식"), timeFormat_, {tr("12 Hours"), tr("24 Hours")}));

    // The target ranges the charts and the patient report draw, in the stored units (percent,
    // mg/dL) whatever unit the lists show.
    auto* targets = new QGroupBox(tr("Target ranges"), this);
    auto* targetGrid = new QGridLayout(targets);
    auto limitEdit = [&](const char* name) {
        auto* edit = new QLineEdit(targets);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(8);
        edit->setAlignment(Qt::AlignRight);
        return edit;
    };
    hba1cLow_ = limitEdit("HbA1c_low");
    hba1cHigh_ = limitEdit("HbA1c_high");
    glucoseLow_ = limitEdit("Glucose_low");
    glucoseHigh_ = limitEdit("Glucose_high");
    targetGrid->addWidget(new QLabel(tr("HbA1c"), targets), 0, 0);
    targetGrid->addWidget(hba1cLow_, 0, 1);
    targetGrid->addWidget(new QLabel(QStringLiteral("~"), targets), 0, 2);
    targetGrid->addWidget(hba1cHigh_, 0, 3);
    targetGrid->addWidget(new QLabel(QStringLiteral("%"), targets), 0, 4);
    auto* glucoseLabel = new QLabel(tr("Glucose"), targets);
    glucoseLabel->setContentsMargins(16, 0, 0, 0); // apart from the HbA1c unit before it
    targetGrid->addWidget(glucoseLabel, 0, 5);
    targetGrid->addWidget(glucoseLow_, 0, 6);
    targetGrid->addWidget(new QLabel(QStringLiteral("~"), targets), 0, 7);
    targetGrid->addWidget(glucoseHigh_, 0, 8);
    targetGrid->addWidget(new QLabel(QStringLiteral("mg/dL"), targets), 0, 9);

    auto* info = new QGroupBox(tr("사용자 정보"), this);
    auto* infoForm = new QFormLayout(info);
    name_ = new QLineEdit(info);
    hospital_ = new QLineEdit(info);
    email_ = new QLineEdit(info);
    memo_ = new QLineEdit(info);
    for (QLineEdit* edit : {name_, hospital_, email_, memo_}) {
        edit->setMaxLength(static_cast<int>(kSettingsTextMaxBytes));
        edit->setValidator(new StoredBytesValidator(edit));
    }
    infoForm->addRow(tr("이름"), name_);
    infoForm->addRow(tr("병원"), hospital_);
    infoForm->addRow(tr("E-mail"), email_);
    infoForm->addRow(tr("메모"), memo_);
    infoForm->addRow(tr("Language"), language_);

    save_ = new QPushButton(tr("저장"), this);
    close_ = new QPushButton(tr("닫기"), this);
    addUser_ = new QPushButton(tr("사용자 추가"), this);
    deleteUser_ = new QPushButton(tr("사용자 삭제"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addUser_);
    buttons->addWidget(deleteUser_);
    backup_ = new QPushButton(tr("Backup..."), this);
    backup_->setObjectName("backup");
    audit_ = new QPushButton(tr("Audit log..."), this);
    audit_->setObjectName("auditLog");
    backup_->hide();
    audit_->hide();
    check_ = new QPushButton(tr("Check folder..."), this);
    check_->setObjectName("checkFolder");
    buttons->addWidget(backup_);
    buttons->addWidget(audit_);
    buttons->addWidget(check_);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(units);
    layout->addLayout(formats);
    layout->addWidget(targets);
    layout->addWidget(info);
    layout->addLayout(buttons);

    connect(save_, &QPushButton::clicked, this, &SettingsDialog::Save);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(addUser_, &QPushButton::clicked, this, &SettingsDialog::AddUser);
    connect(deleteUser_, &QPushButton::clicked, this, &SettingsDialog::DeleteUser);
    connect(backup_, &QPushButton::clicked, this, &SettingsDialog::Backup);
    connect(audit_, &QPushButton::clicked, this, &SettingsDialog::ShowAudit);
    connect(check_, &QPushButton::clicked, this, &SettingsDialog::CheckFolder);
    connect(user_, &QComboBox::currentTextChanged, this, [this](const QString& id) {
        if (filling_ || id.isEmpty() || id.toStdString() == users_.ActiveUserId()) {
            return;
        }
        if (users_.SwitchUser(id.toStdString())) {
            usersChanged_ = true;
        }
        Refresh();
    });
    Refresh();
}

void SettingsDialog::Refresh() {
    filling_ = true;
    const SettingsStore& s = users_.Settings();
    Check(hba1cUnit_, s.hba1cUnit);
    Check(glucoseUnit_, s.glucoseUnit);
    Check(dateFormat_, s.dateFormat);
    Check(timeFormat_, s.timeFormat);
    user_->clear();
    int selected = 0;
    for (const auto& id : users_.UserList()) {
        user_->addItem(QString::fromStdString(id));
        if (id == users_.ActiveUserId()) {
            selected = user_->count() - 1;
        }
    }
    user_->setCurrentIndex(user_->count() > 0 ? selected : -1);
    language_->setCurrentIndex(LanguageFromSetting(s.language) == Language::English ? 1 : 0);
    name_->setText(QString::fromStdString(s.name));
    email_->setText(QString::fromStdString(s.email));
    hospital_->setText(QString::fromStdString(s.hospital));
    memo_->setText(QString::fromStdString(s.command));
    hba1cLow_->setText(QString::number(s.hba1cLow, 'f', 1));
    hba1cHigh_->setText(QString::number(s.hba1cHigh, 'f', 1));
    glucoseLow_->setText(QString::number(s.glucoseLow, 'f', 1));
    glucoseHigh_->setText(QString::number(s.glucoseHigh, 'f', 1));
    filling_ = false;
}

void SettingsDialog::Save() {
    // Text put in by other means than typing (a paste is validated, a program's setText is
    // not) is refused whole rather than stored shortened.
    const std::pair<QString, QLineEdit*> texts[] = {
        {tr("이름"), name_}, {tr("병원"), hospital_}, {tr("E-mail"), email_}, {tr("메모"), memo_}};
    for (const auto& [label, edit] : texts) {
        if (!SettingsTextFits(edit->text().toStdString())) {
            prompter_.Inform(
                Message::Verbatim(
                    tr("%1: too long. At most %2 bytes are kept (a Hangul syllable takes 2).")
                        .arg(label)
                        .arg(kSettingsTextMaxBytes)
                        .toStdString()),
                MessageId::CaptionProgram, Prompter::Severity::Warning);
            edit->setFocus();
            return;
        }
    }
    // The limits go through the same checks as the command line's, on a copy: nothing is
    // kept until all four are sound.
    SettingsStore limits = users_.Settings();
    for (QLineEdit* edit : {hba1cLow_, hba1cHigh_, glucoseLow_, glucoseHigh_}) {
        if (Status applied = ApplySettingsEntry(limits, edit->objectName().toStdString(),
                                                edit->text().trimmed().toStdString());
            !applied) {
            prompter_.Inform(applied.error(), MessageId::CaptionProgram,
                             Prompter::Severity::Warning);
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    if (Status checked = CheckTargetRanges(limits); !checked) {
        const Message& problem = checked.error();
        prompter_.Inform(problem, MessageId::CaptionProgram, Prompter::Severity::Warning);
        for (QLineEdit* edit : {hba1cLow_, hba1cHigh_, glucoseLow_, glucoseHigh_}) {
            if (!problem.args.empty() && edit->objectName().toStdString() == problem.args[0]) {
                edit->setFocus();
                edit->selectAll();
            }
        }
        return;
    }
    SettingsStore& s = users_.Settings();
    s.hba1cLow = limits.hba1cLow;
    s.hba1cHigh = limits.hba1cHigh;
    s.glucoseLow = limits.glucoseLow;
    s.glucoseHigh = limits.glucoseHigh;
    s.hba1cUnit = hba1cUnit_->checkedId() == 0 ? 0 : 1;
    s.glucoseUnit = glucoseUnit_->checkedId() == 0 ? 0 : 1;
    s.dateFormat = dateFormat_->checkedId() == 0 ? 0 : dateFormat_->checkedId() == 1 ? 1 : 2;
    s.timeFormat = timeFormat_->checkedId() == 0 ? 0 : 1;
    s.name = name_->text().toStdString();
    s.email = email_->text().toStdString();
    s.hospital = hospital_->text().toStdString();
    s.command = memo_->text().toStdString();
    s.language = language_->currentIndex() == 1 ? 1 : 0;
    if (Status saved = users_.SaveSettings(); !saved) {
        // The audit log's refusal says itself that nothing was changed; a file that could not
        // be written is named with the system's reason under the dialog's own sentence.
        prompter_.Inform(
            saved.error().id == MessageId::AuditNotWritable
                ? saved.error()
                : Message::Verbatim(tr("The settings could not be saved.\r\n%1")
                                        .arg(QString::fromStdString(MessageUtf8(saved.error())))
                                        .toStdString()),
            MessageId::CaptionProgram, Prompter::Severity::Error);
        Refresh();
        return;
    }
    accept();
}

void SettingsDialog::AddUser() {
    AddUserDialog dialog(users_, this);
    if (dialog.exec() == QDialog::Accepted) {
        usersChanged_ = true;
    }
    Refresh();
}

void SettingsDialog::DeleteUser() {
    if (users_.DeleteCurrentUser() == UserStore::Outcome::Done) {
        usersChanged_ = true;
    }
    Refresh();
}

void SettingsDialog::SetFileService(FileService* files) {
    files_ = files;
    backup_->setVisible(files_ != nullptr);
    audit_->setVisible(files_ != nullptr);
}

void SettingsDialog::Backup() {
    if (files_ == nullptr) {
        return;
    }
    QString path = files_->AskBackupPath(this);
    if (path.isEmpty()) {
        return;
    }
    std::vector<BackupMember> members;
    AuditEntry entry;
    entry.operatorId = users_.ActiveUserId();
    entry.action = audit_action::kBackup;
    if (const Status written =
            WriteBackup(users_.DataFolder(), path.toStdString(), kProgramVersion, &members, &entry);
        !written) {
        prompter_.Inform(Message::Verbatim(tr("The backup could not be written:\r\n%1")
                                               .arg(MessageText(written.error()))
                                               .toStdString()),
                         MessageId::CaptionProgram, Prompter::Severity::Error);
        return;
    }
    prompter_.Inform(Message::Verbatim(tr("The backup was written:\r\n%1").arg(path).toStdString()),
                     MessageId::CaptionProgram, Prompter::Severity::Information);
}

void SettingsDialog::CheckFolder() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<FolderFinding> findings = CheckDataFolder(users_.DataFolder());
    QApplication::restoreOverrideCursor();
    // Problems first: the lines an operator has to act on should not hide among the fine ones.
    std::string report;
    for (const bool problems : {true, false}) {
        for (const FolderFinding& finding : findings) {
            if ((finding.kind != FolderFinding::Kind::Fine) == problems) {
                report += MessageUtf8(finding.message) + "\n";
            }
        }
    }
    prompter_.Inform(Message::Verbatim(report), MessageId::CaptionProgram,
                     FoundProblems(findings) ? Prompter::Severity::Warning
                                             : Prompter::Severity::Information);
}

void SettingsDialog::ShowAudit() {
    AuditDialog dialog(users_.DataFolder(), this);
    dialog.exec();
}

} // namespace qa
