#include "i18n/message_catalogue.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/folder_check.h"
#include "store/measurement_table.h"
#include "store/record_edit.h"
#include "store/result_delete.h"
#include "store/result_list.h"
#include "store/system_error.h"
#include "store/users.h"
#include "temp_dir.h"
#include "windows_folder.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qa;
using namespace qa::test;

namespace {

// A folder this program made and keeps: owner-only, current schema, listed operators only.
std::string CleanFolder(const TempDir& dir) {
    const std::string data = dir.File("data");
    std::filesystem::create_directories(data);
    ::chmod(data.c_str(), 0700);
    ::umask(077);
    ScriptedPrompter prompter;
    UserStore users(data, prompter);
    EXPECT_TRUE(users.Reload());
    users.CloseTables();
    return data;
}

std::vector<FolderFinding> Of(const std::vector<FolderFinding>& all, FolderFinding::Kind kind) {
    std::vector<FolderFinding> found;
    for (const FolderFinding& finding : all) {
        if (finding.kind == kind) {
            found.push_back(finding);
        }
    }
    return found;
}

std::string MessageText(const FolderFinding& finding) {
    return SourceText(finding.message);
}

void Write(const std::string& path, const std::string& bytes, mode_t mode = 0600) {
    std::ofstream(path, std::ios::binary) << bytes;
    ::chmod(path.c_str(), mode);
}

} // namespace

TEST(FolderCheck, CleanFolderReportsEveryFileFine) {
    TempDir dir;
    const std::string data = CleanFolder(dir);
    const std::string before = FolderFingerprint(data);
    auto findings = CheckDataFolder(data);
    EXPECT_FALSE(FoundProblems(findings));
    for (const FolderFinding& finding : findings) {
        EXPECT_EQ(finding.kind, FolderFinding::Kind::Fine) << finding.path;
    }
    EXPECT_GE(findings.size(), 8u) << "one line per file";
    EXPECT_EQ(FolderFingerprint(data), before);
}

TEST(FolderCheck, FindsEachKindOfProblem) {
    TempDir dir;
    const std::string data = CleanFolder(dir);
    const auto only = [&](FolderFinding::Kind kind) {
        auto findings = CheckDataFolder(data);
        EXPECT_TRUE(FoundProblems(findings));
        return Of(findings, kind);
    };

    // Damage: a database file whose pages are not a database.
    Write(data + "/Basis_GlucoseDown.sqlite", std::string(4096, 'x'));
    auto damaged = only(FolderFinding::Kind::Damaged);
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_EQ(damaged[0].path, data + "/Basis_GlucoseDown.sqlite");
    std::filesystem::remove(data + "/Basis_GlucoseDown.sqlite");

    // Encoding: a settings file holding bytes that are neither UTF-8 nor code page 949.
    const std::string settings = ReadFile(data + "/Basis_set_info.ini");
    Write(data + "/Basis_set_info.ini", settings + "Name=\xff\xfe\xff\n");
    auto undecodable = only(FolderFinding::Kind::Undecodable);
    ASSERT_EQ(undecodable.size(), 1u);
    EXPECT_EQ(undecodable[0].path, data + "/Basis_set_info.ini");
    Write(data + "/Basis_set_info.ini", settings);

    // Schema: an operator's database of the first version.
    WindowsFolder old;
    old.operators.push_back({"Basis", false, "-1", "-1", {"P1"}});
    const std::string scratch = dir.File("old");
    WriteWindowsFolder(scratch, old);
    std::filesystem::copy_file(scratch + "/Basis_HbA1c.sqlite", data + "/Basis_HbA1c.sqlite",
                               std::filesystem::copy_options::overwrite_existing);
    ::chmod((data + "/Basis_HbA1c.sqlite").c_str(), 0600);
    auto schema = only(FolderFinding::Kind::Schema);
    ASSERT_EQ(schema.size(), 2u) << "the column and the indexes";
    EXPECT_NE(MessageText(schema[0]).find("P_MEMO"), std::string::npos);
    EXPECT_NE(MessageText(schema[1]).find("HospitalTlb_PID"), std::string::npos);

    // Orphans: the files of an operator the user file does not list.
    Write(data + "/gone_HbA1c.sqlite", "");
    Write(data + "/gone_set_info.ini", "");
    auto orphans = only(FolderFinding::Kind::Orphan);
    ASSERT_EQ(orphans.size(), 2u);

    // Leftovers: temporary files here and a restore's scratch folder beside the folder.
    Write(data + "/.user_info.ini.tmp-123-0", "");
    std::filesystem::create_directories(dir.File(".data.restore-abc"));
    auto leftovers = only(FolderFinding::Kind::Leftover);
    ASSERT_EQ(leftovers.size(), 2u);
    EXPECT_EQ(leftovers[1].path, dir.File(".data.restore-abc"));

    // Permissions: a file the group may read.
    ::chmod((data + "/Basis.ini").c_str(), 0640);
    auto open = only(FolderFinding::Kind::Permissions);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_NE(MessageText(open[0]).find("0640"), std::string::npos);
}

// The Windows folder: its encodings are named, its operators' files in either spelling are
// theirs, and the check leaves the folder as it was.
TEST(FolderCheck, WindowsFolderEncodingsAndOwners) {
    TempDir dir;
    const std::string data = dir.File("data");
    WriteWindowsFolder(data, StandardWindowsFolder());
    const std::string before = FolderFingerprint(data);
    auto findings = CheckDataFolder(data);
    EXPECT_TRUE(Of(findings, FolderFinding::Kind::Orphan).empty());
    EXPECT_TRUE(Of(findings, FolderFinding::Kind::Damaged).empty());
    EXPECT_FALSE(Of(findings, FolderFinding::Kind::Permissions).empty()) << "0644 of the copy";
    EXPECT_EQ(FolderFingerprint(data), before);
    // Once the modes are put right, each profile file is in order and its encoding named.
    ::chmod(data.c_str(), 0700);
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        ::chmod(entry.path().c_str(), 0600);
    }
    findings = CheckDataFolder(data);
    int named = 0;
    for (const FolderFinding& finding : findings) {
        if (finding.path == data + "/user_info.ini" ||
            finding.path == data + "/" + Cp949("홍길동") + "_set_info.ini") {
            EXPECT_EQ(finding.kind, FolderFinding::Kind::Fine);
            EXPECT_NE(MessageText(finding).find("(CP949)"), std::string::npos)
                << MessageText(finding);
            ++named;
        }
    }
    EXPECT_EQ(named, 2);
}

// A read-only open of a file of the first version reads the missing columns as empty, in
// rows, conditions and orderings alike, and writes nothing; a writable open upgrades it.
TEST(ReadOnlyOpen, MissingColumnsReadEmptyWithoutWriting) {
    TempDir dir;
    WindowsFolder old;
    old.operators.push_back({"Basis", false, "-1", "-1", {"P1", "P2"}});
    WriteWindowsFolder(dir.File("d"), old);
    const std::string path = dir.File("d") + "/Basis_HbA1c.sqlite";
    const std::string before = ReadFile(path);
    {
        HbA1cTable table;
        table.SetReadOnly(true);
        ASSERT_TRUE(table.SetTableName("HospitalTlb"));
        const Status opened = table.Open(path);
        ASSERT_TRUE(opened) << test::Why(opened);
        const Status synced = table.SyncSchema();
        ASSERT_TRUE(synced) << test::Why(synced);
        table.filter = "[P_MEMO] = '' AND [PID] = 'P2'";
        table.sort = "[P_MEMO], [DATE]";
        const Status read = table.Requery();
        ASSERT_TRUE(read) << test::Why(read);
        EXPECT_EQ(table.RowCount(), 1);
        EXPECT_EQ(table.pid.Str(), "P2");
        EXPECT_EQ(table.memo.Str(), "");
        EXPECT_TRUE(table.TakeSchemaChanges().empty());
    }
    EXPECT_EQ(ReadFile(path), before) << "the reader wrote nothing";
    {
        HbA1cTable table;
        ASSERT_TRUE(table.SetTableName("HospitalTlb"));
        const Status opened = table.Open(path);
        ASSERT_TRUE(opened) << test::Why(opened);
        ASSERT_TRUE(table.SyncSchema());
        const auto changes = table.TakeSchemaChanges();
        // The columns later versions added, then the indexes.
        ASSERT_EQ(changes.size(), 4u);
        EXPECT_EQ(changes[0], "column P_MEMO");
        EXPECT_EQ(changes[1], "column RESULT_ID");
    }
    EXPECT_NE(ReadFile(path), before);
}

// Modify and delete over a Windows-era operator's files: the files open writable (and are
// upgraded), the edit keeps a 49-syllable name whole, the delete removes only its row.
TEST(WindowsFolderStore, ModifyAndDeleteOverOldFiles) {
    TempDir dir;
    const std::string data = dir.File("data");
    WriteWindowsFolder(data, StandardWindowsFolder());
    ScriptedPrompter prompter;
    UserStore users(data, prompter);
    ASSERT_TRUE(users.Reload());
    ASSERT_EQ(users.ActiveUserId(), "홍길동");
    HbA1cTable& table = users.HbA1cMain();
    ASSERT_EQ(test::ValueOf(table.CountRows()), 2);
    ListRow row;
    row.date = "20160620";
    row.time = "0930";
    row.value = "0650";
    row.patientId = "HONG0000000001";
    row.operatorId = "";
    row.patientName = table.name.Str();
    std::string name;
    for (int i = 0; i < 49; ++i) {
        name += "가";
    }
    RecordEdit edit{1, name, "HONG0000000001", {1970, 2, 3}, 1, "memo"};
    const Status modified = ModifyRecord(table, row, edit);
    ASSERT_TRUE(modified) << test::Why(modified);
    // The connection that added the memo column reads it only once opened again.
    ASSERT_TRUE(users.Reload());
    table.filter = "[PID] = 'HONG0000000001'";
    ASSERT_TRUE(table.Requery());
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.name.Str(), name) << "kept whole";
    EXPECT_EQ(table.memo.Str(), "memo") << "the memo column the upgrade added";
    row.patientName = name;
    row.memo = "memo";
    const Status deleted = DeleteRecord(table, row);
    ASSERT_TRUE(deleted) << test::Why(deleted);
    table.filter.Clear();
    ASSERT_TRUE(table.Requery());
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.pid.Str(), "HONG0000000002");
}

// A folder or file that cannot be read at all is reported as such, not passed over: the
// folder missing or not a folder, and a profile file beyond any the program writes.
TEST(FolderCheck, ReportsWhatCannotBeRead) {
    TempDir dir;
    auto missing = CheckDataFolder(dir.File("nowhere"));
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].kind, FolderFinding::Kind::Unreadable);
    EXPECT_EQ(missing[0].path, dir.File("nowhere"));
    EXPECT_TRUE(FoundProblems(missing));

    Write(dir.File("a-file"), "not a folder");
    auto notFolder = CheckDataFolder(dir.File("a-file"));
    ASSERT_EQ(notFolder.size(), 1u);
    EXPECT_EQ(notFolder[0].kind, FolderFinding::Kind::Unreadable);

    const std::string data = CleanFolder(dir);
    // Sparse: the size alone refuses it, nothing is read.
    const std::string huge = data + "/Basis.ini";
    ASSERT_EQ(::truncate(huge.c_str(), 64 * 1024 * 1024), 0);
    auto findings = CheckDataFolder(data);
    auto unreadable = Of(findings, FolderFinding::Kind::Unreadable);
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_EQ(unreadable[0].path, huge);
    EXPECT_EQ(unreadable[0].message.id, MessageId::CheckUnreadable);
    ASSERT_EQ(unreadable[0].message.args.size(), 2u);
    EXPECT_EQ(unreadable[0].message.args[1], SystemErrorText(EFBIG)) << "no stale reason";
    EXPECT_TRUE(FoundProblems(findings));
}

// A write that stopped half-way leaves a journal to be played back. The check names it and
// leaves both files as they are: playing it back is a change only a writable open may make.
TEST(FolderCheck, ReportsAJournalWithoutPlayingItBack) {
    TempDir dir;
    const std::string data = dir.File("data");
    WindowsFolder folder;
    folder.operators.push_back({"Basis", false, "-1", "-1", {"P1"}});
    WriteWindowsFolder(data, folder);
    const std::string db = data + "/Basis_HbA1c.sqlite";
    const std::string journal = db + "-journal";
    // A process that dies inside a transaction large enough to spill to the file.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* handle = nullptr;
        if (sqlite3_open(db.c_str(), &handle) != SQLITE_OK) {
            ::_exit(2);
        }
        sqlite3_exec(handle,
                     "PRAGMA cache_size=10; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                     "SELECT i + 1 FROM n WHERE i < 3000) INSERT INTO HospitalTlb SELECT "
                     "'20160620', '0930', '0650', printf('X%0200d', i), '', '1', '', '', 0 "
                     "FROM n",
                     nullptr, nullptr, nullptr);
        ::_exit(std::filesystem::exists(journal) ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "no journal left behind";
    ASSERT_GT(std::filesystem::file_size(journal), 0u);

    const std::string before = FolderFingerprint(data);
    auto findings = CheckDataFolder(data);
    auto leftovers = Of(findings, FolderFinding::Kind::Leftover);
    ASSERT_EQ(leftovers.size(), 1u);
    EXPECT_EQ(leftovers[0].path, journal);
    EXPECT_EQ(leftovers[0].message.id, MessageId::CheckJournal);
    EXPECT_TRUE(FoundProblems(findings));
    EXPECT_EQ(FolderFingerprint(data), before) << "the journal was not played back";
    EXPECT_TRUE(std::filesystem::exists(journal));

    // An empty journal (what a finished write of the journal mode may leave) is no problem.
    std::filesystem::remove(journal);
    Write(journal, "", 0644);
    for (const FolderFinding& finding : CheckDataFolder(data)) {
        EXPECT_NE(finding.kind, FolderFinding::Kind::Leftover) << finding.path;
    }
}

// The database forms of two kinds: texts in no known encoding inside a result file, and an
// operator's database holding no table at all.
TEST(FolderCheck, DatabaseTextsAndMissingTables) {
    TempDir dir;
    const std::string data = dir.File("data");
    WindowsFolder folder;
    folder.operators.push_back({"Basis", false, "-1", "-1", {"P1"}});
    WriteWindowsFolder(data, folder);
    ::chmod(data.c_str(), 0700);
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        ::chmod(entry.path().c_str(), 0600);
    }
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open((data + "/Basis_HbA1c.sqlite").c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "UPDATE HospitalTlb SET p_NAME = CAST(x'fffeff' AS TEXT)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(handle);
    handle = nullptr;
    ASSERT_EQ(sqlite3_open((data + "/Basis_GlucoseDown.sqlite").c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "DROP TABLE DownLoadData", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(handle);

    auto findings = CheckDataFolder(data);
    auto undecodable = Of(findings, FolderFinding::Kind::Undecodable);
    ASSERT_EQ(undecodable.size(), 1u);
    EXPECT_EQ(undecodable[0].path, data + "/Basis_HbA1c.sqlite");
    bool noTable = false;
    for (const FolderFinding& finding : Of(findings, FolderFinding::Kind::Schema)) {
        if (finding.message.id == MessageId::CheckNoTable) {
            EXPECT_EQ(finding.path, data + "/Basis_GlucoseDown.sqlite");
            noTable = true;
        }
    }
    EXPECT_TRUE(noTable);
}
