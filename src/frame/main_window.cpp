#include "frame/main_window.h"

#include "device/importer.h"
#include "frame/window_placement.h"
#include "i18n/language.h"
#include "i18n/message_text.h"
#include "store/users.h"
#include "views/all_data_page.h"
#include "views/delivery_panel.h"
#include "views/settings_dialog.h"
#include "widgets/image_button.h"
#include "widgets/retranslate.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>

#include <initializer_list>

namespace qa {

// The importer's side of the window, used on the worker thread: progress texts are only
// handed over, the newest one at a time.
class MainWindow::WorkerImportHost : public ImportHost {
public:
    explicit WorkerImportHost(MainWindow& frame) : frame_(frame) {}
    void SetProgressText(const Message& text) override {
        std::lock_guard lock(frame_.progressMutex_);
        frame_.pendingProgress_ = text;
        if (frame_.progressPosted_) {
            return;
        }
        frame_.progressPosted_ = true;
        QMetaObject::invokeMethod(
            &frame_,
            [frame = &frame_] {
                Message latest;
                {
                    std::lock_guard pendingLock(frame->progressMutex_);
                    latest = frame->pendingProgress_;
                    frame->progressPosted_ = false;
                }
                frame->SetProgressText(latest);
            },
            Qt::QueuedConnection);
    }

private:
    MainWindow& frame_;
};

MainWindow::MainWindow(Services services, QWidget* parent)
    : SkinnedFrame(parent), services_(std::move(services)) {
    // The catalogue is in place before the first text: every text shown from here on can be
    // shown again in the operator's language once the operator is known. The language layer
    // knows no widgets; the window tells it how they show their texts again.
    SetWidgetRetranslator(
        [](QObject* widget) { RetranslateWidget(static_cast<QWidget*>(widget), TranslateAgain); });
    ApplyLanguage(CurrentLanguage());
    setWindowTitle(tr(kTitle));
    setWindowIcon(AppIcon());
    setMinimumSize(kMinimumWindowSize);
    resize(kDefaultWindowSize);

    channel_ = std::make_unique<SerialChannel>(
        [this] { return session_->CurrentReplyCode(); },
        [this](int code, char byte) { session_->OnByte(code, byte); });
    timers_ = std::make_unique<QtSessionTimers>([this](int id) { session_->OnTimer(id); });
    session_ =
        std::make_unique<DownloadSession>(*channel_, *timers_, clock_, services_.prompter, *this);
    session_->SetDownloadMarker(-1);

    views_ = new QStackedWidget(this);
    views_->addWidget(new WaitingPage(views_));
    setCentralWidget(views_);
    auto* bar = new QStatusBar(this);
    status_ = new QLabel(bar);
    bar->addWidget(status_, 1);
    AddLockKeyFields(bar);
    bar->setSizeGripEnabled(true);
    setStatusBar(bar);

    process_ = new ProcessDialog(this);
    process_->hide();
    connect(process_, &ProcessDialog::CancelRequested, this, [this] { CancelDownload(); });
    connect(this, &SkinnedFrame::CaptionIconClicked, this, [this] { ShowAbout(); });

    worker_ = std::make_unique<SessionWorker>(
        [this] {
            DiscoveryResult result = Discover();
            QMetaObject::invokeMethod(
                this, [this, result] { DiscoveryFinished(result); }, Qt::QueuedConnection);
        },
        [this](const Transfer& transfer) { RunImport(transfer); });

    // Centred on the screen, or where the operator left it if that is still on a screen.
    RestoreWindowPlacement(*this);
}

void MainWindow::AddLockKeyFields(QStatusBar* bar) {
    if (!ReadLockKeys()) {
        return;
    }
    const char* names[] = {QT_TR_NOOP("CAP"), QT_TR_NOOP("NUM"), QT_TR_NOOP("SCRL")};
    for (std::size_t i = 0; i < lockFields_.size(); ++i) {
        lockFields_[i] = new QLabel(tr(names[i]), bar);
        lockFields_[i]->setObjectName(QString::fromLatin1(names[i]));
        bar->addPermanentWidget(lockFields_[i]);
    }
    RefreshLockKeys();
    // Another program may switch a lock key while this window is in the background.
    lockTimer_ = new QTimer(this);
    lockTimer_->setInterval(300);
    connect(lockTimer_, &QTimer::timeout, this, [this] { RefreshLockKeys(); });
    lockTimer_->start();
}

QLabel* MainWindow::LockKeyField(int index) const {
    return index >= 0 && index < static_cast<int>(lockFields_.size())
               ? lockFields_[static_cast<std::size_t>(index)]
               : nullptr;
}

void MainWindow::RefreshLockKeys() {
    if (lockFields_[0] == nullptr) {
        return;
    }
    const std::optional<LockKeyState> state = ReadLockKeys();
    const bool on[] = {state && state->caps, state && state->num, state && state->scroll};
    for (std::size_t i = 0; i < lockFields_.size(); ++i) {
        lockFields_[i]->setEnabled(on[i]);
    }
}

void MainWindow::ShowAbout() {
    if (findChild<AboutDialog*>() != nullptr) {
        return;
    }
    auto* about = new AboutDialog(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void MainWindow::AddShortcuts() {
    // Window-wide keys act on the page shown; a command whose button is disabled does
    // nothing, as its button would.
    auto add = [this](const QKeySequence& keys, std::function<void()> act) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, run = std::move(act)] {
            if (started_ && !closing_ && views_->isEnabled()) {
                run();
            }
        });
        addAction(action);
    };
    auto tip = [](ImageButton* button, const QKeySequence& keys) {
        button->SetToolTipText(button->ToolTipText() + QStringLiteral(" (") +
                               keys.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    };
    const QKeySequence print(Qt::CTRL | Qt::Key_P);
    const QKeySequence exportKeys(Qt::CTRL | Qt::Key_E);
    const QKeySequence refresh(Qt::Key_F5);
    const QKeySequence find(Qt::CTRL | Qt::Key_F);
    add(print, [this] {
        if (ActiveView() == kViewAllData) {
            allDataPage_->PrintButton()->click();
        }
    });
    add(exportKeys, [this] {
        if (ActiveView() == kViewAllData) {
            allDataPage_->ExportButton()->click();
        } else if (ActiveView() == kViewDownload) {
            downloadPage_->ExportButton()->click();
        }
    });
    add(refresh, [this] {
        if (ActiveView() == kViewAllData) {
            allDataPage_->Refresh();
        }
    });
    add(find, [this] {
        if (ActiveView() == kViewAllData) {
            allDataPage_->FocusSearch();
        }
    });
    // F1 is "help" everywhere; here the About box, as the caption icon's menu has it.
    auto* about = new QAction(this);
    about->setShortcut(QKeySequence(Qt::Key_F1));
    connect(about, &QAction::triggered, this, [this] { ShowAbout(); });
    addAction(about);

    tip(allDataPage_->PrintButton(), print);
    tip(allDataPage_->ExportButton(), exportKeys);
    tip(downloadPage_->ExportButton(), exportKeys);
    allDataPage_->SearchField()->setToolTip(
        tr("A patient ID or name; Enter lists that patient (%1)")
            .arg(find.toString(QKeySequence::NativeText)));
    allDataPage_->List()->setToolTip(tr("Delete: delete the selected result. %1: reload the list.")
                                         .arg(refresh.toString(QKeySequence::NativeText)));
}

MainWindow::~MainWindow() {
    session_->runFlag = false;
    if (worker_ && !worker_->Stop(3000)) {
        (void)worker_.release(); // still blocked: leave it rather than free what it uses
    }
}

void MainWindow::LateStartup() {
    if (started_) {
        return;
    }
    started_ = true;
    // Files that cannot be opened (damaged, unreadable) are named now, not shown as a user
    // without results; the pages show what opened.
    (void)services_.users.ReloadAndReport();
    ApplyLanguage(LanguageFromSetting(services_.users.Settings().language));
    session_->SetDownloadMarker(-1);
    FrameCommandFn command = [this](FrameCommand code) { Command(code); };
    homePage_ = new HomePage(command, views_);
    downloadPage_ = new DownloadPage(
        services_.users, services_.prompter, services_.files, command,
        [this] { worker_->RequestDiscovery(); },
        [this](LiveText text) { process_->SetProgressText(std::move(text)); }, views_);
    allDataPage_ = new AllDataPage(services_.users, services_.prompter, services_.files,
                                   services_.print, command, views_);
    views_->addWidget(homePage_);
    views_->addWidget(downloadPage_);
    views_->addWidget(allDataPage_);
    process_->adjustSize();
    AddShortcuts();
    SwitchView(kViewWaiting, kViewHome);
}

int MainWindow::ActiveView() const {
    return views_->currentIndex();
}

void MainWindow::SwitchView(int from, int to) {
    (void)from;
    if (to < 0 || to >= views_->count()) {
        return;
    }
    views_->setCurrentIndex(to);
    if (to == kViewDownload) {
        downloadPage_->Activate();
    } else if (to == kViewAllData) {
        allDataPage_->Activate();
    }
}

void MainWindow::Command(FrameCommand command) {
    // While an import writes the tables on the worker, nothing here may read them: the
    // pages are disabled and page commands wait for the end of the import.
    if (importRunning_ || closing_ || !started_) {
        return;
    }
    switch (command) {
    case FrameCommand::Home:
        if (ActiveView() != kViewHome) {
            SwitchView(ActiveView(), kViewHome);
        }
        break;
    case FrameCommand::GetData: {
        // A second "Get data" while one runs would close its port under it.
        if (DownloadBusy()) {
            return;
        }
        {
            std::lock_guard lock(discoveryMutex_);
            lastDiscovery_.found = false;
            lastDiscovery_.foundPort = {};
        }
        if (ActiveView() == kViewDownload) {
            worker_->RequestDiscovery();
        } else {
            SwitchView(ActiveView(), kViewDownload);
        }
        break;
    }
    case FrameCommand::ViewData:
        if (ActiveView() != kViewAllData) {
            SwitchView(ActiveView(), kViewAllData);
        }
        break;
    case FrameCommand::Settings:
        ShowSettingsDialog();
        break;
    case FrameCommand::ReloadList:
        if (ActiveView() == kViewAllData) {
            // New units or formats: the same rows, shown in them.
            allDataPage_->Refresh();
        }
        break;
    }
}

DiscoveryResult MainWindow::Discover() const {
    ++discoveries_;
    DiscoveryResult result = DiscoverPorts(services_.sysfsRoot);
    if (!services_.extraPort.empty()) {
        PortCandidate extra{services_.extraPort, "Simulated meter (" + services_.extraPort + ")",
                            kMeterPortTag};
        result.candidates.insert(result.candidates.begin(), extra);
        result.found = true;
        result.foundPort = extra;
    }
    return result;
}

DiscoveryResult MainWindow::LastDiscovery() const {
    std::lock_guard lock(discoveryMutex_);
    return lastDiscovery_;
}

void MainWindow::DiscoveryFinished(const DiscoveryResult& result) {
    {
        std::lock_guard lock(discoveryMutex_);
        lastDiscovery_ = result;
    }
    session_->foundFlag = result.found;
    if (!closing_ && ShouldOpenGetDataDialog(session_->DownloadMarker())) {
        PortsFound();
    }
}

void MainWindow::SearchPortsNow() {
    DiscoveryFinished(Discover());
}

void MainWindow::PortsFound() {
    if (getData_) {
        getData_->SetPorts(LastDiscovery());
        return;
    }
    ShowGetDataDialog();
}

void MainWindow::ShowGetDataDialog() {
    if (DownloadBusy()) {
        return;
    }
    // What the last download said (an error count, a failure) is not about this one.
    process_->Reset();
    process_->hide();
    GetDataDialog dialog(this);
    getData_ = &dialog;
    UserStore& users = services_.users;
    dialog.SetPorts(LastDiscovery());
    dialog.SetLastPort(LoadLastPort());
    dialog.SetUsers(users.UserList(), users.ActiveUserId());
    connect(&dialog, &GetDataDialog::PortSearchRequested, this, [this] { SearchPortsNow(); });
    connect(&dialog, &GetDataDialog::UserChosen, this, [this, &dialog, &users](const QString& id) {
        if (users.SwitchUser(id.toStdString())) {
            dialog.SetUsers(users.UserList(), users.ActiveUserId());
            // The operator who downloads reads the download in their own language.
            ApplyLanguage(LanguageFromSetting(users.Settings().language));
        }
    });
    int answer = dialog.exec();
    getData_ = nullptr;
    if (answer != QDialog::Accepted || closing_) {
        return;
    }
    std::string port = dialog.PortText();
    SaveLastPort(port);
    std::optional<std::string> device = PortDevicePath(port);
    importPort_ = device.value_or(port);
    // A port that cannot be opened has been reported to the operator by the session.
    (void)session_->Connect(port, device.value_or(""), dialog.Kind(),
                            downloadPage_->EraseAfterDownload());
}

void MainWindow::SetProgressText(const Message& text) {
    process_->SetProgressText([text] { return MessageText(text); });
}

void MainWindow::HideProgress() {
    process_->hide();
}

void MainWindow::StartImport(const Transfer& transfer) {
    importRunning_ = true;
    // The transfer is complete: from here the import's transaction decides, not Cancel.
    process_->SetRunning(false);
    importKind_ = transfer.kind;
    importMeterModel_ = transfer.meterModel;
    // The kind just downloaded is the kind the data page shows next.
    allDataPage_->SetKind(importKind_);
    views_->setEnabled(false);
    worker_->RequestImport(transfer);
}

void MainWindow::RunImport(const Transfer& transfer) {
    WorkerImportHost host(*this);
    UserStore& users = services_.users;
    ImportServices services{users.DataFolder(), host};
    services.port = importPort_;
    Expected<ImportSummary> outcome =
        transfer.kind == ResultKind::HbA1c
            ? ImportHbA1cResults(transfer, users.HbA1cMain(), users.HbA1cDownload(), services)
            : ImportGlucoseResults(transfer, users.GlucoseMain(), users.GlucoseDownload(),
                                   services);
    // The session ends the exchange with the meter and tells the operator, in this window's
    // thread; the worker does not wait for it.
    QMetaObject::invokeMethod(
        this, [this, outcome] { ImportFinished(outcome); }, Qt::QueuedConnection);
}

void MainWindow::ImportFinished(const Expected<ImportSummary>& outcome) {
    // The tables are the window's again; the session still ends the exchange, so a new
    // download waits for it (DownloadBusy).
    importRunning_ = false;
    views_->setEnabled(true);
    session_->ImportFinished(outcome);
}

void MainWindow::ImportEnded(const Expected<ImportSummary>& outcome) {
    if (outcome.ok()) {
        process_->SetDetail([summary = *outcome] {
            QString text = summary.stored == 1 ? tr("1 new result stored.")
                                               : tr("%1 new results stored.").arg(summary.stored);
            // The meter still holds results the operator deleted or corrected: say why they
            // did not come back.
            if (summary.skippedDeleted > 0) {
                text += "\n" +
                        QString::fromStdString(MessageUtf8(Message(
                            MessageId::SkippedDeleted, {std::to_string(summary.skippedDeleted)})));
            }
            if (summary.skippedCorrected > 0) {
                text += "\n" + QString::fromStdString(MessageUtf8(
                                   Message(MessageId::SkippedCorrected,
                                           {std::to_string(summary.skippedCorrected)})));
            }
            return text;
        });
        return;
    }
    // The window must not go on saying "receiving" after the transfer was refused.
    if (IsStoreFailure(outcome.error())) {
        const std::string error = outcome.error().args.empty() ? "" : outcome.error().args[0];
        process_->SetProgressText([] { return tr("Error. the results could not be saved."); });
        process_->SetDetail([error] {
            return QString::fromStdString(error) + "\n" +
                   tr("Nothing was stored; the meter keeps its results.");
        });
    } else {
        SetProgressText(kFramingFailText);
        process_->SetDetail([] {
            return tr("The transfer was refused: nothing was stored, and the meter keeps its "
                      "results.");
        });
    }
}

void MainWindow::TransferProgress(int received, int announced) {
    process_->SetRecords(received, announced);
}

void MainWindow::SessionRunning(bool running) {
    process_->SetRunning(running);
    EnableDownloadCommand(!running);
    if (running && downloadPage_ != nullptr) {
        // The operator started a new download: the list of the last one makes way for it.
        downloadPage_->List()->DeleteAllRows();
    }
}

bool MainWindow::DownloadBusy() const {
    return session_->Running() || importRunning_;
}

void MainWindow::EnableDownloadCommand(bool enabled) {
    for (FormPage* page :
         std::initializer_list<FormPage*>{homePage_, downloadPage_, allDataPage_}) {
        if (page != nullptr) {
            if (ImageButton* button = page->NavButton(FrameCommand::GetData)) {
                button->setEnabled(enabled);
            }
        }
    }
}

void MainWindow::CancelDownload() {
    if (importRunning_ || !session_->Cancel()) {
        return;
    }
    process_->SetProgressText([] {
        return QCoreApplication::translate("qa::ProcessDialog", ProcessDialog::kCancelledText);
    });
    process_->SetDetail([] {
        return QCoreApplication::translate("qa::ProcessDialog", ProcessDialog::kCancelledDetail);
    });
    views_->setEnabled(true);
}

void MainWindow::ShowNewRecords(int importedCount) {
    (void)importedCount;
    // With the laboratory interface on, the new results go out in the background.
    allDataPage_->Delivery()->AfterDownload(importKind_, importMeterModel_);
    if (ActiveView() != kViewDownload) {
        views_->setCurrentIndex(kViewDownload);
    }
    downloadPage_->ShowDownloaded(importKind_);
}

void MainWindow::ShowSettingsDialog() {
    SettingsDialog dialog(services_.users, services_.prompter, this);
    dialog.SetFileService(&services_.files);
    const bool saved = dialog.exec() == QDialog::Accepted;
    if (saved || dialog.UsersChanged()) {
        ApplySettingsChange(dialog.UsersChanged());
    }
}

void MainWindow::ApplySettingsChange(bool otherOperator) {
    // The language is the current operator's: a saved choice or another operator applies now.
    ApplyLanguage(LanguageFromSetting(services_.users.Settings().language));
    if (otherOperator && ActiveView() == kViewAllData) {
        // Another operator's files: their whole list, not a search among someone else's.
        allDataPage_->LoadList();
        return;
    }
    Command(FrameCommand::ReloadList);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    SaveWindowPlacement(*this);
    // From here no byte, timer or command of the session is handled.
    session_->runFlag = false;
    // The worker may be in the middle of an import: let it finish its transaction before
    // the tables close under it (its outcome, queued to this thread, is then dropped with
    // the session's run flag).
    if (worker_ && !worker_->Stop(5000)) {
        (void)worker_.release();
    }
    services_.users.CloseTables();
    channel_->Close();
    timers_->Kill(kWatchTimerId);
    timers_->Kill(kModeTimerId);
    process_->hide();
    if (started_ && ActiveView() != kViewHome) {
        views_->setCurrentIndex(kViewHome);
    }
    event->accept();
}

} // namespace qa
