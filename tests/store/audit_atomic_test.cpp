// A change and its audit entry take effect together; the trail survives restores; an
// operator's delete is reversible.

#include "i18n/message_catalogue.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/audit_log.h"
#include "store/backup.h"
#include "store/record_edit.h"
#include "store/result_delete.h"
#include "store/settings.h"
#include "store/users.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace qa;
using namespace qa::test;

namespace {

std::vector<AuditEntry> All(const std::string& folder) {
    Expected<std::vector<AuditEntry>> entries = ReadAudit(folder, {});
    EXPECT_TRUE(entries.ok());
    return entries.ok() ? *entries : std::vector<AuditEntry>{};
}

std::vector<std::string> Actions(const std::string& folder) {
    std::vector<std::string> actions;
    for (const AuditEntry& e : All(folder)) {
        actions.push_back(e.action);
    }
    return actions;
}

int Exec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

std::vector<std::string> Hidden(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name[0] == '.') {
            names.push_back(name);
        }
    }
    return names;
}

// A data folder with one operator "Kim" holding `results` HbA1c results.
void MakeFolder(const std::string& folder, ScriptedPrompter& prompter, int results,
                const std::string& name) {
    std::filesystem::create_directories(folder);
    UserStore users(folder, prompter);
    ASSERT_TRUE(users.Reload());
    ASSERT_EQ(users.AddUser("Kim"), UserStore::Outcome::Done);
    HbA1cTable& table = users.HbA1cMain();
    for (int i = 0; i < results; ++i) {
        ASSERT_TRUE(table.AddNew());
        table.date = "202601" + std::to_string(10 + i);
        table.time = "0930";
        table.value = "0650";
        table.pid = "P" + std::to_string(i);
        table.opid = "OP";
        ASSERT_TRUE(table.Update());
    }
    users.Settings().name = name;
    ASSERT_TRUE(users.SaveSettings());
}

std::string NameIn(const std::string& folder) {
    SettingsStore s;
    EXPECT_TRUE(LoadSettings(SettingsFilePath(folder, "Kim"), s));
    return s.name;
}

} // namespace

// The staged entry moves into the log once, even when the copy is repeated after a crash
// that came between the copy and the cleanup.
TEST(AuditAtomic, AStagedEntryIsCopiedOnceAndOnlyWithItsChange) {
    TempDir dir;
    ScriptedPrompter prompter;
    MakeFolder(dir.Path(), prompter, 0, "a");
    const std::string main = dir.File("Kim_HbA1c.sqlite");
    const std::size_t before = All(dir.Path()).size();

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(main.c_str(), &db), SQLITE_OK);
    // Rolled back: the entry goes with the change.
    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    AuditEntry dropped;
    dropped.action = audit_action::kImport;
    dropped.detail = "rolled back";
    ASSERT_TRUE(StageAudit(db, dir.Path(), dropped).ok());
    ASSERT_EQ(sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(FlushStagedAudit(db, dir.Path()).ok());
    EXPECT_EQ(All(dir.Path()).size(), before);

    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    AuditEntry kept;
    kept.action = audit_action::kImport;
    kept.detail = "committed";
    kept.ref = "fixed-reference";
    ASSERT_TRUE(StageAudit(db, dir.Path(), kept).ok());
    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(FlushStagedAudit(db, dir.Path()).ok());
    // As if the cleanup had not happened: the same entry staged again.
    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(StageAudit(db, dir.Path(), kept).ok());
    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_TRUE(ReconcileAudit(dir.Path()).empty());
    auto entries = All(dir.Path());
    ASSERT_EQ(entries.size(), before + 1);
    EXPECT_EQ(entries.back().detail, "committed");
    EXPECT_EQ(entries.back().operatorId, "");
    EXPECT_TRUE(ReconcileAudit(dir.Path()).empty());
    EXPECT_EQ(All(dir.Path()).size(), before + 1);
}

// An intent left by a crash becomes its entry when its change is visible and is dropped
// (with the partial file it names) when it is not.
TEST(AuditAtomic, IntentsAreSettledByWhatTheFilesShow) {
    TempDir dir;
    ScriptedPrompter prompter;
    MakeFolder(dir.Path(), prompter, 0, "a");
    const std::size_t before = All(dir.Path()).size();
    const std::string settings = SettingsFilePath(dir.Path(), "Kim");

    auto announce = [&](const std::string& detail, AuditCheck check) {
        AuditIntent intent;
        AuditEntry entry;
        entry.action = audit_action::kSettings;
        entry.detail = detail;
        EXPECT_TRUE(AuditIntent::Begin(dir.Path(), entry, std::move(check), intent).ok());
        // Dropped without Confirm or Abandon: what a kill leaves.
    };
    AuditCheck happened;
    happened.path = settings;
    happened.values = {{kSettingsSection, "Name", "a"}};
    announce("visible", happened);
    AuditCheck notHappened = happened;
    notHappened.values = {{kSettingsSection, "Name", "never written"}};
    announce("invisible", notHappened);
    AuditCheck partial;
    partial.kind = AuditCheck::Kind::FileIdentity;
    partial.path = dir.File("out.tar");
    partial.temp = dir.File(".out.tar.tmp-1");
    WriteFile(partial.temp, "half an archive");
    struct stat st {};
    ASSERT_EQ(::stat(partial.temp.c_str(), &st), 0);
    partial.device = st.st_dev;
    partial.inode = st.st_ino;
    announce("partial archive", partial);
    AuditCheck listed;
    listed.kind = AuditCheck::Kind::UserListed;
    listed.user = "Kim";
    announce("listed", listed);

    EXPECT_EQ(Hidden(dir.Path()).size(), 5u) << "four intents and the partial archive";
    EXPECT_TRUE(ReconcileAudit(dir.Path()).empty());
    auto entries = All(dir.Path());
    ASSERT_EQ(entries.size(), before + 2);
    EXPECT_EQ(entries[before].detail, "visible");
    EXPECT_EQ(entries[before + 1].detail, "listed");
    EXPECT_FALSE(FileExists(partial.temp)) << "the partial archive goes with its intent";
    EXPECT_TRUE(Hidden(dir.Path()).empty());
}

// With the log unwritable, every change is refused and nothing changes: settings, users,
// modify, delete, backup, restore.
TEST(AuditAtomic, AnUnwritableLogRefusesEveryChange) {
    TempDir dir;
    const std::string data = dir.File("data");
    ScriptedPrompter prompter;
    MakeFolder(data, prompter, 2, "before");
    std::string error;
    ASSERT_EQ(test::Why(WriteBackup(data, dir.File("b.tar"), "1.09")), "");
    // A folder in the log's place: no account, root included, can write it.
    const std::string log = data + "/" + kAuditFileName;
    for (const char* companion : {"", "-wal", "-shm"}) {
        std::filesystem::remove(log + companion);
    }
    std::filesystem::create_directory(log);
    const auto names = [&] {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(data)) {
            out.push_back(e.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    const auto filesBefore = names();

    UserStore users(data, prompter);
    ASSERT_TRUE(users.Reload());
    ASSERT_EQ(users.ActiveUserId(), "Kim");
    users.Settings().name = "after";
    const Status saved = users.SaveSettings();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().id, MessageId::AuditNotWritable);
    EXPECT_NE(test::Why(saved).find(log), std::string::npos) << test::Why(saved);
    EXPECT_EQ(NameIn(data), "before");

    prompter.shown.clear();
    EXPECT_EQ(users.AddUser("Lee"), UserStore::Outcome::Failed);
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown.back().message.id, MessageId::AuditNotWritable);
    EXPECT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Failed);
    EXPECT_EQ(prompter.shown.back().message.id, MessageId::AuditNotWritable);
    EXPECT_EQ(users.UserList(), (std::vector<std::string>{"Basis", "Kim"}));

    ASSERT_TRUE(users.OpenUserDatabases());
    HbA1cTable& table = users.HbA1cMain();
    ListRow row;
    row.date = "20260110";
    row.time = "0930";
    row.value = "0650";
    row.patientId = "P0";
    row.operatorId = "OP";
    RecordEdit edit{1, "name", "P9", {1970, 2, 3}, 2, "memo"};
    EXPECT_FALSE(ModifyRecord(table, row, edit));
    EXPECT_FALSE(DeleteRecord(table, row));
    EXPECT_EQ(test::ValueOf(table.CountRows()), 2);
    table.filter = "PID = 'P9'";
    EXPECT_EQ(test::ValueOf(table.CountRows()), 0) << "the modify left nothing";
    users.CloseTables();

    AuditEntry backup;
    backup.action = audit_action::kBackup;
    error = test::Why(WriteBackup(data, dir.File("c.tar"), "1.09", nullptr, &backup));
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find(log), std::string::npos) << error;
    EXPECT_FALSE(FileExists(dir.File("c.tar")));
    EXPECT_TRUE(Hidden(dir.Path()).empty());

    AuditEntry restore;
    restore.action = audit_action::kRestore;
    Expected<RestoredFolder> restored = RestoreBackup(dir.File("b.tar"), data, "1", &restore);
    EXPECT_FALSE(restored.ok());
    EXPECT_NE(test::Why(restored).find(log), std::string::npos) << test::Why(restored);
    const auto filesAfter = names();
    EXPECT_EQ(filesAfter, filesBefore) << ::testing::PrintToString(filesAfter);
    EXPECT_TRUE(Hidden(dir.Path()).empty());
}

// A restore keeps the entries written before it and adds itself; an archive whose log was
// edited and its triggers dropped does not replace the trail, and the protection is back
// on every open whatever a log holds.
TEST(RestoreTrail, ADoctoredArchiveNeverRewritesTheTrail) {
    TempDir dir;
    const std::string data = dir.File("data");
    ScriptedPrompter prompter;
    MakeFolder(data, prompter, 1, "before");
    // The doctored copy: its log edited, its triggers dropped.
    const std::string copy = dir.File("copy");
    std::filesystem::create_directory(copy);
    for (const auto& e : std::filesystem::directory_iterator(data)) {
        if (e.is_regular_file()) {
            std::filesystem::copy_file(e.path(), copy + "/" + e.path().filename().string());
        }
    }
    const std::string copiedLog = copy + "/" + kAuditFileName;
    ASSERT_EQ(Exec(copiedLog,
                   "DROP TRIGGER audit_no_update; DROP TRIGGER audit_no_delete;"
                   "UPDATE audit SET detail = 'rewritten'; DELETE FROM audit WHERE id > 1"),
              SQLITE_OK);
    std::string error;
    ASSERT_EQ(test::Why(WriteBackup(copy, dir.File("doctored.tar"), "1.09")), "");

    const auto trail = All(data);
    AuditEntry entry;
    entry.action = audit_action::kRestore;
    Expected<RestoredFolder> result = RestoreBackup(dir.File("doctored.tar"), data, "1", &entry);
    ASSERT_TRUE(result.ok()) << test::Why(result);
    auto after = All(data);
    ASSERT_EQ(after.size(), trail.size() + 1);
    for (std::size_t i = 0; i < trail.size(); ++i) {
        EXPECT_EQ(after[i].detail, trail[i].detail) << i;
        EXPECT_EQ(after[i].time, trail[i].time) << i;
    }
    EXPECT_EQ(after.back().action, audit_action::kRestore);
    EXPECT_NE(after.back().detail.find("doctored.tar"), std::string::npos);
    EXPECT_NE(Exec(data + "/" + kAuditFileName, "UPDATE audit SET detail = 'x'"), SQLITE_OK);

    // A folder without a log of its own takes the archive's, made append-only again.
    const std::string fresh = dir.File("fresh");
    result = RestoreBackup(dir.File("doctored.tar"), fresh, "2", &entry);
    ASSERT_TRUE(result.ok()) << test::Why(result);
    EXPECT_EQ(Actions(fresh).back(), audit_action::kRestore);
    EXPECT_NE(Exec(fresh + "/" + kAuditFileName, "DELETE FROM audit"), SQLITE_OK);
    EXPECT_NE(Exec(fresh + "/" + kAuditFileName, "UPDATE audit SET detail = 'x'"), SQLITE_OK);
}

// The restore stopped at each step, as a crash there would: the data folder's path holds the
// old folder or the new one, the trail says which, and the next start clears the rest. Where
// the file system cannot exchange folders, a stop between the two renames leaves the old
// folder set aside, which the start finds and offers.
TEST(RestoreTrail, ARestoreInterruptedAtEachStepLeavesOldOrNewWithItsTrail) {
    struct Case {
        RestoreStep step;
        bool exchange;
    };
    const Case cases[] = {
        {RestoreStep::Unpacked, true},    {RestoreStep::Exchanged, true},
        {RestoreStep::Renamed, true},     {RestoreStep::Unpacked, false},
        {RestoreStep::MovedAside, false}, {RestoreStep::Renamed, false},
    };
    for (const Case& c : cases) {
        const std::string context =
            "step " + std::to_string(static_cast<int>(c.step)) + (c.exchange ? " exchange" : "");
        TempDir dir;
        const std::string data = dir.File("data");
        ScriptedPrompter prompter;
        MakeFolder(data, prompter, 1, "archived");
        std::string error;
        ASSERT_EQ(test::Why(WriteBackup(data, dir.File("b.tar"), "1.09")), "");
        {
            UserStore users(data, prompter);
            ASSERT_TRUE(users.Reload());
            users.Settings().name = "current";
            ASSERT_TRUE(users.SaveSettings());
        }
        const std::size_t entriesBefore = All(data).size();

        RestoreHooks hooks;
        hooks.exchange = c.exchange;
        hooks.reached = [&](RestoreStep step) { return step != c.step; };
        AuditEntry entry;
        entry.action = audit_action::kRestore;
        Expected<RestoredFolder> result =
            RestoreBackup(dir.File("b.tar"), data, "1", &entry, hooks);
        ASSERT_FALSE(result.ok()) << context;

        if (c.step == RestoreStep::MovedAside) {
            ASSERT_FALSE(FileExists(data)) << context;
            const std::string aside = SetAsideCopyOf(data);
            EXPECT_EQ(aside, data + ".before-restore-1") << context;
            // What the window's start does on yes.
            ASSERT_EQ(::rename(aside.c_str(), data.c_str()), 0);
        }
        ASSERT_TRUE(FileExists(data)) << context;
        EXPECT_TRUE(SetAsideCopyOf(data).empty());
        std::vector<std::string> kept = SettleInterruptedRestore(data, "2");
        const bool restored = NameIn(data) == "archived";
        EXPECT_TRUE(restored || NameIn(data) == "current") << context;
        const bool swapped = c.step == RestoreStep::Exchanged || c.step == RestoreStep::Renamed;
        EXPECT_EQ(restored, swapped) << context;
        auto entries = All(data);
        ASSERT_EQ(entries.size(), entriesBefore + (restored ? 1 : 0)) << context;
        if (restored) {
            EXPECT_EQ(entries.back().action, audit_action::kRestore) << context;
            // The replaced folder is kept, by the restore or, named, by the start.
            ASSERT_EQ(kept.size(), c.step == RestoreStep::Exchanged ? 1u : 0u) << context;
            const std::string old = kept.empty() ? data + ".before-restore-1" : kept[0];
            EXPECT_EQ(old.rfind(data + ".before-restore-", 0), 0u) << old;
            EXPECT_EQ(NameIn(old), "current") << context;
        }
        EXPECT_TRUE(Hidden(dir.Path()).empty()) << context;
        EXPECT_TRUE(Hidden(data).empty()) << context;
    }
}

// The question names the operator and their results and defaults to No; the files move into
// an owner-only folder inside the data folder, and a restore brings them back with every
// result; both are in the log.
TEST(OperatorDelete, IsNamedCountedReversibleAndAudited) {
    const ScopedUmask permissive;
    TempDir dir;
    ScriptedPrompter prompter;
    MakeFolder(dir.Path(), prompter, 3, "Kim's settings");
    UserStore users(dir.Path(), prompter);
    ASSERT_TRUE(users.Reload());
    ASSERT_EQ(users.ActiveUserId(), "Kim");

    prompter.shown.clear();
    prompter.answers = {false};
    EXPECT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Declined);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].message, Message(MessageId::AskDeleteUserNamed, {"Kim", "3", "0"}));
    EXPECT_TRUE(prompter.shown[0].defaultNo);
    EXPECT_EQ(users.UserList(), (std::vector<std::string>{"Basis", "Kim"}));

    EXPECT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Done);
    const std::string aside = dir.File("deleted_users/Kim");
    EXPECT_EQ(users.UserList(), std::vector<std::string>{"Basis"});
    EXPECT_FALSE(FileExists(dir.File("Kim_HbA1c.sqlite")));
    EXPECT_TRUE(FileExists(aside + "/Kim_HbA1c.sqlite"));
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("deleted_users").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(aside.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(Actions(dir.Path()).back(), audit_action::kUserDelete);
    EXPECT_NE(All(dir.Path()).back().detail.find("3 HbA1c"), std::string::npos);

    EXPECT_EQ(users.RestoreUser("Lee"), UserStore::Outcome::Refused);
    EXPECT_EQ(prompter.shown.back().message.id, MessageId::NoDeletedUser);
    EXPECT_EQ(users.RestoreUser("Kim"), UserStore::Outcome::Done);
    EXPECT_EQ(users.UserList(), (std::vector<std::string>{"Basis", "Kim"}));
    EXPECT_EQ(Actions(dir.Path()).back(), audit_action::kUserRestore);
    EXPECT_FALSE(FileExists(aside));
    ASSERT_TRUE(users.SwitchUser("Kim"));
    EXPECT_EQ(test::ValueOf(users.HbA1cMain().CountRows()), 3);
    EXPECT_EQ(users.Settings().name, "Kim's settings");
    EXPECT_EQ(users.RestoreUser("Kim"), UserStore::Outcome::Refused) << "listed already";

    // A second delete of the same ID keeps the first one's folder apart.
    ASSERT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Done);
    ASSERT_TRUE(users.SwitchUser("Basis"));
    ASSERT_EQ(users.AddUser("Kim"), UserStore::Outcome::Done);
    ASSERT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Done);
    EXPECT_TRUE(FileExists(aside + "~2/Kim_HbA1c.sqlite"));
    EXPECT_EQ(users.RestoreUser("Kim"), UserStore::Outcome::Done);
    ASSERT_TRUE(users.SwitchUser("Kim"));
    EXPECT_EQ(test::ValueOf(users.HbA1cMain().CountRows()), 0)
        << "the newest delete comes back first";
}

// A delete or a restore stopped half-way is finished or undone at the next start, toward
// what the user file says; files of an add that never registered go, unless they hold data.
TEST(OperatorDelete, InterruptedMovesAndUnregisteredFilesAreSettledAtStart) {
    TempDir dir;
    ScriptedPrompter prompter;
    MakeFolder(dir.Path(), prompter, 1, "k");
    // A delete stopped after the user file dropped Kim, before the files moved.
    {
        UserStore users(dir.Path(), prompter);
        ASSERT_TRUE(users.Reload());
        ASSERT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Done);
    }
    const std::string aside = dir.File("deleted_users/Kim");
    for (const char* name : {"Kim_HbA1c.sqlite", "Kim.ini"}) {
        ASSERT_EQ(::rename((aside + "/" + name).c_str(), dir.File(name).c_str()), 0);
    }
    WriteFile(aside + "/.deleting", "Kim");
    // Files of an add that stopped before the user file named "Lee", one with data.
    for (const char* id : {"Lee", "Park"}) {
        UserStore users(dir.Path(), prompter);
        ASSERT_TRUE(users.Reload());
        ASSERT_EQ(users.AddUser(id), UserStore::Outcome::Done);
    }
    {
        // Back to the list before the two adds.
        WriteFile(dir.File("user_info.ini"),
                  "[User Count]\ncurrent_user=Basis\ncnt=1\n\n[User Set]\nno1=Basis\n");
        ASSERT_EQ(Exec(dir.File("Park_HbA1c.sqlite"),
                       "INSERT INTO HospitalTlb(DATE, TIME, HbA1c_VALUE) VALUES('1','2','3')"),
                  SQLITE_OK);
    }
    EXPECT_TRUE(UserStore::SettleUserMoves(dir.Path()).empty());
    EXPECT_FALSE(FileExists(dir.File("Kim_HbA1c.sqlite")));
    EXPECT_TRUE(FileExists(aside + "/Kim_HbA1c.sqlite"));
    EXPECT_FALSE(FileExists(aside + "/.deleting"));
    auto kept = RemoveUnregisteredUserFiles(dir.Path());
    EXPECT_EQ(kept, std::vector<std::string>{dir.File("Park_active.info")});
    EXPECT_FALSE(FileExists(dir.File("Lee_HbA1c.sqlite")));
    EXPECT_FALSE(FileExists(dir.File("Lee_active.info")));
    EXPECT_TRUE(FileExists(dir.File("Park_HbA1c.sqlite")));

    // A restore stopped after the files came back, before the user file listed Kim: undone.
    WriteFile(aside + "/.restoring", "Kim");
    ASSERT_EQ(::rename((aside + "/Kim_HbA1c.sqlite").c_str(), dir.File("Kim_HbA1c.sqlite").c_str()),
              0);
    EXPECT_TRUE(UserStore::SettleUserMoves(dir.Path()).empty());
    EXPECT_TRUE(FileExists(aside + "/Kim_HbA1c.sqlite"));
    EXPECT_FALSE(FileExists(dir.File("Kim_HbA1c.sqlite")));
    UserStore users(dir.Path(), prompter);
    ASSERT_TRUE(users.Reload());
    EXPECT_EQ(users.RestoreUser("Kim"), UserStore::Outcome::Done);
    ASSERT_TRUE(users.SwitchUser("Kim"));
    EXPECT_EQ(test::ValueOf(users.HbA1cMain().CountRows()), 1);
}
