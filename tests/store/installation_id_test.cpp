#include "status_text.h"
#include "store/backup.h"
#include "store/installation_id.h"
#include "store/name_uuid.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace qa;
using namespace qa::test;

TEST(NameUuid, KnownAnswersOfVersion5) {
    // RFC 9562, appendix A.4: the DNS namespace and "www.example.com".
    EXPECT_EQ(UuidText(NameUuid(kDnsNamespaceUuid, "").Of("www.example.com")),
              "2ed6657d-e927-568b-95e1-2665a8aea6a2");
    // The prefix hashed once and the key after it are one name.
    EXPECT_EQ(UuidText(NameUuid(kDnsNamespaceUuid, "www.").Of("example.com")),
              "2ed6657d-e927-568b-95e1-2665a8aea6a2");
    // A name longer than a SHA-1 block (the key crosses the block boundary).
    const std::string longName(100, 'x');
    EXPECT_EQ(UuidText(NameUuid(kDnsNamespaceUuid, longName.substr(0, 60)).Of(longName.substr(60))),
              UuidText(NameUuid(kDnsNamespaceUuid, "").Of(longName)));
    std::string urn;
    NameUuid(kDnsNamespaceUuid, "").AppendUrn(urn, "www.example.com");
    EXPECT_EQ(urn, "urn:uuid:2ed6657d-e927-568b-95e1-2665a8aea6a2");
}

TEST(NameUuid, TextFormsParseOnlyWhenWhole) {
    const std::optional<Uuid> dns = ParseUuid("6BA7B810-9dad-11d1-80b4-00c04fd430c8");
    ASSERT_TRUE(dns.has_value());
    EXPECT_EQ(*dns, kDnsNamespaceUuid);
    EXPECT_EQ(UuidText(*dns), "6ba7b810-9dad-11d1-80b4-00c04fd430c8");
    for (const char* bad :
         {"", "6ba7b810-9dad-11d1-80b4-00c04fd430c", "6ba7b810-9dad-11d1-80b4-00c04fd430c8 ",
          "6ba7b8109dad-11d1-80b4-00c04fd430c8-", "6ba7b810-9dad-11d1-80b4-00c04fd430g8",
          "{6ba7b810-9dad-11d1-80b4-00c04fd430c}"}) {
        EXPECT_FALSE(ParseUuid(bad).has_value()) << bad;
    }
}

TEST(NameUuid, RandomOnesCarryVersion4AndDiffer) {
    std::set<Uuid> seen;
    for (int i = 0; i < 64; ++i) {
        const std::optional<Uuid> uuid = RandomUuid();
        ASSERT_TRUE(uuid.has_value());
        EXPECT_EQ((*uuid)[6] >> 4, 4);
        EXPECT_EQ((*uuid)[8] >> 6, 2);
        seen.insert(*uuid);
    }
    EXPECT_EQ(seen.size(), 64u);
}

TEST(InstallationId, MadeOnceOwnerOnlyAndKeptAfterwards) {
    TempDir dir;
    const Expected<std::optional<Uuid>> none = ReadInstallationUuid(dir.Path());
    ASSERT_TRUE(none && !none->has_value())
        << "a folder without one is not an error when only reading";
    Expected<Uuid> made = InstallationUuid(dir.Path());
    ASSERT_TRUE(made) << test::Why(made);
    const Uuid first = *made;
    EXPECT_EQ(first[6] >> 4, 4);
    struct stat st {};
    ASSERT_EQ(::stat(dir.File(kInstallationIdFileName).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFile(dir.File(kInstallationIdFileName)), UuidText(first) + "\n");
    Expected<Uuid> again = InstallationUuid(dir.Path());
    ASSERT_TRUE(again) << test::Why(again);
    EXPECT_EQ(*again, first);

    TempDir other;
    again = InstallationUuid(other.Path());
    ASSERT_TRUE(again) << test::Why(again);
    EXPECT_NE(*again, first) << "two installations, two namespaces";
}

// Processes starting at once all end with the one UUID that landed first.
TEST(InstallationId, RacingMakersAgreeOnOne) {
    TempDir dir;
    std::vector<Uuid> got(8);
    std::vector<std::thread> threads;
    for (Uuid& uuid : got) {
        threads.emplace_back([&dir, &uuid] {
            const Expected<Uuid> made = InstallationUuid(dir.Path());
            EXPECT_TRUE(made) << test::Why(made);
            if (made) {
                uuid = *made;
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(std::set<Uuid>(got.begin(), got.end()).size(), 1u);
    EXPECT_EQ(ReadFile(dir.File(kInstallationIdFileName)), UuidText(got[0]) + "\n");
}

TEST(InstallationId, DamagedOrUnreachableFilesAreReportedNeverReplaced) {
    TempDir dir;
    WriteFile(dir.File(kInstallationIdFileName), "not a uuid\n");
    std::string error = test::Why(InstallationUuid(dir.Path()));
    EXPECT_NE(error.find(kInstallationIdFileName), std::string::npos) << error;
    EXPECT_EQ(ReadFile(dir.File(kInstallationIdFileName)), "not a uuid\n");

    // Written by hand on another system: upper case and CRLF are still the same UUID.
    WriteFile(dir.File(kInstallationIdFileName), "6BA7B810-9DAD-11D1-80B4-00C04FD430C8\r\n");
    const Expected<Uuid> uuid = InstallationUuid(dir.Path());
    ASSERT_TRUE(uuid) << test::Why(uuid);
    EXPECT_EQ(*uuid, kDnsNamespaceUuid);

    if (::geteuid() != 0) { // root writes anywhere
        TempDir locked;
        ASSERT_EQ(::chmod(locked.Path().c_str(), 0500), 0);
        error = test::Why(InstallationUuid(locked.Path()));
        EXPECT_NE(error.find(kInstallationIdFileName), std::string::npos) << error;
        ASSERT_EQ(::chmod(locked.Path().c_str(), 0700), 0);
    }
    EXPECT_FALSE(test::Why(InstallationUuid(dir.File("missing"))).empty());
}

// A restored folder names its results as the folder it was taken from did.
TEST(InstallationId, TravelsWithBackupAndRestore) {
    TempDir dir;
    const std::string data = dir.File("OrvoA1c");
    ASSERT_EQ(::mkdir(data.c_str(), 0700), 0);
    const Expected<Uuid> before = InstallationUuid(data);
    ASSERT_TRUE(before) << test::Why(before);
    ASSERT_EQ(test::Why(WriteBackup(data, dir.File("b.tar"), "1.09")), "");
    const std::string target = dir.File("elsewhere");
    Expected<RestoredFolder> restored = RestoreBackup(dir.File("b.tar"), target, "x");
    ASSERT_TRUE(restored.ok()) << test::Why(restored);
    const Expected<std::optional<Uuid>> after = ReadInstallationUuid(target);
    ASSERT_TRUE(after && after->has_value()) << test::Why(after);
    EXPECT_EQ(**after, *before);
}

// An archive from before the file existed: the folder it replaces keeps its namespace, so
// results already sent keep their names. An archive with its own brings that one.
TEST(InstallationId, ARestoreOfAnOlderArchiveKeepsTheFoldersOwn) {
    TempDir dir;
    const std::string data = dir.File("OrvoA1c");
    ASSERT_EQ(::mkdir(data.c_str(), 0700), 0);
    WriteFile(data + "/user_info.ini", "[Count]\ncnt=1\n");
    ASSERT_EQ(test::Why(WriteBackup(data, dir.File("old.tar"), "1.09")), "");
    const Expected<Uuid> own = InstallationUuid(data);
    ASSERT_TRUE(own) << test::Why(own);
    ASSERT_EQ(test::Why(WriteBackup(data, dir.File("new.tar"), "1.09")), "");

    Expected<RestoredFolder> result = RestoreBackup(dir.File("old.tar"), data, "1");
    ASSERT_TRUE(result.ok()) << test::Why(result);
    Expected<std::optional<Uuid>> restored = ReadInstallationUuid(data);
    ASSERT_TRUE(restored && restored->has_value()) << test::Why(restored);
    EXPECT_EQ(**restored, *own);
    struct stat st {};
    ASSERT_EQ(::stat((data + "/" + kInstallationIdFileName).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Over a folder with another namespace, the archive's own wins.
    WriteFile(data + "/" + kInstallationIdFileName, UuidText(kDnsNamespaceUuid) + "\n");
    result = RestoreBackup(dir.File("new.tar"), data, "2");
    ASSERT_TRUE(result.ok()) << test::Why(result);
    restored = ReadInstallationUuid(data);
    ASSERT_TRUE(restored && restored->has_value()) << test::Why(restored);
    EXPECT_EQ(**restored, *own);

    // A damaged file in the folder replaced does not stop the restore.
    WriteFile(data + "/" + kInstallationIdFileName, "damaged\n");
    result = RestoreBackup(dir.File("old.tar"), data, "3");
    ASSERT_TRUE(result.ok()) << test::Why(result);
    restored = ReadInstallationUuid(data);
    EXPECT_TRUE(restored && !restored->has_value()) << "the restored folder simply has none yet";
}
