#include "platform/WindowTimers.h"

#include <algorithm>
#include <utility>

#include <QTimer>

namespace zenko::platform {

int WindowTimers::ClampPeriod(std::int64_t periodMs) {
    return static_cast<int>(std::clamp(periodMs, kMinimumPeriodMs, kMaximumPeriodMs));
}

WindowTimers::WindowTimers(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

void WindowTimers::setTimer(unsigned id, std::int64_t periodMs) {
    QTimer*& timer = m_timers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        // A coarse timer may fire up to 5 % early or late, which a relay pulse cannot afford.
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, id] { m_handler(id); });
    }
    timer->start(ClampPeriod(periodMs));
}

void WindowTimers::killTimer(unsigned id) {
    const auto found = m_timers.find(id);
    if (found != m_timers.end()) {
        found->second->stop();
    }
}

bool WindowTimers::isRunning(unsigned id) const {
    const auto found = m_timers.find(id);
    return found != m_timers.end() && found->second->isActive();
}

int WindowTimers::period(unsigned id) const {
    return isRunning(id) ? m_timers.at(id)->interval() : -1;
}

} // namespace zenko::platform
