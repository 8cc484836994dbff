// The command line's changes and their audit entries: kill -9 at any moment of settings set,
// backup and restore; an audit log that cannot be written; a restore that left the data
// folder set aside.

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <random>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qa::test;

namespace {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

pid_t Start(const TempDir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv{QA_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string out = dir.File("run.out"), err = dir.File("run.err");
    pid_t child = fork();
    if (child == 0) {
        int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(o, 1);
        ::dup2(e, 2);
        std::vector<char*> raw;
        for (std::string& a : argv) {
            raw.push_back(a.data());
        }
        raw.push_back(nullptr);
        ::execv(raw[0], raw.data());
        _exit(127);
    }
    return child;
}

Outcome Finish(const TempDir& dir, pid_t child) {
    Outcome run;
    int status = 0;
    ::waitpid(child, &status, 0);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFile(dir.File("run.out"));
    run.err = ReadFile(dir.File("run.err"));
    return run;
}

Outcome Cli(const TempDir& dir, const std::string& data, std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data});
    return Finish(dir, Start(dir, args));
}

// Runs the command and kills it after `micros`, or lets it end first.
void RunAndKill(const TempDir& dir, const std::string& data, std::vector<std::string> args,
                long micros) {
    args.insert(args.begin(), {"--data-dir", data});
    pid_t child = Start(dir, args);
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    timespec wait{micros / 1000000, (micros % 1000000) * 1000};
    pollfd events{pidfd, POLLIN, 0};
    ::ppoll(&events, 1, &wait, nullptr);
    ::close(pidfd);
    ::kill(child, SIGKILL);
    Finish(dir, child);
}

long Measure(const TempDir& dir, const std::string& data, const std::vector<std::string>& args) {
    auto started = std::chrono::steady_clock::now();
    Outcome run = Cli(dir, data, args);
    EXPECT_EQ(run.code, 0) << run.err;
    return static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::steady_clock::now() - started)
                                 .count());
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

std::vector<std::string> HiddenBeside(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        std::string name = e.path().filename().string();
        if (name[0] == '.' && name.find(".restore-") != std::string::npos) {
            names.push_back(name);
        }
        if (name.find(".tmp-") != std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

constexpr int kKills = 32;

// Kill moments: half spread over the whole run, half over its last part, where the change
// itself happens (the rest is the program starting).
long Moment(std::mt19937& random, long full, int i) {
    return i % 2 == 0 ? std::uniform_int_distribution<long>(0, full)(random)
                      : std::uniform_int_distribution<long>(full * 8 / 10, full * 2)(random);
}

} // namespace

// Every key of a settings set lands in one write: after a kill the file holds all the old
// values or all the new ones, and the log has the change exactly when the file does.
TEST(CliAuditKill, SettingsSetKilledAtAnyMomentIsWholeAndAudited) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(
        Cli(dir, data, {"settings", "set", "Name=old", "Date=0", "Sending_facility=OLD"}).code, 0);
    const long full =
        Measure(dir, data, {"settings", "set", "Name=probe", "Date=1", "Sending_facility=P"});
    std::mt19937 random(7);
    int applied = 0, untouched = 0;
    for (int i = 0; i < kKills; ++i) {
        ASSERT_EQ(
            Cli(dir, data, {"settings", "set", "Name=old", "Date=0", "Sending_facility=OLD"}).code,
            0);
        const std::size_t before = Count(Cli(dir, data, {"audit"}).out, "Name: \"old\" -> \"new");
        const std::string name = "new" + std::to_string(i);
        RunAndKill(dir, data, {"settings", "set", "Name=" + name, "Date=2", "Sending_facility=NEW"},
                   Moment(random, full, i));
        const std::string log = Cli(dir, data, {"audit"}).out; // the next start settles
        const std::string shown = Cli(dir, data, {"settings", "show"}).out;
        const bool isNew = shown.find("Name=" + name + "\n") != std::string::npos;
        const bool isOld = shown.find("Name=old\n") != std::string::npos;
        ASSERT_TRUE(isNew || isOld) << shown;
        EXPECT_NE(shown.find(isNew ? "Date=2\n" : "Date=0\n"), std::string::npos) << shown;
        EXPECT_NE(shown.find(isNew ? "Sending_facility=NEW\n" : "Sending_facility=OLD\n"),
                  std::string::npos)
            << shown;
        EXPECT_EQ(Count(log, "Name: \"old\" -> \"" + name + "\""), isNew ? 1u : 0u) << log;
        EXPECT_EQ(Count(log, "Name: \"old\" -> \"new"), before + (isNew ? 1 : 0));
        (isNew ? applied : untouched) += 1;
        EXPECT_TRUE(HiddenBeside(data).empty());
    }
    std::printf("settings set kills: %d, applied with entry %d, untouched without %d\n", kKills,
                applied, untouched);
}

// A backup killed at any moment: the archive is in place exactly when the log has its entry,
// and no partial archive stays once the next start has settled.
TEST(CliAuditKill, BackupKilledAtAnyMomentHasItsEntryExactlyWhenTheArchiveExists) {
    TempDir dir;
    const std::string data = dir.File("data");
    const std::string out = dir.File("out");
    std::filesystem::create_directory(out);
    ASSERT_EQ(Cli(dir, data, {"users", "add", "Kim"}).code, 0);
    const long full = Measure(dir, data, {"backup", "--out", out + "/probe.tar"});
    std::mt19937 random(11);
    int written = 0, notWritten = 0;
    for (int i = 0; i < kKills; ++i) {
        const std::string archive = out + "/b" + std::to_string(i) + ".tar";
        RunAndKill(dir, data, {"backup", "--out", archive}, Moment(random, full, i));
        const std::string log = Cli(dir, data, {"audit"}).out;
        const bool exists = std::filesystem::exists(archive);
        EXPECT_EQ(Count(log, " files to " + archive + "\n"), exists ? 1u : 0u) << log;
        EXPECT_TRUE(HiddenBeside(out).empty()) << HiddenBeside(out)[0];
        (exists ? written : notWritten) += 1;
    }
    std::printf("backup kills: %d, archive with entry %d, neither %d\n", kKills, written,
                notWritten);
}

// A restore killed at any moment: the data folder is there, holding the old data without a
// restore entry or the archive's data with exactly one, and every entry from before stays.
TEST(CliAuditKill, RestoreKilledAtAnyMomentLeavesOldOrNewWithTheWholeTrail) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"settings", "set", "Name=archived"}).code, 0);
    ASSERT_EQ(Cli(dir, data, {"backup", "--out", dir.File("b.tar")}).code, 0);
    ASSERT_EQ(Cli(dir, data, {"settings", "set", "Name=current"}).code, 0);
    const long full = Measure(dir, data, {"restore", dir.File("b.tar")});
    std::mt19937 random(13);
    int restored = 0, kept = 0;
    for (int i = 0; i < kKills; ++i) {
        ASSERT_EQ(Cli(dir, data, {"settings", "set", "Name=current"}).code, 0);
        const std::string trail = Cli(dir, data, {"audit"}).out;
        RunAndKill(dir, data, {"restore", dir.File("b.tar")}, Moment(random, full, i));
        Outcome log = Cli(dir, data, {"audit"});
        ASSERT_EQ(log.code, 0) << log.err;
        const std::string shown = Cli(dir, data, {"settings", "show"}).out;
        const bool isNew = shown.find("Name=archived\n") != std::string::npos;
        ASSERT_TRUE(isNew || shown.find("Name=current\n") != std::string::npos) << shown;
        EXPECT_EQ(log.out.rfind(trail, 0), 0u) << "the trail before the restore stays whole";
        EXPECT_EQ(Count(log.out.substr(trail.size()), "\trestore\t"), isNew ? 1u : 0u) << log.out;
        EXPECT_TRUE(HiddenBeside(dir.Path()).empty()) << HiddenBeside(dir.Path())[0];
        (isNew ? restored : kept) += 1;
    }
    std::printf("restore kills: %d, restored with entry %d, old folder without %d\n", kKills,
                restored, kept);
}

// With the log unwritable, each command that changes something exits 1 naming the log, and
// nothing changes.
TEST(CliAudit, AnUnwritableLogRefusesEveryCommandThatChanges) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"users", "add", "Kim"}).code, 0);
    ASSERT_EQ(Cli(dir, data, {"settings", "set", "Name=before"}).code, 0);
    ASSERT_EQ(Cli(dir, data, {"backup", "--out", dir.File("b.tar")}).code, 0);
    const std::string log = data + "/audit.sqlite";
    for (const char* companion : {"", "-wal", "-shm"}) {
        std::filesystem::remove(log + companion);
    }
    std::filesystem::create_directory(log);
    auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path())) {
            if (e.path().filename() != "run.out" && e.path().filename() != "run.err") {
                names.push_back(e.path().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = listing();
    const std::vector<std::vector<std::string>> commands = {
        {"settings", "set", "Name=after"}, {"users", "add", "Lee"},
        {"users", "delete", "Kim"},        {"backup", "--out", dir.File("c.tar")},
        {"restore", dir.File("b.tar")},
    };
    for (const auto& command : commands) {
        Outcome run = Cli(dir, data, command);
        EXPECT_EQ(run.code, 1) << command[0] << " " << command[1] << ": " << run.err;
        EXPECT_NE(run.err.find(log), std::string::npos) << run.err;
        EXPECT_EQ(listing(), before) << command[0] << " " << command[1];
    }
    EXPECT_NE(Cli(dir, data, {"settings", "show"}).out.find("Name=before\n"), std::string::npos);
    EXPECT_NE(Cli(dir, data, {"users", "list"}).out.find("* Kim\n"), std::string::npos);
}

// A data folder missing beside the copy a restore set aside: the command names the copy and
// exits 1, and no empty folder takes the data folder's place.
TEST(CliAudit, AMissingDataFolderBesideASetAsideCopyIsNamedNotReplaced) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"users", "add", "Kim"}).code, 0);
    const std::string aside = data + ".before-restore-20261209T120000";
    ASSERT_EQ(::rename(data.c_str(), aside.c_str()), 0);
    for (const auto& command : {std::vector<std::string>{"list"}, {"users", "list"}}) {
        Outcome run = Cli(dir, data, command);
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find(aside), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(data));
    }
    ASSERT_EQ(::rename(aside.c_str(), data.c_str()), 0);
    EXPECT_NE(Cli(dir, data, {"users", "list"}).out.find("Kim"), std::string::npos);
}

// users delete keeps the files; users restore brings the operator back with them.
TEST(CliAudit, UsersDeleteAndRestoreRoundTrip) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"users", "add", "Kim"}).code, 0);
    ASSERT_EQ(Cli(dir, data, {"settings", "set", "Name=kept"}).code, 0);
    Outcome deleted = Cli(dir, data, {"users", "delete", "Kim"});
    ASSERT_EQ(deleted.code, 0) << deleted.err;
    EXPECT_NE(deleted.err.find("Kim"), std::string::npos) << deleted.err;
    EXPECT_EQ(Cli(dir, data, {"users", "list"}).out.find("Kim"), std::string::npos);
    EXPECT_EQ(Cli(dir, data, {"users", "restore", "Lee"}).code, 1);
    Outcome back = Cli(dir, data, {"users", "restore", "Kim"});
    ASSERT_EQ(back.code, 0) << back.err;
    EXPECT_NE(Cli(dir, data, {"settings", "show", "--user", "Kim"}).out.find("Name=kept\n"),
              std::string::npos);
    const std::string log = Cli(dir, data, {"audit"}).out;
    EXPECT_EQ(Count(log, "\tuser delete\t"), 1u) << log;
    EXPECT_EQ(Count(log, "\tuser restore\t"), 1u) << log;
}
