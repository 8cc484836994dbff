#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace qa {

// Shown before any window, in the language of the operator who used the program last
// (catalogue context "qa::Startup").
inline constexpr const char* kInitFailedMessage =
    QT_TRANSLATE_NOOP("qa::Startup", "오르보에이원씨 초기화 실패");
inline constexpr const char* kAlreadyRunningMessage = QT_TRANSLATE_NOOP(
    "qa::Startup",
    "오르보에이원씨 관리 프로그램이 이미 실행중입니다.\r\n 프로그램이 자동으로 종료 됩니다.");
inline constexpr const char* kLockFileName = "QuorinA1c.lock";

// Only one copy may work on a data folder at a time: two copies importing into the same
// SQLite files would each believe the other's rows are new. The lock lives in the data
// folder, so it follows --data-dir, and a lock left by a crashed copy is taken over.
class InstanceLock {
public:
    enum class Result { Acquired, AlreadyRunning, Failed };

    explicit InstanceLock(const QString& dataFolder);
    ~InstanceLock();

    [[nodiscard]] Result Acquire();
    QString ErrorText() const { return error_; }

private:
    bool OwnerIsGone() const;

    std::unique_ptr<QLockFile> lock_;
    QString error_;
};

} // namespace qa
