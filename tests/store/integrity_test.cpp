// Damaged, half-made and foreign files, and outputs that must not replace what they name.

#include "i18n/message_catalogue.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/csv_export.h"
#include "store/measurement_table.h"
#include "store/output_target.h"
#include "store/profile_file.h"
#include "store/record_edit.h"
#include "store/result_list.h"
#include "store/settings.h"
#include "store/text_encoding.h"
#include "store/users.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace qa;
using qa::test::FileExists;
using qa::test::ReadFile;
using qa::test::ScriptedPrompter;
using qa::test::TempDir;
using qa::test::WriteFile;

namespace {

// Code page 949 bytes of 김민수 (a name), 당뇨 추적 (a memo), 환자 (a patient ID) and
// 서울병원 (a hospital).
const std::string kNameCp949 = "\xB1\xE8\xB9\xCE\xBC\xF6";
const std::string kMemoCp949 = "\xB4\xE7\xB4\xA2 \xC3\xDF\xC0\xFB";
const std::string kPidCp949 = "\xC8\xAF\xC0\xDA";
const std::string kHospitalCp949 = "\xBC\xAD\xBF\xEF\xBA\xB4\xBF\xF8";

void RawExec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_close(db);
}

std::string RawScalar(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    std::string result = "<none>";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        result = text ? reinterpret_cast<const char*>(text) : "<null>";
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

// A main table as the Windows program leaves it: no auto_vacuum, rows in code page 949.
void WriteForeignMainTable(const std::string& path, int rows) {
    std::string sql =
        "BEGIN;CREATE TABLE [HospitalTlb] ([DATE] TEXT,[TIME] TEXT,[HbA1c_VALUE] TEXT,"
        "[PID] TEXT,[OPID] TEXT,[EQ_TYPE] TEXT,[p_NAME] TEXT,[p_DOB] TEXT,"
        "[P_DIAGNOSE] INT,[P_MEMO] TEXT);";
    for (int i = 0; i < rows; ++i) {
        sql += "INSERT INTO HospitalTlb VALUES ('201606" + std::to_string(10 + i % 18) +
               "','1430','0650','" + kPidCp949 + "','OP','1','" + kNameCp949 + "','19700101',1,'" +
               kMemoCp949 + "');";
    }
    RawExec(path, sql + "COMMIT;");
}

struct StatementLog {
    std::vector<std::string> statements;
    void Attach(sqlite3* db) {
        sqlite3_trace_v2(
            db, SQLITE_TRACE_STMT,
            [](unsigned, void* self, void* statement, void*) {
                const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
                static_cast<StatementLog*>(self)->statements.emplace_back(sql ? sql : "");
                return 0;
            },
            this);
    }
};

} // namespace

TEST(StoreIntegrity, ReadersOpenReadOnlyAndOnlyNewFilesGetTheVacuumSetting) {
    TempDir dir;
    std::string foreign = dir.File("old.sqlite");
    WriteForeignMainTable(foreign, 3);
    std::string before = ReadFile(foreign);

    HbA1cTable reader;
    ASSERT_TRUE(reader.SetTableName(kMainTableName));
    reader.SetReadOnly(true);
    const Status opened = reader.Open(foreign);
    ASSERT_TRUE(opened) << test::Why(opened);
    EXPECT_EQ(sqlite3_db_readonly(reader.Handle(), "main"), 1);
    EXPECT_EQ(reader.RowCount(), 3);
    StatementLog log;
    log.Attach(reader.Handle());
    ASSERT_TRUE(reader.ResetView());
    reader.Close();
    for (const std::string& statement : log.statements) {
        EXPECT_EQ(statement.find("PRAGMA auto_vacuum"), std::string::npos) << statement;
    }
    EXPECT_EQ(ReadFile(foreign), before) << "a reader changes not a byte";
    EXPECT_FALSE(FileExists(foreign + "-journal"));

    HbA1cTable writer;
    ASSERT_TRUE(writer.SetTableName(kMainTableName));
    ASSERT_TRUE(writer.Open(foreign));
    writer.Close();
    EXPECT_EQ(RawScalar(foreign, "PRAGMA auto_vacuum"), "0") << "an existing file keeps its own";

    std::string fresh = dir.File("new.sqlite");
    ASSERT_TRUE(writer.OpenOrCreate(fresh));
    writer.Close();
    EXPECT_EQ(RawScalar(fresh, "PRAGMA auto_vacuum"), "1");
}

TEST(StoreIntegrity, DamagedFilesAreNamedAndLeftAsTheyAre) {
    TempDir dir;
    std::string path = dir.File("Basis_HbA1c.sqlite");
    WriteForeignMainTable(path, 400); // several pages
    std::string content = ReadFile(path);
    ASSERT_GT(content.size(), 4u * 4096);
    // Garbage over the third page: a b-tree page of the table.
    for (std::size_t i = 2 * 4096; i < 3 * 4096; ++i) {
        content[i] = static_cast<char>(i * 7);
    }
    WriteFile(path, content);

    HbA1cTable table;
    ASSERT_TRUE(table.SetTableName(kMainTableName));
    const std::string refused = test::Why(table.Open(path));
    EXPECT_TRUE(table.IsDamaged()) << refused;
    EXPECT_EQ(refused.rfind(path + ": ", 0), 0u) << refused;
    EXPECT_NE(refused.find("malformed"), std::string::npos) << refused;
    EXPECT_FALSE(table.OpenOrCreate(path));
    EXPECT_EQ(ReadFile(path), content) << "never overwritten";

    std::string notADatabase = dir.File("garbage.sqlite");
    WriteFile(notADatabase, std::string(8192, 'G'));
    EXPECT_FALSE(table.Open(notADatabase));
    EXPECT_TRUE(table.IsDamaged());

    // Through the user store, as the window and the command line open them.
    std::string folder = dir.File("data");
    std::filesystem::create_directory(folder);
    ScriptedPrompter prompter;
    UserStore users(folder, prompter);
    ASSERT_TRUE(users.Reload());
    users.CloseTables();
    std::filesystem::copy_file(path, folder + "/Basis_HbA1c.sqlite",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_FALSE(users.ReloadAndReport());
    EXPECT_TRUE(users.HasDamagedFile());
    ASSERT_FALSE(prompter.Texts().empty());
    const std::string text = prompter.Texts().back();
    EXPECT_EQ(text.rfind(SourceText(user_text::kDamagedFile), 0), 0u) << text;
    EXPECT_NE(text.find(folder + "/Basis_HbA1c.sqlite: "), std::string::npos) << text;
    EXPECT_EQ(ReadFile(folder + "/Basis_HbA1c.sqlite"), content);
    EXPECT_TRUE(users.GlucoseMain().IsOpen()) << "the other files are still usable";
}

TEST(StoreIntegrity, AFileWithoutItsTableGetsItWhenTheUserIsOpened) {
    TempDir dir;
    ScriptedPrompter prompter;
    UserStore users(dir.Path(), prompter);
    ASSERT_TRUE(users.Reload());
    ASSERT_EQ(users.AddUser("kim"), UserStore::Outcome::Done);
    users.CloseTables();
    // What an add killed between creating a file and its table left behind.
    RawExec(dir.File("kim_Glucose.sqlite"), "DROP TABLE HospitalTlb");
    std::filesystem::resize_file(dir.File("kim_GlucoseDown.sqlite"), 0);

    for (bool readOnly : {true, false}) {
        UserStore again(dir.Path(), prompter);
        again.SetReadOnly(readOnly);
        ASSERT_TRUE(again.Reload()) << readOnly;
        EXPECT_TRUE(again.GlucoseMain().IsOpen());
        EXPECT_TRUE(again.GlucoseDownload().IsOpen());
        EXPECT_EQ(again.GlucoseMain().RowCount(), 0);
    }
    ASSERT_TRUE(users.SwitchUser("kim"));
    EXPECT_EQ(users.DeleteCurrentUser(), UserStore::Outcome::Done);
    EXPECT_EQ(users.UserList(), (std::vector<std::string>{"Basis"}));
}

TEST(StoreIntegrity, AnUnlistedCurrentUserFallsBackToTheFirstListedUser) {
    TempDir dir;
    WriteFile(dir.File(kUserInfoFileName),
              "[User Count]\ncnt=2\ncurrent_user=ghost\n[User Set]\nno1=kim\nno2=lee\n");
    ScriptedPrompter prompter;
    UserStore users(dir.Path(), prompter);
    ASSERT_TRUE(users.Reload());
    EXPECT_EQ(users.ActiveUserId(), "kim");
    EXPECT_EQ(users.HbA1cMain().Path().Str(), dir.File("kim_HbA1c.sqlite"));
    EXPECT_FALSE(FileExists(dir.File("ghost_HbA1c.sqlite"))) << "nothing is stored for ghost";
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_NE(prompter.Texts()[0].find("\"ghost\" is not in the user list"), std::string::npos);
    EXPECT_NE(prompter.Texts()[0].find("\"kim\""), std::string::npos);
    ASSERT_TRUE(users.Reload());
    EXPECT_EQ(prompter.Texts().size(), 1u) << "said once";
}

TEST(StoreIntegrity, OutputsRefuseWhatIsNotARegularFileOutsideTheDataFolder) {
    TempDir dir;
    std::string data = dir.File("data");
    std::filesystem::create_directory(data);
    WriteFile(data + "/Basis_HbA1c.sqlite", "the database");
    WriteFile(dir.File("victim"), "keep me");
    std::filesystem::create_symlink(dir.File("victim"), dir.File("link.csv"));
    std::filesystem::create_directory(dir.File("folder.csv"));
    ASSERT_EQ(::link((data + "/Basis_HbA1c.sqlite").c_str(), dir.File("hard.csv").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.File("pipe.csv").c_str(), 0600), 0);

    const std::string refused[] = {
        "/dev/null",          dir.File("link.csv"),    dir.File("folder.csv"),
        dir.File("pipe.csv"), dir.File("hard.csv"),    data + "/Basis_HbA1c.sqlite",
        data + "/new.csv",    data + "/../data/x.csv",
    };
    for (const std::string& target : refused) {
        const Status written =
            WriteCsvFile(target, ResultKind::Glucose, {{"1", "a", "b", "c"}}, data);
        EXPECT_FALSE(written) << target;
        EXPECT_EQ(test::Why(written).rfind(target + ": ", 0), 0u) << test::Why(written);
    }
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(ReadFile(dir.File("victim")), "keep me");
    EXPECT_EQ(ReadFile(data + "/Basis_HbA1c.sqlite"), "the database");
    EXPECT_FALSE(FileExists(data + "/new.csv"));

    std::string target = dir.File("out.csv");
    WriteFile(target, "old");
    const Status written = WriteCsvFile(target, ResultKind::Glucose, {{"1", "a", "b", "c"}}, data);
    ASSERT_TRUE(written) << test::Why(written);
    EXPECT_EQ(ReadFile(target), "No,Date,Time,Result,Patient ID\n1,a,b,c,\n");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 7u) << "no temporary file is left beside the export";
}

TEST(StoreIntegrity, CodePage949TextsAreShownExportedAndSavedWithoutLoss) {
    EXPECT_EQ(DecodeStoredText(kNameCp949), "김민수");
    EXPECT_EQ(DecodeStoredText("김민수"), "김민수") << "UTF-8 stays as it is";
    EXPECT_EQ(DecodeStoredText("P-01"), "P-01");
    EXPECT_EQ(DecodeStoredText("a\xFF"), "a\xEF\xBF\xBD") << "neither: shown, never stored";

    TempDir dir;
    WriteFile(dir.File(kUserInfoFileName),
              "[User Count]\r\ncurrent_user=Basis\r\ncnt=1\r\n[User Set]\r\nno1=Basis\r\n");
    WriteFile(dir.File("Basis_set_info.ini"), "[SETTING VALUE]\r\nHbA1c_unit=0\r\nDate=0\r\n"
                                              "Name=" +
                                                  kNameCp949 + "\r\nHospital=" + kHospitalCp949 +
                                                  "\r\n");
    WriteForeignMainTable(dir.File("Basis_HbA1c.sqlite"), 2);

    ScriptedPrompter prompter;
    UserStore users(dir.Path(), prompter);
    ASSERT_TRUE(users.Reload());
    EXPECT_EQ(users.Settings().name, "김민수");
    EXPECT_EQ(users.Settings().hospital, "서울병원");
    ResultList list = LoadResultList(users.HbA1cMain(), users.Settings(), false);
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.cells[0][5], "환자");
    EXPECT_EQ(list.rows[0].patientName, "김민수");
    EXPECT_EQ(list.rows[0].memo, "당뇨 추적");
    EXPECT_EQ(list.rows[0].patientId, kPidCp949) << "kept as stored, to find the row by";
    EXPECT_NE(ComposeCsv(ResultKind::HbA1c, list.cells).find("," + kPidCp949 + ","),
              std::string::npos)
        << "exported in code page 949 as it was";

    // Saving the settings and the record back keeps every character.
    users.Settings().email = "a@b";
    ASSERT_TRUE(users.SaveSettings());
    EXPECT_EQ(users.Settings().name, "김민수");
    EXPECT_EQ(users.Settings().hospital, "서울병원");
    RecordEdit edit;
    edit.patientName = list.rows[0].patientName;
    edit.patientId = DecodeStoredText(list.rows[0].patientId);
    edit.memo = list.rows[0].memo + " 완료";
    edit.diagnosis = 1;
    ASSERT_TRUE(ModifyRecord(users.HbA1cMain(), list.rows[0], edit, list.rows[0].rowId));
    list = LoadResultList(users.HbA1cMain(), users.Settings(), false);
    bool found = false;
    for (const ListRow& row : list.rows) {
        if (row.memo == "당뇨 추적 완료") {
            found = true;
            EXPECT_EQ(row.patientName, "김민수");
            EXPECT_EQ(DecodeStoredText(row.patientId), "환자");
        }
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(ReadFile(dir.File("Basis_set_info.ini")).find("\xEF\xBF\xBD"), std::string::npos);
}
