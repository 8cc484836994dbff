#include "app/cli.h"
#include "print/list_report.h"
#include "scripted_prompter.h"
#include "sim_process.h"
#include "status_text.h"
#include "store/result_list.h"
#include "store/text_encoding.h"
#include "store/users.h"
#include "temp_dir.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace qa;
using namespace qa::test;

namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun Cli(const std::string& folder, std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", folder});
    std::ostringstream out, err;
    int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// The real program in its own process, as a script would run it.
CliRun CliProcess(const TempDir& dir, const std::string& args) {
    std::string command = std::string(QA_CLI_PATH) + " " + args + " >" + dir.File("out.txt") +
                          " 2>" + dir.File("err.txt");
    int status = std::system(command.c_str());
    return {WEXITSTATUS(status), ReadFile(dir.File("out.txt")), ReadFile(dir.File("err.txt"))};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

// One real download through the program, then the listing commands on what it stored.
TEST(Cli, DownloadThenListAndExport) {
    TempDir dir;
    std::string data = dir.File("data");
    {
        SimProcess sim({"--no-pace", "--hba1c", "6", "--seed", "7"});
        CliRun run = CliProcess(dir, "--data-dir " + data + " download --port " + sim.linkPath());
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, "새 결과 6건 저장\n");
        EXPECT_NE(run.err.find("데이터 검사 완료"), std::string::npos);
    }
    CliRun list = Cli(data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    auto lines = Lines(list.out);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "번호,날짜,시간,결과,eAG,환자ID")
        << "the header in the operator's language";
    EXPECT_EQ(lines[1].substr(0, 2), "1,");
    EXPECT_GT(lines[1].substr(2, 10), lines[6].substr(2, 10)) << "newest first";
    EXPECT_EQ(lines[1].back(), ',');

    CliRun exported = Cli(data, {"export", "--out", dir.File("all.csv")});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_EQ(Cp949ToUtf8(ReadFile(dir.File("all.csv"))).value(), list.out)
        << "export writes the listed lines, in code page 949";

    // The same list printed as the data report, to a PDF file.
    CliRun report = Cli(data, {"report", "--out", dir.File("report.pdf")});
    ASSERT_EQ(report.code, 0) << report.err;
    std::string text;
    {
        std::string command =
            "pdftotext -layout " + dir.File("report.pdf") + " " + dir.File("report.txt");
        ASSERT_EQ(std::system(command.c_str()), 0);
        text = ReadFile(dir.File("report.txt"));
    }
    EXPECT_NE(text.find("QuorinA1c 자가 보고서"), std::string::npos) << "the title in Korean";
    EXPECT_NE(text.find(lines[6].substr(lines[6].rfind(',', lines[6].size() - 2) + 1, 14)),
              std::string::npos)
        << "the last listed patient ID is printed";

    // The newest date's week only, and an explicit range.
    std::string newest = lines[1].substr(2, 10);
    std::string compact = newest.substr(0, 4) + newest.substr(5, 2) + newest.substr(8, 2);
    CliRun week = Cli(data, {"list", "--weeks", "1"});
    EXPECT_EQ(week.code, 0);
    EXPECT_LE(Lines(week.out).size(), lines.size());
    CliRun day = Cli(data, {"list", "--from", compact, "--to", compact});
    ASSERT_EQ(day.code, 0) << day.err;
    EXPECT_EQ(Lines(day.out)[1].substr(2, 10), newest);

    // Units follow the user's settings.
    ASSERT_EQ(Cli(data, {"settings", "set", "HbA1c_unit=1", "date=2"}).code, 0);
    CliRun show = Cli(data, {"settings", "show"});
    EXPECT_NE(show.out.find("HbA1c_unit=1\n"), std::string::npos);
    EXPECT_NE(show.out.find("Date=2\n"), std::string::npos);
    EXPECT_NE(Cli(data, {"list"}).out.find("mmol/mol"), std::string::npos);

    // Every change and every file written is in the audit log, in order.
    CliRun audit = Cli(data, {"audit"});
    ASSERT_EQ(audit.code, 0) << audit.err;
    auto entries = Lines(audit.out);
    ASSERT_EQ(entries.size(), 4u) << audit.out;
    EXPECT_NE(entries[0].find("\timport\t\tHbA1c: 6 received, 6 new; meter with 30-byte records"),
              std::string::npos)
        << entries[0];
    EXPECT_NE(entries[1].find("\texport\t\t6 HbA1c results to " + dir.File("all.csv")),
              std::string::npos)
        << entries[1];
    EXPECT_NE(entries[2].find("\tprint\t\t6 HbA1c results to " + dir.File("report.pdf")),
              std::string::npos);
    EXPECT_NE(entries[3].find("HbA1c_unit: \"0\" -> \"1\"; Date: \"0\" -> \"2\""),
              std::string::npos)
        << entries[3];
    EXPECT_EQ(entries[0].substr(19, 7), "\tBasis\t") << "time, then the operator";
    EXPECT_EQ(Cli(data, {"audit", "--from", "20000101", "--to", "20000102"}).out, "");
}

TEST(Cli, BackupAndRestoreThroughTheCommandLine) {
    TempDir dir;
    std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"users", "add", "Lee"}).code, 0);
    CliRun backup = Cli(data, {"backup", "--out", dir.File("b.tar")});
    ASSERT_EQ(backup.code, 0) << backup.err;
    ASSERT_EQ(Cli(data, {"users", "add", "Park"}).code, 0);
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "  Basis\n  Lee\n* Park\n");

    WriteFile(dir.File("bad.tar"), ReadFile(dir.File("b.tar")).substr(0, 3000));
    CliRun refused = Cli(data, {"restore", dir.File("bad.tar")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("아무것도 바뀌지 않았습니다"), std::string::npos) << refused.err;
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "  Basis\n  Lee\n* Park\n");

    CliRun restored = Cli(data, {"restore", dir.File("b.tar")});
    ASSERT_EQ(restored.code, 0) << restored.err;
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "  Basis\n* Lee\n");
    auto lines = Lines(restored.out);
    ASSERT_EQ(lines.size(), 2u);
    std::string aside = lines[1].substr(lines[1].rfind(' ') + 1);
    EXPECT_TRUE(FileExists(aside + "/Park_HbA1c.sqlite")) << "the replaced folder is kept";
    EXPECT_FALSE(FileExists(data + "/QuorinA1c.lock")) << "the lock went with the command";
    CliRun audit = Cli(data, {"audit"});
    EXPECT_NE(audit.out.find("\trestore\t\tfrom " + dir.File("b.tar")), std::string::npos)
        << audit.out;

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"backup"},
                                                {"backup", "--out", dir.File("c.tar"), "extra"},
                                                {"restore"},
                                                {"restore", "a", "b"},
                                                {"audit", "--from", "2016-01-01"},
                                                {"audit", "stray"}}) {
        EXPECT_EQ(Cli(data, bad).code, 2) << bad[0];
    }
}

// The pages of a PDF as pdftotext reads them, without the header line (it holds the time).
std::vector<std::string> PdfPagesWithoutHeader(const std::string& pdf) {
    const std::string txt = pdf + ".txt";
    EXPECT_EQ(std::system(("pdftotext -layout " + pdf + " " + txt).c_str()), 0);
    std::vector<std::string> pages;
    std::string text = ReadFile(txt);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\f', start)) != std::string::npos; start = end + 1) {
        std::string page;
        for (const std::string& line : Lines(text.substr(start, end - start))) {
            if (line.find("QuorinA1c Self Report") == std::string::npos) {
                page += line + "\n";
            }
        }
        pages.push_back(page);
    }
    return pages;
}

TEST(Cli, TheStreamedReportHasThePagesOfTheHeldList) {
    TempDir dir;
    std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"list"}).code, 0);
    ResultList held;
    SettingsStore settings;
    {
        ScriptedPrompter prompter;
        UserStore users(data, prompter);
        ASSERT_TRUE(users.Reload());
        HbA1cTable& table = users.HbA1cMain();
        ASSERT_TRUE(table.BeginTransaction());
        for (int i = 0; i < 400; ++i) {
            ASSERT_TRUE(table.AddNew());
            table.date = "201606" + std::to_string(10 + i % 20);
            table.time = i % 2 ? "0800" : "1430";
            table.value = std::to_string(500 + i % 9 * 50);
            table.pid = "P" + std::to_string(i) + (i % 7 ? "" : ", long patient identifier");
            ASSERT_TRUE(table.Update());
        }
        ASSERT_TRUE(table.CommitTransaction());
        held = LoadResultList(table, users.Settings(), false);
        settings = users.Settings();
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "app_test";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    CliRun report = Cli(data, {"report", "--out", dir.File("streamed.pdf")});
    ASSERT_EQ(report.code, 0) << report.err;

    // Headed as the command line heads it: in the operator's language (Korean here).
    auto heading = [](const char* text) {
        return QCoreApplication::translate("qa::ListHeading", text);
    };
    TableReportSource source;
    source.AddColumn(heading("No."), 80);
    source.AddColumn(heading("Date"), 150);
    source.AddColumn(heading("Time"), 100);
    source.AddColumn(heading("Result"), 180);
    source.AddColumn(heading("eAG"), 180);
    source.AddColumn(heading("Patient ID"), 180);
    for (const auto& row : held.cells) {
        std::vector<QString> cells;
        for (const std::string& cell : row) {
            cells.push_back(QString::fromStdString(cell));
        }
        source.AddRow(std::move(cells));
    }
    // The command line's header names clinic, operator, kind and period.
    ReportContext context;
    context.operatorId = "Basis";
    context.subject = QCoreApplication::translate("ReportHeader", "Result kind: %1").arg("HbA1c");
    context.period = QCoreApplication::translate("ReportHeader", "All results");
    ASSERT_EQ(test::Why(PrintReportToPdf(source, settings,
                                         QString::fromStdString(dir.File("held.pdf")), context)),
              "");
    auto streamed = PdfPagesWithoutHeader(dir.File("streamed.pdf"));
    auto expected = PdfPagesWithoutHeader(dir.File("held.pdf"));
    ASSERT_GT(expected.size(), 3u) << "several pages";
    EXPECT_EQ(streamed, expected);
}

TEST(Cli, SearchRangeRulesAndBadUsage) {
    TempDir dir;
    std::string data = dir.File("data");
    EXPECT_EQ(Cli(data, {"list", "--from", "20160101", "--to", "20170101"}).code, 0);
    CliRun tooLong = Cli(data, {"list", "--from", "20160101", "--to", "20170102"});
    EXPECT_EQ(tooLong.code, 1);
    EXPECT_NE(tooLong.err.find("최대 365일"), std::string::npos);
    EXPECT_EQ(Cli(data, {"list", "--from", "20160102", "--to", "20160101"}).code, 1);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{},
          {"frobnicate"},
          {"list", "--kind", "lipids"},
          {"list", "--from", "2016-01-01", "--to", "20160101"},
          {"list", "--weeks", "13"},
          {"list", "--weeks", "1", "--from", "20160101", "--to", "20160101"},
          {"download"},
          {"export"},
          {"settings", "set", "Colour=red"},
          {"settings", "set", "HbA1c_high=high"},
          {"list", "--user", "nobody"},
          {"--bogus"}}) {
        CliRun run = Cli(data, bad);
        EXPECT_EQ(run.code, 2) << (bad.empty() ? "(nothing)" : bad[0]) << ": " << run.err;
        EXPECT_FALSE(run.err.empty());
    }
}

TEST(Cli, UsersAreAddedSwitchedAndDeleted) {
    TempDir dir;
    std::string data = dir.File("data");
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "* Basis\n");
    EXPECT_EQ(Cli(data, {"users", "add", "Dr Kim"}).code, 0);
    EXPECT_EQ(Cli(data, {"users", "add", "Dr Kim"}).code, 1) << "duplicate";
    EXPECT_EQ(Cli(data, {"users", "add", "../evil"}).code, 1);
    EXPECT_FALSE(FileExists(dir.File("evil_HbA1c.sqlite")));
    EXPECT_EQ(Cli(data, {"users", "switch", "Basis"}).code, 0);
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "* Basis\n  Dr Kim\n");

    // --user reads another user's files without changing the current user.
    EXPECT_EQ(Cli(data, {"settings", "set", "--user", "Dr Kim", "Name=Kim"}).code, 0);
    EXPECT_NE(Cli(data, {"settings", "show", "--user", "Dr Kim"}).out.find("Name=Kim\n"),
              std::string::npos);
    EXPECT_NE(Cli(data, {"settings", "show"}).out.find("Name=\n"), std::string::npos);
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "* Basis\n  Dr Kim\n");

    EXPECT_EQ(Cli(data, {"users", "delete", "Basis"}).code, 0);
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "* Dr Kim\n");
    EXPECT_EQ(Cli(data, {"users", "delete", "Dr Kim"}).code, 1) << "the last user stays";
    EXPECT_EQ(Cli(data, {"users", "delete", "ghost"}).code, 2);
}

TEST(Cli, AUserWhoseFilesCannotBeOpenedIsNamed) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"users", "add", "Dr Kim"}).code, 0);
    std::filesystem::remove(data + "/Dr Kim_Glucose.sqlite");
    std::filesystem::create_directory(data + "/Dr Kim_Glucose.sqlite");
    CliRun run = Cli(data, {"list", "--user", "Dr Kim"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(Lines(run.err).at(0), "사용자 Dr Kim의 파일을 열 수 없습니다:") << run.err;

    // The settings file is named with the reason, as the databases are.
    std::filesystem::remove(data + "/Dr Kim_set_info.ini");
    std::filesystem::create_directory(data + "/Dr Kim_set_info.ini");
    run = Cli(data, {"settings", "show", "--user", "Dr Kim"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("  " + data + "/Dr Kim_set_info.ini: Is a directory\n"),
              std::string::npos)
        << run.err;
}

// A change the file refuses (here a rule of another program on the table) is told with the
// file and the reason, and changes nothing.
TEST(Cli, ARefusedDeleteOrModifyNamesTheFileAndTheReason) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"list"}).code, 0);
    std::string id;
    std::string path;
    {
        ScriptedPrompter prompter;
        UserStore users(data, prompter);
        ASSERT_TRUE(users.Reload());
        HbA1cTable& table = users.HbA1cMain();
        ASSERT_TRUE(table.AddNew());
        table.date = "20160620";
        table.time = "1430";
        table.value = "0650";
        table.pid = "P1";
        ASSERT_TRUE(table.Update());
        id = table.resultId.Str();
        path = table.Path().Str();
        for (const char* when : {"DELETE", "UPDATE"}) {
            ASSERT_TRUE(table.Execute(std::string("CREATE TRIGGER refuse_") + when + " BEFORE " +
                                      when +
                                      " ON HospitalTlb BEGIN SELECT RAISE(ABORT, 'refused by "
                                      "the site'); END"));
        }
    }
    const std::string why = path + ": refused by the site";
    const CliRun deleted = Cli(data, {"delete", id});
    EXPECT_EQ(deleted.code, 1);
    EXPECT_NE(deleted.err.find(why), std::string::npos) << deleted.err;
    const CliRun modified = Cli(data, {"modify", id, "name=Kim"});
    EXPECT_EQ(modified.code, 1);
    EXPECT_NE(modified.err.find(why), std::string::npos) << modified.err;
    const CliRun listed = Cli(data, {"list"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(Lines(listed.out).size(), 2u) << "the result is still there";
}

TEST(Cli, DownloadFromAMissingPortFails) {
    TempDir dir;
    CliRun run = Cli(dir.File("data"), {"download", "--port", "ttyQA-none"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("통신 포트 연결 실패."), std::string::npos) << run.err;
    EXPECT_NE(
        run.err.find("/dev/ttyQA-none: 그런 포트가 없습니다. 측정기가 연결되어 있고 켜져 있는지 "
                     "확인해 주세요 (error code - 2)"),
        std::string::npos)
        << run.err;
}

// Interrupted mid-transfer, the download stops at once, stores nothing, never tells the
// meter to erase (even with --erase) and exits 1 with a message. Both stop signals.
TEST(Cli, StopSignalMidTransferStoresNothingAndExits1) {
    for (int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(sig));
        TempDir dir;
        const std::string data = dir.File("data");
        const std::string log = dir.File("sim.log");
        // 999 paced records take about half a minute on the wire: plenty of "mid".
        SimProcess sim({"--pace", "--hba1c", "999", "--seed", "3", "--log", log});
        const std::string errPath = dir.File("err.txt");
        std::fflush(nullptr); // the child must not write out what this process buffered
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::freopen(dir.File("out.txt").c_str(), "w", stdout);
            std::freopen(errPath.c_str(), "w", stderr);
            execl(QA_CLI_PATH, QA_CLI_PATH, "--data-dir", data.c_str(), "download", "--port",
                  sim.linkPath().c_str(), "--erase", static_cast<char*>(nullptr));
            _exit(127);
        }
        // Wait until records are arriving (the receiving texts are on stderr).
        bool receiving = false;
        for (int i = 0; i < 3000 && !receiving; ++i) {
            receiving = ReadFile(errPath).find("받는 중") != std::string::npos;
            if (!receiving) {
                usleep(10'000);
            }
        }
        ASSERT_TRUE(receiving) << ReadFile(errPath);
        ASSERT_EQ(kill(pid, sig), 0);
        auto stopped = std::chrono::steady_clock::now();
        int status = 0;
        // A hang guard, not a speed check: the measured stop time is far below this.
        for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++i) {
            usleep(10'000);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - stopped).count();
        if (waitpid(pid, &status, WNOHANG) == 0 && !WIFEXITED(status)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            FAIL() << "still running " << seconds << " s after the signal";
        }
        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal instead of stopping cleanly";
        EXPECT_EQ(WEXITSTATUS(status), 1);
        const std::string err = ReadFile(errPath);
        EXPECT_NE(err.find("다운로드 취소:"), std::string::npos) << err;
        EXPECT_EQ(ReadFile(dir.File("out.txt")), "");
        std::printf("[ stopped %.3f s after %s ]\n", seconds, strsignal(sig));

        CliRun list = Cli(data, {"list"});
        ASSERT_EQ(list.code, 0) << list.err;
        EXPECT_EQ(Lines(list.out).size(), 1u) << "only the header: nothing stored\n" << list.out;
        sim.stop();
        const std::string transcript = ReadFile(log);
        EXPECT_NE(transcript.find("<- S H"), std::string::npos) << transcript;
        EXPECT_EQ(transcript.find("<- S D"), std::string::npos) << "the meter was told to erase";
    }
}

TEST(Cli, SettingsRefuseOverLongTextsAndCodesOutsideTheirLists) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"settings", "set", "Name=Kim"}).code, 0);

    // 49 Hangul syllables and a letter are 99 bytes of code page 949, as the Windows program
    // counted them: they fit. One syllable more does not, and nothing of it is stored, not
    // even the first 49.
    std::string syllables;
    for (int i = 0; i < 50; ++i) {
        syllables += "한";
    }
    const std::string fits = syllables.substr(0, 49 * 3) + "A";
    ASSERT_EQ(Cli(data, {"settings", "set", "Hospital=" + fits}).code, 0);
    for (const char* key : {"Name", "Hospital", "Email", "Command"}) {
        CliRun run = Cli(data, {"settings", "set", std::string(key) + "=" + syllables});
        EXPECT_EQ(run.code, 2) << key;
        EXPECT_NE(run.err.find(std::string(key) + "이(가) 너무 깁니다: 최대 99바이트"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(Cli(data, {"settings", "set", "Email=" + std::string(100, 'a')}).code, 2);
    ASSERT_EQ(Cli(data, {"settings", "set", "Email=" + std::string(99, 'a')}).code, 0);

    CliRun bad = Cli(data, {"settings", "set", "Date=5"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("Date에는 0 (yyyy/MM/dd), 1 (MM/dd/yyyy) 또는 2 (dd/MM/yyyy)"),
              std::string::npos)
        << bad.err;
    for (const char* pair : {"HbA1c_unit=2", "Glucose_unit=-1", "time=2", "lang=7", "Date=x"}) {
        CliRun run = Cli(data, {"settings", "set", pair});
        EXPECT_EQ(run.code, 2) << pair;
        EXPECT_NE(run.err.find(" 또는 "), std::string::npos) << pair << ": " << run.err;
    }
    // A refused pair refuses the whole command: the good one before it is not stored either.
    EXPECT_EQ(Cli(data, {"settings", "set", "time=1", "Date=3"}).code, 2);

    CliRun show = Cli(data, {"settings", "show"});
    EXPECT_NE(show.out.find("Name=Kim\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Hospital=" + fits + "\n"), std::string::npos) << "kept whole";
    EXPECT_NE(show.out.find("Date=0\n"), std::string::npos);
    EXPECT_NE(show.out.find("time=0\n"), std::string::npos);
    EXPECT_NE(show.out.find("Email=" + std::string(99, 'a') + "\n"), std::string::npos);
}
