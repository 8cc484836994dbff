#pragma once

#include "store/prompter.h"
#include "store/record_edit.h"
#include "store/result_list.h"
#include "store/settings.h"

#include <QDialog>

class QComboBox;
class QHBoxLayout;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qa::views {

// One stored HbA1c result in full. Controls are named "edit1125" (date and time),
// "edit1127" (operator ID), "edit1126" (result), "edit1123" (patient name), "edit1124"
// (patient ID), "combo1116" (type), "date1144" (birthday), "edit1001" (remark),
// "button2" (close or cancel) and, in the modify dialog, "button1120" (change).
class RecordDialog : public QDialog {
    Q_OBJECT
public:
    QLineEdit* DateTimeEdit() const { return dateTime_; }
    QLineEdit* OperatorIdEdit() const { return operatorId_; }
    QLineEdit* ResultEdit() const { return result_; }
    QLineEdit* PatientNameEdit() const { return patientName_; }
    QLineEdit* PatientIdEdit() const { return patientId_; }
    QComboBox* TypeList() const { return type_; }
    QDateEdit* BirthdayPicker() const { return birthday_; }
    QPlainTextEdit* MemoEdit() const { return memo_; }
    QPushButton* CloseButton() const { return close_; }

protected:
    RecordDialog(bool modify, const ListRow& record, const SettingsStore& settings,
                 QWidget* parent);

    QLineEdit* dateTime_;
    QLineEdit* operatorId_;
    QLineEdit* result_;
    QLineEdit* patientName_;
    QLineEdit* patientId_;
    QComboBox* type_;
    QDateEdit* birthday_;
    QPlainTextEdit* memo_;
    QPushButton* close_;
    QHBoxLayout* buttons_;
};

// "Data View": everything read-only.
class RecordViewDialog : public RecordDialog {
    Q_OBJECT
public:
    RecordViewDialog(const ListRow& record, const SettingsStore& settings,
                     QWidget* parent = nullptr);
};

// "Data Modify": the patient details editable; Change asks, checks the byte limits and ends
// the dialog with the confirmed details in Edit(), which the caller writes with
// ModifyRecord.
class RecordModifyDialog : public RecordDialog {
    Q_OBJECT
public:
    RecordModifyDialog(const ListRow& record, const SettingsStore& settings, Prompter& prompter,
                       QWidget* parent = nullptr);

    QPushButton* ChangeButton() const { return change_; }
    const RecordEdit& Edit() const { return edit_; }

    void ConfirmChange();

private:
    Prompter& prompter_;
    int rowNumber_;
    QPushButton* change_;
    RecordEdit edit_;
};

} // namespace qa::views
