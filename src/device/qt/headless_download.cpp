#include "device/qt/headless_download.h"

#include "device/importer.h"
#include "device/qt/qt_session_timers.h"
#include "device/qt/serial_channel.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <memory>

namespace qa {

namespace {

// Watches what the session tells the operator: the "no data" message ends a download
// successfully, any other message ends it as failed.
class OutcomePrompter : public Prompter {
public:
    explicit OutcomePrompter(Prompter& inner) : inner_(inner) {}
    bool Confirm(const Message& text, const Message& caption) override {
        return inner_.Confirm(text, caption);
    }
    void Inform(const Message& text, const Message& caption, Severity severity) override {
        inner_.Inform(text, caption, severity);
        if (!outcome) {
            outcome = text.id == kNoDataText ? HeadlessDownload::Outcome::NoData
                                             : HeadlessDownload::Outcome::Failed;
        }
    }
    bool AskRetry(const Message& text, const Message& caption) override {
        const bool retry = inner_.AskRetry(text, caption);
        if (!retry && !outcome) {
            outcome = HeadlessDownload::Outcome::Failed;
        }
        return retry;
    }
    std::optional<HeadlessDownload::Outcome> outcome;

private:
    Prompter& inner_;
};

} // namespace

HeadlessDownload::HeadlessDownload(UserStore& users, Clock& clock, Prompter& prompter,
                                   std::function<void(const Message&)> progress,
                                   SessionTimers* timers)
    : users_(users), clock_(clock), prompter_(prompter), progress_(std::move(progress)),
      externalTimers_(timers) {}

HeadlessDownload::~HeadlessDownload() = default;

void HeadlessDownload::SetProgressText(const Message& text) {
    // The receiving texts alternate per byte: a text among the last two is not repeated.
    if (text == last_[0] || text == last_[1]) {
        return;
    }
    last_[1] = last_[0];
    last_[0] = text;
    if (progress_) {
        progress_(text);
    }
}

void HeadlessDownload::StartImport(const Transfer& transfer) {
    importStarted_ = true;
    // Leave the session's step first: the import's outcome goes back into the session.
    QTimer::singleShot(0, [this, transfer] { Import(transfer); });
}

void HeadlessDownload::ImportEnded(const Expected<ImportSummary>& outcome) {
    if (!outcome.ok() && IsStoreFailure(outcome.error()) && !outcome.error().args.empty() &&
        progress_) {
        progress_(Message::Verbatim(outcome.error().args[0]));
    }
    if (outcome.ok()) {
        skippedDeleted_ = outcome->skippedDeleted;
        skippedCorrected_ = outcome->skippedCorrected;
    }
    if (!finished_) {
        finished_ = outcome.ok() ? Outcome::Imported : Outcome::Failed;
    }
}

void HeadlessDownload::Import(const Transfer& transfer) {
    if (session_ == nullptr) {
        return;
    }
    ImportServices services{users_.DataFolder(), *this};
    services.port = port_;
    // The session ends the exchange with the meter and reports through ImportEnded.
    session_->ImportFinished(
        transfer.kind == ResultKind::HbA1c
            ? ImportHbA1cResults(transfer, users_.HbA1cMain(), users_.HbA1cDownload(), services)
            : ImportGlucoseResults(transfer, users_.GlucoseMain(), users_.GlucoseDownload(),
                                   services));
}

HeadlessDownload::Result HeadlessDownload::Run(const std::string& portText,
                                               const std::string& device, ResultKind kind,
                                               bool eraseAfterDownload, int limitMs) {
    port_ = device.empty() ? portText : device;
    OutcomePrompter prompter(prompter_);
    DownloadSession* session = nullptr;
    SerialChannel channel([&] { return session->CurrentReplyCode(); },
                          [&](int code, char byte) { session->OnByte(code, byte); });
    QtSessionTimers qtTimers([&](int id) { session->OnTimer(id); });
    SessionTimers& timers = externalTimers_ ? *externalTimers_ : qtTimers;
    DownloadSession realSession(channel, timers, clock_, prompter, *this);
    session = session_ = &realSession;
    finished_.reset();
    imported_ = 0;
    skippedDeleted_ = 0;
    skippedCorrected_ = 0;
    importStarted_ = false;

    Result result;
    if (session->Connect(portText, device, kind, eraseAfterDownload)) {
        QEventLoop loop;
        QTimer poll;
        QElapsedTimer elapsed;
        elapsed.start();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // Once the transfer is with the importer the session refuses: what is stored
            // stays stored, and the exchange ends as after any import.
            if (cancelRequest_ != nullptr && cancelRequest_->load() && !finished_ &&
                session->Cancel()) {
                finished_ = Outcome::Cancelled;
            }
            // After the hand-over the import's own end decides (ImportEnded), even when the
            // line failed while the exchange was being ended.
            if (prompter.outcome && !finished_ && !importStarted_) {
                finished_ = prompter.outcome;
            }
            if (finished_ || elapsed.elapsed() > limitMs) {
                loop.quit();
            }
        });
        poll.start(10);
        loop.exec();
    }
    realSession.runFlag = false;
    channel.Close();
    session_ = nullptr;
    result.outcome = finished_.value_or(Outcome::Failed);
    result.imported = imported_;
    result.skippedDeleted = skippedDeleted_;
    result.skippedCorrected = skippedCorrected_;
    return result;
}

} // namespace qa
