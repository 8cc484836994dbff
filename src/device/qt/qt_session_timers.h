#pragma once

#include "device/byte_channel.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

namespace qa {

// Session timers on the Qt event loop of the thread that owns this object.
class QtSessionTimers : public QObject, public SessionTimers {
    Q_OBJECT
public:
    explicit QtSessionTimers(std::function<void(int)> onTick, QObject* parent = nullptr);

    void Start(int id, int intervalMs) override;
    void Kill(int id) override;
    void RunAfter(int delayMs, std::function<void()> step) override;

private:
    std::function<void(int)> onTick_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

} // namespace qa
