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

Expected<std::optional<Uuid>> ReadInstallationUuid(const std::string& dataFolder) {
    const std::string path = dataFolder + "/" + kInstallationIdFileName;
    std::string content;
    switch (ReadWholeFile(path, content)) {
    case FileReadStatus::Missing:
        return std::optional<Uuid>();
    case FileReadStatus::Unreadable:
        return Message(MessageId::FileReason, {path, SystemErrorText(errno)});
    case FileReadStatus::Ok:
        break;
    }
    while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
        content.pop_back();
    }
    const std::optional<Uuid> parsed = ParseUuid(content);
    if (!parsed) {
        return Message(MessageId::InstallationIdDamaged, {path});
    }
    return parsed;
}

Expected<Uuid> InstallationUuid(const std::string& dataFolder) {
    Expected<std::optional<Uuid>> existing = ReadInstallationUuid(dataFolder);
    if (!existing) {
        return existing.status();
    }
    if (existing->has_value()) {
        return **existing;
    }
    const std::optional<Uuid> made = RandomUuid();
    if (!made) {
        return Message(MessageId::FileReason, {"getrandom", SystemErrorText(errno)});
    }
    const std::string path = dataFolder + "/" + kInstallationIdFileName;
    if (CreateExclusively(path, UuidText(*made) + "\n")) {
        return *made;
    }
    if (errno == EEXIST) {
        // Another process made it first: its UUID is the one.
        Expected<std::optional<Uuid>> theirs = ReadInstallationUuid(dataFolder);
        if (!theirs) {
            return theirs.status();
        }
        if (theirs->has_value()) {
            return **theirs;
        }
        return Message(MessageId::FileReason, {path, SystemErrorText(ENOENT)});
    }
    return Message(MessageId::FileReason, {path, SystemErrorText(errno)});
}

Status KeepInstallationUuid(const std::string& from, const std::string& into) {
    Expected<std::optional<Uuid>> own = ReadInstallationUuid(into);
    if (!own || own->has_value()) {
        return own.status(); // the archive brought its own
    }
    Expected<std::optional<Uuid>> kept = ReadInstallationUuid(from);
    if (!kept || !kept->has_value()) {
        return {}; // nothing to keep; a damaged one is no reason to refuse a restore
    }
    const std::string path = into + "/" + kInstallationIdFileName;
    if (!CreateExclusively(path, UuidText(**kept) + "\n")) {
        return Message(MessageId::FileReason, {path, SystemErrorText(errno)});
    }
    return {};
}

} // namespace qa
