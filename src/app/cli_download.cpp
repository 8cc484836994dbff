#include "app/cli_common.h"

#include "device/clock.h"
#include "device/port_discovery.h"
#include "device/qt/headless_download.h"
#include "i18n/language.h"

#include <atomic>
#include <csignal>

namespace qa::cli {

namespace {

// SIGINT and SIGTERM during a download only raise this flag; the download loop polls it
// and stops the exchange cleanly, so the process can say what happened and exit 1.
std::atomic<bool> gStopDownload{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void RequestDownloadStop(int) {
    gStopDownload.store(true);
}

// Installs the stop handlers for the lifetime of one download, then puts back what was there.
class StopSignals {
public:
    StopSignals() {
        gStopDownload = false;
        struct sigaction action {};
        action.sa_handler = RequestDownloadStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

} // namespace

int Cli::Download() {
    if (int code = Extra(0); code != kExitOk) {
        return code;
    }
    auto port = Value(options_, "--port");
    std::optional<ResultKind> kind = KindOption(options_);
    if (!port || port->empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "download needs --port DEVICE")));
    }
    if (!kind) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--kind is hba1c or glucose")));
    }
    if (!Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(); code != kExitOk) {
        return code;
    }
    const std::unique_ptr<QCoreApplication> app = EventLoopApplication();
    ApplyLanguage(CurrentLanguage());
    SteadyClock clock;
    HeadlessDownload download(*users_, clock, prompter_, [this](const Message& text) {
        err_ << ConsoleText(MessageUtf8(text)) << "\n";
    });
    auto device = PortDevicePath(*port);
    StopSignals stopSignals;
    download.SetCancelRequest(&gStopDownload);
    auto result =
        download.Run(*port, device.value_or(""), *kind, options_.flags.count("--erase") != 0);
    if (result.outcome == HeadlessDownload::Outcome::Cancelled) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Download cancelled: nothing of the "
                                                     "transfer was stored, and the meter "
                                                     "keeps its results."))
             << "\n";
        return kExitFailed;
    }
    if (result.outcome == HeadlessDownload::Outcome::Failed) {
        return kExitFailed;
    }
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "imported %1"), {std::to_string(result.imported)})
         << "\n";
    // What the meter still holds of the results the operator deleted or corrected.
    if (result.skippedDeleted > 0) {
        out_ << ConsoleText(MessageUtf8(
                    Message(MessageId::SkippedDeleted, {std::to_string(result.skippedDeleted)})))
             << "\n";
    }
    if (result.skippedCorrected > 0) {
        out_ << ConsoleText(MessageUtf8(Message(MessageId::SkippedCorrected,
                                                {std::to_string(result.skippedCorrected)})))
             << "\n";
    }
    return kExitOk;
}

} // namespace qa::cli
