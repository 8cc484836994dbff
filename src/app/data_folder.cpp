#include "app/data_folder.h"

#include "i18n/language.h"
#include "i18n/message_catalogue.h"
#include "store/audit_log.h"
#include "store/backup.h"
#include "store/users.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace qa {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string WithFolderName(std::string base) {
    std::string wanted = Lower(std::string("/") + kDataFolderName);
    std::string lowered = Lower(base);
    // "Contains" rather than "ends with": a path such as .../OrvoA1c/ or one that names a
    // sub-folder of an existing data folder is taken as it is.
    if (lowered.find(wanted) != std::string::npos || Lower(base) == Lower(kDataFolderName)) {
        return base;
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return base + "/" + kDataFolderName;
}

std::optional<std::string> Env(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

} // namespace

std::string ResolveDataFolder(const DataFolderInputs& inputs) {
    if (inputs.explicitFolder && !inputs.explicitFolder->empty()) {
        return *inputs.explicitFolder;
    }
    if (inputs.appData) {
        return WithFolderName(*inputs.appData);
    }
    if (inputs.xdgDataHome) {
        return WithFolderName(*inputs.xdgDataHome);
    }
    std::string home = inputs.home.value_or(".");
    return WithFolderName(home + "/.local/share");
}

DataFolderInputs DataFolderInputsFromEnvironment() {
    DataFolderInputs inputs;
    inputs.appData = Env("APPDATA");
    inputs.xdgDataHome = Env("XDG_DATA_HOME");
    inputs.home = Env("HOME");
    return inputs;
}

bool OnReadOnlyMedia(const std::string& path) {
    struct statvfs info {};
    return ::statvfs(path.c_str(), &info) == 0 && (info.f_flag & ST_RDONLY) != 0;
}

bool EnsureFolder(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return true;
    }
    std::filesystem::create_directories(path, error);
    if (!std::filesystem::is_directory(path, error)) {
        return false;
    }
    ::chmod(path.c_str(), 0700);
    return true;
}

void UsePrivateFileModes() {
    ::umask(077);
}

bool MakeDataFolderPrivate(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || (info.st_mode & 077) == 0 ||
        info.st_uid != ::geteuid()) {
        return false;
    }
    if (::chmod(path.c_str(), info.st_mode & 0700) != 0) {
        return false;
    }
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            std::string file = path + "/" + entry->d_name;
            struct stat fileInfo {};
            // lstat: a link in the folder is not followed to tighten someone else's file.
            if (::lstat(file.c_str(), &fileInfo) == 0 && S_ISREG(fileInfo.st_mode) &&
                (fileInfo.st_mode & 077) != 0) {
                ::chmod(file.c_str(), fileInfo.st_mode & 0700);
            }
        }
        ::closedir(dir);
    }
    return true;
}

namespace {

// The owner's process id of a ".NAME.tmp-PID-N" file (with or without "-journal"), or 0.
pid_t TempFileOwner(const std::string& name) {
    if (name.size() < 2 || name[0] != '.') {
        return 0;
    }
    std::size_t mark = name.rfind(".tmp-");
    if (mark == std::string::npos || mark == 0) {
        return 0;
    }
    std::string rest = name.substr(mark + 5);
    std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || rest.find_first_not_of("0123456789") != dash) {
        return 0;
    }
    std::string counter = rest.substr(dash + 1);
    const std::string journal = "-journal";
    if (counter.size() > journal.size() &&
        counter.compare(counter.size() - journal.size(), journal.size(), journal) == 0) {
        counter.resize(counter.size() - journal.size());
    }
    if (counter.empty() || counter.find_first_not_of("0123456789") != std::string::npos ||
        dash > 9) {
        return 0;
    }
    return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

} // namespace

std::vector<std::string> RemoveStaleTempFiles(const std::string& path) {
    std::vector<std::string> removed;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return removed;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        pid_t owner = TempFileOwner(name);
        bool stale = name == "user_info_d.ini";
        if (owner > 0) {
            // A reader without the lock may be writing a missing settings file right now.
            stale = owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH;
        }
        std::string file = path + "/" + name;
        struct stat info {};
        if (stale && ::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::unlink(file.c_str()) == 0) {
            removed.push_back(file);
        }
    }
    return removed;
}

SetAsideAnswer OfferSetAsideCopy(const std::string& folder, Prompter& prompter, std::string* copy) {
    const std::string found = SetAsideCopyOf(folder);
    if (copy != nullptr) {
        *copy = found;
    }
    if (found.empty()) {
        return SetAsideAnswer::NoCopy;
    }
    const std::string question = FillArguments(
        Translate("qa::Startup", kSetAsideCopyQuestion).toStdString(), {folder, found});
    if (!prompter.ConfirmDefaultNo(Message::Verbatim(question), MessageId::CaptionProgram)) {
        return SetAsideAnswer::Declined;
    }
    return ::rename(found.c_str(), folder.c_str()) == 0 ? SetAsideAnswer::PutBack
                                                        : SetAsideAnswer::Failed;
}

std::vector<std::string> SettleInterruptedWork(const std::string& path) {
    std::vector<std::string> notes;
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &tm);
    for (const std::string& kept : SettleInterruptedRestore(path, stamp)) {
        notes.push_back(
            FillArguments(Translate("qa::Startup", kKeptAsideMessage).toStdString(), {kept}));
    }
    (void)UserStore::SettleUserMoves(path);
    (void)ReconcileAudit(path);
    for (const std::string& kept : RemoveUnregisteredUserFiles(path)) {
        notes.push_back(FillArguments(
            Translate("qa::Startup", kUnregisteredFilesMessage).toStdString(), {kept}));
    }
    return notes;
}

} // namespace qa
