/*
 * The backlight controller: a digit or the opening of the cover lights the
 * keypad and restarts its 2000 ms timer; the timer puts it out.
 */
#include "controller_fixture.h"

#include <climits>
#include <string>

void backlightManager(int command);

namespace {

const char managed[] = "KVRNBacklight backlightManager()\n";

const int T = 30000;

/* The password set: the backlight dark and its timer idle, as when the controller first runs. */
class BacklightController : public ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        password_state = STATE_PW_SET;
        backlight = OFF;
        tick = T;
    }
};

std::string lightPass(int inputValue)
{
    return traceOf([&] { KVRNBacklightController(inputValue); });
}

enum Start { DARK_IDLE, LIT_RUNNING, DARK_RUNNING };
enum TimerAfter { IDLE, KEPT, STARTED_NOW };

struct BacklightEvent {
    Start start;
    int stampAge; /* ms since the stamp, for a running timer */
    int input;
    bool lines; /* one backlightManager line */
    int levelAfter;
    TimerAfter timerAfter;
};

const BacklightEvent backlightEvents[] = {
    /* Lighting inputs, from every state. */
    {DARK_IDLE, 0, INPUT_0, true, ON, STARTED_NOW},
    {DARK_IDLE, 0, INPUT_9, true, ON, STARTED_NOW},
    {DARK_IDLE, 0, INPUT_COVER_SENSOR_OPEN, true, ON, STARTED_NOW},
    {LIT_RUNNING, 1500, INPUT_3, true, ON, STARTED_NOW},
    {LIT_RUNNING, 1500, INPUT_COVER_SENSOR_OPEN, true, ON, STARTED_NOW},
    {DARK_RUNNING, 1500, INPUT_COVER_SENSOR_OPEN, true, ON, STARTED_NOW},
    /* A lighting input on the pass where the old timer runs out restarts it; it is not put out. */
    {LIT_RUNNING, 2000, INPUT_5, true, ON, STARTED_NOW},
    {DARK_RUNNING, 2500, INPUT_COVER_SENSOR_OPEN, true, ON, STARTED_NOW},
    /* Inputs that never light it. */
    {DARK_IDLE, 0, INPUT_KEY_SENSOR, false, OFF, IDLE},
    {DARK_IDLE, 0, INPUT_COVER_SENSOR_CLOSE, false, OFF, IDLE},
    {DARK_IDLE, 0, INPUT_LOCK_BUTTON, false, OFF, IDLE},
    {DARK_IDLE, 0, INPUT_DOOR_SENSOR_OPEN, false, OFF, IDLE},
    {DARK_IDLE, 0, INPUT_DOOR_SENSOR_CLOSE, false, OFF, IDLE},
    {DARK_IDLE, 0, -1, false, OFF, IDLE},
    {LIT_RUNNING, 1000, INPUT_KEY_SENSOR, false, ON, KEPT},
    {LIT_RUNNING, 1000, INPUT_LOCK_BUTTON, false, ON, KEPT},
    {LIT_RUNNING, 1000, INPUT_DOOR_SENSOR_CLOSE, false, ON, KEPT},
    {LIT_RUNNING, 1000, -1, false, ON, KEPT},
    {DARK_RUNNING, 1000, INPUT_DOOR_SENSOR_OPEN, false, OFF, KEPT},
    {DARK_RUNNING, 1000, INPUT_KEY_SENSOR, false, OFF, KEPT},
    /* The timer: 1999 ms keeps it, 2000 ms puts it out (again, when already dark). */
    {LIT_RUNNING, 1999, INPUT_DOOR_SENSOR_CLOSE, false, ON, KEPT},
    {LIT_RUNNING, 2000, INPUT_DOOR_SENSOR_CLOSE, true, OFF, IDLE},
    {LIT_RUNNING, 2000, INPUT_KEY_SENSOR, true, OFF, IDLE},
    {LIT_RUNNING, 2000, INPUT_COVER_SENSOR_CLOSE, true, OFF, IDLE},
    {DARK_RUNNING, 1999, INPUT_DOOR_SENSOR_OPEN, false, OFF, KEPT},
    {DARK_RUNNING, 2000, INPUT_DOOR_SENSOR_OPEN, true, OFF, IDLE},
};

class BacklightTransitionTable : public BacklightController, public testing::WithParamInterface<BacklightEvent> {};

TEST_P(BacklightTransitionTable, LightsOnADigitOrCoverOpeningAndGoesOutWhenTheTimerRunsOut)
{
    const BacklightEvent &c = GetParam();
    const int stamp = c.start == DARK_IDLE ? -1 : T - c.stampAge;
    backlight = c.start == LIT_RUNNING ? ON : OFF;
    backlight_tick = stamp;

    EXPECT_EQ(lightPass(c.input), c.lines ? managed : "");
    EXPECT_EQ(backlight, c.levelAfter);
    EXPECT_EQ(backlight_tick, c.timerAfter == IDLE ? -1 : c.timerAfter == KEPT ? stamp : T);
    EXPECT_EQ(drawCommand, c.lines ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Transitions, BacklightTransitionTable, testing::ValuesIn(backlightEvents));

/* The backlight timer wherever the count stands, across 2^31 and across the wrap to 0. */
class BacklightTimer : public BacklightController, public testing::WithParamInterface<int> {};

TEST_P(BacklightTimer, GoesOutOnThePass2000MsAfterTheLastLightingInput)
{
    const int base = GetParam();
    tick = base;
    EXPECT_EQ(lightPass(INPUT_COVER_SENSOR_OPEN), managed) << "lit, and not put out on the pass that lit it";
    EXPECT_EQ(backlight, ON);
    /* A digit held for several passes restarts the timer on each. */
    for (int ms = 200; ms <= 1000; ms += 200) {
        tick = tickAfter(base, ms);
        EXPECT_EQ(lightPass(INPUT_8), managed);
        EXPECT_EQ(backlight_tick, tick);
    }
    tick = tickAfter(base, 2999);
    EXPECT_EQ(lightPass(INPUT_DOOR_SENSOR_CLOSE), "");
    EXPECT_EQ(backlight, ON);
    tick = tickAfter(base, 3000);
    drawCommand = 0;
    EXPECT_EQ(lightPass(INPUT_DOOR_SENSOR_CLOSE), managed);
    EXPECT_EQ(backlight, OFF);
    EXPECT_EQ(backlight_tick, -1);
    EXPECT_EQ(drawCommand, 1) << "the dark backlight must reach the panel on a door-code pass";
}

INSTANTIATE_TEST_SUITE_P(AnyCount, BacklightTimer, testing::Values(1000, INT_MAX - 2500, INT_MAX, INT_MIN, -2500, -2));

TEST_F(BacklightController, ALightingInputOnTickMinusOneStillGoesOut)
{
    tick = -1;
    lightPass(INPUT_1);
    EXPECT_EQ(backlight_tick, 0);
    tick = 1999; /* 2000 ms after the digit, 1999 after the stored stamp */
    EXPECT_EQ(lightPass(INPUT_DOOR_SENSOR_CLOSE), "");
    tick = 2000;
    EXPECT_EQ(lightPass(INPUT_DOOR_SENSOR_CLOSE), managed);
    EXPECT_EQ(backlight, OFF);
}

struct ManagerCall {
    int command;
    int levelBefore;
    int levelAfter;
    TimerAfter timerAfter;
};

class BacklightManagerRepeats : public BacklightController, public testing::WithParamInterface<ManagerCall> {};

TEST_P(BacklightManagerRepeats, NeverLooksAtTheLevelAndAlwaysRedraws)
{
    const ManagerCall &c = GetParam();
    for (int call = 0; call < 2; call++) {
        backlight = c.levelBefore;
        backlight_tick = T - 100;
        drawCommand = 0;
        EXPECT_EQ(traceOf([&] { backlightManager(c.command); }), managed) << "call " << call + 1;
        EXPECT_EQ(backlight, c.levelAfter);
        EXPECT_EQ(backlight_tick, c.timerAfter == IDLE ? -1 : c.timerAfter == KEPT ? T - 100 : T);
        EXPECT_EQ(drawCommand, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, BacklightManagerRepeats,
                         testing::Values(ManagerCall{ENABLE, ON, ON, STARTED_NOW},
                                         ManagerCall{ENABLE, OFF, ON, STARTED_NOW},
                                         ManagerCall{DISABLE, OFF, OFF, IDLE}, ManagerCall{DISABLE, ON, OFF, IDLE},
                                         ManagerCall{-1, ON, ON, KEPT}, ManagerCall{0, OFF, OFF, KEPT},
                                         ManagerCall{STATE_LOCK_OPEN, ON, ON, KEPT}));

} // namespace
