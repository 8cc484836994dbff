#include "app/instance_lock.h"

#include "i18n/language.h"

#include <QDir>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qa {

InstanceLock::InstanceLock(const QString& dataFolder)
    : lock_(std::make_unique<QLockFile>(QDir(dataFolder).filePath(kLockFileName))) {
    // A running copy's lock never ages out; only a dead owner makes it stale.
    lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

// The owner of a lock holds an exclusive flock on the lock file for as long as it runs. When
// nobody holds it, the file was left behind, whatever it says: empty, garbled, or naming a
// process that has ended or a process id that another program now has.
bool InstanceLock::OwnerIsGone() const {
    QByteArray name = QFile::encodeName(lock_->fileName());
    int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    bool gone = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return gone;
}

InstanceLock::Result InstanceLock::Acquire() {
    if (lock_->tryLock(0)) {
        return Result::Acquired;
    }
    if (lock_->error() == QLockFile::LockFailedError && OwnerIsGone() &&
        lock_->removeStaleLockFile() && lock_->tryLock(0)) {
        return Result::Acquired;
    }
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        return Result::AlreadyRunning;
    case QLockFile::PermissionError:
        error_ = Translate("qa::Startup",
                           QT_TRANSLATE_NOOP("qa::Startup", "The data folder is not writable: %1"))
                     .arg(lock_->fileName());
        return Result::Failed;
    default:
        error_ =
            Translate("qa::Startup",
                      QT_TRANSLATE_NOOP("qa::Startup", "The lock file could not be created: %1"))
                .arg(lock_->fileName());
        return Result::Failed;
    }
}

} // namespace qa
