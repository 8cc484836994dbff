#include "app/cli.h"
#include "sim_process.h"
#include "store/text_encoding.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/wait.h>

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
        EXPECT_EQ(run.out, "imported 6\n");
        EXPECT_NE(run.err.find("데이터 검사 완료"), std::string::npos);
    }
    CliRun list = Cli(data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    auto lines = Lines(list.out);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "No,Date,Time,Result,eAG,Patient ID");
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
    EXPECT_NE(text.find("QuorinA1c Self Report"), std::string::npos);
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

TEST(Cli, DownloadFromAMissingPortFails) {
    TempDir dir;
    CliRun run = Cli(dir.File("data"), {"download", "--port", "ttyQA-none"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("error code - 2"), std::string::npos);
    EXPECT_NE(run.err.find("통신 포트 연결 실패."), std::string::npos);
}
