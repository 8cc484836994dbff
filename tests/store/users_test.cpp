#include "file_size_limit.h"
#include "i18n/message_catalogue.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/profile_file.h"
#include "store/users.h"
#include "temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qa;
using qa::test::FileExists;
using qa::test::ReadFile;
using qa::test::ScriptedPrompter;
using qa::test::TempDir;
using qa::test::WriteFile;

namespace {

// Every file under a folder with its content, to prove that nothing was written.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        files[entry.path().string()] = entry.is_regular_file() ? ReadFile(entry.path()) : "<dir>";
    }
    return files;
}

// Renames fail a set number of times, as a file held open by a virus scanner would.
class FlakyRenameStore : public UserStore {
public:
    using UserStore::UserStore;
    int failuresLeft = 0;
    int attempts = 0;

protected:
    Status RenameFile(const std::string& from, const std::string& to) override {
        ++attempts;
        if (failuresLeft > 0) {
            --failuresLeft;
            errno = EBUSY;
            return FileFailure(to);
        }
        return UserStore::RenameFile(from, to);
    }
};

class Users : public ::testing::Test {
protected:
    void SetUp() override {
        folder = root.File("data");
        std::filesystem::create_directory(folder);
    }
    std::string File(const std::string& name) const { return folder + "/" + name; }
    // The user file as an older installation may have left it.
    void WriteUserFile(const std::string& text) { WriteFile(File(kUserInfoFileName), text); }
    void Add(UserStore& store, const std::string& id) {
        ASSERT_EQ(store.AddUser(id), UserStore::Outcome::Done) << id;
    }

    TempDir root;
    std::string folder;
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(Users, FirstStartCreatesTheDefaultUserAndItsFiles) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    EXPECT_EQ(store.UserList(), std::vector<std::string>{"Basis"});
    EXPECT_EQ(store.CurrentUserId(), "Basis");
    EXPECT_EQ(ReadFile(File("user_info.ini")),
              "[User Count]\ncurrent_user=Basis\ncnt=1\n\n[User Set]\nno1=Basis\n");
    EXPECT_EQ(ReadFile(File("Basis_active.info")), "[User info]\nAccess=1\n");
    EXPECT_EQ(ReadFile(File("Basis.ini")),
              "[Table Count]\ncurrent_table=HospitalTlb\ncnt=1\n\n[Table Set]\nno1=HospitalTlb\n");
    EXPECT_TRUE(FileExists(File("Basis_set_info.ini")));
    struct Expected {
        MeasurementTable& table;
        const char* file;
        const char* name;
    };
    for (const Expected& e :
         {Expected{store.HbA1cMain(), "Basis_HbA1c.sqlite", "HospitalTlb"},
          Expected{store.HbA1cDownload(), "Basis_HbA1cDown.sqlite", "DownLoadData"},
          Expected{store.GlucoseMain(), "Basis_Glucose.sqlite", "HospitalTlb"},
          Expected{store.GlucoseDownload(), "Basis_GlucoseDown.sqlite", "DownLoadData"}}) {
        EXPECT_TRUE(e.table.IsOpen()) << e.file;
        EXPECT_EQ(e.table.Path().Str(), File(e.file));
        EXPECT_EQ(e.table.TableName(), e.name);
        EXPECT_EQ(e.table.sort.Str(), e.table.StandardSort());
        EXPECT_TRUE(e.table.filter.IsEmpty());
    }
    EXPECT_TRUE(prompter.shown.empty());
}

// The ID is checked before the question: a refused ID is never asked about.
TEST_F(Users, AddingChecksTheIdThenAsksAndCaseMatters) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    std::string before = ReadFile(File("user_info.ini"));

    prompter.answers = {false};
    EXPECT_EQ(store.AddUser("abc"), UserStore::Outcome::Declined);
    EXPECT_EQ(store.AddUser(""), UserStore::Outcome::Refused);
    EXPECT_EQ(ReadFile(File("user_info.ini")), before);
    EXPECT_FALSE(FileExists(File("abc_active.info")));

    Add(store, "abc");
    EXPECT_EQ(store.CurrentUserId(), "abc");
    EXPECT_EQ(store.AddUser("abc"), UserStore::Outcome::Refused);
    Add(store, "ABC");
    EXPECT_EQ(store.UserList(), (std::vector<std::string>{"Basis", "abc", "ABC"}));
    EXPECT_EQ(ReadFile(File("user_info.ini")), "[User Count]\ncurrent_user=ABC\ncnt=3\n\n"
                                               "[User Set]\nno1=Basis\nno2=abc\nno3=ABC\n");
    // The question says that the new user becomes the current one.
    const std::string ask =
        "새로운 사용자를 추가하시겠습니까?\r\n추가한 사용자가 현재 사용자가 됩니다.";
    EXPECT_EQ(
        prompter.Texts(),
        (std::vector<std::string>{ask, "The user ID is not entered. \r\nPlease enter the user ID.",
                                  ask, "같은 사용자ID가 ㅈ있습니다.다시 입력해 주세요.", ask}));
    // A fresh user has all its files, among them settings with the thirteen defaults.
    for (const char* name :
         {"ABC_active.info", "ABC.ini", "ABC_HbA1c.sqlite", "ABC_HbA1cDown.sqlite",
          "ABC_Glucose.sqlite", "ABC_GlucoseDown.sqlite"}) {
        EXPECT_TRUE(FileExists(File(name))) << name;
    }
    ProfileDocument settings = ProfileDocument::Parse(ReadFile(File("ABC_set_info.ini")));
    EXPECT_EQ(settings.Keys("SETTING VALUE").size(), 13u);
    EXPECT_EQ(settings.Get("SETTING VALUE", "Glucose_high"), "160.0");
    EXPECT_EQ(store.HbA1cMain().Path().Str(), File("ABC_HbA1c.sqlite"));

    // Reading back finds both, even though profile keys ignore case.
    UserStore again(folder, prompter);
    ASSERT_TRUE(again.Reload());
    EXPECT_EQ(again.UserList(), store.UserList());
    EXPECT_EQ(again.CurrentUserId(), "ABC");
}

TEST_F(Users, HostileIdsAreRefusedBeforeAnythingIsWritten) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    struct Case {
        std::string id;
        const char* message;
    };
    const char* badCharacter =
        "The user ID must not contain / \\ [ ] = ; or control characters.\r\n"
        "Please enter another user ID.";
    const char* blankAtEdge =
        "The user ID must not begin or end with a blank.\r\nPlease enter another user ID.";
    const char* tooLong = "The user ID is longer than 64 bytes.\r\nPlease enter a shorter user ID.";
    const char* notText = "The user ID is not valid text.\r\nPlease enter another user ID.";
    const char* reserved =
        "This user ID would name one of the program's own files.\r\nPlease enter another user ID.";
    const std::vector<Case> cases = {
        {"../evil", badCharacter},
        {"a/b", badCharacter},
        {"a\\b", badCharacter},
        {"tab\there", badCharacter},
        {"line\nbreak", badCharacter},
        {std::string("nul\0x", 5), badCharacter},
        {"del\x7f", badCharacter},
        {"[User Set]", badCharacter},
        {"a]b", badCharacter},
        {"cnt=9", badCharacter},
        {";comment", badCharacter},
        {" lead", blankAtEdge},
        {"trail ", blankAtEdge},
        {std::string(65, 'x'), tooLong},
        {"bad\xff\xfe", notText},
        {".", reserved},
        {"..", reserved},
        {"-1", reserved},
        {"user_info", reserved},
        {"USER_INFO_D", reserved},
        {"Basis_set_info", reserved},
    };
    auto before = Snapshot(root.Path());
    for (const Case& c : cases) {
        prompter.shown.clear();
        EXPECT_EQ(store.AddUser(c.id), UserStore::Outcome::Refused) << c.id;
        ASSERT_EQ(prompter.shown.size(), 1u) << c.id << ": refused before the question";
        EXPECT_EQ(prompter.shown[0].text, c.message) << c.id;
        ASSERT_TRUE(CheckNewUserId(c.id).has_value()) << c.id;
        EXPECT_EQ(SourceText(*CheckNewUserId(c.id)), c.message);
    }
    EXPECT_EQ(Snapshot(root.Path()), before);
    EXPECT_EQ(store.UserList(), std::vector<std::string>{"Basis"});

    // Quotes, Hangul and the longest allowed ID are ordinary users.
    for (const std::string& id : {std::string("O'Brien \"Jr\""), std::string("김철수"),
                                  std::string(64, 'y'), std::string("a b%s")}) {
        Add(store, id);
        EXPECT_TRUE(FileExists(File(id + "_HbA1c.sqlite"))) << id;
    }
    UserStore again(folder, prompter);
    ASSERT_TRUE(again.Reload());
    EXPECT_EQ(again.UserList(), store.UserList());
}

TEST_F(Users, TheLastUserCannotBeDeletedWhateverItsId) {
    for (const char* id : {"Basis", "solo"}) {
        WriteUserFile(std::string("[User Count]\ncnt=1\ncurrent_user=") + id +
                      "\n[User Set]\nno1=" + id + "\n");
        UserStore store(folder, prompter);
        ASSERT_TRUE(store.Reload());
        WriteFile(File(std::string(id) + "_active.info"), "[User info]\nAccess=1\n");
        auto before = Snapshot(root.Path());
        prompter.shown.clear();
        EXPECT_EQ(store.DeleteCurrentUser(), UserStore::Outcome::Refused) << id;
        // Refused before the question: no yes is asked for a delete that cannot happen.
        EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"기본 사용자는 삭제할 수 없습니다."});
        EXPECT_EQ(Snapshot(root.Path()), before) << id;
    }
}

TEST_F(Users, DeletingBasisLeavesTheFirstOtherUserCurrentWithItsSettings) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    Add(store, "abc");
    store.Settings().hba1cUnit = 1;
    store.Settings().name = "Kim";
    ASSERT_TRUE(store.SaveSettings());
    Add(store, "xyz");
    ASSERT_TRUE(store.SwitchUser("Basis"));
    EXPECT_EQ(store.Settings().hba1cUnit, 0);
    std::string basisPath = File("Basis_HbA1c.sqlite");
    ASSERT_EQ(store.HbA1cMain().Path().Str(), basisPath);

    prompter.shown.clear();
    EXPECT_EQ(store.DeleteCurrentUser(), UserStore::Outcome::Done);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].message,
              Message(MessageId::AskDeleteUserNamed, {"Basis", "0", "0"}));
    EXPECT_EQ(prompter.shown[1].message,
              Message(MessageId::UserDeletedKept, {"Basis", File("deleted_users/Basis")}));
    EXPECT_TRUE(prompter.shown[0].defaultNo) << "a stray Enter keeps the user";
    EXPECT_EQ(store.UserList(), (std::vector<std::string>{"abc", "xyz"}));
    EXPECT_EQ(store.CurrentUserId(), "abc");
    EXPECT_EQ(store.Settings().hba1cUnit, 1);
    EXPECT_EQ(store.Settings().name, "Kim");
    EXPECT_EQ(store.HbA1cMain().Path().Str(), File("abc_HbA1c.sqlite"));
    for (const char* name : {"Basis_active.info", "Basis.ini", "Basis_set_info.ini",
                             "Basis_HbA1c.sqlite", "Basis_HbA1cDown.sqlite", "Basis_Glucose.sqlite",
                             "Basis_GlucoseDown.sqlite", "user_info_d.ini"}) {
        EXPECT_FALSE(FileExists(File(name))) << name;
    }
    EXPECT_EQ(ReadFile(File("user_info.ini")), "[User Count]\ncurrent_user=abc\ncnt=2\n\n"
                                               "[User Set]\nno1=abc\nno2=xyz\n")
        << "the entry past the new end is gone too";
    EXPECT_TRUE(FileExists(File("xyz_HbA1c.sqlite")));

    prompter.answers = {false};
    EXPECT_EQ(store.DeleteCurrentUser(), UserStore::Outcome::Declined);
    EXPECT_EQ(store.UserList().size(), 2u);
}

TEST_F(Users, AMissingCurrentUserOpensTheDefaultUsersFiles) {
    WriteUserFile("[User Count]\ncnt=2\n[User Set]\nno1=abc\nno2=Basis\n");
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    EXPECT_EQ(store.CurrentUserId(), "-1");
    EXPECT_EQ(store.ActiveUserId(), "Basis");
    EXPECT_EQ(store.HbA1cMain().Path().Str(), File("Basis_HbA1c.sqlite"));
    EXPECT_EQ(store.GlucoseDownload().Path().Str(), File("Basis_GlucoseDown.sqlite"));
    EXPECT_TRUE(FileExists(File("Basis_set_info.ini")));
    EXPECT_FALSE(FileExists(File("-1_set_info.ini"))) << "settings follow the files in use";
    EXPECT_FALSE(FileExists(File("abc_HbA1c.sqlite")));
}

TEST_F(Users, AHostileUserFileNeverLeadsOutOfTheDataFolder) {
    WriteUserFile("[User Count]\ncnt=2\ncurrent_user=../../escape\n"
                  "[User Set]\nno1=../../escape\nno2=Basis\n");
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    EXPECT_EQ(store.ActiveUserId(), "Basis");
    EXPECT_FALSE(store.SwitchUser("../../escape"));
    EXPECT_EQ(prompter.Texts().back(),
              "The user ID in the user file cannot be used as part of a file name.");
    EXPECT_FALSE(store.SwitchUser("nobody"));
    EXPECT_EQ(prompter.Texts().back(), "The user ID is not in the user list.");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.Path())) {
        if (entry.path() != folder) {
            EXPECT_EQ(entry.path().parent_path().string(), folder) << entry.path();
        }
    }
}

TEST_F(Users, BrokenUserFilesStillListTheirUsers) {
    struct Case {
        const char* what;
        const char* file;
        std::vector<std::string> users;
    };
    const Case cases[] = {
        {"count ahead of the list", "[User Count]\ncnt=5\n[User Set]\nno1=a\nno2=b\n", {"a", "b"}},
        {"count behind the list", "[User Count]\ncnt=1\n[User Set]\nno1=a\nno2=b\n", {"a"}},
        {"garbage count", "[User Count]\ncnt=lots\n[User Set]\nno1=a\nno2=b\nno4=d\n", {"a", "b"}},
        {"huge count", "[User Count]\ncnt=2000000000\n[User Set]\nno2=b\nno1=a\n", {"a", "b"}},
        {"CR LF, BOM, case", "\xEF\xBB\xBF[user count]\r\nCNT=1\r\n[USER SET]\r\nNO1=a\r\n", {"a"}},
        {"no user at all", "garbage\n\x01\x02\n", {"Basis"}},
    };
    for (const Case& c : cases) {
        WriteUserFile(c.file);
        UserStore store(folder, prompter);
        EXPECT_TRUE(store.LoadUsers()) << c.what;
        EXPECT_EQ(store.UserList(), c.users) << c.what;
    }
    EXPECT_NE(ReadFile(File("user_info.ini")).find("garbage"), std::string::npos)
        << "repairing a file that lists nobody keeps its other content";
}

TEST_F(Users, TheUserFileRewriteRetriesTheRenameThenWritesDirectly) {
    for (int failures : {2, 3}) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        FlakyRenameStore store(folder, prompter);
        ASSERT_TRUE(store.Reload());
        Add(store, "abc");
        store.failuresLeft = failures;
        EXPECT_EQ(store.DeleteCurrentUser(), UserStore::Outcome::Done);
        EXPECT_EQ(store.attempts, 3) << failures;
        EXPECT_FALSE(FileExists(File("user_info_d.ini")));
        EXPECT_EQ(ReadFile(File("user_info.ini")),
                  "[User Count]\ncurrent_user=Basis\ncnt=1\n\n[User Set]\nno1=Basis\n");
        EXPECT_EQ(store.UserList(), std::vector<std::string>{"Basis"});
    }
}

// What the operator is shown, and what the caller gets, names the file and the reason.
TEST_F(Users, AUserThatCannotBeOpenedOrSwitchedToIsNamedWithTheFileAndWhy) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    Add(store, "abc");
    std::filesystem::remove(File("abc_set_info.ini"));
    std::filesystem::create_directory(File("abc_set_info.ini"));
    WriteFile(File("abc_set_info.ini/inside"), "x");
    prompter.shown.clear();
    const Status reloaded = store.ReloadAndReport();
    EXPECT_NE(test::Why(reloaded).find(File("abc_set_info.ini") + ": Is a directory"),
              std::string::npos)
        << test::Why(reloaded);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, test::Why(reloaded));
    EXPECT_EQ(ReadFile(File("abc_set_info.ini/inside")), "x");

    // A user file that cannot be replaced (a full disk) changes no user.
    const std::string before = ReadFile(File("user_info.ini"));
    prompter.shown.clear();
    Status switched;
    {
        test::FileSizeLimit limit(16);
        switched = store.SwitchUser("Basis");
    }
    EXPECT_NE(test::Why(switched).find(File("user_info.ini") + ": File too large"),
              std::string::npos)
        << test::Why(switched);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, test::Why(switched));
    EXPECT_EQ(ReadFile(File("user_info.ini")), before);
    EXPECT_EQ(store.CurrentUserId(), "abc");

    std::filesystem::remove_all(folder);
    UserStore gone(folder, prompter);
    EXPECT_EQ(test::Why(gone.LoadUsers()), File("user_info.ini") + ": No such file or directory");
    EXPECT_EQ(test::Why(gone.SwitchUser("abc")),
              SourceText(Message(MessageId::FileNotWritten,
                                 {File("user_info.ini") + ": No such file or directory"})));
}

TEST_F(Users, FilesThatCannotBeDeletedAreReportedNotHidden) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    Add(store, "abc");
    store.CloseTables();
    // A directory in place of a database file cannot be unlinked.
    std::filesystem::remove(File("abc_GlucoseDown.sqlite"));
    std::filesystem::create_directory(File("abc_GlucoseDown.sqlite"));
    WriteFile(File("abc_GlucoseDown.sqlite/x"), "x");
    EXPECT_FALSE(store.OpenUserDatabases());

    prompter.shown.clear();
    EXPECT_EQ(store.DeleteCurrentUser(), UserStore::Outcome::Done);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(
        prompter.shown[1].text,
        std::string(
            "The user was removed from the user list, but these files could not be deleted:") +
            "\r\n" + File("abc_GlucoseDown.sqlite"));
    EXPECT_EQ(store.UserList(), std::vector<std::string>{"Basis"});
}

TEST_F(Users, DeletingAUserWithoutItsMarkerSaysSo) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    Add(store, "abc");
    std::filesystem::remove(File("abc_active.info"));
    prompter.shown.clear();
    EXPECT_EQ(store.DeleteCurrentUser(), UserStore::Outcome::Refused);
    EXPECT_EQ(prompter.Texts().back(),
              "The files of the current user were not found. Nothing was deleted.");
    EXPECT_TRUE(FileExists(File("abc_HbA1c.sqlite")));
    EXPECT_EQ(store.UserList().size(), 2u);
}

TEST_F(Users, AUserLeftHalfDeletedGetsItsMissingFilesBack) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    Add(store, "abc");
    store.CloseTables();
    std::filesystem::remove(File("abc_Glucose.sqlite"));
    std::filesystem::remove(File("abc.ini"));
    ASSERT_TRUE(store.OpenUserDatabases());
    EXPECT_TRUE(store.GlucoseMain().IsOpen());
    EXPECT_EQ(store.GlucoseMain().TableName(), "HospitalTlb");
    EXPECT_TRUE(FileExists(File("abc.ini")));
}

TEST_F(Users, ATableListWithoutAUsableCurrentTableOpensTheDefaultTable) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    for (const char* list : {"[Table Count]\ncnt=1\n", "[Table Count]\ncurrent_table="
                                                       "a_name_far_too_long_for_the_area\n"}) {
        WriteFile(File("Basis.ini"), list);
        ASSERT_TRUE(store.OpenUserDatabases()) << list;
        EXPECT_EQ(store.HbA1cMain().TableName(), "HospitalTlb");
    }
}

TEST_F(Users, AnIdThatNamesAnotherUsersFilesIsRefused) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    Add(store, "abc");
    // What a disk that ignores case shows: "ABC_active.info" is the file of "abc".
    ASSERT_EQ(::link(File("abc_active.info").c_str(), File("ABC_active.info").c_str()), 0);
    EXPECT_EQ(store.AddUser("ABC"), UserStore::Outcome::Refused);
    EXPECT_EQ(
        prompter.Texts().back(),
        "On this disk the user ID names the same files as an existing user ID that differs only in "
        "upper and lower case.\r\nPlease enter another user ID.");
    EXPECT_EQ(store.UserList(), (std::vector<std::string>{"Basis", "abc"}));
}

TEST_F(Users, ANewUserWhoseFilesCannotBeCreatedIsNotAdded) {
    UserStore store(folder, prompter);
    ASSERT_TRUE(store.Reload());
    std::filesystem::create_directory(File("new_Glucose.sqlite"));
    auto before = Snapshot(folder);
    prompter.shown.clear();
    EXPECT_EQ(store.AddUser("new"), UserStore::Outcome::Failed);
    EXPECT_EQ(prompter.Texts().back().rfind(SourceText(user_text::kUserNotAdded), 0), 0u);
    EXPECT_NE(prompter.Texts().back().find(File("new_Glucose.sqlite")), std::string::npos)
        << prompter.Texts().back();
    EXPECT_EQ(store.UserList(), (std::vector<std::string>{"Basis"}));
    EXPECT_EQ(Snapshot(folder), before) << "nothing of the new user is left behind";
    EXPECT_TRUE(store.HbA1cMain().IsOpen()) << "the current user's files stay open";
}
