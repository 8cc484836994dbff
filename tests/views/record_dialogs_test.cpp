#include "scripted_prompter.h"
#include "views/record_dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace qa;
using namespace qa::views;

namespace {

ListRow ImportedRow() {
    ListRow row;
    row.rowIndex = 4;
    row.date = "20160620";
    row.time = "1430";
    row.value = "0650";
    row.patientId = "   ";
    row.operatorId = "OP7";
    return row; // no name, birthday, memo: as the import stores it
}

std::string Hangul(int syllables) {
    std::string text;
    for (int i = 0; i < syllables; ++i) {
        text += "한";
    }
    return text;
}

} // namespace

TEST(RecordDialogs, ImportedRecordWithoutPatientData) {
    SettingsStore settings;
    test::ScriptedPrompter prompter;
    RecordModifyDialog modify(ImportedRow(), settings, prompter);
    EXPECT_EQ(modify.windowTitle(), QStringLiteral("Data Modify"));
    EXPECT_EQ(modify.DateTimeEdit()->text(), QStringLiteral("2016-06-20 02:30 PM"));
    EXPECT_EQ(modify.ResultEdit()->text(), QStringLiteral("6.5 %"));
    EXPECT_EQ(modify.OperatorIdEdit()->text(), QStringLiteral("OP7"));
    EXPECT_TRUE(modify.PatientNameEdit()->text().isEmpty());
    EXPECT_TRUE(modify.PatientIdEdit()->text().isEmpty()) << "blanks show as empty";
    EXPECT_EQ(modify.TypeList()->currentText(), QStringLiteral("None"));
    EXPECT_EQ(modify.BirthdayPicker()->date(), QDate(1900, 1, 1));
    EXPECT_TRUE(modify.DateTimeEdit()->isReadOnly());
    EXPECT_FALSE(modify.PatientNameEdit()->isReadOnly());
    EXPECT_TRUE(modify.TypeList()->isEnabled());
    EXPECT_EQ(modify.CloseButton()->text(), QStringLiteral("&Cancel"));
    ASSERT_NE(modify.findChild<QPushButton*>("button1120"), nullptr);

    RecordViewDialog view(ImportedRow(), settings);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Data View"));
    EXPECT_EQ(view.PatientIdEdit()->text(), QStringLiteral("   ")) << "shown as stored";
    EXPECT_TRUE(view.PatientNameEdit()->isReadOnly());
    EXPECT_TRUE(view.MemoEdit()->isReadOnly());
    EXPECT_FALSE(view.TypeList()->isEnabled());
    EXPECT_FALSE(view.BirthdayPicker()->isEnabled());
    EXPECT_EQ(view.CloseButton()->text(), QStringLiteral("&Close"));
    EXPECT_EQ(view.findChild<QPushButton*>("button1120"), nullptr);
}

TEST(RecordDialogs, FollowTheUserSettings) {
    SettingsStore settings;
    settings.dateFormat = 1;
    settings.timeFormat = 1;
    settings.hba1cUnit = 1;
    ListRow row = ImportedRow();
    row.birthday = "19750314";
    row.diagnosis = 2;
    RecordViewDialog view(row, settings);
    EXPECT_EQ(view.DateTimeEdit()->text(), QStringLiteral("06-20-2016 14:30"));
    // The same text as the list's for the same result, not one decimal more.
    EXPECT_EQ(view.ResultEdit()->text(), QStringLiteral("48 mmol/mol"));
    EXPECT_EQ(view.BirthdayPicker()->displayFormat(), QStringLiteral("MM/dd/yyyy"));
    EXPECT_EQ(view.BirthdayPicker()->date(), QDate(1975, 3, 14));
    EXPECT_EQ(view.TypeList()->currentText(), QStringLiteral("Type II"));

    settings.dateFormat = 9; // out of range: no date text, a readable picker all the same
    RecordViewDialog odd(row, settings);
    EXPECT_EQ(odd.BirthdayPicker()->displayFormat(), QStringLiteral("yyyy-MM-dd"));
}

TEST(RecordDialogs, TypeListShowsEveryEntryAndNothingElse) {
    SettingsStore settings;
    ListRow row = ImportedRow();
    row.diagnosis = 4;
    RecordViewDialog normal(row, settings);
    EXPECT_EQ(normal.TypeList()->currentText(), QStringLiteral("Normal"))
        << "a saved Normal must not come back empty";
    ASSERT_EQ(normal.TypeList()->count(), 5);
    EXPECT_EQ(normal.TypeList()->itemText(1), QStringLiteral("Type  I"));
    row.diagnosis = 5;
    RecordViewDialog stray(row, settings);
    EXPECT_EQ(stray.TypeList()->currentIndex(), -1);
}

TEST(RecordDialogs, UntouchedChangeWritesTheRecordsOwnValues) {
    SettingsStore settings;
    test::ScriptedPrompter prompter;
    ListRow row = ImportedRow();
    row.patientId = "1234";
    row.patientName = "홍길동";
    row.birthday = "19800229";
    row.diagnosis = 1;
    row.memo = "line one\r\nline two";
    RecordModifyDialog dialog(row, settings, prompter);
    EXPECT_EQ(dialog.MemoEdit()->toPlainText(), QStringLiteral("line one\nline two"));
    dialog.ChangeButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "데이터 변경하시겠습니까?");
    EXPECT_EQ(prompter.shown[0].caption, "QuorinA1c");
    const RecordEdit& edit = dialog.Edit();
    EXPECT_EQ(edit.rowNumber, 5);
    EXPECT_EQ(edit.patientId, "1234");
    EXPECT_EQ(edit.patientName, "홍길동");
    EXPECT_EQ(edit.birthday, (BirthDate{1980, 2, 29}));
    EXPECT_EQ(edit.diagnosis, 1);
    EXPECT_EQ(edit.memo, "line one\r\nline two");
}

TEST(RecordDialogs, CancelledQuestionChangesNothing) {
    SettingsStore settings;
    test::ScriptedPrompter prompter;
    prompter.answers = {false};
    RecordModifyDialog dialog(ImportedRow(), settings, prompter);
    dialog.PatientNameEdit()->setText("Kim");
    dialog.ConfirmChange();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.Edit().patientName.empty());
    EXPECT_EQ(dialog.PatientNameEdit()->text(), QStringLiteral("Kim"));
}

TEST(RecordDialogs, ByteLimitsCountCodePage949) {
    SettingsStore settings;
    struct Case {
        std::string name, pid, memo;
        bool accepted;
        const char* message;
    };
    const Case cases[] = {
        {std::string(15, 'n'), "", "", true, nullptr},
        {std::string(16, 'n'), "", "", false,
         "환자 이름 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)"},
        {Hangul(7), "", "", true, nullptr},
        {Hangul(8), "", "", false,
         "환자 이름 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)"},
        {Hangul(7) + "x", "", "", true, nullptr},
        {Hangul(7) + "xy", "", "", false,
         "환자 이름 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)"},
        {"", std::string(15, '1'), "", true, nullptr},
        {"", std::string(16, '1'), "", false,
         "환자ID 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)"},
        {"", "", std::string(99, 'm'), true, nullptr},
        {"", "", std::string(100, 'm'), false,
         "입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 100)"},
        {"", "", Hangul(49) + "m", true, nullptr},
        {"", "", Hangul(50), false, "입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 100)"},
        // A line break is the two bytes it takes in the file.
        {"", "", std::string(49, 'm') + "\n" + std::string(48, 'm'), true, nullptr},
        {"", "", std::string(49, 'm') + "\n" + std::string(49, 'm'), false,
         "입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 100)"},
        {std::string(16, 'n'), "", std::string(100, 'm'), false,
         "환자 이름 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)"},
    };
    for (const Case& c : cases) {
        test::ScriptedPrompter prompter;
        RecordModifyDialog dialog(ImportedRow(), settings, prompter);
        dialog.PatientNameEdit()->setText(QString::fromStdString(c.name));
        dialog.PatientIdEdit()->setText(QString::fromStdString(c.pid));
        dialog.MemoEdit()->setPlainText(QString::fromStdString(c.memo));
        dialog.ConfirmChange();
        SCOPED_TRACE(c.name + "|" + c.pid + "|" + c.memo);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
        if (c.message != nullptr) {
            // Refused before the question is asked: the field named, nothing to say yes to.
            ASSERT_EQ(prompter.shown.size(), 1u);
            EXPECT_EQ(prompter.shown[0].text, c.message);
            EXPECT_EQ(dialog.PatientNameEdit()->text().toStdString(), c.name)
                << "the operator's input stays";
        }
    }
}

TEST(RecordDialogs, PatientIdTakesWhatTheMeterStoresAndTypeNeedsAListEntry) {
    SettingsStore settings;
    test::ScriptedPrompter prompter;
    ListRow row = ImportedRow();
    row.patientId = "AB12";
    RecordModifyDialog dialog(row, settings, prompter);
    EXPECT_EQ(dialog.PatientIdEdit()->text(), QStringLiteral("AB12"));
    dialog.PatientIdEdit()->clear();
    // Meter IDs are alphanumeric: typed letters stay.
    QTest::keyClicks(dialog.PatientIdEdit(), "PAT-12a 4");
    EXPECT_EQ(dialog.PatientIdEdit()->text(), QStringLiteral("PAT-12a 4"));

    dialog.TypeList()->setEditText("Type 3");
    dialog.ConfirmChange();
    EXPECT_EQ(dialog.Edit().diagnosis, -1);
    EXPECT_EQ(dialog.Edit().patientId, "PAT-12a 4");
}
