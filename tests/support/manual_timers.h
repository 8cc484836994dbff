#pragma once

#include "device/byte_channel.h"
#include "fake_clock.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qa::test {

// Session timers driven by a FakeClock: Advance() moves time forward and fires every tick
// and deferred step that falls due, in time order, so a test walks through a whole download
// in microseconds of real time.
class ManualTimers : public SessionTimers {
public:
    explicit ManualTimers(FakeClock& clock) : clock_(clock) {}

    std::function<void(int)> onTick;

    void Start(int id, int intervalMs) override {
        periodic_[id] = {intervalMs, clock_.NowMs() + intervalMs};
    }
    void Kill(int id) override { periodic_.erase(id); }
    void RunAfter(int delayMs, std::function<void()> step) override {
        oneShots_.push_back({clock_.NowMs() + delayMs, std::move(step)});
    }
    bool Running(int id) const { return periodic_.count(id) != 0; }
    std::size_t PendingSteps() const { return oneShots_.size(); }

    void Advance(std::int64_t ms) {
        std::int64_t target = clock_.NowMs() + ms;
        for (;;) {
            // The earliest deferred step (first scheduled on a tie) and the earliest tick.
            auto shot = oneShots_.end();
            for (auto it = oneShots_.begin(); it != oneShots_.end(); ++it) {
                if (shot == oneShots_.end() || it->due < shot->due) {
                    shot = it;
                }
            }
            auto tick = periodic_.end();
            for (auto it = periodic_.begin(); it != periodic_.end(); ++it) {
                if (tick == periodic_.end() || it->second.next < tick->second.next) {
                    tick = it;
                }
            }
            bool takeShot = shot != oneShots_.end() &&
                            (tick == periodic_.end() || shot->due <= tick->second.next);
            std::int64_t due = takeShot                  ? shot->due
                               : tick != periodic_.end() ? tick->second.next
                                                         : target + 1;
            if (due > target) {
                break;
            }
            clock_.Advance(due - clock_.NowMs());
            if (takeShot) {
                auto step = std::move(shot->step);
                oneShots_.erase(shot);
                step();
            } else {
                int id = tick->first;
                tick->second.next += tick->second.interval;
                if (onTick) {
                    onTick(id);
                }
            }
        }
        clock_.Advance(target - clock_.NowMs());
    }

private:
    struct Periodic {
        int interval;
        std::int64_t next;
    };
    struct OneShot {
        std::int64_t due;
        std::function<void()> step;
    };
    FakeClock& clock_;
    std::map<int, Periodic> periodic_;
    std::vector<OneShot> oneShots_;
};

// A channel that records what the session wrote and whether the port is open.
class FakeChannel : public ByteChannel {
public:
    Status Open(const std::string& device) override {
        opened.push_back(device);
        if (failOpen) {
            return Message::Verbatim("error code - 2");
        }
        open = true;
        return {};
    }
    void Close() override {
        open = false;
        ++closes;
    }
    bool IsOpen() const override { return open; }
    std::size_t Write(const char* data, std::size_t size) override {
        if (!open) {
            return 0;
        }
        if (failWrites) {
            return size / 2; // a line that takes part of a command, then nothing
        }
        written.emplace_back(data, size);
        return size;
    }
    // The command letters written so far, e.g. "EHVH".
    std::string Letters() const {
        std::string letters;
        for (const auto& w : written) {
            letters += w.size() == 5 ? w[2] : '?';
        }
        return letters;
    }

    bool open = false;
    bool failOpen = false;
    bool failWrites = false;
    int closes = 0;
    std::vector<std::string> opened;
    std::vector<std::string> written;
};

} // namespace qa::test
