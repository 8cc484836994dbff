#include "status_text.h"
#include "store/backup.h"
#include "store/sha256.h"
#include "store/users.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <dirent.h>
#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <map>
#include <thread>

using namespace qa;
using namespace qa::test;

namespace {

class SilentPrompter : public Prompter {
public:
    bool Confirm(const Message&, const Message&) override { return true; }
    void Inform(const Message&, const Message&, Severity) override {}
};

std::map<std::string, std::string> FolderContents(const std::string& folder) {
    std::map<std::string, std::string> files;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return files;
    }
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") {
            files[name] = ReadFile(folder + "/" + name);
        }
    }
    ::closedir(dir);
    return files;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& [name, content] : FolderContents(folder)) {
        names.push_back(name);
    }
    return names;
}

// Every row of a table as text, in row order.
std::vector<std::string> Rows(const std::string& path, const std::string& table) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, ("SELECT * FROM [" + table + "] ORDER BY ROWID").c_str(), -1,
                                 &s, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    while (s && sqlite3_step(s) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(s); ++i) {
            const unsigned char* t = sqlite3_column_text(s, i);
            row += std::string(t ? reinterpret_cast<const char*>(t) : "<null>") + "|";
        }
        rows.push_back(row);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

// A data folder made by the real user store, with results in the default user's file.
void MakeDataFolder(const std::string& folder, int results) {
    ::mkdir(folder.c_str(), 0700);
    SilentPrompter prompter;
    UserStore users(folder, prompter);
    ASSERT_TRUE(users.Reload());
    ASSERT_EQ(users.AddUser("김철수"), UserStore::Outcome::Done);
    HbA1cTable& table = users.HbA1cMain();
    for (int i = 0; i < results; ++i) {
        ASSERT_TRUE(table.AddNew());
        table.date = "202601" + std::string(i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1);
        table.time = "1200";
        table.value = std::to_string(500 + i);
        table.pid = "P" + std::to_string(i);
        table.name = "홍길동";
        ASSERT_TRUE(table.Update());
    }
}

// A ustar member as any tar tool writes it, for archives the program would never write:
// `type` '2' is a symbolic link to `link`; `prefix` is the path ustar puts before the name.
std::string TarMember(const std::string& name, const std::string& bytes, char type = '0',
                      const std::string& link = "", const std::string& prefix = "") {
    char h[512] = {};
    std::memcpy(h, name.data(), std::min<std::size_t>(name.size(), 100));
    std::memcpy(h + 157, link.data(), std::min<std::size_t>(link.size(), 100));
    std::memcpy(h + 345, prefix.data(), std::min<std::size_t>(prefix.size(), 155));
    std::snprintf(h + 100, 8, "%07o", 0600);
    std::snprintf(h + 108, 8, "%07o", 0);
    std::snprintf(h + 116, 8, "%07o", 0);
    std::snprintf(h + 124, 12, "%011zo", bytes.size());
    std::snprintf(h + 136, 12, "%011o", 0);
    h[156] = type;
    std::memcpy(h + 257, "ustar", 6);
    std::memcpy(h + 263, "00", 2);
    std::memset(h + 148, ' ', 8);
    unsigned sum = 0;
    for (unsigned char c : h) {
        sum += c;
    }
    std::snprintf(h + 148, 8, "%06o", sum);
    std::string out(h, 512);
    out += bytes;
    out.append((512 - bytes.size() % 512) % 512, '\0');
    return out;
}

std::string Manifest(const std::vector<std::pair<std::string, std::string>>& files, bool database) {
    std::string m = "QuorinA1c backup 1\nversion test\n";
    for (const auto& [name, bytes] : files) {
        m += std::string(database ? "sqlite " : "file ") + Sha256Hex(bytes) + " " +
             std::to_string(bytes.size()) + " " + name + "\n";
    }
    return m;
}

} // namespace

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // A million bytes fed in uneven pieces: the block boundaries fall everywhere.
    Sha256 hash;
    std::string piece(997, 'a');
    std::size_t left = 1'000'000;
    while (left > 0) {
        std::size_t n = std::min(left, piece.size());
        hash.Update(piece.data(), n);
        left -= n;
    }
    EXPECT_EQ(hash.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Backup, RoundTripGivesBackEveryFileAndRow) {
    const ScopedUmask permissive;
    TempDir dir;
    const std::string data = dir.File("OrvoA1c");
    MakeDataFolder(data, 40);
    WriteFile(data + "/QuorinA1c.lock", "123\n");
    WriteFile(data + "/.user_info.ini.tmp-1-1", "half");
    const auto before = FolderContents(data);

    std::string error;
    std::vector<BackupMember> members;
    ASSERT_EQ(test::Why(WriteBackup(data, dir.File("b.tar"), "1.09", &members)), "");
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("b.tar").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    for (const auto& m : members) {
        EXPECT_NE(m.name, "QuorinA1c.lock");
        EXPECT_NE(m.name[0], '.');
    }
    ASSERT_EQ(test::Why(CheckBackup(dir.File("b.tar"))), "");
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"OrvoA1c", "b.tar"}))
        << "the check leaves nothing behind";

    // The operator keeps working after the backup; the restore brings the backup's state.
    MakeDataFolder(dir.File("other"), 1);
    WriteFile(data + "/김철수_set_info.ini", "[x]\nchanged=1\n");
    Expected<RestoredFolder> restored = RestoreBackup(dir.File("b.tar"), data, "20260101T120000");
    ASSERT_TRUE(restored.ok()) << test::Why(restored);
    EXPECT_EQ(restored->asidePath, data + ".before-restore-20260101T120000");
    EXPECT_EQ(FolderContents(restored->asidePath).at("김철수_set_info.ini"), "[x]\nchanged=1\n");

    auto after = FolderContents(data);
    std::vector<std::string> kept;
    for (const auto& [name, content] : before) {
        if (name != "QuorinA1c.lock" && name[0] != '.' && !name.ends_with("-wal") &&
            !name.ends_with("-shm")) {
            kept.push_back(name);
        }
    }
    EXPECT_EQ(Entries(data), kept) << "all but the lock, temporary and write-ahead files";
    for (const auto& [name, content] : after) {
        if (name.ends_with(".sqlite")) {
            EXPECT_EQ(Rows(data + "/" + name, "sqlite_master"),
                      Rows(restored->asidePath + "/" + name, "sqlite_master"));
        } else {
            EXPECT_EQ(content, before.at(name)) << name;
        }
        ASSERT_EQ(::stat((data + "/" + name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
    }
    EXPECT_EQ(Rows(data + "/김철수_HbA1c.sqlite", "HospitalTlb").size(), 40u);
    EXPECT_EQ(Rows(data + "/김철수_HbA1c.sqlite", "HospitalTlb"),
              Rows(restored->asidePath + "/김철수_HbA1c.sqlite", "HospitalTlb"));
}

// A writer commits ten rows per transaction all through the backup: every snapshot holds
// whole transactions only and passes SQLite's own check.
TEST(Backup, WhileAWriterWritesTheSnapshotHoldsWholeTransactions) {
    TempDir dir;
    const std::string data = dir.File("OrvoA1c");
    MakeDataFolder(data, 0);
    const std::string path = data + "/김철수_HbA1c.sqlite";
    std::atomic<bool> stop{false};
    std::atomic<int> committed{0};
    std::thread writer([&] {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
        while (!stop) {
            sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            for (int i = 0; i < 10; ++i) {
                sqlite3_exec(
                    db,
                    "INSERT INTO HospitalTlb(DATE, TIME, HbA1c_VALUE, PID) VALUES('20260101', "
                    "'1200', '0650', 'W')",
                    nullptr, nullptr, nullptr);
            }
            if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
                ++committed;
            }
        }
        sqlite3_close(db);
    });
    std::vector<std::size_t> counts;
    for (int round = 0; round < 3; ++round) {
        while (committed < (round + 1) * 3) {
            std::this_thread::yield();
        }
        std::string archive = dir.File("b" + std::to_string(round) + ".tar");
        std::string error;
        ASSERT_EQ(test::Why(WriteBackup(data, archive, "1.09")), "");
        std::string target = dir.File("r" + std::to_string(round));
        Expected<RestoredFolder> r = RestoreBackup(archive, target, "x");
        ASSERT_TRUE(r.ok()) << test::Why(r);
        counts.push_back(Rows(target + "/김철수_HbA1c.sqlite", "HospitalTlb").size());
    }
    stop = true;
    writer.join();
    for (std::size_t n : counts) {
        EXPECT_EQ(n % 10, 0u) << "half a transaction in the snapshot";
        EXPECT_GT(n, 0u);
    }
}

TEST(Backup, DamagedOrHostileArchivesAreRefusedAndNothingIsReplaced) {
    TempDir dir;
    const std::string data = dir.File("OrvoA1c");
    MakeDataFolder(data, 5);
    std::string error;
    ASSERT_EQ(test::Why(WriteBackup(data, dir.File("good.tar"), "1.09")), "");
    const std::string good = ReadFile(dir.File("good.tar"));
    const auto before = FolderContents(data);

    std::string flipped = good;
    flipped[512 + 10] ^= 0x20; // inside the first member's content
    std::string databaseFile = ReadFile(data + "/김철수_HbA1c.sqlite");
    std::string damagedDb = databaseFile;
    std::memset(damagedDb.data() + 4096, 0x5a, 200); // a page of the table, checksummed again
    std::string hostileName = TarMember("../escaped", "x") +
                              TarMember("MANIFEST", Manifest({{"x", "x"}}, false)) +
                              std::string(1024, '\0');
    std::map<std::string, std::string> archives = {
        {"flipped byte", flipped},
        {"cut short", good.substr(0, good.size() / 2)},
        {"no manifest", TarMember("user_info.ini", "[a]\n") + std::string(1024, '\0')},
        {"unlisted member", TarMember("extra.ini", "x") + good},
        {"path in a name", hostileName},
        {"damaged database",
         TarMember("u_HbA1c.sqlite", damagedDb) +
             TarMember("MANIFEST", Manifest({{"u_HbA1c.sqlite", damagedDb}}, true)) +
             std::string(1024, '\0')},
        {"not an archive", "hello\n"},
        {"empty", ""},
    };
    for (const auto& [what, bytes] : archives) {
        WriteFile(dir.File("bad.tar"), bytes);
        Expected<RestoredFolder> r = RestoreBackup(dir.File("bad.tar"), data, "x");
        EXPECT_FALSE(r.ok()) << what;
        EXPECT_FALSE(test::Why(r).empty()) << what;
        error = test::Why(CheckBackup(dir.File("bad.tar")));
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_TRUE(FolderContents(data) == before) << what;
        EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"OrvoA1c", "bad.tar", "good.tar"}))
            << what << ": nothing left beside the data folder";
        EXPECT_FALSE(FileExists(dir.File("escaped"))) << what;
    }
    EXPECT_TRUE(RestoreBackup(dir.File("good.tar"), data, "x").ok()) << "the good one still works";
}

// One archive per guard of the restore, each refused by that guard alone: without it the
// archive would restore (a hidden file, a file from a path, a link made a file, a changed
// file) or be refused for another reason than the one the operator is told.
TEST(Backup, EachGuardOfTheRestoreRefusesItsOwnCase) {
    TempDir dir;
    const std::string data = dir.File("OrvoA1c");
    MakeDataFolder(data, 1);
    const auto before = FolderContents(data);
    // A member with the manifest that lists exactly it, as a whole archive.
    auto listed = [](const std::string& member,
                     const std::vector<std::pair<std::string, std::string>>& files) {
        return member + TarMember("MANIFEST", Manifest(files, false)) + std::string(1024, '\0');
    };
    struct Case {
        const char* what;
        std::string archive;
        const char* refusal;
    };
    const std::vector<Case> cases = {
        {"a folder in a name", listed(TarMember("sub/x", "x"), {{"x", "x"}}),
         "a member name cannot be restored: sub/x"},
        {"an absolute name", listed(TarMember("/tmp/x", "x"), {{"x", "x"}}),
         "a member name cannot be restored: /tmp/x"},
        {"a hidden file", listed(TarMember(".profile", "x"), {{".profile", "x"}}),
         "a member name cannot be restored: .profile"},
        {"a path in the ustar prefix", listed(TarMember("x", "x", '0', "", "/etc"), {{"x", "x"}}),
         "a member has a path, not a plain file name"},
        {"a symbolic link", listed(TarMember("link", "", '2', "/etc/passwd"), {{"link", ""}}),
         "a member is not a plain file"},
        {"a manifest naming a path", listed(TarMember("x", "x"), {{"x", "x"}, {"../x", "x"}}),
         "the manifest names a file that cannot be restored: ../x"},
        {"a changed file of the same size",
         TarMember("user_info.ini", "[b]\n") +
             TarMember("MANIFEST", Manifest({{"user_info.ini", "[a]\n"}}, false)) +
             std::string(1024, '\0'),
         "the checksum of user_info.ini does not match"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(dir.File("bad.tar"), c.archive);
        Expected<RestoredFolder> r = RestoreBackup(dir.File("bad.tar"), data, "x");
        EXPECT_FALSE(r.ok());
        EXPECT_NE(test::Why(r).find(c.refusal), std::string::npos) << test::Why(r);
        std::string error;
        error = test::Why(CheckBackup(dir.File("bad.tar")));
        EXPECT_FALSE(error.empty());
        EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
        EXPECT_TRUE(FolderContents(data) == before);
        EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"OrvoA1c", "bad.tar"}))
            << "nothing left beside the data folder";
    }
}

TEST(Backup, TargetsInsideTheDataFolderOrNotRegularFilesAreRefused) {
    TempDir dir;
    const std::string data = dir.File("OrvoA1c");
    MakeDataFolder(data, 1);
    std::string error;
    error = test::Why(WriteBackup(data, data + "/b.tar", "1.09"));
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find("inside the data folder"), std::string::npos) << error;
    ::mkdir(dir.File("folder").c_str(), 0700);
    error = test::Why(WriteBackup(data, dir.File("folder"), "1.09"));
    EXPECT_FALSE(error.empty());
    error = test::Why(WriteBackup(data, "/dev/null", "1.09"));
    EXPECT_FALSE(error.empty());
    error = test::Why(WriteBackup(data, dir.File("missing/b.tar"), "1.09"));
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find(dir.File("missing")), std::string::npos) << error;
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"OrvoA1c", "folder"}));
}
