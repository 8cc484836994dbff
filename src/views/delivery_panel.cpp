#include "views/delivery_panel.h"

#include "i18n/message_text.h"
#include "interop/fhir_bundle.h"
#include "interop/hl7_message.h"
#include "interop/qt/fhir_sender.h"
#include "interop/qt/tls_mllp_sender.h"
#include "store/display_format.h"
#include "store/installation_id.h"
#include "store/output_target.h"
#include "store/profile_file.h"
#include "store/users.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace qa {

namespace {

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

DeliveryPanel::DeliveryPanel(UserStore& users, Prompter& prompter, QWidget* parent)
    : QWidget(parent), users_(users), prompter_(prompter) {
    setObjectName("deliveryPanel");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    pending_ = new QLabel(this);
    pending_->setObjectName("deliveryPending");
    send_ = new QPushButton(tr(kSendText), this);
    send_->setObjectName("deliverySend");
    hl7_ = new QPushButton(tr("Export HL7"), this);
    hl7_->setObjectName("deliveryHl7");
    fhir_ = new QPushButton(tr("Export FHIR"), this);
    fhir_->setObjectName("deliveryFhir");
    setup_ = new QPushButton(tr("Interface..."), this);
    setup_->setObjectName("deliverySetup");
    noPatient_ = new QPushButton(this);
    noPatient_->setObjectName("deliveryNoPatient");
    noPatient_->setToolTip(tr("Results that name no patient are not sent: open one to give it "
                              "a patient"));
    noPatient_->hide();
    row->addWidget(pending_, 1);
    for (QPushButton* button : {noPatient_, send_, hl7_, fhir_, setup_}) {
        row->addWidget(button);
    }
    connect(send_, &QPushButton::clicked, this, [this] { Refresh(true); });
    connect(hl7_, &QPushButton::clicked, this, [this] { ExportSelection(QStringLiteral("hl7")); });
    connect(fhir_, &QPushButton::clicked, this,
            [this] { ExportSelection(QStringLiteral("fhir")); });
    connect(setup_, &QPushButton::clicked, this, [this] { EditLinkSettings(); });
    connect(noPatient_, &QPushButton::clicked, this, [this] { ShowWithoutPatient(); });
    savePath_ = [](QWidget* owner, const QString& filter) {
        return QFileDialog::getSaveFileName(owner, QString(), QString(), filter);
    };
}

DeliveryPanel::~DeliveryPanel() {
    // Stops between messages; a message on the wire waits for its answer or time-out, so
    // nothing is left half-recorded.
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

InterfaceSettings DeliveryPanel::LinkSettings() const {
    InterfaceSettings link;
    // An unreadable file leaves the defaults: the link is off.
    (void)LoadInterfaceSettings(SettingsFilePath(users_.DataFolder(), users_.ActiveUserId()), link);
    return link;
}

bool DeliveryPanel::SaveLinkSettings(const InterfaceSettings& settings) {
    return SaveInterfaceSettings(SettingsFilePath(users_.DataFolder(), users_.ActiveUserId()),
                                 settings)
        .ok();
}

interop::MessageContext DeliveryPanel::Context() const {
    interop::MessageContext context;
    context.display = users_.Settings();
    context.link = LinkSettings();
    context.operatorId = users_.ActiveUserId();
    context.composed = interop::LocalNow();
    return context;
}

interop::DeliveryJob DeliveryPanel::Job(bool send) const {
    interop::DeliveryJob job;
    job.dataFolder = users_.DataFolder();
    const UserFiles files = users_.FilesOf(users_.ActiveUserId());
    job.hba1cFile = files.hba1cMain;
    job.glucoseFile = files.glucoseMain;
    job.context = Context();
    job.send = send && !job.context.link.destination.empty();
    job.fhirPoster = interop::FhirSender::Factory(job.context.link);
    job.mllpSender = [security = job.context.link](const interop::MllpEndpoint& endpoint,
                                                   std::chrono::milliseconds timeout) {
        return interop::MakeMllpSender(endpoint, timeout, security);
    };
    // The run goes on in its own thread; the window hears how far it is and never waits.
    QPointer<DeliveryPanel> panel(const_cast<DeliveryPanel*>(this));
    job.progress = [panel](int done, int total) {
        QMetaObject::invokeMethod(
            panel,
            [panel, done, total] {
                if (panel) {
                    panel->pending_->setText(
                        DeliveryPanel::tr("Sending: %1 of %2").arg(done).arg(total));
                }
            },
            Qt::QueuedConnection);
    };
    return job;
}

void DeliveryPanel::Refresh(bool send) {
    Start(Job(send));
}

void DeliveryPanel::Start(const interop::DeliveryJob& job) {
    if (running_) {
        return;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    running_ = true;
    send_->setEnabled(false);
    stop_ = false;
    thread_ = std::thread([this, job] {
        interop::DeliverySummary summary = interop::RunDelivery(job, &stop_);
        QMetaObject::invokeMethod(
            this, [this, summary, sent = job.send] { Finished(summary, sent); },
            Qt::QueuedConnection);
    });
}

std::optional<std::unordered_map<std::string, interop::ResultDelivery>>
DeliveryPanel::States() const {
    const InterfaceSettings link = LinkSettings();
    if (!link.enabled && link.destination.empty()) {
        return std::nullopt;
    }
    interop::Outbox outbox;
    std::unordered_map<std::string, interop::ResultDelivery> states;
    if (!outbox.Open(interop::Outbox::PathFor(users_.DataFolder(), users_.ActiveUserId())) ||
        !outbox.ResultStates(states)) {
        return std::nullopt;
    }
    return states;
}

QColor DeliveryPanel::StateColor(interop::DeliveryState state) {
    switch (state) {
    case interop::DeliveryState::Sent:
        return QColor(0xc8, 0xe6, 0xc9);
    case interop::DeliveryState::Held:
        return QColor(0xef, 0x9a, 0x9a);
    case interop::DeliveryState::Pending:
        break;
    }
    return QColor(0xff, 0xe0, 0x82);
}

void DeliveryPanel::ShowPending() {
    const InterfaceSettings link = LinkSettings();
    if (!link.enabled && link.destination.empty()) {
        pending_->setText(tr("Laboratory interface not set up"));
        return;
    }
    Refresh(false);
}

void DeliveryPanel::AfterDownload(ResultKind kind, const std::string& meterModel) {
    if (!LinkSettings().enabled) {
        return;
    }
    interop::DeliveryJob job = Job(true);
    const UserFiles files = users_.FilesOf(users_.ActiveUserId());
    job.meterModel = meterModel;
    job.downloadedKind = kind;
    job.downloadFile = kind == ResultKind::HbA1c ? files.hba1cDownload : files.glucoseDownload;
    Start(job);
}

void DeliveryPanel::WaitForRun() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void DeliveryPanel::Finished(interop::DeliverySummary summary, bool sent) {
    running_ = false;
    send_->setEnabled(true);
    summary_ = std::move(summary);
    // Held for want of a patient is the operator's to mend, not the receiver's refusal.
    Expected<std::vector<interop::StoredResult>> withoutPatient = HeldWithoutPatient();
    const int noPatient = withoutPatient ? static_cast<int>(withoutPatient->size()) : 0;
    noPatient_->setText(tr("No patient: %1").arg(noPatient));
    noPatient_->setVisible(noPatient > 0);
    QString text = tr("Pending: %1").arg(summary_.pending + summary_.heldTotal);
    if (summary_.heldTotal > noPatient) {
        text += tr(" (held by the receiver: %1)").arg(summary_.heldTotal - noPatient);
    }
    if (sent) {
        text += tr(" - sent %1").arg(summary_.sent);
    }
    if (!summary_.status) {
        text += QStringLiteral(" - ") + MessageText(summary_.status.error());
    }
    pending_->setText(text);
    pending_->setToolTip(tr("Row numbers: green sent, amber pending, red held by the receiver"));
    emit runFinished();
}

Expected<std::vector<interop::StoredResult>> DeliveryPanel::HeldWithoutPatient() const {
    std::vector<interop::StoredResult> results;
    const std::string path = interop::Outbox::PathFor(users_.DataFolder(), users_.ActiveUserId());
    if (::access(path.c_str(), F_OK) != 0) {
        return results; // nothing queued yet: the outbox is made by the first run
    }
    interop::Outbox outbox;
    if (Status opened = outbox.Open(path); !opened) {
        return opened;
    }
    Expected<std::vector<interop::OutboxEntry>> held = outbox.HeldFor(interop::kNoPatientReason);
    if (!held) {
        return held.error();
    }
    for (const interop::OutboxEntry& entry : *held) {
        // An entry queued before the outbox kept its result names no row to open.
        if (std::optional<interop::StoredResult> result = interop::DecodeStoredResult(entry.result);
            result && !result->resultId.empty()) {
            results.push_back(std::move(*result));
        }
    }
    return results;
}

void DeliveryPanel::ShowWithoutPatient() {
    QDialog dialog(this);
    dialog.setObjectName("withoutPatientDialog");
    dialog.setWindowTitle(tr("Results without a patient"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* note = new QLabel(tr("These results name no patient and are not sent. Open one to "
                               "give it its patient; it goes at the next send."),
                            &dialog);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* table = new QTableWidget(&dialog);
    table->setObjectName("withoutPatientList");
    table->setColumnCount(4);
    table->setHorizontalHeaderLabels({tr("Kind"), tr("Date"), tr("Time"), tr("Result")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton* open = buttons->addButton(tr("Give a patient..."), QDialogButtonBox::ActionRole);
    open->setObjectName("withoutPatientOpen");
    layout->addWidget(buttons);
    auto shown = std::make_shared<std::vector<interop::StoredResult>>();
    const SettingsStore& settings = users_.Settings();
    const auto fill = [this, table, open, shown, &settings] {
        Expected<std::vector<interop::StoredResult>> held = HeldWithoutPatient();
        *shown = held ? std::move(*held) : std::vector<interop::StoredResult>{};
        // Newest first, as the list shows results.
        std::reverse(shown->begin(), shown->end());
        table->setRowCount(static_cast<int>(shown->size()));
        for (int row = 0; row < table->rowCount(); ++row) {
            const interop::StoredResult& result = (*shown)[static_cast<std::size_t>(row)];
            const bool hba1c = result.kind == ResultKind::HbA1c;
            const QString cells[] = {
                hba1c ? QStringLiteral("HbA1c") : tr("Glucose"),
                Utf8(FormatDateText(settings, result.date, result.time)),
                Utf8(FormatTimeText(settings, result.date, result.time)),
                Utf8(hba1c ? FormatHbA1cText(settings, result.value, false)
                           : FormatGlucoseText(settings, result.value)),
            };
            for (int column = 0; column < 4; ++column) {
                table->setItem(row, column, new QTableWidgetItem(cells[column]));
            }
        }
        if (!shown->empty()) {
            table->selectRow(0);
        }
        open->setEnabled(!shown->empty() && assign_);
    };
    fill();
    const auto openSelected = [this, table, shown] {
        const int row = table->currentRow();
        if (row < 0 || row >= static_cast<int>(shown->size()) || !assign_) {
            return;
        }
        const interop::StoredResult result = (*shown)[static_cast<std::size_t>(row)];
        if (assign_(result.kind, result.resultId)) {
            // Queued anew under its patient (and the release audited) by a run of its own.
            Refresh(false);
        }
    };
    connect(open, &QPushButton::clicked, &dialog, openSelected);
    connect(table, &QTableWidget::cellDoubleClicked, &dialog, openSelected);
    connect(this, &DeliveryPanel::runFinished, &dialog, fill);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialogRunner_ ? dialogRunner_(dialog) : dialog.exec();
}

bool DeliveryPanel::ExportSelection(const QString& format) {
    const bool hl7 = format == QStringLiteral("hl7");
    const QString path = savePath_(this, hl7 ? tr("HL7 v2 (*.hl7)") : tr("FHIR bundle (*.json)"));
    if (path.isEmpty()) {
        return false;
    }
    const std::vector<interop::StoredResult> results =
        selection_ ? selection_() : std::vector<interop::StoredResult>{};
    interop::MessageContext context = Context();
    // Like the list export: never a device, a link or a file of the data folder.
    const Status target = CheckOutputTarget(path.toStdString(), users_.DataFolder());
    std::string refused = target ? std::string() : MessageUtf8(target.error());
    if (refused.empty()) {
        // Both files name patients and results in the installation's namespace, made on
        // first use.
        if (const Expected<Uuid> installation = InstallationUuid(users_.DataFolder())) {
            context.installation = *installation;
        } else {
            refused = MessageUtf8(installation.error());
        }
    }
    if (refused.empty()) {
        const Status written = ReplaceFileAtomically(
            path.toStdString(), hl7 ? interop::ComposeHl7Batch(results, context)
                                    : interop::ComposeFhirBundle(results, context));
        refused = written ? std::string() : MessageUtf8(written.error());
    }
    if (!refused.empty()) {
        prompter_.Inform(Message::Verbatim(tr("The file could not be written:\r\n%1")
                                               .arg(QString::fromStdString(refused))
                                               .toStdString()),
                         MessageId::CaptionProgram, Prompter::Severity::Warning);
        return false;
    }
    return true;
}

void DeliveryPanel::EditLinkSettings() {
    InterfaceSettings link = LinkSettings();
    QDialog dialog(this);
    dialog.setObjectName("interfaceSettingsDialog");
    dialog.setWindowTitle(tr("Laboratory interface"));
    auto* form = new QFormLayout(&dialog);
    auto* enabled = new QCheckBox(tr("Send new results after each download"), &dialog);
    enabled->setChecked(link.enabled);
    auto* destination = new QLineEdit(Utf8(link.destination), &dialog);
    destination->setPlaceholderText(QStringLiteral("mllp://host:port, https://host/fhir"));
    // Room for a whole FHIR base URL, which is longer than the other fields.
    destination->setMinimumWidth(destination->fontMetrics().horizontalAdvance(QLatin1Char('x')) *
                                 42);
    destination->setToolTip(
        tr("An MLLP receiver, mllp://host:port, or a FHIR server's base URL, http(s)://host/path"));
    auto* sendingApp = new QLineEdit(Utf8(link.sendingApplication), &dialog);
    auto* sendingFacility = new QLineEdit(Utf8(link.sendingFacility), &dialog);
    auto* receivingApp = new QLineEdit(Utf8(link.receivingApplication), &dialog);
    auto* receivingFacility = new QLineEdit(Utf8(link.receivingFacility), &dialog);
    auto* timeout = new QSpinBox(&dialog);
    timeout->setRange(1, 600);
    timeout->setValue(link.ackTimeoutSeconds);
    timeout->setSuffix(QStringLiteral(" s"));
    form->addRow(enabled);
    form->addRow(tr("Destination"), destination);
    form->addRow(tr("Sending application"), sendingApp);
    form->addRow(tr("Sending facility"), sendingFacility);
    form->addRow(tr("Receiving application"), receivingApp);
    form->addRow(tr("Receiving facility"), receivingFacility);
    form->addRow(tr("Answer time-out"), timeout);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    const auto where = [destination] { return destination->text().trimmed().toStdString(); };
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [this, &dialog, destination, where] {
        const std::string to = where();
        if (!to.empty() && !interop::ParseMllpDestination(to) && !interop::ParseFhirBase(to)) {
            // The dialog stays open with all that was typed in it, the address to mend.
            prompter_.Inform(
                Message::Verbatim(tr("The destination is written mllp://host:port, or as "
                                     "a FHIR server's base URL http(s)://host/path.")
                                      .toStdString()),
                MessageId::CaptionProgram, Prompter::Severity::Warning);
            destination->setFocus();
            destination->selectAll();
            return;
        }
        dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    link.enabled = enabled->isChecked();
    link.destination = where();
    link.sendingApplication = sendingApp->text().toStdString();
    link.sendingFacility = sendingFacility->text().toStdString();
    link.receivingApplication = receivingApp->text().toStdString();
    link.receivingFacility = receivingFacility->text().toStdString();
    link.ackTimeoutSeconds = timeout->value();
    if (!SaveLinkSettings(link)) {
        prompter_.Inform(
            Message::Verbatim(tr("The settings file could not be written.").toStdString()),
            MessageId::CaptionProgram, Prompter::Severity::Warning);
    }
}

void DeliveryPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The pending line is composed with counts: it is read and composed again.
    if (event->type() == QEvent::LanguageChange && !running_) {
        ShowPending();
    }
}

} // namespace qa
