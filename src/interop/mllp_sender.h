#pragma once

#include "interop/hl7_message.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace qa::interop {

struct MllpEndpoint {
    std::string host;
    int port = 0;
};

// "mllp://host:port" (host may be a bracketed IPv6 address); nothing for anything else.
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
        std::string problem; // why there was no answer
    };

    MllpSender(MllpEndpoint endpoint, std::chrono::milliseconds timeout);
    ~MllpSender();
    MllpSender(const MllpSender&) = delete;
    MllpSender& operator=(const MllpSender&) = delete;

    // Sends and waits at most the time-out for the acknowledgement of `controlId`.
    Reply Send(std::string_view message, std::string_view controlId);
    void Disconnect();

private:
    bool Connect(std::chrono::steady_clock::time_point deadline, std::string& problem);
    bool PeerClosed() const;
    Reply SendOn(std::string_view message, std::string_view controlId,
                 std::chrono::steady_clock::time_point deadline, bool& closedUnanswered);

    MllpEndpoint endpoint_;
    std::chrono::milliseconds timeout_;
    int fd_ = -1;
    std::string buffer_; // bytes received after the last acknowledgement
};

} // namespace qa::interop
