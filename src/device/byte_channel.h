#pragma once

#include "store/status.h"

#include <cstddef>
#include <functional>
#include <string>

namespace qa {

// The line to the meter as the session sees it. The Qt build opens a QSerialPort; tests use
// the same adapter against the simulated meter, or a fake that records what was written.
class ByteChannel {
public:
    virtual ~ByteChannel() = default;
    // Opens the device at 9600 8N1 without flow control and clears both buffers. A failure
    // says why for the operator ("error code - " with the system's code, plus how to get
    // access when permission was refused), or nothing beyond the id when there is no reason.
    virtual Status Open(const std::string& device) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Returns the number of bytes written, 0 when closed or on failure.
    [[nodiscard]] virtual std::size_t Write(const char* data, std::size_t size) = 0;
    // What went wrong with the open line (the meter unplugged mid-transfer), for the
    // operator; success when nothing did since the last Open.
    virtual Status LineStatus() const { return {}; }
};

// Timers and deferred steps of the session. The window and the command line run them on
// their event loop; tests fire them by hand, so no test ever waits.
class SessionTimers {
public:
    virtual ~SessionTimers() = default;
    // Starts (or restarts) the periodic timer `id`; every tick calls the session's OnTimer.
    virtual void Start(int id, int intervalMs) = 0;
    virtual void Kill(int id) = 0;
    // Runs `step` once after `delayMs`, on the same thread as the ticks. Used for the pauses
    // that pace the meter, so the window keeps painting while the session waits.
    virtual void RunAfter(int delayMs, std::function<void()> step) = 0;
};

} // namespace qa
