#include "app/cli.h"
#include "sim_process.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

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

} // namespace

// An operator who chose English reads no Korean from the command line: download, list,
// export, users and the errors of each; another operator keeps Korean (--user picks whose).
TEST(CliLanguage, EnglishOperatorReadsNoHangul) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"settings", "set", "lang=1"}).code, 0);
    {
        SimProcess sim({"--no-pace", "--hba1c", "3", "--seed", "5"});
        LanguageRun run = Cli(data, {"download", "--port", sim.linkPath()});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, "imported 3\n");
        EXPECT_NE(run.err.find("Data check done"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("is connected.\nReceive the HbA1c results of the OrvoA1c? yes"),
                  std::string::npos)
            << run.err;
        ExpectNoHangul(run, "download");
        LanguageRun again = Cli(data, {"download", "--port", sim.linkPath()});
        EXPECT_NE(again.err.find("There is no new data."), std::string::npos) << again.err;
        ExpectNoHangul(again, "second download");
    }
    LanguageRun failed = Cli(data, {"download", "--port", dir.File("no-such-port")});
    EXPECT_NE(failed.code, 0);
    EXPECT_NE(failed.err.find("Connecting to the communication port failed."), std::string::npos)
        << failed.err;
    ExpectNoHangul(failed, "download to a missing port");

    LanguageRun list = Cli(data, {"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out.substr(0, list.out.find('\n')), "No,Date,Time,Result,eAG,Patient ID");
    ExpectNoHangul(list, "list");
    LanguageRun range = Cli(data, {"list", "--from", "20240101", "--to", "20250601"});
    EXPECT_NE(range.code, 0);
    EXPECT_NE(range.err.find("At most 365 days of data can be searched."), std::string::npos)
        << range.err;
    ExpectNoHangul(range, "list with a too long period");

    // The export is UTF-8 behind a byte-order mark, the listed lines after it.
    ASSERT_EQ(Cli(data, {"export", "--out", dir.File("en.csv")}).code, 0);
    EXPECT_EQ(ReadFile(dir.File("en.csv")), "\xEF\xBB\xBF" + list.out);

    ExpectNoHangul(Cli(data, {"users", "list"}), "users list");
    LanguageRun bad = Cli(data, {"users", "add", " padded"});
    EXPECT_NE(bad.code, 0);
    EXPECT_NE(bad.err.find("must not begin or end with a blank"), std::string::npos) << bad.err;
    ExpectNoHangul(bad, "users add with a bad ID");
    LanguageRun last = Cli(data, {"users", "delete", "Basis"});
    EXPECT_NE(last.err.find("The default user cannot be deleted."), std::string::npos) << last.err;
    ExpectNoHangul(last, "users delete of the last user");

    // A new operator starts in Korean, and --user reads that operator's choice.
    ASSERT_EQ(Cli(data, {"users", "add", "kim"}).code, 0);
    LanguageRun korean = Cli(data, {"list", "--user", "kim"});
    ASSERT_EQ(korean.code, 0) << korean.err;
    EXPECT_EQ(korean.out, "번호,날짜,시간,결과,eAG,환자ID\n");
    LanguageRun english = Cli(data, {"list", "--user", "Basis"});
    EXPECT_EQ(english.out, list.out);
}
