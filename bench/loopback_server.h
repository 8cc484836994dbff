#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace qa::bench {

// A peer on the loopback interface for the sending benchmarks: it takes one connection at a
// time and hands what arrived so far to `answer`, which takes the whole requests off the
// front of the buffer and returns the replies to send for them.
class LoopbackServer {
public:
    using Answer = std::function<std::string(std::string& received)>;

    explicit LoopbackServer(Answer answer);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }

private:
    void Serve();

    Answer answer_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace qa::bench
