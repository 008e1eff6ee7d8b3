/*
 * The one timer rule every controller uses: a stamp runs out once at least
 * its limit has passed, measured as the wrap-around difference of the count,
 * and a timer started when the count reads -1 still runs.
 */
#include "controller_fixture.h"

#include <climits>

namespace {

struct RunOutCase {
    const char *what;
    int stamp;
    int elapsedMs; /* tick is stamp + elapsedMs, wrapping */
    int limitMs;
    bool runOut;
};

const RunOutCase runOutCases[] = {
    {"alarm, 499 ms", 1000, 499, 500, false},
    {"alarm, 500 ms", 1000, 500, 500, true},
    {"entry or backlight, 1999 ms", 1000, 1999, 2000, false},
    {"entry or backlight, 2000 ms", 1000, 2000, 2000, true},
    {"auto-lock, 2999 ms", 1000, 2999, 3000, false},
    {"auto-lock, 3000 ms", 1000, 3000, 3000, true},
    {"same pass", 1000, 0, 500, false},
    {"long after", 1000, 100000, 500, true},
    /* Started 300 ms before the count passes 2^31: tick is negative 1000 ms later. */
    {"across 2^31, 999 ms", INT_MAX - 299, 999, 1000, false},
    {"across 2^31, 1000 ms", INT_MAX - 299, 1000, 1000, true},
    {"across 2^31, 2999 ms", INT_MAX - 299, 2999, 3000, false},
    {"across 2^31, 3000 ms", INT_MAX - 299, 3000, 3000, true},
    /* Started 500 ms before the count wraps to 0: at tick 1500 the difference is 2000. */
    {"across the wrap, 1999 ms", -500, 1999, 2000, false},
    {"across the wrap, 2000 ms", -500, 2000, 2000, true},
    {"across the wrap, 499 ms", -2, 499, 500, false},
    {"across the wrap, 500 ms", -2, 500, 500, true},
    {"from INT_MIN, 2999 ms", INT_MIN, 2999, 3000, false},
    {"from INT_MIN, 3000 ms", INT_MIN, 3000, 3000, true},
    {"to INT_MIN, 1 ms", INT_MAX, 1, 500, false},
};

class TimerRunOut : public ControllerTest, public testing::WithParamInterface<RunOutCase> {};

TEST_P(TimerRunOut, RunsOutOnceTheWrapAroundDifferenceReachesTheLimit)
{
    const RunOutCase &c = GetParam();
    tick = tickAfter(c.stamp, c.elapsedMs);
    EXPECT_EQ(timerRunOut(c.stamp, c.limitMs), c.runOut) << c.what << ": stamp " << c.stamp << ", tick " << tick;
}

INSTANTIATE_TEST_SUITE_P(Boundaries, TimerRunOut, testing::ValuesIn(runOutCases));

TEST_F(ControllerTest, TimerStampAtTick1500Of500MsBeforeTheWrapShowsTwoThousandMs)
{
    tick = 1500;
    EXPECT_FALSE(timerRunOut(-500, 2001));
    EXPECT_TRUE(timerRunOut(-500, 2000));
}

TEST_F(ControllerTest, AnIdleStampNeverRunsOut)
{
    for (const int now : {0, 499, 500, 3000, INT_MAX, INT_MIN, -2, -1}) {
        tick = now;
        for (const int limit : {500, 2000, 3000}) {
            EXPECT_FALSE(timerRunOut(-1, limit)) << "tick " << now << ", limit " << limit;
        }
    }
}

TEST_F(ControllerTest, DifferencesOfAlmostTwoToTheThirtyTwoAreComputedWithoutOverflow)
{
    /* Half a wrap apart either way: the signed reading is INT_MIN or INT_MAX, never an overflow. */
    tick = INT_MIN;
    EXPECT_FALSE(timerRunOut(0, 500));
    EXPECT_FALSE(timerRunOut(INT_MAX, 500));
    tick = INT_MAX;
    EXPECT_TRUE(timerRunOut(0, 500));
    EXPECT_FALSE(timerRunOut(INT_MIN, 500));
}

TEST_F(ControllerTest, TimerStartStoresTheTickOfThePass)
{
    for (const int now : {0, 1, 1234, INT_MAX, INT_MIN, -2}) {
        tick = now;
        EXPECT_EQ(timerStart(), now);
    }
}

/* A start on a pass whose tick is -1 must not store the idle marker. */
class TimerStartedAtMinusOne : public ControllerTest, public testing::WithParamInterface<int> {};

TEST_P(TimerStartedAtMinusOne, RunsAsIfStartedOneMillisecondLater)
{
    const int limit = GetParam();
    tick = -1;
    const int stamp = timerStart();
    EXPECT_EQ(stamp, 0);
    tick = limit - 1; /* limit ms after the start, limit - 1 after the stored stamp */
    EXPECT_FALSE(timerRunOut(stamp, limit));
    tick = limit;
    EXPECT_TRUE(timerRunOut(stamp, limit));
}

INSTANTIATE_TEST_SUITE_P(EveryLimit, TimerStartedAtMinusOne, testing::Values(500, 2000, 3000));

} // namespace
