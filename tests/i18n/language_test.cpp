#include "app/operator_language.h"
#include "device/importer.h"
#include "frame/main_window.h"
#include "i18n/audit_text.h"
#include "i18n/export_language.h"
#include "i18n/language.h"
#include "i18n/message_catalogue.h"
#include "i18n/message_text.h"
#include "print/print_job.h"
#include "print_test_support.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/audit_log.h"
#include "store/record_edit.h"
#include "store/removed_results.h"
#include "store/result_delete.h"
#include "store/result_list.h"
#include "store/settings.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/all_data_page.h"
#include "views/audit_dialog.h"
#include "views/pages.h"
#include "views/patient_page.h"
#include "views/record_dialogs.h"
#include "views/settings_dialog.h"
#include "widgets/image_button.h"
#include "widgets/text_progress_ctrl.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <fstream>
#include <iterator>

// At global scope: the macro declares the initialiser of the generated resource code.
static void InitResources() {
#ifdef QA_HAVE_RESOURCES
    Q_INIT_RESOURCE(resources);
#endif
}

using namespace qa;
using namespace qa::test;

namespace {

bool HasHangul(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x1100 && u <= 0x11FF) || (u >= 0x3130 && u <= 0x318F) ||
            (u >= 0xAC00 && u <= 0xD7A3)) {
            return true;
        }
    }
    return false;
}

// What a date picker's calendar shows: the month, the month menu and the weekday names.
QStringList CalendarTexts(QCalendarWidget* calendar) {
    QStringList texts;
    if (auto* month = calendar->findChild<QToolButton*>("qt_calendar_monthbutton")) {
        texts << month->text();
        if (QMenu* menu = month->menu()) {
            for (QAction* action : menu->actions()) {
                texts << action->text();
            }
        }
    }
    if (auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview")) {
        for (int c = 0; c < view->model()->columnCount(); ++c) {
            texts << view->model()->data(view->model()->index(0, c)).toString();
        }
    }
    return texts;
}

// Every text the operator can read on `root` and its visible children: titles, tool tips,
// labels, buttons, group titles, list items, placeholders, list headings and date pickers
// with their calendars.
QStringList VisibleTexts(QWidget* root) {
    QStringList texts;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (w != root && !w->isVisibleTo(root)) {
            continue;
        }
        if (auto* calendar = qobject_cast<QCalendarWidget*>(w)) {
            texts << CalendarTexts(calendar);
        }
        texts << w->windowTitle() << w->toolTip();
        if (auto* tip = qobject_cast<ToolTipButton*>(w)) {
            texts << tip->ToolTipText();
        }
        if (auto* label = qobject_cast<QLabel*>(w)) {
            texts << label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            texts << button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            texts << group->title();
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            texts << edit->placeholderText();
        } else if (auto* progress = qobject_cast<TextProgressCtrl*>(w)) {
            texts << progress->GetWindowText();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            // The language list names each language in its own words.
            if (w->objectName() == "language") {
                texts << combo->currentText();
            } else {
                for (int i = 0; i < combo->count(); ++i) {
                    texts << combo->itemText(i);
                }
            }
        } else if (auto* header = qobject_cast<QHeaderView*>(w)) {
            if (QAbstractItemModel* model = header->model()) {
                for (int c = 0; c < model->columnCount(); ++c) {
                    texts << model->headerData(c, Qt::Horizontal).toString();
                }
            }
        } else if (auto* date = qobject_cast<QDateEdit*>(w)) {
            texts << date->text();
            if (date->calendarPopup()) {
                texts << CalendarTexts(date->calendarWidget());
            }
        } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
            for (int r = 0; r < table->rowCount(); ++r) {
                for (int c = 0; c < table->columnCount(); ++c) {
                    if (const QTableWidgetItem* item = table->item(r, c)) {
                        texts << item->text();
                    }
                }
            }
        }
    }
    texts.removeAll(QString());
    return texts;
}

QStringList HangulTexts(QWidget* root) {
    QStringList found;
    for (const QString& text : VisibleTexts(root)) {
        if (HasHangul(text)) {
            found << text;
        }
    }
    return found;
}

// Words of Latin letters a Korean screen or page may show: product and standard names,
// units (AM and PM of the 12-hour clock, as every result time shows them; the letters of a
// date format's notation), and the names on the keys of the keyboard.
const QStringList kLatinAllowed = {
    "QuorinA1c", "HbA1c", "A1c", "mmol", "mol",  "mg", "dL", "eAG",  "ID",    "CSV",    "PDF",
    "HL",        "FHIR",  "AM",  "PM",   "yyyy", "MM", "dd", "Ctrl", "Enter", "Delete", "F5",
};
// Names of the program's editions, kept as they are in every language.
const QStringList kProductNames = {"All for One"};

// The Latin words of `texts` outside the allowed ones, after taking out `data` (paths, IDs,
// names and numbers that are the operator's own, not the program's words).
QStringList EnglishWords(const QStringList& texts, const QStringList& data = {}) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]([A-Za-z0-9]*[A-Za-z])?"));
    static const QRegularExpression version(QStringLiteral("\\bv\\d+(\\.\\d+)*"));
    QStringList found;
    for (QString text : texts) {
        const QString shown = text;
        static const QRegularExpression number(QStringLiteral("^[0-9.]*$"));
        for (const QString& d : data) {
            // Numbers hold no word, and taken out they would split one ("HbA1c").
            if (!number.match(d).hasMatch()) {
                text.remove(d);
            }
        }
        text.remove(version);
        for (const QString& name : kProductNames) {
            text.remove(name);
        }
        for (auto it = word.globalMatch(text); it.hasNext();) {
            const QString w = it.next().captured();
            if (w.size() >= 2 && !kLatinAllowed.contains(w)) {
                found << w + " in \"" + shown + "\"";
            }
        }
    }
    return found;
}

QStringList HangulIn(const QStringList& texts) {
    QStringList found;
    for (const QString& text : texts) {
        if (HasHangul(text)) {
            found << text;
        }
    }
    return found;
}

// Named by the scale too: the suite runs again on a screen of 150 %.
void Render(QWidget* widget, const QString& name) {
    QDir().mkpath(QA_RENDER_DIR);
    const int percent = qRound(qApp->devicePixelRatio() * 100);
    widget->grab().save(QStringLiteral("%1/%2_%3.png").arg(QA_RENDER_DIR, name).arg(percent));
}

// The generated pictures (":/images", the plain files) by name, to tell which one a drawn
// button or page shows from its pixels.
class Pictures {
public:
    Pictures() {
        const QDir dir(":/images");
        for (const QString& name : dir.entryList({"*.png"}, QDir::Files)) {
            if (!name.contains('@')) {
                images_.insert(name, QImage(dir.filePath(name)).convertToFormat(kFormat));
            }
        }
    }
    // The strip whose state `face` is, or the page picture whose header band (the product
    // name's half) `page` shows; empty when none.
    QString StripOf(const QImage& face) const {
        const QImage shown = face.convertToFormat(kFormat);
        for (auto it = images_.begin(); it != images_.end(); ++it) {
            const QImage& strip = it.value();
            if (strip.height() != shown.height() || strip.width() != 4 * shown.width()) {
                continue;
            }
            for (int state = 0; state < 4; ++state) {
                if (strip.copy(state * shown.width(), 0, shown.width(), shown.height()) == shown) {
                    return it.key();
                }
            }
        }
        return {};
    }
    // (The two page pictures share their band: either name may come back.)
    QString PageOf(const QImage& page) const {
        const QRect band(0, 0, 460, 128);
        const QImage shown = page.convertToFormat(kFormat).copy(band);
        for (auto it = images_.begin(); it != images_.end(); ++it) {
            if (it.value().width() == 1014 && it.value().copy(band) == shown) {
                return it.key();
            }
        }
        return {};
    }
    // Whether the picture `name` is for `language`: its English file in English when it has
    // one, the plain file in Korean.
    bool IsFor(const QString& name, Language language) const {
        const bool english = name.contains("_en.");
        if (language == Language::Korean) {
            return !english;
        }
        return english || !images_.contains(QString(name).replace(".png", "_en.png"));
    }

private:
    static constexpr QImage::Format kFormat = QImage::Format_RGB32;
    QMap<QString, QImage> images_;
};

// The pictures every drawn button and page of the window shows, as "page: file"; a picture
// that is none of the generated files shows as "page: ?".
QStringList PicturesInUse(MainWindow& frame) {
    static const Pictures pictures;
    QStringList found;
    // Each page as the operator sees it: laid out at the window's size.
    auto* stack = frame.findChild<QStackedWidget*>();
    const int shown = stack->currentIndex();
    for (int view = 0; view < stack->count(); ++view) {
        stack->setCurrentIndex(view);
        QApplication::processEvents();
        auto* page = qobject_cast<FormPage*>(stack->widget(view));
        if (page == nullptr) {
            continue;
        }
        const QString name = page->metaObject()->className();
        const QString background = pictures.PageOf(page->grab().toImage());
        found << name + ": " + (background.isEmpty() ? "?" : background);
        for (ImageButton* button : page->findChildren<ImageButton*>()) {
            if (button->isVisibleTo(page)) {
                const QString strip = pictures.StripOf(button->grab().toImage());
                found << name + ": " + (strip.isEmpty() ? "?" : strip);
            }
        }
    }
    stack->setCurrentIndex(shown);
    QApplication::processEvents();
    return found;
}

// Every picture in use is the language's own; the count of pictures looked at.
int ExpectPicturesFor(MainWindow& frame, Language language) {
    static const Pictures pictures;
    const QStringList inUse = PicturesInUse(frame);
    for (const QString& entry : inUse) {
        const QString file = entry.section(": ", 1);
        EXPECT_TRUE(file != "?" && pictures.IsFor(file, language)) << entry.toStdString();
    }
    return static_cast<int>(inUse.size());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class NoFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override { return savePath; }
    bool OpenFile(const QString&) override { return true; }
    QString savePath;
};

class SilentHost : public ImportHost {
public:
    void SetProgressText(const Message&) override {}
};

class LanguageTest : public ::testing::Test {
protected:
    TempDir data;
    TempDir sysfs;
    ScriptedPrompter prompter;
    UserStore users{data.Path(), prompter};
    NoFiles files;
    std::unique_ptr<MainWindow> frame;

    void Start(int lang) {
        InitResources();
        ASSERT_TRUE(users.Reload());
        users.Settings().language = lang;
        ASSERT_TRUE(users.SaveSettings());
        MainWindow::Services services{users, prompter, files, nullptr, sysfs.Path(), ""};
        frame = std::make_unique<MainWindow>(services);
        frame->show();
        frame->LateStartup();
        QApplication::processEvents();
    }
    void TearDown() override {
        if (frame) {
            frame->close();
        }
        ApplyLanguage(Language::Korean);
        QApplication::processEvents();
    }
    // Prints the list and a patient report of one stored result to PDF files (each print
    // audited) and returns the text of every printed page.
    QStringList PrintedPages(const TempDir& out) {
        HbA1cTable& table = users.HbA1cMain();
        EXPECT_TRUE(table.AddNew());
        table.date = QDate::currentDate().toString("yyyyMMdd").toStdString();
        table.time = "0930";
        table.value = "0710";
        table.pid = "P-1";
        table.opid = "Basis";
        table.eqType = "1";
        EXPECT_TRUE(table.Update());
        const QString listPdf = QString::fromStdString(out.File("list.pdf"));
        const QString patientPdf = QString::fromStdString(out.File("patient.pdf"));
        ScriptedPrintDialog listDialog(listPdf);
        AllDataPage list(users, prompter, files, &listDialog, [](FrameCommand) {});
        list.Activate();
        EXPECT_EQ(list.PrintList(), kPrintSpooled);
        ScriptedPrintDialog patientDialog(patientPdf);
        PatientPage patient(users, prompter, &patientDialog, "P-1");
        EXPECT_EQ(patient.PrintReport(), kPrintSpooled);
        QStringList pages = PdfPageTexts(listPdf) + PdfPageTexts(patientPdf);
        EXPECT_GE(pages.size(), 2);
        // The first page of the patient report as a picture, to be looked at.
        QDir().mkpath(QA_RENDER_DIR);
        QProcess::execute(
            "pdftoppm",
            {"-r", "100", "-png", "-singlefile", "-f", "1", "-l", "1", patientPdf,
             QStringLiteral("%1/patient_report_%2")
                 .arg(QA_RENDER_DIR, CurrentLanguage() == Language::English ? "en" : "ko")});
        return pages;
    }
    // One entry of each change to stored results, made by the code that makes it: two
    // downloads (the second skips what was deleted and corrected since), an edit, a
    // deletion and a put-back; and a release to the laboratory as its delivery writes it.
    // The name, memo and note are what the operator typed: data, in any language.
    void LogResultChanges(const std::string& name = "홍길동", const std::string& memo = "메모",
                          const std::string& note = "확인 후 되돌림") {
        const std::string payload = "2601050930065"
                                    "10000000000001\r\n"
                                    "2601051015071"
                                    "10000000000002\r\n";
        const Transfer transfer{payload, 2, 29, false, ResultKind::HbA1c, true, ""};
        SilentHost host;
        const ImportServices services{users.DataFolder(), host, "/dev/ttyUSB0"};
        HbA1cTable& table = users.HbA1cMain();
        ASSERT_TRUE(ImportHbA1cResults(transfer, table, users.HbA1cDownload(), services).ok());
        std::vector<ListRow> rows;
        table.filter.Clear();
        table.sort = "ROWID";
        ASSERT_TRUE(table.ForEachRow([&] {
            ReadListValues(table, static_cast<int>(rows.size()), rows.emplace_back());
            return true;
        }));
        // The two downloaded are the newest rows.
        ASSERT_GE(rows.size(), 2U);
        const ListRow first = rows[rows.size() - 2];
        const ListRow second = rows.back();
        RecordEdit edit{first.rowIndex, name, "10000000000009", {1970, 2, 3}, 2, memo};
        ASSERT_TRUE(ModifyRecord(table, first, edit, first.rowId));
        ASSERT_TRUE(DeleteRecord(table, second));
        ASSERT_TRUE(ImportHbA1cResults(transfer, table, users.HbA1cDownload(), services).ok());
        ASSERT_TRUE(RestoreDeleted(table, second.resultId, note).ok());
        AuditEntry release;
        release.operatorId = "Basis";
        release.action = audit_action::kRelease;
        release.patientId = "10000000000002";
        release.SetMessage(Message(MessageId::AuditResultReleased,
                                   {"20260105", "1015", "7.1", "10000000000002", second.resultId}));
        ASSERT_TRUE(AppendAudit(users.DataFolder(), release).ok());
    }
    // What the walk takes out of the texts it reads: the operator's own data and the
    // system's names, which are in no language of the program. Longest first, so a path is
    // taken out whole before a part of it.
    QStringList Data(const TempDir& out) {
        QStringList own{QString::fromStdString(out.Path()), "P-1", "Basis"};
        const Expected<std::vector<AuditEntry>> entries = ReadAudit(users.DataFolder(), {});
        for (const AuditEntry& e : entries.ok() ? *entries : std::vector<AuditEntry>{}) {
            own << QString::fromStdString(e.account) << QString::fromStdString(e.version);
            // A message's arguments are data (paths, counts, setting keys); its words are
            // the program's, and those are what the walk reads.
            for (const std::string& arg : MessageData(e.message)) {
                own << QString::fromStdString(arg);
            }
        }
        std::sort(own.begin(), own.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        return own;
    }

    QWidget* Page(int view) {
        frame->findChild<QStackedWidget*>()->setCurrentIndex(view);
        QApplication::processEvents();
        return frame->findChild<QStackedWidget*>()->currentWidget();
    }

    // Every page and dialog, each checked by `check` and rendered under `suffix`.
    void EachScreen(const std::function<void(QWidget*, const QString&)>& check,
                    const QString& suffix) {
        for (int view :
             {MainWindow::kViewHome, MainWindow::kViewDownload, MainWindow::kViewAllData}) {
            QWidget* page = Page(view);
            check(frame.get(), QStringLiteral("page%1").arg(view));
            Render(frame.get(), QStringLiteral("page%1_%2").arg(view).arg(suffix));
            (void)page;
        }
        // A date picker's calendar, as its popup shows it.
        {
            QCalendarWidget calendar;
            calendar.setSelectedDate(QDate(2026, 12, 9));
            calendar.show();
            QApplication::processEvents();
            check(&calendar, "calendar");
            Render(&calendar, "calendar_" + suffix);
        }
        auto dialog = [&](QWidget* d, const QString& name) {
            d->show();
            d->adjustSize();
            QApplication::processEvents();
            check(d, name);
            Render(d, name + "_" + suffix);
            d->hide();
        };
        GetDataDialog getData(frame.get());
        getData.SetPorts(DiscoveryResult{});
        dialog(&getData, "get_data");
        ProcessDialog* process = frame->Process();
        process->SetProgressText(MessageText(MessageId::NoData));
        process->SetRecords(3, 12);
        dialog(process, "process");
        AboutDialog about(frame.get());
        dialog(&about, "about");
        SettingsDialog settings(users, prompter, frame.get());
        settings.SetFileService(&files);
        dialog(&settings, "settings");
        AddUserDialog add(users, frame.get());
        dialog(&add, "add_user");
        ListRow row;
        row.date = "20240102";
        row.time = "0930";
        row.value = "0710";
        row.patientId = "P-1";
        views::RecordViewDialog view(row, users.Settings(), frame.get());
        dialog(&view, "record_view");
        views::RecordModifyDialog modify(row, users.Settings(), prompter, frame.get());
        dialog(&modify, "record_modify");
        AuditDialog audit(users.DataFolder(), frame.get());
        dialog(&audit, "audit");
    }
};

// English: no page, dialog or message shows a Hangul character.
TEST_F(LanguageTest, EnglishShowsNoHangulAnywhere) {
    Start(1);
    EXPECT_EQ(CurrentLanguage(), Language::English);
    // The printed pages, and the audit log that lists their printing and every change to
    // the results.
    TempDir out;
    const QStringList printed = PrintedPages(out);
    LogResultChanges("Hong Gildong", "fasting", "checked first");
    EXPECT_TRUE(HangulIn(printed).isEmpty()) << HangulIn(printed).join(" | ").toStdString();
    EXPECT_TRUE(printed.join(' ').contains("Page 1"));
    EXPECT_TRUE(printed.join(' ').contains(
        QLocale(QLocale::English).dayName(QDate::currentDate().dayOfWeek(), QLocale::ShortFormat)));
    EachScreen(
        [](QWidget* screen, const QString& name) {
            const QStringList found = HangulTexts(screen);
            EXPECT_TRUE(found.isEmpty())
                << name.toStdString() << ": " << found.join(" | ").toStdString();
            EXPECT_FALSE(VisibleTexts(screen).isEmpty()) << name.toStdString();
        },
        "en");
    EXPECT_EQ(QCoreApplication::translate("qa::MainWindow", "CAP"), "CAP");
    // The audit log names each print by where it went, in English.
    AuditDialog audit(users.DataFolder(), frame.get());
    const QStringList logged = VisibleTexts(&audit);
    EXPECT_TRUE(logged.contains("Print")) << logged.join(" | ").toStdString();
    // The changes to results were walked too, each kind in its words.
    for (const char* action :
         {"Download", "Modify", "Delete", "Put back", "Release to laboratory"}) {
        EXPECT_TRUE(logged.contains(action)) << action;
    }
    EXPECT_TRUE(
        logged.contains("1 HbA1c result(s) to " + QString::fromStdString(out.File("list.pdf"))))
        << logged.join(" | ").toStdString();
    // The patient report's print too, with the patient it is about.
    EXPECT_TRUE(logged.contains("Patient report of 1 HbA1c and 0 glucose result(s) to " +
                                QString::fromStdString(out.File("patient.pdf"))))
        << logged.join(" | ").toStdString();
    EXPECT_TRUE(logged.contains("P-1"));
    // The pictures with words are the English ones: nav and command strips, backgrounds.
    if (qApp->devicePixelRatio() == 1.0) { // matched by their pixels, as drawn at 100 %
        frame->resize(1280, 720);
        EXPECT_EQ(ExpectPicturesFor(*frame, Language::English), 3 + 4 * 3 + 1 + 3);
    }
    // Every message of the store and the download logic, with its arguments filled in.
    // Through the last identifier there is.
    for (int id = static_cast<int>(MessageId::CaptionProgram);
         id <= static_cast<int>(MessageId::MessagesNotWritten); ++id) {
        const QString text = MessageText(Message(static_cast<MessageId>(id), {"COM3", "x"}));
        EXPECT_FALSE(HasHangul(text)) << id << ": " << text.toStdString();
        EXPECT_FALSE(text.isEmpty()) << id;
    }
    EXPECT_EQ(MessageText(Message(MessageId::AskReceiveHbA1c, {"/dev/ttyACM0"})),
              "Receive the HbA1c results of the OrvoA1c through /dev/ttyACM0?");
    // Qt's own buttons stay English.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

// Korean: the program's own Korean texts are exactly what they were, the English captions
// read in Korean, and Qt's standard buttons follow.
TEST_F(LanguageTest, KoreanKeepsTheTextsAndTranslatesTheCaptions) {
    Start(0);
    EXPECT_EQ(CurrentLanguage(), Language::Korean);
    EXPECT_EQ(frame->windowTitle(), QString::fromUtf8("QuorinA1c 관리 프로그램 v1.09"));
    EXPECT_EQ(frame->Download()->NavButton(FrameCommand::Home)->ToolTipText(),
              QString::fromUtf8("홈"));
    EXPECT_EQ(frame->Download()->NavButton(FrameCommand::GetData)->ToolTipText(),
              QString::fromUtf8("측정기 저장 데이터 가져오기"));
    EXPECT_EQ(frame->AllData()->SearchButton()->ToolTipText(), QString::fromUtf8("검색"));
    // Korean texts of the store and the download logic come back byte for byte.
    for (MessageId id :
         {MessageId::ConnectFailed,     MessageId::NoData,         MessageId::NotArriving,
          MessageId::NoNewData,         MessageId::ModeChange,     MessageId::TransferStarts,
          MessageId::ModeChangeCommand, MessageId::ModeChangeDone, MessageId::CommandSent,
          MessageId::ReceivingA,        MessageId::ReceivingB,     MessageId::CheckingA,
          MessageId::CheckingB,         MessageId::CheckDone,      MessageId::AskAddUser,
          MessageId::DuplicateUserId,   MessageId::AskDeleteUser,  MessageId::LastUserNotDeletable,
          MessageId::UserDeleted,       MessageId::BadRange,       MessageId::RangeTooLong,
          MessageId::CaptionMeter}) {
        EXPECT_EQ(MessageUtf8(id), SourceText(id)) << static_cast<int>(id);
    }
    EXPECT_EQ(MessageUtf8(Message(MessageId::AskReceiveGlucose, {"COM3"})),
              "COM3 포트로 오르보에이원씨의 혈당 결과를 받겠습니까?");
    EXPECT_EQ(MessageUtf8(kNotArrivingText),
              "오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.\r\n오르보에이원씨와의 "
              "연결 포트를 다시 확인해 주세요.");
    GetDataDialog getData(frame.get());
    EXPECT_EQ(getData.windowTitle(), QString::fromUtf8("데이터 얻기"));
    EXPECT_EQ(getData.OkButton()->text(), QString::fromUtf8("데이터얻기"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("취소"));
    // No English word outside names, units and the operator's data, on any screen (the
    // audit log listing the prints included), date picker or printed page.
    TempDir out;
    const QStringList printed = PrintedPages(out);
    LogResultChanges();
    const QStringList own = Data(out);
    EXPECT_TRUE(EnglishWords(printed, own).isEmpty())
        << EnglishWords(printed, own).join(" | ").toStdString();
    EXPECT_TRUE(printed.join(' ').contains(QString::fromUtf8("페이지")) ||
                printed.join(' ').contains(QString::fromUtf8("쪽")));
    EachScreen(
        [&own](QWidget* screen, const QString& name) {
            const QStringList found = EnglishWords(VisibleTexts(screen), own);
            EXPECT_TRUE(found.isEmpty())
                << name.toStdString() << ": " << found.join(" | ").toStdString();
        },
        "ko");
    for (const char* key : {"CAP", "NUM", "SCRL"}) {
        EXPECT_TRUE(HasHangul(QCoreApplication::translate("qa::MainWindow", key))) << key;
    }
    // The audit log reads in Korean: the two prints, action and detail.
    AuditDialog audit(users.DataFolder(), frame.get());
    const QStringList logged = VisibleTexts(&audit);
    EXPECT_TRUE(logged.contains(QString::fromUtf8("인쇄")));
    for (const char* action : {"데이터 가져오기", "수정", "삭제", "삭제 취소", "검사실로 전송"}) {
        EXPECT_TRUE(logged.contains(QString::fromUtf8(action))) << action;
    }
    if (qApp->devicePixelRatio() == 1.0) {
        EXPECT_EQ(ExpectPicturesFor(*frame, Language::Korean), 3 + 4 * 3 + 1 + 3);
    }
}

// The log's entries about results (downloads, edits, deletions, put-backs, releases) read in
// the language of whoever reads them, with every value they hold; an entry written before
// entries were messages shows what it says, in either language.
TEST_F(LanguageTest, AuditEntriesOfResultsReadInTheReadersLanguage) {
    ASSERT_TRUE(users.Reload());
    LogResultChanges();
    AuditEntry old;
    old.action = audit_action::kDelete;
    old.detail = "HbA1c result: date \"20150101\", memo \"older\"";
    ASSERT_TRUE(AppendAudit(users.DataFolder(), old).ok());
    const std::vector<AuditEntry> entries = ValueOf(ReadAudit(users.DataFolder(), {}));
    ASSERT_EQ(entries.size(), 7U);
    const std::string kept = entries[1].message.args.back();     // the edited result's ID
    const std::string putBack = entries[4].message.args.front(); // the deleted one's
    ASSERT_FALSE(kept.empty());
    ASSERT_FALSE(putBack.empty());

    ASSERT_TRUE(ApplyLanguage(Language::Korean));
    const auto korean = [&](std::size_t i) { return AuditDetailUtf8(entries[i]); };
    EXPECT_EQ(korean(0), "HbA1c 결과 받기: 2건 수신, 2건 새 결과; 측정기 레코드 29바이트; "
                         "포트 /dev/ttyUSB0; 측정기 데이터 삭제");
    EXPECT_EQ(korean(1).rfind("결과 20260105 0930 ", 0), 0) << korean(1);
    for (const char* part :
         {"이름: \"\" -> \"홍길동\"", "환자 ID: \"10000000000001\" -> \"10000000000009\"",
          "생년월일: \"19000101\" -> \"19700203\"", "메모: \"\" -> \"메모\""}) {
        EXPECT_NE(korean(1).find(part), std::string::npos) << part << " in " << korean(1);
    }
    EXPECT_TRUE(korean(1).ends_with("; 결과 ID " + kept)) << korean(1);
    EXPECT_EQ(korean(2).rfind("HbA1c 결과: 날짜 \"20260105\", 시간 \"1015\", ", 0), 0) << korean(2);
    EXPECT_NE(korean(2).find("환자 ID \"10000000000002\""), std::string::npos) << korean(2);
    EXPECT_TRUE(korean(2).ends_with(", 결과 ID " + putBack)) << korean(2);
    EXPECT_EQ(korean(3), "HbA1c 결과 받기: 2건 수신, 0건 새 결과; 1건 건너뜀: 삭제된 결과; "
                         "1건 건너뜀: 수정된 결과; 측정기 레코드 29바이트; 포트 /dev/ttyUSB0; "
                         "측정기 데이터 삭제");
    EXPECT_EQ(korean(4).rfind("HbA1c 결과 " + putBack + " 삭제 취소: 날짜 \"20260105\"", 0), 0)
        << korean(4);
    EXPECT_TRUE(korean(4).ends_with("환자 ID \"10000000000002\"; 확인 후 되돌림")) << korean(4);
    EXPECT_EQ(korean(5), "결과 20260105 1015 7.1: 환자가 없어 보류했다가 환자 ID "
                         "10000000000002(으)로 검사실에 전송; 결과 ID " +
                             putBack);
    for (std::size_t i = 0; i < 6; ++i) {
        QStringList values;
        for (const std::string& value : MessageData(entries[i].message)) {
            values << QString::fromStdString(value);
        }
        const QStringList shown = {QString::fromStdString(korean(i)),
                                   AuditActionText(entries[i].action)};
        EXPECT_TRUE(EnglishWords(shown, values).isEmpty())
            << i << ": " << EnglishWords(shown, values).join(" | ").toStdString();
        EXPECT_TRUE(HasHangul(shown[1])) << entries[i].action;
    }
    EXPECT_EQ(korean(6), old.detail);

    ASSERT_TRUE(ApplyLanguage(Language::English));
    // In English the entries read as the log stores them, which the command line lists.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(AuditDetailUtf8(entries[i]), entries[i].detail) << i;
        EXPECT_FALSE(HasHangul(AuditActionText(entries[i].action))) << entries[i].action;
    }
    EXPECT_EQ(entries[3].detail, "HbA1c: 2 received, 0 new; 1 skipped as deleted; 1 skipped as "
                                 "corrected; meter with 29-byte records; port /dev/ttyUSB0; "
                                 "meter erased");
    EXPECT_NE(entries[1].detail.find("patient ID: \"10000000000001\" -> \"10000000000009\""),
              std::string::npos)
        << entries[1].detail;
    EXPECT_TRUE(entries[4].detail.ends_with("patient ID \"10000000000002\"; 확인 후 되돌림"))
        << entries[4].detail;
    EXPECT_EQ(entries[5].detail, "result 20260105 1015 7.1: held for want of a patient, released "
                                 "to the laboratory under 10000000000002; result ID " +
                                     putBack);
}

// The settings dialog offers both languages; saving English turns the whole open window
// English at once, and the setting belongs to the operator.
TEST_F(LanguageTest, SwitchingAppliesAtOnceAndBelongsToTheOperator) {
    Start(0);
    // The operator opens the settings from the window, picks English and saves.
    bool answered = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || answered) {
            return;
        }
        answered = true;
        auto* combo = dialog->findChild<QComboBox*>("language");
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(combo->count(), 2);
        EXPECT_EQ(combo->itemText(0), QString::fromUtf8("한국어"));
        EXPECT_EQ(combo->itemText(1), "English");
        EXPECT_EQ(combo->currentIndex(), 0);
        bool labelled = false;
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            labelled = labelled || label->text() == QString::fromUtf8("언어");
            EXPECT_NE(label->text(), "Languge");
        }
        EXPECT_TRUE(labelled);
        combo->setCurrentIndex(1);
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            if (b->text() == QString::fromUtf8("저장")) {
                b->click();
                return;
            }
        }
        dialog->reject();
    });
    answer.start(20);
    frame->Command(FrameCommand::Settings);
    answer.stop();
    ASSERT_TRUE(answered);
    QApplication::processEvents();
    ASSERT_TRUE(users.LoadSettings());
    EXPECT_EQ(users.Settings().language, 1) << "kept in the operator's settings file";
    EXPECT_EQ(frame->windowTitle(), "QuorinA1c Data Manager v1.09");
    EXPECT_EQ(frame->Download()->NavButton(FrameCommand::Home)->ToolTipText(), "Home");
    EXPECT_EQ(frame->AllData()->PeriodList()->itemText(2), "2 weeks");
    EXPECT_TRUE(HangulTexts(frame.get()).isEmpty())
        << HangulTexts(frame.get()).join(" | ").toStdString();

    // Another operator with the default setting brings Korean back, to the byte.
    ASSERT_EQ(users.AddUser("kim"), UserStore::Outcome::Done);
    ASSERT_EQ(users.ActiveUserId(), "kim");
    ApplyLanguage(LanguageFromSetting(users.Settings().language));
    QApplication::processEvents();
    EXPECT_EQ(frame->windowTitle(), QString::fromUtf8(MainWindow::kTitle));
    EXPECT_EQ(frame->Download()->NavButton(FrameCommand::Home)->ToolTipText(),
              QString::fromUtf8("홈"));
    EXPECT_EQ(frame->AllData()->PeriodList()->itemText(2), QString::fromUtf8("2주"));
}

// What the window shows already changes language with the setting: the Process window's
// lines (made of counts and names), the optional list headings and the pictures with words.
TEST_F(LanguageTest, ShownTextsAndPicturesChangeLanguageLive) {
    Start(0);
    frame->resize(1280, 720);
    ProcessDialog* process = frame->Process();
    process->Reset();
    frame->SetProgressText(Message(MessageId::ErrorCount, {"3"}));
    process->SetRecords(3, 12);
    process->SetDetail([] {
        return QCoreApplication::translate("qa::MainWindow", "%1 new results stored.").arg(4);
    });
    QApplication::processEvents();
    ASSERT_TRUE(process->isVisible());
    const QString koreanRecords = process->Records()->GetWindowText();
    const QString koreanDetail = process->Detail();
    EXPECT_FALSE(HangulTexts(process).isEmpty());
    views::DataListView* list = frame->AllData()->List();
    auto headings = [&] {
        QStringList texts;
        for (int c = 0; c < list->ColumnCount(); ++c) {
            texts << list->model()->headerData(c, Qt::Horizontal).toString();
        }
        return texts;
    };
    const QStringList koreanHeadings = headings();
    EXPECT_EQ(koreanHeadings.mid(6),
              QStringList({QString::fromUtf8("환자 이름"), QString::fromUtf8("메모"),
                           QString::fromUtf8("전송")}));
    // Pictures last at each step: looking at them shows every page, and showing the data
    // page builds its list again.
    const bool matchPixels = qApp->devicePixelRatio() == 1.0;
    if (matchPixels) {
        ExpectPicturesFor(*frame, Language::Korean);
    }

    ApplyLanguage(Language::English);
    QApplication::processEvents();
    EXPECT_EQ(process->ProgressText(), "Errors: 3");
    EXPECT_EQ(process->Records()->GetWindowText(), "3 / 12 records");
    EXPECT_EQ(process->Detail(), "4 new results stored.");
    EXPECT_TRUE(HangulTexts(process).isEmpty()) << HangulTexts(process).join(" | ").toStdString();
    EXPECT_EQ(headings(), QStringList({"No.", "Date", "Time", "Result", "eAG", "Patient ID",
                                       "Patient name", "Memo", "Delivery"}));
    if (matchPixels) {
        ExpectPicturesFor(*frame, Language::English);
    }
    // A line the download page sets, switched while it shows.
    frame->Download()->LoadDownloadList(ResultKind::HbA1c);
    QApplication::processEvents();
    EXPECT_EQ(process->ProgressText(), "Data download complete");
    Render(process, "process_live_en");

    ApplyLanguage(Language::Korean);
    QApplication::processEvents();
    EXPECT_EQ(process->ProgressText(), QString::fromUtf8(DownloadPage::kDownloadDoneText));
    EXPECT_EQ(process->Records()->GetWindowText(), koreanRecords);
    EXPECT_EQ(process->Detail(), koreanDetail);
    EXPECT_EQ(headings(), koreanHeadings);
    if (matchPixels) {
        ExpectPicturesFor(*frame, Language::Korean);
    }
}

// The export follows the language: Korean words in code page 949, English words in UTF-8
// behind a byte-order mark.
TEST_F(LanguageTest, CsvHeaderAndEncodingFollowTheLanguage) {
    InitResources();
    ApplyLanguage(Language::English);
    CsvOptions english = CsvOptionsForLanguage(ResultKind::HbA1c);
    EXPECT_EQ(english.header, "No,Date,Time,Result,eAG,Patient ID\n");
    const std::string enPath = data.File("en.csv");
    ASSERT_TRUE(
        WriteCsvFile(enPath, english, {{"1", "2024/01/02", "09:30", "7.1 %", "157", "김"}}));
    EXPECT_EQ(ReadFile(enPath), "\xEF\xBB\xBFNo,Date,Time,Result,eAG,Patient ID\n"
                                "1,2024/01/02,09:30,7.1 %,157,김,\n");

    ApplyLanguage(Language::Korean);
    CsvOptions korean = CsvOptionsForLanguage(ResultKind::Glucose);
    EXPECT_EQ(korean.header, "번호,날짜,시간,결과,환자ID\n");
    const std::string koPath = data.File("ko.csv");
    ASSERT_TRUE(WriteCsvFile(koPath, korean, {{"1", "d", "t", "110 mg/dL"}}));
    // 번호 in code page 949.
    EXPECT_EQ(ReadFile(koPath).substr(0, 4), "\xB9\xF8\xC8\xA3");
}

// Before the files are open (another copy running), the program speaks the language of the
// operator the user file names, read without writing anything.
TEST_F(LanguageTest, MessagesBeforeTheWindowFollowTheRecordedOperator) {
    EXPECT_EQ(RecordedOperatorLanguage(data.File("nothing-here")), Language::Korean);
    ASSERT_TRUE(users.Reload());
    EXPECT_EQ(RecordedOperatorLanguage(data.Path()), Language::Korean);
    ASSERT_EQ(users.AddUser("nurse"), UserStore::Outcome::Done);
    users.Settings().language = 1;
    ASSERT_TRUE(users.SaveSettings());
    EXPECT_EQ(RecordedOperatorLanguage(data.Path()), Language::English);
    ASSERT_TRUE(users.SwitchUser("Basis"));
    EXPECT_EQ(RecordedOperatorLanguage(data.Path()), Language::Korean);
}

} // namespace
