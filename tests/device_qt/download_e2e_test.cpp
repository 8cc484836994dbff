// Whole downloads: the simulated meter on a pseudo-terminal, the real serial channel, the
// session, the importer and the user's SQLite files, with time running ten times faster.
#include "device/qt/headless_download.h"
#include "i18n/message_catalogue.h"
#include "qt_wait.h"
#include "scaled_time.h"
#include "scripted_prompter.h"
#include "sim_process.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <sys/resource.h>

using namespace qa;
using namespace qa::test;

namespace {

constexpr int kSpeed = 10;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class DownloadE2E : public ::testing::Test {
protected:
    TempDir data;
    ScriptedPrompter prompter;
    UserStore users{data.Path(), prompter};
    ScaledClock clock{kSpeed};
    std::vector<std::string> progress;
    std::unique_ptr<HeadlessDownload> download;
    std::unique_ptr<QtSessionTimers> qtTimers;
    std::unique_ptr<ScaledTimers> timers;

    void SetUp() override {
        ASSERT_TRUE(users.Reload());
        qtTimers = std::make_unique<QtSessionTimers>([this](int id) { download->Tick(id); });
        timers = std::make_unique<ScaledTimers>(*qtTimers, kSpeed);
        download = std::make_unique<HeadlessDownload>(
            users, clock, prompter, [this](const Message& t) { progress.push_back(SourceText(t)); },
            timers.get());
    }

    HeadlessDownload::Result Run(SimProcess& sim, ResultKind kind, bool erase = false) {
        return download->Run(sim.linkPath(), sim.linkPath(), kind, erase, 20'000);
    }

    static int Rows(MeasurementTable& table) {
        table.filter.Clear();
        EXPECT_TRUE(table.Requery());
        return table.RowCount();
    }
};

} // namespace

TEST_F(DownloadE2E, EveryRecordLayoutIsStoredOnceAndOnlyOnce) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        ResultKind kind;
        int expected;
    };
    for (const Case& c :
         {Case{"30-byte HbA1c", {"--no-pace", "--hba1c", "12"}, ResultKind::HbA1c, 12},
          Case{"29-byte HbA1c",
               {"--no-pace", "--model", "XY", "--hba1c", "7"},
               ResultKind::HbA1c,
               7},
          Case{"glucose", {"--no-pace", "--glucose", "9"}, ResultKind::Glucose, 9}}) {
        SCOPED_TRACE(c.name);
        SimProcess sim(c.args);
        MeasurementTable& main = c.kind == ResultKind::HbA1c
                                     ? static_cast<MeasurementTable&>(users.HbA1cMain())
                                     : users.GlucoseMain();
        MeasurementTable& down = c.kind == ResultKind::HbA1c
                                     ? static_cast<MeasurementTable&>(users.HbA1cDownload())
                                     : users.GlucoseDownload();
        int before = Rows(main);
        auto first = Run(sim, c.kind);
        ASSERT_EQ(first.outcome, HeadlessDownload::Outcome::Imported) << prompter.Texts().back();
        const int expected = c.expected;
        EXPECT_EQ(first.imported, expected);
        EXPECT_EQ(Rows(main) - before, expected);
        EXPECT_EQ(Rows(down), expected);

        auto second = Run(sim, c.kind);
        EXPECT_EQ(second.outcome, HeadlessDownload::Outcome::Imported);
        EXPECT_EQ(second.imported, 0);
        EXPECT_EQ(Rows(main) - before, expected);
        EXPECT_EQ(Rows(down), 0) << "the download list holds only the newest download";
        EXPECT_EQ(progress.back(), "새로운 데이터가 없습니다.");
    }
}

TEST_F(DownloadE2E, ErasedMeterReportsNoData) {
    SimProcess sim({"--no-pace", "--hba1c", "3"});
    auto first = Run(sim, ResultKind::HbA1c, true);
    ASSERT_EQ(first.outcome, HeadlessDownload::Outcome::Imported);
    EXPECT_EQ(first.imported, 3);
    auto second = Run(sim, ResultKind::HbA1c);
    EXPECT_EQ(second.outcome, HeadlessDownload::Outcome::NoData);
    EXPECT_EQ(prompter.shown.back().text, "데이터가 없습니다.");
}

TEST_F(DownloadE2E, StalledTransferEndsWithItsMessageAndStoresNothing) {
    SimProcess sim({"--no-pace", "--hba1c", "40", "--stall-after", "300"});
    double cpuBefore = CpuSeconds();
    auto result = Run(sim, ResultKind::HbA1c);
    EXPECT_EQ(result.outcome, HeadlessDownload::Outcome::Failed);
    EXPECT_EQ(prompter.shown.back().text, "오르보에이원씨로부터 데이터가 전송이 되지 않고 "
                                          "있습니다.\r\n오르보에이원씨와의 연결 포트를 "
                                          "다시 확인해 주세요.");
    EXPECT_EQ(Rows(users.HbA1cMain()), 0);
    EXPECT_LT(CpuSeconds() - cpuBefore, 2.0) << "waiting must not spin";
}

TEST_F(DownloadE2E, UnpluggedMeterEndsTheDownloadWithoutSpinning) {
    auto sim = std::make_unique<SimProcess>(std::vector<std::string>{"--pace", "--hba1c", "300"});
    // The meter goes away while it is sending its records (the request goes out about
    // 0.65 s after the start at this speed; at 960 bytes/s a second later it is mid-reply).
    QTimer::singleShot(1700, [&] { sim.reset(); });
    std::string link = sim->linkPath();
    double cpuBefore = CpuSeconds();
    auto result = download->Run(link, link, ResultKind::HbA1c, false, 20'000);
    EXPECT_EQ(result.outcome, HeadlessDownload::Outcome::Failed);
    // The usual message, then what the port said: the operator learns the meter went away.
    const std::string shown = prompter.shown.back().text;
    EXPECT_EQ(shown.rfind(
                  "오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.\r\n오르보에이원씨와의 "
                  "연결 포트를 다시 확인해 주세요.\r\n\r\nThe connection to the meter was "
                  "lost: it was unplugged or switched off.",
                  0),
              0u)
        << shown;
    EXPECT_EQ(Rows(users.HbA1cMain()), 0) << "nothing half-stored";
    EXPECT_LT(CpuSeconds() - cpuBefore, 2.0) << "a dead port must not make the loop spin";
}

TEST_F(DownloadE2E, MissingPortGivesTheConnectionMessage) {
    auto result = download->Run("ttyQA9", "/dev/ttyQA9", ResultKind::HbA1c, false);
    EXPECT_EQ(result.outcome, HeadlessDownload::Outcome::Failed);
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_EQ(prompter.Texts()[0],
              std::string("통신 포트 연결 실패.\r\n포트 연결을 재 확인해 주세요.") +
                  "\r\n\r\n/dev/ttyQA9: there is no such port; check that the meter is plugged "
                  "in and switched on (error code - 2)");
}

// A port with no meter on it (the simulated meter hears every command and answers none):
// the operator is told within 10 s of the first command, names the port, and nothing said
// "connected" or "transfer starts" before.
TEST_F(DownloadE2E, SilentPortIsToldWithinTenSecondsAndNothingClaimedAConnection) {
    struct StampingPrompter : ScriptedPrompter {
        const Clock* clock = nullptr;
        std::int64_t askedAt = -1;
        bool AskRetry(const Message& text, const Message& caption) override {
            askedAt = clock->NowMs();
            return ScriptedPrompter::AskRetry(text, caption); // unscripted: Cancel
        }
    } asker;
    asker.clock = &clock;
    std::vector<std::pair<std::int64_t, std::string>> said;
    std::unique_ptr<HeadlessDownload> silent;
    QtSessionTimers ticks([&](int id) { silent->Tick(id); });
    ScaledTimers scaled(ticks, kSpeed);
    silent = std::make_unique<HeadlessDownload>(
        users, clock, asker,
        [&](const Message& t) { said.emplace_back(clock.NowMs(), SourceText(t)); }, &scaled);

    SimProcess sim({"--no-pace", "--silent"});
    auto result = silent->Run("ttyQA0", sim.linkPath(), ResultKind::HbA1c, false, 20'000);
    EXPECT_EQ(result.outcome, HeadlessDownload::Outcome::Failed);
    ASSERT_EQ(asker.shown.size(), 2u);
    EXPECT_EQ(asker.shown[0].text, "ttyQA0 포트로 오르보에이원씨의 HbA1c 결과를 받겠습니까?");
    EXPECT_EQ(asker.shown[1].message, Message(MessageId::NoMeterAnswers, {"ttyQA0"}));
    // "Waiting...." goes out with E, the first command.
    ASSERT_FALSE(said.empty());
    ASSERT_EQ(said.front().second, "Waiting....");
    ASSERT_GE(asker.askedAt, 0);
    EXPECT_LE(asker.askedAt - said.front().first, 10'000);
    for (const auto& [at, text] : said) {
        EXPECT_EQ(text.find("연결되었습니다"), std::string::npos) << text;
        EXPECT_NE(text, "데이터 전송이 시작됩니다.");
    }
    EXPECT_EQ(Rows(users.HbA1cMain()), 0);
}
