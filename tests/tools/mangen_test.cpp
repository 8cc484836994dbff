// The manual page generator reads the Korean catalogue as lupdate writes it and as a
// translator may leave it after editing by hand: a bare '&' or '<' must neither hang the
// build nor swallow the text after it.
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

using qa::test::ReadFile;
using qa::test::TempDir;
using qa::test::WriteFile;

namespace {

// The catalogue's one context the generator reads, with the given translation of a text the
// FILES section of both pages shows.
std::string Catalogue(const std::string& translation) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
           "<TS version=\"2.1\" language=\"ko_KR\">\n<context>\n    <name>qa::Usage</name>\n"
           "    <message>\n        <source>The operators and which of them is the current "
           "one.</source>\n        <translation>" +
           translation + "</translation>\n    </message>\n</context>\n</TS>\n";
}

// Runs the generator on the catalogue; a loop is cut after 20 s and fails the exit check.
std::string KoreanPages(const std::string& translation) {
    TempDir dir;
    WriteFile(dir.File("ko.ts"), Catalogue(translation));
    ::mkdir(dir.File("en").c_str(), 0700);
    ::mkdir(dir.File("ko").c_str(), 0700);
    const std::string command = std::string("timeout 20 ") + QA_MANGEN_PATH + " 2026-01-02 " +
                                dir.File("en") + " " + dir.File("ko.ts") + " " + dir.File("ko");
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    return ReadFile(dir.File("ko/quorina1c-cli.1"));
}

TEST(MangenTest, CatalogueEntitiesAndBytesAreDecoded) {
    const std::string page =
        KoreanPages("&lt;사용자&gt; &amp; &quot;현재&quot; &apos;ID&apos;<byte value=\"x41\"/>끝");
    EXPECT_NE(page.find("<사용자> & \"현재\" 'ID'A끝"), std::string::npos) << page;
}

TEST(MangenTest, BareAmpersandAndAngleKeepTheRestOfTheText) {
    // No ';' after the '&': the generator used to start the text over, forever.
    EXPECT_NE(KoreanPages("사용자 & 현재 사용자").find("사용자 & 현재 사용자"), std::string::npos);
    // A ';' further on: the text between stays, with the '&'.
    EXPECT_NE(KoreanPages("R&D 담당; 현재").find("R&D 담당; 현재"), std::string::npos);
    EXPECT_NE(KoreanPages("1 &lt; 2 < 3").find("1 < 2 < 3"), std::string::npos);
}

} // namespace
