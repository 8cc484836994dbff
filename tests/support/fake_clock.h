#pragma once

#include "device/clock.h"

#include <vector>

namespace qa::test {

// A clock that only moves when told to; sleeping advances it at once and is recorded, so
// a test can check the pauses a sequence asked for without waiting for them.
class FakeClock : public Clock {
public:
    std::int64_t NowMs() const override { return now_; }
    void SleepMs(std::int64_t ms) override {
        sleeps.push_back(ms);
        now_ += ms;
    }
    void Advance(std::int64_t ms) { now_ += ms; }

    std::vector<std::int64_t> sleeps;

private:
    std::int64_t now_ = 1'000'000;
};

} // namespace qa::test
