#pragma once

#include "device/clock.h"
#include "device/download_session.h"
#include "store/prompter.h"
#include "store/users.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace qa {

// A whole download without a window: the serial channel, the session and the import run on
// the calling thread's event loop, and the import runs in place of the window's worker.
// The command line uses it, and so do the end-to-end tests (with a faster clock).
class HeadlessDownload : public SessionHost, public ImportHost {
public:
    enum class Outcome { Imported, NoData, Failed, Cancelled };
    struct Result {
        Outcome outcome = Outcome::Failed;
        int imported = 0;
        int skippedDeleted = 0; // see ImportSummary
        int skippedCorrected = 0;
    };

    // `timers` may be null: Qt timers on this thread are used then.
    HeadlessDownload(UserStore& users, Clock& clock, Prompter& prompter,
                     std::function<void(const Message&)> progress, SessionTimers* timers = nullptr);
    ~HeadlessDownload() override;

    // Runs until the exchange is over or `limitMs` of real time have passed. A Qt event
    // loop must be possible on this thread (a QCoreApplication exists).
    Result Run(const std::string& portText, const std::string& device, ResultKind kind,
               bool eraseAfterDownload, int limitMs = 10 * 60 * 1000);

    // Polled while the download runs: once it reads true the exchange stops as the window's
    // Cancel stops it (nothing stored, the meter told nothing) and Run returns Cancelled.
    // Set from a signal handler, so only a lock-free flag.
    void SetCancelRequest(const std::atomic<bool>* flag) { cancelRequest_ = flag; }

    // For timers given from outside: forwards a tick to the running session.
    void Tick(int id) {
        if (session_ != nullptr) {
            session_->OnTimer(id);
        }
    }

    // SessionHost (its SetProgressText serves the import as well)
    void SetProgressText(const Message& text) override;
    void HideProgress() override {}
    void StartImport(const Transfer& transfer) override;
    void ShowNewRecords(int count) override { imported_ = count; }
    void ImportEnded(const Expected<ImportSummary>& outcome) override;

private:
    void Import(const Transfer& transfer);

    UserStore& users_;
    Clock& clock_;
    Prompter& prompter_;
    std::function<void(const Message&)> progress_;
    SessionTimers* externalTimers_;
    DownloadSession* session_ = nullptr;
    std::optional<Outcome> finished_;
    const std::atomic<bool>* cancelRequest_ = nullptr;
    int imported_ = 0;
    int skippedDeleted_ = 0;
    int skippedCorrected_ = 0;
    bool importStarted_ = false;
    std::string port_; // for the audit log of the import
    Message last_[2];
};

} // namespace qa
