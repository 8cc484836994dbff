#pragma once

#include "device/byte_channel.h"
#include "device/clock.h"
#include "device/importer.h"
#include "store/prompter.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace qa {

// Frame command codes of the download.
enum SessionCommand : int {
    kCmdPortsFound = 10,
    kCmdStartSequence = 50,
    kCmdModeChange = 51,
    kCmdRequestHbA1c = 52,
    kCmdRequestGlucose = 53,
    kCmdSendE = 54,
    kCmdClosePort = 55,
    kCmdErase = 60,
    kCmdVersion = 61,
    kCmdImportDone = 500,
};

// Reply codes that tell the session what a received byte belongs to.
enum ReplyCode : int {
    kReplyNone = 0, // nothing awaited: the byte is dropped
    kReplyHbA1c = 1000,
    kReplyGlucose = 1100,
    kReplyVersion = 1101,
};

// What is being awaited from the meter.
enum ExchangeKind : int {
    kExchangeNone = 0,
    kExchangeIdle = 10,
    kExchangeHbA1c = 52,
    kExchangeGlucose = 53,
    kExchangeVersion = 61,
};

inline constexpr int kModeTimerId = 10;
inline constexpr int kWatchTimerId = 4;
inline constexpr int kTimerIntervalMs = 1000;
inline constexpr int kSettleMs = 800;
// Larger than any reply a meter can send (999 records of 30 bytes); more means the line
// carries something else, and the exchange ends as if nothing arrived.
inline constexpr std::size_t kReceiveLimit = 1'000'000;
inline constexpr int kGiveUpErrorCount = 10;

inline constexpr const char* kMeterCaption = "오르보에이원씨";
inline constexpr const char* kConnectFailedText =
    "통신 포트 연결 실패.\r\n포트 연결을 재 확인해 주세요.";
inline constexpr const char* kNoDataText = "데이터가 없습니다.";
inline constexpr const char* kNotArrivingText =
    "오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.\r\n오르보에이원씨와의 연결 포트를 "
    "다시 확인해 주세요.";
inline constexpr const char* kNoNewDataText = "새로운 데이터가 없습니다.";
inline constexpr const char* kWaitingText = "Waiting....";

// What the window (or the command line) does for the session.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    // The one progress window: setting a text also shows it.
    virtual void SetProgressText(const std::string& text) = 0;
    virtual void HideProgress() = 0;
    // A complete transfer: hand it to the importer (on the worker, in the window).
    virtual void StartImport(const Transfer& transfer) = 0;
    // The end report found new records: show them.
    virtual void ShowNewRecords(int importedCount) = 0;
    // Discovery finished (command 10): open the "Get data" dialog, or refresh the open one.
    virtual void PortsFound() {}
    // Records received so far of the count the meter announced (once the count is known).
    virtual void TransferProgress(int received, int announced) {
        (void)received;
        (void)announced;
    }
    // A download started (the operator said yes) or ended, however it ended.
    virtual void SessionRunning(bool running) { (void)running; }
};

// The conversation with the meter: commands, the mode sequence, the per-byte completeness
// test of the replies and the watch over a running transfer. Runs on one thread (the
// window's); only the reply code is read from the channel's side.
class DownloadSession {
public:
    DownloadSession(ByteChannel& channel, SessionTimers& timers, Clock& clock, Prompter& prompter,
                    SessionHost& host);

    // The "Get data" dialog's OK: opens the port, waits for it to settle, asks the operator
    // and starts the sequence on yes. Returns false when the port could not be opened.
    bool Connect(const std::string& portText, const std::string& device, int itemKind,
                 bool eraseAfterDownload);

    void FrameCommand(int code);
    void OnTimer(int id);
    // One received byte with the reply code the channel chose for it.
    void OnByte(int replyCode, char byte);
    // The code for a byte arriving now (kReplyNone: drop it).
    int CurrentReplyCode() const;
    // The importer finished (its command 500 comes through FrameCommand as well).
    void SetImportedCount(int count) { importedCount_ = count; }
    int ImportedCount() const { return importedCount_; }

    // From the operator's yes until the exchange is over: no-data, import done, give-up,
    // a failed import (its closing command) or Cancel.
    bool Running() const { return running_; }
    // Stops the exchange at once: no further command, timer or deferred step, the port
    // closed, nothing received kept. The meter is never told anything, so it keeps its
    // results. Returns false when there was nothing to stop.
    bool Cancel();
    // The transfer was handed over but the import refused it: the exchange is over.
    void ImportFailed();

    // Cleared when the main window closes: from then on nothing is handled.
    std::atomic<bool> runFlag{true};
    // Set by discovery when it recognised the meter's port.
    std::atomic<bool> foundFlag{false};

    int ItemKind() const { return itemKind_; }
    int Exchange() const { return exchangeKind_.load(); }
    int RecordSize() const { return recordSize_; }
    bool FourDigit() const { return fourDigit_; }
    int DownloadMarker() const { return downloadMarker_; }
    void SetDownloadMarker(int marker) { downloadMarker_ = marker; }
    int ErrorCount() const { return errorCount_; }
    const std::string& ReceivedText() const { return received_; }
    const std::string& ChosenPort() const { return chosenPort_; }
    bool EraseAfterDownload() const { return erase_; }

private:
    void SendCommand(int code);
    void StartSequence();
    void ModeTick();
    void WatchTick();
    void GiveUp(bool hideProgress);
    void HandleRecordsByte();
    void SetRunning(bool running);

    ByteChannel& channel_;
    SessionTimers& timers_;
    Clock& clock_;
    Prompter& prompter_;
    SessionHost& host_;

    int itemKind_ = 0;
    bool erase_ = false;
    std::string chosenPort_;
    std::atomic<int> exchangeKind_{kExchangeNone};
    int recordSize_ = 43;
    bool fourDigit_ = false;
    std::string received_;
    std::size_t receivedLength_ = 0;
    int downloadMarker_ = -1;
    int modeState_ = 0;
    std::int64_t modeStamp_ = 0;
    bool watchStarted_ = false;
    std::int64_t watchStart_ = 0;
    std::size_t lastLengthSeen_ = 0;
    int errorCount_ = 0;
    int importedCount_ = 0;
    bool running_ = false;
    int lastReportedRecords_ = -1;
    // Bumped whenever a new exchange starts, so a deferred step of an older one does nothing.
    unsigned generation_ = 0;
};

} // namespace qa
