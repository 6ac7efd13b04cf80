#include "picnic-sim/AntennaGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/Formats.h"

namespace zenko::picnic {

namespace {

constexpr double kGap = 8.0;

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

} // namespace

double WrapDegrees(double degrees) {
    if (!std::isfinite(degrees)) {
        return 0.0;
    }
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped < 0.0) {
        wrapped += 360.0;
    }
    // A tiny negative remainder plus 360 rounds to 360 itself.
    return wrapped >= 360.0 ? 0.0 : wrapped;
}

double ClampElevation(double degrees) {
    if (std::isnan(degrees)) {
        return 0.0;
    }
    return std::clamp(degrees, 0.0, 90.0);
}

QPointF AzimuthNeedleEnd(QPointF centre, double length, double azimuthDegrees) {
    const double angle = Radians(WrapDegrees(azimuthDegrees));
    return {centre.x() + length * std::sin(angle), centre.y() - length * std::cos(angle)};
}

QPointF ElevationNeedleEnd(QPointF pivot, double length, double elevationDegrees) {
    const double angle = Radians(ClampElevation(elevationDegrees));
    return {pivot.x() + length * std::cos(angle), pivot.y() - length * std::sin(angle)};
}

QString FormatAngleReadout(const QString& label, double degrees) {
    QString number = platform::FormatFixed(degrees, 0, 1);
    if (number == QLatin1String("-0.0")) {
        number.remove(0, 1);
    }
    return label + QLatin1Char(' ') + number + QChar(0x00B0);
}

QString FormatElectricalReadout(double volts, int count) {
    return platform::FormatFixed(volts, 0, 3) + QStringLiteral(" V \u00B7 count ") +
           platform::FormatInteger(count);
}

AntennaLayout LayoutAntennaView(QSizeF size, double lineHeight) {
    const QRectF inner(kViewMargin, kViewMargin, std::max(0.0, size.width() - 2 * kViewMargin),
                       std::max(0.0, size.height() - 2 * kViewMargin));
    const double lampHeight = lineHeight + 12.0;
    // A large angle line over a line of volts and counts.
    const double readoutHeight = lineHeight * 2.8;
    const double captionHeight = lineHeight + 2.0;
    const double columnWidth = std::max(0.0, (inner.width() - kGap) / 2.0);
    const double leftColumn = inner.left();
    const double rightColumn = inner.left() + columnWidth + kGap;

    AntennaLayout layout;
    const double lampTop = std::max(inner.top(), inner.bottom() - lampHeight);
    const double lampWidth = std::max(0.0, (inner.width() - 3 * kGap) / 4.0);
    for (std::size_t i = 0; i < layout.lamps.size(); ++i) {
        layout.lamps[i] = QRectF(inner.left() + static_cast<double>(i) * (lampWidth + kGap),
                                 lampTop, lampWidth, inner.bottom() - lampTop);
    }

    const double readoutTop = std::max(inner.top(), lampTop - kGap - readoutHeight);
    const double readoutBottom = std::max(readoutTop, lampTop - kGap);
    layout.azimuthReadout = QRectF(leftColumn, readoutTop, columnWidth, readoutBottom - readoutTop);
    layout.elevationReadout =
        QRectF(rightColumn, readoutTop, columnWidth, readoutBottom - readoutTop);

    const double captionBottom = std::min(readoutTop, inner.top() + captionHeight);
    layout.azimuthCaption =
        QRectF(leftColumn, inner.top(), columnWidth, captionBottom - inner.top());
    layout.elevationCaption =
        QRectF(rightColumn, inner.top(), columnWidth, captionBottom - inner.top());

    const double dialTop = std::min(readoutTop, captionBottom + 4.0);
    const double dialHeight = std::max(0.0, readoutTop - kGap - dialTop);
    const double dialSide = std::min(columnWidth, dialHeight);
    // One pixel inside the band, so that the ring's pen stays within it.
    layout.compassRadius = std::max(0.0, dialSide / 2.0 - 1.0);
    layout.compassCentre = QPointF(leftColumn + columnWidth / 2.0, dialTop + dialHeight / 2.0);
    layout.arcRadius = std::max(0.0, dialSide - 2.0);
    layout.arcPivot = QPointF(rightColumn + (columnWidth - layout.arcRadius) / 2.0,
                              dialTop + (dialHeight + layout.arcRadius) / 2.0);
    return layout;
}

QRectF LampLight(const QRectF& lamp) {
    const double diameter =
        std::min(std::clamp(lamp.height() - 12.0, 0.0, 16.0), lamp.width() / 2.0);
    const double left = lamp.left() + std::min(8.0, lamp.width() / 4.0);
    return QRectF(left, lamp.center().y() - diameter / 2.0, diameter, diameter);
}

QRectF LampLabel(const QRectF& lamp) {
    const QRectF light = LampLight(lamp);
    const double left = light.right() + 6.0;
    return QRectF(left, lamp.top(), std::max(0.0, lamp.right() - 4.0 - left), lamp.height());
}

} // namespace zenko::picnic
