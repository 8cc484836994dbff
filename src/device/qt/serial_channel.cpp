#include "device/qt/serial_channel.h"

#include "i18n/message_catalogue.h"
#include "store/system_error.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qa {

namespace {

// QSerialPort reports a category; the operator and support want the system's own code.
// Opening the device once more (non-blocking, no controlling terminal) gives it exactly.
int SystemOpenError(const std::string& device) {
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        // A file or any other device that is not a terminal is no serial port.
        bool terminal = ::isatty(fd) != 0;
        ::close(fd);
        return terminal ? EBUSY : ENOTTY; // openable now: in use, or no port at all
    }
    return errno;
}

} // namespace

std::vector<std::string> UdevRuleCandidates() {
    std::vector<std::string> paths{QA_UDEV_RULE_PATH};
    // The folders udev reads; an administrator may also have copied the rule to /etc.
    for (const char* folder :
         {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
          "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        paths.push_back(std::string(folder) + "/" + QA_UDEV_RULE_FILE);
    }
    return paths;
}

std::string InstalledUdevRule(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            return path;
        }
    }
    return {};
}

// A text of the channel in the operator's language, %1, %2 ... filled in.
std::string Words(const char* source, const std::vector<std::string>& args = {}) {
    return FillArguments(QCoreApplication::translate("qa::SerialChannel", source).toStdString(),
                         args);
}

std::string OpenFailureText(const std::string& device, int systemCode,
                            const std::string& installedRule) {
    // The operator reads a sentence in their language; the system's own words (always
    // English) follow where they add something, and the code in any case for support.
    std::string reason;
    switch (systemCode) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        reason = Words(QT_TRANSLATE_NOOP("qa::SerialChannel",
                                         "there is no such port; check that the meter is "
                                         "plugged in and switched on"));
        break;
    case EACCES:
    case EPERM:
        reason = Words(QT_TRANSLATE_NOOP("qa::SerialChannel", "this user may not use the port"));
        break;
    case EBUSY:
        reason =
            Words(QT_TRANSLATE_NOOP("qa::SerialChannel", "the port is in use by another program"));
        break;
    case ENOTTY:
        // A file or a device that is no terminal: the system's words for that
        // ("Inappropriate ioctl for device") would not tell the operator what is wrong.
        reason = Words(QT_TRANSLATE_NOOP("qa::SerialChannel", "not a serial port"));
        break;
    default:
        reason = Words(QT_TRANSLATE_NOOP("qa::SerialChannel", "the port cannot be opened: %1"),
                       {SystemErrorText(systemCode)});
        break;
    }
    std::string text =
        device + ": " + reason + " (error code - " + std::to_string(systemCode) + ")";
    if (systemCode == EACCES || systemCode == EPERM) {
        std::string group = "dialout";
        struct stat info {};
        if (::stat(device.c_str(), &info) == 0) {
            if (const struct group* g = ::getgrgid(info.st_gid)) {
                group = g->gr_name;
            }
        }
        if (installedRule.empty()) {
            text +=
                "\r\n" + Words(QT_TRANSLATE_NOOP("qa::SerialChannel",
                                                 "Serial ports belong to the group \"%1\": add "
                                                 "this user to it (sudo adduser $USER %1), then "
                                                 "log out and in again, or install a udev rule "
                                                 "that grants access."),
                               {group});
        } else {
            // The rule tags the port when it appears, so a meter that was plugged in before
            // the rule was installed keeps its old permissions until it is plugged in again.
            text += "\r\n" +
                    Words(QT_TRANSLATE_NOOP(
                              "qa::SerialChannel",
                              "The udev rule %1 gives the user logged in at this computer access "
                              "to the meter's port and to Prolific adapters: unplug the meter and "
                              "plug it in again. If that does not help (another adapter, or a user "
                              "not logged in at this computer), add this user to the group \"%2\" "
                              "that the port belongs to (sudo adduser $USER %2), then log out and "
                              "in again."),
                          {installedRule, group});
        }
    }
    return text;
}

std::string OpenFailureText(const std::string& device, int systemCode) {
    if (systemCode != EACCES && systemCode != EPERM) {
        return OpenFailureText(device, systemCode, std::string());
    }
    return OpenFailureText(device, systemCode, InstalledUdevRule(UdevRuleCandidates()));
}

SerialChannel::SerialChannel(ReplyCodeFn replyCode, DeliverFn deliver, QObject* parent)
    : QObject(parent), replyCode_(std::move(replyCode)), deliver_(std::move(deliver)) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialChannel::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialChannel::OnError);
}

SerialChannel::~SerialChannel() {
    Close();
}

Status SerialChannel::Open(const std::string& device) {
    Close();
    lastError_.clear();
    port_.setPortName(QString::fromStdString(device));
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        int code =
            port_.error() == QSerialPort::DeviceNotFoundError ? ENOENT : SystemOpenError(device);
        // Already in the operator's language, from this channel's own texts.
        return Message::Verbatim(OpenFailureText(device, code));
    }
    port_.clear(QSerialPort::AllDirections);
    return {};
}

void SerialChannel::Close() {
    if (port_.isOpen()) {
        port_.close();
    }
}

bool SerialChannel::IsOpen() const {
    return port_.isOpen();
}

std::size_t SerialChannel::Write(const char* data, std::size_t size) {
    if (!port_.isOpen()) {
        return 0;
    }
    qint64 written = port_.write(data, static_cast<qint64>(size));
    // Commands are tiny; push them out now rather than on the next event-loop turn, which
    // may come only after a pause the meter is meant to spend working on them.
    port_.flush();
    return written < 0 ? 0 : static_cast<std::size_t>(written);
}

void SerialChannel::OnReadyRead() {
    QByteArray bytes = port_.readAll();
    for (char byte : bytes) {
        if (!port_.isOpen()) {
            return; // the session ended the exchange on an earlier byte of this batch
        }
        int code = replyCode_();
        if (code == 0) {
            continue;
        }
        deliver_(code, byte == '\0' ? ' ' : byte);
    }
}

void SerialChannel::OnError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError ||
        error == QSerialPort::OpenError || error == QSerialPort::DeviceNotFoundError ||
        error == QSerialPort::PermissionError) {
        return; // open failures are reported by Open itself
    }
    // After a hang-up (meter unplugged) QSerialPort would raise the same error again on
    // every turn of the event loop; closing stops that and lets the watch end the exchange.
    // The operator reads what happened in their language. A port that goes away (a pty
    // closed, a USB adapter pulled) shows up as a resource or a read error, and Qt's words
    // for it then name whatever errno was left over, so they are left out; other errors keep
    // them for support.
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        lastError_ = Words(QT_TRANSLATE_NOOP("qa::SerialChannel",
                                             "The connection to the meter was lost: it was "
                                             "unplugged or switched off."));
        break;
    case QSerialPort::WriteError:
        lastError_ =
            Words(QT_TRANSLATE_NOOP("qa::SerialChannel", "Writing to the meter's port failed.")) +
            " (" + port_.errorString().toStdString() + ")";
        break;
    default:
        lastError_ =
            Words(QT_TRANSLATE_NOOP("qa::SerialChannel", "The meter's port reported an error.")) +
            " (" + port_.errorString().toStdString() + ")";
        break;
    }
    if (port_.isOpen()) {
        port_.close();
    }
}

} // namespace qa
