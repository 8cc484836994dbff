#include "app/cli.h"
#include "sim_process.h"
#include "store/text_encoding.h"
#include "temp_dir.h"
#include "windows_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
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

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

// The operator files of a user, without the audit log the outputs add to.
std::string OperatorFiles(const std::string& folder) {
    std::string all = FolderFingerprint(folder);
    std::string kept;
    std::istringstream in(all);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("audit.sqlite", 0) != 0 && line.rfind("QuorinA1c.lock", 0) != 0 &&
            line.rfind("installation.uuid", 0) != 0) {
            kept += line + "\n";
        }
    }
    return kept;
}

class WindowsFolderCli : public ::testing::Test {
protected:
    void SetUp() override {
        data = dir.File("data");
        WriteWindowsFolder(data, StandardWindowsFolder());
    }
    TempDir dir;
    std::string data;
};

} // namespace

// Hangul operator IDs stored in code page 949 are listed, switched and opened by their
// text or by their stored bytes; their files are found under either spelling of their name.
TEST_F(WindowsFolderCli, OperatorIdsDecodeAndTheirFilesAreFound) {
    CliRun users = Cli(data, {"users", "list"});
    ASSERT_EQ(users.code, 0) << users.err;
    EXPECT_EQ(users.out, "* 홍길동\n  김철수\n  Basis\n");

    // 홍길동's files carry code page 949 bytes in their names: the results are there.
    CliRun list = Cli(data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_TRUE(Has(list.out, "HONG0000000001")) << list.out;
    EXPECT_TRUE(Has(list.out, "HONG0000000002"));

    // 김철수's are named in UTF-8, and --user takes the text.
    CliRun kim = Cli(data, {"list", "--user", "김철수"});
    ASSERT_EQ(kim.code, 0) << kim.err;
    EXPECT_TRUE(Has(kim.out, "KIM00000000001")) << kim.out;

    const std::string userFileBefore = ReadFile(data + "/user_info.ini");
    CliRun byText = Cli(data, {"users", "switch", "김철수"});
    ASSERT_EQ(byText.code, 0) << byText.err;
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "  홍길동\n* 김철수\n  Basis\n");
    // The stored bytes name the same operator; nothing new is created under them.
    CliRun byBytes = Cli(data, {"users", "switch", Cp949("홍길동")});
    ASSERT_EQ(byBytes.code, 0) << byBytes.err;
    EXPECT_EQ(ReadFile(data + "/user_info.ini"), userFileBefore)
        << "the user file keeps its code page 949 bytes and CR LF";
    EXPECT_FALSE(std::filesystem::exists(data + "/홍길동_HbA1c.sqlite"))
        << "no second, empty set of files under the decoded name";
    EXPECT_TRUE(Has(Cli(data, {"list"}).out, "HONG0000000001"));
}

// Reading never writes: list, export, report and patients over files of the first schema
// (no memo column, no index) succeed and leave every operator file as it was.
TEST_F(WindowsFolderCli, ReadersLeaveOldFilesUnchanged) {
    // The first command makes the copy's files owner-only, and says so; contents stay.
    CliRun first = Cli(data, {"users", "list"});
    EXPECT_NE(first.err, "") << "the tightened modes are reported";
    const std::string before = OperatorFiles(data);
    CliRun list = Cli(data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out.find("readonly"), std::string::npos);
    CliRun exported = Cli(data, {"export", "--out", dir.File("out.csv")});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_TRUE(Has(ReadFile(dir.File("out.csv")), "HONG0000000002"));
    CliRun report = Cli(data, {"report", "--out", dir.File("out.pdf")});
    ASSERT_EQ(report.code, 0) << report.err;
    EXPECT_EQ(ReadFile(dir.File("out.pdf")).substr(0, 5), "%PDF-");
    CliRun patients = Cli(data, {"patients"});
    ASSERT_EQ(patients.code, 0) << patients.err;
    EXPECT_TRUE(Has(patients.out, "HONG0000000001\t1\t"));
    CliRun glucose = Cli(data, {"list", "--kind", "glucose"});
    ASSERT_EQ(glucose.code, 0) << glucose.err;
    CliRun show = Cli(data, {"settings", "show"});
    ASSERT_EQ(show.code, 0) << show.err;
    EXPECT_EQ(OperatorFiles(data), before);
    CliRun check = Cli(data, {"check"});
    EXPECT_EQ(check.code, 1) << "the old schema and the copy's modes are reported";
    EXPECT_TRUE(Has(check.err, "P_MEMO")) << check.err;
    EXPECT_EQ(OperatorFiles(data), before) << "the check changed nothing either";
}

// What fitted the Windows program's 99 bytes fits here, and a save never shortens a text.
TEST_F(WindowsFolderCli, LongHangulTextsSurviveASave) {
    const std::string name = Repeat("가", 49) + "A";
    const std::string clinic = Repeat("한", 49) + "B";
    CliRun show = Cli(data, {"settings", "show"});
    ASSERT_EQ(show.code, 0) << show.err;
    EXPECT_TRUE(Has(show.out, "Name=" + name + "\n")) << show.out;
    EXPECT_TRUE(Has(show.out, "Hospital=" + clinic + "\n"));

    ASSERT_EQ(Cli(data, {"settings", "set", "Email=a@b.kr"}).code, 0);
    show = Cli(data, {"settings", "show"});
    EXPECT_TRUE(Has(show.out, "Name=" + name + "\n")) << "not cut after the save: " << show.out;
    EXPECT_TRUE(Has(show.out, "Hospital=" + clinic + "\n"));
    EXPECT_TRUE(Has(show.out, "Email=a@b.kr\n"));

    // 40 syllables typed here fit as they did there; one byte past the limit does not.
    ASSERT_EQ(Cli(data, {"settings", "set", "Command=" + Repeat("메", 40)}).code, 0);
    EXPECT_TRUE(Has(Cli(data, {"settings", "show"}).out, "Command=" + Repeat("메", 40) + "\n"));
    CliRun tooLong = Cli(data, {"settings", "set", "Command=" + Repeat("메", 49) + "AB"});
    EXPECT_EQ(tooLong.code, 2);
    EXPECT_TRUE(Has(tooLong.err, "100")) << tooLong.err;
}

// Writers upgrade the old files, and say so in the audit trail; a backup holds the folder.
TEST_F(WindowsFolderCli, WritersUpgradeAndAuditIt) {
    {
        SimProcess sim({"--no-pace", "--hba1c", "2", "--seed", "3"});
        CliRun download = Cli(data, {"download", "--port", sim.linkPath()});
        ASSERT_EQ(download.code, 0) << download.err;
    }
    CliRun list = Cli(data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_TRUE(Has(list.out, "HONG0000000001")) << "the old results stay beside the new ones";
    CliRun audit = Cli(data, {"audit"});
    ASSERT_EQ(audit.code, 0) << audit.err;
    EXPECT_TRUE(Has(audit.out, "\tupgrade\t\t")) << audit.out;
    EXPECT_TRUE(Has(audit.out, "column P_MEMO")) << audit.out;
    EXPECT_TRUE(Has(audit.out, "\t홍길동\t")) << "the operator as text: " << audit.out;

    CliRun backup = Cli(data, {"backup", "--out", dir.File("b.tar")});
    ASSERT_EQ(backup.code, 0) << backup.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("b.tar")));
}

// The folder on read-only media: every reading command works and writes nothing. Root
// writes through any mode, so the media is a read-only bind in a mount namespace of its own.
TEST_F(WindowsFolderCli, ReadOnlyMediaIsReadWhole) {
    const std::string media = dir.File("media");
    std::filesystem::create_directories(media);
    const std::string mount = "mount --make-rprivate / && mount --bind " + data + " " + media +
                              " && mount -o remount,bind,ro " + media;
    if (std::system(("unshare -m sh -c '" + mount + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "no mount namespace to make read-only media in";
    }
    const std::string before = FolderFingerprint(data);
    auto run = [&](const std::string& args) {
        const std::string command = "unshare -m sh -c '" + mount + " && " + QA_CLI_PATH +
                                    " --data-dir " + media + " " + args + " >" +
                                    dir.File("out.txt") + " 2>" + dir.File("err.txt") + "'";
        const int status = std::system(command.c_str());
        return CliRun{WEXITSTATUS(status), ReadFile(dir.File("out.txt")),
                      ReadFile(dir.File("err.txt"))};
    };
    for (const std::string& args : std::vector<std::string>{
             "list", "list --kind glucose", "patients", "users list", "settings show",
             "export --out " + dir.File("ro.csv"), "report --out " + dir.File("ro.pdf")}) {
        CliRun result = run(args);
        EXPECT_EQ(result.code, 0) << args << ": " << result.err;
        // An output's audit entry cannot be written there, and says so; nothing else may fail.
        if (args.rfind("export", 0) != 0 && args.rfind("report", 0) != 0) {
            EXPECT_EQ(result.err, "") << args;
        }
    }
    EXPECT_TRUE(Has(ReadFile(dir.File("ro.csv")), "HONG0000000001"));
    CliRun list = run("list --user 김철수");
    EXPECT_TRUE(Has(list.out, "KIM00000000001")) << list.err;
    EXPECT_EQ(FolderFingerprint(data), before);
}

// Hostile patient IDs from a meter: a terminal gets their control characters written out,
// a tab-separated line keeps its columns.
TEST(CliOutputs, HostileIdsAreShownSafely) {
    TempDir dir;
    const std::string data = dir.File("data");
    WindowsFolder folder;
    folder.operators.push_back(
        {"Basis", false, "-1", "-1", {"=CMD|' /C CALC", "A\tB\x1b[2J\x07", "line\nbreak"}});
    WriteWindowsFolder(data, folder);

    CliRun list = Cli(data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(list.out.find('\x07'), std::string::npos);
    EXPECT_TRUE(Has(list.out, "A\\x09B\\x1b[2J\\x07")) << list.out;

    CliRun patients = Cli(data, {"patients"});
    ASSERT_EQ(patients.code, 0) << patients.err;
    EXPECT_TRUE(Has(patients.out, "A\\tB\\x1b[2J\\x07\t1\t")) << patients.out;
    EXPECT_TRUE(Has(patients.out, "line\\nbreak\t1\t")) << patients.out;
    std::istringstream lines(patients.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 6) << line;
    }

    CliRun exported = Cli(data, {"export", "--out", dir.File("x.csv")});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_TRUE(Has(ReadFile(dir.File("x.csv")), ",'=CMD|' /C CALC,")) << "the formula guard";
}

// A destination send would refuse, and a limit beyond its range, are refused when set.
TEST(CliSettings, RefusesWhatCannotBeUsed) {
    TempDir dir;
    const std::string data = dir.File("data");
    CliRun destination = Cli(data, {"settings", "set", "Destination=http://a@b/"});
    EXPECT_EQ(destination.code, 2);
    EXPECT_TRUE(Has(destination.err, "http://a@b/")) << destination.err;
    CliRun huge = Cli(data, {"settings", "set", "Glucose_high=99999999999999999999999"});
    EXPECT_EQ(huge.code, 2);
    EXPECT_FALSE(Has(Cli(data, {"settings", "show"}).out, "99999"));
    EXPECT_EQ(Cli(data, {"settings", "set", "Destination=mllp://lab:2575"}).code, 0);
    EXPECT_EQ(Cli(data, {"settings", "set", "Destination=https://fhir.example/base"}).code, 0);
}

// The command line's report speaks the operator's language in its header too, and a report
// that is refused leaves the earlier file of that name alone.
TEST_F(WindowsFolderCli, ReportHeaderInTheOperatorsLanguage) {
    CliRun report = Cli(data, {"report", "--out", dir.File("k.pdf")});
    ASSERT_EQ(report.code, 0) << report.err;
    const std::string text = dir.File("k.txt");
    ASSERT_EQ(std::system(("pdftotext -layout " + dir.File("k.pdf") + " " + text).c_str()), 0);
    const std::string page = ReadFile(text);
    EXPECT_TRUE(Has(page, "기간: 전체 결과")) << page;
    EXPECT_FALSE(Has(page, "All results"));
    EXPECT_TRUE(Has(page, "홍길동")) << "the operator by name";

    const std::string inside = data + "/report.pdf";
    { std::ofstream(inside) << "earlier"; }
    CliRun refused = Cli(data, {"report", "--out", inside});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(ReadFile(inside), "earlier");
}

namespace {

// The result IDs `list --ids` shows, newest first; empty for a result that has none.
std::vector<std::string> ListedIds(const std::string& listing) {
    std::vector<std::string> ids;
    std::istringstream lines(listing);
    std::string line;
    std::getline(lines, line); // the heading
    while (std::getline(lines, line)) {
        ids.push_back(line.substr(0, line.find(',')));
    }
    return ids;
}

// Runs the command line in a mount namespace of its own where `folder` is seen, read-only,
// at `media`; nullopt where no such namespace can be made.
std::optional<CliRun> OnReadOnlyMedia(const TempDir& dir, const std::string& folder,
                                      const std::string& args) {
    const std::string media = dir.File("media");
    std::filesystem::create_directories(media);
    const std::string mount = "mount --make-rprivate / && mount --bind " + folder + " " + media +
                              " && mount -o remount,bind,ro " + media;
    if (std::system(("unshare -m sh -c '" + mount + "' 2>/dev/null").c_str()) != 0) {
        return std::nullopt;
    }
    const std::string command = "unshare -m sh -c '" + mount + " && " + QA_CLI_PATH +
                                " --data-dir " + media + " " + args + " >" + dir.File("out.txt") +
                                " 2>" + dir.File("err.txt") + "'";
    const int status = std::system(command.c_str());
    return CliRun{WEXITSTATUS(status), ReadFile(dir.File("out.txt")),
                  ReadFile(dir.File("err.txt"))};
}

} // namespace

// The patient report over the old files: the Hangul name the Windows program stored in code
// page 949 is printed as text, and nothing is written into the folder.
TEST_F(WindowsFolderCli, PatientReportPrintsTheHangulName) {
    (void)Cli(data, {"users", "list"}); // the copy's modes are made owner-only first
    const std::string before = OperatorFiles(data);
    CliRun report =
        Cli(data, {"report", "--patient", "HONG0000000002", "--out", dir.File("p.pdf")});
    ASSERT_EQ(report.code, 0) << report.err;
    ASSERT_EQ(
        std::system(("pdftotext -layout " + dir.File("p.pdf") + " " + dir.File("p.txt")).c_str()),
        0);
    const std::string page = ReadFile(dir.File("p.txt"));
    EXPECT_TRUE(Has(page, "HONG0000000002")) << page;
    EXPECT_TRUE(Has(page, "환자2")) << page;
    EXPECT_FALSE(Has(page, "HONG0000000001")) << "only that patient's results";
    EXPECT_EQ(OperatorFiles(data), before);
}

// Modify and delete over a file of the first version: asking for the IDs is the writable
// open that gives them (audited as an upgrade); a Hangul name and memo are stored whole and
// read back; the delete removes that result alone. Each change is in the audit trail.
TEST_F(WindowsFolderCli, ModifyAndDeleteOverTheOldFiles) {
    CliRun listed = Cli(data, {"list", "--ids"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    const std::vector<std::string> ids = ListedIds(listed.out);
    ASSERT_EQ(ids.size(), 2u) << listed.out;
    ASSERT_EQ(ids[0].size(), 36u) << "the old results got IDs: " << listed.out;
    ASSERT_EQ(ids[1].size(), 36u);
    EXPECT_EQ(ListedIds(Cli(data, {"list", "--ids"}).out), ids) << "the same IDs each time";
    CliRun audit = Cli(data, {"audit"});
    EXPECT_TRUE(Has(audit.out, "\tupgrade\t\t")) << audit.out;

    const std::string name = Repeat("강", 7); // 14 bytes in code page 949, 21 in UTF-8
    CliRun modify = Cli(data, {"modify", ids[0], "Name=" + name, "Memo=재검 필요"});
    ASSERT_EQ(modify.code, 0) << modify.err;
    CliRun list = Cli(data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    CliRun patients = Cli(data, {"patients"});
    EXPECT_TRUE(Has(patients.out, "HONG0000000001\t1\t")) << patients.out;
    EXPECT_TRUE(Has(patients.out, name)) << "stored whole: " << patients.out;
    EXPECT_TRUE(Has(patients.out, "환자2")) << "the other result keeps its old name";
    CliRun tooLong = Cli(data, {"modify", ids[0], "Name=" + Repeat("강", 8)});
    EXPECT_EQ(tooLong.code, 1) << "16 bytes where Windows held 15";

    CliRun removed = Cli(data, {"delete", ids[1]});
    ASSERT_EQ(removed.code, 0) << removed.err;
    list = Cli(data, {"list", "--ids"});
    EXPECT_EQ(ListedIds(list.out), std::vector<std::string>{ids[0]}) << list.out;
    audit = Cli(data, {"audit"});
    EXPECT_TRUE(Has(audit.out, "\tmodify\t")) << audit.out;
    EXPECT_TRUE(Has(audit.out, "\tdelete\t")) << audit.out;
    EXPECT_TRUE(Has(audit.out, name)) << "the change is named in the trail";
}

// On read-only media the IDs are listed as far as the files have them (none, for the first
// version), and modify and delete are refused before anything is looked up, saying why.
TEST_F(WindowsFolderCli, ReadOnlyMediaRefusesChanges) {
    const std::string before = FolderFingerprint(data);
    std::optional<CliRun> listed = OnReadOnlyMedia(dir, data, "list --ids");
    if (!listed) {
        GTEST_SKIP() << "no mount namespace to make read-only media in";
    }
    ASSERT_EQ(listed->code, 0) << listed->err;
    EXPECT_EQ(ListedIds(listed->out), (std::vector<std::string>{"", ""})) << listed->out;
    const std::string id = "0b7c6a52-3f1e-4c2d-9a8b-1c2d3e4f5a6b";
    for (const std::string& args : {"modify " + id + " Name=x", "delete " + id}) {
        std::optional<CliRun> refused = OnReadOnlyMedia(dir, data, args);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->code, 1) << args;
        // In the operator's language (Korean here), naming the folder and why.
        EXPECT_TRUE(Has(refused->err, "읽기 전용 매체에 있습니다: " + dir.File("media")))
            << args << ": " << refused->err;
        EXPECT_FALSE(Has(refused->err, id)) << "refused before the result is looked up";
    }
    EXPECT_EQ(FolderFingerprint(data), before);
}

// An operator whose files carry code page 949 bytes in their names is deleted whole and
// restored whole; a backup of the old folder restores to the same results.
TEST_F(WindowsFolderCli, OperatorDeleteRestoreAndBackupRestore) {
    CliRun backup = Cli(data, {"backup", "--out", dir.File("b.tar")});
    ASSERT_EQ(backup.code, 0) << backup.err;

    CliRun removed = Cli(data, {"users", "delete", "홍길동"});
    ASSERT_EQ(removed.code, 0) << removed.err;
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "* 김철수\n  Basis\n");
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        const std::string name = entry.path().filename().string();
        EXPECT_NE(name.rfind(Cp949("홍길동"), 0), 0u) << "left behind: " << name;
        EXPECT_NE(name.rfind("홍길동", 0), 0u) << "made anew: " << name;
    }
    CliRun restored = Cli(data, {"users", "restore", "홍길동"});
    ASSERT_EQ(restored.code, 0) << restored.err;
    CliRun hong = Cli(data, {"list", "--user", "홍길동"});
    ASSERT_EQ(hong.code, 0) << hong.err;
    EXPECT_TRUE(Has(hong.out, "HONG0000000001")) << hong.out;
    EXPECT_TRUE(Has(hong.out, "HONG0000000002"));

    ASSERT_EQ(Cli(data, {"users", "delete", "김철수"}).code, 0);
    CliRun back = Cli(data, {"restore", dir.File("b.tar")});
    ASSERT_EQ(back.code, 0) << back.err;
    EXPECT_EQ(Cli(data, {"users", "list"}).out, "* 홍길동\n  김철수\n  Basis\n");
    EXPECT_TRUE(Has(Cli(data, {"list", "--user", "김철수"}).out, "KIM00000000001"));
}
