// The command-line program as scripts and a second operator meet it: damaged files, hostile
// targets, kills and a full disk half-way, and readers beside a writer.

#include "sim_process.h"
#include "store/text_encoding.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace qa::test;

namespace {

struct Outcome {
    int code = -1; // 128 + signal when killed
    std::string out;
    std::string err;
};

// Starts the real program with its output in files; `limitBytes` >= 0 caps the size of
// every file it writes, as a full disk does (its error stream then goes through a pipe,
// which the cap does not touch).
struct Child {
    pid_t pid = -1;
    int errPipe = -1;
};

Child Start(const TempDir& dir, const std::string& tag, const std::vector<std::string>& args,
            long limitBytes = -1) {
    std::vector<std::string> argv{QA_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out = dir.File(tag + ".out"), err = dir.File(tag + ".err");
    int fds[2] = {-1, -1};
    if (limitBytes >= 0 && ::pipe(fds) != 0) {
        return {};
    }
    pid_t child = fork();
    if (child == 0) {
        int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int e = limitBytes >= 0 ? fds[1] : ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(o, 1);
        ::dup2(e, 2);
        if (limitBytes >= 0) {
            ::close(fds[0]);
            std::signal(SIGXFSZ, SIG_IGN); // writes past the limit fail with EFBIG instead
            rlimit limit{static_cast<rlim_t>(limitBytes), static_cast<rlim_t>(limitBytes)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> raw;
        for (std::string& a : argv) {
            raw.push_back(a.data());
        }
        raw.push_back(nullptr);
        ::execv(raw[0], raw.data());
        _exit(127);
    }
    if (limitBytes >= 0) {
        ::close(fds[1]);
    }
    return {child, fds[0]};
}

Outcome Finish(const TempDir& dir, const std::string& tag, Child child) {
    Outcome run;
    if (child.errPipe >= 0) {
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(child.errPipe, buffer, sizeof buffer)) > 0) {
            run.err.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(child.errPipe);
    }
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFile(dir.File(tag + ".out"));
    if (child.errPipe < 0) {
        run.err = ReadFile(dir.File(tag + ".err"));
    }
    return run;
}

Outcome Cli(const TempDir& dir, const std::string& data, std::vector<std::string> args,
            const std::string& tag = "run", long limitBytes = -1) {
    args.insert(args.begin(), {"--data-dir", data});
    return Finish(dir, tag, Start(dir, tag, args, limitBytes));
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

int Mode(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

void Exec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_close(db);
}

std::vector<std::string> FilesOf(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.find(prefix) != std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

} // namespace

TEST(CliIntegrity, StrayArgumentsAreRefused) {
    TempDir dir;
    std::string data = dir.File("data");
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"list", "extra"},
                                               {"export", "--out", dir.File("x.csv"), "extra"},
                                               {"report", "--out", dir.File("x.pdf"), "extra"},
                                               {"users", "list", "extra"},
                                               {"settings", "show", "extra"},
                                               {"download", "--port", "ttyQA-none", "extra"}}) {
        Outcome run = Cli(dir, data, args);
        EXPECT_EQ(run.code, 2) << args[0] << ": " << run.err;
        EXPECT_NE(run.err.find("필요 없는 인자 extra"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(FileExists(dir.File("x.csv")));
}

TEST(CliIntegrity, DamagedOrUnreadableDatabasesFailNamingTheFile) {
    TempDir dir;
    std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"list"}).code, 0);
    std::string file = data + "/Basis_HbA1c.sqlite";
    std::string sql = "BEGIN;";
    for (int i = 0; i < 300; ++i) {
        sql +=
            "INSERT INTO HospitalTlb (DATE,TIME,HbA1c_VALUE,PID) VALUES ('20160620','1430','0650',"
            "'P" +
            std::to_string(i) + "');";
    }
    Exec(file, sql + "COMMIT;");
    std::string content = ReadFile(file);
    ASSERT_GT(content.size(), 4u * 4096);
    for (std::size_t i = 3 * 4096; i < 4 * 4096; ++i) {
        content[i] = static_cast<char>(0xA5);
    }
    WriteFile(file, content);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"list"}, {"export", "--out", dir.File("x.csv")}, {"settings", "set", "Name=x"}}) {
        Outcome run = Cli(dir, data, args);
        EXPECT_EQ(run.code, 1) << args[0] << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << "no list at all rather than an empty one";
        EXPECT_NE(run.err.find("데이터베이스 파일이 손상되었습니다."), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find(file + ": "), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFile(file), content) << "never overwritten";
    EXPECT_FALSE(FileExists(dir.File("x.csv")));

    // A file the Windows program could not finish: a table that lacks a column the list
    // sorts by fails the query, and that is a failure too, not an empty list.
    WriteFile(file, "");
    Exec(file, "CREATE TABLE HospitalTlb (X TEXT); INSERT INTO HospitalTlb VALUES ('x');");
    Outcome broken = Cli(dir, data, {"list"});
    EXPECT_EQ(broken.code, 1) << broken.out;
    EXPECT_NE(broken.err.find(file), std::string::npos) << broken.err;
}

TEST(CliIntegrity, ExportAndReportReplaceOnlyRegularFilesOutsideTheDataFolder) {
    TempDir dir;
    std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"list"}).code, 0);
    std::string db = data + "/Basis_HbA1c.sqlite";
    std::string dbBefore = ReadFile(db);
    WriteFile(dir.File("victim"), "keep me");
    std::filesystem::create_symlink(dir.File("victim"), dir.File("link.out"));
    for (const char* command : {"export", "report"}) {
        for (const std::string& target : {std::string("/dev/null"), dir.File("link.out"), db,
                                          data + "/" + command + ".out", dir.Path()}) {
            Outcome run = Cli(dir, data, {command, "--out", target});
            EXPECT_EQ(run.code, 1) << command << " " << target;
            EXPECT_NE(run.err.find(target + ": "), std::string::npos) << run.err;
        }
    }
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(ReadFile(dir.File("victim")), "keep me");
    EXPECT_EQ(ReadFile(db), dbBefore);
    EXPECT_TRUE(FilesOf(data, ".out").empty());

    WriteFile(dir.File("old.pdf"), "old report");
    ASSERT_EQ(Cli(dir, data, {"report", "--out", dir.File("old.pdf")}).code, 0);
    EXPECT_EQ(ReadFile(dir.File("old.pdf")).substr(0, 5), "%PDF-");
    EXPECT_TRUE(FilesOf(dir.Path(), ".tmp-").empty()) << "no temporary file is left";
}

TEST(CliIntegrity, AFailingPortIsNamedWithTheSystemsReason) {
    TempDir dir;
    Outcome notAPort = Cli(dir, dir.File("data"), {"download", "--port", "/etc/hostname"});
    EXPECT_EQ(notAPort.code, 1);
    EXPECT_NE(notAPort.err.find("/etc/hostname: 직렬 포트가 아닙니다"), std::string::npos)
        << notAPort.err;
    Outcome missing = Cli(dir, dir.File("data"), {"download", "--port", "/dev/ttyQA-none"});
    EXPECT_NE(missing.err.find("/dev/ttyQA-none: 그런 포트가 없습니다."), std::string::npos)
        << missing.err;
}

TEST(CliIntegrity, TheDataFolderIsPrivateAndStaleTemporaryFilesGo) {
    TempDir dir;
    std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"list"}).code, 0);
    EXPECT_EQ(Mode(data), 0700);
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        EXPECT_EQ(Mode(entry.path()) & 077, 0) << entry.path();
    }

    // A folder an older version left open to everybody is closed once, with a message.
    ASSERT_EQ(::chmod(data.c_str(), 0755), 0);
    ASSERT_EQ(::chmod((data + "/Basis_HbA1c.sqlite").c_str(), 0644), 0);
    Outcome first = Cli(dir, data, {"list"});
    EXPECT_EQ(first.code, 0);
    EXPECT_NE(first.err.find("이제 폴더와 그 파일은 이 계정만 쓸 수 있습니다: " + data),
              std::string::npos)
        << first.err;
    EXPECT_EQ(Mode(data), 0700);
    EXPECT_EQ(Mode(data + "/Basis_HbA1c.sqlite"), 0600);
    EXPECT_EQ(Cli(dir, data, {"list"}).err, "");

    // What copies killed while writing left behind; a live owner's file stays.
    pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    ::waitpid(gone, nullptr, 0);
    std::string stale = data + "/.Basis_set_info.ini.tmp-" + std::to_string(gone) + "-0";
    std::string staleJournal =
        data + "/.kim_HbA1c.sqlite.tmp-" + std::to_string(gone) + "-0-journal";
    std::string live = data + "/.Basis_set_info.ini.tmp-" + std::to_string(::getpid()) + "-0";
    for (const std::string& file : {stale, staleJournal, live, data + "/user_info_d.ini"}) {
        WriteFile(file, "half");
    }
    ASSERT_EQ(Cli(dir, data, {"list"}).code, 0);
    EXPECT_TRUE(FileExists(stale)) << "readers do not hold the lock and leave them";
    ASSERT_EQ(Cli(dir, data, {"settings", "set", "Name=x"}).code, 0);
    EXPECT_FALSE(FileExists(stale));
    EXPECT_FALSE(FileExists(staleJournal));
    EXPECT_FALSE(FileExists(data + "/user_info_d.ini"));
    EXPECT_TRUE(FileExists(live));
}

TEST(CliIntegrity, StoredDatesThatAreNoCalendarDatesAreShownMarked) {
    TempDir dir;
    std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"list"}).code, 0);
    Exec(data + "/Basis_HbA1c.sqlite",
         "INSERT INTO HospitalTlb (DATE,TIME,HbA1c_VALUE,PID) VALUES "
         "('20161320','1430','0650','P1'),('20160620','1430','0650','P2');");
    Outcome list = Cli(dir, data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("1,?20161320,?1430,"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("2,2016-06-20,"), std::string::npos) << list.out;
    Outcome week = Cli(dir, data, {"list", "--weeks", "1"});
    EXPECT_EQ(week.code, 0) << "a marked newest date does not break the period";
}

TEST(CliIntegrity, AFolderWrittenInCodePage949ListsExportsAndSavesEveryCharacter) {
    TempDir dir;
    std::string data = dir.File("data");
    std::filesystem::create_directory(data);
    const std::string name = *qa::Utf8ToCp949("김민수");
    const std::string hospital = *qa::Utf8ToCp949("서울병원");
    const std::string pid = *qa::Utf8ToCp949("환자01");
    WriteFile(data + "/user_info.ini",
              "[User Count]\r\ncurrent_user=Basis\r\ncnt=1\r\n[User Set]\r\nno1=Basis\r\n");
    WriteFile(data + "/Basis_set_info.ini",
              "[SETTING VALUE]\r\nHbA1c_unit=0\r\nDate=0\r\ntime=1\r\nName=" + name +
                  "\r\nHospital=" + hospital + "\r\n");
    Exec(data + "/Basis_HbA1c.sqlite",
         "CREATE TABLE [HospitalTlb] ([DATE] TEXT,[TIME] TEXT,[HbA1c_VALUE] TEXT,[PID] TEXT,"
         "[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] TEXT,[P_DIAGNOSE] INT,[P_MEMO] TEXT);"
         "INSERT INTO HospitalTlb VALUES ('20160620','1430','0650','" +
             pid + "','OP','1','" + name + "','19700101',1,'" + hospital + "');");

    Outcome list = Cli(dir, data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find(",환자01,"), std::string::npos) << list.out;
    ASSERT_EQ(Cli(dir, data, {"export", "--out", dir.File("out.csv")}).code, 0);
    EXPECT_NE(ReadFile(dir.File("out.csv")).find("," + pid + ","), std::string::npos);
    EXPECT_NE(Cli(dir, data, {"settings", "show"}).out.find("Name=김민수\n"), std::string::npos);
    ASSERT_EQ(Cli(dir, data, {"settings", "set", "Email=a@b"}).code, 0);
    Outcome shown = Cli(dir, data, {"settings", "show"});
    EXPECT_NE(shown.out.find("Name=김민수\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Hospital=서울병원\n"), std::string::npos) << shown.out;
    EXPECT_EQ(ReadFile(data + "/Basis_set_info.ini").find("\xEF\xBF\xBD"), std::string::npos);
}

// A kill at any moment of an add leaves either no user or a complete one, and the next add
// of the same ID, a list of the user and its deletion all work.
TEST(CliIntegrity, AUserAddKilledAtAnyPointLeavesNoHalfUser) {
    TempDir dir;
    std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"users", "list"}).code, 0);
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Cli(dir, data, {"users", "add", "probe"}).code, 0);
    auto full = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    std::mt19937 random(19);
    std::uniform_int_distribution<long> moment(0, full.count());
    int killedBeforeListed = 0;
    for (int i = 0; i < 16; ++i) {
        std::string id = "u" + std::to_string(i);
        Child child = Start(dir, "add", {"--data-dir", data, "users", "add", id});
        // Waits on the child itself, so a fast add simply ends before the kill.
        int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child.pid, 0));
        ASSERT_GE(pidfd, 0);
        long micros = moment(random);
        timespec wait{micros / 1000000, (micros % 1000000) * 1000};
        pollfd events{pidfd, POLLIN, 0};
        ::ppoll(&events, 1, &wait, nullptr);
        ::close(pidfd);
        ::kill(child.pid, SIGKILL);
        Finish(dir, "add", child);

        Outcome users = Cli(dir, data, {"users", "list"});
        ASSERT_EQ(users.code, 0) << users.err;
        bool listed = users.out.find(" " + id + "\n") != std::string::npos;
        killedBeforeListed += listed ? 0 : 1;
        Outcome again = Cli(dir, data, {"users", "add", id});
        EXPECT_EQ(again.code, listed ? 1 : 0) << id << ": " << again.err;
        Outcome read = Cli(dir, data, {"list", "--user", id});
        EXPECT_EQ(read.code, 0) << id << ": " << read.err;
        EXPECT_EQ(read.out.rfind("번호,날짜", 0), 0u);
    }
    for (int i = 0; i < 16; ++i) {
        std::string id = "u" + std::to_string(i);
        EXPECT_EQ(Cli(dir, data, {"users", "delete", id}).code, 0) << id;
    }
    EXPECT_TRUE(FilesOf(data, "u1").empty());
    EXPECT_GT(killedBeforeListed, 0) << "some kills came before the user was registered";
}

// A disk that fills up at any point of an add: the add fails with exit 1 and the file and
// reason, and nothing of the user is left; or it completes.
TEST(CliIntegrity, AUserAddOnAFullDiskFailsWholly) {
    TempDir dir;
    std::string data = dir.File("data");
    ASSERT_EQ(Cli(dir, data, {"users", "list"}).code, 0);
    int failures = 0;
    for (long limit : {0L, 512L, 4096L, 8192L, 12288L, 16384L, 24576L, 65536L}) {
        std::string id = "full" + std::to_string(limit);
        Outcome add = Cli(dir, data, {"users", "add", id}, "add", limit);
        Outcome users = Cli(dir, data, {"users", "list"});
        bool listed = users.out.find(" " + id + "\n") != std::string::npos;
        if (add.code == 0) {
            EXPECT_TRUE(listed) << limit;
            EXPECT_EQ(Cli(dir, data, {"list", "--user", id}).code, 0) << limit;
            continue;
        }
        ++failures;
        EXPECT_EQ(add.code, 1) << limit << ": " << add.err;
        EXPECT_FALSE(listed) << limit;
        EXPECT_NE(add.err.find(data + "/"), std::string::npos) << limit << ": " << add.err;
        EXPECT_TRUE(FilesOf(data, id).empty()) << limit << ": " << FilesOf(data, id).front();
        ASSERT_EQ(Cli(dir, data, {"users", "add", id}).code, 0) << "room again: " << limit;
    }
    EXPECT_GE(failures, 3);
}

// Two readers list in a loop while downloads store new results: every read succeeds with the
// rows stored so far, and every download completes.
TEST(CliIntegrity, TwoReadersBesideAWriterNeverFailNorListEmpty) {
    TempDir dir;
    std::string data = dir.File("data");
    {
        SimProcess sim({"--no-pace", "--hba1c", "20", "--seed", "1"});
        ASSERT_EQ(Cli(dir, data, {"download", "--port", sim.linkPath()}).code, 0);
    }
    std::atomic<bool> writing{true};
    std::atomic<int> reads{0};
    std::vector<std::string> problems[2];
    std::thread readers[2];
    for (int r = 0; r < 2; ++r) {
        readers[r] = std::thread([&, r] {
            std::string tag = "reader" + std::to_string(r);
            while (writing || reads < 6) {
                Outcome run = Cli(dir, data, {"list"}, tag);
                ++reads;
                if (run.code != 0 || LineCount(run.out) < 21) {
                    problems[r].push_back(std::to_string(run.code) + " " +
                                          std::to_string(LineCount(run.out)) + " " + run.err);
                }
            }
        });
    }
    std::vector<std::string> downloadProblems;
    for (int seed = 2; seed <= 4; ++seed) {
        SimProcess sim({"--no-pace", "--hba1c", "40", "--seed", std::to_string(seed)});
        Outcome download = Cli(dir, data, {"download", "--port", sim.linkPath()}, "writer");
        if (download.code != 0) {
            downloadProblems.push_back(download.err);
        }
    }
    writing = false;
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_TRUE(downloadProblems.empty()) << downloadProblems.front();
    EXPECT_TRUE(problems[0].empty()) << problems[0].front();
    EXPECT_TRUE(problems[1].empty()) << problems[1].front();
    EXPECT_GE(reads.load(), 6);
    EXPECT_GE(LineCount(Cli(dir, data, {"list"}).out), 1u + 20 + 40);
}
