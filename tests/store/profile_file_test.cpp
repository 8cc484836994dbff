#include "file_size_limit.h"
#include "status_text.h"
#include "store/profile_file.h"
#include "store/system_error.h"
#include "temp_dir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qa;
using qa::test::FileExists;
using qa::test::ReadFile;
using qa::test::TempDir;
using qa::test::WriteFile;

namespace {

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ProfileFile, NamesIgnoreCaseAndValuesAreTrimmed) {
    ProfileDocument doc = ProfileDocument::Parse("[User Count]\n  CNT =  3 \t\n"
                                                 "[user count]\ncnt=9\n"
                                                 "[Other]\ncnt=7\ncnt=8\n");
    EXPECT_EQ(doc.Get("USER COUNT", "cnt"), "3") << "first section of the name wins";
    EXPECT_EQ(doc.Get(" user count ", "Cnt"), "3");
    EXPECT_EQ(doc.Get("other", "CNT"), "7") << "first key of the name wins";
    EXPECT_EQ(doc.Get("Missing", "cnt"), std::nullopt);
    EXPECT_EQ(doc.Get("Other", "missing"), std::nullopt);
    EXPECT_EQ(doc.Read("Other", "missing"), "-1");
}

TEST(ProfileFile, ReadsOfMissingFilesGiveTheDefault) {
    TempDir dir;
    EXPECT_EQ(ReadProfileString(dir.File("none.ini"), "S", "k"), "-1");
    EXPECT_EQ(ReadProfileString(dir.File("none.ini"), "S", "k", "x"), "x");
    EXPECT_FALSE(FileExists(dir.File("none.ini"))) << "a read never creates the file";
}

TEST(ProfileFile, ReadsStopAt99BytesWithoutSplittingACharacter) {
    TempDir dir;
    std::string path = dir.File("long.ini");
    std::string hangul;
    for (int i = 0; i < 40; ++i) {
        hangul += "가"; // three bytes each
    }
    WriteFile(path, "[S]\nascii=" + std::string(150, 'a') + "\nhangul=" + hangul + "\nshifted=a" +
                        hangul + "\nexact=" + std::string(99, 'b') + "\n");
    EXPECT_EQ(ReadProfileString(path, "S", "ascii"), std::string(99, 'a'));
    EXPECT_EQ(ReadProfileString(path, "S", "hangul"), hangul.substr(0, 99));
    EXPECT_EQ(ReadProfileString(path, "S", "shifted").size(), 97u)
        << "the 33rd character would cross the limit and is left out whole";
    EXPECT_EQ(ReadProfileString(path, "S", "exact"), std::string(99, 'b'));
    EXPECT_EQ(ReadProfileString(path, "S", "ascii", "-1", 10), std::string(9, 'a'));
}

TEST(ProfileFile, WritesCreateFileSectionAndKey) {
    TempDir dir;
    std::string path = dir.File("new.ini");
    ASSERT_TRUE(WriteProfileString(path, "User Count", "cnt", "1"));
    ASSERT_TRUE(WriteProfileString(path, "User Set", "no1", "Basis"));
    ASSERT_TRUE(WriteProfileString(path, "user count", "CURRENT_USER", "Basis"));
    EXPECT_EQ(ReadFile(path), "[User Count]\ncnt=1\nCURRENT_USER=Basis\n\n[User Set]\nno1=Basis\n");
    ASSERT_TRUE(WriteProfileString(path, "USER COUNT", "Cnt", "2"));
    EXPECT_EQ(ReadFile(path), "[User Count]\ncnt=2\nCURRENT_USER=Basis\n\n[User Set]\nno1=Basis\n")
        << "an existing key keeps its spelling and place";
}

TEST(ProfileFile, DeletingKeysAndSections) {
    TempDir dir;
    std::string path = dir.File("d.ini");
    WriteFile(path, "[A]\nk=1\nj=2\n[B]\nk=3\n[a]\nk=4\n");
    ASSERT_TRUE(WriteProfileString(path, "a", "K", std::nullopt));
    EXPECT_EQ(ReadProfileString(path, "A", "k"), "-1") << "no older duplicate comes back";
    EXPECT_EQ(ReadProfileString(path, "A", "j"), "2");
    EXPECT_EQ(ReadProfileString(path, "B", "k"), "3");
    ASSERT_TRUE(WriteProfileString(path, "b", std::nullopt, std::nullopt));
    EXPECT_EQ(ReadFile(path), "[A]\nj=2\n[a]\n");

    ASSERT_TRUE(WriteProfileString(dir.File("absent.ini"), "A", "k", std::nullopt));
    ASSERT_TRUE(WriteProfileString(dir.File("absent.ini"), "A", std::nullopt, std::nullopt));
    EXPECT_FALSE(FileExists(dir.File("absent.ini")));
}

TEST(ProfileFile, OtherContentSurvivesAWrite) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"comments, unknown keys and order",
         "; made by hand\n[S]\nz=1\n; note\nk=old\n\n[T]\nx=y\n",
         "; made by hand\n[S]\nz=1\n; note\nk=new\n\n[T]\nx=y\n"},
        {"new key after the section's last line, before the blank separator",
         "[S]\nz=1\n\n[T]\nx=y\n", "[S]\nz=1\nk=new\n\n[T]\nx=y\n"},
        {"CR LF endings and a byte order mark", "\xEF\xBB\xBF[S]\r\nk=old\r\nq=1\r\n",
         "\xEF\xBB\xBF[S]\r\nk=new\r\nq=1\r\n"},
        {"no final line break", "[S]\nk=old", "[S]\nk=new\n"},
        {"garbage lines and a header without its bracket",
         "garbage before any section\n[S]\n\x01\x02 binary\nk\n[broken\nk=old\n",
         "garbage before any section\n[S]\n\x01\x02 binary\nk\n[broken\nk=new\n"},
        {"quotes stay", "[S]\nk=\"old\"\nq='x'\n", "[S]\nk=new\nq='x'\n"},
        {"empty file", "", "[S]\nk=new\n"},
    };
    for (const Case& c : cases) {
        std::string path = dir.File("keep.ini");
        WriteFile(path, c.before);
        ASSERT_TRUE(WriteProfileString(path, "S", "k", "new")) << c.what;
        EXPECT_EQ(ReadFile(path), c.after) << c.what;
    }
}

TEST(ProfileFile, BrokenLinesReadAsMissingKeys) {
    ProfileDocument doc = ProfileDocument::Parse("[S]\nflag\n=nokey\nq=\"quoted\"\n[broken\nk=v\n"
                                                 "\n\n[T]\r\n  spaced key = a value  \r\n");
    EXPECT_EQ(doc.Get("S", "flag"), std::nullopt) << "a line without '=' has no value";
    EXPECT_EQ(doc.Get("S", "q"), "\"quoted\"") << "quotes are part of the value";
    EXPECT_EQ(doc.Get("S", "k"), "v") << "a header without ']' does not open a section";
    EXPECT_EQ(doc.Get("broken", "k"), std::nullopt);
    EXPECT_EQ(doc.Get("T", "spaced key"), "a value");
    EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"S", "T"}));
    EXPECT_EQ(doc.Keys("S"), (std::vector<std::string>{"q", "k"}));
}

TEST(ProfileFile, RefusesWhatWouldBreakTheFileAndChangesNothing) {
    TempDir dir;
    std::string path = dir.File("r.ini");
    WriteFile(path, "[S]\nk=v\n");
    EXPECT_FALSE(WriteProfileString(path, "S", "k", "two\nlines"));
    EXPECT_FALSE(WriteProfileString(path, "S", "k", "cr\rhere"));
    EXPECT_FALSE(WriteProfileString(path, "S", "a=b", "v"));
    EXPECT_FALSE(WriteProfileString(path, "S", ";comment", "v"));
    EXPECT_FALSE(WriteProfileString(path, "S", "[head", "v"));
    EXPECT_FALSE(WriteProfileString(path, "S", "", "v"));
    EXPECT_FALSE(WriteProfileString(path, "S]x", "k", "v"));
    const Status batch = WriteProfileStrings(path, {{"S", "k", "fine"}, {"S", "bad=key", "v"}});
    EXPECT_FALSE(batch) << "one bad change refuses the batch";
    EXPECT_EQ(test::Why(batch).rfind(path + ": S/bad=key ", 0), 0u) << test::Why(batch);
    EXPECT_EQ(ReadFile(path), "[S]\nk=v\n");

    std::filesystem::create_directory(dir.File("folder.ini"));
    EXPECT_EQ(test::Why(WriteProfileString(dir.File("folder.ini"), "S", "k", "v")),
              dir.File("folder.ini") + ": Is a directory")
        << "what cannot be read is not overwritten";
    EXPECT_EQ(ReadProfileString(dir.File("folder.ini"), "S", "k"), "-1");
}

// Each failure names the file and the system's reason, and the file as it was stays whole.
TEST(ProfileFile, AFailedWriteNamesTheFileAndWhyAndKeepsTheEarlierFile) {
    TempDir dir;
    const std::string gone = dir.File("gone/u.ini");
    EXPECT_EQ(test::Why(WriteProfileString(gone, "S", "k", "v")),
              gone + ": No such file or directory");

    const std::string path = dir.File("u.ini");
    WriteFile(path, "[S]\nk=old\n");
    if (::geteuid() != 0) { // root writes anywhere
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0500), 0);
        const Status refused = WriteProfileString(path, "S", "k", "new");
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0700), 0);
        EXPECT_EQ(test::Why(refused), path + ": Permission denied");
    }
    Status full;
    {
        test::FileSizeLimit limit(4); // a disk that fills up half-way
        full = WriteProfileString(path, "S", "k", "new");
    }
    EXPECT_EQ(test::Why(full), path + ": File too large");
    EXPECT_EQ(ReadFile(path), "[S]\nk=old\n");

    // The last step refused: something that is no file took the name meanwhile.
    AtomicFileWriter file(path);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("[S]\nk=new\n"));
    std::filesystem::rename(path, dir.File("moved.ini"));
    std::filesystem::create_directory(path);
    WriteFile(path + "/inside", "x");
    EXPECT_EQ(test::Why(file.Commit()), path + ": Is a directory");
    EXPECT_EQ(ReadFile(path + "/inside"), "x");
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"moved.ini", "u.ini"}))
        << "no temporary file is left behind";
}

TEST(ProfileFile, WritesReplaceTheFileInsteadOfRewritingIt) {
    TempDir dir;
    std::string path = dir.File("a.ini");
    WriteFile(path, "[S]\nk=old\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    // A second name for the old file: a write in place would change what it shows too; a
    // replacement leaves it with the complete old content, as a crash mid-write would.
    ASSERT_EQ(::link(path.c_str(), dir.File("old-copy").c_str()), 0);
    ASSERT_TRUE(WriteProfileStrings(path, {{"S", "k", "new"}, {"S", "j", "2"}}));
    EXPECT_EQ(ReadFile(dir.File("old-copy")), "[S]\nk=old\n");
    EXPECT_EQ(ReadFile(path), "[S]\nk=new\nj=2\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "permissions of the replaced file are kept";
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"a.ini", "old-copy"}))
        << "no temporary file is left behind";
}

// A long file written from the writer's own thread is the same file; a write that fails
// there (here: past the size the process may write) fails the writer, which leaves the old
// file as it was and no temporary file behind.
TEST(AtomicFileWriter, BackgroundWritesKeepTheOrderAndReportAFailure) {
    TempDir dir;
    const std::string path = dir.File("export.txt");
    std::string expected;
    {
        AtomicFileWriter file(path);
        ASSERT_TRUE(file.Open());
        file.WriteInBackground();
        for (int i = 0; i < 3000; ++i) {
            const std::string block = std::to_string(i) + std::string(4000, 'a' + i % 26) + "\n";
            expected += block;
            ASSERT_TRUE(file.Write(block));
        }
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadFile(path), expected);

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = 1 << 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    Status written;
    {
        AtomicFileWriter file(path);
        ASSERT_TRUE(file.Open());
        file.WriteInBackground();
        for (int i = 0; i < 3000 && written; ++i) {
            written = file.Write(std::string(4000, 'z'));
        }
        if (written) {
            written = file.Commit();
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), Message(MessageId::FileReason, {path, SystemErrorText(EFBIG)}));
    EXPECT_EQ(ReadFile(path), expected) << "the old file stands";
    EXPECT_EQ(FolderEntries(dir.File("")), std::vector<std::string>{"export.txt"});
}
