#pragma once

#include "interop/hl7_message.h"
#include "store/status.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace qa::interop {

struct MllpEndpoint {
    std::string host;
    int port = 0;
    bool tls = false; // mllps://
};

// "mllp://host:port" or "mllps://host:port" (MLLP over TLS; host may be a bracketed IPv6
// address); nothing for anything else.
std::optional<MllpEndpoint> ParseMllpDestination(std::string_view text);

// One connection to an MLLP receiver, one message at a time: the message framed as
// 0x0B … 0x1C 0x0D, then the acknowledgement read within the time-out. The connection is made
// when the first message goes and kept for the next; after any failure it is closed, so the
// next message starts on a fresh one.
class MllpSender {
public:
    enum class Outcome {
        Accepted, // AA (or CA)
        Refused,  // AE, AR, CE, CR: the receiver has it and says no
        NoAnswer, // no connection, dropped, timed out, or no acknowledgement of this message
    };
    struct Reply {
        Outcome outcome = Outcome::NoAnswer;
        Acknowledgement ack;
        Status status; // with NoAnswer, why there was none
    };

    MllpSender(MllpEndpoint endpoint, std::chrono::milliseconds timeout);
    virtual ~MllpSender();
    MllpSender(const MllpSender&) = delete;
    MllpSender& operator=(const MllpSender&) = delete;

    // Sends and waits at most the time-out for the acknowledgement of `controlId`.
    Reply Send(std::string_view message, std::string_view controlId);
    virtual void Disconnect();

protected:
    using Clock = std::chrono::steady_clock;
    enum class ReadResult { Read, Closed, TimedOut };
    // The connection itself, a plain TCP socket here; a TLS sender replaces these.
    virtual Status Connect(Clock::time_point deadline);
    virtual bool Connected() const;
    virtual bool PeerClosed() const;
    virtual Status WriteAll(std::string_view data, Clock::time_point deadline);
    // Appends what arrives to `to`, waiting until the deadline for something.
    virtual ReadResult ReadSome(std::string& to, Clock::time_point deadline);
    // Forgets bytes received after the last acknowledgement (with the connection closed).
    void ClearBuffer();
    const MllpEndpoint& Endpoint() const { return endpoint_; }
    // "host:port", as the messages name the receiver.
    std::string Where() const;

private:
    Reply SendOn(std::string_view message, std::string_view controlId,
                 std::chrono::steady_clock::time_point deadline, bool& closedUnanswered);

    MllpEndpoint endpoint_;
    std::chrono::milliseconds timeout_;
    int fd_ = -1;
    std::string buffer_; // bytes received after the last acknowledgement
};

} // namespace qa::interop
