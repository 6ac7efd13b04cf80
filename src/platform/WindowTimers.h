#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include <QObject>

class QTimer;

namespace zenko::platform {

// Timers addressed by a numeric id, as a window's timers are. Periodic until killed; setting a
// running id restarts it with the new period. Precise timers, so a 50 ms relay pulse lasts
// 50 ms. Periods are clamped to 10 ms .. 2^31-1 ms so that a zero period never spins.
//
// The handler may set or kill any id, its own included, from inside an expiry: a killed id's
// timer is only stopped and kept for the next setTimer, never destroyed under its own signal.
class WindowTimers : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(unsigned id)>;

    static constexpr std::int64_t kMinimumPeriodMs = 10;
    static constexpr std::int64_t kMaximumPeriodMs = 0x7FFFFFFF;
    static int ClampPeriod(std::int64_t periodMs);

    explicit WindowTimers(Handler handler, QObject* parent = nullptr);

    // Starts `id`, or restarts it from now if it is running, with the clamped period.
    void setTimer(unsigned id, std::int64_t periodMs);
    // Stops `id`; an id that is stopped or was never set is left alone. Hides QObject::killTimer,
    // which takes the ids of QObject's own timers, not these.
    void killTimer(unsigned id);
    bool isRunning(unsigned id) const;
    // The period in force for a running id (after clamping), or -1.
    int period(unsigned id) const;

private:
    Handler m_handler;
    // Children of this object, which alone owns them; the map only finds them by id.
    std::map<unsigned, QTimer*> m_timers;
};

} // namespace zenko::platform
