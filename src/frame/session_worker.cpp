#include "frame/session_worker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace qa {

SessionWorker::SessionWorker(DiscoveryFn discovery, ImportFn import)
    : discovery_(std::move(discovery)), import_(std::move(import)), thread_([this] { Loop(); }) {}

SessionWorker::~SessionWorker() {
    if (thread_.joinable()) {
        // Stop joins when the worker ends within the bound and detaches it otherwise; the
        // owner that must know asked Stop itself before destroying the worker.
        (void)Stop(3000);
    }
}

void SessionWorker::RequestDiscovery() {
    std::lock_guard lock(mutex_);
    discoveryWanted_ = true;
    wake_.notify_one();
}

void SessionWorker::RequestImport(const Transfer& transfer) {
    std::lock_guard lock(mutex_);
    imports_.push_back(transfer);
    wake_.notify_one();
}

bool SessionWorker::Busy() const {
    std::lock_guard lock(mutex_);
    return busy_ || discoveryWanted_ || !imports_.empty();
}

void SessionWorker::Loop() {
    for (;;) {
        Transfer transfer;
        bool discovery = false;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || discoveryWanted_ || !imports_.empty(); });
            if (quit_) {
                break;
            }
            // An import waiting comes first: its transfer is already off the meter.
            if (!imports_.empty()) {
                transfer = std::move(imports_.front());
                imports_.pop_front();
            } else {
                discovery = true;
                discoveryWanted_ = false;
            }
            busy_ = true;
        }
        if (discovery) {
            discovery_();
        } else {
            import_(transfer);
        }
        std::lock_guard lock(mutex_);
        busy_ = false;
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
}

bool SessionWorker::Stop(int boundMs) {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        wake_.notify_one();
    }
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (finished_) {
                break;
            }
        }
        if (elapsed.elapsed() > boundMs) {
            thread_.detach();
            return false;
        }
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        QThread::msleep(5);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    return true;
}

} // namespace qa
