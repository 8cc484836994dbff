#pragma once

#include "device/byte_channel.h"
#include "device/clock.h"
#include "device/importer.h"
#include "store/prompter.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace qa {

// The five-byte commands the session sends: "S", a blank, the letter, LF, CR.
enum class MeterCommand {
    End,            // E: ends whatever the meter was doing
    ModeChange,     // H in the mode sequence: switches the meter to command mode
    Version,        // V
    HbA1cRecords,   // H once in command mode
    GlucoseRecords, // G
    Erase,          // D: erases the meter's stored results
};

// The letter of a command on the wire.
char CommandLetter(MeterCommand command);

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

// The states of a download; see DownloadSession for the diagram and the transition table.
enum class SessionState {
    Closed,          // no exchange
    Settling,        // port open, waiting kPortSettle before the question
    Declined,        // the operator said no: the port stays open
    Starting,        // E sent, waiting kAfterEnd
    Announce,        // mode sequence, one step per tick of the mode timer
    SendModeChange,  //
    AwaitModeChange, //
    AwaitCommand,    //
    AskVersion,      //
    AwaitVersion,    // V sent
    AwaitAnswer,     // H or G sent, and nothing at all has come from the port yet
    AwaitRecords,    // H or G sent, the meter has answered
    NoData,          // count 0: E sent, waiting kAfterEnd to close
    HandOver,        // the transfer is complete, waiting kHandOverDelay
    Importing,       // the host imports the transfer
    Finishing,       // import over: D sent (when asked and stored) or not, pausing before E
    Ending,          // E sent after the import, pausing before the port closes
    GivenUp,         // the line went silent, stalled, flooded or refused a command
    Unanswered,      // no byte came from the port: the operator chooses Retry or Cancel
};
inline constexpr int kSessionStateCount = static_cast<int>(SessionState::Unanswered) + 1;

const char* StateName(SessionState state);

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
inline constexpr std::chrono::milliseconds kAfterErase{500};       // D -> E after an import
inline constexpr std::chrono::milliseconds kBeforeEnd{300};        // import -> E, no D
inline constexpr std::chrono::milliseconds kStallWatchFrom{15000}; // stall counting starts
inline constexpr std::chrono::milliseconds kSilentOnMetersPort{25000};
inline constexpr std::chrono::milliseconds kSilentOnOtherPort{35000};
// A meter answers V, or failing that H or G, within milliseconds; a port from which nothing
// at all has come this long after the records request has no meter on it. The operator is
// told at the second watch tick after the request: 8.3 s after E.
inline constexpr std::chrono::milliseconds kAnswerLimit{2000};

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
inline constexpr MessageId kNoMeterAnswersText = MessageId::NoMeterAnswers;

// What the window (or the command line) does for the session.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    // The one progress window: setting a text also shows it.
    virtual void SetProgressText(const Message& text) = 0;
    virtual void HideProgress() = 0;
    // A complete transfer: import it (on the worker, in the window) and hand the outcome
    // back through DownloadSession::ImportFinished.
    virtual void StartImport(const Transfer& transfer) = 0;
    // The end report found new records: show them.
    virtual void ShowNewRecords(int importedCount) = 0;
    // Records received so far of the count the meter announced (once the count is known).
    virtual void TransferProgress(int received, int announced) {
        (void)received;
        (void)announced;
    }
    // A download started (the operator said yes) or ended, however it ended.
    virtual void SessionRunning(bool running) { (void)running; }
    // The exchange after an import is over (the port closed, the operator told): what the
    // import gave, the failure included.
    virtual void ImportEnded(const Expected<ImportSummary>& outcome) { (void)outcome; }
    // Every change of state, after its actions.
    virtual void StateChanged(SessionState from, SessionState to) {
        (void)from;
        (void)to;
    }
};

// The conversation with the meter: commands, the mode sequence, the per-byte completeness
// test of the replies, the watch over a running transfer and the end of the exchange after
// the import. Runs on one thread (the window's); only the reply code is read from the
// channel's side.
//
// A command is five bytes, "S <letter>\n\r": E ends whatever the meter was doing, H switches
// its mode (and, once in command mode, asks for the HbA1c records), G asks for the glucose
// records, V for the version, D erases the meter's memory. Replies: the version "SV" + six
// characters + "\r\n"; the records "S" + kind letter + three-digit count + "\r\n" + count
// records of RecordSize() bytes.
//
// States (SessionState; Kind() is the result kind chosen in the "Get data" dialog):
//
//   Closed --Connect--> Settling --800 ms--> question --no--> Declined (port stays open)
//                                               |yes
//                                               v
//                        Starting (E sent) --300 ms--> Announce -> SendModeChange
//                                                      -> AwaitModeChange -> AwaitCommand
//                                                      -> AskVersion (one step per 1 s tick)
//                                                               |
//                                                               v  V sent
//        "SV.." reply, or first watch tick after    <- AwaitVersion --first watch tick,
//        some byte (size chosen): H or G sent                        |  nothing heard: H or G
//                     |                                             v
//                     |  <--------first byte ("connected")---- AwaitAnswer
//                     v                                             | kAnswerLimit, silent
//              AwaitRecords --count 0--> NoData (E sent)            v
//                     |          --300 ms--> Closed, "no data"   Unanswered: "no meter
//                     |  --all records--> HandOver               answers on <port>"
//                     |          --50 ms--> Importing            --Retry--> Settling (no
//                     |  --silent, stalled or flooded-->         question) --Cancel--> Closed
//                     |          GivenUp ("not arriving")
//
// Nothing says "connected" or "transfer starts" before a byte has come from the port: the
// question only names the port, and a port without a meter ends in Unanswered instead of
// the 25/35 s watch.
//
//   Importing --stored (or storing failed)--> Finishing (D when asked and stored)
//             --500 ms after D, else 300 ms--> Ending (E sent) --300 ms--> Closed, end report
//   Importing --refused (framing, kind)--> Closed, the refusal shown
//
// Transition table: the only moves TransitionTo allows (TransitionAllowed); any other one
// is a fault of this class, caught by an assertion. "Interruptible" are all states but
// Importing, Finishing and Ending: while the import writes or its exchange ends, neither
// Connect nor Cancel breaks in.
//
//   from              | to              | event and actions
//   ------------------+-----------------+-------------------------------------------------
//   interruptible     | Settling        | Connect(port, kind, erase): an open port closed,
//                     |                 | timers off, pending steps cancelled, port opened
//   interruptible     | Closed          | Connect whose port cannot be opened (the system's
//                     |                 | error and ConnectFailedBecause shown); Cancel() (the
//                     |                 | operator: timers off, nothing kept, port closed,
//                     |                 | the meter told nothing)
//   Settling          | Declined        | kPortSettle, question AskReceiveHbA1c/Glucose: no
//   Settling          | Starting        | ... yes: record size 29 (HbA1c) or 15 (glucose),
//                     |                 | "Waiting....", E sent (exchange Idle)
//   Starting          | Announce        | kAfterEnd: download marker 1, mode timer on
//   Announce          | SendModeChange  | tick: "Waiting....", stamp
//   SendModeChange    | AwaitModeChange | tick, >= 800 ms since stamp: ModeChangeCommand,
//                     |                 | H sent (exchange Idle, shows ModeChange), stamp
//   AwaitModeChange   | AwaitCommand    | tick, >= 800 ms since H: ModeChangeDone
//   AwaitCommand      | AskVersion      | tick, >= 1500 ms since H: CommandSent
//   AskVersion        | AwaitVersion    | tick: mode timer off, marker -1, V sent (exchange
//                     |                 | Version, four-digit flag cleared), watch timer on
//   AwaitVersion      | AwaitRecords    | 10th byte of a reply "SV....": models EG/CG send
//                     |                 | four-digit values, record size 30/29 (HbA1c) or
//                     |                 | 15, MeterAnswered, TransferStarts; or a watch tick
//                     |                 | without it after some other byte (the size chosen
//                     |                 | at the question): H or G sent, error count 0
//   AwaitVersion      | AwaitAnswer     | watch tick, nothing received since E: H or G sent
//                     |                 | (AwaitingAnswer shown), answer deadline set
//   AwaitAnswer       | AwaitRecords    | any byte: MeterAnswered, TransferStarts, then the
//                     |                 | byte is taken as the first of the records reply
//   AwaitAnswer       | Unanswered      | watch tick at kAnswerLimit after the request:
//                     |                 | progress hidden, timers off, port closed, exchange
//                     |                 | None; NoMeterAnswers (the port) with Retry/Cancel
//   (Unanswered -> Settling is Retry: the same port, kind and erase choice, the question
//   not asked again; Unanswered -> Closed is Cancel.)
//   AwaitRecords      | NoData          | byte completing a header with count 0: progress
//                     |                 | hidden, watch off, E sent
//   NoData            | Closed          | kAfterEnd: port closed, NoData shown
//   AwaitRecords      | HandOver        | byte completing count x size bytes after the
//                     |                 | header: watch off
//   HandOver          | Importing       | kHandOverDelay: the transfer goes to the host
//   Importing         | Finishing       | ImportFinished, stored: D sent when erasing was
//                     |                 | asked; or storing failed (never D)
//   Importing         | Closed          | ImportFinished, refused: the refusal shown, port
//                     |                 | closed, exchange None (E not sent)
//   Finishing         | Ending          | kAfterErase after D, else kBeforeEnd: E sent
//   Ending            | Closed          | kAfterEnd: port closed; stored: CheckDone, then
//                     |                 | NoNewData or the new records; storing failed:
//                     |                 | NotSaved (NotSavedNotErased when D was asked)
//   Starting,         | GivenUp         | the command sent on entering (E, H, V, H or G,
//   AwaitModeChange,  |                 | E) is not all written: ended at once instead of
//   AwaitVersion,     |                 | after the silence limit
//   AwaitAnswer,      |                 |
//   AwaitRecords,     |                 |
//   NoData            |                 |
//   AwaitVersion,     | GivenUp         | a byte beyond kReceiveLimit (bytes after a
//   AwaitRecords,     |                 | complete transfer count until the import starts)
//   HandOver          |                 |
//   AwaitRecords      | GivenUp         | watch tick: at watch time >= 15 s with bytes held,
//                     |                 | a length unchanged since the last tick counts an
//                     |                 | error ("Error count : n"), else it is remembered;
//                     |                 | at 10 errors (progress window left showing). With
//                     |                 | nothing held: watch time >= 25 s on the meter's
//                     |                 | recognised port, >= 35 s on any other
//   GivenUp entered: progress hidden (not for a stall), timers off, pending steps cancelled,
//   port closed, exchange None, found flag cleared, NotArriving shown.
//
// A tick is 1 s (kTick), so the pauses of the mode sequence end at the first tick after
// them: E at 0 s, H at 2.3 s, V at 5.3 s after the operator's yes. "Watch time" is measured
// from the first watch tick after the records request, i.e. 1 s after it. A command the
// line does not take in Finishing or Ending closes the port and shows NotArriving, but the
// results are stored: the end report still follows. Nothing is handled once runFlag is
// cleared (the window closes); bytes are taken only in AwaitVersion, AwaitAnswer,
// AwaitRecords and HandOver.
//
// So when the meter stops after 100 bytes of a records reply: the count in the header is not
// met, so nothing is handed over. At watch time 15 s the length 100 is remembered; each of
// the next ten ticks finds it unchanged and counts an error ("Error count : 1" .. 10); at the
// tenth, 25 s of watch time (26 s after the request), the port is closed and the operator is
// told that no data is arriving ("Error count : 10" stays in the progress window). Nothing
// was stored. (The remembered length outlives an exchange: had the previous transfer also
// stalled at exactly 100 bytes, counting would start one tick earlier.)
//
// Running() is true from Starting until the session is back in Closed (NoData, GivenUp and
// Unanswered are no longer running).
//
// Invariants per state (BrokenInvariant() names the first that does not hold; debug builds
// check it after every event, as the pager of SQLite checks its state):
//
//   state                 | mode timer | watch timer | deferred step | exchange
//   Closed                | off        | off         | none          | None or Idle; port closed
//   Settling              | off        | off         | pending*      | None
//   Declined              | off        | off         | none          | None
//   Starting              | off        | off         | pending       | Idle
//   Announce..AskVersion  | on         | off         | none          | Idle
//   AwaitVersion          | off        | on          | none          | Version
//   AwaitAnswer           | off        | on          | none          | records of Kind();
//                         |            |             |               | nothing received
//   AwaitRecords          | off        | on          | none          | records of Kind()
//   NoData                | off        | off         | pending       | Idle
//   HandOver, Importing   | off        | off         | pending/none  | records of Kind()
//   Finishing             | off        | off         | pending       | records of Kind(), or
//                         |            |             |               | None once the line failed
//   Ending                | off        | off         | pending       | Idle, or None once
//                         |            |             |               | the line failed
//   GivenUp, Unanswered   | off        | off         | none          | None; port closed
//   (* or the question is open)
// and in every state: records are awaited with RecordSize() 29 or 30 (30 exactly for
// four-digit meters) for HbA1c and 15 for glucose; the error count never exceeds
// kGiveUpErrorCount; at most kReceiveLimit + 1 bytes are held.
class DownloadSession {
public:
    DownloadSession(ByteChannel& channel, SessionTimers& timers, Clock& clock, Prompter& prompter,
                    SessionHost& host);

    // The "Get data" dialog's OK: opens the port, waits for it to settle, asks the operator
    // and starts the sequence on yes. Returns false when the port could not be opened, or
    // when an import or its end of the exchange is under way (then nothing changes).
    [[nodiscard]] bool Connect(const std::string& portText, const std::string& device,
                               ResultKind kind, bool eraseAfterDownload);

    void OnTimer(int id);
    // One received byte with the reply code the channel chose for it.
    void OnByte(int replyCode, char byte);
    // The code for a byte arriving now (kReplyNone: drop it).
    int CurrentReplyCode() const;
    // The host's import of the transfer handed over is done: the session ends the exchange
    // with the meter (erasing it only when asked and stored) and reports. Ignored unless
    // Importing.
    void ImportFinished(const Expected<ImportSummary>& outcome);
    // New records of the last import.
    int ImportedCount() const { return importedCount_; }

    // From the operator's yes until the exchange is over: no-data, the end of an import,
    // give-up or Cancel.
    bool Running() const;
    // Stops the exchange at once: no further command, timer or deferred step, the port
    // closed, nothing received kept. The meter is never told anything, so it keeps its
    // results. Returns false when there was nothing to stop, or when the transfer is already
    // with the importer (the import and the end of its exchange go on).
    bool Cancel();

    // Cleared when the main window closes: from then on nothing is handled.
    std::atomic<bool> runFlag{true};
    // Set by discovery when it recognised the meter's port.
    std::atomic<bool> foundFlag{false};

    SessionState State() const { return state_; }
    ResultKind Kind() const { return kind_; }
    ExchangeKind Exchange() const { return exchangeKind_.load(); }
    int RecordSize() const { return recordSize_; }
    bool FourDigit() const { return fourDigit_; }
    const std::string& MeterModel() const { return model_; }
    // 1 while the mode sequence runs; otherwise 0 before the first download, -1 after it (or
    // whatever the window set at start-up).
    int DownloadMarker() const;
    void SetDownloadMarker(int marker) { idleMarker_ = marker; }
    int ErrorCount() const { return errorCount_; }
    const std::string& ReceivedText() const { return received_; }
    bool EraseAfterDownload() const { return erase_; }
    // The first invariant above that does not hold, or an empty text.
    std::string BrokenInvariant() const;
    // Whether the transition table allows the move.
    static bool TransitionAllowed(SessionState from, SessionState to);

private:
    friend class DownloadSessionProbe; // tests: a forbidden move is caught

    // The one place the state changes: checks the table, tells the host.
    void TransitionTo(SessionState to);
    void Send(MeterCommand command);
    void StartSequence();
    void ModeTick();
    void WatchTick();
    void GiveUp(bool hideProgress);
    void NoAnswer();
    // Opens the line to `device_`; on failure the session is closed and the operator told why.
    bool OpenLine();
    void MeterAnswered();
    void HandleVersionByte();
    void HandleRecordsByte();
    void RequestRecords();
    void StartTimer(int id);
    void KillTimer(int id);
    // One deferred step at a time; what it does depends on the state when it falls due.
    void ScheduleStep(std::chrono::milliseconds delay);
    void CancelPendingStep();
    void StepDue();
    void EndExchange(); // Ending's step
    void CheckInvariants() const;

    ByteChannel& channel_;
    SessionTimers& timers_;
    Clock& clock_;
    Prompter& prompter_;
    SessionHost& host_;

    SessionState state_ = SessionState::Closed;
    ResultKind kind_ = ResultKind::HbA1c;
    bool erase_ = false;
    std::string chosenPort_;
    std::string device_;
    bool retrying_ = false; // Settling after Retry: the operator's yes still holds
    bool heard_ = false;    // a byte came from the port since E
    std::int64_t answerDeadline_ = 0;
    std::atomic<ExchangeKind> exchangeKind_{ExchangeKind::None};
    int recordSize_ = 43;
    bool fourDigit_ = false;
    std::string model_; // letters and digits only: it goes into the laboratory messages
    std::string received_;
    int idleMarker_ = 0;
    std::int64_t modeStamp_ = 0;
    bool modeTimerOn_ = false;
    bool watchTimerOn_ = false;
    bool watchStarted_ = false;
    std::int64_t watchStart_ = 0;
    std::size_t lastLengthSeen_ = 0;
    int errorCount_ = 0;
    int importedCount_ = 0;
    int lastReportedRecords_ = -1;
    bool asking_ = false; // the question of Settling is open
    bool stepPending_ = false;
    bool lineFailed_ = false; // a command after the import did not go out
    Transfer transfer_;       // complete, from HandOver on
    std::optional<Expected<ImportSummary>> importOutcome_;
    // Bumped whenever a pending step is cancelled, so the step of an older one does nothing.
    unsigned generation_ = 0;
};

} // namespace qa
