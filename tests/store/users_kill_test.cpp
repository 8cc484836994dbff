#include "store/settings.h"
#include "store/users.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace qa;
using namespace qa::test;

// A kill -9 at points spread over a user delete and a settings write (and a user add, which
// the same harness drives), as the import's crash test does for downloads: afterwards the user file
// reads, every listed user's files open, and the settings are the old ones or the new ones, never a
// mix.

namespace {

class YesPrompter : public Prompter {
public:
    bool Confirm(const Message&, const Message&) override { return true; }
    void Inform(const Message&, const Message&, Severity) override {}
};

enum class Operation { AddUser, DeleteUser, SaveSettings };

// Runs the operation in a child and kills it `delay` after the child starts it. True when the
// kill landed inside the operation: the child had started it and had not finished it.
bool RunAndKill(const std::string& folder, Operation op, std::chrono::microseconds delay) {
    int marks[2];
    if (pipe(marks) != 0) {
        return false;
    }
    pid_t child = fork();
    if (child == 0) {
        close(marks[0]);
        YesPrompter prompter;
        UserStore users(folder, prompter);
        if (!users.Reload()) {
            _exit(3);
        }
        char started = 'S';
        (void)!write(marks[1], &started, 1);
        switch (op) {
        case Operation::AddUser:
            users.AddUser("Kim");
            break;
        case Operation::DeleteUser:
            (void)users.SwitchUser("Kim");
            users.DeleteCurrentUser();
            break;
        case Operation::SaveSettings:
            users.Settings().name = "new name";
            users.Settings().dateFormat = 2;
            (void)users.SaveSettings();
            break;
        }
        char finished = 'D';
        (void)!write(marks[1], &finished, 1);
        _exit(0);
    }
    close(marks[1]);
    char mark = 0;
    const bool started = read(marks[0], &mark, 1) == 1 && mark == 'S';
    if (started) {
        std::this_thread::sleep_for(delay);
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    // The child is gone: the pipe holds the finish mark if it got that far, else nothing.
    const bool finished = read(marks[0], &mark, 1) == 1;
    close(marks[0]);
    return started && !finished && WIFSIGNALED(status);
}

void CheckUsable(const std::string& folder, const std::string& context) {
    YesPrompter prompter;
    UserStore users(folder, prompter);
    ASSERT_TRUE(users.LoadUsers()) << context;
    ASSERT_FALSE(users.UserList().empty()) << context;
    for (const auto& id : users.UserList()) {
        EXPECT_TRUE(users.OpenUser(id)) << context << ": user " << id;
    }
}

class UsersKillTest : public ::testing::TestWithParam<Operation> {};

} // namespace

TEST_P(UsersKillTest, EveryListedUserOpensAndSettingsAreWholeAfterAKill) {
    const Operation op = GetParam();
    // How long the operation takes here, so the kills spread over all of it.
    std::chrono::microseconds span{0};
    {
        TempDir probe;
        YesPrompter prompter;
        UserStore users(probe.Path(), prompter);
        ASSERT_TRUE(users.Reload());
        if (op == Operation::DeleteUser) {
            ASSERT_EQ(users.AddUser("Kim"), UserStore::Outcome::Done);
        }
        auto start = std::chrono::steady_clock::now();
        if (op == Operation::AddUser) {
            users.AddUser("Kim");
        } else if (op == Operation::DeleteUser) {
            users.DeleteCurrentUser();
        } else {
            users.Settings().name = "new name";
            (void)users.SaveSettings();
        }
        span = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
    }
    // Kill points strictly between the start and the end of the operation as measured. Under
    // load a sleep oversleeps the whole operation; then the points are tried again closer to
    // the start, until kills do land inside.
    constexpr int kPoints = 12;
    int killedInside = 0;
    for (int round = 0; round < 4 && killedInside == 0; ++round, span /= 4) {
        for (int point = 0; point < kPoints; ++point) {
            TempDir dir;
            {
                YesPrompter prompter;
                UserStore users(dir.Path(), prompter);
                ASSERT_TRUE(users.Reload());
                if (op == Operation::DeleteUser) {
                    ASSERT_EQ(users.AddUser("Kim"), UserStore::Outcome::Done);
                }
                users.Settings().name = "old name";
                ASSERT_TRUE(users.SaveSettings());
            }
            const std::string context =
                "round " + std::to_string(round) + ", kill point " + std::to_string(point);
            if (RunAndKill(dir.Path(), op, span * (point + 1) / (kPoints + 1))) {
                ++killedInside;
            }
            CheckUsable(dir.Path(), context);
            if (op == Operation::SaveSettings) {
                YesPrompter prompter;
                UserStore users(dir.Path(), prompter);
                ASSERT_TRUE(users.Reload());
                const auto& s = users.Settings();
                EXPECT_TRUE((s.name == "old name" && s.dateFormat == 0) ||
                            (s.name == "new name" && s.dateFormat == 2))
                    << context << ": " << s.name << " " << s.dateFormat;
            }
        }
    }
    EXPECT_GT(killedInside, 0) << "no kill landed inside the operation";
}

INSTANTIATE_TEST_SUITE_P(Operations, UsersKillTest,
                         ::testing::Values(Operation::DeleteUser, Operation::SaveSettings));
