#include "frame/session_worker.h"
#include "qt_wait.h"

#include <gtest/gtest.h>

#include <QObject>

#include <atomic>
#include <chrono>
#include <future>
#include <latch>
#include <mutex>
#include <thread>

using namespace qa;
using namespace qa::test;
using namespace std::chrono_literals;

TEST(SessionWorker, RunsRequestsInOrderWithImportsFirst) {
    std::vector<std::string> ran;
    std::mutex m;
    std::latch firstStarted{1};
    std::promise<void> open;
    std::shared_future<void> gate = open.get_future().share();
    int discoveries = 0; // only the worker's thread counts
    SessionWorker worker(
        [&] {
            if (discoveries++ == 0) {
                firstStarted.count_down();
                gate.wait();
            }
            std::lock_guard lock(m);
            ran.push_back("discovery");
        },
        [&](const Transfer& t) {
            std::lock_guard lock(m);
            ran.push_back("import " + std::to_string(t.recordCount));
        });
    worker.RequestDiscovery(); // starts at once and waits at the gate
    // The worker holds the first discovery: everything asked from here on queues behind it.
    firstStarted.wait();
    worker.RequestDiscovery();
    Transfer first, second;
    first.recordCount = 1;
    second.recordCount = 2;
    worker.RequestImport(first);
    worker.RequestImport(second);
    EXPECT_TRUE(worker.Busy());
    open.set_value();
    ASSERT_TRUE(PumpUntil([&] { return !worker.Busy(); }, 5s));
    EXPECT_EQ(ran, (std::vector<std::string>{"discovery", "import 1", "import 2", "discovery"}));
    EXPECT_TRUE(worker.Stop(1000));
}

// The worker waits for the window's thread while the window waits for the worker: the
// stop must keep the window's events running so both can finish.
TEST(SessionWorker, StopServesABlockingCallFromTheWorker) {
    QObject receiver;
    std::atomic<bool> served{false};
    std::atomic<bool> started{false};
    SessionWorker worker([] {},
                         [&](const Transfer&) {
                             started = true;
                             std::this_thread::sleep_for(50ms);
                             QMetaObject::invokeMethod(
                                 &receiver, [&] { served = true; }, Qt::BlockingQueuedConnection);
                         });
    worker.RequestImport(Transfer{});
    while (!started) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(worker.Stop(3000));
    EXPECT_TRUE(served);
}

TEST(SessionWorker, StopGivesUpAfterItsBound) {
    std::atomic<bool> release{false};
    std::atomic<bool> started{false};
    auto* worker = new SessionWorker([] {},
                                     [&](const Transfer&) {
                                         started = true;
                                         while (!release) {
                                             std::this_thread::sleep_for(1ms);
                                         }
                                     });
    worker->RequestImport(Transfer{});
    ASSERT_TRUE(PumpUntil([&] { return started.load(); }, 1s));
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(worker->Stop(200));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
    release = true; // the thread ends on its own; the object is left to it
    std::this_thread::sleep_for(50ms);
}
