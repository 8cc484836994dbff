// The usage table is the one description of both programs: the command line runs exactly
// the commands and options it lists, --help prints it, and the settings keys it documents
// are those of the settings file.
#include "app/cli.h"
#include "app/usage.h"
#include "i18n/language.h"
#include "store/interface_settings.h"
#include "store/settings.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

using namespace qa;
using namespace qa::test;

namespace {

struct CliResult {
    int code;
    std::string out;
    std::string err;
};

CliResult Cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// The usage table's texts in the language the last command spoke.
std::string SpokenWords(const std::string& text) {
    return Translate("qa::Usage", text.c_str()).toStdString();
}

std::vector<std::string> Split(const std::string& terms) {
    std::vector<std::string> parts;
    std::istringstream in(terms);
    for (std::string part; std::getline(in, part, ',');) {
        parts.push_back(part.substr(part.find_first_not_of(' ')));
    }
    return parts;
}

} // namespace

TEST(Usage, TheCommandLineRunsExactlyTheListedCommandsAndOptions) {
    TempDir dir;
    const std::string data = dir.File("data");
    // Every listed command reaches its own code: none is refused as unknown.
    for (const UsageCommand& command : CliUsage().commands) {
        CliResult run = Cli({"--data-dir", data, command.name});
        EXPECT_EQ(run.err.find("알 수 없는 명령"), std::string::npos)
            << command.name << ": " << run.err;
    }
    // A command missing from the table is refused before the data folder is made.
    const std::string untouched = dir.File("untouched");
    CliResult unknown = Cli({"--data-dir", untouched, "frobnicate"});
    EXPECT_EQ(unknown.code, 2);
    // No operator yet: Korean.
    EXPECT_NE(unknown.err.find("알 수 없는 명령 frobnicate"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find(ShortUsageText(CliUsage(), SpokenWords)), std::string::npos);
    EXPECT_NE(unknown.err.find("사용법: quorina1c-cli "), std::string::npos) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(untouched));

    // Every listed option is parsed with its value (or none); the command after it is then
    // judged, so "unknown command" proves the option itself was taken.
    for (const UsageOption& option : CliUsage().options) {
        if (option.name == "--help" || option.name == "--version") {
            continue;
        }
        std::vector<std::string> args{"--data-dir", untouched, option.name};
        if (!option.value.empty()) {
            args.push_back("x");
        }
        args.push_back("frobnicate");
        CliResult run = Cli(args);
        EXPECT_NE(run.err.find("알 수 없는 명령 frobnicate"), std::string::npos)
            << option.name << ": " << run.err;
    }
    CliResult bogus = Cli({"--data-dir", untouched, "--colour", "list"});
    EXPECT_EQ(bogus.code, 2);
    EXPECT_NE(bogus.err.find("알 수 없는 옵션 --colour"), std::string::npos) << bogus.err;
    EXPECT_FALSE(std::filesystem::exists(untouched));
}

TEST(Usage, HelpAndVersionAnswerWithoutTouchingTheDataFolder) {
    TempDir dir;
    const std::string data = dir.File("data");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"--data-dir", data, "list", "--help"}}) {
        CliResult run = Cli(args);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.out, HelpText(CliUsage(), SpokenWords));
        EXPECT_EQ(run.err, "");
    }
    // A folder without operators: Korean, as a new operator starts.
    EXPECT_EQ(Cli({"--data-dir", data, "--help"}).out.rfind("사용법: quorina1c-cli ", 0), 0u);
    CliResult version = Cli({"--data-dir", data, "--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, VersionText() + "\n");
    EXPECT_EQ(VersionText().rfind("QuorinA1c 1.", 0), 0u) << VersionText();
    EXPECT_FALSE(std::filesystem::exists(data));

    // The help names every command, every option and every exit code, in lines a terminal
    // of 80 columns shows whole.
    for (const ProgramUsage* usage : AllProgramUsages()) {
        const std::string help = HelpText(*usage);
        for (const UsageCommand& c : usage->commands) {
            EXPECT_NE(help.find("\n  " + c.name + " "), std::string::npos) << c.name;
        }
        for (const UsageOption& o : usage->options) {
            EXPECT_NE(help.find(o.name), std::string::npos) << o.name;
        }
        for (const UsageItem& e : usage->exitCodes) {
            EXPECT_NE(help.find("\n  " + e.term + "   "), std::string::npos) << e.term;
        }
        std::istringstream lines(help);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(line.size(), 80u) << usage->name << ": " << line;
        }
        // In Korean too, where a syllable takes two columns of the terminal.
        const std::string koreanHelp = HelpText(*usage, SpokenWords);
        EXPECT_EQ(koreanHelp.rfind("사용법: ", 0), 0u);
        std::istringstream korean(koreanHelp);
        int lineCount = 0;
        for (std::string line; std::getline(korean, line); ++lineCount) {
            EXPECT_LE(DisplayWidth(line), 80u) << usage->name << ": " << line;
        }
        EXPECT_GT(lineCount, 20);
    }
}

TEST(Usage, DocumentedSettingsKeysAreTheSettingsFileKeys) {
    const UsageCommand* settings = FindCommand(CliUsage(), "settings");
    ASSERT_NE(settings, nullptr);
    std::set<std::string> documented;
    for (const UsageItem& item : settings->details) {
        for (const std::string& key : Split(item.term)) {
            EXPECT_TRUE(documented.insert(key).second) << "twice: " << key;
        }
    }
    std::set<std::string> keys;
    for (const auto& entry : SettingsEntries(SettingsStore{})) {
        keys.insert(entry.first);
    }
    for (const auto& entry : InterfaceEntries(InterfaceSettings{})) {
        keys.insert(entry.first);
    }
    EXPECT_EQ(documented, keys);
}

TEST(Usage, WrappingKeepsWordsWholeAndCountsTerminalColumnsNotBytes) {
    EXPECT_EQ(WrapText("one two three", 2, 9), "  one two\n  three\n");
    EXPECT_EQ(WrapText("one two three", 2, 8), "  one\n  two\n  three\n");
    EXPECT_EQ(WrapText("", 4, 80), "");
    // Nine Hangul syllables are 27 bytes, and a terminal shows each in two columns: 19 in all.
    EXPECT_EQ(WrapText("오르보에 이원씨관리", 0, 19), "오르보에 이원씨관리\n");
    EXPECT_EQ(WrapText("오르보에 이원씨관리", 0, 18), "오르보에\n이원씨관리\n");
    EXPECT_EQ(WrapText("HbA1c는 mmol/mol", 0, 16), "HbA1c는 mmol/mol\n");
    EXPECT_EQ(WrapText("HbA1c는 mmol/mol", 0, 15), "HbA1c는\nmmol/mol\n");
    EXPECT_EQ(WrapText("averyveryverylongword x", 2, 10), "  averyveryverylongword\n  x\n");
}
