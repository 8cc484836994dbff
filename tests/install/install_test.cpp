// Installs the build into a staging folder (DESTDIR, prefix /usr, as the package does) and
// checks what a desktop finds there: the programs, the menu entry with its icons, the
// AppStream data, the udev rule and the manual pages, each as its own validator sees it.
#include "app/usage.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QImageReader>
#include <QString>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace qa;
using namespace qa::test;
namespace fs = std::filesystem;

namespace {

struct Shell {
    int code;
    std::string output; // stdout and stderr together
};

Shell RunShell(const std::string& command) {
    Shell result{-1, {}};
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        result.output.append(buffer.data(), n);
    }
    int status = ::pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// One staged installation per test program.
class Install : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        stage_ = new TempDir;
        const Shell install = RunShell("DESTDIR=" + Quote(stage_->Path()) + " " + QA_CMAKE_COMMAND +
                                       " --install " + Quote(QA_BUILD_DIR) + " --prefix /usr");
        installLog_ = new std::string(install.output);
        installed_ = install.code == 0;
    }
    static void TearDownTestSuite() {
        delete stage_;
        delete installLog_;
    }
    void SetUp() override { ASSERT_TRUE(installed_) << *installLog_; }

    static std::string Staged(const std::string& path) { return stage_->Path() + "/usr/" + path; }

    static TempDir* stage_;
    static std::string* installLog_;
    static bool installed_;
};

TempDir* Install::stage_ = nullptr;
std::string* Install::installLog_ = nullptr;
bool Install::installed_ = false;

const std::string kAppId = QA_APP_ID;

std::string DesktopValue(const std::string& entry, const std::string& key) {
    std::smatch match;
    if (std::regex_search(entry, match, std::regex("(^|\n)" + key + "=([^\n]*)"))) {
        return match[2];
    }
    return {};
}

// What a reader sees, for comparing texts: whitespace runs as one blank, typographic
// quotes and dashes as their ASCII forms.
std::string Normalised(const std::string& text) {
    std::string plain;
    const std::pair<const char*, const char*> replacements[] = {
        {"\u2018", "'"}, {"\u2019", "'"}, {"\u201C", "\""}, {"\u201D", "\""},
        {"\u2010", "-"}, {"\u2212", "-"}, {"\u2013", "-"},
    };
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [from, to] : replacements) {
            if (text.compare(i, std::strlen(from), from) == 0) {
                plain += to;
                i += std::strlen(from);
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            plain += text[i++];
        }
    }
    std::string out;
    for (char c : plain) {
        const bool blank = c == ' ' || c == '\n' || c == '\t';
        if (blank) {
            if (!out.empty() && out.back() != ' ') {
                out += ' ';
            }
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

TEST_F(Install, LaysOutProgramsMenuEntryIconsMetainfoUdevRuleAndManPages) {
    for (const char* program : {"quorina1c", "quorina1c-cli"}) {
        struct stat info {};
        ASSERT_EQ(::stat(Staged(std::string("bin/") + program).c_str(), &info), 0) << program;
        EXPECT_EQ(info.st_mode & 0777, 0755u) << program;
    }
    EXPECT_FALSE(fs::exists(Staged("bin/quorina1c-meter-sim"))) << "the simulator is optional";

    EXPECT_TRUE(fs::is_regular_file(Staged("share/applications/" + kAppId + ".desktop")));
    EXPECT_TRUE(fs::is_regular_file(Staged("share/metainfo/" + kAppId + ".metainfo.xml")));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const std::string icon = Staged("share/icons/hicolor/" + std::to_string(size) + "x" +
                                        std::to_string(size) + "/apps/" + kAppId + ".png");
        QImageReader reader(QString::fromStdString(icon));
        EXPECT_EQ(reader.size(), QSize(size, size)) << icon;
    }
    const std::string svg =
        ReadFile(Staged("share/icons/hicolor/scalable/apps/" + kAppId + ".svg"));
    EXPECT_EQ(svg.rfind("<svg ", 0), 0u);

    // The rule tags both kinds of port, each on its own line.
    const std::string rulePath =
        fs::path(QA_UDEV_RULES_DIR).is_absolute()
            ? stage_->Path() + QA_UDEV_RULES_DIR + "/" + QA_UDEV_RULE_FILE
            : Staged(std::string(QA_UDEV_RULES_DIR) + "/" + QA_UDEV_RULE_FILE);
    const std::string rule = ReadFile(rulePath);
    for (const auto& [vendor, product] : {std::pair{"0483", "5740"}, std::pair{"067b", "2303"}}) {
        const std::regex line(std::string("(^|\n)SUBSYSTEM==\"tty\", ATTRS\\{idVendor\\}==\"") +
                              vendor + "\", ATTRS\\{idProduct\\}==\"" + product +
                              "\", [^\n]*TAG\\+=\"uaccess\"");
        EXPECT_TRUE(std::regex_search(rule, line)) << vendor << ":" << product << "\n" << rule;
    }

    for (const char* page : {"quorina1c.1.gz", "quorina1c-cli.1.gz"}) {
        EXPECT_TRUE(fs::is_regular_file(Staged(std::string("share/man/man1/") + page))) << page;
        EXPECT_TRUE(fs::is_regular_file(Staged(std::string("share/man/ko/man1/") + page))) << page;
    }
    EXPECT_TRUE(fs::is_regular_file(Staged("share/doc/quorina1c/copyright")));
    const Shell changelog = RunShell("zcat " + Quote(Staged("share/doc/quorina1c/changelog.gz")));
    EXPECT_EQ(changelog.output.rfind(std::string("quorina1c (") + QA_VERSION + ") ", 0), 0u)
        << changelog.output;

    // Nothing else lands anywhere, and nothing is writable by others.
    for (const auto& entry : fs::recursive_directory_iterator(stage_->Path())) {
        const std::string path = entry.path().string().substr(stage_->Path().size());
        EXPECT_TRUE(path.rfind("/usr/bin", 0) == 0 || path.rfind("/usr/share", 0) == 0 ||
                    path.rfind("/usr/lib/udev", 0) == 0 || path == "/usr" || path == "/usr/lib")
            << path;
        EXPECT_EQ(entry.status().permissions() & (fs::perms::group_write | fs::perms::others_write),
                  fs::perms::none)
            << path;
    }

    // The simulator installs on request only.
    TempDir extra;
    const Shell simulator =
        RunShell("DESTDIR=" + Quote(extra.Path()) + " " + QA_CMAKE_COMMAND + " --install " +
                 Quote(QA_BUILD_DIR) + " --prefix /usr --component meter-sim");
    ASSERT_EQ(simulator.code, 0) << simulator.output;
    EXPECT_TRUE(fs::is_regular_file(extra.Path() + "/usr/bin/quorina1c-meter-sim"));
    EXPECT_FALSE(fs::exists(extra.Path() + "/usr/bin/quorina1c"));
}

TEST_F(Install, MenuEntryAndAppStreamDataPassTheirValidators) {
    const std::string desktopPath = Staged("share/applications/" + kAppId + ".desktop");
    const std::string metainfoPath = Staged("share/metainfo/" + kAppId + ".metainfo.xml");
    const Shell desktop = RunShell("desktop-file-validate " + Quote(desktopPath));
    EXPECT_EQ(desktop.code, 0) << desktop.output;
    EXPECT_EQ(desktop.output, "") << "hints and warnings count too";
    const Shell appstream = RunShell("appstreamcli validate --no-net " + Quote(metainfoPath));
    EXPECT_EQ(appstream.code, 0) << appstream.output;

    // What the validators cannot know: the names point at installed files, and the data
    // describes this version.
    const std::string entry = ReadFile(desktopPath);
    EXPECT_EQ(DesktopValue(entry, "Categories"), "MedicalSoftware;Science;Qt;");
    EXPECT_TRUE(fs::is_regular_file(Staged("bin/" + DesktopValue(entry, "Exec"))));
    EXPECT_EQ(DesktopValue(entry, "Icon"), kAppId);
    for (const char* key : {"Name", "Name\\[ko\\]", "Comment", "Comment\\[ko\\]"}) {
        EXPECT_FALSE(DesktopValue(entry, key).empty()) << key;
    }
    const std::string metainfo = ReadFile(metainfoPath);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">" + kAppId + ".desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(metainfo.find(std::string("<release version=\"") + QA_VERSION + "\" date=\"" +
                            QA_RELEASE_DATE + "\">"),
              std::string::npos)
        << "the newest release is this version";
    EXPECT_NE(metainfo.find("<screenshot type=\"default\">"), std::string::npos);
}

// The help is in the language of the operator who used the program last, and each language
// has its manual page: an English operator's help is the table itself and matches the English
// page, a Korean one's (also where no operator exists yet) matches the Korean page.
TEST_F(Install, ManPagesSayWhatHelpSaysAndFormatCleanly) {
    TempDir folders;
    const std::string english = folders.File("english");
    const Shell chosen = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                  Quote(Staged("bin/quorina1c-cli")) + " --data-dir " +
                                  Quote(english) + " settings set lang=1");
    ASSERT_EQ(chosen.code, 0) << chosen.output;
    struct Language {
        std::string dataDir;
        std::string pages;
        std::vector<std::string> sections;
        std::string usagePrefix;
    };
    const Language languages[] = {
        {english,
         "share/man/man1/",
         {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "FILES", "ENVIRONMENT",
          "SEE ALSO"},
         "usage: "},
        {folders.File("nobody-yet"),
         "share/man/ko/man1/",
         {"이름", "사용법", "설명", "옵션", "종료 상태", "파일", "환경 변수", "참고"},
         "사용법: "},
    };
    for (const Language& language : languages) {
        for (const ProgramUsage* usage : AllProgramUsages()) {
            SCOPED_TRACE(usage->name + " " + language.pages);
            // The installed program, with no display to talk to.
            const Shell help = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                        Quote(Staged("bin/" + usage->name)) + " --data-dir " +
                                        Quote(language.dataDir) + " --help");
            ASSERT_EQ(help.code, 0) << help.output;
            if (language.dataDir == english) {
                EXPECT_EQ(help.output, HelpText(*usage));
            } else {
                EXPECT_EQ(help.output.rfind(language.usagePrefix + usage->name + " ", 0), 0u)
                    << help.output;
            }

            // Wide enough that no paragraph is broken or hyphenated; warnings go to their own
            // file.
            TempDir scratch;
            const Shell man = RunShell("{ MANWIDTH=3000 man --warnings -E UTF-8 -l " +
                                       Quote(Staged(language.pages + usage->name + ".1.gz")) +
                                       " 2>" + Quote(scratch.File("warnings")) + "; }");
            ASSERT_EQ(man.code, 0) << man.output;
            EXPECT_EQ(ReadFile(scratch.File("warnings")), "");
            const std::string page = Normalised(man.output);
            for (const std::string& section : language.sections) {
                EXPECT_NE(page.find(" " + section + " "), std::string::npos) << section;
            }
            EXPECT_NE(page.find(usage->name + " - "), std::string::npos);

            // Every line of the help, wrapped differently, is in the page: the synopsis, each
            // command, option, exit code and file with its text.
            std::istringstream lines(help.output);
            int compared = 0;
            for (std::string line; std::getline(lines, line);) {
                if (line.rfind(language.usagePrefix, 0) == 0) {
                    line = line.substr(language.usagePrefix.size());
                } else if (!line.empty() && line.back() == ':' && line.front() != ' ') {
                    continue; // a heading of the help; the page has its own
                }
                const std::string wanted = Normalised(line);
                if (wanted.empty() || wanted == " ") {
                    continue;
                }
                ++compared;
                EXPECT_NE(page.find(wanted.front() == ' ' ? wanted.substr(1) : wanted),
                          std::string::npos)
                    << "help line missing from the manual page: " << line;
            }
            EXPECT_GT(compared, 20);
        }
    }
    EXPECT_NE(ReadFile(Staged("share/man/man1/quorina1c-cli.1.gz")),
              ReadFile(Staged("share/man/ko/man1/quorina1c-cli.1.gz")));
}
