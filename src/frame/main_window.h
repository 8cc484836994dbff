#pragma once

#include "device/clock.h"
#include "device/download_session.h"
#include "device/port_discovery.h"
#include "device/qt/qt_session_timers.h"
#include "device/qt/serial_channel.h"
#include "frame/lock_keys.h"
#include "frame/session_dialogs.h"
#include "frame/session_worker.h"
#include "frame/skinned_frame.h"
#include "views/pages.h"
#include "views/ui_services.h"

#include <QPointer>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

class QStackedWidget;
class QLabel;
class QStatusBar;
class QTimer;

namespace qa {

class AllDataPage;
class PrintDialogService;
class UserStore;

// The one main window: hosts one page at a time, routes the frame commands, owns the
// download session and its worker, and shuts everything down in a safe order.
class MainWindow : public SkinnedFrame, public SessionHost {
    Q_OBJECT
public:
    static constexpr const char* kTitle = QT_TR_NOOP("QuorinA1c 관리 프로그램 v1.09");
    enum View { kViewWaiting = 0, kViewHome = 1, kViewDownload = 2, kViewAllData = 3 };

    struct Services {
        UserStore& users;
        Prompter& prompter;
        FileService& files;
        PrintDialogService* print = nullptr;
        std::string sysfsRoot = "/";
        // A port listed first and taken as the meter's (the simulated meter of the demo).
        std::string extraPort;
    };

    explicit MainWindow(Services services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs once after the window is shown: users, settings, pages, home page.
    void LateStartup();
    // The one entry of the pages' commands (and of the window's own).
    void Command(FrameCommand command);
    void SwitchView(int from, int to);
    int ActiveView() const;

    DownloadSession& Session() { return *session_; }
    ProcessDialog* Process() const { return process_; }
    GetDataDialog* OpenGetData() const { return getData_; }
    DownloadPage* Download() const { return downloadPage_; }
    AllDataPage* AllData() const { return allDataPage_; }
    bool ImportRunning() const { return importRunning_; }
    DiscoveryResult LastDiscovery() const;
    // Runs discovery here and now (the dialog's port-search button).
    void SearchPortsNow();
    // How many port searches have run (for checks that a search starts once).
    int DiscoveryCount() const { return discoveries_.load(); }

    // SessionHost
    void SetProgressText(const Message& text) override;
    void HideProgress() override;
    void StartImport(const Transfer& transfer) override;
    void ShowNewRecords(int importedCount) override;
    void ImportEnded(const Expected<ImportSummary>& outcome) override;
    // Discovery finished: opens the "Get data" dialog, or refreshes the open one.
    void PortsFound();
    void TransferProgress(int received, int announced) override;
    void SessionRunning(bool running) override;

    // The Process window's Cancel: stops the exchange, stores nothing, tells the meter
    // nothing; the pages work again at once.
    void CancelDownload();
    // A download or its import is under way: the download command waits for its end.
    bool DownloadBusy() const;

    // The About box, opened without blocking (the caption icon and F1).
    void ShowAbout();
    // The keyboard's lock keys as the status bar shows them; the fields are absent
    // (null) where the window system does not tell their state.
    QLabel* LockKeyField(int index) const;
    // Reads the lock keys again (a timer does it while the window is active).
    void RefreshLockKeys();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class WorkerImportHost;
    DiscoveryResult Discover() const;
    void DiscoveryFinished(const DiscoveryResult& result);
    void RunImport(const Transfer& transfer);
    void ImportFinished(const Expected<ImportSummary>& outcome);
    void EnableDownloadCommand(bool enabled);
    void ShowGetDataDialog();
    void ShowSettingsDialog();
    void ApplySettingsChange(bool otherOperator);
    void AddShortcuts();
    void AddLockKeyFields(QStatusBar* bar);

    Services services_;
    SteadyClock clock_;
    std::unique_ptr<SerialChannel> channel_;
    std::unique_ptr<QtSessionTimers> timers_;
    std::unique_ptr<DownloadSession> session_;
    std::unique_ptr<SessionWorker> worker_;

    QStackedWidget* views_ = nullptr;
    QLabel* status_ = nullptr;
    std::array<QLabel*, 3> lockFields_{};
    QTimer* lockTimer_ = nullptr;
    ProcessDialog* process_ = nullptr;
    QPointer<GetDataDialog> getData_;
    HomePage* homePage_ = nullptr;
    DownloadPage* downloadPage_ = nullptr;
    AllDataPage* allDataPage_ = nullptr;
    bool started_ = false;
    bool importRunning_ = false;
    std::string importPort_; // for the audit log of the import
    bool closing_ = false;
    ResultKind importKind_ = ResultKind::HbA1c;
    std::string importMeterModel_;

    mutable std::atomic<int> discoveries_{0};
    mutable std::mutex discoveryMutex_;
    DiscoveryResult lastDiscovery_;

    // Progress texts from the worker arrive once per checked byte: only the newest is
    // kept, and one pending update carries it to the window.
    std::mutex progressMutex_;
    Message pendingProgress_;
    bool progressPosted_ = false;
};

} // namespace qa
