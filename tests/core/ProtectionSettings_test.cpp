#include <gtest/gtest.h>

#include "core/FeedbackGuard.h"
#include "core/JournalText.h"
#include "core/ProtectionSettings.h"

using namespace zenko::core;

namespace {

std::array<KeyText, 5> Keys(std::optional<QString> stall, std::optional<QString> azMin = {},
                            std::optional<QString> azMax = {}, std::optional<QString> elMin = {},
                            std::optional<QString> elMax = {}) {
    return {{{QStringLiteral("Stall_Timeout"), stall},
             {QStringLiteral("Az_Min_Ang"), azMin},
             {QStringLiteral("Az_Max_Ang"), azMax},
             {QStringLiteral("El_Min_Ang"), elMin},
             {QStringLiteral("El_Max_Ang"), elMax}}};
}

} // namespace

TEST(ParseConfigInteger, OnlyAWholeDecimalIntegerWithinRange) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"10", 10},
        {"+5", 5},
        {"-3", -3},
        {"0", 0},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseConfigInteger(QString::fromUtf8(c.text)), c.value) << c.text;
    }
    for (const char* text : {"2147483648", "-2147483649", "99999999999999999999", "", "-", "abc",
                             "1O", "5.5", "5 s", " 5", "0x10", "1e3", "+-1", "\xef\xbc\x95"}) {
        EXPECT_EQ(ParseConfigInteger(QString::fromUtf8(text)), std::nullopt) << text;
    }
}

TEST(ReadProtectionSettings, AbsentIsOffAndTheFirstUnreadableKeyRefusesStart) {
    const ProtectionSettings none = ReadProtectionSettings(Keys(std::nullopt));
    EXPECT_FALSE(none.present);
    EXPECT_FALSE(none.refusal);
    EXPECT_EQ(none.stallTimeoutSeconds, 0);
    EXPECT_FALSE(none.limits[0].active || none.limits[1].active);

    const ProtectionSettings all = ReadProtectionSettings(
        Keys(QStringLiteral("10"), QStringLiteral("5"), QStringLiteral("445"), QStringLiteral("3"),
             QStringLiteral("87")));
    EXPECT_TRUE(all.present);
    EXPECT_FALSE(all.refusal);
    EXPECT_EQ(all.stallTimeoutSeconds, 10);
    EXPECT_EQ(all.limits[0], (AngleLimits{true, 5.0, 445.0}));
    EXPECT_EQ(all.limits[1], (AngleLimits{true, 3.0, 87.0}));

    // Only the elevation's pair is whole; the azimuth's lone key is read and gives no limits.
    const ProtectionSettings half =
        ReadProtectionSettings(Keys(std::nullopt, std::nullopt, QStringLiteral("445"),
                                    QStringLiteral("3"), QStringLiteral("87")));
    EXPECT_TRUE(half.present);
    EXPECT_FALSE(half.limits[0].active);
    EXPECT_TRUE(half.limits[1].active);

    EXPECT_EQ(ReadProtectionSettings(Keys(QStringLiteral("abc"), QStringLiteral("1O"))).refusal,
              QStringLiteral("Stall_Timeout is invalid !"));
    EXPECT_EQ(ReadProtectionSettings(
                  Keys(QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("44 5")))
                  .refusal,
              QStringLiteral("Az_Max_Ang is invalid !"));
    EXPECT_EQ(ReadProtectionSettings(Keys(std::nullopt, {}, {}, {}, QString())).refusal,
              QStringLiteral("El_Max_Ang is invalid !"));
}

TEST(IoDirectionsLost, OnceAfterASilencePastTheGuardsLimit) {
    const FeedbackLimits guard{5000, true};
    const FeedbackLimits watchOnly{6000, false};
    const struct {
        std::int64_t replyMs;
        std::int64_t gapMs;
        std::int64_t sentMs;
        FeedbackLimits limits;
        bool lost;
    } cases[] = {
        {20000, 500, 0, guard, false},
        {20000, 5001, 0, guard, true},
        // Silent since Start: the directions sent then may never have arrived.
        {7000, 7000, 0, guard, true},
        // The other axis's reply has already sent them again.
        {20010, 8000, 20000, guard, false},
        {20000, 8000, 12000, guard, true},
        {20000, 9000, 0, watchOnly, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.replyMs << " " << c.gapMs << " " << c.sentMs);
        EXPECT_EQ(IoDirectionsLost(c.replyMs, c.gapMs, c.sentMs, c.limits), c.lost);
    }
}

TEST(ControllerTitle, NamesEachConditionWithItsAxes) {
    const QString plain = QStringLiteral("アンテナコントローラ");
    const struct {
        AxisTitleConditions azimuth;
        AxisTitleConditions elevation;
        QString title;
    } cases[] = {
        {{}, {}, plain},
        {{true}, {}, plain + QStringLiteral(" - 方位角 応答なし")},
        {{}, {true}, plain + QStringLiteral(" - 仰角 応答なし")},
        {{true}, {true}, plain + QStringLiteral(" - 方位角・仰角 応答なし")},
        {{false, false, true}, {}, plain + QStringLiteral(" - 方位角 動きなし")},
        {{false, true},
         {false, false, false, true},
         plain + QStringLiteral(" - 方位角 逆回転、仰角 目標制限中")},
        {{true, false, true, true},
         {false, false, true},
         plain + QStringLiteral(" - 方位角 応答なし、方位角・仰角 動きなし、方位角 目標制限中")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        EXPECT_EQ(ControllerTitle(c.azimuth, c.elevation), c.title);
    }
}

TEST(ProtectionJournal, TheLinesAsTheGuidesQuoteThem) {
    ProtectionSettings settings;
    settings.stallTimeoutSeconds = 10;
    settings.limits = {AngleLimits{true, 5.0, 445.0}, AngleLimits{}};
    EXPECT_EQ(ProtectionText(settings),
              "protection: motion guard 10 s, azimuth limits 5..445 deg, elevation limits off");
    EXPECT_EQ(ProtectionText({}),
              "protection: motion guard off, azimuth limits off, elevation limits off");
    settings.refusal = QStringLiteral("Az_Max_Ang is invalid !");
    EXPECT_EQ(ProtectionText(settings),
              "protection: Az_Max_Ang is invalid ! Start refuses until ZENKO.ini is corrected");
    EXPECT_EQ(MotionTripText(AxisAz, {MotionTrip::Stalled, 1, 10.26, 0.4}),
              "azimuth: stalled: 10.3 s of increase drive changed the angle by +0.40 deg; relays "
              "switched off, no increase drive until Stop and Start");
    EXPECT_EQ(MotionTripText(AxisEl, {MotionTrip::Reversed, -1, 10.0, 25.5}),
              "elevation: reversed: 10.0 s of decrease drive changed the angle by +25.50 deg; "
              "relays switched off, no drive until Stop and Start");
    EXPECT_EQ(TargetClampedText(AxisAz, 430.0, 395.0),
              "azimuth: target 430.00 deg clamped to the limit 395 deg");
    EXPECT_EQ(IoDirectionsResentText(AxisEl, 8120),
              "I/O directions sent again: elevation ADC answering after 8.1 s of silence");
}
