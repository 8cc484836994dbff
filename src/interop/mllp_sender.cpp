#include "interop/mllp_sender.h"

#include "store/system_error.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qa::interop {

namespace {

constexpr char kStartBlock = 0x0b;
constexpr char kEndBlock = 0x1c;
constexpr char kCarriageReturn = 0x0d;
// An acknowledgement is small; a peer that streams more than this is not answering.
constexpr std::size_t kMaxReplyBytes = 1 << 20;

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Waits for `events` on the socket until the deadline; false on time-out or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    while (true) {
        pollfd entry{fd, events, 0};
        int ready = ::poll(&entry, 1, RemainingMs(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

} // namespace

std::optional<MllpEndpoint> ParseMllpDestination(std::string_view text) {
    constexpr std::string_view kScheme = "mllp://";
    constexpr std::string_view kTlsScheme = "mllps://";
    const bool tls = text.substr(0, kTlsScheme.size()) == kTlsScheme;
    if (!tls && text.substr(0, kScheme.size()) != kScheme) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(tls ? kTlsScheme.size() : kScheme.size());
    while (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }
    std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    std::string_view host = rest.substr(0, colon);
    std::string_view port = rest.substr(colon + 1);
    if (host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    int number = 0;
    auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (host.empty() || error != std::errc() || end != port.data() + port.size() || number < 1 ||
        number > 65535) {
        return std::nullopt;
    }
    return MllpEndpoint{std::string(host), number, tls};
}

MllpSender::MllpSender(MllpEndpoint endpoint, std::chrono::milliseconds timeout)
    : endpoint_(std::move(endpoint)), timeout_(timeout) {}

MllpSender::~MllpSender() {
    Disconnect();
}

void MllpSender::Disconnect() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    buffer_.clear();
}

void MllpSender::ClearBuffer() {
    buffer_.clear();
}

std::string MllpSender::Where() const {
    // A bracketed IPv6 address keeps its brackets, so the port stays apart from it.
    const bool v6 = endpoint_.host.find(':') != std::string::npos;
    return (v6 ? "[" + endpoint_.host + "]" : endpoint_.host) + ":" +
           std::to_string(endpoint_.port);
}

Status MllpSender::Connect(Clock::time_point deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(endpoint_.port);
    int status = ::getaddrinfo(endpoint_.host.c_str(), port.c_str(), &hints, &found);
    if (status != 0) {
        return Message(MessageId::LinkHostUnknown, {endpoint_.host, ::gai_strerror(status)});
    }
    Message failure(MessageId::LinkRefused, {Where(), SystemErrorText(EADDRNOTAVAIL)});
    for (addrinfo* address = found; address != nullptr; address = address->ai_next) {
        int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                          address->ai_protocol);
        if (fd < 0) {
            failure = Message(MessageId::LinkRefused, {Where(), SystemErrorText(errno)});
            continue;
        }
        int result = ::connect(fd, address->ai_addr, address->ai_addrlen);
        if (result != 0 && errno == EINPROGRESS && WaitFor(fd, POLLOUT, deadline)) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            result = error == 0 ? 0 : -1;
            errno = error;
        }
        if (result == 0) {
            int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            fd_ = fd;
            break;
        }
        failure = RemainingMs(deadline) == 0
                      ? Message(MessageId::LinkTimedOut, {Where()})
                      : Message(MessageId::LinkRefused, {Where(), SystemErrorText(errno)});
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (fd_ < 0) {
        return failure;
    }
    return {};
}

bool MllpSender::PeerClosed() const {
    // Readable with nothing to read: the receiver closed its side (some close after every
    // acknowledgement). Bytes waiting are a late answer, read with the next one.
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, 0) <= 0) {
        return false;
    }
    if ((entry.revents & (POLLHUP | POLLERR)) != 0) {
        return true;
    }
    char byte = 0;
    const ssize_t count = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

MllpSender::Reply MllpSender::Send(std::string_view message, std::string_view controlId) {
    const Clock::time_point deadline = Clock::now() + timeout_;
    if (Connected() && PeerClosed()) {
        Disconnect(); // a fresh connection for this message
    }
    const bool reused = Connected();
    bool closedUnanswered = false;
    Reply reply = SendOn(message, controlId, deadline, closedUnanswered);
    if (reused && closedUnanswered) {
        // The receiver closed the kept connection as this message went (its close after the
        // last acknowledgement arrived late): once more on a connection of its own. It may
        // get the message twice; the control ID lets it drop the copy.
        reply = SendOn(message, controlId, deadline, closedUnanswered);
    }
    return reply;
}

MllpSender::Reply MllpSender::SendOn(std::string_view message, std::string_view controlId,
                                     Clock::time_point deadline, bool& closedUnanswered) {
    Reply reply;
    closedUnanswered = false;
    if (!Connected()) {
        if (Status connected = Connect(deadline); !connected) {
            reply.status = connected;
            return reply;
        }
    }
    std::string frame;
    frame.reserve(message.size() + 3);
    frame += kStartBlock;
    frame += message;
    frame += kEndBlock;
    frame += kCarriageReturn;
    if (Status written = WriteAll(frame, deadline); !written) {
        reply.status = written;
        closedUnanswered = buffer_.empty();
        Disconnect();
        return reply;
    }
    // Read until one whole acknowledgement block has arrived.
    while (true) {
        std::size_t start = buffer_.find(kStartBlock);
        std::size_t end =
            start == std::string::npos ? std::string::npos : buffer_.find(kEndBlock, start + 1);
        if (end != std::string::npos) {
            std::string block = buffer_.substr(start + 1, end - start - 1);
            // The trailing CR may still be on its way; it carries nothing.
            std::size_t consumed = end + 1;
            if (consumed < buffer_.size() && buffer_[consumed] == kCarriageReturn) {
                ++consumed;
            }
            buffer_.erase(0, consumed);
            reply.ack = ParseAcknowledgement(block);
            if (reply.ack.type != "ACK" || reply.ack.headers != 1 ||
                reply.ack.acknowledgements != 1) {
                // Only an ACK message with one MSA acknowledges: an MSA inside anything else
                // (our own message echoed back), or two that may say different things, is no
                // answer.
                reply.status = Message(MessageId::AckNotAcknowledgement, {Where()});
                Disconnect();
                return reply;
            }
            if (reply.ack.controlId != controlId) {
                // An answer to some earlier message (one whose answer came late) says nothing
                // about this one: keep waiting within the same time-out.
                continue;
            }
            const std::string& code = reply.ack.code;
            if (code == "AA" || code == "CA") {
                reply.outcome = Outcome::Accepted;
            } else if (code == "AE" || code == "AR" || code == "CE" || code == "CR") {
                reply.outcome = Outcome::Refused;
                if (reply.ack.reason.empty()) {
                    reply.ack.reason = code;
                }
            } else {
                reply.status = Message(MessageId::AckUnknownCode, {Where(), code});
                Disconnect();
            }
            return reply;
        }
        if (buffer_.size() > kMaxReplyBytes) {
            reply.status = Message(MessageId::AckNotAcknowledgement, {Where()});
            Disconnect();
            return reply;
        }
        const ReadResult read = ReadSome(buffer_, deadline);
        if (read == ReadResult::TimedOut) {
            reply.status = Message(MessageId::AckTimedOut, {Where()});
            Disconnect();
            return reply;
        }
        if (read == ReadResult::Closed) {
            reply.status = Message(MessageId::AckClosed, {Where()});
            closedUnanswered = buffer_.empty();
            Disconnect();
            return reply;
        }
    }
}

bool MllpSender::Connected() const {
    return fd_ >= 0;
}

Status MllpSender::WriteAll(std::string_view data, Clock::time_point deadline) {
    std::size_t written = 0;
    while (written < data.size()) {
        ssize_t count = ::send(fd_, data.data() + written, data.size() - written, MSG_NOSIGNAL);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            WaitFor(fd_, POLLOUT, deadline)) {
            continue;
        }
        return Message(MessageId::LinkLostSending, {Where()});
    }
    return {};
}

MllpSender::ReadResult MllpSender::ReadSome(std::string& to, Clock::time_point deadline) {
    if (!WaitFor(fd_, POLLIN, deadline)) {
        return ReadResult::TimedOut;
    }
    char chunk[4096];
    ssize_t count = ::recv(fd_, chunk, sizeof chunk, 0);
    if (count > 0) {
        to.append(chunk, static_cast<std::size_t>(count));
        return ReadResult::Read;
    }
    if (count == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
        return ReadResult::Closed;
    }
    return ReadResult::Read; // interrupted: nothing read, wait again
}

} // namespace qa::interop
