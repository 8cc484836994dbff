#include "views/record_dialogs.h"

#include "store/text_encoding.h"

#include "store/display_format.h"
#include "widgets/program_palette.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qa::views {

namespace {

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// Windows multi-line edits hold "\r\n"; stored memos keep that form, so the byte limit
// counts a line break as the two bytes it is in the file.
QString MemoForDisplay(const std::string& stored) {
    return Utf8(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string MemoForStore(const QString& shown) {
    QString text = shown;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

QLineEdit* CentredEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

} // namespace

RecordDialog::RecordDialog(bool modify, const ListRow& record, const SettingsStore& settings,
                           QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(modify ? tr("Data Modify") : tr("Data View"));
    setModal(true);
    ApplyProgramPalette(this);

    dateTime_ = CentredEdit("edit1125", this);
    operatorId_ = CentredEdit("edit1127", this);
    result_ = CentredEdit("edit1126", this);
    patientName_ = CentredEdit("edit1123", this);
    patientId_ = CentredEdit("edit1124", this);
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("combo1116"));
    type_->setEditable(true);
    type_->setInsertPolicy(QComboBox::NoInsert);
    birthday_ = new QDateEdit(this);
    birthday_->setObjectName(QStringLiteral("date1144"));
    birthday_->setCalendarPopup(true);
    birthday_->setMinimumDate(QDate(100, 1, 1));
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("edit1001"));
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setMinimumHeight(90);
    close_ = new QPushButton(modify ? tr("&Cancel") : tr("&Close"), this);
    close_->setObjectName(QStringLiteral("button2"));
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    for (QLineEdit* edit : {dateTime_, operatorId_, result_}) {
        edit->setReadOnly(true);
    }
    patientName_->setReadOnly(!modify);
    patientId_->setReadOnly(!modify);
    memo_->setReadOnly(!modify);
    // Read-only fields on the dialog's own colour, so the operator sees at a glance what can
    // be changed.
    for (QLineEdit* edit : {dateTime_, operatorId_, result_, patientName_, patientId_}) {
        if (edit->isReadOnly()) {
            QPalette palette = edit->palette();
            palette.setBrush(QPalette::Base, palette.brush(QPalette::Window));
            edit->setPalette(palette);
        }
    }

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    const std::pair<const char*, QWidget*> rows[] = {
        {QT_TR_NOOP("Date / Time:"), dateTime_}, {QT_TR_NOOP("OPID :"), operatorId_},
        {QT_TR_NOOP("Result :"), result_},       {QT_TR_NOOP("Patient Name :"), patientName_},
        {QT_TR_NOOP("PID :"), patientId_},       {QT_TR_NOOP("Type :"), type_},
        {QT_TR_NOOP("Birthday :"), birthday_},   {QT_TR_NOOP("Remark :"), memo_},
    };
    int line = 0;
    for (const auto& [label, field] : rows) {
        auto* text = new QLabel(tr(label), this);
        text->setBuddy(field);
        text->setAlignment(field == memo_ ? Qt::AlignRight | Qt::AlignTop
                                          : Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(text, line, 0);
        grid->addWidget(field, line, 1);
        ++line;
    }
    grid->setColumnStretch(1, 1);
    buttons_ = new QHBoxLayout;
    buttons_->addStretch(1);
    buttons_->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(buttons_);
    setMinimumWidth(380);

    // Filling.
    dateTime_->setText(Utf8(FormatRecordDateTimeText(settings, record.date, record.time)));
    result_->setText(Utf8(FormatHbA1cText(settings, record.value, false)));
    // The IDs are kept as stored (a change is found by them); a text the Windows program
    // stored in code page 949 is shown, and saved back, as the same characters.
    operatorId_->setText(Utf8(DecodeStoredText(record.operatorId)));
    patientName_->setText(Utf8(record.patientName));
    memo_->setPlainText(MemoForDisplay(record.memo));
    patientId_->setText(
        modify && IsBlank(record.patientId) ? QString() : Utf8(DecodeStoredText(record.patientId)));
    // The diagnosis texts in index order: the stored value is the index.
    static const char* const kDiagnosisNames[kDiagnosisCount] = {
        QT_TR_NOOP("None"), QT_TR_NOOP("Type  I"), QT_TR_NOOP("Type II"), QT_TR_NOOP("Gestational"),
        QT_TR_NOOP("Normal")};
    for (const char* name : kDiagnosisNames) {
        type_->addItem(tr(name));
    }
    // Every entry of the list can be shown again, "Normal" included: a record saved with it
    // must not come back without a type and lose it on the next change.
    type_->setCurrentIndex(
        record.diagnosis >= 0 && record.diagnosis < kDiagnosisCount ? record.diagnosis : -1);
    const std::string pattern = DatePickerQtFormat(settings.dateFormat);
    birthday_->setDisplayFormat(Utf8(pattern.empty() ? DatePickerQtFormat(0) : pattern));
    const BirthDate birth = ParseStoredBirthday(record.birthday).value_or(BirthDate{});
    birthday_->setDate(QDate(birth.year, birth.month, birth.day));

    if (!modify) {
        type_->setEnabled(false);
        birthday_->setEnabled(false);
    }
}

RecordViewDialog::RecordViewDialog(const ListRow& record, const SettingsStore& settings,
                                   QWidget* parent)
    : RecordDialog(false, record, settings, parent) {
    close_->setDefault(true);
}

RecordModifyDialog::RecordModifyDialog(const ListRow& record, const SettingsStore& settings,
                                       Prompter& prompter, QWidget* parent)
    : RecordDialog(true, record, settings, parent), prompter_(prompter),
      rowNumber_(record.rowIndex + 1) {
    change_ = new QPushButton(tr("&Change"), this);
    change_->setObjectName(QStringLiteral("button1120"));
    change_->setDefault(true);
    buttons_->insertWidget(1, change_);
    connect(change_, &QPushButton::clicked, this, &RecordModifyDialog::ConfirmChange);
}

void RecordModifyDialog::ConfirmChange() {
    RecordEdit edit;
    edit.rowNumber = rowNumber_;
    const QDate birthday = birthday_->date();
    edit.birthday = BirthDate{birthday.year(), birthday.month(), birthday.day()};
    edit.patientName = patientName_->text().toStdString();
    edit.patientId = patientId_->text().toStdString();
    edit.memo = MemoForStore(memo_->toPlainText());
    // The list's edit field may hold typed text: only an entry of the list is a type.
    const QString typed = type_->currentText();
    edit.diagnosis = typed.isEmpty() ? -1 : type_->findText(typed, Qt::MatchExactly);
    // Checked before the question: a yes must not lead to a refusal.
    if (std::optional<MessageId> refusal = RecordEditLimitMessage(edit)) {
        prompter_.Inform(*refusal, MessageId::CaptionProgram, Prompter::Severity::Warning);
        return;
    }
    if (!prompter_.Confirm(Message::Verbatim(tr("데이터 변경하시겠습니까?").toStdString()),
                           MessageId::CaptionProgram)) {
        return;
    }
    edit_ = std::move(edit);
    accept();
}

} // namespace qa::views
