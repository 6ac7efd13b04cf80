// The tracking drive's rules and the designed law against the simulated rotator, in virtual
// time: a quick, repeatable what-if for tuning, not a measurement of the program. The target
// comes once a second as a tracking program would send it; the antenna is read through the
// board's 10-bit ADC with the rotator's noise.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "BenchSupport.h"
#include "IdealFollower.h"
#include "PresetMoves.h"
#include "SatellitePass.h"
#include "TrackingRecord.h"
#include "core/AngleCalibration.h"
#include "core/AxisProtection.h"
#include "core/DriveDecision.h"
#include "core/TrackingAxis.h"
#include "core/TrackingRate.h"
#include "device/BoardProtocol.h"
#include "picnic-sim/RotatorModel.h"

using namespace zenko;
using bench::SatellitePass;
using bench::SkyPosition;
using bench::TrackingRecord;

namespace {

constexpr double kTickSeconds = 0.001;
constexpr double kAcquisitionSeconds = 10.0;

struct Options {
    double maxElevation = 60.0;
    double altitudeKm = 420.0;
    double seconds = 75.0;
    int interval = 1;
    bool tracking = true;
    unsigned seed = 1;
    // The target stays where the pass begins, to show how an axis holds it.
    bool still = false;
    // The antenna starts this far before the pass, so that the first drives teach the axes.
    double parkOffset = 0.0;
    // The preset moves under both laws instead of the pass.
    bool moves = false;
    // Degrees of azimuth over 0..4.5 V, the model's line and the calibration alike.
    double azimuthSpan = 180.0;
};

// The record covers the pass after the acquisition; changes are counted per minute of it.
double RecordedMinutes(const Options& options) {
    return (options.seconds - kAcquisitionSeconds) / 60.0;
}

void Print(const char* name, const TrackingRecord& record, double minutes) {
    const auto row = [](const char* what, const std::vector<double>& values) {
        const bench::Summary summary = bench::Summarize(values);
        std::printf("    %-10s median %5.2f  p95 %5.2f  max %5.2f deg\n", what, summary.median,
                    summary.p95, summary.maximum);
    };
    std::printf("%s\n", name);
    row("pointing", record.separation);
    row("azimuth", record.azimuthError);
    row("elevation", record.elevationError);
    std::printf("    relay changes per minute: azimuth %.0f, elevation %.0f\n",
                record.azimuthChanges / minutes, record.elevationChanges / minutes);
}

struct AxisSetup {
    picnic::Axis axis;
    double speed;
    double volts2;
    double angle2;
};
constexpr AxisSetup kAxisSetups[] = {{picnic::Axis::Azimuth, 6.0, 4.5, 180.0},
                                     {picnic::Axis::Elevation, 2.7, 4.5, 90.0}};

// The degrees at 4.5 V of an axis, the model's and the calibration's.
double Span(const Options& options, const AxisSetup& setup) {
    return setup.axis == picnic::Axis::Azimuth ? options.azimuthSpan : setup.angle2;
}

// The rotator of both runs: run-up, coast and noise of a real one.
picnic::RotatorModel MakeModel(const Options& options, double startSeconds, double azimuth,
                               double elevation) {
    picnic::RotatorParameters parameters;
    parameters.noiseSeed = options.seed;
    for (const AxisSetup& setup : kAxisSetups) {
        picnic::AxisParameters& axis = parameters.axis(setup.axis);
        axis.speed = setup.speed;
        axis.runUpSeconds = 0.15;
        axis.coastSeconds = 0.15;
        axis.noiseDegrees = 0.2;
        axis.line = {0.0, 0.0, Span(options, setup), setup.volts2};
    }
    parameters.azimuth.startAngle = azimuth;
    parameters.elevation.startAngle = elevation;
    return picnic::RotatorModel(
        parameters, std::chrono::nanoseconds(static_cast<std::int64_t>(startSeconds * 1e9)));
}

// The controller's view of the two axes and its pulse timers, driven by whichever law is chosen.
class Controller {
public:
    Controller(const Options& options, picnic::RotatorModel& model)
        : m_options(options), m_model(model) {}

    void tick(double now, double start) {
        for (std::size_t i = 0; i < 2; ++i) {
            if (m_pulseEnd[i] && *m_pulseEnd[i] <= now) {
                m_pulseEnd[i].reset();
                setRelays(i, 0);
            }
        }
        const double sinceStart = now - start;
        const double period = m_options.tracking ? std::clamp(m_options.interval * 0.25, 0.1, 0.5)
                                                 : m_options.interval * 0.5;
        if (sinceStart < m_ticks * period) {
            return;
        }
        ++m_ticks;
        if (m_options.tracking) {
            read(now);
            for (std::size_t i = 0; i < 2; ++i) {
                const auto last = m_rates[i].last();
                const double rate = m_rates[i].rate();
                const double target = PredictTarget(*last, rate, now);
                const core::TrackingOrder order =
                    m_tracking[i].step({now, m_angle[i]}, target, rate, period);
                setRelays(i, order.direction);
                m_pulseEnd[i].reset();
                if (order.offAfterSeconds) {
                    m_pulseEnd[i] = now + std::round(*order.offAfterSeconds * 1000) / 1000;
                }
            }
        } else if (m_ticks % 2 == 1) {
            read(now);
        } else {
            for (std::size_t i = 0; i < 2; ++i) {
                const double error = m_angle[i] - m_target[i];
                const core::DriveOrder order = core::DecideDrive(
                    error, core::ComputeDriveTime(error, m_options.interval * 1000));
                setRelays(i, core::RelayDirection(order.increaseOn, order.decreaseOn));
                m_pulseEnd[i].reset();
                if (order.pulseMs) {
                    m_pulseEnd[i] = now + std::max(*order.pulseMs, 10) / 1000.0;
                }
            }
        }
    }

    void setValue(double now, const SkyPosition& target) {
        m_target = {std::round(target.azimuth * 100) / 100,
                    std::round(target.elevation * 100) / 100};
        for (std::size_t i = 0; i < 2; ++i) {
            m_rates[i].add(now, m_target[i]);
        }
    }

private:
    void read(double now) {
        m_model.advanceTo(std::chrono::nanoseconds(static_cast<std::int64_t>(now * 1e9)));
        for (std::size_t i = 0; i < 2; ++i) {
            const AxisSetup& setup = kAxisSetups[i];
            const double volts =
                device::CountToVolts(static_cast<std::int16_t>(m_model.readCount(setup.axis)));
            m_angle[i] =
                core::ConvertVoltsToAngle(volts, 0.0, setup.volts2, 0.0, Span(m_options, setup));
        }
    }

    void setRelays(std::size_t i, int direction) {
        const picnic::Axis axis = kAxisSetups[i].axis;
        const std::uint8_t bits = picnic::IncreaseBit(axis) | picnic::DecreaseBit(axis);
        const std::uint8_t value = direction > 0   ? picnic::IncreaseBit(axis)
                                   : direction < 0 ? picnic::DecreaseBit(axis)
                                                   : 0;
        m_model.setRelayByte(static_cast<std::uint8_t>((m_model.relayByte() & ~bits) | value));
    }

    const Options& m_options;
    picnic::RotatorModel& m_model;
    long m_ticks = 0;
    double m_angle[2] = {};
    std::array<double, 2> m_target{};
    std::optional<double> m_pulseEnd[2];
    core::TargetRateEstimator m_rates[2];
    core::TrackingAxis m_tracking[2];
};

TrackingRecord RunController(const Options& options, const SatellitePass& pass) {
    const double start = -options.seconds / 2;
    const SkyPosition first = pass.at(start);
    picnic::RotatorModel model = MakeModel(options, start, first.azimuth - options.parkOffset,
                                           first.elevation - options.parkOffset / 2);
    Controller controller(options, model);
    TrackingRecord record;
    int directions[2] = {};
    // The set values arrive at their own phase against the control steps.
    double nextSetValue = start + 0.37;
    controller.setValue(start, first);
    for (double now = start; now < start + options.seconds; now += kTickSeconds) {
        if (now >= nextSetValue) {
            controller.setValue(now, options.still ? first : pass.at(now));
            nextSetValue += 1.0;
        }
        controller.tick(now, start);
        model.advanceTo(std::chrono::nanoseconds(static_cast<std::int64_t>(now * 1e9)));
        const bool recorded = now - start >= kAcquisitionSeconds;
        for (const AxisSetup& setup : kAxisSetups) {
            int& before = directions[picnic::AxisIndex(setup.axis)];
            const int direction = model.direction(setup.axis);
            if (recorded && direction != before) {
                ++(setup.axis == picnic::Axis::Azimuth ? record.azimuthChanges
                                                       : record.elevationChanges);
            }
            before = direction;
        }
        if (recorded && std::fmod(now - start, 0.01) < kTickSeconds) {
            record.addSample(
                {model.angle(picnic::Axis::Azimuth), model.angle(picnic::Axis::Elevation)},
                options.still ? first : pass.at(now));
        }
    }
    return record;
}

// One preset move from rest, the controller started with its new target, until both axes' relays
// have been off for kQuietSeconds (or the move has had twice its running time and half a minute).
bench::MoveRecord RunMove(const Options& options, const bench::PresetMove& move) {
    constexpr double kQuietSeconds = 5.0;
    picnic::RotatorModel model = MakeModel(options, 0.0, move.azimuthFrom, move.elevationFrom);
    Controller controller(options, model);
    controller.setValue(
        0.0, {static_cast<double>(move.azimuthTo), static_cast<double>(move.elevationTo)});
    const picnic::Axis moving =
        move.movesAzimuth() ? picnic::Axis::Azimuth : picnic::Axis::Elevation;
    const double slew = move.to() - move.from();
    const double limit = 2 * std::fabs(slew) / kAxisSetups[picnic::AxisIndex(moving)].speed + 30;
    bench::MoveRecord record;
    int directions[2] = {};
    double lastDriven = 0.0;
    for (double now = 0.0; now < limit && now - lastDriven < kQuietSeconds; now += kTickSeconds) {
        controller.tick(now, 0.0);
        model.advanceTo(std::chrono::nanoseconds(static_cast<std::int64_t>(now * 1e9)));
        for (const AxisSetup& setup : kAxisSetups) {
            int& before = directions[picnic::AxisIndex(setup.axis)];
            const int direction = model.direction(setup.axis);
            if (direction != before) {
                ++(setup.axis == moving ? record.movingAxisChanges : record.otherAxisChanges);
            }
            if (direction != 0) {
                lastDriven = now;
            }
            before = direction;
        }
        if (std::fmod(now, 0.01) < kTickSeconds) {
            record.samples.push_back({now, model.angle(moving)});
        }
    }
    return record;
}

void RunMoves(Options options) {
    options.azimuthSpan = bench::kPresetAzimuthSpan;
    const auto table =
        bench::MeasureMoves([&options](const bench::PresetMove& move, bool tracking) {
            options.tracking = tracking;
            return std::optional(RunMove(options, move));
        });
    std::printf("preset moves from rest, interval %d s, seed %u (virtual time)\n", options.interval,
                options.seed);
    bench::PrintMoveTable(*table);
}

// The best a relay rotator of these speeds can do on the true target.
TrackingRecord RunIdealFollower(const Options& options, const SatellitePass& pass) {
    bench::FollowerRun run;
    run.azimuthSpeed = kAxisSetups[0].speed;
    run.elevationSpeed = kAxisSetups[1].speed;
    run.deadBand = core::kDeadBand;
    run.start = -options.seconds / 2;
    run.windowStart = run.start + kAcquisitionSeconds;
    run.windowEnd = run.start + options.seconds;
    run.sampleSeconds = 0.01;
    return bench::FollowIdeally(pass, run);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--interval") {
            options.interval = std::max(1, std::atoi(value));
        } else if (name == "--law") {
            options.tracking = std::string_view(value) != "designed";
        } else if (name == "--max-elevation") {
            options.maxElevation = std::atof(value);
        } else if (name == "--still") {
            options.still = std::atoi(value) != 0;
        } else if (name == "--park") {
            options.parkOffset = std::atof(value);
        } else if (name == "--moves") {
            options.moves = std::atoi(value) != 0;
        } else if (name == "--seed") {
            options.seed = static_cast<unsigned>(std::atoi(value));
        } else {
            std::fprintf(
                stderr,
                "usage: tracking_simulation [--interval S] [--law tracking|designed] "
                "[--max-elevation DEG] [--seed N] [--still 0|1] [--park DEG] [--moves 0|1]\n");
            return 2;
        }
    }
    if (options.moves) {
        RunMoves(options);
        return 0;
    }
    const SatellitePass pass(options.altitudeKm, options.maxElevation);
    std::printf("pass: max elevation %.0f deg, %.0f s around culmination, interval %d s, "
                "after the first %.0f s\n",
                options.maxElevation, options.seconds, options.interval, kAcquisitionSeconds);
    const double minutes = RecordedMinutes(options);
    Print(options.tracking ? "tracking drive" : "designed law", RunController(options, pass),
          minutes);
    Print("ideal follower", RunIdealFollower(options, pass), minutes);
    return 0;
}
