#pragma once

#include "device/byte_channel.h"
#include "device/clock.h"
#include "device/importer.h"
#include "store/prompter.h"

#include <atomic>
#include <chrono>
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

// What the session awaits from the meter; it decides what a received byte belongs to.
enum class ExchangeKind {
    None,    // no exchange: the port is closed or nothing was asked (received bytes are dropped)
    Idle,    // a command that expects no reply (E, the mode change H) went out
    HbA1c,   // the HbA1c records were requested
    Glucose, // the glucose records were requested
    Version, // the version was requested
};

// The steps of the mode sequence, one per tick of the mode timer.
enum class ModeStep {
    Off,             // no sequence running
    Announce,        // shows "Waiting....", starts the pause
    SendModeChange,  // after kModeChangeDelay: sends the mode change (H)
    AwaitModeChange, // after kModeChangeDelay: the meter has switched
    AwaitCommand,    // after kCommandDelay: the meter listens for commands
    AskVersion,      // stops the mode timer and asks for the version (V)
};

// Periodic timers of the session (ids for SessionTimers).
inline constexpr int kModeTimerId = 10;
inline constexpr int kWatchTimerId = 4;

// The session's timing. Every pause paces a meter that drops commands sent too early; every
// limit is how long a silent line is given before the operator is told.
inline constexpr std::chrono::milliseconds kTick{1000};            // both periodic timers
inline constexpr std::chrono::milliseconds kPortSettle{800};       // open -> question
inline constexpr std::chrono::milliseconds kAfterEnd{300};         // E -> next step
inline constexpr std::chrono::milliseconds kModeChangeDelay{800};  // between mode steps
inline constexpr std::chrono::milliseconds kCommandDelay{1500};    // mode done -> commands
inline constexpr std::chrono::milliseconds kHandOverDelay{50};     // last byte -> import
inline constexpr std::chrono::milliseconds kStallWatchFrom{15000}; // stall counting starts
inline constexpr std::chrono::milliseconds kSilentOnMetersPort{25000};
inline constexpr std::chrono::milliseconds kSilentOnOtherPort{35000};

// Larger than any reply a meter can send (999 records of 30 bytes); more means the line
// carries something else, and the exchange ends as if nothing arrived.
inline constexpr std::size_t kReceiveLimit = 1'000'000;
// Silent watch ticks in a row, once stall counting has started, that end a transfer.
inline constexpr int kGiveUpErrorCount = 10;

inline constexpr MessageId kMeterCaption = MessageId::CaptionMeter;
inline constexpr MessageId kConnectFailedText = MessageId::ConnectFailed;
inline constexpr MessageId kNoDataText = MessageId::NoData;
inline constexpr MessageId kNotArrivingText = MessageId::NotArriving;
inline constexpr MessageId kNoNewDataText = MessageId::NoNewData;
inline constexpr MessageId kWaitingText = MessageId::Waiting;

// What the window (or the command line) does for the session.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    // The one progress window: setting a text also shows it.
    virtual void SetProgressText(const Message& text) = 0;
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
//
// A command is five bytes, "S <letter>\n\r": E ends whatever the meter was doing, H switches
// its mode (and, once in command mode, asks for the HbA1c records), G asks for the glucose
// records, V for the version, D erases the meter's memory. Replies: the version "SV" + six
// characters + "\r\n"; the records "S" + kind letter + three-digit count + "\r\n" + count
// records of RecordSize() bytes.
//
// States (Kind() is the result kind chosen in the "Get data" dialog):
//
//   Closed --Connect--> Settling --800 ms--> question --no--> Declined (port stays open)
//                                               |yes
//                                               v
//                        Starting (E sent) --300 ms--> ModeSequence: Announce -> SendModeChange
//                                                      -> AwaitModeChange -> AwaitCommand
//                                                      -> AskVersion (one step per 1 s tick)
//                                                               |
//                                                               v  V sent
//            first watch tick / "SV.." reply (size chosen) <- AwaitVersion
//                     |  H or G sent
//                     v
//              AwaitRecords --count 0--> NoData (E sent) --300 ms--> Closed, "no data"
//                     |  --all records--> HandOver --50 ms--> Importing --import done--> Closed
//                     |  --silent, stalled or flooded--> GivenUp: Closed, "not arriving"
//
// Transitions (state x event -> actions -> next state). A tick is 1 s (kTick), so the pauses
// of the mode sequence end at the first tick after them: E at 0 s, H at 2.3 s, V at 5.3 s
// after the operator's yes. "Watch time" is measured from the first watch tick after the
// records request, i.e. 1 s after it.
//
//   any           | Connect(port, kind, erase) | close an open port, cancel pending steps,
//                 |                            | open the port -> Settling; on failure show
//                 |                            | the system's error and ConnectFailedBecause
//                 |                            | -> Closed (Connect returns false)
//   Settling      | kPortSettle (800 ms)       | ask AskReceiveHbA1c/Glucose (the port)
//                 |                            | no -> Declined; yes -> record size 29 (HbA1c)
//                 |                            | or 15 (glucose), show "Waiting....", send E,
//                 |                            | exchange Idle -> Starting
//   Starting      | kAfterEnd (300 ms)         | download marker 1, mode timer on
//                 |                            | -> ModeSequence/Announce
//   Announce      | tick                       | show "Waiting....", stamp -> SendModeChange
//   SendModeChange| tick, >= 800 ms since stamp| show ModeChangeCommand, send H (exchange Idle,
//                 |                            | shows ModeChange), stamp -> AwaitModeChange
//   AwaitModeChange| tick, >= 800 ms since H   | show ModeChangeDone -> AwaitCommand
//   AwaitCommand  | tick, >= 1500 ms since H   | show CommandSent -> AskVersion
//   AskVersion    | tick                       | mode timer off, marker -1, send V (exchange
//                 |                            | Version), watch timer on -> AwaitVersion
//   AwaitVersion  | 10th byte, reply "SV...."  | models EG/CG send four-digit values; record
//                 |                            | size 30/29 (HbA1c) or 15; send H or G
//                 |                            | -> AwaitRecords
//   AwaitVersion  | watch tick                 | no reply: send H or G with the size chosen
//                 |                            | at the question -> AwaitRecords
//   AwaitRecords  | byte, header incomplete    | show Receiving A/B (stays); once the count is
//                 | or records incomplete      | known, each whole record is reported to the
//                 |                            | host (TransferProgress)
//                 | byte, count 0              | hide progress, watch off, send E, after
//                 |                            | 300 ms close the port and show NoData
//                 |                            | -> Closed
//                 | byte completing count x    | watch off; after kHandOverDelay (50 ms) hand
//                 | size bytes after the header| the transfer to the host -> Importing
//                 | watch tick, watch time >=  | if the length equals the one remembered at the
//                 | 15 s, bytes received       | last such tick: error count + 1, show "Error
//                 |                            | count : n"; else remember the length. At 10:
//                 |                            | GivenUp, progress window left showing
//                 | watch tick, nothing        | watch time >= 25 s on the meter's recognised
//                 | received                   | port, >= 35 s on any other: GivenUp
//                 | byte beyond kReceiveLimit  | GivenUp
//   GivenUp       | (entered)                  | hide progress (not for a stall), watch and mode
//                 |                            | timers off, cancel pending steps, close the
//                 |                            | port, exchange None, show NotArriving
//                 |                            | -> Closed
//   Importing     | commands from the importer | E, D (erase when asked), port close; then
//                 |                            | import done: NoNewData or the
//                 |                            | new records -> Closed
//   any with the  | a command whose five bytes | GivenUp at once instead of waiting for the
//   port open     | are not all written        | silence limit
//   any           | Cancel() (the operator)    | mode and watch timers off, pending steps
//                 |                            | cancelled, nothing received kept, port closed,
//                 |                            | exchange None; the meter is told nothing
//                 |                            | -> Closed
//   Importing     | ImportFailed()             | port closed, exchange None -> Closed
//   any           | E sent (FrameCommand 54)   | exchange Idle, watch timer off
//   any           | runFlag cleared (window    | nothing more is handled: no byte, tick, step
//                 | closes)                    | or command
//   Closed,       | a byte from the meter      | dropped: CurrentReplyCode() is kReplyNone
//   Declined,     |                            |
//   Starting, mode|                            |
//   sequence      |                            |
//
// So when the meter stops after 100 bytes of a records reply: the count in the header is not
// met, so nothing is handed over. At watch time 15 s the length 100 is remembered; each of
// the next ten ticks finds it unchanged and counts an error ("Error count : 1" .. 10); at the
// tenth, 25 s of watch time (26 s after the request), the port is closed and the operator is
// told that no data is arriving ("Error count : 10" stays in the progress window). Nothing
// was stored. (The remembered length outlives an exchange: had the previous transfer also
// stalled at exactly 100 bytes, counting would start one tick earlier.)
//
// Running() is true from the operator's yes until the session is back in Closed.
//
// Invariants (BrokenInvariant() names the first that does not hold; debug builds check it
// after every event while the session runs):
//   - the mode timer runs exactly while a mode sequence step other than Off is pending;
//   - the watch timer runs only while the version or the records are awaited;
//   - records are awaited only for the kind chosen at Connect, with RecordSize() 29 or 30
//     (30 exactly for four-digit meters) for HbA1c and 15 for glucose;
//   - the error count never exceeds kGiveUpErrorCount;
//   - at most kReceiveLimit + 1 bytes are ever held.
class DownloadSession {
public:
    DownloadSession(ByteChannel& channel, SessionTimers& timers, Clock& clock, Prompter& prompter,
                    SessionHost& host);

    // The "Get data" dialog's OK: opens the port, waits for it to settle, asks the operator
    // and starts the sequence on yes. Returns false when the port could not be opened.
    [[nodiscard]] bool Connect(const std::string& portText, const std::string& device,
                               ResultKind kind, bool eraseAfterDownload);

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

    ResultKind Kind() const { return kind_; }
    ExchangeKind Exchange() const { return exchangeKind_.load(); }
    ModeStep Step() const { return modeStep_; }
    int RecordSize() const { return recordSize_; }
    bool FourDigit() const { return fourDigit_; }
    const std::string& MeterModel() const { return model_; }
    int DownloadMarker() const { return downloadMarker_; }
    void SetDownloadMarker(int marker) { downloadMarker_ = marker; }
    int ErrorCount() const { return errorCount_; }
    const std::string& ReceivedText() const { return received_; }
    bool EraseAfterDownload() const { return erase_; }
    // The first invariant above that does not hold, or an empty text.
    std::string BrokenInvariant() const;

private:
    void SendCommand(int code);
    void StartSequence();
    void ModeTick();
    void WatchTick();
    void GiveUp(bool hideProgress);
    void HandleRecordsByte();
    void SetRunning(bool running);
    void RequestRecords();
    void StartTimer(int id);
    void KillTimer(int id);
    void CheckInvariants() const;

    ByteChannel& channel_;
    SessionTimers& timers_;
    Clock& clock_;
    Prompter& prompter_;
    SessionHost& host_;

    ResultKind kind_ = ResultKind::HbA1c;
    bool erase_ = false;
    std::string chosenPort_;
    std::atomic<ExchangeKind> exchangeKind_{ExchangeKind::None};
    int recordSize_ = 43;
    bool fourDigit_ = false;
    std::string model_; // letters and digits only: it goes into the laboratory messages
    std::string received_;
    int downloadMarker_ = -1;
    ModeStep modeStep_ = ModeStep::Off;
    std::int64_t modeStamp_ = 0;
    bool modeTimerOn_ = false;
    bool watchTimerOn_ = false;
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
