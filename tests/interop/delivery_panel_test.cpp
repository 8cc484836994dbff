// The delivery strip of the all-data page over real files, against python3-hl7's MLLP
// server and an HTTP FHIR server: pending count, sending after a download in the background,
// export of the list.
#include "i18n/language.h"
#include "interop/outbox.h"
#include "interop_support.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/installation_id.h"
#include "store/users.h"
#include "temp_dir.h"
#include "views/all_data_page.h"
#include "views/data_list_view.h"
#include "views/delivery_panel.h"
#include "views/record_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "store/audit_log.h"
#include <QTableWidget>
#include <gtest/gtest.h>
#include <set>

using namespace qa;
using namespace qa::test;

namespace {

class NoFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override { return {}; }
    bool OpenFile(const QString&) override { return true; }
};

struct PageFixture {
    TempDir dir;
    ScriptedPrompter prompter;
    UserStore users{dir.File("data"), prompter};
    NoFiles files;
    std::unique_ptr<AllDataPage> page;

    PageFixture() {
        EnsureFolder();
        EXPECT_TRUE(users.Reload());
        page = std::make_unique<AllDataPage>(users, prompter, files, nullptr, [](FrameCommand) {});
    }
    void EnsureFolder() { ::mkdir(dir.File("data").c_str(), 0700); }
    void Add(const char* time, const char* value, const std::string& pid) {
        HbA1cTable& table = users.HbA1cMain();
        ASSERT_TRUE(table.AddNew());
        table.date = "20261207";
        table.time = time;
        table.value = value;
        table.pid = pid;
        ASSERT_TRUE(table.Update());
    }
    // The delivery colour of a listed row's number cell.
    QColor Marked(int row) const {
        auto* model = page->List()->Model();
        return model->data(model->index(row, 0), Qt::BackgroundRole).value<QColor>();
    }
    bool Run(DeliveryPanel& panel, std::function<void()> start) {
        QSignalSpy finished(&panel, &DeliveryPanel::runFinished);
        start();
        return finished.wait(30000);
    }
};

} // namespace

TEST(DeliveryPanel, NothingHappensUntilTheInterfaceIsSetUp) {
    PageFixture f;
    f.Add("0900", "0650", "P1");
    f.page->Activate();
    DeliveryPanel* panel = f.page->Delivery();
    EXPECT_EQ(panel->PendingLabel()->text(), "Laboratory interface not set up");
    EXPECT_FALSE(panel->Running());
    panel->AfterDownload(ResultKind::HbA1c, "");
    EXPECT_FALSE(panel->Running()) << "interface off: nothing goes out after a download";
    EXPECT_FALSE(FileExists(interop::Outbox::PathFor(f.users.DataFolder(), "Basis")));
}

TEST(DeliveryPanel, NewResultsGoOutAfterADownloadAndTheCountFollows) {
    PageFixture f;
    f.Add("0900", "0650", "P1|x");
    f.Add("0910", "1450", "P2^y");
    interop::DeliverySummary summary;
    QString receiver; // host:port
    {
        MllpListener listener(f.dir.Path(), "aa");
        receiver = QString::fromStdString(listener.url()).mid(7);
        InterfaceSettings link;
        link.enabled = true;
        link.destination = listener.url();
        link.ackTimeoutSeconds = 5;
        DeliveryPanel* panel = f.page->Delivery();
        ASSERT_TRUE(panel->SaveLinkSettings(link));
        EXPECT_EQ(panel->LinkSettings(), link);

        ASSERT_TRUE(f.Run(*panel, [&] { f.page->Activate(); }));
        EXPECT_EQ(panel->PendingLabel()->text(), "Pending: 2") << "counted, not sent";
        EXPECT_EQ(f.Marked(0), DeliveryPanel::StateColor(interop::DeliveryState::Pending));
        EXPECT_TRUE(listener.Received().empty());

        ASSERT_TRUE(f.Run(*panel, [&] { panel->AfterDownload(ResultKind::HbA1c, ""); }));
        EXPECT_EQ(panel->PendingLabel()->text(), "Pending: 0 - sent 2");
        EXPECT_EQ(f.Marked(0), DeliveryPanel::StateColor(interop::DeliveryState::Sent));
        EXPECT_EQ(f.Marked(1), DeliveryPanel::StateColor(interop::DeliveryState::Sent));
        f.Add("0920", "0720", "P3");
        ASSERT_TRUE(f.Run(*panel, [&] { panel->SendButton()->click(); }));
        EXPECT_EQ(panel->LastSummary().sent, 1) << "only the new one";
        listener.Stop();
        EXPECT_EQ(listener.Received().size(), 3u);
    }
    // The receiver is gone: the next result stays pending and the window says why.
    f.Add("0930", "0700", "P4");
    DeliveryPanel* panel = f.page->Delivery();
    ASSERT_TRUE(f.Run(*panel, [&] { panel->AfterDownload(ResultKind::HbA1c, ""); }));
    EXPECT_TRUE(panel->PendingLabel()->text().startsWith("Pending: 1 - sent 0 - The receiver " +
                                                         receiver + " cannot be reached: "))
        << panel->PendingLabel()->text().toStdString();
    // In Korean the strip says it in Korean: only the receiver's address and the system's
    // reason (after the last colon) are not.
    ASSERT_TRUE(ApplyLanguage(Language::Korean));
    ASSERT_TRUE(f.Run(*panel, [&] { panel->SendButton()->click(); }));
    QString korean = panel->PendingLabel()->text();
    ApplyLanguage(Language::English);
    EXPECT_TRUE(korean.contains(receiver)) << korean.toStdString();
    korean.remove(receiver);
    korean.truncate(korean.lastIndexOf(':'));
    EXPECT_FALSE(korean.contains(QRegularExpression("[A-Za-z]"))) << korean.toStdString();
    EXPECT_TRUE(korean.contains(QString::fromUtf8("수신 시스템에 연결할 수 없습니다")))
        << korean.toStdString();
    f.page->LoadList();
    EXPECT_EQ(f.Marked(0), DeliveryPanel::StateColor(interop::DeliveryState::Pending)) << "P4";
    EXPECT_EQ(f.Marked(1), DeliveryPanel::StateColor(interop::DeliveryState::Sent));
}

// The same strip with a FHIR server's base URL as the destination: the worker posts the
// Bundle, a refusal turns the row red, a server gone leaves the new result pending.
TEST(DeliveryPanel, ResultsGoToAFhirServerInTheBackground) {
    PageFixture f;
    f.Add("0900", "0650", "P1|x");
    f.Add("0910", "1450", "Q2");
    DeliveryPanel* panel = f.page->Delivery();
    std::string base;
    {
        FhirServer server(f.dir.Path(), "refuse");
        base = server.url();
        InterfaceSettings link;
        link.enabled = true;
        link.destination = server.url();
        link.ackTimeoutSeconds = 5;
        ASSERT_TRUE(panel->SaveLinkSettings(link));
        ASSERT_TRUE(f.Run(*panel, [&] { f.page->Activate(); }));
        EXPECT_EQ(panel->PendingLabel()->text(), "Pending: 2") << "counted, not sent";
        EXPECT_TRUE(server.Posts().empty());

        ASSERT_TRUE(f.Run(*panel, [&] { panel->AfterDownload(ResultKind::HbA1c, "EG"); }));
        EXPECT_EQ(panel->PendingLabel()->text(), "Pending: 1 (held by the receiver: 1) - sent 1");
        f.page->LoadList();
        EXPECT_EQ(f.Marked(0), DeliveryPanel::StateColor(interop::DeliveryState::Held)) << "Q2";
        EXPECT_EQ(f.Marked(1), DeliveryPanel::StateColor(interop::DeliveryState::Sent));
        server.Stop();
        ASSERT_EQ(server.Posts().size(), 1u);
        Readback bundle = ValidateFhir(server.Posts()[0].file);
        ASSERT_EQ(bundle.exitCode, 0) << bundle.errors;
    }
    f.Add("0930", "0700", "P4");
    ASSERT_TRUE(f.Run(*panel, [&] { panel->SendButton()->click(); }));
    EXPECT_TRUE(panel->PendingLabel()->text().contains(
        " - sent 0 - The FHIR server " + QString::fromStdString(base) + " cannot be reached"))
        << panel->PendingLabel()->text().toStdString();
    EXPECT_EQ(panel->LastSummary().pending, 1);
    f.page->LoadList();
    EXPECT_EQ(f.Marked(0), DeliveryPanel::StateColor(interop::DeliveryState::Pending)) << "P4";
}

// The window's own modify of a sent result: the delivery column says a correction waits, the
// laboratory system gets the result as a correction, and the column then says it was sent
// corrected.
TEST(DeliveryPanel, AWindowEditOfASentResultGoesAsACorrection) {
    PageFixture f;
    f.Add("0900", "0650", "P1");
    MllpListener listener(f.dir.Path(), "aa");
    InterfaceSettings link;
    link.enabled = true;
    link.destination = listener.url();
    link.ackTimeoutSeconds = 5;
    DeliveryPanel* panel = f.page->Delivery();
    ASSERT_TRUE(panel->SaveLinkSettings(link));
    f.page->resize(1014, 738);
    f.page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.page.get()));
    ASSERT_TRUE(f.Run(*panel, [&] { panel->AfterDownload(ResultKind::HbA1c, ""); }));
    ASSERT_EQ(panel->LastSummary().sent, 1);
    f.page->LoadList();
    auto* list = f.page->List();
    const int delivery = list->ColumnCount() - 1;
    EXPECT_EQ(list->CellText(0, delivery), "sent");

    f.page->SetMenuRunner([](QMenu& menu, const QPoint&) -> QAction* {
        for (QAction* action : menu.actions()) {
            if (action->data().toInt() == AllDataPage::kMenuModify) {
                return action;
            }
        }
        return nullptr;
    });
    f.page->SetDialogRunner([](QDialog& dialog) {
        auto& modify = dynamic_cast<views::RecordModifyDialog&>(dialog);
        modify.PatientNameEdit()->setText(QStringLiteral("홍길동"));
        modify.ConfirmChange();
        return modify.result();
    });
    const QPoint cell = list->visualRect(list->Model()->index(0, 1)).center();
    QContextMenuEvent request(QContextMenuEvent::Mouse, cell, QPoint(0, 0));
    QApplication::sendEvent(list->viewport(), &request);

    ASSERT_TRUE(f.Run(*panel, [&] { f.page->Activate(); }));
    f.page->LoadList();
    EXPECT_EQ(list->CellText(0, delivery), "correction pending");
    EXPECT_EQ(f.Marked(0), DeliveryPanel::StateColor(interop::DeliveryState::Pending));
    ASSERT_TRUE(f.Run(*panel, [&] { panel->SendButton()->click(); }));
    EXPECT_EQ(panel->LastSummary().sent, 1);
    f.page->LoadList();
    EXPECT_EQ(list->CellText(0, delivery), "sent (corrected)");
    listener.Stop();
    const std::vector<std::string> lines = listener.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("\"obx_status\": \"C\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("홍길동"), std::string::npos) << lines[1];
}

namespace {

// Fills the interface dialog once it is up, with the destination and a sending facility, and
// presses OK. A dialog that stays open is looked at (`stayedOpen`, `facilityKept`) and closed.
struct DialogAnswer {
    bool stayedOpen = false;
    bool facilityKept = false;
};

void AnswerInterfaceDialog(const QString& destination, DialogAnswer* answer = nullptr) {
    QTimer::singleShot(0, [destination, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        ASSERT_GE(edits.size(), 3);
        edits[0]->setText(destination);
        edits[2]->setText(QStringLiteral("Ward 7"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        buttons->button(QDialogButtonBox::Ok)->click();
        if (dialog->isVisible()) {
            if (answer != nullptr) {
                answer->stayedOpen = true;
                answer->facilityKept =
                    edits[0]->text() == destination && edits[2]->text() == QStringLiteral("Ward 7");
            }
            dialog->reject();
        }
    });
}

} // namespace

TEST(DeliveryPanel, TheDestinationIsAnMllpAddressOrAFhirBaseUrl) {
    PageFixture f;
    DeliveryPanel* panel = f.page->Delivery();
    AnswerInterfaceDialog(QStringLiteral(" https://lis.example:8443/fhir/ "));
    panel->EditLinkSettings();
    EXPECT_EQ(panel->LinkSettings().destination, "https://lis.example:8443/fhir/");
    EXPECT_EQ(panel->LinkSettings().sendingFacility, "Ward 7");
    AnswerInterfaceDialog(QStringLiteral("mllp://lis:2575"));
    panel->EditLinkSettings();
    EXPECT_EQ(panel->LinkSettings().destination, "mllp://lis:2575");
    EXPECT_TRUE(f.prompter.Texts().empty());
    for (const char* bad : {"ftp://lis/fhir", "lis:2575", "http://lis/fhir?x=1"}) {
        DialogAnswer answer;
        AnswerInterfaceDialog(QString::fromLatin1(bad), &answer);
        panel->EditLinkSettings();
        EXPECT_TRUE(answer.stayedOpen) << bad << ": the operator mends it in the dialog";
        EXPECT_TRUE(answer.facilityKept) << bad << ": nothing typed is lost";
        EXPECT_EQ(panel->LinkSettings().destination, "mllp://lis:2575") << bad << ": kept";
        ASSERT_FALSE(f.prompter.Texts().empty());
        EXPECT_NE(f.prompter.Texts().back().find("http(s)://host/path"), std::string::npos)
            << f.prompter.Texts().back();
    }
}

TEST(DeliveryPanel, TheListShownIsExportedAsHl7) {
    PageFixture f;
    f.Add("0900", "0650", "A|B^C~D\\E&F");
    f.Add("0910", "0400", "P2");
    f.page->Activate();
    DeliveryPanel* panel = f.page->Delivery();
    const std::string path = f.dir.File("list.hl7");
    panel->SetSavePath([&](QWidget*, const QString& filter) {
        EXPECT_TRUE(filter.contains("hl7"));
        return QString::fromStdString(path);
    });
    ASSERT_TRUE(panel->ExportSelection("hl7"));
    Readback read = ReadHl7WithPython(path);
    ASSERT_EQ(read.exitCode, 0) << read.errors;
    EXPECT_EQ(read.values["messages"], "2");
    EXPECT_EQ(read.values["m0.patient_id"], "P2") << "newest first, as listed";
    EXPECT_EQ(read.values["m0.obx_value.1"], "<=") << "true for the value at the limit";
    EXPECT_EQ(read.values["m1.patient_id"], "A|B^C~D\\E&F");

    panel->SetSavePath([](QWidget*, const QString&) { return QString(); });
    EXPECT_FALSE(panel->ExportSelection("fhir")) << "cancelled";
    panel->SetSavePath([&](QWidget*, const QString&) {
        return QString::fromStdString(f.dir.File("missing/x.json"));
    });
    EXPECT_FALSE(panel->ExportSelection("fhir"));
    ASSERT_FALSE(f.prompter.Texts().empty());
    EXPECT_NE(f.prompter.Texts().back().find("missing/x.json"), std::string::npos);
}

// The window's FHIR file names its entries in the data folder's namespace, made on first use;
// a damaged namespace file refuses the export and names the file.
TEST(DeliveryPanel, TheListShownIsExportedAsFhirInTheFoldersNamespace) {
    PageFixture f;
    f.Add("0900", "0650", "P1");
    f.page->Activate();
    DeliveryPanel* panel = f.page->Delivery();
    const std::string path = f.dir.File("list.json");
    panel->SetSavePath([&](QWidget*, const QString&) { return QString::fromStdString(path); });
    ASSERT_TRUE(panel->ExportSelection("fhir"));
    const Expected<std::optional<Uuid>> installation = ReadInstallationUuid(f.dir.File("data"));
    ASSERT_TRUE(installation && installation->has_value()) << test::Why(installation);
    std::string patient;
    NameUuid(**installation, "Patient\x1f").AppendUrn(patient, "P1");
    EXPECT_NE(ReadFile(path).find("\"fullUrl\":\"" + patient + "\""), std::string::npos);

    WriteFile(f.dir.File("data") + "/" + kInstallationIdFileName, "damaged\n");
    EXPECT_FALSE(panel->ExportSelection("fhir"));
    ASSERT_FALSE(f.prompter.Texts().empty());
    EXPECT_NE(f.prompter.Texts().back().find(kInstallationIdFileName), std::string::npos);
}

// Results that name no patient are held and listed apart from the receiver's refusals; the
// operator opens each from the list, gives it its patient (the modify dialog for HbA1c, the
// patient ID alone for glucose), and it goes at the next send under that patient, its
// release in the audit log.
TEST(DeliveryPanel, ResultsWithoutAPatientAreListedAndGoOnceGivenOne) {
    PageFixture f;
    f.Add("0900", "0650", "00000000000000");
    f.Add("0910", "0700", "P1");
    GlucoseTable& glucose = f.users.GlucoseMain();
    ASSERT_TRUE(glucose.AddNew());
    glucose.date = "20261207";
    glucose.time = "0920";
    glucose.value = "104";
    ASSERT_TRUE(glucose.Update());
    MllpListener listener(f.dir.Path(), "aa");
    InterfaceSettings link;
    link.enabled = true;
    link.destination = listener.url();
    link.ackTimeoutSeconds = 5;
    DeliveryPanel* panel = f.page->Delivery();
    ASSERT_TRUE(panel->SaveLinkSettings(link));
    ASSERT_TRUE(f.Run(*panel, [&] { f.page->Activate(); }));
    EXPECT_FALSE(panel->WithoutPatientButton()->isHidden());
    EXPECT_EQ(panel->WithoutPatientButton()->text(), "No patient: 2");
    EXPECT_EQ(panel->PendingLabel()->text(), "Pending: 3") << "not the receiver's refusals";

    f.page->SetDialogRunner([](QDialog& dialog) {
        if (dialog.objectName() == "glucosePatientDialog") {
            auto* id = dialog.findChild<QLineEdit*>("glucosePatientId");
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            if (id == nullptr || buttons == nullptr) {
                ADD_FAILURE() << "the glucose dialog has no patient ID";
                return int(QDialog::Rejected);
            }
            id->setText(QStringLiteral("G-42"));
            buttons->button(QDialogButtonBox::Ok)->click();
        } else if (auto* modify = qobject_cast<views::RecordModifyDialog*>(&dialog)) {
            modify->PatientIdEdit()->setText(QStringLiteral("P-77"));
            modify->ChangeButton()->click();
        }
        return dialog.result();
    });
    std::vector<int> listed;
    panel->SetDialogRunner([&](QDialog& dialog) {
        auto* table = dialog.findChild<QTableWidget*>("withoutPatientList");
        auto* open = dialog.findChild<QPushButton*>("withoutPatientOpen");
        if (table == nullptr || open == nullptr) {
            ADD_FAILURE() << "no list";
            return int(QDialog::Rejected);
        }
        listed.push_back(table->rowCount());
        // Newest first: the glucose result, then the HbA1c one.
        for (const char* kind : {"Glucose", "HbA1c"}) {
            if (table->rowCount() == 0 || table->item(0, 0)->text() != kind) {
                ADD_FAILURE() << kind << " is not first";
                break;
            }
            table->setCurrentCell(0, 0);
            QSignalSpy finished(panel, &DeliveryPanel::runFinished);
            open->click();
            EXPECT_TRUE(finished.wait(30000));
            listed.push_back(table->rowCount());
        }
        return int(QDialog::Rejected);
    });
    panel->WithoutPatientButton()->click();
    EXPECT_EQ(listed, (std::vector<int>{2, 1, 0})) << "each goes from the list once given";
    EXPECT_TRUE(panel->WithoutPatientButton()->isHidden());
    EXPECT_EQ(panel->PendingLabel()->text(), "Pending: 3");

    ASSERT_TRUE(f.Run(*panel, [&] { panel->SendButton()->click(); }));
    EXPECT_EQ(panel->LastSummary().sent, 3);
    listener.Stop();
    std::multiset<std::string> patients;
    for (const std::string& line : listener.Lines()) {
        const std::string key = "\"patient_id\": \"";
        const std::size_t at = line.find(key);
        if (at != std::string::npos) {
            const std::size_t from = at + key.size();
            patients.insert(line.substr(from, line.find('"', from) - from));
        }
    }
    EXPECT_EQ(patients, (std::multiset<std::string>{"G-42", "P-77", "P1"}));

    std::vector<AuditEntry> entries;
    std::string error;
    entries = test::ValueOf(ReadAudit(f.users.DataFolder(), {}));
    std::multiset<std::string> released;
    for (const AuditEntry& entry : entries) {
        if (entry.action == audit_action::kRelease) {
            released.insert(entry.patientId);
        }
    }
    EXPECT_EQ(released, (std::multiset<std::string>{"G-42", "P-77"}));
}
