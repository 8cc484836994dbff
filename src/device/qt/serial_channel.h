#pragma once

#include "device/byte_channel.h"

#include <QObject>
#include <QSerialPort>

#include <functional>
#include <string>
#include <vector>

namespace qa {

// The line to the meter over QSerialPort: 9600 8N1, no flow control. Received bytes are
// handed on one at a time and in order, each with the reply code the session chose for it;
// bytes nobody waits for are dropped, and a zero byte arrives as a blank.
class SerialChannel : public QObject, public ByteChannel {
    Q_OBJECT
public:
    using ReplyCodeFn = std::function<int()>;
    using DeliverFn = std::function<void(int replyCode, char byte)>;

    SerialChannel(ReplyCodeFn replyCode, DeliverFn deliver, QObject* parent = nullptr);
    ~SerialChannel() override;

    Status Open(const std::string& device) override;
    void Close() override;
    bool IsOpen() const override;
    [[nodiscard]] std::size_t Write(const char* data, std::size_t size) override;

    // The operator's sentence for the last port error (for example the device unplugged),
    // with Qt's words in brackets; success when none since the last Open.
    Status LineStatus() const override {
        return lastError_.empty() ? Status() : Status(Message::Verbatim(lastError_));
    }

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    ReplyCodeFn replyCode_;
    DeliverFn deliver_;
    std::string lastError_;
};

// The operator's message for a port that could not be opened: "error code - " with the
// system's code, and for a refused permission, how to get access on this system: first the
// udev rule when `installedRule` names it, then the dialout group.
std::string OpenFailureText(const std::string& device, int systemCode,
                            const std::string& installedRule);
// The same, looking for the installed rule itself.
std::string OpenFailureText(const std::string& device, int systemCode);

// Where udev reads rules from, with the folder this build installs its rule into first.
std::vector<std::string> UdevRuleCandidates();
// The first of `candidates` that exists, or empty.
std::string InstalledUdevRule(const std::vector<std::string>& candidates);

} // namespace qa
