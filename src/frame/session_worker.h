#pragma once

#include "device/importer.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace qa {

// The window's background thread: port discovery and the import of a finished transfer
// run here, so the window keeps painting while they work. Both talk back to the window
// only through calls queued into its thread; Stop keeps serving them while it waits, so
// even a blocking one completes.
class SessionWorker {
public:
    using DiscoveryFn = std::function<void()>;
    using ImportFn = std::function<void(const Transfer&)>;

    SessionWorker(DiscoveryFn discovery, ImportFn import);
    ~SessionWorker();
    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    void RequestDiscovery();
    void RequestImport(const Transfer& transfer);
    bool Busy() const;

    // Asks the thread to end and waits at most `boundMs`, running the calling thread's
    // events meanwhile so that a blocking call from the worker can complete. A request
    // still waiting is dropped: the meter erases nothing before its results are stored.
    // Returns false when the thread did not end in time (it is then left to end on its own).
    [[nodiscard]] bool Stop(int boundMs);

private:
    void Loop();

    DiscoveryFn discovery_;
    ImportFn import_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool discoveryWanted_ = false;
    std::deque<Transfer> imports_;
    bool busy_ = false;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace qa
