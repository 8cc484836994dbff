#include "device/download_session.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace qa {

namespace {

// The channel's reason for a failure: a text it has already put into the operator's language
// (the port's system code and what to do), shown under the session's own message; empty when
// it gave none.
std::string ChannelReason(const Status& status) {
    if (status || status.error().id != MessageId::Verbatim || status.error().args.empty()) {
        return {};
    }
    return status.error().args.front();
}

using S = SessionState;

int Ms(std::chrono::milliseconds duration) {
    return static_cast<int>(duration.count());
}

// Reads like atoi: leading blanks skipped, stops at the first non-digit.
int LeadingNumber(const std::string& text, std::size_t from, std::size_t width) {
    std::string field = text.substr(from, width);
    return std::atoi(field.c_str());
}

bool InModeSequence(SessionState state) {
    return state == S::Announce || state == S::SendModeChange || state == S::AwaitModeChange ||
           state == S::AwaitCommand || state == S::AskVersion;
}

// While the import writes or its exchange ends, nothing breaks in.
bool Interruptible(SessionState state) {
    return state != S::Importing && state != S::Finishing && state != S::Ending;
}

bool IsRunning(SessionState state) {
    switch (state) {
    case S::Closed:
    case S::Settling:
    case S::Declined:
    case S::NoData:
    case S::GivenUp:
    case S::Unanswered:
        return false;
    default:
        return true;
    }
}

// The table of the class comment, row by row.
struct Move {
    SessionState from;
    SessionState to;
};
constexpr Move kMoves[] = {
    {S::Settling, S::Declined},
    {S::Settling, S::Starting},
    {S::Starting, S::Announce},
    {S::Announce, S::SendModeChange},
    {S::SendModeChange, S::AwaitModeChange},
    {S::AwaitModeChange, S::AwaitCommand},
    {S::AwaitCommand, S::AskVersion},
    {S::AskVersion, S::AwaitVersion},
    {S::AwaitVersion, S::AwaitRecords},
    {S::AwaitVersion, S::AwaitAnswer},
    {S::AwaitAnswer, S::AwaitRecords},
    {S::AwaitAnswer, S::Unanswered},
    {S::AwaitRecords, S::NoData},
    {S::NoData, S::Closed},
    {S::AwaitRecords, S::HandOver},
    {S::HandOver, S::Importing},
    {S::Importing, S::Finishing},
    {S::Importing, S::Closed},
    {S::Finishing, S::Ending},
    {S::Ending, S::Closed},
    {S::Starting, S::GivenUp},
    {S::AwaitModeChange, S::GivenUp},
    {S::AwaitVersion, S::GivenUp},
    {S::AwaitAnswer, S::GivenUp},
    {S::AwaitRecords, S::GivenUp},
    {S::HandOver, S::GivenUp},
    {S::NoData, S::GivenUp},
};

} // namespace

char CommandLetter(MeterCommand command) {
    switch (command) {
    case MeterCommand::End:
        return 'E';
    case MeterCommand::ModeChange:
    case MeterCommand::HbA1cRecords:
        return 'H';
    case MeterCommand::Version:
        return 'V';
    case MeterCommand::GlucoseRecords:
        return 'G';
    case MeterCommand::Erase:
        return 'D';
    }
    return '?';
}

const char* StateName(SessionState state) {
    static constexpr std::array<const char*, kSessionStateCount> names = {
        "Closed",         "Settling",        "Declined",     "Starting",   "Announce",
        "SendModeChange", "AwaitModeChange", "AwaitCommand", "AskVersion", "AwaitVersion",
        "AwaitAnswer",    "AwaitRecords",    "NoData",       "HandOver",   "Importing",
        "Finishing",      "Ending",          "GivenUp",      "Unanswered"};
    const auto index = static_cast<std::size_t>(state);
    return index < names.size() ? names[index] : "?";
}

bool DownloadSession::TransitionAllowed(SessionState from, SessionState to) {
    if (Interruptible(from) && (to == S::Settling || to == S::Closed)) {
        return from != to;
    }
    return std::any_of(std::begin(kMoves), std::end(kMoves),
                       [&](const Move& move) { return move.from == from && move.to == to; });
}

DownloadSession::DownloadSession(ByteChannel& channel, SessionTimers& timers, Clock& clock,
                                 Prompter& prompter, SessionHost& host)
    : channel_(channel), timers_(timers), clock_(clock), prompter_(prompter), host_(host) {}

void DownloadSession::TransitionTo(SessionState to) {
    const SessionState from = state_;
    if (from == to) {
        return;
    }
    if (!TransitionAllowed(from, to)) {
        std::fprintf(stderr, "download session: forbidden transition %s -> %s\n", StateName(from),
                     StateName(to));
        assert(!"forbidden transition of the download session");
    }
    state_ = to;
    if (InModeSequence(from) && !InModeSequence(to)) {
        idleMarker_ = -1;
    }
    if (IsRunning(from) != IsRunning(to)) {
        host_.SessionRunning(IsRunning(to));
    }
    host_.StateChanged(from, to);
}

bool DownloadSession::Running() const {
    return IsRunning(state_);
}

int DownloadSession::DownloadMarker() const {
    return InModeSequence(state_) ? 1 : idleMarker_;
}

bool DownloadSession::Connect(const std::string& portText, const std::string& device,
                              ResultKind kind, bool eraseAfterDownload) {
    if (!Interruptible(state_)) {
        return false; // the window offers no download then; nothing may close the port now
    }
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    // A new download ends whatever the previous one was still doing: its timers would
    // otherwise tick into this exchange and end it with a time-out of their own.
    CancelPendingStep();
    KillTimer(kModeTimerId);
    KillTimer(kWatchTimerId);
    exchangeKind_ = ExchangeKind::None;
    chosenPort_ = portText;
    device_ = device;
    retrying_ = false;
    kind_ = kind;
    erase_ = eraseAfterDownload;
    if (!OpenLine()) {
        CheckInvariants();
        return false;
    }
    TransitionTo(S::Settling);
    // The adapter needs a moment after opening before the meter hears anything.
    ScheduleStep(kPortSettle);
    CheckInvariants();
    return true;
}

void DownloadSession::ScheduleStep(std::chrono::milliseconds delay) {
    const unsigned generation = ++generation_;
    stepPending_ = true;
    timers_.RunAfter(Ms(delay), [this, generation] {
        if (generation != generation_ || !runFlag) {
            return;
        }
        stepPending_ = false;
        StepDue();
        CheckInvariants();
    });
}

void DownloadSession::CancelPendingStep() {
    ++generation_;
    stepPending_ = false;
}

void DownloadSession::StepDue() {
    switch (state_) {
    case S::Settling: {
        if (!channel_.IsOpen()) {
            TransitionTo(S::Closed); // the adapter went away while settling
            return;
        }
        if (retrying_) {
            // Retry after no meter answered: the operator already said yes to this download.
            retrying_ = false;
            StartSequence();
            return;
        }
        Message question(kind_ == ResultKind::HbA1c ? MessageId::AskReceiveHbA1c
                                                    : MessageId::AskReceiveGlucose,
                         {chosenPort_});
        asking_ = true;
        const bool yes = prompter_.Confirm(question, kMeterCaption);
        asking_ = false;
        if (state_ != S::Settling) {
            return; // something else ended this exchange while the question was open
        }
        if (!yes) {
            TransitionTo(S::Declined); // the port stays open until the next download or the end
            return;
        }
        recordSize_ = kind_ == ResultKind::HbA1c ? 29 : 15;
        StartSequence();
        return;
    }
    case S::Starting:
        TransitionTo(S::Announce);
        StartTimer(kModeTimerId);
        return;
    case S::NoData:
        if (channel_.IsOpen()) {
            channel_.Close();
        }
        TransitionTo(S::Closed);
        prompter_.Inform(kNoDataText, kMeterCaption);
        return;
    case S::HandOver:
        TransitionTo(S::Importing);
        host_.StartImport(transfer_);
        return;
    case S::Finishing:
        TransitionTo(S::Ending);
        Send(MeterCommand::End);
        ScheduleStep(kAfterEnd);
        return;
    case S::Ending:
        EndExchange();
        return;
    default:
        return; // no step is scheduled in the other states
    }
}

void DownloadSession::StartSequence() {
    importedCount_ = 0;
    lastReportedRecords_ = -1;
    lineFailed_ = false;
    importOutcome_.reset();
    heard_ = false;
    TransitionTo(S::Starting);
    host_.SetProgressText(kWaitingText);
    Send(MeterCommand::End);
    if (state_ == S::Starting) {
        ScheduleStep(kAfterEnd);
    }
}

int DownloadSession::CurrentReplyCode() const {
    switch (exchangeKind_.load()) {
    case ExchangeKind::Version:
        return kReplyVersion;
    case ExchangeKind::HbA1c:
    case ExchangeKind::Glucose:
        return kind_ == ResultKind::HbA1c ? kReplyHbA1c : kReplyGlucose;
    case ExchangeKind::None:
    case ExchangeKind::Idle:
        break;
    }
    return kReplyNone;
}

void DownloadSession::Send(MeterCommand command) {
    if (!runFlag) {
        return;
    }
    received_.clear();
    switch (command) {
    case MeterCommand::ModeChange:
        exchangeKind_ = ExchangeKind::Idle;
        host_.SetProgressText(MessageId::ModeChange);
        break;
    case MeterCommand::End:
        // E ends whatever the meter was sending: nothing is awaited, so nothing is watched.
        exchangeKind_ = ExchangeKind::Idle;
        KillTimer(kWatchTimerId);
        break;
    case MeterCommand::HbA1cRecords:
    case MeterCommand::GlucoseRecords:
        exchangeKind_ =
            command == MeterCommand::HbA1cRecords ? ExchangeKind::HbA1c : ExchangeKind::Glucose;
        errorCount_ = 0;
        watchStarted_ = false;
        // Only a meter that has answered is said to be sending.
        host_.SetProgressText(heard_ ? MessageId::TransferStarts : MessageId::AwaitingAnswer);
        break;
    case MeterCommand::Version:
        exchangeKind_ = ExchangeKind::Version;
        fourDigit_ = false;
        model_.clear();
        break;
    case MeterCommand::Erase:
        break;
    }
    const char bytes[5] = {'S', ' ', CommandLetter(command), '\n', '\r'};
    const bool wasOpen = channel_.IsOpen();
    const std::size_t written = channel_.Write(bytes, sizeof bytes);
    if (command == MeterCommand::HbA1cRecords || command == MeterCommand::GlucoseRecords ||
        command == MeterCommand::Version) {
        StartTimer(kWatchTimerId);
    }
    // A command the meter never got cannot be answered: say so now rather than after the
    // silence limit. A closed port is no exchange at all, so there is nothing to end there.
    if (wasOpen && written != sizeof bytes) {
        GiveUp(true);
    }
}

bool DownloadSession::Cancel() {
    if (!Interruptible(state_)) {
        return false; // the results are being stored: the import decides, not the operator
    }
    const bool wasActive = Running() || channel_.IsOpen();
    // Every deferred step and tick checks the generation or the state: none acts after this.
    CancelPendingStep();
    KillTimer(kModeTimerId);
    KillTimer(kWatchTimerId);
    idleMarker_ = -1;
    exchangeKind_ = ExchangeKind::None;
    received_.clear();
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    TransitionTo(S::Closed);
    CheckInvariants();
    return wasActive;
}

void DownloadSession::ImportFinished(const Expected<ImportSummary>& outcome) {
    if (!runFlag || state_ != S::Importing) {
        return;
    }
    importOutcome_ = outcome;
    if (outcome.ok() || IsStoreFailure(outcome.error())) {
        // Erasing the meter's results is only safe once they are committed here.
        const bool erase = erase_ && outcome.ok();
        importedCount_ = outcome.ok() ? outcome->stored : 0;
        TransitionTo(S::Finishing);
        if (erase) {
            Send(MeterCommand::Erase);
        }
        ScheduleStep(erase ? kAfterErase : kBeforeEnd);
    } else {
        // Refused before anything was stored: the meter is told nothing and keeps its results.
        prompter_.Inform(outcome.error(), MessageId::CaptionProgram, Prompter::Severity::Error);
        if (channel_.IsOpen()) {
            channel_.Close();
        }
        exchangeKind_ = ExchangeKind::None;
        TransitionTo(S::Closed);
        host_.ImportEnded(outcome);
    }
    CheckInvariants();
}

void DownloadSession::EndExchange() {
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    const Expected<ImportSummary> outcome = importOutcome_.value_or(Expected<ImportSummary>(
        Message(MessageId::NotSaved, {std::string("the import gave no outcome")})));
    if (outcome.ok()) {
        host_.SetProgressText(kCheckDoneText);
        TransitionTo(S::Closed);
        if (importedCount_ > 0) {
            host_.ShowNewRecords(importedCount_);
        } else {
            host_.SetProgressText(kNoNewDataText);
        }
    } else {
        const std::string reason = outcome.error().args.empty() ? "" : outcome.error().args[0];
        prompter_.Inform(
            Message(erase_ ? MessageId::NotSavedNotErased : MessageId::NotSaved, {reason}),
            kImportCaption, Prompter::Severity::Error);
        TransitionTo(S::Closed);
    }
    host_.ImportEnded(outcome);
}

void DownloadSession::StartTimer(int id) {
    timers_.Start(id, Ms(kTick));
    (id == kModeTimerId ? modeTimerOn_ : watchTimerOn_) = true;
}

void DownloadSession::KillTimer(int id) {
    timers_.Kill(id);
    (id == kModeTimerId ? modeTimerOn_ : watchTimerOn_) = false;
}

void DownloadSession::OnTimer(int id) {
    if (!runFlag) {
        return;
    }
    if (id == kModeTimerId) {
        ModeTick();
    } else if (id == kWatchTimerId) {
        WatchTick();
    }
    CheckInvariants();
}

void DownloadSession::ModeTick() {
    // Differences in unsigned 32 bits, as a tick counter would give them.
    auto reached = [this](std::chrono::milliseconds pause) {
        std::uint32_t since =
            static_cast<std::uint32_t>(clock_.NowMs()) - static_cast<std::uint32_t>(modeStamp_);
        return since >= static_cast<std::uint32_t>(pause.count());
    };
    switch (state_) {
    case S::Announce:
        host_.SetProgressText(kWaitingText);
        modeStamp_ = clock_.NowMs();
        TransitionTo(S::SendModeChange);
        break;
    case S::SendModeChange:
        if (reached(kModeChangeDelay)) {
            host_.SetProgressText(MessageId::ModeChangeCommand);
            modeStamp_ = clock_.NowMs();
            TransitionTo(S::AwaitModeChange);
            Send(MeterCommand::ModeChange);
        }
        break;
    case S::AwaitModeChange:
        if (reached(kModeChangeDelay)) {
            host_.SetProgressText(MessageId::ModeChangeDone);
            TransitionTo(S::AwaitCommand);
        }
        break;
    case S::AwaitCommand:
        if (reached(kCommandDelay)) {
            host_.SetProgressText(MessageId::CommandSent);
            TransitionTo(S::AskVersion);
        }
        break;
    case S::AskVersion:
        KillTimer(kModeTimerId);
        received_.clear();
        TransitionTo(S::AwaitVersion);
        Send(MeterCommand::Version);
        break;
    default:
        break; // a tick left over from a sequence that ended
    }
}

void DownloadSession::RequestRecords() {
    if (heard_) {
        TransitionTo(S::AwaitRecords);
    } else {
        // Meters without a version reply answer H or G; nothing at all means no meter.
        answerDeadline_ = clock_.NowMs() + kAnswerLimit.count();
        TransitionTo(S::AwaitAnswer);
    }
    Send(kind_ == ResultKind::HbA1c ? MeterCommand::HbA1cRecords : MeterCommand::GlucoseRecords);
}

void DownloadSession::MeterAnswered() {
    if (heard_) {
        return;
    }
    heard_ = true;
    host_.SetProgressText(Message(MessageId::MeterAnswered, {chosenPort_}));
}

void DownloadSession::OnByte(int replyCode, char byte) {
    // A byte nothing awaits is dropped here as well as by the channel, so no caller can fill
    // the buffer of an exchange that is over.
    // Bytes after a complete transfer count towards the receive limit until the import
    // starts; from then on the transfer is the importer's and the line is not listened to.
    if (!runFlag || replyCode == kReplyNone ||
        (state_ != S::AwaitVersion && state_ != S::AwaitAnswer && state_ != S::AwaitRecords &&
         state_ != S::HandOver)) {
        return;
    }
    if (state_ == S::AwaitAnswer) {
        // The first byte of all: the meter is there, and this is its records reply.
        TransitionTo(S::AwaitRecords);
        MeterAnswered();
        host_.SetProgressText(MessageId::TransferStarts);
    } else {
        MeterAnswered();
    }
    received_.push_back(byte);
    if (received_.size() > kReceiveLimit) {
        GiveUp(true);
        CheckInvariants();
        return;
    }
    if (replyCode == kReplyVersion && state_ == S::AwaitVersion) {
        HandleVersionByte();
    } else if ((replyCode == kReplyHbA1c || replyCode == kReplyGlucose) &&
               state_ != S::AwaitVersion) {
        HandleRecordsByte();
    }
    CheckInvariants();
}

void DownloadSession::HandleVersionByte() {
    if (received_.size() < 10 || received_.compare(0, 2, "SV") != 0) {
        return;
    }
    std::string model = received_.substr(6, 2);
    model_ = std::all_of(model.begin(), model.end(),
                         [](unsigned char c) { return std::isalnum(c) != 0; })
                 ? model
                 : std::string();
    fourDigit_ = model == "EG" || model == "CG";
    if (kind_ == ResultKind::HbA1c) {
        recordSize_ = fourDigit_ ? 30 : 29;
    } else {
        recordSize_ = 15;
    }
    RequestRecords();
}

void DownloadSession::HandleRecordsByte() {
    host_.SetProgressText(received_.size() % 4 == 0 ? MessageId::ReceivingA
                                                    : MessageId::ReceivingB);
    std::size_t needed = kind_ == ResultKind::HbA1c ? 5 : 7;
    if (received_[0] != 'S' || received_.size() < needed) {
        return;
    }
    int count = LeadingNumber(received_, 2, 3);
    if (count == 0) {
        TransitionTo(S::NoData);
        // Hidden as before, but no longer saying "receiving" should it be shown again.
        host_.SetProgressText(kNoDataText);
        host_.HideProgress();
        KillTimer(kWatchTimerId);
        Send(MeterCommand::End);
        if (state_ == S::NoData) {
            ScheduleStep(kAfterEnd);
        }
        return;
    }
    std::size_t payloadSize = received_.size() > 7 ? received_.size() - 7 : 0;
    if (count > 0 && recordSize_ > 0) {
        const int records = static_cast<int>(std::min<std::size_t>(
            payloadSize / static_cast<std::size_t>(recordSize_), static_cast<std::size_t>(count)));
        if (records != lastReportedRecords_) {
            lastReportedRecords_ = records;
            host_.TransferProgress(records, count);
        }
    }
    if (count > 0 && payloadSize == static_cast<std::size_t>(count) * recordSize_ &&
        state_ == S::AwaitRecords) {
        KillTimer(kWatchTimerId);
        transfer_ = Transfer{};
        transfer_.payload = received_.substr(7);
        transfer_.recordCount = count;
        transfer_.recordSize = recordSize_;
        transfer_.fourDigitValues = fourDigit_;
        transfer_.kind = kind_;
        transfer_.eraseAfterDownload = erase_;
        transfer_.meterModel = model_;
        TransitionTo(S::HandOver);
        ScheduleStep(kHandOverDelay);
    }
}

void DownloadSession::WatchTick() {
    if (state_ == S::AwaitAnswer) {
        if (clock_.NowMs() >= answerDeadline_) {
            NoAnswer();
        }
        return;
    }
    if (state_ != S::AwaitVersion && state_ != S::AwaitRecords) {
        return;
    }
    if (!watchStarted_) {
        watchStarted_ = true;
        watchStart_ = clock_.NowMs();
    }
    if (state_ == S::AwaitVersion) {
        // No version reply: ask for the records with the size set at confirmation.
        RequestRecords();
        return;
    }
    const bool nothing = received_.empty();
    auto watched = [this] { return std::chrono::milliseconds(clock_.NowMs() - watchStart_); };
    // A transfer that stalls part-way is ended the same way whether or not discovery
    // recognised the port; otherwise an unrecognised adapter could wait forever.
    if (watched() >= kStallWatchFrom && !nothing) {
        if (received_.size() == lastLengthSeen_) {
            ++errorCount_;
            host_.SetProgressText(Message(MessageId::ErrorCount, {std::to_string(errorCount_)}));
        } else {
            lastLengthSeen_ = received_.size();
        }
        if (errorCount_ >= kGiveUpErrorCount) {
            GiveUp(false);
            return;
        }
    }
    if (nothing && watched() >= (foundFlag ? kSilentOnMetersPort : kSilentOnOtherPort)) {
        GiveUp(true);
    }
}

void DownloadSession::GiveUp(bool hideProgress) {
    // After the import the results are stored: the exchange still ends with its report.
    const bool afterImport = state_ == S::Finishing || state_ == S::Ending;
    if (afterImport) {
        lineFailed_ = true;
    } else {
        TransitionTo(S::GivenUp);
        CancelPendingStep();
    }
    if (hideProgress) {
        host_.HideProgress();
    }
    foundFlag = false;
    KillTimer(kWatchTimerId);
    KillTimer(kModeTimerId);
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    exchangeKind_ = ExchangeKind::None;
    // A port that reported why (the meter unplugged) says so under the usual message.
    const std::string portError = ChannelReason(channel_.LineStatus());
    prompter_.Inform(portError.empty() ? Message(kNotArrivingText)
                                       : Message(MessageId::NotArrivingBecause, {portError}),
                     kMeterCaption, Prompter::Severity::Error);
}

void DownloadSession::NoAnswer() {
    TransitionTo(S::Unanswered);
    host_.HideProgress();
    KillTimer(kWatchTimerId);
    KillTimer(kModeTimerId);
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    exchangeKind_ = ExchangeKind::None;
    received_.clear();
    CheckInvariants();
    const bool retry =
        prompter_.AskRetry(Message(kNoMeterAnswersText, {chosenPort_}), kMeterCaption);
    if (state_ != S::Unanswered || !runFlag) {
        return; // something else ended or replaced this exchange while the box was open
    }
    if (!retry) {
        TransitionTo(S::Closed);
        return;
    }
    if (!OpenLine()) {
        return;
    }
    retrying_ = true;
    TransitionTo(S::Settling);
    ScheduleStep(kPortSettle);
}

bool DownloadSession::OpenLine() {
    const Status opened = device_.empty() ? Status(kConnectFailedText) : channel_.Open(device_);
    if (opened) {
        return true;
    }
    TransitionTo(S::Closed);
    // One box: what failed, then the system's reason and what to do about it.
    const std::string reason = ChannelReason(opened);
    prompter_.Inform(reason.empty() ? Message(kConnectFailedText)
                                    : Message(MessageId::ConnectFailedBecause, {reason}),
                     kMeterCaption, Prompter::Severity::Error);
    return false;
}

std::string DownloadSession::BrokenInvariant() const {
    const SessionState state = state_;
    const ExchangeKind exchange = exchangeKind_.load();
    const bool awaitingRecords =
        exchange == ExchangeKind::HbA1c || exchange == ExchangeKind::Glucose;
    if (modeTimerOn_ != InModeSequence(state)) {
        return std::string("the mode timer ") + (modeTimerOn_ ? "runs" : "is off") + " in " +
               StateName(state);
    }
    const bool watched =
        state == S::AwaitVersion || state == S::AwaitAnswer || state == S::AwaitRecords;
    if (watchTimerOn_ != watched) {
        return std::string("the watch timer ") + (watchTimerOn_ ? "runs" : "is off") + " in " +
               StateName(state);
    }
    bool stepWanted = false;
    bool stepAllowed = false;
    auto recordsOfKind = [&] {
        return awaitingRecords && (exchange == ExchangeKind::HbA1c) == (kind_ == ResultKind::HbA1c);
    };
    bool exchangeOk = false;
    switch (state) {
    case S::Closed:
        exchangeOk = exchange == ExchangeKind::None || exchange == ExchangeKind::Idle;
        if (channel_.IsOpen()) {
            return "the port is open in Closed";
        }
        break;
    case S::GivenUp:
    case S::Unanswered:
        exchangeOk = exchange == ExchangeKind::None;
        if (channel_.IsOpen()) {
            return std::string("the port is open in ") + StateName(state);
        }
        break;
    case S::Settling:
        exchangeOk = exchange == ExchangeKind::None;
        stepWanted = !asking_;
        stepAllowed = true;
        break;
    case S::Declined:
        exchangeOk = exchange == ExchangeKind::None;
        break;
    case S::Starting:
    case S::NoData:
        exchangeOk = exchange == ExchangeKind::Idle;
        stepWanted = stepAllowed = true;
        break;
    case S::Ending:
        exchangeOk =
            exchange == ExchangeKind::Idle || (lineFailed_ && exchange == ExchangeKind::None);
        stepWanted = stepAllowed = true;
        break;
    case S::Announce:
    case S::SendModeChange:
    case S::AwaitModeChange:
    case S::AwaitCommand:
    case S::AskVersion:
        exchangeOk = exchange == ExchangeKind::Idle;
        break;
    case S::AwaitVersion:
        exchangeOk = exchange == ExchangeKind::Version;
        break;
    case S::AwaitAnswer:
        exchangeOk = recordsOfKind();
        if (!received_.empty()) {
            return "bytes are held in AwaitAnswer";
        }
        break;
    case S::AwaitRecords:
        exchangeOk = recordsOfKind();
        break;
    case S::HandOver:
        exchangeOk = recordsOfKind();
        stepWanted = stepAllowed = true;
        break;
    case S::Importing:
        exchangeOk = recordsOfKind();
        break;
    case S::Finishing:
        exchangeOk = recordsOfKind() || (lineFailed_ && exchange == ExchangeKind::None);
        stepWanted = stepAllowed = true;
        break;
    }
    if (!exchangeOk) {
        return std::string("the exchange does not fit ") + StateName(state);
    }
    if (stepPending_ && !stepAllowed) {
        return std::string("a deferred step is pending in ") + StateName(state);
    }
    if (!stepPending_ && stepWanted) {
        return std::string("no deferred step is pending in ") + StateName(state);
    }
    if (awaitingRecords) {
        if ((exchange == ExchangeKind::HbA1c) != (kind_ == ResultKind::HbA1c)) {
            return "the records awaited are not of the kind chosen";
        }
        const int expectedSize = exchange == ExchangeKind::HbA1c ? (fourDigit_ ? 30 : 29) : 15;
        if (recordSize_ != expectedSize) {
            return "the record size does not fit the kind and the meter";
        }
    }
    if (errorCount_ > kGiveUpErrorCount) {
        return "the error count passed the give-up limit";
    }
    if (received_.size() > kReceiveLimit + 1) {
        return "more bytes held than the receive limit";
    }
    return {};
}

void DownloadSession::CheckInvariants() const {
#ifndef NDEBUG
    if (runFlag) {
        const std::string broken = BrokenInvariant();
        if (!broken.empty()) {
            std::fprintf(stderr, "download session: %s\n", broken.c_str());
            assert(broken.empty());
        }
    }
#endif
}

} // namespace qa
