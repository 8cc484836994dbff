#include "device/download_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace qa {

namespace {

constexpr const char* kQuestionHead = " 이 연결되었습니다.";
constexpr const char* kAskHbA1c = "\r\n오르보에이원씨의 HbA1c 결과를 받겠습니까?";
constexpr const char* kAskGlucose = "\r\n오르보에이원씨의 혈당 결과를 받겠습니까?";

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

// Reads like atoi: leading blanks skipped, stops at the first non-digit.
int LeadingNumber(const std::string& text, std::size_t from, std::size_t width) {
    std::string field = text.substr(from, width);
    return std::atoi(field.c_str());
}

} // namespace

DownloadSession::DownloadSession(ByteChannel& channel, SessionTimers& timers, Clock& clock,
                                 Prompter& prompter, SessionHost& host)
    : channel_(channel), timers_(timers), clock_(clock), prompter_(prompter), host_(host) {}

bool DownloadSession::Connect(const std::string& portText, const std::string& device, int itemKind,
                              bool eraseAfterDownload) {
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    ++generation_;
    chosenPort_ = portText;
    itemKind_ = itemKind == 0 ? 0 : 1;
    erase_ = eraseAfterDownload;
    std::string error;
    if (device.empty() || !channel_.Open(device, error)) {
        // One box: what failed, then the system's reason and what to do about it.
        std::string text = kConnectFailedText;
        if (!error.empty()) {
            text += "\r\n\r\n" + error;
        }
        prompter_.Inform(text, kMeterCaption, Prompter::Severity::Error);
        return false;
    }
    // The adapter needs a moment after opening before the meter hears anything.
    unsigned generation = generation_;
    timers_.RunAfter(kSettleMs, [this, generation] {
        if (generation != generation_ || !runFlag || !channel_.IsOpen()) {
            return;
        }
        std::string question =
            chosenPort_ + kQuestionHead + (itemKind_ == 0 ? kAskHbA1c : kAskGlucose);
        if (!prompter_.Confirm(question, kMeterCaption)) {
            return; // the port stays open until the next download or the end
        }
        recordSize_ = itemKind_ == 0 ? 29 : 15;
        FrameCommand(kCmdStartSequence);
    });
    return true;
}

int DownloadSession::CurrentReplyCode() const {
    switch (exchangeKind_.load()) {
    case kExchangeVersion:
        return kReplyVersion;
    case kExchangeHbA1c:
    case kExchangeGlucose:
        return itemKind_ == 0 ? kReplyHbA1c : kReplyGlucose;
    default:
        return kReplyNone;
    }
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
}

void DownloadSession::SendCommand(int code) {
    received_.clear();
    receivedLength_ = 0;
    switch (code) {
    case kCmdModeChange:
        exchangeKind_ = kExchangeIdle;
        host_.SetProgressText("모드 변경");
        break;
    case kCmdSendE:
        exchangeKind_ = kExchangeIdle;
        break;
    case kCmdRequestHbA1c:
    case kCmdRequestGlucose:
        exchangeKind_ = code;
        errorCount_ = 0;
        watchStarted_ = false;
        host_.SetProgressText("데이터 전송이 시작됩니다.");
        break;
    case kCmdVersion:
        exchangeKind_ = kExchangeVersion;
        fourDigit_ = false;
        break;
    default:
        break;
    }
    const char bytes[5] = {'S', ' ', CommandLetter(code), '\n', '\r'};
    channel_.Write(bytes, sizeof bytes);
    if (code == kCmdRequestHbA1c || code == kCmdRequestGlucose || code == kCmdVersion) {
        timers_.Start(kWatchTimerId, kTimerIntervalMs);
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
    timers_.Kill(kModeTimerId);
    timers_.Kill(kWatchTimerId);
    downloadMarker_ = -1;
    modeState_ = 0;
    exchangeKind_ = kExchangeNone;
    received_.clear();
    receivedLength_ = 0;
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    SetRunning(false);
    return wasActive;
}

void DownloadSession::ImportFailed() {
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    exchangeKind_ = kExchangeNone;
    SetRunning(false);
}

void DownloadSession::StartSequence() {
    SetRunning(true);
    importedCount_ = 0;
    lastReportedRecords_ = -1;
    host_.SetProgressText(kWaitingText);
    FrameCommand(kCmdSendE);
    unsigned generation = ++generation_;
    timers_.RunAfter(300, [this, generation] {
        if (generation != generation_ || !runFlag) {
            return;
        }
        modeState_ = 1;
        downloadMarker_ = 1;
        timers_.Start(kModeTimerId, kTimerIntervalMs);
    });
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
}

void DownloadSession::ModeTick() {
    if (downloadMarker_ != 1) {
        return;
    }
    // Differences in unsigned 32 bits, as a tick counter would give them.
    auto since = [this] {
        return static_cast<std::uint32_t>(clock_.NowMs()) - static_cast<std::uint32_t>(modeStamp_);
    };
    switch (modeState_) {
    case 1:
        host_.SetProgressText(kWaitingText);
        modeStamp_ = clock_.NowMs();
        modeState_ = 3;
        break;
    case 3:
        if (since() >= 800) {
            host_.SetProgressText("모드 변경 명령.");
            FrameCommand(kCmdModeChange);
            modeStamp_ = clock_.NowMs();
            modeState_ = 5;
        }
        break;
    case 5:
        if (since() >= 800) {
            host_.SetProgressText("모드 변경 완료.");
            modeState_ = 7;
        }
        break;
    case 7:
        if (since() >= 1500) {
            host_.SetProgressText("명령 전달.");
            modeState_ = 10;
        }
        break;
    case 10:
        timers_.Kill(kModeTimerId);
        downloadMarker_ = -1;
        received_.clear();
        receivedLength_ = 0;
        modeState_ = 0;
        FrameCommand(kCmdVersion);
        break;
    default:
        break;
    }
}

void DownloadSession::OnByte(int replyCode, char byte) {
    if (!runFlag) {
        return;
    }
    received_.push_back(byte);
    ++receivedLength_;
    if (receivedLength_ > kReceiveLimit) {
        GiveUp(true);
        return;
    }
    if (replyCode == kReplyVersion) {
        if (receivedLength_ >= 10 && received_.compare(0, 2, "SV") == 0) {
            std::string model = received_.substr(6, 2);
            fourDigit_ = model == "EG" || model == "CG";
            if (itemKind_ == 0) {
                recordSize_ = fourDigit_ ? 30 : 29;
            } else {
                recordSize_ = 15;
            }
            FrameCommand(itemKind_ == 0 ? kCmdRequestHbA1c : kCmdRequestGlucose);
        }
    } else if (replyCode == kReplyHbA1c || replyCode == kReplyGlucose) {
        HandleRecordsByte();
    }
}

void DownloadSession::HandleRecordsByte() {
    host_.SetProgressText(receivedLength_ % 4 == 0 ? "받는 중 ...***." : "받는 중 ..*.");
    std::size_t needed = itemKind_ == 0 ? 5 : 7;
    if (received_[0] != 'S' || received_.size() < needed) {
        return;
    }
    int count = LeadingNumber(received_, 2, 3);
    if (count == 0) {
        SetRunning(false);
        host_.HideProgress();
        timers_.Kill(kWatchTimerId);
        FrameCommand(kCmdSendE);
        unsigned generation = ++generation_;
        timers_.RunAfter(300, [this, generation] {
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
        const int records = static_cast<int>(
            std::min<std::size_t>(payloadSize / static_cast<std::size_t>(recordSize_),
                                  static_cast<std::size_t>(count)));
        if (records != lastReportedRecords_) {
            lastReportedRecords_ = records;
            host_.TransferProgress(records, count);
        }
    }
    if (count > 0 && payloadSize == static_cast<std::size_t>(count) * recordSize_) {
        timers_.Kill(kWatchTimerId);
        Transfer transfer;
        transfer.payload = received_.substr(7);
        transfer.recordCount = count;
        transfer.recordSize = recordSize_;
        transfer.fourDigitValues = fourDigit_;
        transfer.kind = itemKind_ == 0 ? ResultKind::HbA1c : ResultKind::Glucose;
        transfer.eraseAfterDownload = erase_;
        unsigned generation = ++generation_;
        timers_.RunAfter(50, [this, generation, transfer] {
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
    if (exchangeKind_ == kExchangeVersion) {
        // No version reply: ask for the records with the size set at confirmation.
        FrameCommand(itemKind_ == 0 ? kCmdRequestHbA1c : kCmdRequestGlucose);
        return;
    }
    bool nothing = received_.empty() || receivedLength_ == 0;
    std::int64_t elapsed = clock_.NowMs() - watchStart_;
    // A transfer that stalls part-way is ended the same way whether or not discovery
    // recognised the port; otherwise an unrecognised adapter could wait forever.
    if (elapsed >= 15000 && !nothing) {
        if (receivedLength_ == lastLengthSeen_) {
            ++errorCount_;
            char text[32];
            std::snprintf(text, sizeof text, "Error count : %d", errorCount_);
            host_.SetProgressText(text);
        } else {
            lastLengthSeen_ = receivedLength_;
        }
        if (errorCount_ >= kGiveUpErrorCount) {
            GiveUp(false);
            return;
        }
    }
    elapsed = clock_.NowMs() - watchStart_;
    if (elapsed >= 25000 && foundFlag && nothing) {
        GiveUp(true);
    } else if (elapsed >= 35000 && !foundFlag && nothing) {
        GiveUp(true);
    }
}

void DownloadSession::GiveUp(bool hideProgress) {
    SetRunning(false);
    if (hideProgress) {
        host_.HideProgress();
    }
    foundFlag = false;
    timers_.Kill(kWatchTimerId);
    ++generation_;
    if (channel_.IsOpen()) {
        channel_.Close();
    }
    exchangeKind_ = kExchangeNone;
    prompter_.Inform(kNotArrivingText, kMeterCaption, Prompter::Severity::Error);
}

} // namespace qa
