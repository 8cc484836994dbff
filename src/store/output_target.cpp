#include "store/output_target.h"

#include "store/system_error.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qa {

namespace {

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

bool SameFileInFolder(const struct stat& target, const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool same = false;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info {};
        std::string file = folder + "/" + entry->d_name;
        if (::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_dev == target.st_dev && info.st_ino == target.st_ino) {
            same = true;
            break;
        }
    }
    ::closedir(dir);
    return same;
}

} // namespace

Status CheckOutputTarget(const std::string& path, const std::string& dataFolder) {
    if (path.empty() || path.back() == '/') {
        return Message(MessageId::OutputNotAFileName, {path});
    }
    struct stat target {};
    bool exists = ::lstat(path.c_str(), &target) == 0;
    if (exists && !S_ISREG(target.st_mode)) {
        return Message(MessageId::OutputNotRegular, {path});
    }
    if (!exists && errno != ENOENT) {
        return Message(MessageId::FileReason, {path, SystemErrorText(errno)});
    }
    std::string folder = RealPath(FolderOf(path));
    if (folder.empty()) {
        return Message(MessageId::FileReason, {path, SystemErrorText(errno)});
    }
    std::string data = dataFolder.empty() ? std::string() : RealPath(dataFolder);
    if (!data.empty() && (folder == data || folder.compare(0, data.size() + 1, data + "/") == 0 ||
                          (exists && SameFileInFolder(target, data)))) {
        return Message(MessageId::OutputInsideDataFolder, {path, dataFolder});
    }
    return {};
}

std::string TempPathBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::string folder = FolderOf(path);
    std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    return folder + "/." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

Status MoveIntoPlace(const std::string& temp, const std::string& path) {
    if (::rename(temp.c_str(), path.c_str()) == 0) {
        return {};
    }
    Message failure(MessageId::FileReason, {path, SystemErrorText(errno)});
    ::unlink(temp.c_str());
    return failure;
}

} // namespace qa
