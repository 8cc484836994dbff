#include "device/download_session.h"
#include "i18n/message_catalogue.h"
#include "manual_timers.h"
#include "scripted_prompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace qa;
using namespace qa::test;

namespace {

class RecordingHost : public SessionHost {
public:
    void SetProgressText(const Message& text) override {
        texts.push_back(SourceText(text));
        visible = true;
    }
    void HideProgress() override { visible = false; }
    void StartImport(const Transfer& transfer) override { imports.push_back(transfer); }
    void ShowNewRecords(int count) override { shownNew.push_back(count); }
    void TransferProgress(int received, int announced) override {
        progress.emplace_back(received, announced);
    }
    void SessionRunning(bool on) override { running.push_back(on); }
    void ImportEnded(const Expected<ImportSummary>& outcome) override {
        ended.push_back(outcome.ok() ? "stored " + std::to_string(outcome->stored)
                                     : SourceText(outcome.error()));
    }
    void StateChanged(SessionState from, SessionState to) override { moves.emplace_back(from, to); }

    std::vector<std::string> texts;
    std::vector<Transfer> imports;
    std::vector<int> shownNew;
    bool visible = false;
    std::vector<std::pair<int, int>> progress;
    std::vector<bool> running;
    std::vector<std::string> ended;
    std::vector<std::pair<SessionState, SessionState>> moves;
};

class SessionTest : public ::testing::Test {
protected:
    FakeClock clock;
    ManualTimers timers{clock};
    FakeChannel channel;
    ScriptedPrompter prompter;
    RecordingHost host;
    DownloadSession session{channel, timers, clock, prompter, host};

    void SetUp() override {
        timers.onTick = [this](int id) {
            session.OnTimer(id);
            EXPECT_EQ(session.BrokenInvariant(), "") << "after a tick of timer " << id;
        };
    }

    // Connects, confirms and runs the mode sequence up to the version request.
    void RunUpToVersion(ResultKind kind) {
        ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", kind, false));
        timers.Advance(800 + 300 + 5 * 1000);
        ASSERT_EQ(channel.Letters(), "EHV");
        ASSERT_EQ(session.Exchange(), ExchangeKind::Version);
    }
    void Receive(const std::string& bytes) {
        for (char b : bytes) {
            session.OnByte(session.CurrentReplyCode(), b);
            ASSERT_EQ(session.BrokenInvariant(), "")
                << "after byte " << session.ReceivedText().size();
        }
    }
    static std::string Records(int count, int size) {
        std::string records;
        for (int i = 0; i < count; ++i) {
            std::string record(static_cast<std::size_t>(size), '1');
            record[static_cast<std::size_t>(size - 2)] = '\r';
            record[static_cast<std::size_t>(size - 1)] = '\n';
            records += record;
        }
        return records;
    }
};

} // namespace

TEST_F(SessionTest, ConfirmedDownloadSendsTheCommandsAtTheirTimes) {
    ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::HbA1c, false));
    EXPECT_TRUE(prompter.shown.empty()) << "the question waits for the port to settle";
    timers.Advance(799);
    EXPECT_TRUE(prompter.shown.empty());
    timers.Advance(1);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "ttyACM0 포트로 오르보에이원씨의 HbA1c 결과를 받겠습니까?")
        << "nothing has answered yet: the question does not call the port connected";
    EXPECT_EQ(session.RecordSize(), 29);
    ASSERT_EQ(channel.written.size(), 1u);
    EXPECT_EQ(channel.written[0], std::string("S E\n\r", 5));

    timers.Advance(2299);
    EXPECT_EQ(channel.Letters(), "E");
    timers.Advance(1);
    EXPECT_EQ(channel.Letters(), "EH") << "mode change 2.3 s after E";
    EXPECT_EQ(session.DownloadMarker(), 1);
    timers.Advance(2999);
    EXPECT_EQ(channel.Letters(), "EH");
    timers.Advance(1);
    EXPECT_EQ(channel.Letters(), "EHV") << "version request 3 s after the mode change";
    EXPECT_EQ(session.DownloadMarker(), -1);
    EXPECT_FALSE(timers.Running(kModeTimerId));
    EXPECT_TRUE(timers.Running(kWatchTimerId));
    EXPECT_EQ(host.texts, (std::vector<std::string>{"Waiting....", "Waiting....", "모드 변경 명령.",
                                                    "모드 변경", "모드 변경 완료.", "명령 전달."}));
}

TEST_F(SessionTest, NoOnTheQuestionLeavesThePortOpenAndSendsNothing) {
    prompter.answers = {false};
    ASSERT_TRUE(session.Connect("ttyUSB0", "/dev/ttyUSB0", ResultKind::Glucose, false));
    timers.Advance(10'000);
    EXPECT_EQ(prompter.shown.at(0).text, "ttyUSB0 포트로 오르보에이원씨의 혈당 결과를 받겠습니까?");
    EXPECT_TRUE(channel.open);
    EXPECT_TRUE(channel.written.empty());
}

TEST_F(SessionTest, PortThatCannotBeOpenedSaysSoWithTheReasonInOneBox) {
    channel.failOpen = true;
    EXPECT_FALSE(session.Connect("ttyUSB9", "/dev/ttyUSB9", ResultKind::HbA1c, false));
    EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{
                                    "통신 포트 연결 실패.\r\n포트 연결을 재 확인해 주세요.\r\n\r\n"
                                    "error code - 2"}));
    EXPECT_FALSE(session.Connect("", "", ResultKind::HbA1c, false)) << "no port at all";
    EXPECT_EQ(prompter.Texts().back(), "통신 포트 연결 실패.\r\n포트 연결을 재 확인해 주세요.");
    timers.Advance(60'000);
    EXPECT_TRUE(channel.written.empty());
}

TEST_F(SessionTest, VersionReplyChoosesTheRecordSize) {
    struct Case {
        ResultKind kind;
        std::string model;
        int size;
        bool fourDigit;
        char request;
        std::string named = model; // what the laboratory messages call the meter
    };
    for (const Case& c : {Case{ResultKind::HbA1c, "EG", 30, true, 'H'},
                          Case{ResultKind::HbA1c, "CG", 30, true, 'H'},
                          Case{ResultKind::HbA1c, "XX", 29, false, 'H'},
                          Case{ResultKind::Glucose, "EG", 15, true, 'G'},
                          Case{ResultKind::Glucose, "AB", 15, false, 'G'},
                          Case{ResultKind::HbA1c, "|\x01", 29, false, 'H', ""}}) {
        SCOPED_TRACE(c.model);
        channel.written.clear();
        RunUpToVersion(c.kind);
        Receive("SV1.09" + c.model + "\r");
        EXPECT_EQ(channel.Letters(), "EHV") << "nine bytes are not a reply yet";
        Receive("\n");
        EXPECT_EQ(session.RecordSize(), c.size);
        EXPECT_EQ(session.FourDigit(), c.fourDigit);
        EXPECT_EQ(session.MeterModel(), c.named);
        EXPECT_EQ(channel.Letters(), std::string("EHV") + c.request) << "request follows at once";
        EXPECT_TRUE(session.ReceivedText().empty());
    }
}

TEST_F(SessionTest, MeterWithoutVersionReplyIsAskedForRecordsOneTickLaterAndStillDownloads) {
    RunUpToVersion(ResultKind::HbA1c);
    timers.Advance(999);
    EXPECT_EQ(channel.Letters(), "EHV");
    timers.Advance(1);
    EXPECT_EQ(channel.Letters(), "EHVH");
    EXPECT_EQ(session.RecordSize(), 29) << "the size set at confirmation";
    EXPECT_EQ(session.Exchange(), ExchangeKind::HbA1c);
    EXPECT_EQ(session.State(), SessionState::AwaitAnswer);
    EXPECT_EQ(host.texts.back(), "오르보에이원씨의 응답을 기다리는 중.")
        << "no transfer is said to start before the meter answers";
    timers.Advance(1000); // one silent tick is not yet "no meter"
    const std::string reply = "SH002\r\n" + Records(2, 29);
    Receive(reply.substr(0, 1));
    EXPECT_EQ(session.State(), SessionState::AwaitRecords);
    const std::vector<std::string> answered(host.texts.end() - 3, host.texts.end());
    EXPECT_EQ(answered, (std::vector<std::string>{"ttyACM0 이 연결되었습니다.",
                                                  "데이터 전송이 시작됩니다.", "받는 중 ..*."}));
    Receive(reply.substr(1));
    timers.Advance(50);
    ASSERT_EQ(host.imports.size(), 1u);
    EXPECT_EQ(host.imports[0].recordCount, 2);
    EXPECT_EQ(host.imports[0].recordSize, 29);
    EXPECT_EQ(prompter.shown.size(), 1u) << "only the question";
}

// A port with nothing on it: the operator hears so at the second watch tick after the
// records request, 8.3 s after E, and nothing before it claimed a connection.
TEST_F(SessionTest, SilentPortIsToldWithinTenSecondsAndOffersRetryAndCancel) {
    const std::vector<std::string> successTexts = {"데이터 전송이 시작됩니다.",
                                                   "ttyS0 이 연결되었습니다."};
    for (bool retry : {false, true}) {
        SCOPED_TRACE(retry ? "retry" : "cancel");
        channel.written.clear();
        prompter.shown.clear();
        host.texts.clear();
        prompter.answers = {true, retry};
        ASSERT_TRUE(session.Connect("ttyS0", "/dev/ttyS0", ResultKind::HbA1c, false));
        timers.Advance(800);
        ASSERT_EQ(channel.Letters(), "E");
        const std::int64_t firstCommand = clock.NowMs();
        while (!prompter.retryAsked && clock.NowMs() - firstCommand < 60'000) {
            timers.Advance(100);
        }
        prompter.retryAsked = false;
        EXPECT_LE(clock.NowMs() - firstCommand, 10'000) << "told within 10 s of E";
        EXPECT_EQ(clock.NowMs() - firstCommand, 8'300);
        ASSERT_EQ(prompter.shown.size(), 2u);
        EXPECT_EQ(prompter.shown[1].text,
                  "ttyS0 포트에서 응답하는 오르보에이원씨가 없습니다.\r\n오르보에이원씨가 켜져 "
                  "있고 이 포트에 연결되어 있는지 확인한 뒤 다시 시도를 누르십시오.");
        EXPECT_EQ(prompter.shown[1].caption, "오르보에이원씨");
        for (const std::string& text : successTexts) {
            EXPECT_EQ(std::count(host.texts.begin(), host.texts.end(), text), 0) << text;
        }
        EXPECT_EQ(prompter.shown[0].text.find("연결되었습니다"), std::string::npos);
        EXPECT_FALSE(host.visible) << "the progress window does not go on waiting";
        EXPECT_EQ(channel.Letters(), "EHVH");
        if (!retry) {
            EXPECT_EQ(session.State(), SessionState::Closed);
            EXPECT_FALSE(channel.open);
            EXPECT_FALSE(timers.Running(kWatchTimerId));
            timers.Advance(60'000);
            EXPECT_EQ(channel.Letters(), "EHVH") << "nothing more after Cancel";
            EXPECT_EQ(prompter.shown.size(), 2u) << "and no time-out message later";
            continue;
        }
        // Retry: the same port again after its settling pause, without asking again.
        EXPECT_EQ(session.State(), SessionState::Settling);
        EXPECT_TRUE(channel.open);
        EXPECT_EQ(channel.opened.back(), "/dev/ttyS0");
        timers.Advance(800 + 300 + 5 * 1000);
        EXPECT_EQ(channel.Letters(), "EHVHEHV");
        EXPECT_EQ(prompter.shown.size(), 2u) << "no second question";
        Receive("SV1.09EG\r\n");
        const std::vector<std::string> answered(host.texts.end() - 2, host.texts.end());
        EXPECT_EQ(answered, (std::vector<std::string>{"ttyS0 이 연결되었습니다.",
                                                      "데이터 전송이 시작됩니다."}));
        EXPECT_EQ(session.State(), SessionState::AwaitRecords);
        ASSERT_TRUE(session.Cancel());
    }
}

TEST_F(SessionTest, CountZeroEndsTheDownloadWithNoData) {
    RunUpToVersion(ResultKind::HbA1c);
    Receive("SV1.09EG\r\n");
    Receive("SH00");
    EXPECT_TRUE(prompter.shown.size() == 1) << "only the question so far";
    Receive("0");
    EXPECT_FALSE(host.visible);
    EXPECT_EQ(host.texts.back(), SourceText(kNoDataText))
        << "the hidden window no longer says receiving";
    EXPECT_FALSE(timers.Running(kWatchTimerId));
    EXPECT_EQ(channel.Letters(), "EHVHE");
    EXPECT_TRUE(channel.open) << "closed after the pause";
    timers.Advance(300);
    EXPECT_FALSE(channel.open);
    EXPECT_EQ(prompter.shown.back().text, "데이터가 없습니다.");
    EXPECT_EQ(prompter.shown.back().caption, "오르보에이원씨");
    EXPECT_EQ(session.Exchange(), ExchangeKind::Idle);

    // Glucose needs the full seven bytes before the count is read.
    channel.written.clear();
    RunUpToVersion(ResultKind::Glucose);
    Receive("SV1.09EG\r\n");
    Receive("SG000\r");
    EXPECT_NE(prompter.shown.back().text.find("받겠습니까"), std::string::npos) << "not yet";
    Receive("\n");
    timers.Advance(300);
    EXPECT_EQ(prompter.shown.back().text, "데이터가 없습니다.");
}

TEST_F(SessionTest, TransferIsHandedOverAtExactlyTheLastByte) {
    RunUpToVersion(ResultKind::Glucose);
    Receive("SV1.09EG\r\n");
    std::string reply = "SG003\r\n" + Records(3, 15);
    ASSERT_EQ(reply.size(), 52u);
    Receive(reply.substr(0, 51));
    timers.Advance(1000);
    EXPECT_TRUE(host.imports.empty());
    Receive(reply.substr(51));
    EXPECT_FALSE(timers.Running(kWatchTimerId));
    EXPECT_TRUE(host.imports.empty()) << "handed over after a short pause";
    timers.Advance(50);
    ASSERT_EQ(host.imports.size(), 1u);
    const Transfer& t = host.imports[0];
    EXPECT_EQ(t.payload, Records(3, 15));
    EXPECT_EQ(t.recordCount, 3);
    EXPECT_EQ(t.recordSize, 15);
    EXPECT_EQ(t.kind, ResultKind::Glucose);
    EXPECT_EQ(t.meterModel, "EG") << "the laboratory messages name the meter";

    EXPECT_EQ(session.State(), SessionState::Importing);
    EXPECT_EQ(channel.Letters(), "EHVG") << "the meter is told nothing before the import ends";
    EXPECT_TRUE(channel.open);
}

TEST_F(SessionTest, NoRecordsAfterTheVersionGivesUpAfter25sOnTheMetersPortAnd35sElsewhere) {
    for (bool found : {true, false}) {
        SCOPED_TRACE(found ? "recognised port" : "unrecognised port");
        channel.written.clear();
        prompter.shown.clear();
        RunUpToVersion(ResultKind::HbA1c);
        session.foundFlag = found;
        Receive("SV1.09EG\r\n"); // the meter is there, but its records never come
        ASSERT_EQ(channel.Letters(), "EHVH");
        timers.Advance(1000); // the watch starts counting at this tick
        int limit = found ? 25'000 : 35'000;
        timers.Advance(limit - 1000);
        EXPECT_TRUE(channel.open);
        timers.Advance(1000);
        EXPECT_FALSE(channel.open);
        EXPECT_FALSE(host.visible);
        EXPECT_EQ(prompter.shown.back().text, "오르보에이원씨로부터 데이터가 전송이 되지 않고 "
                                              "있습니다.\r\n오르보에이원씨와의 연결 포트를 "
                                              "다시 확인해 주세요.");
        EXPECT_EQ(session.Exchange(), ExchangeKind::None);
        EXPECT_FALSE(session.foundFlag);
        EXPECT_FALSE(timers.Running(kWatchTimerId));
    }
}

TEST_F(SessionTest, StalledTransferEndsAfterTenSilentTicksOnAnyPort) {
    for (bool found : {true, false}) {
        SCOPED_TRACE(found ? "recognised port" : "unrecognised port");
        RunUpToVersion(ResultKind::HbA1c);
        session.foundFlag = found;
        Receive("SV1.09EG\r\n");
        // A different length each round: the last length seen outlives a transfer.
        Receive("SH005\r\n" + Records(found ? 2 : 1, 30));
        timers.Advance(15'000); // watch start + 14 s: not yet counting
        EXPECT_EQ(session.ErrorCount(), 0);
        timers.Advance(1000); // 15 s: remembers the length
        timers.Advance(9000);
        EXPECT_EQ(session.ErrorCount(), 9);
        EXPECT_EQ(host.texts.back(), "Error count : 9");
        EXPECT_TRUE(channel.open);
        timers.Advance(1000);
        EXPECT_FALSE(channel.open);
        EXPECT_TRUE(host.visible) << "the progress window stays";
        EXPECT_EQ(prompter.shown.back().text, "오르보에이원씨로부터 데이터가 전송이 되지 않고 "
                                              "있습니다.\r\n오르보에이원씨와의 연결 포트를 "
                                              "다시 확인해 주세요.");
        EXPECT_TRUE(host.imports.empty());
        channel.written.clear();
    }
}

TEST_F(SessionTest, BytesThatKeepComingAreNotAStall) {
    RunUpToVersion(ResultKind::HbA1c);
    Receive("SV1.09EG\r\n");
    Receive("SH999\r\n");
    for (int second = 0; second < 60; ++second) {
        Receive("0");
        timers.Advance(1000);
    }
    EXPECT_EQ(session.ErrorCount(), 0);
    EXPECT_TRUE(channel.open);
}

TEST_F(SessionTest, FloodBeyondTheReceiveLimitEndsTheExchange) {
    RunUpToVersion(ResultKind::HbA1c);
    Receive("SV1.09EG\r\n");
    Receive("SH999\r\n");
    std::string flood(kReceiveLimit, 'x');
    Receive(flood);
    EXPECT_FALSE(channel.open);
    EXPECT_EQ(prompter.shown.back().text, "오르보에이원씨로부터 데이터가 전송이 되지 않고 "
                                          "있습니다.\r\n오르보에이원씨와의 연결 포트를 "
                                          "다시 확인해 주세요.");
    EXPECT_EQ(session.CurrentReplyCode(), kReplyNone) << "later bytes are dropped";
}

TEST_F(SessionTest, ClosedWindowStopsEverything) {
    ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::HbA1c, false));
    timers.Advance(800 + 300 + 1000);
    session.runFlag = false;
    timers.Advance(60'000);
    session.OnTimer(kModeTimerId);
    session.OnByte(kReplyHbA1c, 'S');
    EXPECT_EQ(channel.Letters(), "E");
    EXPECT_TRUE(session.ReceivedText().empty());
}

TEST_F(SessionTest, ReplyCodeFollowsTheExchange) {
    EXPECT_EQ(session.CurrentReplyCode(), kReplyNone);
    RunUpToVersion(ResultKind::Glucose);
    EXPECT_EQ(session.CurrentReplyCode(), kReplyVersion);
    Receive("SV1.09EG\r\n");
    EXPECT_EQ(session.CurrentReplyCode(), kReplyGlucose);
    Receive("SG000\r\n"); // no data: E goes out
    EXPECT_EQ(session.CurrentReplyCode(), kReplyNone) << "idle: replies are dropped";
}

TEST_F(SessionTest, ProgressCountsWholeRecordsOfTheAnnouncedCount) {
    RunUpToVersion(ResultKind::Glucose);
    Receive("SV1.09EG\r\n");
    EXPECT_EQ(host.running, std::vector<bool>{true});
    EXPECT_TRUE(session.Running());
    std::string reply = "SG003\r\n" + Records(3, 15);
    Receive(reply.substr(0, 7 + 14));
    EXPECT_EQ(host.progress, (std::vector<std::pair<int, int>>{{0, 3}}));
    Receive(reply.substr(21, 1));
    Receive(reply.substr(22));
    EXPECT_EQ(host.progress, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    timers.Advance(50);
    ASSERT_EQ(host.imports.size(), 1u);
    EXPECT_TRUE(session.Running()) << "running until the import has ended";
    session.ImportFinished(ImportSummary{3, 2});
    EXPECT_TRUE(session.Running()) << "and the exchange after it";
    timers.Advance(600);
    EXPECT_FALSE(session.Running());
    EXPECT_EQ(host.running, (std::vector<bool>{true, false}));
}

TEST_F(SessionTest, CancelStopsEverythingAndTellsTheMeterNothing) {
    // At every stage: during the mode sequence, waiting for the version, mid-transfer, and
    // in the pause before the hand-over.
    for (int stage = 0; stage < 4; ++stage) {
        SCOPED_TRACE(stage);
        channel.written.clear();
        host.imports.clear();
        ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::Glucose, true));
        timers.Advance(800 + 300 + 1000);
        if (stage >= 1) {
            timers.Advance(4000);
            ASSERT_EQ(channel.Letters(), "EHV");
        }
        std::string reply = "SG003\r\n" + Records(3, 15);
        if (stage == 2) {
            Receive("SV1.09EG\r\n");
            Receive(reply.substr(0, 30));
        }
        if (stage == 3) {
            Receive("SV1.09EG\r\n");
            Receive(reply);
        }
        const std::string before = channel.Letters();
        EXPECT_TRUE(session.Running());
        EXPECT_TRUE(session.Cancel());
        EXPECT_FALSE(session.Running());
        EXPECT_FALSE(channel.open);
        EXPECT_FALSE(timers.Running(kModeTimerId));
        EXPECT_FALSE(timers.Running(kWatchTimerId));
        EXPECT_EQ(session.CurrentReplyCode(), kReplyNone) << "late bytes are dropped";
        timers.Advance(120'000);
        EXPECT_EQ(channel.Letters(), before) << "no command after Cancel, never D";
        EXPECT_EQ(channel.Letters().find('D'), std::string::npos);
        EXPECT_TRUE(host.imports.empty()) << "nothing handed to the importer";
        EXPECT_FALSE(session.Cancel()) << "nothing left to stop";
    }
    // The next download starts from the beginning.
    channel.written.clear();
    RunUpToVersion(ResultKind::HbA1c);
}

TEST_F(SessionTest, ModeSequenceWalksItsNamedSteps) {
    ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::HbA1c, false));
    timers.Advance(800 + 300);
    EXPECT_EQ(session.State(), SessionState::Announce);
    std::vector<SessionState> steps;
    for (int tick = 0; tick < 5; ++tick) {
        timers.Advance(1000);
        steps.push_back(session.State());
    }
    EXPECT_EQ(steps,
              (std::vector<SessionState>{SessionState::SendModeChange,
                                         SessionState::AwaitModeChange, SessionState::AwaitCommand,
                                         SessionState::AskVersion, SessionState::AwaitVersion}));
    EXPECT_EQ(session.Exchange(), ExchangeKind::Version);
}

// The case the documentation of the session walks through: a records reply that stops
// after 100 bytes ends 25 s of watch time (26 s) after the request, with nothing handed over.
TEST_F(SessionTest, ReplyThatStopsAfterHundredBytesEndsAfterTenSilentTicks) {
    RunUpToVersion(ResultKind::HbA1c);
    session.foundFlag = true;
    Receive("SV1.09EG\r\n");
    ASSERT_EQ(channel.Letters(), "EHVH");
    Receive(("SH010\r\n" + Records(10, 30)).substr(0, 100));
    timers.Advance(25'000);
    EXPECT_EQ(session.ErrorCount(), 9);
    EXPECT_TRUE(channel.open);
    timers.Advance(1000);
    EXPECT_EQ(session.ErrorCount(), 10);
    EXPECT_FALSE(channel.open);
    EXPECT_EQ(prompter.shown.back().text,
              "오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.\r\n오르보에이원씨와의 "
              "연결 포트를 다시 확인해 주세요.");
    EXPECT_EQ(host.texts.back(), "Error count : 10");
    EXPECT_TRUE(host.imports.empty());
    EXPECT_EQ(session.Exchange(), ExchangeKind::None);
}

TEST_F(SessionTest, CommandTheLineDidNotTakeEndsTheExchangeAtOnce) {
    RunUpToVersion(ResultKind::Glucose);
    channel.failWrites = true;
    timers.Advance(1000); // the records request goes out only in part
    EXPECT_FALSE(channel.open);
    EXPECT_EQ(session.Exchange(), ExchangeKind::None);
    EXPECT_FALSE(timers.Running(kWatchTimerId));
    EXPECT_EQ(prompter.shown.back().text.rfind("오르보에이원씨로부터 데이터가", 0), 0u);
    const std::size_t messages = prompter.shown.size();
    timers.Advance(60'000);
    EXPECT_EQ(prompter.shown.size(), messages) << "no second time-out follows";

    // The same during the mode sequence: the mode change never reached the meter.
    channel.failWrites = false;
    ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::HbA1c, false));
    timers.Advance(800 + 300 + 1000);
    channel.failWrites = true;
    timers.Advance(1000);
    EXPECT_FALSE(channel.open);
    EXPECT_EQ(session.State(), SessionState::GivenUp);
    EXPECT_FALSE(timers.Running(kModeTimerId));
}

TEST_F(SessionTest, NewConnectEndsTheExchangeStillRunning) {
    RunUpToVersion(ResultKind::HbA1c);
    Receive("SV1.09EG\r\n");
    prompter.answers = {false};
    ASSERT_TRUE(session.Connect("ttyUSB0", "/dev/ttyUSB0", ResultKind::Glucose, false));
    EXPECT_FALSE(timers.Running(kWatchTimerId));
    EXPECT_EQ(session.Exchange(), ExchangeKind::None);
    const std::size_t messages = prompter.shown.size();
    timers.Advance(60'000);
    EXPECT_TRUE(channel.open) << "the old watch does not end the new connection";
    EXPECT_EQ(prompter.shown.size(), messages + 1) << "only the question";
}

namespace qa {
// Reaches into the session where no event can: a move the table forbids, a state forced
// without its actions.
class DownloadSessionProbe {
public:
    static void Move(DownloadSession& session, SessionState to) { session.TransitionTo(to); }
    static void Force(DownloadSession& session, SessionState state) { session.state_ = state; }
};
} // namespace qa

namespace {

class SessionEndTest : public SessionTest {
protected:
    // A glucose download up to the hand-over of a three-record transfer.
    void RunUpToImport(bool erase) {
        channel.written.clear();
        ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::Glucose, erase));
        timers.Advance(800 + 300 + 5 * 1000);
        Receive("SV1.09EG\r\n");
        Receive("SG003\r\n" + Records(3, 15));
        timers.Advance(50);
        ASSERT_EQ(session.State(), SessionState::Importing);
        ASSERT_EQ(channel.Letters(), "EHVG");
        channel.written.clear();
    }
};

} // namespace

TEST_F(SessionEndTest, StoredImportErasesWhenAskedThenEndsWithEAndClosesAfterItsPauses) {
    for (bool erase : {false, true}) {
        SCOPED_TRACE(erase ? "erase asked" : "no erase");
        host.texts.clear();
        host.shownNew.clear();
        RunUpToImport(erase);
        session.ImportFinished(ImportSummary{3, 2});
        EXPECT_EQ(channel.Letters(), erase ? "D" : "") << "D only once the results are stored";
        const int beforeEnd = erase ? 500 : 300;
        timers.Advance(beforeEnd - 1);
        EXPECT_EQ(channel.Letters(), erase ? "D" : "");
        timers.Advance(1);
        EXPECT_EQ(channel.Letters(), erase ? "DE" : "E");
        EXPECT_EQ(channel.written.back(), std::string("S E\n\r", 5));
        timers.Advance(299);
        EXPECT_TRUE(channel.open);
        EXPECT_TRUE(host.shownNew.empty()) << "reported once the port is closed";
        timers.Advance(1);
        EXPECT_FALSE(channel.open);
        EXPECT_EQ(session.State(), SessionState::Closed);
        EXPECT_EQ(host.texts.back(), "데이터 검사 완료");
        EXPECT_EQ(host.shownNew, std::vector<int>{2});
        EXPECT_EQ(host.ended.back(), "stored 2");
        EXPECT_EQ(session.ImportedCount(), 2);
        EXPECT_EQ(prompter.shown.size(), 1u) << "only the question";
        prompter.shown.clear();
    }
    // Nothing new: the end report says so instead of listing records.
    RunUpToImport(false);
    session.ImportFinished(ImportSummary{3, 0});
    timers.Advance(600);
    EXPECT_EQ(host.texts.back(), "새로운 데이터가 없습니다.");
    EXPECT_EQ(host.shownNew, std::vector<int>{2}) << "no list for no new records";
}

TEST_F(SessionEndTest, FailedStoreEndsTheExchangeWithoutEraseAndSaysWhy) {
    RunUpToImport(true);
    session.ImportFinished(Message(MessageId::NotSaved, {"disk full"}));
    timers.Advance(299);
    EXPECT_EQ(channel.Letters(), "");
    timers.Advance(1);
    EXPECT_EQ(channel.Letters(), "E") << "never D: the results are not stored";
    EXPECT_EQ(prompter.shown.size(), 1u);
    timers.Advance(300);
    EXPECT_FALSE(channel.open);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown.back().text, "Error. the results could not be saved : disk full. "
                                          "The meter's results were not erased.");
    EXPECT_EQ(prompter.shown.back().caption, "QuorinA1c");
    EXPECT_TRUE(host.shownNew.empty());
    EXPECT_EQ(session.State(), SessionState::Closed);
    EXPECT_FALSE(session.Running());
}

TEST_F(SessionEndTest, RefusedTransferClosesThePortAndTellsTheMeterNothing) {
    for (MessageId refusal : {MessageId::FramingFailed, MessageId::WrongKind}) {
        RunUpToImport(true);
        session.ImportFinished(refusal);
        EXPECT_FALSE(channel.open);
        EXPECT_EQ(session.State(), SessionState::Closed);
        timers.Advance(60'000);
        EXPECT_EQ(channel.Letters(), "") << "neither D nor E";
        EXPECT_EQ(prompter.shown.back().caption, "QuorinA1c");
        EXPECT_EQ(host.ended.back(), prompter.shown.back().text);
        prompter.shown.clear();
    }
    EXPECT_EQ(host.ended.front(), "Error. cyclic redundancy check : Fail.");
}

TEST_F(SessionEndTest, NeitherCancelNorConnectBreaksIntoTheImportOrItsEnd) {
    RunUpToImport(true);
    EXPECT_FALSE(session.Cancel());
    EXPECT_FALSE(session.Connect("ttyUSB0", "/dev/ttyUSB0", ResultKind::HbA1c, false));
    EXPECT_EQ(channel.opened.size(), 1u) << "no second port opened";
    session.ImportFinished(ImportSummary{3, 3});
    EXPECT_FALSE(session.Cancel());
    timers.Advance(500);
    EXPECT_FALSE(session.Cancel());
    timers.Advance(300);
    EXPECT_EQ(channel.Letters(), "DE");
    EXPECT_EQ(host.shownNew, std::vector<int>{3});
    session.ImportFinished(ImportSummary{3, 3});
    EXPECT_EQ(host.shownNew, std::vector<int>{3}) << "a second outcome is ignored";
}

TEST_F(SessionEndTest, LineLostAfterTheImportStillReportsTheStoredResults) {
    RunUpToImport(true);
    channel.failWrites = true;
    session.ImportFinished(ImportSummary{3, 3});
    EXPECT_FALSE(channel.open) << "D did not go out";
    EXPECT_EQ(prompter.shown.back().text.rfind("오르보에이원씨로부터 데이터가", 0), 0u);
    timers.Advance(800);
    EXPECT_EQ(session.State(), SessionState::Closed);
    EXPECT_EQ(host.shownNew, std::vector<int>{3});
}

// Every row of the transition table is taken by some event, and no event takes a move the
// table does not list.
TEST_F(SessionEndTest, EveryDocumentedTransitionIsWalked) {
    using S = SessionState;
    // Reaches `target` from a fresh Connect with the events of a normal download.
    auto driveTo = [this](S target) {
        prompter.answers = {target != S::Declined};
        ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::HbA1c, true));
        for (int i = 0; i < 2000 && session.State() != target; ++i) {
            const S now = session.State();
            if (now == S::AwaitVersion && target != S::AwaitAnswer && target != S::Unanswered) {
                Receive("SV1.09EG\r\n");
            } else if (now == S::AwaitRecords && target == S::NoData) {
                Receive("SH000");
            } else if (now == S::AwaitRecords && target != S::GivenUp) {
                Receive("SH001\r\n" + Records(1, 30));
            } else if (now == S::Importing) {
                session.ImportFinished(ImportSummary{1, 1});
            } else {
                timers.Advance(50);
            }
        }
        ASSERT_EQ(session.State(), target) << StateName(target);
    };
    const std::vector<S> interruptible = {
        S::Settling,        S::Declined,     S::Starting,   S::Announce,     S::SendModeChange,
        S::AwaitModeChange, S::AwaitCommand, S::AskVersion, S::AwaitVersion, S::AwaitAnswer,
        S::AwaitRecords,    S::NoData,       S::HandOver,   S::GivenUp};
    for (S state : interruptible) {
        SCOPED_TRACE(StateName(state));
        driveTo(state);
        ASSERT_TRUE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::HbA1c, false));
        EXPECT_EQ(session.State(), S::Settling);
        driveTo(state);
        session.Cancel();
        EXPECT_EQ(session.State(), S::Closed);
        // A port that cannot be opened ends the exchange as well.
        driveTo(state);
        channel.failOpen = true;
        EXPECT_FALSE(session.Connect("ttyACM0", "/dev/ttyACM0", ResultKind::HbA1c, false));
        channel.failOpen = false;
        EXPECT_EQ(session.State(), S::Closed);
    }
    // The whole way through, both ends of an import, and the refusal.
    driveTo(S::Ending);
    timers.Advance(300);
    driveTo(S::Importing);
    session.ImportFinished(MessageId::FramingFailed);
    // No meter on the port: Retry (back to settling, the question not asked again), then
    // Cancel; and a meter that answers the records request without a version reply.
    for (bool retry : {true, false}) {
        driveTo(S::AwaitAnswer);
        prompter.answers = {retry};
        timers.Advance(2000);
        EXPECT_EQ(session.State(), retry ? S::Settling : S::Closed);
    }
    driveTo(S::AwaitAnswer);
    Receive("SH000");
    EXPECT_EQ(session.State(), S::NoData);
    // A flood beyond the receive limit, before and after the records were complete.
    for (S flooded : {S::AwaitVersion, S::AwaitRecords, S::HandOver}) {
        driveTo(flooded);
        Receive(std::string(kReceiveLimit + 1, 'x'));
        EXPECT_EQ(session.State(), S::GivenUp);
    }
    // A command the line does not take, at each state that sends one on entering.
    for (S sender : {S::Starting, S::AwaitModeChange, S::AwaitVersion, S::AwaitAnswer,
                     S::AwaitRecords, S::NoData}) {
        SCOPED_TRACE(StateName(sender));
        const S before = sender == S::Starting          ? S::Settling
                         : sender == S::AwaitModeChange ? S::SendModeChange
                         : sender == S::AwaitVersion    ? S::AskVersion
                         : sender == S::AwaitAnswer     ? S::AwaitVersion
                         : sender == S::AwaitRecords    ? S::AwaitVersion
                                                        : S::AwaitRecords;
        driveTo(before);
        channel.failWrites = true;
        if (sender == S::NoData) {
            Receive("SH000");
        } else if (sender == S::AwaitRecords) {
            Receive("SV1.09EG\r\n");
        } else {
            timers.Advance(1000);
        }
        channel.failWrites = false;
        EXPECT_EQ(session.State(), S::GivenUp);
    }

    std::set<std::pair<S, S>> walked(host.moves.begin(), host.moves.end());
    std::set<std::pair<S, S>> allowed;
    for (int from = 0; from < kSessionStateCount; ++from) {
        for (int to = 0; to < kSessionStateCount; ++to) {
            if (DownloadSession::TransitionAllowed(static_cast<S>(from), static_cast<S>(to))) {
                allowed.emplace(static_cast<S>(from), static_cast<S>(to));
            }
        }
    }
    for (const auto& [from, to] : allowed) {
        EXPECT_EQ(walked.count({from, to}), 1u)
            << "never walked: " << StateName(from) << " -> " << StateName(to);
    }
    for (const auto& [from, to] : walked) {
        EXPECT_EQ(allowed.count({from, to}), 1u)
            << "walked but not allowed: " << StateName(from) << " -> " << StateName(to);
    }
    EXPECT_EQ(allowed.size(), 56u) << "the table of the class comment";
}

TEST_F(SessionTest, ForbiddenTransitionIsCaught) {
    EXPECT_FALSE(DownloadSession::TransitionAllowed(SessionState::Closed, SessionState::Importing));
    EXPECT_FALSE(
        DownloadSession::TransitionAllowed(SessionState::Importing, SessionState::Settling));
    EXPECT_FALSE(DownloadSession::TransitionAllowed(SessionState::Ending, SessionState::GivenUp));
#ifdef NDEBUG
    GTEST_SKIP() << "the check is an assertion";
#else
    EXPECT_DEATH(DownloadSessionProbe::Move(session, SessionState::Importing),
                 "forbidden transition Closed -> Importing");
#endif
}

TEST_F(SessionTest, InvariantsNameAStateWithoutItsActions) {
    EXPECT_EQ(session.BrokenInvariant(), "");
    DownloadSessionProbe::Force(session, SessionState::AwaitRecords);
    EXPECT_EQ(session.BrokenInvariant(), "the watch timer is off in AwaitRecords");
    DownloadSessionProbe::Force(session, SessionState::Announce);
    EXPECT_EQ(session.BrokenInvariant(), "the mode timer is off in Announce");
    DownloadSessionProbe::Force(session, SessionState::Starting);
    EXPECT_EQ(session.BrokenInvariant(), "the exchange does not fit Starting");
    DownloadSessionProbe::Force(session, SessionState::Closed);
    EXPECT_EQ(session.BrokenInvariant(), "");
}
