#include "app/cli_common.h"

#include "app/data_folder.h"
#include "app/usage.h"
#include "i18n/language.h"
#include "i18n/message_catalogue.h"
#include "store/installation_id.h"
#include "store/interface_settings.h"
#include "store/safe_text.h"
#include "store/settings.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace qa::cli {

std::string ConsoleText(std::string text) {
    // Message texts use CR LF line breaks; a console wants plain line feeds.
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    // Messages carry patient and operator IDs, paths and other programs' texts.
    return VisibleControls(out, true);
}

std::unique_ptr<QCoreApplication> EventLoopApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return nullptr;
    }
    static int argc = 1;
    static char name[] = "quorina1c-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

std::string CliText(const char* text, const std::vector<std::string>& args) {
    return FillArguments(Translate("qa::Cli", text).toStdString(), args);
}

std::string UsageWords(const std::string& text) {
    return Translate("qa::Usage", text.c_str()).toStdString();
}

std::optional<std::string> Value(const Options& options, const char* name) {
    auto found = options.values.find(name);
    if (found == options.values.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<ResultKind> KindOption(const Options& options) {
    std::string kind = Value(options, "--kind").value_or("hba1c");
    std::transform(kind.begin(), kind.end(), kind.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (kind == "hba1c") {
        return ResultKind::HbA1c;
    }
    if (kind == "glucose") {
        return ResultKind::Glucose;
    }
    return std::nullopt;
}

int Cli::Usage(const std::string& problem) {
    err_ << "quorina1c-cli: " << problem << "\n" << ShortUsageText(CliUsage(), UsageWords);
    return kExitUsage;
}

bool Cli::Lock() {
    if (OnReadOnlyMedia(folder_)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                          "The data folder is on read-only media: %1\nResults "
                                          "can be listed, printed and exported from it, but "
                                          "not changed."),
                        {folder_})
             << "\n";
        return false;
    }
    lock_ = std::make_unique<InstanceLock>(QString::fromStdString(folder_));
    switch (lock_->Acquire()) {
    case InstanceLock::Result::Acquired:
        RemoveStaleTempFiles(folder_);
        for (const std::string& note : SettleInterruptedWork(folder_)) {
            err_ << note << "\n";
        }
        return true;
    case InstanceLock::Result::AlreadyRunning:
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                          "QuorinA1c is already running on this data folder: "))
             << folder_ << "\n";
        return false;
    case InstanceLock::Result::Failed:
        err_ << lock_->ErrorText().toStdString() << "\n";
        return false;
    }
    return false;
}

bool Cli::TryLock() {
    if (::access(folder_.c_str(), W_OK) != 0) {
        return false;
    }
    auto lock = std::make_unique<InstanceLock>(QString::fromStdString(folder_));
    if (lock->Acquire() != InstanceLock::Result::Acquired) {
        return false;
    }
    lock_ = std::move(lock);
    RemoveStaleTempFiles(folder_);
    for (const std::string& note : SettleInterruptedWork(folder_)) {
        err_ << note << "\n";
    }
    return true;
}

int Cli::OpenUser(bool readOnly, bool walkOnly) {
    users_ = std::make_unique<UserStore>(folder_, prompter_);
    users_->SetReadOnly(readOnly);
    users_->SetSingleThread(true);             // each command runs on the calling thread alone
    users_->SetWalkOnly(readOnly || walkOnly); // readers walk the tables, never list them
    if (Status loaded = users_->LoadUsers(); !loaded) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The user file cannot be read: "))
             << MessageUtf8(loaded.error()) << "\n";
        return kExitFailed;
    }
    if (auto id = Value(options_, "--user")) {
        if (!users_->ListedId(*id)) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "quorina1c-cli: unknown user %1"), {*id})
                 << "\n";
            return kExitUsage;
        }
        if (!users_->OpenUser(*id)) {
            return OpenFailure();
        }
        FollowOperatorLanguage();
        return kExitOk;
    }
    if (!users_->OpenUserDatabases()) {
        return OpenFailure();
    }
    if (Status settings = users_->LoadSettings(); !settings) {
        return OpenFailure(settings);
    }
    FollowOperatorLanguage();
    return kExitOk;
}

void Cli::FollowOperatorLanguage() {
    ApplyLanguage(LanguageFromSetting(users_->Settings().language));
}

int Cli::OpenFailure(const Status& settings) {
    err_ << (users_->HasDamagedFile()
                 ? ConsoleText(MessageUtf8(Message(user_text::kDamagedFile, {})))
                 : CliText(QT_TRANSLATE_NOOP("qa::Cli", "The files of user %1 cannot be opened:"),
                           {users_->ActiveUserId()}))
         << "\n";
    for (const std::string& problem : users_->OpenProblems()) {
        err_ << "  " << problem << "\n";
    }
    if (!settings) {
        err_ << "  " << MessageUtf8(settings.error()) << "\n";
    } else if (users_->OpenProblems().empty()) {
        err_ << "  " << SettingsFilePath(folder_, users_->ActiveUserId()) << "\n";
    }
    return kExitFailed;
}

int Cli::ReadFailure(const MeasurementTable& table, const Status& failure) {
    if (table.IsDamaged()) {
        err_ << ConsoleText(MessageUtf8(Message(user_text::kDamagedFile, {}))) << "\n";
    } else {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The results cannot be read:\n"));
    }
    if (!failure) {
        err_ << "  " << ConsoleText(MessageUtf8(failure.error())) << "\n";
    }
    return kExitFailed;
}

int Cli::Extra(std::size_t allowed) {
    if (options_.positional.size() <= allowed) {
        return kExitOk;
    }
    return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "unexpected argument %1"),
                         {options_.positional[allowed]}));
}

interop::MessageContext Cli::MessageContextOfUser() {
    interop::MessageContext context;
    context.display = users_->Settings();
    // An unreadable file leaves the defaults, which send nothing: the link is off.
    (void)LoadInterfaceSettings(SettingsFilePath(folder_, users_->ActiveUserId()), context.link);
    context.operatorId = users_->ActiveUserId();
    context.composed = interop::LocalNow();
    return context;
}

bool Cli::NameEntries(interop::MessageContext& context) {
    const Expected<Uuid> installation = InstallationUuid(folder_);
    if (!installation) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file cannot be written: "))
             << MessageUtf8(installation.error()) << "\n";
        return false;
    }
    context.installation = *installation;
    return true;
}

} // namespace qa::cli
