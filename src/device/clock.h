#pragma once

#include <chrono>
#include <cstdint>

namespace qa {

// Time as the download logic sees it. Every pause and time-out goes through this, so tests
// drive a whole exchange with a manual clock instead of waiting.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale with an arbitrary origin.
    virtual std::int64_t NowMs() const = 0;
    virtual void SleepMs(std::int64_t ms) = 0;
};

// The real clock: monotonic, so wall-clock changes never shorten or stretch a time-out.
class SteadyClock : public Clock {
public:
    std::int64_t NowMs() const override;
    void SleepMs(std::int64_t ms) override;
};

} // namespace qa
