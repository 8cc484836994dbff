// QuorinA1c: the window.
#include "app/data_folder.h"
#include "app/instance_lock.h"
#include "app/operator_language.h"
#include "app/usage.h"
#include "frame/main_window.h"
#include "print/print_dialog_service.h"
#include "store/users.h"
#include "views/ui_services.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

// The data folder as the options and the environment name it, before anything is made.
std::string DataFolderOf(std::optional<std::string> explicitFolder) {
    qa::DataFolderInputs inputs = qa::DataFolderInputsFromEnvironment();
    if (explicitFolder) {
        inputs.explicitFolder = std::move(explicitFolder);
    }
    return qa::ResolveDataFolder(inputs);
}

std::string UsageWords(const std::string& text) {
    return qa::Translate("qa::Usage", text.c_str()).toStdString();
}

} // namespace

int main(int argc, char** argv) {
    // Help and version need no display, so they are answered before the toolkit starts, in
    // the language of the operator who used the program last.
    std::optional<std::string> dataDirArgument;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--data-dir") == 0) {
            dataDirArgument = argv[i + 1];
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            qa::ApplyLanguage(qa::RecordedOperatorLanguage(DataFolderOf(dataDirArgument)));
            std::fputs(qa::HelpText(qa::WindowUsage(), UsageWords).c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", qa::VersionText().c_str());
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("QuorinA1cComm");
    QApplication::setOrganizationName("Local AppWizard-Generated Applications");
    QGuiApplication::setDesktopFileName(QA_APP_ID);
    Q_INIT_RESOURCE(resources);
    QApplication::setWindowIcon(qa::AppIcon());

    // The options with a value come from the usage table that --help prints.
    QCommandLineParser parser;
    for (const qa::UsageOption& option : qa::WindowUsage().options) {
        if (!option.value.empty()) {
            parser.addOption(QCommandLineOption(QString::fromStdString(option.name.substr(2)),
                                                QString::fromStdString(option.text),
                                                QString::fromStdString(option.value)));
        }
    }
    const QString dataDir = "data-dir";
    const QString port = "port";
    const QString sysfs = "sysfs-root";
    // Qt's own words about a wrong option are in the operator's language too.
    qa::ApplyLanguage(qa::RecordedOperatorLanguage(DataFolderOf(dataDirArgument)));
    parser.process(app);

    std::string folder = DataFolderOf(
        parser.isSet(dataDir) ? std::optional<std::string>(parser.value(dataDir).toStdString())
                              : std::nullopt);
    qa::ApplyLanguage(qa::RecordedOperatorLanguage(folder));
    auto startupText = [](const char* text) {
        return QCoreApplication::translate("qa::Startup", text);
    };
    qa::UsePrivateFileModes();
    {
        // A restore stopped between its renames left the earlier folder aside: offered, never
        // replaced by an empty store.
        qa::QtPrompter early;
        const qa::SetAsideAnswer answer = qa::OfferSetAsideCopy(folder, early);
        if (answer == qa::SetAsideAnswer::Declined || answer == qa::SetAsideAnswer::Failed) {
            return 1;
        }
    }
    // Read-only media is read where it is: no lock, no private modes, no settling, no upgrade.
    const bool readOnlyMedia = qa::OnReadOnlyMedia(folder);
    if (!readOnlyMedia && !qa::EnsureFolder(folder)) {
        QMessageBox::critical(nullptr, "QuorinA1c",
                              startupText(qa::kInitFailedMessage) + "\n" +
                                  QString::fromStdString(folder));
        return 1;
    }
    const std::string privacyNote = !readOnlyMedia && qa::MakeDataFolderPrivate(folder)
                                        ? startupText(qa::kPrivateFolderMessage)
                                              .arg(QString::fromStdString(folder))
                                              .toStdString()
                                        : std::string();
    qa::InstanceLock lock(QString::fromStdString(folder));
    switch (readOnlyMedia ? qa::InstanceLock::Result::Acquired : lock.Acquire()) {
    case qa::InstanceLock::Result::Acquired:
        if (readOnlyMedia) {
            break;
        }
        qa::RemoveStaleTempFiles(folder);
        for (const std::string& note : qa::SettleInterruptedWork(folder)) {
            QMessageBox::information(nullptr, "QuorinA1c", QString::fromStdString(note));
        }
        break;
    case qa::InstanceLock::Result::AlreadyRunning: {
        // The message says this copy closes by itself, so it does, also when nobody is
        // there to press OK.
        std::fprintf(stderr, "QuorinA1c: %s\n",
                     startupText(qa::kAlreadyRunningMessage).toUtf8().constData());
        QMessageBox box(QMessageBox::Information, "QuorinA1c",
                        startupText(qa::kAlreadyRunningMessage));
        QTimer::singleShot(5000, &box, &QMessageBox::accept);
        box.exec();
        return 0;
    }
    case qa::InstanceLock::Result::Failed:
        QMessageBox::critical(nullptr, "QuorinA1c",
                              startupText(qa::kInitFailedMessage) + "\n" + lock.ErrorText());
        return 1;
    }

    qa::QtPrompter prompter;
    qa::UserStore users(folder, prompter);
    users.SetReadOnly(readOnlyMedia);
    qa::DesktopFileService files;
    qa::QtPrintDialogService print;
    qa::MainWindow::Services services{users, prompter, files, &print, "/", ""};
    if (parser.isSet(sysfs)) {
        services.sysfsRoot = parser.value(sysfs).toStdString();
    }
    if (parser.isSet(port)) {
        services.extraPort = parser.value(port).toStdString();
    }
    qa::MainWindow frame(services);
    prompter.SetParent(&frame);
    frame.show();
    // The late start-up runs once the window is on screen, as its first event.
    QTimer::singleShot(0, &frame, [&frame, &prompter, privacyNote] {
        if (!privacyNote.empty()) {
            prompter.Inform(qa::Message::Verbatim(privacyNote), qa::MessageId::CaptionProgram,
                            qa::Prompter::Severity::Information);
        }
        frame.LateStartup();
    });
    return app.exec();
}
