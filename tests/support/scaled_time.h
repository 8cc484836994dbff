#pragma once

#include "device/byte_channel.h"
#include "device/clock.h"
#include "device/qt/qt_session_timers.h"

#include <chrono>
#include <thread>

namespace qa::test {

// Real time running `factor` times faster: the session's seconds-long pauses and time-outs
// pass in a fraction of the time while the bytes still travel over a real pseudo-terminal.
class ScaledClock : public Clock {
public:
    explicit ScaledClock(int factor) : factor_(factor) {}
    std::int64_t NowMs() const override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() *
               factor_;
    }
    void SleepMs(std::int64_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms / factor_));
    }

private:
    int factor_;
};

class ScaledTimers : public SessionTimers {
public:
    ScaledTimers(SessionTimers& inner, int factor) : inner_(inner), factor_(factor) {}
    void Start(int id, int intervalMs) override { inner_.Start(id, intervalMs / factor_); }
    void Kill(int id) override { inner_.Kill(id); }
    void RunAfter(int delayMs, std::function<void()> step) override {
        inner_.RunAfter(delayMs / factor_, std::move(step));
    }

private:
    SessionTimers& inner_;
    int factor_;
};

} // namespace qa::test
