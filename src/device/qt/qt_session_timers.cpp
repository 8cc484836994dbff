#include "device/qt/qt_session_timers.h"

namespace qa {

QtSessionTimers::QtSessionTimers(std::function<void(int)> onTick, QObject* parent)
    : QObject(parent), onTick_(std::move(onTick)) {}

void QtSessionTimers::Start(int id, int intervalMs) {
    auto& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        // Coarse timers may fire 5 % late: five mode-sequence ticks would add a quarter of a
        // second to every download.
        timer->setTimerType(Qt::PreciseTimer);
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
    QTimer::singleShot(delayMs, Qt::PreciseTimer, this, std::move(step));
}

} // namespace qa
