#include "device/download_session.h"
#include "i18n/message_catalogue.h"
#include "manual_timers.h"
#include "scripted_prompter.h"

#include <gtest/gtest.h>

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
    void PortsFound() override { ++portsFound; }
    void TransferProgress(int received, int announced) override {
        progress.emplace_back(received, announced);
    }
    void SessionRunning(bool on) override { running.push_back(on); }

    std::vector<std::string> texts;
    std::vector<Transfer> imports;
    std::vector<int> shownNew;
    bool visible = false;
    int portsFound = 0;
    std::vector<std::pair<int, int>> progress;
    std::vector<bool> running;
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
    EXPECT_EQ(prompter.shown[0].text,
              "ttyACM0 이 연결되었습니다.\r\n오르보에이원씨의 HbA1c 결과를 받겠습니까?");
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
    EXPECT_EQ(prompter.shown.at(0).text,
              "ttyUSB0 이 연결되었습니다.\r\n오르보에이원씨의 혈당 결과를 받겠습니까?");
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

TEST_F(SessionTest, MeterWithoutVersionReplyIsAskedForRecordsOneTickLater) {
    RunUpToVersion(ResultKind::HbA1c);
    timers.Advance(999);
    EXPECT_EQ(channel.Letters(), "EHV");
    timers.Advance(1);
    EXPECT_EQ(channel.Letters(), "EHVH");
    EXPECT_EQ(session.RecordSize(), 29) << "the size set at confirmation";
    EXPECT_EQ(session.Exchange(), ExchangeKind::HbA1c);
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
    EXPECT_EQ(prompter.shown.back().text.find("이 연결되었습니다") != std::string::npos, true);
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

    // What the importer sends back ends the exchange.
    session.FrameCommand(kCmdSendE);
    session.FrameCommand(kCmdClosePort);
    EXPECT_FALSE(channel.open);
    session.SetImportedCount(0);
    session.FrameCommand(kCmdImportDone);
    EXPECT_EQ(host.texts.back(), "새로운 데이터가 없습니다.");
    session.SetImportedCount(3);
    session.FrameCommand(kCmdImportDone);
    EXPECT_EQ(host.shownNew, std::vector<int>{3});
}

TEST_F(SessionTest, NothingReceivedGivesUpAfter25sOnTheMetersPortAnd35sElsewhere) {
    for (bool found : {true, false}) {
        SCOPED_TRACE(found ? "recognised port" : "unrecognised port");
        channel.written.clear();
        prompter.shown.clear();
        RunUpToVersion(ResultKind::HbA1c);
        session.foundFlag = found;
        timers.Advance(1000); // first tick: records request
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
    session.FrameCommand(kCmdVersion);
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
    session.FrameCommand(kCmdSendE);
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
    session.SetImportedCount(2);
    session.FrameCommand(kCmdImportDone);
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
    EXPECT_EQ(session.Step(), ModeStep::Announce);
    std::vector<ModeStep> steps;
    for (int tick = 0; tick < 5; ++tick) {
        timers.Advance(1000);
        steps.push_back(session.Step());
    }
    EXPECT_EQ(steps,
              (std::vector<ModeStep>{ModeStep::SendModeChange, ModeStep::AwaitModeChange,
                                     ModeStep::AwaitCommand, ModeStep::AskVersion, ModeStep::Off}));
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
    EXPECT_EQ(session.Step(), ModeStep::Off);
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
