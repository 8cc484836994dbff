#include "app/cli.h"
#include "sim_process.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace qa;
using namespace qa::test;

namespace {

struct LanguageRun {
    int code;
    std::string out;
    std::string err;
};

LanguageRun Cli(const std::string& folder, std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", folder});
    std::ostringstream out, err;
    int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// Hangul syllables and jamo in UTF-8 start with these lead bytes (U+1100-U+11FF,
// U+3130-U+318F, U+AC00-U+D7A3).
bool HasHangul(const std::string& text) {
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        const auto b1 = static_cast<unsigned char>(text[i + 1]);
        const unsigned code = ((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) |
                              (static_cast<unsigned char>(text[i + 2]) & 0x3F);
        if ((b0 & 0xF0) == 0xE0 &&
            ((code >= 0x1100 && code <= 0x11FF) || (code >= 0x3130 && code <= 0x318F) ||
             (code >= 0xAC00 && code <= 0xD7A3))) {
            return true;
        }
    }
    return false;
}

void ExpectNoHangul(const LanguageRun& run, const std::string& what) {
    EXPECT_FALSE(HasHangul(run.out)) << what << " (out): " << run.out;
    EXPECT_FALSE(HasHangul(run.err)) << what << " (err): " << run.err;
}

// One command as each operator reads it: the English operator's words, and the Korean
// sentence the Korean operator reads in their place. A command whose output is only data
// (IDs, numbers, settings keys) has no words either way.
struct Step {
    std::vector<std::string> args;
    int code;
    std::string english;
    std::string korean;
};

void RunStep(const std::string& data, bool english, const Step& step) {
    std::string what;
    for (const std::string& arg : step.args) {
        what += arg + " ";
    }
    SCOPED_TRACE(what);
    const LanguageRun run = Cli(data, step.args);
    EXPECT_EQ(run.code, step.code) << run.out << run.err;
    const std::string all = run.out + run.err;
    if (english) {
        ExpectNoHangul(run, what);
        EXPECT_NE(all.find(step.english), std::string::npos) << all;
        return;
    }
    EXPECT_NE(all.find(step.korean), std::string::npos) << all;
    if (!step.english.empty() && step.english != step.korean) {
        EXPECT_EQ(all.find(step.english), std::string::npos) << "English left in: " << all;
    }
}

} // namespace

// Every command, with its errors and its help, in the language of the operator it works for:
// an English operator reads no Hangul at all, a Korean one reads Korean sentences where the
// English one reads English (names of commands, options, units and files stay).
TEST(CliLanguage, EveryCommandSpeaksTheOperatorsLanguage) {
    for (const bool english : {true, false}) {
        SCOPED_TRACE(english ? "English" : "Korean");
        TempDir dir;
        const std::string data = dir.File("data");
        ASSERT_EQ(Cli(data, {"settings", "set", english ? "lang=1" : "lang=0"}).code, 0);
        {
            SimProcess sim({"--no-pace", "--hba1c", "3", "--seed", "5"});
            const std::string port = sim.linkPath();
            for (const Step& step : std::vector<Step>{
                     {{"download", "--port", port},
                      0,
                      "Receive the HbA1c results of the OrvoA1c through " + port + "? yes",
                      "오르보에이원씨의 HbA1c 결과를 받겠습니까? 예"},
                     {{"download", "--port", port}, 0, "imported 0", "새 결과 0건 저장"},
                     {{"download", "--port", port, "--kind", "glucose"},
                      0,
                      "There is no data.",
                      "데이터가 없습니다."},
                 }) {
                RunStep(data, english, step);
            }
        }
        const std::string inside = data + "/out.csv";
        const std::string missingFolder = dir.File("no-such-folder/out.csv");
        const std::vector<Step> steps{
            // Download's own errors: the port, and the options.
            {{"download", "--port", dir.File("ttyQA-none")},
             1,
             "there is no such port; check that the meter is plugged in",
             "그런 포트가 없습니다. 측정기가 연결되어 있고"},
            {{"download", "--port", "/etc/hostname"},
             1,
             "not a serial port",
             "직렬 포트가 아닙니다"},
            {{"download"},
             2,
             "download needs --port DEVICE",
             "download에는 --port DEVICE가 필요합니다"},
            {{"download", "--port", "x", "--kind", "urine"},
             2,
             "--kind is hba1c or glucose",
             "--kind는 hba1c 또는 glucose입니다"},
            // The list and its filters.
            {{"list"}, 0, "No,Date,Time,Result,eAG,Patient ID", "번호,날짜,시간,결과,eAG,환자ID"},
            {{"list", "--weeks", "13"},
             2,
             "--weeks takes a number from 0 to 12",
             "--weeks에는 0부터 12까지의 수를 적어 주세요"},
            {{"list", "--from", "20240101"}, 2, "--from and --to go together", "--from과 --to는"},
            {{"list", "--from", "2024", "--to", "2025"},
             2,
             "dates are written YYYYMMDD",
             "날짜는 YYYYMMDD 형식으로"},
            {{"list", "--from", "20240101", "--to", "20250601"},
             1,
             "At most 365 days of data can be searched.",
             "최대 365일 데이터를 검색할 수 있습니다."},
            {{"list", "extra"}, 2, "unexpected argument extra", "필요 없는 인자 extra"},
            // Export: the file, and where it may not go.
            {{"export", "--out", dir.File("list.csv")}, 0, "", ""},
            {{"export"}, 2, "export needs --out FILE", "export에는 --out FILE이 필요합니다"},
            {{"export", "--out", inside},
             1,
             "The file was not written: " + inside,
             "파일을 쓰지 않았습니다: " + inside},
            {{"export", "--out", missingFolder},
             1,
             "The file was not written: " + missingFolder + ": No such file or directory",
             "파일을 쓰지 않았습니다: " + missingFolder},
            {{"export", "--format", "xml", "--out", dir.File("x")},
             2,
             "--format is csv, hl7 or fhir",
             "--format은 csv, hl7 또는 fhir입니다"},
            {{"list", "--format", "hl7"}, 2, "--format goes with export", "--format은 export에만"},
            // The report on paper, and its errors.
            {{"report", "--out", dir.File("list.pdf")}, 0, "", ""},
            {{"report", "--out", inside},
             1,
             "The file was not written: " + inside,
             "파일을 쓰지 않았습니다: " + inside},
            // Patients.
            {{"patients"},
             0,
             "Patient ID\tResults\tLast date\tLast result\tName\tBirth date\tRecords\n",
             "환자ID\t결과 수\t마지막 날짜\t마지막 결과\t이름\t생년월일\t기록\n"},
            {{"patients", "--weeks", "2"},
             2,
             "--weeks does not go with patients",
             "--weeks은(는) patients와 함께 쓸 수 없습니다"},
            // Operators.
            {{"users", "list"}, 0, "* Basis", "* Basis"},
            {{"users"},
             2,
             "users needs list, add ID, delete ID, restore ID or switch ID",
             "users에는 list, add ID, delete ID, restore ID 또는 switch ID가 필요합니다"},
            {{"users", "add", " padded"},
             1,
             "The user ID must not begin or end with a blank.",
             "사용자ID는 공백으로 시작하거나 끝날 수 없습니다."},
            {{"users", "delete", "Basis"},
             1,
             "The default user cannot be deleted.",
             "기본 사용자는 삭제할 수 없습니다."},
            {{"users", "switch", "ghost"},
             2,
             "quorina1c-cli: unknown user ghost",
             "quorina1c-cli: 없는 사용자 ghost"},
            {{"list", "--user", "ghost"},
             2,
             "quorina1c-cli: unknown user ghost",
             "quorina1c-cli: 없는 사용자 ghost"},
            // Settings.
            {{"settings", "show"}, 0, "HbA1c_unit=0\n", "HbA1c_unit=0\n"},
            {{"settings", "set", "Date=7"},
             2,
             "Date takes 0 (yyyy/MM/dd), 1 (MM/dd/yyyy) or 2 (dd/MM/yyyy), not \"7\"",
             "Date에는 0 (yyyy/MM/dd), 1 (MM/dd/yyyy) 또는 2 (dd/MM/yyyy)를 적어 주세요"},
            {{"settings", "set", "Colour=red"},
             2,
             "unknown setting Colour",
             "알 수 없는 설정 Colour"},
            {{"settings", "set", "Interface=yes"},
             2,
             "Interface takes 0 (off) or 1 (on)",
             "Interface에는 0 (끔) 또는 1 (켬)을"},
            {{"settings", "set", "HbA1c_high=high"},
             2,
             "HbA1c_high takes a number such as 6.7",
             "HbA1c_high에는 6.7 같은 수를"},
            {{"settings"},
             2,
             "settings needs show or set KEY=VALUE...",
             "settings에는 show 또는 set KEY=VALUE...가 필요합니다"},
            // Sending to the laboratory system.
            {{"send"},
             2,
             "send needs --to mllp(s)://HOST:PORT or a FHIR base URL http(s)://HOST/PATH, or the "
             "Destination setting",
             "send에는 --to mllp(s)://HOST:PORT 또는 FHIR 기본 URL http(s)://HOST/PATH, 아니면 "
             "Destination 설정이 필요합니다"},
            {{"send", "--to", "ftp://lis"},
             2,
             "the destination is written mllp(s)://HOST:PORT or as a FHIR base URL "
             "http(s)://HOST/PATH, not ftp://lis",
             "보낼 곳은 mllp(s)://HOST:PORT 형식이나 FHIR 기본 URL http(s)://HOST/PATH 형식으로"},
            {{"send", "--to", "mllp://127.0.0.1:1"}, 1, "sent 0, pending 3", "보냄 0, 대기 3"},
            // The audit trail, backup and restore.
            {{"audit"}, 0, "", ""},
            {{"audit", "--from", "2024"},
             2,
             "dates are written YYYYMMDD",
             "날짜는 YYYYMMDD 형식으로"},
            {{"backup", "--out", dir.File("b.tar")}, 0, "backed up ", "백업했습니다"},
            {{"backup"}, 2, "backup needs --out FILE", "backup에는 --out FILE이 필요합니다"},
            {{"restore", dir.File("none.tar")},
             1,
             "The backup was not restored; nothing was changed: ",
             "백업을 복원하지 않았으며 아무것도 바뀌지 않았습니다: "},
            {{"restore", dir.File("b.tar")},
             0,
             "the replaced data folder is kept as ",
             "바뀌기 전 데이터 폴더를 보관한 곳: "},
            {{"restore"}, 2, "restore needs one FILE", "restore에는 FILE 하나가 필요합니다"},
            // Usage: the help, and what is not understood at all.
            {{"--help"}, 0, "usage: quorina1c-cli ", "사용법: quorina1c-cli "},
            {{"--help"}, 0, "\nCommands:\n  download ", "\n명령:\n  download "},
            {{"--help"},
             0,
             "lang: the language of the window and the command line:",
             "lang: 창과 명령줄의 언어: 0 한국어, 1 영어."},
            {{"--colour", "list"}, 2, "unknown option --colour", "알 수 없는 옵션 --colour"},
            {{"--colour", "list"},
             2,
             "Run quorina1c-cli --help for the options.",
             "옵션은 quorina1c-cli --help로 볼 수 있습니다."},
            {{"frobnicate"}, 2, "unknown command frobnicate", "알 수 없는 명령 frobnicate"},
            {{"list", "--kind"}, 2, "--kind needs a value", "--kind 다음에 값을 적어 주세요"},
            {{}, 2, "no command given", "명령이 없습니다"},
        };
        for (const Step& step : steps) {
            RunStep(data, english, step);
        }
        EXPECT_TRUE(std::filesystem::exists(dir.File("list.pdf")));
        EXPECT_FALSE(std::filesystem::exists(inside));
    }
}

// What a Korean operator's files say when they are damaged or missing, and which operator's
// language applies: the one --user names, else the current one, else the one the program
// works for instead of an unlisted current one.
TEST(CliLanguage, BrokenFilesAndOtherOperatorsKeepTheRightLanguage) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"settings", "set", "lang=1"}).code, 0);
    ASSERT_EQ(Cli(data, {"users", "add", "kim"}).code, 0); // kim is current now, in Korean
    LanguageRun korean = Cli(data, {"list"});
    ASSERT_EQ(korean.code, 0) << korean.err;
    EXPECT_EQ(korean.out, "번호,날짜,시간,결과,eAG,환자ID\n");
    // --user picks whose language, also for the usage errors before anything is opened.
    LanguageRun english = Cli(data, {"list", "--user", "Basis", "--weeks", "99"});
    EXPECT_EQ(english.code, 2);
    EXPECT_NE(english.err.find("--weeks takes a number from 0 to 12"), std::string::npos)
        << english.err;
    ExpectNoHangul(english, "usage error for an English operator named by --user");
    LanguageRun unknown = Cli(data, {"list", "--user", "ghost"});
    EXPECT_NE(unknown.err.find("quorina1c-cli: 없는 사용자 ghost"), std::string::npos)
        << unknown.err << "an unknown --user: the current operator's language";

    // A user file whose current user is not listed: the program works for the first listed
    // operator (Basis, English) and says so in English.
    ASSERT_EQ(Cli(data, {"users", "switch", "Basis"}).code, 0);
    const std::string userFile = data + "/user_info.ini";
    std::string users = ReadFile(userFile);
    users.replace(users.find("current_user=Basis"), 18, "current_user=lee");
    WriteFile(userFile, users);
    LanguageRun unlisted = Cli(data, {"settings", "show"});
    EXPECT_NE(unlisted.err.find("The current user \"lee\" is not in the user list."),
              std::string::npos)
        << unlisted.err;
    ExpectNoHangul(unlisted, "unlisted current user");

    // A damaged database: English for Basis, Korean for kim.
    ASSERT_EQ(Cli(data, {"users", "switch", "kim"}).code, 0);
    WriteFile(data + "/Basis_HbA1c.sqlite", "not a database at all");
    WriteFile(data + "/kim_HbA1c.sqlite", "not a database at all");
    LanguageRun damagedEnglish = Cli(data, {"list", "--user", "Basis"});
    EXPECT_EQ(damagedEnglish.code, 1);
    EXPECT_NE(damagedEnglish.err.find("This database file is damaged."), std::string::npos)
        << damagedEnglish.err;
    ExpectNoHangul(damagedEnglish, "damaged database of an English operator");
    LanguageRun damagedKorean = Cli(data, {"list"});
    EXPECT_EQ(damagedKorean.code, 1);
    EXPECT_TRUE(HasHangul(damagedKorean.err)) << damagedKorean.err;
    EXPECT_EQ(damagedKorean.err.find("This database file is damaged."), std::string::npos)
        << damagedKorean.err;

    // A user file that cannot be read at all names no current operator: the program falls
    // back to the default one (Basis), whose choice is English.
    std::filesystem::remove(userFile);
    std::filesystem::create_directory(userFile);
    LanguageRun unreadable = Cli(data, {"users", "list"});
    EXPECT_EQ(unreadable.code, 1);
    EXPECT_NE(unreadable.err.find("The user file cannot be read: " + userFile), std::string::npos)
        << unreadable.err;
    ExpectNoHangul(unreadable, "unreadable user file");
    // Without any operator's choice to go by: Korean.
    std::filesystem::remove(data + "/Basis_set_info.ini");
    LanguageRun nobody = Cli(data, {"users", "list"});
    EXPECT_NE(nobody.err.find("사용자 파일을 읽을 수 없습니다: " + userFile), std::string::npos)
        << nobody.err;
}
