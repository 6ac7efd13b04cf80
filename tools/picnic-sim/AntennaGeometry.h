#pragma once

#include <array>

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

// Where the antenna view draws what: the needles, the dials and the parts of the window. Pure
// functions of the angles and the window size, so that they are tested without a window.
// Screen coordinates: y grows downwards.
namespace zenko::picnic {

// The azimuth as the compass shows it, in [0, 360). The simulator's stops let the azimuth run
// past 360 or below 0; the needle then points where the antenna points. Not finite: 0.
double WrapDegrees(double degrees);
// The elevation as the quarter-circle dial can show it, in [0, 90]. NaN: 0.
double ClampElevation(double degrees);

// The end of a needle of `length` from `centre`: azimuth 0 points up (north) and turns
// clockwise, the angle taken modulo 360.
QPointF AzimuthNeedleEnd(QPointF centre, double length, double azimuthDegrees);
// The end of a needle of `length` from `pivot`: elevation 0 points right (the horizon), 90 up;
// the angle is first clamped to 0..90 so that the needle stays on its dial.
QPointF ElevationNeedleEnd(QPointF pivot, double length, double elevationDegrees);

// "az 405.3°": the value as it is, one decimal, in the C locale's form. A value that rounds
// to zero reads "0.0" whatever its sign.
QString FormatAngleReadout(const QString& label, double degrees);
// "2.925 V · count 599"
QString FormatElectricalReadout(double volts, int count);

// The parts of the view in a window of a given size, for a font of a given line height.
struct AntennaLayout {
    QRectF azimuthCaption;
    QRectF elevationCaption;
    QPointF compassCentre;
    double compassRadius = 0.0;
    // The corner of the elevation dial's quarter circle: the horizon runs right from it.
    QPointF arcPivot;
    double arcRadius = 0.0;
    QRectF azimuthReadout;
    QRectF elevationReadout;
    // Az +, Az −, El +, El −, left to right.
    std::array<QRectF, 4> lamps;
};

inline constexpr double kViewMargin = 10.0;

AntennaLayout LayoutAntennaView(QSizeF size, double lineHeight);
// The round light at the left of a lamp; the label takes the rest.
QRectF LampLight(const QRectF& lamp);
QRectF LampLabel(const QRectF& lamp);

} // namespace zenko::picnic
