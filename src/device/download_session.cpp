#include "device/download_session.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace qa {

namespace {

char CommandLetter(int code) {
    switch (code) {
    case kCmdModeChange:
    case kCmdRequestHbA1c:
        return 'H';
    case kCmdRequestGlucose:
        return 'G';
    case kCmdSendE:
        return 'E';
    case kCmdErase:
        return 'D';
    case kCmdVersion:
        return 'V';
    default:
        return 0;
    }
}

int Ms(std::chrono::milliseconds duration) {
    return static_cast<int>(duration.count());
}

// Reads like atoi: leading blanks skipped, stops at the first non-digit.
int LeadingNumber(const std::string& text, std::size_t from, std::size_t width) {
    std::string field = text.substr(from, width);
    return std::atoi(field.c_str());
}

} // namespace

DownloadSession::DownloadSession(ByteChannel& channel, SessionTimers& timers, Clock& clock,
                                 Prompter& prompter, SessionHost& host)
    : channel_(channel), timers_(timers), clock_(clock), prompter_(prompter), host_(host) {}

bool DownloadSession::Connect(const std::string& portText, const std::string& device,
                              ResultKind kind, bool eraseAfterDownload) {
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    // A new download ends whatever the previous one was still doing: its timers would
    // otherwise tick into this exchange and end it with a time-out of their own.
    ++generation_;
    KillTimer(kModeTimerId);
    KillTimer(kWatchTimerId);
    modeStep_ = ModeStep::Off;
    exchangeKind_ = ExchangeKind::None;
    chosenPort_ = portText;
    kind_ = kind;
    erase_ = eraseAfterDownload;
    std::string error;
    if (device.empty() || !channel_.Open(device, error)) {
        // One box: what failed, then the system's reason and what to do about it.
        Message text = error.empty() ? Message(kConnectFailedText)
                                     : Message(MessageId::ConnectFailedBecause, {error});
        prompter_.Inform(text, kMeterCaption, Prompter::Severity::Error);
        CheckInvariants();
        return false;
    }
    // The adapter needs a moment after opening before the meter hears anything.
    unsigned generation = generation_;
    timers_.RunAfter(Ms(kPortSettle), [this, generation] {
        if (generation != generation_ || !runFlag || !channel_.IsOpen()) {
            return;
        }
        Message question(kind_ == ResultKind::HbA1c ? MessageId::AskReceiveHbA1c
                                                    : MessageId::AskReceiveGlucose,
                         {chosenPort_});
        if (!prompter_.Confirm(question, kMeterCaption)) {
            return; // the port stays open until the next download or the end
        }
        recordSize_ = kind_ == ResultKind::HbA1c ? 29 : 15;
        FrameCommand(kCmdStartSequence);
    });
    CheckInvariants();
    return true;
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

void DownloadSession::FrameCommand(int code) {
    switch (code) {
    case kCmdPortsFound:
        host_.PortsFound();
        break;
    case kCmdStartSequence:
        StartSequence();
        break;
    case kCmdModeChange:
    case kCmdRequestHbA1c:
    case kCmdRequestGlucose:
    case kCmdSendE:
    case kCmdErase:
    case kCmdVersion:
        if (runFlag) {
            SendCommand(code);
        }
        break;
    case kCmdClosePort:
        if (channel_.IsOpen()) {
            channel_.Close();
        }
        break;
    case kCmdImportDone:
        SetRunning(false);
        if (importedCount_ > 0) {
            host_.ShowNewRecords(importedCount_);
        } else {
            host_.SetProgressText(kNoNewDataText);
        }
        break;
    default:
        break;
    }
    CheckInvariants();
}

void DownloadSession::SendCommand(int code) {
    received_.clear();
    switch (code) {
    case kCmdModeChange:
        exchangeKind_ = ExchangeKind::Idle;
        host_.SetProgressText(MessageId::ModeChange);
        break;
    case kCmdSendE:
        // E ends whatever the meter was sending: nothing is awaited, so nothing is watched.
        exchangeKind_ = ExchangeKind::Idle;
        KillTimer(kWatchTimerId);
        break;
    case kCmdRequestHbA1c:
    case kCmdRequestGlucose:
        exchangeKind_ = code == kCmdRequestHbA1c ? ExchangeKind::HbA1c : ExchangeKind::Glucose;
        errorCount_ = 0;
        watchStarted_ = false;
        host_.SetProgressText(MessageId::TransferStarts);
        break;
    case kCmdVersion:
        exchangeKind_ = ExchangeKind::Version;
        fourDigit_ = false;
        model_.clear();
        break;
    default:
        break;
    }
    const char bytes[5] = {'S', ' ', CommandLetter(code), '\n', '\r'};
    const bool wasOpen = channel_.IsOpen();
    const std::size_t written = channel_.Write(bytes, sizeof bytes);
    if (code == kCmdRequestHbA1c || code == kCmdRequestGlucose || code == kCmdVersion) {
        StartTimer(kWatchTimerId);
    }
    // A command the meter never got cannot be answered: say so now rather than after the
    // silence limit. A closed port is no exchange at all, so there is nothing to end there.
    if (wasOpen && written != sizeof bytes) {
        GiveUp(true);
    }
}

void DownloadSession::SetRunning(bool running) {
    if (running_ != running) {
        running_ = running;
        host_.SessionRunning(running);
    }
}

bool DownloadSession::Cancel() {
    const bool wasActive = running_ || channel_.IsOpen();
    // Every deferred step and tick checks the generation or the marker: none acts after this.
    ++generation_;
    KillTimer(kModeTimerId);
    KillTimer(kWatchTimerId);
    downloadMarker_ = -1;
    modeStep_ = ModeStep::Off;
    exchangeKind_ = ExchangeKind::None;
    received_.clear();
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    SetRunning(false);
    CheckInvariants();
    return wasActive;
}

void DownloadSession::ImportFailed() {
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    exchangeKind_ = ExchangeKind::None;
    SetRunning(false);
    CheckInvariants();
}

void DownloadSession::StartSequence() {
    SetRunning(true);
    importedCount_ = 0;
    lastReportedRecords_ = -1;
    host_.SetProgressText(kWaitingText);
    FrameCommand(kCmdSendE);
    unsigned generation = ++generation_;
    timers_.RunAfter(Ms(kAfterEnd), [this, generation] {
        if (generation != generation_ || !runFlag) {
            return;
        }
        modeStep_ = ModeStep::Announce;
        downloadMarker_ = 1;
        StartTimer(kModeTimerId);
        CheckInvariants();
    });
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
    if (downloadMarker_ != 1) {
        return;
    }
    // Differences in unsigned 32 bits, as a tick counter would give them.
    auto reached = [this](std::chrono::milliseconds pause) {
        std::uint32_t since =
            static_cast<std::uint32_t>(clock_.NowMs()) - static_cast<std::uint32_t>(modeStamp_);
        return since >= static_cast<std::uint32_t>(pause.count());
    };
    switch (modeStep_) {
    case ModeStep::Announce:
        host_.SetProgressText(kWaitingText);
        modeStamp_ = clock_.NowMs();
        modeStep_ = ModeStep::SendModeChange;
        break;
    case ModeStep::SendModeChange:
        if (reached(kModeChangeDelay)) {
            host_.SetProgressText(MessageId::ModeChangeCommand);
            modeStamp_ = clock_.NowMs();
            modeStep_ = ModeStep::AwaitModeChange;
            FrameCommand(kCmdModeChange);
        }
        break;
    case ModeStep::AwaitModeChange:
        if (reached(kModeChangeDelay)) {
            host_.SetProgressText(MessageId::ModeChangeDone);
            modeStep_ = ModeStep::AwaitCommand;
        }
        break;
    case ModeStep::AwaitCommand:
        if (reached(kCommandDelay)) {
            host_.SetProgressText(MessageId::CommandSent);
            modeStep_ = ModeStep::AskVersion;
        }
        break;
    case ModeStep::AskVersion:
        KillTimer(kModeTimerId);
        downloadMarker_ = -1;
        received_.clear();
        modeStep_ = ModeStep::Off;
        FrameCommand(kCmdVersion);
        break;
    case ModeStep::Off:
        break;
    }
}

void DownloadSession::RequestRecords() {
    FrameCommand(kind_ == ResultKind::HbA1c ? kCmdRequestHbA1c : kCmdRequestGlucose);
}

void DownloadSession::OnByte(int replyCode, char byte) {
    // A byte nothing awaits is dropped here as well as by the channel, so no caller can fill
    // the buffer of an exchange that is over.
    if (!runFlag || replyCode == kReplyNone) {
        return;
    }
    received_.push_back(byte);
    if (received_.size() > kReceiveLimit) {
        GiveUp(true);
        CheckInvariants();
        return;
    }
    if (replyCode == kReplyVersion) {
        if (received_.size() >= 10 && received_.compare(0, 2, "SV") == 0) {
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
    } else if (replyCode == kReplyHbA1c || replyCode == kReplyGlucose) {
        HandleRecordsByte();
    }
    CheckInvariants();
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
        SetRunning(false);
        // Hidden as before, but no longer saying "receiving" should it be shown again.
        host_.SetProgressText(kNoDataText);
        host_.HideProgress();
        KillTimer(kWatchTimerId);
        FrameCommand(kCmdSendE);
        unsigned generation = ++generation_;
        timers_.RunAfter(Ms(kAfterEnd), [this, generation] {
            if (generation != generation_ || !runFlag) {
                return;
            }
            FrameCommand(kCmdClosePort);
            prompter_.Inform(kNoDataText, kMeterCaption);
        });
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
    if (count > 0 && payloadSize == static_cast<std::size_t>(count) * recordSize_) {
        KillTimer(kWatchTimerId);
        Transfer transfer;
        transfer.payload = received_.substr(7);
        transfer.recordCount = count;
        transfer.recordSize = recordSize_;
        transfer.fourDigitValues = fourDigit_;
        transfer.kind = kind_;
        transfer.eraseAfterDownload = erase_;
        transfer.meterModel = model_;
        unsigned generation = ++generation_;
        timers_.RunAfter(Ms(kHandOverDelay), [this, generation, transfer] {
            if (generation != generation_ || !runFlag) {
                return;
            }
            host_.StartImport(transfer);
        });
    }
}

void DownloadSession::WatchTick() {
    if (!watchStarted_) {
        watchStarted_ = true;
        watchStart_ = clock_.NowMs();
    }
    if (exchangeKind_ == ExchangeKind::Version) {
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
    SetRunning(false);
    if (hideProgress) {
        host_.HideProgress();
    }
    foundFlag = false;
    KillTimer(kWatchTimerId);
    KillTimer(kModeTimerId);
    modeStep_ = ModeStep::Off;
    ++generation_;
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    exchangeKind_ = ExchangeKind::None;
    // A port that reported why (the meter unplugged) says so under the usual message.
    const std::string portError = channel_.LastError();
    prompter_.Inform(portError.empty() ? Message(kNotArrivingText)
                                       : Message(MessageId::NotArrivingBecause, {portError}),
                     kMeterCaption, Prompter::Severity::Error);
}

std::string DownloadSession::BrokenInvariant() const {
    if (modeTimerOn_ != (modeStep_ != ModeStep::Off)) {
        return "the mode timer runs without a pending mode step, or a step waits without it";
    }
    const ExchangeKind exchange = exchangeKind_.load();
    const bool awaitingRecords =
        exchange == ExchangeKind::HbA1c || exchange == ExchangeKind::Glucose;
    if (watchTimerOn_ && !awaitingRecords && exchange != ExchangeKind::Version) {
        return "the watch timer runs while nothing is awaited";
    }
    if (awaitingRecords) {
        const bool hba1c = exchange == ExchangeKind::HbA1c;
        if (hba1c != (kind_ == ResultKind::HbA1c)) {
            return "the records awaited are not of the kind chosen";
        }
        const int expectedSize = hba1c ? (fourDigit_ ? 30 : 29) : 15;
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
