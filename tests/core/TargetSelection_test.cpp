#include <gtest/gtest.h>

#include "core/TargetSelection.h"

using namespace zenko::core;

namespace {

ControllerState SourcesSet() {
    ControllerState state;
    state.m_dPreset1Az = 222.22;
    state.m_dPreset1El = 22.22;
    state.m_nLocalSetAz = -400;
    state.m_nLocalSetEl = 45;
    state.m_dRemoteSetAz = 10.5;
    state.m_dRemoteSetEl = 80.25;
    state.m_dAzTarget = 1;
    state.m_dElTarget = 2;
    return state;
}

} // namespace

TEST(SelectTarget, TakesBothTargetsFromTheSelectedSource) {
    const struct {
        std::int32_t selector;
        double az, el;
    } cases[] = {
        {1, 222.22, 22.22},
        {2, -400, 45},
        {3, 10.5, 80.25},
        // Values the file may hold select nothing: the targets stay where they were.
        {0, 1, 2},
        {4, 1, 2},
        {-1, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selector);
        ControllerState state = SourcesSet();
        SelectTarget(state, c.selector);
        EXPECT_EQ(state.m_dAzTarget, c.az);
        EXPECT_EQ(state.m_dElTarget, c.el);
    }
}

TEST(SelectorFromRadios, FirstCheckedWinsAndNoneKeepsTheHeldValue) {
    EXPECT_EQ(SelectorFromRadios(true, false, false, 9), 1);
    EXPECT_EQ(SelectorFromRadios(false, true, false, 9), 2);
    EXPECT_EQ(SelectorFromRadios(false, false, true, 9), 3);
    EXPECT_EQ(SelectorFromRadios(true, true, true, 9), 1);
    EXPECT_EQ(SelectorFromRadios(false, true, true, 9), 2);
    EXPECT_EQ(SelectorFromRadios(false, false, false, 4), 4);
}

TEST(ReadLocalSetValues, ConvertsLenientlyWithoutTheSpinRange) {
    const struct {
        const char* az;
        const char* el;
        int expectedAz, expectedEl;
    } cases[] = {
        {"500", "-400", 500, -400},
        {"12abc", "abc", 12, 0},
        {"  -7", "", -7, 0},
        {"3.9", "+5", 3, 5},
        {"99999999999", "-99999999999", 2147483647, -2147483647 - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.az);
        ControllerState state;
        ReadLocalSetValues(state, QString::fromUtf8(c.az), QString::fromUtf8(c.el));
        EXPECT_EQ(state.m_nLocalSetAz, c.expectedAz);
        EXPECT_EQ(state.m_nLocalSetEl, c.expectedEl);
    }
}

TEST(TakeCurrentAnglesAsRemote, CopiesTheAnglesAndFormatsTheReadouts) {
    const struct {
        double az, el;
        const char* azText;
        const char* elText;
    } cases[] = {
        {0, 0, "    0.00", "    0.00"},
        {180, -0.125, "  180.00", "   -0.13"},
        // 12345.675 is really 12345.67499..., so it is no tie.
        {12345.675, 99999.5, "12345.67", "99999.50"},
        {123456.0, 1, "123456.00", "    1.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.azText);
        ControllerState state;
        state.m_dAzAngle = c.az;
        state.m_dElAngle = c.el;
        TakeCurrentAnglesAsRemote(state);
        EXPECT_EQ(state.m_dRemoteSetAz, c.az);
        EXPECT_EQ(state.m_dRemoteSetEl, c.el);
        EXPECT_EQ(state.m_strRemoteSetAz.toStdString(), c.azText);
        EXPECT_EQ(state.m_strRemoteSetEl.toStdString(), c.elText);
    }
}
