#include "picnic-sim/AntennaGeometry.h"

#include <cmath>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/CaseNames.h"

namespace zenko::picnic {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Cases named by the degrees they turn to.
template <typename Case> std::string DegreesName(const testing::TestParamInfo<Case>& info) {
    std::ostringstream degrees;
    degrees << info.param.degrees;
    return test::CaseName(info.index, degrees.str());
}

struct WrapCase {
    double degrees;
    double expected;
};

void PrintTo(const WrapCase& c, std::ostream* out) {
    *out << c.degrees << " -> " << c.expected;
}

class WrapDegreesTest : public testing::TestWithParam<WrapCase> {};

TEST_P(WrapDegreesTest, LandsInOneTurn) {
    const double wrapped = WrapDegrees(GetParam().degrees);
    EXPECT_NEAR(wrapped, GetParam().expected, 1e-9);
    EXPECT_GE(wrapped, 0.0);
    EXPECT_LT(wrapped, 360.0);
}

INSTANTIATE_TEST_SUITE_P(AntennaGeometry, WrapDegreesTest,
                         testing::Values(WrapCase{123.0, 123.0}, WrapCase{405.3, 45.3},
                                         WrapCase{360.0, 0.0}, WrapCase{720.0, 0.0},
                                         WrapCase{-90.0, 270.0}, WrapCase{-360.0, 0.0},
                                         WrapCase{-450.0, 270.0},
                                         // Would come back as 360 itself without care.
                                         WrapCase{-1e-14, 0.0}, WrapCase{kNaN, 0.0},
                                         WrapCase{kInfinity, 0.0}, WrapCase{-kInfinity, 0.0}),
                         DegreesName<WrapCase>);

TEST(AntennaGeometry, ElevationIsClampedToTheDial) {
    const struct {
        double degrees;
        double expected;
    } cases[] = {{0.0, 0.0},  {45.5, 45.5},      {90.0, 90.0},      {100.0, 90.0},
                 {-5.0, 0.0}, {kInfinity, 90.0}, {-kInfinity, 0.0}, {kNaN, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.degrees);
        EXPECT_EQ(ClampElevation(c.degrees), c.expected);
    }
}

struct NeedleCase {
    double degrees;
    // The end of a needle of length 10 from (100, 50).
    double x;
    double y;
};

void PrintTo(const NeedleCase& c, std::ostream* out) {
    *out << c.degrees << " -> (" << c.x << ", " << c.y << ")";
}

class AzimuthNeedleTest : public testing::TestWithParam<NeedleCase> {};

// North is up, east right: the compass turns clockwise on a screen whose y grows downwards.
TEST_P(AzimuthNeedleTest, PointsLikeACompass) {
    const QPointF end = AzimuthNeedleEnd(QPointF(100.0, 50.0), 10.0, GetParam().degrees);
    EXPECT_NEAR(end.x(), GetParam().x, 1e-9);
    EXPECT_NEAR(end.y(), GetParam().y, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    AntennaGeometry, AzimuthNeedleTest,
    testing::Values(NeedleCase{0.0, 100.0, 40.0}, NeedleCase{90.0, 110.0, 50.0},
                    NeedleCase{180.0, 100.0, 60.0}, NeedleCase{270.0, 90.0, 50.0},
                    NeedleCase{45.0, 100.0 + 5.0 * std::sqrt(2.0), 50.0 - 5.0 * std::sqrt(2.0)},
                    NeedleCase{450.0, 110.0, 50.0}, NeedleCase{-90.0, 90.0, 50.0},
                    NeedleCase{kNaN, 100.0, 40.0}),
    DegreesName<NeedleCase>);

class ElevationNeedleTest : public testing::TestWithParam<NeedleCase> {};

// The horizon runs right from the pivot and the zenith straight up; beyond them the needle
// rests on the dial's ends.
TEST_P(ElevationNeedleTest, StaysOnTheQuarterCircle) {
    const QPointF end = ElevationNeedleEnd(QPointF(100.0, 50.0), 10.0, GetParam().degrees);
    EXPECT_NEAR(end.x(), GetParam().x, 1e-9);
    EXPECT_NEAR(end.y(), GetParam().y, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(AntennaGeometry, ElevationNeedleTest,
                         testing::Values(NeedleCase{0.0, 110.0, 50.0},
                                         NeedleCase{90.0, 100.0, 40.0},
                                         NeedleCase{30.0, 100.0 + 5.0 * std::sqrt(3.0), 45.0},
                                         NeedleCase{135.0, 100.0, 40.0},
                                         NeedleCase{-20.0, 110.0, 50.0},
                                         NeedleCase{kNaN, 110.0, 50.0}),
                         DegreesName<NeedleCase>);

TEST(AntennaGeometry, ReadoutsShowTheValueAsItIs) {
    const struct {
        const char* label;
        double degrees;
        const char* expected;
    } cases[] = {
        {"az", 405.3, "az 405.3\u00B0"},    {"az", -12.25, "az -12.3\u00B0"},
        {"el", 30.0, "el 30.0\u00B0"},      {"el", 0.04, "el 0.0\u00B0"},
        {"el", -0.04, "el 0.0\u00B0"},      {"az", -0.05, "az -0.1\u00B0"},
        {"az", 1234.56, "az 1234.6\u00B0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatAngleReadout(QString::fromUtf8(c.label), c.degrees),
                  QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(FormatElectricalReadout(2.9248, 599), QString::fromUtf8("2.925 V \u00B7 count 599"));
    EXPECT_EQ(FormatElectricalReadout(0.0, 0), QString::fromUtf8("0.000 V \u00B7 count 0"));
}

bool Inside(const QRectF& part, const QSizeF& size) {
    return part.left() >= 0.0 && part.top() >= 0.0 && part.right() <= size.width() &&
           part.bottom() <= size.height();
}

QRectF CircleBox(QPointF centre, double radius) {
    return {centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius};
}

QRectF QuarterBox(QPointF pivot, double radius) {
    return {pivot.x(), pivot.y() - radius, radius, radius};
}

// Whatever the window's shape, every part stays inside it and none covers another.
TEST(AntennaGeometry, LayoutKeepsThePartsApartAtEverySize) {
    const std::vector<QSizeF> sizes{{360, 300}, {280, 230},   {800, 300},
                                    {360, 700}, {1600, 1000}, {301, 257}};
    for (const double lineHeight : {12.0, 15.0, 20.0}) {
        for (const QSizeF& size : sizes) {
            SCOPED_TRACE(testing::Message()
                         << size.width() << "x" << size.height() << " line " << lineHeight);
            const AntennaLayout layout = LayoutAntennaView(size, lineHeight);
            const QRectF compass = CircleBox(layout.compassCentre, layout.compassRadius);
            const QRectF arc = QuarterBox(layout.arcPivot, layout.arcRadius);
            EXPECT_GT(layout.compassRadius, 30.0);
            EXPECT_GT(layout.arcRadius, layout.compassRadius);
            std::vector<QRectF> parts{compass,
                                      arc,
                                      layout.azimuthCaption,
                                      layout.elevationCaption,
                                      layout.azimuthReadout,
                                      layout.elevationReadout};
            parts.insert(parts.end(), layout.lamps.begin(), layout.lamps.end());
            for (std::size_t i = 0; i < parts.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_TRUE(Inside(parts[i], size));
                EXPECT_FALSE(parts[i].isEmpty());
                for (std::size_t j = i + 1; j < parts.size(); ++j) {
                    EXPECT_FALSE(parts[i].intersects(parts[j])) << "overlaps part " << j;
                }
            }
            // Captions over dials over readouts over lamps, each readout under its dial.
            EXPECT_LE(layout.azimuthCaption.bottom(), compass.top());
            EXPECT_LE(compass.bottom(), layout.azimuthReadout.top());
            EXPECT_LE(arc.bottom(), layout.elevationReadout.top());
            EXPECT_LE(layout.azimuthReadout.bottom(), layout.lamps[0].top());
            EXPECT_GE(layout.azimuthReadout.height(), 2 * lineHeight);
            EXPECT_GE(layout.lamps[0].height(), lineHeight);
            EXPECT_LT(compass.right(), layout.elevationReadout.left());
            for (std::size_t i = 1; i < layout.lamps.size(); ++i) {
                EXPECT_LT(layout.lamps[i - 1].right(), layout.lamps[i].left());
            }
        }
    }
}

// A window shrunk to nothing draws nothing rather than negative circles.
TEST(AntennaGeometry, TinyWindowsGiveNoNegativeSizes) {
    for (const QSizeF& size : {QSizeF(0, 0), QSizeF(15, 400), QSizeF(400, 15), QSizeF(60, 60)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        const AntennaLayout layout = LayoutAntennaView(size, 14.0);
        EXPECT_GE(layout.compassRadius, 0.0);
        EXPECT_GE(layout.arcRadius, 0.0);
        for (const QRectF& lamp : layout.lamps) {
            EXPECT_GE(lamp.width(), 0.0);
            EXPECT_GE(lamp.height(), 0.0);
            EXPECT_GE(LampLight(lamp).width(), 0.0);
            EXPECT_GE(LampLabel(lamp).width(), 0.0);
        }
        EXPECT_GE(layout.azimuthReadout.height(), 0.0);
        EXPECT_GE(layout.azimuthCaption.height(), 0.0);
    }
}

} // namespace
} // namespace zenko::picnic
