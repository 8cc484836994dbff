#include "app/instance_lock.h"

#include <QDir>

namespace qa {

InstanceLock::InstanceLock(const QString& dataFolder)
    : lock_(std::make_unique<QLockFile>(QDir(dataFolder).filePath(kLockFileName))) {
    // A running copy's lock never ages out; only a dead owner makes it stale.
    lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

InstanceLock::Result InstanceLock::Acquire() {
    if (lock_->tryLock(0)) {
        return Result::Acquired;
    }
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        return Result::AlreadyRunning;
    case QLockFile::PermissionError:
        error_ = QStringLiteral("The data folder is not writable: %1").arg(lock_->fileName());
        return Result::Failed;
    default:
        error_ = QStringLiteral("The lock file could not be created: %1").arg(lock_->fileName());
        return Result::Failed;
    }
}

} // namespace qa
