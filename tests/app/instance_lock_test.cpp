#include "app/instance_lock.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSysInfo>

#include <sys/wait.h>
#include <unistd.h>

using namespace qa;

TEST(InstanceLock, SecondCopyIsRefusedUntilTheFirstLetsGo) {
    qa::test::TempDir dir;
    QString folder = QString::fromStdString(dir.Path());
    {
        InstanceLock first(folder);
        ASSERT_EQ(first.Acquire(), InstanceLock::Result::Acquired);
        InstanceLock second(folder);
        EXPECT_EQ(second.Acquire(), InstanceLock::Result::AlreadyRunning);
    }
    InstanceLock third(folder);
    EXPECT_EQ(third.Acquire(), InstanceLock::Result::Acquired);
}

TEST(InstanceLock, LockOfACopyThatDiedIsTakenOver) {
    qa::test::TempDir dir;
    QString folder = QString::fromStdString(dir.Path());
    pid_t child = fork();
    if (child == 0) {
        InstanceLock lock(folder);
        _exit(lock.Acquire() == InstanceLock::Result::Acquired ? 0 : 1); // dies holding it
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(qa::test::FileExists(dir.File(kLockFileName)));

    InstanceLock lock(folder);
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Acquired);
}

TEST(InstanceLock, UnwritableFolderIsAFailureNotAnotherCopy) {
    InstanceLock lock(QStringLiteral("/proc/no-such-folder"));
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Failed);
    EXPECT_FALSE(lock.ErrorText().isEmpty());
}

// An empty or garbled lock file, or one naming a process that is not running, belongs to no
// running copy; one that a running copy holds stays its lock whatever it says.
TEST(InstanceLock, ALockThatNoRunningCopyHoldsIsStale) {
    qa::test::TempDir dir;
    QString folder = QString::fromStdString(dir.Path());
    pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string contents[] = {
        "",
        "\x01\x02garbage\n",
        std::to_string(gone) + "\nquorina1c\n" + QSysInfo::machineHostName().toStdString() + "\n",
        "1\ninit\nsome-other-host\n",
    };
    for (const std::string& content : contents) {
        qa::test::WriteFile(dir.File(kLockFileName), content);
        InstanceLock lock(folder);
        EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Acquired) << content;
    }

    InstanceLock holder(folder);
    ASSERT_EQ(holder.Acquire(), InstanceLock::Result::Acquired);
    qa::test::WriteFile(dir.File(kLockFileName), ""); // emptied in place: still held
    InstanceLock second(folder);
    EXPECT_EQ(second.Acquire(), InstanceLock::Result::AlreadyRunning);
}
