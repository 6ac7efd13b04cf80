#include "picnic-sim/PicnicReport.h"

#include "platform/Formats.h"

namespace zenko::picnic {

namespace {

using platform::FormatFixed;
using platform::FormatInteger;

QString TwoDigits(int value) {
    return FormatInteger(value).rightJustified(2, QLatin1Char('0'));
}

const char* AxisName(Axis axis) {
    return axis == Axis::Azimuth ? "az" : "el";
}

QString Degrees(double angle) {
    return FormatFixed(angle, 0, 2) + QLatin1String(" deg");
}

QString Volts(double volts) {
    return FormatFixed(volts, 0, 3) + QLatin1String(" V");
}

QString DescribeAdcRequest(const ReceivedCommand& command) {
    const auto channel = ParseAdcRequest(command.bytes).value_or(0);
    const auto axis = ChannelAxis(channel);
    if (!axis) {
        return QLatin1String("adc channel ") + HexByte(channel) +
               QLatin1String(": unknown channel, not answered");
    }
    const QString prefix = QLatin1String("adc ") + QLatin1String(AxisName(*axis)) + ": ";
    if (command.ignored == CommandIgnored::Restarting) {
        return prefix + QLatin1String("not answered (restarting)");
    }
    if (!command.answer) {
        return prefix + QLatin1String("not answered (silent)");
    }
    return prefix + QLatin1String("count ") + FormatInteger(command.answer->count) +
           QLatin1String(" = ") + Volts(command.answer->volts);
}

const char* Motion(int direction) {
    if (direction > 0) {
        return "increasing";
    }
    return direction < 0 ? "decreasing" : "standing";
}

} // namespace

QString FormatWallClock(const QTime& time) {
    return TwoDigits(time.hour()) + QLatin1Char(':') + TwoDigits(time.minute()) + QLatin1Char(':') +
           TwoDigits(time.second()) + QLatin1Char('.') +
           FormatInteger(time.msec()).rightJustified(3, QLatin1Char('0'));
}

QString FormatSinceStart(std::int64_t elapsedNs) {
    const QString milliseconds = FormatFixed(static_cast<double>(elapsedNs) / 1e6, 0, 3);
    return milliseconds.startsWith(QLatin1Char('-')) ? milliseconds
                                                     : QLatin1Char('+') + milliseconds;
}

QString DescribeCommand(const ReceivedCommand& command) {
    const QString ignored = command.ignored == CommandIgnored::Restarting
                                ? QStringLiteral(", ignored (restarting)")
                                : QString();
    switch (command.kind) {
    case CommandKind::IoDirection:
        return QStringLiteral("io direction") + ignored;
    case CommandKind::Relay:
        return DescribeRelayCommand(ParseRelayCommand(command.bytes).value_or(RelayCommand{})) +
               (command.ignored == CommandIgnored::IoDirectionsUnset
                    ? QStringLiteral(", no effect where the I/O direction is not set")
                    : ignored);
    case CommandKind::AdcRequest:
        return DescribeAdcRequest(command);
    case CommandKind::Unknown:
        break;
    }
    return QLatin1String("unknown (") + FormatInteger(command.bytes.size()) +
           QLatin1String(command.bytes.size() == 1 ? " byte)" : " bytes)");
}

QString FormatCommandLine(const ReceivedCommand& command, const QTime& wallClock,
                          std::int64_t startNs) {
    QHostAddress source = command.sourceAddress;
    bool isIpv4 = false;
    const quint32 ipv4 = source.toIPv4Address(&isIpv4);
    if (isIpv4) {
        source = QHostAddress(ipv4);
    }
    return FormatWallClock(wallClock) + QLatin1Char(' ') +
           FormatSinceStart(command.monotonicNs - startNs) + QLatin1Char(' ') + source.toString() +
           QLatin1Char(':') + FormatInteger(command.sourcePort) + QLatin1Char(' ') +
           HexBytes(command.bytes) + QLatin1String("  ") + DescribeCommand(command) +
           QLatin1String("  (az ") + Degrees(command.after.azimuth) + QLatin1String(", el ") +
           Degrees(command.after.elevation) + QLatin1Char(')');
}

QString FormatStatusLine(const RotatorModel& model, const QTime& wallClock, std::int64_t startNs) {
    QString line = FormatWallClock(wallClock) + QLatin1Char(' ') +
                   FormatSinceStart(model.time().count() - startNs) + QLatin1String(" status");
    for (const Axis axis : {Axis::Azimuth, Axis::Elevation}) {
        line += QLatin1String("  ") + QLatin1String(AxisName(axis)) + QLatin1Char(' ') +
                Degrees(model.angle(axis)) + QLatin1Char(' ') + Volts(model.volts(axis)) +
                QLatin1String(" count ") + FormatInteger(model.count(axis)) + QLatin1Char(' ') +
                QLatin1String(Motion(model.direction(axis)));
    }
    return line;
}

} // namespace zenko::picnic
