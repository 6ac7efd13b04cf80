#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <QByteArray>

#include "core/AxisProtection.h"
#include "core/FeedbackGuard.h"
#include "core/MotionGuard.h"
#include "core/ProtectionSettings.h"
#include "core/TrackingAxis.h"
#include "core/TrackingRate.h"
#include "picnic-sim/SimulatedBoard.h"

// The controller's two drive laws with their guards, in virtual time, against the simulated
// board: the window's control cycle step by step, calling the same rules (the drive decision,
// the tracking drive, the feedback guard, the motion guard and the soft limits) and exchanging
// the same datagrams, with the timers replaced by events and every ADC reply arriving at once.
// For benchmarks that need hours of a station's day or many faults; the window itself is
// measured in real time.
namespace zenko::bench {

struct VirtualControllerSettings {
    bool trackingDrive = false;
    std::uint32_t controlIntervalSeconds = 1;
    std::int32_t feedbackTimeoutSeconds = 0;
    core::ProtectionSettings protection;
    // Each axis's calibration: 0 deg at 0 V, this many degrees per volt.
    std::array<double, 2> degreesPerVolt{100.0, 20.0};
    // Off: the I/O directions go out only at Start, as before the board's restart was met.
    bool resendIoDirections = true;
};

// Seconds of virtual time on the board's clock.
std::chrono::nanoseconds BoardTime(double seconds);

struct VirtualTrip {
    double seconds = 0;
    std::size_t axis = 0;
    core::MotionTripReport report;
};

class VirtualController {
public:
    // Seconds of virtual time; the board's clock is the same, as BoardTime gives it.
    VirtualController(const VirtualControllerSettings& settings, picnic::SimulatedBoard& board);

    // Sees every datagram sent, with what the board made of it.
    using Observer = std::function<void(double seconds, const QByteArray& bytes,
                                        const picnic::BoardResponse& response)>;
    void setObserver(Observer observer) { m_observer = std::move(observer); }

    // Start: the I/O directions, the first ADC requests, the control timer.
    void start(double now);
    // When the next control tick or pulse end falls due.
    double nextEvent() const;
    // Runs what falls due at `now`.
    void advance(double now);
    // The selected target of an axis, as a set value of the Remote source (which the tracking
    // drive follows at its rate) or as a target that stands still.
    void setTarget(double now, std::size_t axis, double angle, bool remote);

    const std::vector<VirtualTrip>& trips() const { return m_trips; }
    int clampsBegun() const { return m_clampsBegun; }
    // The least movement the motion guard found over a timeout's worth of drive, per axis; the
    // guard trips below core::kClearMovement. Nothing before that much drive.
    std::optional<double> leastMovement(std::size_t axis) const { return m_leastMovement[axis]; }

private:
    std::int64_t clockMs(double now) const;
    void send(double now, const QByteArray& bytes);
    void sendRelay(double now, std::size_t axis, int direction);
    void sendIoDirections(double now);
    void request(double now);
    void onReply(double now, std::size_t axis, std::int16_t count);
    bool checkFeedback(double now, std::size_t axis);
    bool mayDrive(double now, std::size_t axis, int direction, double angle);
    double angleOf(std::size_t axis) const;
    core::TargetClamp clampTarget(std::size_t axis, double target);
    void noteTrip(double now, std::size_t axis, const core::ProtectionEvent& event);
    void noteDrive(double now, std::size_t axis);
    void controlStep(double now);
    void trackingTick(double now);
    void trackingStep(double now);

    VirtualControllerSettings m_settings;
    picnic::SimulatedBoard& m_board;
    Observer m_observer;
    double m_start = 0;
    double m_period = 0;
    double m_nextTick = 0;
    bool m_adcRequested = false;
    std::array<double, 2> m_volts{};
    std::array<double, 2> m_target{};
    bool m_remote = false;
    std::array<std::optional<double>, 2> m_pulseEnd;
    std::array<core::AxisFeedback, 2> m_feedback{};
    std::int64_t m_ioDirectionsSentMs = 0;
    std::array<core::AxisProtection, 2> m_protection;
    std::array<core::TrackingAxis, 2> m_tracking;
    std::array<core::TargetRateEstimator, 2> m_rates;
    std::array<bool, 2> m_replied{};
    // As the window's: requests out whose step has not run yet.
    bool m_awaitingStep = false;
    std::vector<VirtualTrip> m_trips;
    int m_clampsBegun = 0;
    std::array<std::optional<double>, 2> m_leastMovement;
};

} // namespace zenko::bench
