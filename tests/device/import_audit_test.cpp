// An import and its audit entry take effect together: kills at points spread over the whole
// import, and an audit log that cannot be written.

#include "device/importer.h"
#include "store/audit_log.h"

#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace qa;
using qa::test::TempDir;

namespace {

class QuietHost : public ImportHost {
public:
    void SetProgressText(const Message&) override {}
};

// Kills its own process at the n-th progress text: the texts come one per checked byte and
// one per stored record, so the points cover the check, the storing and the commit.
class KillAtText : public ImportHost {
public:
    explicit KillAtText(long at) : at_(at) {}
    void SetProgressText(const Message&) override {
        if (++texts_ == at_) {
            raise(SIGKILL);
        }
    }

private:
    long at_;
    long texts_ = 0;
};

std::string Payload(int first, int count) {
    std::string payload;
    for (int i = first; i < first + count; ++i) {
        char record[64];
        std::snprintf(record, sizeof record, "16%02d%02d%02d%02d0650PATIENT%07d\r\n",
                      i / 1440 % 12 + 1, i / 60 % 24 + 1, i / 60 % 24, i % 60, i);
        payload += record;
    }
    return payload;
}

long MainRows(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    long rows = -1;
    if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM HospitalTlb", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW) {
        rows = sqlite3_column_int64(s, 0);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

std::vector<AuditEntry> Imports(const std::string& folder) {
    std::vector<AuditEntry> imports;
    const Expected<std::vector<AuditEntry>> entries = ReadAudit(folder, {});
    EXPECT_TRUE(entries.ok());
    for (const auto& e : entries.ok() ? *entries : std::vector<AuditEntry>{}) {
        if (e.action == audit_action::kImport) {
            imports.push_back(e);
        }
    }
    return imports;
}

struct Files {
    explicit Files(const TempDir& dir)
        : main(dir.File("Kim_HbA1c.sqlite")), download(dir.File("Kim_HbA1cDown.sqlite")) {}
    bool Open(HbA1cTable& m, HbA1cTable& d) const {
        return m.SetTableName(kMainTableName) && d.SetTableName(kDownloadTableName) &&
               m.OpenOrCreate(main) && d.OpenOrCreate(download);
    }
    std::string main;
    std::string download;
};

} // namespace

// At every kill point: after the next start settles the log, results were stored exactly when
// one import entry says so, with the number it names; never an entry without its results.
TEST(ImportAudit, KilledAtAnyPointResultsAndEntryComeTogether) {
    constexpr int kOld = 20, kNew = 60, kSize = 30;
    const std::string oldPayload = Payload(0, kOld);
    const std::string fullPayload = Payload(0, kOld + kNew);
    // Texts of the whole import: a byte each for the check, a record each for the storing.
    const long texts = static_cast<long>(fullPayload.size()) + kOld + kNew;
    constexpr int kRuns = 36;
    int stored = 0, notStored = 0;
    for (int run = 0; run < kRuns; ++run) {
        TempDir dir;
        Files files(dir);
        QuietHost quiet;
        {
            HbA1cTable main, download;
            ASSERT_TRUE(files.Open(main, download));
            Transfer first{oldPayload, kOld, kSize, true, ResultKind::HbA1c, false, ""};
            ASSERT_TRUE(ImportHbA1cResults(first, main, download, {dir.Path(), quiet}).ok());
        }
        // A third of the points over the check, the rest over the storing, and one past the
        // last text (the commit and the copy into the log come after it).
        const long checkTexts = static_cast<long>(fullPayload.size());
        const long at = run == kRuns - 1  ? texts + 1
                        : run < kRuns / 3 ? 1 + checkTexts * run / (kRuns / 3)
                                          : checkTexts + 1 +
                                                (texts - checkTexts) * (run - kRuns / 3) /
                                                    (kRuns - 1 - kRuns / 3);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            HbA1cTable main, download;
            if (!files.Open(main, download)) {
                _exit(3);
            }
            KillAtText killer(at);
            Transfer full{fullPayload, kOld + kNew, kSize, true, ResultKind::HbA1c, false, ""};
            (void)ImportHbA1cResults(full, main, download, {dir.Path(), killer});
            raise(SIGKILL); // before anything else could add an entry
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;

        (void)ReconcileAudit(dir.Path()); // the next start
        const long rows = MainRows(files.main);
        const auto imports = Imports(dir.Path());
        ASSERT_EQ(imports.size(), rows == kOld + kNew ? 2u : 1u) << "kill at text " << at;
        EXPECT_TRUE(rows == kOld || rows == kOld + kNew) << rows;
        if (rows == kOld + kNew) {
            EXPECT_NE(imports.back().detail.find(std::to_string(kNew) + " new"), std::string::npos)
                << imports.back().detail;
            // Staged with the import, the entry keeps its message: it reads translated.
            EXPECT_EQ(imports.back().message.id, MessageId::AuditHbA1cImported);
            ++stored;
        } else {
            ++notStored;
        }
        (void)ReconcileAudit(dir.Path());
        EXPECT_EQ(Imports(dir.Path()).size(), imports.size()) << "settled once";
    }
    std::printf("import kills: %d runs, %d stored with their entry, %d neither\n", kRuns, stored,
                notStored);
    EXPECT_GT(stored, 0);
    EXPECT_GT(notStored, 0);
}

// An audit log that cannot be written refuses the import before anything is stored.
TEST(ImportAudit, AnUnwritableLogRefusesTheImport) {
    TempDir dir;
    Files files(dir);
    QuietHost quiet;
    HbA1cTable main, download;
    ASSERT_TRUE(files.Open(main, download));
    std::filesystem::create_directory(dir.File(kAuditFileName));
    Transfer transfer{Payload(0, 5), 5, 30, true, ResultKind::HbA1c, false, ""};
    Expected<ImportSummary> result =
        ImportHbA1cResults(transfer, main, download, {dir.Path(), quiet});
    ASSERT_FALSE(result.ok());
    ASSERT_FALSE(result.error().args.empty());
    EXPECT_NE(result.error().args[0].find(dir.File(kAuditFileName)), std::string::npos);
    EXPECT_EQ(MainRows(files.main), 0);
}
