#include "qt_session_timers.h"

namespace qa {

QtSessionTimers::QtSessionTimers(std::function<void(int)> onTick, QObject* parent)
    : QObject(parent), onTick_(std::move(onTick)) {}

void QtSessionTimers::Start(int id, int intervalMs) {
    auto& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        connect(timer.get(), &QTimer::timeout, this, [this, id] { onTick_(id); });
    }
    timer->start(intervalMs);
}

void QtSessionTimers::Kill(int id) {
    if (auto found = timers_.find(id); found != timers_.end()) {
        found->second->stop();
    }
}

void QtSessionTimers::RunAfter(int delayMs, std::function<void()> step) {
    QTimer::singleShot(delayMs, this, std::move(step));
}

} // namespace qa
