#include "store/installation_id.h"

#include "store/output_target.h"
#include "store/profile_file.h"
#include "store/system_error.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qa {

namespace {

bool WriteAllTo(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes `content` to a hidden temporary file beside `path` and links it in under `path`
// only when nothing is there yet. EEXIST in errno when another process was first.
bool CreateExclusively(const std::string& path, std::string_view content) {
    const std::string temp = TempPathBeside(path);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAllTo(fd, content) && ::fsync(fd) == 0;
    int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        ok = ::link(temp.c_str(), path.c_str()) == 0;
        saved = errno;
    }
    ::unlink(temp.c_str());
    if (ok) {
        const std::string folder = path.substr(0, path.rfind('/') + 1);
        if (int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
            dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    errno = saved;
    return ok;
}

} // namespace

bool ReadInstallationUuid(const std::string& dataFolder, Uuid& uuid, std::string& error) {
    error.clear();
    const std::string path = dataFolder + "/" + kInstallationIdFileName;
    std::string content;
    switch (ReadWholeFile(path, content)) {
    case FileReadStatus::Missing:
        return false;
    case FileReadStatus::Unreadable:
        error = path + ": " + SystemErrorText(errno);
        return false;
    case FileReadStatus::Ok:
        break;
    }
    while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
        content.pop_back();
    }
    const std::optional<Uuid> parsed = ParseUuid(content);
    if (!parsed) {
        error = path + ": " + "holds no UUID";
        return false;
    }
    uuid = *parsed;
    return true;
}

bool InstallationUuid(const std::string& dataFolder, Uuid& uuid, std::string& error) {
    if (ReadInstallationUuid(dataFolder, uuid, error) || !error.empty()) {
        return error.empty();
    }
    const std::optional<Uuid> made = RandomUuid();
    if (!made) {
        error = "getrandom: " + SystemErrorText(errno);
        return false;
    }
    const std::string path = dataFolder + "/" + kInstallationIdFileName;
    if (CreateExclusively(path, UuidText(*made) + "\n")) {
        uuid = *made;
        return true;
    }
    if (errno == EEXIST) {
        // Another process made it first: its UUID is the one.
        if (ReadInstallationUuid(dataFolder, uuid, error)) {
            return true;
        }
        if (error.empty()) {
            error = path + ": " + SystemErrorText(ENOENT);
        }
        return false;
    }
    error = path + ": " + SystemErrorText(errno);
    return false;
}

bool KeepInstallationUuid(const std::string& from, const std::string& into, std::string& error) {
    Uuid uuid{};
    if (ReadInstallationUuid(into, uuid, error) || !error.empty()) {
        return error.empty(); // the archive brought its own
    }
    if (!ReadInstallationUuid(from, uuid, error)) {
        error.clear(); // nothing to keep; a damaged one is no reason to refuse a restore
        return true;
    }
    const std::string path = into + "/" + kInstallationIdFileName;
    if (!CreateExclusively(path, UuidText(uuid) + "\n")) {
        error = path + ": " + SystemErrorText(errno);
        return false;
    }
    return true;
}

} // namespace qa
