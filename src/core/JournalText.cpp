#include "core/JournalText.h"

#include "platform/Journal.h"
#include "platform/TerminationSignals.h"

namespace zenko::core {

namespace {

QString ServiceText(const char* service, std::int16_t port) {
    const QString name = QString::fromLatin1(service);
    return port > 0 ? name + QStringLiteral(" set values on port ") + QString::number(port)
                    : name + QStringLiteral(" set values off");
}

QString ServiceTag(bool binary) {
    return binary ? QStringLiteral(" (binary)") : QStringLiteral(" (ASCII)");
}

QString AxisName(AxisId axis) {
    return axis == AxisAz ? QStringLiteral("azimuth") : QStringLiteral("elevation");
}

QString Seconds(std::int64_t ms) {
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

QString DirectionName(int direction) {
    return direction > 0 ? QStringLiteral("increase") : QStringLiteral("decrease");
}

QString LimitsText(AxisId axis, const AngleLimits& limits) {
    return AxisName(axis) + QStringLiteral(" limits ") +
           (limits.active ? QString::number(limits.minimum) + QStringLiteral("..") +
                                QString::number(limits.maximum) + QStringLiteral(" deg")
                          : QStringLiteral("off"));
}

} // namespace

QString LinkStartedText(const Ipv4SocketAddress& board, std::int16_t binPort,
                        std::int16_t ascPort) {
    return QStringLiteral("link started: board ") +
           platform::EndpointText(board.address, board.port) + QStringLiteral(", ") +
           ServiceText("binary", binPort) + QStringLiteral(", ") + ServiceText("ASCII", ascPort);
}

QString LinkStoppedText(LinkStopCause cause, int signalNumber) {
    switch (cause) {
    case LinkStopCause::StopButton:
        return QStringLiteral("link stopped by Stop");
    case LinkStopCause::ExitButton:
        return QStringLiteral("link stopped by Exit");
    case LinkStopCause::CloseWindow:
        return QStringLiteral("link stopped by the close box, Escape or Ctrl+Q");
    case LinkStopCause::Signal:
        break;
    }
    return QStringLiteral("link stopped by ") +
           QLatin1String(platform::TerminationSignalName(signalNumber));
}

QString EndingOnSignalText(int signalNumber) {
    return QStringLiteral("ending on ") +
           QLatin1String(platform::TerminationSignalName(signalNumber)) +
           QStringLiteral(", link not running");
}

QString StartRefusedText(const QString& message) {
    return QStringLiteral("start refused: ") + message;
}

QString AxisSilentText(AxisId axis, std::int64_t sinceReplyMs, bool switchedOff) {
    return AxisName(axis) + QStringLiteral(": no ADC reply for ") + Seconds(sinceReplyMs) +
           (switchedOff ? QStringLiteral(", relays switched off until it answers")
                        : QStringLiteral(", control goes on with the last voltage"));
}

QString AxisAnsweringText(AxisId axis, std::int64_t replyGapMs) {
    return AxisName(axis) + QStringLiteral(": ADC answering again after ") + Seconds(replyGapMs) +
           QStringLiteral(" without a reply");
}

QString SetValuePeerText(std::uint32_t address, std::uint16_t port, bool binary) {
    return QStringLiteral("new set-value peer ") + platform::EndpointText(address, port) +
           ServiceTag(binary);
}

QString SetValuePeerLimitText(std::size_t limit) {
    return QString::number(limit) +
           QStringLiteral(" set-value peers seen; further new peers are not journaled");
}

QString SetValueRefusedText(std::uint32_t address, bool binary) {
    return QStringLiteral("refused set-value sender ") + platform::AddressText(address) +
           ServiceTag(binary) + QStringLiteral(", not in SetValue_Allow");
}

QString SetValueRefusedLimitText(std::size_t limit) {
    return QString::number(limit) +
           QStringLiteral(" refused set-value senders seen; further ones are not journaled");
}

QString SetValueAllowText(const QString& list) {
    return QStringLiteral("set values only from ") + list;
}

QString ConfigurationText(const QString& path, std::int32_t feedbackTimeoutSeconds) {
    return QStringLiteral("configuration ") + path + QStringLiteral(", feedback guard ") +
           (feedbackTimeoutSeconds > 0
                ? QString::number(feedbackTimeoutSeconds) + QStringLiteral(" s")
                : QStringLiteral("off"));
}

QString InstanceNameRefusedText(const QString& value) {
    return QStringLiteral("not started: Instance_Name \"") + value +
           QStringLiteral("\" is not 1 to 32 letters, digits, - or _");
}

QString ProtectionText(const ProtectionSettings& settings) {
    if (settings.refusal) {
        return QStringLiteral("protection: ") + *settings.refusal +
               QStringLiteral(" Start refuses until ZENKO.ini is corrected");
    }
    return QStringLiteral("protection: motion guard ") +
           (settings.stallTimeoutSeconds > 0
                ? QString::number(settings.stallTimeoutSeconds) + QStringLiteral(" s")
                : QStringLiteral("off")) +
           QStringLiteral(", ") + LimitsText(AxisAz, settings.limits[0]) + QStringLiteral(", ") +
           LimitsText(AxisEl, settings.limits[1]);
}

QString MotionTripText(AxisId axis, const MotionTripReport& trip) {
    const bool reversed = trip.kind == MotionTrip::Reversed;
    return AxisName(axis) +
           (reversed ? QStringLiteral(": reversed: ") : QStringLiteral(": stalled: ")) +
           QString::number(trip.driveSeconds, 'f', 1) + QStringLiteral(" s of ") +
           DirectionName(trip.direction) + QStringLiteral(" drive changed the angle by ") +
           (trip.movedDegrees >= 0 ? QStringLiteral("+") : QString()) +
           QString::number(trip.movedDegrees, 'f', 2) +
           QStringLiteral(" deg; relays switched off, no ") +
           (reversed ? QString() : DirectionName(trip.direction) + QLatin1Char(' ')) +
           QStringLiteral("drive until Stop and Start");
}

QString TargetClampedText(AxisId axis, double target, double limit) {
    return AxisName(axis) + QStringLiteral(": target ") + QString::number(target, 'f', 2) +
           QStringLiteral(" deg clamped to the limit ") + QString::number(limit) +
           QStringLiteral(" deg");
}

QString IoDirectionsResentText(AxisId axis, std::int64_t silenceMs) {
    return QStringLiteral("I/O directions sent again: ") + AxisName(axis) +
           QStringLiteral(" ADC answering after ") + Seconds(silenceMs) +
           QStringLiteral(" of silence");
}

} // namespace zenko::core
