#pragma once

#include "interop/delivery.h"
#include "store/interface_settings.h"

#include <QColor>
#include <QWidget>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

class QDialog;
class QLabel;
class QPushButton;
class QTableWidget;

namespace qa {

class Prompter;
class UserStore;

// The link to the laboratory system on the all-data page: how many results still wait,
// "Send pending", the selection exported as HL7 or FHIR, and the interface settings.
// Queueing and sending run on a thread of their own with their own connections to the
// files, so the window never waits for the network.
class DeliveryPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kSendText = QT_TR_NOOP("Send pending");
    // Asks where an export goes; empty when cancelled. `filter` is a file-dialog filter.
    using SavePathFn = std::function<QString(QWidget* parent, const QString& filter)>;
    // The results the operator selected (the list shown when none is).
    using SelectionFn = std::function<std::vector<interop::StoredResult>()>;

    // Opens a result held for want of a patient, by its kind and result ID, for the operator
    // to give it one; true when the patient was given.
    using AssignPatientFn = std::function<bool(ResultKind kind, const std::string& resultId)>;
    using DialogRunner = std::function<int(QDialog& dialog)>;

    DeliveryPanel(UserStore& users, Prompter& prompter, QWidget* parent = nullptr);
    ~DeliveryPanel() override;

    void SetSelection(SelectionFn selection) { selection_ = std::move(selection); }
    void SetSavePath(SavePathFn savePath) { savePath_ = std::move(savePath); }
    void SetAssignPatient(AssignPatientFn assign) { assign_ = std::move(assign); }
    // Test seam: runs the list of results held without a patient.
    void SetDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }

    // The results held for want of a patient (none entered, or the meter's placeholder),
    // oldest first, as they were queued.
    Expected<std::vector<interop::StoredResult>> HeldWithoutPatient() const;
    // Lists them; the operator opens one to give it a patient, and it goes at the next send.
    void ShowWithoutPatient();

    // Queues new results and counts (and with `send`, sends) in the background; with the
    // interface off, a send only counts. Ignored while a run is on.
    void Refresh(bool send);
    // Counts what waits, when an interface is set up at all.
    void ShowPending();
    // After a download: new results go out when the interface is on, naming the meter they
    // came from.
    void AfterDownload(ResultKind kind, const std::string& meterModel);
    bool Running() const { return running_; }
    // Blocks until the background run has ended (tests, closing).
    void WaitForRun();

    bool ExportSelection(const QString& format); // "hl7" or "fhir"

    // The delivery state of every queued result by control ID (a result not queued yet is
    // pending); nothing while no interface is set up.
    // Each result's delivery, by result key (by control ID for results the outbox knows by
    // that alone); nothing when the interface is not set up or the outbox cannot be read.
    std::optional<std::unordered_map<std::string, interop::ResultDelivery>> States() const;
    // Background of a row's number cell: pending amber, held red, sent green.
    static QColor StateColor(interop::DeliveryState state);

    InterfaceSettings LinkSettings() const;
    bool SaveLinkSettings(const InterfaceSettings& settings);
    void EditLinkSettings();

    const interop::DeliverySummary& LastSummary() const { return summary_; }
    QLabel* PendingLabel() const { return pending_; }
    QPushButton* SendButton() const { return send_; }
    QPushButton* Hl7Button() const { return hl7_; }
    QPushButton* FhirButton() const { return fhir_; }
    QPushButton* SetupButton() const { return setup_; }
    // "No patient: N", shown while results are held for want of a patient.
    QPushButton* WithoutPatientButton() const { return noPatient_; }

signals:
    void runFinished();

protected:
    void changeEvent(QEvent* event) override;

private:
    interop::DeliveryJob Job(bool send) const;
    void Start(const interop::DeliveryJob& job);
    interop::MessageContext Context() const;
    void Finished(interop::DeliverySummary summary, bool sent);

    UserStore& users_;
    Prompter& prompter_;
    QLabel* pending_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* hl7_ = nullptr;
    QPushButton* fhir_ = nullptr;
    QPushButton* setup_ = nullptr;
    QPushButton* noPatient_ = nullptr;
    SelectionFn selection_;
    AssignPatientFn assign_;
    DialogRunner dialogRunner_;
    SavePathFn savePath_;
    interop::DeliverySummary summary_;
    bool running_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace qa
